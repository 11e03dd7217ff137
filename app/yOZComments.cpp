// The comment editor.
#include "yOZComments.h"

#include "FormFields.h"
#include "Main.h"

TfrmyOZComments* frmyOZComments = nullptr;

void TfrmyOZComments::Publish(TPublisher<TfrmyOZComments>& p) {
  p.Method("FormShow", &TfrmyOZComments::FormShow);
  p.Method("btnOkClick", &TfrmyOZComments::btnOkClick);
  p.Method("btnCancelClick", &TfrmyOZComments::btnCancelClick);
}

void TfrmyOZComments::Loaded() {
  FindField(this, Label1, "Label1");
  FindField(this, txtComments, "txtComments");
  FindField(this, RotatedLabel, "RotatedLabel");
  FindField(this, btnOk, "btnOk");
  FindField(this, btnCancel, "btnCancel");
  TForm::Loaded();
}

void TfrmyOZComments::FormShow(TObject*) {
  RotatedLabel->SetCaption("yOZ Comments");
  yOZFile->LoadCurrentUser();
  txtComments->SetText(yOZCurrentUser->Comments);
  txtComments->SelectAll();
  SetActiveControl(txtComments);
}

// A comment is no status change: the record is rewritten without a log line.
void TfrmyOZComments::btnOkClick(TObject*) {
  yOZCurrentUser->Comments = txtComments->Text();
  yOZFile->UpdateUser(yOZCurrentUser);
  if (frmMain) yOZFile->FillMainList(frmMain->Board());
  SetModalResult(mrOk);
}

void TfrmyOZComments::btnCancelClick(TObject*) { SetModalResult(mrCancel); }
