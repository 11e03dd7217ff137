// The single-message dialog in its two modes.
#include "yOZMessages.h"

#include "Main.h"
#include "WinUtils.h"
#include "yOZMessageInBox.h"

TfrmyOZMessages* frmyOZMessages = nullptr;

void yOZMessagesInitialize() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterClass(TfrmyOZMessages::StaticClass());
  RegisterClass(TfrmyOZMessageInBox::StaticClass());
}

TfrmyOZMessages::TfrmyOZMessages(TComponent* AOwner) : TForm(AOwner) {}

TfrmyOZMessages::~TfrmyOZMessages() {
  if (yOZMessage && yOZMessage->ReadDialog == this) yOZMessage->ReadDialog = nullptr;
}

void TfrmyOZMessages::Publish(TPublisher<TfrmyOZMessages>& p) {
  p.Method("FormShow", &TfrmyOZMessages::FormShow);
  p.Method("FormClose", &TfrmyOZMessages::FormClose);
  p.Method("actSendExecute", &TfrmyOZMessages::actSendExecute);
  p.Method("actCancelExecute", &TfrmyOZMessages::actCancelExecute);
  p.Method("actDeleteExecute", &TfrmyOZMessages::actDeleteExecute);
}

void TfrmyOZMessages::Loaded() {
  auto find = [this](auto*& field, const char* name) {
    using T = std::remove_pointer_t<std::remove_reference_t<decltype(field)>>;
    field = dynamic_cast<T*>(FindComponent(name));
    if (!field) throw EComponentError(std::string("Message dialog component missing: ") + name);
  };
  find(dxBarManager1, "dxBarManager1");
  find(lblToStatic, "lblToStatic");
  find(lblTo, "lblTo");
  find(lblFromStatic, "lblFromStatic");
  find(lblFrom, "lblFrom");
  find(lblTimeStatic, "lblTimeStatic");
  find(lblReceived, "lblReceived");
  find(lblSubject, "lblSubject");
  find(txtSubject, "txtSubject");
  find(lblMessage, "lblMessage");
  find(MemoMessage, "MemoMessage");
  find(lblFromComputerName, "lblFromComputerName");
  find(lblToComputerName, "lblToComputerName");
  find(lblMessagePrimaryKey, "lblMessagePrimaryKey");
  find(ActionList1, "ActionList1");
  find(actSend, "actSend");
  find(actCancel, "actCancel");
  find(actDelete, "actDelete");
  TForm::Loaded();
  // The message store's new-message round shows each waiting message here.
  if (yOZMessage) yOZMessage->ReadDialog = this;
}

void TfrmyOZMessages::ShowModalMessage(const TShownMessage& Message) {
  SetCaption(Message.Caption);
  lblMessagePrimaryKey->SetCaption(Message.Key);
  lblFrom->SetCaption(Message.FromName);
  lblTo->SetCaption(Message.ToName);
  // Left to itself the label would show whatever the last send put there.
  lblReceived->SetCaption(Message.Sent);
  txtSubject->SetText(Message.Subject);
  MemoMessage->SetText(Message.Body);
  ShowModal();
}

void TfrmyOZMessages::FormShow(TObject* Sender) {
  frmMain->tmrCheckForMessages->SetEnabled(false);
  frmMain->actSendMessage->SetEnabled(false);
  if (!ReadMode()) {
    actSend->SetEnabled(true);
    actDelete->SetEnabled(false);
    actCancel->SetEnabled(false);
    txtSubject->SetText("");
    MemoMessage->SetText("");
    SetActiveControl(txtSubject);
    lblTimeStatic->SetCaption("Created:");
  } else {
    MarkAsRead = true;
    actSend->SetEnabled(false);
    actDelete->SetEnabled(true);
    actCancel->SetEnabled(true);
    lblTimeStatic->SetCaption("Received:");
  }
}

void TfrmyOZMessages::actSendExecute(TObject* Sender) {
  yOZMessage->SendMessage(lblToComputerName->Caption(), GetLogInName(), txtSubject->Text(), MemoMessage->Text());
  Close();
}

void TfrmyOZMessages::actCancelExecute(TObject* Sender) { Close(); }

void TfrmyOZMessages::actDeleteExecute(TObject* Sender) {
  yOZMessage->DeleteMessage(lblMessagePrimaryKey->Caption());
  MarkAsRead = false;
  Close();
}

void TfrmyOZMessages::FormClose(TObject* Sender, TCloseAction& Action) {
  // The message timer and Send Message come back even when the store fails below: otherwise no new
  // message would be announced again in this run.
  struct TRestore {
    ~TRestore() {
      frmMain->tmrCheckForMessages->SetEnabled(yOZFile->AllowMessages);
      frmMain->actSendMessage->SetEnabled(true);
    }
  } restore;
  if (ReadMode()) {
    if (MarkAsRead) yOZMessage->MarkMessageOld(lblMessagePrimaryKey->Caption());
    if (!yOZMessage->HasNewMessages()) {
      frmMain->StTrayIcon->SetImages(frmMain->imgSmallPics);
      frmMain->StTrayIcon->SetAnimate(false);
    }
  }
}
