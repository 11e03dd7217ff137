// The main window in the test's own process: start-up, the board, the status commands, the timers that
// follow other copies, the department tree, the alert list, enabling rules, closing.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "KLNStringUtils.h"
#include "StTrIcon.h"
#include "SysUtils.h"
#include "WinUtils.h"

#include <shlobj.h>

#include <cstdio>

namespace {

std::string Login() { return GetLogInName(); }

std::string ReadWholeFile(const std::string& FileName) {
  std::string s;
  if (FILE* f = fopen(FileName.c_str(), "rb")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
    fclose(f);
  }
  return s;
}

void WriteWholeFile(const std::string& FileName, const std::string& Text) {
  if (FILE* f = fopen(FileName.c_str(), "wb")) {
    fwrite(Text.data(), 1, Text.size(), f);
    fclose(f);
  }
}

class MainWindow : public ::testing::Test {
protected:
  TSettingsSandbox Sandbox;
  TTestFolder Folder{"db"};
  TBoxAnswers Boxes;
  TfrmMain* Form = nullptr;

  void SetUp() override {
    DeleteFileA(AlertFile().c_str());
    IsAdministrator = false;
  }
  void TearDown() override {
    if (Form) FreeMainWindow(Form);
    DeleteFileA(AlertFile().c_str());
    MainDialogs = TMainDialogs();
    WinUtilsSystemParametersInfo = SystemParametersInfoA;
  }
  static std::string AlertFile() { return AddBackslash(GetWindowsDir()) + GetLogInName() + ".yOZ"; }

  // Starts the board on a database that holds, besides the current user, the given others.
  void Start(std::function<void(TyOZCBRec&)> Change = nullptr, int Board = 1, int Messages = 1,
             bool Visible = false) {
    WriteTestSettings(Folder.Path(), Board, Messages, Change);
    Form = MakeMainWindow(Visible);
    ASSERT_NE(Form, nullptr);
    ASSERT_FALSE(Form->ShuttingDown);
  }

  int RowOf(const std::string& LogInName) {
    for (int i = 0; i < Form->Board()->RowCount(); ++i)
      if (Form->Board()->Row(i).SubItem(bsLogInName) == LogInName) return i;
    return -1;
  }
  std::string StatusOnBoard(const std::string& LogInName) {
    int i = RowOf(LogInName);
    return i < 0 ? "<missing>" : Form->Board()->Row(i).SubItem(bsStatus);
  }
  void SelectRow(const std::string& LogInName) {
    int i = RowOf(LogInName);
    ASSERT_GE(i, 0);
    Form->lvMain->Items()->Item(i)->SetSelected(true);
  }
  // A command run from a menu or key: what it raises is shown by the window's exception box.
  void RunAsTheUserDoes(TAction* Action) {
    try {
      Action->Execute();
    } catch (Exception& e) {
      Form->AppEventsException(Form, &e);
    }
  }
  // The board timer's tick after another copy's write.
  void BoardTick() { Form->tmrUpdateListViewTimer(Form->tmrUpdateListView); }
};

// --- start-up --------------------------------------------------------------------------------------

TEST_F(MainWindow, FirstActivationRegistersTheUserAsAvailableAndFillsTheBoard) {
  Start();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Available");
  ASSERT_EQ(Form->Board()->RowCount(), 1);
  TListRow row = Form->Board()->Row(0);
  EXPECT_EQ(row.Caption, Login());
  EXPECT_EQ(row.SubItem(bsStatus), "Available");
  EXPECT_EQ(row.SubItem(bsUpdated).rfind("Today ", 0), 0u) << row.SubItem(bsUpdated);
  EXPECT_EQ(row.ImageIndex, 1);
  // The first user of a new database administers it.
  EXPECT_TRUE(IsAdministrator);
  // The tree is filled last and has its root.
  ASSERT_NE(Form->tvMain->Items()->GetFirstNode(), nullptr);
  EXPECT_EQ(Form->tvMain->Items()->GetFirstNode()->Text(), "Departments");
  // The "PC Name" column is never shown.
  EXPECT_EQ(Form->lvMain->Column(BoardPCNameColumn)->Width(), 0);
  EXPECT_EQ(Form->StTrayIcon->ImageIndex(), 1);
  EXPECT_TRUE(Boxes.Shown.empty()) << Boxes.Shown[0].Text;
}

TEST_F(MainWindow, ResizingFitsTheColumnsAndKeepsThePCNameHidden) {
  Start(nullptr, 1, 1, true);
  AddUser(Folder.Path(), "BARTHOLOMEW_THE_LONG_NAMED", "Available");
  Form->RefillBoard();
  Form->lvMain->Column(BoardPCNameColumn)->SetWidth(60);
  Form->lvMain->Column(0)->SetWidth(5);
  Form->SetWidth(Form->Width() + 40);
  Application->ProcessMessages();
  EXPECT_EQ(Form->lvMain->Column(BoardPCNameColumn)->Width(), 0);
  EXPECT_GT(Form->lvMain->Column(0)->Width(), 120);  // the long name fits
}

TEST_F(MainWindow, TimersFollowTheSettings) {
  Start([](TyOZCBRec& r) { r.DetectScreenSaver = true; }, 3, 7);
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
  EXPECT_EQ(Form->tmrUpdateListView->Interval(), 3000u);
  EXPECT_TRUE(Form->tmrCheckForMessages->Enabled());
  EXPECT_EQ(Form->tmrCheckForMessages->Interval(), 7000u);
  EXPECT_TRUE(Form->tmrScreenSaver->Enabled());
  EXPECT_EQ(Form->tmrScreenSaver->Interval(), 5000u);
  EXPECT_EQ(Form->ScreenSaverStatus, "Away from desk");
}

TEST_F(MainWindow, ZeroPeriodsOrNoMessagesLeaveTheTimersOff) {
  Start(nullptr, 0, 0);
  EXPECT_FALSE(Form->tmrUpdateListView->Enabled());
  EXPECT_FALSE(Form->tmrCheckForMessages->Enabled());
  EXPECT_FALSE(Form->tmrScreenSaver->Enabled());
  FreeMainWindow(Form);

  // Messages switched off in yOZ.cfg: the message timer stays off whatever its period.
  TyOZFile db(Folder.Path());
  TyOZConfigRec cfg = db.ReadConfig();
  cfg.AllowMessages = 0;
  db.WriteConfig(cfg);
  Start(nullptr, 1, 5);
  EXPECT_FALSE(Form->tmrCheckForMessages->Enabled());
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
}

TEST_F(MainWindow, PeriodsBeyondTheSettingsDialogRunTheTimersAtItsLongest) {
  // 3000000 s would overflow in milliseconds; -1 is the DWORD 4294967295. Neither stops the start.
  struct {
    int Board, Messages;
  } cases[] = {{3000000, 1}, {3000000, -1}, {1, 5000000}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.Board);
    Boxes.Shown.clear();
    Start(nullptr, c.Board, c.Messages);
    for (auto& b : Boxes.Shown) EXPECT_EQ(b.Text.find("The following error occurred"), std::string::npos) << b.Text;
    EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
    EXPECT_TRUE(Form->tmrCheckForMessages->Enabled());
    EXPECT_EQ(Form->tmrUpdateListView->Interval(), c.Board == 1 ? 1000u : 360000u);
    EXPECT_EQ(Form->tmrCheckForMessages->Interval(), c.Messages == 1 ? 1000u : 360000u);
    ASSERT_NE(Form->tvMain->Items()->GetFirstNode(), nullptr);  // the start ran to its end
    FreeMainWindow(Form);
  }
}

TEST_F(MainWindow, HolidayWordingFollowsTheVacationSetting) {
  Start([](TyOZCBRec& r) { r.UseVacation = false; });
  EXPECT_EQ(Form->actOnHoliday->Caption(), "On holiday");
  EXPECT_EQ(Form->actOnHoliday->Hint(), "I'm on holiday");
  Form->actOnHoliday->Execute();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "On holiday");
  FreeMainWindow(Form);
  Start([](TyOZCBRec& r) { r.UseVacation = true; });
  EXPECT_EQ(Form->actOnHoliday->Caption(), "On Vacation");
  EXPECT_EQ(Form->actOnHoliday->Hint(), "I'm on vacation");
  // The menus and the bars' button show the new wording.
  for (const char* name : {"popOnHoliday", "trayOnHoliday"}) {
    auto* item = dynamic_cast<TMenuItem*>(Form->FindComponent(name));
    ASSERT_NE(item, nullptr) << name;
    EXPECT_EQ(item->Caption(), "On Vacation") << name;
  }
  auto* button = dynamic_cast<TdxBarButton*>(Form->FindComponent("btnOnHoliday"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Caption(), "On Vacation");
  EXPECT_EQ(button->Hint(), "I'm on vacation");
  Form->actOnHoliday->Execute();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "On vacation");
}

TEST_F(MainWindow, AppearanceComesFromTheSettings) {
  Start([](TyOZCBRec& r) {
    r.MainFontColour = 0x0000FF;
    r.MainFontSize = 12;
    r.ShowGrid = true;
    r.DisplayDepartments = false;
    r.MainLeft = 20;
    r.MainTop = 30;
    r.MainWidth = 600;
    r.MainHeight = 400;
  });
  EXPECT_EQ(Form->lvMain->Font()->Color(), 0x0000FF);
  EXPECT_EQ(Form->lvMain->Font()->Size(), 12);
  EXPECT_TRUE(Form->lvMain->GridLines());
  EXPECT_EQ(Form->stMain->Position(), 0);
  EXPECT_EQ(Form->stMain->SplitterWidth(), 0);
  EXPECT_EQ(Form->Width(), 600);
  EXPECT_EQ(Form->Height(), 400);
}

TEST_F(MainWindow, AHiddenTreeLeavesNoStripBesideTheBoard) {
  Start([](TyOZCBRec& r) { r.DisplayDepartments = false; }, 1, 1, true);
  PumpUntilPainted(Form->Handle());
  TPTPane* tree = Form->stMain->Panes(0);
  TPTPane* board = Form->stMain->Panes(1);
  ASSERT_TRUE(tree && board);
  EXPECT_EQ(tree->MinSize(), 0);
  EXPECT_EQ(tree->Width(), 0);
  EXPECT_EQ(board->Left(), 0);
  EXPECT_EQ(board->Width(), Form->stMain->ClientWidth());
  FreeMainWindow(Form);

  // Shown, the tree takes the stored width and a 3-pixel bar parts it from the board.
  Start([](TyOZCBRec& r) {
    r.DisplayDepartments = true;
    r.SplitterPos = 120;
  }, 1, 1, true);
  PumpUntilPainted(Form->Handle());
  EXPECT_EQ(Form->stMain->Panes(0)->Width(), 120);
  EXPECT_EQ(Form->stMain->Panes(1)->Left(), 123);
}

TEST_F(MainWindow, FirstRunCanPutTheBoardIntoTheStartUpFolder) {
  char startup[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, startup, CSIDL_STARTUP, TRUE));
  const std::string link = std::string(startup) + "\\yOZ.lnk";
  DeleteFileA(link.c_str());
  Boxes.Answers = {mrYes};
  Start([](TyOZCBRec& r) { r.FirstTimeRun = true; });
  EXPECT_TRUE(Boxes.Contains("yOZ will now start automatically on startup"));
  EXPECT_TRUE(FileExists(link));
  DeleteFileA(link.c_str());
}

TEST_F(MainWindow, FirstRunOffersTheStartUpShortcutOnce) {
  Boxes.Answers = {mrNo};
  Start([](TyOZCBRec& r) { r.FirstTimeRun = true; });
  EXPECT_TRUE(Boxes.Contains("Thankyou for using yOZ.\r\rWould you like yOZ to start automatically on startup?"));
  TyOZCBRec rec;
  TyOZCB().LoadSettings(rec);
  EXPECT_FALSE(rec.FirstTimeRun);
}

// A user without a Startup folder (a login new to the machine, or one that removed it) gets one; a
// link that cannot be written is said so, never announced as made.
TEST_F(MainWindow, TheStartUpShortcutMakesItsFolderAndIsAnnouncedOnlyWhenWritten) {
  char path[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_STARTUP, TRUE));
  const std::string startup = path, link = startup + "\\yOZ.lnk";
  DeleteFileA(link.c_str());
  ASSERT_TRUE(RemoveDirectoryA(startup.c_str()));
  Boxes.Answers = {mrYes};
  Start([](TyOZCBRec& r) { r.FirstTimeRun = true; });
  EXPECT_TRUE(Boxes.Contains("yOZ will now start automatically on startup"));
  EXPECT_TRUE(FileExists(link));
  FreeMainWindow(Form);
  DeleteFileA(link.c_str());

  // A file where the folder belongs: nothing can be written there.
  ASSERT_TRUE(RemoveDirectoryA(startup.c_str()));
  WriteWholeFile(startup, "not a folder");
  Boxes.Shown.clear();
  Boxes.Answers = {mrYes};
  Start([](TyOZCBRec& r) { r.FirstTimeRun = true; });
  DeleteFileA(startup.c_str());
  CreateDirectoryA(startup.c_str(), nullptr);
  EXPECT_FALSE(Boxes.Contains("yOZ will now start automatically on startup"));
  ASSERT_TRUE(Boxes.Contains("Unable to create the yOZ start-up shortcut"));
  for (auto& b : Boxes.Shown)
    if (b.Text == "Unable to create the yOZ start-up shortcut") {
      EXPECT_EQ(b.Type, mtError);
    }
}

// --- damaged shared files at start ---------------------------------------------------------------

TEST_F(MainWindow, ADamagedUserFileIsShownAndEndsTheBoard) {
  TIsamFile users("");
  ASSERT_TRUE(users.CreateFile(Folder.Path() + "yOZDB31", 10, UserFileFormat));
  AddUser(Folder.Path(), "BOB", "Available");
  WriteWholeFile(Folder.Path() + "yOZDB31.isd", std::string(3000, 'x'));
  WriteTestSettings(Folder.Path());
  Form = MakeMainWindow();
  ASSERT_FALSE(Boxes.Shown.empty());
  EXPECT_EQ(Boxes.Shown[0].Text, "The following error occurred within yOZ - Unable to open dataset - File is not isam format");
  EXPECT_EQ(Boxes.Shown.size(), 1u);
  EXPECT_TRUE(Form->ShuttingDown);
  EXPECT_FALSE(Form->tmrUpdateListView->Enabled());
  EXPECT_EQ(ReadWholeFile(Folder.Path() + "yOZDB31.isd"), std::string(3000, 'x'));
}

TEST_F(MainWindow, AForeignDepartmentFileIsShownAndTheBoardStillComesUp) {
  TIsamFile foreign("");
  ASSERT_TRUE(foreign.CreateFile(Folder.Path() + "yOZDeps", 10, UserFileFormat));
  Start();
  EXPECT_TRUE(Boxes.Contains("The following error occurred within yOZ - Unable to read the departments - Corrupted dataset"));
  ASSERT_NE(Form->tvMain->Items()->GetFirstNode(), nullptr);
  EXPECT_EQ(Form->tvMain->Items()->GetFirstNode()->Text(), "Departments");
  EXPECT_EQ(Form->Caption(), "yOZ - All Departments");
  EXPECT_EQ(Form->Board()->RowCount(), 1);
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
}

// --- the second copy and the missing database ----------------------------------------------------

TEST_F(MainWindow, ASecondCopySaysSoAndTouchesNothing) {
  HANDLE first = CreateMutexA(nullptr, FALSE, "KLN - yOZ");
  WriteTestSettings(Folder.Path());
  Form = MakeMainWindow();
  CloseHandle(first);
  EXPECT_TRUE(Boxes.Contains("yOZ is already running!"));
  EXPECT_TRUE(Form->ShuttingDown);
  // It never registered, so the shared user file was not even made.
  EXPECT_FALSE(FileExists(Folder.Path() + "yOZDB31.ism"));
}

TEST_F(MainWindow, ASecondCopyLeavesTheRunningCopysAlertListAlone) {
  {
    TyOZAlert watched;
    watched.AddAlert("BOB", "Bob", "Available");
    watched.SaveToFile(AlertFile());
  }
  HANDLE first = CreateMutexA(nullptr, FALSE, "KLN - yOZ");
  WriteTestSettings(Folder.Path());
  Form = MakeMainWindow();
  CloseHandle(first);
  ASSERT_TRUE(Form->ShuttingDown);
  FreeMainWindow(Form);
  TyOZAlert kept;
  kept.LoadFromFile(AlertFile());
  EXPECT_TRUE(kept.Contains("BOB"));
}

TEST_F(MainWindow, AMissingDatabaseFolderAsksAndEnds) {
  const std::string gone = Folder.Path() + "gone\\";
  Boxes.Answers = {mrYes};
  WriteTestSettings(gone);
  Form = MakeMainWindow();
  ASSERT_GE(Boxes.Shown.size(), 2u);
  EXPECT_EQ(Boxes.Shown[0].Text, "yOZ was unable to locate the database location." + gone +
                                     "\r\rWould you like to choose a new database location?");
  EXPECT_EQ(Boxes.Shown[0].Type, mtConfirmation);
  EXPECT_EQ(Boxes.Shown[1].Text, "Please re-start yOZ and choose the new database location.");
  EXPECT_TRUE(Form->ShuttingDown);
  TyOZCBRec rec;
  TyOZCB().LoadSettings(rec);
  EXPECT_EQ(rec.yOZDBasePath, "");
  FreeMainWindow(Form);

  Boxes.Shown.clear();
  Boxes.Answers = {mrNo};
  WriteTestSettings(gone);
  Form = MakeMainWindow();
  ASSERT_GE(Boxes.Shown.size(), 2u);
  EXPECT_EQ(Boxes.Shown[1].Text, "yOZ requires a database to be able to run, and will now shut down.");
  TyOZCB().LoadSettings(rec);
  EXPECT_EQ(rec.yOZDBasePath, gone);  // kept: the user declined to choose another
}

TEST_F(MainWindow, AFolderWhoseConfigurationCannotBeOpenedEndsTheProgramCleanly) {
  // yOZ.cfg is a folder: the database object cannot be made.
  ASSERT_TRUE(CreateDirectoryA((Folder.Path() + "yOZ.cfg").c_str(), nullptr));
  WriteTestSettings(Folder.Path());
  Form = MakeMainWindow();
  RemoveDirectoryA((Folder.Path() + "yOZ.cfg").c_str());
  ASSERT_FALSE(Boxes.Shown.empty());
  EXPECT_EQ(Boxes.Shown[0].Text.rfind("The following error occurred within yOZ - ", 0), 0u) << Boxes.Shown[0].Text;
  EXPECT_TRUE(Form->ShuttingDown);
  EXPECT_EQ(yOZFile, nullptr);
  // The timers and closing leave the missing stores alone.
  Form->tmrUpdateListViewTimer(Form);
  Form->tmrCheckForMessagesTimer(Form);
  bool canClose = false;
  Form->FormCloseQuery(Form, canClose);
  EXPECT_TRUE(canClose);
}

// --- status commands -----------------------------------------------------------------------------

TEST_F(MainWindow, StatusCommandsChangeTheOwnStatus) {
  Start();
  struct {
    TAction* TfrmMain::*Action;
    const char* Status;
    int Image;
  } cases[] = {{&TfrmMain::actAtLunch, "At lunch", 0},        {&TfrmMain::actAwayFromDesk, "Away from desk", 2},
               {&TfrmMain::actDND, "DND", 3},                 {&TfrmMain::actGoneHome, "Gone home", 4},
               {&TfrmMain::actInMeeting, "In meeting", 5},    {&TfrmMain::actSick, "Off sick", 10},
               {&TfrmMain::actAvailable, "Available", 1}};
  for (auto& c : cases) {
    (Form->*c.Action)->Execute();
    EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), c.Status);
    EXPECT_EQ(StatusOnBoard(Login()), c.Status);
    EXPECT_EQ(Form->StTrayIcon->ImageIndex(), c.Image) << c.Status;
  }
}

TEST_F(MainWindow, AnAdministratorWithARowSelectedChangesThatUserOnly) {
  Start();
  AddUser(Folder.Path(), "BOB", "Available");
  Form->RefillBoard();
  ASSERT_TRUE(IsAdministrator);
  SelectRow("BOB");
  Form->actAtLunch->Execute();
  EXPECT_EQ(ReadUser(Folder.Path(), "BOB").Status(), "At lunch");
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Available");
  EXPECT_EQ(StatusOnBoard("BOB"), "At lunch");

  // No row selected: his own.
  Form->lvMain->ClearSelection();
  Form->actGoneHome->Execute();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Gone home");
  EXPECT_EQ(ReadUser(Folder.Path(), "BOB").Status(), "At lunch");
}

// The board refilled after another copy's write keeps the row the administrator chose: her next
// status command still goes to that user, not to herself.
TEST_F(MainWindow, ARefillKeepsTheSelectedRowForTheNextStatusCommand) {
  Start();
  AddUser(Folder.Path(), "BOB", "Available");
  AddUser(Folder.Path(), "ANN", "Available");
  Form->RefillBoard();
  SelectRow("BOB");
  WriteStatus(Folder.Path(), "ANN", "DND");
  Form->RefillBoard();
  ASSERT_EQ(StatusOnBoard("ANN"), "DND");
  ASSERT_NE(Form->lvMain->Selected(), nullptr);
  EXPECT_EQ(Form->Board()->Row(Form->Board()->SelectedIndex()).SubItem(bsLogInName), "BOB");
  Form->actInMeeting->Execute();
  EXPECT_EQ(ReadUser(Folder.Path(), "BOB").Status(), "In meeting");
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Available");
  // Gone from the board (a filter, a deletion), the row is selected no more.
  WriteStatus(Folder.Path(), "BOB", "Offline");
  ShowOfflineUsers = false;
  Form->RefillBoard();
  ShowOfflineUsers = true;
  EXPECT_EQ(Form->lvMain->Selected(), nullptr);
}

// A status that cannot be stored leaves the tray as it was.
TEST_F(MainWindow, AStatusThatCannotBeWrittenLeavesTheTrayAndSaysWhy) {
  Start();
  ASSERT_EQ(Form->StTrayIcon->ImageIndex(), 1);
  {
    // Another writer holds the user file's write lock longer than the store waits for it.
    const std::string data = Folder.Path() + UserFileName + ".isd";
    HANDLE h = CreateFileA(data.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    OVERLAPPED reserved{};
    reserved.Offset = 0x40000001;
    ASSERT_TRUE(LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &reserved));
    RunAsTheUserDoes(Form->actAtLunch);
    UnlockFileEx(h, 0, 1, 0, &reserved);
    CloseHandle(h);
  }
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Available");
  EXPECT_EQ(Form->StTrayIcon->ImageIndex(), 1);
  ASSERT_FALSE(Boxes.Shown.empty());
  const std::string text = Boxes.Shown.back().Text;
  EXPECT_EQ(text.rfind("The following error occurred within yOZ - Unable to replace record - ", 0), 0u) << text;
  // A file busy elsewhere is no folder that cannot be written: no such words.
  EXPECT_EQ(text.find("cannot be written"), std::string::npos) << text;
}

// A login an administrator removed while the board ran: the next status command says so plainly,
// and closing adds no box.
TEST_F(MainWindow, ARemovedLoginIsToldPlainlyOnceAndClosingIsQuiet) {
  Start([](TyOZCBRec& r) {
    r.ChangeStatusOnSD = true;
    r.ClearCommentOnSD = true;
  });
  AddUser(Folder.Path(), "BOB", "Available", "", 1);
  TStringList list;
  yOZFile->FillUserNames(&list);
  for (int i = 0; i < list.Count(); ++i)
    if (list.Strings(i) == Login()) yOZFile->DeleteUser(int(reinterpret_cast<intptr_t>(list.Objects(i))));
  ASSERT_EQ(ReadUser(Folder.Path(), Login()).Status(), "");
  Form->lvMain->ClearSelection();
  RunAsTheUserDoes(Form->actAtLunch);
  ASSERT_EQ(Boxes.Shown.size(), 1u);
  EXPECT_EQ(Boxes.Shown[0].Text, "Your login " + Login() +
                                     " has been removed from the yOZ board by an administrator.\r\rStart yOZ "
                                     "again to register it.");
  bool canClose = false;
  Form->FormCloseQuery(Form, canClose);
  EXPECT_TRUE(canClose);
  EXPECT_EQ(Boxes.Shown.size(), 1u);
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "");
}

TEST_F(MainWindow, AUserWhoIsNotAnAdministratorChangesOnlyHimself) {
  // Someone else made the database and administers it.
  {
    TyOZFile db(Folder.Path());
    TIsamFile f("");
    ASSERT_TRUE(f.CreateFile(Folder.Path() + UserFileName, 10, UserFileFormat));
  }
  AddUser(Folder.Path(), "BOB", "Available", "", 1);
  Start();
  ASSERT_FALSE(IsAdministrator);
  SelectRow("BOB");
  Form->actDND->Execute();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "DND");
  EXPECT_EQ(ReadUser(Folder.Path(), "BOB").Status(), "Available");
}

TEST_F(MainWindow, OutOfOfficeOpensTheCommentDialogAfterTheStatusIsWritten) {
  Start([](TyOZCBRec& r) { r.AutoComment = true; });
  std::string statusWhenAsked;
  int asked = 0;
  MainDialogs.Comments = [&] {
    ++asked;
    statusWhenAsked = ReadUser(Folder.Path(), Login()).Status();
  };
  Form->actOutOfOffice->Execute();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(statusWhenAsked, "Out of office");
  FreeMainWindow(Form);
  Start([](TyOZCBRec& r) { r.AutoComment = false; });
  Form->actOutOfOffice->Execute();
  EXPECT_EQ(asked, 1);
}

TEST_F(MainWindow, CustomStatusTakesThePickedTextAndAlwaysRestartsTheBoardTimer) {
  Start();
  bool timerDuringDialog = true;
  MainDialogs.SelectStatus = [&](std::string& s) {
    timerDuringDialog = Form->tmrUpdateListView->Enabled();
    return false;
  };
  Form->actCustomStatus->Execute();
  EXPECT_FALSE(timerDuringDialog);
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Available");

  MainDialogs.SelectStatus = [&](std::string& s) {
    s = "  Working from home ";
    return true;
  };
  Form->actCustomStatus->Execute();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Working from home");
  EXPECT_EQ(Form->Board()->Row(RowOf(Login())).ImageIndex, 9);

  // A failing write still leaves the board timer running.
  MainDialogs.SelectStatus = [&](std::string& s) -> bool { throw Exception("picker failed"); };
  EXPECT_THROW(Form->actCustomStatusExecute(Form), Exception);
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
}

// --- board timer ---------------------------------------------------------------------------------

TEST_F(MainWindow, TheBoardTimerShowsAnotherCopysChange) {
  Start();
  AddUser(Folder.Path(), "BOB", "Available");
  BoardTick();
  EXPECT_EQ(StatusOnBoard("BOB"), "Available");
  WriteStatus(Folder.Path(), "BOB", "In meeting");
  BoardTick();
  EXPECT_EQ(StatusOnBoard("BOB"), "In meeting");
  EXPECT_EQ(Form->Board()->Row(RowOf("BOB")).SubItem(bsUpdated).rfind("Today ", 0), 0u);
}

// Two writes inside one 2-second step of the runtime's FileAge are still two changes.
TEST_F(MainWindow, WritesCloseTogetherAreEachNoticed) {
  Start();
  AddUser(Folder.Path(), "BOB", "Available");
  BoardTick();
  const std::string data = Folder.Path() + "yOZDB31.isd";
  // Each write is given its time: the first just after an even second, the second 100 ms later (the
  // clock's own times would put them in one step only as long as the machine is quick).
  auto stampAt = [&](WORD Ms) {
    SYSTEMTIME st{2026, 1, 4, 1, 10, 0, 0, Ms};
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    HANDLE h = CreateFileA(data.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
    CloseHandle(h);
  };
  WriteStatus(Folder.Path(), "BOB", "At lunch");
  stampAt(100);
  const int32_t coarse1 = FileAge(data);
  const double fine1 = FileModTime(data);
  BoardTick();
  EXPECT_EQ(StatusOnBoard("BOB"), "At lunch");
  WriteStatus(Folder.Path(), "BOB", "Gone home");
  stampAt(200);
  ASSERT_EQ(FileAge(data), coarse1) << "the two writes should fall in one FileAge step";
  EXPECT_NE(FileModTime(data), fine1);
  BoardTick();
  EXPECT_EQ(StatusOnBoard("BOB"), "Gone home");
}

TEST_F(MainWindow, FileModTimeOfMissingFilesAndFolders) {
  EXPECT_EQ(FileModTime(Folder.Path() + "none.isd"), -1);
  EXPECT_EQ(FileModTime(Folder.Path()), -1);
  HANDLE h = CreateFileA((Folder.Path() + "x.isd").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_GT(FileModTime(Folder.Path() + "x.isd"), 0);
}

TEST_F(MainWindow, AnUnchangedFileTriggersNothingAndARestoredOlderOneDoes) {
  Start();
  AddUser(Folder.Path(), "BOB", "Available");
  BoardTick();
  // The board is changed behind the timer's back; an unchanged file must not refill it.
  Form->lvMain->Items()->Clear();
  BoardTick();
  EXPECT_EQ(Form->Board()->RowCount(), 0);
  // An older modification time (a restored file) counts as a change too.
  const std::string data = Folder.Path() + "yOZDB31.isd";
  HANDLE h = CreateFileA(data.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME old{0x12345678, 0x01D00000};
  SetFileTime(h, nullptr, nullptr, &old);
  CloseHandle(h);
  BoardTick();
  EXPECT_EQ(Form->Board()->RowCount(), 2);
}

TEST_F(MainWindow, AFailedRefreshSaysSoInTheStatusBarAndIsNotRepeated) {
  Start();
  BoardTick();  // the baseline of a new database is "missing"; now it is the file's time
  // The shared folder drops off the network.
  const std::string real = yOZFile->DBPath;
  yOZFile->DBPath = Folder.Path() + "unplugged\\";
  ASSERT_EQ(Form->StatusBarMain->Panels()->Count(), 1);
  BoardTick();
  EXPECT_EQ(Form->StatusBarMain->Panels()->Items(0)->Text(), "Attempting to update yOZ...");
  EXPECT_EQ(Form->UserFileAge, -1);
  Form->StatusBarMain->Panels()->Items(0)->SetText("untouched");
  BoardTick();  // still missing: no second attempt
  EXPECT_EQ(Form->StatusBarMain->Panels()->Items(0)->Text(), "untouched");
  yOZFile->DBPath = real;
  BoardTick();
  EXPECT_EQ(Form->StatusBarMain->Panels()->Items(0)->Text(), "");
  EXPECT_NE(Form->UserFileAge, -1);
}

TEST_F(MainWindow, AnAdministratorLosingHisRightsIsNoticedByTheBoardTimer) {
  Start();
  ASSERT_TRUE(IsAdministrator);
  {
    TIsamFile f("");
    ASSERT_TRUE(f.Open(Folder.Path() + UserFileName, 3));
    TUserRec rec;
    ASSERT_TRUE(f.GetEqual(rec.Data, 7, Login()));
    rec.SetAdministrator(0);
    rec.SetStatus("At lunch");
    ASSERT_TRUE(f.Replace(rec.Data, f.LastKey));
    f.Close();
  }
  BoardTick();
  EXPECT_FALSE(IsAdministrator);
  EXPECT_EQ(Form->StTrayIcon->ImageIndex(), 0);
  Form->ActionList->UpdateActions();
  EXPECT_FALSE(Form->actUsers->Enabled());
}

TEST_F(MainWindow, AlertsAnnounceWatchedUsersChanges) {
  Start();
  AddUser(Folder.Path(), "BOB", "Available");
  BoardTick();
  SelectRow("BOB");
  Form->actAddToAlertList->Execute();
  Form->actAddToAlertList->Execute();  // twice: still one entry
  EXPECT_EQ(Form->AlertList->Alerts->Count(), 3);
  WriteStatus(Folder.Path(), "BOB", "Gone home");
  BoardTick();
  ASSERT_FALSE(Boxes.Shown.empty());
  const std::string& text = Boxes.Shown.back().Text;
  EXPECT_EQ(text.rfind("Status update from yOZ at ", 0), 0u) << text;
  EXPECT_NE(text.find("\r\rBOB has changed status from \"Available\" to \"Gone home\""), std::string::npos) << text;

  // Clearing asks first; No keeps the list.
  Boxes.Answers = {mrNo};
  Form->actClearAlertList->Execute();
  EXPECT_TRUE(Boxes.Contains("Are you sure.  Clear your alert list?"));
  EXPECT_EQ(Form->AlertList->Alerts->Count(), 3);
  Boxes.Answers = {mrYes};
  Form->actClearAlertList->Execute();
  EXPECT_EQ(Form->AlertList->Alerts->Count(), 0);
}

TEST_F(MainWindow, ViewingAlertsShowsTheWatchedUsersUnderTheirCurrentNames) {
  Start();
  AddUser(Folder.Path(), "BOB", "Available");
  Form->AlertList->AddAlert("BOB", "Robert (old name)", "Available");
  TyOZAlert* shown = nullptr;
  std::string name;
  MainDialogs.Alerts = [&](TyOZAlert* Alerts) {
    shown = Alerts;
    name = Alerts->GetName(Alerts->IndexOf("BOB"));
  };
  Form->actViewAlertList->Execute();
  EXPECT_EQ(shown, Form->AlertList);
  EXPECT_EQ(name, "BOB");  // the user file's name for that login
}

TEST_F(MainWindow, TheAlertListIsKeptBetweenRuns) {
  Start();
  AddUser(Folder.Path(), "BOB", "Available");
  Form->RefillBoard();
  SelectRow("BOB");
  Form->actAddToAlertList->Execute();
  FreeMainWindow(Form);
  EXPECT_TRUE(FileExists(AlertFile()));
  Start();
  EXPECT_TRUE(Form->AlertList->Contains("BOB"));
}

// --- shut-down marker and closing ----------------------------------------------------------------

TEST_F(MainWindow, TheShutDownMarkerClosesWithTheClosingWork) {
  Start([](TyOZCBRec& r) {
    r.ClearCommentOnSD = true;
    r.ChangeStatusOnSD = true;
    r.ShutDownStatus = "Offline";
    r.DisplayDepartments = true;
  });
  yOZCurrentUser->Comments = "back at three";
  yOZFile->UpdateUser(yOZCurrentUser);
  Form->stMain->SetPosition(140);
  HANDLE h = CreateFileA((Folder.Path() + "yOZDB31.smd").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(h);
  BoardTick();
  TUserRec rec = ReadUser(Folder.Path(), Login());
  EXPECT_EQ(rec.Status(), "Offline");
  EXPECT_EQ(rec.Comments(), "");
  TyOZCBRec s;
  TyOZCB().LoadSettings(s);
  EXPECT_EQ(s.SplitterPos, 140);
  EXPECT_EQ(s.MainWidth, Form->Width());
  DeleteFileA((Folder.Path() + "yOZDB31.smd").c_str());
}

TEST_F(MainWindow, ClosingWithoutTheTreeKeepsTheSplitterPosition) {
  Start([](TyOZCBRec& r) {
    r.DisplayDepartments = false;
    r.SplitterPos = 77;
    r.ChangeStatusOnSD = false;
  });
  Form->actFileExit->Execute();
  TyOZCBRec s;
  TyOZCB().LoadSettings(s);
  EXPECT_EQ(s.SplitterPos, 77);
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Available");
}

TEST_F(MainWindow, ClosingEndsEvenWhenTheFolderCannotBeWritten) {
  Start([](TyOZCBRec& r) { r.MainWidth = 500; });
  Form->SetWidth(640);
  std::string real = yOZFile->DBPath;
  yOZFile->DBPath = Folder.Path() + "unplugged\\";
  bool canClose = false;
  Form->FormCloseQuery(Form, canClose);
  yOZFile->DBPath = real;
  EXPECT_TRUE(canClose);
  ASSERT_FALSE(Boxes.Shown.empty());
  EXPECT_EQ(Boxes.Shown.back().Text.rfind("The following error occurred within yOZ - ", 0), 0u);
  TyOZCBRec s;
  TyOZCB().LoadSettings(s);
  EXPECT_EQ(s.MainWidth, 640);
}

// --- screen saver --------------------------------------------------------------------------------

bool SaverRunning = false;
BOOL WINAPI FakeSystemParametersInfo(UINT Action, UINT, PVOID Param, UINT) {
  if (Action != SPI_GETSCREENSAVERRUNNING) return FALSE;
  *static_cast<BOOL*>(Param) = SaverRunning;
  return TRUE;
}

TEST_F(MainWindow, TheScreenSaverSwitchesOnlyAvailableAndOnlyBackWhatItSwitched) {
  Start([](TyOZCBRec& r) {
    r.DetectScreenSaver = true;
    r.ScreenSaverStatus = "Away from desk";
  });
  WinUtilsSystemParametersInfo = FakeSystemParametersInfo;
  auto tick = [&] { Form->tmrScreenSaverTimer(Form->tmrScreenSaver); };
  SaverRunning = true;
  tick();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Away from desk");
  tick();
  EXPECT_TRUE(Form->ScreenSaverSwitched);
  SaverRunning = false;
  tick();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Available");
  EXPECT_FALSE(Form->ScreenSaverSwitched);

  // Another status at the saver's start is left alone, and nothing is switched back afterwards.
  Form->actInMeeting->Execute();
  SaverRunning = true;
  tick();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "In meeting");
  SaverRunning = false;
  tick();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "In meeting");
}

// --- department tree -----------------------------------------------------------------------------

TEST_F(MainWindow, TheDepartmentTreeFiltersAndCaptionsTheWindow) {
  Start();
  yOZDepartment->CreateDepartmentFile();
  yOZDepartment->AddDepartment("Sales");
  yOZDepartment->AddDepartment("Empty");
  AddUser(Folder.Path(), "BOB", "Available", "Sales");
  TTreeViewDepartments tree(Form->tvMain);
  yOZDepartment->FillDepartmentTree(&tree);
  TTreeNode* root = Form->tvMain->Items()->GetFirstNode();
  ASSERT_NE(root, nullptr);
  TTreeNode* sales = nullptr;
  TTreeNode* empty = nullptr;
  for (TTreeNode* n = root->GetFirstChild(); n; n = n->GetNextSibling()) {
    if (n->Text() == "Sales") sales = n;
    if (n->Text() == "Empty") empty = n;
  }
  ASSERT_TRUE(sales && empty);
  Form->tvMain->SetSelected(sales);
  Application->ProcessMessages();
  EXPECT_EQ(Form->Caption(), "yOZ - Filtered on Sales");
  EXPECT_TRUE(yOZDepartment->FilterActive);
  ASSERT_EQ(Form->Board()->RowCount(), 1);
  EXPECT_EQ(Form->Board()->Row(0).SubItem(bsLogInName), "BOB");
  // Later refills keep the filter: a status command, the board timer.
  Form->actAtLunch->Execute();
  EXPECT_EQ(Form->Board()->RowCount(), 1);

  Form->tvMain->SetSelected(empty);
  Application->ProcessMessages();
  EXPECT_EQ(Form->Caption(), "yOZ - Filtered on Empty");
  EXPECT_EQ(Form->Board()->RowCount(), 0);

  Form->tvMain->SetSelected(root);
  Application->ProcessMessages();
  EXPECT_EQ(Form->Caption(), "yOZ - All Departments");
  EXPECT_FALSE(yOZDepartment->FilterActive);
  EXPECT_EQ(Form->Board()->RowCount(), 2);
}

// --- refresh, exceptions -------------------------------------------------------------------------

TEST_F(MainWindow, RefreshOfAnUnreachableFolderSaysWhere) {
  Start();
  AddUser(Folder.Path(), "BOB", "Available");
  Form->actRefresh->Execute();
  EXPECT_EQ(Form->Board()->RowCount(), 2);
  std::string real = yOZFile->DBPath;
  yOZFile->DBPath = "Q:\\nowhere\\";
  try {
    Form->actRefreshExecute(Form);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Unable to perform refresh.  The yOZ database location \"Q:\\nowhere\\\" can not be found.  "
                         "Please check your network.");
  }
  yOZFile->DBPath = real;
}

TEST_F(MainWindow, UncaughtExceptionsAreShownAndTheProgramGoesOn) {
  Start();
  Exception e("disk full");
  Form->AppEventsException(Form, &e);
  ASSERT_FALSE(Boxes.Shown.empty());
  EXPECT_EQ(Boxes.Shown.back().Text, "The following error occurred within yOZ - disk full");
  EXPECT_EQ(Boxes.Shown.back().Type, mtInformation);
}

// --- new messages --------------------------------------------------------------------------------

TEST_F(MainWindow, ANewMessageIsAnnouncedWithTheAnimatedTrayIcon) {
  Start();
  EXPECT_FALSE(Form->StTrayIcon->Animate());
  AddUser(Folder.Path(), "BOB", "Available");
  yOZMessage->SendMessage(Login(), "BOB", "Lunch?", "At noon");
  Form->tmrCheckForMessagesTimer(Form->tmrCheckForMessages);
  EXPECT_TRUE(Boxes.Contains("You have a new yOZ message"));
  EXPECT_TRUE(Form->StTrayIcon->Animate());
  EXPECT_EQ(Form->StTrayIcon->Images(), Form->ImageListNewMail);
  // The timer goes on looking: a later message is announced as well.
  EXPECT_TRUE(Form->tmrCheckForMessages->Enabled());
  // A second look at an unchanged file says nothing more.
  size_t shown = Boxes.Shown.size();
  Form->tmrCheckForMessagesTimer(Form->tmrCheckForMessages);
  EXPECT_EQ(Boxes.Shown.size(), shown);
}

TEST_F(MainWindow, WaitingMessagesAreAnnouncedAtStart) {
  {
    TyOZFile db(Folder.Path());
    db.RegisterCurrentUser();
    AddUser(Folder.Path(), "BOB", "Available");
    TYOZMessage m(&db);
    m.SendMessage(Login(), "BOB", "Hello", "there");
  }
  Start();
  EXPECT_TRUE(Form->StTrayIcon->Animate());
}

// --- actions, menus, enabling --------------------------------------------------------------------

TEST_F(MainWindow, ActionsCarryTheirCaptionsShortcutsHintsImagesAndCategories) {
  Start();
  struct {
    const char* Name;
    const char* Caption;
    int ShortCut;
    const char* Hint;
    int Image;
    const char* Category;
  } table[] = {
      {"actFileExit", "E&xit", 16472, "Exit", 8, "Statuses"},
      {"actAtLunch", "At Lunch", 16460, "I've gone to lunch", 0, "Statuses"},
      {"actAvailable", "Available", 16449, "I'm available", 1, "Statuses"},
      {"actAwayFromDesk", "Away From Desk", 16471, "I'm away from my desk", 2, "Statuses"},
      {"actDND", "Do Not Disturb!", 16452, "Do Not Disturb!", 3, "Statuses"},
      {"actGoneHome", "Gone Home", 16455, "I've gone home!", 4, "Statuses"},
      {"actInMeeting", "In Meeting", 16461, "I'm in a meeting", 5, "Statuses"},
      {"actOutOfOffice", "Out Of Office", 16463, "I'm out", 7, "Statuses"},
      {"actSick", "Sick", 16459, "I'm off sick", 10, "Statuses"},
      {"actCustomStatus", "Custom Status...", 16451, "Choose other status...", 9, "Statuses"},
      {"actSettings", "Settings...", 16467, "Display your settings", 14, ""},
      {"actHelpAbout", "About", 0, "About", -1, ""},
      {"actHelpOnyOZ", "Help", 112, "", 24, ""},
      {"actComments", "Comment...", 16468, "Add a comment...", 12, ""},
      {"actUsers", "Users...", 0, "Administer Users", 15, "Administrators"},
      {"actDepartments", "Departments...", 0, "Administer Departments", 16, "Administrators"},
      {"actStatuses", "Statuses...", 0, "Administer Statuses", 17, "Administrators"},
      {"actSendMessage", "Send Message...", 0, "", 18, ""},
      {"actVeiwInBox", "View My &InBox", 0, "View my InBox", 21, ""},
      {"actFilterDepartment", "Filter on Department", 0, "Filter on Department", 22, ""},
      {"actRefresh", "Refresh", 116, "Refresh", 23, ""},
      {"actAddToAlertList", "Alert on status change", 0, "Add user to my Alert list", 26, ""},
      {"actClearAlertList", "Clear alert list...", 0, "Remove all users from your alert list", -1, ""},
      {"actViewAlertList", "View alerts", 0, "View alert list", -1, ""},
  };
  EXPECT_EQ(Form->ActionList->ActionCount(), 25);
  for (auto& t : table) {
    auto* a = dynamic_cast<TAction*>(Form->FindComponent(t.Name));
    ASSERT_NE(a, nullptr) << t.Name;
    EXPECT_EQ(a->Caption(), t.Caption) << t.Name;
    EXPECT_EQ(a->ShortCut(), t.ShortCut) << t.Name;
    EXPECT_EQ(a->Hint(), t.Hint) << t.Name;
    EXPECT_EQ(a->ImageIndex(), t.Image) << t.Name;
    EXPECT_EQ(a->Category(), t.Category) << t.Name;
  }
  // Every image the actions and the board use is in the lists and shows something; the animation has
  // frames that differ.
  EXPECT_GE(Form->imgSmallPics->Count(), 27);
  EXPECT_GE(Form->ImageListNewMail->Count(), 2);
  auto picture = [](TImageList* List, int Index) {
    TBitmap b;
    b.SetWidth(List->Width());
    b.SetHeight(List->Height());
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(RECT{0, 0, List->Width(), List->Height()});
    List->Draw(b.Canvas(), 0, 0, Index);
    std::vector<TColor> px;
    for (int y = 0; y < List->Height(); ++y)
      for (int x = 0; x < List->Width(); ++x) px.push_back(b.Canvas()->Pixels(x, y));
    return px;
  };
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 21, 22, 23, 24, 26}) {
    auto px = picture(Form->imgSmallPics, i);
    int inked = 0;
    for (TColor c : px) inked += c != clWhite;
    EXPECT_GT(inked, 30) << "image " << i;
  }
  EXPECT_NE(picture(Form->ImageListNewMail, 0), picture(Form->ImageListNewMail, 1));
  EXPECT_NE(picture(Form->imgSmallPics, 1), picture(Form->imgSmallPics, 3));
}

std::vector<TBasicAction*> ActionsOf(TMenuItem* Parent) {
  std::vector<TBasicAction*> out;
  for (int i = 0; i < Parent->Count(); ++i) out.push_back(Parent->Items(i)->IsLine() ? nullptr : Parent->Items(i)->Action());
  return out;
}

TEST_F(MainWindow, MenusShowTheActionsInTheirOrder) {
  Start();
  TfrmMain& f = *Form;
  std::vector<TBasicAction*> statuses = {f.actAtLunch,   f.actAvailable,   f.actAwayFromDesk, f.actDND,
                                         f.actGoneHome,  f.actInMeeting,   f.actOnHoliday,    f.actOutOfOffice,
                                         f.actSick,      f.actCustomStatus};
  std::vector<TBasicAction*> popup = statuses;
  popup.insert(popup.end(), {nullptr, f.actSendMessage, nullptr, f.actAddToAlertList});
  EXPECT_EQ(ActionsOf(f.popmnuMain->Items()), popup);
  std::vector<TBasicAction*> tray = statuses;
  tray.insert(tray.end(), {nullptr, f.actComments, nullptr, f.actFileExit});
  EXPECT_EQ(ActionsOf(f.popMnuTrayIcon->Items()), tray);
  EXPECT_EQ(f.popMnuTrayIcon->Items()->Items(13)->Name(), "ExityOZ2");
  EXPECT_EQ(f.StTrayIcon->PopupMenu(), f.popMnuTrayIcon);
  EXPECT_EQ(f.lvMain->PopupMenu(), f.popmnuMain);

  // The command bars: four bars docked on top in their rows and places, each link an action's button.
  TdxBarManager* m = f.dxBarManagerMain;
  EXPECT_EQ(m->Images(), f.imgSmallPics);
  EXPECT_EQ(m->Font()->Name(), "Tahoma");
  EXPECT_TRUE(m->UseSystemFont());
  EXPECT_FALSE(m->StoreInRegistry() || m->StoreInIniFile());
  std::vector<std::string> categories;
  for (int i = 0; i < m->Categories()->Count(); ++i) categories.push_back(m->Categories()->Strings(i));
  EXPECT_EQ(categories, (std::vector<std::string>{"Default", "File", "Status", "View", "Tools", "Filter", "Help",
                                                  "Menus", "Administrators", "Misc"}));
  struct TBarPlace {
    const char* Name;
    const char* Caption;
    int Row, Left;
  };
  const TBarPlace places[] = {{"Main Menu", "Main Menu", 0, 0}, {"Toolbar", "Statuses", 1, 0},
                              {"Administrators", "Administrators", 1, 371}, {"Misc", "Misc", 1, 246}};
  ASSERT_EQ(m->Bars()->Count(), 4);
  for (int i = 0; i < 4; ++i) {
    TdxBar* b = m->Bars()->Items(i);
    SCOPED_TRACE(places[i].Name);
    EXPECT_EQ(b->Name(), places[i].Name);
    EXPECT_EQ(b->Caption(), places[i].Caption);
    EXPECT_EQ(b->Row(), places[i].Row);
    EXPECT_EQ(b->DockedLeft(), places[i].Left);
    EXPECT_EQ(b->DockingStyle(), dsTop);
    EXPECT_TRUE(b->Visible());
    EXPECT_FALSE(b->AllowQuickCustomizing());
  }
  EXPECT_EQ(m->MainMenuBar(), m->Bars()->Items(0));
  auto actionsOf = [](TdxBarItemLinks* Links) {
    std::vector<TBasicAction*> out;
    for (int i = 0; i < Links->Count(); ++i) out.push_back(Links->Items(i)->Item()->Action());
    return out;
  };
  auto sub = [&](int i) { return dynamic_cast<TdxBarSubItem*>(m->MainMenuBar()->ItemLinks()->Items(i)->Item()); };
  const char* names[] = {"&File", "&Status", "&View", "&Tools", "Fi&lter", "&Help"};
  ASSERT_EQ(m->MainMenuBar()->ItemLinks()->Count(), 6);
  for (int i = 0; i < 6; ++i) {
    ASSERT_NE(sub(i), nullptr);
    EXPECT_EQ(sub(i)->Caption(), names[i]);
  }
  EXPECT_EQ(actionsOf(sub(0)->ItemLinks()), std::vector<TBasicAction*>{f.actFileExit});
  EXPECT_EQ(actionsOf(sub(1)->ItemLinks()), statuses);
  EXPECT_EQ(actionsOf(sub(2)->ItemLinks()), (std::vector<TBasicAction*>{f.actVeiwInBox, f.actViewAlertList}));
  EXPECT_EQ(sub(2)->ItemLinks()->Items(0)->Caption(), "My &InBox");
  EXPECT_EQ(actionsOf(sub(3)->ItemLinks()), (std::vector<TBasicAction*>{f.actSettings, f.actComments, f.actClearAlertList}));
  EXPECT_EQ(sub(3)->ItemLinks()->Items(2)->Item()->Hint(), "Clear alert list");
  EXPECT_EQ(actionsOf(sub(4)->ItemLinks()), std::vector<TBasicAction*>{f.actFilterDepartment});
  EXPECT_EQ(actionsOf(sub(5)->ItemLinks()), (std::vector<TBasicAction*>{f.actHelpAbout, f.actHelpOnyOZ}));
  EXPECT_EQ(sub(5)->ItemLinks()->Items(1)->Item()->Hint(), "Help");
  EXPECT_EQ(sub(5)->ItemLinks()->Items(1)->Item()->ShortCut(), 112);
  // The toolbars; the status buttons and the filter button serve a menu too, the Misc bar's others are its own.
  TdxBar* toolbar = m->BarByName("Toolbar");
  EXPECT_EQ(actionsOf(toolbar->ItemLinks()), statuses);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(toolbar->ItemLinks()->Items(i)->BeginGroup(), i == 9) << i;
    EXPECT_EQ(toolbar->ItemLinks()->Items(i)->Item(), sub(1)->ItemLinks()->Items(i)->Item()) << i;
  }
  TdxBar* misc = m->BarByName("Misc");
  EXPECT_EQ(actionsOf(misc->ItemLinks()),
            (std::vector<TBasicAction*>{f.actFilterDepartment, f.actRefresh, f.actComments, f.actSettings, f.actVeiwInBox}));
  EXPECT_EQ(misc->ItemLinks()->Items(0)->Item(), sub(4)->ItemLinks()->Items(0)->Item());
  EXPECT_NE(misc->ItemLinks()->Items(2)->Item(), sub(3)->ItemLinks()->Items(1)->Item());
  EXPECT_EQ(misc->ItemLinks()->Items(4)->Caption(), "View My &InBox");
  EXPECT_EQ(actionsOf(m->BarByName("Administrators")->ItemLinks()),
            (std::vector<TBasicAction*>{f.actUsers, f.actDepartments, f.actStatuses}));
  EXPECT_EQ(misc->ItemLinks()->Items(1)->Item()->ImageIndex(), 23);
}

TEST_F(MainWindow, EnablingRules) {
  Start();
  AddUser(Folder.Path(), "BOB", "Available");
  Form->RefillBoard();
  Form->ActionList->UpdateActions();
  EXPECT_TRUE(Form->actVeiwInBox->Enabled());
  EXPECT_FALSE(Form->actSendMessage->Enabled());
  EXPECT_FALSE(Form->actAddToAlertList->Enabled());
  EXPECT_TRUE(Form->actUsers->Enabled());
  EXPECT_TRUE(Form->actStatuses->Enabled());
  EXPECT_TRUE(Form->actDepartments->Enabled());
  EXPECT_TRUE(Form->actRefresh->Enabled());

  SelectRow("BOB");
  Form->ActionList->UpdateActions();
  EXPECT_TRUE(Form->actSendMessage->Enabled());
  EXPECT_TRUE(Form->actAddToAlertList->Enabled());

  yOZFile->AllowMessages = false;
  IsAdministrator = false;
  Form->ActionList->UpdateActions();
  EXPECT_FALSE(Form->actVeiwInBox->Enabled());
  EXPECT_FALSE(Form->actSendMessage->Enabled());
  EXPECT_FALSE(Form->actUsers->Enabled());
  EXPECT_FALSE(Form->actStatuses->Enabled());
  EXPECT_FALSE(Form->actDepartments->Enabled());
  // The bars' buttons and the menu items follow their actions.
  for (const char* name : {"btnUsers", "btnDepartments", "btnStatuses"}) {
    auto* button = dynamic_cast<TdxBarButton*>(Form->FindComponent(name));
    ASSERT_NE(button, nullptr) << name;
    EXPECT_FALSE(button->Enabled()) << name;
  }
  auto* item = dynamic_cast<TMenuItem*>(Form->FindComponent("popSendMessage"));
  ASSERT_NE(item, nullptr);
  EXPECT_FALSE(item->Enabled());
  for (const char* name : {"btnViewInBox", "btnMiscViewInBox"}) {
    auto* inbox = dynamic_cast<TdxBarButton*>(Form->FindComponent(name));
    ASSERT_NE(inbox, nullptr) << name;
    EXPECT_FALSE(inbox->Enabled()) << name;
  }
  // A disabled button ignores clicks.
  IsAdministrator = false;
  int users = 0;
  MainDialogs.Users = [&] { ++users; };
  dynamic_cast<TdxBarButton*>(Form->FindComponent("btnUsers"))->DoClick();
  EXPECT_EQ(users, 0);
}

// On a first start the database wizard runs before the stores exist, and the idle updates run
// meanwhile: the View menu's row still reads "My &InBox" afterwards, as on every later start.
TEST_F(MainWindow, TheViewMenuRowKeepsItsCaptionOverAFirstStart) {
  Start();
  auto* inbox = dynamic_cast<TdxBarButton*>(Form->FindComponent("btnViewInBox"));
  ASSERT_NE(inbox, nullptr);
  TyOZFile* database = yOZFile;
  yOZFile = nullptr;
  Form->ActionList->UpdateActions();
  yOZFile = database;
  Form->ActionList->UpdateActions();
  EXPECT_TRUE(inbox->Enabled());
  EXPECT_EQ(inbox->Caption(), "My &InBox");
}

TEST_F(MainWindow, ShortcutKeysRunTheirStatusCommands) {
  Start(nullptr, 1, 1, true);
  HWND wnd = Form->lvMain->Handle();
  // Other test programs may show windows meanwhile and take the keyboard: try a few times.
  for (int attempt = 0; attempt < 3 && ReadUser(Folder.Path(), Login()).Status() != "At lunch"; ++attempt) {
    SetForegroundWindow(Form->Handle());
    SetFocus(wnd);
    Application->ProcessMessages();
    // Ctrl+L as the keyboard sends it.
    INPUT in[4] = {};
    for (auto& i : in) i.type = INPUT_KEYBOARD;
    in[0].ki.wVk = VK_CONTROL;
    in[1].ki.wVk = 'L';
    in[2].ki.wVk = 'L';
    in[2].ki.dwFlags = KEYEVENTF_KEYUP;
    in[3].ki.wVk = VK_CONTROL;
    in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, in, sizeof(INPUT));
    PumpUntil([&] { return ReadUser(Folder.Path(), Login()).Status() == "At lunch"; });
  }
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "At lunch");
}

}  // namespace
