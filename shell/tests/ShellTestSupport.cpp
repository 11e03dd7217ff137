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

namespace {
int Beeps = 0;
BOOL WINAPI CountBeep(UINT) {
  ++Beeps;
  return TRUE;
}
}  // namespace

TBeepCounter::TBeepCounter() {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  void* beep = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBeep"));
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name && !FEntry; ++imp) {
    if (_stricmp(reinterpret_cast<char*>(base + imp->Name), "user32.dll") != 0) continue;
    for (auto* thunk = reinterpret_cast<void**>(base + imp->FirstThunk); *thunk; ++thunk)
      if (*thunk == beep) {
        FEntry = thunk;
        break;
      }
  }
  EXPECT_NE(FEntry, nullptr) << "MessageBeep is not imported";
  if (!FEntry) return;
  DWORD old = 0;
  VirtualProtect(FEntry, sizeof(void*), PAGE_READWRITE, &old);
  FOld = *FEntry;
  *FEntry = reinterpret_cast<void*>(&CountBeep);
  Beeps = 0;
}

TBeepCounter::~TBeepCounter() {
  if (FEntry) *FEntry = FOld;
}

int TBeepCounter::Count() const { return Beeps; }

void PressCtrlKey(WORD Vk) {
  INPUT in[4]{};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = VK_CONTROL;
  in[1].ki.wVk = Vk;
  in[2].ki.wVk = Vk;
  in[2].ki.dwFlags = KEYEVENTF_KEYUP;
  in[3].ki.wVk = VK_CONTROL;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof(INPUT));
}
