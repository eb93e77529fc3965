#include "platform/RegistryRoots.h"

#include "platform/AsciiCase.h"

namespace tidorax {

namespace {

template <typename Matches> std::optional<RegistryRoot> findRoot(Matches matches) {
    for (const RegistryRoot& root : kRegistryRoots) {
        if (matches(root)) {
            return root;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<RegistryRoot> rootByHandle(HKEY handle) {
    return findRoot([handle](const RegistryRoot& root) { return root.handle == handle; });
}

std::optional<RegistryRoot> rootByShortName(std::string_view name) {
    return findRoot(
        [name](const RegistryRoot& root) { return equalsIgnoringAsciiCase(root.shortName, name); });
}

std::optional<RegistryRoot> rootByLongName(std::string_view name) {
    return findRoot(
        [name](const RegistryRoot& root) { return equalsIgnoringAsciiCase(root.longName, name); });
}

} // namespace tidorax
