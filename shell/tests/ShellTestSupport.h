#pragma once
// Helpers shared by the shell controls' test programs.
#include <memory>

#include "Forms.h"

// Runs the message loop for about Ms milliseconds, so windows paint and timers fire.
void Pump(int Ms);

// A form owned by the test and freed the class library's way when it goes out of scope.
struct FormDeleter {
  void operator()(TForm* f) const { TObject::Free(f); }
};
template <class F = TForm>
using Owned = std::unique_ptr<F, FormDeleter>;
using FormPtr = Owned<TForm>;

#include <shlobj.h>

#include <string>
#include <vector>

// Processes messages until Done() holds or TimeoutMs passed; gives Done()'s last answer.
template <class F>
bool PumpUntil(F Done, int TimeoutMs = 3000) {
  DWORD start = GetTickCount();
  while (!Done()) {
    Application->ProcessMessages();
    if (GetTickCount() - start > DWORD(TimeoutMs)) return Done();
    Sleep(1);
  }
  return true;
}

// A PIDL freed with the shell's allocator when it goes out of scope.
struct PidlDeleter {
  void operator()(ITEMIDLIST* p) const;
};
using PidlPtr = std::unique_ptr<ITEMIDLIST, PidlDeleter>;

// A folder tree of the test's own inside the prefix's temporary folder, removed (with all it holds)
// when the object goes. Paths given relative to its root.
class TTestTree {
public:
  explicit TTestTree(const std::string& Name);
  ~TTestTree();
  TTestTree(const TTestTree&) = delete;
  const std::string& Root() const { return FRoot; }
  std::string Path(const std::string& Rel) const { return Rel.empty() ? FRoot : FRoot + "\\" + Rel; }
  // Makes the folder (and its parents) and gives its full path.
  std::string Folder(const std::string& Rel) const;
  // Makes the file with the text and gives its full path.
  std::string File(const std::string& Rel, const std::string& Text = "x") const;
  static bool Exists(const std::string& Path);

private:
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
