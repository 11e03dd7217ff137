// The read side of the database object: board queries over the user file, and "yOZ.cfg".
#include <cmath>

#include "KLNStringUtils.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZAlert.h"
#include "yOZFile.h"

namespace {

const char* const ScanFailure = "Unable to read dataset - ";

}  // namespace

// Opens DataSet and positions before its first record; the caller closes.
void TyOZFile::OpenScan(const std::string& DataSet) {
  if (!UserFile->Open(DataSet)) throw Exception("Unable to open dataset - " + UserFile->ErrorText());
  if (!UserFile->First(IsamKeyIndex)) {
    std::string text = UserFile->ErrorText();
    UserFile->Close();
    throw Exception("Unable to perform BOF on dataset - " + text);
  }
}

std::vector<TListRow> TyOZFile::BoardRows(const std::string* Department) {
  std::vector<TListRow> rows;
  rows.reserve(FLastBoardRows);
  ScanBoardRows(rows, Department);
  return rows;
}

void TyOZFile::ScanBoardRows(std::vector<TListRow>& Rows, const std::string* Department) {
  OpenScan(DBPath + UserFileName);
  TIsamFileCloser closer(UserFile);
  TUserRec rec;
  const double today = Date();
  size_t count = 0;
  std::string status, updated;
  while (UserFile->GetNext(rec.Data, IsamKeyIndex, IsamScanFlags, "")) {
    AssignRecField(status, rec.Data, TUserRec::oStatus, TUserRec::sStatus);
    if (Department && rec.Department() != *Department) continue;
    if (!ShowOfflineUsers && status == "Offline") continue;
    if (count == Rows.size()) Rows.emplace_back();
    TListRow& row = Rows[count++];
    AssignRecField(row.Caption, rec.Data, TUserRec::oName, TUserRec::sName);
    row.SubItems.resize(6);
    row.SubItems[bsStatus] = status;
    AssignRecField(updated, rec.Data, TUserRec::oUpdated, TUserRec::sUpdated);
    row.SubItems[bsUpdated] = FormatUpdateTime(updated, today);
    AssignRecField(row.SubItems[bsExt], rec.Data, TUserRec::oExtension, TUserRec::sExtension);
    AssignRecField(row.SubItems[bsDepartment], rec.Data, TUserRec::oDepartment, TUserRec::sDepartment);
    AssignRecField(row.SubItems[bsLogInName], rec.Data, TUserRec::oLogInName, TUserRec::sLogInName);
    AssignRecField(row.SubItems[bsComments], rec.Data, TUserRec::oComments, TUserRec::sComments);
    row.ImageIndex = StatusImageIndex(status);
  }
  CheckScanEnd(*UserFile, ScanFailure);  // before the board is touched: its rows stay as they were
  Rows.resize(count);
  FLastBoardRows = count;
}

void TyOZFile::FillBoard(IBoardView* Board, const std::string* Department) {
  ScanBoardRows(FBoardRows, Department);
  TUpdateScope update(Board);
  Board->SetRows(FBoardRows);
  for (int column = 0; column < BoardColumnCount; ++column)
    if (column != BoardPCNameColumn) Board->AutoSizeColumn(column);
}

void TyOZFile::FillMainList(IBoardView* Board) { FillBoard(Board, nullptr); }

void TyOZFile::FillMainListForDepartment(IBoardView* Board, const std::string& Department) {
  FillBoard(Board, &Department);
}

void TyOZFile::FillUserNames(TStrings* Names) {
  OpenScan(AddBackslash(DBPath) + UserFileName);
  TIsamFileCloser closer(UserFile);
  std::vector<std::pair<std::string, TObject*>> names;
  TUserRec rec;
  while (UserFile->GetNext(rec.Data, IsamKeyIndex, IsamScanFlags, "")) names.emplace_back(rec.Name(), KeyObject(UserFile->LastKey));
  CheckScanEnd(*UserFile, ScanFailure);
  TUpdateScope update(Names);
  Names->Clear();
  for (const auto& n : names) Names->AddObject(n.first, n.second);
}

void TyOZFile::ShowUser(int Key, std::string& Name, std::string& Status, std::string& Comments,
                        std::string& Extension, std::string& Department, std::string& LogInName,
                        int16_t& Administrator) {
  OpenScan(AddBackslash(DBPath) + UserFileName);
  TIsamFileCloser closer(UserFile);
  TUserRec rec;
  if (!UserFile->GetEqual(rec.Data, IsamKeyIndex, KeyText(Key)))
    throw Exception("Unable to perform look up on dataset - " + UserFile->ErrorText());
  Name = rec.Name();
  Status = rec.Status();
  Comments = rec.Comments();
  Extension = rec.Extension();
  Department = rec.Department();
  LogInName = rec.LogInName();
  Administrator = rec.Administrator();
}

bool TyOZFile::OneAdministratorOnly() {
  OpenScan(AddBackslash(DBPath) + UserFileName);
  TIsamFileCloser closer(UserFile);
  int32_t count = 0;
  TUserRec rec;
  while (UserFile->GetNext(rec.Data, IsamKeyIndex, IsamScanFlags, ""))
    if (rec.Administrator() == 1) count = CheckedAdd(count, 1);
  CheckScanEnd(*UserFile, ScanFailure);  // an unread administrator may be the last one
  return count <= 1;
}

int TyOZFile::StatusImageIndex(const std::string& Status) const {
  static const struct {
    const char* Status;
    int Image;
  } images[] = {{"At lunch", 0},   {"Available", 1},  {"Away from desk", 2}, {"DND", 3},
                {"Gone home", 4},  {"In meeting", 5}, {"On holiday", 6},     {"On vacation", 6},
                {"Out of office", 7}, {"Off sick", 10}, {"Offline", 11}};
  for (const auto& i : images)
    if (Status == i.Status) return i.Image;
  return 9;
}

std::string TyOZFile::FormatUpdateTime(const std::string& Updated) const { return FormatUpdateTime(Updated, Date()); }

std::string TyOZFile::FormatUpdateTime(const std::string& Updated, double Today) const {
  if (Trim(Updated).empty()) return "";
  TDateTime when;
  try {
    when = StrToDateTime(Updated);
  } catch (const EConvertError&) {
    // Written with other locale settings, or damaged: show it as stored rather than end the fill.
    return Updated;
  }
  double day = std::floor(when);
  const double today = Today;
  if (day == today) return "Today " + FormatDateTime("hh:mm", when);
  if (day == today - 1) return "Yesterday " + FormatDateTime("hh:mm", when);
  return Updated;
}

void TyOZFile::UpdateAlertNames(TyOZAlert* Alerts) {
  OpenScan(DBPath + UserFileName);
  TIsamFileCloser closer(UserFile);
  TUserRec rec;
  while (UserFile->GetNext(rec.Data, IsamKeyIndex, IsamScanFlags, "")) {
    std::string logInName = rec.LogInName();
    int index = Alerts->IndexOf(UpperCase(logInName));
    if (index < 0) continue;
    if (Alerts->GetName(index) != rec.Name()) Alerts->SetName(logInName, rec.Name());
  }
  CheckScanEnd(*UserFile, ScanFailure);
}

namespace {

constexpr int ConfigAttempts = 21;
// Another copy holds the file only for one read or write: a short pause between attempts lets it
// finish (without one, all attempts were spent in well under a millisecond while four copies started).
constexpr DWORD ConfigRetryPauseMs = 20;
constexpr LONG ConfigRecSize = sizeof(TyOZConfigRec);

// The last whole record of the file into Rec (left as it is when the file holds none). A tail shorter
// than a record (a write cut short) is passed over, so a damaged file never stops a start.
bool ReadLastRecord(HANDLE File, TyOZConfigRec& Rec) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(File, &size)) return false;
  const LONGLONG whole = size.QuadPart / ConfigRecSize;
  if (whole == 0) return true;
  LARGE_INTEGER at;
  at.QuadPart = (whole - 1) * ConfigRecSize;
  TyOZConfigRec read;
  DWORD got = 0;
  if (!SetFilePointerEx(File, at, nullptr, FILE_BEGIN) || !ReadFile(File, &read, ConfigRecSize, &got, nullptr) ||
      got != DWORD(ConfigRecSize))
    return false;
  Rec = read;
  return true;
}

}  // namespace

TConfigFile::TConfigFile(const std::string& FileName) {
  FHandle = CreateFileA(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (FHandle != INVALID_HANDLE_VALUE && !LockSharedFile(FHandle)) {
    CloseHandle(FHandle);
    FHandle = INVALID_HANDLE_VALUE;
  }
}

TConfigFile::~TConfigFile() {
  if (FHandle == INVALID_HANDLE_VALUE) return;
  UnlockSharedFile(FHandle);
  CloseHandle(FHandle);
}

TyOZConfigRec TyOZFile::ReadConfig() {
  // "Unkown" on purpose: the program's messages are kept word for word, and its tests match them.
  if (Trim(DBPath).empty()) throw Exception("Unkown yOZ database location");
  TyOZConfigRec rec;
  const std::string fileName = AddBackslash(DBPath) + "yOZ.cfg";
  if (!FileExists(fileName)) {
    HANDLE h = CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + SysErrorMessage(GetLastError()));
    CloseHandle(h);
  }
  for (int attempt = 0; attempt < ConfigAttempts; ++attempt) {
    if (attempt > 0) Sleep(ConfigRetryPauseMs);
    TConfigFile file(fileName);
    TyOZConfigRec read = rec;
    if (!file.Ok() || !ReadLastRecord(file.Handle(), read)) continue;
    LogType = read.LogType;
    AllowMessages = read.AllowMessages != 0;
    return read;
  }
  throw Exception("Unable to open yOZ.CFG file");
}

void TyOZFile::WriteConfig(const TyOZConfigRec& Rec) {
  // "Unkown" on purpose, as in ReadConfig.
  if (Trim(DBPath).empty()) throw Exception("Unkown yOZ database location");
  AllowMessages = Rec.AllowMessages != 0;
  LogType = Rec.LogType;
  const std::string fileName = AddBackslash(DBPath) + "yOZ.cfg";
  for (int attempt = 0; attempt < ConfigAttempts; ++attempt) {
    if (attempt > 0) Sleep(ConfigRetryPauseMs);
    TConfigFile file(fileName);
    if (!file.Ok()) continue;
    // Exactly one record: whatever followed it (older records, a cut-short write) goes.
    DWORD written = 0;
    if (WriteFile(file.Handle(), &Rec, ConfigRecSize, &written, nullptr) && written == DWORD(ConfigRecSize) &&
        SetEndOfFile(file.Handle()))
      return;
  }
  throw Exception("Unable to open yOZ.CFG file");
}
