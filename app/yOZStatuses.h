#pragma once
// The administrators' statuses dialog: the shared status list, added to, renamed, deleted; the
// built-in statuses stay as they are.
#include "ListAdminDialog.h"

class TfrmyOZStatuses : public TfrmListAdmin {
  YOZ_CLASS(TfrmyOZStatuses, TfrmListAdmin)
public:
  explicit TfrmyOZStatuses(TComponent* AOwner);

  TListBox* lstStatuses = nullptr;
  TEdit* txtStatus = nullptr;

  void Loaded() override;
  static void Publish(TPublisher<TfrmyOZStatuses>& p);
};

extern TfrmyOZStatuses* frmyOZStatuses;
