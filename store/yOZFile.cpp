#include "yOZFile.h"

#include <vector>

#include "KLNStringUtils.h"
#include "StVInfo.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZLog.h"

bool IsAdministrator = false;
bool ShowOfflineUsers = true;

namespace {

const char* const NoPermission =
    "\r\rPlease check that you have network permissions and rights to the database folder";

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// Reads a stored record into a user in memory.
void TakeUser(const TUserRec& Rec, TUser& User) {
  User.Name = Rec.Name();
  User.Status = Rec.Status();
  User.Extension = Rec.Extension();
  User.Comments = Rec.Comments();
  User.Department = Rec.Department();
  User.LogInName = Rec.LogInName();
  User.Administrator = Rec.Administrator();
  User.Updated = Rec.Updated();
}

// Writes a user's details over the stored record; the time of the change is now.
void PutUser(TUserRec& Rec, const TUser& User) {
  Rec.SetAdministrator(User.Administrator);
  Rec.SetName(User.Name);
  Rec.SetStatus(User.Status);
  Rec.SetExtension(User.Extension);
  Rec.SetDepartment(User.Department);
  Rec.SetComments(User.Comments);
  Rec.SetLogInName(User.LogInName);
  Rec.SetUpdated(DateTimeToStr(Now()));
}


}  // namespace

TDataSetCreation MakeDataSet(TIsamFile* File, const std::string& Name, const std::string& Format) {
  if (File->CreateFile(Name, 10, Format)) return dcMade;
  // Another copy making the same data set answers "name in use", or, while its files are on their way
  // into place, "multi-user access" or "object not found". Its descriptor goes into place last: once
  // that is there the data set is whole and opens.
  const int16_t failure = File->LastError;
  if (failure != IsamDataSetNameInUse && failure != IsamMultiUserAccess && failure != IsamObjectNotFound)
    return dcFailed;
  for (DWORD waited = 0; !FileExists(Name + ".ism"); waited += DataSetWaitStepMs) {
    if (waited >= DataSetWaitMs) {
      File->LastError = failure;
      // A data set that stays half there is not another copy's work in progress: its own open tells
      // what is wrong with it.
      return failure == IsamDataSetNameInUse ? dcMadeElsewhere : dcFailed;
    }
    Sleep(DataSetWaitStepMs);
  }
  return dcMadeElsewhere;
}

bool CreateNewDataSet(TIsamFile* File, const std::string& Name, const std::string& Format,
                      const std::string& FailureText) {
  switch (MakeDataSet(File, Name, Format)) {
    case dcMade: return true;
    case dcMadeElsewhere: return false;
    case dcFailed: break;
  }
  throw Exception(FailureText + File->ErrorText());
}

void CheckScanEnd(const TIsamFile& File, const std::string& FailureText) {
  if (File.LastError != IsamObjectNotFound) throw Exception(FailureText + File.ErrorText());
}

bool ListNameTaken(TIsamFile& File, int RecSize, const std::string& Name, const std::string& ExceptKey,
                   const std::string& FailureText) {
  return NameTaken(File, RecSize, 0, RecSize, Name, ExceptKey, FailureText);
}

bool NameTaken(TIsamFile& File, int RecSize, int NameOffset, int NameSize, const std::string& Name,
               const std::string& ExceptKey, const std::string& FailureText) {
  const std::string wanted = Trim(Name);
  std::vector<uint8_t> rec(size_t(RecSize), 0);
  if (!File.First(IsamKeyIndex)) throw Exception(FailureText + File.ErrorText());
  while (File.GetNext(rec.data(), IsamKeyIndex, IsamScanFlags, ""))
    if (File.LastKey != ExceptKey && SameText(Trim(GetRecField(rec.data(), NameOffset, NameSize)), wanted))
      return true;
  CheckScanEnd(File, FailureText);
  return false;
}

void CheckIsamLibrary(const TIsamFile* File) {
  if (File->DllLoaded) return;
  StoreMessageBox("Unable to find VBISAM DLL, please make sure that VBIS4032.DLL is in path!", smbError);
  StoreTerminate();
}

TyOZFile::TyOZFile(const std::string& ADBPath, TyOZFileHooks AHooks) : DBPath(ADBPath), Hooks(std::move(AHooks)) {
  // A folder stored without its closing backslash would make some names "S:\BoardyOZDB31" and
  // others "S:\Board\yOZDB31": every name below is the folder followed directly by the file's.
  if (!Trim(DBPath).empty()) DBPath = AddBackslash(DBPath);
  Settings = std::make_unique<TyOZCB>();
  CurrentUser = std::make_unique<TUser>();
  UserFile = std::make_unique<TIsamFile>("");
  UserFile->RecordFormat = UserFileFormat;
  CheckIsamLibrary(UserFile.get());
  ReadConfig();
}

TyOZFile::~TyOZFile() = default;

TUser& TyOZFile::TheUser() { return yOZCurrentUser ? *yOZCurrentUser : *CurrentUser; }

void TyOZFile::SetStatusText(const std::string& Text) {
  if (Hooks.SetStatusText) Hooks.SetStatusText(Text);
}

void TyOZFile::OpenUserFile(const std::string& NoFolderText, TOpenFailure Failure) {
  const std::string folder = AddBackslash(DBPath);
  if (!IsDirectory(folder)) throw Exception(NoFolderText + Quoted(folder));
  if (UserFile->Open(folder + UserFileName)) return;
  if (Failure == ofErrorText) throw Exception("Unable to open dataset - " + UserFile->ErrorText());
  throw Exception(std::string("Unable to open dataset") + NoPermission);
}

void TyOZFile::RegisterCurrentUser() {
  // Without his own record the board can do nothing for its user: a registration that fails ends the
  // program rather than leaving a board that fails at every step.
  TFailScope shutDown([this] {
    if (Hooks.SetShuttingDown) Hooks.SetShuttingDown();
  });
  AddCurrentUserWhenMissing();
}

void TyOZFile::AddCurrentUserWhenMissing() {
  if (!IsDirectory(DBPath)) throw Exception("Unable to access the yOZ database location " + Quoted(DBPath));
  const std::string name = DBPath + UserFileName;
  TUserRec rec;
  rec.SetName(GetLogInName());
  rec.SetLogInName(GetLogInName());
  rec.SetStatus("Available");
  rec.SetUpdated(DateTimeToStr(Now()));
  // Another copy may make the new database between our test and our create: then we join it as a
  // plain user instead of failing the registration.
  if (!FileExists(name + ".ism") && CreateNewDataSet(UserFile.get(), name, UserFileFormat, "Unable to create yOZDBase!\r\r")) {
    // A new database: its first user is the administrator.
    if (!UserFile->Open(name)) throw Exception(std::string("Unable to open yOZDBase after create!") + NoPermission);
    TIsamFileCloser closer(UserFile);
    IsAdministrator = true;
    rec.SetAdministrator(1);
    if (!UserFile->Add(rec.Data, "")) throw Exception("Unable to Add user to yOZ Database\r\r" + UserFile->ErrorText());
    return;
  }
  // The user file was there already: nothing was created, so its failure is told as an open's.
  if (!UserFile->Open(name)) throw Exception("Unable to open dataset - " + UserFile->ErrorText());
  TIsamFileCloser closer(UserFile);
  TUserRec found;
  if (UserFile->GetEqual(found.Data, TUserRec::ixLogInName, CurrentUser->LogInName)) return;
  // Only a login that is not there is added: a busy or damaged file would otherwise get him again.
  if (UserFile->LastError != IsamObjectNotFound)
    throw Exception("Unable to perform lookup on user " + CurrentUser->LogInName + " " + UserFile->ErrorText());
  rec.SetAdministrator(0);
  if (!UserFile->Add(rec.Data, "")) throw Exception("Unable to Add user to yOZ Database\r\r" + UserFile->ErrorText());
}

void TyOZFile::LookUpFailed(const std::string& LogInName) {
  if (UserFile->LastError == IsamObjectNotFound && LogInName == CurrentUser->LogInName)
    throw EUserRemoved("Your login " + LogInName + " has been removed from the yOZ board by an administrator."
                       "\r\rStart yOZ again to register it.");
  throw Exception("Unable to perform lookup on user " + LogInName + " " + UserFile->ErrorText());
}

void TyOZFile::RecordNotWritten(const std::string& Lost) {
  std::string text = "Unable to replace record - " + UserFile->ErrorText();
  // The library's words name no cause; a folder (or user file) that cannot be written is the usual
  // one, and is said plainly when it is the case.
  const std::string folder = AddBackslash(DBPath);
  bool writable = DatabaseFolderProblem(folder).empty();
  if (writable) {
    HANDLE h = CreateFileA((folder + UserFileName + ".isd").c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    writable = h != INVALID_HANDLE_VALUE;
    if (writable) CloseHandle(h);
  }
  if (!writable)
    text += "\r\rThe yOZ database location " + Quoted(folder) + " cannot be written, so " + Lost + "." + NoPermission;
  throw Exception(text);
}

void TyOZFile::LoadCurrentUser() {
  OpenUserFile("Unable to access the yOZ database location ", ofErrorText);
  TIsamFileCloser closer(UserFile);
  TUserRec rec;
  if (!UserFile->GetEqual(rec.Data, TUserRec::ixLogInName, CurrentUser->LogInName)) {
    // The record was deleted by an administrator: say so, but keep the user in memory.
    if (UserFile->LastError == IsamObjectNotFound)
      SetStatusText("Your login " + CurrentUser->LogInName + " has been removed from the yOZ board");
    else
      SetStatusText(UserFile->ErrorText() + " " + UserFile->ErrorInfo());
    return;
  }
  SetStatusText("");
  TUser& u = TheUser();
  TakeUser(rec, u);
  StoredStatus = u.Status;
}

void TyOZFile::UpdateUser(TUser* User) {
  OpenUserFile("Unable to update user - unable to access the yOZ database location ", ofPermission);
  TIsamFileCloser closer(UserFile);
  TUserRec rec;
  if (!UserFile->GetEqual(rec.Data, TUserRec::ixLogInName, User->LogInName)) LookUpFailed(User->LogInName);
  PutUser(rec, *User);
  if (!UserFile->Replace(rec.Data, UserFile->LastKey)) RecordNotWritten("the change was not saved");
}

void TyOZFile::UpdateChangedDetails(const TUser& Shown, const TUser& Edited) {
  OpenUserFile("Unable to update user - unable to access the yOZ database location ", ofPermission);
  TIsamFileCloser closer(UserFile);
  TUserRec rec;
  if (!UserFile->GetEqual(rec.Data, TUserRec::ixLogInName, Edited.LogInName))
    throw Exception("Unable to perform lookup on user " + Edited.LogInName + " " + UserFile->ErrorText());
  const std::string key = UserFile->LastKey;
  if (Trim(Edited.Name) != Trim(Shown.Name) &&
      NameTaken(*UserFile, TUserRec::Size, TUserRec::oName, TUserRec::sName, Edited.Name, key,
                "Unable to update user\r\r"))
    throw Exception("User \"" + Trim(Edited.Name) + "\" already exists");
  bool changed = false;
  auto take = [&changed](const std::string& Was, const std::string& Is, auto Set) {
    if (Is == Was) return;
    Set(Is);
    changed = true;
  };
  take(Shown.Name, Edited.Name, [&rec](const std::string& v) { rec.SetName(v); });
  take(Shown.Status, Edited.Status, [&rec](const std::string& v) { rec.SetStatus(v); });
  take(Shown.Extension, Edited.Extension, [&rec](const std::string& v) { rec.SetExtension(v); });
  take(Shown.Department, Edited.Department, [&rec](const std::string& v) { rec.SetDepartment(v); });
  take(Shown.Comments, Edited.Comments, [&rec](const std::string& v) { rec.SetComments(v); });
  if (Edited.Administrator != Shown.Administrator) {
    rec.SetAdministrator(Edited.Administrator);
    changed = true;
  }
  if (!changed) return;
  rec.SetUpdated(DateTimeToStr(Now()));
  if (!UserFile->Replace(rec.Data, key)) throw Exception("Unable to replace record - " + UserFile->ErrorText());
}

void TyOZFile::SaveCurrentUserStatus() {
  OpenUserFile("Unable to update status - unable to access the yOZ database location ", ofErrorText);
  TUser& u = TheUser();
  std::string oldStatus;
  {
    TIsamFileCloser closer(UserFile);
    TUserRec rec;
    if (!UserFile->GetEqual(rec.Data, TUserRec::ixLogInName, CurrentUser->LogInName))
      LookUpFailed(CurrentUser->LogInName);
    oldStatus = rec.Status();
    // Details changed elsewhere (an administrator's edit) win over ours; only the status is new.
    const std::string newStatus = u.Status;
    TakeUser(rec, u);
    u.Status = newStatus;
    PutUser(rec, u);
    IsAdministrator = u.Administrator == 1;
    if (!UserFile->Replace(rec.Data, UserFile->LastKey)) RecordNotWritten("the status was not changed");
    // The tray shows what was stored: a change that failed leaves it as it was.
    if (Hooks.SetTrayImage) Hooks.SetTrayImage(StatusImageIndex(rec.Status()));
  }
  LogStatusChange(u.Name, u.LogInName, oldStatus, u.Status);
}

void TyOZFile::SetSelectedUsersStatus(IBoardView* Board, const std::string& NewStatus) {
  int index = Board->SelectedIndex();
  if (index < 0) return;  // nothing selected: nobody to change
  const TListRow row = Board->Row(index);
  const std::string name = row.Caption;
  const std::string logInName = row.SubItem(bsLogInName);
  OpenUserFile("Unable to update user - unable to access the yOZ database location ", ofPermission);
  std::string oldStatus;
  {
    TIsamFileCloser closer(UserFile);
    TUserRec rec;
    if (!UserFile->GetEqual(rec.Data, TUserRec::ixLogInName, logInName))
      throw Exception("Unable to perform lookup on user " + logInName + " " + UserFile->ErrorText());
    oldStatus = rec.Status();
    rec.SetStatus(NewStatus);
    rec.SetUpdated(DateTimeToStr(Now()));
    if (!UserFile->Replace(rec.Data, UserFile->LastKey)) RecordNotWritten("the status was not changed");
    LogStatusChange(name, logInName, oldStatus, NewStatus);
  }
}

void TyOZFile::LogStatusChange(const std::string& Name, const std::string& LogInName, const std::string& OldStatus,
                               const std::string& NewStatus) {
  if (OldStatus == NewStatus) return;
  const std::string folder = AddBackslash(DBPath);
  if (LogType == 1)
    WriteTextLog(folder + "yOZLog.txt", Name + " (" + LogInName + ") status changed from " + Quoted(OldStatus) +
                                            " to " + Quoted(NewStatus));
  else if (LogType == 2)
    WriteCsvLog(folder + "yOZLog.csv", Name, LogInName, OldStatus, NewStatus);
}

void TyOZFile::DeleteUser(int Key) {
  OpenUserFile("Unable to delete user - unable to access the yOZ database location ", ofErrorText);
  TIsamFileCloser closer(UserFile);
  if (!UserFile->Delete(KeyText(Key))) throw Exception("Unable to erase user - " + UserFile->ErrorText());
}

std::string DatabaseFolderProblem(const std::string& Folder) {
  const std::string folder = AddBackslash(Trim(Folder));
  if (folder.size() > MaxDBPathLength)
    return "The path of the yOZ database location " + Quoted(folder) + " is longer than " +
           IntToStr(int(MaxDBPathLength)) + " characters.\r\rPlease choose a folder with a shorter path.";
  if (FileExists(ExcludeTrailingBackslash(folder)))
    return "The yOZ database location " + Quoted(folder) + " is a file, not a folder.";
  if (!IsDirectory(folder)) return "Unable to access the yOZ database location " + Quoted(folder);
  // Every copy writes its registration, its status changes and "yOZ.cfg" there. The probe goes when
  // its handle closes.
  const std::string probe = folder + "yOZ" + IntToStr(int(GetCurrentProcessId())) + ".tmp";
  HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return "Unable to write to the yOZ database location " + Quoted(folder) + NoPermission;
  CloseHandle(h);
  const std::string config = folder + "yOZ.cfg";
  if (FileExists(config)) {
    h = CreateFileA(config.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      return "Unable to write to " + Quoted(config) + NoPermission;
    CloseHandle(h);
  }
  // A database already there must open; a folder without one gets it at the first registration.
  const std::string users = folder + UserFileName;
  if (!FileExists(users + ".ism") && !FileExists(users + ".isd")) return {};
  TIsamFile file("");
  file.RecordFormat = UserFileFormat;
  if (!file.Open(users)) return "Unable to open the yOZ database in " + Quoted(folder) + " - " + file.ErrorText();
  file.Close();
  return {};
}
