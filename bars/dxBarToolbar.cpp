// The toolbar window: its items laid out in a row, a column or (floating) rows that wrap at group
// starts; the grip, the floating caption with its close button, the end mark; dragging by the grip,
// sizing a floating bar, docking by a double click, and the window's place written back into the bar.
#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarCustomizing.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarQuickCust.h"
#include "dxBarWindows.h"
#include "Rects.h"

namespace {

constexpr int MarkLength = 11;
constexpr int SeparatorSize = 6;

int CaptionButtonWidth() { return GetSystemMetrics(SM_CXSMSIZE) - 2; }
int CaptionButtonHeight() { return GetSystemMetrics(SM_CYSMSIZE) - 4; }

void FillSys(HDC DC, RECT R, int Color) { FillRect(DC, &R, GetSysColorBrush(Color)); }

// Work that must not run inside the window procedure of the window it frees: done from a thread timer
// once the message that asked for it has returned.
enum TDeferredKind { dkFreeWindow, dkToggleDocking, dkClose };
struct TDeferred {
  TDeferredKind Kind;
  TdxBarManager* Manager;
  TdxBar* Bar;
  TdxBarControl* Window;
};
std::vector<TDeferred> Deferred;
UINT_PTR DeferredTimer = 0;

bool BarAlive(TdxBarManager* M, TdxBar* B) {
  auto* list = dxBarManagerList();
  for (int i = 0; i < list->Count(); ++i)
    if (list->Items(i) == M) {
      for (int j = 0; j < M->Bars()->Count(); ++j)
        if (M->Bars()->Items(j) == B) return true;
      return false;
    }
  return false;
}

void CALLBACK DeferredProc(HWND, UINT, UINT_PTR, DWORD) {
  try {
    KillTimer(nullptr, DeferredTimer);
    DeferredTimer = 0;
    std::vector<TDeferred> work;
    work.swap(Deferred);
    for (auto& d : work) {
      if (d.Kind == dkFreeWindow) {
        if (IsBarControl(d.Window)) TObject::Free(d.Window);
        continue;
      }
      if (!BarAlive(d.Manager, d.Bar)) continue;
      TdxBarControl* w = d.Bar->Control();
      if (d.Kind == dkClose) {
        d.Bar->SetVisible(false);
        if (BarAlive(d.Manager, d.Bar) && d.Manager->OnBarClose) d.Manager->OnBarClose(d.Manager, d.Bar);
      } else if (w) {
        w->ToggleDocking();
      }
    }
  } catch (...) {
    Application->HandleException(nullptr);
  }
}

void Defer(TDeferredKind Kind, TdxBarManager* M, TdxBar* B, TdxBarControl* W) {
  Deferred.push_back(TDeferred{Kind, M, B, W});
  if (!DeferredTimer) DeferredTimer = SetTimer(nullptr, 0, 0, DeferredProc);
}

struct TMeasure {
  bool Any = false;
  int FirstW = 0, FirstH = 0, MaxW = 0, MaxH = 0, SumW = 0, SumH = 0;
};

// Global state of a caption-button press: only one at a time; the button looks pressed only while the
// cursor is over it.
bool CaptionButtonDown = false;
bool CaptionButtonDrawnDown = false;

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Creation and the bar's place

TdxBarControl::TdxBarControl(TdxBarManager* ABarManager, TdxBar* ABar) : TCustomdxBarControl(ABarManager), FBar(ABar) {
  if (FBar) SetText(FBar->Caption());
}

void TdxBarControl::BeforeDestruction() {
  StopMarkTimer();
  TdxBarQuickControl::CloseFor(this);
  if (auto* site = dynamic_cast<TdxDockControl*>(Parent())) site->ForgetBar(this);
  TCustomdxBarControl::BeforeDestruction();
}

void TdxBarControl::CreateParams(TCreateParams& Params) {
  TCustomdxBarControl::CreateParams(Params);
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FDockingStyle == dsNone || !Parent()) {
    // Floating: a small tool window owned by the manager's form; the caption is drawn by the bar.
    Params.Style = WS_POPUP | WS_BORDER | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    Params.WndParent = nullptr;
    if (FBarManager && FBarManager->ParentForm() && FBarManager->ParentForm()->HandleAllocated())
      Params.WndParent = FBarManager->ParentForm()->Handle();
  } else {
    Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  }
}

void TdxBarControl::CreateWnd() {
  TCustomdxBarControl::CreateWnd();
  // Paints as active from the start, and keeps the owner form's caption active.
  if (HandleAllocated()) SendMessageA(Handle(), WM_NCACTIVATE, 1, 0);
}

void TdxBarControl::StoreBarPosition() {
  if (!FBar) return;
  if (FDockingStyle != dsNone) {
    FBar->SetDockedDockingStyle(FDockingStyle);
    if (auto* site = dynamic_cast<TdxDockControl*>(Parent())) {
      int row = site->RowOf(this);
      if (row >= 0) {
        DockRow = row;
        DockOneOnRow = site->Rows(row).Cols.size() == 1;
      }
    }
    FBar->SetRow(DockRow);
    FBar->SetOneOnRow(DockOneOnRow);
    FBar->SetDockedLeft(Left());
    FBar->SetDockedTop(Top());
  } else {
    RECT in = FrameInsets(dsNone);
    FBar->SetFloatLeft(Left());
    FBar->SetFloatTop(Top());
    FBar->SetFloatClientWidth(Width() - in.left - in.right);
    FBar->SetFloatClientHeight(Height() - in.top - in.bottom);
  }
}

SIZE TdxBarControl::GetFloatingSize(int ClientWidth, int ClientHeight) {
  // As wide as the widest row the width gives (a window wider than its rows shows them short); a bar
  // without rows keeps the width asked for.
  SIZE s = GetSizeForWidth(dsNone, ClientWidth > 0 ? ClientWidth : FullWidth(dsNone));
  if (ClientWidth > s.cx && (!FItemLinks || FItemLinks->ShownCount() == 0)) s.cx = ClientWidth;
  RECT in = FrameInsets(dsNone);
  return SIZE{s.cx + in.left + in.right, s.cy + in.top + in.bottom};
}

POINT TdxBarControl::CaptionOffset() {
  if (FMoving && FGrabRef.cx > 0 && FGrabRef.cy > 0)
    return POINT{MulDiv(Width(), FGrab.x, FGrabRef.cx), MulDiv(Height(), FGrab.y, FGrabRef.cy)};
  return POINT{dxBarFrameWidth() + dxBarSmallCaptionHeight() / 2, dxBarFrameHeight() + dxBarSmallCaptionHeight() / 2};
}

void TdxBarControl::SetMoving(bool Value) {
  FMoving = Value;
  if (!Value) {
    FGrabRef = SIZE{0, 0};
    if (FBar && FBar->Visible()) StoreBarPosition();
  }
}

void TdxBarControl::DestroyWindowHandle() {
  bool old = FDestroyingHandle;
  FDestroyingHandle = true;
  TCustomdxBarControl::DestroyWindowHandle();
  FDestroyingHandle = old;
}

void TdxBarControl::SetDockingStyle(TdxBarDockingStyle Value) {
  if (FDockingStyle == Value) return;
  FHasHiddenItems = false;
  if (HandleAllocated()) DestroyHandle();
  // A floating window is a top-level one whatever site it came from.
  if (Value == dsNone && Parent()) SetParent(nullptr);
  TCustomdxBarControl::SetDockingStyle(Value);
}

bool TdxBarControl::CanCustomize() { return TCustomdxBarControl::CanCustomize() || (FBar && FBar->AllowCustomizing()); }

TFont* TdxBarControl::GetEffectiveFont() {
  return FBar && FBar->UseOwnFont() ? FBar->Font() : TCustomdxBarControl::GetEffectiveFont();
}

void TdxBarControl::RebuildBar() {
  if (FBar && FBar->Locked()) return;
  // The customizing selection (and its frame) stays on its link through the new controls.
  TdxBarItemLink* selected = nullptr;
  if (IsCustomizing() && FBarManager && FBarManager->SelectedItem() && FBarManager->SelectedItem()->Parent() == this)
    selected = FBarManager->SelectedItem()->Link();
  if (FItemLinks) {
    DestroyControls();
    if (HandleAllocated() || FItemLinks->BarControl() == this) CreateControls();
  }
  CalcDrawingConsts();
  if (FDockingStyle == dsNone) {
    RECT in = FrameInsets(dsNone);
    SIZE s = GetFloatingSize(Width() - in.left - in.right, 0);
    SetBounds(Left(), Top(), s.cx, s.cy);
  } else if (auto* site = dynamic_cast<TdxDockControl*>(Parent())) {
    site->UpdateDock();
  }
  CalcLayout();
  if (HandleAllocated()) {
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
  }
  if (selected && selected->Control() && IsBarControl(this)) SelectItem(selected->Control());
}

// ---------------------------------------------------------------------------------------------------
// Measures

bool TdxBarControl::CaptionButtonsShown() {
  return FBar && FBar->IsMainMenu() && FBarManager && FBarManager->ShowCloseButton();
}

int TdxBarControl::CaptionButtonArea(bool AVertical) {
  if (!CaptionButtonsShown()) return 0;
  return AVertical ? CaptionButtonHeight() : CaptionButtonWidth();
}

bool TdxBarControl::MarkShown() {
  if (FHasHiddenItems) return true;
  return FBarManager && FBarManager->Style() == bmsEnhanced && FBar && FBar->AllowQuickCustomizing();
}

RECT TdxBarControl::FrameInsets(TdxBarDockingStyle S) {
  int grip = FBarManager ? FBarManager->GripSize() : 6;
  switch (S) {
    case dsTop:
    case dsBottom: return RECT{2 + grip, 2, 2, 2};
    case dsLeft:
    case dsRight: return RECT{2, 2 + grip, 2, 2};
    default: {
      int fw = dxBarFrameWidth(), fh = dxBarFrameHeight();
      return RECT{fw + 4, fh + dxBarSmallCaptionHeight() + 2, fw + 4, fh + 1};
    }
  }
}

namespace {
TMeasure MeasureItems(TdxBarItemLinks* Links) {
  TMeasure m;
  if (!Links) return m;
  for (int i = 0; i < Links->ShownCount(); ++i) {
    TdxBarItemLink* l = Links->ShownItems(i);
    if (!l->Control()) l->CreateControl();
    TdxBarItemControl* c = l->Control();
    if (!c) continue;
    int w = c->GetWidth(), h = c->GetHeight();
    int sep = m.Any && l->BeginGroup() ? SeparatorSize : 0;
    if (!m.Any) m.FirstW = w, m.FirstH = h;
    m.Any = true;
    m.MaxW = std::max(m.MaxW, w);
    m.MaxH = std::max(m.MaxH, h);
    m.SumW += sep + w;
    m.SumH += sep + h;
  }
  return m;
}
}  // namespace

int TdxBarControl::MinWidth(TdxBarDockingStyle S) {
  TMeasure m = MeasureItems(FItemLinks);
  int defW = FBarManager ? FBarManager->ButtonSize() : 23;
  bool mark = MarkShown() && S != dsNone;
  if (S == dsTop || S == dsBottom) return (m.Any ? m.FirstW : defW) + CaptionButtonArea(false) + (mark ? MarkLength : 0);
  return std::max(m.Any ? m.MaxW : defW, CaptionButtonsShown() ? CaptionButtonWidth() : 0);
}

int TdxBarControl::MinHeight(TdxBarDockingStyle S) {
  TMeasure m = MeasureItems(FItemLinks);
  int defH = FBarManager ? FBarManager->ButtonSize2() : 22;
  bool mark = MarkShown() && S != dsNone;
  if (S == dsLeft || S == dsRight) return (m.Any ? m.FirstH : defH) + CaptionButtonArea(true) + (mark ? MarkLength : 0);
  if (S == dsNone) return (m.Any ? m.MaxH : defH) + CaptionButtonArea(true);
  return std::max(m.Any ? m.MaxH : defH, CaptionButtonsShown() ? CaptionButtonHeight() : 0);
}

int TdxBarControl::FullWidth(TdxBarDockingStyle S) { return FullLength(S, false); }

int TdxBarControl::FullHeight(TdxBarDockingStyle S) { return FullLength(S, true); }

// Every item one after the other along the width (or the height), with the caption buttons and the mark;
// across the bar, its minimal measure.
int TdxBarControl::FullLength(TdxBarDockingStyle S, bool AVertical) {
  TMeasure m = MeasureItems(FItemLinks);
  bool across = AVertical ? S == dsTop || S == dsBottom : S == dsLeft || S == dsRight;
  if (across) return AVertical ? MinHeight(S) : MinWidth(S);
  bool mark = MarkShown() && S != dsNone;
  int length = (AVertical ? m.SumH : m.SumW) + CaptionButtonArea(AVertical) + (mark ? MarkLength : 0);
  return std::max(length, AVertical ? MinHeight(S) : MinWidth(S));
}

bool TdxBarControl::Personalised() {
  return FDockingStyle != dsNone && FItemLinks && FItemLinks->UseRecentItems() && FBarManager &&
         FBarManager->Style() == bmsEnhanced && !FBarManager->Designing();
}

void TdxBarControl::ClearHiddenItems() {
  FHasHiddenItems = false;
  if (Personalised() && FItemLinks->ShownLimit() != -1) FItemLinks->SetShownLimit(-1);
}

int TdxBarControl::FitPersonalised(int Length) {
  bool vert = Vertical();
  auto along = [&] {
    TMeasure m = MeasureItems(FItemLinks);
    return vert ? m.SumH : m.SumW;
  };
  FItemLinks->SetShownLimit(-1);
  int len = along();
  // The least recently used link goes first: the links' recent order decides.
  for (int n = FItemLinks->VisibleCount() - 1; len > Length && n >= 1; --n) {
    FItemLinks->SetShownLimit(n);
    len = along();
  }
  return len;
}

SIZE TdxBarControl::GetSizeForWidth(TdxBarDockingStyle S, int Width) {
  if ((S == dsTop || S == dsBottom) && S == FDockingStyle && Personalised()) {
    int area = CaptionButtonArea(false);
    return SIZE{FitPersonalised(Width - MarkLength - area) + MarkLength + area, FullHeight(S)};
  }
  if (S == dsTop || S == dsBottom) return SIZE{std::max(Width, MinWidth(S)), FullHeight(S)};
  if (S == dsLeft || S == dsRight) return SIZE{FullWidth(S), FullHeight(S)};
  // Floating: rows break where the next item would pass the width, at the row's last group start when
  // it has one. Each break moves the row start forward, so the walk always ends.
  Width = std::max(Width, MinWidth(dsNone));
  std::vector<TdxBarItemLink*> links;
  if (FItemLinks)
    for (int i = 0; i < FItemLinks->ShownCount(); ++i) {
      TdxBarItemLink* l = FItemLinks->ShownItems(i);
      if (!l->Control()) l->CreateControl();
      if (l->Control()) {
        l->Control()->LineBreak = false;
        links.push_back(l);
      }
    }
  size_t n = links.size(), i = 0, rowStart = 0, groupAt = 0;
  int pos = 0, thick = 0, height = 0, widest = 0, groupPos = 0, groupThick = 0;
  bool breakNextGroup = false;
  while (i < n) {
    TdxBarItemControl* c = links[i]->Control();
    bool group = links[i]->BeginGroup();
    int w = c->GetWidth(), h = c->GetHeight();
    int sep = group && i != rowStart ? SeparatorSize : 0;
    bool forced = breakNextGroup && group && i != rowStart;
    if (i != rowStart && (forced || pos + sep + w > Width)) {
      size_t at = i;
      int rowW = pos, rowThick = thick;
      breakNextGroup = false;
      if (!forced) {
        if (groupAt > rowStart) {
          at = groupAt;
          rowW = groupPos;
          rowThick = groupThick;
        } else if (!group) {
          breakNextGroup = true;   // broken inside a group: its end starts a row too
        }
      }
      widest = std::max(widest, rowW);
      height += rowThick + (links[at]->BeginGroup() ? SeparatorSize : 0);
      links[at]->Control()->LineBreak = true;
      rowStart = i = at;
      pos = thick = 0;
      groupAt = 0;
      continue;
    }
    if (group && i != rowStart) {
      groupAt = i;
      groupPos = pos;
      groupThick = thick;
    }
    pos += sep + w;
    thick = std::max(thick, h);
    ++i;
  }
  widest = std::max(widest, pos);
  height += thick;
  if (n == 0) {
    widest = MinWidth(dsNone);
    height = MinHeight(dsNone);
  } else {
    height += CaptionButtonArea(true);
  }
  return SIZE{widest, height};
}

SIZE TdxBarControl::GetSizeForHeight(TdxBarDockingStyle S, int Height) {
  if (S == dsTop || S == dsBottom) return SIZE{FullWidth(S), MinHeight(S)};
  if (S == dsNone) {
    SIZE s = GetSizeForWidth(dsNone, FullWidth(dsNone));
    while (s.cy < Height) {
      SIZE t = GetSizeForWidth(dsNone, s.cx - 1);
      if (t.cx >= s.cx) break;
      s = t;
    }
    GetSizeForWidth(dsNone, s.cx);   // the line breaks of the answer
    return s;
  }
  SIZE r{MinWidth(S), MinHeight(S)};
  TMeasure m = MeasureItems(FItemLinks);
  if (!m.Any) return r;
  int avail = std::max<int>(Height, r.cy) - CaptionButtonArea(true);
  int colH = 0, colW = 0, mark = 0;
  if (S == FDockingStyle && Personalised()) {
    // The mark's room is kept free while links are dropped, and added back to the column.
    mark = MarkShown() ? MarkLength : 0;
    FitPersonalised(avail - mark);
  }
  for (int i = 0; i < FItemLinks->ShownCount(); ++i) {
    TdxBarItemLink* l = FItemLinks->ShownItems(i);
    if (!l->Control()) continue;
    int h = l->Control()->GetHeight() + (colH > 0 && l->BeginGroup() ? SeparatorSize : 0);
    if (colH > 0 && colH + h > avail) break;
    colH += h;
    colW = std::max(colW, l->Control()->GetWidth());
  }
  r = SIZE{colW, std::max<LONG>(r.cy, colH + mark)};
  if (CaptionButtonsShown()) {
    r.cy += CaptionButtonArea(true);
    r.cx = std::max<LONG>(r.cx, CaptionButtonWidth());
  }
  return r;
}

// ---------------------------------------------------------------------------------------------------
// Layout

// One pass of the layout: the items one after the other in rows (floating) or in one row or column
// (docked, where those that do not fit are hidden), with the end mark's room kept free when Mark is set.
// Links a personalised bar dropped to fit (Dropped) count as hidden. Answers whether items were hidden.
bool TdxBarControl::PlaceItems(const std::vector<TdxBarItemLink*>& Links, int ClientW, int ClientH, bool Mark,
                                bool Dropped) {
  bool floating = FDockingStyle == dsNone, vert = Vertical();
  int avail = floating ? ClientW : (vert ? ClientH : ClientW) - (Mark ? MarkLength : 0) - CaptionButtonArea(vert);
  int thick = floating ? 0 : (vert ? ClientW : ClientH);
  int pos = 0, rowTop = 0;
  size_t rowStart = 0, placed = 0;
  bool hidden = Dropped;
  // A finished floating row: items centred to its thickness, separators as tall as the row.
  auto finishRow = [&](size_t From, size_t To, int Thick) {
    for (size_t k = From; k < To; ++k) {
      TdxBarItemControl* c = Links[k]->Control();
      RECT& r = Links[k]->ItemRect;
      OffsetRect(&r, 0, (Thick - (r.bottom - r.top)) / 2);
      c->RowThickness = Thick;
      if (k != From && Links[k]->BeginGroup()) c->SeparatorRect = RECT{r.left - SeparatorSize, rowTop, r.left, rowTop + Thick};
    }
  };
  for (size_t i = 0; i < Links.size(); ++i) {
    TdxBarItemControl* c = Links[i]->Control();
    c->LastInRow = false;
    c->SeparatorRect = RECT{};
    int w = c->GetWidth(), h = c->GetHeight();
    int len = vert ? h : w, th = vert ? w : h;
    bool group = Links[i]->BeginGroup();
    int sep = group && i != rowStart ? SeparatorSize : 0;
    bool fits = i == rowStart || pos + sep + len <= avail;
    if (floating && c->LineBreak && i != rowStart) fits = false;
    if (!fits) {
      if (!floating) {
        hidden = true;
        for (size_t k = i; k < Links.size(); ++k) {
          Links[k]->ItemRect = RECT{};
          Links[k]->Control()->SeparatorRect = RECT{};
        }
        break;
      }
      Links[i - 1]->Control()->LastInRow = true;
      finishRow(rowStart, i, thick);
      rowTop += (group ? SeparatorSize : 0) + thick;
      if (group) c->SeparatorRect = RECT{0, rowTop - SeparatorSize, ClientW, rowTop};
      rowStart = i;
      pos = thick = sep = 0;
    }
    RECT r;
    if (floating)
      r = RECT{pos + sep, rowTop, pos + sep + w, rowTop + h};
    else if (!vert)
      r = RECT{pos + sep, (thick - h) / 2, pos + sep + w, (thick - h) / 2 + h};
    else
      r = RECT{(thick - w) / 2, pos + sep, (thick - w) / 2 + w, pos + sep + h};
    Links[i]->ItemRect = r;
    c->RowThickness = thick;
    if (!floating && sep)
      c->SeparatorRect = vert ? RECT{0, r.top - SeparatorSize, ClientW, r.top} : RECT{r.left - SeparatorSize, 0, r.left, ClientH};
    pos += sep + len;
    thick = std::max(thick, th);
    placed = i + 1;
  }
  if (placed > 0) {
    Links[placed - 1]->Control()->LastInRow = true;
    if (floating) finishRow(rowStart, placed, thick);
  }
  return hidden;
}

void TdxBarControl::CalcLayout(int ClientW, int ClientH) {
  if (!FItemLinks) return;
  if (ClientW < 0) {
    RECT in = FrameInsets(FDockingStyle);
    ClientW = Width() - in.left - in.right;
    ClientH = Height() - in.top - in.bottom;
  }
  FItemLinks->RefreshLists();
  // Links a personalised bar dropped to fit count as hidden: the mark offers them.
  bool dropped = Personalised() && FItemLinks->ShownCount() < FItemLinks->VisibleCount();
  // A dropped link keeps no place a click could find.
  if (dropped) FItemLinks->ClearItemRects();
  std::vector<TdxBarItemLink*> links;
  for (int i = 0; i < FItemLinks->ShownCount(); ++i) {
    TdxBarItemLink* l = FItemLinks->ShownItems(i);
    if (!l->Control()) l->CreateControl();
    if (l->Control()) links.push_back(l);
  }
  for (int pass = 0; pass < 2; ++pass) {
    bool mark = MarkShown();
    bool hidden = PlaceItems(links, ClientW, ClientH, mark, dropped);
    bool had = FHasHiddenItems;
    FHasHiddenItems = hidden;
    // Hidden items bring the mark: lay out once more with its room kept free.
    if (!hidden || had || mark) break;
  }
}

RECT TdxBarControl::GetItemRect(TdxBarItemControl* AControl) {
  RECT r = TCustomdxBarControl::GetItemRect(AControl);
  if (!AControl || IsRectEmpty(&r)) return r;
  RECT in = FrameInsets(FDockingStyle);
  int cw = Width() - in.left - in.right, ch = Height() - in.top - in.bottom;
  if (FDockingStyle == dsNone) {
    int t = AControl->RowThickness, h = r.bottom - r.top;
    r.top -= (t - h) / 2;
    r.bottom = r.top + t;
  } else if (Vertical()) {
    r.left = 0;
    r.right = cw;
  } else {
    r.top = 0;
    r.bottom = ch;
  }
  return r;
}

HRGN TdxBarControl::GetItemRegion(TdxBarItemControl* AControl) {
  HRGN rgn = TCustomdxBarControl::GetItemRegion(AControl);
  if (AControl && !IsRectEmpty(&AControl->SeparatorRect)) {
    HRGN sep = CreateRectRgnIndirect(&AControl->SeparatorRect);
    CombineRgn(rgn, rgn, sep, RGN_OR);
    DeleteObject(sep);
  }
  return rgn;
}

RECT TdxBarControl::MarkRect() {
  RECT in = FrameInsets(FDockingStyle);
  int cw = Width() - in.left - in.right, ch = Height() - in.top - in.bottom;
  bool enhanced = FBarManager && FBarManager->Style() == bmsEnhanced;
  if (FDockingStyle == dsNone) {
    RECT c = CaptionRect();
    return RECT{c.left, c.top, c.left + 12, c.bottom};
  }
  if (!Vertical()) {
    int right = cw - CaptionButtonArea(false);
    return RECT{right - MarkLength, 0, right, enhanced ? ch : 9};
  }
  int bottom = ch - CaptionButtonArea(true);
  return RECT{enhanced ? 0 : cw - 9, bottom - MarkLength, cw, bottom};
}

bool TdxBarControl::MarkHolds(POINT P) {
  if (!MarkShown() || !FBarManager || FBarManager->Style() != bmsEnhanced) return false;
  RECT m = MarkRect();
  if (FDockingStyle == dsNone) {
    // The floating mark lies in the caption: window coordinates.
    RECT in = FrameInsets(dsNone);
    P = POINT{P.x + in.left, P.y + in.top};
  }
  return PtInRect(&m, P) != FALSE;
}

RECT TdxBarControl::CaptionRect() {
  int fw = dxBarFrameWidth(), fh = dxBarFrameHeight();
  return RECT{fw, fh, Width() - fw, fh + dxBarSmallCaptionHeight()};
}

RECT TdxBarControl::CloseButtonRect() {
  if (FDockingStyle == dsNone) {
    RECT c = CaptionRect();
    int s = c.bottom - c.top;
    return RECT{c.right - s, c.top, c.right, c.bottom};
  }
  if (!CaptionButtonsShown()) return RECT{};
  RECT in = FrameInsets(FDockingStyle);
  int cw = Width() - in.left - in.right, ch = Height() - in.top - in.bottom;
  int bw = CaptionButtonWidth(), bh = CaptionButtonHeight();
  if (!Vertical()) return RECT{cw - bw, (ch - bh) / 2, cw, (ch - bh) / 2 + bh};
  return RECT{(cw - bw) / 2, ch - bh, (cw - bw) / 2 + bw, ch};
}

// ---------------------------------------------------------------------------------------------------
// Painting

void TdxBarControl::RepaintItem(TdxBarItemControl* AControl) {
  TCustomdxBarControl::RepaintItem(AControl);
  if (!AControl || !HandleAllocated() || (FBar && FBar->Locked())) return;
  RECT r = GetItemRect(AControl);
  InvalidateRect(Handle(), &r, FALSE);
}

void TdxBarControl::Paint() {
  TCustomForm* form = FBarManager ? FBarManager->ParentForm() : nullptr;
  if (form && !form->Visible()) return;
  if (FBar && FBar->Locked()) return;
  PaintClientTo(Canvas()->Handle());
}

namespace {
void Exclude(HRGN Rgn, const RECT& R) {
  HRGN r = CreateRectRgnIndirect(&R);
  CombineRgn(Rgn, Rgn, r, RGN_DIFF);
  DeleteObject(r);
}

// An etched line across a separator's rectangle, upright or lying as the rectangle runs.
void PaintSeparatorTo(HDC DC, RECT S) {
  FillSys(DC, S, COLOR_BTNFACE);
  bool across = S.right - S.left == SeparatorSize && S.bottom - S.top != SeparatorSize ? true
                : S.bottom - S.top == SeparatorSize ? false
                                                     : true;
  if (across) {
    RECT e{S.left + 2, S.top, S.left + 4, S.bottom};
    DrawEdge(DC, &e, EDGE_ETCHED, BF_LEFT);
  } else {
    RECT e{S.left, S.top + 2, S.right, S.top + 4};
    DrawEdge(DC, &e, EDGE_ETCHED, BF_TOP);
  }
}
}  // namespace

void TdxBarControl::PaintClientTo(HDC DC) {
  CalcLayout();
  RECT in = FrameInsets(FDockingStyle);
  int cw = Width() - in.left - in.right, ch = Height() - in.top - in.bottom;
  // What the items, the close button and the mark leave free gets the face colour.
  HRGN rest = CreateRectRgn(0, 0, cw, ch);
  PaintItemsTo(DC, rest);
  if (FDockingStyle != dsNone && CaptionButtonsShown()) Exclude(rest, PaintCloseButtonTo(DC));
  if (FDockingStyle != dsNone && MarkShown()) Exclude(rest, PaintMarkTo(DC));
  FillRgn(DC, rest, GetSysColorBrush(COLOR_BTNFACE));
  DeleteObject(rest);
}

// The shown items and their separators; what they cover leaves Rest.
void TdxBarControl::PaintItemsTo(HDC DC, HRGN Rest) {
  int state = RotatesWhenVertical(this) ? 2 : 0;
  for (int i = 0; FItemLinks && i < FItemLinks->ShownCount(); ++i) {
    TdxBarItemLink* l = FItemLinks->ShownItems(i);
    TdxBarItemControl* c = l->Control();
    if (!c || IsRectEmpty(&l->ItemRect)) continue;
    PaintItemTo(DC, c, state);
    Exclude(Rest, GetItemRect(c));
    RECT s = c->SeparatorRect;
    if (IsRectEmpty(&s)) continue;
    PaintSeparatorTo(DC, s);
    Exclude(Rest, s);
  }
}

// The docked main menu's close button; answers its rectangle.
RECT TdxBarControl::PaintCloseButtonTo(HDC DC) {
  RECT b = CloseButtonRect();
  bool pushed = FCaptionPressed && CaptionButtonDrawnDown;
  UINT st = DFCS_CAPTIONCLOSE | (pushed ? DFCS_PUSHED : 0);
  if (FBarManager->FlatCloseButton()) {
    FillSys(DC, b, COLOR_BTNFACE);
    RECT g = b;
    InflateRect(&g, -1, -1);
    DrawFrameControl(DC, &g, DFC_CAPTION, st | DFCS_FLAT);
    DrawEdge(DC, &b, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  } else {
    DrawFrameControl(DC, &b, DFC_CAPTION, st);
  }
  return b;
}

// The docked end mark: in the enhanced style a button with a small triangle, and two chevrons while
// items are hidden. Answers its rectangle.
RECT TdxBarControl::PaintMarkTo(HDC DC) {
  RECT m = MarkRect();
  bool enhanced = FBarManager && FBarManager->Style() == bmsEnhanced;
  FillSys(DC, m, COLOR_BTNFACE);
  if (enhanced) {
    if (FMarkState == 1 || FMarkState == 2)
      DrawEdge(DC, &m, FMarkState == 1 ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    HBRUSH text = GetSysColorBrush(COLOR_BTNTEXT);
    if (!Vertical()) {
      // A small downward triangle near the bottom.
      for (int k = 0; k < 3; ++k) {
        RECT t{m.left + 3 + k, m.bottom - 7 + k, m.left + 8 - k, m.bottom - 6 + k};
        FillRect(DC, &t, text);
      }
    } else {
      for (int k = 0; k < 3; ++k) {
        RECT t{m.left + 5 + k, m.top + 3 + k, m.left + 6 + k, m.top + 8 - k};
        FillRect(DC, &t, text);
      }
    }
  }
  if (!FHasHiddenItems) return m;
  // Two chevrons: more items than the bar shows.
  for (int off : {2, 6}) {
    for (int k = 0; k < 3; ++k) {
      RECT a, b;
      if (!Vertical()) {
        a = RECT{m.left + off + k, m.top + 3 + k, m.left + off + k + 2, m.top + 4 + k};
        b = RECT{m.left + off + k, m.top + 7 - k, m.left + off + k + 2, m.top + 8 - k};
      } else {
        a = RECT{m.left + 3 + k, m.bottom - off - 4 + k, m.left + 4 + k, m.bottom - off - 2 + k};
        b = RECT{m.left + 7 - k, m.bottom - off - 4 + k, m.left + 8 - k, m.bottom - off - 2 + k};
      }
      FillRect(DC, &a, GetSysColorBrush(enhanced ? COLOR_BTNTEXT : COLOR_BTNSHADOW));
      FillRect(DC, &b, GetSysColorBrush(enhanced ? COLOR_BTNTEXT : COLOR_BTNSHADOW));
    }
  }
  return m;
}

void TdxBarControl::PaintFrameTo(HDC DC) {
  RECT w{0, 0, Width(), Height()};
  RECT in = FrameInsets(FDockingStyle);
  RECT client{in.left, in.top, w.right - in.right, w.bottom - in.bottom};
  bool docked = FDockingStyle != dsNone;
  // The band between the edge and the client area gets the face colour, around a docked bar's grip.
  HRGN band = CreateRectRgnIndirect(&w);
  Exclude(band, client);
  DrawEdge(DC, &w, docked ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
  RECT edge = w;
  InflateRect(&edge, docked ? -1 : -2, docked ? -1 : -2);
  HRGN inner = CreateRectRgnIndirect(&edge);
  CombineRgn(band, band, inner, RGN_AND);
  DeleteObject(inner);
  if (docked) PaintGripTo(DC, band);
  FillRgn(DC, band, GetSysColorBrush(COLOR_BTNFACE));
  DeleteObject(band);
  if (!docked) PaintCaptionTo(DC);
}

// A docked bar's grip: one raised line in the enhanced style, two in the standard one; what they cover
// leaves Band.
void TdxBarControl::PaintGripTo(HDC DC, HRGN Band) {
  RECT w{0, 0, Width(), Height()};
  bool enhanced = FBarManager && FBarManager->Style() == bmsEnhanced;
  int offset = FBarManager ? FBarManager->StyleMetric(0) : 1;
  for (int line = 0; line < (enhanced ? 1 : 2); ++line) {
    RECT g;
    if (!Vertical())
      g = RECT{2 + offset + 3 * line, 2, 2 + offset + 3 * line + 3, w.bottom - 2};
    else
      g = RECT{2, 2 + offset + 3 * line, w.right - 2, 2 + offset + 3 * line + 3};
    if (enhanced) {
      if (!Vertical())
        InflateRect(&g, 0, -1);
      else
        InflateRect(&g, -1, 0);
    }
    FillSys(DC, g, COLOR_BTNFACE);
    DrawEdge(DC, &g, BDR_RAISEDINNER, BF_RECT);
    if (!enhanced) {
      if (!Vertical())
        SetPixel(DC, g.left, g.bottom - 1, GetSysColor(COLOR_BTNHIGHLIGHT));
      else
        SetPixel(DC, g.right - 1, g.top, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    Exclude(Band, g);
  }
}

// A floating bar's caption: text on the active caption colour, the mark at its left, the close button at
// its right.
void TdxBarControl::PaintCaptionTo(HDC DC) {
  RECT cap = CaptionRect();
  RECT below{cap.left, cap.top, cap.right, cap.bottom + 1};
  FillSys(DC, below, COLOR_BTNFACE);
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  if (FBarManager && !FBarManager->UseSystemFont())
    lstrcpynA(ncm.lfSmCaptionFont.lfFaceName, FBarManager->Font()->Name().c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&ncm.lfSmCaptionFont);
  HGDIOBJ old = SelectObject(DC, font);
  SetBkColor(DC, GetSysColor(COLOR_ACTIVECAPTION));
  SetTextColor(DC, GetSysColor(COLOR_CAPTIONTEXT));
  bool mark = MarkShown();
  std::string text = FBar ? FBar->Caption() : std::string();
  TEXTMETRICA tm{};
  GetTextMetricsA(DC, &tm);
  int y = cap.top + (cap.bottom - cap.top - tm.tmHeight) / 2;
  ExtTextOutA(DC, cap.left + (mark ? 16 : 2), y, ETO_OPAQUE | ETO_CLIPPED, &cap, text.c_str(), UINT(text.size()), nullptr);
  SelectObject(DC, old);
  DeleteObject(font);
  if (mark) {
    HBRUSH b = GetSysColorBrush(COLOR_CAPTIONTEXT);
    int my = (cap.top + cap.bottom) / 2 - 1;
    for (int k = 0; k < 3; ++k) {
      RECT t{cap.left + 3 + k, my + k, cap.left + 8 - k, my + k + 1};
      FillRect(DC, &t, b);
    }
  }
  if (FBar && FBar->AllowClose()) {
    RECT b = CloseButtonRect();
    FrameRect(DC, &b, GetSysColorBrush(COLOR_ACTIVECAPTION));
    InflateRect(&b, -1, -1);
    DrawFrameControl(DC, &b, DFC_CAPTION, DFCS_CAPTIONCLOSE | (FCaptionPressed ? DFCS_PUSHED : 0));
  }
}

// ---------------------------------------------------------------------------------------------------
// Menu mode

// The live bar window under the cursor, or nullptr.
static TCustomdxBarControl* BarWindowUnderCursor(POINT& Cursor) {
  GetCursorPos(&Cursor);
  auto* c = dynamic_cast<TCustomdxBarControl*>(FindControl(WindowFromPoint(Cursor)));
  return c && IsBarControl(c) && c->HandleAllocated() && !c->Destroying() ? c : nullptr;
}

void TdxBarControl::EnterMenuMode(TdxBarItemControl* AControl) {
  if (!FItemLinks) return;
  TdxBarItemLink* first = FItemLinks->FirstSelectable();
  if (!first || !first->Control()) return;
  POINT cursor;
  if (TCustomdxBarControl* under = BarWindowUnderCursor(cursor); under && under != this)
    dxBarEndMouseTracking(under->Handle());
  TCustomForm* form = FBarManager ? FBarManager->ParentForm() : nullptr;
  if (form && form->HandleAllocated() && GetCapture() == form->Handle()) ReleaseCapture();
  FFocusBefore = GetFocus();
  // A menu opened on a form behind others comes up with its form.
  if (form && form->HandleAllocated() && !IsCustomizing())
    SetWindowPos(form->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SelectItem(AControl ? AControl : first->Control());
  SetActive(true);
  if (FBarManager) FBarManager->SetMenuModeBar(this);
}

void TdxBarControl::ExitMenuMode() {
  if (!FBarManager || FBarManager->MenuModeBar() != this) return;
  FBarManager->SetMenuModeBar(nullptr);
  SelectItem(nullptr);
  SetActive(false);
  // Hot tracking resumes where the cursor rests, without waiting for it to move.
  POINT cursor;
  if (TCustomdxBarControl* under = BarWindowUnderCursor(cursor)) {
    under->ResetLastCursor();
    POINT p = under->ScreenToClient(cursor);
    SendMessageA(under->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  }
  if (FFocusBefore && IsWindowVisible(FFocusBefore) && Application->Active()) ::SetFocus(FFocusBefore);
  FFocusBefore = nullptr;
}

void TdxBarControl::SetActive(bool Value) {
  if (!Value) {
    if (auto* b = dynamic_cast<TdxBarButtonControl*>(FSelectedControl); b && b->DropDownOpen) CloseSelectedDropDown();
  }
  TCustomdxBarControl::SetActive(Value);
  if (!Value && FMenuOpen) {
    FMenuOpen = false;
    if (!IsCustomizing()) ExitMenuMode();
  }
}

void TdxBarControl::DeactivateChain() {
  TCustomdxBarControl::DeactivateChain();
  if (IsBarControl(this)) ExitMenuMode();
}

void TdxBarControl::SelectItem(TdxBarItemControl* AControl) {
  // Only a newly selected control opens: a click on the selected one opens or closes it itself.
  bool fresh = AControl != FSelectedControl;
  TCustomdxBarControl::SelectItem(AControl);
  if (!fresh || !IsBarControl(this) || !FActive || !FMenuOpen || !AControl || AControl != FSelectedControl) return;
  if (AControl->DroppedDown() || IsCustomizing()) return;
  if (dynamic_cast<TdxBarButtonControl*>(AControl))
    AControl->DropDown();
  else
    AControl->ControlClick();
}

void TdxBarControl::SetMarkState(int Value) {
  if (IsCustomizing()) return;
  StopMarkTimer();
  FMarkState = Value;
  if (HandleAllocated() && FDockingStyle != dsNone) {
    RECT m = MarkRect();
    InvalidateRect(Handle(), &m, FALSE);
  }
  if (Value == 2)
    TdxBarQuickControl::Open(this);
  else
    TdxBarQuickControl::CloseFor(this);
  if (Value == 1) {
    if (FDockingStyle != dsNone && HandleAllocated()) FMarkTimer = SetTimer(Handle(), 1, 50, nullptr);
    if (FBarManager) FBarManager->UpdateHint(true, dxBarResStr(dxSBAR_MOREBUTTONS));
  } else if (Value == 0 && !FSelectedControl && FBarManager) {
    FBarManager->UpdateHint(false, std::string());
  }
}

void TdxBarControl::StopMarkTimer() {
  if (FMarkTimer && HandleAllocated()) KillTimer(Handle(), 1);
  FMarkTimer = 0;
}

bool TdxBarControl::IsMousePosUnchanged(POINT P) {
  if (FDockingStyle != dsNone && FBarManager && FBarManager->ParentForm()) {
    TCustomForm* f = FBarManager->ParentForm();
    if (f->HandleAllocated() && GetActiveWindow() != f->Handle() && !FActive) return true;
  }
  return TCustomdxBarControl::IsMousePosUnchanged(P);
}

TdxBarItemControl* TdxBarControl::GetDropInfo(POINT P, bool& Outside, bool& Vert, bool& Before) {
  TdxBarItemControl* c = TCustomdxBarControl::GetDropInfo(P, Outside, Vert, Before);
  if (c || !ClientHolds(P) || !FItemLinks) return c;
  // Empty space: the last control of the row holding the point.
  TdxBarItemControl* last = nullptr;
  for (int i = 0; i < FItemLinks->ShownCount(); ++i) {
    TdxBarItemControl* k = FItemLinks->ShownItems(i)->Control();
    if (!k || IsRectEmpty(&FItemLinks->ShownItems(i)->ItemRect)) continue;
    RECT r = GetItemRect(k);
    if (FDockingStyle != dsNone || (P.y >= r.top && P.y < r.bottom)) last = k;
  }
  Outside = Before = false;
  return last;
}

// ---------------------------------------------------------------------------------------------------
// Input

void TdxBarControl::WMLButtonDown(TMessage& Message) {
  if (FSkipButton) return;
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  bool customizing = IsCustomizing();
  if (FHitCode != HTCAPTION) {
    TdxBarItemControl* c = ClientHolds(p) ? ItemAtPos(p) : nullptr;
    if (c && !customizing && !(c->GetEnabled() && c->Item() && c->Item()->CanSelect())) c = nullptr;
    if (!c) {
      SetActive(false);
    } else if (!customizing) {
      if (FActive) {
        if (c != FSelectedControl) {
          FMenuOpen = false;
          SelectItem(c);
        }
        if (!(dynamic_cast<TdxBarButtonControl*>(c) || !FMenuOpen)) ExitMenuMode();
      } else {
        EnterMenuMode(c);
      }
      // A control with an in-place window (an edit, a combo) keeps the bar as it is: a second click on
      // it belongs to its editor, not to the menu.
      if (FActive && !dynamic_cast<TdxBarButtonControl*>(c) && !c->HasWindow()) FMenuOpen = true;
    } else if (!FActive) {
      EnterMenuMode(c);
    }
    if (!IsBarControl(this)) return;
    if (FEditSizing && SizableEdit()) {
      StartEditSizing();
      return;
    }
    TCustomdxBarControl::WMLButtonDown(Message);
    if (!IsBarControl(this) || !HandleAllocated()) return;
    if (CaptionButtonsShown()) {
      RECT b = CloseButtonRect();
      if (PtInRect(&b, p)) {
        CaptionButtonDown = CaptionButtonDrawnDown = FCaptionPressed = true;
        SetCapture(Handle());
        InvalidateRect(Handle(), &b, FALSE);
        return;
      }
    }
    // The mark, docked or in a floating caption, opens and closes the quick customization.
    if (MarkHolds(p)) SetMarkState(FMarkState == 2 ? 1 : 2);
    return;
  }
  // The grip or a free place: drag the bar, keeping the grab point in proportion to its size.
  SetActive(false);
  FGrab = POINT{p.x + FrameInsets(FDockingStyle).left, p.y + FrameInsets(FDockingStyle).top};
  FGrabRef = SIZE{Width(), Height()};
  if (FBarManager && FBarManager->Bars()) FBarManager->Bars()->DragBar(this);
}

void TdxBarControl::WMLButtonUp(TMessage& Message) {
  if (FSizingWidth) {
    int width = FSizingWidth;
    TdxBarEditControl* e = FSizingControl;
    EndEditSizing();
    if (TdxBarItemLink* l = e && SizableEdit() == e ? e->Link() : nullptr) {
      if (width != l->Width())
        l->SetUserWidth(width);
      else
        e->Repaint();
    }
  }
  if (FCaptionPressed) {
    POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    FCaptionPressed = CaptionButtonDown = false;
    if (GetCapture() == Handle()) ReleaseCapture();
    RECT b = CloseButtonRect();
    InvalidateRect(Handle(), &b, FALSE);
    if (PtInRect(&b, p) && FBarManager) FBarManager->DoCloseButtonClick();
    return;
  }
  TCustomdxBarControl::WMLButtonUp(Message);
}

void TdxBarControl::WMMouseMove(TMessage& Message) {
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  if (FSizingWidth) {
    MoveEditSizing(p);
    return;
  }
  if (FCaptionPressed) {
    RECT b = CloseButtonRect();
    bool over = PtInRect(&b, p) != FALSE;
    if (over != CaptionButtonDrawnDown) {
      CaptionButtonDrawnDown = over;
      InvalidateRect(Handle(), &b, FALSE);
    }
    return;
  }
  bool overMark = FDockingStyle != dsNone && !ActiveBarControl() && MarkHolds(p);
  if (overMark && FMarkState == 0) SetMarkState(1);
  TCustomdxBarControl::WMMouseMove(Message);
  if (!overMark && FMarkState == 1 && IsBarControl(this)) SetMarkState(0);
}

void TdxBarControl::WMKeyDown(TMessage& Message) {
  TCustomdxBarControl::WMKeyDown(Message);
  if (!IsBarControl(this) || !ActiveBarControl()) return;
  TdxBarItemControl* c = FSelectedControl;
  auto* dropDown = dynamic_cast<TdxBarButtonControl*>(c);
  if (dropDown && !dropDown->IsDropDownStyle()) dropDown = nullptr;
  switch (Message.WParam) {
    case VK_RETURN:
      if (dropDown)
        dropDown->OpenDropDownMenu(false);
      else if (c)
        c->Click();
      break;
    case VK_ESCAPE:
      Message.WParam = 0;
      DeactivateChain();
      break;
    case VK_UP:
    case VK_DOWN:
      if (dropDown) {
        dropDown->OpenDropDownMenu(false);
      } else if (c && dynamic_cast<TdxBarSubItemControl*>(c) && c->GetEnabled()) {
        FMenuOpen = true;
        c->ControlClick();
      }
      break;
  }
}

void TdxBarControl::WMRButtonDown(TMessage& Message) {
  if (GetCapture() == Handle()) ReleaseCapture();
  if (IsCustomizing()) ExitMenuMode();
  TCustomdxBarControl::WMRButtonDown(Message);
  if (!IsBarControl(this) || IsCustomizing() || !HandleAllocated()) return;
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  TdxBarToolbarsPopup::ShowAt(FBarManager, ClientToScreen(p));
}

// ---------------------------------------------------------------------------------------------------
// Resizing an edit while customizing

namespace {
constexpr int EditSizingZone = 7;
}

TdxBarEditControl* TdxBarControl::SizableEdit() {
  if (!IsCustomizing() || !HandleAllocated()) return nullptr;
  return dynamic_cast<TdxBarEditControl*>(FSelectedControl);
}

// Over the outer 7 pixels of either side of the selected edit, the cursor offers to resize it.
bool TdxBarControl::EditSizingCursor() {
  FEditSizing = false;
  TdxBarEditControl* e = SizableEdit();
  if (!e || GetCapture()) return false;
  POINT p;
  GetCursorPos(&p);
  p = ScreenToClient(p);
  RECT r = GetItemRect(e);
  if (!PtInRect(&r, p)) return false;
  bool right = p.x >= r.right - EditSizingZone;
  if (!right && p.x >= r.left + EditSizingZone) return false;
  FEditSizing = true;
  FSizeFromRight = right;
  ::SetCursor(Screen->Cursors(crdxBarEditSizing));
  return true;
}

void TdxBarControl::StartEditSizing() {
  FSizingControl = SizableEdit();
  FSizingItem = GetItemRect(FSizingControl);
  FSizingWidth = FSizingItem.right - FSizingItem.left;
  SetCapture(Handle());
  InvertSizingFrame();
}

// The new width runs from the edge that stays to the cursor.
void TdxBarControl::MoveEditSizing(POINT P) {
  RECT r = FSizingItem;
  int width = dxClampWidth(FSizeFromRight ? P.x - r.left : r.right - P.x);
  if (width == FSizingWidth) return;
  InvertSizingFrame();
  FSizingWidth = width;
  InvertSizingFrame();
}

void TdxBarControl::EndEditSizing() {
  if (!FSizingWidth) return;
  InvertSizingFrame();
  FSizingWidth = 0;
  FEditSizing = false;
  if (GetCapture() == Handle()) ReleaseCapture();
}

// A 2-pixel frame of the new width inverted on the screen: drawn twice, it is gone.
void TdxBarControl::InvertSizingFrame() {
  RECT r = FSizingItem;
  if (FSizeFromRight)
    r.right = r.left + FSizingWidth;
  else
    r.left = r.right - FSizingWidth;
  POINT o = ClientToScreen(POINT{0, 0});
  OffsetRect(&r, o.x, o.y);
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC dc = GetDC(nullptr);
  PatBlt(dc, r.left, r.top, w, 2, DSTINVERT);
  PatBlt(dc, r.left, r.bottom - 2, w, 2, DSTINVERT);
  PatBlt(dc, r.left, r.top + 2, 2, h - 4, DSTINVERT);
  PatBlt(dc, r.right - 2, r.top + 2, 2, h - 4, DSTINVERT);
  ReleaseDC(nullptr, dc);
}

// ---------------------------------------------------------------------------------------------------
// Docking, floating, sizing

void TdxBarControl::ToggleDocking() {
  if (!FBar || !FBarManager || FBarManager->Designing()) return;
  TdxBar* bar = FBar;
  TdxBarManager* m = FBarManager;
  if (FDockingStyle == dsNone) {
    TdxBarDockingStyle target = bar->DockedDockingStyle();
    if (target == dsNone) {
      target = dsTop;
      bar->SetOneOnRow(true);
      if (auto* site = m->Bars()->DockControls(dsTop)) bar->SetRow(site->RowCount());
    }
    if (!m->CanDocking(bar, target)) return;
    bar->SetDockingStyle(target);
  } else {
    if (!m->CanDocking(bar, dsNone)) return;
    StoreBarPosition();
    bar->SetDockingStyle(dsNone);
  }
}

void TdxBarControl::CloseButtonLoop() {
  HWND h = Handle();
  RECT b = CloseButtonRect();
  // Whether a mouse message (client coordinates of its window) lies over the button.
  auto over = [&](const MSG& M) {
    POINT p{GET_X_LPARAM(M.lParam), GET_Y_LPARAM(M.lParam)};
    if (M.message != WM_NCMOUSEMOVE && M.hwnd) ::ClientToScreen(M.hwnd, &p);   // non-client moves carry screen points
    RECT wr;
    GetWindowRect(h, &wr);
    p.x -= wr.left;
    p.y -= wr.top;
    return PtInRect(&b, p) != FALSE;
  };
  auto draw = [&](bool Pressed) {
    FCaptionPressed = Pressed;
    HDC dc = GetWindowDC(h);
    PaintFrameTo(dc);
    ReleaseDC(h, dc);
  };
  draw(true);
  SetCapture(h);
  bool inside = true, hit = false;
  MSG msg;
  while (GetCapture() == h) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      // The program is ending: give the quit back to the outer loop and stop tracking.
      PostQuitMessage(int(msg.wParam));
      break;
    }
    if (msg.message == WM_LBUTTONUP) {
      hit = over(msg);
      break;
    }
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
      bool now = over(msg);
      if (now != inside) draw(inside = now);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (!IsWindow(h)) return;
  if (GetCapture() == h) ReleaseCapture();
  draw(false);
  if (hit && FBar) Defer(dkClose, FBarManager, FBar, this);
}

void TdxBarControl::Sizing(TMessage& Message) {
  RECT* r = reinterpret_cast<RECT*>(Message.LParam);
  RECT in = FrameInsets(dsNone);
  int ex = in.left + in.right, ey = in.top + in.bottom;
  switch (Message.WParam) {
    case WMSZ_LEFT:
    case WMSZ_RIGHT: {
      SIZE s = GetSizeForWidth(dsNone, r->right - r->left - ex);
      if (Message.WParam == WMSZ_LEFT)
        r->left = r->right - s.cx - ex;
      else
        r->right = r->left + s.cx + ex;
      r->bottom = r->top + s.cy + ey;
      break;
    }
    case WMSZ_TOP:
    case WMSZ_BOTTOM: {
      SIZE s = GetSizeForHeight(dsNone, r->bottom - r->top - ey);
      r->right = r->left + s.cx + ex;
      if (Message.WParam == WMSZ_TOP)
        r->top = r->bottom - s.cy - ey;
      else
        r->bottom = r->top + s.cy + ey;
      break;
    }
  }
  // The top stays reachable: at most 15 pixels above the work area of the monitor the bar is on
  // (other monitors may well have negative coordinates).
  RECT work = GetWorkArea(POINT{(r->left + r->right) / 2, r->top});
  if (r->top < work.top - 15) OffsetRect(r, 0, work.top - 15 - r->top);
  Message.Result = TRUE;
}

void TdxBarControl::PositionChanging(WINDOWPOS* P) {
  if (FDockingStyle != dsNone || (P->flags & SWP_NOMOVE)) return;
  int w = (P->flags & SWP_NOSIZE) ? Width() : P->cx, h = (P->flags & SWP_NOSIZE) ? Height() : P->cy;
  POINT cursor;
  GetCursorPos(&cursor);
  RECT work = GetWorkArea(cursor);
  if (P->x + w <= work.left) P->x = work.left;
  if (P->y + h <= work.top) P->y = work.top;
  if (P->x >= work.right) P->x = work.right - w;
  if (P->y >= work.bottom) P->y = work.bottom - h;
}

void TdxBarControl::Destroyed() {
  StopMarkTimer();
  if (FDestroyingHandle || !FBar || !FBarManager) return;
  TCustomForm* form = FBarManager->ParentForm();
  if (FBarManager->IsDestroying() || (form && form->ComponentState().Contains(csDestroying))) return;
  if (!FBar->Visible() || FBar->Control() != this) return;
  // The system took the window away: the bar becomes invisible, but this object is still running the
  // window procedure, so it is freed only after the message has returned.
  if (auto* site = dynamic_cast<TdxDockControl*>(Parent())) site->RemoveBar(this, true);
  DestroyControls();
  if (FItemLinks && FItemLinks->BarControl() == this) FItemLinks->SetBarControl(nullptr);
  FItemLinks = nullptr;
  // The form shows it again when its window is made anew (a floating bar goes with its owner's window).
  auto& reshow = FBarManager->BarsToReshow();
  if (std::find(reshow.begin(), reshow.end(), FBar) == reshow.end()) reshow.push_back(FBar);
  FBar->SetVisible(false);
  FBar = nullptr;
  Defer(dkFreeWindow, FBarManager, nullptr, this);
}

// ---------------------------------------------------------------------------------------------------
// Messages

void TdxBarControl::WndProc(TMessage& Message) {
  // A double click on the grip or caption docks or floats the bar; elsewhere it is a second click.
  if ((Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_NCLBUTTONDBLCLK) && FHitCode == HTCAPTION && FBar) {
    // Docking frees this window: done once the message has returned.
    Defer(dkToggleDocking, FBarManager, FBar, this);
    return;
  }
  TCustomdxBarControl::WndProc(Message);
}

void TdxBarControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:         WMNCCalcSize(Message); return;
    case WM_NCPAINT:            WMNCPaint(Message); return;
    case WM_NCACTIVATE:         WMNCActivate(Message); return;
    case WM_NCHITTEST:          WMNCHitTest(Message); return;
    case WM_NCLBUTTONDOWN:      WMNCLButtonDown(Message); return;
    case WM_SIZING:             WMSizing(Message); return;
    case WM_WINDOWPOSCHANGING:  WMWindowPosChanging(Message); return;
    case WM_WINDOWPOSCHANGED:   WMWindowPosChanged(Message); return;
    case WM_SIZE:               WMSize(Message); return;
    case WM_TIMER:              WMTimer(Message); return;
    case WM_DESTROY:            WMDestroy(Message); return;
    case WM_GETDLGCODE:         Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS; return;
    case WM_SETCURSOR:          WMSetCursor(Message); return;
    case WM_CAPTURECHANGED:     WMCaptureChanged(Message); return;
    case WM_MOUSEACTIVATE:      WMMouseActivate(Message); return;
    case WM_CANCELMODE:         WMCancelMode(Message); return;
    case CM_FONTCHANGED:        CMFontChanged(Message); return;
  }
  TCustomdxBarControl::Dispatch(Message);
}

void TdxBarControl::WMNCCalcSize(TMessage& Message) {
  DeflateRect(*reinterpret_cast<RECT*>(Message.LParam), FrameInsets(FDockingStyle));
  Message.Result = 0;
}

void TdxBarControl::WMNCPaint(TMessage& Message) {
  HDC dc = GetWindowDC(Handle());
  PaintFrameTo(dc);
  ReleaseDC(Handle(), dc);
  Message.Result = 0;
}

void TdxBarControl::WMNCActivate(TMessage& Message) {
  TCustomdxBarControl::Dispatch(Message);
  if (HandleAllocated()) {
    HDC dc = GetWindowDC(Handle());
    PaintFrameTo(dc);
    ReleaseDC(Handle(), dc);
  }
  Message.Result = TRUE;
}

// Docked, the window is a caption (it drags the bar) but where an item, the close button or the mark
// takes the cursor; floating, it also has sizing edges and a caption with the mark and the close button.
void TdxBarControl::WMNCHitTest(TMessage& Message) {
  FHitCode = 0;
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  RECT wr;
  GetWindowRect(Handle(), &wr);
  POINT wp{p.x - wr.left, p.y - wr.top};
  RECT in = FrameInsets(FDockingStyle);
  POINT cp{wp.x - in.left, wp.y - in.top};
  RECT client{in.left, in.top, Width() - in.right, Height() - in.bottom};
  Message.Result = HTCLIENT;
  bool inClient = PtInRect(&client, wp) != FALSE;
  auto onItem = [&] {
    TdxBarItemControl* c = ItemAtPos(cp);
    return c && (IsCustomizing() || (c->GetEnabled() && c->Item() && c->Item()->CanSelect()));
  };
  if (FDockingStyle != dsNone) {
    if (inClient) {
      RECT m = MarkRect(), b = CloseButtonRect();
      if (onItem() || (CaptionButtonsShown() && PtInRect(&b, cp)) ||
          (MarkShown() && FBarManager->Style() == bmsEnhanced && PtInRect(&m, cp)))
        return;
    }
    FHitCode = HTCAPTION;
    return;
  }
  int fw = dxBarFrameWidth(), fh = dxBarFrameHeight();
  if (wp.y < fh)
    Message.Result = HTTOP;
  else if (wp.y >= Height() - fh)
    Message.Result = HTBOTTOM;
  else if (wp.x < fw)
    Message.Result = HTLEFT;
  else if (wp.x >= Width() - fw)
    Message.Result = HTRIGHT;
  if (Message.Result != HTCLIENT) return;
  RECT cap = CaptionRect();
  if (PtInRect(&cap, wp)) {
    RECT m = MarkRect(), b = CloseButtonRect();
    if (MarkShown() && !IsCustomizing() && PtInRect(&m, wp)) return;
    if (FBar && FBar->AllowClose() && PtInRect(&b, wp)) {
      Message.Result = HTCLOSE;
      return;
    }
    FHitCode = HTCAPTION;
    return;
  }
  if (!inClient || !onItem()) FHitCode = HTCAPTION;
}

void TdxBarControl::WMNCLButtonDown(TMessage& Message) {
  DeactivateChain();
  if (Message.WParam == HTCLOSE)
    CloseButtonLoop();
  else
    TCustomdxBarControl::Dispatch(Message);
}

void TdxBarControl::WMSizing(TMessage& Message) {
  if (FDockingStyle == dsNone)
    Sizing(Message);
  else
    TCustomdxBarControl::Dispatch(Message);
}

void TdxBarControl::WMWindowPosChanging(TMessage& Message) {
  TCustomdxBarControl::Dispatch(Message);
  PositionChanging(reinterpret_cast<WINDOWPOS*>(Message.LParam));
}

void TdxBarControl::WMWindowPosChanged(TMessage& Message) {
  TCustomdxBarControl::Dispatch(Message);
  if (IsBarControl(this) && !Destroying() && FBar && FBar->Visible() && !FMoving && !FCreating && FBar->Control() == this)
    StoreBarPosition();
}

void TdxBarControl::WMSize(TMessage& Message) {
  TCustomdxBarControl::Dispatch(Message);
  if (FDockingStyle != dsNone || !IsBarControl(this)) return;
  if (IsPopup()) {
    CalcLayout();
    return;
  }
  // The rows break for the client width the window really has, and the window takes their height: the
  // system may make a small floating window wider than asked (a captioned tool window has a minimum
  // width), and tells it here, before the bounds are read back.
  int cw = LOWORD(Message.LParam), ch = HIWORD(Message.LParam);
  SIZE s = GetSizeForWidth(dsNone, cw);
  CalcLayout(cw, ch);
  if (FFittingHeight || s.cy == ch || !HandleAllocated()) return;
  FFittingHeight = true;
  TScopeExit done([this] { FFittingHeight = false; });
  RECT w;
  GetWindowRect(Handle(), &w);
  SetWindowPos(Handle(), nullptr, 0, 0, w.right - w.left, w.bottom - w.top - ch + s.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Timer 1 watches the hot end mark: it goes plain once the cursor has left it.
void TdxBarControl::WMTimer(TMessage& Message) {
  if (Message.WParam != 1) {
    TCustomdxBarControl::Dispatch(Message);
    return;
  }
  POINT p;
  GetCursorPos(&p);
  p = ScreenToClient(p);
  RECT m = MarkRect();
  if (!PtInRect(&m, p) || !IsWindowVisible(Handle())) SetMarkState(0);
}

void TdxBarControl::WMDestroy(TMessage& Message) {
  StopMarkTimer();
  TdxBarQuickControl::CloseFor(this);
  TCustomdxBarControl::Dispatch(Message);
  Destroyed();
}

// Over the selected edit's edges while customizing, the cursor offers to resize it.
void TdxBarControl::WMSetCursor(TMessage& Message) {
  if (EditSizingCursor())
    Message.Result = TRUE;
  else
    TCustomdxBarControl::Dispatch(Message);
}

void TdxBarControl::WMCaptureChanged(TMessage& Message) {
  EndEditSizing();
  TCustomdxBarControl::Dispatch(Message);
}

void TdxBarControl::WMMouseActivate(TMessage& Message) {
  if (!FActive && HandleAllocated())
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Message.Result = MA_NOACTIVATE;
}

void TdxBarControl::WMCancelMode(TMessage& Message) {
  if (FCaptionPressed) {
    FCaptionPressed = CaptionButtonDown = false;
    RebuildBar();
  }
  TCustomdxBarControl::Dispatch(Message);
}

void TdxBarControl::CMFontChanged(TMessage& Message) {
  // Taking the bar's font announces a font change again.
  if (FFontSwitching) return;
  FFontSwitching = true;
  if (FBar) Font()->Assign(FBar->Font());
  FFontSwitching = false;
  CalcDrawingConsts();
  if (!FCreating) {
    ClearSelection();
    CalcLayout();
    if (HandleAllocated()) Invalidate();
  }
}
