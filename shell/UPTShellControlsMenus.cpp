// Context menus, verbs, Send To, new folders, shortcuts and the small routines the shell tree and list
// share.
#include <algorithm>
#include <cstring>

#include "Dialogs.h"
#include "Forms.h"
#include "UPTShellControls.h"

namespace {

const char* const KeyNames[9] = {"Space", "PgUp", "PgDn", "End", "Home", "Left", "Up", "Right", "Down"};

std::string Lower(std::string S) {
  for (char& c : S) c = char(tolower(BYTE(c)));
  return S;
}

bool StartsWithNoCase(const std::string& S, const std::string& Prefix) {
  return S.size() >= Prefix.size() && Lower(S.substr(0, Prefix.size())) == Lower(Prefix);
}

// The shell's GCS_VERBA or GCS_HELPTEXTA text of a command offset ('' when it has none).
std::string CommandString(IContextMenu* Menu, UINT Offset, UINT Kind) {
  char buf[262] = {};
  if (FAILED(Menu->GetCommandString(Offset, Kind, nullptr, buf, 261))) return {};
  buf[261] = 0;
  return buf;
}

// Calls Visit(item id, submenu) for every item of Menu and its submenus.
template <class F>
void WalkMenu(HMENU Menu, F Visit) {
  int n = GetMenuItemCount(Menu);
  for (int i = 0; i < n; ++i) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(Menu, UINT(i), TRUE, &mii)) continue;
    Visit(mii.wID, mii.hSubMenu);
    if (mii.hSubMenu) WalkMenu(mii.hSubMenu, Visit);
  }
}

HFONT MenuFont() {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  return CreateFontIndirectA(&ncm.lfMenuFont);
}

// The letter a menu text answers to: the one after '&', else its first.
char Mnemonic(const std::string& Text) {
  size_t amp = Text.find('&');
  if (amp != std::string::npos && amp + 1 < Text.size()) return char(toupper(BYTE(Text[amp + 1])));
  return Text.empty() ? 0 : char(toupper(BYTE(Text[0])));
}

}  // namespace

// ---------------------------------------------------------------------------------------------------

std::string UPTShellControls::ShortCutToText(TShortCut ShortCut) {
  uint16_t key = ShortCut & uint16_t(~(scShift | scCtrl | scAlt));
  std::string name;
  if (key == 8) name = "BkSp";
  else if (key == 9) name = "Tab";
  else if (key == 13) name = "Enter";
  else if (key == 27) name = "Esc";
  else if (key >= 32 && key <= 40) name = KeyNames[key - 32];
  else if (key == 45) name = "Ins";
  else if (key == 46) name = "Del";
  else if ((key >= 48 && key <= 57) || (key >= 65 && key <= 90)) name = std::string(1, char(key));
  else if (key >= 96 && key <= 105) name = std::string(1, char('0' + key - 96));
  else if (key >= 112 && key <= 135) name = "F" + std::to_string(key - 111);
  else if (key != 0) name = "#" + std::to_string(key);
  if (name.empty()) return {};
  std::string prefix;
  if (ShortCut & scShift) prefix += "Shift+";
  if (ShortCut & scCtrl) prefix += "Ctrl+";
  if (ShortCut & scAlt) prefix += "Alt+";
  return prefix + name;
}

TShortCut UPTShellControls::TextToShortCut(const std::string& Text) {
  std::string rest = Text;
  TShortCut shift = 0;
  for (bool again = true; again;) {
    again = false;
    if (StartsWithNoCase(rest, "Shift+")) {
      shift |= scShift;
      rest.erase(0, 6);
      again = true;
    } else if (StartsWithNoCase(rest, "Ctrl+")) {
      shift |= scCtrl;
      rest.erase(0, 5);
      again = true;
    } else if (StartsWithNoCase(rest, "^")) {
      shift |= scCtrl;
      rest.erase(0, 1);
      again = true;
    } else if (StartsWithNoCase(rest, "Alt+")) {
      shift |= scAlt;
      rest.erase(0, 4);
      again = true;
    }
  }
  if (rest.empty()) return 0;
  std::string want = Lower(rest);
  for (uint16_t key = 8; key <= 597; ++key)
    if (Lower(ShortCutToText(key)) == want) return TShortCut(key | shift);
  return 0;
}

TShortCut PTShellShortCut(TPTShellCommandKey Command) {
  static const TShortCut Keys[] = {
      UPTShellControls::TextToShortCut(PTLoadStr(sPTShortCutSelectAll)),
      UPTShellControls::TextToShortCut(PTLoadStr(sPTShortCutDelete)),
      UPTShellControls::TextToShortCut(PTLoadStr(sPTShortCutCopy)),
      UPTShellControls::TextToShortCut(PTLoadStr(sPTShortCutCut)),
      UPTShellControls::TextToShortCut(PTLoadStr(sPTShortCutPaste)),
      UPTShellControls::TextToShortCut("F5"),
      UPTShellControls::TextToShortCut("F2"),
  };
  return Keys[Command];
}

// ---------------------------------------------------------------------------------------------------

HRESULT SplitPidl(PCIDLIST_ABSOLUTE Pidl, LPITEMIDLIST& ParentPidl, LPITEMIDLIST& ChildPidl) {
  ParentPidl = ChildPidl = nullptr;
  struct TOwn {
    LPITEMIDLIST P = nullptr;
    ~TOwn() { ShellFree(P); }
  } own;
  if (!Pidl || PidlItemCount(Pidl) == 0) {
    // The desktop itself: split its own file-system path instead.
    LPITEMIDLIST desktop = nullptr;
    HRESULT hr = PathToPidl(PidlToPath(nullptr), desktop);
    if (FAILED(hr)) return hr;
    own.P = desktop;
    Pidl = desktop;
  }
  int n = PidlItemCount(Pidl);
  if (n == 0) return E_INVALIDARG;   // the desktop had no path of its own to split
  TPTIdListArray parts(Pidl);
  ChildPidl = PidlCopy(nullptr, parts.Item(n - 1));
  if (n > 1) ParentPidl = PidlCopy(nullptr, parts.LeadingPart(1));
  if (!ChildPidl || (n > 1 && !ParentPidl)) {
    ShellFree(ChildPidl);
    ShellFree(ParentPidl);
    ParentPidl = ChildPidl = nullptr;
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT SplitPidl(PCIDLIST_ABSOLUTE Pidl, IShellFolder*& Folder, LPITEMIDLIST& ParentPidl, LPITEMIDLIST& ChildPidl) {
  Folder = nullptr;
  HRESULT hr = SplitPidl(Pidl, ParentPidl, ChildPidl);
  if (FAILED(hr)) return hr;
  hr = GetShellFolder(ParentPidl, Folder);
  if (FAILED(hr)) {
    ShellFree(ParentPidl);
    ShellFree(ChildPidl);
    ParentPidl = ChildPidl = nullptr;
  }
  return hr;
}

HRESULT GetUIObjectOfPidl(PCIDLIST_ABSOLUTE Pidl, REFIID Iid, void** Obj) {
  *Obj = nullptr;
  IShellFolder* folder = nullptr;
  LPITEMIDLIST parent = nullptr, child = nullptr;
  HRESULT hr = SplitPidl(Pidl, folder, parent, child);
  if (FAILED(hr)) return hr;
  PCUITEMID_CHILD items[1] = {child};
  hr = folder->GetUIObjectOf(nullptr, 1, items, Iid, nullptr, Obj);
  if (FAILED(hr)) *Obj = nullptr;
  folder->Release();
  ShellFree(parent);
  ShellFree(child);
  return hr;
}

// ---------------------------------------------------------------------------------------------------

int FindVerbCommand(IContextMenu* Menu, const std::string& Verb) {
  if (!Menu) return -1;
  HMENU scratch = CreatePopupMenu();
  int found = -1;
  if (SUCCEEDED(Menu->QueryContextMenu(scratch, 0, PTFirstShellCommand, PTLastShellCommand, CMF_EXPLORE))) {
    std::string want = Lower(Verb);
    WalkMenu(scratch, [&](UINT Id, HMENU Sub) {
      if (found >= 0 || Sub || Id < PTFirstShellCommand || Id > PTLastShellCommand) return;
      if (Lower(CommandString(Menu, Id - PTFirstShellCommand, GCS_VERBA)) == want) found = int(Id - PTFirstShellCommand);
    });
  }
  DestroyMenu(scratch);
  return found;
}

HRESULT InvokeMenuCommand(IContextMenu* Menu, HWND Owner, UINT Offset) {
  if (!Menu) return E_POINTER;
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = Owner;
  info.lpVerb = MAKEINTRESOURCEA(Offset);
  info.nShow = SW_SHOWNORMAL;
  return Menu->InvokeCommand(&info);
}

HRESULT InvokeMenuCommand(IContextMenu* Menu, HWND Owner, const std::string& Verb) {
  int offset = FindVerbCommand(Menu, Verb);
  // An unknown verb must not fall back to the first command (offset 0): nothing runs.
  if (offset < 0) return E_INVALIDARG;
  return InvokeMenuCommand(Menu, Owner, UINT(offset));
}

// ---------------------------------------------------------------------------------------------------

TPTShellContextMenu::TPTShellContextMenu() {
  FWnd = AllocateHWnd(TWndMethod(this, &TPTShellContextMenu::WndProc));
}

TPTShellContextMenu::~TPTShellContextMenu() {
  Clear();
  DeallocateHWnd(FWnd);
}

void TPTShellContextMenu::Clear() {
  if (FHandle) DestroyMenu(FHandle);
  FHandle = FSendTo = nullptr;
  if (FMenu2) FMenu2->Release();
  if (FMenu) FMenu->Release();
  if (FFolder) FFolder->Release();
  FMenu2 = nullptr;
  FMenu = nullptr;
  FFolder = nullptr;
  for (LPITEMIDLIST p : FItems) ShellFree(p);
  FItems.clear();
  FSendToEntries.clear();
  FSendToNames.clear();
}

bool TPTShellContextMenu::Build(HWND Owner, IShellFolder* Folder, const std::vector<PCUITEMID_CHILD>& Items, UINT Flags) {
  Clear();
  if (!Folder || Items.empty()) return false;
  IContextMenu* menu = nullptr;
  if (FAILED(Folder->GetUIObjectOf(Owner, UINT(Items.size()), const_cast<PCUITEMID_CHILD*>(Items.data()),
                                   IID_IContextMenu, nullptr, reinterpret_cast<void**>(&menu))) ||
      !menu)
    return false;
  TScopeExit release([&] { menu->Release(); });
  Build(Owner, menu, Flags);
  FFolder = Folder;
  FFolder->AddRef();
  for (PCUITEMID_CHILD p : Items) FItems.push_back(PidlCopy(nullptr, p));
  return true;
}

void TPTShellContextMenu::Build(HWND Owner, IContextMenu* Menu, UINT Flags) {
  Clear();
  FOwner = Owner;
  FMenu = Menu;
  FMenu->AddRef();
  FHandle = CreatePopupMenu();
  HRESULT hr = FMenu->QueryContextMenu(FHandle, 0, PTFirstShellCommand, PTLastShellCommand, Flags);
  if (FAILED(hr)) {
    Clear();
    OleCheck(hr);
  }
  FMenu->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&FMenu2));
  FindSendToMenu();
}

std::vector<std::string> TPTShellContextMenu::Verbs() const {
  std::vector<std::string> verbs;
  if (!FHandle) return verbs;
  WalkMenu(FHandle, [&](UINT Id, HMENU Sub) {
    if (Sub || Id < PTFirstShellCommand || Id > PTLastShellCommand) return;
    std::string v = CommandString(FMenu, Id - PTFirstShellCommand, GCS_VERBA);
    if (!v.empty()) verbs.push_back(v);
  });
  return verbs;
}

void TPTShellContextMenu::FindSendToMenu() {
  // The shell's Send To submenu is the popup whose own command is the verb "sendto"; other submenus
  // may also begin with a disabled item and must be left alone.
  FSendTo = nullptr;
  int n = GetMenuItemCount(FHandle);
  for (int i = 0; i < n && !FSendTo; ++i) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(FHandle, UINT(i), TRUE, &mii) || !mii.hSubMenu) continue;
    if (mii.wID >= PTFirstShellCommand && mii.wID <= PTLastShellCommand &&
        Lower(CommandString(FMenu, mii.wID - PTFirstShellCommand, GCS_VERBA)) == "sendto")
      FSendTo = mii.hSubMenu;
  }
}

void TPTShellContextMenu::FillSendTo(HMENU Menu) {
  if (!FSendToEntries.empty()) return;
  MENUITEMINFOA first{};
  first.cbSize = sizeof first;
  first.fMask = MIIM_STATE;
  if (GetMenuItemCount(Menu) > 0 && GetMenuItemInfoA(Menu, 0, TRUE, &first) && (first.fState & MFS_DISABLED))
    DeleteMenu(Menu, 0, MF_BYPOSITION);
  std::string folder = GetSpecialFolderPath(FOwner, CSIDL_SENDTO);
  if (folder.empty()) return;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((AddDelimiter(folder, '\\') + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (int(FSendToEntries.size()) >= MaxSendToEntries) break;   // further numbers would be shell commands
    std::string full = AddDelimiter(folder, '\\') + name;
    SHFILEINFOA info{};
    int icon = SHGetFileInfoA(full.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON) ? info.iIcon : -1;
    size_t dot = name.rfind('.');
    std::string shown = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    FSendToEntries.push_back({name, shown, icon});
    FSendToNames.push_back(shown);
    AppendMenuA(Menu, MF_OWNERDRAW, UINT_PTR(FSendToEntries.size()), reinterpret_cast<LPCSTR>(FSendToEntries.size()));
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

bool TPTShellContextMenu::HandleMenuMessage(TMessage& Message) {
  switch (Message.Msg) {
    case WM_INITMENUPOPUP:  WMInitMenuPopup(Message); return true;
    case WM_MEASUREITEM:    return WMMeasureItem(Message);
    case WM_DRAWITEM:       return WMDrawItem(Message);
    case WM_MENUCHAR:       return WMMenuChar(Message);
    case WM_MENUSELECT:     WMMenuSelect(Message); return true;
  }
  return false;
}

// The shell draws and fills its own items (and submenus) through its second interface.
void TPTShellContextMenu::PassToShell(TMessage& Message) {
  if (FMenu2) FMenu2->HandleMenuMsg(Message.Msg, Message.WParam, Message.LParam);
}

void TPTShellContextMenu::WMInitMenuPopup(TMessage& Message) {
  PassToShell(Message);
  HMENU sub = reinterpret_cast<HMENU>(Message.WParam);
  if (IsSendToMenu(sub)) FillSendTo(sub);
}

bool TPTShellContextMenu::WMMeasureItem(TMessage& Message) {
  auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  if (mi->CtlType != ODT_MENU) return false;
  if (mi->itemID >= PTFirstShellCommand) {
    PassToShell(Message);
  } else if (mi->itemID >= 1 && mi->itemID <= FSendToEntries.size()) {
    ScreenDC screen;
    TGdiObject<HFONT> font(MenuFont());
    TSelectObject select(screen.DC, font.Handle);
    const std::string& text = FSendToEntries[mi->itemID - 1].Name;
    SIZE sz{};
    GetTextExtentPoint32A(screen.DC, text.c_str(), int(text.size()), &sz);
    mi->itemWidth = UINT(sz.cx + 32);
    mi->itemHeight = UINT(GetSystemMetrics(SM_CYMENU) + 2);
  }
  Message.Result = TRUE;
  return true;
}

bool TPTShellContextMenu::WMDrawItem(TMessage& Message) {
  auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (di->CtlType != ODT_MENU) return false;
  if (di->itemID >= PTFirstShellCommand) PassToShell(Message);
  else DrawSendToItem(di);
  Message.Result = TRUE;
  return true;
}

// A Send To entry: its icon and name on the menu's (or the selection's) colours.
void TPTShellContextMenu::DrawSendToItem(DRAWITEMSTRUCT* Item) {
  bool selected = Item->itemState & ODS_SELECTED;
  HBRUSH brush = GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
  FillRect(Item->hDC, &Item->rcItem, brush);
  if (Item->itemID < 1 || Item->itemID > FSendToEntries.size()) return;
  const TSendToEntry& e = FSendToEntries[Item->itemID - 1];
  RECT r = Item->rcItem;
  {
    TGdiObject<HFONT> font(MenuFont());
    TSelectObject select(Item->hDC, font.Handle);
    SetBkMode(Item->hDC, TRANSPARENT);
    SetTextColor(Item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    ExtTextOutA(Item->hDC, r.left + 32, r.top + 2, ETO_CLIPPED, &r, e.Name.c_str(), UINT(e.Name.size()), nullptr);
  }
  if (e.Icon >= 0) ImageList_Draw(GetSysImageList(false), e.Icon, Item->hDC, r.left + 8, r.top + 2, ILD_TRANSPARENT);
}

bool TPTShellContextMenu::WMMenuChar(TMessage& Message) {
  HMENU menu = reinterpret_cast<HMENU>(Message.LParam);
  if (!IsSendToMenu(menu)) return false;
  char key = char(toupper(LOWORD(Message.WParam) & 0xFF));
  std::vector<int> hits;
  for (size_t i = 0; i < FSendToEntries.size(); ++i)
    if (Mnemonic(FSendToEntries[i].Name) == key) hits.push_back(int(i));
  if (hits.empty()) {
    Message.Result = MAKELRESULT(0, MNC_IGNORE);
    return true;
  }
  // Other items may come before the entries: answer with the first hit's position in the menu.
  int position = 0;
  for (int n = GetMenuItemCount(menu); position < n; ++position)
    if (GetMenuItemID(menu, position) == UINT(hits[0] + 1)) break;
  Message.Result = MAKELRESULT(position, hits.size() == 1 ? MNC_EXECUTE : MNC_SELECT);
  return true;
}

void TPTShellContextMenu::WMMenuSelect(TMessage& Message) {
  UINT id = LOWORD(Message.WParam), flags = HIWORD(Message.WParam);
  if (id >= PTFirstShellCommand && !(flags & (MF_POPUP | MF_SYSMENU)) && flags != 0xFFFF && FMenu) {
    std::string help = CommandString(FMenu, id - PTFirstShellCommand, GCS_HELPTEXTA);
    if (OnHint) OnHint(this, help);
  }
}

void TPTShellContextMenu::WndProc(TMessage& Message) {
  if (HandleMenuMessage(Message)) return;
  Message.Result = DefWindowProcA(FWnd, Message.Msg, Message.WParam, Message.LParam);
}

UINT TPTShellContextMenu::Track(int X, int Y) {
  if (!FHandle) return 0;
  SetForegroundWindow(FWnd);
  UINT cmd = UINT(TrackPopupMenu(FHandle, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, X, Y, 0, FWnd, nullptr));
  PostMessageA(FWnd, WM_NULL, 0, 0);
  return cmd;
}

HRESULT TPTShellContextMenu::Execute(UINT Command) {
  if (!FMenu || Command == 0) return E_INVALIDARG;
  if (Command >= PTFirstShellCommand) return InvokeMenuCommand(FMenu, FOwner, Command - PTFirstShellCommand);
  if (Command > FSendToEntries.size() || !FFolder) return E_INVALIDARG;
  IDataObject* data = nullptr;
  HRESULT hr = FFolder->GetUIObjectOf(FOwner, UINT(FItems.size()), const_cast<PCUITEMID_CHILD*>(FItems.data()),
                                      IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
  if (FAILED(hr)) return hr;
  hr = SendToDrop(FSendToEntries[Command - 1].FileName, data);
  data->Release();
  return hr;
}

// ---------------------------------------------------------------------------------------------------

HRESULT SendToDrop(const std::string& Name, IDataObject* Data) {
  LPITEMIDLIST sendTo = nullptr;
  HRESULT hr = GetSpecialFolderPidl(nullptr, CSIDL_SENDTO, sendTo);
  if (FAILED(hr)) return hr;
  IShellFolder* folder = nullptr;
  hr = GetShellFolder(sendTo, folder);
  ShellFree(sendTo);
  if (FAILED(hr)) return hr;
  std::wstring w(size_t(MultiByteToWideChar(CP_ACP, 0, Name.c_str(), -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, Name.c_str(), -1, w.data(), int(w.size()));
  LPITEMIDLIST item = nullptr;
  ULONG eaten = 0;
  hr = folder->ParseDisplayName(nullptr, nullptr, w.data(), &eaten, &item, nullptr);
  IDropTarget* target = nullptr;
  if (SUCCEEDED(hr)) {
    PCUITEMID_CHILD items[1] = {item};
    hr = folder->GetUIObjectOf(nullptr, 1, items, IID_IDropTarget, nullptr, reinterpret_cast<void**>(&target));
  }
  if (SUCCEEDED(hr) && target) {
    POINTL pt{0, 0};
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    hr = target->DragEnter(Data, MK_LBUTTON, pt, &effect);
    if (SUCCEEDED(hr)) hr = target->DragOver(MK_LBUTTON, pt, &effect);
    if (SUCCEEDED(hr)) hr = target->Drop(Data, MK_LBUTTON, pt, &effect);
    target->Release();
  }
  ShellFree(item);
  folder->Release();
  return hr;
}

namespace {
// Whether the item list at Offset of a block of Size bytes ends inside the block: every item's byte count
// and the terminator must lie within it.
bool PidlInside(const BYTE* Block, uint64_t Size, uint64_t Offset) {
  for (uint64_t at = Offset; at + sizeof(USHORT) <= Size;) {
    USHORT cb;
    std::memcpy(&cb, Block + at, sizeof cb);
    if (cb == 0) return true;
    if (cb < sizeof(USHORT)) return false;
    at += cb;
  }
  return false;
}

// The offsets of a "Shell IDList Array" block's lists (the parent's first, then each child's); empty when
// the block is malformed. The block may come from any program that drags over us, so every count and
// offset is checked in 64-bit arithmetic (none can wrap) and every list must end inside the block.
std::vector<uint64_t> CidaLists(const BYTE* Block, uint64_t Size) {
  if (!Block || Size < sizeof(UINT)) return {};
  UINT count;
  std::memcpy(&count, Block, sizeof count);
  if (sizeof(UINT) * (uint64_t(count) + 2) > Size) return {};
  std::vector<uint64_t> lists(uint64_t(count) + 1);
  for (uint64_t i = 0; i < lists.size(); ++i) {
    UINT o;
    std::memcpy(&o, Block + sizeof(UINT) * (1 + i), sizeof o);
    if (!PidlInside(Block, Size, o)) return {};
    lists[i] = o;
  }
  return lists;
}
}  // namespace

DWORD AllowedEffects(IDataObject* Data) {
  const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  if (!Data) return all;
  FORMATETC fe{CLIPFORMAT(PTShellIDListFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(Data->GetData(&fe, &medium))) return all;
  auto* cida = medium.tymed == TYMED_HGLOBAL ? static_cast<const BYTE*>(GlobalLock(medium.hGlobal)) : nullptr;
  std::vector<uint64_t> lists = CidaLists(cida, cida ? GlobalSize(medium.hGlobal) : 0);
  // A malformed block is refused whole.
  DWORD effects = lists.empty() ? DROPEFFECT_NONE : all;
  IShellFolder* folder = nullptr;
  if (!lists.empty() && SUCCEEDED(GetShellFolder(reinterpret_cast<PCIDLIST_ABSOLUTE>(cida + lists[0]), folder))) {
    for (size_t i = 1; i < lists.size(); ++i) {
      PCUITEMID_CHILD child = reinterpret_cast<PCUITEMID_CHILD>(cida + lists[i]);
      SFGAOF attrs = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK;
      if (SUCCEEDED(folder->GetAttributesOf(1, &child, &attrs))) effects &= attrs & all;
    }
    folder->Release();
  }
  if (cida) GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return effects;
}

// ---------------------------------------------------------------------------------------------------

std::string CreateUniqueFolder(const std::string& Parent) {
  // No path means a virtual folder: a new folder there would land in whatever the current directory is.
  if (Parent.empty()) return {};
  std::string base = AddDelimiter(Parent, '\\');
  std::string newFolder = PTLoadStr(sPTNewFolder);
  auto warn = [&](DWORD Code, const std::string& Full) {
    MessageDlg(FormatStrPos(PTLoadStr(sPTCreateFolderError), {SysErrorMessage(Code), Full}), mtWarning, {mbOK});
  };
  for (int form = 0; form < 2; ++form) {
    for (int i = 1; i <= 50; ++i) {
      std::string name = form == 0 ? (i == 1 ? newFolder : newFolder + Format(" (%d)", i))
                                   : (i == 1 ? std::string("fldr") : "fldr" + std::to_string(i));
      if (CreateDirectoryA((base + name).c_str(), nullptr)) return name;
      DWORD err = GetLastError();
      if (err != ERROR_ALREADY_EXISTS) {
        warn(err, base + name);
        return {};
      }
    }
  }
  warn(ERROR_ALREADY_EXISTS, newFolder);
  return {};
}

void ScrollControl(TWinControl* Control, int Bar, int Code) {
  if (!Control || !Control->HandleAllocated()) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(Control->Handle(), Bar == 0 ? SB_HORZ : SB_VERT, &si)) return;
  if ((si.nMax - si.nMin + 1) - int(si.nPage) > 0) Control->Perform(Bar == 0 ? WM_HSCROLL : WM_VSCROLL, WPARAM(Code), 0);
}

void DragScroll(TWinControl* Control, int Bar, int LineCode, int PageCode) {
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  if (lines == WHEEL_PAGESCROLL) {
    ScrollControl(Control, Bar, PageCode);
    return;
  }
  if (Bar == 0) lines = 1;
  for (UINT i = 0; i < lines; ++i) ScrollControl(Control, Bar, LineCode);
}

void ShowWaitCursor(int Ms) {
  Screen->SetCursor(crHourGlass);
  Sleep(DWORD(Ms));
}

HWND ControlWindow(TControl* Control) {
  TCustomForm* form = Control ? Control->GetParentForm() : nullptr;
  return form && form->HandleAllocated() ? form->Handle() : nullptr;
}

void SetWindowStyleBits(HWND Wnd, LONG Bits, bool On) {
  LONG style = GetWindowLongA(Wnd, GWL_STYLE);
  LONG want = On ? style | Bits : style & ~Bits;
  if (want != style) SetWindowLongA(Wnd, GWL_STYLE, want);
}

bool IsLongerThanRoot(const std::string& Path) {
  if (Path.size() <= 3) return false;
  return !(IsDBCSLeadByte(BYTE(Path[0])) && Path[1] == ':');
}

TDateTime FileTimeToDateTimeLocal(const FILETIME& Time) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&Time, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
  return SystemTimeToDateTime(st);
}

void RaiseSystemError(DWORD Code) { throw Exception(SysErrorMessage(Code)); }
