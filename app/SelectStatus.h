#pragma once
// The custom-status picker: one click on a status chooses it (by keys: move to it, then Enter). The window keeps its size and place
// across runs in the user's settings.
#include "Forms.h"
#include "FormFields.h"
#include "StdCtrls.h"
#include "yOZCB.h"

class TfrmSelectStatus : public TForm {
  YOZ_CLASS(TfrmSelectStatus, TForm)
public:
  explicit TfrmSelectStatus(TComponent* AOwner) : TForm(AOwner) {}

  TListBox* lbSelectStatus = nullptr;
  TEdit* txtSelectedStatus = nullptr;  // hidden: the chosen status
  TButton* btnClose = nullptr;

  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void FormShow(TObject* Sender);
  void lbSelectStatusClick(TObject* Sender);
  void btnCloseClick(TObject* Sender);

  void Loaded() override;
  static void Publish(TPublisher<TfrmSelectStatus>& p);

private:
  TyOZCB* Settings = nullptr;
  TPickListKeys FKeys;
};

extern TfrmSelectStatus* frmSelectStatus;

// Shows the picker; True with the picked status in Status when one was clicked.
bool PickCustomStatus(std::string& Status);
