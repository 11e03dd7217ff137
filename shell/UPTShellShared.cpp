#include "UPTShellShared.h"

#include <algorithm>

#include "UPTShellControls.h"
#include "UPTShellUtils.h"

std::unique_ptr<TCustomImageList> SysImageList(bool Large) {
  auto list = std::make_unique<TCustomImageList>(nullptr);
  list->SetWidth(Large ? 32 : 16);
  list->SetHeight(Large ? 32 : 16);
  list->SetShareImages(true);
  list->SetHandle(GetSysImageList(Large));
  list->SetBkColor(clNone);
  return list;
}

int ShellItemOrder(IShellFolder* Folder, PCUITEMID_CHILD A, PCUITEMID_CHILD B, int Column) {
  if (!Folder || !A || !B) return 0;
  HRESULT hr = Folder->CompareIDs(LPARAM(Column), A, B);
  return FAILED(hr) ? 0 : int(int16_t(HRESULT_CODE(hr)));
}

bool SameShellItem(IShellFolder* Folder, PCUITEMID_CHILD A, PCUITEMID_CHILD B) {
  if (!Folder) return PidlBinaryCompare(A, B) == 0;
  HRESULT hr = Folder->CompareIDs(0, A, B);
  return SUCCEEDED(hr) && HRESULT_CODE(hr) == 0;
}

bool EnumShellItems(IShellFolder* Folder, HWND Owner, DWORD Flags, std::vector<LPITEMIDLIST>& Items, HRESULT* End) {
  IEnumIDList* list = nullptr;
  HRESULT hr = Folder ? Folder->EnumObjects(Owner, Flags, &list) : E_POINTER;
  if (End) *End = hr;
  if (FAILED(hr) || !list) return false;
  LPITEMIDLIST item = nullptr;
  ULONG fetched = 0;
  while ((hr = list->Next(1, &item, &fetched)) == S_OK && fetched == 1) {
    Items.push_back(item);
    item = nullptr;
  }
  list->Release();
  if (End) *End = hr;
  return true;
}

std::vector<int> DiffShellItems(IShellFolder* Folder, const std::vector<PCUITEMID_CHILD>& Shown,
                                std::vector<LPITEMIDLIST>& Fresh) {
  // The shown items sorted in the folder's order, each with its index; every fresh item is looked up by
  // binary search, so that a refresh costs n log n comparisons, not n * n.
  TPTPidlList old;
  old.SetFolder(Folder);
  old.SetDuplicates(dupAccept);
  for (size_t i = 0; i < Shown.size(); ++i)
    old.AddObject(const_cast<LPITEMIDLIST>(reinterpret_cast<PCIDLIST_ABSOLUTE>(Shown[i])), reinterpret_cast<void*>(i));
  old.SetSorted(true);
  std::vector<bool> kept(Shown.size(), false);
  for (auto it = Fresh.rbegin(); it != Fresh.rend(); ++it) {
    if (!*it) continue;
    int at;
    if (!old.Find(*it, at)) continue;
    // Equal items (which a folder should not have) are matched one to one.
    for (; at < old.Count() && SameShellItem(Folder, reinterpret_cast<PCUITEMID_CHILD>(old.Pidls(at)), *it); ++at) {
      size_t shown = reinterpret_cast<size_t>(old.Objects(at));
      if (kept[shown]) continue;
      kept[shown] = true;
      CoTaskMemFree(*it);
      *it = nullptr;
      break;
    }
  }
  std::vector<int> gone;
  for (size_t i = 0; i < Shown.size(); ++i)
    if (!kept[i]) gone.push_back(int(i));
  return gone;
}

IDropTarget* FolderDropTarget(IShellFolder* Folder, HWND Owner) {
  IDropTarget* target = nullptr;
  if (!Folder || FAILED(Folder->CreateViewObject(Owner, IID_IDropTarget, reinterpret_cast<void**>(&target)))) return nullptr;
  return target;
}

// ---------------------------------------------------------------------------------------------------

void TPTDropSite::Enter(IDataObject* Data, DWORD KeyState) {
  FLastScroll = GetTickCount();
  if (Data) Data->AddRef();
  if (FData) FData->Release();
  FData = Data;
  FKeyState = KeyState;
  FAllowed = AllowedEffects(Data);
}

void TPTDropSite::Leave() {
  if (FData) FData->Release();
  FData = nullptr;
}

DWORD TPTDropSite::Probe(IDropTarget* Target, IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD Effect, bool Over) {
  if (!Target || !Data || FAllowed == DROPEFFECT_NONE) return DROPEFFECT_NONE;
  DWORD effect = Effect;
  Target->DragEnter(Data, KeyState, Pt, &effect);
  if (Over) {
    effect = Effect;
    Target->DragOver(KeyState, Pt, &effect);
  }
  Target->DragLeave();
  return effect;
}

DWORD TPTDropSite::Drop(IDropTarget* Target, IDataObject* Data, DWORD KeyState, POINTL Pt, DWORD Effect) {
  if (!Target || !Data) return DROPEFFECT_NONE;
  DWORD allowed = Effect & AllowedEffects(Data);
  if (allowed == DROPEFFECT_NONE) return DROPEFFECT_NONE;
  DWORD keys = KeyState | (FKeyState & (MK_LBUTTON | MK_RBUTTON));
  DWORD effect = Effect;
  Target->DragEnter(Data, keys, Pt, &effect);
  effect = Effect;
  Target->DragOver(keys, Pt, &effect);
  effect = allowed;
  if (FAILED(Target->Drop(Data, keys, Pt, &effect))) return DROPEFFECT_NONE;
  // The source learns only what was done: an answer naming several effects says nothing about which
  // one happened, and a source that honours "move" by deleting its originals would lose them.
  effect &= allowed & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
  return (effect & (effect - 1)) ? DROPEFFECT_NONE : effect;
}

void TPTDropSite::Register(TWinControl* Control, bool On, const std::function<IDropTarget*()>& Make) {
  if (On) {
    if (FRegistered || !Control->HandleAllocated()) return;
    if (!FTarget) FTarget = Make();
    FRegistered = SUCCEEDED(RegisterDragDrop(Control->Handle(), FTarget));
    return;
  }
  if (FRegistered && Control->HandleAllocated()) RevokeDragDrop(Control->Handle());
  FRegistered = false;
  if (FTarget) FTarget->Release();
  FTarget = nullptr;
}

bool ChangeWanted(bool& IgnoreNext, bool Dragging, bool& RefreshPending) {
  if (IgnoreNext) {
    IgnoreNext = false;
    return false;
  }
  // A change while a menu or a drag is up is kept for the refresh that follows it.
  if (Dragging) {
    RefreshPending = true;
    return false;
  }
  return true;
}

void EndShellWindow(TWinControl* Control, int& UpdateLock, TPTDropSite& DropSite, TChangeHandlerThread*& ChangeThread) {
  TPTLock lock(UpdateLock);
  DropSite.Register(Control, false, nullptr);
  delete ChangeThread;
  ChangeThread = nullptr;
}

void TPTDropSite::AutoScroll(TWinControl* Control, POINTL Pt) {
  DWORD now = GetTickCount();
  if (now - FLastScroll < 100) return;
  POINT p = Control->ScreenToClient(POINT{Pt.x, Pt.y});
  RECT r;
  ::GetClientRect(Control->Handle(), &r);
  bool scrolled = false;
  if (p.x < r.left + 26) ScrollControl(Control, SB_HORZ, SB_LINELEFT), scrolled = true;
  else if (p.x > r.right - 26) ScrollControl(Control, SB_HORZ, SB_LINERIGHT), scrolled = true;
  if (p.y < r.top + 20) ScrollControl(Control, SB_VERT, SB_LINEUP), scrolled = true;
  else if (p.y > r.bottom - 20) ScrollControl(Control, SB_VERT, SB_LINEDOWN), scrolled = true;
  if (scrolled) FLastScroll = now;
}
