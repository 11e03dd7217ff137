// Forms, the application object and the screen.
//
// A form's components and properties come from the RCDATA resource named after its class (a `.form`
// text). C++ cannot read them inside the base constructor (the derived class does not exist yet), so a
// form is made in two steps, which every creation path below does for you:
//     TfrmAbout* f = NewForm<TfrmAbout>(this);        // construct, read the resource, OnCreate
//     Application->CreateForm(frmMain);               // the same, the variable set before reading
// (Show and ShowModal finish a form that was only constructed.)
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "Messages.h"

class TApplication;
class TScreen;

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
extern const TEnumInfo WindowStateNames;
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
extern const TEnumInfo PositionNames;
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
extern const TEnumInfo BorderIconNames;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
extern const TEnumInfo FormStyleNames;
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;
using TExceptionEvent = TEvent<TObject*, Exception*>;
using TIdleEvent = TEvent<TObject*, bool&>;
using TMessageEvent = TEvent<MSG&, bool&>;
using TShortCutEvent = TEvent<TWMKey&, bool&>;

class EInvalidForm : public Exception {
public:
  using Exception::Exception;
};

// ---------------------------------------------------------------------------------------------------

class TCustomForm : public TWinControl {
  YOZ_CLASS(TCustomForm, TWinControl)
public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  void BeforeDestruction() override;

  // Reads the form resource named after the class (when there is one) and runs OnCreate. Runs once.
  virtual void AfterConstruction();
  // The same without reading any resource (a bare form that code or a stream fills).
  void AfterConstructionNew();
  bool Constructed() const { return FConstructed; }

  void Show();
  void Hide();
  void Close();
  virtual bool CloseQuery();
  virtual int ShowModal();
  // Frees the form once the messages being handled are done (posted).
  void Release();
  bool Modal() const { return FModal; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TWindowState WindowState();
  void SetWindowState(TWindowState Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TIcon* Icon() const { return FIcon; }
  void SetIcon(TIcon* Value) { FIcon->Assign(Value); }
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  TCanvas* Canvas() const { return FCanvas; }
  // The main menu (Menus' TMainMenu) of the form, nullptr when none.
  TComponent* Menu() const { return FMenu; }
  void SetMenu(TComponent* Value);

  // The control that has (or gets, when the form is activated) the focus.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  // Called as a control of the form gets the focus: CM_EXIT and CM_ENTER on the way.
  virtual bool SetFocusedControl(TWinControl* Control);
  void FocusControl(TWinControl* Control);
  void DefocusControl(TWinControl* Control, bool Removing);
  bool Active() const { return FActive; }
  // A key pressed anywhere on the form: OnShortCut, then the shortcuts of the form's main menu,
  // action lists and popup menus. True when one ran.
  virtual bool IsShortCut(TWMKey& Message);

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void SetFocus() override;
  bool CanFocus() override { return IsVisibleOnScreen() && Enabled(); }
  void SetClientSize(int W, int H) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TShortCutEvent OnShortCut;

  static void Publish(TPublisher<TCustomForm>& p);

protected:
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  virtual void Paint();
  // Answers CM_DIALOGKEY: Tab and arrows move the focus, other keys go to the controls (buttons).
  void CMDialogKey(TWMKey& Message);
  bool ChooseRadio(bool GoForward);
  // Message handlers that Dispatch routes.
  void CMVisibleChanged(TMessage& Message);
  void WMActivate(TWMActivate& Message);
  void WMActivateApp(TMessage& Message);
  void WMGetMinMaxInfo(TWMGetMinMaxInfo& Message);
  void WMSize(TMessage& Message);
  void WMSysCommand(TMessage& Message);
  void WMHelp(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void PlaceOnScreen();
  void ApplyShow(bool Visible);

  TCanvas* FCanvas;

private:
  bool FConstructed = false;
  bool FCreateDone = false;
  bool FModal = false;
  bool FActive = false;
  bool FShown = false;
  TModalResult FModalResult = mrNone;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  TFormStyle FFormStyle = fsNormal;
  TIcon* FIcon;
  bool FKeyPreview = false;
  TComponent* FMenu = nullptr;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  int FPendingClientW = -1, FPendingClientH = -1;
  friend class TApplication;
};

class TForm : public TCustomForm {
  YOZ_CLASS(TForm, TCustomForm)
public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

using TFormClass = TClass;

// Makes a form of class F: constructs it, reads its resource and runs OnCreate.
template <class F>
F* NewForm(TComponent* AOwner) {
  F* f = new F(AOwner);
  TFailScope unmade([f] { TObject::Free(f); });
  f->AfterConstruction();
  return f;
}

// Called first with every message a form gets (the menus use it for WM_COMMAND and the menu
// messages); answering True means handled.
extern bool (*FormMessageHook)(TCustomForm* Form, TMessage& Message);

// Makes a bare form of class F (no resource is read), then OnCreate.
template <class F>
F* CreateNewForm(TComponent* AOwner) {
  F* f = new F(AOwner);
  TFailScope unmade([f] { TObject::Free(f); });
  f->AfterConstructionNew();
  return f;
}

// The form a control sits on; ValidParentForm raises EInvalidOperation when there is none.
TCustomForm* GetParentForm(TControl* Control);

// A message box's text broken into lines that fit the box's ("\n" put in after a blank, or inside a
// word too long for a line): the box itself then breaks none of them again.
std::string MessageBoxText(const std::string& Text);
TCustomForm* ValidParentForm(TControl* Control);

// ---------------------------------------------------------------------------------------------------

// The events an application raises; TApplicationEvents offers the same set to a form's own code.
struct TApplicationEventSet {
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  TNotifyEvent OnHint;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TMessageEvent OnMessage;
};

class TApplication : public TComponent, public TApplicationEventSet {
  YOZ_CLASS(TApplication, TComponent)
public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  void Initialize();
  // Makes a form of class T into Reference (set before the resource is read); the first form made
  // becomes the main form.
  template <class T>
  void CreateForm(T*& Reference) {
    Reference = new T(this);
    FormCreated(Reference);
    Reference->AfterConstruction();
  }
  void CreateForm(TFormClass FormClass, TCustomForm** Reference);
  // Shows the main form and runs the message loop until the program ends.
  void Run();
  void ProcessMessages();
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // Hands the exception being handled (call inside a catch block) to OnException or ShowException.
  void HandleException(TObject* Sender);
  void ShowException(Exception* E);

  HWND Handle();
  TCustomForm* MainForm() const { return FMainForm; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value);
  TIcon* Icon() const { return FIcon; }
  bool Active() const { return FActive; }
  void Minimize();
  void Restore();
  void BringToFront();
  // A system message box (MB_* flags) owned by the active window of the program (the main form
  // when none); returns the button pressed (IDOK, IDYES...). MessageBoxHook answers instead when set.
  // (windows.h makes MessageBox a macro for MessageBoxA; declaration and callers both see it.)
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags = MB_OK);
  std::function<int(const std::string& Text, const std::string& Caption, UINT Flags)> MessageBoxHook;

  // Help through WinHelp: HelpContext opens the topic mapped to a context number, HelpJump the topic
  // of a context string. Where the machine has no WinHelp viewer (no winhlp32.exe in the system or
  // Windows folder, or only the stub later Windows carry), each request opens the topic's web page
  // from the help file's pages (HelpPagesFolder) with the default program for web pages.
  const std::string& HelpFile() const { return FHelpFile; }
  void SetHelpFile(const std::string& Value) { FHelpFile = Value; }
  bool HelpCommand(UINT Command, ULONG_PTR Data);
  bool HelpContext(int Context);
  bool HelpJump(const std::string& JumpID);
  // The WinHelp viewer program, SystemHelpViewer unless set; whether it is a real viewer is decided
  // at the first help request after.
  void SetHelpViewer(const std::string& Exe);

  // Hints.
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  TColor HintColor() const { return FHintColor; }
  void SetHintPause(int Value) { FHintPause = Value; }
  void CancelHint();
  // Hides every hint shown or about to show, the application's own and those of other units (which
  // add theirs): a dialog, a menu or a box opens over the control the hint was for.
  void HideAllHints();
  void AddHintCancel(void* Key, std::function<void()> Fn);
  void ActivateHint(POINT CursorPos);
  THintWindow* HintWindow() const { return FHintWindow; }

  // Idle work other units add (the action lists update their actions here).
  void AddIdleUpdate(void* Key, std::function<void()> Fn);
  void RemoveIdleUpdate(void* Key);
  virtual void DoActionIdle();

  // What the controls tell the application.
  void ControlDestroyed(TControl* Control);
  void HintMouseMessage(TControl* Control, TMessage& Message);
  void SetActiveState(bool Value);
  void FormCreated(TCustomForm* Form);
  void ModalStarted() { ++FModalLevel; }
  void ModalFinished() { --FModalLevel; }
  int ModalLevel() const { return FModalLevel; }
  // Updates mouse enter/leave for the control under the cursor.
  void DoMouseIdle();

private:
  bool ProcessMessage(MSG& Msg);
  void Idle(const MSG& Msg);
  bool IsKeyMsg(MSG& Msg);
  bool IsHintMsg(MSG& Msg);
  void WndProc(TMessage& Message);
  void HintTimerExpired();
  HWND HelpOwner();
  bool OpenHelpPage(UINT Command, ULONG_PTR Data);
  void StopHelpWait();
  void HelpWaitTimer();
  void StartHintTimer(UINT Interval, int Kind);
  void StopHintTimer();

  HWND FHandle = nullptr;
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  bool FActive = false;
  bool FRunning = false;
  std::string FTitle;
  std::string FHelpFile;
  bool FHelpUsed = false;
  std::string FHelpViewer;
  int FHelpViewerReal = -1;  // not decided yet
  // A request waiting for the viewer just started to make its window.
  bool FHelpWaiting = false;
  DWORD FHelpWaitStart = 0;
  UINT FWaitingCommand = 0;
  ULONG_PTR FWaitingData = 0;
  std::string FWaitingFile;
  TIcon* FIcon;
  std::string FHint;
  bool FShowHint = true;
  TColor FHintColor = clInfoBk;
  int FHintPause = 500;
  int FHintHidePause = 2500;
  int FHintShortPause = 50;
  THintWindow* FHintWindow = nullptr;
  TControl* FHintControl = nullptr;
  bool FHintActive = false;
  int FHintTimerKind = 0;  // 0 none, 1 show, 2 hide
  TControl* FMouseControl = nullptr;
  int FModalLevel = 0;
  struct TIdleUpdate {
    void* Key;
    std::function<void()> Fn;
  };
  std::vector<TIdleUpdate> FIdleUpdates;
  std::vector<TIdleUpdate> FHintCancels;
  friend class TCustomForm;
};

// A quit already asked for (Terminate) waits while a message box runs its own message loop: the box
// would take the quit as its end and vanish before anyone saw it (an error raised while the start
// ends). The quit is asked for again, with its exit code, when the scope ends.
class TQuitHeldScope {
public:
  TQuitHeldScope();
  ~TQuitHeldScope();
  TQuitHeldScope(const TQuitHeldScope&) = delete;

private:
  bool FHeld = false;
  int FExitCode = 0;
};

// Boxes nobody asked for: every timer's handler runs inside one of these. What it shows comes while
// the user may be working in another program, which Windows does not let this program take the
// foreground from; a box shown then is put above the other programs' windows without taking their
// keys, and the program's task-bar button flashes until the box is answered.
class TUnaskedBoxScope {
public:
  TUnaskedBoxScope();
  ~TUnaskedBoxScope();
  TUnaskedBoxScope(const TUnaskedBoxScope&) = delete;
  TUnaskedBoxScope& operator=(const TUnaskedBoxScope&) = delete;
  static bool Active();
};

// Shows a system message box as every box of the program is shown: hints hidden, a waiting quit held
// back, and, inside a TUnaskedBoxScope, above the other programs and calling for attention (owned by
// the program's form active last when Owner is not showing).
int ShowMessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags);

// ---------------------------------------------------------------------------------------------------

class TScreen : public TComponent {
  YOZ_CLASS(TScreen, TComponent)
public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  int FormCount() const { return int(FForms.size()); }
  TCustomForm* Forms(int Index) const { return FForms.at(size_t(Index)); }
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }

  // The cursor shown everywhere while not crDefault.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  HCURSOR Cursors(int Index);
  void SetCursors(int Index, HCURSOR Handle);

  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  RECT WorkAreaRect() const;
  int PixelsPerInch() const { return FPixelsPerInch; }
  TFont* HintFont() const { return FHintFont; }
  TFont* MenuFont() const { return FMenuFont; }

  // Kept by the forms.
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void SetActiveForm(TCustomForm* Form);
  void SetActiveControl(TWinControl* Control) { FActiveControl = Control; }
  void ResetFonts();

private:
  std::vector<TCustomForm*> FForms;
  TCustomForm* FActiveForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCursor FCursor = crDefault;
  struct TCursorRec {
    int Index;
    HCURSOR Handle;
  };
  std::vector<TCursorRec> FCursors;
  int FPixelsPerInch = 96;
  TFont* FHintFont;
  TFont* FMenuFont;
};

extern TApplication* Application;
extern TScreen* Screen;

// WinHelp's hash of a topic's context string (letters of either case, digits, '.' and '_' count).
int32_t HelpHash(const std::string& ContextString);
// The system's WinHelp viewer program: winhlp32.exe of the system folder or else of the Windows folder.
std::string SystemHelpViewer();
// Whether Exe is a WinHelp viewer: it exists and its version information does not call it a stub.
bool IsHelpViewer(const std::string& Exe);
// The folder of a help file's web pages: the help file's name without ".hlp" and "-help", beside it,
// with the trailing "\".
std::string HelpPagesFolder(const std::string& HelpFile);
// The page a help request opens, by the folder's contexts.txt (lines "<context number> <page>",
// "contents <page>", "index <page>"); "" when it names none.
std::string HelpPage(const std::string& Folder, UINT Command, ULONG_PTR Data);

// Creates Application and Screen (the program's start calls it once; tests too).
void InitForms();
// Frees the forms, Screen and Application.
void DoneForms();
