#include "RzCommon.h"

#include <algorithm>

const TEnumInfo FrameStyleNames{"TFrameStyle",
                                {"fsNone", "fsFlat", "fsGroove", "fsBump", "fsLowered", "fsButtonDown",
                                 "fsRaised", "fsButtonUp", "fsStatus", "fsPopup"}};
const TEnumInfo SideNames{"TSides", {"sdLeft", "sdTop", "sdRight", "sdBottom"}};
const TEnumInfo OrientationNames{"TOrientation", {"orHorizontal", "orVertical"}};
const TEnumInfo RzAboutInfoNames{"TRzAboutInfo", {"aiDabelComponents"}};

void FrameColors(TFrameStyle Style, TColor& UL, TColor& LR) {
  switch (Style) {
    case fsFlat: UL = clWindowFrame; LR = clWindowFrame; break;
    case fsGroove: UL = clBtnShadow; LR = clBtnHighlight; break;
    case fsBump: UL = clBtnHighlight; LR = clBtnShadow; break;
    case fsStatus: UL = clBtnShadow; LR = clBtnHighlight; break;
    case fsPopup: UL = clBtnHighlight; LR = clBtnShadow; break;
    case fsLowered: UL = clBtnShadow; LR = clBtnHighlight; break;
    case fsRaised: UL = cl3DLight; LR = clBtnText; break;
    case fsButtonDown: UL = clBtnText; LR = clBtnText; break;
    case fsButtonUp: UL = clBtnHighlight; LR = cl3DDkShadow; break;
    default: UL = clBtnFace; LR = clBtnFace; break;
  }
}

void FrameInnerColors(TFrameStyle Style, TColor& UL, TColor& LR) {
  switch (Style) {
    case fsLowered: UL = clBtnText; LR = cl3DLight; break;
    case fsRaised: UL = clBtnHighlight; LR = clBtnShadow; break;
    case fsButtonDown: UL = clBtnShadow; LR = clBtnShadow; break;
    case fsButtonUp: UL = cl3DLight; LR = clBtnShadow; break;
    default: FrameColors(Style, UL, LR); break;
  }
}

namespace {

void UsePen(TCanvas* C, TColor Color) {
  TPen* p = C->Pen();
  p->SetStyle(psSolid);
  p->SetMode(pmCopy);
  p->SetWidth(1);
  p->SetColor(Color);
}

void Line(TCanvas* C, int X0, int Y0, int X1, int Y1) {
  C->MoveTo(X0, Y0);
  C->LineTo(X1, Y1);
}

}  // namespace

RECT DrawSides(TCanvas* C, RECT R, TColor ULColor, TColor LRColor, TSides Sides) {
  const int L = R.left, T = R.top, Rt = R.right, B = R.bottom;
  if (Sides.Contains(sdLeft) || Sides.Contains(sdTop)) {
    UsePen(C, ULColor);
    if (Sides.Contains(sdLeft)) Line(C, L, T, L, B);
    if (Sides.Contains(sdTop)) Line(C, L, T, Rt, T);
  }
  if (Sides.Contains(sdRight) || Sides.Contains(sdBottom)) {
    UsePen(C, LRColor);
    if (Sides.Contains(sdRight)) Line(C, Rt - 1, T, Rt - 1, B);
    if (Sides.Contains(sdBottom)) Line(C, L, B - 1, Rt, B - 1);
  }
  if (Sides.Contains(sdLeft)) ++R.left;
  if (Sides.Contains(sdTop)) ++R.top;
  if (Sides.Contains(sdRight)) --R.right;
  if (Sides.Contains(sdBottom)) --R.bottom;
  return R;
}

RECT DrawBevel(TCanvas* C, RECT R, TColor ULColor, TColor LRColor, int Width, TSides Sides) {
  for (int i = 0; i < Width; ++i) R = DrawSides(C, R, ULColor, LRColor, Sides);
  return R;
}

namespace {

// Groove and bump: a line pair offset by one pixel, with the corner pixels that an open side leaves
// patched so the etching reads continuous.
RECT DrawEtched(TCanvas* C, RECT R, TColor UL, TColor LR, TSides Sides) {
  const int L = R.left, T = R.top, Rt = R.right, B = R.bottom;
  const bool l = Sides.Contains(sdLeft), t = Sides.Contains(sdTop), r = Sides.Contains(sdRight),
             b = Sides.Contains(sdBottom);
  if (r)
    C->SetPixels(Rt - 1, T, LR);
  else if (t)
    C->SetPixels(Rt - 1, T, UL);
  if (b)
    C->SetPixels(L, B - 1, LR);
  else if (l)
    C->SetPixels(L, B - 1, UL);
  if (t && !l) C->SetPixels(L, T + 1, LR);
  if (l && !t) C->SetPixels(L + 1, T, LR);
  if (b && !r) C->SetPixels(Rt - 1, B - 2, UL);
  if (r && !b) C->SetPixels(Rt - 2, B - 1, UL);
  DrawSides(C, RECT{L + 1, T + 1, Rt, B}, LR, LR, Sides);
  DrawSides(C, RECT{L, T, Rt - 1, B - 1}, UL, UL, Sides);
  if (l) R.left += 2;
  if (t) R.top += 2;
  if (r) R.right -= 2;
  if (b) R.bottom -= 2;
  return R;
}

}  // namespace

RECT DrawBorder(TCanvas* C, RECT R, TFrameStyle Style, TSides Sides) {
  TColor ul, lr;
  FrameColors(Style, ul, lr);
  switch (Style) {
    case fsNone: return R;
    case fsFlat:
    case fsStatus:
    case fsPopup: return DrawSides(C, R, ul, lr, Sides);
    case fsLowered:
    case fsRaised:
    case fsButtonDown:
    case fsButtonUp: {
      R = DrawBevel(C, R, ul, lr, 1, Sides);
      FrameInnerColors(Style, ul, lr);
      return DrawBevel(C, R, ul, lr, 1, Sides);
    }
    case fsGroove:
    case fsBump: return DrawEtched(C, R, ul, lr, Sides);
  }
  return R;
}

RECT DrawBorder(TCanvas* C, RECT R, TFrameStyle Style) { return DrawBorder(C, R, Style, sdAllSides); }

void DrawFrame(TCanvas* C, int Width, int Height, TSides Sides, TColor FlatColor, TColor BackColor,
               TFrameStyle Style) {
  RECT r{0, 0, Width, Height};
  DrawBevel(C, r, BackColor, BackColor, 2, sdAllSides);
  if (Style == fsFlat)
    DrawSides(C, r, FlatColor, FlatColor, Sides);
  else
    DrawBorder(C, r, Style, Sides);
}

int GetMinFontHeight(TFont* Font) {
  ScreenDC screen;
  TSelectObject font(screen.DC, Font->Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(screen.DC, &tm);
  return tm.tmHeight + 2;
}

HFONT RotateFont(TFont* Font, int Angle) {
  LOGFONTA lf{};
  lf.lfHeight = Font->Height();
  lf.lfEscapement = Angle * 10;
  lf.lfOrientation = 0;
  TFontStyles st = Font->Style();
  lf.lfWeight = st.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = st.Contains(fsItalic);
  lf.lfUnderline = st.Contains(fsUnderline);
  lf.lfStrikeOut = st.Contains(fsStrikeOut);
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = 0;
  lf.lfClipPrecision = 0;
  lf.lfQuality = 0;
  lf.lfPitchAndFamily = Font->Pitch() == fpVariable ? VARIABLE_PITCH : Font->Pitch() == fpFixed ? FIXED_PITCH : 0;
  lstrcpynA(lf.lfFaceName, Font->Name().c_str(), LF_FACESIZE);
  return CreateFontIndirectA(&lf);
}

// ---------------------------------------------------------------------------------------------------
// TRzFrameController

TRzFrameController::TRzFrameController(TComponent* AOwner) : TComponent(AOwner) {}

// Linked controls hear of the end through their free notification (their FrameController empties).
TRzFrameController::~TRzFrameController() = default;

void TRzFrameController::AddControl(TControl* Control) {
  if (!Control) return;
  if (std::find(FControls.begin(), FControls.end(), Control) == FControls.end()) {
    FControls.push_back(Control);
    Control->FreeNotification(this);
  }
  UpdateControlFrame(Control, 0);
}

void TRzFrameController::RemoveControl(TControl* Control) {
  auto it = std::find(FControls.begin(), FControls.end(), Control);
  if (it == FControls.end()) return;
  FControls.erase(it);
}

void TRzFrameController::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  auto it = std::find(FControls.begin(), FControls.end(), AComponent);
  if (it != FControls.end()) FControls.erase(it);
}

namespace {

// Writes V into the published property Name of O when O has one of that kind (and, for enumerations
// and sets, of that type) with a setter.
void WriteOrd(TObject* O, const char* Name, TTypeKind Kind, const TEnumInfo* Info, int64_t V) {
  const TPropInfo* p = O->ClassType()->FindProp(Name);
  if (!p || p->Kind != Kind || !p->Writable || !p->SetOrd) return;
  if (Info && (!p->EnumInfo || std::string(p->EnumInfo->TypeName) != Info->TypeName)) return;
  p->SetOrd(O, V);
}

}  // namespace

void TRzFrameController::UpdateControlFrame(TControl* Control, int Index) {
  if (!Control || !Control->IsWindowed()) return;
  const TPropInfo* use = Control->ClassType()->FindProp("UseFrameController");
  if (!use || use->Kind != tkBool || !use->GetOrd || use->GetOrd(Control) == 0) return;
  TLiveGuard alive(Control);
  auto want = [Index](int i) { return Index == 0 || Index == i; };
  if (want(1)) WriteOrd(Control, "Color", tkInteger, nullptr, FColor);
  if (want(2) && alive) WriteOrd(Control, "FlatButtons", tkBool, nullptr, FFlatButtons);
  if (want(3) && alive) WriteOrd(Control, "FrameColor", tkInteger, nullptr, FFrameColor);
  if (want(4) && alive) WriteOrd(Control, "FrameFlat", tkBool, nullptr, FFrameFlat);
  if (want(5) && alive) WriteOrd(Control, "FrameFlatStyle", tkEnumeration, &FrameStyleNames, FFrameFlatStyle);
  if (want(6) && alive) WriteOrd(Control, "FrameFocusStyle", tkEnumeration, &FrameStyleNames, FFrameFocusStyle);
  if (want(7) && alive) WriteOrd(Control, "FrameSides", tkSet, &SideNames, int64_t(FFrameSides.Bits()));
  if (want(8) && alive) WriteOrd(Control, "FrameStyle", tkEnumeration, &FrameStyleNames, FFrameStyle);
  if (want(9) && alive) WriteOrd(Control, "FrameVisible", tkBool, nullptr, FFrameVisible);
}

void TRzFrameController::UpdateControls(int Index) {
  // A control's setter may unlink controls: walk a copy and skip the ones that left.
  std::vector<TControl*> list = FControls;
  for (TControl* c : list)
    if (std::find(FControls.begin(), FControls.end(), c) != FControls.end()) UpdateControlFrame(c, Index);
}

void TRzFrameController::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  UpdateControls(1);
}

void TRzFrameController::SetFlatButtons(bool Value) {
  if (Value == FFlatButtons) return;
  FFlatButtons = Value;
  UpdateControls(2);
}

void TRzFrameController::SetFrameColor(TColor Value) {
  if (Value == FFrameColor) return;
  FFrameColor = Value;
  UpdateControls(3);
}

void TRzFrameController::SetFrameFlat(bool Value) {
  if (Value == FFrameFlat) return;
  FFrameFlat = Value;
  if (Value) {
    SetFrameVisible(true);
    // A flat frame shows on every side in the flat style; the controls get those values with index 4.
    if (!FComponentState.Contains(csLoading)) {
      FFrameSides = sdAllSides;
      FFrameStyle = FFrameFlatStyle;
    }
  }
  UpdateControls(4);
}

void TRzFrameController::SetFrameFlatStyle(TFrameStyle Value) {
  if (Value == FFrameFlatStyle) return;
  FFrameFlatStyle = Value;
  UpdateControls(5);
}

void TRzFrameController::SetFrameFocusStyle(TFrameStyle Value) {
  if (Value == FFrameFocusStyle) return;
  FFrameFocusStyle = Value;
  UpdateControls(6);
}

void TRzFrameController::SetFrameSides(TSides Value) {
  if (Value == FFrameSides) return;
  FFrameSides = Value;
  UpdateControls(7);
}

void TRzFrameController::SetFrameStyle(TFrameStyle Value) {
  if (Value == FFrameStyle) return;
  FFrameStyle = Value;
  UpdateControls(8);
}

void TRzFrameController::SetFrameVisible(bool Value) {
  if (Value == FFrameVisible) return;
  FFrameVisible = Value;
  UpdateControls(9);
}

void TRzFrameController::Loaded() {
  TComponent::Loaded();
  UpdateControls(0);
}

void TRzFrameController::Publish(TPublisher<TRzFrameController>& p) {
  p.Enum("About", RzAboutInfoNames, [](TRzFrameController&) { return aiDabelComponents; },
         [](TRzFrameController&, TRzAboutInfo) {})
      .Stored(false);
  p.Int("Color", &TRzFrameController::Color, &TRzFrameController::SetColor).Default(clWindow).Idents(ColorIdentMap());
  p.Bool("FlatButtons", &TRzFrameController::FlatButtons, &TRzFrameController::SetFlatButtons).Default(1);
  p.Int("FrameColor", &TRzFrameController::FrameColor, &TRzFrameController::SetFrameColor)
      .Default(clBtnShadow)
      .Idents(ColorIdentMap());
  p.Bool("FrameFlat", &TRzFrameController::FrameFlat, &TRzFrameController::SetFrameFlat).Default(0);
  p.Enum("FrameFlatStyle", FrameStyleNames, &TRzFrameController::FrameFlatStyle,
         &TRzFrameController::SetFrameFlatStyle)
      .Default(fsStatus);
  p.Enum("FrameFocusStyle", FrameStyleNames, &TRzFrameController::FrameFocusStyle,
         &TRzFrameController::SetFrameFocusStyle)
      .Default(fsLowered);
  p.Set("FrameSides", SideNames, &TRzFrameController::FrameSides, &TRzFrameController::SetFrameSides)
      .Default(int64_t(sdAllSides.Bits()));
  p.Enum("FrameStyle", FrameStyleNames, &TRzFrameController::FrameStyle, &TRzFrameController::SetFrameStyle)
      .Default(fsFlat);
  p.Bool("FrameVisible", &TRzFrameController::FrameVisible, &TRzFrameController::SetFrameVisible).Default(0);
}

void RzCommonInitialize() { RegisterClass(TRzFrameController::StaticClass()); }
