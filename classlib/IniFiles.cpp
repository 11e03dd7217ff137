#include "IniFiles.h"

#include "Classes.h"

namespace {
// Calls the profile function with a growing buffer until the whole text fits; `lists` is true for
// the calls that return zero-separated lists (which report two characters less than the buffer
// when cut short).
template <class F>
std::string ProfileText(F call, bool lists) {
  std::vector<char> buf(2048);
  while (true) {
    DWORD n = call(buf.data(), DWORD(buf.size()));
    if (n + (lists ? 2 : 1) < buf.size() || buf.size() >= (1u << 24)) return std::string(buf.data(), n);
    buf.resize(buf.size() * 4);
  }
}

std::vector<std::string> SplitZeros(const std::string& s) {
  std::vector<std::string> r;
  size_t from = 0;
  while (from < s.size()) {
    size_t z = s.find('\0', from);
    if (z == std::string::npos) z = s.size();
    if (z > from) r.push_back(s.substr(from, z - from));
    from = z + 1;
  }
  return r;
}
}  // namespace

void TIniFile::Check(BOOL ok) {
  if (!ok) throw EIniFileException("Unable to write to " + FFileName);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
  return ProfileText(
      [&](char* b, DWORD n) {
        return GetPrivateProfileStringA(section.c_str(), ident.c_str(), def.c_str(), b, n, FFileName.c_str());
      },
      false);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t def) {
  std::string s = ReadString(section, ident, "");
  return s.empty() ? def : StrToIntDef(s, def);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  Check(WritePrivateProfileStringA(section.c_str(), ident.c_str(), value.c_str(), FFileName.c_str()));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value) {
  WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::ReadSection(const std::string& section, std::vector<std::string>& idents) {
  idents = SplitZeros(ProfileText(
      [&](char* b, DWORD n) {
        return GetPrivateProfileStringA(section.c_str(), nullptr, "", b, n, FFileName.c_str());
      },
      true));
}

void TIniFile::ReadSections(std::vector<std::string>& sections) {
  sections = SplitZeros(ProfileText(
      [&](char* b, DWORD n) { return GetPrivateProfileStringA(nullptr, nullptr, "", b, n, FFileName.c_str()); },
      true));
}

void TIniFile::ReadSection(const std::string& section, TStrings* idents) {
  std::vector<std::string> names;
  ReadSection(section, names);
  idents->AssignStrings(names);
}

void TIniFile::ReadSections(TStrings* sections) {
  std::vector<std::string> names;
  ReadSections(names);
  sections->AssignStrings(names);
}

void TIniFile::EraseSection(const std::string& section) {
  Check(WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, FFileName.c_str()));
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  WritePrivateProfileStringA(section.c_str(), ident.c_str(), nullptr, FFileName.c_str());
}

bool TIniFile::SectionExists(const std::string& section) {
  std::vector<std::string> idents;
  ReadSection(section, idents);
  return !idents.empty();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) {
  std::vector<std::string> idents;
  ReadSection(section, idents);
  for (const std::string& i : idents)
    if (SameText(i, ident)) return true;
  return false;
}

void TIniFile::UpdateFile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, FFileName.c_str()); }
