// The alert list viewer.
#include "Alerts.h"

#include "FormFields.h"
#include "yOZAlert.h"

void TfrmAlerts::Loaded() {
  FindField(this, lblUsers, "lblUsers");
  FindField(this, lstAlerts, "lstAlerts");
  FindField(this, btnClose, "btnClose");
  TForm::Loaded();
}

int TfrmAlerts::ShowAlerts(TyOZAlert* AAlertList) {
  FAlertList = AAlertList;
  lblUsers->SetCaption("You will be notified when any \rof the following users update their status.");
  FAlertList->FillList(lstAlerts->Items());
  return ShowModal();
}

void ViewAlertList(TyOZAlert* AlertList) {
  TfrmAlerts* form = NewForm<TfrmAlerts>(nullptr);
  TScopeExit free([form] { TObject::Free(form); });
  form->ShowAlerts(AlertList);
}
