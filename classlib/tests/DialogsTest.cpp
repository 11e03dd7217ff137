// Message dialogs answered by the test hook and by the scripted answers of an end-to-end run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "TestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TFormsEnvironment);

struct Seen {
  std::string Msg;
  TMsgDlgType Type = mtCustom;
  TMsgDlgButtons Buttons;
  int Calls = 0;
};

class DialogsTest : public ::testing::Test {
protected:
  void TearDown() override {
    MessageDlgHook = nullptr;
    OpenDialogHook = nullptr;
    _putenv("YOZ_DIALOG_ANSWERS=");
    _putenv("YOZ_DIALOG_LOG=");
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  std::string LogPath() {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "yoz-dialogs-" + std::to_string(GetCurrentProcessId()) + ".log";
  }
};

TEST_F(DialogsTest, HookSeesTextTypeAndButtonsAndGivesTheAnswer) {
  Seen seen;
  MessageDlgHook = [&](const std::string& m, TMsgDlgType t, TMsgDlgButtons b) {
    seen.Msg = m;
    seen.Type = t;
    seen.Buttons = b;
    ++seen.Calls;
    return int(mrNo);
  };
  int r = MessageDlg("Are you sure.  Clear your alert list?", mtConfirmation, mbYesNo, 0);
  EXPECT_EQ(r, mrNo);
  EXPECT_EQ(seen.Calls, 1);
  EXPECT_EQ(seen.Msg, "Are you sure.  Clear your alert list?");
  EXPECT_EQ(seen.Type, mtConfirmation);
  EXPECT_TRUE(seen.Buttons == mbYesNo);

  ShowMessage("Hello\r\rthere");
  EXPECT_EQ(seen.Calls, 2);
  EXPECT_EQ(seen.Type, mtInformation);
  EXPECT_TRUE(seen.Buttons == TMsgDlgButtons{mbOK});
  EXPECT_EQ(seen.Msg, "Hello\r\rthere");  // byte for byte, two CRs
}

TEST_F(DialogsTest, CaptionsOfTheTypes) {
  EXPECT_EQ(MsgDlgCaption(mtInformation), "Information");
  EXPECT_EQ(MsgDlgCaption(mtConfirmation), "Confirm");
  EXPECT_EQ(MsgDlgCaption(mtWarning), "Warning");
  EXPECT_EQ(MsgDlgCaption(mtError), "Error");
}

TEST_F(DialogsTest, ScriptedAnswersAreTakenInOrderThenTheFirstButton) {
  _putenv("YOZ_DIALOG_ANSWERS=No, yes ,OK");
  EXPECT_EQ(MessageDlg("one", mtConfirmation, mbYesNo), mrNo);
  EXPECT_EQ(MessageDlg("two", mtInformation, mbYesNo), mrYes);
  EXPECT_EQ(MessageDlg("three", mtError, {mbOK}), mrOk);
  // The list is used up: the first button answers, and no box blocks the run.
  EXPECT_EQ(MessageDlg("four", mtConfirmation, mbYesNo), mrYes);
  EXPECT_EQ(MessageDlg("five", mtWarning, {mbOK}), mrOk);
  // A new list starts again from its first answer.
  _putenv("YOZ_DIALOG_ANSWERS=No");
  EXPECT_EQ(MessageDlg("six", mtConfirmation, mbYesNo), mrNo);
}

TEST_F(DialogsTest, LogRecordsTypeButtonsAnswerAndEscapedText) {
  std::string log = LogPath();
  DeleteFileA(log.c_str());
  _putenv(("YOZ_DIALOG_LOG=" + log).c_str());
  _putenv("YOZ_DIALOG_ANSWERS=Yes");
  MessageDlg("Thankyou for using yOZ.\r\rWould you like yOZ to start automatically on startup?", mtInformation,
             mbYesNo);
  MessageDlgHook = [](const std::string&, TMsgDlgType, TMsgDlgButtons) { return int(mrOk); };
  MessageDlg("Line1\nLine2", mtError, {mbOK});
  std::string text = ReadFile(log);
  EXPECT_EQ(text,
            "Information|Yes,No|Yes|Thankyou for using yOZ.\\r\\rWould you like yOZ to start automatically on "
            "startup?\n"
            "Error|OK|OK|Line1\\nLine2\n");
  DeleteFileA(log.c_str());
}

TEST_F(DialogsTest, OpenDialogThroughHookAndScript) {
  TOpenDialog dlg(nullptr);
  dlg.SetDefaultExt(".wav");
  dlg.SetFilter("*.wav|*.wav");
  dlg.SetInitialDir("c:\\");
  dlg.SetTitle("Choose .WAV file");
  std::string title;
  OpenDialogHook = [&](TOpenDialog* d) {
    title = d->Title();
    d->SetFileName("c:\\sounds\\ding.wav");
    return true;
  };
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(title, "Choose .WAV file");
  EXPECT_EQ(dlg.FileName(), "c:\\sounds\\ding.wav");

  OpenDialogHook = nullptr;
  _putenv("YOZ_DIALOG_ANSWERS=c:\\x.wav,Cancel");
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName(), "c:\\x.wav");
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.FileName(), "c:\\x.wav");  // a cancelled dialog keeps the old name
  EXPECT_FALSE(dlg.Execute());             // nothing left: cancelled, never blocking
}

}  // namespace

namespace {

// The text without the line breaks the box's lines were given.
std::string Unbroken(std::string Text) {
  Text.erase(std::remove(Text.begin(), Text.end(), '\n'), Text.end());
  return Text;
}

// Watches for the box from another thread, reads it (and lets the test look at it) and presses a
// button with the pointer, as a user would: again while the box is still up, 30 s at most.
struct BoxAnswerer {
  std::string Caption;
  int Button = IDOK;
  std::function<void(HWND)> Look;
  bool Seen = false;
  std::string SeenText;
  HANDLE Thread = nullptr;
  static void ClickAt(POINT P) {
    SetCursorPos(P.x, P.y);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
  }
  static DWORD WINAPI Run(void* p) {
    auto* self = static_cast<BoxAnswerer*>(p);
    const DWORD start = GetTickCount();
    auto inTime = [start] { return GetTickCount() - start < 30000; };
    HWND box = nullptr;
    while (inTime() && !((box = FindWindowA("#32770", self->Caption.c_str())) && IsWindowVisible(box))) Sleep(20);
    if (!box) return 0;
    self->Seen = true;
    // The message text is the box's static control with id 0xFFFF.
    char buf[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, buf, sizeof buf);
    self->SeenText = buf;
    if (self->Look) self->Look(box);
    while (inTime() && IsWindow(box)) {
      RECT r;
      if (GetWindowRect(GetDlgItem(box, self->Button), &r)) ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
      for (DWORD pressed = GetTickCount(); IsWindow(box) && GetTickCount() - pressed < 2000;) Sleep(20);
    }
    return 0;
  }
  void Start() { Thread = CreateThread(nullptr, 0, &Run, this, 0, nullptr); }
  void Join() {
    WaitForSingleObject(Thread, 40000);
    CloseHandle(Thread);
  }
};

TEST_F(DialogsTest, TheRealBoxShowsTheTextAndAnswersWithTheButtonPressed) {
  BoxAnswerer a;
  a.Caption = "Confirm";
  a.Button = IDNO;
  a.Start();
  int r = MessageDlg("Are you sure you want to delete the selected message?", mtConfirmation, mbYesNo);
  a.Join();
  EXPECT_TRUE(a.Seen);
  EXPECT_EQ(Unbroken(a.SeenText), "Are you sure you want to delete the selected message?");
  EXPECT_EQ(r, mrNo);

  BoxAnswerer b;
  b.Caption = "Error";
  b.Button = IDOK;
  b.Start();
  EXPECT_EQ(MessageDlg("Unable to determine font size", mtError, {mbOK}), mrOk);
  b.Join();
  EXPECT_TRUE(b.Seen);
}

}  // namespace

namespace {

// A message shown in the real box: the lines of its text control, how wide the widest is drawn and
// how wide the control is (a wider line is broken again by the box, wherever the system breaks it).
struct TShownText {
  std::string Text;
  std::vector<std::string> Lines;
  int Widest = 0, Room = 0;
};

TShownText ShowInBox(const std::string& Message) {
  TShownText shown;
  BoxAnswerer m;
  m.Caption = "Error";
  m.Look = [&shown](HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    char buf[1024] = {};
    GetWindowTextA(text, buf, sizeof buf);
    RECT client;
    GetClientRect(text, &client);
    shown.Room = client.right;
    HDC dc = GetDC(text);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)));
    std::string line;
    for (const char* c = buf;; ++c) {
      if (*c && *c != '\r' && *c != '\n') {
        line += *c;
        continue;
      }
      SIZE s{};
      GetTextExtentPoint32A(dc, line.c_str(), int(line.size()), &s);
      shown.Widest = std::max(shown.Widest, int(s.cx));
      shown.Lines.push_back(line);
      line.clear();
      if (!*c) break;
    }
    SelectObject(dc, old);
    ReleaseDC(text, dc);
  };
  m.Start();
  EXPECT_EQ(MessageDlg(Message, mtError, {mbOK}), mrOk);
  m.Join();
  shown.Text = m.SeenText;
  return shown;
}

// A folder path far longer than a line shows whole, broken into lines that fit, after its backslashes.
TEST_F(DialogsTest, ABoxShowsAPathLongerThanALineWhole) {
  std::string path = "Y:\\";
  while (path.size() < 300) path += "a-folder-with-a-long-name-" + std::to_string(path.size()) + "\\";
  const std::string message = "Unable to use the folder " + path + " as the database location.";
  TShownText shown = ShowInBox(message);
  ASSERT_FALSE(shown.Text.empty());
  EXPECT_LE(shown.Widest, shown.Room) << shown.Text;
  EXPECT_EQ(Unbroken(shown.Text), message);
  EXPECT_NE(shown.Text.find("\\\na-folder"), std::string::npos) << shown.Text;
}

// A short path inside a sentence is kept whole on one line (the box would break a wider line before
// its backslash).
TEST_F(DialogsTest, ABoxKeepsAPathThatFitsALineUnbroken) {
  const std::string message = "Unable to write to the yOZ database location \"Y:\\ro\\\"\r\rPlease check that you "
                              "have network permissions and rights to the database folder";
  TShownText shown = ShowInBox(message);
  EXPECT_LE(shown.Widest, shown.Room) << shown.Text;
  EXPECT_EQ(Unbroken(shown.Text), message);
  EXPECT_TRUE(std::any_of(shown.Lines.begin(), shown.Lines.end(),
                          [](const std::string& l) { return l.find("\"Y:\\ro\\\"") != std::string::npos; }))
      << shown.Text;
}

}  // namespace

namespace {

// A box a timer raises (an announcement, another machine's change) may come while the user works in
// another program: it stands above the other programs' windows, belongs to the form the user sees and
// is answered with the pointer. A box the user's own command raises stays as it was.
TEST_F(DialogsTest, ABoxATimerRaisesStandsAboveOtherProgramsAndBelongsToTheFormShowing) {
  Owned<TForm> board(new TForm(nullptr));
  board->SetBounds(40, 40, 300, 200);
  board->Show();
  struct Look {
    bool Topmost = false;
    HWND Owner = nullptr;
  };
  auto looker = [](Look& l, bool WaitForTopmost) {
    return [&l, WaitForTopmost](HWND box) {
      auto topmost = [box] { return (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
      for (DWORD start = GetTickCount(); WaitForTopmost && !topmost() && GetTickCount() - start < 10000;) Sleep(10);
      l.Topmost = topmost();
      l.Owner = GetWindow(box, GW_OWNER);
    };
  };

  // A second timer raises its box while the first box is open (an alert on top of an announcement):
  // it is seen above other programs too, and answered first.
  Look fromTimer, fromSecondTimer;
  BoxAnswerer a, b;
  a.Caption = "Information";
  a.Look = looker(fromTimer, true);
  b.Caption = "Warning";
  b.Look = looker(fromSecondTimer, true);
  a.Start();
  b.Start();
  struct Raise {
    TTimer* Next = nullptr;
    const char* Text;
    TMsgDlgType Type;
    int Answer = mrNone;
    void Tick(TObject* Sender) {
      static_cast<TTimer*>(Sender)->SetEnabled(false);
      if (Next) Next->SetEnabled(true);
      Answer = MessageDlg(Text, Type, {mbOK});
    }
  };
  Raise second{nullptr, "Status update", mtWarning};
  Raise first{nullptr, "You have a new message", mtInformation};
  auto* secondTimer = new TTimer(nullptr);
  auto* firstTimer = new TTimer(nullptr);
  TScopeExit freeTimers([=] {
    TObject::Free(firstTimer);
    TObject::Free(secondTimer);
  });
  secondTimer->SetEnabled(false);
  secondTimer->SetInterval(10);
  secondTimer->SetOnTimer(Bind(&second, &Raise::Tick));
  first.Next = secondTimer;
  firstTimer->SetInterval(10);
  firstTimer->SetOnTimer(Bind(&first, &Raise::Tick));
  EXPECT_TRUE(PumpUntil([&] { return first.Answer != mrNone; }, 60000));
  a.Join();
  b.Join();
  EXPECT_EQ(first.Answer, mrOk);
  EXPECT_EQ(second.Answer, mrOk);
  EXPECT_EQ(a.SeenText, "You have a new message");
  EXPECT_TRUE(fromTimer.Topmost);
  EXPECT_EQ(fromTimer.Owner, board->WindowHandle());
  EXPECT_EQ(b.SeenText, "Status update");
  EXPECT_TRUE(fromSecondTimer.Topmost);
  EXPECT_FALSE(TUnaskedBoxScope::Active());

  Look asked;
  BoxAnswerer c;
  c.Caption = "Confirm";
  c.Button = IDYES;
  c.Look = looker(asked, false);
  c.Start();
  EXPECT_EQ(MessageDlg("Clear your alert list?", mtConfirmation, mbYesNo), mrYes);
  c.Join();
  EXPECT_FALSE(asked.Topmost);
}

}  // namespace
