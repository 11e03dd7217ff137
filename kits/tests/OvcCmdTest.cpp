#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "OvcBase.h"
#include "OvcCmd.h"
#include "OvcExcpt.h"

namespace {

TOvcCmdRec Rec(uint8_t k1, uint8_t s1, uint16_t cmd, uint8_t k2 = 0, uint8_t s2 = 0) {
  return TOvcCmdRec{k1, s1, k2, s2, cmd};
}

std::string TempFile(const char* name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// What the processor writes into a form.
std::string Stored(TOvcCommandProcessor& p) {
  TWriter w;
  p.DefineProperties(&w);
  return w.Text();
}

// A controller read from form text holding the given TableList.
TOvcController* ReadController(const std::string& tableList) {
  auto* c = new TOvcController(nullptr);
  ReadComponentFromText("object OvcController1: TOvcController\n  EntryCommands." + tableList + "end\n", c);
  return c;
}

class OvcCmdTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { OvcBaseInitialize(); }
  static void TearDownTestSuite() { OvcBaseFinalize(); }
};

TEST_F(OvcCmdTest, BuiltInTables) {
  TOvcCommandProcessor p;
  ASSERT_EQ(p.Count(), 3);
  struct Case {
    const char* Name;
    bool Active;
    int Count;
  };
  const Case cases[] = {{"Default", true, 64}, {"WordStar", false, 40}, {"Grid", false, 38}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(p.Tables(i)->TableName(), cases[i].Name);
    EXPECT_EQ(p.Tables(i)->IsActive(), cases[i].Active);
    EXPECT_EQ(p.Tables(i)->Count(), cases[i].Count);
  }
  EXPECT_THROW(p.Tables(3), ETableNotFound);
  EXPECT_EQ(p.GetTable("wordstar"), p.Tables(1));
  EXPECT_EQ(p.GetTable("Mine"), nullptr);
}

TEST_F(OvcCmdTest, KeysMapToCommands) {
  TOvcCommandProcessor p;
  struct Case {
    const char* Table;
    TOvcCmdRec Keys;
    int Cmd;
  };
  const Case cases[] = {
      {"Default", Rec(VK_LEFT, ksNone, 0), 46},        {"Default", Rec(VK_LEFT, ksCtrl, 0), 74},
      {"Default", Rec(VK_BACK, ksAlt, 0), 54},         {"Default", Rec('9', ksCtrlShift, 0), 67},
      {"Default", Rec(VK_TAB, ksNone, 0), 68},         {"Grid", Rec(VK_F2, ksNone, 0), 69},
      {"Grid", Rec(VK_DOWN, ksCtrl, 0), 3},            {"WordStar", Rec('Q', ksCtrl, 0, 'S', ksSecondKey), 42},
      {"WordStar", Rec('K', ksCtrl, 0, '9', ksSecondKey), 67}, {"Default", Rec('Q', ksCtrl, 0), -1},
  };
  for (const Case& c : cases) {
    TOvcCommandTable* t = p.GetTable(c.Table);
    int i = t->IndexOfKeys(c.Keys.Keys());
    EXPECT_EQ(i < 0 ? -1 : t->Commands(i).Cmd, c.Cmd) << c.Table << " key " << int(c.Keys.Key1);
  }
}

TEST_F(OvcCmdTest, TranslateUsesTheActiveTablesAndTwoKeySequences) {
  TOvcCommandProcessor p;
  EXPECT_EQ(p.Translate(VK_LEFT, ksCtrl), 74);
  EXPECT_EQ(p.Translate(VK_F2, ksNone), 0);        // Grid is not active
  EXPECT_EQ(p.Translate('Z', ksCtrl), 72);
  p.GetTable("WordStar")->SetIsActive(true);
  EXPECT_EQ(p.Translate('Z', ksCtrl), 72);         // the first active table wins
  EXPECT_EQ(p.Translate('Q', ksCtrl), 0);          // waits for the second key
  EXPECT_EQ(p.Translate('S', ksNone), 42);
  EXPECT_EQ(p.Translate('Q', ksCtrl), 0);
  EXPECT_EQ(p.Translate('X', ksNone), 0);          // no such sequence; the state is cleared
  EXPECT_EQ(p.Translate(VK_LEFT, ksNone), 46);
}

TEST_F(OvcCmdTest, AddingCommands) {
  TOvcCommandProcessor p;
  p.AddCommand("default", Rec(VK_F5, ksNone, 200));
  EXPECT_EQ(p.GetTable("Default")->Count(), 65);
  EXPECT_THROW(p.AddCommand("Default", Rec(VK_LEFT, ksNone, 99)), EDuplicateCommand);
  EXPECT_EQ(p.GetTable("Default")->Count(), 65);
  EXPECT_EQ(p.GetTable("Default")->Commands(0).Cmd, 46);
  EXPECT_THROW(p.AddCommand("Nowhere", Rec(VK_F5, ksNone, 1)), ETableNotFound);
}

TEST_F(OvcCmdTest, AddedTablesGetUniqueNames) {
  struct Case {
    std::vector<std::string> Added;
    std::string Last;
  };
  const Case cases[] = {
      {{"Default"}, "Default1"},          {{"Default7"}, "Default1"},
      {{"Mine2"}, "Mine2"},               {{"Mine", "Mine"}, "Mine1"},
      {{"Default", "Default"}, "Default2"},
      // A name that is taken although its stem is free still gets a name of its own.
      {{"Mine2", "Mine2"}, "Mine1"},      {{"7"}, "7"},
  };
  for (const Case& c : cases) {
    TOvcCommandProcessor p;
    TOvcCommandTable* last = nullptr;
    for (const std::string& n : c.Added) {
      last = new TOvcCommandTable;
      last->SetTableName(n);
      p.Add(last);
    }
    EXPECT_EQ(last->TableName(), c.Last) << c.Added.back();
    for (int i = 0; i < p.Count(); ++i)
      for (int j = i + 1; j < p.Count(); ++j) EXPECT_FALSE(SameText(p.Tables(i)->TableName(), p.Tables(j)->TableName()));
  }
}

TEST_F(OvcCmdTest, TextFileRoundTrip) {
  std::string path = TempFile("ovccmd_roundtrip.txt");
  TOvcCommandProcessor p;
  p.SaveCommandTable("wordstar", path);
  std::string text = ReadFile(path);
  std::string head = "WordStar\r\n  83   4   0   0    46\r\n  68   4   0";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_NE(text.find("  81   4  83 128    42\r\n"), std::string::npos);

  TOvcCommandTable* t = p.LoadCommandTable(path);
  EXPECT_EQ(t->TableName(), "WordStar1");
  EXPECT_TRUE(t->IsActive());
  ASSERT_EQ(t->Count(), 40);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(t->Commands(i), p.GetTable("WordStar")->Commands(i));
  std::remove(path.c_str());
}

TEST_F(OvcCmdTest, TextFileFaultsAreReported) {
  TOvcCommandProcessor p;
  std::string path = TempFile("ovccmd_missing.txt");
  EXPECT_THROW(p.SaveCommandTable("Nowhere", path), ETableNotFound);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);

  const char* bad[] = {"Mine\r\n37 0 0 0\r\n", "Mine\r\n300 0 0 0 5\r\n", "Mine\r\n37 0 0 0 5 6\r\n",
                       "Mine\r\n37 0 0 0 x\r\n", "Mine\r\n37 0 0 0 5\r\n37 0 0 0 6\r\n"};
  for (const char* text : bad) {
    { std::ofstream(path, std::ios::binary) << text; }
    EXPECT_ANY_THROW(p.LoadCommandTable(path)) << text;
    EXPECT_EQ(p.Count(), 3);
  }
  std::remove(path.c_str());
}

TEST_F(OvcCmdTest, FormStoresOnlyTheDifferences) {
  TOvcCommandProcessor p;
  EXPECT_EQ(Stored(p), "TableList = ( 'Default' True ( ) 'WordStar' False ( ) 'Grid' False ( ) )\n");

  TOvcCommandTable* d = p.GetTable("Default");
  d->Delete(0);                      // Left (37/0) removed
  d->SetCommand(1, 99);              // Ctrl+Left (37/4) now 99
  d->AddRec(Rec(VK_F5, ksNone, 200));
  auto* mine = new TOvcCommandTable;
  mine->SetTableName("Mine");
  mine->SetIsActive(false);
  mine->AddRec(Rec('Q', ksCtrl, 7, 'X', ksSecondKey));
  p.Add(mine);
  int32_t ctrlLeft = int32_t(Rec(VK_LEFT, ksCtrl, 0).Keys());
  int32_t seq = int32_t(Rec('Q', ksCtrl, 0, 'X', ksSecondKey).Keys());
  std::string expected = "TableList = ( 'Default' True ( 37 0 " + std::to_string(ctrlLeft) + " 99 116 200 )"
                         " 'WordStar' False ( ) 'Grid' False ( ) 'Mine' False ( " + std::to_string(seq) + " 7 ) )\n";
  EXPECT_EQ(Stored(p), expected);

  // Reading it back gives the same tables.
  std::unique_ptr<TOvcController, void (*)(TOvcController*)> c(ReadController(Stored(p)),
                                                               [](TOvcController* x) { TObject::Free(x); });
  TOvcCommandProcessor* q = c->EntryCommands();
  ASSERT_EQ(q->Count(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(q->Tables(i)->TableName(), p.Tables(i)->TableName());
    EXPECT_EQ(q->Tables(i)->IsActive(), p.Tables(i)->IsActive());
    ASSERT_EQ(q->Tables(i)->Count(), p.Tables(i)->Count());
    for (int j = 0; j < p.Tables(i)->Count(); ++j) EXPECT_EQ(q->Tables(i)->Commands(j), p.Tables(i)->Commands(j));
  }
}

TEST_F(OvcCmdTest, SettingsDialogTablesReadAsTheBuiltInOnes) {
  std::unique_ptr<TOvcController, void (*)(TOvcController*)> c(
      ReadController("TableList = (\n    'Default' True ( )\n    'WordStar' False ( )\n    'Grid' False ( ) )\n"),
      [](TOvcController* x) { TObject::Free(x); });
  TOvcCommandProcessor fresh;
  TOvcCommandProcessor* q = c->EntryCommands();
  ASSERT_EQ(q->Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(q->Tables(i)->TableName(), fresh.Tables(i)->TableName());
    ASSERT_EQ(q->Tables(i)->Count(), fresh.Tables(i)->Count());
    for (int j = 0; j < q->Tables(i)->Count(); ++j) EXPECT_EQ(q->Tables(i)->Commands(j), fresh.Tables(i)->Commands(j));
  }
  // Two tables stored under one name are told apart on reading.
  c.reset(ReadController("TableList = ( 'Default' True ( ) 'Default' False ( ) )\n"));
  EXPECT_EQ(c->EntryCommands()->Tables(1)->TableName(), "Default1");
}

}  // namespace
