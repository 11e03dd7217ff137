// System routines: the login name, the Windows folder, the screen-saver test and path helpers.
#include <gtest/gtest.h>

#include <windows.h>

#include "KLNStringUtils.h"
#include "WinUtils.h"

namespace {

TEST(WinUtils, LogInNameIsTheUserNameInUpperCase) {
  char buf[256] = {};
  DWORD size = sizeof buf;
  ASSERT_TRUE(GetUserNameA(buf, &size));
  std::string expected = buf;
  for (char& c : expected) c = char(toupper((unsigned char)c));
  EXPECT_EQ(GetLogInName(), expected);
  EXPECT_FALSE(GetLogInName().empty());
  EXPECT_EQ(GetLogInName().find('\0'), std::string::npos);
  // The test runner passes USER through to the user name.
  char user[256];
  DWORD n = GetEnvironmentVariableA("USER", user, sizeof user);
  if (n > 0 && n < sizeof user) {
    std::string up = user;
    for (char& c : up) c = char(toupper((unsigned char)c));
    EXPECT_EQ(GetLogInName(), up);
  }
}

TEST(WinUtils, WindowsFolderAndPlatform) {
  std::string w = GetWindowsDir();
  ASSERT_FALSE(w.empty());
  EXPECT_NE(w.back(), '\\');
  EXPECT_NE(GetFileAttributesA(w.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(IsWin9x());
  EXPECT_FALSE(IsWinNT4());
  EXPECT_TRUE(IsNewComCtl32());
}

TEST(WinUtils, ComCtl32AgeThreshold) {
  // 1997-11-17 16:28:02 is not new enough; the next DOS time stamp (two-second steps) is.
  const int32_t date = ((1997 - 1980) << 9) | (11 << 5) | 17;
  const int32_t at = (date << 16) | (16 << 11) | (28 << 5) | (2 / 2);
  EXPECT_EQ(at, 594641793);
  EXPECT_FALSE(IsNewComCtl32Age(at));
  EXPECT_TRUE(IsNewComCtl32Age(at + 1));
  EXPECT_FALSE(IsNewComCtl32Age(-1));
}

BOOL WINAPI SaverRunning(UINT action, UINT, PVOID out, UINT) {
  if (action != SPI_GETSCREENSAVERRUNNING) return FALSE;
  *static_cast<BOOL*>(out) = TRUE;
  return TRUE;
}
BOOL WINAPI QueryFails(UINT, UINT, PVOID out, UINT) {
  *static_cast<BOOL*>(out) = TRUE;
  return FALSE;
}

TEST(WinUtils, ScreenSaverTestAsksTheSystemParameter) {
  EXPECT_FALSE(IsScreenSaverRunning());
  WinUtilsSystemParametersInfo = &SaverRunning;
  EXPECT_TRUE(IsScreenSaverRunning());
  WinUtilsSystemParametersInfo = &QueryFails;  // a failed query means not running
  EXPECT_FALSE(IsScreenSaverRunning());
  WinUtilsSystemParametersInfo = &SystemParametersInfoA;
}

TEST(KLNStringUtils, AddBackslash) {
  EXPECT_EQ(AddBackslash("C:\\Data"), "C:\\Data\\");
  EXPECT_EQ(AddBackslash("C:\\Data\\"), "C:\\Data\\");
  EXPECT_EQ(AddBackslash(""), "\\");
  EXPECT_EQ(AddBackslash("\\"), "\\");
  EXPECT_EQ(AddBackslash("\\\\server\\share"), "\\\\server\\share\\");
}

}  // namespace
