#pragma once
// The administrators' departments dialog: the shared department list, added to, renamed, deleted.
#include "ActnList.h"
#include "Forms.h"
#include "StdCtrls.h"

class TfrmyOZDepartments : public TForm {
  YOZ_CLASS(TfrmyOZDepartments, TForm)
public:
  explicit TfrmyOZDepartments(TComponent* AOwner) : TForm(AOwner) {}

  TListBox* lstDepartments = nullptr;
  TEdit* txtDepartment = nullptr;
  TEdit* txtSelectedItem = nullptr;  // hidden: the name of the entry clicked
  TActionList* ActionList = nullptr;
  TAction *actAdd = nullptr, *actDelete = nullptr, *actUpdate = nullptr;
  TButton *btnAdd = nullptr, *btnUpdate = nullptr, *btnDelete = nullptr, *btnClose = nullptr, *btnHelp = nullptr;

  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void btnCloseClick(TObject* Sender);
  void actAddExecute(TObject* Sender);
  void actAddUpdate(TObject* Sender);
  void actDeleteExecute(TObject* Sender);
  void actDeleteUpdate(TObject* Sender);
  void actUpdateExecute(TObject* Sender);
  void actUpdateUpdate(TObject* Sender);
  void lstDepartmentsClick(TObject* Sender);
  void btnHelpClick(TObject* Sender);

  void Loaded() override;
  static void Publish(TPublisher<TfrmyOZDepartments>& p);

private:
  void FillList();
};

extern TfrmyOZDepartments* frmyOZDepartments;
