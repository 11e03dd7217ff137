#include "OvcBase.h"

#include "Forms.h"
#include "OvcExcpt.h"
#include "OvcIntl.h"
#include "OvcSrMgr.h"

const TEnumInfo OvcBaseEFOptionNames{
    "TOvcBaseEFOption",
    {"efoAutoAdvanceChar", "efoAutoAdvanceLeftRight", "efoAutoAdvanceUpDown", "efoAutoSelect", "efoBeepOnError",
     "efoInsertPushes"}};

void TOvcComponent::Publish(TPublisher<TOvcComponent>& p) {
  p.Str("About", &TOvcComponent::About, [](TOvcComponent&, const std::string&) {}).Stored(false);
}

// ---------------------------------------------------------------------------------------------------
// TOvcController

TOvcController::TOvcController(TComponent* AOwner) : TOvcComponent(AOwner) {
  FEntryCommands = new TOvcCommandProcessor;
  SYSTEMTIME now;
  GetLocalTime(&now);
  FEpoch = now.wYear / 100 * 100;
  FTimerPool = new TOvcTimerPool(nullptr);
  FTimerPool->OnAllTriggers = Bind(this, &TOvcController::TimerPoolTrigger);
}

TOvcController::~TOvcController() {
  TObject::Free(FEntryCommands);
  TObject::Free(FTimerPool);
}

int32_t TOvcController::Epoch() {
  int32_t e = FEpoch;
  OnGetEpoch(this, e);
  return e;
}

void TOvcController::SetEpoch(int32_t Value) {
  if (Value != FEpoch && Value >= 1600 && Value <= 3999) FEpoch = Value;
}

bool TOvcController::IsSpecialControl(TWinControl* Control) {
  bool special = false;
  OnIsSpecialControl(this, Control, special);
  return special;
}

void TOvcController::TimerPoolTrigger(TObject* Sender, int32_t Handle, uint32_t Interval, int32_t ElapsedTime) {
  OnTimerTrigger(this, Handle, Interval, ElapsedTime);
}

void TOvcController::Publish(TPublisher<TOvcController>& p) {
  p.Object("EntryCommands", &TOvcController::EntryCommands);
  p.Set("EntryOptions", OvcBaseEFOptionNames, &TOvcController::EntryOptions, &TOvcController::SetEntryOptions)
      .Default(TOvcBaseEFOptions{efoAutoSelect, efoBeepOnError, efoInsertPushes}.Bits());
  p.Int("Epoch", &TOvcController::FEpoch, &TOvcController::SetEpoch);
  p.Event("OnDelayNotify", &TOvcController::OnDelayNotify);
  p.Event("OnError", &TOvcController::OnError);
  p.Event("OnGetEpoch", &TOvcController::OnGetEpoch);
  p.Event("OnIsSpecialControl", &TOvcController::OnIsSpecialControl);
  p.Event("OnPostEdit", &TOvcController::OnPostEdit);
  p.Event("OnPreEdit", &TOvcController::OnPreEdit);
  p.Event("OnTimerTrigger", &TOvcController::OnTimerTrigger);
}

// ---------------------------------------------------------------------------------------------------
// TOvcLabelInfo

void TOvcLabelInfo::SetOffsetX(int32_t Value) { SetOffsets(Value, FOffsetY); }
void TOvcLabelInfo::SetOffsetY(int32_t Value) { SetOffsets(FOffsetX, Value); }

void TOvcLabelInfo::SetOffsets(int32_t X, int32_t Y) {
  if (X == FOffsetX && Y == FOffsetY) return;
  FOffsetX = X;
  FOffsetY = Y;
  OnChange(this);
}

void TOvcLabelInfo::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  OnVisibleChange(this, Value);
}

void TOvcLabelInfo::Publish(TPublisher<TOvcLabelInfo>& p) {
  p.Int("OffsetX", &TOvcLabelInfo::OffsetX, &TOvcLabelInfo::SetOffsetX).StoredIf<TOvcLabelInfo>(&TOvcLabelInfo::Visible);
  p.Int("OffsetY", &TOvcLabelInfo::OffsetY, &TOvcLabelInfo::SetOffsetY).StoredIf<TOvcLabelInfo>(&TOvcLabelInfo::Visible);
  p.Bool("Visible", &TOvcLabelInfo::Visible, &TOvcLabelInfo::SetVisible).Default(0);
}

// ---------------------------------------------------------------------------------------------------
// TOvcAttachedLabel

TOvcAttachedLabel::TOvcAttachedLabel(TComponent* AOwner) : TLabel(AOwner) {
  SetAutoSize(true);
  SetParentFont(true);
  SetTransparent(false);
}

TOvcAttachedLabel::TOvcAttachedLabel(TComponent* AOwner, TWinControl* AControl) : TOvcAttachedLabel(AOwner) {
  SetControl(AControl);
  SetFocusControl(AControl);
}

void TOvcAttachedLabel::SetControl(TWinControl* Value) {
  if (Value == FControl) return;
  if (FControl) FControl->RemoveFreeNotification(this);
  FControl = Value;
  if (FControl) FControl->FreeNotification(this);
}

void TOvcAttachedLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TLabel::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FControl) FControl = nullptr;
}

void TOvcAttachedLabel::SavePosition() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  if (!FControl || !Owner() || FControl->Owner() != Owner() || !FControl->HandleAllocated()) return;
  SendMessageA(FControl->Handle(), OM_ASSIGNLABEL, 0, reinterpret_cast<LPARAM>(this));
  PostMessageA(FControl->Handle(), OM_RECORDLABELPOSITION, 0, 0);
}

void TOvcAttachedLabel::Loaded() {
  TLabel::Loaded();
  SavePosition();
}

void TOvcAttachedLabel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TLabel::SetBounds(ALeft, ATop, AWidth, AHeight);
  SavePosition();
}

void TOvcAttachedLabel::Publish(TPublisher<TOvcAttachedLabel>& p) {
  p.Ref("Control", &TOvcAttachedLabel::Control, &TOvcAttachedLabel::SetControl);
}

// ---------------------------------------------------------------------------------------------------

TOvcController* FindController(TControl* Control) {
  TControl* c = Control;
  while (c && !dynamic_cast<TCustomForm*>(c)) c = c->Parent();
  if (!c) return nullptr;
  for (int i = 0; i < c->ComponentCount(); ++i)
    if (auto* oc = dynamic_cast<TOvcController*>(c->Components(i))) return oc;
  return nullptr;
}

std::string OvcUniqueComponentName(TComponent* Owner, const std::string& Base) {
  bool valid = !Base.empty();
  for (size_t i = 0; valid && i < Base.size(); ++i) {
    char c = Base[i];
    bool alpha = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    valid = alpha || (i > 0 && c >= '0' && c <= '9');
  }
  if (!valid) throw EComponentError("'" + Base + "' is not a valid component name");
  for (int n = 1;; ++n) {
    std::string name = Base + std::to_string(n);
    if (!Owner || !Owner->FindComponent(name)) return name;
  }
}

void OvcBaseInitialize() {
  OvcSrMgrInitialize();
  OvcIntlInitialize();
  RegisterClasses({TOvcController::StaticClass(), TOvcAttachedLabel::StaticClass()});
  OvcTimerInitialize();
}

void OvcBaseFinalize() {
  OvcIntlFinalize();
  OvcSrMgrFinalize();
}
