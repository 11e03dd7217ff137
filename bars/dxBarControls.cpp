// The bar windows' item handling (hit testing, selection, painting one control into any device context)
// and the button control: its size on toolbars and in menus, its looks and its click.
#include <algorithm>

#include "Menus.h"
#include "dxBar.h"

namespace {

SIZE TextExtent(HDC DC, const std::string& S) {
  SIZE sz{0, 0};
  GetTextExtentPoint32A(DC, S.c_str(), int(S.size()), &sz);
  return sz;
}

// Runs F with a screen device context holding the given font.
template <class F>
auto WithFontDC(TFont* AFont, F f) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, AFont ? AFont->Handle() : GetStockObject(DEFAULT_GUI_FONT));
  auto r = f(dc);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Bar window base: hit testing and selection

void TCustomdxBarControl::CalcDrawingConsts() {
  FTextSize = WithFontDC(Font(), [](HDC dc) { return int(TextExtent(dc, "0").cy); }) + 6;
  TFont* eff = GetEffectiveFont();
  SIZE zero = WithFontDC(eff, [](HDC dc) { return TextExtent(dc, "0"); });
  FEffTextSize = zero.cy + 6;
  FSubMenuTextSize = FTextSize / 4 * 3 + 1;
  FComboArrowWidth = 2 * zero.cx - 1;
}

bool TCustomdxBarControl::CanCustomize() {
  return FBarManager && FBarManager->ComponentState().Contains(csDesigning);
}

TFont* TCustomdxBarControl::GetEffectiveFont() { return FBarManager ? FBarManager->Font() : Font(); }

RECT TCustomdxBarControl::GetItemRect(TdxBarItemControl* AControl) {
  if (!AControl || !AControl->Link()) return RECT{0, 0, 0, 0};
  return AControl->Link()->ItemRect;
}

HRGN TCustomdxBarControl::GetItemRegion(TdxBarItemControl* AControl) {
  RECT r = GetItemPartRect(AControl, 1);
  return CreateRectRgnIndirect(&r);
}

bool TCustomdxBarControl::IsAncestorOf(TCustomdxBarControl* AControl) {
  for (TCustomdxBarControl* c = AControl; c; c = c->ParentBar())
    if (c == this) return true;
  return false;
}

TdxBarItemControl* TCustomdxBarControl::ItemAtPos(POINT P) {
  if (!FItemLinks) return nullptr;
  bool customizing = IsCustomizing();
  if (customizing && !CanCustomize()) return nullptr;
  for (int i = 0; i < FItemLinks->VisibleCount(); ++i) {
    TdxBarItemLink* l = FItemLinks->VisibleItems(i);
    if (!l->Control() || !PtInRect(&l->ItemRect, P)) continue;
    if (customizing && l->Item() && l->Item()->BarManager() != FBarManager &&
        !(FBarManager && FBarManager->ComponentState().Contains(csAncestor)))
      return nullptr;
    return l->Control();
  }
  return nullptr;
}

void TCustomdxBarControl::RepaintItem(TdxBarItemControl*) { FBkBrush = GetSysColorBrush(COLOR_BTNFACE); }

void TCustomdxBarControl::RepaintSelection(TdxBarItemControl* APrev) {
  if (FLockControls) return;
  if (APrev && APrev->Item() && !APrev->Item()->ComponentState().Contains(csDestroying)) RepaintItem(APrev);
  if (FSelectedControl) RepaintItem(FSelectedControl);
}

void TCustomdxBarControl::SelectItem(TdxBarItemControl* AControl) {
  if (FSelectedControl == AControl) return;
  if (FSelectedControl && FSelectedControl->DroppedDown()) FSelectedControl->CloseUp();
  if (!IsBarControl(this)) return;
  if (AControl) AControl->SetSelectedByMouse(false);
  SetSelectedItem(AControl);
}

void TCustomdxBarControl::DropDownItem(TdxBarItemControl* AControl) {
  if (!HandleAllocated() || FSelectedControl == AControl) return;
  if (FSelectedControl && FSelectedControl->DroppedDown()) FSelectedControl->CloseUp();
  if (AControl) AControl->SetSelectedByMouse(true);
  SetSelectedItem(AControl);
  if (FSelectedControl && FSelectedControl == AControl) AControl->DropDown();
}

void TCustomdxBarControl::SetSelectedItem(TdxBarItemControl* AControl) {
  if (FSelectedControl == AControl) return;
  TdxBarItemControl* prev = FSelectedControl;
  FSelectedControl = AControl;
  if (FBarManager) FBarManager->SetSelectedItem(AControl);
  RepaintSelection(prev);
  GetCursorPos(&FLastCursor);
  if (!AControl) SetCursor(crDefault);
  bool showHint = AControl && (AControl->GetEnabled() || (FBarManager && FBarManager->ShowHintForDisabledItems()));
  SetHint(showHint && AControl->Item() ? GetLongHint(AControl->Item()->Hint()) : std::string());
  if (FBarManager) FBarManager->UpdateHint(true, std::string());
}

void TCustomdxBarControl::PaintItemTo(HDC DC, TdxBarItemControl* AControl, int State) {
  if (!AControl) return;
  RECT r = GetItemRect(AControl);
  int saved = SaveDC(DC);
  IntersectClipRect(DC, r.left, r.top, r.right, r.bottom);
  HFONT font = GetEffectiveFont() ? GetEffectiveFont()->Handle() : nullptr;
  if (font) SelectObject(DC, font);
  AControl->Paint(DC, r, State);
  RestoreDC(DC, saved);
}

// ---------------------------------------------------------------------------------------------------
// Item control base: the click

void TdxBarItemControl::SetClicking(bool Value) {
  if (FClicking == Value) return;
  FClicking = Value;
  ClickingChanged();
}

void TdxBarItemControl::Click() {
  if (!GetEnabled()) return;
  ControlClick();
  ItemClick();
}

void TdxBarItemControl::ItemClick() {
  TdxBarItem* item = Item();
  TdxBarItemLink* link = FLink;
  TCustomdxBarControl* parent = FParent;
  if (!item || !link) return;
  bool closes = ClosesSubMenuOnClick();
  if (closes) {
    link->MarkUsed(true);
    if (link->OriginalItemLink() && link->OriginalItemLink() != link) link->OriginalItemLink()->MarkUsed(true);
  }
  bool setClicking = item->UnclickAfterDoing() && (!closes || !parent->IsPopup());
  if (setClicking) SetClicking(true);
  // Closing the chain may free the window and with it this control: from here on only the saved
  // pointers are used, and only after checking they still stand.
  if (closes) parent->DeactivateChain();
  bool fires = IsBarControl(parent) && link->Control() == this ? FiresClickEvent() : true;
  if (fires) {
    TdxLiveGuard alive(item);
    item->ClickItemLink = link;
    item->Click();
    if (!alive) return;
    item->ClickItemLink = nullptr;
  }
  if (setClicking && IsBarControl(parent) && link->Control() == this) SetClicking(false);
}

bool TdxBarItemControl::IsSelected() {
  return FParent && FParent->SelectedControl() == this && (GetEnabled() || !FSelectedByMouse);
}

std::string TdxBarItemControl::GetCaption() { return FLink ? FLink->Caption() : std::string(); }
bool TdxBarItemControl::GetEnabled() { return Item() && Item()->Enabled(); }
TBitmap* TdxBarItemControl::GetGlyph() { return FLink ? FLink->Glyph() : nullptr; }
int TdxBarItemControl::GetImageIndex() { return Item() ? Item()->ImageIndex() : -1; }
TCustomImageList* TdxBarItemControl::GetImages() {
  return FParent && FParent->BarManager() ? FParent->BarManager()->Images() : nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Button control

TdxBarButton* TdxBarButtonControl::Button() const { return dynamic_cast<TdxBarButton*>(Item()); }

static bool InMenu(TCustomdxBarControl* P) { return dynamic_cast<TdxBarSubMenuControl*>(P) != nullptr; }

TdxBarPaintStyle TdxBarButtonControl::EffectivePaintStyle() {
  TdxBarPaintStyle ps = FLink->PaintStyle();
  if (!InMenu(FParent) && ps == psStandard) {
    TBitmap* g = GetGlyph();
    TCustomImageList* il = GetImages();
    int ii = GetImageIndex();
    bool hasImage = il && ii >= 0 && ii < il->Count();
    if ((!g || g->Empty()) && !hasImage) ps = psCaption;
  }
  return ps;
}

int TdxBarButtonControl::GetArrowWidth() {
  TdxBarManager* m = FParent->BarManager();
  if (InMenu(FParent)) return FParent->TextSize() / 4 * 3 + 1;
  int w = m ? m->ButtonArrowWidth() : 9;
  return m && m->LargeIcons() ? 2 * w : w;
}

int TdxBarButtonControl::GetThickness() {
  if (InMenu(FParent)) return FParent->TextSize();
  TdxBarManager* m = FParent->BarManager();
  int def = m ? m->ButtonSize2() : 22;
  TdxBarPaintStyle ps = EffectivePaintStyle();
  if (ps == psCaption || ps == psCaptionGlyph) {
    if (RotatesWhenVertical(FParent)) def = m ? m->ButtonSize() : 23;
    return std::max(FParent->TextSize(), def);
  }
  return def;
}

int TdxBarButtonControl::GetLength() {
  TdxBarManager* m = FParent->BarManager();
  TFont* font = FParent->GetEffectiveFont();
  int captionWidth = WithFontDC(font, [&](HDC dc) { return int(TextExtent(dc, dxStripAccelChars(GetCaption())).cx); });
  if (InMenu(FParent)) {
    int rowH = FParent->TextSize();
    int len = captionWidth + 2 * rowH + 6;
    TdxBarItem* item = Item();
    if (item && item->ShortCut()) {
      std::string sc = ShortCutToText(item->ShortCut());
      len += WithFontDC(font, [&](HDC dc) { return int(TextExtent(dc, sc).cx); }) + rowH - 6;
    }
    return len;
  }
  int defW = m ? m->ButtonSize() : 23;
  int defH = m ? m->ButtonSize2() : 22;
  switch (EffectivePaintStyle()) {
    case psCaption:
      return captionWidth + (font ? font->Size() : 8);
    case psCaptionGlyph:
      return captionWidth + (RotatesWhenVertical(FParent) ? defH : defW) + 4;
    default:
      return defW;
  }
}

static bool CaptionShownRotated(TdxBarButtonControl* C, TdxBarPaintStyle Ps) {
  return RotatesWhenVertical(C->Parent()) && (Ps == psCaption || Ps == psCaptionGlyph);
}

int TdxBarButtonControl::GetHeight() {
  int h = CaptionShownRotated(this, EffectivePaintStyle()) ? GetLength() : GetThickness();
  return h;
}

int TdxBarButtonControl::GetWidth() {
  int w = CaptionShownRotated(this, EffectivePaintStyle()) ? GetThickness() : GetLength();
  if (!InMenu(FParent) && Button() && Button()->ButtonStyle() == bsDropDown) w += GetArrowWidth();
  return w;
}

bool TdxBarButtonControl::IsSelected() {
  if (FClicking) return true;
  return TdxBarItemControl::IsSelected();
}

bool TdxBarButtonControl::ClosesSubMenuOnClick() {
  if (!InMenu(FParent)) return true;
  return !Button() || Button()->CloseSubMenuOnClick();
}

void TdxBarButtonControl::ControlClick() {
  if (!InMenu(FParent)) Repaint();
}

void TdxBarButtonControl::ItemClick() {
  if (DropDownOpen) return;
  if (TdxBarButton* b = Button())
    if (b->ButtonStyle() == bsChecked) {
      TdxLiveGuard alive(b);
      b->SetDown(!b->Down());
      if (!alive) return;
    }
  CloseUp();
  TdxBarItemControl::ItemClick();
}

void TdxBarButtonControl::GlyphChanged() {
  if (FLink->PaintStyle() == psStandard)
    FParent->RebuildBar();
  else
    Repaint();
}

void TdxBarButtonControl::ButtonStyleChanged() { FParent->RebuildBar(); }
void TdxBarButtonControl::PaintStyleChanged() { FParent->RebuildBar(); }

void TdxBarButtonControl::Repaint() {
  if (FParent && !FParent->Destroying()) FParent->RepaintItem(this);
}

bool TdxBarButtonControl::Pressed() {
  TdxBarButton* b = Button();
  if (FClicking && b && b->ButtonStyle() != bsChecked) return true;
  if (!MouseClick || DropDownOpen || !FParent->Active() || FParent->SelectedControl() != this) return false;
  POINT p;
  GetCursorPos(&p);
  if (FParent->HandleAllocated()) p = FParent->ScreenToClient(p);
  RECT r = FParent->GetItemRect(this);
  if (b && b->ButtonStyle() == bsDropDown) r.right -= GetArrowWidth();
  return PtInRect(&r, p) != FALSE;
}

void TdxBarButtonControl::DrawGlyphArea(HDC DC, RECT R, int Kind, bool APressed, bool ADown, bool AHot) {
  TdxBarManager* m = FParent->BarManager();
  RECT a = R;
  if (Kind == 0) a.right = std::min<LONG>(R.right, R.left + (m ? m->ButtonSize() : 23));
  if (Kind == 2) a.bottom = std::min<LONG>(R.bottom, R.top + (m ? m->ButtonSize2() : 22));
  TBitmap* glyph = GetGlyph();
  TCustomImageList* images = GetImages();
  int ii = GetImageIndex();
  bool hasImage = images && ii >= 0 && ii < images->Count();
  bool hasGlyph = (glyph && !glyph->Empty()) || hasImage;
  bool enabled = GetEnabled();
  HBRUSH fill = FParent->BkBrush();
  HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
  if (Kind == 1 && AHot && !hasGlyph && !ADown) fill = highlight;
  HBRUSH back = enabled && ADown && !AHot ? dxCheckerBrush() : fill;
  RECT in = a;
  InflateRect(&in, -1, -1);
  if (!hasGlyph) {
    FillRect(DC, &in, back);
    if (ADown && Kind == 1) {
      // The check mark of a menu row, black on any face that is not itself black.
      COLORREF face = GetSysColor(COLOR_BTNFACE);
      HPEN pen = CreatePen(PS_SOLID, 1, face == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0));
      HGDIOBJ old = SelectObject(DC, pen);
      int cx = (a.left + a.right) / 2, cy = (a.top + a.bottom) / 2;
      for (int i = 0; i < 3; ++i) {
        MoveToEx(DC, cx - 3, cy - 1 + i, nullptr);
        LineTo(DC, cx - 1, cy + 1 + i);
        LineTo(DC, cx + 4, cy - 4 + i);
      }
      SelectObject(DC, old);
      DeleteObject(pen);
    }
  } else {
    int gw = glyph && !glyph->Empty() ? glyph->Width() : images->Width();
    int gh = glyph && !glyph->Empty() ? glyph->Height() : images->Height();
    if (Kind != 1 && m && m->LargeIcons()) gw *= 2, gh *= 2;
    int x = (a.left + a.right - gw) / 2, y = (a.top + a.bottom - gh) / 2;
    if (ADown) ++x, ++y;
    if (APressed) ++x, ++y;
    RECT g{x, y, x + gw, y + gh};
    dxDrawGlyph(DC, back, in, m ? m->ImageListBkColor() : clNone, false, enabled, hasImage ? ii : -1,
                hasImage ? images : nullptr, glyph && !glyph->Empty() ? glyph : nullptr, g);
  }
  if (ADown || (AHot && (hasGlyph || Kind != 1))) {
    RECT e = Kind == 1 ? a : R;
    DrawEdge(DC, &e, ADown || APressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  } else {
    RECT e = Kind == 1 ? a : R;
    FrameRect(DC, &e, fill);
  }
}

void TdxBarButtonControl::Paint(HDC DC, RECT R, int State) {
  TdxBarButton* b = Button();
  bool enabled = GetEnabled();
  bool hot = IsSelected() && (enabled || !SelectedByMouse());
  bool pressed = Pressed();
  bool down = b && b->Down() && b->ButtonStyle() == bsChecked;
  if (pressed) down = false;
  RECT main = R;
  int arrow = b && b->ButtonStyle() == bsDropDown ? GetArrowWidth() : 0;
  main.right -= arrow;
  if (State == 1) {
    // A menu row: glyph square, a one-pixel column, the text area.
    int rowH = R.bottom - R.top;
    TdxBarPaintStyle ps = FLink->PaintStyle();
    RECT g{R.left, R.top, R.left + rowH, R.bottom};
    bool withGlyph = ps != psCaption && ps != psCaptionInMenu;
    if (withGlyph)
      DrawGlyphArea(DC, g, 1, pressed, down, hot);
    else
      FillRect(DC, &g, hot && !down ? GetSysColorBrush(COLOR_HIGHLIGHT) : FParent->BkBrush());
    RECT col{g.right, R.top, g.right + 1, R.bottom};
    FillRect(DC, &col, hot && !down ? GetSysColorBrush(COLOR_HIGHLIGHT) : FParent->BkBrush());
    RECT text{col.right, R.top, main.right, R.bottom};
    FillRect(DC, &text, hot ? GetSysColorBrush(COLOR_HIGHLIGHT) : FParent->BkBrush());
    RECT t = text;
    t.left += 2;
    dxDrawItemText(DC, GetCaption(), t, DT_LEFT, enabled, hot, false);
    if (Item() && Item()->ShortCut()) {
      RECT s = text;
      s.right -= rowH + 5;
      dxDrawItemText(DC, ShortCutToText(Item()->ShortCut()), s, DT_RIGHT, enabled, hot, false);
    }
  } else {
    TdxBarManager* m = FParent->BarManager();
    TdxBarPaintStyle ps = EffectivePaintStyle();
    if (ps == psCaption) {
      // No picture: the whole main part is the button face.
      FillRect(DC, &main, enabled && down && !hot ? dxCheckerBrush() : FParent->BkBrush());
      if (down || hot) DrawEdge(DC, &main, down || pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
      RECT face = main;
      DrawGlyphArea(DC, face, ps == psStandard ? -1 : State, pressed, down, hot);
      if (ps == psCaptionGlyph && !(down || hot)) FrameRect(DC, &main, FParent->BkBrush());
    }
    if (ps == psCaption || ps == psCaptionGlyph) {
      RECT t = main;
      int fontSize = FParent->GetEffectiveFont() ? FParent->GetEffectiveFont()->Size() : 8;
      bool rotated = State == 2;
      int off = ps == psCaption ? fontSize / 2 : (rotated ? (m ? m->ButtonSize2() : 22) : (m ? m->ButtonSize() : 23));
      if (rotated)
        t.top += off;
      else
        t.left += off;
      int shift = (down ? 1 : 0) + (pressed ? 1 : 0);
      OffsetRect(&t, shift, shift);
      dxDrawItemText(DC, GetCaption(), t, DT_LEFT, enabled, false, rotated);
    }
  }
  if (arrow > 0) {
    RECT a{R.right - arrow, R.top, R.right, R.bottom};
    FillRect(DC, &a, FParent->BkBrush());
    if (hot) DrawEdge(DC, &a, DropDownOpen ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    bool arrowEnabled = enabled && b->DropDownEnabled();
    if (State == 1) {
      dxDrawTriangleArrow(DC, a, FParent->TextSize() / 4, arrowEnabled, hot);
    } else {
      RECT w = a;
      InflateRect(&w, 2, 0);
      if (DropDownOpen && arrow > 9) OffsetRect(&w, 1, 1);
      dxDrawScrollArrow(DC, w, adDown, arrowEnabled);
    }
  }
}
