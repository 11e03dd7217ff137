#include "OvcSrMgr.h"

namespace {

TStStringResource* FOwnMessages = nullptr;
bool FOwnMessagesTried = false;   // a missing table is not looked for again
TOvcStringResource* FKitStrings = nullptr;
bool FKitStringsTried = false;

}  // namespace

TOvcStringResource::TOvcStringResource(HINSTANCE Instance, const std::string& ResourceName)
    : TStStringResource(Instance, ResourceName, &OvcSrMgrStrings) {}

TStStringResource* OvcSrMgrStrings() {
  if (!FOwnMessagesTried) {
    FOwnMessagesTried = true;
    try {
      FOwnMessages = new TOvcStringResource(GetModuleHandleA(nullptr), "OVCSRMGR_STRINGS");
    } catch (const ETpsStringResourceError&) {
      FOwnMessages = nullptr;
    }
  }
  return FOwnMessages;
}

std::string OvcKitString(int32_t Ident) {
  if (!FKitStringsTried) {
    FKitStringsTried = true;
    try {
      FKitStrings = new TOvcStringResource(GetModuleHandleA(nullptr), "TOLVANE3_STRINGS_ENGLISH");
    } catch (const ETpsStringResourceError&) {
      FKitStrings = nullptr;
    }
  }
  std::string s = FKitStrings ? FKitStrings->GetString(Ident) : std::string();
  return s.empty() ? std::string("Unknown") : s;
}

void OvcSrMgrInitialize() {
  OvcSrMgrStrings();
  OvcKitString(0);
}

void OvcSrMgrFinalize() {
  FreeAndNil(FKitStrings);
  FKitStringsTried = false;
  TObject::Free(FOwnMessages);
  FOwnMessages = nullptr;
  FOwnMessagesTried = false;
}
