#pragma once
// The administrators' departments dialog: the shared department list, added to, renamed, deleted.
#include "ListAdminDialog.h"

class TfrmyOZDepartments : public TfrmListAdmin {
  YOZ_CLASS(TfrmyOZDepartments, TfrmListAdmin)
public:
  explicit TfrmyOZDepartments(TComponent* AOwner) : TfrmListAdmin(AOwner, "Department", "Administer_departments") {}

  TListBox* lstDepartments = nullptr;
  TEdit* txtDepartment = nullptr;

  void FormClose(TObject* Sender, TCloseAction& Action);

  void Loaded() override;
  static void Publish(TPublisher<TfrmyOZDepartments>& p);

protected:
  void CreateStoreFile() override;
  void FillList(TStrings* Names) override;
  std::string ReadEntry(int Key) override;
  void AddEntry(const std::string& Name) override;
  void ReplaceEntry(const std::string& OldName, const std::string& NewName) override;
  void DeleteEntry(int Key) override;
};

extern TfrmyOZDepartments* frmyOZDepartments;
