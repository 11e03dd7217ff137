// Version information of a file (its VERSIONINFO resource) and the kit's folder test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "StBase.h"

// True when Path names an existing folder (with or without a trailing backslash).
bool IsDirectory(const std::string& Path);

// The number a version string stands for: "3.50" gives 3.5; a dotted form such as "4.72.3110.0" gives
// its first two parts (4.72) when the second dot is within the first six characters; otherwise 0.
double VersionStringToFloat(const std::string& S);

class TStCustomVersionInfo : public TStComponent {
  YOZ_CLASS(TStCustomVersionInfo, TStComponent)
public:
  explicit TStCustomVersionInfo(TComponent* AOwner);
  void Loaded() override;

  // The file read; empty means the program's own file. Setting a file that does not exist raises
  // EStVersionInfoError "Error opening file". The values below are read on first use (raising
  // EStVersionInfoError when the file has no readable version information) and kept until the name
  // changes.
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value);

  uint32_t Language();             // language in the low word, code page in the high word
  std::string LanguageName();
  uint32_t FileVersionMS();
  uint32_t FileVersionLS();
  uint32_t ProductVersionMS();
  uint32_t ProductVersionLS();
  uint32_t FileFlagsMask();
  uint32_t FileFlags();
  uint32_t FileOS();
  uint32_t FileType();
  uint32_t FileSubtype();
  uint64_t FileDate();             // most significant half first
  std::string Comments();
  std::string CompanyName();
  std::string FileDescription();
  std::string FileVersion();
  std::string InternalName();
  std::string LegalCopyright();
  std::string LegalTrademarks();
  std::string OriginalFilename();
  std::string ProductName();
  std::string ProductVersion();
  double FileVersionFloat();
  double ProductVersionFloat();
  // The value of one named string of the first translation's string block; EStVersionInfoError
  // "The specified key cannnot be found in version info" when there is none.
  std::string GetKeyValue(const std::string& Key);

private:
  void ReadVersionInfo();  // fills everything below unless it is current
  std::string QueryString(const std::string& Key, bool& Found);

  std::string FFileName;
  bool FRead = false;
  std::vector<uint8_t> FBuffer;
  std::string FPrefix;  // "\StringFileInfo\<language><code page>\"
  uint32_t FLanguage = 0;
  std::string FLanguageName;
  VS_FIXEDFILEINFO FFixed{};
  std::string FStrings[10];
};

class TStVersionInfo : public TStCustomVersionInfo {
  YOZ_CLASS(TStVersionInfo, TStCustomVersionInfo)
public:
  explicit TStVersionInfo(TComponent* AOwner) : TStCustomVersionInfo(AOwner) {}
  static void Publish(TPublisher<TStVersionInfo>& p) {
    p.Str("FileName", &TStVersionInfo::FileName, &TStVersionInfo::SetFileName);
  }
};

// Unit start: makes the version reader known to form resources.
void StVInfoInitialize();
