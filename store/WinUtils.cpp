#include "WinUtils.h"

#include <shlobj.h>

#include "SysUtils.h"

TSystemParametersInfoA WinUtilsSystemParametersInfo = &SystemParametersInfoA;

namespace {

// 1997-11-17 16:28:02 as a packed DOS date and time.
constexpr int32_t kComCtl32Age = 594641793;

OSVERSIONINFOA VersionInfo() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
  if (!GetVersionExA(&v)) v = OSVERSIONINFOA{};
  return v;
}

}  // namespace

std::string GetLogInName() {
  char buf[256] = {};
  DWORD size = 255;
  if (!GetUserNameA(buf, &size)) return {};
  // The size counts the terminating zero.
  std::string name(buf, size > 0 ? size - 1 : 0);
  name.resize(strnlen(name.c_str(), name.size()));
  // The user record keeps 20 characters of the login. Cut here, where it enters the program, so the
  // registration, every look-up, the messages and the alert file use the same text.
  if (name.size() > LogInNameLength) name.resize(LogInNameLength);
  CharUpperBuffA(name.data(), DWORD(name.size()));
  return name;
}

std::string GetWindowsDir() {
  char buf[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(buf, n) : std::string();
}

std::string GetAppDataDir() {
  char buf[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, buf))) return {};
  return buf;
}

namespace {

// The whole of any file the program shares: the first 4 GiB.
constexpr DWORD SharedLockLow = 0xFFFFFFFF;

}  // namespace

bool LockSharedFile(HANDLE File) {
  OVERLAPPED at{};
  return LockFileEx(File, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, SharedLockLow, 0, &at) != FALSE;
}

void UnlockSharedFile(HANDLE File) {
  OVERLAPPED at{};
  UnlockFileEx(File, 0, SharedLockLow, 0, &at);
}

bool IsWin9x() { return VersionInfo().dwPlatformId == VER_PLATFORM_WIN32_WINDOWS; }

bool IsWinNT4() {
  OSVERSIONINFOA v = VersionInfo();
  return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion == 4;
}

bool IsScreenSaverRunning() {
  if (IsWinNT4()) {
    HDESK desk = OpenDesktopA("screen-saver", 0, FALSE, MAXIMUM_ALLOWED);
    if (desk) {
      CloseDesktop(desk);
      return true;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
  }
  BOOL running = FALSE;
  if (!WinUtilsSystemParametersInfo(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) return false;
  return running != FALSE;
}

bool IsNewComCtl32Age(int32_t Age) { return Age > kComCtl32Age; }

bool IsNewComCtl32() {
  const std::string windows = GetWindowsDir();
  if (IsWin9x()) {
    int32_t age = FileAge(windows + "\\System\\comctl32.dll");
    if (age == -1) return false;
    if (IsNewComCtl32Age(age)) return true;
  }
  int32_t age = FileAge(windows + "\\System32\\comctl32.dll");
  return age != -1 && IsNewComCtl32Age(age);
}
