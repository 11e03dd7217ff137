#include "RzPanel.h"

#include <algorithm>

const TEnumInfo VerticalAlignmentNames{"TVerticalAlignment", {"vaTop", "vaCenter", "vaBottom"}};

// ---------------------------------------------------------------------------------------------------
// TRzPanelDockManager

TRzPanelDockManager::TRzPanelDockManager(TRzCustomPanel* Panel) : FPanel(Panel), FFont(new TFont()) {
  FFont->SetName("Arial");
  FFont->SetSize(8);
}

TRzPanelDockManager::~TRzPanelDockManager() { TObject::Free(FFont); }

bool TRzPanelDockManager::VerticalBar() const { return FPanel->Align() == alTop || FPanel->Align() == alBottom; }

void TRzPanelDockManager::AdjustDockRect(TControl*, RECT& ARect) {
  if (VerticalBar())
    ARect.left += GrabberSize;
  else
    ARect.top += GrabberSize;
}

void TRzPanelDockManager::PaintDockFrame(TCanvas* C, TControl* Control, const RECT& ARect) {
  if (!FPanel->ShowDockClientCaptions()) return;   // the class library draws no dock frame of its own
  C->SetFont(FFont);
  C->Font()->SetColor(clCaptionText);
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(clActiveCaption);
  const std::string caption = Control ? Control->Caption() : std::string();
  if (!VerticalBar()) {
    RECT strip{ARect.left, ARect.top, ARect.right, ARect.top + GrabberSize};
    C->FillRect(strip);
    RECT text{strip.left + 2, strip.top, strip.right - 15, strip.bottom};
    C->Brush()->SetStyle(bsClear);
    DrawTextA(C->Handle(), caption.c_str(), int(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    RECT close{ARect.right - 14, ARect.top + 1, ARect.right - 1, ARect.top + 12};
    DrawFrameControl(C->Handle(), &close, DFC_CAPTION, DFCS_CAPTIONCLOSE);
  } else {
    RECT strip{ARect.left, ARect.top, ARect.left + GrabberSize, ARect.bottom};
    C->FillRect(strip);
    C->Brush()->SetStyle(bsClear);
    HFONT turned = RotateFont(C->Font(), 90);
    HDC dc = C->Handle();
    C->TextExtent("");   // puts the canvas's brush and colours into the context
    HGDIOBJ old = SelectObject(dc, turned);
    UINT align = SetTextAlign(dc, TA_BASELINE);
    SetTextColor(dc, ColorToRGB(clCaptionText));
    TextOutA(dc, strip.right - 2, strip.bottom - 3, caption.c_str(), int(caption.size()));
    SetTextAlign(dc, align);
    SelectObject(dc, old);
    DeleteObject(turned);
    RECT close{ARect.left + 1, ARect.top + 1, ARect.left + 12, ARect.top + 13};
    DrawFrameControl(dc, &close, DFC_CAPTION, DFCS_CAPTIONCLOSE);
  }
}

// ---------------------------------------------------------------------------------------------------
// TRzCustomPanel

TRzCustomPanel::TRzCustomPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
  FControlStyle.Exclude(csSetCaption);
  FBevelOuter = bvNone;
}

TRzCustomPanel::~TRzCustomPanel() { TObject::Free(FDockManager); }

void TRzCustomPanel::GetClientCursorPos(POINT& P) {
  GetCursorPos(&P);
  P = ScreenToClient(P);
}

int TRzCustomPanel::BorderLayerWidth(TFrameStyle Style) const {
  switch (Style) {
    case fsNone: return 0;
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return FBevelWidth;
    default: return 2;
  }
}

void TRzCustomPanel::AdjustRectForBorders(RECT& R, bool IncludeBorderWidth) {
  if (FFrameSides.Contains(sdLeft)) ++R.left;
  if (FFrameSides.Contains(sdTop)) ++R.top;
  if (FFrameSides.Contains(sdRight)) --R.right;
  if (FFrameSides.Contains(sdBottom)) --R.bottom;
  if (IncludeBorderWidth) InflateRect(&R, -FBorderWidth, -FBorderWidth);
  for (TFrameStyle s : {FBorderOuter, FBorderInner}) {
    const int w = BorderLayerWidth(s);
    if (FBorderSides.Contains(sdLeft)) R.left += w;
    if (FBorderSides.Contains(sdTop)) R.top += w;
    if (FBorderSides.Contains(sdRight)) R.right -= w;
    if (FBorderSides.Contains(sdBottom)) R.bottom -= w;
  }
}

void TRzCustomPanel::GetPanelRect(RECT& R) { R = RECT{0, 0, Width(), Height()}; }

RECT TRzCustomPanel::GetClientRect() {
  RECT r = TCustomPanel::GetClientRect();
  if (!DockSite()) AdjustRectForBorders(r, false);
  return r;
}

void TRzCustomPanel::AdjustClientRect(RECT& Rect) {
  TCustomPanel::AdjustClientRect(Rect);
  if (DockSite()) AdjustRectForBorders(Rect, false);
}

TRzPanelDockManager* TRzCustomPanel::DockManager() {
  if (!DockSite() || !UseDockManager()) return nullptr;
  if (!FDockManager) FDockManager = new TRzPanelDockManager(this);
  return FDockManager;
}

// A panel docked to the bottom or right grows toward the inside: its outer edge stays.
void TRzCustomPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FAlign == alBottom && AHeight != FHeight) ATop = FTop - (AHeight - FHeight);
  if (FAlign == alRight && AWidth != FWidth) ALeft = FLeft - (AWidth - FWidth);
  TCustomPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TRzCustomPanel::BordersChanged() {
  Realign();
  Invalidate();
}

void TRzCustomPanel::SetVerticalAlignment(TVerticalAlignment Value) {
  if (Value == FVerticalAlignment) return;
  FVerticalAlignment = Value;
  Invalidate();
}

void TRzCustomPanel::SetBorderColor(TColor Value) {
  if (Value == FBorderColor) return;
  FBorderColor = Value;
  Invalidate();
}

void TRzCustomPanel::SetBorderInner(TFrameStyle Value) {
  if (Value == FBorderInner) return;
  FBorderInner = Value;
  BordersChanged();
}

void TRzCustomPanel::SetBorderOuter(TFrameStyle Value) {
  if (Value == FBorderOuter) return;
  FBorderOuter = Value;
  BordersChanged();
}

void TRzCustomPanel::SetBorderSides(TSides Value) {
  if (Value == FBorderSides) return;
  FBorderSides = Value;
  BordersChanged();
}

void TRzCustomPanel::SetBorderHighlight(TColor Value) {
  if (Value == FBorderHighlight) return;
  FBorderHighlight = Value;
  Invalidate();
}

void TRzCustomPanel::SetBorderShadow(TColor Value) {
  if (Value == FBorderShadow) return;
  FBorderShadow = Value;
  Invalidate();
}

void TRzCustomPanel::SetFlatColor(TColor Value) {
  if (Value == FFlatColor) return;
  FFlatColor = Value;
  Invalidate();
}

void TRzCustomPanel::SetFrameSides(TSides Value) {
  if (Value == FFrameSides) return;
  FFrameSides = Value;
  BordersChanged();
}

void TRzCustomPanel::SetShowDockClientCaptions(bool Value) {
  if (Value == FShowDockClientCaptions) return;
  FShowDockClientCaptions = Value;
  Invalidate();
}

RECT TRzCustomPanel::DrawBorderLayer(TCanvas* C, RECT R, TFrameStyle Style) {
  switch (Style) {
    case fsFlat: return DrawBevel(C, R, FFlatColor, FFlatColor, 1, FBorderSides);
    case fsPopup: return DrawBevel(C, R, FBorderHighlight, FBorderShadow, FBevelWidth, FBorderSides);
    case fsStatus: return DrawBevel(C, R, FBorderShadow, FBorderHighlight, FBevelWidth, FBorderSides);
    default: return DrawBorder(C, R, Style, FBorderSides);
  }
}

void TRzCustomPanel::Paint() {
  TCanvas* C = Canvas();
  RECT r;
  GetPanelRect(r);
  r = DrawSides(C, r, clBlack, clBlack, FFrameSides);
  r = DrawBorderLayer(C, r, FBorderOuter);
  if (FBorderWidth != 0) r = DrawBevel(C, r, FBorderColor, FBorderColor, FBorderWidth, FBorderSides);
  r = DrawBorderLayer(C, r, FBorderInner);
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Color());
  C->FillRect(r);
  C->Brush()->SetStyle(bsClear);
  DrawCaption(r);
}

void TRzCustomPanel::DrawCaption(RECT R) {
  const std::string text = Caption();
  if (text.empty()) return;
  TCanvas* C = Canvas();
  C->SetFont(Font());
  const UINT horz = FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
  const UINT flags = DT_WORDBREAK | DT_EXPANDTABS | DT_VCENTER | horz;
  ++R.left;
  RECT calc = R;
  C->TextExtent("");   // the font into the context before measuring
  const int h = DrawTextA(C->Handle(), text.c_str(), int(text.size()), &calc, flags | DT_CALCRECT);
  if (FVerticalAlignment == vaCenter) {
    R.top = (R.top + R.bottom - h) / 2;
    R.bottom = R.top + h;
  } else if (FVerticalAlignment == vaBottom) {
    R.top = R.bottom - h - 1;
  }
  HDC dc = C->Handle();
  SetBkMode(dc, TRANSPARENT);
  if (!Enabled()) {
    RECT shifted = R;
    OffsetRect(&shifted, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawTextA(dc, text.c_str(), int(text.size()), &shifted, flags);
    SetTextColor(dc, ColorToRGB(clGrayText));
  } else {
    SetTextColor(dc, ColorToRGB(Font()->Color()));
  }
  DrawTextA(dc, text.c_str(), int(text.size()), &R, flags);
}

void TRzCustomPanel::EnabledChanged() {
  if (!Enabled()) {
    FChildEnabled.clear();
    for (int i = 0; i < ControlCount(); ++i) FChildEnabled[Controls(i)] = Controls(i)->Enabled();
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(false);
  } else {
    // Each child gets back what it had when the panel was disabled (one added since: enabled).
    std::map<TControl*, bool> was;
    was.swap(FChildEnabled);
    for (int i = 0; i < ControlCount(); ++i) {
      auto it = was.find(Controls(i));
      Controls(i)->SetEnabled(it == was.end() || it->second);
    }
  }
}

void TRzCustomPanel::RemoveControl(TControl* AControl) {
  FChildEnabled.erase(AControl);
  TCustomPanel::RemoveControl(AControl);
}

void TRzCustomPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED: {
      TLiveGuard alive(this);
      TCustomPanel::Dispatch(Message);
      if (!alive) return;
      Repaint();
      EnabledChanged();
      return;
    }
    case WM_WINDOWPOSCHANGED: {
      const auto* wp = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
      const int oldW = FPaintedWidth, oldH = FPaintedHeight;
      if (wp && !(wp->flags & SWP_NOSIZE)) {
        FPaintedWidth = wp->cx;
        FPaintedHeight = wp->cy;
      }
      if (FHandle) {
        if (!FFullRepaint && !Caption().empty() && oldW >= 0) {
          // Only what the old borders covered needs painting again.
          RECT inner{0, 0, oldW, oldH};
          AdjustRectForBorders(inner, true);
          const int w = std::max(oldW, FPaintedWidth), h = std::max(oldH, FPaintedHeight);
          if (FPaintedWidth != oldW) {
            RECT strip{std::max<LONG>(inner.right - 1, 0), 0, w, h};
            InvalidateRect(FHandle, &strip, TRUE);
          }
          if (FPaintedHeight != oldH) {
            RECT strip{0, std::max<LONG>(inner.bottom - 1, 0), w, h};
            InvalidateRect(FHandle, &strip, TRUE);
          }
        } else {
          Invalidate();
        }
      }
      break;
    }
    case CM_MOUSEENTER: {
      TLiveGuard alive(this);
      TCustomPanel::Dispatch(Message);
      if (alive) OnMouseEnter(this);
      return;
    }
    case CM_MOUSELEAVE: {
      TLiveGuard alive(this);
      TCustomPanel::Dispatch(Message);
      if (alive) OnMouseLeave(this);
      return;
    }
  }
  TCustomPanel::Dispatch(Message);
}

void TRzCustomPanel::Publish(TPublisher<TRzCustomPanel>& p) {
  p.Enum("BorderInner", FrameStyleNames, &TRzCustomPanel::BorderInner, &TRzCustomPanel::SetBorderInner).Default(fsNone);
  p.Enum("BorderOuter", FrameStyleNames, &TRzCustomPanel::BorderOuter, &TRzCustomPanel::SetBorderOuter)
      .Default(fsRaised);
  p.Set("BorderSides", SideNames, &TRzCustomPanel::BorderSides, &TRzCustomPanel::SetBorderSides)
      .Default(int64_t(sdAllSides.Bits()));
  p.Int("BorderColor", &TRzCustomPanel::BorderColor, &TRzCustomPanel::SetBorderColor)
      .Default(clBtnFace)
      .Idents(ColorIdentMap());
  p.Int("BorderHighlight", &TRzCustomPanel::BorderHighlight, &TRzCustomPanel::SetBorderHighlight)
      .Default(clBtnHighlight)
      .Idents(ColorIdentMap());
  p.Int("BorderShadow", &TRzCustomPanel::BorderShadow, &TRzCustomPanel::SetBorderShadow)
      .Default(clBtnShadow)
      .Idents(ColorIdentMap());
  p.Int("FlatColor", &TRzCustomPanel::FlatColor, &TRzCustomPanel::SetFlatColor).Default(0).Idents(ColorIdentMap());
  p.Set("FrameSides", SideNames, &TRzCustomPanel::FrameSides, &TRzCustomPanel::SetFrameSides).Default(0);
  p.Bool("ShowDockClientCaptions", &TRzCustomPanel::ShowDockClientCaptions,
         &TRzCustomPanel::SetShowDockClientCaptions)
      .Default(1);
  p.Enum("BevelOuter", BevelCutNames, &TRzCustomPanel::BevelOuter, &TRzCustomPanel::SetBevelOuter).Default(bvNone);
}
