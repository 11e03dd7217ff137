// TWinControl: the window creation chain, the one window procedure of all control windows, message
// reflection, children, alignment, focus and keyboard.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "Controls.h"
#include "ControlsInternal.h"
#include "Forms.h"

namespace {

// The object whose window CreateWindowEx is making: the first message of the new window binds to it.
thread_local TWinControl* CreationControl = nullptr;
// Counts the WM_CONTEXTMENU messages seen, to tell whether a key already made one.
thread_local unsigned ContextMenuCount = 0;
constexpr UINT CM_CONTEXTMENUKEY = CM_BASE + 0xF0;
UINT NextControlID = 100;

ATOM ControlAtom() {
  static ATOM atom = GlobalAddAtomA("yOZ.ControlObject");
  return atom;
}

// Whether the message is one a parent reflects back to the child that sent it as CN_*, and that child:
// its window in *From, or the control itself in *ById when only its id is known. Every reflected
// message is listed here, and only here.
bool ReflectedSender(TWinControl* Parent, const TMessage& m, HWND* From, TWinControl** ById) {
  *From = nullptr;
  *ById = nullptr;
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
      *From = reinterpret_cast<HWND>(m.LParam);
      return true;
    case WM_NOTIFY:
      *From = m.LParam ? reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom : nullptr;
      return true;
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      *From = d && d->CtlType != ODT_MENU ? d->hwndItem : nullptr;
      return true;
    }
    case WM_DELETEITEM: {
      auto* d = reinterpret_cast<DELETEITEMSTRUCT*>(m.LParam);
      *From = d ? d->hwndItem : nullptr;
      return true;
    }
    case WM_COMPAREITEM: {
      auto* d = reinterpret_cast<COMPAREITEMSTRUCT*>(m.LParam);
      *From = d ? d->hwndItem : nullptr;
      return true;
    }
    case WM_MEASUREITEM: {
      // No window in the record (it may come before CreateWindowEx returns): find the child by its id.
      auto* d = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
      if (!d || d->CtlType == ODT_MENU) return true;
      for (int i = 0; i < Parent->ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(Parent->Controls(i)))
          if (w->ControlID() == d->CtlID) {
            *ById = w;
            return true;
          }
      return true;
    }
  }
  return false;
}

}  // namespace

// The objects of the bound windows. Under Wine a window property costs a server round trip (some
// 27 us), too slow for a lookup on every message; this map answers in-process.
static std::unordered_map<HWND, TWinControl*>& BoundWindows() {
  static std::unordered_map<HWND, TWinControl*> map;
  return map;
}

LRESULT CALLBACK ControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto& bound = BoundWindows();
  auto found = bound.find(Wnd);
  auto* c = found == bound.end() ? nullptr : found->second;
  if (!c) {
    c = CreationControl;
    if (!c) return DefWindowProcA(Wnd, Msg, WParam, LParam);
    CreationControl = nullptr;
    c->BindWindow(Wnd);
  }
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  m.Result = 0;
  try {
    c->WndProc(m);
  } catch (...) {
    HandleCallbackException(c);
  }
  return m.Result;
}

TWinControl* FindControl(HWND Wnd) {
  if (!Wnd) return nullptr;
  auto& bound = BoundWindows();
  auto found = bound.find(Wnd);
  return found == bound.end() ? nullptr : found->second;
}

// ---------------------------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  FBrush = new TBrush();
  FBrush->SetColor(FColor);
  FControlID = NextControlID++;
  if (NextControlID >= 0xFFF0) NextControlID = 100;
}

TWinControl::~TWinControl() {
  // Normally done in BeforeDestruction; here only for an object deleted without Free.
  FreeChildren();
  if (FHandle) {
    // The window leaves with the procedure of its class: the object is nearly gone.
    HWND h = FHandle;
    UnbindWindow();
    if (FDefWndProc) SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefWndProc));
    DestroyWindow(h);
  }
  delete FBrush;
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  if (TCustomForm* f = ::GetParentForm(this); f && f != this) f->DefocusControl(this, true);
  FreeChildren();
  if (FHandle) DestroyHandle();
}

void TWinControl::FreeChildren() {
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    TObject::Free(c);
  }
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  CreateHandle();
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParent || Value == FParentWindow) return;
  FParentWindow = Value;
  if (FHandle) {
    if (Value)
      ::SetParent(FHandle, Value);
    else
      DestroyHandle();
  }
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams{};
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) {
    Params.Style |= WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (FVisible && (FParent || FParentWindow)) Params.Style |= WS_VISIBLE;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent ? FParent->FHandle : FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
  if (FControlStyle.Contains(csDoubleClicks)) Params.WindowClass.style |= CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcA;
  Params.WindowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  std::string name = ClassName();
  std::strncpy(Params.WinClassName, name.c_str(), sizeof Params.WinClassName - 1);
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ControlClassName) {
  WNDCLASSA wc{};
  if (!GetClassInfoA(nullptr, ControlClassName, &wc) &&
      !GetClassInfoA(GetModuleHandleA(nullptr), ControlClassName, &wc))
    throw EOutOfResources(std::string("Window class \"") + ControlClassName + "\" not found");
  Params.WindowClass = wc;
  Params.WindowClass.style &= ~UINT(CS_GLOBALCLASS);
  Params.WindowClass.lpszClassName = nullptr;
  Params.WindowClass.lpszMenuName = nullptr;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  FDefWndProc = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : DefWindowProcA;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA existing{};
  bool registered = GetClassInfoA(inst, params.WinClassName, &existing) != FALSE;
  if (!registered || existing.lpfnWndProc != ControlWndProc) {
    if (registered) UnregisterClassA(params.WinClassName, inst);
    WNDCLASSA wc = params.WindowClass;
    wc.lpfnWndProc = ControlWndProc;
    wc.hInstance = inst;
    wc.lpszClassName = params.WinClassName;
    if (!RegisterClassA(&wc)) RaiseLastOSError();
  }
  {
    CreationControl = this;
    TScopeExit created([] { CreationControl = nullptr; });
    CreateWindowHandle(params);
  }
  if (!FHandle) RaiseLastOSError();
  // A system control shows the control's font.
  if (FDefWndProc != DefWindowProcA) ::SendMessageA(FHandle, WM_SETFONT, WPARAM(FFont->Handle()), 0);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  HMENU id = (Params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(UINT_PTR(FControlID)) : nullptr;
  HWND h = CreateWindowExA(Params.ExStyle, Params.WinClassName, Params.Caption.c_str(), Params.Style, Params.X,
                           Params.Y, Params.Width, Params.Height, Params.WndParent, id,
                           GetModuleHandleA(nullptr), Params.Param);
  if (h && !FHandle) BindWindow(h);
}

void TWinControl::BindWindow(HWND Wnd) {
  FHandle = Wnd;
  SetPropA(Wnd, MAKEINTATOM(ControlAtom()), this);
  BoundWindows()[Wnd] = this;
}

void TWinControl::UnbindWindow() {
  if (!FHandle) return;
  RemovePropA(FHandle, MAKEINTATOM(ControlAtom()));
  auto& bound = BoundWindows();
  auto found = bound.find(FHandle);
  if (found != bound.end() && found->second == this) bound.erase(found);
  FHandle = nullptr;
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  {
    FControlState.Include(csCreating);
    TScopeExit created([this] { FControlState.Exclude(csCreating); });
    CreateWnd();
  }
  // Z-order: the list's last child is on top; make the windowed children in list order.
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c))
      if (!w->FHandle) w->CreateHandle();
  UpdateBounds();
  FAnchorClientW = -1;
  RecordAnchorBase();
  if (!FComponentState.Contains(csLoading)) Realign();
}

void TWinControl::DestroyWnd() {
  if (!FHandle) return;
  // Keep what lives in the window.
  int n = GetWindowTextLengthA(FHandle);
  std::string t(size_t(n) + 1, '\0');
  n = GetWindowTextA(FHandle, t.data(), n + 1);
  t.resize(size_t(std::max(n, 0)));
  FText = t;
  FreeControlCanvasDCs();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  FControlState.Include(csDestroyingHandle);
  HWND h = FHandle;
  if (h && !DestroyWindow(h)) {
    FControlState.Exclude(csDestroyingHandle);
    RaiseLastOSError();
  }
  UnbindWindow();
  FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  bool focused = Focused();
  // A top-level window gets no WS_VISIBLE from its flag: one shown before is shown again, as it was.
  bool topLevel = !FParent && !FParentWindow;
  bool shown = topLevel && FVisible && IsWindowVisible(FHandle);
  bool active = shown && GetActiveWindow() == FHandle;
  bool zoomed = shown && IsZoomed(FHandle), iconic = shown && IsIconic(FHandle);
  DestroyHandle();
  if (FParent && !FParent->FHandle) return;
  CreateHandle();
  if (shown && FHandle && !IsWindowVisible(FHandle)) {
    int cmd = iconic ? SW_SHOWMINNOACTIVE : zoomed ? SW_SHOWMAXIMIZED : active ? SW_SHOW : SW_SHOWNA;
    ShowWindow(FHandle, cmd);
    if (active && !iconic) SetForegroundWindow(FHandle);
  }
  if (focused && FHandle) ::SetFocus(FHandle);
}

// ---------------------------------------------------------------------------------------------------
// Children

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->FParent == this) return;
  FControls.push_back(AControl);
  AControl->FParent = this;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    FTabList.push_back(w);
    if (w->FTabOrderPending >= 0 && !FComponentState.Contains(csLoading) &&
        !w->FComponentState.Contains(csLoading)) {
      int t = w->FTabOrderPending;
      w->FTabOrderPending = -1;
      w->SetTabOrder(t);
    }
  }
  if (FAnchorClientW < 0 && !FComponentState.Contains(csLoading)) RecordAnchorBase();
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  if (AControl->FParentColor) AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  if (AControl->FParentFont) AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (w->FParentCtl3D) w->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    if (FHandle) {
      if (w->FHandle)
        ::SetParent(w->FHandle, FHandle);
      else
        w->CreateHandle();
    }
  } else {
    AControl->Invalidate();
  }
  if (AControl->FAlign != alNone) AControl->RequestAlign();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (TCustomForm* f = ::GetParentForm(this)) f->DefocusControl(w, true);
    if (w->FHandle && !w->FComponentState.Contains(csDestroying)) w->DestroyHandle();
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
  } else {
    AControl->Invalidate();
  }
  if (GetCaptureControl() == AControl) SetCaptureControl(nullptr);
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it != FControls.end()) FControls.erase(it);
  AControl->FParent = nullptr;
  if (AControl->FAlign != alNone && !FComponentState.Contains(csDestroying)) Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (TControl* c = Control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(POINT Pos, bool AllowDisabled, bool AllowWinControls) {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && c->IsWindowed()) continue;
    if (!c->Visible() && !c->ComponentState().Contains(csDesigning)) continue;
    if (!AllowDisabled && !c->Enabled()) continue;
    RECT r = c->BoundsRect();
    if (!PtInRect(&r, Pos)) continue;
    POINT local{Pos.x - c->Left(), Pos.y - c->Top()};
    if (c->Perform(CM_HITTEST, 0, MAKELPARAM(local.x, local.y)) == 0) continue;
    return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
  for (TControl* c : std::vector<TControl*>(FControls)) {
    c->WndProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage m;
  m.Msg = Msg;
  for (TControl* c : std::vector<TControl*>(FControls)) {
    m.Result = 0;
    c->WndProc(m);
  }
}

void TWinControl::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TControl* c : FControls)
    if (c->Owner() == Root) Proc(c);
}

// ---------------------------------------------------------------------------------------------------
// Bounds and layout

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (!AdjustNewBounds(ALeft, ATop, AWidth, AHeight)) return;
  if (FHandle && !IsIconic(FHandle) && !IsZoomed(FHandle)) {
    // The window reports its new place in WM_WINDOWPOSCHANGED, which realigns the children.
    FLeft = ALeft;
    FTop = ATop;
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!FHandle) return;
    UpdateBounds();
  } else {
    if (FHandle) {
      // Minimised or maximised: the bounds are those the window returns to.
      WINDOWPLACEMENT wp{};
      wp.length = sizeof wp;
      if (GetWindowPlacement(FHandle, &wp)) {
        wp.rcNormalPosition = RECT{ALeft, ATop, ALeft + AWidth, ATop + AHeight};
        SetWindowPlacement(FHandle, &wp);
      }
    }
    int oldW = FWidth, oldH = FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if ((oldW != AWidth || oldH != AHeight) && !FComponentState.Contains(csLoading) && !FHandle) {
      ClientSizeChanged();
      Resize();
    }
  }
  RequestAlign();
}

void TWinControl::UpdateBounds() {
  if (!FHandle || IsIconic(FHandle)) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  HWND parent = GetParent(FHandle);
  if (parent && (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  FLeft = r.left;
  FTop = r.top;
  FWidth = r.right - r.left;
  FHeight = r.bottom - r.top;
}

RECT TWinControl::GetClientRect() {
  RECT r{0, 0, 0, 0};
  if (FHandle) {
    ::GetClientRect(FHandle, &r);
    return r;
  }
  // No window yet: run the control's own non-client calculation, so that a custom frame drawn in the
  // non-client area counts before the window exists too (DefaultHandler supplies the standard frame).
  r = RECT{0, 0, FWidth, FHeight};
  Perform(WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&r));
  return RECT{0, 0, std::max(int(r.right - r.left), 0), std::max(int(r.bottom - r.top), 0)};
}

void TWinControl::SetClientSize(int W, int H) {
  RECT c = GetClientRect();
  if (W < 0) W = c.right - c.left;
  if (H < 0) H = c.bottom - c.top;
  SetBounds(FLeft, FTop, FWidth - (c.right - c.left) + W, FHeight - (c.bottom - c.top) + H);
}

POINT TWinControl::ClientOrigin() {
  if (FHandle) {
    POINT p{0, 0};
    ::ClientToScreen(FHandle, &p);
    return p;
  }
  return TControl::ClientOrigin();
}

void TWinControl::AdjustClientRect(RECT& Rect) { InflateRect(&Rect, -FBorderWidth, -FBorderWidth); }

void TWinControl::SetBorderWidth(int Value) {
  if (Value == FBorderWidth) return;
  FBorderWidth = Value;
  Realign();
  Invalidate();
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
  if (FComponentState.Contains(csDestroying)) return;
  if (AlignDisabled() || FComponentState.Contains(csLoading)) {
    FControlState.Include(csAlignmentNeeded);
    return;
  }
  ++FAlignLevel;
  TScopeExit aligned([this] {
    FControlState.Exclude(csAlignmentNeeded);
    --FAlignLevel;
  });
  RECT r = GetClientRect();
  AdjustClientRect(r);
  AlignControls(AControl, r);
}

void TWinControl::AlignControls(TControl* AControl, RECT& Rect) {
  static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign a : order) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->Align() == a && (c->Visible() || c->ComponentState().Contains(csDesigning))) list.push_back(c);
    auto key = [a](TControl* c) {
      switch (a) {
        case alTop: return c->Top();
        case alBottom: return -(c->Top() + c->Height());
        case alLeft: return c->Left();
        case alRight: return -(c->Left() + c->Width());
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) {
      int kx = key(x), ky = key(y);
      if (kx != ky) return kx < ky;
      return x == AControl && y != AControl;  // the control being moved goes first among equals
    });
    for (TControl* c : list) {
      int w = std::max<int>(Rect.right - Rect.left, 0), h = std::max<int>(Rect.bottom - Rect.top, 0);
      switch (a) {
        case alTop:
          c->SetBounds(Rect.left, Rect.top, w, c->Height());
          Rect.top += c->Height();
          break;
        case alBottom:
          c->SetBounds(Rect.left, Rect.bottom - c->Height(), w, c->Height());
          Rect.bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(Rect.left, Rect.top, c->Width(), h);
          Rect.left += c->Width();
          break;
        case alRight:
          c->SetBounds(Rect.right - c->Width(), Rect.top, c->Width(), h);
          Rect.right -= c->Width();
          break;
        case alClient:
          c->SetBounds(Rect.left, Rect.top, w, h);
          break;
        default:
          break;
      }
    }
  }
}

void TWinControl::RecordAnchorBase() {
  RECT r = GetClientRect();
  FAnchorClientW = r.right - r.left;
  FAnchorClientH = r.bottom - r.top;
}

// The client area changed size: anchored children follow, aligned children are laid out again.
void TWinControl::ClientSizeChanged() {
  if (FComponentState.Contains(csLoading)) return;
  RECT r = GetClientRect();
  int w = r.right - r.left, h = r.bottom - r.top;
  if (FAnchorClientW >= 0 && (w != FAnchorClientW || h != FAnchorClientH)) {
    int dw = w - FAnchorClientW, dh = h - FAnchorClientH;
    for (TControl* c : std::vector<TControl*>(FControls)) {
      if (c->Align() != alNone) continue;
      TAnchors a = c->Anchors();
      int L = c->Left(), T = c->Top(), W = c->Width(), H = c->Height();
      if (a.Contains(akRight)) {
        if (a.Contains(akLeft))
          W += dw;
        else
          L += dw;
      } else if (!a.Contains(akLeft)) {
        L += dw / 2;
      }
      if (a.Contains(akBottom)) {
        if (a.Contains(akTop))
          H += dh;
        else
          T += dh;
      } else if (!a.Contains(akTop)) {
        T += dh / 2;
      }
      c->SetBounds(L, T, W, H);
    }
  }
  FAnchorClientW = w;
  FAnchorClientH = h;
  Realign();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  // Tab orders read from a resource, applied together in their order.
  std::vector<TWinControl*> pending;
  for (TWinControl* w : FTabList)
    if (w->FTabOrderPending >= 0) pending.push_back(w);
  std::stable_sort(pending.begin(), pending.end(),
                   [](TWinControl* a, TWinControl* b) { return a->FTabOrderPending < b->FTabOrderPending; });
  for (TWinControl* w : pending) {
    int t = w->FTabOrderPending;
    w->FTabOrderPending = -1;
    MoveTabOrder(w, t);
  }
  RecordAnchorBase();
  if (FHandle || FControlState.Contains(csAlignmentNeeded)) Realign();
}

// ---------------------------------------------------------------------------------------------------
// Visibility, z-order, painting

bool TWinControl::Showing() { return FHandle && IsWindowVisible(FHandle); }

void TWinControl::SetZOrder(bool TopMost) {
  TControl::SetZOrder(TopMost);
  if (FHandle)
    SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (FHandle && !AParent && !FParentWindow) {
    // Without a parent window the window cannot stay.
    TControl::SetParent(nullptr);
    return;
  }
  TControl::SetParent(AParent);
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, FControlStyle.Contains(csOpaque) ? FALSE : TRUE);
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

std::string TWinControl::GetText() {
  if (!FHandle) return FText;
  int n = GetWindowTextLengthA(FHandle);
  std::string t(size_t(n) + 1, '\0');
  n = GetWindowTextA(FHandle, t.data(), n + 1);
  t.resize(size_t(std::max(n, 0)));
  return t;
}

void TWinControl::SetTextBuf(const std::string& Value) {
  FText = Value;
  if (FHandle) SetWindowTextA(FHandle, Value.c_str());
}

void TWinControl::SetCtl3D(bool Value) {
  if (SetOwnFlag(FCtl3D, FParentCtl3D, Value)) Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (Value == FParentCtl3D) return;
  FParentCtl3D = Value;
  if (Value) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::PaintHandler(TWMPaint& Message) {
  HDC dc = Message.DC();
  PAINTSTRUCT ps{};
  bool own = dc == nullptr;
  if (own) dc = BeginPaint(FHandle, &ps);
  TScopeExit painted([&] {
    if (own) EndPaint(FHandle, &ps);
  });
  bool graphicChildren = false;
  for (TControl* c : FControls)
    if (!c->IsWindowed() && c->Visible()) graphicChildren = true;
  if (!graphicChildren) {
    PaintWindow(dc);
  } else {
    // Opaque windowless children paint their whole rectangle: leave it to them.
    int saved = SaveDC(dc);
    for (TControl* c : FControls)
      if (!c->IsWindowed() && c->Visible() && c->ControlStyle().Contains(csOpaque))
        ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
    PaintWindow(dc);
    RestoreDC(dc, saved);
  }
  PaintControls(dc, nullptr);
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m;
  m.Msg = WM_PAINT;
  m.WParam = reinterpret_cast<WPARAM>(DC);
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  size_t start = 0;
  if (First) {
    auto it = std::find(FControls.begin(), FControls.end(), First);
    if (it != FControls.end()) start = size_t(it - FControls.begin());
  }
  std::vector<TControl*> list(FControls.begin() + long(start), FControls.end());
  for (TControl* c : list) {
    if (c->IsWindowed()) continue;
    if (!c->Visible() && !(c->ComponentState().Contains(csDesigning) &&
                           !c->ControlStyle().Contains(csNoDesignVisible)))
      continue;
    RECT r = c->BoundsRect();
    if (!RectVisible(DC, &r)) continue;
    int saved = SaveDC(DC);
    POINT org;
    GetViewportOrgEx(DC, &org);
    SetViewportOrgEx(DC, org.x + c->Left(), org.y + c->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    TScopeExit restore([&] { RestoreDC(DC, saved); });
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  }
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  HandleNeeded();
  int saved = SaveDC(DC);
  POINT org;
  GetViewportOrgEx(DC, &org);
  SetViewportOrgEx(DC, org.x + X, org.y + Y, nullptr);
  // The window's client area: a control may report a smaller client rectangle for its children's
  // layout (a panel taking off its borders) while its painting covers all of it.
  RECT c;
  ::GetClientRect(FHandle, &c);
  IntersectClipRect(DC, 0, 0, c.right, c.bottom);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  RestoreDC(DC, saved);
  for (TControl* ch : std::vector<TControl*>(FControls)) {
    auto* w = dynamic_cast<TWinControl*>(ch);
    if (!w || !w->Visible()) continue;
    w->PaintTo(DC, X + w->Left(), Y + w->Top());
  }
}

// ---------------------------------------------------------------------------------------------------
// Focus and keyboard

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

bool TWinControl::CanFocus() {
  TCustomForm* form = ::GetParentForm(this);
  if (!form) return FVisible && FEnabled;
  for (TControl* c = this; c && c != form; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return form->Visible() && form->Enabled();
}

void TWinControl::SetFocus() {
  TCustomForm* form = ::GetParentForm(this);
  if (form) {
    form->FocusControl(this);
  } else if (FParentWindow) {
    ::SetFocus(Handle());
  } else {
    ::SetFocus(Handle());
  }
}

int TWinControl::TabOrder() const {
  if (!FParent) return FTabOrderPending >= 0 ? FTabOrderPending : -1;
  if (FTabOrderPending >= 0) return FTabOrderPending;
  auto& l = FParent->FTabList;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : int(it - l.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!FParent || FComponentState.Contains(csLoading) || FParent->FComponentState.Contains(csLoading)) {
    FTabOrderPending = Value;
    return;
  }
  FParent->MoveTabOrder(this, Value);
}

void TWinControl::MoveTabOrder(TWinControl* Child, int Index) {
  auto it = std::find(FTabList.begin(), FTabList.end(), Child);
  if (it == FTabList.end()) return;
  FTabList.erase(it);
  if (Index < 0) Index = 0;
  if (Index > int(FTabList.size())) Index = int(FTabList.size());
  FTabList.insert(FTabList.begin() + Index, Child);
}

void TWinControl::SetTabStop(bool Value) {
  if (Value == FTabStop) return;
  FTabStop = Value;
  if (FHandle) {
    LONG s = GetWindowLongA(FHandle, GWL_STYLE);
    SetWindowLongA(FHandle, GWL_STYLE, Value ? (s | WS_TABSTOP) : (s & ~LONG(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* w : FTabList) {
    List.push_back(w);
    w->GetTabOrderList(List);
  }
}

namespace {
bool IsRadioButton(TWinControl* w) {
  return w->HandleAllocated() && (SendMessageA(w->WindowHandle(), WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

// The radio buttons of one parent are one group and one tab stop: the checked one, or the first in
// tab order while none is checked.
bool IsGroupTabStop(TWinControl* Radio, const std::vector<TWinControl*>& List) {
  TWinControl* first = nullptr;
  for (TWinControl* w : List) {
    if (w->Parent() != Radio->Parent() || !IsRadioButton(w)) continue;
    if (SendMessageA(w->WindowHandle(), BM_GETCHECK, 0, 0) == BST_CHECKED) return w == Radio;
    if (!first) first = w;
  }
  return first == Radio;
}
}  // namespace

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = int(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[size_t(i)] == CurControl) start = i;
  if (start < 0) start = GoForward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* w = list[size_t(i)];
    if (w == CurControl && step < n - 1) continue;
    if (CheckTabStop && !w->TabStop()) continue;
    if (CheckParent && w->Parent() != this) continue;
    if (!w->CanFocus()) continue;
    if (CheckTabStop && IsRadioButton(w) && !IsGroupTabStop(w, list)) continue;
    return w;
  }
  return nullptr;
}

TWinControl* TWinControl::FirstTabStop() {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  for (TWinControl* w : list) {
    if (!w->TabStop()) continue;
    bool shows = true;
    for (TControl* c = w; c && c != this && shows; c = c->Parent()) shows = c->Visible() && c->Enabled();
    if (shows) return w;
  }
  return nullptr;
}

void TWinControl::FocusShownPage(TWinControl* Hidden, TWinControl* Shown) {
  TCustomForm* form = ::GetParentForm(this);
  if (!form || !Hidden || !form->ActiveControl() || !Hidden->ContainsControl(form->ActiveControl())) return;
  // (While the form is hidden nothing can take the focus yet: the choice is kept for its showing.)
  TWinControl* next = Shown ? Shown->FirstTabStop() : nullptr;
  if (!next) next = form->FindNextControl(this, true, true, false);
  if (!next && CanFocus()) next = this;
  // The page's controls keep their windows while hidden: the focus itself must leave them too.
  if (next) form->FocusControl(next);
  else form->DefocusControl(Hidden, false);
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, false);
  if (next) next->SetFocus();
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) { OnKeyDown(this, Key, Shift); }

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) { OnKeyUp(this, Key, Shift); }

void TWinControl::KeyPress(char& Key) { OnKeyPress(this, Key); }

void TWinControl::DoEnter() { OnEnter(this); }

void TWinControl::DoExit() { OnExit(this); }

// A key goes first to the form when it previews keys, then to the control's own event; either may free
// the control or swallow the key (a zero key code).
bool TWinControl::DoKeyStep(TWMKey& Message, bool (TWinControl::*FormStep)(TWMKey&),
                            void (TWinControl::*Step)(uint16_t&, TShiftState)) {
  TLiveGuard g(this);
  TCustomForm* form = ::GetParentForm(this);
  if (form && form != this && form->KeyPreview() && (form->*FormStep)(Message)) return true;
  if (!g) return true;
  if (!FControlStyle.Contains(csNoStdEvents)) {
    uint16_t key = Message.CharCode();
    (this->*Step)(key, KeyDataToShiftState(Message.KeyData()));
    if (!g) return true;
    Message.SetCharCode(key);
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyDown(TWMKey& Message) {
  return DoKeyStep(Message, &TWinControl::DoKeyDown, &TWinControl::KeyDown);
}

bool TWinControl::DoKeyUp(TWMKey& Message) {
  return DoKeyStep(Message, &TWinControl::DoKeyUp, &TWinControl::KeyUp);
}

bool TWinControl::DoKeyPress(TWMKey& Message) {
  TLiveGuard g(this);
  TCustomForm* form = ::GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message)) return true;
  if (!g) return true;
  if (!FControlStyle.Contains(csNoStdEvents)) {
    char ch = char(Message.CharCode());
    KeyPress(ch);
    if (!g) return true;
    Message.SetCharCode(uint8_t(ch));
    if (ch == 0) return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------------
// Messages

bool TWinControl::IsControlMouseMsg(TWMMouse& Message) {
  TControl* target = nullptr;
  if (FHandle && GetCapture() == FHandle) {
    // The window holds the capture: only a windowless child that took it gets the input.
    TControl* cap = GetCaptureControl();
    if (cap && cap->Parent() == this && !cap->IsWindowed()) target = cap;
  } else {
    target = ControlAtPos(Message.Pos(), false);
  }
  if (!target || target == this) return false;
  POINT p{Message.XPos() - target->Left(), Message.YPos() - target->Top()};
  Message.Result = target->Perform(Message.Msg, Message.WParam, MAKELPARAM(p.x, p.y));
  return true;
}

TWinControl::TReflect TWinControl::Reflect(TMessage& Message) {
  HWND from = nullptr;
  TWinControl* byId = nullptr;
  if (!ReflectedSender(this, Message, &from, &byId)) return TReflect::No;
  TWinControl* child = byId ? byId : FindControl(from);
  if (!child || child == this) return TReflect::NoChild;
  Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
  return TReflect::Sent;
}

void TWinControl::WndProc(TMessage& Message) {
  UINT msg = Message.Msg;
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL && msg != WM_MOUSEHWHEEL) {
    if (IsControlMouseMsg(MessageAs<TWMMouse>(Message))) return;
  }
  TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
  if (TReflect r = Reflect(Message); r != TReflect::No) {
    if (r == TReflect::NoChild) DefaultHandler(Message);
    return;
  }
  switch (Message.Msg) {
    case WM_MOUSEWHEEL:          WMMouseWheel(MessageAs<TWMMouseWheel>(Message)); return;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC:      CNCtlColor(Message); return;
    case WM_PAINT:               WMPaint(MessageAs<TWMPaint>(Message)); return;
    case WM_ERASEBKGND:          WMEraseBkgnd(Message); return;
    case WM_WINDOWPOSCHANGED:    WMWindowPosChanged(MessageAs<TWMWindowPosMsg>(Message)); return;
    case WM_SIZE:                DefaultHandler(Message); return;
    case WM_SETFOCUS:            WMSetFocus(Message); return;
    case WM_KILLFOCUS:           DefaultHandler(Message); return;
    case CM_CONTEXTMENUKEY:      CMContextMenuKey(Message); return;
    case CM_ENTER:               DoEnter(); return;
    case CM_EXIT:                DoExit(); return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:          WMKeyDown(MessageAs<TWMKey>(Message)); return;
    case WM_KEYUP:
    case WM_SYSKEYUP:            WMKeyUp(MessageAs<TWMKey>(Message)); return;
    case WM_CHAR:                if (!DoKeyPress(MessageAs<TWMKey>(Message))) DefaultHandler(Message); return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:          CNKeyDown(MessageAs<TWMKey>(Message)); return;
    case CN_CHAR:
    case CN_SYSCHAR:             CNChar(MessageAs<TWMKey>(Message)); return;
    case CN_KEYUP:               Message.Result = 0; return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:          Broadcast(Message); return;
    // A key of a child is offered to its containers, innermost first (a page control's Ctrl+Tab).
    case CM_CHILDKEY:            if (FParent) Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam); return;
    case WM_SETCURSOR:           WMSetCursor(MessageAs<TWMSetCursor>(Message)); return;
    case WM_CONTEXTMENU:         WMContextMenu(MessageAs<TWMContextMenu>(Message)); return;
    case WM_CAPTURECHANGED:      ControlsCaptureLost(FHandle); DefaultHandler(Message); return;
    case WM_CANCELMODE:          WMCancelMode(Message); return;
    case WM_NCDESTROY:           DefaultHandler(Message); UnbindWindow(); return;
    case CM_ENABLEDCHANGED:      CMEnabledChanged(Message); return;
    case CM_VISIBLECHANGED:      CMVisibleChanged(Message); return;
    case CM_COLORCHANGED:        CMColorChanged(Message); return;
    case CM_FONTCHANGED:         CMFontChanged(Message); return;
    case CM_PARENTCTL3DCHANGED:  CMParentCtl3DChanged(Message); return;
    case CM_CTL3DCHANGED:        NotifyControls(CM_PARENTCTL3DCHANGED); return;
    case CM_SHOWHINTCHANGED:     return;
    case CM_SYSCOLORCHANGE:
    case CM_WININICHANGE:        NotifyControls(Message.Msg); return;
    case WM_SYSCOLORCHANGE:      NotifyControls(CM_SYSCOLORCHANGE); DefaultHandler(Message); return;
  }
  TControl::Dispatch(Message);
}

void TWinControl::WMMouseWheel(TWMMouseWheel& Message) {
  TLiveGuard g(this);
  if (DoMouseWheel(KeysToShiftState(Message.Keys()), Message.WheelDelta(), POINT{Message.XPos(), Message.YPos()})) {
    Message.Result = 0;
    return;
  }
  // Not handled: the default passes it on to the parent window.
  if (g) DefaultHandler(Message);
}

void TWinControl::CNCtlColor(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  SetBkColor(dc, ColorToRGB(FBrush->Color()));
  Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
}

void TWinControl::WMPaint(TWMPaint& Message) {
  if (Message.WParam == 0 && FDefWndProc != DefWindowProcA) {
    bool graphic = false;
    for (TControl* c : FControls)
      if (!c->IsWindowed() && c->Visible()) graphic = true;
    if (!graphic) {
      DefaultHandler(Message);
      return;
    }
  }
  PaintHandler(Message);
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  if (FDefWndProc == DefWindowProcA || FDefWndProc == nullptr) {
    // clNone: no background at all.
    if (!FControlStyle.Contains(csOpaque) && FColor != clNone) {
      RECT r;
      ::GetClientRect(FHandle, &r);
      FillRect(reinterpret_cast<HDC>(Message.WParam), &r, FBrush->Handle());
    }
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMWindowPosChanged(TWMWindowPosMsg& Message) {
  auto* wp = Message.WindowPos();
  int oldW = FWidth, oldH = FHeight;
  if (wp && (!(wp->flags & SWP_NOSIZE) || !(wp->flags & SWP_NOMOVE))) UpdateBounds();
  TLiveGuard g(this);
  DefaultHandler(Message);
  if (!g) return;
  if ((FWidth != oldW || FHeight != oldH) && !FComponentState.Contains(csLoading)) {
    ClientSizeChanged();
    if (!g) return;
    Resize();
  }
}

void TWinControl::WMSetFocus(TMessage& Message) {
  TCustomForm* form = ::GetParentForm(this);
  if (form && form != this) {
    TLiveGuard g(this);
    if (!form->SetFocusedControl(this)) return;
    if (!g) return;
  }
  DefaultHandler(Message);
}

void TWinControl::CMContextMenuKey(TMessage& Message) {
  if (FHandle && ContextMenuCount == unsigned(Message.LParam))
    ::SendMessageA(FHandle, WM_CONTEXTMENU, WPARAM(FHandle), MAKELPARAM(-1, -1));
}

void TWinControl::WMKeyDown(TWMKey& Message) {
  if (DoKeyDown(Message)) return;
  bool shiftF10 = Message.Msg == WM_SYSKEYDOWN && Message.WParam == VK_F10 && GetKeyState(VK_SHIFT) < 0;
  DefaultHandlerWithContextMenu(Message, shiftF10);
}

void TWinControl::WMKeyUp(TWMKey& Message) {
  if (DoKeyUp(Message)) return;
  DefaultHandlerWithContextMenu(Message, Message.WParam == VK_APPS);
}

// Dialog keys (Tab, arrows, Enter, Esc) go to the form unless the control wants them.
void TWinControl::CNKeyDown(TWMKey& Message) {
  Message.Result = 1;
  if (FComponentState.Contains(csDesigning)) {
    Message.Result = 0;
    return;
  }
  TLiveGuard g(this);
  // Shortcuts of the form (menus, actions) come first.
  if (TCustomForm* form = ::GetParentForm(this))
    if (form->IsShortCut(Message) || !g) return;
  if (Perform(CM_CHILDKEY, Message.CharCode(), reinterpret_cast<LPARAM>(this)) != 0) return;
  if (!g) return;
  LRESULT mask = 0;
  switch (Message.CharCode()) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
  }
  if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.CharCode(), Message.KeyData()) == 0 && g &&
      (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 && g) {
    if (TCustomForm* form = ::GetParentForm(this)) {
      if (form->Perform(CM_DIALOGKEY, Message.CharCode(), Message.KeyData()) != 0) return;
    }
  }
  if (!g) return;
  Message.Result = 0;
}

// Alt+letter (and a plain letter on a control that does not take characters) tries mnemonics.
void TWinControl::CNChar(TWMKey& Message) {
  Message.Result = 0;
  if (Message.Msg == CN_SYSCHAR || (Perform(WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) == 0) {
    if (Message.Msg == CN_SYSCHAR) {
      if (TCustomForm* form = ::GetParentForm(this))
        if (form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) Message.Result = 1;
    }
  }
}

void TWinControl::WMSetCursor(TWMSetCursor& Message) {
  TCursor cur = Screen ? Screen->Cursor() : crDefault;
  if (cur == crDefault && Message.CursorWnd() == FHandle && Message.HitTest() == HTCLIENT) {
    POINT p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    TControl* c = ControlAtPos(p, false);
    cur = (c && c->Cursor() != crDefault) ? c->Cursor() : FCursor;
  }
  if (cur != crDefault && Screen) {
    ::SetCursor(Screen->Cursors(cur));
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMContextMenu(TWMContextMenu& Message) {
  ++ContextMenuCount;
  if (Message.Result == 0 && !(Message.XPos() == -1 && Message.YPos() == -1)) {
    POINT p = ScreenToClient(POINT{Message.XPos(), Message.YPos()});
    if (TControl* c = ControlAtPos(p, false)) {
      TLiveGuard g(this);
      Message.Result = c->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
      if (!g || Message.Result != 0) return;
    }
  }
  TControl::Dispatch(Message);
}

void TWinControl::WMCancelMode(TMessage& Message) {
  if (GetCaptureControl() && GetCaptureControl()->Parent() == this) SetCaptureControl(nullptr);
  DefaultHandler(Message);
}

void TWinControl::CMEnabledChanged(TMessage& Message) {
  if (FHandle) EnableWindow(FHandle, FEnabled ? TRUE : FALSE);
  Invalidate();
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
  if (FHandle) {
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (FVisible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  } else if (FVisible && FParent && FParent->FHandle) {
    CreateHandle();
  }
}

void TWinControl::CMColorChanged(TMessage& Message) {
  FBrush->SetColor(FColor);
  Invalidate();
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& Message) {
  if (FHandle && FDefWndProc != DefWindowProcA) ::SendMessageA(FHandle, WM_SETFONT, WPARAM(FFont->Handle()), TRUE);
  Invalidate();
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMParentCtl3DChanged(TMessage& Message) {
  if (FParentCtl3D && FParent) {
    SetCtl3D(FParent->Ctl3D());
    FParentCtl3D = true;
  }
}

// The context-menu key and Shift+F10 ask for the context menu; where the system's window procedure
// does not make the WM_CONTEXTMENU itself (Wine does not), it is sent here.
// The check is posted: Wine may post its own WM_CONTEXTMENU, which then comes first.
void TWinControl::DefaultHandlerWithContextMenu(TMessage& Message, bool MenuKey) {
  unsigned before = ContextMenuCount;
  TLiveGuard g(this);
  DefaultHandler(Message);
  if (MenuKey && g && FHandle && ContextMenuCount == before)
    PostMessageA(FHandle, CM_CONTEXTMENUKEY, 0, LPARAM(before));
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!FHandle) {
    if (Message.Msg == WM_NCCALCSIZE) {
      // The standard frame of the window the control would create.
      TCreateParams p;
      CreateParams(p);
      RECT frame{0, 0, 0, 0};
      AdjustWindowRectEx(&frame, p.Style & ~DWORD(WS_VISIBLE), FALSE, p.ExStyle);
      RECT* r = reinterpret_cast<RECT*>(Message.LParam);
      r->left -= frame.left;
      r->top -= frame.top;
      r->right -= frame.right;
      r->bottom -= frame.bottom;
      Message.Result = 0;
      return;
    }
    TControl::DefaultHandler(Message);
    return;
  }
  Message.Result =
      CallWindowProcA(FDefWndProc ? FDefWndProc : DefWindowProcA, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::Publish(TPublisher<TWinControl>& p) {
  p.Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
  p.Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop);
  p.Int("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth).Default(0);
  p.Bool("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D);
  p.Bool("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(1);
  p.Bool("DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite).Default(0);
  p.Bool("UseDockManager", &TWinControl::UseDockManager, &TWinControl::SetUseDockManager).Default(0);
  p.Event("OnKeyDown", &TWinControl::OnKeyDown);
  p.Event("OnKeyUp", &TWinControl::OnKeyUp);
  p.Event("OnKeyPress", &TWinControl::OnKeyPress);
  p.Event("OnEnter", &TWinControl::OnEnter);
  p.Event("OnExit", &TWinControl::OnExit);
}
