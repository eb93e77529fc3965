// A Windows version record with the three fields the version questions look at.
#pragma once

#include "platform/Platform.h"

namespace tidorax::test {

inline OsVersionInfo versionRecord(std::uint32_t major, std::uint32_t minor, std::uint32_t platformId) {
    OsVersionInfo v;
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    v.dwPlatformId = platformId;
    return v;
}

} // namespace tidorax::test
