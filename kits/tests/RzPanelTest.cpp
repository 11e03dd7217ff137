// The framed panel on real windows: how its border layers shrink the client rectangle, their pixels,
// the caption's vertical placement, bottom-aligned growth, children's enabled states across disabling
// and enabling, and the dock manager's caption bars.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KitsTestSupport.h"
#include "RzPanel.h"
#include "StdCtrls.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TFormsEnvironment({RzCommonInitialize}));

struct PanelForm {
  Owned<TForm> Form = NewForm(320, 200, clWhite);
  TRzCustomPanel* Panel = nullptr;
  PanelForm() {
    Panel = new TRzCustomPanel(Form.get());
    Panel->SetParent(Form.get());
    Panel->SetBounds(10, 10, 120, 80);
    Panel->SetColor(clYellow);
    Form->Show();
    PumpUntilPainted(Form->Handle());
  }
};

struct InsetCase {
  const char* Name;
  TFrameStyle Outer, Inner;
  TSides Sides, Frame;
  int BevelWidth;
  RECT Inset;   // left, top, right, bottom taken off
};

TEST(RzPanel, BorderLayersShrinkTheClientRectangle) {
  const TSides All = sdAllSides, None;
  const std::vector<InsetCase> cases = {
      {"raised all", fsRaised, fsNone, All, None, 1, {2, 2, 2, 2}},
      {"raised all, framed", fsRaised, fsNone, All, All, 1, {3, 3, 3, 3}},
      {"flat + groove", fsFlat, fsGroove, All, None, 1, {3, 3, 3, 3}},
      {"status bevel 3", fsStatus, fsNone, All, None, 3, {3, 3, 3, 3}},
      {"popup left only", fsPopup, fsNone, TSides{sdLeft}, None, 2, {2, 0, 0, 0}},
      {"none, frame top", fsNone, fsNone, All, TSides{sdTop}, 1, {0, 1, 0, 0}},
  };
  for (const InsetCase& c : cases) {
    PanelForm t;
    t.Panel->SetBorderOuter(c.Outer);
    t.Panel->SetBorderInner(c.Inner);
    t.Panel->SetBorderSides(c.Sides);
    t.Panel->SetFrameSides(c.Frame);
    t.Panel->SetBevelWidth(c.BevelWidth);
    RECT r = t.Panel->ClientRect();
    EXPECT_EQ(r.left, c.Inset.left) << c.Name;
    EXPECT_EQ(r.top, c.Inset.top) << c.Name;
    EXPECT_EQ(120 - r.right, c.Inset.right) << c.Name;
    EXPECT_EQ(80 - r.bottom, c.Inset.bottom) << c.Name;
  }
}

TEST(RzPanel, AlignedChildrenFillTheInsideOfEveryLayer) {
  PanelForm t;
  t.Panel->SetFrameSides(sdAllSides);
  t.Panel->SetBorderWidth(4);
  auto* child = new TPanel(t.Form.get());
  child->SetParent(t.Panel);
  child->SetAlign(alClient);
  EXPECT_EQ(child->Left(), 1 + 2 + 4);
  EXPECT_EQ(child->Top(), 7);
  EXPECT_EQ(child->Width(), 120 - 14);
  EXPECT_EQ(child->Height(), 80 - 14);
  t.Panel->SetBorderOuter(fsNone);
  EXPECT_EQ(child->Left(), 5);
}

TEST(RzPanel, PaintsFrameOuterSolidAndInnerLayersOutsideIn) {
  PanelForm t;
  t.Panel->SetFrameSides(sdAllSides);
  t.Panel->SetBorderOuter(fsFlat);
  t.Panel->SetFlatColor(clRed);
  t.Panel->SetBorderWidth(2);
  t.Panel->SetBorderColor(clLime);
  t.Panel->SetBorderInner(fsStatus);
  t.Panel->SetBorderShadow(clBlue);
  t.Panel->SetBorderHighlight(clAqua);
  auto b = PaintedControl(t.Panel);
  struct P {
    int X, Y;
    COLORREF C;
  };
  const std::vector<P> probes = {
      {0, 40, RGB(0, 0, 0)},     {119, 40, RGB(0, 0, 0)},    {1, 40, RGB(255, 0, 0)},  {118, 40, RGB(255, 0, 0)},
      {2, 40, RGB(0, 255, 0)},   {3, 40, RGB(0, 255, 0)},    {4, 40, RGB(0, 0, 255)},  {60, 4, RGB(0, 0, 255)},
      {115, 40, RGB(0, 255, 255)}, {60, 75, RGB(0, 255, 255)}, {5, 40, RGB(255, 255, 0)}, {60, 40, RGB(255, 255, 0)},
  };
  for (const P& p : probes) EXPECT_EQ(At(b.get(), p.X, p.Y), p.C) << p.X << "," << p.Y;
  // The popup style takes BevelWidth lines in the highlight and shadow colours.
  t.Panel->SetFrameSides(TSides{});
  t.Panel->SetBorderWidth(0);
  t.Panel->SetBorderInner(fsNone);
  t.Panel->SetBorderOuter(fsPopup);
  t.Panel->SetBevelWidth(2);
  b = PaintedControl(t.Panel);
  EXPECT_EQ(At(b.get(), 1, 40), RGB(0, 255, 255));
  EXPECT_EQ(At(b.get(), 118, 40), RGB(0, 0, 255));
  EXPECT_EQ(At(b.get(), 2, 40), RGB(255, 255, 0));
}

TEST(RzPanel, CaptionSitsByItsVerticalAlignment) {
  PanelForm t;
  t.Panel->SetBorderOuter(fsNone);
  t.Panel->Font()->SetColor(clBlack);
  t.Panel->SetCaption("Top");
  auto inkRows = [&]() {
    auto b = PaintedControl(t.Panel);
    int first = -1, last = -1;
    for (int y = 0; y < 80; ++y)
      if (CountPixels(b.get(), RECT{0, y, 120, y + 1}, RGB(0, 0, 0)) > 0) {
        if (first < 0) first = y;
        last = y;
      }
    return std::pair<int, int>(first, last);
  };
  t.Panel->SetVerticalAlignment(vaTop);
  auto top = inkRows();
  t.Panel->SetVerticalAlignment(vaCenter);
  auto mid = inkRows();
  t.Panel->SetVerticalAlignment(vaBottom);
  auto bottom = inkRows();
  ASSERT_GE(top.first, 0);
  EXPECT_LT(top.first, 10);
  EXPECT_GT(bottom.second, 65);
  EXPECT_NEAR((mid.first + mid.second) / 2.0, 40, 6);
  // A disabled panel greys its caption.
  t.Panel->SetEnabled(false);
  auto b = PaintedControl(t.Panel);
  EXPECT_EQ(CountPixels(b.get(), RECT{0, 0, 120, 80}, RGB(0, 0, 0)), 0);
  EXPECT_GT(CountPixels(b.get(), RECT{0, 0, 120, 80}, RGBOf(clGrayText)), 0);
}

TEST(RzPanel, BottomAndRightAlignedPanelsGrowInward) {
  PanelForm t;
  t.Panel->SetAlign(alBottom);
  const int bottom = t.Panel->Top() + t.Panel->Height();
  t.Panel->SetHeight(t.Panel->Height() + 30);
  EXPECT_EQ(t.Panel->Top() + t.Panel->Height(), bottom);
  t.Panel->SetAlign(alRight);
  const int right = t.Panel->Left() + t.Panel->Width();
  t.Panel->SetWidth(t.Panel->Width() - 20);
  EXPECT_EQ(t.Panel->Left() + t.Panel->Width(), right);
}

TEST(RzPanel, EnablingGivesEachChildBackItsOwnState) {
  PanelForm t;
  std::vector<TControl*> kids;
  for (int i = 0; i < 3; ++i) {
    auto* b = new TButton(t.Form.get());
    b->SetParent(t.Panel);
    b->SetBounds(5, 5 + 22 * i, 60, 20);
    kids.push_back(b);
  }
  kids[1]->SetEnabled(false);
  t.Panel->SetEnabled(false);
  for (TControl* k : kids) EXPECT_FALSE(k->Enabled());
  auto* late = new TButton(t.Form.get());   // arrives while the panel is disabled
  late->SetParent(t.Panel);
  t.Panel->SetEnabled(true);
  EXPECT_TRUE(kids[0]->Enabled());
  EXPECT_FALSE(kids[1]->Enabled());
  EXPECT_TRUE(kids[2]->Enabled());
  EXPECT_TRUE(late->Enabled());
  EXPECT_TRUE(IsWindowEnabled(static_cast<TWinControl*>(kids[0])->Handle()));
}

TEST(RzPanel, MouseEnterAndLeaveReachTheirEvents) {
  PanelForm t;
  struct Log {
    std::vector<std::string> Lines;
    void Enter(TObject*) { Lines.push_back("enter"); }
    void Leave(TObject*) { Lines.push_back("leave"); }
  } log;
  t.Panel->OnMouseEnter = TNotifyEvent(&log, &Log::Enter);
  t.Panel->OnMouseLeave = TNotifyEvent(&log, &Log::Leave);
  t.Panel->Perform(CM_MOUSEENTER, 0, 0);
  t.Panel->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"enter", "leave"}));
}

TEST(RzPanelDockManager, MakesRoomForAndDrawsTheCaptionBar) {
  PanelForm t;
  EXPECT_EQ(t.Panel->DockManager(), nullptr);
  t.Panel->SetDockSite(true);
  t.Panel->SetUseDockManager(true);
  TRzPanelDockManager* m = t.Panel->DockManager();
  ASSERT_NE(m, nullptr);
  // As a dock site the client rectangle is the whole window; the layers come off for aligning.
  EXPECT_EQ(t.Panel->ClientRect().left, 0);
  auto* client = new TPanel(t.Form.get());
  client->SetCaption("Docked");
  RECT r{0, 0, 100, 60};
  m->AdjustDockRect(client, r);
  EXPECT_EQ(r.top, 13);
  EXPECT_EQ(r.left, 0);
  auto b = NewBitmap(100, 60, clWhite);
  m->PaintDockFrame(b->Canvas(), client, RECT{0, 0, 100, 60});
  EXPECT_EQ(At(b.get(), 50, 1), RGBOf(clActiveCaption));
  EXPECT_EQ(At(b.get(), 50, 14), RGB(255, 255, 255));
  EXPECT_NE(At(b.get(), 92, 6), RGBOf(clActiveCaption));   // the close button
  t.Panel->SetAlign(alTop);
  r = RECT{0, 0, 100, 60};
  m->AdjustDockRect(client, r);
  EXPECT_EQ(r.left, 13);
  b = NewBitmap(100, 60, clWhite);
  m->PaintDockFrame(b->Canvas(), client, RECT{0, 0, 100, 60});
  EXPECT_EQ(At(b.get(), 6, 50), RGBOf(clActiveCaption));
  EXPECT_EQ(At(b.get(), 14, 50), RGB(255, 255, 255));
  t.Panel->SetShowDockClientCaptions(false);
  b = NewBitmap(100, 60, clWhite);
  m->PaintDockFrame(b->Canvas(), client, RECT{0, 0, 100, 60});
  EXPECT_EQ(CountOther(b.get(), RECT{0, 0, 100, 60}, RGB(255, 255, 255)), 0);
}

}  // namespace
