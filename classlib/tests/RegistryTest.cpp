#include <gtest/gtest.h>

#include <cstring>

#include "Classes.h"
#include "Registry.h"

namespace {
// Each test works below its own key, removed again at the end.
class RegistryTest : public testing::Test {
protected:
  std::string Base;
  void SetUp() override {
    Base = "\\Software\\yOZTest-" + std::to_string(GetCurrentProcessId()) + "\\" +
           testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void TearDown() override {
    TRegistry reg;
    reg.DeleteKey(Base);
    reg.DeleteKey("\\Software\\yOZTest-" + std::to_string(GetCurrentProcessId()));
  }
  template <class F>
  void ExpectRegError(F f, const std::string& message) {
    try {
      f();
      ADD_FAILURE() << "no exception, expected " << message;
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.Message, message);
    }
  }
};
}  // namespace

TEST_F(RegistryTest, RoundTripsEveryType) {
  {
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey(Base, false));  // not there yet
    ASSERT_TRUE(reg.OpenKey(Base, true));
    reg.WriteInteger("Int", -123456);
    reg.WriteBool("True", true);
    reg.WriteBool("False", false);
    reg.WriteString("Str", "Away from desk");
    reg.WriteString("Empty", "");
    reg.WriteFloat("Float", 3.25);
    reg.WriteDateTime("When", 46000.5);
    const unsigned char bytes[] = {0, 1, 2, 0xFF};
    reg.WriteBinaryData("Bin", bytes, sizeof bytes);
    reg.WriteBinaryData("Byte", bytes + 3, 1);
  }
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base, false));
  EXPECT_EQ(reg.ReadInteger("Int"), -123456);
  EXPECT_TRUE(reg.ReadBool("True"));
  EXPECT_FALSE(reg.ReadBool("False"));
  EXPECT_EQ(reg.ReadString("Str"), "Away from desk");
  EXPECT_EQ(reg.ReadString("Empty"), "");
  EXPECT_EQ(reg.ReadFloat("Float"), 3.25);
  EXPECT_EQ(reg.ReadDateTime("When"), 46000.5);
  unsigned char buf[8] = {};
  EXPECT_EQ(reg.ReadBinaryData("Bin", buf, sizeof buf), 4);
  EXPECT_EQ(buf[3], 0xFF);
  EXPECT_EQ(reg.ReadBinaryData("Byte", buf, 1), 1);
  EXPECT_EQ(buf[0], 0xFF);
  EXPECT_EQ(reg.GetDataType("Int"), rdInteger);
  EXPECT_EQ(reg.GetDataType("Str"), rdString);
  EXPECT_EQ(reg.GetDataType("Float"), rdBinary);
  EXPECT_EQ(reg.GetDataType("Nothing"), rdUnknown);
  EXPECT_EQ(reg.GetDataSize("Str"), 15);
  EXPECT_EQ(reg.GetDataSize("Nothing"), -1);
  EXPECT_TRUE(reg.ValueExists("Empty"));
  EXPECT_TRUE(reg.ValueExists("int"));  // value names ignore case
  EXPECT_TRUE(reg.DeleteValue("Int"));
  EXPECT_FALSE(reg.ValueExists("Int"));
  EXPECT_FALSE(reg.DeleteValue("Int"));
}

TEST_F(RegistryTest, WrongTypesAndMissingValuesRaise) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base, true));
  reg.WriteString("Str", "12");
  reg.WriteInteger("Int", 12);
  reg.WriteBinaryData("Four", "abcd", 4);
  ExpectRegError([&] { reg.ReadInteger("Str"); }, "Invalid data type for 'Str'");
  ExpectRegError([&] { reg.ReadBool("Str"); }, "Invalid data type for 'Str'");
  ExpectRegError([&] { reg.ReadString("Int"); }, "Invalid data type for 'Int'");
  ExpectRegError([&] { reg.ReadFloat("Int"); }, "Invalid data type for 'Int'");
  ExpectRegError([&] { reg.ReadFloat("Four"); }, "Invalid data type for 'Four'");  // not 8 bytes
  char small[2];
  ExpectRegError([&] { reg.ReadBinaryData("Four", small, sizeof small); }, "Invalid data type for 'Four'");
  ExpectRegError([&] { reg.ReadBinaryData("Str", small, sizeof small); }, "Invalid data type for 'Str'");
  ExpectRegError([&] { reg.ReadInteger("Missing"); }, "Failed to get data for 'Missing'");
  ExpectRegError([&] { reg.ReadDateTime("Missing"); }, "Failed to get data for 'Missing'");
  EXPECT_EQ(reg.ReadString("Missing"), "");
  // A raw value of another size under the integer type is no integer.
  HKEY h = reg.CurrentKey();
  const char eight[8] = {};
  ASSERT_EQ(RegSetValueExA(h, "Qword", 0, REG_QWORD, reinterpret_cast<const BYTE*>(eight), 8), ERROR_SUCCESS);
  ExpectRegError([&] { reg.ReadInteger("Qword"); }, "Invalid data type for 'Qword'");
}

TEST_F(RegistryTest, RelativeAndAbsoluteKeys) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base, true));
  EXPECT_EQ(reg.CurrentPath(), Base.substr(1));
  ASSERT_TRUE(reg.OpenKey("Bar0", true));  // below the open key
  EXPECT_EQ(reg.CurrentPath(), Base.substr(1) + "\\Bar0");
  reg.WriteString("Caption", "Main");
  ASSERT_TRUE(reg.OpenKey("ItemLink0", true));
  reg.WriteInteger("UseCount", 3);
  ASSERT_TRUE(reg.OpenKey(Base, false));  // absolute again
  EXPECT_TRUE(reg.KeyExists("Bar0"));
  EXPECT_TRUE(reg.KeyExists(Base + "\\Bar0\\ItemLink0"));
  EXPECT_FALSE(reg.KeyExists("Bar1"));
  EXPECT_TRUE(reg.HasSubKeys());
  std::vector<std::string> names;
  reg.GetKeyNames(names);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "Bar0");
  TStringList list;
  list.Add("stale");
  reg.GetKeyNames(&list);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0], "Bar0");
  ASSERT_TRUE(reg.OpenKey("Bar0", false));
  reg.GetValueNames(&list);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0], "Caption");
  reg.GetValueNames(names);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "Caption");
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");
}

TEST_F(RegistryTest, CreateKeyLeavesTheOpenKeyAlone) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base, true));
  EXPECT_TRUE(reg.CreateKey("Sub\\Deeper"));
  EXPECT_EQ(reg.CurrentPath(), Base.substr(1));
  EXPECT_TRUE(reg.KeyExists("Sub\\Deeper"));
  ExpectRegError([&] { reg.CreateKey(""); }, "Failed to create key ");
  reg.WriteExpandString("Path", "%TEMP%\\x");
  EXPECT_EQ(reg.GetDataType("Path"), rdExpandString);
  EXPECT_EQ(reg.ReadString("Path"), "%TEMP%\\x");  // read as stored
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeTree) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base + "\\Layout\\Bar0\\ItemLink0", true));
  reg.WriteInteger("X", 1);
  ASSERT_TRUE(reg.OpenKey(Base + "\\Layout\\Bar1", true));
  reg.CloseKey();
  EXPECT_TRUE(reg.DeleteKey(Base + "\\Layout"));
  EXPECT_FALSE(reg.KeyExists(Base + "\\Layout"));
  EXPECT_TRUE(reg.KeyExists(Base));
  EXPECT_FALSE(reg.DeleteKey(Base + "\\Layout"));
  EXPECT_FALSE(reg.DeleteKey("\\"));  // never the root
}

TEST_F(RegistryTest, RootKeyAndReadOnlyAccess) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base, true));
  reg.WriteInteger("V", 7);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentKey(), nullptr);  // changing the root closes the key
  reg.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(reg.OpenKeyReadOnly(Base));
  EXPECT_EQ(reg.ReadInteger("V"), 7);
  ExpectRegError([&] { reg.WriteInteger("V", 8); }, "Failed to set data for 'V'");
  EXPECT_EQ(reg.Access(), REGSAM(KEY_ALL_ACCESS));
}
