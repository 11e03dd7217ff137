// Items: hints that follow captions, button down and group rules, edits and combos, list and container
// items, change broadcasts to the link controls, action links, the click path and a handler that
// frees its own item.
#include <string>
#include <vector>

#include "BarsTestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

TEST(dxBarItems, AnItemWithoutAnyManagerFailsLikeAPopupMenu) {
  FormPtr form(CreateNewForm<TForm>(nullptr));
  try {
    new TdxBarButton(form.get());
    FAIL() << "an item without a manager was made";
  } catch (const EdxException& e) {
    EXPECT_EQ(e.Message, "There are no TdxBarManagers available");
  }
  EXPECT_EQ(form->ComponentCount(), 0);
  // An owner that is no form takes the first manager there is.
  TManagerForm f;
  TComponent holder(nullptr);
  auto* b = new TdxBarButton(&holder);
  EXPECT_EQ(b->BarManager(), f.Manager);
  TObject::Free(b);
}

TEST(dxBarItems, HintFollowsACaptionItRepeated) {
  TManagerForm f;
  struct Case {
    const char* OldCaption;
    const char* OldHint;
    const char* NewCaption;
    const char* NewHint;
  } cases[] = {
      {"Open...", "Open|Opens a bar and a long text", "&Load", "Load|Opens a bar and a long text"},
      {"&Save", "Save", "Save &As...", "Save As"},
      {"&Save", "", "E&xit", "Exit"},
      {"&Save", "Keep it|long", "E&xit", "Keep it|long"},
  };
  for (auto& c : cases) {
    auto* b = new TdxBarButton(f.Form.get());
    b->SetCaption(c.OldCaption);
    b->SetHint(c.OldHint);
    b->SetCaption(c.NewCaption);
    EXPECT_EQ(b->Hint(), c.NewHint) << c.OldCaption << " / " << c.OldHint;
    TObject::Free(b);
  }
  // A sub-item's hint stays.
  auto* s = new TdxBarSubItem(f.Form.get());
  s->SetCaption("&File");
  EXPECT_EQ(s->Hint(), "");
}

TEST(dxBarItems, DownOnlyForCheckedButtons) {
  TCountingControls counting;
  TManagerForm f;
  auto* b = new TdxBarButton(f.Form.get());
  TdxBar* bar = f.Manager->Bars()->Add();
  bar->ItemLinks()->Add()->SetItem(b);
  bar->SetVisible(true);
  bar->Control()->HandleNeeded();
  ASSERT_EQ(TCountingControl::Live, 1);
  b->SetDown(true);
  EXPECT_FALSE(b->Down());
  b->SetButtonStyle(bsChecked);
  b->SetDown(true);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(TCountingControl::Counts["Down"], 1);
  b->SetButtonStyle(bsDefault);   // releases it
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(TCountingControl::Counts["Down"], 2);
  EXPECT_EQ(TCountingControl::Counts["ButtonStyle"], 2);
  // A click on a checked button toggles it first.
  b->SetButtonStyle(bsChecked);
  b->DoClick();
  EXPECT_TRUE(b->Down());
  b->DoClick();
  EXPECT_FALSE(b->Down());
  b->SetEnabled(false);
  b->DoClick();
  EXPECT_FALSE(b->Down());
}

TEST(dxBarItems, GroupKeepsOneButtonDown) {
  TManagerForm f;
  std::vector<TdxBarButton*> g;
  auto* plain = new TdxBarButton(f.Form.get());   // in no group
  plain->SetButtonStyle(bsChecked);
  plain->SetDown(true);
  for (int i = 0; i < 3; ++i) {
    auto* b = new TdxBarButton(f.Form.get());
    b->SetButtonStyle(bsChecked);
    b->SetGroupIndex(7);
    g.push_back(b);
  }
  auto downs = [&] { return std::vector<bool>{g[0]->Down(), g[1]->Down(), g[2]->Down()}; };
  g[1]->SetDown(true);
  EXPECT_EQ(downs(), (std::vector<bool>{false, true, false}));
  g[2]->SetDown(true);
  EXPECT_EQ(downs(), (std::vector<bool>{false, false, true}));
  // Releasing the only down button: the group's first button goes down.
  g[2]->SetDown(false);
  EXPECT_EQ(downs(), (std::vector<bool>{true, false, false}));
  // Releasing the first one when it is the only one down keeps it down.
  g[0]->SetDown(false);
  EXPECT_EQ(downs(), (std::vector<bool>{true, false, false}));
  g[0]->DoClick();
  EXPECT_EQ(downs(), (std::vector<bool>{true, false, false}));
  EXPECT_TRUE(plain->Down());
  // AllowAllUp goes to the whole group, which may then be all up.
  g[1]->SetAllowAllUp(true);
  EXPECT_TRUE(g[0]->AllowAllUp());
  EXPECT_TRUE(g[2]->AllowAllUp());
  g[0]->SetDown(false);
  EXPECT_EQ(downs(), (std::vector<bool>{false, false, false}));
  // A group index sticks only to checked buttons; a change releases the button.
  auto* d = new TdxBarButton(f.Form.get());
  d->SetGroupIndex(3);
  EXPECT_EQ(d->GroupIndex(), 0);
  g[2]->SetDown(true);
  g[2]->SetGroupIndex(8);
  EXPECT_FALSE(g[2]->Down());
}

TEST(dxBarItems, EditAndComboValues) {
  TCountingControls counting;
  TManagerForm f;
  auto* e = new TdxBarEdit(f.Form.get());
  struct Case {
    int Set, Stored;
  } widths[] = {{5, 20}, {20, 20}, {250, 250}, {1000, 600}};
  for (auto& c : widths) {
    e->SetWidth(c.Set);
    EXPECT_EQ(e->Width(), c.Stored) << c.Set;
  }
  e->SetMaxLength(-3);
  EXPECT_EQ(e->MaxLength(), 0);
  EXPECT_FALSE(e->CanClick());

  auto* c = new TdxBarCombo(f.Form.get());
  struct TChanges {
    int N = 0;
    void Change(TObject*) { ++N; }
  } changes;
  c->OnChange = Bind(&changes, &TChanges::Change);
  c->Items()->SetText("Red\nGreen\nBlue");
  c->SetItemIndex(1);
  EXPECT_EQ(c->Text(), "Green");
  EXPECT_EQ(changes.N, 1);
  c->SetItemIndex(1);   // same text: the controls repaint and the change fires again
  EXPECT_EQ(changes.N, 2);
  c->SetItemIndex(7);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), "");
  c->SetText("Blue");
  EXPECT_EQ(c->ItemIndex(), 2);
  c->SetText("Purple");
  EXPECT_EQ(c->ItemIndex(), -1);
  c->SetText("Red");
  c->SetSorted(true);
  EXPECT_EQ(c->Items()->Strings(0), "Blue");
  EXPECT_EQ(c->ItemIndex(), 2);
  c->Items()->Delete(2);
  EXPECT_EQ(c->ItemIndex(), -1);
}

// A combo's list settings come from the form.
TEST(dxBarItems, AComboReadsItsListSettingsFromTheForm) {
  TManagerForm f;
  ReadComponentFromText("object frmCombo: TForm\n  object cmbKind: TdxBarCombo\n    DropDownCount = 3\n"
                        "    DropDownWidth = 120\n  end\nend\n",
                        f.Form.get());
  auto* c = dynamic_cast<TdxBarCombo*>(f.Form->FindComponent("cmbKind"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->DropDownCount(), 3);
  EXPECT_EQ(c->DropDownWidth(), 120);
}

TEST(dxBarItems, ListItemListsButtonsWithNumbersAndGroups) {
  TManagerForm f;
  auto* list = new TdxBarListItem(f.Form.get());
  list->Items()->SetText("Alpha\n-\nGamma");
  list->SetShowCheck(true);
  list->SetItemIndex(1);
  auto* menu = new TdxBarSubItem(f.Form.get());
  menu->ItemLinks()->Add()->SetItem(list);
  TdxBarItemLinks* links = menu->ItemLinks();
  list->AddListedItemLinks(links, 1, nullptr, true);
  ASSERT_EQ(links->Count(), 3);
  EXPECT_EQ(links->Items(1)->Item()->Caption(), "&1 Alpha");
  EXPECT_EQ(links->Items(2)->Item()->Caption(), "&2 Gamma");
  EXPECT_TRUE(links->Items(1)->StoredBeginGroup());
  EXPECT_TRUE(links->Items(2)->StoredBeginGroup());
  EXPECT_TRUE(static_cast<TdxBarButton*>(links->Items(2)->Item())->Down());
  // Clicking a listed button picks its position and clicks the list item.
  struct TClicks {
    std::vector<int> Picked;
    TdxBarListItem* L;
    void Click(TObject*) { Picked.push_back(L->ItemIndex()); }
  } clicks{{}, list};
  list->OnClick = Bind(&clicks, &TClicks::Click);
  links->Items(1)->Item()->DoClick();
  EXPECT_EQ(clicks.Picked, std::vector<int>{0});
  list->DeleteListedItemLinks(links, 1);
  EXPECT_EQ(links->Count(), 1);
  EXPECT_EQ(list->GeneratedCount(), 0);   // no link left: the buttons went
}

TEST(dxBarItems, ListItemNumbersRunOneToNineThenLettersAndStopAtZ) {
  TManagerForm f;
  auto* list = new TdxBarListItem(f.Form.get());
  std::string text;
  for (int i = 0; i < 40; ++i) text += "x" + std::to_string(i) + "\n";
  list->Items()->SetText(text);
  auto* menu = new TdxBarSubItem(f.Form.get());
  list->AddListedItemLinks(menu->ItemLinks(), 0, nullptr, false);
  TdxBarItemLinks* links = menu->ItemLinks();
  ASSERT_EQ(links->Count(), 40);
  EXPECT_EQ(links->Items(0)->Caption(), "&1 x0");
  EXPECT_EQ(links->Items(8)->Caption(), "&9 x8");
  EXPECT_EQ(links->Items(9)->Caption(), "&A x9");
  EXPECT_EQ(links->Items(34)->Caption(), "&Z x34");
  EXPECT_EQ(links->Items(35)->Caption(), "x35");
  EXPECT_EQ(links->Items(39)->Caption(), "x39");
}

TEST(dxBarItems, ContainerListsCopiesOfItsOwnLinks) {
  TManagerForm f;
  auto* a = new TdxBarButton(f.Form.get());
  auto* b = new TdxBarButton(f.Form.get());
  auto* box = new TdxBarContainerItem(f.Form.get());
  box->ItemLinks()->Add()->SetItem(a);
  TdxBarItemLink* own = box->ItemLinks()->Add();
  own->SetItem(b);
  own->SetUserCaption("Bee");
  auto* menu = new TdxBarSubItem(f.Form.get());
  menu->ItemLinks()->Add()->SetItem(box);
  box->AddListedItemLinks(menu->ItemLinks(), 1, nullptr, false);
  TdxBarItemLinks* links = menu->ItemLinks();
  ASSERT_EQ(links->Count(), 3);
  EXPECT_EQ(links->Items(1)->Item(), a);
  EXPECT_TRUE(links->Items(1)->StoredBeginGroup());
  EXPECT_EQ(links->Items(2)->Caption(), "Bee");
  box->DeleteListedItemLinks(links, 1);
  EXPECT_EQ(links->Count(), 1);
}

TEST(dxBarItems, ActionLinkKeepsTheItemInStep) {
  TCountingControls counting;
  TManagerForm f;
  auto* a = new TAction(f.Form.get());
  a->SetCaption("&Go");
  a->SetHint("Go|Goes");
  a->SetImageIndex(2);
  a->SetShortCut(0x4047);
  struct TRuns {
    int N = 0;
    void Execute(TObject*) { ++N; }
  } runs;
  a->SetOnExecute(Bind(&runs, &TRuns::Execute));
  auto* b = new TdxBarButton(f.Form.get());
  b->SetAction(a);
  EXPECT_EQ(b->Caption(), "&Go");
  EXPECT_EQ(b->Hint(), "Go|Goes");
  EXPECT_EQ(b->ImageIndex(), 2);
  EXPECT_EQ(b->ShortCut(), 0x4047);
  // Linked values are not stored.
  const TPropInfo* caption = TdxBarButton::StaticClass()->FindProp("Caption");
  EXPECT_FALSE(caption->IsStored(b));
  a->SetCaption("&Run");
  a->SetVisible(false);
  a->SetChecked(true);
  EXPECT_EQ(b->Caption(), "&Run");
  EXPECT_EQ(b->Visible(), ivNever);
  EXPECT_FALSE(b->Down());   // not a checked button
  a->SetVisible(true);
  b->DoClick();
  EXPECT_EQ(runs.N, 1);
  // The item's own value is stored; the action's next change brings its values back.
  b->SetCaption("Mine");
  EXPECT_TRUE(caption->IsStored(b));
  a->SetHint("Run|Runs");
  EXPECT_EQ(b->Caption(), "&Run");
  EXPECT_EQ(b->Hint(), "Run|Runs");
  b->SetCaption("Mine");
  // A freed action leaves the item.
  TObject::Free(a);
  EXPECT_EQ(b->Action(), nullptr);
  // AssignTo an action.
  auto* target = new TAction(f.Form.get());
  target->Assign(b);
  EXPECT_EQ(target->Caption(), "Mine");
  EXPECT_TRUE(target->Visible());
}

TEST(dxBarItems, ClickHandlerMayFreeItsItem) {
  TManagerForm f;
  auto* b = new TdxBarButton(f.Form.get());
  struct TFreer {
    std::vector<std::string> Log;
    void ClickItem(TdxBarManager*, TdxBarItem* Item) {
      Log.push_back("item");
      TObject::Free(Item);
    }
    void Click(TObject*) { Log.push_back("click"); }
  } h;
  f.Manager->OnClickItem = Bind(&h, &TFreer::ClickItem);
  b->OnClick = Bind(&h, &TFreer::Click);
  b->SetButtonStyle(bsChecked);
  b->DoClick();
  EXPECT_EQ(h.Log, std::vector<std::string>{"item"});
  EXPECT_EQ(f.Manager->ItemCount(), 0);
}

TEST(dxBarItems, ClickWithoutHandlerRunsTheAction) {
  TManagerForm f;
  auto* a = new TAction(f.Form.get());
  struct TRuns {
    int N = 0, Other = 0;
    void Execute(TObject*) { ++N; }
    void Own(TObject*) { ++Other; }
  } runs;
  a->SetOnExecute(Bind(&runs, &TRuns::Execute));
  auto* b = new TdxBarButton(f.Form.get());
  b->SetAction(a);
  b->OnClick = Bind(&runs, &TRuns::Own);   // its own handler wins
  b->DoClick();
  EXPECT_EQ(runs.Other, 1);
  EXPECT_EQ(runs.N, 0);
  auto* s = new TdxBarSubItem(f.Form.get());
  s->OnClick = Bind(&runs, &TRuns::Own);
  s->DoClick();   // a sub-item does not click
  EXPECT_EQ(runs.Other, 1);
}

}  // namespace
