#include "Buttons.h"

#include <algorithm>

const TEnumInfo ButtonLayoutNames{"TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}};

namespace {
// Copies the w x h pixels at (sx, sy) of Src to (x, y) of DC, leaving the pixels of colour Transparent
// out. Disabled draws the picture embossed in the button shadow and highlight colours instead.
void DrawMasked(HDC dc, int x, int y, HDC src, int sx, int sy, int w, int h, COLORREF transparent, bool disabled) {
  if (!disabled) {
    MaskedBlt(dc, RECT{x, y, x + w, y + h}, src, sx, sy, w, h, transparent);
    return;
  }
  TGdiObject<HBITMAP> mask(CreateBitmap(w, h, 1, 1, nullptr));
  TMemoryDC maskDC(dc, mask.Handle);
  COLORREF oldBk = SetBkColor(src, transparent);
  BitBlt(maskDC.DC, 0, 0, w, h, src, sx, sy, SRCCOPY);  // transparent pixels become 1
  SetBkColor(src, oldBk);
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBk2 = SetBkColor(dc, RGB(255, 255, 255));
  {
    // Every opaque pixel that is not white-ish becomes a shadow pixel with a highlight below right.
    TGdiObject<HBITMAP> mono(CreateBitmap(w, h, 1, 1, nullptr));
    TMemoryDC monoDC(dc, mono.Handle);
    COLORREF oldBk3 = SetBkColor(src, RGB(255, 255, 255));
    BitBlt(monoDC.DC, 0, 0, w, h, src, sx, sy, SRCCOPY);
    SetBkColor(src, oldBk3);
    BitBlt(monoDC.DC, 0, 0, w, h, maskDC.DC, 0, 0, SRCPAINT);  // transparent pixels count as white
    TGdiObject<HBRUSH> hi(CreateSolidBrush(GetSysColor(COLOR_BTNHIGHLIGHT)));
    TGdiObject<HBRUSH> sh(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
    TSelectObject brush(dc, hi.Handle);
    BitBlt(dc, x + 1, y + 1, w, h, monoDC.DC, 0, 0, 0x00B8074A);  // where the mono bitmap is black: brush
    SelectObject(dc, sh.Handle);
    BitBlt(dc, x, y, w, h, monoDC.DC, 0, 0, 0x00B8074A);
  }
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk2);
}
}  // namespace

RECT DrawButtonFace(HDC DC, const RECT& Client, TBitmap* Glyph, int NumGlyphs, TButtonState State,
                    const std::string& Caption, TButtonLayout Layout, int Margin, int Spacing, TFont* Font,
                    POINT Offset) {
  int gw = 0, gh = 0;
  bool hasGlyph = Glyph && !Glyph->Empty();
  if (hasGlyph) {
    NumGlyphs = std::clamp(NumGlyphs, 1, 4);
    gw = Glyph->Width() / NumGlyphs;
    gh = Glyph->Height();
  }
  HGDIOBJ oldFont = SelectObject(DC, Font->Handle());
  RECT tr{0, 0, Client.right - Client.left, 0};
  if (!Caption.empty()) DrawTextA(DC, Caption.c_str(), int(Caption.size()), &tr, DT_CALCRECT | DT_SINGLELINE);
  int tw = Caption.empty() ? 0 : tr.right - tr.left, th = Caption.empty() ? 0 : tr.bottom - tr.top;
  int cw = Client.right - Client.left, ch = Client.bottom - Client.top;
  bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  int space = (hasGlyph && tw) ? Spacing : 0;
  int total = horizontal ? gw + space + tw : gh + space + th;
  int extent = horizontal ? cw : ch;
  int margin = Margin < 0 ? (extent - total) / 2 : Margin;
  POINT gp{}, tp{};
  if (horizontal) {
    gp.y = (ch - gh) / 2;
    tp.y = (ch - th) / 2;
    if (Layout == blGlyphLeft) {
      gp.x = margin;
      tp.x = margin + gw + space;
    } else {
      gp.x = cw - margin - gw;
      tp.x = gp.x - space - tw;
    }
  } else {
    gp.x = (cw - gw) / 2;
    tp.x = (cw - tw) / 2;
    if (Layout == blGlyphTop) {
      gp.y = margin;
      tp.y = margin + gh + space;
    } else {
      gp.y = ch - margin - gh;
      tp.y = gp.y - space - th;
    }
  }
  int ox = Client.left + Offset.x, oy = Client.top + Offset.y;
  if (hasGlyph) {
    int index = 0;
    bool emboss = false;
    switch (State) {
      case bsDisabled:
        if (NumGlyphs > 1) index = 1; else emboss = true;
        break;
      case bsDown: index = NumGlyphs > 2 ? 2 : 0; break;
      case bsExclusive: index = NumGlyphs > 3 ? 3 : 0; break;
      default: break;
    }
    HDC src = Glyph->Canvas()->Handle();
    DrawMasked(DC, ox + gp.x, oy + gp.y, src, index * gw, 0, gw, gh, ColorToRGB(Glyph->TransparentColor()), emboss);
  }
  // Wine measures some captions ("Browse...") a few pixels short of what it draws: never clip to the measure.
  RECT text{ox + tp.x, oy + tp.y, ox + tp.x + tw, oy + tp.y + th};
  if (!Caption.empty()) {
    SetBkMode(DC, TRANSPARENT);
    if (State == bsDisabled) {
      OffsetRect(&text, 1, 1);
      SetTextColor(DC, GetSysColor(COLOR_BTNHIGHLIGHT));
      DrawTextA(DC, Caption.c_str(), int(Caption.size()), &text, DT_SINGLELINE | DT_NOCLIP);
      OffsetRect(&text, -1, -1);
      SetTextColor(DC, GetSysColor(COLOR_BTNSHADOW));
    } else {
      SetTextColor(DC, ColorToRGB(Font->Color()));
    }
    DrawTextA(DC, Caption.c_str(), int(Caption.size()), &text, DT_SINGLELINE | DT_NOCLIP);
  }
  SelectObject(DC, oldFont);
  return text;
}

namespace {

// A glyph of several equal squares (up to four) tells its picture count; any other keeps Current.
int GlyphCount(TBitmap* Glyph, int Current) {
  if (Glyph->Height() > 0 && Glyph->Width() % Glyph->Height() == 0) {
    int n = Glyph->Width() / Glyph->Height();
    if (n >= 1 && n <= 4) return n;
  }
  return Current;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TGlyphButton

template <class Base>
TGlyphButton<Base>::TGlyphButton(TComponent* AOwner) : Base(AOwner) {
  FGlyph = new TBitmap();
  FGlyph->OnChange = TNotifyEvent(this, &TGlyphButton::GlyphChanged);
}

template <class Base>
TGlyphButton<Base>::~TGlyphButton() {
  delete FGlyph;
}

template <class Base>
void TGlyphButton<Base>::GlyphChanged(TObject* Sender) {
  FNumGlyphs = GlyphCount(FGlyph, FNumGlyphs);
  this->Invalidate();
}

template <class Base>
void TGlyphButton<Base>::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 4);
  if (Value == FNumGlyphs) return;
  FNumGlyphs = Value;
  this->Invalidate();
}

template <class Base>
void TGlyphButton<Base>::SetLayout(TButtonLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  this->Invalidate();
}

template <class Base>
void TGlyphButton<Base>::SetMargin(int Value) {
  if (Value == FMargin || Value < -1) return;
  FMargin = Value;
  this->Invalidate();
}

template <class Base>
void TGlyphButton<Base>::SetSpacing(int Value) {
  if (Value == FSpacing) return;
  FSpacing = Value;
  this->Invalidate();
}

template class TGlyphButton<TGraphicControl>;
template class TGlyphButton<TButton>;

// ---------------------------------------------------------------------------------------------------
// TSpeedButton

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGlyphButton(AOwner), FActionClient(this) {
  FControlStyle = {csCaptureMouse, csDoubleClicks};
  SetBounds(0, 0, 23, 22);
}

void TSpeedButton::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool Value) { ChangeTransparent(FTransparent, Value); }

void TSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !Value && !FAllowAllUp) return;
  FDown = Value;
  if (Value) {
    FState = bsExclusive;
  } else {
    FState = bsUp;
  }
  Invalidate();
  if (Value) UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !Parent()) return;
  TWinControl* p = Parent();
  for (int i = 0; i < p->ControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(p->Controls(i));
    if (!b || b == this || b->FGroupIndex != FGroupIndex) continue;
    if (b->FDown) {
      b->FDown = false;
      b->FState = bsUp;
      b->Invalidate();
    }
    b->FAllowAllUp = FAllowAllUp;
  }
}

void TSpeedButton::Click() { FActionClient.Click(); }

void TSpeedButton::Loaded() {
  TGraphicControl::Loaded();
  if (FDown) FState = bsExclusive;
}

void TSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove) FActionClient.ActionRemoved(AComponent);
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  bool inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
  TButtonState s = FDown ? bsExclusive : bsUp;
  if (inside) s = FDown ? bsExclusive : bsDown;
  if (s != FState) {
    FState = s;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TLiveGuard g(this);
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!g || !FDragging) return;
  FDragging = false;
  bool inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
  if (FGroupIndex == 0) {
    FState = bsUp;
    Invalidate();
    if (inside) Click();
    return;
  }
  if (inside) {
    // A down button of a group stays down unless all may be up; the click counts either way.
    SetDown(!FDown);
    FState = FDown ? bsExclusive : bsUp;
    Invalidate();
    Click();
  } else {
    FState = FDown ? bsExclusive : bsUp;
    Invalidate();
  }
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  RECT r = ClientRect();
  if (!Enabled()) {
    FState = bsDisabled;
    FDragging = false;
  } else if (FState == bsDisabled) {
    FState = FDown ? bsExclusive : bsUp;
  }
  if (!FTransparent || !FFlat) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  bool pressed = FState == bsDown || FState == bsExclusive;
  if (FFlat) {
    if (pressed) {
      DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    } else if (FMouseInControl && Enabled()) {
      DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    }
  } else {
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0));
    if (FState == bsExclusive && FGroupIndex) {
      // A down button of a group shows a dotted face.
      HBRUSH pattern = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
      RECT inner = r;
      InflateRect(&inner, -1, -1);
      FillRect(dc, &inner, pattern);
    }
  }
  POINT offset{pressed ? 1 : 0, pressed ? 1 : 0};
  RECT face = ClientRect();
  DrawButtonFace(dc, face, FGlyph, FNumGlyphs, FState, Caption(), FLayout, FMargin, FSpacing, Font(), offset);
}

void TSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      TGraphicControl::Dispatch(Message);
      if (!FMouseInControl && Enabled()) {
        FMouseInControl = true;
        if (FFlat) Invalidate();
      }
      return;
    case CM_MOUSELEAVE:
      TGraphicControl::Dispatch(Message);
      if (FMouseInControl) {
        FMouseInControl = false;
        if (FFlat) Invalidate();
      }
      return;
    case WM_LBUTTONDBLCLK:
      // A double click on a group button is a second press.
      TGraphicControl::Dispatch(Message);
      return;
  }
  TGraphicControl::Dispatch(Message);
}

static const TEnumInfo* const SpeedLayoutNames = &ButtonLayoutNames;

void TSpeedButton::Publish(TPublisher<TSpeedButton>& p) {
  p.Ref("Action", &TSpeedButton::Action, &TSpeedButton::SetAction);
  p.Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(0);
  p.Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(0);
  p.Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(0);
  p.Object("Glyph", &TSpeedButton::Glyph);
  p.Int("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
  p.Enum("Layout", *SpeedLayoutNames, &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
  p.Int("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
  p.Int("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
  p.Int("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
  p.Bool("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent).Default(1);
}

// ---------------------------------------------------------------------------------------------------
// TBitBtn

void TBitBtn::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_DRAWITEM) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    HDC dc = dis->hDC;
    RECT r = dis->rcItem;
    bool pressed = (dis->itemState & ODS_SELECTED) != 0;
    bool focused = (dis->itemState & ODS_FOCUS) != 0;
    HBRUSH face = CreateSolidBrush(ColorToRGB(clBtnFace));
    FillRect(dc, &r, face);
    DeleteObject(face);
    if (focused || FDefault) {
      FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      InflateRect(&r, -1, -1);
    }
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED | DFCS_FLAT : 0));
    POINT offset{pressed ? 1 : 0, pressed ? 1 : 0};
    TButtonState state = !Enabled() ? bsDisabled : pressed ? bsDown : bsUp;
    DrawButtonFace(dc, r, FGlyph, FNumGlyphs, state, Caption(), FLayout, FMargin, FSpacing, Font(), offset);
    if (focused) {
      RECT fr = r;
      InflateRect(&fr, -3, -3);
      DrawFocusRect(dc, &fr);
    }
    Message.Result = 1;
    return;
  }
  TButton::Dispatch(Message);
}

void TBitBtn::Publish(TPublisher<TBitBtn>& p) {
  p.Object("Glyph", &TBitBtn::Glyph);
  p.Enum("Layout", ButtonLayoutNames, &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
  p.Int("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
  p.Int("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
  p.Int("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
}

void RegisterButtonsClasses() { RegisterClasses({TSpeedButton::StaticClass(), TBitBtn::StaticClass()}); }
