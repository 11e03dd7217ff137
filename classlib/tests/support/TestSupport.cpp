#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "ActnList.h"

void TFormsEnvironment::SetUp() {
  InitForms();
  for (auto r : FRegisters) r();
}

void TFormsEnvironment::TearDown() { DoneForms(); }

void Pump(int Ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < DWORD(Ms)) {
    Application->ProcessMessages();
    Sleep(1);
  }
}

bool NothingToPaint(HWND Wnd) {
  if (GetUpdateRect(Wnd, nullptr, FALSE)) return false;
  bool clean = true;
  EnumChildWindows(
      Wnd,
      [](HWND Child, LPARAM Clean) -> BOOL {
        if (!IsWindowVisible(Child) || !GetUpdateRect(Child, nullptr, FALSE)) return TRUE;
        *reinterpret_cast<bool*>(Clean) = false;
        return FALSE;
      },
      LPARAM(&clean));
  return clean;
}

bool PumpUntilPainted(HWND Wnd, int TimeoutMs) {
  bool painted = PumpUntil([&] { return IsWindowVisible(Wnd) && NothingToPaint(Wnd); }, TimeoutMs);
  PumpQueued();
  return painted;
}

bool PumpUntilFocused(HWND Wnd, int TimeoutMs) {
  bool focused = PumpUntil([&] { return GetFocus() == Wnd; }, TimeoutMs);
  PumpQueued();
  return focused;
}

namespace {
bool TimerFired = false;
void CALLBACK MarkTimerFired(HWND, UINT, UINT_PTR Id, DWORD) {
  KillTimer(nullptr, Id);
  TimerFired = true;
}
}  // namespace

void WaitTimers(int Ms) {
  TimerFired = false;
  UINT_PTR id = SetTimer(nullptr, 0, UINT(Ms), MarkTimerFired);
  // No limit shorter than the delay itself: a generous one on top of it.
  if (!PumpUntil([] { return TimerFired; }, Ms + 20000)) KillTimer(nullptr, id);
  Application->ProcessMessages();
}

namespace {

void RemoveTree(const std::string& Folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((Folder + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string n = fd.cFileName;
      if (n == "." || n == "..") continue;
      std::string p = Folder + n;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(p + "\\");
      else {
        SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(p.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(Folder.c_str());
}

std::atomic<int> FolderCounter{0};

}  // namespace

TTempFolder::TTempFolder(const std::string& Tag) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  FPath = std::string(tmp) + "yoz-" + Tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++FolderCounter) + "\\";
  RemoveTree(FPath);
  CreateDirectoryA(FPath.c_str(), nullptr);
}

TTempFolder::~TTempFolder() { RemoveTree(FPath); }

TRegistrySandbox::TRegistrySandbox() {
  FKey = "Software\\yOZTests\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++FolderCounter);
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegDeleteTreeA(HKEY_CURRENT_USER, FKey.c_str());
  RegCreateKeyExA(HKEY_CURRENT_USER, FKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &FRoot, nullptr);
  RegOverridePredefKey(HKEY_CURRENT_USER, FRoot);
}

TRegistrySandbox::~TRegistrySandbox() {
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (FRoot) RegCloseKey(FRoot);
  RegDeleteTreeA(HKEY_CURRENT_USER, FKey.c_str());
}

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 32 == 0) out += "\n    ";
    out += digits[uint8_t(bytes[i]) >> 4];
    out += digits[uint8_t(bytes[i]) & 15];
  }
  return out;
}

TMessageBoxAnswerer::TMessageBoxAnswerer(int Button, bool Every, int TimeoutMs)
    : FButton(Button), FEvery(Every), FTimeoutMs(TimeoutMs), FThread([this] { Run(); }) {}

TMessageBoxAnswerer::~TMessageBoxAnswerer() {
  FStop = true;
  FThread.join();
}

void TMessageBoxAnswerer::Run() {
  DWORD start = GetTickCount();
  HWND last = nullptr;
  while (!FStop && (FEvery || FAnswered == 0) && (FTimeoutMs == 0 || GetTickCount() - start < DWORD(FTimeoutMs))) {
    HWND box = nullptr;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          char cls[32] = {};
          GetClassNameA(w, cls, sizeof cls);
          if (pid == GetCurrentProcessId() && IsWindowVisible(w) && lstrcmpA(cls, "#32770") == 0) {
            *reinterpret_cast<HWND*>(p) = w;
            return FALSE;
          }
          return TRUE;
        },
        LPARAM(&box));
    // A box still showing after its answer was posted is not answered twice.
    if (box && box != last) {
      last = box;
      char buf[512] = {};
      GetDlgItemTextA(box, 0xFFFF, buf, sizeof buf);
      // The text as the program gave it: without the line breaks put in to fit the box.
      std::string text = buf;
      text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
      GetWindowTextA(box, buf, sizeof buf);
      {
        std::lock_guard<std::mutex> g(FLock);
        FText = text;
        FCaption = buf;
      }
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(FButton, BN_CLICKED), LPARAM(GetDlgItem(box, FButton)));
      ++FAnswered;
    }
    Sleep(50);
  }
}

std::string TMessageBoxAnswerer::Text() const {
  std::lock_guard<std::mutex> g(FLock);
  return FText;
}

std::string TMessageBoxAnswerer::Caption() const {
  std::lock_guard<std::mutex> g(FLock);
  return FCaption;
}

TWatchdog::TWatchdog(int Ms, const char* What)
    : FThread([this, Ms, What] {
        for (int i = 0; i < Ms / 10 && !FDone; ++i) Sleep(10);
        if (!FDone) {
          fprintf(stderr, "watchdog: %s\n", What);
          fflush(stderr);
          TerminateProcess(GetCurrentProcess(), 3);
        }
      }) {}

TWatchdog::~TWatchdog() {
  FDone = true;
  FThread.join();
}

namespace {

class TTestWatchdogs : public ::testing::EmptyTestEventListener {
public:
  explicit TTestWatchdogs(int Ms) : FMs(Ms) {}
  void OnTestStart(const ::testing::TestInfo& Test) override {
    FWhat = std::string(Test.test_suite_name()) + "." + Test.name() + " did not end within " +
            std::to_string(FMs / 1000) + " s";
    FDog = std::make_unique<TWatchdog>(FMs, FWhat.c_str());
  }
  void OnTestEnd(const ::testing::TestInfo&) override { FDog.reset(); }

private:
  int FMs;
  std::string FWhat;
  std::unique_ptr<TWatchdog> FDog;
};

}  // namespace

void WatchEveryTest(int Ms) { ::testing::UnitTest::GetInstance()->listeners().Append(new TTestWatchdogs(Ms)); }

namespace {
void SendKey(WORD Vk, bool Up) {
  INPUT i{};
  i.type = INPUT_KEYBOARD;
  i.ki.wVk = Vk;
  i.ki.dwFlags = Up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &i, sizeof i);
}

// The key messages this thread took from its queue (the keyboard hook sees each as it is taken): a
// key's release taken means the key was handled once the loop that took it has run. The key state's
// toggle bit cannot tell that under Wine: a thread's key state is refreshed from the desktop's.
struct TKeyTaken {
  WORD Vk;
  bool Up;
};
std::vector<TKeyTaken> KeysTaken;
LRESULT CALLBACK KeyWatch(int Code, WPARAM W, LPARAM L) {
  if (Code == HC_ACTION) KeysTaken.push_back({WORD(W), (L & 0x80000000) != 0});
  return CallNextHookEx(nullptr, Code, W, L);
}
bool Taken(WORD Vk, bool Up) {
  for (auto& k : KeysTaken)
    if (k.Vk == Vk && k.Up == Up) return true;
  return false;
}

// Keys come through the window system's queue: under load that takes long, never this long.
constexpr int KeyWaitMs = 20000;
}  // namespace

void PressKeys(WORD Vk, const std::vector<WORD>& Held) {
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD, KeyWatch, nullptr, GetCurrentThreadId());
  TScopeExit unhook([&] {
    UnhookWindowsHookEx(hook);
    KeysTaken.clear();
  });
  KeysTaken.clear();
  // The state the user sees when pressing: the application has been idle since the last input.
  UpdateActionListsOnIdle();
  // Each key is handled before the next one goes. A window just brought to the front may get the
  // modifiers' state a little later than their messages: the key must not go before it.
  for (WORD h : Held) SendKey(h, false);
  EXPECT_TRUE(PumpUntil([&] {
    for (WORD h : Held)
      if (!Taken(h, false) || GetKeyState(h) >= 0) return false;
    return true;
  }, KeyWaitMs)) << "the thread did not see the modifiers down";
  SendKey(Vk, false);
  SendKey(Vk, true);
  EXPECT_TRUE(PumpUntil([&] { return Taken(Vk, true); }, KeyWaitMs)) << "the thread did not take key " << Vk;
  for (auto h = Held.rbegin(); h != Held.rend(); ++h) SendKey(*h, true);
  EXPECT_TRUE(PumpUntil([&] {
    for (WORD h : Held)
      if (!Taken(h, true)) return false;
    return true;
  }, KeyWaitMs)) << "the thread did not take the modifiers' release";
  // What the keys made (characters, posted commands) is handled too.
  Application->ProcessMessages();
  UpdateActionListsOnIdle();
}
