#pragma once
// The shell controls' tests use the shared helpers, plus a few of their own for PIDLs and folder trees.
#include <shlobj.h>

#include <memory>
#include <string>

#include "TestSupport.h"

// A PIDL freed with the shell's allocator when it goes out of scope.
struct PidlDeleter {
  void operator()(ITEMIDLIST* p) const;
};
using PidlPtr = std::unique_ptr<ITEMIDLIST, PidlDeleter>;

// The PIDL of a path (a failure is reported and gives null).
PidlPtr ToPidl(const std::string& Path);

// Starts the forms library and the shell controls for the whole test program; with Ole set, OLE first
// (the views' drag and drop needs it).
class TShellEnvironment : public ::testing::Environment {
public:
  explicit TShellEnvironment(bool Ole = false) : FOle(Ole) {}
  void SetUp() override;
  void TearDown() override;

private:
  bool FOle;
};

// Presses and releases the key with real input (it goes to the window that has the focus).
void PressKey(WORD Vk);

// A folder tree of the test's own inside the prefix's temporary folder, removed (with all it holds)
// when the object goes. Paths are given relative to its root, which has no trailing backslash.
class TTestTree {
public:
  explicit TTestTree(const std::string& Name);
  TTestTree(const TTestTree&) = delete;
  const std::string& Root() const { return FRoot; }
  std::string Path(const std::string& Rel) const { return Rel.empty() ? FRoot : FRoot + "\\" + Rel; }
  // Makes the folder (and its parents) and gives its full path.
  std::string Folder(const std::string& Rel) const;
  // Makes the file with the text and gives its full path.
  std::string File(const std::string& Rel, const std::string& Text = "x") const;
  static bool Exists(const std::string& Path);

private:
  TTempFolder FTemp;
  std::string FRoot;
};

// An IMalloc over the task allocator that counts what it hands out and takes back.
class TCountingMalloc : public IMalloc {
public:
  int Allocs = 0, Frees = 0;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
  ULONG STDMETHODCALLTYPE Release() override { return --FRefs; }
  void* STDMETHODCALLTYPE Alloc(SIZE_T cb) override;
  void* STDMETHODCALLTYPE Realloc(void* pv, SIZE_T cb) override { return CoTaskMemRealloc(pv, cb); }
  void STDMETHODCALLTYPE Free(void* pv) override;
  SIZE_T STDMETHODCALLTYPE GetSize(void*) override { return SIZE_T(-1); }
  int STDMETHODCALLTYPE DidAlloc(void*) override { return -1; }
  void STDMETHODCALLTYPE HeapMinimize() override {}
  ULONG Refs() const { return FRefs; }

private:
  ULONG FRefs = 1;
};

// Counts the program's MessageBeep calls while it lives (the beep itself is not made): the entry of
// user32's MessageBeep in the test program's import table points at a counter meanwhile.
class TBeepCounter {
public:
  TBeepCounter();
  ~TBeepCounter();
  TBeepCounter(const TBeepCounter&) = delete;
  int Count() const;

private:
  void** FEntry = nullptr;
  void* FOld = nullptr;
};

// Presses the key with Ctrl held, by real input (to the window that has the focus).
void PressCtrlKey(WORD Vk);
