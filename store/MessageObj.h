#pragma once
// Short messages between users: the data set "yOZMesg", created by the first message.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "IsamFile.h"
#include "yOZUser.h"
#include "yOZViews.h"

class TyOZFile;

// The message record: 676 bytes.
struct TMessageRec {
  static constexpr int Size = 676;
  static constexpr int oMsgFlags = 0;
  static constexpr int oSent = 2, sSent = 31;
  static constexpr int oSubject = 33, sSubject = 256;
  static constexpr int oMsgStatus = 289, sMsgStatus = 7;
  static constexpr int oBody = 296, sBody = 256;
  static constexpr int oToName = 552, sToName = 31;
  static constexpr int oFromName = 583, sFromName = 31;
  static constexpr int oToLogInName = 614, sToLogInName = 31;
  static constexpr int oFromLogInName = 645, sFromLogInName = 31;
  static constexpr int16_t ixToLogInName = 8;  // X$*31, the 8th field of MessageFileFormat

  uint8_t Data[Size] = {};

  int16_t MsgFlags() const { return GetRecInt16(Data, oMsgFlags); }
  std::string Sent() const { return GetRecField(Data, oSent, sSent); }
  std::string Subject() const { return GetRecField(Data, oSubject, sSubject); }
  std::string MsgStatus() const { return GetRecField(Data, oMsgStatus, sMsgStatus); }
  std::string Body() const { return GetRecField(Data, oBody, sBody); }
  std::string ToName() const { return GetRecField(Data, oToName, sToName); }
  std::string FromName() const { return GetRecField(Data, oFromName, sFromName); }
  std::string ToLogInName() const { return GetRecField(Data, oToLogInName, sToLogInName); }
  std::string FromLogInName() const { return GetRecField(Data, oFromLogInName, sFromLogInName); }
  void SetMsgStatus(const std::string& v) { SetRecField(Data, oMsgStatus, sMsgStatus, v); }
};

constexpr const char* MessageFileName = "yOZMesg";
constexpr const char* MessageFileFormat = "%,$*31,$*256,X$*7,$*256,X$*31,$*31,X$*31,$*31";

class TYOZMessage : public TObject {
public:
  // The folder comes from the database object's DBPath; panel 0 of the main window's status bar is
  // reached through its hooks.
  explicit TYOZMessage(TyOZFile* ADatabase);
  ~TYOZMessage() override;

  std::unique_ptr<TIsamFile> UserFile;
  std::unique_ptr<TIsamFile> MessageFile;
  // The read dialog that ShowNewMessages shows each waiting message in (set by the application).
  IReadMessageDialog* ReadDialog = nullptr;

  void SendMessage(const std::string& ToLogInName, const std::string& FromLogInName, const std::string& Subject,
                   const std::string& Body);
  [[nodiscard]] bool HasNewMessages();
  // The new messages waiting for the current login, in order, each told by its key, sender, time of
  // sending, subject and text (a key alone is given again once its message is deleted): what the
  // message timer compares from one look to the next. Raises when the message file is there but cannot
  // be read.
  [[nodiscard]] std::vector<std::string> WaitingMessages();
  // The new messages for the current login, in the order ShowNewMessages shows them.
  [[nodiscard]] std::vector<TShownMessage> NewMessages();
  void ShowNewMessages();
  void PlayNewMessageSound(bool PlayWav, const std::string& WavFile);
  // The in-box rows, newest first, with the counts of new and old messages.
  std::vector<TListRow> InBoxRows(int& NewCount, int& OldCount);
  void FillInBox(IInBoxView* InBox);
  std::string ReadMessage(const std::string& Key);
  void DeleteMessage(const std::string& Key);
  void MarkMessageOld(const std::string& Key);
  std::string LookUpUser(const std::string& LogInName);

private:
  TyOZFile* Database;
  std::string Folder() const;  // DBPath with a trailing backslash
  // Opens the message data set; a failure raises "Unable to open yOZ message database - " + error text.
  void OpenMessageFile(const std::string& Name);
  void SetStatusText(const std::string& Text);
  // Calls Each with every new message to the current login and its key, along the recipients' index of
  // the open message file; the caller checks how the scan ended.
  void ScanNewMessages(const std::function<void(const TMessageRec&, const std::string&)>& Each);
};
