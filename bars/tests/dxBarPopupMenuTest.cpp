// The popup menu on a shown form under Wine, driven by real keys from timers while its menu
// loop runs: a row runs its item and the loop returns, a handler that frees the popup menu or its owner
// ends the loop safely, and commands posted meanwhile reach their window. A watchdog fails a hang.
#include <atomic>
#include <functional>
#include <thread>

#include "BarsTestSupport.h"
#include "ExtCtrlsPanels.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

// Runs Step once, Ms after it is set, from inside whatever message loop runs then.
std::function<void()> Step;
void CALLBACK StepTimer(HWND, UINT, UINT_PTR Id, DWORD) {
  KillTimer(nullptr, Id);
  auto s = std::move(Step);
  if (s) s();
}
void After(int Ms, std::function<void()> F) {
  Step = std::move(F);
  SetTimer(nullptr, 0, UINT(Ms), StepTimer);
}

// Fails the test program instead of letting a menu loop that never ends stall the run.

struct TEvents {
  std::vector<std::string> Names;
  std::function<void()> OnClick;
  void Click(TObject* Sender) {
    Names.push_back(static_cast<TComponent*>(Sender)->Name());
    if (OnClick) OnClick();
  }
  void Popup(TObject*) { Names.push_back("popup"); }
  void CloseUp(TObject*) { Names.push_back("closeup"); }
};

// A shown, foreground form with a manager and a popup menu of buttons A, B and C owned by Owner (the
// form when none is given).
struct TPopupForm {
  TManagerForm F;
  TEvents Events;
  TdxBarPopupMenu* Menu;
  explicit TPopupForm(TComponent* Owner = nullptr) {
    F.Form->Show();
    SetForegroundWindow(F.Form->Handle());
    Menu = new TdxBarPopupMenu(Owner ? Owner : F.Form.get());
    for (const char* n : {"A", "B", "C"}) {
      auto* b = new TdxBarButton(F.Form.get());
      b->SetName(n);
      b->SetCaption(std::string("Item ") + n);
      b->OnClick = TNotifyEvent(&Events, &TEvents::Click);
      Menu->ItemLinks()->Add()->SetItem(b);
    }
    Menu->OnPopup = TNotifyEvent(&Events, &TEvents::Popup);
    Menu->OnCloseUp = TNotifyEvent(&Events, &TEvents::CloseUp);
    WaitForeground(F.Form.get());
    WaitShown(F.Form.get());
  }
  TdxBarSubMenuControl* Window() { return dynamic_cast<TdxBarSubMenuControl*>(Menu->ItemLinks()->BarControl()); }
};

TEST(BarsPopupMenu, OpensAtThePointAndRunsTheRowChosenWithKeys) {
  TPopupForm t;
  TWatchdog dog;
  RECT shown{};
  bool secondReturned = false;
  After(150, [&] {
    ASSERT_TRUE(t.Window() && t.Window()->HandleAllocated());
    GetWindowRect(t.Window()->Handle(), &shown);
    TdxBarSubMenuControl* w = t.Window();
    t.Menu->Popup(10, 10);  // open already: nothing
    secondReturned = t.Window() == w;
    Press(VK_DOWN);
    Press(VK_DOWN);
    Press(VK_RETURN);
  });
  t.Menu->Popup(200, 150);
  EXPECT_TRUE(secondReturned);
  EXPECT_EQ(200, shown.left);
  EXPECT_EQ(150, shown.top);
  EXPECT_EQ((std::vector<std::string>{"popup", "closeup", "B"}), t.Events.Names);
  EXPECT_FALSE(t.Menu->Showing());
  // Escape closes it without running anything; it opens again afterwards.
  t.Events.Names.clear();
  After(150, [] { Press(VK_ESCAPE); });
  t.Menu->Popup(200, 150);
  EXPECT_EQ((std::vector<std::string>{"popup", "closeup"}), t.Events.Names);
  WaitDeferred();
}

// The rows of captions a person sees in a menu window: the vertical middles, in client coordinates, of
// the bands of lines that hold text.
std::vector<int> CaptionMiddles(TCustomdxBarControl* W) {
  RECT c;
  GetClientRect(W->Handle(), &c);
  TProbe shot(c.right, c.bottom);
  HDC dc = GetDC(W->Handle());
  BitBlt(shot.DC, 0, 0, c.right, c.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(W->Handle(), dc);
  std::vector<int> middles;
  int start = -1;
  for (int y = 0; y <= c.bottom; ++y) {
    bool text = false;
    for (int x = 3; y < c.bottom && x < c.right - 3 && !text; ++x) {
      // Text contrasts with its row's background: dark on the face, light on a highlight.
      COLORREF p = shot.At(x, y), bg = shot.At(3, y);
      text = std::abs(GetRValue(p) - GetRValue(bg)) + std::abs(GetGValue(p) - GetGValue(bg)) +
                 std::abs(GetBValue(p) - GetBValue(bg)) > 300;
    }
    if (text && start < 0) start = y;
    if (!text && start >= 0) {
      middles.push_back((start + y - 1) / 2);
      start = -1;
    }
  }
  return middles;
}

void AddButtons(TPopupForm& T, const std::vector<std::string>& Names) {
  for (const std::string& n : Names) {
    auto* b = new TdxBarButton(T.F.Form.get());
    b->SetName(n);
    b->SetCaption("Item " + n);
    b->OnClick = TNotifyEvent(&T.Events, &TEvents::Click);
    T.Menu->ItemLinks()->Add()->SetItem(b);
  }
}

// Opens the popup menu at At, lets Prepare act on its window, and clicks the vertical middle of the
// Row-th caption row seen from the top (a negative Row counts from the bottom, and Seen gets its index
// from the top); gives the name of the item that ran ("" when none did).
std::string ClickSeenRow(TPopupForm& T, POINT At, int Row, std::function<void()> Prepare = {}, int* Seen = nullptr) {
  TWatchdog dog;
  T.Events.Names.clear();
  UINT_PTR escape = 0;
  After(200, [&] {
    TdxBarSubMenuControl* w = T.Window();
    if (Prepare) Prepare();
    WaitPainted(w);
    std::vector<int> rows = CaptionMiddles(w);
    int i = Row < 0 ? int(rows.size()) + Row : Row;
    if (Seen) *Seen = i;
    if (i >= 0 && i < int(rows.size())) Click(w->ClientToScreen(POINT{w->ClientWidth() / 2, rows[size_t(i)]}));
    // Closes the menu when the click ran nothing.
    escape = SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR Id, DWORD) {
      KillTimer(nullptr, Id);
      Press(VK_ESCAPE);
    });
  });
  T.Menu->Popup(At.x, At.y);
  KillTimer(nullptr, escape);
  WaitDeferred();
  const auto& n = T.Events.Names;
  return n.size() == 3 ? n[2] : "";
}

// A click on the vertical middle of each row a person sees runs that row's item: rows between group
// marks, rarely used rows shown after the menu expands, rows in a larger font of the menu's own, and the
// rows of a menu cut to the work area with a scroll row (placed down and flipped from the corner).
TEST(BarsPopupMenu, AClickOnTheMiddleOfARowRunsThatRow) {
  const char* names[] = {"A", "B", "C", "D", "E"};
  {
    TPopupForm t;
    AddButtons(t, {"D", "E"});
    t.Menu->ItemLinks()->Items(1)->SetBeginGroup(true);
    t.Menu->ItemLinks()->Items(3)->SetBeginGroup(true);
    for (int row = 0; row < 5; ++row) EXPECT_EQ(ClickSeenRow(t, POINT{200, 150}, row), names[row]) << "row " << row;
    t.Menu->Font()->SetSize(14);
    for (int row = 0; row < 5; ++row) EXPECT_EQ(ClickSeenRow(t, POINT{200, 150}, row), names[row]) << "large, row " << row;
  }
  {
    TPopupForm t;
    AddButtons(t, {"D", "E"});
    t.F.Manager->SetShowFullMenusAfterDelay(false);
    t.Menu->ItemLinks()->Items(1)->SetMostRecentlyUsed(false);
    t.Menu->ItemLinks()->Items(3)->SetMostRecentlyUsed(false);
    t.Menu->ItemLinks()->Items(3)->SetBeginGroup(true);
    auto expand = [] { SendKeys({{VK_CONTROL, false}, {VK_DOWN, false}, {VK_DOWN, true}, {VK_CONTROL, true}}); };
    for (int row = 0; row < 5; ++row) {
      dxBarSetMenusExpanded(false);
      EXPECT_EQ(ClickSeenRow(t, POINT{200, 150}, row, expand), names[row]) << "expanded, row " << row;
    }
  }
  {
    TPopupForm t;
    std::vector<std::string> more;
    for (int i = 0; i < 70; ++i) more.push_back("R" + std::to_string(i));
    AddButtons(t, more);
    EXPECT_EQ(ClickSeenRow(t, POINT{200, 150}, 0), "A");
    EXPECT_EQ(ClickSeenRow(t, POINT{200, 900}, 10), "R7");
    // The last row above the scroll row (the bottom band is the row's arrow).
    int seen = 0;
    std::string last = ClickSeenRow(t, POINT{1200, 1000}, -2, {}, &seen);
    EXPECT_GT(seen, 20);
    EXPECT_EQ(last, t.Menu->ItemLinks()->Items(seen)->Item()->Name());
  }
  SetCursorPos(0, 0);
}

TEST(BarsPopupMenu, AClickHandlerMayFreeThePopupMenuOrItsOwner) {
  {
    TPopupForm t;
    TWatchdog dog;
    t.Events.OnClick = [&] { TObject::Free(t.Menu); };
    After(150, [] {
      for (WORD k : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) Press(k);
    });
    t.Menu->Popup(200, 150);
    EXPECT_EQ((std::vector<std::string>{"popup", "closeup", "C"}), t.Events.Names);
    EXPECT_TRUE(t.F.Manager->PopupMenus().empty());
    WaitDeferred();
  }
  TManagerForm other;  // the owner: a component of another form
  auto* holder = new TComponent(other.Form.get());
  TPopupForm t(holder);
  TWatchdog dog;
  t.Events.OnClick = [&] { TObject::Free(holder); };
  After(150, [] {
    for (WORD k : {VK_DOWN, VK_RETURN}) Press(k);
  });
  t.Menu->Popup(200, 150);
  EXPECT_EQ("A", t.Events.Names.back());
  WaitDeferred();
}

// A window that counts the commands it gets.
int Commands = 0;
LRESULT CALLBACK CommandProc(HWND W, UINT M, WPARAM Wp, LPARAM Lp) {
  if (M == WM_COMMAND && Wp == 1234) ++Commands;
  return DefWindowProcA(W, M, Wp, Lp);
}

TEST(BarsPopupMenu, CommandsPostedWhileItIsOpenReachTheirWindow) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = CommandProc;
  wc.lpszClassName = "yOZCommandSink";
  wc.hInstance = GetModuleHandleA(nullptr);
  RegisterClassA(&wc);
  HWND sink = CreateWindowA("yOZCommandSink", "", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  TPopupForm t;
  TWatchdog dog;
  Commands = 0;
  After(150, [&] {
    PostMessageA(sink, WM_COMMAND, 1234, 0);
    After(100, [&] { Press(VK_ESCAPE); });
  });
  t.Menu->Popup(200, 150);
  PumpUntil([] { return Commands > 0; });
  WaitDeferred();  // a second delivery would be there now
  EXPECT_EQ(1, Commands);
  DestroyWindow(sink);
}

TEST(BarsPopupMenu, FollowsTheManagersFontUntilItHasItsOwn) {
  EXPECT_THROW(TdxBarPopupMenu(nullptr), EdxException);  // no manager in the process
  TManagerForm f;
  f.Manager->SetScaled(false);  // keeps the sizes set here
  auto* m = new TdxBarPopupMenu(f.Form.get());
  EXPECT_EQ(f.Manager, m->BarManager());
  f.Manager->Font()->SetSize(14);
  EXPECT_EQ(14, m->Font()->Size());
  EXPECT_FALSE(m->UseOwnFont());
  m->Font()->SetSize(9);
  EXPECT_TRUE(m->UseOwnFont());
  f.Manager->Font()->SetSize(16);
  EXPECT_EQ(9, m->Font()->Size());
}

}  // namespace

// A control linked to the popup menu opens it with the context-menu key and with a right click.
TEST(BarsPopupMenu, ALinkedControlOpensItWithTheMenuKeyAndARightClick) {
  TPopupForm t;
  TWatchdog dog;
  auto* panel = new TPanel(t.F.Form.get());
  panel->SetParent(t.F.Form.get());
  panel->SetBounds(30, 40, 100, 50);
  TdxBarPopupMenuLink* l = t.F.Manager->PopupMenuLinks()->Add();
  l->SetControl(panel);
  l->SetPopupMenu(t.Menu);
  WaitShown(panel);
  After(150, [] { Press(VK_ESCAPE); });
  panel->SetFocus();
  Press(VK_APPS);
  ASSERT_TRUE(PumpUntil([&] { return t.Events.Names.size() >= 2; }));
  EXPECT_EQ((std::vector<std::string>{"popup", "closeup"}), t.Events.Names);
  t.Events.Names.clear();
  POINT p = panel->ClientToScreen(POINT{50, 25});
  SetCursorPos(p.x, p.y);
  After(150, [] { Press(VK_ESCAPE); });
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  SendInput(2, in, sizeof(INPUT));
  ASSERT_TRUE(PumpUntil([&] { return t.Events.Names.size() >= 2; }));
  EXPECT_EQ((std::vector<std::string>{"popup", "closeup"}), t.Events.Names);
  WaitDeferred();
}

// A click on a row while the menu still slides open runs that row, as it would a moment later.
TEST(BarsPopupMenu, AClickDuringTheOpeningAnimationRunsTheRow) {
  TPopupForm t;
  std::vector<std::string> more;
  for (int i = 0; i < 40; ++i) more.push_back("R" + std::to_string(i));
  AddButtons(t, more);
  t.F.Manager->SetMenuAnimations(maSlide);
  TWatchdog dog;
  bool animating = false;
  UINT_PTR escape = 0;
  After(1, [&] {
    TdxBarSubMenuControl* w = t.Window();
    animating = w && w->Animating();
    Click(w->ClientToScreen(Middle(t.Menu->ItemLinks()->Items(1)->ItemRect)));
    // Closes the menu when the click ran nothing.
    escape = SetTimer(nullptr, 0, 800, [](HWND, UINT, UINT_PTR Id, DWORD) {
      KillTimer(nullptr, Id);
      Press(VK_ESCAPE);
    });
  });
  t.Menu->Popup(200, 150);
  KillTimer(nullptr, escape);
  EXPECT_TRUE(animating);
  EXPECT_EQ(t.Events.Names, (std::vector<std::string>{"popup", "closeup", "B"}));
  WaitDeferred();
}
