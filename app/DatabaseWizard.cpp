// The database wizard: page 0 chooses between joining and creating, page 1 joins a folder that holds
// a database, page 2 picks a folder that holds none.
#include "DatabaseWizard.h"

#include "Dialogs.h"
#include "FormFields.h"
#include "KLNStringUtils.h"
#include "SysUtils.h"
#include "UPTShellControls.h"
#include "yOZFile.h"

namespace {
enum { pgIntro, pgJoin, pgCreate };

bool HoldsDatabase(const std::string& Folder) { return FileExists(Folder + UserFileName + ".isd"); }

void Inform(const std::string& Text) { MessageDlg(Text, mtInformation, TMsgDlgButtons{mbOK}); }
}  // namespace

void DatabaseWizardInitialize() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterActnListClasses();
  RegisterExtCtrlsPanelsClasses();
  RegisterStdCtrlsClasses();
  UPTShellControlsInitialize();
  FPTFolderBrowseDlgInitialize();
  RegisterClass(TfrmDatabaseWizard::StaticClass());
}

bool RunDatabaseWizard(std::string& Folder) {
  DatabaseWizardInitialize();
  auto* wizard = NewForm<TfrmDatabaseWizard>(nullptr);
  TScopeExit free([&] { TObject::Free(wizard); });
  if (wizard->ShowModal() != mrOk) return false;
  Folder = wizard->PTFldrBrwseDlg->SelectedPath();
  return true;
}

void TfrmDatabaseWizard::Publish(TPublisher<TfrmDatabaseWizard>& p) {
  p.Method("FormShow", &TfrmDatabaseWizard::FormShow);
  p.Method("actNextUpdate", &TfrmDatabaseWizard::actNextUpdate);
  p.Method("actNextExecute", &TfrmDatabaseWizard::actNextExecute);
  p.Method("actPreviousUpdate", &TfrmDatabaseWizard::actPreviousUpdate);
  p.Method("actPreviousExecute", &TfrmDatabaseWizard::actPreviousExecute);
  p.Method("actCancelExecute", &TfrmDatabaseWizard::actCancelExecute);
  p.Method("btnHelpClick", &TfrmDatabaseWizard::btnHelpClick);
}

void TfrmDatabaseWizard::Loaded() {
  FindField(this, nbMain, "nbMain");
  FindField(this, lblInfo, "lblInfo");
  FindField(this, Label2, "Label2");
  FindField(this, Label3, "Label3");
  FindField(this, RadioButtonExisting, "RadioButtonExisting");
  FindField(this, RadioButtonCreateNew, "RadioButtonCreateNew");
  FindField(this, Button1, "Button1");
  FindField(this, Button2, "Button2");
  FindField(this, Button3, "Button3");
  FindField(this, btnHelp, "btnHelp");
  FindField(this, actNext, "actNext");
  FindField(this, actPrevious, "actPrevious");
  FindField(this, actCancel, "actCancel");
  FindField(this, PTFldrBrwseDlg, "PTFldrBrwseDlg");
  TForm::Loaded();
}

void TfrmDatabaseWizard::FormShow(TObject*) {
  lblInfo->SetCaption(
      "Welcome to yOZ, before running yOZ you will need to connect to an existing, or create a new yOZ "
      "Database.  Please select which option you require and then select \"Next\" to continue.");
  Label2->SetCaption("Please select the location of the yOZ Database by clicking \"Next\" below.");
  Label3->SetCaption("Please choose the destination for the new yOZ Database by clicking on \"Next\" below.");
}

void TfrmDatabaseWizard::actNextUpdate(TObject*) {
  actNext->SetEnabled(RadioButtonExisting->Checked() || RadioButtonCreateNew->Checked());
}

void TfrmDatabaseWizard::actPreviousUpdate(TObject*) { actPrevious->SetEnabled(nbMain->PageIndex() > 0); }

bool TfrmDatabaseWizard::BrowseFolder(const char* Title, std::string& Folder) {
  PTFldrBrwseDlg->Title = Title;
  if (!PTFldrBrwseDlg->Execute()) return false;
  // A folder without a file-system path cannot hold a database; "\" would name the current drive's root.
  Folder = PTFldrBrwseDlg->SelectedPath();
  if (Folder.empty()) return false;
  Folder = AddBackslash(Folder);
  return true;
}

void TfrmDatabaseWizard::actNextExecute(TObject*) {
  std::string folder;
  switch (nbMain->PageIndex()) {
    case pgIntro:
      nbMain->SetPageIndex(RadioButtonExisting->Checked() ? pgJoin : pgCreate);
      break;
    case pgJoin:
      if (!BrowseFolder("Join yOZ Database", folder)) break;
      if (!HoldsDatabase(folder)) Inform("yOZ was unable to find an yOZDBase");
      else TakeFolder(folder);
      break;
    case pgCreate:
      if (!BrowseFolder("Create yOZ Database", folder)) break;
      if (HoldsDatabase(folder)) Inform("An yOZDBase already exists in this folder");
      else TakeFolder(folder);
      break;
  }
}

// The main window stores the folder and starts on it: one it cannot use would end this start and
// every later one, so it is told here and the page stays for another choice.
void TfrmDatabaseWizard::TakeFolder(const std::string& Folder) {
  const std::string problem = DatabaseFolderProblem(Folder);
  if (problem.empty()) SetModalResult(mrOk);
  else MessageDlg(problem, mtError, TMsgDlgButtons{mbOK});
}

void TfrmDatabaseWizard::actPreviousExecute(TObject*) {
  nbMain->SetPageIndex(nbMain->PageIndex() == pgCreate ? pgIntro : nbMain->PageIndex() - 1);
}

// The Cancel button's modal result closes the wizard.
void TfrmDatabaseWizard::actCancelExecute(TObject*) {}

void TfrmDatabaseWizard::btnHelpClick(TObject*) {
  Application->SetHelpFile(ChangeFileExt(ParamStr(0), ".hlp"));
  Application->HelpJump("Installation");
}
