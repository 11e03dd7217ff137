// The shell tree: filling, selection and the refresh machinery.
#include "UPTShellTree.h"

#include <dbt.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Forms.h"
#include "SysUtils.h"
#include "UPTShell95.h"
#include "UPTShellList.h"
#include "UPTShellShared.h"

const TEnumInfo PTShellTreeOptionNames{
    "TPTShellTreeOption",
    {"ptstoAutoFill", "ptstoVirtualFolders", "ptstoDesignInteractive", "ptstoDefaultKeyHandling", "ptstoContextMenus",
     "ptstoDynamicRefresh", "ptstoIncludeNonFolders", "ptstoOleDrag", "ptstoOleDrop", "ptstoShowHidden"}};

namespace {

constexpr SFGAOF AddAttributes = 0xF20B0000;
constexpr int TimerSelection = 1;
constexpr int TimerRefresh = 2;

struct TMallocRef {
  IMalloc* P = nullptr;
  TMallocRef() { OleCheck(SHGetMalloc(&P)); }
  ~TMallocRef() {
    if (P) P->Release();
  }
};

int CompareNodes(TTreeNode* A, TTreeNode* B, intptr_t) {
  TPTShTreeData* a = TPTCustomShellTree::ShellData(A);
  TPTShTreeData* b = TPTCustomShellTree::ShellData(B);
  if (!a || !b) return 0;
  return ShellItemOrder(a->ParentFolder(), a->RelativePidl(), b->RelativePidl());
}

// Whether a file-system folder holds a folder the tree would show: the shell answers "has subfolders"
// for every folder without looking. One that cannot be read is taken to hold some, so that opening it
// tries again.
bool HoldsSubfolder(const std::string& Path, bool Hidden) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileExA((AddDelimiter(Path, '\\') + "*").c_str(), FindExInfoStandard, &fd,
                              FindExSearchLimitToDirectories, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_NO_MORE_FILES;
  bool found = false;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !std::strcmp(fd.cFileName, ".") ||
        !std::strcmp(fd.cFileName, ".."))
      continue;
    found = Hidden || !(fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
  } while (!found && FindNextFileA(h, &fd));
  FindClose(h);
  return found;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------

TPTCustomShellTree::TPTCustomShellTree(TComponent* AOwner) : TPTCustomTreeView(AOwner) {
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer(TNotifyEvent(this, &TPTCustomShellTree::TimerFired));
  FBaseFolder = new TPTShellLocator;
  FBaseFolder->OnChange = TNotifyEvent(this, &TPTCustomShellTree::BaseFolderChanged);
  FSelectedFolder = new TPTShellLocator;
  FSelectedFolder->OnChange = TNotifyEvent(this, &TPTCustomShellTree::SelectedFolderChanged);
  SetShowRoot(false);
  FOptions = PTShellTreeDefaultOptions;
  FImages = SysImageList(false);
  SetImages(FImages.get());
  DeviceChangeHandler()->AddListener(TPTDeviceChangeEvent(this, &TPTCustomShellTree::DeviceChange));
}

TPTCustomShellTree::~TPTCustomShellTree() {
  SetShellList(nullptr);
  DeviceChangeHandler()->RemoveListener(TPTDeviceChangeEvent(this, &TPTCustomShellTree::DeviceChange));
  RegisterDropTarget(false);
  FDropSite.Leave();
  delete FChangeThread;
  FChangeThread = nullptr;
  FTimer->SetEnabled(false);
  // The nodes go before their data's allocator and the image list.
  FUpdateLock++;
  Items()->Clear();
  SetImages(nullptr);
  delete FBaseFolder;
  delete FSelectedFolder;
}

TPTShTreeData* TPTCustomShellTree::ShellData(TTreeNode* Node) {
  return Node ? dynamic_cast<TPTShTreeData*>(static_cast<TObject*>(Node->Data())) : nullptr;
}

HWND TPTCustomShellTree::OwnerWindow() { return ControlWindow(this); }

DWORD TPTCustomShellTree::EnumFlags() const {
  DWORD flags = SHCONTF_FOLDERS;
  if (FOptions.Contains(ptstoShowHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
  if (FOptions.Contains(ptstoIncludeNonFolders)) flags |= SHCONTF_NONFOLDERS;
  return flags;
}

void TPTCustomShellTree::SetOptions(TPTShellTreeOptions Value) {
  if (Value == FOptions) return;
  TPTShellTreeOptions old = FOptions;
  FOptions = Value;
  bool designing = ComponentState().Contains(csDesigning);
  if (HandleAllocated() && !designing && old.Contains(ptstoOleDrop) != Value.Contains(ptstoOleDrop))
    RegisterDropTarget(Value.Contains(ptstoOleDrop));
  if (HandleAllocated() && old.Contains(ptstoOleDrag) != Value.Contains(ptstoOleDrag))
    SetTreeStyle(TVS_DISABLEDRAGDROP, !Value.Contains(ptstoOleDrag) && DragMode() != dmAutomatic);
  if (!designing && old.Contains(ptstoDynamicRefresh) != Value.Contains(ptstoDynamicRefresh)) {
    if (Value.Contains(ptstoDynamicRefresh)) {
      if (HandleAllocated() && Items()->Count() > 0) WatchDrives();
    } else {
      StopWatching();
    }
  }
  bool refill = (old - Value + (Value - old)).Bits() &
                TPTShellTreeOptions{ptstoVirtualFolders, ptstoIncludeNonFolders, ptstoShowHidden}.Bits();
  if (refill && Items()->Count() > 0 && !FLoading) ResetTree();
}

// ---------------------------------------------------------------------------------------------------
// Filling

void TPTCustomShellTree::ResetTree() {
  if (FDragging || IsEditing()) {
    FRefreshPending = true;
    return;
  }
  {
    TPTWaitCursor wait;
    {
      TPTLock lock(FUpdateLock);
      SetSelected(nullptr);
      Items()->Clear();
    }
    IShellFolder* folder = nullptr;
    OleCheck(GetShellFolder(FBaseFolder->Pidl(), folder));
    TScopeExit release([&] { folder->Release(); });
    FillNode(folder, nullptr);
    if (!FSelectedFolder->Pidl()) {
      if (TTreeNode* first = Items()->GetFirstNode()) {
        FImmediateChange = -1;
        SetSelected(first);
      }
    } else {
      SelectIdList(FSelectedFolder->Pidl());
    }
    if (FTimer->Enabled()) TimerFired(FTimer);
  }
  if (FOptions.Contains(ptstoDynamicRefresh) && !ComponentState().Contains(csDesigning) && HandleAllocated())
    WatchDrives();
}

bool TPTCustomShellTree::FillNode(IShellFolder* Folder, TTreeNode* Node) {
  DoFillStart();
  IEnumIDList* items = nullptr;
  LPITEMIDLIST absList = nullptr;
  IMalloc* allocator = nullptr;
  TScopeExit cleanup([&] {
    if (absList) allocator->Free(absList);
    if (items) items->Release();
    if (allocator) allocator->Release();
    DoFillComplete();
  });
  OleCheck(SHGetMalloc(&allocator));
  bool root = Node == nullptr;
  if (root) {
    Node = AddRootNode(allocator, absList);
  } else {
    TPTShTreeData* data = ShellData(Node);
    PCIDLIST_ABSOLUTE parentAbs = data && data->Parent() ? data->Parent()->AbsolutePidl() : nullptr;
    absList = data ? (parentAbs ? PidlConcat(allocator, parentAbs, data->RelativePidl())
                                : PidlCopy(allocator, data->RelativePidl()))
                   : nullptr;
  }
  HRESULT hr = Folder->EnumObjects(GetActiveWindow(), EnumFlags(), &items);
  if (FAILED(hr) || !items) {
    // Unreadable now (no medium, no access): keep the button so opening it again tries again.
    Node->SetHasChildren(true);
    return false;
  }
  LPITEMIDLIST item = nullptr;
  ULONG fetched = 0;
  while ((hr = items->Next(1, &item, &fetched)) == S_OK && fetched == 1) {
    HRESULT added = AddShellItem(allocator, Folder, item, Node, absList);
    CoTaskMemFree(item);
    item = nullptr;
    OleCheck(added);
  }
  if (Node->Count() == 0) Node->SetHasChildren(false);
  if (hr != S_FALSE && FAILED(hr)) {
    if (hr == E_FAIL) return false;
    OleCheck(hr);
  }
  SortChildren(Node);
  if (root) Node->Expand(false);
  return true;
}

// The tree's one root: the base folder (the desktop when none), named as its parent folder shows it.
// AbsList receives the root's absolute list, which the caller frees.
TTreeNode* TPTCustomShellTree::AddRootNode(IMalloc* Allocator, LPITEMIDLIST& AbsList) {
  PCIDLIST_ABSOLUTE base = FBaseFolder->Pidl();
  if (base) {
    AbsList = PidlCopy(Allocator, base);
  } else {
    AbsList = static_cast<LPITEMIDLIST>(Allocator->Alloc(sizeof(USHORT)));
    if (AbsList) AbsList->mkid.cb = 0;
  }
  if (!AbsList) OleCheck(E_OUTOFMEMORY);
  std::string name;
  if (PidlItemCount(AbsList) >= 2) {
    TPTIdListArray parts(AbsList);
    IShellFolder* parent = nullptr;
    if (SUCCEEDED(GetShellFolder(parts.LeadingPart(1), parent))) {
      GetDisplayName(parent, parts.Item(parts.Count() - 1), ptdnInFolder, name);
      parent->Release();
    }
  } else {
    GetDisplayName(nullptr, AbsList, ptdnInFolder, name);
  }
  TTreeNode* node = Items()->AddChild(nullptr, name);
  node->SetImageIndex(GetIconIndex(AbsList, SHGFI_SMALLICON));
  node->SetSelectedIndex(GetIconIndex(AbsList, SHGFI_SMALLICON | SHGFI_OPENICON));
  auto* data = new TPTShTreeData;
  data->Init(nullptr, Allocator, AbsList);
  node->SetData(data);
  DoInsertItem(node);
  return node;
}

HRESULT TPTCustomShellTree::AddShellItem(IMalloc* Allocator, IShellFolder* Folder, PCUITEMID_CHILD Item, TTreeNode* Node,
                                         PCIDLIST_ABSOLUTE NodeAbsList) {
  if (!Item) return S_OK;
  SFGAOF attrs = AddAttributes;
  HRESULT hr = Folder->GetAttributesOf(1, &Item, &attrs);
  if (FAILED(hr)) return hr;
  bool offered = FOptions.Contains(ptstoVirtualFolders) || (attrs & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR));
  if (!offered || !DoAddItem(Folder, NodeAbsList, attrs, Item)) return S_OK;
  std::string name;
  GetDisplayName(Folder, Item, ptdnInFolder, name);
  TTreeNode* node = Items()->AddChild(Node, name);
  bool folderish = FOptions.Contains(ptstoIncludeNonFolders)
                       ? (attrs & (SFGAO_FOLDER | SFGAO_HASSUBFOLDER)) != 0
                       : (attrs & SFGAO_FOLDER) && (attrs & SFGAO_HASSUBFOLDER);
  if (attrs & SFGAO_SHARE) node->SetOverlayIndex(0);
  else if (attrs & SFGAO_LINK) node->SetOverlayIndex(1);
  if (attrs & SFGAO_HIDDEN) node->SetCut(true);
  auto* data = new TPTShTreeData;
  data->Init(ShellData(Node), Allocator, Item);
  node->SetData(data);
  if (folderish && !FOptions.Contains(ptstoIncludeNonFolders) && (attrs & SFGAO_FILESYSTEM)) {
    std::string path = data->Path();
    if (!path.empty()) folderish = HoldsSubfolder(path, FOptions.Contains(ptstoShowHidden));
  }
  node->SetHasChildren(folderish);
  DoInsertItem(node);
  return S_OK;
}

bool TPTCustomShellTree::DoAddItem(IShellFolder* Folder, PCIDLIST_ABSOLUTE FolderAbsList, SFGAOF Attributes,
                                   PCUITEMID_CHILD Item) {
  BOOL allow = TRUE;
  OnAddItem(this, Folder, FolderAbsList, Item, int(Attributes), allow);
  return allow != FALSE;
}

void TPTCustomShellTree::DoInsertItem(TTreeNode* Node) {
  FLastInserted = Node;
  OnInsertItem(this, Node);
}

void TPTCustomShellTree::DoFillStart() { OnFillStart(this); }
void TPTCustomShellTree::DoFillComplete() { OnFillComplete(this); }

void TPTCustomShellTree::SortChildren(TTreeNode* Node) {
  if (Node) Node->CustomSort(&CompareNodes, 0, false);
  else CustomSort(&CompareNodes, 0, false);
}

void TPTCustomShellTree::GetImageIndex(TTreeNode* Node) {
  if (Node->ImageIndex() == 0)
    if (TPTShTreeData* d = ShellData(Node)) Node->SetImageIndex(GetIconIndex(d->AbsolutePidl(), SHGFI_SMALLICON));
  TPTCustomTreeView::GetImageIndex(Node);
}

void TPTCustomShellTree::GetSelectedIndex(TTreeNode* Node) {
  if (Node->SelectedIndex() == 0)
    if (TPTShTreeData* d = ShellData(Node))
      Node->SetSelectedIndex(GetIconIndex(d->AbsolutePidl(), SHGFI_SMALLICON | SHGFI_OPENICON));
  TPTCustomTreeView::GetSelectedIndex(Node);
}

bool TPTCustomShellTree::CanExpand(TTreeNode* Node) {
  if (FLoading) return false;
  if (!TPTCustomTreeView::CanExpand(Node)) return false;
  ExpandShellNode(Node);
  return true;
}

void TPTCustomShellTree::ExpandShellNode(TTreeNode* Node) {
  TPTShTreeData* data = ShellData(Node);
  if (!data || Node->Count() > 0 || !Node->HasChildren()) return;
  IShellFolder* folder = data->Folder();
  if (!folder) return;
  TPTWaitCursor wait;
  FillNode(folder, Node);
}

// ---------------------------------------------------------------------------------------------------
// Selection

void TPTCustomShellTree::SelectIdList(PCIDLIST_ABSOLUTE List) {
  if (FUpdateLock > 0) return;
  FImmediateChange = -1;
  TTreeNode* root = Items()->GetFirstNode();
  if (!root) return;
  PCIDLIST_ABSOLUTE base = FBaseFolder->Pidl();
  int baseCount = PidlItemCount(base);
  int count = PidlItemCount(List);
  if (count <= baseCount) {
    SetSelected(root);
    if (count > 0 || baseCount == 0) root->Expand(false);
    root->MakeVisible();
    return;
  }
  TPTIdListArray parts(List);
  // A folder outside the base folder has no place in this tree: it is never hung under the root.
  if (baseCount > 0) {
    LPITEMIDLIST lead = parts.LeadingPart(count - baseCount);
    bool inside = lead && PidlCompare(lead, base) == 0;
    if (!inside) {
      MessageBeep(UINT(-1));
      SetSelected(root);
      root->MakeVisible();
      return;
    }
  }
  TUpdateScope update(Items());
  TTreeNode* node = root;
  ExpandShellNode(root);
  root->Expand(false);
  for (int k = baseCount; k < count; ++k) {
    TPTShTreeData* data = ShellData(node);
    IShellFolder* folder = data ? data->Folder() : nullptr;
    if (!folder) {
      MessageBeep(UINT(-1));
      break;
    }
    ExpandShellNode(node);
    LPITEMIDLIST item = parts.Item(k);
    TTreeNode* found = nullptr;
    for (int i = 0; i < node->Count() && !found; ++i) {
      TPTShTreeData* child = ShellData(node->Item(i));
      if (child && SameShellItem(folder, child->RelativePidl(), item)) found = node->Item(i);
    }
    if (!found) {
      IMalloc* allocator = data->Allocator();
      FLastInserted = nullptr;
      HRESULT hr = AddShellItem(allocator, folder, item, node, data->AbsolutePidl());
      if (FAILED(hr) || !FLastInserted || FLastInserted->Parent() != node) {
        MessageBeep(UINT(-1));
        break;
      }
      found = FLastInserted;
      SortChildren(node);
    }
    if (node != root) node->Expand(false);
    node = found;
  }
  if (node != root && FShellList && FShellList->HidesTreeFolders()) {
    ExpandShellNode(node);
    node->Expand(false);
  }
  SetSelected(node);
  node->MakeVisible();
  // Making a deep node visible scrolls the tree sideways: the tree keeps its left edge in view, where
  // the folders above the node are.
  if (HandleAllocated()) SendMessageA(Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
}

void TPTCustomShellTree::Change(TTreeNode* Node) {
  TPTShTreeData* data = ShellData(Node);
  if (FUpdateLock > 0 || FLoading) {
    if (data && FUpdateLock == 0) {
      TPTLock lock(FUpdateLock);
      FSelectedFolder->SetPidl(data->AbsolutePidl());
    }
    return;
  }
  TLiveGuard g(this);
  TPTCustomTreeView::Change(Node);
  if (!g || !data) return;
  // A run of keyboard moves fills the linked list once, after the last move.
  if (FImmediateChange == 0 && FShellList) {
    FTimer->SetEnabled(false);
    FTimer->SetTag(TimerSelection);
    FTimer->SetInterval(500);
    FTimer->SetEnabled(true);
    return;
  }
  ApplySelection(Node);
}

void TPTCustomShellTree::Collapse(TTreeNode* Node) {
  TPTCustomTreeView::Collapse(Node);
  // Closing the branch that holds the selection selects the closed node once the closing is over,
  // without a word of it: look again then.
  if (HandleAllocated()) PostMessageA(Handle(), WM_PTSELECTIONCHECK, 0, 0);
}

// The node the tree shows selected becomes the selection as any other, so what the tree shows is what
// it hands back.
void TPTCustomShellTree::SelectionCheck() {
  TTreeNode* shown = Selected();
  TPTShTreeData* data = ShellData(shown);
  if (!data || FUpdateLock > 0 || FLoading) return;
  if (FSelectedFolder->Pidl() && PidlCompare(FSelectedFolder->Pidl(), data->AbsolutePidl()) == 0) return;
  FImmediateChange = -1;
  Change(shown);
}

void TPTCustomShellTree::ApplySelection(TTreeNode* Node) {
  TPTShTreeData* data = ShellData(Node);
  if (!data) return;
  TPTLock lock(FUpdateLock);
  FSelectedFolder->SetPidl(data->AbsolutePidl());
  FImmediateChange = 0;
  if (!FShellList) return;
  FShellList->ShowFolder(data->AbsolutePidl());
  // The list leaves the folders to the tree: the tree shows them.
  if (FShellList && FShellList->HidesTreeFolders()) {
    ExpandShellNode(Node);
    Node->Expand(false);
  }
}

void TPTCustomShellTree::SetShellList(TPTCustomShellList* Value) {
  if (Value == FShellList) return;
  if (FShellList) {
    FShellList->RemoveFreeNotification(this);
    TPTCustomShellList* old = FShellList;
    FShellList = nullptr;
    old->SetShellTree(nullptr);
  }
  FShellList = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  Value->SetShellTree(this);
  if (FSelectedFolder->Pidl()) Value->ShowFolder(FSelectedFolder->Pidl());
}

void TPTCustomShellTree::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomTreeView::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FShellList) FShellList = nullptr;
}

void TPTCustomShellTree::GoUp(int Levels) {
  TTreeNode* node = Selected();
  if (!node || !node->Parent()) return;
  while (Levels-- > 0 && node->Parent()) node = node->Parent();
  FImmediateChange = -1;
  SetSelected(node);
}

std::string TPTCustomShellTree::GetSelectedPath() {
  TPTShTreeData* data = ShellData(Selected());
  return data ? data->Path() : std::string();
}

void TPTCustomShellTree::BaseFolderChanged(TObject*) {
  if (!FLoading && !ComponentState().Contains(csLoading)) FSelectedFolder->Clear();
  if (FOptions.Contains(ptstoAutoFill) && HandleAllocated()) {
    FImmediateChange = -1;
    ResetTree();
  }
}

bool TPTCustomShellTree::DoMouseWheelDown(TShiftState Shift, POINT MousePos) {
  return TPTCustomTreeView::DoMouseWheelDown(Shift, MousePos) || Wheel(MousePos, true);
}

bool TPTCustomShellTree::DoMouseWheelUp(TShiftState Shift, POINT MousePos) {
  return TPTCustomTreeView::DoMouseWheelUp(Shift, MousePos) || Wheel(MousePos, false);
}

bool TPTCustomShellTree::Wheel(POINT MousePos, bool Down) {
  // The wheel comes to the focused control; the shell view under the pointer is the one meant.
  HWND under = WindowFromPoint(MousePos);
  TWinControl* other = FindControl(under);
  if (other && other != this &&
      (dynamic_cast<TPTCustomShellTree*>(other) || dynamic_cast<TPTCustomShellList*>(other))) {
    SendMessageA(under, WM_MOUSEWHEEL, MAKEWPARAM(0, Down ? -WHEEL_DELTA : WHEEL_DELTA), MAKELPARAM(MousePos.x, MousePos.y));
    return true;
  }
  DragScroll(this, SB_VERT, Down ? SB_LINEDOWN : SB_LINEUP, Down ? SB_PAGEDOWN : SB_PAGEUP);
  return true;
}

void TPTCustomShellTree::SelectedFolderChanged(TObject*) {
  if (FUpdateLock > 0 || FLoading) return;
  if (Items()->Count() > 0) SelectIdList(FSelectedFolder->Pidl());
}

void TPTCustomShellTree::TimerFired(TObject*) {
  FTimer->SetEnabled(false);
  intptr_t tag = FTimer->Tag();
  FTimer->SetTag(0);
  if (tag == TimerSelection) ApplySelection(Selected());
  else if (tag == TimerRefresh) RefreshTree();
}

// ---------------------------------------------------------------------------------------------------
// Window and component life

void TPTCustomShellTree::CreateParams(TCreateParams& Params) {
  TPTCustomTreeView::CreateParams(Params);
  if (FOptions.Contains(ptstoOleDrag)) Params.Style &= ~DWORD(TVS_DISABLEDRAGDROP);
}

void TPTCustomShellTree::CreateWnd() {
  TPTCustomTreeView::CreateWnd();
  if (!ComponentState().Contains(csDesigning) && FOptions.Contains(ptstoOleDrop)) RegisterDropTarget(true);
  if (!ComponentState().Contains(csLoading) && FOptions.Contains(ptstoAutoFill) && Items()->Count() == 0)
    PostMessageA(Handle(), WM_PTDEFERREDFILL, 0, 0);
}

void TPTCustomShellTree::DestroyWnd() {
  FDestroyingWnd = true;
  Items()->BeginUpdate();
  {
    TPTLock lock(FUpdateLock);
    SetSelected(nullptr);
    Items()->Clear();
  }
  Items()->EndUpdate();
  TPTCustomTreeView::DestroyWnd();
  FDestroyingWnd = false;
}

void TPTCustomShellTree::Loaded() {
  FLoading = -1;
  TPTCustomTreeView::Loaded();
  FLoading = 0;
  FLoaded = true;
  if (FOptions.Contains(ptstoAutoFill) && HandleAllocated() && Items()->Count() == 0) ResetTree();
}

void TPTCustomShellTree::Delete(TTreeNode* Node) {
  TPTShTreeData* data = ShellData(Node);
  if (data) OnDeleteItem(this, Node, data);
  if (FDragNode == Node) FDragNode = nullptr;
  if (FLastInserted == Node) FLastInserted = nullptr;
  Node->SetData(nullptr);
  if (data) TObject::Free(data);
  TPTCustomTreeView::Delete(Node);
}

TPTCustomDraw* TPTCustomShellTree::CustomDrawItem(NMTVCUSTOMDRAW* Record, LRESULT* Result) {
  if (!OnCustomDrawSh && !OnCustomDrawShEx) return TPTCustomTreeView::CustomDrawItem(Record, Result);
  TPTCustomDraw* cd = TPTCustomTreeView::CustomDrawItem(Record, Result);
  if (!cd) cd = new TPTTvCustomDraw(Font(), &Record->nmcd, Result, 1);
  TTreeNode* node = (Record->nmcd.dwDrawStage & CDDS_ITEM)
                        ? Items()->GetNode(reinterpret_cast<HTREEITEM>(Record->nmcd.dwItemSpec))
                        : nullptr;
  DoCustomDrawSh(cd, node);
  cd->Apply();
  return cd;
}

void TPTCustomShellTree::DoCustomDrawSh(TPTCustomDraw* CD, TTreeNode* Node) {
  TPTShTreeData* data = ShellData(Node);
  OnCustomDrawShEx(this, CD, Node, data);
  if (CD->Stage() == TPTCustomDraw::stItemPrePaint) OnCustomDrawSh(this, CD, Node, data);
}

void TPTCustomShellTree::DeviceChange(TObject*, TMessage& Message) {
  if (Message.WParam != DBT_DEVICEARRIVAL && Message.WParam != DBT_DEVICEREMOVECOMPLETE) return;
  ValidateDrives();
  if (HandleAllocated()) RefreshTree();
}

void TPTCustomShellTree::Publish(TPublisher<TPTCustomShellTree>& p) {
  p.Object("BaseFolder", &TPTCustomShellTree::BaseFolder);
  p.Ref("ShellList", &TPTCustomShellTree::ShellList, &TPTCustomShellTree::SetShellList);
  p.Set("Options", PTShellTreeOptionNames, &TPTCustomShellTree::Options, &TPTCustomShellTree::SetOptions).Default(955);
  p.Event("OnAddItem", &TPTCustomShellTree::OnAddItem);
  p.Event("OnDeleteItem", &TPTCustomShellTree::OnDeleteItem);
  p.Event("OnInsertItem", &TPTCustomShellTree::OnInsertItem);
  p.Event("OnPopupHint", &TPTCustomShellTree::OnPopupHint);
  p.Event("OnCustomDrawSh", &TPTCustomShellTree::OnCustomDrawSh);
  p.Event("OnCustomDrawShEx", &TPTCustomShellTree::OnCustomDrawShEx);
  p.Event("OnFillComplete", &TPTCustomShellTree::OnFillComplete);
  p.Event("OnFillStart", &TPTCustomShellTree::OnFillStart);
  p.Event("OnNodeContextMenu", &TPTCustomShellTree::OnNodeContextMenu);
}

void UPTShellTreeInitialize() {
  RegisterClass(TPTCustomShellTree::StaticClass());
  RegisterClass(TPTShellTree::StaticClass());
}
