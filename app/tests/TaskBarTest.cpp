// The board's task-bar button: the application window carries it, with the program's title and icon,
// while the main window shows; hiding the window to the tray takes it away, showing it brings it back.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <vector>

#include "AppTestSupport.h"
#include "StTrIcon.h"

namespace {

// What the shell's task bar looks at: a visible window that no other window owns and that is no tool
// window.
bool HasTaskBarButton(HWND Wnd) {
  return IsWindowVisible(Wnd) && !GetWindow(Wnd, GW_OWNER) && !(GetWindowLongPtrA(Wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

TEST(TaskBar, TheApplicationWindowCarriesTheButtonWhileTheMainWindowShows) {
  TSettingsSandbox sandbox;
  TTestFolder folder{"taskbar"};
  TBoxAnswers boxes;
  WriteTestSettings(folder.Path(), 0, 0);
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
TEST(TaskBar, ARestartedTaskBarGetsTheTrayIconBack) {
  TSettingsSandbox sandbox;
  TTestFolder folder{"taskbarcreated"};
  TBoxAnswers boxes;
  WriteTestSettings(folder.Path(), 0, 0);
  StShellNotifyIcon = Shell_NotifyIconA;
  TScopeExit noTray([] { StShellNotifyIcon = [](DWORD, PNOTIFYICONDATAA) { return TRUE; }; });
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
