// The main window's commands: status changes, refresh, the department tree, the alert list, the
// dialogs' commands and the rules that enable them.
#include "Dialogs.h"
#include "KLNStringUtils.h"
#include "Main.h"
#include "StVInfo.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZMaker.h"
#include "yOZMessageInBox.h"
#include "yOZMessages.h"

namespace {

struct THourGlass {
  THourGlass() { Screen->SetCursor(crHourGlass); }
  ~THourGlass() { Screen->SetCursor(crDefault); }
};

}  // namespace

void TfrmMain::RefillBoard() {
  if (yOZDepartment->FilterActive)
    yOZFile->FillMainListForDepartment(Board(), yOZDepartment->FilterDepartment);
  else
    yOZFile->FillMainList(Board());
}

// An administrator with a row selected sets that row's user; everyone else sets his own status.
void TfrmMain::ApplyStatus(const std::string& Status) {
  if (IsAdministrator && lvMain->Selected()) {
    yOZFile->SetSelectedUsersStatus(Board(), Status);
  } else {
    yOZCurrentUser->Status = Status;
    yOZFile->SaveCurrentUserStatus();
  }
  RefillBoard();
}

void TfrmMain::SetStatus(const std::string& Status) {
  THourGlass wait;
  ApplyStatus(Status);
}

void TfrmMain::actAtLunchExecute(TObject*) { SetStatus("At lunch"); }
void TfrmMain::actAvailableExecute(TObject*) { SetStatus("Available"); }
void TfrmMain::actAwayFromDeskExecute(TObject*) { SetStatus("Away from desk"); }
void TfrmMain::actDNDExecute(TObject*) { SetStatus("DND"); }
void TfrmMain::actGoneHomeExecute(TObject*) { SetStatus("Gone home"); }
void TfrmMain::actInMeetingExecute(TObject*) { SetStatus("In meeting"); }
void TfrmMain::actSickExecute(TObject*) { SetStatus("Off sick"); }

void TfrmMain::actOnHolidayExecute(TObject*) {
  TyOZCBRec rec;
  Settings->LoadSettings(rec);
  SetStatus(rec.UseVacation ? "On vacation" : "On holiday");
}

void TfrmMain::actOutOfOfficeExecute(TObject*) {
  TyOZCBRec rec;
  Settings->LoadSettings(rec);
  SetStatus("Out of office");
  if (rec.AutoComment) actComments->Execute();
}

void TfrmMain::actCustomStatusExecute(TObject*) {
  TTimerOffScope paused(tmrUpdateListView);
  std::string status;
  if (MainDialogs.SelectStatus && MainDialogs.SelectStatus(status)) ApplyStatus(Trim(status));
}

void TfrmMain::actCommentsExecute(TObject*) {
  if (MainDialogs.Comments) MainDialogs.Comments();
}
void TfrmMain::actSettingsExecute(TObject*) {
  if (!MainDialogs.Settings) return;
  tmrUpdateListView->SetEnabled(false);
  tmrCheckForMessages->SetEnabled(false);
  tmrScreenSaver->SetEnabled(false);
  TyOZCBRec rec;
  Settings->SetDefaults(rec);
  // Until yOZ.cfg is read the timers come back on what this copy last knew of it.
  TyOZConfigRec config;
  config.LogType = yOZFile->LogType;
  config.AllowMessages = yOZFile->AllowMessages ? 1 : 0;
  // The timers come back by the dialog's records whatever happens below (OK, Cancel or a failure).
  struct TRestore {
    TfrmMain* Form;
    const TyOZCBRec& Rec;
    const TyOZConfigRec& Config;
    ~TRestore() {
      Form->tmrUpdateListView->SetEnabled(Rec.UpdateDisplayTime != 0);
      Form->tmrCheckForMessages->SetEnabled(Config.AllowMessages != 0 && Rec.CheckForNewMsgEvery != 0);
      Form->tmrScreenSaver->SetEnabled(Rec.DetectScreenSaver);
    }
  } restore{this, rec, config};

  Settings->LoadSettings(rec);
  config = yOZFile->ReadConfig();
  const std::string oldFolder = rec.yOZDBasePath;
  if (MainDialogs.Settings(rec, config) != mrOk) return;
  Settings->SaveSettings(rec);
  if (rec.yOZDBasePath != oldFolder) {
    MessageDlg("The location of the yOZ database has been changed.\r\ryOZ must be re-started to use the new "
               "database location, and will now shut down.",
               mtInformation, TMsgDlgButtons{mbOK});
    ShuttingDown = true;
    Close();
    return;
  }
  // Only an administrator can change yOZ.cfg here; another user's OK must not write back values an
  // administrator may have changed meanwhile.
  if (IsAdministrator) yOZFile->WriteConfig(config);
  tmrUpdateListView->SetInterval(RangeCheck<uint32_t>(CheckedMul(rec.UpdateDisplayTime, 1000)));
  tmrCheckForMessages->SetInterval(RangeCheck<uint32_t>(CheckedMul(rec.CheckForNewMsgEvery, 1000)));
  lvMain->SetSortType(rec.SortListView ? stText : stNone);
  lvMain->Font()->SetColor(TColor(rec.MainFontColour));
  lvMain->Font()->SetSize(rec.MainFontSize);
  lvMain->SetGridLines(rec.ShowGrid);
  ShowDepartmentPane(rec);
  ScreenSaverStatus = rec.ScreenSaverStatus;
  yOZFile->FillMainList(Board());
}
void TfrmMain::actUsersExecute(TObject*) {
  if (MainDialogs.Users) MainDialogs.Users();
}
void TfrmMain::actDepartmentsExecute(TObject*) {
  if (MainDialogs.Departments) MainDialogs.Departments();
}
void TfrmMain::actStatusesExecute(TObject*) {
  if (MainDialogs.Statuses) MainDialogs.Statuses();
}
void TfrmMain::actFilterDepartmentExecute(TObject*) {
  if (MainDialogs.SelectDepartment) MainDialogs.SelectDepartment();
}
void TfrmMain::actSendMessageExecute(TObject*) {
  const int row = Board()->SelectedIndex();
  if (!frmyOZMessages || row < 0) return;
  tmrUpdateListView->SetEnabled(false);
  {
    // Back on even when a name cannot be looked up: the board would stop following the others.
    struct TRestart {
      TTimer* Timer;
      ~TRestart() { Timer->SetEnabled(true); }
    } restart{tmrUpdateListView};
    frmyOZMessages->SetCaption("Send Message...");
    frmyOZMessages->lblFrom->SetCaption(yOZMessage->LookUpUser(GetLogInName()));
    const std::string login = Board()->Row(row).SubItem(bsLogInName);
    frmyOZMessages->lblTo->SetCaption(yOZMessage->LookUpUser(login));
    frmyOZMessages->lblToComputerName->SetCaption(login);
    frmyOZMessages->lblReceived->SetCaption(DateTimeToStr(Now()));
  }
  frmyOZMessages->ShowModal();
}

void TfrmMain::actVeiwInBoxExecute(TObject*) {
  if (!frmyOZMessageInBox) return;
  SetPanelText("Locating messages...");
  StatusBarMain->Repaint();
  frmyOZMessageInBox->ShowModal();
}
void TfrmMain::actHelpAboutExecute(TObject*) {
  if (MainDialogs.About) MainDialogs.About("yOZ ", "3.50", MakerEmail);
}
void TfrmMain::actHelpOnyOZExecute(TObject*) { Application->HelpJump("Contents"); }
void TfrmMain::actFileExitExecute(TObject*) { Close(); }

void TfrmMain::actRefreshExecute(TObject* Sender) {
  // The double spaces and "can not" on purpose: the program's messages are kept word for word.
  if (!IsDirectory(yOZFile->DBPath))
    throw Exception("Unable to perform refresh.  The yOZ database location \"" + yOZFile->DBPath +
                    "\" can not be found.  Please check your network.");
  RefillBoard();
  tmrCheckForMessagesTimer(Sender);
}

void TfrmMain::tvMainChange(TObject*, TTreeNode* Node) {
  if (!Node || !yOZFile) return;
  // The top node chosen as the tree takes the focus at start finds the board just filled with every
  // user: it is not read a second time.
  const bool fresh = FStartFill >= 0 && unsigned(FStartFill) == FBoard.Fills();
  FStartFill = -1;
  if (Node->Text() != "Departments") {
    // The caption first: it names the choice even when the user file cannot be read just now.
    yOZDepartment->FilterActive = true;
    yOZDepartment->FilterDepartment = Node->Text();
    SetCaption("yOZ - Filtered on " + Node->Text());
    yOZFile->FillMainListForDepartment(Board(), Node->Text());
  } else {
    yOZDepartment->FilterActive = false;
    SetCaption("yOZ - All Departments");
    if (!fresh) yOZFile->FillMainList(Board());
  }
}

void TfrmMain::actAddToAlertListExecute(TObject*) {
  int index = Board()->SelectedIndex();
  if (index < 0) return;
  TListRow row = Board()->Row(index);
  const std::string login = row.SubItem(bsLogInName);
  if (!AlertList->Contains(login)) AlertList->AddAlert(login, row.Caption, row.SubItem(bsStatus));
}

void TfrmMain::actClearAlertListExecute(TObject*) {
  if (MessageDlg("Are you sure.  Clear your alert list?", mtConfirmation, mbYesNo) == mrYes) AlertList->Clear();
}

void TfrmMain::actViewAlertListExecute(TObject*) {
  yOZFile->UpdateAlertNames(AlertList);
  if (MainDialogs.Alerts) MainDialogs.Alerts(AlertList);
}

void TfrmMain::lvMainDblClick(TObject*) { actSendMessage->Execute(); }

void TfrmMain::ActionListUpdate(TBasicAction*, bool& Handled) {
  Handled = true;
  // Before the stores exist (the database wizard of a first start runs its own message loop) there
  // is nothing to decide yet; a change now would also give the bars' buttons their actions' captions
  // over their own ("My &InBox").
  if (!yOZFile) return;
  const bool allow = yOZFile->AllowMessages;
  const bool selected = lvMain->SelCount() > 0;
  actVeiwInBox->SetEnabled(allow);
  actSendMessage->SetEnabled(selected && allow);
  actUsers->SetEnabled(IsAdministrator);
  actStatuses->SetEnabled(IsAdministrator);
  actDepartments->SetEnabled(IsAdministrator);
  actAddToAlertList->SetEnabled(selected);
}
