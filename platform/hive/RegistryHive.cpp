#include "platform/hive/RegistryHive.h"

#include "platform/AsciiCase.h"
#include "platform/RegistryRoots.h"
#include "platform/hive/AutostartEntry.h"
#include "platform/hive/HiveError.h"
#include "platform/hive/HiveLayout.h"
#include "platform/hive/HiveStore.h"
#include "platform/hive/RegistryArguments.h"

#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace tidorax {

namespace {

// Handles given out for opened keys start here and never reach the predefined roots.
constexpr HKEY kFirstHandle = 0x1000;

struct Handle {
    std::int64_t key = 0;
    REGSAM access = 0;
};

} // namespace

struct RegistryHive::Impl {
    Impl(std::string hivePath, AutostartRedirect redirect)
        : path(std::move(hivePath)), autostart(std::move(redirect)) {}

    std::string path;
    AutostartEntry autostart;
    std::mutex mutex;
    std::unique_ptr<HiveStore> store;
    LONG openError = ERROR_CANTOPEN;
    std::map<HKEY, Handle> handles;
    HKEY nextHandle = kFirstHandle;
    int groupDepth = 0; // open BeginWriteGroup calls that succeeded

    // Opens the file when it is not open yet; on failure remembers why.
    void ensureOpen() {
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

    // The key behind a handle, after checking that it is valid, that it was opened
    // with the rights the call needs and that its key still exists.
    Handle resolve(HKEY hKey, REGSAM needed) {
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

    void requireWritable() const {
        if (!store->writable()) {
            throw HiveError{ERROR_CANTWRITE};
        }
    }

    HKEY addHandle(std::int64_t key, REGSAM access) {
        const HKEY handle = nextHandle;
        nextHandle += 4;
        handles[handle] = Handle{key, access};
        return handle;
    }

    bool isRunValue(std::int64_t key, const char* valueName) const {
        return key == store->runKeyId() && equalsIgnoringAsciiCase(nameOf(valueName), kRunValueName);
    }

    LONG writeRunValue(DWORD type, const BYTE* lpData, DWORD cbData) const {
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

    // Runs one call under the lock and turns every failure into its result code.
    template <typename Call> LONG guarded(Call&& call) {
        std::lock_guard<std::mutex> lock(mutex);
        try {
            return call();
        } catch (const HiveError& error) {
            if (error.code == ERROR_BADDB) {
                // The file went bad under us: stop using it until it can be opened again.
                store.reset();
                openError = ERROR_BADDB;
                groupDepth = 0;
            }
            return error.code;
        } catch (const std::bad_alloc&) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
    }
};

RegistryHive::RegistryHive(std::string path, AutostartRedirect autostart)
    : impl_(std::make_unique<Impl>(std::move(path), std::move(autostart))) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->ensureOpen();
}

RegistryHive::~RegistryHive() = default;

const std::string& RegistryHive::path() const {
    return impl_->path;
}

bool RegistryHive::usable() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->store != nullptr;
}

LONG RegistryHive::RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                                 PHKEY phkResult) {
    return impl_->guarded([&]() -> LONG {
        if (phkResult == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        *phkResult = 0;
        const Handle parent = impl_->resolve(hKey, 0);
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
        const Handle parent = impl_->resolve(hKey, 0);
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

LONG RegistryHive::RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType,
                                    BYTE* lpData, DWORD* lpcbData) {
    return impl_->guarded([&]() -> LONG {
        const Handle handle = impl_->resolve(hKey, KEY_QUERY_VALUE);
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
        const Handle handle = impl_->resolve(hKey, KEY_SET_VALUE);
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
        const Handle handle = impl_->resolve(hKey, KEY_SET_VALUE);
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

LONG RegistryHive::RegDeleteKeyA(HKEY hKey, const char* lpSubKey) {
    return impl_->guarded([&]() -> LONG {
        const Handle parent = impl_->resolve(hKey, 0);
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

LONG RegistryHive::RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                                 DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    return impl_->guarded([&]() -> LONG {
        const Handle handle = impl_->resolve(hKey, KEY_QUERY_VALUE);
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

LONG RegistryHive::RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                                 char* lpClass, DWORD* lpcchClass, void* /*lpftLastWriteTime*/) {
    return impl_->guarded([&]() -> LONG {
        const Handle handle = impl_->resolve(hKey, KEY_ENUMERATE_SUB_KEYS);
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
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (rootByHandle(hKey)) {
        return ERROR_SUCCESS;
    }
    return impl_->handles.erase(hKey) > 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace tidorax
