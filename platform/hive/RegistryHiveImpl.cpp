#include "platform/hive/RegistryHiveImpl.h"

#include "platform/AsciiCase.h"
#include "platform/RegistryRoots.h"
#include "platform/hive/HiveLayout.h"
#include "platform/hive/RegistryArguments.h"

#include <utility>

namespace tidorax {

RegistryHive::Impl::Impl(std::string hivePath, AutostartRedirect redirect)
    : path(std::move(hivePath)), autostart(std::move(redirect)) {}

void RegistryHive::Impl::ensureOpen() {
    if (store) {
        return;
    }
    try {
        store = std::make_unique<HiveStore>(path);
        openError = ERROR_SUCCESS;
    } catch (const HiveError& error) {
        openError = error.code;
    } catch (const std::bad_alloc&) {
        openError = ERROR_NOT_ENOUGH_MEMORY;
    }
}

RegistryHive::Impl::Handle RegistryHive::Impl::resolve(HKEY hKey, REGSAM needed) {
    const auto root = rootByHandle(hKey);
    const auto it = handles.find(hKey);
    if (!root && it == handles.end()) {
        throw HiveError{ERROR_INVALID_HANDLE};
    }
    ensureOpen();
    if (!store) {
        throw HiveError{openError};
    }
    if (root) {
        return Handle{store->rootId(root->handle), KEY_ALL_ACCESS};
    }
    if ((it->second.access & needed) != needed) {
        throw HiveError{ERROR_ACCESS_DENIED};
    }
    if (!store->keyExists(it->second.key)) {
        throw HiveError{ERROR_KEY_DELETED};
    }
    return it->second;
}

void RegistryHive::Impl::requireWritable() const {
    if (!store->writable()) {
        throw HiveError{ERROR_CANTWRITE};
    }
}

HKEY RegistryHive::Impl::addHandle(std::int64_t key, REGSAM access) {
    const HKEY handle = nextHandle;
    nextHandle += 4;
    handles[handle] = Handle{key, access};
    return handle;
}

bool RegistryHive::Impl::isRunValue(std::int64_t key, const char* valueName) const {
    return key == store->runKeyId() && equalsIgnoringAsciiCase(nameOf(valueName), kRunValueName);
}

LONG RegistryHive::Impl::writeRunValue(DWORD type, const BYTE* lpData, DWORD cbData) const {
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        // The entry holds a command line: only text fits in it.
        return ERROR_INVALID_PARAMETER;
    }
    std::string text(reinterpret_cast<const char*>(lpData), cbData);
    if (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    if (text.find('\0') != std::string::npos) {
        return ERROR_INVALID_PARAMETER;
    }
    return autostart.write(text);
}

} // namespace tidorax
