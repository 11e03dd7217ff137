// The three-dimensional label on real forms: its text lands inside the turned box at 0, 30 and 90
// degrees, the depth effects and raised copies show where they should, transparency, the shared work
// bitmap, the angle rules (also while a form is read), and its published properties.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "KitsTestSupport.h"
#include "dxfLabel.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(
    new TFormsEnvironment({dxfLabelInitialize}));

// The messages the label showed instead of boxes.
std::vector<std::string> Boxes;

struct LabelForm {
  Owned<TForm> Form = NewForm(320, 200, clAqua);
  TdxfLabel* Label = nullptr;
  LabelForm(int W = 240, int H = 160) {
    Label = new TdxfLabel(Form.get());
    Label->SetParent(Form.get());
    Label->SetBounds(20, 20, W, H);
    Label->SetColor(clWhite);
    Label->Font()->SetName("Arial");
    Label->Font()->SetHeight(-28);
    Label->Font()->SetStyle(TFontStyles{fsBold});
    Label->Font()->SetColor(clBlue);
    Label->SetCaption("Comments");
    Form->Show();
    PumpUntilPainted(Form->Handle());
  }
  // The label's own pixels as the form shows them.
  std::unique_ptr<TBitmap> Shot() {
    Label->Repaint();
    auto all = PaintedControl(Form.get());
    auto b = NewBitmap(Label->Width(), Label->Height(), clFuchsia);
    BitBlt(b->Canvas()->Handle(), 0, 0, Label->Width(), Label->Height(), all->Canvas()->Handle(), Label->Left(),
           Label->Top(), SRCCOPY);
    return b;
  }
};

SIZE TextSize(TFont* Font, const std::string& Text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  SIZE s{};
  GetTextExtentPoint32A(dc, Text.c_str(), int(Text.size()), &s);
  SelectObject(dc, old);
  DeleteDC(dc);
  return s;
}

bool Near(COLORREF P, COLORREF C, int Tol = 60) {
  return std::abs(int(GetRValue(P)) - int(GetRValue(C))) <= Tol && std::abs(int(GetGValue(P)) - int(GetGValue(C))) <= Tol &&
         std::abs(int(GetBValue(P)) - int(GetBValue(C))) <= Tol;
}

// Bounding rows and columns of the pixels that match.
struct Extent {
  int N = 0, MinX = 1 << 30, MinY = 1 << 30, MaxX = -1, MaxY = -1;
};
Extent Find(TBitmap* B, const std::function<bool(COLORREF)>& Match) {
  Extent e;
  HDC dc = B->Canvas()->Handle();
  for (int y = 0; y < B->Height(); ++y)
    for (int x = 0; x < B->Width(); ++x)
      if (Match(GetPixel(dc, x, y) & 0xFFFFFF)) {
        ++e.N;
        e.MinX = std::min(e.MinX, x);
        e.MinY = std::min(e.MinY, y);
        e.MaxX = std::max(e.MaxX, x);
        e.MaxY = std::max(e.MaxY, y);
      }
  return e;
}

TEST(dxfLabel, NewLabelHasItsDefaults) {
  TdxfLabel l(nullptr);
  EXPECT_FALSE(l.ParentFont());
  EXPECT_FALSE(l.AutoSize());
  EXPECT_EQ(l.Style(), dxfNormal);
  EXPECT_EQ(l.Angle(), 0);
  EXPECT_EQ(l.PenWidth(), 1);
  EXPECT_TRUE(l.Glyph()->Empty());
  EXPECT_EQ(l.Effect3D()->Orientation(), dxfRightBottom);
  EXPECT_EQ(l.Effect3D()->ShadowedColor(), clGray);
  EXPECT_EQ(l.Effect3D()->Style(), dxfCool);
  EXPECT_EQ(l.Effect3D()->Depth(), 0);
}

TEST(dxfLabel, TextPixelsLieInsideTheTurnedBoxAtEachAngle) {
  for (int angle : {0, 30, 90, 360}) {
    LabelForm t;
    t.Label->SetAngle(angle);
    auto shot = t.Shot();
    SIZE s = TextSize(t.Label->Font(), "Comments");
    POINT o = t.Label->TextOrigin(s.cx, s.cy);
    const double a = angle * std::numbers::pi / 180.0;
    // Along the text (u) and down across it (v), in screen coordinates (y grows downwards).
    const double ux = std::cos(a), uy = -std::sin(a), vx = std::sin(a), vy = std::cos(a);
    int inside = 0, outside = 0;
    HDC dc = shot->Canvas()->Handle();
    for (int y = 0; y < shot->Height(); ++y)
      for (int x = 0; x < shot->Width(); ++x) {
        if (!Near(GetPixel(dc, x, y) & 0xFFFFFF, RGB(0, 0, 255), 100)) continue;
        const double px = x - o.x, py = y - o.y;
        const double along = px * ux + py * uy, across = px * vx + py * vy;
        if (along >= -3 && along <= s.cx + 3 && across >= -3 && across <= s.cy + 3)
          ++inside;
        else
          ++outside;
      }
    EXPECT_GT(inside, 100) << "angle " << angle;
    EXPECT_EQ(outside, 0) << "angle " << angle;
    // Centred: the ink's middle is near the label's middle.
    Extent e = Find(shot.get(), [](COLORREF p) { return Near(p, RGB(0, 0, 255), 100); });
    EXPECT_NEAR((e.MinX + e.MaxX) / 2.0, t.Label->Width() / 2.0, 12) << "angle " << angle;
    EXPECT_NEAR((e.MinY + e.MaxY) / 2.0, t.Label->Height() / 2.0, 12) << "angle " << angle;
  }
}

TEST(dxfLabel, AngleRulesIgnoreOutOfRangeValuesAndAcceptAFullTurn) {
  LabelForm t;
  t.Label->SetAngle(45);
  t.Label->SetAngle(361);
  EXPECT_EQ(t.Label->Angle(), 45);
  t.Label->SetAngle(-1);
  EXPECT_EQ(t.Label->Angle(), 45);
  t.Label->SetAngle(360);
  EXPECT_EQ(t.Label->Angle(), 360);
  // 360 draws as 0.
  auto full = t.Shot();
  t.Label->SetAngle(0);
  auto none = t.Shot();
  EXPECT_EQ(CountPixels(full.get(), RECT{0, 0, 240, 160}, RGB(0, 0, 255)),
            CountPixels(none.get(), RECT{0, 0, 240, 160}, RGB(0, 0, 255)));
}

struct EffectCase {
  const char* Name;
  TdxfEffectStyle Style;
  TdxfOrientation Orientation;
  int Depth;
  int DX, DY;   // where the red ink lies relative to the blue (its far edge)
};

TEST(dxfLabel, DepthEffectsDrawTheirCopiesTowardTheOrientation) {
  const std::vector<EffectCase> cases = {
      {"extrude top 3", dxfExtrude, dxfTop, 3, 0, -3},
      {"cool right-bottom 4", dxfCool, dxfRightBottom, 4, 4, 4},
      {"extrude left 2", dxfExtrude, dxfLeft, 2, -2, 0},
      {"cool depth 0", dxfCool, dxfRight, 0, 0, 0},
      {"fun depth 0", dxfFun, dxfRight, 0, 0, 0},
  };
  for (const EffectCase& c : cases) {
    LabelForm t;
    t.Label->Effect3D()->SetStyle(c.Style);
    t.Label->Effect3D()->SetOrientation(c.Orientation);
    t.Label->Effect3D()->SetDepth(uint16_t(c.Depth));
    t.Label->Effect3D()->SetShadowedColor(clRed);
    auto shot = t.Shot();
    Extent blue = Find(shot.get(), [](COLORREF p) { return Near(p, RGB(0, 0, 255)); });
    Extent red = Find(shot.get(), [](COLORREF p) { return Near(p, RGB(255, 0, 0)); });
    ASSERT_GT(blue.N, 50) << c.Name;
    if (c.Depth == 0) {
      EXPECT_EQ(red.N, 0) << c.Name;
      continue;
    }
    ASSERT_GT(red.N, 0) << c.Name;
    if (c.DY < 0) EXPECT_NEAR(red.MinY, blue.MinY + c.DY, 1) << c.Name;
    if (c.DY > 0) EXPECT_NEAR(red.MaxY, blue.MaxY + c.DY, 1) << c.Name;
    if (c.DX < 0) EXPECT_NEAR(red.MinX, blue.MinX + c.DX, 1) << c.Name;
    if (c.DX > 0) EXPECT_NEAR(red.MaxX, blue.MaxX + c.DX, 1) << c.Name;
  }
}

TEST(dxfLabel, FunFadesTowardSilverOnASystemColourAndTowardTheColourOtherwise) {
  for (TColor back : {clBtnFace, clWhite}) {
    LabelForm t;
    t.Label->SetColor(back);
    t.Label->Font()->SetHeight(-60);
    t.Label->Effect3D()->SetStyle(dxfFun);
    t.Label->Effect3D()->SetOrientation(dxfRight);
    t.Label->Effect3D()->SetDepth(3);
    t.Label->Effect3D()->SetShadowedColor(clBlack);
    auto shot = t.Shot();
    // The farthest copy is 2/3 of the way from black to the fade colour.
    const int farthest = back == clBtnFace ? 0xC0 * 2 / 3 : 0xFF * 2 / 3;
    Extent e = Find(shot.get(), [&](COLORREF p) {
      return std::abs(int(GetRValue(p)) - farthest) <= 2 && GetRValue(p) == GetGValue(p) && GetGValue(p) == GetBValue(p);
    });
    EXPECT_GT(e.N, 0) << ColorToString(back);
  }
}

TEST(dxfLabel, RaisedDrawsTheDarkCopyOnlyFromTwelvePoints) {
  for (int size : {10, 12}) {
    LabelForm t;
    t.Label->SetColor(clLime);
    t.Label->Font()->SetColor(clRed);
    t.Label->Font()->SetSize(size);
    t.Label->SetStyle(dxfRaised);
    auto shot = t.Shot();
    const COLORREF dark = RGBOf(clBtnShadow);
    Extent e = Find(shot.get(), [&](COLORREF p) { return Near(p, dark, 8); });
    if (size < 12)
      EXPECT_EQ(e.N, 0);
    else
      EXPECT_GT(e.N, 0);
    EXPECT_GT(CountPixels(shot.get(), RECT{0, 0, 240, 160}, RGBOf(clBtnHighlight)), 0);
  }
}

TEST(dxfLabel, OutlineAndLoweredStylesDraw) {
  LabelForm t;
  t.Label->Font()->SetHeight(-60);
  t.Label->SetStyle(dxfOutLine);
  t.Label->SetPenWidth(1);
  auto thin = t.Shot();
  t.Label->SetPenWidth(3);
  auto thick = t.Shot();
  Extent a = Find(thin.get(), [](COLORREF p) { return Near(p, RGB(0, 0, 255)); });
  Extent b = Find(thick.get(), [](COLORREF p) { return Near(p, RGB(0, 0, 255)); });
  EXPECT_GT(a.N, 50);
  EXPECT_GT(b.N, a.N);
  // Lowered takes the parent's colour and draws its face a third of the way to black.
  t.Label->SetStyle(dxfLowered);
  t.Label->SetParentColor(false);
  t.Label->SetColor(clWhite);
  auto low = t.Shot();
  EXPECT_TRUE(t.Label->ParentColor());
  EXPECT_EQ(t.Label->Color(), clAqua);
  const COLORREF face = RGB(0, 0xFF * 2 / 3, 0xFF * 2 / 3);
  EXPECT_GT(Find(low.get(), [&](COLORREF p) { return Near(p, face, 4); }).N, 0);
}

TEST(dxfLabel, TransparentLabelShowsWhatLiesBehind) {
  LabelForm t;
  t.Label->SetTransparent(true);
  auto shot = t.Shot();
  EXPECT_EQ(At(shot.get(), 2, 2), RGBOf(clAqua));
  EXPECT_GT(CountPixels(shot.get(), RECT{0, 0, 240, 160}, RGB(0, 0, 255)), 50);
  t.Label->SetTransparent(false);
  shot = t.Shot();
  EXPECT_EQ(At(shot.get(), 2, 2), RGBOf(clWhite));
}

TEST(dxfLabel, TexturedTextShowsTheGlyphInsideTheLetters) {
  LabelForm t;
  t.Label->Font()->SetHeight(-60);
  TBitmap g;
  g.SetPixelFormat(pf24bit);
  g.SetSize(4, 4);
  g.Canvas()->Brush()->SetColor(clRed);
  g.Canvas()->FillRect(RECT{0, 0, 4, 4});
  t.Label->SetGlyph(&g);
  auto shot = t.Shot();
  Extent red = Find(shot.get(), [](COLORREF p) { return p == RGB(255, 0, 0); });
  EXPECT_GT(red.N, 100);
  EXPECT_EQ(Find(shot.get(), [](COLORREF p) { return p == RGB(0, 0, 255); }).N, 0);
  EXPECT_EQ(At(shot.get(), 1, 1), RGBOf(clWhite));
}

TEST(dxfLabel, LabelsShareOneWorkBitmapThatGrowsToTheLargest) {
  LabelForm a(100, 40);
  LabelForm b(300, 60);
  a.Shot();
  b.Shot();
  a.Shot();
  EXPECT_GE(dxfWorkBitmap()->Width(), 300);
  EXPECT_GE(dxfWorkBitmap()->Height(), 60);
}

// This prefix has TrueType fonts only: a font named "Raster" stands for one that is not.
struct RasterSeam {
  bool (*Saved)(TFont*) = dxfIsTrueType;
  RasterSeam() {
    dxfIsTrueType = [](TFont* f) { return f->Name() != "Raster"; };
  }
  ~RasterSeam() { dxfIsTrueType = Saved; }
};

TEST(dxfLabel, NonTrueTypeFontsRefuseAnAngleButOnlyOnceAFormHasLoaded) {
  RasterSeam seam;
  const std::string raster = "Raster";
  Boxes.clear();
  Application->MessageBoxHook = [](const std::string& Text, const std::string&, UINT) {
    Boxes.push_back(Text);
    return IDOK;
  };
  {
    LabelForm t;
    t.Label->Font()->SetName(raster);
    t.Label->SetAngle(30);
    EXPECT_EQ(t.Label->Angle(), 0);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0], "The Angle property is applicable for the TrueType fonts only");
    t.Label->SetAngle(0);   // zero is always fine
    EXPECT_EQ(Boxes.size(), 1u);
  }
  // Read from a form: the angle comes before the font; no box while reading, and no window made.
  Boxes.clear();
  bool boxWhileReading = false;
  Owned<TForm> f(new TForm(nullptr));
  Application->MessageBoxHook = [&](const std::string& Text, const std::string&, UINT) {
    Boxes.push_back(Text);
    if (auto* l = dynamic_cast<TdxfLabel*>(f->FindComponent("lblRaster")))
      boxWhileReading = l->ComponentState().Contains(csReading);
    return IDOK;
  };
  ReadComponentFromText("object frmLabels: TForm\n"
                        "  object lblTrue: TdxfLabel\n"
                        "    Angle = 30\n"
                        "    Font.Name = 'Arial'\n"
                        "  end\n"
                        "  object lblRaster: TdxfLabel\n"
                        "    Angle = 30\n"
                        "    Font.Name = '" + raster + "'\n"
                        "  end\n"
                        "end\n",
                        f.get());
  EXPECT_FALSE(f->HandleAllocated());
  EXPECT_EQ(Boxes.size(), 1u);
  EXPECT_FALSE(boxWhileReading);
  EXPECT_EQ(dynamic_cast<TdxfLabel*>(f->FindComponent("lblTrue"))->Angle(), 30);
  EXPECT_EQ(dynamic_cast<TdxfLabel*>(f->FindComponent("lblRaster"))->Angle(), 0);
  Application->MessageBoxHook = nullptr;
}

TEST(dxfLabel, TheCommentDialogsTitleReadsFromAFormResource) {
  Owned<TForm> f(new TForm(nullptr));
  ReadComponentFromText("object frmComments: TForm\n"
                        "  object RotatedLabel: TdxfLabel\n"
                        "    Left = 8\n"
                        "    Top = 8\n"
                        "    Width = 200\n"
                        "    Height = 120\n"
                        "    AutoSize = False\n"
                        "    Caption = 'yOZ Comments'\n"
                        "    Font.Color = clBlue\n"
                        "    Font.Height = -27\n"
                        "    Font.Name = 'Comic Sans MS'\n"
                        "    Font.Style = [fsBold]\n"
                        "    ParentFont = False\n"
                        "    Transparent = True\n"
                        "    Style = dxfNormal\n"
                        "    Angle = 30\n"
                        "    Effect3D.Style = dxfCool\n"
                        "    Effect3D.Orientation = dxfRightBottom\n"
                        "    Effect3D.Depth = 5\n"
                        "    Effect3D.ShadowedColor = clGray\n"
                        "    PenWidth = 1\n"
                        "  end\n"
                        "end\n",
                        f.get());
  auto* l = dynamic_cast<TdxfLabel*>(f->FindComponent("RotatedLabel"));
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->Caption(), "yOZ Comments");
  EXPECT_EQ(l->Angle(), 30);
  EXPECT_EQ(l->Effect3D()->Depth(), 5);
  EXPECT_EQ(l->Effect3D()->Style(), dxfCool);
  EXPECT_EQ(l->Font()->Color(), clBlue);
  EXPECT_TRUE(l->Transparent());
  f->SetBorderStyle(bsNone);
  f->SetColor(clWhite);
  f->SetBounds(40, 40, 220, 140);
  f->Show();
  PumpUntilPainted(f->Handle());
  auto shot = PaintedControl(f.get());
  EXPECT_GT(Find(shot.get(), [](COLORREF p) { return Near(p, RGB(0, 0, 255)); }).N, 50);
  EXPECT_GT(Find(shot.get(), [](COLORREF p) { return Near(p, RGB(128, 128, 128), 20); }).N, 20);
}

}  // namespace
