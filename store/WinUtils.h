// Small routines over the Windows API shared by the stores and the application.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The characters of a login that the user record keeps.
constexpr size_t LogInNameLength = 20;

// The Windows user name of the process in upper case, cut to LogInNameLength; empty when the system
// cannot tell.
std::string GetLogInName();
std::string GetWindowsDir();
// The user's own application-data folder (CSIDL_APPDATA); empty when the system has none.
std::string GetAppDataDir();
bool IsWin9x();
bool IsWinNT4();
bool IsScreenSaverRunning();
// The common-controls library is newer than 1997-11-17 16:28:02.
bool IsNewComCtl32();

// The byte-range lock that keeps the copies on other machines off a shared file while this one reads or
// writes it: share modes do not reach every file server (nor other Wine prefixes). False at once,
// without waiting, when another copy holds it.
[[nodiscard]] bool LockSharedFile(HANDLE File);
void UnlockSharedFile(HANDLE File);

// Test seam: the system-parameter query that IsScreenSaverRunning makes (SystemParametersInfoA by
// default), so tests can pretend a screen saver runs.
using TSystemParametersInfoA = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
extern TSystemParametersInfoA WinUtilsSystemParametersInfo;

// A comctl32.dll of this age counts as new.
bool IsNewComCtl32Age(int32_t Age);
