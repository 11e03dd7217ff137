#pragma once
// The alert list viewer: the colleagues whose status changes the user is told of.
#include "Forms.h"
#include "StdCtrls.h"

class TyOZAlert;

class TfrmAlerts : public TForm {
  YOZ_CLASS(TfrmAlerts, TForm)
public:
  explicit TfrmAlerts(TComponent* AOwner) : TForm(AOwner) {}

  TLabel* lblUsers = nullptr;
  TListBox* lstAlerts = nullptr;
  TButton* btnClose = nullptr;

  // Fills the dialog from the list and shows it modally.
  int ShowAlerts(TyOZAlert* AAlertList);

  void Loaded() override;

private:
  TyOZAlert* FAlertList = nullptr;
};

// Makes the viewer, shows it with the list and frees it.
void ViewAlertList(TyOZAlert* AlertList);
