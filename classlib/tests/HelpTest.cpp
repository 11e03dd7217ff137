// Help requests: what HelpContext and HelpJump ask the help viewer, and F1 pressed on a form asking
// for the topic of the focused control or of its nearest container that has one. A window of the
// viewer's class in this process stands in for the viewer and records each request WinHelp sends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExtCtrlsPanels.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TFormsEnvironment);

// The request block WinHelp hands the viewer in WM_COPYDATA.
struct TWinHelpRequest {
  WORD Size, Command;
  LONG Data, Reserved;
  WORD OfsFileName, OfsData;
};
struct TRequest {
  UINT Command;
  LONG Data;
  std::string File;
};
std::vector<TRequest> Requests;

LRESULT CALLBACK ViewerProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_COPYDATA) {
    auto* cds = reinterpret_cast<COPYDATASTRUCT*>(L);
    auto* r = static_cast<const TWinHelpRequest*>(cds->lpData);
    Requests.push_back({r->Command, r->Data, r->OfsFileName ? reinterpret_cast<const char*>(r) + r->OfsFileName : ""});
    return TRUE;
  }
  return DefWindowProcA(Wnd, Msg, W, L);
}

class Help : public ::testing::Test {
protected:
  HWND Viewer = nullptr;
  void SetUp() override {
    // A real viewer left by another test program would take the requests: it is closed first.
    for (HWND w; (w = FindWindowA("MS_WINHELP", nullptr)) != nullptr;) {
      PostMessageA(w, WM_CLOSE, 0, 0);
      PumpUntil([&] { return !IsWindow(w); });
      if (IsWindow(w)) break;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = ViewerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MS_WINHELP";
    RegisterClassA(&wc);
    Viewer = CreateWindowA("MS_WINHELP", "viewer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_EQ(FindWindowA("MS_WINHELP", nullptr), Viewer);
    Requests.clear();
    Application->SetHelpFile("C:\\help\\test.hlp");
  }
  void TearDown() override {
    DestroyWindow(Viewer);
    Application->SetHelpFile("");
  }
};

TEST_F(Help, ContextAndJumpAskTheViewerForTheTopicByNumber) {
  EXPECT_TRUE(Application->HelpContext(12));
  EXPECT_TRUE(Application->HelpJump("Administer_Users"));
  ASSERT_EQ(Requests.size(), 2u);
  EXPECT_EQ(Requests[0].Command, UINT(HELP_CONTEXT));
  EXPECT_EQ(Requests[0].Data, 12);
  EXPECT_EQ(Requests[0].File, "C:\\help\\test.hlp");
  EXPECT_EQ(Requests[1].Command, UINT(HELP_CONTEXT));
  EXPECT_EQ(Requests[1].Data, HelpHash("Administer_Users"));
  // The hash WinHelp files are looked up by: letters of either case, digits, '.', '_'; others skipped.
  EXPECT_EQ(HelpHash("A"), 17);
  EXPECT_EQ(HelpHash("z0._9"), (((42 * 43 + 10) * 43 + 12) * 43 + 13) * 43 + 9);
  EXPECT_EQ(HelpHash("Administer_Users"), HelpHash("ADMINISTER_users"));
  EXPECT_EQ(HelpHash("Contents"), HelpHash("Con tents!"));
  EXPECT_EQ(HelpHash("Administer_statuses"), -1353755459);  // wraps as the viewer's 32-bit sum does

  // No help file: nothing is asked.
  Application->SetHelpFile("");
  EXPECT_FALSE(Application->HelpContext(12));
  EXPECT_EQ(Requests.size(), 2u);
}

TEST_F(Help, F1AsksForTheFocusedControlsTopicOrItsContainers) {
  Owned<TForm> f(new TForm(nullptr));
  f->SetBounds(100, 100, 300, 200);
  f->SetHelpContext(7);
  auto* panel = new TPanel(f.get());
  panel->SetParent(f.get());
  panel->SetBounds(0, 0, 300, 100);
  panel->SetHelpContext(9);
  auto* inPanel = new TEdit(panel);
  inPanel->SetParent(panel);
  auto* own = new TButton(f.get());
  own->SetParent(f.get());
  own->SetBounds(10, 120, 75, 25);
  own->SetHelpContext(14);
  auto* plain = new TEdit(f.get());
  plain->SetParent(f.get());
  plain->SetBounds(100, 120, 75, 25);
  f->Show();

  auto pressF1 = [&](TWinControl* Target) -> LONG {
    for (int attempt = 0; attempt < 3; ++attempt) {  // another program may hold the keyboard a moment
      Requests.clear();
      SetForegroundWindow(f->Handle());
      Target->SetFocus();
      Application->ProcessMessages();
      if (GetFocus() != Target->Handle()) continue;
      INPUT in[2] = {};
      in[0].type = in[1].type = INPUT_KEYBOARD;
      in[0].ki.wVk = in[1].ki.wVk = VK_F1;
      in[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, in, sizeof(INPUT));
      if (PumpUntil([] { return !Requests.empty(); })) return Requests.size() == 1 ? Requests[0].Data : -2;
    }
    return -1;
  };
  EXPECT_EQ(pressF1(inPanel), 9);
  EXPECT_EQ(pressF1(own), 14);
  EXPECT_EQ(pressF1(plain), 7);
  EXPECT_EQ(Requests[0].Command, UINT(HELP_CONTEXT));
}

}  // namespace
