// The per-user registry hive: every root (HKCU, HKLM, HKU, HKCR, HKCC, HKDD) kept as a
// tree of keys in one SQLite file, offered through the Win32 registry calls with the
// Windows result codes.
//
// - Key and value names compare case-insensitively and keep the case they were
//   created with.
// - A value is its type plus its raw data bytes: a REG_SZ with no bytes and one
//   holding a single zero byte stay different.
// - Every write is its own transaction and is on disk when the call returns; two
//   processes may use the same file at once. Between BeginWriteGroup and
//   EndWriteGroup the writes of this process form one transaction instead (each call
//   still succeeds or fails alone), on disk when EndWriteGroup returns.
// - A file that cannot be opened or is damaged never crashes the program: opening a
//   key fails (reads fall back to their defaults) and writes fail.
// - The log-on value HKLM\Software\Microsoft\Windows\CurrentVersion\Run "Tidora" is
//   kept as the XDG autostart entry "Tidora.desktop" instead of in the file.
//
// The calls are safe to use from several threads of one process.
#pragma once

#include "platform/Win32Types.h"
#include "platform/hive/AutostartRedirect.h"

#include <memory>
#include <string>

namespace tidorax {

class RegistryHive {
public:
    // Opens (creating when needed, with its parent folders) the hive file at path.
    // Never throws: a hive that cannot be opened makes every call fail.
    RegistryHive(std::string path, AutostartRedirect autostart);
    ~RegistryHive();
    RegistryHive(const RegistryHive&) = delete;
    RegistryHive& operator=(const RegistryHive&) = delete;

    const std::string& path() const;
    // True when the file was opened and is a usable hive.
    bool usable() const;

    LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
    LONG RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD Reserved, const char* lpClass,
                         DWORD dwOptions, REGSAM samDesired, const void* lpSecurityAttributes,
                         PHKEY phkResult, DWORD* lpdwDisposition);
    LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                          DWORD* lpcbData);
    LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                        DWORD cbData);
    LONG RegDeleteValueA(HKEY hKey, const char* lpValueName);
    // Removes one key that has no subkeys (ERROR_ACCESS_DENIED when it has some).
    LONG RegDeleteKeyA(HKEY hKey, const char* lpSubKey);
    LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD* lpReserved,
                       DWORD* lpType, BYTE* lpData, DWORD* lpcbData);
    LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                       char* lpClass, DWORD* lpcchClass, void* lpftLastWriteTime);
    LONG RegCloseKey(HKEY hKey);

    // A group of writes, made durable at once by its end; groups may nest (the
    // outermost end commits). When Begin fails the writes are each their own
    // transaction, as outside a group. End returns the result of the commit.
    LONG BeginWriteGroup();
    LONG EndWriteGroup();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tidorax
