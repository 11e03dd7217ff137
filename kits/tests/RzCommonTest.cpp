// Frame drawing probed in memory bitmaps (styles, side sets, the rectangles the routines return), the
// rotated font and the minimum edit height, and the frame controller pushing its settings into linked
// controls through their published properties, from code and from a form resource.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KitsTestSupport.h"
#include "RzCommon.h"

namespace {

// A framed control as the edit kit makes them: its frame settings are published properties, it links
// itself through FrameController and paints its frame with DrawFrame. FrameFocusStyle is published as
// an integer on purpose (the controller must skip a property of the wrong kind); FrameFlatStyle is
// missing on purpose.
class TFramedProbe : public TCustomControl {
  YOZ_CLASS(TFramedProbe, TCustomControl)
public:
  explicit TFramedProbe(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 40, 24); }
  std::vector<std::string> Log;
  bool UseFrameController = true;
  TColor FrameColor = clBlack;
  TFrameStyle FrameStyle = fsNone;
  TSides FrameSides = sdAllSides;
  bool FrameVisible = false;
  bool FrameFlat = false;
  bool FlatButtons = false;
  int FrameFocusStyle = 0;
  TRzFrameController* FrameController() const { return FController; }
  void SetFrameController(TRzFrameController* Value) {
    if (FController) FController->RemoveControl(this);
    FController = Value;
    if (Value) Value->AddControl(this);
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FController) FController = nullptr;
  }
  static void Publish(TPublisher<TFramedProbe>& p) {
    p.Bool("UseFrameController", &TFramedProbe::UseFrameController, &TFramedProbe::UseFrameController);
    p.Int("FrameColor", &TFramedProbe::FrameColor, [](TFramedProbe& c, TColor v) {
       c.Log.push_back("FrameColor");
       c.FrameColor = v;
       c.Invalidate();
     }).Idents(ColorIdentMap());
    p.Enum("FrameStyle", FrameStyleNames, &TFramedProbe::FrameStyle, [](TFramedProbe& c, TFrameStyle v) {
      c.Log.push_back("FrameStyle");
      c.FrameStyle = v;
    });
    p.Set("FrameSides", SideNames, &TFramedProbe::FrameSides, [](TFramedProbe& c, TSides v) {
      c.Log.push_back("FrameSides");
      c.FrameSides = v;
    });
    p.Bool("FrameVisible", &TFramedProbe::FrameVisible, [](TFramedProbe& c, bool v) {
      c.Log.push_back("FrameVisible");
      c.FrameVisible = v;
    });
    p.Bool("FrameFlat", &TFramedProbe::FrameFlat, [](TFramedProbe& c, bool v) {
      c.Log.push_back("FrameFlat");
      c.FrameFlat = v;
    });
    p.Bool("FlatButtons", &TFramedProbe::FlatButtons, [](TFramedProbe& c, bool v) {
      c.Log.push_back("FlatButtons");
      c.FlatButtons = v;
    });
    p.Int("FrameFocusStyle", &TFramedProbe::FrameFocusStyle, [](TFramedProbe& c, int v) {
      c.Log.push_back("FrameFocusStyle");
      c.FrameFocusStyle = v;
    });
    p.Ref("FrameController", &TFramedProbe::FrameController, &TFramedProbe::SetFrameController);
  }

protected:
  void Paint() override {
    DrawFrame(Canvas(), Width(), Height(), FrameSides, FrameColor, Color(), FrameVisible ? FrameStyle : fsNone);
  }

private:
  TRzFrameController* FController = nullptr;
};

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TFormsEnvironment({RzCommonInitialize, [] {
  RegisterClass(TFramedProbe::StaticClass());
}}));

constexpr TColor Marker = clFuchsia;  // no frame style uses it
constexpr int BW = 20, BH = 12;

struct Probe {
  int X, Y;
  TColor Colour;
};

struct BorderCase {
  const char* Name;
  TFrameStyle Style;
  TSides Sides;
  RECT Inside;
  std::vector<Probe> Probes;
};

TEST(FrameDrawing, StylesDrawTheirLinesAndReturnTheRectangleInside) {
  const TColor Sh = clBtnShadow, Hi = clBtnHighlight, Tx = clBtnText, Li = cl3DLight, Dk = cl3DDkShadow,
               Wf = clWindowFrame, M = Marker;
  const TSides LT{sdLeft, sdTop}, All = sdAllSides;
  const std::vector<BorderCase> cases = {
      {"none", fsNone, All, {0, 0, 20, 12}, {{0, 0, M}, {19, 11, M}}},
      {"flat", fsFlat, All, {1, 1, 19, 11}, {{0, 5, Wf}, {5, 0, Wf}, {19, 5, Wf}, {5, 11, Wf}, {1, 5, M}}},
      {"flat left+top", fsFlat, LT, {1, 1, 20, 12}, {{0, 11, Wf}, {19, 0, Wf}, {19, 5, M}, {5, 11, M}}},
      {"status", fsStatus, All, {1, 1, 19, 11}, {{0, 5, Sh}, {5, 0, Sh}, {19, 5, Hi}, {5, 11, Hi}, {19, 0, Hi}}},
      {"popup", fsPopup, All, {1, 1, 19, 11}, {{0, 5, Hi}, {5, 0, Hi}, {19, 5, Sh}, {5, 11, Sh}}},
      {"lowered", fsLowered, All, {2, 2, 18, 10},
       {{0, 5, Sh}, {5, 0, Sh}, {19, 5, Hi}, {5, 11, Hi}, {1, 5, Tx}, {5, 1, Tx}, {18, 5, Li}, {5, 10, Li}, {2, 5, M}}},
      {"raised", fsRaised, All, {2, 2, 18, 10},
       {{0, 5, Li}, {5, 0, Li}, {19, 5, Tx}, {5, 11, Tx}, {1, 5, Hi}, {5, 1, Hi}, {18, 5, Sh}, {5, 10, Sh}}},
      {"button down", fsButtonDown, All, {2, 2, 18, 10}, {{0, 5, Tx}, {19, 5, Tx}, {1, 5, Sh}, {18, 5, Sh}}},
      {"button up", fsButtonUp, All, {2, 2, 18, 10}, {{0, 5, Hi}, {19, 5, Dk}, {1, 5, Li}, {18, 5, Sh}}},
      {"groove", fsGroove, All, {2, 2, 18, 10},
       {{0, 5, Sh}, {1, 5, Hi}, {18, 5, Sh}, {19, 5, Hi}, {5, 10, Sh}, {5, 11, Hi}, {19, 0, Hi}, {0, 11, Hi},
        {2, 5, M}}},
      {"groove left+top", fsGroove, LT, {2, 2, 20, 12},
       {{0, 5, Sh}, {1, 5, Hi}, {19, 0, Sh}, {0, 11, Sh}, {19, 1, Hi}, {1, 11, Hi}, {19, 5, M}}},
      {"groove top only", fsGroove, TSides{sdTop}, {0, 2, 20, 12}, {{0, 0, Sh}, {0, 1, Hi}, {19, 0, Sh}, {0, 5, M}}},
      {"bump", fsBump, All, {2, 2, 18, 10}, {{0, 5, Hi}, {1, 5, Sh}, {18, 5, Hi}, {19, 5, Sh}}},
  };
  for (const BorderCase& c : cases) {
    auto b = NewBitmap(BW, BH, Marker);
    RECT in = DrawBorder(b->Canvas(), RECT{0, 0, BW, BH}, c.Style, c.Sides);
    EXPECT_TRUE(EqualRect(&in, &c.Inside)) << c.Name << ": (" << in.left << "," << in.top << "," << in.right
                                           << "," << in.bottom << ")";
    for (const Probe& p : c.Probes)
      EXPECT_EQ(At(b.get(), p.X, p.Y), RGBOf(p.Colour)) << c.Name << " at " << p.X << "," << p.Y;
  }
}

TEST(FrameDrawing, SidesAndBevelsMoveInOnlyWhereTheyDraw) {
  auto b = NewBitmap(BW, BH, Marker);
  RECT r = DrawSides(b->Canvas(), RECT{0, 0, BW, BH}, clRed, clBlue, TSides{sdLeft, sdTop});
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.top, 1);
  EXPECT_EQ(r.right, BW);
  EXPECT_EQ(r.bottom, BH);
  b = NewBitmap(BW, BH, Marker);
  r = DrawBevel(b->Canvas(), RECT{0, 0, BW, BH}, clRed, clBlue, 3, TSides{sdRight, sdBottom});
  EXPECT_EQ(r.right, BW - 3);
  EXPECT_EQ(r.bottom, BH - 3);
  EXPECT_EQ(At(b.get(), BW - 3, 5), RGBOf(clBlue));
  EXPECT_EQ(At(b.get(), BW - 4, 5), RGBOf(Marker));
  EXPECT_EQ(CountPixels(b.get(), RECT{0, 0, BW, BH}, RGBOf(clRed)), 0);
  // The variant without sides draws all four.
  b = NewBitmap(BW, BH, Marker);
  r = DrawBorder(b->Canvas(), RECT{0, 0, BW, BH}, fsLowered);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.bottom, BH - 2);
}

TEST(FrameDrawing, EditFrameErasesTheOldFrameBeforeDrawingTheNew) {
  auto b = NewBitmap(BW, BH, clRed);   // an old frame everywhere
  DrawFrame(b->Canvas(), BW, BH, sdAllSides, clBlue, clWhite, fsNone);
  EXPECT_EQ(At(b.get(), 0, 5), RGBOf(clWhite));
  EXPECT_EQ(At(b.get(), 1, 5), RGBOf(clWhite));
  EXPECT_EQ(At(b.get(), 2, 5), RGBOf(clRed));
  // Flat frames use the flat colour, not the window frame.
  DrawFrame(b->Canvas(), BW, BH, TSides{sdBottom}, clBlue, clWhite, fsFlat);
  EXPECT_EQ(At(b.get(), 5, BH - 1), RGBOf(clBlue));
  EXPECT_EQ(At(b.get(), 0, 5), RGBOf(clWhite));
  DrawFrame(b->Canvas(), BW, BH, sdAllSides, clBlue, clWhite, fsLowered);
  EXPECT_EQ(At(b.get(), 0, 5), RGBOf(clBtnShadow));
  EXPECT_EQ(At(b.get(), 1, 5), RGBOf(clBtnText));
}

TEST(FrameDrawing, RotatedFontKeepsTheDescriptionAndTurns) {
  TFont f;
  f.SetName("Arial");
  f.SetHeight(-20);
  f.SetStyle(TFontStyles{fsBold, fsUnderline});
  f.SetPitch(fpVariable);
  HFONT h = RotateFont(&f, 30);
  ASSERT_NE(h, nullptr);
  LOGFONTA lf{};
  GetObjectA(h, sizeof lf, &lf);
  DeleteObject(h);
  EXPECT_EQ(lf.lfHeight, -20);
  EXPECT_EQ(lf.lfEscapement, 300);
  EXPECT_EQ(lf.lfOrientation, 0);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfUnderline);
  EXPECT_FALSE(lf.lfItalic);
  EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(lf.lfPitchAndFamily, VARIABLE_PITCH);
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  TFont big;
  big.SetHeight(-30);
  TFont small;
  small.SetHeight(-10);
  EXPECT_GT(GetMinFontHeight(&big), GetMinFontHeight(&small));
  EXPECT_GE(GetMinFontHeight(&small), 12);
}

// ---------------------------------------------------------------------------------------------------
// Frame controller

TEST(FrameController, WithNothingLinkedEverySetterAndLoadedDoNothing) {
  TRzFrameController c(nullptr);
  EXPECT_EQ(c.Color(), clWindow);
  EXPECT_TRUE(c.FlatButtons());
  EXPECT_EQ(c.FrameColor(), clBtnShadow);
  EXPECT_EQ(c.FrameFlatStyle(), fsStatus);
  EXPECT_EQ(c.FrameFocusStyle(), fsLowered);
  EXPECT_EQ(c.FrameSides(), sdAllSides);
  EXPECT_EQ(c.FrameStyle(), fsFlat);
  EXPECT_FALSE(c.FrameVisible());
  c.SetColor(clRed);
  c.SetFrameFlat(true);
  c.SetFrameSides(TSides{sdTop});
  c.Loaded();
  EXPECT_EQ(c.ControlCount(), 0);
  EXPECT_TRUE(c.FrameVisible());
}

TEST(FrameController, LinkingPushesEverySettingOfTheRightKindAndAChangePushesOnlyItself) {
  auto f = NewForm(200, 100);
  auto* c = new TRzFrameController(f.get());
  auto* p = new TFramedProbe(f.get());
  p->SetParent(f.get());
  c->SetFrameColor(clRed);
  c->SetFrameStyle(fsGroove);
  p->SetFrameController(c);
  EXPECT_EQ(c->ControlCount(), 1);
  EXPECT_EQ(p->Log, (std::vector<std::string>{"FlatButtons", "FrameColor", "FrameFlat", "FrameSides", "FrameStyle",
                                              "FrameVisible"}));
  EXPECT_EQ(p->FrameColor, clRed);
  EXPECT_EQ(p->FrameStyle, fsGroove);
  EXPECT_EQ(p->Color(), clWindow);
  p->Log.clear();
  c->SetFrameColor(clRed);   // unchanged
  EXPECT_TRUE(p->Log.empty());
  c->SetFrameSides(TSides{sdLeft});
  EXPECT_EQ(p->Log, (std::vector<std::string>{"FrameSides"}));
  EXPECT_EQ(p->FrameSides, TSides{sdLeft});
  // Flat: visible through its own push, then the flat index; sides and style are stored quietly.
  p->Log.clear();
  c->SetFrameFlat(true);
  EXPECT_EQ(p->Log, (std::vector<std::string>{"FrameVisible", "FrameFlat"}));
  EXPECT_EQ(c->FrameSides(), sdAllSides);
  EXPECT_EQ(c->FrameStyle(), fsStatus);
  EXPECT_EQ(p->FrameSides, TSides{sdLeft});
  // A control that opts out keeps its own settings.
  p->UseFrameController = false;
  p->Log.clear();
  c->SetFrameColor(clGreen);
  EXPECT_TRUE(p->Log.empty());
  EXPECT_EQ(p->FrameColor, clRed);
}

TEST(FrameController, AChangedFrameColourRepaintsEveryLinkedControl) {
  auto f = NewForm(200, 100);
  auto* c = new TRzFrameController(f.get());
  c->SetFrameVisible(true);
  std::vector<TFramedProbe*> probes;
  for (int i = 0; i < 2; ++i) {
    auto* p = new TFramedProbe(f.get());
    p->SetParent(f.get());
    p->SetBounds(10 + 60 * i, 10, 40, 24);
    p->SetFrameController(c);
    probes.push_back(p);
  }
  f->Show();
  PumpUntilPainted(f->Handle());
  c->SetFrameColor(clBlue);
  PumpUntilPainted(f->Handle());
  for (TFramedProbe* p : probes) {
    auto shot = ScreenShot(p);
    EXPECT_EQ(At(shot.get(), 0, 10), RGBOf(clBlue));
    EXPECT_EQ(At(shot.get(), 39, 10), RGBOf(clBlue));
    EXPECT_EQ(At(shot.get(), 1, 10), RGBOf(clWindow));
  }
  // A freed control leaves the list; the controller's end empties the survivor's reference.
  TObject::Free(probes[0]);
  EXPECT_EQ(c->ControlCount(), 1);
  c->SetFrameColor(clRed);
  EXPECT_EQ(probes[1]->FrameColor, clRed);
  TObject::Free(c);
  EXPECT_EQ(probes[1]->FrameController(), nullptr);
}

TEST(FrameController, FormResourceLinksAndPushesOnceLoaded) {
  Owned<TForm> f(new TForm(nullptr));
  ReadComponentFromText(
      "object frmFrames: TForm\n"
      "  object edtProbe: TFramedProbe\n"
      "    FrameController = ctlFrames\n"
      "  end\n"
      "  object ctlFrames: TRzFrameController\n"
      "    FrameColor = clNavy\n"
      "    FrameSides = [sdLeft, sdBottom]\n"
      "    FrameStyle = fsBump\n"
      "    FrameVisible = True\n"
      "  end\n"
      "end\n",
      f.get());
  auto* p = dynamic_cast<TFramedProbe*>(f->FindComponent("edtProbe"));
  auto* c = dynamic_cast<TRzFrameController*>(f->FindComponent("ctlFrames"));
  ASSERT_NE(p, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(p->FrameController(), c);
  EXPECT_EQ(p->FrameColor, clNavy);
  EXPECT_EQ(p->FrameSides, (TSides{sdLeft, sdBottom}));
  EXPECT_EQ(p->FrameStyle, fsBump);
  EXPECT_TRUE(p->FrameVisible);
  EXPECT_EQ(p->FrameFocusStyle, 0);
  const TPropInfo* about = TRzFrameController::StaticClass()->FindProp("About");
  ASSERT_NE(about, nullptr);
  EXPECT_FALSE(about->IsStored(c));
}

}  // namespace
