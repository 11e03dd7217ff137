#include "UPTSplitter.h"

#include <algorithm>
#include <cmath>

#include "Forms.h"

const TEnumInfo PTSplitterStyleNames{"TPTSplitterStyle", {"ptstVertical", "ptstHorizontal"}};
const TEnumInfo PTFullDragModeNames{"TPTFullDragMode", {"ptfdOff", "ptfdOn", "ptfdUser"}};

namespace {

// The 8 x 8 checkerboard the drag bar is inverted with, made on first use.
HBITMAP DragPattern = nullptr;
bool PaneClassRegistered = false;

HBITMAP Checkerboard() {
  if (!DragPattern) {
    // One bit per pixel, rows padded to 16 bits; a set bit is white.
    WORD rows[8];
    for (int y = 0; y < 8; ++y) rows[y] = (y % 2 == 0) ? 0x55 : 0xAA;
    DragPattern = CreateBitmap(8, 8, 1, 1, rows);
  }
  return DragPattern;
}

int ClampToInt(int64_t v) {
  return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TPTPane

TPTPane::TPTPane(TComponent* AOwner) : TPTGroup(AOwner) {
  FFrameStyle = ptfsLowered;
  FMinSize = 20;
}

void TPTPane::Paint() {
  TPTGroup::Paint();
  if (!FComponentState.Contains(csDesigning) || !FSelected) return;
  TCanvas* C = Canvas();
  TPen saved;
  saved.Assign(C->Pen());
  TBrush savedBrush;
  savedBrush.Assign(C->Brush());
  C->Pen()->SetStyle(psDot);
  C->Pen()->SetColor(clBlack);
  C->Pen()->SetMode(pmNot);
  C->Brush()->SetStyle(bsClear);
  C->Rectangle(ClientRect());
  C->SetPen(&saved);
  C->SetBrush(&savedBrush);
}

void TPTPane::Dispatch(TMessage& Message) {
  // Clicks on a pane at design time belong to the designer.
  if (Message.Msg == CM_DESIGNHITTEST) {
    Message.Result = 0;
    return;
  }
  TPTGroup::Dispatch(Message);
}

void TPTPane::Publish(TPublisher<TPTPane>& p) {
  p.Enum("FrameStyle", PTFrameStyleNames, &TPTPane::FrameStyle, &TPTPane::SetFrameStyle).Default(ptfsLowered);
  p.Int("MinSize", &TPTPane::MinSize, &TPTPane::SetMinSize).Default(20);
  p.Int("Index", &TPTPane::Index, &TPTPane::SetIndex);
}

// ---------------------------------------------------------------------------------------------------
// TPTSplitter

TPTSplitter::TPTSplitter(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 200;
  FHeight = 140;
  FControlStyle = TControlStyle{csCaptureMouse, csDesignInteractive, csClickEvents, csDoubleClicks};
  FTabStop = false;
  FPosition = 65;
  FSplitterWidth = 3;
  FFullDragMode = ptfdUser;
  FProportional = true;
  FProportion = float(65) / float(FWidth);
}

void TPTSplitter::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TPTSplitter::CreateWnd() {
  TCustomControl::CreateWnd();
  if (FComponentState.Contains(csDesigning) && ControlCount() == 0) {
    CreatePanes();
    LayoutPanes();
  }
}

void TPTSplitter::CreatePanes() {
  for (int i = 0; i < 2; ++i) {
    auto* pane = new TPTPane(this);
    pane->SetIndex(i);
    pane->SetName(Name() + "_pane" + std::to_string(i + 1));
    pane->SetCaption("");
    pane->SetParent(this);
    FPanes[i] = pane;
  }
  SelectPane(FPanes[0]);
}

void TPTSplitter::Loaded() {
  TCustomControl::Loaded();
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* pane = dynamic_cast<TPTPane*>(Controls(i)))
      if (pane->Index() == 0 || pane->Index() == 1) FPanes[pane->Index()] = pane;
  if (FComponentState.Contains(csDesigning) && FPanes[0]) SelectPane(FPanes[0]);
  LayoutPanes();
  UpdateProportion();
}

void TPTSplitter::SetName(const std::string& NewName) {
  TCustomControl::SetName(NewName);
  if (FComponentState.Contains(csLoading) || FComponentState.Contains(csReading)) return;
  for (int i = 0; i < 2; ++i) {
    if (!FPanes[i]) continue;
    std::string name = NewName + "_pane" + std::to_string(i + 1);
    if (FPanes[i]->Name() != name) FPanes[i]->SetName(name);
  }
}

void TPTSplitter::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TPTPane* pane : FPanes)
    if (pane) Proc(pane);
}

void TPTSplitter::RemoveControl(TControl* AControl) {
  // A pane that leaves (or is freed) empties its slot.
  for (TPTPane*& pane : FPanes)
    if (pane == AControl) pane = nullptr;
  TCustomControl::RemoveControl(AControl);
}

TComponent* TPTSplitter::GetChildOwner() {
  return FComponentState.Contains(csLoading) ? Owner() : this;
}

void TPTSplitter::SetStyle(TPTSplitterStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  LayoutPanes();
}

void TPTSplitter::SetSplitterWidth(int Value) {
  if (Value == FSplitterWidth) return;
  FSplitterWidth = Value;
  LayoutPanes();
}

int TPTSplitter::SplitSize() const { return FStyle == ptstVertical ? FWidth : FHeight; }

void TPTSplitter::LayoutPanes() {
  if (!FPanes[0] || !FHandle || FComponentState.Contains(csLoading)) return;
  RECT c;
  ::GetClientRect(FHandle, &c);
  const int W = c.right, H = c.bottom;
  const int extent = FStyle == ptstVertical ? W : H;
  // Whatever was stored (a position from the registry, a negative bar width), the panes stay inside
  // the client area.
  const int p1 = std::clamp(FPosition, 0, extent);
  const int p2 = int(std::clamp<int64_t>(int64_t(p1) + std::max(FSplitterWidth, 0), 0, extent));
  if (FStyle == ptstVertical) {
    FPanes[0]->SetBounds(0, 0, p1, H);
    if (FPanes[1]) FPanes[1]->SetBounds(p2, 0, W - p2, H);
  } else {
    FPanes[0]->SetBounds(0, 0, W, p1);
    if (FPanes[1]) FPanes[1]->SetBounds(0, p2, W, H - p2);
  }
}

void TPTSplitter::UpdateProportion() {
  int s = SplitSize();
  FProportion = s != 0 ? float(double(FPosition) / double(s)) : 0.5f;
}

void TPTSplitter::UpdatePosition(int Value, bool UpdateProp) {
  if (FPanes[0]) {
    const int64_t lo = MinOf(0), hi = int64_t(SplitSize()) - MinOf(1);
    if (Value < lo)
      Value = ClampToInt(lo);
    else if (Value > hi)
      Value = ClampToInt(hi);
  }
  if (Value == FPosition) return;
  FPosition = Value;
  LayoutPanes();
  if (UpdateProp) UpdateProportion();
  DoChange();
}

void TPTSplitter::DoChange() { OnChange(this); }

void TPTSplitter::DoResize(bool Force) {
  if (Force || FProportional) {
    // Halves round to the even neighbour; a wild proportion cannot overflow the position.
    double v = std::nearbyint(double(SplitSize()) * double(FProportion));
    if (!std::isfinite(v)) v = 0;
    TLiveGuard g(this);
    UpdatePosition(int(std::clamp(v, double(INT32_MIN), double(INT32_MAX))), false);
    if (!g) return;
  }
  OnResize(this);
}

void TPTSplitter::DoSplitterDrag(int Pos) { OnSplitterDrag(this, Pos); }

void TPTSplitter::DoSplitterDrop(int Pos) {
  UpdateProportion();
  OnSplitterDrop(this, Pos);
}

bool TPTSplitter::FullDrag() const {
  switch (FFullDragMode) {
    case ptfdOff: return false;
    case ptfdOn: return true;
    default: {
      BOOL full = FALSE;
      return SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0) && full > 0;
    }
  }
}

// The bar coordinate moved so that the first pane's size (P - grab offset) respects both minimums.
int TPTSplitter::ClampBar(int P) const {
  const int64_t lo = int64_t(MinOf(0)) + FGrabOffset;
  const int64_t hi = int64_t(SplitSize()) - MinOf(1) + FGrabOffset;
  if (P < lo) return ClampToInt(lo);
  if (P > hi) return ClampToInt(hi);
  return P;
}

void TPTSplitter::MoveBar(int Z) {
  TLiveGuard g(this);
  if (!FullDrag()) {
    if (FBarPos >= 0) DrawDragBar();
    FBarPos = Z;
    if (Z >= 0) DrawDragBar();
  } else if (Z >= 0) {
    FBarPos = Z;
    SetPosition(Z - FGrabOffset);
    if (!g) return;
  }
  DoSplitterDrag(FBarPos);
}

void TPTSplitter::EndDrag() {
  if (!FDragging) return;
  TLiveGuard g(this);
  MoveBar(-1);
  if (!g) return;
  FDragging = false;
  if (MouseCapture()) SetMouseCapture(false);
}

void TPTSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FDragging) {
    EndDrag();
    return;
  }
  bool designing = FComponentState.Contains(csDesigning);
  if (!(Button == mbLeft || (designing && Button == mbRight && !Shift.Contains(ssShift)))) return;
  if (!MouseCapture()) SetMouseCapture(true);
  FDragButton = Button;
  const bool vertical = FStyle == ptstVertical;
  int P = vertical ? X : Y;
  // Without a first pane its edge is where the layout would have put it.
  int edge = FPosition;
  if (FPanes[0]) edge = vertical ? FPanes[0]->Left() + FPanes[0]->Width() : FPanes[0]->Top() + FPanes[0]->Height();
  FGrabOffset = P - edge;
  P = ClampBar(P);
  FDragging = true;
  FBarPos = -1;
  MoveBar(P);
}

void TPTSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  if (!FDragging) return;
  int P = ClampBar(FStyle == ptstVertical ? X : Y);
  if (P != FBarPos) MoveBar(P);
}

void TPTSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!FDragging || Button != FDragButton) return;
  TLiveGuard g(this);
  int P = ClampBar(FStyle == ptstVertical ? X : Y);
  if (P != FBarPos) MoveBar(P);
  if (!g) return;
  int old = FPosition;
  FPosition = FBarPos - FGrabOffset;
  EndDrag();
  if (!g) return;
  LayoutPanes();
  DoSplitterDrop(FPosition);
  if (!g) return;
  if (FPosition != old) DoChange();
}

void TPTSplitter::DrawDragBar() {
  if (!FHandle) return;
  HDC dc = GetDCEx(FHandle, nullptr, DCX_PARENTCLIP | DCX_LOCKWINDOWUPDATE);
  if (!dc) return;
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  SetROP2(dc, R2_COPYPEN);
  {
    TGdiObject<HBRUSH> brush(CreatePatternBrush(Checkerboard()));
    UnrealizeObject(brush.Handle);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    TSelectObject selected(dc, brush.Handle);
    RECT c;
    ::GetClientRect(FHandle, &c);
    const int at = FBarPos - FGrabOffset;
    if (FStyle == ptstVertical)
      PatBlt(dc, at, 0, FSplitterWidth, c.bottom, PATINVERT);
    else
      PatBlt(dc, 0, at, c.right, FSplitterWidth, PATINVERT);
  }
  ReleaseDC(FHandle, dc);
}

void TPTSplitter::SelectPane(TPTPane* Pane) {
  if (!Pane || Pane->FSelected) return;
  Pane->FSelected = true;
  Pane->Invalidate();
  Pane->SetZOrder(false);
  TPTPane* other = Pane == FPanes[0] ? FPanes[1] : FPanes[0];
  if (other) {
    other->FSelected = false;
    other->Invalidate();
  }
}

void TPTSplitter::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: {
      TLiveGuard g(this);
      TCustomControl::Dispatch(Message);
      if (!g || FComponentState.Contains(csLoading)) return;
      DoResize(false);
      if (!g) return;
      LayoutPanes();
      return;
    }
    case WM_CANCELMODE:
      EndDrag();
      break;
    case WM_CAPTURECHANGED: {
      HWND taker = reinterpret_cast<HWND>(Message.LParam);
      if (taker && taker != FHandle) EndDrag();
      break;
    }
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ::ScreenToClient(FHandle, &p);
      bool inPane = false;
      for (TPTPane* pane : FPanes) {
        if (!pane) continue;
        RECT r = pane->BoundsRect();
        if (PtInRect(&r, p)) inPane = true;
      }
      if (!inPane && Screen) {
        ::SetCursor(Screen->Cursors(FStyle == ptstVertical ? crHSplit : crVSplit));
        Message.Result = 1;
        return;
      }
      break;
    }
    case WM_PARENTNOTIFY:
      if (LOWORD(Message.WParam) == WM_LBUTTONDOWN && FComponentState.Contains(csDesigning)) {
        POINT p{int16_t(LOWORD(Message.LParam)), int16_t(HIWORD(Message.LParam))};
        for (TPTPane* pane : FPanes) {
          if (!pane) continue;
          RECT r = pane->BoundsRect();
          if (PtInRect(&r, p)) {
            SelectPane(pane);
            break;
          }
        }
      }
      break;
    case CM_COLORCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
  }
  TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------
// Pane properties seen from the splitter. A missing pane reads as a new pane would: the splitter's
// colour (panes take their parent's), the lowered frame and a minimum of 20.

TColor TPTSplitter::PaneColor(int Slot) const {
  TPTPane* p = Panes(Slot);
  return p ? p->Color() : Color();
}

void TPTSplitter::SetPaneColor(int Slot, TColor Value) {
  if (TPTPane* p = Panes(Slot)) p->SetColor(Value);
}

TPTFrameStyle TPTSplitter::PaneFrameStyle(int Slot) const {
  TPTPane* p = Panes(Slot);
  return p ? p->FrameStyle() : ptfsLowered;
}

void TPTSplitter::SetPaneFrameStyle(int Slot, TPTFrameStyle Value) {
  if (TPTPane* p = Panes(Slot)) p->SetFrameStyle(Value);
}

int TPTSplitter::PaneMinSize(int Slot) const {
  TPTPane* p = Panes(Slot);
  return p ? p->MinSize() : 20;
}

void TPTSplitter::SetPaneMinSize(int Slot, int Value) {
  if (TPTPane* p = Panes(Slot)) p->SetMinSize(Value);
}

void TPTSplitter::Publish(TPublisher<TPTSplitter>& p) {
  p.Int("Width", &TPTSplitter::Width, &TPTSplitter::SetWidth).Default(200);
  p.Int("Height", &TPTSplitter::Height, &TPTSplitter::SetHeight).Default(140);
  p.Bool("TabStop", &TPTSplitter::TabStop, &TPTSplitter::SetTabStop).Default(0);
  p.Enum("FullDragMode", PTFullDragModeNames, &TPTSplitter::FullDragMode, &TPTSplitter::SetFullDragMode)
      .Default(ptfdUser);
  p.Bool("Proportional", &TPTSplitter::Proportional, &TPTSplitter::SetProportional).Default(1);
  p.Int("Position", &TPTSplitter::Position, &TPTSplitter::SetPosition).Default(65);
  p.Enum("Style", PTSplitterStyleNames, &TPTSplitter::Style, &TPTSplitter::SetStyle).Default(ptstVertical);
  p.Int("SplitterWidth", &TPTSplitter::SplitterWidth, &TPTSplitter::SetSplitterWidth).Default(3);
  for (int slot = 0; slot < 2; ++slot) {
    std::string n = "Pane" + std::to_string(slot + 1);
    p.Int((n + "Color").c_str(), [slot](TPTSplitter& s) { return s.PaneColor(slot); },
          [slot](TPTSplitter& s, TColor v) { s.SetPaneColor(slot, v); })
        .Idents(ColorIdentMap())
        .Stored(false);
    p.Enum((n + "FrameStyle").c_str(), PTFrameStyleNames, [slot](TPTSplitter& s) { return s.PaneFrameStyle(slot); },
           [slot](TPTSplitter& s, TPTFrameStyle v) { s.SetPaneFrameStyle(slot, v); })
        .Stored(false);
    p.Int((n + "MinSize").c_str(), [slot](TPTSplitter& s) { return s.PaneMinSize(slot); },
          [slot](TPTSplitter& s, int v) { s.SetPaneMinSize(slot, v); })
        .Stored(false);
  }
  p.Event("OnSplitterDrag", &TPTSplitter::OnSplitterDrag);
  p.Event("OnSplitterDrop", &TPTSplitter::OnSplitterDrop);
  p.Event("OnChange", &TPTSplitter::OnChange);
}

void UPTSplitterInitialize() {
  UPTFrameInitialize();
  RegisterClass(TPTSplitter::StaticClass());
  if (!GetClass("TPTPane")) {
    RegisterClass(TPTPane::StaticClass());
    PaneClassRegistered = true;
  }
}

void UPTSplitterFinalize() {
  if (DragPattern) {
    DeleteObject(DragPattern);
    DragPattern = nullptr;
  }
  if (PaneClassRegistered) {
    UnRegisterClass(TPTPane::StaticClass());
    PaneClassRegistered = false;
  }
}
