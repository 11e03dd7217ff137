// Pointer lists and string lists.
#pragma once

#include <string>
#include <vector>

#include "ClassesCore.h"

// ---------------------------------------------------------------------------------------------------
// Pointer lists

class TList : public TObject {
  YOZ_CLASS(TList, TObject)
public:
  using TListSortCompare = int (*)(void* Item1, void* Item2);
  ~TList() override = default;
  int Count() const { return int(FItems.size()); }
  int Capacity() const { return int(FItems.capacity()); }
  void SetCapacity(int NewCapacity);
  void* Items(int Index) const;             // EListError "List index out of bounds (%d)"
  void SetItems(int Index, void* Item);
  void* operator[](int Index) const { return Items(Index); }
  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  int Remove(void* Item);                   // index it had, -1 when absent
  int IndexOf(void* Item) const;
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void Clear() { FItems.clear(); }
  void Pack();                              // drops nil entries
  void Sort(TListSortCompare Compare);
  std::vector<void*>& List() { return FItems; }

private:
  std::vector<void*> FItems;
};

// ---------------------------------------------------------------------------------------------------
// String lists

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
  YOZ_CLASS(TStrings, TPersistent)
public:
  int Count() const { return GetCount(); }
  std::string Strings(int Index) const { return Get(Index); }
  void SetStrings(int Index, const std::string& S) { Put(Index, S); }
  std::string operator[](int Index) const { return Get(Index); }
  TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  virtual void Insert(int Index, const std::string& S) = 0;
  void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);
  virtual int IndexOf(const std::string& S) const;   // case-insensitive here; TStringList decides
  int IndexOfObject(TObject* AObject) const;
  int IndexOfName(const std::string& Name) const;
  void AddStrings(TStrings* Strings);
  // Replaces the strings by Items, in one update.
  void AssignStrings(const std::vector<std::string>& Items);
  void Assign(TPersistent* Source) override;
  bool Equals(TStrings* Strings) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Lines each followed by CR LF; setting splits at CR LF, CR or LF.
  virtual std::string Text() const;
  virtual void SetText(const std::string& Value);
  // Items separated by commas, quoted with '"' when they hold blanks, commas or quotes.
  std::string CommaText() const;
  void SetCommaText(const std::string& Value);
  std::string Names(int Index) const;       // the part before '=' ("" without one)
  std::string Values(const std::string& Name) const;
  void SetValues(const std::string& Name, const std::string& Value);   // "" deletes the entry

  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream) const;
  // Form resources store the lines as the extra property "Strings".
  void DefineProperties(TFiler* Filer) override;

protected:
  virtual std::string Get(int Index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const { return nullptr; }
  virtual void Put(int Index, const std::string& S);
  virtual void PutObject(int Index, TObject* AObject) {}
  // Called when the update count leaves (Updating false) or reaches (true) zero.
  virtual void SetUpdateState(bool Updating) {}
  virtual int CompareStrings(const std::string& S1, const std::string& S2) const;
  [[noreturn]] void Error(const char* Msg, int Data) const;

private:
  int FUpdateCount = 0;
};

class TStringList;
using TStringListSortCompare = int (*)(TStringList* List, int Index1, int Index2);

class TStringList : public TStrings {
  YOZ_CLASS(TStringList, TStrings)
public:
  TStringList() = default;
  ~TStringList() override;
  int Add(const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const std::string& S) const override;
  // Binary search of a sorted list: true when found; Index is the match or the insertion point.
  virtual bool Find(const std::string& S, int& Index) const;
  virtual void Sort();
  virtual void CustomSort(TStringListSortCompare Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  void SetCaseSensitive(bool Value);
  // When set, the list frees its objects as their entries go.
  bool OwnsObjects = false;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  std::string Get(int Index) const override;
  int GetCount() const override { return int(FList.size()); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::string& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const std::string& S1, const std::string& S2) const override;
  virtual void Changed();
  virtual void Changing();
  void InsertItem(int Index, const std::string& S, TObject* AObject);

private:
  struct TItem {
    std::string S;
    TObject* O;
  };
  void CheckIndex(int Index, bool AllowEnd = false) const;
  std::vector<TItem> FList;
  bool FSorted = false;
  bool FCaseSensitive = false;
  TDuplicates FDuplicates = dupIgnore;
};
