// The main window: start-up, first activation, the timers that follow other copies' writes, closing
// and destruction, and the exception event.
#include "Main.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cmath>

#include "DatabaseWizard.h"
#include "Dialogs.h"
#include "KLNStringUtils.h"
#include "OvcURL.h"
#include "RzCommon.h"
#include "RzSplit.h"
#include "StBase.h"
#include "StVInfo.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "dxfLabel.h"
#include "yOZMaker.h"
#include "Settings.h"
#include "yOZMessageInBox.h"
#include "yOZMessages.h"

TyOZFile* yOZFile = nullptr;
TYOZStatus* yOZStatus = nullptr;
TYOZMessage* yOZMessage = nullptr;
TYOZDepartment* yOZDepartment = nullptr;
TfrmMain* frmMain = nullptr;
TMainDialogs MainDialogs;

namespace {

constexpr const char* MutexName = "KLN - yOZ";
// "experiancing" on purpose: the program's messages are kept word for word, as users know them.
constexpr const char* ComCtlWarning =
    "IMPORTANT: Are you missing any images on your Buttons or Toolbars?\r\rIf so please read on...\r\r"
    "yOZ has detected that you may be experiancing a lack of images, this can be cured by updating a "
    "Microsoft file called COMCTL32.DLL\rThis file can be obtained via our website.  Please visit the yOZ FAQ "
    "at ";

// The store's boxes go through the class library's message dialog, so they look like the program's
// own and tests can answer them.
void StoreBox(const std::string& Text, TStoreMsgBoxType Type) {
  static const TMsgDlgType types[] = {mtError, mtWarning, mtInformation};
  MessageDlg(Text, types[Type], TMsgDlgButtons{mbOK});
}

void Inform(const std::string& Text) { MessageDlg(Text, mtInformation, TMsgDlgButtons{mbOK}); }

}  // namespace

double FileModTime(const std::string& FileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(FileName.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  uint64_t t = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  return double(t);
}

void yOZInitializeUnits() {
  static bool done = false;
  if (done) return;
  done = true;
  // The shell link behind the start-up shortcut is a COM object.
  CoInitialize(nullptr);
  RegisterControlsClasses();
  RegisterExtCtrlsClasses();
  RegisterExtCtrlsPanelsClasses();
  RegisterStdCtrlsClasses();
  RegisterButtonsClasses();
  RegisterComCtrlsClasses();
  RegisterImgListClasses();
  RegisterMenusClasses();
  RegisterActnListClasses();
  RegisterAppEvntsClasses();
  RegisterDialogsClasses();
  dxBarInitialize();
  StBaseInitialize();
  StTrIconInitialize();
  StShrtCtInitialize();
  StShBaseInitialize();
  UPTFrameInitialize();
  UPTSplitterInitialize();
  RzCommonInitialize();
  RzSplitInitialize();
  dxfLabelInitialize();
  OvcURLInitialize();
  RegisterClass(TfrmMain::StaticClass());
  yOZMessagesInitialize();
  SettingsInitialize();
  StoreMessageBox = StoreBox;
}

// ---------------------------------------------------------------------------------------------------

TfrmMain::TfrmMain(TComponent* AOwner) : TForm(AOwner) {}

TfrmMain::~TfrmMain() = default;

void TfrmMain::Publish(TPublisher<TfrmMain>& p) {
  p.Method("FormCreate", &TfrmMain::FormCreate);
  p.Method("FormActivate", &TfrmMain::FormActivate);
  p.Method("FormCloseQuery", &TfrmMain::FormCloseQuery);
  p.Method("FormDestroy", &TfrmMain::FormDestroy);
  p.Method("FormResize", &TfrmMain::FormResize);
  p.Method("tmrUpdateListViewTimer", &TfrmMain::tmrUpdateListViewTimer);
  p.Method("tmrCheckForMessagesTimer", &TfrmMain::tmrCheckForMessagesTimer);
  p.Method("tmrScreenSaverTimer", &TfrmMain::tmrScreenSaverTimer);
  p.Method("StTrayIconDblClick", &TfrmMain::StTrayIconDblClick);
  p.Method("AppEventsException", &TfrmMain::AppEventsException);
  p.Method("actAtLunchExecute", &TfrmMain::actAtLunchExecute);
  p.Method("actAvailableExecute", &TfrmMain::actAvailableExecute);
  p.Method("actAwayFromDeskExecute", &TfrmMain::actAwayFromDeskExecute);
  p.Method("actDNDExecute", &TfrmMain::actDNDExecute);
  p.Method("actGoneHomeExecute", &TfrmMain::actGoneHomeExecute);
  p.Method("actInMeetingExecute", &TfrmMain::actInMeetingExecute);
  p.Method("actOnHolidayExecute", &TfrmMain::actOnHolidayExecute);
  p.Method("actOutOfOfficeExecute", &TfrmMain::actOutOfOfficeExecute);
  p.Method("actSickExecute", &TfrmMain::actSickExecute);
  p.Method("actCustomStatusExecute", &TfrmMain::actCustomStatusExecute);
  p.Method("actCommentsExecute", &TfrmMain::actCommentsExecute);
  p.Method("actSettingsExecute", &TfrmMain::actSettingsExecute);
  p.Method("actUsersExecute", &TfrmMain::actUsersExecute);
  p.Method("actDepartmentsExecute", &TfrmMain::actDepartmentsExecute);
  p.Method("actStatusesExecute", &TfrmMain::actStatusesExecute);
  p.Method("actHelpAboutExecute", &TfrmMain::actHelpAboutExecute);
  p.Method("actHelpOnyOZExecute", &TfrmMain::actHelpOnyOZExecute);
  p.Method("actSendMessageExecute", &TfrmMain::actSendMessageExecute);
  p.Method("actVeiwInBoxExecute", &TfrmMain::actVeiwInBoxExecute);
  p.Method("actFilterDepartmentExecute", &TfrmMain::actFilterDepartmentExecute);
  p.Method("actRefreshExecute", &TfrmMain::actRefreshExecute);
  p.Method("actAddToAlertListExecute", &TfrmMain::actAddToAlertListExecute);
  p.Method("actClearAlertListExecute", &TfrmMain::actClearAlertListExecute);
  p.Method("actViewAlertListExecute", &TfrmMain::actViewAlertListExecute);
  p.Method("actFileExitExecute", &TfrmMain::actFileExitExecute);
  p.Method("lvMainDblClick", &TfrmMain::lvMainDblClick);
  p.Method("tvMainChange", &TfrmMain::tvMainChange);
  p.Method("ActionListUpdate", &TfrmMain::ActionListUpdate);
}

void TfrmMain::Loaded() {
  auto find = [this](auto*& field, const char* name) {
    using T = std::remove_pointer_t<std::remove_reference_t<decltype(field)>>;
    field = dynamic_cast<T*>(FindComponent(name));
    if (!field) throw EComponentError(std::string("Main window component missing: ") + name);
  };
  find(StatusBarMain, "StatusBarMain");
  find(dxBarManagerMain, "dxBarManagerMain");
  find(stMain, "stMain");
  find(tvMain, "tvMain");
  find(lvMain, "lvMain");
  find(StTrayIcon, "StTrayIcon");
  find(StShortcut, "StShortcut");
  find(imgSmallPics, "imgSmallPics");
  find(ImageListNewMail, "ImageListNewMail");
  find(ActionList, "ActionList");
  find(popmnuMain, "popmnuMain");
  find(popMnuTrayIcon, "popMnuTrayIcon");
  find(AppEvents, "AppEvents");
  find(tmrUpdateListView, "tmrUpdateListView");
  find(tmrCheckForMessages, "tmrCheckForMessages");
  find(tmrScreenSaver, "tmrScreenSaver");
  find(actFileExit, "actFileExit");
  find(actAtLunch, "actAtLunch");
  find(actAvailable, "actAvailable");
  find(actAwayFromDesk, "actAwayFromDesk");
  find(actDND, "actDND");
  find(actGoneHome, "actGoneHome");
  find(actInMeeting, "actInMeeting");
  find(actOnHoliday, "actOnHoliday");
  find(actOutOfOffice, "actOutOfOffice");
  find(actSick, "actSick");
  find(actCustomStatus, "actCustomStatus");
  find(actSettings, "actSettings");
  find(actHelpAbout, "actHelpAbout");
  find(actHelpOnyOZ, "actHelpOnyOZ");
  find(actComments, "actComments");
  find(actUsers, "actUsers");
  find(actDepartments, "actDepartments");
  find(actStatuses, "actStatuses");
  find(actSendMessage, "actSendMessage");
  find(actVeiwInBox, "actVeiwInBox");
  find(actFilterDepartment, "actFilterDepartment");
  find(actRefresh, "actRefresh");
  find(actAddToAlertList, "actAddToAlertList");
  find(actClearAlertList, "actClearAlertList");
  find(actViewAlertList, "actViewAlertList");
  FBoard = TListViewBoard(lvMain);
  LoadImages();
  TForm::Loaded();
  // The tray icon may have taken its picture before the images were there.
  StTrayIcon->SetImageIndex(StTrayIcon->ImageIndex());
}

// The pictures travel as data resources of the program in the image lists' stream format.
void TfrmMain::LoadImages() {
  struct {
    TImageList* List;
    const char* Name;
  } lists[] = {{imgSmallPics, "SMALLPICS"}, {ImageListNewMail, "NEWMAIL"}};
  for (auto& l : lists) {
    if (!FindResourceA(nullptr, l.Name, RT_RCDATA)) continue;
    TResourceStream s(nullptr, l.Name, RT_RCDATA);
    l.List->ReadData(&s);
  }
  Icon()->SetHandle(LoadIconA(GetModuleHandleA(nullptr), "MAINICON"));
}

std::string TfrmMain::DatabaseFolder() const { return yOZFile ? AddBackslash(yOZFile->DBPath) : std::string(); }

std::string TfrmMain::OwnAlertFolder() {
  const std::string appData = GetAppDataDir();
  return appData.empty() ? std::string() : AddBackslash(appData) + "yOZ";
}

std::string TfrmMain::AlertFileName() const { return AlertFileToRead(GetWindowsDir(), OwnAlertFolder()); }

void TfrmMain::CreateStartupShortcut() {
  // A login that never started Windows' shell (or removed it) has no Startup folder: make it.
  char startup[MAX_PATH + 1] = {};
  SHGetSpecialFolderPathA(nullptr, startup, CSIDL_STARTUP, TRUE);
  StShortcut->SetFileName(ChangeFileExt(ParamStr(0), ".exe"));
  if (StShortcut->CreateShortcut())
    Inform("yOZ will now start automatically on startup");
  else
    MessageDlg("Unable to create the yOZ start-up shortcut", mtError, TMsgDlgButtons{mbOK});
}

bool TfrmMain::StartStep(const std::function<void()>& Work) {
  try {
    Work();
    return true;
  } catch (...) {
    Application->HandleException(this);
    return false;
  }
}

void TfrmMain::SetPanelText(const std::string& Text) {
  if (StatusBarMain->Panels()->Count() > 0) StatusBarMain->Panels()->Items(0)->SetText(Text);
}

// ---------------------------------------------------------------------------------------------------
// Creation and first activation

void TfrmMain::OpenStores(const std::string& Folder) {
  // A folder that is there but cannot be used (yOZ.cfg cannot be opened): the failure is shown and
  // the program ends, instead of running on with stores that were never made.
  TFailScope unusable([this] {
    ShuttingDown = true;
    Application->Terminate();
  });
  TyOZFileHooks hooks;
  hooks.SetStatusText = [this](const std::string& t) { SetPanelText(t); };
  hooks.SetTrayImage = [this](int i) { StTrayIcon->SetImageIndex(i); };
  hooks.SetShuttingDown = [this] { ShuttingDown = true; };
  yOZFile = new TyOZFile(Folder, hooks);
  yOZCurrentUser = new TUser();
  yOZStatus = new TYOZStatus(yOZFile);
  yOZMessage = new TYOZMessage(yOZFile);
  yOZDepartment = new TYOZDepartment();
  AlertList = new TyOZAlert();
}

void TfrmMain::FormCreate(TObject* Sender) {
  FirstActivate = true;
  bool secondCopy = false;
  MutexHandle = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, MutexName);
  if (MutexHandle) {
    secondCopy = true;
    SetEnabled(false);
    Inform("yOZ is already running!");
    Application->Terminate();
  } else {
    MutexHandle = CreateMutexA(nullptr, FALSE, MutexName);
  }

  Settings = new TyOZCB();
  TyOZCBRec rec;
  Settings->LoadSettings(rec);
  // A second copy is ending anyway: it asks nothing. The wizard's folder is stored once the stores
  // have opened it: a folder that fails must not end every later start too.
  std::string chosen;
  if (Trim(rec.yOZDBasePath).empty() && !secondCopy) {
    std::string folder;
    if (RunDatabaseWizard(folder)) chosen = AddBackslash(folder);
  }

  Settings->LoadSettings(rec);
  if (!chosen.empty()) rec.yOZDBasePath = chosen;
  const std::string folder = Trim(rec.yOZDBasePath);
  if (IsDirectory(folder)) {
    OpenStores(folder);
    if (!chosen.empty()) Settings->SaveSettings(rec);
    Application->SetHelpFile(ChangeFileExt(ParamStr(0), ".hlp"));
    ShuttingDown = false;
    // The board's font first, so the columns the resize sizes fit it already; the place and size in one
    // move: each on its own lays the whole window out again.
    lvMain->Font()->SetColor(rec.MainFontColour);
    lvMain->Font()->SetSize(rec.MainFontSize);
    lvMain->SetGridLines(rec.ShowGrid);
    SetBounds(rec.MainLeft, rec.MainTop, rec.MainWidth, rec.MainHeight);
    ShowDepartmentPane(rec);
  } else {
    std::string text = "yOZ was unable to locate the database location." + rec.yOZDBasePath +
                       "\r\rWould you like to choose a new database location?";
    if (MessageDlg(text, mtConfirmation, mbYesNo) == mrYes) {
      rec.yOZDBasePath.clear();
      Settings->SaveSettings(rec);
      Inform("Please re-start yOZ and choose the new database location.");
    } else {
      Inform("yOZ requires a database to be able to run, and will now shut down.");
    }
    ShuttingDown = true;
    Application->Terminate();
  }
  // A second copy is on its way out: its activation and closing must not touch the shared data that
  // the running copy owns.
  if (secondCopy) ShuttingDown = true;
}

void TfrmMain::FormActivate(TObject* Sender) {
  if (!FirstActivate) return;
  FirstActivate = false;
  ScreenSaverSwitched = false;
  if (ShuttingDown) {
    Close();
    return;
  }
  // Each step's failure is shown and the start goes on, so the board still comes up with its caption,
  // tree and timers, and the timers try again. A failure that leaves no usable board (the user's
  // registration) ends the program once it is shown.
  ReadStartFiles();
  TyOZCBRec rec;
  Settings->LoadSettings(rec);
  ApplyStartSettings(rec);
  if (!StartStep([] { yOZFile->RegisterCurrentUser(); }) && ShuttingDown) {
    Close();
    return;
  }
  AskFirstRun(rec);
  if (!IsNewComCtl32()) Inform(std::string(ComCtlWarning) + MakerFaq());

  Settings->LoadSettings(rec);
  lvMain->SetSortType(rec.SortListView ? stText : stNone);
  FillStartBoard();
  StartTimers(rec);
  StartStep([this] {
    if (yOZMessage->HasNewMessages()) {
      StTrayIcon->SetImages(ImageListNewMail);
      StTrayIcon->SetAnimate(true);
      // Shown now, each in the read dialog: the message timer does not announce them again.
      FWaitingMessages = yOZMessage->WaitingMessages();
      yOZMessage->ShowNewMessages();
    }
  });
  FillStartTree();
}

void TfrmMain::ReadStartFiles() {
  StartStep([this] {
    const std::string alerts = AlertFileName();
    if (FileExists(alerts)) AlertList->LoadFromFile(alerts);
  });
  FAlertListRead = true;

  const std::string folder = DatabaseFolder();
  UserFileAge = FileModTime(folder + UserFileName + ".isd");
  MessageFileAge = FileModTime(folder + MessageFileName + ".isd");
  StartStep([] { yOZFile->ReadConfig(); });
}

void TfrmMain::ApplyStartSettings(const TyOZCBRec& Rec) {
  ShowOfflineUsers = Rec.ShowOfflineUsers;
  if (Rec.UseVacation) {
    actOnHoliday->SetCaption("On Vacation");
    actOnHoliday->SetHint("I'm on vacation");
  } else {
    actOnHoliday->SetCaption("On holiday");
    actOnHoliday->SetHint("I'm on holiday");
  }
  SizeColumns();
}

void TfrmMain::ShowDepartmentPane(const TyOZCBRec& Rec) {
  if (Rec.DisplayDepartments) {
    stMain->SetPosition(Rec.SplitterPos);
    stMain->SetSplitterWidth(3);
  } else {
    stMain->SetPosition(0);
    stMain->SetSplitterWidth(0);
  }
}

void TfrmMain::AskFirstRun(TyOZCBRec& Rec) {
  if (!Rec.FirstTimeRun) return;
  // "Thankyou" on purpose: the question is kept word for word, and the tests match it.
  if (MessageDlg("Thankyou for using yOZ.\r\rWould you like yOZ to start automatically on startup?", mtInformation,
                 mbYesNo) == mrYes)
    StartStep([this] { CreateStartupShortcut(); });
  Rec.FirstTimeRun = false;
  Settings->SaveSettings(Rec);
}

void TfrmMain::FillStartBoard() {
  StartStep([] {
    yOZCurrentUser->Status = "Available";
    yOZFile->SaveCurrentUserStatus();
  });
  StartStep([this] {
    yOZFile->FillMainList(Board());
    FStartFill = int(FBoard.Fills());
  });
}

void TfrmMain::StartTimers(const TyOZCBRec& Rec) {
  // The settings keep both periods within what the settings dialog offers; the runtime's checks stay
  // for a period that is still out of range.
  StartStep([&] {
    tmrCheckForMessages->SetInterval(RangeCheck<uint32_t>(CheckedMul(Rec.CheckForNewMsgEvery, 1000)));
    tmrUpdateListView->SetInterval(RangeCheck<uint32_t>(CheckedMul(Rec.UpdateDisplayTime, 1000)));
    tmrUpdateListView->SetEnabled(Rec.UpdateDisplayTime != 0);
    tmrCheckForMessages->SetEnabled(yOZFile->AllowMessages && Rec.CheckForNewMsgEvery != 0);
  });
  if (Rec.DetectScreenSaver) {
    ScreenSaverStatus = Rec.ScreenSaverStatus;
    tmrScreenSaver->SetEnabled(true);
  }
}

void TfrmMain::FillStartTree() {
  TTreeViewDepartments tree(tvMain);
  if (!StartStep([&] { yOZDepartment->FillDepartmentTree(&tree); })) {
    // The tree's top node still captions the window and shows all users.
    tree.ClearNodes();
    tree.AddTopNode("Departments");
  }
  // The tree selects its top node when it takes the focus; a box or a read dialog shown during the
  // start (the first run's question, a waiting message, a failure) took that focus.
  TTreeNode* root = tvMain->Items()->GetFirstNode();
  if (root && !tvMain->Selected()) tvMain->SetSelected(root);
  if (Caption().empty()) StartStep([&] { tvMainChange(tvMain, root); });
}

void TfrmMain::SizeColumns() {
  // Without redrawing between the columns: each width set on the showing list view repainted it, which
  // cost more than the sizing itself.
  TUpdateScope update(&FBoard);
  for (int i = 0; i < lvMain->Columns()->Count(); ++i)
    if (i != BoardPCNameColumn) FBoard.AutoSizeColumn(i);
}

void TfrmMain::FormResize(TObject* Sender) {
  if (!lvMain || lvMain->Columns()->Count() <= BoardPCNameColumn) return;
  lvMain->Column(BoardPCNameColumn)->SetWidth(0);
  SizeColumns();
}

// ---------------------------------------------------------------------------------------------------
// Timers

void TfrmMain::tmrUpdateListViewTimer(TObject* Sender) {
  if (!yOZFile) return;
  // The shut-down marker: written by an administrator's hand to close every copy.
  if (FileExists(DatabaseFolder() + UserFileName + ".smd")) {
    Close();
    return;
  }
  try {
    const std::string data = DatabaseFolder() + UserFileName + ".isd";
    if (FileModTime(data) != UserFileAge) {
      // Taken before the reload on purpose: a failed refresh waits for the file's next write by any copy.
      UserFileAge = FileModTime(data);
      yOZFile->LoadCurrentUser();
      StTrayIcon->SetImageIndex(yOZFile->StatusImageIndex(yOZCurrentUser->Status));
      IsAdministrator = yOZCurrentUser->Administrator == 1;
      RefillBoard();
      AlertList->CheckAlerts(Board());
      if (!AlertList->AlertText.empty())
        Inform("Status update from yOZ at " + DateTimeToStr(Now()) + "\r\r" + AlertList->AlertText);
    }
  } catch (...) {
    // Swallowed on purpose: a share away for a moment must not raise a box on every copy each tick.
    SetPanelText("Attempting to update yOZ...");
  }
}

void TfrmMain::tmrCheckForMessagesTimer(TObject* Sender) {
  // A tick while the box is up looks at the file after it: one box at a time.
  if (!yOZFile || FAnnouncing) return;
  try {
    const std::string data = DatabaseFolder() + MessageFileName + ".isd";
    if (FileModTime(data) != MessageFileAge) {
      // Taken before the check on purpose, as the board timer's: retried only when the file changes.
      MessageFileAge = FileModTime(data);
      // Each new message is announced once, at the first look after it came, on every machine: what
      // decides is which messages wait, not this copy's own writes (a message read or deleted here),
      // other people's messages, or which windows were opened since the last announcement.
      std::vector<std::string> waiting = yOZMessage->WaitingMessages();
      const bool arrived = std::any_of(waiting.begin(), waiting.end(), [this](const std::string& M) {
        return !std::binary_search(FWaitingMessages.begin(), FWaitingMessages.end(), M);
      });
      FWaitingMessages = std::move(waiting);
      if (arrived)
        AnnounceNewMessage();
      else if (FWaitingMessages.empty())
        ShowStatusUnlessNewMail();
      SetPanelText("");
    }
  } catch (...) {
    // Swallowed on purpose, as the board timer's failures: the status bar says it meanwhile.
    SetPanelText("Attempting to check for messages...");
  }
}

void TfrmMain::AnnounceNewMessage() {
  if (!StTrayIcon->Animate()) {
    bool playWav = MainDialogs.PlayWavFile ? MainDialogs.PlayWavFile() : false;
    std::string wav = MainDialogs.WavFileSelected ? MainDialogs.WavFileSelected() : std::string();
    yOZMessage->PlayNewMessageSound(playWav, wav);
  }
  StTrayIcon->SetImages(ImageListNewMail);
  StTrayIcon->SetAnimate(true);
  FAnnouncing = true;
  TScopeExit done([this] { FAnnouncing = false; });
  Inform("You have a new yOZ message");
}

void TfrmMain::tmrScreenSaverTimer(TObject* Sender) {
  if (!yOZFile) return;
  if (IsScreenSaverRunning()) {
    // Exactly "Available" on purpose, as its command stores it: any other status (custom ones too) is left alone.
    if (!ScreenSaverSwitched && yOZCurrentUser->Status == "Available") {
      ScreenSaverSwitched = true;
      yOZCurrentUser->Status = ScreenSaverStatus;
      yOZFile->UpdateUser(yOZCurrentUser);
    }
  } else if (ScreenSaverSwitched) {
    ScreenSaverSwitched = false;
    yOZCurrentUser->Status = "Available";
    yOZFile->UpdateUser(yOZCurrentUser);
  }
}

// ---------------------------------------------------------------------------------------------------
// Tray, closing, destruction, exceptions

void TfrmMain::StTrayIconDblClick(TObject* Sender, TMouseButton Button, TShiftState Shift, bool& Handled) {
  if (!StTrayIcon->Animate() || !frmyOZMessages || !frmyOZMessageInBox) return;
  if (frmyOZMessages->Showing() || frmyOZMessageInBox->Showing()) return;
  ShowStatusUnlessNewMail();
  if (!StTrayIcon->Animate()) return;
  frmyOZMessageInBox->ShowModal();
}

void TfrmMain::ShowStatusUnlessNewMail() {
  if (!StTrayIcon->Animate() || !yOZMessage || yOZMessage->HasNewMessages()) return;
  StTrayIcon->SetImages(imgSmallPics);
  StTrayIcon->SetAnimate(false);
}

void TfrmMain::FormCloseQuery(TObject* Sender, bool& CanClose) {
  CanClose = true;
  TyOZCBRec rec;
  Settings->LoadSettings(rec);
  if (ShuttingDown) return;
  // The program ends even when the shared folder cannot be written now: the failure is shown, the
  // window's place is still kept.
  try {
    if (rec.ClearCommentOnSD) {
      yOZCurrentUser->Comments.clear();
      yOZFile->UpdateUser(yOZCurrentUser);
    }
    if (rec.ChangeStatusOnSD) {
      yOZCurrentUser->Status = rec.ShutDownStatus;
      yOZFile->SaveCurrentUserStatus();
    }
  } catch (const EUserRemoved&) {
    // Her login was taken off the board: nothing of hers to write, and she was told at her last change.
  } catch (...) {
    Application->HandleException(this);
  }
  rec.MainHeight = Height();
  rec.MainLeft = Left();
  rec.MainTop = Top();
  rec.MainWidth = Width();
  if (rec.DisplayDepartments) rec.SplitterPos = stMain->Position();
  Settings->SaveSettings(rec);
  Application->Terminate();
}

void TfrmMain::FormDestroy(TObject* Sender) {
  if (MutexHandle) CloseHandle(MutexHandle);
  MutexHandle = nullptr;
  // A copy that never read the list (a second copy, no usable database) would write an empty one over
  // the list the running copy keeps.
  if (AlertList && FAlertListRead) {
    try {
      SaveAlertFile(AlertList, GetWindowsDir(), OwnAlertFolder());
    } catch (...) {
      // The window is going; a list that cannot be written now is lost like the program's other state.
    }
  }
  FreeAndNil(AlertList);
  FreeAndNil(yOZFile);
  TUser* user = yOZCurrentUser;
  yOZCurrentUser = nullptr;
  TObject::Free(user);
  FreeAndNil(yOZStatus);
  FreeAndNil(yOZMessage);
  FreeAndNil(yOZDepartment);
  FreeAndNil(Settings);
}

void TfrmMain::AppEventsException(TObject* Sender, Exception* E) {
  // Not a fault of the program: said to the user as it is.
  if (dynamic_cast<EUserRemoved*>(E)) {
    Inform(E->Message);
    return;
  }
  Inform("The following error occurred within yOZ - " + E->Message);
}
