#include "Graphics.h"

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
    int v = GetDeviceCaps(ScreenDC().DC, LOGPIXELSY);
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

TFont::~TFont() {
  if (FHandle) DeleteObject(FHandle);
}

void TFont::Publish(TPublisher<TFont>& p) {
  p.Int("Charset", &TFont::Charset, &TFont::SetCharset).Default(DEFAULT_CHARSET).Idents(CharsetIdents);
  p.Int("Color", &TFont::Color, &TFont::SetColor).Default(clWindowText).Idents(ColorIdentMap());
  p.Int("Height", &TFont::Height, &TFont::SetHeight);
  p.Str("Name", &TFont::Name, &TFont::SetName);
  p.Enum("Pitch", FontPitchNames, &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  p.Int("Size", &TFont::Size, &TFont::SetSize).Stored(false);
  p.Set("Style", FontStyleNames, &TFont::Style, &TFont::SetStyle);
}

// A changed description: the handle is made again at its next use.
void TFont::DescriptionChanged() { ReplaceHandle<HFONT>(FHandle, nullptr); }

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
  ReplaceHandle(FHandle, value);
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
TBrush::~TBrush() {
  if (FHandle) DeleteObject(FHandle);
}

void TBrush::Publish(TPublisher<TBrush>& p) {
  p.Int("Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite).Idents(ColorIdentMap());
  p.Enum("Style", BrushStyleNames, &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::DescriptionChanged() { ReplaceHandle<HBRUSH>(FHandle, nullptr); }

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
  ReplaceHandle(FHandle, value);
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
TPen::~TPen() {
  if (FHandle) DeleteObject(FHandle);
}

const TEnumInfo PenStyleNames{"TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                                            "psClear", "psInsideFrame"}};

void TPen::Publish(TPublisher<TPen>& p) {
  p.Int("Color", &TPen::Color, &TPen::SetColor).Default(clBlack).Idents(ColorIdentMap());
  p.Enum("Mode", PenModeNames, &TPen::Mode, &TPen::SetMode).Default(pmCopy);
  p.Enum("Style", PenStyleNames, &TPen::Style, &TPen::SetStyle).Default(psSolid);
  p.Int("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TPen::DescriptionChanged() { ReplaceHandle<HPEN>(FHandle, nullptr); }

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
  ReplaceHandle(FHandle, value);
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
