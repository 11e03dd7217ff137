#pragma once
// The database wizard: at the first start it asks whether to join an existing database folder or to
// make a new one in an empty folder (the database files are made by the first registration).
#include <string>

#include "ActnList.h"
#include "ExtCtrls.h"
#include "ExtCtrlsPanels.h"
#include "FPTFolderBrowseDlg.h"
#include "Forms.h"
#include "StdCtrls.h"

class TfrmDatabaseWizard : public TForm {
  YOZ_CLASS(TfrmDatabaseWizard, TForm)
public:
  explicit TfrmDatabaseWizard(TComponent* AOwner) : TForm(AOwner) {}

  // Components of the form resource.
  TNotebook* nbMain = nullptr;
  TLabel *lblInfo = nullptr, *Label2 = nullptr, *Label3 = nullptr;
  TRadioButton *RadioButtonExisting = nullptr, *RadioButtonCreateNew = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *btnHelp = nullptr;
  TAction *actNext = nullptr, *actPrevious = nullptr, *actCancel = nullptr;
  TPTFolderBrowseDlg* PTFldrBrwseDlg = nullptr;

  void FormShow(TObject* Sender);
  void actNextUpdate(TObject* Sender);
  void actNextExecute(TObject* Sender);
  void actPreviousUpdate(TObject* Sender);
  void actPreviousExecute(TObject* Sender);
  void actCancelExecute(TObject* Sender);
  void btnHelpClick(TObject* Sender);

  void Loaded() override;
  static void Publish(TPublisher<TfrmDatabaseWizard>& p);

private:
  // Runs the folder dialog under Title: True with the chosen folder (with a trailing backslash).
  bool BrowseFolder(const char* Title, std::string& Folder);
  // Closes the wizard with OK when Folder can serve as the database folder; otherwise says why.
  void TakeFolder(const std::string& Folder);
};

// Makes the wizard's classes known to the form reader, once.
void DatabaseWizardInitialize();

// Shows the wizard modally and frees it: True on OK, with the chosen folder.
bool RunDatabaseWizard(std::string& Folder);
