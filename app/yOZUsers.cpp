// The users dialog.
#include "yOZUsers.h"

#include "Dialogs.h"
#include "FormFields.h"
#include "Main.h"
#include "SysUtils.h"

TfrmyOZUsers* frmyOZUsers = nullptr;

void TfrmyOZUsers::Publish(TPublisher<TfrmyOZUsers>& p) {
  p.Method("FormShow", &TfrmyOZUsers::FormShow);
  p.Method("lbUsersClick", &TfrmyOZUsers::lbUsersClick);
  p.Method("actUpdateExecute", &TfrmyOZUsers::actUpdateExecute);
  p.Method("actUpdateUpdate", &TfrmyOZUsers::actUpdateUpdate);
  p.Method("actDeleteExecute", &TfrmyOZUsers::actDeleteExecute);
  p.Method("actDeleteUpdate", &TfrmyOZUsers::actDeleteUpdate);
  p.Method("actCloseExecute", &TfrmyOZUsers::actCloseExecute);
  p.Method("btnHelpClick", &TfrmyOZUsers::btnHelpClick);
  p.Method("BitBtnClearClick", &TfrmyOZUsers::BitBtnClearClick);
}

void TfrmyOZUsers::Loaded() {
  FindField(this, lbUsers, "lbUsers");
  FindField(this, txtName, "txtName");
  FindField(this, cboStatus, "cboStatus");
  FindField(this, txtStatus, "txtStatus");
  FindField(this, cboDepartment, "cboDepartment");
  FindField(this, txtDepartment, "txtDepartment");
  FindField(this, txtUserName, "txtUserName");
  FindField(this, txtComments, "txtComments");
  FindField(this, BitBtnClear, "BitBtnClear");
  FindField(this, txtExtension, "txtExtension");
  FindField(this, chkboxAdministrator, "chkboxAdministrator");
  FindField(this, ActionList, "ActionList");
  FindField(this, actUpdate, "actUpdate");
  FindField(this, actDelete, "actDelete");
  FindField(this, actClose, "actClose");
  FindField(this, btnUpdate, "btnUpdate");
  FindField(this, btnDelete, "btnDelete");
  FindField(this, btnCancel, "btnCancel");
  FindField(this, btnHelp, "btnHelp");
  TForm::Loaded();
  // The clear button's picture is drawn at build time and travels as a bitmap resource.
  if (FindResourceA(nullptr, "CLEARGLYPH", RT_BITMAP))
    BitBtnClear->Glyph()->LoadFromResourceName(GetModuleHandleA(nullptr), "CLEARGLYPH");
}

void TfrmyOZUsers::FormShow(TObject*) {
  txtName->Clear();
  txtStatus->Clear();
  txtUserName->Clear();
  txtComments->Clear();
  txtExtension->Clear();
  chkboxAdministrator->SetChecked(false);
  yOZFile->FillUserNames(lbUsers->Items());
  yOZStatus->CreateStatusFile();
  yOZStatus->FillStatusList(cboStatus->Items());
  yOZDepartment->FillDepartmentCombo(cboDepartment->Items());
  SetActiveControl(btnCancel);
}

namespace {

// The first entry that equals Text exactly, or none.
void SelectEqual(TComboBox* Combo, const std::string& Text) {
  int found = -1;
  for (int i = 0; i < Combo->Items()->Count() && found < 0; ++i)
    if (Combo->Items()->Strings(i) == Text) found = i;
  Combo->SetItemIndex(found);
}

// The chosen entry; with none chosen (a stored value that the list lacks, such as a renamed
// department), the stored value, so an edit of other details does not blank it.
std::string ChosenOrStored(TComboBox* Combo, TEdit* Stored) {
  return Combo->ItemIndex() >= 0 ? Combo->Items()->Strings(Combo->ItemIndex()) : Stored->Text();
}

}  // namespace

void TfrmyOZUsers::lbUsersClick(TObject*) {
  const int index = lbUsers->ItemIndex();
  if (index < 0) return;
  std::string name, status, comments, extension, department, login;
  int16_t administrator = 0;
  yOZFile->ShowUser(EntryKey(lbUsers->Items(), index), name, status, comments, extension, department, login,
                    administrator);
  txtName->SetText(name);
  txtStatus->SetText(status);
  txtComments->SetText(comments);
  txtExtension->SetText(extension);
  txtDepartment->SetText(department);
  txtUserName->SetText(login);
  chkboxAdministrator->SetChecked(administrator == 1);
  FShownAdministrator = administrator == 1;
  FShown.Name = name;
  FShown.Status = status;
  FShown.Comments = comments;
  FShown.Extension = extension;
  FShown.Department = department;
  FShown.LogInName = login;
  FShown.Administrator = administrator;
  SelectEqual(cboStatus, status);
  SelectEqual(cboDepartment, department);
}

void TfrmyOZUsers::ClearDetails() {
  txtName->Clear();
  txtStatus->Clear();
  txtDepartment->Clear();
  txtComments->Clear();
  txtExtension->Clear();
  txtUserName->Clear();
  cboStatus->SetItemIndex(-1);
  cboDepartment->SetItemIndex(-1);
  chkboxAdministrator->SetChecked(false);
  FShownAdministrator = false;
}

void TfrmyOZUsers::actUpdateExecute(TObject*) {
  // The last administrator keeps the box, as he cannot be deleted either: without one nobody could
  // administer anything again.
  if (FShownAdministrator && !chkboxAdministrator->Checked() && yOZFile->OneAdministratorOnly()) {
    MessageDlg(
        "This user is the only Administrator within yOZ.\r\rPlease make another user an Administrator before "
        "removing this user's Administrator rights",
        mtError, TMsgDlgButtons{mbOK});
    return;
  }
  // A user record of our own: the logged-in user in memory stays who he is. Only what the
  // administrator changed is written: the user may have changed his status since it was shown.
  TUser user;
  user.Name = txtName->Text();
  user.Status = ChosenOrStored(cboStatus, txtStatus);
  user.Comments = txtComments->Text();
  user.Extension = txtExtension->Text();
  user.Department = ChosenOrStored(cboDepartment, txtDepartment);
  user.LogInName = txtUserName->Text();
  user.Administrator = chkboxAdministrator->Checked() ? 1 : 0;
  yOZFile->UpdateChangedDetails(FShown, user);
  yOZFile->FillUserNames(lbUsers->Items());
  ClearDetails();
  if (frmMain) yOZFile->FillMainList(frmMain->Board());
}

// A blank name would put a nameless row on every board.
void TfrmyOZUsers::actUpdateUpdate(TObject*) {
  actUpdate->SetEnabled(lbUsers->ItemIndex() >= 0 && !Trim(txtName->Text()).empty());
}

void TfrmyOZUsers::actDeleteExecute(TObject*) {
  const int index = lbUsers->ItemIndex();
  if (index < 0) return;
  if (chkboxAdministrator->Checked() && yOZFile->OneAdministratorOnly()) {
    MessageDlg(
        "This user is the only Administrator within yOZ.\r\rPlease make another user and Administrator before "
        "deleting this user",
        mtError, TMsgDlgButtons{mbOK});
    return;
  }
  if (MessageDlg("Are you sure you want to delete \"" + txtName->Text() + " \"", mtInformation, mbYesNo) != mrYes)
    return;
  yOZFile->DeleteUser(EntryKey(lbUsers->Items(), index));
  yOZFile->FillUserNames(lbUsers->Items());
  // No row is selected now: the deleted user's details must not stay as if they could be updated.
  ClearDetails();
}

void TfrmyOZUsers::actDeleteUpdate(TObject*) {
  actDelete->SetEnabled(lbUsers->ItemIndex() >= 0 && lbUsers->Items()->Count() > 1);
}

void TfrmyOZUsers::actCloseExecute(TObject*) { Close(); }

void TfrmyOZUsers::btnHelpClick(TObject*) { Application->HelpJump("Administer_Users"); }

void TfrmyOZUsers::BitBtnClearClick(TObject*) { txtComments->Clear(); }
