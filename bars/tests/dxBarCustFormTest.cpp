// The customizing dialog and its editors on real windows: opened by customizing mode, toolbars made,
// renamed, deleted and reset through its buttons with the name editor typed into and the confirmations
// answered by pressing their buttons; the options page by style; the item add editor's names; the
// other forms' windows disabled and given back.

#include <functional>
#include <utility>

#include "BarsTestSupport.h"
#include "dxBarCustForm.h"
#include "dxBarItemEd.h"
#include "dxBarNameEd.h"
#include "dxBarPopupMenuEd.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

TestFormPtr MakeShownForm() {
  TestFormPtr f = MakeBarsTestForm();
  f->Show();
  WaitShown(f.get());
  return f;
}

// Runs Action on the first shown modal form of class F while code that opens it runs; the modal form
// is cancelled after a while when Action did not close it.
template <class F>
struct TWhileModal {
  static inline std::function<void(F*)> Action;
  static inline int Ticks;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR Id, DWORD) {
    F* f = nullptr;
    for (int i = 0; i < Screen->FormCount() && !f; ++i)
      if (auto* m = dynamic_cast<F*>(Screen->Forms(i)); m && m->Modal() && m->HandleAllocated() && IsWindowVisible(m->Handle()))
        f = m;
    if (f && Action) {
      std::exchange(Action, nullptr)(f);
    } else if (++Ticks > 200) {
      KillTimer(nullptr, Id);
      if (f) f->SetModalResult(mrCancel);
    }
  }
  UINT_PTR Timer;
  explicit TWhileModal(std::function<void(F*)> A) {
    Action = std::move(A);
    Ticks = 0;
    Timer = SetTimer(nullptr, 0, 30, &Tick);
  }
  ~TWhileModal() { KillTimer(nullptr, Timer); }
};

void Click(TWinControl* C) {
  RECT r = C->ClientRect();
  LPARAM at = MAKELPARAM((r.right) / 2, (r.bottom) / 2);
  SendMessageA(C->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(C->Handle(), WM_LBUTTONUP, 0, at);
}

void Type(TWinControl* C, const std::string& S) {
  for (char ch : S) SendMessageA(C->Handle(), WM_CHAR, WPARAM(uint8_t(ch)), 0);
}

void ClearEdit(TEdit* E) {
  SendMessageA(E->Handle(), EM_SETSEL, 0, -1);
  SendMessageA(E->Handle(), WM_KEYDOWN, VK_DELETE, 0);
  SendMessageA(E->Handle(), WM_CHAR, VK_BACK, 0);
}

struct TCustomizing {
  TestFormPtr Form = MakeShownForm();
  TdxBarManager* M = Form->Manager();
  TdxBarCustomizingForm* D = OpenCustomizing(M);
  ~TCustomizing() {
    if (M->IsCustomizing()) M->SetCustomizing(false);
  }
  int Row(const std::string& Caption) { return D->BarsListBox->Items()->IndexOf(Caption); }
  TdxBar* Bar(const std::string& Caption) {
    for (int i = 0; i < M->Bars()->Count(); ++i)
      if (M->Bars()->Items(i)->Caption() == Caption) return M->Bars()->Items(i);
    return nullptr;
  }
  // A click on a row, on its check square at X 4.
  void Select(int Row, int X = 40) {
    RECT r = D->BarsListBox->ItemRect(Row);
    LPARAM at = MAKELPARAM(r.left + X, (r.top + r.bottom) / 2);
    SendMessageA(D->BarsListBox->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(D->BarsListBox->Handle(), WM_LBUTTONUP, 0, at);
  }
};

TEST(dxBarCustForm, OpensForCustomizingListsTheBarsAndClosesWithItsButton) {
  TCustomizing c;
  ASSERT_NE(c.D, nullptr);
  EXPECT_TRUE(IsWindowVisible(c.D->Handle()));
  EXPECT_EQ(c.D->Caption(), "Customize");
  EXPECT_EQ(c.D->TabSheet1->Caption(), " Toolbars ");
  EXPECT_EQ(c.D->TabSheet3->Caption(), " Options ");
  EXPECT_EQ(c.D->LabelToobars->Caption(), "Toolb&ars:");
  EXPECT_EQ(c.D->ClientWidth(), 366);
  EXPECT_EQ(c.D->ClientHeight(), 310);
  // Its own window style, owned by the customized form.
  LONG style = GetWindowLongA(c.D->Handle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(HWND(GetWindowLongPtrA(c.D->Handle(), GWLP_HWNDPARENT)), c.Form->Handle());
  // One row per bar; a second customizing request changes nothing.
  ASSERT_EQ(c.D->BarsListBox->Items()->Count(), c.M->Bars()->Count());
  EXPECT_EQ(c.D->BarsListBox->Items()->Strings(0), "Main Menu");
  c.M->SetCustomizing(true);
  EXPECT_EQ(dxBarCustomizingForm, c.D);
  // A bar from the stored form: reset yes, rename and delete no.
  c.Select(c.Row("Statuses"));
  EXPECT_FALSE(c.D->BBarRename->Enabled());
  EXPECT_FALSE(c.D->BBarDelete->Enabled());
  EXPECT_TRUE(c.D->BBarReset->Enabled());
  // A click in the check square hides the bar; the main menu may not be hidden and only beeps.
  TdxBar* statuses = c.Bar("Statuses");
  ASSERT_TRUE(statuses->Visible());
  c.Select(c.Row("Statuses"), 4);
  EXPECT_FALSE(statuses->Visible());
  SendMessageA(c.D->BarsListBox->Handle(), WM_CHAR, ' ', 0);
  EXPECT_TRUE(statuses->Visible());
  c.Select(0);
  SendMessageA(c.D->BarsListBox->Handle(), WM_CHAR, ' ', 0);
  EXPECT_TRUE(c.Bar("Main Menu")->Visible());

  Shot("customize-toolbars", c.D);
  c.D->PageControl->SetActivePage(c.D->TabSheet2);
  c.D->PageControlChange(nullptr);
  c.D->LCategories->SetItemIndex(2);
  c.D->LCategoriesClick(nullptr);
  c.D->LCommands->SetItemIndex(0);
  Shot("customize-commands", c.D);
  EXPECT_EQ(c.D->LCommands->Items()->Count(), 3);
  c.D->PageControl->SetActivePage(c.D->TabSheet3);
  Shot("customize-options", c.D);

  Click(c.D->BClose);
  EXPECT_TRUE(PumpUntil([] { return dxBarCustomizingForm == nullptr; }));
  EXPECT_FALSE(c.M->IsCustomizing());
}

TEST(dxBarCustForm, NewToolbarRefusesBlankNamesFloatsBesideTheDialogAndIsRenamedAndDeleted) {
  TCustomizing c;
  TWatchdog dog;
  RECT wa = GetWorkArea(POINT{c.D->Left(), c.D->Top()});
  c.D->SetBounds(wa.left + 10, wa.top + 40, c.D->Width(), c.D->Height());
  int bars = c.M->Bars()->Count();
  bool emptyRefused = false, blankRefused = false;
  std::string proposed;
  {
    TWhileModal<TdxBarNameEd> m([&](TdxBarNameEd* e) {
      proposed = e->EName->Text();
      EXPECT_EQ(e->Caption(), "New Toolbar");
      EXPECT_EQ(e->LName->Caption(), "&Toolbar name:");
      ClearEdit(e->EName);
      emptyRefused = !e->BOK->Enabled();
      Type(e->EName, "   ");
      blankRefused = !e->BOK->Enabled();
      ClearEdit(e->EName);
      Type(e->EName, "Tools");
      EXPECT_TRUE(e->BOK->Enabled());
      Click(e->BOK);
    });
    Click(c.D->BBarNew);
  }
  EXPECT_EQ(proposed, "New Toolbar");
  EXPECT_TRUE(emptyRefused);
  EXPECT_TRUE(blankRefused);
  ASSERT_EQ(c.M->Bars()->Count(), bars + 1);
  TdxBar* bar = c.M->Bars()->Items(bars);
  EXPECT_EQ(bar->Caption(), "Tools");
  EXPECT_TRUE(bar->Visible());
  EXPECT_EQ(bar->DockingStyle(), dsNone);
  // Left of the dialog would leave the work area: it floats right of the dialog.
  EXPECT_EQ(bar->FloatLeft(), c.D->Left() + c.D->Width() + 10);
  EXPECT_EQ(bar->FloatTop(), c.D->Top());
  EXPECT_EQ(c.D->BarsListBox->ItemIndex(), bars);
  EXPECT_TRUE(c.D->BBarRename->Enabled());
  EXPECT_TRUE(c.D->BBarDelete->Enabled());
  EXPECT_FALSE(c.D->BBarReset->Enabled());

  {
    TWhileModal<TdxBarNameEd> m([&](TdxBarNameEd* e) {
      EXPECT_EQ(e->Caption(), "Rename Toolbar");
      EXPECT_EQ(e->EName->Text(), "Tools");
      ClearEdit(e->EName);
      Type(e->EName, "My Tools");
      Click(e->BOK);
    });
    Click(c.D->BBarRename);
  }
  EXPECT_EQ(bar->Caption(), "My Tools");
  EXPECT_EQ(c.D->BarsListBox->Items()->Strings(bars), "My Tools");

  // Cancel keeps it; OK deletes it and the new last row is selected.
  {
    TMessageBoxAnswerer a(IDCANCEL);
    Click(c.D->BBarDelete);
    EXPECT_EQ(a.Text(), "Are you sure you want to delete the 'My Tools' toolbar?");
  }
  EXPECT_EQ(c.M->Bars()->Count(), bars + 1);
  {
    TMessageBoxAnswerer a(IDOK);
    Click(c.D->BBarDelete);
  }
  EXPECT_EQ(c.M->Bars()->Count(), bars);
  EXPECT_EQ(c.D->BarsListBox->Items()->Count(), bars);
  EXPECT_EQ(c.D->BarsListBox->ItemIndex(), bars - 1);
}

TEST(dxBarCustForm, ResetButtonAsksAndBringsBackAPredefinedBar) {
  TCustomizing c;
  TWatchdog dog;
  TdxBar* statuses = c.Bar("Statuses");
  statuses->ItemLinks()->Items(0)->SetItem(nullptr);
  ASSERT_EQ(statuses->ItemLinks()->Count(), 2);
  c.Select(c.Row("Statuses"));
  TMessageBoxAnswerer a(IDOK);
  Click(c.D->BBarReset);
  EXPECT_EQ(a.Text(), "Are you sure you want to reset the changes made to the 'Statuses' toolbar?");
  EXPECT_EQ(statuses->ItemLinks()->Count(), 3);
}

TEST(dxBarCustForm, OptionsPageFollowsTheStyleAndWritesTheManager) {
  TCustomizing c;
  c.D->PageControl->SetActivePage(c.D->TabSheet3);
  EXPECT_TRUE(c.D->EnhancedOptionsPanel->Visible());
  EXPECT_FALSE(c.D->StandardOptionsPanel->Visible());
  c.M->SetStyle(bmsStandard);
  PumpUntil([&] { return c.D->StandardOptionsPanel->Visible(); });
  EXPECT_TRUE(c.D->StandardOptionsPanel->Visible());
  EXPECT_FALSE(c.D->EnhancedOptionsPanel->Visible());
  Shot("customize-options-standard", c.D);
  ASSERT_FALSE(c.M->LargeIcons());
  Click(c.D->CBLargeIcons);
  EXPECT_TRUE(c.M->LargeIcons());
  c.D->ComboBoxMenuAnimations->SetItemIndex(3);
  SendMessageA(c.D->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c.D->ComboBoxMenuAnimations->Handle()), CBN_SELCHANGE),
               LPARAM(c.D->ComboBoxMenuAnimations->Handle()));
  c.D->ComboBoxMenuAnimationsClick(c.D->ComboBoxMenuAnimations);
  EXPECT_EQ(c.M->MenuAnimations(), maSlide);
}

TEST(dxBarCustForm, ItemAddEditorProposesTheNextFreeNameAndReportsABadOne) {
  TManagerForm f;
  auto* b = new TdxBarButton(f.Form.get());
  b->SetName("DXBARBUTTON1");   // taken whatever its case
  b->SetCategory(0);
  EXPECT_EQ(dxBarProposeItemName(f.Manager, TdxBarButton::StaticClass()), "dxBarButton2");
  TWatchdog dog;
  std::string proposed, boxText;
  bool stillOpen = false;
  {
    TWhileModal<TdxBarItemAddEditor> m([&](TdxBarItemAddEditor* e) {
      proposed = e->Edit1->Text();
      ClearEdit(e->Edit1);
      Type(e->Edit1, "1 bad");
      {
        TMessageBoxAnswerer a(IDOK);
        Click(e->BOk);
        boxText = a.Text();
      }
      stillOpen = e->ModalResult() == mrNone;
      Click(e->BCancel);
    });
    EXPECT_EQ(dxBarItemAddEditor(f.Manager, 0), nullptr);
  }
  EXPECT_EQ(proposed, "dxBarButton2");
  EXPECT_EQ(boxText, "'1 bad' is not a valid component name");
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(f.Manager->ItemCount(), 1);
  // A good name makes the item in the chosen category.
  TdxBarItem* made = nullptr;
  {
    TWhileModal<TdxBarItemAddEditor> m([&](TdxBarItemAddEditor* e) { Click(e->BOk); });
    made = dxBarItemAddEditor(f.Manager, 0);
  }
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Name(), "dxBarButton2");
  EXPECT_EQ(made->Caption(), "New Item");
  EXPECT_EQ(made->Category(), 0);
  EXPECT_TRUE(f.Manager->Modified());
}

TEST(dxBarCustForm, OtherFormsWithAManagerAreDisabledAndGivenBackEvenWhenOneIsFreed) {
  TManagerForm other, gone;
  other.Form->Show();
  gone.Form->Show();
  TCustomForm* plain = CreateNewForm<TForm>(nullptr);
  plain->Show();
  for (TWinControl* w : std::initializer_list<TWinControl*>{other.Form.get(), gone.Form.get(), plain}) WaitShown(w);
  {
    TCustomizing c;
    EXPECT_FALSE(IsWindowEnabled(other.Form->Handle()));
    EXPECT_FALSE(IsWindowEnabled(gone.Form->Handle()));
    EXPECT_TRUE(IsWindowEnabled(plain->Handle()));
    EXPECT_FALSE(IsWindowEnabled(c.Form->Handle()));
    // A form freed meanwhile is forgotten, not enabled through its old handle later.
    gone.Form.reset();
    // Another window takes its place meanwhile and is kept disabled by its own code.
    HWND bystander = CreateWindowExA(0, "STATIC", "bystander", WS_POPUP | WS_DISABLED, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr);
    Click(c.D->BClose);
    EXPECT_TRUE(PumpUntil([] { return dxBarCustomizingForm == nullptr; }));
    EXPECT_TRUE(IsWindowEnabled(other.Form->Handle()));
    EXPECT_TRUE(IsWindowEnabled(c.Form->Handle()));
    EXPECT_FALSE(IsWindowEnabled(bystander));
    DestroyWindow(bystander);
  }
  TObject::Free(plain);
}

TEST(dxBarCustForm, TheToolbarListsCustomizeRowOpensTheDialogAndIsDisabledWhileItShows) {
  TestFormPtr form = MakeShownForm();
  TdxBarManager* m = form->Manager();
  TdxBarToolbarsPopup* p = TdxBarToolbarsPopup::ShowAt(m, POINT{300, 300});
  ASSERT_NE(p, nullptr);
  WaitShown(p);
  ASSERT_NE(FindRow(p, "&Customize..."), nullptr);
  EXPECT_TRUE(FindRow(p, "&Customize...")->Item()->Enabled());
  ASSERT_TRUE(ClickRow(p, "&Customize..."));
  ASSERT_TRUE(PumpUntil([] { return dxBarCustomizingForm != nullptr; }));
  EXPECT_TRUE(m->IsCustomizing());
  p = TdxBarToolbarsPopup::ShowAt(m, POINT{300, 300});
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(FindRow(p, "&Customize...")->Item()->Enabled());
  p->CloseMenu();
  m->SetCustomizing(false);
  EXPECT_EQ(dxBarCustomizingForm, nullptr);
}

TEST(dxBarCustForm, SubMenuEditorHoldsTheMenuUnderItsCaptionUntilCustomizingEnds) {
  TestFormPtr form = MakeShownForm();
  TdxBarManager* m = form->Manager();
  auto* sub = dynamic_cast<TdxBarSubItem*>(form->FindComponent("subStatus"));
  ASSERT_NE(sub, nullptr);
  dxBarShowSubMenuEditor(sub);
  EXPECT_TRUE(m->IsCustomizing());
  TdxBarSubMenuEditor* e = dxBarSubMenuEditor;
  ASSERT_NE(e, nullptr);
  if (!e->SubMenu()) e->FormActivate(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return e->SubMenu() != nullptr; }));
  TdxBarSubMenuControl* w = e->SubMenu();
  RECT er, wr;
  GetWindowRect(e->Handle(), &er);
  GetWindowRect(w->Handle(), &wr);
  EXPECT_EQ(wr.left, er.left);
  EXPECT_EQ(wr.top, er.bottom);
  EXPECT_EQ(er.right - er.left, wr.right - wr.left);
  // Moving the caption bar carries the menu along.
  SetWindowPos(e->Handle(), nullptr, er.left + 40, er.top + 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  PumpUntil([&] {
    GetWindowRect(w->Handle(), &wr);
    return wr.left == er.left + 40 && wr.top == er.bottom + 30;
  });
  GetWindowRect(w->Handle(), &wr);
  EXPECT_EQ(wr.left, er.left + 40);
  EXPECT_EQ(wr.top, er.bottom + 30);
  Shot("submenu-editor", e, wr.bottom - wr.top);
  m->SetCustomizing(false);
  EXPECT_EQ(dxBarSubMenuEditor, nullptr);
  EXPECT_EQ(sub->ItemLinks()->BarControl(), nullptr);
}

TEST(dxBarCustForm, BarLinesAndTheHelpButtonFollowTheManager) {
  TCustomizing c;
  // Changes made outside the dialog (a bar's own close button, code) reach its lines.
  TdxBar* misc = c.Bar("Misc");
  misc->SetCaption("Extras");
  EXPECT_EQ(c.D->BarsListBox->Items()->Strings(misc->Index()), "Extras");
  misc->SetVisible(false);
  TdxBar* added = c.M->Bars()->Add();
  added->SetCaption("Added");
  EXPECT_EQ(c.D->BarsListBox->Items()->Count(), c.M->Bars()->Count());
  TObject::Free(added);
  c.D->RefreshBarsList();
  EXPECT_EQ(c.D->BarsListBox->Items()->IndexOf("Added"), -1);
  // The help button shows the manager's glyph when asked for and runs its event.
  EXPECT_FALSE(c.D->BHelp->Visible());
  int clicks = 0;
  TClickProbe probe{[&] { ++clicks; }};
  c.M->OnHelpButtonClick = Bind(&probe, &TClickProbe::Click);
  c.M->SetShowHelpButton(true);
  EXPECT_TRUE(c.D->BHelp->Visible());
  RECT r = c.D->BHelp->BoundsRect();
  TWinControl* panel = c.D->BHelp->Parent();
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(panel->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(clicks, 1);
}

// A form with Misc floating right of it, shown and active.
struct TFloatingBarForm {
  TestFormPtr Form = MakeShownForm();
  TdxBarManager* M = Form->Manager();
  TdxBar* Misc = M->Bars()->Items(2);
  TFloatingBarForm() {
    SetForegroundWindow(Form->Handle());
    Misc->SetFloatLeft(Form->Left() + Form->Width() + 20);
    Misc->SetFloatTop(Form->Top() + 40);
    Misc->SetDockingStyle(dsNone);
    WaitForeground(Form.get());
    PumpUntil([&] { return FloatingShown(); });
    WaitShown(Form.get());
  }
  ~TFloatingBarForm() {
    if (M->IsCustomizing()) M->SetCustomizing(false);
  }
  bool FloatingShown() const {
    return Misc->Control() && Misc->Control()->HandleAllocated() && IsWindowVisible(Misc->Control()->Handle());
  }
  // Customizing opened as the user does: a double click on the empty end of the top site's second row.
  void OpenByDoubleClick(THoldPointer& Hold) {
    RECT r = WindowRect(M->Bars()->DockControls(dsTop));
    POINT empty{r.right - 15, r.bottom - 8};
    Hold.Move(empty);
    Click(empty);
    Click(empty);
    ASSERT_TRUE(PumpUntil([] { return dxBarCustomizingForm && IsWindowVisible(dxBarCustomizingForm->Handle()); }));
    Settle(dxBarCustomizingForm);
  }
  // After the dialog Active opened, closed or took back the activation: Active is the foreground window,
  // everything is painted, and what the bars do a moment later (their short timers) has been done, so
  // a check that something stays is not made before it could have gone.
  void Settle(TWinControl* Active) {
    PumpUntil([&] { return GetForegroundWindow() == Active->Handle(); });
    WaitPainted(Active);
    WaitTimers(100);
    if (Misc->Control()) WaitPainted(Misc->Control());
  }
  static void Press(THoldPointer& Hold, TWinControl* Button) {
    POINT p = Middle(WindowRect(Button));
    Hold.Move(p);
    Click(p, true);
  }
  // Presses Button, which opens a modal F, and lets Action answer it.
  template <class F>
  static void PressAndAnswer(THoldPointer& Hold, TWinControl* Button, std::function<void(F*)> Action) {
    TWhileModal<F> m(std::move(Action));
    Press(Hold, Button);
    EXPECT_TRUE(PumpUntil([] { return !TWhileModal<F>::Action; }));
  }
};

// The form with Misc floating, customizing opened by a double click, the dialog and the number of bars
// then.
struct TCustomizingFloatingBarForm {
  TWatchdog Dog;
  TFloatingBarForm F;
  THoldPointer Hold{POINT{0, 0}};
  TdxBarCustomizingForm* D = nullptr;
  int Bars = 0;
  TCustomizingFloatingBarForm() {
    F.OpenByDoubleClick(Hold);
    D = dxBarCustomizingForm;
    Bars = F.M->Bars()->Count();
  }
};

TEST(dxBarCustForm, FloatingBarsStayWhileTheDialogIsOpenAndAfterItCloses) {
  TWatchdog dog;
  TFloatingBarForm f;
  ASSERT_TRUE(f.FloatingShown());
  THoldPointer hold(POINT{0, 0});
  f.OpenByDoubleClick(hold);
  ASSERT_TRUE(f.M->IsCustomizing());
  EXPECT_TRUE(f.FloatingShown());
  Shot("customize-over-floating-bar");
  TFloatingBarForm::Press(hold, dxBarCustomizingForm->BClose);
  ASSERT_TRUE(PumpUntil([] { return dxBarCustomizingForm == nullptr; }));
  f.Settle(f.Form.get());
  EXPECT_TRUE(f.FloatingShown());
}

// A toolbar made with "&New..." and renamed with "R&ename..." stays on the screen.
TEST(dxBarCustForm, ANewToolbarStaysOnTheScreenWhenRenamed) {
  TCustomizingFloatingBarForm t;
  ASSERT_TRUE(t.D);
  auto& [dog, f, hold, d, bars] = t;
  auto typeName = [&hold](const char* Name) {
    return [&hold, Name](TdxBarNameEd* e) -> void {
      ClearEdit(e->EName);
      Type(e->EName, Name);
      TFloatingBarForm::Press(hold, e->BOK);
    };
  };
  TFloatingBarForm::PressAndAnswer<TdxBarNameEd>(hold, d->BBarNew, typeName("Tools"));
  ASSERT_TRUE(PumpUntil([&] { return f.M->Bars()->Count() == bars + 1; }));
  TdxBar* bar = f.M->Bars()->Items(bars);
  auto shown = [bar] { return bar->Control() && bar->Control()->HandleAllocated() && IsWindowVisible(bar->Control()->Handle()); };
  f.Settle(d);
  EXPECT_TRUE(shown());
  TFloatingBarForm::PressAndAnswer<TdxBarNameEd>(hold, d->BBarRename, typeName("My Tools"));
  ASSERT_TRUE(PumpUntil([&] { return bar->Caption() == "My Tools"; }));
  f.Settle(d);
  Shot("customize-renamed-toolbar");
  EXPECT_TRUE(bar->Visible());
  EXPECT_TRUE(shown());
  EXPECT_TRUE(f.FloatingShown());
}

// A toolbar made with "&New..." (its name typed, then OK) stays in front of the form when the dialog
// is closed with its button: its window is the one under its caption, and its caption is painted in
// the caption colour where the form would otherwise show. The focus going back to the form raises the
// form, and the system learns of that a moment later: the bar must not be covered then either.
TEST(dxBarCustForm, ANewToolbarStaysInFrontWhenTheDialogCloses) {
  TCustomizingFloatingBarForm t;
  ASSERT_TRUE(t.D);
  auto& [dog, f, hold, d, bars] = t;
  TFloatingBarForm::PressAndAnswer<TdxBarNameEd>(hold, d->BBarNew, [&hold](TdxBarNameEd* e) {
    SendKeys({{'T', false}, {'T', true}, {'O', false}, {'O', true}, {'P', false}, {'P', true}});
    PumpUntil([e] { return e->EName->Text() == "top"; });
    TFloatingBarForm::Press(hold, e->BOK);
  });
  ASSERT_TRUE(PumpUntil([&] { return f.M->Bars()->Count() == bars + 1; }));
  TdxBar* bar = f.M->Bars()->Items(bars);
  EXPECT_EQ("top", bar->Caption());
  TdxBarControl* c = bar->Control();
  ASSERT_TRUE(PumpUntil([&c, bar] {
    c = bar->Control();
    return c && c->HandleAllocated() && IsWindowVisible(c->Handle());
  }));
  RECT w = WindowRect(c), fr = WindowRect(f.Form.get()), both;
  ASSERT_TRUE(IntersectRect(&both, &w, &fr)) << "the new bar must lie over the form";
  TFloatingBarForm::Press(hold, d->BClose);
  ASSERT_TRUE(PumpUntil([] { return dxBarCustomizingForm == nullptr; }));
  hold.Move(POINT{0, 0});
  ASSERT_TRUE(c->HandleAllocated());
  RECT cap = c->CaptionRect();
  OffsetRect(&cap, w.left, w.top);
  POINT onCaption{(cap.left + cap.right) / 2, (cap.top + cap.bottom) / 2};
  auto captionShown = [&] {
    HDC dc = GetDC(nullptr);
    COLORREF px = GetPixel(dc, onCaption.x, onCaption.y) & 0xFFFFFF;
    ReleaseDC(nullptr, dc);
    return px == (GetSysColor(COLOR_ACTIVECAPTION) & 0xFFFFFF);
  };
  // The screen shows the caption all along; the system may list the form first for a moment while it
  // learns of the raises, but not at the end. Watched for a while: the form coming over the bar late
  // is the fault, so this wait is a fixed time, long enough for the raises to have been seen.
  EXPECT_FALSE(PumpUntil([&] { return !captionShown(); }, 3000)) << "the form came over the new bar";
  Shot("new-toolbar-after-customize");
  EXPECT_TRUE(bar->Visible());
  EXPECT_TRUE(IsWindowVisible(c->Handle()));
  EXPECT_TRUE(captionShown());
  EXPECT_EQ(c->Handle(), GetAncestor(WindowFromPoint(onCaption), GA_ROOT));
}

// While customizing, the dialog (and the sub-menu editor) are hidden and shown with the form, and a form
// disabled behind the dialog hands its activation to the dialog.
TEST(dxBarCustForm, TheDialogFollowsTheFormsShowingAndActivation) {
  TCustomizing c;
  ASSERT_TRUE(c.D);
  dxBarShowSubMenuEditor(c.Form->Get<TdxBarSubItem>("subStatus"));
  ASSERT_TRUE(dxBarSubMenuEditor);
  c.Form->Hide();
  PumpUntil([&] { return !IsWindowVisible(c.D->Handle()) && !IsWindowVisible(dxBarSubMenuEditor->Handle()); });
  EXPECT_FALSE(IsWindowVisible(c.D->Handle()));
  EXPECT_FALSE(IsWindowVisible(dxBarSubMenuEditor->Handle()));
  c.Form->Show();
  PumpUntil([&] { return IsWindowVisible(c.D->Handle()) && IsWindowVisible(dxBarSubMenuEditor->Handle()); });
  EXPECT_TRUE(IsWindowVisible(c.D->Handle()));
  EXPECT_TRUE(IsWindowVisible(dxBarSubMenuEditor->Handle()));

  static HWND Watched;
  static int Activations;
  Watched = c.D->Handle();
  Activations = 0;
  HHOOK hook = SetWindowsHookExA(
      WH_CALLWNDPROC,
      [](int Code, WPARAM W, LPARAM L) -> LRESULT {
        auto* m = reinterpret_cast<CWPSTRUCT*>(L);
        if (Code >= 0 && m->hwnd == Watched && m->message == WM_ACTIVATE && LOWORD(m->wParam) != WA_INACTIVE)
          ++Activations;
        return CallNextHookEx(nullptr, Code, W, L);
      },
      nullptr, GetCurrentThreadId());
  EnableWindow(c.Form->Handle(), FALSE);
  SendMessageA(c.Form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  int whileDisabled = std::exchange(Activations, 0);
  EnableWindow(c.Form->Handle(), TRUE);
  Activations = 0;
  SendMessageA(c.Form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  UnhookWindowsHookEx(hook);
  EXPECT_GT(whileDisabled, 0);
  EXPECT_EQ(0, Activations);
}

// A bar's close and main-menu flags changed while the dialog shows reach its line and buttons.
TEST(dxBarCustForm, ABarsCloseAndMainMenuFlagsReachItsLine) {
  TCustomizing c;
  TdxBar* added = c.M->Bars()->Add();
  added->SetCaption("Added");
  int row = c.Row("Added");
  ASSERT_GE(row, 0);
  RECT r = c.D->BarsListBox->ItemRect(row);
  POINT at = c.D->BarsListBox->ClientToScreen(POINT{r.left + 40, (r.top + r.bottom) / 2});
  THoldPointer hold(at);
  Click(at, true);
  ASSERT_TRUE(PumpUntil([&] { return c.D->BBarDelete->Enabled(); }));
  EXPECT_EQ(row, c.D->BarsListBox->ItemIndex());
  added->SetAllowClose(false);
  EXPECT_FALSE(c.D->BBarDelete->Enabled());
  added->SetAllowClose(true);
  EXPECT_TRUE(c.D->BBarDelete->Enabled());
  added->SetIsMainMenu(true);
  EXPECT_FALSE(c.D->BBarDelete->Enabled());
}

// While customizing, a bar's drag loop holds the mouse on the dialog.
TEST(dxBarCustForm, ADragWhileCustomizingHoldsTheMouseOnTheDialog) {
  TCustomizing c;
  TdxBar* misc = c.Bar("Misc");
  ASSERT_TRUE(misc && misc->Control());
  HWND captured = nullptr;
  std::function<void()> probe = [&] { captured = GetCapture(); };
  PostProbe(probe);
  PostUp(Middle(WindowRect(misc->Control())));
  TWatchdog dog(60000, "the drag loop did not end");
  c.M->Bars()->DragBar(misc->Control());
  EXPECT_EQ(c.D->Handle(), captured);
}

}  // namespace


namespace {

// The command list as it shows on the screen: whether a vertical scroll bar shows, and how many
// pixels below its last row are not the face colour (the list's background there).
struct TCommandListLook {
  bool ScrollBar;
  int Stale;
};

TCommandListLook LookOf(TdxBarCustomizingForm* D) {
  WaitPainted(D);
  TCommandsListBox* l = D->LCommands;
  RECT client = l->ClientRect();
  RECT below = client;
  if (int n = l->Items()->Count(); n > 0) below.top = l->ItemRect(n - 1).bottom;
  SCROLLBARINFO sb{};
  sb.cbSize = sizeof sb;
  GetScrollBarInfo(l->Handle(), OBJID_VSCROLL, &sb);
  const int area = (below.right - below.left) * std::max<int>(below.bottom - below.top, 0);
  return {IsWindowVisible(l->Handle()) && !(sb.rgstate[0] & STATE_SYSTEM_INVISIBLE),
          area - PixelsOf(l, below, ColorToRGB(clBtnFace))};
}

// A category of many commands, then one of few, chosen by the keyboard and by real clicks: the rows
// of the first are gone from the list and its scroll bar with them.
TEST(dxBarCustForm, TheCommandListShowsOnlyTheChosenCategorysRows) {
  TCustomizing c;
  ASSERT_TRUE(c.D);
  for (int i = 0; i < 14; ++i) {
    auto* b = new TdxBarButton(c.Form.get());
    b->SetName("Many" + std::to_string(i));
    b->SetCaption("Many " + std::to_string(i));
    b->SetCategory(2);
  }
  c.D->PageControl->SetActivePage(c.D->TabSheet2);
  c.D->PageControlChange(nullptr);
  const int status = c.D->LCategories->Items()->IndexOf("Status");
  const int file = c.D->LCategories->Items()->IndexOf("File");
  ASSERT_EQ(file + 1, status);
  ASSERT_TRUE(WaitForeground(c.D));
  THoldPointer hold(POINT{0, 0});
  auto clickCategory = [&](int Row) {
    RECT r = c.D->LCategories->ItemRect(Row);
    HeldClick(hold, c.D->LCategories->ClientToScreen(Middle(r)));
    EXPECT_TRUE(PumpUntil([&] { return c.D->LCategories->ItemIndex() == Row; })) << Row;
  };
  auto commands = [&] { return c.D->LCommands->Items()->Count(); };
  const int few = 1;

  // By the keyboard: the focus in the category list, Down onto the long category, Up back.
  clickCategory(file);
  ASSERT_TRUE(WaitFocus(c.D->LCategories));
  Press(VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return commands() > few; }));
  TCommandListLook many = LookOf(c.D);
  EXPECT_TRUE(many.ScrollBar) << "the long category needs a scroll bar";
  Press(VK_UP);
  ASSERT_TRUE(PumpUntil([&] { return commands() == few; }));
  TCommandListLook look = LookOf(c.D);
  Shot("customize-commands-after-keys", c.D);
  EXPECT_FALSE(look.ScrollBar) << "a scroll bar for one row";
  EXPECT_EQ(look.Stale, 0) << "rows of the other category still show below the last row";

  // By the mouse.
  clickCategory(status);
  ASSERT_TRUE(PumpUntil([&] { return commands() > few; }));
  EXPECT_TRUE(LookOf(c.D).ScrollBar);
  clickCategory(file);
  ASSERT_TRUE(PumpUntil([&] { return commands() == few; }));
  look = LookOf(c.D);
  Shot("customize-commands-after-clicks", c.D);
  EXPECT_FALSE(look.ScrollBar) << "a scroll bar for one row";
  EXPECT_EQ(look.Stale, 0) << "rows of the other category still show below the last row";
}

}  // namespace
