#pragma once
// Command bars: the bar windows (the common window of toolbars and menus, the toolbar window) and the
// thread message hooks that drive their menu mode.

#include <windows.h>

#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "dxBarCommon.h"

// ---------------------------------------------------------------------------------------------------
// Windows: the seams the bookkeeping relies on. The toolbar and menu windows fill in layout, drawing and
// input; here they only exist, list their links and keep their place.

class TCustomdxBarControl : public TCustomControl {
  YOZ_CLASS(TCustomdxBarControl, TCustomControl)
public:
  explicit TCustomdxBarControl(TdxBarManager* ABarManager);
  ~TCustomdxBarControl() override;
  void BeforeDestruction() override;

  TdxBarManager* BarManager() const { return FBarManager; }
  TdxBarItemLinks* ItemLinks() const { return FItemLinks; }
  void SetItemLinks(TdxBarItemLinks* Value) { FItemLinks = Value; }
  TdxBarDockingStyle DockingStyle() const { return FDockingStyle; }
  TCustomdxBarControl* ParentBar() const { return FParentBar; }
  void SetParentBar(TCustomdxBarControl* Value) { FParentBar = Value; }
  TdxBarItemControl* SelectedControl() const { return FSelectedControl; }
  void ClearSelection() { FSelectedControl = nullptr; }
  bool Active() const { return FActive; }
  bool Destroying() const { return ComponentState().Contains(csDestroying); }
  // The next mouse move counts even when the cursor has not moved.
  void ResetLastCursor() { FLastCursor = POINT{-1, -1}; }

  virtual void CreateControls();
  virtual void DestroyControls();
  virtual bool IsCustomizing();
  virtual void SetDockingStyle(TdxBarDockingStyle Value);
  virtual void SetActive(bool Value);
  virtual void DeactivateChain();
  virtual void RebuildBar() {}
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  // The end mark of a toolbar (0 plain, 1 hot, 2 open); sub-menus give it their own meaning.
  virtual void SetMarkState(int Value) { FMarkState = Value; }
  int MarkState() const { return FMarkState; }
  TdxBarItemControl* PressedControl() const { return FPressedControl; }
  // The drop target for a dragged item at a client point; the regions it tests are its own.
  virtual TdxBarItemControl* GetDropInfo(POINT P, bool& Outside, bool& Vertical, bool& Before);
  virtual bool IsMousePosUnchanged(POINT P);

  // Hit testing, selection and item painting.
  virtual void CalcDrawingConsts();
  virtual bool CanCustomize();
  virtual TFont* GetEffectiveFont();
  virtual RECT GetItemRect(TdxBarItemControl* AControl);
  virtual RECT GetItemPartRect(TdxBarItemControl* AControl, int Part) { return GetItemRect(AControl); }
  // A new region; the caller deletes it.
  virtual HRGN GetItemRegion(TdxBarItemControl* AControl);
  virtual bool IsPopup() { return false; }
  bool IsAncestorOf(TCustomdxBarControl* AControl);
  virtual TdxBarItemControl* ItemAtPos(POINT P);
  virtual void RepaintItem(TdxBarItemControl* AControl);
  virtual void RepaintSelection(TdxBarItemControl* APrev);
  virtual void SelectItem(TdxBarItemControl* AControl);
  virtual void DropDownItem(TdxBarItemControl* AControl);
  virtual void SetSelectedItem(TdxBarItemControl* AControl);
  // Paints one control into any device context: the window's own painting and off-screen tests alike.
  // While customizing, the selected control gets its customizing frame on top.
  void PaintItemTo(HDC DC, TdxBarItemControl* AControl, int State);
  // Whether AControl shows the customizing frame: it is selected here and is the manager's customizing
  // selection, or a customizing drag carries its link.
  bool HasCustomizingFrame(TdxBarItemControl* AControl);
  HBRUSH BkBrush() const { return FBkBrush; }
  int TextSize() const { return FTextSize; }
  int EffectiveTextSize() const { return FEffTextSize; }
  int ComboArrowWidth() const { return FComboArrowWidth; }
  bool LockControls() const { return FLockControls; }
  // The bar closes its selected control's drop-down itself (another control takes the selection, or
  // the bar leaves menu mode): the closing menu leaves the bar's menu mode alone.
  bool ClosingDropDown() const { return FClosingDropDown; }

protected:
  // Closes the selected control's drop-down as the bar's own doing (see ClosingDropDown).
  void CloseSelectedDropDown();
  void CreateWindowHandle(const TCreateParams& Params) override;
  void DestroyWindowHandle() override;
  // Input, each after the class library's own handling.
  virtual void WMLButtonDown(TMessage& Message);
  virtual void WMLButtonUp(TMessage& Message);
  virtual void WMMouseMove(TMessage& Message);
  virtual void WMMouseLeave(TMessage& Message);
  virtual void WMRButtonDown(TMessage& Message);
  virtual void WMKeyDown(TMessage& Message);
  bool ClientHolds(POINT P);
  void GiveFocusAway();

  TdxBarManager* FBarManager;
  TdxBarItemLinks* FItemLinks = nullptr;
  TdxBarDockingStyle FDockingStyle = dsNone;
  TCustomdxBarControl* FParentBar = nullptr;
  TCustomdxBarControl* FPrevActive = nullptr;
  TdxBarItemControl* FSelectedControl = nullptr;
  bool FActive = false;
  bool FLockControls = false;
  bool FClosingDropDown = false;
  HBRUSH FBkBrush = GetSysColorBrush(COLOR_BTNFACE);
  int FTextSize = 19, FEffTextSize = 19, FSubMenuTextSize = 15, FComboArrowWidth = 11;
  POINT FLastCursor{-1, -1};
  TdxBarItemControl* FPressedControl = nullptr;
  bool FPressedUnderMouse = false;
  bool FDragPending = false;
  POINT FDownPoint{};
  bool FSkipButton = false;
  int FMarkState = 0;
};

// The window of one bar: its items laid out in rows (floating) or one row or column (docked), a grip
// or a caption with a close button, the end mark, and the window's place written back into the bar.
class TdxBarControl : public TCustomdxBarControl {
  YOZ_CLASS(TdxBarControl, TCustomdxBarControl)
public:
  TdxBarControl(TdxBarManager* ABarManager, TdxBar* ABar);
  void BeforeDestruction() override;
  void CreateWnd() override;
  TdxBar* Bar() const { return FBar; }
  // Writes where the window is into the bar (side, row, offset or floating place).
  virtual void StoreBarPosition();
  // The window's outer size for a floating client size (0: the bar's natural size).
  virtual SIZE GetFloatingSize(int ClientWidth, int ClientHeight);
  // Where the cursor grips the window: the middle of a floating caption, or during a drag the grab
  // point kept in proportion to the window's size.
  virtual POINT CaptionOffset();
  virtual void SetMoving(bool Value);
  bool Moving() const { return FMoving; }
  void SetCreatingState(bool Value) { FCreating = Value; }
  bool Creating() const { return FCreating; }
  // The dock row the window sits in, kept by the dock site.
  int DockRow = 0;
  bool DockOneOnRow = false;
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void RebuildBar() override;
  void SetDockingStyle(TdxBarDockingStyle Value) override;
  void SetMarkState(int Value) override;
  void DeactivateChain() override;
  void SetActive(bool Value) override;
  void SelectItem(TdxBarItemControl* AControl) override;
  bool CanCustomize() override;
  TFont* GetEffectiveFont() override;
  RECT GetItemRect(TdxBarItemControl* AControl) override;
  HRGN GetItemRegion(TdxBarItemControl* AControl) override;
  void RepaintItem(TdxBarItemControl* AControl) override;
  TdxBarItemControl* GetDropInfo(POINT P, bool& Outside, bool& Vertical, bool& Before) override;
  bool IsMousePosUnchanged(POINT P) override;
  virtual void EnterMenuMode(TdxBarItemControl* AControl);
  virtual void ExitMenuMode();
  bool MenuOpen() const { return FMenuOpen; }
  void SetMenuOpen(bool Value) { FMenuOpen = Value; }

  // Layout: places the shown links' controls in the client area (ClientW x ClientH; -1: the window's).
  void CalcLayout(int ClientW = -1, int ClientH = -1);
  bool Vertical() const { return FDockingStyle == dsLeft || FDockingStyle == dsRight; }
  bool HasHiddenItems() const { return FHasHiddenItems; }
  // The dock lays the bar out anew: nothing hidden, and a personalised bar shows all its links again.
  void ClearHiddenItems();
  // A docked bar of the enhanced style whose links keep their recent use: it drops rarely used links
  // to fit.
  bool Personalised();
  bool MarkShown();
  bool CaptionButtonsShown();
  // The caption-button area: its length along the bar (0 when none).
  int CaptionButtonArea(bool AVertical);
  // Measures of the client area for a docking style.
  int MinWidth(TdxBarDockingStyle S);
  int MinHeight(TdxBarDockingStyle S);
  int FullWidth(TdxBarDockingStyle S);
  int FullHeight(TdxBarDockingStyle S);
  // The client size that a client width (or height) leads to.
  SIZE GetSizeForWidth(TdxBarDockingStyle S, int Width);
  SIZE GetSizeForHeight(TdxBarDockingStyle S, int Height);
  // The non-client band: left, top, right, bottom insets of the client area for a docking style.
  virtual RECT FrameInsets(TdxBarDockingStyle S);
  // The next left press and release on the window are ignored (a popup that just closed on it).
  void SkipNextButton() { FSkipButton = true; }
  // Client rectangles of the end mark and the close button (the caption's, in window coordinates,
  // when floating).
  RECT MarkRect();
  // Whether a client point lies on the end mark that opens the quick customization.
  bool MarkHolds(POINT P);
  RECT CloseButtonRect();
  RECT CaptionRect();
  int HitCode() const { return FHitCode; }
  // Painting into any device context: the client area, and the non-client band in window coordinates.
  void PaintClientTo(HDC DC);
  void PaintFrameTo(HDC DC);
  // Docks a floating bar or floats a docked one, as a double click on the grip or caption does.
  void ToggleDocking();

protected:
  void Paint() override;
  void DestroyWindowHandle() override;
  void WMLButtonDown(TMessage& Message) override;
  void WMLButtonUp(TMessage& Message) override;
  void WMMouseMove(TMessage& Message) override;
  void WMKeyDown(TMessage& Message) override;
  void WMRButtonDown(TMessage& Message) override;

private:
  // Dispatch's messages, one handler each.
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMNCActivate(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  void WMNCLButtonDown(TMessage& Message);
  void WMSizing(TMessage& Message);
  void WMWindowPosChanging(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMSize(TMessage& Message);
  void WMTimer(TMessage& Message);
  void WMDestroy(TMessage& Message);
  void WMMouseActivate(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  void WMCaptureChanged(TMessage& Message);
  void WMCancelMode(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  // Layout and painting, piece by piece.
  int FullLength(TdxBarDockingStyle S, bool AVertical);
  bool PlaceItems(const std::vector<TdxBarItemLink*>& Links, int ClientW, int ClientH, bool Mark, bool Dropped);
  void PaintItemsTo(HDC DC, HRGN Rest);
  RECT PaintCloseButtonTo(HDC DC);
  RECT PaintMarkTo(HDC DC);
  void PaintGripTo(HDC DC, HRGN Band);
  void PaintCaptionTo(HDC DC);
  void CloseButtonLoop();
  // Drops the least recently used links until the rest fit in Length along the bar; their length.
  int FitPersonalised(int Length);
  void Sizing(TMessage& Message);
  void PositionChanging(WINDOWPOS* P);
  void Destroyed();
  void StopMarkTimer();
  // Resizing an edit while customizing: the cursor over its edges, the drag and its inverted frame.
  TdxBarEditControl* SizableEdit();
  bool EditSizingCursor();
  void StartEditSizing();
  void MoveEditSizing(POINT P);
  void EndEditSizing();
  void InvertSizingFrame();
  bool FEditSizing = false;
  bool FSizeFromRight = false;
  int FSizingWidth = 0;
  TdxBarEditControl* FSizingControl = nullptr;
  RECT FSizingItem{};
  TdxBar* FBar;
  bool FMoving = false;
  bool FCreating = false;
  bool FHasHiddenItems = false;
  bool FMenuOpen = false;
  bool FCaptionPressed = false;
  bool FDestroyingHandle = false;
  bool FFontSwitching = false;
  bool FFittingHeight = false;
  int FHitCode = 0;
  UINT_PTR FMarkTimer = 0;
  HWND FFocusBefore = nullptr;
  POINT FGrab{0, 0};
  SIZE FGrabRef{0, 0};
};

// The thread message hooks of the command bars: installed while at least one manager is listed.
void dxBarInstallHooks();
void dxBarRemoveHooks();
bool dxBarHooksInstalled();
// The keyboard hook's decision for one key (the hook answers 1 for a swallowed key); a seam for tests.
bool dxBarKeyboardHookSwallows(WPARAM Key, LPARAM KeyData);
// The manager the keyboard belongs to now (the active form's, an MDI frame's, or the main form's).
TdxBarManager* dxBarKeyManager();
// Puts a bar window in menu mode as Alt, F10 or an accelerator does, with the control (or the first
// selectable one) selected.
void dxBarOpenFromKeyboard(TdxBarControl* ABarControl, TdxBarItemControl* AControl);
// Alt and F10 for a manager (its menu bar by keyboard, shortcuts, accelerators); true when the key was
// taken. The keyboard hook's own last step, and the way in for a key an in-place editor got.
bool dxBarMenuKey(TdxBarManager* AManager, WPARAM Key, bool Release);
// The shown bar window of AManager whose window holds the screen point (the last bar first), found by
// its place: inside a disabled form the system finds none.
TdxBarControl* dxBarBarWindowAt(TdxBarManager* AManager, POINT P);
// While set (a modal loop of the bars runs), the keyboard hook swallows every key.
void dxBarSetKeySwallow(bool Value);
