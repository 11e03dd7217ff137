// Kit string tables: reads the "STR0" RCDATA resources that hold the kits' user-visible texts.
//
// Layout (little-endian): "STR0", entry count, count index entries of {identifier, byte offset of the
// text from the start of the resource, length in UTF-16 units} sorted by identifier, then the UTF-16LE
// texts without terminators. The tables are generated from kits/strings/*.txt by tools/strtable.tcl.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "Classes.h"
#include "SysUtils.h"

class ETpsStringResourceError : public Exception {
public:
  using Exception::Exception;
};

class TStStringResource : public TObject {
public:
  // False: a missing identifier yields an empty string; True: it raises ETpsStringResourceError.
  bool ReportError = false;

  // Opens the table ResourceName from Instance's module, or else from the program's own module.
  // An empty name leaves the reader without a table (every look-up is then empty).
  TStStringResource(HINSTANCE Instance, const std::string& ResourceName);
  ~TStStringResource() override;

  // The text for Ident in the process code page.
  std::string GetString(int32_t Ident);
  uint32_t Count() const { return FCount; }

protected:
  // Where the reader's own failure messages come from (another kit's reader has its own table).
  using TMessageTable = TStStringResource* (*)();
  TStStringResource(HINSTANCE Instance, const std::string& ResourceName, TMessageTable Messages);

private:
  void OpenResource(HINSTANCE Instance, const std::string& ResourceName);
  void CloseResource();
  [[noreturn]] void Error(int Id, const std::string& Arg = std::string()) const;

  TMessageTable FMessages;

  HGLOBAL FHandle = nullptr;        // the loaded resource
  const uint8_t* FData = nullptr;   // its locked bytes, nil while no table is open
  DWORD FSize = 0;
  uint32_t FCount = 0;
};

// The reader's own message table "STSRMGR_STRINGS", opened on first use (or by the unit's
// initialisation); nil when the program carries no such table.
TStStringResource* SrMgrStrings();
void StSrMgrInitialize();
void StSrMgrFinalize();
