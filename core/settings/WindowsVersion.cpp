#include "core/settings/WindowsVersion.h"

namespace tidorax {

bool IsWin98(const OsVersionInfo& v) {
    return (v.dwMajorVersion == 4 && v.dwMinorVersion > 0) ||
           (v.dwMajorVersion > 4 && v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS);
}

bool IsWinME(const OsVersionInfo& v) {
    return v.dwMinorVersion == 90 && v.dwMajorVersion == 4 && v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool IsWinNT5(const OsVersionInfo& v) {
    return v.dwMajorVersion == 5 && v.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsWinXP(const OsVersionInfo& v) {
    return v.dwMinorVersion == 1 && v.dwMajorVersion == 5 && v.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsWin98MeGroup(const OsVersionInfo& v) {
    return IsWin98(v) || IsWinME(v);
}
bool IsNT5Group(const OsVersionInfo& v) {
    return IsWinNT5(v) || IsWinXP(v);
}

namespace {

// Asks the platform afresh; a failed call answers every question with false.
template <typename Test> bool askPlatform(Test test) {
    OsVersionInfo record;
    record.dwOSVersionInfoSize = 148;
    if (platform().GetVersionExA(record) != 1) {
        return false;
    }
    return test(record);
}

} // namespace

bool IsWin98() {
    return askPlatform([](const OsVersionInfo& v) { return IsWin98(v); });
}
bool IsWinME() {
    return askPlatform([](const OsVersionInfo& v) { return IsWinME(v); });
}
bool IsWinNT5() {
    return askPlatform([](const OsVersionInfo& v) { return IsWinNT5(v); });
}
bool IsWinXP() {
    return askPlatform([](const OsVersionInfo& v) { return IsWinXP(v); });
}

} // namespace tidorax
