#include "Graphics.h"

#include "Jpeg.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------------------
// Colours

namespace {

struct ColorIdent {
  TColor Value;
  const char* Name;
};

// The order decides which name an aliased value gets (clSilver before clLtGray).
const ColorIdent ColorIdents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

}  // namespace

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(int(color & 0xFF));
  return COLORREF(color);
}

const TIdentMap& ColorIdentMap() {
  static const TIdentMap map = [] {
    TIdentMap m;
    for (const auto& c : ColorIdents) m.emplace_back(c.Name, c.Value);
    return m;
  }();
  return map;
}

bool ColorToIdent(int32_t color, std::string& ident) {
  for (const auto& c : ColorIdents)
    if (c.Value == color) {
      ident = c.Name;
      return true;
    }
  return false;
}

bool IdentToColor(const std::string& ident, int32_t& color) {
  for (const auto& c : ColorIdents)
    if (SameText(ident, c.Name)) {
      color = c.Value;
      return true;
    }
  return false;
}

std::string ColorToString(TColor color) {
  std::string s;
  if (ColorToIdent(color, s)) return s;
  return "$" + IntToHex(uint32_t(color), 8);
}

TColor StringToColor(const std::string& s) {
  int32_t c;
  if (IdentToColor(s, c)) return c;
  return StrToInt(s);
}

// ---------------------------------------------------------------------------------------------------
// Fonts, brushes, pens

void TGraphicsObject::Changed() { OnChange(this); }

namespace {

int ScreenPixelsPerInch() {
  static int ppi = [] {
    HDC dc = GetDC(nullptr);
    int v = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return v > 0 ? v : 96;
  }();
  return ppi;
}

const TEnumInfo FontStyleNames{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
const TEnumInfo FontPitchNames{"TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}};
const TEnumInfo BrushStyleNames{"TBrushStyle",
                                {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                 "bsBDiagonal", "bsCross", "bsDiagCross"}};
const TEnumInfo PenModeNames{"TPenMode",
                             {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                              "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge",
                              "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"}};

// Form resources name character sets the way the Windows headers do.
const TIdentMap CharsetIdents = {
    {"ANSI_CHARSET", ANSI_CHARSET},         {"DEFAULT_CHARSET", DEFAULT_CHARSET},
    {"SYMBOL_CHARSET", SYMBOL_CHARSET},     {"MAC_CHARSET", MAC_CHARSET},
    {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET}, {"HANGEUL_CHARSET", HANGEUL_CHARSET},
    {"JOHAB_CHARSET", JOHAB_CHARSET},       {"GB2312_CHARSET", GB2312_CHARSET},
    {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET}, {"GREEK_CHARSET", GREEK_CHARSET},
    {"TURKISH_CHARSET", TURKISH_CHARSET},   {"VIETNAMESE_CHARSET", VIETNAMESE_CHARSET},
    {"HEBREW_CHARSET", HEBREW_CHARSET},     {"ARABIC_CHARSET", ARABIC_CHARSET},
    {"BALTIC_CHARSET", BALTIC_CHARSET},     {"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
    {"THAI_CHARSET", THAI_CHARSET},         {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
    {"OEM_CHARSET", OEM_CHARSET},
};

}  // namespace

TFont::TFont() : FName("MS Sans Serif"), FPixelsPerInch(ScreenPixelsPerInch()) {
  FHeight = -MulDiv(8, FPixelsPerInch, 72);
}

TFont::~TFont() { FreeHandle(); }

void TFont::Publish(TPublisher<TFont>& p) {
  p.Int("Charset", &TFont::Charset, &TFont::SetCharset).Default(DEFAULT_CHARSET).Idents(CharsetIdents);
  p.Int("Color", &TFont::Color, &TFont::SetColor).Default(clWindowText).Idents(ColorIdentMap());
  p.Int("Height", &TFont::Height, &TFont::SetHeight);
  p.Str("Name", &TFont::Name, &TFont::SetName);
  p.Enum("Pitch", FontPitchNames, &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  p.Int("Size", &TFont::Size, &TFont::SetSize).Stored(false);
  p.Set("Style", FontStyleNames, &TFont::Style, &TFont::SetStyle);
}

void TFont::FreeHandle() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

// The old handle may still be selected into a canvas: the canvas drops it while OnChange runs, and
// only then is it freed.
void TFont::DescriptionChanged() {
  HFONT old = FHandle;
  FHandle = nullptr;
  Changed();
  if (old) DeleteObject(old);
}

LOGFONTA TFont::LogFont() const {
  LOGFONTA lf{};
  lf.lfHeight = FHeight;
  lf.lfEscapement = FOrientation;
  lf.lfOrientation = FOrientation;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic);
  lf.lfUnderline = FStyle.Contains(fsUnderline);
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
  lf.lfCharSet = FCharset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = FPitch == fpVariable ? VARIABLE_PITCH : FPitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
  lstrcpynA(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
  return lf;
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTA lf = LogFont();
    FHandle = CreateFontIndirectA(&lf);
  }
  return FHandle;
}

void TFont::SetHandle(HFONT value) {
  if (value == FHandle) return;
  LOGFONTA lf{};
  if (value && GetObjectA(value, sizeof lf, &lf) == int(sizeof lf)) {
    FName = lf.lfFaceName;
    FHeight = lf.lfHeight;
    FOrientation = lf.lfEscapement;
    TFontStyles st;
    if (lf.lfWeight >= FW_BOLD) st.Include(fsBold);
    if (lf.lfItalic) st.Include(fsItalic);
    if (lf.lfUnderline) st.Include(fsUnderline);
    if (lf.lfStrikeOut) st.Include(fsStrikeOut);
    FStyle = st;
    FCharset = lf.lfCharSet;
    int pitch = lf.lfPitchAndFamily & 3;
    FPitch = pitch == VARIABLE_PITCH ? fpVariable : pitch == FIXED_PITCH ? fpFixed : fpDefault;
  }
  HFONT old = FHandle;
  FHandle = value;
  Changed();
  if (old) DeleteObject(old);
}

void TFont::SetName(const std::string& value) {
  if (value.empty() || value == FName) return;
  FName = value;
  DescriptionChanged();
}

int32_t TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int32_t value) { SetHeight(-MulDiv(value, FPixelsPerInch, 72)); }

void TFont::SetHeight(int32_t value) {
  if (value == FHeight) return;
  FHeight = value;
  DescriptionChanged();
}

void TFont::SetStyle(TFontStyles value) {
  if (value == FStyle) return;
  FStyle = value;
  DescriptionChanged();
}

// The colour is not part of the GDI font: no new handle, but the canvas must set its text colour.
void TFont::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

void TFont::SetCharset(TFontCharset value) {
  if (value == FCharset) return;
  FCharset = value;
  DescriptionChanged();
}

void TFont::SetPitch(TFontPitch value) {
  if (value == FPitch) return;
  FPitch = value;
  DescriptionChanged();
}

void TFont::SetOrientation(int32_t value) {
  if (value == FOrientation) return;
  FOrientation = value;
  DescriptionChanged();
}

void TFont::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TFont*>(source)) {
    if (f == this) return;
    FName = f->FName;
    // The size in points is what carries over between devices of different resolution.
    FHeight = f->FPixelsPerInch == FPixelsPerInch ? f->FHeight : -MulDiv(f->Size(), FPixelsPerInch, 72);
    FStyle = f->FStyle;
    FColor = f->FColor;
    FCharset = f->FCharset;
    FPitch = f->FPitch;
    FOrientation = f->FOrientation;
    DescriptionChanged();
    return;
  }
  TGraphicsObject::Assign(source);
}

TBrush::TBrush() = default;
TBrush::~TBrush() { FreeHandle(); }

void TBrush::Publish(TPublisher<TBrush>& p) {
  p.Int("Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite).Idents(ColorIdentMap());
  p.Enum("Style", BrushStyleNames, &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::FreeHandle() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TBrush::DescriptionChanged() {
  HBRUSH old = FHandle;
  FHandle = nullptr;
  Changed();
  if (old) DeleteObject(old);
}

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    if (FBitmap && !FBitmap->Empty()) {
      FHandle = CreatePatternBrush(FBitmap->Handle());
    } else {
      LOGBRUSH lb{};
      lb.lbColor = ColorToRGB(FColor);
      switch (FStyle) {
        case bsSolid: lb.lbStyle = BS_SOLID; break;
        case bsClear: lb.lbStyle = BS_NULL; break;
        default: {
          static const int hatch[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS,
                                      HS_DIAGCROSS};
          lb.lbStyle = BS_HATCHED;
          lb.lbHatch = hatch[FStyle - bsHorizontal];
        }
      }
      FHandle = CreateBrushIndirect(&lb);
    }
  }
  return FHandle;
}

// The brush takes the handle over (freeing a stock or system-colour brush is harmless).
void TBrush::SetHandle(HBRUSH value) {
  if (value == FHandle) return;
  HBRUSH old = FHandle;
  FHandle = value;
  FBitmap = nullptr;
  LOGBRUSH lb{};
  if (value && GetObjectA(value, sizeof lb, &lb) == int(sizeof lb)) {
    if (lb.lbStyle == BS_NULL)
      FStyle = bsClear;
    else if (lb.lbStyle == BS_SOLID) {
      FStyle = bsSolid;
      FColor = TColor(lb.lbColor);
    }
  }
  Changed();
  if (old) DeleteObject(old);
}

// Giving a clear brush a colour makes it solid again: painting code sets a colour to fill with it.
void TBrush::SetColor(TColor value) {
  if (value == FColor && FStyle != bsClear) return;
  FColor = value;
  if (FStyle == bsClear) FStyle = bsSolid;
  DescriptionChanged();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == FStyle && !FBitmap) return;
  FStyle = value;
  FBitmap = nullptr;
  DescriptionChanged();
}

void TBrush::SetBitmap(TBitmap* value) {
  if (value == FBitmap) return;
  FBitmap = value;
  DescriptionChanged();
}

void TBrush::Assign(TPersistent* source) {
  if (auto* b = dynamic_cast<TBrush*>(source)) {
    if (b == this) return;
    FColor = b->FColor;
    FStyle = b->FStyle;
    FBitmap = b->FBitmap;
    DescriptionChanged();
    return;
  }
  TGraphicsObject::Assign(source);
}

TPen::TPen() = default;
TPen::~TPen() { FreeHandle(); }

const TEnumInfo PenStyleNames{"TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                                            "psClear", "psInsideFrame"}};

void TPen::Publish(TPublisher<TPen>& p) {
  p.Int("Color", &TPen::Color, &TPen::SetColor).Default(clBlack).Idents(ColorIdentMap());
  p.Enum("Mode", PenModeNames, &TPen::Mode, &TPen::SetMode).Default(pmCopy);
  p.Enum("Style", PenStyleNames, &TPen::Style, &TPen::SetStyle).Default(psSolid);
  p.Int("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TPen::FreeHandle() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TPen::DescriptionChanged() {
  HPEN old = FHandle;
  FHandle = nullptr;
  Changed();
  if (old) DeleteObject(old);
}

HPEN TPen::Handle() {
  if (!FHandle) {
    static const UINT styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    LOGPEN lp{};
    lp.lopnStyle = styles[FStyle];
    lp.lopnWidth.x = FWidth;
    lp.lopnColor = ColorToRGB(FColor);
    FHandle = CreatePenIndirect(&lp);
  }
  return FHandle;
}

void TPen::SetHandle(HPEN value) {
  if (value == FHandle) return;
  LOGPEN lp{};
  if (value && GetObjectA(value, sizeof lp, &lp) == int(sizeof lp)) {
    FColor = TColor(lp.lopnColor);
    FWidth = lp.lopnWidth.x;
    switch (lp.lopnStyle) {
      case PS_DASH: FStyle = psDash; break;
      case PS_DOT: FStyle = psDot; break;
      case PS_DASHDOT: FStyle = psDashDot; break;
      case PS_DASHDOTDOT: FStyle = psDashDotDot; break;
      case PS_NULL: FStyle = psClear; break;
      case PS_INSIDEFRAME: FStyle = psInsideFrame; break;
      default: FStyle = psSolid;
    }
  }
  HPEN old = FHandle;
  FHandle = value;
  Changed();
  if (old) DeleteObject(old);
}

void TPen::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  DescriptionChanged();
}

void TPen::SetWidth(int32_t value) {
  if (value < 0 || value == FWidth) return;
  FWidth = value;
  DescriptionChanged();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  DescriptionChanged();
}

// The mode is the canvas's mix mode, not part of the GDI pen: the handle stays.
void TPen::SetMode(TPenMode value) {
  if (value == FMode) return;
  FMode = value;
  Changed();
}

void TPen::Assign(TPersistent* source) {
  if (auto* p = dynamic_cast<TPen*>(source)) {
    if (p == this) return;
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    DescriptionChanged();
    return;
  }
  TGraphicsObject::Assign(source);
}

// ---------------------------------------------------------------------------------------------------
// The canvas

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
  InitializeCriticalSection(&FLock);
  FFont->OnChange = Bind(this, &TCanvas::FontChanged);
  FPen->OnChange = Bind(this, &TCanvas::PenChanged);
  FBrush->OnChange = Bind(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  delete FFont;
  delete FPen;
  delete FBrush;
  DeleteCriticalSection(&FLock);
}

HDC TCanvas::Handle() {
  RequiredState(csHandleValid);
  return FHandle;
}

void TCanvas::SetHandle(HDC value) {
  if (value == FHandle) return;
  if (FHandle) {
    DeselectHandles();
    POINT p;
    if (GetCurrentPositionEx(FHandle, &p)) FPenPos = p;
    FHandle = nullptr;
    FState = 0;
  }
  if (value) {
    FHandle = value;
    FState = csHandleValid;
    MoveToEx(FHandle, FPenPos.x, FPenPos.y, nullptr);
  }
}

void TCanvas::DeselectHandles() {
  if (!FHandle || !(FState & (csFontValid | csPenValid | csBrushValid))) return;
  SelectObject(FHandle, GetStockObject(BLACK_PEN));
  SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  FState &= uint8_t(~(csFontValid | csPenValid | csBrushValid));
}

void TCanvas::RequiredState(uint8_t state) {
  uint8_t needed = state & uint8_t(~FState);
  if (!needed) return;
  if (needed & csHandleValid) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
    FState |= csHandleValid;
  }
  if (needed & csFontValid) UseFont();
  if (needed & csPenValid) UsePen();
  if (needed & csBrushValid) UseBrush();
}

void TCanvas::UseFont() {
  SelectObject(FHandle, FFont->Handle());
  SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  FState |= csFontValid;
}

void TCanvas::UsePen() {
  static const int rop2[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                             R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,
                             R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
  SelectObject(FHandle, FPen->Handle());
  SetROP2(FHandle, rop2[FPen->Mode()]);
  FState |= csPenValid;
}

// A solid brush also gives text its background; any other brush leaves text transparent.
void TCanvas::UseBrush() {
  HBRUSH b = FBrush->Handle();
  UnrealizeObject(b);
  SelectObject(FHandle, b);
  if (FBrush->Style() == bsSolid) {
    SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
    SetBkMode(FHandle, OPAQUE);
  } else {
    SetBkColor(FHandle, ~ColorToRGB(FBrush->Color()) & 0xFFFFFF);
    SetBkMode(FHandle, TRANSPARENT);
  }
  FState |= csBrushValid;
}

void TCanvas::FontChanged(TObject*) {
  if (FState & csFontValid) {
    FState &= uint8_t(~csFontValid);
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
}

void TCanvas::PenChanged(TObject*) {
  if (FState & csPenValid) {
    FState &= uint8_t(~csPenValid);
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (FState & csBrushValid) {
    FState &= uint8_t(~csBrushValid);
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  }
}

void TCanvas::Changing() { OnChanging(this); }
void TCanvas::Changed() { OnChange(this); }

POINT TCanvas::PenPos() {
  RequiredState(csHandleValid);
  POINT p{};
  GetCurrentPositionEx(FHandle, &p);
  return p;
}

void TCanvas::SetPenPos(POINT value) { MoveTo(value.x, value.y); }

RECT TCanvas::ClipRect() {
  RequiredState(csHandleValid);
  RECT r{};
  GetClipBox(FHandle, &r);
  return r;
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState(csHandleValid);
  MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::LineTo(FHandle, x, y);
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Rectangle(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Ellipse(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Polygon(const POINT* points, int count) {
  if (count <= 0) return;
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Polygon(FHandle, points, count);
  Changed();
}

void TCanvas::Polyline(const POINT* points, int count) {
  if (count <= 0) return;
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Polyline(FHandle, points, count);
  Changed();
}

void TCanvas::FillRect(const RECT& r) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  ::FillRect(FHandle, &r, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const RECT& r) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  ::FrameRect(FHandle, &r, FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const RECT& r) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  ::DrawFocusRect(FHandle, &r);
  Changed();
}

void TCanvas::FloodFill(int x, int y, TColor color, bool surface) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  ExtFloodFill(FHandle, x, y, ColorToRGB(color), surface ? FLOODFILLSURFACE : FLOODFILLBORDER);
  Changed();
}

// The pen ends after the text, as a run of TextOut calls expects.
void TCanvas::TextOut(int x, int y, const std::string& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  ExtTextOutA(FHandle, x, y, 0, nullptr, text.data(), UINT(text.size()), nullptr);
  SIZE sz{};
  GetTextExtentPoint32A(FHandle, text.data(), int(text.size()), &sz);
  MoveToEx(FHandle, x + sz.cx, y, nullptr);
  Changed();
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::string& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  UINT options = ETO_CLIPPED;
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(FHandle, x, y, options, &r, text.data(), UINT(text.size()), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& text) {
  RequiredState(csHandleValid | csFontValid);
  SIZE sz{};
  GetTextExtentPoint32A(FHandle, text.data(), int(text.size()), &sz);
  return sz;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  RECT r{x, y, x + graphic->Width(), y + graphic->Height()};
  graphic->Draw(this, r);
}

void TCanvas::StretchDraw(const RECT& r, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  graphic->Draw(this, r);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* canvas, const RECT& source) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  canvas->RequiredState(csHandleValid | csBrushValid);
  int oldMode = SetStretchBltMode(FHandle, COLORONCOLOR);
  StretchBlt(FHandle, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, canvas->FHandle,
             source.left, source.top, source.right - source.left, source.bottom - source.top, FCopyMode);
  SetStretchBltMode(FHandle, oldMode);
  Changed();
}

BITMAPINFOHEADER DibHeader(int Width, int Height, int BitCount) {
  BITMAPINFOHEADER bh{};
  bh.biSize = sizeof bh;
  bh.biWidth = Width;
  bh.biHeight = Height;
  bh.biPlanes = 1;
  bh.biBitCount = WORD(BitCount);
  bh.biCompression = BI_RGB;
  return bh;
}

void MaskedBlt(HDC dest, const RECT& r, HDC src, int sx, int sy, int sw, int sh, COLORREF transparent) {
  if (sw <= 0 || sh <= 0) return;
  HDC maskDC = CreateCompatibleDC(dest);
  HBITMAP mask = CreateBitmap(sw, sh, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  // Pixels of the transparent colour become 1 (white) in the mask.
  COLORREF oldBk = SetBkColor(src, transparent);
  BitBlt(maskDC, 0, 0, sw, sh, src, sx, sy, SRCCOPY);
  SetBkColor(src, oldBk);

  // A copy of the source with the transparent pixels made black.
  HDC imgDC = CreateCompatibleDC(dest);
  HBITMAP img = CreateCompatibleBitmap(dest, sw, sh);
  HGDIOBJ oldImg = SelectObject(imgDC, img);
  BitBlt(imgDC, 0, 0, sw, sh, src, sx, sy, SRCCOPY);
  SetBkColor(imgDC, RGB(255, 255, 255));
  SetTextColor(imgDC, RGB(0, 0, 0));
  BitBlt(imgDC, 0, 0, sw, sh, maskDC, 0, 0, 0x00220326);  // D and not S

  // Opaque pixels of the destination become black, then the image is merged in.
  int w = r.right - r.left, h = r.bottom - r.top;
  COLORREF oldDestBk = SetBkColor(dest, RGB(255, 255, 255));
  COLORREF oldDestText = SetTextColor(dest, RGB(0, 0, 0));
  int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
  StretchBlt(dest, r.left, r.top, w, h, maskDC, 0, 0, sw, sh, SRCAND);
  StretchBlt(dest, r.left, r.top, w, h, imgDC, 0, 0, sw, sh, SRCPAINT);
  SetStretchBltMode(dest, oldMode);
  SetBkColor(dest, oldDestBk);
  SetTextColor(dest, oldDestText);

  SelectObject(imgDC, oldImg);
  DeleteObject(img);
  DeleteDC(imgDC);
  SelectObject(maskDC, oldMask);
  DeleteObject(mask);
  DeleteDC(maskDC);
}

void TCanvas::BrushCopy(const RECT& dest, TBitmap* bitmap, const RECT& source, TColor color) {
  if (!bitmap || bitmap->Empty()) return;
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  if (FBrush->Style() != bsClear) ::FillRect(FHandle, &dest, FBrush->Handle());
  MaskedBlt(FHandle, dest, bitmap->CanvasDC(), source.left, source.top, source.right - source.left,
            source.bottom - source.top, ColorToRGB(color));
  Changed();
}

TColor TCanvas::Pixels(int x, int y) {
  RequiredState(csHandleValid);
  return TColor(GetPixel(FHandle, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  RequiredState(csHandleValid | csPenValid);
  SetPixel(FHandle, x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::Lock() {
  EnterCriticalSection(&FLock);
  ++FLockCount;
}

bool TCanvas::TryLock() {
  if (!TryEnterCriticalSection(&FLock)) return false;
  ++FLockCount;
  return true;
}

void TCanvas::Unlock() {
  --FLockCount;
  LeaveCriticalSection(&FLock);
}

void TCanvas::Refresh() {
  DeselectHandles();
}

// ---------------------------------------------------------------------------------------------------
// Pictures

void TGraphic::Changed() {
  FModified = true;
  OnChange(this);
}

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed();
  else
    FModified = false;
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

void TGraphic::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  TResourceStream stream(instance, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  LoadFromStream(&stream);
}

void TGraphic::LoadFromResourceID(HINSTANCE instance, int id) {
  LoadFromResourceName(instance, "#" + IntToStr(int32_t(id)));
}

void TGraphic::DefineProperties(TFiler* filer) {
  filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { LoadFromStream(s); }, [this](TStream* s) { SaveToStream(s); }, !Empty());
}

namespace {

// A device context of the screen for the calls that want one.
struct ScreenDC {
  HDC DC = GetDC(nullptr);
  ~ScreenDC() { ReleaseDC(nullptr, DC); }
};

struct BitmapInfo256 {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];
};

int BitsOf(TPixelFormat f) {
  switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
  }
}

// The palette a new paletted bitmap starts with: black and white, the 16 VGA colours, or a colour cube
// with a grey ramp.
int DefaultPalette(int bits, RGBQUAD* colors) {
  if (bits == 1) {
    colors[0] = RGBQUAD{0, 0, 0, 0};
    colors[1] = RGBQUAD{255, 255, 255, 0};
    return 2;
  }
  if (bits == 4) {
    static const COLORREF vga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int i = 0; i < 16; ++i)
      colors[i] = RGBQUAD{GetBValue(vga[i]), GetGValue(vga[i]), GetRValue(vga[i]), 0};
    return 16;
  }
  int n = 0;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) colors[n++] = RGBQUAD{BYTE(b * 51), BYTE(g * 51), BYTE(r * 51), 0};
  for (int i = 0; n < 256; ++i, ++n) {
    BYTE v = BYTE(8 + i * 6);
    colors[n] = RGBQUAD{v, v, v, 0};
  }
  return 256;
}

// A new white bitmap of the format; `palette` (count entries) replaces the default for 1-8 bits.
HBITMAP MakeBitmap(TPixelFormat format, int width, int height, const RGBQUAD* palette = nullptr,
                   int count = 0) {
  if (width <= 0 || height <= 0) return nullptr;
  ScreenDC screen;
  HBITMAP h;
  if (format == pfDevice) {
    h = CreateCompatibleBitmap(screen.DC, width, height);
  } else {
    BitmapInfo256 bi{};
    bi.Header = DibHeader(width, height, BitsOf(format));
    if (format == pf16bit) {
      bi.Header.biCompression = BI_BITFIELDS;
      DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
      std::memcpy(bi.Colors, masks, sizeof masks);
    } else if (bi.Header.biBitCount <= 8) {
      int n = palette && count > 0 ? std::min(count, 1 << bi.Header.biBitCount) : 0;
      if (n)
        std::memcpy(bi.Colors, palette, n * sizeof(RGBQUAD));
      else
        n = DefaultPalette(bi.Header.biBitCount, bi.Colors);
      bi.Header.biClrUsed = n;
    }
    void* bits = nullptr;
    h = CreateDIBSection(screen.DC, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
  }
  if (!h) throw EOutOfResources("Out of system resources");
  HDC dc = CreateCompatibleDC(screen.DC);
  HGDIOBJ old = SelectObject(dc, h);
  PatBlt(dc, 0, 0, width, height, WHITENESS);
  SelectObject(dc, old);
  DeleteDC(dc);
  return h;
}

// Copies the top-left of `from` into `to`; monochrome pixels map to black and white.
void CopyBits(HBITMAP to, HBITMAP from, int width, int height) {
  HDC src = CreateCompatibleDC(nullptr);
  HDC dst = CreateCompatibleDC(nullptr);
  HGDIOBJ oldSrc = SelectObject(src, from);
  HGDIOBJ oldDst = SelectObject(dst, to);
  SetTextColor(dst, RGB(0, 0, 0));
  SetBkColor(dst, RGB(255, 255, 255));
  BitBlt(dst, 0, 0, width, height, src, 0, 0, SRCCOPY);
  SelectObject(src, oldSrc);
  SelectObject(dst, oldDst);
  DeleteDC(src);
  DeleteDC(dst);
}

// The colour table of a paletted DIB section (0 entries for anything else).
int PaletteOf(HBITMAP h, RGBQUAD* colors) {
  DIBSECTION ds{};
  if (GetObjectA(h, sizeof ds, &ds) != int(sizeof ds) || ds.dsBmih.biBitCount > 8) return 0;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, h);
  int n = int(GetDIBColorTable(dc, 0, 256, colors));
  SelectObject(dc, old);
  DeleteDC(dc);
  return n;
}

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic("Bitmap image is not valid"); }

}  // namespace

// The canvas of a bitmap: a memory context holding the bitmap, made when drawing needs it.
class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!HandleAllocated()) return;
    HDC dc = Handle();
    SetHandle(nullptr);
    if (FOldBitmap) SelectObject(dc, FOldBitmap);
    FOldBitmap = nullptr;
    DeleteDC(dc);
  }

protected:
  void CreateHandle() override {
    FBitmap->HandleNeeded();
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    if (FBitmap->FHandle) FOldBitmap = SelectObject(dc, FBitmap->FHandle);
    SetHandle(dc);
  }

private:
  TBitmap* FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  delete FCanvas;
  if (FHandle) DeleteObject(FHandle);
}

void TBitmap::CanvasChanged(TObject*) { Changed(); }

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = new TBitmapCanvas(this);
    FCanvas->OnChange = Bind(this, &TBitmap::CanvasChanged);
  }
  return FCanvas;
}

void TBitmap::FreeContext() {
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas)->FreeContext();
}

HDC TBitmap::CanvasDC() { return Canvas()->Handle(); }

void TBitmap::HandleNeeded() {
  if (!FHandle && !Empty()) {
    FreeContext();
    FHandle = MakeBitmap(FPixelFormat, FWidth, FHeight);
  }
}

HBITMAP TBitmap::Handle() {
  FreeContext();
  HandleNeeded();
  return FHandle;
}

void TBitmap::NewImage(HBITMAP handle) {
  FreeContext();
  if (FHandle && FHandle != handle) DeleteObject(FHandle);
  FHandle = handle;
}

void TBitmap::SetHandle(HBITMAP value) {
  if (value == FHandle) return;
  NewImage(value);
  FWidth = FHeight = 0;
  if (value) {
    DIBSECTION ds{};
    int got = GetObjectA(value, sizeof ds, &ds);
    if (got == int(sizeof ds)) {
      switch (ds.dsBmih.biBitCount) {
        case 1: FPixelFormat = pf1bit; break;
        case 4: FPixelFormat = pf4bit; break;
        case 8: FPixelFormat = pf8bit; break;
        case 16:
          FPixelFormat = ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[1] == 0x07E0 ? pf16bit : pf15bit;
          break;
        case 24: FPixelFormat = pf24bit; break;
        default: FPixelFormat = pf32bit;
      }
      FWidth = ds.dsBm.bmWidth;
      FHeight = std::abs(ds.dsBm.bmHeight);
    } else {
      BITMAP bm{};
      GetObjectA(value, sizeof bm, &bm);
      FPixelFormat = bm.bmBitsPixel == 1 ? pf1bit : pfDevice;
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight;
    }
  }
  Changed();
}

TBitmapHandleType TBitmap::HandleType() const {
  if (!FHandle) return FPixelFormat == pfDevice ? bmDDB : bmDIB;
  DIBSECTION ds{};
  return GetObjectA(FHandle, sizeof ds, &ds) == int(sizeof ds) ? bmDIB : bmDDB;
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeContext();
  HBITMAP h = FHandle;
  FHandle = nullptr;
  return h;
}

// The picture keeps its top-left part; new area is white.
void TBitmap::SetSize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight) return;
  HBITMAP h = nullptr;
  if (width > 0 && height > 0) {
    RGBQUAD pal[256];
    int n = FHandle ? PaletteOf(FHandle, pal) : 0;
    h = MakeBitmap(FPixelFormat, width, height, pal, n);
    if (FHandle) {
      FreeContext();
      CopyBits(h, FHandle, std::min(width, FWidth), std::min(height, FHeight));
    }
  }
  NewImage(h);
  FWidth = width;
  FHeight = height;
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == FPixelFormat) return;
  FPixelFormat = value;
  if (FHandle) {
    HBITMAP h = MakeBitmap(value, FWidth, FHeight);
    FreeContext();
    CopyBits(h, FHandle, FWidth, FHeight);
    NewImage(h);
  }
  Changed();
}

void TBitmap::SetMonochrome(bool value) {
  if (value != Monochrome()) SetPixelFormat(value ? pf1bit : pfDevice);
}

TColor TBitmap::TransparentColor() {
  if (FTransparentColor != clDefault) return FTransparentColor;
  if (Monochrome()) return clWhite;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == FTransparentColor) return;
  FTransparentColor = value;
  FTransparentMode = value == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == FTransparentMode) return;
  if (value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(TransparentColor());
}

void TBitmap::Dormant() { FreeContext(); }

void TBitmap::FreeImage() { FreeContext(); }

void TBitmap::Draw(TCanvas* canvas, const RECT& r) {
  if (Empty()) return;
  HDC src = CanvasDC();
  canvas->Changing();
  canvas->RequiredState(TCanvas::csHandleValid | TCanvas::csBrushValid);
  HDC dst = canvas->FHandle;
  if (Transparent()) {
    MaskedBlt(dst, r, src, 0, 0, FWidth, FHeight, ColorToRGB(TransparentColor()));
  } else {
    COLORREF oldText = 0, oldBk = 0;
    if (Monochrome()) {
      oldText = SetTextColor(dst, RGB(0, 0, 0));
      oldBk = SetBkColor(dst, RGB(255, 255, 255));
    }
    int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
    StretchBlt(dst, r.left, r.top, r.right - r.left, r.bottom - r.top, src, 0, 0, FWidth, FHeight,
               canvas->CopyMode());
    SetStretchBltMode(dst, oldMode);
    if (Monochrome()) {
      SetTextColor(dst, oldText);
      SetBkColor(dst, oldBk);
    }
  }
  canvas->Changed();
}

void TBitmap::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    NewImage(nullptr);
    FWidth = FHeight = 0;
    Changed();
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    HBITMAP h = nullptr;
    if (!b->Empty()) {
      HBITMAP from = b->Handle();
      RGBQUAD pal[256];
      int n = PaletteOf(from, pal);
      h = MakeBitmap(b->FPixelFormat, b->FWidth, b->FHeight, pal, n);
      CopyBits(h, from, b->FWidth, b->FHeight);
    }
    NewImage(h);
    FWidth = b->FWidth;
    FHeight = b->FHeight;
    FPixelFormat = b->FPixelFormat;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    TGraphic::SetTransparent(b->Transparent());
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

namespace {

// A bitmap or icon resource; Shown names it in the error when there is none.
HANDLE LoadResourceImage(HINSTANCE instance, LPCSTR name, const std::string& shown, UINT type, UINT flags) {
  HANDLE h = LoadImageA(instance, name, type, 0, 0, flags);
  if (!h) throw EResNotFound("Resource " + shown + " not found");
  return h;
}

}  // namespace

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  SetHandle(static_cast<HBITMAP>(LoadResourceImage(instance, name.c_str(), name, IMAGE_BITMAP, LR_CREATEDIBSECTION)));
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id) {
  SetHandle(static_cast<HBITMAP>(
      LoadResourceImage(instance, MAKEINTRESOURCEA(id), IntToStr(int32_t(id)), IMAGE_BITMAP, LR_CREATEDIBSECTION)));
}

// A BMP file: file header, info header (core, 40-byte or later), masks and colour table, bits. Nothing
// in the file is trusted: sizes and offsets are checked against the stream before anything is made,
// and a file that ends early is as invalid as a damaged one.
void TBitmap::LoadFromStream(TStream* stream) {
  try {
    ReadBitmap(stream);
  } catch (const EReadError&) {
    InvalidBitmap();
  }
}

void TBitmap::ReadBitmap(TStream* stream) {
  int64_t start = stream->Position();
  int64_t avail = stream->Size() - start;
  if (avail <= 0) {
    Assign(nullptr);
    return;
  }
  BITMAPFILEHEADER fh{};
  if (avail < int64_t(sizeof fh + 12)) InvalidBitmap();
  stream->ReadBuffer(&fh, sizeof fh);
  if (fh.bfType != 0x4D42) InvalidBitmap();
  DWORD hdrSize = 0;
  stream->ReadBuffer(&hdrSize, 4);
  BITMAPINFOHEADER bh{};
  DWORD masks[3] = {0, 0, 0};
  bool haveMasks = false;
  bool core = false;
  if (hdrSize == sizeof(BITMAPCOREHEADER)) {
    BITMAPCOREHEADER ch{};
    stream->ReadBuffer(reinterpret_cast<char*>(&ch) + 4, sizeof ch - 4);
    bh.biWidth = ch.bcWidth;
    bh.biHeight = ch.bcHeight;
    bh.biPlanes = ch.bcPlanes;
    bh.biBitCount = ch.bcBitCount;
    bh.biCompression = BI_RGB;
    core = true;
  } else if (hdrSize >= sizeof(BITMAPINFOHEADER) && hdrSize <= 124) {
    if (avail < int64_t(sizeof fh + hdrSize)) InvalidBitmap();
    std::vector<char> h(hdrSize);
    std::memcpy(h.data(), &hdrSize, 4);
    stream->ReadBuffer(h.data() + 4, hdrSize - 4);
    std::memcpy(&bh, h.data(), sizeof bh);
    if (bh.biCompression == BI_BITFIELDS && hdrSize >= 52) {
      std::memcpy(masks, h.data() + 40, sizeof masks);
      haveMasks = true;
    }
  } else {
    InvalidBitmap();
  }
  int bits = bh.biBitCount;
  LONG width = bh.biWidth, height = std::abs(bh.biHeight);
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || bh.biPlanes != 1) InvalidBitmap();
  // A run-length file can claim a huge picture in a few bytes: its size is bounded before we make it.
  if (int64_t(width) * height > (int64_t(1) << 27)) InvalidBitmap();
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) InvalidBitmap();
  bool compressed = bh.biCompression == BI_RLE8 || bh.biCompression == BI_RLE4;
  if (!(bh.biCompression == BI_RGB || (bh.biCompression == BI_RLE8 && bits == 8) ||
        (bh.biCompression == BI_RLE4 && bits == 4) ||
        (bh.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32))))
    InvalidBitmap();
  if (compressed && bh.biHeight < 0) InvalidBitmap();
  if (bh.biCompression == BI_BITFIELDS && !haveMasks) {
    stream->ReadBuffer(masks, sizeof masks);
    haveMasks = true;
  }
  int colors = 0;
  if (bits <= 8) {
    colors = bh.biClrUsed ? int(bh.biClrUsed) : 1 << bits;
    if (bh.biClrUsed > DWORD(1 << bits)) InvalidBitmap();
  }
  BitmapInfo256 info{};
  RGBQUAD* table = info.Colors + (haveMasks ? 3 : 0);
  if (haveMasks) std::memcpy(info.Colors, masks, sizeof masks);
  if (core) {
    for (int i = 0; i < colors; ++i) {
      RGBTRIPLE t;
      stream->ReadBuffer(&t, sizeof t);
      table[i] = RGBQUAD{t.rgbtBlue, t.rgbtGreen, t.rgbtRed, 0};
    }
  } else if (colors) {
    stream->ReadBuffer(table, colors * sizeof(RGBQUAD));
  }
  int64_t stride = ((int64_t(width) * bits + 31) / 32) * 4;
  int64_t imageSize = compressed ? int64_t(bh.biSizeImage) : stride * height;
  if (imageSize <= 0 || imageSize > INT32_MAX) InvalidBitmap();
  int64_t bitsAt = fh.bfOffBits ? start + int64_t(fh.bfOffBits) : stream->Position();
  if (bitsAt < stream->Position() - int64_t(colors * sizeof(RGBQUAD)) || bitsAt + imageSize > start + avail)
    InvalidBitmap();
  std::vector<char> data(size_t(imageSize) + 4);  // room for a decoder that reads one word too far
  stream->SetPosition(bitsAt);
  stream->ReadBuffer(data.data(), size_t(imageSize));

  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = width;
  info.Header.biHeight = bh.biHeight;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = WORD(bits);
  info.Header.biCompression = bh.biCompression;
  info.Header.biSizeImage = DWORD(imageSize);
  info.Header.biClrUsed = DWORD(colors);

  TPixelFormat format;
  switch (bits) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16: format = haveMasks && masks[1] == 0x07E0 ? pf16bit : pf15bit; break;
    case 24: format = pf24bit; break;
    default: format = pf32bit;
  }
  HBITMAP h = MakeBitmap(format, width, height, bits <= 8 ? table : nullptr, colors);
  ScreenDC screen;
  if (SetDIBits(screen.DC, h, 0, UINT(height), data.data(), reinterpret_cast<BITMAPINFO*>(&info),
                DIB_RGB_COLORS) == 0) {
    DeleteObject(h);
    InvalidBitmap();
  }
  NewImage(h);
  FWidth = width;
  FHeight = height;
  FPixelFormat = format;
  Changed();
}

void TBitmap::SaveToStream(TStream* stream) {
  if (Empty()) return;
  HBITMAP h = Handle();
  int bits = FPixelFormat == pfDevice ? 24 : BitsOf(FPixelFormat);
  BitmapInfo256 info{};
  info.Header = DibHeader(FWidth, FHeight, bits);
  int extra = 0;
  if (FPixelFormat == pf16bit) {
    info.Header.biCompression = BI_BITFIELDS;
    DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.Colors, masks, sizeof masks);
    extra = 3;
  } else if (bits <= 8) {
    extra = 1 << bits;
    info.Header.biClrUsed = DWORD(extra);
  }
  size_t stride = ((size_t(FWidth) * bits + 31) / 32) * 4;
  std::vector<char> data(stride * FHeight);
  ScreenDC screen;
  if (!GetDIBits(screen.DC, h, 0, UINT(FHeight), data.data(), reinterpret_cast<BITMAPINFO*>(&info),
                 DIB_RGB_COLORS))
    throw EInvalidGraphic("Bitmap image is not valid");
  info.Header.biSizeImage = DWORD(data.size());
  if (FPixelFormat == pf16bit) info.Header.biCompression = BI_BITFIELDS;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = DWORD(sizeof fh + sizeof info.Header + extra * sizeof(RGBQUAD));
  fh.bfSize = DWORD(fh.bfOffBits + data.size());
  stream->WriteBuffer(&fh, sizeof fh);
  stream->WriteBuffer(&info.Header, sizeof info.Header);
  if (extra) stream->WriteBuffer(info.Colors, extra * sizeof(RGBQUAD));
  stream->WriteBuffer(data.data(), data.size());
}

// ---------------------------------------------------------------------------------------------------
// Icons

namespace {

#pragma pack(push, 1)
struct IconDir {
  WORD Reserved;
  WORD Type;
  WORD Count;
};
struct IconDirEntry {
  BYTE Width;
  BYTE Height;
  BYTE ColorCount;
  BYTE Reserved;
  WORD Planes;
  WORD BitCount;
  DWORD BytesInRes;
  DWORD ImageOffset;
};
#pragma pack(pop)

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic("Icon image is not valid"); }

// An .ico file of one 32-bit image with its mask, drawn from the icon handle.
std::string IconFileOf(HICON icon, int width, int height) {
  BITMAPINFOHEADER bh = DibHeader(width, height, 32);
  ScreenDC screen;
  void* colorBits = nullptr;
  HBITMAP color = CreateDIBSection(screen.DC, reinterpret_cast<BITMAPINFO*>(&bh), DIB_RGB_COLORS, &colorBits,
                                   nullptr, 0);
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD c[2];
  } mi{};
  mi.h = bh;
  mi.h.biBitCount = 1;
  mi.c[1] = RGBQUAD{255, 255, 255, 0};
  void* maskBits = nullptr;
  HBITMAP mask = CreateDIBSection(screen.DC, reinterpret_cast<BITMAPINFO*>(&mi), DIB_RGB_COLORS, &maskBits,
                                  nullptr, 0);
  if (!color || !mask) {
    if (color) DeleteObject(color);
    if (mask) DeleteObject(mask);
    throw EOutOfResources("Out of system resources");
  }
  HDC dc = CreateCompatibleDC(screen.DC);
  HGDIOBJ old = SelectObject(dc, color);
  PatBlt(dc, 0, 0, width, height, BLACKNESS);
  DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_IMAGE);
  SelectObject(dc, mask);
  PatBlt(dc, 0, 0, width, height, WHITENESS);
  DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_MASK);
  SelectObject(dc, old);
  DeleteDC(dc);
  GdiFlush();

  size_t colorSize = size_t(width) * height * 4;
  size_t maskSize = ((size_t(width) + 31) / 32) * 4 * height;
  IconDir dir{0, 1, 1};
  IconDirEntry e{};
  e.Width = BYTE(width >= 256 ? 0 : width);
  e.Height = BYTE(height >= 256 ? 0 : height);
  e.Planes = 1;
  e.BitCount = 32;
  e.BytesInRes = DWORD(sizeof bh + colorSize + maskSize);
  e.ImageOffset = sizeof dir + sizeof e;
  BITMAPINFOHEADER ih = bh;
  ih.biHeight = height * 2;  // colour and mask, one above the other
  std::string out;
  out.append(reinterpret_cast<const char*>(&dir), sizeof dir);
  out.append(reinterpret_cast<const char*>(&e), sizeof e);
  out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
  out.append(static_cast<const char*>(colorBits), colorSize);
  out.append(static_cast<const char*>(maskBits), maskSize);
  DeleteObject(color);
  DeleteObject(mask);
  return out;
}

}  // namespace

TIcon::~TIcon() {
  if (FHandle) DestroyIcon(FHandle);
}

void TIcon::NewImage(HICON handle, std::string data) {
  if (FHandle && FHandle != handle) DestroyIcon(FHandle);
  FHandle = handle;
  FData = std::move(data);
  FWidth = FHeight = 0;
}

void TIcon::SetHandle(HICON value) {
  if (value == FHandle) return;
  NewImage(value, {});
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON h = FHandle;
  FHandle = nullptr;
  FData.clear();
  FWidth = FHeight = 0;
  return h;
}

void TIcon::SizeNeeded() {
  if (FWidth || !FHandle) return;
  ICONINFO ii{};
  if (!GetIconInfo(FHandle, &ii)) return;
  BITMAP bm{};
  if (ii.hbmColor) {
    GetObjectA(ii.hbmColor, sizeof bm, &bm);
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight;
  } else if (ii.hbmMask) {
    GetObjectA(ii.hbmMask, sizeof bm, &bm);
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight / 2;
  }
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  if (ii.hbmMask) DeleteObject(ii.hbmMask);
}

int32_t TIcon::Width() {
  SizeNeeded();
  return FWidth;
}

int32_t TIcon::Height() {
  SizeNeeded();
  return FHeight;
}

void TIcon::SetWidth(int32_t) { throw EInvalidGraphic("Cannot change the size of an icon"); }
void TIcon::SetHeight(int32_t) { throw EInvalidGraphic("Cannot change the size of an icon"); }

void TIcon::LoadFromStream(TStream* stream) {
  try {
    ReadIcon(stream);
  } catch (const EReadError&) {
    InvalidIcon();
  }
}

// Reads exactly the icon file: the directory says where its last image ends.
void TIcon::ReadIcon(TStream* stream) {
  int64_t start = stream->Position();
  int64_t avail = stream->Size() - start;
  if (avail <= 0) {
    Assign(nullptr);
    return;
  }
  IconDir dir{};
  if (avail < int64_t(sizeof dir)) InvalidIcon();
  stream->ReadBuffer(&dir, sizeof dir);
  if (dir.Reserved != 0 || dir.Type != 1 || dir.Count == 0) InvalidIcon();
  size_t dirSize = sizeof dir + size_t(dir.Count) * sizeof(IconDirEntry);
  if (avail < int64_t(dirSize)) InvalidIcon();
  std::vector<IconDirEntry> entries(dir.Count);
  stream->ReadBuffer(entries.data(), entries.size() * sizeof(IconDirEntry));
  int64_t end = int64_t(dirSize);
  for (const auto& e : entries) {
    if (e.ImageOffset < dirSize || e.BytesInRes < sizeof(BITMAPINFOHEADER)) InvalidIcon();
    end = std::max(end, int64_t(e.ImageOffset) + int64_t(e.BytesInRes));
  }
  if (end > avail || end > INT32_MAX) InvalidIcon();
  std::string data(size_t(end), '\0');
  std::memcpy(data.data(), &dir, sizeof dir);
  std::memcpy(data.data() + sizeof dir, entries.data(), entries.size() * sizeof(IconDirEntry));
  stream->ReadBuffer(data.data() + dirSize, size_t(end) - dirSize);

  // The image nearest the system icon size, the deepest colour among equals.
  int want = GetSystemMetrics(SM_CXICON);
  const IconDirEntry* best = nullptr;
  int bestScore = 0;
  for (const auto& e : entries) {
    int w = e.Width ? e.Width : 256;
    int score = std::abs(w - want) * 64 - e.BitCount;
    if (!best || score < bestScore) {
      best = &e;
      bestScore = score;
    }
  }
  int w = best->Width ? best->Width : 256, h = best->Height ? best->Height : 256;
  HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(data.data()) + best->ImageOffset,
                                        best->BytesInRes, TRUE, 0x00030000, w, h, LR_DEFAULTCOLOR);
  if (!icon) InvalidIcon();
  NewImage(icon, std::move(data));
  FWidth = w;
  FHeight = h;
  Changed();
}

void TIcon::SaveToStream(TStream* stream) {
  if (FData.empty() && FHandle) FData = IconFileOf(FHandle, Width(), Height());
  if (!FData.empty()) stream->WriteBuffer(FData.data(), FData.size());
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  SetHandle(static_cast<HICON>(LoadResourceImage(instance, name.c_str(), name, IMAGE_ICON, LR_DEFAULTSIZE)));
}

void TIcon::LoadFromResourceID(HINSTANCE instance, int id) {
  SetHandle(static_cast<HICON>(
      LoadResourceImage(instance, MAKEINTRESOURCEA(id), IntToStr(int32_t(id)), IMAGE_ICON, LR_DEFAULTSIZE)));
}

void TIcon::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    NewImage(nullptr, {});
    Changed();
    return;
  }
  if (auto* i = dynamic_cast<TIcon*>(source)) {
    NewImage(i->FHandle ? CopyIcon(i->FHandle) : nullptr, i->FData);
    FWidth = i->FWidth;
    FHeight = i->FHeight;
    TGraphic::SetTransparent(i->Transparent());
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TIcon::Draw(TCanvas* canvas, const RECT& r) {
  if (!FHandle) return;
  canvas->Changing();
  canvas->RequiredState(TCanvas::csHandleValid);
  DrawIconEx(canvas->FHandle, r.left, r.top, FHandle, r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
  canvas->Changed();
}

// ---------------------------------------------------------------------------------------------------
// Picture

namespace {

struct FileFormat {
  std::string Extension;  // lower case, no dot
  std::string ClassName;
  TGraphicClass Factory;
};

std::vector<FileFormat>& FileFormats() {
  static std::vector<FileFormat> formats = {
      {"bmp", "TBitmap", [] { return static_cast<TGraphic*>(new TBitmap); }},
      {"ico", "TIcon", [] { return static_cast<TGraphic*>(new TIcon); }},
      {"jpg", "TJPEGImage", [] { return static_cast<TGraphic*>(new TJPEGImage); }},
      {"jpeg", "TJPEGImage", [] { return static_cast<TGraphic*>(new TJPEGImage); }},
  };
  return formats;
}

const FileFormat* FormatOfClass(const std::string& className) {
  for (const auto& f : FileFormats())
    if (SameText(f.ClassName, className)) return &f;
  return nullptr;
}

}  // namespace

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& className,
                                  TGraphicClass factory) {
  FileFormats().push_back({LowerCase(extension), className, factory});
}

TPicture::~TPicture() { delete FGraphic; }

void TPicture::Changed(TObject*) { OnChange(this); }

void TPicture::TakeGraphic(TGraphic* graphic) {
  delete FGraphic;
  FGraphic = graphic;
  if (FGraphic) FGraphic->OnChange = Bind(this, &TPicture::Changed);
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* value) {
  if (value == FGraphic) return;
  if (!value) {
    TakeGraphic(nullptr);
    return;
  }
  const FileFormat* f = FormatOfClass(value->ClassName());
  if (!f) throw EInvalidGraphic("Unknown picture format " + value->ClassName());
  std::unique_ptr<TGraphic> copy(f->Factory());
  copy->Assign(value);
  TakeGraphic(copy.release());
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic)) TakeGraphic(new TBitmap);
  return static_cast<TBitmap*>(FGraphic);
}

TIcon* TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(FGraphic)) TakeGraphic(new TIcon);
  return static_cast<TIcon*>(FGraphic);
}

int32_t TPicture::Width() const { return FGraphic ? FGraphic->Width() : 0; }
int32_t TPicture::Height() const { return FGraphic ? FGraphic->Height() : 0; }

void TPicture::LoadFromFile(const std::string& fileName) {
  std::string ext = LowerCase(ExtractFileExt(fileName));
  if (!ext.empty()) ext.erase(0, 1);
  const FileFormat* format = nullptr;
  for (const auto& f : FileFormats())
    if (f.Extension == ext) format = &f;
  if (!format) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  std::unique_ptr<TGraphic> g(format->Factory());
  g->LoadFromFile(fileName);
  TakeGraphic(g.release());
}

void TPicture::SaveToFile(const std::string& fileName) {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::Assign(TPersistent* source) {
  if (!source)
    SetGraphic(nullptr);
  else if (auto* p = dynamic_cast<TPicture*>(source))
    SetGraphic(p->FGraphic);
  else if (auto* g = dynamic_cast<TGraphic*>(source))
    SetGraphic(g);
  else
    TPersistent::Assign(source);
}

void TPicture::ReadData(TStream* stream) {
  uint8_t len = 0;
  stream->ReadBuffer(&len, 1);
  std::string name(len, '\0');
  if (len) stream->ReadBuffer(name.data(), len);
  if (name.empty()) {
    TakeGraphic(nullptr);
    return;
  }
  const FileFormat* f = FormatOfClass(name);
  if (!f) throw EInvalidGraphic("Unknown picture format " + name);
  std::unique_ptr<TGraphic> g(f->Factory());
  g->LoadFromStream(stream);
  TakeGraphic(g.release());
}

void TPicture::WriteData(TStream* stream) {
  std::string name = FGraphic ? FGraphic->ClassName() : std::string();
  uint8_t len = uint8_t(std::min<size_t>(name.size(), 255));
  stream->WriteBuffer(&len, 1);
  stream->WriteBuffer(name.data(), len);
  if (FGraphic) FGraphic->SaveToStream(stream);
}

void TPicture::DefineProperties(TFiler* filer) {
  filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); },
      FGraphic != nullptr && !FGraphic->Empty());
}
