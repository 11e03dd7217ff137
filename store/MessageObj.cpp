#include "MessageObj.h"

#include <mmsystem.h>

#include <algorithm>

#include "KLNStringUtils.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZFile.h"

TYOZMessage::TYOZMessage(TyOZFile* ADatabase) : Database(ADatabase) {
  UserFile = std::make_unique<TIsamFile>("");
  UserFile->RecordFormat = UserFileFormat;
  CheckIsamLibrary(UserFile.get());
  MessageFile = std::make_unique<TIsamFile>("");
  MessageFile->RecordFormat = MessageFileFormat;
  CheckIsamLibrary(MessageFile.get());
}

TYOZMessage::~TYOZMessage() = default;

namespace {

const char* const MessageScanFailure = "Unable to read yOZ message database - ";

}  // namespace

// A failed open is reported at once, rather than by the next call on the closed handle as "invalid
// dataset reference".
void TYOZMessage::OpenMessageFile(const std::string& Name) {
  if (!MessageFile->Open(Name)) throw Exception("Unable to open yOZ message database - " + MessageFile->ErrorText());
}

std::string TYOZMessage::Folder() const { return AddBackslash(Database->DBPath); }

void TYOZMessage::SetStatusText(const std::string& Text) {
  if (Database->Hooks.SetStatusText) Database->Hooks.SetStatusText(Text);
}

void TYOZMessage::SendMessage(const std::string& ToLogInName, const std::string& FromLogInName,
                              const std::string& Subject, const std::string& Body) {
  const std::string folder = Folder();
  const std::string name = folder + MessageFileName;
  // The first message of a database creates the data set; one made meanwhile by another copy is used.
  // Which copy made it does not matter here, so the result is left unchecked on purpose (a failure raises).
  if (!FileExists(name + ".ism"))
    static_cast<void>(CreateNewDataSet(MessageFile.get(), name, MessageFileFormat, "Unable to create yOZ Messages database!\r\r"));
  OpenMessageFile(name);
  TIsamFileCloser closeMessages(MessageFile);
  if (!UserFile->Open(folder + UserFileName))
    throw Exception("Unable to open yOZ Users database!\r\r" + UserFile->ErrorText());
  TIsamFileCloser closeUsers(UserFile);

  TUserRec to, from;
  // "Databse" on purpose: the program's messages are kept word for word, and its tests match them.
  if (!UserFile->GetEqual(to.Data, TUserRec::ixLogInName, ToLogInName))
    throw Exception("Unable to find " + ToLogInName + " in Users Databse!" + "\r\r" + UserFile->ErrorText());
  if (!UserFile->GetEqual(from.Data, TUserRec::ixLogInName, FromLogInName))
    throw Exception("Unable to find " + FromLogInName + " in Users Databse!" + "\r\r" + UserFile->ErrorText());

  TMessageRec msg;
  SetRecInt16(msg.Data, TMessageRec::oMsgFlags, 0);
  SetRecField(msg.Data, TMessageRec::oSent, TMessageRec::sSent, DateTimeToStr(Now()));
  SetRecField(msg.Data, TMessageRec::oSubject, TMessageRec::sSubject, Subject);
  SetRecField(msg.Data, TMessageRec::oMsgStatus, TMessageRec::sMsgStatus, "New");
  SetRecField(msg.Data, TMessageRec::oBody, TMessageRec::sBody, Body);
  SetRecField(msg.Data, TMessageRec::oToName, TMessageRec::sToName, to.Name());
  SetRecField(msg.Data, TMessageRec::oFromName, TMessageRec::sFromName, from.Name());
  SetRecField(msg.Data, TMessageRec::oToLogInName, TMessageRec::sToLogInName, to.LogInName());
  SetRecField(msg.Data, TMessageRec::oFromLogInName, TMessageRec::sFromLogInName, from.LogInName());
  if (!MessageFile->Add(msg.Data, ""))
    throw Exception("Unable to add Message to Message database " + MessageFile->ErrorText());
}

bool TYOZMessage::HasNewMessages() {
  const std::string name = Folder() + MessageFileName;
  if (!FileExists(name + ".isd")) return false;
  if (!MessageFile->Open(name)) {
    // A damaged file does not pass with time: told like a scan cut short, not left to the status bar
    // while the messages in it go unannounced.
    if (MessageFile->LastError == IsamCorruptedDataset || MessageFile->LastError == IsamNotIsamFormat)
      throw Exception(MessageScanFailure + MessageFile->ErrorText());
    SetStatusText("Attempting to check for new messages");
    return false;
  }
  TIsamFileCloser closer(MessageFile);
  SetStatusText("");
  bool found = false;
  ScanNewMessages([&](const TMessageRec&, const std::string&) { found = true; });
  // A message file cut short must not pass for one without a message for us.
  if (!found) CheckScanEnd(*MessageFile, MessageScanFailure);
  return found;
}

void TYOZMessage::ScanNewMessages(const std::function<void(const TMessageRec&, const std::string&)>& Each) {
  const std::string login = GetLogInName();
  MessageFile->First(TMessageRec::ixToLogInName);
  TMessageRec msg;
  while (MessageFile->GetNext(msg.Data, TMessageRec::ixToLogInName, IsamScanFlags, ""))
    if (msg.ToLogInName() == login && msg.MsgStatus() == "New") Each(msg, MessageFile->LastKey);
}

std::vector<std::string> TYOZMessage::WaitingMessages() {
  std::vector<std::string> waiting;
  const std::string name = Folder() + MessageFileName;
  if (!FileExists(name + ".isd")) return waiting;
  OpenMessageFile(name);
  TIsamFileCloser closer(MessageFile);
  ScanNewMessages([&](const TMessageRec& Msg, const std::string& Key) {
    waiting.push_back(Key + '\0' + Msg.FromLogInName() + '\0' + Msg.Sent() + '\0' + Msg.Subject() + '\0' + Msg.Body());
  });
  CheckScanEnd(*MessageFile, MessageScanFailure);
  std::sort(waiting.begin(), waiting.end());
  return waiting;
}

std::vector<TShownMessage> TYOZMessage::NewMessages() {
  std::vector<TShownMessage> shown;
  const std::string name = Folder() + MessageFileName;
  if (!FileExists(name + ".isd")) return shown;
  if (!MessageFile->Open(name)) {
    StoreMessageBox("Unable to open yOZ Messages database!", smbError);
    return shown;
  }
  TIsamFileCloser closer(MessageFile);
  ScanNewMessages([&](const TMessageRec& Msg, const std::string& Key) {
    shown.push_back({"Read Message...", Key, Msg.FromName(), Msg.ToName(), Msg.Subject(), Msg.Body(), Msg.Sent()});
  });
  CheckScanEnd(*MessageFile, MessageScanFailure);
  return shown;
}

void TYOZMessage::ShowNewMessages() {
  // The scan is finished and the data set closed before the first dialog opens: the dialog marks or
  // deletes its message through this same object, and other copies must be able to write meanwhile.
  std::vector<TShownMessage> waiting = NewMessages();
  if (!ReadDialog) return;
  for (const TShownMessage& message : waiting) ReadDialog->ShowModalMessage(message);
}

void TYOZMessage::PlayNewMessageSound(bool PlayWav, const std::string& WavFile) {
  if (PlayWav)
    PlaySoundA(WavFile.c_str(), nullptr, 0);
  else
    MessageBeep(0);
}

std::vector<TListRow> TYOZMessage::InBoxRows(int& NewCount, int& OldCount) {
  std::vector<TListRow> rows;
  NewCount = 0;
  OldCount = 0;
  // Before the first message there is no message file: an empty in-box. A file that is there but
  // cannot be read is reported, not shown as empty.
  if (!MessageFile->Open(Database->DBPath + MessageFileName)) {
    if (MessageFile->LastError == IsamObjectNotFound) return rows;
    throw Exception(MessageScanFailure + MessageFile->ErrorText());
  }
  TIsamFileCloser closer(MessageFile);
  MessageFile->Last(IsamKeyIndex);
  const std::string login = GetLogInName();
  TMessageRec msg;
  while (MessageFile->GetPrior(msg.Data, IsamKeyIndex, IsamScanFlags, "")) {
    if (msg.ToLogInName() != login) continue;
    std::string status = msg.MsgStatus();
    if (status == "New") NewCount = CheckedAdd(NewCount, 1);
    if (status == "Old") OldCount = CheckedAdd(OldCount, 1);
    TListRow row;
    row.Caption = msg.FromName();
    row.SubItems = {msg.Subject(), status, MessageFile->LastKey, msg.Sent()};
    rows.push_back(std::move(row));
  }
  CheckScanEnd(*MessageFile, MessageScanFailure);
  return rows;
}

void TYOZMessage::FillInBox(IInBoxView* InBox) {
  int newCount = 0, oldCount = 0;
  std::vector<TListRow> rows = InBoxRows(newCount, oldCount);
  {
    TUpdateScope update(InBox);
    InBox->Clear();
    for (const TListRow& row : rows) InBox->AddRow(row);
  }
  InBox->SetPanelText(0, "New messages = " + IntToStr(newCount));
  InBox->SetPanelText(1, "Old messages = " + IntToStr(oldCount));
  InBox->SetPanelText(2, "Total messages = " + IntToStr(CheckedAdd(newCount, oldCount)));
}

std::string TYOZMessage::ReadMessage(const std::string& Key) {
  OpenMessageFile(Folder() + MessageFileName);
  TIsamFileCloser closer(MessageFile);
  TMessageRec msg;
  if (!MessageFile->GetEqual(msg.Data, IsamKeyIndex, Key))
    throw Exception("Unable to locate yOZ Message\r\r" + MessageFile->ErrorText());
  return msg.Body();
}

void TYOZMessage::DeleteMessage(const std::string& Key) {
  OpenMessageFile(Database->DBPath + MessageFileName);
  TIsamFileCloser closer(MessageFile);
  if (!MessageFile->Delete(Key)) throw Exception("Unable to delete yOZ Messages\r\r" + MessageFile->ErrorText());
}

void TYOZMessage::MarkMessageOld(const std::string& Key) {
  OpenMessageFile(Database->DBPath + MessageFileName);
  TIsamFileCloser closer(MessageFile);
  TMessageRec msg;
  if (!MessageFile->GetEqual(msg.Data, IsamKeyIndex, Key)) {
    // Nothing was read: writing the buffer back would store an empty message under the key.
    StoreMessageBox("Unable to find message to make old!", smbError);
    return;
  }
  msg.SetMsgStatus("Old");
  if (!MessageFile->Replace(msg.Data, Key))
    throw Exception("Unable to save message back as old!\r\r" + MessageFile->ErrorText());
}

std::string TYOZMessage::LookUpUser(const std::string& LogInName) {
  if (!UserFile->Open(Database->DBPath + UserFileName))
    throw Exception("Unable to open Users dataset\r\r" + UserFile->ErrorText());
  TIsamFileCloser closer(UserFile);
  TUserRec rec;
  if (!UserFile->GetEqual(rec.Data, TUserRec::ixLogInName, LogInName)) throw Exception("Unable to locate User\r\r" + UserFile->ErrorText());
  return rec.Name();
}
