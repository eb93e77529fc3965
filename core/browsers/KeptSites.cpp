#include "core/browsers/KeptSites.h"

#include "platform/AsciiCase.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace tidorax {

namespace {

// Lower case, without blanks around, leading dots, a trailing dot or an address's
// brackets.
std::string normalised(std::string_view name) {
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t' || name.front() == '.')) {
        name.remove_prefix(1);
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '.')) {
        name.remove_suffix(1);
    }
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
        name = name.substr(1, name.size() - 2);
    }
    return lowerAscii(std::string(name));
}

// An IP address or localhost: a name with nothing below it.
bool standsAlone(const std::string& name) {
    if (name == "localhost") {
        return true;
    }
    unsigned char address[sizeof(in6_addr)];
    return ::inet_pton(AF_INET, name.c_str(), address) == 1 ||
           ::inet_pton(AF_INET6, name.c_str(), address) == 1;
}

} // namespace

KeptSites::KeptSites(const std::vector<std::string>& sites) {
    for (const std::string& site : sites) {
        std::string name = normalised(site);
        if (!name.empty()) {
            (standsAlone(name) ? addresses_ : sites_).insert(std::move(name));
        }
    }
}

bool KeptSites::keeps(std::string_view host) const {
    const std::string name = normalised(host);
    if (name.empty()) {
        return false;
    }
    if (standsAlone(name)) {
        return addresses_.count(name) != 0;
    }
    // The host itself, then each site above it: "a.b.keep.example", "b.keep.example", ...
    for (std::size_t from = 0; from != std::string::npos;) {
        if (sites_.find(std::string_view(name).substr(from)) != sites_.end()) {
            return true;
        }
        const std::size_t dot = name.find('.', from);
        from = dot == std::string::npos ? dot : dot + 1;
    }
    return false;
}

} // namespace tidorax
