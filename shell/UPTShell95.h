// The process-wide footing of the shell controls: COM and OLE, the shell's task allocator, the
// operating-system and common-controls versions, and the shell library's "SHGetDataFromIDListA".
//
// Start it once with UPTShell95Initialize (before any shell routine) and end it with UPTShell95Finalize
// (after the last shell object is gone). Every PIDL the shell controls hand out comes from ShellAlloc
// (or a caller's allocator) and is the receiver's to free with ShellFree.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The fixed file version of a file: most and least significant 32-bit halves.
struct TPTFileVersion {
  uint32_t MS = 0;
  uint32_t LS = 0;
};

using TSHGetDataFromIDListA = HRESULT(WINAPI*)(IShellFolder*, PCUITEMID_CHILD, int, void*, int);

// True on the Windows NT line (platform id 2).
bool IsWinNT();
// The version record read at start-up (GetVersionExA).
const OSVERSIONINFOA& PTOsVersion();
// The fixed file version of File; False when it has none or any step fails.
bool GetFileVersion(const std::string& File, TPTFileVersion& Version);
// The version of "comctl32.dll" (both halves 0 when it has no version resource).
const TPTFileVersion& ComCtl32Version();
// The shell library's "SHGetDataFromIDListA", nullptr when it is missing.
TSHGetDataFromIDListA SHGetDataFromIDListAProc();

// The shell's task allocator (held from start-up to the end), its Alloc and its Free (nil: nothing).
IMalloc* ShellMalloc();
void* ShellAlloc(size_t Size);
void ShellFree(void* P);

// Whether the overlay icons were put into the system image lists already.
bool& OverlayIconsInstalled();

// Drive validation asks the shell to re-read its cached drive data; while suspended (nested) it does
// nothing, so a fill of many items does not re-read the drives once per item.
void ValidateDrives();
void SuspendDriveValidation();
void ResumeDriveValidation();
bool DriveValidationSuspended();

void UPTShell95Initialize();
void UPTShell95Finalize();
