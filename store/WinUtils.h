// Small routines over the Windows API shared by the stores and the application.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The Windows user name of the process in upper case; empty when the system cannot tell.
std::string GetLogInName();
std::string GetWindowsDir();
bool IsWin9x();
bool IsWinNT4();
bool IsScreenSaverRunning();
// The common-controls library is newer than 1997-11-17 16:28:02.
bool IsNewComCtl32();

// Test seam: the system-parameter query that IsScreenSaverRunning makes (SystemParametersInfoA by
// default), so tests can pretend a screen saver runs.
using TSystemParametersInfoA = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
extern TSystemParametersInfoA WinUtilsSystemParametersInfo;

// A comctl32.dll of this age counts as new.
bool IsNewComCtl32Age(int32_t Age);
