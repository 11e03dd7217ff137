// The administrators' list dialogs.
#include "ListAdminDialog.h"

#include "Dialogs.h"
#include "FormFields.h"
#include "KLNStringUtils.h"
#include "SysUtils.h"

void TfrmListAdmin::Publish(TPublisher<TfrmListAdmin>& p) {
  p.Method("FormShow", &TfrmListAdmin::FormShow);
  p.Method("btnCloseClick", &TfrmListAdmin::btnCloseClick);
  p.Method("actAddExecute", &TfrmListAdmin::actAddExecute);
  p.Method("actAddUpdate", &TfrmListAdmin::actAddUpdate);
  p.Method("actDeleteExecute", &TfrmListAdmin::actDeleteExecute);
  p.Method("actDeleteUpdate", &TfrmListAdmin::actDeleteUpdate);
  p.Method("actUpdateExecute", &TfrmListAdmin::actUpdateExecute);
  p.Method("actUpdateUpdate", &TfrmListAdmin::actUpdateUpdate);
  p.Method("btnHelpClick", &TfrmListAdmin::btnHelpClick);
}

void TfrmListAdmin::Loaded() {
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

void TfrmListAdmin::Refill() { FStore.FillList(FList->Items()); }

void TfrmListAdmin::FormShow(TObject*) {
  FStore.CreateFile();
  Refill();
  FEntry->Clear();
}

void TfrmListAdmin::ListClick(TObject*) {
  const int index = FList->ItemIndex();
  if (index >= 0) txtSelectedItem->SetText(FStore.ReadEntry(EntryKey(FList->Items(), index)));
}

void TfrmListAdmin::actAddExecute(TObject*) {
  FStore.AddEntry(FEntry->Text());
  Refill();
}

void TfrmListAdmin::actAddUpdate(TObject*) { actAdd->SetEnabled(!Trim(FEntry->Text()).empty()); }

bool TfrmListAdmin::ChangeableSelected() {
  return FList->ItemIndex() >= 0 && (!FStore.MayChange || FStore.MayChange(txtSelectedItem->Text()));
}

void TfrmListAdmin::actUpdateExecute(TObject*) {
  FStore.ReplaceEntry(txtSelectedItem->Text(), FEntry->Text());
  Refill();
}

void TfrmListAdmin::actUpdateUpdate(TObject*) {
  actUpdate->SetEnabled(ChangeableSelected() && !Trim(FEntry->Text()).empty());
}

void TfrmListAdmin::actDeleteExecute(TObject*) {
  const int index = FList->ItemIndex();
  if (index < 0) return;
  if (MessageDlg("Are you sure you want to delete the " + std::string(FEntryWord) + " \"" + txtSelectedItem->Text() +
                     "\"",
                 mtInformation, mbYesNo) == mrYes)
    FStore.DeleteEntry(EntryKey(FList->Items(), index));
  Refill();
}

void TfrmListAdmin::actDeleteUpdate(TObject*) { actDelete->SetEnabled(ChangeableSelected()); }

void TfrmListAdmin::btnCloseClick(TObject*) { Close(); }

void TfrmListAdmin::btnHelpClick(TObject*) { Application->HelpJump(FHelpTopic); }
