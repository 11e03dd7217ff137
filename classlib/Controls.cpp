// TControl: bounds, state, mouse input and the component messages every control shares; the window
// procedure of all control windows; utility windows.
#include "Controls.h"

#include <algorithm>

#include "ControlsInternal.h"
#include "Forms.h"

const TEnumInfo AlignNames{"TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"}};
const TEnumInfo AnchorNames{"TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"}};
const TEnumInfo DragModeNames{"TDragMode", {"dmManual", "dmAutomatic"}};
const TEnumInfo FormBorderStyleNames{
    "TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};

namespace {

struct TCursorIdent {
  TCursor Value;
  const char* Name;
};
const TCursorIdent CursorIdents[] = {
    {crDefault, "crDefault"},   {crNone, "crNone"},         {crArrow, "crArrow"},
    {crCross, "crCross"},       {crIBeam, "crIBeam"},       {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},     {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},   {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},     {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"}, {crNo, "crNo"},
    {crAppStart, "crAppStart"}, {crHelp, "crHelp"},         {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},   {crSizeAll, "crSize"},
};

TControl* CaptureControl = nullptr;

}  // namespace

bool CursorToIdent(int32_t cursor, std::string& ident) {
  for (const auto& c : CursorIdents)
    if (c.Value == cursor) {
      ident = c.Name;
      return true;
    }
  return false;
}

bool IdentToCursor(const std::string& ident, int32_t& cursor) {
  for (const auto& c : CursorIdents)
    if (SameText(ident, c.Name)) {
      cursor = c.Value;
      return true;
    }
  return false;
}

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (KeyData & 0x20000000) s.Include(ssAlt);
  return s;
}

TShiftState GetShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

std::string GetShortHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(0, bar);
}

std::string GetLongHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(bar + 1);
}

void HandleCallbackException(TObject* Sender) {
  if (Application) {
    Application->HandleException(Sender);
    return;
  }
  // Without an application object there is nobody to show it: the message goes to the debugger.
  try {
    throw;
  } catch (const std::exception& e) {
    OutputDebugStringA(e.what());
  } catch (...) {
  }
}

// ---------------------------------------------------------------------------------------------------
// TSizeConstraints

void TSizeConstraints::SetMaxHeight(int Value) {
  if (Value == FMaxHeight) return;
  FMaxHeight = std::max(Value, 0);
  if (FMaxHeight > 0 && FMaxHeight < FMinHeight) FMinHeight = FMaxHeight;
  Change();
}

void TSizeConstraints::SetMaxWidth(int Value) {
  if (Value == FMaxWidth) return;
  FMaxWidth = std::max(Value, 0);
  if (FMaxWidth > 0 && FMaxWidth < FMinWidth) FMinWidth = FMaxWidth;
  Change();
}

void TSizeConstraints::SetMinHeight(int Value) {
  if (Value == FMinHeight) return;
  FMinHeight = std::max(Value, 0);
  if (FMaxHeight > 0 && FMinHeight > FMaxHeight) FMaxHeight = FMinHeight;
  Change();
}

void TSizeConstraints::SetMinWidth(int Value) {
  if (Value == FMinWidth) return;
  FMinWidth = std::max(Value, 0);
  if (FMaxWidth > 0 && FMinWidth > FMaxWidth) FMaxWidth = FMinWidth;
  Change();
}

void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
    FMinHeight = s->FMinHeight;
    FMaxHeight = s->FMaxHeight;
    FMinWidth = s->FMinWidth;
    FMaxWidth = s->FMaxWidth;
    Change();
    return;
  }
  TPersistent::Assign(Source);
}

void TSizeConstraints::Change() {
  if (FControl) FControl->DoConstraintsChange(this);
  OnChange(this);
}

void TSizeConstraints::Publish(TPublisher<TSizeConstraints>& p) {
  p.Int("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
  p.Int("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
  p.Int("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0);
  p.Int("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}

// ---------------------------------------------------------------------------------------------------
// TLiveGuard

TLiveGuard::TLiveGuard(TControl* c) : FControl(c) {
  if (!c) {
    FAlive = false;
    return;
  }
  FNext = c->FGuards;
  c->FGuards = this;
}

TLiveGuard::~TLiveGuard() {
  if (!FAlive || !FControl) return;
  for (TLiveGuard** p = &FControl->FGuards; *p; p = &(*p)->FNext)
    if (*p == this) {
      *p = FNext;
      break;
    }
}

// ---------------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  FFont = new TFont();
  FFont->OnChange = Bind(this, &TControl::FontChanged);
  FConstraints = new TSizeConstraints(this);
}

TControl::~TControl() {
  for (TLiveGuard* g = FGuards; g; g = g->FNext) g->FAlive = false;
  FGuards = nullptr;
  if (Application) Application->ControlDestroyed(this);
  if (CaptureControl == this) {
    CaptureControl = nullptr;
    // The window keeps the capture only for a control that is gone: give it back.
    ReleaseCapture();
  }
  if (FParent) FParent->RemoveControl(this);
  FFont->OnChange = nullptr;
  delete FFont;
  delete FConstraints;
}

void TControl::BeforeDestruction() {
  TComponent::BeforeDestruction();
  if (FParent) FParent->RemoveControl(this);
}

TComponent* TControl::GetParentComponent() { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TCustomForm* TControl::GetParentForm() const { return ::GetParentForm(const_cast<TControl*>(this)); }

void TControl::SetZOrder(bool TopMost) {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (TopMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  Invalidate();
}

void TControl::ApplyConstraints(int& W, int& H) {
  int minW = FConstraints->MinWidth(), maxW = FConstraints->MaxWidth();
  int minH = FConstraints->MinHeight(), maxH = FConstraints->MaxHeight();
  ConstrainedResize(minW, minH, maxW, maxH);
  if (maxW > 0 && W > maxW) W = maxW;
  if (minW > 0 && W < minW) W = minW;
  if (maxH > 0 && H > maxH) H = maxH;
  if (minH > 0 && H < minH) H = minH;
}

void TControl::ConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight) {
  OnConstrainedResize(this, MinWidth, MinHeight, MaxWidth, MaxHeight);
}

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
  bool ok = true;
  OnCanResize(this, NewWidth, NewHeight, ok);
  return ok;
}

bool TControl::CanAutoSize(int& NewWidth, int& NewHeight) { return true; }

bool TControl::AdjustNewBounds(int ALeft, int ATop, int& AWidth, int& AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (AWidth != FWidth || AHeight != FHeight) {
    if (!FComponentState.Contains(csLoading) && !CanResize(AWidth, AHeight)) {
      AWidth = FWidth;
      AHeight = FHeight;
    }
    ApplyConstraints(AWidth, AHeight);
  }
  return ALeft != FLeft || ATop != FTop || AWidth != FWidth || AHeight != FHeight;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (!AdjustNewBounds(ALeft, ATop, AWidth, AHeight)) return;
  bool sized = AWidth != FWidth || AHeight != FHeight;
  InvalidateControl(FVisible, false);
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  InvalidateControl(FVisible, false);
  RequestAlign();
  if (sized && !FComponentState.Contains(csLoading)) Resize();
}

void TControl::SetClientSize(int W, int H) { SetBounds(FLeft, FTop, W < 0 ? FWidth : W, H < 0 ? FHeight : H); }

RECT TControl::GetClientRect() { return RECT{0, 0, FWidth, FHeight}; }

POINT TControl::ClientOrigin() {
  if (!FParent) return POINT{FLeft, FTop};
  POINT p = FParent->ClientOrigin();
  return POINT{p.x + FLeft, p.y + FTop};
}

POINT TControl::ClientToScreen(POINT p) {
  POINT o = ClientOrigin();
  return POINT{p.x + o.x, p.y + o.y};
}

POINT TControl::ScreenToClient(POINT p) {
  POINT o = ClientOrigin();
  return POINT{p.x - o.x, p.y - o.y};
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  TAlign old = FAlign;
  FAlign = Value;
  if (FParent && !FComponentState.Contains(csLoading)) {
    if (old != alNone || Value != alNone) RequestAlign();
  }
}

void TControl::SetAnchors(TAnchors Value) {
  if (Value == FAnchors) return;
  FAnchors = Value;
}

void TControl::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (Value) RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

void TControl::DoConstraintsChange(TObject* Sender) {
  if (!FComponentState.Contains(csLoading)) SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::Resize() { OnResize(this); }

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  if (!Value) InvalidateControl(true, false);
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  if (Value) InvalidateControl(true, false);
  RequestAlign();
}

bool TControl::IsVisibleOnScreen() const {
  if (!FVisible) return false;
  if (FParent) return FParent->IsVisibleOnScreen();
  if (auto* w = dynamic_cast<const TWinControl*>(this))
    if (w->FParentWindow) return IsWindowVisible(w->FParentWindow) != FALSE;
  return true;
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor) {
    FParentColor = false;
    return;
  }
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  if (Value && FParent) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::FontChanged(TObject* Sender) {
  if (!FApplyingParentFont) FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  if (Value && FParent) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent) return;
  {
    FApplyingParentFont = true;
    TScopeExit applied([this] { FApplyingParentFont = false; });
    FFont->Assign(FParent->Font());
  }
  FParentFont = true;
}

std::string TControl::GetText() { return FText; }

void TControl::SetTextBuf(const std::string& Value) { FText = Value; }

void TControl::SetText(const std::string& Value) {
  if (GetText() == Value) return;
  SetTextBuf(Value);
  Perform(CM_TEXTCHANGED, 0, 0);
}

bool TControl::ShowHint() const {
  if (FParentShowHint && FParent) return FParent->ShowHint();
  return FShowHint;
}

void TControl::SetShowHint(bool Value) {
  if (SetOwnFlag(FShowHint, FParentShowHint, Value)) Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (Value == FParentShowHint) return;
  FParentShowHint = Value;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TComponent* Value) {
  if (Value == FPopupMenu) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::SetName(const std::string& NewName) {
  // A control whose caption still is its name follows a rename (not while a form is read).
  bool follow = FControlStyle.Contains(csSetCaption) && !FComponentState.Contains(csLoading) &&
                !FComponentState.Contains(csReading) && GetText() == Name() &&
                !(Owner() && Owner()->ComponentState().Contains(csLoading));
  TComponent::SetName(NewName);
  if (follow) SetText(NewName);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (FParent) {
    if (FParentColor) Perform(CM_PARENTCOLORCHANGED, 0, 0);
    if (FParentFont) Perform(CM_PARENTFONTCHANGED, 0, 0);
  }
}

bool TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  if (Value)
    SetCaptureControl(this);
  else
    SetCaptureControl(nullptr);
}

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!IsVisible || !FParent || !FParent->HandleAllocated()) return;
  if (dynamic_cast<TWinControl*>(this)) return;  // a window repaints itself
  RECT r = BoundsRect();
  InvalidateRect(FParent->WindowHandle(), &r, IsOpaque ? FALSE : TRUE);
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  if (FControlStyle.Contains(csOpaque)) {
    TWindowDC dc(FParent->WindowHandle());
    FParent->PaintControls(dc.DC, this);
  } else {
    Invalidate();
    Update();
  }
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  m.Result = 0;
  WndProc(m);
  return m.Result;
}

void TControl::Click() { OnClick(this); }

void TControl::DblClick() { OnDblClick(this); }

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
  if (WheelDelta < 0) return DoMouseWheelDown(Shift, MousePos);
  if (WheelDelta > 0) return DoMouseWheelUp(Shift, MousePos);
  return false;
}

bool TControl::DoMouseWheelDown(TShiftState, POINT) { return false; }

bool TControl::DoMouseWheelUp(TShiftState, POINT) { return false; }

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) { OnMouseDown(this, Button, Shift, X, Y); }

void TControl::MouseMove(TShiftState Shift, int X, int Y) { OnMouseMove(this, Shift, X, Y); }

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) { OnMouseUp(this, Button, Shift, X, Y); }

void TControl::DoContextPopup(POINT MousePos, bool& Handled) { OnContextPopup(this, MousePos, Handled); }

void TControl::SendCancelMode(TControl* Sender) {
  TCustomForm* form = GetParentForm();
  if (form && form->ActiveControl() && form->ActiveControl() != this)
    form->ActiveControl()->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
}

void TControl::WndProc(TMessage& Message) {
  UINT msg = Message.Msg;
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    if (msg == WM_LBUTTONDBLCLK && !FControlStyle.Contains(csDoubleClicks)) Message.Msg = msg = WM_LBUTTONDOWN;
    switch (msg) {
      case WM_MOUSEMOVE:
        if (Application) Application->HintMouseMessage(this, Message);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
        if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
        FControlState.Include(csLButtonDown);
        break;
      case WM_LBUTTONUP:
        FControlState.Exclude(csLButtonDown);
        break;
    }
  }
  Dispatch(Message);
}

void TControl::HandleMouse(TMessage& Message) {
  auto& m = MessageAs<TWMMouse>(Message);
  int x = m.XPos(), y = m.YPos();
  TShiftState shift = KeysToShiftState(m.Keys());
  TLiveGuard g(this);
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      SendCancelMode(this);
      if (!g) return;
      DefaultHandler(Message);
      if (!g) return;
      if (!FControlStyle.Contains(csNoStdEvents)) MouseDown(mbLeft, shift, x, y);
      return;
    case WM_LBUTTONDBLCLK:
      SendCancelMode(this);
      if (!g) return;
      DefaultHandler(Message);
      if (!g) return;
      if (FControlStyle.Contains(csClickEvents)) DblClick();
      if (!g) return;
      if (!FControlStyle.Contains(csNoStdEvents)) MouseDown(mbLeft, shift + TShiftState{ssDouble}, x, y);
      return;
    case WM_LBUTTONUP:
      DefaultHandler(Message);
      if (!g) return;
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
      if (FControlState.Contains(csClicked)) {
        FControlState.Exclude(csClicked);
        RECT r = GetClientRect();
        POINT p{x, y};
        if (PtInRect(&r, p)) Click();
        if (!g) return;
      }
      if (!FControlStyle.Contains(csNoStdEvents)) MouseUp(mbLeft, shift, x, y);
      return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
      SendCancelMode(this);
      if (!g) return;
      DefaultHandler(Message);
      if (!g) return;
      TMouseButton b = (Message.Msg == WM_RBUTTONDOWN || Message.Msg == WM_RBUTTONDBLCLK) ? mbRight : mbMiddle;
      if (Message.Msg == WM_RBUTTONDBLCLK || Message.Msg == WM_MBUTTONDBLCLK) shift.Include(ssDouble);
      if (!FControlStyle.Contains(csNoStdEvents)) MouseDown(b, shift, x, y);
      return;
    }
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      DefaultHandler(Message);
      if (!g) return;
      if (!FControlStyle.Contains(csNoStdEvents)) MouseUp(Message.Msg == WM_RBUTTONUP ? mbRight : mbMiddle, shift, x, y);
      return;
    case WM_MOUSEMOVE:
      DefaultHandler(Message);
      if (!g) return;
      if (!FControlStyle.Contains(csNoStdEvents)) MouseMove(shift, x, y);
      return;
  }
  DefaultHandler(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_MBUTTONUP:
    case WM_MOUSEMOVE:           HandleMouse(Message); return;
    case WM_CONTEXTMENU:         WMContextMenu(MessageAs<TWMContextMenu>(Message)); return;
    case CM_VISIBLECHANGED: case CM_ENABLEDCHANGED: case CM_TEXTCHANGED:
    case CM_COLORCHANGED: case CM_FONTCHANGED:
                                 Invalidate(); return;
    case CM_PARENTCOLORCHANGED:  CMParentColorChanged(Message); return;
    case CM_PARENTFONTCHANGED:   ParentFontChanged(); return;
    case CM_HITTEST:             Message.Result = HTCLIENT; return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:          CMMouseEnterLeave(Message); return;
    case CM_SHOWHINTCHANGED: case CM_CURSORCHANGED: case CM_DESIGNHITTEST: case CM_HINTSHOW:
    case CM_CANCELMODE: case CM_WANTSPECIALKEY: case CM_ENTER: case CM_EXIT: case CM_DIALOGKEY:
    case CM_DIALOGCHAR: case CM_FOCUSCHANGED: case CM_SYSCOLORCHANGE: case CM_CTL3DCHANGED:
    case CM_SHOWINGCHANGED: case CM_CONTROLCHANGE: case CM_CONTROLLISTCHANGE:
                                 return;  // answered 0 unless a class handles them
  }
  // The class library's own messages never reach a window procedure behind the control.
  if ((Message.Msg >= CM_BASE && Message.Msg < CM_BASE + 0x100) || (Message.Msg >= CN_BASE && Message.Msg < 0xC000))
    return;
  DefaultHandler(Message);
}

void TControl::WMContextMenu(TWMContextMenu& Message) {
  if (Message.Result != 0) return;
  POINT screen{Message.XPos(), Message.YPos()};
  bool keyboard = screen.x == -1 && screen.y == -1;
  POINT local = keyboard ? POINT{-1, -1} : ScreenToClient(screen);
  bool handled = false;
  TLiveGuard g(this);
  DoContextPopup(local, handled);
  if (!g) return;
  if (handled) {
    Message.Result = 1;
    return;
  }
  if (auto* pm = dynamic_cast<IControlPopupMenu*>(FPopupMenu)) {
    if (pm->PopupAutoPopup()) {
      if (keyboard) screen = ClientToScreen(KeyboardPopupPoint());
      pm->PopupForControl(this, screen.x, screen.y);
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

POINT TControl::KeyboardPopupPoint() { return POINT{0, 0}; }

void TControl::CMParentColorChanged(TMessage& Message) {
  if (FParentColor && FParent) {
    SetColor(FParent->Color());
    FParentColor = true;
  }
}

// The containers hear of it too (LParam: the control the mouse reached or left).
void TControl::CMMouseEnterLeave(TMessage& Message) {
  if (FParent) FParent->Perform(Message.Msg, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::DefaultHandler(TMessage& Message) {
  // A windowless control has no window procedure behind it; the text messages act on the caption.
  switch (Message.Msg) {
    case WM_GETTEXT: {
      std::string t = GetText();
      size_t n = Message.WParam ? std::min<size_t>(t.size(), Message.WParam - 1) : 0;
      if (Message.WParam) {
        std::memcpy(reinterpret_cast<char*>(Message.LParam), t.data(), n);
        reinterpret_cast<char*>(Message.LParam)[n] = 0;
      }
      Message.Result = LRESULT(n);
      return;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = LRESULT(GetText().size());
      return;
    case WM_SETTEXT:
      SetTextBuf(Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "");
      Message.Result = 1;
      return;
  }
}

void TControl::Publish(TPublisher<TControl>& p) {
  p.Int("Left", &TControl::Left, &TControl::SetLeft);
  p.Int("Top", &TControl::Top, &TControl::SetTop);
  p.Int("Width", &TControl::Width, &TControl::SetWidth);
  p.Int("Height", &TControl::Height, &TControl::SetHeight);
  p.Int("ClientWidth", [](TControl& c) { return c.ClientWidth(); }, [](TControl& c, int v) { c.SetClientWidth(v); })
      .Stored(false);
  p.Int("ClientHeight", [](TControl& c) { return c.ClientHeight(); }, [](TControl& c, int v) { c.SetClientHeight(v); })
      .Stored(false);
  p.Enum("Align", AlignNames, &TControl::Align, &TControl::SetAlign).Default(alNone);
  p.Set("Anchors", AnchorNames, &TControl::Anchors, &TControl::SetAnchors);
  p.Object("Constraints", &TControl::Constraints);
  p.Bool("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(0);
  p.Bool("Visible", &TControl::Visible, &TControl::SetVisible).Default(1);
  p.Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(1);
  p.Int("Color", &TControl::Color, &TControl::SetColor).Idents(ColorIdentMap());
  p.Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
  p.Object("Font", &TControl::Font);
  p.Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(1);
  p.Str("Caption", [](TControl& c) { return c.GetText(); }, [](TControl& c, const std::string& v) { c.SetText(v); });
  p.Str("Text", [](TControl& c) { return c.GetText(); }, [](TControl& c, const std::string& v) { c.SetText(v); })
      .Stored(false);
  p.Str("Hint", &TControl::Hint, &TControl::SetHint);
  p.Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
  p.Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(1);
  static const TIdentMap cursorIdents = [] {
    TIdentMap m;
    for (const auto& c : CursorIdents) m.emplace_back(c.Name, c.Value);
    return m;
  }();
  p.Int("Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault).Idents(cursorIdents);
  p.Int("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Default(0);
  p.Enum("DragMode", DragModeNames, &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
  p.Ref("PopupMenu", &TControl::PopupMenuComponent, &TControl::SetPopupMenu);
  p.Event("OnClick", &TControl::OnClick);
  p.Event("OnDblClick", &TControl::OnDblClick);
  p.Event("OnMouseDown", &TControl::OnMouseDown);
  p.Event("OnMouseUp", &TControl::OnMouseUp);
  p.Event("OnMouseMove", &TControl::OnMouseMove);
  p.Event("OnResize", &TControl::OnResize);
  p.Event("OnCanResize", &TControl::OnCanResize);
  p.Event("OnConstrainedResize", &TControl::OnConstrainedResize);
  p.Event("OnContextPopup", &TControl::OnContextPopup);
}

// ---------------------------------------------------------------------------------------------------
// Capture and look-ups

TControl* GetCaptureControl() {
  HWND cap = GetCapture();
  if (!CaptureControl) return cap ? FindControl(cap) : nullptr;
  HWND expected = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(CaptureControl))
    expected = w->WindowHandle();
  else if (CaptureControl->Parent())
    expected = CaptureControl->Parent()->WindowHandle();
  if (!cap || cap != expected) CaptureControl = nullptr;
  return CaptureControl ? CaptureControl : (cap ? FindControl(cap) : nullptr);
}

void SetCaptureControl(TControl* Control) {
  ReleaseCapture();
  CaptureControl = nullptr;
  if (!Control) return;
  if (auto* w = dynamic_cast<TWinControl*>(Control)) {
    if (!w->HandleAllocated()) return;
    SetCapture(w->WindowHandle());
  } else {
    if (!Control->Parent() || !Control->Parent()->HandleAllocated()) return;
    SetCapture(Control->Parent()->WindowHandle());
  }
  CaptureControl = Control;
}

void ControlsCaptureLost(HWND Wnd) {
  if (!CaptureControl) return;
  HWND holder = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(CaptureControl))
    holder = w->WindowHandle();
  else if (CaptureControl->Parent())
    holder = CaptureControl->Parent()->WindowHandle();
  if (holder == Wnd) CaptureControl = nullptr;
}

TControl* FindDragTarget(POINT Pos, bool AllowDisabled) {
  TWinControl* w = FindVCLWindow(Pos);
  if (!w) return nullptr;
  POINT p = w->ScreenToClient(Pos);
  TControl* c = w->ControlAtPos(p, AllowDisabled);
  return c ? c : w;
}

TWinControl* FindVCLWindow(POINT Pos) {
  HWND wnd = WindowFromPoint(Pos);
  while (wnd) {
    if (TWinControl* c = FindControl(wnd)) return c;
    wnd = GetParent(wnd);
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Utility windows

namespace {

const char UtilWindowClass[] = "yOZUtilWindow";

LRESULT CALLBACK UtilWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (!method) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  // The handler may deallocate this window (a timer freed in its own event): call a copy.
  TWndMethod call = *method;
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  try {
    call(m);
  } catch (...) {
    HandleCallbackException(nullptr);
  }
  return m.Result;
}

}  // namespace

HWND AllocateHWnd(TWndMethod Method) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (!GetClassInfoA(inst, UtilWindowClass, &wc)) {
    wc = WNDCLASSA{};
    wc.lpfnWndProc = UtilWndProc;
    wc.hInstance = inst;
    wc.lpszClassName = UtilWindowClass;
    if (!RegisterClassA(&wc)) RaiseLastOSError();
  }
  HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, UtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst,
                             nullptr);
  if (!wnd) RaiseLastOSError();
  if (Method) SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(Method)));
  return wnd;
}

void DeallocateHWnd(HWND Wnd) {
  if (!Wnd) return;
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  SetWindowLongPtrA(Wnd, GWLP_USERDATA, 0);
  DestroyWindow(Wnd);
  delete method;
}
