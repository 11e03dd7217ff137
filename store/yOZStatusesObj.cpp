#include "yOZStatusesObj.h"

#include "KLNStringUtils.h"
#include "SysUtils.h"
#include "yOZFile.h"

namespace {

constexpr int StatusRecSize = 31;
const char* const StatusFormat = "X$*31";
constexpr int16_t ixName = 1;  // the one field
const char* const StatusScanFailure = "Unable to read Status dataset - ";
const char* const SeedStatuses[] = {"At lunch",   "Available", "Away from desk", "DND",           "Gone home",
                                    "In meeting", "Offline",   "On holiday",     "Out of office", "Off sick"};

}  // namespace

TYOZStatus::TYOZStatus(TyOZFile* ADatabase) : Database(ADatabase) {
  StatusFile = std::make_unique<TIsamFile>("");
  StatusFile->RecordFormat = StatusFormat;
  CheckIsamLibrary(StatusFile.get());
}

TYOZStatus::~TYOZStatus() = default;

std::string TYOZStatus::DataSetName() const { return AddBackslash(Database->DBPath) + "yOZStats"; }

void TYOZStatus::OpenStatusFile() {
  if (!StatusFile->Open(DataSetName())) throw Exception("Unable to open Status dataset - " + StatusFile->ErrorText());
}

void TYOZStatus::CreateStatusFile() {
  const std::string name = DataSetName();
  // The descriptor goes into place last: a data file without it is another copy's creation under way,
  // which the create below waits for.
  if (FileExists(name + ".ism")) return;
  // A data set made meanwhile by another copy is seeded by that copy.
  if (!CreateNewDataSet(StatusFile.get(), name, StatusFormat, "Unable to create Status dataset - ")) return;
  OpenStatusFile();
  TIsamFileCloser closer(StatusFile);
  for (const char* status : SeedStatuses) {
    uint8_t rec[StatusRecSize] = {};
    SetRecField(rec, 0, StatusRecSize, status);
    if (!StatusFile->Add(rec, "")) throw Exception("Unable to add status - " + StatusFile->ErrorText());
  }
}

bool TYOZStatus::IsBuiltInStatus(const std::string& Status) const {
  for (const char* status : SeedStatuses)
    if (Status == status) return true;
  return Status == "On vacation";
}

// Names are kept trimmed, and one that differs from a listed name only by case or blanks is the same
// status (a custom "dnd" beside the built-in "DND" could be told apart by nobody).
void TYOZStatus::AddStatus(const std::string& Name) {
  const std::string name = Trim(Name);
  OpenStatusFile();
  TIsamFileCloser closer(StatusFile);
  if (ListNameTaken(*StatusFile, StatusRecSize, name, "", "Unable to add Status\r\r"))
    throw Exception("Status \"" + name + "\" already exists");
  uint8_t rec[StatusRecSize] = {};
  SetRecField(rec, 0, StatusRecSize, name);
  if (!StatusFile->Add(rec, "")) throw Exception("Unable to add Status\r\r" + StatusFile->ErrorText());
}

void TYOZStatus::DeleteStatus(int Key) {
  OpenStatusFile();
  TIsamFileCloser closer(StatusFile);
  if (!StatusFile->Delete(KeyText(Key))) throw Exception("Unable to erase status\r\r" + StatusFile->ErrorText());
}

// A rename onto another listed name is refused as Add refuses it; the entry itself may change case.
void TYOZStatus::ReplaceStatus(const std::string& OldName, const std::string& NewName) {
  const std::string name = Trim(NewName);
  OpenStatusFile();
  TIsamFileCloser closer(StatusFile);
  uint8_t rec[StatusRecSize] = {};
  if (!StatusFile->GetEqual(rec, ixName, OldName))
    throw Exception("Unable to locate Status " + OldName + "\r\r" + StatusFile->ErrorText());
  const std::string key = StatusFile->LastKey;
  if (ListNameTaken(*StatusFile, StatusRecSize, name, key, StatusScanFailure))
    throw Exception("Status \"" + name + "\" already exists");
  SetRecField(rec, 0, StatusRecSize, name);
  if (!StatusFile->Replace(rec, key)) throw Exception("Unable to replace Status" + StatusFile->ErrorText());
}

std::string TYOZStatus::ReadStatus(int Key) {
  OpenStatusFile();
  TIsamFileCloser closer(StatusFile);
  uint8_t rec[StatusRecSize] = {};
  if (!StatusFile->GetEqual(rec, IsamKeyIndex, KeyText(Key))) throw Exception("Unable to read Status\r\r" + StatusFile->ErrorText());
  return GetRecField(rec, 0, StatusRecSize);
}

void TYOZStatus::FillStatusList(TStrings* Names) {
  OpenStatusFile();
  TIsamFileCloser closer(StatusFile);
  if (!StatusFile->First(IsamKeyIndex)) throw Exception("Unable to performBOF on Status dataset - " + StatusFile->ErrorText());
  Names->Clear();
  uint8_t rec[StatusRecSize] = {};
  while (StatusFile->GetNext(rec, IsamKeyIndex, IsamScanFlags, ""))
    Names->AddObject(GetRecField(rec, 0, StatusRecSize), KeyObject(StatusFile->LastKey));
  CheckScanEnd(*StatusFile, StatusScanFailure);
}

void TYOZStatus::FillSelectableStatuses(TStrings* Names) {
  OpenStatusFile();
  TIsamFileCloser closer(StatusFile);
  if (!StatusFile->First(IsamKeyIndex)) throw Exception("Unable to perform BOF on Status dataset");
  TUpdateScope update(Names);
  Names->Clear();
  uint8_t rec[StatusRecSize] = {};
  while (StatusFile->GetNext(rec, IsamKeyIndex, IsamScanFlags, "")) {
    std::string status = GetRecField(rec, 0, StatusRecSize);
    if (status != "Offline") Names->AddObject(status, KeyObject(StatusFile->LastKey));
  }
  CheckScanEnd(*StatusFile, StatusScanFailure);
}
