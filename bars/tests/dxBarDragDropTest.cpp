// The customizing drag on real toolbars: a button pressed and dragged by mouse messages as a user does
// it (press, moves, release, Ctrl and Esc keys), with probes run from inside the drag's loop to read
// the cursor and the insertion mark's pixels.

#include <cstdlib>
#include <functional>

#include "BarsTestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

// A shown form with two docked toolbars of three buttons, customizing with the dialog out of the way.
struct TDragForm : TBarsForm {
  TdxBar* A;
  TdxBar* B;
  // Extra adds to the bars before customizing starts.
  explicit TDragForm(const std::function<void(TDragForm&)>& Extra = {}) : TBarsForm(true, RECT{60, 60, 580, 360}) {
    A = AddBar("A", 3, dsTop, 0);
    B = AddBar("B", 3, dsTop, 1);
    if (Extra) Extra(*this);
    WaitPainted(Form.get());
    OpenCustomizing(Manager, true);
  }
  ~TDragForm() { Manager->SetCustomizing(false); }
};

// Presses the left button on L and moves 5 pixels right, which starts the drag; the steps posted
// before are what the drag's loop then reads. Returns when the drag has ended.
void DragLink(TdxBarItemLink* L, const std::function<void(POINT Start)>& Steps) {
  TCustomdxBarControl* w = L->BarControl();
  // The press on another bar than the one in menu mode: the hooks end that menu mode first.
  if (TCustomdxBarControl* a = ActiveBarControl(); a && a != w) a->DeactivateChain();
  PressAndDrag(w, Center(L), Offset(Center(L), 5, 0), Steps);
}

std::vector<std::string> Captions(TdxBar* B) { return Captions(B->ItemLinks()); }

// For a manual look: YOZ_DRAG_SHOT=1 holds the drag still for a screenshot (import -window root).
void HoldForScreenshot() {
  if (getenv("YOZ_DRAG_SHOT")) Sleep(6000);
}

}  // namespace

// A nudge of a button along its bar: under 4 pixels nothing, 4 right gives a group mark, 4 left takes it.
TEST(dxBarDragDrop, NudgeGivesAndTakesTheGroupMark) {
  TDragForm f;
  TdxBarItemLink* l = f.A->ItemLinks()->Items(1);
  for (auto [dx, group] : {std::pair{3, false}, {4, true}, {-4, false}}) {
    SCOPED_TRACE(dx);
    DragLink(l, [dx = dx](POINT s) {
      PostMove(Offset(s, dx, 0));
      PostUp(Offset(s, dx, 0));
    });
    EXPECT_EQ(l->BeginGroup(), group);
    WaitPainted(f.Form.get());
  }
  EXPECT_EQ(Captions(f.A), (std::vector<std::string>{"A0", "A1", "A2"}));
}

// A move onto the right half of another bar's button: the move cursor, the insertion mark at that
// button's right edge, Ctrl switching to the copy cursor at once and back; the link moves there.
TEST(dxBarDragDrop, MoveToAnotherBarWithMarkAndCursors) {
  // The three drawn cursors travel with every program (not the system's arrow in their place).
  for (TCursor c : {crdxBarDrag, crdxBarDragCopy, crdxBarDragNoDrop})
    EXPECT_NE(Screen->Cursors(c), LoadCursor(nullptr, IDC_ARROW)) << c;
  TDragForm f;
  TdxBarItemLink* b1 = f.B->ItemLinks()->Items(1);
  TCustomdxBarControl* bw = f.B->Control();
  RECT r = b1->ItemRect;
  POINT stem{r.right - 6 + 2, (r.top + r.bottom) / 2};
  POINT target = Offset(Center(b1), (r.right - r.left) / 4, 0);
  auto pixel = [&] { return PixelAt(bw, stem); };
  COLORREF plain = 0, marked = 0, markedCtrl = 0;
  TCursor onBar = 0, withCtrl = 0, released = 0, offBars = 0;
  std::function<void()> before = [&] { plain = pixel(); };
  std::function<void()> over = [&] {
    marked = pixel();
    onBar = Screen->Cursor();
    HoldForScreenshot();
  };
  std::function<void()> ctrl = [&] {
    withCtrl = Screen->Cursor();
    markedCtrl = pixel();
  };
  std::function<void()> up = [&] { released = Screen->Cursor(); };
  std::function<void()> off = [&] { offBars = Screen->Cursor(); };
  DragLink(f.A->ItemLinks()->Items(0), [&](POINT s) {
    PostMove(Offset(s, 0, 100));
    PostProbe(off);
    PostProbe(before);
    PostMove(target);
    PostProbe(over);
    PostKey(VK_CONTROL, true);
    PostProbe(ctrl);
    PostKey(VK_CONTROL, false);
    PostProbe(up);
    PostUp(target);
  });
  EXPECT_EQ(offBars, crdxBarDragNoDrop);
  EXPECT_EQ(onBar, crdxBarDrag);
  EXPECT_EQ(withCtrl, crdxBarDragCopy);
  EXPECT_EQ(released, crdxBarDrag);
  EXPECT_EQ(marked, ~plain & 0xFFFFFF);
  EXPECT_EQ(markedCtrl, marked);
  EXPECT_EQ(Captions(f.A), (std::vector<std::string>{"A1", "A2"}));
  EXPECT_EQ(Captions(f.B), (std::vector<std::string>{"B0", "B1", "A0", "B2"}));
  EXPECT_EQ(f.Manager->SelectedItem(), f.B->ItemLinks()->Items(2)->Control());
  EXPECT_NE(Screen->Cursor(), crdxBarDragCopy);
}

// Esc ends the drag with nothing changed and the mark gone.
TEST(dxBarDragDrop, EscCancelsAndRemovesTheMark) {
  TDragForm f;
  TdxBarItemLink* b0 = f.B->ItemLinks()->Items(0);
  TCustomdxBarControl* bw = f.B->Control();
  RECT r = b0->ItemRect;
  POINT stem{r.left + 2, (r.top + r.bottom) / 2};
  auto pixel = [&] { return PixelAt(bw, stem); };
  COLORREF plain = 0, marked = 0;
  std::function<void()> before = [&] { plain = pixel(); };
  std::function<void()> over = [&] { marked = pixel(); };
  POINT target = Offset(Center(b0), -(r.right - r.left) / 4, 0);
  DragLink(f.A->ItemLinks()->Items(2), [&](POINT) {
    PostProbe(before);
    PostMove(target);
    PostProbe(over);
    PostKey(VK_ESCAPE, true);
    PostUp(target);
  });
  EXPECT_EQ(marked, ~plain & 0xFFFFFF);
  EXPECT_EQ(pixel(), plain);
  EXPECT_EQ(Captions(f.A), (std::vector<std::string>{"A0", "A1", "A2"}));
  EXPECT_EQ(Captions(f.B), (std::vector<std::string>{"B0", "B1", "B2"}));
  EXPECT_FALSE(f.Manager->IsDragging());
}

// Ctrl copies; a drag off every bar deletes the link, but not with Ctrl held; a command from the
// customizing dialog's list becomes a new link.
TEST(dxBarDragDrop, CopyDeleteAndNewLink) {
  TDragForm f;
  POINT nowhere{200, 300};   // the form's empty client area
  POINT b0 = Center(f.B->ItemLinks()->Items(0));
  DragLink(f.A->ItemLinks()->Items(0), [&](POINT) {
    PostKey(VK_CONTROL, true);
    PostMove(b0);
    PostUp(b0);
  });
  EXPECT_EQ(Captions(f.A), (std::vector<std::string>{"A0", "A1", "A2"}));
  EXPECT_EQ(Captions(f.B), (std::vector<std::string>{"A0", "B0", "B1", "B2"}));
  DragLink(f.A->ItemLinks()->Items(1), [&](POINT) {
    PostKey(VK_CONTROL, true);
    PostMove(nowhere);
    PostUp(nowhere);
  });
  EXPECT_EQ(Captions(f.A), (std::vector<std::string>{"A0", "A1", "A2"}));
  DragLink(f.A->ItemLinks()->Items(1), [&](POINT) {
    PostMove(nowhere);
    PostUp(nowhere);
  });
  EXPECT_EQ(Captions(f.A), (std::vector<std::string>{"A0", "A2"}));
  EXPECT_EQ(f.Manager->SelectedItem(), nullptr);

  auto* cmd = new TdxBarButton(f.Form.get());
  cmd->SetCaption("Cmd");
  POINT a2 = Center(f.A->ItemLinks()->Items(1));
  TCursor cursor = 0;
  std::function<void()> probe = [&] { cursor = Screen->Cursor(); };
  {
    TWatchdog dog(60000);
    PostMove(Offset(a2, 4, 0));
    PostProbe(probe);
    PostUp(Offset(a2, 4, 0));
    f.Manager->CustomizingDragDrop(nullptr, cmd);
  }
  EXPECT_EQ(cursor, crdxBarDragCopy);
  EXPECT_EQ(Captions(f.A), (std::vector<std::string>{"A0", "A2", "Cmd"}));
}

// A sub-item dropped into the menu of a sub-item it holds is refused: the no-drop cursor, no link
// without an item, nothing else changed.
TEST(dxBarDragDrop, SubItemIntoItsOwnSubItemsMenuIsRefused) {
  TdxBarSubItem* outer = nullptr;
  TdxBarSubItem* inner = nullptr;
  TDragForm f([&](TDragForm& F) {
    outer = new TdxBarSubItem(F.Form.get());
    outer->SetCaption("Outer");
    inner = new TdxBarSubItem(F.Form.get());
    inner->SetCaption("Inner");
    F.AddButton(inner->ItemLinks(), "X");
    outer->ItemLinks()->Add()->SetItem(inner);
    F.A->ItemLinks()->Add()->SetItem(outer);
    F.A->ItemLinks()->Add()->SetItem(inner);
  });
  TdxBarItemLink* outerLink = f.A->ItemLinks()->Items(3);
  POINT onInner = Center(f.A->ItemLinks()->Items(4));
  TCursor cursor = 0;
  bool menuOpen = false;
  POINT onX{};
  std::function<void()> check = [&] { cursor = Screen->Cursor(); };
  std::function<void()> intoMenu = [&] {
    TCustomdxBarControl* menu = inner->ItemLinks()->BarControl();
    menuOpen = menu && menu->HandleAllocated() && IsWindowVisible(menu->Handle());
    onX = menuOpen ? Center(inner->ItemLinks()->Items(0)) : onInner;
    PostMove(onX);
    PostProbe(check);
    PostUp(onX);
  };
  DragLink(outerLink, [&](POINT) {
    PostMove(onInner);
    PostProbe(intoMenu);
  });
  ASSERT_TRUE(menuOpen);
  EXPECT_EQ(cursor, crdxBarDragNoDrop);
  EXPECT_EQ(Captions(f.A), (std::vector<std::string>{"A0", "A1", "A2", "Outer", "Inner"}));
  ASSERT_EQ(inner->ItemLinks()->Count(), 1);
  EXPECT_EQ(inner->ItemLinks()->Items(0)->Item()->Caption(), "X");
  EXPECT_EQ(outer->ItemLinks()->Count(), 1);
}

// The customizing frame: two one-pixel frames in the window-text colour inside the selected link's
// rectangle. A drag keeps it on the dragged link; after a copy it is the new link's alone.
TEST(dxBarDragDrop, CustomizingFrameMarksTheSelectedAndTheDraggedLink) {
  TDragForm f;
  auto framed = [](TdxBarItemLink* L) {
    TCustomdxBarControl* w = L->BarControl();
    RECT r = w->GetItemRect(L->Control());
    POINT m = Middle(r);
    bool all = true;
    for (POINT p : {POINT{r.left, m.y}, POINT{r.left + 1, m.y}, POINT{m.x, r.top + 1}, POINT{r.right - 2, m.y}})
      all = all && PixelAt(w, p) == GetSysColor(COLOR_WINDOWTEXT);
    return all;
  };
  TdxBarItemLink* a1 = f.A->ItemLinks()->Items(1);
  ClickLink(f.A->Control(), a1);
  EXPECT_TRUE(framed(a1));
  EXPECT_FALSE(framed(f.A->ItemLinks()->Items(0)));
  bool whileDragged = false;
  std::function<void()> probe = [&] {
    UpdateWindow(f.A->Control()->Handle());
    whileDragged = framed(a1);
    HoldForScreenshot();
  };
  POINT b0 = Center(f.B->ItemLinks()->Items(0));
  DragLink(a1, [&](POINT) {
    PostKey(VK_CONTROL, true);
    PostMove(b0);
    PostProbe(probe);
    PostUp(b0);
  });
  WaitPainted(f.Form.get());
  EXPECT_TRUE(whileDragged);
  EXPECT_FALSE(framed(a1));
  EXPECT_TRUE(framed(f.B->ItemLinks()->Items(0)));
  // A click in another bar takes the frame along. (Sent at once: the press starts a drag loop that
  // reads the release.)
  Click(Center(f.A->ItemLinks()->Items(0)));
  PumpUntil([&] { return framed(f.A->ItemLinks()->Items(0)) && !framed(f.B->ItemLinks()->Items(0)); });
  EXPECT_TRUE(framed(f.A->ItemLinks()->Items(0)));
  EXPECT_FALSE(framed(f.B->ItemLinks()->Items(0)));
}

// A command dragged out of an open menu onto the form's empty area is deleted; a click elsewhere closes
// the menu, and the first click on the menu's title then opens it again (its control is not left
// marked as dropped down).
TEST(dxBarDragDrop, AMenuACommandWasDraggedOutOfOpensAtTheFirstClick) {
  TdxBarSubItem* sub = nullptr;
  TDragForm f([&](TDragForm& F) {
    sub = new TdxBarSubItem(F.Form.get());
    sub->SetCaption("Menu");
    F.AddButton(sub->ItemLinks(), "X");
    F.AddButton(sub->ItemLinks(), "Y");
    F.A->ItemLinks()->Add()->SetItem(sub);
  });
  TdxBarItemLink* title = f.A->ItemLinks()->Items(3);
  auto menu = [&] {
    auto* w = dynamic_cast<TdxBarSubMenuControl*>(sub->ItemLinks()->BarControl());
    return w && IsBarControl(w) && w->HandleAllocated() && IsWindowVisible(w->Handle()) ? w : nullptr;
  };
  THoldPointer hold(POINT{0, 0});
  HeldClick(hold, Center(title));
  ASSERT_TRUE(PumpUntil([&] { return menu() != nullptr; }));
  POINT x = Center(sub->ItemLinks()->Items(0));
  ClipCursor(nullptr);
  DragPointer(x, POINT{200, 300});
  ASSERT_TRUE(PumpUntil([&] { return sub->ItemLinks()->Count() == 1; }));
  EXPECT_EQ(Captions(sub->ItemLinks()), std::vector<std::string>{"Y"});
  HeldClick(hold, POINT{200, 300});
  ASSERT_TRUE(PumpUntil([&] { return menu() == nullptr; }));
  HeldClick(hold, Center(title));
  EXPECT_TRUE(PumpUntil([&] { return menu() != nullptr; }));
  Shot("menu-after-drag-out");
  EXPECT_TRUE(title->Control() && title->Control()->DroppedDown());
  SetCursorPos(0, 0);
}
