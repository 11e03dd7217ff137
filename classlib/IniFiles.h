// TIniFile: the sections and values of an INI file through the system's profile functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SysUtils.h"

class TStrings;

class EIniFileException : public Exception {
public:
  using Exception::Exception;
};

class TIniFile {
public:
  explicit TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}
  virtual ~TIniFile() = default;

  const std::string& FileName() const { return FFileName; }

  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def);
  // Decimal or 0x hexadecimal; the default for a missing or malformed value.
  int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t def);
  bool ReadBool(const std::string& section, const std::string& ident, bool def);  // non-zero is true
  // Writes raise EIniFileException "Unable to write to <file>" on failure.
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& ident, int32_t value);
  void WriteBool(const std::string& section, const std::string& ident, bool value);  // "1" or "0"

  void ReadSection(const std::string& section, std::vector<std::string>& idents);
  void ReadSections(std::vector<std::string>& sections);
  void ReadSection(const std::string& section, TStrings* idents);  // the list is cleared first
  void ReadSections(TStrings* sections);
  void EraseSection(const std::string& section);
  void DeleteKey(const std::string& section, const std::string& ident);
  bool SectionExists(const std::string& section);
  bool ValueExists(const std::string& section, const std::string& ident);
  // Writes cached changes to the disk.
  void UpdateFile();

private:
  std::string FFileName;
  void Check(BOOL ok);
};
