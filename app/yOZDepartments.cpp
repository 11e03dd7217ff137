// The departments dialog.
#include "yOZDepartments.h"

#include "FormFields.h"
#include "Main.h"

TfrmyOZDepartments* frmyOZDepartments = nullptr;

void TfrmyOZDepartments::Publish(TPublisher<TfrmyOZDepartments>& p) {
  p.Method("FormClose", &TfrmyOZDepartments::FormClose);
  p.Method("lstDepartmentsClick", &TfrmyOZDepartments::ListClick);
}

void TfrmyOZDepartments::Loaded() {
  FindField(this, lstDepartments, "lstDepartments");
  FindField(this, txtDepartment, "txtDepartment");
  FList = lstDepartments;
  FEntry = txtDepartment;
  TfrmListAdmin::Loaded();
}

void TfrmyOZDepartments::CreateStoreFile() { yOZDepartment->CreateDepartmentFile(); }

void TfrmyOZDepartments::FillList(TStrings* Names) { yOZDepartment->FillDepartmentList(Names); }

std::string TfrmyOZDepartments::ReadEntry(int Key) { return yOZDepartment->ReadDepartment(Key); }

void TfrmyOZDepartments::AddEntry(const std::string& Name) { yOZDepartment->AddDepartment(Name); }

void TfrmyOZDepartments::ReplaceEntry(const std::string& OldName, const std::string& NewName) {
  yOZDepartment->ReplaceDepartment(OldName, NewName);
}

void TfrmyOZDepartments::DeleteEntry(int Key) { yOZDepartment->DeleteDepartment(Key); }

// The board's tree follows the list however the dialog is closed (button, Esc or close box).
void TfrmyOZDepartments::FormClose(TObject*, TCloseAction&) {
  if (!frmMain) return;
  TTreeViewDepartments tree(frmMain->tvMain);
  yOZDepartment->FillDepartmentTree(&tree);
}
