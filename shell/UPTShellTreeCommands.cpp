// The shell tree's commands: context menu, verbs, default keys, renaming, new folders, OLE drag and
// drop, change notification and the incremental refresh.
#include <windows.h>
#include <dbt.h>

#include <algorithm>
#include <vector>

#include "Forms.h"
#include "SysUtils.h"
#include "UPTShellList.h"
#include "UPTShellShared.h"
#include "UPTShellTree.h"

namespace {

constexpr int TimerRefresh = 2;

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Context menu and verbs

void TPTCustomShellTree::DoNodeContextMenu(TTreeNode* Node, POINT& Pt, TPopupMenu*& Menu) {
  TLiveGuard g(this);
  TPTCustomTreeView::DoNodeContextMenu(Node, Pt, Menu);
  if (!g) return;
  if (FOptions.Contains(ptstoContextMenus) && !ComponentState().Contains(csDesigning) && Node) {
    ShowContextMenu(Node, Pt);
    Menu = nullptr;
  }
}

void TPTCustomShellTree::ShowContextMenu(TTreeNode* Node, POINT Pt) {
  TPTShTreeData* data = ShellData(Node);
  if (!data || !data->Parent() || PidlItemCount(data->AbsolutePidl()) == 0) return;
  IShellFolder* parent = data->ParentFolder();
  if (!parent) return;
  TPTShellContextMenu menu;
  menu.OnHint = TPTMenuHintEvent(this, &TPTCustomShellTree::MenuHint);
  UINT flags = CMF_EXPLORE | (ReadOnly() ? 0 : CMF_CANRENAME);
  if (!menu.Build(OwnerWindow(), parent, {data->RelativePidl()}, flags)) return;
  UINT cmd = 0;
  {
    TPTFlag dragging(FDragging);
    FActiveMenu = menu.ContextMenu();
    TScopeExit inactive([this] { FActiveMenu = nullptr; });
    POINT screen = ClientToScreen(Pt);
    cmd = menu.Track(screen.x, screen.y);
  }
  TLiveGuard g(this);
  FActiveShellMenu = &menu;
  TScopeExit inactive([&] {
    if (g) FActiveShellMenu = nullptr;
  });
  if (cmd >= PTFirstShellCommand) {
    int rename = FindVerbCommand(menu.ContextMenu(), "rename");
    if (rename >= 0 && cmd - PTFirstShellCommand == UINT(rename)) {
      Node->EditText();
    } else {
      menu.Execute(cmd);
      if (g) RefreshTree();
    }
  } else if (cmd > 0) {
    DoSendTo(Node, int(cmd) - 1);
  }
  if (g && FRefreshPending) {
    FRefreshPending = false;
    RefreshTree();
  }
}

void TPTCustomShellTree::MenuHint(TObject*, const std::string& Hint) { OnPopupHint(this, Hint); }

void TPTCustomShellTree::DoSendTo(TTreeNode* Node, int Index) {
  // The menu built for the node knows the Send To entries' files and drops the node's item on one.
  if (ShellData(Node) && FActiveShellMenu) FActiveShellMenu->Execute(UINT(Index + 1));
}

HRESULT TPTCustomShellTree::InvokeVerb(TTreeNode* Node, const std::string& Verb) {
  TPTShTreeData* data = ShellData(Node);
  if (!data || !Node->Parent()) return 1;
  IContextMenu* menu = nullptr;
  OleCheck(data->GetUIObject(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
  HRESULT hr = InvokeMenuCommand(menu, OwnerWindow(), Verb);
  menu->Release();
  RefreshTree();
  return hr;
}

// ---------------------------------------------------------------------------------------------------
// Keys and renaming

void TPTCustomShellTree::KeyDown(uint16_t& Key, TShiftState Shift) {
  TLiveGuard g(this);
  TPTCustomTreeView::KeyDown(Key, Shift);
  if (!g || Key == 0 || IsEditing() || ComponentState().Contains(csDesigning) ||
      !FOptions.Contains(ptstoDefaultKeyHandling))
    return;
  TShortCut sc = ShortCut(Key, Shift);
  if (sc == ShortCut(VK_DELETE, TShiftState{ssShift})) sc = PTShellShortCut(pskDelete);
  uint16_t saved = Key;
  Key = 0;
  TTreeNode* node = Selected();
  if (sc == PTShellShortCut(pskRename)) {
    if (node) node->EditText();
  } else if (sc == PTShellShortCut(pskRefresh)) {
    RefreshTree();
  } else if (sc == PTShellShortCut(pskCut)) {
    if (node) InvokeVerb(node, "cut");
  } else if (sc == PTShellShortCut(pskCopy)) {
    if (node) InvokeVerb(node, "copy");
  } else if (sc == PTShellShortCut(pskPaste)) {
    // An item whose menu offers no Paste refuses the key, as the tree's other refused commands do.
    if ((node ? InvokeVerb(node, "paste") : E_INVALIDARG) != S_OK) MessageBeep(UINT(-1));
  } else if (sc == PTShellShortCut(pskDelete)) {
    if (node) InvokeVerb(node, "delete");
  } else {
    Key = saved;
  }
}

bool TPTCustomShellTree::CanEdit(TTreeNode* Node) {
  TPTShTreeData* data = ShellData(Node);
  if (!data) return TPTCustomTreeView::CanEdit(Node);
  return data->CanRename() && TPTCustomTreeView::CanEdit(Node) && !ComponentState().Contains(csDesigning);
}

void TPTCustomShellTree::Edit(const TVITEMA& Item) {
  // A change noticed while the label was edited shows once the edit is over, cancelled or not.
  TLiveGuard live(this);
  TScopeExit pending([&] {
    if (!live || !FRefreshPending) return;
    FRefreshPending = false;
    StartRefreshTimer(400);
  });
  auto* node = reinterpret_cast<TTreeNode*>(Item.lParam);
  TPTShTreeData* data = ShellData(node);
  if (!data) {
    TPTCustomTreeView::Edit(Item);
    return;
  }
  if (!Item.pszText) return;
  std::string text = Item.pszText;
  TLiveGuard g(this);
  OnEdited(this, node, text);
  if (!g || text.empty()) return;
  IShellFolder* parent = data->ParentFolder();
  if (!parent) return;
  // A renamed node that was not the selected one (renamed from its menu) becomes it, once the lock
  // is off: the selection shown is always the folder handed back.
  bool reselect = false;
  TScopeExit select([&] {
    if (!g || !reselect || Selected() == node) return;
    FImmediateChange = -1;
    SetSelected(node);
  });
  TPTWaitCursor wait;
  TPTLock lock(FUpdateLock);
  FIgnoreNextNotification = true;
  wchar_t wide[MAX_PATH + 1] = {};
  if (!MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH)) {
    FIgnoreNextNotification = false;
    MessageBeep(UINT(-1));
    return;
  }
  LPITEMIDLIST newPidl = nullptr;
  HRESULT hr = parent->SetNameOf(OwnerWindow(), data->RelativePidl(), wide, SHGDN_INFOLDER, &newPidl);
  if (SUCCEEDED(hr) && newPidl) {
    for (TTreeNode* n = node; n && (n == node || n->HasAsParent(node)); n = n->GetNext())
      if (TPTShTreeData* d = ShellData(n)) d->Reset();
    // Children point at the record: keep it and give it the new name.
    data->SetRelativePidl(newPidl);
    CoTaskMemFree(newPidl);
    std::string name;
    GetDisplayName(parent, data->RelativePidl(), ptdnInFolder, name);
    node->SetText(name.empty() ? text : name);
    FSelectedFolder->SetPidl(data->AbsolutePidl());
    reselect = true;
    // The lock keeps the locator from telling the list: tell it here.
    if (FShellList) FShellList->ShowFolder(data->AbsolutePidl());
  } else {
    // Nothing changed on disk, so nothing will be notified.
    FIgnoreNextNotification = false;
  }
}

bool TPTCustomShellTree::CreateNewFolder(bool Rename) {
  std::string path = GetSelectedPath();
  FIgnoreNextNotification = true;
  std::string name = CreateUniqueFolder(path);
  if (name.empty()) {
    FIgnoreNextNotification = false;
    return false;
  }
  // The folder exists once CreateUniqueFolder returns: refresh at once rather than waiting.
  RefreshTree();
  TTreeNode* node = Selected();
  if (!node) return true;
  if (!node->HasChildren()) node->SetHasChildren(true);
  ExpandShellNode(node);
  node->Expand(false);
  for (int i = 0; i < node->Count(); ++i)
    if (node->Item(i)->Text() == name) {
      // The new folder is the one shown selected, so what the tree shows is what it hands back,
      // whatever name it is given.
      TTreeNode* made = node->Item(i);
      FImmediateChange = -1;
      SetSelected(made);
      made->MakeVisible();
      if (Rename && Selected() == made) made->EditText();
      break;
    }
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Change notification and refresh

TChangeHandlerThread* TPTCustomShellTree::ChangeThread() {
  if (!FChangeThread && HandleAllocated()) FChangeThread = new TChangeHandlerThread(Handle(), WM_PTCHANGENOTIFY);
  return FChangeThread;
}

void TPTCustomShellTree::StopWatching() {
  if (FChangeThread) FChangeThread->RemoveAllWatches();
}

void TPTCustomShellTree::WatchDrives() {
  if (!ChangeThread()) return;
  WatchPath("");
  DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    std::string root = std::string(1, char('A' + i)) + ":\\";
    UINT type = GetDriveTypeA(root.c_str());
    if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK) WatchPath(root);
  }
}

void TPTCustomShellTree::WatchPath(const std::string& Path) {
  TChangeHandlerThread* thread = ChangeThread();
  if (!thread) return;
  if (Path.empty()) {
    thread->RemoveAllWatches();
    return;
  }
  std::string root = AddDelimiter(PathRoot(Path).empty() ? Path : PathRoot(Path), '\\');
  DWORD filter = FILE_NOTIFY_CHANGE_DIR_NAME;
  if (FOptions.Contains(ptstoIncludeNonFolders)) filter |= FILE_NOTIFY_CHANGE_FILE_NAME;
  int slot = -1;
  thread->AddWatch(root, filter, true, slot);
}

void TPTCustomShellTree::ChangeNotified() {
  if (!ChangeWanted(FIgnoreNextNotification, FDragging, FRefreshPending)) return;
  StartRefreshTimer(Focused() ? 400 : 2000);
}

void TPTCustomShellTree::StartRefreshTimer(int Ms) {
  FTimer->SetEnabled(false);
  FTimer->SetTag(TimerRefresh);
  FTimer->SetInterval(Ms);
  FTimer->SetEnabled(true);
}

void TPTCustomShellTree::RefreshTree() {
  if (FDragging || IsEditing()) {
    FRefreshPending = true;
    return;
  }
  if (Items()->Count() == 0) {
    ResetTree();
    return;
  }
  TPTWaitCursor wait;
  Items()->BeginUpdate();
  DoFillStart();
  TScopeExit done([this] {
    Items()->EndUpdate();
    DoFillComplete();
  });
  TTreeNode* remembered = Selected();
  {
    TPTLock lock(FUpdateLock);
    SetSelected(nullptr);
    Compare(Items()->GetFirstNode(), remembered);
  }
  if (remembered) {
    FImmediateChange = -1;
    SetSelected(remembered);
  }
}

void TPTCustomShellTree::Compare(TTreeNode* Node, TTreeNode*& Remembered) {
  TPTShTreeData* data = ShellData(Node);
  if (!data || (Node->Count() == 0 && Node != Remembered)) return;
  IShellFolder* folder = data->Folder();
  std::vector<LPITEMIDLIST> fresh;
  if (!folder || !EnumShellItems(folder, OwnerWindow(), EnumFlags(), fresh)) return;
  std::vector<TTreeNode*> shownNodes;
  std::vector<PCUITEMID_CHILD> shown;
  for (int i = 0; i < Node->Count(); ++i)
    if (TPTShTreeData* cd = ShellData(Node->Item(i))) {
      shownNodes.push_back(Node->Item(i));
      shown.push_back(cd->RelativePidl());
    }
  for (int i : DiffShellItems(folder, shown, fresh)) {
    TTreeNode* child = shownNodes[size_t(i)];
    if (Remembered && (Remembered == child || Remembered->HasAsParent(child))) Remembered = Node;
    child->Delete();
  }
  bool added = false;
  IMalloc* allocator = data->Allocator();
  for (LPITEMIDLIST p : fresh) {
    if (!p) continue;
    int before = Node->Count();
    AddShellItem(allocator, folder, p, Node, data->AbsolutePidl());
    added = added || Node->Count() > before;
    CoTaskMemFree(p);
  }
  if (added) {
    if (!Node->HasChildren()) Node->SetHasChildren(true);
    SortChildren(Node);
  }
  if (Node->Count() == 0 && Node->Expanded()) Node->SetHasChildren(false);
  for (int i = 0; i < Node->Count(); ++i) Compare(Node->Item(i), Remembered);
}

// ---------------------------------------------------------------------------------------------------
// OLE drag and drop

void TPTCustomShellTree::RegisterDropTarget(bool On) {
  FDropSite.Register(this, On, [this] { return new TDropTarget_shtv(this); });
}

void TPTCustomShellTree::StartDrag(TTreeNode* Node, bool Right) {
  TPTShTreeData* data = ShellData(Node);
  if (!data || !data->Parent()) return;
  FDragNode = Node;
  SetDropTarget(Node);
  DWORD result = 0;
  {
    TPTFlag dragging(FDragging);
    auto* object = new TDataObject_shtv(data, true);
    SFGAOF attrs = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK;
    PCUITEMID_CHILD rel = data->RelativePidl();
    IShellFolder* parent = data->ParentFolder();
    DWORD allowed = parent && SUCCEEDED(parent->GetAttributesOf(1, &rel, &attrs)) ? DWORD(attrs & 7) : 7;
    SetDropTarget(nullptr);
    result = DWORD(DragShellItems(object, Right, allowed));
  }
  FDragNode = nullptr;
  bool pending = FRefreshPending;
  FRefreshPending = false;
  if (result == DRAGDROP_S_DROP || pending) RefreshTree();
}

TTreeNode* TPTCustomShellTree::NodeAtScreen(POINTL Pt) {
  POINT p = ScreenToClient(POINT{Pt.x, Pt.y});
  return GetNodeAt(p.x, p.y);
}

void TPTCustomShellTree::SetDropHighlight(TTreeNode* Node) {
  if (DropTarget() != Node) SetDropTarget(Node);
}

IDropTarget* TPTCustomShellTree::ItemDropTarget(TTreeNode* Node) {
  TPTShTreeData* data = ShellData(Node);
  if (!data || !data->Parent()) return nullptr;
  IDropTarget* target = FolderDropTarget(data->Folder(), OwnerWindow());
  if (target) return target;
  if (FAILED(data->GetUIObject(IID_IDropTarget, reinterpret_cast<void**>(&target)))) return nullptr;
  return target;
}

HRESULT TPTCustomShellTree::DoDragEnter(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) {
  FDropSite.Enter(Data, KeyState);
  TTreeNode* node = NodeAtScreen(Pt);
  SetDropHighlight(node);
  IDropTarget* target = ItemDropTarget(node);
  *Effect = FDropSite.Probe(target, Data, KeyState, Pt, *Effect, false);
  if (target) target->Release();
  return S_OK;
}

HRESULT TPTCustomShellTree::DoDragOver(DWORD KeyState, POINTL Pt, DWORD* Effect) {
  TTreeNode* before = DropTarget();
  TTreeNode* node = NodeAtScreen(Pt);
  SetDropHighlight(node);
  IDropTarget* target = ItemDropTarget(node);
  DWORD effect = FDropSite.Probe(target, FDropSite.Data(), KeyState, Pt, *Effect, true);
  if (target) target->Release();
  FDropSite.AutoScroll(this, Pt);
  *Effect = effect | DROPEFFECT_SCROLL;
  if (DropTarget() != before) Invalidate();
  return S_OK;
}

HRESULT TPTCustomShellTree::DoDragLeave() {
  FDropSite.Leave();
  SetDropHighlight(nullptr);
  return S_OK;
}

HRESULT TPTCustomShellTree::DoDrop(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) {
  DWORD effect = DROPEFFECT_NONE;
  if (IDropTarget* target = ItemDropTarget(NodeAtScreen(Pt))) {
    effect = FDropSite.Drop(target, Data, KeyState, Pt, *Effect);
    target->Release();
    RefreshTree();
  }
  *Effect = effect;
  SetDropHighlight(nullptr);
  FDropSite.Leave();
  return S_OK;
}

// ---------------------------------------------------------------------------------------------------
// Messages

void TPTCustomShellTree::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PTCHANGENOTIFY:    ChangeNotified(); return;
    case WM_PTDEFERREDFILL:    if (Items()->Count() == 0) ResetTree(); return;
    case WM_PTSELECTIONCHECK:  SelectionCheck(); return;
    case CM_WANTSPECIALKEY:    CMWantSpecialKey(Message); return;
    case WM_NCHITTEST:         WMNCHitTest(Message); return;
    case WM_WINDOWPOSCHANGED:  if (FDestroyingWnd) return; break;
    case WM_NCDESTROY:         WMNCDestroy(Message); return;
    case CN_NOTIFY:            CNNotify(MessageAs<TWMNotify>(Message)); return;
  }
  TPTCustomTreeView::Dispatch(Message);
}

void TPTCustomShellTree::CMWantSpecialKey(TMessage& Message) {
  TPTCustomTreeView::Dispatch(Message);
  if (IsEditing()) Message.Result = 1;
}

void TPTCustomShellTree::WMNCHitTest(TMessage& Message) {
  Message.Result = DefWindowProcA(Handle(), Message.Msg, Message.WParam, Message.LParam);
}

void TPTCustomShellTree::WMNCDestroy(TMessage& Message) {
  EndShellWindow(this, FUpdateLock, FDropSite, FChangeThread);
  TPTCustomTreeView::Dispatch(Message);
}

// A click selects at once; a drag of a node is the tree's own OLE drag when it offers one.
void TPTCustomShellTree::CNNotify(TWMNotify& Message) {
  UINT code = Message.NMHdr()->code;
  if (code == NM_CLICK) FImmediateChange = -1;
  bool drag = code == TVN_BEGINDRAGA || code == TVN_BEGINDRAGW || code == TVN_BEGINRDRAGA || code == TVN_BEGINRDRAGW;
  if (!drag || !FOptions.Contains(ptstoOleDrag)) {
    TPTCustomTreeView::Dispatch(Message);
    return;
  }
  auto* nm = reinterpret_cast<NMTREEVIEWA*>(Message.LParam);
  auto* node = reinterpret_cast<TTreeNode*>(nm->itemNew.lParam);
  if (!node) node = Items()->GetNode(nm->itemNew.hItem);
  if (node) StartDrag(node, code == TVN_BEGINRDRAGA || code == TVN_BEGINRDRAGW);
  SetDropTarget(nullptr);
  Message.Result = 0;
}
