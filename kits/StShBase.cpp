#include "StShBase.h"

#include <iterator>

#include "StVInfo.h"

TStShellComponent::TStShellComponent(TComponent* AOwner) : TStComponent(AOwner) {
  char dir[MAX_PATH + 1] = {};
  GetSystemDirectoryA(dir, MAX_PATH);
  TStVersionInfo* info = new TStVersionInfo(nullptr);
  TScopeExit freed([info] { TObject::Free(info); });
  info->SetFileName(std::string(dir) + "\\shell32.dll");
  FShellVersion = info->FileVersionFloat();
}

namespace {
// Entry points of shell32 that are exported by ordinal only.
constexpr int ShellOrdinals[] = {18, 19, 25, 153, 16, 21, 17, 152, 155, 2, 4};
struct TShBaseState {
  UINT IDListFormat = 0;
  HMODULE Shell32 = nullptr;
  FARPROC Entries[std::size(ShellOrdinals)] = {};
};
TShBaseState ShBase;
}  // namespace

UINT StShellIDListFormat() { return ShBase.IDListFormat; }

FARPROC StShellEntry(int Ordinal) {
  for (size_t i = 0; i < std::size(ShellOrdinals); ++i)
    if (ShellOrdinals[i] == Ordinal) return ShBase.Entries[i];
  return nullptr;
}

void StShBaseInitialize() {
  ShBase.IDListFormat = RegisterClipboardFormatA("Shell IDList Array");
  if (ShBase.Shell32) return;
  ShBase.Shell32 = LoadLibraryA("shell32.dll");
  if (!ShBase.Shell32) return;
  for (size_t i = 0; i < std::size(ShellOrdinals); ++i)
    ShBase.Entries[i] = GetProcAddress(ShBase.Shell32, MAKEINTRESOURCEA(ShellOrdinals[i]));
}

void StShBaseFinalize() {
  for (FARPROC& e : ShBase.Entries) e = nullptr;
  if (ShBase.Shell32) FreeLibrary(ShBase.Shell32);
  ShBase.Shell32 = nullptr;
}
