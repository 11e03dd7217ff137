// The command bars' thread hooks driven by real input (SendInput) on a shown form under Wine: keys reach
// an open menu whatever has the focus, Enter runs the item's action once, shortcuts reach bar items from
// a focused edit, a click outside closes the menu, a key forwarded to a menu whose release goes elsewhere
// leaves no dead keyboard, and Alt and F10 open the menu bar.
#include <atomic>
#include <thread>

#include "BarsTestSupport.h"
#include "StdCtrls.h"
#include "dxBarCustForm.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

// A shown, foreground form with an edit holding the focus, a manager and a sub-item of three buttons
// whose menu the test opens; the first button runs an action.
struct TKeyForm {
  TManagerForm F;
  TEdit* Edit;
  TdxBarSubItem* Sub;
  TAction* Action;
  std::vector<TdxBarButton*> Buttons;
  TClickProbe Clicks, Runs;
  TKeyForm() {
    F.Manager->SetMenusShowRecentItemsFirst(false);
    Edit = new TEdit(F.Form.get());
    Edit->SetParent(F.Form.get());
    Edit->SetBounds(10, 200, 150, 24);
    Action = new TAction(F.Form.get());
    Action->SetName("actRun");
    Action->SetOnExecute(TNotifyEvent(&Runs, &TClickProbe::Click));
    Sub = new TdxBarSubItem(F.Form.get());
    Buttons = AddButtons(F.Form.get(), Sub->ItemLinks(), 3, [](int i) { return std::string("&") + char('a' + i) + " row"; });
    Buttons[0]->SetAction(Action);
    for (int i : {1, 2}) Buttons[i]->OnClick = TNotifyEvent(&Clicks, &TClickProbe::Click);
    F.Form->Show();
    WaitFocus(Edit);
  }
  ~TKeyForm() {
    Sub->ItemLinks()->FreeBarControl();
    SetCursorPos(0, 0);
  }
  TdxBarSubMenuControl* Open(POINT At = POINT{300, 120}) { return OpenMenu(Sub, At); }
  TdxBarSubMenuControl* Menu() { return dynamic_cast<TdxBarSubMenuControl*>(Sub->ItemLinks()->BarControl()); }
};

}  // namespace

// The hooks live while a manager does.
TEST(dxBarHooks, InstalledWhileAManagerExists) {
  EXPECT_FALSE(dxBarHooksInstalled());
  {
    TManagerForm a;
    EXPECT_TRUE(dxBarHooksInstalled());
    {
      TManagerForm b;
    }
    EXPECT_TRUE(dxBarHooksInstalled());
  }
  EXPECT_FALSE(dxBarHooksInstalled());
}

TEST(dxBarHooks, KeysGoToTheOpenMenuAndEnterRunsTheActionOnce) {
  TKeyForm t;
  ASSERT_EQ(GetFocus(), t.Edit->Handle());
  t.Open();
  Press(VK_DOWN);
  Press(VK_DOWN);
  Press(VK_UP);
  ASSERT_TRUE(PumpUntil([&] { return t.Menu() && t.Menu()->SelectedControl() && t.Menu()->SelectedControl()->Item() == t.Buttons[0]; }));
  Press(VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return !t.Menu(); }));
  PumpUntil([&] { return !t.Runs.Names.empty(); });
  WaitDeferred();  // a second run would be there now
  EXPECT_EQ(t.Runs.Names.size(), 1u);
  EXPECT_TRUE(t.Clicks.Names.empty());
  // None of the keys reached the edit.
  EXPECT_EQ(t.Edit->Text(), "");
  // The menu is gone: keys reach the edit again.
  Press('X');
  EXPECT_TRUE(PumpUntil([&] { return t.Edit->Text() == "x"; }));
}

TEST(dxBarHooks, AcceleratorAndEscInTheMenu) {
  TKeyForm t;
  t.Open();
  Press('C');
  EXPECT_TRUE(PumpUntil([&] { return t.Clicks.Names == std::vector<std::string>{"B2"}; }));
  t.Open();
  Press(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !t.Menu(); }));
  EXPECT_EQ(t.Clicks.Names.size(), 1u);
}

TEST(dxBarHooks, ShortcutRunsTheBarItemWhileTheEditHasTheFocus) {
  TKeyForm t;
  TdxBar* bar = t.F.Manager->Bars()->Add();
  bar->ItemLinks()->Add()->SetItem(t.Buttons[1]);
  bar->SetVisible(true);
  t.Buttons[1]->SetShortCut(TShortCut('K' | 0x4000));
  WaitPainted(t.F.Form.get());
  SetForegroundWindow(t.F.Form->Handle());
  t.Edit->SetFocus();
  SendKeys({{VK_CONTROL, false}, {'K', false}, {'K', true}, {VK_CONTROL, true}});
  EXPECT_TRUE(PumpUntil([&] { return t.Clicks.Names.size() == 1; }));
  WaitDeferred();  // a second click, or the key in the edit, would be there now
  EXPECT_EQ(t.Clicks.Names, std::vector<std::string>{"B1"});
  EXPECT_EQ(t.Edit->Text(), "");
}

TEST(dxBarHooks, ClickOutsideClosesTheMenu) {
  TKeyForm t;
  auto* m = t.Open();
  RECT r;
  GetWindowRect(m->Handle(), &r);
  POINT inForm = t.F.Form->ClientToScreen(POINT{20, 20});
  ASSERT_FALSE(PtInRect(&r, inForm));
  Click(inForm);
  EXPECT_TRUE(PumpUntil([&] { return !t.Menu(); }));
  EXPECT_TRUE(t.Clicks.Names.empty());
  EXPECT_TRUE(t.Runs.Names.empty());
}

// A key held when the focus leaves: its release never reaches the hook. The next keys still work.
TEST(dxBarHooks, KeyboardLivesAfterAForwardedKeyIsReleasedElsewhere) {
  TKeyForm t;
  auto* m = t.Open();
  SendKeys({{VK_DOWN, false}});
  ASSERT_TRUE(PumpUntil([&] { return m->SelectedControl() != nullptr; }));
  m->DeactivateChain();
  WaitDeferred();
  // The focus goes to another thread's window (here: nowhere), and the release is lost with it.
  SendMessageA(t.Edit->Handle(), WM_KILLFOCUS, 0, 0);
  SetForegroundWindow(t.F.Form->Handle());
  t.Edit->SetFocus();
  Press('Z');
  EXPECT_TRUE(PumpUntil([&] { return t.Edit->Text() == "z"; }));
  SendKeys({{VK_DOWN, true}});
  Application->ProcessMessages();
}

// A key pressed as the animation starts ends it at once: the watchdog fails a hang.
TEST(dxBarHooks, AnimatedMenuWithAKeyPressedAtOnceEndsAtItsFinalBounds) {
  TKeyForm t;
  t.F.Manager->SetMenuAnimations(maUnfold);
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 1200 && !done; ++i) Sleep(50);  // 60 s: longer than the waits inside
    if (!done) {
      fprintf(stderr, "the menu animation hung\n");
      TerminateProcess(GetCurrentProcess(), 3);
    }
  });
  auto* m = static_cast<TdxBarSubMenuControl*>(t.Sub->ItemLinks()->CreateBarControl());
  m->SetBounds(300, 120, 0, 0);
  m->Show();
  EXPECT_TRUE(m->Animating());
  RECT final{m->Left(), m->Top(), m->Left() + m->Width(), m->Top() + m->Height()};
  Press(VK_DOWN);
  bool ended = PumpUntil([&] { return !m->Animating(); });
  done = true;
  watchdog.join();
  EXPECT_TRUE(ended);
  RECT r;
  GetWindowRect(m->Handle(), &r);
  EXPECT_TRUE(EqualRect(&r, &final));
}

// A main menu bar "&File", "&Bar" docked on the form.
struct TMenuBarForm : TKeyForm {
  TdxBar* MenuBar;
  std::vector<TdxBarButton*> Top;
  TMenuBarForm() {
    MenuBar = F.Manager->Bars()->Add();
    MenuBar->SetIsMainMenu(true);
    for (const char* c : {"&File", "&Bar"}) {
      auto* b = new TdxBarButton(F.Form.get());
      b->SetCaption(c);
      b->SetPaintStyle(psCaption);
      b->SetName(std::string("mnu") + (c + 1));
      Top.push_back(b);
      MenuBar->ItemLinks()->Add()->SetItem(b);
    }
    MenuBar->SetVisible(true);
    WaitPainted(F.Form.get());
    WaitFocus(Edit);
  }
  ~TMenuBarForm() {
    if (TdxBarControl* c = MenuBar->Control()) c->DeactivateChain();
    F.Manager->SetMenuModeBar(nullptr);
  }
  // The sub-item "&Go" joins the menu bar, and the focus is back on the edit.
  void AddGoMenu() {
    Sub->SetCaption("&Go");
    MenuBar->SetVisible(false);
    MenuBar->ItemLinks()->Add()->SetItem(Sub);
    MenuBar->SetVisible(true);
    WaitPainted(F.Form.get());
    WaitFocus(Edit);
  }
  std::string Selected() {
    TdxBarControl* c = MenuBar->Control();
    return c && c->SelectedControl() ? c->SelectedControl()->Item()->Name() : "";
  }
};

TEST(dxBarHooks, AltAloneOpensTheMenuBarAndAltWithALetterRunsItsAccelerator) {
  {
    TMenuBarForm t;
    ASSERT_NE(t.MenuBar->Control(), nullptr);
    SendKeys({{VK_MENU, false}, {VK_MENU, true}});
    EXPECT_TRUE(PumpUntil([&] { return t.F.Manager->IsMenuActive(); }));
    EXPECT_EQ(t.Selected(), "mnuFile");
    EXPECT_EQ(ActiveBarControl(), t.MenuBar->Control());
  }
  {
    // A button's accelerator runs the button once, as Enter on it would, and leaves no menu mode.
    TMenuBarForm t;
    t.Top[1]->OnClick = TNotifyEvent(&t.Clicks, &TClickProbe::Click);
    SendKeys({{VK_MENU, false}, {'B', false}, {'B', true}, {VK_MENU, true}});
    EXPECT_TRUE(PumpUntil([&] { return t.Clicks.Names.size() == 1; }));
    WaitDeferred();  // a second click would be there now
    EXPECT_EQ(t.Clicks.Names.size(), 1u);
    EXPECT_FALSE(t.F.Manager->IsMenuActive());
  }
}

TEST(dxBarHooks, AltWithASubItemsLetterOpensItsMenuWithTheFirstItemSelected) {
  TMenuBarForm t;
  t.AddGoMenu();
  SendKeys({{VK_MENU, false}, {'G', false}, {'G', true}, {VK_MENU, true}});
  ASSERT_TRUE(PumpUntil([&] { return t.Menu() && t.Menu()->SelectedControl(); }));
  EXPECT_EQ(t.Menu()->SelectedControl()->Item(), t.Buttons[0]);
  Press(VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return t.Runs.Names.size() == 1; }));
}

TEST(dxBarHooks, F10OpensTheMenuBarOnlyWhenTheManagerUsesIt) {
  {
    TMenuBarForm t;
    Press(VK_F10);
    EXPECT_TRUE(PumpUntil([&] { return t.F.Manager->IsMenuActive(); }));
  }
  {
    // Without UseF10ForMenu the release is the form's (the decision alone: a real F10 would start the
    // form's own menu loop).
    TMenuBarForm t;
    t.F.Manager->SetUseF10ForMenu(false);
    EXPECT_FALSE(dxBarKeyboardHookSwallows(VK_F10, LPARAM(0xC0000001)));
    EXPECT_FALSE(t.F.Manager->IsMenuActive());
    t.F.Manager->SetUseF10ForMenu(true);
    EXPECT_TRUE(dxBarKeyboardHookSwallows(VK_F10, LPARAM(0xC0000001)));
    EXPECT_TRUE(t.F.Manager->IsMenuActive());
  }
}

// A menu with a sub-item row opening a second menu: Right opens it, Down walks it, Left and Esc close
// one level each, Enter in the inner menu runs its row once and closes the whole chain.
TEST(dxBarHooks, ArrowsWalkMenusAndSubMenusAndEscClosesOneLevel) {
  TKeyForm t;
  auto* inner = new TdxBarSubItem(t.F.Form.get());
  inner->SetName("subInner");
  inner->SetCaption("&More");
  auto* deep = new TdxBarButton(t.F.Form.get());
  deep->SetName("BDeep");
  deep->SetCaption("&Deep");
  deep->OnClick = TNotifyEvent(&t.Clicks, &TClickProbe::Click);
  inner->ItemLinks()->Add()->SetItem(deep);
  t.Sub->ItemLinks()->Add()->SetItem(inner);
  auto innerMenu = [&] { return dynamic_cast<TdxBarSubMenuControl*>(inner->ItemLinks()->BarControl()); };
  auto shown = [&] { return innerMenu() && innerMenu()->HandleAllocated() && IsWindowVisible(innerMenu()->Handle()); };
  t.Open();
  Press(VK_END);
  ASSERT_TRUE(PumpUntil([&] { return t.Menu()->SelectedControl() && t.Menu()->SelectedControl()->Item() == inner; }));
  Press(VK_RIGHT);
  ASSERT_TRUE(PumpUntil(shown));
  Press(VK_DOWN);
  EXPECT_TRUE(PumpUntil([&] { return innerMenu()->SelectedControl() && innerMenu()->SelectedControl()->Item() == deep; }));
  Press(VK_LEFT);
  EXPECT_TRUE(PumpUntil([&] { return !shown(); }));
  ASSERT_NE(t.Menu(), nullptr);
  EXPECT_EQ(ActiveBarControl(), t.Menu());
  Press(VK_RIGHT);
  ASSERT_TRUE(PumpUntil(shown));
  Press(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !shown(); }));
  EXPECT_NE(t.Menu(), nullptr);
  Press(VK_RETURN);   // the sub-item row opens its menu again
  ASSERT_TRUE(PumpUntil(shown));
  Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return !t.Menu(); }));
  PumpUntil([&] { return !t.Clicks.Names.empty(); });
  WaitDeferred();  // a second click would be there now
  EXPECT_EQ(t.Clicks.Names, std::vector<std::string>{"BDeep"});
}

// The item that a key clicks runs a message loop (as a dialog it opens would): the key does not reach
// the focus a second time meanwhile.
TEST(dxBarHooks, KeyThatClicksAnItemReachesNothingElseWhileTheItemRuns) {
  TKeyForm t;
  struct TNested {
    int Clicks = 0;
    void Click(TObject*) {
      ++Clicks;
      // A loop of its own that hands out everything queued meanwhile, the key's own messages too.
      WaitDeferred();
    }
  } nested;
  t.Buttons[1]->OnClick = TNotifyEvent(&nested, &TNested::Click);
  // The form before may still be handing the foreground back: asked until the edit has the focus.
  WaitFocus(t.Edit);
  t.Open();
  Press('B');
  EXPECT_TRUE(PumpUntil([&] { return nested.Clicks == 1 && !t.Menu(); }));
  WaitDeferred();  // a second click, or the key in the edit, would be there now
  EXPECT_EQ(nested.Clicks, 1);
  EXPECT_EQ(t.Edit->Text(), "");
}

namespace {
// Fails the program instead of stalling the run when a key's search never ends.
const bool Watched = (WatchEveryTest(60000), true);
}  // namespace

// The menu bar gets narrower under its selection (the form is made smaller): a letter that no item
// that fits has finds nothing and the keyboard goes on working.
TEST(dxBarHooks, ALetterOnAMenuBarNarrowedUnderItsSelectionFindsNothing) {
  TBarsForm f;
  TdxBar* b = f.AddBar("T", 6);
  b->SetIsMainMenu(true);
  f.Manager->SetMainMenuBar(b);
  WaitForeground(f.Form.get());
  WaitPainted(f.Form.get());
  SendKeys({{VK_MENU, false}, {VK_MENU, true}});
  ASSERT_TRUE(PumpUntil([&] { return f.Manager->IsMenuActive(); }));
  Press(VK_END);
  TdxBarItemLink* last = b->ItemLinks()->Items(5);
  ASSERT_TRUE(PumpUntil([&] { return b->Control()->SelectedControl() == last->Control(); }));
  f.Form->SetWidth(90);
  ASSERT_TRUE(PumpUntil([&] { return IsRectEmpty(&last->ItemRect); }));
  Press('Q');
  Application->ProcessMessages();
  Press(VK_HOME);
  EXPECT_TRUE(PumpUntil([&] { return b->Control()->SelectedControl() == b->ItemLinks()->Items(0)->Control(); }));
  Press(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !f.Manager->IsMenuActive(); }));
}

// While customizing, the form behind the dialog is disabled; its bars still take the mouse: a real right
// click on a button opens the customizing popup for it, real drags move a button along the bar and off
// it, and every press leaves the dialog in front.
TEST(dxBarHooks, WhileCustomizingTheDisabledFormsBarsTakeTheMouse) {
  TWatchdog dog;
  TBarsForm f;
  TdxBar* b = f.AddBar("Tools", 4);
  WaitPainted(f.Form.get());
  TdxBarCustomizingForm* d = OpenCustomizing(f.Manager);
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(IsWindowEnabled(f.Form->Handle()));
  TdxBarItemLinks* links = b->ItemLinks();
  POINT at = Center(links->Items(1));
  {
    THoldPointer hold(at);
    RightClickAt(at);
  }
  ASSERT_NE(TdxBarCustomizingPopup::Current(), nullptr);
  EXPECT_EQ(f.Manager->SelectedItem(), links->Items(1)->Control());
  EXPECT_EQ(GetForegroundWindow(), d->Handle());
  Shot("customizing-disabled-form-popup");
  POINT empty = f.Form->ClientToScreen(POINT{250, 200});
  {
    THoldPointer hold(empty);
    Click(empty);
    PumpUntil([] { return TdxBarCustomizingPopup::Current() == nullptr; });
  }
  EXPECT_EQ(TdxBarCustomizingPopup::Current(), nullptr);

  RECT last = links->Items(3)->ItemRect;
  DragPointer(Center(links->Items(0)), b->Control()->ClientToScreen(POINT{last.right - 3, (last.top + last.bottom) / 2}));
  EXPECT_EQ(Captions(links), (std::vector<std::string>{"Tools1", "Tools2", "Tools3", "Tools0"}));
  DragPointer(Center(links->Items(1)), empty);
  EXPECT_EQ(Captions(links), (std::vector<std::string>{"Tools1", "Tools3", "Tools0"}));
  EXPECT_EQ(GetForegroundWindow(), d->Handle());
  f.Manager->SetCustomizing(false);
  EXPECT_TRUE(IsWindowEnabled(f.Form->Handle()));
}

// A click on the menu bar item chosen by the keyboard opens its menu as a mouse opens it: no row chosen.
TEST(dxBarHooks, AClickOnTheChosenMenuBarItemOpensItsMenuWithNoRowChosen) {
  TMenuBarForm t;
  t.Sub->SetName("subGo");
  t.AddGoMenu();
  SendKeys({{VK_MENU, false}, {VK_MENU, true}});
  ASSERT_TRUE(PumpUntil([&] { return t.F.Manager->IsMenuActive(); }));
  Press(VK_END);
  ASSERT_TRUE(PumpUntil([&] { return t.Selected() == "subGo"; }));
  THoldPointer hold(Center(t.MenuBar->ItemLinks()->Items(2)));
  Click(Center(t.MenuBar->ItemLinks()->Items(2)), true);
  ASSERT_TRUE(PumpUntil([&] { return t.Menu() && t.Menu()->HandleAllocated() && IsWindowVisible(t.Menu()->Handle()); }));
  WaitShown(t.Menu());
  WaitDeferred();  // a row chosen after the opening would be chosen now
  EXPECT_EQ(t.Menu()->SelectedControl(), nullptr);
}

// Entering menu mode with a click brings a form that lies behind another one forward; leaving it with
// Esc makes the item under the resting pointer hot at once.
TEST(dxBarHooks, MenuModeComesUpWithItsFormAndLeavesTheRestingPointerHot) {
  TBarsForm f;
  TdxBar* b = f.AddBar("M", 2);
  b->SetIsMainMenu(true);
  f.Manager->SetMainMenuBar(b);
  auto* sub = new TdxBarSubItem(f.Form.get());
  sub->SetCaption("Go");
  AddButtons(f.Form.get(), sub->ItemLinks(), 2, [](int i) { return "Row" + std::to_string(i); });
  b->ItemLinks()->Add()->SetItem(sub);
  b->RebuildWindow();
  TManagerForm other;
  other.Form->SetBounds(400, 50, 400, 500);
  other.Form->Show();
  WaitForeground(other.Form.get());
  WaitPainted(other.Form.get());
  auto menu = [&] { return dynamic_cast<TdxBarSubMenuControl*>(sub->ItemLinks()->BarControl()); };
  auto selected = [&](int I) { return b->Control()->SelectedControl() == b->ItemLinks()->Items(I)->Control(); };
  POINT go = Center(b->ItemLinks()->Items(2)), overlap{450, 300};
  ASSERT_EQ(GetAncestor(WindowFromPoint(overlap), GA_ROOT), other.Form->Handle());
  THoldPointer hold(go);
  Click(go, true);
  ASSERT_TRUE(PumpUntil([&] { return menu() && menu()->HandleAllocated() && IsWindowVisible(menu()->Handle()); }));
  EXPECT_EQ(GetAncestor(WindowFromPoint(overlap), GA_ROOT), f.Form->Handle());
  for (int i = 0; i < 2 && f.Manager->IsMenuActive(); ++i) {
    Press(VK_ESCAPE);
    Application->ProcessMessages();
    WaitDeferred();
  }
  ASSERT_FALSE(f.Manager->IsMenuActive());
  // Menu mode of the keyboard, the pointer resting on the second button: Esc leaves it hot.
  WaitForeground(f.Form.get());
  hold.Move(Center(b->ItemLinks()->Items(1)));
  SendMouse(Center(b->ItemLinks()->Items(1)));
  PumpUntil([&] { return selected(1); });
  SendKeys({{VK_MENU, false}, {VK_MENU, true}});
  ASSERT_TRUE(PumpUntil([&] { return f.Manager->IsMenuActive(); }));
  EXPECT_TRUE(selected(0));
  Press(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return !f.Manager->IsMenuActive(); }));
  EXPECT_TRUE(PumpUntil([&] { return selected(1); }));
  SetCursorPos(0, 0);
}

// An edit on the menu bar: Down does not open its editor (Up and Down open only menus); Alt pressed
// and released in an open editor closes it and opens the menu bar as Alt does anywhere on the form.
TEST(dxBarHooks, DownLeavesAMenuBarEditClosedAndAltInAnEditorOpensTheMenuBar) {
  TMenuBarForm t;
  auto* edit = new TdxBarEdit(t.F.Form.get());
  edit->SetName("edFind");
  t.MenuBar->SetVisible(false);
  t.MenuBar->ItemLinks()->Add()->SetItem(edit);
  t.MenuBar->SetVisible(true);
  WaitPainted(t.F.Form.get());
  WaitFocus(t.Edit);
  auto control = [&] { return dynamic_cast<TdxBarEditControl*>(t.MenuBar->ItemLinks()->Items(2)->Control()); };
  SendKeys({{VK_MENU, false}, {VK_MENU, true}});
  ASSERT_TRUE(PumpUntil([&] { return t.F.Manager->IsMenuActive(); }));
  Press(VK_END);
  ASSERT_TRUE(PumpUntil([&] { return t.Selected() == "edFind"; }));
  Press(VK_DOWN);
  Application->ProcessMessages();
  WaitDeferred();  // an editor opened by the key would be open now
  ASSERT_NE(control(), nullptr);
  EXPECT_FALSE(control()->Focused());
  Press(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return !t.F.Manager->IsMenuActive(); }));

  THoldPointer hold(Center(t.MenuBar->ItemLinks()->Items(2)));
  Click(Center(t.MenuBar->ItemLinks()->Items(2)), true);
  ASSERT_TRUE(PumpUntil([&] { return control() && control()->Focused(); }));
  Press('X');
  Application->ProcessMessages();
  SendKeys({{VK_MENU, false}, {VK_MENU, true}});
  EXPECT_TRUE(PumpUntil([&] { return t.Selected() == "mnuFile"; }));
  EXPECT_TRUE(t.F.Manager->IsMenuActive());
  EXPECT_FALSE(control()->Focused());
}
