// The custom-status picker.
#include "SelectStatus.h"

#include "FormFields.h"
#include "Main.h"

TfrmSelectStatus* frmSelectStatus = nullptr;

void TfrmSelectStatus::Publish(TPublisher<TfrmSelectStatus>& p) {
  p.Method("FormCreate", &TfrmSelectStatus::FormCreate);
  p.Method("FormDestroy", &TfrmSelectStatus::FormDestroy);
  p.Method("FormShow", &TfrmSelectStatus::FormShow);
  p.Method("lbSelectStatusClick", &TfrmSelectStatus::lbSelectStatusClick);
  p.Method("btnCloseClick", &TfrmSelectStatus::btnCloseClick);
}

void TfrmSelectStatus::Loaded() {
  FindField(this, lbSelectStatus, "lbSelectStatus");
  FindField(this, txtSelectedStatus, "txtSelectedStatus");
  FindField(this, btnClose, "btnClose");
  TForm::Loaded();
  FKeys.Attach(lbSelectStatus);
}

void TfrmSelectStatus::FormCreate(TObject*) {
  Settings = new TyOZCB();
  TyOZCBRec rec;
  Settings->LoadSettings(rec);
  SetHeight(rec.CustomHeight);
  SetLeft(rec.CustomLeft);
  SetTop(rec.CustomTop);
  SetWidth(rec.CustomWidth);
}

void TfrmSelectStatus::FormDestroy(TObject*) {
  if (!Settings) return;
  TyOZCBRec rec;
  Settings->LoadSettings(rec);
  rec.CustomHeight = Height();
  rec.CustomLeft = Left();
  rec.CustomTop = Top();
  rec.CustomWidth = Width();
  Settings->SaveSettings(rec);
  FreeAndNil(Settings);
}

void TfrmSelectStatus::FormShow(TObject*) {
  yOZStatus->CreateStatusFile();
  yOZStatus->FillSelectableStatuses(lbSelectStatus->Items());
}

void TfrmSelectStatus::lbSelectStatusClick(TObject*) {
  const int index = lbSelectStatus->ItemIndex();
  if (index < 0 || FKeys.ByKeys()) return;
  txtSelectedStatus->SetText(yOZStatus->ReadStatus(EntryKey(lbSelectStatus->Items(), index)));
  SetModalResult(mrOk);
}

void TfrmSelectStatus::btnCloseClick(TObject*) { SetModalResult(mrCancel); }

bool PickCustomStatus(std::string& Status) {
  if (frmSelectStatus->ShowModal() != mrOk) return false;
  Status = frmSelectStatus->txtSelectedStatus->Text();
  return true;
}
