#include "Dialogs.h"

#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Forms.h"
#include "SysUtils.h"

TMessageDlgHook MessageDlgHook;
TOpenDialogHook OpenDialogHook;

namespace {
const char* TypeName(TMsgDlgType t) {
  switch (t) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirmation";
    default: return "Custom";
  }
}

const TMsgDlgBtn ButtonOrder[] = {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp};
const char* const ButtonNames[] = {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"};
const int ButtonResults[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone};

std::string ButtonsText(TMsgDlgButtons b) {
  std::string r;
  for (TMsgDlgBtn x : ButtonOrder)
    if (b.Contains(x)) r += (r.empty() ? "" : ",") + std::string(ButtonNames[x]);
  return r;
}

std::string Escaped(const std::string& s) {
  std::string r;
  for (char c : s) {
    if (c == '\r') r += "\\r";
    else if (c == '\n') r += "\\n";
    else r += c;
  }
  return r;
}

// The answers of YOZ_DIALOG_ANSWERS, read again whenever the variable changes; Scripted is False when
// it is not set.
struct TScript {
  bool Scripted = false;
  std::vector<std::string> Answers;
  size_t Next = 0;
  std::string Raw;
  void Refresh() {
    const char* v = getenv("YOZ_DIALOG_ANSWERS");
    if (!v) {
      Scripted = false;
      Raw.clear();
      return;
    }
    if (Scripted && Raw == v) return;
    Raw = v;
    Answers.clear();
    Next = 0;
    Scripted = true;
    std::string s = v, cur;
    for (char c : s) {
      if (c == ',') {
        Answers.push_back(Trim(cur));
        cur.clear();
      } else {
        cur += c;
      }
    }
    if (!s.empty()) Answers.push_back(Trim(cur));
  }
  // The next answer; False when the list is used up.
  bool Take(std::string& a) {
    if (Next >= Answers.size()) return false;
    a = Answers[Next++];
    return true;
  }
};

TScript& Script() {
  static TScript s;
  s.Refresh();
  return s;
}

void Log(const std::string& type, const std::string& buttons, const std::string& answer, const std::string& text) {
  const char* path = getenv("YOZ_DIALOG_LOG");
  if (!path || !*path) return;
  if (FILE* f = fopen(path, "ab")) {
    std::string line = type + "|" + buttons + "|" + answer + "|" + Escaped(text) + "\n";
    fwrite(line.data(), 1, line.size(), f);
    fclose(f);
  }
}

int FirstButtonResult(TMsgDlgButtons b) {
  for (TMsgDlgBtn x : ButtonOrder)
    if (b.Contains(x)) return ButtonResults[x];
  return mrOk;
}

std::string ResultName(int r) {
  for (TMsgDlgBtn x : ButtonOrder)
    if (ButtonResults[x] == r && r != mrNone) return ButtonNames[x];
  return std::to_string(r);
}

int ShowBox(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
  UINT flags = MB_TASKMODAL;
  switch (DlgType) {
    case mtWarning: flags |= MB_ICONWARNING; break;
    case mtError: flags |= MB_ICONERROR; break;
    case mtInformation: flags |= MB_ICONINFORMATION; break;
    case mtConfirmation: flags |= MB_ICONQUESTION; break;
    default: break;
  }
  bool yes = Buttons.Contains(mbYes), no = Buttons.Contains(mbNo), cancel = Buttons.Contains(mbCancel);
  if (yes && no && cancel)
    flags |= MB_YESNOCANCEL;
  else if (yes || no)
    flags |= MB_YESNO;
  else if (Buttons.Contains(mbAbort) || Buttons.Contains(mbRetry))
    flags |= MB_ABORTRETRYIGNORE;
  else if (Buttons.Contains(mbOK) && cancel)
    flags |= MB_OKCANCEL;
  else
    flags |= MB_OK;
  return ShowMessageBox(GetActiveWindow(), Msg, MsgDlgCaption(DlgType), flags);
}
}  // namespace

std::string MsgDlgCaption(TMsgDlgType DlgType) {
  switch (DlgType) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    default: return "";
  }
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  int result;
  if (MessageDlgHook) {
    result = MessageDlgHook(Msg, DlgType, Buttons);
  } else if (Script().Scripted) {
    std::string a;
    result = FirstButtonResult(Buttons);
    if (Script().Take(a))
      for (TMsgDlgBtn x : ButtonOrder)
        if (CompareText(a, ButtonNames[x]) == 0) result = ButtonResults[x];
  } else {
    result = ShowBox(Msg, DlgType, Buttons);
  }
  Log(TypeName(DlgType), ButtonsText(Buttons), ResultName(result), Msg);
  return result;
}

void ShowMessage(const std::string& Msg) { MessageDlg(Msg, mtInformation, {mbOK}); }

// ---------------------------------------------------------------------------------------------------

bool TOpenDialog::Execute() {
  bool ok;
  if (OpenDialogHook) {
    ok = OpenDialogHook(this);
  } else if (Script().Scripted) {
    std::string a;
    ok = Script().Take(a) && !a.empty() && CompareText(a, "Cancel") != 0;
    if (ok) FFileName = a;
  } else {
    // "a|b|c|d" becomes "a\0b\0c\0d\0\0".
    std::string filter = FFilter;
    for (char& c : filter)
      if (c == '|') c = '\0';
    filter.append(2, '\0');
    char file[MAX_PATH] = {};
    lstrcpynA(file, FFileName.c_str(), MAX_PATH);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = FFilter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = DWORD(FFilterIndex);
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = FInitialDir.empty() ? nullptr : FInitialDir.c_str();
    ofn.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
    std::string ext = FDefaultExt;
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
    if (FOptions.Contains(ofHideReadOnly)) ofn.Flags |= OFN_HIDEREADONLY;
    if (FOptions.Contains(ofFileMustExist)) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (FOptions.Contains(ofPathMustExist)) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (FOptions.Contains(ofNoChangeDir)) ofn.Flags |= OFN_NOCHANGEDIR;
    ok = GetOpenFileNameA(&ofn) != FALSE;
    if (ok) {
      FFileName = file;
      FFilterIndex = int(ofn.nFilterIndex);
    }
  }
  Log("Open", "OK,Cancel", ok ? FFileName : std::string("Cancel"), FTitle);
  return ok;
}

static const TEnumInfo OpenOptionNames{
    "TOpenOption", {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofFileMustExist", "ofPathMustExist"}};

void TOpenDialog::Publish(TPublisher<TOpenDialog>& p) {
  p.Str("DefaultExt", &TOpenDialog::FDefaultExt, &TOpenDialog::FDefaultExt);
  p.Str("FileName", &TOpenDialog::FFileName, &TOpenDialog::FFileName);
  p.Str("Filter", &TOpenDialog::FFilter, &TOpenDialog::FFilter);
  p.Int("FilterIndex", &TOpenDialog::FFilterIndex, &TOpenDialog::FFilterIndex).Default(1);
  p.Str("InitialDir", &TOpenDialog::FInitialDir, &TOpenDialog::FInitialDir);
  p.Set("Options", OpenOptionNames, &TOpenDialog::FOptions, &TOpenDialog::FOptions);
  p.Str("Title", &TOpenDialog::FTitle, &TOpenDialog::FTitle);
}

void RegisterDialogsClasses() { RegisterClass(TOpenDialog::StaticClass()); }
