#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

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
