#pragma once
// Command bars: the quick customization a toolbar's end mark opens ("More Buttons", "&Add or Remove
// Buttons") and its rows.

#include <windows.h>

#include "dxBarCommon.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarWindows.h"

// A check row of "&Add or Remove Buttons": it stands for one link of a toolbar and switches that link's
// Visible without closing the menu.
class TdxBarQuickCustItem : public TdxBarButton {
  YOZ_CLASS(TdxBarQuickCustItem, TdxBarButton)
public:
  explicit TdxBarQuickCustItem(TComponent* AOwner) : TdxBarButton(AOwner) {}
  // The toolbar link the row stands for, while it stands (nullptr otherwise).
  TdxBarItemLink* ToolbarLink() const;
  void SetToolbarLink(TdxBar* ABar, TdxBarItemLink* ALink);
  void Click() override;

private:
  TdxBar* FBar = nullptr;
  TdxBarItemLink* FToolbarLink = nullptr;
};

class TdxBarQuickCustItemControl : public TdxBarButtonControl {
  YOZ_CLASS(TdxBarQuickCustItemControl, TdxBarButtonControl)
public:
  explicit TdxBarQuickCustItemControl(TdxBarItemLink* ALink) : TdxBarButtonControl(ALink) {}
  bool ClosesSubMenuOnClick() override { return false; }
  int GetWidth() override;
  void Paint(HDC DC, RECT R, int State) override;
};

// "&Reset Toolbar" of "&Add or Remove Buttons".
class TdxBarQuickCustExtButton : public TdxBarButton {
  YOZ_CLASS(TdxBarQuickCustExtButton, TdxBarButton)
public:
  explicit TdxBarQuickCustExtButton(TComponent* AOwner) : TdxBarButton(AOwner) {}
};

class TdxBarQuickCustExtButtonControl : public TdxBarButtonControl {
  YOZ_CLASS(TdxBarQuickCustExtButtonControl, TdxBarButtonControl)
public:
  explicit TdxBarQuickCustExtButtonControl(TdxBarItemLink* ALink) : TdxBarButtonControl(ALink) {}
  int GetWidth() override;
  void Paint(HDC DC, RECT R, int State) override;
};

// Registers the two row classes above with the item-class registry (not listed for the dialogs), and
// tells the links which owners are these menus' own.
void dxBarRegisterQuickCustItems();

// The window a toolbar's end mark opens: the links that do not fit ("More Buttons") and "&Add or Remove
// Buttons". One exists at a time; it closes when its toolbar's mark returns to plain.
class TdxBarQuickControl : public TdxBarControl {
  YOZ_CLASS(TdxBarQuickControl, TdxBarControl)
public:
  // Made for the toolbar by its mark; MarkRect is the mark in screen coordinates.
  TdxBarQuickControl(TdxBarControl* AToolbar, RECT MarkRect);
  ~TdxBarQuickControl() override;
  void BeforeDestruction() override;
  static TdxBarQuickControl* Instance();
  // Opens one for the toolbar (closing another's), or closes the toolbar's own.
  static void Open(TdxBarControl* AToolbar);
  static void CloseFor(TdxBarControl* AToolbar);
  // A bar window other than the popup selects a control: the popup checks, 200 ms later, whether the
  // selection went to another toolbar.
  static void StartClosingTimer(TCustomdxBarControl* ASelecting);
  // The mouse hook's part: a press or release at a screen point on a window closes the popup when it
  // lies outside it and its toolbar's end mark.
  static void MouseMessage(HWND AWnd, UINT AMsg, POINT AScreen);
  TdxBarControl* Toolbar() const { return FToolbar; }
  TdxBar* HiddenBar() const { return FHiddenBar; }
  TdxBarSubItem* AddRemoveItem() const { return FAddRemove; }
  bool IsPopup() override { return true; }
  RECT FrameInsets(TdxBarDockingStyle S) override;
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void DeactivateChain() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void Close();
  void Place(RECT MarkRect);
  void FillAddRemove(TObject* Sender);
  void CustomizeClick(TObject* Sender);
  void ResetClick(TObject* Sender);
  TdxBarControl* FToolbar;
  TdxBars* FHiddenBars;
  TdxBar* FHiddenBar;
  TdxBarSubItem* FAddRemove = nullptr;
  bool FClosing = false;
};
