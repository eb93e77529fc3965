#include "platform/RegistryHive.h"

namespace tidorax {

struct RegistryHive::Impl {
    std::string path;
};

RegistryHive::RegistryHive(std::string path, AutostartRedirect) : impl_(std::make_unique<Impl>()) {
    impl_->path = std::move(path);
}
RegistryHive::~RegistryHive() = default;
const std::string& RegistryHive::path() const { return impl_->path; }
bool RegistryHive::usable() const { return false; }
LONG RegistryHive::RegOpenKeyExA(HKEY, const char*, DWORD, REGSAM, PHKEY) { return ERROR_CANTOPEN; }
LONG RegistryHive::RegCreateKeyExA(HKEY, const char*, DWORD, const char*, DWORD, REGSAM, const void*, PHKEY, DWORD*) {
    return ERROR_CANTOPEN;
}
LONG RegistryHive::RegQueryValueExA(HKEY, const char*, DWORD*, DWORD*, BYTE*, DWORD*) { return ERROR_INVALID_HANDLE; }
LONG RegistryHive::RegSetValueExA(HKEY, const char*, DWORD, DWORD, const BYTE*, DWORD) { return ERROR_INVALID_HANDLE; }
LONG RegistryHive::RegDeleteValueA(HKEY, const char*) { return ERROR_INVALID_HANDLE; }
LONG RegistryHive::RegDeleteKeyA(HKEY, const char*) { return ERROR_INVALID_HANDLE; }
LONG RegistryHive::RegEnumValueA(HKEY, DWORD, char*, DWORD*, DWORD*, DWORD*, BYTE*, DWORD*) { return ERROR_INVALID_HANDLE; }
LONG RegistryHive::RegEnumKeyExA(HKEY, DWORD, char*, DWORD*, DWORD*, char*, DWORD*, void*) { return ERROR_INVALID_HANDLE; }
LONG RegistryHive::RegQueryInfoKeyA(HKEY, char*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*,
                                    void*) {
    return ERROR_INVALID_HANDLE;
}
LONG RegistryHive::RegCloseKey(HKEY) { return ERROR_INVALID_HANDLE; }

} // namespace tidorax
