#include "ActnList.h"

#include <algorithm>

#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"

// ---------------------------------------------------------------------------------------------------
// Links

TBasicActionLink::~TBasicActionLink() {
  if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = Value;
  if (FAction) FAction->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* Target) {
  if (!FAction) return false;
  FAction->SetActionComponent(Target);
  TScopeExit done([this] {
    if (FAction) FAction->SetActionComponent(nullptr);
  });
  return FAction->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() { OnChange(this); }

bool TActionLink::IsCustomAction() const { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
bool TActionLink::IsCaptionLinked() { return IsCustomAction(); }
bool TActionLink::IsCheckedLinked() { return IsCustomAction(); }
bool TActionLink::IsEnabledLinked() { return IsCustomAction(); }
bool TActionLink::IsHelpContextLinked() { return IsCustomAction(); }
bool TActionLink::IsHintLinked() { return IsCustomAction(); }
bool TActionLink::IsImageIndexLinked() { return IsCustomAction(); }
bool TActionLink::IsShortCutLinked() { return IsCustomAction(); }
bool TActionLink::IsVisibleLinked() { return IsCustomAction(); }
bool TActionLink::IsOnExecuteLinked() { return FAction != nullptr; }

// ---------------------------------------------------------------------------------------------------
// TBasicAction

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  // Links outlive the action only as empty links.
  auto clients = FClients;
  FClients.clear();
  for (auto* link : clients) link->SetAction(nullptr);
}

bool TBasicAction::Execute() {
  if (!FOnExecute) return false;
  FOnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
  if (FActionComponent == Value) return;
  if (FActionComponent) FActionComponent->RemoveFreeNotification(this);
  FActionComponent = Value;
  if (FActionComponent) FActionComponent->FreeNotification(this);
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  if (std::find(FClients.begin(), FClients.end(), Value) == FClients.end()) FClients.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), Value), FClients.end());
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActionComponent) FActionComponent = nullptr;
}

void TBasicAction::SetOnExecute(const TNotifyEvent& Value) {
  if (FOnExecute == Value) return;
  FOnExecute = Value;
  Change();
}

void TBasicAction::Change() {
  auto clients = FClients;  // a link may unlink itself while told
  for (auto* link : clients)
    if (std::find(FClients.begin(), FClients.end(), link) != FClients.end()) link->Change();
  OnChange(this);
}

void TBasicAction::Publish(TPublisher<TBasicAction>& p) {
  p.Event("OnExecute", &TBasicAction::OnExecute, &TBasicAction::SetOnExecute);
  p.Event("OnUpdate", &TBasicAction::OnUpdate);
}

// ---------------------------------------------------------------------------------------------------
// TContainedAction

TContainedAction::~TContainedAction() {
  if (FActionList) FActionList->RemoveAction(this);
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (Value == FActionList) return;
  if (FActionList) FActionList->RemoveAction(this);
  if (Value) Value->AddAction(this);
}

int TContainedAction::Index() const {
  if (!FActionList) return -1;
  for (int i = 0; i < FActionList->ActionCount(); ++i)
    if (FActionList->Actions(i) == this) return i;
  return -1;
}

void TContainedAction::SetCategory(const std::string& Value) {
  if (Value == FCategory) return;
  FCategory = Value;
  Change();
}

bool TContainedAction::Execute() {
  if (FActionList && FActionList->ExecuteAction(this)) return true;
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (FActionList && FActionList->UpdateAction(this)) return true;
  return TBasicAction::Update();
}

TComponent* TContainedAction::GetParentComponent() { return FActionList; }

void TContainedAction::SetParentComponent(TComponent* Value) {
  if (auto* list = dynamic_cast<TCustomActionList*>(Value)) SetActionList(list);
}

void TContainedAction::Publish(TPublisher<TContainedAction>& p) {
  p.Str("Category", &TContainedAction::Category, &TContainedAction::SetCategory);
}

// ---------------------------------------------------------------------------------------------------
// TCustomAction

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

namespace {
// Tells every TActionLink among the clients.
template <class F>
void ForLinks(const std::vector<TBasicActionLink*>& clients, F f) {
  auto copy = clients;
  for (auto* c : copy)
    if (auto* link = dynamic_cast<TActionLink*>(c)) f(link);
}
}  // namespace

void TCustomAction::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  ForLinks(FClients, [&](TActionLink* l) { if (l->IsCaptionLinked()) l->SetCaption(Value); });
  FCaption = Value;
  Change();
}

void TCustomAction::SetChecked(bool Value) {
  if (Value == FChecked) return;
  ForLinks(FClients, [&](TActionLink* l) { if (l->IsCheckedLinked()) l->SetChecked(Value); });
  FChecked = Value;
  Change();
}

void TCustomAction::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  ForLinks(FClients, [&](TActionLink* l) { if (l->IsEnabledLinked()) l->SetEnabled(Value); });
  FEnabled = Value;
  Change();
}

void TCustomAction::SetHelpContext(THelpContext Value) {
  if (Value == FHelpContext) return;
  ForLinks(FClients, [&](TActionLink* l) { if (l->IsHelpContextLinked()) l->SetHelpContext(Value); });
  FHelpContext = Value;
  Change();
}

void TCustomAction::SetHint(const std::string& Value) {
  if (Value == FHint) return;
  ForLinks(FClients, [&](TActionLink* l) { if (l->IsHintLinked()) l->SetHint(Value); });
  FHint = Value;
  Change();
}

void TCustomAction::SetImageIndex(int32_t Value) {
  if (Value == FImageIndex) return;
  ForLinks(FClients, [&](TActionLink* l) { if (l->IsImageIndexLinked()) l->SetImageIndex(Value); });
  FImageIndex = Value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (Value == FShortCut) return;
  ForLinks(FClients, [&](TActionLink* l) { if (l->IsShortCutLinked()) l->SetShortCut(Value); });
  FShortCut = Value;
  Change();
}

void TCustomAction::SetVisible(bool Value) {
  if (Value == FVisible) return;
  ForLinks(FClients, [&](TActionLink* l) { if (l->IsVisibleLinked()) l->SetVisible(Value); });
  FVisible = Value;
  Change();
}

void TCustomAction::SetOnExecute(const TNotifyEvent& Value) {
  if (Value == FOnExecute) return;
  ForLinks(FClients, [&](TActionLink* l) { if (l->IsOnExecuteLinked()) l->SetOnExecute(Value); });
  FOnExecute = Value;
  Change();
}

bool TCustomAction::Execute() {
  Update();
  if (!FEnabled) return false;
  return TContainedAction::Execute();
}

bool TCustomAction::HandleShortCut() { return Execute(); }

void TAction::Publish(TPublisher<TAction>& p) {
  p.Str("Caption", &TAction::Caption, &TAction::SetCaption);
  p.Bool("Checked", &TAction::Checked, &TAction::SetChecked).Default(0);
  p.Bool("Enabled", &TAction::Enabled, &TAction::SetEnabled).Default(1);
  p.Int("HelpContext", &TAction::HelpContext, &TAction::SetHelpContext).Default(0);
  p.Str("Hint", &TAction::Hint, &TAction::SetHint);
  p.Int("ImageIndex", &TAction::ImageIndex, &TAction::SetImageIndex).Default(-1);
  p.Int("ShortCut", &TAction::ShortCut, &TAction::SetShortCut).Default(0);
  p.Bool("Visible", &TAction::Visible, &TAction::SetVisible).Default(1);
}

// ---------------------------------------------------------------------------------------------------
// Action lists

namespace {
std::vector<TCustomActionList*>& AllActionLists() {
  static std::vector<TCustomActionList*> lists;
  return lists;
}
}  // namespace

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {
  AllActionLists().push_back(this);
  // The application updates the actions whenever it becomes idle.
  static int idleKey;
  if (Application) {
    Application->RemoveIdleUpdate(&idleKey);
    Application->AddIdleUpdate(&idleKey, [] { UpdateActionListsOnIdle(); });
  }
}

TCustomActionList::~TCustomActionList() {
  auto& all = AllActionLists();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
  // The actions are owned by the form; they only leave the list.
  for (auto* a : FActions) a->SetActionListField(nullptr);
  FActions.clear();
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  if (std::find(FActions.begin(), FActions.end(), Action) != FActions.end()) return;
  FActions.push_back(Action);
  Action->SetActionListField(this);
  Action->FreeNotification(this);
  Change();
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(FActions.begin(), FActions.end(), Action);
  if (it == FActions.end()) return;
  FActions.erase(it);
  Action->SetActionListField(nullptr);
  Change();
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  Change();
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  OnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  OnUpdate(Action, handled);
  return handled;
}

void TCustomActionList::UpdateActions() {
  auto actions = FActions;  // a handler may free an action
  for (auto* a : actions)
    if (std::find(FActions.begin(), FActions.end(), a) != FActions.end()) a->Update();
}

bool TCustomActionList::IsShortCut(TWMKey& Message) {
  TShortCut sc = ShortCutFromMessage(Message);
  if (sc == 0) return false;
  for (auto* a : std::vector<TContainedAction*>(FActions)) {
    auto* ca = dynamic_cast<TCustomAction*>(a);
    if (!ca || ca->ShortCut() != sc) continue;
    // A disabled action's shortcut does nothing and is not consumed.
    return ca->HandleShortCut();
  }
  return false;
}

void TCustomActionList::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (auto* a : FActions)
    if (a->Owner() == Root) Proc(a);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  if (auto* a = dynamic_cast<TContainedAction*>(AComponent)) RemoveAction(a);
}

void TCustomActionList::Change() { OnChange(this); }

void TCustomActionList::Publish(TPublisher<TCustomActionList>& p) {
  p.Ref("Images", &TCustomActionList::Images, &TCustomActionList::SetImages);
  p.Event("OnChange", &TCustomActionList::OnChange);
  p.Event("OnExecute", &TCustomActionList::OnExecute);
  p.Event("OnUpdate", &TCustomActionList::OnUpdate);
}

void UpdateActionListsOnIdle() {
  auto lists = AllActionLists();
  for (auto* l : lists) {
    auto& all = AllActionLists();
    if (std::find(all.begin(), all.end(), l) == all.end()) continue;
    if (l->ComponentState().Contains(csDestroying) || l->ComponentState().Contains(csLoading)) continue;
    if (l->Owner() && l->Owner()->ComponentState().Contains(csDestroying)) continue;
    l->UpdateActions();
  }
}

bool IsActionShortCut(TComponent* Root, TWMKey& Message) {
  auto lists = AllActionLists();
  for (auto* l : lists)
    if (l->Owner() == Root && l->IsShortCut(Message)) return true;
  return false;
}

// ---------------------------------------------------------------------------------------------------
// Controls with actions

bool TControlActionLink::IsCaptionLinked() {
  auto* a = dynamic_cast<TCustomAction*>(FAction);
  return a && FClient->Caption() == a->Caption();
}
bool TControlActionLink::IsEnabledLinked() {
  auto* a = dynamic_cast<TCustomAction*>(FAction);
  return a && FClient->Enabled() == a->Enabled();
}
bool TControlActionLink::IsHelpContextLinked() {
  auto* a = dynamic_cast<TCustomAction*>(FAction);
  return a && FClient->HelpContext() == a->HelpContext();
}
bool TControlActionLink::IsHintLinked() {
  auto* a = dynamic_cast<TCustomAction*>(FAction);
  return a && FClient->Hint() == a->Hint();
}
bool TControlActionLink::IsVisibleLinked() {
  auto* a = dynamic_cast<TCustomAction*>(FAction);
  return a && FClient->Visible() == a->Visible();
}
bool TControlActionLink::IsOnExecuteLinked() {
  return FAction && FClient->OnClick == FAction->OnExecute();
}
void TControlActionLink::SetCaption(const std::string& Value) { FClient->SetCaption(Value); }
void TControlActionLink::SetEnabled(bool Value) { FClient->SetEnabled(Value); }
void TControlActionLink::SetHelpContext(THelpContext Value) { FClient->SetHelpContext(Value); }
void TControlActionLink::SetHint(const std::string& Value) { FClient->SetHint(Value); }
void TControlActionLink::SetVisible(bool Value) { FClient->SetVisible(Value); }
void TControlActionLink::SetOnExecute(const TNotifyEvent& Value) { FClient->OnClick = Value; }

TControlActionClient::~TControlActionClient() { delete FLink; }

void TControlActionClient::SetAction(TBasicAction* Value, TActionLink* (*Make)(TControl*)) {
  if (!Value) {
    delete FLink;
    FLink = nullptr;
    return;
  }
  if (!FLink) FLink = Make ? Make(FControl) : new TControlActionLink(FControl);
  FLink->SetAction(Value);
  Value->FreeNotification(FControl);
  // The control takes the action's state at once, but a caption or hint of its own read with it from
  // a form stays: a form stores one only where it differs from the action's.
  if (auto* a = dynamic_cast<TCustomAction*>(Value)) {
    bool loading = FControl->ComponentState().Contains(csLoading);
    if (!loading || FControl->Caption().empty()) FLink->SetCaption(a->Caption());
    FLink->SetEnabled(a->Enabled());
    if (!loading || FControl->Hint().empty()) FLink->SetHint(a->Hint());
    FLink->SetHelpContext(a->HelpContext());
    FLink->SetVisible(a->Visible());
    FLink->SetChecked(a->Checked());
    FLink->SetImageIndex(a->ImageIndex());
  }
  if (!FControl->OnClick) FControl->OnClick = Value->OnExecute();
}

void TControlActionClient::Click() {
  TBasicAction* a = Action();
  if (FControl->OnClick && (!a || !(FControl->OnClick == a->OnExecute()))) {
    FControl->OnClick(FControl);
  } else if (FLink && !FControl->ComponentState().Contains(csDesigning)) {
    FLink->Execute(FControl);
  } else {
    FControl->OnClick(FControl);
  }
}

void TControlActionClient::ActionRemoved(TComponent* AComponent) {
  if (FLink && AComponent == FLink->Action()) {
    delete FLink;
    FLink = nullptr;
  }
}

void RegisterActnListClasses() {
  RegisterClasses({TAction::StaticClass(), TActionList::StaticClass()});
}
