// Controls: windowless and windowed controls, their window creation chain and message handling.
//
// Messages. Every window of a TWinControl runs one window procedure: the first message of a new window
// (WM_NCCREATE, or WM_GETMINMAXINFO before it) binds the HWND to the object that is creating it, so the
// messages sent inside CreateWindowEx already reach the object. A message goes
//     WndProc(TMessage&)  ->  Dispatch(TMessage&)  ->  DefaultHandler(TMessage&)
// WndProc does the control-wide preprocessing (routing mouse input to windowless children, capture,
// design state); Dispatch is the message map: a class that handles a message overrides Dispatch,
// switches on Message.Msg and calls its base class's Dispatch for "inherited" (and for every message it
// does not handle). DefaultHandler calls the window's previous procedure (the system class's, or
// DefWindowProc). A class may also override WndProc to act before or after all of that.
//
//   void TMyPanel::Dispatch(TMessage& Message) {
//     switch (Message.Msg) {
//       case CM_ENABLEDCHANGED: inherited::Dispatch(Message); Invalidate(); return;
//       case WM_NCHITTEST: Message.Result = HTTRANSPARENT; return;
//     }
//     inherited::Dispatch(Message);
//   }
//
// A handler may free its own control (an OnClick that frees the button): code that runs after a call
// that can reach user code checks TLiveGuard before touching the object again. No exception leaves a
// window procedure: it goes to Application->HandleException.
//
// Windows: a windowed control's window is made on demand (Handle(), HandleNeeded(), or when its parent's
// window is made); CreateParams describes it, CreateWnd registers the window class and calls
// CreateWindowHandle; a control of a system class calls CreateSubClass(Params, "BUTTON") in its
// CreateParams so its class is a superclass of the system one. DestroyWnd keeps what the object must
// remember (text) and calls DestroyWindowHandle; RecreateWnd does both and makes the window again.
//
// Windowless controls (TGraphicControl) are painted by their parent's WM_PAINT in their own rectangle,
// and the parent routes mouse messages at their rectangle to them (the capture follows them too).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Messages.h"
#include "SysUtils.h"

class TControl;
class TWinControl;
class TCustomForm;

// ---------------------------------------------------------------------------------------------------
// Types

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
extern const TEnumInfo AlignNames;

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
extern const TEnumInfo AnchorNames;

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
  csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
  csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSet<TControlStateItem>;

enum TDragMode { dmManual, dmAutomatic };
extern const TEnumInfo DragModeNames;

// Border styles of forms; a control's own border (TBorderStyle) uses the first two.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
extern const TEnumInfo FormBorderStyleNames;

using TCaption = std::string;

// Cursors: the screen's cursor table maps these (and any custom id above 0) to cursor handles.
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;
// The cursor names form resources use ("crHandPoint"), and integers.
bool CursorToIdent(int32_t cursor, std::string& ident);
bool IdentToCursor(const std::string& ident, int32_t& cursor);

// Modal results of forms and buttons.
using TModalResult = int32_t;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

// Events.
using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
using TKeyEvent = TEvent<TObject*, uint16_t&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char&>;
using TContextPopupEvent = TEvent<TObject*, POINT, bool&>;
using TCanResizeEvent = TEvent<TObject*, int&, int&, bool&>;
using TConstrainedResizeEvent = TEvent<TObject*, int&, int&, int&, int&>;
// A method that receives a window's messages (AllocateHWnd).
using TWndMethod = TEvent<TMessage&>;

// Shift states from mouse-message key flags and from key data (GetKeyState for the modifier keys).
TShiftState KeysToShiftState(WPARAM Keys);
TShiftState KeyDataToShiftState(LPARAM KeyData);
TShiftState GetShiftState();

// A hint text "short|long": the part before the bar, the part after (the whole text without a bar).
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);

// What CreateParams fills in before the window is made.
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};
  char WinClassName[64] = {};
};

// Minimum and maximum size of a control (0 = no limit).
class TSizeConstraints : public TPersistent {
  YOZ_CLASS(TSizeConstraints, TPersistent)
public:
  explicit TSizeConstraints(TControl* Control) : FControl(Control) {}
  int MaxHeight() const { return FMaxHeight; }
  int MaxWidth() const { return FMaxWidth; }
  int MinHeight() const { return FMinHeight; }
  int MinWidth() const { return FMinWidth; }
  void SetMaxHeight(int Value);
  void SetMaxWidth(int Value);
  void SetMinHeight(int Value);
  void SetMinWidth(int Value);
  void Assign(TPersistent* Source) override;
  TNotifyEvent OnChange;
  static void Publish(TPublisher<TSizeConstraints>& p);

protected:
  virtual void Change();

private:
  TControl* FControl;
  int FMaxHeight = 0, FMaxWidth = 0, FMinHeight = 0, FMinWidth = 0;
};

// What a control asks of its popup menu on a right click (Menus' TPopupMenu implements it).
class IControlPopupMenu {
public:
  virtual ~IControlPopupMenu() = default;
  virtual bool PopupAutoPopup() const = 0;
  // Opens the menu at the screen point for Control (the menu's PopupComponent).
  virtual void PopupForControl(TControl* Control, int X, int Y) = 0;
};

// What CM_HINTSHOW's LParam points at: a control may change the hint before it shows (answer 0) or
// refuse it (answer non-zero).
struct THintInfo {
  TControl* HintControl = nullptr;
  POINT HintPos{};        // screen point of the hint window's top-left corner
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  RECT CursorRect{};      // the hint hides when the mouse leaves it (client coordinates of the control)
  POINT CursorPos{};      // client coordinates
  int HideTimeout = 0;
  std::string HintStr;
};

// Re-checks that a control still lives after calling code that may free it:
//     TLiveGuard g(this); Click(); if (!g) return;
class TLiveGuard {
public:
  explicit TLiveGuard(TControl* c);
  ~TLiveGuard();
  TLiveGuard(const TLiveGuard&) = delete;
  TLiveGuard& operator=(const TLiveGuard&) = delete;
  explicit operator bool() const { return FAlive; }
  bool Alive() const { return FAlive; }

private:
  friend class TControl;
  TControl* FControl;
  bool FAlive = true;
  TLiveGuard* FNext = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// TControl

class TControl : public TComponent {
  YOZ_CLASS(TControl, TComponent)
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  void BeforeDestruction() override;

  // Parent and place among its siblings.
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }
  virtual void SetZOrder(bool TopMost);

  // Bounds in the parent's client coordinates (a form: on the screen).
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  // The client area in the control's own coordinates.
  virtual RECT GetClientRect();
  RECT ClientRect() { return GetClientRect(); }
  int ClientWidth() { RECT r = GetClientRect(); return r.right - r.left; }
  int ClientHeight() { RECT r = GetClientRect(); return r.bottom - r.top; }
  void SetClientWidth(int Value) { SetClientSize(Value, -1); }
  void SetClientHeight(int Value) { SetClientSize(-1, Value); }
  // A negative W or H keeps that dimension.
  virtual void SetClientSize(int W, int H);
  // The screen point of the client area's origin.
  virtual POINT ClientOrigin();
  POINT ClientToScreen(POINT p);
  POINT ScreenToClient(POINT p);

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints* Constraints() const { return FConstraints; }
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent up to a form or a foreign window visible too.
  bool IsVisibleOnScreen() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);

  // Caption and Text are one string (a window's text while the window exists).
  std::string Caption() { return GetText(); }
  void SetCaption(const std::string& Value) { SetText(Value); }
  std::string Text() { return GetText(); }
  void SetText(const std::string& Value);
  virtual std::string GetText();

  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  // The effective value: the parent's while ParentShowHint.
  bool ShowHint() const;
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);

  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }
  TDragMode DragMode() const { return FDragMode; }
  virtual void SetDragMode(TDragMode Value) { FDragMode = Value; }

  // The popup menu: a component that implements IControlPopupMenu (Menus' TPopupMenu). Include
  // Menus.h to read it back typed: `Control->PopupMenu()`.
  template <class M = class TPopupMenu>
  M* PopupMenu() const { return dynamic_cast<M*>(FPopupMenu); }
  TComponent* PopupMenuComponent() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);

  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  // Window-control test without a cast.
  virtual bool IsWindowed() const { return false; }

  // The mouse capture: a windowed control holds it with SetCapture, a windowless one through its
  // parent's window.
  bool MouseCapture();
  void SetMouseCapture(bool Value);

  // Painting.
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // Messages.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetName(const std::string& NewName) override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;
  TConstrainedResizeEvent OnConstrainedResize;
  TContextPopupEvent OnContextPopup;

  static void Publish(TPublisher<TControl>& p);

  // Overridable behaviour (the class library's dynamic methods).
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Resize();
  virtual bool CanResize(int& NewWidth, int& NewHeight);
  virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
  virtual void ConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight);
  virtual void DoContextPopup(POINT MousePos, bool& Handled);
  // Where the popup menu opens when the keyboard asks for it (the Menu key, Shift+F10), in client
  // coordinates: the top left corner unless the control shows something selected.
  virtual POINT KeyboardPopupPoint();
  // The wheel turned while this control had the focus (MousePos on the screen). True when handled,
  // which keeps the message from the parent windows; by default a turn towards the user goes to
  // DoMouseWheelDown, one away from the user to DoMouseWheelUp, and neither handles it.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, POINT MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, POINT MousePos);
  // Called when the window text or caption changed (CM_TEXTCHANGED also follows).
  virtual void SetTextBuf(const std::string& Value);

  // The form the control sits on (nullptr when none).
  TCustomForm* GetParentForm() const;
  // Asks the parent to lay out its aligned children again after a change of this one.
  void RequestAlign();
  // Changes that need the parent's font or colour.
  void ParentFontChanged();

protected:
  void InvalidateControl(bool IsVisible, bool IsOpaque);
  void DoConstraintsChange(TObject* Sender);
  void ApplyConstraints(int& W, int& H);
  // What SetBounds starts with: a negative size becomes 0, a new size is offered to CanResize (not
  // while loading) and held to the constraints. False when the bounds come out as they are now.
  bool AdjustNewBounds(int ALeft, int ATop, int& AWidth, int& AHeight);
  void FontChanged(TObject* Sender);
  void SendCancelMode(TControl* Sender);

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  TSizeConstraints* FConstraints = nullptr;
  bool FAutoSize = false;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  TFont* FFont = nullptr;
  bool FParentFont = true;
  std::string FText;
  std::string FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TCursor FCursor = crDefault;
  int FHelpContext = 0;
  TDragMode FDragMode = dmManual;
  TComponent* FPopupMenu = nullptr;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState FControlState;

private:
  friend class TLiveGuard;
  friend class TWinControl;
  friend class TSizeConstraints;
  bool FApplyingParentFont = false;
  // Message handlers that Dispatch routes.
  void HandleMouse(TMessage& Message);
  void WMContextMenu(TWMContextMenu& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMMouseEnterLeave(TMessage& Message);
  TLiveGuard* FGuards = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// TWinControl

class TWinControl : public TControl {
  YOZ_CLASS(TWinControl, TControl)
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  // The window, made when first asked for.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // The window as it is (nullptr when none); setting it binds a window made elsewhere.
  HWND WindowHandle() const { return FHandle; }
  void SetWindowHandle(HWND Value) { FHandle = Value; }
  // A window outside the class library to be the parent window of a control without Parent.
  void SetParentWindow(HWND Value);
  // The window procedure the object's window procedure passes messages on to.
  WNDPROC DefWndProc() const { return FDefWndProc; }
  // The child-window id the window is made with (owner-draw measuring finds the control by it).
  UINT ControlID() const { return FControlID; }
  bool IsWindowed() const override { return true; }

  // The creation chain.
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  void RecreateWnd();
  // Makes the window (and the windows of the windowed children) when there is none yet.
  void CreateHandle();
  void DestroyHandle();
  // Makes the window class a superclass of the system class ControlClassName.
  void CreateSubClass(TCreateParams& Params, const char* ControlClassName);

  // Children: windowless and windowed in one list, in z-order (the last is on top).
  int ControlCount() const { return int(FControls.size()); }
  TControl* Controls(int Index) const { return FControls.at(size_t(Index)); }
  virtual void InsertControl(TControl* AControl);
  virtual void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  // The visible child at the client point (windowless only unless AllowWinControls); the topmost wins.
  TControl* ControlAtPos(POINT Pos, bool AllowDisabled, bool AllowWinControls = false);
  // Sends the message to every child until one answers non-zero.
  void Broadcast(TMessage& Message);
  void NotifyControls(UINT Msg);

  // Layout of aligned children.
  virtual void AlignControls(TControl* AControl, RECT& Rect);
  virtual void AdjustClientRect(RECT& Rect);
  void Realign();
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  bool AlignDisabled() const { return FAlignLevel > 0; }
  void AlignControl(TControl* AControl);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  bool DockSite() const { return FDockSite; }
  void SetDockSite(bool Value) { FDockSite = Value; }
  bool UseDockManager() const { return FUseDockManager; }
  void SetUseDockManager(bool Value) { FUseDockManager = Value; }

  // The brush of the window's background (Color).
  TBrush* Brush() const { return FBrush; }

  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value);

  // Focus and keyboard.
  bool Focused();
  virtual bool CanFocus();
  virtual void SetFocus();
  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  void GetTabOrderList(std::vector<TWinControl*>& List);
  // Puts a child at Index of the tab order (no loading check).
  void MoveTabOrder(TWinControl* Child, int Index);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  // A page of this container hides and Shown takes its place: when the form's active control was on
  // Hidden, it moves to the first control of Shown (with none there, to the form's next control).
  void FocusShownPage(TWinControl* Hidden, TWinControl* Shown);
  // The first control in this one's tab order that will take the focus once its form shows (a tab
  // stop, visible and enabled up to here), or null.
  TWinControl* FirstTabStop();
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void DoEnter();
  virtual void DoExit();
  // The key paths: the form's key preview, then KeyDown / KeyUp / KeyPress; True when a handler consumed
  // the key.
  bool DoKeyDown(TWMKey& Message);
  bool DoKeyUp(TWMKey& Message);
  bool DoKeyPress(TWMKey& Message);
  bool DoKeyStep(TWMKey& Message, bool (TWinControl::*FormStep)(TWMKey&),
                 void (TWinControl::*Step)(uint16_t&, TShiftState));

  // Painting.
  void PaintHandler(TWMPaint& Message);
  virtual void PaintWindow(HDC DC);
  // Paints the windowless children (from First on, all when nullptr) into DC.
  void PaintControls(HDC DC, TControl* First);
  // Paints the control and its children into DC at (X, Y).
  void PaintTo(HDC DC, int X, int Y);
  void Invalidate() override;
  void Update() override;
  void Repaint() override;

  // The window exists and is visible on the screen.
  bool Showing();

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetParent(TWinControl* AParent) override;
  void SetZOrder(bool TopMost) override;
  RECT GetClientRect() override;
  void SetClientSize(int W, int H) override;
  POINT ClientOrigin() override;
  std::string GetText() override;
  void SetTextBuf(const std::string& Value) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void Loaded() override;

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  static void Publish(TPublisher<TWinControl>& p);

protected:
  // Routes a mouse message at a windowless child (or the capture child) to it; True when routed.
  bool IsControlMouseMsg(TWMMouse& Message);
  // Reflection of a child's notification back to it as CN_*: No when the message is not of a reflected
  // kind, Sent when a child got it, NoChild when no control of ours sent it (the default takes it).
  enum class TReflect { No, Sent, NoChild };
  TReflect Reflect(TMessage& Message);
  // Message handlers, one per message (or family) that Dispatch routes.
  void WMMouseWheel(TWMMouseWheel& Message);
  void CNCtlColor(TMessage& Message);
  void WMPaint(TWMPaint& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMWindowPosChanged(TWMWindowPosMsg& Message);
  void WMSetFocus(TMessage& Message);
  void CMContextMenuKey(TMessage& Message);
  void WMKeyDown(TWMKey& Message);
  void WMKeyUp(TWMKey& Message);
  void CNKeyDown(TWMKey& Message);
  void CNChar(TWMKey& Message);
  void WMSetCursor(TWMSetCursor& Message);
  void WMContextMenu(TWMContextMenu& Message);
  void WMCancelMode(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMParentCtl3DChanged(TMessage& Message);
  void DefaultHandlerWithContextMenu(TMessage& Message, bool MenuKey);
  // Reads the bounds back from the window.
  void UpdateBounds();
  // The client area changed size: anchored children follow, aligned children are laid out again.
  void ClientSizeChanged();
  void RecordAnchorBase();
  void FreeChildren();

  HWND FHandle = nullptr;
  HWND FParentWindow = nullptr;
  TBrush* FBrush = nullptr;
  UINT FControlID = 0;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;
  int FAlignLevel = 0;
  int FBorderWidth = 0;
  bool FTabStop = false;
  int FTabOrderPending = -1;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  bool FDockSite = false;
  bool FUseDockManager = false;
  // The client size the anchored children were last placed for.
  int FAnchorClientW = -1, FAnchorClientH = -1;
  std::vector<TWinControl*> FTabList;

private:
  friend LRESULT CALLBACK ControlWndProc(HWND, UINT, WPARAM, LPARAM);
  friend class TControl;
  void BindWindow(HWND Wnd);
  void UnbindWindow();
};

// ---------------------------------------------------------------------------------------------------
// Canvas of a control: a window control's DC, or for a windowless control its parent's DC clipped and
// moved to the control's rectangle. Made on demand and released after the message that drew.

class TControlCanvas : public TCanvas {
public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return FControl; }
  void SetControl(TControl* Value);
  // Gives the DC back to the window.
  void FreeHandle();

protected:
  void CreateHandle() override;

private:
  TControl* FControl = nullptr;
  HDC FDeviceContext = nullptr;
  HWND FWindowHandle = nullptr;
  bool FMemoryDC = false;
};

class TGraphicControl : public TControl {
  YOZ_CLASS(TGraphicControl, TControl)
public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return FCanvas; }
  void Dispatch(TMessage& Message) override;

protected:
  virtual void Paint() {}
  // Sets a Transparent property held in Field: a transparent control does not cover its whole
  // rectangle, so what lies behind it is painted first.
  void ChangeTransparent(bool& Field, bool Value);

private:
  TControlCanvas* FCanvas;
};

class TCustomControl : public TWinControl {
  YOZ_CLASS(TCustomControl, TWinControl)
public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return FCanvas; }
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;

protected:
  virtual void Paint() {}
  void DestroyWindowHandle() override;

private:
  TControlCanvas* FCanvas;
};

// The small window that shows a hint.
class THintWindow : public TCustomControl {
  YOZ_CLASS(THintWindow, TCustomControl)
public:
  explicit THintWindow(TComponent* AOwner);
  // Shows the text in the rectangle (screen coordinates), topmost, without activating.
  virtual void ActivateHint(RECT Rect, const std::string& AHint);
  // The rectangle (at 0,0) the text needs, words wrapped at MaxWidth.
  virtual RECT CalcHintRect(int MaxWidth, const std::string& AHint);
  void ReleaseHandle() { DestroyHandle(); }
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

protected:
  void Paint() override;
};

// ---------------------------------------------------------------------------------------------------
// Windows and controls

// The control whose window is Wnd (nullptr when none).
TWinControl* FindControl(HWND Wnd);
// The control under the screen point, windowless children included.
TControl* FindDragTarget(POINT Pos, bool AllowDisabled);
// The windowed control under the screen point (or its nearest windowed control parent).
TWinControl* FindVCLWindow(POINT Pos);
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);

// A hidden window whose messages go to Method (timers, notification windows).
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);

// Registers the classes of this unit with the class registry (called by the application's start).
void RegisterControlsClasses();
