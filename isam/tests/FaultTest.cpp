// The library's write paths under every failure SQLite can give (disk full, busy, I/O error, out of
// memory), injected at each step of a Put (add and replace) and a Delete: the store gets the matching
// result code, and the data set is unchanged and readable afterwards. Runs against the test build of
// VBIS4032.DLL beside this program.
#include <gtest/gtest.h>

#include <windows.h>

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "IsamFile.h"
#include "TestSupport.h"
#include "yOZUser.h"

namespace {

using TSimulateFault = void(WINAPI*)(const int32_t* Countdown, const int32_t* Code);

// The records of the data set, key and name, in key order.
std::vector<std::string> Contents(const std::string& Name) {
  std::vector<std::string> out;
  TIsamFile f("");
  if (!f.Open(Name)) return {"open failed: " + f.ErrorText()};
  TUserRec rec;
  while (f.GetNext(rec.Data, IsamKeyIndex, IsamScanFlags, "")) out.push_back(f.LastKey + " " + rec.Name());
  f.Close();
  return out;
}

TUserRec User(const std::string& Name) {
  TUserRec rec;
  rec.SetName(Name);
  rec.SetLogInName(Name);
  rec.SetStatus("Available");
  return rec;
}

class FaultTest : public ::testing::Test {
protected:
  void SetUp() override {
    TIsamFile f("");
    ASSERT_TRUE(f.DllLoaded);
    Simulate = reinterpret_cast<TSimulateFault>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("VBIS4032.DLL"), "VmxSimulateFault")));
    ASSERT_NE(Simulate, nullptr) << "not the test build of VBIS4032.DLL";
    ASSERT_TRUE(f.CreateFile(Name, 10, UserFileFormat)) << f.ErrorText();
    ASSERT_TRUE(f.Open(Name)) << f.ErrorText();
    for (const char* n : {"ANN", "BOB", "CAT"}) ASSERT_TRUE(f.Add(User(n).Data, "")) << f.ErrorText();
    f.Close();
  }
  void Arm(int Countdown, int Code) {
    int32_t c = Countdown, k = Code;
    Simulate(&c, &k);
  }
  TTempFolder Db{"isamfault"};
  std::string Name = Db.File(UserFileName);
  TSimulateFault Simulate = nullptr;
};

TEST_F(FaultTest, EveryFailureAtEveryStepOfPutAndDeleteLeavesTheDataSetAsItWas) {
  struct Failure {
    int Sqlite;
    int16_t Expected;
  };
  const Failure failures[] = {{SQLITE_FULL, 11}, {SQLITE_BUSY, 3}, {SQLITE_IOERR, 14}, {SQLITE_NOMEM, 12}};
  struct Op {
    const char* Name;
    std::function<bool(TIsamFile&)> Run;
  };
  const std::vector<Op> ops = {
      {"add", [](TIsamFile& f) { return f.Add(User("DAN").Data, ""); }},
      {"add under a key", [](TIsamFile& f) { return f.Add(User("DAN").Data, "0000000009"); }},
      {"replace", [](TIsamFile& f) { return f.Replace(User("BOB2").Data, "0000000002"); }},
      {"delete", [](TIsamFile& f) { return f.Delete("0000000002"); }},
  };
  const std::vector<std::string> before = Contents(Name);
  ASSERT_EQ(before.size(), 3u);
  for (const Op& op : ops) {
    int faulted = 0;
    // Step n of the operation fails; past the last step the operation succeeds and the loop ends.
    for (int n = 1; n < 20; ++n) {
      bool succeeded = false;
      for (const Failure& fail : failures) {
        SCOPED_TRACE(std::string(op.Name) + ", step " + std::to_string(n) + ", SQLite code " + std::to_string(fail.Sqlite));
        TIsamFile f("");
        ASSERT_TRUE(f.Open(Name)) << f.ErrorText();
        Arm(n, fail.Sqlite);
        bool ok = op.Run(f);
        Arm(0, 0);
        const int16_t error = f.LastError;
        const std::string text = f.ErrorText();
        f.Close();
        if (ok) {
          succeeded = true;
          break;
        }
        ++faulted;
        EXPECT_EQ(error, fail.Expected) << text;
        EXPECT_EQ(Contents(Name), before);
      }
      if (succeeded) {
        // The operation ran through: put the original records back for the next one.
        EXPECT_GT(n, 1);
        TIsamFile f("");
        ASSERT_TRUE(f.Open(Name));
        std::vector<std::string> after = Contents(Name);
        for (const std::string& row : after) {
          if (std::find(before.begin(), before.end(), row) == before.end()) {
            ASSERT_TRUE(f.Delete(row.substr(0, 10))) << f.ErrorText();
          }
        }
        for (const std::string& row : before) {
          if (std::find(after.begin(), after.end(), row) == after.end()) {
            ASSERT_TRUE(f.Add(User(row.substr(11)).Data, row.substr(0, 10))) << f.ErrorText();
          }
        }
        f.Close();
        ASSERT_EQ(Contents(Name), before) << op.Name;
        break;
      }
    }
    // Begin, the write (and the key for an add) and commit: at least three steps could fail.
    EXPECT_GE(faulted, 3 * 4) << op.Name;
  }
}

}  // namespace
