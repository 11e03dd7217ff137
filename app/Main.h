#pragma once
// The main window of the in/out board: the board of users, the department tree, the status commands,
// the timers that notice other copies' writes, the tray icon, and the program's start and end.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ActnList.h"
#include "AppEvnts.h"
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "ExtCtrlsPanels.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "StShrtCt.h"
#include "dxBar.h"
#include "StTrIcon.h"
#include "UPTSplitter.h"
#include "MessageObj.h"
#include "yOZAlert.h"
#include "yOZCB.h"
#include "yOZDepartmentObj.h"
#include "yOZFile.h"
#include "yOZStatusesObj.h"
#include "yOZViews.h"

// The process-wide stores, made by the main window's creation and freed by its destruction.
extern TyOZFile* yOZFile;
extern TYOZStatus* yOZStatus;
extern TYOZMessage* yOZMessage;
extern TYOZDepartment* yOZDepartment;

class TfrmMain;
extern TfrmMain* frmMain;

// The windows the commands open. Each is set once its dialog exists; an unset one leaves its command
// doing nothing.
struct TMainDialogs {
  std::function<bool(std::string& Status)> SelectStatus;     // OK: the picked text
  std::function<void()> Comments;
  std::function<void()> Users;
  std::function<void()> Departments;
  std::function<void()> Statuses;
  // OK or Cancel; on OK both records hold the new values.
  std::function<int(TyOZCBRec& Rec, TyOZConfigRec& Config)> Settings;
  std::function<void(const std::string& Product, const std::string& Version, const std::string& Contact)> About;
  std::function<void()> SelectDepartment;
  std::function<void(TyOZAlert* Alerts)> Alerts;
  // The settings dialog's sound choice as it stands (unchecked and empty until it was first shown).
  std::function<bool()> PlayWavFile;
  std::function<std::string()> WavFileSelected;
};
extern TMainDialogs MainDialogs;
// Points MainDialogs at the program's dialog forms, once they are made.
void ConnectMainDialogs();

// The modification time of a file at the file system's full resolution (a 64-bit FILETIME count in
// a double: steps of well under a millisecond), -1 when the file is missing. The runtime's FileAge
// counts in 2-second steps, so two writes close together would look like one.
double FileModTime(const std::string& FileName);

// Makes the classes of every unit the program's forms use known to the form reader, once.
void yOZInitializeUnits();

class TfrmMain : public TForm {
  YOZ_CLASS(TfrmMain, TForm)
public:
  explicit TfrmMain(TComponent* AOwner);
  ~TfrmMain() override;

  // Components of the form resource.
  TStatusBar* StatusBarMain = nullptr;
  TdxBarManager* dxBarManagerMain = nullptr;
  TPTSplitter* stMain = nullptr;
  TTreeView* tvMain = nullptr;
  TListView* lvMain = nullptr;
  TStTrayIcon* StTrayIcon = nullptr;
  TStShortcut* StShortcut = nullptr;
  TImageList* imgSmallPics = nullptr;
  TImageList* ImageListNewMail = nullptr;
  TActionList* ActionList = nullptr;
  TPopupMenu* popmnuMain = nullptr;
  TPopupMenu* popMnuTrayIcon = nullptr;
  TApplicationEvents* AppEvents = nullptr;
  TTimer* tmrUpdateListView = nullptr;
  TTimer* tmrCheckForMessages = nullptr;
  TTimer* tmrScreenSaver = nullptr;
  TAction *actFileExit = nullptr, *actAtLunch = nullptr, *actAvailable = nullptr, *actAwayFromDesk = nullptr,
          *actDND = nullptr, *actGoneHome = nullptr, *actInMeeting = nullptr, *actOnHoliday = nullptr,
          *actOutOfOffice = nullptr, *actSick = nullptr, *actCustomStatus = nullptr, *actSettings = nullptr,
          *actHelpAbout = nullptr, *actHelpOnyOZ = nullptr, *actComments = nullptr, *actUsers = nullptr,
          *actDepartments = nullptr, *actStatuses = nullptr, *actSendMessage = nullptr, *actVeiwInBox = nullptr,
          *actFilterDepartment = nullptr, *actRefresh = nullptr, *actAddToAlertList = nullptr,
          *actClearAlertList = nullptr, *actViewAlertList = nullptr;

  // Event handlers (bound by name from the form resource).
  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormDestroy(TObject* Sender);
  void FormResize(TObject* Sender);
  void tmrUpdateListViewTimer(TObject* Sender);
  void tmrCheckForMessagesTimer(TObject* Sender);
  void tmrScreenSaverTimer(TObject* Sender);
  void StTrayIconDblClick(TObject* Sender, TMouseButton Button, TShiftState Shift, bool& Handled);
  // The tray flashes "new mail" only while a new message waits: once none does (the last one was read
  // or deleted, here or on another machine), it shows the user's status again.
  void ShowStatusUnlessNewMail();
  void AppEventsException(TObject* Sender, Exception* E);

  void actAtLunchExecute(TObject* Sender);
  void actAvailableExecute(TObject* Sender);
  void actAwayFromDeskExecute(TObject* Sender);
  void actDNDExecute(TObject* Sender);
  void actGoneHomeExecute(TObject* Sender);
  void actInMeetingExecute(TObject* Sender);
  void actOnHolidayExecute(TObject* Sender);
  void actOutOfOfficeExecute(TObject* Sender);
  void actSickExecute(TObject* Sender);
  void actCustomStatusExecute(TObject* Sender);
  void actCommentsExecute(TObject* Sender);
  void actSettingsExecute(TObject* Sender);
  void actUsersExecute(TObject* Sender);
  void actDepartmentsExecute(TObject* Sender);
  void actStatusesExecute(TObject* Sender);
  void actHelpAboutExecute(TObject* Sender);
  void actHelpOnyOZExecute(TObject* Sender);
  void actSendMessageExecute(TObject* Sender);
  void actVeiwInBoxExecute(TObject* Sender);
  void actFilterDepartmentExecute(TObject* Sender);
  void actRefreshExecute(TObject* Sender);
  void actAddToAlertListExecute(TObject* Sender);
  void actClearAlertListExecute(TObject* Sender);
  void actViewAlertListExecute(TObject* Sender);
  void actFileExitExecute(TObject* Sender);
  void lvMainDblClick(TObject* Sender);
  void tvMainChange(TObject* Sender, TTreeNode* Node);
  void ActionListUpdate(TBasicAction* Action, bool& Handled);

  // The board as the stores see it.
  IBoardView* Board() { return &FBoard; }
  // Refills the board, filtered on the department tree's choice when one is active.
  void RefillBoard();
  // The alert list's file: the login and ".yOZ" in the Windows folder, or in the user's own
  // application-data folder when the Windows folder cannot be written (see SaveAlertFile).
  std::string AlertFileName() const;
  static std::string OwnAlertFolder();
  // Puts the start-up shortcut into the user's Startup folder (made when missing) and says whether it
  // was written: the first run and the settings dialog's Launch button.
  void CreateStartupShortcut();

  // State the Parts name (read by the tests and the later dialogs).
  TyOZCB* Settings = nullptr;
  TyOZAlert* AlertList = nullptr;
  HANDLE MutexHandle = nullptr;
  std::string ScreenSaverStatus;
  bool FirstActivate = true;
  bool ScreenSaverSwitched = false;
  double UserFileAge = -1;
  double MessageFileAge = -1;
  bool ShuttingDown = false;

  void Loaded() override;
  static void Publish(TPublisher<TfrmMain>& p);

private:
  void ApplyStatus(const std::string& Status);  // the status change and the refill
  void SetStatus(const std::string& Status);    // the same under the hour-glass
  void SizeColumns();
  void LoadImages();
  void SetPanelText(const std::string& Text);
  // Runs one step of the first activation; a failure is shown and false returned.
  bool StartStep(const std::function<void()>& Work);
  // Makes the stores on the shared folder; a folder that cannot be used ends the program.
  void OpenStores(const std::string& Folder);
  // The first activation's parts, in their order.
  void ReadStartFiles();                              // the alert list, the files' ages, the configuration
  void ApplyStartSettings(const TyOZCBRec& Rec);      // what the settings change on the board
  void ShowDepartmentPane(const TyOZCBRec& Rec);      // the department tree beside the board, or none
  void AskFirstRun(TyOZCBRec& Rec);                   // the first run's start-up question
  void FillStartBoard();                              // this user available, the board filled
  void StartTimers(const TyOZCBRec& Rec);
  void FillStartTree();                               // the department tree, its top node selected
  std::string DatabaseFolder() const;
  TListViewBoard FBoard{nullptr};
  bool FAlertListRead = false;  // the activation has read the alert list (it may be saved back)
  int FStartFill = -1;  // the board's fill count after the activation filled it with every user
  // The new messages for this login that the message timer found at its last look (as
  // TYOZMessage::WaitingMessages gives them): one not among them has come since and is announced.
  std::vector<std::string> FWaitingMessages;
  bool FAnnouncing = false;  // the new-message box is up
  void AnnounceNewMessage();
};
