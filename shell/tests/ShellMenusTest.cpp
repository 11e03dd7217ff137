// The shell's context menu on the test's own files (verbs, "delete" with its confirmation answered,
// unknown verbs), the Send To submenu on a stand-in menu, new folders, PIDL splitting and the
// shortcut texts.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Dialogs.h"
#include "ShellTestSupport.h"
#include "UPTShellControls.h"

namespace {

class MenusEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitForms();
    UPTShellControlsInitialize();
  }
  void TearDown() override {
    UPTShellControlsFinalize();
    DoneForms();
  }
};
const auto* const Env = ::testing::AddGlobalTestEnvironment(new MenusEnvironment);

using UPTShellControls::ShortCutToText;
using UPTShellControls::TextToShortCut;

TEST(ShortCutTextTest, NamesAndParsing) {
  struct Case {
    TShortCut Key;
    const char* Text;
  };
  for (Case c : {Case{TShortCut(scCtrl | scShift | VK_DELETE), "Shift+Ctrl+Del"}, Case{VK_F13, "F13"},
                 Case{300, "#300"}, Case{TShortCut(scCtrl | 'A'), "Ctrl+A"}, Case{TShortCut(scAlt | VK_SPACE), "Alt+Space"},
                 Case{VK_NEXT, "PgDn"}, Case{VK_DOWN, "Down"}, Case{VK_NUMPAD5, "5"}, Case{VK_BACK, "BkSp"},
                 Case{VK_ESCAPE, "Esc"}, Case{0, ""}})
    EXPECT_EQ(ShortCutToText(c.Key), c.Text) << c.Key;
  EXPECT_EQ(TextToShortCut("ctrl+a"), TShortCut(scCtrl | 'A'));
  EXPECT_EQ(TextToShortCut("^C"), TShortCut(scCtrl | 'C'));
  EXPECT_EQ(TextToShortCut("Shift+Ctrl+Del"), TShortCut(scShift | scCtrl | VK_DELETE));
  EXPECT_EQ(TextToShortCut("alt+shift+f4"), TShortCut(scAlt | scShift | VK_F4));
  EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), 0);
  EXPECT_EQ(PTShellShortCut(pskDelete), VK_DELETE);
  EXPECT_EQ(PTShellShortCut(pskPaste), TShortCut(scCtrl | 'V'));
  EXPECT_EQ(PTShellShortCut(pskRename), VK_F2);
  EXPECT_EQ(PTLoadStr(sPTCreateFolderError), "Unable to create the folder '%2'\n\n%1");
  EXPECT_EQ(PTLoadStr(sPTDeleteHint), "Deletes the selected items.");
}

TEST(SplitPidlTest, ParentChildAndTheDesktop) {
  TTestTree tree("split");
  std::string deep = tree.Folder("p\\c");
  LPITEMIDLIST whole = nullptr;
  ASSERT_HRESULT_SUCCEEDED(PathToPidl(deep, whole));
  PidlPtr hold(whole);
  IShellFolder* folder = nullptr;
  LPITEMIDLIST parent = nullptr, child = nullptr;
  ASSERT_HRESULT_SUCCEEDED(SplitPidl(whole, folder, parent, child));
  EXPECT_EQ(PidlToPath(parent), tree.Path("p"));
  std::string name;
  GetDisplayName(folder, child, ptdnInFolder, name);
  EXPECT_EQ(name, "c");
  folder->Release();
  ShellFree(parent);
  ShellFree(child);

  // One item: the desktop folder and no parent.
  LPITEMIDLIST drives = nullptr;
  ASSERT_HRESULT_SUCCEEDED(GetSpecialFolderPidl(nullptr, CSIDL_DRIVES, drives));
  PidlPtr holdDrives(drives);
  ASSERT_HRESULT_SUCCEEDED(SplitPidl(drives, folder, parent, child));
  EXPECT_EQ(parent, nullptr);
  EXPECT_EQ(PidlCompare(child, drives), 0);
  folder->Release();
  ShellFree(child);

  // The empty PIDL splits as the desktop's own folder path.
  static const USHORT empty = 0;
  ASSERT_HRESULT_SUCCEEDED(SplitPidl(reinterpret_cast<PCIDLIST_ABSOLUTE>(&empty), parent, child));
  LPITEMIDLIST joined = PidlConcat(nullptr, parent, child);
  EXPECT_EQ(PidlToPath(joined), PidlToPath(nullptr));
  ShellFree(joined);
  ShellFree(parent);
  ShellFree(child);
}

// Clicks Yes in the first dialog box of this process that shows up within the time.
class TBoxAnswerer {
public:
  explicit TBoxAnswerer(int Button) : FButton(Button), FThread([this] { Run(); }) {}
  ~TBoxAnswerer() {
    FStop = true;
    FThread.join();
  }
  bool Answered() const { return FAnswered; }

private:
  void Run() {
    DWORD start = GetTickCount();
    while (!FStop && GetTickCount() - start < 5000) {
      HWND box = nullptr;
      EnumWindows(
          [](HWND w, LPARAM p) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            char cls[32] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w) && strcmp(cls, "#32770") == 0) {
              *reinterpret_cast<HWND*>(p) = w;
              return FALSE;
            }
            return TRUE;
          },
          LPARAM(&box));
      if (box) {
        HWND yes = GetDlgItem(box, FButton);
        if (yes) PostMessageA(box, WM_COMMAND, MAKEWPARAM(FButton, BN_CLICKED), LPARAM(yes));
        else PostMessageA(box, WM_COMMAND, FButton, 0);
        FAnswered = true;
        return;
      }
      Sleep(50);
    }
  }
  int FButton;
  std::atomic<bool> FStop{false}, FAnswered{false};
  std::thread FThread;
};

TEST(ContextMenuTest, VerbsDeleteAndUnknownVerbs) {
  TTestTree tree("menu");
  std::string file = tree.File("victim.txt");
  LPITEMIDLIST root = nullptr;
  ASSERT_HRESULT_SUCCEEDED(PathToPidl(tree.Root(), root));
  PidlPtr holdRoot(root);
  IShellFolder* folder = nullptr;
  ASSERT_HRESULT_SUCCEEDED(GetShellFolder(root, folder));
  LPITEMIDLIST item = nullptr;
  ULONG eaten = 0;
  ASSERT_HRESULT_SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(L"victim.txt"), &eaten, &item, nullptr));
  PidlPtr holdItem(item);

  TPTShellContextMenu menu;
  ASSERT_TRUE(menu.Build(nullptr, folder, {item}, CMF_NORMAL));
  std::vector<std::string> verbs = menu.Verbs();
  for (const char* v : {"open", "copy", "delete"})
    EXPECT_NE(std::find(verbs.begin(), verbs.end(), v), verbs.end()) << v;
  EXPECT_EQ(FindVerbCommand(menu.ContextMenu(), "DELETE"), FindVerbCommand(menu.ContextMenu(), "delete"));
  EXPECT_GE(FindVerbCommand(menu.ContextMenu(), "delete"), 0);

  // An unknown verb runs nothing, least of all the first command.
  EXPECT_EQ(FindVerbCommand(menu.ContextMenu(), "no-such-verb"), -1);
  EXPECT_EQ(InvokeMenuCommand(menu.ContextMenu(), nullptr, "no-such-verb"), E_INVALIDARG);
  EXPECT_EQ(menu.Execute(0), E_INVALIDARG);
  Pump(200);
  EXPECT_TRUE(TTestTree::Exists(file));

  {
    TBoxAnswerer yes(IDYES);
    EXPECT_HRESULT_SUCCEEDED(InvokeMenuCommand(menu.ContextMenu(), nullptr, "delete"));
    Pump(100);
  }
  EXPECT_FALSE(TTestTree::Exists(file));
  folder->Release();
}

// A stand-in for the shell's menu with a Send To submenu (Wine's shell has none): a "sendto" popup
// and another popup that also begins with a disabled item.
class TFakeMenu : public IContextMenu {
public:
  HMENU SendTo = nullptr, Other = nullptr;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IContextMenu) {
      *ppv = this;
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU Menu, UINT, UINT First, UINT, UINT) override {
    SendTo = CreatePopupMenu();
    AppendMenuA(SendTo, MF_STRING | MF_GRAYED, First + 5, "(empty)");
    Other = CreatePopupMenu();
    AppendMenuA(Other, MF_STRING | MF_GRAYED, First + 6, "(nothing)");
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    mii.wID = First + 1;
    mii.hSubMenu = Other;
    mii.dwTypeData = const_cast<char*>("Other");
    InsertMenuItemA(Menu, 0, TRUE, &mii);
    mii.wID = First + 0;
    mii.hSubMenu = SendTo;
    mii.dwTypeData = const_cast<char*>("Se&nd To");
    InsertMenuItemA(Menu, 1, TRUE, &mii);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 7);
  }
  HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR Cmd, UINT Kind, UINT*, LPSTR Name, UINT Max) override {
    if (Kind != GCS_VERBA) return E_INVALIDARG;
    const char* v = Cmd == 0 ? "sendto" : Cmd == 1 ? "other" : nullptr;
    if (!v) return E_INVALIDARG;
    lstrcpynA(Name, v, int(Max));
    return S_OK;
  }
};

struct TSendToFiles {
  std::string Folder = GetSpecialFolderPath(nullptr, CSIDL_SENDTO);
  std::vector<std::string> Made;
  TSendToFiles() { CreateDirectoryA(Folder.c_str(), nullptr); }
  void Add(const std::string& Name) {
    std::string full = Folder + "\\" + Name;
    HANDLE h = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    Made.push_back(full);
  }
  ~TSendToFiles() {
    for (const std::string& f : Made) DeleteFileA(f.c_str());
  }
};

LRESULT Send(TPTShellContextMenu& Menu, UINT Msg, WPARAM W, LPARAM L) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = W;
  m.LParam = L;
  EXPECT_TRUE(Menu.HandleMenuMessage(m));
  return m.Result;
}

TEST(ContextMenuTest, SendToIsFoundByItsOwnMenuAndFilled) {
  TSendToFiles files;
  ASSERT_FALSE(files.Folder.empty());
  for (const char* n : {"Alpha.lnk", "Beta.lnk", "Bravo.txt"}) files.Add(n);
  TFakeMenu fake;
  TPTShellContextMenu menu;
  menu.Build(nullptr, &fake, CMF_NORMAL);
  EXPECT_TRUE(menu.IsSendToMenu(fake.SendTo));
  EXPECT_FALSE(menu.IsSendToMenu(fake.Other));

  Send(menu, WM_INITMENUPOPUP, WPARAM(fake.Other), 0);
  EXPECT_EQ(GetMenuItemCount(fake.Other), 1);   // left as the shell made it
  Send(menu, WM_INITMENUPOPUP, WPARAM(fake.SendTo), 1);
  std::vector<std::string> names = menu.SendToNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta", "Bravo"}));   // no "." or "..", no extension
  ASSERT_EQ(GetMenuItemCount(fake.SendTo), 3);                               // the placeholder is gone
  for (int i = 0; i < 3; ++i) {
    UINT id = GetMenuItemID(fake.SendTo, i);
    EXPECT_GE(id, 1u);
    EXPECT_LT(id, PTFirstShellCommand);
    EXPECT_TRUE(GetMenuState(fake.SendTo, UINT(i), MF_BYPOSITION) & MF_OWNERDRAW);
  }

  // Mnemonics: one match runs, two select.
  int alpha = int(std::find(menu.SendToNames().begin(), menu.SendToNames().end(), "Alpha") - menu.SendToNames().begin());
  LRESULT r = Send(menu, WM_MENUCHAR, 'a', LPARAM(fake.SendTo));
  EXPECT_EQ(HIWORD(r), MNC_EXECUTE);
  EXPECT_EQ(LOWORD(r), alpha);
  EXPECT_EQ(HIWORD(Send(menu, WM_MENUCHAR, 'b', LPARAM(fake.SendTo))), MNC_SELECT);
  EXPECT_EQ(HIWORD(Send(menu, WM_MENUCHAR, 'q', LPARAM(fake.SendTo))), MNC_IGNORE);

  // Drawing a selected entry: highlight behind it, the icon at 8 pixels from the left.
  MEASUREITEMSTRUCT mi{};
  mi.CtlType = ODT_MENU;
  mi.itemID = 1;
  Send(menu, WM_MEASUREITEM, 0, LPARAM(&mi));
  EXPECT_EQ(int(mi.itemHeight), GetSystemMetrics(SM_CYMENU) + 2);
  EXPECT_GT(int(mi.itemWidth), 32);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(int(mi.itemWidth), int(mi.itemHeight));
  DRAWITEMSTRUCT di{};
  di.CtlType = ODT_MENU;
  di.itemID = 1;
  di.itemState = ODS_SELECTED;
  di.hDC = bmp.Canvas()->Handle();
  di.rcItem = RECT{0, 0, int(mi.itemWidth), int(mi.itemHeight)};
  Send(menu, WM_DRAWITEM, 0, LPARAM(&di));
  EXPECT_EQ(GetPixel(di.hDC, 2, 1), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(GetPixel(di.hDC, int(mi.itemWidth) - 2, int(mi.itemHeight) - 2), GetSysColor(COLOR_HIGHLIGHT));
  di.itemState = 0;
  Send(menu, WM_DRAWITEM, 0, LPARAM(&di));
  EXPECT_EQ(GetPixel(di.hDC, 2, 1), GetSysColor(COLOR_MENU));
}

TEST(ContextMenuTest, ManySendToEntriesStayBelowTheShellCommands) {
  TSendToFiles files;
  for (int i = 0; i < 60; ++i) files.Add("entry" + std::to_string(i) + ".txt");
  TFakeMenu fake;
  TPTShellContextMenu menu;
  menu.Build(nullptr, &fake, CMF_NORMAL);
  Send(menu, WM_INITMENUPOPUP, WPARAM(fake.SendTo), 1);
  int n = GetMenuItemCount(fake.SendTo);
  EXPECT_EQ(n, TPTShellContextMenu::MaxSendToEntries);
  for (int i = 0; i < n; ++i) EXPECT_LT(GetMenuItemID(fake.SendTo, i), PTFirstShellCommand);
}

TEST(NewFolderTest, UniqueNamesRefusalsAndWarnings) {
  TTestTree tree("newfolder");
  std::vector<std::string> shown;
  MessageDlgHook = [&](const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons) {
    EXPECT_EQ(Type, mtWarning);
    shown.push_back(Msg);
    return int(mrOk);
  };
  EXPECT_EQ(CreateUniqueFolder(tree.Root()), "New Folder");
  EXPECT_EQ(CreateUniqueFolder(tree.Root() + "\\"), "New Folder (2)");
  EXPECT_TRUE(TTestTree::Exists(tree.Path("New Folder (2)")));
  EXPECT_TRUE(shown.empty());

  // A virtual folder has no path: nothing is made, least of all in the current directory.
  char cwd[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  SetCurrentDirectoryA(tree.Root().c_str());
  EXPECT_EQ(CreateUniqueFolder(""), "");
  SetCurrentDirectoryA(cwd);
  EXPECT_FALSE(TTestTree::Exists(tree.Path("New Folder (3)")));

  // A parent that is not there: the system's reason and the full name.
  EXPECT_EQ(CreateUniqueFolder(tree.Path("gone\\deeper")), "");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("Unable to create the folder '" + tree.Path("gone\\deeper\\New Folder") + "'"), std::string::npos);
  MessageDlgHook = nullptr;
}

}  // namespace
