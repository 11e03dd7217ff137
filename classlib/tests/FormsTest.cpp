// Forms on real windows: a form read from its resource, the modal loop with its results, Enter and
// Esc, nested modal loops with timers, closing rules, hints, the screen and the application's loop.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppEvnts.h"
#include "Controls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "TestSupport.h"

namespace {

// A windowed container.
class TTestPanel : public TCustomControl {
  YOZ_CLASS(TTestPanel, TCustomControl)
public:
  explicit TTestPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    SetBounds(0, 0, 100, 40);
  }
};

// A windowless square of one colour.
class TTestSwatch : public TGraphicControl {
  YOZ_CLASS(TTestSwatch, TGraphicControl)
public:
  explicit TTestSwatch(TComponent* AOwner) : TGraphicControl(AOwner) {}

protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clLime);
    RECT r = ClientRect();
    Canvas()->FillRect(r);
  }
};

// The least a dialog button does: its modal result on click, Enter when Default, Esc when Cancel.
class TTestButton : public TCustomControl {
  YOZ_CLASS(TTestButton, TCustomControl)
public:
  explicit TTestButton(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
  }
  bool FDefault = false, FCancel = false;
  TModalResult FModalResult = mrNone;
  void Click() override {
    TLiveGuard g(this);
    if (TCustomForm* f = GetParentForm()) f->SetModalResult(FModalResult);
    if (g) TCustomControl::Click();
  }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_DIALOGKEY) {
      auto key = MessageAs<TWMKey>(Message).CharCode();
      if ((key == VK_RETURN && FDefault) || (key == VK_ESCAPE && FCancel)) {
        Click();
        Message.Result = 1;
      }
      return;
    }
    TCustomControl::Dispatch(Message);
  }
  static void Publish(TPublisher<TTestButton>& p) {
    p.Bool("Default", &TTestButton::FDefault, &TTestButton::FDefault);
    p.Bool("Cancel", &TTestButton::FCancel, &TTestButton::FCancel);
    p.Int("ModalResult", &TTestButton::FModalResult, &TTestButton::FModalResult);
  }

protected:
  void Paint() override {
    RECT r = ClientRect();
    DrawFrameControl(Canvas()->Handle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    SetBkMode(Canvas()->Handle(), TRANSPARENT);
    std::string t = GetText();
    DrawTextA(Canvas()->Handle(), t.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
};

class TfrmSample : public TForm {
  YOZ_CLASS(TfrmSample, TForm)
public:
  explicit TfrmSample(TComponent* AOwner) : TForm(AOwner) {}
  int Created = 0, Shown = 0, CancelClicks = 0;
  bool ThrowInCreate = false;
  void FormCreate(TObject* Sender) {
    ++Created;
    if (ThrowInCreate) throw Exception("create failed");
  }
  void FormShow(TObject* Sender) { ++Shown; }
  void btnCancelClick(TObject* Sender) { ++CancelClicks; }
  template <class T>
  T* Find(const char* Name) {
    return dynamic_cast<T*>(FindComponent(Name));
  }
  static void Publish(TPublisher<TfrmSample>& p) {
    p.Method("FormCreate", &TfrmSample::FormCreate);
    p.Method("FormShow", &TfrmSample::FormShow);
    p.Method("btnCancelClick", &TfrmSample::btnCancelClick);
  }
};

class FormsEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitForms();
    Application->Initialize();
    RegisterClasses({TTestPanel::StaticClass(), TTestSwatch::StaticClass(), TTestButton::StaticClass(),
                     TfrmSample::StaticClass(), TTimer::StaticClass()});
  }
  void TearDown() override { DoneForms(); }
};
const auto* const Env = ::testing::AddGlobalTestEnvironment(new FormsEnvironment);
// Modal loops end only by a timer's key or click: one that stays ends the program naming the test.
const bool Watched = (WatchEveryTest(60000), true);

// Runs Fn from the message loop after Ms (again and again when Repeat).
class TLater {
public:
  TLater(int Ms, std::function<void()> Fn, bool Repeat = false) : FFn(std::move(Fn)), FRepeat(Repeat) {
    FTimer = new TTimer(nullptr);
    FTimer->SetInterval(uint32_t(Ms));
    FTimer->SetOnTimer(Bind(this, &TLater::Tick));
  }
  ~TLater() { TObject::Free(FTimer); }
  int Ticks = 0;
  void Stop() { FTimer->SetEnabled(false); }

private:
  void Tick(TObject*) {
    ++Ticks;
    if (!FRepeat) FTimer->SetEnabled(false);
    FFn();
  }
  TTimer* FTimer;
  std::function<void()> FFn;
  bool FRepeat;
};

void PostClick(TControl* c) {
  auto* w = dynamic_cast<TWinControl*>(c);
  PostMessageA(w->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(w->WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

void PostKey(WORD Key) {
  HWND target = GetFocus();
  PostMessageA(target, WM_KEYDOWN, Key, 1);
  PostMessageA(target, WM_KEYUP, Key, 0xC0000001);
}

// Saves the screen's rectangle of a window as a BMP file.
bool SaveWindowShot(HWND Wnd, const std::string& Path) {
  RECT r;
  GetWindowRect(Wnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  int stride = ((w * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + DWORD(stride * h);
  bool ok = false;
  if (FILE* f = std::fopen(Path.c_str(), "wb")) {
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    std::fwrite(bits, size_t(stride * h), 1, f);
    ok = std::fclose(f) == 0;
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

struct ExceptionLog {
  std::vector<std::string> Messages;
  void Handler(TObject* Sender, Exception* E) { Messages.push_back(E->Message); }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------

TEST(FormsResource, AFormIsBuiltFromItsResourceThenCreated) {
  Owned<TfrmSample> f(NewForm<TfrmSample>(nullptr));
  EXPECT_EQ(f->Name(), "frmSample");
  EXPECT_EQ(f->Created, 1);
  EXPECT_EQ(f->Caption(), "Sample form");
  EXPECT_EQ(f->BorderStyle(), bsDialog);
  auto* pnl = f->Find<TTestPanel>("pnlTop");
  auto* sw = f->Find<TTestSwatch>("swGreen");
  auto* ok = f->Find<TTestButton>("btnOK");
  auto* cancel = f->Find<TTestButton>("btnCancel");
  ASSERT_TRUE(pnl && sw && ok && cancel);
  EXPECT_EQ(pnl->Parent(), f.get());
  EXPECT_EQ(sw->Parent(), pnl);
  EXPECT_EQ(ok->GetText(), "OK");
  EXPECT_TRUE(ok->FDefault);
  EXPECT_EQ(cancel->FModalResult, mrCancel);
  EXPECT_EQ(cancel->TabOrder(), 0);
  EXPECT_EQ(ok->TabOrder(), 1);
  EXPECT_EQ(pnl->Color(), clNavy);
  EXPECT_TRUE(f->ClientWidth() == 240 && f->ClientHeight() == 120) << f->ClientWidth() << "x" << f->ClientHeight();
  EXPECT_EQ(pnl->Width(), 240);  // aligned to the top across the client area
  EXPECT_FALSE(f->Visible());
  // Shown: centred, the real client area as read, the children drawn.
  f->Show();
  EXPECT_EQ(f->Shown, 1);
  RECT cr;
  PumpUntil([&] {
    GetClientRect(f->WindowHandle(), &cr);
    return cr.right == 240 && cr.bottom == 120;
  });
  EXPECT_EQ(cr.right, 240);
  EXPECT_EQ(cr.bottom, 120);
  EXPECT_NEAR(f->Left() + f->Width() / 2, Screen->Width() / 2, 2);
  {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 240, 120);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    f->PaintTo(dc, 0, 0);
    EXPECT_EQ(GetPixel(dc, 8 + 12, 8 + 12) & 0xFFFFFF, RGB(0, 255, 0));  // the swatch in the panel
    EXPECT_EQ(GetPixel(dc, 100, 20) & 0xFFFFFF, RGB(0, 0, 128));         // the panel
    EXPECT_EQ(GetPixel(dc, 100, 60) & 0xFFFFFF, ColorToRGB(clBtnFace));  // the form
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string shot = std::string(temp) + "FormsTestSample.bmp";
  EXPECT_TRUE(SaveWindowShot(f->WindowHandle(), shot));
  std::printf("screenshot: %s\n", shot.c_str());
  // The cancel button's handler was bound by name.
  SendMessageA(cancel->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(cancel->WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(f->CancelClicks, 1);
}

TEST(FormsResource, AnExceptionInOnCreateGoesToTheApplication) {
  ExceptionLog log;
  Application->OnException = Bind(&log, &ExceptionLog::Handler);
  auto* f = new TfrmSample(nullptr);
  f->ThrowInCreate = true;
  f->AfterConstruction();
  Application->OnException = nullptr;
  ASSERT_EQ(log.Messages.size(), 1u);
  EXPECT_EQ(log.Messages[0], "create failed");
  EXPECT_NE(f->FindComponent("btnOK"), nullptr);
  TObject::Free(f);
}

TEST(FormsResource, AFormOnlyConstructedIsFinishedWhenShown) {
  Owned<TfrmSample> f(new TfrmSample(nullptr));
  EXPECT_EQ(f->FindComponent("btnOK"), nullptr);
  f->SetVisible(true);
  EXPECT_EQ(f->Created, 1);
  EXPECT_NE(f->FindComponent("btnOK"), nullptr);
  EXPECT_TRUE(f->HandleAllocated() && IsWindowVisible(f->WindowHandle()));
}

TEST(FormsResource, ABareFormReadsNothing) {
  Owned<TfrmSample> f(CreateNewForm<TfrmSample>(nullptr));
  EXPECT_EQ(f->ComponentCount(), 0);
  EXPECT_EQ(f->Created, 0);  // no resource bound OnCreate
  EXPECT_TRUE(f->Constructed());
}

// ---------------------------------------------------------------------------------------------------

TEST(FormsModal, ShowModalReturnsTheClickedButtonsResultAndDisablesOtherWindows) {
  Owned<TForm> other(new TForm(nullptr));
  other->SetBounds(10, 10, 100, 80);
  other->Show();
  Owned<TfrmSample> f(NewForm<TfrmSample>(nullptr));
  bool otherEnabledDuring = true;
  TLater click(50, [&] {
    otherEnabledDuring = IsWindowEnabled(other->WindowHandle()) != FALSE;
    PostClick(f->Find<TControl>("btnOK"));
  });
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_FALSE(otherEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(other->WindowHandle()));
  EXPECT_FALSE(f->Visible());
  EXPECT_FALSE(IsWindowVisible(f->WindowHandle()));
  EXPECT_FALSE(f->Modal());
  // A visible form cannot be made modal.
  other->Show();
  EXPECT_THROW(other->ShowModal(), EInvalidOperation);
}

TEST(FormsModal, TheApplicationsMessageBoxIsOwnedByTheActiveFormAndReturnsTheButton) {
  Owned<TfrmSample> f(NewForm<TfrmSample>(nullptr));
  f->SetFormStyle(fsStayOnTop);
  f->Show();
  SetForegroundWindow(f->WindowHandle());
  ASSERT_TRUE(PumpUntil([&] { return Screen->ActiveForm() == f.get(); }));
  HWND box = nullptr, owner = nullptr;
  std::string text;
  TLater answer(50, [&] {
    if (box) return;
    box = FindWindowA("#32770", "Box caption");
    if (!box) return;
    owner = GetWindow(box, GW_OWNER);
    char buf[200] = {};
    GetDlgItemTextA(box, 0xFFFF, buf, sizeof buf);
    text = buf;
    PostMessageA(box, WM_COMMAND, IDNO, 0);
  }, true);
  EXPECT_EQ(Application->MessageBox("Reset the bar?", "Box caption", MB_YESNO | MB_ICONQUESTION), IDNO);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(owner, f->WindowHandle());
  EXPECT_EQ(text, "Reset the bar?");
  // Tests answer through the hook.
  std::string asked;
  Application->MessageBoxHook = [&](const std::string& Text, const std::string&, UINT) {
    asked = Text;
    return IDCANCEL;
  };
  EXPECT_EQ(Application->MessageBox("Again?", "Box caption", MB_OKCANCEL), IDCANCEL);
  Application->MessageBoxHook = nullptr;
  EXPECT_EQ(asked, "Again?");
}

TEST(FormsModal, EnterAndEscReachTheDefaultAndCancelButtons) {
  Owned<TfrmSample> f(NewForm<TfrmSample>(nullptr));
  TLater enter(50, [] { PostKey(VK_RETURN); });
  EXPECT_EQ(f->ShowModal(), mrOk);
  TLater esc(50, [] { PostKey(VK_ESCAPE); });
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(f->CancelClicks, 1);
  // Tab moves the focus along the tab order (cancel first, then OK) and wraps.
  TWinControl* first = nullptr;
  TWinControl* second = nullptr;
  TLater tab(50, [&] {
    first = f->ActiveControl();
    PostKey(VK_TAB);
  });
  TLater look(150, [&] {
    second = f->ActiveControl();
    f->SetModalResult(mrAbort);
  });
  EXPECT_EQ(f->ShowModal(), mrAbort);
  EXPECT_EQ(first, f->Find<TWinControl>("btnCancel"));
  EXPECT_EQ(second, f->Find<TWinControl>("btnOK"));
}

TEST(FormsModal, NestedModalLoopsKeepTimersTicking) {
  Owned<TfrmSample> outer(NewForm<TfrmSample>(nullptr));
  Owned<TForm> inner(new TForm(nullptr));
  inner->SetBounds(100, 100, 150, 100);
  TLater ticker(10, [] {}, true);
  int ticksWhenInnerOpened = -1, ticksWhenInnerClosed = -1;
  bool outerEnabledInside = true;
  TModalResult innerResult = mrNone;
  TLater openInner(30, [&] {
    ticksWhenInnerOpened = ticker.Ticks;
    TLater closeInner(200, [&] {
      outerEnabledInside = IsWindowEnabled(outer->WindowHandle()) != FALSE;
      inner->SetModalResult(mrYes);
    });
    innerResult = inner->ShowModal();
    ticksWhenInnerClosed = ticker.Ticks;
    outer->SetModalResult(mrNo);
  });
  EXPECT_EQ(outer->ShowModal(), mrNo);
  EXPECT_EQ(innerResult, mrYes);
  EXPECT_FALSE(outerEnabledInside);
  EXPECT_GE(ticksWhenInnerClosed - ticksWhenInnerOpened, 5);
  EXPECT_EQ(Application->ModalLevel(), 0);
}

TEST(FormsModal, CloseQueryCanRefuseAndOnCloseDecides) {
  struct H {
    int Queries = 0;
    TCloseAction Action = caHide;
    void Query(TObject*, bool& Can) { Can = ++Queries > 1; }
    void Close(TObject*, TCloseAction& A) { A = Action; }
  } h;
  Owned<TfrmSample> f(NewForm<TfrmSample>(nullptr));
  f->OnCloseQuery = Bind(&h, &H::Query);
  TLater first(30, [&] { f->SetModalResult(mrOk); });
  TLater second(150, [&] { f->SetModalResult(mrYes); });
  EXPECT_EQ(f->ShowModal(), mrYes);
  EXPECT_EQ(h.Queries, 2);
  // Close on a shown form: caNone keeps it, caHide hides it, caFree frees it once the messages are done.
  f->OnClose = Bind(&h, &H::Close);
  f->Show();
  h.Action = caNone;
  f->Close();
  EXPECT_TRUE(f->Visible());
  h.Action = caHide;
  f->Close();
  EXPECT_FALSE(f->Visible());
  f->Show();
  h.Action = caFree;
  TCustomForm* raw = f.release();
  int before = Screen->FormCount();
  raw->Close();
  EXPECT_EQ(Screen->FormCount(), before);  // still there until the posted release
  PumpUntil([&] { return Screen->FormCount() == before - 1; });
  EXPECT_EQ(Screen->FormCount(), before - 1);
}

TEST(FormsModal, AFormFreedDuringItsOwnModalLoop) {
  // Freed from outside while its loop runs: ShowModal returns and touches nothing.
  auto* f = NewForm<TfrmSample>(nullptr);
  int before = Screen->FormCount();
  TLater kill(50, [&] { TObject::Free(f); });
  EXPECT_EQ(f->ShowModal(), mrNone);
  EXPECT_EQ(Screen->FormCount(), before - 1);
  EXPECT_EQ(Application->ModalLevel(), 0);
  // Closing with caFree: the result comes back, the form goes once the loop is left.
  struct H {
    void Close(TObject*, TCloseAction& A) { A = caFree; }
  } h;
  auto* g = NewForm<TfrmSample>(nullptr);
  g->OnClose = Bind(&h, &H::Close);
  TLater ok(50, [&] { g->SetModalResult(mrOk); });
  EXPECT_EQ(g->ShowModal(), mrOk);
  PumpUntil([&] { return Screen->FormCount() == before - 1; });
  EXPECT_EQ(Screen->FormCount(), before - 1);
}

TEST(FormsModal, PlacesStatesAndSizeLimits) {
  Owned<TForm> main(new TForm(nullptr));
  main->SetBounds(100, 100, 400, 300);
  main->Show();
  Owned<TForm> owned(new TForm(main.get()));
  owned.get()->SetBounds(0, 0, 200, 100);
  owned->SetPosition(poOwnerFormCenter);
  owned->Show();
  EXPECT_EQ(owned->Left(), 100 + (400 - 200) / 2);
  EXPECT_EQ(owned->Top(), 100 + (300 - 100) / 2);
  // The window reports its state back.
  owned->SetWindowState(wsMaximized);
  PumpUntil([&] { return owned->WindowState() == wsMaximized; });
  EXPECT_EQ(owned->WindowState(), wsMaximized);
  owned->SetWindowState(wsNormal);
  PumpUntil([&] { return owned->WindowState() == wsNormal; });
  EXPECT_EQ(owned->WindowState(), wsNormal);
  EXPECT_EQ(owned->Width(), 200);
  // The size limits reach the system's tracking sizes.
  owned->Constraints()->SetMinWidth(150);
  owned->Constraints()->SetMaxHeight(250);
  MINMAXINFO mmi{};
  SendMessageA(owned->WindowHandle(), WM_GETMINMAXINFO, 0, LPARAM(&mmi));
  EXPECT_EQ(mmi.ptMinTrackSize.x, 150);
  EXPECT_EQ(mmi.ptMaxTrackSize.y, 250);
  owned->SetWidth(100);
  EXPECT_EQ(owned->Width(), 150);
  // A message the application's OnMessage handles is not dispatched.
  struct M {
    int Seen = 0;
    void OnMessage(MSG& Msg, bool& Handled) {
      if (Msg.message == WM_USER + 77) {
        ++Seen;
        Handled = true;
      }
    }
  } m;
  struct TCounting : TForm {
    explicit TCounting(TComponent* o) : TForm(o) {}
    int Got = 0;
    void Dispatch(TMessage& Msg) override {
      if (Msg.Msg == WM_USER + 77) ++Got;
      TForm::Dispatch(Msg);
    }
  };
  Owned<TCounting> c(new TCounting(nullptr));
  c->HandleNeeded();
  Application->OnMessage = Bind(&m, &M::OnMessage);
  PostMessageA(c->WindowHandle(), WM_USER + 77, 0, 0);
  PumpUntil([&] { return m.Seen > 0; });
  Application->OnMessage = nullptr;
  PostMessageA(c->WindowHandle(), WM_USER + 77, 0, 0);
  PumpUntil([&] { return c->Got > 0; });
  EXPECT_EQ(m.Seen, 1);
  EXPECT_EQ(c->Got, 1);
}

TEST(FormsModal, KeyPreviewLetsTheFormSeeKeysFirst) {
  struct H {
    std::vector<uint16_t> Keys;
    void Down(TObject*, uint16_t& Key, TShiftState) {
      Keys.push_back(Key);
      if (Key == 'X') Key = 0;
    }
  } form, button;
  Owned<TfrmSample> f(NewForm<TfrmSample>(nullptr));
  auto* ok = f->Find<TTestButton>("btnOK");
  f->OnKeyDown = Bind(&form, &H::Down);
  ok->OnKeyDown = Bind(&button, &H::Down);
  f->Show();
  ok->SetFocus();
  PumpUntil([&] { return ok->Focused(); });
  SendMessageA(ok->WindowHandle(), WM_KEYDOWN, 'A', 1);
  EXPECT_TRUE(form.Keys.empty());
  f->SetKeyPreview(true);
  SendMessageA(ok->WindowHandle(), WM_KEYDOWN, 'B', 1);
  SendMessageA(ok->WindowHandle(), WM_KEYDOWN, 'X', 1);
  ASSERT_EQ(form.Keys.size(), 2u);
  EXPECT_EQ(form.Keys[1], 'X');
  ASSERT_EQ(button.Keys.size(), 2u);  // 'A' and 'B'; 'X' was swallowed by the form
  EXPECT_EQ(button.Keys[1], 'B');
  // A shortcut of the form runs before the control sees the key.
  struct S {
    int Runs = 0;
    void Short(TWMKey& Msg, bool& Handled) {
      if (Msg.CharCode() == VK_F5) {
        ++Runs;
        Handled = true;
      }
    }
  } sc;
  f->SetKeyPreview(false);
  f->OnShortCut = Bind(&sc, &S::Short);
  PostMessageA(ok->WindowHandle(), WM_KEYDOWN, VK_F5, 1);
  PostMessageA(ok->WindowHandle(), WM_KEYDOWN, VK_F6, 1);
  PumpUntil([&] { return button.Keys.size() >= 3; });
  EXPECT_EQ(sc.Runs, 1);
  ASSERT_EQ(button.Keys.size(), 3u);
  EXPECT_EQ(button.Keys[2], VK_F6);
}

TEST(FormsModal, SwitchingFormsGivesTheFocusBackWithoutLeavingTheControl) {
  struct H {
    int Enters = 0, Exits = 0;
    void Enter(TObject*) { ++Enters; }
    void Exit(TObject*) { ++Exits; }
  } h;
  Owned<TfrmSample> a(NewForm<TfrmSample>(nullptr));
  auto* ok = a->Find<TTestButton>("btnOK");
  ok->OnEnter = Bind(&h, &H::Enter);
  ok->OnExit = Bind(&h, &H::Exit);
  a->SetActiveControl(ok);
  a->Show();
  PumpUntil([&] { return ok->Focused(); });
  EXPECT_TRUE(ok->Focused());
  EXPECT_EQ(h.Enters, 1);
  Owned<TForm> b(new TForm(nullptr));
  b->SetBounds(400, 400, 100, 100);
  b->Show();
  PumpUntil([&] { return GetActiveWindow() == b->WindowHandle(); });
  EXPECT_EQ(Screen->ActiveForm(), b.get());
  a->Show();
  PumpUntil([&] { return ok->Focused(); });
  EXPECT_TRUE(ok->Focused());
  EXPECT_EQ(Screen->ActiveForm(), a.get());
  EXPECT_EQ(h.Exits, 0);
  EXPECT_EQ(h.Enters, 1);
}

// A border style changed at run time makes the window anew: a shown form stays shown (and the active
// one active), a hidden one stays hidden until Show, and Show shows a form whose window was hidden.
TEST(FormsModal, AFormsWindowMadeAnewKeepsItsVisibility) {
  Owned<TForm> f(new TForm(nullptr));
  f->SetBounds(120, 120, 300, 200);
  f->Show();
  ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == f->WindowHandle(); }));
  HWND before = f->WindowHandle();
  f->SetBorderStyle(bsToolWindow);
  ASSERT_NE(f->WindowHandle(), before);
  EXPECT_TRUE(IsWindowVisible(f->WindowHandle()));
  EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == f->WindowHandle(); }));
  f->Hide();
  f->SetBorderStyle(bsSingle);
  EXPECT_FALSE(IsWindowVisible(f->WindowHandle()));
  f->Show();
  EXPECT_TRUE(IsWindowVisible(f->WindowHandle()));
  // A window hidden behind the form's back is shown again by Show.
  ShowWindow(f->WindowHandle(), SW_HIDE);
  f->Show();
  EXPECT_TRUE(IsWindowVisible(f->WindowHandle()));
}

// ---------------------------------------------------------------------------------------------------

TEST(FormsScreen, ScreenKeepsFormsCursorsAndAreas) {
  int before = Screen->FormCount();
  Owned<TForm> f(new TForm(nullptr));
  EXPECT_EQ(Screen->FormCount(), before + 1);
  EXPECT_EQ(Screen->Forms(Screen->FormCount() - 1), f.get());
  HCURSOR custom = CreateCursor(GetModuleHandleA(nullptr), 0, 0, 32, 32, std::vector<BYTE>(128, 0xFF).data(),
                                std::vector<BYTE>(128, 0).data());
  Screen->SetCursors(5, custom);
  EXPECT_EQ(Screen->Cursors(5), custom);
  EXPECT_EQ(Screen->Cursors(crHourGlass), LoadCursorA(nullptr, IDC_WAIT));
  EXPECT_EQ(Screen->Cursors(crDefault), LoadCursorA(nullptr, IDC_ARROW));
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  Screen->SetCursor(crDefault);
  RECT wa = Screen->WorkAreaRect();
  EXPECT_GT(wa.right - wa.left, 0);
  EXPECT_GT(Screen->HintFont()->Height() != 0 ? 1 : 0, 0);
  f.reset();
  EXPECT_EQ(Screen->FormCount(), before);
}

TEST(FormsHints, AHintShowsAfterThePauseAndTellsTheApplication) {
  struct H {
    std::vector<std::string> Hints;
    void OnHint(TObject*) { Hints.push_back(Application->Hint()); }
  } h;
  Owned<TfrmSample> f(NewForm<TfrmSample>(nullptr));
  auto* events = new TApplicationEvents(f.get());
  events->OnHint = Bind(&h, &H::OnHint);
  Application->SetHintPause(20);
  // On top, away from other test programs' windows on the shared display.
  f->SetFormStyle(fsStayOnTop);
  f->SetPosition(poDesigned);
  f->SetBounds(900, 720, f->Width(), f->Height());
  f->Show();
  PumpUntilPainted(f->Handle());
  auto* sw = f->Find<TControl>("swGreen");
  POINT p = sw->ClientToScreen(POINT{10, 10});
  // The pointer is held on the spot: another program on the shared display moving the pointer would
  // take it off the swatch and restart the pause.
  THoldPointer hold(p);
  bool shown = PumpUntil([&] {
    SetCursorPos(p.x, p.y);
    THintWindow* hw = Application->HintWindow();
    return hw && hw->HandleAllocated() && IsWindowVisible(hw->WindowHandle());
  });
  ASSERT_TRUE(shown);
  EXPECT_EQ(Application->HintWindow()->GetText(), "Green");
  EXPECT_EQ(Application->Hint(), "A green square");
  ASSERT_FALSE(h.Hints.empty());
  EXPECT_EQ(h.Hints.back(), "A green square");
  // Moving away hides it.
  POINT away = f->ClientToScreen(POINT{200, 100});
  hold.Move(away);
  PumpUntil([&] {
    SetCursorPos(away.x, away.y);
    return !IsWindowVisible(Application->HintWindow()->WindowHandle());
  });
  EXPECT_FALSE(IsWindowVisible(Application->HintWindow()->WindowHandle()));
  EXPECT_EQ(Application->Hint(), "");
}

TEST(FormsHints, TheHintWindowHoldsItsTextAndStaysOutOfTheTaskBar) {
  const std::string text = "Right click for options...";
  auto* hw = new THintWindow(Application);
  struct Free { THintWindow* W; ~Free() { TObject::Free(W); } } free{hw};
  // Measured apart from the window, with the font a hint draws with.
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Screen->HintFont()->Handle());
  SIZE ext{};
  GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &ext);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  RECT r = hw->CalcHintRect(Screen->Width(), text);
  // Bottom right, away from other test programs' windows on the shared display.
  OffsetRect(&r, Screen->Width() - 300, Screen->Height() - 60);
  hw->ActivateHint(r, text);
  HWND w = hw->WindowHandle();
  ASSERT_TRUE(IsWindowVisible(w));
  RECT client;
  GetClientRect(w, &client);
  EXPECT_GE(client.right, ext.cx + 4);  // the text plus a margin on each side
  EXPECT_GE(client.bottom, ext.cy);
  LONG style = GetWindowLongA(w, GWL_STYLE), exStyle = GetWindowLongA(w, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CHILD);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
  EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
  EXPECT_NE(GetWindow(w, GW_OWNER), nullptr);  // an owned window never gets a task bar button
  EXPECT_NE(GetForegroundWindow(), w);
  // The text is drawn with the measured font: its ink reaches the right end of the measured width
  // (a wider font would wrap after "for" and leave the right part empty).
  UpdateWindow(w);
  HDC wdc = GetDC(w);
  COLORREF back = GetPixel(wdc, client.right - 1, client.bottom - 1);
  int rightmost = -1;
  for (int x = client.right - 1; x >= 0 && rightmost < 0; --x)
    for (int y = 0; y < client.bottom; ++y)
      if (GetPixel(wdc, x, y) != back) {
        rightmost = x;
        break;
      }
  ReleaseDC(w, wdc);
  EXPECT_GT(rightmost, ext.cx * 3 / 4);
  EXPECT_LT(rightmost, client.right);
}

TEST(FormsEvents, ApplicationEventsForwardExceptions) {
  ExceptionLog log;
  auto* events = new TApplicationEvents(nullptr);
  events->OnException = Bind(&log, &ExceptionLog::Handler);
  TLater boom(10, [] { throw EConvertError("timer error"); });
  PumpUntil([&] { return !log.Messages.empty(); });
  TObject::Free(events);
  ASSERT_EQ(log.Messages.size(), 1u);
  EXPECT_EQ(log.Messages[0], "timer error");
  EXPECT_FALSE(Application->OnException);
}

// Last: the application's loop ends for good when its main form closes.
TEST(FormsZApplication, RunEndsWhenTheMainFormCloses) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  TfrmSample* main = nullptr;
  Application->CreateForm(main);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Application->MainForm(), main);
  EXPECT_EQ(main->Created, 1);
  TfrmSample* second = nullptr;
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), main);
  bool wasVisible = false;
  TLater close(50, [&] {
    wasVisible = main->Visible();
    main->Close();
  });
  Application->Run();
  EXPECT_TRUE(wasVisible);
  EXPECT_TRUE(Application->Terminated());
}
