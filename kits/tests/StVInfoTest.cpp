#include <gtest/gtest.h>

#include <string>

#include "StVInfo.h"

namespace {

std::string TempDir() {
  char buf[MAX_PATH];
  GetTempPathA(MAX_PATH, buf);
  std::string dir = std::string(buf) + "yoz_kits_StVInfo_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

std::string OwnFile() {
  char buf[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return buf;
}

std::string ErrorOf(TStVersionInfo& v) {
  try {
    v.FileVersion();
  } catch (const EStVersionInfoError& e) {
    return e.Message;
  }
  return "(no error)";
}

void WriteFile(const std::string& name, const std::string& data) {
  FILE* f = fopen(name.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fwrite(data.data(), 1, data.size(), f);
  fclose(f);
}

TEST(StVersionInfo, ReadsTheProgramsOwnVersionResource) {
  TStVersionInfo v(nullptr);
  EXPECT_TRUE(SameText(v.FileName(), OwnFile()));
  EXPECT_EQ(v.Language(), 0x04E40407u);
  EXPECT_FALSE(v.LanguageName().empty());
  EXPECT_EQ(v.FileVersionMS(), 0x00050000u);
  EXPECT_EQ(v.FileVersionLS(), uint32_t(2920 << 16 | 7));
  EXPECT_EQ(v.ProductVersionMS(), 0x00030032u);
  EXPECT_EQ(v.ProductVersionLS(), 0u);
  EXPECT_EQ(v.FileFlags(), uint32_t(VS_FF_PRERELEASE));
  EXPECT_EQ(v.FileFlagsMask(), uint32_t(VS_FFI_FILEFLAGSMASK));
  EXPECT_EQ(v.FileOS(), uint32_t(VOS_NT_WINDOWS32));
  EXPECT_EQ(v.FileType(), uint32_t(VFT_APP));
  EXPECT_EQ(v.FileSubtype(), 0u);
  EXPECT_EQ(v.FileDate(), 0u);
  EXPECT_EQ(v.CompanyName(), "Test Maker");
  EXPECT_EQ(v.FileDescription(), "Version information test");
  EXPECT_EQ(v.FileVersion(), "5.00.2920.0007");
  EXPECT_EQ(v.InternalName(), "kits_StVInfo");
  EXPECT_EQ(v.OriginalFilename(), "kits_StVInfo.exe");
  EXPECT_EQ(v.ProductName(), "yOZ");
  EXPECT_EQ(v.ProductVersion(), "3.50");
  // Missing and empty strings read as empty.
  EXPECT_EQ(v.Comments(), "");
  EXPECT_EQ(v.LegalTrademarks(), "");
  EXPECT_EQ(v.LegalCopyright(), "");
  EXPECT_DOUBLE_EQ(v.FileVersionFloat(), 5.0);
  EXPECT_DOUBLE_EQ(v.ProductVersionFloat(), 3.5);
}

TEST(StVersionInfo, NamedStrings) {
  TStVersionInfo v(nullptr);
  EXPECT_EQ(v.GetKeyValue("BuildNote"), "nightly");
  EXPECT_EQ(v.GetKeyValue("ProductName"), "yOZ");
  try {
    v.GetKeyValue("NoSuchKey");
    FAIL() << "no exception";
  } catch (const EStVersionInfoError& e) {
    EXPECT_EQ(e.Message, "The specified key cannnot be found in version info");
    EXPECT_EQ(e.ErrorCode, 134);
  }
}

TEST(StVersionInfo, FileWithoutVersionInformation) {
  // A copy of this program whose resources are replaced by one data resource: Windows reports the
  // missing resource type (1813), Wine the missing data (1812); both mean "none".
  std::string copy = TempDir() + "\\noversion.exe";
  ASSERT_TRUE(CopyFileA(OwnFile().c_str(), copy.c_str(), FALSE));
  HANDLE h = BeginUpdateResourceA(copy.c_str(), TRUE);
  ASSERT_NE(h, nullptr);
  static char data[] = "data";
  ASSERT_TRUE(UpdateResourceA(h, RT_RCDATA, "KEEP", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), data, 4));
  ASSERT_TRUE(EndUpdateResourceA(h, FALSE));
  DWORD dummy;
  ASSERT_EQ(GetFileVersionInfoSizeA(copy.c_str(), &dummy), 0u);

  TStVersionInfo v(nullptr);
  v.SetFileName(copy);
  EXPECT_EQ(ErrorOf(v), "File does not contain version info");
  try {
    v.ProductName();
  } catch (const EStVersionInfoError& e) {
    EXPECT_EQ(e.ErrorCode, 100);
  }
  DeleteFileA(copy.c_str());
}

TEST(StVersionInfo, FileThatIsNoProgramCannotBeRead) {
  std::string text = TempDir() + "\\plain.txt";
  WriteFile(text, "just some text, no program at all\r\n");
  TStVersionInfo v(nullptr);
  v.SetFileName(text);
  std::string msg = ErrorOf(v);
  EXPECT_TRUE(msg == "Unable to read version info" || msg == "File does not contain version info") << msg;
  DeleteFileA(text.c_str());
}

TEST(StVersionInfo, FileNameRules) {
  TStVersionInfo v(nullptr);
  try {
    v.SetFileName("C:\\no\\such\\file.dll");
    FAIL() << "no exception";
  } catch (const EStVersionInfoError& e) {
    EXPECT_EQ(e.Message, "Error opening file");
    EXPECT_EQ(e.ErrorCode, 73);
  }
  EXPECT_TRUE(SameText(v.FileName(), OwnFile()));  // unchanged

  // Switching files re-reads; an empty name comes back to the program itself.
  char sys[MAX_PATH];
  GetSystemDirectoryA(sys, MAX_PATH);
  EXPECT_EQ(v.ProductName(), "yOZ");
  v.SetFileName(std::string(sys) + "\\shell32.dll");
  EXPECT_NE(v.ProductName(), "yOZ");
  EXPECT_GT(v.FileVersionFloat(), 4.0);
  v.SetFileName("");
  EXPECT_TRUE(SameText(v.FileName(), OwnFile()));
  EXPECT_EQ(v.ProductName(), "yOZ");

  // A form resource sets FileName through the published property.
  const TPropInfo* p = TStVersionInfo::StaticClass()->FindProp("FileName");
  ASSERT_NE(p, nullptr);
  p->SetStr(&v, std::string(sys) + "\\shell32.dll");
  EXPECT_TRUE(SameText(ExtractFileName(v.FileName()), "shell32.dll"));
}

TEST(StVersionInfo, VersionStringsAsNumbers) {
  EXPECT_DOUBLE_EQ(VersionStringToFloat("3.50"), 3.5);
  EXPECT_DOUBLE_EQ(VersionStringToFloat("4"), 4.0);
  EXPECT_DOUBLE_EQ(VersionStringToFloat("4.72.3110.0"), 4.72);
  EXPECT_DOUBLE_EQ(VersionStringToFloat("5.00.2920.0000"), 5.0);
  EXPECT_DOUBLE_EQ(VersionStringToFloat("10.0.19041"), 10.0);
  EXPECT_DOUBLE_EQ(VersionStringToFloat("6.1.7601.17514 (win7sp1_rtm.101119-1850)"), 6.1);
  EXPECT_DOUBLE_EQ(VersionStringToFloat("12.34.5"), 12.34);      // second dot at the sixth character
  EXPECT_DOUBLE_EQ(VersionStringToFloat("123.456.7"), 0.0);      // second dot beyond it
  EXPECT_DOUBLE_EQ(VersionStringToFloat("4.72 beta"), 0.0);      // no second dot
  EXPECT_DOUBLE_EQ(VersionStringToFloat("a.b.c"), 0.0);          // not a number
  EXPECT_DOUBLE_EQ(VersionStringToFloat(""), 0.0);
}

TEST(IsDirectory, FoldersFilesAndNothing) {
  std::string dir = TempDir();
  EXPECT_TRUE(IsDirectory(dir));
  EXPECT_TRUE(IsDirectory(dir + "\\"));
  EXPECT_TRUE(IsDirectory("C:\\"));
  std::string file = dir + "\\file.txt";
  WriteFile(file, "x");
  EXPECT_FALSE(IsDirectory(file));
  EXPECT_FALSE(IsDirectory(dir + "\\missing"));
  EXPECT_FALSE(IsDirectory(""));
  DeleteFileA(file.c_str());
  RemoveDirectoryA(dir.c_str());
}

}  // namespace
