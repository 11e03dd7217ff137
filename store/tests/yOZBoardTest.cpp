#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <memory>

#include "IsamFile.h"
#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZAlert.h"
#include "yOZFile.h"

namespace {

class BoardTest : public ::testing::Test {
protected:
  void SetUp() override {
    RecordMessageBoxes();
    ShowOfflineUsers = true;
    File = std::make_unique<TyOZFile>(Db.Path());
    File->RegisterCurrentUser();
  }
  void TearDown() override { ShowOfflineUsers = true; }

  // Adds a user record the way another copy would have written it.
  void AddUser(const std::string& Name, const std::string& Login, const std::string& Status, const std::string& Updated,
               const std::string& Department = "", int16_t Admin = 0) {
    TIsamFile f("");
    ASSERT_TRUE(f.Open(Db.Path() + "yOZDB31", 3));
    TUserRec rec;
    rec.SetAdministrator(Admin);
    rec.SetName(Name);
    rec.SetLogInName(Login);
    rec.SetStatus(Status);
    rec.SetUpdated(Updated);
    rec.SetDepartment(Department);
    rec.SetExtension("x" + Login.substr(0, 3));
    rec.SetComments("c " + Name);
    ASSERT_TRUE(f.Add(rec.Data, ""));
    f.Close();
  }

  std::vector<std::string> Captions(const TBoardRows& b) {
    std::vector<std::string> out;
    for (auto& r : b.Rows) out.push_back(r.Caption);
    return out;
  }

  TTempFolder Db{"board"};
  std::unique_ptr<TyOZFile> File;
};

class TCountingBoard : public TBoardRows {
public:
  std::vector<int> Sized;
  void AutoSizeColumn(int Column) override { Sized.push_back(Column); }
};

std::string Stamp(double DaysAgo, int Hour, int Minute) {
  return DateTimeToStr(Date() - DaysAgo + EncodeTime(Hour, Minute, 0, 0));
}

}  // namespace

TEST_F(BoardTest, RowsHoldEveryColumnInKeyOrder) {
  AddUser("Jo Smith", "JSMITH", "In meeting", Stamp(0, 9, 5), "Sales");
  AddUser("Al Brown", "ABROWN", "Training", "", "Accounts");
  TCountingBoard board;
  board.Rows.push_back(TListRow{"stale"});
  File->FillMainList(&board);
  ASSERT_EQ(board.Rows.size(), 3u);
  EXPECT_EQ(board.UpdateDepth, 0);
  EXPECT_EQ(board.Sized, (std::vector<int>{0, 1, 2, 3, 4, 6}));
  const TListRow& jo = board.Rows[1];
  EXPECT_EQ(jo.Caption, "Jo Smith");
  EXPECT_EQ(jo.SubItems, (std::vector<std::string>{"In meeting", "Today 09:05", "xJSM", "Sales", "JSMITH", "c Jo Smith"}));
  EXPECT_EQ(jo.ImageIndex, 5);
  EXPECT_EQ(board.Rows[2].ImageIndex, 9);
  EXPECT_EQ(board.Rows[2].SubItems[1], "");
  EXPECT_EQ(board.Rows[0].Caption, GetLogInName());
}

TEST_F(BoardTest, OfflineUsersHiddenOnlyWhenAskedAndOnlyExactly) {
  AddUser("Off Line", "OFF", "Offline", "");
  AddUser("Low Case", "LOW", "offline", "");
  TBoardRows board;
  File->FillMainList(&board);
  EXPECT_EQ(board.Rows.size(), 3u);
  ShowOfflineUsers = false;
  File->FillMainList(&board);
  EXPECT_EQ(Captions(board), (std::vector<std::string>{GetLogInName(), "Low Case"}));
}

TEST_F(BoardTest, DepartmentFilterIsExact) {
  AddUser("A", "A", "Available", "", "Sales");
  AddUser("B", "B", "Offline", "", "Sales");
  AddUser("C", "C", "Available", "", "sales");
  AddUser("D", "D", "Available", "", "Sales UK");
  TBoardRows board;
  File->FillMainListForDepartment(&board, "Sales");
  EXPECT_EQ(Captions(board), (std::vector<std::string>{"A", "B"}));
  ShowOfflineUsers = false;
  File->FillMainListForDepartment(&board, "Sales");
  EXPECT_EQ(Captions(board), std::vector<std::string>{"A"});
}

TEST_F(BoardTest, UpdateTimeShowsTodayYesterdayOrTheStoredText) {
  EXPECT_EQ(File->FormatUpdateTime(Stamp(0, 9, 5)), "Today 09:05");
  EXPECT_EQ(File->FormatUpdateTime(Stamp(1, 17, 30)), "Yesterday 17:30");
  std::string older = Stamp(2, 8, 0);
  EXPECT_EQ(File->FormatUpdateTime(older), older);
  EXPECT_EQ(File->FormatUpdateTime(""), "");
  EXPECT_EQ(File->FormatUpdateTime(" \t "), "");
  EXPECT_EQ(File->FormatUpdateTime(DateTimeToStr(Date())), "Today 00:00");  // midnight: date alone
}

TEST_F(BoardTest, UnreadableUpdateTimeDoesNotEndTheFill) {
  AddUser("Damaged", "DMG", "Available", "31.13.2099 99:99");
  AddUser("Later", "LATER", "Available", Stamp(0, 10, 0));
  EXPECT_EQ(File->FormatUpdateTime("not a date"), "not a date");
  TBoardRows board;
  ASSERT_NO_THROW(File->FillMainList(&board));
  ASSERT_EQ(board.Rows.size(), 3u);
  EXPECT_EQ(board.Rows[1].SubItems[1], "31.13.2099 99:99");
  EXPECT_EQ(board.Rows[2].SubItems[1], "Today 10:00");
}

TEST_F(BoardTest, StatusImages) {
  const std::pair<const char*, int> table[] = {
      {"At lunch", 0},   {"Available", 1},   {"Away from desk", 2}, {"DND", 3},      {"Gone home", 4},
      {"In meeting", 5}, {"On holiday", 6},  {"On vacation", 6},    {"Out of office", 7}, {"Off sick", 10},
      {"Offline", 11},   {"on holiday", 9},  {"Training", 9},       {"", 9}};
  for (auto& [status, image] : table) EXPECT_EQ(File->StatusImageIndex(status), image) << status;
}

TEST_F(BoardTest, OneAdministratorOnlyCountsAdministrators) {
  EXPECT_TRUE(File->OneAdministratorOnly());
  AddUser("Second", "SECOND", "Available", "", "", 1);
  EXPECT_FALSE(File->OneAdministratorOnly());
  File->DeleteUser(1);
  File->DeleteUser(2);
  EXPECT_TRUE(File->OneAdministratorOnly());  // none at all
}

TEST_F(BoardTest, UserNamesCarryTheirKeys) {
  AddUser("Jo Smith", "JSMITH", "Available", "");
  AddUser("Al Brown", "ABROWN", "Available", "");
  File->DeleteUser(2);
  TStringList names;
  names.Add("stale");
  File->FillUserNames(&names);
  ASSERT_EQ(names.Count(), 2);
  EXPECT_EQ(names.Strings(1), "Al Brown");
  EXPECT_EQ(reinterpret_cast<intptr_t>(names.Objects(1)), 3);
  std::string name, status, comments, ext, dept, login;
  int16_t admin = -1;
  File->ShowUser(3, name, status, comments, ext, dept, login, admin);
  EXPECT_EQ(name, "Al Brown");
  EXPECT_EQ(comments, "c Al Brown");
  EXPECT_EQ(ext, "xABR");
  EXPECT_EQ(admin, 0);
  try {
    File->ShowUser(2, name, status, comments, ext, dept, login, admin);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Unable to perform look up on dataset - Object not found");
  }
  EXPECT_FALSE(File->UserFile->Opened);
}

TEST_F(BoardTest, AlertNamesFollowTheUserFile) {
  AddUser("Jo Smith-Jones", "JSMITH", "Available", "");
  TyOZAlert alerts;
  alerts.AddAlert("jsmith", "Jo Smith", "Available");
  alerts.AddAlert("GHOST", "Ghost", "Offline");
  File->UpdateAlertNames(&alerts);
  EXPECT_EQ(alerts.GetName(0), "Jo Smith-Jones");
  EXPECT_EQ(alerts.GetName(3), "Ghost");
}

TEST_F(BoardTest, MissingUserFileIsReported) {
  File->DeleteUser(1);
  DeleteFileA(Db.File("yOZDB31.ism").c_str());
  DeleteFileA(Db.File("yOZDB31.isd").c_str());
  TBoardRows board;
  board.Rows.push_back(TListRow{"kept"});
  try {
    File->FillMainList(&board);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message.rfind("Unable to open dataset - ", 0), 0u) << e.Message;
  }
  EXPECT_EQ(board.Rows.size(), 1u);
  EXPECT_EQ(board.UpdateDepth, 0);
}

// "yOZ.cfg"
TEST_F(BoardTest, NewDatabaseGetsAnEmptyConfigWithDefaults) {
  EXPECT_TRUE(FileExists(Db.File("yOZ.cfg")));
  EXPECT_EQ(ReadWholeFile(Db.File("yOZ.cfg")), "");
  TyOZConfigRec rec = File->ReadConfig();
  EXPECT_EQ(rec.LogType, 0);
  EXPECT_EQ(rec.AllowMessages, 1);
  EXPECT_EQ(File->LogType, 0);
  EXPECT_TRUE(File->AllowMessages);
}

TEST_F(BoardTest, ConfigKeepsTheReservedBytes) {
  std::string stored(33, '\0');
  stored[0] = 1;
  for (int i = 1; i < 32; ++i) stored[i] = static_cast<char>(0xA0 + i);
  stored[32] = 1;
  WriteWholeFile(Db.File("yOZ.cfg"), stored);
  TyOZConfigRec rec = File->ReadConfig();
  EXPECT_EQ(File->LogType, 1);
  rec.LogType = 2;
  rec.AllowMessages = 0;
  File->WriteConfig(rec);
  EXPECT_EQ(File->LogType, 2);
  EXPECT_FALSE(File->AllowMessages);
  std::string written = ReadWholeFile(Db.File("yOZ.cfg"));
  ASSERT_EQ(written.size(), 33u);
  EXPECT_EQ(written[0], 2);
  EXPECT_EQ(written.substr(1, 31), stored.substr(1, 31));
  EXPECT_EQ(written[32], 0);
  TyOZFile other(Db.Path());
  EXPECT_EQ(other.LogType, 2);
  EXPECT_FALSE(other.AllowMessages);
}

TEST_F(BoardTest, ConfigLastWholeRecordWinsAndWritingLeavesExactlyOne) {
  std::string two(66, '\0');
  two[0] = 1;
  two[32] = 1;
  two[33] = 2;
  two[65] = 0;
  WriteWholeFile(Db.File("yOZ.cfg"), two);
  File->ReadConfig();
  EXPECT_EQ(File->LogType, 2);
  EXPECT_FALSE(File->AllowMessages);
  // A write cut short leaves a tail: the last whole record is read, or the defaults when none is.
  struct {
    size_t Length;
    uint8_t LogType;
    bool AllowMessages;
  } cut[] = {{40, 1, true}, {65, 1, true}, {5, 0, true}, {32, 0, true}, {67, 2, false}};
  for (auto& c : cut) {
    SCOPED_TRACE(c.Length);
    WriteWholeFile(Db.File("yOZ.cfg"), (two + "\x02\x02").substr(0, c.Length));
    File->ReadConfig();
    EXPECT_EQ(File->LogType, c.LogType);
    EXPECT_EQ(File->AllowMessages, c.AllowMessages);
  }
  // Writing leaves one record, whatever the file held before.
  TyOZConfigRec rec = File->ReadConfig();
  rec.LogType = 1;
  File->WriteConfig(rec);
  std::string written = ReadWholeFile(Db.File("yOZ.cfg"));
  ASSERT_EQ(written.size(), 33u);
  EXPECT_EQ(written[0], 1);
  EXPECT_EQ(File->ReadConfig().LogType, 1);
}

// Another copy holds "yOZ.cfg" only for its one read or write: a copy that meets it busy for a moment
// waits for it instead of failing (four copies starting at once lost their start to this).
TEST_F(BoardTest, ConfigBusyForAMomentIsWaitedFor) {
  for (int op = 0; op < 2; ++op) {
    HANDLE h = CreateFileA(Db.File("yOZ.cfg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    HANDLE releaser = CreateThread(
        nullptr, 0,
        [](LPVOID P) -> DWORD {
          Sleep(100);
          CloseHandle(static_cast<HANDLE>(P));
          return 0;
        },
        h, 0, nullptr);
    ASSERT_NE(releaser, nullptr);
    if (op == 0)
      EXPECT_NO_THROW(File->ReadConfig());
    else
      EXPECT_NO_THROW(File->WriteConfig(TyOZConfigRec{}));
    WaitForSingleObject(releaser, INFINITE);
    CloseHandle(releaser);
  }
}

TEST_F(BoardTest, ConfigHeldByAnotherCopyFailsAfterItsAttempts) {
  HANDLE h = CreateFileA(Db.File("yOZ.cfg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  auto raised = [](auto op) {
    try {
      op();
    } catch (const Exception& e) {
      return e.Message;
    }
    return std::string("no exception");
  };
  EXPECT_EQ(raised([&] { File->ReadConfig(); }), "Unable to open yOZ.CFG file");
  EXPECT_EQ(raised([&] { File->WriteConfig(TyOZConfigRec{}); }), "Unable to open yOZ.CFG file");
  CloseHandle(h);
  TyOZFile noFolder(Db.Path());
  noFolder.DBPath = "  ";
  EXPECT_EQ(raised([&] { noFolder.ReadConfig(); }), "Unkown yOZ database location");
  EXPECT_EQ(raised([&] { noFolder.WriteConfig(TyOZConfigRec{}); }), "Unkown yOZ database location");
}
