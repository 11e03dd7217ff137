// The settings dialog in the test's own process, run through the main window's Settings command: what
// it loads, what OK stores (the user's own record, the settings, yOZ.cfg), Cancel, the enabling rules,
// a moved database folder and the failures that must still bring the timers back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <vector>

#include "AppTestSupport.h"
#include "DialogTestSupport.h"
#include "KLNStringUtils.h"
#include "Settings.h"
#include "SysUtils.h"
#include "UPTShellUtils.h"
#include "WinUtils.h"

namespace {

std::string Login() { return GetLogInName(); }

// Runs Act once the dialog's modal loop is showing it; a dialog not shown within 30 s, or still open
// 30 s after Act ended, is cancelled, so no test can hang on it.
class TWhenShown {
public:
  TWhenShown(TForm* Form, std::function<void()> Act) : FForm(Form), FAct(std::move(Act)) {
    FStart = GetTickCount();
    FTimer = new TTimer(nullptr);
    FTimer->SetInterval(20);
    FTimer->SetOnTimer(Bind(this, &TWhenShown::Tick));
  }
  ~TWhenShown() { TObject::Free(FTimer); }
  bool Ran = false;

private:
  // A dialog that never shows, or stays up long after the steps ended, is cancelled: the steps' own
  // waits have limits of their own, so the time counts from their end.
  void Tick(TObject*) {
    if (FBusy) return;
    if (GetTickCount() - FStart > 30000) {
      FForm->SetModalResult(mrCancel);
      return;
    }
    if (Ran || !FForm->Showing()) return;
    FBusy = true;
    Ran = true;
    FAct();
    FBusy = false;
    FStart = GetTickCount();
  }
  TForm* FForm;
  std::function<void()> FAct;
  TTimer* FTimer;
  DWORD FStart;
  bool FBusy = false;
};

class SettingsDialog : public ::testing::Test {
protected:
  TSettingsSandbox Sandbox;
  TTestFolder Folder{"set"};
  TTestFolder Other{"other"};
  TBoxAnswers Boxes;
  TfrmMain* Form = nullptr;
  TfrmSettings* Dlg = nullptr;
  std::string Db = Folder.Path();  // the database folder of Start

  void SetUp() override { IsAdministrator = false; }
  void TearDown() override {
    TObject::Free(Dlg);
    frmSettings = nullptr;
    if (Form) FreeMainWindow(Form);
    MainDialogs = TMainDialogs();
  }
  // A database with the departments "IT" and "Sales", the current user registered (its first user, so
  // administrator unless Admin is false) with Department, then the board and the dialog.
  void Start(const std::string& Department = "IT", bool Admin = true,
             std::function<void(TyOZCBRec&)> Change = nullptr) {
    WriteTestSettings(Db, 30, 20, Change);
    {
      TyOZFile db(Db);
      db.RegisterCurrentUser();
      TYOZDepartment d;
      d.CreateDepartmentFile();
      d.AddDepartment("IT");
      d.AddDepartment("Sales");
    }
    TIsamFile f("");
    ASSERT_TRUE(f.Open(Db + UserFileName, 3));
    TUserRec rec;
    ASSERT_TRUE(f.GetEqual(rec.Data, 7, Login()));
    rec.SetDepartment(Department);
    rec.SetName("Ann Able");
    rec.SetExtension("100");
    rec.SetAdministrator(Admin ? 1 : 0);
    ASSERT_TRUE(f.Replace(rec.Data, f.LastKey));
    f.Close();
    Form = MakeMainWindow(false);
    ASSERT_NE(Form, nullptr);
    IsAdministrator = Admin;
    Dlg = NewForm<TfrmSettings>(Application);
    frmSettings = Dlg;
  }
  TyOZCBRec Stored() {
    TyOZCB cb;
    TyOZCBRec rec;
    cb.LoadSettings(rec);
    return rec;
  }
  TyOZConfigRec StoredConfig() {
    TyOZFile db(Db);
    return db.ReadConfig();
  }
  // Runs the Settings command; Act works on the shown dialog and closes it.
  void RunSettings(std::function<void()> Act) {
    TWhenShown when(Dlg, std::move(Act));
    Form->actSettingsExecute(Form->actSettings);
    EXPECT_TRUE(when.Ran);
  }
  void TimersOff() {
    Form->tmrUpdateListView->SetEnabled(false);
    Form->tmrCheckForMessages->SetEnabled(false);
    Form->tmrScreenSaver->SetEnabled(false);
  }
};

TEST_F(SettingsDialog, ShowsTheUserAndTheSettingsAndOkStoresEveryChange) {
  Start("IT", true, [](TyOZCBRec& r) {
    r.MainFontSize = 12;
    r.MainFontColour = int32_t(clMaroon);
    r.ShutDownStatus = "Gone home";
    r.ScreenSaverStatus = "no such status";
    r.DisplayDepartments = true;
  });
  const std::string storedStatus = ReadUser(Folder.Path(), Login()).Status();
  RunSettings([&] {
    EXPECT_EQ(Dlg->PageControlSettings->ActivePage(), Dlg->tsDisplay);
    EXPECT_EQ(Dlg->txtName->Text(), "Ann Able");
    EXPECT_EQ(Dlg->txtExtension->Text(), "100");
    EXPECT_EQ(Dlg->txtDepartment->Text(), "IT");
    EXPECT_EQ(Dlg->cboDepartments->Text(), "IT");
    EXPECT_EQ(Dlg->cboFontSize->Text(), "12");
    EXPECT_EQ(Dlg->cboFontColour->SelectedColor(), clMaroon);
    EXPECT_EQ(Dlg->seDisplayUpdate->GetIntValue(), 30);
    EXPECT_EQ(Dlg->seCheckNewMessages->GetIntValue(), 20);
    EXPECT_EQ(Dlg->cboShutDownStatus->Text(), "Gone home");
    // No status equal to the stored one: the last item stays selected.
    EXPECT_EQ(Dlg->cboScreenSaverStatus->ItemIndex(), Dlg->cboScreenSaverStatus->Items()->Count() - 1);
    EXPECT_EQ(Dlg->cboLogging->ItemIndex(), 0);
    EXPECT_EQ(Dlg->txtLocationOfyOZDBase->Text(), Folder.Path());
    EXPECT_EQ(Dlg->lblStartUpInfo->Caption(), "Configure yOZ startup and shut down options");
    // An administrator may change the database-wide options.
    EXPECT_TRUE(Dlg->cboLogging->Enabled());
    EXPECT_TRUE(Dlg->chkAllowMessages->Enabled());

    Dlg->txtName->SetText("Ann Other");
    Dlg->txtExtension->SetText("4711");
    Dlg->cboDepartments->SetItemIndex(Dlg->cboDepartments->Items()->IndexOf("Sales"));
    Dlg->cboFontSize->SetItemIndex(3);
    Dlg->cboFontColour->SetSelectedColor(clBlue);
    Dlg->seDisplayUpdate->SetIntValue(60);
    Dlg->chkDisplayDepartments->SetChecked(false);
    Dlg->chkShowGrid->SetChecked(true);
    Dlg->cboLogging->SetItemIndex(2);
    Press(Dlg->btnOk);
  });
  TUserRec user = ReadUser(Folder.Path(), Login());
  EXPECT_EQ(user.Name(), "Ann Other");
  EXPECT_EQ(user.Extension(), "4711");
  EXPECT_EQ(user.Department(), "Sales");
  EXPECT_EQ(user.Status(), storedStatus);
  TyOZCBRec rec = Stored();
  EXPECT_EQ(rec.MainFontSize, 14);
  EXPECT_EQ(rec.MainFontColour, int32_t(clBlue));
  EXPECT_EQ(rec.UpdateDisplayTime, 60);
  EXPECT_FALSE(rec.DisplayDepartments);
  EXPECT_TRUE(rec.ShowGrid);
  EXPECT_EQ(rec.yOZDBasePath, Folder.Path());
  EXPECT_EQ(StoredConfig().LogType, 2);
  // The board took the new look and period at once.
  EXPECT_EQ(Form->lvMain->Font()->Size(), 14);
  EXPECT_EQ(Form->lvMain->Font()->Color(), clBlue);
  EXPECT_TRUE(Form->lvMain->GridLines());
  EXPECT_EQ(Form->stMain->Position(), 0);
  EXPECT_EQ(Form->tmrUpdateListView->Interval(), 60000u);
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
  EXPECT_FALSE(Form->ShuttingDown);
}

TEST_F(SettingsDialog, ADepartmentNoLongerListedIsStoredEmpty) {
  Start("Gone");
  RunSettings([&] {
    EXPECT_EQ(Dlg->txtDepartment->Text(), "Gone");
    EXPECT_EQ(Dlg->cboDepartments->ItemIndex(), -1);
    Press(Dlg->btnOk);
  });
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Department(), "");
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Name(), "Ann Able");
}

TEST_F(SettingsDialog, CancelChangesNothingAndBringsTheTimersBack) {
  Start("IT", true, [](TyOZCBRec& r) { r.DetectScreenSaver = true; });
  const TyOZCBRec before = Stored();
  TimersOff();
  RunSettings([&] {
    EXPECT_FALSE(Form->tmrUpdateListView->Enabled());
    EXPECT_FALSE(Form->tmrCheckForMessages->Enabled());
    Dlg->txtName->SetText("Someone Else");
    Dlg->seDisplayUpdate->SetIntValue(0);
    Dlg->cboLogging->SetItemIndex(1);
    Press(Dlg->btnCancel);
  });
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Name(), "Ann Able");
  EXPECT_EQ(Stored().UpdateDisplayTime, before.UpdateDisplayTime);
  EXPECT_EQ(StoredConfig().LogType, 0);
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
  EXPECT_TRUE(Form->tmrCheckForMessages->Enabled());
  EXPECT_TRUE(Form->tmrScreenSaver->Enabled());
}

TEST_F(SettingsDialog, AnUnknownFontSizeIsReportedAndTheTimersComeBack) {
  Start("IT", true, [](TyOZCBRec& r) { r.MainFontSize = 13; });
  TimersOff();
  std::string error;
  try {
    Form->actSettingsExecute(Form->actSettings);
  } catch (Exception& e) {
    error = e.Message;
  }
  EXPECT_EQ(error, "Unable to determine font size");
  EXPECT_FALSE(Dlg->Visible());
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
  EXPECT_TRUE(Form->tmrCheckForMessages->Enabled());
  EXPECT_FALSE(Form->tmrScreenSaver->Enabled());
}

TEST_F(SettingsDialog, ANonAdministratorsOkLeavesYozCfgAsItWas) {
  Start("IT", false);
  {
    TyOZFile db(Folder.Path());
    TyOZConfigRec c;
    c.LogType = 1;
    c.AllowMessages = 1;
    db.WriteConfig(c);
  }
  RunSettings([&] {
    EXPECT_FALSE(Dlg->cboLogging->Enabled());
    EXPECT_FALSE(Dlg->lblLogging->Enabled());
    EXPECT_FALSE(Dlg->chkAllowMessages->Enabled());
    EXPECT_EQ(Dlg->cboLogging->ItemIndex(), 1);
    // Even values that reach the controls some other way are not taken.
    Dlg->cboLogging->SetItemIndex(2);
    Dlg->chkAllowMessages->SetChecked(false);
    // Meanwhile an administrator elsewhere switches logging off.
    TyOZFile db(Folder.Path());
    TyOZConfigRec c;
    c.LogType = 0;
    c.AllowMessages = 1;
    db.WriteConfig(c);
    Press(Dlg->btnOk);
  });
  EXPECT_EQ(StoredConfig().LogType, 0);
  EXPECT_EQ(StoredConfig().AllowMessages, 1);
}

// Browse runs the folder dialog, which opens on the database's folder; the folder is chosen there and
// OK pressed with the keyboard; the same folder again counts as unchanged, another one (confirmed)
// ends the program with the restart text.
TEST_F(SettingsDialog, OnlyADifferentFolderEndsTheProgram) {
  struct {
    bool Same;
    bool Confirm;
    bool Ends;
  } cases[] = {{true, true, false}, {false, false, false}, {false, true, true}};
  struct TPressOk {
    std::string Caption, OpenedOn;
    LPITEMIDLIST Target = nullptr;
    void Show(TObject* Sender) {
      auto* f = static_cast<TPTFrmFolderBrowseDlg*>(Sender);
      Caption = f->Caption();
      OpenedOn = f->PTShellTree1->GetSelectedPath();
      f->PTShellTree1->SelectedFolder()->SetPidl(Target);
      PostMessageA(f->PTShellTree1->Handle(), WM_KEYDOWN, VK_RETURN, 1);
      PostMessageA(f->PTShellTree1->Handle(), WM_KEYUP, VK_RETURN, 0xC0000001);
    }
  } ok;
  for (auto& c : cases) {
    SCOPED_TRACE(c.Same ? "same folder" : c.Confirm ? "other folder" : "other folder, not confirmed");
    TTestFolder fresh{"case"};
    Db = fresh.Path();
    Start();
    LPITEMIDLIST pidl = nullptr;
    ASSERT_HRESULT_SUCCEEDED(PathToPidl(c.Same ? Db : Other.Path(), pidl));
    ok.Target = pidl;
    TScopeExit freePidl([&] { CoTaskMemFree(pidl); });
    Dlg->PTFolderBrowseDBase->OnFormShow = TNotifyEvent(&ok, &TPressOk::Show);
    Boxes.Shown.clear();
    Boxes.Answers = {c.Confirm ? int(mrYes) : int(mrNo)};
    RunSettings([&] {
      Dlg->PageControlSettings->SetActivePage(Dlg->tsOptions);
      SendMessageA(Dlg->BitBtnBrowse->Handle(), BM_CLICK, 0, 0);
      EXPECT_EQ(Dlg->txtLocationOfyOZDBase->Text(), c.Confirm ? (c.Same ? Db : Other.Path()) : Db);
      Press(Dlg->btnOk);
    });
    EXPECT_EQ(ok.Caption, "Browse for Folder");
    EXPECT_EQ(ok.OpenedOn + "\\", Db);
    ASSERT_GE(Boxes.Shown.size(), 1u);
    EXPECT_EQ(Boxes.Shown[0].Text, "Are you sure.  Change the location of the yOZ Database?");
    const bool told = Boxes.Contains(
        "The location of the yOZ database has been changed.\r\ryOZ must be re-started to use the new database "
        "location, and will now shut down.");
    EXPECT_EQ(told, c.Ends);
    EXPECT_EQ(Form->ShuttingDown, c.Ends);
    EXPECT_EQ(Stored().yOZDBasePath, c.Ends ? Other.Path() : Db);
    TObject::Free(Dlg);
    Dlg = nullptr;
    FreeMainWindow(Form);
  }
}

TEST_F(SettingsDialog, TheCheckBoxesEnableTheirControls) {
  Start("IT", true, [](TyOZCBRec& r) {
    r.ChangeStatusOnSD = false;
    r.DetectScreenSaver = true;
    r.PlayWavForNewMsg = false;
  });
  RunSettings([&] {
    auto click = [](TCheckBox* B) { SendMessageA(B->Handle(), BM_CLICK, 0, 0); };
    EXPECT_FALSE(Dlg->cboShutDownStatus->Enabled());
    EXPECT_FALSE(Dlg->lblShutDownStatus->Enabled());
    EXPECT_TRUE(Dlg->cboScreenSaverStatus->Enabled());
    click(Dlg->chkSetStatusToOnSD);
    EXPECT_TRUE(Dlg->cboShutDownStatus->Enabled());
    EXPECT_TRUE(Dlg->lblShutDownStatus->Enabled());
    click(Dlg->chkDetectSSaver);
    EXPECT_FALSE(Dlg->cboScreenSaverStatus->Enabled());
    EXPECT_FALSE(Dlg->lblScreenSaverStatus->Enabled());

    ASSERT_TRUE(Dlg->chkAllowMessages->Checked());
    click(Dlg->chkAllowMessages);
    for (TControl* c : std::initializer_list<TControl*>{Dlg->lblCheckMessages, Dlg->seCheckNewMessages,
                                                         Dlg->lblCheckMessagesSeconds, Dlg->chkPlayWavFile,
                                                         Dlg->edtWavFileSelected, Dlg->BitBtnWAV})
      EXPECT_FALSE(c->Enabled()) << c->Name();
    click(Dlg->chkAllowMessages);
    EXPECT_TRUE(Dlg->seCheckNewMessages->Enabled());
    click(Dlg->chkPlayWavFile);
    EXPECT_TRUE(Dlg->BitBtnWAV->Enabled());
    click(Dlg->chkPlayWavFile);
    EXPECT_FALSE(Dlg->BitBtnWAV->Enabled());
    EXPECT_FALSE(Dlg->edtWavFileSelected->Enabled());
    Press(Dlg->btnOk);
  });
  TyOZCBRec rec = Stored();
  EXPECT_TRUE(rec.ChangeStatusOnSD);
  EXPECT_FALSE(rec.DetectScreenSaver);
  EXPECT_FALSE(Form->tmrScreenSaver->Enabled());
}

}  // namespace

namespace {

// The sheet that holds the focused window, or null (no focus, or the focus outside the sheets).
TTabSheet* FocusedSheet(TfrmSettings* D) {
  HWND f = GetFocus();
  for (TTabSheet* s : {D->tsDisplay, D->tsOptions, D->tsMessages})
    if (f && IsChild(s->Handle(), f)) return s;
  return nullptr;
}

// The focused control's name, for failures.
std::string FocusName() {
  TWinControl* c = FindControl(GetFocus());
  return c ? c->Name() : "none";
}

// The focus is where the user sees it on Page: on a control of the page or on the page's tab.
bool FocusOn(TfrmSettings* D, TTabSheet* Page) {
  HWND f = GetFocus();
  return f && (f == D->PageControlSettings->Handle() || IsChild(Page->Handle(), f));
}

struct TClicks {
  int Count = 0;
  void Hit(TObject*) { ++Count; }
};

// The pages switch from the keyboard and the focus always lands on a control the user sees: Ctrl+Tab,
// Ctrl+Shift+Tab, Ctrl+Page Down and Up; Alt+L presses Launch; reopened on its first page after the
// focus was left on another, the dialog has the focus on that page (its tab or its controls).
TEST_F(SettingsDialog, TheKeyboardSwitchesPagesAndTheFocusStaysOnTheShownPage) {
  Start();
  TClicks launch;
  RunSettings([&] {
    auto* d = Dlg;
    d->SpeedBtnLaunch->OnClick = TNotifyEvent(&launch, &TClicks::Hit);
    SetForegroundWindow(d->Handle());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == d->Handle() && FocusOn(d, d->tsDisplay); }))
        << FocusName();
    // A first key takes the thread's key state over from the window that was in front before.
    PressKeys(VK_SHIFT);
    struct {
      WORD Vk;
      std::vector<WORD> Held;
      TTabSheet* Page;
    } steps[] = {{VK_TAB, {VK_CONTROL}, d->tsOptions},
                 {VK_TAB, {VK_CONTROL}, d->tsMessages},
                 {VK_TAB, {VK_CONTROL}, d->tsDisplay},
                 {VK_TAB, {VK_CONTROL, VK_SHIFT}, d->tsMessages},
                 {VK_PRIOR, {VK_CONTROL}, d->tsOptions},
                 {VK_NEXT, {VK_CONTROL}, d->tsMessages},
                 {VK_PRIOR, {VK_CONTROL}, d->tsOptions}};
    for (auto& s : steps) {
      TTabSheet* before = d->PageControlSettings->ActivePage();
      PressKeys(s.Vk, s.Held);
      EXPECT_TRUE(PumpUntil([&] { return d->PageControlSettings->ActivePage() != before; }));
      EXPECT_EQ(d->PageControlSettings->ActivePage(), s.Page);
      EXPECT_TRUE(PumpUntil([&] { return FocusOn(d, s.Page); })) << "the focus is on " << FocusName();
      EXPECT_TRUE(s.Page->Showing());
    }
    // Alt+L presses Launch on the Options page.
    PressKeys('L', {VK_MENU});
    EXPECT_TRUE(PumpUntil([&] { return launch.Count == 1; }));
    // Left on the Options page's first check box, the dialog is cancelled.
    d->chkClearComment->SetFocus();
    EXPECT_EQ(FocusedSheet(d), d->tsOptions);
    Press(d->btnCancel);
  });
  RunSettings([&] {
    auto* d = Dlg;
    SetForegroundWindow(d->Handle());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == d->Handle() && GetFocus(); }));
    EXPECT_EQ(d->PageControlSettings->ActivePage(), d->tsDisplay);
    EXPECT_TRUE(PumpUntil([&] { return FocusOn(d, d->tsDisplay); })) << "the focus is on " << FocusName();
    // The first Tab goes to the first control of the page, not to OK.
    PressKeys(VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return FocusedSheet(d) == d->tsDisplay; })) << FocusName();
    Press(d->btnCancel);
  });
}

}  // namespace
