#pragma once
// The per-user settings: a record of 45 values under "\Software\QDSoftware\yOZ" in the current
// user's hive, loaded with defaults (a missing value is written back with its default) and saved.
#include <cstdint>
#include <string>

#include "Classes.h"

constexpr const char* yOZRegistryKey = "\\Software\\QDSoftware\\yOZ";

struct TyOZCBRec {
  int32_t CheckForNewMsgEvery;
  bool FirstTimeRun;
  std::string yOZDBasePath;  // at most 255 characters
  bool PlayWavForNewMsg;
  bool ShowOfflineUsers;
  bool SortListView;
  int32_t UpdateDisplayTime;
  bool UseVacation;
  std::string WavToPlayForNewMsgs;  // 255
  bool DisplayDepartments;
  bool ConfirmShutDown;
  bool MiniView;
  bool ClearCommentOnSD;
  bool ChangeStatusOnSD;
  std::string ShutDownStatus;  // 50
  bool AutoComment;
  bool DetectScreenSaver;
  std::string ScreenSaverStatus;  // 255
  int32_t MainHeight;
  int32_t MainLeft;
  int32_t MainTop;
  int32_t MainWidth;
  int32_t SplitterPos;
  int32_t MainFontSize;
  int32_t MainFontColour;
  bool ShowGrid;
  int32_t CustomHeight;
  int32_t CustomLeft;
  int32_t CustomTop;
  int32_t CustomWidth;
  std::string Info1;  // 255
  std::string Info2;  // 255
  std::string ThisPage;  // 255
  std::string HTMLLocation;  // 255
  bool AutoUpdateInBrowser;
  int32_t FontSize;
  int32_t NameWidth;
  int32_t StatusWidth;
  int32_t ExtWidth;
  int32_t DepartmentWidth;
  int32_t CommentsWidth;
  int32_t GenerateHTMLEvery;
  int32_t TableBoader;
  int32_t CellPadding;
  int32_t CellSpacing;
};

class TyOZCB : public TObject {
public:
  void SetDefaults(TyOZCBRec& Rec);
  void LoadSettings(TyOZCBRec& Rec);
  void SaveSettings(const TyOZCBRec& Rec);
};
