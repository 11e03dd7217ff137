// The splitter on real windows: panes read from a form resource, layout, position clamping and
// proportional resizing, drags driven by mouse messages (outline and live), their cancelling, pane
// renaming, design-time panes, and splitters that lack a pane.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Forms.h"
#include "TestSupport.h"
#include "UPTSplitter.h"

namespace {

// Counts the drag-bar drawings (each draw or erase is one inversion).
class TTestSplitter : public TPTSplitter {
  YOZ_CLASS(TTestSplitter, TPTSplitter)
public:
  explicit TTestSplitter(TComponent* AOwner) : TPTSplitter(AOwner) {}
  int BarDrawings = 0;

protected:
  void DrawDragBar() override {
    ++BarDrawings;
    TPTSplitter::DrawDragBar();
  }
};

class TSplitForm : public TForm {
  YOZ_CLASS(TSplitForm, TForm)
public:
  explicit TSplitForm(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<std::string> Log;
  void stMainChange(TObject*) { Log.push_back("change " + std::to_string(Splitter()->Position())); }
  void stMainSplitterDrag(TObject*, int Pos) { Log.push_back("drag " + std::to_string(Pos)); }
  void stMainSplitterDrop(TObject*, int Pos) { Log.push_back("drop " + std::to_string(Pos)); }
  void stMainResize(TObject*) { Log.push_back("resize"); }
  TTestSplitter* Splitter() const { return dynamic_cast<TTestSplitter*>(FindComponent("stMain")); }
  static void Publish(TPublisher<TSplitForm>& p) {
    p.Method("stMainChange", &TSplitForm::stMainChange);
    p.Method("stMainSplitterDrag", &TSplitForm::stMainSplitterDrag);
    p.Method("stMainSplitterDrop", &TSplitForm::stMainSplitterDrop);
    p.Method("stMainResize", &TSplitForm::stMainResize);
  }
};

class SplitterEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitForms();
    UPTSplitterInitialize();
    RegisterClasses({TTestSplitter::StaticClass(), TSplitForm::StaticClass()});
  }
  void TearDown() override {
    UPTSplitterFinalize();
    DoneForms();
  }
};
const auto* const Env = ::testing::AddGlobalTestEnvironment(new SplitterEnvironment);

Owned<TSplitForm> NewSplitForm(bool Show = true) {
  Owned<TSplitForm> f(new TSplitForm(nullptr));
  f->AfterConstruction();
  f->SetBorderStyle(bsNone);
  f->SetColor(clWhite);
  if (Show) {
    f->Show();
    PumpUntilPainted(f->WindowHandle());
  }
  f->Log.clear();
  return f;
}

// A plain form holding what the text describes, shown.
Owned<TForm> FormFromText(const std::string& Body) {
  Owned<TForm> f(new TForm(nullptr));
  f->SetBorderStyle(bsNone);
  f->SetBounds(60, 60, 420, 260);
  ReadComponentFromText("object frmText: TForm\n" + Body + "end\n", f.get());
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  return f;
}

RECT Bounds(TControl* c) { return c->BoundsRect(); }

::testing::AssertionResult IsRect(const RECT& r, int L, int T, int R, int B) {
  if (r.left == L && r.top == T && r.right == R && r.bottom == B) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom
                                       << ") instead of (" << L << "," << T << "," << R << "," << B << ")";
}

void Mouse(TWinControl* c, UINT Msg, WPARAM Keys, int X, int Y) {
  SendMessageA(c->Handle(), Msg, Keys, MAKELPARAM(X, Y));
}

std::vector<std::string> Take(std::vector<std::string>& Log) {
  std::vector<std::string> r;
  r.swap(Log);
  return r;
}

using Lines = std::vector<std::string>;

// ---------------------------------------------------------------------------------------------------

TEST(Splitter, NewSplitterHasItsDefaultsAndNoPanes) {
  Owned<TForm> f(new TForm(nullptr));
  auto* s = new TPTSplitter(f.get());
  EXPECT_EQ(s->Width(), 200);
  EXPECT_EQ(s->Height(), 140);
  EXPECT_EQ(s->Position(), 65);
  EXPECT_EQ(s->SplitterWidth(), 3);
  EXPECT_EQ(s->FullDragMode(), ptfdUser);
  EXPECT_TRUE(s->Proportional());
  EXPECT_FLOAT_EQ(s->Proportion(), 0.325f);
  EXPECT_EQ(s->ControlStyle(),
            (TControlStyle{csCaptureMouse, csDesignInteractive, csClickEvents, csDoubleClicks}));
  s->SetParent(f.get());
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  EXPECT_EQ(s->Panes(0), nullptr);
  EXPECT_EQ(s->Panes(1), nullptr);
  EXPECT_EQ(s->ControlCount(), 0);
  TPTPane pane(nullptr);
  EXPECT_EQ(pane.FrameStyle(), ptfsLowered);
  EXPECT_EQ(pane.MinSize(), 20);
}

TEST(Splitter, PanesComeFromTheFormResourceIntoTheSlotsTheirIndexNames) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  ASSERT_NE(s, nullptr);
  TPTPane* tree = s->Panes(0);
  TPTPane* board = s->Panes(1);
  ASSERT_NE(tree, nullptr);
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(tree->Name(), "paneTree");    // listed second, index 0
  EXPECT_EQ(board->Name(), "paneBoard");
  EXPECT_EQ(tree->Owner(), f.get());
  EXPECT_EQ(tree->Parent(), s);
  EXPECT_EQ(board->Parent(), s);
  EXPECT_EQ(tree->MinSize(), 30);
  EXPECT_EQ(s->PaneMinSize(1), 40);
  EXPECT_EQ(s->Position(), 105);
  EXPECT_FALSE(s->Proportional());
  // The panes' children too.
  auto* grp = dynamic_cast<TPTGroup*>(f->FindComponent("grpBoard"));
  ASSERT_NE(grp, nullptr);
  EXPECT_EQ(grp->Parent(), board);
  // Laid out: the bar is the gap between the panes.
  RECT c = s->ClientRect();
  EXPECT_TRUE(IsRect(Bounds(tree), 0, 0, 105, c.bottom));
  EXPECT_TRUE(IsRect(Bounds(board), 108, 0, c.right, c.bottom));
  // Stored as the splitter's children, slot by slot; owned by the splitter outside loading.
  std::vector<TComponent*> kids;
  s->GetChildren([&](TComponent* k) { kids.push_back(k); }, f.get());
  EXPECT_EQ(kids, (std::vector<TComponent*>{tree, board}));
  EXPECT_EQ(s->GetChildOwner(), s);
  EXPECT_FLOAT_EQ(s->Proportion(), 105.0f / 400.0f);
}

TEST(Splitter, PositionIsClampedToBothPanesMinimums) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  // Split size 400, minimums 30 and 40: positions stay in [30, 360]; the bar's width is not subtracted.
  struct Row {
    int Set, Expect;
  } rows[] = {{10, 30}, {30, 30}, {200, 200}, {500, 360}, {360, 360}, {INT_MAX, 360}, {INT_MIN, 30}, {-1, 30}};
  for (const Row& r : rows) {
    s->SetPosition(r.Set);
    EXPECT_EQ(s->Position(), r.Expect) << r.Set;
    EXPECT_EQ(s->Panes(0)->Width(), r.Expect) << r.Set;
  }
  // OnChange only for a real change.
  EXPECT_EQ(Take(f->Log), (Lines{"change 30", "change 200", "change 360", "change 30"}));
  s->SetPosition(120);
  EXPECT_FLOAT_EQ(s->Proportion(), 0.3f);
}

TEST(Splitter, ProportionalResizeRoundsHalvesToEven) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  s->SetPaneMinSize(0, 0);
  s->SetPaneMinSize(1, 0);
  s->SetProportional(true);
  s->SetPosition(100);   // 100 / 400 = 0.25
  Take(f->Log);
  struct Row {
    int Width, Expect;
  } rows[] = {{10, 2}, {14, 4}, {18, 4}, {22, 6}, {200, 50}, {402, 100}, {406, 102}, {400, 100}};
  for (const Row& r : rows) {
    s->SetWidth(r.Width);
    EXPECT_EQ(s->Position(), r.Expect) << r.Width;
    EXPECT_FLOAT_EQ(s->Proportion(), 0.25f) << r.Width;   // a resize keeps the proportion
    EXPECT_EQ(s->Panes(0)->Width(), r.Expect) << r.Width;
  }
  Lines log = Take(f->Log);
  EXPECT_EQ(std::count(log.begin(), log.end(), "resize"), 8);   // OnResize once per size change

  // Not proportional: the position stays.
  s->SetProportional(false);
  s->SetWidth(300);
  EXPECT_EQ(s->Position(), 100);
  EXPECT_EQ(Take(f->Log), (Lines{"resize"}));
  // A split size of 0 gives the proportion 0.5.
  s->SetWidth(0);
  s->SetPosition(7);
  EXPECT_EQ(s->Position(), 0);
  EXPECT_FLOAT_EQ(s->Proportion(), 0.5f);
}

TEST(Splitter, StyleAndBarWidthRelayThePanes) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  RECT c = s->ClientRect();
  s->SetSplitterWidth(6);
  EXPECT_TRUE(IsRect(Bounds(s->Panes(1)), 111, 0, c.right, c.bottom));
  s->SetStyle(ptstHorizontal);
  EXPECT_TRUE(IsRect(Bounds(s->Panes(0)), 0, 0, c.right, 105));
  EXPECT_TRUE(IsRect(Bounds(s->Panes(1)), 0, 111, c.right, c.bottom));
  // The split size is now the height: 200 - 40.
  s->SetPosition(1000);
  EXPECT_EQ(s->Position(), 160);
}

TEST(Splitter, HiddenFirstPaneLeavesNoStripWhenItsMinimumIsZero) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  RECT c = s->ClientRect();
  // With a minimum above 0 the first pane cannot disappear...
  s->SetSplitterWidth(0);
  s->SetPosition(0);
  EXPECT_EQ(s->Position(), 30);
  // ...with 0 it does, and the second pane takes the whole area.
  s->SetPaneMinSize(0, 0);
  s->SetPosition(0);
  EXPECT_EQ(s->Position(), 0);
  EXPECT_TRUE(IsRect(Bounds(s->Panes(0)), 0, 0, 0, c.bottom));
  EXPECT_TRUE(IsRect(Bounds(s->Panes(1)), 0, 0, c.right, c.bottom));
}

TEST(Splitter, TheBarShowsTheSplitCursor) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  auto setCursor = [&](int X, int Y) {
    POINT p = s->ClientToScreen(POINT{X, Y});
    // Under Wine the pointer follows the X server, which may report an older place a while after the
    // move, and other programs on the display move it too: ask only while the pointer is seen resting
    // on the point both before and after the question.
    auto at = [&] {
      POINT q;
      GetCursorPos(&q);
      return q.x == p.x && q.y == p.y;
    };
    LRESULT r = 0;
    for (int i = 0; i < 50; ++i) {
      SetCursorPos(p.x, p.y);
      // A short rest for the display's motion event, which no message announces; checked below.
      Pump(20);
      if (!at()) continue;
      r = SendMessageA(s->WindowHandle(), WM_SETCURSOR, WPARAM(s->WindowHandle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      if (at()) break;
    }
    return r;
  };
  EXPECT_EQ(setCursor(106, 60), 1);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHSplit));
  s->SetStyle(ptstHorizontal);
  EXPECT_EQ(setCursor(60, 106), 1);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crVSplit));
  setCursor(60, 50);   // over a pane: the pane's own cursor
  EXPECT_NE(GetCursor(), Screen->Cursors(crVSplit));
}

// ---------------------------------------------------------------------------------------------------
// Dragging

TEST(SplitterDrag, OutlineDragMovesAnInvertedBarAndAppliesOnRelease) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  ASSERT_EQ(s->FullDragMode(), ptfdOff);
  Mouse(s, WM_LBUTTONDOWN, MK_LBUTTON, 106, 50);   // one pixel into the bar
  EXPECT_TRUE(s->Dragging());
  EXPECT_EQ(GetCapture(), s->WindowHandle());
  EXPECT_EQ(s->BarDrawings, 1);
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 200, 50);
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 200, 90);     // same column: the bar stays
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 5, 50);       // first pane's minimum 30, plus the grab offset
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 399, 50);     // 400 - 40 + 1
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 251, 50);
  EXPECT_EQ(s->Position(), 105);                   // nothing moves until the release
  EXPECT_EQ(s->BarDrawings, 9);
  Mouse(s, WM_LBUTTONUP, 0, 251, 50);
  EXPECT_FALSE(s->Dragging());
  EXPECT_NE(GetCapture(), s->WindowHandle());
  EXPECT_EQ(s->BarDrawings, 10);                   // the last bar is erased
  EXPECT_EQ(s->Position(), 250);
  EXPECT_EQ(s->Panes(0)->Width(), 250);
  EXPECT_EQ(s->Panes(1)->Left(), 253);
  EXPECT_FLOAT_EQ(s->Proportion(), 250.0f / 400.0f);
  EXPECT_EQ(Take(f->Log), (Lines{"drag 106", "drag 200", "drag 31", "drag 361", "drag 251", "drag -1", "drop 250",
                                 "change 250"}));
}

TEST(SplitterDrag, TheBarInvertsEveryOtherPixelOfTheGap) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  HWND w = s->Handle();
  auto shot = [&]() {
    std::vector<COLORREF> px;
    HDC dc = GetDC(w);
    for (int y = 40; y < 44; ++y)
      for (int x = 100; x < 112; ++x) px.push_back(GetPixel(dc, x, y) & 0xFFFFFF);
    ReleaseDC(w, dc);
    return px;
  };
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpUntilPainted(w);
  auto before = shot();
  Mouse(s, WM_LBUTTONDOWN, MK_LBUTTON, 105, 42);
  auto during = shot();
  Mouse(s, WM_RBUTTONDOWN, MK_RBUTTON | MK_LBUTTON, 105, 42);   // cancels and erases
  auto after = shot();
  int i = 0, inverted = 0;
  for (int y = 40; y < 44; ++y)
    for (int x = 100; x < 112; ++x, ++i) {
      bool inBar = x >= 105 && x < 108;
      if (!inBar) {
        EXPECT_EQ(during[i], before[i]) << x << "," << y;
      } else if ((x + y) % 2 == 0) {
        EXPECT_EQ(during[i], before[i] ^ 0xFFFFFF) << x << "," << y;
        ++inverted;
      } else {
        EXPECT_EQ(during[i], before[i]) << x << "," << y;
      }
      EXPECT_EQ(after[i], before[i]) << x << "," << y;
    }
  EXPECT_EQ(inverted, 6);
}

TEST(SplitterDrag, LiveDragMovesThePanesAsTheMouseMoves) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  s->SetFullDragMode(ptfdOn);
  Mouse(s, WM_LBUTTONDOWN, MK_LBUTTON, 107, 50);   // grab offset 2
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 202, 50);
  EXPECT_EQ(s->Position(), 200);
  EXPECT_EQ(s->Panes(0)->Width(), 200);
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 0, 50);
  EXPECT_EQ(s->Position(), 30);
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 152, 50);
  Mouse(s, WM_LBUTTONUP, 0, 152, 50);
  EXPECT_FALSE(s->Dragging());
  EXPECT_EQ(s->Position(), 150);
  EXPECT_EQ(s->BarDrawings, 0);
  EXPECT_EQ(Take(f->Log), (Lines{"drag 107", "change 200", "drag 202", "change 30", "drag 32", "change 150",
                                 "drag 152", "drag 152", "drop 150"}));
}

TEST(SplitterDrag, ASecondButtonEndsTheDragWithoutApplyingIt) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  Mouse(s, WM_LBUTTONDOWN, MK_LBUTTON, 106, 50);
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 220, 50);
  Mouse(s, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 220, 50);
  EXPECT_FALSE(s->Dragging());
  EXPECT_NE(GetCapture(), s->WindowHandle());
  EXPECT_EQ(s->BarDrawings, 4);                    // drawn, moved (erase + draw), erased
  Mouse(s, WM_RBUTTONUP, MK_LBUTTON, 220, 50);
  Mouse(s, WM_LBUTTONUP, 0, 220, 50);               // the release that follows changes nothing
  EXPECT_EQ(s->Position(), 105);
  EXPECT_EQ(s->Panes(0)->Width(), 105);
  EXPECT_EQ(Take(f->Log), (Lines{"drag 106", "drag 220", "drag -1"}));
  // A right press alone begins nothing at run time.
  Mouse(s, WM_RBUTTONDOWN, MK_RBUTTON, 106, 50);
  EXPECT_FALSE(s->Dragging());
}

TEST(SplitterDrag, LosingTheCaptureToAnotherWindowCancels) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  Mouse(s, WM_LBUTTONDOWN, MK_LBUTTON, 106, 50);
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 180, 50);
  SetCapture(other);
  EXPECT_FALSE(s->Dragging());
  EXPECT_EQ(s->BarDrawings, 4);
  Mouse(s, WM_LBUTTONUP, 0, 180, 50);
  EXPECT_EQ(s->Position(), 105);
  ReleaseCapture();

  // Live: what the drag already applied stays; the cancel applies nothing more.
  s->SetFullDragMode(ptfdOn);
  Take(f->Log);
  Mouse(s, WM_LBUTTONDOWN, MK_LBUTTON, 106, 50);
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 180, 50);
  SetCapture(other);
  EXPECT_FALSE(s->Dragging());
  EXPECT_EQ(s->Position(), 179);
  Lines log = Take(f->Log);
  EXPECT_EQ(std::count(log.begin(), log.end(), "drop 179"), 0);
  ReleaseCapture();
  // Cancel mode ends a drag too.
  Mouse(s, WM_LBUTTONDOWN, MK_LBUTTON, 180, 50);
  ASSERT_TRUE(s->Dragging());
  SendMessageA(s->WindowHandle(), WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(s->Dragging());
  EXPECT_NE(GetCapture(), s->WindowHandle());
  DestroyWindow(other);
}

// ---------------------------------------------------------------------------------------------------
// Names, design time, pane properties

TEST(Splitter, RenamingTheSplitterRenamesItsPanes) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  // Loading kept the panes' own names.
  EXPECT_EQ(s->Panes(0)->Name(), "paneTree");
  s->SetName("stBoard");
  EXPECT_EQ(s->Panes(0)->Name(), "stBoard_pane1");
  EXPECT_EQ(s->Panes(1)->Name(), "stBoard_pane2");
  s->SetName("stMain");
  EXPECT_EQ(s->Panes(1)->Name(), "stMain_pane2");
  EXPECT_EQ(f->FindComponent("stMain_pane1"), s->Panes(0));
}

TEST(Splitter, PanePropertiesReachThePanesAndMissingPanesIgnoreWrites) {
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  s->SetPaneColor(0, clYellow);
  s->SetPaneFrameStyle(1, ptfsBump);
  s->SetPaneMinSize(1, 55);
  EXPECT_EQ(s->Panes(0)->Color(), clYellow);
  EXPECT_EQ(s->PaneColor(0), clYellow);
  EXPECT_EQ(s->Panes(1)->FrameStyle(), ptfsBump);
  EXPECT_EQ(s->Panes(1)->MinSize(), 55);
  // Published but never stored: the panes store their own values.
  const TPropInfo* pi = TPTSplitter::StaticClass()->FindProp("Pane2MinSize");
  ASSERT_NE(pi, nullptr);
  EXPECT_FALSE(pi->IsStored(s));
  EXPECT_EQ(pi->GetOrd(s), 55);
  // Pane 1 goes: writes to its slot do nothing, reads give a new pane's values.
  TObject::Free(s->Panes(0));
  EXPECT_EQ(s->Panes(0), nullptr);
  s->SetPaneMinSize(0, 99);
  s->SetPaneFrameStyle(0, ptfsSingle);
  EXPECT_EQ(s->PaneMinSize(0), 20);
  EXPECT_EQ(s->PaneFrameStyle(0), ptfsLowered);
}

TEST(Splitter, AtDesignTimeTheSplitterMakesAndSelectsItsPanes) {
  Owned<TForm> f(new TForm(nullptr));
  f->SetBorderStyle(bsNone);
  f->SetBounds(60, 60, 300, 200);
  auto* s = new TPTSplitter(f.get());
  s->SetName("stDesign");
  s->SetDesigning(true);
  s->SetParent(f.get());
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  ASSERT_NE(s->Panes(0), nullptr);
  ASSERT_NE(s->Panes(1), nullptr);
  EXPECT_EQ(s->Panes(0)->Name(), "stDesign_pane1");
  EXPECT_EQ(s->Panes(1)->Name(), "stDesign_pane2");
  EXPECT_EQ(s->Panes(1)->Index(), 1);
  EXPECT_EQ(s->Panes(0)->Owner(), s);
  EXPECT_EQ(s->Panes(0)->Caption(), "");
  EXPECT_TRUE(s->Panes(0)->Selected());
  EXPECT_FALSE(s->Panes(1)->Selected());
  EXPECT_EQ(s->Panes(0)->Width(), 65);
  EXPECT_EQ(s->Panes(1)->Left(), 68);
  // A click in the second pane selects it.
  SendMessageA(s->WindowHandle(), WM_PARENTNOTIFY, WM_LBUTTONDOWN, MAKELPARAM(100, 20));
  EXPECT_TRUE(s->Panes(1)->Selected());
  EXPECT_FALSE(s->Panes(0)->Selected());
  EXPECT_EQ(s->Panes(0)->Perform(CM_DESIGNHITTEST, 0, MAKELPARAM(5, 5)), 0);
  // The designer may drag with the right button, but not with Shift held.
  SendMessageA(s->WindowHandle(), WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(66, 20));
  EXPECT_FALSE(s->Dragging());
  SendMessageA(s->WindowHandle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(66, 20));
  EXPECT_TRUE(s->Dragging());
  EXPECT_EQ(GetCapture(), s->WindowHandle());
  SendMessageA(s->WindowHandle(), WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(121, 20));
  SendMessageA(s->WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(121, 20));   // not the drag's button
  EXPECT_TRUE(s->Dragging());
  SendMessageA(s->WindowHandle(), WM_RBUTTONUP, 0, MAKELPARAM(121, 20));
  EXPECT_FALSE(s->Dragging());
  EXPECT_EQ(s->Position(), 120);
}

// ---------------------------------------------------------------------------------------------------
// Splitters lacking a pane, and stored values that are out of all proportion

const char* const kOnePane =
    "  object stOne: TPTSplitter\n    Width = 300\n    Height = 150\n    Position = 80\n"
    "    object stOne_pane1: TPTPane\n      Index = 0\n    end\n  end\n";
const char* const kSecondOnly =
    "  object stTwo: TPTSplitter\n    Width = 300\n    Height = 150\n"
    "    object stTwo_pane2: TPTPane\n      Index = 1\n    end\n  end\n";
const char* const kNoPane = "  object stNone: TPTSplitter\n    Width = 300\n    Height = 150\n  end\n";

// Presses, drags and releases across the whole control and resizes it.
void Exercise(TPTSplitter* s) {
  for (int x : {0, 80, 81, 150, 299}) {
    Mouse(s, WM_LBUTTONDOWN, MK_LBUTTON, x, 10);
    Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, x + 40, 10);
    Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, -500, 10);
    Mouse(s, WM_LBUTTONUP, 0, 120, 10);
    EXPECT_FALSE(s->Dragging());
  }
  s->SetWidth(250);
  s->SetStyle(ptstHorizontal);
  s->SetHeight(90);
  s->SetStyle(ptstVertical);
}

TEST(SplitterMissingPane, OnePaneOnlyIsLaidOutAndDraggedAlone) {
  auto f = FormFromText(kOnePane);
  auto* s = dynamic_cast<TPTSplitter*>(f->FindComponent("stOne"));
  ASSERT_NE(s, nullptr);
  ASSERT_NE(s->Panes(0), nullptr);
  EXPECT_EQ(s->Panes(1), nullptr);
  EXPECT_EQ(s->Panes(0)->Width(), 80);
  // No second pane: no second minimum.
  s->SetPosition(1000);
  EXPECT_EQ(s->Position(), 300);
  s->SetPosition(80);
  s->SetFullDragMode(ptfdOff);
  Exercise(s);
  s->SetFullDragMode(ptfdOn);
  Exercise(s);
  EXPECT_GE(s->Position(), 20);
  EXPECT_EQ(s->Panes(0)->Width(), s->Position());
}

TEST(SplitterMissingPane, WithoutAFirstPaneNothingIsClampedOrLaidOut) {
  for (const char* text : {kSecondOnly, kNoPane}) {
    auto f = FormFromText(text);
    auto* s = dynamic_cast<TPTSplitter*>(f->Components(0));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Panes(0), nullptr);
    s->SetPosition(-5);
    EXPECT_EQ(s->Position(), -5);
    s->SetPosition(INT_MAX);
    EXPECT_EQ(s->Position(), INT_MAX);
    s->SetProportional(true);
    s->SetPosition(60);
    s->SetFullDragMode(ptfdOff);
    Exercise(s);
    s->SetFullDragMode(ptfdOn);
    Exercise(s);
    if (TPTPane* second = s->Panes(1)) {
      EXPECT_EQ(second->Left(), 0);   // never placed
      EXPECT_EQ(second->Width(), 64);
    }
  }
}

TEST(SplitterMissingPane, StoredValuesBeyondAnySizeStillLayOutInsideTheSplitter) {
  auto f = FormFromText(
      "  object stWild: TPTSplitter\n    Width = 300\n    Height = 150\n    Position = 2147483647\n"
      "    SplitterWidth = 2147483647\n    Proportional = False\n"
      "    object stWild_pane1: TPTPane\n      Index = 0\n    end\n"
      "    object stWild_pane2: TPTPane\n      Index = 1\n    end\n  end\n");
  auto* s = dynamic_cast<TPTSplitter*>(f->FindComponent("stWild"));
  ASSERT_NE(s, nullptr);
  RECT c = s->ClientRect();
  EXPECT_TRUE(IsRect(Bounds(s->Panes(0)), 0, 0, c.right, c.bottom));
  EXPECT_TRUE(IsRect(Bounds(s->Panes(1)), c.right, 0, c.right, c.bottom));
  // Proportional resizing from that proportion stays in range too.
  s->SetProportional(true);
  s->SetWidth(280);
  EXPECT_EQ(s->Position(), 280 - 20);
  s->SetSplitterWidth(-40);
  s->SetPosition(100);
  EXPECT_TRUE(IsRect(Bounds(s->Panes(1)), 100, 0, c.right - 20, c.bottom));
}

// ---------------------------------------------------------------------------------------------------

// With YOZ_SHELL_SHOT set, leaves a picture of a form with a splitter and framed groups there.
TEST(SplitterShot, FormWithSplitterAndFrames) {
  const char* path = std::getenv("YOZ_SHELL_SHOT");
  if (!path) GTEST_SKIP() << "YOZ_SHELL_SHOT not set";
  auto f = NewSplitForm();
  TTestSplitter* s = f->Splitter();
  s->SetSplitterWidth(5);
  auto* g = new TPTGroup(f.get());
  g->SetCaption("Departments");
  g->SetParent(s->Panes(0));
  g->SetBounds(4, 30, 95, 100);
  for (int i = 0; i < 10; ++i) {
    auto* fr = new TPTFrame(f.get());
    fr->SetParent(dynamic_cast<TWinControl*>(f->FindComponent("grpBoard")));
    fr->SetFrameStyle(TPTFrameStyle(1 + i));
    fr->SetCaption(PTFrameStyleNames.Names[1 + i]);
    fr->SetBounds(8 + (i % 2) * 138, 10 + (i / 2) * 32, 128, 24);
  }
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  RedrawWindow(f->WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpUntilPainted(f->WindowHandle());
  Mouse(s, WM_LBUTTONDOWN, MK_LBUTTON, 106, 50);
  Mouse(s, WM_MOUSEMOVE, MK_LBUTTON, 60, 50);
  // A picture to look at: the drag's line is drawn on the screen, which no message reports done.
  Pump(100);
  RECT r;
  GetWindowRect(f->WindowHandle(), &r);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(r.right - r.left, r.bottom - r.top);
  HDC dc = GetDC(nullptr);
  BitBlt(bmp.Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, dc, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, dc);
  bmp.SaveToFile(path);
  Mouse(s, WM_LBUTTONUP, 0, 60, 50);
}

}  // namespace
