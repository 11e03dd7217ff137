#pragma once
// Command bars: the sub-menu window, its animation, and the popup menu component whose window it is.

#include <windows.h>

#include <utility>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "dxBarCommon.h"
#include "dxBarItems.h"
#include "dxBarWindows.h"

// A sub-menu or popup window: one column of rows placed beside its opener (flipped when it does not
// fit), scroll rows when it is taller than the work area, an expand button for personalised menus that
// hide rarely used links, and an opening animation drawn by a worker thread.
class TdxBarSubMenuControl : public TCustomdxBarControl {
  YOZ_CLASS(TdxBarSubMenuControl, TCustomdxBarControl)
public:
  explicit TdxBarSubMenuControl(TdxBarManager* ABarManager);
  ~TdxBarSubMenuControl() override;
  void BeforeDestruction() override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;

  void CalcDrawingConsts() override;
  bool CanCustomize() override;
  TFont* GetEffectiveFont() override;
  RECT GetItemPartRect(TdxBarItemControl* AControl, int Part) override;
  bool IsPopup() override { return true; }
  void RepaintItem(TdxBarItemControl* AControl) override;
  void SetActive(bool Value) override;
  void SetSelectedItem(TdxBarItemControl* AControl) override;
  void DeactivateChain() override;
  void RebuildBar() override;
  void CreateControls() override;
  void DestroyControls() override;
  // 0 plain, 1 expand button hot, 2 expand.
  void SetMarkState(int Value) override;
  TdxBarItemControl* GetDropInfo(POINT P, bool& Outside, bool& Vertical, bool& Before) override;

  // Set by the opener before Show: the item control that opened the menu and its size (the distance
  // of a flip; 0 for a popup at a point), the directions (right, down) and an owner window.
  TdxBarItemControl* Opener = nullptr;
  int OpenerWidth = 0, OpenerHeight = 0;
  bool OpensRight = true, OpensDown = true;
  HWND OwnerWindow = nullptr;
  // The sub-menu opened from one of this menu's rows (freed with this one).
  TdxBarSubMenuControl* ChildSubMenu = nullptr;
  // The parent's item control the parent keeps selected while the cursor is in this window.
  TdxBarItemControl* ReselectControl = nullptr;
  TNotifyEvent OnAfterDestroy, OnBeforeShow;
  // Cleared by a popup menu opened without animation.
  bool AllowAnimation = true;
  // Shows the window at (Left, Top), animated when the manager asks for it.
  void Show();
  // A top-level popup closes itself (and is freed); a sub-menu closes through its parent.
  void CloseMenu();

  // Layout: the scroll position, the rows that fit, the scroll rows and the expand button.
  int FirstVisibleIndex() const { return FFirstVisible; }
  void SetFirstVisibleIndex(int Value);
  int FitCount() const { return FFitCount; }
  bool CanScrollUp() const { return FFirstVisible >= 1; }
  bool CanScrollDown() const;
  bool HasHiddenLinks();
  RECT ExpandButtonRect();
  RECT ScrollRowRect(bool Down);
  SIZE MeasureSize();
  bool Closing() const { return FClosing; }
  bool Animating() const { return FAnimate; }
  // A row is rare when it lies outside the recently used links of an expanded personalised menu.
  bool IsRare(TdxBarItemLink* ALink) const;
  TdxBarItemControl* ItemAtPos(POINT P) override;
  // Ends a running animation of this window: the window has its final bounds afterwards (unless it is
  // closing).
  void StopAnimation(bool Closing = false);
  // Paints the whole menu into any device context (the window, the animation's image, tests).
  void PaintMenu(HDC DC);

protected:
  void WMKeyDown(TMessage& Message) override;
  void WMLButtonDown(TMessage& Message) override;
  void WMMouseMove(TMessage& Message) override;

private:
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMTimer(TMessage& Message);
  void Paint() override;
  void CalcLayout(bool Measuring, SIZE* Size = nullptr);
  void PlaceWindow();
  void Expand();
  void StartAnimation();
  void StopScrollTimer();
  void StopDelayTimer();
  void StartDelayTimer(UINT Id, UINT Ms);
  void MakeRareBrush();
  void FreeRareBrush();
  void KeepSelectionVisible();
  HBRUSH RowBrush(TdxBarItemControl* AControl);
  void PaintRow(HDC DC, TdxBarItemControl* AControl);

  bool FRebuildingControls = false;
  bool FRecreating = false;
  bool FClosing = false;
  bool FAnimate = false;
  bool FFlippedH = false, FFlippedV = false;
  bool FRebuilding = false;
  UINT_PTR FDelayTimer = 0;
  UINT_PTR FScrollTimer = 0;
  HBRUSH FRareBrush = nullptr;
  HPALETTE FRarePalette = nullptr;
  int FExpandButtonHeight = 0;
  TdxBarMenuAnimations FAnimationStyle = maNone;
  POINT FHome{0, 0};
  std::vector<std::pair<TdxBarItemLink*, int>> FContainerLinks;
  int FFirstVisible = 0;
  int FFitCount = 0;
  POINT FLastScrollCursor{-1, -1};
  int FScrollBy = 0;
};

// Whether personalised menus of the open chain show all their links (set by expanding, and to the
// customizing state when the first bar window of a chain becomes active).
bool dxBarMenusExpanded();
void dxBarSetMenusExpanded(bool Value);
// The window whose opening animation runs, or nullptr; the screen rectangle it is growing to.
TdxBarSubMenuControl* dxBarAnimatedMenu();
RECT dxBarAnimatedMenuBounds();

// Waits for a menu animation thread to end. Only messages sent by other threads are handled meanwhile:
// input stays queued, in order, for after the animation.
void dxBarWaitForAnimation(HANDLE Thread);

// ---------------------------------------------------------------------------------------------------
// A menu of item links shown at a screen point: the context menus of controls, the drop-down menus of
// buttons and the customizing dialog's menus. Its window is a sub-menu window made by its links.

class TdxBarPopupMenu : public TComponent {
  YOZ_CLASS(TdxBarPopupMenu, TComponent)
public:
  explicit TdxBarPopupMenu(TComponent* AOwner);
  ~TdxBarPopupMenu() override;
  void BeforeDestruction() override;
  void Loaded() override;

  TdxBarManager* BarManager() const { return FBarManager; }
  void SetBarManager(TdxBarManager* Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  virtual TdxBarItemLinks* ItemLinks() const { return FItemLinks; }
  void SetItemLinks(TdxBarItemLinks* Value) { FItemLinks->Assign(Value); }
  bool UseOwnFont() const { return FUseOwnFont; }
  void SetUseOwnFont(bool Value);
  bool UseRecentItems() const { return FUseRecentItems; }
  void SetUseRecentItems(bool Value);
  HFONT VerticalFontHandle() const { return FVertFont; }
  TNotifyEvent OnCloseUp, OnPopup;
  static void Publish(TPublisher<TdxBarPopupMenu>& p);

  // Opens the menu at a screen point and, unless NoWait is set, returns once it closed.
  void Popup(int X, int Y);
  // The same with the size of the area the menu belongs to (a button) and without animation on request.
  void PopupEx(int X, int Y, bool Animate, int Height, int Width);
  bool Showing() const { return FShowing; }
  bool NoWait = false;
  // Set around Popup by a button's drop-down: the menu window joins the opener's bar in its menu chain.
  TdxBarItemControl* OpenerControl = nullptr;
  virtual void ManagerFontChanged();
  // The popup menu's own notice to the designer.
  virtual void DesignerModified();

private:
  void FontChanged(TObject* Sender);
  void WindowClosed(TObject* Sender);
  void WindowShowing(TObject* Sender);
  void DetachClosedWindow();

  TdxBarManager* FBarManager = nullptr;
  HFONT FVertFont = nullptr;
  TFont* FFont = nullptr;
  TdxBarItemLinks* FItemLinks = nullptr;
  int FOwnerWidth = 0, FOwnerHeight = 0;
  bool FShowing = false;
  bool FAnimate = true;
  bool FUseOwnFont = false;
  bool FUseRecentItems = false;
  bool FSettingFont = false;
  // Cleared by the destructor: a menu loop learns that a click handler freed the popup menu.
  std::vector<bool*> FAliveFlags;
};

// Opens a popup menu at a screen point; the popup component sets it (until then menus open nowhere).
void dxBarSetPopupMenuOpener(void (*Opener)(TdxBarPopupMenu*, POINT));
