// Command items: buttons, edits, combos, sub-items, list and container items, and their action link.
// An item keeps the shared state and broadcasts every change to the controls of its links.
#include <algorithm>

#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

// ---------------------------------------------------------------------------------------------------
// Liveness guard

// The guard lists itself in the item for as long as it lives on its caller's stack; the destructor
// takes it out again, so the address never outlives the guard.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
TdxLiveGuard::TdxLiveGuard(TdxBarItem* AItem) : FItem(AItem) {
  if (!AItem) {
    FAlive = false;
    return;
  }
  FNext = AItem->FGuards;
  AItem->FGuards = this;
}
#pragma GCC diagnostic pop

TdxLiveGuard::~TdxLiveGuard() {
  if (!FAlive) return;
  for (TdxLiveGuard** p = &FItem->FGuards; *p; p = &(*p)->FNext)
    if (*p == this) {
      *p = FNext;
      break;
    }
}

// ---------------------------------------------------------------------------------------------------
// Action link

TdxBarItemActionLink::TdxBarItemActionLink(TObject* AClient)
    : TActionLink(AClient), FClient(dynamic_cast<TdxBarItem*>(AClient)) {}

namespace {
TCustomAction* AsCustom(TBasicAction* A) { return dynamic_cast<TCustomAction*>(A); }
bool ButtonDown(TdxBarItem* I) {
  auto* b = dynamic_cast<TdxBarButton*>(I);
  return b && b->Down();
}
TdxBarItemVisible VisibleOf(bool V) { return V ? ivAlways : ivNever; }
}  // namespace

bool TdxBarItemActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient->Caption() == AsCustom(FAction)->Caption();
}
bool TdxBarItemActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && ButtonDown(FClient) == AsCustom(FAction)->Checked();
}
bool TdxBarItemActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->StoredEnabled() == AsCustom(FAction)->Enabled();
}
bool TdxBarItemActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && FClient->HelpContext() == AsCustom(FAction)->HelpContext();
}
bool TdxBarItemActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == AsCustom(FAction)->Hint();
}
bool TdxBarItemActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() && FClient->ImageIndex() == AsCustom(FAction)->ImageIndex();
}
bool TdxBarItemActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && FClient->ShortCut() == AsCustom(FAction)->ShortCut();
}
bool TdxBarItemActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == VisibleOf(AsCustom(FAction)->Visible());
}
bool TdxBarItemActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && FClient->OnClick == FAction->OnExecute();
}

void TdxBarItemActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TdxBarItemActionLink::SetChecked(bool Value) {
  if (!IsCheckedLinked()) return;
  if (auto* b = dynamic_cast<TdxBarButton*>(FClient)) b->SetDown(Value);
}
void TdxBarItemActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TdxBarItemActionLink::SetHelpContext(THelpContext Value) {
  if (IsHelpContextLinked()) FClient->StoreHelpContext(Value);
}
void TdxBarItemActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) FClient->StoreHint(Value);
}
void TdxBarItemActionLink::SetImageIndex(int32_t Value) {
  if (IsImageIndexLinked()) FClient->SetImageIndex(Value);
}
void TdxBarItemActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) FClient->SetShortCut(Value);
}
void TdxBarItemActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(VisibleOf(Value));
}
void TdxBarItemActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) FClient->OnClick = Value;
}

// ---------------------------------------------------------------------------------------------------
// Item

TdxBarItem::TdxBarItem(TComponent* AOwner) : TComponent(AOwner) {
  TdxBarManager* m = nullptr;
  if (auto* form = dynamic_cast<TCustomForm*>(AOwner)) m = GetBarManagerByForm(form);
  if (!m) m = dxBarManagerList()->Items(0);
  if (!m) throw EdxException(dxBarResStr(dxSBAR_NOBARMANAGERS));
  FGlyph = new TBitmap;
  FGlyph->OnChange = Bind(this, &TdxBarItem::GlyphChange);
  SetBarManager(m);
}

void TdxBarItem::BeforeDestruction() {
  IncludeState(csDestroying);
  if (OnDestroy) OnDestroy(this);
  if (FBarManager) FBarManager->RemoveItem(this);
  // Each link leaves its collection as it goes.
  while (!FLinks.empty()) TObject::Free(FLinks.back());
  TComponent::BeforeDestruction();
}

TdxBarItem::~TdxBarItem() {
  for (TdxLiveGuard* g = FGuards; g; g = g->FNext) g->FAlive = false;
  FGuards = nullptr;
  if (FBarManager) FBarManager->RemoveItem(this);
  while (!FLinks.empty()) TObject::Free(FLinks.back());
  TObject::Free(FActionLink);
  if (FGlyph) FGlyph->OnChange = nullptr;
  TObject::Free(FGlyph);
}

void TdxBarItem::Publish(TPublisher<TdxBarItem>& p) {
  using I = TdxBarItem;
  auto linked = [](bool (TdxBarItemActionLink::*Is)()) {
    return [Is](I& i) { return !i.ActionLink() || !(i.ActionLink()->*Is)(); };
  };
  p.Ref("Action", &I::Action, &I::SetAction);
  p.Str("Caption", &I::Caption, &I::SetCaption).StoredIf<I>(linked(&TdxBarItemActionLink::IsCaptionLinked));
  p.Int("Category", &I::Category, &I::SetCategory).Default(-1);
  p.Str("Description", &I::Description, &I::SetDescription);
  p.Bool("Enabled", &I::StoredEnabled, &I::SetEnabled).Default(1).StoredIf<I>(linked(&TdxBarItemActionLink::IsEnabledLinked));
  p.Int("HelpContext", &I::HelpContext, &I::SetHelpContext).Default(0).StoredIf<I>(linked(&TdxBarItemActionLink::IsHelpContextLinked));
  p.Str("Hint", &I::Hint, &I::SetHint).StoredIf<I>(linked(&TdxBarItemActionLink::IsHintLinked));
  p.Enum("Visible", dxBarItemVisibleNames, &I::Visible, &I::SetVisible).Default(ivAlways).StoredIf<I>(linked(&TdxBarItemActionLink::IsVisibleLinked));
  p.Event("OnDestroy", &I::OnDestroy);
}

namespace {
// The properties an item declares and its descendants publish.
template <class T>
void PublishGlyph(TPublisher<T>& p) {
  p.Object("Glyph", [](T& i) { return i.Glyph(); });
  p.Int("ImageIndex", [](T& i) { return i.ImageIndex(); }, [](T& i, int32_t v) { i.SetImageIndex(v); })
      .Default(-1)
      .template StoredIf<T>([](T& i) { return !i.ActionLink() || !i.ActionLink()->IsImageIndexLinked(); });
}
template <class T>
void PublishClick(TPublisher<T>& p) {
  p.Event("OnClick", [](T& i) { return i.OnClick; }, [](T& i, TNotifyEvent v) { i.OnClick = v; })
      .template StoredIf<T>([](T& i) { return !i.ActionLink() || !i.ActionLink()->IsOnExecuteLinked(); });
}
}  // namespace

TBasicAction* TdxBarItem::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TdxBarItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    FreeAndNil(FActionLink);
    return;
  }
  if (!FActionLink) FActionLink = new TdxBarItemActionLink(this);
  FActionLink->SetAction(Value);
  FActionLink->OnChange = Bind(this, &TdxBarItem::DoActionChange);
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TdxBarItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == Action()) SetAction(nullptr);
}

void TdxBarItem::SetBarManager(TdxBarManager* Value) {
  if (FBarManager == Value) return;
  if (FBarManager) FBarManager->RemoveItem(this);
  FBarManager = Value;
  if (Value) Value->AddItem(this);
}

namespace {
std::string WithoutFirst(std::string S, const std::string& What) {
  size_t p = S.find(What);
  if (p != std::string::npos) S.erase(p, What.size());
  return S;
}
std::string HintText(const std::string& Caption) { return WithoutFirst(WithoutFirst(Caption, "&"), "..."); }
}  // namespace

void TdxBarItem::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  if (IsLoading()) {
    FCaption = Value;
    return;
  }
  // A hint that only repeated the caption follows it; its long part stays.
  if (!dynamic_cast<TCustomdxBarSubItem*>(this) && (FHint.empty() || GetShortHint(FHint) == HintText(FCaption))) {
    size_t bar = FHint.find('|');
    FHint = HintText(Value) + (bar == std::string::npos ? std::string() : FHint.substr(bar));
  }
  FCaption = Value;
  CaptionChanged();
}

void TdxBarItem::SetCategory(int32_t Value) {
  if (FCategory == Value) return;
  if (IsLoading()) {
    FCategory = Value;
    return;
  }
  if (!FBarManager || Value < 0 || Value >= FBarManager->Categories()->Count()) return;
  FCategory = Value;
  FBarManager->ItemChanged(this);
}

void TdxBarItem::SetDescription(const std::string& Value) {
  if (FDescription == Value) return;
  FDescription = Value;
  if (FBarManager && !IsLoading()) FBarManager->ItemChanged(this);
}

bool TdxBarItem::Enabled() const {
  if (FBarManager && FBarManager->IsCustomizing() && !FBarManager->Designing() && FCategory >= 0) return true;
  return FEnabled;
}

void TdxBarItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  if (!IsLoading()) EnabledChanged();
}

void TdxBarItem::SetImageIndex(int32_t Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  if (!IsLoading()) GlyphChanged();
}

void TdxBarItem::SetShortCut(TShortCut Value) {
  if (FShortCut == Value) return;
  FShortCut = Value;
  if (!IsLoading()) ShortCutChanged();
}

void TdxBarItem::SetVisible(TdxBarItemVisible Value) {
  if (IsLoading()) {
    FVisible = FLoadedVisible = Value;
    return;
  }
  if (FVisible == Value) return;
  FVisible = Value;
  VisibleChanged();
}

bool TdxBarItem::IsVisibleNow() const {
  return FVisible == ivAlways || (FVisible == ivInCustomizing && FBarManager && FBarManager->IsCustomizing());
}

void TdxBarItem::AddLink(TdxBarItemLink* ALink) {
  if (std::find(FLinks.begin(), FLinks.end(), ALink) == FLinks.end()) FLinks.push_back(ALink);
}

void TdxBarItem::RemoveLink(TdxBarItemLink* ALink) {
  FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), ALink), FLinks.end());
}

template <class F>
void TdxBarItem::ForEachControl(F f, int SkipFlag) {
  std::vector<TdxBarItemLink*> links = FLinks;
  for (auto* l : links) {
    if (std::find(FLinks.begin(), FLinks.end(), l) == FLinks.end() || !l->Control()) continue;
    if (SkipFlag >= 0 && l->UserDefine().Contains(TdxBarUserDefine(SkipFlag))) continue;
    f(l->Control());
  }
}

void TdxBarItem::CaptionChanged() {
  ForEachControl([](TdxBarItemControl* c) { c->CaptionChanged(); }, udCaption);
  if (FBarManager) FBarManager->ItemChanged(this);
}

void TdxBarItem::EnabledChanged() {
  ForEachControl([](TdxBarItemControl* c) { c->EnabledChanged(); });
}

void TdxBarItem::GlyphChanged() {
  ForEachControl([](TdxBarItemControl* c) { c->GlyphChanged(); }, udGlyph);
  if (FBarManager) FBarManager->ItemChanged(this);
}

void TdxBarItem::ShortCutChanged() {
  ForEachControl([](TdxBarItemControl* c) { c->ShortCutChanged(); });
  if (FBarManager) FBarManager->ItemChanged(this);
}

void TdxBarItem::RepaintControls() {
  ForEachControl([](TdxBarItemControl* c) {
    if (!c->IsSelectedInActiveBar()) c->Repaint();
  });
}

void TdxBarItem::RebuildLinkBars() {
  ForEachControl([](TdxBarItemControl* c) {
    if (!c->IsSelectedInActiveBar() && c->Parent()) c->Parent()->RebuildBar();
  });
}

void TdxBarItem::VisibleChanged() {
  if (IsDesigning()) return;
  TdxBarManager* m = FBarManager;
  bool locked = m && m->IsUpdateLocked();
  if (m) m->LockUpdate(true);
  std::vector<TdxBarItemLink*> links = FLinks;
  for (auto* l : links) l->Links()->RefreshLists();
  if (IsVisibleNow()) {
    for (auto* l : links)
      if (!l->Control()) l->CreateControl();
    ForEachControl([](TdxBarItemControl* c) { c->VisibleChanged(); });
  } else {
    for (auto* l : links)
      if (l->Control()) {
        l->Control()->VisibleChanged();
        l->DestroyControl();
      }
  }
  if (m) {
    m->LockUpdate(locked);
    m->ItemChanged(this);
  }
}

void TdxBarItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || FCaption.empty()) SetCaption(a->Caption());
  if (auto* b = dynamic_cast<TdxBarButton*>(this))
    if (!CheckDefaults || !b->Down()) b->SetDown(a->Checked());
  if (!CheckDefaults || FEnabled) SetEnabled(a->Enabled());
  if (!CheckDefaults || FHelpContext == 0) FHelpContext = a->HelpContext();
  if (!CheckDefaults || FHint.empty()) FHint = a->Hint();
  if (!CheckDefaults || FImageIndex == -1) SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || FShortCut == 0) SetShortCut(a->ShortCut());
  if (!CheckDefaults || FVisible == ivAlways) SetVisible(VisibleOf(a->Visible()));
  if (!CheckDefaults || !OnClick) OnClick = a->OnExecute();
}

void TdxBarItem::DoClick() {
  if (CanClick()) Click();
}

void TdxBarItem::Click() {
  if (!Enabled()) return;
  TdxLiveGuard alive(this);
  if (FBarManager) FBarManager->DoClickItem(this);
  if (!alive) return;
  DoClickEvent();
}

void TdxBarItem::DoClickEvent() {
  TBasicAction* a = Action();
  if (OnClick && (!a || !(a->OnExecute() == OnClick))) {
    OnClick(this);
  } else if (!IsDesigning() && FActionLink) {
    FActionLink->Execute(this);
  }
}

TComponent* TdxBarItem::GetParentComponent() { return FCategory >= 0 ? FBarManager : nullptr; }

void TdxBarItem::SetParentComponent(TComponent* Value) {
  auto* m = dynamic_cast<TdxBarManager*>(Value);
  if (m && !IsLoading()) SetBarManager(m);
}

void TdxBarItem::ReadState(TReader* Reader) {
  if (auto* m = dynamic_cast<TdxBarManager*>(Reader->Parent())) {
    SetBarManager(m);
    BarManagerChanged();
  }
  TComponent::ReadState(Reader);
}

void TdxBarItem::SetName(const std::string& NewName) {
  TComponent::SetName(NewName);
  if (FBarManager) FBarManager->ItemChanged(this);
}

void TdxBarItem::Loaded() {
  TComponent::Loaded();
  if (Action()) ActionChange(Action(), true);
  if (OnAfterLoad) OnAfterLoad(this);
}

void TdxBarItem::AssignTo(TPersistent* Dest) {
  auto* a = dynamic_cast<TCustomAction*>(Dest);
  if (!a) {
    TComponent::AssignTo(Dest);
    return;
  }
  a->SetCaption(FCaption);
  a->SetChecked(ButtonDown(this));
  a->SetEnabled(FEnabled);
  a->SetHelpContext(FHelpContext);
  a->SetHint(FHint);
  a->SetImageIndex(FImageIndex);
  a->SetShortCut(FShortCut);
  if (FVisible != ivInCustomizing) a->SetVisible(FVisible == ivAlways);
  a->SetOnExecute(OnClick);
}

// ---------------------------------------------------------------------------------------------------
// Window items

std::string TdxBarWindowItem::Text() const {
  std::string s;
  for (auto* l : FLinks)
    if (l->Control() && l->Control()->EditorText(s)) return s;
  return FText;
}

void TdxBarWindowItem::SetText(const std::string& Value) {
  if (FText == Value) return;
  FText = Value;
  TdxLiveGuard alive(this);
  RepaintControls();
  if (!IsLoading()) Change();
  if (alive) RepaintControls();
}

void TdxBarWindowItem::Change() {
  if (!IsLoading() && OnChange) OnChange(this);
}
void TdxBarWindowItem::CurChange() {
  if (OnCurChange) OnCurChange(this);
}
void TdxBarWindowItem::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TdxBarWindowItem::DoExit() {
  if (OnExit) OnExit(this);
}
void TdxBarWindowItem::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TdxBarWindowItem::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}
void TdxBarWindowItem::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TdxBarWindowItem::Publish(TPublisher<TdxBarWindowItem>& p) {
  using W = TdxBarWindowItem;
  p.Str("Text", [](W& w) { return w.StoredText(); }, [](W& w, const std::string& v) { w.SetText(v); });
  p.Event("OnChange", &W::OnChange);
  p.Event("OnCurChange", &W::OnCurChange);
  p.Event("OnEnter", &W::OnEnter);
  p.Event("OnExit", &W::OnExit);
  p.Event("OnKeyDown", &W::OnKeyDown);
  p.Event("OnKeyPress", &W::OnKeyPress);
  p.Event("OnKeyUp", &W::OnKeyUp);
}

// ---------------------------------------------------------------------------------------------------
// Buttons

void TdxBarButton::Publish(TPublisher<TdxBarButton>& p) {
  using B = TdxBarButton;
  p.Bool("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp).Default(0);
  p.Enum("ButtonStyle", dxBarButtonStyleNames, &B::ButtonStyle, &B::SetButtonStyle).Default(bsDefault);
  p.Bool("CloseSubMenuOnClick", &B::CloseSubMenuOnClick, &B::SetCloseSubMenuOnClick).Default(1);
  p.Bool("Down", &B::Down, &B::SetDown).Default(0).StoredIf<B>([](B& b) {
    return !b.ActionLink() || !b.ActionLink()->IsCheckedLinked();
  });
  p.Bool("DropDownEnabled", &B::DropDownEnabled, &B::SetDropDownEnabled).Default(1);
  p.Ref("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu);
  p.Int("GroupIndex", &B::GroupIndex, &B::SetGroupIndex).Default(0);
  p.Enum("PaintStyle", dxBarPaintStyleNames, &B::PaintStyle, &B::SetPaintStyle).Default(psStandard);
  PublishGlyph(p);
  p.Int("ShortCut", [](B& b) { return b.ShortCut(); }, [](B& b, TShortCut v) { b.SetShortCut(v); })
      .Default(0)
      .StoredIf<B>([](B& b) { return !b.ActionLink() || !b.ActionLink()->IsShortCutLinked(); });
  p.Bool("UnclickAfterDoing", [](B& b) { return b.UnclickAfterDoing(); }, [](B& b, bool v) { b.SetUnclickAfterDoing(v); })
      .Default(1);
  PublishClick(p);
}

void TdxBarButton::SetAllowAllUp(bool Value) {
  if (FAllowAllUp == Value) return;
  FAllowAllUp = Value;
  if (FGroupIndex == 0 || !FBarManager || IsLoading()) return;
  for (int i = 0; i < FBarManager->ItemCount(); ++i)
    if (auto* b = dynamic_cast<TdxBarButton*>(FBarManager->Items(i)); b && b != this && b->FGroupIndex == FGroupIndex)
      b->FAllowAllUp = Value;
}

void TdxBarButton::SetButtonStyle(TdxBarButtonStyle Value) {
  if (FButtonStyle == Value) return;
  FButtonStyle = Value;
  if (IsLoading()) return;
  bool wasDown = FDown;
  FDown = false;
  if (wasDown) DownChanged();
  ButtonStyleChanged();
  if (FBarManager) FBarManager->ItemChanged(this);
}

void TdxBarButton::SetDown(bool Value) {
  if (Value && FButtonStyle != bsChecked) return;
  if (FDown == Value) return;
  FDown = Value;
  if (IsLoading()) return;
  if (FGroupIndex != 0 && FBarManager) {
    std::vector<TdxBarButton*> group;
    for (int i = 0; i < FBarManager->ItemCount(); ++i)
      if (auto* b = dynamic_cast<TdxBarButton*>(FBarManager->Items(i)); b && b->FGroupIndex == FGroupIndex)
        group.push_back(b);
    if (Value) {
      for (auto* b : group)
        if (b != this && b->FDown) b->SetDown(false);
    } else if (!FAllowAllUp && std::none_of(group.begin(), group.end(), [](TdxBarButton* b) { return b->FDown; })) {
      // The first button that can be down takes the group's one down place (a plain-style member cannot).
      auto first = std::find_if(group.begin(), group.end(), [](TdxBarButton* b) { return b->FButtonStyle == bsChecked; });
      if (first != group.end()) {
        if (*first == this) {
          FDown = true;
          return;
        }
        (*first)->SetDown(true);
      }
    }
  }
  DownChanged();
}

void TdxBarButton::SetDropDownEnabled(bool Value) {
  if (FDropDownEnabled == Value) return;
  FDropDownEnabled = Value;
  if (!IsLoading()) DropDownEnabledChanged();
}

void TdxBarButton::SetDropDownMenu(TdxBarPopupMenu* Value) {
  if (FDropDownMenu == Value) return;
  if (FDropDownMenu) FDropDownMenu->RemoveFreeNotification(this);
  FDropDownMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TdxBarButton::DropDown(int X, int Y, bool ByMouse) {
  TdxBarPopupMenu* menu = FDropDownMenu;
  if (!menu) return;
  TdxBarButtonControl* opener = nullptr;
  for (auto* l : FLinks)
    if (auto* c = dynamic_cast<TdxBarButtonControl*>(l->Control()); c && c->DropDownOpen) opener = c;
  // The menu keeps clear of the button: beside it in menus and on vertical bars, below it elsewhere.
  int w = 0, h = 0;
  if (opener) {
    RECT r = opener->Parent()->GetItemRect(opener);
    if (dynamic_cast<TdxBarSubMenuControl*>(opener->Parent()) || IsVerticalToolbar(opener->Parent()))
      w = r.right - r.left;
    else
      h = r.bottom - r.top;
  }
  menu->NoWait = true;
  menu->OpenerControl = opener;
  TdxLiveGuard alive(this);
  menu->PopupEx(X, Y, true, h, w);
  if (alive && FDropDownMenu == menu) {
    menu->NoWait = false;
    menu->OpenerControl = nullptr;
  }
}

void TdxBarButton::Notification(TComponent* AComponent, TOperation Operation) {
  TdxBarItem::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDropDownMenu) FDropDownMenu = nullptr;
}

void TdxBarButton::SetGroupIndex(int32_t Value) {
  if (!IsLoading() && FButtonStyle != bsChecked) Value = 0;
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  if (IsLoading()) return;
  if (FDown) {
    FDown = false;
    DownChanged();
  }
}

void TdxBarButton::SetPaintStyle(TdxBarPaintStyle Value) {
  if (FPaintStyle == Value) return;
  FPaintStyle = Value;
  if (!IsLoading()) PaintStyleChanged();
}

void TdxBarButton::ButtonStyleChanged() {
  ForEachControl([](TdxBarItemControl* c) { c->ButtonStyleChanged(); });
}
void TdxBarButton::DownChanged() {
  ForEachControl([](TdxBarItemControl* c) { c->DownChanged(); });
}
void TdxBarButton::DropDownEnabledChanged() {
  ForEachControl([](TdxBarItemControl* c) { c->DropDownEnabledChanged(); });
}
void TdxBarButton::PaintStyleChanged() {
  ForEachControl([](TdxBarItemControl* c) { c->PaintStyleChanged(); }, udPaintStyle);
}

namespace {
bool OnToolbar(TdxBarItemLink* L) { return L && L->Links() && dynamic_cast<TdxBar*>(L->Links()->Owner()); }
}  // namespace

bool TdxBarButton::HasAccelInLink(TdxBarItemLink* ALink) {
  if (!Enabled()) return false;
  if (!OnToolbar(ALink)) return true;
  TdxBarPaintStyle ps = ALink->UserDefine().Contains(udPaintStyle) ? ALink->UserPaintStyle() : FPaintStyle;
  return ps == psCaption || ps == psCaptionGlyph;
}

void TdxBarButton::DoClick() {
  if (Enabled() && FButtonStyle == bsChecked) {
    TdxLiveGuard alive(this);
    SetDown(!FDown);
    if (!alive) return;
  }
  TdxBarItem::DoClick();
}

// ---------------------------------------------------------------------------------------------------
// Edits and combos

void TdxBarEdit::Publish(TPublisher<TdxBarEdit>& p) {
  using E = TdxBarEdit;
  p.Int("MaxLength", &E::MaxLength, &E::SetMaxLength).Default(0);
  p.Bool("ReadOnly", &E::ReadOnly, &E::SetReadOnly).Default(0);
  p.Int("Width", &E::Width, &E::SetWidth).Default(100);
  PublishGlyph(p);
  PublishClick(p);
}

void TdxBarEdit::SetWidth(int32_t Value) {
  Value = dxClampWidth(Value);
  if (FWidth == Value) return;
  FWidth = Value;
  if (!IsLoading()) WidthChanged();
}

void TdxBarEdit::WidthChanged() {
  ForEachControl([](TdxBarItemControl* c) { c->WidthChanged(); }, udWidth);
}

bool TdxBarEdit::HasAccelInLink(TdxBarItemLink* ALink) { return Enabled() && !OnToolbar(ALink); }

void TCustomdxBarCombo::Publish(TPublisher<TCustomdxBarCombo>& p) {
  using C = TCustomdxBarCombo;
  p.Bool("ShowEditor", &C::ShowEditor, &C::SetShowEditor).Default(1);
  p.Event("OnCheckKeyForDropDownWindow", &C::OnCheckKeyForDropDownWindow);
  p.Event("OnCloseUp", &C::OnCloseUp);
  p.Event("OnDropDown", &C::OnDropDown);
  p.Event("OnGetDropDownWindow", &C::OnGetDropDownWindow);
}

void TdxBarCustomCombo::Publish(TPublisher<TdxBarCustomCombo>& p) {
  using C = TdxBarCustomCombo;
  p.Int("DropDownCount", &C::DropDownCount, &C::SetDropDownCount).Default(8);
  p.Int("DropDownWidth", &C::DropDownWidth, &C::SetDropDownWidth).Default(0);
  p.Event("OnDrawItem", &C::OnDrawItem);
  p.Event("OnMeasureItem", &C::OnMeasureItem);
}

TdxBarCustomCombo::TdxBarCustomCombo(TComponent* AOwner) : TCustomdxBarCombo(AOwner), FItems(new TStringList) {
  FItems->OnChange = Bind(this, &TdxBarCustomCombo::ItemsChanged);
}

TdxBarCustomCombo::~TdxBarCustomCombo() {
  TObject::Free(FListBox);
  FItems->OnChange = nullptr;
  TObject::Free(FItems);
}

void TdxBarCustomCombo::SetItemIndex(int32_t Value) {
  if (Value < 0 || Value >= FItems->Count()) Value = -1;
  if (IsLoading()) {
    FItemIndex = Value;
    if (Value >= 0) FText = FItems->Strings(Value);
    return;
  }
  FItemIndex = Value;
  std::string text = Value >= 0 ? FItems->Strings(Value) : std::string();
  if (text == FText) {
    TdxLiveGuard alive(this);
    RepaintControls();
    if (alive) Change();
  } else {
    SetText(text);
  }
}

void TdxBarCustomCombo::SetText(const std::string& Value) {
  if (!(FItemIndex >= 0 && FItemIndex < FItems->Count() && FItems->Strings(FItemIndex) == Value))
    FItemIndex = FItems->IndexOf(Value);
  TdxBarWindowItem::SetText(Value);
}

void TdxBarCustomCombo::ItemsChanged(TObject*) {
  if (FItemIndex >= FItems->Count())
    FItemIndex = -1;
  else
    RepaintControls();
}

void TdxBarCombo::Publish(TPublisher<TdxBarCombo>& p) {
  using C = TdxBarCombo;
  p.Int("ItemHeight", &C::ItemHeight, &C::SetItemHeight).Default(0);
  p.Object("Items", [](C& c) -> TStrings* { return c.Items(); });
  p.Bool("Sorted", &C::Sorted, &C::SetSorted).Default(0);
  p.Int("ItemIndex", [](C& c) { return c.ItemIndex(); }, [](C& c, int32_t v) { c.SetItemIndex(v); }).Default(-1);
}

void TdxBarCombo::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  FItems->SetSorted(Value);
  FItemIndex = FItems->IndexOf(FText);
}

// ---------------------------------------------------------------------------------------------------
// Sub-items

TCustomdxBarSubItem::TCustomdxBarSubItem(TComponent* AOwner)
    : TdxBarItem(AOwner), FItemLinks(new TdxBarItemLinks(FBarManager, this)) {
  FItemLinks->PropName = "ItemLinks";
}

void TCustomdxBarSubItem::BeforeDestruction() {
  TdxBarItem::BeforeDestruction();
  FItemLinks->Clear();
}

TCustomdxBarSubItem::~TCustomdxBarSubItem() { TObject::Free(FItemLinks); }

void TCustomdxBarSubItem::SetItemLinks(TdxBarItemLinks* Value) { FItemLinks->Assign(Value); }

void TCustomdxBarSubItem::SetShowCaption(bool Value) {
  if (FShowCaption == Value) return;
  FShowCaption = Value;
  if (!IsLoading()) RebuildLinkBars();
}

void TCustomdxBarSubItem::BarManagerChanged() { FItemLinks->SetBarManager(FBarManager); }

void TCustomdxBarSubItem::DoCloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomdxBarSubItem::DoPopup() {
  if (OnPopup) OnPopup(this);
}

void TdxBarSubItem::Publish(TPublisher<TdxBarSubItem>& p) {
  using S = TdxBarSubItem;
  p.Bool("AllowCustomizing", &S::AllowCustomizing, &S::SetAllowCustomizing).Default(1);
  p.Object("ItemLinks", &S::ItemLinks);
  p.Bool("ShowCaption", [](S& s) { return s.ShowCaption(); }, [](S& s, bool v) { s.SetShowCaption(v); }).Default(1);
  PublishGlyph(p);
  PublishClick(p);
  p.Event("OnCloseUp", [](S& s) { return s.OnCloseUp; }, [](S& s, TNotifyEvent v) { s.OnCloseUp = v; });
  p.Event("OnPopup", [](S& s) { return s.OnPopup; }, [](S& s, TNotifyEvent v) { s.OnPopup = v; });
}

// ---------------------------------------------------------------------------------------------------
// Containers

void TCustomdxBarContainerItem::AddListedItemLinks(TdxBarItemLinks* ALinks, int AIndex, TCustomdxBarControl*,
                                                   bool FireGetData) {
  if (FListed && FListedLinks) DeleteListedItemLinks(FListedLinks, FListedIndex);
  if (FireGetData && OnGetData) {
    TdxLiveGuard alive(this);
    OnGetData(this);
    if (!alive) return;
  }
  FListed = true;
  FListedLinks = ALinks;
  FListedIndex = AIndex;
  int before = ALinks->Count();
  FillListed(ALinks, AIndex);
  FListedCount = ALinks->Count() - before;
}

void TCustomdxBarContainerItem::DeleteListedItemLinks(TdxBarItemLinks* ALinks, int AIndex) {
  for (int i = 0; i < FListedCount && AIndex < ALinks->Count(); ++i) ALinks->Delete(AIndex);
  FListedCount = 0;
  FListed = false;
  FListedLinks = nullptr;
  ClearItemList();
}

void TdxBarContainerItem::Publish(TPublisher<TdxBarContainerItem>& p) {
  using C = TdxBarContainerItem;
  p.Object("ItemLinks", [](C& c) { return c.ItemLinks(); });
  p.Event("OnGetData", [](C& c) { return c.OnGetData; }, [](C& c, TNotifyEvent v) { c.OnGetData = v; });
}

void TdxBarContainerItem::FillListed(TdxBarItemLinks* ALinks, int AIndex) {
  if (ALinks == FItemLinks) return;
  std::vector<TdxBarItemLink*> own;
  for (int i = 0; i < FItemLinks->Count(); ++i) own.push_back(FItemLinks->Items(i));
  for (size_t i = 0; i < own.size(); ++i) {
    TdxBarItemLink* l = ALinks->Insert(AIndex + int(i));
    l->Assign(own[i]);
    if (i == 0) l->SetBeginGroup(true);
  }
}

TdxBarListItem::TdxBarListItem(TComponent* AOwner) : TCustomdxBarContainerItem(AOwner), FItems(new TStringList) {}

void TdxBarListItem::BeforeDestruction() {
  FreeButtons();
  TCustomdxBarContainerItem::BeforeDestruction();
}

TdxBarListItem::~TdxBarListItem() { TObject::Free(FItems); }

void TdxBarListItem::Publish(TPublisher<TdxBarListItem>& p) {
  using L = TdxBarListItem;
  p.Int("ItemIndex", &L::ItemIndex, &L::SetItemIndex).Default(-1);
  p.Object("Items", [](L& l) -> TStrings* { return l.Items(); });
  p.Bool("ShowCheck", &L::ShowCheck, &L::SetShowCheck).Default(0);
  p.Bool("ShowNumbers", &L::ShowNumbers, &L::SetShowNumbers).Default(1);
  PublishGlyph(p);
  PublishClick(p);
  p.Event("OnGetData", [](L& l) { return l.OnGetData; }, [](L& l, TNotifyEvent v) { l.OnGetData = v; });
}

namespace {
// "&1 " to "&9 ", then "&A " on; past Z there is no accelerator character left.
std::string NumberPrefix(int Position) {
  int n = Position + 1;
  if (n <= 9) return "&" + std::to_string(n) + " ";
  if (n - 10 < 26) return std::string("&") + char('A' + (n - 10)) + " ";
  return std::string();
}
}  // namespace

void TdxBarListItem::FillListed(TdxBarItemLinks* ALinks, int AIndex) {
  bool group = true;
  int position = 0, inserted = 0;
  for (int i = 0; i < FItems->Count(); ++i) {
    std::string s = FItems->Strings(i);
    if (s == "-") {
      group = true;
      continue;
    }
    if (size_t(position) >= FButtons.size()) {
      TComponent* owner = FBarManager ? static_cast<TComponent*>(FBarManager->ParentForm()) : Owner();
      auto* b = new TdxBarButton(owner);
      b->FreeNotification(this);
      b->OnClick = Bind(this, &TdxBarListItem::ButtonClick);
      FButtons.push_back(b);
    }
    TdxBarButton* b = FButtons[size_t(position)];
    if (FShowCheck) {
      b->SetButtonStyle(bsChecked);
      b->SetDown(position == FItemIndex);
    } else {
      b->SetButtonStyle(bsDefault);
    }
    b->SetCaption((FShowNumbers ? NumberPrefix(position) : std::string()) + s);
    b->SetTag(position);
    b->SetEnabled(Enabled());
    TdxBarItemLink* l = ALinks->Insert(AIndex + inserted);
    l->SetItem(b);
    l->SetBeginGroup(group);
    group = false;
    ++position;
    ++inserted;
  }
}

void TdxBarListItem::ClearItemList() {
  if (!FButtons.empty() && FButtons.front()->LinkCount() == 0) FreeButtons();
}

void TdxBarListItem::FreeButtons() {
  std::vector<TdxBarButton*> buttons;
  buttons.swap(FButtons);
  for (auto* b : buttons) TObject::Free(b);
}

void TdxBarListItem::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomdxBarContainerItem::Notification(AComponent, Operation);
  if (Operation == opRemove)
    FButtons.erase(std::remove(FButtons.begin(), FButtons.end(), AComponent), FButtons.end());
}

void TdxBarListItem::ButtonClick(TObject* Sender) {
  auto* b = dynamic_cast<TdxBarButton*>(Sender);
  if (!b) return;
  FItemIndex = int32_t(b->Tag());
  Click();
}

void TdxBarListItem::DoClick() {
  for (auto* l : FLinks)
    if (l->Control() && l->Control()->DroppedDown()) return;
  TCustomdxBarContainerItem::DoClick();
}

// ---------------------------------------------------------------------------------------------------
// The library's item classes, registered at the unit's start. Their controls come with the item-control
// code, which registers them again with its control classes.

void dxBarRegisterStandardItems() {
  dxBarRegisterItem(TdxBarButton::StaticClass(), &dxMakeItemControl<TdxBarButtonControl>, true);
  dxBarRegisterItem(TdxBarEdit::StaticClass(), &dxMakeItemControl<TdxBarEditControl>, true);
  dxBarRegisterItem(TCustomdxBarCombo::StaticClass(), &dxMakeItemControl<TCustomdxBarComboControl>, true);
  dxBarRegisterItem(TdxBarCombo::StaticClass(), &dxMakeItemControl<TdxBarComboControl>, true);
  dxBarRegisterItem(TdxBarSubItem::StaticClass(), &dxMakeItemControl<TdxBarSubItemControl>, true);
  dxBarRegisterItem(TdxBarListItem::StaticClass(), &dxMakeItemControl<TdxBarContainerItemControl>, true);
  dxBarRegisterItem(TdxBarContainerItem::StaticClass(), &dxMakeItemControl<TdxBarContainerItemControl>, true);
}
