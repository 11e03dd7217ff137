// The user's layout of the command bars between runs: the manager's menu options, every bar's place
// and visibility, and the item links of every bar and named sub-item with their own settings and usage
// data, written to a registry key or to sections of an INI file. Both stores share one walk through a
// small store interface; the registry nests keys, the INI file names sections with dots.
#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <vector>

#include "IniFiles.h"
#include "Registry.h"
#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarItems.h"
#include "dxBarManager.h"

namespace {

// A stored number that names a value of an enumeration; nothing for any other number.
template <class T>
std::optional<T> InRange(std::optional<int32_t> V, T Lo, T Hi) {
  if (!V || *V < int32_t(Lo) || *V > int32_t(Hi)) return std::nullopt;
  return T(*V);
}

// N when Name is Prefix followed by the decimal N (as a save writes it), else -1.
int NumberAfter(const std::string& Name, const std::string& Prefix) {
  if (Name.size() <= Prefix.size() || Name.size() > Prefix.size() + 9 ||
      !SameText(Name.substr(0, Prefix.size()), Prefix))
    return -1;
  std::string digits = Name.substr(Prefix.size());
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(uint8_t(c)) != 0; })) return -1;
  int n = std::stoi(digits);
  return std::to_string(n) == digits ? n : -1;
}

// One store of the layout. A read gives nothing when the value is missing or is not of the kind a save
// writes there (the user, or another program, may have changed it): the caller skips what it cannot read.
class TLayoutStore {
public:
  virtual ~TLayoutStore() = default;
  // Makes Section the current key or section; False when it does not exist and may not be created.
  virtual bool Select(const std::string& Section, bool Create) = 0;
  // The numbers N below Limit, ascending, for which the section Prefix + N exists. A stored count is
  // only a bound: a load walks what is there, however large the count.
  virtual std::vector<int> Numbered(const std::string& Prefix, int Limit) = 0;
  virtual std::optional<int32_t> Int(const std::string& Name) = 0;
  std::optional<bool> Bool(const std::string& Name) {
    std::optional<int32_t> v = Int(Name);
    return v ? std::optional<bool>(*v != 0) : std::nullopt;
  }
  virtual std::optional<std::string> Str(const std::string& Name) = 0;
  virtual std::optional<uint8_t> Set(const std::string& Name) = 0;
  // The saved bitmap of a glyph; the INI layout keeps none.
  virtual std::optional<std::string> Glyph(const std::string&) { return std::nullopt; }
  virtual void PutInt(const std::string& Name, int32_t V) = 0;
  virtual void PutBool(const std::string& Name, bool V) = 0;
  virtual void PutStr(const std::string& Name, const std::string& V) = 0;
  virtual void PutSet(const std::string& Name, uint8_t V) = 0;
  virtual void PutGlyph(const std::string&, TBitmap*) {}
  // Between a collection's section and the sections of its links.
  virtual const char* Separator() const = 0;
};

class TRegistryStore : public TLayoutStore {
public:
  TRegistry Reg;
  bool Select(const std::string& Section, bool Create) override {
    Reg.CloseKey();
    return Create ? Reg.OpenKey(Section, true) : Reg.OpenKeyReadOnly(Section);
  }
  std::vector<int> Numbered(const std::string& Prefix, int Limit) override {
    std::vector<int> r;
    size_t slash = Prefix.rfind('\\');
    if (slash == std::string::npos || !Select(Prefix.substr(0, slash), false)) return r;
    std::vector<std::string> keys;
    Reg.GetKeyNames(keys);
    for (auto& k : keys)
      if (int n = NumberAfter(k, Prefix.substr(slash + 1)); n >= 0 && n < Limit) r.push_back(n);
    std::sort(r.begin(), r.end());
    return r;
  }
  std::optional<int32_t> Int(const std::string& Name) override {
    if (Reg.GetDataType(Name) != rdInteger) return std::nullopt;
    return Guarded([&] { return Reg.ReadInteger(Name); });
  }
  std::optional<std::string> Str(const std::string& Name) override {
    TRegDataType t = Reg.GetDataType(Name);
    if (t != rdString && t != rdExpandString) return std::nullopt;
    return Guarded([&] { return Reg.ReadString(Name); });
  }
  std::optional<uint8_t> Set(const std::string& Name) override {
    if (Reg.GetDataType(Name) != rdBinary || Reg.GetDataSize(Name) != 1) return std::nullopt;
    return Guarded([&] {
      uint8_t v = 0;
      Reg.ReadBinaryData(Name, &v, 1);
      return v;
    });
  }
  std::optional<std::string> Glyph(const std::string& Name) override {
    int size = Reg.GetDataSize(Name);
    if (Reg.GetDataType(Name) != rdBinary || size <= 0) return std::nullopt;
    return Guarded([&] {
      std::string bytes(size_t(size), '\0');
      bytes.resize(size_t(Reg.ReadBinaryData(Name, bytes.data(), size)));
      return bytes;
    });
  }
  void PutInt(const std::string& Name, int32_t V) override { Reg.WriteInteger(Name, V); }
  void PutBool(const std::string& Name, bool V) override { Reg.WriteBool(Name, V); }
  void PutStr(const std::string& Name, const std::string& V) override { Reg.WriteString(Name, V); }
  void PutSet(const std::string& Name, uint8_t V) override { Reg.WriteBinaryData(Name, &V, 1); }
  void PutGlyph(const std::string& Name, TBitmap* B) override {
    TMemoryStream s;
    B->SaveToStream(&s);
    Reg.WriteBinaryData(Name, s.Memory(), int(s.Size()));
  }
  const char* Separator() const override { return "\\"; }

private:
  // The value changed between the type check and the read: it counts as unreadable.
  template <class F>
  static auto Guarded(F Read) -> std::optional<decltype(Read())> {
    try {
      return Read();
    } catch (ERegistryException&) {
      return std::nullopt;
    }
  }
};

class TIniStore : public TLayoutStore {
public:
  explicit TIniStore(const std::string& FileName) : Ini(FileName) {}
  TIniFile Ini;
  std::string Section;
  bool Select(const std::string& S, bool Create) override {
    Section = S;
    if (Create) return true;
    // The names once per section: each look-up of a name would read the whole section again.
    Ini.ReadSection(S, FNames);
    return !FNames.empty();
  }
  std::vector<int> Numbered(const std::string& Prefix, int Limit) override {
    if (!FSectionsRead) Ini.ReadSections(FSections);
    FSectionsRead = true;
    std::vector<int> r;
    for (auto& s : FSections)
      if (int n = NumberAfter(s, Prefix); n >= 0 && n < Limit) r.push_back(n);
    std::sort(r.begin(), r.end());
    return r;
  }
  std::optional<int32_t> Int(const std::string& Name) override {
    if (!Has(Name)) return std::nullopt;
    std::string v = Ini.ReadString(Section, Name, "");
    int32_t n = StrToIntDef(v, 0);
    if (n == 0 && StrToIntDef(v, 1) == 1) return std::nullopt;  // not a number
    return n;
  }
  std::optional<std::string> Str(const std::string& Name) override {
    if (!Has(Name)) return std::nullopt;
    return Ini.ReadString(Section, Name, "");
  }
  std::optional<uint8_t> Set(const std::string& Name) override {
    std::optional<int32_t> v = Int(Name);
    if (!v || *v < 0 || *v > 255) return std::nullopt;
    return uint8_t(*v);
  }
  void PutInt(const std::string& Name, int32_t V) override { Ini.WriteInteger(Section, Name, V); }
  void PutBool(const std::string& Name, bool V) override { Ini.WriteBool(Section, Name, V); }
  void PutStr(const std::string& Name, const std::string& V) override { Ini.WriteString(Section, Name, V); }
  void PutSet(const std::string& Name, uint8_t V) override { Ini.WriteInteger(Section, Name, V); }
  const char* Separator() const override { return "."; }

private:
  std::vector<std::string> FNames, FSections;
  bool FSectionsRead = false;
  bool Has(const std::string& Name) const {
    return std::any_of(FNames.begin(), FNames.end(), [&](const std::string& n) { return SameText(n, Name); });
  }
};

// "\" added in front when missing, one trailing "\" dropped; empty when the path names no key below the
// hive (a save there would wipe the user's whole hive).
std::string NormalisedKey(const std::string& Path) {
  if (Path.find_first_not_of('\\') == std::string::npos) return std::string();
  std::string k = Path[0] == '\\' ? Path : "\\" + Path;
  if (k.size() > 1 && k.back() == '\\') k.pop_back();
  return k;
}

bool StartsWithText(const std::string& S, const std::string& Prefix) {
  return S.size() >= Prefix.size() && SameText(S.substr(0, Prefix.size()), Prefix);
}

// Only the keys a save writes: "Bar" + number and "SubItem_" + name.
bool IsLayoutKey(const std::string& Name) {
  if (StartsWithText(Name, "SubItem_")) return true;
  if (!StartsWithText(Name, "Bar") || Name.size() == 3) return false;
  return std::all_of(Name.begin() + 3, Name.end(), [](char c) { return std::isdigit(uint8_t(c)) != 0; });
}

// A stored layout is the user's, but it may be damaged, of an older form or of another form: what can
// be read is applied and the rest is skipped, a bar or a collection of links that cannot be read keeps
// what the form gave it, and nothing in the store is changed (the next save writes it whole).
class TLayout {
public:
  TLayout(TdxBarManager* M, TLayoutStore& S, std::string Main, std::string BarPrefix)
      : FM(M), FS(S), FMain(std::move(Main)), FPrefix(std::move(BarPrefix)) {}

  void Save() {
    FS.Select(FMain, true);
    if (Enhanced()) {
      FS.PutBool("MenusShowRecentItemsFirst", FM->MenusShowRecentItemsFirst());
      FS.PutBool("ShowFullMenusAfterDelay", FM->ShowFullMenusAfterDelay());
    }
    FS.PutBool("LargeIcons", FM->LargeIcons());
    FS.PutInt("MenuAnimations", FM->MenuAnimations());
    FS.PutBool("ShowHint", FM->ShowHint());
    FS.PutBool("ShowShortCutInHint", FM->ShowShortCutInHint());
    TdxBars* bars = FM->Bars();
    FS.PutInt("BarCount", bars->Count());
    for (int n = 0; n < bars->Count(); ++n) {
      TdxBar* b = bars->Items(n);
      std::string sec = FPrefix + "Bar" + std::to_string(n);
      FS.Select(sec, true);
      FS.PutStr("Caption", b->Caption());
      FS.PutInt("DockedDockingStyle", b->DockedDockingStyle());
      FS.PutInt("DockedLeft", b->DockedLeft());
      FS.PutInt("DockedTop", b->DockedTop());
      FS.PutBool("OneOnRow", b->OneOnRow());
      FS.PutInt("Row", b->Row());
      FS.PutInt("FloatLeft", b->FloatLeft());
      FS.PutInt("FloatTop", b->FloatTop());
      FS.PutInt("FloatClientWidth", b->FloatClientWidth());
      FS.PutInt("FloatClientHeight", b->FloatClientHeight());
      FS.PutInt("DockingStyle", b->DockingStyle());
      FS.PutBool("Visible", b->Visible());
      SaveLinks(sec, b->ItemLinks(), true);
    }
    for (int i = 0; i < FM->ItemCount(); ++i) {
      auto* sub = dynamic_cast<TCustomdxBarSubItem*>(FM->Items(i));
      if (sub && !sub->Name().empty()) SaveLinks(FPrefix + "SubItem_" + sub->Name(), sub->ItemLinks(), false);
    }
  }

  void Load() {
    if (FS.Select(FMain, false)) {
      LoadManagerValues();
      // A negative count is no count: it hides nothing.
      if (std::optional<int32_t> count = FS.Int("BarCount"); count && *count >= 0) LoadBars(*count);
    }
    LoadSubItems();
    for (auto s : {dsLeft, dsTop, dsRight, dsBottom})
      if (auto* d = FM->Bars()->DockControls(s)) d->UpdateDock();
  }

private:
  bool Enhanced() const { return FM->Style() == bmsEnhanced; }

  void SaveLinks(const std::string& Sec, TdxBarItemLinks* Links, bool BarLinks) {
    FS.Select(Sec, true);
    FS.PutInt("ItemLinkCount", Links->Count());
    bool usage = Enhanced() && Links->UseRecentItems();
    for (int i = 0; i < Links->Count(); ++i) {
      TdxBarItemLink* l = Links->Items(i);
      if (!l->Item() || l->Item()->Name().empty()) continue;
      FS.Select(Sec + FS.Separator() + "ItemLink" + std::to_string(i), true);
      FS.PutStr("ItemName", l->Item()->Name());
      // The link's own mark: the mark it shows moves to the next shown link while it is hidden, and
      // storing that would add a separator (or drop one) once the link shows again.
      FS.PutBool("BeginGroup", l->StoredBeginGroup());
      TdxBarUserDefines ud = l->UserDefine();
      FS.PutSet("UserDefine", uint8_t(ud.Bits()));
      if (ud.Contains(udCaption)) FS.PutStr("UserCaption", l->UserCaption());
      if (ud.Contains(udGlyph)) FS.PutGlyph("UserGlyph", l->UserGlyph());
      if (ud.Contains(udPaintStyle)) FS.PutInt("UserPaintStyle", l->UserPaintStyle());
      if (ud.Contains(udWidth)) FS.PutInt("UserWidth", l->UserWidth());
      if (BarLinks) FS.PutBool("Visible", l->Visible());
      if (usage) {
        FS.PutInt("UseCount", l->UseCount());
        FS.PutInt("RecentIndex", l->RecentIndex());
      }
    }
  }

  // The main section is selected on entry.
  void LoadManagerValues() {
    if (Enhanced()) {
      if (auto v = FS.Bool("MenusShowRecentItemsFirst")) FM->SetMenusShowRecentItemsFirst(*v);
      if (auto v = FS.Bool("ShowFullMenusAfterDelay")) FM->SetShowFullMenusAfterDelay(*v);
    }
    if (auto v = FS.Bool("LargeIcons")) FM->SetLargeIcons(*v);
    if (auto v = InRange(FS.Int("MenuAnimations"), maNone, maSlide)) FM->SetMenuAnimations(*v);
    if (auto v = FS.Bool("ShowHint")) FM->SetShowHint(*v);
    if (auto v = FS.Bool("ShowShortCutInHint")) FM->SetShowShortCutInHint(*v);
  }

  // One stored link, read before anything is changed.
  struct TLinkValues {
    TdxBarItem* Item;
    bool BeginGroup = false;
    uint8_t Define = 0;
    std::string Caption, Glyph;
    TdxBarPaintStyle PaintStyle = psStandard;
    int32_t Width = 0;
    std::optional<bool> Visible;
    std::optional<int32_t> UseCount, RecentIndex;
  };

  // The links stored under Sec; nothing when their count cannot be read or is negative, or when they
  // name none of the form's items (a layout of another form): the collection then keeps its links.
  std::optional<std::vector<TLinkValues>> ReadLinks(const std::string& Sec, bool BarLinks, bool Usage) {
    if (!FS.Select(Sec, false)) return std::nullopt;
    std::optional<int32_t> count = FS.Int("ItemLinkCount");
    if (!count || *count < 0) return std::nullopt;
    std::vector<TLinkValues> r;
    for (int i : FS.Numbered(Sec + FS.Separator() + "ItemLink", *count)) {
      if (!FS.Select(Sec + FS.Separator() + "ItemLink" + std::to_string(i), false)) continue;
      std::optional<std::string> name = FS.Str("ItemName");
      TdxBarItem* item = name ? FM->GetItemByName(*name) : nullptr;
      if (!item) continue;  // removed since the layout was saved
      TLinkValues v{item};
      v.BeginGroup = FS.Bool("BeginGroup").value_or(false);
      uint8_t define = FS.Set("UserDefine").value_or(0);
      // An own setting whose value cannot be read is left out rather than applied empty.
      auto own = [&](TdxBarUserDefine D, auto Read) {
        if (define & (1u << D) && Read()) v.Define |= uint8_t(1u << D);
      };
      own(udCaption, [&] { return Assign(v.Caption, FS.Str("UserCaption")); });
      own(udGlyph, [&] { return Assign(v.Glyph, FS.Glyph("UserGlyph")); });
      own(udPaintStyle, [&] { return Assign(v.PaintStyle, InRange(FS.Int("UserPaintStyle"), psStandard, psCaptionGlyph)); });
      own(udWidth, [&] { return Assign(v.Width, FS.Int("UserWidth")); });
      if (BarLinks) v.Visible = FS.Bool("Visible");
      if (Usage) {
        v.UseCount = FS.Int("UseCount");
        v.RecentIndex = FS.Int("RecentIndex");
      }
      r.push_back(std::move(v));
    }
    if (*count > 0 && r.empty()) return std::nullopt;
    return r;
  }

  template <class T>
  static bool Assign(T& To, std::optional<T> From) {
    if (From) To = std::move(*From);
    return From.has_value();
  }

  // Owner: the sub-item whose links these are, or null for a bar's.
  void ApplyLinks(TdxBarItemLinks* Links, std::vector<TLinkValues>& Values, TCustomdxBarSubItem* Owner) {
    Links->Clear();
    for (TLinkValues& v : Values) {
      // A sub-item never holds itself, directly or through other sub-items: such a link is left out.
      auto* sub = dynamic_cast<TCustomdxBarSubItem*>(v.Item);
      if (Owner && (v.Item == Owner || (sub && sub->ItemLinks()->ContainsItem(Owner)))) continue;
      TdxBarItemLink* l = Links->Add();
      l->SetItem(v.Item);
      l->SetBeginGroup(v.BeginGroup);
      TdxBarUserDefines ud = TdxBarUserDefines::FromBits(v.Define);
      if (ud.Contains(udCaption)) l->SetUserCaption(v.Caption);
      if (ud.Contains(udGlyph) && !LoadGlyph(l->UserGlyph(), v.Glyph)) ud.Exclude(udGlyph);
      if (ud.Contains(udPaintStyle)) l->SetUserPaintStyle(v.PaintStyle);
      if (ud.Contains(udWidth)) l->SetUserWidth(v.Width);
      l->SetUserDefine(ud);
      if (v.Visible) l->SetLoadedVisible(*v.Visible);
      if (v.UseCount) l->LoadedUseCount = std::max(0, *v.UseCount);
      if (v.RecentIndex) l->LoadedRecentIndex = *v.RecentIndex;
    }
    Links->Loaded(true);
  }

  // False when the stored bytes are no bitmap.
  static bool LoadGlyph(TBitmap* B, const std::string& Bytes) {
    TMemoryStream s;
    s.SetSize(int64_t(Bytes.size()));
    std::copy(Bytes.begin(), Bytes.end(), static_cast<char*>(s.Memory()));
    try {
      B->LoadFromStream(&s);
      return true;
    } catch (Exception&) {
      return false;
    }
  }

  struct TBarValues {
    std::string Caption;
    TdxBarDockingStyle DockedStyle, Style;
    int32_t DockedLeft, DockedTop, Row, FloatLeft, FloatTop, FloatW, FloatH;
    bool OneOnRow, Visible;
  };

  // The values of the selected bar section; nothing when one of them cannot be read.
  std::optional<TBarValues> ReadBar() {
    TBarValues v;
    bool ok = Assign(v.Caption, FS.Str("Caption")) &&
              Assign(v.DockedStyle, InRange(FS.Int("DockedDockingStyle"), dsNone, dsBottom)) &&
              Assign(v.DockedLeft, FS.Int("DockedLeft")) && Assign(v.DockedTop, FS.Int("DockedTop")) &&
              Assign(v.OneOnRow, FS.Bool("OneOnRow")) && Assign(v.Row, FS.Int("Row")) &&
              Assign(v.FloatLeft, FS.Int("FloatLeft")) && Assign(v.FloatTop, FS.Int("FloatTop")) &&
              Assign(v.FloatW, FS.Int("FloatClientWidth")) && Assign(v.FloatH, FS.Int("FloatClientHeight")) &&
              Assign(v.Style, InRange(FS.Int("DockingStyle"), dsNone, dsBottom)) &&
              Assign(v.Visible, FS.Bool("Visible"));
    return ok ? std::optional<TBarValues>(std::move(v)) : std::nullopt;
  }

  void LoadBars(int Count) {
    TdxBars* bars = FM->Bars();
    // Every bar is hidden first so the stored ones dock in their stored rows; a bar the layout should
    // hold but cannot give back shows as the form had it.
    std::vector<bool> formVisible;
    for (int n = 0; n < bars->Count(); ++n) {
      formVisible.push_back(bars->Items(n)->Visible());
      bars->Items(n)->SetVisible(false);
    }
    std::vector<bool> placed(formVisible.size(), false);
    for (int n : FS.Numbered(FPrefix + "Bar", Count)) {
      std::string sec = FPrefix + "Bar" + std::to_string(n);
      if (!FS.Select(sec, false)) continue;
      std::optional<TBarValues> v = ReadBar();
      if (!v) continue;
      TdxBar* b = n < bars->Count() ? bars->Items(n) : bars->Add();
      std::optional<std::vector<TLinkValues>> links =
          ReadLinks(sec, true, Enhanced() && b->ItemLinks()->UseRecentItems());
      bool wasLocked = b->Locked(), wasLoading = bars->Loading();
      TScopeExit restore([&] {
        bars->SetLoading(wasLoading);
        b->LockBar(wasLocked);
      });
      b->LockBar(true);
      if (links) ApplyLinks(b->ItemLinks(), *links, nullptr);
      b->SetCaption(v->Caption);
      b->SetDockedDockingStyle(v->DockedStyle);
      b->SetDockedLeft(v->DockedLeft);
      b->SetDockedTop(v->DockedTop);
      b->SetOneOnRow(v->OneOnRow);
      b->SetRow(v->Row);
      b->SetFloatLeft(v->FloatLeft);
      b->SetFloatTop(v->FloatTop);
      b->SetFloatClientWidth(v->FloatW);
      b->SetFloatClientHeight(v->FloatH);
      b->SetDockingStyle(v->Style);
      bars->SetLoading(true);
      b->SetVisible(v->Visible);
      if (size_t(n) < placed.size()) placed[size_t(n)] = true;
    }
    for (size_t n = 0; n < formVisible.size(); ++n)
      if (!placed[n] && int64_t(n) < Count) bars->Items(int(n))->SetVisible(formVisible[n]);
    // The main menu leads to everything else (the user cannot hide it): no layout takes it away.
    if (TdxBar* menu = FM->MainMenuBar(); menu && !menu->Visible()) menu->SetVisible(true);
  }

  void LoadSubItems() {
    std::vector<std::pair<TCustomdxBarSubItem*, std::vector<TLinkValues>>> stored;
    for (int i = 0; i < FM->ItemCount(); ++i) {
      auto* sub = dynamic_cast<TCustomdxBarSubItem*>(FM->Items(i));
      if (!sub || sub->Name().empty()) continue;
      if (auto v = ReadLinks(FPrefix + "SubItem_" + sub->Name(), false, Enhanced() && sub->ItemLinks()->UseRecentItems()))
        stored.emplace_back(sub, std::move(*v));
    }
    // All are emptied before any is filled: a nesting the user turned round (B moved into A after A
    // was taken out of B) would otherwise meet the form's own nesting on the way.
    for (auto& [sub, links] : stored) sub->ItemLinks()->Clear();
    for (auto& [sub, links] : stored) ApplyLinks(sub->ItemLinks(), links, sub);
  }

  TdxBarManager* FM;
  TLayoutStore& FS;
  std::string FMain, FPrefix;
};

std::string IniPrefix(TdxBarManager* M) {
  std::string form = M->ParentForm() ? M->ParentForm()->Name() : std::string();
  return form + "." + M->Name() + ".";
}

}  // namespace

void TdxBarManager::SaveToRegistry(const std::string& Path) {
  std::string k = NormalisedKey(Path);
  if (k.empty()) return;
  TRegistryStore s;
  if (!s.Reg.OpenKey(k, true)) return;
  std::vector<std::string> names;
  s.Reg.GetKeyNames(names);
  s.Reg.CloseKey();
  for (auto& n : names)
    if (IsLayoutKey(n)) s.Reg.DeleteKey(k + "\\" + n);
  TLayout(this, s, k, k + "\\").Save();
  s.Reg.CloseKey();
}

void TdxBarManager::LoadFromRegistry(const std::string& Path) {
  std::string k = NormalisedKey(Path);
  if (k.empty()) return;
  TRegistryStore s;
  if (!s.Select(k, false)) return;
  TLayout(this, s, k, k + "\\").Load();
}

void TdxBarManager::SaveToIniFile(const std::string& FileName) {
  if (FileName.empty()) return;
  TIniStore s(FileName);
  std::string p = IniPrefix(this);
  std::vector<std::string> sections;
  s.Ini.ReadSections(sections);
  for (auto& sec : sections)
    if (StartsWithText(sec, p)) s.Ini.EraseSection(sec);
  TLayout(this, s, p + "Main", p).Save();
  s.Ini.UpdateFile();
}

void TdxBarManager::LoadFromIniFile(const std::string& FileName) {
  if (FileName.empty()) return;
  TIniStore s(FileName);
  std::string p = IniPrefix(this);
  TLayout(this, s, p + "Main", p).Load();
}
