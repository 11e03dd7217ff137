// The menus the bars build for themselves, on a real screen: the toolbar list of a right click, the
// customizing popup of a link and the quick customization opened from a toolbar's end mark.
#include "BarsTestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

void RightClick(TWinControl* W, POINT Client) {
  SendMessageA(W->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(Client.x, Client.y));
  SendMessageA(W->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(Client.x, Client.y));
  WaitDeferred();
}

// The manager's open popup window of a class (its windows are the manager's components).
template <class T>
T* Open(TdxBarManager* M) {
  for (int i = 0; i < M->ComponentCount(); ++i)
    if (auto* w = dynamic_cast<T*>(M->Components(i)); w && IsBarControl(w) && w->HandleAllocated() && IsWindowVisible(w->Handle()))
      return w;
  return nullptr;
}

bool Down(TdxBarItemLink* L) {
  auto* b = dynamic_cast<TdxBarButton*>(L->Item());
  return b && b->Down();
}

// A manager whose customizing mode opens no dialog: the bars alone are under test.
class TQuietManager : public TdxBarManager {
public:
  using TdxBarManager::TdxBarManager;

protected:
  void ShowCustomizingForm(bool) override {}
  bool CustomizingFormExists() const override { return false; }
};

// A shown form customizing one docked toolbar of four buttons.
struct TCustomizingForm : TBarsForm {
  TdxBar* Bar;
  TCustomizingForm() {
    TObject::Free(Manager);
    Manager = new TQuietManager(Form.get());
    Bar = AddBar("Tools", 4);
    Manager->SetCustomizing(true);
    WaitPainted(Form.get());
  }
  TdxBarItemLink* Link(int I) { return Bar->ItemLinks()->Items(I); }
  // Right-clicks the link's button and answers the popup that opened.
  TdxBarCustomizingPopup* Popup(int I) {
    RightClick(Bar->Control(), Middle(Link(I)->ItemRect));
    return TdxBarCustomizingPopup::Current();
  }
  TdxBarButton* Row(TdxBarCustomizingPopup* P, int Row) {
    return dynamic_cast<TdxBarButton*>(P->ItemLinks()->Items(Row)->Item());
  }
  // Types into the name row and presses Enter.
  void Rename(TdxBarCustomizingPopup* P, const std::string& Text) {
    ASSERT_TRUE(ClickRow(P, "&Name:"));
    auto* edit = dynamic_cast<TdxBarWinControl*>(P->ItemLinks()->Items(2)->Control());
    ASSERT_TRUE(edit && edit->Handle());
    SetWindowTextA(edit->Handle(), Text.c_str());
    SendMessageA(edit->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    WaitDeferred();
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Toolbar list

TEST(dxBarCustPopups, ToolbarListChecksTheVisibleBarsAndARowTogglesItsBar) {
  TBarsForm f;
  TdxBar* menu = f.AddBar("Main Menu", 2);
  f.Manager->SetMainMenuBar(menu);
  menu->SetIsMainMenu(true);
  TdxBar* tools = f.AddBar("Tools", 3, dsTop, 1);
  TdxBar* extras = f.AddBar("Extras", 2, dsTop, 2);
  extras->SetVisible(false);
  f.AddBar("Secret", 1, dsTop, 3)->SetHidden(true);
  RightClick(tools->Control(), POINT{2, 2});
  auto* p = Open<TdxBarToolbarsPopup>(f.Manager);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Captions(p->ItemLinks()), (std::vector<std::string>{"Tools", "Extras", "&Customize..."}));
  EXPECT_TRUE(Down(p->ItemLinks()->Items(0)));
  EXPECT_FALSE(Down(p->ItemLinks()->Items(1)));
  EXPECT_TRUE(p->ItemLinks()->Items(2)->BeginGroup());
  Shot("toolbar-list");
  EXPECT_TRUE(ClickRow(p, "Extras"));
  EXPECT_TRUE(PumpUntil([&] { return !Open<TdxBarToolbarsPopup>(f.Manager); }));
  EXPECT_TRUE(extras->Visible());
  EXPECT_TRUE(tools->Visible());
  // The second list is built from new items; those of the first, no longer linked, are freed.
  RightClick(f.Site(dsTop), POINT{f.Site(dsTop)->Width() - 2, 2});
  p = Open<TdxBarToolbarsPopup>(f.Manager);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(Down(p->ItemLinks()->Items(1)));
  EXPECT_EQ(dxBarPopupItemCount(), 3);
  EXPECT_TRUE(ClickRow(p, "Tools"));
  EXPECT_TRUE(PumpUntil([&] { return !Open<TdxBarToolbarsPopup>(f.Manager); }));
  EXPECT_FALSE(tools->Visible());
}

TEST(dxBarCustPopups, ToolbarListWithNothingToListDoesNotOpen) {
  TBarsForm f;
  TdxBar* menu = f.AddBar("Main Menu", 2);
  menu->SetIsMainMenu(true);
  f.Manager->SetCanCustomize(false);
  RightClick(f.Site(dsTop), POINT{f.Site(dsTop)->Width() - 2, 2});
  EXPECT_EQ(Open<TdxBarToolbarsPopup>(f.Manager), nullptr);
  EXPECT_EQ(TdxBarToolbarsPopup::ShowAt(f.Manager, POINT{200, 200}), nullptr);
  // With customizing allowed there is the one row to show.
  f.Manager->SetCanCustomize(true);
  RightClick(f.Site(dsTop), POINT{f.Site(dsTop)->Width() - 2, 2});
  auto* p = Open<TdxBarToolbarsPopup>(f.Manager);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Captions(p->ItemLinks()), std::vector<std::string>{"&Customize..."});
  p->CloseMenu();
}

// ---------------------------------------------------------------------------------------------------
// Customizing popup

TEST(dxBarCustPopups, CustomizingPopupRowsChangeTheLink) {
  TCustomizingForm f;
  TdxBarItemLink* l = f.Link(1);
  auto* p = f.Popup(1);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(TdxBarCustomizingPopup::CustomizingLink(), l);
  // Outside the designer there are eight rows: no "Visible" and no "Most recently used".
  std::vector<std::string> rows;
  for (int i = 0; i < p->ItemLinks()->VisibleCount(); ++i) rows.push_back(p->ItemLinks()->VisibleItems(i)->Caption());
  EXPECT_EQ(rows, (std::vector<std::string>{"&Reset", "&Delete", "&Name:", "Defa&ult style", "&Text Only (Always)",
                                            "Text &Only (in Menus)", "Image &and Text", "Begin a &Group"}));
  EXPECT_TRUE(f.Row(p, 3)->Down());
  EXPECT_TRUE(f.Row(p, 7)->Enabled());
  EXPECT_FALSE(f.Row(p, 7)->Down());
  Shot("customizing-popup");
  ASSERT_TRUE(ClickRow(p, "Begin a &Group"));
  EXPECT_TRUE(l->BeginGroup());
  EXPECT_EQ(TdxBarCustomizingPopup::Current(), nullptr);
  // The selection the popup was about is gone with it.
  EXPECT_EQ(f.Bar->Control()->SelectedControl(), nullptr);

  p = f.Popup(1);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(f.Row(p, 7)->Down());
  ASSERT_TRUE(ClickRow(p, "&Text Only (Always)"));
  EXPECT_EQ(l->PaintStyle(), psCaption);
  p = f.Popup(1);
  EXPECT_TRUE(f.Row(p, 4)->Down());
  EXPECT_FALSE(f.Row(p, 3)->Down());
  f.Rename(p, "&Renamed");
  EXPECT_EQ(l->Caption(), "&Renamed");
  EXPECT_TRUE(l->UserDefine().Contains(udCaption));

  p = f.Popup(1);
  ASSERT_TRUE(ClickRow(p, "&Reset"));
  EXPECT_EQ(l->Caption(), "Tools1");
  EXPECT_EQ(l->PaintStyle(), psStandard);
  EXPECT_TRUE(l->BeginGroup());   // a group start is the link's own, not a user definition

  // The first link cannot begin a group; deleting a link leaves nothing to customize.
  p = f.Popup(0);
  EXPECT_FALSE(f.Row(p, 7)->Enabled());
  ASSERT_TRUE(ClickRow(p, "&Delete"));
  EXPECT_EQ(f.Bar->ItemLinks()->Count(), 3);
  EXPECT_EQ(TdxBarCustomizingPopup::CustomizingLink(), nullptr);
}

TEST(dxBarCustPopups, BlankNameShowsTheErrorAndKeepsTheCaption) {
  TCustomizingForm f;
  Application->SetTitle("yOZ bars");
  auto* p = f.Popup(2);
  ASSERT_NE(p, nullptr);
  TMessageBoxAnswerer answer(IDOK);
  f.Rename(p, "");
  EXPECT_EQ(answer.Answered(), 1);
  EXPECT_EQ(answer.Caption(), "yOZ bars");
  EXPECT_EQ(answer.Text(), "A command name cannot be blank. Please enter a name.");
  EXPECT_EQ(f.Link(2)->Caption(), "Tools2");
  EXPECT_FALSE(f.Link(2)->UserDefine().Contains(udCaption));
  EXPECT_TRUE(PumpUntil([] { return !TdxBarCustomizingPopup::Current(); }));
}

// A row of a closed popup (its item lives on until the next menu is built) no longer reaches the link.
TEST(dxBarCustPopups, ClosedCustomizingPopupLeavesItsLinkAlone) {
  TCustomizingForm f;
  f.Link(3)->SetUserCaption("Mine");
  auto* p = f.Popup(3);
  ASSERT_NE(p, nullptr);
  TdxBarItem* reset = p->ItemLinks()->Items(0)->Item();
  SendMessageA(p->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsBarControl(p); }));
  EXPECT_EQ(TdxBarCustomizingPopup::CustomizingLink(), nullptr);
  reset->Click();
  EXPECT_EQ(f.Link(3)->Caption(), "Mine");
}

// ---------------------------------------------------------------------------------------------------
// Quick customization

namespace {

void ClickMark(TdxBarControl* T) {
  RECT m = T->MarkRect();
  POINT c = Middle(m), s = T->ClientToScreen(c);
  SendMessageA(T->Handle(), WM_NCHITTEST, 0, MAKELPARAM(s.x, s.y));
  SendMessageA(T->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
  SendMessageA(T->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
  WaitDeferred();
}

// A real click (through the hooks) at a screen point, the pointer held there (other programs share the
// display).
void MouseClick(POINT S) {
  THoldPointer hold(S);
  Click(S, true);
  Application->ProcessMessages();
  WaitDeferred();
}

}  // namespace

TEST(dxBarCustPopups, QuickControlOfAToolbarWhoseLinksFitHoldsOnlyAddOrRemove) {
  TBarsForm f;
  TdxBar* tools = f.AddBar("Tools", 3);
  TdxBar* other = f.AddBar("Other", 2, dsTop, 1);
  TdxBarControl* t = tools->Control();
  ASSERT_TRUE(t->MarkShown());
  ClickMark(t);
  TdxBarQuickControl* q = TdxBarQuickControl::Instance();
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(t->MarkState(), 2);
  EXPECT_EQ(Captions(q->HiddenBar()->ItemLinks()), std::vector<std::string>{"&Add or Remove Buttons"});
  // Below the mark, right edges aligned.
  RECT m = t->MarkRect(), r = WindowRect(q);
  POINT mr = t->ClientToScreen(POINT{m.right, m.bottom});
  EXPECT_EQ(r.right, mr.x);
  EXPECT_EQ(r.top, mr.y);
  Shot("quick-all-fit");
  ClickMark(t);
  EXPECT_EQ(TdxBarQuickControl::Instance(), nullptr);
  EXPECT_NE(t->MarkState(), 2);

  // Selecting a control of another toolbar closes it once the 200 ms timer looks.
  ClickMark(t);
  ASSERT_NE(TdxBarQuickControl::Instance(), nullptr);
  TdxBarItemLink* l = other->ItemLinks()->Items(0);
  POINT c = Middle(l->ItemRect);
  SendMessageA(other->Control()->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
  EXPECT_TRUE(PumpUntil([] { return !TdxBarQuickControl::Instance(); }));
  EXPECT_EQ(t->MarkState(), 0);

  // A real click elsewhere closes it; one on its own window does not.
  ClickMark(t);
  TdxBarQuickControl* q2 = TdxBarQuickControl::Instance();
  ASSERT_NE(q2, nullptr);
  RECT qr = WindowRect(q2);
  MouseClick(POINT{qr.right - 3, qr.bottom - 3});
  EXPECT_EQ(TdxBarQuickControl::Instance(), q2);
  MouseClick(f.Form->ClientToScreen(POINT{250, 250}));
  PumpUntil([] { return TdxBarQuickControl::Instance() == nullptr; });
  EXPECT_EQ(TdxBarQuickControl::Instance(), nullptr);
  EXPECT_EQ(t->MarkState(), 0);
}

TEST(dxBarCustPopups, QuickControlShowsTheHiddenLinksAndItsRowsSwitchLinksOnAndOff) {
  TBarsForm f;
  f.Form->SetWidth(260);
  TdxBar* tools = f.AddBar("Tools", 8);
  WaitPainted(f.Form.get());
  int added = 0, deleted = 0;
  TClickProbe onAdd{[&] { ++added; }}, onDelete{[&] { ++deleted; }};
  f.Manager->OnBarAdd = Bind(&onAdd, &TClickProbe::Bar);
  f.Manager->OnBarDelete = Bind(&onDelete, &TClickProbe::Bar);
  TdxBarControl* t = tools->Control();
  ASSERT_TRUE(t->HasHiddenItems());
  std::vector<std::string> hidden;
  for (int i = 0; i < tools->ItemLinks()->Count(); ++i)
    if (IsRectEmpty(&tools->ItemLinks()->Items(i)->ItemRect)) hidden.push_back(tools->ItemLinks()->Items(i)->Caption());
  ASSERT_FALSE(hidden.empty());
  int bars = f.Manager->Bars()->Count();
  ClickMark(t);
  TdxBarQuickControl* q = TdxBarQuickControl::Instance();
  ASSERT_NE(q, nullptr);
  hidden.push_back("&Add or Remove Buttons");
  EXPECT_EQ(Captions(q->HiddenBar()->ItemLinks()), hidden);
  // The popup's own bar is none of the manager's.
  EXPECT_EQ(f.Manager->Bars()->Count(), bars);
  Shot("quick-more-buttons");

  ASSERT_TRUE(ClickRow(q, "&Add or Remove Buttons"));
  auto* sub = dynamic_cast<TdxBarSubMenuControl*>(q->AddRemoveItem()->ItemLinks()->BarControl());
  ASSERT_NE(sub, nullptr);
  // A bar made at run time has no stored state to reset to: no "&Reset Toolbar".
  std::vector<std::string> rows = Captions(tools->ItemLinks());
  rows.push_back("&Customize...");
  EXPECT_EQ(Captions(sub->ItemLinks()), rows);
  Shot("quick-add-or-remove");
  TdxBarItemLink* second = tools->ItemLinks()->Items(1);
  ASSERT_TRUE(ClickRow(sub, "Tools1"));
  EXPECT_FALSE(second->Visible());
  // The menu stays open for the next row.
  EXPECT_TRUE(IsBarControl(sub) && IsWindowVisible(sub->Handle()));
  EXPECT_EQ(TdxBarQuickControl::Instance(), q);
  ASSERT_TRUE(ClickRow(sub, "Tools1"));
  EXPECT_TRUE(second->Visible());
  EXPECT_EQ(TdxBarQuickControl::Instance(), q);

  // A click on the end mark while the popup's menu is open closes both, and the mark does not open it
  // again.
  MouseClick(t->ClientToScreen(Middle(t->MarkRect())));
  PumpUntil([] { return TdxBarQuickControl::Instance() == nullptr; });
  EXPECT_EQ(TdxBarQuickControl::Instance(), nullptr) << (TdxBarQuickControl::Instance() == q ? "it stayed open" : "it opened again");
  EXPECT_NE(t->MarkState(), 2);
  EXPECT_TRUE(PumpUntil([&] { return !IsBarControl(q); }));
  EXPECT_EQ(f.Manager->Bars()->Count(), bars);
  EXPECT_EQ(added, 0);
  EXPECT_EQ(deleted, 0);
}

// Resting the pointer on "Add or Remove Buttons" highlights it and opens its menu, as on a menu's
// sub-item; the toolbar's end mark is clicked as a user does.
TEST(dxBarCustPopups, HoverOnAddOrRemoveButtonsOpensItsMenu) {
  TBarsForm f;
  TdxBar* tools = f.AddBar("Tools", 3);
  WaitForeground(f.Form.get());
  WaitPainted(f.Form.get());
  TdxBarControl* t = tools->Control();
  THoldPointer hold(t->ClientToScreen(Middle(t->MarkRect())));
  HeldClick(hold, t->ClientToScreen(Middle(t->MarkRect())));
  ASSERT_TRUE(PumpUntil([] { return TdxBarQuickControl::Instance() != nullptr; }));
  TdxBarQuickControl* q = TdxBarQuickControl::Instance();
  TdxBarItemLink* row = FindRow(q, "&Add or Remove Buttons");
  ASSERT_NE(row, nullptr);
  POINT on = Center(row);
  hold.Move(Offset(on, -4, 0));
  SendMouse(Offset(on, -4, 0));
  Application->ProcessMessages();
  hold.Move(on);
  SendMouse(on);
  auto menu = [&] {
    auto* w = dynamic_cast<TdxBarSubMenuControl*>(q->AddRemoveItem()->ItemLinks()->BarControl());
    return w && IsBarControl(w) && w->HandleAllocated() && IsWindowVisible(w->Handle()) ? w : nullptr;
  };
  EXPECT_TRUE(PumpUntil([&] { return q->SelectedControl() == row->Control(); }));
  EXPECT_TRUE(PumpUntil([&] { return menu() != nullptr; }));
  Shot("quick-add-or-remove-hover");
  EXPECT_EQ(TdxBarQuickControl::Instance(), q);
  t->SetMarkState(0);
  WaitDeferred();
  SetCursorPos(0, 0);
}

// A bar of the form resource can be reset from its "Add or Remove Buttons" menu.
TEST(dxBarCustPopups, QuickControlOfAStoredBarOffersItsReset) {
  TBarsForm f(false);
  TObject::Free(f.Manager);
  ReadComponentFromText("object frmStored: TForm\n  object dxBarManager1: TdxBarManager\n    Bars = <\n      item\n"
                        "        Caption = 'Stored'\n        DockingStyle = dsTop\n        ItemLinks = <\n          item\n"
                        "            Item = btnA\n            Visible = True\n          end>\n        Visible = True\n"
                        "      end>\n  end\n  object btnA: TdxBarButton\n    Caption = 'A'\n  end\nend\n",
                        f.Form.get());
  f.Form->Show();
  WaitShown(f.Form.get());
  TdxBarControl* t = GetBarManagerByForm(f.Form.get())->Bars()->Items(0)->Control();
  ASSERT_TRUE(t && t->MarkShown());
  ClickMark(t);
  TdxBarQuickControl* q = TdxBarQuickControl::Instance();
  ASSERT_NE(q, nullptr);
  ASSERT_TRUE(ClickRow(q, "&Add or Remove Buttons"));
  TCustomdxBarControl* sub = q->AddRemoveItem()->ItemLinks()->BarControl();
  ASSERT_NE(sub, nullptr);
  EXPECT_NE(FindRow(sub, "&Reset Toolbar"), nullptr);
  Shot("quick-add-or-remove-stored");
  ClickMark(t);
}

// On a vertical toolbar it opens beside the mark, tops aligned, on the side where it fits.
TEST(dxBarCustPopups, QuickControlOfAVerticalToolbarOpensBesideTheMark) {
  RECT a;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &a, 0);
  for (TdxBarDockingStyle side : {dsLeft, dsRight}) {
    SCOPED_TRACE(side);
    TBarsForm f;
    if (side == dsRight) f.Form->SetLeft(a.right - f.Form->Width());
    TdxBar* b = f.AddBar("Side", 3);
    b->SetDockingStyle(side);
    WaitDeferred();
    WaitPainted(f.Form.get());
    TdxBarControl* t = b->Control();
    ASSERT_TRUE(t && t->MarkShown());
    ClickMark(t);
    TdxBarQuickControl* q = TdxBarQuickControl::Instance();
    ASSERT_NE(q, nullptr);
    RECT m = t->MarkRect(), r = WindowRect(q);
    POINT tl = t->ClientToScreen(POINT{m.left, m.top}), br = t->ClientToScreen(POINT{m.right, m.bottom});
    EXPECT_EQ(r.top, tl.y);
    if (side == dsLeft)
      EXPECT_EQ(r.left, br.x);
    else
      EXPECT_EQ(r.right, tl.x);   // no room on the right: it opens to the left
    ClickMark(t);
    EXPECT_EQ(TdxBarQuickControl::Instance(), nullptr);
  }
}
