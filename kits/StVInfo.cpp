#include "StVInfo.h"

#include <charconv>
#include <cstdio>
#include <cstring>

bool IsDirectory(const std::string& Path) {
  if (Path.empty()) return false;
  DWORD a = GetFileAttributesA(Path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {

constexpr int stscFileOpen = 73;          // "Error opening file"
constexpr int stscNoVerInfo = 100;        // "File does not contain version info"
constexpr int stscVerInfoFail = 101;      // "Unable to read version info"
constexpr int stscBadVerInfoKey = 134;    // "The specified key cannnot be found in version info" (sic, kept)

// A whole decimal number ("3.50", "-2", "1e3") with '.' as the point, blanks before it allowed.
bool ParseDecimal(const std::string& s, double& v) {
  size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  const char* first = s.data() + i;
  const char* last = s.data() + s.size();
  if (*first == '+') ++first;  // from_chars takes no plus sign
  for (const char* p = first; p != last; ++p)
    if (!((*p >= '0' && *p <= '9') || *p == '.' || *p == '-' || *p == '+' || *p == 'e' || *p == 'E'))
      return false;
  auto r = std::from_chars(first, last, v, std::chars_format::general);
  return r.ec == std::errc() && r.ptr == last;
}

const char* const StringNames[10] = {"Comments",     "CompanyName",     "FileDescription", "FileVersion",
                                     "InternalName", "LegalCopyright",  "LegalTrademarks", "OriginalFilename",
                                     "ProductName",  "ProductVersion"};
enum { siComments, siCompanyName, siFileDescription, siFileVersion, siInternalName, siLegalCopyright,
       siLegalTrademarks, siOriginalFilename, siProductName, siProductVersion };

std::string ModuleFileName() {
  char buf[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return std::string(buf, n);
}

}  // namespace

double VersionStringToFloat(const std::string& S) {
  double v = 0;
  if (ParseDecimal(S, v)) return v;
  size_t first = S.find('.');
  size_t second = first == std::string::npos ? first : S.find('.', first + 1);
  if (second == std::string::npos || second > 5) return 0;
  return ParseDecimal(S.substr(0, second), v) ? v : 0;
}

TStCustomVersionInfo::TStCustomVersionInfo(TComponent* AOwner) : TStComponent(AOwner) {
  FFileName = ModuleFileName();
}

void TStCustomVersionInfo::Loaded() {
  TStComponent::Loaded();
  if (FFileName.empty()) FFileName = ModuleFileName();
}

void TStCustomVersionInfo::SetFileName(const std::string& Value) {
  if (!Value.empty() && !ComponentState().Contains(csDesigning) && !FileExists(Value))
    RaiseStError<EStVersionInfoError>(stscFileOpen);
  if (Value != FFileName) FRead = false;
  FFileName = Value.empty() ? ModuleFileName() : Value;
}

void TStCustomVersionInfo::ReadVersionInfo() {
  if (FRead) return;
  DWORD handle = 0;
  SetLastError(0);
  DWORD size = GetFileVersionInfoSizeA(FFileName.c_str(), &handle);
  if (size == 0) {
    DWORD err = GetLastError();
    // The missing resource is reported as "no resource section" (1812, also Wine's answer for any
    // file without version information), "no resource of that type" (1813, Windows) or "no resource
    // of that name" (1814): all mean the file has none.
    if (err == ERROR_RESOURCE_DATA_NOT_FOUND || err == ERROR_RESOURCE_TYPE_NOT_FOUND ||
        err == ERROR_RESOURCE_NAME_NOT_FOUND)
      RaiseStError<EStVersionInfoError>(stscNoVerInfo);
    if (err == 0) RaiseStError<EStVersionInfoError>(stscVerInfoFail);
  }
  std::vector<uint8_t> buffer(size);
  if (size == 0 || !GetFileVersionInfoA(FFileName.c_str(), 0, size, buffer.data()))
    RaiseStError<EStVersionInfoError>(stscVerInfoFail);

  void* p = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &p, &len) || len < 4)
    RaiseStError<EStVersionInfoError>(stscVerInfoFail);
  uint32_t language;
  std::memcpy(&language, p, 4);
  char name[256] = {};
  VerLanguageNameA(language & 0xFFFF, name, sizeof name);
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%.4x%.4x\\", unsigned(language & 0xFFFF),
                unsigned(language >> 16));

  if (!VerQueryValueA(buffer.data(), "\\", &p, &len) || len < sizeof(VS_FIXEDFILEINFO))
    RaiseStError<EStVersionInfoError>(stscVerInfoFail);
  std::memcpy(&FFixed, p, sizeof FFixed);

  FBuffer = std::move(buffer);
  FLanguage = language;
  FLanguageName = name;
  FPrefix = prefix;
  for (int i = 0; i < 10; ++i) {
    bool found;
    FStrings[i] = QueryString(StringNames[i], found);
  }
  FRead = true;
}

std::string TStCustomVersionInfo::QueryString(const std::string& Key, bool& Found) {
  void* p = nullptr;
  UINT len = 0;
  Found = VerQueryValueA(FBuffer.data(), (FPrefix + Key).c_str(), &p, &len) != 0;
  if (!Found || !p || len == 0) return std::string();
  const char* s = static_cast<const char*>(p);
  return std::string(s, strnlen(s, len));
}

std::string TStCustomVersionInfo::GetKeyValue(const std::string& Key) {
  ReadVersionInfo();
  bool found;
  std::string v = QueryString(Key, found);
  if (!found) RaiseStError<EStVersionInfoError>(stscBadVerInfoKey);
  return v;
}

uint32_t TStCustomVersionInfo::Language() { ReadVersionInfo(); return FLanguage; }
std::string TStCustomVersionInfo::LanguageName() { ReadVersionInfo(); return FLanguageName; }
uint32_t TStCustomVersionInfo::FileVersionMS() { ReadVersionInfo(); return FFixed.dwFileVersionMS; }
uint32_t TStCustomVersionInfo::FileVersionLS() { ReadVersionInfo(); return FFixed.dwFileVersionLS; }
uint32_t TStCustomVersionInfo::ProductVersionMS() { ReadVersionInfo(); return FFixed.dwProductVersionMS; }
uint32_t TStCustomVersionInfo::ProductVersionLS() { ReadVersionInfo(); return FFixed.dwProductVersionLS; }
uint32_t TStCustomVersionInfo::FileFlagsMask() { ReadVersionInfo(); return FFixed.dwFileFlagsMask; }
uint32_t TStCustomVersionInfo::FileFlags() { ReadVersionInfo(); return FFixed.dwFileFlags; }
uint32_t TStCustomVersionInfo::FileOS() { ReadVersionInfo(); return FFixed.dwFileOS; }
uint32_t TStCustomVersionInfo::FileType() { ReadVersionInfo(); return FFixed.dwFileType; }
uint32_t TStCustomVersionInfo::FileSubtype() { ReadVersionInfo(); return FFixed.dwFileSubtype; }
uint64_t TStCustomVersionInfo::FileDate() {
  ReadVersionInfo();
  return (uint64_t(FFixed.dwFileDateMS) << 32) | FFixed.dwFileDateLS;
}
std::string TStCustomVersionInfo::Comments() { ReadVersionInfo(); return FStrings[siComments]; }
std::string TStCustomVersionInfo::CompanyName() { ReadVersionInfo(); return FStrings[siCompanyName]; }
std::string TStCustomVersionInfo::FileDescription() { ReadVersionInfo(); return FStrings[siFileDescription]; }
std::string TStCustomVersionInfo::FileVersion() { ReadVersionInfo(); return FStrings[siFileVersion]; }
std::string TStCustomVersionInfo::InternalName() { ReadVersionInfo(); return FStrings[siInternalName]; }
std::string TStCustomVersionInfo::LegalCopyright() { ReadVersionInfo(); return FStrings[siLegalCopyright]; }
std::string TStCustomVersionInfo::LegalTrademarks() { ReadVersionInfo(); return FStrings[siLegalTrademarks]; }
std::string TStCustomVersionInfo::OriginalFilename() { ReadVersionInfo(); return FStrings[siOriginalFilename]; }
std::string TStCustomVersionInfo::ProductName() { ReadVersionInfo(); return FStrings[siProductName]; }
std::string TStCustomVersionInfo::ProductVersion() { ReadVersionInfo(); return FStrings[siProductVersion]; }
double TStCustomVersionInfo::FileVersionFloat() { return VersionStringToFloat(FileVersion()); }
double TStCustomVersionInfo::ProductVersionFloat() { return VersionStringToFloat(ProductVersion()); }

void StVInfoInitialize() { RegisterClass(TStVersionInfo::StaticClass()); }
