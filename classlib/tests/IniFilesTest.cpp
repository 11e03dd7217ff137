#include <gtest/gtest.h>

#include <algorithm>

#include "Classes.h"
#include "IniFiles.h"

namespace {
class IniFilesTest : public testing::Test {
protected:
  std::string Dir, Name;
  void SetUp() override {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    Dir = std::string(tmp) + "yOZIniTest-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(ForceDirectories(Dir));
    Name = Dir + "\\" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
    DeleteFile(Name);
  }
  void TearDown() override {
    TIniFile(Name).UpdateFile();
    DeleteFile(Name);
    RemoveDir(Dir);
  }
};
}  // namespace

TEST_F(IniFilesTest, RoundTripsAndDefaults) {
  {
    TIniFile ini(Name);
    ini.WriteString("frmMain.BarManager.Main", "Caption", "Main menu");
    ini.WriteInteger("frmMain.BarManager.Main", "BarCount", -3);
    ini.WriteBool("frmMain.BarManager.Main", "LargeIcons", true);
    ini.WriteBool("frmMain.BarManager.Main", "ShowHint", false);
    ini.WriteString("Other", "Hex", "0x1F");
    ini.WriteString("Other", "Junk", "12abc");
    ini.UpdateFile();
  }
  EXPECT_TRUE(FileExists(Name));
  TIniFile ini(Name);
  EXPECT_EQ(ini.ReadString("frmMain.BarManager.Main", "Caption", "x"), "Main menu");
  EXPECT_EQ(ini.ReadInteger("frmMain.BarManager.Main", "BarCount", 0), -3);
  EXPECT_TRUE(ini.ReadBool("frmMain.BarManager.Main", "LargeIcons", false));
  EXPECT_FALSE(ini.ReadBool("frmMain.BarManager.Main", "ShowHint", true));
  EXPECT_EQ(ini.ReadString("frmMain.BarManager.Main", "Missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("frmMain.BarManager.Main", "Missing", -1), -1);
  EXPECT_TRUE(ini.ReadBool("Nothing", "Missing", true));
  EXPECT_EQ(ini.ReadInteger("Other", "Hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("Other", "Junk", 5), 5);
  EXPECT_EQ(ini.ReadInteger("Other", "Caption", 5), 5);
  EXPECT_EQ(ini.ReadString("frmmain.barmanager.main", "CAPTION", ""), "Main menu");  // no case
}

TEST_F(IniFilesTest, LongValuesAreNotCut) {
  TIniFile ini(Name);
  std::string longText(5000, 'x');
  longText += "end";
  ini.WriteString("S", "Long", longText);
  EXPECT_EQ(ini.ReadString("S", "Long", ""), longText);
}

TEST_F(IniFilesTest, SectionsAndKeys) {
  TIniFile ini(Name);
  const std::string p = "frmMain.dxBarManager1.";
  ini.WriteInteger(p + "Main", "BarCount", 2);
  ini.WriteString(p + "Bar0", "Caption", "Tools");
  ini.WriteString(p + "Bar0", "Visible", "1");
  ini.WriteString(p + "Bar0.ItemLink0", "ItemName", "actExit");
  ini.WriteString("Keep", "A", "1");
  std::vector<std::string> sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections.size(), 4u);
  std::vector<std::string> idents;
  ini.ReadSection(p + "Bar0", idents);
  ASSERT_EQ(idents.size(), 2u);
  EXPECT_EQ(idents[0], "Caption");
  EXPECT_EQ(idents[1], "Visible");
  TStringList list;
  list.Add("stale");
  ini.ReadSection(p + "Bar0", &list);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[1], "Visible");
  ini.ReadSections(&list);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_TRUE(ini.SectionExists(p + "Bar0"));
  EXPECT_FALSE(ini.SectionExists(p + "Bar1"));
  EXPECT_TRUE(ini.ValueExists(p + "Bar0", "visible"));
  EXPECT_FALSE(ini.ValueExists(p + "Bar0", "Row"));
  ini.DeleteKey(p + "Bar0", "Visible");
  EXPECT_FALSE(ini.ValueExists(p + "Bar0", "Visible"));
  // Erasing every section with the prefix leaves the others.
  for (const std::string& s : sections)
    if (s.rfind(p, 0) == 0) ini.EraseSection(s);
  ini.ReadSections(sections);
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(sections[0], "Keep");
  ini.ReadSection("Missing", idents);
  EXPECT_TRUE(idents.empty());
}

TEST_F(IniFilesTest, WriteFailureRaises) {
  TIniFile ini(Dir + "\\no such folder\\x.ini");
  try {
    ini.WriteString("S", "K", "V");
    FAIL() << "no exception";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message, "Unable to write to " + ini.FileName());
  }
}
