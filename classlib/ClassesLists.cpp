// Pointer lists and string lists.
#include <algorithm>
#include <numeric>

#include "ClassesFiler.h"
#include "ClassesLists.h"
#include "ClassesStreams.h"

namespace {
std::string WithNumber(const char* Msg, int Data) {
  std::string s = Msg;
  auto p = s.find("%d");
  if (p != std::string::npos) s.replace(p, 2, std::to_string(Data));
  return s;
}
const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SListCapacityError = "List capacity out of bounds (%d)";
const char* const SListCountError = "List count out of bounds (%d)";
const char* const SSortedListError = "Operation not allowed on sorted list";
const char* const SDuplicateString = "String list does not allow duplicates";

int CompareAnsi(const std::string& a, const std::string& b, bool caseSensitive) {
  int r = CompareStringA(LOCALE_USER_DEFAULT, caseSensitive ? 0 : NORM_IGNORECASE, a.data(), int(a.size()), b.data(),
                         int(b.size()));
  return r - CSTR_EQUAL;
}
}  // namespace

// ---------------------------------------------------------------------------------------------------
// TList

void* TList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(WithNumber(SListIndexError, Index));
  return FItems[Index];
}

void TList::SetItems(int Index, void* Item) {
  if (Index < 0 || Index >= Count()) throw EListError(WithNumber(SListIndexError, Index));
  FItems[Index] = Item;
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count()) throw EListError(WithNumber(SListCapacityError, NewCapacity));
  FItems.reserve(NewCapacity);
}

int TList::Add(void* Item) {
  FItems.push_back(Item);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) throw EListError(WithNumber(SListIndexError, Index));
  FItems.insert(FItems.begin() + Index, Item);
}

void TList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError(WithNumber(SListIndexError, Index));
  FItems.erase(FItems.begin() + Index);
}

int TList::IndexOf(void* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : int(it - FItems.begin());
}

int TList::Remove(void* Item) {
  int i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

void TList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= Count()) throw EListError(WithNumber(SListIndexError, Index1));
  if (Index2 < 0 || Index2 >= Count()) throw EListError(WithNumber(SListIndexError, Index2));
  std::swap(FItems[Index1], FItems[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= Count()) throw EListError(WithNumber(SListIndexError, NewIndex));
  void* item = Items(CurIndex);
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, item);
}

void TList::Pack() { FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end()); }

void TList::Sort(TListSortCompare Compare) {
  std::stable_sort(FItems.begin(), FItems.end(), [Compare](void* a, void* b) { return Compare(a, b) < 0; });
}

// ---------------------------------------------------------------------------------------------------
// TStrings

void TStrings::Error(const char* Msg, int Data) const { throw EStringListError(WithNumber(Msg, Data)); }

int TStrings::Add(const std::string& S) {
  int i = GetCount();
  Insert(i, S);
  return i;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  int i = Add(S);
  PutObject(i, AObject);
  return i;
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Put(int Index, const std::string& S) {
  TObject* o = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, o);
}

void TStrings::Exchange(int Index1, int Index2) {
  TUpdateScope update(this);
  std::string s = Get(Index1);
  TObject* o = GetObject(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, s);
  PutObject(Index2, o);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  TUpdateScope update(this);
  std::string s = Get(CurIndex);
  TObject* o = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, o);
}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const { return CompareAnsi(S1, S2, false); }

int TStrings::IndexOf(const std::string& S) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
  for (int i = 0, n = GetCount(); i < n; ++i) {
    std::string s = Get(i);
    auto p = s.find('=');
    if (p != std::string::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

std::string TStrings::Names(int Index) const {
  std::string s = Get(Index);
  auto p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::Values(const std::string& Name) const {
  int i = IndexOfName(Name);
  if (i < 0) return std::string();
  std::string s = Get(i);
  return s.substr(s.find('=') + 1);
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
  int i = IndexOfName(Name);
  if (!Value.empty()) {
    if (i < 0) i = Add(std::string());
    Put(i, Name + "=" + Value);
  } else if (i >= 0) {
    Delete(i);
  }
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::AddStrings(TStrings* Strings) {
  TUpdateScope update(this);
  for (int i = 0, n = Strings->GetCount(); i < n; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TStrings::AssignStrings(const std::vector<std::string>& Items) {
  TUpdateScope update(this);
  Clear();
  for (const std::string& s : Items) Add(s);
}

void TStrings::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TStrings*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  TUpdateScope update(this);
  Clear();
  AddStrings(src);
}

bool TStrings::Equals(TStrings* Strings) const {
  int n = GetCount();
  if (n != Strings->GetCount()) return false;
  for (int i = 0; i < n; ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

std::string TStrings::Text() const {
  std::string r;
  for (int i = 0, n = GetCount(); i < n; ++i) {
    r += Get(i);
    r += "\r\n";
  }
  return r;
}

void TStrings::SetText(const std::string& Value) {
  TUpdateScope update(this);
  Clear();
  size_t i = 0, n = Value.size();
  while (i < n) {
    size_t start = i;
    while (i < n && Value[i] != '\r' && Value[i] != '\n') ++i;
    Add(Value.substr(start, i - start));
    if (i < n && Value[i] == '\r') ++i;
    if (i < n && Value[i] == '\n') ++i;
  }
}

std::string TStrings::CommaText() const {
  int n = GetCount();
  if (n == 1 && Get(0).empty()) return "\"\"";
  std::string r;
  for (int i = 0; i < n; ++i) {
    std::string s = Get(i);
    bool quote = false;
    for (unsigned char c : s)
      if (c <= ' ' || c == ',' || c == '"') quote = true;
    if (i) r += ',';
    if (quote) {
      r += '"';
      for (char c : s) {
        if (c == '"') r += '"';
        r += c;
      }
      r += '"';
    } else {
      r += s;
    }
  }
  return r;
}

void TStrings::SetCommaText(const std::string& Value) {
  auto blank = [](char c) { return c != 0 && static_cast<unsigned char>(c) <= ' '; };
  TUpdateScope update(this);
  Clear();
  size_t i = 0, n = Value.size();
  while (i < n && blank(Value[i])) ++i;
  while (i < n) {
    std::string s;
    if (Value[i] == '"') {
      ++i;
      while (i < n) {
        if (Value[i] == '"') {
          if (i + 1 < n && Value[i + 1] == '"') {
            s += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        s += Value[i++];
      }
    } else {
      size_t start = i;
      while (i < n && static_cast<unsigned char>(Value[i]) > ' ' && Value[i] != ',') ++i;
      s = Value.substr(start, i - start);
    }
    Add(s);
    while (i < n && blank(Value[i])) ++i;
    if (i < n && Value[i] == ',') {
      do ++i;
      while (i < n && blank(Value[i]));
    }
  }
}

void TStrings::LoadFromStream(TStream* Stream) {
  int64_t size = Stream->Size() - Stream->Position();
  std::string s(size_t(std::max<int64_t>(size, 0)), '\0');
  if (!s.empty()) Stream->ReadBuffer(s.data(), int32_t(s.size()));
  SetText(s);
}

void TStrings::SaveToStream(TStream* Stream) const {
  std::string s = Text();
  if (!s.empty()) Stream->WriteBuffer(s.data(), int32_t(s.size()));
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

void TStrings::SaveToFile(const std::string& FileName) const {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f);
}

void TStrings::DefineProperties(TFiler* Filer) {
  Filer->DefineProperty(
      "Strings",
      [this](TReader* R) {
        R->ReadListBegin();
        {
          TUpdateScope update(this);
          Clear();
          while (!R->EndOfList()) Add(R->ReadString());
        }
        R->ReadListEnd();
      },
      nullptr, GetCount() > 0);
}

// ---------------------------------------------------------------------------------------------------
// TStringList

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (OwnsObjects)
    for (auto& i : FList) TObject::Free(i.O);
}

void TStringList::CheckIndex(int Index, bool AllowEnd) const {
  if (Index < 0 || Index > int(FList.size()) || (!AllowEnd && Index == int(FList.size())))
    Error(SListIndexError, Index);
}

std::string TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[Index].S;
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[Index].O;
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return CompareAnsi(S1, S2, FCaseSensitive);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TItem{S, AObject});
  Changed();
}

int TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int index;
  if (!FSorted) {
    index = int(FList.size());
  } else if (Find(S, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) Error(SDuplicateString, 0);
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Insert(int Index, const std::string& S) {
  if (FSorted) Error(SSortedListError, 0);
  CheckIndex(Index, true);
  InsertItem(Index, S, nullptr);
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  TObject* o = FList[Index].O;
  FList.erase(FList.begin() + Index);
  if (OwnsObjects) TObject::Free(o);
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<TItem> old;
  old.swap(FList);
  if (OwnsObjects)
    for (auto& i : old) TObject::Free(i.O);
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[Index1], FList[Index2]);
  Changed();
}

void TStringList::Put(int Index, const std::string& S) {
  if (FSorted) Error(SSortedListError, 0);
  CheckIndex(Index);
  Changing();
  FList[Index].S = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[Index].O = AObject;
  Changed();
}

bool TStringList::Find(const std::string& S, int& Index) const {
  bool found = false;
  int l = 0, h = int(FList.size()) - 1;
  while (l <= h) {
    int i = (l + h) / 2;
    int c = CompareStrings(FList[i].S, S);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) l = i;
      }
    }
  }
  Index = l;
  return found;
}

int TStringList::IndexOf(const std::string& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int i;
  return Find(S, i) ? i : -1;
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
  if (FList.size() < 2) return;
  Changing();
  std::vector<int> order(FList.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
  std::vector<TItem> sorted;
  sorted.reserve(FList.size());
  for (int i : order) sorted.push_back(FList[i]);
  FList.swap(sorted);
  Changed();
}

void TStringList::Sort() {
  CustomSort([](TStringList* L, int a, int b) { return L->CompareStrings(L->FList[a].S, L->FList[b].S); });
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();
}
