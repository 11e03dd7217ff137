// Dock sites: where a docked bar window goes (row and column under a point), the layout of the rows
// (bars that do not fit shrink towards their minimal length from the end of the row), and the site's
// size, which follows the sum of its rows.
#include <windowsx.h>

#include <algorithm>

#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarCustomizing.h"
#include "dxBarManager.h"
#include "dxBarWindows.h"

TdxDockControl::TdxDockControl(TComponent* AOwner, TdxBarDockingStyle AStyle, TdxBarManager* ABarManager)
    : TCustomControl(AOwner), FBarManager(ABarManager), FDockingStyle(AStyle) {
  TControlStyle style = ControlStyle();
  style.Include(csNoDesignVisible);
  if (AStyle == dsTop) style.Include(csActionClient);
  SetControlStyle(style);
  static const TAlign Aligns[] = {alNone, alLeft, alTop, alRight, alBottom};
  SetAlign(Aligns[AStyle]);
  if (Horizontal())
    SetHeight(0);
  else
    SetWidth(0);
  SetParentColor(true);
}

// The form frees its child windows before its components: a site may go before the manager's bars.
TdxDockControl::~TdxDockControl() {
  if (FBars) FBars->DockControlDestroyed(this);
}

void TdxDockControl::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  Params.ExStyle = 0;
  Params.WindowClass.style = CS_DBLCLKS;
}

int TdxDockControl::BarCount() const {
  int n = 0;
  for (auto& r : FRows) n += int(r.Cols.size());
  return n;
}

TdxBarControl* TdxDockControl::BarControls(int Index) const {
  for (auto& r : FRows)
    for (auto& c : r.Cols)
      if (Index-- == 0) return c.BarControl;
  return nullptr;
}

int TdxDockControl::RowOf(TdxBarControl* ABarControl) const {
  for (size_t r = 0; r < FRows.size(); ++r)
    for (auto& c : FRows[r].Cols)
      if (c.BarControl == ABarControl) return int(r);
  return -1;
}

void TdxDockControl::SetSiteSize(int Value) {
  if (Value < 0) Value = 0;
  if (Horizontal())
    SetHeight(Value);
  else
    SetWidth(Value);
}

void TdxDockControl::ReFrame() {
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TdxDockControl::Extent() { return Horizontal() ? ClientWidth() : ClientHeight(); }
int TdxDockControl::Across() { return Horizontal() ? ClientHeight() : ClientWidth(); }

// ---------------------------------------------------------------------------------------------------
// Rows and zones

int TdxDockControl::RowThickness(int Row) {
  if (Row < 0 || Row >= RowCount()) return 0;
  int t = 0;
  for (auto& c : FRows[size_t(Row)].Cols) t = std::max(t, Horizontal() ? c.BarControl->Height() : c.BarControl->Width());
  return t;
}

int TdxDockControl::RowsThickness() {
  int t = 0;
  for (int r = 0; r < RowCount(); ++r) t += RowThickness(r);
  return t;
}

int TdxDockControl::NeededSize() {
  int t = RowsThickness();
  return t + (t != 0 && FBarManager && FBarManager->SunkenBorder() ? 2 : 0);
}

RECT TdxDockControl::GetRowRect(int Row) {
  if (Row < 0 || Row >= RowCount()) return RECT{};
  int off = 0;
  bool fromFar = FBars && FBars->Dragging() && (FDockingStyle == dsRight || FDockingStyle == dsBottom);
  if (fromFar) {
    off = Across();
    for (int r = RowCount() - 1; r >= Row; --r) off -= RowThickness(r);
  } else {
    for (int r = 0; r < Row; ++r) off += RowThickness(r);
  }
  int t = RowThickness(Row), e = Extent();
  return Horizontal() ? RECT{0, off, e, off + t} : RECT{off, 0, off + t, e};
}

void TdxDockControl::GetRowZone(int Row, int Part, int& Lo, int& Hi) {
  int z = FBars ? FBars->DockingZoneSize() : 23;
  int t = RowsThickness(), e = Across();
  bool nearSide = FDockingStyle == dsLeft || FDockingStyle == dsTop;
  if (Row < 0) {
    Lo = nearSide ? -z : e - t - z;
    Hi = nearSide ? 0 : e - t;
  } else if (Row < RowCount()) {
    RECT r = GetRowRect(Row);
    Lo = Horizontal() ? r.top : r.left;
    Hi = Horizontal() ? r.bottom : r.right;
  } else {
    Lo = nearSide ? t : e;
    Hi = Lo + z;
  }
  int m = nearSide ? Lo + (z - 5) / 2 : Hi - (z - 5) / 2 - 5;
  if (Part == 0)
    Hi = m;
  else if (Part == 1)
    Lo = m, Hi = m + 5;
  else
    Lo = m + 5;
}

int TdxDockControl::RowAtPos(POINT ScreenPoint, bool& NewRow) {
  NewRow = true;
  if (FRows.empty()) return 0;
  POINT p = ScreenToClient(ScreenPoint);
  int c = Horizontal() ? p.y : p.x;
  int row = -1;
  bool matched = false;
  for (int r = -1; r < RowCount() && !matched; ++r)
    for (int part = 0; part < 3; ++part) {
      int lo, hi;
      GetRowZone(r, part, lo, hi);
      if (c >= lo && c < hi) {
        row = part == 0 ? r : r + 1;
        NewRow = part == 1;
        matched = true;
        break;
      }
    }
  if (!matched || row == -1) {
    NewRow = true;
    row = c < RowsThickness() ? 0 : RowCount();
  }
  if (row == RowCount()) NewRow = true;
  return row;
}

int TdxDockControl::ColumnAtPos(int Row, POINT ScreenPoint) {
  if (Row < 0 || Row >= RowCount() || FRows[size_t(Row)].Cols.empty()) return 0;
  POINT p = ScreenToClient(ScreenPoint);
  if (FBars && FBars->Dragging() && FBars->DraggingBarControl()) {
    POINT off = FBars->DraggingBarControl()->CaptionOffset();
    p.x -= off.x;
    p.y -= off.y;
  }
  auto& cols = FRows[size_t(Row)].Cols;
  for (size_t i = 0; i < cols.size(); ++i) {
    int at = Horizontal() ? cols[i].BarControl->Left() : cols[i].BarControl->Top();
    if (at >= (Horizontal() ? p.x : p.y)) return int(i);
  }
  return int(cols.size());
}

POINT TdxDockControl::RowInsertPoint(TdxBarControl* ABarControl) {
  int row = FRemovedRow >= 0 ? FRemovedRow : std::max(0, RowOf(ABarControl));
  bool newRow = FRemovedRow >= 0 && FRemovedAlone;
  if (newRow && row == RowCount()) newRow = false;
  int c;
  if (newRow) {
    int lo, hi;
    GetRowZone(row - 1, 1, lo, hi);
    c = (lo + hi) / 2;
  } else {
    int lo, hi0, lo2, hi;
    GetRowZone(row - 1, 2, lo, hi0);
    GetRowZone(row, 0, lo2, hi);
    if (hi - lo2 < lo2 - lo) lo = lo2 - (hi - lo2);
    c = (lo + hi) / 2;
  }
  POINT p = ABarControl->Parent() == this ? POINT{ABarControl->Left(), ABarControl->Top()} : POINT{0, 0};
  if (Horizontal())
    p.y = c;
  else
    p.x = c;
  return ClientToScreen(p);
}

RECT TdxDockControl::GetDockZone() {
  RECT r = BoundsRect();
  if (Parent()) {
    POINT tl = Parent()->ClientToScreen(POINT{r.left, r.top});
    OffsetRect(&r, tl.x - r.left, tl.y - r.top);
  }
  int z = FBars ? FBars->DockingZoneSize() : 23;
  InflateRect(&r, z, Horizontal() ? z : 0);
  return r;
}

// ---------------------------------------------------------------------------------------------------
// Inserting and removing bar windows

void TdxDockControl::InsertBar(TdxBarControl* ABarControl, POINT ScreenPoint, bool Update) {
  DetachBar(ABarControl);
  bool creating = ABarControl->Creating();
  bool loading = FBars && FBars->Loading();
  bool newRow;
  int row;
  if (creating) {
    row = ABarControl->DockRow;
    newRow = ABarControl->DockOneOnRow;
  } else {
    row = RowAtPos(ScreenPoint, newRow);
  }
  TdxBar* bar = ABarControl->Bar();
  if (bar && bar->WholeRow()) newRow = true;
  row = std::max(row, 0);
  if (creating && row >= RowCount()) {
    // Rows before a stored row number are kept (empty) so the numbers still hold while a layout loads;
    // the row itself is made below, so showing a bar leaves no empty row behind it.
    while (RowCount() < row) FRows.emplace_back();
    newRow = true;
  } else {
    row = std::min(row, RowCount() - 1 + (newRow ? 1 : 0));
    row = std::max(row, 0);
    if (row == RowCount()) newRow = true;
  }
  if (!newRow)
    for (auto& c : FRows[size_t(row)].Cols)
      if (c.BarControl != ABarControl && c.BarControl->Bar() && c.BarControl->Bar()->WholeRow()) newRow = true;
  POINT p = ScreenPoint;
  if (!creating) {
    POINT off = ABarControl->CaptionOffset();
    if (Horizontal())
      p.x -= off.x;
    else
      p.y -= off.y;
  }
  p = ScreenToClient(p);
  if (Horizontal())
    p.x = std::max(0, int(p.x));
  else
    p.y = std::max(0, int(p.y));
  TdxDockCol col{ABarControl, p};
  if (newRow) {
    bool reuse = row < RowCount() && ((creating && loading) || FRows[size_t(row)].Cols.empty());
    if (!reuse) FRows.insert(FRows.begin() + row, TdxDockRow{});
    FRows[size_t(row)].Cols.push_back(col);
  } else {
    int at = ColumnAtPos(row, ScreenPoint);
    auto& cols = FRows[size_t(row)].Cols;
    cols.insert(cols.begin() + std::min<size_t>(size_t(at), cols.size()), col);
  }
  ABarControl->DockRow = row;
  ABarControl->DockOneOnRow = FRows[size_t(row)].Cols.size() == 1;
  if (ABarControl->Parent() != this) ABarControl->SetParent(this);
  if (!Update) return;
  if (!(FBars && FBars->Dragging()))
    ABarControl->SetBounds(p.x, p.y, ABarControl->Width(), ABarControl->Height());
  UpdateDock();
  if (!loading) {
    int r = RowOf(ABarControl);
    if (r >= 0)
      for (auto& c : FRows[size_t(r)].Cols)
        if (c.BarControl == ABarControl) c.Pos = POINT{ABarControl->Left(), ABarControl->Top()};
  }
}

void TdxDockControl::ForgetBar(TdxBarControl* ABarControl) {
  if (!DetachBar(ABarControl)) return;
  if (!ComponentState().Contains(csDestroying)) UpdateDock();
}

void TdxDockControl::RemoveBar(TdxBarControl* ABarControl, bool Update) {
  DetachBar(ABarControl);
  if (ABarControl->Parent() == this && !(FBars && FBars->Dragging() && FBars->DraggingBarControl() == ABarControl))
    ABarControl->SetParent(nullptr);
  if (Update) UpdateDock();
}

bool TdxDockControl::DetachBar(TdxBarControl* ABarControl) {
  FRemovedRow = -1;
  FRemovedAlone = false;
  for (size_t r = 0; r < FRows.size(); ++r) {
    auto& cols = FRows[r].Cols;
    auto it = std::find_if(cols.begin(), cols.end(), [&](const TdxDockCol& c) { return c.BarControl == ABarControl; });
    if (it == cols.end()) continue;
    cols.erase(it);
    FRemovedRow = int(r);
    if (cols.empty()) {
      FRemovedAlone = true;
      FRows.erase(FRows.begin() + long(r));
    }
    return true;
  }
  return false;
}

void TdxDockControl::MoveBarTo(TdxBarControl* ABarControl, POINT ScreenPoint) {
  RemoveBar(ABarControl, false);
  InsertBar(ABarControl, ScreenPoint, true);
}

// ---------------------------------------------------------------------------------------------------
// Layout and size

namespace {
// What the layout needs of one bar window along the site, in window pixels.
struct TBarMeasure {
  TdxBarControl* W;
  int Min, Max, Natural, Pos, Len, Thick;
  bool Truncated;
};
using TRowMeasure = std::vector<TBarMeasure>;

bool IsHorizontal(TdxBarDockingStyle Style) { return Style == dsTop || Style == dsBottom; }

// A window's frame along the site and across it.
void FrameAlongAcross(TdxBarControl* W, TdxBarDockingStyle Style, int& Along, int& Across) {
  RECT in = W->FrameInsets(Style);
  bool h = IsHorizontal(Style);
  Along = h ? in.left + in.right : in.top + in.bottom;
  Across = h ? in.top + in.bottom : in.left + in.right;
}

// The shortest, the full and the wanted length of a window along the site, and its natural thickness.
TBarMeasure MeasureBar(TdxBarControl* W, TdxBarDockingStyle Style, POINT Wanted) {
  bool h = IsHorizontal(Style);
  W->ClearHiddenItems();
  int along, across;
  FrameAlongAcross(W, Style, along, across);
  TBarMeasure b{W, 0, 0, 0, 0, 0, 0, false};
  b.Min = (h ? W->MinWidth(Style) : W->MinHeight(Style)) + along;
  b.Max = (h ? W->FullWidth(Style) : W->FullHeight(Style)) + along;
  b.Natural = (h ? W->FullHeight(Style) : W->FullWidth(Style)) + across;
  // Room for the mark that a shrunk bar shows.
  if (!W->MarkShown() && b.Min != b.Max) b.Min = std::min(b.Min + 11, b.Max);
  b.Pos = h ? Wanted.x : Wanted.y;
  return b;
}

// The thickness of a window shrunk to Len along the site.
int ThicknessFor(const TBarMeasure& B, TdxBarDockingStyle Style, int Len) {
  bool h = IsHorizontal(Style);
  int along, across;
  FrameAlongAcross(B.W, Style, along, across);
  SIZE s = h ? B.W->GetSizeForWidth(Style, Len - along) : B.W->GetSizeForHeight(Style, Len - along);
  return int(h ? s.cy : s.cx) + across;
}

int ClampTo(int V, int Lo, int Hi) { return std::max(Lo, std::min(V, std::max(Lo, Hi))); }

// Not everything fits in the length L: from the end, each window takes what is left after the ones
// before it at their minimal lengths, down to its own minimum. SumMin and SumMax are the running sums
// of the minimal and full lengths.
void ShrinkRow(TRowMeasure& M, TdxBarDockingStyle Style, int L, TdxBarControl* Dragged,
               const std::vector<int>& SumMin, const std::vector<int>& SumMax) {
  int A = L;
  for (int k = int(M.size()) - 1; k >= 0; --k) {
    TBarMeasure& b = M[size_t(k)];
    int P = ClampTo(b.Pos, SumMin[size_t(k)], SumMax[size_t(k)]);
    if (k > 0 && M[size_t(k) - 1].W == Dragged) {
      int Q = std::max(M[size_t(k) - 1].Pos, SumMin[size_t(k) - 1]);
      if (Q + M[size_t(k) - 1].Max < P) P = Q + M[size_t(k) - 1].Max;
    }
    int len = A - P;
    if (len < b.Max) {
      b.Truncated = b.Min != b.Max;
      len = std::max(len, b.Min);
      b.Thick = ThicknessFor(b, Style, len);
    } else {
      b.Truncated = false;
      len = b.Max;
      b.Thick = b.Natural;
    }
    if (k == 0 && len < A) len = A;
    b.Len = len;
    b.Pos = ClampTo(A - len, SumMin[size_t(k)], SumMax[size_t(k)]);
    A -= len;
  }
}

// Fits one row into the site's length L: each window's place and length along the row, and the
// thickness it takes.
void FitRow(TRowMeasure& M, TdxBarDockingStyle Style, int L, TdxBarControl* Dragged) {
  int n = int(M.size()), S = 0;
  for (auto& b : M) S += b.Max;
  std::vector<int> sumMin(size_t(n) + 1, 0), sumMax(size_t(n) + 1, 0);
  for (int k = 0; k < n; ++k) {
    sumMin[size_t(k) + 1] = sumMin[size_t(k)] + M[size_t(k)].Min;
    sumMax[size_t(k) + 1] = sumMax[size_t(k)] + M[size_t(k)].Max;
  }
  TdxBar* firstBar = M[0].W->Bar();
  if (firstBar && firstBar->WholeRow()) {
    TBarMeasure& b = M[0];
    b.Pos = 0;
    b.Len = std::max(L, b.Min);
    b.Truncated = b.Len < b.Max;
    b.Thick = b.Truncated ? ThicknessFor(b, Style, b.Len) : b.Natural;
  } else if (S > L) {
    ShrinkRow(M, Style, L, Dragged, sumMin, sumMax);
  } else {
    int A = L;
    for (int k = n - 1; k >= 0; --k) {
      TBarMeasure& b = M[size_t(k)];
      b.Len = b.Max;
      b.Thick = b.Natural;
      b.Pos = std::max(std::min(b.Pos, A - b.Len), sumMax[size_t(k)]);
      A = b.Pos;
    }
  }
  for (int k = 0; k < n; ++k) {
    TBarMeasure& b = M[size_t(k)];
    if (!b.W->Bar() || !b.W->Bar()->UseRestSpace()) continue;
    b.Pos = k == 0 ? 0 : M[size_t(k) - 1].Pos + M[size_t(k) - 1].Len;
    b.Len = std::max(b.Min, (k == n - 1 ? L : M[size_t(k) + 1].Pos) - b.Pos);
  }
}

// Puts the fitted windows of row Row at Offset across the site; answers the row's thickness.
int PlaceRow(TRowMeasure& M, bool Horizontal, int Row, int Offset, int L) {
  int n = int(M.size()), thick = 0;
  for (auto& b : M) thick = std::max(thick, b.Thick);
  for (int k = 0; k < n; ++k) {
    TBarMeasure& b = M[size_t(k)];
    if (b.Truncated && k == n - 1) b.Len = std::max(L - b.Pos, b.Min);
    RECT want = Horizontal ? RECT{b.Pos, Offset, b.Pos + b.Len, Offset + thick}
                           : RECT{Offset, b.Pos, Offset + thick, b.Pos + b.Len};
    RECT now = b.W->BoundsRect();
    bool moved = !EqualRect(&want, &now);
    if (moved) b.W->SetBounds(want.left, want.top, want.right - want.left, want.bottom - want.top);
    b.W->DockRow = Row;
    b.W->DockOneOnRow = n == 1;
    b.W->CalcLayout();
    // A window that moved or changed size is painted again, its edges too: they are its frame, which
    // Wine does not repaint when the window moves. One that stayed keeps its picture.
    if (moved && b.W->HandleAllocated())
      RedrawWindow(b.W->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  }
  return thick;
}
}  // namespace

void TdxDockControl::LayoutRows() {
  if (FLayingOut || ComponentState().Contains(csDestroying) || (FBars && FBars->Loading())) return;
  TCustomForm* form = FBarManager ? FBarManager->ParentForm() : nullptr;
  if (form && form->ComponentState().Contains(csDestroying)) return;
  FLayingOut = true;
  struct TGuard {
    bool& F;
    ~TGuard() { F = false; }
  } guard{FLayingOut};
  if (HandleAllocated() && FBarManager && !FBarManager->Designing())
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  int L = Extent(), offset = 0;
  TdxBarControl* dragged = FBars && FBars->Dragging() ? FBars->DraggingBarControl() : nullptr;
  // Every window is measured before any is placed: placing one lays its items out again.
  std::vector<TRowMeasure> rows;
  for (auto& row : FRows) {
    TRowMeasure m;
    for (auto& c : row.Cols) m.push_back(MeasureBar(c.BarControl, FDockingStyle, c.Pos));
    rows.push_back(m);
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].empty()) continue;
    FitRow(rows[r], FDockingStyle, L, dragged);
    offset += PlaceRow(rows[r], Horizontal(), int(r), offset, L);
  }
  if (HandleAllocated()) Invalidate();
}

void TdxDockControl::SizeToRows() {
  int size = NeededSize();
  if (size == SiteSize()) return;
  SetSiteSize(size);
  if (FBarManager && FBarManager->MenuModeBar()) FBarManager->MenuModeBar()->ExitMenuMode();
}

void TdxDockControl::UpdateDock() {
  TCustomForm* form = FBarManager ? FBarManager->ParentForm() : nullptr;
  if (form && form->ComponentState().Contains(csDestroying)) return;
  if (FBarManager && FBarManager->IsUpdateLocked()) return;
  LayoutRows();
  SizeToRows();
}

// ---------------------------------------------------------------------------------------------------
// Messages

void TdxDockControl::Dispatch(TMessage& Message) {
  bool sunken = FBarManager && FBarManager->SunkenBorder();
  switch (Message.Msg) {
    case WM_ERASEBKGND: {
      RECT r = ClientRect();
      HBRUSH b = CreateSolidBrush(ColorToRGB(Color()));
      FillRect(reinterpret_cast<HDC>(Message.WParam), &r, b);
      DeleteObject(b);
      Message.Result = 1;
      return;
    }
    case WM_MOUSEACTIVATE: {
      TCustomForm* f = FBarManager ? FBarManager->ParentForm() : nullptr;
      if (f && f->HandleAllocated())
        SetWindowPos(f->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      Message.Result = MA_NOACTIVATE;
      return;
    }
    case WM_NCCALCSIZE:
      if (sunken) {
        RECT* r = reinterpret_cast<RECT*>(Message.LParam);
        InflateRect(r, -1, -1);
        Message.Result = 0;
        return;
      }
      break;
    case WM_NCPAINT:
      if (sunken) {
        HDC dc = GetWindowDC(Handle());
        RECT r{0, 0, Width(), Height()};
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        ReleaseDC(Handle(), dc);
        Message.Result = 0;
        return;
      }
      break;
    case WM_LBUTTONDBLCLK:
      if (FBarManager && FBarManager->CanCustomize()) FBarManager->SetCustomizing(true);
      return;
    case WM_RBUTTONDOWN:
      if (FBarManager && !FBarManager->IsCustomizing()) {
        POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        TdxBarToolbarsPopup::ShowAt(FBarManager, ClientToScreen(p));
        return;
      }
      break;
    case WM_SIZE: {
      TCustomControl::Dispatch(Message);
      if (!FLayingOut && !FRows.empty()) LayoutRows();
      return;
    }
  }
  TCustomControl::Dispatch(Message);
}
