// Tray icon: one icon for the application in the notification area, with a tip, a popup menu, click
// events and an animation through the images of an image list; it hides its owner form to the tray
// when that is minimised or closed.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Controls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Graphics.h"
#include "ImgList.h"
#include "Menus.h"
#include "StShBase.h"

using TTrayClickEvent = TEvent<TObject*, TMouseButton, TShiftState>;
using TTrayDblClickEvent = TEvent<TObject*, TMouseButton, TShiftState, bool&>;

// The message the notification area sends to the icon's window.
constexpr UINT StTrayCallbackMessage = 0x6FF;
constexpr UINT StTrayIconID = 2;

// The shell call that adds, changes and removes the icon; tests put their own in its place.
extern BOOL(WINAPI* StShellNotifyIcon)(DWORD Message, PNOTIFYICONDATAA Data);

class TStCustomTrayIcon : public TStShellComponent {
  YOZ_CLASS(TStCustomTrayIcon, TStShellComponent)
public:
  // Refuses (EStTrayIconError) a second tray icon among the screen's forms.
  explicit TStCustomTrayIcon(TComponent* AOwner);
  ~TStCustomTrayIcon() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool Animate() const { return FAnimate; }
  void SetAnimate(bool Value);
  bool CloseToTray() const { return FCloseToTray; }
  void SetCloseToTray(bool Value) { FCloseToTray = Value; }
  bool HideOnRestore() const { return FHideOnRestore; }
  void SetHideOnRestore(bool Value) { FHideOnRestore = Value; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  TIcon* Icon() const { return FIcon; }
  void SetIcon(TIcon* Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  int32_t ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int32_t Value);
  int32_t Interval() const { return FInterval; }
  void SetInterval(int32_t Value);
  bool MinimizeToTray() const { return FMinimizeToTray; }
  void SetMinimizeToTray(bool Value) { FMinimizeToTray = Value; }
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);

  TTrayClickEvent OnClick;
  TTrayDblClickEvent OnDblClick;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // The icon is in the notification area now.
  bool InTray() const { return FInTray; }
  // The hidden window that receives the icon's callback messages.
  HWND NotifyWindow() const { return FWnd; }
  // Brings the owner form back from the tray.
  void RestoreOwner();

private:
  void AddIcon();
  void DeleteIcon();
  void ModifyIcon();
  void FillData(NOTIFYICONDATAA& Data);
  HICON IconHandle();
  // Current icon := the image at Index of Images.
  void TakeImage(int32_t Index);
  void StartTimer();
  void StopTimer();
  void NextFrame(TObject* Sender);
  bool Animating() const { return FTimer && FTimer->Enabled(); }
  void NotifyWndProc(TMessage& Message);
  // The message a (re)started task bar sends every top-level window.
  static UINT TaskbarCreatedMessage();
  void InstallHook();
  void RemoveHook();
  static LRESULT CALLBACK OwnerHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR Id,
                                    DWORD_PTR RefData);
  LRESULT HookMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void DefaultMenuClose(TObject* Sender);
  void DefaultMenuRestore(TObject* Sender);
  bool Designing() const { return ComponentState().Contains(csDesigning); }

  bool FActive = true;
  bool FAnimate = false;
  bool FCloseToTray = true;
  bool FHideOnRestore = false;
  std::string FHint;
  TIcon* FIcon = nullptr;
  TCustomImageList* FImages = nullptr;
  int32_t FImageIndex = 0;
  int32_t FInterval = 250;
  bool FMinimizeToTray = false;
  TPopupMenu* FPopupMenu = nullptr;
  bool FShowHint = true;
  bool FInTray = false;
  HWND FWnd = nullptr;
  HWND FHookedWnd = nullptr;  // the owner form's window while the hook is installed
  uint8_t FStartupCount = 0;
  TTimer* FTimer = nullptr;  // made on the first animation, owned by the icon
  int32_t FFrame = 0;
  TIcon* FCurrentIcon = nullptr;
  TPopupMenu* FDefaultMenu = nullptr;
  bool FResumeAnimation = false;
  // Cleared when the icon is destroyed: code after an event handler checks it, since the handler may
  // have freed the owner form and the icon with it.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TStTrayIcon : public TStCustomTrayIcon {
  YOZ_CLASS(TStTrayIcon, TStCustomTrayIcon)
public:
  explicit TStTrayIcon(TComponent* AOwner) : TStCustomTrayIcon(AOwner) {}
  static void Publish(TPublisher<TStTrayIcon>& p);
};

// Unit start: makes the tray icon known to form resources.
void StTrIconInitialize();
