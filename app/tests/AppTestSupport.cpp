#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include "StTrIcon.h"
#include "SysUtils.h"

namespace {

BOOL WINAPI NoTray(DWORD, PNOTIFYICONDATAA) { return TRUE; }

// The program's start for a test process: units, application, no real tray icon.
class AppEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitForms();
    yOZInitializeUnits();
    Application->Initialize();
    StShellNotifyIcon = NoTray;
  }
  void TearDown() override { DoneForms(); }
};
const auto* const Env = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

}  // namespace

TBoxAnswers::TBoxAnswers() {
  MessageDlgHook = [this](const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons) {
    bool yesNo = Buttons.Contains(mbYes);
    Shown.push_back({Msg, Type, yesNo});
    if (!Answers.empty()) {
      int a = Answers.front();
      Answers.erase(Answers.begin());
      return a;
    }
    return yesNo ? int(mrYes) : int(mrOk);
  };
}

TBoxAnswers::~TBoxAnswers() { MessageDlgHook = nullptr; }

bool TBoxAnswers::Contains(const std::string& Text) const {
  for (const auto& b : Shown)
    if (b.Text == Text) return true;
  return false;
}

void AddUser(const std::string& Folder, const std::string& LogInName, const std::string& Status,
             const std::string& Department, int16_t Administrator) {
  TIsamFile f("");
  ASSERT_TRUE(f.Open(Folder + UserFileName, 3)) << f.ErrorText();
  TUserRec rec;
  rec.SetName(LogInName);
  rec.SetLogInName(LogInName);
  rec.SetStatus(Status);
  rec.SetDepartment(Department);
  rec.SetAdministrator(Administrator);
  rec.SetUpdated(DateTimeToStr(Now()));
  ASSERT_TRUE(f.Add(rec.Data, "")) << f.ErrorText();
  f.Close();
}

TUserRec ReadUser(const std::string& Folder, const std::string& LogInName) {
  TUserRec rec;
  TIsamFile f("");
  if (!f.Open(Folder + UserFileName, 3)) return rec;
  if (!f.GetEqual(rec.Data, 7, LogInName)) rec.ClearAll();
  f.Close();
  return rec;
}

void WriteStatus(const std::string& Folder, const std::string& LogInName, const std::string& Status) {
  TIsamFile f("");
  ASSERT_TRUE(f.Open(Folder + UserFileName, 3));
  TUserRec rec;
  ASSERT_TRUE(f.GetEqual(rec.Data, 7, LogInName));
  rec.SetStatus(Status);
  rec.SetUpdated(DateTimeToStr(Now()));
  ASSERT_TRUE(f.Replace(rec.Data, f.LastKey));
  f.Close();
}

void WriteTestSettings(const std::string& Folder, int UpdateDisplayTime, int CheckForNewMsgEvery,
                       const std::function<void(TyOZCBRec&)>& Change) {
  TyOZCB cb;
  TyOZCBRec rec;
  cb.LoadSettings(rec);
  rec.yOZDBasePath = Folder;
  rec.FirstTimeRun = false;
  rec.UpdateDisplayTime = UpdateDisplayTime;
  rec.CheckForNewMsgEvery = CheckForNewMsgEvery;
  rec.DetectScreenSaver = false;
  if (Change) Change(rec);
  cb.SaveSettings(rec);
}

TfrmMain* MakeMainWindow(bool Visible) {
  TfrmMain* f = NewForm<TfrmMain>(Application);
  frmMain = f;
  if (Visible) {
    f->Show();
    SetForegroundWindow(f->Handle());
    PumpUntil([f] { return !f->FirstActivate; }, 500);
  }
  if (f->FirstActivate) {
    try {
      f->FormActivate(f);
    } catch (...) {
      Application->HandleException(f);
    }
  }
  Application->ProcessMessages();
  return f;
}

void FreeMainWindow(TfrmMain*& Form) {
  TObject::Free(Form);
  Form = nullptr;
  frmMain = nullptr;
  Application->ProcessMessages();
}

void SendLeftClick(POINT Screen) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in[2] = {};
  for (INPUT& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = LONG((Screen.x * 65536LL + w - 1) / w);
    i.mi.dy = LONG((Screen.y * 65536LL + h - 1) / h);
  }
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(2, in, sizeof(INPUT));
}
