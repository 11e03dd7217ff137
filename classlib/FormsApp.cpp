// The application object (message loop, idle work, exceptions, hints, help) and the screen.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ControlsInternal.h"
#include "Forms.h"
#include "SysUtils.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {
constexpr UINT_PTR HintTimerId = 1;
constexpr UINT_PTR MouseTimerId = 2;
constexpr UINT MousePollInterval = 100;
constexpr UINT_PTR HelpTimerId = 3;
constexpr UINT HelpPollInterval = 50;
constexpr DWORD HelpViewerLimit = 30000;  // a viewer with no window by then never makes one
}  // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  FIcon = new TIcon();
  if (HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON")) FIcon->SetHandle(icon);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name = name.substr(0, dot);
  FTitle = name;
}

TApplication::~TApplication() {
  CancelHint();
  // The help viewer closes with the program that opened it.
  if (FHelpUsed) HelpCommand(HELP_QUIT, 0);
  StopHelpWait();
  // The forms go first (they call back here while they go).
  DestroyComponents();
  FHintWindow = nullptr;
  if (FHandle) {
    HWND h = FHandle;
    FHandle = nullptr;
    DeallocateHWnd(h);
  }
  delete FIcon;
}

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&icc);
  GetFormatSettings();
}

HWND TApplication::Handle() {
  if (!FHandle) {
    FHandle = AllocateHWnd(Bind(this, &TApplication::WndProc));
    SetWindowTextA(FHandle, FTitle.c_str());
  }
  return FHandle;
}

// The application window is a hidden tool window until the main form shows; then it becomes a
// captioned window of no size, which the shell lists on the task bar under the title and icon.
static HWND TaskBarWindow = nullptr;  // the application window while it shows the button

void ShowTaskBarButton(bool Shown) {
  if (!Shown) {
    if (TaskBarWindow && IsWindow(TaskBarWindow)) ShowWindow(TaskBarWindow, SW_HIDE);
    TaskBarWindow = nullptr;
    return;
  }
  if (!Application) return;
  HWND app = Application->Handle();
  TaskBarWindow = app;
  if (IsWindowVisible(app)) return;
  SetWindowLongPtrA(app, GWL_EXSTYLE, GetWindowLongPtrA(app, GWL_EXSTYLE) & ~LONG_PTR(WS_EX_TOOLWINDOW));
  SetWindowLongPtrA(app, GWL_STYLE, WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX);
  if (HICON icon = Application->Icon()->Handle()) {
    ::SendMessageA(app, WM_SETICON, ICON_BIG, LPARAM(icon));
    ::SendMessageA(app, WM_SETICON, ICON_SMALL, LPARAM(icon));
  }
  SetWindowPos(app, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void TApplication::SetTitle(const std::string& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextA(FHandle, Value.c_str());
}

void TApplication::FormCreated(TCustomForm* Form) {
  if (!FMainForm) FMainForm = Form;
}

void TApplication::CreateForm(TFormClass FormClass, TCustomForm** Reference) {
  if (!FormClass || !FormClass->Create) throw EInvalidOperation("Cannot create a form of this class");
  TObject* o = FormClass->Create(this);
  auto* f = dynamic_cast<TCustomForm*>(o);
  if (!f) {
    TObject::Free(o);
    throw EInvalidOperation(std::string("Class ") + FormClass->Name + " is not a form");
  }
  if (Reference) *Reference = f;
  FormCreated(f);
  f->AfterConstruction();
}

void TApplication::Run() {
  FRunning = true;
  TScopeExit stopped([this] { FRunning = false; });
  if (FMainForm) {
    if (FMainForm->FWindowState == wsMinimized) {
      FMainForm->FVisible = true;
      FMainForm->HandleNeeded();
      ShowWindow(FMainForm->WindowHandle(), SW_SHOWMINNOACTIVE);
    } else {
      FMainForm->Show();
    }
  }
  while (!FTerminated) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

// ---------------------------------------------------------------------------------------------------
// Boxes nobody asked for

namespace {
thread_local int UnaskedDepth = 0;

// An unasked box being shown: caught as it is made, raised above other programs once it shows. Another
// timer may raise one while the first is open: the innermost is ShownBox, each knows the one outside.
struct TUnaskedBox {
  HHOOK Hook = nullptr;
  HWND Box = nullptr;
  UINT_PTR Timer = 0;
  bool Owned = false;
  TUnaskedBox* Outer = nullptr;
};
thread_local TUnaskedBox* ShownBox = nullptr;

void Flash(HWND Wnd, DWORD Flags) {
  if (!Wnd) return;
  FLASHWINFO f{sizeof f, Wnd, Flags, 0, 0};
  FlashWindowEx(&f);
}

LRESULT CALLBACK UnaskedBoxMade(int Code, WPARAM WParam, LPARAM LParam) {
  TUnaskedBox* b = ShownBox;
  HHOOK hook = b ? b->Hook : nullptr;
  if (Code == HCBT_CREATEWND && b && !b->Box) {
    char cls[16] = {};
    GetClassNameA(HWND(WParam), cls, sizeof cls);
    if (strcmp(cls, "#32770") == 0 && !(reinterpret_cast<CBT_CREATEWNDA*>(LParam)->lpcs->style & WS_CHILD)) {
      b->Box = HWND(WParam);
      // Each hook call costs a trip to Wine's server: the hook goes once it has what it waits for.
      UnhookWindowsHookEx(b->Hook);
      b->Hook = nullptr;
    }
  }
  return CallNextHookEx(hook, Code, WParam, LParam);
}

void CALLBACK UnaskedBoxTick(HWND, UINT, UINT_PTR Id, DWORD) {
  TUnaskedBox* b = ShownBox;
  while (b && b->Timer != Id) b = b->Outer;
  if (!b || !b->Box || !IsWindowVisible(b->Box)) return;
  KillTimer(nullptr, b->Timer);
  b->Timer = 0;
  // MB_TOPMOST alone is not enough: Wine ignores it. No activation: the keys stay where the user
  // types them unless the system gives this program the foreground.
  SetWindowPos(b->Box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // A box of no window of ours has a task-bar button of its own, which calls instead.
  if (!b->Owned) Flash(b->Box, FLASHW_ALL | FLASHW_TIMERNOFG);
}

// A window the user sees (a minimised owner would hide the box with it).
HWND ShowingWindow(HWND Wnd) { return Wnd && IsWindowVisible(Wnd) && !IsIconic(Wnd) ? Wnd : nullptr; }
}  // namespace

TUnaskedBoxScope::TUnaskedBoxScope() { ++UnaskedDepth; }
TUnaskedBoxScope::~TUnaskedBoxScope() { --UnaskedDepth; }
bool TUnaskedBoxScope::Active() { return UnaskedDepth > 0; }

int ShowMessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags) {
  if (Application) Application->HideAllHints();
  TQuitHeldScope quit;
  if (!TUnaskedBoxScope::Active())
    return ::MessageBoxA(Owner, MessageBoxText(Text).c_str(), Caption.c_str(), Flags);
  // The box belongs to the form the user sees, over it and blocking it as every box does; while the
  // program shows no window (hidden to the tray) the box stands on its own, with its own button.
  HWND owner = ShowingWindow(Owner);
  if (!owner && Screen && Screen->ActiveForm() && Screen->ActiveForm()->HandleAllocated())
    owner = ShowingWindow(Screen->ActiveForm()->WindowHandle());
  if (!owner && Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
    owner = ShowingWindow(Application->MainForm()->WindowHandle());
  TUnaskedBox box;
  box.Owned = owner != nullptr;
  box.Outer = ShownBox;
  // The task-bar button (the application window's) and the board's caption flash until the program
  // comes to the foreground, at the latest when the box is answered.
  HWND button = owner ? ShowingWindow(TaskBarWindow) : nullptr;
  Flash(button, FLASHW_ALL | FLASHW_TIMERNOFG);
  Flash(owner, FLASHW_ALL | FLASHW_TIMERNOFG);
  ShownBox = &box;
  box.Hook = SetWindowsHookExA(WH_CBT, UnaskedBoxMade, nullptr, GetCurrentThreadId());
  box.Timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, UnaskedBoxTick);
  TScopeExit done([&] {
    if (box.Hook) UnhookWindowsHookEx(box.Hook);
    if (box.Timer) KillTimer(nullptr, box.Timer);
    ShownBox = box.Outer;
    if (TUnaskedBox* outer = box.Outer) {
      // The box outside still waits for its answer, above other programs: by the time the box
      // raised over it goes, Wine has taken its topmost place away.
      if (outer->Box && !outer->Timer && IsWindow(outer->Box))
        SetWindowPos(outer->Box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      return;
    }
    Flash(button, FLASHW_STOP);
    Flash(owner, FLASHW_STOP);
  });
  return ::MessageBoxA(owner, MessageBoxText(Text).c_str(), Caption.c_str(), Flags | MB_TOPMOST);
}

TQuitHeldScope::TQuitHeldScope() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return;
  FHeld = true;
  FExitCode = int(msg.wParam);
}

TQuitHeldScope::~TQuitHeldScope() {
  if (FHeld) PostQuitMessage(FExitCode);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool handled = false;
  OnMessage(Msg, handled);
  if (!handled && !IsHintMsg(Msg) && !IsKeyMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
  if (Msg.message == WM_MOUSEMOVE || Msg.message == WM_NCMOUSEMOVE) DoMouseIdle();
  return true;
}

bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  // The control of the focused window, or of its nearest parent window that has one (a combo's edit).
  HWND wnd = Msg.hwnd;
  TWinControl* c = nullptr;
  while (wnd && !(c = FindControl(wnd))) wnd = GetParent(wnd);
  if (!c) return false;
  // The key runs shortcuts and default buttons here, outside any window procedure: what they raise
  // is handled here like any window's. Let through, it would end the modal loop of the form the key
  // was pressed in (its callers' loops run through here) and leave that form shown but no longer
  // modal, the windows behind it enabled. The key has done its work: nothing else gets it.
  try {
    return c->Perform(CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
  } catch (...) {
    HandleException(c);
    return true;
  }
}

bool TApplication::IsHintMsg(MSG& Msg) {
  if (!FHintActive) return false;
  switch (Msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
      CancelHint();
      break;
  }
  return false;
}

void TApplication::Idle(const MSG& Msg) {
  DoMouseIdle();
  bool done = true;
  try {
    OnIdle(this, done);
    DoActionIdle();
  } catch (...) {
    HandleException(this);
  }
  FreeControlCanvasDCs();
  if (done) WaitMessage();
}

void TApplication::AddIdleUpdate(void* Key, std::function<void()> Fn) { FIdleUpdates.push_back({Key, std::move(Fn)}); }

void TApplication::RemoveIdleUpdate(void* Key) {
  FIdleUpdates.erase(std::remove_if(FIdleUpdates.begin(), FIdleUpdates.end(),
                                    [Key](const TIdleUpdate& u) { return u.Key == Key; }),
                     FIdleUpdates.end());
}

void TApplication::DoActionIdle() {
  // A handler may add or remove others: run over a copy.
  std::vector<TIdleUpdate> list = FIdleUpdates;
  for (auto& u : list) u.Fn();
}

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr ep = std::current_exception();
  if (!ep) return;
  if (HWND cap = GetCapture()) ::SendMessageA(cap, WM_CANCELMODE, 0, 0);
  try {
    std::rethrow_exception(ep);
  } catch (EAbort&) {
    return;
  } catch (Exception& e) {
    if (OnException)
      OnException(Sender, &e);
    else
      ShowException(&e);
  } catch (std::exception& e) {
    Exception wrapped(e.what());
    if (OnException)
      OnException(Sender, &wrapped);
    else
      ShowException(&wrapped);
  } catch (...) {
    Exception wrapped("Unknown exception");
    if (OnException)
      OnException(Sender, &wrapped);
    else
      ShowException(&wrapped);
  }
}

void TApplication::ShowException(Exception* E) {
  std::string msg = E ? E->Message : std::string();
  if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
  HWND owner = nullptr;
  if (FMainForm && FMainForm->HandleAllocated()) owner = FMainForm->WindowHandle();
  ShowMessageBox(owner, msg, FTitle, MB_OK | MB_ICONSTOP);
}

void TApplication::SetActiveState(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (Value)
    OnActivate(this);
  else {
    CancelHint();
    OnDeactivate(this);
  }
}

void TApplication::Minimize() {
  if (FMainForm && FMainForm->HandleAllocated()) ShowWindow(FMainForm->WindowHandle(), SW_MINIMIZE);
  OnMinimize(this);
}

void TApplication::Restore() {
  if (FMainForm && FMainForm->HandleAllocated() && IsIconic(FMainForm->WindowHandle()))
    ShowWindow(FMainForm->WindowHandle(), SW_RESTORE);
  OnRestore(this);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  if (MessageBoxHook) return MessageBoxHook(Text, Caption, Flags);
  // The program's active window; while another program has the foreground, the form that was
  // active last.
  HWND owner = GetActiveWindow();
  if (!owner && Screen && Screen->ActiveForm() && Screen->ActiveForm()->HandleAllocated())
    owner = Screen->ActiveForm()->WindowHandle();
  if (!owner && FMainForm && FMainForm->HandleAllocated()) owner = FMainForm->WindowHandle();
  return ShowMessageBox(owner, Text, Caption, Flags);
}

void TApplication::BringToFront() {
  if (FMainForm && FMainForm->HandleAllocated()) {
    HWND w = GetLastActivePopup(FMainForm->WindowHandle());
    if (w && IsWindowVisible(w) && IsWindowEnabled(w)) SetForegroundWindow(w);
  }
}

HWND TApplication::HelpOwner() {
  return FMainForm && FMainForm->HandleAllocated() ? FMainForm->WindowHandle() : Handle();
}

void TApplication::SetHelpViewer(const std::string& Exe) {
  FHelpViewer = Exe;
  FHelpViewerReal = -1;
}

// The viewer answers at once when its window is there. When it is not, Wine's WinHelp starts it and
// fails the request before the window is made, and Windows' waits for it on this thread: the program
// starts the viewer itself and hands it the request from a timer once its window is there, so the
// board goes on answering meanwhile and the viewer is asked once. A newer request takes the place of
// one still waiting.
bool TApplication::HelpCommand(UINT Command, ULONG_PTR Data) {
  if (FHelpFile.empty()) return false;
  if (Command == HELP_QUIT) {
    StopHelpWait();
    return !FindWindowA("MS_WINHELP", nullptr) || WinHelpA(HelpOwner(), FHelpFile.c_str(), Command, Data);
  }
  std::string viewer = FHelpViewer;
  if (viewer.empty()) viewer = SystemHelpViewer();
  if (FHelpViewerReal < 0) FHelpViewerReal = IsHelpViewer(viewer);
  if (!FHelpViewerReal) return OpenHelpPage(Command, Data);
  FHelpUsed = true;
  if (FindWindowA("MS_WINHELP", nullptr)) return WinHelpA(HelpOwner(), FHelpFile.c_str(), Command, Data);
  FWaitingCommand = Command;
  FWaitingData = Data;
  FWaitingFile = FHelpFile;
  if (FHelpWaiting) return true;
  std::string line = "\"" + viewer + "\" -x";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(viewer.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  FHelpWaiting = true;
  FHelpWaitStart = GetTickCount();
  SetTimer(Handle(), HelpTimerId, HelpPollInterval, nullptr);
  return true;
}

void TApplication::StopHelpWait() {
  if (!FHelpWaiting) return;
  FHelpWaiting = false;
  if (FHandle) KillTimer(FHandle, HelpTimerId);
}

void TApplication::HelpWaitTimer() {
  if (!FHelpWaiting) return;
  if (FindWindowA("MS_WINHELP", nullptr)) {
    StopHelpWait();
    WinHelpA(HelpOwner(), FWaitingFile.c_str(), FWaitingCommand, FWaitingData);
  } else if (GetTickCount() - FHelpWaitStart > HelpViewerLimit) {
    StopHelpWait();
  }
}

bool TApplication::OpenHelpPage(UINT Command, ULONG_PTR Data) {
  std::string page = HelpPage(HelpPagesFolder(FHelpFile), Command, Data);
  if (page.empty()) return false;
  return INT_PTR(ShellExecuteA(HelpOwner(), "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

bool TApplication::HelpContext(int Context) { return HelpCommand(HELP_CONTEXT, ULONG_PTR(uint32_t(Context))); }

// Jumps by the topic's context number that is its context string's hash (our help compiler maps
// every topic so): HELP_CONTEXT works in every viewer, while Wine's ignores the JumpID macro that
// HELP_COMMAND would carry.
bool TApplication::HelpJump(const std::string& JumpID) { return HelpContext(HelpHash(JumpID)); }

// Where the system keeps its viewer: the system folder (Wine) or the Windows folder (Windows).
std::string SystemHelpViewer() {
  std::string found;
  for (auto folderOf : {GetSystemDirectoryA, GetWindowsDirectoryA}) {
    char folder[MAX_PATH] = {};
    folderOf(folder, MAX_PATH);
    found = IncludeTrailingBackslash(folder) + "winhlp32.exe";
    if (FileExists(found)) break;
  }
  return found;
}

bool IsHelpViewer(const std::string& Exe) {
  if (!FileExists(Exe)) return false;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(Exe.c_str(), &handle);
  std::vector<char> info(size);
  struct TTranslation { WORD Language, CodePage; }* t = nullptr;
  UINT bytes = 0;
  // Only a stub says what it is: a viewer without version information is taken as one.
  if (!size || !GetFileVersionInfoA(Exe.c_str(), 0, size, info.data()) ||
      !VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&t), &bytes))
    return true;
  for (UINT i = 0; i < bytes / sizeof *t; ++i) {
    char key[64];
    snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\FileDescription", t[i].Language, t[i].CodePage);
    char* text = nullptr;
    UINT length = 0;
    if (VerQueryValueA(info.data(), key, reinterpret_cast<void**>(&text), &length) && length &&
        LowerCase(std::string(text, strnlen(text, length))).find("stub") != std::string::npos)
      return false;
  }
  return true;
}

std::string HelpPagesFolder(const std::string& HelpFile) { return ChangeFileExt(HelpFile, "") + "-help\\"; }

std::string HelpPage(const std::string& Folder, UINT Command, ULONG_PTR Data) {
  std::string key;
  switch (Command) {
    case HELP_CONTEXT:
    case HELP_CONTEXTPOPUP: key = std::to_string(int32_t(Data)); break;
    case HELP_CONTENTS:
    case HELP_FINDER: key = "contents"; break;
    case HELP_KEY:
    case HELP_PARTIALKEY:
    case HELP_MULTIKEY: key = "index"; break;
    default: return "";
  }
  FILE* f = fopen((Folder + "contexts.txt").c_str(), "r");
  if (!f) return "";
  std::string page;
  char line[512];
  while (page.empty() && fgets(line, sizeof line, f)) {
    char name[64] = {}, file[256] = {};
    // Only a page of the folder itself.
    if (sscanf(line, "%63s %255s", name, file) == 2 && name == key && !strpbrk(file, "\\/:"))
      page = Folder + file;
  }
  fclose(f);
  return page;
}

int32_t HelpHash(const std::string& ContextString) {
  uint32_t h = 0;
  for (char c : ContextString) {
    uint32_t x = 0;
    if (c >= 'A' && c <= 'Z') x = c - 'A' + 17;
    else if (c >= 'a' && c <= 'z') x = c - 'a' + 17;
    else if (c >= '1' && c <= '9') x = c - '0';
    else if (c == '0') x = 10;
    else if (c == '.') x = 12;
    else if (c == '_') x = 13;
    if (x) h = h * 43 + x;
  }
  return int32_t(h);
}

// ---------------------------------------------------------------------------------------------------
// Mouse tracking and hints

void TApplication::ControlDestroyed(TControl* Control) {
  if (FMouseControl == Control) FMouseControl = nullptr;
  if (FHintControl == Control) {
    FHintControl = nullptr;
    CancelHint();
  }
  if (Control == FHintWindow) {
    FHintWindow = nullptr;
    FHintActive = false;
  }
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
  // A move over the control that shows the hint keeps it; the idle check handles the rest.
}

void TApplication::SetHint(const std::string& Value) {
  if (Value == FHint) return;
  FHint = Value;
  OnHint(this);
}

void TApplication::SetShowHint(bool Value) {
  if (Value == FShowHint) return;
  FShowHint = Value;
  if (!Value) {
    CancelHint();
    if (FHintWindow) {
      TObject::Free(FHintWindow);
      FHintWindow = nullptr;
    }
  }
}

// The hint of a control: its own, else its parent's.
static std::string EffectiveHint(TControl* c) {
  for (; c; c = c->Parent())
    if (!c->Hint().empty()) return c->Hint();
  return std::string();
}

void TApplication::DoMouseIdle() {
  POINT p;
  if (!GetCursorPos(&p)) return;
  TControl* c = FindDragTarget(p, true);
  if (c && c->ComponentState().Contains(csDestroying)) c = nullptr;
  if (c == FMouseControl) return;
  TControl* old = FMouseControl;
  FMouseControl = c;
  TLiveGuard gc(c);
  // LParam 0: the control itself; its containers hear of it with LParam = the control.
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (c && !gc) c = nullptr;
  if (FMouseControl != c) return;  // moved on inside the handler
  if (c) c->Perform(CM_MOUSEENTER, 0, 0);
  if (c && !gc) c = nullptr;
  FMouseControl = c;
  if (FHandle || c) {
    if (c)
      SetTimer(Handle(), MouseTimerId, MousePollInterval, nullptr);
    else
      KillTimer(FHandle, MouseTimerId);
  }
  // Hints follow the control under the mouse.
  SetHint(c ? GetLongHint(EffectiveHint(c)) : std::string());
  bool wasActive = FHintActive;
  CancelHint();
  FHintControl = nullptr;
  if (c && FShowHint && c->ShowHint() && !GetShortHint(EffectiveHint(c)).empty()) {
    FHintControl = c;
    StartHintTimer(UINT(wasActive ? FHintShortPause : FHintPause), 1);
  }
}

void TApplication::StartHintTimer(UINT Interval, int Kind) {
  FHintTimerKind = Kind;
  SetTimer(Handle(), HintTimerId, Interval ? Interval : 1, nullptr);
}

void TApplication::StopHintTimer() {
  if (FHintTimerKind && FHandle) KillTimer(FHandle, HintTimerId);
  FHintTimerKind = 0;
}

void TApplication::CancelHint() {
  StopHintTimer();
  if (FHintActive && FHintWindow && FHintWindow->HandleAllocated()) ShowWindow(FHintWindow->WindowHandle(), SW_HIDE);
  FHintActive = false;
}

std::string MessageBoxText(const std::string& Text) {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  HFONT font = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0) ? CreateFontIndirectA(&ncm.lfMessageFont)
                                                                                   : nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? HGDIOBJ(font) : GetStockObject(DEFAULT_GUI_FONT));
  // The box's text is 176 dialog units wide (264 pixels under Wine) and is broken again, at places of
  // the system's choosing (Wine: before a backslash), wherever a line is wider: every line is made to
  // fit it, trailing blank included, so a path is broken only where a line cannot hold it.
  SIZE letters{};
  GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
  const LONG room = 176 * std::max<LONG>((letters.cx / 26 + 1) / 2, 1) / 4;
  std::string out = WrapLines(Text, [&](const std::string& Line) {
    SIZE size{};
    GetTextExtentPoint32A(dc, Line.c_str(), int(Line.size()), &size);
    return size.cx <= room;
  });
  SelectObject(dc, old);
  DeleteDC(dc);
  if (font) DeleteObject(font);
  return out;
}

void TApplication::HideAllHints() {
  CancelHint();
  for (auto& c : std::vector<TIdleUpdate>(FHintCancels)) c.Fn();
}

void TApplication::AddHintCancel(void* Key, std::function<void()> Fn) {
  for (auto& c : FHintCancels)
    if (c.Key == Key) {
      c.Fn = std::move(Fn);
      return;
    }
  FHintCancels.push_back({Key, std::move(Fn)});
}

void TApplication::ActivateHint(POINT CursorPos) {
  TControl* c = FHintControl;
  if (!c) return;
  std::string hint = GetShortHint(EffectiveHint(c));
  if (hint.empty()) return;
  THintInfo info;
  info.HintControl = c;
  info.CursorPos = c->ScreenToClient(CursorPos);
  info.HintPos = POINT{CursorPos.x, CursorPos.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
  info.HintMaxWidth = Screen ? Screen->Width() : 800;
  info.HintColor = FHintColor;
  info.CursorRect = c->ClientRect();
  info.HideTimeout = FHintHidePause;
  info.HintStr = hint;
  TLiveGuard g(c);
  if (c->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || !g) return;
  if (!FHintWindow) FHintWindow = new THintWindow(this);
  FHintWindow->SetColor(info.HintColor);
  RECT r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr);
  OffsetRect(&r, info.HintPos.x, info.HintPos.y);
  FHintWindow->ActivateHint(r, info.HintStr);
  FHintActive = true;
  if (info.HideTimeout > 0) StartHintTimer(UINT(info.HideTimeout), 2);
}

void TApplication::HintTimerExpired() {
  int kind = FHintTimerKind;
  StopHintTimer();
  if (kind == 1) {
    POINT p;
    GetCursorPos(&p);
    if (FHintControl && FHintControl == FMouseControl) ActivateHint(p);
  } else if (kind == 2) {
    CancelHint();
  }
}

namespace {
// A shown, enabled window that Owner owns (a box blocking it), or none.
HWND EnabledOwnedPopup(HWND Owner) {
  struct TFind {
    HWND Owner;
    HWND Found = nullptr;
  } find{Owner};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND W, LPARAM P) {
        auto* f = reinterpret_cast<TFind*>(P);
        if (GetWindow(W, GW_OWNER) == f->Owner && IsWindowVisible(W) && IsWindowEnabled(W)) f->Found = W;
        return f->Found ? FALSE : TRUE;
      },
      LPARAM(&find));
  return find.Found;
}
}  // namespace

void TApplication::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == HintTimerId)
        HintTimerExpired();
      else if (Message.WParam == MouseTimerId)
        DoMouseIdle();
      else if (Message.WParam == HelpTimerId)
        HelpWaitTimer();
      return;
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      return;
    case WM_QUERYENDSESSION:
      Message.Result = 1;
      return;
    case WM_SETFOCUS: {
      // The task-bar button activated the application window: the focus goes on to the form the user
      // worked in last (a modal dialog, or the main form).
      HWND w = GetLastActivePopup(FHandle);
      if ((!w || w == FHandle) && FMainForm && FMainForm->HandleAllocated()) w = FMainForm->WindowHandle();
      // A form a box blocks (one a timer raised while the user was elsewhere): the box comes forward.
      if (w && !IsWindowEnabled(w))
        if (HWND box = EnabledOwnedPopup(w)) w = box;
      if (w && w != FHandle && IsWindowVisible(w) && IsWindowEnabled(w)) ::SetFocus(w);
      return;
    }
    case WM_SYSCOMMAND:
      // The task-bar button's minimise and restore act on the main form.
      if (FMainForm && FMainForm->HandleAllocated() &&
          ((Message.WParam & 0xFFF0) == SC_MINIMIZE || (Message.WParam & 0xFFF0) == SC_RESTORE)) {
        ::PostMessageA(FMainForm->WindowHandle(), WM_SYSCOMMAND, Message.WParam & 0xFFF0, 0);
        return;
      }
      break;
  }
  Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

// ---------------------------------------------------------------------------------------------------
// TScreen

static TFont* FontFromLogFont(const LOGFONTA& lf) {
  auto* f = new TFont();
  if (HFONT h = CreateFontIndirectA(&lf)) f->SetHandle(h);
  return f;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
  FPixelsPerInch = GetDeviceCaps(ScreenDC().DC, LOGPIXELSY);
  FHintFont = new TFont();
  FMenuFont = new TFont();
  ResetFonts();
}

TScreen::~TScreen() {
  for (auto& c : FCursors) DestroyCursor(c.Handle);
  delete FHintFont;
  delete FMenuFont;
}

void TScreen::ResetFonts() {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    std::unique_ptr<TFont> hint(FontFromLogFont(ncm.lfStatusFont));
    std::unique_ptr<TFont> menu(FontFromLogFont(ncm.lfMenuFont));
    FHintFont->Assign(hint.get());
    FMenuFont->Assign(menu.get());
  }
}

void TScreen::AddForm(TCustomForm* Form) {
  if (std::find(FForms.begin(), FForms.end(), Form) == FForms.end()) FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
  if (FActiveForm == Form) {
    FActiveForm = nullptr;
    FActiveControl = nullptr;
  }
}

void TScreen::SetActiveForm(TCustomForm* Form) {
  FActiveForm = Form;
  if (Form) FActiveControl = Form->ActiveControl();
}

RECT TScreen::WorkAreaRect() const {
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

HCURSOR TScreen::Cursors(int Index) {
  for (auto& c : FCursors)
    if (c.Index == Index) return c.Handle;
  LPCSTR id = IDC_ARROW;
  switch (Index) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: case crSQLWait: id = IDC_WAIT; break;
    case crNoDrop: case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
  }
  return LoadCursorA(nullptr, id);
}

void TScreen::SetCursors(int Index, HCURSOR Handle) {
  for (auto& c : FCursors)
    if (c.Index == Index) {
      if (c.Handle != Handle) DestroyCursor(c.Handle);
      c.Handle = Handle;
      return;
    }
  if (Handle) FCursors.push_back({Index, Handle});
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  POINT p;
  if (Value != crDefault) {
    ::SetCursor(Cursors(Value));
  } else if (GetCursorPos(&p)) {
    // Let the window under the mouse choose its cursor again.
    HWND w = WindowFromPoint(p);
    if (w && GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) {
      LRESULT hit = ::SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
      ::SendMessageA(w, WM_SETCURSOR, WPARAM(w), MAKELPARAM(hit, WM_MOUSEMOVE));
    }
  }
}

// ---------------------------------------------------------------------------------------------------

void InitForms() {
  if (Application) return;
  // The runtime's heap as a low-fragmentation heap: a board of thousands of rows is gathered, shown and
  // freed on every refill, and Wine's plain heap gives that memory back to the system each time and
  // faults it in again on the next refill, so the refill grew faster than the rows.
  ULONG lowFragmentation = 2;
  HeapSetInformation(reinterpret_cast<HANDLE>(_get_heap_handle()), HeapCompatibilityInformation, &lowFragmentation,
                     sizeof lowFragmentation);
  Application = new TApplication(nullptr);
  Screen = new TScreen(nullptr);
  RegisterControlsClasses();
  RegisterClasses({TCustomForm::StaticClass(), TForm::StaticClass()});
}

void DoneForms() {
  if (Application) {
    TApplication* app = Application;
    TObject::Free(app);
    Application = nullptr;
  }
  if (Screen) {
    while (Screen->FormCount() > 0) TObject::Free(Screen->Forms(Screen->FormCount() - 1));
    TScreen* s = Screen;
    Screen = nullptr;
    TObject::Free(s);
  }
}
