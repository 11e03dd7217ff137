// What a damaged or hostile share gives the stores: foreign, later, cut-short and torn data sets, a
// folder stored without its backslash, settings outside what the dialog gives, an alert folder that
// cannot be written. Each ends in a reported failure or a sound result, never a crash, a short list
// passed off as whole, or a record written into a file that is not ours.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>

#include "IsamFile.h"
#include "MessageObj.h"
#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZAlert.h"
#include "yOZCB.h"
#include "yOZDepartmentObj.h"
#include "yOZFile.h"
#include "yOZStatusesObj.h"

namespace {

class BadShare : public ::testing::Test {
protected:
  void SetUp() override {
    RecordMessageBoxes();
    SetDatabaseFolder(Db.Path());
    File = std::make_unique<TyOZFile>(Db.Path(), TyOZFileHooks{[this](const std::string& t) { StatusText = t; },
                                                                nullptr, [this] { ShuttingDown = true; }});
    File->RegisterCurrentUser();
    ShuttingDown = false;
  }
  // A data set of Format named Base in the share, with Count records of zero bytes but for a number.
  void MakeDataSet(const std::string& Base, const std::string& Format, size_t RecordSize, int Count) {
    TIsamFile f("");
    ASSERT_TRUE(f.CreateFile(Db.File(Base), 10, Format));
    ASSERT_TRUE(f.Open(Db.File(Base), 3));
    std::vector<uint8_t> rec(RecordSize);
    for (int i = 0; i < Count; ++i) {
      std::string n = "N" + std::to_string(i);
      std::fill(rec.begin(), rec.end(), 0);
      std::copy(n.begin(), n.end(), rec.begin() + (RecordSize > 200 ? 167 : 0));
      ASSERT_TRUE(f.Add(rec.data(), ""));
    }
    f.Close();
  }
  // Both files of data set From copied over those of To.
  void CopyPair(const std::string& From, const std::string& To) {
    for (const char* ext : {".ism", ".isd"}) WriteWholeFile(Db.File(To + ext), ReadWholeFile(Db.File(From + ext)));
  }
  // Every byte from the second page on overwritten now and then: the data set still opens, but its
  // records cannot be read.
  void Tear(const std::string& Base) {
    std::string isd = ReadWholeFile(Db.File(Base + ".isd"));
    ASSERT_GT(isd.size(), 8192u);
    for (size_t i = 4096; i < isd.size(); i += 7) isd[i] = char(0xA5);
    WriteWholeFile(Db.File(Base + ".isd"), isd);
  }
  std::string Bytes(const std::string& Base) {
    return ReadWholeFile(Db.File(Base + ".ism")) + ReadWholeFile(Db.File(Base + ".isd"));
  }

  TRegistrySandbox Sandbox;
  TTempFolder Db{"badshare"};
  std::unique_ptr<TyOZFile> File;
  std::string StatusText;
  bool ShuttingDown = false;
};

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

// Another data set's pair (or a later format of the same) copied over a store's own: every store
// reports it as damaged, and nothing is written into it.
TEST_F(BadShare, AForeignOrLaterDataSetIsDamagedToEveryStore) {
  TYOZMessage messages(File.get());
  messages.SendMessage(GetLogInName(), GetLogInName(), "Hello", "A message");
  MakeDataSet("Later", std::string(UserFileFormat) + ",$*51", 480, 3);
  TYOZStatus statuses(File.get());
  statuses.CreateStatusFile();
  TYOZDepartment departments;
  departments.CreateDepartmentFile();
  departments.AddDepartment("Sales");

  struct {
    const char* What;
    const char* From;
    const char* Over;
    std::function<void()> Op;
    const char* Raised;
  } cases[] = {
      {"messages over the user file", "yOZMesg", "yOZDB31", [&] { File->RegisterCurrentUser(); },
       "Unable to open dataset - Corrupted dataset"},
      {"a later user file", "Later", "yOZDB31", [&] { File->RegisterCurrentUser(); },
       "Unable to open dataset - Corrupted dataset"},
      {"users over the board", "Later", "yOZDB31", [&] { File->FillMainList(nullptr); },
       "Unable to open dataset - Corrupted dataset"},
      {"messages over the statuses", "yOZMesg", "yOZStats", [&] { TStringList l; statuses.FillStatusList(&l); },
       "Unable to open Status dataset - Corrupted dataset"},
      {"messages over the departments", "yOZMesg", "yOZDeps",
       [&] { TRecordingTree t; departments.FillDepartmentTree(&t); }, "Unable to read the departments - Corrupted dataset"},
      {"users over the messages", "Later", "yOZMesg", [&] { int n, o; messages.InBoxRows(n, o); },
       "Unable to read yOZ message database - Corrupted dataset"},
      {"statuses over the messages", "yOZStats", "yOZMesg",
       [&] { messages.SendMessage(GetLogInName(), GetLogInName(), "Hi", "Again"); },
       "Unable to open yOZ message database - Corrupted dataset"},
      {"reading from the damaged messages", "yOZStats", "yOZMesg", [&] { messages.ReadMessage("0000000001"); },
       "Unable to open yOZ message database - Corrupted dataset"},
      {"deleting from the damaged messages", "yOZStats", "yOZMesg", [&] { messages.DeleteMessage("0000000001"); },
       "Unable to open yOZ message database - Corrupted dataset"},
      {"marking in the damaged messages", "yOZStats", "yOZMesg", [&] { messages.MarkMessageOld("0000000001"); },
       "Unable to open yOZ message database - Corrupted dataset"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.What);
    const std::string keepFrom = ReadWholeFile(Db.File(std::string(c.Over) + ".ism"));
    const std::string keepData = ReadWholeFile(Db.File(std::string(c.Over) + ".isd"));
    CopyPair(c.From, c.Over);
    const std::string foreign = Bytes(c.Over);
    EXPECT_EQ(Raised(c.Op), c.Raised);
    EXPECT_EQ(Bytes(c.Over), foreign);  // nothing added to a file that is not ours
    WriteWholeFile(Db.File(std::string(c.Over) + ".ism"), keepFrom);
    WriteWholeFile(Db.File(std::string(c.Over) + ".isd"), keepData);
  }
  // The department store's own writes on the foreign pair fail without touching it.
  CopyPair("yOZMesg", "yOZDeps");
  const std::string foreign = Bytes("yOZDeps");
  EXPECT_NE(Raised([&] { departments.AddDepartment("Support"); }), "no exception");
  EXPECT_EQ(Bytes("yOZDeps"), foreign);
  // The message check reports the damaged file rather than finding no message in it.
  CopyPair("yOZStats", "yOZMesg");
  EXPECT_EQ(Raised([&] { static_cast<void>(messages.HasNewMessages()); }),
            "Unable to read yOZ message database - Corrupted dataset");
}

// A user file that is there but damaged: told as an open failure (nothing was created), the program
// is told to end, and no user is added to it.
TEST_F(BadShare, ADamagedUserFileIsAnOpenFailureAndEndsTheStart) {
  const std::string ism = ReadWholeFile(Db.File("yOZDB31.ism"));
  const std::string isd = ReadWholeFile(Db.File("yOZDB31.isd"));
  std::string random(isd.size(), '\0');
  unsigned seed = 12;
  for (char& c : random) c = char((seed = seed * 1103515245u + 12345u) >> 16);
  struct {
    const char* What;
    std::string Descriptor, Data;
  } cases[] = {
      {"data file cut short", ism, isd.substr(0, 60)},
      {"descriptor zeroed", std::string(ism.size(), '\0'), isd},
      {"data file of random bytes", ism, random},
      {"data file empty", ism, ""},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.What);
    WriteWholeFile(Db.File("yOZDB31.ism"), c.Descriptor);
    WriteWholeFile(Db.File("yOZDB31.isd"), c.Data);
    ShuttingDown = false;
    const std::string raised = Raised([&] { File->RegisterCurrentUser(); });
    EXPECT_TRUE(StartsWith(raised, "Unable to open dataset - ")) << raised;
    EXPECT_EQ(raised.find("after create"), std::string::npos);
    EXPECT_TRUE(ShuttingDown);
    EXPECT_EQ(ReadWholeFile(Db.File("yOZDB31.isd")), c.Data);
  }
}

// A look-up that fails for any reason but "not found" is reported; only a missing login is added.
// A scan that fails half-way raises instead of passing for the end: the board keeps its rows.
TEST_F(BadShare, TornFilesAreReportedNotTakenForMissingRecordsOrShortLists) {
  TIsamFile users("");
  ASSERT_TRUE(users.Open(Db.File("yOZDB31"), 3));
  for (int i = 0; i < 200; ++i) {
    TUserRec rec;
    rec.SetName("U" + std::to_string(i));
    rec.SetLogInName("U" + std::to_string(i));
    ASSERT_TRUE(users.Add(rec.Data, ""));
  }
  users.Close();
  TYOZMessage messages(File.get());
  for (int i = 0; i < 60; ++i) messages.SendMessage(GetLogInName(), GetLogInName(), "Subject", std::string(200, 'x'));
  Tear("yOZDB31");
  Tear("yOZMesg");
  const std::string torn = Bytes("yOZDB31");

  File->CurrentUser->LogInName = "NEWCOMER";
  EXPECT_EQ(Raised([&] { File->RegisterCurrentUser(); }), "Unable to perform lookup on user NEWCOMER Corrupted dataset");
  EXPECT_TRUE(ShuttingDown);
  EXPECT_EQ(Bytes("yOZDB31"), torn);

  TBoardRows board;
  board.Rows.push_back(TListRow{"kept"});
  EXPECT_EQ(Raised([&] { File->FillMainList(&board); }), "Unable to read dataset - Corrupted dataset");
  ASSERT_EQ(board.Rows.size(), 1u);
  EXPECT_EQ(board.Rows[0].Caption, "kept");
  TStringList names;
  EXPECT_EQ(Raised([&] { File->FillUserNames(&names); }), "Unable to read dataset - Corrupted dataset");
  EXPECT_EQ(Raised([&] { static_cast<void>(File->OneAdministratorOnly()); }), "Unable to read dataset - Corrupted dataset");

  EXPECT_EQ(Raised([&] { static_cast<void>(messages.HasNewMessages()); }), "Unable to read yOZ message database - Corrupted dataset");
  EXPECT_EQ(Raised([&] { int n, o; messages.InBoxRows(n, o); }),
            "Unable to read yOZ message database - Corrupted dataset");
  EXPECT_EQ(Raised([&] { messages.ShowNewMessages(); }), "Unable to read yOZ message database - Corrupted dataset");
}

// A message file cut in half (a copy or a disk that failed) is reported by the check for new messages,
// not taken for a file without a message for us.
TEST_F(BadShare, AMessageFileCutInHalfIsReportedByTheCheckForNewMessages) {
  TYOZMessage messages(File.get());
  messages.SendMessage(GetLogInName(), GetLogInName(), "Waiting", "Body");
  const std::string isd = ReadWholeFile(Db.File("yOZMesg.isd"));
  WriteWholeFile(Db.File("yOZMesg.isd"), isd.substr(0, isd.size() / 2));
  EXPECT_TRUE(StartsWith(Raised([&] { static_cast<void>(messages.HasNewMessages()); }),
                         "Unable to read yOZ message database - "));
}

// Another copy making the message file: its data file is in place, its descriptor (renamed in last)
// not yet. The first message waits for the descriptor and is stored in that data set.
TEST_F(BadShare, ADataSetAnotherCopyIsMakingIsWaitedForAndUsed) {
  TTempFolder elsewhere{"making"};
  TIsamFile made("");
  ASSERT_TRUE(made.CreateFile(elsewhere.File("yOZMesg"), 10, MessageFileFormat));
  WriteWholeFile(Db.File("yOZMesg.isd"), ReadWholeFile(elsewhere.File("yOZMesg.isd")));
  TYOZMessage messages(File.get());
  std::vector<std::string> raised = RunAtOnce(2, [&](int i) {
    if (i == 0) return messages.SendMessage(GetLogInName(), GetLogInName(), "First", "Body");
    Sleep(300);
    ASSERT_TRUE(MoveFileA(elsewhere.File("yOZMesg.ism").c_str(), Db.File("yOZMesg.ism").c_str()));
  });
  EXPECT_TRUE(raised.empty()) << raised.front();
  EXPECT_TRUE(messages.HasNewMessages());
}

// Before the first message or department there is nothing to read, and that is no failure.
TEST_F(BadShare, MissingDataSetsAreEmptyNotDamaged) {
  TYOZMessage messages(File.get());
  int n = -1, o = -1;
  EXPECT_TRUE(messages.InBoxRows(n, o).empty());
  EXPECT_EQ(n + o, 0);
  TYOZDepartment departments;
  TRecordingTree tree;
  departments.FillDepartmentTree(&tree);
  EXPECT_EQ(tree.Nodes, std::vector<std::string>{"Departments"});
}

// A folder stored without its closing backslash names every file inside the folder.
TEST_F(BadShare, AFolderWithoutItsBackslashIsUsedAsTheFolder) {
  TTempFolder share{"nobackslash"};
  const std::string bare = share.Path().substr(0, share.Path().size() - 1);
  TyOZFile db(bare);
  EXPECT_EQ(db.DBPath, share.Path());
  db.RegisterCurrentUser();
  EXPECT_TRUE(FileExists(share.File("yOZDB31.ism")));
  EXPECT_FALSE(FileExists(bare + "yOZDB31.ism"));
  db.CurrentUser->Status = "At lunch";
  db.SaveCurrentUserStatus();
  db.LoadCurrentUser();
  EXPECT_EQ(db.StoredStatus, "At lunch");
  TBoardRows board;
  db.FillMainList(&board);
  EXPECT_EQ(board.Rows.size(), 1u);
}

// Periods outside what the settings dialog gives (0 to 360 seconds) are taken as the nearest it does.
TEST(BadSettings, TimerPeriodsAreKeptWithinTheDialogsRange) {
  TRegistrySandbox sandbox;
  struct {
    DWORD Stored;
    int32_t Loaded;
  } cases[] = {{0, 0}, {10, 10}, {360, 360}, {361, 360}, {5000000, 360}, {0x80000000u, 360}, {4294967295u, 360}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.Stored);
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\QDSoftware\\yOZ", 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, "UpdateDisplayTime", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&c.Stored), sizeof c.Stored);
    RegSetValueExA(k, "CheckForNewMsgEvery", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&c.Stored), sizeof c.Stored);
    RegCloseKey(k);
    TyOZCBRec rec;
    TyOZCB().LoadSettings(rec);
    EXPECT_EQ(rec.UpdateDisplayTime, c.Loaded);
    EXPECT_EQ(rec.CheckForNewMsgEvery, c.Loaded);
  }
}

// The alert list stays in the Windows directory while that can be written; otherwise it moves to the
// user's own folder, and is read back from there.
TEST(AlertFile, KeptInTheUsersOwnFolderWhenTheWindowsDirectoryCannotBeWritten) {
  TTempFolder windows{"alertwin"}, own{"alertown"};
  const std::string ownFolder = own.Path() + "yOZ";
  TyOZAlert list;
  list.AddAlert("BOB", "Bob", "Available");
  EXPECT_EQ(AlertFileToRead(windows.Path(), ownFolder), AlertFileIn(windows.Path()));
  SaveAlertFile(&list, windows.Path(), ownFolder);
  EXPECT_TRUE(FileExists(AlertFileIn(windows.Path())));
  EXPECT_FALSE(FileExists(AlertFileIn(ownFolder)));

  const std::string locked = windows.Path() + "no-such-folder\\";  // cannot be written
  SaveAlertFile(&list, locked, ownFolder);
  ASSERT_TRUE(FileExists(AlertFileIn(ownFolder)));
  EXPECT_EQ(AlertFileToRead(locked, ownFolder), AlertFileIn(ownFolder));
  TyOZAlert back;
  back.LoadFromFile(AlertFileToRead(locked, ownFolder));
  EXPECT_TRUE(back.Contains("BOB"));
  // Once kept in the own folder it stays there, so reading and writing never part.
  list.AddAlert("CAROL", "Carol", "DND");
  SaveAlertFile(&list, windows.Path(), ownFolder);
  TyOZAlert again;
  again.LoadFromFile(AlertFileToRead(windows.Path(), ownFolder));
  EXPECT_TRUE(again.Contains("CAROL"));
  DeleteFileA(AlertFileIn(ownFolder).c_str());
  RemoveDirectoryA(ownFolder.c_str());
}

// What keeps a folder from serving as the database folder is said before it is taken; a folder with
// or without a database that opens serves, and the probe for writing leaves nothing behind.
TEST(DatabaseFolder, WhatKeepsAFolderFromServingIsSaid) {
  TTempFolder share{"folders"};
  EXPECT_EQ(DatabaseFolderProblem(share.Path()), "");
  const std::string deep = share.Path() + std::string(255 - share.Path().size(), 'x');
  EXPECT_EQ(DatabaseFolderProblem(deep),
            "The path of the yOZ database location \"" + deep + "\\\" is longer than 255 characters.\r\r"
            "Please choose a folder with a shorter path.");
  EXPECT_EQ(DatabaseFolderProblem(share.File("gone")),
            "Unable to access the yOZ database location \"" + share.File("gone") + "\\\"");
  WriteWholeFile(share.File("file"), "x");
  EXPECT_EQ(DatabaseFolderProblem(share.File("file") + "\\"),
            "The yOZ database location \"" + share.File("file") + "\\\" is a file, not a folder.");

  TyOZFile db(share.Path());
  db.RegisterCurrentUser();
  EXPECT_EQ(DatabaseFolderProblem(share.Path()), "");
  WriteWholeFile(share.File("yOZDB31.isd"), std::string(8192, 'x'));
  EXPECT_TRUE(StartsWith(DatabaseFolderProblem(share.Path()), "Unable to open the yOZ database in \"" + share.Path() + "\" - "));

  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(share.File("*.tmp").c_str(), &found);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << found.cFileName;
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}
