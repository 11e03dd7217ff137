// The board's task-bar button: the application window carries it, with the program's title and icon,
// while the main window shows; hiding the window to the tray takes it away, showing it brings it back.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <vector>

#include "AppTestSupport.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "StTrIcon.h"

namespace {

// What the shell's task bar looks at: a visible window that no other window owns and that is no tool
// window.
bool HasTaskBarButton(HWND Wnd) {
  return IsWindowVisible(Wnd) && !GetWindow(Wnd, GW_OWNER) && !(GetWindowLongPtrA(Wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

// A board's settings and folder of its own, and the real tray icon: Wine's task bar shows (its buttons
// too) only while it holds one.
class TaskBar : public ::testing::Test {
protected:
  void SetUp() override {
    WriteTestSettings(Folder.Path(), 0, 0);
    StShellNotifyIcon = Shell_NotifyIconA;
  }
  void TearDown() override {
    StShellNotifyIcon = [](DWORD, PNOTIFYICONDATAA) { return TRUE; };
  }
  TSettingsSandbox Sandbox;
  TTestFolder Folder{"taskbar"};
  TBoxAnswers Boxes;
};

TEST_F(TaskBar, TheApplicationWindowCarriesTheButtonWhileTheMainWindowShows) {
  Application->SetTitle("yOZ");
  // Made as the program makes it: the application's first form is its main form.
  TfrmMain* form = nullptr;
  Application->CreateForm(form);
  ASSERT_NE(form, nullptr);
  ASSERT_EQ(Application->MainForm(), form);
  frmMain = form;
  form->Show();
  SetForegroundWindow(form->Handle());
  PumpUntil([&] { return !form->FirstActivate; }, 1000);
  if (form->FirstActivate) form->FormActivate(form);
  Application->ProcessMessages();
  HWND app = Application->Handle();
  EXPECT_TRUE(HasTaskBarButton(app));
  char title[64] = {};
  GetWindowTextA(app, title, sizeof title);
  EXPECT_STREQ(title, "yOZ");
  EXPECT_NE(::SendMessageA(app, WM_GETICON, ICON_BIG, 0), 0);
  // The board's own window stays off the task bar: one button for the program.
  EXPECT_FALSE(HasTaskBarButton(form->Handle()));

  // Minimising hides the board to the tray, and the button goes with it.
  ASSERT_TRUE(form->StTrayIcon->MinimizeToTray());
  ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpUntil([&] { return !IsWindowVisible(form->Handle()); });
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(HasTaskBarButton(app));

  form->Show();
  PumpUntil([&] { return IsWindowVisible(form->Handle()); });
  EXPECT_TRUE(HasTaskBarButton(app));

  // The button's activation passes the focus on to the board.
  SetForegroundWindow(app);
  ::SetFocus(app);
  PumpUntil([&] { return GetActiveWindow() == form->Handle(); });
  EXPECT_EQ(GetActiveWindow(), form->Handle());

  // A box a timer raised waits while the user works in another window: a click on the button brings
  // the box forward, not the board it keeps disabled.
  struct TButtonClicker {
    HWND App;
    HWND Other = nullptr;
    HWND Box = nullptr;
    bool BoxCameForward = false;
    // Waits for Done while this thread's window (the other program) answers its messages.
    static bool Until(const std::function<bool()>& Done, DWORD Limit = 20000) {
      for (DWORD start = GetTickCount(); !Done();) {
        if (GetTickCount() - start > Limit) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
      }
      return true;
    }
    static void ClickMiddle(HWND W) {
      RECT r{};
      if (GetWindowRect(W, &r)) SendLeftClick(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    static DWORD WINAPI Run(void* P) {
      auto* self = static_cast<TButtonClicker*>(P);
      // Another program's window, on a thread of its own.
      self->Other = CreateWindowExA(0, "STATIC", "another program", WS_POPUP | WS_CAPTION | WS_VISIBLE, 500, 500, 200,
                                    100, nullptr, nullptr, nullptr, nullptr);
      TScopeExit noOther([self] { DestroyWindow(self->Other); });
      if (!Until([&] { return (self->Box = FindWindowA("#32770", "Information")) && IsWindowVisible(self->Box); }))
        return 0;
      SetForegroundWindow(self->Other);
      Until([&] { return GetForegroundWindow() == self->Other; });
      // Wine's task bar keeps the window a button stands for as the button's id.
      HWND button = self->App;
      EnumChildWindows(
          FindWindowA("Shell_TrayWnd", nullptr),
          [](HWND W, LPARAM Found) {
            auto* f = reinterpret_cast<HWND*>(Found);
            if (IsWindowVisible(W) && HWND(GetWindowLongPtrA(W, GWLP_ID)) == *f) *f = W;
            return TRUE;
          },
          LPARAM(&button));
      if (button == self->App) return 0;
      ClickMiddle(button);
      self->BoxCameForward = Until([&] { return GetForegroundWindow() == self->Box; });
      // The user answers it, clicking again while it stays (a click taken while it came forward).
      for (DWORD start = GetTickCount(); IsWindow(self->Box) && GetTickCount() - start < 20000;) {
        ClickMiddle(GetDlgItem(self->Box, IDOK));
        Until([&] { return !IsWindow(self->Box); }, 2000);
      }
      return 0;
    }
  } clicker{app};
  HANDLE thread = CreateThread(nullptr, 0, &TButtonClicker::Run, &clicker, 0, nullptr);
  struct TRaise {
    int Answer = mrNone;
    void Tick(TObject* Sender) {
      static_cast<TTimer*>(Sender)->SetEnabled(false);
      Answer = MessageDlg("You have a new yOZ message", mtInformation, {mbOK});
    }
  } raise;
  auto* timer = new TTimer(nullptr);
  TScopeExit freeTimer([timer] { TObject::Free(timer); });
  MessageDlgHook = nullptr;  // the real box
  timer->SetInterval(10);
  timer->SetOnTimer(Bind(&raise, &TRaise::Tick));
  EXPECT_TRUE(PumpUntil([&] { return raise.Answer != mrNone; }, 60000));
  WaitForSingleObject(thread, 60000);
  CloseHandle(thread);
  EXPECT_TRUE(clicker.Box) << "no box";
  EXPECT_TRUE(clicker.BoxCameForward) << "the button did not bring the box forward";
  EXPECT_EQ(raise.Answer, mrOk);

  FreeMainWindow(form);
  EXPECT_FALSE(IsWindowVisible(app));
}

// The pixels of the task bar as the screen shows them, and its place.
struct TBarShot {
  RECT Place{};
  std::vector<COLORREF> Pixels;
};
TBarShot TaskBarShot() {
  TBarShot shot;
  HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
  if (!bar || !GetWindowRect(bar, &shot.Place)) return shot;
  int w = shot.Place.right - shot.Place.left, h = shot.Place.bottom - shot.Place.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitBlt(dc, 0, 0, w, h, screen, shot.Place.left, shot.Place.top, SRCCOPY);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) shot.Pixels.push_back(GetPixel(dc, x, y));
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return shot;
}
// The middle of the icons the bar shows right of its middle (its own background left of them), on the
// screen.
std::optional<POINT> TrayIcons(const TBarShot& Shot) {
  const int w = Shot.Place.right - Shot.Place.left, h = Shot.Place.bottom - Shot.Place.top;
  if (Shot.Pixels.empty()) return std::nullopt;
  const COLORREF ground = Shot.Pixels[(h / 2) * w + w / 2];
  RECT r{INT_MAX, INT_MAX, -1, -1};
  for (int y = 0; y < h; ++y)
    for (int x = w / 2; x < w; ++x)
      if (Shot.Pixels[y * w + x] != ground)
        r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x), std::max<LONG>(r.bottom, y)};
  if (r.right < 0) return std::nullopt;
  return POINT{Shot.Place.left + (r.left + r.right) / 2, Shot.Place.top + (r.top + r.bottom) / 2};
}

// A task bar that restarts (Explorer ending, an update, a new remote session) loses every icon and
// tells each top-level window: the board hidden to the tray gets its icon back, and a double click on
// it shows the board again.
TEST_F(TaskBar, ARestartedTaskBarGetsTheTrayIconBack) {
  TfrmMain* form = MakeMainWindow(true);
  TStTrayIcon* tray = form->StTrayIcon;
  ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(form->Handle()); }));
  ASSERT_TRUE(tray->InTray());
  // The bar as the explorer has drawn it with the icon: two shots in a row the same.
  TBarShot with, last;
  ASSERT_TRUE(PumpUntil([&] {
    with = TaskBarShot();
    bool settled = with.Pixels == last.Pixels && TrayIcons(with);
    last = with;
    return settled;
  })) << "the board's icon never showed on the task bar";
  const POINT icon = *TrayIcons(with);

  // What a task bar that ends takes with it, done behind the board's back.
  NOTIFYICONDATAA gone{};
  gone.cbSize = sizeof gone;
  gone.hWnd = tray->NotifyWindow();
  gone.uID = StTrayIconID;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
  ASSERT_TRUE(PumpUntil([&] { return !TrayIcons(TaskBarShot()); })) << "the icon never left";

  // The task bar's word goes to every top-level window of the program.
  const UINT created = RegisterWindowMessageA("TaskbarCreated");
  EnumThreadWindows(
      GetCurrentThreadId(), [](HWND w, LPARAM m) { ::SendMessageA(w, UINT(m), 0, 0); return TRUE; }, LPARAM(created));
  EXPECT_TRUE(PumpUntil([&] { return TaskBarShot().Pixels == with.Pixels; })) << "the icon did not come back as it was";

  for (int i = 0; i < 2; ++i) SendLeftClick(icon);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()); })) << "a double click on the icon did not show the board";
  FreeMainWindow(form);
}

}  // namespace
