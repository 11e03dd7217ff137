#pragma once
// The message inbox: the current login's messages newest first, the text of the one clicked below
// them, and the counts of new and old messages in the status bar.
#include "ActnList.h"
#include "ComCtrls.h"
#include "Forms.h"
#include "Menus.h"
#include "RzSplit.h"
#include "StdCtrls.h"
#include "dxBar.h"
#include "yOZViews.h"

class TfrmyOZMessageInBox : public TForm {
  YOZ_CLASS(TfrmyOZMessageInBox, TForm)
public:
  explicit TfrmyOZMessageInBox(TComponent* AOwner);

  // Components of the form resource.
  TdxBarManager* dxBarManager1 = nullptr;
  TRzSplitter* RzSplitterMain = nullptr;
  TListView* ListViewInBox = nullptr;
  TMemo* memoMessageConntent = nullptr;
  TStatusBar* StatusBarMain = nullptr;
  TActionList* ActionList1 = nullptr;
  TAction *actDeleteMessage = nullptr, *actFileExit = nullptr;
  TMainMenu* mnuMain = nullptr;

  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void ListViewInBoxClick(TObject* Sender);
  // A row selected by keys is read as a clicked one is.
  void ListViewInBoxSelectItem(TObject* Sender, TListItem* Item, bool Selected);
  // Delete on the list deletes the selected message, asking first.
  void ListViewInBoxKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void actDeleteMessageExecute(TObject* Sender);
  void actDeleteMessageUpdate(TObject* Sender);
  void actFileExitExecute(TObject* Sender);

  // The list and status bar as the message store fills them.
  IInBoxView* InBox() { return &FInBox; }

  void Loaded() override;
  static void Publish(TPublisher<TfrmyOZMessageInBox>& p);

private:
  // The key ("PrimaryKey" column) of the selected row, empty when none is selected.
  std::string SelectedKey();
  void ReadSelected();
  std::string FReadKey;  // the message whose text shows: read once however it was selected
  // The board and message timers as the inbox leaves them: on, the message timer while messages are allowed.
  void RestartMainTimers();
  TListViewInBox FInBox{nullptr, nullptr};
};
extern TfrmyOZMessageInBox* frmyOZMessageInBox;
