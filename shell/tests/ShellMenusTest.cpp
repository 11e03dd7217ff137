// The shell's context menu on the test's own files (verbs, "delete" with its confirmation answered,
// unknown verbs), the Send To submenu on a stand-in menu (its mnemonics too), a menu that cannot be
// filled handed back, new folders, PIDL splitting and the shortcut texts and their table.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Dialogs.h"
#include "StdCtrls.h"
#include "ShellTestSupport.h"
#include "UPTShellControls.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TShellEnvironment);

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
  // The key table's order: F5 (refresh) at 5, F2 (rename) at 6.
  EXPECT_EQ(PTShellShortCut(TPTShellCommandKey(5)), VK_F5);
  EXPECT_EQ(PTShellShortCut(TPTShellCommandKey(6)), VK_F2);
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

  // A folder's menu lists its verbs too.
  tree.Folder("sub");
  LPITEMIDLIST sub = nullptr;
  ASSERT_HRESULT_SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(L"sub"), &eaten, &sub, nullptr));
  PidlPtr holdSub(sub);
  {
    TPTShellContextMenu folderMenu;
    ASSERT_TRUE(folderMenu.Build(nullptr, folder, {sub}, CMF_EXPLORE));
    std::vector<std::string> folderVerbs = folderMenu.Verbs();
    EXPECT_NE(std::find(folderVerbs.begin(), folderVerbs.end(), "open"), folderVerbs.end());
    EXPECT_NE(std::find(folderVerbs.begin(), folderVerbs.end(), "delete"), folderVerbs.end());
    EXPECT_FALSE(folderMenu.Build(nullptr, folder, {}, CMF_NORMAL));   // no items, no menu
    EXPECT_EQ(folderMenu.Handle(), nullptr);
  }

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
  // Nothing runs: a while passes for a command that would.
  Pump(200);
  EXPECT_TRUE(TTestTree::Exists(file));

  {
    TMessageBoxAnswerer yes(IDYES, false, 5000);
    EXPECT_HRESULT_SUCCEEDED(InvokeMenuCommand(menu.ContextMenu(), nullptr, "delete"));
    PumpUntil([&] { return !TTestTree::Exists(file); });
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
    if (Kind == GCS_HELPTEXTA) {
      lstrcpynA(Name, ("help for " + std::to_string(Cmd)).c_str(), int(Max));
      return S_OK;
    }
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

  // Selecting a shell command hands its help text to the hint; the controls' own items do not.
  struct H {
    std::vector<std::string> Hints;
    void Hint(TObject*, const std::string& S) { Hints.push_back(S); }
  } h;
  menu.OnHint = TPTMenuHintEvent(&h, &H::Hint);
  Send(menu, WM_MENUSELECT, MAKEWPARAM(PTFirstShellCommand + 6, MF_STRING), LPARAM(fake.Other));
  Send(menu, WM_MENUSELECT, MAKEWPARAM(1, MF_OWNERDRAW), LPARAM(fake.SendTo));
  Send(menu, WM_MENUSELECT, MAKEWPARAM(PTFirstShellCommand, MF_POPUP), LPARAM(nullptr));
  EXPECT_EQ(h.Hints, std::vector<std::string>{"help for 6"});
}

TEST(ContextMenuTest, MnemonicsAnswerWithTheEntrysPlaceInItsMenu) {
  TSendToFiles files;
  for (const char* n : {"Alpha.lnk", "Beta.lnk"}) files.Add(n);
  TFakeMenu fake;
  TPTShellContextMenu menu;
  menu.Build(nullptr, &fake, CMF_NORMAL);
  // An item of the shell's own after the placeholder: the entries come after it.
  AppendMenuA(fake.SendTo, MF_STRING, PTFirstShellCommand + 8, "Mail recipient");
  Send(menu, WM_INITMENUPOPUP, WPARAM(fake.SendTo), 1);
  ASSERT_EQ(GetMenuItemCount(fake.SendTo), 3);
  int beta = int(std::find(menu.SendToNames().begin(), menu.SendToNames().end(), "Beta") - menu.SendToNames().begin());
  LRESULT r = Send(menu, WM_MENUCHAR, 'b', LPARAM(fake.SendTo));
  EXPECT_EQ(HIWORD(r), MNC_EXECUTE);
  EXPECT_EQ(GetMenuItemID(fake.SendTo, LOWORD(r)), UINT(beta + 1));
}

// An item menu whose filling fails, and a folder that hands it out.
struct TRefusingMenu : TFakeMenu {
  ULONG Refs = 1;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++Refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --Refs; }
  HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) override { return E_FAIL; }
};

struct TMenuFolder : IShellFolder {
  IContextMenu* Menu;
  explicit TMenuFolder(IContextMenu* M) : Menu(M) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** Out) override { return *Out = nullptr, E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void** Out) override {
    Menu->AddRef();
    *Out = Menu;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override { return E_NOTIMPL; }
};

TEST(ContextMenuTest, AMenuThatCannotBeFilledIsHandedBack) {
  TRefusingMenu refusing;
  TMenuFolder folder(&refusing);
  const BYTE item[] = {4, 0, 'x', 'x', 0, 0};
  TPTShellContextMenu menu;
  EXPECT_ANY_THROW(menu.Build(nullptr, &folder, {reinterpret_cast<PCUITEMID_CHILD>(item)}, CMF_NORMAL));
  EXPECT_EQ(refusing.Refs, 1u);
}

TEST(ContextMenuTest, TrackReturnsTheChosenCommand) {
  TFakeMenu fake;
  TPTShellContextMenu menu;
  menu.Build(nullptr, &fake, CMF_NORMAL);
  AppendMenuA(menu.Handle(), MF_STRING, PTFirstShellCommand + 9, "Nine");
  // Keys waiting in the queue choose the last item; a watchdog closes the menu should they not.
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 300 && !done; ++i) Sleep(100);
    if (!done) EndMenu();
  });
  DWORD self = GetCurrentThreadId();
  for (UINT key : {UINT(VK_UP), UINT(VK_RETURN)}) {
    PostThreadMessageA(self, WM_KEYDOWN, key, 1);
    PostThreadMessageA(self, WM_KEYUP, key, 0xC0000001);
  }
  UINT chosen = menu.Track(100, 100);
  done = true;
  watchdog.join();
  EXPECT_EQ(chosen, PTFirstShellCommand + 9);
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

TEST(SharedRoutinesTest, PathsTimesStylesAndScrolling) {
  for (auto [path, want] : std::vector<std::pair<std::string, bool>>{{"C:\\", false}, {"C:\\a", true}, {"abc", false}, {"abcd", true}})
    EXPECT_EQ(IsLongerThanRoot(path), want) << path;
  SYSTEMTIME st{2024, 2, 0, 29, 13, 45, 10, 0};
  FILETIME local, utc;
  SystemTimeToFileTime(&st, &local);
  LocalFileTimeToFileTime(&local, &utc);
  EXPECT_NEAR(FileTimeToDateTimeLocal(utc), SystemTimeToDateTime(st), 1e-6);
  try {
    RaiseSystemError(ERROR_FILE_NOT_FOUND);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, SysErrorMessage(ERROR_FILE_NOT_FOUND));
  }

  FormPtr f(new TForm(nullptr));
  f->SetBounds(30, 30, 200, 160);
  auto* box = new TListBox(f.get());
  box->SetParent(f.get());
  box->SetBounds(0, 0, 150, 100);
  f->Show();
  EXPECT_EQ(ControlWindow(box), f->Handle());
  EXPECT_EQ(ControlWindow(nullptr), nullptr);
  SetWindowStyleBits(box->Handle(), WS_TABSTOP, false);
  EXPECT_FALSE(GetWindowLongA(box->Handle(), GWL_STYLE) & WS_TABSTOP);
  SetWindowStyleBits(box->Handle(), WS_TABSTOP, true);
  EXPECT_TRUE(GetWindowLongA(box->Handle(), GWL_STYLE) & WS_TABSTOP);
  // Room to scroll: one line down moves the top; without room nothing moves.
  box->Items()->Add("only");
  ScrollControl(box, 1, SB_LINEDOWN);
  EXPECT_EQ(SendMessageA(box->Handle(), LB_GETTOPINDEX, 0, 0), 0);
  for (int i = 0; i < 40; ++i) box->Items()->Add("line " + std::to_string(i));
  ScrollControl(box, 1, SB_LINEDOWN);
  EXPECT_EQ(SendMessageA(box->Handle(), LB_GETTOPINDEX, 0, 0), 1);
  UINT lines = 0;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  DragScroll(box, 1, SB_LINEDOWN, SB_PAGEDOWN);
  if (lines != WHEEL_PAGESCROLL) EXPECT_EQ(SendMessageA(box->Handle(), LB_GETTOPINDEX, 0, 0), LRESULT(1 + lines));
  else EXPECT_GT(SendMessageA(box->Handle(), LB_GETTOPINDEX, 0, 0), 1);
}

}  // namespace
