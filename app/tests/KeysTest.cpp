// The board's shortcut keys reach their commands once, whichever control has the focus (the department
// tree, the board or a button): through the command bars' keyboard hook when a toolbar shows the
// command, else through the form's IsShortCut and its action list.
#include <gtest/gtest.h>

#include <string>

#include "AppTestSupport.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZUser.h"

namespace {

// Ctrl+Key (or Key alone) as the keyboard sends it, to the foreground window's focus.
void PressShortCut(WORD Key, bool Ctrl) {
  INPUT in[4] = {};
  int n = 0;
  auto add = [&](WORD vk, DWORD flags) {
    in[n].type = INPUT_KEYBOARD;
    in[n].ki.wVk = vk;
    in[n].ki.dwFlags = flags;
    ++n;
  };
  if (Ctrl) add(VK_CONTROL, 0);
  add(Key, 0);
  add(Key, KEYEVENTF_KEYUP);
  if (Ctrl) add(VK_CONTROL, KEYEVENTF_KEYUP);
  SendInput(UINT(n), in, sizeof(INPUT));
}

class Keys : public ::testing::Test {
protected:
  TSettingsSandbox Sandbox;
  TTestFolder Folder{"keys"};
  TBoxAnswers Boxes;
  TfrmMain* Form = nullptr;

  void TearDown() override {
    if (Form) FreeMainWindow(Form);
    MainDialogs = TMainDialogs();
  }

  // Presses the key with the focus on Target until Done() holds. Other test programs on the display
  // may take the focus for a moment: the key is pressed again only when the focus was not on Target
  // before it went, or the key went nowhere in a generous time (pressed again sooner, a slow first
  // press would count twice).
  template <class F>
  bool PressUntil(TWinControl* Target, WORD Key, bool Ctrl, F Done) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      SetForegroundWindow(Form->Handle());
      Target->SetFocus();
      Application->ProcessMessages();
      if (GetFocus() != Target->Handle()) continue;
      PressShortCut(Key, Ctrl);
      if (PumpUntil(Done)) return true;
    }
    return false;
  }
};

TEST_F(Keys, EveryShortcutWorksWithTheFocusInTheTreeTheBoardOrAButton) {
  WriteTestSettings(Folder.Path(), 0, 0);
  Form = MakeMainWindow(true);
  ASSERT_NE(Form, nullptr);
  int comments = 0, settings = 0, pickers = 0;
  MainDialogs.Comments = [&] { ++comments; };
  MainDialogs.Settings = [&](TyOZCBRec&, TyOZConfigRec&) {
    ++settings;
    return int(mrCancel);
  };
  MainDialogs.SelectStatus = [&](std::string&) {
    ++pickers;
    return false;
  };
  auto* button = new TButton(Form);
  button->SetParent(Form);
  button->SetBounds(200, 100, 60, 20);
  button->SetCaption("Focus");

  struct Status {
    WORD Key;
    const char* Expected;
  };
  const Status statuses[] = {
      {'L', "At lunch"},   {'A', "Available"},  {'W', "Away from desk"}, {'D', "DND"},      {'G', "Gone home"},
      {'M', "In meeting"}, {'H', "On vacation"}, {'O', "Out of office"},  {'K', "Off sick"},
  };
  const std::pair<const char*, TWinControl*> targets[] = {
      {"tree", Form->tvMain}, {"board", Form->lvMain}, {"button", button}};
  for (const auto& [where, target] : targets) {
    SCOPED_TRACE(where);
    for (const Status& s : statuses) {
      bool done = PressUntil(target, s.Key, true, [&] { return yOZCurrentUser && yOZCurrentUser->Status == s.Expected; });
      EXPECT_TRUE(done) << "Ctrl+" << char(s.Key) << " should set " << s.Expected;
    }
    const int c = comments, st = settings, p = pickers;
    EXPECT_TRUE(PressUntil(target, 'T', true, [&] { return comments > c; })) << "Ctrl+T";
    EXPECT_TRUE(PressUntil(target, 'S', true, [&] { return settings > st; })) << "Ctrl+S";
    EXPECT_TRUE(PressUntil(target, 'C', true, [&] { return pickers > p; })) << "Ctrl+C";
    // No key ran its command twice: watched for a while, since a second run would come late.
    Pump(1000);
    EXPECT_EQ(comments, c + 1);
    EXPECT_EQ(settings, st + 1);
    EXPECT_EQ(pickers, p + 1);
  }
  EXPECT_EQ(ReadUser(Folder.Path(), GetLogInName()).Status(), "Off sick");
}

}  // namespace
