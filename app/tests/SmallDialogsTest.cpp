// The comment editor and the about box on the real main window in the test's own process.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "DialogTestSupport.h"
#include "Jpeg.h"
#include "KLNStringUtils.h"
#include "OvcURL.h"
#include "QDAbout.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZComments.h"
#include "yOZLog.h"

namespace {

std::string Login() { return GetLogInName(); }

HINSTANCE WINAPI RecordOpen(HWND, LPCSTR Verb, LPCSTR File, LPCSTR, LPCSTR, INT);
std::vector<std::string> Opened;
HINSTANCE WINAPI RecordOpen(HWND, LPCSTR Verb, LPCSTR File, LPCSTR, LPCSTR, INT) {
  Opened.push_back(std::string(Verb ? Verb : "") + " " + (File ? File : ""));
  return reinterpret_cast<HINSTANCE>(33);
}

// The form painted into a memory bitmap, controls and all.
TBitmap* Snapshot(TWinControl* W) {
  auto* b = new TBitmap();
  RECT r;
  GetClientRect(W->Handle(), &r);
  b->SetWidth(r.right);
  b->SetHeight(r.bottom);
  W->PaintTo(b->Canvas()->Handle(), 0, 0);
  return b;
}

class SmallDialogs : public ::testing::Test {
protected:
  TSettingsSandbox Sandbox;
  TTestFolder Folder{"small"};
  TBoxAnswers Boxes;
  TfrmMain* Form = nullptr;

  void SetUp() override { IsAdministrator = false; }
  void TearDown() override {
    FreeDialogs();
    if (Form) FreeMainWindow(Form);
    OvcShellExecute = ShellExecuteA;
  }
  void Start(int LogType = 0) {
    WriteTestSettings(Folder.Path(), 0, 0, [](TyOZCBRec& r) { r.AutoComment = true; });
    Form = MakeMainWindow();
    ASSERT_FALSE(Form->ShuttingDown);
    if (LogType) {
      TyOZConfigRec cfg = yOZFile->ReadConfig();
      cfg.LogType = uint8_t(LogType);
      yOZFile->WriteConfig(cfg);
      yOZFile->ReadConfig();
    }
    AddUser(Folder.Path(), "BOB", "Available", "Support");
    MakeDialogs();
  }
  std::string LogText() {
    std::string text;
    for (const char* name : {"yOZLog.txt", "yOZLog.csv"})
      if (FileExists(Folder.Path() + name)) {
        FILE* f = fopen((Folder.Path() + name).c_str(), "rb");
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        fclose(f);
      }
    return text;
  }
};

TEST_F(SmallDialogs, CommentIsWrittenWithoutALogLineAndShownOnTheBoard) {
  Start(1);
  // Another machine changed the comment meanwhile: the dialog shows the stored one.
  {
    TUser me;
    me.Name = me.LogInName = Login();
    me.Status = "Available";
    me.Comments = "from elsewhere";
    me.Administrator = 1;
    yOZFile->UpdateUser(&me);
  }
  const std::string logBefore = LogText();
  std::string shown, title;
  bool focused = false;
  WhenModal([&] {
    auto* d = frmyOZComments;
    shown = d->txtComments->Text();
    title = d->RotatedLabel->Caption();
    focused = GetFocus() == d->txtComments->Handle();
    EXPECT_EQ(d->txtComments->SelLength(), int(shown.size()));  // all selected: typing replaces it
    Type(d->txtComments, "back at three");
    Press(d->btnOk);
  });
  Form->actComments->Execute();
  EXPECT_EQ(shown, "from elsewhere");
  EXPECT_EQ(title, "yOZ Comments");
  EXPECT_TRUE(focused);
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Comments(), "back at three");
  EXPECT_EQ(LogText(), logBefore);
  int row = -1;
  for (int i = 0; i < Form->Board()->RowCount(); ++i)
    if (Form->Board()->Row(i).SubItem(bsLogInName) == Login()) row = i;
  ASSERT_GE(row, 0);
  EXPECT_EQ(Form->Board()->Row(row).SubItem(bsComments), "back at three");

  // Cancel changes nothing.
  WhenModal([&] {
    Type(frmyOZComments->txtComments, "never mind");
    Press(frmyOZComments->btnCancel);
  });
  Form->actComments->Execute();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Comments(), "back at three");
}

TEST_F(SmallDialogs, OutOfOfficeWithAutoCommentOpensTheCommentDialogAfterTheStatus) {
  Start();
  std::string statusWhenShown;
  WhenModal([&] {
    statusWhenShown = ReadUser(Folder.Path(), Login()).Status();
    Press(frmyOZComments->btnCancel);
  });
  Form->actOutOfOffice->Execute();
  EXPECT_EQ(statusWhenShown, "Out of office");
}

TEST_F(SmallDialogs, CommentTitleIsDrawnRotated) {
  Start();
  frmyOZComments->Show();
  PumpUntilPainted(frmyOZComments->Handle());
  auto* label = frmyOZComments->RotatedLabel;
  std::unique_ptr<TBitmap> shot(Snapshot(frmyOZComments));
  // Blue letters climb from the lower left to the upper right of the label: the blue found in the
  // label's left third lies lower than the blue in its right third.
  auto blueRows = [&](int x0, int x1) {
    long sum = 0, n = 0;
    for (int y = label->Top(); y < label->Top() + label->Height(); ++y)
      for (int x = label->Left() + x0; x < label->Left() + x1; ++x) {
        TColor c = shot->Canvas()->Pixels(x, y);
        if ((c & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 && ((c >> 16) & 0xFF) > 0xB0) sum += y, ++n;
      }
    return n ? double(sum) / n : -1.0;
  };
  double left = blueRows(0, label->Width() / 3), right = blueRows(2 * label->Width() / 3, label->Width());
  ASSERT_GT(left, 0);
  ASSERT_GT(right, 0);
  EXPECT_GT(left, right + 10);
  frmyOZComments->Hide();
}

TEST_F(SmallDialogs, AboutBoxShowsItsTextsPicturesAndOpensTheSite) {
  Start();
  OvcShellExecute = RecordOpen;
  Opened.clear();
  MainDialogs.About = ShowAboutBox;
  std::string product, version, email, caption, link;
  int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
  bool jpeg = false;
  int inkRight = -1, linkWidth = 0;
  WhenModal([&] {
    auto* f = dynamic_cast<TfrmAbout*>(Screen->ActiveForm());
    ASSERT_NE(f, nullptr);
    caption = f->Caption();
    product = f->lblProduct->Caption();
    version = f->lblSoftwareVersion->Caption();
    email = f->lblSoftwareEmail->Caption();
    link = f->OvcURLMain->Caption();
    w1 = f->Image1->Picture()->Width();
    h1 = f->Image1->Picture()->Height();
    w2 = f->Image2->Picture()->Width();
    h2 = f->Image2->Picture()->Height();
    jpeg = dynamic_cast<TJPEGImage*>(f->Image2->Picture()->Graphic()) != nullptr;
    // The link's text is drawn whole: drawn alone with the label's font, its ink ends inside the label.
    {
      HDC screen = GetDC(nullptr);
      HDC dc = CreateCompatibleDC(screen);
      HBITMAP bmp = CreateCompatibleBitmap(screen, 400, 40);
      ReleaseDC(nullptr, screen);
      HGDIOBJ oldBmp = SelectObject(dc, bmp);
      HGDIOBJ oldFont = SelectObject(dc, f->OvcURLMain->Font()->Handle());
      RECT all{0, 0, 400, 40};
      FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkMode(dc, TRANSPARENT);
      const std::string text = f->OvcURLMain->Caption();
      DrawTextA(dc, text.c_str(), int(text.size()), &all, DT_LEFT | DT_EXPANDTABS);
      for (int x = 0; x < 400; ++x)
        for (int y = 0; y < 40; ++y)
          if (GetPixel(dc, x, y) != RGB(255, 255, 255)) inkRight = x;
      SelectObject(dc, oldFont);
      SelectObject(dc, oldBmp);
      DeleteObject(bmp);
      DeleteDC(dc);
      linkWidth = f->OvcURLMain->Width();
    }
    // A click on the link opens the maker's site through the shell.
    SendMessageA(f->Panel2->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(f->OvcURLMain->Left() + 3, f->OvcURLMain->Top() + 3));
    SendMessageA(f->Panel2->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(f->OvcURLMain->Left() + 3, f->OvcURLMain->Top() + 3));
    Press(f->btnOk);
  });
  Form->actHelpAbout->Execute();
  EXPECT_EQ(caption, "About");
  EXPECT_EQ(product, "yOZ ");
  EXPECT_EQ(version, "3.50");
  EXPECT_EQ(email, "yoz@example.com");
  EXPECT_EQ(w1, 150);
  EXPECT_EQ(h1, 279);
  EXPECT_EQ(w2, 110);
  EXPECT_EQ(h2, 41);
  EXPECT_TRUE(jpeg);
  EXPECT_GT(inkRight, 0);
  EXPECT_LT(inkRight, linkWidth) << "the link's text is cut at the right";
  EXPECT_EQ(Opened, (std::vector<std::string>{"open http://www.example.com/yoz"}));
  EXPECT_EQ(link, "www.example.com/yoz");
  // A new status-change log names the same site and address in its banner.
  const std::string banner = TextLogBanner();
  EXPECT_NE(banner.find("*** website: http://www.example.com/yoz "), std::string::npos) << banner;
  EXPECT_NE(banner.find("*** email  : " + email + " "), std::string::npos) << banner;
}

}  // namespace
