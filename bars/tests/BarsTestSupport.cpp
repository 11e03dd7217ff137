#include "BarsTestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "dxBarCustForm.h"

void TBarsEnvironment::SetUp() {
  InitForms();
  dxBarInitialize();
  RegisterActnListClasses();
  RegisterImgListClasses();
  RegisterClass(TForm::StaticClass());
}

void TBarsEnvironment::TearDown() {
  dxBarFinalize();
  DoneForms();
}

void SendKeys(std::initializer_list<std::pair<WORD, bool>> Keys) {
  std::vector<INPUT> in;
  for (auto [k, up] : Keys) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  }
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

// Every event carries the point: a press without one lands wherever Wine last put the pointer, which
// may be a position from before SetCursorPos.
static INPUT MouseEvent(POINT Screen, DWORD Flags) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT i{};
  i.type = INPUT_MOUSE;
  i.mi.dx = MulDiv(Screen.x, 65535, w - 1);
  i.mi.dy = MulDiv(Screen.y, 65535, h - 1);
  i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | Flags;
  return i;
}

void SendMouse(POINT Screen, DWORD Flags) {
  SetCursorPos(Screen.x, Screen.y);
  INPUT i = MouseEvent(Screen, Flags);
  SendInput(1, &i, sizeof(INPUT));
}

void RightClickAt(POINT Screen) {
  SendMouse(Screen, MOUSEEVENTF_RIGHTDOWN);
  Application->ProcessMessages();
  SendMouse(Screen, MOUSEEVENTF_RIGHTUP);
  Application->ProcessMessages();
}

// Puts the pointer at P and waits until the system reports it there (the warp reaches Wine through
// the display).
static void WarpPointer(POINT P) {
  PumpUntil([&] {
    POINT cur{};
    GetCursorPos(&cur);
    if (cur.x == P.x && cur.y == P.y) return true;
    SetCursorPos(P.x, P.y);
    return false;
  });
}

void DragPointer(POINT From, POINT To) {
  TWatchdog dog(60000, "a real drag did not end");
  // The press is read where the pointer is: wait until the warp has arrived.
  WarpPointer(From);
  SendMouse(From);
  Application->ProcessMessages();
  // The press and the rest come from another thread: a loop that the press or the first moves start
  // holds this one until the release.
  std::atomic<bool> done{false};
  std::thread user([&] {
    INPUT down = MouseEvent(From, MOUSEEVENTF_LEFTDOWN);
    SendInput(1, &down, sizeof(INPUT));
    for (int k = 1; k <= 6; ++k) {
      Sleep(30);
      INPUT move = MouseEvent(POINT{From.x + (To.x - From.x) * k / 6, From.y + (To.y - From.y) * k / 6}, 0);
      SendInput(1, &move, sizeof(INPUT));
    }
    Sleep(30);
    INPUT up = MouseEvent(To, MOUSEEVENTF_LEFTUP);
    SendInput(1, &up, sizeof(INPUT));
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  user.join();
  // Everything is queued once the thread is done: what the loop has not read yet is read now.
  Application->ProcessMessages();
}

void Click(POINT Screen, bool OneByOne) {
  SetCursorPos(Screen.x, Screen.y);
  INPUT in[3]{MouseEvent(Screen, 0), MouseEvent(Screen, MOUSEEVENTF_LEFTDOWN), MouseEvent(Screen, MOUSEEVENTF_LEFTUP)};
  if (!OneByOne) {
    SendInput(3, in, sizeof(INPUT));
    return;
  }
  // SendInput has queued the event when it returns: processing the queue hands it to the window.
  for (INPUT& i : in) {
    SendInput(1, &i, sizeof(INPUT));
    if (&i != &in[2]) Application->ProcessMessages();
  }
}

TManagerForm::TManagerForm() : Form(CreateNewForm<TForm>(nullptr)) {
  Form->SetBounds(50, 50, 400, 300);
  Manager = new TdxBarManager(Form.get());
  Manager->SetName("dxBarManager1");
}

std::map<std::string, int> TCountingControl::Counts;
int TCountingControl::Live = 0;

TCountingControl::TCountingControl(TdxBarItemLink* ALink) : TdxBarItemControl(ALink) { ++Live; }
TCountingControl::~TCountingControl() { --Live; }

namespace {
const TClass CountedClasses[] = {TdxBarButton::StaticClass(), TdxBarEdit::StaticClass(), TdxBarCombo::StaticClass(),
                                 TdxBarSubItem::StaticClass(), TdxBarListItem::StaticClass(),
                                 TdxBarContainerItem::StaticClass()};
}

namespace {
TdxBarItemControlMaker SavedMakers[std::size(CountedClasses)];
}

TCountingControls::TCountingControls() {
  TCountingControl::Counts.clear();
  for (size_t i = 0; i < std::size(CountedClasses); ++i) {
    SavedMakers[i] = dxBarItemControlClass(CountedClasses[i]);
    dxBarRegisterItem(CountedClasses[i], &dxMakeItemControl<TCountingControl>, true);
  }
}

// The library's own controls come back for the tests that follow.
TCountingControls::~TCountingControls() {
  for (size_t i = 0; i < std::size(CountedClasses); ++i) dxBarRegisterItem(CountedClasses[i], SavedMakers[i], true);
}

RECT WindowRect(TWinControl* W) {
  RECT r;
  GetWindowRect(W->Handle(), &r);
  return r;
}

POINT Center(TdxBarItemLink* L) { return L->BarControl()->ClientToScreen(Middle(L->ItemRect)); }

std::vector<std::string> Captions(TdxBarItemLinks* Links) {
  std::vector<std::string> v;
  for (int i = 0; i < Links->Count(); ++i) {
    TdxBarItemLink* l = Links->Items(i);
    v.push_back(l->Item() ? l->Caption() : "<no item>");
  }
  return v;
}

void ClickLink(TCustomdxBarControl* W, TdxBarItemLink* L) {
  Click(W->ClientToScreen(Middle(L->ItemRect)));
  // The click was queued before this timer: it fires once the click is handled. What the click left
  // for later comes after.
  WaitTimers(0);
  WaitDeferred();
}

TdxBarItemLink* FindRow(TCustomdxBarControl* W, const std::string& Caption) {
  for (int i = 0; i < W->ItemLinks()->VisibleCount(); ++i)
    if (W->ItemLinks()->VisibleItems(i)->Caption() == Caption) return W->ItemLinks()->VisibleItems(i);
  return nullptr;
}

bool ClickRow(TCustomdxBarControl* W, const std::string& Caption) {
  TdxBarItemLink* l = FindRow(W, Caption);
  if (l) ClickLink(W, l);
  return l;
}

void PostMove(POINT Screen, UINT Msg) {
  HWND app = Application->Handle();
  ScreenToClient(app, &Screen);
  PostMessageA(app, Msg, 0, MAKELPARAM(Screen.x, Screen.y));
}

void PostKey(WPARAM Key, bool Down) { PostMessageA(Application->Handle(), Down ? WM_KEYDOWN : WM_KEYUP, Key, 0); }

namespace {
LRESULT CALLBACK ProbeProc(HWND W, UINT Msg, WPARAM WP, LPARAM LP) {
  if (Msg != WM_APP) return DefWindowProcA(W, Msg, WP, LP);
  (*reinterpret_cast<std::function<void()>*>(LP))();
  return 0;
}

HWND ProbeWindow() {
  static HWND w = [] {
    WNDCLASSA c{};
    c.lpfnWndProc = ProbeProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = "BarsTestProbe";
    RegisterClassA(&c);
    return CreateWindowA(c.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, c.hInstance, nullptr);
  }();
  return w;
}
}  // namespace

void PostProbe(std::function<void()>& F) { PostMessageA(ProbeWindow(), WM_APP, 0, reinterpret_cast<LPARAM>(&F)); }

void PressAndDrag(TWinControl* W, POINT Down, POINT At, const std::function<void(POINT)>& Steps) {
  // A drag measures from the cursor: wait until the warp has arrived.
  WarpPointer(At);
  Steps(At);
  TWatchdog dog(60000, "a drag's loop did not end");
  POINT d = W->ScreenToClient(Down), a = W->ScreenToClient(At);
  SendMessageA(W->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(d.x, d.y));
  if (d.x != a.x || d.y != a.y) SendMessageA(W->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(a.x, a.y));
  Application->ProcessMessages();
}

bool WaitPainted(TWinControl* W) {
  Application->ProcessMessages();
  // A hidden window is never painted: nothing in it waits.
  return PumpUntil([&] {
    return W->HandleAllocated() && (!IsWindowVisible(W->Handle()) || NothingToPaint(W->Handle()));
  });
}

bool WaitShown(TWinControl* W) {
  Application->ProcessMessages();
  return PumpUntil([&] { return W->HandleAllocated() && IsWindowVisible(W->Handle()) && NothingToPaint(W->Handle()); });
}

bool WaitForeground(TWinControl* W) {
  HWND top = GetAncestor(W->Handle(), GA_ROOT);
  SetForegroundWindow(top);
  return PumpUntil([&] { return GetForegroundWindow() == top; });
}

bool WaitFocus(TWinControl* W) {
  return PumpUntil([&] {
    if (GetFocus() == W->Handle()) return true;
    SetForegroundWindow(GetAncestor(W->Handle(), GA_ROOT));
    W->SetFocus();
    return false;
  });
}

COLORREF PixelAt(TWinControl* W, POINT Client) {
  HDC dc = GetDC(W->Handle());
  COLORREF c = GetPixel(dc, Client.x, Client.y) & 0xFFFFFF;
  ReleaseDC(W->Handle(), dc);
  return c;
}

int PixelsOf(TWinControl* W, RECT Client, COLORREF C) {
  int w = Client.right - Client.left, h = Client.bottom - Client.top;
  if (w <= 0 || h <= 0) return 0;
  TProbe probe(w, h);
  HDC dc = GetDC(W->Handle());
  BitBlt(probe.DC, 0, 0, w, h, dc, Client.left, Client.top, SRCCOPY);
  ReleaseDC(W->Handle(), dc);
  int n = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) n += probe.At(x, y) == (C & 0xFFFFFF);
  return n;
}

void HeldClick(THoldPointer& Hold, POINT Screen) {
  Hold.Move(Screen);
  Application->ProcessMessages();
  Click(Screen, true);
  Application->ProcessMessages();
}

void Shot(const std::string& Name, TWinControl* W, int ExtraBelow) {
  const char* dir = getenv("YOZ_SHOTS");
  if (!dir) return;
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (W) {
    if (!W->HandleAllocated()) return;
    RedrawWindow(W->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    r = WindowRect(W);
    r.bottom += ExtraBelow;
    r.right = std::max<LONG>(r.right, r.left + 200);
    WaitPainted(W);
  } else
    Application->ProcessMessages();
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetWidth(r.right - r.left);
  bmp->SetHeight(r.bottom - r.top);
  HDC screen = GetDC(nullptr);
  BitBlt(bmp->Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  bmp->SaveToFile(std::string(dir) + "\\" + Name + ".bmp");
}

TBarsForm::TBarsForm(bool Show, RECT Bounds) {
  Form->SetBounds(Bounds.left, Bounds.top, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top);
  if (!Show) return;
  Form->Show();
  WaitShown(Form.get());
}

TdxBar* TBarsForm::AddBar(const std::string& Name, int Buttons, TdxBarDockingStyle Side, int Row, int Left,
                          const std::vector<int>& Groups) {
  TdxBar* b = Manager->Bars()->Add();
  b->SetCaption(Name);
  for (int i = 0; i < Buttons; ++i) {
    TdxBarItemLink* l = AddButton(b->ItemLinks(), Name + std::to_string(i));
    if (std::find(Groups.begin(), Groups.end(), i) != Groups.end()) l->SetBeginGroup(true);
  }
  b->SetDockingStyle(Side);
  b->SetRow(Row);
  b->SetDockedLeft(Left);
  b->SetVisible(true);
  return b;
}

TdxBarItemLink* TBarsForm::AddButton(TdxBarItemLinks* Links, const std::string& Caption) {
  auto* btn = new TdxBarButton(Form.get());
  btn->SetCaption(Caption);
  TdxBarItemLink* l = Links->Add();
  l->SetItem(btn);
  return l;
}

std::vector<TdxBarButton*> AddButtons(TComponent* Owner, TdxBarItemLinks* Links, int N,
                                      const std::function<std::string(int)>& Caption, TClickProbe* Clicks) {
  std::vector<TdxBarButton*> v;
  for (int i = 0; i < N; ++i) {
    auto* b = new TdxBarButton(Owner);
    b->SetName("B" + std::to_string(i));
    b->SetCaption(Caption(i));
    if (Clicks) b->OnClick = Bind(Clicks, &TClickProbe::Click);
    Links->Add()->SetItem(b);
    v.push_back(b);
  }
  return v;
}

TdxBarSubMenuControl* OpenMenu(TdxBarSubItem* Sub, POINT P, int OpenerW, int OpenerH) {
  auto* m = static_cast<TdxBarSubMenuControl*>(Sub->ItemLinks()->CreateBarControl());
  m->OpenerWidth = OpenerW;
  m->OpenerHeight = OpenerH;
  m->SetBounds(P.x, P.y, m->Width(), m->Height());
  m->Show();
  // An opening animation is the test's to watch; a menu shown at once is waited for until painted.
  if (m->Animating())
    Application->ProcessMessages();
  else
    WaitShown(m);
  return m;
}

TCustomdxBarControl* ShowBarWindow(TdxBar* Bar, TWinControl* Parent, RECT Bounds, POINT First, int Gap) {
  TCustomdxBarControl* w = Bar->ItemLinks()->CreateBarControl();
  w->SetParent(Parent);
  w->SetBounds(Bounds.left, Bounds.top, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top);
  w->SetVisible(true);
  w->HandleNeeded();
  w->CalcDrawingConsts();
  int x = First.x;
  for (int i = 0; i < Bar->ItemLinks()->Count(); ++i) {
    TdxBarItemLink* l = Bar->ItemLinks()->Items(i);
    l->ItemRect = RECT{x, First.y, x + l->Control()->GetWidth(), First.y + l->Control()->GetHeight()};
    x = l->ItemRect.right + Gap;
  }
  return w;
}

TdxBarCustomizingForm* OpenCustomizing(TdxBarManager* M, bool Hide) {
  M->SetCustomizing(true);
  if (dxBarCustomizingForm) WaitShown(dxBarCustomizingForm);
  if (Hide && dxBarCustomizingForm) ShowWindow(dxBarCustomizingForm->Handle(), SW_HIDE);
  Application->ProcessMessages();
  return dxBarCustomizingForm;
}
