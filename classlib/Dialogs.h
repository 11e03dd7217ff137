// Message dialogs and the file-open dialog.
//
// Answering boxes without a user. Every MessageDlg and every TOpenDialog::Execute goes through
// MessageDlgHook / OpenDialogHook when they are set (tests set them: the hook sees the text, type and
// buttons and returns the answer). A program run by an end-to-end test is driven by two environment
// variables instead:
//   YOZ_DIALOG_LOG=<file>      every box appends one line: "<type>|<buttons>|<answer>|<text>", type
//                              Information, Confirmation, Warning, Error or Open; buttons "OK",
//                              "Yes,No"...; the text with CR as "\r" and LF as "\n" (an open dialog
//                              logs its title as the text and the file name as the answer).
//   YOZ_DIALOG_ANSWERS=<list>  comma-separated answers taken in order (OK, Cancel, Yes, No, or a file
//                              name for an open dialog; an empty entry cancels it). While the variable
//                              is set no box is shown: a box beyond the list gets its first button.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "Classes.h"
#include "Controls.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};

// Shows Msg with the type's icon and caption and the buttons; returns the modal result of the button
// pressed (mrOk, mrYes, mrNo...).
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
// An information box with OK.
void ShowMessage(const std::string& Msg);

// Set by tests: receives what would be shown and returns the modal result.
using TMessageDlgHook = std::function<int(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons)>;
extern TMessageDlgHook MessageDlgHook;

// The caption of a box of that type ("Information", "Confirm", "Warning", "Error").
std::string MsgDlgCaption(TMsgDlgType DlgType);

// ---------------------------------------------------------------------------------------------------

enum TOpenOption { ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofFileMustExist, ofPathMustExist };
using TOpenOptions = TSet<TOpenOption>;

class TCommonDialog : public TComponent {
  YOZ_CLASS(TCommonDialog, TComponent)
public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  virtual bool Execute() = 0;
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }

private:
  int FHelpContext = 0;
};

class TOpenDialog : public TCommonDialog {
  YOZ_CLASS(TOpenDialog, TCommonDialog)
public:
  explicit TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  // Shows the dialog; True with FileName set when the user chose a file.
  bool Execute() override;

  const std::string& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const std::string& Value) { FDefaultExt = Value; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value) { FFileName = Value; }
  // "Description|mask|Description|mask".
  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& Value) { FFilter = Value; }
  int FilterIndex() const { return FFilterIndex; }
  const std::string& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }

  static void Publish(TPublisher<TOpenDialog>& p);

private:
  std::string FDefaultExt, FFileName, FFilter, FInitialDir, FTitle;
  int FFilterIndex = 1;
  TOpenOptions FOptions{ofHideReadOnly};
};

// Set by tests: answers an open dialog (set FileName and return True, or return False).
using TOpenDialogHook = std::function<bool(TOpenDialog* Dialog)>;
extern TOpenDialogHook OpenDialogHook;

void RegisterDialogsClasses();
