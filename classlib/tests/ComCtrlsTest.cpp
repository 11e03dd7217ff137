// List view, tree view, page control and status bar from a form resource, driven as a user would.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ComCtrls.h"
#include "ImgList.h"

#include "TestSupport.h"

namespace {

const auto* const Env =
    ::testing::AddGlobalTestEnvironment(new TFormsEnvironment({RegisterComCtrlsClasses}));

class TViewsForm : public TForm {
  YOZ_CLASS(TViewsForm, TForm)
public:
  explicit TViewsForm(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<std::string> Log;
  bool AllowChange = true, AllowExpand = true;
  TTreeNode* LazyNode = nullptr;
  void tvMainChange(TObject*, TTreeNode* Node) { Log.push_back("Change:" + (Node ? Node->Text() : "-")); }
  void tvMainChanging(TObject*, TTreeNode* Node, bool& Allow) {
    Log.push_back("Changing:" + Node->Text());
    Allow = AllowChange;
  }
  void tvMainExpanding(TObject* Sender, TTreeNode* Node, bool& Allow) {
    Log.push_back("Expanding:" + Node->Text());
    Allow = AllowExpand;
    // A node filled on demand.
    if (Node == LazyNode && Node->Count() == 0) {
      auto* tv = static_cast<TTreeView*>(Sender);
      tv->Items()->AddChild(Node, "b-lazy");
      tv->Items()->AddChild(Node, "a-lazy");
    }
  }
  void tvMainExpanded(TObject*, TTreeNode* Node) { Log.push_back("Expanded:" + Node->Text()); }
  void tvMainCollapsing(TObject*, TTreeNode* Node, bool& Allow) { Log.push_back("Collapsing:" + Node->Text()); }
  void tvMainDeletion(TObject*, TTreeNode* Node) { Log.push_back("Deleted:" + Node->Text()); }
  void lvMainClick(TObject*) { Log.push_back("Click"); }
  void lvMainDblClick(TObject*) { Log.push_back("DblClick"); }
  void lvMainSelectItem(TObject*, TListItem* Item, bool Selected) {
    Log.push_back(std::string(Selected ? "Select:" : "Unselect:") + Item->Caption());
  }
  void lvMainDeletion(TObject*, TListItem* Item) { Log.push_back("Deleted:" + Item->Caption()); }
  void PageControlSettingsChange(TObject*) { Log.push_back("Page"); }
  static void Publish(TPublisher<TViewsForm>& p) {
    p.Method("tvMainChange", &TViewsForm::tvMainChange);
    p.Method("tvMainChanging", &TViewsForm::tvMainChanging);
    p.Method("tvMainExpanding", &TViewsForm::tvMainExpanding);
    p.Method("tvMainExpanded", &TViewsForm::tvMainExpanded);
    p.Method("tvMainCollapsing", &TViewsForm::tvMainCollapsing);
    p.Method("tvMainDeletion", &TViewsForm::tvMainDeletion);
    p.Method("lvMainClick", &TViewsForm::lvMainClick);
    p.Method("lvMainDblClick", &TViewsForm::lvMainDblClick);
    p.Method("lvMainSelectItem", &TViewsForm::lvMainSelectItem);
    p.Method("lvMainDeletion", &TViewsForm::lvMainDeletion);
    p.Method("PageControlSettingsChange", &TViewsForm::PageControlSettingsChange);
  }
};

class ViewsTest : public ::testing::Test {
protected:
  void SetUp() override {
    F.reset(NewForm<TViewsForm>(nullptr));
    F->Show();
    PumpUntil([&] { return F->Showing(); });
    SetForegroundWindow(F->Handle());
    lv = Find<TListView>(F.get(), "lvMain");
    tv = Find<TTreeView>(F.get(), "tvMain");
    ASSERT_TRUE(lv && tv);
  }
  // Text of a row / column as the window shows it.
  std::string CellText(int Row, int Col) {
    char buf[256] = {};
    LVITEMA it{};
    it.iSubItem = Col;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessageA(lv->Handle(), LVM_GETITEMTEXTA, WPARAM(Row), LPARAM(&it));
    return buf;
  }
  // The window's node texts in display order (children of expanded nodes included).
  std::vector<std::string> TreeTexts(HTREEITEM Parent = TVI_ROOT) {
    std::vector<std::string> r;
    HWND h = tv->Handle();
    HTREEITEM i = Parent == TVI_ROOT ? TreeView_GetRoot(h) : TreeView_GetChild(h, Parent);
    for (; i; i = TreeView_GetNextSibling(h, i)) {
      char buf[128] = {};
      TVITEMA it{};
      it.mask = TVIF_TEXT;
      it.hItem = i;
      it.pszText = buf;
      it.cchTextMax = sizeof buf;
      SendMessageA(h, TVM_GETITEMA, 0, LPARAM(&it));
      r.push_back(buf);
    }
    return r;
  }
  void AddRow(TListView* v, const std::string& Caption, std::initializer_list<const char*> Subs) {
    TListItem* it = v->Items()->Add();
    it->SetCaption(Caption);
    for (auto* s : Subs) it->SubItems()->Add(s);
  }
  void Click(HWND Wnd, POINT P, bool Double = false) {
    // The pointer rests on the point, so the view's drag detection sees no movement.
    POINT s = P;
    ClientToScreen(Wnd, &s);
    SetCursorPos(s.x, s.y);
    LPARAM lp = MAKELPARAM(P.x, P.y);
    PostMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
    PostMessageA(Wnd, WM_LBUTTONUP, 0, lp);
    if (Double) {
      PostMessageA(Wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, lp);
      PostMessageA(Wnd, WM_LBUTTONUP, 0, lp);
    }
    PumpQueued();
  }
  std::unique_ptr<TViewsForm, FormDeleter> F;
  TListView* lv = nullptr;
  TTreeView* tv = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// List view

TEST_F(ViewsTest, ListViewColumnsFromTheResource) {
  ASSERT_EQ(lv->Columns()->Count(), 7);
  HWND hdr = ListView_GetHeader(lv->Handle());
  EXPECT_EQ(Header_GetItemCount(hdr), 7);
  EXPECT_EQ(lv->Column(5)->Caption(), "PC Name");
  EXPECT_EQ(lv->Column(5)->Width(), 0);
  EXPECT_EQ(lv->Column(0)->Width(), 50);
  DWORD ex = DWORD(SendMessageA(lv->Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
  EXPECT_FALSE(ex & LVS_EX_GRIDLINES);
  lv->SetGridLines(true);
  ex = DWORD(SendMessageA(lv->Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
  LONG style = GetWindowLongA(lv->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
  EXPECT_FALSE(style & LVS_EDITLABELS);
  // Sizing a column to its header and contents, as the board does.
  AddRow(lv, "A rather long user name here", {"Available"});
  SendMessageA(lv->Handle(), LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE_USEHEADER);
  EXPECT_GT(lv->Column(0)->Width(), 100);
}

TEST_F(ViewsTest, ItemsMadeBeforeTheWindowAndKeptOverRecreate) {
  auto* v = new TListView(F.get());
  v->SetViewStyle(vsReport);
  v->Columns()->Add()->SetCaption("A");
  v->Columns()->Add()->SetCaption("B");
  int data = 42;
  AddRow(v, "one", {"1"});
  AddRow(v, "two", {"2", "extra"});
  AddRow(v, "three", {});
  v->Items()->Item(1)->SetData(&data);
  v->Items()->Item(1)->SetSelected(true);
  v->Items()->Item(1)->SetImageIndex(3);
  EXPECT_FALSE(v->HandleAllocated());
  EXPECT_EQ(v->Selected(), v->Items()->Item(1));

  v->SetBounds(200, 310, 200, 80);
  v->SetParent(F.get());
  HWND h = v->Handle();
  ASSERT_EQ(ListView_GetItemCount(h), 3);
  lv = v;
  EXPECT_EQ(CellText(1, 0), "two");
  EXPECT_EQ(CellText(1, 1), "2");
  EXPECT_EQ(CellText(2, 1), "");  // a row with fewer sub-items shows them empty
  EXPECT_EQ(v->Selected(), v->Items()->Item(1));
  EXPECT_EQ(v->SelCount(), 1);

  v->Items()->Item(2)->SetSelected(true);  // single select: the other goes
  v->RecreateWnd();
  EXPECT_NE(v->Handle(), nullptr);
  ASSERT_EQ(ListView_GetItemCount(v->Handle()), 3);
  EXPECT_EQ(v->Selected(), v->Items()->Item(2));
  EXPECT_EQ(v->SelCount(), 1);
  EXPECT_EQ(CellText(0, 0), "one");
  EXPECT_EQ(v->Items()->Item(1)->Data(), &data);
  LVITEMA it{};
  it.mask = LVIF_IMAGE;
  it.iItem = 1;
  SendMessageA(v->Handle(), LVM_GETITEMA, 0, LPARAM(&it));
  EXPECT_EQ(it.iImage, 3);
}

TEST_F(ViewsTest, SortByTextInTheObjectAndTheWindow) {
  lv->SetSortType(stText);
  lv->Items()->BeginUpdate();
  for (const char* n : {"mike", "Alice", "zed", "bob", "Carol"}) AddRow(lv, n, {n});
  // No sorting while the update lasts.
  EXPECT_EQ(lv->Items()->Item(0)->Caption(), "mike");
  lv->Items()->EndUpdate();
  std::vector<std::string> expect{"Alice", "bob", "Carol", "mike", "zed"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(lv->Items()->Item(i)->Caption(), expect[size_t(i)]);
    EXPECT_EQ(CellText(i, 0), expect[size_t(i)]);
    EXPECT_EQ(CellText(i, 1), expect[size_t(i)]);
  }
  // A changed caption moves its row.
  lv->Items()->Item(0)->SetCaption("zz top");
  EXPECT_EQ(lv->Items()->Item(4)->Caption(), "zz top");
  EXPECT_EQ(CellText(4, 0), "zz top");
  EXPECT_EQ(CellText(0, 0), "bob");

  // A sort of the caller's: by the first sub-item, descending.
  lv->SetSortType(stNone);
  lv->CustomSort([](TListItem* a, TListItem* b, intptr_t) { return -AnsiCompareText(a->SubItems()->Strings(0), b->SubItems()->Strings(0)); }, 0);
  EXPECT_EQ(CellText(0, 1), "zed");
  EXPECT_EQ(CellText(4, 1), "Alice");  // the renamed row kept its sub-item
  EXPECT_EQ(lv->Items()->Item(0)->SubItems()->Strings(0), "zed");
}

// An update keeps the window from painting while rows go in, and the window paints again once it
// ends, whatever the update changed: rows, or only texts and images.
TEST_F(ViewsTest, UpdateHoldsPaintingAndEndsWithTheChangesShown) {
  for (const char* n : {"one", "two", "three"}) AddRow(lv, n, {n});
  int paints = 0;
  struct H {
    int* paints;
    void Draw(TCustomListView*, RECT, bool&) { ++*paints; }
  } h{&paints};
  lv->OnCustomDraw = TLVCustomDrawEvent(&h, &H::Draw);
  auto paintNow = [&] {
    paints = 0;
    RedrawWindow(lv->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    return paints;
  };
  ASSERT_GT(paintNow(), 0);

  lv->Items()->BeginUpdate();
  AddRow(lv, "four", {"four"});
  EXPECT_EQ(paintNow(), 0);
  lv->Items()->EndUpdate();
  paints = 0;
  UpdateWindow(lv->Handle());
  EXPECT_GT(paints, 0);
  EXPECT_EQ(CellText(3, 0), "four");

  // Texts and an image changed in place.
  lv->Items()->BeginUpdate();
  lv->Items()->Item(0)->SetCaption("first");
  lv->Items()->Replace(1, "second", {"sub", "more"}, 2);
  lv->Items()->EndUpdate();
  paints = 0;
  UpdateWindow(lv->Handle());
  EXPECT_GT(paints, 0);
  EXPECT_EQ(CellText(0, 0), "first");
  EXPECT_EQ(CellText(1, 0), "second");
  EXPECT_EQ(CellText(1, 1), "sub");
  EXPECT_EQ(lv->Items()->Item(1)->SubItems()->Count(), 2);
  LVITEMA it{};
  it.mask = LVIF_IMAGE;
  it.iItem = 1;
  SendMessageA(lv->Handle(), LVM_GETITEMA, 0, LPARAM(&it));
  EXPECT_EQ(it.iImage, 2);
  EXPECT_EQ(lv->Items()->Item(1)->ImageIndex(), 2);
  EXPECT_GT(paintNow(), 0);
}

TEST_F(ViewsTest, ClickSelectsARowAnywhereInItAndDoubleClickFollows) {
  for (const char* n : {"u1", "u2", "u3"}) AddRow(lv, n, {"Available", "10:00"});
  RECT r = lv->Items()->Item(1)->DisplayRect(drBounds);
  ASSERT_GT(r.bottom, r.top);
  // A point in the third column of the second row.
  int x = lv->Column(0)->Width() + lv->Column(1)->Width() + 5;
  POINT p{x, (r.top + r.bottom) / 2};
  EXPECT_EQ(lv->GetItemAt(p.x, p.y), lv->Items()->Item(1));
  EXPECT_EQ(lv->GetItemAt(p.x, r.bottom + 200), nullptr);
  Click(lv->Handle(), p);
  EXPECT_EQ(lv->Selected(), lv->Items()->Item(1));
  EXPECT_EQ(lv->ItemFocused(), lv->Items()->Item(1));
  auto count = [&](const char* s) { return std::count(F->Log.begin(), F->Log.end(), std::string(s)); };
  EXPECT_EQ(count("Select:u2"), 1);
  EXPECT_EQ(count("Click"), 1);
  Click(lv->Handle(), p, true);
  EXPECT_EQ(count("DblClick"), 1);
  // Selecting another row through the object tells the old one.
  lv->SetSelected(lv->Items()->Item(2));
  EXPECT_EQ(count("Unselect:u2"), 1);
  EXPECT_EQ(count("Select:u3"), 1);
  EXPECT_EQ(lv->SelCount(), 1);
  lv->ClearSelection();
  EXPECT_EQ(lv->Selected(), nullptr);
}

TEST_F(ViewsTest, DeletionIsToldForEveryItem) {
  for (const char* n : {"a", "b", "c"}) AddRow(lv, n, {});
  lv->Items()->Delete(1);
  EXPECT_EQ(ListView_GetItemCount(lv->Handle()), 2);
  EXPECT_EQ(CellText(1, 0), "c");
  lv->Items()->Clear();
  EXPECT_EQ(lv->Items()->Count(), 0);
  EXPECT_EQ(ListView_GetItemCount(lv->Handle()), 0);
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Deleted:b", "Deleted:a", "Deleted:c"}));
  EXPECT_THROW(lv->Items()->Item(0), EListError);
}

TEST_F(ViewsTest, CustomDrawOfItemsChangesTheirColour) {
  for (const char* n : {"red", "plain"}) AddRow(lv, n, {"x"});
  std::vector<std::string> drawn;
  struct H {
    std::vector<std::string>* drawn;
    void Item(TCustomListView* Sender, TListItem* Item, TCustomDrawState, bool& Default) {
      drawn->push_back(Item->Caption());
      if (Item->Caption() == "red") Sender->Canvas()->Brush()->SetColor(clRed);
    }
  } h{&drawn};
  lv->OnCustomDrawItem = TLVCustomDrawItemEvent(&h, &H::Item);
  RedrawWindow(lv->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  EXPECT_NE(std::find(drawn.begin(), drawn.end(), "red"), drawn.end());
  EXPECT_NE(std::find(drawn.begin(), drawn.end(), "plain"), drawn.end());
  // The red row's label background is red on the screen.
  RECT r = lv->Items()->Item(0)->DisplayRect(drLabel);
  HDC dc = GetDC(lv->Handle());
  COLORREF c = GetPixel(dc, r.right - 3, (r.top + r.bottom) / 2);
  RECT r2 = lv->Items()->Item(1)->DisplayRect(drLabel);
  COLORREF c2 = GetPixel(dc, r2.right - 3, (r2.top + r2.bottom) / 2);
  ReleaseDC(lv->Handle(), dc);
  EXPECT_EQ(c, RGB(255, 0, 0));
  EXPECT_NE(c2, RGB(255, 0, 0));
}

// ---------------------------------------------------------------------------------------------------
// Tree view

TEST_F(ViewsTest, TreeSortedChildrenBeforeAndAfterTheWindow) {
  auto* t = new TTreeView(F.get());
  t->SetSortType(stText);
  TTreeNode* root = t->Items()->AddChild(nullptr, "Departments");
  for (const char* d : {"Sales", "accounts", "IT", "Board"}) t->Items()->AddChild(root, d);
  int marker = 7;
  root->Item(0)->SetData(&marker);
  EXPECT_EQ(root->Item(0)->Text(), "accounts");
  EXPECT_EQ(root->Item(3)->Text(), "Sales");
  EXPECT_TRUE(root->HasChildren());
  root->Expand(false);
  t->SetBounds(200, 310, 150, 80);
  t->SetParent(F.get());
  tv = t;
  ASSERT_NE(t->Handle(), nullptr);
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(TreeTexts(root->ItemId()), (std::vector<std::string>{"accounts", "Board", "IT", "Sales"}));
  t->Items()->AddChild(root, "Dev");
  EXPECT_EQ(TreeTexts(root->ItemId()), (std::vector<std::string>{"accounts", "Board", "Dev", "IT", "Sales"}));
  root->Item(2)->SetText("zoo");
  EXPECT_EQ(root->Item(4)->Text(), "zoo");
  EXPECT_EQ(TreeTexts(root->ItemId()).back(), "zoo");
  EXPECT_EQ(static_cast<int*>(root->Item(0)->Data()), &marker);
  EXPECT_EQ(t->Items()->Count(), 6);
  EXPECT_EQ(t->Items()->Item(1)->Text(), "accounts");
  EXPECT_EQ(root->Item(1)->GetNext(), root->Item(2));
  EXPECT_EQ(root->Item(4)->GetNext(), nullptr);
  EXPECT_EQ(root->Item(1)->Level(), 1);
  EXPECT_EQ(root->Item(1)->AbsoluteIndex(), 2);

  // A custom order reaches the window too.
  t->SetSortType(stNone);
  root->CustomSort([](TTreeNode* a, TTreeNode* b, intptr_t) { return -AnsiCompareText(a->Text(), b->Text()); }, 0);
  EXPECT_EQ(TreeTexts(root->ItemId()), (std::vector<std::string>{"zoo", "Sales", "IT", "Board", "accounts"}));
}

TEST_F(ViewsTest, KeyboardMovesSelectionExpandsAndCollapses) {
  TTreeNode* root = tv->Items()->AddChild(nullptr, "Departments");
  tv->Items()->AddChild(root, "Sales");
  tv->Items()->AddChild(root, "IT");
  tv->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == tv->Handle(); }));
  tv->SetSelected(root);
  F->Log.clear();
  HWND h = tv->Handle();
  PostMessageA(h, WM_KEYDOWN, VK_RIGHT, 1);  // expands
  PostMessageA(h, WM_KEYDOWN, VK_DOWN, 1);   // first child: "IT" (sorted)
  PumpUntil([&] { return tv->Selected() && tv->Selected()->Text() == "IT"; });
  EXPECT_TRUE(root->Expanded());
  ASSERT_NE(tv->Selected(), nullptr);
  EXPECT_EQ(tv->Selected()->Text(), "IT");
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Expanding:Departments", "Expanded:Departments", "Changing:IT",
                                              "Change:IT"}));
  // A refused change keeps the selection.
  F->AllowChange = false;
  F->Log.clear();
  PostMessageA(h, WM_KEYDOWN, VK_DOWN, 1);
  PumpQueued();
  EXPECT_EQ(tv->Selected()->Text(), "IT");
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Changing:Sales"}));
  // Collapsing from the root.
  F->AllowChange = true;
  tv->SetSelected(root);
  F->Log.clear();
  PostMessageA(h, WM_KEYDOWN, VK_LEFT, 1);
  PumpUntil([&] { return !root->Expanded(); });
  EXPECT_FALSE(root->Expanded());
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Collapsing:Departments"}));
  // A refused expansion leaves the node closed.
  F->AllowExpand = false;
  root->Expand(false);
  EXPECT_FALSE(root->Expanded());
}

TEST_F(ViewsTest, NodesFilledWhenFirstExpanded) {
  TTreeNode* lazy = tv->Items()->AddChild(nullptr, "Folder");
  lazy->SetHasChildren(true);
  F->LazyNode = lazy;
  TVITEMA it{};
  it.mask = TVIF_CHILDREN;
  it.hItem = lazy->ItemId();
  SendMessageA(tv->Handle(), TVM_GETITEMA, 0, LPARAM(&it));
  EXPECT_EQ(it.cChildren, 1);  // the button shows before any child exists
  lazy->Expand(false);
  EXPECT_TRUE(lazy->Expanded());
  EXPECT_EQ(TreeTexts(lazy->ItemId()), (std::vector<std::string>{"a-lazy", "b-lazy"}));
  // Deleting the last child takes the button away.
  lazy->DeleteChildren();
  EXPECT_FALSE(lazy->HasChildren());
  it.cChildren = -1;
  SendMessageA(tv->Handle(), TVM_GETITEMA, 0, LPARAM(&it));
  EXPECT_EQ(it.cChildren, 0);
}

TEST_F(ViewsTest, DeletionTellsChildrenBeforeTheirParent) {
  TTreeNode* a = tv->Items()->AddChild(nullptr, "A");
  TTreeNode* b = tv->Items()->AddChild(a, "B");
  tv->Items()->AddChild(b, "C");
  tv->Items()->AddChild(a, "D");
  tv->Items()->AddChild(nullptr, "E");
  tv->SetSelected(b);
  F->Log.clear();
  b->Delete();
  // The selection moves on to a living node (the window says which).
  ASSERT_GE(F->Log.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(F->Log.begin(), F->Log.begin() + 2),
            (std::vector<std::string>{"Deleted:C", "Deleted:B"}));
  EXPECT_TRUE(tv->Selected() == nullptr || tv->Selected()->Text() == "D" || tv->Selected()->Text() == "A");
  EXPECT_EQ(a->Count(), 1);
  F->Log.clear();
  tv->Items()->Clear();
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Deleted:D", "Deleted:A", "Deleted:E"}));
  EXPECT_EQ(tv->Items()->Count(), 0);
  EXPECT_EQ(TreeView_GetCount(tv->Handle()), 0u);
  EXPECT_EQ(tv->Selected(), nullptr);
}

TEST_F(ViewsTest, LabelEditingAndReadOnly) {
  TTreeNode* n = tv->Items()->AddChild(nullptr, "Old");
  EXPECT_FALSE(n->EditText());  // the resource's tree is read-only
  tv->SetReadOnly(false);
  std::string seen;
  struct H {
    std::string* seen;
    void Edited(TObject*, TTreeNode*, std::string& S) {
      *seen = S;
      S += "!";
    }
  } h{&seen};
  tv->OnEdited = TTVEditedEvent(&h, &H::Edited);
  ASSERT_TRUE(n->EditText());
  ASSERT_TRUE(tv->IsEditing());
  HWND edit = reinterpret_cast<HWND>(SendMessageA(tv->Handle(), TVM_GETEDITCONTROL, 0, 0));
  SetWindowTextA(edit, "New");
  n->EndEdit(false);
  PumpUntil([&] { return !seen.empty(); });
  EXPECT_EQ(seen, "New");
  EXPECT_EQ(n->Text(), "New!");
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"New!"}));
}

TEST_F(ViewsTest, TreeStateSurvivesRecreateAndImagesComeOnDemand) {
  TImageList images(nullptr);
  tv->SetImages(&images);
  int asked = 0;
  struct H {
    int* asked;
    void Image(TObject*, TTreeNode* Node) {
      ++*asked;
      Node->SetImageIndex(Node->Level());
    }
  } h{&asked};
  tv->OnGetImageIndex = TTVExpandedEvent(&h, &H::Image);
  TTreeNode* root = tv->Items()->AddChild(nullptr, "Root");
  TTreeNode* kid = tv->Items()->AddChild(root, "Kid");
  kid->SetCut(true);
  kid->SetOverlayIndex(0);
  root->Expand(false);
  tv->SetSelected(kid);
  RedrawWindow(tv->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  EXPECT_GT(asked, 0);
  EXPECT_EQ(kid->ImageIndex(), 1);

  tv->RecreateWnd();
  ASSERT_NE(tv->Handle(), nullptr);
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(tv->Selected(), kid);
  UINT st = UINT(SendMessageA(tv->Handle(), TVM_GETITEMSTATE, WPARAM(kid->ItemId()), TVIS_CUT | TVIS_OVERLAYMASK));
  EXPECT_TRUE(st & TVIS_CUT);
  EXPECT_EQ(st & TVIS_OVERLAYMASK, UINT(INDEXTOOVERLAYMASK(1)));
  // The node under a point, and what the point hits.
  RECT r = kid->DisplayRect(true);
  ASSERT_GT(r.right, r.left);
  POINT c{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  EXPECT_EQ(tv->GetNodeAt(c.x, c.y), kid);
  EXPECT_TRUE(tv->GetHitTestInfoAt(c.x, c.y).Contains(htOnLabel));
  EXPECT_EQ(tv->GetNodeAt(c.x, r.bottom + 150), nullptr);
  EXPECT_EQ(tv->Indent(), 19);
  tv->SetImages(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Page control and status bar

TEST_F(ViewsTest, PageControlFollowsTheTabs) {
  auto* pc = Find<TPageControl>(F.get(), "PageControlSettings");
  auto* display = Find<TTabSheet>(F.get(), "tsDisplay");
  auto* options = Find<TTabSheet>(F.get(), "tsOptions");
  ASSERT_TRUE(pc && display && options);
  EXPECT_EQ(pc->PageCount(), 3);
  EXPECT_EQ(pc->ActivePage(), display);
  EXPECT_EQ(TabCtrl_GetItemCount(pc->Handle()), 3);
  EXPECT_TRUE(display->Visible());
  EXPECT_FALSE(options->Visible());
  // The user moves to the next tab with the arrow key.
  pc->SetFocus();
  PumpUntil([&] { return GetFocus() == pc->Handle(); });
  PostMessageA(pc->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
  PumpUntil([&] { return pc->ActivePage() == options; });
  EXPECT_EQ(pc->ActivePage(), options);
  EXPECT_TRUE(options->Visible());
  EXPECT_FALSE(display->Visible());
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Page"}));
  // A hidden tab is left out; the sheets keep their order.
  display->SetTabVisible(false);
  EXPECT_EQ(TabCtrl_GetItemCount(pc->Handle()), 2);
  EXPECT_EQ(options->TabIndex(), 0);
  EXPECT_EQ(options->PageIndex(), 1);
  pc->SetActivePageIndex(2);
  EXPECT_EQ(TabCtrl_GetCurSel(pc->Handle()), 1);
  // The sheet fills the page area.
  RECT sheet = pc->ActivePage()->BoundsRect();
  EXPECT_GT(sheet.top, 0);
  EXPECT_LE(sheet.bottom, pc->Height());
}

TEST_F(ViewsTest, StatusBarPanels) {
  auto* sb = Find<TStatusBar>(F.get(), "StatusBarMain");
  ASSERT_NE(sb, nullptr);
  EXPECT_EQ(sb->Align(), alBottom);
  EXPECT_EQ(SendMessageA(sb->Handle(), SB_GETPARTS, 0, 0), 1);
  sb->Panels()->Items(0)->SetText("Attempting to update yOZ...");
  char buf[128] = {};
  SendMessageA(sb->Handle(), SB_GETTEXTA, 0, LPARAM(buf));
  EXPECT_STREQ(buf, "Attempting to update yOZ...");
  sb->Panels()->Add()->SetText("two");
  EXPECT_EQ(SendMessageA(sb->Handle(), SB_GETPARTS, 0, 0), 2);
  SendMessageA(sb->Handle(), SB_GETTEXTA, 1, LPARAM(buf));
  EXPECT_STREQ(buf, "two");
  sb->RecreateWnd();
  SendMessageA(sb->Handle(), SB_GETTEXTA, 0, LPARAM(buf));
  EXPECT_STREQ(buf, "Attempting to update yOZ...");
}

}  // namespace

namespace {

TEST_F(ViewsTest, MultiSelectListAndANewViewStyleKeepTheItems) {
  int inserted = 0;
  struct H {
    int* n;
    void Insert(TObject*, TListItem*) { ++*n; }
  } h{&inserted};
  lv->OnInsert = TLVDeletedEvent(&h, &H::Insert);
  for (const char* n : {"a", "b", "c", "d"}) AddRow(lv, n, {"x"});
  EXPECT_EQ(inserted, 4);
  lv->SelectAll();  // single select: nothing
  EXPECT_EQ(lv->SelCount(), 0);
  lv->SetMultiSelect(true);
  EXPECT_FALSE(GetWindowLongA(lv->Handle(), GWL_STYLE) & LVS_SINGLESEL);
  lv->SelectAll();
  EXPECT_EQ(lv->SelCount(), 4);
  EXPECT_EQ(lv->GetNextItem(lv->Items()->Item(1), true), lv->Items()->Item(2));
  lv->Items()->Item(2)->SetSelected(false);
  EXPECT_EQ(lv->GetNextItem(lv->Items()->Item(1), true), lv->Items()->Item(3));
  lv->SetViewStyle(vsList);
  EXPECT_EQ(GetWindowLongA(lv->Handle(), GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
  EXPECT_EQ(ListView_GetItemCount(lv->Handle()), 4);
  EXPECT_EQ(lv->SelCount(), 3);
  lv->SetViewStyle(vsReport);
  EXPECT_EQ(CellText(3, 1), "x");
}

TEST_F(ViewsTest, ListSortWithACompareEventAndSortsWaitingForTheUpdate) {
  struct H {
    void Compare(TObject*, TListItem* A, TListItem* B, int, int& R) {
      R = int(A->Caption().size()) - int(B->Caption().size());
    }
  } h;
  lv->OnCompare = TLVCompareEvent(&h, &H::Compare);
  lv->Items()->BeginUpdate();
  for (const char* n : {"ccc", "a", "bbbb", "dd"}) AddRow(lv, n, {});
  lv->SetSortType(stText);
  lv->Items()->EndUpdate();
  EXPECT_EQ(CellText(0, 0), "a");
  EXPECT_EQ(CellText(1, 0), "dd");
  EXPECT_EQ(CellText(3, 0), "bbbb");
  EXPECT_EQ(lv->Items()->Item(2)->Index(), 2);
}

TEST_F(ViewsTest, TreeCustomDrawColoursANode) {
  TTreeNode* a = tv->Items()->AddChild(nullptr, "Plain");
  TTreeNode* b = tv->Items()->AddChild(nullptr, "Marked");
  std::vector<std::string> seen;
  struct H {
    std::vector<std::string>* seen;
    void Item(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState, bool&) {
      seen->push_back(Node->Text());
      if (Node->Text() == "Marked") Sender->Canvas()->Brush()->SetColor(clLime);
    }
  } h{&seen};
  tv->OnCustomDrawItem = TTVCustomDrawItemEvent(&h, &H::Item);
  RedrawWindow(tv->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  EXPECT_NE(std::find(seen.begin(), seen.end(), "Plain"), seen.end());
  RECT rb = b->DisplayRect(true), ra = a->DisplayRect(true);
  HDC dc = GetDC(tv->Handle());
  COLORREF cb = GetPixel(dc, rb.right - 2, (rb.top + rb.bottom) / 2);
  COLORREF ca = GetPixel(dc, ra.right - 2, (ra.top + ra.bottom) / 2);
  ReleaseDC(tv->Handle(), dc);
  EXPECT_EQ(cb, RGB(0, 255, 0));
  EXPECT_NE(ca, RGB(0, 255, 0));
}

TEST_F(ViewsTest, TreeNodesMadeWhileTheWindowIsGoneComeBack) {
  TTreeNode* root = tv->Items()->AddChild(nullptr, "Departments");
  tv->Items()->AddChild(root, "Sales");
  root->Expand(false);
  tv->SetParent(nullptr);  // the window goes with the parent
  EXPECT_FALSE(tv->HandleAllocated());
  tv->Items()->AddChild(root, "IT");     // sorted in before "Sales"
  root->Item(0)->SetText("Accounts");    // "IT" renamed
  tv->SetParent(F.get());
  ASSERT_NE(tv->Handle(), nullptr);
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(TreeTexts(root->ItemId()), (std::vector<std::string>{"Accounts", "Sales"}));
}

TEST_F(ViewsTest, PageChangeCanBeRefused) {
  auto* pc = Find<TPageControl>(F.get(), "PageControlSettings");
  auto* display = Find<TTabSheet>(F.get(), "tsDisplay");
  struct H {
    int asked = 0;
    void Changing(TObject*, bool& Allow) {
      ++asked;
      Allow = false;
    }
  } h;
  pc->OnChanging = TTabChangingEvent(&h, &H::Changing);
  pc->SetFocus();
  PumpUntil([&] { return GetFocus() == pc->Handle(); });
  PostMessageA(pc->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
  PumpQueued();
  EXPECT_EQ(h.asked, 1);
  EXPECT_EQ(pc->ActivePage(), display);
  EXPECT_EQ(TabCtrl_GetCurSel(pc->Handle()), 0);
  EXPECT_TRUE(F->Log.empty());
}

TEST_F(ViewsTest, StatusBarSimpleTextAndAlignedPanels) {
  auto* sb = Find<TStatusBar>(F.get(), "StatusBarMain");
  sb->Panels()->Items(0)->SetAlignment(taRightJustify);
  sb->Panels()->Items(0)->SetText("right");
  char buf[64] = {};
  SendMessageA(sb->Handle(), SB_GETTEXTA, 0, LPARAM(buf));
  EXPECT_STREQ(buf, "\t\tright");
  sb->SetSimpleText("Locating messages...");
  sb->SetSimplePanel(true);
  EXPECT_TRUE(SendMessageA(sb->Handle(), SB_ISSIMPLE, 0, 0));
  buf[0] = 0;
  SendMessageA(sb->Handle(), SB_GETTEXTA, 0, LPARAM(buf));  // a simple bar answers with its one text
  EXPECT_STREQ(buf, "Locating messages...");
  sb->SetSimplePanel(false);
  EXPECT_FALSE(SendMessageA(sb->Handle(), SB_ISSIMPLE, 0, 0));
}

}  // namespace

namespace {

TEST_F(ViewsTest, MakeVisibleScrollsToTheRowAndOpensTheNodesParents) {
  lv->Items()->BeginUpdate();
  for (int i = 0; i < 200; ++i) AddRow(lv, "row " + std::to_string(i), {});
  lv->Items()->EndUpdate();
  EXPECT_EQ(lv->TopItem(), lv->Items()->Item(0));
  lv->Items()->Item(150)->MakeVisible(false);
  ASSERT_NE(lv->TopItem(), nullptr);
  EXPECT_GT(lv->TopItem()->Index(), 100);
  RECT r = lv->Items()->Item(150)->DisplayRect(drBounds);
  EXPECT_GE(r.top, 0);
  EXPECT_LE(r.bottom, lv->ClientHeight());

  // A node deep in a tree without a window: its parents open.
  auto* t = new TTreeView(F.get());
  TTreeNode* a = t->Items()->AddChild(nullptr, "a");
  TTreeNode* b = t->Items()->AddChild(a, "b");
  TTreeNode* c = t->Items()->AddChild(b, "c");
  c->MakeVisible();
  EXPECT_TRUE(a->Expanded());
  EXPECT_TRUE(b->Expanded());
  EXPECT_TRUE(c->IsVisible());
  t->SetShowRoot(false);
  t->SetParent(F.get());
  EXPECT_FALSE(GetWindowLongA(t->Handle(), GWL_STYLE) & TVS_LINESATROOT);
  EXPECT_TRUE(b->Expanded());
  RECT rc = c->DisplayRect(true);
  EXPECT_GT(rc.right, rc.left);
}

}  // namespace
