#include "StTrIcon.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

BOOL(WINAPI* StShellNotifyIcon)(DWORD Message, PNOTIFYICONDATAA Data) = Shell_NotifyIconA;

namespace {

constexpr int stscTrayIconAdd = 119;        // "Error adding tray icon"
constexpr int stscTrayIconError = 121;      // "Tray icon error"
constexpr int stscTrayIconClose = 127;      // "&Close"
constexpr int stscTrayIconRestore = 128;    // "&Restore"
constexpr int stscTrayIconDuplicate = 133;  // "Cannot have more than one StTrayIcon per application"
constexpr int stscTrayIconNoImages = 135;   // "ImageList is not assigned"

// Hands the exception being handled to the application (nothing may leave a window procedure).
void HandleException(TObject* Sender) {
  if (Application) Application->HandleException(Sender);
}

}  // namespace

TStCustomTrayIcon::TStCustomTrayIcon(TComponent* AOwner) : TStShellComponent(AOwner) {
  if (!Designing() && Screen) {
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* form = Screen->Forms(i);
      for (int j = 0; j < form->ComponentCount(); ++j) {
        TComponent* c = form->Components(j);
        if (c != this && dynamic_cast<TStCustomTrayIcon*>(c)) RaiseStError<EStTrayIconError>(stscTrayIconDuplicate);
      }
    }
  }
  FIcon = new TIcon();
  FCurrentIcon = new TIcon();
  FDefaultMenu = new TPopupMenu(nullptr);
  TMenuItem* item = new TMenuItem(FDefaultMenu);
  item->SetCaption(StKitString(stscTrayIconClose));
  item->OnClick = Bind(this, &TStCustomTrayIcon::DefaultMenuClose);
  FDefaultMenu->Items()->Add(item);
  item = new TMenuItem(FDefaultMenu);
  item->SetCaption(StKitString(stscTrayIconRestore));
  item->OnClick = Bind(this, &TStCustomTrayIcon::DefaultMenuRestore);
  FDefaultMenu->Items()->Add(item);
  FPopupMenu = FDefaultMenu;
  FWnd = AllocateHWnd(Bind(this, &TStCustomTrayIcon::NotifyWndProc));
}

TStCustomTrayIcon::~TStCustomTrayIcon() {
  *FAlive = false;
  if (!Designing()) DeleteIcon();
  if (FPopupMenu && FPopupMenu != FDefaultMenu) FPopupMenu->RemoveFreeNotification(this);
  if (FImages) FImages->RemoveFreeNotification(this);
  TObject::Free(FIcon);
  TObject::Free(FCurrentIcon);
  TObject::Free(FDefaultMenu);
  TObject::Free(FTimer);
  FTimer = nullptr;
  DeallocateHWnd(FWnd);
  FWnd = nullptr;
  RemoveHook();
}

void TStCustomTrayIcon::Loaded() {
  TStShellComponent::Loaded();
  // The picture first, so the icon is added with it.
  if (FIcon->HandleAllocated())
    FCurrentIcon->Assign(FIcon);
  else if (FImages)
    TakeImage(FImageIndex);
  if (FActive && !Designing()) {
    if (FInTray)
      ModifyIcon();
    else
      AddIcon();
  }
}

void TStCustomTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  TStShellComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
  if (AComponent == FImages) FImages = nullptr;
}

// ---------------------------------------------------------------------------------------------------
// The notification area

HICON TStCustomTrayIcon::IconHandle() {
  if (FCurrentIcon->HandleAllocated()) return FCurrentIcon->Handle();
  if (Application && Application->Icon() && Application->Icon()->HandleAllocated()) return Application->Icon()->Handle();
  return LoadIcon(nullptr, IDI_APPLICATION);
}

void TStCustomTrayIcon::FillData(NOTIFYICONDATAA& Data) {
  std::memset(&Data, 0, sizeof Data);
  Data.cbSize = sizeof Data;
  Data.hWnd = FWnd;
  Data.uID = StTrayIconID;
  Data.uFlags = NIF_MESSAGE | NIF_ICON | (FShowHint ? NIF_TIP : 0);
  Data.uCallbackMessage = StTrayCallbackMessage;
  Data.hIcon = IconHandle();
  // The tip keeps the classic 63 characters whatever room the structure has.
  size_t n = std::min<size_t>(FHint.size(), 63);
  std::memcpy(Data.szTip, FHint.data(), n);
  Data.szTip[n] = '\0';
}

void TStCustomTrayIcon::AddIcon() {
  if (FInTray) return;
  if (!Designing() && !ComponentState().Contains(csDestroying)) InstallHook();
  NOTIFYICONDATAA data;
  FillData(data);
  if (!StShellNotifyIcon(NIM_ADD, &data)) {
    FInTray = false;
    RaiseStError<EStTrayIconError>(stscTrayIconAdd);
  }
  FInTray = true;
}

void TStCustomTrayIcon::DeleteIcon() {
  if (!FInTray) return;
  NOTIFYICONDATAA data;
  FillData(data);
  StShellNotifyIcon(NIM_DELETE, &data);
  FInTray = false;
}

void TStCustomTrayIcon::ModifyIcon() {
  NOTIFYICONDATAA data;
  FillData(data);
  if (!StShellNotifyIcon(NIM_MODIFY, &data)) RaiseStError<EStTrayIconError>(stscTrayIconError);
}

void TStCustomTrayIcon::TakeImage(int32_t Index) {
  if (!FImages) return;
  // Lists are swapped under a kept index (the status list for the new-mail animation and back): an
  // index the list does not have shows no picture of its own rather than failing.
  if (Index < 0 || Index >= FImages->Count())
    FCurrentIcon->Assign(nullptr);
  else
    FImages->GetIcon(Index, FCurrentIcon);
}

// ---------------------------------------------------------------------------------------------------
// Properties. A picture change reaches the notification area only while the icon is there: changing
// an icon that was never added would fail.

void TStCustomTrayIcon::SetActive(bool Value) {
  if (Value) {
    if (!Designing()) AddIcon();
    FActive = true;
    if (FResumeAnimation || (FAnimate && !Animating())) {
      FResumeAnimation = false;
      FAnimate = false;
      SetAnimate(true);
    }
  } else {
    if (FAnimate) {
      SetAnimate(false);
      FResumeAnimation = true;
    }
    if (!Designing()) DeleteIcon();
    FActive = false;
  }
}

void TStCustomTrayIcon::SetHint(const std::string& Value) {
  if (Value == FHint) return;
  FHint = Value;
  if (FShowHint && FInTray) ModifyIcon();
}

void TStCustomTrayIcon::SetShowHint(bool Value) {
  if (Value == FShowHint) return;
  FShowHint = Value;
  if (FInTray) ModifyIcon();
}

void TStCustomTrayIcon::SetIcon(TIcon* Value) {
  FIcon->Assign(Value);
  FCurrentIcon->Assign(Value);
  if (FInTray) ModifyIcon();
}

void TStCustomTrayIcon::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  if (!ComponentState().Contains(csLoading) && !FIcon->HandleAllocated() && FImages) {
    TakeImage(FImageIndex);
    if (FInTray) ModifyIcon();
  }
}

void TStCustomTrayIcon::SetImageIndex(int32_t Value) {
  FImageIndex = Value;
  if (!FInTray) {
    // Kept for when the icon is added, so it does not come back with an older picture.
    if (FImages && !FIcon->HandleAllocated()) TakeImage(Value);
    return;
  }
  if (!FImages) RaiseStError<EStTrayIconError>(stscTrayIconNoImages);
  TakeImage(Value);
  ModifyIcon();
}

void TStCustomTrayIcon::SetInterval(int32_t Value) {
  FInterval = Value;
  if (FTimer) FTimer->SetInterval(uint32_t(std::max(Value, 0)));
}

void TStCustomTrayIcon::SetAnimate(bool Value) {
  // Switched off while the icon is away (the pause already reads off): it must not come back animating.
  if (!Value) FResumeAnimation = false;
  if (Value == FAnimate) return;
  FAnimate = Value;
  if (!FActive || Designing()) return;
  FResumeAnimation = Value;
  if (Value) {
    if (FInterval == 0) FInterval = 200;
    StartTimer();
  } else {
    StopTimer();
    if (FIcon->HandleAllocated())
      FCurrentIcon->Assign(FIcon);
    else
      TakeImage(FImageIndex);
    if (FInTray) ModifyIcon();
  }
}

void TStCustomTrayIcon::SetPopupMenu(TPopupMenu* Value) {
  if (Value == FPopupMenu) return;
  if (FPopupMenu && FPopupMenu != FDefaultMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu && FPopupMenu != FDefaultMenu) FPopupMenu->FreeNotification(this);
}

// ---------------------------------------------------------------------------------------------------
// Animation

void TStCustomTrayIcon::StartTimer() {
  if (!FTimer) {
    FTimer = new TTimer(this);
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer(Bind(this, &TStCustomTrayIcon::NextFrame));
  }
  FTimer->SetInterval(uint32_t(std::max(FInterval, 0)));
  FTimer->SetEnabled(true);
}

void TStCustomTrayIcon::StopTimer() {
  if (FTimer) FTimer->SetEnabled(false);
}

void TStCustomTrayIcon::NextFrame(TObject*) {
  if (!FImages || !FInTray) return;
  int32_t count = FImages->Count();
  if (count <= 0) return;
  if (FFrame >= count) FFrame = 0;
  TakeImage(FFrame);
  try {
    ModifyIcon();
  } catch (const EStTrayIconError&) {
    // Said once: the next ticks would only say it again, one message box after another.
    StopTimer();
    FAnimate = false;
    FResumeAnimation = false;
    throw;
  }
  FFrame = FFrame + 1 >= count ? 0 : FFrame + 1;
}

// ---------------------------------------------------------------------------------------------------
// The icon's window and the owner form's hook

UINT TStCustomTrayIcon::TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

void TStCustomTrayIcon::NotifyWndProc(TMessage& Message) {
  Message.Result = 0;
  std::shared_ptr<bool> alive = FAlive;
  try {
    switch (Message.Msg) {
      case StTrayCallbackMessage: {
        TShiftState shift = GetShiftState();
        switch (LOWORD(Message.LParam)) {
          case WM_LBUTTONDOWN:
            OnClick(this, mbLeft, shift);
            break;
          case WM_MBUTTONDOWN:
            OnClick(this, mbMiddle, shift);
            break;
          case WM_RBUTTONDOWN:
            if (FPopupMenu) {
              if (Application) {
                SetForegroundWindow(Application->Handle());
                Application->ProcessMessages();
              }
              // The waiting messages may have freed the menu or the icon.
              TPopupMenu* menu = *alive ? FPopupMenu : nullptr;
              if (!menu) break;
              POINT p{};
              GetCursorPos(&p);
              menu->SetAutoPopup(false);
              menu->SetPopupComponent(Owner());
              menu->Popup(p.x, p.y);
            }
            break;
          case WM_LBUTTONDBLCLK:
          case WM_RBUTTONDBLCLK:
          case WM_MBUTTONDBLCLK: {
            UINT m = LOWORD(Message.LParam);
            TMouseButton button = m == WM_LBUTTONDBLCLK ? mbLeft : m == WM_RBUTTONDBLCLK ? mbRight : mbMiddle;
            bool restore = true;
            OnDblClick(this, button, shift, restore);
            if (restore && *alive) RestoreOwner();
            break;
          }
        }
        break;
      }
      case WM_QUERYENDSESSION:
        Message.Result = 1;
        break;
      default:
        // A restarted task bar (Explorer ending, an update, a new remote session) has lost every
        // icon and says so to each top-level window: put ours back as it was, with its current
        // frame and tip; a running animation goes on with the next frame.
        if (Message.Msg == TaskbarCreatedMessage() && FInTray) {
          NOTIFYICONDATAA data;
          FillData(data);
          // A task bar that still shows the icon (the message came without a restart) only gets
          // it brought up to date.
          if (!StShellNotifyIcon(NIM_ADD, &data)) ModifyIcon();
        }
        break;
    }
  } catch (...) {
    HandleException(this);
  }
}

void TStCustomTrayIcon::RestoreOwner() {
  std::shared_ptr<bool> alive = FAlive;
  OnRestore(this);
  if (!*alive) return;
  if (auto* form = dynamic_cast<TCustomForm*>(Owner())) {
    if (form->WindowState() == wsMinimized && FStartupCount >= 2) form->SetWindowState(wsNormal);
    form->Show();
    if (!*alive) return;
    if (form->HandleAllocated()) SetForegroundWindow(form->Handle());
  }
  // In this class library the main form carries the taskbar button; the application's own window is
  // a hidden utility window that needs no showing.
  if (Application) {
    Application->Restore();
    Application->BringToFront();
    if (!*alive) return;
  }
  if (FHideOnRestore) DeleteIcon();
}

void TStCustomTrayIcon::DefaultMenuClose(TObject*) { PostQuitMessage(0); }

void TStCustomTrayIcon::DefaultMenuRestore(TObject*) { RestoreOwner(); }

void TStCustomTrayIcon::InstallHook() {
  if (FHookedWnd) return;
  auto* form = dynamic_cast<TCustomForm*>(Owner());
  if (!form) return;
  HWND wnd = form->Handle();
  if (SetWindowSubclass(wnd, &TStCustomTrayIcon::OwnerHook, reinterpret_cast<UINT_PTR>(this),
                        reinterpret_cast<DWORD_PTR>(this)))
    FHookedWnd = wnd;
}

void TStCustomTrayIcon::RemoveHook() {
  if (FHookedWnd && IsWindow(FHookedWnd))
    RemoveWindowSubclass(FHookedWnd, &TStCustomTrayIcon::OwnerHook, reinterpret_cast<UINT_PTR>(this));
  FHookedWnd = nullptr;
}

LRESULT CALLBACK TStCustomTrayIcon::OwnerHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR,
                                             DWORD_PTR RefData) {
  return reinterpret_cast<TStCustomTrayIcon*>(RefData)->HookMessage(Wnd, Msg, WParam, LParam);
}

LRESULT TStCustomTrayIcon::HookMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* form = dynamic_cast<TCustomForm*>(Owner());
  switch (Msg) {
    case WM_WINDOWPOSCHANGED:
      // An owner that starts minimised goes straight to the tray.
      if (FStartupCount < 2 && form) {
        if (form->WindowState() == wsMinimized) {
          ShowWindow(Wnd, SW_HIDE);
          ++FStartupCount;
        } else {
          FStartupCount = 2;
        }
      }
      break;
    case WM_SYSCOMMAND: {
      WPARAM cmd = WParam & 0xFFF0;
      std::shared_ptr<bool> alive = FAlive;
      try {
        if (cmd == SC_MINIMIZE) OnMinimize(this);
        // A handler that freed the icon has taken the hook away, and maybe the window.
        if (!*alive) return IsWindow(Wnd) ? DefSubclassProc(Wnd, Msg, WParam, LParam) : 0;
        if (((cmd == SC_MINIMIZE && FMinimizeToTray) || (cmd == SC_CLOSE && FCloseToTray)) && FActive) {
          try {
            AddIcon();
            if (form) form->Hide();
          } catch (...) {
            HandleException(this);
          }
          return 0;
        }
      } catch (...) {
        HandleException(this);
        if (!*alive) return IsWindow(Wnd) ? DefSubclassProc(Wnd, Msg, WParam, LParam) : 0;
      }
      break;
    }
    case WM_NCDESTROY: {
      // The window goes: a new window of the form gets the hook when the icon is next added.
      RemoveWindowSubclass(Wnd, &TStCustomTrayIcon::OwnerHook, reinterpret_cast<UINT_PTR>(this));
      FHookedWnd = nullptr;
      return DefSubclassProc(Wnd, Msg, WParam, LParam);
    }
  }
  return DefSubclassProc(Wnd, Msg, WParam, LParam);
}

// ---------------------------------------------------------------------------------------------------

void TStTrayIcon::Publish(TPublisher<TStTrayIcon>& p) {
  using T = TStTrayIcon;
  p.Bool("Active", &T::Active, &T::SetActive).Default(1);
  p.Bool("Animate", &T::Animate, &T::SetAnimate).Default(0);
  p.Bool("CloseToTray", &T::CloseToTray, &T::SetCloseToTray).Default(1);
  p.Bool("HideOnRestore", &T::HideOnRestore, &T::SetHideOnRestore).Default(0);
  p.Str("Hint", &T::Hint, &T::SetHint);
  p.Object("Icon", &T::Icon);
  p.Ref("Images", &T::Images, &T::SetImages);
  p.Int("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(0);
  p.Int("Interval", &T::Interval, &T::SetInterval).Default(250);
  p.Bool("MinimizeToTray", &T::MinimizeToTray, &T::SetMinimizeToTray).Default(0);
  p.Ref("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
  p.Bool("ShowHint", &T::ShowHint, &T::SetShowHint).Default(1);
  p.Event("OnClick", &T::OnClick);
  p.Event("OnDblClick", &T::OnDblClick);
  p.Event("OnMinimize", &T::OnMinimize);
  p.Event("OnRestore", &T::OnRestore);
}

void StTrIconInitialize() { RegisterClass(TStTrayIcon::StaticClass()); }
