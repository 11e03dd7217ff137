#include "yOZAlert.h"

#include <windows.h>

#include "KLNStringUtils.h"
#include "SysUtils.h"
#include "WinUtils.h"

TyOZAlert::TyOZAlert() : Alerts(std::make_unique<TStringList>()) {}

TyOZAlert::~TyOZAlert() = default;

void TyOZAlert::AddAlert(const std::string& LogInName, const std::string& Name, const std::string& Status) {
  if (Trim(LogInName).empty()) throw Exception("LogInName must have a value");
  Alerts->Add(LogInName);
  Alerts->Add(Name);
  Alerts->Add(Status);
}

void TyOZAlert::CheckAlerts(IBoardView* Board) {
  AlertText.clear();
  const int watched = Alerts->Count() / 3;
  const int rows = Board->RowCount();
  std::vector<TListRow> board;
  board.reserve(rows);
  for (int r = 0; r < rows; ++r) board.push_back(Board->Row(r));
  for (int i = 0; i < watched; ++i) {
    for (const TListRow& row : board) {
      if (row.SubItem(bsLogInName) != Alerts->Strings(3 * i)) continue;
      std::string seen = Alerts->Strings(3 * i + 2);
      std::string now = row.SubItem(bsStatus);
      if (UpperCase(seen) == UpperCase(now)) continue;
      AlertText += Alerts->Strings(3 * i + 1) + " has changed status from \"" + seen + "\" to \"" + now + "\"\r";
      Alerts->SetStrings(3 * i + 2, now);
    }
  }
}

void TyOZAlert::Clear() { Alerts->Clear(); }

void TyOZAlert::FillList(TStrings* Names) {
  for (int i = 0; i < Alerts->Count() / 3; ++i)
    Names->AddObject(Alerts->Strings(3 * i + 1), reinterpret_cast<TObject*>(static_cast<intptr_t>(3 * i)));
}

int TyOZAlert::IndexOf(const std::string& Text) const {
  for (int i = 0; i < Alerts->Count(); ++i)
    if (SameText(Alerts->Strings(i), Text)) return i;
  return -1;
}

bool TyOZAlert::Contains(const std::string& LogInName) const { return IndexOf(LogInName) >= 0; }

std::string TyOZAlert::GetName(int Index) const { return Alerts->Strings(Index + 1); }

void TyOZAlert::SetName(const std::string& LogInName, const std::string& Name) {
  int i = IndexOf(LogInName);
  if (i == -1) throw Exception("Unable to find the user " + LogInName);
  Alerts->SetStrings(i + 1, Name);
}

void TyOZAlert::LoadFromFile(const std::string& FileName) { Alerts->LoadFromFile(FileName); }

void TyOZAlert::SaveToFile(const std::string& FileName) { Alerts->SaveToFile(FileName); }

std::string AlertFileIn(const std::string& Folder) { return AddBackslash(Folder) + GetLogInName() + ".yOZ"; }

std::string AlertFileToRead(const std::string& WindowsDir, const std::string& OwnFolder) {
  if (!OwnFolder.empty() && FileExists(AlertFileIn(OwnFolder))) return AlertFileIn(OwnFolder);
  return AlertFileIn(WindowsDir);
}

void SaveAlertFile(TyOZAlert* Alerts, const std::string& WindowsDir, const std::string& OwnFolder) {
  if (OwnFolder.empty()) return Alerts->SaveToFile(AlertFileIn(WindowsDir));
  if (!FileExists(AlertFileIn(OwnFolder))) {
    try {
      Alerts->SaveToFile(AlertFileIn(WindowsDir));
      return;
    } catch (const Exception&) {
      // Not ours to write: the list goes to the user's own folder below.
    }
    CreateDirectoryA(OwnFolder.c_str(), nullptr);
  }
  Alerts->SaveToFile(AlertFileIn(OwnFolder));
}
