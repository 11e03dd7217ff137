#pragma once
// Helpers of the board's test programs: a private database folder, a private settings hive, the main
// window made and activated in the test's own process, and message boxes answered like a user would.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "Main.h"
#include "TestSupport.h"

// The board's tests knew the shared folder and hive under these names.
using TTestFolder = TTempFolder;
using TSettingsSandbox = TRegistrySandbox;

// Every message box: its text, type and buttons, answered from a queue (a box beyond it gets its first
// button: OK or Yes).
struct TShownBox {
  std::string Text;
  TMsgDlgType Type;
  bool YesNo;
};
class TBoxAnswers {
public:
  TBoxAnswers();
  ~TBoxAnswers();
  std::vector<TShownBox> Shown;
  std::vector<int> Answers;
  bool Contains(const std::string& Text) const;
};

// A user record added directly to the user file of Folder.
void AddUser(const std::string& Folder, const std::string& LogInName, const std::string& Status,
             const std::string& Department = "", int16_t Administrator = 0);
// The stored record of a login (empty Status when missing).
TUserRec ReadUser(const std::string& Folder, const std::string& LogInName);
// Rewrites one user's status in the user file as another copy would.
void WriteStatus(const std::string& Folder, const std::string& LogInName, const std::string& Status);

// Settings that make a quiet test run: the folder, no first-run question, the given timer periods.
void WriteTestSettings(const std::string& Folder, int UpdateDisplayTime = 1, int CheckForNewMsgEvery = 1,
                       const std::function<void(TyOZCBRec&)>& Change = nullptr);

// Makes the main window (resource, OnCreate) and runs its first activation, shown or not. (Hiding a
// shown window costs Wine two seconds without a window manager, so most tests keep it hidden.)
TfrmMain* MakeMainWindow(bool Visible = false);
void FreeMainWindow(TfrmMain*& Form);

// A left press and release at a point of the screen, as the mouse makes them. Both events carry the
// point: a pointer moved meanwhile on the shared display (another program's warp reported late) must
// not decide where the press lands.
void SendLeftClick(POINT Screen);
