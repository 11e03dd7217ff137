// Edit and combo controls on a real toolbar window: the in-place editor, typing, the drop-down list and
// its placement, and a control that goes while its editor loses the focus.
#include "BarsTestSupport.h"

namespace {

// Fails the program instead of stalling the run when a window loop never returns.
TWatchdog Watchdog(60000, "an edit's window loop did not return");

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

// A shown form with one toolbar window holding a combo and an edit laid side by side.
struct TComboBar {
  TManagerForm F;
  TdxBar* Bar;
  TCustomdxBarControl* Window;
  TdxBarCombo* Combo;
  TdxBarEdit* Edit;
  TComboBar() {
    F.Form->SetBounds(60, 60, 500, 300);
    F.Form->Show();
    SetForegroundWindow(F.Form->Handle());
    Bar = F.Manager->Bars()->Add();
    Combo = new TdxBarCombo(F.Form.get());
    Combo->Items()->SetText("Alpha\nBeta\nGamma");
    Combo->SetWidth(150);
    Edit = new TdxBarEdit(F.Form.get());
    Bar->ItemLinks()->Add()->SetItem(Combo);
    Bar->ItemLinks()->Add()->SetItem(Edit);
    Window = ShowBarWindow(Bar, F.Form.get(), RECT{0, 0, 480, 40}, POINT{2, 2}, 4);
    WaitShown(Window);
  }
  ~TComboBar() {
    if (Bar) Bar->ItemLinks()->FreeBarControl();
  }
  TdxBarComboControl* ComboControl() { return dynamic_cast<TdxBarComboControl*>(Bar->ItemLinks()->Items(0)->Control()); }
  TdxBarEditControl* EditControl() { return dynamic_cast<TdxBarEditControl*>(Bar->ItemLinks()->Items(1)->Control()); }
  // What a click on the control does: it is selected and opens its editor.
  void Open(TdxBarItemControl* C) {
    Window->SelectItem(C);
    C->Click();
    WaitPainted(Window);
  }
  void PaintAll() {
    HDC dc = GetDC(Window->Handle());
    for (int i = 0; i < 2; ++i) Window->PaintItemTo(dc, Bar->ItemLinks()->Items(i)->Control(), 0);
    ReleaseDC(Window->Handle(), dc);
  }
};

void Key(HWND W, UINT Msg, WPARAM Key) { SendMessageA(W, Msg, Key, 1); }

TEST(dxBarEdits, AComboDropsDownAndTakesALongTypedTextWhole) {
  TComboBar t;
  int curChanges = 0;
  TClickProbe onCurChange{[&] { ++curChanges; }};
  t.Combo->OnCurChange = Bind(&onCurChange, &TClickProbe::Click);
  TdxBarComboControl* c = t.ComboControl();
  ASSERT_NE(c, nullptr);
  t.PaintAll();
  t.Open(c);
  ASSERT_TRUE(c->EditorVisible());

  // F4 drops the list below the item; the arrow keys then walk the list.
  Key(c->Handle(), WM_KEYDOWN, VK_F4);
  TdxBarDropDownListBox* list = t.Combo->ListBox();
  ASSERT_TRUE(list->HandleAllocated() && IsWindowVisible(list->Handle()));
  RECT lr, item = t.Bar->ItemLinks()->Items(0)->ItemRect;
  GetWindowRect(list->Handle(), &lr);
  POINT bottomLeft = t.Window->ClientToScreen(POINT{item.left, item.bottom});
  EXPECT_EQ(lr.left, bottomLeft.x);
  EXPECT_EQ(lr.top, bottomLeft.y);
  EXPECT_EQ(list->Items()->Count(), 3);
  WaitShown(list);
  // With no row chosen a key first takes the top row, then moves on.
  Key(c->Handle(), WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), 1);
  // A click in the list chooses the row and closes it.
  RECT row1 = list->ItemRect(1);
  SendMessageA(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row1.left + 3, row1.top + 2));
  SendMessageA(list->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(row1.left + 3, row1.top + 2));
  EXPECT_FALSE(list->HandleAllocated() && IsWindowVisible(list->Handle()));
  EXPECT_EQ(t.Combo->ItemIndex(), 1);
  EXPECT_EQ(t.Combo->Text(), "Beta");

  // 300 characters typed are kept whole when Enter commits them.
  t.Open(c);
  ASSERT_TRUE(c->EditorVisible());
  SetWindowTextA(c->Handle(), "");
  std::string typed;
  for (int i = 0; i < 300; ++i) typed += char('a' + i % 26);
  for (char ch : typed) PostMessageA(c->Handle(), WM_CHAR, WPARAM(ch), 1);
  Application->ProcessMessages();
  EXPECT_EQ(curChanges, 301);
  EXPECT_EQ(t.Combo->Text(), typed);  // read from the open editor
  Key(c->Handle(), WM_KEYDOWN, VK_RETURN);
  EXPECT_FALSE(c->EditorVisible());
  EXPECT_EQ(t.Combo->StoredText(), typed);
  EXPECT_EQ(t.Combo->ItemIndex(), -1);
}

// A shown form with a docked toolbar: a button, a combo of three items and an edit, used with real
// pointer moves, clicks and keys.
struct TEditBar {
  TBarsForm F;
  TdxBar* Bar;
  TdxBarCombo* Combo;
  TdxBarEdit* Edit;
  THoldPointer Hold{POINT{0, 0}};
  TEditBar() {
    Bar = F.AddBar("T", 1);
    Combo = new TdxBarCombo(F.Form.get());
    Combo->Items()->SetText("Alpha\nBeta\nGamma");
    Combo->SetWidth(120);
    Edit = new TdxBarEdit(F.Form.get());
    Edit->SetWidth(80);
    Bar->ItemLinks()->Add()->SetItem(Combo);
    Bar->ItemLinks()->Add()->SetItem(Edit);
    Bar->RebuildWindow();
    WaitForeground(F.Form.get());
    WaitPainted(F.Form.get());
  }
  ~TEditBar() { SetCursorPos(0, 0); }
  TdxBarControl* Window() { return Bar->Control(); }
  TdxBarComboControl* ComboControl() { return dynamic_cast<TdxBarComboControl*>(Bar->ItemLinks()->Items(1)->Control()); }
  TdxBarEditControl* EditControl() { return dynamic_cast<TdxBarEditControl*>(Bar->ItemLinks()->Items(2)->Control()); }
  POINT OnLink(int I) { return Center(Bar->ItemLinks()->Items(I)); }
  bool ListShown() {
    TdxBarDropDownListBox* l = Combo->ListBox();
    return l->HandleAllocated() && IsWindowVisible(l->Handle());
  }
  std::string EditorText(TdxBarWinControl* C) { return C->Handle() ? C->GetText() : std::string("<none>"); }
};

// What the user typed into a toolbar edit stays while the pointer passes over another button; Enter
// commits it. Esc drops what was typed since and keeps the edit chosen.
TEST(dxBarEdits, TypedTextStaysWhileThePointerPassesOverAnotherButton) {
  TEditBar t;
  TdxBarEditControl* e = t.EditControl();
  ASSERT_NE(e, nullptr);
  HeldClick(t.Hold, t.OnLink(2));
  ASSERT_TRUE(PumpUntil([&] { return e->EditorVisible() && GetFocus() == e->Handle(); }));
  Press('A');
  Press('B');
  ASSERT_TRUE(PumpUntil([&] { return t.EditorText(e) == "ab"; })) << t.EditorText(e);
  for (POINT p : {t.OnLink(0), Offset(t.OnLink(0), 2, 1)}) {
    t.Hold.Move(p);
    SendMouse(p);
    Application->ProcessMessages();
  }
  WaitTimers(400);  // what the moves start (a leave check, a hover delay) has been done
  EXPECT_TRUE(e->EditorVisible());
  EXPECT_EQ(GetFocus(), e->Handle());
  EXPECT_EQ(t.EditorText(e), "ab");
  Press(VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return t.Edit->StoredText() == "ab"; })) << t.Edit->StoredText();
  EXPECT_FALSE(e->EditorVisible());

  HeldClick(t.Hold, t.OnLink(2));
  ASSERT_TRUE(PumpUntil([&] { return e->EditorVisible() && GetFocus() == e->Handle(); }));
  Press('Z');
  ASSERT_TRUE(PumpUntil([&] { return t.EditorText(e) == "z"; })) << t.EditorText(e);
  Press(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !e->EditorVisible(); }));
  EXPECT_EQ(t.Edit->Text(), "ab");
  EXPECT_EQ(t.Window()->SelectedControl(), e);
}

// Clicks on a combo's arrow open and close its list; a click on a row of the open list chooses it; a
// click on the combo's text part opens the editor without the list.
TEST(dxBarEdits, ClicksOnAComboArrowOpenAndCloseItsListAndAClickInTheListChooses) {
  TEditBar t;
  TdxBarComboControl* c = t.ComboControl();
  ASSERT_NE(c, nullptr);
  POINT arrow = t.Window()->ClientToScreen(Middle(c->ButtonRect()));
  POINT text = t.Window()->ClientToScreen(Middle(c->EditorRect()));
  HeldClick(t.Hold, text);
  ASSERT_TRUE(PumpUntil([&] { return c->EditorVisible(); }));
  WaitDeferred();  // a list opened by the click would be open now
  EXPECT_FALSE(t.ListShown());
  HeldClick(t.Hold, arrow);
  ASSERT_TRUE(PumpUntil([&] { return t.ListShown(); }));
  WaitShown(t.Combo->ListBox());
  Shot("combo-list-open");
  TdxBarDropDownListBox* list = t.Combo->ListBox();
  HeldClick(t.Hold, list->ClientToScreen(Middle(list->ItemRect(1))));
  EXPECT_TRUE(PumpUntil([&] { return !t.ListShown() && t.Combo->ItemIndex() == 1; })) << t.Combo->ItemIndex();
  EXPECT_EQ(t.Combo->Text(), "Beta");
  HeldClick(t.Hold, arrow);
  ASSERT_TRUE(PumpUntil([&] { return t.ListShown(); }));
  WaitShown(t.Combo->ListBox());
  HeldClick(t.Hold, arrow);
  EXPECT_TRUE(PumpUntil([&] { return !t.ListShown(); }));
}

TEST(dxBarEdits, ADropDownStaysOnItsMonitor) {
  // A monitor left of the primary: its work area has negative coordinates.
  RECT left{-1280, 0, 0, 1024};
  POINT p = dxBarPlaceDropDown(RECT{-1270, 100, -1170, 120}, SIZE{150, 200}, false, left);
  EXPECT_EQ(p.x, -1270);
  EXPECT_EQ(p.y, 120);
  RECT above{0, -1024, 1280, 0};
  p = dxBarPlaceDropDown(RECT{10, -1020, 110, -1000}, SIZE{150, 200}, false, above);
  EXPECT_EQ(p.y, -1000);
  // Near the right edge it shifts left; near the bottom it opens above when there is more room there.
  RECT work{0, 0, 800, 600};
  p = dxBarPlaceDropDown(RECT{700, 500, 780, 520}, SIZE{150, 200}, false, work);
  EXPECT_EQ(p.x, 650);
  EXPECT_EQ(p.y, 300);
  // Beside a menu row: to the left when the right has too little room.
  p = dxBarPlaceDropDown(RECT{600, 550, 780, 570}, SIZE{150, 200}, true, work);
  EXPECT_EQ(p.x, 450);
  EXPECT_EQ(p.y, 400);
}

struct TFreeOnExit {
  TdxBarItem* Item;
  void Exit(TObject*) { TObject::Free(Item); }
};

// A user clicks the edit on the toolbar and types into it; the item freed while its editor loses the
// focus to the form takes its editor and link with it, and nothing touches the freed control afterwards.
TEST(dxBarEdits, AClickedEditTakesTheKeysAndMayBeFreedWhileItsEditorLosesTheFocus) {
  TComboBar t;
  TdxBarEditControl* e = t.EditControl();
  t.PaintAll();
  RECT r = t.Bar->ItemLinks()->Items(1)->ItemRect;
  Click(t.Window->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
  ASSERT_TRUE(PumpUntil([&] { return e->EditorVisible() && GetFocus() == e->Handle(); }));
  HWND editor = e->Handle();
  Press('O');
  Press('K');
  EXPECT_TRUE(PumpUntil([&] { return t.Edit->Text() == "ok"; })) << t.Edit->Text();
  TFreeOnExit f{t.Edit};
  t.Edit->OnExit = Bind(&f, &TFreeOnExit::Exit);
  SetFocus(t.F.Form->Handle());  // the focus is taken from outside
  PumpUntil([&] { return !IsWindow(editor); });
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_EQ(t.Bar->ItemLinks()->Count(), 1);
  SetCursorPos(0, 0);
}

// An edit on a bar docked on the left stays an edit (a click opens its editor) unless the bar turns its
// captions, where it shows as a button.
TEST(dxBarEdits, AnEditOnAVerticalBarIsAnEditUnlessTheBarRotates) {
  TBarsForm f;
  TdxBar* b = f.AddBar("V", 1, dsLeft);
  b->SetRotateWhenVertical(false);
  auto* edit = new TdxBarEdit(f.Form.get());
  edit->SetWidth(60);
  b->ItemLinks()->Add()->SetItem(edit);
  b->RebuildWindow();
  WaitForeground(f.Form.get());
  WaitPainted(f.Form.get());
  TdxBarItemLink* l = b->ItemLinks()->Items(1);
  auto* c = dynamic_cast<TdxBarEditControl*>(l->Control());
  ASSERT_NE(c, nullptr);
  THoldPointer hold(Center(l));
  Click(Center(l), true);
  EXPECT_TRUE(PumpUntil([&] { return c->Focused(); }));
  Press(VK_ESCAPE);
  PumpUntil([&] { return !c->Focused(); });
  b->SetRotateWhenVertical(true);
  b->RebuildWindow();
  WaitPainted(f.Form.get());
  EXPECT_NE(dynamic_cast<TdxBarButtonControl*>(b->ItemLinks()->Items(1)->Control()), nullptr);
  SetCursorPos(0, 0);
}

}  // namespace
