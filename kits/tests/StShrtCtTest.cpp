#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "StShrtCt.h"

namespace {

std::string OwnFile() {
  char buf[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return buf;
}

std::string Unique(const std::string& what) { return what + "_" + std::to_string(GetCurrentProcessId()); }

struct LinkInfo {
  std::string Path, Arguments, Description, WorkingDir, IconPath;
  WORD HotKey = 0;
  int ShowCmd = 0, IconIndex = -1;
};

// Reads a link back through the shell's own interfaces.
LinkInfo ReadLink(const std::string& file) {
  LinkInfo r;
  IShellLinkA* sl = nullptr;
  IPersistFile* pf = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                             reinterpret_cast<void**>(&sl)), S_OK);
  if (!sl) return r;
  EXPECT_EQ(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf)), S_OK);
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
  EXPECT_EQ(pf->Load(wide, STGM_READ), S_OK);
  char buf[1024];
  WIN32_FIND_DATAA fd;
  if (sl->GetPath(buf, sizeof buf, &fd, SLGP_RAWPATH) == S_OK) r.Path = buf;
  if (sl->GetArguments(buf, sizeof buf) == S_OK) r.Arguments = buf;
  if (sl->GetDescription(buf, sizeof buf) == S_OK) r.Description = buf;
  if (sl->GetWorkingDirectory(buf, sizeof buf) == S_OK) r.WorkingDir = buf;
  if (sl->GetIconLocation(buf, sizeof buf, &r.IconIndex) == S_OK) r.IconPath = buf;
  sl->GetHotkey(&r.HotKey);
  // Wine's link object does not load the show command back: it is read from the file's header
  // (ShowCommand, a 32-bit value at offset 0x3C of the 76-byte header of every .lnk file).
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  unsigned char header[76] = {};
  DWORD got = 0;
  ReadFile(h, header, sizeof header, &got, nullptr);
  CloseHandle(h);
  EXPECT_EQ(got, sizeof header);
  std::memcpy(&r.ShowCmd, header + 0x3C, 4);
  pf->Release();
  sl->Release();
  return r;
}

std::string FolderPath(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return path;
}

class StShortcutTest : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(nullptr);
    char buf[MAX_PATH];
    GetTempPathA(MAX_PATH, buf);
    Dir = std::string(buf) + Unique("yoz_kits_StShrtCt");
    CreateDirectoryA(Dir.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::string& f : Written) DeleteFileA(f.c_str());
    RemoveDirectoryA(Dir.c_str());
    CoUninitialize();
  }
  std::string Dir;
  std::vector<std::string> Written;
};

TEST_F(StShortcutTest, StartupFolderLinkNamedAfterTheDescription) {
  TStShortcut s(nullptr);
  EXPECT_GT(s.ShellVersion(), 4.0);
  std::string name = Unique("yOZ kits test");
  s.SetFileName(OwnFile());
  s.SetAutoName(false);
  s.SetDescription(name);
  s.SetSpecialFolder(sfStartup);
  s.SetParameters("/minimized /db=C:\\data");
  s.SetStartInDir(Dir);
  s.SetIconPath(OwnFile());
  s.SetIconIndex(2);
  s.SetHotKey(MAKEWORD('Y', HOTKEYF_CONTROL | HOTKEYF_ALT));
  s.SetShowCommand(ssMaximized);
  ASSERT_TRUE(s.CreateShortcut());
  std::string expected = IncludeTrailingBackslash(FolderPath(CSIDL_STARTUP)) + name + ".lnk";
  Written.push_back(expected);
  EXPECT_TRUE(SameText(s.ShortcutFileName(), expected)) << s.ShortcutFileName();
  ASSERT_TRUE(FileExists(expected));

  LinkInfo l = ReadLink(expected);
  EXPECT_TRUE(SameText(l.Path, OwnFile())) << l.Path;
  EXPECT_EQ(l.Arguments, "/minimized /db=C:\\data");
  EXPECT_EQ(l.Description, name);
  EXPECT_TRUE(SameText(l.WorkingDir, Dir)) << l.WorkingDir;
  EXPECT_TRUE(SameText(l.IconPath, OwnFile())) << l.IconPath;
  EXPECT_EQ(l.IconIndex, 2);
  EXPECT_EQ(l.HotKey, MAKEWORD('Y', HOTKEYF_CONTROL | HOTKEYF_ALT));
  EXPECT_EQ(l.ShowCmd, SW_SHOWMAXIMIZED);

  // Written again with other settings: the same file now holds them.
  s.SetParameters("");
  s.SetStartInDir("");
  s.SetShowCommand(ssNormal);
  ASSERT_TRUE(s.CreateShortcut());
  l = ReadLink(expected);
  EXPECT_EQ(l.Arguments, "");
  EXPECT_EQ(l.ShowCmd, SW_SHOWNORMAL);
}

TEST_F(StShortcutTest, AutoNamedLinkInANamedFolder) {
  TStShortcut s(nullptr);
  EXPECT_TRUE(s.AutoName());
  EXPECT_EQ(s.LocationType(), ltSpecialFolder);
  EXPECT_EQ(s.SpecialFolder(), sfDesktop);
  s.SetFileName(OwnFile());
  s.SetLocationType(ltDirectory);
  s.SetDestinationDir(Dir + "\\");  // with or without the backslash
  s.SetShowCommand(ssMinimized);
  ASSERT_TRUE(s.CreateShortcut());
  std::string expected = Dir + "\\Shortcut to " + ExtractFileName(OwnFile()) + ".lnk";
  Written.push_back(expected);
  EXPECT_EQ(s.ShortcutFileName(), expected);
  LinkInfo l = ReadLink(expected);
  EXPECT_TRUE(SameText(l.Path, OwnFile()));
  EXPECT_TRUE(l.ShowCmd == SW_SHOWMINIMIZED || l.ShowCmd == SW_SHOWMINNOACTIVE) << l.ShowCmd;
  EXPECT_EQ(l.WorkingDir, "");
  EXPECT_EQ(l.IconPath, "");
}

TEST_F(StShortcutTest, LinkBesideTheProgram) {
  TStShortcut s(nullptr);
  s.SetFileName(OwnFile());
  s.SetLocationType(ltWorkingDir);
  s.SetAutoName(false);
  s.SetDescription(Unique("beside"));
  ASSERT_TRUE(s.CreateShortcut());
  Written.push_back(s.ShortcutFileName());
  EXPECT_TRUE(SameText(s.ShortcutFileName(), ExtractFilePath(OwnFile()) + Unique("beside") + ".lnk"));
  EXPECT_TRUE(FileExists(s.ShortcutFileName()));
}

TEST_F(StShortcutTest, RefusedSettings) {
  TStShortcut s(nullptr);
  s.SetFileName(Dir + "\\missing.exe");
  try {
    s.CreateShortcut();
    FAIL() << "no exception";
  } catch (const EStShortcutError& e) {
    EXPECT_EQ(e.Message, "Cannot create shortcut. Target file does not exist");
    EXPECT_EQ(e.ErrorCode, 130);
  }
  s.SetFileName(OwnFile());
  s.SetLocationType(ltDirectory);
  try {
    s.CreateShortcut();
    FAIL() << "no exception";
  } catch (const EStShortcutError& e) {
    EXPECT_EQ(e.Message, "Destination directory not specified");
    EXPECT_EQ(e.ErrorCode, 124);
  }
}

TEST_F(StShortcutTest, ALinkThatCannotBeWrittenIsReportedAsFailure) {
  TStShortcut s(nullptr);
  s.SetFileName(OwnFile());
  s.SetLocationType(ltDirectory);
  s.SetDestinationDir(Dir + "\\no\\such\\folder");
  EXPECT_FALSE(s.CreateShortcut());
  EXPECT_EQ(s.ShortcutFileName(), "");

  // A name longer than a path may be is not cut short and saved elsewhere.
  s.SetDestinationDir(Dir);
  s.SetAutoName(false);
  s.SetDescription(std::string(300, 'x'));
  EXPECT_FALSE(s.CreateShortcut());
  EXPECT_EQ(s.ShortcutFileName(), "");

  // A virtual special folder has no path to write to.
  s.SetLocationType(ltSpecialFolder);
  s.SetSpecialFolder(sfDrives);
  s.SetDescription("x");
  EXPECT_FALSE(s.CreateShortcut());
  EXPECT_EQ(s.ShortcutFileName(), "");
}

// The shell version is read once at construction; an old shell is simulated here.
class OldShellShortcut : public TStShortcut {
public:
  OldShellShortcut() : TStShortcut(nullptr) { FShellVersion = 4.0; }
};

TEST_F(StShortcutTest, FoldersOfNewerShellsAreRefusedAtAssignment) {
  OldShellShortcut s;
  s.SetSpecialFolder(sfStartup);
  s.SetSpecialFolder(sfRecentFiles);
  for (TStSpecialRootFolder f : {sfInternet, sfAltStartup, sfCommonAltStartup, sfCommonFavorites, sfInternetCache,
                                 sfCookies, sfHistory}) {
    try {
      s.SetSpecialFolder(f);
      ADD_FAILURE() << "no exception for " << f;
    } catch (const EStShellError& e) {
      EXPECT_EQ(e.Message, "Operation not supported in this version of the shell");
      EXPECT_EQ(e.ErrorCode, 110);
    }
  }
  TStShortcut current(nullptr);
  current.SetSpecialFolder(sfHistory);  // a current shell has them all
  EXPECT_EQ(current.SpecialFolder(), sfHistory);
}

TEST_F(StShortcutTest, SpecialFolderIdentifiersAndPublishedDefaults) {
  EXPECT_EQ(SpecialFolderCSIDL(sfAltStartup), CSIDL_ALTSTARTUP);
  EXPECT_EQ(SpecialFolderCSIDL(sfDesktop), CSIDL_DESKTOP);
  EXPECT_EQ(SpecialFolderCSIDL(sfNone), 0);
  EXPECT_EQ(SpecialFolderCSIDL(sfStartup), CSIDL_STARTUP);
  EXPECT_EQ(SpecialFolderCSIDL(sfRecentFiles), CSIDL_RECENT);
  EXPECT_EQ(SpecialFolderCSIDL(sfTemplates), CSIDL_TEMPLATES);
  EXPECT_EQ(SpecialFolderCSIDL(sfCommonStartup), CSIDL_COMMON_STARTUP);
  EXPECT_EQ(SpecialFolderCSIDL(sfPersonal), CSIDL_PERSONAL);

  TStShortcut s(nullptr);
  TClass c = TStShortcut::StaticClass();
  const TPropInfo* p = c->FindProp("SpecialFolder");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->EnumInfo->IndexOf("sfStartup"), int(sfStartup));
  p->SetOrd(&s, sfStartup);
  EXPECT_EQ(s.SpecialFolder(), sfStartup);
  EXPECT_EQ(c->FindProp("LocationType")->DefaultValue, int64_t(ltSpecialFolder));
  EXPECT_EQ(c->FindProp("AutoName")->DefaultValue, 1);
  EXPECT_NE(c->FindProp("Version"), nullptr);
}

}  // namespace
