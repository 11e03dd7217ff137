// Command bars: the bar manager of a form, its bars, the command items and the links that place the
// items in bars and sub-menus, and the process-wide routines they share.
//
// A form holds one TdxBarManager. The manager owns the bars (TdxBars, with the four dock sites along
// the form's edges) and keeps the registry of items; every item (TdxBarItem and descendants) is a
// component of the form that registers with the manager. A bar, a sub-item or a popup menu shows its
// items through an ordered collection of item links (TdxBarItemLinks); each visible link gets an item
// control in the owner's window while that window exists. Every change of an item is broadcast to the
// controls of its links; nothing polls.
//
// The windows (toolbar and menu windows, dock-site layout, item controls) are only the seams the
// bookkeeping here needs: their virtual operations are where the drawing, layout and input go.
//
// Process-wide state lives in one place (dxBarInitialize / dxBarFinalize): the item-class registry, the
// live bar-window list, the manager list and the thread timers. Everything runs on the UI thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ActnList.h"
#include "Classes.h"
#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "ImgList.h"
#include "StdCtrls.h"

class TdxBarManager;
class TdxBar;
class TdxBars;
class TdxBarItem;
class TdxBarItemLink;
class TdxBarItemLinks;
class TdxBarItemControl;
class TCustomdxBarControl;
class TdxBarControl;
class TdxBarSubMenuControl;
class TdxDockControl;
class TdxBarPopupMenu;
class TdxBarButton;
class TCustomdxBarSubItem;
class TdxBarPopupMenuLinks;
class TCustomdxBarCombo;
class TdxBarCustomCombo;
class TCustomdxBarComboControl;
class TdxBarEditControl;

// ---------------------------------------------------------------------------------------------------
// Types

enum TdxBarDockingStyle { dsNone, dsLeft, dsTop, dsRight, dsBottom };
using TdxBarDockingStyles = TSet<TdxBarDockingStyle>;
enum TdxBarManagerStyle { bmsStandard, bmsEnhanced };
enum TdxBarMenuAnimations { maNone, maRandom, maUnfold, maSlide };
enum TdxBarItemVisible { ivNever, ivInCustomizing, ivAlways };
enum TdxBarButtonStyle { bsDefault, bsChecked, bsDropDown };
enum TdxBarPaintStyle { psStandard, psCaption, psCaptionInMenu, psCaptionGlyph };
enum TdxBarUserDefine { udCaption, udGlyph, udPaintStyle, udWidth };
using TdxBarUserDefines = TSet<TdxBarUserDefine>;

extern const TEnumInfo dxBarDockingStyleNames;
extern const TEnumInfo dxBarManagerStyleNames;
extern const TEnumInfo dxBarMenuAnimationsNames;
extern const TEnumInfo dxBarItemVisibleNames;
extern const TEnumInfo dxBarButtonStyleNames;
extern const TEnumInfo dxBarPaintStyleNames;
extern const TEnumInfo dxBarUserDefineNames;

constexpr TdxBarDockingStyles dxAllDockingStyles{dsNone, dsLeft, dsTop, dsRight, dsBottom};

using TdxBarEvent = TEvent<TdxBarManager*, TdxBar*>;
using TdxBarVisibleChangeEvent = TEvent<TdxBarManager*, TdxBar*>;
using TdxBarItemLinkEvent = TEvent<TdxBarManager*, TdxBarItemLink*>;
using TdxBarCanDockingEvent = TEvent<TdxBar*, TdxBarDockingStyle, bool&>;
using TdxBarMenuMergeEvent = TEvent<TdxBarManager*, TdxBarManager*>;
using TdxBarShowPopupEvent = TEvent<TdxBarManager*, TdxBarItemLinks*>;
using TdxBarClickItemEvent = TEvent<TdxBarManager*, TdxBarItem*>;
using TdxBarKeyEvent = TEvent<TObject*, uint16_t&, TShiftState>;
using TdxBarKeyPressEvent = TEvent<TObject*, char&>;
class TdxBarDropDownListBox;
using TdxBarComboDrawItemEvent = TEvent<TdxBarCustomCombo*, int, RECT, TOwnerDrawState>;
using TdxBarComboMeasureItemEvent = TEvent<TdxBarCustomCombo*, int, int&>;

// Resource strings of the command bars (string table of the module).
constexpr int dxSBAR_WANTTORESETTOOLBAR = 39001;
constexpr int dxSBAR_WANTTORESETUSAGEDATA = 39002;
constexpr int dxSBAR_BARMANAGERMORETHANONE = 39003;
constexpr int dxSBAR_BARMANAGERBADOWNER = 39004;
constexpr int dxSBAR_NOBARMANAGERS = 39005;
constexpr int dxSBAR_RECURSIVESUBITEMS = 39009;
constexpr int dxSBAR_COMMANDNAMECANNOTBEBLANK = 39010;
constexpr int dxSBAR_DEFAULTCATEGORYNAME = 39101;
constexpr int dxSBAR_CP_RESET = 39150;   // the customizing popup's ten rows: 39150..39159
constexpr int dxSBAR_CUSTOMIZE = 39300;
constexpr int dxSBAR_ADDREMOVEBUTTONS = 39301;
constexpr int dxSBAR_MOREBUTTONS = 39302;
constexpr int dxSBAR_RESETTOOLBAR = 39303;
std::string dxBarResStr(int Id);

class EdxException : public Exception {
public:
  using Exception::Exception;
};

// ---------------------------------------------------------------------------------------------------
// Shared routines and process-wide state

// Makes an item control for a link; registered per item class.
using TdxBarItemControlMaker = TdxBarItemControl* (*)(TdxBarItemLink* ALink);

void dxBarInitialize();
void dxBarFinalize();

// Item-class registry.
TClass dxBarItemClass(int Index);                 // among the listed entries; nullptr out of range
int dxBarListedItemClassCount();
void dxBarRegisterItem(TClass ItemClass, TdxBarItemControlMaker ControlClass, bool Listed);
void dxBarUnregisterItem(TClass ItemClass);
// The control maker registered for exactly this class (nullptr when none).
TdxBarItemControlMaker dxBarItemControlClass(TClass ItemClass);

// Live bar windows: membership is the test that a window still exists after a callback.
void AddBarControl(TCustomdxBarControl* AControl);
void RemoveBarControl(TCustomdxBarControl* AControl);
bool IsBarControl(const TObject* AObject);
TCustomdxBarControl* ActiveBarControl();
void SetActiveBarControl(TCustomdxBarControl* AControl);

void dxBarDesignerModified(TdxBarManager* ABarManager);
// A bar's caption or visibility changed: its line in an open customizing dialog follows.
void dxBarCustomizingFormBarChanged(TdxBar* ABar);
uint8_t dxBarFlagToState(bool Value);
TdxBarManager* GetBarManagerByForm(TCustomForm* AForm);
TCustomdxBarControl* GetRootBarControl(TCustomdxBarControl* AControl);
TdxBarControl* GetRootToolbar(TCustomdxBarControl* AControl);
TCustomdxBarControl* GetItemControlRoot(TdxBarItemControl* AControl);
TdxBarControl* GetItemControlRootToolbar(TdxBarItemControl* AControl);

std::string dxStripAccelChars(const std::string& S);
int dxAccelCharPos(const std::string& S);            // 1-based; 0 when none
std::string dxFitText(HDC DC, const std::string& S, const RECT& R);
int dxClampWidth(int Value);                         // 20..600
bool IsVerticalToolbar(TCustomdxBarControl* AControl);
bool RotatesWhenVertical(TCustomdxBarControl* AControl);
RECT GetWorkArea(POINT P);
// Test seam: pretend user32 lacks the monitor functions.
void dxBarSetMonitorFunctionsForTest(bool Available);
int dxBarFrameWidth();
int dxBarFrameHeight();
int dxBarBorderWidth();
int dxBarSmallCaptionHeight();
void FlushMouseMessages();
void FlushPaintMessages();
bool dxFullWindowDrag();
void DrawThickFocusFrame(HDC DC, RECT R, int Width);
void dxBarPlaySound(int Index);
void dxBarMakeMenuFont(TFont* AFont, HFONT& AHandle, bool UseSystem);
// A vertical (rotated by -90 degrees) copy of the font; the caller deletes it.
HFONT dxBarMakeVerticalFont(TFont* AFont);
void dxBarTrackMouseLeave(HWND Wnd);
void dxBarEndMouseTracking(HWND Wnd);
void dxBarFreeIdlePopupItems();

enum TdxArrowDirection { adLeft, adRight, adUp, adDown };
void dxDrawScrollArrow(HDC DC, RECT R, TdxArrowDirection Direction, bool Enabled);
void dxDrawTriangleArrow(HDC DC, RECT R, int Size, bool Enabled, bool Selected);
HBRUSH dxCheckerBrush();
void dxDrawItemText(HDC DC, const std::string& S, RECT R, int Alignment, bool Enabled, bool Selected,
                    bool Vertical);
void dxGreyGlyph(TBitmap* Glyph);
void dxDrawGlyph(HDC DC, HBRUSH Brush, RECT R, TColor Color, bool Grey, bool Enabled, int ImageIndex,
                 TCustomImageList* Images, TBitmap* Glyph, RECT G);

// ---------------------------------------------------------------------------------------------------
// Liveness of items and managers after calls into user code.

class TdxLiveGuard {
public:
  explicit TdxLiveGuard(TdxBarItem* AItem);
  ~TdxLiveGuard();
  TdxLiveGuard(const TdxLiveGuard&) = delete;
  TdxLiveGuard& operator=(const TdxLiveGuard&) = delete;
  explicit operator bool() const { return FAlive; }

private:
  friend class TdxBarItem;
  TdxBarItem* FItem;
  bool FAlive = true;
  TdxLiveGuard* FNext = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// Customizing drag and drop (dxBarDragDrop.cpp)

// Screen cursor ids of the drag: move, copy, no drop.
constexpr TCursor crdxBarDrag = 1041;
constexpr TCursor crdxBarDragCopy = 1042;
constexpr TCursor crdxBarDragNoDrop = 1043;
constexpr TCursor crdxBarEditSizing = 1044;
// Puts the drag cursors and the edit-sizing cursor of the module's resources into the screen's cursor table.
void dxBarRegisterDragCursors();
// The insertion mark: six segments drawn with R2_NOT into R (a control's item rectangle), at its
// leading edge (Before) or its trailing one, turned for vertical bars. Drawing it twice removes it.
void dxBarDrawInsertMark(HDC DC, RECT R, bool Vertical, bool Before);
// Whether dropping Dragged (nullptr: a command from the customizing dialog) on the control of Target
// with these drop flags would change the bars.
bool dxBarDropChanges(TdxBarItemLink* Target, TdxBarItemLink* Dragged, bool Ctrl, bool Outside, bool Before);
// Whether links may take AItem: a sub-item's links refuse the sub-item itself and any item whose
// links hold it (a menu inside itself).
bool dxBarLinksRefuseItem(TdxBarItemLinks* ALinks, TdxBarItem* AItem);
// True while a manager runs its customizing drag.
bool dxBarCustomizingDragRuns();
// A bar window that closed itself is freed once the message that closed it is done (it may be running
// its own window procedure), and only after a customizing drag that runs (the drag may have started in
// it). ThroughLinks frees it through its links (FreeBarControl), and only when they still hold it
// without a window. One freed sooner is forgotten by its BeforeDestruction.
void dxBarFreeAfterMessage(TCustomdxBarControl* AControl, bool ThroughLinks = false);
void dxBarForgetFreeAfterMessage(TCustomdxBarControl* AControl);
// Frees the bar windows that waited for a customizing drag to end.
void dxBarFreeClosedBarControlsLater();
// The customizing dialog's category list, which follows a command dragged at design time. Set by the
// dialog while it exists. CategoryAt answers the category under a screen point: -2 when the point is
// not on the list, -1 when it is on the list but on no entry. SelectCategory selects an entry.
struct TdxBarDragCategoryList {
  int (*CategoryAt)(TdxBarManager* AManager, POINT P) = nullptr;
  void (*SelectCategory)(TdxBarManager* AManager, int Index) = nullptr;
};
extern TdxBarDragCategoryList dxBarDragCategoryList;

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

protected:
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

  TdxBarManager* FBarManager;
  TdxBarItemLinks* FItemLinks = nullptr;
  TdxBarDockingStyle FDockingStyle = dsNone;
  TCustomdxBarControl* FParentBar = nullptr;
  TCustomdxBarControl* FPrevActive = nullptr;
  TdxBarItemControl* FSelectedControl = nullptr;
  bool FActive = false;
  bool FLockControls = false;
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

// Waits for a menu animation thread to end. Only messages sent by other threads are handled meanwhile:
// input stays queued, in order, for after the animation.
void dxBarWaitForAnimation(HANDLE Thread);
// The shown bar window of AManager whose window holds the screen point (the last bar first), found by
// its place: inside a disabled form the system finds none.
TdxBarControl* dxBarBarWindowAt(TdxBarManager* AManager, POINT P);

// The window of one bar: its items laid out in rows (floating) or one row or column (docked), a grip
// or a caption with a close button, the end mark, and the window's place written back into the bar.
class TdxBarControl : public TCustomdxBarControl {
  YOZ_CLASS(TdxBarControl, TCustomdxBarControl)
public:
  TdxBarControl(TdxBarManager* ABarManager, TdxBar* ABar);
  void BeforeDestruction() override;
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
  int FHitCode = 0;
  UINT_PTR FMarkTimer = 0;
  HWND FFocusBefore = nullptr;
  POINT FGrab{0, 0};
  SIZE FGrabRef{0, 0};
};

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
// While set (a modal loop of the bars runs), the keyboard hook swallows every key.
void dxBarSetKeySwallow(bool Value);

// A dock site along one edge of the manager's form. Docked bar windows sit in rows stacked across the
// site (the row axis: Y for top and bottom sites, X for side sites); a row holds its windows one after
// the other along the site (columns).
struct TdxDockCol {
  TdxBarControl* BarControl;
  POINT Pos;   // site client coordinates where the window wants to be
};
struct TdxDockRow {
  std::vector<TdxDockCol> Cols;
};

class TdxDockControl : public TCustomControl {
  YOZ_CLASS(TdxDockControl, TCustomControl)
public:
  TdxDockControl(TComponent* AOwner, TdxBarDockingStyle AStyle, TdxBarManager* ABarManager);
  ~TdxDockControl() override;
  TdxBarManager* BarManager() const { return FBarManager; }
  TdxBars* Bars() const { return FBars; }
  void SetBars(TdxBars* Value) { FBars = Value; }
  TdxBarDockingStyle DockingStyle() const { return FDockingStyle; }
  bool Horizontal() const { return FDockingStyle == dsTop || FDockingStyle == dsBottom; }

  // The bar windows in the site, row by row.
  int BarCount() const;
  TdxBarControl* BarControls(int Index) const;
  int RowCount() const { return int(FRows.size()); }
  const TdxDockRow& Rows(int Index) const { return FRows[size_t(Index)]; }
  // The row holding the window (-1 when none).
  int RowOf(TdxBarControl* ABarControl) const;
  virtual void InsertBar(TdxBarControl* ABarControl, POINT ScreenPoint, bool Update);
  // A bar window that goes away leaves its row.
  void ForgetBar(TdxBarControl* ABarControl);
  virtual void RemoveBar(TdxBarControl* ABarControl, bool Update);
  virtual void MoveBarTo(TdxBarControl* ABarControl, POINT ScreenPoint);
  // A screen point on the row the window last sat in (a new row there when it sat alone).
  virtual POINT RowInsertPoint(TdxBarControl* ABarControl);
  int RowAtPos(POINT ScreenPoint, bool& NewRow);
  int ColumnAtPos(int Row, POINT ScreenPoint);
  RECT GetRowRect(int Row);
  int RowThickness(int Row);
  int RowsThickness();
  // The zone [Lo, Hi) of a row's part along the row axis (part 1: the 5-pixel new-row strip).
  void GetRowZone(int Row, int Part, int& Lo, int& Hi);
  // The site's bounds inflated by the dock-zone size, in screen coordinates.
  virtual RECT GetDockZone();
  virtual void UpdateDock();
  // Thickness across the site (width of a side site, height of a top or bottom one).
  int SiteSize() const { return Horizontal() ? Height() : Width(); }
  int NeededSize();
  void SetSiteSize(int Value);
  void ReFrame();
  void Dispatch(TMessage& Message) override;
  void CreateParams(TCreateParams& Params) override;

private:
  bool DetachBar(TdxBarControl* ABarControl);
  void LayoutRows();
  void SizeToRows();
  int Extent();
  int Across();
  TdxBarManager* FBarManager;
  TdxBars* FBars = nullptr;
  TdxBarDockingStyle FDockingStyle;
  std::vector<TdxDockRow> FRows;
  bool FLayingOut = false;
  int FRemovedRow = -1;
  bool FRemovedAlone = false;
};

// The view of one link in one bar window. The drawing and input come with the item controls; every
// change notice an item or link broadcasts lands here.
class TdxBarItemControl : public TObject {
  YOZ_CLASS(TdxBarItemControl, TObject)
public:
  explicit TdxBarItemControl(TdxBarItemLink* ALink);
  ~TdxBarItemControl() override;
  TdxBarItemLink* Link() const { return FLink; }
  TdxBarItem* Item() const;
  TCustomdxBarControl* Parent() const { return FParent; }
  bool DroppedDown() const { return FDroppedDown; }
  void SetDroppedDown(bool Value) { FDroppedDown = Value; }
  // The control owns an in-place window (edit and combo controls).
  bool HasWindow() const { return FHasWindow; }
  // Selected in a bar window that is in menu mode: such a control keeps its look through broadcasts.
  bool IsSelectedInActiveBar() const;

  // What the item and link tell: a new size re-lays the bar out (a shortcut only widens a menu row), a
  // new look repaints the control, and a control that becomes disabled is deselected first.
  virtual void BeginGroupChanged();
  virtual void CaptionChanged();
  virtual void EnabledChanged();
  virtual void GlyphChanged() {}
  virtual void ShortCutChanged();
  virtual void VisibleChanged();
  virtual void Repaint() {}
  virtual void ButtonStyleChanged() {}
  virtual void DownChanged() {}
  virtual void DropDownEnabledChanged() {}
  virtual void PaintStyleChanged() {}
  virtual void WidthChanged() {}
  virtual void ClickingChanged() {
    if (!FClicking) Repaint();
  }

  virtual bool FiresClickEvent() { return true; }
  virtual void Click();
  virtual void DropDown() { FDroppedDown = true; }
  // Closes what the control has open (a sub-item's sub-menu, a button's drop-down menu).
  virtual void CloseUp() { FDroppedDown = false; }
  virtual void ControlClick() {}
  virtual void ItemClick();
  virtual bool IsSelected();
  virtual std::string GetCaption();
  virtual bool GetEnabled();
  virtual TBitmap* GetGlyph();
  virtual int GetImageIndex();
  virtual TCustomImageList* GetImages();
  virtual int GetHeight() { return 0; }
  virtual int GetWidth() { return 0; }
  virtual bool ClosesSubMenuOnClick() { return true; }
  // State: 0 on a toolbar, 1 in a menu, 2 on a rotated vertical toolbar.
  virtual void Paint(HDC DC, RECT R, int State) {}
  bool SelectedByMouse() const { return FSelectedByMouse; }
  void SetSelectedByMouse(bool Value) { FSelectedByMouse = Value; }
  bool Clicking() const { return FClicking; }
  void SetClicking(bool Value);
  RECT SeparatorRect{};
  bool LineBreak = false;
  bool LastInRow = false;
  int RowThickness = 0;   // the thickness of the toolbar row the control was laid out in
  // A window item whose in-place editor is open answers its current text here.
  virtual bool EditorText(std::string& Text) { return false; }
  // The glyph area of a button or sub-item: background, picture and frame (Kind: the paint state).
  void DrawGlyphArea(HDC DC, RECT R, int Kind, bool APressed, bool ADown, bool AHot);
  bool HasGlyph();

protected:
  TdxBarItemLink* FLink;
  TCustomdxBarControl* FParent;
  bool FDroppedDown = false;
  bool FHasWindow = false;
  bool FClicking = false;
  bool FSelectedByMouse = false;
};

// A button on a toolbar or a row of a menu.
class TdxBarButtonControl : public TdxBarItemControl {
  YOZ_CLASS(TdxBarButtonControl, TdxBarItemControl)
public:
  explicit TdxBarButtonControl(TdxBarItemLink* ALink) : TdxBarItemControl(ALink) {}
  TdxBarButton* Button() const;
  // The paint style in effect: a plain button without any picture shows its caption on a toolbar.
  TdxBarPaintStyle EffectivePaintStyle();
  virtual int GetArrowWidth();
  virtual int GetThickness();
  virtual int GetLength();
  int GetHeight() override;
  int GetWidth() override;
  ~TdxBarButtonControl() override;
  bool IsSelected() override;
  bool ClosesSubMenuOnClick() override;
  void ControlClick() override;
  void ItemClick() override;
  void CloseUp() override;
  void GlyphChanged() override;
  void ButtonStyleChanged() override;
  void PaintStyleChanged() override;
  void DownChanged() override { Repaint(); }
  void DropDownEnabledChanged() override { Repaint(); }
  void Repaint() override;
  void Paint(HDC DC, RECT R, int State) override;
  // Pressed look: held down with the mouse on it, or running its click.
  bool Pressed();
  // A bsDropDown button's menu: opened by a press on the arrow part, Enter, Up or Down on the menu bar or
  // Right in a menu; it stands in the bar's menu chain. DropDownClosed is told when its window goes.
  bool IsDropDownStyle();
  void OpenDropDownMenu(bool ByMouse);
  void DropDownClosed();
  TdxBarSubMenuControl* DropDownWindow();
  bool MouseClick = false;
  bool DropDownOpen = false;

private:
  // The press being handled lies on the arrow part.
  bool PressOnArrow();
};

// A sub-item on a toolbar or a row of a menu: it opens the sub-menu of its item's links, at once on a
// toolbar in menu mode, 400 ms after hovering in a menu.
class TdxBarSubItemControl : public TdxBarItemControl {
  YOZ_CLASS(TdxBarSubItemControl, TdxBarItemControl)
public:
  explicit TdxBarSubItemControl(TdxBarItemLink* ALink) : TdxBarItemControl(ALink) {}
  ~TdxBarSubItemControl() override;
  TCustomdxBarSubItem* SubItem() const;
  // The open sub-menu window of the item's links (nullptr while closed).
  virtual TdxBarSubMenuControl* GetSubMenu();
  virtual void PrepareLinks() {}
  virtual void LinksClosed() {}
  virtual int GetThickness();
  virtual int GetLength();
  int GetHeight() override;
  int GetWidth() override;
  bool FiresClickEvent() override { return false; }
  bool ClosesSubMenuOnClick() override { return false; }
  void GlyphChanged() override;
  void ControlClick() override;
  void DropDown() override;
  void CloseUp() override { CloseUpNow(true); }
  // A close that is not immediate waits 400 ms in a menu (the cursor may come back).
  void CloseUpNow(bool Immediately);
  void Repaint() override;
  void Paint(HDC DC, RECT R, int State) override;
  bool OpenOnSelect = false;
  // Opens the sub-menu window now.
  void Open();
  // The pending delayed opening or closing, if any (one for the whole process).
  static TdxBarSubItemControl* PendingControl();

private:
  bool FByKeyboard = false;
};

// A list or container item: its listed links fill the sub-menu it opens from a toolbar.
class TdxBarContainerItemControl : public TdxBarSubItemControl {
  YOZ_CLASS(TdxBarContainerItemControl, TdxBarSubItemControl)
public:
  explicit TdxBarContainerItemControl(TdxBarItemLink* ALink) : TdxBarSubItemControl(ALink) {}
  int GetLength() override;
  void PrepareLinks() override;
  void LinksClosed() override;
  void Paint(HDC DC, RECT R, int State) override;
};

template <class C>
TdxBarItemControl* dxMakeItemControl(TdxBarItemLink* ALink) {
  return new C(ALink);
}

// ---------------------------------------------------------------------------------------------------
// Manager

class TdxBarManager;

// Every manager of the process.
class TdxBarManagerList : public TObject {
  YOZ_CLASS(TdxBarManagerList, TObject)
public:
  int Count() const { return int(FList.size()); }
  TdxBarManager* Items(int Index) const;     // nullptr outside 0..Count-1
  TdxBarManager* CustomizingBarManager() const;
  void Add(TdxBarManager* AManager);
  void Remove(TdxBarManager* AManager);

private:
  std::vector<TdxBarManager*> FList;
};
TdxBarManagerList* dxBarManagerList();

// The category names; each carries visibility settings stored as Categories.ItemsVisibles and
// Categories.Visibles.
class TdxBarManagerCategories : public TStringList {
  YOZ_CLASS(TdxBarManagerCategories, TStringList)
public:
  explicit TdxBarManagerCategories(TdxBarManager* ABarManager) : FBarManager(ABarManager) { OwnsObjects = true; }
  void DefineProperties(TFiler* Filer) override;
  TdxBarManager* BarManager() const { return FBarManager; }
  // These keep the items' Category indexes in step with the names.
  void Delete(int Index) override;
  void Insert(int Index, const std::string& S) override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;

private:
  TdxBarManager* FBarManager;
  bool FMoving = false;
};

struct TdxBarCategoryRecord : public TObject {
  uint8_t ItemsVisible = ivAlways;
  uint8_t LoadedItemsVisible = ivAlways;
  bool Visible = true;
};

class TdxBarManager : public TComponent {
  YOZ_CLASS(TdxBarManager, TComponent)
public:
  explicit TdxBarManager(TComponent* AOwner);
  ~TdxBarManager() override;
  void BeforeDestruction() override;

  // Published properties.
  bool AllowCallFromAnotherForm() const { return FAllowCallFromAnotherForm; }
  void SetAllowCallFromAnotherForm(bool Value) { FAllowCallFromAnotherForm = Value; }
  bool AllowReset() const { return FAllowReset; }
  void SetAllowReset(bool Value) { FAllowReset = Value; }
  bool AlwaysMerge() const { return FAlwaysMerge; }
  void SetAlwaysMerge(bool Value) { FAlwaysMerge = Value; }
  bool AlwaysSaveText() const { return FAlwaysSaveText; }
  void SetAlwaysSaveText(bool Value) { FAlwaysSaveText = Value; }
  bool AutoDockColor() const { return FAutoDockColor; }
  void SetAutoDockColor(bool Value);
  bool AutoHideEmptyBars() const { return FAutoHideEmptyBars; }
  void SetAutoHideEmptyBars(bool Value);
  bool Scaled() const { return FScaled; }
  void SetScaled(bool Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TdxBars* Bars() const { return FBars; }
  void SetBars(TdxBars* Value);
  int32_t ButtonArrowWidth() const { return FButtonArrowWidth; }
  void SetButtonArrowWidth(int32_t Value);
  bool CanCustomize() const { return FCanCustomize; }
  void SetCanCustomize(bool Value) { FCanCustomize = Value; }
  TdxBarManagerCategories* Categories() const { return FCategories; }
  void SetCategories(TStrings* Value) { FCategories->Assign(Value); }
  TColor DockColor() const;
  void SetDockColor(TColor Value);
  bool FlatCloseButton() const { return FFlatCloseButton; }
  void SetFlatCloseButton(bool Value);
  TBitmap* HelpButtonGlyph() const { return FHelpButtonGlyph; }
  void SetHelpButtonGlyph(TBitmap* Value) { FHelpButtonGlyph->Assign(Value); }
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value) { FHelpContext = Value; }
  TCustomImageList* HotImages() const { return FHotImages; }
  void SetHotImages(TCustomImageList* Value);
  TColor ImageListBkColor() const { return FImageListBkColor; }
  void SetImageListBkColor(TColor Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  const std::string& IniFileName() const { return FIniFileName; }
  void SetIniFileName(const std::string& Value) { FIniFileName = Value; }
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* Value);
  int32_t LargeButtonArrowWidth() const { return FLargeButtonArrowWidth; }
  void SetLargeButtonArrowWidth(int32_t Value);
  bool LargeIcons() const { return FLargeIcons; }
  void SetLargeIcons(bool Value);
  TdxBarMenuAnimations MenuAnimations() const { return FMenuAnimations; }
  void SetMenuAnimations(TdxBarMenuAnimations Value);
  bool MenusShowRecentItemsFirst() const { return FMenusShowRecentItemsFirst; }
  void SetMenusShowRecentItemsFirst(bool Value);
  uint8_t MostRecentItemsPercents() const { return FMostRecentItemsPercents; }
  void SetMostRecentItemsPercents(uint8_t Value);
  TdxBarDockingStyles NotDocking() const { return FNotDocking; }
  void SetNotDocking(TdxBarDockingStyles Value) { FNotDocking = Value; }
  const std::string& RegistryPath() const { return FRegistryPath; }
  void SetRegistryPath(const std::string& Value) { FRegistryPath = Value; }
  bool ShowCloseButton() const { return FShowCloseButton; }
  void SetShowCloseButton(bool Value);
  bool ShowFullMenusAfterDelay() const { return FShowFullMenusAfterDelay; }
  void SetShowFullMenusAfterDelay(bool Value);
  bool ShowHelpButton() const { return FShowHelpButton; }
  void SetShowHelpButton(bool Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ShowHintForDisabledItems() const { return FShowHintForDisabledItems; }
  void SetShowHintForDisabledItems(bool Value) { FShowHintForDisabledItems = Value; }
  bool ShowShortCutInHint() const { return FShowShortCutInHint; }
  void SetShowShortCutInHint(bool Value);
  bool StoreInIniFile() const { return FStoreInIniFile; }
  void SetStoreInIniFile(bool Value) { FStoreInIniFile = Value; }
  bool StoreInRegistry() const { return FStoreInRegistry; }
  void SetStoreInRegistry(bool Value) { FStoreInRegistry = Value; }
  bool StretchGlyphs() const { return FStretchGlyphs; }
  void SetStretchGlyphs(bool Value) { FStretchGlyphs = Value; }
  TdxBarManagerStyle Style() const { return FStyle; }
  void SetStyle(TdxBarManagerStyle Value);
  bool SunkenBorder() const { return FSunkenBorder; }
  void SetSunkenBorder(bool Value);
  bool UseF10ForMenu() const { return FUseF10ForMenu; }
  void SetUseF10ForMenu(bool Value) { FUseF10ForMenu = Value; }
  bool UseFullReset() const { return FUseFullReset; }
  void SetUseFullReset(bool Value) { FUseFullReset = Value; }
  bool UseSystemFont() const { return FUseSystemFont; }
  void SetUseSystemFont(bool Value);
  int32_t WaitForDockingTime() const { return FWaitForDockingTime; }
  void SetWaitForDockingTime(int32_t Value);

  TdxBarEvent OnBarAdd, OnBarAfterReset, OnBarBeforeReset, OnBarClose, OnBarDelete, OnBarDockingStyleChange;
  TdxBarVisibleChangeEvent OnBarVisibleChange;
  TdxBarItemLinkEvent OnItemLinkAdd, OnItemLinkChange, OnItemLinkDelete;
  TNotifyEvent OnCloseButtonClick;
  TdxBarCanDockingEvent OnDocking;
  TNotifyEvent OnHelpButtonClick, OnHideCustomizingForm;
  TdxBarMenuMergeEvent OnMenuMerge;
  TNotifyEvent OnShowCustomizingForm;
  TdxBarShowPopupEvent OnShowCustomizingPopup, OnShowToolbarsPopup;
  TdxBarClickItemEvent OnClickItem;

  static void Publish(TPublisher<TdxBarManager>& p);

  // Item registry.
  int ItemCount() const { return int(FItems.size()); }
  TdxBarItem* Items(int Index) const;
  TdxBarItem* GetItemByName(const std::string& AName) const;
  void GetItemsByCategory(int Index, TList* List);
  void GetVisibleItemsByCategory(int Index, TList* List);
  void MoveItem(int CurIndex, int NewIndex);
  void ExchangeItems(int Index1, int Index2);
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  TdxBar* BarByName(const std::string& AName) const;
  // Told by items (caption, glyph, shortcut, visibility, category, description changes).
  virtual void ItemChanged(TdxBarItem* AItem) {}
  void AddItem(TdxBarItem* AItem);
  void RemoveItem(TdxBarItem* AItem);

  // Categories.
  TdxBarItemVisible GetCategoryItemsVisible(int Index) const;
  void SetCategoryItemsVisible(int Index, TdxBarItemVisible Value);
  bool GetCategoryVisible(int Index) const;
  void SetCategoryVisible(int Index, bool Value);
  int VisibleCategoryToIndex(int N) const;

  virtual bool CanDocking(TdxBar* ABar, TdxBarDockingStyle AStyle);
  virtual void DoClickItem(TdxBarItem* AItem);
  bool IsCustomizing() const { return FIsCustomizing || Designing(); }
  bool Designing() const { return FDesigning; }
  void SetCustomizing(bool Value);
  void SetCustomizingSelection(TdxBarItemControl* AControl);
  TdxBarItemControl* SelectedItem() const { return FSelectedItem; }
  void SetSelectedItem(TdxBarItemControl* AControl) { FSelectedItem = AControl; }
  bool IsUpdateLocked() const { return FLockUpdate; }
  void LockUpdate(bool Value);
  void DesignerModified();
  bool Modified() const { return FModified; }
  bool PersonalizedMenus() const { return FStyle == bmsEnhanced && FMenusShowRecentItemsFirst; }
  int BarBorderWidth(TdxBarDockingStyle AStyle) const;
  int BarBorderHeight(TdxBarDockingStyle AStyle) const;
  void FillToolbarsPopup(TdxBarItemLinks* ALinks);
  // Asks, then gives the links the stored form's usage data; False when nothing was reset (declined,
  // or no stored form with this manager).
  virtual bool ResetUsageData();
  // The manager's form as stored, read into a bare form (nullptr when there is no stored form).
  TCustomForm* CreateDesignCopy();
  // True while a design copy is being read (its manager loads no stored layout).
  static bool CreatingDesignCopy();
  void CloseActiveMenu();
  bool IsMenuActive() const { return FMenuModeBar != nullptr; }
  TdxBarControl* MenuModeBar() const { return FMenuModeBar; }
  void SetMenuModeBar(TdxBarControl* Value) { FMenuModeBar = Value; }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  bool IsDragging() const { return FDragging; }
  // The customizing drag: of a selected link's control (AItem nullptr) or of a command from the
  // customizing dialog's commands list (AControl nullptr). Runs modally until the drop or Esc.
  void CustomizingDragDrop(TdxBarItemControl* AControl, TdxBarItem* AItem);
  TdxBarItemLink* DraggingItemLink() const { return FDraggingItemLink; }
  // --- Customizing drag and drop (dxBarDragDrop.cpp)
  TdxBarItem* DraggingItem() const { return FDraggingItem; }
  // The link a bar window's button-down offers for a drag (nullptr: none); ignored while a drag runs.
  void SetDragCandidate(TdxBarItemLink* ALink);
  // --- end of customizing drag and drop

  TCustomForm* ParentForm() const { return FParentForm; }
  TdxBar* MainMenuBar() const { return FMainMenuBar; }
  void SetMainMenuBar(TdxBar* Value) { FMainMenuBar = Value; }
  int RecentItemThreshold() const { return FRecentItemThreshold; }
  HFONT VerticalFontHandle() const { return FVertFontHandle; }
  std::vector<TdxBarPopupMenu*>& PopupMenus() { return FPopupMenus; }

  // The user's layout of bars and links, kept in the registry (below the current user's hive) or an
  // INI file. A path that names no key of its own is refused: nothing is read or written.
  virtual void LoadFromRegistry(const std::string& Path);
  virtual void LoadFromIniFile(const std::string& FileName);
  virtual void SaveToRegistry(const std::string& Path);
  virtual void SaveToIniFile(const std::string& FileName);

  // Style metrics and derived sizes.
  int StyleMetric(int Index) const { return FStyleMetrics[Index]; }
  int GripSize() const { return FStyleMetrics[1]; }
  int GlyphSize() const { return FGlyphSize; }
  int ButtonSize() const { return FButtonSize; }
  int ButtonSize2() const { return FButtonSize2; }
  int ArrowWidth() const { return FArrowWidth; }

  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetName(const std::string& NewName) override;

  // Every bar window and every bar: the broadcasts of the setters.
  void RebuildBarWindows();
  void RepaintBarWindows();
  // Applies the system menu font (on WM_SETTINGCHANGE with SPI_SETNONCLIENTMETRICS too).
  void ApplySystemFont();

  // Hints, the owner form's messages and the MDI menu merge.
  TdxBarPopupMenuLinks* PopupMenuLinks() const { return FPopupMenuLinks; }
  void SetPopupMenuLinks(TdxBarPopupMenuLinks* Value);
  // Runs the popup-menu links of a control at a screen point ((-1, -1): from the keyboard); True when
  // one showed a menu.
  bool RunPopupMenuLinks(TControl* AControl, POINT P);
  // Times (Show) or hides the hint of the current item control; Text, when given, is shown instead.
  void UpdateHint(bool Show, const std::string& Text);
  void ShowHintNow();
  // Every message of the owner form, before the form handles it.
  void FormMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
  // After a message of an MDI frame form: follows the active child and its maximized state.
  void CheckMDIMerge();
  void MergeChildMenu(TdxBarManager* AChild);
  void UnmergeChildMenu(TdxBarManager* AChild);
  // Floating bars pulled back onto the work area of the monitor of the form's centre.
  void FitFloatingBarsToWorkArea();
  void ActivateForm(bool Active, HWND Other, bool MDIActivating);
  // Bars hidden while the form's window was re-made: shown again at WM_CREATE (last first).
  std::vector<TdxBar*>& BarsToReshow() { return FBarsToReshow; }

protected:
  friend class TdxBarCustomizingPopup;
  friend class TdxBarQuickControl;
  virtual void DoBarAfterReset(TdxBar* ABar);
  virtual void DoBarBeforeReset(TdxBar* ABar);
  virtual void DoBarClose(TdxBar* ABar);
  virtual void DoCloseButtonClick();
  virtual void DoHelpButtonClick();
  virtual void DoShowCustomizingPopup(TdxBarItemLinks* ALinks);
  virtual void DoShowToolbarsPopup(TdxBarItemLinks* ALinks);
  // The customizing dialog's part (dxBarCustForm.cpp): refreshes, shows and closes it.
  virtual void RefreshCustomizingForm();
  virtual void ShowCustomizingForm(bool Value);
  virtual bool CustomizingFormExists() const;

private:
  void CalcDerivedSizes();
  void UpdateRecentThreshold();
  void FontChanged(TObject* Sender);
  void ImagesChanged(TObject* Sender);
  void LargeImagesChanged(TObject* Sender);
  void HotImagesChanged(TObject* Sender);
  void SetImageList(TCustomImageList*& Field, TChangeLink* Link, TCustomImageList* Value);
  void ReadDockControlHeights(TReader* Reader);
  void ToolbarsPopupClick(TObject* Sender);
  TdxBarCategoryRecord* CategoryRecord(int Index, bool Create) const;
  void ApplyMenuFont(bool UseOwnName);

  bool FConstructed = false;
  bool FDesigning = false;
  bool FDragging = false;
  TdxBarItem* FDraggingItem = nullptr;
  TdxBarItemLink* FDraggingItemLink = nullptr;
  HFONT FVertFontHandle = nullptr;
  bool FDockUpdate = false;
  TdxBarControl* FMenuModeBar = nullptr;
  TChangeLink* FImageChangeLink = nullptr;
  TChangeLink* FLargeImageChangeLink = nullptr;
  TChangeLink* FHotImageChangeLink = nullptr;
  bool FIsCustomizing = false;
  std::vector<TdxBarItem*> FItems;
  bool FLockUpdate = false;
  TCustomForm* FParentForm = nullptr;
  TdxBar* FMainMenuBar = nullptr;
  bool FModified = false;
  int FRecentItemThreshold = 0;
  std::vector<TdxBarPopupMenu*> FPopupMenus;
  TdxBarPopupMenuLinks* FPopupMenuLinks = nullptr;
  std::vector<TdxBar*> FBarsToReshow;
  std::string FExplicitHint;
  bool FActivating = false;
  bool FInFormActivate = false;
  HWND FMDIActiveChild = nullptr;
  bool FMDIChildMaximized = false;
  TdxBarItemControl* FSelectedItem = nullptr;
  int FStyleMetrics[3] = {1, 6, 12};
  int FGlyphSize = 16, FButtonSize = 23, FButtonSize2 = 22, FArrowWidth = 9;

  bool FAllowCallFromAnotherForm = false;
  bool FAllowReset = true;
  bool FAlwaysMerge = false;
  bool FAlwaysSaveText = false;
  bool FAutoDockColor = true;
  bool FAutoHideEmptyBars = false;
  bool FScaled = true;
  TFont* FFont = nullptr;
  TdxBars* FBars = nullptr;
  int32_t FButtonArrowWidth = 9;
  bool FCanCustomize = true;
  TdxBarManagerCategories* FCategories = nullptr;
  TColor FDockColor = clBtnFace;
  bool FFlatCloseButton = false;
  TBitmap* FHelpButtonGlyph = nullptr;
  THelpContext FHelpContext = 0;
  TCustomImageList* FHotImages = nullptr;
  TColor FImageListBkColor = 0xFF00FF;
  TCustomImageList* FImages = nullptr;
  std::string FIniFileName;
  TCustomImageList* FLargeImages = nullptr;
  int32_t FLargeButtonArrowWidth = 14;
  bool FLargeIcons = false;
  TdxBarMenuAnimations FMenuAnimations = maNone;
  bool FMenusShowRecentItemsFirst = true;
  uint8_t FMostRecentItemsPercents = 95;
  TdxBarDockingStyles FNotDocking;
  std::string FRegistryPath;
  bool FShowCloseButton = false;
  bool FShowFullMenusAfterDelay = true;
  bool FShowHelpButton = false;
  bool FShowHint = true;
  bool FShowHintForDisabledItems = true;
  bool FShowShortCutInHint = false;
  bool FStoreInIniFile = false;
  bool FStoreInRegistry = false;
  bool FStretchGlyphs = true;
  TdxBarManagerStyle FStyle = bmsEnhanced;
  bool FSunkenBorder = false;
  bool FUseF10ForMenu = true;
  bool FUseFullReset = false;
  bool FUseSystemFont = false;
  int32_t FWaitForDockingTime = 21;
};

// ---------------------------------------------------------------------------------------------------
// Items

class TdxBarItemActionLink : public TActionLink {
  YOZ_CLASS(TdxBarItemActionLink, TActionLink)
public:
  explicit TdxBarItemActionLink(TObject* AClient);
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(THelpContext Value) override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(int32_t Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

protected:
  TdxBarItem* FClient;
};

class TdxBarItem : public TComponent {
  YOZ_CLASS(TdxBarItem, TComponent)
public:
  explicit TdxBarItem(TComponent* AOwner);
  ~TdxBarItem() override;
  void BeforeDestruction() override;

  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TdxBarItemActionLink* ActionLink() const { return FActionLink; }
  TdxBarManager* BarManager() const { return FBarManager; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  int32_t Category() const { return FCategory; }
  void SetCategory(int32_t Value);
  const std::string& Description() const { return FDescription; }
  void SetDescription(const std::string& Value);
  bool Enabled() const;
  void SetEnabled(bool Value);
  TBitmap* Glyph() const { return FGlyph; }
  void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value) { FHelpContext = Value; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  int32_t ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int32_t Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool UnclickAfterDoing() const { return FUnclickAfterDoing; }
  void SetUnclickAfterDoing(bool Value) { FUnclickAfterDoing = Value; }
  TdxBarItemVisible Visible() const { return FVisible; }
  void SetVisible(TdxBarItemVisible Value);
  // Shown in the current mode (a link gets a control).
  bool IsVisibleNow() const;
  bool StoredEnabled() const { return FEnabled; }

  int LinkCount() const { return int(FLinks.size()); }
  TdxBarItemLink* Links(int Index) const { return FLinks[Index]; }
  void AddLink(TdxBarItemLink* ALink);
  void RemoveLink(TdxBarItemLink* ALink);

  TNotifyEvent OnClick;
  TNotifyEvent OnAfterLoad;
  TNotifyEvent OnDestroy;

  static void Publish(TPublisher<TdxBarItem>& p);

  virtual void BarManagerChanged() {}
  virtual bool CanClick() { return true; }
  virtual bool CanSelect() { return true; }
  virtual void CaptionChanged();
  virtual void EnabledChanged();
  virtual void GlyphChanged();
  virtual bool HasAccelInLink(TdxBarItemLink* ALink) { return true; }
  virtual void HotGlyphChanged() {}
  virtual void LargeGlyphChanged() {}
  virtual void ShortCutChanged();
  virtual void RepaintControls();
  virtual void RebuildLinkBars();
  virtual bool UsesHotImages() { return false; }
  virtual bool UsesLargeImages() { return false; }
  virtual void VisibleChanged();

  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual void DoClick();
  virtual void Click();
  virtual void DoClickEvent();
  // The link clicked, for the duration of a click from a bar window.
  TdxBarItemLink* ClickItemLink = nullptr;

  bool HasParent() override { return FCategory >= 0; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;
  void ReadState(TReader* Reader) override;
  void SetName(const std::string& NewName) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Mutable stored fields for the action link and the descendants.
  void StoreHelpContext(THelpContext Value) { FHelpContext = Value; }
  void StoreHint(const std::string& Value) { FHint = Value; }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  bool IsDesigning() const { return ComponentState().Contains(csDesigning); }

protected:
  void AssignTo(TPersistent* Dest) override;
  void GlyphChange(TObject* Sender) { GlyphChanged(); }
  // The link tells of any change of its action: the item takes the action's values again.
  void DoActionChange(TObject* Sender) { ActionChange(Action(), false); }
  void SetBarManager(TdxBarManager* Value);
  // Each control of a link (in link order), with or without the links that define their own Flag.
  template <class F>
  void ForEachControl(F f, int SkipFlag = -1);

  TdxBarItemActionLink* FActionLink = nullptr;
  TdxBarManager* FBarManager = nullptr;
  std::string FCaption;
  int32_t FCategory = -1;
  std::string FDescription;
  bool FEnabled = true;
  TBitmap* FGlyph = nullptr;
  THelpContext FHelpContext = 0;
  std::string FHint;
  int32_t FImageIndex = -1;
  std::vector<TdxBarItemLink*> FLinks;
  TdxBarItemVisible FLoadedVisible = ivAlways;
  TShortCut FShortCut = 0;
  bool FUnclickAfterDoing = true;
  TdxBarItemVisible FVisible = ivAlways;

private:
  friend class TdxLiveGuard;
  TdxLiveGuard* FGuards = nullptr;
};

class TdxBarWindowItem : public TdxBarItem {
  YOZ_CLASS(TdxBarWindowItem, TdxBarItem)
public:
  explicit TdxBarWindowItem(TComponent* AOwner) : TdxBarItem(AOwner) {}
  bool CanClick() override { return false; }
  // The text; while a link's control has its editor open, what is typed there.
  std::string Text() const;
  const std::string& StoredText() const { return FText; }
  virtual void SetText(const std::string& Value);
  virtual void Change();
  virtual void CurChange();
  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  TNotifyEvent OnChange, OnCurChange, OnEnter, OnExit;
  TdxBarKeyEvent OnKeyDown, OnKeyUp;
  TdxBarKeyPressEvent OnKeyPress;
  static void Publish(TPublisher<TdxBarWindowItem>& p);

protected:
  std::string FText;
};

class TdxBarButton : public TdxBarItem {
  YOZ_CLASS(TdxBarButton, TdxBarItem)
public:
  explicit TdxBarButton(TComponent* AOwner) : TdxBarItem(AOwner) {}
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  TdxBarButtonStyle ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TdxBarButtonStyle Value);
  bool CloseSubMenuOnClick() const { return FCloseSubMenuOnClick; }
  void SetCloseSubMenuOnClick(bool Value) { FCloseSubMenuOnClick = Value; }
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool DropDownEnabled() const { return FDropDownEnabled; }
  void SetDropDownEnabled(bool Value);
  TdxBarPopupMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TdxBarPopupMenu* Value);
  int32_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int32_t Value);
  TdxBarPaintStyle PaintStyle() const { return FPaintStyle; }
  void SetPaintStyle(TdxBarPaintStyle Value);
  static void Publish(TPublisher<TdxBarButton>& p);

  virtual void ButtonStyleChanged();
  virtual bool CanSetPaintStyle() { return true; }
  virtual void DownChanged();
  virtual void DropDownEnabledChanged();
  virtual void PaintStyleChanged();
  bool HasAccelInLink(TdxBarItemLink* ALink) override;
  void DoClick() override;
  // Opens the drop-down menu at a screen point without waiting for it to close; the control whose
  // drop-down is open (when one is) becomes the menu's opener.
  virtual void DropDown(int X, int Y, bool ByMouse);
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  bool FAllowAllUp = false;
  TdxBarButtonStyle FButtonStyle = bsDefault;
  bool FCloseSubMenuOnClick = true;
  bool FDown = false;
  bool FDropDownEnabled = true;
  TdxBarPopupMenu* FDropDownMenu = nullptr;
  int32_t FGroupIndex = 0;
  TdxBarPaintStyle FPaintStyle = psStandard;
};

class TdxBarEdit : public TdxBarWindowItem {
  YOZ_CLASS(TdxBarEdit, TdxBarWindowItem)
public:
  explicit TdxBarEdit(TComponent* AOwner) : TdxBarWindowItem(AOwner) {}
  int32_t MaxLength() const { return FMaxLength; }
  void SetMaxLength(int32_t Value) { FMaxLength = Value < 1 ? 0 : Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t Value);
  virtual void WidthChanged();
  bool HasAccelInLink(TdxBarItemLink* ALink) override;
  static void Publish(TPublisher<TdxBarEdit>& p);

private:
  int32_t FMaxLength = 0;
  bool FReadOnly = false;
  int32_t FWidth = 100;
};

class TCustomdxBarCombo : public TdxBarEdit {
  YOZ_CLASS(TCustomdxBarCombo, TdxBarEdit)
public:
  explicit TCustomdxBarCombo(TComponent* AOwner) : TdxBarEdit(AOwner) {}
  bool ShowEditor() const { return FShowEditor; }
  void SetShowEditor(bool Value) { FShowEditor = Value; }
  TNotifyEvent OnCheckKeyForDropDownWindow, OnCloseUp, OnDropDown, OnGetDropDownWindow;
  static void Publish(TPublisher<TCustomdxBarCombo>& p);

  // The drop-down window of the item (none here) and its opening at a screen point.
  virtual TWinControl* GetDropDownWindow() { return nullptr; }
  virtual bool CheckKeyForDropDownWindow(uint16_t Key, TShiftState Shift) { return false; }
  // Places the drop-down window under or beside the item and shows it.
  virtual void DropDown(int X, int Y);
  virtual void CloseUp();
  virtual void DoDropDown();
  // Draws a link's value into R on the draw canvas (the canvas the control's painting lends).
  virtual void DrawValue(RECT R, TdxBarItemLink* ALink);
  virtual TCanvas* GetDrawCanvas() { return FDrawCanvas; }
  void SetDrawCanvas(TCanvas* Value) { FDrawCanvas = Value; }
  // The control that opened the drop-down (nullptr while closed).
  TCustomdxBarComboControl* DroppedControl() const { return FDroppedControl; }
  void SetDroppedControl(TCustomdxBarComboControl* Value) { FDroppedControl = Value; }
  // The item rectangle (screen) of the dropping control and whether the list opens beside it.
  RECT DropItemRect{};
  bool DropBeside = false;

protected:
  TCanvas* FDrawCanvas = nullptr;
  TCustomdxBarComboControl* FDroppedControl = nullptr;

private:
  bool FShowEditor = true;
};

class TdxBarCustomCombo : public TCustomdxBarCombo {
  YOZ_CLASS(TdxBarCustomCombo, TCustomdxBarCombo)
public:
  explicit TdxBarCustomCombo(TComponent* AOwner);
  ~TdxBarCustomCombo() override;
  int32_t DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int32_t Value) { FDropDownCount = Value; }
  int32_t DropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(int32_t Value) { FDropDownWidth = Value; }
  int32_t ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int32_t Value);
  TStringList* Items() const { return FItems; }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  void SetText(const std::string& Value) override;
  TdxBarComboDrawItemEvent OnDrawItem;
  TdxBarComboMeasureItemEvent OnMeasureItem;

  // The drop-down list (made on first use) and how it is measured and drawn.
  TdxBarDropDownListBox* ListBox();
  TWinControl* GetDropDownWindow() override;
  TCanvas* GetDrawCanvas() override;
  void DrawValue(RECT R, TdxBarItemLink* ALink) override;
  virtual void DrawItem(int Index, RECT R, TOwnerDrawState State);
  virtual int GetDropDownWidth(RECT ItemRect);
  virtual int MeasureItem(int Index);
  virtual int MeasureItemWidth(int Index);
  void DropDown(int X, int Y) override;
  void CloseUp() override;
  bool CheckKeyForDropDownWindow(uint16_t Key, TShiftState Shift) override;

protected:
  void ItemsChanged(TObject* Sender);
  TdxBarDropDownListBox* FListBox = nullptr;
  int32_t FDropDownCount = 8;
  int32_t FDropDownWidth = 0;
  int32_t FItemIndex = -1;
  TStringList* FItems;
};

class TdxBarCombo : public TdxBarCustomCombo {
  YOZ_CLASS(TdxBarCombo, TdxBarCustomCombo)
public:
  explicit TdxBarCombo(TComponent* AOwner) : TdxBarCustomCombo(AOwner) {}
  int32_t ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int32_t Value) { FItemHeight = Value; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  static void Publish(TPublisher<TdxBarCombo>& p);

private:
  int32_t FItemHeight = 0;
  bool FSorted = false;
};

class TCustomdxBarSubItem : public TdxBarItem {
  YOZ_CLASS(TCustomdxBarSubItem, TdxBarItem)
public:
  explicit TCustomdxBarSubItem(TComponent* AOwner);
  ~TCustomdxBarSubItem() override;
  void BeforeDestruction() override;
  TdxBarItemLinks* ItemLinks() const { return FItemLinks; }
  void SetItemLinks(TdxBarItemLinks* Value);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value);
  bool CanClick() override { return false; }
  void BarManagerChanged() override;
  virtual void DoCloseUp();
  virtual void DoPopup();
  TNotifyEvent OnCloseUp, OnPopup;

protected:
  TdxBarItemLinks* FItemLinks;
  bool FShowCaption = true;
};

class TdxBarSubItem : public TCustomdxBarSubItem {
  YOZ_CLASS(TdxBarSubItem, TCustomdxBarSubItem)
public:
  explicit TdxBarSubItem(TComponent* AOwner) : TCustomdxBarSubItem(AOwner) {}
  bool AllowCustomizing() const { return FAllowCustomizing; }
  void SetAllowCustomizing(bool Value) { FAllowCustomizing = Value; }
  static void Publish(TPublisher<TdxBarSubItem>& p);

private:
  bool FAllowCustomizing = true;
};

using TdxBarContainerGetDataEvent = TNotifyEvent;

class TCustomdxBarContainerItem : public TCustomdxBarSubItem {
  YOZ_CLASS(TCustomdxBarContainerItem, TCustomdxBarSubItem)
public:
  explicit TCustomdxBarContainerItem(TComponent* AOwner) : TCustomdxBarSubItem(AOwner) {}
  // Puts this container's links into Links at Index (as the sub-menu opens); DeleteListedItemLinks
  // takes them out again.
  virtual void AddListedItemLinks(TdxBarItemLinks* ALinks, int AIndex, TCustomdxBarControl* ABarControl,
                                  bool FireGetData);
  virtual void DeleteListedItemLinks(TdxBarItemLinks* ALinks, int AIndex);
  virtual void ClearItemList() {}
  bool Listed() const { return FListed; }
  TNotifyEvent OnGetData;

protected:
  virtual int ListedCount() { return 0; }
  virtual void FillListed(TdxBarItemLinks* ALinks, int AIndex) {}
  bool FListed = false;
  TdxBarItemLinks* FListedLinks = nullptr;
  int FListedIndex = 0;
  int FListedCount = 0;
};

class TdxBarListItem : public TCustomdxBarContainerItem {
  YOZ_CLASS(TdxBarListItem, TCustomdxBarContainerItem)
public:
  explicit TdxBarListItem(TComponent* AOwner);
  ~TdxBarListItem() override;
  void BeforeDestruction() override;
  int32_t ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int32_t Value) { FItemIndex = Value; }
  TStringList* Items() const { return FItems; }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  bool ShowCheck() const { return FShowCheck; }
  void SetShowCheck(bool Value) { FShowCheck = Value; }
  bool ShowNumbers() const { return FShowNumbers; }
  void SetShowNumbers(bool Value) { FShowNumbers = Value; }
  void ClearItemList() override;
  void DoClick() override;
  int GeneratedCount() const { return int(FButtons.size()); }
  TdxBarButton* Generated(int Index) const { return FButtons[Index]; }
  static void Publish(TPublisher<TdxBarListItem>& p);

protected:
  void FillListed(TdxBarItemLinks* ALinks, int AIndex) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void ButtonClick(TObject* Sender);
  void FreeButtons();
  int32_t FItemIndex = -1;
  TStringList* FItems;
  bool FShowCheck = false;
  bool FShowNumbers = true;
  std::vector<TdxBarButton*> FButtons;
};

class TdxBarContainerItem : public TCustomdxBarContainerItem {
  YOZ_CLASS(TdxBarContainerItem, TCustomdxBarContainerItem)
public:
  explicit TdxBarContainerItem(TComponent* AOwner) : TCustomdxBarContainerItem(AOwner) {}
  static void Publish(TPublisher<TdxBarContainerItem>& p);

protected:
  void FillListed(TdxBarItemLinks* ALinks, int AIndex) override;
};

// ---------------------------------------------------------------------------------------------------
// Item links

class TdxBarItemLink : public TCollectionItem {
  YOZ_CLASS(TdxBarItemLink, TCollectionItem)
public:
  explicit TdxBarItemLink(TCollection* ACollection);
  ~TdxBarItemLink() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  TdxBarItemLinks* Links() const;
  TdxBarManager* BarManager() const;
  TCustomdxBarControl* BarControl() const;
  TdxBarItemControl* Control() const { return FControl; }
  TdxBarItem* Item() const { return FItem; }
  void SetItem(TdxBarItem* Value);
  bool BeginGroup() const;
  bool StoredBeginGroup() const { return FBeginGroup; }
  void SetBeginGroup(bool Value);
  int32_t Data() const { return FData; }
  void SetData(int32_t Value) { FData = Value; }
  bool MostRecentlyUsed() const { return FMostRecentlyUsed; }
  void SetMostRecentlyUsed(bool Value);
  const std::string& UserCaption() const { return FUserCaption; }
  void SetUserCaption(const std::string& Value);
  TdxBarUserDefines UserDefine() const { return FUserDefine; }
  void SetUserDefine(TdxBarUserDefines Value);
  TBitmap* UserGlyph() const { return FUserGlyph; }
  void SetUserGlyph(TBitmap* Value);
  TdxBarPaintStyle UserPaintStyle() const { return FUserPaintStyle; }
  void SetUserPaintStyle(TdxBarPaintStyle Value);
  int32_t UserWidth() const { return FUserWidth; }
  void SetUserWidth(int32_t Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  static void Publish(TPublisher<TdxBarItemLink>& p);

  std::string Caption() const;
  TBitmap* Glyph() const;
  TdxBarPaintStyle PaintStyle() const;
  int Width() const;
  int ShownIndex() const;
  int AvailableIndex() const;
  int RecentIndex() const;
  RECT ItemRect{};
  int UseCount() const { return FUseCount; }
  void SetUseCount(int Value) { FUseCount = Value; }
  TdxBarItemLink* OriginalItemLink() const { return FOriginal; }
  void SetOriginalItemLink(TdxBarItemLink* Value) { FOriginal = Value; }
  int32_t LoadedRecentIndex = -1;
  int32_t LoadedUseCount = 0;
  // The visibility held back until the collection finishes loading (Loaded (True)).
  void SetLoadedVisible(bool Value) { FLoadedVisible = Value; }

  void CreateControl();
  void DestroyControl();
  bool IsAccel(uint16_t Key, TShiftState Shift) const;
  bool ContainsItem(TdxBarItem* AItem) const;
  void UpdateItemAction();
  void MarkUsed(bool Count);
  void MarkNotUsed();
  void SetRecentPosition(int Value);
  void SaveRecentPosition() { FSavedRecentPosition = RecentIndex(); }
  void RestoreRecentPosition() { SetRecentPosition(FSavedRecentPosition); }
  void CopyUsage(TdxBarItemLink* Other);
  void ApplyMostRecentlyUsed();
  void ApplyLoadedVisible();
  void Changed();

private:
  friend class TdxBarItemLinks;
  bool FBeginGroup = false;
  TdxBarItemControl* FControl = nullptr;
  int32_t FData = 0;
  TdxBarItem* FItem = nullptr;
  bool FLoadedVisible = true;
  bool FMostRecentlyUsed = true;
  TdxBarItemLink* FOriginal = nullptr;
  int FSavedRecentPosition = 0;
  int FUseCount = 0;
  std::string FUserCaption;
  TdxBarUserDefines FUserDefine;
  TBitmap* FUserGlyph = nullptr;
  TdxBarPaintStyle FUserPaintStyle = psStandard;
  int32_t FUserWidth = 0;
  bool FVisible = true;
  bool FConstructed = false;
};

class TdxBarItemLinks : public TCollection {
  YOZ_CLASS(TdxBarItemLinks, TCollection)
public:
  TdxBarItemLinks(TdxBarManager* ABarManager, TPersistent* AOwner);
  ~TdxBarItemLinks() override;
  TPersistent* GetOwner() override { return FOwner; }
  TPersistent* Owner() const { return FOwner; }
  TdxBarManager* BarManager() const { return FBarManager; }
  void SetBarManager(TdxBarManager* Value) { FBarManager = Value; }
  TdxBarItemLink* Add() { return static_cast<TdxBarItemLink*>(TCollection::Add()); }
  TdxBarItemLink* Items(int Index) const { return static_cast<TdxBarItemLink*>(TCollection::Items(Index)); }
  TdxBarItemLink* Insert(int Index) { return static_cast<TdxBarItemLink*>(TCollection::Insert(Index)); }
  void Assign(TPersistent* Source) override;
  bool Assigning() const { return FAssigning; }

  int AvailableCount() const { return int(FAvailable.size()); }
  TdxBarItemLink* AvailableItems(int Index) const { return FAvailable[Index]; }
  int VisibleCount() const { return int(FVisible.size()); }
  TdxBarItemLink* VisibleItems(int Index) const { return FVisible[Index]; }
  int ShownCount() const { return int(FShown.size()); }
  TdxBarItemLink* ShownItems(int Index) const { return FShown[Index]; }
  int IndexOfAvailable(const TdxBarItemLink* L) const;
  int IndexOfVisible(const TdxBarItemLink* L) const;
  int IndexOfShown(const TdxBarItemLink* L) const;
  int RecentCount() const { return int(FRecent.size()); }
  TdxBarItemLink* RecentItems(int Index) const { return FRecent[Index]; }
  int IndexOfRecent(const TdxBarItemLink* L) const;

  void RefreshLists();
  void SetShownLimit(int N);
  void RestoreShownLimit();
  int ShownLimit() const { return FShownLimit; }
  bool UseRecentItems() const { return FUseRecentItems; }
  void SetUseRecentItems(bool Value) { FUseRecentItems = Value; }
  int RecentItemCount() const;
  void Loaded(bool ApplyVisible);
  void AssignUsageData(TdxBarItemLinks* Source);
  void CompactRecentList();
  void ClearItemRects();
  void UpdateItemActions();
  TCustomdxBarControl* BarControl() const { return FBarControl; }
  void SetBarControl(TCustomdxBarControl* Value) { FBarControl = Value; }
  TCustomdxBarControl* CreateBarControl();
  void FreeBarControl();
  int FitCount();
  TdxBarItemLink* FirstSelectable();
  TdxBarItemLink* LastSelectable();
  TdxBarItemLink* NextSelectable(TdxBarItemLink* From);
  TdxBarItemLink* PriorSelectable(TdxBarItemLink* From);
  TdxBarItemLink* FindByAccel(uint16_t Key, TShiftState Shift, TdxBarItemLink* From);
  bool ContainsItem(TdxBarItem* AItem) const;
  bool IsLoading() const;
  bool Designing() const;
  TNotifyEvent OnChange;

protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
  friend class TdxBarItemLink;
  bool Selectable(TdxBarItemLink* L) const;
  bool FAssigning = false;
  std::vector<TdxBarItemLink*> FAvailable, FVisible, FShown, FRecent;
  TCustomdxBarControl* FBarControl = nullptr;
  TdxBarManager* FBarManager;
  TPersistent* FOwner;
  int FSavedShownLimit = -1;
  int FShownLimit = -1;
  bool FUseRecentItems = true;
  TCollectionItem* FNewLink = nullptr;
};

// Links of the temporary popups (toolbar list, customizing popup): they do not mark the form modified.
bool dxBarIsTemporaryLinksOwner(TPersistent* AOwner);
void dxBarSetTemporaryLinksOwnerTest(bool (*Test)(TPersistent*));

// ---------------------------------------------------------------------------------------------------
// Bars

class TdxBar : public TCollectionItem {
  YOZ_CLASS(TdxBar, TCollectionItem)
public:
  explicit TdxBar(TCollection* ACollection);
  ~TdxBar() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  TdxBars* Bars() const;
  TdxBarManager* BarManager() const;
  TdxBarControl* Control() const;

  bool AllowClose() const { return FAllowClose; }
  void SetAllowClose(bool Value);
  bool AllowCustomizing() const { return FAllowCustomizing; }
  void SetAllowCustomizing(bool Value) { FAllowCustomizing = Value; }
  bool AllowQuickCustomizing() const { return FAllowQuickCustomizing; }
  void SetAllowQuickCustomizing(bool Value);
  bool AllowReset() const { return FAllowReset; }
  void SetAllowReset(bool Value) { FAllowReset = Value; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TdxBarDockingStyle DockedDockingStyle() const { return FDockedDockingStyle; }
  void SetDockedDockingStyle(TdxBarDockingStyle Value);
  int32_t DockedLeft() const { return FDockedLeft; }
  void SetDockedLeft(int32_t Value);
  int32_t DockedTop() const { return FDockedTop; }
  void SetDockedTop(int32_t Value);
  TdxBarDockingStyle DockingStyle() const;
  void SetDockingStyle(TdxBarDockingStyle Value);
  int32_t FloatLeft() const { return FFloatLeft; }
  void SetFloatLeft(int32_t Value);
  int32_t FloatTop() const { return FFloatTop; }
  void SetFloatTop(int32_t Value);
  int32_t FloatClientWidth() const { return FFloatClientWidth; }
  void SetFloatClientWidth(int32_t Value);
  int32_t FloatClientHeight() const { return FFloatClientHeight; }
  void SetFloatClientHeight(int32_t Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool Hidden() const { return FHidden; }
  void SetHidden(bool Value);
  bool AutoHidden() const { return FAutoHidden; }
  void SetAutoHidden(bool Value) { FAutoHidden = Value; }
  bool IsMainMenu() const { return FIsMainMenu; }
  void SetIsMainMenu(bool Value);
  bool LoadedMark() const { return FLoaded; }
  TdxBarItemLinks* ItemLinks() const { return FItemLinks; }
  void SetItemLinks(TdxBarItemLinks* Value) { FItemLinks->Assign(Value); }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  TdxBarDockingStyles NotDocking() const { return FNotDocking; }
  void SetNotDocking(TdxBarDockingStyles Value) { FNotDocking = Value; }
  bool OneOnRow() const { return FOneOnRow; }
  void SetOneOnRow(bool Value);
  bool RotateWhenVertical() const { return FRotateWhenVertical; }
  void SetRotateWhenVertical(bool Value);
  int32_t Row() const { return FRow; }
  void SetRow(int32_t Value);
  bool UseOwnFont() const { return FUseOwnFont; }
  void SetUseOwnFont(bool Value);
  bool UseRecentItems() const { return FUseRecentItems; }
  void SetUseRecentItems(bool Value);
  bool UseRestSpace() const { return FUseRestSpace; }
  void SetUseRestSpace(bool Value);
  bool Visible() const;
  void SetVisible(bool Value);
  bool WholeRow() const { return FWholeRow; }
  void SetWholeRow(bool Value);
  HFONT VerticalFontHandle() const { return FVertFont; }
  static void Publish(TPublisher<TdxBar>& p);

  void LockBar(bool Value);
  bool Locked() const { return FLockUpdate; }
  bool CanListInToolbarsPopup() const { return FAllowClose && !FIsMainMenu; }
  bool ExecuteShortCut(TShortCut AShortCut);
  // Asks, then resets the bar to the stored form's; False when nothing was reset (declined, or no
  // stored form with this manager and bar).
  bool Reset();
  bool ResetWithoutAsking();
  // Applies the held-back docking style and visibility (the manager's Loaded).
  void ApplyLoaded();
  void ManagerFontChanged();
  void RebuildWindow();

private:
  void FontChanged(TObject* Sender);
  void LinksChanged(TObject* Sender);
  void MarkModified();
  void ShowWindow();
  void DockFloatingWindow();

  bool FAllowClose = true;
  bool FAllowCustomizing = true;
  bool FAllowQuickCustomizing = true;
  bool FAllowReset = true;
  std::string FCaption;
  TdxBarDockingStyle FDockedDockingStyle = dsTop;
  int32_t FDockedLeft = 0;
  int32_t FDockedTop = 0;
  TdxBarDockingStyle FDockingStyle = dsNone;
  HFONT FVertFont = nullptr;
  int32_t FFloatLeft = 0, FFloatTop = 0, FFloatClientWidth = 0, FFloatClientHeight = 0;
  TFont* FFont = nullptr;
  bool FHidden = false;
  bool FAutoHidden = false;
  bool FIsMainMenu = false;
  bool FLoaded = false;
  TdxBarItemLinks* FItemLinks = nullptr;
  TdxBarDockingStyle FLoadedDockingStyle = dsNone;
  bool FLoadedVisible = false;
  bool FLockUpdate = false;
  std::string FName;
  TdxBarDockingStyles FNotDocking;
  bool FOneOnRow = false;
  bool FRotateWhenVertical = true;
  int32_t FRow = 0;
  bool FUseOwnFont = false;
  bool FUseRecentItems = true;
  bool FUseRestSpace = false;
  bool FVisible = false;
  bool FWholeRow = false;
  bool FSettingFont = false;
};

class TdxBars : public TCollection {
  YOZ_CLASS(TdxBars, TCollection)
public:
  // A detached collection holds bars the manager uses for itself (the quick customization's): they are
  // not the manager's bars, so they fire no bar events and change nothing the layout stores.
  explicit TdxBars(TdxBarManager* ABarManager, bool ADetached = false);
  bool Detached() const { return FDetached; }
  ~TdxBars() override;
  TPersistent* GetOwner() override;
  TdxBar* Items(int Index) const { return static_cast<TdxBar*>(TCollection::Items(Index)); }
  TdxBar* Add() { return static_cast<TdxBar*>(TCollection::Add()); }
  TdxBarManager* BarManager() const { return FBarManager; }
  TdxDockControl* DockControls(TdxBarDockingStyle AStyle) const;
  int DockingZoneSize() const { return FDockingZoneSize; }
  bool Loading() const { return FLoading; }
  void SetLoading(bool Value) { FLoading = Value; }
  bool Dragging() const { return FDragging; }
  TdxBarControl* DraggingBarControl() const { return FDragBarControl; }
  POINT DragOffset() const { return FDragOffset; }

  void DockBar(TdxBarDockingStyle AStyle, TdxBarControl* ABarControl, POINT ScreenPoint);
  void UndockBar(TdxBarDockingStyle AStyle, TdxBarControl* ABarControl);
  // The modal loop in which the user drags a bar window.
  void DragBar(TdxBarControl* ABarControl);
  // The side a bar dragged to Point would take (dsNone: floating).
  TdxBarDockingStyle DockingStyleAt(TdxBarControl* ABarControl, POINT Point);
  // Moves the dragged bar window to a screen point: docks, undocks or moves it.
  void MoveBar(TdxBarControl* ABarControl, POINT Point, bool TimerFired = false);
  void CreateDockControls(TCustomForm* AForm);
  void DockControlDestroyed(TdxDockControl* AControl);

protected:
  void Update(TCollectionItem* Item) override {}

private:
  static void CALLBACK DockingTimerProc(HWND, UINT, UINT_PTR, DWORD);
  void StopDockingTimer();

  TdxDockControl* FDockControls[5] = {};
  int FDockingZoneSize = 23;
  TdxBarManager* FBarManager;
  bool FLoading = false;
  bool FDragging = false;
  TdxBarControl* FDragBarControl = nullptr;
  POINT FDragOffset{};
  UINT_PTR FDockingTimer = 0;
  TdxBarControl* FDockingTimerBar = nullptr;
  bool FDetached = false;
};

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

// ---------------------------------------------------------------------------------------------------
// Hints, the combos' drop-down list and the popup-menu links of ordinary controls

// The one window of the process that shows item hints; the managers time it.
class TdxBarHintWindow : public TCustomControl {
  YOZ_CLASS(TdxBarHintWindow, TCustomControl)
public:
  explicit TdxBarHintWindow(TComponent* AOwner);
  ~TdxBarHintWindow() override;
  // Shows Text with its top-left corner at the screen point, kept on that point's work area.
  void ActivateHint(POINT P, const std::string& Text, TdxBarManager* ABarManager);
  void HideHint();
  const std::string& Text() const { return FText; }
  void CreateParams(TCreateParams& Params) override;

protected:
  void Paint() override;

private:
  std::string FText;
};

// Where a hint of Size goes for the point P on the work area WorkArea.
POINT dxBarPlaceHint(POINT P, SIZE Size, RECT WorkArea);
// The process's hint window, made on first use (nullptr with Create False when there is none).
TdxBarHintWindow* dxBarHintWindow(bool Create = true);
void dxBarFreeHintWindow();
bool dxBarHintShown();
// Stops the pending show and hide timers of hints.
void dxBarStopHintTimers();

// The drop-down list of a combo item: a top-level owner-drawn list box.
class TdxBarDropDownListBox : public TCustomListBox {
  YOZ_CLASS(TdxBarDropDownListBox, TCustomListBox)
public:
  explicit TdxBarDropDownListBox(TdxBarCustomCombo* ACombo);
  TdxBarCustomCombo* Combo() const { return FCombo; }
  TCustomdxBarComboControl* ComboControl() const;
  // The combo started the tracking (the left button went down on the combo and is still held).
  bool ComboTracking = false;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void DrawItem(int Index, RECT Rect, TOwnerDrawState State) override;
  void MeasureItem(int Index, int& Height) override;

private:
  TdxBarCustomCombo* FCombo;
};

using TdxBarPopupMenuLinkActionEvent = TEvent<TObject*, POINT&, bool&, bool, bool&>;

// A control whose context menu is a command-bar popup menu.
class TdxBarPopupMenuLink : public TCollectionItem {
  YOZ_CLASS(TdxBarPopupMenuLink, TCollectionItem)
public:
  explicit TdxBarPopupMenuLink(TCollection* ACollection) : TCollectionItem(ACollection) {}
  ~TdxBarPopupMenuLink() override;
  void Assign(TPersistent* Source) override;
  TWinControl* Control() const { return FControl; }
  void SetControl(TWinControl* Value);
  TdxBarPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TdxBarPopupMenu* Value);
  // Arguments: the link, the point, the show flag, whether the mouse caused it, handled.
  TdxBarPopupMenuLinkActionEvent OnAction;
  // Shows the popup menu for a screen point ((-1, -1): from the keyboard); True when one showed.
  bool ShowPopup(POINT P);
  TdxBarManager* BarManager() const;
  // The last screen point a menu was shown at (the popup component opens it there).
  POINT ShownAt{0, 0};
  static void Publish(TPublisher<TdxBarPopupMenuLink>& p);
  void Forget(TComponent* AComponent);

private:
  TWinControl* FControl = nullptr;
  TdxBarPopupMenu* FPopupMenu = nullptr;
};

class TdxBarPopupMenuLinks : public TCollection {
  YOZ_CLASS(TdxBarPopupMenuLinks, TCollection)
public:
  explicit TdxBarPopupMenuLinks(TdxBarManager* ABarManager);
  TPersistent* GetOwner() override;
  TdxBarManager* BarManager() const { return FBarManager; }
  TdxBarPopupMenuLink* Add() { return static_cast<TdxBarPopupMenuLink*>(TCollection::Add()); }
  TdxBarPopupMenuLink* Items(int Index) const { return static_cast<TdxBarPopupMenuLink*>(TCollection::Items(Index)); }
  // A component going away leaves every link.
  void Forget(TComponent* AComponent);

private:
  TdxBarManager* FBarManager;
};

// Opens a popup menu at a screen point; the popup component sets it (until then menus open nowhere).
void dxBarSetPopupMenuOpener(void (*Opener)(TdxBarPopupMenu*, POINT));

// ---------------------------------------------------------------------------------------------------
// Edit and combo item controls: item controls that own an in-place EDIT window while the user types.

class TdxBarWinControl : public TdxBarItemControl {
  YOZ_CLASS(TdxBarWinControl, TdxBarItemControl)
public:
  explicit TdxBarWinControl(TdxBarItemLink* ALink);
  ~TdxBarWinControl() override;
  TdxBarWindowItem* WindowItem() const;
  HWND Handle() const { return FHandle; }
  bool Focused() const { return FFocused; }
  bool Loading() const { return FLoading; }
  RECT EditorRect() const { return FEditorRect; }
  bool EditorVisible() const { return FHandle && IsWindowVisible(FHandle); }

  bool FiresClickEvent() override;
  bool ClosesSubMenuOnClick() override { return false; }
  void ControlClick() override;
  void CloseUp() override;
  bool EditorText(std::string& Text) override;

  virtual void CreateEditorWindow();
  virtual void DestroyEditorWindow();
  virtual std::string GetText();
  virtual void SetFocused(bool Value);
  virtual void SetText(const std::string& Value);
  // The in-place window's procedure; answers through Message.Result.
  virtual void WndProc(TMessage& Message);
  // EN_CHANGE of the in-place window, reflected back by the bar window.
  virtual void EditorChanged() {}
  // The first key messages go to the item; False when it consumed the key.
  bool ItemKey(TMessage& Message);

protected:
  void DefaultWndProc(TMessage& Message);
  // Loads text into the editor without CurChange.
  void LoadEditorText(const std::string& Text);
  void RemoveChars();
  // The editor text limit; 0: no limit.
  virtual int TextLimit() { return 0; }
  static LRESULT CALLBACK InPlaceProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  bool FFocused = false;
  bool FLoading = false;
  HWND FHandle = nullptr;
  WNDPROC FPrevProc = nullptr;
  HWND FPrevFocus = nullptr;
  RECT FEditorRect{};
  // Set by the destructor: a window procedure still on the stack touches nothing more.
  bool* FDeadFlag = nullptr;
};

class TdxBarEditControl : public TdxBarWinControl {
  YOZ_CLASS(TdxBarEditControl, TdxBarWinControl)
public:
  explicit TdxBarEditControl(TdxBarItemLink* ALink) : TdxBarWinControl(ALink) {}
  TdxBarEdit* Edit() const;
  void CreateEditorWindow() override;
  void ControlClick() override;
  bool IsSelected() override;
  int GetHeight() override;
  int GetWidth() override;
  void WidthChanged() override;
  void Repaint() override;
  void Paint(HDC DC, RECT R, int State) override;
  void SetFocused(bool Value) override;
  void SetText(const std::string& Value) override;
  void WndProc(TMessage& Message) override;
  void EditorChanged() override;

protected:
  int TextLimit() override;
  // The caption part in a menu; answers the rectangle left for the box.
  RECT PaintCaption(HDC DC, RECT R);
  // The two frames of the box; answers the inner box.
  RECT PaintFrame(HDC DC, RECT Box, bool Selected, bool Enabled);
  // Commits the editor's text to the item; True when the editor is still open.
  bool CommitText(bool MarkUsed);
};

class TCustomdxBarComboControl : public TdxBarEditControl {
  YOZ_CLASS(TCustomdxBarComboControl, TdxBarEditControl)
public:
  explicit TCustomdxBarComboControl(TdxBarItemLink* ALink) : TdxBarEditControl(ALink) {}
  ~TCustomdxBarComboControl() override;
  TCustomdxBarCombo* Combo() const;
  RECT ButtonRect() const { return FButtonRect; }
  bool IsDroppedDown() const { return FDroppedDownState; }
  virtual void SetDroppedDown(bool Value);
  void CloseUp() override;
  void Paint(HDC DC, RECT R, int State) override;
  void SetFocused(bool Value) override;
  void WndProc(TMessage& Message) override;

protected:
  RECT FButtonRect{};
  bool FOpenAtButtonDown = false;
  bool FDroppedDownState = false;
};

class TdxBarComboControl : public TCustomdxBarComboControl {
  YOZ_CLASS(TdxBarComboControl, TCustomdxBarComboControl)
public:
  explicit TdxBarComboControl(TdxBarItemLink* ALink) : TCustomdxBarComboControl(ALink) {}
  TdxBarCombo* ComboItem() const;
  int32_t CurItemIndex() const { return FCurItemIndex; }
  void SetCurItemIndex(int32_t Value);
  void SetFocused(bool Value) override;
  void WndProc(TMessage& Message) override;
  void EditorChanged() override;

private:
  int32_t FCurItemIndex = -1;
};

// Where a drop-down of Size goes for the item rectangle Item (screen); Beside: in a menu or on a
// vertical bar. It stays on the work area, even one left of or above the primary monitor.
POINT dxBarPlaceDropDown(RECT Item, SIZE Size, bool Beside, RECT WorkArea);

// ---------------------------------------------------------------------------------------------------
// Menus the bars build for themselves from their own items: the toolbar list, the customizing popup of
// one link, and the quick customization opened from a toolbar's end mark. Their items belong to no
// form: they stay in one process-wide list and are freed when a later menu is built and no link uses
// them any more (dxBarFreeIdlePopupItems).

// Takes an item made for these menus out of its owner's components and into the list.
void dxBarAddPopupItem(TdxBarItem* AItem);
int dxBarPopupItemCount();

// The list of toolbars (a check row per bar that may be listed) and "&Customize...".
class TdxBarToolbarsPopup : public TdxBarSubMenuControl {
  YOZ_CLASS(TdxBarToolbarsPopup, TdxBarSubMenuControl)
public:
  explicit TdxBarToolbarsPopup(TdxBarManager* ABarManager);
  ~TdxBarToolbarsPopup() override;
  bool IsCustomizing() override { return false; }
  // Opens the manager's toolbar list at a screen point; nullptr (nothing opens) when it lists nothing.
  static TdxBarToolbarsPopup* ShowAt(TdxBarManager* ABarManager, POINT P);
};

// The menu of one link while customizing: reset, delete, name, paint style, begin group, visible, most
// recently used. One is open at a time.
class TdxBarCustomizingPopup : public TdxBarSubMenuControl {
  YOZ_CLASS(TdxBarCustomizingPopup, TdxBarSubMenuControl)
public:
  explicit TdxBarCustomizingPopup(TdxBarManager* ABarManager);
  ~TdxBarCustomizingPopup() override;
  bool IsCustomizing() override { return false; }
  void DestroyWnd() override;
  // Opens the rows for a link at a screen point.
  static TdxBarCustomizingPopup* ShowFor(TdxBarItemLink* ALink, POINT P);
  // The open popup (nullptr once its window is gone).
  static TdxBarCustomizingPopup* Current();
  // The link its rows act on: kept while the rows' clicks run, nullptr once the popup is freed or the
  // link itself went away.
  static TdxBarItemLink* CustomizingLink();
  static void LinkFreed(TdxBarItemLink* ALink);
};

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
