#pragma once
// The administrators' statuses dialog: the shared status list, added to, renamed, deleted; the
// built-in statuses stay as they are.
#include "ListAdminDialog.h"

class TfrmyOZStatuses : public TfrmListAdmin {
  YOZ_CLASS(TfrmyOZStatuses, TfrmListAdmin)
public:
  explicit TfrmyOZStatuses(TComponent* AOwner) : TfrmListAdmin(AOwner, "Status", "Administer_statuses") {}

  TListBox* lstStatuses = nullptr;
  TEdit* txtStatus = nullptr;

  void Loaded() override;
  static void Publish(TPublisher<TfrmyOZStatuses>& p);

protected:
  void CreateStoreFile() override;
  void FillList(TStrings* Names) override;
  std::string ReadEntry(int Key) override;
  void AddEntry(const std::string& Name) override;
  void ReplaceEntry(const std::string& OldName, const std::string& NewName) override;
  void DeleteEntry(int Key) override;
  bool MayChange(const std::string& Name) override;
};

extern TfrmyOZStatuses* frmyOZStatuses;
