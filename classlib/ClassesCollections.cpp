// Collections and their items.
#include <algorithm>

#include "ClassesCollections.h"

namespace {
[[noreturn]] void IndexError(int Index) {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}
}  // namespace

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& v = FCollection->FItems;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : int(it - v.begin());
}

void TCollectionItem::SetIndex(int Value) {
  int cur = Index();
  if (cur < 0 || Value == cur) return;
  auto& v = FCollection->FItems;
  if (Value < 0 || Value >= int(v.size())) IndexError(Value);
  v.erase(v.begin() + cur);
  v.insert(v.begin() + Value, this);
  Changed(true);
}

std::string TCollectionItem::DisplayName() const { return ClassName(); }

std::string TCollectionItem::GetNamePath() {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

TCollection::TCollection(TClass ItemClass) : FItemClass(ItemClass) {}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no Update calls into a half-destroyed owner
  while (!FItems.empty()) TObject::Free(FItems.back());
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= int(FItems.size())) IndexError(Index);
  return FItems[Index];
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass || !FItemClass->Create)
    throw EInvalidOperation("Cannot create an item of " + std::string(FItemClass ? FItemClass->Name : "nil"));
  TObject* o = FItemClass->Create(this);
  auto* item = dynamic_cast<TCollectionItem*>(o);
  if (!item) {
    TObject::Free(o);
    throw EInvalidOperation(std::string(FItemClass->Name) + " is not a collection item");
  }
  Added(item);
  return item;
}

TCollectionItem* TCollection::Insert(int Index) {
  if (Index < 0 || Index > int(FItems.size())) IndexError(Index);
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(int Index) { TObject::Free(Items(Index)); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  TUpdateScope update(this);
  while (!FItems.empty()) TObject::Free(FItems.back());
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (auto* i : FItems)
    if (i->FID == ID) return i;
  return nullptr;
}

void TCollection::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCollection*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  TUpdateScope update(this);
  Clear();
  for (auto* i : src->FItems) Add()->Assign(i);
}

std::string TCollection::GetNamePath() {
  TPersistent* owner = GetOwner();
  if (!owner || PropName.empty()) return ClassName();
  std::string s = owner->GetNamePath();
  return s.empty() ? PropName : s + "." + PropName;
}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Deleting(Item);
  Notify(Item, cnExtracting);
  FItems.erase(std::remove(FItems.begin(), FItems.end(), Item), FItems.end());
  Item->FCollection = nullptr;
  Changed();
}
