// Component model: class information, persistence, ownership, names, notifications, class registry.
#include "ClassesCore.h"
#include "ClassesCollections.h"

#include <algorithm>
#include <map>

// ---------------------------------------------------------------------------------------------------
// Class information

namespace ClassesDetail {
TComponent* AsComponent(TObject* o) { return dynamic_cast<TComponent*>(o); }
TCollection* AsCollection(TObject* o) { return dynamic_cast<TCollection*>(o); }
}  // namespace ClassesDetail

int TEnumInfo::IndexOf(const std::string& name) const {
  for (size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], name)) return int(i);
  return -1;
}

TPropInfo& TPropList::Add(const char* name, TTypeKind kind) {
  auto p = std::make_unique<TPropInfo>();
  p->Name = name;
  p->Kind = kind;
  Props.push_back(std::move(p));
  return *Props.back();
}

const TPropList& TClassInfo::Own() const {
  std::call_once(FOnce, [this] {
    if (PublishFn) PublishFn(FOwn);
  });
  return FOwn;
}

bool TClassInfo::InheritsFrom(TClass c) const {
  for (TClass k = this; k; k = k->Parent)
    if (k == c) return true;
  return false;
}

const TPropInfo* TClassInfo::FindProp(const std::string& name) const {
  for (TClass k = this; k; k = k->Parent)
    for (auto& p : k->Own().Props)
      if (SameText(p->Name, name)) return p.get();
  return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::Props() const {
  // Base class first, each name once with its most derived declaration in the base's position.
  std::vector<TClass> chain;
  for (TClass k = this; k; k = k->Parent) chain.push_back(k);
  std::vector<const TPropInfo*> out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (auto& p : (*it)->Own().Props) {
      auto same = std::find_if(out.begin(), out.end(), [&](const TPropInfo* q) { return SameText(q->Name, p->Name); });
      if (same != out.end())
        *same = p.get();
      else
        out.push_back(p.get());
    }
  return out;
}

const TMethodEntry* TClassInfo::FindMethod(const std::string& name) const {
  for (TClass k = this; k; k = k->Parent)
    for (auto& m : k->Own().Methods)
      if (SameText(m.Name, name)) return &m;
  return nullptr;
}

// ---------------------------------------------------------------------------------------------------
// TObject

TClass TObject::StaticClass() {
  static const TClassInfo info("TObject", nullptr, nullptr, nullptr);
  return &info;
}

std::string TObject::ClassName() const { return ClassType()->Name; }

bool TObject::InheritsFrom(TClass c) const { return ClassType()->InheritsFrom(c); }

void TObject::Free(TObject* obj) {
  if (!obj) return;
  obj->BeforeDestruction();
  delete obj;
}

// ---------------------------------------------------------------------------------------------------
// TPersistent

void TPersistent::Assign(TPersistent* Source) {
  if (Source)
    Source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  std::string src = Source ? Source->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + src + " to a " + ClassName());
}

std::string TPersistent::GetNamePath() {
  return ClassName();
}

// ---------------------------------------------------------------------------------------------------
// TComponent

namespace {
bool IsValidIdent(const std::string& s) {
  if (s.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(s[0])) return false;
  for (char c : s)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

std::vector<TComponent*>& GlobalRoots() {
  static std::vector<TComponent*> roots;
  return roots;
}
}  // namespace

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

void TComponent::BeforeDestruction() {
  if (!FComponentState.Contains(csDestroying)) Destroying();
  AnnounceRemoval();
}

// Tells free-notification partners and the owner while the object is still whole, so that their
// Notification may still look at it; it stays in the owner's list until the destructor ends.
void TComponent::AnnounceRemoval() {
  if (FAnnounced) return;
  FAnnounced = true;
  UnregisterGlobalRoot(this);
  ClassesDetail::DropFixups(this);
  // Each Notification may drop links (ours or others'), so re-check every step.
  while (!FFreeNotifies.empty()) {
    TComponent* c = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    auto& theirs = c->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    c->Notification(this, opRemove);
  }
  if (FOwner) FOwner->Notification(this, opRemove);
}

TComponent::~TComponent() {
  Destroying();
  ClassesDetail::ForgetLoading(this);
  AnnounceRemoval();
  DestroyComponents();
  if (FOwner) FOwner->Remove(this);
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::DestroyComponents() {
  // Take the last each time: a component freed by another one's destructor has left the list already.
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    if (c->FComponentState.Contains(csFreeNotification))
      RemoveComponent(c);
    else
      Remove(c);
    TObject::Free(c);
  }
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= int(FComponents.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FComponents[Index];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& v = FOwner->FComponents;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : int(it - v.begin());
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  AComponent->FOwner = nullptr;
  FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), AComponent), FComponents.end());
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent->FOwner == this) return;
  // Two owned components of one name would make FindComponent and the form reader ambiguous.
  if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
    throw EComponentError("A component named " + AComponent->FName + " already exists");
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName) {
  if (AComponent && !SameText(CurName, NewName) && AComponent->FOwner == this && FindComponent(NewName))
    throw EComponentError("A component named " + NewName + " already exists");
}

void TComponent::SetName(const std::string& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError("'" + NewName + "' is not a valid component name");
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  ChangeName(NewName);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (!FOwner || AComponent->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent), FFreeNotifies.end());
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Copy: a handler may free or insert components while we walk.
  std::vector<TComponent*> owned = FComponents;
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    TComponent* c = *it;
    if (c == AComponent) continue;
    if (std::find(FComponents.begin(), FComponents.end(), c) == FComponents.end()) continue;
    c->Notification(AComponent, Operation);
  }
}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::SetDesigning(bool Value) {
  if (Value)
    FComponentState.Include(csDesigning);
  else
    FComponentState.Exclude(csDesigning);
  for (TComponent* c : FComponents) c->SetDesigning(Value);
}

std::string TComponent::GetNamePath() { return FName; }

// ---------------------------------------------------------------------------------------------------
// Class registry and global roots

namespace {
std::map<std::string, TClass>& Registry() {
  static std::map<std::string, TClass> reg;
  return reg;
}
}  // namespace

void RegisterClass(TClass AClass) { Registry()[UpperCase(AClass->Name)] = AClass; }

void RegisterClasses(std::initializer_list<TClass> Classes) {
  for (TClass c : Classes) RegisterClass(c);
}

void UnRegisterClass(TClass AClass) {
  auto& r = Registry();
  auto it = r.find(UpperCase(AClass->Name));
  if (it != r.end() && it->second == AClass) r.erase(it);
}

TClass GetClass(const std::string& ClassName) {
  auto& r = Registry();
  auto it = r.find(UpperCase(ClassName));
  return it == r.end() ? nullptr : it->second;
}

TClass FindClass(const std::string& ClassName) {
  TClass c = GetClass(ClassName);
  if (!c) throw EClassNotFound("Class " + ClassName + " not found");
  return c;
}

void RegisterGlobalRoot(TComponent* Root) {
  auto& v = GlobalRoots();
  if (std::find(v.begin(), v.end(), Root) == v.end()) v.push_back(Root);
  ClassesDetail::ResolvePendingFixups();
}

void UnregisterGlobalRoot(TComponent* Root) {
  auto& v = GlobalRoots();
  v.erase(std::remove(v.begin(), v.end(), Root), v.end());
}

TComponent* FindGlobalComponent(const std::string& Name) {
  for (TComponent* c : GlobalRoots())
    if (!c->Name().empty() && SameText(c->Name(), Name)) return c;
  return nullptr;
}
