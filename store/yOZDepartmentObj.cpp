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

// Open and BOF failures are not reported here: the next call on the closed handle fails with
// "Invalid dataset reference" and reports that.
void TYOZDepartment::OpenDepartmentFile() { static_cast<void>(DepartmentFile->Open(DataSetName())); }

void TYOZDepartment::CreateDepartmentFile() {
  // Fails, harmlessly, on an existing data set; one that another copy is making just now is waited for,
  // so the dialog's first reads find it whole.
  static_cast<void>(MakeDataSet(DepartmentFile.get(), DataSetName(), DepartmentFormat));
}

void TYOZDepartment::AddDepartment(const std::string& Name) {
  OpenDepartmentFile();
  TIsamFileCloser closer(DepartmentFile);
  uint8_t rec[DepartmentRecSize] = {};
  if (DepartmentFile->GetEqual(rec, ixName, Name)) {
    StoreMessageBox("Department \"" + Name + "\" already exists", smbWarning);
    return;
  }
  std::memset(rec, 0, sizeof rec);
  SetRecField(rec, 0, DepartmentRecSize, Name);
  if (!DepartmentFile->Add(rec, ""))
    throw Exception("Unable to Add the department " + Name + " - " + DepartmentFile->ErrorText());
}

void TYOZDepartment::DeleteDepartment(int Key) {
  OpenDepartmentFile();
  TIsamFileCloser closer(DepartmentFile);
  if (!DepartmentFile->Delete(KeyText(Key)))
    throw Exception("Unable to erarse department\r\r" + DepartmentFile->ErrorText());
}

void TYOZDepartment::ReplaceDepartment(const std::string& OldName, const std::string& NewName) {
  OpenDepartmentFile();
  TIsamFileCloser closer(DepartmentFile);
  uint8_t rec[DepartmentRecSize] = {};
  if (!DepartmentFile->GetEqual(rec, ixName, OldName))
    throw Exception("Unable to locate the department " + OldName + "\r\r" + DepartmentFile->ErrorText());
  SetRecField(rec, 0, DepartmentRecSize, NewName);
  if (!DepartmentFile->Replace(rec, DepartmentFile->LastKey))
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
