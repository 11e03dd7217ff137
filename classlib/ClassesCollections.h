// Collections: owned lists of items of one class, stored in form resources as `< item ... end >`.
#pragma once

#include <string>
#include <vector>

#include "ClassesCore.h"

class TCollectionItem : public TPersistent {
  YOZ_CLASS(TCollectionItem, TPersistent)
public:
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;
  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* Value);
  int Index() const;
  virtual void SetIndex(int Value);
  int ID() const { return FID; }
  virtual std::string DisplayName() const;
  std::string GetNamePath() override;
  TPersistent* GetOwner() override;

protected:
  // Tells the collection this item (or, with AllItems, the whole collection) changed.
  void Changed(bool AllItems);

private:
  TCollection* FCollection = nullptr;
  int FID = 0;
  friend class TCollection;
};

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollection : public TPersistent {
  YOZ_CLASS(TCollection, TPersistent)
public:
  explicit TCollection(TClass ItemClass);
  ~TCollection() override;
  TClass ItemClass() const { return FItemClass; }
  int Count() const { return int(FItems.size()); }
  TCollectionItem* Items(int Index) const;   // EListError when out of range
  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  TCollectionItem* FindItemID(int ID) const;
  virtual void BeginUpdate() { ++FUpdateCount; }
  virtual void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  void Assign(TPersistent* Source) override;
  std::string GetNamePath() override;
  // The owner's property name this collection is published as ("Bars"), for name paths.
  std::string PropName;

protected:
  // Called with the changed item, or nullptr for the whole collection, when no update is pending.
  virtual void Update(TCollectionItem* Item) {}
  // cnAdded comes from the item's base constructor: its derived parts do not exist yet.
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {}
  void Changed();
  // A whole new item made by Add or Insert.
  virtual void Added(TCollectionItem* Item) {}
  virtual void Deleting(TCollectionItem* Item) {}

private:
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  TClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
  friend class TCollectionItem;
};

class TOwnedCollection : public TCollection {
  YOZ_CLASS(TOwnedCollection, TCollection)
public:
  TOwnedCollection(TPersistent* AOwner, TClass ItemClass) : TCollection(ItemClass), FOwner(AOwner) {}
  TPersistent* GetOwner() override { return FOwner; }

private:
  TPersistent* FOwner;
};
