// The form-resource reader: parses the text into a tree, then builds or fills the components.
#include <algorithm>

#include "ClassesCollections.h"
#include "ClassesFiler.h"
#include "ClassesLists.h"
#include "ClassesStreams.h"

namespace FormText {

struct TItemNode;

struct TValue {
  TValueType Type = vaNull;
  int Line = 0;
  int64_t Int = 0;
  double Float = 0;
  std::string Str;                     // string, identifier or binary bytes
  std::vector<std::string> SetItems;
  std::vector<TValue> List;
  std::vector<TItemNode> Items;
};

struct TPropNode {
  std::string Name;
  TValue Value;
  int Line = 0;
};

struct TItemNode {
  std::vector<TPropNode> Props;
  int Line = 0;
};

struct TObjectNode {
  std::string Name, ClassName;
  int Line = 0;
  std::vector<TPropNode> Props;
  std::vector<TObjectNode> Children;
};

// ---------------------------------------------------------------------------------------------------
// Parser

class TParser {
public:
  explicit TParser(const std::string& text) : S(text) {
    if (S.size() >= 3 && S.compare(0, 3, "\xEF\xBB\xBF") == 0) P = 3;
  }

  TObjectNode ParseRoot() {
    SkipBlanks();
    TObjectNode root = ParseObject();
    SkipBlanks();
    if (P < S.size()) Fail("End of text expected");
    return root;
  }

private:
  const std::string& S;
  size_t P = 0;
  int LineNo = 1;

  [[noreturn]] void Fail(const std::string& msg) { throw EParserError(msg, LineNo); }

  void SkipBlanks() {
    while (P < S.size()) {
      char c = S[P];
      if (c == '\n') {
        ++LineNo;
      } else if (c != ' ' && c != '\t' && c != '\r' && c != '\f') {
        break;
      }
      ++P;
    }
  }
  bool AtEnd() {
    SkipBlanks();
    return P >= S.size();
  }
  char Peek() {
    SkipBlanks();
    return P < S.size() ? S[P] : '\0';
  }
  static bool IdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
  static bool IdentChar(char c) { return IdentStart(c) || (c >= '0' && c <= '9'); }

  // A name, possibly dotted ("Font.Name", "frmMain.imgSmallPics").
  std::string Ident(const char* what = "Identifier expected") {
    SkipBlanks();
    if (P >= S.size() || !IdentStart(S[P])) Fail(what);
    size_t start = P;
    while (P < S.size()) {
      if (IdentChar(S[P])) {
        ++P;
      } else if (S[P] == '.' && P + 1 < S.size() && IdentStart(S[P + 1])) {
        ++P;
      } else {
        break;
      }
    }
    return S.substr(start, P - start);
  }
  void Expect(char c) {
    if (Peek() != c) Fail(std::string("'") + c + "' expected");
    ++P;
  }
  bool IsKeyword(const char* kw) {
    SkipBlanks();
    size_t n = std::strlen(kw);
    if (P + n > S.size()) return false;
    for (size_t i = 0; i < n; ++i)
      if ((S[P + i] | 0x20) != kw[i]) return false;
    return P + n == S.size() || !IdentChar(S[P + n]);
  }

  TObjectNode ParseObject() {
    TObjectNode node;
    node.Line = LineNo;
    if (!IsKeyword("object") && !IsKeyword("inherited") && !IsKeyword("inline")) Fail("'object' expected");
    Ident();
    std::string first = Ident("Class name expected");
    if (Peek() == ':') {
      ++P;
      node.Name = first;
      node.ClassName = Ident("Class name expected");
    } else {
      node.ClassName = first;
    }
    node.Line = LineNo;
    for (;;) {
      if (AtEnd()) Fail("'end' expected");
      if (IsKeyword("end")) {
        Ident();
        return node;
      }
      if (IsKeyword("object") || IsKeyword("inherited") || IsKeyword("inline"))
        node.Children.push_back(ParseObject());
      else
        node.Props.push_back(ParseProperty());
    }
  }

  TPropNode ParseProperty() {
    TPropNode prop;
    prop.Name = Ident("Property name expected");
    prop.Line = LineNo;
    Expect('=');
    prop.Value = ParseValue();
    return prop;
  }

  TValue ParseValue() {
    TValue v;
    char c = Peek();
    v.Line = LineNo;
    if (c == '\0') Fail("Value expected");
    if (c == '-' || (c >= '0' && c <= '9') || c == '$') {
      ParseNumber(v);
    } else if (c == '\'' || c == '#') {
      v.Type = vaString;
      v.Str = StringPart();
      while (Peek() == '+') {
        ++P;
        char d = Peek();
        if (d != '\'' && d != '#') Fail("String expected");
        v.Str += StringPart();
      }
    } else if (IdentStart(c)) {
      v.Type = vaIdent;
      v.Str = Ident();
      if (SameText(v.Str, "True"))
        v.Type = vaTrue;
      else if (SameText(v.Str, "False"))
        v.Type = vaFalse;
      else if (SameText(v.Str, "nil"))
        v.Type = vaNil;
    } else if (c == '[') {
      ++P;
      v.Type = vaSet;
      if (Peek() != ']') {
        for (;;) {
          v.SetItems.push_back(Ident());
          if (Peek() == ',') {
            ++P;
            continue;
          }
          break;
        }
      }
      Expect(']');
    } else if (c == '(') {
      ++P;
      v.Type = vaList;
      while (Peek() != ')') {
        if (AtEnd()) Fail("')' expected");
        v.List.push_back(ParseValue());
      }
      ++P;
    } else if (c == '<') {
      ++P;
      v.Type = vaCollection;
      while (Peek() != '>') {
        if (AtEnd() || !IsKeyword("item")) Fail("'item' expected");
        TItemNode item;
        item.Line = LineNo;
        Ident();
        while (!IsKeyword("end")) {
          if (AtEnd()) Fail("'end' expected");
          item.Props.push_back(ParseProperty());
        }
        Ident();
        v.Items.push_back(std::move(item));
      }
      ++P;
    } else if (c == '{') {
      ++P;
      v.Type = vaBinary;
      int nibble = -1;
      for (;;) {
        char d = Peek();
        if (d == '}') break;
        if (d == '\0') Fail("'}' expected");
        int x = (d >= '0' && d <= '9') ? d - '0' : (d >= 'A' && d <= 'F') ? d - 'A' + 10 : (d >= 'a' && d <= 'f') ? d - 'a' + 10 : -1;
        if (x < 0) Fail("Invalid binary value");
        ++P;
        if (nibble < 0) {
          nibble = x;
        } else {
          v.Str += char(nibble * 16 + x);
          nibble = -1;
        }
      }
      if (nibble >= 0) Fail("Invalid binary value");
      ++P;
    } else {
      Fail("Invalid property value");
    }
    return v;
  }

  void ParseNumber(TValue& v) {
    bool neg = false;
    if (S[P] == '-') {
      neg = true;
      ++P;
      if (P >= S.size() || !((S[P] >= '0' && S[P] <= '9') || S[P] == '$')) Fail("Number expected");
    }
    if (S[P] == '$') {
      ++P;
      size_t start = P;
      uint64_t x = 0;
      while (P < S.size() && std::isxdigit(static_cast<unsigned char>(S[P]))) {
        if (P - start >= 16) Fail("Number too large");
        x = x * 16 + uint64_t(std::isdigit(static_cast<unsigned char>(S[P])) ? S[P] - '0' : (S[P] | 0x20) - 'a' + 10);
        ++P;
      }
      if (P == start) Fail("Number expected");
      v.Type = vaInt;
      v.Int = neg ? -int64_t(x) : int64_t(x);
    } else {
      size_t start = P;
      bool isFloat = false;
      while (P < S.size() && std::isdigit(static_cast<unsigned char>(S[P]))) ++P;
      if (P + 1 < S.size() && S[P] == '.' && std::isdigit(static_cast<unsigned char>(S[P + 1]))) {
        isFloat = true;
        ++P;
        while (P < S.size() && std::isdigit(static_cast<unsigned char>(S[P]))) ++P;
      }
      if (P < S.size() && (S[P] == 'e' || S[P] == 'E')) {
        size_t q = P + 1;
        if (q < S.size() && (S[q] == '+' || S[q] == '-')) ++q;
        if (q < S.size() && std::isdigit(static_cast<unsigned char>(S[q]))) {
          isFloat = true;
          P = q;
          while (P < S.size() && std::isdigit(static_cast<unsigned char>(S[P]))) ++P;
        }
      }
      std::string digits = S.substr(start, P - start);
      if (isFloat) {
        v.Type = vaExtended;
        v.Float = std::strtod(digits.c_str(), nullptr) * (neg ? -1 : 1);
        // single, currency and date suffixes change nothing here
        if (P < S.size() && (S[P] == 's' || S[P] == 'S' || S[P] == 'c' || S[P] == 'C' || S[P] == 'd' || S[P] == 'D')) ++P;
      } else {
        if (digits.size() > 19) Fail("Number too large");
        errno = 0;
        unsigned long long x = std::strtoull(digits.c_str(), nullptr, 10);
        if (errno || x > uint64_t(INT64_MAX)) Fail("Number too large");
        v.Type = vaInt;
        v.Int = neg ? -int64_t(x) : int64_t(x);
      }
    }
    if (P < S.size() && IdentChar(S[P])) Fail("Invalid number");
  }

  // Adjacent 'quoted' parts and #nn / #$hh characters.
  std::string StringPart() {
    std::string r;
    for (;;) {
      if (P >= S.size()) break;
      if (S[P] == '\'') {
        ++P;
        for (;;) {
          if (P >= S.size() || S[P] == '\n' || S[P] == '\r') Fail("Unterminated string");
          if (S[P] == '\'') {
            if (P + 1 < S.size() && S[P + 1] == '\'') {
              r += '\'';
              P += 2;
              continue;
            }
            ++P;
            break;
          }
          r += S[P++];
        }
      } else if (S[P] == '#') {
        ++P;
        unsigned x = 0;
        size_t start = P;
        if (P < S.size() && S[P] == '$') {
          ++P;
          start = P;
          while (P < S.size() && std::isxdigit(static_cast<unsigned char>(S[P])) && P - start < 5) {
            x = x * 16 + unsigned(std::isdigit(static_cast<unsigned char>(S[P])) ? S[P] - '0' : (S[P] | 0x20) - 'a' + 10);
            ++P;
          }
        } else {
          while (P < S.size() && std::isdigit(static_cast<unsigned char>(S[P])) && P - start < 6) x = x * 10 + unsigned(S[P++] - '0');
        }
        if (P == start || x > 255) Fail("Invalid character value");
        r += char(x);
      } else {
        break;
      }
    }
    return r;
  }
};

}  // namespace FormText

using namespace FormText;

EParserError::EParserError(const std::string& Msg, int ALine)
    : EReadError(Msg + " on line " + std::to_string(ALine)), Line(ALine) {}

// ---------------------------------------------------------------------------------------------------
// TReader: values of defined properties

const TValue& TReader::Current() const {
  if (FStack.empty() || FStack.back().Index >= FStack.back().Count) Fail("Unexpected end of list");
  auto& c = FStack.back();
  return c.Items[c.Index];
}

void TReader::Advance() {
  if (!FStack.empty()) ++FStack.back().Index;
}

void TReader::Fail(const std::string& Msg) const {
  throw EParserError("Error reading " + FPropName + ": " + Msg, Line());
}

int TReader::Line() const {
  if (!FStack.empty() && FStack.back().Index < FStack.back().Count) return FStack.back().Items[FStack.back().Index].Line;
  return FValue ? FValue->Line : 0;
}

TValueType TReader::NextValue() const {
  if (FStack.empty() || FStack.back().Index >= FStack.back().Count) return vaNull;
  return Current().Type;
}

int64_t TReader::ReadInt64() {
  const TValue& v = Current();
  if (v.Type != vaInt) Fail("Integer expected");
  Advance();
  return v.Int;
}

int32_t TReader::ReadInteger() {
  int64_t v = ReadInt64();
  if (v < INT32_MIN || v > INT32_MAX) Fail("Integer out of range");
  return int32_t(v);
}

bool TReader::ReadBoolean() {
  const TValue& v = Current();
  if (v.Type != vaTrue && v.Type != vaFalse) Fail("Boolean expected");
  Advance();
  return v.Type == vaTrue;
}

double TReader::ReadFloat() {
  const TValue& v = Current();
  if (v.Type != vaInt && v.Type != vaExtended) Fail("Number expected");
  Advance();
  return v.Type == vaInt ? double(v.Int) : v.Float;
}

std::string TReader::ReadString() {
  const TValue& v = Current();
  if (v.Type != vaString) Fail("String expected");
  Advance();
  return v.Str;
}

std::string TReader::ReadIdent() {
  const TValue& v = Current();
  if (v.Type != vaIdent && v.Type != vaTrue && v.Type != vaFalse && v.Type != vaNil) Fail("Identifier expected");
  Advance();
  return v.Str;
}

void TReader::ReadListBegin() {
  const TValue& v = Current();
  if (v.Type != vaList) Fail("List expected");
  FStack.push_back(TCursor{v.List.data(), v.List.size(), 0});
}

bool TReader::EndOfList() const { return FStack.empty() || FStack.back().Index >= FStack.back().Count; }

void TReader::ReadListEnd() {
  if (!EndOfList()) Fail("End of list expected");
  if (FStack.size() > 1) {
    FStack.pop_back();
    Advance();
  }
}

void TReader::DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) {
  if (FMatched || !ReadData || !SameText(Name, FPropName)) return;
  FMatched = true;
  FStack.assign(1, TCursor{FValue, 1, 0});
  ReadData(this);
}

void TReader::DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                                   bool HasData) {
  if (FMatched || !ReadData || !SameText(Name, FPropName)) return;
  FMatched = true;
  FStack.assign(1, TCursor{FValue, 1, 0});
  if (FValue->Type != vaBinary) Fail("Binary value expected");
  TMemoryStream data;
  if (!FValue->Str.empty()) data.WriteBuffer(FValue->Str.data(), int32_t(FValue->Str.size()));
  data.SetPosition(0);
  ReadData(&data);
}

// ---------------------------------------------------------------------------------------------------
// Building the components

namespace {
// A reference that named no component yet.
struct TPendingFixup {
  TComponent* Holder;
  TComponent* Root;
  const TPropInfo* Prop;
  std::string Name;
};
std::vector<TPendingFixup>& PendingFixups();
TComponent* LookupReference(TComponent* Root, const std::string& name);
}  // namespace

namespace {
// Lists of components a running reader still has to touch; a component freed meanwhile is blanked.
std::vector<std::vector<TComponent*>*>& LoadingLists() {
  static std::vector<std::vector<TComponent*>*> lists;
  return lists;
}
}  // namespace

void ClassesDetail::ForgetLoading(TComponent* c) {
  if (LoadingLists().empty()) return;
  for (auto* l : LoadingLists()) std::replace(l->begin(), l->end(), c, static_cast<TComponent*>(nullptr));
}

class TFormReader {
public:
  TComponent* Read(const TObjectNode& node, TComponent* root) {
    LoadingLists().push_back(&FLoaded);
    LoadingLists().push_back(&FCreated);
    root = ReadRoot(node, root);
    CallLoaded();
    return root;
  }

private:
  // Reads the tree into root (made here when null); a failure takes back what was read.
  TComponent* ReadRoot(const TObjectNode& node, TComponent* root) {
    bool ownRoot = false;
    TFailScope unwind([&] { Unwind(ownRoot ? root : nullptr); });
    if (!root) {
      TClass cls = GetClass(node.ClassName);
      if (!cls) throw EParserError("Class " + node.ClassName + " not found", node.Line);
      root = NewComponent(cls, nullptr, node.Line);
      ownRoot = true;
    }
    FRoot = root;
    Mark(root);
    if (!node.Name.empty() && !SameText(root->Name(), node.Name)) Rename(root, UniqueRootName(node.Name, root), node.Line);
    ReadState(root, node, nullptr, nullptr);
    for (auto& f : FFixups) Resolve(f);
    RegisterGlobalRoot(root);   // also settles references other roots made to this one
    return root;
  }

  // Loaded runs once everything is in place, root first.
  void CallLoaded() {
    std::vector<TComponent*> loaded = FLoaded;
    LoadingLists().pop_back();
    LoadingLists().pop_back();
    LoadingLists().push_back(&loaded);
    struct Pop {
      ~Pop() { LoadingLists().pop_back(); }
    } pop;
    for (TComponent* c : loaded)
      if (c) c->ExcludeState(csReading);
    size_t i = 0;
    // The rest are not loaded, but must not stay in loading state either.
    TFailScope unloaded([&] {
      for (; i < loaded.size(); ++i)
        if (loaded[i]) loaded[i]->ExcludeState(csLoading);
    });
    for (; i < loaded.size(); ++i) {
      TComponent* c = loaded[i];
      if (!c) continue;
      c->Loaded();
      if (loaded[i]) c->ExcludeState(csLoading);
    }
  }

  struct TFixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    std::string Name;      // what to resolve
    std::string Path;      // for messages
    int Line;
    TComponent* Owner;     // liveness: the component whose (sub-)object holds the property
  };

  TComponent* FRoot = nullptr;
  std::vector<TComponent*> FLoaded;
  std::vector<TComponent*> FCreated;
  std::vector<TFixup> FFixups;

  void Mark(TComponent* c) {
    c->IncludeState(csLoading);
    c->IncludeState(csReading);
    FLoaded.push_back(c);
  }

  void Unwind(TComponent* ownRoot) {
    // Free what this read created, newest first; what was there before stays, out of loading state.
    for (size_t i = FCreated.size(); i-- > 0;) {
      TComponent* c = FCreated[i];
      if (!c || c == ownRoot) continue;
      FCreated[i] = nullptr;
      TObject::Free(c);
    }
    for (TComponent* c : FLoaded)
      if (c && c != ownRoot) {
        c->ExcludeState(csReading);
        c->ExcludeState(csLoading);
      }
    auto& lists = LoadingLists();
    lists.erase(std::remove(lists.begin(), lists.end(), &FLoaded), lists.end());
    lists.erase(std::remove(lists.begin(), lists.end(), &FCreated), lists.end());
    if (ownRoot) TObject::Free(ownRoot);
  }

  static std::string UniqueRootName(const std::string& name, TComponent* root) {
    TComponent* other = FindGlobalComponent(name);
    if (!other || other == root) return name;
    for (int i = 1;; ++i) {
      std::string n = name + "_" + std::to_string(i);
      if (!FindGlobalComponent(n)) return n;
    }
  }

  static void Rename(TComponent* c, const std::string& name, int line) {
    try {
      c->SetName(name);
    } catch (const EComponentError& e) {
      throw EParserError(e.Message, line);
    }
  }

  TComponent* NewComponent(TClass cls, TComponent* owner, int line) {
    if (!cls->Create) throw EParserError("Cannot create an instance of " + std::string(cls->Name), line);
    TObject* o;
    try {
      o = cls->Create(owner);
    } catch (const EAbort&) {
      throw;
    } catch (const Exception& e) {
      throw EParserError("Error creating " + std::string(cls->Name) + ": " + e.Message, line);
    }
    auto* c = dynamic_cast<TComponent*>(o);
    if (!c) {
      TObject::Free(o);
      throw EParserError(std::string(cls->Name) + " is not a component", line);
    }
    FCreated.push_back(c);
    return c;
  }

  void ReadChild(const TObjectNode& node, TComponent* owner, TComponent* parent) {
    TClass cls = GetClass(node.ClassName);
    if (!cls) throw EParserError("Class " + node.ClassName + " not found", node.Line);
    // A component the owner already has under that name (made by its constructor, or by an earlier
    // read of the same resource) is filled in place.
    TComponent* c = owner->FindComponent(node.Name);
    if (c && std::find(FLoaded.begin(), FLoaded.end(), c) != FLoaded.end())
      throw EParserError("A component named " + node.Name + " already exists", node.Line);
    if (c && c->ClassType() != cls) c = nullptr;
    bool fresh = !c;
    if (fresh) c = NewComponent(cls, owner, node.Line);
    Mark(c);
    if (fresh && !node.Name.empty()) Rename(c, node.Name, node.Line);
    if (parent && parent != c) c->SetParentComponent(parent);
    ReadState(c, node, owner, parent);
  }

  void ReadState(TComponent* c, const TObjectNode& node, TComponent* owner, TComponent* parent) {
    TReader r;
    r.FRoot = FRoot;
    r.FOwner = owner;
    r.FParent = parent;
    r.FEngine = this;
    r.FNode = &node;
    c->ReadState(&r);
  }

public:
  void ReadBody(TComponent* instance, const TObjectNode& node) {
    for (auto& p : node.Props) SetProperty(instance, instance, p, instance->Name());
    TComponent* owner = instance->GetChildOwner();
    if (!owner) owner = FRoot;
    TComponent* parent = instance->GetChildParent();
    for (auto& child : node.Children) ReadChild(child, owner, parent);
  }

private:

  [[noreturn]] static void Bad(const std::string& path, const std::string& msg, int line) {
    throw EParserError("Error reading " + path + ": " + msg, line);
  }

  void SetProperty(TComponent* holder, TPersistent* obj, const TPropNode& p, const std::string& basePath) {
    std::string path = basePath.empty() ? p.Name : basePath + "." + p.Name;
    // Walk the dotted name through published sub-objects.
    TPersistent* target = obj;
    size_t start = 0;
    std::string last = p.Name;
    for (;;) {
      size_t dot = p.Name.find('.', start);
      if (dot == std::string::npos) {
        last = p.Name.substr(start);
        break;
      }
      std::string seg = p.Name.substr(start, dot - start);
      const TPropInfo* pi = target->ClassType()->FindProp(seg);
      if (!pi || pi->Kind != tkClass || !pi->GetObj) Bad(path, "Property " + seg + " does not exist", p.Line);
      auto* sub = dynamic_cast<TPersistent*>(pi->GetObj(target));
      if (!sub) Bad(path, "Property " + seg + " has no object", p.Line);
      target = sub;
      start = dot + 1;
    }
    try {
      const TPropInfo* pi = target->ClassType()->FindProp(last);
      if (pi) {
        Apply(holder, target, pi, p.Value, path);
        return;
      }
      TReader r;
      r.FRoot = FRoot;
      r.FPropName = last;
      r.FValue = &p.Value;
      r.FOwner = holder->Owner();
      target->DefineProperties(&r);
      if (!r.FMatched) Bad(path, "Property " + last + " does not exist", p.Line);
    } catch (const EReadError&) {
      throw;
    } catch (const EAbort&) {
      throw;
    } catch (const Exception& e) {
      Bad(path, e.Message, p.Line);
    } catch (const std::exception& e) {
      Bad(path, e.what(), p.Line);
    }
  }

  void Apply(TComponent* holder, TPersistent* target, const TPropInfo* pi, const TValue& v, const std::string& path) {
    auto invalid = [&]() { Bad(path, "Invalid property value", v.Line); };
    switch (pi->Kind) {
      case tkInteger: {
        if (!pi->SetOrd) invalid();
        if (v.Type == vaInt) {
          if (v.Int < pi->MinValue || v.Int > pi->MaxValue) Bad(path, "Value out of range", v.Line);
          pi->SetOrd(target, v.Int);
        } else if (v.Type == vaIdent && pi->IdentMap) {
          auto it = std::find_if(pi->IdentMap->begin(), pi->IdentMap->end(), [&](auto& e) { return SameText(e.first, v.Str); });
          if (it == pi->IdentMap->end()) invalid();
          pi->SetOrd(target, it->second);
        } else {
          invalid();
        }
        break;
      }
      case tkBool:
        if (!pi->SetOrd || (v.Type != vaTrue && v.Type != vaFalse)) invalid();
        pi->SetOrd(target, v.Type == vaTrue ? 1 : 0);
        break;
      case tkEnumeration: {
        if (!pi->SetOrd || v.Type != vaIdent || !pi->EnumInfo) invalid();
        int i = pi->EnumInfo->IndexOf(v.Str);
        if (i < 0) invalid();
        pi->SetOrd(target, i);
        break;
      }
      case tkSet: {
        if (!pi->SetOrd || v.Type != vaSet || !pi->EnumInfo) invalid();
        uint64_t bits = 0;
        for (auto& name : v.SetItems) {
          int i = pi->EnumInfo->IndexOf(name);
          if (i < 0 || i > 63) invalid();
          bits |= uint64_t(1) << i;
        }
        pi->SetOrd(target, int64_t(bits));
        break;
      }
      case tkFloat:
        if (!pi->SetFloat || (v.Type != vaInt && v.Type != vaExtended)) invalid();
        pi->SetFloat(target, v.Type == vaInt ? double(v.Int) : v.Float);
        break;
      case tkString:
        if (!pi->SetStr || v.Type != vaString) invalid();
        pi->SetStr(target, v.Str);
        break;
      case tkMethod: {
        if (!pi->SetMethod) invalid();
        if (v.Type == vaNil) {
          pi->SetMethod(target, TMethod{});
          break;
        }
        if (v.Type != vaIdent) invalid();
        const TMethodEntry* m = FRoot->ClassType()->FindMethod(v.Str);
        if (!m) Bad(path, "Method " + v.Str + " not found in " + FRoot->ClassName(), v.Line);
        if (!pi->EventType || *m->EventType != *pi->EventType) Bad(path, "Method " + v.Str + " does not fit the event", v.Line);
        TMethod bound = m->Proto;
        bound.Data = m->Cast(FRoot);
        pi->SetMethod(target, bound);
        break;
      }
      case tkClass: {
        if (v.Type == vaNil) {
          if (!pi->SetObj) invalid();
          pi->SetObj(target, nullptr);
        } else if (v.Type == vaIdent) {
          if (!pi->SetObj) invalid();
          FFixups.push_back(TFixup{target, pi, v.Str, path, v.Line, holder});
        } else if (v.Type == vaList) {
          auto* list = pi->GetObj ? dynamic_cast<TStrings*>(pi->GetObj(target)) : nullptr;
          if (!list) invalid();
          TUpdateScope update(list);
          list->Clear();
          for (auto& item : v.List) {
            if (item.Type != vaString) Bad(path, "String expected", item.Line);
            list->Add(item.Str);
          }
        } else if (v.Type == vaCollection) {
          auto* coll = pi->GetObj ? dynamic_cast<TCollection*>(pi->GetObj(target)) : nullptr;
          if (!coll) invalid();
          ReadCollection(holder, coll, v, path);
        } else {
          invalid();
        }
        break;
      }
    }
  }

  void ReadCollection(TComponent* holder, TCollection* coll, const TValue& v, const std::string& path) {
    TUpdateScope update(coll);
    if (!v.Items.empty()) coll->Clear();   // an empty `<>` keeps what the owner put there
    for (size_t i = 0; i < v.Items.size(); ++i) {
      TCollectionItem* item;
      try {
        item = coll->Add();
      } catch (const Exception& e) {
        Bad(path, e.Message, v.Items[i].Line);
      }
      std::string itemPath = path + "[" + std::to_string(i) + "]";
      for (auto& p : v.Items[i].Props) SetProperty(holder, item, p, itemPath);
    }
  }

  void Resolve(const TFixup& f) {
    if (std::find(FLoaded.begin(), FLoaded.end(), f.Owner) == FLoaded.end()) return;  // freed meanwhile
    TComponent* c = LookupReference(FRoot, f.Name);
    if (!c) {
      // Perhaps a root that does not exist yet: set it when one of that name is read or registered.
      // Only a component's own property can wait; sub-objects and items may go before it comes.
      if (f.Instance == f.Owner) PendingFixups().push_back(TPendingFixup{f.Owner, FRoot, f.Prop, f.Name});
      return;
    }
    if (f.Prop->PropClass && !c->InheritsFrom(f.Prop->PropClass))
      Bad(f.Path, f.Name + " is not a " + f.Prop->PropClass->Name, f.Line);
    try {
      f.Prop->SetObj(f.Instance, c);
    } catch (const EReadError&) {
      throw;
    } catch (const EAbort&) {
      throw;
    } catch (const Exception& e) {
      Bad(f.Path, e.Message, f.Line);
    }
  }
};

namespace {
TComponent* LookupReference(TComponent* Root, const std::string& name) {
  size_t dot = name.find('.');
  std::string first = name.substr(0, dot);
  TComponent* c = nullptr;
  if (SameText(Root->Name(), first)) c = Root;
  if (!c) c = Root->FindComponent(first);
  if (!c) c = FindGlobalComponent(first);
  while (c && dot != std::string::npos) {
    size_t next = name.find('.', dot + 1);
    c = c->FindComponent(name.substr(dot + 1, next == std::string::npos ? std::string::npos : next - dot - 1));
    dot = next;
  }
  return c;
}

std::vector<TPendingFixup>& PendingFixups() {
  static std::vector<TPendingFixup> list;
  return list;
}
}  // namespace

void ClassesDetail::DropFixups(TComponent* c) {
  auto& l = PendingFixups();
  l.erase(std::remove_if(l.begin(), l.end(), [c](const TPendingFixup& f) { return f.Holder == c || f.Root == c; }),
          l.end());
}

void ClassesDetail::ResolvePendingFixups() {
  auto& l = PendingFixups();
  for (size_t i = 0; i < l.size();) {
    TPendingFixup f = l[i];
    TComponent* c = LookupReference(f.Root, f.Name);
    if (!c) {
      ++i;
      continue;
    }
    l.erase(l.begin() + ptrdiff_t(i));
    if (f.Prop->PropClass && !c->InheritsFrom(f.Prop->PropClass)) continue;
    f.Prop->SetObj(f.Holder, c);   // may free or add fixups: the list is looked at afresh
    i = 0;
  }
}

void TReader::ReadData(TComponent* Instance) {
  if (!FEngine || !FNode) throw EReadError("Nothing to read");
  FEngine->ReadBody(Instance, *FNode);
}

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }

TComponent* ReadComponentFromText(const std::string& Text, TComponent* Root) {
  TParser parser(Text);
  TObjectNode node = parser.ParseRoot();
  TFormReader reader;
  return reader.Read(node, Root);
}

bool ComponentResExists(const std::string& ResName, HMODULE Module) {
  if (!Module) Module = GetModuleHandleA(nullptr);
  return FindResourceA(Module, ResName.c_str(), RT_RCDATA) != nullptr;
}

TComponent* ReadComponentRes(const std::string& ResName, TComponent* Root, HMODULE Module) {
  TResourceStream res(Module, ResName, RT_RCDATA);
  return res.ReadComponent(Root);
}
