// Bars on hidden windows: names from captions, clamped places, show and hide keeping the place, docking
// style changes, the main menu bar, the sides under a point, the delayed docking of a dragged bar and
// the repaints of a dock site's layout.
#include <string>
#include <vector>

#include "BarsTestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

TEST(dxBarBars, NamesComeFromCaptionsAndStayUnique) {
  TManagerForm f;
  TdxBars* bars = f.Manager->Bars();
  struct Case {
    const char* Caption;
    const char* Name;
  } cases[] = {{"Misc", "Misc"}, {"Misc", "Misc1"}, {"Misc", "Misc2"}, {"misc", "misc"}, {"Tools", "Tools"}};
  for (auto& c : cases) {
    TdxBar* b = bars->Add();
    b->SetCaption(c.Caption);
    EXPECT_EQ(b->Name(), c.Name) << c.Caption;
  }
  // A bar that has a name keeps it.
  bars->Items(0)->SetCaption("Other");
  EXPECT_EQ(bars->Items(0)->Name(), "Misc");
  EXPECT_EQ(f.Manager->BarByName("Misc1"), bars->Items(1));
  EXPECT_EQ(f.Manager->BarByName("MISC1"), nullptr);
}

TEST(dxBarBars, NegativePlacesBecomeZero) {
  TManagerForm f;
  TdxBar* b = f.Manager->Bars()->Add();
  b->SetRow(-3);
  b->SetDockedLeft(-1);
  b->SetDockedTop(-7);
  b->SetFloatLeft(-40);   // floating values are kept as they are
  EXPECT_EQ(b->Row(), 0);
  EXPECT_EQ(b->DockedLeft(), 0);
  EXPECT_EQ(b->DockedTop(), 0);
  EXPECT_EQ(b->FloatLeft(), -40);
}

TEST(dxBarBars, HidingAndShowingADockedBarKeepsItsPlace) {
  TManagerForm f;
  TdxBar* b = f.Manager->Bars()->Add();
  b->SetDockingStyle(dsBottom);
  b->SetRow(1);
  b->SetDockedLeft(40);
  b->SetVisible(true);
  TdxBarControl* w = b->Control();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Parent(), f.Manager->Bars()->DockControls(dsBottom));
  EXPECT_EQ(w->Left(), 40);
  EXPECT_EQ(w->DockingStyle(), dsBottom);
  EXPECT_TRUE(IsBarControl(w));
  // The window is moved in the site, then the bar is hidden: the place is written back.
  w->SetBounds(55, 0, w->Width(), w->Height());
  b->SetVisible(false);
  EXPECT_EQ(b->Control(), nullptr);
  EXPECT_FALSE(IsBarControl(w));
  EXPECT_EQ(b->DockedDockingStyle(), dsBottom);
  EXPECT_EQ(b->DockedLeft(), 55);
  EXPECT_EQ(b->Row(), 1);
  b->SetVisible(true);
  ASSERT_NE(b->Control(), nullptr);
  EXPECT_EQ(b->Control()->Parent(), f.Manager->Bars()->DockControls(dsBottom));
  EXPECT_EQ(b->Control()->Left(), 55);
  EXPECT_EQ(b->Control()->DockRow, 1);
}

TEST(dxBarBars, FloatingBarKeepsItsPositionAndClientSize) {
  TManagerForm f;
  TdxBar* b = f.Manager->Bars()->Add();
  b->SetDockingStyle(dsNone);
  b->SetFloatLeft(120);
  b->SetFloatTop(140);
  b->SetFloatClientWidth(230);
  b->SetFloatClientHeight(22);   // the height follows from the width: one default button's
  b->SetVisible(true);
  TdxBarControl* w = b->Control();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Parent(), nullptr);
  EXPECT_EQ(w->Left(), 120);
  EXPECT_EQ(w->Top(), 140);
  EXPECT_FALSE(w->Visible());   // the form is not shown: neither is the bar
  w->HandleNeeded();
  EXPECT_EQ(w->ClientWidth(), 230);
  EXPECT_EQ(w->ClientHeight(), 22);
  w->SetBounds(130, 150, w->Width(), w->Height());
  b->SetVisible(false);
  EXPECT_EQ(b->FloatLeft(), 130);
  EXPECT_EQ(b->FloatTop(), 150);
  EXPECT_EQ(b->FloatClientWidth(), 230);
  EXPECT_EQ(b->FloatClientHeight(), 22);
}

TEST(dxBarBars, DockingStyleChangeMakesANewWindowOnTheNewSide) {
  TManagerForm f;
  struct TLog {
    std::vector<std::string> L;
    void Style(TdxBarManager*, TdxBar* B) { L.push_back("style " + std::to_string(B->DockingStyle())); }
    void Visible(TdxBarManager*, TdxBar* B) { L.push_back(B->Visible() ? "shown" : "hidden"); }
  } log;
  f.Manager->OnBarDockingStyleChange = Bind(&log, &TLog::Style);
  f.Manager->OnBarVisibleChange = Bind(&log, &TLog::Visible);
  TdxBar* b = f.Manager->Bars()->Add();
  b->SetDockingStyle(dsTop);
  b->SetVisible(true);
  b->SetDockingStyle(dsLeft);
  ASSERT_NE(b->Control(), nullptr);
  EXPECT_EQ(b->Control()->Parent(), f.Manager->Bars()->DockControls(dsLeft));
  EXPECT_EQ(b->Control()->DockingStyle(), dsLeft);
  EXPECT_EQ(log.L, (std::vector<std::string>{"style 2", "shown", "hidden", "shown", "style 1"}));
  EXPECT_TRUE(f.Manager->Modified());
}

TEST(dxBarBars, OneMainMenuBarPerManager) {
  TManagerForm f;
  TdxBar* a = f.Manager->Bars()->Add();
  TdxBar* b = f.Manager->Bars()->Add();
  a->SetIsMainMenu(true);
  EXPECT_TRUE(a->WholeRow());
  EXPECT_EQ(f.Manager->MainMenuBar(), a);
  EXPECT_FALSE(a->CanListInToolbarsPopup());
  b->SetIsMainMenu(true);
  EXPECT_FALSE(a->IsMainMenu());
  EXPECT_FALSE(a->WholeRow());
  EXPECT_EQ(f.Manager->MainMenuBar(), b);
  TObject::Free(b);
  EXPECT_EQ(f.Manager->MainMenuBar(), nullptr);
  EXPECT_FALSE(f.Manager->IsUpdateLocked());
}

TEST(dxBarBars, AssignCopiesEverythingAndTheLinks) {
  TManagerForm f;
  auto* btn = new TdxBarButton(f.Form.get());
  TdxBar* a = f.Manager->Bars()->Add();
  a->SetCaption("Source");
  a->SetRow(2);
  a->SetOneOnRow(true);
  a->SetNotDocking({dsLeft, dsRight});
  a->SetFloatClientWidth(77);
  a->ItemLinks()->Add()->SetItem(btn);
  a->SetDockingStyle(dsBottom);
  TdxBar* b = f.Manager->Bars()->Add();
  b->Assign(a);
  EXPECT_EQ(b->Caption(), "Source");
  EXPECT_EQ(b->Row(), 2);
  EXPECT_TRUE(b->OneOnRow());
  EXPECT_EQ(b->NotDocking(), (TdxBarDockingStyles{dsLeft, dsRight}));
  EXPECT_EQ(b->FloatClientWidth(), 77);
  EXPECT_EQ(b->DockingStyle(), dsBottom);
  ASSERT_EQ(b->ItemLinks()->Count(), 1);
  EXPECT_EQ(b->ItemLinks()->Items(0)->Item(), btn);
  EXPECT_EQ(btn->LinkCount(), 2);
}

// Puts the form on the screen with its four sites at known places.
struct TShownForm : TBarsForm {
  TShownForm() : TBarsForm(false, RECT{100, 100, 500, 400}) {
    for (auto s : {dsLeft, dsTop, dsRight, dsBottom}) Site(s)->SetSiteSize(20);
    Form->Show();
    WaitShown(Form.get());
  }
  POINT Screen(TdxBarDockingStyle S, int X, int Y) { return Site(S)->ClientToScreen(POINT{X, Y}); }
};

TEST(dxBarBars, SideUnderAPointWithLeftWinningTheCorner) {
  TShownForm f;
  TdxBars* bars = f.Manager->Bars();
  TdxBar* b = bars->Add();
  b->SetDockingStyle(dsNone);
  b->SetVisible(true);
  TdxBarControl* w = b->Control();
  ASSERT_NE(w, nullptr);
  struct Case {
    POINT P;
    TdxBarDockingStyle Side;
  } cases[] = {
      {f.Screen(dsLeft, 5, 100), dsLeft},
      {f.Screen(dsRight, 5, 100), dsRight},
      {f.Screen(dsTop, 150, 5), dsTop},
      {f.Screen(dsBottom, 150, 5), dsBottom},
      {f.Screen(dsLeft, 5, 5), dsLeft},   // in the zones of the top and the left site: left wins
      {f.Screen(dsTop, 150, 120), dsNone},
  };
  for (auto& c : cases) EXPECT_EQ(bars->DockingStyleAt(w, c.P), c.Side) << c.P.x << "," << c.P.y;
  // A side the manager refuses is never found.
  f.Manager->SetNotDocking({dsLeft});
  EXPECT_EQ(bars->DockingStyleAt(w, cases[4].P), dsTop);
}

// A floating bar made visible while its form is hidden (as form data or a stored layout does) shows
// when the form is shown and activated by a click; so it does after the form's window is made anew by
// a border style changed at run time.
TEST(dxBarBars, AFloatingBarMadeVisibleOnAHiddenFormShowsWithTheForm) {
  TBarsForm f(false, RECT{100, 100, 500, 400});
  TdxBar* b = f.Manager->Bars()->Add();
  b->SetCaption("Float");
  for (int i = 0; i < 3; ++i) f.AddButton(b->ItemLinks(), "F" + std::to_string(i));
  b->SetDockingStyle(dsNone);
  b->SetFloatLeft(560);
  b->SetFloatTop(150);
  b->SetVisible(true);
  THoldPointer hold(POINT{0, 0});
  // Seen where it should be: the bar's window is the one under a point in its middle.
  auto shown = [&] {
    TdxBarControl* c = b->Control();
    if (!c || !c->HandleAllocated() || !IsWindowVisible(c->Handle())) return false;
    return GetAncestor(WindowFromPoint(Middle(WindowRect(c))), GA_ROOT) == c->Handle();
  };
  POINT onForm{300, 300};
  f.Form->Show();
  HeldClick(hold, onForm);
  EXPECT_TRUE(PumpUntil(shown));
  Shot("floating-bar-with-form");
  EXPECT_TRUE(b->Visible());

  f.Form->SetBorderStyle(bsSingle);
  EXPECT_TRUE(IsWindowVisible(f.Form->Handle()));
  HeldClick(hold, onForm);
  EXPECT_TRUE(PumpUntil(shown));
  EXPECT_TRUE(b->Visible());
  SetCursorPos(0, 0);
}

TEST(dxBarBars, FloatingBarDocksOnlyAfterTheWaitingTime) {
  TShownForm f;
  TdxBars* bars = f.Manager->Bars();
  TdxBar* b = bars->Add();
  b->SetDockingStyle(dsNone);
  b->SetFloatClientWidth(60);
  b->SetFloatClientHeight(22);
  b->SetVisible(true);
  TdxBarControl* w = b->Control();
  ASSERT_NE(w, nullptr);
  f.Manager->SetWaitForDockingTime(150);
  POINT over = f.Screen(dsTop, 150, 5);
  SetCursorPos(over.x, over.y);
  bars->MoveBar(w, over);
  EXPECT_EQ(w->DockingStyle(), dsNone);   // not yet
  EXPECT_EQ(b->DockingStyle(), dsNone);
  DWORD start = GetTickCount();
  PumpUntil([&] { return b->DockingStyle() != dsNone; });
  EXPECT_EQ(b->DockingStyle(), dsTop);
  EXPECT_GE(GetTickCount() - start, 100u);
  ASSERT_NE(b->Control(), nullptr);
  EXPECT_EQ(b->Control()->Parent(), bars->DockControls(dsTop));
  // Moving it off the sites floats it again at once.
  POINT away = f.Screen(dsTop, 150, 150);
  bars->MoveBar(b->Control(), away);
  EXPECT_EQ(b->DockingStyle(), dsNone);
  EXPECT_EQ(b->Control()->Parent(), nullptr);
}

TEST(dxBarBars, ABarThatMayDockNowhereCannotBeDragged) {
  TShownForm f;
  TdxBar* b = f.Manager->Bars()->Add();
  b->SetNotDocking(dxAllDockingStyles);
  b->SetDockingStyle(dsTop);
  b->SetVisible(true);
  f.Manager->Bars()->DragBar(b->Control());   // returns at once: no loop to end
  EXPECT_FALSE(f.Manager->Bars()->Dragging());
  EXPECT_EQ(b->DockingStyle(), dsTop);
}

TEST(dxBarBars, EscapeEndsTheDragWhereTheLastMoveLeftTheBar) {
  TShownForm f;
  TdxBars* bars = f.Manager->Bars();
  TdxBar* b = bars->Add();
  b->SetDockingStyle(dsNone);
  b->SetFloatLeft(200);
  b->SetFloatTop(200);
  b->SetFloatClientWidth(60);
  b->SetFloatClientHeight(22);
  b->SetVisible(true);
  TdxBarControl* w = b->Control();
  // The drag loop reads posted input: a move far from the sites, then Esc.
  POINT p{320, 330};
  PostMove(p);
  PostKey(VK_ESCAPE, true);
  bars->DragBar(w);
  EXPECT_FALSE(bars->Dragging());
  EXPECT_EQ(b->DockingStyle(), dsNone);
  POINT off = w->CaptionOffset();
  EXPECT_EQ(w->Left(), p.x - off.x);
  EXPECT_EQ(w->Top(), p.y - off.y);
  EXPECT_FALSE(w->Moving());
}

// Every site's rows have their own rectangles, one after the other across the site, so a bar dropped
// onto the start of the second row joins it.
TEST(dxBarBars, RowsOfEverySiteTakeTheirPlaceAndABarDroppedOnTheSecondRowJoinsIt) {
  for (auto side : {dsLeft, dsTop, dsRight, dsBottom}) {
    SCOPED_TRACE(int(side));
    TBarsForm f;
    f.AddBar("A", 2, side, 0, 0);
    f.AddBar("B", 2, side, 1, 0);
    TdxBar* c = f.AddBar("C", 1, side, 0, 60);
    TdxDockControl* site = f.Site(side);
    ASSERT_EQ(2, site->RowCount());
    bool horizontal = side == dsTop || side == dsBottom;
    RECT first = site->GetRowRect(0), second = site->GetRowRect(1);
    EXPECT_EQ(horizontal ? first.bottom : first.right, horizontal ? second.top : second.left);
    EXPECT_EQ(site->RowThickness(1), horizontal ? second.bottom - second.top : second.right - second.left);
    // A few pixels into the row joins it (further in opens a new row after it).
    POINT into = site->ClientToScreen(horizontal ? POINT{60, second.top + 4} : POINT{second.left + 4, 60});
    bool isNew = true;
    EXPECT_EQ(1, site->RowAtPos(into, isNew));
    EXPECT_FALSE(isNew);
    site->MoveBarTo(c->Control(), into);
    EXPECT_EQ(2, site->RowCount());
    EXPECT_EQ(1, site->RowOf(c->Control()));
  }
}

// A layout paints again only the windows it moved: the others keep their picture.
TEST(dxBarBars, ALayoutRepaintsOnlyTheBarWindowsItMoved) {
  TBarsForm f;
  TdxBar* a = f.AddBar("A", 2, dsTop, 0, 0);
  TdxBar* b = f.AddBar("B", 2, dsTop, 1, 0);
  TdxBar* c = f.AddBar("C", 2, dsTop, 1, 150);
  HWND wa = a->Control()->Handle(), wb = b->Control()->Handle(), wc = c->Control()->Handle();
  auto painted = [&] {
    for (HWND w : {wa, wb, wc}) UpdateWindow(w);
  };
  auto pending = [](HWND W) {
    RECT r;
    return GetUpdateRect(W, &r, FALSE) != FALSE;
  };
  painted();
  f.Site(dsTop)->UpdateDock();
  EXPECT_FALSE(pending(wa));
  EXPECT_FALSE(pending(wb));
  EXPECT_FALSE(pending(wc));
  // The first row goes: the second row's windows move up and are painted again.
  painted();
  RECT before = WindowRect(c->Control());
  a->SetVisible(false);
  ASSERT_NE(WindowRect(c->Control()).top, before.top);
  EXPECT_TRUE(pending(wb));
  EXPECT_TRUE(pending(wc));
}

}  // namespace

