// Hints on real windows, their placement, the category bookkeeping, popup-menu links, and the manager's
// handling of its owner form's messages (system commands, work-area fit, MDI merge).
#include "BarsTestSupport.h"
#include "ExtCtrlsPanels.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

bool HintVisible() {
  TdxBarHintWindow* w = dxBarHintWindow(false);
  return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
}

// A shown form with one toolbar window holding buttons laid side by side.
struct TShownBar {
  TManagerForm F;
  TdxBar* Bar;
  TCustomdxBarControl* Window;
  std::vector<TdxBarButton*> Buttons;
  explicit TShownBar(int N) {
    F.Form->Show();
    Bar = F.Manager->Bars()->Add();
    for (int i = 0; i < N; ++i) {
      auto* b = new TdxBarButton(F.Form.get());
      b->SetCaption("B" + std::to_string(i));
      b->SetHint("Hint " + std::to_string(i) + "|Long hint");
      Buttons.push_back(b);
      Bar->ItemLinks()->Add()->SetItem(b);
    }
    Window = ShowBarWindow(Bar, F.Form.get(), RECT{0, 0, 380, 40}, POINT{0, 0}, 0);
    WaitShown(Window);
  }
  ~TShownBar() {
    if (Bar) Bar->ItemLinks()->FreeBarControl();
  }
  TdxBarItemControl* Control(int I) { return Bar->ItemLinks()->Items(I)->Control(); }
  POINT Centre(int I) {
    RECT r = Bar->ItemLinks()->Items(I)->ItemRect;
    return Window->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  // The pointer moved onto button I, and the move handed to the window, which selects the button: a
  // move that came later would select it while the test sets the selection by hand.
  void PointAt(int I) {
    SendMouse(Centre(I));
    PumpUntil([&] { return Window->SelectedControl() == Control(I); });
  }
};

TEST(dxBarHints, AButtonsHintAppearsBelowTheCursorAndGoesWhenTheMouseLeaves) {
  TShownBar t(2);
  t.PointAt(0);
  t.Window->SetSelectedItem(t.Control(0));
  EXPECT_FALSE(HintVisible());  // a second passes first
  ASSERT_TRUE(PumpUntil(HintVisible));
  TdxBarHintWindow* w = dxBarHintWindow(false);
  EXPECT_EQ(w->Text(), "Hint 0");
  RECT r;
  GetWindowRect(w->Handle(), &r);
  POINT cur;
  GetCursorPos(&cur);
  EXPECT_EQ(r.top, cur.y + 20);

  // Leaving hides it; the next button within 400 ms shows its hint at once. (The cursor moves first:
  // the system may take a while to report a new position.)
  t.PointAt(1);
  t.Window->SetSelectedItem(nullptr);
  EXPECT_FALSE(HintVisible());
  t.Window->SetSelectedItem(t.Control(1));
  EXPECT_TRUE(HintVisible());
  EXPECT_EQ(w->Text(), "Hint 1");
  t.Window->SetSelectedItem(nullptr);
  EXPECT_FALSE(HintVisible());
  // Once the re-show window (400 ms) has closed, a hint waits its second again.
  WaitTimers(400);
  t.Window->SetSelectedItem(t.Control(1));
  EXPECT_FALSE(HintVisible());
  t.Window->SetSelectedItem(nullptr);
}

TEST(dxBarHints, PendingTimersDieWithTheManagerAndWithTheHintWindow) {
  {
    TShownBar t(1);
    t.PointAt(0);  // the move the cursor makes arrives now, not while the freed timers are watched
    dxBarHintWindow(true);
    t.Window->SetSelectedItem(t.Control(0));
    dxBarFreeHintWindow();
    WaitTimers(1300);  // longer than the hint's second: a timer left alive would have fired
    EXPECT_FALSE(HintVisible());  // the show timer did not fire
    t.Window->SetSelectedItem(nullptr);
    t.Window->SetSelectedItem(t.Control(0));
    TObject::Free(t.F.Manager);
    t.Bar = nullptr;
    WaitTimers(1300);
    EXPECT_FALSE(HintVisible());
  }
}

TEST(dxBarHints, AHintStaysOnTheWorkAreaAndNeverCoversThePoint) {
  RECT work{0, 0, 800, 600};
  // Near the bottom: 50 pixels above the point.
  EXPECT_EQ(dxBarPlaceHint(POINT{100, 590}, SIZE{80, 20}, work).y, 540);
  // A taller hint ends above the point.
  POINT p = dxBarPlaceHint(POINT{100, 590}, SIZE{80, 120}, work);
  EXPECT_LE(p.y + 120, 590);
  // Past the right edge: moved left to end there; never left of the work area.
  EXPECT_EQ(dxBarPlaceHint(POINT{780, 100}, SIZE{80, 20}, work).x, 720);
  EXPECT_EQ(dxBarPlaceHint(POINT{-900, 100}, SIZE{80, 20}, RECT{-1280, 0, 0, 1024}).x, -900);
}

TEST(dxBarCategories, DeleteInsertExchangeAndMoveKeepTheItemsInStep) {
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  EXPECT_EQ(m->Categories()->Text(), "Default\r\n");
  m->Categories()->SetText("A\nB\nC");
  std::vector<TdxBarButton*> b;
  for (int c : {0, 1, 1, 2}) {
    b.push_back(new TdxBarButton(f.Form.get()));
    b.back()->SetCategory(c);
  }
  m->Categories()->Exchange(0, 1);
  EXPECT_EQ(b[0]->Category(), 1);
  EXPECT_EQ(b[1]->Category(), 0);
  EXPECT_EQ(b[2]->Category(), 0);
  EXPECT_EQ(m->Categories()->Strings(0), "B");
  m->Categories()->Move(0, 2);  // B A C -> A C B
  EXPECT_EQ(m->Categories()->Text(), "A\r\nC\r\nB\r\n");
  EXPECT_EQ(b[0]->Category(), 0);
  EXPECT_EQ(b[1]->Category(), 2);
  EXPECT_EQ(b[3]->Category(), 1);
  m->Categories()->Insert(1, "N");  // A N C B
  EXPECT_EQ(b[3]->Category(), 2);
  EXPECT_EQ(b[1]->Category(), 3);
  m->Categories()->Delete(3);  // frees B's items
  EXPECT_EQ(m->ItemCount(), 2);
  m->Categories()->Delete(0);
  m->Categories()->Delete(0);
  EXPECT_EQ(m->ItemCount(), 1);
  EXPECT_EQ(b[3]->Category(), 0);
  m->Categories()->Delete(0);
  EXPECT_EQ(m->ItemCount(), 0);
  EXPECT_EQ(m->Categories()->Text(), "Default\r\n");
}

POINT OpenedAt{-5, -5};
void RecordOpen(TdxBarPopupMenu*, POINT P) { OpenedAt = P; }

struct TRefuse {
  void Action(TObject*, POINT&, bool& Show, bool, bool& Handled) {
    Show = false;
    Handled = true;
  }
};

TEST(dxBarPopupMenuLinks, TheMenuKeyOpensTheLinkedMenuAtTheControlsCorner) {
  TManagerForm f;
  f.Form->Show();
  auto* panel = new TPanel(f.Form.get());
  panel->SetParent(f.Form.get());
  panel->SetBounds(30, 40, 100, 50);
  auto* other = new TPanel(f.Form.get());
  other->SetParent(f.Form.get());
  auto* menu = new TdxBarPopupMenu(f.Form.get());
  dxBarSetPopupMenuOpener(&RecordOpen);
  TdxBarPopupMenuLink* refusing = f.Manager->PopupMenuLinks()->Add();
  refusing->SetControl(panel);
  TRefuse refuse;
  refusing->OnAction = Bind(&refuse, &TRefuse::Action);
  refusing->SetPopupMenu(menu);
  TdxBarPopupMenuLink* l = f.Manager->PopupMenuLinks()->Add();
  l->SetControl(panel);
  l->SetPopupMenu(menu);
  EXPECT_FALSE(f.Manager->RunPopupMenuLinks(other, POINT{-1, -1}));
  ASSERT_TRUE(f.Manager->RunPopupMenuLinks(panel, POINT{-1, -1}));
  POINT corner = panel->ClientToScreen(POINT{0, 0});
  EXPECT_EQ(OpenedAt.x, corner.x);
  EXPECT_EQ(OpenedAt.y, corner.y);
  ASSERT_TRUE(f.Manager->RunPopupMenuLinks(panel, POINT{corner.x + 7, corner.y + 9}));
  EXPECT_EQ(OpenedAt.x, corner.x + 7);
  // A freed menu leaves the links.
  TObject::Free(menu);
  EXPECT_EQ(l->PopupMenu(), nullptr);
  EXPECT_FALSE(f.Manager->RunPopupMenuLinks(panel, POINT{-1, -1}));
  dxBarSetPopupMenuOpener(nullptr);
}

TEST(dxBarFormMessages, SystemCommandsHideAndShowFloatingBarsWithTheirLowBitsMasked) {
  TManagerForm f;
  f.Form->Show();
  WaitForeground(f.Form.get());
  TdxBar* bar = f.Manager->Bars()->Add();
  bar->SetFloatLeft(100);
  bar->SetFloatTop(100);
  bar->SetFloatClientWidth(100);
  bar->SetFloatClientHeight(30);
  bar->SetDockingStyle(dsNone);
  bar->SetVisible(true);
  ASSERT_NE(bar->Control(), nullptr);
  bar->Control()->HandleNeeded();
  bar->Control()->SetVisible(true);
  HWND w = bar->Control()->Handle();
  ASSERT_TRUE(IsWindowVisible(w));
  f.Manager->FormMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsWindowVisible(w));
  f.Manager->FormMessage(WM_SYSCOMMAND, 0xF032, 0);  // a caption double-click maximizes
  EXPECT_TRUE(IsWindowVisible(w));
  f.Manager->FormMessage(WM_SYSCOMMAND, SC_CLOSE | 1, 0);
  EXPECT_FALSE(IsWindowVisible(w));
}

TEST(dxBarFormMessages, FloatingBarsArePulledBackOntoTheWorkArea) {
  TManagerForm f;
  TdxBar* bar = f.Manager->Bars()->Add();
  bar->SetDockingStyle(dsNone);
  bar->SetFloatLeft(-500);
  bar->SetFloatTop(100000);
  bar->SetFloatClientWidth(100);
  bar->SetFloatClientHeight(30);
  f.Manager->FormMessage(WM_DISPLAYCHANGE, 0, 0);
  RECT work = GetWorkArea(POINT{250, 200});
  EXPECT_EQ(bar->FloatLeft(), work.left);
  EXPECT_EQ(bar->FloatTop() + 30 + f.Manager->BarBorderHeight(dsNone), work.bottom);
}

TEST(dxBarFormMessages, AChildsMainMenuMergesIntoTheFramesOnceAndLeavesAgain) {
  TManagerForm frame, child;
  auto mainMenu = [](TManagerForm& F, const char* Caption) {
    TdxBar* bar = F.Manager->Bars()->Add();
    bar->SetIsMainMenu(true);
    F.Manager->SetMainMenuBar(bar);
    auto* b = new TdxBarButton(F.Form.get());
    b->SetCaption(Caption);
    bar->ItemLinks()->Add()->SetItem(b);
    return bar;
  };
  TdxBar* fm = mainMenu(frame, "File");
  TdxBar* cm = mainMenu(child, "Window");
  cm->SetVisible(true);
  frame.Manager->SetAlwaysMerge(true);
  frame.Manager->MergeChildMenu(child.Manager);
  frame.Manager->MergeChildMenu(child.Manager);
  ASSERT_EQ(fm->ItemLinks()->Count(), 2);
  EXPECT_EQ(fm->ItemLinks()->Items(1)->Item()->Caption(), "Window");
  EXPECT_FALSE(cm->Visible());
  frame.Manager->SetAlwaysMerge(false);
  frame.Manager->UnmergeChildMenu(child.Manager);
  EXPECT_EQ(fm->ItemLinks()->Count(), 1);
  EXPECT_TRUE(cm->Visible());
}

}  // namespace
