// The data records of shell tree nodes, shell list items and shell combo items, and the detail texts.
#include "UPTShellControls.h"

TPTShTreeData::~TPTShTreeData() {
  Reset();
  if (FAllocator) {
    if (FRelativePidl) FAllocator->Free(FRelativePidl);
    FAllocator->Release();
  }
  FRelativePidl = nullptr;
  FAllocator = nullptr;
}

void TPTShTreeData::Init(TPTShTreeData* Parent, IMalloc* Allocator, PCUITEMID_CHILD RelativePidl) {
  if (Allocator) Allocator->AddRef();
  if (FAllocator) FAllocator->Release();
  FAllocator = Allocator;
  FParent = Parent;
  FRelativePidl = PidlCopy(FAllocator, RelativePidl);
  FAbsolutePidl = nullptr;
}

void TPTShTreeData::Reset() {
  if (FAbsolutePidl) {
    if (FAllocator) FAllocator->Free(FAbsolutePidl);
    else ShellFree(FAbsolutePidl);
  }
  FAbsolutePidl = nullptr;
  if (FFolder) FFolder->Release();
  FFolder = nullptr;
}

void TPTShTreeData::SetRelativePidl(PCUITEMID_CHILD RelativePidl) {
  LPITEMIDLIST copy = PidlCopy(FAllocator, RelativePidl);
  if (FRelativePidl) {
    if (FAllocator) FAllocator->Free(FRelativePidl);
    else ShellFree(FRelativePidl);
  }
  FRelativePidl = copy;
  Reset();
}

PCIDLIST_ABSOLUTE TPTShTreeData::AbsolutePidl() {
  if (!FAbsolutePidl)
    FAbsolutePidl = FParent ? PidlConcat(FAllocator, FParent->AbsolutePidl(), FRelativePidl)
                            : PidlCopy(FAllocator, FRelativePidl);
  return FAbsolutePidl;
}

IShellFolder* TPTShTreeData::Folder() {
  if (FFolder) return FFolder;
  PCIDLIST_ABSOLUTE abs = AbsolutePidl();
  if (!abs || PidlItemCount(abs) == 0) {
    if (FAILED(SHGetDesktopFolder(&FFolder))) FFolder = nullptr;
  } else if (IShellFolder* parent = ParentFolder()) {
    if (FAILED(parent->BindToObject(FRelativePidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&FFolder))))
      FFolder = nullptr;
  } else if (FAILED(GetShellFolder(abs, FFolder))) {
    // A root below the desktop binds from the desktop.
    FFolder = nullptr;
  }
  return FFolder;
}

std::string TPTShTreeData::Path() {
  if (!FAllocator) throw Exception("TPTShTreeData not initialised");
  char path[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListA(AbsolutePidl(), path)) return {};
  return path;
}

HRESULT TPTShTreeData::GetUIObject(REFIID Iid, void** Obj) {
  *Obj = nullptr;
  if (FParent) {
    IShellFolder* parent = ParentFolder();
    if (!parent) return E_FAIL;
    PCUITEMID_CHILD items[1] = {FRelativePidl};
    return parent->GetUIObjectOf(nullptr, 1, items, Iid, nullptr, Obj);
  }
  // The root (the desktop too: its PIDL is split through the desktop's own path).
  return GetUIObjectOfPidl(AbsolutePidl(), Iid, Obj);
}

bool TPTShTreeData::CanRename() {
  PCIDLIST_ABSOLUTE abs = AbsolutePidl();
  if (!FParent || !abs || PidlItemCount(abs) == 0) return false;
  IShellFolder* parent = ParentFolder();
  if (!parent) return false;
  SFGAOF attrs = 0x40000177;
  PCUITEMID_CHILD items[1] = {FRelativePidl};
  return SUCCEEDED(parent->GetAttributesOf(1, items, &attrs)) && (attrs & SFGAO_CANRENAME);
}

// ---------------------------------------------------------------------------------------------------

TPTShListData::~TPTShListData() {
  Forget();
  IMalloc* m = FList->ListAllocator();
  if (FRelativePidl) m ? m->Free(FRelativePidl) : ShellFree(FRelativePidl);
}

void TPTShListData::Forget() {
  IMalloc* m = FList->ListAllocator();
  if (FAbsolutePidl) m ? m->Free(FAbsolutePidl) : ShellFree(FAbsolutePidl);
  FAbsolutePidl = nullptr;
  FDisplayName.clear();
  FHaveName = false;
  FDetailsLoaded = false;
}

void TPTShListData::SetRelativePidl(LPITEMIDLIST NewPidl) {
  IMalloc* m = FList->ListAllocator();
  if (FRelativePidl && FRelativePidl != NewPidl) m ? m->Free(FRelativePidl) : ShellFree(FRelativePidl);
  FRelativePidl = NewPidl;
  Forget();
}

PCIDLIST_ABSOLUTE TPTShListData::AbsolutePidl() {
  if (!FAbsolutePidl) FAbsolutePidl = PidlConcat(FList->ListAllocator(), FList->ListFolderPidl(), FRelativePidl);
  return FAbsolutePidl;
}

std::string TPTShListData::Path() { return PidlToPath(AbsolutePidl()); }

SFGAOF TPTShListData::Attributes() {
  SFGAOF attrs = 0xF00F0037;
  std::string path = Path();
  // Asking a removable drive whether it is read-only makes the drive spin up (or prompt for a disk):
  // the question is left out there. The drive type is a question about the drive's root.
  if (IsLongerThanRoot(path)) {
    std::string root = PathRoot(path);
    if (!root.empty() && GetDriveTypeA(root.c_str()) == DRIVE_REMOVABLE) attrs &= ~SFGAOF(SFGAO_READONLY);
  }
  IShellFolder* folder = FList->ListFolder();
  PCUITEMID_CHILD items[1] = {FRelativePidl};
  if (!folder || FAILED(folder->GetAttributesOf(1, items, &attrs))) return 0;
  return attrs;
}

bool TPTShListData::IsShortcut() {
  std::string path = Path();
  size_t dot = path.rfind('.');
  return dot != std::string::npos && path.find('\\', dot) == std::string::npos &&
         CompareText(path.substr(dot), ".lnk") == 0;
}

std::string TPTShListData::DisplayName() {
  if (!FHaveName) {
    SHFILEINFOA info{};
    FDisplayName = SHGetFileInfoA(reinterpret_cast<LPCSTR>(AbsolutePidl()), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME)
                       ? std::string(info.szDisplayName)
                       : std::string();
    FHaveName = true;
  }
  return FDisplayName;
}

std::string TPTShListData::Details(int Column) {
  if (IShellDetails* details = FList->ListDetails()) {
    SHELLDETAILS sd{};
    if (FAILED(details->GetDetailsOf(FRelativePidl, UINT(Column), &sd))) return {};
    std::string text = StrRetToString(FRelativePidl, sd.str);
    FreeStrRet(sd.str);
    return text;
  }
  if (Column == 0) return DisplayName();
  if (!FDetailsLoaded) {
    TPTFileDetails d = GetFileDetails(AbsolutePidl());
    FSize = d.Size;
    FModified = d.Modified;
    FType = GetTypeName(AbsolutePidl(), Attributes());
    FDetailsLoaded = true;
  }
  switch (Column) {
    case 1: return FSize;
    case 2: return FType;
    case 3: return FModified;
  }
  return {};
}

TPTShComboData::~TPTShComboData() {
  if (Folder) Folder->Release();
  if (Other) Other->Release();
  for (LPITEMIDLIST& p : Pidls) {
    ShellFree(p);
    p = nullptr;
  }
}

// ---------------------------------------------------------------------------------------------------

std::string FormatSizeKB(uint64_t Bytes) {
  uint64_t kb = Bytes / 1024 + (Bytes % 1024 ? 1 : 0);
  return Format(PTLoadStr(sPTSizeKB), Format("%.0n", double(kb)));
}

TPTFileDetails GetFileDetails(PCIDLIST_ABSOLUTE Pidl) {
  TPTFileDetails d;
  std::string path = PidlToPath(Pidl);
  if (path.size() <= 3) return d;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return d;
  if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    d.Size = FormatSizeKB((uint64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);   // whole, past 4 GiB too
  const FILETIME& t = (fd.ftLastWriteTime.dwLowDateTime || fd.ftLastWriteTime.dwHighDateTime) ? fd.ftLastWriteTime
                                                                                                : fd.ftCreationTime;
  TDateTime when = FileTimeToDateTimeLocal(t);
  d.Modified = DateToStr(when) + " " + TimeToStr(when);
  FindClose(h);
  return d;
}

std::string GetTypeName(PCIDLIST_ABSOLUTE Pidl, SFGAOF Attributes) {
  if (Attributes & SFGAO_FILESYSTEM) {
    SHFILEINFOA info{};
    if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(Pidl), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_TYPENAME))
      return std::string(info.szTypeName, strnlen(info.szTypeName, 80));
    return {};
  }
  return PTLoadStr(sPTSystemFolder);
}

std::string PathRoot(const std::string& Path) {
  if (Path.size() >= 2 && Path[1] == ':' && !IsDBCSLeadByte(BYTE(Path[0]))) return Path.substr(0, 2) + "\\";
  if (Path.rfind("\\\\", 0) == 0) {
    size_t server = Path.find('\\', 2);
    if (server == std::string::npos) return {};
    size_t share = Path.find('\\', server + 1);
    return (share == std::string::npos ? Path : Path.substr(0, share)) + "\\";
  }
  return {};
}
