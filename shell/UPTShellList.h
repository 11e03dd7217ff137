// The shell list: a list view of the contents of one shell folder, with the columns "Name", "Size",
// "Type" and "Modified", sorted by the folder's own comparison of the clicked column, icons from the
// system image lists. Opening a folder or going up moves a linked shell tree's selection (or the
// list's own folder); the shell's context menu, the usual keys, renaming in place, new folders, OLE
// drag and drop and change notification work on the selected items as in the shell tree.
//
// Part of the shell controls unit (start it with UPTShellControlsInitialize); all of it runs on the
// user-interface thread, the change thread only posts WM_PTCHANGENOTIFY.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ExtCtrls.h"
#include "ImgList.h"
#include "UPTShellControls.h"
#include "UPTShellShared.h"
#include "UPTShellTree.h"
#include "UPTTreeList.h"

enum TPTShellListOption : uint8_t {
  ptsloAutoFill,            // fills itself once its window exists
  ptsloVirtualFolders,      // also items that are neither file-system items nor their ancestors
  ptsloDesignInteractive,   // items answer design-time hit tests
  ptsloDefaultKeyHandling,  // the default keys
  ptsloContextMenus,        // the shell's context menu on right click
  ptsloNoNavigation,        // no opening of folders, no going up
  ptsloReserved6,
  ptsloDynamicRefresh,      // watches the shown folder
  ptsloHideTreeFolders,     // with a linked tree, the tree shows the folders and the list the rest
  ptsloOleDrag,
  ptsloOleDrop,
  ptsloReserved11,
  ptsloShowHidden
};
using TPTShellListOptions = TSet<TPTShellListOption>;
extern const TEnumInfo PTShellListOptionNames;
constexpr TPTShellListOptions PTShellListDefaultOptions = TPTShellListOptions::FromBits(7835);

using TPTShLvCustomDrawEvent = TEvent<TObject*, TPTCustomDraw*, TListItem*, TPTShListData*>;
// Sender, the key, the shift state and whether to skip the default handling (preset False).
using TPTShKeyActionEvent = TEvent<TObject*, uint16_t, TShiftState, bool&>;
// Sender, the item about to be opened by its default command, and whether the handler opened it.
using TPTShOpenItemEvent = TEvent<TObject*, TListItem*, bool&>;

// Messages the list posts to itself: select and rename a new folder; fill once the window exists.
constexpr UINT WM_PTRENAMENEW = WM_USER + 102;

class TPTCustomShellList;

// The data object of the list's dragged items: "Shell IDList Array" and CF_HDROP, built at once.
class TDataObject_shlv : public TPTShellDataObject {
public:
  TDataObject_shlv(PCIDLIST_ABSOLUTE Folder, IShellFolder* ShellFolder, const std::vector<PCUITEMID_CHILD>& Items);
};

// The list's drop target: hands every call to the list.
class TDropTarget_shlv : public TDropTarget_shtv {
public:
  using TDropTarget_shtv::TDropTarget_shtv;
};

class TPTCustomShellList : public TPTCustomListView, public TPTShListOwner, public TPTDropHandler {
  YOZ_CLASS(TPTCustomShellList, TPTCustomListView)
public:
  explicit TPTCustomShellList(TComponent* AOwner);
  ~TPTCustomShellList() override;

  // The folder shown; setting it shows that folder (through a linked tree when there is one).
  TPTShellLocator* Folder() const { return FLocator; }
  void SetFolder(TPTShellLocator* Value) { FLocator->Assign(Value); }
  void ShowFolder(PCIDLIST_ABSOLUTE Pidl);
  TPTShellListOptions Options() const { return FOptions; }
  void SetOptions(TPTShellListOptions Value);
  // Names to list among the files: masks separated by ';'; "*" and "*.*" (or '') list all.
  const std::string& FileMask() const { return FFileMask; }
  void SetFileMask(const std::string& Value);
  // The sorted column: its index + 1, negative for descending.
  int SortColumnSigned() const { return FSort; }
  void SetSortColumnSigned(int Value);
  TPTCustomShellTree* ShellTree() const { return FTree; }
  // Called by the tree when it links or unlinks the list.
  void SetShellTree(TPTCustomShellTree* Tree);
  bool HidesTreeFolders() const { return FTree && FOptions.Contains(ptsloHideTreeFolders); }

  static TPTShListData* ShellData(TListItem* Item);
  // Builds the items again from the folder.
  void Reset();
  // Compares the items with the folder's contents and patches them.
  void Refresh();
  void GoUp(int Levels = 1);
  // Opens the focused item: a folder (or a shortcut to one) is shown, anything else runs its default
  // command (for several selected items their common one).
  void OpenFocused();
  // Runs a context-menu verb on the selected items; E_INVALIDARG when there is nothing to run it on.
  HRESULT InvokeVerb(const std::string& Verb);
  // Runs "paste" on the shown folder itself.
  HRESULT PasteIntoFolder();
  // A new folder in the shown folder, put into renaming; False when none was made.
  bool CreateNewFolder();
  bool IsEditing();
  void EditCaption(TListItem* Item);
  // DROPEFFECT_* that every selected item allows; none when nothing is selected.
  DWORD SelectionEffects();
  bool Dragging() const { return FDragging; }

  // Column widths: a 32-bit count, then one 32-bit width per column. Restoring reads at most as many
  // widths as there are columns and stops at a short read.
  void SaveColumnWidths(TStream* Stream);
  void LoadColumnWidths(TStream* Stream);

  TPTShAddItemEvent OnAddItem;
  TPTShLvCustomDrawEvent OnCustomDrawSh;
  TPTShLvCustomDrawEvent OnCustomDrawShEx;
  TPTShKeyActionEvent OnKeyAction;
  TPTShOpenItemEvent OnOpenItem;
  TPTShPopupHintEvent OnPopupHint;
  TNotifyEvent OnFillStart;
  TNotifyEvent OnFillComplete;

  // TPTShListOwner
  IMalloc* ListAllocator() override { return FAllocator; }
  IShellFolder* ListFolder() override { return FShellFolder; }
  PCIDLIST_ABSOLUTE ListFolderPidl() override { return FFolderPidl; }
  IShellDetails* ListDetails() override;

  HRESULT DoDragEnter(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) override;
  HRESULT DoDragOver(DWORD KeyState, POINTL Pt, DWORD* Effect) override;
  HRESULT DoDragLeave() override;
  HRESULT DoDrop(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) override;

  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TPTCustomDraw* CustomDrawItem(NMLVCUSTOMDRAW* Record, LRESULT* Result) override;
  static void Publish(TPublisher<TPTCustomShellList>& p);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Delete(TListItem* Item) override;
  void ColClick(TListColumn* Column) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void ItemContextMenuAt(TListItem* Item, POINT Pt) override;

  virtual bool DoAddItem(IShellFolder* Folder, SFGAOF Attributes, PCUITEMID_CHILD Item);
  virtual void DeviceChange(TObject* Sender, TMessage& Message);
  virtual void FillList(IShellFolder* Folder, PCIDLIST_ABSOLUTE FolderPidl);
  virtual void BuildMask();
  virtual bool MatchesMask(const std::string& Name);
  virtual void FreeMask();
  // Watches the shown folder (not its subtree) for names that come and go.
  virtual void WatchFolder(const std::string& Path);
  TChangeHandlerThread* ChangeThread();

private:
  void FolderChanged(TObject* Sender);
  void TimerFired(TObject* Sender);
  void ChangeNotified();
  // Message handlers (Dispatch) and the notifications CNNotify routes; the bool ones say whether the
  // message was answered here (False: the list view has it).
  void CMWantSpecialKey(TMessage& Message);
  void WMNCDestroy(TMessage& Message);
  void CNNotify(TWMNotify& Message);
  bool LVNGetDispInfo(TWMNotify& Message);
  bool LVNBeginLabelEdit(TWMNotify& Message);
  bool LVNEndLabelEdit(TWMNotify& Message);
  void NMDblClk(TWMNotify& Message);
  bool LVNBeginDrag(TWMNotify& Message);
  void SetFolderPidl(PCIDLIST_ABSOLUTE Pidl);
  void ReleaseFolder();
  // While a drag, a menu or a label edit is on, a refresh waits for its end: True when it must.
  bool PutOff();
  void AddItem(IShellFolder* Folder, LPITEMIDLIST Item);
  void SortItems();
  void MakeColumns();
  std::vector<TListItem*> SelectedItems();
  std::vector<PCUITEMID_CHILD> SelectedPidls();
  void ShowContextMenu(POINT Pt);
  void MenuHint(TObject* Sender, const std::string& Hint);
  bool IsUncFolder();
  void RefreshIfUnc();
  void StartDrag(bool Right);
  IDropTarget* DropTargetAt(POINTL Pt);
  void RegisterDropTarget(bool On);
  bool EndEdit(TListItem* Item, const char* Text);
  void RenameNew();
  DWORD EnumFlags() const;
  HWND OwnerWindow() { return ControlWindow(this); }

  TPTShellLocator* FLocator;
  TTimer* FTimer;
  TPTShellListOptions FOptions;
  std::string FFileMask = "*";
  std::set<std::string> FMask;   // lower-case file names matching the mask
  bool FMaskBuilt = false;
  std::unique_ptr<TCustomImageList> FSmall, FLarge;
  IShellFolder* FShellFolder = nullptr;
  LPITEMIDLIST FFolderPidl = nullptr;
  IMalloc* FAllocator = nullptr;
  IShellDetails* FDetails = nullptr;
  bool FDetailsAsked = false;
  TPTCustomShellTree* FTree = nullptr;
  TChangeHandlerThread* FChangeThread = nullptr;
  int FUpdateLock = 0;
  bool FIgnoreNextNotification = false;
  bool FDragging = false;
  bool FRefreshPending = false;
  bool FDragFromHere = false;
  TPTDropSite FDropSite;
  int FSort = 1;
  std::string FRenameName;
};

class TPTShellList : public TPTCustomShellList {
  YOZ_CLASS(TPTShellList, TPTCustomShellList)
public:
  explicit TPTShellList(TComponent* AOwner) : TPTCustomShellList(AOwner) {}
};

void UPTShellListInitialize();
