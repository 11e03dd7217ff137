// Sub-menu windows on a real screen: measuring and placement on the work area, scroll rows of a menu
// taller than the screen, keys walking and running rows, personalised menus that expand, and the opening
// animation ended at once by a key.
#include <atomic>
#include <thread>

#include "BarsTestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

// A shown form with a manager and a sub-item of N buttons ("B0", "B1"...), whose menu the test opens.
struct TMenuForm {
  TManagerForm F;
  TdxBarSubItem* Sub;
  std::vector<TdxBarButton*> Buttons;
  TClickProbe Clicks;
  explicit TMenuForm(int N, bool Personalised = false) {
    F.Manager->SetMenusShowRecentItemsFirst(Personalised);
    F.Form->Show();
    // Keys go to the foreground window, where the bars' keyboard hook takes them for the open menu.
    WaitForeground(F.Form.get());
    Sub = new TdxBarSubItem(F.Form.get());
    Buttons = AddButtons(F.Form.get(), Sub->ItemLinks(), N,
                         [](int i) { return "&" + std::string(1, char('a' + i % 26)) + "Item " + std::to_string(i); }, &Clicks);
  }
  ~TMenuForm() { Sub->ItemLinks()->FreeBarControl(); }
  TdxBarSubMenuControl* Open(POINT P, int OpenerW = 0, int OpenerH = 0) { return OpenMenu(Sub, P, OpenerW, OpenerH); }
  TdxBarSubMenuControl* Menu() { return dynamic_cast<TdxBarSubMenuControl*>(Sub->ItemLinks()->BarControl()); }
  void Key(WORD K, const std::vector<WORD>& Held = {}) { PressKeys(K, Held); }
  std::string Selected() {
    auto* c = Menu() ? Menu()->SelectedControl() : nullptr;
    return c ? c->Item()->Name() : "";
  }
};

RECT WorkArea() {
  RECT r;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

}  // namespace

TEST(dxBarSubMenu, EmptyMenuMeasuresOneRowAndNeverAnimates) {
  TMenuForm t(0);
  t.F.Manager->SetMenuAnimations(maSlide);
  auto* m = t.Open(POINT{100, 100});
  EXPECT_FALSE(m->Animating());
  RECT r = WindowRect(m);
  EXPECT_EQ(r.right - r.left, 100);
  EXPECT_EQ(r.bottom - r.top, m->TextSize() + 6);
  EXPECT_TRUE(IsWindowVisible(m->Handle()));
}

// Wherever a menu taller than the work area opens, it ends inside the work area with a scroll row.
TEST(dxBarSubMenu, TallMenuIsCutToTheWorkAreaInEveryPlacement) {
  RECT a = WorkArea();
  struct Case {
    const char* Name;
    POINT At;
    int OpenerW, OpenerH;
  } cases[] = {{"at a point", {200, a.bottom - 50}, 0, 0},
               {"beside an opener", {200, a.bottom - 50}, 80, 0},
               {"below an opener", {200, a.bottom - 50}, 0, 20},
               {"below an opener near the top", {200, a.top + 30}, 0, 20}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMenuForm t(80);
    auto* m = t.Open(c.At, c.OpenerW, c.OpenerH);
    RECT r = WindowRect(m);
    EXPECT_GE(r.top, a.top);
    EXPECT_LE(r.bottom, a.bottom);
    EXPECT_TRUE(m->CanScrollDown());
    EXPECT_LT(m->FitCount(), 80);
  }
}

TEST(dxBarSubMenu, MenuThatDoesNotFitOnTheRightFlipsOnlyWhenThereIsMoreRoomOnTheLeft) {
  RECT a = WorkArea();
  {
    TMenuForm t(3);
    auto* m = t.Open(POINT{a.right - 20, 100}, 60, 0);
    RECT r = WindowRect(m);
    EXPECT_EQ(r.right, a.right - 20 - 60);   // ends at the opener's left edge
  }
  {
    TMenuForm t(3);
    auto* m = t.Open(POINT{a.left + 40, 100}, 30, 0);
    // It fits on the right: no flip.
    RECT r = WindowRect(m);
    EXPECT_EQ(r.left, a.left + 40);
  }
}

TEST(dxBarSubMenu, HoveringTheDownRowScrollsUntilTheLastLinkShows) {
  // A few rows more than the screen holds: a short walk even on a loaded machine.
  TMenuForm t((WorkArea().bottom - WorkArea().top) / 19 + 6);
  RECT a = WorkArea();
  auto* m = t.Open(POINT{200, a.top});
  ASSERT_TRUE(m->CanScrollDown());
  RECT row = m->ScrollRowRect(true);
  POINT p = m->ClientToScreen(POINT{(row.left + row.right) / 2, (row.top + row.bottom) / 2});
  SendMouse(p);
  int before = m->FirstVisibleIndex();
  EXPECT_TRUE(PumpUntil([&] { return m->FirstVisibleIndex() > before; }));
  // 80 ms a row, then the scrolling stops by itself.
  EXPECT_TRUE(PumpUntil([&] { return !m->CanScrollDown(); }));
  EXPECT_TRUE(m->CanScrollUp());
  SetCursorPos(0, 0);
}

TEST(dxBarSubMenu, KeysWalkTheRowsAndEnterRunsTheItemOnce) {
  TMenuForm t(4);
  t.Buttons[2]->SetEnabled(true);
  t.Open(POINT{100, 100});
  t.Key(VK_DOWN);
  EXPECT_EQ(t.Selected(), "B0");
  t.Key(VK_DOWN);
  t.Key(VK_DOWN);
  EXPECT_EQ(t.Selected(), "B2");
  t.Key(VK_UP);
  EXPECT_EQ(t.Selected(), "B1");
  t.Key(VK_END);
  EXPECT_EQ(t.Selected(), "B3");
  t.Key(VK_DOWN);   // wraps
  EXPECT_EQ(t.Selected(), "B0");
  t.Key(VK_RETURN);
  PumpUntil([&] { return !t.Clicks.Names.empty() && t.Menu() == nullptr; });
  EXPECT_EQ(t.Clicks.Names, std::vector<std::string>{"B0"});
  EXPECT_EQ(t.Menu(), nullptr);   // the popup closed and was freed
}

TEST(dxBarSubMenu, AcceleratorRunsAUniqueRowAndEscCloses) {
  TMenuForm t(4);
  t.Open(POINT{100, 100});
  t.Key('C');
  PumpUntil([&] { return !t.Clicks.Names.empty() && t.Menu() == nullptr; });
  EXPECT_EQ(t.Clicks.Names, std::vector<std::string>{"B2"});
  TMenuForm u(3);
  u.Open(POINT{100, 100});
  u.Key(VK_ESCAPE);
  PumpUntil([&] { return u.Menu() == nullptr; });
  EXPECT_EQ(u.Menu(), nullptr);
  EXPECT_TRUE(u.Clicks.Names.empty());
}

// A row run by its accelerator closes the menu, whose window is freed once that message is done; the
// menu opened again before then (keys typed ahead reach a busy program together) stays open.
TEST(dxBarSubMenu, AMenuOpenedAgainBeforeTheClosedWindowIsFreedStaysOpen) {
  TMenuForm t(3);
  t.Open(POINT{100, 100});
  // Only key messages are taken until the row has run: the freeing left for later stays queued.
  SendKeys({{'B', false}, {'B', true}});
  for (DWORD start = GetTickCount(); t.Clicks.Names.empty() && GetTickCount() - start < 20000;) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
      DispatchMessageA(&msg);
    else
      Sleep(1);
  }
  ASSERT_EQ(t.Clicks.Names, std::vector<std::string>{"B1"});
  ASSERT_NE(t.Menu(), nullptr);  // closed, not freed yet
  auto* m = t.Open(POINT{100, 100});
  WaitDeferred();  // the closed window is freed by now
  ASSERT_EQ(t.Menu(), m);
  EXPECT_TRUE(IsBarControl(m) && m->HandleAllocated() && IsWindowVisible(m->Handle()));
  t.Key(VK_DOWN);
  EXPECT_EQ(t.Selected(), "B0");
}

TEST(dxBarSubMenu, KeyDownMovesTheScrolledMenuWithTheSelection) {
  TMenuForm t(80);
  RECT a = WorkArea();
  auto* m = t.Open(POINT{200, a.top});
  t.Key(VK_END);
  EXPECT_EQ(t.Selected(), "B79");
  EXPECT_FALSE(m->CanScrollDown());
  RECT r = t.Buttons[79]->Links(0)->ItemRect;
  EXPECT_FALSE(IsRectEmpty(&r));
  t.Key(VK_HOME);
  EXPECT_EQ(m->FirstVisibleIndex(), 0);
}

// Two of five links were never used: the menu shows three and the expand button; Ctrl+Down shows all,
// the rare rows in the lighter face, and keeps the selected row.
TEST(dxBarSubMenu, PersonalisedMenuExpandsAndKeepsTheSelection) {
  TMenuForm t(5, true);
  t.F.Manager->SetShowFullMenusAfterDelay(false);
  t.Sub->ItemLinks()->Items(1)->SetMostRecentlyUsed(false);
  t.Sub->ItemLinks()->Items(3)->SetMostRecentlyUsed(false);
  dxBarSetMenusExpanded(false);
  auto* m = t.Open(POINT{100, 100});
  ASSERT_TRUE(m->HasHiddenLinks());
  EXPECT_EQ(t.Sub->ItemLinks()->ShownCount(), 3);
  t.Key(VK_DOWN);
  t.Key(VK_DOWN);
  EXPECT_EQ(t.Selected(), "B2");
  int shortHeight = m->Height();
  t.Key(VK_DOWN, {VK_CONTROL});
  WaitPainted(m);
  EXPECT_FALSE(m->HasHiddenLinks());
  EXPECT_EQ(t.Sub->ItemLinks()->ShownCount(), 5);
  EXPECT_GT(m->Height(), shortHeight);
  EXPECT_EQ(t.Selected(), "B2");
  EXPECT_TRUE(m->IsRare(t.Sub->ItemLinks()->Items(1)));
  EXPECT_FALSE(m->IsRare(t.Sub->ItemLinks()->Items(2)));
  // A rare row is painted on the lighter face at its left band.
  HDC dc = GetDC(m->Handle());
  RECT r = t.Sub->ItemLinks()->Items(1)->ItemRect;
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  COLORREF lighter = RGB(std::min(255, GetRValue(face) + 20), std::min(255, GetGValue(face) + 20),
                         std::min(255, GetBValue(face) + 20));
  EXPECT_EQ(GetPixel(dc, r.left - 1, (r.top + r.bottom) / 2), lighter);
  ReleaseDC(m->Handle(), dc);
}

// A key pressed as the animation starts ends it at once at the final bounds; a watchdog fails the test
// instead of letting a hang stall the run.
TEST(dxBarSubMenu, KeyDuringTheAnimationEndsItAtTheFinalBounds) {
  for (TdxBarMenuAnimations style : {maSlide, maUnfold}) {
    TMenuForm t(12);
    t.F.Manager->SetMenuAnimations(style);
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
      for (int i = 0; i < 1200 && !done; ++i) Sleep(50);  // 60 s: longer than the waits inside
      if (!done) ADD_FAILURE() << "the animation hung";
      if (!done) TerminateProcess(GetCurrentProcess(), 3);
    });
    auto* m = static_cast<TdxBarSubMenuControl*>(t.Sub->ItemLinks()->CreateBarControl());
    m->SetBounds(150, 120, 0, 0);
    m->Show();
    EXPECT_TRUE(m->Animating());
    EXPECT_EQ(dxBarAnimatedMenu(), m);
    RECT final{m->Left(), m->Top(), m->Left() + m->Width(), m->Top() + m->Height()};
    t.Key(VK_DOWN);
    EXPECT_FALSE(m->Animating());
    EXPECT_EQ(dxBarAnimatedMenu(), nullptr);
    RECT r = WindowRect(m);
    EXPECT_TRUE(EqualRect(&r, &final));
    EXPECT_EQ(t.Selected(), "B0");
    done = true;
    watchdog.join();
  }
}

TEST(dxBarSubMenu, AnimationRunsToItsEndAndASecondOneStopsTheFirst) {
  TMenuForm t(12), u(12);
  t.F.Manager->SetMenuAnimations(maUnfold);
  u.F.Manager->SetMenuAnimations(maSlide);
  auto* m = t.Open(POINT{100, 100});
  ASSERT_TRUE(m->Animating());
  auto* n = u.Open(POINT{400, 100});
  EXPECT_FALSE(m->Animating());
  RECT r = WindowRect(m);
  EXPECT_EQ(r.bottom - r.top, m->Height());
  EXPECT_TRUE(PumpUntil([&] { return !n->Animating(); }));
  EXPECT_TRUE(IsWindowVisible(n->Handle()));
  EXPECT_EQ(dxBarAnimatedMenu(), nullptr);
}
