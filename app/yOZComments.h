#pragma once
// The comment editor: the user's own comment on the board, under a rotated three-dimensional title.
#include "Forms.h"
#include "StdCtrls.h"
#include "dxfLabel.h"

class TfrmyOZComments : public TForm {
  YOZ_CLASS(TfrmyOZComments, TForm)
public:
  explicit TfrmyOZComments(TComponent* AOwner) : TForm(AOwner) {}

  TLabel* Label1 = nullptr;
  TEdit* txtComments = nullptr;
  TdxfLabel* RotatedLabel = nullptr;
  TButton *btnOk = nullptr, *btnCancel = nullptr;

  void FormShow(TObject* Sender);
  void btnOkClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);

  void Loaded() override;
  static void Publish(TPublisher<TfrmyOZComments>& p);
};

extern TfrmyOZComments* frmyOZComments;
