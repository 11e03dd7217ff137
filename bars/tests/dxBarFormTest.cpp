// A form resource with a manager, bars, sub-items, buttons bound to actions and links, read like the
// main window's; checked link by link; then reset from the stored form and usage data matched by item.
#include <string>
#include <vector>

#include "BarsTestSupport.h"
#include "ImgList.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

struct TLinkExpect {
  const char* Item;
  const char* Caption;
  bool BeginGroup;
  bool Visible;
};

void ExpectLinks(TdxBarItemLinks* Links, const std::vector<TLinkExpect>& Want, const std::string& Where) {
  ASSERT_EQ(Links->Count(), int(Want.size())) << Where;
  for (size_t i = 0; i < Want.size(); ++i) {
    TdxBarItemLink* l = Links->Items(int(i));
    SCOPED_TRACE(Where + " link " + std::to_string(i));
    ASSERT_NE(l->Item(), nullptr);
    EXPECT_EQ(l->Item()->Name(), Want[i].Item);
    EXPECT_EQ(l->Caption(), Want[i].Caption);
    EXPECT_EQ(l->BeginGroup(), Want[i].BeginGroup);
    EXPECT_EQ(l->Visible(), Want[i].Visible);
  }
}

TEST(dxBarForm, ReadsManagerBarsItemsAndLinksLinkByLink) {
  auto form = MakeBarsTestForm();
  TdxBarManager* m = form->Manager();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Font()->Name(), "Tahoma");
  EXPECT_TRUE(m->UseSystemFont());
  EXPECT_EQ(m->Images(), form->Get<TCustomImageList>("imgSmall"));
  EXPECT_FALSE(m->StoreInRegistry());
  EXPECT_FALSE(m->StoreInIniFile());

  // Categories with their records.
  ASSERT_EQ(m->Categories()->Count(), 5);
  EXPECT_EQ(m->Categories()->Strings(3), "Menus");
  EXPECT_TRUE(m->GetCategoryVisible(0));
  EXPECT_FALSE(m->GetCategoryVisible(4));
  EXPECT_EQ(m->GetCategoryItemsVisible(2), ivAlways);
  EXPECT_EQ(m->VisibleCategoryToIndex(3), 3);
  EXPECT_EQ(m->VisibleCategoryToIndex(4), -1);

  // The top dock site: stored as 49 pixels, then sized to its two rows by the first layout.
  EXPECT_EQ(m->Bars()->DockControls(dsTop)->RowCount(), 2);
  EXPECT_EQ(m->Bars()->DockControls(dsTop)->Height(), m->Bars()->DockControls(dsTop)->NeededSize());
  EXPECT_EQ(m->Bars()->DockControls(dsLeft)->Width(), 0);

  // Items registered in form order, each with the manager.
  ASSERT_EQ(m->ItemCount(), 11);
  EXPECT_EQ(m->Items(0)->Name(), "btnExit");
  EXPECT_EQ(m->Items(10)->Name(), "subOld");
  EXPECT_EQ(m->GetItemByName("SUBSTATUS"), form->Get<TdxBarItem>("subStatus"));

  // Buttons bound to actions take the action's caption, hint, image and shortcut.
  auto* lunch = form->Get<TdxBarButton>("btnAtLunch");
  EXPECT_EQ(lunch->Caption(), "At &Lunch");
  EXPECT_EQ(lunch->Hint(), "At Lunch|Sets your status to At Lunch");
  EXPECT_EQ(lunch->ImageIndex(), 1);
  EXPECT_EQ(lunch->ShortCut(), 16460);
  EXPECT_EQ(lunch->Category(), 2);

  // Bars in order, with their places and flags.
  ASSERT_EQ(m->Bars()->Count(), 3);
  TdxBar* menu = m->BarByName("Main Menu");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(m->MainMenuBar(), menu);
  EXPECT_TRUE(menu->IsMainMenu());
  EXPECT_TRUE(menu->WholeRow());
  EXPECT_TRUE(menu->OneOnRow());
  EXPECT_FALSE(menu->AllowQuickCustomizing());
  TdxBar* statuses = m->Bars()->Items(1);
  EXPECT_EQ(statuses->Name(), "Toolbar");
  EXPECT_EQ(statuses->Caption(), "Statuses");
  EXPECT_EQ(statuses->Row(), 1);
  EXPECT_EQ(statuses->DockedTop(), 23);
  EXPECT_EQ(statuses->FloatLeft(), 182);
  EXPECT_EQ(statuses->FloatClientWidth(), 230);
  TdxBar* misc = m->BarByName("Misc");
  EXPECT_EQ(misc->DockedLeft(), 246);
  for (int i = 0; i < 3; ++i) {
    TdxBar* b = m->Bars()->Items(i);
    EXPECT_TRUE(b->Visible()) << b->Name();
    EXPECT_EQ(b->DockingStyle(), dsTop) << b->Name();
    ASSERT_NE(b->Control(), nullptr) << b->Name();
    EXPECT_EQ(b->Control()->Parent(), m->Bars()->DockControls(dsTop)) << b->Name();
  }

  // Link by link.
  ExpectLinks(menu->ItemLinks(), {{"subFile", "&File", false, true}, {"subStatus", "&Status", false, true},
                                  {"subView", "&View", false, true}}, "Main Menu");
  ExpectLinks(statuses->ItemLinks(), {{"btnAtLunch", "At &Lunch", false, true},
                                      {"btnInMeeting", "In &Meeting", false, true},
                                      {"btnCustomStatus", "Custom Status...", true, true}}, "Statuses");
  ExpectLinks(misc->ItemLinks(), {{"btnRefresh", "&Refresh", false, true}}, "Misc");
  auto* file = form->Get<TdxBarSubItem>("subFile");
  ExpectLinks(file->ItemLinks(), {{"btnExit", "E&xit", false, true}}, "&File");
  auto* status = form->Get<TdxBarSubItem>("subStatus");
  ExpectLinks(status->ItemLinks(), {{"btnAtLunch", "At &Lunch", false, true},
                                    {"btnInMeeting", "In &Meeting", false, true},
                                    {"btnCustomStatus", "Custom Status...", true, true}}, "&Status");
  auto* view = form->Get<TdxBarSubItem>("subView");
  ExpectLinks(view->ItemLinks(), {{"btnViewInBox", "My &InBox", false, true}, {"btnViewAlerts", "View alerts", false, true},
                                  {"subOld", "Old", false, false}}, "&View");
  EXPECT_TRUE(view->ItemLinks()->Items(0)->UserDefine().Contains(udCaption));
  EXPECT_FALSE(view->ItemLinks()->Items(1)->MostRecentlyUsed());
  EXPECT_EQ(view->ItemLinks()->Items(1)->UseCount(), 0);
  EXPECT_EQ(view->ItemLinks()->Items(0)->UseCount(), m->RecentItemThreshold());
  // An item never shown is not available; a not-recently-used link goes to the end of the recent list.
  EXPECT_EQ(view->ItemLinks()->AvailableCount(), 2);
  EXPECT_EQ(view->ItemLinks()->VisibleCount(), 2);
  EXPECT_GT(view->ItemLinks()->Items(1)->RecentIndex(), view->ItemLinks()->Items(0)->RecentIndex());
  // Every item knows the links that show it.
  EXPECT_EQ(lunch->LinkCount(), 2);
  EXPECT_EQ(form->Get<TdxBarButton>("btnExit")->LinkCount(), 1);
}

TEST(dxBarForm, ClicksRunActionsAndHandlersAndShortcutsFindTheirItems) {
  auto form = MakeBarsTestForm();
  TdxBarManager* m = form->Manager();
  form->Get<TdxBarButton>("btnAtLunch")->DoClick();
  form->Get<TdxBarButton>("btnInMeeting")->DoClick();
  EXPECT_EQ(form->Log, (std::vector<std::string>{"item btnAtLunch", "lunch", "item btnInMeeting", "meeting"}));
  form->Log.clear();
  // Shortcuts are found through sub-items too.
  EXPECT_TRUE(m->BarByName("Main Menu")->ExecuteShortCut(16460));
  EXPECT_TRUE(m->BarByName("Misc")->ExecuteShortCut(116));
  EXPECT_FALSE(m->BarByName("Misc")->ExecuteShortCut(0));
  EXPECT_FALSE(m->BarByName("Toolbar")->ExecuteShortCut(116));
  EXPECT_EQ(form->Log, (std::vector<std::string>{"item btnAtLunch", "lunch", "item btnRefresh"}));
  // A disabled action disables its buttons, which then ignore clicks.
  form->Get<TAction>("actAtLunch")->SetEnabled(false);
  EXPECT_FALSE(form->Get<TdxBarButton>("btnAtLunch")->Enabled());
  form->Log.clear();
  form->Get<TdxBarButton>("btnAtLunch")->DoClick();
  EXPECT_TRUE(form->Log.empty());
}

TEST(dxBarForm, ToolbarsPopupListsClosableBarsThenCustomize) {
  auto form = MakeBarsTestForm();
  TdxBarManager* m = form->Manager();
  TdxBarItemLinks links(m, nullptr);
  m->FillToolbarsPopup(&links);
  ASSERT_EQ(links.Count(), 3);
  EXPECT_EQ(links.Items(0)->Item()->Caption(), "Statuses");
  EXPECT_EQ(links.Items(1)->Item()->Caption(), "Misc");
  EXPECT_TRUE(static_cast<TdxBarButton*>(links.Items(0)->Item())->Down());
  EXPECT_EQ(links.Items(2)->Item()->Caption(), "&Customize...");
  EXPECT_TRUE(links.Items(2)->BeginGroup());
  // Clicking a bar's entry toggles the bar.
  links.Items(1)->Item()->DoClick();
  EXPECT_FALSE(m->BarByName("Misc")->Visible());
  for (int i = links.Count() - 1; i >= 0; --i) TObject::Free(links.Items(i)->Item());
}

TEST(dxBarForm, ResetBringsBackTheStoredLinksAndKeepsTheUpdateLock) {
  auto form = MakeBarsTestForm();
  TdxBarManager* m = form->Manager();
  TdxBar* statuses = m->BarByName("Toolbar");
  statuses->ItemLinks()->Items(0)->SetItem(nullptr);   // frees the link
  statuses->ItemLinks()->Add()->SetItem(form->Get<TdxBarItem>("btnRefresh"));
  ASSERT_EQ(statuses->ItemLinks()->Count(), 3);
  int answered = 0;
  Application->MessageBoxHook = [&](const std::string& Text, const std::string&, UINT Flags) {
    ++answered;
    EXPECT_EQ(Text, "Are you sure you want to reset the changes made to the 'Statuses' toolbar?");
    EXPECT_EQ(Flags, UINT(MB_OKCANCEL | MB_ICONWARNING));
    return IDOK;
  };
  EXPECT_TRUE(statuses->Reset());
  Application->MessageBoxHook = nullptr;
  EXPECT_EQ(answered, 1);
  ExpectLinks(statuses->ItemLinks(), {{"btnAtLunch", "At &Lunch", false, true},
                                      {"btnInMeeting", "In &Meeting", false, true},
                                      {"btnCustomStatus", "Custom Status...", true, true}}, "Statuses after reset");
  // The links are the form's own items, not the copy's, and the copy is gone.
  EXPECT_EQ(statuses->ItemLinks()->Items(0)->Item(), form->Get<TdxBarItem>("btnAtLunch"));
  EXPECT_EQ(dxBarManagerList()->Count(), 1);
  EXPECT_FALSE(m->IsUpdateLocked());
  // Full reset: the bar itself too.
  m->SetUseFullReset(true);
  statuses->SetCaption("Changed");
  EXPECT_TRUE(statuses->ResetWithoutAsking());
  EXPECT_EQ(statuses->Caption(), "Statuses");
  EXPECT_TRUE(statuses->Visible());
  EXPECT_FALSE(m->IsUpdateLocked());
}

TEST(dxBarForm, ResetUsageDataMatchesLinksByItem) {
  auto form = MakeBarsTestForm();
  TdxBarManager* m = form->Manager();
  auto* view = form->Get<TdxBarSubItem>("subView");
  // The user moved the links around and marked them all used.
  view->ItemLinks()->Items(1)->SetIndex(0);
  for (int i = 0; i < view->ItemLinks()->Count(); ++i) view->ItemLinks()->Items(i)->SetMostRecentlyUsed(true);
  Application->MessageBoxHook = [](const std::string& Text, const std::string&, UINT Flags) {
    EXPECT_EQ(Text.substr(0, 40), "This will delete the record of the comma");
    EXPECT_EQ(Flags, UINT(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
    return IDYES;
  };
  EXPECT_TRUE(m->ResetUsageData());
  Application->MessageBoxHook = nullptr;
  // The alerts link (stored as not recently used) is so again, wherever it stands now.
  TdxBarItemLinks* links = view->ItemLinks();
  for (int i = 0; i < links->Count(); ++i) {
    TdxBarItemLink* l = links->Items(i);
    EXPECT_EQ(l->MostRecentlyUsed(), l->Item()->Name() != "btnViewAlerts") << l->Item()->Name();
  }
  EXPECT_FALSE(m->IsUpdateLocked());
}

TEST(dxBarForm, ResetWithoutAStoredManagerDoesNothing) {
  auto form = MakeBarsTestForm();
  TdxBarManager* m = form->Manager();
  m->SetName("dxBarManagerRenamed");
  Application->MessageBoxHook = [](const std::string&, const std::string&, UINT) { return IDYES; };
  EXPECT_FALSE(m->ResetUsageData());
  EXPECT_FALSE(m->Bars()->Items(0)->ResetWithoutAsking());
  Application->MessageBoxHook = nullptr;
  EXPECT_FALSE(m->IsUpdateLocked());
  EXPECT_EQ(m->Bars()->Items(0)->ItemLinks()->Count(), 3);
  // A form without a stored resource has no design copy at all.
  TManagerForm bare;
  EXPECT_EQ(bare.Manager->CreateDesignCopy(), nullptr);
  Application->MessageBoxHook = [](const std::string&, const std::string&, UINT) { return IDYES; };
  EXPECT_FALSE(bare.Manager->ResetUsageData());
  Application->MessageBoxHook = nullptr;
}

class TBrokenBarsForm : public TForm {
  YOZ_CLASS(TBrokenBarsForm, TForm)
public:
  explicit TBrokenBarsForm(TComponent* AOwner) : TForm(AOwner) {}
};

TEST(dxBarForm, UpdateLockIsRestoredWhenTheStoredFormCannotBeRead) {
  std::unique_ptr<TBrokenBarsForm, FormDeleter> form(CreateNewForm<TBrokenBarsForm>(nullptr));
  auto* m = new TdxBarManager(form.get());
  m->SetName("dxBarManager1");
  TdxBar* bar = m->Bars()->Add();
  bar->SetCaption("Broken");
  Application->MessageBoxHook = [](const std::string&, const std::string&, UINT) { return IDYES; };
  EXPECT_THROW(m->ResetUsageData(), EParserError);
  EXPECT_FALSE(m->IsUpdateLocked());
  m->SetUseFullReset(true);
  EXPECT_THROW(bar->ResetWithoutAsking(), EParserError);
  Application->MessageBoxHook = nullptr;
  EXPECT_FALSE(m->IsUpdateLocked());
  EXPECT_FALSE(bar->Locked());
  // The half-read copy went with its manager.
  EXPECT_EQ(dxBarManagerList()->Count(), 1);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

}  // namespace
