// The splitter panel on real windows: layout in pixel and percent modes across resizes, the limits on
// the bar, hidden panes (also with huge stored positions), bar drags and hot-spot clicks driven by mouse
// messages, refusals from OnChanging, the bar's pixels, and the panes read from a form resource.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "KitsTestSupport.h"
#include "RzSplit.h"
#include "StdCtrls.h"

namespace {

// Counts the drag-line drawings (each draw or erase is one inversion).
class TProbeSplitter : public TRzSplitter {
  YOZ_CLASS(TProbeSplitter, TRzSplitter)
public:
  explicit TProbeSplitter(TComponent* AOwner) : TRzSplitter(AOwner) {}
  std::vector<int> Lines;
  void DrawDragLine(int Pos) override {
    Lines.push_back(Pos);
    TRzSplitter::DrawDragLine(Pos);
  }
};

class TInboxForm : public TForm {
  YOZ_CLASS(TInboxForm, TForm)
public:
  explicit TInboxForm(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<std::string> Log;
  void RzSplitterMainChange(TObject*) { Log.push_back("change"); }
  static void Publish(TPublisher<TInboxForm>& p) { p.Method("RzSplitterMainChange", &TInboxForm::RzSplitterMainChange); }
};

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TFormsEnvironment({RzSplitInitialize, [] {
  RegisterClasses({TProbeSplitter::StaticClass(), TInboxForm::StaticClass(), TMemo::StaticClass(),
                   TListBox::StaticClass()});
}}));

::testing::AssertionResult IsBox(TControl* c, int L, int T, int W, int H) {
  if (c->Left() == L && c->Top() == T && c->Width() == W && c->Height() == H) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << c->Left() << "," << c->Top() << "," << c->Width() << ","
                                       << c->Height() << ") instead of (" << L << "," << T << "," << W << "," << H
                                       << ")";
}

struct SplitForm {
  Owned<TForm> Form = NewForm(500, 400, clWhite);
  TProbeSplitter* Split = nullptr;
  explicit SplitForm(TOrientation O = orHorizontal, int W = 200, int H = 100) {
    Split = new TProbeSplitter(Form.get());
    Split->SetParent(Form.get());
    Split->SetBounds(20, 20, W, H);
    Split->SetOrientation(O);
    Split->UpperLeftPane()->SetColor(clYellow);
    Split->LowerRightPane()->SetColor(clAqua);
    Split->SetColor(clSilver);
    Form->Show();
    PumpUntilPainted(Form->Handle());
  }
  // A mouse action at a client point of the splitter, with the real cursor put there first (the
  // splitter asks the screen where the cursor is).
  void Press(int X, int Y) {
    POINT s = Split->ClientToScreen(POINT{X, Y});
    // A late motion event of the display may still carry the pointer's old place: put it again until
    // the system reports it where it was put.
    for (int i = 0; i < 50; ++i) {
      SetCursorPos(s.x, s.y);
      // A short rest for the display's motion event, which no message announces; checked below.
      Pump(10);
      POINT now;
      GetCursorPos(&now);
      if (now.x == s.x && now.y == s.y) break;
    }
    SendMessageA(Split->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
  }
  void Move(int X, int Y) { SendMessageA(Split->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(X, Y)); }
  void Release(int X, int Y) { SendMessageA(Split->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y)); }
  void Click(POINT P) {
    Press(P.x, P.y);
    Release(P.x, P.y);
  }
};

POINT Middle(RECT r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST(RzSplitter, NewSplitterHasItsDefaults) {
  TRzSplitter s(nullptr);
  EXPECT_EQ(s.Width(), 200);
  EXPECT_EQ(s.Height(), 100);
  EXPECT_EQ(s.Position(), 100);
  EXPECT_EQ(s.Percent(), 50);
  EXPECT_EQ(s.PercentMax(), 100);
  EXPECT_EQ(s.SplitterWidth(), 4);
  EXPECT_EQ(s.BorderOuter(), fsNone);
  EXPECT_EQ(s.HotSpotPosition(), 100);
  EXPECT_EQ(s.HotSpotSizePercent(), 40);
  EXPECT_TRUE(s.HotSpotIgnoreMargins());
  EXPECT_EQ(s.ControlStyle(), (TControlStyle{csCaptureMouse, csOpaque, csDisplayDragImage}));
  EXPECT_EQ(s.UpperLeftPane()->Parent(), &s);
  EXPECT_EQ(s.LowerRightPane()->Owner(), &s);
  EXPECT_EQ(s.UpperLeftPane()->BorderOuter(), fsNone);
}

TEST(RzSplitter, PixelModeKeepsTheFixedPaneAcrossResizes) {
  SplitForm t;
  EXPECT_TRUE(IsBox(t.Split->UpperLeftPane(), 0, 0, 100, 100));
  EXPECT_TRUE(IsBox(t.Split->LowerRightPane(), 104, 0, 96, 100));
  RECT bar = t.Split->BarRect();
  EXPECT_EQ(bar.left, 100);
  EXPECT_EQ(bar.right, 104);
  t.Split->SetWidth(300);
  EXPECT_EQ(t.Split->Position(), 100);
  EXPECT_TRUE(IsBox(t.Split->LowerRightPane(), 104, 0, 196, 100));
  // Shrinking pushes the bar in; growing again brings it back where the user left it.
  t.Split->ChangePosition(150);
  t.Split->SetWidth(120);
  EXPECT_EQ(t.Split->Position(), 116);
  t.Split->SetWidth(300);
  EXPECT_EQ(t.Split->Position(), 150);
  // With the lower pane fixed, it keeps its size.
  t.Split->SetFixedPane(fpLowerRight);
  t.Split->SetWidth(400);
  EXPECT_EQ(t.Split->Position(), 250);
  EXPECT_EQ(t.Split->LowerRightPane()->Width(), 146);
}

TEST(RzSplitter, PercentModeFollowsTheExtent) {
  SplitForm t(orVertical, 480, 296);
  t.Split->SetPercentMax(99);
  t.Split->SetPercent(69);
  EXPECT_TRUE(t.Split->UsePercent());
  EXPECT_EQ(t.Split->Position(), 203);
  EXPECT_EQ(t.Split->MarginMax(), 3);
  RECT bar = t.Split->BarRect();
  EXPECT_EQ(bar.top, 203);
  EXPECT_EQ(bar.bottom, 207);
  EXPECT_EQ(bar.right, 480);
  EXPECT_TRUE(IsBox(t.Split->UpperLeftPane(), 0, 0, 480, 203));
  EXPECT_TRUE(IsBox(t.Split->LowerRightPane(), 0, 207, 480, 89));
  t.Split->SetHeight(398);   // E' = 396: 0.69 x 396 = 273.24
  EXPECT_EQ(t.Split->Position(), 273);
  EXPECT_EQ(t.Split->MarginMax(), 396 - 392);
  t.Split->SetHeight(200);   // E' = 198: 136.62
  EXPECT_EQ(t.Split->Position(), 137);
  // Fixing the lower pane leaves percent mode.
  t.Split->SetFixedPane(fpLowerRight);
  EXPECT_FALSE(t.Split->UsePercent());
}

TEST(RzSplitter, TurningAPercentSplitterLaysItsPanesOutTheOtherWay) {
  // Square, so the position stays what it was.
  SplitForm t(orHorizontal, 200, 200);
  t.Split->SetPercent(50);
  const int p = t.Split->Position();
  EXPECT_TRUE(IsBox(t.Split->UpperLeftPane(), 0, 0, p, 200));
  t.Split->SetOrientation(orVertical);
  EXPECT_EQ(t.Split->Position(), p);
  EXPECT_TRUE(IsBox(t.Split->UpperLeftPane(), 0, 0, 200, p));
  EXPECT_TRUE(IsBox(t.Split->LowerRightPane(), 0, p + 4, 200, 196 - p));
  EXPECT_EQ(t.Split->BarRect().top, p);
  EXPECT_EQ(t.Split->BarRect().right, 200);
}

TEST(RzSplitter, TheBarStopsAtItsLimits) {
  SplitForm t;
  t.Split->SetMarginMin(20);
  t.Split->SetMarginMax(30);
  t.Split->SetPosition(5);
  EXPECT_EQ(t.Split->Position(), 20);
  t.Split->SetPosition(10000);
  EXPECT_EQ(t.Split->Position(), 200 - 30 - 4);
  // Borders and the groove's extra room count too.
  t.Split->SetBorderOuter(fsRaised);   // 2 + 2 = 4 = GetBorderWidth
  EXPECT_EQ(t.Split->GetBorderWidth(), 4);
  t.Split->SetSplitterStyle(ssGroove);
  EXPECT_EQ(t.Split->SplitterWidth(), 6);
  t.Split->SetPosition(10000);
  EXPECT_EQ(t.Split->Position(), 200 - 30 - 6 - 8 - 4);
  // The panes sit inside the doubled inset.
  EXPECT_EQ(t.Split->UpperLeftPane()->Left(), 4);
  // Margins that together exceed the extent give way.
  t.Split->SetMarginMin(190);
  EXPECT_EQ(t.Split->MarginMin(), 170);
}

TEST(RzSplitter, APercentMinimumNeverPassesTheMaximum) {
  SplitForm t;
  t.Split->SetPercentMax(40);
  t.Split->SetPercentMin(70);
  EXPECT_EQ(t.Split->PercentMin(), 40);
  t.Split->SetPercentMax(10);
  EXPECT_EQ(t.Split->PercentMax(), 40);
  t.Split->SetPercentMin(-5);
  EXPECT_EQ(t.Split->PercentMin(), 0);
  t.Split->SetPercentMax(150);
  EXPECT_EQ(t.Split->PercentMax(), 100);
}

TEST(RzSplitter, AHiddenPaneGivesTheOtherTheWholeArea) {
  SplitForm t;
  t.Split->LowerRightPane()->SetPaneVisible(false);
  EXPECT_TRUE(IsBox(t.Split->UpperLeftPane(), 0, 0, 200, 100));
  EXPECT_EQ(t.Split->BarRect().right - t.Split->BarRect().left, 0);
  t.Split->LowerRightPane()->SetPaneVisible(true);
  t.Split->UpperLeftPane()->SetPaneVisible(false);
  EXPECT_TRUE(IsBox(t.Split->LowerRightPane(), 0, 0, 200, 100));
  EXPECT_EQ(t.Split->UpperLeftPane()->Width(), 0);
}

TEST(RzSplitter, HugePositionsAndTinySplittersNeverGiveNegativePanes) {
  SplitForm t;
  // Without the constraint (a pane hidden) the largest position is stored as it is.
  t.Split->LowerRightPane()->SetPaneVisible(false);
  t.Split->SetPosition(INT_MAX);
  EXPECT_EQ(t.Split->Position(), INT_MAX);
  EXPECT_GT(t.Split->Percent(), 0);
  t.Split->LowerRightPane()->SetPaneVisible(true);
  for (TControl* p : {(TControl*)t.Split->UpperLeftPane(), (TControl*)t.Split->LowerRightPane()}) {
    EXPECT_GE(p->Width(), 0);
    EXPECT_LE(p->Left() + p->Width(), 200);
  }
  EXPECT_EQ(t.Split->UpperLeftPane()->Width() + 4 + t.Split->LowerRightPane()->Width(), 200);
  t.Split->SetPosition(INT_MIN);
  EXPECT_EQ(t.Split->Position(), 0);
  // Smaller than its margins and bar: the bar stays at the near edge, the panes at zero or more.
  t.Split->SetMarginMin(50);
  t.Split->SetMarginMax(50);
  t.Split->SetWidth(20);
  t.Split->SetPosition(30);
  EXPECT_EQ(t.Split->Position(), 0);
  EXPECT_GE(t.Split->LowerRightPane()->Width(), 0);
  t.Split->SetWidth(2);
  EXPECT_GE(t.Split->LowerRightPane()->Width(), 0);
  EXPECT_GE(t.Split->UpperLeftPane()->Width(), 0);
}

TEST(RzSplitter, DraggingTheBarMovesItByTheMouseTravel) {
  SplitForm t;
  std::vector<std::string> log;
  struct Sink {
    std::vector<std::string>* L;
    TProbeSplitter* S;
    void Change(TObject*) { L->push_back("change " + std::to_string(S->Position())); }
  } sink{&log, t.Split};
  t.Split->OnChange = TNotifyEvent(&sink, &Sink::Change);
  t.Press(102, 50);
  EXPECT_TRUE(t.Split->Dragging());
  t.Move(122, 50);
  t.Move(142, 60);
  EXPECT_EQ(t.Split->Position(), 100);   // outline drag: the panes wait for the release
  t.Release(142, 60);
  EXPECT_FALSE(t.Split->Dragging());
  EXPECT_EQ(t.Split->Position(), 140);
  EXPECT_EQ(t.Split->UpperLeftPane()->Width(), 140);
  EXPECT_EQ(log, (std::vector<std::string>{"change 140"}));
  // Each line drawn was erased again: start, then erase+draw per move, erase on release.
  EXPECT_EQ(t.Split->Lines, (std::vector<int>{100, 100, 120, 120, 140, 140}));
  // Live drag moves the panes at once and never draws a line.
  t.Split->SetRealTimeDrag(true);
  t.Split->Lines.clear();
  t.Press(142, 50);
  t.Move(82, 50);
  EXPECT_EQ(t.Split->Position(), 80);
  EXPECT_EQ(t.Split->UpperLeftPane()->Width(), 80);
  t.Release(82, 50);
  EXPECT_EQ(t.Split->Position(), 80);
  // A locked bar does not move; outside the bar nothing starts.
  t.Split->SetLockBar(true);
  t.Press(82, 50);
  EXPECT_FALSE(t.Split->Dragging());
  t.Release(82, 50);
  t.Split->SetLockBar(false);
  t.Press(150, 50);
  EXPECT_FALSE(t.Split->Dragging());
  t.Release(150, 50);
}

TEST(RzSplitter, ARefusedChangeLeavesTheBarAndPanes) {
  SplitForm t;
  struct Refuser {
    int Asked = 0;
    void Changing(TObject*, int NewPos, bool& Allow) {
      ++Asked;
      Allow = NewPos < 120;
    }
  } r;
  t.Split->OnChanging = TPositionChangingEvent(&r, &Refuser::Changing);
  t.Split->SetPosition(150);
  EXPECT_EQ(t.Split->Position(), 100);
  EXPECT_EQ(t.Split->UpperLeftPane()->Width(), 100);
  t.Split->SetPosition(110);
  EXPECT_EQ(t.Split->Position(), 110);
  // Dragging past the refusal keeps the last allowed place.
  t.Press(112, 50);
  t.Move(117, 50);
  t.Move(160, 50);
  t.Release(160, 50);
  EXPECT_EQ(t.Split->Position(), 115);
  EXPECT_GT(r.Asked, 3);
}

TEST(RzSplitter, TheHotSpotCollapsesAndRestores) {
  SplitForm t(orHorizontal, 300, 200);
  t.Split->SetHotSpotVisible(true);
  EXPECT_EQ(t.Split->SplitterWidth(), 7);
  t.Split->SetMarginMin(30);
  t.Split->SetPosition(120);
  RECT hot = t.Split->HotSpotRect();
  EXPECT_EQ(hot.left, 120);
  EXPECT_EQ(hot.right, 127);
  EXPECT_EQ(hot.top, 100 - 40);
  EXPECT_EQ(hot.bottom, 100 + 40);
  int clicks = 0;
  struct Counter {
    int* N;
    void Hit(TObject*) { ++*N; }
  } c{&clicks};
  t.Split->OnHotSpotClick = TNotifyEvent(&c, &Counter::Hit);
  t.Click(Middle(hot));
  EXPECT_TRUE(t.Split->HotSpotClosed());
  EXPECT_EQ(t.Split->Position(), 0);   // margins ignored while collapsed
  EXPECT_EQ(t.Split->HotSpotPosition(), 120);
  EXPECT_EQ(clicks, 1);
  t.Click(Middle(t.Split->HotSpotRect()));
  EXPECT_FALSE(t.Split->HotSpotClosed());
  EXPECT_EQ(t.Split->Position(), 120);
  // Toward the far side, margins kept.
  t.Split->SetHotSpotIgnoreMargins(false);
  t.Split->SetMarginMax(25);
  t.Split->SetHotSpotDirection(hsdMax);
  t.Click(Middle(t.Split->HotSpotRect()));
  EXPECT_TRUE(t.Split->HotSpotClosed());
  EXPECT_EQ(t.Split->Position(), 300 - 25 - 7);
  // Percent mode collapsed to the far side stays there across a resize.
  t.Split->SetHotSpotIgnoreMargins(true);
  t.Split->SetUsePercent(true);
  t.Split->SetWidth(400);
  EXPECT_EQ(t.Split->Position(), 400 - 7);
  EXPECT_GE(t.Split->LowerRightPane()->Width(), 0);
  // Hiding the hot spot forgets the collapse.
  t.Split->SetHotSpotVisible(false);
  EXPECT_FALSE(t.Split->HotSpotClosed());
}

TEST(RzSplitter, GroovedBarAndHotSpotPaintWhereTheLayoutPutsThem) {
  SplitForm t(orHorizontal, 200, 120);
  t.Split->SetSplitterStyle(ssGroove);
  auto b = PaintedControl(t.Split);
  RECT bar = t.Split->BarRect();
  const int mid = (bar.left + bar.right) / 2;
  EXPECT_EQ(At(b.get(), mid - 3, 60), RGBOf(clBtnShadow));   // fsStatus strip: shadow left
  EXPECT_EQ(At(b.get(), mid - 1, 60), RGBOf(clBtnHighlight));
  EXPECT_EQ(At(b.get(), mid, 60), RGBOf(clBtnShadow));
  EXPECT_EQ(At(b.get(), mid - 2, 60), RGBOf(clSilver));
  EXPECT_EQ(At(b.get(), bar.left - 1, 60), RGB(255, 255, 0));
  t.Split->SetSplitterStyle(ssBump);
  b = PaintedControl(t.Split);
  EXPECT_EQ(At(b.get(), mid - 3, 60), RGBOf(clBtnHighlight));
  t.Split->SetSplitterStyle(ssStandard);
  t.Split->SetHotSpotVisible(true);
  b = PaintedControl(t.Split);
  RECT hot = t.Split->HotSpotRect();
  EXPECT_EQ(At(b.get(), hot.left, hot.top + 2), RGBOf(clBtnShadow));
  EXPECT_EQ(At(b.get(), hot.left + 1, hot.top + 5), RGBOf(clBtnHighlight));
  const int m = hot.left + (hot.right - hot.left) / 2;
  EXPECT_EQ(At(b.get(), m, hot.top + 8), RGBOf(clHighlight));   // a triangle's tip row
  EXPECT_EQ(At(b.get(), m, hot.top + 15), RGBOf(clHighlightText));   // the grip's first dot
}

TEST(RzSplitter, WrittenFormDataHoldsTheCollapseOnlyWhileCollapsed) {
  SplitForm t(orHorizontal, 300, 200);
  auto* list = new TListBox(t.Form.get());
  list->SetName("lbLeft");
  list->SetParent(t.Split->UpperLeftPane());
  TWriter open;
  t.Split->DefineProperties(&open);
  EXPECT_EQ(open.Text(), "BarSize = ( 100 0 104 200 )\n"
                         "UpperLeftControls = ( 'lbLeft' )\n"
                         "LowerRightControls = ( )\n");
  t.Split->SetHotSpotVisible(true);
  t.Click(Middle(t.Split->HotSpotRect()));
  ASSERT_TRUE(t.Split->HotSpotClosed());
  TWriter closed;
  t.Split->DefineProperties(&closed);
  EXPECT_NE(closed.Text().find("HotSpotClosed = True\nHotSpotPosition = 100\n"), std::string::npos) << closed.Text();
  // What was written reads back into a new splitter.
  Owned<TForm> f(new TForm(nullptr));
  ReadComponentFromText("object frmBack: TForm\n  object spl: TRzSplitter\n    Width = 300\n    Height = 200\n" +
                            std::string("    HotSpotVisible = True\n") + closed.Text() + "  end\nend\n",
                        f.get());
  auto* back = dynamic_cast<TRzSplitter*>(f->FindComponent("spl"));
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->HotSpotClosed());
  EXPECT_EQ(back->HotSpotPosition(), 100);
}

TEST(RzSplitter, TheInboxSplitterReadsItsPanesFromTheFormResource) {
  Owned<TInboxForm> f(new TInboxForm(nullptr));
  f->SetBorderStyle(bsNone);
  ReadComponentFromText("object frmInbox: TInboxForm\n"
                        "  Left = 40\n  Top = 40\n  Width = 480\n  Height = 296\n"
                        "  object RzSplitterMain: TRzSplitter\n"
                        "    Left = 0\n    Top = 0\n    Width = 480\n    Height = 296\n"
                        "    Orientation = orVertical\n"
                        "    Position = 203\n"
                        "    Percent = 69\n"
                        "    PercentMax = 99\n"
                        "    UsePercent = True\n"
                        "    MarginMax = 3\n"
                        "    BarSize = (0 203 480 207)\n"
                        "    UpperLeftControls = (lbMessages Ghost)\n"
                        "    LowerRightControls = (memText)\n"
                        "    PositionMin = 10\n"
                        "    UpperLeft.Color = clYellow\n"
                        "    LowerRight.BorderOuter = fsLowered\n"
                        "    Align = alClient\n"
                        "    OnChange = RzSplitterMainChange\n"
                        "    object lbMessages: TListBox\n"
                        "      Align = alClient\n"
                        "    end\n"
                        "    object memText: TMemo\n"
                        "      Align = alClient\n"
                        "    end\n"
                        "  end\n"
                        "end\n",
                        f.get());
  auto* s = dynamic_cast<TRzSplitter*>(f->FindComponent("RzSplitterMain"));
  ASSERT_NE(s, nullptr);
  auto* list = dynamic_cast<TControl*>(f->FindComponent("lbMessages"));
  auto* memo = dynamic_cast<TControl*>(f->FindComponent("memText"));
  EXPECT_EQ(list->Parent(), s->UpperLeftPane());
  EXPECT_EQ(memo->Parent(), s->LowerRightPane());
  EXPECT_EQ(s->UpperLeftPane()->Color(), clYellow);
  EXPECT_EQ(s->LowerRightPane()->BorderOuter(), fsLowered);
  f->Show();
  PumpUntilPainted(f->Handle());
  EXPECT_EQ(s->Position(), 203);
  EXPECT_EQ(s->Percent(), 69);
  EXPECT_EQ(s->MarginMax(), 3);
  RECT bar = s->BarRect();
  EXPECT_EQ(bar.top, 203);
  EXPECT_EQ(bar.bottom, 207);
  EXPECT_TRUE(IsBox(s->UpperLeftPane(), 0, 0, 480, 203));
  EXPECT_EQ(list->Width(), 480);
  EXPECT_EQ(list->Height(), 203);
  EXPECT_EQ(memo->Top(), 2);   // inside the lowered border
  f->SetHeight(398);
  PumpUntil([&] { return s->Position() == 273; });
  EXPECT_EQ(s->Position(), 273);
  EXPECT_EQ(list->Height(), 273);
}

}  // namespace
