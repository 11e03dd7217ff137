// The statuses dialog.
#include "yOZStatuses.h"

#include "FormFields.h"
#include "Main.h"

TfrmyOZStatuses* frmyOZStatuses = nullptr;

namespace {

const TListStore StatusStore = {
    [] { yOZStatus->CreateStatusFile(); },
    // "Offline" is the program's own shut-down status: it is never offered here.
    [](TStrings* Names) { yOZStatus->FillSelectableStatuses(Names); },
    [](int Key) { return yOZStatus->ReadStatus(Key); },
    [](const std::string& Name) { yOZStatus->AddStatus(Name); },
    [](const std::string& OldName, const std::string& NewName) { yOZStatus->ReplaceStatus(OldName, NewName); },
    [](int Key) { yOZStatus->DeleteStatus(Key); },
    // The built-in statuses keep their names.
    [](const std::string& Name) { return !yOZStatus->IsBuiltInStatus(Name); },
};

}  // namespace

TfrmyOZStatuses::TfrmyOZStatuses(TComponent* AOwner)
    : TfrmListAdmin(AOwner, "Status", "Administer_statuses", StatusStore) {}

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
