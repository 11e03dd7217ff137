// The department picker.
#include "SelectDepartment.h"

#include "FormFields.h"
#include "Main.h"

TfrmSelectDepartment* frmSelectDepartment = nullptr;

void TfrmSelectDepartment::Publish(TPublisher<TfrmSelectDepartment>& p) {
  p.Method("FormShow", &TfrmSelectDepartment::FormShow);
  p.Method("ListBoxSelectDepartmentClick", &TfrmSelectDepartment::ListBoxSelectDepartmentClick);
  p.Method("btnCloseClick", &TfrmSelectDepartment::btnCloseClick);
}

void TfrmSelectDepartment::Loaded() {
  FindField(this, ListBoxSelectDepartment, "ListBoxSelectDepartment");
  FindField(this, txtSelectedDepartment, "txtSelectedDepartment");
  FindField(this, btnClose, "btnClose");
  TForm::Loaded();
  FKeys.Attach(ListBoxSelectDepartment);
}

void TfrmSelectDepartment::FormShow(TObject*) { yOZDepartment->FillDepartmentList(ListBoxSelectDepartment->Items()); }

void TfrmSelectDepartment::ListBoxSelectDepartmentClick(TObject*) {
  const int index = ListBoxSelectDepartment->ItemIndex();
  if (index < 0 || FKeys.ByKeys()) return;
  Close();
  const std::string department = yOZDepartment->SelectDepartment(EntryKey(ListBoxSelectDepartment->Items(), index));
  txtSelectedDepartment->SetText(department);
  // A department deleted meanwhile on another machine cannot be read (the store has said so): the
  // board keeps the filter it had rather than filter on nothing.
  if (department.empty()) return;
  yOZDepartment->FilterDepartment = department;
  yOZDepartment->FilterActive = true;
  if (!frmMain) return;
  frmMain->SetCaption("yOZ - Filtered on " + department);
  yOZFile->FillMainListForDepartment(frmMain->Board(), department);
}

void TfrmSelectDepartment::btnCloseClick(TObject*) {
  if (ListBoxSelectDepartment->ItemIndex() < 0) {
    yOZDepartment->FilterDepartment.clear();
    yOZDepartment->FilterActive = false;
    if (frmMain) {
      frmMain->SetCaption("yOZ - All Departments");
      yOZFile->FillMainList(frmMain->Board());
    }
  }
  Close();
}
