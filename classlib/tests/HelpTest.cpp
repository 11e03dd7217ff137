// Help requests: what HelpContext and HelpJump ask the help viewer, and F1 pressed on a form asking
// for the topic of the focused control or of its nearest container that has one. A window of the
// viewer's class in this process stands in for the viewer and records each request WinHelp sends;
// helpnote.exe (a viewer program: no version information) and helpstub.exe (carrying the version text
// of the WinHelp stub of later Windows) stand in for the viewer's program and note each start.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ExtCtrlsPanels.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "SysUtils.h"
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

std::string Here() { return ExtractFilePath(ParamStr(0)); }

std::string ReadFile(const std::string& Name) {
  std::ifstream f(Name, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// The notes helpnote.exe left in Folder, one per start.
std::vector<std::string> Notes(const std::string& Folder) {
  std::vector<std::string> out;
  for (int n = 1; FileExists(Folder + "note-" + std::to_string(n) + ".txt"); ++n)
    out.push_back(ReadFile(Folder + "note-" + std::to_string(n) + ".txt"));
  return out;
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
    OpenViewer();
    Requests.clear();
    // A viewer program of our own, whatever the machine has.
    Application->SetHelpViewer(Here() + "helpnote.exe");
    Application->SetHelpFile("C:\\help\\test.hlp");
  }
  void OpenViewer() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ViewerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MS_WINHELP";
    RegisterClassA(&wc);
    Viewer = CreateWindowA("MS_WINHELP", "viewer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_EQ(FindWindowA("MS_WINHELP", nullptr), Viewer);
  }
  void TearDown() override {
    DestroyWindow(Viewer);
    Application->HelpCommand(HELP_QUIT, 0);
    Application->SetHelpFile("");
    Application->SetHelpViewer("");
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

// The viewer not running yet: the program starts it once and goes on; the request reaches the viewer
// once its window is there, and only the newest of those asked meanwhile.
TEST_F(Help, AViewerNotRunningIsStartedOnceAndGetsTheRequestWhenItsWindowIsThere) {
  TTempFolder folder("helpviewer");
  ASSERT_TRUE(CopyFileA((Here() + "helpnote.exe").c_str(), folder.File("viewer.exe").c_str(), FALSE));
  Application->SetHelpViewer(folder.File("viewer.exe"));
  DestroyWindow(Viewer);
  Viewer = nullptr;
  EXPECT_TRUE(Application->HelpContext(12));
  EXPECT_TRUE(Application->HelpJump("Administer_Users"));
  ASSERT_TRUE(PumpUntil([&] { return Notes(folder.Path()).size() == 1; }));
  EXPECT_NE(Notes(folder.Path())[0].find("viewer.exe\" -x"), std::string::npos) << Notes(folder.Path())[0];
  // The viewer has made no window: nothing was asked yet, and the program did not wait for it.
  EXPECT_TRUE(Requests.empty());
  OpenViewer();
  ASSERT_TRUE(PumpUntil([] { return !Requests.empty(); }));
  Pump(300);  // time for a second request, were one asked
  ASSERT_EQ(Requests.size(), 1u);
  EXPECT_EQ(Requests[0].Command, UINT(HELP_CONTEXT));
  EXPECT_EQ(Requests[0].Data, HelpHash("Administer_Users"));
  EXPECT_EQ(Requests[0].File, "C:\\help\\test.hlp");
  // With its window there, the next request goes straight to it; the viewer was started once.
  EXPECT_TRUE(Application->HelpContext(5));
  ASSERT_EQ(Requests.size(), 2u);
  EXPECT_EQ(Requests[1].Data, 5);
  EXPECT_EQ(Notes(folder.Path()).size(), 1u);
}

// No viewer, or only the stub: requests go to the help file's web pages, never to a viewer.
TEST_F(Help, AMissingViewerOrTheStubSendsTheRequestsToThePages) {
  EXPECT_TRUE(IsHelpViewer(Here() + "helpnote.exe"));
  EXPECT_FALSE(IsHelpViewer(Here() + "helpstub.exe"));
  EXPECT_FALSE(IsHelpViewer(Here() + "nowhere\\winhlp32.exe"));
  // (Not named winhlp32.exe: Wine reads the version information of its own viewer for that name.)
  TTempFolder folder("helpstub");
  ASSERT_TRUE(CopyFileA((Here() + "helpstub.exe").c_str(), folder.File("viewer.exe").c_str(), FALSE));
  for (std::string viewer : {folder.File("viewer.exe"), folder.File("none.exe")}) {
    Application->SetHelpViewer(viewer);
    // The help file has no pages here: nothing opens, and nothing asks a viewer or starts one.
    EXPECT_FALSE(Application->HelpContext(12));
    EXPECT_FALSE(Application->HelpJump("Contents"));
    Pump(200);
    EXPECT_TRUE(Requests.empty()) << viewer;
    EXPECT_TRUE(Notes(folder.Path()).empty()) << viewer;
  }
}

// Which page each request opens: by the pages' contexts.txt beside the help file.
TEST_F(Help, ThePagesOfARequestComeFromTheContextsFile) {
  TTempFolder folder("helppages");
  EXPECT_EQ(HelpPagesFolder(folder.File("yOZ.hlp")), folder.File("yOZ-help\\"));
  const std::string pages = HelpPagesFolder(folder.File("yOZ.hlp"));
  EXPECT_EQ(HelpPage(pages, HELP_CONTEXT, 8), "");  // no pages at all
  CreateDirectoryA(pages.c_str(), nullptr);
  std::ofstream(pages + "contexts.txt") << "contents Contents.html\nindex keyword-index.html\n"
                                        << "-1353755459 Administer_statuses.html\n8 The_board.html\n"
                                        << "9 ..\\outside.html\n";
  EXPECT_EQ(HelpPage(pages, HELP_CONTEXT, 8), pages + "The_board.html");
  EXPECT_EQ(HelpPage(pages, HELP_CONTEXT, ULONG_PTR(uint32_t(HelpHash("Administer_statuses")))),
            pages + "Administer_statuses.html");
  EXPECT_EQ(HelpPage(pages, HELP_CONTEXTPOPUP, 8), pages + "The_board.html");
  EXPECT_EQ(HelpPage(pages, HELP_CONTENTS, 0), pages + "Contents.html");
  EXPECT_EQ(HelpPage(pages, HELP_FINDER, 0), pages + "Contents.html");
  EXPECT_EQ(HelpPage(pages, HELP_KEY, 0), pages + "keyword-index.html");
  EXPECT_EQ(HelpPage(pages, HELP_CONTEXT, 80), "");  // a number no topic has
  EXPECT_EQ(HelpPage(pages, HELP_CONTEXT, 9), "");   // only pages of the folder itself
  EXPECT_EQ(HelpPage(pages, HELP_SETPOPUP_POS, 0), "");
}

}  // namespace
