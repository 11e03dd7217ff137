// What the shell tree and the shell list do alike inside: scope guards for their cursor, locks and
// flags, comparing items through their folder, enumerating a folder, telling a refresh what came and
// went, and the drop-target side of OLE drag and drop. Not part of the controls' interface.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <vector>

#include "Controls.h"
#include "Forms.h"
#include "ImgList.h"

// Holds the hourglass while it lives and puts the previous cursor back.
class TPTWaitCursor {
public:
  TPTWaitCursor() : FOld(Screen->Cursor()) { Screen->SetCursor(crHourGlass); }
  ~TPTWaitCursor() { Screen->SetCursor(FOld); }

private:
  TCursor FOld;
};

// Counts a lock up while it lives.
class TPTLock {
public:
  explicit TPTLock(int& Count) : FCount(Count) { ++FCount; }
  ~TPTLock() { --FCount; }

private:
  int& FCount;
};

// Sets a flag while it lives.
class TPTFlag {
public:
  explicit TPTFlag(bool& Flag) : FFlag(Flag) { FFlag = true; }
  ~TPTFlag() { FFlag = false; }

private:
  bool& FFlag;
};

// An image-list object over the system's shared small (16 x 16) or large (32 x 32) icon list, which it
// never frees.
std::unique_ptr<TCustomImageList> SysImageList(bool Large);

// The folder's order of two of its items by Column (the low 16 bits, signed); 0 when it cannot tell.
int ShellItemOrder(IShellFolder* Folder, PCUITEMID_CHILD A, PCUITEMID_CHILD B, int Column = 0);
// Whether two items of the folder are the same item. Always asked of the folder: an item-id's bytes
// change with a folder's contents under some shells while it stays the same item.
bool SameShellItem(IShellFolder* Folder, PCUITEMID_CHILD A, PCUITEMID_CHILD B);

// The folder's items (SHCONTF_* Flags), the caller's to free with CoTaskMemFree. False when the folder
// cannot be enumerated at all; End gets the enumeration's last result.
bool EnumShellItems(IShellFolder* Folder, HWND Owner, DWORD Flags, std::vector<LPITEMIDLIST>& Items,
                    HRESULT* End = nullptr);
// Matches the items a control shows against a fresh enumeration: gives the indexes of the shown items
// that are gone, and frees and clears (sets nil) the fresh items that are shown already, so that those
// left are the new ones.
std::vector<int> DiffShellItems(IShellFolder* Folder, const std::vector<PCUITEMID_CHILD>& Shown,
                                std::vector<LPITEMIDLIST>& Fresh);

// The drop target of a folder itself (its view's, which takes what is dropped into the folder); nil
// when it has none. Asked before an item's UI object: Wine's item drop targets refuse every drop.
IDropTarget* FolderDropTarget(IShellFolder* Folder, HWND Owner);

class TChangeHandlerThread;

// The drop-target side of a shell control. The item under the mouse does the work through its own
// IDropTarget; each probe gives that target a whole enter-over-leave sequence (a target never sees an
// over without its enter), and the drop gives back the mouse button the drag started with (OLE takes
// it out of the key state at the drop).
class TPTDropSite {
public:
  ~TPTDropSite() { Leave(); }
  // Keeps a reference to the data and the key state seen at the enter.
  void Enter(IDataObject* Data, DWORD KeyState);
  void Leave();
  IDataObject* Data() const { return FData; }
  DWORD KeyState() const { return FKeyState; }
  // Target's effect for the data at the point (nil target, or data whose items allow nothing: none). With
  // Over the probe goes on to DragOver.
  DWORD Probe(IDropTarget* Target, IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD Effect, bool Over);
  // Drops on Target with the drag button added back and the effect limited to what the dropped items
  // allow; the effect the target took. Data whose items allow nothing (or that is malformed) never
  // reaches the target.
  DWORD Drop(IDropTarget* Target, IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD Effect);
  // Scrolls Control at most every 100 ms while the point is near an edge (26 pixels left and right,
  // 20 top and bottom).
  void AutoScroll(TWinControl* Control, POINTL Pt);
  // Registers Control's window for drops on the target Make gives (made the first time, kept while
  // registered), or (On false) revokes the registration and lets the target go.
  void Register(TWinControl* Control, bool On, const std::function<IDropTarget*()>& Make);

private:
  IDropTarget* FTarget = nullptr;
  bool FRegistered = false;
  IDataObject* FData = nullptr;
  DWORD FKeyState = 0;
  DWORD FAllowed = 0;
  DWORD FLastScroll = 0;
};

// A change notification reached a shell control: false when it is dropped (it answers the control's own
// change) or kept for the refresh that follows the drag under way; true when the control's refresh
// timer is to start.
bool ChangeWanted(bool& IgnoreNext, bool Dragging, bool& RefreshPending);

// The end of a shell control's window: no more drops on it and no more change notifications to it, under
// its update lock so that nothing done meanwhile starts a refresh.
void EndShellWindow(TWinControl* Control, int& UpdateLock, TPTDropSite& DropSite, TChangeHandlerThread*& ChangeThread);
