// The four Windows version questions. Each is a pure function of a version record;
// the argument-less forms ask the platform afresh every time (no cache) and answer
// false when it has no record, as on Linux.
#pragma once

#include "platform/Platform.h"

namespace tidorax {

bool IsWin98(const OsVersionInfo& v);
bool IsWinME(const OsVersionInfo& v);
bool IsWinNT5(const OsVersionInfo& v);
bool IsWinXP(const OsVersionInfo& v);

bool IsWin98();
bool IsWinME();
bool IsWinNT5();
bool IsWinXP();

// The two groups the cleaning engine and the shutdown choose by.
bool IsWin98MeGroup(const OsVersionInfo& v); // IsWin98 or IsWinME
bool IsNT5Group(const OsVersionInfo& v);     // IsWinNT5 or IsWinXP

} // namespace tidorax
