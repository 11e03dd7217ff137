// The board's help under Wine's help viewer: F1 and the Help buttons of the windows open the right topic
// of the generated yOZ.hlp. Each check reads the topic the viewer shows (its heading is the first line of
// the text) and saves a picture of the viewer as build/screens/help-<topic>.bmp.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "DatabaseWizard.h"
#include "DialogTestSupport.h"
#include "Settings.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZComments.h"
#include "yOZDepartments.h"
#include "yOZStatuses.h"
#include "yOZUsers.h"

namespace {

HWND ViewerWindow() {
  HWND w = FindWindowA("MS_WINHELP", nullptr);
  return w && IsWindowVisible(w) ? w : nullptr;
}

// The text of the viewer's topic pane (a rich edit control among its children).
std::string ViewerText() {
  HWND viewer = ViewerWindow();
  if (!viewer) return "";
  std::string text;
  EnumChildWindows(
      viewer,
      [](HWND w, LPARAM p) -> BOOL {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (!strstr(CharLowerA(cls), "richedit")) return TRUE;
        // (GetWindowText would give another process's control its caption, not its text.)
        char buf[4096] = {};
        DWORD_PTR got = 0;
        SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, &got);
        *reinterpret_cast<std::string*>(p) = buf;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

// Saves the viewer window as it shows on the screen.
void SaveViewerPicture(const std::string& Name) {
  HWND viewer = ViewerWindow();
  RECT r;
  if (!viewer || !GetWindowRect(viewer, &r)) return;
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  const DWORD size = DWORD(((w * 3 + 3) & ~3) * h);
  BITMAPFILEHEADER fh{0x4D42, DWORD(sizeof fh + sizeof bi.bmiHeader + size), 0, 0, DWORD(sizeof fh + sizeof bi.bmiHeader)};
  std::string folder = ExtractFilePath(ParamStr(0)) + "..\\screens\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  if (FILE* f = fopen((folder + "help-" + Name + ".bmp").c_str(), "wb")) {
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    fwrite(bits, 1, size, f);
    fclose(f);
  }
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

// Waits for the viewer to show the topic headed Title (the viewer starts cold the first time).
bool ViewerShows(const std::string& Title, const std::string& Picture) {
  bool shown = PumpUntil([&] { return ViewerText().rfind(Title + "\r", 0) == 0; });
  if (shown) {
    PumpUntilPainted(ViewerWindow());
    SaveViewerPicture(Picture);
  }
  return shown;
}

// F1 pressed on the keyboard with the focus on Target.
void PressF1(TWinControl* Target) {
  SetForegroundWindow(GetAncestor(Target->Handle(), GA_ROOT));
  Target->SetFocus();
  Application->ProcessMessages();
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = VK_F1;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// A left click at a screen point, as the mouse makes it.
void ClickScreen(POINT P) {
  THoldPointer hold(P);
  SendLeftClick(P);
  PumpQueued();
}

// The visible window of another process under Parent whose class is Class and whose text, without its
// '&', is Text (any text when empty).
HWND FindIn(HWND Parent, const char* Class, const std::string& Text) {
  struct Ctx { const char* Class; std::string Text; HWND Found; } ctx{Class, Text, nullptr};
  EnumChildWindows(
      Parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(p);
        char cls[64] = {}, text[128] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (lstrcmpiA(cls, c->Class) != 0 || !IsWindowVisible(w)) return TRUE;
        DWORD_PTR got = 0;
        SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got);
        std::string t;
        for (char* q = text; *q; ++q)
          if (*q != '&') t += *q;
        if (!c->Text.empty() && t != c->Text) return TRUE;
        c->Found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.Found;
}

// The entries of another process's list box (SendMessageW: the ANSI message gives one character).
std::vector<std::string> ListBoxEntries(HWND List) {
  std::vector<std::string> out;
  int n = int(SendMessageW(List, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t buf[256] = {};
    if (SendMessageW(List, LB_GETTEXTLEN, i, 0) >= 255) continue;
    SendMessageW(List, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
    char a[256] = {};
    WideCharToMultiByte(CP_ACP, 0, buf, -1, a, sizeof a, nullptr, nullptr);
    out.push_back(a);
  }
  return out;
}

class Help : public ::testing::Test {
protected:
  static inline TSettingsSandbox* Sandbox;
  static inline TTestFolder* Folder;
  static inline TfrmMain* Form;
  static inline TBoxAnswers* Boxes;
  static inline std::string StartHelpFile;

  // One board for all the checks: the viewer then stays open between them, as it does for a user.
  static void SetUpTestSuite() {
    Sandbox = new TSettingsSandbox;
    Folder = new TTestFolder("help");
    Boxes = new TBoxAnswers;
    WriteTestSettings(Folder->Path(), 0, 0);
    Form = MakeMainWindow(true);
    StartHelpFile = Application->HelpFile();
    MakeDialogs();
  }
  static void TearDownTestSuite() {
    FreeDialogs();
    FreeMainWindow(Form);
    // The viewer closes with the program's last help request.
    Application->HelpCommand(HELP_QUIT, 0);
    PumpUntil([] { return !FindWindowA("MS_WINHELP", nullptr); });
    delete Boxes;
    delete Folder;
    delete Sandbox;
  }
  void SetUp() override {
    ASSERT_FALSE(Form->ShuttingDown);
    // The board's start names the help file after the program; the generated one lies beside it.
    Application->SetHelpFile(ExtractFilePath(ParamStr(0)) + "yOZ.hlp");
  }
};

TEST_F(Help, TheBoardNamesItsHelpFileAfterTheProgramAndF1OpensTheContents) {
  EXPECT_EQ(StartHelpFile, ChangeFileExt(ParamStr(0), ".hlp"));
  PressF1(Form->lvMain);
  EXPECT_TRUE(ViewerShows("yOZ Help", "Contents"));
}

// The viewer's Index lists the topics' keywords, and a keyword chosen there opens its topic.
TEST_F(Help, TheViewersIndexListsTheKeywordsAndOpensTheirTopics) {
  Application->HelpJump("Contents");
  ASSERT_TRUE(ViewerShows("yOZ Help", "Contents"));
  HWND index = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (index = FindIn(ViewerWindow(), "Button", "Index")) != nullptr; }));
  SetForegroundWindow(ViewerWindow());
  RECT r;
  GetWindowRect(index, &r);
  ClickScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  // The index is a dialog of the viewer's with a list of the keywords.
  HWND list = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] {
        HWND dialog = FindWindowA("#32770", nullptr);
        list = dialog ? FindIn(dialog, "ListBox", "") : nullptr;
        return list && SendMessageW(list, LB_GETCOUNT, 0, 0) > 0;
      }));
  std::vector<std::string> entries = ListBoxEntries(list);
  for (const char* k : {"board", "custom status", "InBox", "settings", "database wizard", "users, administering",
                        "departments, administering", "statuses, administering", "alerts", "contents"})
    EXPECT_NE(std::find(entries.begin(), entries.end(), k), entries.end()) << k;
  // A double click on an entry opens its topic.
  const int at = int(std::find(entries.begin(), entries.end(), "users, administering") - entries.begin());
  SendMessageW(list, LB_SETTOPINDEX, at, 0);
  RECT item;
  SendMessageW(list, LB_GETITEMRECT, at, reinterpret_cast<LPARAM>(&item));
  POINT p{item.left + 10, (item.top + item.bottom) / 2};
  ClientToScreen(list, &p);
  ClickScreen(p);
  ClickScreen(p);
  EXPECT_TRUE(ViewerShows("Administering users", "Index"));
  if (HWND dialog = FindWindowA("#32770", nullptr)) PostMessageA(dialog, WM_CLOSE, 0, 0);
}

TEST_F(Help, TheAdministratorsDialogsHelpButtonsOpenTheirTopics) {
  struct { TForm* Dialog; TButton* Help; const char* Title; const char* Topic; } cases[] = {
      {frmyOZUsers, frmyOZUsers->btnHelp, "Administering users", "Administer_Users"},
      {frmyOZDepartments, frmyOZDepartments->btnHelp, "Administering departments", "Administer_departments"},
      {frmyOZStatuses, frmyOZStatuses->btnHelp, "Administering statuses", "Administer_statuses"},
  };
  for (auto& c : cases) {
    c.Dialog->Show();
    EXPECT_TRUE(Press(c.Help));
    EXPECT_TRUE(ViewerShows(c.Title, c.Topic)) << c.Topic;
    c.Dialog->Hide();
  }
}

TEST_F(Help, TheSettingsHelpButtonAndF1OnASheetOpenTheSettingsTopic) {
  frmSettings = NewForm<TfrmSettings>(Application);
  bool ran = false;
  WhenModal([&] {
    ran = true;
    auto* d = frmSettings;
    EXPECT_TRUE(Press(d->btnHelp));
    EXPECT_TRUE(ViewerShows("Your settings", "Displaying_your_settings"));
    // F1 on the Messages sheet (its own help context) opens the same topic after another one.
    Application->HelpJump("Contents");
    EXPECT_TRUE(ViewerShows("yOZ Help", "Contents"));
    d->PageControlSettings->SetActivePage(d->tsMessages);
    PressF1(d->chkPlayWavFile);
    EXPECT_TRUE(ViewerShows("Your settings", "Displaying_your_settings"));
    d->SetModalResult(mrCancel);
  });
  Form->actSettingsExecute(Form->actSettings);
  EXPECT_TRUE(ran);
  TObject::Free(frmSettings);
  frmSettings = nullptr;
}

TEST_F(Help, F1InACommentOpensTheStatusTopic) {
  frmyOZComments->Show();
  PressF1(frmyOZComments->txtComments);
  EXPECT_TRUE(ViewerShows("Changing your status", "Changing_your_status"));
  frmyOZComments->Hide();
}

TEST_F(Help, TheWizardsHelpButtonOpensTheInstallationTopic) {
  // The wizard names the help file after the program itself: this program's copy of yOZ.hlp.
  const std::string own = ChangeFileExt(ParamStr(0), ".hlp");
  ASSERT_TRUE(CopyFileA(Application->HelpFile().c_str(), own.c_str(), FALSE));
  Owned<TfrmDatabaseWizard> w(NewForm<TfrmDatabaseWizard>(nullptr));
  WhenModal([&] {
    EXPECT_TRUE(Press(w->btnHelp));
    EXPECT_TRUE(ViewerShows("Installing yOZ", "Installation"));
    w->SetModalResult(mrCancel);
  });
  w->ShowModal();
  EXPECT_EQ(Application->HelpFile(), own);
}

}  // namespace
