// The value calls of the registry hive: query, set, delete and enumerate values.
#include "platform/hive/RegistryHive.h"

#include "platform/hive/HiveLayout.h"
#include "platform/hive/RegistryArguments.h"
#include "platform/hive/RegistryHiveImpl.h"

#include <optional>
#include <string>

namespace tidorax {

LONG RegistryHive::RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType,
                                    BYTE* lpData, DWORD* lpcbData) {
    return impl_->guarded([&]() -> LONG {
        const Impl::Handle handle = impl_->resolve(hKey, KEY_QUERY_VALUE);
        if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
            return ERROR_INVALID_PARAMETER;
        }
        std::optional<HiveStore::StoredValue> value;
        if (impl_->isRunValue(handle.key, lpValueName)) {
            std::string data;
            const LONG result = impl_->autostart.read(data);
            if (result != ERROR_SUCCESS) {
                return result;
            }
            value = HiveStore::StoredValue{kRunValueName, REG_SZ, data};
        } else {
            value = impl_->store->findValue(handle.key, nameOf(lpValueName));
        }
        if (!value) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (lpType != nullptr) {
            *lpType = value->type;
        }
        return deliver(value->data, lpData, lpcbData);
    });
}

LONG RegistryHive::RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD /*Reserved*/, DWORD dwType,
                                  const BYTE* lpData, DWORD cbData) {
    return impl_->guarded([&]() -> LONG {
        const Impl::Handle handle = impl_->resolve(hKey, KEY_SET_VALUE);
        if (lpData == nullptr && cbData > 0) {
            return ERROR_INVALID_PARAMETER;
        }
        if (nameOf(lpValueName).size() > kMaxValueNameLength) {
            return ERROR_INVALID_PARAMETER;
        }
        const BYTE empty = 0;
        const BYTE* data = lpData == nullptr ? &empty : lpData;
        if (impl_->isRunValue(handle.key, lpValueName)) {
            return impl_->writeRunValue(dwType, data, cbData);
        }
        impl_->requireWritable();
        const std::string bytes(reinterpret_cast<const char*>(data), cbData);
        return impl_->store->setValue(handle.key, nameOf(lpValueName), dwType, bytes) ? ERROR_SUCCESS
                                                                                      : ERROR_KEY_DELETED;
    });
}

LONG RegistryHive::RegDeleteValueA(HKEY hKey, const char* lpValueName) {
    return impl_->guarded([&]() -> LONG {
        const Impl::Handle handle = impl_->resolve(hKey, KEY_SET_VALUE);
        if (impl_->isRunValue(handle.key, lpValueName)) {
            return impl_->autostart.remove();
        }
        const std::string name = nameOf(lpValueName);
        if (!impl_->store->findValue(handle.key, name)) {
            return ERROR_FILE_NOT_FOUND;
        }
        impl_->requireWritable();
        return impl_->store->deleteValue(handle.key, name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegistryHive::RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                                 DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    return impl_->guarded([&]() -> LONG {
        const Impl::Handle handle = impl_->resolve(hKey, KEY_QUERY_VALUE);
        if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
            (lpData != nullptr && lpcbData == nullptr)) {
            return ERROR_INVALID_PARAMETER;
        }
        auto [value, stored] = impl_->store->valueAt(handle.key, dwIndex);
        if (!value && handle.key == impl_->store->runKeyId() && dwIndex == stored) {
            // The log-on value follows the values kept in the file.
            std::string data;
            if (impl_->autostart.read(data) == ERROR_SUCCESS) {
                value = HiveStore::StoredValue{kRunValueName, REG_SZ, data};
            }
        }
        if (!value) {
            return ERROR_NO_MORE_ITEMS;
        }
        if (deliverName(value->name, lpValueName, lpcchValueName) != ERROR_SUCCESS) {
            return ERROR_MORE_DATA;
        }
        if (lpType != nullptr) {
            *lpType = value->type;
        }
        return deliver(value->data, lpData, lpcbData);
    });
}

} // namespace tidorax
