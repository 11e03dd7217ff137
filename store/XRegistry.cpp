#include "XRegistry.h"

#include "SysUtils.h"

bool TXRegistry::ReadBoolDef(const std::string& Name, bool Default) {
  try {
    return ReadBool(Name);
  } catch (const Exception&) {
    WriteBool(Name, Default);
    return Default;
  }
}

int32_t TXRegistry::ReadIntegerDef(const std::string& Name, int32_t Default) {
  try {
    return ReadInteger(Name);
  } catch (const Exception&) {
    WriteInteger(Name, Default);
    return Default;
  }
}

void TXRegistry::ReadStringDef(const std::string& Name, std::string& Value, const std::string& Default) {
  try {
    Value = ReadString(Name);
    if (!Value.empty()) return;
  } catch (const Exception&) {
  }
  Value = Default;
  WriteString(Name, Default);
}
