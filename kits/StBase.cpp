#include "StBase.h"

namespace {
TStStringResource* FStStrings = nullptr;
}

TStStringResource* StStrings() {
  if (!FStStrings) FStStrings = new TStStringResource(GetModuleHandleA(nullptr), "BRANDIKS_STRINGS_ENGLISH");
  return FStStrings;
}

std::string StKitString(int32_t Ident) { return StStrings()->GetString(Ident); }

EStException::EStException(int32_t Ident) : Exception(StKitString(Ident)), ErrorCode(Ident) {}

void StBaseInitialize() {
  StSrMgrInitialize();
  StStrings();
}

void StBaseFinalize() {
  TObject::Free(FStStrings);
  FStStrings = nullptr;
  StSrMgrFinalize();
}
