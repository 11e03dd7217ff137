// Shared base of the system-tools kit: its exception family, whose messages come from the kit's string
// table "BRANDIKS_STRINGS_ENGLISH", and the component base class.
#pragma once

#include <cstdint>
#include <string>

#include "Classes.h"
#include "StSrMgr.h"
#include "SysUtils.h"

// Raised with a kit string identifier: the message is that identifier's text.
class EStException : public Exception {
public:
  int32_t ErrorCode = 0;
  explicit EStException(int32_t Ident);
  EStException(const std::string& Msg, int32_t Ident) : Exception(Msg), ErrorCode(Ident) {}
};

#define YOZ_ST_EXCEPTION(Name)                     \
  class Name : public EStException {               \
  public:                                          \
    using EStException::EStException;              \
  };
YOZ_ST_EXCEPTION(EStVersionInfoError)
YOZ_ST_EXCEPTION(EStShellError)
YOZ_ST_EXCEPTION(EStTrayIconError)
YOZ_ST_EXCEPTION(EStShortcutError)
#undef YOZ_ST_EXCEPTION

// The kit's string table, opened on first use; its look-ups never raise (a missing id is empty).
TStStringResource* StStrings();
// The kit text of Ident ("" when the table has no such entry).
std::string StKitString(int32_t Ident);

// Raises an exception of class E (of the EStException family) with the kit text of Ident.
template <class E>
[[noreturn]] void RaiseStError(int32_t Ident) {
  static_assert(std::is_base_of_v<EStException, E>);
  throw E(Ident);
}

// Base of the kit's components. `Version` is published for the designer's sake only: it always
// reads the kit's version and is never stored.
class TStComponent : public TComponent {
  YOZ_CLASS(TStComponent, TComponent)
public:
  explicit TStComponent(TComponent* AOwner) : TComponent(AOwner) {}
  std::string Version() const { return "3.02"; }
  void SetVersion(const std::string&) {}
  static void Publish(TPublisher<TStComponent>& p) {
    p.Str("Version", &TStComponent::Version, &TStComponent::SetVersion).Stored(false);
  }
};

// Unit start and end: open and release the kit's string tables.
void StBaseInitialize();
void StBaseFinalize();
