#include "UPTShellUtils.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Controls.h"

namespace {

USHORT ItemSize(const void* P) {
  USHORT cb;
  std::memcpy(&cb, P, sizeof cb);
  return cb;
}

const BYTE* NextItem(const BYTE* P) { return P + ItemSize(P); }

// Size of the items without the terminator; 0 for nil.
UINT ItemsSize(PCIDLIST_ABSOLUTE Pidl) {
  UINT size = PidlGetSize(Pidl);
  return size >= 2 ? size - 2 : 0;
}

void* AllocWith(IMalloc* Allocator, size_t Size) {
  return Allocator ? Allocator->Alloc(Size) : ShellAlloc(Size);
}

std::wstring Widen(const std::string& S) {
  if (S.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, S.data(), int(S.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, S.data(), int(S.size()), w.data(), n);
  return w;
}

std::string Narrow(const wchar_t* W) {
  if (!W || !*W) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, W, -1, nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_ACP, 0, W, -1, s.data(), n, nullptr, nullptr);
  return s;
}

// True when the byte at Index is the second byte of a double-byte character.
bool IsTrailByte(const std::string& S, size_t Index) {
  size_t i = 0;
  while (i < Index) i += IsDBCSLeadByte(BYTE(S[i])) ? 2 : 1;
  return i > Index;
}

}  // namespace

HRESULT GetShellFolder(PCIDLIST_ABSOLUTE Pidl, IShellFolder*& Folder) {
  Folder = nullptr;
  IShellFolder* desktop = nullptr;
  HRESULT hr = SHGetDesktopFolder(&desktop);
  if (FAILED(hr)) return hr;
  if (!Pidl || ItemSize(Pidl) == 0) {
    Folder = desktop;
    return S_OK;
  }
  hr = desktop->BindToObject(Pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&Folder));
  if (FAILED(hr)) Folder = nullptr;
  desktop->Release();
  return hr;
}

HRESULT PathToPidl(const std::string& Path, LPITEMIDLIST& Pidl) {
  Pidl = nullptr;
  std::wstring w = Widen(Path);
  // A cut path names another folder: refuse it.
  if (w.size() > PTMaxPath) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  IShellFolder* desktop = nullptr;
  HRESULT hr = SHGetDesktopFolder(&desktop);
  if (FAILED(hr)) return hr;
  ULONG eaten = 0;
  hr = desktop->ParseDisplayName(nullptr, nullptr, w.data(), &eaten, &Pidl, nullptr);
  if (FAILED(hr)) Pidl = nullptr;
  desktop->Release();
  return hr;
}

std::string PidlToPath(PCIDLIST_ABSOLUTE Pidl) {
  static const USHORT Empty = 0;
  char path[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListA(Pidl ? Pidl : reinterpret_cast<PCIDLIST_ABSOLUTE>(&Empty), path)) return {};
  // A path of MAX_PATH - 1 characters or more comes back cut (Wine) rather than refused, and would name
  // another folder: it is put together from the parent's path and the item's own name.
  if (strlen(path) < MAX_PATH - 1 || PidlItemCount(Pidl) < 2) return path;
  LPITEMIDLIST parent = ILClone(Pidl);
  if (!parent) return {};
  ILRemoveLastID(parent);
  std::string folder = PidlToPath(parent);
  ILFree(parent);
  IShellFolder* shell = nullptr;
  PCUITEMID_CHILD last = nullptr;
  if (folder.empty() || FAILED(SHBindToParent(Pidl, IID_IShellFolder, reinterpret_cast<void**>(&shell), &last))) return {};
  STRRET sr{};
  std::string name;
  if (SUCCEEDED(shell->GetDisplayNameOf(last, SHGDN_INFOLDER | SHGDN_FORPARSING, &sr))) {
    name = StrRetToString(last, sr);
    FreeStrRet(sr);
  }
  shell->Release();
  return name.empty() ? std::string() : AddDelimiter(folder, '\\') + name;
}

HRESULT GetSpecialFolderPidl(HWND Wnd, int CSIDL, LPITEMIDLIST& Pidl) {
  Pidl = nullptr;
  HRESULT hr = SHGetSpecialFolderLocation(Wnd, CSIDL, &Pidl);
  if (FAILED(hr)) Pidl = nullptr;
  return hr;
}

std::string GetSpecialFolderPath(HWND Wnd, int CSIDL) {
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(GetSpecialFolderPidl(Wnd, CSIDL, pidl))) return {};
  std::string path = PidlToPath(pidl);
  ShellFree(pidl);
  return path;
}

int GetIconIndex(PCIDLIST_ABSOLUTE Pidl, UINT Flags) {
  SHFILEINFOA info{};
  SHGetFileInfoA(reinterpret_cast<LPCSTR>(Pidl), 0, &info, sizeof info, Flags | SHGFI_PIDL | SHGFI_SYSICONINDEX);
  return info.iIcon;
}

HIMAGELIST GetSysImageList(bool Large) {
  if (IsWinNT() && ComCtl32Version().MS >= 0x40047 && !OverlayIconsInstalled()) InstallOverlayIcons();
  SHFILEINFOA info{};
  UINT flags = Large ? SHGFI_SYSICONINDEX : SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
  return reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof info, flags));
}

void InstallOverlayIcons() {
  OverlayIconsInstalled() = true;
  HMODULE shell32 = LoadLibraryA("shell32.dll");
  if (!shell32) return;
  SHFILEINFOA info{};
  std::vector<HIMAGELIST> lists = {
      reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)),
      reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX))};
  // The shell keeps one index per icon for all of its image lists (the extra-large and jumbo ones
  // too): an icon added to only some of them puts every icon it adds later at another place in the
  // small list, and the tree shows the wrong pictures. The overlays go into each of them.
  using TGetImageList = HRESULT(WINAPI*)(int, REFIID, void**);
  auto getList = reinterpret_cast<TGetImageList>(GetProcAddress(shell32, "SHGetImageList"));
  if (!getList) getList = reinterpret_cast<TGetImageList>(GetProcAddress(shell32, MAKEINTRESOURCEA(727)));
  static const GUID IID_IImageList_ = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};
  // Large, small, extra-large, system small and jumbo.
  for (int kind = 0; getList && kind <= 4; ++kind) {
    void* list = nullptr;
    if (SUCCEEDED(getList(kind, IID_IImageList_, &list)) && list) {
      // The list object is the image list itself (its handle), as the common controls document.
      HIMAGELIST h = static_cast<HIMAGELIST>(list);
      if (std::find(lists.begin(), lists.end(), h) == lists.end()) lists.push_back(h);
      static_cast<IUnknown*>(list)->Release();
    }
  }
  for (HIMAGELIST list : lists) {
    if (!list) continue;
    int cx = 16, cy = 16;
    ImageList_GetIconSize(list, &cx, &cy);
    for (int k = 0; k < 2; ++k) {
      // A private copy (not LR_SHARED): the image list copies the picture, and only a private icon may
      // be destroyed afterwards.
      HICON icon = HICON(LoadImageA(shell32, MAKEINTRESOURCEA(29 + k), IMAGE_ICON, cx, cy, 0));
      int index = icon ? ImageList_AddIcon(list, icon) : -1;
      if (index >= 0) ImageList_SetOverlayImage(list, index, k + 1);
      if (icon) DestroyIcon(icon);
    }
  }
  FreeLibrary(shell32);
}

HRESULT GetDisplayName(IShellFolder* Folder, PCUITEMID_CHILD Pidl, TPTShellDisplayName Kind, std::string& Name) {
  static const SHGDNF Kinds[] = {SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING};
  Name.clear();
  IShellFolder* folder = Folder;
  if (!folder) {
    HRESULT hr = SHGetDesktopFolder(&folder);
    if (FAILED(hr)) return hr;
  }
  STRRET sr{};
  HRESULT hr = folder->GetDisplayNameOf(Pidl, Kinds[Kind], &sr);
  if (SUCCEEDED(hr)) {
    Name = StrRetToString(Pidl, sr);
    FreeStrRet(sr);
  }
  if (!Folder) folder->Release();
  return hr;
}

std::string StrRetToString(PCUITEMID_CHILD Pidl, const STRRET& StrRet) {
  switch (StrRet.uType) {
    case STRRET_WSTR:
      return Narrow(StrRet.pOleStr);
    case STRRET_OFFSET:
      return Pidl ? std::string(reinterpret_cast<const char*>(Pidl) + StrRet.uOffset) : std::string();
    case STRRET_CSTR:
      return std::string(StrRet.cStr, strnlen(StrRet.cStr, sizeof StrRet.cStr));
  }
  return {};
}

void FreeStrRet(STRRET& StrRet) {
  if (StrRet.uType == STRRET_WSTR && StrRet.pOleStr) {
    CoTaskMemFree(StrRet.pOleStr);
    StrRet.pOleStr = nullptr;
  }
}

std::string AddDelimiter(const std::string& S, char C) {
  if (S.empty()) return S;
  if (S.back() == C && !IsTrailByte(S, S.size() - 1)) return S;
  return S + C;
}

UINT PidlGetSize(PCIDLIST_ABSOLUTE Pidl) {
  if (!Pidl) return 0;
  const BYTE* p = reinterpret_cast<const BYTE*>(Pidl);
  UINT size = 2;
  while (USHORT cb = ItemSize(p)) {
    size += cb;
    p += cb;
  }
  return size;
}

int PidlItemCount(PCIDLIST_ABSOLUTE Pidl) {
  if (!Pidl) return 0;
  int n = 0;
  for (const BYTE* p = reinterpret_cast<const BYTE*>(Pidl); ItemSize(p); p = NextItem(p)) ++n;
  return n;
}

int PidlCompare(PCIDLIST_ABSOLUTE A, PCIDLIST_ABSOLUTE B) {
  if (!A && !B) return 0;
  if (!A || !B) return -1;
  bool emptyA = ItemSize(A) == 0, emptyB = ItemSize(B) == 0;
  if (emptyA && emptyB) return 0;
  if (emptyA || emptyB) return -1;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return PidlCompareFailed;
  HRESULT hr = desktop->CompareIDs(0, A, B);
  desktop->Release();
  // A failure is no order: its code would read as "greater".
  if (FAILED(hr)) return PidlCompareFailed;
  return short(HRESULT_CODE(hr));
}

int PidlBinaryCompare(PCIDLIST_ABSOLUTE A, PCIDLIST_ABSOLUTE B) {
  UINT sa = PidlGetSize(A), sb = PidlGetSize(B);
  UINT n = std::min(sa, sb);
  if (n > 0) {
    int c = std::memcmp(A, B, n);
    if (c != 0) return c < 0 ? -1 : 1;
  }
  return sa < sb ? -1 : sa > sb ? 1 : 0;
}

LPITEMIDLIST PidlConcat(IMalloc* Allocator, PCIDLIST_ABSOLUTE A, PCIDLIST_RELATIVE B) {
  UINT a = ItemsSize(A), b = ItemsSize(B);
  auto* p = static_cast<BYTE*>(AllocWith(Allocator, a + b + 2));
  if (!p) return nullptr;
  if (a) std::memcpy(p, A, a);
  if (b) std::memcpy(p + a, B, b);
  p[a + b] = p[a + b + 1] = 0;
  return reinterpret_cast<LPITEMIDLIST>(p);
}

LPITEMIDLIST PidlCopy(IMalloc* Allocator, PCIDLIST_ABSOLUTE A) { return PidlConcat(Allocator, A, nullptr); }

HRESULT ReadShortcut(const std::string& File, TPTShortcutInfo& Info) {
  Info = {};
  std::wstring name = Widen(File);
  if (name.size() > PTMaxPath) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  char buf[MAX_PATH + 1];
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link));
  auto text = [&](auto Get, std::string& Out) {
    buf[0] = 0;
    HRESULT r = Get();
    buf[MAX_PATH] = 0;
    if (SUCCEEDED(r)) Out = buf;
    return r;
  };
  if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (SUCCEEDED(hr)) hr = file->Load(name.c_str(), 0);
  if (SUCCEEDED(hr)) hr = link->Resolve(nullptr, 0);
  if (SUCCEEDED(hr)) hr = text([&] { return link->GetPath(buf, MAX_PATH + 1, nullptr, 0); }, Info.Path);
  if (SUCCEEDED(hr)) hr = text([&] { return link->GetArguments(buf, MAX_PATH + 1); }, Info.Arguments);
  if (SUCCEEDED(hr)) hr = text([&] { return link->GetDescription(buf, MAX_PATH + 1); }, Info.Description);
  if (SUCCEEDED(hr))
    hr = text([&] { return link->GetIconLocation(buf, MAX_PATH + 1, &Info.IconIndex); }, Info.IconLocation);
  if (SUCCEEDED(hr)) hr = text([&] { return link->GetWorkingDirectory(buf, MAX_PATH + 1); }, Info.WorkingDirectory);
  if (SUCCEEDED(hr)) hr = link->GetShowCmd(&Info.ShowCmd);
  if (SUCCEEDED(hr)) hr = link->GetHotkey(&Info.HotKey);
  if (SUCCEEDED(hr)) hr = link->GetIDList(&Info.IDList);
  if (file) file->Release();
  if (link) link->Release();
  // S_FALSE from a getter (nothing stored) is success too.
  return FAILED(hr) ? hr : S_OK;
}

std::string FormatStrPos(const std::string& Format, const std::vector<std::string>& Strings) {
  if (Format.empty()) return {};
  if (Strings.size() > 50) throw Exception("FormatStrPos: Too many substitution strings");
  // FormatMessage reads as many arguments as the format names (up to %99): the rest are empty texts,
  // so a format naming more than it was given never reads past the array.
  static const char Nothing[] = "";
  DWORD_PTR args[99];
  for (size_t i = 0; i < 99; ++i) args[i] = DWORD_PTR(i < Strings.size() ? Strings[i].c_str() : Nothing);
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                           Format.c_str(), 0, 0, reinterpret_cast<LPSTR>(&buffer), 256,
                           reinterpret_cast<va_list*>(args));
  std::string result = buffer ? std::string(buffer, n) : std::string();
  if (buffer) LocalFree(buffer);
  return result;
}

// ---------------------------------------------------------------------------------------------------

TPTIdListArray::~TPTIdListArray() { Drop(); }

void TPTIdListArray::Drop() {
  ShellFree(FLast);
  FLast = nullptr;
}

LPITEMIDLIST TPTIdListArray::Item(int Index) {
  Drop();
  int count = Count();
  if (!FPidl || Index < 0 || (Index >= count && count > 0))
    throw Exception(::Format("TPTIdListArray - index %d out of range", Index));
  if (count == 0) {
    if (Index != 0) return nullptr;
    FLast = PidlCopy(nullptr, FPidl);
    return FLast;
  }
  const BYTE* p = reinterpret_cast<const BYTE*>(FPidl);
  for (int i = 0; i < Index; ++i) p = NextItem(p);
  USHORT cb = ItemSize(p);
  auto* item = static_cast<BYTE*>(ShellAlloc(cb + 2u));
  if (!item) return nullptr;
  std::memcpy(item, p, cb);
  item[cb] = item[cb + 1] = 0;
  FLast = reinterpret_cast<LPITEMIDLIST>(item);
  return FLast;
}

LPITEMIDLIST TPTIdListArray::LeadingPart(int N) {
  Drop();
  if (!FPidl) return nullptr;
  int count = Count(), keep = count - N;
  if (keep < 0 || keep > count) return nullptr;
  const BYTE* p = reinterpret_cast<const BYTE*>(FPidl);
  for (int i = 0; i < keep; ++i) p = NextItem(p);
  size_t bytes = size_t(p - reinterpret_cast<const BYTE*>(FPidl));
  auto* part = static_cast<BYTE*>(ShellAlloc(bytes + 2));
  if (!part) return nullptr;
  std::memset(part, 0, bytes + 2);
  std::memcpy(part, FPidl, bytes);
  FLast = reinterpret_cast<LPITEMIDLIST>(part);
  return FLast;
}

// ---------------------------------------------------------------------------------------------------

TPTPidlList::~TPTPidlList() {
  Clear();
  SetFolder(nullptr);
  SetAllocator(nullptr);
}

void TPTPidlList::SetFolder(IShellFolder* Value) {
  if (Value == FFolder) return;
  if (Value) Value->AddRef();
  if (FFolder) FFolder->Release();
  FFolder = Value;
  if (FSorted) Sort();
}

void TPTPidlList::SetAllocator(IMalloc* Value) {
  if (Value == FAllocator) return;
  if (Value) Value->AddRef();
  if (FAllocator) FAllocator->Release();
  FAllocator = Value;
}

void TPTPidlList::FreePidl(LPITEMIDLIST Pidl) const {
  if (FAllocator && Pidl) FAllocator->Free(Pidl);
}

int TPTPidlList::Compare(PCIDLIST_ABSOLUTE A, PCIDLIST_ABSOLUTE B) const {
  if (FFolder) return short(HRESULT_CODE(FFolder->CompareIDs(0, A, B)));
  return PidlBinaryCompare(A, B);
}

const TPTPidlList::TEntry& TPTPidlList::At(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(::Format("List index out of bounds (%d)", Index));
  return FList[size_t(Index)];
}

bool TPTPidlList::Find(PCIDLIST_ABSOLUTE Pidl, int& Index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = Compare(FList[size_t(mid)].Pidl, Pidl);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) lo = mid;
      }
    }
  }
  Index = lo;
  return found;
}

int TPTPidlList::IndexOf(PCIDLIST_ABSOLUTE Pidl) const {
  if (FSorted) {
    int i;
    return Find(Pidl, i) ? i : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (Compare(FList[size_t(i)].Pidl, Pidl) == 0) return i;
  return -1;
}

int TPTPidlList::AddObject(LPITEMIDLIST Pidl, void* Data) {
  int index = Count();
  if (FSorted && Find(Pidl, index)) {
    if (FDuplicates == dupIgnore) {
      // Not kept: an owning list frees it here, or nobody would.
      FreePidl(Pidl);
      return index;
    }
    if (FDuplicates == dupError) {
      FreePidl(Pidl);
      throw Exception("TPTPidlList: Duplicate PIDL");
    }
  }
  FList.insert(FList.begin() + index, TEntry{Pidl, Data});
  return index;
}

void TPTPidlList::SetSorted(bool Value) {
  if (Value == FSorted) return;
  FSorted = Value;
  if (FSorted) Sort();
}

void TPTPidlList::Sort() {
  // A list filled in order (a refresh's shown items usually are) costs one pass, not a sort.
  auto less = [this](const TEntry& a, const TEntry& b) { return Compare(a.Pidl, b.Pidl) < 0; };
  if (std::is_sorted(FList.begin(), FList.end(), less)) return;
  std::stable_sort(FList.begin(), FList.end(), less);
}

void TPTPidlList::Delete(int Index) {
  At(Index);
  FreePidl(FList[size_t(Index)].Pidl);
  FList.erase(FList.begin() + Index);
}

void TPTPidlList::Clear() {
  for (TEntry& e : FList) FreePidl(e.Pidl);
  FList.clear();
}

// ---------------------------------------------------------------------------------------------------

namespace {
TPTDeviceChangeHandler* TheDeviceChangeHandler = nullptr;
}

TPTDeviceChangeHandler::TPTDeviceChangeHandler() {
  FHandle = AllocateHWnd(TWndMethod(this, &TPTDeviceChangeHandler::WndProc));
}

TPTDeviceChangeHandler::~TPTDeviceChangeHandler() { DeallocateHWnd(FHandle); }

void TPTDeviceChangeHandler::AddListener(TPTDeviceChangeEvent Listener) { FListeners.push_back(Listener); }

void TPTDeviceChangeHandler::RemoveListener(TPTDeviceChangeEvent Listener) {
  for (auto it = FListeners.begin(); it != FListeners.end(); ++it)
    if (*it == Listener) {
      FListeners.erase(it);
      return;
    }
}

void TPTDeviceChangeHandler::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_QUERYENDSESSION:
      Message.Result = 1;
      return;
    case WM_DEVICECHANGE:
      // Listeners look at the drives again: not while the system's broadcast is still under way.
      PostMessageA(FHandle, WM_PTDEVICECHANGE, Message.WParam, Message.LParam);
      return;
    case WM_PTDEVICECHANGE: {
      if (!FEnabled) return;
      // A listener may change the list while it runs: walk a copy, and skip any that has left it.
      std::vector<TPTDeviceChangeEvent> listeners = FListeners;
      for (const TPTDeviceChangeEvent& l : listeners) {
        if (std::find(FListeners.begin(), FListeners.end(), l) == FListeners.end()) continue;
        TMessage m = Message;
        l(this, m);
      }
      return;
    }
  }
  Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

TPTDeviceChangeHandler* DeviceChangeHandler() {
  if (!TheDeviceChangeHandler) TheDeviceChangeHandler = new TPTDeviceChangeHandler;
  return TheDeviceChangeHandler;
}

void UPTShellUtilsInitialize() { UPTShell95Initialize(); }

void UPTShellUtilsFinalize() {
  FreeAndNil(TheDeviceChangeHandler);
  UPTShell95Finalize();
}
