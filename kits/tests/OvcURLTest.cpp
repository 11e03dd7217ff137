// The link label on a real form: what it shows, the click that opens its address through a recording
// seam (and refuses one too long to pass whole), the hover colour driven by mouse messages and the
// polling that notices the mouse leaving, the visited colour, and its form-resource properties.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KitsTestSupport.h"
#include "OvcURL.h"

#include <shellapi.h>

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TFormsEnvironment({OvcURLInitialize}));

struct ShellCall {
  std::string Verb, File, Params, Dir;
  INT Show;
};
std::vector<ShellCall> Calls;
INT_PTR ShellResult = 42;

HINSTANCE WINAPI RecordShell(HWND, LPCSTR Verb, LPCSTR File, LPCSTR Params, LPCSTR Dir, INT Show) {
  Calls.push_back({Verb, File, Params, Dir, Show});
  return reinterpret_cast<HINSTANCE>(ShellResult);
}

class URLTest : public ::testing::Test {
protected:
  void SetUp() override {
    Calls.clear();
    ShellResult = 42;
    OvcShellExecute = RecordShell;
    Form = NewForm(300, 120);
    Url = new TOvcURL(Form.get());
    Url->SetParent(Form.get());
    Url->SetAutoSize(false);
    Url->SetBounds(20, 20, 200, 30);
    Url->Font()->SetColor(clBlue);
    Url->SetURL("http://www.example.org/");
    Url->OnClick = Bind(this, &URLTest::Clicked);
    Form->Show();
    PumpUntilPainted(Form->Handle());
  }
  void TearDown() override { OvcShellExecute = ShellExecuteA; }
  void Clicked(TObject*) { ++Clicks; }
  // A click as the mouse makes it, on the label's middle.
  void ClickLabel() {
    LPARAM at = MAKELPARAM(Url->Left() + 10, Url->Top() + 10);
    SendMessageA(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(Form->Handle(), WM_LBUTTONUP, 0, at);
  }
  void MoveOver() {
    POINT p = Form->ClientToScreen(POINT{Url->Left() + 10, Url->Top() + 10});
    SetCursorPos(p.x, p.y);
    // The pointer's own motion is seen before the move the test sends. No message tells when the
    // display delivers it, so a short rest.
    Pump(20);
    SendMessageA(Form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(Url->Left() + 10, Url->Top() + 10));
  }
  // Puts the pointer below the label and waits for the polling to notice (the pointer is put there
  // again meanwhile: a late motion event of the display may still carry the old place).
  bool Leave() {
    POINT p = Form->ClientToScreen(POINT{Url->Left() + 10, Url->Top() + 60});
    for (DWORD start = GetTickCount(); Url->Hot() && GetTickCount() - start < 20000;) {
      SetCursorPos(p.x, p.y);
      PumpUntil([&] { return !Url->Hot(); }, 50);
    }
    return !Url->Hot();
  }
  Owned<TForm> Form;
  TOvcURL* Url = nullptr;
  int Clicks = 0;
};

TEST_F(URLTest, ShowsTheCaptionOrElseTheAddress) {
  EXPECT_EQ(Url->HighlightColor(), clRed);
  EXPECT_EQ(Url->Cursor(), crHandPoint);
  EXPECT_EQ(Url->TCustomLabel::Caption(), "http://www.example.org/");
  Url->SetCaption("www.example.org");
  EXPECT_EQ(Url->TCustomLabel::Caption(), "www.example.org");
  Url->SetURL("http://other/");
  EXPECT_EQ(Url->TCustomLabel::Caption(), "www.example.org");
  Url->SetCaption("");
  EXPECT_EQ(Url->TCustomLabel::Caption(), "http://other/");
  EXPECT_EQ(Url->About(), "v3.07");
}

TEST_F(URLTest, AClickOpensTheAddressWithTheShellAndFiresOnClick) {
  ClickLabel();
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_EQ(Calls[0].Verb, "open");
  EXPECT_EQ(Calls[0].File, "http://www.example.org/");
  EXPECT_EQ(Calls[0].Params, "");
  EXPECT_EQ(Calls[0].Dir, "");
  EXPECT_EQ(Calls[0].Show, SW_SHOWNORMAL);
  EXPECT_EQ(Clicks, 1);
  // A failing shell only beeps; the label stays usable.
  ShellResult = 2;
  ClickLabel();
  EXPECT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Clicks, 2);
  // Without an address a click only fires OnClick.
  Url->SetURL("");
  ClickLabel();
  EXPECT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Clicks, 3);
}

TEST_F(URLTest, AnAddressTooLongToPassWholeIsNotOpened) {
  std::string exact = "http://example.org/" + std::string(OvcMaxURL - 19, 'a');
  ASSERT_EQ(exact.size(), OvcMaxURL);
  Url->SetURL(exact);
  ClickLabel();
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_EQ(Calls[0].File, exact);
  Url->SetURL(exact + "b");
  ClickLabel();
  EXPECT_EQ(Calls.size(), 1u);
  EXPECT_EQ(Clicks, 2);
}

TEST_F(URLTest, HoverShowsTheHighlightUntilTheMouseLeaves) {
  MoveOver();
  EXPECT_TRUE(Url->Hot());
  EXPECT_EQ(Url->Font()->Color(), clRed);
  MoveOver();   // a second move starts no second timer
  EXPECT_EQ(Url->ComponentCount(), 1);
  ASSERT_TRUE(Leave());
  EXPECT_EQ(Url->Font()->Color(), clBlue);
  // The label's text shows in the colour it has.
  auto shot = PaintedControl(Form.get());
  EXPECT_GT(CountPixels(shot.get(), Url->BoundsRect(), RGB(0, 0, 255)), 0);
  EXPECT_EQ(CountPixels(shot.get(), Url->BoundsRect(), RGB(255, 0, 0)), 0);
}

TEST_F(URLTest, ColourChangesWhileHotNeverLeaveTheMarkerAsTheFontColour) {
  MoveOver();
  ASSERT_TRUE(Url->Hot());
  Url->SetHighlightColor(clGreen);
  Url->SetVisitedColor(clNone);   // the font colour now: the highlight
  ASSERT_TRUE(Leave());
  EXPECT_EQ(Url->Font()->Color(), clBlue);
  // clNone makes the highlight the resting colour: hovering changes nothing.
  Url->SetHighlightColor(clNone);
  MoveOver();
  EXPECT_EQ(Url->Font()->Color(), clBlue);
  ASSERT_TRUE(Leave());
  EXPECT_EQ(Url->Font()->Color(), clBlue);
}

TEST_F(URLTest, AVisitedLinkRestsInTheVisitedColour) {
  Url->SetUseVisitedColor(true);
  Url->SetVisitedColor(clPurple);
  MoveOver();
  ClickLabel();
  EXPECT_EQ(Url->Font()->Color(), clRed);
  ASSERT_TRUE(Leave());
  EXPECT_EQ(Url->Font()->Color(), clPurple);
  MoveOver();
  ASSERT_TRUE(Leave());
  EXPECT_EQ(Url->Font()->Color(), clPurple);
}

TEST(URLForm, TheAboutBoxLinkReadsFromAFormResource) {
  Owned<TForm> f(new TForm(nullptr));
  ReadComponentFromText("object frmAbout: TForm\n"
                        "  object OvcURLMain: TOvcURL\n"
                        "    Left = 8\n"
                        "    Top = 8\n"
                        "    Caption = 'www.example.org'\n"
                        "    HighlightColor = clRed\n"
                        "    URL = 'http://www.example.org'\n"
                        "    UseVisitedColor = False\n"
                        "    VisitedColor = clBlack\n"
                        "    Font.Color = clBlue\n"
                        "    Font.Style = [fsUnderline]\n"
                        "    ParentFont = False\n"
                        "  end\n"
                        "end\n",
                        f.get());
  auto* u = dynamic_cast<TOvcURL*>(f->FindComponent("OvcURLMain"));
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->Caption(), "www.example.org");
  EXPECT_EQ(u->URL(), "http://www.example.org");
  EXPECT_EQ(u->VisitedColor(), clBlack);
  EXPECT_EQ(u->Cursor(), crHandPoint);
  EXPECT_TRUE(u->Font()->Style().Contains(fsUnderline));
  const TPropInfo* about = TOvcURL::StaticClass()->FindProp("About");
  ASSERT_NE(about, nullptr);
  EXPECT_FALSE(about->IsStored(u));
  // Sized for its underlined text once shown.
  f->Show();
  PumpUntilPainted(f->Handle());
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, u->Font()->Handle());
  SIZE ext{};
  GetTextExtentPoint32A(dc, "www.example.org", 15, &ext);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  EXPECT_GE(u->Width(), ext.cx);
  // Loading underlines even a link stored without it.
  Owned<TForm> g(new TForm(nullptr));
  ReadComponentFromText("object frmPlain: TForm\n  object lnk: TOvcURL\n    URL = 'x'\n  end\nend\n", g.get());
  EXPECT_TRUE(dynamic_cast<TOvcURL*>(g->FindComponent("lnk"))->Font()->Style().Contains(fsUnderline));
}

}  // namespace
