// Toolbar windows and dock sites: layout invariants over many widths, the looks probed off screen, bars
// docked on every side and back, the drag loop and the close button driven by mouse messages, a window
// the system destroys, and a form with three toolbars on screen.

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include "BarsTestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

std::vector<TdxBarItemLink*> Shown(TdxBar* B) {
  std::vector<TdxBarItemLink*> v;
  for (int i = 0; i < B->ItemLinks()->ShownCount(); ++i) v.push_back(B->ItemLinks()->ShownItems(i));
  return v;
}

TEST(dxBarToolbar, DockedLayoutShowsWhatFitsAndHidesExactlyTheTail) {
  TBarsForm f(false);
  TdxBar* b = f.AddBar("T", 6, dsTop, 0, 0, {2, 4});
  TdxBarControl* w = b->Control();
  ASSERT_NE(w, nullptr);
  for (int width : {20, 45, 80, 120, 160, 220, 400}) {
    w->CalcLayout(width, 26);
    auto links = Shown(b);
    int avail = width - (w->MarkShown() ? 11 : 0);
    bool hiddenSeen = false;
    RECT prev{};
    for (size_t i = 0; i < links.size(); ++i) {
      RECT r = links[i]->ItemRect;
      if (IsRectEmpty(&r)) {
        hiddenSeen = true;
        continue;
      }
      EXPECT_FALSE(hiddenSeen) << "a shown item after a hidden one, width " << width;
      EXPECT_GE(r.left, i == 0 ? 0 : prev.right) << width;
      EXPECT_TRUE(i == 0 || r.right <= avail) << "item " << i << " passes the client area at width " << width;
      // A group start that is not first in its row has its 6-pixel separator right before it.
      bool sep = links[i]->BeginGroup() && i != 0;
      EXPECT_EQ(r.left - prev.right, sep ? 6 : 0) << i << " at " << width;
      EXPECT_EQ(IsRectEmpty(&links[i]->Control()->SeparatorRect), !sep) << i;
      prev = r;
    }
    EXPECT_EQ(w->HasHiddenItems(), hiddenSeen) << width;
  }
}

TEST(dxBarToolbar, FloatingRowsWrapAtGroupStartsAndTheWalkAlwaysEnds) {
  TBarsForm f(false);
  struct Case {
    std::vector<int> Groups;
    int Width;
  } cases[] = {
      {{0, 3}, 60},        // the first item of the bar starts a group
      {{0, 1, 2, 3, 4, 5}, 30},
      {{2, 4}, 150},
      {{3}, 100},
      {{}, 90},
  };
  TWatchdog dog(60000);
  for (auto& c : cases) {
    TdxBar* b = f.AddBar("F", 6, dsNone, 0, 0, c.Groups);
    TdxBarControl* w = b->Control();
    ASSERT_NE(w, nullptr);
    SIZE s = w->GetSizeForWidth(dsNone, c.Width);
    w->CalcLayout(std::max<int>(s.cx, c.Width), s.cy);
    auto links = Shown(b);
    for (size_t i = 0; i < links.size(); ++i) {
      RECT r = links[i]->ItemRect;
      EXPECT_FALSE(IsRectEmpty(&r)) << "floating bars hide nothing";
      bool rowStart = i == 0 || links[i]->Control()->LineBreak;
      if (rowStart) {
        EXPECT_EQ(r.left, 0) << i;
      }
      EXPECT_LE(r.bottom, s.cy) << i;
      for (size_t k = 0; k < i; ++k) {
        RECT both;
        EXPECT_FALSE(IntersectRect(&both, &r, &links[k]->ItemRect)) << k << " overlaps " << i;
      }
      // A row that is not the bar's first starts at a group start whenever the earlier row had one.
      if (i > 0 && links[i]->Control()->LineBreak && c.Groups.size() > 1) {
        EXPECT_TRUE(links[i]->BeginGroup() || !links[i - 1]->BeginGroup()) << i;
      }
    }
    b->SetVisible(false);
  }
}

TEST(dxBarToolbar, LooksProbedOffScreenAtPlacesFromTheLayout) {
  TBarsForm f(false);
  TdxBar* b = f.AddBar("P", 3, dsTop, 0, 0, {1});
  TdxBarControl* w = b->Control();
  ASSERT_NE(w, nullptr);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                 shadow = GetSysColor(COLOR_BTNSHADOW), text = GetSysColor(COLOR_BTNTEXT);
  // Client: separator line in the middle of its band, the mark's triangle, and (narrow) chevrons.
  {
    RECT in = w->FrameInsets(dsTop);
    w->SetBounds(0, 0, 400, 26 + in.top + in.bottom);
    TProbe p(400, 40);
    w->PaintClientTo(p.DC);
    RECT s = b->ItemLinks()->Items(1)->Control()->SeparatorRect;
    ASSERT_EQ(s.right - s.left, 6);
    EXPECT_EQ(p.At(s.left + 2, 10), shadow);
    EXPECT_EQ(p.At(s.left + 3, 10), light);
    EXPECT_EQ(p.At(s.left, 10), face);
    RECT m = w->MarkRect();
    EXPECT_EQ(p.At(m.left + 5, m.bottom - 7), text);   // the triangle's widest line
    EXPECT_FALSE(w->HasHiddenItems());
    EXPECT_EQ(p.At(m.left + 3, m.top + 4), face);      // no chevrons while everything shows
    RECT last = w->GetItemRect(b->ItemLinks()->Items(2)->Control());
    EXPECT_EQ(p.At(last.right + 2, 10), face);   // free space between the last item and the mark
  }
  {
    RECT in = w->FrameInsets(dsTop);
    RECT first = b->ItemLinks()->Items(0)->ItemRect;
    w->SetBounds(0, 0, (first.right - first.left) + 20 + in.left + in.right, 26 + in.top + in.bottom);
    TProbe p(200, 40);
    w->PaintClientTo(p.DC);
    EXPECT_TRUE(w->HasHiddenItems());
    RECT m = w->MarkRect();
    EXPECT_EQ(p.At(m.left + 2, m.top + 3), text);   // the first chevron
  }
  // Frame: the raised edge and the grip line inside it.
  {
    TProbe p(w->Width(), w->Height());
    w->PaintFrameTo(p.DC);
    int gx = 2 + f.Manager->StyleMetric(0);
    int mid = w->Height() / 2;
    EXPECT_EQ(p.At(0, mid), light);
    EXPECT_EQ(p.At(gx, mid), light);
    EXPECT_EQ(p.At(gx + 2, mid), shadow);
    EXPECT_EQ(p.At(gx + 1, mid), face);
  }
  // A checked, down button looks sunken: shadow at its top-left.
  auto* btn = static_cast<TdxBarButton*>(b->ItemLinks()->Items(0)->Item());
  btn->SetButtonStyle(bsChecked);
  btn->SetDown(true);
  RECT in = w->FrameInsets(dsTop);
  w->SetBounds(0, 0, 400, 26 + in.top + in.bottom);
  TProbe p(400, 40);
  w->PaintClientTo(p.DC);
  RECT r = w->GetItemRect(b->ItemLinks()->Items(0)->Control());
  EXPECT_EQ(p.At(r.left, r.top), shadow);
  EXPECT_EQ(p.At(r.right - 1, r.bottom - 1), light);
}

TEST(dxBarToolbar, DockingRoundTripsOnEverySideKeepRowAndOffset) {
  TBarsForm f;
  TdxBar* a = f.AddBar("A", 2, dsTop, 0, 0);
  TdxBar* b = f.AddBar("B", 2, dsTop, 1, 0);
  TdxBar* c = f.AddBar("C", 2, dsNone);
  EXPECT_EQ(f.Site(dsTop)->RowCount(), 2);
  EXPECT_EQ(f.Site(dsTop)->Height(), f.Site(dsTop)->NeededSize());
  EXPECT_GT(f.Site(dsTop)->Height(), 40);
  for (auto side : {dsLeft, dsTop, dsRight, dsBottom}) {
    c->SetDockingStyle(side);
    ASSERT_NE(c->Control(), nullptr);
    EXPECT_EQ(c->Control()->Parent(), f.Site(side)) << side;
    EXPECT_GT(f.Site(side)->SiteSize(), 0) << side;
    c->SetDockingStyle(dsNone);
    EXPECT_EQ(c->Control()->Parent(), nullptr) << side;
    if (side != dsTop) {
      EXPECT_EQ(f.Site(side)->SiteSize(), 0) << side;
    }
  }
  // Hiding and showing a bar that sits alone in the last row: same row, same offset, no empty row.
  b->Control()->SetBounds(40, b->Control()->Top(), b->Control()->Width(), b->Control()->Height());
  b->SetVisible(false);
  EXPECT_EQ(f.Site(dsTop)->RowCount(), 1);
  b->SetVisible(true);
  ASSERT_EQ(f.Site(dsTop)->RowCount(), 2);
  for (int r = 0; r < f.Site(dsTop)->RowCount(); ++r) EXPECT_FALSE(f.Site(dsTop)->Rows(r).Cols.empty()) << r;
  EXPECT_EQ(f.Site(dsTop)->RowOf(b->Control()), 1);
  EXPECT_EQ(b->Control()->Left(), 40);
  // The same for the bar in the first row.
  a->SetVisible(false);
  a->SetVisible(true);
  EXPECT_EQ(f.Site(dsTop)->RowCount(), 2);
  EXPECT_EQ(f.Site(dsTop)->RowOf(a->Control()), 0);
}

TEST(dxBarToolbar, RowZonesJoinOrOpenARow) {
  TBarsForm f;
  f.AddBar("A", 2, dsTop);
  TdxDockControl* top = f.Site(dsTop);
  int thick = top->RowThickness(0);
  struct Case {
    int Y;
    int Row;
    bool New;
  } cases[] = {{0, 0, false}, {8, 0, false}, {9, 1, true}, {13, 1, true}, {14, 1, true}, {-12, 0, true}};
  for (auto& c : cases) {
    bool isNew = false;
    int row = top->RowAtPos(top->ClientToScreen(POINT{30, c.Y}), isNew);
    EXPECT_EQ(row, c.Row) << c.Y;
    EXPECT_EQ(isNew, c.New) << c.Y;
  }
  EXPECT_GT(thick, 14);
}

TEST(dxBarToolbar, BarsThatDoNotFitShrinkFromTheEndOfTheRow) {
  TBarsForm f;
  TdxBar* a = f.AddBar("First", 5, dsTop, 0, 0);
  TdxBar* b = f.AddBar("Second", 5, dsTop, 0, 600);
  TdxBar* c = f.AddBar("Third", 5, dsTop, 0, 1200);
  int extent = f.Site(dsTop)->ClientWidth();
  ASSERT_EQ(f.Site(dsTop)->RowCount(), 1);
  TdxBarControl* ws[] = {a->Control(), b->Control(), c->Control()};
  EXPECT_EQ(ws[0]->Left(), 0);
  EXPECT_EQ(ws[2]->Left() + ws[2]->Width(), extent);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(ws[i]->Left() + ws[i]->Width(), ws[i + 1]->Left()) << i;
  EXPECT_TRUE(ws[2]->HasHiddenItems() || ws[1]->HasHiddenItems());
}

TEST(dxBarToolbar, DragLoopDrivenByMouseMessagesFloatsTheBar) {
  TBarsForm f;
  TdxBar* b = f.AddBar("D", 3, dsTop);
  TdxBarControl* w = b->Control();
  ASSERT_TRUE(w->HandleAllocated());
  WaitPainted(f.Form.get());
  // The grip answers as client area with the caption's hit code.
  RECT wr;
  GetWindowRect(w->Handle(), &wr);
  POINT grip{wr.left + 4, (wr.top + wr.bottom) / 2};
  SendMessageA(w->Handle(), WM_NCHITTEST, 0, MAKELPARAM(grip.x, grip.y));
  EXPECT_EQ(w->HitCode(), HTCAPTION);
  POINT to{300, 330};
  PressAndDrag(w, grip, grip, [&](POINT) {
    PostMove(to);
    PostUp(to);
  });
  EXPECT_FALSE(f.Manager->Bars()->Dragging());
  EXPECT_EQ(b->DockingStyle(), dsNone);
  ASSERT_NE(b->Control(), nullptr);
  EXPECT_EQ(b->Control()->Parent(), nullptr);
  EXPECT_EQ(f.Site(dsTop)->RowCount(), 0);
  EXPECT_EQ(f.Site(dsTop)->Height(), 0);
  // A double click on the caption docks it again on top.
  WaitDeferred();
  WaitShown(b->Control());
  w = b->Control();
  GetWindowRect(w->Handle(), &wr);
  POINT cap{(wr.left + wr.right) / 2 - 5, wr.top + dxBarFrameHeight() + 3};
  SendMessageA(w->Handle(), WM_NCHITTEST, 0, MAKELPARAM(cap.x, cap.y));
  EXPECT_EQ(w->HitCode(), HTCAPTION);
  ScreenToClient(w->Handle(), &cap);
  SendMessageA(w->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(cap.x, cap.y));
  PumpUntil([&] { return b->DockingStyle() == dsTop; });
  EXPECT_EQ(b->DockingStyle(), dsTop);
  EXPECT_EQ(f.Site(dsTop)->RowCount(), 1);
}

TEST(dxBarToolbar, CloseButtonActsOnlyWhenReleasedOverItAndQuitEndsItsLoop) {
  TBarsForm f;
  TdxBar* b = f.AddBar("C", 2, dsNone);
  b->SetFloatLeft(150);
  b->SetFloatTop(200);
  b->SetVisible(false);
  b->SetVisible(true);
  TdxBarControl* w = b->Control();
  ASSERT_TRUE(w->HandleAllocated());
  int closed = 0;
  TClickProbe probe{[&] { ++closed; }};
  f.Manager->OnBarClose = Bind(&probe, &TClickProbe::Bar);
  RECT wr;
  GetWindowRect(w->Handle(), &wr);
  RECT cb = w->CloseButtonRect();
  POINT on{wr.left + (cb.left + cb.right) / 2, wr.top + (cb.top + cb.bottom) / 2};
  EXPECT_EQ(SendMessageA(w->Handle(), WM_NCHITTEST, 0, MAKELPARAM(on.x, on.y)), HTCLOSE);
  // The program is quitting while the button is held: the loop ends and the quit stays queued.
  PostQuitMessage(7);
  {
    TWatchdog dog(60000);
    SendMessageA(w->Handle(), WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(on.x, on.y));
  }
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  WaitDeferred();  // a close would be done by now
  EXPECT_TRUE(b->Visible());
  // Released away from the button: nothing.
  POINT away{on.x - 60, on.y + 40}, at = on;
  ScreenToClient(w->Handle(), &away);
  ScreenToClient(w->Handle(), &at);
  PostMessageA(w->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(away.x, away.y));
  {
    TWatchdog dog(60000);
    SendMessageA(w->Handle(), WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(on.x, on.y));
  }
  WaitDeferred();  // a close would be done by now
  EXPECT_TRUE(b->Visible());
  EXPECT_EQ(closed, 0);
  // Moved off, back on, then released over it: the bar closes once the message has returned.
  PostMessageA(w->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(away.x, away.y));
  PostMessageA(w->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
  PostMessageA(w->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  {
    TWatchdog dog(60000);
    SendMessageA(w->Handle(), WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(on.x, on.y));
  }
  PumpUntil([&] { return !b->Visible(); });
  EXPECT_FALSE(b->Visible());
  EXPECT_EQ(closed, 1);
}

TEST(dxBarToolbar, AWindowTheSystemDestroysHidesItsBarWithoutFreeingItMidMessage) {
  TBarsForm f;
  TdxBar* b = f.AddBar("X", 2, dsTop);
  TdxBar* other = f.AddBar("Y", 2, dsTop, 1);
  TdxBarControl* w = b->Control();
  ASSERT_TRUE(w->HandleAllocated());
  DestroyWindow(w->Handle());
  EXPECT_FALSE(b->Visible());
  EXPECT_EQ(b->Control(), nullptr);
  EXPECT_EQ(f.Site(dsTop)->RowCount(), 1);
  EXPECT_EQ(f.Site(dsTop)->RowOf(other->Control()), 0);
  PumpUntil([&] { return !IsBarControl(w); });
  EXPECT_FALSE(IsBarControl(w));
  b->SetVisible(true);
  EXPECT_NE(b->Control(), nullptr);

  // A floating bar goes with the window of its form when that is made anew, and is shown again with it.
  b->SetDockingStyle(dsNone);
  PumpUntil([&] { return b->Control() && b->Control()->HandleAllocated(); });
  ASSERT_TRUE(b->Control() && b->Control()->HandleAllocated());
  f.Form->RecreateWnd();
  f.Form->HandleNeeded();
  WaitDeferred();
  WaitShown(f.Form.get());
  EXPECT_TRUE(b->Visible());
  EXPECT_NE(b->Control(), nullptr);
}

TEST(dxBarToolbar, SizingKeepsTheTopReachableOnTheBarsOwnMonitor) {
  TBarsForm f;
  TdxBar* b = f.AddBar("S", 6, dsNone);
  TdxBarControl* w = b->Control();
  ASSERT_TRUE(w->HandleAllocated());
  RECT in = w->FrameInsets(dsNone);
  RECT r{-300, -400, -300 + 80 + in.left + in.right, -400 + 40};
  RECT work = GetWorkArea(POINT{-260, -400});
  SendMessageA(w->Handle(), WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.top, work.top - 15);
  EXPECT_EQ(r.left, -300);   // negative places are legal
  SIZE s = w->GetSizeForWidth(dsNone, 80);
  EXPECT_EQ(r.bottom - r.top, s.cy + in.top + in.bottom);
  EXPECT_EQ(r.right - r.left, s.cx + in.left + in.right);
}

TEST(dxBarToolbar, AnimationWaitHandlesOnlySentMessages) {
  TBarsForm f(false);
  HWND app = Application->Handle();
  PostMessageA(app, WM_USER + 77, 1, 0);
  struct TSender {
    HWND App;
    LONG Answer = 0;
    static DWORD WINAPI Run(void* P) {
      auto* s = static_cast<TSender*>(P);
      // Sent from another thread: answered only while the wait handles sent messages.
      DWORD_PTR r = 0;
      s->Answer = SendMessageTimeoutA(s->App, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &r) ? 1 : 0;
      return 0;
    }
  } sender{app};
  HANDLE h = CreateThread(nullptr, 0, &TSender::Run, &sender, 0, nullptr);
  dxBarWaitForAnimation(h);
  CloseHandle(h);
  LONG answer = sender.Answer;
  EXPECT_EQ(answer, 1);
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, app, WM_USER + 77, WM_USER + 77, PM_REMOVE));   // input waits its turn
}

TEST(dxBarToolbar, DropInfoLeaksNoRegions) {
  TBarsForm f(false);
  TdxBar* b = f.AddBar("G", 4, dsTop, 0, 0, {2});
  TdxBarControl* w = b->Control();
  w->CalcLayout(300, 26);
  DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  bool outside, vertical, isBefore;
  for (int i = 0; i < 2000; ++i) w->GetDropInfo(POINT{i % 200, 5}, outside, vertical, isBefore);
  DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  EXPECT_LT(after, before + 50);
  RECT r = b->ItemLinks()->Items(2)->ItemRect;
  EXPECT_EQ(w->GetDropInfo(POINT{r.left + 1, 5}, outside, vertical, isBefore), b->ItemLinks()->Items(2)->Control());
  EXPECT_TRUE(isBefore);
  EXPECT_FALSE(vertical);
}

// A toolbar with a sub-item "Menu" whose menu holds two sub-items, each with one button.
struct TMenuBar : TBarsForm {
  TdxBar* Bar;
  TdxBarSubItem* Menu;
  TdxBarSubItem* Subs[2];
  TdxBarButton* Buttons[2];
  int Popups[2] = {0, 0};
  int Clicks = 0;
  TClickProbe Count{[this] { ++Clicks; }};
  TClickProbe Pop0{[this] { ++Popups[0]; }}, Pop1{[this] { ++Popups[1]; }};
  TMenuBar() {
    Bar = AddBar("M", 0, dsTop);
    Menu = new TdxBarSubItem(Form.get());
    Menu->SetCaption("Menu");
    for (int i = 0; i < 2; ++i) {
      Subs[i] = new TdxBarSubItem(Form.get());
      Subs[i]->SetCaption("Sub" + std::to_string(i));
      Subs[i]->OnPopup = Bind(i == 0 ? &Pop0 : &Pop1, &TClickProbe::Click);
      Buttons[i] = new TdxBarButton(Form.get());
      Buttons[i]->SetCaption("Run" + std::to_string(i));
      Buttons[i]->OnClick = Bind(&Count, &TClickProbe::Click);
      Subs[i]->ItemLinks()->Add()->SetItem(Buttons[i]);
      Menu->ItemLinks()->Add()->SetItem(Subs[i]);
    }
    Bar->ItemLinks()->Add()->SetItem(Menu);
    WaitPainted(Form.get());
  }
  TdxBarSubItemControl* Control(TCustomdxBarSubItem* S, TdxBarItemLinks* In) {
    for (int i = 0; i < In->Count(); ++i)
      if (In->Items(i)->Item() == S) return dynamic_cast<TdxBarSubItemControl*>(In->Items(i)->Control());
    return nullptr;
  }
  TdxBarSubMenuControl* OpenMenu() {
    TdxBarSubItemControl* c = Control(Menu, Bar->ItemLinks());
    if (!c) return nullptr;
    Bar->Control()->EnterMenuMode(c);
    Bar->Control()->SetMenuOpen(true);
    c->ControlClick();
    PumpUntil([&] { return c->GetSubMenu() != nullptr; });
    if (c->GetSubMenu()) WaitShown(c->GetSubMenu());
    return c->GetSubMenu();
  }
};

TEST(dxBarToolbar, HoveringTwoSubItemsWithin400msOpensOnlyTheSecond) {
  TMenuBar t;
  TdxBarSubMenuControl* m = t.OpenMenu();
  ASSERT_NE(m, nullptr);
  TdxBarSubItemControl* c0 = t.Control(t.Subs[0], t.Menu->ItemLinks());
  TdxBarSubItemControl* c1 = t.Control(t.Subs[1], t.Menu->ItemLinks());
  ASSERT_TRUE(c0 && c1);
  m->DropDownItem(c0);
  Application->ProcessMessages();
  EXPECT_EQ(c0->GetSubMenu(), nullptr);   // still waiting
  m->DropDownItem(c1);
  WaitTimers(400);  // the hover delay, from the second sub-item on
  PumpUntil([&] { return c1->GetSubMenu() != nullptr; });
  EXPECT_EQ(t.Popups[0], 0);
  EXPECT_EQ(t.Popups[1], 1);
  EXPECT_EQ(c0->GetSubMenu(), nullptr);
  ASSERT_NE(c1->GetSubMenu(), nullptr);
  // A click on the inner button closes the whole chain, which frees the control it runs in.
  TdxBarSubMenuControl* inner = c1->GetSubMenu();
  ASSERT_NE(inner->ItemLinks()->Items(0)->Control(), nullptr);
  ClickLink(inner, inner->ItemLinks()->Items(0));
  EXPECT_EQ(t.Clicks, 1);
  EXPECT_FALSE(t.Bar->Control()->Active());
  EXPECT_EQ(t.Menu->ItemLinks()->BarControl(), nullptr);
  EXPECT_EQ(ActiveBarControl(), nullptr);
}

// The close button of a main menu bar held down: it looks pressed only while the pointer is over it, and
// released over it the manager's close-button event fires once.
TEST(dxBarToolbar, AHeldMenuBarCloseButtonLooksPressedOnlyUnderThePointer) {
  TBarsForm f;
  TdxBar* b = f.AddBar("M", 2);
  b->SetIsMainMenu(true);
  f.Manager->SetShowCloseButton(true);
  WaitForeground(f.Form.get());
  WaitPainted(f.Form.get());
  TdxBarControl* w = b->Control();
  ASSERT_TRUE(w->CaptionButtonsShown());
  int clicks = 0;
  TClickProbe probe{[&] { ++clicks; }};
  f.Manager->OnCloseButtonClick = Bind(&probe, &TClickProbe::Click);
  RECT cb = w->CloseButtonRect();
  auto look = [&] {
    std::vector<COLORREF> v;
    for (int y = cb.top; y < cb.bottom; ++y)
      for (int x = cb.left; x < cb.right; ++x) v.push_back(PixelAt(w, POINT{x, y}));
    return v;
  };
  auto up = look();
  POINT on = w->ClientToScreen(Middle(cb)), off = w->ClientToScreen(POINT{cb.left - 30, (cb.top + cb.bottom) / 2});
  THoldPointer hold(on);
  SendMouse(on, MOUSEEVENTF_LEFTDOWN);
  Application->ProcessMessages();
  PumpUntil([&] { return look() != up; });
  auto pressed = look();
  EXPECT_NE(pressed, up);
  hold.Move(off);
  SendMouse(off);
  Application->ProcessMessages();
  PumpUntil([&] { return look() == up; });
  EXPECT_EQ(look(), up);
  hold.Move(on);
  SendMouse(on);
  Application->ProcessMessages();
  PumpUntil([&] { return look() == pressed; });
  EXPECT_EQ(look(), pressed);
  SendMouse(on, MOUSEEVENTF_LEFTUP);
  Application->ProcessMessages();
  PumpUntil([&] { return clicks > 0 && look() == up; });
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(look(), up);
}

TEST(dxBarToolbar, ThreeToolbarsDockedOnTopOfARealWindow) {
  TBarsForm f;
  f.Form->SetCaption("yOZ toolbars");
  f.AddBar("File", 4, dsTop, 0, 0, {2});
  f.AddBar("Edit", 3, dsTop, 0, 200);
  f.AddBar("View", 5, dsTop, 1, 0, {1, 3});
  WaitPainted(f.Form.get());
  EXPECT_EQ(f.Site(dsTop)->RowCount(), 2);
  for (int i = 0; i < f.Site(dsTop)->BarCount(); ++i) EXPECT_TRUE(IsWindowVisible(f.Site(dsTop)->BarControls(i)->Handle()));
  // Left on screen for a while when asked, so a screenshot can be taken from outside.
  // (A pause for a person, not a wait of the test: only with YOZ_SHOT_WAIT set.)
  if (const char* wait = getenv("YOZ_SHOT_WAIT")) Pump(atoi(wait));
}

// The end mark with real input: in a floating bar's caption a click opens the quick customization as
// the docked mark does; docked, resting on it makes it hot and brings the "More Buttons" hint.
TEST(dxBarToolbar, TheEndMarkOpensFromAFloatingCaption) {
  TWatchdog dog;
  TBarsForm f;
  TdxBar* fl = f.AddBar("Float", 3, dsNone);
  fl->SetFloatLeft(450);
  fl->SetFloatTop(200);
  fl->SetVisible(false);
  fl->SetVisible(true);
  PumpUntil([&] { return fl->Control() && fl->Control()->HandleAllocated() && IsWindowVisible(fl->Control()->Handle()); });
  if (fl->Control()) WaitPainted(fl->Control());
  TdxBarControl* w = fl->Control();
  ASSERT_TRUE(w && w->HandleAllocated() && w->MarkShown());
  RECT wr = WindowRect(w), m = w->MarkRect();
  POINT mark{wr.left + (m.left + m.right) / 2, wr.top + (m.top + m.bottom) / 2};
  THoldPointer hold(mark);
  HeldClick(hold, mark);
  TdxBarQuickControl* q = TdxBarQuickControl::Instance();
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->Toolbar(), w);
  EXPECT_EQ(w->MarkState(), 2);
  Shot("floating-mark-open");
  HeldClick(hold, mark);
  EXPECT_EQ(TdxBarQuickControl::Instance(), nullptr);
  EXPECT_NE(w->MarkState(), 2);
}

TEST(dxBarToolbar, TheHotEndMarkHintsMoreButtons) {
  TWatchdog dog;
  TBarsForm f;
  TdxBar* docked = f.AddBar("Docked", 3, dsTop);
  WaitPainted(f.Form.get());
  TdxBarControl* d = docked->Control();
  ASSERT_TRUE(d->MarkShown());
  POINT on = d->ClientToScreen(Middle(d->MarkRect()));
  THoldPointer hold(on);
  SendMouse(on);
  ASSERT_TRUE(PumpUntil([&] { return d->MarkState() == 1; }));
  TdxBarHintWindow* hint = dxBarHintWindow(false);
  ASSERT_TRUE(PumpUntil([&] { return hint && IsWindowVisible(hint->Handle()); }));
  EXPECT_EQ(hint->Text(), "More Buttons");
  // Off the mark: plain again, and the hint goes.
  POINT off = f.Form->ClientToScreen(POINT{250, 200});
  hold.Move(off);
  SendMouse(off);
  EXPECT_TRUE(PumpUntil([&] { return d->MarkState() == 0 && !IsWindowVisible(hint->Handle()); }));
}

// A docked personalised bar too narrow for its links drops the least recently used one rather than its
// tail; the mark offers it, and using it from there brings it back onto the bar.
TEST(dxBarToolbar, APersonalisedBarDropsItsRarelyUsedLinksToFit) {
  TWatchdog dog;
  TBarsForm f;
  TClickProbe clicks;
  TdxBar* b = f.AddBar("P", 0, dsTop);
  AddButtons(f.Form.get(), b->ItemLinks(), 8, [](int i) { return "P" + std::to_string(i); }, &clicks);
  TdxBarItemLink* rare = b->ItemLinks()->Items(1);
  rare->SetMostRecentlyUsed(false);
  TdxBarControl* w = b->Control();
  int one = w->MinWidth(dsTop) - 11;
  RECT in = w->FrameInsets(dsTop);
  f.Form->SetClientWidth(5 * one + 11 + in.left + in.right + one / 2);
  WaitPainted(f.Form.get());
  auto shown = [](TdxBarItemLink* L) { return !IsRectEmpty(&L->ItemRect) && L->Control(); };
  EXPECT_FALSE(shown(rare));
  for (int i : {0, 2, 3, 4}) EXPECT_TRUE(shown(b->ItemLinks()->Items(i))) << i;
  EXPECT_TRUE(w->HasHiddenItems());
  Shot("personalised-bar", f.Form.get());

  POINT mark = w->ClientToScreen(Middle(w->MarkRect()));
  THoldPointer hold(mark);
  HeldClick(hold, mark);
  TdxBarQuickControl* q = TdxBarQuickControl::Instance();
  ASSERT_NE(q, nullptr);
  TdxBarItemLink* row = FindRow(q, "P1");
  ASSERT_NE(row, nullptr);
  HeldClick(hold, Center(row));
  EXPECT_EQ(clicks.Names, std::vector<std::string>{"B1"});
  ASSERT_TRUE(PumpUntil([&] { return shown(rare); }));
  EXPECT_TRUE(w->HasHiddenItems());
}

// While customizing, the selected edit's edges offer resizing it: the edit-sizing cursor over its last
// 7 pixels, and a real drag from there gives the link the width up to where the button was released.
TEST(dxBarToolbar, AnEditIsResizedByItsEdgeWhileCustomizing) {
  TWatchdog dog;
  TBarsForm f;
  TdxBar* b = f.AddBar("E", 1, dsTop);
  auto* edit = new TdxBarEdit(f.Form.get());
  edit->SetWidth(100);
  TdxBarItemLink* l = b->ItemLinks()->Add();
  l->SetItem(edit);
  WaitPainted(f.Form.get());
  ASSERT_NE(OpenCustomizing(f.Manager), nullptr);
  TdxBarControl* w = b->Control();
  POINT mid = Center(l);
  {
    THoldPointer hold(mid);
    HeldClick(hold, mid);
  }
  ASSERT_NE(l->Control(), nullptr);
  ASSERT_EQ(w->SelectedControl(), l->Control());
  RECT r = w->GetItemRect(l->Control());
  int width = r.right - r.left;
  POINT edge = w->ClientToScreen(POINT{r.right - 3, (r.top + r.bottom) / 2});
  HCURSOR sizing = Screen->Cursors(crdxBarEditSizing);
  ASSERT_NE(sizing, Screen->Cursors(crDefault));
  {
    THoldPointer hold(edge);
    SendMouse(edge);
    EXPECT_TRUE(PumpUntil([&] { return GetCursor() == sizing; }));
  }
  DragPointer(edge, Offset(edge, 40, 0));
  EXPECT_EQ(l->Width(), width + 37);
  EXPECT_NE(w->SelectedControl(), nullptr);
  f.Manager->SetCustomizing(false);
  WaitPainted(f.Form.get());
  EXPECT_EQ(l->ItemRect.right - l->ItemRect.left, width + 37);
}

}  // namespace

// A docked bar floated for the first time by a double click on its grip, its stored floating client
// width (53) narrower than the window the system makes: the rows are laid out for the window's client
// area (no row could take the next row's first item), and the floating size asked for is the widest row.
TEST(dxBarToolbar, ABarFloatedTheFirstTimeFillsItsWindowWithRows) {
  TWatchdog dog;
  TBarsForm f;
  TdxBar* b = f.AddBar("Misc", 5);
  b->SetFloatLeft(520);
  b->SetFloatTop(200);
  b->SetFloatClientWidth(53);
  WaitForeground(f.Form.get());
  WaitPainted(f.Form.get());
  TdxBarControl* w = b->Control();
  RECT wr = WindowRect(w);
  POINT grip{wr.left + 3, (wr.top + wr.bottom) / 2};
  THoldPointer hold(grip);
  Application->ProcessMessages();
  // Each press and its release at once: a press on the grip starts the bar's drag loop, which reads them.
  Click(grip);
  Application->ProcessMessages();
  Click(grip);
  ASSERT_TRUE(PumpUntil([&] { return b->DockingStyle() == dsNone && b->Control() && b->Control()->HandleAllocated(); }));
  WaitShown(b->Control());
  w = b->Control();
  Shot("floated-first-time", w);
  RECT client;
  GetClientRect(w->Handle(), &client);
  auto links = Shown(b);
  ASSERT_EQ(links.size(), 5u);
  int rowRight = 0, widest = 0;
  for (size_t i = 0; i < links.size(); ++i) {
    RECT r = links[i]->ItemRect;
    EXPECT_LE(r.right, client.right) << i;
    if (i > 0 && r.left == 0) {
      EXPECT_GT(rowRight + (r.right - r.left), client.right) << "item " << i << " would fit the row before it";
    }
    rowRight = r.right;
    widest = std::max<int>(widest, r.right);
  }
  RECT in = w->FrameInsets(dsNone);
  SIZE s = w->GetFloatingSize(links[0]->ItemRect.right + 1, 0);
  EXPECT_EQ(s.cx - in.left - in.right, links[0]->ItemRect.right - links[0]->ItemRect.left);
}
