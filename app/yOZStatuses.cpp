// The statuses dialog.
#include "yOZStatuses.h"

#include "FormFields.h"
#include "Main.h"

TfrmyOZStatuses* frmyOZStatuses = nullptr;

void TfrmyOZStatuses::Publish(TPublisher<TfrmyOZStatuses>& p) {
  p.Method("lstStatusesClick", &TfrmyOZStatuses::ListClick);
}

void TfrmyOZStatuses::Loaded() {
  FindField(this, lstStatuses, "lstStatuses");
  FindField(this, txtStatus, "txtStatus");
  FList = lstStatuses;
  FEntry = txtStatus;
  TfrmListAdmin::Loaded();
}

void TfrmyOZStatuses::CreateStoreFile() { yOZStatus->CreateStatusFile(); }

// "Offline" is the program's own shut-down status: it is never offered here.
void TfrmyOZStatuses::FillList(TStrings* Names) { yOZStatus->FillSelectableStatuses(Names); }

std::string TfrmyOZStatuses::ReadEntry(int Key) { return yOZStatus->ReadStatus(Key); }

void TfrmyOZStatuses::AddEntry(const std::string& Name) { yOZStatus->AddStatus(Name); }

void TfrmyOZStatuses::ReplaceEntry(const std::string& OldName, const std::string& NewName) {
  yOZStatus->ReplaceStatus(OldName, NewName);
}

void TfrmyOZStatuses::DeleteEntry(int Key) { yOZStatus->DeleteStatus(Key); }

// The built-in statuses keep their names.
bool TfrmyOZStatuses::MayChange(const std::string& Name) { return !yOZStatus->IsBuiltInStatus(Name); }
