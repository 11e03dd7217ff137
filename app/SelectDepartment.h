#pragma once
// The department picker: a click on a department (or Enter on it) filters the board on it; closing it with none
// chosen shows every department again.
#include "Forms.h"
#include "FormFields.h"
#include "StdCtrls.h"

class TfrmSelectDepartment : public TForm {
  YOZ_CLASS(TfrmSelectDepartment, TForm)
public:
  explicit TfrmSelectDepartment(TComponent* AOwner) : TForm(AOwner) {}

  TListBox* ListBoxSelectDepartment = nullptr;
  TEdit* txtSelectedDepartment = nullptr;  // hidden: the chosen department
  TButton* btnClose = nullptr;

  void FormShow(TObject* Sender);
  void ListBoxSelectDepartmentClick(TObject* Sender);
  void btnCloseClick(TObject* Sender);

  void Loaded() override;
  static void Publish(TPublisher<TfrmSelectDepartment>& p);

private:
  TPickListKeys FKeys;
};

extern TfrmSelectDepartment* frmSelectDepartment;
