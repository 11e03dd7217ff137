// The departments dialog.
#include "yOZDepartments.h"

#include "FormFields.h"
#include "Main.h"

TfrmyOZDepartments* frmyOZDepartments = nullptr;

namespace {

const TListStore DepartmentStore = {
    [] { yOZDepartment->CreateDepartmentFile(); },
    [](TStrings* Names) { yOZDepartment->FillDepartmentList(Names); },
    [](int Key) { return yOZDepartment->ReadDepartment(Key); },
    [](const std::string& Name) { yOZDepartment->AddDepartment(Name); },
    [](const std::string& OldName, const std::string& NewName) { yOZDepartment->ReplaceDepartment(OldName, NewName); },
    [](int Key) { yOZDepartment->DeleteDepartment(Key); },
    nullptr,
};

}  // namespace

TfrmyOZDepartments::TfrmyOZDepartments(TComponent* AOwner)
    : TfrmListAdmin(AOwner, "Department", "Administer_departments", DepartmentStore) {}

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

// The board's tree follows the list however the dialog is closed (button, Esc or close box).
void TfrmyOZDepartments::FormClose(TObject*, TCloseAction&) {
  if (!frmMain) return;
  TTreeViewDepartments tree(frmMain->tvMain);
  yOZDepartment->FillDepartmentTree(&tree);
}
