#include "yOZDepartmentObj.h"

#include "KLNStringUtils.h"
#include "SysUtils.h"
#include "yOZFile.h"

namespace {

constexpr int DepartmentRecSize = 21;
const char* const DepartmentScanFailure = "Unable to read the departments - ";
const char* const DepartmentFormat = "X$*21";
constexpr int16_t ixName = 1;  // the one field, X$*21

}  // namespace

TYOZDepartment::TYOZDepartment() {
  Settings = std::make_unique<TyOZCB>();
  DepartmentFile = std::make_unique<TIsamFile>("");
  DepartmentFile->RecordFormat = DepartmentFormat;
  CheckIsamLibrary(DepartmentFile.get());
}

TYOZDepartment::~TYOZDepartment() = default;

std::string TYOZDepartment::DataSetName() {
  TyOZCBRec rec;
  Settings->LoadSettings(rec);
  return AddBackslash(rec.yOZDBasePath) + "yOZDeps";
}

// The open's result is left unchecked on purpose: the next call on the closed handle fails with
// "Invalid dataset reference", which each caller reports in its own words (and the tests expect).
void TYOZDepartment::OpenDepartmentFile() { static_cast<void>(DepartmentFile->Open(DataSetName())); }

void TYOZDepartment::CreateDepartmentFile() {
  // Unchecked on purpose: it fails, harmlessly, on an existing data set; one that another copy is making
  // just now is waited for, so the dialog's first reads find it whole.
  static_cast<void>(MakeDataSet(DepartmentFile.get(), DataSetName(), DepartmentFormat));
}

// Names are kept trimmed, and one that differs from a listed name only by case or blanks is the same
// department: a second entry of it would split the board's filter.
void TYOZDepartment::AddDepartment(const std::string& Name) {
  const std::string name = Trim(Name);
  OpenDepartmentFile();
  TIsamFileCloser closer(DepartmentFile);
  const std::string failure = "Unable to Add the department " + name + " - ";
  if (ListNameTaken(*DepartmentFile, DepartmentRecSize, name, "", failure)) {
    StoreMessageBox("Department \"" + name + "\" already exists", smbWarning);
    return;
  }
  uint8_t rec[DepartmentRecSize] = {};
  SetRecField(rec, 0, DepartmentRecSize, name);
  if (!DepartmentFile->Add(rec, "")) throw Exception(failure + DepartmentFile->ErrorText());
}

void TYOZDepartment::DeleteDepartment(int Key) {
  OpenDepartmentFile();
  TIsamFileCloser closer(DepartmentFile);
  // "erarse" on purpose: the program's messages are kept word for word, and its tests match them.
  if (!DepartmentFile->Delete(KeyText(Key)))
    throw Exception("Unable to erarse department\r\r" + DepartmentFile->ErrorText());
}

// A rename onto another listed name is refused as Add refuses it; the entry itself may change case.
void TYOZDepartment::ReplaceDepartment(const std::string& OldName, const std::string& NewName) {
  const std::string name = Trim(NewName);
  OpenDepartmentFile();
  TIsamFileCloser closer(DepartmentFile);
  uint8_t rec[DepartmentRecSize] = {};
  if (!DepartmentFile->GetEqual(rec, ixName, OldName))
    throw Exception("Unable to locate the department " + OldName + "\r\r" + DepartmentFile->ErrorText());
  const std::string key = DepartmentFile->LastKey;
  if (ListNameTaken(*DepartmentFile, DepartmentRecSize, name, key, DepartmentScanFailure)) {
    StoreMessageBox("Department \"" + name + "\" already exists", smbWarning);
    return;
  }
  SetRecField(rec, 0, DepartmentRecSize, name);
  if (!DepartmentFile->Replace(rec, key))
    throw Exception("Unable to update the department " + OldName + DepartmentFile->ErrorText());
}

std::string TYOZDepartment::ReadDepartment(int Key) {
  OpenDepartmentFile();
  TIsamFileCloser closer(DepartmentFile);
  uint8_t rec[DepartmentRecSize] = {};
  if (!DepartmentFile->GetEqual(rec, IsamKeyIndex, KeyText(Key)))
    throw Exception("Unable to locate department \r\r" + DepartmentFile->ErrorText());
  return GetRecField(rec, 0, DepartmentRecSize);
}

std::string TYOZDepartment::SelectDepartment(int Key) {
  OpenDepartmentFile();
  TIsamFileCloser closer(DepartmentFile);
  uint8_t rec[DepartmentRecSize] = {};
  if (!DepartmentFile->GetEqual(rec, IsamKeyIndex, KeyText(Key))) {
    StoreMessageBox(DepartmentFile->ErrorText() + "\r" + DepartmentFile->ErrorInfo(), smbError);
    return "";  // the dialog keeps its field empty
  }
  return GetRecField(rec, 0, DepartmentRecSize);
}

std::vector<std::pair<std::string, int>> TYOZDepartment::ReadAll() {
  std::vector<std::pair<std::string, int>> all;
  OpenDepartmentFile();
  if (!DepartmentFile->Opened) {
    if (DepartmentFile->LastError == IsamObjectNotFound) return all;  // no department was ever added
    throw Exception(DepartmentScanFailure + DepartmentFile->ErrorText());
  }
  TIsamFileCloser closer(DepartmentFile);
  DepartmentFile->First(IsamKeyIndex);
  uint8_t rec[DepartmentRecSize] = {};
  while (DepartmentFile->GetNext(rec, IsamKeyIndex, IsamScanFlags, ""))
    all.emplace_back(GetRecField(rec, 0, DepartmentRecSize), StrToInt(DepartmentFile->LastKey));
  CheckScanEnd(*DepartmentFile, DepartmentScanFailure);
  return all;
}

void TYOZDepartment::FillNames(TStrings* Names) {
  auto all = ReadAll();
  Names->Clear();
  for (const auto& d : all) Names->AddObject(d.first, reinterpret_cast<TObject*>(static_cast<intptr_t>(d.second)));
}

void TYOZDepartment::FillDepartmentCombo(TStrings* Names) { FillNames(Names); }

void TYOZDepartment::FillDepartmentList(TStrings* Names) {
  TUpdateScope update(Names);
  FillNames(Names);
}

void TYOZDepartment::FillDepartmentTree(IDepartmentTree* Tree) {
  auto all = ReadAll();
  Tree->ClearNodes();
  Tree->AddTopNode("Departments");
  for (const auto& d : all) Tree->AddChildNode(d.first);
}
