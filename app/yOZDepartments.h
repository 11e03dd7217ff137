#pragma once
// The administrators' departments dialog: the shared department list, added to, renamed, deleted.
#include "ListAdminDialog.h"

class TfrmyOZDepartments : public TfrmListAdmin {
  YOZ_CLASS(TfrmyOZDepartments, TfrmListAdmin)
public:
  explicit TfrmyOZDepartments(TComponent* AOwner);

  TListBox* lstDepartments = nullptr;
  TEdit* txtDepartment = nullptr;

  void FormClose(TObject* Sender, TCloseAction& Action);

  void Loaded() override;
  static void Publish(TPublisher<TfrmyOZDepartments>& p);
};

extern TfrmyOZDepartments* frmyOZDepartments;
