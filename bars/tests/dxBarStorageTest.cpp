// The stored layout of the bars: round trips through a registry key and an INI file, a path that names
// no key refused, other keys of the path kept, and a damaged bar shown and skipped.
#include <filesystem>

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

TEST_F(BarsStorage, ADamagedBarIsShownAndTheNextOneLoads) {
  TLayoutForm f;
  f.F.Manager->SaveToRegistry(Path);
  {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey("\\Software\\yOZTest\\Layout\\Bar0", false));
    r.DeleteValue("Caption");
  }
  f.Scramble();
  f.F.Manager->LoadFromRegistry(Path);
  EXPECT_TRUE(f.Bar(0)->Visible());
  EXPECT_FALSE(f.Bar(0)->Locked());
  EXPECT_FALSE(f.F.Manager->Bars()->Loading());
  EXPECT_EQ(300, f.Bar(1)->FloatLeft());
  EXPECT_EQ("S", TLayoutForm::Names(f.Bar(1)->ItemLinks()));
}

}  // namespace
