// The departments dialog.
#include "yOZDepartments.h"

#include "Dialogs.h"
#include "FormFields.h"
#include "KLNStringUtils.h"
#include "Main.h"
#include "SysUtils.h"

TfrmyOZDepartments* frmyOZDepartments = nullptr;

void TfrmyOZDepartments::Publish(TPublisher<TfrmyOZDepartments>& p) {
  p.Method("FormShow", &TfrmyOZDepartments::FormShow);
  p.Method("FormClose", &TfrmyOZDepartments::FormClose);
  p.Method("btnCloseClick", &TfrmyOZDepartments::btnCloseClick);
  p.Method("actAddExecute", &TfrmyOZDepartments::actAddExecute);
  p.Method("actAddUpdate", &TfrmyOZDepartments::actAddUpdate);
  p.Method("actDeleteExecute", &TfrmyOZDepartments::actDeleteExecute);
  p.Method("actDeleteUpdate", &TfrmyOZDepartments::actDeleteUpdate);
  p.Method("actUpdateExecute", &TfrmyOZDepartments::actUpdateExecute);
  p.Method("actUpdateUpdate", &TfrmyOZDepartments::actUpdateUpdate);
  p.Method("lstDepartmentsClick", &TfrmyOZDepartments::lstDepartmentsClick);
  p.Method("btnHelpClick", &TfrmyOZDepartments::btnHelpClick);
}

void TfrmyOZDepartments::Loaded() {
  FindField(this, lstDepartments, "lstDepartments");
  FindField(this, txtDepartment, "txtDepartment");
  FindField(this, txtSelectedItem, "txtSelectedItem");
  FindField(this, ActionList, "ActionList");
  FindField(this, actAdd, "actAdd");
  FindField(this, actDelete, "actDelete");
  FindField(this, actUpdate, "actUpdate");
  FindField(this, btnAdd, "btnAdd");
  FindField(this, btnUpdate, "btnUpdate");
  FindField(this, btnDelete, "btnDelete");
  FindField(this, btnClose, "btnClose");
  FindField(this, btnHelp, "btnHelp");
  TForm::Loaded();
}

void TfrmyOZDepartments::FillList() { yOZDepartment->FillDepartmentList(lstDepartments->Items()); }

void TfrmyOZDepartments::FormShow(TObject*) {
  yOZDepartment->CreateDepartmentFile();
  FillList();
  txtDepartment->Clear();
}

void TfrmyOZDepartments::lstDepartmentsClick(TObject*) {
  const int index = lstDepartments->ItemIndex();
  if (index >= 0) txtSelectedItem->SetText(yOZDepartment->ReadDepartment(EntryKey(lstDepartments->Items(), index)));
}

void TfrmyOZDepartments::actAddExecute(TObject*) {
  yOZDepartment->AddDepartment(txtDepartment->Text());
  FillList();
}

void TfrmyOZDepartments::actAddUpdate(TObject*) { actAdd->SetEnabled(!Trim(txtDepartment->Text()).empty()); }

void TfrmyOZDepartments::actUpdateExecute(TObject*) {
  yOZDepartment->ReplaceDepartment(txtSelectedItem->Text(), txtDepartment->Text());
  FillList();
}

void TfrmyOZDepartments::actUpdateUpdate(TObject*) {
  actUpdate->SetEnabled(lstDepartments->ItemIndex() >= 0 && !Trim(txtDepartment->Text()).empty());
}

void TfrmyOZDepartments::actDeleteExecute(TObject*) {
  const int index = lstDepartments->ItemIndex();
  if (index < 0) return;
  if (MessageDlg("Are you sure you want to delete the Department \"" + txtSelectedItem->Text() + "\"", mtInformation,
                 mbYesNo) == mrYes)
    yOZDepartment->DeleteDepartment(EntryKey(lstDepartments->Items(), index));
  FillList();
}

void TfrmyOZDepartments::actDeleteUpdate(TObject*) { actDelete->SetEnabled(lstDepartments->ItemIndex() >= 0); }

void TfrmyOZDepartments::btnCloseClick(TObject*) { Close(); }

// The board's tree follows the list however the dialog is closed (button, Esc or close box).
void TfrmyOZDepartments::FormClose(TObject*, TCloseAction&) {
  if (!frmMain) return;
  TTreeViewDepartments tree(frmMain->tvMain);
  yOZDepartment->FillDepartmentTree(&tree);
}

void TfrmyOZDepartments::btnHelpClick(TObject*) { Application->HelpJump("Administer_departments"); }
