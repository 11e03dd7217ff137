#pragma once
// The registry class with read-with-default helpers: a value that is missing or of another type
// yields the default, which is written back.
#include <cstdint>
#include <string>

#include "Registry.h"

class TXRegistry : public TRegistry {
public:
  using TRegistry::TRegistry;
  bool ReadBoolDef(const std::string& Name, bool Default);
  int32_t ReadIntegerDef(const std::string& Name, int32_t Default);
  // An empty string counts as missing.
  void ReadStringDef(const std::string& Name, std::string& Value, const std::string& Default);
};
