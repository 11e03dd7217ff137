#include "UPTShell95.h"

#include <ole2.h>

#include <vector>

namespace {

struct TShellState {
  int Starts = 0;             // nested start-ups: only the first sets up, only the last tears down
  bool OleStarted = false;
  HMODULE Shell32 = nullptr;
  TSHGetDataFromIDListA GetDataFromIDList = nullptr;
  OSVERSIONINFOA Version{};
  IMalloc* Malloc = nullptr;
  TPTFileVersion ComCtl32;
  bool OverlaysInstalled = false;
  int ValidationSuspended = 0;
};
TShellState State;

}  // namespace

bool IsWinNT() { return State.Version.dwPlatformId == VER_PLATFORM_WIN32_NT; }

const OSVERSIONINFOA& PTOsVersion() { return State.Version; }

bool GetFileVersion(const std::string& File, TPTFileVersion& Version) {
  Version = {};
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(File.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(File.c_str(), handle, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info || len < sizeof *info)
    return false;
  Version.MS = info->dwFileVersionMS;
  Version.LS = info->dwFileVersionLS;
  return true;
}

const TPTFileVersion& ComCtl32Version() { return State.ComCtl32; }

TSHGetDataFromIDListA SHGetDataFromIDListAProc() { return State.GetDataFromIDList; }

IMalloc* ShellMalloc() {
  // Callers before start-up (or after the end) still get the allocator, never a null one.
  if (!State.Malloc) SHGetMalloc(&State.Malloc);
  return State.Malloc;
}

void* ShellAlloc(size_t Size) { return ShellMalloc()->Alloc(Size); }

void ShellFree(void* P) {
  if (P) ShellMalloc()->Free(P);
}

bool& OverlayIconsInstalled() { return State.OverlaysInstalled; }

void ValidateDrives() {
  if (State.ValidationSuspended > 0) return;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return;
  LPITEMIDLIST drives = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives))) {
    IShellFolder* computer = nullptr;
    if (SUCCEEDED(desktop->BindToObject(drives, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&computer)))) {
      SFGAOF attrs = SFGAO_VALIDATE;
      computer->GetAttributesOf(0, nullptr, &attrs);
      computer->Release();
    }
    ShellFree(drives);
  }
  desktop->Release();
}

void SuspendDriveValidation() { ++State.ValidationSuspended; }

void ResumeDriveValidation() {
  if (State.ValidationSuspended > 0) --State.ValidationSuspended;
}

bool DriveValidationSuspended() { return State.ValidationSuspended > 0; }

void UPTShell95Initialize() {
  if (State.Starts++ > 0) return;
  // OLE, not only COM: drag and drop registration needs it on Windows.
  State.OleStarted = SUCCEEDED(OleInitialize(nullptr));
  State.Shell32 = LoadLibraryA("shell32.dll");
  if (State.Shell32)
    State.GetDataFromIDList =
        reinterpret_cast<TSHGetDataFromIDListA>(GetProcAddress(State.Shell32, "SHGetDataFromIDListA"));
  State.Version = {};
  State.Version.dwOSVersionInfoSize = sizeof State.Version;
  GetVersionExA(&State.Version);
  SHGetMalloc(&State.Malloc);
  if (!GetFileVersion("comctl32.dll", State.ComCtl32)) State.ComCtl32 = {};
  State.OverlaysInstalled = false;
  State.ValidationSuspended = 0;
}

void UPTShell95Finalize() {
  if (State.Starts == 0 || --State.Starts > 0) return;
  if (State.Malloc) {
    State.Malloc->Release();
    State.Malloc = nullptr;
  }
  State.GetDataFromIDList = nullptr;
  if (State.Shell32) {
    FreeLibrary(State.Shell32);
    State.Shell32 = nullptr;
  }
  if (State.OleStarted) {
    OleUninitialize();
    State.OleStarted = false;
  }
}
