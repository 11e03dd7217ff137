// The thread hooks of the command bars. The forms do not route keys and clicks to the bars: while a
// menu is open the keyboard hook hands every key to the active bar window, otherwise it dispatches the
// bars' shortcuts and accelerators and opens the menu bar on Alt or F10; the mouse hook closes open menus
// on a click elsewhere and, while customizing has disabled the forms, hands their bars the mouse; the
// call-window-procedure hook watches the focus. The hooks live while at least one manager exists.
#include <windows.h>

#include "Menus.h"
#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarCustForm.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarQuickCust.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

namespace {

struct THookState {
  HHOOK Keyboard = nullptr;
  HHOOK Mouse = nullptr;
  HHOOK CallWndProc = nullptr;
  // The bars hold the keyboard (a modal loop of theirs runs): every key is swallowed.
  bool KeySwallow = false;
  // A key press went to the active bar window: keys are swallowed until its release.
  bool Forwarded = false;
  WPARAM ForwardedKey = 0;
  // The hook is inside handing a key to a bar window (whose item may run a message loop meanwhile).
  bool Forwarding = false;
  bool AltPressed = false;
  // A key pressed with Alt ran a command or opened a menu of the bars: the Alt release is that key's.
  bool AltKeyTaken = false;
  bool InMouseHook = false;
};
THookState Hooks;

// The thread's key state: keys typed ahead are judged by the state they were pressed in.
bool KeyDown(int Key) { return GetKeyState(Key) < 0; }
// The key as it is now (a forwarded key is held until its release).
bool KeyHeld(WPARAM Key) { return (GetAsyncKeyState(int(Key)) & 0x8000) != 0; }

bool AnyOtherKeyDown() {
  BYTE keys[256];
  if (!GetKeyboardState(keys)) return false;
  for (int i = 0; i < 256; ++i) {
    if (i == VK_MENU || i == VK_LMENU || i == VK_RMENU) continue;
    if (keys[i] & 0x80) return true;
  }
  return false;
}

TShortCut CurrentShortCut(WPARAM Key) {
  TShortCut s = TShortCut(Key & 0xFF);
  if (KeyDown(VK_SHIFT)) s |= 0x2000;
  if (KeyDown(VK_CONTROL)) s |= 0x4000;
  if (KeyDown(VK_MENU)) s |= 0x8000;
  return s;
}

// The shortcut of the key runs an item of the manager's bars; failing that, Alt with a letter opens the
// link whose caption has it as accelerator.
bool DispatchShortCut(TdxBarManager* M, WPARAM Key) {
  TShortCut s = CurrentShortCut(Key);
  if (TdxBarControl* mm = M->MenuModeBar())
    if (mm->Bar() && mm->Bar()->ExecuteShortCut(s)) return true;
  TdxBars* bars = M->Bars();
  for (int i = 0; bars && i < bars->Count(); ++i) {
    TdxBar* b = bars->Items(i);
    if (b->Visible() && b != M->MainMenuBar() && b->ExecuteShortCut(s)) return true;
  }
  if (!KeyDown(VK_MENU)) return false;
  TShiftState shift;
  if (KeyDown(VK_SHIFT)) shift.Include(ssShift);
  auto open = [&](TdxBar* b) {
    if (!b || !b->Control() || !b->Control()->HandleAllocated()) return false;
    TdxBarItemLink* l = b->ItemLinks()->FindByAccel(uint16_t(Key), shift, nullptr);
    if (!l || !l->Control()) return false;
    dxBarOpenFromKeyboard(b->Control(), l->Control());
    return true;
  };
  if (open(M->MainMenuBar())) return true;
  for (int i = 0; bars && i < bars->Count(); ++i) {
    TdxBar* b = bars->Items(i);
    if (b->Visible() && b != M->MainMenuBar() && open(b)) return true;
  }
  return false;
}

// The key is swallowed (1) or passed on (the next hook's answer).
LRESULT KeyboardHook(int Code, WPARAM Key, LPARAM Data) {
  if (Code >= 0 && dxBarKeyboardHookSwallows(Key, Data)) return 1;
  return CallNextHookEx(Hooks.Keyboard, Code, Key, Data);
}

LRESULT CALLBACK KeyboardHookProc(int Code, WPARAM Key, LPARAM Data) {
  try {
    return KeyboardHook(Code, Key, Data);
  } catch (...) {
    // What the key ran failed: it was the bars' key, and passed on it would run its command a
    // second time through the form's own shortcuts.
    Application->HandleException(nullptr);
    return 1;
  }
}

bool IsButtonPress(WPARAM Msg) {
  switch (Msg) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: case WM_NCRBUTTONDBLCLK: case WM_NCMBUTTONDBLCLK:
      return true;
  }
  return false;
}

// The window is the open drop-down list of a combo selected in the chain (a window of its own above the
// bars, whose presses and releases choose in it).
bool OnDropDownList(HWND Target) {
  for (TCustomdxBarControl* c = ActiveBarControl(); c && IsBarControl(c); c = c->ParentBar()) {
    auto* combo = dynamic_cast<TCustomdxBarComboControl*>(c->SelectedControl());
    TWinControl* list = combo && combo->IsDroppedDown() && combo->Combo() ? combo->Combo()->GetDropDownWindow() : nullptr;
    if (list && list->HandleAllocated() && (list->Handle() == Target || IsChild(list->Handle(), Target))) return true;
  }
  return false;
}

// The window belongs to the open chain: one of its bar windows or a child of one, or a combo's open list.
bool OnChain(HWND Target) {
  for (TCustomdxBarControl* c = ActiveBarControl(); c; c = c->ParentBar()) {
    if (!IsBarControl(c)) break;
    if (c->HandleAllocated() && (c->Handle() == Target || IsChild(c->Handle(), Target))) return true;
  }
  return OnDropDownList(Target);
}

// The bar window under the mouse: the control at the cursor when it is one of the chain's bar windows.
// The control, not the bare window: over an open in-place editor the window at the cursor is the editor,
// and its bar window is the control that holds it (else the release of the click that opened the
// editor would close it again).
bool OnChainBarWindow(POINT P) {
  TWinControl* w = FindVCLWindow(P);
  for (TCustomdxBarControl* c = ActiveBarControl(); c; c = c->ParentBar()) {
    if (!IsBarControl(c)) break;
    if (c == w) return true;
  }
  return false;
}

// A press where an opening menu is still growing is meant for that menu, though the window under the
// cursor is still the one behind it: the animation ends (the menu takes its full size) and the menu gets
// the press instead. True when it was taken.
bool PressOnAnimatedMenu(WPARAM Msg, MOUSEHOOKSTRUCT* M) {
  UINT press;
  switch (Msg) {
    case WM_LBUTTONDOWN: case WM_NCLBUTTONDOWN: press = WM_LBUTTONDOWN; break;
    case WM_RBUTTONDOWN: case WM_NCRBUTTONDOWN: press = WM_RBUTTONDOWN; break;
    default: return false;
  }
  TdxBarSubMenuControl* menu = dxBarAnimatedMenu();
  if (!menu || !menu->HandleAllocated() || M->hwnd == menu->Handle()) return false;
  RECT r = dxBarAnimatedMenuBounds();
  if (!PtInRect(&r, M->pt)) return false;
  menu->StopAnimation();
  if (!IsBarControl(menu) || !menu->HandleAllocated()) return true;
  POINT c = menu->ScreenToClient(M->pt);
  PostMessageA(menu->Handle(), press, press == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, MAKELPARAM(c.x, c.y));
  return true;
}

bool MouseHook(int Code, WPARAM Msg, MOUSEHOOKSTRUCT* M) {
  if (Code < 0 || Hooks.InMouseHook || !ActiveBarControl()) return false;
  Hooks.InMouseHook = true;
  TScopeExit done([] { Hooks.InMouseHook = false; });
  if (PressOnAnimatedMenu(Msg, M)) return true;
  bool rightUp = Msg == WM_RBUTTONUP || Msg == WM_MBUTTONUP || Msg == WM_NCRBUTTONUP || Msg == WM_NCMBUTTONUP;
  if (rightUp && !OnChainBarWindow(M->pt) && !OnChain(M->hwnd)) return true;
  bool leftUp = Msg == WM_LBUTTONUP || Msg == WM_NCLBUTTONUP;
  // A window that was never shown (the application's, holding a drag loop's capture) keeps its input.
  bool shown = M->hwnd && IsWindowVisible(M->hwnd);
  for (int guard = 0; guard < 32; ++guard) {
    TCustomdxBarControl* active = ActiveBarControl();
    if (!active) break;
    TdxBarManager* m = active->BarManager();
    if (m && m->IsDragging()) break;
    bool close = false;
    if (IsButtonPress(Msg))
      close = !OnChain(M->hwnd);
    else if (leftUp)
      // A left release does not close a top-level popup: the press that opened it may be its own.
      close = !OnChainBarWindow(M->pt) && !OnDropDownList(M->hwnd) && !dxBarAnimatedMenu() && !active->IsCustomizing() &&
              (dynamic_cast<TdxBarControl*>(active) || active->ParentBar());
    if (!close) break;
    active->DeactivateChain();
    if (ActiveBarControl() == active) break;
  }
  return shown && !IsWindowVisible(M->hwnd);
}

bool PopupMenuLinksHook(int Code, WPARAM Msg, MOUSEHOOKSTRUCT* M) {
  if (Code < 0 || (Msg != WM_RBUTTONUP && Msg != WM_NCRBUTTONUP)) return false;
  TWinControl* w = FindControl(M->hwnd);
  if (!w) return false;
  TControl* c = w;
  POINT local = w->ScreenToClient(M->pt);
  if (TControl* child = w->ControlAtPos(local, false)) c = child;
  TCustomForm* f = GetParentForm(c);
  TdxBarManager* m = f ? GetBarManagerByForm(f) : nullptr;
  return m && m->RunPopupMenuLinks(c, M->pt);
}

// The customizing dialog, while it may be worked with (a modal editor over it leaves the bars alone).
HWND CustomizingDialog() {
  TdxBarCustomizingForm* d = dxBarCustomizingForm;
  return d && d->HandleAllocated() && IsWindowEnabled(d->Handle()) ? d->Handle() : nullptr;
}

// Customizing disables the forms behind the dialog, and the system hands the mouse over a disabled form
// to nobody (hit test HTERROR): the customizing manager's bar window under the cursor is made the
// target instead, with its own hit test and cursor.
TCustomdxBarControl* CustomizingTarget(int Code, WPARAM Msg, MOUSEHOOKSTRUCT* M) {
  if (Code < 0 || M->wHitTestCode != HTERROR || !CustomizingDialog()) return nullptr;
  TWinControl* w = FindControl(M->hwnd);
  TCustomForm* form = w ? GetParentForm(w) : nullptr;
  if (!form) return nullptr;
  TdxBarManager* m = GetBarManagerByForm(form);
  if (!m || !m->IsCustomizing()) m = dxBarManagerList()->CustomizingBarManager();
  TdxBarControl* target = m ? dxBarBarWindowAt(m, M->pt) : nullptr;
  if (!target) return nullptr;
  M->hwnd = target->Handle();
  M->wHitTestCode = UINT(SendMessageA(M->hwnd, WM_NCHITTEST, 0, MAKELPARAM(M->pt.x, M->pt.y)));
  SendMessageA(M->hwnd, WM_SETCURSOR, WPARAM(M->hwnd), MAKELPARAM(M->wHitTestCode, UINT(Msg)));
  return target;
}

// The redirected message goes to its bar window as a client message; a press brings the dialog back to
// the front, where the keyboard stays.
void SendToBar(TCustomdxBarControl* Target, WPARAM Msg, const MOUSEHOOKSTRUCT& M) {
  UINT msg = UINT(Msg);
  if (msg >= WM_NCMOUSEMOVE && msg <= WM_NCMBUTTONDBLCLK) msg += WM_MOUSEMOVE - WM_NCMOUSEMOVE;
  if (msg != WM_MOUSEMOVE)
    if (HWND d = CustomizingDialog()) SetForegroundWindow(d);
  if (!IsBarControl(Target) || !Target->HandleAllocated()) return;
  WPARAM keys = 0;
  const std::pair<int, WPARAM> flags[] = {{VK_CONTROL, MK_CONTROL}, {VK_LBUTTON, MK_LBUTTON}, {VK_MBUTTON, MK_MBUTTON},
                                          {VK_RBUTTON, MK_RBUTTON}, {VK_SHIFT, MK_SHIFT}};
  for (auto [key, flag] : flags)
    if (GetAsyncKeyState(key) & 0x8000) keys |= flag;
  POINT p = Target->ScreenToClient(M.pt);
  SendMessageA(Target->Handle(), msg, keys, MAKELPARAM(p.x, p.y));
}

LRESULT CALLBACK MouseHookProc(int Code, WPARAM Msg, LPARAM Data) {
  try {
    MOUSEHOOKSTRUCT m = *reinterpret_cast<MOUSEHOOKSTRUCT*>(Data);
    TCustomdxBarControl* target = CustomizingTarget(Code, Msg, &m);
    bool swallow = MouseHook(Code, Msg, &m);
    if (Code >= 0) TdxBarQuickControl::MouseMessage(m.hwnd, UINT(Msg), m.pt);
    if (swallow) return 1;
    if (target) {
      SendToBar(target, Msg, m);
      return 1;
    }
    if (PopupMenuLinksHook(Code, Msg, &m)) return 1;
  } catch (...) {
    Application->HandleException(nullptr);
  }
  return CallNextHookEx(Hooks.Mouse, Code, Msg, Data);
}

// The focus left the thread's windows (or the application): a key forwarded to the bars may be released
// where the hook never sees it, so the keyboard must not stay held for it.
void CallWndProc(const CWPSTRUCT* P) {
  bool lost = (P->message == WM_KILLFOCUS &&
               (!P->wParam || GetWindowThreadProcessId(HWND(P->wParam), nullptr) != GetCurrentThreadId())) ||
              (P->message == WM_ACTIVATEAPP && !P->wParam);
  if (lost) {
    Hooks.Forwarded = false;
    Hooks.ForwardedKey = 0;
    Hooks.KeySwallow = false;
    Hooks.AltPressed = false;
    Hooks.AltKeyTaken = false;
  }
}

// The form whose manager gets the message: the window's own form, the MDI frame for messages about an
// MDI child (MDI set), or for help asked while a menu is open the menu's form.
TCustomForm* MessageForm(const CWPSTRUCT* P, bool& MDI) {
  HWND target = P->hwnd;
  MDI = false;
  if (P->message == WM_CHILDACTIVATE || P->message == WM_DESTROY || P->message == WM_MDIACTIVATE) {
    char cls[16] = "";
    HWND parent = GetParent(target);
    if (parent && GetClassNameA(parent, cls, sizeof cls) && lstrcmpiA(cls, "MDICLIENT") == 0) {
      target = GetParent(parent);
      MDI = true;
    }
  }
  auto* form = dynamic_cast<TCustomForm*>(FindControl(target));
  if (P->message == WM_HELP && ActiveBarControl() && IsBarControl(ActiveBarControl()))
    if (TdxBarManager* m = ActiveBarControl()->BarManager()) {
      TWinControl* c = FindControl(P->hwnd);
      TCustomForm* inside = c ? GetParentForm(c) : nullptr;
      if (inside != m->ParentForm()) form = m->ParentForm();
    }
  return form;
}

bool IsListedManager(TdxBarManager* M) {
  auto* list = dxBarManagerList();
  for (int i = 0; i < list->Count(); ++i)
    if (list->Items(i) == M) return true;
  return false;
}

LRESULT CALLBACK CallWndProcHookProc(int Code, WPARAM WParam, LPARAM LParam) {
  TdxBarManager* mdiManager = nullptr;
  if (Code >= 0) try {
      auto* p = reinterpret_cast<CWPSTRUCT*>(LParam);
      CallWndProc(p);
      if (p->message == WM_SETFOCUS)
        if (auto* root = dynamic_cast<TCustomForm*>(FindControl(GetAncestor(p->hwnd, GA_ROOT))))
          if (TdxBarManager* m = GetBarManagerByForm(root)) m->FloatingBarsToFront();
      bool mdi = false;
      if (TCustomForm* form = MessageForm(p, mdi))
        if (TdxBarManager* m = GetBarManagerByForm(form)) {
          if (!mdi || p->message == WM_DESTROY) m->FormMessage(p->message, p->wParam, p->lParam);
          if (mdi) mdiManager = m;
        }
    } catch (...) {
      Application->HandleException(nullptr);
    }
  LRESULT r = CallNextHookEx(Hooks.CallWndProc, Code, WParam, LParam);
  if (mdiManager && IsListedManager(mdiManager)) try {
      mdiManager->CheckMDIMerge();
    } catch (...) {
      Application->HandleException(nullptr);
    }
  return r;
}

}  // namespace

void dxBarOpenFromKeyboard(TdxBarControl* ABarControl, TdxBarItemControl* AControl) {
  if (!ABarControl) return;
  ABarControl->EnterMenuMode(AControl);
  if (!AControl || !IsBarControl(ABarControl) || !ABarControl->Active() || ABarControl->SelectedControl() != AControl)
    return;
  // An accelerator opens a sub-item's menu at once, as the keyboard opens it: its first item selected.
  if (dynamic_cast<TCustomdxBarSubItem*>(AControl->Item())) {
    ABarControl->SetMenuOpen(true);
    AControl->ControlClick();
    return;
  }
  // A button's accelerator runs it, as Enter on the selected button does.
  SendMessageA(ABarControl->Handle(), WM_KEYDOWN, VK_RETURN, 0);
}

TdxBarControl* dxBarBarWindowAt(TdxBarManager* AManager, POINT P) {
  TdxBars* bars = AManager ? AManager->Bars() : nullptr;
  for (int i = bars ? bars->Count() - 1 : -1; i >= 0; --i) {
    TdxBarControl* c = bars->Items(i)->Control();
    if (!c || !IsBarControl(c) || !c->HandleAllocated() || !IsWindowVisible(c->Handle())) continue;
    RECT r;
    GetWindowRect(c->Handle(), &r);
    if (PtInRect(&r, P)) return c;
  }
  return nullptr;
}

void dxBarInstallHooks() {
  DWORD thread = GetCurrentThreadId();
  if (!Hooks.Keyboard) Hooks.Keyboard = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, nullptr, thread);
  if (!Hooks.Mouse) Hooks.Mouse = SetWindowsHookExA(WH_MOUSE, MouseHookProc, nullptr, thread);
  if (!Hooks.CallWndProc) Hooks.CallWndProc = SetWindowsHookExA(WH_CALLWNDPROC, CallWndProcHookProc, nullptr, thread);
}

void dxBarRemoveHooks() {
  if (Hooks.CallWndProc) UnhookWindowsHookEx(Hooks.CallWndProc);
  if (Hooks.Mouse) UnhookWindowsHookEx(Hooks.Mouse);
  if (Hooks.Keyboard) UnhookWindowsHookEx(Hooks.Keyboard);
  Hooks = THookState{};
}

bool dxBarHooksInstalled() { return Hooks.Keyboard && Hooks.Mouse && Hooks.CallWndProc; }

void dxBarSetKeySwallow(bool Value) { Hooks.KeySwallow = Value; }

TdxBarManager* dxBarKeyManager() {
  HWND active = GetActiveWindow();
  auto* form = dynamic_cast<TCustomForm*>(FindControl(active));
  if (!form || form->ComponentState().Contains(csDesigning)) return nullptr;
  if (form->FormStyle() == fsMDIForm)
    if (HWND client = FindWindowExA(form->Handle(), nullptr, "MDICLIENT", nullptr))
      if (auto* child = dynamic_cast<TCustomForm*>(FindControl(HWND(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)))))
        form = child;
  TdxBarManager* m = GetBarManagerByForm(form);
  if (form->FormStyle() == fsMDIChild && (!m || !m->MainMenuBar()))
    if (TCustomForm* frame = Application->MainForm(); frame && frame->FormStyle() == fsMDIForm)
      m = GetBarManagerByForm(frame);
  if (!m && form->FormStyle() == fsNormal)
    if (TCustomForm* main = Application->MainForm(); main && main != form && main->HandleAllocated() &&
                                                     IsWindowEnabled(main->Handle()))
      if (TdxBarManager* mm = GetBarManagerByForm(main); mm && mm->AllowCallFromAnotherForm()) m = mm;
  return m;
}

bool dxBarKeyboardHookSwallows(WPARAM Key, LPARAM Data) {
  bool release = Data < 0 || (Data & 0x80000000) != 0;
  if (Hooks.KeySwallow) return true;
  if (Key == VK_MENU && !release && (Data & 0x40000000) == 0) Hooks.AltKeyTaken = false;
  if (Hooks.Forwarded) {
    if (release && Key == Hooks.ForwardedKey) {
      Hooks.Forwarded = false;
      return true;
    }
    // Wine takes a key message off the queue only after this hook returns: a message loop run by the
    // item the key is clicking (a dialog it opens) gets the same press once more. Swallowed, it does
    // not reach the dialog (an autorepeat would carry the previous-state bit).
    if (!release && Key == Hooks.ForwardedKey && Hooks.Forwarding && (Data & 0x40000000) == 0) return true;
    // A press while the forwarded key is up again: its release went elsewhere. Go on normally. So
    // does a key pressed with Shift or Ctrl held: the two make one chord (Ctrl+Down expands a menu).
    bool chord = Hooks.ForwardedKey == VK_SHIFT || Hooks.ForwardedKey == VK_CONTROL;
    if (release || (KeyHeld(Hooks.ForwardedKey) && !chord)) return true;
    Hooks.Forwarded = false;
  }
  TCustomdxBarControl* active = ActiveBarControl();
  if (active && IsBarControl(active)) {
    std::string text;
    TdxBarItemControl* sel = active->SelectedControl();
    if (!active->IsCustomizing()) {
      if (sel && sel->EditorText(text)) return false;
      MSG pending;
      if (HWND focus = GetFocus()) PeekMessageA(&pending, focus, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE);
      if (!release) {
        Hooks.Forwarded = true;
        Hooks.ForwardedKey = Key;
      }
      if (active->HandleAllocated()) {
        bool outer = Hooks.Forwarding;
        Hooks.Forwarding = true;
        TScopeExit done([outer] { Hooks.Forwarding = outer; });
        SendMessageA(active->Handle(), release ? WM_KEYUP : WM_KEYDOWN, Key, Data);
      }
      if (!ActiveBarControl() || !KeyHeld(Key)) Hooks.Forwarded = false;
      return true;
    }
    if (Key == VK_ESCAPE) {
      if (active->HandleAllocated() && GetCapture() == active->Handle()) ReleaseCapture();
      return true;
    }
  }
  // The system takes an Alt release that follows no key of its own as Alt pressed alone, and puts the
  // window that has the keyboard in its menu mode: an unseen one where the bars are the menus, which
  // holds every key after. The key pressed with Alt went to the bars, and the command it ran may have
  // closed its window, so the release is kept from whatever window it would reach.
  if (Key == VK_MENU && release && Hooks.AltKeyTaken) {
    Hooks.AltKeyTaken = false;
    Hooks.AltPressed = false;
    return true;
  }
  if (GetCapture()) return false;
  if ((Key == VK_APPS && release) || (Key == VK_F10 && !release && KeyDown(VK_SHIFT) && !KeyDown(VK_CONTROL) &&
                                      !KeyDown(VK_MENU))) {
    if (auto* c = dynamic_cast<TControl*>(FindControl(GetFocus())))
      if (TCustomForm* f = GetParentForm(c))
        if (TdxBarManager* pm = GetBarManagerByForm(f))
          if (pm->RunPopupMenuLinks(c, POINT{-1, -1})) return true;
  }
  return dxBarMenuKey(dxBarKeyManager(), Key, release);
}

bool dxBarMenuKey(TdxBarManager* m, WPARAM Key, bool release) {
  if (!m || m->Designing() || m->IsCustomizing()) return false;
  // Alt goes down in an editor of a bar in menu mode too; its release decides.
  if (Key == VK_MENU && !release) {
    Hooks.AltPressed = true;
    return false;
  }
  if (m->IsMenuActive()) return false;
  if (release) {
    bool alt = Key == VK_MENU && Hooks.AltPressed && !AnyOtherKeyDown();
    bool f10 = Key == VK_F10 && m->UseF10ForMenu() && !KeyDown(VK_SHIFT) && !KeyDown(VK_CONTROL) && !KeyDown(VK_MENU);
    if (m->MainMenuBar() && (alt || f10)) {
      Hooks.AltPressed = false;
      if (TdxBarControl* c = m->MainMenuBar()->Control()) dxBarOpenFromKeyboard(c, nullptr);
      return true;
    }
    Hooks.AltPressed = false;
    return false;
  }
  Hooks.AltPressed = false;
  bool taken = DispatchShortCut(m, Key);
  if (taken && KeyDown(VK_MENU)) Hooks.AltKeyTaken = true;
  return taken;
}
