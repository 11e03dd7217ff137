// The component model's core: scope objects, sets, event delegates, published-property tables, class
// information, persistent objects, components with owners, names and notifications, and the class
// registry.
//
// How a class declares itself (put YOZ_CLASS first in the class body; it leaves access at public):
//
//   class TMyPanel : public TCustomControl {
//     YOZ_CLASS(TMyPanel, TCustomControl)
//   public:
//     explicit TMyPanel(TComponent* AOwner);     // registry-creatable when this constructor exists
//     int32_t Margin() const { return FMargin; }
//     void SetMargin(int32_t v);
//     TAlign Align() const;  void SetAlign(TAlign v);
//     TNotifyEvent OnResize;                      // events are plain delegate members
//     TStrings* Lines() const;                    // owned sub-object, filled in place by the reader
//     TImageList* Images() const; void SetImages(TImageList* v);   // reference to another component
//     static void Publish(TPublisher<TMyPanel>& p) {   // optional: only what is published
//       p.Int("Margin", &TMyPanel::Margin, &TMyPanel::SetMargin).Default(4);
//       p.Enum("Align", AlignNames, &TMyPanel::Align, &TMyPanel::SetAlign);   // TEnumInfo AlignNames
//       p.Event("OnResize", &TMyPanel::OnResize);
//       p.Object("Lines", &TMyPanel::Lines);
//       p.Ref("Images", &TMyPanel::Images, &TMyPanel::SetImages);
//     }
//   };
//   RegisterClass(TMyPanel::StaticClass());    // in the unit's initialisation, for the reader
//
// Getters and setters may be member functions, data members (`&T::FMargin`) or lambdas taking `T&`.
// A form class publishes its event handlers the same way, so a form resource can bind them by name:
//     p.Method("FormCreate", &TfrmMain::FormCreate);
// Delegates: `OnClick = Bind(this, &TfrmMain::btnOKClick);  if (OnClick) OnClick(this);`
// Other units declare their own signatures: `using TKeyEvent = TEvent<TObject*, uint16_t&, TShiftState>;`
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "SysUtils.h"

class TObject;
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TStrings;
class TStream;
class TFiler;
class TReader;
struct TClassInfo;
using TClass = const TClassInfo*;

class EComponentError : public Exception {
public:
  using Exception::Exception;
};
class EClassNotFound : public EFilerError {
public:
  using EFilerError::EFilerError;
};

// ---------------------------------------------------------------------------------------------------
// Scope objects: the second half of a pair runs however the block ends.

// BeginUpdate now, EndUpdate however the block ends. An EndUpdate that raises while another exception
// is already on its way is dropped (a destructor may not throw then).
template <class T>
class TUpdateScope {
public:
  explicit TUpdateScope(T* Obj) : FObj(Obj), FUncaught(std::uncaught_exceptions()) { FObj->BeginUpdate(); }
  ~TUpdateScope() noexcept(false) {
    if (std::uncaught_exceptions() == FUncaught) {
      FObj->EndUpdate();
      return;
    }
    try {
      FObj->EndUpdate();
    } catch (...) {
    }
  }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
  T* FObj;
  int FUncaught;
};

// Runs Undo when the block ends, however it ends (the same rule for an Undo that raises).
template <class F>
class TScopeExit {
public:
  explicit TScopeExit(F Undo) : FUndo(std::move(Undo)), FUncaught(std::uncaught_exceptions()) {}
  ~TScopeExit() noexcept(false) {
    if (std::uncaught_exceptions() == FUncaught) {
      FUndo();
      return;
    }
    try {
      FUndo();
    } catch (...) {
    }
  }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

private:
  F FUndo;
  int FUncaught;
};

// Runs Undo only when the block ends by an exception: what was half made is taken back, what was
// finished is kept. An Undo that raises then is dropped (another exception is already on its way).
template <class F>
class TFailScope {
public:
  explicit TFailScope(F Undo) : FUndo(std::move(Undo)), FUncaught(std::uncaught_exceptions()) {}
  ~TFailScope() {
    if (std::uncaught_exceptions() == FUncaught) return;
    try {
      FUndo();
    } catch (...) {
    }
  }
  TFailScope(const TFailScope&) = delete;
  TFailScope& operator=(const TFailScope&) = delete;

private:
  F FUndo;
  int FUncaught;
};

// ---------------------------------------------------------------------------------------------------
// Sets of a small enumeration (values 0..63), the C++ form of `set of T`.

template <class E>
class TSet {
  uint64_t FBits = 0;
  static constexpr uint64_t Bit(E e) { return uint64_t(1) << static_cast<unsigned>(e); }

public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) FBits |= Bit(e);
  }
  static constexpr TSet FromBits(uint64_t bits) {
    TSet s;
    s.FBits = bits;
    return s;
  }
  constexpr uint64_t Bits() const { return FBits; }
  constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TSet& Include(E e) { FBits |= Bit(e); return *this; }
  constexpr TSet& Exclude(E e) { FBits &= ~Bit(e); return *this; }
  constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }
  constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }
  constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }
  constexpr TSet& operator+=(TSet o) { FBits |= o.FBits; return *this; }
  constexpr TSet& operator-=(TSet o) { FBits &= ~o.FBits; return *this; }
  constexpr bool operator==(const TSet&) const = default;
  // a <= b: every member of a is in b.
  constexpr bool operator<=(TSet o) const { return (FBits & ~o.FBits) == 0; }
};

// ---------------------------------------------------------------------------------------------------
// Delegates: an object and one of its member functions, comparable and possibly null.

// The type-erased form every delegate shares; the reader moves handlers around as TMethod.
struct TMethod {
  void* Data = nullptr;               // the object the handler runs on (already cast to its class)
  void (*Code)() = nullptr;           // the call thunk of the delegate's signature
  alignas(void*) unsigned char Member[16] = {};  // the member-function pointer, bit for bit
  bool operator==(const TMethod& o) const {
    return Data == o.Data && Code == o.Code && std::memcmp(Member, o.Member, sizeof Member) == 0;
  }
};

namespace ClassesDetail {
template <class C, class F, class... A>
void CallMember(void* obj, const unsigned char* member, A... a) {
  F f;
  std::memcpy(&f, member, sizeof f);
  (static_cast<C*>(obj)->*f)(std::forward<A>(a)...);
}
}  // namespace ClassesDetail

template <class... A>
class TEvent {
public:
  using Thunk = void (*)(void*, const unsigned char*, A...);
  TMethod Method;

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  explicit TEvent(const TMethod& m) : Method(m) {}
  template <class C, class C2>
  TEvent(C* obj, void (C2::*f)(A...)) {
    static_assert(std::is_base_of_v<C2, C> || std::is_same_v<C2, C>);
    using F = void (C2::*)(A...);
    static_assert(sizeof(F) <= sizeof(Method.Member));
    if (!obj || !f) return;
    Method.Data = static_cast<void*>(static_cast<C2*>(obj));
    Method.Code = reinterpret_cast<void (*)()>(&ClassesDetail::CallMember<C2, F, A...>);
    std::memcpy(Method.Member, &f, sizeof f);
  }
  explicit operator bool() const { return Method.Code != nullptr; }
  // Calling a null delegate does nothing.
  void operator()(A... a) const {
    if (Method.Code) reinterpret_cast<Thunk>(Method.Code)(Method.Data, Method.Member, std::forward<A>(a)...);
  }
  bool operator==(const TEvent& o) const { return Method == o.Method; }
  bool operator==(std::nullptr_t) const { return Method.Code == nullptr; }
  // The object the handler runs on, as stored (the handler's class sub-object).
  void* Data() const { return Method.Data; }
};

template <class C, class C2, class... A>
TEvent<A...> Bind(C* obj, void (C2::*f)(A...)) {
  return TEvent<A...>(obj, f);
}

using TNotifyEvent = TEvent<TObject*>;

// ---------------------------------------------------------------------------------------------------
// Published properties

enum TTypeKind {
  tkInteger,      // any integer type
  tkEnumeration,  // enumeration with names
  tkSet,          // TSet of an enumeration with names
  tkBool,
  tkFloat,
  tkString,
  tkClass,        // a component reference (settable) or an owned persistent sub-object (get only)
  tkMethod,       // an event delegate
};

// The names of an enumeration's values, in order from 0.
struct TEnumInfo {
  const char* TypeName;
  std::vector<std::string> Names;
  int IndexOf(const std::string& name) const;  // -1 when unknown; case-insensitive
};

constexpr int64_t NoDefault = INT64_MIN;

// Names an integer property accepts besides numbers (colour and cursor constants).
using TIdentMap = std::vector<std::pair<std::string, int64_t>>;

struct TPropInfo {
  std::string Name;
  TTypeKind Kind = tkInteger;
  const TEnumInfo* EnumInfo = nullptr;          // tkEnumeration, tkSet
  TClass PropClass = nullptr;                   // tkClass: the declared class of the value
  const std::type_info* EventType = nullptr;    // tkMethod: typeid of the TEvent<...>
  const TIdentMap* IdentMap = nullptr;          // tkInteger: accepted names
  int64_t MinValue = INT64_MIN;                 // tkInteger: what the setter's type can take
  int64_t MaxValue = INT64_MAX;
  bool Writable = false;                        // has a setter (tkClass: a reference)
  int64_t DefaultValue = NoDefault;             // ordinal default, NoDefault when none
  bool StoredFlag = true;
  std::function<bool(TObject*)> StoredFn;

  std::function<int64_t(TObject*)> GetOrd;      // tkInteger, tkEnumeration, tkSet (bits), tkBool
  std::function<void(TObject*, int64_t)> SetOrd;
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<std::string(TObject*)> GetStr;
  std::function<void(TObject*, const std::string&)> SetStr;
  std::function<TObject*(TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;

  TPropInfo& Default(int64_t v) { DefaultValue = v; return *this; }
  TPropInfo& Idents(const TIdentMap& m) { IdentMap = &m; return *this; }
  TPropInfo& Stored(bool v) { StoredFlag = v; return *this; }
  template <class T, class F>
  TPropInfo& StoredIf(F f) {
    StoredFn = [f](TObject* o) { return std::invoke(f, *static_cast<T*>(o)); };
    return *this;
  }
  bool IsStored(TObject* o) const { return StoredFn ? StoredFn(o) : StoredFlag; }
};

// A handler a class offers for binding by name.
struct TMethodEntry {
  std::string Name;
  const std::type_info* EventType = nullptr;    // typeid of the TEvent<...> it fits
  void* (*Cast)(TObject*) = nullptr;            // the root object as the handler's class
  TMethod Proto;                                // Code and Member filled, Data empty
};

struct TPropList {
  std::vector<std::unique_ptr<TPropInfo>> Props;
  std::vector<TMethodEntry> Methods;
  TPropInfo& Add(const char* name, TTypeKind kind);
};

namespace ClassesDetail {
template <class T, class G>
decltype(auto) Get(const G& g, T& o) {
  return std::invoke(g, o);
}
template <class T, class S, class V>
void Put(const S& s, T& o, V&& v) {
  if constexpr (std::is_member_object_pointer_v<S>)
    o.*s = std::forward<V>(v);
  else
    std::invoke(s, o, std::forward<V>(v));
}
template <class T, class G>
using ValueOf = std::decay_t<std::invoke_result_t<const G&, T&>>;
template <class X>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {};
template <class X>
struct EventArgs;
template <class... A>
struct EventArgs<TEvent<A...>> {};
TComponent* AsComponent(TObject* o);
TCollection* AsCollection(TObject* o);
// A component read by a running form reader is going away: the reader must not touch it again.
void ForgetLoading(TComponent* c);
// References by name that no component answered yet: dropped with their holder or root, and
// tried again whenever a root is registered.
void DropFixups(TComponent* c);
void ResolvePendingFixups();
}  // namespace ClassesDetail

// Passed to `T::Publish`; every accessor is called on a T.
template <class T>
class TPublisher {
  TPropList& L;
  static T& Self(TObject* o) { return *static_cast<T*>(o); }

public:
  explicit TPublisher(TPropList& l) : L(l) {}

  template <class G, class S>
  TPropInfo& Int(const char* name, G get, S set) {
    using V = ClassesDetail::ValueOf<T, G>;
    auto& p = L.Add(name, tkInteger);
    if constexpr (std::is_integral_v<V> && sizeof(V) == 4) {
      // 32 bits either way: colours are written as large hex numbers or as negative ones.
      p.MinValue = INT32_MIN;
      p.MaxValue = UINT32_MAX;
    } else if constexpr (std::is_integral_v<V> && sizeof(V) < 4) {
      p.MinValue = std::numeric_limits<V>::min();
      p.MaxValue = std::numeric_limits<V>::max();
    }
    p.GetOrd = [get](TObject* o) { return int64_t(ClassesDetail::Get(get, Self(o))); };
    p.SetOrd = [set](TObject* o, int64_t v) { ClassesDetail::Put(set, Self(o), static_cast<V>(v)); };
    p.Writable = true;
    return p;
  }
  template <class G, class S>
  TPropInfo& Bool(const char* name, G get, S set) {
    auto& p = L.Add(name, tkBool);
    p.GetOrd = [get](TObject* o) { return int64_t(bool(ClassesDetail::Get(get, Self(o)))); };
    p.SetOrd = [set](TObject* o, int64_t v) { ClassesDetail::Put(set, Self(o), v != 0); };
    p.Writable = true;
    return p;
  }
  template <class G, class S>
  TPropInfo& Enum(const char* name, const TEnumInfo& info, G get, S set) {
    using V = ClassesDetail::ValueOf<T, G>;
    auto& p = L.Add(name, tkEnumeration);
    p.EnumInfo = &info;
    p.GetOrd = [get](TObject* o) { return int64_t(ClassesDetail::Get(get, Self(o))); };
    p.SetOrd = [set](TObject* o, int64_t v) { ClassesDetail::Put(set, Self(o), static_cast<V>(v)); };
    p.Writable = true;
    return p;
  }
  // The value is a TSet<E> or an integer bit mask (bit i = the i-th name).
  template <class G, class S>
  TPropInfo& Set(const char* name, const TEnumInfo& info, G get, S set) {
    using V = ClassesDetail::ValueOf<T, G>;
    auto& p = L.Add(name, tkSet);
    p.EnumInfo = &info;
    p.GetOrd = [get](TObject* o) {
      if constexpr (ClassesDetail::IsSet<V>::value)
        return int64_t(ClassesDetail::Get(get, Self(o)).Bits());
      else
        return int64_t(ClassesDetail::Get(get, Self(o)));
    };
    p.SetOrd = [set](TObject* o, int64_t v) {
      if constexpr (ClassesDetail::IsSet<V>::value)
        ClassesDetail::Put(set, Self(o), V::FromBits(uint64_t(v)));
      else
        ClassesDetail::Put(set, Self(o), static_cast<V>(v));
    };
    p.Writable = true;
    return p;
  }
  template <class G, class S>
  TPropInfo& Float(const char* name, G get, S set) {
    auto& p = L.Add(name, tkFloat);
    p.GetFloat = [get](TObject* o) { return double(ClassesDetail::Get(get, Self(o))); };
    p.SetFloat = [set](TObject* o, double v) { ClassesDetail::Put(set, Self(o), v); };
    p.Writable = true;
    return p;
  }
  template <class G, class S>
  TPropInfo& Str(const char* name, G get, S set) {
    auto& p = L.Add(name, tkString);
    p.GetStr = [get](TObject* o) { return std::string(ClassesDetail::Get(get, Self(o))); };
    p.SetStr = [set](TObject* o, const std::string& v) { ClassesDetail::Put(set, Self(o), v); };
    p.Writable = true;
    return p;
  }
  // An owned persistent sub-object (font, string list, collection...): the reader fills it in place.
  template <class G>
  TPropInfo& Object(const char* name, G get) {
    using V = std::remove_pointer_t<ClassesDetail::ValueOf<T, G>>;
    auto& p = L.Add(name, tkClass);
    p.PropClass = V::StaticClass();
    p.GetObj = [get](TObject* o) -> TObject* { return ClassesDetail::Get(get, Self(o)); };
    return p;
  }
  // A reference to another component, resolved by name after the whole resource is read.
  template <class G, class S>
  TPropInfo& Ref(const char* name, G get, S set) {
    using P = ClassesDetail::ValueOf<T, G>;
    using V = std::remove_pointer_t<P>;
    auto& p = L.Add(name, tkClass);
    p.PropClass = V::StaticClass();
    p.GetObj = [get](TObject* o) -> TObject* { return ClassesDetail::Get(get, Self(o)); };
    p.SetObj = [set](TObject* o, TObject* v) { ClassesDetail::Put(set, Self(o), dynamic_cast<P>(v)); };
    p.Writable = true;
    return p;
  }
  template <class G, class S>
  TPropInfo& Event(const char* name, G get, S set) {
    using V = ClassesDetail::ValueOf<T, G>;
    auto& p = L.Add(name, tkMethod);
    p.EventType = &typeid(V);
    p.GetMethod = [get](TObject* o) { return ClassesDetail::Get(get, Self(o)).Method; };
    p.SetMethod = [set](TObject* o, const TMethod& m) { ClassesDetail::Put(set, Self(o), V(m)); };
    p.Writable = true;
    return p;
  }
  template <class G>
  TPropInfo& Event(const char* name, G field) {
    return Event(name, field, field);
  }
  // A handler of T (or a base) that form resources may bind by name.
  template <class C, class... A>
  void Method(const char* name, void (C::*f)(A...)) {
    static_assert(std::is_base_of_v<C, T>);
    using F = void (C::*)(A...);
    static_assert(sizeof(F) <= sizeof(TMethod::Member));
    TMethodEntry e;
    e.Name = name;
    e.EventType = &typeid(TEvent<A...>);
    e.Cast = [](TObject* o) -> void* { return static_cast<void*>(static_cast<C*>(static_cast<T*>(o))); };
    e.Proto.Code = reinterpret_cast<void (*)()>(&ClassesDetail::CallMember<C, F, A...>);
    std::memcpy(e.Proto.Member, &f, sizeof f);
    L.Methods.push_back(std::move(e));
  }
};

// ---------------------------------------------------------------------------------------------------
// Class information

struct TClassInfo {
  const char* Name;
  TClass Parent;
  TObject* (*Create)(TObject* owner);   // nullptr when the class cannot be created by name
  void (*PublishFn)(TPropList&);        // the class's own published members, nullptr when none

  bool InheritsFrom(TClass c) const;
  // Own and inherited properties; a redeclaration in a descendant hides the inherited one.
  const TPropInfo* FindProp(const std::string& name) const;
  std::vector<const TPropInfo*> Props() const;
  const TMethodEntry* FindMethod(const std::string& name) const;
  const TPropList& Own() const;

  template <class T>
  static TClassInfo Make(const char* name, TClass parent);

  TClassInfo(const char* name, TClass parent, TObject* (*create)(TObject*), void (*publish)(TPropList&))
      : Name(name), Parent(parent), Create(create), PublishFn(publish) {}
  TClassInfo(const TClassInfo&) = delete;

private:
  mutable std::once_flag FOnce;
  mutable TPropList FOwn;
};

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  std::string ClassName() const;
  bool InheritsFrom(TClass c) const;
  // Runs where destructors of descendants must still see the whole object (virtual calls).
  virtual void BeforeDestruction() {}
  // BeforeDestruction, then delete; nothing for nullptr.
  static void Free(TObject* obj);
};

template <class T>
void FreeAndNil(T*& p) {
  T* o = p;
  p = nullptr;
  TObject::Free(o);
}

#define YOZ_CLASS(Class, Parent)                                                               \
public:                                                                                        \
  using inherited = Parent;                                                                    \
  static TClass StaticClass() {                                                                \
    static const TClassInfo info = TClassInfo::Make<Class>(#Class, Parent::StaticClass());     \
    return &info;                                                                              \
  }                                                                                            \
  TClass ClassType() const override { return StaticClass(); }

// ---------------------------------------------------------------------------------------------------
// Persistent objects and components

class TPersistent : public TObject {
  YOZ_CLASS(TPersistent, TObject)
public:
  // Copies Source into this object; the base asks Source to AssignTo this and raises
  // EConvertError "Cannot assign a X to a Y" when neither knows the other.
  virtual void Assign(TPersistent* Source);
  // Extra (unpublished) data a form resource stores for this object.
  virtual void DefineProperties(TFiler* Filer) {}
  virtual std::string GetNamePath();
  virtual TPersistent* GetOwner() { return nullptr; }

protected:
  virtual void AssignTo(TPersistent* Dest);
  void AssignError(TPersistent* Source);
};

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
  csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;
enum TOperation { opInsert, opRemove };
using TGetChildProc = std::function<void(TComponent*)>;

class TComponent : public TPersistent {
  YOZ_CLASS(TComponent, TPersistent)
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  void BeforeDestruction() override;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  // Raises EComponentError for a name that is not an identifier or is taken within the owner.
  virtual void SetName(const std::string& NewName);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t v) { FTag = v; }
  TComponentState ComponentState() const { return FComponentState; }

  int ComponentCount() const { return int(FComponents.size()); }
  TComponent* Components(int Index) const;   // EListError when out of range
  int ComponentIndex() const;
  // The owned component of that name (case-insensitive), nullptr when none.
  TComponent* FindComponent(const std::string& AName) const;
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();
  void Destroying();

  // Asks to be told (Notification opRemove) when AComponent is freed; mutual.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  virtual void GetChildren(TGetChildProc Proc, TComponent* Root) {}
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return this; }
  virtual bool HasParent() { return false; }
  virtual TComponent* GetParentComponent() { return nullptr; }
  virtual void SetParentComponent(TComponent* Value) {}
  // Reads this component's properties and children from a form resource (the base calls
  // Reader->ReadData(this)); Reader->Parent() is the component it is nested in.
  virtual void ReadState(TReader* Reader);
  std::string GetNamePath() override;
  TPersistent* GetOwner() override { return FOwner; }

  // Called once the whole form resource has been read and references resolved; clears csLoading.
  virtual void Loaded();
  // Told about components inserted into or removed from the owner, and about freed partners.
  // The base drops the free notification link and passes the news to every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  static void Publish(TPublisher<TComponent>& p) {
    p.Str("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
    p.Int("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
  }

  // Form state flags set by whoever loads or destroys components.
  void SetDesigning(bool Value);
  void IncludeState(TComponentStateItem s) { FComponentState.Include(s); }
  void ExcludeState(TComponentStateItem s) { FComponentState.Exclude(s); }

protected:
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName);
  virtual void ChangeName(const std::string& NewName) { FName = NewName; }

  TComponentState FComponentState;

private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void AnnounceRemoval();

  TComponent* FOwner = nullptr;
  bool FAnnounced = false;
  std::string FName;
  intptr_t FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  friend class TReader;
};

// ---------------------------------------------------------------------------------------------------
// Class registry (by class name, case-insensitive)

void RegisterClass(TClass AClass);
void RegisterClasses(std::initializer_list<TClass> Classes);
void UnRegisterClass(TClass AClass);
TClass GetClass(const std::string& ClassName);     // nullptr when not registered
TClass FindClass(const std::string& ClassName);    // EClassNotFound "Class X not found"

// Roots (forms) that form resources may reference by name ("frmMain.imgSmallPics").
void RegisterGlobalRoot(TComponent* Root);
void UnregisterGlobalRoot(TComponent* Root);
TComponent* FindGlobalComponent(const std::string& Name);

// ---------------------------------------------------------------------------------------------------
// Template parts of the class information

namespace ClassesDetail {
template <class T>
TObject* CreateInstance(TObject* owner) {
  if constexpr (std::is_base_of_v<TCollectionItem, T>)
    return new T(AsCollection(owner));
  else
    return new T(AsComponent(owner));
}
template <class T>
void PublishThunk(TPropList& l) {
  TPublisher<T> p(l);
  T::Publish(p);
}
}  // namespace ClassesDetail

// Collection items are created with their collection, components with their owner.
template <class T>
TClassInfo TClassInfo::Make(const char* name, TClass parent) {
  TObject* (*create)(TObject*) = nullptr;
  if constexpr (std::is_abstract_v<T>)
    create = nullptr;
  else if constexpr (std::is_base_of_v<TCollectionItem, T>)
    create = &ClassesDetail::CreateInstance<T>;
  else if constexpr (std::is_constructible_v<T, TComponent*>)
    create = &ClassesDetail::CreateInstance<T>;
  void (*publish)(TPropList&) = nullptr;
  if constexpr (requires { &T::Publish; }) {
    if constexpr (std::is_same_v<decltype(&T::Publish), void (*)(TPublisher<T>&)>)
      publish = &ClassesDetail::PublishThunk<T>;
  }
  return TClassInfo(name, parent, create, publish);
}
