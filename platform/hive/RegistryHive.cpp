// The registry hive's own life (opening, write groups) and its key calls: open,
// create, delete, enumerate and close keys. The value calls are in
// RegistryHiveValues.cpp.
#include "platform/hive/RegistryHive.h"

#include "platform/RegistryRoots.h"
#include "platform/hive/RegistryArguments.h"
#include "platform/hive/RegistryHiveImpl.h"

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace tidorax {

RegistryHive::RegistryHive(std::string path, AutostartRedirect autostart)
    : impl_(std::make_unique<Impl>(std::move(path), std::move(autostart))) {
    std::lock_guard<std::timed_mutex> lock(impl_->mutex);
    impl_->ensureOpen();
}

RegistryHive::~RegistryHive() = default;

const std::string& RegistryHive::path() const {
    return impl_->path;
}

bool RegistryHive::usable() const {
    std::lock_guard<std::timed_mutex> lock(impl_->mutex);
    return impl_->store != nullptr;
}

LONG RegistryHive::RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                                 PHKEY phkResult) {
    return impl_->guarded([&]() -> LONG {
        if (phkResult == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        *phkResult = 0;
        const Impl::Handle parent = impl_->resolve(hKey, 0);
        const auto key = impl_->store->findKey(parent.key, splitKeyPath(lpSubKey));
        if (!key) {
            return ERROR_FILE_NOT_FOUND;
        }
        *phkResult = impl_->addHandle(*key, samDesired);
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*Reserved*/,
                                   const char* /*lpClass*/, DWORD /*dwOptions*/, REGSAM samDesired,
                                   const void* /*lpSecurityAttributes*/, PHKEY phkResult,
                                   DWORD* lpdwDisposition) {
    return impl_->guarded([&]() -> LONG {
        if (phkResult == nullptr || lpSubKey == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        *phkResult = 0;
        const Impl::Handle parent = impl_->resolve(hKey, 0);
        const std::vector<std::string> parts = splitKeyPath(lpSubKey);
        // Names the registry could not enumerate or export again are refused.
        for (const std::string& part : parts) {
            if (part.size() > kMaxKeyNameLength) {
                return ERROR_INVALID_PARAMETER;
            }
        }
        auto key = impl_->store->findKey(parent.key, parts);
        bool created = false;
        if (!key) {
            // Creating a subkey needs the right to do so on the handle given.
            if ((parent.access & KEY_CREATE_SUB_KEY) != KEY_CREATE_SUB_KEY) {
                return ERROR_ACCESS_DENIED;
            }
            impl_->requireWritable();
            key = impl_->store->createKey(parent.key, parts, created);
            if (!key) {
                return ERROR_KEY_DELETED;
            }
        }
        *phkResult = impl_->addHandle(*key, samDesired);
        if (lpdwDisposition != nullptr) {
            *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        }
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::RegDeleteKeyA(HKEY hKey, const char* lpSubKey) {
    return impl_->guarded([&]() -> LONG {
        const Impl::Handle parent = impl_->resolve(hKey, 0);
        if (lpSubKey == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        const auto key = impl_->store->findKey(parent.key, splitKeyPath(lpSubKey));
        if (!key) {
            return ERROR_FILE_NOT_FOUND;
        }
        // The roots and the Run key belong to the system; they always exist.
        if (impl_->store->isRoot(*key) || *key == impl_->store->runKeyId()) {
            return ERROR_ACCESS_DENIED;
        }
        impl_->requireWritable();
        switch (impl_->store->deleteKey(*key)) {
        case HiveStore::Removal::Removed:
            return ERROR_SUCCESS;
        case HiveStore::Removal::Missing:
            return ERROR_FILE_NOT_FOUND;
        case HiveStore::Removal::HasSubKeys:
            break;
        }
        return ERROR_ACCESS_DENIED;
    });
}

LONG RegistryHive::RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                                 char* lpClass, DWORD* lpcchClass, void* /*lpftLastWriteTime*/) {
    return impl_->guarded([&]() -> LONG {
        const Impl::Handle handle = impl_->resolve(hKey, KEY_ENUMERATE_SUB_KEYS);
        if (lpName == nullptr || lpcchName == nullptr || lpReserved != nullptr ||
            (lpClass != nullptr && lpcchClass == nullptr)) {
            return ERROR_INVALID_PARAMETER;
        }
        const auto name = impl_->store->subKeyAt(handle.key, dwIndex);
        if (!name) {
            return ERROR_NO_MORE_ITEMS;
        }
        if (deliverName(*name, lpName, lpcchName) != ERROR_SUCCESS) {
            return ERROR_MORE_DATA;
        }
        // The last-write time is not kept and left as given.
        deliverNoClass(lpClass, lpcchClass);
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::BeginWriteGroup() {
    return impl_->guarded([&]() -> LONG {
        impl_->ensureOpen();
        if (!impl_->store) {
            return impl_->openError;
        }
        if (impl_->groupDepth == 0) {
            impl_->requireWritable();
            impl_->store->beginGroup();
        }
        ++impl_->groupDepth;
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::EndWriteGroup() {
    return impl_->guarded([&]() -> LONG {
        if (impl_->groupDepth == 0 || !impl_->store) {
            return ERROR_INVALID_FUNCTION;
        }
        if (--impl_->groupDepth == 0) {
            impl_->store->endGroup();
        }
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::RegCloseKey(HKEY hKey) {
    std::lock_guard<std::timed_mutex> lock(impl_->mutex);
    if (rootByHandle(hKey)) {
        return ERROR_SUCCESS;
    }
    return impl_->handles.erase(hKey) > 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace tidorax
