// The stored layout of the bars: round trips through a registry key and an INI file, a path that names
// no key refused, other keys of the path kept; forms that save their layout when their window goes and
// read it when they are made, and damaged layouts that such a form still comes up with.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "BarsTestSupport.h"
#include "IniFiles.h"
#include "Registry.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

const char* const Root = "Software\\yOZTest";
const char* const Path = "Software\\yOZTest\\Layout\\";  // no leading "\", one trailing: both mended

// A manager with buttons A, B, C, a sub-item S and two bars: "Tools" docked on top holding A, B (hidden,
// starting a group) and C, and a hidden floating "Spare" holding S.
struct TLayoutForm {
  TManagerForm F;
  TdxBarButton *A, *B, *C;
  TdxBarSubItem* S;
  TLayoutForm() {
    F.Form->SetName("LayoutForm");
    A = Button("A");
    B = Button("B");
    C = Button("C");
    S = new TdxBarSubItem(F.Form.get());
    S->SetName("S");
    S->ItemLinks()->Add()->SetItem(C);
    S->ItemLinks()->Add()->SetItem(A);
    TdxBar* tools = F.Manager->Bars()->Add();
    tools->SetCaption("Tools");
    tools->SetDockingStyle(dsTop);
    tools->SetRow(1);
    tools->SetDockedLeft(40);
    for (auto* b : {A, B, C}) tools->ItemLinks()->Add()->SetItem(b);
    tools->ItemLinks()->Items(0)->SetUserCaption("Alpha");
    tools->ItemLinks()->Items(1)->SetBeginGroup(true);
    tools->ItemLinks()->Items(1)->SetVisible(false);
    TdxBar* spare = F.Manager->Bars()->Add();
    spare->SetCaption("Spare");
    spare->SetFloatLeft(300);
    spare->SetFloatTop(200);
    spare->ItemLinks()->Add()->SetItem(S);
  }
  TdxBarButton* Button(const char* Name) {
    auto* b = new TdxBarButton(F.Form.get());
    b->SetName(Name);
    b->SetCaption(Name);
    return b;
  }
  TdxBar* Bar(int N) { return F.Manager->Bars()->Items(N); }
  static std::string Names(TdxBarItemLinks* L) {
    std::string s;
    for (int i = 0; i < L->Count(); ++i) s += L->Items(i)->Item()->Name();
    return s;
  }
  // Scrambles what the layout holds, so that a load has to bring it back.
  void Scramble() {
    Bar(0)->ItemLinks()->Clear();
    Bar(0)->SetCaption("x");
    Bar(0)->SetRow(5);
    Bar(1)->SetFloatLeft(1);
    S->ItemLinks()->Clear();
    F.Manager->Bars()->Add()->SetCaption("Extra");
  }
  void ExpectRestored() {
    TdxBarItemLinks* l = Bar(0)->ItemLinks();
    ASSERT_EQ("ABC", Names(l));
    EXPECT_EQ("Tools", Bar(0)->Caption());
    EXPECT_EQ(1, Bar(0)->Row());
    EXPECT_EQ(40, Bar(0)->DockedLeft());
    EXPECT_EQ("Alpha", l->Items(0)->Caption());
    EXPECT_FALSE(l->Items(1)->Visible());
    // The hidden link keeps its own group mark and the next one gets none of its own.
    EXPECT_TRUE(l->Items(1)->StoredBeginGroup());
    EXPECT_FALSE(l->Items(2)->StoredBeginGroup());
    EXPECT_EQ(300, Bar(1)->FloatLeft());
    EXPECT_EQ("S", Names(Bar(1)->ItemLinks()));
    EXPECT_EQ("CA", Names(S->ItemLinks()));
    EXPECT_FALSE(Bar(2)->Visible());  // the extra bar is hidden by the load
    for (int i = 0; i < F.Manager->Bars()->Count(); ++i) EXPECT_FALSE(Bar(i)->Locked());
    EXPECT_FALSE(F.Manager->Bars()->Loading());
  }
};

struct BarsStorage : ::testing::Test {
  void SetUp() override { TRegistry().DeleteKey(std::string("\\") + Root); }
  void TearDown() override { TRegistry().DeleteKey(std::string("\\") + Root); }
  static bool KeyExists(const std::string& K) { return TRegistry().KeyExists(K); }
};

TEST_F(BarsStorage, RegistryRoundTripKeepsTheUsersOtherKeys) {
  TLayoutForm f;
  {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey("\\Software\\yOZTest\\Layout\\Mine", true));
    r.WriteString("Note", "keep");
    ASSERT_TRUE(r.OpenKey("\\Software\\yOZTest\\Layout\\Bar9\\ItemLink0", true));  // from an older layout
  }
  f.F.Manager->SaveToRegistry(Path);
  f.F.Manager->SaveToRegistry(Path);  // twice: one layout
  EXPECT_TRUE(KeyExists("\\Software\\yOZTest\\Layout\\Mine"));
  EXPECT_FALSE(KeyExists("\\Software\\yOZTest\\Layout\\Bar9"));
  EXPECT_TRUE(KeyExists("\\Software\\yOZTest\\Layout\\Bar0\\ItemLink2"));
  EXPECT_TRUE(KeyExists("\\Software\\yOZTest\\Layout\\SubItem_S\\ItemLink1"));
  f.Scramble();
  f.F.Manager->LoadFromRegistry(Path);
  f.ExpectRestored();
}

TEST_F(BarsStorage, IniRoundTripAndARemovedItem) {
  std::string file = (std::filesystem::temp_directory_path() / "yOZBarsLayout.ini").string();
  std::filesystem::remove(file);
  TIniFile(file).WriteString("Other", "Key", "keep");
  {
    TLayoutForm f;
    f.F.Manager->SaveToIniFile(file);
    EXPECT_EQ("Alpha", TIniFile(file).ReadString("LayoutForm.dxBarManager1.Bar0.ItemLink0", "UserCaption", ""));
    EXPECT_EQ(2, TIniFile(file).ReadInteger("LayoutForm.dxBarManager1.Main", "BarCount", 0));
    f.Scramble();
    f.F.Manager->LoadFromIniFile(file);
    f.ExpectRestored();
  }
  TLayoutForm g;
  TObject::Free(g.B);  // gone since the layout was saved: its link is dropped
  g.F.Manager->LoadFromIniFile(file);
  EXPECT_EQ("AC", TLayoutForm::Names(g.Bar(0)->ItemLinks()));
  EXPECT_EQ("keep", TIniFile(file).ReadString("Other", "Key", ""));
  std::filesystem::remove(file);
}

TEST_F(BarsStorage, APathNamingNoKeyIsRefused) {
  TLayoutForm f;
  {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey("\\Software\\yOZTest\\Mine", true));
  }
  for (const char* p : {"\\", "\\\\", ""}) {
    f.F.Manager->SaveToRegistry(p);
    f.F.Manager->LoadFromRegistry(p);
  }
  EXPECT_TRUE(KeyExists("\\Software\\yOZTest\\Mine"));
  EXPECT_TRUE(KeyExists("\\Software"));
  EXPECT_FALSE(KeyExists("\\Bar0"));
  TRegistry r;
  ASSERT_TRUE(r.OpenKeyReadOnly("\\"));
  EXPECT_FALSE(r.ValueExists("BarCount"));
  EXPECT_EQ("Tools", f.Bar(0)->Caption());
}

TEST_F(BarsStorage, ADamagedBarKeepsWhatItHadAndTheNextOneLoads) {
  TLayoutForm f;
  f.F.Manager->SaveToRegistry(Path);
  {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey("\\Software\\yOZTest\\Layout\\Bar0", false));
    r.DeleteValue("Caption");
  }
  f.Scramble();
  f.Bar(0)->SetVisible(true);
  f.F.Manager->LoadFromRegistry(Path);
  EXPECT_TRUE(f.Bar(0)->Visible());
  EXPECT_EQ("x", f.Bar(0)->Caption());
  EXPECT_EQ(5, f.Bar(0)->Row());
  EXPECT_FALSE(f.Bar(0)->Locked());
  EXPECT_FALSE(f.F.Manager->Bars()->Loading());
  EXPECT_EQ(300, f.Bar(1)->FloatLeft());
  EXPECT_EQ("S", TLayoutForm::Names(f.Bar(1)->ItemLinks()));
}

// ---------------------------------------------------------------------------------------------------
// Forms that keep their layout: BarsTestForm with the manager's storage switched on, made from its text
// as the program makes a form from its resource (the layout is read in the manager's Loaded) and saved
// when its window is destroyed.

const char* const StoredKey = "\\Software\\yOZTest\\Stored";
const char* const IniPrefix = "frmBars.dxBarManagerMain.";

std::string IniName() { return (std::filesystem::temp_directory_path() / "yOZStoredBars.ini").string(); }

enum class TStore { Registry, Ini };

std::string StoreName(TStore S) { return S == TStore::Registry ? "registry" : "INI"; }

// The form's text with Lines (properties of the manager) and the storage of S added, each text edit
// (From, To) applied first.
std::string StoredFormText(TStore S, const std::string& Lines = "",
                           const std::vector<std::pair<std::string, std::string>>& Edits = {}) {
  TResourceStream res(nullptr, "TBARSTESTFORM", RT_RCDATA);
  std::string text(static_cast<const char*>(res.Memory()), size_t(res.Size()));
  for (auto& [from, to] : Edits) {
    size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
  }
  std::string store = S == TStore::Registry
                          ? "    StoreInRegistry = True\n    RegistryPath = 'Software\\yOZTest\\Stored'\n"
                          : "    StoreInIniFile = True\n    IniFileName = '" + IniName() + "'\n";
  const std::string head = "object dxBarManagerMain: TdxBarManager\n";
  text.insert(text.find(head) + head.size(), store + Lines);
  return text;
}

// A shown form made from Text; the time its making took in Ms.
TestFormPtr MakeStoredForm(const std::string& Text, int64_t* Ms = nullptr) {
  RegisterClass(TBarsTestForm::StaticClass());
  auto start = std::chrono::steady_clock::now();
  TestFormPtr f(new TBarsTestForm(nullptr));
  ReadComponentFromText(Text, f.get());
  f->AfterConstructionNew();
  if (Ms) *Ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  f->Show();
  WaitShown(f.get());
  return f;
}

// Everything stored under the layout's key, or the INI file, as text (to tell whether a load wrote).
void KeyText(HKEY Key, const std::string& Path, std::ostringstream& Out) {
  char name[512];
  BYTE data[4096];
  for (DWORD i = 0;; ++i) {
    DWORD n = sizeof name, type = 0, size = sizeof data;
    if (RegEnumValueA(Key, i, name, &n, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    Out << Path << "|" << name << "|" << type << "|" << std::string(reinterpret_cast<char*>(data), size) << "\n";
  }
  for (DWORD i = 0;; ++i) {
    DWORD n = sizeof name;
    if (RegEnumKeyExA(Key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY sub;
    if (RegOpenKeyExA(Key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
    KeyText(sub, Path + "\\" + name, Out);
    RegCloseKey(sub);
  }
}

std::string StoredText(TStore S) {
  std::ostringstream out;
  if (S == TStore::Ini) {
    out << std::ifstream(IniName(), std::ios::binary).rdbuf();
    return out.str();
  }
  HKEY k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, StoredKey + 1, 0, KEY_READ, &k) != ERROR_SUCCESS) return "";
  KeyText(k, "", out);
  RegCloseKey(k);
  return out.str();
}

// Changes the stored layout as a user or another program might: Section is "" for the manager's values,
// else a path like "Bar0/ItemLink1" below the layout.
struct TStoreEdit {
  TStore S;
  std::string Key(const std::string& Section) const {
    std::string k = Section;
    std::replace(k.begin(), k.end(), '/', S == TStore::Registry ? '\\' : '.');
    if (S == TStore::Ini) return IniPrefix + (k.empty() ? std::string("Main") : k);
    return std::string(StoredKey) + (k.empty() ? "" : "\\" + k);
  }
  void Text(const std::string& Section, const std::string& Name, const std::string& V) const {
    if (S == TStore::Ini) return TIniFile(IniName()).WriteString(Key(Section), Name, V);
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(Key(Section), false)) << Section;
    r.WriteString(Name, V);
  }
  void Int(const std::string& Section, const std::string& Name, int32_t V) const {
    if (S == TStore::Ini) return TIniFile(IniName()).WriteInteger(Key(Section), Name, V);
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(Key(Section), false)) << Section;
    r.WriteInteger(Name, V);
  }
  void DeleteValue(const std::string& Section, const std::string& Name) const {
    if (S == TStore::Ini) return TIniFile(IniName()).DeleteKey(Key(Section), Name);
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(Key(Section), false)) << Section;
    r.DeleteValue(Name);
  }
  void DeleteSection(const std::string& Section) const {
    if (S == TStore::Ini) return TIniFile(IniName()).EraseSection(Key(Section));
    TRegistry().DeleteKey(Key(Section));
  }
};

struct BarsStoredForm : ::testing::Test {
  void SetUp() override { Clear(); }
  void TearDown() override { Clear(); }
  static void Clear() {
    TRegistry().DeleteKey(std::string("\\") + Root);
    std::filesystem::remove(IniName());
  }
  // A form of Text made and freed: its layout as it came from the form, saved.
  static void SaveFormLayout(const std::string& Text) { MakeStoredForm(Text); }
};

// The user's changes, saved when the form goes and read when it is made again: the manager's values,
// the bars' places (a bar moved to the left site, one floated) and the links' own settings and usage.
TEST_F(BarsStoredForm, TheUsersLayoutComesBackWithTheForm) {
  for (TStore s : {TStore::Registry, TStore::Ini}) {
    SCOPED_TRACE(StoreName(s));
    Clear();
    {
      TestFormPtr f = MakeStoredForm(StoredFormText(s));
      TdxBarManager* m = f->Manager();
      m->SetLargeIcons(true);
      m->SetShowHint(false);
      m->SetShowShortCutInHint(true);
      m->SetMenuAnimations(maUnfold);
      m->SetMenusShowRecentItemsFirst(false);
      m->SetShowFullMenusAfterDelay(false);
      TdxBar* statuses = m->Bars()->Items(1);
      statuses->SetDockingStyle(dsLeft);
      TdxBar* misc = m->Bars()->Items(2);
      misc->SetFloatLeft(333);
      misc->SetDockingStyle(dsNone);
      TdxBarItemLink* l = statuses->ItemLinks()->Items(1);
      l->SetUserCaption("Meeting!");
      l->SetUserPaintStyle(psCaptionGlyph);
      TBitmap glyph;
      glyph.SetWidth(16);
      glyph.SetHeight(16);
      glyph.Canvas()->Brush()->SetColor(clRed);
      glyph.Canvas()->FillRect(RECT{0, 0, 16, 16});
      l->SetUserGlyph(&glyph);
      l->SetUseCount(7);
      f->Get<TdxBarSubItem>("subStatus")->ItemLinks()->Items(2)->SetUseCount(9);
    }
    TestFormPtr f = MakeStoredForm(StoredFormText(s));
    TdxBarManager* m = f->Manager();
    EXPECT_TRUE(m->LargeIcons());
    EXPECT_FALSE(m->ShowHint());
    EXPECT_TRUE(m->ShowShortCutInHint());
    EXPECT_EQ(maUnfold, m->MenuAnimations());
    EXPECT_FALSE(m->MenusShowRecentItemsFirst());
    EXPECT_FALSE(m->ShowFullMenusAfterDelay());
    TdxBar* statuses = m->Bars()->Items(1);
    EXPECT_EQ(dsLeft, statuses->DockingStyle());
    ASSERT_TRUE(statuses->Control());
    EXPECT_EQ(m->Bars()->DockControls(dsLeft), statuses->Control()->Parent());
    EXPECT_EQ(dsNone, m->Bars()->Items(2)->DockingStyle());
    EXPECT_EQ(333, m->Bars()->Items(2)->FloatLeft());
    TdxBarItemLink* l = statuses->ItemLinks()->Items(1);
    EXPECT_EQ("Meeting!", l->Caption());
    EXPECT_EQ(psCaptionGlyph, l->PaintStyle());
    EXPECT_EQ(7, l->UseCount());
    EXPECT_EQ(9, f->Get<TdxBarSubItem>("subStatus")->ItemLinks()->Items(2)->UseCount());
    // The INI layout keeps no glyph.
    EXPECT_EQ(s == TStore::Registry, l->UserDefine().Contains(udGlyph));
    if (s == TStore::Registry) {
      ASSERT_EQ(16, l->UserGlyph()->Width());
      EXPECT_EQ(RGB(255, 0, 0), GetPixel(l->UserGlyph()->Canvas()->Handle(), 8, 8) & 0xFFFFFF);
    }
  }
}

// Under bmsStandard no usage (and no personalised-menu option) is written, and what is there is not read.
TEST_F(BarsStoredForm, TheStandardStyleKeepsNoUsage) {
  for (TStore s : {TStore::Registry, TStore::Ini}) {
    SCOPED_TRACE(StoreName(s));
    Clear();
    std::string text = StoredFormText(s, "    Style = bmsStandard\n");
    SaveFormLayout(text);
    std::string stored = StoredText(s);
    EXPECT_NE(std::string::npos, stored.find("ItemLinkCount"));
    for (const char* name : {"UseCount", "RecentIndex", "MenusShowRecentItemsFirst", "ShowFullMenusAfterDelay"})
      EXPECT_EQ(std::string::npos, stored.find(name)) << name;
    TStoreEdit e{s};
    e.Int("Bar1/ItemLink0", "UseCount", 55);
    e.Int("Bar1/ItemLink0", "RecentIndex", 2);
    e.Int("", "MenusShowRecentItemsFirst", 0);
    TestFormPtr f = MakeStoredForm(text);
    TdxBarItemLinks* links = f->Manager()->Bars()->Items(1)->ItemLinks();
    EXPECT_NE(55, links->Items(0)->UseCount());
    EXPECT_EQ(0, links->Items(0)->RecentIndex());
    EXPECT_TRUE(f->Manager()->MenusShowRecentItemsFirst());
  }
}

// The user took subFile out of subView's menu, then moved subView into subFile's: a nesting the other
// way round from the form's own, which loads.
TEST_F(BarsStoredForm, ANestingTurnedRoundLoads) {
  // The form nests subFile in subView (subFile comes first among the items).
  std::vector<std::pair<std::string, std::string>> edits{{"Item = subOld\n          Visible = False",
                                                          "Item = subFile\n          Visible = True"}};
  for (TStore s : {TStore::Registry, TStore::Ini}) {
    SCOPED_TRACE(StoreName(s));
    Clear();
    std::string text = StoredFormText(s, "", edits);
    {
      TestFormPtr f = MakeStoredForm(text);
      auto* file = f->Get<TdxBarSubItem>("subFile");
      auto* view = f->Get<TdxBarSubItem>("subView");
      ASSERT_EQ(file, view->ItemLinks()->Items(2)->Item());
      TObject::Free(view->ItemLinks()->Items(2));
      file->ItemLinks()->Add()->SetItem(view);
    }
    int64_t ms = 0;
    TestFormPtr f = MakeStoredForm(text, &ms);
    auto* file = f->Get<TdxBarSubItem>("subFile");
    auto* view = f->Get<TdxBarSubItem>("subView");
    EXPECT_EQ((std::vector<std::string>{"E&xit", "&View"}), Captions(file->ItemLinks()));
    EXPECT_EQ(2, view->ItemLinks()->Count());
    EXPECT_FALSE(view->ItemLinks()->ContainsItem(file));
  }
}

// A stored layout never stops or hangs a form that reads it: what can be read is applied, what is
// damaged is skipped (the bar or links keep what the form gave them), the form comes up in time with its
// main menu bar, and nothing stored is changed by the load.
TEST_F(BarsStoredForm, ADamagedLayoutNeverStopsTheForm) {
  TWatchdog dog(120000, "a damaged layout hung the form");
  using TCheck = std::function<void(TBarsTestForm*)>;
  auto links = [](TBarsTestForm* F, const char* Sub) { return Captions(F->Get<TdxBarSubItem>(Sub)->ItemLinks()); };
  const std::vector<std::string> fileLinks{"E&xit"}, statusLinks{"At &Lunch", "In &Meeting", "Custom Status..."};
  struct TCase {
    const char* Name;
    bool IniToo;
    std::function<void(const TStoreEdit&)> Damage;
    TCheck Check;
  };
  const TCase cases[] = {
      {"a manager value of the wrong type", true,
       [](auto& E) {
         E.Text("", "LargeIcons", "yes");
         E.Int("", "ShowHint", 0);
       },
       [](TBarsTestForm* F) {
         EXPECT_FALSE(F->Manager()->LargeIcons());
         EXPECT_FALSE(F->Manager()->ShowHint());  // the next value still loads
       }},
      {"a sub-item's count of the wrong type", true, [](auto& E) { E.Text("SubItem_subFile", "ItemLinkCount", "many"); },
       [&](TBarsTestForm* F) { EXPECT_EQ(fileLinks, links(F, "subFile")); }},
      {"an item name of the wrong type", false, [](auto& E) { E.Int("SubItem_subStatus/ItemLink1", "ItemName", 3); },
       [&](TBarsTestForm* F) { EXPECT_EQ((std::vector<std::string>{"At &Lunch", "Custom Status..."}), links(F, "subStatus")); }},
      {"own settings of the wrong type", false, [](auto& E) { E.Int("Bar1/ItemLink0", "UserDefine", 1); }, nullptr},
      {"a bar value of the wrong type", true, [](auto& E) { E.Text("Bar2", "Row", "two"); },
       [](TBarsTestForm* F) { EXPECT_TRUE(F->Manager()->Bars()->Items(2)->Visible()); }},
      {"a huge bar count", true, [](auto& E) { E.Int("", "BarCount", 0x7FFFFFFF); }, nullptr},
      {"a huge link count", true, [](auto& E) { E.Int("Bar0", "ItemLinkCount", 0x7FFFFFFF); }, nullptr},
      {"a huge sub-item count", true, [](auto& E) { E.Int("SubItem_subStatus", "ItemLinkCount", 0x7FFFFFFF); },
       [&](TBarsTestForm* F) { EXPECT_EQ(statusLinks, links(F, "subStatus")); }},
      {"a zero bar count", true, [](auto& E) { E.Int("", "BarCount", 0); },
       [](TBarsTestForm* F) { EXPECT_FALSE(F->Manager()->Bars()->Items(1)->Visible()); }},
      {"a zero link count", true, [](auto& E) { E.Int("Bar2", "ItemLinkCount", 0); },
       [](TBarsTestForm* F) { EXPECT_EQ(0, F->Manager()->Bars()->Items(2)->ItemLinks()->Count()); }},
      {"a negative bar count", true, [](auto& E) { E.Int("", "BarCount", -1); },
       [](TBarsTestForm* F) { EXPECT_TRUE(F->Manager()->Bars()->Items(1)->Visible()); }},
      {"a negative link count", true, [](auto& E) { E.Int("SubItem_subStatus", "ItemLinkCount", -3); },
       [&](TBarsTestForm* F) { EXPECT_EQ(statusLinks, links(F, "subStatus")); }},
      {"a missing bar", true, [](auto& E) { E.DeleteSection("Bar0"); }, nullptr},
      {"a missing bar value", true, [](auto& E) { E.DeleteValue("Bar1", "DockingStyle"); },
       [](TBarsTestForm* F) { EXPECT_TRUE(F->Manager()->Bars()->Items(1)->Visible()); }},
      {"a missing count", true, [](auto& E) { E.DeleteValue("SubItem_subFile", "ItemLinkCount"); },
       [&](TBarsTestForm* F) { EXPECT_EQ(fileLinks, links(F, "subFile")); }},
      {"a missing link", true, [](auto& E) { E.DeleteSection("SubItem_subStatus/ItemLink0"); },
       [](TBarsTestForm* F) { EXPECT_EQ(2, F->Get<TdxBarSubItem>("subStatus")->ItemLinks()->Count()); }},
      {"a sub-item in itself", true, [](auto& E) { E.Text("SubItem_subFile/ItemLink0", "ItemName", "subFile"); },
       [](TBarsTestForm* F) { EXPECT_EQ(0, F->Get<TdxBarSubItem>("subFile")->ItemLinks()->Count()); }},
      {"two sub-items in each other", true,
       [](auto& E) {
         E.Text("SubItem_subFile/ItemLink0", "ItemName", "subStatus");
         E.Text("SubItem_subStatus/ItemLink0", "ItemName", "subFile");
       },
       [](TBarsTestForm* F) {
         auto* file = F->Get<TdxBarSubItem>("subFile");
         auto* status = F->Get<TdxBarSubItem>("subStatus");
         EXPECT_FALSE(file->ItemLinks()->ContainsItem(file));
         EXPECT_FALSE(status->ItemLinks()->ContainsItem(status));
       }},
      {"a layout of other item names", true,
       [](auto& E) {
         for (int i = 0; i < 3; ++i) E.Text("Bar0/ItemLink" + std::to_string(i), "ItemName", "mnu" + std::to_string(i));
       },
       nullptr},
  };
  for (TStore s : {TStore::Registry, TStore::Ini}) {
    std::string text = StoredFormText(s);
    for (const TCase& c : cases) {
      if (s == TStore::Ini && !c.IniToo) continue;
      SCOPED_TRACE(StoreName(s) + ": " + c.Name);
      Clear();
      SaveFormLayout(text);
      c.Damage(TStoreEdit{s});
      std::string stored = StoredText(s);
      int64_t ms = 0;
      TestFormPtr f;
      EXPECT_NO_THROW(f = MakeStoredForm(text, &ms));
      if (!f) continue;
      EXPECT_LT(ms, 5000);
      TdxBarManager* m = f->Manager();
      EXPECT_EQ(3, m->Bars()->Count());
      EXPECT_FALSE(m->Bars()->Loading());
      TdxBar* menu = m->MainMenuBar();
      ASSERT_TRUE(menu);
      EXPECT_TRUE(menu->Visible());
      EXPECT_TRUE(menu->Control() && menu->Control()->HandleAllocated() && IsWindowVisible(menu->Control()->Handle()));
      EXPECT_EQ((std::vector<std::string>{"&File", "&Status", "&View"}), Captions(menu->ItemLinks()));
      EXPECT_EQ(stored, StoredText(s)) << "the load changed the stored layout";
      if (c.Check) c.Check(f.get());
    }
  }
}

}  // namespace
