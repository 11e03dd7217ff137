#include "dxfLabel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "Forms.h"

const TEnumInfo dxfLabelStyleNames{"TdxfLabelStyle", {"dxfNormal", "dxfRaised", "dxfLowered", "dxfOutLine"}};
const TEnumInfo dxfEffectStyleNames{"TdxfEffectStyle", {"dxfFun", "dxfExtrude", "dxfCool"}};
const TEnumInfo dxfOrientationNames{"TdxfOrientation",
                                    {"dxfLeft", "dxfRight", "dxfTop", "dxfBottom", "dxfLeftTop", "dxfLeftBottom",
                                     "dxfRightTop", "dxfRightBottom"}};

namespace {

TBitmap* WorkBitmap = nullptr;

bool IsSystemColor(TColor C) { return (uint32_t(C) & 0x80000000u) != 0; }

// The colour Num/Den of the way from C1 to C2, each channel truncated.
TColor Blend(TColor C1, TColor C2, int Num, int Den) {
  COLORREF a = ColorToRGB(C1), b = ColorToRGB(C2);
  auto mix = [&](int shift) {
    int x = int((a >> shift) & 0xFF), y = int((b >> shift) & 0xFF);
    return (x + (y - x) * Num / Den) & 0xFF;
  };
  return TColor(mix(0) | (mix(8) << 8) | (mix(16) << 16));
}

int Sign(int V) { return V > 0 ? 1 : V < 0 ? -1 : 0; }

}  // namespace

TBitmap* dxfWorkBitmap() {
  if (!WorkBitmap) WorkBitmap = new TBitmap();
  return WorkBitmap;
}

namespace {
bool MeasureTrueType(TFont* Font) {
  TMemoryDC dc(nullptr, Font->Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc.DC, &tm);
  return (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
}
}  // namespace

bool (*dxfIsTrueType)(TFont* Font) = MeasureTrueType;

// ---------------------------------------------------------------------------------------------------
// Tdxf3DEffect

void Tdxf3DEffect::Changed() {
  if (FOwner) FOwner->Invalidate();
}

void Tdxf3DEffect::SetStyle(TdxfEffectStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void Tdxf3DEffect::SetOrientation(TdxfOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  Changed();
}

void Tdxf3DEffect::SetDepth(uint16_t Value) {
  if (Value == FDepth) return;
  FDepth = Value;
  Changed();
}

void Tdxf3DEffect::SetShadowedColor(TColor Value) {
  if (Value == FShadowedColor) return;
  FShadowedColor = Value;
  Changed();
}

void Tdxf3DEffect::Assign(TPersistent* Source) {
  auto* e = dynamic_cast<Tdxf3DEffect*>(Source);
  if (!e) {
    TPersistent::Assign(Source);
    return;
  }
  FStyle = e->FStyle;
  FOrientation = e->FOrientation;
  FDepth = e->FDepth;
  FShadowedColor = e->FShadowedColor;
  Changed();
}

void Tdxf3DEffect::Publish(TPublisher<Tdxf3DEffect>& p) {
  p.Enum("Style", dxfEffectStyleNames, &Tdxf3DEffect::Style, &Tdxf3DEffect::SetStyle);
  p.Enum("Orientation", dxfOrientationNames, &Tdxf3DEffect::Orientation, &Tdxf3DEffect::SetOrientation);
  p.Int("Depth", &Tdxf3DEffect::Depth, &Tdxf3DEffect::SetDepth);
  p.Int("ShadowedColor", &Tdxf3DEffect::ShadowedColor, &Tdxf3DEffect::SetShadowedColor).Idents(ColorIdentMap());
}

// ---------------------------------------------------------------------------------------------------
// TdxfLabel

TdxfLabel::TdxfLabel(TComponent* AOwner) : TCustomLabel(AOwner) {
  FParentFont = false;
  FAutoSize = false;
  FEffect3D = new Tdxf3DEffect(this);
  FGlyph = new TBitmap();
}

TdxfLabel::~TdxfLabel() {
  TObject::Free(FEffect3D);
  TObject::Free(FGlyph);
}

void TdxfLabel::SetStyle(TdxfLabelStyle Value) {
  FStyle = Value;
  Invalidate();
}

void TdxfLabel::RefuseAngle() {
  MessageBeep(MB_ICONHAND);
  if (Application) Application->MessageBox("The Angle property is applicable for the TrueType fonts only",
                                           Application->Title(), MB_OK | MB_ICONERROR);
}

void TdxfLabel::SetAngle(int Value) {
  // While a form is read the font may still come: the check waits for Loaded.
  bool reading = FComponentState.Contains(csLoading) || FComponentState.Contains(csReading);
  if (Value != 0 && !reading && !dxfIsTrueType(Font())) {
    RefuseAngle();
    return;
  }
  if (Value == FAngle || Value < 0 || Value > 360) return;
  FAngle = Value;
  Invalidate();
}

void TdxfLabel::Loaded() {
  TCustomLabel::Loaded();
  if (FAngle != 0 && !dxfIsTrueType(Font())) {
    FAngle = 0;
    RefuseAngle();
  }
}

void TdxfLabel::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Invalidate();
}

void TdxfLabel::SetPenWidth(int Value) {
  if (Value == FPenWidth) return;
  FPenWidth = Value;
  if (FStyle == dxfOutLine) Invalidate();
}

POINT TdxfLabel::TextOrigin(int TW, int TH) const {
  const double a = FAngle * std::numbers::pi / 180.0;
  const int cx = Width() / 2, cy = Height() / 2;
  // nearbyint rounds halves to the even neighbour, as the layout expects.
  auto round = [](double v) { return int(std::nearbyint(v)); };
  return POINT{cx - round(std::cos(a) * TW / 2) - round(std::sin(a) * TH / 2),
               cy + round(std::sin(a) * TW / 2) - round(std::cos(a) * TH / 2)};
}

namespace {

void TextAt(TCanvas* C, POINT At, const std::string& Text, TColor Colour) {
  C->Font()->SetColor(Colour);
  C->TextOut(At.x, At.y, Text);
}

// The step from the caption towards its shadow, Depth pixels along each axis the orientation names.
POINT EffectStep(TdxfOrientation Orientation, int Depth) {
  switch (Orientation) {
    case dxfLeft: return POINT{-Depth, 0};
    case dxfRight: return POINT{Depth, 0};
    case dxfTop: return POINT{0, -Depth};
    case dxfBottom: return POINT{0, Depth};
    case dxfLeftTop: return POINT{-Depth, -Depth};
    case dxfLeftBottom: return POINT{-Depth, Depth};
    case dxfRightTop: return POINT{Depth, -Depth};
    case dxfRightBottom: return POINT{Depth, Depth};
  }
  return POINT{0, 0};
}

}  // namespace

// The label is drawn on the shared work bitmap, then copied (or, when transparent, laid) onto its own
// canvas: the shadow, the face in its style, then the glyph seen through the caption's shape.
void TdxfLabel::Paint() {
  const int W = Width(), H = Height();
  if (W <= 0 || H <= 0) return;
  TBitmap* work = dxfWorkBitmap();
  if (work->Width() < W || work->Height() < H)
    work->SetSize(std::max<int>(work->Width(), W), std::max<int>(work->Height(), H));
  TCanvas* C = work->Canvas();
  C->SetFont(Font());

  const bool tt = dxfIsTrueType(Font());
  const bool useGlyph = !FGlyph->Empty() && tt;
  const std::string text = Caption();
  const SIZE ext = C->TextExtent(text);
  C->Font()->SetOrientation(((FAngle % 360 + 360) % 360) * 10);
  const POINT o = TextOrigin(ext.cx, ext.cy);

  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Color());
  C->FillRect(RECT{0, 0, work->Width(), work->Height()});
  C->Brush()->SetStyle(bsClear);

  PaintEffect(C, text, o);
  PaintFace(C, text, o, tt, useGlyph);
  if (useGlyph && FGlyph->Width() >= 1 && FGlyph->Height() >= 1) PaintGlyph(C, text, o);
  SelectClipRgn(C->Handle(), nullptr);

  TCanvas* L = Canvas();
  const RECT r{0, 0, W, H};
  if (Transparent()) {
    L->Brush()->SetStyle(bsClear);
    L->BrushCopy(r, work, r, Color());
    L->Brush()->SetStyle(bsSolid);
  } else {
    BitBlt(L->Handle(), 0, 0, W, H, C->Handle(), 0, 0, SRCCOPY);
  }
}

// The 3D effect: one shadow at full depth (cool), or one for each pixel of the way (extrude), fading into
// the background colour (fun).
void TdxfLabel::PaintEffect(TCanvas* C, const std::string& Text, POINT O) {
  const int D = FEffect3D->Depth();
  if (D == 0) return;
  const POINT step = EffectStep(FEffect3D->Orientation(), D);
  const TColor shadow = FEffect3D->ShadowedColor();
  if (FEffect3D->Style() == dxfCool) {
    TextAt(C, POINT{O.x + step.x, O.y + step.y}, Text, shadow);
    return;
  }
  const TColor back = IsSystemColor(Color()) ? clSilver : Color();
  const int n = std::max(std::abs(step.x), std::abs(step.y)), sx = Sign(step.x), sy = Sign(step.y);
  for (int k = n; k >= 1; --k)
    TextAt(C, POINT{O.x + sx * k, O.y + sy * k}, Text,
           FEffect3D->Style() == dxfFun ? Blend(shadow, back, k - 1, n) : shadow);
}

// The caption itself in the label's style; with a glyph the face is left to the glyph.
void TdxfLabel::PaintFace(TCanvas* C, const std::string& Text, POINT O, bool TrueType, bool UseGlyph) {
  const TColor face = Font()->Color();
  C->Font()->SetColor(face);
  switch (FStyle) {
    case dxfNormal:
      if (!UseGlyph) TextAt(C, O, Text, face);
      break;
    case dxfRaised:
      TextAt(C, O, Text, clBtnHighlight);
      if (Font()->Size() >= 12) TextAt(C, POINT{O.x + 2, O.y + 2}, Text, clBtnShadow);
      if (!UseGlyph) TextAt(C, POINT{O.x + 1, O.y + 1}, Text, face);
      break;
    case dxfLowered: {
      TextAt(C, POINT{O.x + 2, O.y + 2}, Text, clBtnHighlight);
      if (!ParentColor()) SetParentColor(true);
      const TColor dark = IsSystemColor(Color()) ? clBtnShadow : Blend(Color(), clBlack, 1, 3);
      if (!UseGlyph) TextAt(C, POINT{O.x + 1, O.y + 1}, Text, dark);
      break;
    }
    case dxfOutLine:
      if (TrueType) PaintOutline(C, Text, O, face);
      else TextAt(C, O, Text, face);
      break;
  }
}

void TdxfLabel::PaintOutline(TCanvas* C, const std::string& Text, POINT O, TColor Colour) {
  BeginPath(C->Handle());
  C->TextOut(O.x, O.y, Text);
  EndPath(C->Handle());
  {
    // The outline's own pen: the canvas puts its pen into the context only for its line calls.
    TGdiObject<HPEN> pen(CreatePen(PS_SOLID, FPenWidth, ColorToRGB(Colour)));
    TSelectObject select(C->Handle(), pen.Handle);
    StrokePath(C->Handle());
  }
  C->Pen()->SetWidth(1);
}

// The glyph tiled over the label, clipped to the caption's shape (the clip is lifted by Paint).
void TdxfLabel::PaintGlyph(TCanvas* C, const std::string& Text, POINT O) {
  const int at = FStyle == dxfNormal ? 0 : 1;
  BeginPath(C->Handle());
  C->TextOut(O.x + at, O.y + at, Text);
  EndPath(C->Handle());
  SelectClipPath(C->Handle(), RGN_COPY);
  for (int x = 0; x < Width(); x += FGlyph->Width())
    for (int y = 0; y < Height(); y += FGlyph->Height()) C->Draw(x, y, FGlyph);
}

void TdxfLabel::Publish(TPublisher<TdxfLabel>& p) {
  p.Enum("Style", dxfLabelStyleNames, &TdxfLabel::Style, &TdxfLabel::SetStyle);
  p.Int("Angle", &TdxfLabel::Angle, &TdxfLabel::SetAngle);
  p.Object("Effect3D", &TdxfLabel::Effect3D);
  p.Object("Glyph", &TdxfLabel::Glyph);
  p.Int("PenWidth", &TdxfLabel::PenWidth, &TdxfLabel::SetPenWidth);
  p.Bool("AutoSize", &TdxfLabel::AutoSize, &TdxfLabel::SetAutoSize).Default(0);
  p.Bool("ParentFont", &TdxfLabel::ParentFont, &TdxfLabel::SetParentFont).Default(0);
}

void dxfLabelInitialize() { RegisterClass(TdxfLabel::StaticClass()); }

void dxfLabelFinalize() {
  TObject::Free(WorkBitmap);
  WorkBitmap = nullptr;
}
