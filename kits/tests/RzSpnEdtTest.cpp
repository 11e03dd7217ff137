#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "Forms.h"
#include "KitsTestSupport.h"
#include "OvcClrCb.h"
#include "RzSpnEdt.h"

namespace {

struct Events {
  int Changes = 0;
  std::vector<int> Buttons;
  bool Allow = true;
  void Change(TObject*) { ++Changes; }
  void Changing(TObject*, bool& AllowChange) { AllowChange = Allow; }
  void ButtonClick(TObject*, TSpinButtonType b) { Buttons.push_back(b); }
};

class RzSpinEditTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    InitForms();
    RzCommonInitialize();
    RzSpnEdtInitialize();
  }
  static void TearDownTestSuite() { RzSpnEdtFinalize(); }
  void SetUp() override {
    Form = new TForm(Application);
    Form->SetBounds(100, 100, 300, 200);
    Spin = new TRzSpinEdit(Form);
    Spin->SetParent(Form);
    Spin->SetBounds(10, 10, 80, 21);
    Spin->SetTabStop(true);
    Next = new TEdit(Form);
    Next->SetParent(Form);
    Next->SetBounds(10, 60, 80, 21);
    Next->SetTabStop(true);
    Spin->OnChange = Bind(&Ev, &Events::Change);
    Spin->OnChanging = Bind(&Ev, &Events::Changing);
    Spin->OnButtonClick = Bind(&Ev, &Events::ButtonClick);
  }
  void TearDown() override { TObject::Free(Form); }
  void ShowAndFocus() {
    Form->Show();
    SetForegroundWindow(Form->Handle());
    Spin->SetFocus();
    PumpUntilPainted(Form->Handle());
    PumpUntilFocusIn(Spin);
  }
  void Press(WORD Vk) {
    PostKey(Spin->Handle(), Vk);
    PumpQueued();
  }
  TForm* Form = nullptr;
  TRzSpinEdit* Spin = nullptr;
  TEdit* Next = nullptr;
  Events Ev;
};

TEST_F(RzSpinEditTest, NewSpinEdit) {
  TRzSpinEdit* s = new TRzSpinEdit(Form);
  EXPECT_EQ(s->Text(), "0");
  EXPECT_EQ(s->Width(), 47);
  EXPECT_EQ(s->Alignment(), taRightJustify);
  EXPECT_EQ(s->Buttons()->Width(), 17);
  EXPECT_EQ(s->GetOrientation(), orVertical);
  EXPECT_DOUBLE_EQ(s->Max(), 100);
  TRzRapidFireButton* up = s->GetButton(0);
  TRzRapidFireButton* down = s->GetButton(1);
  EXPECT_EQ(up->Top(), 0);
  EXPECT_EQ(down->Top(), up->Height());           // stacked
  EXPECT_EQ(up->NumGlyphs(), 2);
  EXPECT_EQ(up->Glyph()->Width(), 18);            // our arrows: two 9 x 6 glyphs
  EXPECT_EQ(up->Glyph()->Height(), 6);
  s->SetDirection(sdLeftRight);
  EXPECT_EQ(up->Glyph()->Height(), 9);
  s->Buttons()->SetOrientation(orHorizontal);
  EXPECT_EQ(s->Buttons()->Width(), 34);
  EXPECT_LT(down->Left(), up->Left());            // side by side, down/left first
}

TEST_F(RzSpinEditTest, StepsStayWithinTheLimits) {
  struct Case {
    double Min, Max;
    bool CheckRange;
    double Start;
    WORD Key;
    std::string Expected;
  };
  const Case cases[] = {
      {0, 100, false, 100, VK_UP, "100"},  {0, 100, false, 5, VK_NEXT, "0"},   {0, 100, false, 5, VK_PRIOR, "15"},
      {0, 100, false, 5, VK_DOWN, "4"},    {0, 0, false, 5, VK_UP, "6"},       {0, 0, false, -5, VK_DOWN, "-6"},
      {0, 0, true, 5, VK_UP, "0"},         {-10, 10, false, -10, VK_DOWN, "-10"},
  };
  ShowAndFocus();
  for (const Case& c : cases) {
    Spin->SetMin(c.Min);
    Spin->SetMax(c.Max);
    Spin->SetCheckRange(c.CheckRange);
    Spin->SetValue(c.Start);
    Press(c.Key);
    EXPECT_EQ(Spin->Text(), c.Expected) << c.Min << ".." << c.Max << " from " << c.Start << " key " << c.Key;
  }
}

TEST_F(RzSpinEditTest, DecimalsAndIntegers) {
  Spin->SetIntegersOnly(false);
  Spin->SetDecimals(2);
  Spin->SetValue(10);
  EXPECT_EQ(Spin->Text(), "10.00");
  Spin->SetValue(10.5);
  EXPECT_EQ(Spin->Text(), "10.50");
  EXPECT_EQ(Spin->GetIntValue(), 10);   // halves go to the even neighbour
  Spin->SetIntegersOnly(true);
  EXPECT_EQ(Spin->Text(), "10");
  Spin->SetIntValue(42);
  EXPECT_DOUBLE_EQ(Spin->GetValue(), 42);
}

TEST_F(RzSpinEditTest, WithoutKeyEditOnlyTheStepsChangeTheValue) {
  ShowAndFocus();
  Spin->SetValue(50);
  PostTyping(Spin->Handle(), "7");
  PumpQueued();
  Press(VK_DELETE);
  SendMessageA(Spin->Handle(), WM_PASTE, 0, 0);
  SendMessageA(Spin->Handle(), WM_CUT, 0, 0);
  EXPECT_EQ(Spin->Text(), "50");
  Press(VK_UP);
  Press(VK_PRIOR);
  SendMessageA(Spin->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(40, 120));
  EXPECT_EQ(Spin->Text(), "62");
  SendMessageA(Spin->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA), MAKELPARAM(40, 120));
  EXPECT_EQ(Spin->Text(), "52");
  EXPECT_EQ(Ev.Buttons, (std::vector<int>{0, 0, 0, 1}));
}

TEST_F(RzSpinEditTest, TypedCharactersWithKeyEdit) {
  Spin->SetAllowKeyEdit(true);
  ShowAndFocus();
  struct Case {
    std::string Before;
    int Caret;
    std::string Typed;
    std::string After;
  };
  const Case cases[] = {
      {"12", 2, "3", "123"}, {"12", 2, ".", "12"},  {"12", 0, "-", "-12"}, {"12", 1, "-", "12"},
      {"-12", 0, "+", "-12"}, {"12", 2, "a", "12"},
  };
  for (const Case& c : cases) {
    Spin->SetText(c.Before);
    Spin->SetSelStart(c.Caret);
    Spin->SetSelLength(0);
    PostTyping(Spin->Handle(), c.Typed);
    PumpQueued();
    EXPECT_EQ(Spin->Text(), c.After) << c.Before << " + '" << c.Typed << "' at " << c.Caret;
  }
  Spin->SetIntegersOnly(false);
  Spin->SetText("1");
  Spin->SetSelStart(1);
  PostTyping(Spin->Handle(), std::string(1, DecimalSeparator) + "5" + std::string(1, DecimalSeparator));
  PumpQueued();
  EXPECT_EQ(Spin->Text(), "1" + std::string(1, DecimalSeparator) + "5");
}

TEST_F(RzSpinEditTest, ReadingTheValueChangesNothing) {
  ShowAndFocus();
  Spin->SetAllowKeyEdit(true);
  Spin->SetMin(5);
  Spin->SetText("");
  Ev.Changes = 0;
  EXPECT_DOUBLE_EQ(Spin->GetValue(), 5);
  EXPECT_EQ(Spin->GetIntValue(), 5);
  Spin->SetText("abc");
  Ev.Changes = 0;
  EXPECT_DOUBLE_EQ(Spin->GetValue(), 5);
  EXPECT_EQ(Spin->Text(), "abc");
  EXPECT_EQ(Ev.Changes, 0);
}

TEST_F(RzSpinEditTest, LeavingClampsAndFormats) {
  struct Case {
    bool AllowBlank;
    std::string Typed;
    std::string After;
  };
  const Case cases[] = {{false, "", "0"}, {true, "", ""}, {false, "250", "100"}, {false, "x", "0"}, {false, "-3", "0"}};
  Spin->SetAllowKeyEdit(true);
  Spin->SetBlankValue(7);
  ShowAndFocus();
  for (const Case& c : cases) {
    Spin->SetAllowBlank(c.AllowBlank);
    Spin->SetFocus();
    PumpUntilFocused(Spin->Handle());
    Spin->SetText(c.Typed);
    Next->SetFocus();
    PumpUntilFocused(Next->Handle());
    EXPECT_EQ(Spin->Text(), c.After) << "'" << c.Typed << "'";
  }
  EXPECT_DOUBLE_EQ(Spin->GetValue(), 0);
  Spin->SetAllowBlank(true);
  Spin->SetText("");
  EXPECT_DOUBLE_EQ(Spin->GetValue(), 7);
}

TEST_F(RzSpinEditTest, ChangingHandlerCanRefuseAStep) {
  Spin->SetValue(3);
  Ev.Allow = false;
  Spin->IncValue(1);
  Spin->DownClick(nullptr);
  EXPECT_EQ(Spin->Text(), "3");
  EXPECT_TRUE(Ev.Buttons.empty());
  Ev.Allow = true;
  Spin->UpClick(nullptr);
  EXPECT_EQ(Spin->Text(), "4");
  EXPECT_EQ(Ev.Buttons, (std::vector<int>{0}));
  Spin->SetReadOnly(true);
  Spin->UpClick(nullptr);
  EXPECT_EQ(Spin->Text(), "4");
}

TEST_F(RzSpinEditTest, HeldButtonRepeatsUntilReleasedOrTheMouseIsTaken) {
  ShowAndFocus();
  TRzRapidFireButton* up = Spin->GetButton(0);
  HWND pair = Spin->Buttons()->Handle();
  LPARAM at = MAKELPARAM(up->Left() + up->Width() / 2, up->Top() + up->Height() / 2);
  // The repeat is about time: its steps are checked against the time passed, never counted in a
  // window of time.
  DWORD pressed = GetTickCount();
  PostMessageA(pair, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ASSERT_TRUE(PumpUntil([&] { return up->Repeating(); }));
  EXPECT_EQ(Spin->Text(), "0");   // the press itself takes no step
  ASSERT_TRUE(PumpUntil([&] { return Spin->Text() != "0"; }));
  EXPECT_GE(GetTickCount() - pressed, 300u);   // nothing before the initial delay
  ASSERT_TRUE(PumpUntil([&] { return StrToInt(Spin->Text()) >= 2; }));
  // Past 400 ms, one step every 100 ms: never more steps than the time allows.
  DWORD held = GetTickCount() - pressed;
  int steps = StrToInt(Spin->Text());
  EXPECT_GE(steps, 2);
  EXPECT_LE(steps, 3 + int(held - std::min<DWORD>(held, 400)) / 100);
  PostMessageA(pair, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(PumpUntil([&] { return !up->Repeating(); }));
  int released = StrToInt(Spin->Text());
  // No step after the release: several intervals pass.
  Pump(300);
  EXPECT_EQ(StrToInt(Spin->Text()), released);
  EXPECT_FALSE(up->Repeating());

  // Another window taking the mouse stops the repeat, too.
  PostMessageA(pair, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ASSERT_TRUE(PumpUntil([&] { return up->Repeating(); }));
  SetCapture(Next->Handle());
  ASSERT_TRUE(PumpUntil([&] { return !up->Repeating(); }));
  int taken = StrToInt(Spin->Text());
  // No step once the mouse is taken: several intervals pass.
  Pump(300);
  EXPECT_EQ(StrToInt(Spin->Text()), taken);
  EXPECT_FALSE(up->Repeating());
  ReleaseCapture();
}

// The down button held by a real press runs the value down to the minimum and keeps stepping there;
// the digits stay whole on the screen all along and after the release: the caret never blinks over
// them (it sits after the value).
// A real press or release of the left button at a screen point.
void SendButton(POINT At, DWORD Flag) {
  SetCursorPos(At.x, At.y);
  INPUT i{};
  i.type = INPUT_MOUSE;
  i.mi.dx = MulDiv(At.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  i.mi.dy = MulDiv(At.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | Flag;
  SendInput(1, &i, sizeof(INPUT));
}

TEST_F(RzSpinEditTest, HeldDownButtonLeavesTheMinimumWhole) {
  Spin->SetBounds(116, 84, 55, 21);
  Spin->SetIncrement(10);
  Spin->SetMax(360);
  Spin->SetValue(30);
  ShowAndFocus();
  TRzRapidFireButton* down = Spin->GetButton(1);
  RECT pair;
  GetWindowRect(Spin->Buttons()->Handle(), &pair);
  POINT at{pair.left + down->Left() + down->Width() / 2, pair.top + down->Top() + down->Height() / 2};
  // The digits' box: the text is right-aligned in the edit's formatting rectangle.
  RECT fr;
  SendMessageA(Spin->Handle(), EM_GETRECT, 0, LPARAM(&fr));
  auto digits = [&] {
    HDC dc = GetDC(Spin->Handle());
    HGDIOBJ old = SelectObject(dc, HFONT(SendMessageA(Spin->Handle(), WM_GETFONT, 0, 0)));
    SIZE s{};
    std::string t = Spin->Text();
    GetTextExtentPoint32A(dc, t.c_str(), int(t.size()), &s);
    SelectObject(dc, old);
    ReleaseDC(Spin->Handle(), dc);
    return RECT{fr.right - s.cx, fr.top, fr.right - 1, fr.bottom};
  };
  // How many pixels of the digits' box show the text colour on the screen.
  auto ink = [&] {
    RECT r = digits();
    POINT o{0, 0};
    ClientToScreen(Spin->Handle(), &o);
    HDC dc = GetDC(nullptr);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if ((GetPixel(dc, o.x + x, o.y + y) & 0xFFFFFF) == RGBOf(clWindowText)) ++n;
    ReleaseDC(nullptr, dc);
    return n;
  };
  auto caretOffTheDigits = [&] {
    POINT c{};
    GetCaretPos(&c);
    RECT r = digits();
    return c.x < r.left - 1 || c.x >= r.right;
  };
  THoldPointer hold(at);
  SendButton(at, MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return Spin->Text() == "0"; }));
  size_t steps = Ev.Buttons.size();
  ASSERT_TRUE(PumpUntil([&] { return Ev.Buttons.size() > steps + 1; })) << "no step at the minimum";
  EXPECT_TRUE(caretOffTheDigits());
  // Through more than a blink of the caret the digits look the same.
  int first = ink(), least = first, most = first;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 3 * GetCaretBlinkTime() / 2) {
    // Samples the screen through the blink period: the time passing is what is looked at.
    Pump(40);
    int n = ink();
    least = std::min(least, n);
    most = std::max(most, n);
  }
  SendButton(at, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return !down->Repeating(); }));
  EXPECT_EQ(Spin->Text(), "0");
  EXPECT_TRUE(caretOffTheDigits());
  start = GetTickCount();
  while (GetTickCount() - start < 3 * GetCaretBlinkTime() / 2) {
    // Samples the screen through the blink period: the time passing is what is looked at.
    Pump(40);
    int n = ink();
    least = std::min(least, n);
    most = std::max(most, n);
  }
  EXPECT_GT(least, 0);
  EXPECT_EQ(least, most) << "the digits blink";
}

TEST_F(RzSpinEditTest, ValueFromAFormWaitsForTheLimits) {
  auto* f = new TForm(Application);
  ReadComponentFromText(
      "object Form1: TForm\n"
      "  object seDisplayUpdate: TRzSpinEdit\n    Left = 8\n    Top = 8\n    Width = 60\n    Height = 21\n"
      "    Increment = 10\n    Max = 360\n    PageSize = 10\n    Value = 10\n  end\n"
      "  object seEarly: TRzSpinEdit\n    Value = 200\n    Max = 360\n  end\n"
      "  object seClamped: TRzSpinEdit\n    Value = 500\n    Max = 360\n  end\n"
      "end\n",
      f);
  auto* a = dynamic_cast<TRzSpinEdit*>(f->FindComponent("seDisplayUpdate"));
  auto* b = dynamic_cast<TRzSpinEdit*>(f->FindComponent("seEarly"));
  auto* c = dynamic_cast<TRzSpinEdit*>(f->FindComponent("seClamped"));
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->GetIntValue(), 10);
  EXPECT_DOUBLE_EQ(a->Increment(), 10);
  EXPECT_DOUBLE_EQ(a->PageSize(), 10);
  EXPECT_EQ(b->GetIntValue(), 200);
  EXPECT_EQ(c->GetIntValue(), 360);
  a->UpClick(nullptr);
  EXPECT_EQ(a->GetIntValue(), 20);
  TObject::Free(f);
}

TEST_F(RzSpinEditTest, FlatFrameFollowsFocusAndMouse) {
  Spin->SetFrameFlat(true);
  EXPECT_TRUE(Spin->FrameVisible());
  EXPECT_EQ(Spin->FrameSides(), sdAllSides);
  EXPECT_EQ(Spin->FrameStyle(), fsStatus);
  Form->Show();
  Next->SetFocus();
  PumpUntilFocused(Next->Handle());
  Spin->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(Spin->FrameStyle(), fsLowered);
  Spin->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Spin->FrameStyle(), fsStatus);
  Spin->SetFocus();
  PumpUntilFocused(Spin->Handle());
  EXPECT_EQ(Spin->FrameStyle(), fsLowered);
  Next->SetFocus();
  PumpUntilFocused(Next->Handle());
  EXPECT_EQ(Spin->FrameStyle(), fsStatus);
}

TEST_F(RzSpinEditTest, FrameControllerSettingsReachLinkedEdits) {
  auto* fc = new TRzFrameController(Form);
  Spin->SetFrameController(fc);
  fc->SetFrameColor(clRed);
  fc->SetFrameVisible(true);
  EXPECT_EQ(Spin->FrameColor(), clRed);
  EXPECT_TRUE(Spin->FrameVisible());
  Spin->SetUseFrameController(false);
  fc->SetFrameColor(clBlue);
  EXPECT_EQ(Spin->FrameColor(), clRed);
  TObject::Free(fc);
  EXPECT_EQ(Spin->FrameController(), nullptr);
}

TEST_F(RzSpinEditTest, TabOnEnterMovesOn) {
  Spin->SetTabOnEnter(true);
  Spin->SetAllowKeyEdit(true);
  ShowAndFocus();
  Spin->SetText("5");
  PostKey(Spin->Handle(), VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return Next->Focused(); }));
  EXPECT_EQ(Spin->Text(), "5");
}

}  // namespace

// With YOZ_KITS_SHOT set, leaves there a picture of the settings dialog's kit controls: two spin
// edits (one flat), a colour combo with its list dropped and a hot-tracked combo.
TEST(KitControlsShot, SettingsDialogControls) {
  const char* path = std::getenv("YOZ_KITS_SHOT");
  if (!path) GTEST_SKIP() << "YOZ_KITS_SHOT not set";
  InitForms();
  RzCommonInitialize();
  RzSpnEdtInitialize();
  OvcBaseInitialize();
  OvcClrCbInitialize();
  Owned<TForm> f(new TForm(nullptr));
  f->SetCaption("Kit controls");
  f->SetBounds(20, 20, 360, 300);
  new TOvcController(f.get());
  auto* a = new TRzSpinEdit(f.get());
  a->SetParent(f.get());
  a->SetBounds(16, 16, 60, 21);
  a->SetMax(360);
  a->SetIncrement(10);
  a->SetValue(10);
  auto* b = new TRzSpinEdit(f.get());
  b->SetParent(f.get());
  b->SetBounds(100, 16, 80, 21);
  b->SetFrameFlat(true);
  b->SetIntegersOnly(false);
  b->SetDecimals(2);
  b->SetValue(2.5);
  auto* c = new TOvcColorComboBox(f.get());
  c->SetParent(f.get());
  c->SetBounds(16, 56, 150, 21);
  c->SetSelectedColor(clRed);
  auto* h = new TOvcColorComboBox(f.get());
  h->SetParent(f.get());
  h->SetBounds(200, 56, 130, 21);
  h->SetHotTrack(true);
  h->SetSelectedColor(clTeal);
  f->Show();
  PumpUntilPainted(f->Handle());
  c->SetFocus();
  c->SetDroppedDown(true);
  PumpUntilDroppedDown(c->Handle());
  RECT r{0, 0, 640, 480};
  auto shot = NewBitmap(r.right, r.bottom, clWhite);
  HDC dc = GetDC(nullptr);
  BitBlt(shot->Canvas()->Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(nullptr, dc);
  shot->SaveToFile(path);
  c->SetDroppedDown(false);
  EXPECT_TRUE(c->HandleAllocated());

  // The second picture: a plain kit combo with two recently used entries above its list.
  auto* m = new TOvcBaseComboBox(f.get());
  // Bounds before the window: a combo's window height sets how far its list drops.
  m->SetBounds(16, 120, 150, 21);
  m->SetParent(f.get());
  for (const char* s : {"Apple", "Banana", "Blueberry", "Cherry", "Damson"}) m->Items()->Add(s);
  m->SetFocus();
  for (const char* pick : {"Cherry", "Apple"}) {
    m->SetDroppedDown(true);
    PumpUntilDroppedDown(m->Handle());
    int i = m->MRUCount();
    while (m->Items()->Strings(i) != pick) ++i;
    SendMessageA(m->Handle(), CB_SETCURSEL, WPARAM(i), 0);
    m->SetDroppedDown(false);
    PumpQueued();
  }
  m->SetDroppedDown(true);
  PumpUntilDroppedDown(m->Handle());
  dc = GetDC(nullptr);
  BitBlt(shot->Canvas()->Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(nullptr, dc);
  shot->SaveToFile(std::string(path) + ".mru.bmp");
  m->SetDroppedDown(false);
  EXPECT_EQ(m->MRUCount(), 2);
}
