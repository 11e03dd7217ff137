// The shell list: filling, sorting, navigation, commands, renaming, drag and drop and change
// notification of a list view of one shell folder.
#include "UPTShellList.h"

#include <dbt.h>

#include <algorithm>
#include <cctype>

#include "SysUtils.h"
#include "UPTShell95.h"

const TEnumInfo PTShellListOptionNames{
    "TPTShellListOption",
    {"ptsloAutoFill", "ptsloVirtualFolders", "ptsloDesignInteractive", "ptsloDefaultKeyHandling",
     "ptsloContextMenus", "ptsloNoNavigation", "ptsloReserved6", "ptsloDynamicRefresh", "ptsloHideTreeFolders",
     "ptsloOleDrag", "ptsloOleDrop", "ptsloReserved11", "ptsloShowHidden"}};

namespace {

constexpr SFGAOF AddAttributes = 0xF20B0000;
constexpr int ColumnCount = 4;

std::string Lower(std::string S) {
  for (char& c : S) c = char(std::tolower(static_cast<unsigned char>(c)));
  return S;
}

std::string FilePart(const std::string& Path) {
  size_t slash = Path.find_last_of('\\');
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// The widths of the last list window destroyed in this process, for the next one made.
TMemoryStream& KeptWidths() {
  static TMemoryStream stream;
  return stream;
}

// Explorer's own column widths ("DirectoryCols", at most 22 bytes), read once: the first four 16-bit
// values are taken as the four columns' first widths.
const std::vector<int>& ExplorerWidths() {
  static std::vector<int> widths;
  static bool read = false;
  if (read) return widths;
  read = true;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return widths;
  BYTE data[22] = {};
  DWORD size = sizeof data, type = 0;
  if (RegQueryValueExA(key, "DirectoryCols", nullptr, &type, data, &size) == ERROR_SUCCESS && type == REG_BINARY &&
      size >= 2 * ColumnCount)
    for (int i = 0; i < ColumnCount; ++i) {
      int w = data[2 * i] | (data[2 * i + 1] << 8);
      if (w <= 0 || w > 2000) {
        widths.clear();
        break;
      }
      widths.push_back(w);
    }
  RegCloseKey(key);
  return widths;
}

struct TSortContext {
  IShellFolder* Folder;
  int Sort;
};

int CompareItems(TListItem* A, TListItem* B, intptr_t Data) {
  auto* ctx = reinterpret_cast<TSortContext*>(Data);
  TPTShListData* a = TPTCustomShellList::ShellData(A);
  TPTShListData* b = TPTCustomShellList::ShellData(B);
  if (!a || !b) return 0;
  int r = ShellItemOrder(ctx->Folder, a->RelativePidl(), b->RelativePidl(), std::abs(ctx->Sort) - 1);
  return ctx->Sort < 0 ? -r : r;
}

void CopyText(NMLVDISPINFOA* Info, bool Wide, const std::string& Text) {
  if (!Info->item.pszText || Info->item.cchTextMax <= 0) return;
  if (!Wide) {
    lstrcpynA(Info->item.pszText, Text.c_str(), Info->item.cchTextMax);
    return;
  }
  auto* w = reinterpret_cast<wchar_t*>(Info->item.pszText);
  if (MultiByteToWideChar(CP_ACP, 0, Text.c_str(), -1, w, Info->item.cchTextMax) == 0) w[Info->item.cchTextMax - 1] = 0;
}

}  // namespace

TDataObject_shlv::TDataObject_shlv(PCIDLIST_ABSOLUTE Folder, IShellFolder* ShellFolder,
                                   const std::vector<PCUITEMID_CHILD>& Items) {
  std::vector<std::string> paths;
  for (PCUITEMID_CHILD item : Items) {
    std::string path;
    GetDisplayName(ShellFolder, item, ptdnForParsing, path);
    paths.push_back(path);
  }
  Build(Folder, Items, paths);
}

// ---------------------------------------------------------------------------------------------------

TPTCustomShellList::TPTCustomShellList(TComponent* AOwner) : TPTCustomListView(AOwner) {
  FLocator = new TPTShellLocator;
  FLocator->OnChange = TNotifyEvent(this, &TPTCustomShellList::FolderChanged);
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer(TNotifyEvent(this, &TPTCustomShellList::TimerFired));
  FOptions = PTShellListDefaultOptions;
  FSmall = SysImageList(false);
  FLarge = SysImageList(true);
  SetSmallImages(FSmall.get());
  SetLargeImages(FLarge.get());
  MakeColumns();
  SetSortColumn(0);
  SetSortDirection(1);
  DeviceChangeHandler()->AddListener(TPTDeviceChangeEvent(this, &TPTCustomShellList::DeviceChange));
}

TPTCustomShellList::~TPTCustomShellList() {
  DeviceChangeHandler()->RemoveListener(TPTDeviceChangeEvent(this, &TPTCustomShellList::DeviceChange));
  if (FTree) FTree->SetShellList(nullptr);
  RegisterDropTarget(false);
  delete FChangeThread;
  FChangeThread = nullptr;
  FTimer->SetEnabled(false);
  // The items' records free their lists with the folder's allocator: they go first.
  FUpdateLock++;
  Items()->Clear();
  ReleaseFolder();
  SetSmallImages(nullptr);
  SetLargeImages(nullptr);
  delete FLocator;
}

TPTShListData* TPTCustomShellList::ShellData(TListItem* Item) {
  return Item ? dynamic_cast<TPTShListData*>(static_cast<TObject*>(Item->Data())) : nullptr;
}

void TPTCustomShellList::MakeColumns() {
  static const int captions[ColumnCount] = {sPTColName, sPTColSize, sPTColType, sPTColModified};
  static const int widths[ColumnCount] = {180, 80, 120, 130};
  const std::vector<int>& explorer = ExplorerWidths();
  Columns()->Clear();
  for (int i = 0; i < ColumnCount; ++i) {
    TListColumn* c = Columns()->Add();
    c->SetCaption(PTLoadStr(captions[i]));
    c->SetWidth(explorer.empty() ? widths[i] : explorer[size_t(i)]);
    if (i == 1) c->SetAlignment(taRightJustify);
  }
}

void TPTCustomShellList::SaveColumnWidths(TStream* Stream) {
  int32_t count = Columns()->Count();
  Stream->WriteBuffer(&count, sizeof count);
  for (int i = 0; i < count; ++i) {
    int32_t w = Column(i)->Width();
    Stream->WriteBuffer(&w, sizeof w);
  }
}

void TPTCustomShellList::LoadColumnWidths(TStream* Stream) {
  int32_t count = 0;
  if (Stream->Read(&count, sizeof count) != sizeof count) return;
  for (int i = 0; i < std::min<int>(count, Columns()->Count()); ++i) {
    int32_t w = 0;
    if (Stream->Read(&w, sizeof w) != sizeof w) return;
    Column(i)->SetWidth(w);
  }
}

IShellDetails* TPTCustomShellList::ListDetails() {
  if (!FDetailsAsked && FShellFolder) {
    FDetails = GetShellDetails(FShellFolder);
    FDetailsAsked = true;
  }
  return FDetails;
}

// ---------------------------------------------------------------------------------------------------
// Properties

void TPTCustomShellList::SetOptions(TPTShellListOptions Value) {
  if (Value == FOptions) return;
  TPTShellListOptions old = FOptions;
  FOptions = Value;
  bool designing = ComponentState().Contains(csDesigning);
  if (HandleAllocated() && !designing && old.Contains(ptsloOleDrop) != Value.Contains(ptsloOleDrop))
    RegisterDropTarget(Value.Contains(ptsloOleDrop));
  if (HandleAllocated() && !designing && old.Contains(ptsloDynamicRefresh) != Value.Contains(ptsloDynamicRefresh))
    WatchFolder(Value.Contains(ptsloDynamicRefresh) && FShellFolder ? PidlToPath(FFolderPidl) : std::string());
  bool refill = (old - Value + (Value - old)).Bits() &
                TPTShellListOptions{ptsloVirtualFolders, ptsloHideTreeFolders, ptsloShowHidden}.Bits();
  if (refill && FShellFolder) Reset();
}

void TPTCustomShellList::SetFileMask(const std::string& Value) {
  if (Value == FFileMask) return;
  FFileMask = Value;
  FreeMask();
  if (FShellFolder) Reset();
}

void TPTCustomShellList::SetSortColumnSigned(int Value) {
  if (Value == 0) Value = 1;
  bool changed = Value != FSort;
  FSort = Value;
  SetSortColumn(std::abs(Value) - 1);
  SetSortDirection(Value > 0 ? 1 : 0);
  if (changed) SortItems();
}

void TPTCustomShellList::ColClick(TListColumn* Column) {
  TLiveGuard g(this);
  TPTCustomListView::ColClick(Column);
  if (!g || !Column) return;
  int index = Column->Index();
  SetSortColumnSigned(std::abs(FSort) - 1 == index ? -FSort : index + 1);
}

void TPTCustomShellList::SortItems() {
  if (!FShellFolder || Items()->Count() < 2) return;
  TSortContext ctx{FShellFolder, FSort};
  CustomSort(&CompareItems, reinterpret_cast<intptr_t>(&ctx));
}

void TPTCustomShellList::SetShellTree(TPTCustomShellTree* Tree) {
  if (Tree == FTree) return;
  if (FTree) RemoveFreeNotification(FTree);
  FTree = Tree;
  if (FTree) FreeNotification(FTree);
  // Whether the folders are left to a tree changes with the link.
  if (FOptions.Contains(ptsloHideTreeFolders) && FShellFolder) Reset();
}

void TPTCustomShellList::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomListView::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FTree) FTree = nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Filling

DWORD TPTCustomShellList::EnumFlags() const {
  return SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | (FOptions.Contains(ptsloShowHidden) ? SHCONTF_INCLUDEHIDDEN : 0);
}

void TPTCustomShellList::ShowFolder(PCIDLIST_ABSOLUTE Pidl) { FLocator->SetPidl(Pidl); }

void TPTCustomShellList::SetFolderPidl(PCIDLIST_ABSOLUTE Pidl) {
  // Navigation goes through the tree, which then shows the folder here.
  if (FTree) FTree->SelectedFolder()->SetPidl(Pidl);
  else FLocator->SetPidl(Pidl);
}

void TPTCustomShellList::FolderChanged(TObject*) {
  {
    TPTLock lock(FUpdateLock);
    if (FTree) FTree->SelectIdList(FLocator->Pidl());
  }
  Reset();
}

void TPTCustomShellList::ReleaseFolder() {
  if (FDetails) FDetails->Release();
  FDetails = nullptr;
  FDetailsAsked = false;
  if (FShellFolder) FShellFolder->Release();
  FShellFolder = nullptr;
  if (FFolderPidl) FAllocator->Free(FFolderPidl);
  FFolderPidl = nullptr;
  if (FAllocator) FAllocator->Release();
  FAllocator = nullptr;
}

bool TPTCustomShellList::PutOff() {
  if (!FDragging && !IsEditing()) return false;
  FRefreshPending = true;
  return true;
}

void TPTCustomShellList::Reset() {
  if (!HandleAllocated() || PutOff()) return;
  TPTWaitCursor wait;
  {
    TUpdateScope<TListItems> update(Items());
    Items()->Clear();
  }
  ReleaseFolder();
  IShellFolder* folder = nullptr;
  OleCheck(GetShellFolder(FLocator->Pidl(), folder));
  {
    TScopeExit done([&] {
      folder->Release();
      FreeMask();
    });
    FillList(folder, FLocator->Pidl());
  }
  if (FOptions.Contains(ptsloDynamicRefresh) && !ComponentState().Contains(csDesigning))
    WatchFolder(PidlToPath(FFolderPidl));
}

void TPTCustomShellList::FillList(IShellFolder* Folder, PCIDLIST_ABSOLUTE FolderPidl) {
  OnFillStart(this);
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  TScopeExit restore([&] { SetErrorMode(oldMode); });
  // The items' records read the folder, its list and the allocator for as long as they live.
  OleCheck(SHGetMalloc(&FAllocator));
  Folder->AddRef();
  FShellFolder = Folder;
  FFolderPidl = FolderPidl ? PidlCopy(FAllocator, FolderPidl) : PidlConcat(FAllocator, nullptr, nullptr);
  std::vector<LPITEMIDLIST> items;
  HRESULT end = S_OK;
  bool read = EnumShellItems(Folder, GetActiveWindow(), EnumFlags(), items, &end);
  {
    TUpdateScope<TListItems> update(Items());
    for (LPITEMIDLIST item : items) AddItem(Folder, item);
    SortItems();
  }
  OnFillComplete(this);
  // An unreadable folder is an empty list; a failure in the middle of the enumeration is the shell's error.
  if (read && end != S_FALSE && FAILED(end) && end != E_FAIL) OleCheck(end);
}

void TPTCustomShellList::AddItem(IShellFolder* Folder, LPITEMIDLIST Item) {
  SFGAOF attrs = AddAttributes;
  PCUITEMID_CHILD child = Item;
  bool offered = SUCCEEDED(Folder->GetAttributesOf(1, &child, &attrs)) &&
                 (FOptions.Contains(ptsloVirtualFolders) || (attrs & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)));
  if (offered && HidesTreeFolders() && (attrs & SFGAO_FILESYSTEM) && (attrs & SFGAO_FOLDER)) offered = false;
  if (!offered || !DoAddItem(Folder, attrs, Item)) {
    CoTaskMemFree(Item);
    return;
  }
  auto* data = new TPTShListData(this, Item);
  TListItem* li = Items()->Add();
  li->SetData(static_cast<TObject*>(data));
  li->SetCaption(data->DisplayName());
}

bool TPTCustomShellList::DoAddItem(IShellFolder* Folder, SFGAOF Attributes, PCUITEMID_CHILD Item) {
  if (!(Attributes & SFGAO_FOLDER)) {
    std::string path;
    GetDisplayName(Folder, Item, ptdnForParsing, path);
    if (!MatchesMask(FilePart(path))) return false;
  }
  BOOL allow = TRUE;
  OnAddItem(this, Folder, FFolderPidl, Item, int(Attributes), allow);
  return allow != FALSE;
}

void TPTCustomShellList::BuildMask() {
  FMask.clear();
  FMaskBuilt = true;
  std::string folder = AddDelimiter(PidlToPath(FFolderPidl), '\\');
  if (folder.empty()) return;
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  size_t start = 0;
  while (start <= FFileMask.size()) {
    size_t end = FFileMask.find(';', start);
    if (end == std::string::npos) end = FFileMask.size();
    std::string mask = Trim(FFileMask.substr(start, end - start));
    start = end + 1;
    if (mask.empty()) continue;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + mask).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) continue;
    do FMask.insert(Lower(found.cFileName));
    while (FindNextFileA(h, &found));
    FindClose(h);
  }
  SetErrorMode(oldMode);
}

bool TPTCustomShellList::MatchesMask(const std::string& Name) {
  std::string mask = Trim(FFileMask);
  if (mask.empty() || mask == "*" || mask == "*.*") return true;
  if (!FMaskBuilt) BuildMask();
  return FMask.count(Lower(Name)) > 0;
}

void TPTCustomShellList::FreeMask() {
  FMask.clear();
  FMaskBuilt = false;
}

void TPTCustomShellList::Refresh() {
  if (!HandleAllocated() || PutOff()) return;
  if (!FShellFolder) {
    Reset();
    return;
  }
  TPTWaitCursor wait;
  std::vector<LPITEMIDLIST> fresh;
  if (!EnumShellItems(FShellFolder, OwnerWindow(), EnumFlags(), fresh)) return;
  std::vector<TListItem*> shownItems;
  std::vector<PCUITEMID_CHILD> shown;
  for (int i = 0; i < Items()->Count(); ++i)
    if (TPTShListData* d = ShellData(Items()->Item(i))) {
      shownItems.push_back(Items()->Item(i));
      shown.push_back(d->RelativePidl());
    }
  FreeMask();
  OnFillStart(this);
  {
    TUpdateScope<TListItems> update(Items());
    for (int i : DiffShellItems(FShellFolder, shown, fresh)) shownItems[size_t(i)]->Delete();
    int before = Items()->Count();
    for (LPITEMIDLIST p : fresh)
      if (p) AddItem(FShellFolder, p);
    if (Items()->Count() > before) SortItems();
  }
  FreeMask();
  OnFillComplete(this);
}

void TPTCustomShellList::Delete(TListItem* Item) {
  TPTCustomListView::Delete(Item);
  TPTShListData* data = ShellData(Item);
  Item->SetData(nullptr);
  if (data) TObject::Free(data);
}

// ---------------------------------------------------------------------------------------------------
// Navigation and commands

void TPTCustomShellList::OpenFocused() {
  TListItem* item = ItemFocused();
  if (!item || !item->Selected()) item = Selected();
  TPTShListData* data = ShellData(item);
  if (!data || !FShellFolder) return;
  bool navigate = !FOptions.Contains(ptsloNoNavigation);
  std::vector<PCUITEMID_CHILD> items = SelectedPidls();
  if (items.size() < 2) {
    if (data->IsFolder()) {
      if (navigate) SetFolderPidl(data->AbsolutePidl());
      return;
    }
    if (data->IsShortcut()) {
      TPTShortcutInfo info;
      HRESULT hr = ReadShortcut(data->Path(), info);
      if (info.IDList) ShellFree(info.IDList);
      DWORD attrs = SUCCEEDED(hr) ? GetFileAttributesA(info.Path.c_str()) : INVALID_FILE_ATTRIBUTES;
      if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        LPITEMIDLIST target = nullptr;
        if (navigate && SUCCEEDED(PathToPidl(info.Path, target))) SetFolderPidl(target);
        ShellFree(target);
        return;
      }
    }
    TLiveGuard g(this);
    bool handled = false;
    OnOpenItem(this, item, handled);
    if (!g || handled) return;
    items = {data->RelativePidl()};
  }
  TPTShellContextMenu menu;
  if (!menu.Build(OwnerWindow(), FShellFolder, items, CMF_EXPLORE)) return;
  UINT id = GetMenuDefaultItem(menu.Handle(), FALSE, 0);
  if (id == UINT(-1) || id < PTFirstShellCommand) return;
  TLiveGuard g(this);
  menu.Execute(id);
  if (g) RefreshIfUnc();
}

void TPTCustomShellList::GoUp(int Levels) {
  if (FOptions.Contains(ptsloNoNavigation) || Levels <= 0) return;
  if (FTree) {
    FTree->GoUp(Levels);
    return;
  }
  PCIDLIST_ABSOLUTE pidl = FLocator->Pidl();
  int count = PidlItemCount(pidl);
  if (count == 0) return;
  if (Levels >= count) {
    FLocator->Clear();
    return;
  }
  TPTIdListArray parts(pidl);
  LPITEMIDLIST up = PidlCopy(nullptr, parts.LeadingPart(Levels));
  FLocator->SetPidl(up);
  ShellFree(up);
}

std::vector<TListItem*> TPTCustomShellList::SelectedItems() {
  std::vector<TListItem*> out;
  for (TListItem* i = GetNextItem(nullptr, true); i; i = GetNextItem(i, true)) out.push_back(i);
  return out;
}

std::vector<PCUITEMID_CHILD> TPTCustomShellList::SelectedPidls() {
  std::vector<PCUITEMID_CHILD> out;
  for (TListItem* i : SelectedItems())
    if (TPTShListData* d = ShellData(i)) out.push_back(d->RelativePidl());
  return out;
}

bool TPTCustomShellList::IsUncFolder() {
  std::string path = PidlToPath(FFolderPidl);
  return path.size() > 1 && path[0] == '\\' && path[1] == '\\';
}

// No notification comes for folders on network paths: they refresh after their commands.
void TPTCustomShellList::RefreshIfUnc() {
  if (IsUncFolder()) Refresh();
}

HRESULT TPTCustomShellList::InvokeVerb(const std::string& Verb) {
  std::vector<PCUITEMID_CHILD> items = SelectedPidls();
  if (items.empty() || !FShellFolder) return E_INVALIDARG;
  IContextMenu* menu = nullptr;
  OleCheck(FShellFolder->GetUIObjectOf(OwnerWindow(), UINT(items.size()), items.data(), IID_IContextMenu, nullptr,
                                       reinterpret_cast<void**>(&menu)));
  TLiveGuard g(this);
  HRESULT hr = InvokeMenuCommand(menu, OwnerWindow(), Verb);
  menu->Release();
  if (g) RefreshIfUnc();
  return hr;
}

HRESULT TPTCustomShellList::PasteIntoFolder() {
  if (!FShellFolder) return E_INVALIDARG;
  IContextMenu* menu = nullptr;
  HRESULT hr = GetUIObjectOfPidl(FFolderPidl, IID_IContextMenu, reinterpret_cast<void**>(&menu));
  if (FAILED(hr)) return hr;
  hr = InvokeMenuCommand(menu, OwnerWindow(), "paste");
  menu->Release();
  return hr;
}

void TPTCustomShellList::ItemContextMenuAt(TListItem* Item, POINT Pt) {
  if (!FOptions.Contains(ptsloContextMenus) || ComponentState().Contains(csDesigning)) {
    TPTCustomListView::ItemContextMenuAt(Item, Pt);
    return;
  }
  TPopupMenu* menu = PopupMenu();
  TLiveGuard g(this);
  OnItemContextMenu(this, Item, Pt, menu);
  if (g) ShowContextMenu(Pt);
}

void TPTCustomShellList::ShowContextMenu(POINT Pt) {
  std::vector<PCUITEMID_CHILD> items = SelectedPidls();
  if (items.empty() || !FShellFolder) return;
  TListItem* focused = ItemFocused();
  TPTShListData* data = ShellData(focused);
  TPTShellContextMenu menu;
  menu.OnHint = TPTMenuHintEvent(this, &TPTCustomShellList::MenuHint);
  UINT flags = CMF_EXPLORE | (!ReadOnly() && data && data->CanRename() ? CMF_CANRENAME : 0);
  if (!menu.Build(OwnerWindow(), FShellFolder, items, flags)) return;
  UINT cmd = 0;
  {
    TPTFlag dragging(FDragging);
    POINT screen = ClientToScreen(Pt);
    cmd = menu.Track(screen.x, screen.y);
  }
  TLiveGuard g(this);
  int rename = cmd >= PTFirstShellCommand ? FindVerbCommand(menu.ContextMenu(), "rename") : -1;
  if (rename >= 0 && cmd - PTFirstShellCommand == UINT(rename)) {
    if (focused) EditCaption(focused);
  } else if (cmd > 0) {
    menu.Execute(cmd);   // a shell command or a Send To entry
    if (g) RefreshIfUnc();
  }
  if (g && FRefreshPending) {
    FRefreshPending = false;
    Refresh();
  }
}

void TPTCustomShellList::MenuHint(TObject*, const std::string& Hint) { OnPopupHint(this, Hint); }

void TPTCustomShellList::KeyDown(uint16_t& Key, TShiftState Shift) {
  TLiveGuard g(this);
  TPTCustomListView::KeyDown(Key, Shift);
  if (!g || Key == 0 || IsEditing() || ComponentState().Contains(csDesigning)) return;
  if (Key == VK_RETURN && Shift.Empty()) {
    Key = 0;
    OpenFocused();
    return;
  }
  if (!FOptions.Contains(ptsloDefaultKeyHandling)) return;
  bool skip = false;
  OnKeyAction(this, Key, Shift, skip);
  if (!g || skip) return;
  TShortCut sc = ShortCut(Key, Shift);
  if (sc == ShortCut(VK_DELETE, TShiftState{ssShift})) sc = PTShellShortCut(pskDelete);
  uint16_t saved = Key;
  Key = 0;
  if (sc == PTShellShortCut(pskSelectAll)) {
    SelectAll();
  } else if (sc == PTShellShortCut(pskRename)) {
    if (ItemFocused()) EditCaption(ItemFocused());
  } else if (sc == PTShellShortCut(pskRefresh)) {
    Reset();
  } else if (sc == PTShellShortCut(pskCut)) {
    InvokeVerb("cut");
  } else if (sc == PTShellShortCut(pskCopy)) {
    InvokeVerb("copy");
  } else if (sc == PTShellShortCut(pskPaste)) {
    // A folder whose menu offers no Paste refuses the key, as the tree does.
    if (PasteIntoFolder() != S_OK) MessageBeep(UINT(-1));
    if (g) Refresh();
  } else if (sc == PTShellShortCut(pskDelete)) {
    InvokeVerb("delete");
  } else {
    Key = saved;
  }
}

// ---------------------------------------------------------------------------------------------------
// Renaming and new folders

bool TPTCustomShellList::IsEditing() {
  return HandleAllocated() && SendMessageA(Handle(), LVM_GETEDITCONTROL, 0, 0) != 0;
}

void TPTCustomShellList::EditCaption(TListItem* Item) {
  if (!Item || !HandleAllocated()) return;
  // The list view edits a label only while it has the focus.
  if (GetFocus() != Handle()) ::SetFocus(Handle());
  SendMessageA(Handle(), LVM_EDITLABELA, WPARAM(Item->Index()), 0);
}

bool TPTCustomShellList::EndEdit(TListItem* Item, const char* Text) {
  TPTShListData* data = ShellData(Item);
  if (!data || !Text || !*Text || !FShellFolder) return false;
  TPTWaitCursor wait;
  FIgnoreNextNotification = true;
  wchar_t wide[MAX_PATH + 1] = {};
  MultiByteToWideChar(CP_ACP, 0, Text, -1, wide, MAX_PATH);
  LPITEMIDLIST newPidl = nullptr;
  HRESULT hr = FShellFolder->SetNameOf(OwnerWindow(), data->RelativePidl(), wide, SHGDN_INFOLDER, &newPidl);
  if (FAILED(hr) || !newPidl) {
    // Nothing changed on disk, so nothing will be notified.
    FIgnoreNextNotification = false;
    return false;
  }
  LPITEMIDLIST own = PidlCopy(FAllocator, newPidl);
  CoTaskMemFree(newPidl);
  data->SetRelativePidl(own);
  Item->SetCaption(data->DisplayName());
  return true;
}

bool TPTCustomShellList::CreateNewFolder() {
  std::string path = PidlToPath(FFolderPidl);
  FIgnoreNextNotification = true;
  std::string name = CreateUniqueFolder(path);
  if (name.empty()) {
    FIgnoreNextNotification = false;
    return false;
  }
  Refresh();
  FRenameName = name;
  if (HandleAllocated()) PostMessageA(Handle(), WM_PTRENAMENEW, 0, 0);
  return true;
}

void TPTCustomShellList::RenameNew() {
  std::string name = Lower(FRenameName);
  FRenameName.clear();
  for (int i = 0; i < Items()->Count(); ++i) {
    TListItem* item = Items()->Item(i);
    TPTShListData* data = ShellData(item);
    if (!data || Lower(FilePart(data->Path())) != name) continue;
    ClearSelection();
    item->SetSelected(true);
    item->SetFocused(true);
    item->MakeVisible(false);
    EditCaption(item);
    return;
  }
}

// ---------------------------------------------------------------------------------------------------
// OLE drag and drop

DWORD TPTCustomShellList::SelectionEffects() {
  std::vector<PCUITEMID_CHILD> items = SelectedPidls();
  if (items.empty() || !FShellFolder) return DROPEFFECT_NONE;
  SFGAOF attrs = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK;
  if (FAILED(FShellFolder->GetAttributesOf(UINT(items.size()), items.data(), &attrs))) return 7;
  return DWORD(attrs & 7);
}

void TPTCustomShellList::StartDrag(bool Right) {
  std::vector<PCUITEMID_CHILD> items = SelectedPidls();
  if (items.empty()) return;
  DWORD result = 0;
  {
    TPTFlag dragging(FDragging);
    TPTFlag fromHere(FDragFromHere);
    auto* object = new TDataObject_shlv(FFolderPidl, FShellFolder, items);
    result = DWORD(DragShellItems(object, Right, SelectionEffects()));
  }
  bool pending = FRefreshPending;
  FRefreshPending = false;
  if (pending || (result == DRAGDROP_S_DROP && IsUncFolder())) Refresh();
}

void TPTCustomShellList::RegisterDropTarget(bool On) {
  FDropSite.Register(this, On, [this] { return new TDropTarget_shlv(this); });
}

IDropTarget* TPTCustomShellList::DropTargetAt(POINTL Pt) {
  if (!FShellFolder) return nullptr;
  POINT p = ScreenToClient(POINT{Pt.x, Pt.y});
  TListItem* item = GetItemAt(p.x, p.y);
  // Empty space: the shown folder takes the drop itself.
  if (!item) return FolderDropTarget(FShellFolder, OwnerWindow());
  TPTShListData* data = ShellData(item);
  if (!data) return nullptr;
  PCUITEMID_CHILD child = data->RelativePidl();
  IDropTarget* target = nullptr;
  if (data->IsFolder()) {
    IShellFolder* folder = nullptr;
    if (SUCCEEDED(FShellFolder->BindToObject(child, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)))) {
      target = FolderDropTarget(folder, OwnerWindow());
      folder->Release();
    }
  }
  if (!target && FAILED(FShellFolder->GetUIObjectOf(OwnerWindow(), 1, &child, IID_IDropTarget, nullptr,
                                                    reinterpret_cast<void**>(&target))))
    target = nullptr;
  return target;
}

HRESULT TPTCustomShellList::DoDragEnter(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) {
  FDropSite.Enter(Data, KeyState);
  return DoDragOver(KeyState, Pt, Effect);
}

HRESULT TPTCustomShellList::DoDragOver(DWORD KeyState, POINTL Pt, DWORD* Effect) {
  IDropTarget* target = DropTargetAt(Pt);
  DWORD allowed = *Effect;
  POINT p = ScreenToClient(POINT{Pt.x, Pt.y});
  // Items dragged from here onto the list's own empty space: a copy with the right button, nothing else.
  if (FDragFromHere && !GetItemAt(p.x, p.y))
    allowed = (FDropSite.KeyState() & MK_RBUTTON) ? allowed & ~DROPEFFECT_MOVE : DROPEFFECT_NONE;
  DWORD effect = allowed ? FDropSite.Probe(target, FDropSite.Data(), KeyState, Pt, allowed, true) : DROPEFFECT_NONE;
  if (target) target->Release();
  FDropSite.AutoScroll(this, Pt);
  *Effect = effect | DROPEFFECT_SCROLL;
  return S_OK;
}

HRESULT TPTCustomShellList::DoDragLeave() {
  FDropSite.Leave();
  return S_OK;
}

HRESULT TPTCustomShellList::DoDrop(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) {
  DWORD allowed = *Effect;
  POINT p = ScreenToClient(POINT{Pt.x, Pt.y});
  if (FDragFromHere && !GetItemAt(p.x, p.y)) {
    if (!(FDropSite.KeyState() & MK_RBUTTON)) {
      *Effect = DROPEFFECT_NONE;
      FDropSite.Leave();
      return E_FAIL;
    }
    allowed &= ~DROPEFFECT_MOVE;
  }
  DWORD effect = DROPEFFECT_NONE;
  if (IDropTarget* target = DropTargetAt(Pt)) {
    TLiveGuard g(this);
    effect = FDropSite.Drop(target, Data, KeyState, Pt, allowed);
    target->Release();
    if (g) RefreshIfUnc();
  }
  *Effect = effect;
  FDropSite.Leave();
  return S_OK;
}

// ---------------------------------------------------------------------------------------------------
// Change notification

TChangeHandlerThread* TPTCustomShellList::ChangeThread() {
  if (!FChangeThread && HandleAllocated()) FChangeThread = new TChangeHandlerThread(Handle(), WM_PTCHANGENOTIFY);
  return FChangeThread;
}

void TPTCustomShellList::WatchFolder(const std::string& Path) {
  if (Path.empty() && !FChangeThread) return;
  TChangeHandlerThread* thread = ChangeThread();
  if (!thread) return;
  thread->RemoveAllWatches();
  int slot = -1;
  if (!Path.empty())
    thread->AddWatch(Path, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, false, slot);
}

void TPTCustomShellList::ChangeNotified() {
  if (!ChangeWanted(FIgnoreNextNotification, FDragging, FRefreshPending)) return;
  FTimer->SetEnabled(false);
  FTimer->SetInterval(Focused() ? 400 : 2000);
  FTimer->SetEnabled(true);
}

void TPTCustomShellList::TimerFired(TObject*) {
  FTimer->SetEnabled(false);
  Refresh();
}

void TPTCustomShellList::DeviceChange(TObject*, TMessage& Message) {
  if (Message.WParam != DBT_DEVICEARRIVAL && Message.WParam != DBT_DEVICEREMOVECOMPLETE) return;
  ValidateDrives();
  if (HandleAllocated()) Refresh();
}

// ---------------------------------------------------------------------------------------------------
// Window and component life

void TPTCustomShellList::CreateParams(TCreateParams& Params) {
  TPTCustomListView::CreateParams(Params);
  Params.Style |= LVS_AUTOARRANGE;
}

void TPTCustomShellList::CreateWnd() {
  TPTCustomListView::CreateWnd();
  TMemoryStream& kept = KeptWidths();
  if (kept.Size() > 0) {
    kept.SetPosition(0);
    LoadColumnWidths(&kept);
  }
  bool designing = ComponentState().Contains(csDesigning);
  if (!designing && FOptions.Contains(ptsloOleDrop)) RegisterDropTarget(true);
  if (!ComponentState().Contains(csLoading) && FOptions.Contains(ptsloAutoFill) && Items()->Count() == 0)
    PostMessageA(Handle(), WM_PTDEFERREDFILL, 0, 0);
  else if (FShellFolder && !designing && FOptions.Contains(ptsloDynamicRefresh))
    WatchFolder(PidlToPath(FFolderPidl));
}

void TPTCustomShellList::DestroyWnd() {
  // A window made again later, of this list or another, keeps the widths the user gave the columns.
  if (ViewStyle() == vsReport) {
    TMemoryStream& kept = KeptWidths();
    kept.SetSize(0);
    SaveColumnWidths(&kept);
  }
  TPTCustomListView::DestroyWnd();
}

void TPTCustomShellList::Loaded() {
  TPTCustomListView::Loaded();
  if (FOptions.Contains(ptsloAutoFill) && HandleAllocated() && Items()->Count() == 0) Reset();
}

TPTCustomDraw* TPTCustomShellList::CustomDrawItem(NMLVCUSTOMDRAW* Record, LRESULT* Result) {
  if (!OnCustomDrawSh && !OnCustomDrawShEx) return TPTCustomListView::CustomDrawItem(Record, Result);
  TPTCustomDraw* cd = TPTCustomListView::CustomDrawItem(Record, Result);
  if (!cd) cd = new TPTLvCustomDraw(Font(), &Record->nmcd, Result, 0);
  TListItem* item = (Record->nmcd.dwDrawStage & CDDS_ITEM) ? ItemOfIndex(int(Record->nmcd.dwItemSpec)) : nullptr;
  TPTShListData* data = ShellData(item);
  OnCustomDrawShEx(this, cd, item, data);
  if (cd->Stage() == TPTCustomDraw::stItemPrePaint) OnCustomDrawSh(this, cd, item, data);
  cd->Apply();
  if (Record->nmcd.dwDrawStage & CDDS_PREPAINT) *Result |= CDRF_NOTIFYITEMDRAW;
  return cd;
}

void TPTCustomShellList::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PTCHANGENOTIFY:  ChangeNotified(); return;
    case WM_PTDEFERREDFILL:  if (Items()->Count() == 0) Reset(); return;
    case WM_PTRENAMENEW:     RenameNew(); return;
    case CM_WANTSPECIALKEY:  CMWantSpecialKey(Message); return;
    case WM_NCDESTROY:       WMNCDestroy(Message); return;
    case CN_NOTIFY:          CNNotify(MessageAs<TWMNotify>(Message)); return;
  }
  TPTCustomListView::Dispatch(Message);
}

void TPTCustomShellList::CMWantSpecialKey(TMessage& Message) {
  TPTCustomListView::Dispatch(Message);
  if (IsEditing()) Message.Result = 1;
}

void TPTCustomShellList::WMNCDestroy(TMessage& Message) {
  EndShellWindow(this, FUpdateLock, FDropSite, FChangeThread);
  TPTCustomListView::Dispatch(Message);
}

// The list's own notifications; what the shell side leaves goes on to the list view.
void TPTCustomShellList::CNNotify(TWMNotify& Message) {
  switch (Message.NMHdr()->code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW:     if (LVNGetDispInfo(Message)) return; break;
    case LVN_BEGINLABELEDITA:
    case LVN_BEGINLABELEDITW:  if (LVNBeginLabelEdit(Message)) return; break;
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW:    if (LVNEndLabelEdit(Message)) return; break;
    case NM_DBLCLK:            NMDblClk(Message); return;
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG:       if (LVNBeginDrag(Message)) return; break;
  }
  TPTCustomListView::Dispatch(Message);
}

bool TPTCustomShellList::LVNGetDispInfo(TWMNotify& Message) {
  auto* di = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam);
  TPTShListData* data = ShellData(reinterpret_cast<TListItem*>(di->item.lParam));
  if (!data) return false;
  if ((di->item.mask & LVIF_IMAGE) && di->item.iSubItem == 0) {
    // The spare field keeps the icon once asked (0: not yet).
    if (data->Tag == 0) data->Tag = GetIconIndex(data->AbsolutePidl(), SHGFI_SMALLICON) + 1;
    di->item.iImage = data->Tag - 1;
  }
  if (!(di->item.mask & LVIF_TEXT) || di->item.iSubItem <= 0) return false;
  CopyText(di, Message.NMHdr()->code == LVN_GETDISPINFOW, data->Details(di->item.iSubItem));
  Message.Result = 0;
  return true;
}

bool TPTCustomShellList::LVNBeginLabelEdit(TWMNotify& Message) {
  auto* di = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam);
  TPTShListData* data = ShellData(reinterpret_cast<TListItem*>(di->item.lParam));
  if (!data) data = ShellData(ItemOfIndex(di->item.iItem));
  if (!data) return false;
  Message.Result = ReadOnly() || ComponentState().Contains(csDesigning) || !data->CanRename();
  return true;
}

bool TPTCustomShellList::LVNEndLabelEdit(TWMNotify& Message) {
  auto* di = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam);
  TListItem* item = ItemOfIndex(di->item.iItem);
  if (!ShellData(item)) return false;
  std::string text;
  if (di->item.pszText) {
    if (Message.NMHdr()->code == LVN_ENDLABELEDITW) {
      char buf[MAX_PATH * 2] = {};
      WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<wchar_t*>(di->item.pszText), -1, buf, sizeof buf - 1, nullptr,
                          nullptr);
      text = buf;
    } else {
      text = di->item.pszText;
    }
  }
  TLiveGuard g(this);
  if (!text.empty()) EndEdit(item, text.c_str());
  Message.Result = FALSE;
  if (g && FRefreshPending) {
    // A change noticed while the label was edited shows once the edit is over.
    FRefreshPending = false;
    FTimer->SetEnabled(false);
    FTimer->SetInterval(400);
    FTimer->SetEnabled(true);
  }
  return true;
}

void TPTCustomShellList::NMDblClk(TWMNotify& Message) {
  TLiveGuard g(this);
  TPTCustomListView::Dispatch(Message);
  if (g && reinterpret_cast<NMITEMACTIVATE*>(Message.LParam)->iItem >= 0) OpenFocused();
}

bool TPTCustomShellList::LVNBeginDrag(TWMNotify& Message) {
  if (!FOptions.Contains(ptsloOleDrag)) return false;
  StartDrag(Message.NMHdr()->code == LVN_BEGINRDRAG);
  Message.Result = 0;
  return true;
}

void TPTCustomShellList::Publish(TPublisher<TPTCustomShellList>& p) {
  p.Object("Folder", &TPTCustomShellList::Folder);
  p.Set("Options", PTShellListOptionNames, &TPTCustomShellList::Options, &TPTCustomShellList::SetOptions).Default(7835);
  p.Str("FileMask", &TPTCustomShellList::FileMask, &TPTCustomShellList::SetFileMask);
  p.Event("OnAddItem", &TPTCustomShellList::OnAddItem);
  p.Event("OnCustomDrawSh", &TPTCustomShellList::OnCustomDrawSh);
  p.Event("OnCustomDrawShEx", &TPTCustomShellList::OnCustomDrawShEx);
  p.Event("OnKeyAction", &TPTCustomShellList::OnKeyAction);
  p.Event("OnOpenItem", &TPTCustomShellList::OnOpenItem);
  p.Event("OnPopupHint", &TPTCustomShellList::OnPopupHint);
  p.Event("OnFillStart", &TPTCustomShellList::OnFillStart);
  p.Event("OnFillComplete", &TPTCustomShellList::OnFillComplete);
}

void UPTShellListInitialize() {
  RegisterClass(TPTCustomShellList::StaticClass());
  RegisterClass(TPTShellList::StaticClass());
}
