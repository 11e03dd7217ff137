// Forms: creation from the form resource, showing, closing, the modal loop, focus bookkeeping and
// dialog keys.
#include "Forms.h"

#include <algorithm>

#include "ControlsInternal.h"
#include "Menus.h"

const TEnumInfo WindowStateNames{"TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}};
const TEnumInfo PositionNames{"TPosition",
                              {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                               "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};
const TEnumInfo BorderIconNames{"TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}};
const TEnumInfo FormStyleNames{"TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};

bool (*FormMessageHook)(TCustomForm* Form, TMessage& Message) = nullptr;

TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  TControl* c = Control;
  while (c->Parent()) c = c->Parent();
  return dynamic_cast<TCustomForm*>(c);
}

TCustomForm* ValidParentForm(TControl* Control) {
  TCustomForm* f = GetParentForm(Control);
  if (!f) throw EInvalidOperation("Control '" + (Control ? Control->Name() : std::string()) + "' has no parent form");
  return f;
}

// ---------------------------------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  FParentShowHint = false;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FWidth = 320;
  FHeight = 240;
  FIcon = new TIcon();
  auto* canvas = new TControlCanvas();
  canvas->SetControl(this);
  FCanvas = canvas;
  if (Screen) Screen->AddForm(this);
  RegisterGlobalRoot(this);
}

TCustomForm::~TCustomForm() {
  if (Screen) Screen->RemoveForm(this);
  if (Application && Application->FMainForm == this) {
    Application->FMainForm = nullptr;
    ShowTaskBarButton(false);
  }
  UnregisterGlobalRoot(this);
  delete FCanvas;
  FCanvas = nullptr;
  delete FIcon;
}

void TCustomForm::BeforeDestruction() {
  if (FConstructed) {
    try {
      DoDestroy();
    } catch (...) {
      HandleCallbackException(this);
    }
  }
  if (Screen) Screen->RemoveForm(this);
  TWinControl::BeforeDestruction();
}

void TCustomForm::AfterConstruction() {
  if (FConstructed) return;
  TClass cls = ClassType();
  if (cls != TForm::StaticClass() && cls != TCustomForm::StaticClass()) {
    std::string res = ClassName();
    FConstructed = true;
    if (ComponentResExists(res)) ReadComponentRes(res, this);
  }
  AfterConstructionNew();
}

void TCustomForm::AfterConstructionNew() {
  if (FCreateDone) return;
  FCreateDone = true;
  FConstructed = true;
  TLiveGuard g(this);
  try {
    DoCreate();
  } catch (...) {
    HandleCallbackException(this);
  }
  if (!g) return;
  if (FVisible) ApplyShow(true);
}

void TCustomForm::DoCreate() { OnCreate(this); }
void TCustomForm::DoDestroy() { OnDestroy(this); }
void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }
void TCustomForm::DoClose(TCloseAction& Action) { OnClose(this, Action); }
void TCustomForm::Activate() { OnActivate(this); }
void TCustomForm::Deactivate() { OnDeactivate(this); }
void TCustomForm::Paint() { OnPaint(this); }

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  if (FPendingClientW >= 0 || FPendingClientH >= 0) {
    int w = FPendingClientW, h = FPendingClientH;
    FPendingClientW = FPendingClientH = -1;
    TWinControl::SetClientSize(w, h);
  }
  if (FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TCustomForm::SetClientSize(int W, int H) {
  if (FComponentState.Contains(csLoading)) {
    // The border style may still come: apply once the whole resource is read.
    if (W >= 0) FPendingClientW = W;
    if (H >= 0) FPendingClientH = H;
    return;
  }
  TWinControl::SetClientSize(W, H);
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  Params.ExStyle = 0;
  switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle: Params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
      Params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      Params.Style |= WS_CAPTION;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_THICKFRAME;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (FBorderStyle != bsNone) {
    if (FBorderIcons.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
    bool boxes = FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin;
    if (boxes && FBorderIcons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
    if (boxes && FBorderIcons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    if (FBorderIcons.Contains(biHelp) && FBorderIcons.Contains(biSystemMenu) &&
        (FBorderStyle == bsDialog || !(Params.Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))))
      Params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  Params.WndParent = Application ? Application->Handle() : nullptr;
  if (FPosition == poDefault || FPosition == poDefaultPosOnly) Params.X = Params.Y = CW_USEDEFAULT;
  Params.WindowClass.style = CS_DBLCLKS;
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (FIcon->HandleAllocated()) ::SendMessageA(FHandle, WM_SETICON, ICON_BIG, LPARAM(FIcon->Handle()));
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (Value == FBorderIcons) return;
  FBorderIcons = Value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (Value == FFormStyle) return;
  FFormStyle = Value;
  if (FHandle)
    SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() {
  if (FHandle && IsWindowVisible(FHandle)) {
    if (IsIconic(FHandle)) return wsMinimized;
    if (IsZoomed(FHandle)) return wsMaximized;
    return wsNormal;
  }
  return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState Value) {
  FWindowState = Value;
  if (!FHandle || !IsWindowVisible(FHandle)) return;
  switch (Value) {
    case wsNormal: ShowWindow(FHandle, SW_RESTORE); break;
    case wsMinimized: ShowWindow(FHandle, SW_MINIMIZE); break;
    case wsMaximized: ShowWindow(FHandle, SW_MAXIMIZE); break;
  }
}

void TCustomForm::SetMenu(TComponent* Value) {
  if (Value == FMenu) return;
  if (FMenu) FMenu->RemoveFreeNotification(this);
  FMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMenu) FMenu = nullptr;
  if (AComponent == FActiveControl) FActiveControl = nullptr;
  if (AComponent == FFocusedControl) FFocusedControl = nullptr;
}

void TCustomForm::PlaceOnScreen() {
  int x = FLeft, y = FTop;
  RECT area{0, 0, Screen ? Screen->Width() : 800, Screen ? Screen->Height() : 600};
  TCustomForm* center = nullptr;
  switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
      x = area.left + (area.right - area.left - FWidth) / 2;
      y = area.top + (area.bottom - area.top - FHeight) / 2;
      break;
    case poMainFormCenter:
      center = Application ? Application->MainForm() : nullptr;
      break;
    case poOwnerFormCenter:
      center = dynamic_cast<TCustomForm*>(Owner());
      break;
    default:
      return;
  }
  if (FPosition == poMainFormCenter || FPosition == poOwnerFormCenter) {
    if (center && center != this && center->Visible()) {
      x = center->Left() + (center->Width() - FWidth) / 2;
      y = center->Top() + (center->Height() - FHeight) / 2;
    } else {
      x = (area.right - FWidth) / 2;
      y = (area.bottom - FHeight) / 2;
    }
  }
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  SetBounds(x, y, FWidth, FHeight);
}

void TCustomForm::ApplyShow(bool Visible) {
  TLiveGuard g(this);
  if (Visible) {
    HandleNeeded();
    if (!FShown) {
      FShown = true;
      PlaceOnScreen();
    }
    {
      // An OnShow that raises leaves the form hidden as it was: marked visible, it could never be
      // shown modally again.
      bool shown = false;
      TScopeExit unshown([&] {
        if (!shown && g) FVisible = false;
      });
      DoShow();
      shown = true;
    }
    if (!g || !FVisible) return;
    int cmd = SW_SHOWNORMAL;
    if (FWindowState == wsMaximized) cmd = SW_SHOWMAXIMIZED;
    if (FWindowState == wsMinimized) cmd = SW_SHOWMINIMIZED;
    ShowWindow(FHandle, cmd);
    if (!g) return;
    if (Application && Application->MainForm() == this) ShowTaskBarButton(true);
    if (FWindowState != wsMinimized) SetForegroundWindow(FHandle);
  } else {
    DoHide();
    if (!g || FVisible) return;
    if (FHandle) ShowWindow(FHandle, SW_HIDE);
    if (Application && Application->MainForm() == this) ShowTaskBarButton(false);
  }
}

void TCustomForm::Show() {
  if (!FConstructed) AfterConstruction();
  if (FVisible) {
    if (FHandle) {
      if (IsIconic(FHandle)) ShowWindow(FHandle, SW_RESTORE);
      SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
      SetForegroundWindow(FHandle);
    }
    return;
  }
  SetVisible(true);
}

void TCustomForm::Hide() { SetVisible(false); }

bool TCustomForm::CloseQuery() {
  bool can = true;
  OnCloseQuery(this, can);
  return can;
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  TLiveGuard g(this);
  if (!CloseQuery() || !g) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (!g || action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

void TCustomForm::Release() {
  if (FHandle)
    PostMessageA(FHandle, CM_RELEASE, 0, 0);
  else
    TObject::Free(this);
}

int TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || FModal)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (!FConstructed) AfterConstruction();
  if (GetCapture()) ::SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  if (Application) Application->HideAllHints();
  HandleNeeded();
  HWND previous = GetActiveWindow();
  // Every other window of the thread is disabled while the form is up.
  struct Ctx {
    HWND Self;
    std::vector<HWND> Disabled;
  } ctx{FHandle, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(p);
        if (w != c->Self && IsWindowVisible(w) && IsWindowEnabled(w)) {
          EnableWindow(w, FALSE);
          c->Disabled.push_back(w);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  TCursor savedCursor = Screen ? Screen->Cursor() : crDefault;
  if (Screen) Screen->SetCursor(crDefault);
  TLiveGuard g(this);
  FModal = true;
  if (Application) Application->ModalStarted();
  // The other windows enabled again and the window that was active before active again (with its
  // focus), both while this form still shows: hidden first, it would leave the system no enabled
  // window of the program to activate, and the keyboard would go to no window of the program.
  auto giveBack = [&] {
    for (HWND w : ctx.Disabled)
      if (IsWindow(w)) EnableWindow(w, TRUE);
    ctx.Disabled.clear();
    if (previous && IsWindow(previous) && IsWindowVisible(previous)) SetActiveWindow(previous);
  };
  const int uncaught = std::uncaught_exceptions();
  TScopeExit finished([&] {
    if (Application) Application->ModalFinished();
    giveBack();
    if (g) FModal = false;
    // Left by an exception, the form goes as after a close: shown but no longer modal, it could
    // never be shown modally again.
    if (g && std::uncaught_exceptions() > uncaught) Hide();
    if (Screen) Screen->SetCursor(savedCursor);
  });
  TModalResult result = mrNone;
  FModalResult = mrNone;
  Show();
  while (g) {
    Application->HandleMessage();
    if (!g) break;
    if (Application->Terminated()) FModalResult = mrCancel;
    if (FModalResult != mrNone) {
      // Closing may be refused (OnCloseQuery) or turned into nothing (OnClose caNone).
      TCloseAction action = caHide;
      if (!CloseQuery()) action = caNone;
      if (!g) break;
      if (action != caNone) DoClose(action);
      if (!g) break;
      if (action == caNone && !Application->Terminated()) {
        FModalResult = mrNone;
        continue;
      }
      result = FModalResult;
      if (action == caFree) Release();
      break;
    }
  }
  if (g) {
    result = FModalResult;
    giveBack();
    Hide();
  }
  return result;
}

// ---------------------------------------------------------------------------------------------------
// Focus

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control == FActiveControl) return;
  if (Control && FActive && FHandle && IsWindowVisible(FHandle) && !Control->CanFocus())
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = Control;
  if (Control) Control->FreeNotification(this);
  if (Control && FActive && FHandle) ::SetFocus(Control->Handle());
}

void TCustomForm::FocusControl(TWinControl* Control) {
  if (!Control) return;
  FActiveControl = Control;
  Control->FreeNotification(this);
  if (FHandle && IsWindowVisible(FHandle) && Control->CanFocus()) ::SetFocus(Control->Handle());
}

void TCustomForm::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (FActiveControl && FActiveControl->CanFocus())
    ::SetFocus(FActiveControl->Handle());
  else
    ::SetFocus(Handle());
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (Control == FFocusedControl) {
    if (Control != this) FActiveControl = Control;
    return true;
  }
  TWinControl* old = FFocusedControl;
  FFocusedControl = Control;
  if (Control && Control != this) {
    FActiveControl = Control;
    Control->FreeNotification(this);
  }
  if (Screen) Screen->SetActiveControl(Control);
  // CM_EXIT from the old control up to the common container, CM_ENTER from there down to the new one.
  std::vector<TWinControl*> exits, enters;
  for (TWinControl* c = old; c && c != this && !(Control && c->ContainsControl(Control)); c = c->Parent())
    exits.push_back(c);
  for (TWinControl* c = Control; c && c != this && !(old && c->ContainsControl(old)); c = c->Parent())
    enters.insert(enters.begin(), c);
  TLiveGuard gf(this);
  for (TWinControl* c : exits) {
    c->Perform(CM_EXIT, 0, 0);
    if (!gf) return false;
  }
  if (FFocusedControl != Control) return false;
  for (TWinControl* c : enters) {
    c->Perform(CM_ENTER, 0, 0);
    if (!gf) return false;
    if (FFocusedControl != Control) return false;
  }
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  return true;
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (!Control) return;
  if (FActiveControl && Control->ContainsControl(FActiveControl)) FActiveControl = nullptr;
  if (FFocusedControl && Control->ContainsControl(FFocusedControl)) {
    bool hadFocus = FFocusedControl->Focused();
    FFocusedControl = nullptr;
    if (hadFocus && FHandle && Control != this) ::SetFocus(FHandle);
  }
}

bool TCustomForm::IsShortCut(TWMKey& Message) {
  bool handled = false;
  TLiveGuard g(this);
  OnShortCut(Message, handled);
  if (handled || !g) return true;
  return FormIsShortCut(this, Message);
}

// An arrow key on a radio button moves to the next (or previous) radio button of its group, round the
// end, and chooses it, as a click would. False when the active control is no radio button.
bool TCustomForm::ChooseRadio(bool GoForward) {
  auto isRadio = [](TWinControl* w) {
    return w->HandleAllocated() && (SendMessageA(w->WindowHandle(), WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
  };
  TWinControl* current = FActiveControl;
  if (!isRadio(current)) return false;
  TWinControl* group = current->Parent();
  TWinControl* next = current;
  do {
    next = group->FindNextControl(next, GoForward, false, true);
  } while (next && next != current && !isRadio(next));
  if (!next || next == current) return true;
  TLiveGuard g(next);
  next->SetFocus();
  if (g && next->Focused()) next->Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0);
  return true;
}

void TCustomForm::CMDialogKey(TWMKey& Message) {
  TShiftState shift = KeyDataToShiftState(Message.KeyData());
  switch (Message.CharCode()) {
    case VK_TAB:
      if (!shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
        SelectNext(FActiveControl, !shift.Contains(ssShift), true);
        Message.Result = 1;
        return;
      }
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      if (FActiveControl && FActiveControl->Parent() && ChooseRadio(Message.CharCode() == VK_RIGHT || Message.CharCode() == VK_DOWN)) {
        Message.Result = 1;
        return;
      }
      if (FActiveControl && FActiveControl->Parent()) {
        FActiveControl->Parent()->SelectNext(FActiveControl,
                                             Message.CharCode() == VK_RIGHT || Message.CharCode() == VK_DOWN, false);
        Message.Result = 1;
        return;
      }
      break;
  }
  TWinControl::Dispatch(Message);
}

void TCustomForm::PaintWindow(HDC DC) {
  PaintOnLentDC(static_cast<TControlCanvas*>(FCanvas), DC, [this] { Paint(); });
}

void TCustomForm::Dispatch(TMessage& Message) {
  if (FormMessageHook && FormMessageHook(this, Message)) return;
  switch (Message.Msg) {
    case WM_PAINT:            PaintHandler(MessageAs<TWMPaint>(Message)); return;
    case WM_CLOSE:            Close(); return;
    case CM_RELEASE:          TObject::Free(this); return;
    case CM_DIALOGKEY:        CMDialogKey(MessageAs<TWMKey>(Message)); return;
    case CM_VISIBLECHANGED:   CMVisibleChanged(Message); return;
    case WM_ACTIVATE:         WMActivate(MessageAs<TWMActivate>(Message)); return;
    case WM_ACTIVATEAPP:      WMActivateApp(Message); return;
    case WM_GETMINMAXINFO:    WMGetMinMaxInfo(MessageAs<TWMGetMinMaxInfo>(Message)); return;
    case WM_SIZE:             WMSize(Message); return;
    case WM_SYSCOMMAND:       WMSysCommand(Message); return;
    case WM_QUERYENDSESSION:  Message.Result = CloseQuery() ? 1 : 0; return;
    case WM_HELP:             WMHelp(Message); return;
    case WM_SETFOCUS:         WMSetFocus(Message); return;
  }
  TWinControl::Dispatch(Message);
}

void TCustomForm::CMVisibleChanged(TMessage& Message) {
  if (FComponentState.Contains(csLoading)) return;
  if (!FConstructed) {
    // Made visible before it was finished: finish it (which shows it).
    AfterConstruction();
    return;
  }
  ApplyShow(FVisible);
}

void TCustomForm::WMActivate(TWMActivate& Message) {
  TLiveGuard g(this);
  bool active = Message.Active() != WA_INACTIVE;
  if (!active) {
    DefaultHandler(Message);
    if (!g) return;
    FActive = false;
    Deactivate();
    return;
  }
  FActive = true;
  if (Screen) Screen->SetActiveForm(this);
  // A control that cannot take the focus now (on a hidden page, disabled) gives way to the first one.
  if (!FActiveControl || (!FActiveControl->CanFocus() && !IsIconic(FHandle))) {
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) FActiveControl = first;
  }
  // The focus goes straight back to the active control (the system would give it to the form
  // first, which would tell the control it was left).
  bool toControl = FActiveControl && FActiveControl->CanFocus() && !IsIconic(FHandle);
  if (!toControl) DefaultHandler(Message);
  if (!g) return;
  Activate();
  if (!g) return;
  if (toControl && FActiveControl && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->Handle());
}

void TCustomForm::WMActivateApp(TMessage& Message) {
  DefaultHandler(Message);
  if (Application) Application->SetActiveState(Message.WParam != 0);
}

void TCustomForm::WMGetMinMaxInfo(TWMGetMinMaxInfo& Message) {
  DefaultHandler(Message);
  auto* mmi = Message.MinMaxInfo();
  if (!mmi || !FConstraints) return;
  if (FConstraints->MinWidth() > 0) mmi->ptMinTrackSize.x = FConstraints->MinWidth();
  if (FConstraints->MinHeight() > 0) mmi->ptMinTrackSize.y = FConstraints->MinHeight();
  if (FConstraints->MaxWidth() > 0) mmi->ptMaxTrackSize.x = FConstraints->MaxWidth();
  if (FConstraints->MaxHeight() > 0) mmi->ptMaxTrackSize.y = FConstraints->MaxHeight();
}

void TCustomForm::WMSize(TMessage& Message) {
  switch (Message.WParam) {
    case SIZE_MINIMIZED: FWindowState = wsMinimized; break;
    case SIZE_MAXIMIZED: FWindowState = wsMaximized; break;
    case SIZE_RESTORED: FWindowState = wsNormal; break;
  }
  TWinControl::Dispatch(Message);
}

void TCustomForm::WMSysCommand(TMessage& Message) {
  TLiveGuard g(this);
  DefaultHandler(Message);
  if (!g || !Application || Application->MainForm() != this) return;
  WPARAM cmd = Message.WParam & 0xFFF0;
  if (cmd == SC_MINIMIZE) Application->OnMinimize(Application);
  if (cmd == SC_RESTORE) Application->OnRestore(Application);
}

// F1: the help topic of the control with the focus, else of its nearest container that has one.
void TCustomForm::WMHelp(TMessage& Message) {
  auto* info = reinterpret_cast<HELPINFO*>(Message.LParam);
  TControl* c = nullptr;
  if (info && info->iContextType == HELPINFO_WINDOW)
    for (HWND w = static_cast<HWND>(info->hItemHandle); w && !c; w = GetParent(w)) c = FindControl(w);
  int context = 0;
  for (; c && !context; c = c->Parent()) context = c->HelpContext();
  if (context && Application) Application->HelpContext(context);
  Message.Result = 1;
}

// The form itself got the focus: hand it to the active control.
void TCustomForm::WMSetFocus(TMessage& Message) {
  DefaultHandler(Message);
  SetFocusedControl(this);
}

void TCustomForm::Publish(TPublisher<TCustomForm>& p) {
  p.Enum("BorderStyle", FormBorderStyleNames, &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle)
      .Default(bsSizeable);
  p.Set("BorderIcons", BorderIconNames, &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons);
  p.Enum("Position", PositionNames, &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDesigned);
  p.Enum("WindowState", WindowStateNames, [](TCustomForm& f) { return f.WindowState(); },
         [](TCustomForm& f, TWindowState v) { f.SetWindowState(v); })
      .Default(wsNormal);
  p.Enum("FormStyle", FormStyleNames, &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
  p.Object("Icon", &TCustomForm::Icon);
  p.Bool("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(0);
  p.Ref("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
  p.Ref("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu);
  p.Event("OnCreate", &TCustomForm::OnCreate);
  p.Event("OnDestroy", &TCustomForm::OnDestroy);
  p.Event("OnShow", &TCustomForm::OnShow);
  p.Event("OnHide", &TCustomForm::OnHide);
  p.Event("OnActivate", &TCustomForm::OnActivate);
  p.Event("OnDeactivate", &TCustomForm::OnDeactivate);
  p.Event("OnPaint", &TCustomForm::OnPaint);
  p.Event("OnClose", &TCustomForm::OnClose);
  p.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
  p.Event("OnShortCut", &TCustomForm::OnShortCut);
}
