#pragma once
// The administrators' statuses dialog: the shared status list, added to, renamed, deleted; the
// built-in statuses stay as they are.
#include "ActnList.h"
#include "Forms.h"
#include "StdCtrls.h"

class TfrmyOZStatuses : public TForm {
  YOZ_CLASS(TfrmyOZStatuses, TForm)
public:
  explicit TfrmyOZStatuses(TComponent* AOwner) : TForm(AOwner) {}

  TListBox* lstStatuses = nullptr;
  TEdit* txtStatus = nullptr;
  TEdit* txtSelectedItem = nullptr;  // hidden: the name of the entry clicked
  TActionList* ActionList = nullptr;
  TAction *actAdd = nullptr, *actDelete = nullptr, *actUpdate = nullptr;
  TButton *btnAdd = nullptr, *btnUpdate = nullptr, *btnDelete = nullptr, *btnClose = nullptr, *btnHelp = nullptr;

  void FormShow(TObject* Sender);
  void btnCloseClick(TObject* Sender);
  void actAddExecute(TObject* Sender);
  void actAddUpdate(TObject* Sender);
  void actDeleteExecute(TObject* Sender);
  void actDeleteUpdate(TObject* Sender);
  void actUpdateExecute(TObject* Sender);
  void actUpdateUpdate(TObject* Sender);
  void lstStatusesClick(TObject* Sender);
  void btnHelpClick(TObject* Sender);

  void Loaded() override;
  static void Publish(TPublisher<TfrmyOZStatuses>& p);

private:
  void FillList();
  bool CustomSelected();
};

extern TfrmyOZStatuses* frmyOZStatuses;
