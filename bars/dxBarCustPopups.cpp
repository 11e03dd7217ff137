// Menus the bars build for themselves: the toolbar list, the customizing popup of one link and the quick
// customization of a toolbar. Their items are ordinary items that belong to no form; one list keeps them
// until no link uses them.
#include <windowsx.h>

#include <algorithm>

#include "dxBar.h"

// ---------------------------------------------------------------------------------------------------
// Popup items

namespace {

// Hears of every listed item that goes away (its manager or a test may free it first), so the list
// never holds a freed item.
class TPopupItemKeeper : public TComponent {
public:
  TPopupItemKeeper() : TComponent(nullptr) {}
  std::vector<TdxBarItem*> Items;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) Items.erase(std::remove(Items.begin(), Items.end(), AComponent), Items.end());
  }
};

TPopupItemKeeper& Keeper() {
  static TPopupItemKeeper* k = new TPopupItemKeeper;
  return *k;
}

}  // namespace

void dxBarAddPopupItem(TdxBarItem* AItem) {
  if (!AItem) return;
  if (TComponent* owner = AItem->Owner()) owner->RemoveComponent(AItem);
  Keeper().Items.push_back(AItem);
  AItem->FreeNotification(&Keeper());
}

int dxBarPopupItemCount() { return int(Keeper().Items.size()); }

void dxBarFreeIdlePopupItems() {
  std::vector<TdxBarItem*> idle;
  for (auto* i : Keeper().Items)
    if (i->LinkCount() == 0) idle.push_back(i);
  for (auto* i : idle) TObject::Free(i);
}

namespace {

// A new item of the manager for one of these menus.
template <class T>
T* NewPopupItem(TdxBarManager* M, const std::string& Caption) {
  T* item = new T(M->ParentForm());
  dxBarAddPopupItem(item);
  item->SetCaption(Caption);
  return item;
}

TdxBarItemLink* AddLink(TdxBarItemLinks* Links, TdxBarItem* Item, bool BeginGroup = false) {
  TdxBarItemLink* l = Links->Add();
  l->SetItem(Item);
  if (BeginGroup) l->SetBeginGroup(true);
  return l;
}

// Shows a popup of its own links at a screen point.
void ShowPopupAt(TdxBarSubMenuControl* W, POINT P) {
  TCustomForm* form = W->BarManager() ? W->BarManager()->ParentForm() : nullptr;
  if (form && form->HandleAllocated()) SendMessageA(form->Handle(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  W->SetBounds(P.x, P.y, W->Width(), W->Height());
  W->Show();
}

bool IsTemporaryOwner(TPersistent* AOwner) { return dynamic_cast<TdxBarToolbarsPopup*>(AOwner) != nullptr; }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Toolbar list

TdxBarToolbarsPopup::TdxBarToolbarsPopup(TdxBarManager* ABarManager) : TdxBarSubMenuControl(ABarManager) {
  dxBarSetTemporaryLinksOwnerTest(IsTemporaryOwner);
  auto* links = new TdxBarItemLinks(ABarManager, this);
  links->SetUseRecentItems(false);
  links->SetBarControl(this);
  SetItemLinks(links);
}

TdxBarToolbarsPopup::~TdxBarToolbarsPopup() {
  // The base's BeforeDestruction let go of the controls and of the links' window.
  TdxBarItemLinks* links = ItemLinks();
  SetItemLinks(nullptr);
  TObject::Free(links);
}

TdxBarToolbarsPopup* TdxBarToolbarsPopup::ShowAt(TdxBarManager* ABarManager, POINT P) {
  if (!ABarManager) return nullptr;
  dxBarFreeIdlePopupItems();
  auto* w = new TdxBarToolbarsPopup(ABarManager);
  ABarManager->FillToolbarsPopup(w->ItemLinks());
  if (w->ItemLinks()->Count() == 0) {
    TObject::Free(w);
    return nullptr;
  }
  ShowPopupAt(w, P);
  return IsBarControl(w) ? w : nullptr;
}
