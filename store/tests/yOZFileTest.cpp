#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "IsamFile.h"
#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZFile.h"

namespace {

class DatabaseTest : public ::testing::Test {
protected:
  void SetUp() override {
    RecordMessageBoxes();
    IsAdministrator = false;
    ShowOfflineUsers = true;
    File = std::make_unique<TyOZFile>(Db.Path(), TyOZFileHooks{[this](const std::string& t) { StatusText.push_back(t); },
                                                                [this](int i) { TrayImages.push_back(i); },
                                                                [this] { ShuttingDown = true; }});
  }
  void TearDown() override { File.reset(); }

  void UseLog(uint8_t LogType) {
    TyOZConfigRec rec = File->ReadConfig();
    rec.LogType = LogType;
    File->WriteConfig(rec);
  }

  // The colleague's record, as the registration on his machine writes it.
  void AddColleague() {
    TIsamFile f("");
    ASSERT_TRUE(f.Open(Db.Path() + "yOZDB31", 3));
    TUserRec rec;
    rec.SetName("COLLEAGUE");
    rec.SetLogInName("COLLEAGUE");
    rec.SetStatus("Available");
    rec.SetUpdated(DateTimeToStr(Now()));
    ASSERT_TRUE(f.Add(rec.Data, ""));
    f.Close();
  }

  // The stored record of a login, read straight from the user file.
  TUserRec Stored(const std::string& LogInName) {
    TIsamFile f("");
    TUserRec rec;
    EXPECT_TRUE(f.Open(Db.Path() + "yOZDB31", 3));
    EXPECT_TRUE(f.GetEqual(rec.Data, 7, LogInName)) << LogInName;
    f.Close();
    return rec;
  }

  TTempFolder Db{"db"};
  std::unique_ptr<TyOZFile> File;
  std::vector<std::string> StatusText;
  std::vector<int> TrayImages;
  bool ShuttingDown = false;
};

std::string Me() { return GetLogInName(); }

// A user in memory is no value to copy: the details one by one.
void CopyDetails(const TUser& From, TUser& To) {
  To.Name = From.Name;
  To.Status = From.Status;
  To.Comments = From.Comments;
  To.Extension = From.Extension;
  To.Department = From.Department;
  To.LogInName = From.LogInName;
  To.Administrator = From.Administrator;
}

}  // namespace

TEST_F(DatabaseTest, FirstLoginIsAdministratorLaterOnesArePlainUsers) {
  ASSERT_FALSE(FileExists(Db.File("yOZDB31.ism")));
  File->RegisterCurrentUser();
  EXPECT_TRUE(IsAdministrator);
  TUserRec me = Stored(Me());
  EXPECT_EQ(me.Administrator(), 1);
  EXPECT_EQ(me.Name(), Me());
  EXPECT_EQ(me.Status(), "Available");
  EXPECT_EQ(me.Comments(), "");
  EXPECT_FALSE(me.Updated().empty());

  AddColleague();

  std::string name, status, comments, ext, dept, login;
  int16_t admin = -1;
  File->ShowUser(1, name, status, comments, ext, dept, login, admin);
  EXPECT_EQ(login, Me());
  EXPECT_EQ(admin, 1);
  File->ShowUser(2, name, status, comments, ext, dept, login, admin);
  EXPECT_EQ(login, "COLLEAGUE");
  EXPECT_EQ(admin, 0);

  // Registering again writes nothing, and the administrator flag is left as it was.
  IsAdministrator = false;
  File->RegisterCurrentUser();
  EXPECT_EQ(File->BoardRows().size(), 2u);
  EXPECT_FALSE(IsAdministrator);
}

TEST_F(DatabaseTest, OwnStatusChangeRewritesRecordLogsAndSetsTray) {
  File->RegisterCurrentUser();
  UseLog(1);
  File->LoadCurrentUser();
  EXPECT_EQ(File->StoredStatus, "Available");
  File->CurrentUser->Status = "At lunch";
  File->SaveCurrentUserStatus();
  EXPECT_EQ(Stored(Me()).Status(), "At lunch");
  ASSERT_FALSE(TrayImages.empty());
  EXPECT_EQ(TrayImages.back(), 0);
  EXPECT_TRUE(IsAdministrator);
  auto lines = SplitLines(ReadWholeFile(Db.File("yOZLog.txt")));
  ASSERT_EQ(lines.size(), 7u);
  std::string entry = " " + Me() + " (" + Me() + ") status changed from \"Available\" to \"At lunch\"";
  EXPECT_EQ(lines[6].substr(lines[6].size() - entry.size()), entry);

  // The same status again: record rewritten, no log line.
  File->SaveCurrentUserStatus();
  EXPECT_EQ(SplitLines(ReadWholeFile(Db.File("yOZLog.txt"))).size(), 7u);
  EXPECT_EQ(TrayImages.size(), 2u);
}

TEST_F(DatabaseTest, StatusChangeKeepsDetailsChangedElsewhere) {
  File->RegisterCurrentUser();
  File->LoadCurrentUser();
  // An administrator's edit on another machine.
  TUser edit;
  edit.LogInName = Me();
  edit.Name = "Jo Smith";
  edit.Status = "Available";
  edit.Extension = "4711";
  edit.Department = "Sales";
  edit.Comments = "back at 3";
  edit.Administrator = 0;
  File->UpdateUser(&edit);
  File->CurrentUser->Status = "In meeting";
  File->SaveCurrentUserStatus();
  TUserRec rec = Stored(Me());
  EXPECT_EQ(rec.Status(), "In meeting");
  EXPECT_EQ(rec.Name(), "Jo Smith");
  EXPECT_EQ(rec.Extension(), "4711");
  EXPECT_EQ(rec.Department(), "Sales");
  EXPECT_EQ(rec.Administrator(), 0);
  EXPECT_EQ(File->CurrentUser->Comments, "back at 3");
  EXPECT_FALSE(IsAdministrator);
  EXPECT_EQ(TrayImages.back(), 5);
}

TEST_F(DatabaseTest, AdministratorChangingAnotherUserLogsThatUser) {
  File->RegisterCurrentUser();
  AddColleague();
  UseLog(2);
  TBoardRows board;
  File->FillMainList(&board);
  ASSERT_EQ(board.Rows.size(), 2u);
  board.Selected = 1;
  File->SetSelectedUsersStatus(&board, "Gone home");
  EXPECT_EQ(Stored("COLLEAGUE").Status(), "Gone home");
  EXPECT_EQ(Stored(Me()).Status(), "Available");
  EXPECT_TRUE(TrayImages.empty());
  auto lines = SplitLines(ReadWholeFile(Db.File("yOZLog.csv")));
  ASSERT_EQ(lines.size(), 2u);
  std::string tail = ",\"COLLEAGUE\",\"COLLEAGUE\",\"Available\",\"Gone home\"";
  EXPECT_EQ(lines[1].substr(lines[1].size() - tail.size()), tail);
  // Nothing selected: nobody changes.
  board.Selected = -1;
  File->SetSelectedUsersStatus(&board, "At lunch");
  EXPECT_EQ(Stored("COLLEAGUE").Status(), "Gone home");
}

TEST_F(DatabaseTest, DeletedLoginIsReportedNotRaisedOnLoad) {
  File->RegisterCurrentUser();
  File->DeleteUser(1);
  StatusText.clear();
  EXPECT_NO_THROW(File->LoadCurrentUser());
  ASSERT_EQ(StatusText.size(), 1u);
  EXPECT_EQ(StatusText[0], "Your login " + Me() + " has been removed from the yOZ board");
  // The user is told in plain words what happened and how to get back on the board.
  const std::string removed = "Your login " + Me() +
                              " has been removed from the yOZ board by an administrator.\r\rStart yOZ again to "
                              "register it.";
  try {
    File->SaveCurrentUserStatus();
    FAIL();
  } catch (const EUserRemoved& e) {
    EXPECT_EQ(e.Message, removed);
  }
  try {
    File->UpdateUser(File->CurrentUser.get());
    FAIL();
  } catch (const EUserRemoved& e) {
    EXPECT_EQ(e.Message, removed);
  }
  try {
    File->DeleteUser(1);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Unable to erase user - Object not found");
  }
}

TEST_F(DatabaseTest, UnreachableFolderIsNamedByEveryOperation) {
  std::string stored = Db.Path().substr(0, Db.Path().size() - 1);  // as a user might type it
  File = std::make_unique<TyOZFile>(stored, TyOZFileHooks{nullptr, nullptr, [this] { ShuttingDown = true; }});
  DeleteFileA(Db.File("yOZ.cfg").c_str());
  RemoveDirectoryA(Db.Path().c_str());
  auto message = [](auto op) {
    try {
      op();
    } catch (const Exception& e) {
      return e.Message;
    }
    return std::string("no exception");
  };
  const std::string q = "\"" + Db.Path() + "\"";
  EXPECT_EQ(message([&] { File->LoadCurrentUser(); }), "Unable to access the yOZ database location " + q);
  EXPECT_EQ(message([&] { File->UpdateUser(File->CurrentUser.get()); }),
            "Unable to update user - unable to access the yOZ database location " + q);
  EXPECT_EQ(message([&] { File->SaveCurrentUserStatus(); }),
            "Unable to update status - unable to access the yOZ database location " + q);
  EXPECT_EQ(message([&] { File->DeleteUser(1); }), "Unable to delete user - unable to access the yOZ database location " + q);
  EXPECT_FALSE(ShuttingDown);
  // The folder is kept with its backslash from the start, so registration names it the same way.
  EXPECT_EQ(message([&] { File->RegisterCurrentUser(); }), "Unable to access the yOZ database location " + q);
  EXPECT_TRUE(ShuttingDown);
  CreateDirectoryA(Db.Path().c_str(), nullptr);
}

TEST_F(DatabaseTest, LongTextsAreCutToTheirFields) {
  File->RegisterCurrentUser();
  TUser edit;
  edit.LogInName = Me();
  edit.Name = std::string(70, 'N');
  edit.Status = std::string(40, 'S');
  edit.Comments = std::string(60, 'C');
  edit.Extension = "123456789012";
  File->UpdateUser(&edit);
  TUserRec rec = Stored(Me());
  EXPECT_EQ(rec.Name(), std::string(50, 'N'));
  EXPECT_EQ(rec.Status(), std::string(30, 'S'));
  EXPECT_EQ(rec.Comments(), std::string(50, 'C'));
  EXPECT_EQ(rec.Extension(), "1234567890");
  // A shorter value leaves no trace of the longer one.
  edit.Name = "Al";
  File->UpdateUser(&edit);
  rec = Stored(Me());
  EXPECT_EQ(rec.Name(), "Al");
  for (int i = TUserRec::oName + 2; i < TUserRec::oName + TUserRec::sName; ++i) EXPECT_EQ(rec.Data[i], 0) << i;
}

// An administrator's edit writes what she changed over the record as it is now: the colleague's
// status change since she chose him stays, and an edit that changes nothing writes nothing.
TEST_F(DatabaseTest, AdministratorsEditWritesOnlyWhatSheChanged) {
  File->RegisterCurrentUser();
  AddColleague();
  TUser shown;
  shown.Name = "COLLEAGUE";
  shown.Status = "Available";
  shown.LogInName = "COLLEAGUE";
  shown.Administrator = 0;
  shown.Extension = shown.Department = shown.Comments = "";
  {
    TIsamFile f("");  // meanwhile, on his machine, he goes to lunch
    ASSERT_TRUE(f.Open(Db.Path() + "yOZDB31", 3));
    TUserRec rec;
    ASSERT_TRUE(f.GetEqual(rec.Data, 7, "COLLEAGUE"));
    rec.SetStatus("At lunch");
    rec.SetUpdated("earlier");
    ASSERT_TRUE(f.Replace(rec.Data, f.LastKey));
    f.Close();
  }
  TUser edited;
  CopyDetails(shown, edited);
  File->UpdateChangedDetails(shown, edited);
  EXPECT_EQ(Stored("COLLEAGUE").Updated(), "earlier");
  edited.Extension = "4711";
  edited.Department = "Sales";
  File->UpdateChangedDetails(shown, edited);
  TUserRec rec = Stored("COLLEAGUE");
  EXPECT_EQ(rec.Status(), "At lunch");
  EXPECT_EQ(rec.Extension(), "4711");
  EXPECT_EQ(rec.Department(), "Sales");
  EXPECT_EQ(rec.Name(), "COLLEAGUE");
  EXPECT_NE(rec.Updated(), "earlier");
  edited.Status = "Gone home";
  edited.Administrator = 1;
  File->UpdateChangedDetails(shown, edited);
  rec = Stored("COLLEAGUE");
  EXPECT_EQ(rec.Status(), "Gone home");
  EXPECT_EQ(rec.Administrator(), 1);
  EXPECT_EQ(Stored(Me()).Status(), "Available");
}

// Two users of one name would be two rows nobody can tell apart: a name another user has is refused
// as a person reads names (case and surrounding blanks aside), the user's own name is not.
TEST_F(DatabaseTest, AdministratorsEditRefusesANameAnotherUserHas) {
  File->RegisterCurrentUser();
  AddColleague();
  TUser shown;
  shown.Name = shown.LogInName = "COLLEAGUE";
  shown.Status = "Available";
  shown.Extension = shown.Department = shown.Comments = "";
  shown.Administrator = 0;
  TUser edited;
  CopyDetails(shown, edited);
  for (const std::string& name : {Me(), " " + LowerCase(Me()) + " "}) {
    edited.Name = name;
    try {
      File->UpdateChangedDetails(shown, edited);
      FAIL() << name;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message, "User \"" + Trim(name) + "\" already exists");
    }
    EXPECT_EQ(Stored("COLLEAGUE").Name(), "COLLEAGUE");
  }
  edited.Name = " colleague ";
  File->UpdateChangedDetails(shown, edited);
  EXPECT_EQ(Stored("COLLEAGUE").Name(), " colleague ");
}

TEST_F(DatabaseTest, UpdateUserOfAnUnknownLoginRaises) {
  File->RegisterCurrentUser();
  TUser edit;
  edit.LogInName = "NOBODY";
  try {
    File->UpdateUser(&edit);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Unable to perform lookup on user NOBODY Object not found");
  }
}

// Copies starting at once on a new, empty folder: each finds no user file; one creates it and
// becomes the administrator, and no registration fails because another copy created the file first.
TEST(RegistrationRace, CopiesStartingAtOnceOnANewDatabaseAllRegister) {
  RecordMessageBoxes();
  constexpr int Copies = 6;
  for (int round = 0; round < 3; ++round) {
    TTempFolder db("regrace");
    std::vector<std::unique_ptr<TyOZFile>> copies;
    for (int i = 0; i < Copies; ++i) copies.push_back(std::make_unique<TyOZFile>(db.Path()));
    std::vector<std::string> raised = RunAtOnce(Copies, [&](int i) { copies[i]->RegisterCurrentUser(); });
    EXPECT_TRUE(raised.empty()) << raised.front();
    TIsamFile f("");
    ASSERT_TRUE(f.Open(db.Path() + "yOZDB31", 3));
    TUserRec first;
    ASSERT_TRUE(f.GetEqual(first.Data, 0, "0000000001"));
    EXPECT_EQ(first.LogInName(), Me());
    int administrators = 0;
    TUserRec rec;
    ASSERT_TRUE(f.First(0));
    while (f.GetNext(rec.Data, 0, 16, "")) administrators += rec.Administrator() == 1;
    EXPECT_EQ(administrators, 1);
    f.Close();
  }
}
