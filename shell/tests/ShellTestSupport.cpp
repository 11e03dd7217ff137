#include "ShellTestSupport.h"

#include "UPTShell95.h"
#include "UPTShellControls.h"
#include "UPTShellUtils.h"

void PidlDeleter::operator()(ITEMIDLIST* p) const { ShellFree(p); }

PidlPtr ToPidl(const std::string& Path) {
  LPITEMIDLIST p = nullptr;
  EXPECT_HRESULT_SUCCEEDED(PathToPidl(Path, p)) << Path;
  return PidlPtr(p);
}

void TShellEnvironment::SetUp() {
  if (FOle) OleInitialize(nullptr);
  InitForms();
  UPTShellControlsInitialize();
}

void TShellEnvironment::TearDown() {
  UPTShellControlsFinalize();
  DoneForms();
}

TTestTree::TTestTree(const std::string& Name) : FTemp(Name) {
  FRoot = FTemp.Path();
  if (!FRoot.empty() && FRoot.back() == '\\') FRoot.pop_back();
}

std::string TTestTree::Folder(const std::string& Rel) const {
  std::string full = FRoot;
  size_t start = 0;
  while (start <= Rel.size()) {
    size_t slash = Rel.find('\\', start);
    if (slash == std::string::npos) slash = Rel.size();
    full += "\\" + Rel.substr(start, slash - start);
    CreateDirectoryA(full.c_str(), nullptr);
    start = slash + 1;
  }
  return full;
}

std::string TTestTree::File(const std::string& Rel, const std::string& Text) const {
  size_t slash = Rel.rfind('\\');
  if (slash != std::string::npos) Folder(Rel.substr(0, slash));
  std::string full = Path(Rel);
  HANDLE h = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(h, Text.data(), DWORD(Text.size()), &written, nullptr);
    CloseHandle(h);
  }
  return full;
}

void PressKey(WORD Vk) {
  INPUT in[2]{};
  for (INPUT& i : in) {
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = Vk;
  }
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

bool TTestTree::Exists(const std::string& Path) { return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HRESULT TCountingMalloc::QueryInterface(REFIID riid, void** ppv) {
  if (riid == IID_IUnknown || riid == IID_IMalloc) {
    *ppv = this;
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

void* TCountingMalloc::Alloc(SIZE_T cb) {
  ++Allocs;
  return CoTaskMemAlloc(cb);
}

void TCountingMalloc::Free(void* pv) {
  if (!pv) return;
  ++Frees;
  CoTaskMemFree(pv);
}
