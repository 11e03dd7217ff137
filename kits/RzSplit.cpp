#include "RzSplit.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "Forms.h"

const TEnumInfo SelectedPaneNames{"TSelectedPane", {"spUpperLeft", "spLowerRight"}};
const TEnumInfo FixedPaneNames{"TFixedPane", {"fpUpperLeft", "fpLowerRight"}};
const TEnumInfo SplitterStyleNames{"TSplitterStyle", {"ssStandard", "ssGroove", "ssBump"}};
const TEnumInfo HotSpotDirectionNames{"THotSpotDirection", {"hsdMin", "hsdMax"}};

namespace {

// Splitters inside Loaded: none of them lines up its children meanwhile.
int LoadingSplitters = 0;

int ClampInt(int64_t V) { return int(std::clamp<int64_t>(V, INT_MIN, INT_MAX)); }

// Rounds halves to the even neighbour; values beyond the integer range stop at its ends.
int RoundInt(double V) {
  if (!std::isfinite(V)) return 0;
  return int(std::clamp(std::nearbyint(V), double(INT_MIN), double(INT_MAX)));
}

HCURSOR LoadSplitCursor(const char* Name, LPCSTR Fallback, bool& Own) {
  HANDLE c = LoadImageA(GetModuleHandleA(nullptr), Name, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE);
  Own = c != nullptr;
  return c ? static_cast<HCURSOR>(c) : LoadCursorA(nullptr, Fallback);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TRzSplitterPane

TRzSplitterPane::TRzSplitterPane(TComponent* AOwner) : TRzCustomPanel(AOwner) {
  FBorderOuter = fsNone;
  if (auto* s = dynamic_cast<TRzSplitter*>(AOwner)) FSplitter = s;
}

void TRzSplitterPane::SetPaneVisible(bool Value) {
  SetVisible(Value);
  if (FSplitter) FSplitter->LayoutPanes();
}

void TRzSplitterPane::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST:
      // The empty area of a pane belongs to the splitter: its mouse actions reach the splitter.
      if (!DockSite() && !FComponentState.Contains(csDesigning)) {
        Message.Result = HTTRANSPARENT;
        return;
      }
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      TLiveGuard alive(this);
      TRzCustomPanel::Dispatch(Message);
      if (alive) Invalidate();
      return;
    }
  }
  TRzCustomPanel::Dispatch(Message);
}

void TRzSplitterPane::Publish(TPublisher<TRzSplitterPane>& p) {
  p.Bool("Visible", &TRzSplitterPane::Visible, &TRzSplitterPane::SetPaneVisible).Default(1);
  p.Enum("BorderOuter", FrameStyleNames, &TRzSplitterPane::BorderOuter, &TRzSplitterPane::SetBorderOuter)
      .Default(fsNone);
}

// ---------------------------------------------------------------------------------------------------
// TRzPaneData

void TRzPaneData::Assign(TPersistent* Source) {
  auto* d = dynamic_cast<TRzPaneData*>(Source);
  if (!d) {
    TPersistent::Assign(Source);
    return;
  }
  TRzSplitterPane* from = d->FPane;
  FPane->SetBorderColor(from->BorderColor());
  FPane->SetBorderInner(from->BorderInner());
  FPane->SetBorderOuter(from->BorderOuter());
  FPane->SetBorderWidth(from->BorderWidth());
  FPane->SetColor(from->Color());
  FPane->SetDockSite(from->DockSite());
  FPane->SetShowDockClientCaptions(from->ShowDockClientCaptions());
  FPane->SetPaneVisible(from->Visible());
}

void TRzPaneData::Publish(TPublisher<TRzPaneData>& p) {
  using D = TRzPaneData;
  p.Int("BorderColor", [](D& d) { return d.FPane->BorderColor(); }, [](D& d, TColor v) { d.FPane->SetBorderColor(v); })
      .Default(clBtnFace)
      .Idents(ColorIdentMap());
  p.Enum("BorderInner", FrameStyleNames, [](D& d) { return d.FPane->BorderInner(); },
         [](D& d, TFrameStyle v) { d.FPane->SetBorderInner(v); })
      .Default(fsNone);
  p.Enum("BorderOuter", FrameStyleNames, [](D& d) { return d.FPane->BorderOuter(); },
         [](D& d, TFrameStyle v) { d.FPane->SetBorderOuter(v); })
      .Default(fsNone);
  p.Int("BorderWidth", [](D& d) { return d.FPane->BorderWidth(); }, [](D& d, int v) { d.FPane->SetBorderWidth(v); })
      .Default(0);
  p.Int("Color", [](D& d) { return d.FPane->Color(); }, [](D& d, TColor v) { d.FPane->SetColor(v); })
      .Idents(ColorIdentMap());
  p.Bool("DockSite", [](D& d) { return d.FPane->DockSite(); }, [](D& d, bool v) { d.FPane->SetDockSite(v); })
      .Default(0);
  p.Bool("ShowDockClientCaptions", [](D& d) { return d.FPane->ShowDockClientCaptions(); },
         [](D& d, bool v) { d.FPane->SetShowDockClientCaptions(v); })
      .Default(1);
  p.Bool("Visible", [](D& d) { return d.FPane->Visible(); }, [](D& d, bool v) { d.FPane->SetPaneVisible(v); })
      .Default(1);
}

// ---------------------------------------------------------------------------------------------------
// TRzSplitter

TRzSplitter::TRzSplitter(TComponent* AOwner) : TRzCustomPanel(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDisplayDragImage};
  FBorderOuter = fsNone;
  SetBounds(0, 0, 200, 100);   // before the panes: no resize rule runs yet
  for (int i = 0; i < 2; ++i) {
    FPanes[i] = new TRzSplitterPane(this);
    FPanes[i]->FSplitter = this;
    FPanes[i]->SetParent(this);
    FPaneData[i] = new TRzPaneData(FPanes[i]);
  }
  // The drag line's pattern: white with black where x + y is odd (a set bit is white).
  static const WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  FChecker = CreateBitmap(8, 8, 1, 1, rows);
  bool own = false;
  FHorzCursor = LoadSplitCursor("RZSPLIT_HORZ", IDC_SIZEWE, own);
  if (!own) FHorzCursor = nullptr;
  FVertCursor = LoadSplitCursor("RZSPLIT_VERT", IDC_SIZENS, own);
  if (!own) FVertCursor = nullptr;
  LayoutPanes();
  UpdateFixedSize();
  SetFixedOffset(FPosition);
}


TRzSplitter::~TRzSplitter() {
  if (FHorzCursor) DestroyCursor(FHorzCursor);
  if (FVertCursor) DestroyCursor(FVertCursor);
  if (FChecker) DeleteObject(FChecker);
  for (TRzPaneData*& d : FPaneData) FreeAndNil(d);
}

void TRzSplitter::CreateParams(TCreateParams& Params) {
  TRzCustomPanel::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

// The panel's own inset once more, and the solid border: frame lines and borders count twice here.
RECT TRzSplitter::GetClientRect() {
  RECT r = TRzCustomPanel::GetClientRect();
  if (!DockSite()) AdjustRectForBorders(r, true);
  return r;
}

void TRzSplitter::AlignControls(TControl* AControl, RECT& Rect) {
  if (LoadingSplitters > 0 || FComponentState.Contains(csLoading)) return;
  TRzCustomPanel::AlignControls(AControl, Rect);
}

void TRzSplitter::Paint() {
  TRzCustomPanel::Paint();
  DrawSplitterBar();
}

TRzPaneData* TRzSplitter::GetPaneData(int Index) { return (Index == 1 || Index == 2) ? FPaneData[Index - 1] : nullptr; }

void TRzSplitter::SetPaneData(int Index, TRzPaneData* Value) {
  if (TRzPaneData* d = GetPaneData(Index)) d->Assign(Value);
}

int TRzSplitter::PercentOf(int P) const {
  const int e = PercentExtent();
  return e == 0 ? 0 : RoundInt(double(P) / e * 100);
}

int TRzSplitter::FromPercent(int V) const { return RoundInt(double(V) / 100 * PercentExtent()); }

void TRzSplitter::SetPosition(int Value) {
  if (!FLayingOut && Value == FPosition) return;
  ConstrainPosition(Value);
  TLiveGuard alive(this);
  if (!CanChangePosition(Value) || !alive) return;
  FPosition = Value;
  FPercent = PercentOf(Value);
  LayoutPanes();
  UpdateFixedSize();
  DoChange();
}

void TRzSplitter::ChangePosition(int Value) {
  if (Value == FPosition) return;
  TLiveGuard alive(this);
  SetPosition(Value);
  if (alive) SetFixedOffset(FPosition);
}

void TRzSplitter::SetFixedOffset(int Pos) {
  FFixedOffset = FFixedPane == fpUpperLeft ? Pos : ClampInt(int64_t(Extent()) - Pos);
}

void TRzSplitter::UpdateFixedSize() {
  FFixedSize = FFixedPane == fpUpperLeft ? FPosition : ClampInt(int64_t(Extent()) - FPosition);
}

int TRzSplitter::GetBorderWidth() {
  int b = BorderWidth();
  for (TFrameStyle s : {FBorderOuter, FBorderInner}) {
    const int w = BorderLayerWidth(s);
    if (FBorderSides.Contains(sdLeft)) b += w;
    if (FBorderSides.Contains(sdTop)) b += w;
  }
  return b;
}

void TRzSplitter::ConstrainPosition(int& Pos) {
  if (!BothVisible()) return;
  const int extra = FSplitterStyle == ssStandard ? 0 : 4;
  int lo = FMarginMin, hi = FMarginMax;
  if (FHotSpotClosed && FHotSpotIgnoreMargins) lo = hi = 0;
  if (Pos < lo) Pos = lo;
  const int64_t limit = int64_t(Extent()) - hi - FSplitterWidth - 2 * int64_t(GetBorderWidth()) - extra;
  if (limit < Pos) Pos = ClampInt(limit);
  // A splitter smaller than its margins and bar keeps the bar at its near edge.
  if (Pos < 0) Pos = 0;
}

void TRzSplitter::LayoutPanes() {
  if (FComponentState.Contains(csLoading) || !FPanes[0] || !FPanes[1]) return;
  const RECT c = GetClientRect();
  const int L = c.left, T = c.top;
  const int W = std::max<int>(c.right - c.left, 0), H = std::max<int>(c.bottom - c.top, 0);
  const bool v1 = FPanes[0]->Visible(), v2 = FPanes[1]->Visible();
  const int sw = FSplitterWidth;
  DisableAlign();
  const bool horz = FOrientation == orHorizontal;
  // Whatever position was stored (one kept while a pane was hidden, say), the panes stay inside.
  const int p = std::clamp(FPosition, 0, std::max((horz ? W : H) - sw, 0));
  auto place = [&](TRzSplitterPane* pane, int along, int size) {
    if (horz)
      pane->SetBounds(L + along, T, size, H);
    else
      pane->SetBounds(L, T + along, W, size);
  };
  const int full = horz ? W : H;
  place(FPanes[0], 0, v1 && !v2 ? full : (v1 && v2 ? p : 0));
  if (v1 && v2)
    FBarRect = horz ? RECT{L + p, T, L + p + sw, T + H} : RECT{L, T + p, L + W, T + p + sw};
  else
    FBarRect = horz ? RECT{L, T, L, T + H} : RECT{L, T, L + W, T};
  CalcHotSpotRect();
  if (v1 && v2)
    place(FPanes[1], p + sw, std::max(full - p - sw, 0));
  else
    place(FPanes[1], 0, v2 ? full : 0);
  for (TRzSplitterPane* pane : FPanes)
    for (int i = 0; i < pane->ControlCount(); ++i)
      if (auto* inner = dynamic_cast<TRzSplitter*>(pane->Controls(i))) inner->LayoutPanes();
  EnableAlign();
  if (FRealTimeDrag) {
    FPanes[0]->Update();
    FPanes[1]->Update();
  }
}

void TRzSplitter::Resize() {
  TLiveGuard alive(this);
  TRzCustomPanel::Resize();
  if (!alive || !FPanes[0] || FComponentState.Contains(csWriting) || FComponentState.Contains(csDestroying)) return;
  FLayingOut = true;
  const int e = Extent();
  if (FFixedPane == fpLowerRight) {
    if (!FUsePercent) {
      SetPosition(ClampInt(int64_t(e) - FFixedSize));
      if (alive && FFixedOffset > FPosition && !FHotSpotClosed) SetPosition(ClampInt(int64_t(e) - FFixedOffset));
    }
  } else if (FUsePercent) {
    FMarginMin = FromPercent(FPercentMin);
    FMarginMax = PercentExtent() - FromPercent(FPercentMax);
    int pos = FromPercent(FPercent);
    if (FHotSpotClosed) pos = FHotSpotDirection == hsdMax ? PercentExtent() : 0;
    SetPosition(pos);
  } else {
    SetPosition(FPosition);
    if (alive && FFixedOffset > FPosition && !FHotSpotClosed) SetPosition(FFixedOffset);
  }
  if (alive) FLayingOut = false;
}

void TRzSplitter::SetPercent(int Value) {
  if (Value == FPercent) return;
  FPercent = Value;
  if (FComponentState.Contains(csLoading)) return;
  TLiveGuard alive(this);
  SetUsePercent(true);
  if (alive) SetPosition(FromPercent(Value));
}

// The lower limit never passes the upper one, whichever of the two is set.
void TRzSplitter::SetPercentMin(int Value) {
  FPercentMin = std::min(std::max(Value, 0), FPercentMax);
  if (!FComponentState.Contains(csLoading) && FUsePercent) SetMarginMin(FromPercent(FPercentMin));
}

void TRzSplitter::SetPercentMax(int Value) {
  FPercentMax = std::max(std::min(Value, 100), FPercentMin);
  if (!FComponentState.Contains(csLoading) && FUsePercent) SetMarginMax(PercentExtent() - FromPercent(FPercentMax));
}

void TRzSplitter::ApplyPercentLimits() {
  SetPercentMin(FPercentMin);
  SetPercentMax(FPercentMax);
}

void TRzSplitter::SetUsePercent(bool Value) {
  if (Value == FUsePercent) return;
  FUsePercent = Value;
  if (Value) {
    SetFixedPane(fpUpperLeft);
    ApplyPercentLimits();
  }
  SetPosition(FPosition);
}

void TRzSplitter::SetMarginMin(int Value) {
  FMarginMin = std::max(Value, 0);
  if (int64_t(FMarginMin) + FMarginMax > Extent()) FMarginMin = std::max(Extent() - FMarginMax, 0);
}

void TRzSplitter::SetMarginMax(int Value) {
  FMarginMax = std::max(Value, 0);
  if (int64_t(FMarginMax) + FMarginMin > Extent()) FMarginMax = std::max(Extent() - FMarginMin, 0);
}

void TRzSplitter::SetFixedPane(TFixedPane Value) {
  if (Value == FFixedPane) return;
  FFixedPane = Value;
  if (Value == fpLowerRight) FUsePercent = false;
  SetFixedOffset(FPosition);
  UpdateFixedSize();
}

void TRzSplitter::SetOrientation(TOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  if (FUsePercent) {
    TLiveGuard alive(this);
    SetPosition(FromPercent(FPercent));
    if (!alive) return;
    ApplyPercentLimits();
  }
  // Also when the position stayed: the panes now run the other way.
  LayoutPanes();
  Invalidate();
}

void TRzSplitter::SetSelectedPane(TSelectedPane Value) { FSelectedPane = Value; }

void TRzSplitter::SetSplitterWidth(uint16_t Value) {
  if (Value == FSplitterWidth) return;
  FSplitterWidth = Value;
  if (FOrientation == orHorizontal)
    FBarRect.right = FBarRect.left + Value;
  else
    FBarRect.bottom = FBarRect.top + Value;
  LayoutPanes();
  Invalidate();
}

void TRzSplitter::SetSplitterStyle(TSplitterStyle Value) {
  if (Value == FSplitterStyle) return;
  FSplitterStyle = Value;
  if (Value != ssStandard && FSplitterWidth < 6) SetSplitterWidth(6);
  Invalidate();
}

void TRzSplitter::SetHotSpotVisible(bool Value) {
  if (Value == FHotSpotVisible) return;
  FHotSpotVisible = Value;
  if (!Value) FHotSpotClosed = false;
  if (Value && FSplitterWidth < 7) SetSplitterWidth(7);
  Invalidate();
}

void TRzSplitter::SetHotSpotHighlight(TColor Value) {
  if (Value == FHotSpotHighlight) return;
  FHotSpotHighlight = Value;
  Invalidate();
}

void TRzSplitter::SetHotSpotDirection(THotSpotDirection Value) {
  if (Value == FHotSpotDirection) return;
  FHotSpotDirection = Value;
  Invalidate();
}

void TRzSplitter::SetHotSpotSizePercent(int Value) {
  if (Value == FHotSpotSizePercent) return;
  FHotSpotSizePercent = Value;
  CalcHotSpotRect();
  Invalidate();
}

void TRzSplitter::ResetHotSpotClosed() { FHotSpotClosed = false; }

void TRzSplitter::SetBorderInner(TFrameStyle Value) {
  if (Value == FBorderInner) return;
  TRzCustomPanel::SetBorderInner(Value);
  LayoutPanes();
}

void TRzSplitter::SetBorderOuter(TFrameStyle Value) {
  if (Value == FBorderOuter) return;
  TRzCustomPanel::SetBorderOuter(Value);
  LayoutPanes();
}

void TRzSplitter::SetBorderSides(TSides Value) {
  if (Value == FBorderSides) return;
  TRzCustomPanel::SetBorderSides(Value);
  LayoutPanes();
}

void TRzSplitter::SetBorderWidth(int Value) {
  if (Value == BorderWidth()) return;
  TRzCustomPanel::SetBorderWidth(Value);
  LayoutPanes();
}

bool TRzSplitter::CanChangePosition(int NewPos) {
  bool allow = true;
  OnChanging(this, NewPos, allow);
  return allow;
}

void TRzSplitter::DoChange() { OnChange(this); }

void TRzSplitter::DoHotSpotClick() { OnHotSpotClick(this); }

void TRzSplitter::CalcHotSpotRect() {
  const RECT b = FBarRect;
  if (FOrientation == orHorizontal) {
    const int mid = b.top + (b.bottom - b.top) / 2;
    const int h = RoundInt(FHotSpotSizePercent / 100.0 * (b.bottom - b.top)) / 2;
    FHotSpotRect = RECT{b.left, mid - h, b.right, mid + h};
  } else {
    const int mid = b.left + (b.right - b.left) / 2;
    const int h = RoundInt(FHotSpotSizePercent / 100.0 * (b.right - b.left)) / 2;
    FHotSpotRect = RECT{mid - h, b.top, mid + h, b.bottom};
  }
}

void TRzSplitter::DrawSplitterBar() {
  if (FSplitterStyle != ssStandard) {
    TCanvas* C = Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    RECT fill = FBarRect;
    ++fill.right;
    ++fill.bottom;
    C->FillRect(fill);
    const TFrameStyle style = FSplitterStyle == ssGroove ? fsStatus : fsPopup;
    const RECT b = FBarRect;
    if (FOrientation == orHorizontal) {
      const int mid = b.left + (b.right - b.left) / 2;
      DrawBorder(C, RECT{mid - 3, b.top, mid, b.bottom}, style);
      DrawBorder(C, RECT{mid, b.top, mid + 3, b.bottom}, style);
    } else {
      const int mid = b.top + (b.bottom - b.top) / 2;
      DrawBorder(C, RECT{b.left, mid - 3, b.right, mid}, style);
      DrawBorder(C, RECT{b.left, mid, b.right, mid + 3}, style);
    }
  }
  if (FHotSpotVisible) DrawHotSpot(false);
}

void TRzSplitter::DrawHotSpot(bool Hot) {
  TCanvas* C = Canvas();
  const RECT r = FHotSpotRect;
  if (r.right <= r.left || r.bottom <= r.top) return;
  C->Pen()->SetStyle(psSolid);
  C->Pen()->SetWidth(1);
  C->Pen()->SetColor(clBtnShadow);
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Hot ? FHotSpotHighlight : clBtnFace);
  C->Rectangle(r);
  C->Pen()->SetColor(clBtnHighlight);
  C->MoveTo(r.left + 1, r.bottom - 2);
  C->LineTo(r.left + 1, r.top + 1);
  C->LineTo(r.right - 1, r.top + 1);
  C->Pen()->SetColor(clHighlight);
  C->Brush()->SetColor(clHighlight);
  const bool horz = FOrientation == orHorizontal;
  const int m = horz ? r.left + (r.right - r.left) / 2 : r.top + (r.bottom - r.top) / 2;
  const int s = horz ? r.top : r.left, e = horz ? r.bottom : r.right;
  const bool towardMin = (FHotSpotDirection == hsdMin) != FHotSpotClosed;
  const int a = towardMin ? m - 1 : m + 1, b = towardMin ? m + 1 : m - 1;
  // Points are given as (across the bar, along the bar).
  auto pt = [horz](int across, int along) { return horz ? POINT{across, along} : POINT{along, across}; };
  C->Polygon({pt(b, s + 6), pt(a, s + 8), pt(b, s + 10)});
  C->Polygon({pt(b, e - 6), pt(a, e - 8), pt(b, e - 10)});
  const int n = (e - s - 32) / 3;
  if (n >= 0)
    for (int i = 0; i <= n; ++i) {
      POINT p1 = pt(m, s + 15 + 3 * i), p2 = pt(m + 1, s + 16 + 3 * i);
      C->SetPixels(p1.x, p1.y, clHighlightText);
      C->SetPixels(p2.x, p2.y, clHighlight);
    }
}

void TRzSplitter::DrawDragLine(int Pos) {
  if (FRealTimeDrag || !HandleAllocated()) return;
  const int b = GetBorderWidth();
  POINT p{b, b};
  if (FOrientation == orHorizontal)
    p.x += Pos;
  else
    p.y += Pos;
  p = ClientToScreen(p);
  HDC dc = GetDC(nullptr);
  HBRUSH brush = CreatePatternBrush(FChecker);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, ColorToRGB(clGray));
  HGDIOBJ old = SelectObject(dc, brush);
  PatBlt(dc, p.x, p.y, FBarRect.right - FBarRect.left, FBarRect.bottom - FBarRect.top, PATINVERT);
  SelectObject(dc, old);
  DeleteObject(brush);
  ReleaseDC(nullptr, dc);
}

void TRzSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TLiveGuard alive(this);
  TRzCustomPanel::MouseDown(Button, Shift, X, Y);
  if (!alive || Button != mbLeft) return;
  POINT p;
  GetClientCursorPos(p);
  if (!PtInRect(&FBarRect, p)) return;
  SetMouseCapture(true);
  if (!FLockBar) FDragging = true;
  if (FHotSpotVisible && PtInRect(&FHotSpotRect, p)) FHotSpotPressed = true;
  FDragOffset = FOrientation == orHorizontal ? X - Width() / 2 : Y - Height() / 2;
  FDragStart = FPosition;
  if (!FLockBar) DrawDragLine(FPosition);
  FLastDragPos = FPosition;
}

void TRzSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TLiveGuard alive(this);
  TRzCustomPanel::MouseMove(Shift, X, Y);
  if (!alive || !FDragging) return;
  const bool horz = FOrientation == orHorizontal;
  const int size = horz ? Width() : Height();
  int p = ClampInt(int64_t(horz ? X : Y) + FDragStart - size / 2 - FDragOffset);
  ConstrainPosition(p);
  if (!CanChangePosition(p) || !alive) return;
  if (p != FLastDragPos) {
    FHotSpotClosed = false;
    FHotSpotPressed = false;
    DrawDragLine(FLastDragPos);
    DrawDragLine(p);
    if (FRealTimeDrag) {
      SetPosition(p);
      if (!alive) return;
      FFixedOffset = FFixedPane == fpUpperLeft ? p : size - p;
    }
  }
  FLastDragPos = p;
}

void TRzSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TLiveGuard alive(this);
  TRzCustomPanel::MouseUp(Button, Shift, X, Y);
  if (!alive) return;
  const bool wasDragging = FDragging && Button == mbLeft;
  if (!wasDragging && !FHotSpotPressed) return;
  FDragging = false;
  SetMouseCapture(false);
  if (!FRealTimeDrag) {
    // Only a drag drew a line to erase (a locked bar's hot-spot click drew none).
    if (wasDragging) DrawDragLine(FLastDragPos);
    SetPosition(FLastDragPos);
    if (!alive) return;
    SetFixedOffset(FLastDragPos);
  }
  if (!FHotSpotPressed) return;
  FHotSpotPressed = false;
  if (!PtInRect(&FHotSpotRect, POINT{X, Y})) return;
  FHotSpotClosed = !FHotSpotClosed;
  if (FHotSpotClosed) {
    FHotSpotPosition = FPosition;
    SetPosition(FHotSpotDirection == hsdMin ? 0 : INT_MAX);
  } else {
    SetPosition(FHotSpotPosition);
    if (!alive) return;
    SetFixedOffset(FPosition);
  }
  if (!alive) return;
  Invalidate();
  DoHotSpotClick();
}

void TRzSplitter::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETCURSOR: {
      POINT p;
      GetClientCursorPos(p);
      const bool overHot = FHotSpotVisible && PtInRect(&FHotSpotRect, p);
      if (FHotSpotVisible && overHot == FNotHot) {
        FNotHot = !overHot;
        DrawHotSpot(overHot);
      }
      if (PtInRect(&FBarRect, p) && !FLockBar) {
        HCURSOR c = FOrientation == orHorizontal ? FHorzCursor : FVertCursor;
        if (!c) c = LoadCursorA(nullptr, FOrientation == orHorizontal ? IDC_SIZEWE : IDC_SIZENS);
        ::SetCursor(overHot ? LoadCursorA(nullptr, IDC_ARROW) : c);
        Message.Result = 1;
        return;
      }
      break;
    }
    case WM_SHOWWINDOW: {
      TLiveGuard alive(this);
      TRzCustomPanel::Dispatch(Message);
      if (!alive || FComponentState.Contains(csDestroying)) return;
      FPanes[0]->Invalidate();
      FPanes[1]->Invalidate();
      return;
    }
    case CM_DESIGNHITTEST: {
      auto& m = MessageAs<TCMDesignHitTest>(Message);
      POINT p{m.XPos(), m.YPos()};
      const bool both = (m.Keys() & MK_SHIFT) && (m.Keys() & MK_CONTROL);
      Message.Result = PtInRect(&FBarRect, p) && !both ? 1 : 0;
      return;
    }
  }
  TRzCustomPanel::Dispatch(Message);
}

void TRzSplitter::ReadBarSize(TReader* Reader) {
  Reader->ReadListBegin();
  int v[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4 && !Reader->EndOfList(); ++i) v[i] = Reader->ReadInteger();
  Reader->ReadListEnd();
  FBarRect = RECT{v[0], v[1], v[2], v[3]};
  CalcHotSpotRect();
}

void TRzSplitter::ReadNames(TReader* Reader, std::vector<std::string>& Names) {
  Names.clear();
  Reader->ReadListBegin();
  while (!Reader->EndOfList())
    Names.push_back(Reader->NextValue() == vaString ? Reader->ReadString() : Reader->ReadIdent());
  Reader->ReadListEnd();
}

void TRzSplitter::DefineProperties(TFiler* Filer) {
  TRzCustomPanel::DefineProperties(Filer);
  Filer->DefineProperty(
      "BarSize", [this](TReader* r) { ReadBarSize(r); },
      [this](TWriter* w) {
        w->WriteListBegin();
        for (LONG v : {FBarRect.left, FBarRect.top, FBarRect.right, FBarRect.bottom}) w->WriteInteger(v);
        w->WriteListEnd();
      },
      true);
  Filer->DefineProperty(
      "HotSpotClosed", [this](TReader* r) { FHotSpotClosed = r->ReadBoolean(); },
      [this](TWriter* w) { w->WriteBoolean(FHotSpotClosed); }, FHotSpotClosed);
  Filer->DefineProperty(
      "HotSpotPosition", [this](TReader* r) { FHotSpotPosition = r->ReadInteger(); },
      [this](TWriter* w) { w->WriteInteger(FHotSpotPosition); }, FHotSpotClosed);
  // The writer has no bare identifiers: the names go out quoted, and reading takes either form.
  for (int i = 0; i < 2; ++i) {
    Filer->DefineProperty(
        i == 0 ? "UpperLeftControls" : "LowerRightControls",
        [this, i](TReader* r) { ReadNames(r, i == 0 ? FUpperLeftNames : FLowerRightNames); },
        [this, i](TWriter* w) {
          w->WriteListBegin();
          for (int k = 0; k < FPanes[i]->ControlCount(); ++k)
            if (!FPanes[i]->Controls(k)->Name().empty()) w->WriteString(FPanes[i]->Controls(k)->Name());
          w->WriteListEnd();
        },
        true);
  }
  // Older forms stored these; they mean nothing now.
  Filer->DefineProperty("PositionMin", [](TReader* r) { r->ReadInteger(); }, nullptr, false);
  Filer->DefineProperty("PositionMax", [](TReader* r) { r->ReadInteger(); }, nullptr, false);
}

void TRzSplitter::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TRzSplitterPane* pane : FPanes)
    for (int i = 0; i < pane->ControlCount(); ++i)
      if (pane->Controls(i)->Owner() == Root) Proc(pane->Controls(i));
}

void TRzSplitter::Loaded() {
  ++LoadingSplitters;
  struct Leave {
    ~Leave() { --LoadingSplitters; }
  } leave;
  TRzCustomPanel::Loaded();
  TCustomForm* form = GetParentForm();
  TWinControl* active = form ? form->ActiveControl() : nullptr;
  TLiveGuard alive(this);
  SetPosition(FPosition);
  if (!alive) return;
  LayoutPanes();
  DisableAlign();
  for (int i = 0; i < 2; ++i) {
    for (const std::string& name : i == 0 ? FUpperLeftNames : FLowerRightNames) {
      // A name that answers to no control (a renamed or deleted one) is passed over.
      TComponent* c = Owner() ? Owner()->FindComponent(name) : nullptr;
      if (auto* control = dynamic_cast<TControl*>(c); control && control != FPanes[i])
        control->SetParent(FPanes[i]);
    }
  }
  EnableAlign();
  FPanes[0]->Realign();
  FPanes[1]->Realign();
  if (form && active && form->ActiveControl() != active) form->SetActiveControl(active);
}

void TRzSplitter::Publish(TPublisher<TRzSplitter>& p) {
  using S = TRzSplitter;
  p.Enum("About", RzAboutInfoNames, [](S&) { return aiDabelComponents; }, [](S&, TRzAboutInfo) {}).Stored(false);
  p.Enum("Orientation", OrientationNames, &S::Orientation, &S::SetOrientation).Default(orHorizontal);
  p.Int("Position", &S::Position, &S::SetPosition);
  p.Int("MarginMin", &S::MarginMin, &S::SetMarginMin).Default(0);
  p.Int("MarginMax", &S::MarginMax, &S::SetMarginMax).Default(0);
  p.Int("Percent", &S::Percent, &S::SetPercent).Default(50);
  p.Int("PercentMin", &S::PercentMin, &S::SetPercentMin).Default(0);
  p.Int("PercentMax", &S::PercentMax, &S::SetPercentMax).Default(100);
  p.Bool("UsePercent", &S::UsePercent, &S::SetUsePercent).Default(0);
  p.Enum("FixedPane", FixedPaneNames, &S::FixedPane, &S::SetFixedPane).Default(fpUpperLeft);
  p.Enum("SelectedPane", SelectedPaneNames, &S::SelectedPane, &S::SetSelectedPane).Stored(false);
  p.Int("SplitterWidth", &S::SplitterWidth, &S::SetSplitterWidth).Default(4);
  p.Enum("SplitterStyle", SplitterStyleNames, &S::SplitterStyle, &S::SetSplitterStyle).Default(ssStandard);
  p.Bool("RealTimeDrag", &S::RealTimeDrag, &S::SetRealTimeDrag).Default(0);
  p.Bool("LockBar", &S::LockBar, &S::SetLockBar).Default(0);
  p.Bool("HotSpotVisible", &S::HotSpotVisible, &S::SetHotSpotVisible).Default(0);
  p.Int("HotSpotHighlight", &S::HotSpotHighlight, &S::SetHotSpotHighlight).Default(clWindow).Idents(ColorIdentMap());
  p.Enum("HotSpotDirection", HotSpotDirectionNames, &S::HotSpotDirection, &S::SetHotSpotDirection).Default(hsdMin);
  p.Bool("HotSpotIgnoreMargins", &S::HotSpotIgnoreMargins, &S::SetHotSpotIgnoreMargins).Default(1);
  p.Int("HotSpotSizePercent", &S::HotSpotSizePercent, &S::SetHotSpotSizePercent).Default(40);
  p.Object("UpperLeft", [](S& s) { return s.GetPaneData(1); });
  p.Object("LowerRight", [](S& s) { return s.GetPaneData(2); });
  p.Int("BorderWidth", &S::BorderWidth, &S::SetBorderWidth).Default(0);
  p.Enum("BorderOuter", FrameStyleNames, &S::BorderOuter, &S::SetBorderOuter).Default(fsNone);
  p.Int("Width", &S::Width, &S::SetWidth).Default(200);
  p.Int("Height", &S::Height, &S::SetHeight).Default(100);
  p.Event("OnChange", &S::OnChange);
  p.Event("OnChanging", &S::OnChanging);
  p.Event("OnHotSpotClick", &S::OnHotSpotClick);
}

void RzSplitInitialize() {
  RzCommonInitialize();
  RegisterClasses({TRzSplitter::StaticClass(), TRzSplitterPane::StaticClass()});
}
