// Item controls in a bar window without a screen: sizes, hit testing, selection, the click and the
// looks of a button painted into a memory bitmap and probed at places taken from the layout.
#include <functional>
#include <memory>

#include "BarsTestSupport.h"
#include "dxBarCustForm.h"
#include "Menus.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);
// A menu loop that never ends fails its test instead of stalling the run.
const bool Watched = (WatchEveryTest(60000), true);

struct TBarWithButtons {
  TManagerForm F;
  TdxBar* Bar;
  TCustomdxBarControl* Window;
  std::vector<TdxBarButton*> Buttons;
  explicit TBarWithButtons(int N) {
    Bar = F.Manager->Bars()->Add();
    for (int i = 0; i < N; ++i) {
      auto* b = new TdxBarButton(F.Form.get());
      b->SetCaption("B" + std::to_string(i));
      Buttons.push_back(b);
      Bar->ItemLinks()->Add()->SetItem(b);
    }
    Window = Bar->ItemLinks()->CreateBarControl();
    Window->CreateControls();
    Window->CalcDrawingConsts();
    // Side by side in one row of a wide floating bar.
    static_cast<TdxBarControl*>(Window)->CalcLayout(1000, 40);
  }
  ~TBarWithButtons() { Bar->ItemLinks()->FreeBarControl(); }
  TdxBarButtonControl* Control(int I) {
    return dynamic_cast<TdxBarButtonControl*>(Bar->ItemLinks()->Items(I)->Control());
  }
};

// A 16x16 glyph for B: Red painted red on white (the bottom-left white is the transparent colour).
void SetRedGlyph(TdxBarButton* B, RECT Red) {
  std::unique_ptr<TBitmap> glyph(new TBitmap);
  glyph->SetWidth(16);
  glyph->SetHeight(16);
  glyph->Canvas()->Brush()->SetColor(clWhite);
  glyph->Canvas()->FillRect(RECT{0, 0, 16, 16});
  glyph->Canvas()->Brush()->SetColor(clRed);
  glyph->Canvas()->FillRect(Red);
  B->SetGlyph(glyph.get());
}

TEST(dxBarControls, ButtonsGetTheLibrarysControlAndToolbarSizes) {
  TBarWithButtons t(2);
  TdxBarManager* m = t.F.Manager;
  ASSERT_NE(t.Control(0), nullptr);
  struct Case {
    TdxBarPaintStyle Style;
    bool WithGlyph;
    TdxBarButtonStyle ButtonStyle;
    std::function<int(TdxBarButtonControl*)> Width;
  } cases[] = {
      // Without a picture a plain button shows its caption.
      {psStandard, false, bsDefault, [](TdxBarButtonControl* c) { return c->GetLength(); }},
      {psStandard, true, bsDefault, [&](TdxBarButtonControl*) { return m->ButtonSize(); }},
      {psStandard, true, bsDropDown, [&](TdxBarButtonControl*) { return m->ButtonSize() + m->ButtonArrowWidth(); }},
      {psCaptionGlyph, true, bsDefault, [&](TdxBarButtonControl* c) { return c->GetLength(); }},
  };
  TBitmap* glyph = new TBitmap;
  glyph->SetWidth(16);
  glyph->SetHeight(16);
  for (auto& c : cases) {
    TdxBarButton* b = t.Buttons[0];
    b->SetPaintStyle(c.Style);
    b->SetButtonStyle(c.ButtonStyle);
    b->SetGlyph(c.WithGlyph ? glyph : nullptr);
    TdxBarButtonControl* ctl = t.Control(0);
    ASSERT_NE(ctl, nullptr);
    EXPECT_EQ(ctl->GetWidth(), c.Width(ctl)) << c.Style << c.WithGlyph << c.ButtonStyle;
    EXPECT_GE(ctl->GetHeight(), m->ButtonSize2());
    if (!c.WithGlyph) EXPECT_EQ(ctl->EffectivePaintStyle(), psCaption);
    // Caption widths grow the button; the caption style is wider than the plain picture button.
    if (c.Style == psCaptionGlyph) EXPECT_GT(ctl->GetWidth(), m->ButtonSize());
  }
  delete glyph;
}

TEST(dxBarControls, ItemAtPosFindsTheControlWhoseRectangleHoldsThePoint) {
  TBarWithButtons t(3);
  for (int i = 0; i < 3; ++i) {
    RECT r = t.Bar->ItemLinks()->Items(i)->ItemRect;
    EXPECT_EQ(t.Window->ItemAtPos(POINT{r.left, r.top}), t.Control(i)) << i;
    EXPECT_EQ(t.Window->ItemAtPos(POINT{r.right - 1, r.bottom - 1}), t.Control(i)) << i;
  }
  RECT last = t.Bar->ItemLinks()->Items(2)->ItemRect;
  EXPECT_EQ(t.Window->ItemAtPos(POINT{last.right, 0}), nullptr);
  EXPECT_EQ(t.Window->ItemAtPos(POINT{-1, 0}), nullptr);
  // The region of an item for drop tests is a fresh one each time, owned by the caller.
  HRGN rgn = t.Window->GetItemRegion(t.Control(1));
  EXPECT_TRUE(PtInRegion(rgn, last.left - 1, 0));
  EXPECT_TRUE(DeleteObject(rgn));
}

TEST(dxBarControls, SelectionMovesAndClosesWhatWasOpen) {
  TBarWithButtons t(2);
  t.Window->SelectItem(t.Control(0));
  EXPECT_EQ(t.Window->SelectedControl(), t.Control(0));
  EXPECT_TRUE(t.Control(0)->IsSelected());
  t.Control(0)->DropDown();
  t.Window->SelectItem(t.Control(1));
  EXPECT_FALSE(t.Control(0)->DroppedDown());
  EXPECT_FALSE(t.Control(0)->IsSelected());
  // A disabled item chosen by keyboard shows as selected; hovered by the mouse it does not.
  t.Window->SelectItem(nullptr);
  t.Buttons[1]->SetEnabled(false);
  t.Window->SelectItem(t.Control(1));
  EXPECT_TRUE(t.Control(1)->IsSelected());
  t.Control(1)->SetSelectedByMouse(true);
  EXPECT_FALSE(t.Control(1)->IsSelected());
  t.Window->SetActive(true);
  t.Window->SetActive(false);
  EXPECT_EQ(t.Window->SelectedControl(), nullptr);
}

TEST(dxBarControls, ClickRunsTheItemAndTogglesCheckedButtons) {
  TBarWithButtons t(1);
  int clicks = 0;
  TdxBarItemLink* seen = nullptr;
  TdxBarButton* b = t.Buttons[0];
  TClickProbe probe{[&] {
    ++clicks;
    seen = b->ClickItemLink;
  }};
  b->OnClick = Bind(&probe, &TClickProbe::Click);
  b->SetButtonStyle(bsChecked);
  t.Control(0)->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(seen, t.Bar->ItemLinks()->Items(0));
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(t.Control(0)->Clicking());
  t.Control(0)->Click();
  EXPECT_FALSE(b->Down());
  b->SetEnabled(false);
  t.Control(0)->Click();
  EXPECT_EQ(clicks, 2);
}

TEST(dxBarControls, ClickThatFreesItsWindowTouchesNothingAfterwards) {
  TBarWithButtons t(1);
  TdxBarButton* b = t.Buttons[0];
  int clicks = 0;
  // The item's click takes the window (and the control the click runs in) away.
  TClickProbe probe{[&] {
    ++clicks;
    t.Bar->ItemLinks()->FreeBarControl();
  }};
  b->OnClick = Bind(&probe, &TClickProbe::Click);
  t.Control(0)->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(t.Bar->ItemLinks()->BarControl(), nullptr);
}

TEST(dxBarControls, ButtonLooksProbedOffScreen) {
  TBarWithButtons t(1);
  TdxBarButton* b = t.Buttons[0];
  SetRedGlyph(b, RECT{4, 4, 12, 12});
  TdxBarButtonControl* c = t.Control(0);
  RECT r = t.Window->GetItemRect(c);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                 shadow = GetSysColor(COLOR_BTNSHADOW);
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  struct Case {
    const char* Name;
    bool Selected, Down;
    COLORREF TopLeft, BottomRight;
  } cases[] = {
      {"plain", false, false, face, face},
      {"hot", true, false, light, shadow},
      {"down", false, true, shadow, light},
  };
  for (auto& k : cases) {
    t.Window->SelectItem(k.Selected ? c : nullptr);
    b->SetButtonStyle(bsChecked);
    b->SetDown(k.Down);
    TProbe p(r.right + 4, r.bottom + 4);
    t.Window->PaintItemTo(p.DC, c, 0);
    EXPECT_EQ(p.At(r.left, r.top), k.TopLeft) << k.Name;
    EXPECT_EQ(p.At(r.right - 1, r.bottom - 1), k.BottomRight) << k.Name;
    // The glyph sits in the middle (moved by one when down); nothing is painted outside the item.
    EXPECT_EQ(p.At(cx + 1, cy + 1), RGB(255, 0, 0)) << k.Name;
    EXPECT_EQ(p.At(r.right + 1, r.top), RGB(255, 255, 255)) << k.Name;
  }
}

// A caption-and-glyph button paints the face behind its caption too, not only its glyph's square.
TEST(dxBarControls, CaptionGlyphButtonPaintsTheFaceBesideItsGlyph) {
  TBarWithButtons t(1);
  TdxBarButton* b = t.Buttons[0];
  SetRedGlyph(b, RECT{0, 0, 16, 16});
  b->SetCaption("Caption");
  b->SetPaintStyle(psCaptionGlyph);
  static_cast<TdxBarControl*>(t.Window)->CalcLayout(1000, 40);
  TdxBarButtonControl* c = t.Control(0);
  RECT r = t.Window->GetItemRect(c);
  ASSERT_GT(r.right - r.left, t.F.Manager->ButtonSize() + 8);
  TProbe p(r.right + 4, r.bottom + 4, RGB(0, 0, 0));
  t.Window->PaintItemTo(p.DC, c, 0);
  EXPECT_EQ(p.At(r.right - 3, r.top + 2), GetSysColor(COLOR_BTNFACE));
}

TEST(dxBarControls, MenuRowShowsCheckMarkAndHighlight) {
  TManagerForm f;
  auto* sub = new TdxBarSubItem(f.Form.get());
  auto* b = new TdxBarButton(f.Form.get());
  b->SetCaption("Check");
  b->SetButtonStyle(bsChecked);
  sub->ItemLinks()->Add()->SetItem(b);
  TCustomdxBarControl* w = sub->ItemLinks()->CreateBarControl();
  ASSERT_NE(dynamic_cast<TdxBarSubMenuControl*>(w), nullptr);
  w->CreateControls();
  w->CalcDrawingConsts();
  auto* c = dynamic_cast<TdxBarButtonControl*>(sub->ItemLinks()->Items(0)->Control());
  ASSERT_NE(c, nullptr);
  int rowH = c->GetHeight();
  EXPECT_EQ(rowH, w->TextSize());
  RECT r{0, 0, c->GetWidth(), rowH};
  sub->ItemLinks()->Items(0)->ItemRect = r;
  // Unchecked and not selected: the glyph square is plain face; checked: a dark mark in its middle.
  for (bool down : {false, true}) {
    b->SetDown(down);
    TProbe p(r.right, r.bottom);
    w->PaintItemTo(p.DC, c, 1);
    int dark = 0;
    for (int x = rowH / 2 - 4; x <= rowH / 2 + 4; ++x)
      for (int y = rowH / 2 - 4; y <= rowH / 2 + 4; ++y) dark += p.At(x, y) == RGB(0, 0, 0);
    EXPECT_EQ(dark > 0, down) << down;
  }
  // Selected: the text area takes the highlight colour.
  b->SetDown(false);
  w->SelectItem(c);
  TProbe p(r.right, r.bottom);
  w->PaintItemTo(p.DC, c, 1);
  EXPECT_EQ(p.At(r.right - 2, 1), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(p.At(rowH, 1), GetSysColor(COLOR_HIGHLIGHT));
  sub->ItemLinks()->FreeBarControl();
}

// A shown form with a docked toolbar of three caption buttons and a bsDropDown button "Drop" whose menu
// holds two rows; every click is logged by its sender's name.
struct TDropDownBar {
  TBarsForm F;
  TdxBar* Bar;
  TdxBarButton* Drop;
  TdxBarPopupMenu* Menu;
  TClickProbe Clicks;
  THoldPointer Hold{POINT{0, 0}};
  TDropDownBar() {
    F.Manager->SetMenusShowRecentItemsFirst(false);
    Bar = F.AddBar("T", 3);
    Drop = new TdxBarButton(F.Form.get());
    Drop->SetName("Drop");
    Drop->SetCaption("Drop");
    Drop->SetButtonStyle(bsDropDown);
    Drop->OnClick = Bind(&Clicks, &TClickProbe::Click);
    Menu = new TdxBarPopupMenu(F.Form.get());
    AddButtons(F.Form.get(), Menu->ItemLinks(), 2, [](int i) { return "Row" + std::to_string(i); }, &Clicks);
    Drop->SetDropDownMenu(Menu);
    Bar->ItemLinks()->Add()->SetItem(Drop);
    Bar->RebuildWindow();
    WaitForeground(F.Form.get());
    WaitPainted(F.Form.get());
  }
  ~TDropDownBar() { SetCursorPos(0, 0); }
  TdxBarControl* Window() { return Bar->Control(); }
  TdxBarItemLink* DropLink() { return Bar->ItemLinks()->Items(3); }
  TdxBarButtonControl* DropControl() { return dynamic_cast<TdxBarButtonControl*>(DropLink()->Control()); }
  TdxBarSubMenuControl* MenuWindow() {
    auto* w = dynamic_cast<TdxBarSubMenuControl*>(Menu->ItemLinks()->BarControl());
    return w && IsBarControl(w) && !w->Closing() && w->HandleAllocated() && IsWindowVisible(w->Handle()) ? w : nullptr;
  }
  // A screen point on the drop-down button: its arrow part or its main part.
  POINT OnDrop(bool Arrow) {
    RECT r = DropLink()->ItemRect;
    int x = Arrow ? r.right - 4 : r.left + 6;
    return Window()->ClientToScreen(POINT{x, (r.top + r.bottom) / 2});
  }
};

// The arrow part opens the button's menu under the button and runs no click; a row of the menu runs its
// own click and ends the toolbar's menu mode; the main part runs the button's click.
TEST(dxBarControls, ADropDownButtonOpensItsMenuFromItsArrowAndClicksFromItsMainPart) {
  TDropDownBar t;
  ASSERT_NE(t.DropControl(), nullptr);
  HeldClick(t.Hold, t.OnDrop(true));
  ASSERT_TRUE(PumpUntil([&] { return t.MenuWindow() != nullptr; }));
  WaitShown(t.MenuWindow());
  Shot("dropdown-open");
  EXPECT_TRUE(t.Clicks.Names.empty());
  EXPECT_TRUE(t.DropControl()->DropDownOpen);
  RECT item = t.DropLink()->ItemRect;
  POINT below = t.Window()->ClientToScreen(POINT{item.left, item.bottom});
  RECT mr = WindowRect(t.MenuWindow());
  EXPECT_EQ(mr.left, below.x);
  EXPECT_GE(mr.top, below.y);
  // The row is clicked as the user sees it.
  TdxBarItemLink* row = FindRow(t.MenuWindow(), "Row1");
  ASSERT_NE(row, nullptr);
  HeldClick(t.Hold, Center(row));
  EXPECT_TRUE(PumpUntil([&] { return t.Clicks.Names.size() == 1 && !t.MenuWindow(); }));
  EXPECT_EQ(t.Clicks.Names, std::vector<std::string>{"B1"});
  EXPECT_FALSE(t.DropControl()->DropDownOpen);
  EXPECT_FALSE(t.Window()->Active());
  EXPECT_EQ(ActiveBarControl(), nullptr);

  HeldClick(t.Hold, t.OnDrop(false));
  EXPECT_TRUE(PumpUntil([&] { return t.Clicks.Names.size() == 2; }));
  EXPECT_EQ(t.Clicks.Names.back(), "Drop");
  EXPECT_EQ(t.MenuWindow(), nullptr);
}

// The keyboard opens it too: Down on the menu bar, Esc closes it again with the button still chosen,
// Enter opens it, Down walks its rows and Enter runs one; in a menu Right opens a drop-down row's menu.
TEST(dxBarControls, KeysOpenADropDownButtonsMenuOnTheMenuBarAndInMenus) {
  TDropDownBar t;
  t.Bar->SetIsMainMenu(true);
  t.F.Manager->SetMainMenuBar(t.Bar);
  WaitPainted(t.F.Form.get());
  WaitForeground(t.F.Form.get());
  SendKeys({{VK_MENU, false}, {VK_MENU, true}});
  ASSERT_TRUE(PumpUntil([&] { return t.F.Manager->IsMenuActive(); }));
  Press(VK_END);
  ASSERT_TRUE(PumpUntil([&] { return t.Window()->SelectedControl() == t.DropControl(); }));
  Press(VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return t.MenuWindow() != nullptr; }));
  EXPECT_TRUE(t.Clicks.Names.empty());
  Press(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return !t.MenuWindow(); }));
  EXPECT_TRUE(t.Window()->Active());
  EXPECT_EQ(t.Window()->SelectedControl(), t.DropControl());
  Press(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return t.MenuWindow() != nullptr; }));
  EXPECT_TRUE(t.Clicks.Names.empty());
  Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return t.Clicks.Names.size() == 1 && !t.MenuWindow(); }));
  EXPECT_EQ(t.Clicks.Names, std::vector<std::string>{"B0"});
  EXPECT_FALSE(t.F.Manager->IsMenuActive());

  // The same button as a row of a menu.
  auto* sub = new TdxBarSubItem(t.F.Form.get());
  sub->ItemLinks()->Add()->SetItem(t.Drop);
  TdxBarSubMenuControl* m = OpenMenu(sub, t.Window()->ClientToScreen(POINT{0, 60}));
  Press(VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return m->SelectedControl() != nullptr; }));
  Press(VK_RIGHT);
  EXPECT_TRUE(PumpUntil([&] { return t.MenuWindow() != nullptr; }));
  EXPECT_TRUE(t.Clicks.Names.size() == 1);
  sub->ItemLinks()->FreeBarControl();
  WaitDeferred();
  EXPECT_EQ(t.MenuWindow(), nullptr);
}

// On a toolbar that is not the menu bar, Esc in the button's menu ends the toolbar's menu mode too: the
// edit that had the focus takes the typing again and Enter opens nothing. A press on the arrow, Esc
// while the button is held, then the release: no click of the button runs.
TEST(dxBarControls, EscInAToolbarsDropDownMenuGivesTheKeyboardBackToTheForm) {
  TDropDownBar t;
  auto* edit = new TEdit(t.F.Form.get());
  edit->SetParent(t.F.Form.get());
  edit->SetBounds(10, 200, 150, 24);
  WaitFocus(edit);
  ASSERT_EQ(GetFocus(), edit->Handle());
  HeldClick(t.Hold, t.OnDrop(true));
  ASSERT_TRUE(PumpUntil([&] { return t.MenuWindow() != nullptr; }));
  Press(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return !t.MenuWindow(); }));
  Press('X');
  EXPECT_TRUE(PumpUntil([&] { return edit->Text() == "x"; })) << edit->Text();
  EXPECT_FALSE(t.Window()->Active());
  EXPECT_FALSE(t.F.Manager->IsMenuActive());
  Press(VK_RETURN);
  Application->ProcessMessages();
  WaitDeferred();  // a menu opened or a click run by the key would be there now
  EXPECT_EQ(t.MenuWindow(), nullptr);
  EXPECT_TRUE(t.Clicks.Names.empty());

  t.Hold.Move(t.OnDrop(true));
  Application->ProcessMessages();
  SendMouse(t.OnDrop(true), MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return t.MenuWindow() != nullptr; }));
  Press(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return !t.MenuWindow(); }));
  SendMouse(t.OnDrop(true), MOUSEEVENTF_LEFTUP);
  Application->ProcessMessages();
  WaitDeferred();  // a click run by the release would be there now
  EXPECT_TRUE(t.Clicks.Names.empty());
  EXPECT_FALSE(t.Window()->Active());
}

// A shown docked toolbar of caption buttons B0..B2.
struct TShownBar {
  TBarsForm F;
  TdxBar* Bar;
  THoldPointer Hold{POINT{0, 0}};
  TShownBar() {
    Bar = F.AddBar("T", 3);
    WaitForeground(F.Form.get());
    WaitPainted(F.Form.get());
  }
  ~TShownBar() { SetCursorPos(0, 0); }
  TdxBarControl* Window() { return Bar->Control(); }
  TdxBarItemLink* Link(int I) { return Bar->ItemLinks()->Items(I); }
  TdxBarButton* Button(int I) { return static_cast<TdxBarButton*>(Link(I)->Item()); }
  int TextPixels(RECT R) { return PixelsOf(Window(), R, GetSysColor(COLOR_BTNTEXT)); }
};

// An action disabling the hovered button: the button loses its hot look and shows disabled at once,
// with nothing else repainting the bar.
TEST(dxBarControls, DisablingAHoveredItemDeselectsItAndRepaintsIt) {
  TShownBar t;
  auto* action = new TAction(t.F.Form.get());
  action->SetCaption("B1");
  t.Button(1)->SetAction(action);
  WaitPainted(t.F.Form.get());
  RECT r = t.Link(1)->ItemRect;
  t.Hold.Move(t.Window()->ClientToScreen(Middle(r)));
  ASSERT_TRUE(PumpUntil([&] { return t.Window()->SelectedControl() == t.Link(1)->Control(); }));
  WaitPainted(t.Window());
  ASSERT_GT(t.TextPixels(r), 0);
  action->SetEnabled(false);
  WaitPainted(t.Window());
  Shot("disabled-item", t.Window());
  EXPECT_EQ(t.Window()->SelectedControl(), nullptr);
  EXPECT_EQ(t.TextPixels(r), 0);
}

// A longer caption widens its button, a group mark puts a separator before its button, both on the
// screen at once; a shortcut given to a menu row widens the menu.
TEST(dxBarControls, CaptionGroupAndShortcutChangesLayTheBarOutAgain) {
  TShownBar t;
  RECT r0 = t.Link(0)->ItemRect, r2 = t.Link(2)->ItemRect;
  t.Button(0)->SetCaption("A much longer caption");
  WaitPainted(t.F.Form.get());
  RECT wide = t.Link(0)->ItemRect;
  EXPECT_GT(wide.right, r0.right + 40);
  EXPECT_GT(t.TextPixels(RECT{r0.right + 10, wide.top, wide.right, wide.bottom}), 0);
  RECT before = t.Link(2)->ItemRect;
  EXPECT_GT(before.left, r2.left);
  t.Link(2)->SetBeginGroup(true);
  WaitPainted(t.F.Form.get());
  RECT after = t.Link(2)->ItemRect;
  EXPECT_EQ(after.left, before.left + 6);
  RECT sep{after.left - 6, after.top, after.left, after.bottom};
  EXPECT_GT(PixelsOf(t.Window(), sep, GetSysColor(COLOR_BTNSHADOW)), 0);
  Shot("longer-caption-and-group", t.Window());
  // A hidden item leaves its place to the next one at once, and takes it back when shown again.
  t.Button(1)->SetVisible(ivNever);
  WaitPainted(t.F.Form.get());
  EXPECT_EQ(t.Link(1)->Control(), nullptr);
  EXPECT_LT(t.Link(2)->ItemRect.left, after.left);
  t.Button(1)->SetVisible(ivAlways);
  WaitPainted(t.F.Form.get());
  EXPECT_EQ(t.Link(2)->ItemRect.left, after.left);
  EXPECT_GT(t.TextPixels(t.Link(1)->ItemRect), 0);

  auto* sub = new TdxBarSubItem(t.F.Form.get());
  sub->ItemLinks()->Add()->SetItem(t.Button(1));
  TdxBarSubMenuControl* m = OpenMenu(sub, t.Window()->ClientToScreen(POINT{0, 60}));
  int width = m->Width();
  t.Button(1)->SetShortCut(ShortCut('L', TShiftState{ssCtrl}));
  WaitPainted(m);
  EXPECT_GT(m->Width(), width);
  sub->ItemLinks()->FreeBarControl();
}

// A menu row in a large font: the glyph grows with the row while the manager stretches glyphs, and keeps
// its own size once it does not.
TEST(dxBarControls, AMenuGlyphStretchesWithItsRowOnlyWhileTheManagerStretchesGlyphs) {
  TShownBar t;
  t.F.Manager->SetUseSystemFont(false);
  t.F.Manager->SetScaled(false);
  t.F.Manager->Font()->SetSize(24);
  SetRedGlyph(t.Button(1), RECT{0, 0, 16, 15});
  auto* sub = new TdxBarSubItem(t.F.Form.get());
  sub->ItemLinks()->Add()->SetItem(t.Button(1));
  TdxBarSubMenuControl* m = OpenMenu(sub, t.Window()->ClientToScreen(POINT{0, 60}));
  WaitPainted(m);
  RECT row = sub->ItemLinks()->Items(0)->ItemRect;
  ASSERT_GT(row.bottom - row.top, 30);
  int stretched = PixelsOf(m, row, RGB(255, 0, 0));
  t.F.Manager->SetStretchGlyphs(false);
  InvalidateRect(m->Handle(), nullptr, TRUE);
  WaitPainted(m);
  Shot("unstretched-menu-glyph", m);
  EXPECT_EQ(PixelsOf(m, row, RGB(255, 0, 0)), 16 * 15);
  EXPECT_GT(stretched, 16 * 15 * 2);
  sub->ItemLinks()->FreeBarControl();
}

// While the manager customizes, the menu a container opens from a toolbar lists the container's rows for
// use, not for customizing: the hovered row is chosen as outside customizing.
TEST(dxBarControls, AContainersMenuFromAToolbarIsNeverCustomized) {
  TShownBar t;
  auto* list = new TdxBarListItem(t.F.Form.get());
  list->SetCaption("List");
  list->Items()->SetText("One\nTwo");
  t.Bar->ItemLinks()->Add()->SetItem(list);
  t.Bar->RebuildWindow();
  WaitPainted(t.F.Form.get());
  OpenCustomizing(t.F.Manager, true);
  WaitPainted(t.F.Form.get());
  TdxBarItemLink* link = t.Bar->ItemLinks()->Items(3);
  t.Hold.Move(Center(link));
  Click(Center(link), true);
  auto menu = [&] { return dynamic_cast<TdxBarSubMenuControl*>(list->ItemLinks()->BarControl()); };
  ASSERT_TRUE(PumpUntil([&] { return menu() && menu()->HandleAllocated() && IsWindowVisible(menu()->Handle()); }));
  EXPECT_FALSE(menu()->IsCustomizing());
  TdxBarItemLink* two = FindRow(menu(), "&2 Two");
  ASSERT_NE(two, nullptr);
  t.Hold.Move(Center(two));
  SendMouse(Center(two));
  EXPECT_TRUE(PumpUntil([&] { return menu() && menu()->SelectedControl() == two->Control(); }));
  t.F.Manager->SetCustomizing(false);
  WaitDeferred();
}

// A bar window handed the focus while the manager customizes passes it to the customizing dialog.
TEST(dxBarControls, ABarWindowPassesTheFocusToTheCustomizingDialog) {
  TShownBar t;
  TdxBarCustomizingForm* d = OpenCustomizing(t.F.Manager);
  ASSERT_NE(d, nullptr);
  ::SetFocus(t.Window()->Handle());
  PumpUntil([&] { return GetFocus() == d->Handle() || IsChild(d->Handle(), GetFocus()); });
  HWND focus = GetFocus();
  EXPECT_TRUE(focus == d->Handle() || IsChild(d->Handle(), focus));
  t.F.Manager->SetCustomizing(false);
  WaitDeferred();
}

}  // namespace
