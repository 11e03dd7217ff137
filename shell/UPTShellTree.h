// The shell tree: a tree view of the shell namespace, one root node for its base folder, folders below
// filled when first opened, icons from the system image list, sorted the way the folder sorts. It
// follows the selection with a locator, offers the shell's context menu and the usual keys (rename,
// refresh, cut, copy, paste, delete), renames in place and makes new folders through the shell, drags
// its items out and takes drops on them, and patches itself when the file system changes.
//
// Part of the shell controls unit (start it with UPTShellControlsInitialize); all of it runs on the
// user-interface thread, the change thread only posts WM_PTCHANGENOTIFY.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "ExtCtrls.h"
#include "ImgList.h"
#include "UPTShellControls.h"
#include "UPTShellShared.h"
#include "UPTTreeList.h"

enum TPTShellTreeOption : uint8_t {
  ptstoAutoFill,
  ptstoVirtualFolders,
  ptstoDesignInteractive,
  ptstoDefaultKeyHandling,
  ptstoContextMenus,
  ptstoDynamicRefresh,
  ptstoIncludeNonFolders,
  ptstoOleDrag,
  ptstoOleDrop,
  ptstoShowHidden
};
using TPTShellTreeOptions = TSet<TPTShellTreeOption>;
extern const TEnumInfo PTShellTreeOptionNames;
constexpr TPTShellTreeOptions PTShellTreeDefaultOptions = TPTShellTreeOptions::FromBits(955);

// Sender, the parent folder, its absolute PIDL, the item's relative PIDL, its attributes and whether
// to show it (preset True).
using TPTShAddItemEvent = TEvent<TObject*, IShellFolder*, PCIDLIST_ABSOLUTE, PCUITEMID_CHILD, int, BOOL&>;
using TPTShTreeDeleteItemEvent = TEvent<TObject*, TTreeNode*, TPTShTreeData*>;
using TPTShTreeInsertItemEvent = TEvent<TObject*, TTreeNode*>;
using TPTShPopupHintEvent = TEvent<TObject*, const std::string&>;
using TPTShTvCustomDrawEvent = TEvent<TObject*, TPTCustomDraw*, TTreeNode*, TPTShTreeData*>;

// The message the tree posts itself to fill once its window exists.
constexpr UINT WM_PTDEFERREDFILL = WM_USER + 103;
// Posted after a branch closed: the selection it may have moved is taken up.
constexpr UINT WM_PTSELECTIONCHECK = WM_USER + 104;

class TPTCustomShellList;

class TPTCustomShellTree : public TPTCustomTreeView, public TPTDropHandler {
  YOZ_CLASS(TPTCustomShellTree, TPTCustomTreeView)
public:
  explicit TPTCustomShellTree(TComponent* AOwner);
  ~TPTCustomShellTree() override;

  TPTShellLocator* BaseFolder() const { return FBaseFolder; }
  void SetBaseFolder(TPTShellLocator* Value) { FBaseFolder->Assign(Value); }
  TPTShellLocator* SelectedFolder() const { return FSelectedFolder; }
  void SetSelectedFolder(TPTShellLocator* Value) { FSelectedFolder->Assign(Value); }
  // The list that shows the selected folder's contents (not owned); navigating in it moves the selection.
  TPTCustomShellList* ShellList() const { return FShellList; }
  void SetShellList(TPTCustomShellList* Value);
  TPTShellTreeOptions Options() const { return FOptions; }
  void SetOptions(TPTShellTreeOptions Value);

  // The shell data of a node, nil for a node that is not a shell node.
  static TPTShTreeData* ShellData(TTreeNode* Node);

  // Rebuilds the nodes from BaseFolder and opens them down to SelectedFolder.
  void ResetTree();
  // Compares the opened folders with the file system and patches the nodes.
  void RefreshTree();
  // Opens the tree down to the absolute PIDL and selects it.
  void SelectIdList(PCIDLIST_ABSOLUTE List);
  HRESULT AddShellItem(IMalloc* Allocator, IShellFolder* Folder, PCUITEMID_CHILD Item, TTreeNode* Node,
                       PCIDLIST_ABSOLUTE NodeAbsList);
  // Selects the ancestor Levels up (at most the root).
  void GoUp(int Levels);
  std::string GetSelectedPath();
  // Runs a context-menu verb on the node's item; 1 when the node has no shell item with a parent.
  HRESULT InvokeVerb(TTreeNode* Node, const std::string& Verb);
  // A new folder in the selected folder, its node put into renaming; False when none was made.
  bool CreateNewFolder(bool Rename = true);
  void WatchDrives();
  // Fills the node's folder when it has not been filled yet.
  void ExpandShellNode(TTreeNode* Node);
  bool Dragging() const { return FDragging; }

  TPTShAddItemEvent OnAddItem;
  TPTShTreeDeleteItemEvent OnDeleteItem;
  TPTShTreeInsertItemEvent OnInsertItem;
  TPTShPopupHintEvent OnPopupHint;
  TPTShTvCustomDrawEvent OnCustomDrawSh;
  TPTShTvCustomDrawEvent OnCustomDrawShEx;
  TNotifyEvent OnFillComplete;
  TNotifyEvent OnFillStart;

  // The drop target's calls (an OLE drop onto a node goes to that node's item).
  HRESULT DoDragEnter(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) override;
  HRESULT DoDragOver(DWORD KeyState, POINTL Pt, DWORD* Effect) override;
  HRESULT DoDragLeave() override;
  HRESULT DoDrop(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) override;

  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TPTCustomDraw* CustomDrawItem(NMTVCUSTOMDRAW* Record, LRESULT* Result) override;
  static void Publish(TPublisher<TPTCustomShellTree>& p);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void GetImageIndex(TTreeNode* Node) override;
  void GetSelectedIndex(TTreeNode* Node) override;
  bool CanEdit(TTreeNode* Node) override;
  bool CanExpand(TTreeNode* Node) override;
  void Change(TTreeNode* Node) override;
  void Collapse(TTreeNode* Node) override;
  void Delete(TTreeNode* Node) override;
  void Edit(const TVITEMA& Item) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  bool DoMouseWheelDown(TShiftState Shift, POINT MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, POINT MousePos) override;
  void DoNodeContextMenu(TTreeNode* Node, POINT& Pt, TPopupMenu*& Menu) override;

  virtual bool DoAddItem(IShellFolder* Folder, PCIDLIST_ABSOLUTE FolderAbsList, SFGAOF Attributes, PCUITEMID_CHILD Item);
  virtual void DeviceChange(TObject* Sender, TMessage& Message);
  // Fills Node's folder (Node nil: makes the root for BaseFolder). False when the folder could not be
  // read (the node keeps its button); shell errors other than E_FAIL raise.
  virtual bool FillNode(IShellFolder* Folder, TTreeNode* Node);
  virtual void DoCustomDrawSh(TPTCustomDraw* CD, TTreeNode* Node);
  virtual void DoInsertItem(TTreeNode* Node);
  virtual void DoFillComplete();
  virtual void DoFillStart();
  virtual void DoSendTo(TTreeNode* Node, int Index);
  // Watches the drive of Path for folder changes; an empty path ends every watch.
  virtual void WatchPath(const std::string& Path);
  virtual void ShowContextMenu(TTreeNode* Node, POINT Pt);
  // The change thread, made on first use.
  TChangeHandlerThread* ChangeThread();

private:
  TTreeNode* AddRootNode(IMalloc* Allocator, LPITEMIDLIST& AbsList);
  // Message handlers (Dispatch).
  void CMWantSpecialKey(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  void WMNCDestroy(TMessage& Message);
  void CNNotify(TWMNotify& Message);
  void BaseFolderChanged(TObject* Sender);
  void MenuHint(TObject* Sender, const std::string& Hint);
  void SelectedFolderChanged(TObject* Sender);
  void TimerFired(TObject* Sender);
  void ApplySelection(TTreeNode* Node);
  void SortChildren(TTreeNode* Node);
  void Compare(TTreeNode* Node, TTreeNode*& Remembered);
  void ChangeNotified();
  void SelectionCheck();
  // The wheel nobody handled: to another shell tree or list under the pointer, else scrolls the tree.
  bool Wheel(POINT MousePos, bool Down);
  // (Re)starts the delay timer for one refresh Ms from now.
  void StartRefreshTimer(int Ms);
  void StartDrag(TTreeNode* Node, bool Right);
  void SetDropHighlight(TTreeNode* Node);
  IDropTarget* ItemDropTarget(TTreeNode* Node);
  TTreeNode* NodeAtScreen(POINTL Pt);
  void RegisterDropTarget(bool On);
  void StopWatching();
  DWORD EnumFlags() const;
  HWND OwnerWindow();

  TPTShellLocator* FBaseFolder;
  TPTShellLocator* FSelectedFolder;
  TTimer* FTimer;
  TPTShellTreeOptions FOptions;
  std::unique_ptr<TCustomImageList> FImages;
  IContextMenu* FActiveMenu = nullptr;
  TPTShellContextMenu* FActiveShellMenu = nullptr;
  int FImmediateChange = -1;
  int FUpdateLock = 0;
  int FLoading = 0;
  bool FIgnoreNextNotification = false;
  TChangeHandlerThread* FChangeThread = nullptr;
  bool FDragging = false;
  bool FRefreshPending = false;
  TTreeNode* FDragNode = nullptr;
  TTreeNode* FLastInserted = nullptr;
  bool FLoaded = false;
  bool FDestroyingWnd = false;
  TPTDropSite FDropSite;
  TPTCustomShellList* FShellList = nullptr;
};

class TPTShellTree : public TPTCustomShellTree {
  YOZ_CLASS(TPTShellTree, TPTCustomShellTree)
public:
  explicit TPTShellTree(TComponent* AOwner) : TPTCustomShellTree(AOwner) {}
};

// Makes the shell tree known to the form reader.
void UPTShellTreeInitialize();
