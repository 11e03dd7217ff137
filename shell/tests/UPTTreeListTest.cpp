// The custom-draw tree and list on real windows: a handler's colours reach the painted item and an
// untouched handler changes nothing; context menus by key and by right click with the event that
// swaps the menu; the list header's owner-drawn captions and sort arrow, probed on the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "UPTShell95.h"
#include "UPTTreeList.h"

namespace {

class TreeListEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitForms();
    UPTShell95Initialize();
    UPTTreeListInitialize();
  }
  void TearDown() override {
    UPTShell95Finalize();
    DoneForms();
  }
};
const auto* const Env = ::testing::AddGlobalTestEnvironment(new TreeListEnvironment);

// A popup menu that records where it would pop up instead of tracking.
class TRecordingMenu : public TPopupMenu {
public:
  using TPopupMenu::TPopupMenu;
  std::vector<POINT> Shown;
  void Popup(int X, int Y) override { Shown.push_back(POINT{X, Y}); }
};

class TTestTree : public TPTCustomTreeView {
public:
  using TPTCustomTreeView::TPTCustomTreeView;
};
class TTestList : public TPTCustomListView {
public:
  using TPTCustomListView::TPTCustomListView;
};

struct TreeListTest : ::testing::Test {
  FormPtr F{new TForm(nullptr)};
  TTestTree* Tree = nullptr;
  TRecordingMenu* Menu = nullptr;
  void SetUp() override {
    F->SetBounds(50, 50, 420, 320);
    Tree = new TTestTree(F.get());
    Tree->SetParent(F.get());
    Tree->SetBounds(10, 10, 200, 250);
    Menu = new TRecordingMenu(F.get());
    F->Show();
    PumpUntilPainted(F->Handle());
  }
  COLORREF PixelAt(HWND Wnd, int X, int Y) {
    RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
    HDC dc = GetDC(Wnd);
    COLORREF c = GetPixel(dc, X, Y);
    ReleaseDC(Wnd, dc);
    return c;
  }
};

struct TDrawLog {
  std::vector<std::string> Items;
  bool Touch = true;
  void Paint(TObject*, TPTCustomDraw* C, TTreeNode* Node) {
    if (!Node) return;
    Items.push_back(Node->Text());
    if (Touch && Node->Text() == "Marked") {
      C->Font()->SetColor(clRed);
      C->Brush()->SetColor(clYellow);
    }
  }
  void ListPaint(TObject*, TPTCustomDraw* C, TListItem* Item) {
    if (Item && Item->Caption() == "Marked") C->Brush()->SetColor(clLime);
  }
};

TEST_F(TreeListTest, ItemPaintHandlerColoursItsNodeOnly) {
  TTreeNode* a = Tree->Items()->AddChild(nullptr, "Plain");
  TTreeNode* b = Tree->Items()->AddChild(nullptr, "Marked");
  TDrawLog log;
  Tree->OnItemPaint = TPTTvCustomDrawEvent(&log, &TDrawLog::Paint);
  RECT rb = b->DisplayRect(true), ra = a->DisplayRect(true);
  EXPECT_EQ(PixelAt(Tree->Handle(), rb.right - 2, (rb.top + rb.bottom) / 2), RGB(255, 255, 0));
  EXPECT_NE(PixelAt(Tree->Handle(), ra.right - 2, (ra.top + ra.bottom) / 2), RGB(255, 255, 0));
  EXPECT_NE(std::find(log.Items.begin(), log.Items.end(), "Plain"), log.Items.end());
  // Some pixel of the marked caption is in the handler's text colour.
  HDC dc = GetDC(Tree->Handle());
  bool red = false;
  for (int x = rb.left; x < rb.right && !red; ++x)
    for (int y = rb.top; y < rb.bottom && !red; ++y) red = GetPixel(dc, x, y) == RGB(255, 0, 0);
  ReleaseDC(Tree->Handle(), dc);
  EXPECT_TRUE(red);
}

TEST_F(TreeListTest, AnswersWithAndWithoutHandlers) {
  TTreeNode* n = Tree->Items()->AddChild(nullptr, "Marked");
  HDC dc = GetDC(Tree->Handle());
  NMTVCUSTOMDRAW cd{};
  cd.nmcd.hdc = dc;
  cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  cd.nmcd.dwItemSpec = DWORD_PTR(n->ItemId());
  cd.clrText = RGB(1, 2, 3);
  cd.clrTextBk = RGB(4, 5, 6);
  LRESULT r = -1;
  // No handler: no context, the default answer.
  std::unique_ptr<TPTCustomDraw> none(Tree->CustomDrawItem(&cd, &r));
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(r, CDRF_DODEFAULT);
  // A handler that changes nothing: no new font, the colours stay.
  TDrawLog quiet;
  quiet.Touch = false;
  Tree->OnItemPaint = TPTTvCustomDrawEvent(&quiet, &TDrawLog::Paint);
  std::unique_ptr<TPTCustomDraw> c(Tree->CustomDrawItem(&cd, &r));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->Stage(), TPTCustomDraw::stItemPrePaint);
  EXPECT_FALSE(r & CDRF_NEWFONT);
  EXPECT_EQ(cd.clrText, RGB(1, 2, 3));
  EXPECT_EQ(cd.clrTextBk, RGB(4, 5, 6));
  // One that changes them: a new font and both colours.
  TDrawLog loud;
  Tree->OnItemPaint = TPTTvCustomDrawEvent(&loud, &TDrawLog::Paint);
  c.reset(Tree->CustomDrawItem(&cd, &r));
  EXPECT_TRUE(r & CDRF_NEWFONT);
  EXPECT_EQ(cd.clrText, RGB(255, 0, 0));
  EXPECT_EQ(cd.clrTextBk, RGB(255, 255, 0));
  // The pre-paint stage asks for the items.
  cd.nmcd.dwDrawStage = CDDS_PREPAINT;
  c.reset(Tree->CustomDrawItem(&cd, &r));
  EXPECT_EQ(r, CDRF_NOTIFYITEMDRAW);
  ReleaseDC(Tree->Handle(), dc);
}

struct TMenuLog {
  std::vector<std::string> Nodes;
  std::vector<POINT> Points;
  TPopupMenu* Swap = nullptr;
  bool DoSwap = false;
  void Tree(TObject*, TTreeNode* Node, POINT& Pt, TPopupMenu*& Menu) {
    Nodes.push_back(Node ? Node->Text() : "(none)");
    Points.push_back(Pt);
    if (DoSwap) Menu = Swap;
  }
};

void SendKey(HWND Wnd, UINT Key, bool Shift) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_SHIFT] = Shift ? 0x80 : 0;
  SetKeyboardState(state);
  SendMessageA(Wnd, Key == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN, Key, 1);
  SendMessageA(Wnd, Key == VK_F10 ? WM_SYSKEYUP : WM_KEYUP, Key, 0xC0000001);
  state[VK_SHIFT] = 0;
  SetKeyboardState(state);
}

TEST_F(TreeListTest, KeysAndRightClicksOpenTheNodeMenu) {
  Tree->SetPopupMenu(Menu);
  // An empty tree: Apps and Shift+F10 pop the control's menu at its top-left corner.
  for (UINT key : {UINT(VK_APPS), UINT(VK_F10)}) {
    Menu->Shown.clear();
    SendKey(Tree->Handle(), key, key == VK_F10);
    ASSERT_EQ(Menu->Shown.size(), 1u) << key;
    POINT origin = Tree->ClientToScreen(POINT{0, 0});
    EXPECT_EQ(Menu->Shown[0].x, origin.x);
    EXPECT_EQ(Menu->Shown[0].y, origin.y);
  }
  TTreeNode* a = Tree->Items()->AddChild(nullptr, "Alpha");
  TTreeNode* b = Tree->Items()->AddChild(nullptr, "Beta");
  Tree->SetSelected(b);
  TMenuLog log;
  Tree->OnNodeContextMenu = TPTTvOnNodeContextMenuEvent(&log, &TMenuLog::Tree);
  Menu->Shown.clear();
  SendKey(Tree->Handle(), VK_APPS, false);
  ASSERT_EQ(log.Nodes, std::vector<std::string>{"Beta"});
  RECT rb = b->DisplayRect(true);
  EXPECT_EQ(log.Points[0].x, (rb.left + rb.right) / 2);
  EXPECT_EQ(log.Points[0].y, (rb.top + rb.bottom) / 2);
  ASSERT_EQ(Menu->Shown.size(), 1u);

  // A right click on a node: the event may take the menu away.
  log.DoSwap = true;
  RECT ra = a->DisplayRect(true);
  POINT at = Tree->ClientToScreen(POINT{(ra.left + ra.right) / 2, (ra.top + ra.bottom) / 2});
  // Held there: the node is found from where the pointer is, and other programs share the display.
  THoldPointer hold(at);
  NMHDR hdr{Tree->Handle(), 0, UINT(NM_RCLICK)};
  SendMessageA(F->Handle(), WM_NOTIFY, 0, LPARAM(&hdr));
  ASSERT_EQ(log.Nodes.size(), 2u);
  EXPECT_EQ(log.Nodes[1], "Alpha");
  EXPECT_EQ(Menu->Shown.size(), 1u);   // swapped for none

  // On empty space nothing of ours runs.
  POINT empty = Tree->ClientToScreen(POINT{5, 240});
  hold.Move(empty);
  SendMessageA(F->Handle(), WM_NOTIFY, 0, LPARAM(&hdr));
  EXPECT_EQ(log.Nodes.size(), 2u);
}

TEST_F(TreeListTest, DestroyingTheTreeReleasesChildrenFirst) {
  TTreeNode* root = Tree->Items()->AddChild(nullptr, "root");
  Tree->Items()->AddChild(root, "kid");
  root->Expand(false);
  std::vector<std::string> gone;
  struct H {
    std::vector<std::string>* Gone;
    void Deletion(TObject*, TTreeNode* N) { Gone->push_back(N->Text()); }
  } h{&gone};
  Tree->OnDeletion = TTVExpandedEvent(&h, &H::Deletion);
  TObject::Free(Tree);
  Tree = nullptr;
  EXPECT_EQ(gone, (std::vector<std::string>{"kid", "root"}));
}

struct ListTest : TreeListTest {
  TTestList* List = nullptr;
  void SetUp() override {
    TreeListTest::SetUp();
    List = new TTestList(F.get());
    List->SetParent(F.get());
    List->SetBounds(220, 10, 190, 250);
    List->SetViewStyle(vsReport);
    for (const char* c : {"Name", "Size"}) {
      TListColumn* col = List->Columns()->Add();
      col->SetCaption(c);
      col->SetWidth(90);
    }
    List->Items()->Add()->SetCaption("Plain");
    List->Items()->Add()->SetCaption("Marked");
    PumpUntilPainted(F->Handle());
  }
  int HeaderFormat(int I) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(List->HeaderHandle(), HDM_GETITEMA, WPARAM(I), LPARAM(&item));
    return item.fmt;
  }
  // Whether the header rectangle of column I shows the colour anywhere.
  bool HeaderShows(int I, COLORREF C) {
    HWND h = List->HeaderHandle();
    RECT r;
    Header_GetItemRect(h, I, &r);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HDC dc = GetDC(h);
    bool seen = false;
    for (int x = r.left + 2; x < r.right - 2 && !seen; ++x)
      for (int y = r.top + 2; y < r.bottom - 2 && !seen; ++y) seen = GetPixel(dc, x, y) == C;
    ReleaseDC(h, dc);
    return seen;
  }
};

TEST_F(ListTest, HeaderDrawsTheSortArrowOnTheSortedColumn) {
  ASSERT_TRUE(List->HeaderHandle());
  EXPECT_TRUE(HeaderFormat(0) & HDF_OWNERDRAW);
  COLORREF shadow = ColorToRGB(clBtnShadow);
  EXPECT_FALSE(HeaderShows(0, shadow));
  List->SetSortColumn(0);
  List->SetSortDirection(1);
  EXPECT_TRUE(HeaderShows(0, shadow));
  EXPECT_FALSE(HeaderShows(1, shadow));
  List->SetSortDirection(0);
  EXPECT_TRUE(HeaderShows(0, shadow));
  List->SetArrowPlacement(TPTCustomListView::apRightEdge);
  EXPECT_TRUE(HeaderShows(0, shadow));
  List->SetSortColumn(1);
  EXPECT_FALSE(HeaderShows(0, shadow));
  EXPECT_TRUE(HeaderShows(1, shadow));
  // Placement 0: plain captions drawn by the header itself.
  List->SetArrowPlacement(TPTCustomListView::apNone);
  EXPECT_FALSE(HeaderFormat(0) & HDF_OWNERDRAW);
  EXPECT_TRUE(HeaderFormat(1) & HDF_STRING);
}

TEST_F(ListTest, ItemPaintAndItemMenus) {
  TDrawLog log;
  List->OnItemPaint = TPTLvCustomDrawEvent(&log, &TDrawLog::ListPaint);
  RECT r = List->Items()->Item(1)->DisplayRect(drLabel);
  EXPECT_EQ(PixelAt(List->Handle(), r.right - 2, (r.top + r.bottom) / 2), RGB(0, 255, 0));
  RECT r0 = List->Items()->Item(0)->DisplayRect(drLabel);
  EXPECT_NE(PixelAt(List->Handle(), r0.right - 2, (r0.top + r0.bottom) / 2), RGB(0, 255, 0));

  List->SetPopupMenu(Menu);
  struct H {
    std::vector<std::string> Items;
    void Item(TObject*, TListItem* I, POINT&, TPopupMenu*&) { Items.push_back(I ? I->Caption() : "(none)"); }
  } h;
  List->OnItemContextMenu = TPTLvOnItemContextMenuEvent(&h, &H::Item);
  // Nothing selected: the control's menu at the top-left corner.
  SendKey(List->Handle(), VK_APPS, false);
  EXPECT_TRUE(h.Items.empty());
  ASSERT_EQ(Menu->Shown.size(), 1u);
  List->SetSelected(List->Items()->Item(1));
  List->SetItemFocused(List->Items()->Item(1));
  SendKey(List->Handle(), VK_F10, true);
  EXPECT_EQ(h.Items, std::vector<std::string>{"Marked"});
  EXPECT_EQ(Menu->Shown.size(), 2u);
}

}  // namespace
