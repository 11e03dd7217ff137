#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "yOZCB.h"

namespace {

const char* const Key = "Software\\QDSoftware\\yOZ";

bool QueryValue(const char* Name, DWORD& Type, std::string& Data) {
  HKEY k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, Key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  char buf[2048];
  DWORD size = sizeof buf;
  LONG r = RegQueryValueExA(k, Name, nullptr, &Type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(k);
  if (r != ERROR_SUCCESS) return false;
  Data.assign(buf, size);
  return true;
}

DWORD DwordValue(const char* Name) {
  DWORD type = 0;
  std::string data;
  EXPECT_TRUE(QueryValue(Name, type, data)) << Name;
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << Name;
  DWORD v = 0;
  if (data.size() == 4) memcpy(&v, data.data(), 4);
  return v;
}

std::string StringValue(const char* Name) {
  DWORD type = 0;
  std::string data;
  EXPECT_TRUE(QueryValue(Name, type, data)) << Name;
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << Name;
  return std::string(data.c_str());
}

void SetString(const char* Name, const std::string& Value) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
  RegSetValueExA(k, Name, 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()), static_cast<DWORD>(Value.size() + 1));
  RegCloseKey(k);
}

int ValueCount() {
  HKEY k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, Key, 0, KEY_READ, &k) != ERROR_SUCCESS) return -1;
  DWORD n = 0;
  RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(k);
  return static_cast<int>(n);
}

}  // namespace

TEST(Settings, FirstLoadWritesEveryDefault) {
  TRegistrySandbox sandbox;
  ASSERT_EQ(ValueCount(), -1);
  TyOZCB cb;
  TyOZCBRec rec;
  cb.LoadSettings(rec);
  EXPECT_EQ(ValueCount(), 45);
  EXPECT_EQ(DwordValue("FirstTimeRun"), 1u);
  EXPECT_EQ(StringValue("ShutDownStatus"), "Offline");
  EXPECT_EQ(DwordValue("MainFontColour"), 16711680u);
  EXPECT_EQ(DwordValue("CheckForNewMsgEvery"), 10u);
  EXPECT_EQ(DwordValue("ShowGrid"), 0u);
  EXPECT_EQ(StringValue("ScreenSaverStatus"), "Away from desk");
  EXPECT_EQ(StringValue("yOZDBasePath"), "");
  EXPECT_EQ(StringValue("Info2"), "Additional information...");
  EXPECT_EQ(DwordValue("TableBoader"), 1u);
  EXPECT_EQ(rec.MainHeight, 405);
  EXPECT_EQ(rec.MainLeft, 237);
  EXPECT_EQ(rec.MainTop, 184);
  EXPECT_EQ(rec.MainWidth, 484);
  EXPECT_EQ(rec.SplitterPos, 87);
  EXPECT_EQ(rec.CustomWidth, 242);
  EXPECT_TRUE(rec.FirstTimeRun);
  EXPECT_TRUE(rec.ShowOfflineUsers);
  EXPECT_FALSE(rec.PlayWavForNewMsg);
  EXPECT_EQ(rec.ThisPage, "This page is updated every");
}

TEST(Settings, SaveThenLoadRoundTrip) {
  TRegistrySandbox sandbox;
  TyOZCB cb;
  TyOZCBRec rec;
  cb.SetDefaults(rec);
  rec.yOZDBasePath = "C:\\Shared\\yOZ\\";
  rec.UpdateDisplayTime = 0;
  rec.FirstTimeRun = false;
  rec.MainFontColour = 0x80000005;
  rec.ShutDownStatus = "Gone home";
  rec.Info2 = "second line";
  rec.MainLeft = -20;
  cb.SaveSettings(rec);
  EXPECT_EQ(ValueCount(), 45);  // "info2" is the same value as "Info2"
  TyOZCBRec back;
  cb.LoadSettings(back);
  EXPECT_EQ(back.yOZDBasePath, "C:\\Shared\\yOZ\\");
  EXPECT_EQ(back.UpdateDisplayTime, 0);
  EXPECT_FALSE(back.FirstTimeRun);
  EXPECT_EQ(static_cast<uint32_t>(back.MainFontColour), 0x80000005u);
  EXPECT_EQ(back.ShutDownStatus, "Gone home");
  EXPECT_EQ(back.Info2, "second line");
  EXPECT_EQ(back.MainLeft, -20);
}

TEST(Settings, BadValuesAreReplacedByTheirDefaults) {
  TRegistrySandbox sandbox;
  TyOZCB cb;
  TyOZCBRec rec;
  cb.LoadSettings(rec);
  SetString("MainHeight", "tall");        // a string where an integer belongs
  SetString("ScreenSaverStatus", "");     // empty counts as missing
  SetString("ShutDownStatus", std::string(80, 'S'));
  SetString("yOZDBasePath", "C:\\" + std::string(300, 'p'));
  cb.LoadSettings(rec);
  EXPECT_EQ(rec.MainHeight, 405);
  EXPECT_EQ(DwordValue("MainHeight"), 405u);
  EXPECT_EQ(rec.ScreenSaverStatus, "Away from desk");
  EXPECT_EQ(StringValue("ScreenSaverStatus"), "Away from desk");
  EXPECT_EQ(rec.ShutDownStatus, std::string(50, 'S'));
  EXPECT_EQ(rec.yOZDBasePath.size(), 255u);
  EXPECT_EQ(rec.yOZDBasePath.substr(0, 4), "C:\\p");
}

TEST(Settings, SavedTextsKeepToTheirFieldLengths) {
  TRegistrySandbox sandbox;
  TyOZCB cb;
  TyOZCBRec rec;
  cb.SetDefaults(rec);
  rec.yOZDBasePath = "C:\\" + std::string(400, 'd');
  rec.ShutDownStatus = std::string(60, 'G');
  rec.Info2 = std::string(256, 'i');
  cb.SaveSettings(rec);
  EXPECT_EQ(StringValue("yOZDBasePath").size(), 255u);
  EXPECT_EQ(StringValue("ShutDownStatus"), std::string(50, 'G'));
  EXPECT_EQ(StringValue("Info2"), std::string(255, 'i'));
  EXPECT_EQ(rec.yOZDBasePath.size(), 403u);  // the caller's record is left alone
}

// The value names other copies and earlier versions read: every one spelled as stored, the second
// web-page value written in lower case by a save into an empty key.
TEST(Settings, ValueNamesAsStored) {
  TRegistrySandbox sandbox;
  TyOZCB cb;
  TyOZCBRec rec;
  cb.SetDefaults(rec);
  cb.SaveSettings(rec);
  std::set<std::string> names;
  HKEY k;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key, 0, KEY_READ, &k), ERROR_SUCCESS);
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumValueA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.insert(name);
  }
  RegCloseKey(k);
  const std::set<std::string> expected = {
      "CheckForNewMsgEvery", "FirstTimeRun", "yOZDBasePath", "PlayWavForNewMsg", "ShowOfflineUsers",
      "SortListView", "UpdateDisplayTime", "UseVacation", "WavToPlayForNewMsgs", "ShutDownStatus",
      "ConfirmShutDown", "MiniView", "ClearCommentOnSD", "ChangeStatusOnSD", "DisplayDepartments",
      "AutoComment", "DetectScreenSaver", "ScreenSaverStatus", "MainHeight", "MainLeft", "MainTop",
      "MainWidth", "SplitterPos", "MainFontColour", "MainFontSize", "ShowGrid", "CustomHeight",
      "CustomLeft", "CustomTop", "CustomWidth", "Info1", "info2", "ThisPage", "GenerateHTMLEvery",
      "HTMLLocation", "AutoUpdateInBrowser", "FontSize", "NameWidth", "StatusWidth", "ExtWidth",
      "DepartmentWidth", "CommentsWidth", "TableBoader", "CellPadding", "CellSpacing"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(DwordValue("ShowGrid"), 0u);
  EXPECT_EQ(DwordValue("SortListView"), 1u);
  EXPECT_EQ(StringValue("info2"), "Additional information...");
}
