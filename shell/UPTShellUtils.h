// The shell controls' toolkit for the shell namespace: item-identifier lists (PIDLs) and their
// conversions to and from paths and special folders, display names, the system image list, an array
// view of one PIDL, a list of PIDLs with attached data, a shortcut reader, a positional formatter, and
// the process-wide listener for device changes.
//
// Ownership: every PIDL returned here is allocated with the shell's task allocator (or the allocator
// the caller passes) and belongs to the caller, who frees it with ShellFree; PIDLs passed in are only
// read. Everything here runs on the user-interface thread. Start with UPTShellUtilsInitialize, end
// with UPTShellUtilsFinalize.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"
#include "Messages.h"
#include "UPTShell95.h"

// What GetDisplayName asks the folder for.
enum TPTShellDisplayName : uint8_t { ptdnNormal, ptdnInFolder, ptdnForParsing };

// The longest path (in characters, without the terminator) that is turned into a PIDL or a shortcut
// file name; longer ones are refused rather than cut.
constexpr size_t PTMaxPath = MAX_PATH - 1;
// PidlCompare's answer when it could not compare at all.
constexpr int PidlCompareFailed = 0x7FFFFFFF;

// The desktop folder for a nil or empty PIDL, else the folder bound from the desktop. The HRESULT.
HRESULT GetShellFolder(PCIDLIST_ABSOLUTE Pidl, IShellFolder*& Folder);
// The desktop's parse of Path; Pidl nil on failure. A path longer than PTMaxPath is refused with
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE).
HRESULT PathToPidl(const std::string& Path, LPITEMIDLIST& Pidl);
// The file-system path of the item, whole however long ('' when it has none); nil counts as the desktop.
std::string PidlToPath(PCIDLIST_ABSOLUTE Pidl);
HRESULT GetSpecialFolderPidl(HWND Wnd, int CSIDL, LPITEMIDLIST& Pidl);
std::string GetSpecialFolderPath(HWND Wnd, int CSIDL);
// The item's index in the system image list (Flags: SHGFI_SMALLICON, SHGFI_OPENICON, ...).
int GetIconIndex(PCIDLIST_ABSOLUTE Pidl, UINT Flags);
// The shared system image list (small or large). The list belongs to the system: never destroy it.
HIMAGELIST GetSysImageList(bool Large);
// Puts the shell's overlay pictures into the system image lists as overlays 1 and 2.
void InstallOverlayIcons();
// The name of an item of Folder (nil: the desktop); Name '' on failure.
HRESULT GetDisplayName(IShellFolder* Folder, PCUITEMID_CHILD Pidl, TPTShellDisplayName Kind, std::string& Name);
std::string StrRetToString(PCUITEMID_CHILD Pidl, const STRRET& StrRet);
void FreeStrRet(STRRET& StrRet);
// S with C appended unless it already ends in C; '' stays ''.
std::string AddDelimiter(const std::string& S, char C);

// Byte size of the whole list including the terminator; 0 for nil.
UINT PidlGetSize(PCIDLIST_ABSOLUTE Pidl);
// 0 equal, below 0 or above 0 in the desktop's order; -1 when exactly one is nil or empty;
// PidlCompareFailed when the shell could not compare.
int PidlCompare(PCIDLIST_ABSOLUTE A, PCIDLIST_ABSOLUTE B);
// Byte-wise order over the shorter size; equal prefixes order by size.
int PidlBinaryCompare(PCIDLIST_ABSOLUTE A, PCIDLIST_ABSOLUTE B);
// A's items then B's, new (Allocator nil: ShellAlloc); nil when allocation fails.
LPITEMIDLIST PidlConcat(IMalloc* Allocator, PCIDLIST_ABSOLUTE A, PCIDLIST_RELATIVE B);
LPITEMIDLIST PidlCopy(IMalloc* Allocator, PCIDLIST_ABSOLUTE A);
// Number of items before the terminator; 0 for nil.
int PidlItemCount(PCIDLIST_ABSOLUTE Pidl);

// What a shortcut file holds. IDList is the caller's (ShellFree).
struct TPTShortcutInfo {
  std::string Path, Arguments, Description, IconLocation, WorkingDirectory;
  int IconIndex = 0;
  int ShowCmd = 0;
  WORD HotKey = 0;
  LPITEMIDLIST IDList = nullptr;
};
// Reads the shortcut File; the HRESULT of the first call that fails, S_OK when all succeed.
HRESULT ReadShortcut(const std::string& File, TPTShortcutInfo& Info);

// Format with "%1" ... "%n" taking Strings by position; '' for an empty format. More than 50 strings
// raise Exception "FormatStrPos: Too many substitution strings". A number past the given strings is
// replaced by nothing.
std::string FormatStrPos(const std::string& Format, const std::vector<std::string>& Strings);

// An array view of one PIDL (not copied, not freed). The item and leading-part PIDLs it hands out
// belong to the array and live until the next one is handed out or the array is destroyed.
class TPTIdListArray : public TObject {
  YOZ_CLASS(TPTIdListArray, TObject)
public:
  explicit TPTIdListArray(PCIDLIST_ABSOLUTE Pidl) : FPidl(Pidl) {}
  ~TPTIdListArray() override;
  int Count() const { return PidlItemCount(FPidl); }
  // Item Index as a one-item PIDL. Exception "TPTIdListArray - index %d out of range" for a nil PIDL
  // or an index outside the items; on an empty PIDL item 0 is an empty PIDL, other indexes nil.
  LPITEMIDLIST Item(int Index);
  // The first Count() - N items (N = 1: the parent); nil for a nil PIDL or an N out of reach.
  LPITEMIDLIST LeadingPart(int N);

private:
  void Drop();
  PCIDLIST_ABSOLUTE FPidl;
  LPITEMIDLIST FLast = nullptr;
};

// A list of PIDLs with a data pointer each, sorted on demand by a folder's CompareIDs (no folder: byte
// order). With an allocator the list owns its PIDLs: it frees them with it on Delete and Clear, and
// frees a PIDL it was given but does not keep (an ignored or refused duplicate). Without one the
// caller keeps ownership of every PIDL, kept or not.
class TPTPidlList : public TObject {
  YOZ_CLASS(TPTPidlList, TObject)
public:
  struct TEntry {
    LPITEMIDLIST Pidl;
    void* Data;
  };
  TPTPidlList() = default;
  ~TPTPidlList() override;
  virtual int Add(LPITEMIDLIST Pidl) { return AddObject(Pidl, nullptr); }
  // The index of the new entry (or, with dupIgnore, of the equal one). Exception "TPTPidlList:
  // Duplicate PIDL" with dupError.
  virtual int AddObject(LPITEMIDLIST Pidl, void* Data);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  IShellFolder* Folder() const { return FFolder; }
  void SetFolder(IShellFolder* Value);
  IMalloc* Allocator() const { return FAllocator; }
  void SetAllocator(IMalloc* Value);
  // Binary search: True and the index of the leftmost equal entry when found, else the insert place.
  bool Find(PCIDLIST_ABSOLUTE Pidl, int& Index) const;
  int IndexOf(PCIDLIST_ABSOLUTE Pidl) const;
  LPITEMIDLIST Pidls(int Index) const { return At(Index).Pidl; }
  void* Objects(int Index) const { return At(Index).Data; }
  int Count() const { return int(FList.size()); }
  int Capacity() const { return int(FList.capacity()); }
  void SetCapacity(int Value) { FList.reserve(size_t(Value)); }
  void Delete(int Index);
  void Clear();

private:
  int Compare(PCIDLIST_ABSOLUTE A, PCIDLIST_ABSOLUTE B) const;
  const TEntry& At(int Index) const;
  void Sort();
  void FreePidl(LPITEMIDLIST Pidl) const;
  std::vector<TEntry> FList;
  bool FSorted = false;
  IShellFolder* FFolder = nullptr;
  IMalloc* FAllocator = nullptr;
  TDuplicates FDuplicates = dupError;
};

// Message that hands a device change on to the listeners, after the system's broadcast returned.
constexpr UINT WM_PTDEVICECHANGE = 0x464;

// A listener: Sender is the handler, Message is WM_PTDEVICECHANGE with the device event code in WParam
// and the event data pointer in LParam.
using TPTDeviceChangeEvent = TEvent<TObject*, TMessage&>;

// One hidden window that receives the system's device-change broadcasts and hands each one, a message
// later, to every listener in the order they were added. A listener may add or remove listeners
// (itself too) while it runs: one removed is not called again, one added is called from the next change.
class TPTDeviceChangeHandler : public TObject {
  YOZ_CLASS(TPTDeviceChangeHandler, TObject)
public:
  TPTDeviceChangeHandler();
  ~TPTDeviceChangeHandler() override;
  void AddListener(TPTDeviceChangeEvent Listener);
  // Removes the first listener with the same object and code; one never added changes nothing.
  void RemoveListener(TPTDeviceChangeEvent Listener);
  int ListenerCount() const { return int(FListeners.size()); }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  HWND Handle() const { return FHandle; }

private:
  void WndProc(TMessage& Message);
  bool FEnabled = true;
  HWND FHandle = nullptr;
  std::vector<TPTDeviceChangeEvent> FListeners;
};

// The process-wide handler, made on first use and freed by UPTShellUtilsFinalize.
TPTDeviceChangeHandler* DeviceChangeHandler();

void UPTShellUtilsInitialize();
void UPTShellUtilsFinalize();
