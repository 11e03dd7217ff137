// The settings dialog: loads the two records and the current user's details into its controls, and
// on OK writes the user's details back and the controls into the records.
#include "Settings.h"

#include "KLNStringUtils.h"
#include "Main.h"
#include "SysUtils.h"
#include "UPTShellControls.h"
#include "UPTShellUtils.h"

TfrmSettings* frmSettings = nullptr;

namespace {

constexpr int FontSizes[] = {8, 10, 12, 14};
// Posted as the dialog is activated: handled once the focus it gives has selected the Name.
constexpr UINT WM_NAMEFROMSTART = WM_APP + 1;

// Selects the first item equal to Text; when none is, the last item stays selected.
void SelectStatusItem(TComboBox* Combo, const std::string& Text) {
  for (int i = 0; i < Combo->Items()->Count(); ++i) {
    Combo->SetItemIndex(i);
    if (Combo->Items()->Strings(i) == Text) break;
  }
}

}  // namespace

void SettingsInitialize() {
  static bool done = false;
  if (done) return;
  done = true;
  OvcBaseInitialize();
  OvcClrCbInitialize();
  RzCommonInitialize();
  RzSpnEdtInitialize();
  UPTShellControlsInitialize();
  FPTFolderBrowseDlgInitialize();
  RegisterClass(TfrmSettings::StaticClass());
}

TfrmSettings::TfrmSettings(TComponent* AOwner) : TForm(AOwner) {
  // The main window reaches the dialog through these while it exists.
  MainDialogs.Settings = [this](TyOZCBRec& Rec, TyOZConfigRec& Config) { return Execute(Rec, Config); };
  MainDialogs.PlayWavFile = [this] { return chkPlayWavFile && chkPlayWavFile->Checked(); };
  MainDialogs.WavFileSelected = [this] { return edtWavFileSelected ? edtWavFileSelected->Text() : std::string(); };
}

TfrmSettings::~TfrmSettings() {
  MainDialogs.Settings = nullptr;
  MainDialogs.PlayWavFile = nullptr;
  MainDialogs.WavFileSelected = nullptr;
  if (frmSettings == this) frmSettings = nullptr;
}

void TfrmSettings::Publish(TPublisher<TfrmSettings>& p) {
  p.Method("FormCreate", &TfrmSettings::FormCreate);
  p.Method("FormDestroy", &TfrmSettings::FormDestroy);
  p.Method("FormShow", &TfrmSettings::FormShow);
  p.Method("FormActivate", &TfrmSettings::FormActivate);
  p.Method("btnOkClick", &TfrmSettings::btnOkClick);
  p.Method("btnCancelClick", &TfrmSettings::btnCancelClick);
  p.Method("btnHelpClick", &TfrmSettings::btnHelpClick);
  p.Method("SpeedBtnLaunchClick", &TfrmSettings::SpeedBtnLaunchClick);
  p.Method("BitBtnBrowseClick", &TfrmSettings::BitBtnBrowseClick);
  p.Method("BitBtnWAVClick", &TfrmSettings::BitBtnWAVClick);
  p.Method("chkPlayWavFileClick", &TfrmSettings::chkPlayWavFileClick);
  p.Method("chkSetStatusToOnSDClick", &TfrmSettings::chkSetStatusToOnSDClick);
  p.Method("chkDetectSSaverClick", &TfrmSettings::chkDetectSSaverClick);
  p.Method("chkAllowMessagesClick", &TfrmSettings::chkAllowMessagesClick);
}

void TfrmSettings::Loaded() {
  auto find = [this](auto*& field, const char* name) {
    using T = std::remove_pointer_t<std::remove_reference_t<decltype(field)>>;
    field = dynamic_cast<T*>(FindComponent(name));
    if (!field) throw EComponentError(std::string("Settings dialog component missing: ") + name);
  };
  find(PageControlSettings, "PageControlSettings");
  find(tsDisplay, "tsDisplay");
  find(tsOptions, "tsOptions");
  find(tsMessages, "tsMessages");
  find(txtName, "txtName");
  find(txtExtension, "txtExtension");
  find(txtDepartment, "txtDepartment");
  find(cboDepartments, "cboDepartments");
  find(cboFontSize, "cboFontSize");
  find(cboShutDownStatus, "cboShutDownStatus");
  find(cboScreenSaverStatus, "cboScreenSaverStatus");
  find(cboLogging, "cboLogging");
  find(OvcController1, "OvcController1");
  find(cboFontColour, "cboFontColour");
  find(chkSortByUser, "chkSortByUser");
  find(chkShowOfflineUsers, "chkShowOfflineUsers");
  find(chkUseVacation, "chkUseVacation");
  find(chkDisplayDepartments, "chkDisplayDepartments");
  find(chkShowGrid, "chkShowGrid");
  find(chkAutoComment, "chkAutoComment");
  find(chkClearComment, "chkClearComment");
  find(chkSetStatusToOnSD, "chkSetStatusToOnSD");
  find(chkDetectSSaver, "chkDetectSSaver");
  find(chkAllowMessages, "chkAllowMessages");
  find(chkPlayWavFile, "chkPlayWavFile");
  find(seDisplayUpdate, "seDisplayUpdate");
  find(seCheckNewMessages, "seCheckNewMessages");
  find(SpeedBtnLaunch, "SpeedBtnLaunch");
  find(lblStartUpInfo, "lblStartUpInfo");
  find(lblLaunchAtStart, "lblLaunchAtStart");
  find(lblShutDownStatus, "lblShutDownStatus");
  find(lblScreenSaverStatus, "lblScreenSaverStatus");
  find(lblLogging, "lblLogging");
  find(lblCheckMessages, "lblCheckMessages");
  find(lblCheckMessagesSeconds, "lblCheckMessagesSeconds");
  find(txtLocationOfyOZDBase, "txtLocationOfyOZDBase");
  find(edtWavFileSelected, "edtWavFileSelected");
  find(BitBtnBrowse, "BitBtnBrowse");
  find(BitBtnWAV, "BitBtnWAV");
  find(OpenWAVFile, "OpenWAVFile");
  find(PTFolderBrowseDBase, "PTFolderBrowseDBase");
  find(btnOk, "btnOk");
  find(btnCancel, "btnCancel");
  find(btnHelp, "btnHelp");
  TForm::Loaded();
}

void TfrmSettings::FormCreate(TObject*) { Settings = new TyOZCB(); }

void TfrmSettings::FormDestroy(TObject*) { FreeAndNil(Settings); }

void TfrmSettings::FormShow(TObject*) {
  lblStartUpInfo->SetCaption("Configure yOZ startup and shut down options");
  lblLaunchAtStart->SetCaption("Launch yOZ on Startup >");
}

// The focus the dialog gives as it is activated selects the whole Name, and the edit scrolls the end of
// a selection into view: a long Name would show its end. Once that is done, the Name keeps its
// selection with the caret (so the view) at its start.
void TfrmSettings::FormActivate(TObject*) {
  if (HandleAllocated()) PostMessageA(Handle(), WM_NAMEFROMSTART, 0, 0);
}

void TfrmSettings::Dispatch(TMessage& Message) {
  if (Message.Msg != WM_NAMEFROMSTART) {
    TForm::Dispatch(Message);
    return;
  }
  if (!txtName || !txtName->HandleAllocated() || GetFocus() != txtName->Handle()) return;
  HWND name = txtName->Handle();
  DWORD start = 0, end = 0;
  SendMessageA(name, EM_GETSEL, WPARAM(&start), LPARAM(&end));
  const int length = GetWindowTextLengthA(name);
  // Only the selection the focus made: a click into the Name meanwhile placed the caret itself.
  if (start == 0 && int(end) == length && length > 0) SendMessageA(name, EM_SETSEL, WPARAM(length), 0);
}

int TfrmSettings::Execute(TyOZCBRec& Rec, TyOZConfigRec& Config) {
  PageControlSettings->SetActivePage(tsDisplay);
  // The dialog opens with the focus on the first control of the sheet it shows, wherever it was left.
  FocusControl(tsDisplay->FirstTabStop());
  yOZDepartment->FillDepartmentCombo(cboDepartments->Items());

  try {
    yOZFile->LoadCurrentUser();
  } catch (...) {
    MessageDlg("Unable to retrieve User details", mtError, TMsgDlgButtons{mbOK});
  }
  txtName->SetText(yOZCurrentUser->Name);
  // The dialog lives for the whole run: a long Name typed last time would still show its end (until
  // the focus comes, see FormActivate).
  if (txtName->HandleAllocated()) {
    SendMessageA(txtName->Handle(), EM_SETSEL, 0, 0);
    SendMessageA(txtName->Handle(), EM_SCROLLCARET, 0, 0);
  }
  txtExtension->SetText(yOZCurrentUser->Extension);
  txtDepartment->SetText(yOZCurrentUser->Department);
  int department = -1;
  for (int i = 0; i < cboDepartments->Items()->Count() && department < 0; ++i)
    if (cboDepartments->Items()->Strings(i) == yOZCurrentUser->Department) department = i;
  cboDepartments->SetItemIndex(department);

  LoadControls(Rec, Config);
  ShowModal();
  if (ModalResult() == mrOk) {
    yOZCurrentUser->Name = txtName->Text();
    yOZCurrentUser->Extension = txtExtension->Text();
    yOZCurrentUser->Department = cboDepartments->Text();
    // The status as the file last had it, so that this write keeps it.
    yOZCurrentUser->Status = yOZFile->StoredStatus;
    yOZFile->UpdateUser(yOZCurrentUser);
    StoreControls(Rec, Config);
  }
  return ModalResult();
}

void TfrmSettings::LoadControls(const TyOZCBRec& Rec, const TyOZConfigRec& Config) {
  cboFontColour->SetSelectedColor(TColor(Rec.MainFontColour));
  chkSortByUser->SetChecked(Rec.SortListView);
  chkShowOfflineUsers->SetChecked(Rec.ShowOfflineUsers);
  chkUseVacation->SetChecked(Rec.UseVacation);
  seDisplayUpdate->SetIntValue(Rec.UpdateDisplayTime);
  chkDisplayDepartments->SetChecked(Rec.DisplayDepartments);
  chkShowGrid->SetChecked(Rec.ShowGrid);
  chkAutoComment->SetChecked(Rec.AutoComment);
  chkClearComment->SetChecked(Rec.ClearCommentOnSD);
  chkSetStatusToOnSD->SetChecked(Rec.ChangeStatusOnSD);
  chkDetectSSaver->SetChecked(Rec.DetectScreenSaver);
  txtLocationOfyOZDBase->SetText(Rec.yOZDBasePath);
  FShownFolder = Rec.yOZDBasePath;
  chkAllowMessages->SetChecked(Config.AllowMessages != 0);
  seCheckNewMessages->SetIntValue(Rec.CheckForNewMsgEvery);
  chkPlayWavFile->SetChecked(Rec.PlayWavForNewMsg);
  edtWavFileSelected->SetText(Rec.WavToPlayForNewMsgs);

  yOZStatus->CreateStatusFile();
  yOZStatus->FillStatusList(cboShutDownStatus->Items());
  yOZStatus->FillStatusList(cboScreenSaverStatus->Items());
  SelectStatusItem(cboShutDownStatus, Rec.ShutDownStatus);
  SelectStatusItem(cboScreenSaverStatus, Rec.ScreenSaverStatus);

  int size = -1;
  for (int i = 0; i < 4; ++i)
    if (FontSizes[i] == Rec.MainFontSize) size = i;
  if (size < 0) throw Exception("Unable to determine font size");
  cboFontSize->SetItemIndex(size);
  cboLogging->SetItemIndex(Config.LogType);

  edtWavFileSelected->SetEnabled(Rec.PlayWavForNewMsg);
  BitBtnWAV->SetEnabled(Rec.PlayWavForNewMsg);
  EnableControls();
}

void TfrmSettings::StoreControls(TyOZCBRec& Rec, TyOZConfigRec& Config) {
  Rec.SortListView = chkSortByUser->Checked();
  Rec.ShowOfflineUsers = chkShowOfflineUsers->Checked();
  Rec.UseVacation = chkUseVacation->Checked();
  Rec.UpdateDisplayTime = seDisplayUpdate->GetIntValue();
  Rec.DisplayDepartments = chkDisplayDepartments->Checked();
  Rec.ShowGrid = chkShowGrid->Checked();
  Rec.AutoComment = chkAutoComment->Checked();
  Rec.ClearCommentOnSD = chkClearComment->Checked();
  Rec.ChangeStatusOnSD = chkSetStatusToOnSD->Checked();
  Rec.DetectScreenSaver = chkDetectSSaver->Checked();
  Rec.CheckForNewMsgEvery = seCheckNewMessages->GetIntValue();
  Rec.PlayWavForNewMsg = chkPlayWavFile->Checked();

  Rec.yOZDBasePath = Trim(txtLocationOfyOZDBase->Text()).substr(0, 255);
  Rec.WavToPlayForNewMsgs = Trim(edtWavFileSelected->Text());
  Rec.ShutDownStatus = cboShutDownStatus->Text().substr(0, 50);
  Rec.ScreenSaverStatus = cboScreenSaverStatus->Text();

  yOZFile->DBPath = Rec.yOZDBasePath;
  ShowOfflineUsers = Rec.ShowOfflineUsers;

  if (IsAdministrator) {
    if (cboLogging->ItemIndex() >= 0) Config.LogType = uint8_t(cboLogging->ItemIndex());
    Config.AllowMessages = chkAllowMessages->Checked() ? 1 : 0;
  }
  const int size = cboFontSize->ItemIndex();
  if (size >= 0 && size < 4) Rec.MainFontSize = FontSizes[size];
  Rec.MainFontColour = int32_t(cboFontColour->SelectedColor());
}

void TfrmSettings::EnableControls() {
  cboShutDownStatus->SetEnabled(chkSetStatusToOnSD->Checked());
  lblShutDownStatus->SetEnabled(chkSetStatusToOnSD->Checked());
  cboScreenSaverStatus->SetEnabled(chkDetectSSaver->Checked());
  lblScreenSaverStatus->SetEnabled(chkDetectSSaver->Checked());
  cboLogging->SetEnabled(IsAdministrator);
  lblLogging->SetEnabled(IsAdministrator);
  chkAllowMessages->SetEnabled(IsAdministrator);
  const bool messages = chkAllowMessages->Checked();
  lblCheckMessages->SetEnabled(messages);
  seCheckNewMessages->SetEnabled(messages);
  lblCheckMessagesSeconds->SetEnabled(messages);
  chkPlayWavFile->SetEnabled(messages);
  edtWavFileSelected->SetEnabled(messages);
  BitBtnWAV->SetEnabled(messages);
}

// A new folder replaces the one in use only when it can still serve now (it may have gone, or changed,
// since it was chosen): otherwise the next start would fail and the working folder be lost. The
// location goes back to the folder in use, and the dialog stays.
void TfrmSettings::btnOkClick(TObject*) {
  const std::string folder = Trim(txtLocationOfyOZDBase->Text());
  if (folder != Trim(FShownFolder)) {
    const std::string problem = DatabaseFolderProblem(folder);
    if (!problem.empty()) {
      txtLocationOfyOZDBase->SetText(FShownFolder);
      MessageDlg(problem, mtError, TMsgDlgButtons{mbOK});
      return;
    }
  }
  SetModalResult(mrOk);
}

void TfrmSettings::btnCancelClick(TObject*) { SetModalResult(mrCancel); }

void TfrmSettings::btnHelpClick(TObject*) { Application->HelpJump("Displaying_your_settings"); }

// The same shortcut the first run offers, told only when it was written.
void TfrmSettings::SpeedBtnLaunchClick(TObject*) { frmMain->CreateStartupShortcut(); }

void TfrmSettings::BitBtnBrowseClick(TObject*) {
  // The dialog opens on the folder shown as the database's location (when the shell still finds it).
  std::string location = txtLocationOfyOZDBase->Text();
  if (location.size() > 3) location = ExcludeTrailingBackslash(location);   // a drive root keeps its own
  LPITEMIDLIST shown = nullptr;
  if (!location.empty() && SUCCEEDED(PathToPidl(location, shown))) {
    PTFolderBrowseDBase->SelectedFolder()->SetPidl(shown);
    ShellFree(shown);
  }
  if (!PTFolderBrowseDBase->Execute()) return;
  // A folder without a file-system path (a virtual folder) cannot hold the database.
  const std::string folder = PTFolderBrowseDBase->SelectedPath();
  if (folder.empty()) return;
  const std::string problem = DatabaseFolderProblem(folder);
  if (!problem.empty()) {
    MessageDlg(problem, mtError, TMsgDlgButtons{mbOK});
    return;
  }
  if (MessageDlg("Are you sure.  Change the location of the yOZ Database?", mtConfirmation, mbYesNo) == mrYes)
    txtLocationOfyOZDBase->SetText(AddBackslash(folder));
}

void TfrmSettings::BitBtnWAVClick(TObject*) {
  if (OpenWAVFile->Execute()) edtWavFileSelected->SetText(OpenWAVFile->FileName());
}

void TfrmSettings::chkPlayWavFileClick(TObject*) {
  BitBtnWAV->SetEnabled(chkPlayWavFile->Checked());
  edtWavFileSelected->SetEnabled(chkPlayWavFile->Checked());
}

void TfrmSettings::chkSetStatusToOnSDClick(TObject*) { EnableControls(); }
void TfrmSettings::chkDetectSSaverClick(TObject*) { EnableControls(); }
void TfrmSettings::chkAllowMessagesClick(TObject*) { EnableControls(); }
