#pragma once
// The database object: owner of the shared folder and its user file "yOZDB31", the current user's
// registration and status changes, the board queries and the shared configuration file "yOZ.cfg".
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "IsamFile.h"
#include "SysUtils.h"
#include "yOZCB.h"
#include "yOZUser.h"
#include "yOZViews.h"

class TyOZAlert;

// Process-wide flags shared with the application: the current user is an administrator; the board
// shows users whose status is "Offline" (a copy of the setting of that name).
extern bool IsAdministrator;
extern bool ShowOfflineUsers;

// The record of "yOZ.cfg": 33 bytes.
struct TyOZConfigRec {
  uint8_t LogType = 0;  // 0 none, 1 text log, 2 comma-separated log
  uint8_t Reserved[31] = {};
  uint8_t AllowMessages = 1;
};
static_assert(sizeof(TyOZConfigRec) == 33, "yOZ.cfg holds 33-byte records");

// "yOZ.cfg" opened and locked for one read or write: the exclusive open keeps out the copies on this
// machine, the byte-range lock those on others (share modes do not reach them). Not Ok when another
// copy has it now; the file must exist.
class TConfigFile {
public:
  explicit TConfigFile(const std::string& FileName);
  ~TConfigFile();
  TConfigFile(const TConfigFile&) = delete;
  TConfigFile& operator=(const TConfigFile&) = delete;
  bool Ok() const { return FHandle != INVALID_HANDLE_VALUE; }
  HANDLE Handle() const { return FHandle; }

private:
  HANDLE FHandle;
};

// How the database object reaches the main window without knowing it. Any member may be empty.
struct TyOZFileHooks {
  std::function<void(const std::string&)> SetStatusText;  // text of the status bar's panel 0
  std::function<void(int)> SetTrayImage;                  // image index of the tray icon
  std::function<void()> SetShuttingDown;                  // the main window's ShuttingDown flag
};

// The constructors of the stores test that the ISAM library was found; when it was not they say so
// and end the application (the constructor still completes).
void CheckIsamLibrary(const TIsamFile* File);

// Creates the data set Name (key length 10) for a store that found it missing. dcMade when this call
// made it; dcMadeElsewhere when another copy made it in the meantime or is making it now (waited for,
// DataSetWaitMs at most, until its files are in place), so the caller goes on with that one; dcFailed
// otherwise, with File's error.
enum TDataSetCreation { dcMade, dcMadeElsewhere, dcFailed };
constexpr DWORD DataSetWaitMs = 5000, DataSetWaitStepMs = 20;
[[nodiscard]] TDataSetCreation MakeDataSet(TIsamFile* File, const std::string& Name, const std::string& Format);
// The same, raising FailureText + the error text on failure: True when this call made the data set.
[[nodiscard]] bool CreateNewDataSet(TIsamFile* File, const std::string& Name, const std::string& Format,
                      const std::string& FailureText);

// The longest database folder, with its closing backslash, that the stored setting keeps.
constexpr size_t MaxDBPathLength = 255;

// What keeps Folder from serving as the database folder, said for the user: its path is too long for
// the setting, it is missing or a file, it cannot be written, or the database in it does not open.
// Empty when the folder can be used (it holds a database, or gets one at the first registration).
std::string DatabaseFolderProblem(const std::string& Folder);

// A scan ends when the data set has no further record ("Object not found"). Any other failure cut it
// short: raises FailureText + the error text, so a damaged or busy file never passes for a short one.
void CheckScanEnd(const TIsamFile& File, const std::string& FailureText);

// Whether the open one-field list File (names of RecSize bytes) holds Name under a key other than
// ExceptKey, compared as a person reads names: without case and surrounding blanks. A scan cut short
// raises FailureText + the error text.
[[nodiscard]] bool ListNameTaken(TIsamFile& File, int RecSize, const std::string& Name, const std::string& ExceptKey,
                                 const std::string& FailureText);

// The same for a name at NameOffset (NameSize bytes) of records of RecSize bytes.
[[nodiscard]] bool NameTaken(TIsamFile& File, int RecSize, int NameOffset, int NameSize, const std::string& Name,
                             const std::string& ExceptKey, const std::string& FailureText);

// The current user's record is gone from the user file: an administrator removed the login while
// this copy ran. Its message says so for the user; the next start registers the login again.
class EUserRemoved : public Exception {
public:
  using Exception::Exception;
};

class TyOZFile : public TObject {
public:
  explicit TyOZFile(const std::string& ADBPath, TyOZFileHooks AHooks = {});
  ~TyOZFile() override;

  std::unique_ptr<TyOZCB> Settings;
  std::unique_ptr<TUser> CurrentUser;
  uint8_t LogType = 0;
  std::string DBPath;
  std::unique_ptr<TIsamFile> UserFile;
  bool AllowMessages = true;
  std::string StoredStatus;
  TyOZFileHooks Hooks;

  // Users.
  void RegisterCurrentUser();
  void LoadCurrentUser();
  void UpdateUser(TUser* User);
  // An administrator's edit of a user (found by Edited's LogInName): the record is read again and only
  // the details in which Edited differs from Shown (as they were read when the user was chosen) are
  // written, so what changed meanwhile elsewhere, such as the user's own new status, is kept. A new
  // name that another user has (case and surrounding blanks aside) raises "User "..." already exists".
  // Nothing changed: nothing is written.
  void UpdateChangedDetails(const TUser& Shown, const TUser& Edited);
  void SaveCurrentUserStatus();
  void SetSelectedUsersStatus(IBoardView* Board, const std::string& NewStatus);
  void DeleteUser(int Key);

  // Board queries. The *Rows functions gather what the fills show.
  [[nodiscard]] std::vector<TListRow> BoardRows(const std::string* Department = nullptr);
  void FillMainList(IBoardView* Board);
  void FillMainListForDepartment(IBoardView* Board, const std::string& Department);
  void FillUserNames(TStrings* Names);
  void ShowUser(int Key, std::string& Name, std::string& Status, std::string& Comments,
                std::string& Extension, std::string& Department, std::string& LogInName,
                int16_t& Administrator);
  [[nodiscard]] bool OneAdministratorOnly();
  int StatusImageIndex(const std::string& Status) const;
  std::string FormatUpdateTime(const std::string& Updated) const;
  // The same with today's date given: a scan takes it once, not once a row.
  std::string FormatUpdateTime(const std::string& Updated, double Today) const;
  void UpdateAlertNames(TyOZAlert* Alerts);

  // Shared configuration.
  TyOZConfigRec ReadConfig();
  void WriteConfig(const TyOZConfigRec& Rec);

private:
  void AddCurrentUserWhenMissing();
  TUser& TheUser();  // the process-wide current user, or our own when the application made none
  void SetStatusText(const std::string& Text);
  // Raises the failed look-up of LogInName: EUserRemoved when it is the current user's and the record
  // is not there.
  [[noreturn]] void LookUpFailed(const std::string& LogInName);
  // Raises the failed rewrite of a user record: the library's text, and in words when the folder or
  // the user file cannot be written, ending with Lost ("the status was not changed").
  [[noreturn]] void RecordNotWritten(const std::string& Lost);
  // Tests the folder (DBPath with a backslash) and opens the user file in it; the caller closes.
  enum TOpenFailure { ofErrorText, ofPermission };
  void OpenUserFile(const std::string& NoFolderText, TOpenFailure Failure);
  void OpenScan(const std::string& DataSet);
  void FillBoard(IBoardView* Board, const std::string* Department);
  // The board's rows into Rows, overwriting the rows it holds (their strings keep their room).
  void ScanBoardRows(std::vector<TListRow>& Rows, const std::string* Department);
  size_t FLastBoardRows = 0;  // rows of the last board scan: room made for as many in the next
  std::vector<TListRow> FBoardRows;  // the last fill's rows, refilled in place by the next
  void LogStatusChange(const std::string& Name, const std::string& LogInName, const std::string& OldStatus,
                       const std::string& NewStatus);
};
