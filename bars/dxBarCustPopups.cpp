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

bool IsTemporaryOwner(TPersistent* AOwner) {
  return dynamic_cast<TdxBarToolbarsPopup*>(AOwner) || dynamic_cast<TdxBarCustomizingPopup*>(AOwner);
}

// A popup window with a collection of links of its own.
void OwnLinks(TdxBarSubMenuControl* W, TdxBarManager* M) {
  dxBarSetTemporaryLinksOwnerTest(IsTemporaryOwner);
  auto* links = new TdxBarItemLinks(M, W);
  links->SetUseRecentItems(false);
  links->SetBarControl(W);
  W->SetItemLinks(links);
}

void FreeOwnLinks(TdxBarSubMenuControl* W) {
  // The base's BeforeDestruction let go of the controls and of the links' window.
  TdxBarItemLinks* links = W->ItemLinks();
  W->SetItemLinks(nullptr);
  TObject::Free(links);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Toolbar list

TdxBarToolbarsPopup::TdxBarToolbarsPopup(TdxBarManager* ABarManager) : TdxBarSubMenuControl(ABarManager) {
  OwnLinks(this, ABarManager);
}

TdxBarToolbarsPopup::~TdxBarToolbarsPopup() { FreeOwnLinks(this); }

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

// ---------------------------------------------------------------------------------------------------
// Customizing popup of one link

namespace {

enum TRow { rReset, rDelete, rName, rDefaultStyle, rTextOnly, rTextInMenus, rImageAndText, rBeginGroup, rVisible,
            rMostRecentlyUsed };

TdxBarCustomizingPopup* OpenPopup = nullptr;
// The link the rows act on and the popup that set it: a row's click runs after the menu closed (the
// chain closes first), so the link stays until that popup is freed, and not a moment longer.
TdxBarItemLink* CustLink = nullptr;
TdxBarCustomizingPopup* CustLinkOwner = nullptr;

struct TRowHandlers {
  void Click(TObject* Sender) {
    auto* item = dynamic_cast<TdxBarItem*>(Sender);
    TdxBarItemLink* link = CustLink;
    if (!item || !link) return;
    switch (item->Tag()) {
      case rReset: link->SetUserDefine(TdxBarUserDefines{}); break;
      case rDelete: TObject::Free(link); break;
      case rDefaultStyle:
      case rTextOnly:
      case rTextInMenus:
      case rImageAndText: link->SetUserPaintStyle(TdxBarPaintStyle(item->Tag() - rDefaultStyle)); break;
      case rBeginGroup: link->SetBeginGroup(!link->BeginGroup()); break;
      case rVisible: link->SetVisible(!link->Visible()); break;
      case rMostRecentlyUsed: link->SetMostRecentlyUsed(!link->MostRecentlyUsed()); break;
    }
  }
  void NameChange(TObject* Sender) {
    auto* edit = dynamic_cast<TdxBarEdit*>(Sender);
    TdxBarItemLink* link = CustLink;
    if (!edit || !link) return;
    std::string text = edit->StoredText();
    if (!text.empty()) {
      if (text != link->Caption()) link->SetUserCaption(text);
      return;
    }
    if (OpenPopup) OpenPopup->CloseMenu();
    Application->MessageBox(dxBarResStr(dxSBAR_COMMANDNAMECANNOTBEBLANK), Application->Title(), MB_OK | MB_ICONERROR);
  }
} RowHandlers;

}  // namespace

TdxBarCustomizingPopup::TdxBarCustomizingPopup(TdxBarManager* ABarManager) : TdxBarSubMenuControl(ABarManager) {
  OwnLinks(this, ABarManager);
  AllowAnimation = false;
}

TdxBarCustomizingPopup::~TdxBarCustomizingPopup() {
  if (OpenPopup == this) OpenPopup = nullptr;
  if (CustLinkOwner == this) CustLink = nullptr, CustLinkOwner = nullptr;
  FreeOwnLinks(this);
}

TdxBarCustomizingPopup* TdxBarCustomizingPopup::Current() { return OpenPopup; }
TdxBarItemLink* TdxBarCustomizingPopup::CustomizingLink() { return CustLink; }

void TdxBarCustomizingPopup::LinkFreed(TdxBarItemLink* ALink) {
  if (!ALink || ALink != CustLink) return;
  CustLink = nullptr;
  if (OpenPopup && !OpenPopup->Closing()) OpenPopup->CloseMenu();
}

void TdxBarCustomizingPopup::DestroyWnd() {
  // The link's own window drops the selection the popup was about.
  if (CustLinkOwner == this && CustLink)
    if (TCustomdxBarControl* bc = CustLink->BarControl();
        bc && IsBarControl(bc) && CustLink->Control() && bc->SelectedControl() == CustLink->Control())
      bc->SetSelectedItem(nullptr);
  if (OpenPopup == this) OpenPopup = nullptr;
  TdxBarSubMenuControl::DestroyWnd();
}

TdxBarCustomizingPopup* TdxBarCustomizingPopup::ShowFor(TdxBarItemLink* ALink, POINT P) {
  TdxBarManager* m = ALink ? ALink->BarManager() : nullptr;
  if (!m) return nullptr;
  if (OpenPopup && !OpenPopup->Closing()) OpenPopup->CloseMenu();
  dxBarFreeIdlePopupItems();
  auto* w = new TdxBarCustomizingPopup(m);
  TdxBarItemLinks* links = w->ItemLinks();
  TNotifyEvent click(&RowHandlers, &TRowHandlers::Click);
  auto button = [&](TRow Row, bool Checked, bool Group = false) {
    auto* b = NewPopupItem<TdxBarButton>(m, dxBarResStr(dxSBAR_CP_RESET + Row));
    b->SetTag(Row);
    if (Checked) b->SetButtonStyle(bsChecked);
    b->OnClick = click;
    AddLink(links, b, Group);
    return b;
  };
  button(rReset, false);
  button(rDelete, false);
  auto* name = NewPopupItem<TdxBarEdit>(m, dxBarResStr(dxSBAR_CP_RESET + rName));
  name->SetTag(rName);
  name->SetText(ALink->Caption());
  name->OnChange = TNotifyEvent(&RowHandlers, &TRowHandlers::NameChange);
  AddLink(links, name, true);
  auto* item = dynamic_cast<TdxBarButton*>(ALink->Item());
  bool styles = item && item->CanSetPaintStyle();
  TdxBarPaintStyle current = styles ? ALink->PaintStyle() : psStandard;
  for (TRow r : {rDefaultStyle, rTextOnly, rTextInMenus, rImageAndText}) {
    TdxBarButton* b = button(r, true, r == rDefaultStyle);
    b->SetGroupIndex(-1000);
    b->SetDown(current == TdxBarPaintStyle(r - rDefaultStyle));
    b->SetEnabled(styles);
  }
  TdxBarButton* group = button(rBeginGroup, true, true);
  group->SetDown(ALink->BeginGroup());
  group->SetEnabled(ALink->Index() > 0);
  TdxBarButton* visible = button(rVisible, true);
  visible->SetDown(ALink->Visible());
  TdxBarButton* recent = button(rMostRecentlyUsed, true);
  recent->SetDown(ALink->MostRecentlyUsed());
  // Showing links or usage is the designer's business.
  if (!m->Designing()) visible->SetVisible(ivNever);
  if (!m->Designing() || m->Style() != bmsEnhanced) recent->SetVisible(ivNever);
  m->DoShowCustomizingPopup(links);
  OpenPopup = w;
  CustLink = ALink;
  CustLinkOwner = w;
  ShowPopupAt(w, P);
  return IsBarControl(w) ? w : nullptr;
}
