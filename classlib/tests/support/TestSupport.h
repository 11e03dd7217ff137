#pragma once
// The one set of helpers every test program shares: a message pump that waits for something to
// happen, forms owned by a test and freed the class library's way, finders for a form's components,
// a private temporary folder, a private registry hive and a thread that answers message boxes. Folder-specific helpers build on these
// (app/tests/AppTestSupport.h, store/tests/StoreTestSupport.h).
// The waiting rules below follow from how Wine delivers input (real input passes through the display
// and arrives later; a window hidden or shown without a window manager takes its time; the pointer
// follows the X server): see docs/WINE.md, "Tests and scripts".
#include <windows.h>

#include <atomic>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Forms.h"

// Starts the forms library for the whole test program and registers the classes its forms read.
class TFormsEnvironment : public ::testing::Environment {
public:
  explicit TFormsEnvironment(std::initializer_list<void (*)()> Registers = {}) : FRegisters(Registers) {}
  void SetUp() override;
  void TearDown() override;

private:
  std::vector<void (*)()> FRegisters;
};

// Processes messages until Done() holds or TimeoutMs passed; gives Done()'s last answer. The limit
// only bounds a wait that fails: a loaded machine may take seconds for what takes milliseconds alone.
template <class F>
bool PumpUntil(F Done, int TimeoutMs = 20000) {
  DWORD start = GetTickCount();
  while (!Done()) {
    Application->ProcessMessages();
    if (GetTickCount() - start > DWORD(TimeoutMs)) return Done();
    Sleep(1);
  }
  return true;
}

// Processes messages for Ms milliseconds. Only for a wait that shows something does NOT happen, or
// lets time pass for a behaviour that is about time (a timer's interval); to wait for something to
// happen use PumpUntil or one of the waits below.
void Pump(int Ms);

// Processes the messages already queued, and those they queue in turn, until none is left: enough after
// posted messages, not after input sent with SendInput (it passes through the display and may arrive
// later: wait for its effect).
inline void PumpQueued() { Application->ProcessMessages(); }

// Whether neither Wnd nor any shown window inside it waits for its WM_PAINT.
bool NothingToPaint(HWND Wnd);

// Processes messages until Wnd is visible and neither it nor any window inside it has anything left to
// paint, then what is queued.
bool PumpUntilPainted(HWND Wnd, int TimeoutMs = 20000);

// Processes messages until Wnd has the keyboard focus, then what is queued (the focus change's own
// notifications).
bool PumpUntilFocused(HWND Wnd, int TimeoutMs = 20000);

// A form owned by the test: forms are freed, not deleted.
struct FormDeleter {
  void operator()(TCustomForm* f) const { TObject::Free(f); }
};
template <class F = TForm>
using Owned = std::unique_ptr<F, FormDeleter>;
using FormPtr = Owned<TForm>;

// The component Name of Root as a T, or null.
template <class T>
T* Find(TComponent* Root, const char* Name) {
  return dynamic_cast<T*>(Root->FindComponent(Name));
}

// A new empty folder under the temporary folder, with a trailing backslash; removed with all it holds
// by the destructor.
class TTempFolder {
public:
  explicit TTempFolder(const std::string& Tag);
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  const std::string& Path() const { return FPath; }
  std::string File(const std::string& Name) const { return FPath + Name; }

private:
  std::string FPath;
};

// Points HKEY_CURRENT_USER of this process at a private key for its lifetime, so test programs that
// run in parallel do not share "\Software\QDSoftware\yOZ".
class TRegistrySandbox {
public:
  TRegistrySandbox();
  ~TRegistrySandbox();
  TRegistrySandbox(const TRegistrySandbox&) = delete;

private:
  std::string FKey;
  HKEY FRoot = nullptr;
};

// Answers the dialog boxes (#32770) of this process from a thread of its own by clicking their button
// Button: the first box only, or each new box when Every is set; looks for TimeoutMs at most (0: as long
// as it lives). Answered() counts the boxes answered.
class TMessageBoxAnswerer {
public:
  explicit TMessageBoxAnswerer(int Button, bool Every = false, int TimeoutMs = 0);
  ~TMessageBoxAnswerer();
  TMessageBoxAnswerer(const TMessageBoxAnswerer&) = delete;
  int Answered() const { return FAnswered; }
  // The text and title of the last box answered.
  std::string Text() const;
  std::string Caption() const;

private:
  void Run();
  int FButton;
  bool FEvery;
  int FTimeoutMs;
  std::atomic<bool> FStop{false};
  std::atomic<int> FAnswered{0};
  mutable std::mutex FLock;
  std::string FText, FCaption;
  std::thread FThread;
};

// Ends the test program (exit code 3) when it is still alive after Ms milliseconds, so a modal loop
// that never ends fails the run instead of stalling it.
class TWatchdog {
public:
  explicit TWatchdog(int Ms = 60000, const char* What = "a modal loop did not end");
  ~TWatchdog();
  TWatchdog(const TWatchdog&) = delete;

private:
  std::atomic<bool> FDone{false};
  std::thread FThread;
};

// Arms a TWatchdog for every test of the program that ends it (exit code 3) naming the test when that
// test has run Ms milliseconds: for programs whose modal loops end only by input or a timer. Call once,
// before the tests run (e.g. from a global's initializer).
void WatchEveryTest(int Ms);

// Holds the pointer on a point (SetCursorPos and ClipCursor) while it lives: another test program on
// the shared display moving the pointer would otherwise move the position this program reads.
class THoldPointer {
public:
  explicit THoldPointer(POINT P) { Move(P); }
  void Move(POINT P) {
    RECT r{P.x, P.y, P.x + 1, P.y + 1};
    ClipCursor(&r);
    SetCursorPos(P.x, P.y);
  }
  ~THoldPointer() { ClipCursor(nullptr); }
  THoldPointer(const THoldPointer&) = delete;
};

// Bytes as upper-case hex, 32 to a line, for readable failures.
std::string Hex(const std::string& bytes);
