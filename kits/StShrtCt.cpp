#include "StShrtCt.h"

#include <objbase.h>
#include <shlobj.h>

#include "Forms.h"

const TEnumInfo StLocationTypeInfo{"TStLocationType", {"ltWorkingDir", "ltSpecialFolder", "ltDirectory"}};
const TEnumInfo ShowStateInfo{"TShowState", {"ssNormal", "ssMinimized", "ssMaximized"}};
const TEnumInfo StSpecialRootFolderInfo{
    "TStSpecialRootFolder",
    {"sfAltStartup", "sfAppData", "sfBitBucket", "sfCommonAltStartup", "sfCommonDesktopDir",
     "sfCommonFavorites", "sfCommonPrograms", "sfCommonStartMenu", "sfCommonStartup", "sfControls",
     "sfCookies", "sfDesktop", "sfDesktopDir", "sfDrives", "sfFavorites", "sfFonts", "sfHistory",
     "sfInternet", "sfInternetCache", "sfNetHood", "sfNetwork", "sfNone", "sfPersonal", "sfPrinters",
     "sfPrintHood", "sfPrograms", "sfRecentFiles", "sfSendTo", "sfStartMenu", "sfStartup", "sfTemplates"}};

namespace {

constexpr int stscShellVersionError = 110;   // "Operation not supported in this version of the shell"
constexpr int stscNoPathSpecified = 124;     // "Destination directory not specified"
constexpr int stscShellLinkError = 125;      // "Error creating IShellLink"
constexpr int stscNoFileName = 130;          // "Cannot create shortcut. Target file does not exist"

constexpr int FolderCSIDL[] = {29, 26, 10, 30, 25, 31, 23, 22, 24, 3,  33, 0, 16, 17, 6, 20,
                               34, 1,  32, 19, 18, 0,  5,  4,  27, 2,  8,  9, 11, 7,  21};
static_assert(sizeof FolderCSIDL / sizeof FolderCSIDL[0] == sfTemplates + 1);

template <class I>
struct ComPtr {
  I* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
};

// The file-system path of a special folder, empty when it has none (virtual folders) or is missing.
std::string SpecialFolderPath(HWND owner, int csidl) {
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner, csidl, &pidl)) || !pidl) return std::string();
  char path[MAX_PATH + 1] = {};
  BOOL ok = SHGetPathFromIDListA(pidl, path);
  CoTaskMemFree(pidl);
  return ok ? std::string(path) : std::string();
}

}  // namespace

int SpecialFolderCSIDL(TStSpecialRootFolder Folder) { return FolderCSIDL[Folder]; }

void TStCustomShortcut::SetSpecialFolder(TStSpecialRootFolder v) {
  FSpecialFolder = v;
  if (ComponentState().Contains(csDesigning)) return;
  switch (SpecialFolderCSIDL(v)) {
    case 1: case 29: case 30: case 31: case 32: case 33: case 34:
      if (FShellVersion < 4.7) RaiseStError<EStShellError>(stscShellVersionError);
      break;
    default:
      break;
  }
}

// The window the shell may parent its messages to: the owner's, or the application's.
HWND TStCustomShortcut::OwnerWindow() {
  if (auto* control = dynamic_cast<TWinControl*>(Owner())) return control->HandleAllocated() ? control->Handle() : nullptr;
  if (Application && Owner() == Application) return Application->Handle();
  return nullptr;
}

bool TStCustomShortcut::CreateShortcut() {
  if (!FileExists(FFileName)) RaiseStError<EStShortcutError>(stscNoFileName);
  if (FLocationType == ltDirectory && FDestinationDir.empty()) RaiseStError<EStShortcutError>(stscNoPathSpecified);

  std::string folder;
  switch (FLocationType) {
    case ltWorkingDir:
      folder = ExtractFilePath(ParamStr(0));
      break;
    case ltSpecialFolder:
      folder = SpecialFolderPath(OwnerWindow(), SpecialFolderCSIDL(FSpecialFolder));
      if (folder.empty()) return false;  // nowhere to write the link
      if (FSpecialFolder == sfRecentFiles) {
        // The shell keeps the Recent folder itself: it is told about the target and makes the link.
        SHAddToRecentDocs(SHARD_PATHA, FFileName.c_str());
        return true;
      }
      break;
    case ltDirectory:
      folder = FDestinationDir;
      break;
  }
  folder = IncludeTrailingBackslash(folder);
  std::string link = FAutoName ? folder + "Shortcut to " + ExtractFileName(FFileName) + ".lnk"
                               : folder + FDescription + ".lnk";
  return WriteLink(link);
}

bool TStCustomShortcut::WriteLink(const std::string& LinkName) {
  ComPtr<IShellLinkA> shellLink;
  ComPtr<IPersistFile> persistFile;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shellLink.p))) ||
      !shellLink.p ||
      FAILED(shellLink.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persistFile.p))) ||
      !persistFile.p)
    RaiseStError<EStShortcutError>(stscShellLinkError);

  static const int ShowCommands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
  IShellLinkA* sl = shellLink.p;
  // A link that did not take one of its settings would start the wrong thing: report it unwritten.
  if (FAILED(sl->SetPath(FFileName.c_str())) || FAILED(sl->SetArguments(FParameters.c_str())) ||
      FAILED(sl->SetDescription(FDescription.c_str())) || FAILED(sl->SetHotkey(FHotKey)) ||
      FAILED(sl->SetShowCmd(ShowCommands[FShowCommand])))
    return false;
  if (!FStartInDir.empty() && FAILED(sl->SetWorkingDirectory(FStartInDir.c_str()))) return false;
  if (!FIconPath.empty() && FAILED(sl->SetIconLocation(FIconPath.c_str(), FIconIndex))) return false;

  // A name longer than the shell takes would be cut short and saved somewhere else.
  wchar_t wide[MAX_PATH + 1] = {};
  int n = MultiByteToWideChar(CP_ACP, 0, LinkName.c_str(), -1, wide, MAX_PATH);
  if (n <= 0) return false;
  if (persistFile.p->Save(wide, FALSE) != S_OK) return false;
  FShortcutFileName = LinkName;
  return true;
}

void TStShortcut::Publish(TPublisher<TStShortcut>& p) {
  using S = TStShortcut;
  p.Bool("AutoName", &S::AutoName, &S::SetAutoName).Default(1);
  p.Str("Description", &S::Description, &S::SetDescription);
  p.Str("DestinationDir", &S::DestinationDir, &S::SetDestinationDir);
  p.Str("FileName", &S::FileName, &S::SetFileName);
  p.Int("HotKey", &S::HotKey, &S::SetHotKey).Default(0);
  p.Int("IconIndex", &S::IconIndex, &S::SetIconIndex).Default(0);
  p.Str("IconPath", &S::IconPath, &S::SetIconPath);
  p.Enum("LocationType", StLocationTypeInfo, &S::LocationType, &S::SetLocationType).Default(ltSpecialFolder);
  p.Str("Parameters", &S::Parameters, &S::SetParameters);
  p.Enum("ShowCommand", ShowStateInfo, &S::ShowCommand, &S::SetShowCommand).Default(ssNormal);
  p.Enum("SpecialFolder", StSpecialRootFolderInfo, &S::SpecialFolder, &S::SetSpecialFolder).Default(sfDesktop);
  p.Str("StartInDir", &S::StartInDir, &S::SetStartInDir);
}

void StShrtCtInitialize() { RegisterClass(TStShortcut::StaticClass()); }
