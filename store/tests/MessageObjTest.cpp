#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <set>

#include "IsamFile.h"
#include "MessageObj.h"
#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZFile.h"

namespace {

class TRecordingInBox : public IInBoxView {
public:
  std::vector<TListRow> Rows;
  std::string Panels[3];
  int Depth = 0;
  void BeginUpdate() override { ++Depth; }
  void EndUpdate() override { --Depth; }
  void Clear() override { Rows.clear(); }
  void AddRow(const TListRow& Row) override { Rows.push_back(Row); }
  void SetPanelText(int Panel, const std::string& Text) override { Panels[Panel] = Text; }
};

// A read dialog that marks each shown message old through the same store, as the real one does
// when the user reads it, and checks that no data set is held open meanwhile.
class TMarkingDialog : public IReadMessageDialog {
public:
  TYOZMessage* Store = nullptr;
  std::vector<TShownMessage> Shown;
  bool SawOpenHandle = false;
  void ShowModalMessage(const TShownMessage& Message) override {
    Shown.push_back(Message);
    if (Store->MessageFile->Opened || Store->UserFile->Opened) SawOpenHandle = true;
    Store->MarkMessageOld(Message.Key);
  }
};

class MessageTest : public ::testing::Test {
protected:
  void SetUp() override {
    RecordMessageBoxes();
    Database = std::make_unique<TyOZFile>(Db.Path(), TyOZFileHooks{[this](const std::string& t) { StatusText.push_back(t); }});
    Database->RegisterCurrentUser();
    Messages = std::make_unique<TYOZMessage>(Database.get());
  }
  // The colleague's record, as the registration on his machine writes it.
  void AddColleague() {
    TIsamFile f("");
    ASSERT_TRUE(f.Open(Db.Path() + "yOZDB31", 3));
    TUserRec rec;
    rec.SetName("Colleague Name");
    rec.SetLogInName("COLLEAGUE");
    rec.SetStatus("Available");
    ASSERT_TRUE(f.Add(rec.Data, ""));
    f.Close();
  }
  void TearDown() override {
    Messages.reset();
    Database.reset();
  }
  TTempFolder Db{"msg"};
  std::unique_ptr<TyOZFile> Database;
  std::unique_ptr<TYOZMessage> Messages;
  std::vector<std::string> StatusText;
};

std::string Me() { return GetLogInName(); }

}  // namespace

TEST_F(MessageTest, NoMessageFileMeansNoMessages) {
  StatusText.clear();
  EXPECT_FALSE(Messages->HasNewMessages());
  EXPECT_TRUE(StatusText.empty());  // status bar untouched
  TMarkingDialog dialog;
  dialog.Store = Messages.get();
  Messages->ReadDialog = &dialog;
  Messages->ShowNewMessages();
  EXPECT_TRUE(dialog.Shown.empty());
  EXPECT_FALSE(FileExists(Db.File("yOZMesg.isd")));
}

TEST_F(MessageTest, MessageFromAnotherMachineIsNewCountedMarkedOldAndDeleted) {
  AddColleague();
  Messages->SendMessage(Me(), "COLLEAGUE", "Lunch?", "At noon, usual place");
  ASSERT_TRUE(FileExists(Db.File("yOZMesg.ism")));
  EXPECT_TRUE(Messages->HasNewMessages());

  TRecordingInBox inbox;
  Messages->FillInBox(&inbox);
  ASSERT_EQ(inbox.Rows.size(), 1u);
  const TListRow& row = inbox.Rows[0];
  EXPECT_EQ(row.Caption, "Colleague Name");
  ASSERT_EQ(row.SubItems.size(), 4u);
  EXPECT_EQ(row.SubItems[0], "Lunch?");
  EXPECT_EQ(row.SubItems[1], "New");
  EXPECT_EQ(row.SubItems[2], "0000000001");
  EXPECT_NO_THROW(StrToDateTime(row.SubItems[3]));
  EXPECT_EQ(inbox.Panels[0], "New messages = 1");
  EXPECT_EQ(inbox.Panels[1], "Old messages = 0");
  EXPECT_EQ(inbox.Panels[2], "Total messages = 1");
  EXPECT_EQ(inbox.Depth, 0);

  EXPECT_EQ(Messages->ReadMessage("0000000001"), "At noon, usual place");
  Messages->MarkMessageOld("0000000001");
  EXPECT_FALSE(Messages->HasNewMessages());
  Messages->FillInBox(&inbox);
  EXPECT_EQ(inbox.Rows[0].SubItems[1], "Old");
  EXPECT_EQ(inbox.Rows[0].SubItems[0], "Lunch?");  // every other field kept
  EXPECT_EQ(Messages->ReadMessage("0000000001"), "At noon, usual place");

  Messages->DeleteMessage("0000000001");
  Messages->FillInBox(&inbox);
  EXPECT_TRUE(inbox.Rows.empty());
  EXPECT_EQ(inbox.Panels[2], "Total messages = 0");
  EXPECT_FALSE(Messages->MessageFile->Opened);
}

TEST_F(MessageTest, InBoxIsNewestFirstWithCounts) {
  AddColleague();
  for (int i = 1; i <= 5; ++i) Messages->SendMessage(Me(), "COLLEAGUE", "s" + IntToStr(i), "b");
  Messages->SendMessage("COLLEAGUE", Me(), "to colleague", "b");  // not in my in-box
  Messages->MarkMessageOld("0000000001");
  Messages->MarkMessageOld("0000000002");
  TRecordingInBox inbox;
  Messages->FillInBox(&inbox);
  ASSERT_EQ(inbox.Rows.size(), 5u);
  EXPECT_EQ(inbox.Rows[0].SubItems[0], "s5");
  EXPECT_EQ(inbox.Rows[4].SubItems[0], "s1");
  EXPECT_EQ(inbox.Panels[0], "New messages = 3");
  EXPECT_EQ(inbox.Panels[1], "Old messages = 2");
  EXPECT_EQ(inbox.Panels[2], "Total messages = 5");
}

TEST_F(MessageTest, OnePassShowsEveryWaitingMessageWithNothingLeftOpen) {
  AddColleague();
  Messages->SendMessage(Me(), "COLLEAGUE", "one", "first body");
  Messages->SendMessage(Me(), "COLLEAGUE", "two", "second body");
  Messages->SendMessage("COLLEAGUE", Me(), "other", "x");
  Messages->SendMessage(Me(), "COLLEAGUE", "three", "third body");
  TMarkingDialog dialog;
  dialog.Store = Messages.get();
  Messages->ReadDialog = &dialog;
  Messages->ShowNewMessages();
  ASSERT_EQ(dialog.Shown.size(), 3u);
  EXPECT_FALSE(dialog.SawOpenHandle);
  EXPECT_EQ(dialog.Shown[0].Caption, "Read Message...");
  EXPECT_EQ(dialog.Shown[0].FromName, "Colleague Name");
  EXPECT_EQ(dialog.Shown[0].ToName, Me());
  EXPECT_EQ(dialog.Shown[1].Subject, "two");
  EXPECT_EQ(dialog.Shown[2].Body, "third body");
  EXPECT_EQ(dialog.Shown[2].Key, "0000000004");
  EXPECT_FALSE(Messages->HasNewMessages());
  EXPECT_FALSE(Messages->MessageFile->Opened);
  // A second pass finds nothing left.
  dialog.Shown.clear();
  Messages->ShowNewMessages();
  EXPECT_TRUE(dialog.Shown.empty());
}

TEST_F(MessageTest, UnknownRecipientStoresNothing) {
  try {
    Messages->SendMessage("GHOST", Me(), "s", "b");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Unable to find GHOST in Users Databse!\r\rObject not found");
  }
  EXPECT_FALSE(Messages->MessageFile->Opened);
  EXPECT_FALSE(Messages->UserFile->Opened);
  TRecordingInBox inbox;
  Messages->FillInBox(&inbox);
  EXPECT_EQ(inbox.Panels[2], "Total messages = 0");
}

TEST_F(MessageTest, NamesAndTextsAreCutToTheirFields) {
  TUser me;
  me.Name = std::string(45, 'n');
  me.Status = "Available";
  me.LogInName = Me();
  Database->UpdateUser(&me);
  Messages->SendMessage(Me(), Me(), std::string(300, 's'), std::string(400, 'b'));
  TIsamFile f("");
  TMessageRec rec;
  ASSERT_TRUE(f.Open(Db.Path() + "yOZMesg", 3));
  ASSERT_TRUE(f.GetEqual(rec.Data, 0, "0000000001"));
  f.Close();
  EXPECT_EQ(rec.FromName(), std::string(30, 'n'));
  EXPECT_EQ(rec.ToName(), std::string(30, 'n'));
  EXPECT_EQ(rec.Subject(), std::string(255, 's'));
  EXPECT_EQ(rec.Body(), std::string(255, 'b'));
  EXPECT_EQ(rec.MsgStatus(), "New");
  EXPECT_EQ(rec.MsgFlags(), 0);
  EXPECT_EQ(Messages->LookUpUser(Me()), std::string(45, 'n'));
}

TEST_F(MessageTest, MissingMessagesAreReported) {
  Messages->SendMessage(Me(), Me(), "s", "b");
  try {
    Messages->ReadMessage("0000000042");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Unable to locate yOZ Message\r\rObject not found");
  }
  try {
    Messages->DeleteMessage("0000000042");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Unable to delete yOZ Messages\r\rObject not found");
  }
  // Marking a message that is gone says so and stores nothing under its key.
  EXPECT_NO_THROW(Messages->MarkMessageOld("0000000042"));
  ASSERT_EQ(ShownMessageBoxes.size(), 1u);
  EXPECT_EQ(ShownMessageBoxes[0], "Unable to find message to make old!");
  TRecordingInBox inbox;
  Messages->FillInBox(&inbox);
  EXPECT_EQ(inbox.Rows.size(), 1u);
  try {
    Messages->LookUpUser("GHOST");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Unable to locate User\r\rObject not found");
  }
  EXPECT_FALSE(Messages->MessageFile->Opened);
  EXPECT_FALSE(Messages->UserFile->Opened);
}

// Several copies sending the first messages of a database at the same moment: each finds no message
// data set, one creates it, and no message may be lost behind a "cannot create" error.
TEST(MessageRace, FirstMessagesSentAtOnceAreAllStored) {
  RecordMessageBoxes();
  constexpr int Copies = 6;
  for (int round = 0; round < 3; ++round) {
    TTempFolder db("msgrace");
    TyOZFile database(db.Path());
    database.RegisterCurrentUser();
    std::vector<std::unique_ptr<TYOZMessage>> copies;
    for (int i = 0; i < Copies; ++i) copies.push_back(std::make_unique<TYOZMessage>(&database));
    std::vector<std::string> raised = RunAtOnce(Copies, [&](int i) {
      copies[i]->SendMessage(Me(), Me(), "Subject " + std::to_string(i), "Body");
    });
    EXPECT_TRUE(raised.empty()) << raised.front();
    TRecordingInBox inbox;
    TYOZMessage reader(&database);
    reader.FillInBox(&inbox);
    ASSERT_EQ(inbox.Rows.size(), size_t(Copies));
    std::set<std::string> keys, subjects;
    for (const TListRow& row : inbox.Rows) {
      keys.insert(row.SubItem(2));
      subjects.insert(row.SubItem(0));
    }
    EXPECT_EQ(keys.size(), size_t(Copies));
    EXPECT_EQ(subjects.size(), size_t(Copies));
  }
}
