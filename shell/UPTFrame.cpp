#include "UPTFrame.h"

#include <algorithm>

#include "Rects.h"

const TEnumInfo PTFrameStyleNames{
    "TPTFrameStyle",
    {"ptfsNone", "ptfsGroup", "ptfsLowered", "ptfsRaised", "ptfsDint", "ptfsBump", "ptfsSingle", "ptfsHorzLine",
     "ptfsHorzEdge", "ptfsVertLine", "ptfsVertEdge"}};

RECT PTFrameInset(TPTFrameStyle Style) {
  switch (Style) {
    case ptfsLowered:
    case ptfsRaised: return RECT{2, 2, 2, 2};
    case ptfsDint:
    case ptfsBump:
    case ptfsSingle: return RECT{1, 1, 1, 1};
    case ptfsHorzLine: return RECT{0, 2, 0, 0};
    case ptfsHorzEdge: return RECT{0, 2, 0, 2};
    case ptfsVertLine: return RECT{2, 0, 0, 0};
    case ptfsVertEdge: return RECT{2, 0, 2, 0};
    default: return RECT{0, 0, 0, 0};
  }
}

namespace {

void Line(TCanvas* C, TColor Color, std::initializer_list<POINT> Points) {
  C->Pen()->SetColor(Color);
  C->Pen()->SetStyle(psSolid);
  C->Pen()->SetMode(pmCopy);
  C->Polyline(std::vector<POINT>(Points));
}

// Puts the canvas's font into its DC with the given text colour; BackColor clNone draws text
// transparently, any other colour over an opaque background of it.
void PrepareText(TCanvas* C, TColor TextColor, TColor BackColor) {
  HDC dc = C->Handle();
  SelectObject(dc, C->Font()->Handle());
  SetTextColor(dc, ColorToRGB(TextColor));
  if (BackColor == clNone) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(BackColor));
  }
}

int DrawTextIn(TCanvas* C, RECT& R, const std::string& Text, UINT Flags) {
  const char* t = Text.c_str();
  int n = int(Text.size());
  // Measuring an empty caption still gives one line.
  if ((Flags & DT_CALCRECT) && (n == 0 || (Text == "&" && !(Flags & DT_NOPREFIX)))) {
    t = " ";
    n = 1;
  }
  return DrawTextExA(C->Handle(), const_cast<char*>(t), n, &R, Flags, nullptr);
}

// The height of a caption line in the canvas's font; 2 when there is no caption.
int CaptionHeight(TCanvas* C, const std::string& Caption) {
  if (Caption.empty()) return 2;
  return C->TextHeight("0");
}

void DrawGroupFrame(TCanvas* C, RECT R, const std::string& Caption, bool Enabled, TColor Color) {
  if (Color != clNone) {
    HBRUSH b = CreateSolidBrush(ColorToRGB(Color));
    RECT all{R.left, R.top, R.right + 1, R.bottom + 1};
    FillRect(C->Handle(), &all, b);
    DeleteObject(b);
  }
  int h = CaptionHeight(C, Caption);
  int top0 = R.top;
  R.top += h / 2 - 1;
  C->Brush()->SetStyle(bsClear);
  C->Pen()->SetStyle(psSolid);
  C->Pen()->SetMode(pmCopy);
  C->Pen()->SetColor(clBtnHighlight);
  C->Rectangle(R.left + 1, R.top + 1, R.right + 1, R.bottom + 1);
  C->Pen()->SetColor(clBtnShadow);
  C->Rectangle(R.left, R.top, R.right, R.bottom);
  if (Caption.empty()) return;
  RECT tr{R.left + 8, top0, R.right - 8, top0 + h};
  const UINT flags = DT_SINGLELINE | DT_END_ELLIPSIS;
  if (Enabled) {
    PrepareText(C, C->Font()->Color(), Color);
    DrawTextIn(C, tr, Caption, flags);
  } else {
    PrepareText(C, clBtnHighlight, Color);
    RECT shifted = tr;
    OffsetRect(&shifted, 1, 1);
    DrawTextIn(C, shifted, Caption, flags);
    PrepareText(C, clBtnShadow, clNone);
    DrawTextIn(C, tr, Caption, flags);
  }
}

}  // namespace

void PTDrawFrame(TCanvas* C, RECT R, TPTFrameStyle Style, const std::string& Caption, bool Enabled, TColor Color) {
  const int L = R.left, T = R.top, Rt = R.right, B = R.bottom;
  const TColor Sh = clBtnShadow, Hi = clBtnHighlight, Dk = cl3DDkShadow, Fa = clBtnFace;
  switch (Style) {
    case ptfsNone: break;
    case ptfsGroup: DrawGroupFrame(C, R, Caption, Enabled, Color); break;
    case ptfsLowered:
      Line(C, Sh, {{L, B - 1}, {L, T}, {Rt, T}});
      Line(C, Dk, {{L + 1, B - 2}, {L + 1, T + 1}, {Rt - 1, T + 1}});
      Line(C, Fa, {{L + 1, B - 1}, {Rt - 1, B - 1}, {Rt - 1, T}});
      Line(C, Hi, {{L, B}, {Rt, B}, {Rt, T - 1}});
      break;
    case ptfsRaised:
      Line(C, Hi, {{L, B - 1}, {L, T}, {Rt, T}});
      Line(C, Fa, {{L + 1, B - 2}, {L + 1, T + 1}, {Rt - 1, T + 1}});
      Line(C, Sh, {{L + 1, B - 1}, {Rt - 1, B - 1}, {Rt - 1, T}});
      Line(C, Dk, {{L, B}, {Rt, B}, {Rt, T - 1}});
      break;
    case ptfsDint:
      Line(C, Sh, {{L, B - 1}, {L, T}, {Rt, T}});
      Line(C, Hi, {{L, B}, {Rt, B}, {Rt, T - 1}});
      break;
    case ptfsBump:
      Line(C, Hi, {{L, B - 1}, {L, T}, {Rt, T}});
      Line(C, Sh, {{L, B}, {Rt, B}, {Rt, T - 1}});
      break;
    case ptfsSingle:
      C->Brush()->SetStyle(bsClear);
      C->Pen()->SetStyle(psSolid);
      C->Pen()->SetMode(pmCopy);
      C->Pen()->SetColor(clWindowFrame);
      C->Rectangle(L, T, Rt + 1, B + 1);
      break;
    case ptfsHorzLine:
      Line(C, Sh, {{L, T}, {Rt + 1, T}});
      Line(C, Hi, {{L, T + 1}, {Rt + 1, T + 1}});
      break;
    case ptfsHorzEdge:
      Line(C, Sh, {{L, T}, {Rt + 1, T}});
      Line(C, Sh, {{L, B - 1}, {Rt + 1, B - 1}});
      Line(C, Hi, {{L, T + 1}, {Rt + 1, T + 1}});
      Line(C, Hi, {{L, B}, {Rt + 1, B}});
      break;
    case ptfsVertLine:
      Line(C, Sh, {{L, T}, {L, B + 1}});
      Line(C, Hi, {{L + 1, T}, {L + 1, B + 1}});
      break;
    case ptfsVertEdge:
      Line(C, Sh, {{L, T}, {L, B + 1}});
      Line(C, Sh, {{Rt - 1, T}, {Rt - 1, B + 1}});
      Line(C, Hi, {{L + 1, T}, {L + 1, B + 1}});
      Line(C, Hi, {{Rt, T}, {Rt, B + 1}});
      break;
  }
}

int PTDrawCaption(TCanvas* C, RECT& R, const std::string& Caption, TAlignment Alignment, UINT ExtraFlags) {
  UINT flags = Alignment == taLeftJustify ? DT_LEFT : Alignment == taRightJustify ? DT_RIGHT : DT_CENTER;
  flags |= DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | ExtraFlags;
  return DrawTextIn(C, R, Caption, flags);
}

// ---------------------------------------------------------------------------------------------------
// TPTCustomGroup

TPTCustomGroup::TPTCustomGroup(TComponent* AOwner) : TPTFramed(AOwner) {
  FFrameStyle = ptfsGroup;
  FControlStyle = TControlStyle{csAcceptsControls, csClickEvents, csDoubleClicks};
  FWidth = 64;
  FHeight = 48;
}

void TPTCustomGroup::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
  Params.ExStyle |= WS_EX_CONTROLPARENT;
}

void TPTCustomGroup::SetFrameStyle(TPTFrameStyle Value) {
  if (Value == FFrameStyle) return;
  FFrameStyle = Value;
  FFrameChanged = true;
  ReFrame();
}

void TPTCustomGroup::ReFrame() {
  if (!FHandle) return;
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  // The window keeps its size but the client area changed: aligned children must follow.
  if (FHandle && !FComponentState.Contains(csLoading)) Realign();
}

RECT TPTCustomGroup::NonClientInset() {
  if (FFrameStyle != ptfsGroup) return PTFrameInset(FFrameStyle);
  int h = 2;
  if (!Caption().empty()) {
    ScreenDC screen;
    TSelectObject font(screen.DC, Font()->Handle());
    SIZE sz{};
    GetTextExtentPoint32A(screen.DC, "0", 1, &sz);
    h = sz.cy;
  }
  return RECT{2, h, 2, 2};
}

void TPTCustomGroup::NCCalcSize(TWMNCCalcSize& Message) {
  DefaultHandler(Message);
  RECT* r = Message.Rect();
  DeflateRect(*r, NonClientInset());
  if (!Caption().empty() || FComponentState.Contains(csDesigning) || FFrameChanged) {
    Message.Result = WVR_REDRAW;
    FFrameChanged = false;
  }
  if (Message.CalcValidRects()) Message.CalcSize_Params()->rgrc[1] = *r;
}

void TPTCustomGroup::NCPaint(TMessage& Message) {
  DefaultHandler(Message);
  TWindowDC dc(FHandle, true);
  if (!dc.DC) return;
  auto* canvas = static_cast<TControlCanvas*>(Canvas());
  canvas->FreeHandle();
  {
    TCanvasHandleScope lent(canvas, dc.DC, true);
    canvas->SetFont(Font());
    canvas->Brush()->SetColor(Color());
    RECT wr, cr;
    GetWindowRect(FHandle, &wr);
    ::GetClientRect(FHandle, &cr);
    MapWindowPoints(FHandle, nullptr, reinterpret_cast<POINT*>(&cr), 2);
    OffsetRect(&cr, -wr.left, -wr.top);
    ExcludeClipRect(dc.DC, cr.left, cr.top, cr.right, cr.bottom);
    DrawFrame(canvas, RECT{0, 0, wr.right - wr.left, wr.bottom - wr.top});
  }
  Message.Result = 0;
}

void TPTCustomGroup::DrawFrame(TCanvas* C, RECT Rect) {
  C->Brush()->SetColor(Color() == clNone ? clBtnFace : Color());
  C->Brush()->SetStyle(bsClear);
  --Rect.right;
  --Rect.bottom;
  C->SetFont(Font());
  PTDrawFrame(C, Rect, FFrameStyle, Caption(), Enabled(), Color());
}

void TPTCustomGroup::Paint() {
  TCanvas* C = Canvas();
  C->SetFont(Font());
  if (Color() != clNone) {
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
  }
  if (FDefaultDrawing && FFrameStyle != ptfsGroup) {
    RECT r = ClientRect();
    r.left += FFrameSpace;
    r.right -= FFrameSpace;
    PrepareText(C, Font()->Color(), clNone);
    PTDrawCaption(C, r, Caption(), FAlignment);
  }
  OnPaint(this, C);
}

void TPTCustomGroup::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
      NCCalcSize(MessageAs<TWMNCCalcSize>(Message));
      return;
    case WM_NCPAINT:
      NCPaint(Message);
      return;
    case WM_ERASEBKGND:
      // Nothing to erase without a colour, or when the owner paints everything itself.
      if ((!FComponentState.Contains(csDesigning) && !FDefaultDrawing) || Color() == clNone) {
        Message.Result = 1;
        return;
      }
      break;
    case CM_ENABLEDCHANGED: {
      TCustomControl::Dispatch(Message);
      Invalidate();
      bool on = Enabled();
      for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(on);
      if (FFrameStyle == ptfsGroup) ReFrame();
      return;
    }
    case CM_TEXTCHANGED:
    case CM_COLORCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      if (FFrameStyle == ptfsGroup) ReFrame();
      return;
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(Message);
      if (FFrameStyle == ptfsGroup)
        ReFrame();
      else
        Invalidate();
      return;
  }
  TCustomControl::Dispatch(Message);
}

void TPTGroup::Publish(TPublisher<TPTGroup>& p) {
  p.Enum("Alignment", AlignmentNames, &TPTGroup::Alignment, &TPTGroup::SetAlignment).Default(taCenter);
  p.Bool("DefaultDrawing", &TPTGroup::DefaultDrawing, &TPTGroup::SetDefaultDrawing).Default(1);
  p.Int("FrameSpace", &TPTGroup::FrameSpace, &TPTGroup::SetFrameSpace).Default(2);
  p.Enum("FrameStyle", PTFrameStyleNames, &TPTGroup::FrameStyle, &TPTGroup::SetFrameStyle).Default(ptfsGroup);
  p.Event("OnPaint", &TPTGroup::OnPaint);
}

// ---------------------------------------------------------------------------------------------------
// TPTCustomFrame

TPTCustomFrame::TPTCustomFrame(TComponent* AOwner) : TPTFramed(AOwner) {
  FFrameStyle = ptfsLowered;
  FControlStyle += TControlStyle{csClickEvents, csOpaque, csDoubleClicks};
  FWidth = 64;
  FHeight = 48;
}

void TPTCustomFrame::SetFrameStyle(TPTFrameStyle Value) {
  Set(FFrameStyle, Value);
}

void TPTCustomFrame::Paint() {
  TCanvas* C = Canvas();
  RECT client = ClientRect();
  if (Color() != clNone) {
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    if (FDefaultDrawing || FComponentState.Contains(csDesigning)) C->FillRect(client);
  }
  C->Brush()->SetStyle(bsClear);
  C->SetFont(Font());
  RECT r = client;
  --r.right;
  --r.bottom;
  PTDrawFrame(C, r, FFrameStyle, Caption(), Enabled(), Color());
  if (FFrameStyle == ptfsGroup) return;
  if (FDefaultDrawing) {
    RECT t = client;
    t.left += FFrameSpace;
    t.right -= FFrameSpace;
    PrepareText(C, Font()->Color(), clNone);
    PTDrawCaption(C, t, Caption(), FAlignment);
  }
  OnPaint(this, C);
}

void TPTCustomFrame::InvalidateContent() {
  if (!FParent || !FParent->HandleAllocated()) return;
  RECT in = PTFrameInset(FFrameStyle);
  RECT r{FLeft + in.left, FTop + in.top, FLeft + FWidth - in.right, FTop + FHeight - in.bottom};
  InvalidateRect(FParent->WindowHandle(), &r, FALSE);
}

void TPTCustomFrame::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
      InvalidateContent();
      return;
  }
  TGraphicControl::Dispatch(Message);
}

void TPTFrame::Publish(TPublisher<TPTFrame>& p) {
  p.Enum("Alignment", AlignmentNames, &TPTFrame::Alignment, &TPTFrame::SetAlignment).Default(taCenter);
  p.Bool("DefaultDrawing", &TPTFrame::DefaultDrawing, &TPTFrame::SetDefaultDrawing).Default(1);
  p.Int("FrameSpace", &TPTFrame::FrameSpace, &TPTFrame::SetFrameSpace).Default(2);
  p.Enum("FrameStyle", PTFrameStyleNames, &TPTFrame::FrameStyle, &TPTFrame::SetFrameStyle).Default(ptfsLowered);
  p.Event("OnPaint", &TPTFrame::OnPaint);
}

void UPTFrameInitialize() { RegisterClasses({TPTGroup::StaticClass(), TPTFrame::StaticClass()}); }
