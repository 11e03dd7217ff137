// The user's layout of the command bars between runs: the manager's menu options, every bar's place
// and visibility, and the item links of every bar and named sub-item with their own settings and usage
// data, written to a registry key or to sections of an INI file. Both stores share one walk through a
// small store interface; the registry nests keys, the INI file names sections with dots.
#include <algorithm>
#include <cctype>
#include <memory>

#include "IniFiles.h"
#include "Registry.h"
#include "dxBar.h"

namespace {

template <class T>
T Clamped(int32_t V, T Lo, T Hi) {
  return T(std::clamp(V, int32_t(Lo), int32_t(Hi)));
}

// One store of the layout. Reads of a missing value raise in the registry (so a damaged bar can be
// told apart) and give the default in the INI file.
class TLayoutStore {
public:
  virtual ~TLayoutStore() = default;
  // Makes Section the current key or section; False when it does not exist and may not be created.
  virtual bool Select(const std::string& Section, bool Create) = 0;
  virtual bool Has(const std::string& Name) = 0;
  virtual int32_t Int(const std::string& Name, int32_t Def) = 0;
  virtual bool Bool(const std::string& Name, bool Def) = 0;
  virtual std::string Str(const std::string& Name, const std::string& Def) = 0;
  virtual uint8_t Set(const std::string& Name) = 0;
  virtual void PutInt(const std::string& Name, int32_t V) = 0;
  virtual void PutBool(const std::string& Name, bool V) = 0;
  virtual void PutStr(const std::string& Name, const std::string& V) = 0;
  virtual void PutSet(const std::string& Name, uint8_t V) = 0;
  virtual void PutGlyph(const std::string& Name, TBitmap* B) {}
  virtual void GetGlyph(const std::string& Name, TBitmap* B) {}
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
  bool Has(const std::string& Name) override { return Reg.ValueExists(Name); }
  int32_t Int(const std::string& Name, int32_t) override { return Reg.ReadInteger(Name); }
  bool Bool(const std::string& Name, bool) override { return Reg.ReadBool(Name); }
  // A missing string is a missing value here too: a bar without its caption is a damaged bar.
  std::string Str(const std::string& Name, const std::string&) override {
    if (!Reg.ValueExists(Name)) throw ERegistryException("Failed to get data for '" + Name + "'");
    return Reg.ReadString(Name);
  }
  uint8_t Set(const std::string& Name) override {
    uint8_t v = 0;
    Reg.ReadBinaryData(Name, &v, 1);
    return v;
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
  void GetGlyph(const std::string& Name, TBitmap* B) override {
    int size = Reg.GetDataSize(Name);
    if (size <= 0) return;
    TMemoryStream s;
    s.SetSize(size);
    Reg.ReadBinaryData(Name, s.Memory(), size);
    s.Seek(0, soBeginning);
    B->LoadFromStream(&s);
  }
  const char* Separator() const override { return "\\"; }
};

class TIniStore : public TLayoutStore {
public:
  explicit TIniStore(const std::string& FileName) : Ini(FileName) {}
  TIniFile Ini;
  std::string Section;
  bool Select(const std::string& S, bool Create) override {
    Section = S;
    return Create || Ini.SectionExists(S);
  }
  bool Has(const std::string& Name) override { return Ini.ValueExists(Section, Name); }
  int32_t Int(const std::string& Name, int32_t Def) override { return Ini.ReadInteger(Section, Name, Def); }
  bool Bool(const std::string& Name, bool Def) override { return Ini.ReadBool(Section, Name, Def); }
  std::string Str(const std::string& Name, const std::string& Def) override { return Ini.ReadString(Section, Name, Def); }
  uint8_t Set(const std::string& Name) override { return uint8_t(Ini.ReadInteger(Section, Name, 0)); }
  void PutInt(const std::string& Name, int32_t V) override { Ini.WriteInteger(Section, Name, V); }
  void PutBool(const std::string& Name, bool V) override { Ini.WriteBool(Section, Name, V); }
  void PutStr(const std::string& Name, const std::string& V) override { Ini.WriteString(Section, Name, V); }
  void PutSet(const std::string& Name, uint8_t V) override { Ini.WriteInteger(Section, Name, V); }
  const char* Separator() const override { return "."; }
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

  void Load(bool BarCountPresent, int BarCount) {
    if (Enhanced()) {
      if (FS.Has("MenusShowRecentItemsFirst"))
        FM->SetMenusShowRecentItemsFirst(FS.Bool("MenusShowRecentItemsFirst", FM->MenusShowRecentItemsFirst()));
      if (FS.Has("ShowFullMenusAfterDelay"))
        FM->SetShowFullMenusAfterDelay(FS.Bool("ShowFullMenusAfterDelay", FM->ShowFullMenusAfterDelay()));
    }
    if (FS.Has("LargeIcons")) FM->SetLargeIcons(FS.Bool("LargeIcons", FM->LargeIcons()));
    if (FS.Has("MenuAnimations"))
      FM->SetMenuAnimations(Clamped(FS.Int("MenuAnimations", FM->MenuAnimations()), maNone, maSlide));
    if (FS.Has("ShowHint")) FM->SetShowHint(FS.Bool("ShowHint", FM->ShowHint()));
    if (FS.Has("ShowShortCutInHint")) FM->SetShowShortCutInHint(FS.Bool("ShowShortCutInHint", FM->ShowShortCutInHint()));
    if (BarCountPresent) LoadBars(BarCount);
    for (int i = 0; i < FM->ItemCount(); ++i) {
      auto* sub = dynamic_cast<TCustomdxBarSubItem*>(FM->Items(i));
      if (!sub || sub->Name().empty()) continue;
      std::string sec = FPrefix + "SubItem_" + sub->Name();
      if (FS.Select(sec, false)) LoadLinks(sec, sub->ItemLinks(), false);
    }
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

  // Sec is selected on entry.
  void LoadLinks(const std::string& Sec, TdxBarItemLinks* Links, bool BarLinks) {
    Links->Clear();
    int count = FS.Has("ItemLinkCount") ? FS.Int("ItemLinkCount", 0) : 0;
    bool usage = Enhanced() && Links->UseRecentItems();
    for (int i = 0; i < count; ++i) {
      if (!FS.Select(Sec + FS.Separator() + "ItemLink" + std::to_string(i), false)) continue;
      TdxBarItem* item = FS.Has("ItemName") ? FM->GetItemByName(FS.Str("ItemName", "")) : nullptr;
      if (!item) continue;  // removed since the layout was saved
      TdxBarItemLink* l = Links->Add();
      l->SetItem(item);
      if (FS.Has("BeginGroup")) l->SetBeginGroup(FS.Bool("BeginGroup", false));
      TdxBarUserDefines ud = TdxBarUserDefines::FromBits(FS.Has("UserDefine") ? FS.Set("UserDefine") & 0x0F : 0);
      if (ud.Contains(udCaption) && FS.Has("UserCaption")) l->SetUserCaption(FS.Str("UserCaption", ""));
      if (ud.Contains(udGlyph)) FS.GetGlyph("UserGlyph", l->UserGlyph());
      if (ud.Contains(udPaintStyle) && FS.Has("UserPaintStyle"))
        l->SetUserPaintStyle(Clamped(FS.Int("UserPaintStyle", 0), psStandard, psCaptionGlyph));
      if (ud.Contains(udWidth) && FS.Has("UserWidth")) l->SetUserWidth(FS.Int("UserWidth", 0));
      l->SetUserDefine(ud);
      if (BarLinks && FS.Has("Visible")) l->SetLoadedVisible(FS.Bool("Visible", true));
      if (usage) {
        if (FS.Has("UseCount")) l->LoadedUseCount = FS.Int("UseCount", 0);
        if (FS.Has("RecentIndex")) l->LoadedRecentIndex = FS.Int("RecentIndex", -1);
      }
    }
    Links->Loaded(true);
  }

  struct TBarValues {
    std::string Caption;
    int32_t DockedStyle, DockedLeft, DockedTop, Row, FloatLeft, FloatTop, FloatW, FloatH, Style;
    bool OneOnRow, Visible;
  };

  void LoadBars(int Count) {
    TdxBars* bars = FM->Bars();
    for (int n = 0; n < bars->Count(); ++n) bars->Items(n)->SetVisible(false);
    for (int n = 0; n < Count; ++n) {
      std::string sec = FPrefix + "Bar" + std::to_string(n);
      if (!FS.Select(sec, false)) continue;
      TdxBar* b = n < bars->Count() ? bars->Items(n) : bars->Add();
      bool wasLocked = b->Locked(), wasLoading = bars->Loading();
      // Whatever fails below, the bar gets its lock and the collection its loading flag back.
      struct TRestore {
        TdxBar* B;
        TdxBars* Bars;
        bool Locked, Loading;
        ~TRestore() {
          Bars->SetLoading(Loading);
          B->LockBar(Locked);
        }
      };
      bool ok = true;
      {
        TRestore restore{b, bars, wasLocked, wasLoading};
        b->LockBar(true);
        try {
          LoadLinks(sec, b->ItemLinks(), true);
          FS.Select(sec, false);
          // Every value is read before any is applied: a damaged bar is not left half moved.
          TBarValues v{FS.Str("Caption", b->Caption()),
                       FS.Int("DockedDockingStyle", b->DockedDockingStyle()),
                       FS.Int("DockedLeft", b->DockedLeft()),
                       FS.Int("DockedTop", b->DockedTop()),
                       FS.Int("Row", b->Row()),
                       FS.Int("FloatLeft", b->FloatLeft()),
                       FS.Int("FloatTop", b->FloatTop()),
                       FS.Int("FloatClientWidth", b->FloatClientWidth()),
                       FS.Int("FloatClientHeight", b->FloatClientHeight()),
                       FS.Int("DockingStyle", b->DockingStyle()),
                       FS.Bool("OneOnRow", b->OneOnRow()),
                       FS.Bool("Visible", b->Visible())};
          b->SetCaption(v.Caption);
          b->SetDockedDockingStyle(Clamped(v.DockedStyle, dsNone, dsBottom));
          b->SetDockedLeft(v.DockedLeft);
          b->SetDockedTop(v.DockedTop);
          b->SetOneOnRow(v.OneOnRow);
          b->SetRow(v.Row);
          b->SetFloatLeft(v.FloatLeft);
          b->SetFloatTop(v.FloatTop);
          b->SetFloatClientWidth(v.FloatW);
          b->SetFloatClientHeight(v.FloatH);
          b->SetDockingStyle(Clamped(v.Style, dsNone, dsBottom));
          bars->SetLoading(true);
          b->SetVisible(v.Visible);
        } catch (Exception&) {
          ok = false;
        }
      }
      if (!ok) b->SetVisible(true);
    }
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
  bool has = s.Has("BarCount");
  int count = has ? s.Int("BarCount", 0) : 0;
  TLayout(this, s, k, k + "\\").Load(has, count);
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
  s.Select(p + "Main", false);
  int count = s.Int("BarCount", -1);
  TLayout(this, s, p + "Main", p).Load(count > -1, count);
}
