#include "desktop/options/StoreAtOnce.h"

#include "platform/Platform.h"

namespace tidorax {

bool StoreAtOnce(const std::function<bool()>& change) {
    RegistryHive& hive = platform().registry();
    if (hive.BeginWriteGroup() != ERROR_SUCCESS) {
        return false;
    }
    const bool changed = change();
    return hive.EndWriteGroup() == ERROR_SUCCESS && changed;
}

} // namespace tidorax
