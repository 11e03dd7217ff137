#include <gtest/gtest.h>

#include "Classes.h"

#include <atomic>

namespace {

enum TFruit { frApple, frPear, frPlum };
const TEnumInfo FruitNames{"TFruit", {"frApple", "frPear", "frPlum"}};
using TFruits = TSet<TFruit>;

class TProbe : public TComponent {
  YOZ_CLASS(TProbe, TComponent)
public:
  explicit TProbe(TComponent* AOwner) : TComponent(AOwner) {}
  int32_t FCount = 0;
  TFruit FFruit = frApple;
  TFruits FFruits;
  std::string FCaption;
  TProbe* FBuddy = nullptr;
  TNotifyEvent OnPing;
  std::vector<std::string>* Log = nullptr;
  void Notification(TComponent* c, TOperation op) override {
    inherited::Notification(c, op);
    if (op == opRemove && c == FBuddy) FBuddy = nullptr;
    // "*": the other component is still seen whole (its derived parts not yet destroyed).
    if (Log) Log->push_back(Name() + (op == opRemove ? " -" : " +") + c->Name() + (dynamic_cast<TProbe*>(c) ? "*" : ""));
  }
  void SetBuddy(TProbe* b) {
    FBuddy = b;
    if (b) b->FreeNotification(this);
  }
  void Pinged(TObject* Sender) { ++FCount; }
  static void Publish(TPublisher<TProbe>& p) {
    p.Int("Count", &TProbe::FCount, &TProbe::FCount).Default(0);
    p.Int("Tag", &TComponent::Tag, &TComponent::SetTag).Default(3);   // redeclared with another default
    p.Enum("Fruit", FruitNames, &TProbe::FFruit, &TProbe::FFruit);
    p.Set("Fruits", FruitNames, &TProbe::FFruits, &TProbe::FFruits);
    p.Str("Caption", &TProbe::FCaption, &TProbe::FCaption);
    p.Ref("Buddy", &TProbe::FBuddy, &TProbe::SetBuddy);
    p.Event("OnPing", &TProbe::OnPing);
    p.Method("Pinged", &TProbe::Pinged);
  }
};

class TPlain : public TComponent {
  YOZ_CLASS(TPlain, TComponent)
public:
  using TComponent::TComponent;
};

TEST(ClassInfo, NamesParentsAndProperties) {
  TProbe p(nullptr);
  EXPECT_EQ(p.ClassName(), "TProbe");
  EXPECT_TRUE(p.InheritsFrom(TComponent::StaticClass()));
  EXPECT_FALSE(TComponent::StaticClass()->InheritsFrom(TProbe::StaticClass()));
  EXPECT_EQ(TPlain::StaticClass()->Own().Props.size(), 0u);
  auto* prop = TProbe::StaticClass()->FindProp("fruits");
  ASSERT_TRUE(prop);
  prop->SetOrd(&p, TFruits{frPear, frPlum}.Bits());
  EXPECT_EQ(p.FFruits, (TFruits{frPear, frPlum}));
  TObject* made = TProbe::StaticClass()->Create(&p);
  EXPECT_EQ(static_cast<TComponent*>(made)->Owner(), &p);
}

TEST(Events, BindCompareCallAndBindByName) {
  TProbe a(nullptr), b(nullptr);
  TNotifyEvent e1 = Bind(&a, &TProbe::Pinged), e2 = Bind(&a, &TProbe::Pinged), e3 = Bind(&b, &TProbe::Pinged);
  EXPECT_TRUE(e1 == e2);
  EXPECT_FALSE(e1 == e3);
  EXPECT_FALSE(TNotifyEvent());
  e1(nullptr);
  EXPECT_EQ(a.FCount, 1);
  TNotifyEvent().operator()(nullptr);  // a null delegate does nothing
  auto* m = TProbe::StaticClass()->FindMethod("PINGED");
  ASSERT_TRUE(m);
  TMethod bound = m->Proto;
  bound.Data = m->Cast(&b);
  TProbe::StaticClass()->FindProp("OnPing")->SetMethod(&a, bound);
  a.OnPing(&a);
  EXPECT_EQ(b.FCount, 1);
  EXPECT_TRUE(a.OnPing == e3);
}

// ---------------------------------------------------------------------------------------------------
// Ownership, names and notifications

TEST(Components, OwnerFreesWhatItOwnsAndTellsTheOthers) {
  std::vector<std::string> log;
  auto* owner = new TProbe(nullptr);
  owner->SetName("Owner");
  owner->Log = &log;
  auto* a = new TProbe(owner);
  a->SetName("A");
  a->Log = &log;
  auto* b = new TProbe(owner);
  b->SetName("B");
  // Insertion is announced from the constructor, before the name is set.
  EXPECT_EQ(log, (std::vector<std::string>{"Owner +", "A +", "Owner +"}));
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(b->ComponentIndex(), 1);
  log.clear();
  TObject::Free(b);   // freed alone: the owner and its other components hear of it
  EXPECT_EQ(log, (std::vector<std::string>{"A -B*", "Owner -B*"}));
  EXPECT_EQ(owner->ComponentCount(), 1);
  log.clear();
  a->Log = nullptr;
  TObject::Free(owner);
  EXPECT_TRUE(log.empty());  // components freed with their owner are not announced one by one
}

// A component whose destructor frees a sibling (as a splitter frees its panes).
class TKeeper : public TComponent {
  YOZ_CLASS(TKeeper, TComponent)
public:
  using TComponent::TComponent;
  TComponent* Ward = nullptr;
  int* Freed = nullptr;
  ~TKeeper() override {
    TObject::Free(Ward);
    if (Freed) ++*Freed;
  }
  void Notification(TComponent* c, TOperation op) override {
    inherited::Notification(c, op);
    if (op == opRemove && c == Ward) Ward = nullptr;
  }
};

TEST(Components, SiblingFreedDuringOwnersDestruction) {
  int freed = 0;
  auto* owner = new TComponent(nullptr);
  auto* ward = new TKeeper(owner);
  ward->Freed = &freed;
  auto* keeper = new TKeeper(owner);  // freed before ward, and frees ward on the way
  keeper->Ward = ward;
  keeper->Freed = &freed;
  auto* first = new TKeeper(owner);
  first->Freed = &freed;
  auto* late = new TKeeper(owner);    // freed first; first hears of it and forgets its ward
  late->Freed = &freed;
  first->Ward = late;
  late->FreeNotification(first);
  EXPECT_EQ(owner->ComponentCount(), 4);
  TObject::Free(owner);  // must neither crash nor free anything twice
  EXPECT_EQ(freed, 4);
}

TEST(Components, FreeNotificationAcrossOwnersIsMutualAndRemovable) {
  TProbe formA(nullptr), formB(nullptr);
  auto* user = new TProbe(&formA);
  auto* used = new TProbe(&formB);
  user->SetBuddy(used);
  TObject::Free(used);
  EXPECT_EQ(user->FBuddy, nullptr);
  EXPECT_TRUE(user->ComponentState().Contains(csFreeNotification));

  auto* other = new TProbe(&formB);
  user->SetBuddy(other);
  other->RemoveFreeNotification(user);
  std::vector<std::string> log;
  user->Log = &log;
  user->SetName("user");
  other->SetName("other");
  TObject::Free(other);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(user->FBuddy, other);  // no longer told
  user->FBuddy = nullptr;
  // The partner that asked goes first: the other side forgets it.
  auto* third = new TProbe(&formB);
  user->SetBuddy(third);
  TObject::Free(user);
  TObject::Free(third);
}

TEST(Components, NamesAreIdentifiersUniqueWithinTheOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("btnOK");
  EXPECT_THROW(b->SetName("BTNOK"), EComponentError);
  try {
    b->SetName("1st");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message, "'1st' is not a valid component name");
  }
  try {
    b->SetName("btnok");
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message, "A component named btnok already exists");
  }
  a->SetName("BtnOK");  // a case change of its own name is allowed
  EXPECT_EQ(owner.FindComponent("btnok"), a);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  b->SetName("");
  auto* c = new TComponent(nullptr);
  c->SetName("BTNOK");
  EXPECT_THROW(owner.InsertComponent(c), EComponentError);
  EXPECT_EQ(c->Owner(), nullptr);
  TObject::Free(c);
  EXPECT_THROW(owner.Components(2), EListError);
}

TEST(Components, AssignWithoutSupportNamesBothClasses) {
  TStringList list;
  TCollection coll(TCollectionItem::StaticClass());
  try {
    coll.Assign(&list);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TStringList to a TCollection");
  }
  try {
    list.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a nil to a TStringList");
  }
}

TEST(Registry, RegisterFindAndCreate) {
  RegisterClasses({TProbe::StaticClass(), TPlain::StaticClass()});
  EXPECT_EQ(GetClass("tprobe"), TProbe::StaticClass());
  EXPECT_EQ(GetClass("TNothing"), nullptr);
  try {
    FindClass("TNothing");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message, "Class TNothing not found");
  }
  UnRegisterClass(TPlain::StaticClass());
  EXPECT_EQ(GetClass("TPlain"), nullptr);
  EXPECT_EQ(TList::StaticClass()->Create, nullptr);  // not a component: never made by name
  // Properties: base first, a redeclaration replaces the inherited one in place.
  auto props = TProbe::StaticClass()->Props();
  ASSERT_GE(props.size(), 8u);
  EXPECT_EQ(props[0]->Name, "Name");
  EXPECT_EQ(props[1]->Name, "Tag");
  EXPECT_EQ(props[1]->DefaultValue, 3);
  EXPECT_EQ(TProbe::StaticClass()->FindProp("tag"), props[1]);
  EXPECT_EQ(TComponent::StaticClass()->FindProp("Tag")->DefaultValue, 0);
  EXPECT_EQ(props[2]->Name, "Count");
}

// ---------------------------------------------------------------------------------------------------
// Lists

TEST(List, IndexErrorsAndReordering) {
  TList l;
  int a = 1, b = 2, c = 3;
  l.Add(&a);
  l.Add(&b);
  l.Add(&c);
  try {
    l.Items(3);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message, "List index out of bounds (3)");
  }
  EXPECT_THROW(l.Insert(4, &a), EListError);
  EXPECT_THROW(l.Delete(-1), EListError);
  l.Move(0, 2);
  EXPECT_EQ(l[0], &b);
  EXPECT_EQ(l[2], &a);
  l.Exchange(0, 1);
  EXPECT_EQ(l[0], &c);
  l.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
  EXPECT_EQ(l[0], &a);
  EXPECT_EQ(l.Remove(&b), 1);
  EXPECT_EQ(l.Remove(&b), -1);
  l.Add(nullptr);
  l.Pack();
  EXPECT_EQ(l.Count(), 2);
}

TEST(StringList, SortedListsAndDuplicates) {
  TStringList l;
  l.SetSorted(true);
  EXPECT_EQ(l.Add("pear"), 0);
  EXPECT_EQ(l.Add("Apple"), 0);
  EXPECT_EQ(l.Add("plum"), 2);
  EXPECT_EQ(l.Add("PEAR"), 1);   // dupIgnore: the index of the one already there, nothing added
  EXPECT_EQ(l.Count(), 3);
  l.SetDuplicates(dupError);
  try {
    l.Add("apple");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message, "String list does not allow duplicates");
  }
  l.SetDuplicates(dupAccept);
  l.Add("apple");
  EXPECT_EQ(l.Count(), 4);
  int i = -1;
  EXPECT_TRUE(l.Find("APPLE", i));
  EXPECT_EQ(i, 0);
  EXPECT_FALSE(l.Find("banana", i));
  EXPECT_EQ(i, 2);
  EXPECT_THROW(l.Insert(0, "x"), EStringListError);
  EXPECT_THROW(l.SetStrings(0, "x"), EStringListError);
  EXPECT_EQ(l.IndexOf("Plum"), 3);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("Plum"), -1);
  EXPECT_EQ(l.IndexOf("plum"), 3);
  // Unsorting keeps the order; sorting again restores it.
  l.SetSorted(false);
  l.Move(3, 0);
  EXPECT_EQ(l[0], "plum");
  l.SetSorted(true);
  EXPECT_EQ(l[3], "plum");
}

TEST(StringList, ChangeEventsFollowTheUpdateCount) {
  struct Counter : TObject {
    int Changes = 0, Changings = 0;
    void Changed(TObject*) { ++Changes; }
    void Changing(TObject*) { ++Changings; }
  } n;
  TStringList l;
  l.OnChange = Bind(&n, &Counter::Changed);
  l.OnChanging = Bind(&n, &Counter::Changing);
  l.Add("a");
  EXPECT_EQ(n.Changes, 1);
  EXPECT_EQ(n.Changings, 1);
  l.BeginUpdate();
  l.BeginUpdate();
  l.Add("b");
  l.SetText("x\r\ny");
  l.EndUpdate();
  EXPECT_EQ(n.Changes, 1);
  l.EndUpdate();
  EXPECT_EQ(n.Changes, 2);
  EXPECT_EQ(n.Changings, 2);
  l.EndUpdate();  // unbalanced: nothing
  EXPECT_EQ(n.Changes, 2);
  EXPECT_THROW(l.Delete(2), EStringListError);
  EXPECT_EQ(n.Changes, 2);
}

TEST(StringList, TextCommaTextNamesAndValues) {
  TStringList l;
  l.SetText("one\r\ntwo\nthree\rfour\r\n\r\nsix");
  ASSERT_EQ(l.Count(), 6);
  EXPECT_EQ(l[4], "");
  EXPECT_EQ(l.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n\r\nsix\r\n");
  l.Clear();
  l.Add("plain");
  l.Add("with blank");
  l.Add("say \"hi\"");
  l.Add("a,b");
  l.Add("");
  std::string ct = l.CommaText();
  EXPECT_EQ(ct, "plain,\"with blank\",\"say \"\"hi\"\"\",\"a,b\",");
  TStringList back;
  back.SetCommaText(ct + ",last");
  EXPECT_EQ(back.Count(), 6);
  EXPECT_EQ(back[2], "say \"hi\"");
  EXPECT_EQ(back[4], "");
  back.SetCommaText("a b, c");
  EXPECT_EQ(back.Count(), 3);
  l.Clear();
  l.Add("");
  EXPECT_EQ(l.CommaText(), "\"\"");

  l.Clear();
  l.Add("Name=Joe");
  l.Add("Path=C:\\x=y");
  EXPECT_EQ(l.Values("path"), "C:\\x=y");
  EXPECT_EQ(l.Names(1), "Path");
  l.SetValues("Age", "42");
  EXPECT_EQ(l[2], "Age=42");
  l.SetValues("Name", "");
  EXPECT_EQ(l.IndexOfName("Name"), -1);
  EXPECT_EQ(l.Values("Missing"), "");
}

TEST(StringList, ObjectsCustomSortAndAssign) {
  TStringList l;
  TProbe p1(nullptr), p2(nullptr);
  l.AddObject("b", &p1);
  l.AddObject("a", &p2);
  l.Add("c");
  EXPECT_EQ(l.IndexOfObject(&p2), 1);
  l.CustomSort([](TStringList* L, int i, int j) { return CompareStr(L->Strings(j), L->Strings(i)); });
  EXPECT_EQ(l.CommaText(), "c,b,a");
  EXPECT_EQ(l.Objects(2), &p2);
  l.Exchange(0, 2);
  EXPECT_EQ(l.Objects(0), &p2);
  TStringList copy;
  copy.Add("old");
  copy.Assign(&l);
  EXPECT_TRUE(copy.Equals(&l));
  EXPECT_EQ(copy.Objects(0), &p2);
  auto* owned = new TStringList;
  owned->OwnsObjects = true;
  owned->AddObject("x", new TProbe(nullptr));
  owned->Delete(0);   // the object goes with the entry
  owned->AddObject("y", new TProbe(nullptr));
  delete owned;
}

class TempDir {
public:
  TempDir() {
    char buf[MAX_PATH];
    GetTempPathA(MAX_PATH, buf);
    Path = std::string(buf) + "yOZClasses" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(Path.c_str(), nullptr);
  }
  ~TempDir() {
    for (auto& f : Files) DeleteFileA(f.c_str());
    RemoveDirectoryA(Path.c_str());
  }
  std::string File(const std::string& name) {
    Files.push_back(Path + "\\" + name);
    return Files.back();
  }
  std::string Path;
  std::vector<std::string> Files;
};

TEST(StringList, FileRoundTripKeepsCrLf) {
  TempDir dir;
  std::string f = dir.File("lines.txt");
  TStringList l;
  l.Add("first");
  l.Add("");
  l.Add("third\tTab");
  l.SaveToFile(f);
  TMemoryStream raw;
  raw.LoadFromFile(f);
  EXPECT_EQ(std::string(static_cast<char*>(raw.Memory()), size_t(raw.Size())), "first\r\n\r\nthird\tTab\r\n");
  TStringList back;
  back.LoadFromFile(f);
  EXPECT_TRUE(back.Equals(&l));
  EXPECT_THROW(back.LoadFromFile(dir.Path + "\\missing.txt"), EFOpenError);
}

// ---------------------------------------------------------------------------------------------------
// Collections

class TCell : public TCollectionItem {
  YOZ_CLASS(TCell, TCollectionItem)
public:
  using TCollectionItem::TCollectionItem;
  int Value = 0;
  void Assign(TPersistent* Source) override {
    if (auto* c = dynamic_cast<TCell*>(Source))
      Value = c->Value;
    else
      TCollectionItem::Assign(Source);
  }
  void Touch() { Changed(false); }
};

class TCells : public TOwnedCollection {
  YOZ_CLASS(TCells, TOwnedCollection)
public:
  TCells(TPersistent* AOwner) : TOwnedCollection(AOwner, TCell::StaticClass()) { PropName = "Cells"; }
  std::vector<TCollectionItem*> Updates;
  TCell* Cell(int i) { return static_cast<TCell*>(Items(i)); }

protected:
  void Update(TCollectionItem* Item) override { Updates.push_back(Item); }
};

TEST(Collection, ItemsUpdatesAndAssign) {
  TProbe owner(nullptr);
  owner.SetName("Grid");
  TCells cells(&owner);
  auto* a = static_cast<TCell*>(cells.Add());
  auto* b = static_cast<TCell*>(cells.Add());
  auto* c = static_cast<TCell*>(cells.Insert(0));
  EXPECT_EQ(c->Index(), 0);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(b->GetNamePath(), "Grid.Cells[2]");
  EXPECT_EQ(cells.GetOwner(), &owner);
  cells.Updates.clear();
  b->Touch();
  EXPECT_EQ(cells.Updates, (std::vector<TCollectionItem*>{b}));
  cells.Updates.clear();
  cells.BeginUpdate();
  b->Touch();
  b->SetIndex(0);
  cells.Delete(1);   // c
  EXPECT_TRUE(cells.Updates.empty());
  cells.EndUpdate();
  EXPECT_EQ(cells.Updates, (std::vector<TCollectionItem*>{nullptr}));
  EXPECT_EQ(cells.Count(), 2);
  EXPECT_EQ(cells.Items(0), b);
  EXPECT_THROW(cells.Items(2), EListError);
  EXPECT_THROW(cells.Insert(5), EListError);
  TObject::Free(a);  // an item freed alone leaves its collection
  EXPECT_EQ(cells.Count(), 1);
  EXPECT_EQ(cells.FindItemID(b->ID()), b);

  b->Value = 7;
  TCells copy(&owner);
  copy.Add();
  copy.Add();
  copy.Assign(&cells);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(copy.Cell(0)->Value, 7);
  copy.Clear();
  EXPECT_EQ(copy.Count(), 0);
}

// ---------------------------------------------------------------------------------------------------
// Streams

TEST(Streams, MemoryAndStringStreams) {
  TMemoryStream m;
  m.WriteBuffer("hello", 5);
  EXPECT_EQ(m.Size(), 5);
  m.SetPosition(10);
  m.WriteBuffer("!", 1);   // writing past the end grows the stream with zeros
  EXPECT_EQ(m.Size(), 11);
  EXPECT_EQ(static_cast<char*>(m.Memory())[7], 0);
  m.SetPosition(1);
  char buf[4] = {};
  m.ReadBuffer(buf, 3);
  EXPECT_EQ(std::string(buf, 3), "ell");
  m.Seek(-2, soEnd);
  try {
    m.ReadBuffer(buf, 4);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message, "Stream read error");
  }
  TStringStream s("abc");
  s.Seek(0, soEnd);
  s.WriteString("def");
  EXPECT_EQ(s.DataString(), "abcdef");
  s.SetPosition(2);
  EXPECT_EQ(s.ReadString(10), "cdef");
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(&s, 0), 6);
  EXPECT_EQ(std::string(static_cast<char*>(copy.Memory()), 6), "abcdef");
  s.SetPosition(5);
  EXPECT_THROW(copy.CopyFrom(&s, 3), EReadError);
  EXPECT_THROW(TResourceStream(nullptr, "NO_SUCH_RESOURCE", MAKEINTRESOURCEA(10)), EResNotFound);
}

TEST(Streams, FileModesAndErrors) {
  TempDir dir;
  std::string f = dir.File("data.bin");
  {
    TFileStream w(f, fmCreate);
    w.WriteBuffer("0123456789", 10);
    w.SetSize(4);
    EXPECT_EQ(w.Size(), 4);
  }
  {
    TFileStream r(f, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(r.Size(), 4);
    char buf[8];
    EXPECT_EQ(r.Read(buf, 8), 4);
    EXPECT_THROW(r.WriteBuffer("x", 1), EWriteError);
    // Another reader is fine; a writer is refused while we deny writing.
    TFileStream r2(f, fmOpenRead | fmShareDenyNone);
    EXPECT_THROW(TFileStream(f, fmOpenReadWrite | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream ex(f, fmOpenReadWrite | fmShareExclusive);
    EXPECT_THROW(TFileStream(f, fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  try {
    TFileStream missing(dir.Path + "\\nothere.bin", fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message.rfind("Cannot open file \"" + dir.Path + "\\nothere.bin\". ", 0), 0u) << e.Message;
  }
  try {
    TFileStream bad(dir.Path + "\\no\\such\\dir.bin", fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message.rfind("Cannot create file \"", 0), 0u) << e.Message;
  }
}

// ---------------------------------------------------------------------------------------------------
// Threads

class TCounterThread : public TThread {
  YOZ_CLASS(TCounterThread, TThread)
public:
  std::atomic<int> Steps{0};
  bool Forever = false;
  bool Fail = false;
  std::atomic<bool>* Gone = nullptr;
  ~TCounterThread() override {
    if (Gone) *Gone = true;
  }

protected:
  void Execute() override {
    if (Fail) throw EConvertError("bad");
    do {
      ++Steps;
      Sleep(1);
    } while (Forever && !Terminated());
    ReturnValue = 5;
  }
};

TEST(Thread, RunsIsWaitedForAndStopsWhenFreed) {
  auto* t = new TCounterThread;
  t->Start();
  EXPECT_EQ(t->WaitFor(), 5);
  EXPECT_TRUE(t->Finished());
  EXPECT_EQ(t->Steps, 1);
  TObject::Free(t);

  auto* endless = new TCounterThread;
  endless->Forever = true;
  endless->Start();
  while (endless->Steps < 3) Sleep(1);
  TObject::Free(endless);  // terminates and waits before the object goes

  auto* never = new TCounterThread;
  TObject::Free(never);   // never started: Execute never runs

  auto* failing = new TCounterThread;
  failing->Fail = true;
  failing->Start();
  failing->WaitFor();
  EXPECT_TRUE(failing->FatalException);
  TObject::Free(failing);

  std::atomic<bool> gone{false};
  auto* self = new TCounterThread;
  self->Gone = &gone;
  self->FreeOnTerminate = true;
  self->Start();
  for (int i = 0; i < 2000 && !gone; ++i) Sleep(1);
  EXPECT_TRUE(gone);
}

}  // namespace
