#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "StTrIcon.h"
#include "TestSupport.h"

namespace {

// What the notification area was told.
struct TrayCall {
  DWORD Message;
  NOTIFYICONDATAA Data;
  COLORREF Colour;  // of the icon, taken at once: the handle is gone by the next picture
};
std::vector<TrayCall> Calls;
DWORD FailMessage = 0xFFFFFFFF;  // the shell refuses this message

COLORREF IconColour(HICON icon);

BOOL WINAPI RecordNotifyIcon(DWORD Message, PNOTIFYICONDATAA Data) {
  Calls.push_back({Message, *Data, IconColour(Data->hIcon)});
  return Message != FailMessage;
}

std::vector<TrayCall> CallsOf(DWORD Message) {
  std::vector<TrayCall> r;
  for (const TrayCall& c : Calls)
    if (c.Message == Message) r.push_back(c);
  return r;
}

// A 16 x 16 icon of one colour.
HICON SolidIcon(COLORREF colour) {
  HDC screen = GetDC(nullptr);
  HBITMAP colourBits = CreateCompatibleBitmap(screen, 16, 16);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, colourBits);
  HBRUSH brush = CreateSolidBrush(colour);
  RECT r{0, 0, 16, 16};
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  std::vector<uint8_t> zeros(16 * 16 / 8, 0);
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, zeros.data());
  ICONINFO ii{TRUE, 0, 0, mask, colourBits};
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(mask);
  DeleteObject(colourBits);
  return icon;
}

// The colour in the middle of an icon: tells the test's images apart.
COLORREF IconColour(HICON icon) {
  if (!icon) return CLR_INVALID;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(dc, bmp);
  DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  COLORREF c = GetPixel(dc, 8, 8);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return c;
}

const COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255), Grey = RGB(128, 128, 128);

class Exceptions {
public:
  void Handler(TObject* Sender, Exception* E) { Messages.push_back(E->Message); }
  std::vector<std::string> Messages;
};

class StTrayIconTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    InitForms();
    StBaseInitialize();
  }
  void SetUp() override {
    Calls.clear();
    FailMessage = 0xFFFFFFFF;
    StShellNotifyIcon = RecordNotifyIcon;
    Application->OnException = Bind(&Errors, &Exceptions::Handler);
    Form = new TForm(Application);
    Form->SetBounds(100, 100, 300, 200);
    Images = new TImageList(Form);
    for (COLORREF c : {Red, Green, Blue}) {
      TIcon icon;
      icon.SetHandle(SolidIcon(c));
      Images->AddIcon(&icon);
    }
  }
  void TearDown() override {
    TObject::Free(Form);
    Application->OnException = nullptr;
    StShellNotifyIcon = Shell_NotifyIconA;
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  // A tray icon on the form as a form resource would leave it.
  TStTrayIcon* MakeTray() {
    auto* t = new TStTrayIcon(Form);
    t->Loaded();
    return t;
  }
  void Callback(TStTrayIcon* t, UINT mouse) {
    SendMessageA(t->NotifyWindow(), StTrayCallbackMessage, StTrayIconID, mouse);
  }
  bool FormShown() { return Form->HandleAllocated() && IsWindowVisible(Form->Handle()); }

  TForm* Form = nullptr;
  TImageList* Images = nullptr;
  Exceptions Errors;
};

TEST_F(StTrayIconTest, AddedChangedAndRemoved) {
  TStTrayIcon* t = MakeTray();
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_TRUE(t->InTray());
  const NOTIFYICONDATAA& add = Calls[0].Data;
  EXPECT_EQ(Calls[0].Message, DWORD(NIM_ADD));
  EXPECT_EQ(add.cbSize, sizeof(NOTIFYICONDATAA));
  EXPECT_EQ(add.hWnd, t->NotifyWindow());
  EXPECT_EQ(add.uID, 2u);
  EXPECT_EQ(add.uCallbackMessage, 0x6FFu);
  EXPECT_EQ(add.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_NE(add.hIcon, nullptr);  // the application's or the system's icon until one is given

  std::string hint(70, 'h');
  hint[62] = 'L';
  t->SetHint(hint);
  ASSERT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Calls[1].Message, DWORD(NIM_MODIFY));
  EXPECT_EQ(std::string(Calls[1].Data.szTip), hint.substr(0, 63));
  t->SetHint(hint);  // unchanged: nothing to tell
  EXPECT_EQ(Calls.size(), 2u);

  t->SetShowHint(false);
  ASSERT_EQ(Calls.size(), 3u);
  EXPECT_EQ(Calls[2].Data.uFlags, UINT(NIF_MESSAGE | NIF_ICON));
  t->SetHint("not shown");
  EXPECT_EQ(Calls.size(), 3u);

  TIcon green;
  green.SetHandle(SolidIcon(Green));
  t->SetIcon(&green);
  ASSERT_EQ(Calls.size(), 4u);
  EXPECT_EQ(Calls[3].Colour, Green);

  TObject::Free(t);
  ASSERT_EQ(Calls.size(), 5u);
  EXPECT_EQ(Calls[4].Message, DWORD(NIM_DELETE));
  EXPECT_EQ(Calls[4].Data.uID, 2u);
}

TEST_F(StTrayIconTest, ImageListPicturesAndIndex) {
  auto* t = new TStTrayIcon(Form);
  t->SetImages(Images);
  t->SetImageIndex(2);
  t->Loaded();
  ASSERT_EQ(CallsOf(NIM_ADD).size(), 1u);
  EXPECT_EQ(CallsOf(NIM_ADD)[0].Colour, Blue);
  t->SetImageIndex(1);
  EXPECT_EQ(Calls.back().Colour, Green);
  EXPECT_EQ(Calls.back().Message, DWORD(NIM_MODIFY));

  // A list swapped in under an index it does not have (the status image index while the new-mail
  // list animates) shows the fallback icon instead of failing.
  t->SetImageIndex(7);
  EXPECT_EQ(Calls.back().Message, DWORD(NIM_MODIFY));
  EXPECT_NE(Calls.back().Data.hIcon, nullptr);
  EXPECT_NE(Calls.back().Colour, Green);
  TImageList* small = new TImageList(Form);
  TIcon red;
  red.SetHandle(SolidIcon(Red));
  small->AddIcon(&red);
  t->SetImages(small);
  t->SetImages(Images);
  t->SetImageIndex(1);
  EXPECT_EQ(Calls.back().Colour, Green);

  // Without a list an index cannot be shown.
  t->SetImages(nullptr);
  try {
    t->SetImageIndex(0);
    FAIL() << "no exception";
  } catch (const EStTrayIconError& e) {
    EXPECT_EQ(e.Message, "ImageList is not assigned");
    EXPECT_EQ(e.ErrorCode, 135);
  }
  TObject::Free(t);

  // A fixed icon wins over the list.
  auto* u = new TStTrayIcon(Form);
  u->SetIcon(&red);
  u->SetImages(Images);
  u->Loaded();
  EXPECT_EQ(Calls.back().Message, DWORD(NIM_ADD));
  EXPECT_EQ(Calls.back().Colour, Red);
}

TEST_F(StTrayIconTest, AnimatesThroughTheFramesAndStops) {
  TStTrayIcon* t = MakeTray();
  t->SetImages(Images);
  t->SetImageIndex(1);
  t->SetInterval(0);
  Calls.clear();
  EXPECT_EQ(t->ComponentCount(), 0);  // no timer before the first animation
  t->SetAnimate(true);
  EXPECT_EQ(t->Interval(), 200);  // 0 becomes the default step
  ASSERT_EQ(t->ComponentCount(), 1);
  auto* timer = dynamic_cast<TTimer*>(t->Components(0));
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->Interval(), 200u);
  EXPECT_TRUE(timer->Enabled());
  t->SetInterval(20);
  EXPECT_EQ(timer->Interval(), 20u);
  ASSERT_TRUE(PumpUntil([&] { return CallsOf(NIM_MODIFY).size() >= 6; }));
  std::vector<COLORREF> frames;
  for (const TrayCall& c : CallsOf(NIM_MODIFY)) frames.push_back(c.Colour);
  ASSERT_GE(frames.size(), 6u);
  const COLORREF order[] = {Red, Green, Blue};
  for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(frames[i], order[i % 3]) << "frame " << i;

  t->SetAnimate(false);
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(Calls.back().Colour, Green);  // back to ImageIndex
  size_t n = Calls.size();
  // No frame after the animation ends: several intervals pass.
  Pump(100);
  EXPECT_EQ(Calls.size(), n);
}

TEST_F(StTrayIconTest, DeactivatingPausesTheAnimationAndActivatingResumesIt) {
  TStTrayIcon* t = MakeTray();
  t->SetImages(Images);
  t->SetInterval(20);
  t->SetAnimate(true);
  ASSERT_TRUE(PumpUntil([&] { return !CallsOf(NIM_MODIFY).empty(); }));
  t->SetActive(false);
  EXPECT_FALSE(t->InTray());
  EXPECT_EQ(Calls.back().Message, DWORD(NIM_DELETE));
  size_t n = Calls.size();
  // No frame while away: several intervals pass.
  Pump(100);
  EXPECT_EQ(Calls.size(), n);  // no ticks while away

  t->SetActive(true);
  EXPECT_TRUE(t->InTray());
  EXPECT_TRUE(t->Animate());
  ASSERT_TRUE(PumpUntil([&] { return Calls.size() > n + 2 && CallsOf(NIM_MODIFY).size() >= 3; }));
  EXPECT_GE(CallsOf(NIM_MODIFY).size(), 3u);
  EXPECT_EQ(Calls[n].Message, DWORD(NIM_ADD));
  EXPECT_GT(Calls.size(), n + 2);

  // Switched off while away, it stays off when the icon comes back.
  t->SetActive(false);
  t->SetAnimate(false);
  t->SetActive(true);
  EXPECT_FALSE(t->Animate());
  n = Calls.size();
  // No frame once switched off: several intervals pass.
  Pump(100);
  EXPECT_EQ(Calls.size(), n);
}

TEST_F(StTrayIconTest, FailedUpdateDuringAnimationIsReportedOnceAndStopsIt) {
  TStTrayIcon* t = MakeTray();
  t->SetImages(Images);
  t->SetInterval(10);
  t->SetAnimate(true);
  Calls.clear();
  FailMessage = NIM_MODIFY;
  ASSERT_TRUE(PumpUntil([&] { return !t->Animate() && !Errors.Messages.empty(); }));

  ASSERT_EQ(Errors.Messages.size(), 1u);
  EXPECT_EQ(Errors.Messages[0], "Tray icon error");
  EXPECT_FALSE(t->Animate());
  EXPECT_EQ(CallsOf(NIM_MODIFY).size(), 1u);
  // No more frames once stopped: several intervals pass.
  Pump(50);
  EXPECT_EQ(CallsOf(NIM_MODIFY).size(), 1u);
  // A later change is still tried (and reported to its caller).
  EXPECT_THROW(t->SetHint("x"), EStTrayIconError);
}

TEST_F(StTrayIconTest, FailedAddIsRefused) {
  FailMessage = NIM_ADD;
  auto* t = new TStTrayIcon(Form);
  try {
    t->Loaded();
    FAIL() << "no exception";
  } catch (const EStTrayIconError& e) {
    EXPECT_EQ(e.Message, "Error adding tray icon");
    EXPECT_EQ(e.ErrorCode, 119);
  }
  EXPECT_FALSE(t->InTray());
  // Not added, so a new picture is kept for later rather than sent.
  size_t n = Calls.size();
  t->SetImages(Images);
  t->SetImageIndex(2);
  EXPECT_EQ(Calls.size(), n);
  FailMessage = 0xFFFFFFFF;
  t->SetActive(true);
  EXPECT_TRUE(t->InTray());
  EXPECT_EQ(Calls.back().Colour, Blue);
  TObject::Free(t);
  EXPECT_EQ(Calls.back().Message, DWORD(NIM_DELETE));
}

TEST_F(StTrayIconTest, OnlyOneTrayIconAmongTheForms) {
  TStTrayIcon* t = MakeTray();
  TForm* other = new TForm(Application);
  try {
    new TStTrayIcon(other);
    FAIL() << "no exception";
  } catch (const EStTrayIconError& e) {
    EXPECT_EQ(e.Message, "Cannot have more than one StTrayIcon per application");
    EXPECT_EQ(e.ErrorCode, 133);
  }
  EXPECT_EQ(other->ComponentCount(), 0);
  TObject::Free(t);
  auto* second = new TStTrayIcon(other);  // the first one is gone
  TObject::Free(second);
  TObject::Free(other);
}

TEST_F(StTrayIconTest, MinimiseToTrayHidesTheFormAndDoubleClickBringsItBack) {
  TStTrayIcon* t = MakeTray();
  t->SetMinimizeToTray(true);
  int minimised = 0, restored = 0;
  struct Counter {
    int* N;
    void Hit(TObject*) { ++*N; }
  } m{&minimised}, r{&restored};
  t->OnMinimize = Bind(&m, &Counter::Hit);
  t->OnRestore = Bind(&r, &Counter::Hit);
  Form->Show();
  PumpUntilPainted(Form->Handle());
  ASSERT_TRUE(FormShown());

  SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(minimised, 1);
  EXPECT_FALSE(FormShown());
  EXPECT_FALSE(Form->Visible());
  EXPECT_TRUE(t->InTray());

  // A handler may keep the form in the tray.
  struct Keep {
    TMouseButton Button = mbRight;
    void DblClick(TObject*, TMouseButton b, TShiftState, bool& restore) {
      Button = b;
      restore = false;
    }
  } keep;
  t->OnDblClick = Bind(&keep, &Keep::DblClick);
  Callback(t, WM_MBUTTONDBLCLK);
  EXPECT_EQ(keep.Button, mbMiddle);
  EXPECT_FALSE(FormShown());
  EXPECT_EQ(restored, 0);

  t->OnDblClick = nullptr;
  Callback(t, WM_LBUTTONDBLCLK);
  PumpUntil([&] { return restored > 0 && FormShown(); });
  EXPECT_EQ(restored, 1);
  EXPECT_TRUE(FormShown());
  EXPECT_FALSE(IsIconic(Form->Handle()));
  EXPECT_TRUE(t->InTray());  // HideOnRestore is off

  // The close box hides to the tray too; with HideOnRestore the icon leaves on restore.
  t->SetHideOnRestore(true);
  SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(FormShown());
  EXPECT_TRUE(IsWindow(Form->Handle()));
  Callback(t, WM_RBUTTONDBLCLK);
  PumpUntil([&] { return FormShown() && !t->InTray(); });
  EXPECT_TRUE(FormShown());
  EXPECT_FALSE(t->InTray());
  EXPECT_EQ(Calls.back().Message, DWORD(NIM_DELETE));
}

TEST_F(StTrayIconTest, MinimiseWithoutMinimizeToTrayMinimisesNormally) {
  TStTrayIcon* t = MakeTray();
  int minimised = 0;
  struct Counter {
    int* N;
    void Hit(TObject*) { ++*N; }
  } m{&minimised};
  t->OnMinimize = Bind(&m, &Counter::Hit);
  Form->Show();
  PumpUntilPainted(Form->Handle());
  SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpUntil([&] { return minimised > 0 && IsIconic(Form->Handle()); });
  EXPECT_EQ(minimised, 1);
  EXPECT_TRUE(IsWindowVisible(Form->Handle()));
  EXPECT_TRUE(IsIconic(Form->Handle()));
  // CloseToTray off: the close command reaches the form.
  t->SetCloseToTray(false);
  t->SetActive(false);
  t->SetActive(true);
  SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  PumpUntil([&] { return !Form->Visible(); });
  EXPECT_FALSE(Form->Visible());
}

TEST_F(StTrayIconTest, FormStartingMinimisedGoesStraightToTheTray) {
  TStTrayIcon* t = MakeTray();
  Form->SetWindowState(wsMinimized);
  Form->Show();
  PumpUntil([&] { return !FormShown(); });
  PumpQueued();
  EXPECT_FALSE(FormShown());
  t->RestoreOwner();
  PumpUntil([&] { return FormShown() && !IsIconic(Form->Handle()); });
  EXPECT_TRUE(FormShown());
  EXPECT_FALSE(IsIconic(Form->Handle()));
}

// A popup menu that only notes where it was asked to open.
class RecordingPopup : public TPopupMenu {
public:
  explicit RecordingPopup(TComponent* AOwner) : TPopupMenu(AOwner) {}
  void Popup(int X, int Y) override { ++Popups; }
  int Popups = 0;
};

TEST_F(StTrayIconTest, ClicksAndThePopupMenu) {
  TStTrayIcon* t = MakeTray();
  struct Clicks {
    std::vector<TMouseButton> Buttons;
    void Click(TObject*, TMouseButton b, TShiftState) { Buttons.push_back(b); }
  } clicks;
  t->OnClick = Bind(&clicks, &Clicks::Click);
  Callback(t, WM_LBUTTONDOWN);
  Callback(t, WM_MBUTTONDOWN);
  Callback(t, WM_LBUTTONUP);
  ASSERT_EQ(clicks.Buttons.size(), 2u);
  EXPECT_EQ(clicks.Buttons[0], mbLeft);
  EXPECT_EQ(clicks.Buttons[1], mbMiddle);

  // The default menu: Close and Restore.
  TPopupMenu* def = t->PopupMenu();
  ASSERT_NE(def, nullptr);
  ASSERT_EQ(def->Items()->Count(), 2);
  EXPECT_EQ(def->Items()->Items(0)->Caption(), "&Close");
  EXPECT_EQ(def->Items()->Items(1)->Caption(), "&Restore");

  auto* menu = new RecordingPopup(Form);
  t->SetPopupMenu(menu);
  Callback(t, WM_RBUTTONDOWN);
  EXPECT_EQ(menu->Popups, 1);
  EXPECT_EQ(menu->PopupComponent(), Form);
  EXPECT_FALSE(menu->AutoPopup());

  // A freed menu is forgotten; a right click then does nothing.
  TObject::Free(menu);
  EXPECT_EQ(t->PopupMenu(), nullptr);
  Callback(t, WM_RBUTTONDOWN);
  TObject::Free(Images);
  Images = nullptr;
  EXPECT_EQ(t->Images(), nullptr);

  EXPECT_EQ(SendMessageA(t->NotifyWindow(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(SendMessageA(t->NotifyWindow(), WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(t->NotifyWindow()));
}

// Handlers that free the form, and the tray icon with it, as the program's exit does.
TEST_F(StTrayIconTest, AHandlerMayFreeTheFormAndItsIcon) {
  struct Freer {
    TForm** Form;
    void Free() {
      TObject::Free(*Form);
      *Form = nullptr;
    }
    void DblClick(TObject*, TMouseButton, TShiftState, bool&) { Free(); }
    void Notify(TObject*) { Free(); }
  } freer{&Form};

  TStTrayIcon* t = MakeTray();
  HWND wnd = t->NotifyWindow();
  t->OnDblClick = Bind(&freer, &Freer::DblClick);
  SendMessageA(wnd, StTrayCallbackMessage, StTrayIconID, WM_LBUTTONDBLCLK);  // no restore follows
  EXPECT_EQ(Form, nullptr);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(Calls.back().Message, DWORD(NIM_DELETE));

  Form = new TForm(Application);
  t = MakeTray();
  t->OnRestore = Bind(&freer, &Freer::Notify);
  t->RestoreOwner();
  EXPECT_EQ(Form, nullptr);

  Form = new TForm(Application);
  t = MakeTray();
  t->SetMinimizeToTray(true);
  t->OnMinimize = Bind(&freer, &Freer::Notify);
  TForm* shown = Form;
  shown->Show();
  PumpUntilPainted(shown->Handle());
  SendMessageA(shown->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(Form, nullptr);
  EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(StTrayIconTest, DefaultMenuItems) {
  TStTrayIcon* t = MakeTray();
  t->SetMinimizeToTray(true);
  Form->Show();
  SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_FALSE(FormShown());
  t->PopupMenu()->Items()->Items(1)->Click();  // Restore
  PumpUntil([&] { return FormShown(); });
  EXPECT_TRUE(FormShown());
  t->PopupMenu()->Items()->Items(0)->Click();  // Close: the program ends
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(StTrayIconTest, TheRealNotificationAreaTakesTheIcon) {
  StShellNotifyIcon = Shell_NotifyIconA;
  TStTrayIcon* t = MakeTray();
  EXPECT_TRUE(t->InTray());
  t->SetImages(Images);
  t->SetHint("yOZ");
  t->SetImageIndex(2);
  t->SetActive(false);
  EXPECT_FALSE(t->InTray());
  TObject::Free(t);
}

// A restarted task bar has lost every icon and sends "TaskbarCreated" to each top-level window: the
// icon is added again as it is now (frame and tip), an animation goes on, and the same message while
// the icon is still there only brings it up to date. (On the screen: app_TaskBar.)
TEST_F(StTrayIconTest, ARestartedTaskBarGetsTheIconBackAsItIs) {
  const UINT created = RegisterWindowMessageA("TaskbarCreated");
  TStTrayIcon* t = MakeTray();
  t->SetImages(Images);
  t->SetImageIndex(1);
  t->SetHint("yOZ - At lunch");
  Calls.clear();
  SendMessageA(t->NotifyWindow(), created, 0, 0);
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_EQ(Calls[0].Message, DWORD(NIM_ADD));
  EXPECT_EQ(Calls[0].Colour, Green);
  EXPECT_STREQ(Calls[0].Data.szTip, "yOZ - At lunch");

  FailMessage = NIM_ADD;  // the task bar still has it
  Calls.clear();
  SendMessageA(t->NotifyWindow(), created, 0, 0);
  ASSERT_EQ(CallsOf(NIM_MODIFY).size(), 1u);
  EXPECT_EQ(CallsOf(NIM_MODIFY)[0].Colour, Green);
  EXPECT_TRUE(Errors.Messages.empty());
  FailMessage = 0xFFFFFFFF;

  t->SetInterval(20);
  t->SetAnimate(true);
  ASSERT_TRUE(PumpUntil([&] { return CallsOf(NIM_MODIFY).size() >= 3; }));
  Calls.clear();
  SendMessageA(t->NotifyWindow(), created, 0, 0);
  ASSERT_EQ(CallsOf(NIM_ADD).size(), 1u);
  EXPECT_TRUE(PumpUntil([&] { return CallsOf(NIM_MODIFY).size() >= 3; })) << "the animation stopped";

  // An icon taken out of the tray (restored with HideOnRestore, or inactive) stays out.
  t->SetAnimate(false);
  t->SetActive(false);
  Calls.clear();
  SendMessageA(t->NotifyWindow(), created, 0, 0);
  EXPECT_TRUE(Calls.empty());
}

}  // namespace

namespace {

// A form whose tray icon comes from its form resource, as the board's main window has it.
class TTrayTestForm : public TForm {
  YOZ_CLASS(TTrayTestForm, TForm)
public:
  explicit TTrayTestForm(TComponent* AOwner) : TForm(AOwner) {}
  void TrayClick(TObject*, TMouseButton, TShiftState) { ++Clicks; }
  void TrayDblClick(TObject*, TMouseButton, TShiftState, bool& Restore) { ++DblClicks; }
  static void Publish(TPublisher<TTrayTestForm>& p) {
    p.Method("TrayClick", &TTrayTestForm::TrayClick);
    p.Method("TrayDblClick", &TTrayTestForm::TrayDblClick);
  }
  int Clicks = 0;
  int DblClicks = 0;
};

TEST_F(StTrayIconTest, ReadFromAFormResource) {
  RegisterImgListClasses();
  RegisterMenusClasses();
  StTrIconInitialize();
  Calls.clear();
  TTrayTestForm* f = NewForm<TTrayTestForm>(Application);
  auto* t = dynamic_cast<TStTrayIcon*>(f->FindComponent("StTrayIcon1"));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Images(), f->FindComponent("imgStatus"));
  EXPECT_EQ(t->PopupMenu(), f->FindComponent("pmTray"));
  EXPECT_EQ(t->ImageIndex(), 1);
  EXPECT_EQ(t->Interval(), 100);
  EXPECT_TRUE(t->MinimizeToTray());
  EXPECT_FALSE(t->CloseToTray());
  EXPECT_TRUE(t->Active());

  // Loaded put the icon in the tray with its tip.
  ASSERT_EQ(CallsOf(NIM_ADD).size(), 1u);
  EXPECT_STREQ(CallsOf(NIM_ADD)[0].Data.szTip, "yOZ - Available");
  EXPECT_TRUE(t->InTray());

  // The handlers were bound by name.
  Callback(t, WM_LBUTTONDOWN);
  Callback(t, WM_LBUTTONDBLCLK);
  EXPECT_EQ(f->Clicks, 1);
  EXPECT_EQ(f->DblClicks, 1);

  // Not stored: the kit version.
  EXPECT_FALSE(TStTrayIcon::StaticClass()->FindProp("Version")->IsStored(t));
  EXPECT_EQ(GetClass("TStTrayIcon"), TStTrayIcon::StaticClass());
  TObject::Free(f);
  EXPECT_EQ(Calls.back().Message, DWORD(NIM_DELETE));
}

}  // namespace

namespace {

// The screen while the tray menu is open: taken from a timer that the menu's own loop runs.
std::string ShotPath;
bool MenuShotTaken = false;

void CALLBACK TakeMenuShot(HWND, UINT, UINT_PTR Id, DWORD) {
  KillTimer(nullptr, Id);
  HWND menu = FindWindowA("#32768", nullptr);
  MenuShotTaken = menu && IsWindowVisible(menu);
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  r.right = std::min<LONG>(r.right, 640);
  r.bottom = std::min<LONG>(r.bottom, 480);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(r.right, r.bottom);
  HDC dc = GetDC(nullptr);
  BitBlt(bmp.Canvas()->Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(nullptr, dc);
  bmp.SaveToFile(ShotPath);
  EndMenu();
}

// With YOZ_KITS_SHOT set, leaves a picture of a form with the tray icon's default menu open there.
TEST_F(StTrayIconTest, ShotOfTheOpenTrayMenu) {
  const char* path = std::getenv("YOZ_KITS_SHOT");
  if (!path) GTEST_SKIP() << "YOZ_KITS_SHOT not set";
  ShotPath = path;
  TStTrayIcon* t = MakeTray();
  Form->SetCaption("Tray icon");
  Form->Show();
  PumpUntilPainted(Form->Handle());
  SetCursorPos(200, 180);
  SetTimer(nullptr, 0, 300, TakeMenuShot);
  Callback(t, WM_RBUTTONDOWN);  // returns when the menu closes
  EXPECT_TRUE(MenuShotTaken);
}

}  // namespace
