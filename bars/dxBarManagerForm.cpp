// The manager's side of its owner form: timed hints of the bar items, the form's messages (activation,
// settings and display changes, system commands), floating bars kept on the work area, and the merge of
// MDI children's main menus into the frame's main menu bar.
#include <algorithm>

#include "Menus.h"
#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarCustForm.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarPopupMenuEd.h"
#include "dxBarWindows.h"

// ---------------------------------------------------------------------------------------------------
// Hint timing: thread timers without a window, one set for the process.

namespace {
UINT_PTR ShowTimer = 0, HideTimer = 0, ReshowTimer = 0;
bool HintShown = false;
TdxBarManager* TimedManager = nullptr;

void Kill(UINT_PTR& Timer) {
  if (Timer) KillTimer(nullptr, Timer);
  Timer = 0;
}

// The manager the timer was started for, when it still exists.
TdxBarManager* LiveTimedManager() {
  auto* list = dxBarManagerList();
  for (int i = 0; i < list->Count(); ++i)
    if (list->Items(i) == TimedManager) return TimedManager;
  return nullptr;
}

void CALLBACK ShowTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  Kill(ShowTimer);
  if (TdxBarManager* m = LiveTimedManager()) m->ShowHintNow();
}

void CALLBACK HideTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  Kill(HideTimer);
  if (TdxBarManager* m = LiveTimedManager()) m->UpdateHint(false, "");
}

void CALLBACK ReshowTimerProc(HWND, UINT, UINT_PTR, DWORD) { Kill(ReshowTimer); }

bool HintVisible() {
  TdxBarHintWindow* w = dxBarHintWindow(false);
  return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
}
}  // namespace

void dxBarStopHintTimers() {
  Kill(ShowTimer);
  Kill(HideTimer);
  HintShown = false;
  // The re-show window dies with the timers: it may belong to a manager that goes.
  Kill(ReshowTimer);
}

bool dxBarHintShown() { return HintShown && HintVisible(); }

void TdxBarManager::UpdateHint(bool Show, const std::string& Text) {
  if (IsCustomizing() || FDesigning || !FShowHint) return;
  FExplicitHint = Text;
  TdxBarItemControl* c = FSelectedItem;
  bool something = (c && c->Parent() && !c->Parent()->Active()) || !Text.empty();
  TimedManager = this;
  if (Show && something) {
    Kill(ShowTimer);
    Kill(HideTimer);
    if (!HintVisible() && !ReshowTimer)
      ShowTimer = SetTimer(nullptr, 0, 1000, ShowTimerProc);
    else
      ShowHintNow();
    return;
  }
  Kill(ShowTimer);
  Kill(HideTimer);
  if (HintVisible()) {
    dxBarHintWindow()->HideHint();
    HintShown = false;
    if (Show) {
      Kill(ReshowTimer);
      ReshowTimer = SetTimer(nullptr, 0, 400, ReshowTimerProc);
    }
  }
}

void TdxBarManager::ShowHintNow() {
  std::string text = FExplicitHint;
  TdxBarItemControl* c = FSelectedItem;
  POINT cursor;
  GetCursorPos(&cursor);
  if (text.empty()) {
    if (!c || !c->Item() || !c->Parent() || c->Parent()->Active() || !c->Parent()->HandleAllocated()) return;
    RECT r = c->Parent()->GetItemRect(c);
    POINT p = c->Parent()->ScreenToClient(cursor);
    if (!PtInRect(&r, p)) return;
    text = GetShortHint(c->Item()->Hint());
    if (text.empty() || !(c->GetEnabled() || FShowHintForDisabledItems)) return;
    if (FShowShortCutInHint && c->Item()->ShortCut())
      if (std::string sc = ShortCutToText(c->Item()->ShortCut()); !sc.empty()) text += " (" + sc + ")";
  }
  dxBarHintWindow()->ActivateHint(POINT{cursor.x, cursor.y + 20}, text, this);
  HintShown = true;
  TimedManager = this;
  Kill(HideTimer);
  HideTimer = SetTimer(nullptr, 0, 10000, HideTimerProc);
}

// ---------------------------------------------------------------------------------------------------
// Owner-form messages

namespace {
// The bar windows of a manager that float (own top-level windows).
std::vector<TdxBarControl*> FloatingBarWindows(TdxBarManager* M) {
  std::vector<TdxBarControl*> r;
  for (int i = 0; i < M->Bars()->Count(); ++i) {
    TdxBarControl* c = M->Bars()->Items(i)->Control();
    if (c && IsBarControl(c) && c->DockingStyle() == dsNone && c->HandleAllocated()) r.push_back(c);
  }
  return r;
}

bool IsBarWindowOf(TdxBarManager* M, HWND Wnd, bool InMenuMode) {
  auto* c = dynamic_cast<TCustomdxBarControl*>(FindControl(Wnd));
  return c && IsBarControl(c) && c->BarManager() == M && (!InMenuMode || c->Active());
}

HWND CustomizingDialog() {
  return dxBarCustomizingForm && dxBarCustomizingForm->HandleAllocated() ? dxBarCustomizingForm->Handle() : nullptr;
}

// The customizing dialog and the sub-menu editor go with the customized form when it is shown or hidden.
void ShowCustomizingWindows(bool Show) {
  if (HWND d = CustomizingDialog()) ShowWindow(d, Show ? SW_SHOW : SW_HIDE);
  if (dxBarSubMenuEditor && dxBarSubMenuEditor->HandleAllocated())
    ShowWindow(dxBarSubMenuEditor->Handle(), Show ? SW_SHOWNA : SW_HIDE);
}
}  // namespace

void TdxBarManager::FormMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (!FParentForm) return;
  // The customizing dialog's own manager only keeps its layout: the dialog is no customized form.
  if (FParentForm->ComponentState().Contains(csDestroying) || FParentForm == dxBarCustomizingForm) {
    if (Msg == WM_DESTROY && !FDesigning) {
      if (FStoreInRegistry) SaveToRegistry(FRegistryPath);
      if (FStoreInIniFile) SaveToIniFile(FIniFileName);
    }
    return;
  }
  switch (Msg) {
    case WM_CREATE:             FormWMCreate(); break;
    case WM_ACTIVATE:           FormWMActivate(WParam, LParam); break;
    case WM_SYSCOLORCHANGE:     RepaintBarWindows(); break;
    case WM_SETTINGCHANGE:      FormWMSettingChange(WParam); break;
    case WM_ACTIVATEAPP:        FormWMActivateApp(WParam); break;
    case WM_WINDOWPOSCHANGING:  FormWMWindowPosChanging(reinterpret_cast<WINDOWPOS*>(LParam)); break;
    case WM_WINDOWPOSCHANGED:   FormWMWindowPosChanged(reinterpret_cast<WINDOWPOS*>(LParam)); break;
    case WM_DISPLAYCHANGE:      FitFloatingBarsToWorkArea(); break;
    case WM_SYSCOMMAND:         FormWMSysCommand(WParam); break;
    case WM_HELP:               FormWMHelp(reinterpret_cast<HELPINFO*>(LParam)); break;
    case WM_MDIACTIVATE:        FormWMMDIActivate(reinterpret_cast<HWND>(LParam)); break;
  }
}

void TdxBarManager::FormWMCreate() {
  for (auto it = FBarsToReshow.rbegin(); it != FBarsToReshow.rend(); ++it) (*it)->SetVisible(true);
  FBarsToReshow.clear();
}

void TdxBarManager::FormWMActivate(WPARAM WParam, LPARAM LParam) {
  bool active = LOWORD(WParam) != WA_INACTIVE;
  HWND other = reinterpret_cast<HWND>(LParam);
  if (!active && IsBarWindowOf(this, other, true)) return;
  bool reentered = FInFormActivate;
  ActivateForm(active, other, false);
  if (reentered) return;
  if (FParentForm->FormStyle() == fsMDIForm && !(active && IsCustomizing()))
    if (HWND client = FindWindowExA(FParentForm->Handle(), nullptr, "MDICLIENT", nullptr))
      if (HWND child = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)))
        SendMessageA(child, WM_ACTIVATE, WParam, LParam);
  // A form disabled behind the customizing dialog hands its activation to the dialog.
  if (active && IsCustomizing() && FParentForm->HandleAllocated() && !IsWindowEnabled(FParentForm->Handle()))
    if (HWND d = CustomizingDialog()) SendMessageA(d, WM_ACTIVATE, WParam, LParam);
}

void TdxBarManager::FormWMSettingChange(WPARAM WParam) {
  // Also a font of the form's own face follows the menu font's size (with Scaled).
  if (WParam == SPI_SETNONCLIENTMETRICS) ApplySystemFont();
  if (WParam == SPI_SETWORKAREA) FitFloatingBarsToWorkArea();
}

void TdxBarManager::FormWMActivateApp(WPARAM WParam) {
  // While customizing the dialog, not the form, is the active window: the form hears of no
  // activation of its own when the program is active again (a modal name editor passing makes
  // the program inactive for a moment), so its floating bars come back here.
  if (WParam && IsCustomizing()) ActivateForm(true, nullptr, false);
  if (WParam) return;
  ActivateForm(false, nullptr, false);
  if (FSelectedItem && FSelectedItem->Parent() && FSelectedItem->Parent()->HandleAllocated())
    SendMessageA(FSelectedItem->Parent()->Handle(), WM_MOUSELEAVE, 0, 0);
  SetCustomizingSelection(nullptr);
  FSelectedItem = nullptr;
}

void TdxBarManager::FormWMWindowPosChanging(const WINDOWPOS* Pos) {
  if (Pos->flags & SWP_HIDEWINDOW) ActivateForm(false, nullptr, false);
}

void TdxBarManager::FormWMWindowPosChanged(const WINDOWPOS* Pos) {
  if (IsCustomizing() && (Pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)))
    ShowCustomizingWindows(Pos->flags & SWP_SHOWWINDOW);
}

void TdxBarManager::FormWMSysCommand(WPARAM WParam) {
  // The low four bits are the system's own (a caption double-click sends 0xF032).
  WPARAM cmd = WParam & 0xFFF0;
  if (cmd == SC_CLOSE && FDesigning) CloseActiveMenu();
  if (cmd == SC_MINIMIZE || cmd == SC_CLOSE) {
    for (auto* c : FloatingBarWindows(this))
      if (IsWindowVisible(c->Handle())) ShowWindow(c->Handle(), SW_HIDE);
  } else if (cmd == SC_MAXIMIZE || cmd == SC_RESTORE) {
    for (auto* c : FloatingBarWindows(this))
      if (c->Bar() && c->Bar()->Visible()) {
        ShowWindow(c->Handle(), SW_SHOWNOACTIVATE);
        UpdateWindow(c->Handle());
      }
  }
}

void TdxBarManager::FormWMHelp(const HELPINFO* Info) {
  if (FDesigning || !Info || Info->iContextType != HELPINFO_WINDOW) return;
  TCustomdxBarControl* bar = ActiveBarControl();
  TdxBarItemControl* c = bar ? bar->SelectedControl() : nullptr;
  if (!c && bar) {
    POINT p;
    GetCursorPos(&p);
    c = bar->ItemAtPos(bar->ScreenToClient(p));
  }
  THelpContext ctx = c && c->Item() ? c->Item()->HelpContext() : 0;
  if (!ctx && bar) ctx = bar->HelpContext();
  if (ctx && Application) Application->HelpContext(int(ctx));
}

void TdxBarManager::FormWMMDIActivate(HWND Activated) {
  if (FParentForm->FormStyle() == fsMDIChild) ActivateForm(Activated == FParentForm->Handle(), nullptr, true);
}

void TdxBarManager::ActivateForm(bool Active, HWND Other, bool MDIActivating) {
  if (FInFormActivate) return;
  FInFormActivate = true;
  struct TReset {
    bool& F;
    ~TReset() { F = false; }
  } reset{FInFormActivate};
  if (!Active) {
    TCustomdxBarControl* bar = ActiveBarControl();
    if (bar && IsBarControl(bar) &&
        (bar->BarManager() == this ||
         (IsCustomizing() && bar->BarManager() && bar->BarManager()->ParentForm() != dxBarCustomizingForm)))
      bar->DeactivateChain();
    // The form stays the user's while a window of its own takes over: a bar window, an in-place
    // editor, or the customizing dialog (the floating bars stay, to drop commands on).
    if (Other && GetWindowThreadProcessId(Other, nullptr) == GetCurrentThreadId() &&
        !(Application && Other == Application->Handle()) &&
        (!dynamic_cast<TCustomForm*>(FindControl(Other)) || (IsCustomizing() && Other == CustomizingDialog())))
      return;
    for (auto* c : FloatingBarWindows(this)) ShowWindow(c->Handle(), SW_HIDE);
    if (FParentForm->HandleAllocated() && !MDIActivating) SendMessageA(FParentForm->Handle(), WM_NCACTIVATE, FALSE, 0);
  } else if (!FParentForm->HandleAllocated() || !IsIconic(FParentForm->Handle())) {
    // A floating bar made visible while the form was hidden or inactive (form data, a stored layout,
    // the form's window made anew) gets its window now.
    for (int i = 0; i < FBars->Count(); ++i) {
      TdxBarControl* c = FBars->Items(i)->Control();
      if (!c || !IsBarControl(c) || c->DockingStyle() != dsNone || !FBars->Items(i)->Visible()) continue;
      c->HandleNeeded();
      c->SetVisible(true);
    }
    for (auto* c : FloatingBarWindows(this))
      if (c->Bar() && c->Bar()->Visible()) {
        ShowWindow(c->Handle(), SW_SHOWNOACTIVATE);
        UpdateWindow(c->Handle());
      }
  }
}

// Where no window manager stacks the windows (Wine's desktop), a focus change raises the focused
// window's top-level window above every other, the form's own floating bars too, and the system then
// lists the form above the bars it now covers. Owned windows belong in front of their owner: each bar
// over the form goes back on top, by way of a place just below the form, so that the move is a real
// one whether the system still lists the bar first or already lists it under the form.
void TdxBarManager::FloatingBarsToFront() {
  if (FDesigning || !FParentForm || !FParentForm->HandleAllocated()) return;
  // Called on every focus change in the thread: with no floating bar shown (the usual case) the walk
  // through the desktop's windows, each step a call to the window system under Wine, is left out.
  std::vector<HWND> floating;
  for (auto* c : FloatingBarWindows(this))
    if (IsWindowVisible(c->Handle())) floating.push_back(c->Handle());
  if (floating.empty()) return;
  HWND form = FParentForm->Handle();
  if (!IsWindowVisible(form) || IsIconic(form)) return;
  RECT fr;
  GetWindowRect(form, &fr);
  // The top-level windows from the top down, listed at once (a step from window to window would ask
  // the window system for the whole list again each time).
  std::vector<HWND> order;
  EnumWindows([](HWND h, LPARAM p) -> BOOL { return reinterpret_cast<std::vector<HWND>*>(p)->push_back(h), TRUE; },
              LPARAM(&order));
  std::vector<HWND> over;   // the bars over the form, the lowest first
  for (HWND h : order) {
    RECT br, both;
    if (std::find(floating.begin(), floating.end(), h) != floating.end() && GetWindowRect(h, &br) &&
        IntersectRect(&both, &br, &fr))
      over.insert(over.begin(), h);
  }
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  for (HWND bar : over) {
    SetWindowPos(bar, form, 0, 0, 0, 0, flags | SWP_NOREDRAW);
    SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0, flags);
  }
}

void TdxBarManager::FitFloatingBarsToWorkArea() {
  if (!FParentForm) return;
  RECT fr = FParentForm->BoundsRect();
  if (FParentForm->HandleAllocated()) GetWindowRect(FParentForm->Handle(), &fr);
  RECT work = GetWorkArea(POINT{(fr.left + fr.right) / 2, (fr.top + fr.bottom) / 2});
  for (int i = 0; i < FBars->Count(); ++i) {
    TdxBar* bar = FBars->Items(i);
    if (bar->DockingStyle() != dsNone) continue;
    TdxBarControl* c = bar->Control();
    RECT r;
    if (c && c->HandleAllocated()) {
      GetWindowRect(c->Handle(), &r);
    } else {
      r = RECT{bar->FloatLeft(), bar->FloatTop(), bar->FloatLeft() + bar->FloatClientWidth() + BarBorderWidth(dsNone),
               bar->FloatTop() + bar->FloatClientHeight() + BarBorderHeight(dsNone)};
    }
    int dx = 0, dy = 0;
    if (r.bottom > work.bottom) dy = work.bottom - r.bottom;
    if (r.top + dy < work.top) dy = work.top - r.top;
    if (r.right > work.right) dx = work.right - r.right;
    if (r.left + dx < work.left) dx = work.left - r.left;
    if (!dx && !dy) continue;
    if (c && c->HandleAllocated())
      SetWindowPos(c->Handle(), nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    else {
      bar->SetFloatLeft(r.left + dx);
      bar->SetFloatTop(r.top + dy);
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// MDI menu merge

void TdxBarManager::CheckMDIMerge() {
  if (!FParentForm || FParentForm->FormStyle() != fsMDIForm || !FMainMenuBar || !FParentForm->HandleAllocated()) return;
  HWND client = FindWindowExA(FParentForm->Handle(), nullptr, "MDICLIENT", nullptr);
  if (!client) return;
  BOOL maximized = FALSE;
  HWND active = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
  auto managerOf = [](HWND Wnd) { return GetBarManagerByForm(dynamic_cast<TCustomForm*>(FindControl(Wnd))); };
  if (active == FMDIActiveChild && bool(maximized) == FMDIChildMaximized) return;
  bool stateChanged = bool(maximized) != FMDIChildMaximized;
  if (FMDIActiveChild)
    if (TdxBarManager* old = managerOf(FMDIActiveChild)) UnmergeChildMenu(old);
  FMDIActiveChild = active;
  FMDIChildMaximized = maximized;
  if (active)
    if (TdxBarManager* child = managerOf(active)) MergeChildMenu(child);
  if (stateChanged)
    if (TdxBarControl* c = FMainMenuBar->Control()) c->RebuildBar();
}

void TdxBarManager::MergeChildMenu(TdxBarManager* AChild) {
  if (!AChild || AChild == this || !AChild->MainMenuBar() || !FMainMenuBar) return;
  TCustomForm* childForm = AChild->ParentForm();
  bool maximized = childForm && childForm->HandleAllocated() && IsZoomed(childForm->Handle());
  if (!maximized && !FAlwaysMerge) return;
  if (OnMenuMerge) {
    OnMenuMerge(this, AChild);
    return;
  }
  // Merged once: a second merge of the same child adds nothing.
  UnmergeChildMenu(AChild);
  TdxBarItemLinks* links = FMainMenuBar->ItemLinks();
  FMainMenuBar->LockBar(true);
  TdxBarItemLinks* from = AChild->MainMenuBar()->ItemLinks();
  for (int i = 0; i < from->Count(); ++i) links->Add()->Assign(from->Items(i));
  FMainMenuBar->LockBar(false);
  AChild->MainMenuBar()->SetVisible(false);
}

void TdxBarManager::UnmergeChildMenu(TdxBarManager* AChild) {
  if (!AChild || !FMainMenuBar) return;
  TdxBarItemLinks* links = FMainMenuBar->ItemLinks();
  for (int i = links->Count() - 1; i >= 0; --i)
    if (links->Items(i)->Item() && links->Items(i)->Item()->BarManager() == AChild) TObject::Free(links->Items(i));
  if (!FAlwaysMerge && AChild->MainMenuBar() && !AChild->MainMenuBar()->Visible())
    AChild->MainMenuBar()->SetVisible(true);
}
