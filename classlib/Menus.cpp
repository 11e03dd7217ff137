#include "Menus.h"

#include <algorithm>
#include <unordered_map>

#include "Forms.h"
#include "ImgList.h"

#include <commctrl.h>

void InstallMenusFormHook();

// ---------------------------------------------------------------------------------------------------
// Shortcuts

TShortCut ShortCut(uint16_t Key, TShiftState Shift) {
  if (Key & 0xE000) return 0;
  TShortCut r = Key;
  if (Shift.Contains(ssShift)) r |= scShift;
  if (Shift.Contains(ssCtrl)) r |= scCtrl;
  if (Shift.Contains(ssAlt)) r |= scAlt;
  return r;
}

void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift) {
  Key = ShortCut & 0x1FFF;
  Shift = {};
  if (ShortCut & scShift) Shift.Include(ssShift);
  if (ShortCut & scCtrl) Shift.Include(ssCtrl);
  if (ShortCut & scAlt) Shift.Include(ssAlt);
}

namespace {
std::string KeyName(unsigned key) {
  static const char* const names32[] = {"Space", "PgUp", "PgDn", "End", "Home", "Left", "Up", "Right", "Down"};
  switch (key) {
    case 0: return "";
    case 8: return "BkSp";
    case 9: return "Tab";
    case 13: return "Enter";
    case 27: return "Esc";
    case 45: return "Ins";
    case 46: return "Del";
  }
  if (key >= 32 && key <= 40) return names32[key - 32];
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
  if (key >= 96 && key <= 105) return std::string(1, char('0' + key - 96));
  if (key >= 112 && key <= 135) return "F" + std::to_string(key - 111);
  return "#" + std::to_string(key);
}

bool StartsNoCase(const std::string& s, const char* prefix) {
  size_t n = strlen(prefix);
  return s.size() >= n && CompareText(s.substr(0, n), prefix) == 0;
}
}  // namespace

std::string ShortCutToText(TShortCut ShortCut) {
  std::string name = KeyName(ShortCut & 0x1FFF);
  if (name.empty()) return "";
  std::string r;
  if (ShortCut & scShift) r += "Shift+";
  if (ShortCut & scCtrl) r += "Ctrl+";
  if (ShortCut & scAlt) r += "Alt+";
  return r + name;
}

TShortCut TextToShortCut(std::string Text) {
  TShortCut shift = 0;
  for (;;) {
    if (StartsNoCase(Text, "Shift+")) {
      shift |= scShift;
      Text.erase(0, 6);
    } else if (StartsNoCase(Text, "Ctrl+")) {
      shift |= scCtrl;
      Text.erase(0, 5);
    } else if (StartsNoCase(Text, "^")) {
      shift |= scCtrl;
      Text.erase(0, 1);
    } else if (StartsNoCase(Text, "Alt+")) {
      shift |= scAlt;
      Text.erase(0, 4);
    } else {
      break;
    }
  }
  if (Text.empty()) return 0;
  for (unsigned key = 8; key <= 597; ++key)
    if (CompareText(KeyName(key), Text) == 0) return TShortCut(key | shift);
  return 0;
}

TShortCut ShortCutFromMessage(const TWMKey& Message) {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if ((Message.KeyData() & 0x20000000) || GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  return ShortCut(Message.CharCode(), shift);
}

std::string StripHotkey(const std::string& Text) {
  std::string r;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '&') {
      if (i + 1 < Text.size() && Text[i + 1] == '&') {
        r += '&';
        ++i;
      }
      continue;
    }
    r += Text[i];
  }
  return r;
}

char GetHotkey(const std::string& Text) {
  for (size_t i = 0; i + 1 < Text.size(); ++i) {
    if (Text[i] != '&') continue;
    if (Text[i + 1] == '&') {
      ++i;
      continue;
    }
    return char(toupper(static_cast<unsigned char>(Text[i + 1])));
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------------
// Command ids of menu items

namespace {
std::unordered_map<UINT, TMenuItem*>& Commands() {
  static std::unordered_map<UINT, TMenuItem*> map;
  return map;
}

UINT NewCommand(TMenuItem* item) {
  static UINT next = 100;
  auto& map = Commands();
  // Ids are 16 bits in WM_COMMAND; skip ids still in use after a wrap.
  do {
    next = next >= 0xEFFF ? 100 : next + 1;
  } while (map.count(next));
  map[next] = item;
  return next;
}
}  // namespace

TMenuItem* FindMenuItem(UINT Command) {
  auto& map = Commands();
  auto it = map.find(Command);
  return it == map.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------------------
// Action link of a menu item

TMenuActionLink::TMenuActionLink(TMenuItem* AClient) : TActionLink(AClient), FClient(AClient) {}

#define YOZ_LINKED(Prop, Expr)                                 \
  bool TMenuActionLink::Is##Prop##Linked() {                   \
    auto* a = dynamic_cast<TCustomAction*>(FAction);           \
    return a && (Expr);                                        \
  }
YOZ_LINKED(Caption, FClient->Caption() == a->Caption())
YOZ_LINKED(Checked, FClient->Checked() == a->Checked())
YOZ_LINKED(Enabled, FClient->Enabled() == a->Enabled())
YOZ_LINKED(HelpContext, FClient->HelpContext() == a->HelpContext())
YOZ_LINKED(Hint, FClient->Hint() == a->Hint())
YOZ_LINKED(ImageIndex, FClient->ImageIndex() == a->ImageIndex())
YOZ_LINKED(ShortCut, FClient->ShortCut() == a->ShortCut())
YOZ_LINKED(Visible, FClient->Visible() == a->Visible())
#undef YOZ_LINKED

bool TMenuActionLink::IsOnExecuteLinked() { return FAction && FClient->OnClick == FAction->OnExecute(); }
void TMenuActionLink::SetCaption(const std::string& Value) { FClient->SetCaption(Value); }
void TMenuActionLink::SetChecked(bool Value) { FClient->SetChecked(Value); }
void TMenuActionLink::SetEnabled(bool Value) { FClient->SetEnabled(Value); }
void TMenuActionLink::SetHelpContext(THelpContext Value) { FClient->SetHelpContext(Value); }
void TMenuActionLink::SetHint(const std::string& Value) { FClient->SetHint(Value); }
void TMenuActionLink::SetImageIndex(int32_t Value) { FClient->SetImageIndex(Value); }
void TMenuActionLink::SetShortCut(TShortCut Value) { FClient->SetShortCut(Value); }
void TMenuActionLink::SetVisible(bool Value) { FClient->SetVisible(Value); }
void TMenuActionLink::SetOnExecute(const TNotifyEvent& Value) { FClient->OnClick = Value; }

// ---------------------------------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) { FCommand = NewCommand(this); }

TMenuItem::~TMenuItem() {
  if (FParent) FParent->Remove(this);
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    FItems.pop_back();
    item->FParent = nullptr;
    TObject::Free(item);
  }
  delete FActionLink;
  FActionLink = nullptr;
  Commands().erase(FCommand);
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
  return FItems[size_t(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EMenuError("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  MenuChanged();
}

void TMenuItem::Delete(int Index) {
  TMenuItem* item = Items(Index);
  Remove(item);
  TObject::Free(item);
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FParent = nullptr;
  MenuChanged();
}

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : int(it - FItems.begin());
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->FParent) i = i->FParent;
  return i->FMenu;
}

TMenuItem* TMenuItem::FindItem(UINT Command) {
  if (FCommand == Command) return this;
  for (auto* i : FItems)
    if (auto* f = i->FindItem(Command)) return f;
  return nullptr;
}

void TMenuItem::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  MenuChanged();
}

void TMenuItem::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  MenuChanged();
}

void TMenuItem::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  MenuChanged();
}

void TMenuItem::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  MenuChanged();
}

void TMenuItem::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  MenuChanged();
}

void TMenuItem::SetRadioItem(bool Value) {
  if (Value == FRadioItem) return;
  FRadioItem = Value;
  MenuChanged();
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (Value == FShortCut) return;
  FShortCut = Value;
  MenuChanged();
}

void TMenuItem::SetImageIndex(int32_t Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  MenuChanged();
}

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    delete FActionLink;
    FActionLink = nullptr;
    return;
  }
  if (!FActionLink) FActionLink = new TMenuActionLink(this);
  FActionLink->SetAction(Value);
  Value->FreeNotification(this);
  // A caption or hint of the item's own read with it from a form stays: a form stores one only where
  // it differs from the action's.
  if (auto* a = dynamic_cast<TCustomAction*>(Value)) {
    bool loading = ComponentState().Contains(csLoading);
    if (!loading || FCaption.empty()) SetCaption(a->Caption());
    SetChecked(a->Checked());
    SetEnabled(a->Enabled());
    SetHelpContext(a->HelpContext());
    if (!loading || Hint().empty()) SetHint(a->Hint());
    SetImageIndex(a->ImageIndex());
    SetShortCut(a->ShortCut());
    SetVisible(a->Visible());
  }
  if (!OnClick) OnClick = Value->OnExecute();
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  TBasicAction* a = Action();
  if (OnClick && (!a || !(OnClick == a->OnExecute())))
    OnClick(this);
  else if (FActionLink && !ComponentState().Contains(csDesigning))
    FActionLink->Execute(this);
  else
    OnClick(this);
}

void TMenuItem::InitiateActions() {
  if (FActionLink) FActionLink->Update();
  auto items = FItems;
  for (auto* i : items) i->InitiateActions();
}

TComponent* TMenuItem::GetParentComponent() {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->Remove(this);
  if (auto* m = dynamic_cast<TMenu*>(Value))
    m->Items()->Add(this);
  else if (auto* i = dynamic_cast<TMenuItem*>(Value))
    i->Add(this);
}

void TMenuItem::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (auto* i : FItems) Proc(i);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && FActionLink && AComponent == FActionLink->Action()) {
    delete FActionLink;
    FActionLink = nullptr;
  }
}

namespace {
bool AnyLoading(TMenuItem* Item) {
  for (int i = 0; i < Item->Count(); ++i)
    if (Item->Items(i)->ComponentState().Contains(csLoading) || AnyLoading(Item->Items(i))) return true;
  return false;
}
}  // namespace

void TMenuItem::Loaded() {
  TComponent::Loaded();
  // The menu is built once, when the last of its items read from a form is loaded: rebuilding it for
  // each item made a main menu of 25 items cost a quarter of a second at start.
  if (TMenu* m = GetParentMenu(); m && AnyLoading(m->Items())) return;
  MenuChanged();
}

void TMenuItem::MenuChanged() {
  if (TMenu* m = GetParentMenu()) m->MenuChanged();
}

void TMenuItem::DestroyHandles() {
  FHandle = nullptr;  // destroyed with the menu it was appended to
  for (auto* i : FItems) i->DestroyHandles();
}

void TMenuItem::AppendTo(HMENU Menu) {
  if (!FVisible) return;
  if (IsLine()) {
    AppendMenuA(Menu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  std::string text = FCaption;
  if (FShortCut) text += "\t" + ShortCutToText(FShortCut);
  UINT flags = MF_STRING;
  if (!FEnabled) flags |= MF_GRAYED;
  if (FChecked) flags |= MF_CHECKED;
  if (!FItems.empty()) {
    FHandle = CreatePopupMenu();
    for (auto* i : FItems) i->AppendTo(FHandle);
    AppendMenuA(Menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(FHandle), text.c_str());
  } else {
    AppendMenuA(Menu, flags, FCommand, text.c_str());
  }
  int pos = GetMenuItemCount(Menu) - 1;
  if (FRadioItem) {
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(Menu, UINT(pos), TRUE, &mi);
    mi.fType |= MFT_RADIOCHECK;
    SetMenuItemInfoA(Menu, UINT(pos), TRUE, &mi);
  }
  if (FDefault) SetMenuDefaultItem(Menu, UINT(pos), TRUE);
  if (FImageIndex >= 0)
    if (TMenu* m = GetParentMenu())
      if (HBITMAP bmp = m->ItemBitmap(FImageIndex)) {
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_BITMAP;
        mi.hbmpItem = bmp;
        SetMenuItemInfoA(Menu, UINT(pos), TRUE, &mi);
      }
}

void TMenuItem::Publish(TPublisher<TMenuItem>& p) {
  p.Ref("Action", &TMenuItem::Action, &TMenuItem::SetAction);
  p.Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
  p.Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(0);
  p.Bool("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(0);
  p.Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(1);
  p.Int("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext).Default(0);
  p.Str("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
  p.Int("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1);
  p.Bool("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(0);
  p.Int("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Default(0);
  p.Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(1);
  p.Event("OnClick", &TMenuItem::OnClick);
}

// ---------------------------------------------------------------------------------------------------
// TMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner) {
  InstallMenusFormHook();
  FItems = new TMenuItem(nullptr);
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  // Items read from a form resource are owned by the form and free themselves; they only leave.
  while (FItems->Count() > 0) {
    TMenuItem* i = FItems->Items(FItems->Count() - 1);
    FItems->Remove(i);
    if (!i->Owner()) TObject::Free(i);
  }
  FItems->FMenu = nullptr;
  TObject::Free(FItems);
  if (FHandle && IsMenu(FHandle)) DestroyMenu(FHandle);
  FreeBitmaps();
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  MenuChanged();
}

HMENU TMenu::Handle() {
  if (!FHandle) {
    FHandle = CreateMenuHandle();
    RebuildHandle();
  }
  return FHandle;
}

HBITMAP TMenu::ItemBitmap(int Index) {
  if (!FImages || Index < 0 || Index >= FImages->Count()) return nullptr;
  int w = FImages->Width(), h = FImages->Height();
  HBITMAP bmp = CreateCompatibleBitmap(ScreenDC().DC, w, h);
  {
    TMemoryDC dc(nullptr, bmp);
    RECT r{0, 0, w, h};
    FillRect(dc.DC, &r, GetSysColorBrush(COLOR_MENU));
    ImageList_Draw(FImages->Handle(), Index, dc.DC, 0, 0, ILD_TRANSPARENT);
  }
  FBitmaps.push_back(bmp);
  return bmp;
}

void TMenu::FreeBitmaps() {
  for (HBITMAP b : FBitmaps) DeleteObject(b);
  FBitmaps.clear();
}

void TMenu::RebuildHandle() {
  if (!FHandle) return;
  while (GetMenuItemCount(FHandle) > 0) DeleteMenu(FHandle, 0, MF_BYPOSITION);
  FreeBitmaps();
  FItems->DestroyHandles();
  FItems->FHandle = FHandle;
  for (auto* i : FItems->FItems) i->AppendTo(FHandle);
}

void TMenu::MenuChanged() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  RebuildHandle();
}

namespace {
// The item with the shortcut, searching depth first; only items that can be reached (visible, along
// enabled parents) count.
TMenuItem* FindShortCut(TMenuItem* parent, TShortCut sc) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* it = parent->Items(i);
    if (!it->Visible()) continue;
    if (it->ShortCut() == sc && it->Count() == 0) return it;
    if (it->Count() > 0 && it->Enabled())
      if (auto* f = FindShortCut(it, sc)) return f;
  }
  return nullptr;
}
}  // namespace

bool TMenu::IsShortCut(TWMKey& Message) {
  TShortCut sc = ShortCutFromMessage(Message);
  if (!sc) return false;
  // An item whose action turns disabled keeps the key unused.
  FItems->InitiateActions();
  TMenuItem* item = FindShortCut(FItems, sc);
  if (!item || !item->Enabled()) return false;
  item->Click();
  return true;
}

namespace {
TMenuItem* FindByHandle(TMenuItem* parent, HMENU h) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* it = parent->Items(i);
    if (it->Handle() == h) return it;
    if (auto* f = FindByHandle(it, h)) return f;
  }
  return nullptr;
}
}  // namespace

bool TMenu::DispatchPopup(HMENU Menu) {
  TMenuItem* item = FindByHandle(FItems, Menu);
  if (!item) return false;
  item->InitiateActions();
  item->Click();
  return true;
}

void TMenu::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (int i = 0; i < FItems->Count(); ++i) Proc(FItems->Items(i));
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TMenu::Publish(TPublisher<TMenu>& p) {
  p.Ref("Images", &TMenu::Images, &TMenu::SetImages);
}

// ---------------------------------------------------------------------------------------------------
// TMainMenu

HMENU TMainMenu::CreateMenuHandle() { return CreateMenu(); }

TMainMenu::~TMainMenu() { SetWindowHandle(nullptr); }

void TMainMenu::SetWindowHandle(HWND Value) {
  if (FWindowHandle && IsWindow(FWindowHandle) && FHandle && GetMenu(FWindowHandle) == FHandle)
    SetMenu(FWindowHandle, nullptr);
  FWindowHandle = Value;
  if (Value) SetMenu(Value, Handle());
}

void TMainMenu::MenuChanged() {
  TMenu::MenuChanged();
  if (FWindowHandle && IsWindow(FWindowHandle)) DrawMenuBar(FWindowHandle);
}

// ---------------------------------------------------------------------------------------------------
// TPopupMenu

namespace {
TPopupMenu* ActivePopup = nullptr;

// The hidden window that owns the popup menus while they are tracked (it gets WM_INITMENUPOPUP).
class TPopupList : public TObject {
public:
  HWND Window = nullptr;
  TPopupMenu* Menu = nullptr;
  void WndProc(TMessage& Message) {
    if (Message.Msg == WM_INITMENUPOPUP && Menu) {
      try {
        Menu->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam));
      } catch (...) {
        if (Application) Application->HandleException(Menu);
      }
      return;
    }
    Message.Result = DefWindowProcA(Window, Message.Msg, Message.WParam, Message.LParam);
  }
};

TPopupList& PopupList() {
  static TPopupList list;
  if (!list.Window) list.Window = AllocateHWnd(TWndMethod(&list, &TPopupList::WndProc));
  return list;
}
}  // namespace

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

TPopupMenu::~TPopupMenu() {
  if (ActivePopup == this) ActivePopup = nullptr;
}

TPopupMenu* TPopupMenu::Active() { return ActivePopup; }

HMENU TPopupMenu::CreateMenuHandle() { return CreatePopupMenu(); }

void TPopupMenu::DoPopup(TObject* Sender) { OnPopup(Sender); }

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (Value == FPopupComponent) return;
  if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = Value;
  if (FPopupComponent) FPopupComponent->FreeNotification(this);
}

void TPopupMenu::Popup(int X, int Y) {
  if (Application) Application->HideAllHints();
  DoPopup(this);
  Items()->InitiateActions();
  Handle();
  RebuildHandle();
  UINT flags = TPM_RIGHTBUTTON | TPM_RETURNCMD;
  if (FAlignment == paRight)
    flags |= TPM_RIGHTALIGN;
  else if (FAlignment == paCenter)
    flags |= TPM_CENTERALIGN;
  TPopupList& list = PopupList();
  TPopupMenu* outer = ActivePopup;
  ActivePopup = this;
  list.Menu = this;
  UINT cmd = UINT(TrackPopupMenu(FHandle, flags, X, Y, 0, list.Window, nullptr));
  list.Menu = outer;
  ActivePopup = outer;
  PostMessageA(list.Window, WM_NULL, 0, 0);
  if (cmd) {
    // The item runs after the menu closed; its handler may free this menu.
    if (TMenuItem* item = FindMenuItem(cmd)) item->Click();
  }
}

void TPopupMenu::PopupForControl(TControl* Control, int X, int Y) {
  SetPopupComponent(Control);
  Popup(X, Y);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

static const TEnumInfo PopupAlignmentNames{"TPopupAlignment", {"paLeft", "paRight", "paCenter"}};

void TPopupMenu::Publish(TPublisher<TPopupMenu>& p) {
  p.Enum("Alignment", PopupAlignmentNames, &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
  p.Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(1);
  p.Event("OnPopup", &TPopupMenu::OnPopup);
}

// ---------------------------------------------------------------------------------------------------
// What a form asks of its menus

bool FormMenuCommand(TComponent* Form, UINT Command) {
  TMenuItem* item = FindMenuItem(Command);
  if (!item) return false;
  TMenu* m = item->GetParentMenu();
  if (!m || m->Owner() != Form) return false;
  item->Click();
  return true;
}

bool FormMenuPopup(TComponent* Form, HMENU Menu) {
  auto* f = dynamic_cast<TCustomForm*>(Form);
  auto* m = f ? dynamic_cast<TMainMenu*>(f->Menu()) : nullptr;
  return m && m->DispatchPopup(Menu);
}

bool FormIsShortCut(TComponent* Form, TWMKey& Message) {
  auto* f = dynamic_cast<TCustomForm*>(Form);
  if (f)
    if (auto* m = dynamic_cast<TMainMenu*>(f->Menu()))
      if (m->IsShortCut(Message)) return true;
  if (IsActionShortCut(Form, Message)) return true;
  // Popup menus of the form answer their shortcuts too (the tray menu's items have none).
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* p = dynamic_cast<TPopupMenu*>(Form->Components(i)))
      if (p->IsShortCut(Message)) return true;
  return false;
}

namespace {
// Menu commands and sub-menus opening reach the form's menus first.
bool MenusFormHook(TCustomForm* Form, TMessage& Message) {
  auto* mm = dynamic_cast<TMainMenu*>(Form->Menu());
  switch (Message.Msg) {
    case WM_CREATE:
    case WM_SHOWWINDOW:
    case WM_ACTIVATE:
    case WM_INITMENU:
      // The form's menu bar is its main menu's Windows menu.
      if (mm && mm->WindowHandle() != Form->WindowHandle()) mm->SetWindowHandle(Form->WindowHandle());
      return false;
    case WM_DESTROY:
      // The menu outlives the window: take it off before the window goes.
      if (mm && mm->WindowHandle() == Form->WindowHandle()) mm->SetWindowHandle(nullptr);
      return false;
    case WM_COMMAND:
      if (HIWORD(Message.WParam) == 0 && Message.LParam == 0) return FormMenuCommand(Form, LOWORD(Message.WParam));
      return false;
    case WM_INITMENUPOPUP:
      if (!HIWORD(Message.LParam)) FormMenuPopup(Form, reinterpret_cast<HMENU>(Message.WParam));
      return false;
  }
  return false;
}
}  // namespace

void InstallMenusFormHook() {
  if (!FormMessageHook) FormMessageHook = &MenusFormHook;
}

void RegisterMenusClasses() {
  InstallMenusFormHook();
  RegisterClasses({TMenuItem::StaticClass(), TMainMenu::StaticClass(), TPopupMenu::StaticClass()});
}
