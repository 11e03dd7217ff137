// The board's task-bar button: the application window carries it, with the program's title and icon,
// while the main window shows; hiding the window to the tray takes it away, showing it brings it back.
#include <gtest/gtest.h>

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

}  // namespace
