// Which cookie hosts the user keeps: a kept site keeps its own cookies and those of every
// host below it ("keep.example" keeps "keep.example", ".keep.example",
// "www.keep.example", "a.b.keep.example", not "notkeep.example"). An IP address or
// "localhost" keeps, and is kept by, only itself. Names compare with ASCII case ignored.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tidorax {

class KeptSites {
public:
    // The special cookie sites as stored; blanks, leading dots and an address's brackets
    // are dropped, and an empty site keeps nothing.
    explicit KeptSites(const std::vector<std::string>& sites);

    // Whether a cookie of this host (as a store holds it, ".site" for a domain cookie)
    // is kept.
    bool keeps(std::string_view host) const;

private:
    // Looked up by the parts of a host's name, without copying them.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };
    using Names = std::unordered_set<std::string, NameHash, std::equal_to<>>;

    Names sites_;     // kept with every host below
    Names addresses_; // kept alone
};

} // namespace tidorax
