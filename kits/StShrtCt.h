// Shell shortcut: writes a shell link file (.lnk) for a target file into the program's folder, a named
// folder or one of the shell's special folders.
#pragma once

#include <cstdint>
#include <string>

#include "StShBase.h"

enum TStLocationType { ltWorkingDir, ltSpecialFolder, ltDirectory };
enum TShowState { ssNormal, ssMinimized, ssMaximized };
enum TStSpecialRootFolder {
  sfAltStartup, sfAppData, sfBitBucket, sfCommonAltStartup, sfCommonDesktopDir, sfCommonFavorites,
  sfCommonPrograms, sfCommonStartMenu, sfCommonStartup, sfControls, sfCookies, sfDesktop, sfDesktopDir,
  sfDrives, sfFavorites, sfFonts, sfHistory, sfInternet, sfInternetCache, sfNetHood, sfNetwork, sfNone,
  sfPersonal, sfPrinters, sfPrintHood, sfPrograms, sfRecentFiles, sfSendTo, sfStartMenu, sfStartup,
  sfTemplates
};
extern const TEnumInfo StLocationTypeInfo;
extern const TEnumInfo ShowStateInfo;
extern const TEnumInfo StSpecialRootFolderInfo;

// The shell's folder identifier (CSIDL) of a special folder.
int SpecialFolderCSIDL(TStSpecialRootFolder Folder);

class TStCustomShortcut : public TStShellComponent {
  YOZ_CLASS(TStCustomShortcut, TStShellComponent)
public:
  explicit TStCustomShortcut(TComponent* AOwner) : TStShellComponent(AOwner) {}

  // Writes the link; True when it was written (ShortcutFileName then holds its full path). A target
  // that does not exist or a missing destination folder name raise EStShortcutError; a link that
  // cannot be written (no such folder, a special folder without a path, a refused save) gives False.
  bool CreateShortcut();

  bool AutoName() const { return FAutoName; }
  void SetAutoName(bool v) { FAutoName = v; }
  const std::string& Description() const { return FDescription; }
  void SetDescription(const std::string& v) { FDescription = v; }
  const std::string& DestinationDir() const { return FDestinationDir; }
  void SetDestinationDir(const std::string& v) { FDestinationDir = v; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& v) { FFileName = v; }
  uint16_t HotKey() const { return FHotKey; }
  void SetHotKey(uint16_t v) { FHotKey = v; }
  int32_t IconIndex() const { return FIconIndex; }
  void SetIconIndex(int32_t v) { FIconIndex = v; }
  const std::string& IconPath() const { return FIconPath; }
  void SetIconPath(const std::string& v) { FIconPath = v; }
  TStLocationType LocationType() const { return FLocationType; }
  void SetLocationType(TStLocationType v) { FLocationType = v; }
  const std::string& Parameters() const { return FParameters; }
  void SetParameters(const std::string& v) { FParameters = v; }
  const std::string& ShortcutFileName() const { return FShortcutFileName; }
  TShowState ShowCommand() const { return FShowCommand; }
  void SetShowCommand(TShowState v) { FShowCommand = v; }
  TStSpecialRootFolder SpecialFolder() const { return FSpecialFolder; }
  // Folders that came with shell 4.7 raise EStShellError on an older shell.
  void SetSpecialFolder(TStSpecialRootFolder v);
  const std::string& StartInDir() const { return FStartInDir; }
  void SetStartInDir(const std::string& v) { FStartInDir = v; }

private:
  HWND OwnerWindow();
  bool WriteLink(const std::string& LinkName);

  bool FAutoName = true;
  std::string FDescription;
  std::string FDestinationDir;
  std::string FFileName;
  uint16_t FHotKey = 0;
  int32_t FIconIndex = 0;
  std::string FIconPath;
  TStLocationType FLocationType = ltSpecialFolder;
  std::string FParameters;
  std::string FShortcutFileName;
  TShowState FShowCommand = ssNormal;
  TStSpecialRootFolder FSpecialFolder = sfDesktop;
  std::string FStartInDir;
};

class TStShortcut : public TStCustomShortcut {
  YOZ_CLASS(TStShortcut, TStCustomShortcut)
public:
  explicit TStShortcut(TComponent* AOwner) : TStCustomShortcut(AOwner) {}
  static void Publish(TPublisher<TStShortcut>& p);
};

// Unit start: makes the shortcut known to form resources.
void StShrtCtInitialize();
