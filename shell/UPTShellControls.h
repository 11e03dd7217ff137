// Pieces the shell tree and the shell list share: the folder-change notification thread, the shell's
// context menus and new folders, the node data records, the drag-and-drop data objects and the shell
// locator stored in form resources.
//
// Everything but TChangeHandlerThread's own thread runs on the user-interface thread. Start the unit
// with UPTShellControlsInitialize (it starts the shell utilities too) and end it with
// UPTShellControlsFinalize.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Menus.h"
#include "UPTShConsts.h"
#include "UPTShellUtils.h"

// ---------------------------------------------------------------------------------------------------
// Folder change notification

// The message the shell tree and list have the thread post (wParam: the slot that changed).
constexpr UINT WM_PTCHANGENOTIFY = WM_USER + 101;

// A worker thread that waits on up to 63 folder change-notification handles and posts Message to
// Window (wParam = slot) whenever a watched folder changes; the watch is then armed again. Commands
// from the user-interface thread wait at most 2 s for the thread; one it has not taken by then is
// withdrawn, never carried out later. Destruction stops the thread before it closes any handle.
class TChangeHandlerThread : public TThread {
  YOZ_CLASS(TChangeHandlerThread, TThread)
public:
  static constexpr int SlotCount = 63;
  TChangeHandlerThread(HWND Window, UINT Message);
  ~TChangeHandlerThread() override;
  void BeforeDestruction() override;
  // Watches Path (FILE_NOTIFY_CHANGE_* Filter); Slot receives the slot. False when the folder cannot
  // be watched, the table is full or the thread did not answer.
  bool AddWatch(const std::string& Path, DWORD Filter, bool WatchSubtree, int& Slot);
  // Ends the watch in Slot. False when the thread did not answer.
  bool RemoveWatch(int Slot);
  bool RemoveAllWatches();

protected:
  void Execute() override;

private:
  enum TCommand : uint8_t { cmdAdd, cmdRemove, cmdRemoveAll, cmdStop };
  // Hands a command to the thread and waits for it; False when it was withdrawn after the wait.
  bool Run(TCommand Command);
  void CloseSlot(int Slot);
  void Stop();

  HANDLE FCommandEvent = nullptr;
  HANDLE FAckEvent = nullptr;
  HANDLE FPendingHandle = INVALID_HANDLE_VALUE;
  int FSlotToRemove = -1;
  HWND FWindow;
  UINT FMessage;
  std::vector<HANDLE> FSlots;
  int FResultSlot = -1;
  TCommand FCommand = cmdAdd;
  bool FCommandWaiting = false;   // given but not yet taken by the thread
  uint32_t FIssued = 0, FDone = 0;
  bool FStopped = false;
  CRITICAL_SECTION FLock;
};

// ---------------------------------------------------------------------------------------------------
// Keyboard shortcuts of the controls' commands, with the key names of the shell controls' own tables
// (the unit's namespace keeps them apart from the class library's routines of the same names).

namespace UPTShellControls {
// "Shift+", "Ctrl+", "Alt+" and the key's name; '' when the key has no name.
std::string ShortCutToText(TShortCut ShortCut);
// The shortcut the text names (prefixes in any order and case, "^" for Ctrl); 0 when none.
TShortCut TextToShortCut(const std::string& Text);
}  // namespace UPTShellControls

// The commands the shell tree and list give keys to.
enum TPTShellCommandKey : uint8_t { pskSelectAll, pskDelete, pskCopy, pskCut, pskPaste, pskRefresh, pskRename };
// The key of the command, taken from its (translatable) text once.
TShortCut PTShellShortCut(TPTShellCommandKey Command);

// ---------------------------------------------------------------------------------------------------
// Shared shell routines

// Folder, parent and child of an absolute PIDL (an empty one stands for the desktop's own path). The
// caller frees both PIDLs and releases the folder. S_OK or the shell's failure.
HRESULT SplitPidl(PCIDLIST_ABSOLUTE Pidl, IShellFolder*& Folder, LPITEMIDLIST& ParentPidl, LPITEMIDLIST& ChildPidl);
// Parent and child copies only, without binding the folder.
HRESULT SplitPidl(PCIDLIST_ABSOLUTE Pidl, LPITEMIDLIST& ParentPidl, LPITEMIDLIST& ChildPidl);
// The parent folder's UI object of the item (IContextMenu, IDropTarget, IDataObject...).
HRESULT GetUIObjectOfPidl(PCIDLIST_ABSOLUTE Pidl, REFIID Iid, void** Obj);

// The first context-menu command number of the shell's commands; numbers below are the controls' own.
constexpr UINT PTFirstShellCommand = 50;
constexpr UINT PTLastShellCommand = 32767;

// The offset of the menu's command with Verb (ignoring case), -1 when it has none.
int FindVerbCommand(IContextMenu* Menu, const std::string& Verb);
// Runs the command with Verb (a name) on the menu; an unknown verb runs nothing and gives
// E_INVALIDARG. Owner is the window for the shell's own dialogs.
HRESULT InvokeMenuCommand(IContextMenu* Menu, HWND Owner, const std::string& Verb);
// Runs the command at Offset (relative to the shell's first command).
HRESULT InvokeMenuCommand(IContextMenu* Menu, HWND Owner, UINT Offset);

using TPTMenuHintEvent = TEvent<TObject*, const std::string&>;

// The shell's own context menu for items of one folder: built from their IContextMenu with a Send
// To submenu of owner-drawn entries, help texts for the hint and keyboard mnemonics. Tracked on a
// window of its own, so the owner control need not route menu messages.
class TPTShellContextMenu : public TObject {
  YOZ_CLASS(TPTShellContextMenu, TObject)
public:
  // The most Send To entries listed: their numbers stay below the shell's first command.
  static constexpr int MaxSendToEntries = int(PTFirstShellCommand) - 1;
  TPTShellContextMenu();
  ~TPTShellContextMenu() override;
  // Asks Folder for the items' context menu (CMF_* Flags) and fills the menu. False when the folder
  // gives none; the class library's OLE error when the menu cannot be filled.
  bool Build(HWND Owner, IShellFolder* Folder, const std::vector<PCUITEMID_CHILD>& Items, UINT Flags);
  // Fills the menu from a context menu the caller already has (a folder's background, say).
  void Build(HWND Owner, IContextMenu* Menu, UINT Flags);
  IContextMenu* ContextMenu() const { return FMenu; }
  HMENU Handle() const { return FHandle; }
  // The verbs of the shell's commands, in menu order (submenus included).
  std::vector<std::string> Verbs() const;
  // Shows the menu at the screen point; the chosen command number, 0 when none was chosen.
  UINT Track(int X, int Y);
  // Carries out a chosen number: a shell command or a Send To entry (which drops the items on it).
  HRESULT Execute(UINT Command);
  // Whether Menu is the shell's Send To submenu (found when the menu was built).
  bool IsSendToMenu(HMENU Menu) const { return Menu && Menu == FSendTo; }
  // The Send To entries listed (file names without extension), in menu order.
  const std::vector<std::string>& SendToNames() const { return FSendToNames; }
  // Menu messages of the tracking window; True when handled here.
  bool HandleMenuMessage(TMessage& Message);
  TPTMenuHintEvent OnHint;

private:
  struct TSendToEntry {
    std::string FileName;
    std::string Name;
    int Icon;
  };
  void FindSendToMenu();
  void FillSendTo(HMENU Menu);
  void WndProc(TMessage& Message);
  // Menu message handlers (HandleMenuMessage); the bool ones say whether the message was answered.
  void PassToShell(TMessage& Message);
  void WMInitMenuPopup(TMessage& Message);
  bool WMMeasureItem(TMessage& Message);
  bool WMDrawItem(TMessage& Message);
  void DrawSendToItem(DRAWITEMSTRUCT* Item);
  bool WMMenuChar(TMessage& Message);
  void WMMenuSelect(TMessage& Message);
  void Clear();
  IContextMenu* FMenu = nullptr;
  IContextMenu2* FMenu2 = nullptr;
  IShellFolder* FFolder = nullptr;
  std::vector<LPITEMIDLIST> FItems;
  HWND FOwner = nullptr;
  HWND FWnd = nullptr;
  HMENU FHandle = nullptr;
  HMENU FSendTo = nullptr;
  std::vector<TSendToEntry> FSendToEntries;
  std::vector<std::string> FSendToNames;
};

// Drops the data object on the Send To entry Name (a file name in the Send To folder).
HRESULT SendToDrop(const std::string& Name, IDataObject* Data);
// The drop effects the data object's items allow (DROPEFFECT_COPY | MOVE | LINK when it says nothing);
// none for a malformed "Shell IDList Array" (a count or offset outside the block, a list without its end).
DWORD AllowedEffects(IDataObject* Data);

// Makes a new folder "New Folder", "New Folder (2)" ... (then "fldr", "fldr2" ...) in Parent and
// gives its name; '' after telling the user why not. An empty Parent (a virtual folder) is refused.
std::string CreateUniqueFolder(const std::string& Parent);

// Scrolls Control one step (code SB_*) on Bar (0 horizontal, 1 vertical) when it has room to scroll.
void ScrollControl(TWinControl* Control, int Bar, int Code);
// Scrolls while dragging: as many lines as the wheel setting gives, or one page.
void DragScroll(TWinControl* Control, int Bar, int LineCode, int PageCode);
void ShowWaitCursor(int Ms);
// The control's parent form's window, 0 when there is none.
HWND ControlWindow(TControl* Control);
// Sets or clears style bits (GWL_STYLE) of a window; written only when they change.
void SetWindowStyleBits(HWND Wnd, LONG Bits, bool On);
// True for a path longer than a drive root ("C:\").
bool IsLongerThanRoot(const std::string& Path);
TDateTime FileTimeToDateTimeLocal(const FILETIME& Time);
[[noreturn]] void RaiseSystemError(DWORD Code);

// ---------------------------------------------------------------------------------------------------
// Node data records

// The data of a shell tree node: ties the node to its item and caches the absolute PIDL and the item's
// own folder. Both PIDLs are allocated and freed with the record's allocator.
class TPTShTreeData : public TObject {
  YOZ_CLASS(TPTShTreeData, TObject)
public:
  TPTShTreeData() = default;
  ~TPTShTreeData() override;
  // Keeps Parent (nil at the root), a reference to Allocator and a copy of RelativePidl.
  void Init(TPTShTreeData* Parent, IMalloc* Allocator, PCUITEMID_CHILD RelativePidl);
  // Forgets the absolute PIDL and the folder, so both are made again.
  void Reset();
  // Takes a copy of the item's new relative PIDL (after a rename) and forgets what came from the old.
  void SetRelativePidl(PCUITEMID_CHILD RelativePidl);
  TPTShTreeData* Parent() const { return FParent; }
  PCUITEMID_CHILD RelativePidl() const { return FRelativePidl; }
  IMalloc* Allocator() const { return FAllocator; }
  // The parent's absolute PIDL joined with the relative one (a copy of it at the root); made once.
  PCIDLIST_ABSOLUTE AbsolutePidl();
  // The item's own folder (the desktop for an empty PIDL); nil when it cannot be bound. The record
  // keeps the reference.
  IShellFolder* Folder();
  // The parent record's folder; nil at the root.
  IShellFolder* ParentFolder() { return FParent ? FParent->Folder() : nullptr; }
  // The file-system path, '' when the item has none. Exception "TPTShTreeData not initialised"
  // before Init.
  std::string Path();
  HRESULT GetUIObject(REFIID Iid, void** Obj);
  bool CanRename();

private:
  TPTShTreeData* FParent = nullptr;
  LPITEMIDLIST FRelativePidl = nullptr;
  LPITEMIDLIST FAbsolutePidl = nullptr;
  IShellFolder* FFolder = nullptr;
  IMalloc* FAllocator = nullptr;
};

// What a shell list gives the records of its items.
class TPTShListOwner {
public:
  virtual IMalloc* ListAllocator() = 0;
  virtual IShellFolder* ListFolder() = 0;
  virtual PCIDLIST_ABSOLUTE ListFolderPidl() = 0;
  // The folder's column texts, nil when the list reads its own.
  virtual IShellDetails* ListDetails() = 0;

protected:
  ~TPTShListOwner() = default;
};

// The data of a shell list item.
class TPTShListData : public TObject {
  YOZ_CLASS(TPTShListData, TObject)
public:
  // Takes RelativePidl over (allocated with the list's allocator).
  TPTShListData(TPTShListOwner* List, LPITEMIDLIST RelativePidl) : FList(List), FRelativePidl(RelativePidl) {}
  ~TPTShListData() override;
  PCUITEMID_CHILD RelativePidl() const { return FRelativePidl; }
  // Takes NewPidl over, frees the old one and forgets what was derived from it.
  void SetRelativePidl(LPITEMIDLIST NewPidl);
  PCIDLIST_ABSOLUTE AbsolutePidl();
  std::string Path();
  SFGAOF Attributes();
  bool IsFolder() { return Attributes() & SFGAO_FOLDER; }
  bool CanRename() { return Attributes() & SFGAO_CANRENAME; }
  bool IsShortcut();
  std::string DisplayName();
  // Column 0 the display name, 1 size, 2 type, 3 modified (or the folder's own column texts).
  std::string Details(int Column);
  int32_t Tag = 0;

private:
  void Forget();
  TPTShListOwner* FList;
  LPITEMIDLIST FAbsolutePidl = nullptr;
  LPITEMIDLIST FRelativePidl;
  std::string FDisplayName;
  bool FHaveName = false;
  bool FDetailsLoaded = false;
  std::string FSize, FModified, FType;
};

// The data of a shell combo item: a folder, three PIDLs and a second interface, all its own.
class TPTShComboData : public TObject {
  YOZ_CLASS(TPTShComboData, TObject)
public:
  ~TPTShComboData() override;
  IShellFolder* Folder = nullptr;
  LPITEMIDLIST Pidls[3] = {};
  IUnknown* Other = nullptr;
};

// Detail texts of an item.
// Kilobytes rounded up, with thousands separators: "%sKB".
std::string FormatSizeKB(uint64_t Bytes);
struct TPTFileDetails {
  std::string Size;       // '' for a folder
  std::string Modified;
};
// From the file system, for paths longer than a drive root; empty texts otherwise.
TPTFileDetails GetFileDetails(PCIDLIST_ABSOLUTE Pidl);
// The shell's type name of a file-system item; "System Folder" for any other.
std::string GetTypeName(PCIDLIST_ABSOLUTE Pidl, SFGAOF Attributes);
// The root of a path ("C:\" or "\\server\share\"), '' when it has none.
std::string PathRoot(const std::string& Path);

// ---------------------------------------------------------------------------------------------------
// Data transfer

// FORMATETC records, each owned (a target device is deep-copied).
class TPTFormatEtcList : public TObject {
  YOZ_CLASS(TPTFormatEtcList, TObject)
public:
  TPTFormatEtcList() = default;
  // One record per format: no target device, DVASPECT_CONTENT, index -1, TYMED_HGLOBAL.
  explicit TPTFormatEtcList(std::initializer_list<CLIPFORMAT> Formats);
  ~TPTFormatEtcList() override { Clear(); }
  void Add(const FORMATETC& Format);
  void Add(CLIPFORMAT Format);
  void Clear();
  int Count() const { return int(FList.size()); }
  const FORMATETC& Items(int Index) const { return FList.at(size_t(Index)); }
  // A new enumerator at position 0. It keeps Owner (the object that holds this list) alive.
  IEnumFORMATETC* CreateEnumerator(IUnknown* Owner);
  // S_OK, DV_E_FORMATETC (other aspect or format) or DV_E_TYMED (no common medium).
  HRESULT QueryFormat(const FORMATETC& Format) const;

private:
  std::vector<FORMATETC> FList;
};
// A copy of Format with its own target device (CoTaskMemAlloc, as the receiver frees it).
FORMATETC CopyFormatEtc(const FORMATETC& Format);

// The CF_HDROP block of the paths (8-bit text), sized from their real lengths.
HRESULT BuildHDropMedium(const std::vector<std::string>& Paths, HGLOBAL& Global);
// The "Shell IDList Array" block: the parent (nil: an empty PIDL) and its children.
HRESULT BuildIDListMedium(PCIDLIST_ABSOLUTE Parent, const std::vector<PCUITEMID_CHILD>& Children, HGLOBAL& Global);

// The drop source of both controls: the drag goes on while the drag button is down.
class TDropSource_shlvtv : public IDropSource {
public:
  // Button: MK_LBUTTON, MK_RBUTTON or MK_MBUTTON.
  explicit TDropSource_shlvtv(DWORD Button) : FButton(Button) {}
  virtual ~TDropSource_shlvtv() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD Effect) override;

private:
  LONG FRefs = 1;
  DWORD FButton;
};

// Drags Object (its maker's reference passes to this call) with the right or the left button, Allowed
// the effects offered; DoDragDrop's result.
HRESULT DragShellItems(IDataObject* Object, bool Right, DWORD Allowed);

// The data object of dragged shell items: "Shell IDList Array" and CF_HDROP, built at once. Only what
// could be built is offered.
class TPTShellDataObject : public IDataObject {
public:
  TPTShellDataObject() = default;
  virtual ~TPTShellDataObject();
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* Format, STGMEDIUM* Medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* Format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* In, FORMATETC* Out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD Direction, IEnumFORMATETC** Enum) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

protected:
  // The items are Children of Parent (nil: the desktop); Paths their parsing names ('' when none).
  void Build(PCIDLIST_ABSOLUTE Parent, const std::vector<PCUITEMID_CHILD>& Children, const std::vector<std::string>& Paths);

private:
  LONG FRefs = 1;
  HGLOBAL FHDrop = nullptr;
  HGLOBAL FIDList = nullptr;
  TPTFormatEtcList FFormats;
};

// The data object of a dragged tree node. A node that cannot be dragged offers no format at all.
class TDataObject_shtv : public TPTShellDataObject {
public:
  TDataObject_shtv(TPTShTreeData* Node, bool CanDrag);
};

// What the shell tree does with a drag over it.
class TPTDropHandler {
public:
  virtual HRESULT DoDragEnter(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) = 0;
  virtual HRESULT DoDragOver(DWORD KeyState, POINTL Pt, DWORD* Effect) = 0;
  virtual HRESULT DoDragLeave() = 0;
  virtual HRESULT DoDrop(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) = 0;

protected:
  ~TPTDropHandler() = default;
};

// The shell tree's drop target: hands every call unchanged to the tree.
class TDropTarget_shtv : public IDropTarget {
public:
  explicit TDropTarget_shtv(TPTDropHandler* Tree) : FTree(Tree) {}
  virtual ~TDropTarget_shtv() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) override {
    return FTree->DoDragEnter(Data, KeyState, Pt, Effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD KeyState, POINTL Pt, DWORD* Effect) override {
    return FTree->DoDragOver(KeyState, Pt, Effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return FTree->DoDragLeave(); }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD* Effect) override {
    return FTree->DoDrop(Data, KeyState, Pt, Effect);
  }

private:
  LONG FRefs = 1;
  TPTDropHandler* FTree;
};

// ---------------------------------------------------------------------------------------------------
// Shell locator

// One place in the shell namespace, by absolute PIDL or by special folder (CSIDL); stored in form
// resources as the binary property "Pidl": a kind byte, then for kind 0 a 32-bit size and the PIDL
// (size 0: none), else the CSIDL byte.
class TPTShellLocator : public TPersistent {
  YOZ_CLASS(TPTShellLocator, TPersistent)
public:
  enum TKind : uint8_t { lkPidl, lkSpecialFolder };
  TPTShellLocator() = default;
  ~TPTShellLocator() override;
  TKind Kind() const { return FKind; }
  uint8_t SpecialFolder() const { return FSpecialFolder; }
  // The stored PIDL; for a special folder its PIDL, looked up once. Nil when there is none.
  PCIDLIST_ABSOLUTE Pidl();
  std::string Path() { return PidlToPath(Pidl()); }
  // Locates P (copied; an empty PIDL is kept as none). Nil clears the locator, a special folder too.
  void SetPidl(PCIDLIST_ABSOLUTE P);
  void Clear() { SetPidl(nullptr); }
  // Locates the special folder CSIDL.
  void SetSpecialFolder(uint8_t CSIDL);
  static bool Equal(TPTShellLocator* A, TPTShellLocator* B);
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;
  // The "Pidl" property's bytes. Reading refuses damaged data with EReadError and leaves the locator
  // as it was.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  TNotifyEvent OnChange;

protected:
  virtual void DoChange();

private:
  void FreePidl();
  TKind FKind = lkPidl;
  LPITEMIDLIST FPidl = nullptr;
  uint8_t FSpecialFolder = 0;
};

// Column texts of a folder: its own IShellDetails, or its IShellFolder2 made to answer as one (only the
// columns it shows by default). Nil when it offers neither. The caller releases it.
IShellDetails* GetShellDetails(IShellFolder* Folder);

// The clipboard format "Shell IDList Array", registered at unit start.
UINT PTShellIDListFormat();

void UPTShellControlsInitialize();
void UPTShellControlsFinalize();
