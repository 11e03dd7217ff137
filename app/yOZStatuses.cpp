// The statuses dialog.
#include "yOZStatuses.h"

#include "Dialogs.h"
#include "FormFields.h"
#include "KLNStringUtils.h"
#include "Main.h"
#include "SysUtils.h"

TfrmyOZStatuses* frmyOZStatuses = nullptr;

void TfrmyOZStatuses::Publish(TPublisher<TfrmyOZStatuses>& p) {
  p.Method("FormShow", &TfrmyOZStatuses::FormShow);
  p.Method("btnCloseClick", &TfrmyOZStatuses::btnCloseClick);
  p.Method("actAddExecute", &TfrmyOZStatuses::actAddExecute);
  p.Method("actAddUpdate", &TfrmyOZStatuses::actAddUpdate);
  p.Method("actDeleteExecute", &TfrmyOZStatuses::actDeleteExecute);
  p.Method("actDeleteUpdate", &TfrmyOZStatuses::actDeleteUpdate);
  p.Method("actUpdateExecute", &TfrmyOZStatuses::actUpdateExecute);
  p.Method("actUpdateUpdate", &TfrmyOZStatuses::actUpdateUpdate);
  p.Method("lstStatusesClick", &TfrmyOZStatuses::lstStatusesClick);
  p.Method("btnHelpClick", &TfrmyOZStatuses::btnHelpClick);
}

void TfrmyOZStatuses::Loaded() {
  FindField(this, lstStatuses, "lstStatuses");
  FindField(this, txtStatus, "txtStatus");
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

// "Offline" is the program's own shut-down status: it is never offered here.
void TfrmyOZStatuses::FillList() { yOZStatus->FillSelectableStatuses(lstStatuses->Items()); }

void TfrmyOZStatuses::FormShow(TObject*) {
  yOZStatus->CreateStatusFile();
  FillList();
  txtStatus->Clear();
}

void TfrmyOZStatuses::lstStatusesClick(TObject*) {
  const int index = lstStatuses->ItemIndex();
  if (index >= 0) txtSelectedItem->SetText(yOZStatus->ReadStatus(EntryKey(lstStatuses->Items(), index)));
}

void TfrmyOZStatuses::actAddExecute(TObject*) {
  yOZStatus->AddStatus(txtStatus->Text());
  FillList();
}

void TfrmyOZStatuses::actAddUpdate(TObject*) { actAdd->SetEnabled(!Trim(txtStatus->Text()).empty()); }

// A selected status that users may change: the built-in ones keep their names.
bool TfrmyOZStatuses::CustomSelected() {
  return lstStatuses->ItemIndex() >= 0 && !yOZStatus->IsBuiltInStatus(txtSelectedItem->Text());
}

void TfrmyOZStatuses::actUpdateExecute(TObject*) {
  yOZStatus->ReplaceStatus(txtSelectedItem->Text(), txtStatus->Text());
  FillList();
}

void TfrmyOZStatuses::actUpdateUpdate(TObject*) {
  actUpdate->SetEnabled(CustomSelected() && !Trim(txtStatus->Text()).empty());
}

void TfrmyOZStatuses::actDeleteExecute(TObject*) {
  const int index = lstStatuses->ItemIndex();
  if (index < 0) return;
  if (MessageDlg("Are you sure you want to delete the Status \"" + txtSelectedItem->Text() + "\"", mtInformation,
                 mbYesNo) == mrYes)
    yOZStatus->DeleteStatus(EntryKey(lstStatuses->Items(), index));
  FillList();
}

void TfrmyOZStatuses::actDeleteUpdate(TObject*) { actDelete->SetEnabled(CustomSelected()); }

void TfrmyOZStatuses::btnCloseClick(TObject*) { Close(); }

void TfrmyOZStatuses::btnHelpClick(TObject*) { Application->HelpJump("Administer_statuses"); }
