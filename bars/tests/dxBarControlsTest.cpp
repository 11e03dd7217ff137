// Item controls in a bar window without a screen: sizes, hit testing, selection, the click and the
// looks of a button painted into a memory bitmap and probed at places taken from the layout.
#include <functional>
#include <memory>

#include "BarsTestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

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
  t.Buttons[1]->SetEnabled(false);
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

}  // namespace
