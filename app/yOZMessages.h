#pragma once
// The single-message dialog: "Send Message..." writes a new message to the colleague picked on the
// board, "Read Message..." shows one waiting message and marks it read (or deletes it) on closing.
#include "ActnList.h"
#include "Forms.h"
#include "ImgList.h"
#include "StdCtrls.h"
#include "dxBar.h"
#include "yOZViews.h"

class TfrmyOZMessages : public TForm, public IReadMessageDialog {
  YOZ_CLASS(TfrmyOZMessages, TForm)
public:
  explicit TfrmyOZMessages(TComponent* AOwner);
  ~TfrmyOZMessages() override;

  // Components of the form resource.
  TdxBarManager* dxBarManager1 = nullptr;
  TLabel *lblToStatic = nullptr, *lblTo = nullptr, *lblFromStatic = nullptr, *lblFrom = nullptr,
         *lblTimeStatic = nullptr, *lblReceived = nullptr, *lblSubject = nullptr, *lblMessage = nullptr,
         *lblFromComputerName = nullptr, *lblToComputerName = nullptr, *lblMessagePrimaryKey = nullptr;
  TEdit* txtSubject = nullptr;
  TMemo* MemoMessage = nullptr;
  TActionList* ActionList1 = nullptr;
  TAction *actSend = nullptr, *actCancel = nullptr, *actDelete = nullptr;

  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void actSendExecute(TObject* Sender);
  void actCancelExecute(TObject* Sender);
  void actDeleteExecute(TObject* Sender);

  // Set on showing in read mode; closing then marks the message "Old" (a delete clears it).
  bool MarkAsRead = false;
  // The caption selects the mode.
  bool ReadMode() { return Caption() == "Read Message..."; }

  // One waiting message, shown modally in read mode (the message store's new-message round).
  void ShowModalMessage(const TShownMessage& Message) override;

  void Loaded() override;
  static void Publish(TPublisher<TfrmyOZMessages>& p);
};
extern TfrmyOZMessages* frmyOZMessages;

// Makes the message windows' classes known to the form reader, once.
void yOZMessagesInitialize();
