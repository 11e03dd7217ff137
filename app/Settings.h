#pragma once
// The settings dialog: the current user's own name, extension and department, the per-user settings
// of this copy and, for administrators, the database-wide log type and messages switch; also moves
// the program to another database folder and makes the start-up shortcut.
#include <string>

#include "Buttons.h"
#include "ComCtrls.h"
#include "Dialogs.h"
#include "FPTFolderBrowseDlg.h"
#include "Forms.h"
#include "OvcBase.h"
#include "OvcClrCb.h"
#include "RzSpnEdt.h"
#include "StdCtrls.h"
#include "yOZCB.h"
#include "yOZFile.h"

class TfrmSettings : public TForm {
  YOZ_CLASS(TfrmSettings, TForm)
public:
  explicit TfrmSettings(TComponent* AOwner);
  ~TfrmSettings() override;

  // Components of the form resource.
  TPageControl* PageControlSettings = nullptr;
  TTabSheet *tsDisplay = nullptr, *tsOptions = nullptr, *tsMessages = nullptr;
  TEdit *txtName = nullptr, *txtExtension = nullptr, *txtDepartment = nullptr;
  TComboBox *cboDepartments = nullptr, *cboFontSize = nullptr, *cboShutDownStatus = nullptr,
            *cboScreenSaverStatus = nullptr, *cboLogging = nullptr;
  TOvcController* OvcController1 = nullptr;
  TOvcColorComboBox* cboFontColour = nullptr;
  TCheckBox *chkSortByUser = nullptr, *chkShowOfflineUsers = nullptr, *chkUseVacation = nullptr,
            *chkDisplayDepartments = nullptr, *chkShowGrid = nullptr, *chkAutoComment = nullptr,
            *chkClearComment = nullptr, *chkSetStatusToOnSD = nullptr, *chkDetectSSaver = nullptr,
            *chkAllowMessages = nullptr, *chkPlayWavFile = nullptr;
  TRzSpinEdit *seDisplayUpdate = nullptr, *seCheckNewMessages = nullptr;
  TSpeedButton* SpeedBtnLaunch = nullptr;
  TLabel *lblStartUpInfo = nullptr, *lblLaunchAtStart = nullptr, *lblShutDownStatus = nullptr,
         *lblScreenSaverStatus = nullptr, *lblLogging = nullptr, *lblCheckMessages = nullptr,
         *lblCheckMessagesSeconds = nullptr;
  TEdit *txtLocationOfyOZDBase = nullptr, *edtWavFileSelected = nullptr;
  TBitBtn *BitBtnBrowse = nullptr, *BitBtnWAV = nullptr;
  TOpenDialog* OpenWAVFile = nullptr;
  TPTFolderBrowseDlg* PTFolderBrowseDBase = nullptr;
  TButton *btnOk = nullptr, *btnCancel = nullptr, *btnHelp = nullptr;

  // Runs the dialog on the two records; on OK they hold the new values. Returns the modal result.
  int Execute(TyOZCBRec& Rec, TyOZConfigRec& Config);


  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormActivate(TObject* Sender);
  void btnOkClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);
  void btnHelpClick(TObject* Sender);
  void SpeedBtnLaunchClick(TObject* Sender);
  void BitBtnBrowseClick(TObject* Sender);
  void BitBtnWAVClick(TObject* Sender);
  void chkPlayWavFileClick(TObject* Sender);
  void chkSetStatusToOnSDClick(TObject* Sender);
  void chkDetectSSaverClick(TObject* Sender);
  void chkAllowMessagesClick(TObject* Sender);

  TyOZCB* Settings = nullptr;

  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  static void Publish(TPublisher<TfrmSettings>& p);

private:
  std::string FShownFolder;  // the database folder in use, as the dialog showed it
  void EnableControls();
  void LoadControls(const TyOZCBRec& Rec, const TyOZConfigRec& Config);
  void StoreControls(TyOZCBRec& Rec, TyOZConfigRec& Config);
};
extern TfrmSettings* frmSettings;

// Makes the dialog's classes known to the form reader, once.
void SettingsInitialize();
