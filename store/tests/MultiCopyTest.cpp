// Steps of the two-machine run (multicopy.sh): each step runs as one login on one machine (Wine
// prefix) against the shared folder named by YOZ_SHARE. They are disabled in the ordinary run.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "MessageObj.h"
#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZCB.h"
#include "yOZFile.h"

namespace {

std::string Env(const char* Name) {
  char buf[1024];
  DWORD n = GetEnvironmentVariableA(Name, buf, sizeof buf);
  return n && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string Share() { return Env("YOZ_SHARE"); }

class Step : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(Share().empty()) << "YOZ_SHARE names the shared folder";
    RecordMessageBoxes();
    Db = std::make_unique<TyOZFile>(Share());
  }
  int BoardRowOf(const TBoardRows& Board, const std::string& LogInName) {
    for (size_t i = 0; i < Board.Rows.size(); ++i)
      if (Board.Rows[i].SubItem(bsLogInName) == LogInName) return static_cast<int>(i);
    return -1;
  }
  void ChangeOwnStatus(const std::string& Status) {
    Db->LoadCurrentUser();
    Db->CurrentUser->Status = Status;
    Db->SaveCurrentUserStatus();
  }
  std::unique_ptr<TyOZFile> Db;
};

}  // namespace

TEST_F(Step, DISABLED_RegisterFirst) {
  Db->RegisterCurrentUser();
  EXPECT_TRUE(IsAdministrator);
  TStringList names;
  Db->FillUserNames(&names);
  ASSERT_EQ(names.Count(), 1);
  EXPECT_EQ(names.Strings(0), GetLogInName());
  EXPECT_EQ(reinterpret_cast<intptr_t>(names.Objects(0)), 1);  // key 0000000001
  std::string name, status, comments, ext, dept, login;
  int16_t admin = 0;
  Db->ShowUser(1, name, status, comments, ext, dept, login, admin);
  EXPECT_EQ(admin, 1);
  TyOZConfigRec cfg = Db->ReadConfig();
  cfg.LogType = 1;
  Db->WriteConfig(cfg);
}

TEST_F(Step, DISABLED_FirstRunSettings) {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QDSoftware\\yOZ");
  TyOZCB cb;
  TyOZCBRec rec;
  cb.LoadSettings(rec);
  HKEY k;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\QDSoftware\\yOZ", 0, KEY_READ, &k), ERROR_SUCCESS);
  DWORD values = 0;
  RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr);
  DWORD v = 0, size = sizeof v, type = 0;
  RegQueryValueExA(k, "FirstTimeRun", nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
  RegCloseKey(k);
  EXPECT_EQ(values, 45u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(v, 1u);
}

TEST_F(Step, DISABLED_RegisterSecond) {
  Db->RegisterCurrentUser();
  EXPECT_FALSE(IsAdministrator);
  std::string name, status, comments, ext, dept, login;
  int16_t admin = -1;
  Db->ShowUser(2, name, status, comments, ext, dept, login, admin);
  EXPECT_EQ(login, GetLogInName());
  EXPECT_EQ(admin, 0);
  EXPECT_FALSE(Db->OneAdministratorOnly() == false);
}

TEST_F(Step, DISABLED_ChangeOwnStatus) { ChangeOwnStatus(Env("YOZ_STATUS")); }

TEST_F(Step, DISABLED_SeeBoard) {
  TBoardRows board;
  Db->FillMainList(&board);
  ASSERT_EQ(board.Rows.size(), 2u);
  int row = BoardRowOf(board, Env("YOZ_OTHER"));
  ASSERT_GE(row, 0);
  EXPECT_EQ(board.Rows[row].SubItem(bsStatus), Env("YOZ_STATUS"));
  std::string updated = board.Rows[row].SubItem(bsUpdated);
  EXPECT_TRUE(std::regex_match(updated, std::regex("Today [0-9][0-9]:[0-9][0-9]"))) << updated;
}

TEST_F(Step, DISABLED_AdminChangesOther) {
  Db->LoadCurrentUser();
  TBoardRows board;
  Db->FillMainList(&board);
  board.Selected = BoardRowOf(board, Env("YOZ_OTHER"));
  ASSERT_GE(board.Selected, 0);
  Db->SetSelectedUsersStatus(&board, Env("YOZ_STATUS"));
}

TEST_F(Step, DISABLED_SeeOwnStatus) {
  Db->LoadCurrentUser();
  EXPECT_EQ(Db->CurrentUser->Status, Env("YOZ_STATUS"));
  EXPECT_EQ(Db->StoredStatus, Env("YOZ_STATUS"));
}

TEST_F(Step, DISABLED_SendMessage) {
  TYOZMessage messages(Db.get());
  messages.SendMessage(Env("YOZ_OTHER"), GetLogInName(), "Meeting", "Room 2 at three");
}

TEST_F(Step, DISABLED_ReadMessage) {
  TYOZMessage messages(Db.get());
  ASSERT_TRUE(messages.HasNewMessages());
  int newCount = 0, oldCount = 0;
  auto rows = messages.InBoxRows(newCount, oldCount);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(newCount, 1);
  EXPECT_EQ(oldCount, 0);
  EXPECT_EQ(rows[0].Caption, Env("YOZ_OTHER"));
  const std::string key = rows[0].SubItem(2);
  EXPECT_EQ(messages.ReadMessage(key), "Room 2 at three");
  messages.MarkMessageOld(key);
  EXPECT_FALSE(messages.HasNewMessages());
  messages.InBoxRows(newCount, oldCount);
  EXPECT_EQ(newCount, 0);
  EXPECT_EQ(oldCount, 1);
  messages.DeleteMessage(key);
  EXPECT_TRUE(messages.InBoxRows(newCount, oldCount).empty());
}

TEST_F(Step, DISABLED_CheckTextLog) {
  auto lines = SplitLines(ReadWholeFile(Share() + "yOZLog.txt"));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], std::string(60, '*'));
  EXPECT_EQ(lines[5], std::string(60, ' '));
  const std::string other = Env("YOZ_OTHER");
  EXPECT_NE(lines[6].find(" " + other + " (" + other + ") status changed from \"Available\" to \"At lunch\""),
            std::string::npos) << lines[6];
  EXPECT_NE(lines[7].find(" " + other + " (" + other + ") status changed from \"At lunch\" to \"Gone home\""),
            std::string::npos) << lines[7];
}

TEST_F(Step, DISABLED_UseCsvLog) {
  TyOZConfigRec cfg = Db->ReadConfig();
  cfg.LogType = 2;
  Db->WriteConfig(cfg);
}

TEST_F(Step, DISABLED_CheckCsvLog) {
  auto lines = SplitLines(ReadWholeFile(Share() + "yOZLog.csv"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "\"Date/Time\",\"Name\",\"LogInName\",\"From Status\",\"To Status\"");
  const std::string me = GetLogInName(), other = Env("YOZ_OTHER");
  EXPECT_NE(lines[1].find(",\"" + me + "\",\"" + me + "\",\"Available\",\"DND\""), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(",\"" + other + "\",\"" + other + "\",\"Gone home\",\"Available\""), std::string::npos)
      << lines[2];
}

namespace {

// The record each machine writes to "yOZ.cfg" in the steps below: every byte tells the writer.
TyOZConfigRec Marked(char Mark) {
  TyOZConfigRec rec;
  rec.LogType = Mark == 'a' ? 1 : 2;
  std::fill(std::begin(rec.Reserved), std::end(rec.Reserved), uint8_t(Mark));
  rec.AllowMessages = Mark == 'a' ? 0 : 1;
  return rec;
}

std::string Describe(const TyOZConfigRec& Rec) {
  return "log " + std::to_string(Rec.LogType) + ", reserved \"" +
         std::string(reinterpret_cast<const char*>(Rec.Reserved), sizeof Rec.Reserved) + "\", messages " +
         std::to_string(Rec.AllowMessages);
}

// A mark in the shared folder that one machine's step leaves for the other's.
void Signal(const std::string& Name) {
  HANDLE f = CreateFileA((Share() + Name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

bool WaitForSignal(const std::string& Name) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(10))
    if (FileExists(Share() + Name)) return true;
  return false;
}

}  // namespace

// Both machines read and rewrite "yOZ.cfg" at once, each with its own mark (YOZ_MARK). Every read comes
// through whole and from one writer: this machine's record, the other's, or the one the earlier steps
// left; a copy that loses all its attempts to the other one is told so ("Unable to open yOZ.CFG
// file"), never given wrong options.
TEST_F(Step, DISABLED_ConfigTraffic) {
  int failures = 0;
  std::string other;
  const int rounds = Env("YOZ_ROUNDS").empty() ? 300 : std::atoi(Env("YOZ_ROUNDS").c_str());
  TyOZConfigRec earlier;
  earlier.LogType = 2;
  const std::string whole[] = {Describe(Marked('a')), Describe(Marked('b')), Describe(earlier)};
  const TyOZConfigRec mine = Marked(Env("YOZ_MARK")[0]);
  for (int i = 0; i < rounds; ++i) {
    try {
      const std::string read = Describe(Db->ReadConfig());
      ASSERT_NE(std::find(std::begin(whole), std::end(whole), read), std::end(whole)) << "read " << read;
      Db->WriteConfig(mine);
    } catch (const Exception& e) {
      if (e.Message != "Unable to open yOZ.CFG file") other = e.Message;
      ++failures;
    }
  }
  EXPECT_EQ(other, "");
  std::printf("yOZ.cfg: %d of %d rounds lost to the other copy\n", failures, rounds);
  EXPECT_LT(failures, rounds / 2);
}

// Machine A holds "yOZ.cfg" in the middle of a write, as the store holds it for one, until machine B's
// read has come back; then it finishes the record and lets go.
TEST_F(Step, DISABLED_ConfigHeldMidWrite) {
  Db->WriteConfig(Marked('a'));
  // B's start reads the file too: it is taken once B is up.
  ASSERT_TRUE(WaitForSignal("cfg-reader-up")) << "machine B did not start";
  {
    TConfigFile file(Share() + "yOZ.cfg");
    ASSERT_TRUE(file.Ok());
    const TyOZConfigRec next = Marked('b');
    const DWORD half = sizeof next / 2;
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Handle(), &next, half, &written, nullptr) && written == half);
    Signal("cfg-held");
    ASSERT_TRUE(WaitForSignal("cfg-read")) << "machine B's read did not come back";
    ASSERT_TRUE(WriteFile(file.Handle(), reinterpret_cast<const char*>(&next) + half, sizeof next - half, &written,
                          nullptr) &&
                written == sizeof next - half);
  }
  Signal("cfg-released");
}

// Machine B reads "yOZ.cfg" while machine A holds it half written: the read waits through its attempts
// and says the file is busy, never hands out the half-made record; once A has let go it reads A's
// whole record.
TEST_F(Step, DISABLED_ConfigReadWhileHeld) {
  Signal("cfg-reader-up");
  ASSERT_TRUE(WaitForSignal("cfg-held")) << "machine A did not take the file";
  std::string outcome;
  try {
    outcome = "read " + Describe(Db->ReadConfig());
  } catch (const Exception& e) {
    outcome = e.Message;
  }
  Signal("cfg-read");
  EXPECT_EQ(outcome, "Unable to open yOZ.CFG file");
  ASSERT_TRUE(WaitForSignal("cfg-released")) << "machine A did not let go";
  EXPECT_EQ(Describe(Db->ReadConfig()), Describe(Marked('b')));
}
