// The ISAM file layer over VBIS4032.DLL: the system's data sets, scans, look-ups, writes, guards,
// key numbering, option arithmetic and the texts of the result codes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "IsamFile.h"
#include "StoreTestSupport.h"
#include "SysUtils.h"

namespace {

const char* const kUserFormat = "%,$*51,$*31,$*11,$*21,$*51,X$*21,$*31,$*51,$*51,$*51,$*51,%,%,%";
const char* const kMessageFormat = "%,$*31,$*256,X$*7,$*256,X$*31,$*31,X$*31,$*31";
const char* const kStatusFormat = "X$*31";
const char* const kDepartmentFormat = "X$*21";

struct UserRec {
  uint8_t Data[429] = {};
  UserRec() = default;
  UserRec(const std::string& name, const std::string& login, int16_t admin = 0) {
    PutInt(Data, 0, admin);
    PutText(Data, 2, 51, name);
    PutText(Data, 53, 31, "Available");
    PutText(Data, 95, 21, "Sales");
    PutText(Data, 167, 21, login);
    PutText(Data, 188, 31, "08/12/2026 10:00:00");
    PutInt(Data, 427, 7);
  }
  std::string Name() const { return GetText(Data, 2, 51); }
  std::string Login() const { return GetText(Data, 167, 21); }
};

struct MessageRec {
  uint8_t Data[676] = {};
  MessageRec() = default;
  MessageRec(const std::string& to, const std::string& subject, const std::string& status = "New") {
    PutText(Data, 2, 31, "08/12/2026 10:00:00");
    PutText(Data, 33, 256, subject);
    PutText(Data, 289, 7, status);
    PutText(Data, 296, 256, "Body of " + subject);
    PutText(Data, 552, 31, "Name of " + to);
    PutText(Data, 583, 31, "Sender");
    PutText(Data, 614, 31, to);
    PutText(Data, 645, 31, "SENDER");
  }
  std::string Subject() const { return GetText(Data, 33, 256); }
  std::string To() const { return GetText(Data, 614, 31); }
  std::string Body() const { return GetText(Data, 296, 256); }
};

class IsamFileTest : public ::testing::Test {
protected:
  std::string Dir;
  void SetUp() override {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    Dir = std::string(tmp) + "yoz-isamfile-" + std::to_string(GetCurrentProcessId()) + "-" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    CreateDirectoryA(Dir.c_str(), nullptr);
  }
  void TearDown() override {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((Dir + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do DeleteFileA((Dir + fd.cFileName).c_str());
      while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(Dir.c_str());
  }
  std::string Make(const std::string& base, const char* format) {
    TIsamFile f("");
    EXPECT_TRUE(f.CreateFile(Dir + base, 10, format)) << f.ErrorText();
    return Dir + base;
  }
};

TEST_F(IsamFileTest, LoadsTheLibraryOrReportsItMissing) {
  TIsamFile f("");
  EXPECT_TRUE(f.DllLoaded);
  EXPECT_EQ(f.Version, "1.00");
  EXPECT_FALSE(f.Opened);
  TIsamFile missing("C:\\no-such-folder-for-yoz");
  EXPECT_FALSE(missing.DllLoaded);
}

TEST_F(IsamFileTest, UserFileRoundTripAtTheRecordOffsets) {
  std::string name = Make("yOZDB31", kUserFormat);
  TIsamFile f("");
  ASSERT_TRUE(f.Open(name, 3)) << f.ErrorText();
  EXPECT_TRUE(f.Opened);
  EXPECT_EQ(f.FileName, name);
  EXPECT_EQ(f.RecordCount(), 0);
  EXPECT_EQ(f.KeyLength(), 10);
  UserRec admin("Jane Smith", "JSMITH", 1);
  ASSERT_TRUE(f.Add(admin.Data, ""));
  EXPECT_EQ(f.LastKey, "0000000001");
  ASSERT_TRUE(f.Add(UserRec("Bob", "BOB").Data, ""));
  EXPECT_EQ(f.LastKey, "0000000002");
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(f.Handle, 0);
  EXPECT_EQ(f.FileName, "");

  TIsamFile g("");
  ASSERT_TRUE(g.Open(name, 3));
  EXPECT_EQ(g.RecordCount(), 2);
  UserRec got;
  ASSERT_TRUE(g.GetEqual(got.Data, 7, "JSMITH"));
  EXPECT_EQ(g.LastKey, "0000000001");
  EXPECT_EQ(0, std::memcmp(got.Data, admin.Data, sizeof got.Data));
  EXPECT_EQ(GetInt(got.Data, 0), 1);
  EXPECT_EQ(GetInt(got.Data, 427), 7);
  // Rewrite under LastKey, as the stores do.
  PutText(got.Data, 53, 31, "At Lunch");
  ASSERT_TRUE(g.Replace(got.Data, g.LastKey));
  UserRec again;
  ASSERT_TRUE(g.GetEqual(again.Data, 0, "0000000001"));
  EXPECT_EQ(GetText(again.Data, 53, 31), "At Lunch");
  EXPECT_FALSE(g.GetEqual(again.Data, 7, "NOBODY"));
  EXPECT_EQ(g.LastError, 1);
  EXPECT_EQ(g.LastKey, "");
}

TEST_F(IsamFileTest, StatusAndDepartmentSetsByName) {
  for (auto [base, format, size] : {std::tuple{"yOZStats", kStatusFormat, 31}, {"yOZDeps", kDepartmentFormat, 21}}) {
    std::string name = Make(base, format);
    TIsamFile f("");
    ASSERT_TRUE(f.Open(name, 3));
    for (const char* v : {"Out", "Available", "In a Meeting"}) {
      uint8_t rec[31] = {};
      PutText(rec, 0, size, v);
      ASSERT_TRUE(f.Add(rec, ""));
    }
    uint8_t rec[31] = {};
    ASSERT_TRUE(f.GetEqual(rec, 1, "Available"));
    EXPECT_EQ(f.LastKey, "0000000002");
    EXPECT_EQ(f.LastData, "Available");
    // Index 1 runs in name order, index 0 in key order.
    std::vector<std::string> names, keys;
    ASSERT_TRUE(f.First(1));
    while (f.GetNext(rec, 1, 16, "")) names.push_back(GetText(rec, 0, size));
    EXPECT_EQ(names, (std::vector<std::string>{"Available", "In a Meeting", "Out"}));
    ASSERT_TRUE(f.First(0));
    while (f.GetNext(rec, 0, 16, "")) keys.push_back(f.LastKey);
    EXPECT_EQ(keys, (std::vector<std::string>{"0000000001", "0000000002", "0000000003"}));
    EXPECT_EQ(f.LastError, 1);
  }
}

TEST_F(IsamFileTest, MessageScansWithDuplicatesForwardAndBackward) {
  std::string name = Make("yOZMesg", kMessageFormat);
  TIsamFile f("");
  ASSERT_TRUE(f.Open(name, 3));
  const char* to[] = {"BOB", "ANN", "BOB", "CAROL", "ANN", "BOB"};
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(f.Add(MessageRec(to[i], "S" + std::to_string(i + 1)).Data, ""));
  ASSERT_TRUE(f.Close());
  ASSERT_TRUE(f.Open(name, 3));

  auto scan = [&](int16_t index, bool forward) {
    std::vector<std::string> seen;
    MessageRec m;
    EXPECT_TRUE(forward ? f.First(index) : f.Last(index));
    while (forward ? f.GetNext(m.Data, index, 16, "") : f.GetPrior(m.Data, index, 16, ""))
      seen.push_back(m.To() + ":" + m.Subject() + ":" + f.LastKey.substr(9));
    return seen;
  };
  std::vector<std::string> along8 = {"ANN:S2:2", "ANN:S5:5", "BOB:S1:1", "BOB:S3:3", "BOB:S6:6", "CAROL:S4:4"};
  EXPECT_EQ(scan(8, true), along8);
  EXPECT_EQ(scan(8, false), std::vector<std::string>(along8.rbegin(), along8.rend()));
  std::vector<std::string> along0 = {"BOB:S1:1", "ANN:S2:2", "BOB:S3:3", "CAROL:S4:4", "ANN:S5:5", "BOB:S6:6"};
  EXPECT_EQ(scan(0, true), along0);
  EXPECT_EQ(scan(0, false), std::vector<std::string>(along0.rbegin(), along0.rend()));

  // Equality on every index of the message set finds the lowest key among equals.
  MessageRec m;
  ASSERT_TRUE(f.GetEqual(m.Data, 8, "BOB"));
  EXPECT_EQ(f.LastKey, "0000000001");
  // ... and a scan continues from there through the duplicates.
  ASSERT_TRUE(f.GetNext(m.Data, 8, 16, ""));
  EXPECT_EQ(f.LastKey, "0000000003");
  ASSERT_TRUE(f.GetEqual(m.Data, 6, "Name of CAROL"));
  EXPECT_EQ(m.Subject(), "S4");
  ASSERT_TRUE(f.GetEqual(m.Data, 4, "New"));
  EXPECT_EQ(f.LastKey, "0000000001");
  ASSERT_TRUE(f.GetEqual(m.Data, 0, "0000000005"));
  EXPECT_EQ(m.Body(), "Body of S5");
  EXPECT_FALSE(f.GetEqual(m.Data, 2, "S1"));  // field 2 has no index
  EXPECT_EQ(f.LastError, 7);

  // A record deleted under the scan's feet does not stop the scan.
  ASSERT_TRUE(f.First(8));
  ASSERT_TRUE(f.GetNext(m.Data, 8, 16, ""));
  ASSERT_TRUE(f.Delete("0000000005"));
  ASSERT_TRUE(f.GetNext(m.Data, 8, 16, ""));
  EXPECT_EQ(m.To() + m.Subject(), "BOBS1");
  EXPECT_EQ(f.RecordCount(), 5);
}

TEST_F(IsamFileTest, ScansSeeWritesFromAnotherHandle) {
  std::string name = Make("yOZDeps", kDepartmentFormat);
  TIsamFile a(""), b("");
  ASSERT_TRUE(a.Open(name, 3));
  ASSERT_TRUE(b.Open(name, 3));
  for (const char* d : {"A", "C", "E"}) {
    uint8_t rec[21] = {};
    PutText(rec, 0, 21, d);
    ASSERT_TRUE(a.Add(rec, ""));
  }
  uint8_t rec[21] = {};
  ASSERT_TRUE(b.First(1));
  ASSERT_TRUE(b.GetNext(rec, 1, 16, ""));
  EXPECT_EQ(GetText(rec, 0, 21), "A");
  PutText(rec, 0, 21, "B");
  ASSERT_TRUE(a.Add(rec, ""));
  Sleep(600);  // a read-ahead this old is read again
  ASSERT_TRUE(b.GetNext(rec, 1, 16, ""));
  EXPECT_EQ(GetText(rec, 0, 21), "B");
}

TEST_F(IsamFileTest, IndexedNumbersAndMovingBetweenIndexes) {
  std::string name = Make("Numbers", "X%,X$*5");
  TIsamFile f("");
  ASSERT_TRUE(f.Open(name, 3));
  for (auto [n, t] : {std::pair{7, "b"}, {-3, "c"}, {2, "a"}, {300, "d"}}) {
    uint8_t rec[7] = {};
    PutInt(rec, 0, int16_t(n));
    PutText(rec, 2, 5, t);
    ASSERT_TRUE(f.Add(rec, ""));
  }
  uint8_t rec[7];
  std::vector<int> numbers;
  ASSERT_TRUE(f.First(1));
  while (f.GetNext(rec, 1, 16, "")) numbers.push_back(GetInt(rec, 0));
  EXPECT_EQ(numbers, (std::vector<int>{-3, 2, 7, 300}));  // in numeric order, not text order
  ASSERT_TRUE(f.GetEqual(rec, 1, "7"));
  EXPECT_EQ(f.LastKey, "0000000001");
  EXPECT_FALSE(f.GetEqual(rec, 1, "seven"));
  EXPECT_EQ(f.LastError, 6);
  // From a record found along one index, a scan goes on along another from that same record.
  ASSERT_TRUE(f.GetEqual(rec, 2, "c"));
  ASSERT_TRUE(f.GetNext(rec, 1, 16, ""));
  EXPECT_EQ(GetInt(rec, 0), 2);
  ASSERT_TRUE(f.GetPrior(rec, 0, 16, ""));
  EXPECT_EQ(f.LastKey, "0000000002");
  ASSERT_TRUE(f.GetPrior(rec, 0, 16, ""));
  EXPECT_EQ(f.LastKey, "0000000001");
  EXPECT_FALSE(f.GetPrior(rec, 0, 16, ""));
}

// Other copies notice changes by the data file's time stamp.
TEST_F(IsamFileTest, WritesTouchTheDataFileAndReadsDoNot) {
  std::string name = Make("yOZDB31", kUserFormat);
  auto stamp = [&] {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    GetFileAttributesExA((name + ".isd").c_str(), GetFileExInfoStandard, &a);
    return (uint64_t(a.ftLastWriteTime.dwHighDateTime) << 32) | a.ftLastWriteTime.dwLowDateTime;
  };
  TIsamFile f("");
  ASSERT_TRUE(f.Open(name, 3));
  UserRec u("Ann", "ANN");
  uint64_t t0 = stamp();
  Sleep(50);
  ASSERT_TRUE(f.Add(u.Data, ""));
  uint64_t t1 = stamp();
  EXPECT_GT(t1, t0);
  Sleep(50);
  ASSERT_TRUE(f.GetEqual(u.Data, 7, "ANN"));
  ASSERT_TRUE(f.First(0));
  ASSERT_TRUE(f.GetNext(u.Data, 0, 16, ""));
  EXPECT_EQ(f.RecordCount(), 1);
  EXPECT_FALSE(f.Replace(u.Data, "0000000002"));
  EXPECT_EQ(stamp(), t1);
  ASSERT_TRUE(f.Replace(u.Data, "0000000001"));  // the same contents still count as a change
  uint64_t t2 = stamp();
  EXPECT_GT(t2, t1);
  Sleep(50);
  ASSERT_TRUE(f.Delete("0000000001"));
  EXPECT_GT(stamp(), t2);
}

TEST_F(IsamFileTest, KeysAfterTheHighestAndNextKey) {
  std::string name = Make("yOZDeps", kDepartmentFormat);
  TIsamFile f("");
  ASSERT_TRUE(f.Open(name, 3));
  EXPECT_EQ(f.NextKey(), "0000000001");
  uint8_t rec[21] = {};
  PutText(rec, 0, 21, "Nine");
  ASSERT_TRUE(f.Add(rec, "0000000009"));
  EXPECT_EQ(f.LastKey, "0000000009");
  EXPECT_EQ(f.NextKey(), "0000000010");
  ASSERT_TRUE(f.Add(rec, ""));
  EXPECT_EQ(f.LastKey, "0000000010");
  ASSERT_TRUE(f.Add(rec, "0000000041"));
  EXPECT_EQ(f.NextKey(), "0000000042");
  // The same key twice is refused and changes nothing.
  EXPECT_FALSE(f.Add(rec, "0000000041"));
  EXPECT_EQ(f.LastError, 2);
  EXPECT_EQ(f.RecordCount(), 3);
  // A key that is not a number, or one too large, is the runtime's business.
  ASSERT_TRUE(f.Add(rec, "2147483647"));
  EXPECT_THROW(f.NextKey(), EIntOverflow);
  ASSERT_TRUE(f.Add(rec, "zzz"));
  EXPECT_THROW(f.NextKey(), EConvertError);
  // NextKey on a closed object: the library refuses, nothing is made up.
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(f.NextKey(), "");
}

// Two copies adding at once: a key taken with NextKey before the write can be taken by the other
// copy in between; an empty key is numbered inside the write itself.
TEST_F(IsamFileTest, AddWithAnEmptyKeyNumbersInsideTheWrite) {
  std::string name = Make("yOZMesg", kMessageFormat);
  TIsamFile a(""), b("");
  ASSERT_TRUE(a.Open(name, 3));
  ASSERT_TRUE(b.Open(name, 3));
  std::string planned = a.NextKey();
  EXPECT_EQ(planned, "0000000001");
  ASSERT_TRUE(b.Add(MessageRec("BOB", "from b").Data, ""));
  EXPECT_EQ(b.LastKey, "0000000001");
  EXPECT_FALSE(a.Add(MessageRec("ANN", "from a").Data, planned));  // refused, nothing overwritten
  EXPECT_EQ(a.LastError, 2);
  ASSERT_TRUE(a.Add(MessageRec("ANN", "from a").Data, ""));
  EXPECT_EQ(a.LastKey, "0000000002");
  MessageRec m;
  ASSERT_TRUE(b.GetEqual(m.Data, 0, "0000000001"));
  EXPECT_EQ(m.Subject(), "from b");
}

TEST_F(IsamFileTest, ReplaceAndDeleteOfMissingKeys) {
  std::string name = Make("yOZDB31", kUserFormat);
  TIsamFile f("");
  ASSERT_TRUE(f.Open(name, 3));
  UserRec u("Ann", "ANN");
  EXPECT_FALSE(f.Replace(u.Data, "0000000007"));
  EXPECT_EQ(f.LastError, 1);
  EXPECT_EQ(f.LastKey, "0000000007");
  EXPECT_FALSE(f.Delete("0000000007"));
  EXPECT_EQ(f.LastError, 1);
  EXPECT_EQ(f.RecordCount(), 0);
  ASSERT_TRUE(f.Add(u.Data, ""));
  ASSERT_TRUE(f.Delete("0000000001"));
  EXPECT_FALSE(f.Delete("0000000001"));
  EXPECT_FALSE(f.GetEqual(u.Data, 7, "ANN"));
}

TEST_F(IsamFileTest, OpenStateGuards) {
  std::string users = Make("yOZDB31", kUserFormat);
  std::string deps = Make("yOZDeps", kDepartmentFormat);
  TIsamFile f("");
  uint8_t rec[429] = {};
  EXPECT_FALSE(f.Close());
  EXPECT_EQ(f.LastError, 4);
  for (bool ok : {f.Add(rec, ""), f.Replace(rec, "0000000001"), f.GetNext(rec, 0, 16, ""),
                  f.GetPrior(rec, 0, 16, ""), f.GetEqual(rec, 0, "0000000001"), f.Delete("0000000001"),
                  f.First(0), f.Last(0)}) {
    EXPECT_FALSE(ok);
    EXPECT_EQ(f.LastError, 4);
  }
  // The library is asked whatever the state.
  EXPECT_EQ(f.RecordCount(), -1);
  EXPECT_EQ(f.KeyLength(), 65535);

  ASSERT_TRUE(f.Open(users, 3));
  EXPECT_FALSE(f.Open(deps, 3));
  EXPECT_EQ(f.LastError, 23);
  EXPECT_EQ(f.FileName, users);
  EXPECT_TRUE(f.Opened);
  EXPECT_FALSE(f.CreateFile(Dir + "Other", 10, kStatusFormat));
  EXPECT_EQ(f.LastError, 23);
  EXPECT_EQ(GetFileAttributesA((Dir + "Other.ism").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(f.KeyLength(), 10);  // still the first data set
  // Only the modes the stores use.
  TIsamFile g("");
  EXPECT_FALSE(g.Open(users, 2));
  EXPECT_EQ(g.LastError, 7);
  EXPECT_FALSE(g.Opened);
  EXPECT_FALSE(g.Open(Dir + "Missing", 3));
  EXPECT_FALSE(g.Opened);
}

TEST_F(IsamFileTest, CreateRefusesExistingSetsAndBadFormats) {
  std::string name = Make("yOZDeps", kDepartmentFormat);
  TIsamFile f("");
  ASSERT_TRUE(f.Open(name, 3));
  uint8_t rec[21] = {};
  ASSERT_TRUE(f.Add(rec, ""));
  ASSERT_TRUE(f.Close());
  EXPECT_FALSE(f.CreateFile(name, 10, kDepartmentFormat));
  EXPECT_EQ(f.LastError, 9);
  ASSERT_TRUE(f.Open(name, 3));
  EXPECT_EQ(f.RecordCount(), 1);
  ASSERT_TRUE(f.Close());
  for (const char* bad : {"", "$*", "$*0", "Y$*5", "%,,%", "$*12a", "X", "%,", "$*99999"}) {
    EXPECT_FALSE(f.CreateFile(Dir + "Bad", 10, bad)) << bad;
    EXPECT_EQ(f.LastError, 5) << bad;
  }
  EXPECT_FALSE(f.CreateFile(Dir + "Bad", 0, kDepartmentFormat));
  EXPECT_EQ(f.LastError, 7);
}

TEST_F(IsamFileTest, OptionArithmeticIsRangeChecked) {
  std::string name = Make("yOZStats", kStatusFormat);
  TIsamFile f("");
  ASSERT_TRUE(f.Open(name, 3));
  uint8_t rec[31] = {};
  ASSERT_TRUE(f.Add(rec, ""));
  ASSERT_TRUE(f.First(0));
  EXPECT_FALSE(f.GetNext(rec, 0, 28669, ""));  // fits, but the library knows no such option
  EXPECT_EQ(f.LastError, 7);
  EXPECT_THROW(static_cast<void>(f.GetNext(rec, 0, 28670, "")), ERangeError);
  EXPECT_FALSE(f.GetPrior(rec, 0, 28667, ""));
  EXPECT_THROW(static_cast<void>(f.GetPrior(rec, 0, 28668, "")), ERangeError);
  EXPECT_FALSE(f.GetNext(rec, 0, 0, ""));
  EXPECT_EQ(f.LastError, 7);
  EXPECT_FALSE(f.First(3));
  EXPECT_EQ(f.LastError, 7);
}

TEST_F(IsamFileTest, ErrorTexts) {
  TIsamFile f("");
  struct { int16_t code; const char* text; const char* info; } cases[] = {
      {0, "No error", "No error has occured"},
      {1, "Object not found", ""},
      {8, "File is not isam format", ""},
      {14, "Disk read / write error", ""},
      {15, "Corrupted dataset", ""},
      {17, "Record are out of sort order", ""},
      {21, "Function no available", ""},
      {23, "A dataset is already open", ""},
      {24, "Unknown error", "There is no further information for this error"},
      {-1, "Unknown error", "There is no further information for this error"},
  };
  for (auto& c : cases) {
    f.LastError = c.code;
    EXPECT_EQ(f.ErrorText(), c.text) << c.code;
    EXPECT_EQ(f.ErrorInfo(), c.info) << c.code;
  }
}

}  // namespace
