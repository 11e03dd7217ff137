// The message inbox: filled by the message store, read by clicking a row (or selecting it by keys),
// emptied by Delete (the button, or the Delete key on the list).
#include "yOZMessageInBox.h"

#include "Dialogs.h"
#include "Main.h"
#include "yOZMessages.h"

TfrmyOZMessageInBox* frmyOZMessageInBox = nullptr;

namespace {

// The hour-glass while the shared file is written, the default cursor however that ends.
struct TInBoxHourGlass {
  TInBoxHourGlass() { Screen->SetCursor(crHourGlass); }
  ~TInBoxHourGlass() { Screen->SetCursor(crDefault); }
};

// The in-box's sub-items: Subject, Type ("New"/"Old"), PrimaryKey, Received.
constexpr int InBoxType = 1;
constexpr int InBoxKey = 2;

}  // namespace

TfrmyOZMessageInBox::TfrmyOZMessageInBox(TComponent* AOwner) : TForm(AOwner) {}

void TfrmyOZMessageInBox::Publish(TPublisher<TfrmyOZMessageInBox>& p) {
  p.Method("FormShow", &TfrmyOZMessageInBox::FormShow);
  p.Method("FormClose", &TfrmyOZMessageInBox::FormClose);
  p.Method("ListViewInBoxClick", &TfrmyOZMessageInBox::ListViewInBoxClick);
  p.Method("actDeleteMessageExecute", &TfrmyOZMessageInBox::actDeleteMessageExecute);
  p.Method("actDeleteMessageUpdate", &TfrmyOZMessageInBox::actDeleteMessageUpdate);
  p.Method("actFileExitExecute", &TfrmyOZMessageInBox::actFileExitExecute);
}

void TfrmyOZMessageInBox::Loaded() {
  auto find = [this](auto*& field, const char* name) {
    using T = std::remove_pointer_t<std::remove_reference_t<decltype(field)>>;
    field = dynamic_cast<T*>(FindComponent(name));
    if (!field) throw EComponentError(std::string("Inbox component missing: ") + name);
  };
  find(dxBarManager1, "dxBarManager1");
  find(RzSplitterMain, "RzSplitterMain");
  find(ListViewInBox, "ListViewInBox");
  find(memoMessageConntent, "memoMessageConntent");
  find(StatusBarMain, "StatusBarMain");
  find(ActionList1, "ActionList1");
  find(actDeleteMessage, "actDeleteMessage");
  find(actFileExit, "actFileExit");
  find(mnuMain, "mnuMain");
  FInBox = TListViewInBox(ListViewInBox, StatusBarMain);
  TForm::Loaded();
  ListViewInBox->OnSelectItem = Bind(this, &TfrmyOZMessageInBox::ListViewInBoxSelectItem);
  ListViewInBox->OnKeyDown = Bind(this, &TfrmyOZMessageInBox::ListViewInBoxKeyDown);
}

std::string TfrmyOZMessageInBox::SelectedKey() {
  TListItem* item = ListViewInBox->Selected();
  if (!item || item->SubItems()->Count() <= InBoxKey) return std::string();
  return item->SubItems()->Strings(InBoxKey);
}

void TfrmyOZMessageInBox::FormShow(TObject* Sender) {
  frmMain->tmrUpdateListView->SetEnabled(false);
  frmMain->tmrCheckForMessages->SetEnabled(false);
  // An inbox that cannot be filled is not shown, and never closes: the board's timers run again now,
  // or the board would stop following the other copies.
  bool filled = false;
  TScopeExit unfilled([&] {
    if (!filled) RestartMainTimers();
  });
  SetWidth(Width() + 1);
  yOZMessage->FillInBox(InBox());
  filled = true;
  FReadKey.clear();
  memoMessageConntent->SetText("");
  frmMain->StatusBarMain->Panels()->Items(0)->SetText("");
}

void TfrmyOZMessageInBox::ListViewInBoxClick(TObject* Sender) { ReadSelected(); }

void TfrmyOZMessageInBox::ListViewInBoxSelectItem(TObject*, TListItem* Item, bool Selected) {
  if (Selected && Item == ListViewInBox->Selected()) ReadSelected();
}

// The Delete key deletes a message only where the messages are listed: a shortcut of the action would
// take it from the text below too, where it deletes a character.
void TfrmyOZMessageInBox::ListViewInBoxKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key != VK_DELETE || !Shift.Empty()) return;
  Key = 0;
  actDeleteMessage->Execute();
}

void TfrmyOZMessageInBox::ReadSelected() {
  TListItem* item = ListViewInBox->Selected();
  if (!item) return;
  const std::string key = SelectedKey();
  // The selection that a click makes comes before the click itself: the message is read once.
  if (key == FReadKey) return;
  FReadKey = key;
  memoMessageConntent->SetText(yOZMessage->ReadMessage(key));
  if (item->SubItems()->Count() > InBoxType && item->SubItems()->Strings(InBoxType) == "New") {
    TInBoxHourGlass wait;
    yOZMessage->MarkMessageOld(key);
    frmMain->StTrayIcon->SetImages(frmMain->imgSmallPics);
    frmMain->StTrayIcon->SetAnimate(false);
  }
}

void TfrmyOZMessageInBox::actDeleteMessageExecute(TObject* Sender) {
  if (MessageDlg("Are you sure you want to delete the selected message?", mtInformation, mbYesNo) != mrYes) return;
  TInBoxHourGlass wait;
  yOZMessage->DeleteMessage(SelectedKey());
  yOZMessage->FillInBox(InBox());
  FReadKey.clear();
  memoMessageConntent->SetText("");
  frmMain->ShowStatusUnlessNewMail();
}

void TfrmyOZMessageInBox::actDeleteMessageUpdate(TObject* Sender) {
  actDeleteMessage->SetEnabled(ListViewInBox->Selected() != nullptr);
}

void TfrmyOZMessageInBox::actFileExitExecute(TObject* Sender) { Close(); }

void TfrmyOZMessageInBox::FormClose(TObject* Sender, TCloseAction& Action) { RestartMainTimers(); }

void TfrmyOZMessageInBox::RestartMainTimers() {
  frmMain->tmrUpdateListView->SetEnabled(true);
  frmMain->tmrCheckForMessages->SetEnabled(yOZFile->AllowMessages);
}
