#pragma once
// The administrators' users dialog: any user's record shown, edited and written back, or the user
// deleted. It keeps no data of its own: every list and change goes through the database object.
#include "ActnList.h"
#include "Buttons.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "yOZUser.h"

class TfrmyOZUsers : public TForm {
  YOZ_CLASS(TfrmyOZUsers, TForm)
public:
  explicit TfrmyOZUsers(TComponent* AOwner) : TForm(AOwner) {}

  TListBox* lbUsers = nullptr;
  TEdit* txtName = nullptr;
  TComboBox* cboStatus = nullptr;
  TEdit* txtStatus = nullptr;  // hidden: the status as stored
  TComboBox* cboDepartment = nullptr;
  TEdit* txtDepartment = nullptr;  // hidden: the department as stored
  TEdit* txtUserName = nullptr;
  TEdit* txtComments = nullptr;
  TBitBtn* BitBtnClear = nullptr;
  TEdit* txtExtension = nullptr;
  TCheckBox* chkboxAdministrator = nullptr;
  TActionList* ActionList = nullptr;
  TAction *actUpdate = nullptr, *actDelete = nullptr, *actClose = nullptr;
  TButton *btnUpdate = nullptr, *btnDelete = nullptr, *btnCancel = nullptr, *btnHelp = nullptr;

  void FormShow(TObject* Sender);
  void lbUsersClick(TObject* Sender);
  void actUpdateExecute(TObject* Sender);
  void actUpdateUpdate(TObject* Sender);
  void actDeleteExecute(TObject* Sender);
  void actDeleteUpdate(TObject* Sender);
  void actCloseExecute(TObject* Sender);
  void btnHelpClick(TObject* Sender);
  void BitBtnClearClick(TObject* Sender);

  void Loaded() override;
  static void Publish(TPublisher<TfrmyOZUsers>& p);

private:
  void ClearDetails();
  bool FShownAdministrator = false;  // the user clicked was an administrator when read
  TUser FShown;                      // the clicked user's details as read: Update writes what differs
};

extern TfrmyOZUsers* frmyOZUsers;
