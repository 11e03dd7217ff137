// The read side of the database object: board queries over the user file, and "yOZ.cfg".
#include <cmath>

#include "KLNStringUtils.h"
#include "SysUtils.h"
#include "yOZAlert.h"
#include "yOZFile.h"

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
  OpenScan(DBPath + UserFileName);
  TIsamFileCloser closer(UserFile);
  TUserRec rec;
  while (UserFile->GetNext(rec.Data, IsamKeyIndex, IsamScanFlags, "")) {
    std::string status = rec.Status();
    if (Department && rec.Department() != *Department) continue;
    if (!ShowOfflineUsers && status == "Offline") continue;
    TListRow row;
    row.Caption = rec.Name();
    row.SubItems = {status, FormatUpdateTime(rec.Updated()), rec.Extension(), rec.Department(), rec.LogInName(),
                    rec.Comments()};
    row.ImageIndex = StatusImageIndex(status);
    rows.push_back(std::move(row));
  }
  return rows;
}

void TyOZFile::FillBoard(IBoardView* Board, const std::string* Department) {
  std::vector<TListRow> rows = BoardRows(Department);
  TUpdateScope update(Board);
  Board->Clear();
  for (const TListRow& row : rows) Board->AddRow(row);
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
  TUpdateScope update(Names);
  Names->Clear();
  TUserRec rec;
  while (UserFile->GetNext(rec.Data, IsamKeyIndex, IsamScanFlags, "")) Names->AddObject(rec.Name(), KeyObject(UserFile->LastKey));
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

std::string TyOZFile::FormatUpdateTime(const std::string& Updated) const {
  if (Trim(Updated).empty()) return "";
  TDateTime when;
  try {
    when = StrToDateTime(Updated);
  } catch (const EConvertError&) {
    // Written with other locale settings, or damaged: show it as stored rather than end the fill.
    return Updated;
  }
  double day = std::floor(when);
  double today = Date();
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
}

namespace {

// One attempt at "yOZ.cfg": exclusive open, so readers and writers on every machine take turns.
HANDLE OpenConfigExclusive(const std::string& FileName) {
  return CreateFileA(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

constexpr int ConfigAttempts = 21;

}  // namespace

TyOZConfigRec TyOZFile::ReadConfig() {
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
    HANDLE h = OpenConfigExclusive(fileName);
    if (h == INVALID_HANDLE_VALUE) continue;
    TyOZConfigRec read = rec;
    bool ok = true;
    for (;;) {
      TyOZConfigRec next = read;
      DWORD got = 0;
      if (!ReadFile(h, &next, sizeof next, &got, nullptr)) {
        ok = false;
        break;
      }
      if (got == 0) break;
      if (got != sizeof next) {  // the file ends inside a record
        ok = false;
        break;
      }
      read = next;
    }
    CloseHandle(h);
    if (!ok) continue;
    LogType = read.LogType;
    AllowMessages = read.AllowMessages != 0;
    return read;
  }
  throw Exception("Unable to open yOZ.CFG file");
}

void TyOZFile::WriteConfig(const TyOZConfigRec& Rec) {
  if (Trim(DBPath).empty()) throw Exception("Unkown yOZ database location");
  AllowMessages = Rec.AllowMessages != 0;
  LogType = Rec.LogType;
  const std::string fileName = AddBackslash(DBPath) + "yOZ.cfg";
  for (int attempt = 0; attempt < ConfigAttempts; ++attempt) {
    HANDLE h = OpenConfigExclusive(fileName);
    if (h == INVALID_HANDLE_VALUE) continue;
    DWORD written = 0;
    bool ok = WriteFile(h, &Rec, sizeof Rec, &written, nullptr) && written == sizeof Rec;
    CloseHandle(h);
    if (ok) return;
  }
  throw Exception("Unable to open yOZ.CFG file");
}
