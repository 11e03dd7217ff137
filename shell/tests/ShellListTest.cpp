// The shell list on a folder tree of the test's own: the mask, sorting by header clicks, opening a
// folder and going up (alone and with a linked tree), renaming with F2, changes made outside the
// program, and the column widths a new window keeps; a tree read with its list from a form resource,
// sending the list the wheel and the name of a folder renamed in the tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "UPTShellList.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TShellEnvironment(true));

void Key(HWND Wnd, UINT Vk) {
  SendMessageA(Wnd, WM_KEYDOWN, Vk, 1);
  SendMessageA(Wnd, WM_KEYUP, Vk, 0xC0000001);
}

// A left click in the middle of a header item, as the mouse gives it.
void ClickHeader(HWND Header, int Column) {
  RECT r;
  SendMessageA(Header, HDM_GETITEMRECT, WPARAM(Column), LPARAM(&r));
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(Header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(Header, WM_LBUTTONUP, 0, at);
}

struct ShellListTest : ::testing::Test {
  TTestTree Disk{"shlist"};
  FormPtr F{new TForm(nullptr)};
  TPTShellList* List = nullptr;

  void SetUp() override {
    Disk.Folder("sub\\inner");
    Disk.Folder("zdir");
    Disk.File("a.txt", std::string(3000, 'a'));
    Disk.File("b.log", std::string(10, 'b'));
    Disk.File("c.txt", "c");
    F->SetBounds(40, 40, 620, 360);
  }
  void Make(TPTShellListOptions Options = PTShellListDefaultOptions) {
    List = new TPTShellList(F.get());
    List->SetOptions(Options);
    List->SetViewStyle(vsReport);
    List->SetParent(F.get());
    List->SetBounds(8, 8, 590, 300);
    List->Folder()->SetPidl(ToPidl(Disk.Root()).get());
    F->Show();
    ASSERT_TRUE(PumpUntil([&] { return List->Items()->Count() > 0; }));
  }
  std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (int i = 0; i < List->Items()->Count(); ++i) out.push_back(List->Items()->Item(i)->Caption());
    return out;
  }
  int IndexOf(const std::string& Name) {
    std::vector<std::string> n = Names();
    for (size_t i = 0; i < n.size(); ++i)
      if (n[i] == Name) return int(i);
    return -1;
  }
  TListItem* Item(const std::string& Name) { return IndexOf(Name) < 0 ? nullptr : List->Items()->Item(IndexOf(Name)); }
  void Focus(const std::string& Name) {
    List->SetFocus();
    List->ClearSelection();
    Item(Name)->SetSelected(true);
    Item(Name)->SetFocused(true);
  }
  std::string Shown() { return List->Folder()->Path(); }
};

TEST_F(ShellListTest, FillsThroughTheMaskAndSortsByHeaderClicks) {
  Make();
  EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "zdir", "a.txt", "b.log", "c.txt"}));
  std::string text(64, '\0');
  LVITEMA sub{};
  sub.iSubItem = 3;
  sub.pszText = text.data();
  sub.cchTextMax = int(text.size());
  SendMessageA(List->Handle(), LVM_GETITEMTEXTA, WPARAM(IndexOf("a.txt")), LPARAM(&sub));
  EXPECT_NE(text.c_str(), std::string());   // "Modified" comes from the folder

  // One extension lists the folders and the matching files; "*.*" everything again.
  List->SetFileMask("*.txt");
  EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "zdir", "a.txt", "c.txt"}));
  List->SetFileMask("*.*");
  EXPECT_EQ(Names().size(), 5u);

  if (std::getenv("SHELL_LIST_HOLD")) Pump(5000);   // time to take a screenshot of the report view by hand

  // The "Size" header sorts through the folder's own comparison of that column; a second click
  // reverses. (Wine's folders compare by name whatever the column.)
  auto inOrder = [&](int Direction) {
    for (int i = 0; i + 1 < List->Items()->Count(); ++i) {
      int order = ShellItemOrder(List->ListFolder(), TPTCustomShellList::ShellData(List->Items()->Item(i))->RelativePidl(),
                                 TPTCustomShellList::ShellData(List->Items()->Item(i + 1))->RelativePidl(), 1);
      if (order * Direction > 0) return false;
    }
    return true;
  };
  HWND header = List->HeaderHandle();
  ClickHeader(header, 1);
  EXPECT_EQ(List->SortColumnSigned(), 2);
  EXPECT_EQ(List->SortColumn(), 1);
  EXPECT_TRUE(inOrder(1));
  std::vector<std::string> up = Names();
  ClickHeader(header, 1);
  EXPECT_EQ(List->SortColumnSigned(), -2);
  EXPECT_EQ(List->SortDirection(), 0);
  EXPECT_TRUE(inOrder(-1));
  EXPECT_EQ(Names(), std::vector<std::string>(up.rbegin(), up.rend()));
  ClickHeader(header, 0);
  EXPECT_EQ(List->SortColumnSigned(), 1);
}

TEST_F(ShellListTest, OpensAFolderGoesUpAndRenamesWithF2) {
  Make();
  Focus("sub");
  Key(List->Handle(), VK_RETURN);
  EXPECT_EQ(Shown(), Disk.Path("sub"));
  EXPECT_EQ(Names(), std::vector<std::string>{"inner"});
  List->GoUp();
  EXPECT_EQ(Shown(), Disk.Root());
  ASSERT_NE(Item("a.txt"), nullptr);

  Focus("a.txt");
  Key(List->Handle(), VK_F2);
  ASSERT_TRUE(List->IsEditing());
  HWND edit = HWND(SendMessageA(List->Handle(), LVM_GETEDITCONTROL, 0, 0));
  SetWindowTextA(edit, "renamed.txt");
  Key(edit, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !List->IsEditing(); }));
  EXPECT_TRUE(TTestTree::Exists(Disk.Path("renamed.txt")));
  EXPECT_FALSE(TTestTree::Exists(Disk.Path("a.txt")));
  ASSERT_NE(Item("renamed.txt"), nullptr);
  EXPECT_EQ(TPTCustomShellList::ShellData(Item("renamed.txt"))->Path(), Disk.Path("renamed.txt"));

  // A new folder goes straight into renaming.
  ASSERT_TRUE(List->CreateNewFolder());
  ASSERT_TRUE(PumpUntil([&] { return List->IsEditing(); }));
  edit = HWND(SendMessageA(List->Handle(), LVM_GETEDITCONTROL, 0, 0));
  SetWindowTextA(edit, "fresh");
  Key(edit, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !List->IsEditing(); }));
  EXPECT_TRUE(TTestTree::Exists(Disk.Path("fresh")));
  EXPECT_FALSE(TTestTree::Exists(Disk.Path("New Folder")));
  ASSERT_NE(Item("fresh"), nullptr);

  // A shortcut to a folder opens that folder.
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                            reinterpret_cast<void**>(&link)));
  link->SetPath(Disk.Path("zdir").c_str());
  link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  std::wstring name(L"to zdir.lnk");
  file->Save((std::wstring(Disk.Root().begin(), Disk.Root().end()) + L"\\" + name).c_str(), TRUE);
  file->Release();
  link->Release();
  List->Refresh();
  ASSERT_EQ(List->Items()->Count(), 7);
  for (int i = 0; i < List->Items()->Count(); ++i)
    if (TPTCustomShellList::ShellData(List->Items()->Item(i))->IsShortcut()) Focus(List->Items()->Item(i)->Caption());
  Key(List->Handle(), VK_RETURN);
  EXPECT_EQ(Shown(), Disk.Path("zdir"));
  List->GoUp();

  // Navigation off: Enter on a folder and going up stay where they are.
  List->SetOptions(List->Options() + TPTShellListOptions{ptsloNoNavigation});
  Focus("sub");
  Key(List->Handle(), VK_RETURN);
  List->GoUp();
  EXPECT_EQ(Shown(), Disk.Root());
}

TEST_F(ShellListTest, LinkedTreeTakesTheFoldersAndTheNavigation) {
  Make();
  auto* tree = new TPTShellTree(F.get());
  tree->SetParent(F.get());
  tree->SetBounds(400, 8, 200, 300);
  tree->BaseFolder()->SetPidl(ToPidl(Disk.Root()).get());
  ASSERT_TRUE(PumpUntil([&] { return tree->Items()->Count() > 0; }));
  tree->SetShellList(List);
  EXPECT_EQ(List->ShellTree(), tree);

  // Opening a folder in the list selects it in the tree, which shows it in the list.
  Focus("sub");
  Key(List->Handle(), VK_RETURN);
  EXPECT_EQ(tree->GetSelectedPath(), Disk.Path("sub"));
  EXPECT_EQ(Shown(), Disk.Path("sub"));
  List->GoUp();
  EXPECT_EQ(tree->GetSelectedPath(), Disk.Root());
  EXPECT_EQ(Shown(), Disk.Root());

  // The selected folder renamed in the tree: the list shows it under its new name.
  tree->SelectedFolder()->SetPidl(ToPidl(Disk.Path("zdir")).get());
  ASSERT_EQ(Shown(), Disk.Path("zdir"));
  tree->SetFocus();
  tree->Selected()->EditText();
  HWND edit = HWND(SendMessageA(tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, "ydir");
  Key(edit, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !tree->IsEditing(); }));
  EXPECT_EQ(tree->GetSelectedPath(), Disk.Path("ydir"));
  EXPECT_EQ(Shown(), Disk.Path("ydir"));
  tree->GoUp(1);

  // Folders left to the tree: the list keeps the files.
  List->SetOptions(List->Options() + TPTShellListOptions{ptsloHideTreeFolders});
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "b.log", "c.txt"}));
  TObject::Free(tree);
  EXPECT_EQ(List->ShellTree(), nullptr);
}

TEST_F(ShellListTest, ATreeReadsItsListAndSendsItTheWheel) {
  for (int i = 0; i < 60; ++i) Disk.File("many" + std::to_string(100 + i) + ".txt");
  FormPtr g{new TForm(nullptr)};
  ReadComponentFromText("object Form1: TForm\n  Left = 40\n  Top = 40\n  Width = 620\n  Height = 360\n"
                        "  object List1: TPTShellList\n    Left = 300\n    Top = 8\n    Width = 290\n    Height = 300\n"
                        "    ViewStyle = vsReport\n  end\n"
                        "  object Tree1: TPTShellTree\n    Left = 8\n    Top = 8\n    Width = 280\n    Height = 300\n"
                        "    ShellList = List1\n  end\nend\n",
                        g.get());
  auto* tree = dynamic_cast<TPTShellTree*>(g->FindComponent("Tree1"));
  auto* list = dynamic_cast<TPTShellList*>(g->FindComponent("List1"));
  ASSERT_NE(tree, nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(tree->ShellList(), list);
  EXPECT_EQ(list->ShellTree(), tree);
  g->Show();
  ASSERT_TRUE(PumpUntil([&] { return tree->Items()->Count() > 0; }));
  tree->SelectedFolder()->SetPidl(ToPidl(Disk.Root()).get());
  ASSERT_TRUE(PumpUntil([&] { return list->Items()->Count() > 60; }));

  // The wheel turned with the tree focused and the pointer over the list scrolls the list.
  SetForegroundWindow(g->Handle());
  tree->SetFocus();
  PumpUntilFocused(tree->Handle());
  POINT over = list->ClientToScreen(POINT{100, 150});
  THoldPointer hold(over);
  INPUT in[2]{};
  for (INPUT& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = MulDiv(over.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    i.mi.dy = MulDiv(over.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  in[1].mi.dwFlags |= MOUSEEVENTF_WHEEL;
  in[1].mi.mouseData = DWORD(-WHEEL_DELTA);
  SendInput(2, in, sizeof(INPUT));
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(list->Handle(), LVM_GETTOPINDEX, 0, 0) > 0; }));
  // Wine gives the turn to the window under the pointer; Windows gives it to the focused tree, which
  // hands it on.
  LRESULT top = SendMessageA(list->Handle(), LVM_GETTOPINDEX, 0, 0);
  SendMessageA(tree->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(over.x, over.y));
  EXPECT_GT(SendMessageA(list->Handle(), LVM_GETTOPINDEX, 0, 0), top);
}

TEST_F(ShellListTest, SelectionDragsAsItemsAndDropsOnAFolderItem) {
  Make();
  List->SetMultiSelect(true);
  List->SetFocus();
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  Key(List->Handle(), 'A');
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(List->SelCount(), 5);

  List->ClearSelection();
  Item("a.txt")->SetSelected(true);
  Item("c.txt")->SetSelected(true);
  EXPECT_EQ(List->SelectionEffects(), DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
  std::vector<PCUITEMID_CHILD> items;
  for (const char* n : {"a.txt", "c.txt"}) items.push_back(TPTCustomShellList::ShellData(Item(n))->RelativePidl());
  auto* data = new TDataObject_shlv(List->ListFolderPidl(), List->ListFolder(), items);
  FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->QueryGetData(&text), DV_E_FORMATETC);
  FORMATETC drop{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM m{};
  ASSERT_EQ(data->GetData(&drop, &m), S_OK);
  char first[MAX_PATH] = {};
  EXPECT_EQ(DragQueryFileA(HDROP(m.hGlobal), 0xFFFFFFFF, nullptr, 0), 2u);
  DragQueryFileA(HDROP(m.hGlobal), 0, first, MAX_PATH);
  EXPECT_EQ(std::string(first), Disk.Path("a.txt"));
  ReleaseStgMedium(&m);

  // Dropped on the "sub" item, the folder itself takes the files. (Wine 8's folders accept a drop but
  // then neither copy nor move, so the files stay where they are.)
  RECT r = Item("sub")->DisplayRect(drLabel);
  POINT at = List->ClientToScreen(POINT{r.left + 4, r.top + 4});
  DWORD effect = DROPEFFECT_COPY;
  List->DoDragEnter(data, MK_LBUTTON | MK_CONTROL, POINTL{at.x, at.y}, &effect);
  EXPECT_TRUE(effect & DROPEFFECT_COPY);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(List->DoDrop(data, MK_CONTROL, POINTL{at.x, at.y}, &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
  data->Release();
}

TEST_F(ShellListTest, OutsideChangesShowAndColumnWidthsAreKept) {
  Make();
  List->SetFocus();
  TListItem* sub = Item("sub");
  Disk.File("sub\\x.txt");   // changes the folder's item-id bytes under Wine: still the same item
  Disk.File("new.txt");
  EXPECT_TRUE(PumpUntil([&] { return Item("new.txt") != nullptr; }));
  EXPECT_EQ(Item("sub"), sub);
  DeleteFileA(Disk.Path("b.log").c_str());
  EXPECT_TRUE(PumpUntil([&] { return Item("b.log") == nullptr; }));

  // Widths set by the user come back in the next list's window.
  SendMessageA(List->Handle(), LVM_SETCOLUMNWIDTH, 0, 222);
  SendMessageA(List->Handle(), LVM_SETCOLUMNWIDTH, 1, 99);
  TObject::Free(List);
  Make();
  EXPECT_EQ(List->Column(0)->Width(), 222);
  EXPECT_EQ(List->Column(1)->Width(), 99);

  // A short stream restores what it holds and stops.
  TMemoryStream s;
  int32_t values[] = {4, 150};
  s.WriteBuffer(values, sizeof values);
  s.SetPosition(0);
  List->LoadColumnWidths(&s);
  EXPECT_EQ(List->Column(0)->Width(), 150);
  EXPECT_EQ(List->Column(1)->Width(), 99);
}

}  // namespace

namespace {

// Ctrl+V in the list asks the shown folder's own menu for Paste; without one the key beeps.
TEST_F(ShellListTest, CtrlVWithoutPasteBeeps) {
  Make();
  SetForegroundWindow(F->Handle());
  Focus("c.txt");
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == List->Handle(); }));
  std::vector<std::string> before = Names();
  TBeepCounter beeps;
  PressCtrlKey('V');
  ASSERT_TRUE(PumpUntil([&] { return beeps.Count() > 0; })) << "no beep";
  // No second beep: a while passes for one to come.
  Pump(100);
  EXPECT_EQ(beeps.Count(), 1);
  EXPECT_EQ(Names(), before);
}

}  // namespace
