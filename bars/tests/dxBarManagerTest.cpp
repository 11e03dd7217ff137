// The bar manager: owner checks, setters with their clamps and derived sizes, dock colours, category
// records and visibility, docking rules, the update lock, customizing, and the design-copy text.
#include <string>
#include <vector>

#include "BarsTestSupport.h"

std::string dxBarDesignCopyText(const std::string& FormText, const std::string& ManagerName,
                                const std::string& ManagerClass);

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

TEST(dxBarManager, OwnerMustBeAFormWithoutAnotherManager) {
  TManagerForm f;
  try {
    new TdxBarManager(f.Form.get());
    FAIL() << "a second manager was made";
  } catch (const EdxException& e) {
    EXPECT_EQ(e.Message, "A Form should contain only a single TdxBarManager");
  }
  TComponent plain(nullptr);
  try {
    new TdxBarManager(&plain);
    FAIL() << "a manager without a form was made";
  } catch (const EdxException& e) {
    EXPECT_EQ(e.Message, "TdxBarManager should have as its Owner - TForm (TCustomForm)");
  }
  EXPECT_EQ(dxBarManagerList()->Count(), 1);
  EXPECT_EQ(GetBarManagerByForm(f.Form.get()), f.Manager);
  EXPECT_EQ(dxBarManagerList()->Items(1), nullptr);
}

TEST(dxBarManager, DefaultsAndDerivedSizes) {
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  EXPECT_EQ(m->Style(), bmsEnhanced);
  EXPECT_EQ(m->StyleMetric(0), 1);
  EXPECT_EQ(m->GripSize(), 6);
  EXPECT_EQ(m->StyleMetric(2), 12);
  EXPECT_TRUE(m->UseSystemFont());
  EXPECT_EQ(m->WaitForDockingTime(), 21);
  EXPECT_EQ(m->GlyphSize(), 16);
  EXPECT_EQ(m->ButtonSize(), 23);
  EXPECT_EQ(m->ButtonSize2(), 22);
  EXPECT_EQ(m->ArrowWidth(), 9);
  EXPECT_TRUE(m->PersonalizedMenus());
  m->SetButtonArrowWidth(1);   // ignored
  EXPECT_EQ(m->ButtonArrowWidth(), 9);
  m->SetLargeIcons(true);
  EXPECT_EQ(m->GlyphSize(), 32);
  EXPECT_EQ(m->ButtonSize(), 39);
  EXPECT_EQ(m->ArrowWidth(), 19);   // 18, made odd
  m->SetButtonArrowWidth(8);
  EXPECT_EQ(m->ArrowWidth(), 17);
  m->SetLargeButtonArrowWidth(0);
  EXPECT_EQ(m->LargeButtonArrowWidth(), 14);
  m->SetWaitForDockingTime(-5);
  EXPECT_EQ(m->WaitForDockingTime(), 21);
  m->SetStyle(bmsStandard);
  EXPECT_EQ(m->StyleMetric(0), 2);
  EXPECT_EQ(m->GripSize(), 9);
  EXPECT_EQ(m->StyleMetric(2), 2);
  EXPECT_FALSE(m->PersonalizedMenus());
}

TEST(dxBarManager, RecentUseThresholdFollowsThePercentage) {
  TManagerForm f;
  struct Case {
    int Set, Stored, Threshold;
  } cases[] = {{95, 95, 20}, {150, 100, 0}, {100, 100, 0}, {90, 90, 10}, {0, 0, 1}, {99, 99, 100}, {67, 67, 4}};
  for (auto& c : cases) {
    f.Manager->SetMostRecentItemsPercents(uint8_t(c.Set));
    EXPECT_EQ(f.Manager->MostRecentItemsPercents(), c.Stored) << c.Set;
    EXPECT_EQ(f.Manager->RecentItemThreshold(), c.Threshold) << c.Set;
  }
}

TEST(dxBarManager, DockColourAndAutoDockColour) {
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  f.Form->SetColor(TColor(0x00336699));
  TdxDockControl* top = m->Bars()->DockControls(dsTop);
  EXPECT_EQ(m->DockColor(), TColor(0x00336699));   // follows the form
  EXPECT_EQ(top->Color(), TColor(0x00336699));
  m->SetDockColor(TColor(0x00112233));
  EXPECT_FALSE(m->AutoDockColor());
  EXPECT_EQ(m->DockColor(), TColor(0x00112233));
  for (auto s : {dsLeft, dsTop, dsRight, dsBottom}) EXPECT_EQ(m->Bars()->DockControls(s)->Color(), TColor(0x00112233));
  m->SetAutoDockColor(true);
  for (auto s : {dsLeft, dsTop, dsRight, dsBottom}) EXPECT_EQ(m->Bars()->DockControls(s)->Color(), TColor(0x00336699));
  // Stored only while it does not follow the form.
  const TPropInfo* p = TdxBarManager::StaticClass()->FindProp("DockColor");
  EXPECT_FALSE(p->IsStored(m));
  m->SetDockColor(clRed);
  EXPECT_TRUE(p->IsStored(m));
}

TEST(dxBarManager, BorderSizesPerSide) {
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  EXPECT_EQ(m->BarBorderWidth(dsLeft), 4);
  EXPECT_EQ(m->BarBorderHeight(dsLeft), 6 + 4);
  EXPECT_EQ(m->BarBorderWidth(dsTop), 6 + 4);
  EXPECT_EQ(m->BarBorderHeight(dsBottom), 4);
  EXPECT_EQ(m->BarBorderWidth(dsNone), 2 * (GetSystemMetrics(SM_CXFRAME) + 4));
  EXPECT_EQ(m->BarBorderHeight(dsNone), 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYSMCAPTION) + 3);
}

TEST(dxBarManager, CategoryRecordsAndVisibleCategories) {
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  m->Categories()->SetText("Default\nFile\nStatus\nHelp");
  // Without a record: always shown, visible.
  EXPECT_EQ(m->GetCategoryItemsVisible(1), ivAlways);
  EXPECT_TRUE(m->GetCategoryVisible(1));
  EXPECT_EQ(m->Categories()->Objects(1), nullptr);
  m->SetCategoryVisible(1, false);
  m->SetCategoryVisible(2, false);
  ASSERT_NE(m->Categories()->Objects(1), nullptr);
  struct Case {
    int N, Index;
  } cases[] = {{0, 0}, {1, 3}, {2, -1}, {-1, -1}};
  for (auto& c : cases) EXPECT_EQ(m->VisibleCategoryToIndex(c.N), c.Index) << c.N;
  // Out of range: nothing.
  m->SetCategoryItemsVisible(9, ivNever);
  EXPECT_EQ(m->GetCategoryItemsVisible(9), ivAlways);
  EXPECT_FALSE(m->GetCategoryVisible(9) == false);
}

TEST(dxBarManager, CategoryItemsVisibilityHidesAndShowsEmptyBars) {
  TCountingControls counting;
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  m->Categories()->SetText("Default\nTools");
  m->SetAutoHideEmptyBars(true);
  auto* a = new TdxBarButton(f.Form.get());
  a->SetCategory(1);
  auto* b = new TdxBarButton(f.Form.get());
  b->SetCategory(0);
  auto* keep = new TdxBarButton(f.Form.get());
  keep->SetCategory(1);
  keep->SetVisible(ivInCustomizing);   // not the category's old value: left alone
  TdxBar* tools = m->Bars()->Add();
  tools->SetCaption("Tools");
  tools->ItemLinks()->Add()->SetItem(a);
  tools->SetVisible(true);
  TdxBar* other = m->Bars()->Add();
  other->SetCaption("Other");
  other->ItemLinks()->Add()->SetItem(b);
  other->SetVisible(true);
  m->SetCategoryItemsVisible(1, ivNever);
  EXPECT_EQ(a->Visible(), ivNever);
  EXPECT_EQ(keep->Visible(), ivInCustomizing);
  EXPECT_FALSE(tools->Visible());
  EXPECT_TRUE(tools->AutoHidden());
  EXPECT_TRUE(other->Visible());
  EXPECT_FALSE(m->IsUpdateLocked());
  m->SetCategoryItemsVisible(1, ivAlways);
  EXPECT_EQ(a->Visible(), ivAlways);
  EXPECT_TRUE(tools->Visible());
  EXPECT_FALSE(tools->AutoHidden());
  // Turning the option off forgets the marks.
  m->SetCategoryItemsVisible(1, ivNever);
  m->SetAutoHideEmptyBars(false);
  EXPECT_FALSE(tools->AutoHidden());
}

TEST(dxBarManager, CanDockingHonoursBothListsAndTheEvent) {
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  TdxBar* bar = m->Bars()->Add();
  m->SetNotDocking({dsLeft});
  bar->SetNotDocking({dsBottom});
  struct THandler {
    int Calls = 0;
    void Docking(TdxBar*, TdxBarDockingStyle Style, bool& Can) {
      ++Calls;
      if (Style == dsRight) Can = false;
    }
  } h;
  m->OnDocking = Bind(&h, &THandler::Docking);
  EXPECT_FALSE(m->CanDocking(bar, dsLeft));
  EXPECT_FALSE(m->CanDocking(bar, dsBottom));
  EXPECT_FALSE(m->CanDocking(bar, dsRight));
  EXPECT_TRUE(m->CanDocking(bar, dsTop));
  EXPECT_EQ(h.Calls, 2);
}

TEST(dxBarManager, ItemRegistryOrderAndLookups) {
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  m->Categories()->SetText("A\nB");
  std::vector<TdxBarItem*> items;
  for (int i = 0; i < 4; ++i) {
    auto* b = new TdxBarButton(f.Form.get());
    b->SetName("btn" + std::to_string(i));
    b->SetCategory(i % 2);
    items.push_back(b);
  }
  items[3]->SetVisible(ivNever);
  TList list;
  m->GetItemsByCategory(1, &list);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], items[1]);
  EXPECT_EQ(list[1], items[3]);
  m->GetVisibleItemsByCategory(1, &list);
  ASSERT_EQ(list.Count(), 1);
  m->GetItemsByCategory(5, &list);
  EXPECT_EQ(list.Count(), 0);
  m->MoveItem(0, 3);
  EXPECT_EQ(m->Items(3), items[0]);
  m->ExchangeItems(0, 1);
  EXPECT_EQ(m->Items(0), items[2]);
  EXPECT_EQ(m->GetItemByName("BTN2"), items[2]);
  EXPECT_EQ(m->Items(-1), nullptr);
  EXPECT_EQ(m->Items(4), nullptr);
  // Freeing an item takes it out of the registry.
  TObject::Free(items[2]);
  EXPECT_EQ(m->ItemCount(), 3);
  EXPECT_EQ(m->GetItemByName("btn2"), nullptr);
}

TEST(dxBarManager, FontChangeLeavesTheSystemFontAndReachesBars) {
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  TdxBar* bar = m->Bars()->Add();
  TdxBar* own = m->Bars()->Add();
  own->Font()->SetName("Courier New");
  EXPECT_TRUE(own->UseOwnFont());
  m->SetScaled(false);
  m->Font()->SetName("Arial");
  EXPECT_FALSE(m->UseSystemFont());
  EXPECT_EQ(bar->Font()->Name(), "Arial");
  EXPECT_FALSE(bar->UseOwnFont());
  EXPECT_EQ(own->Font()->Name(), "Courier New");
  EXPECT_NE(m->VerticalFontHandle(), nullptr);
  own->SetUseOwnFont(false);
  EXPECT_EQ(own->Font()->Name(), "Arial");
}

TEST(dxBarManager, LockUpdateLocksDockedBarsAndRestores) {
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  TdxBar* bar = m->Bars()->Add();
  bar->SetDockingStyle(dsTop);
  bar->SetVisible(true);
  m->LockUpdate(true);
  EXPECT_TRUE(m->IsUpdateLocked());
  EXPECT_TRUE(bar->Locked());
  m->LockUpdate(true);   // no change
  m->LockUpdate(false);
  EXPECT_FALSE(bar->Locked());
}

TEST(dxBarManager, CustomizingMakesCategorizedItemsLookEnabledAndShowsInCustomizingItems) {
  TCountingControls counting;
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  m->Categories()->Add("Default");
  auto* b = new TdxBarButton(f.Form.get());
  b->SetCategory(0);
  b->SetEnabled(false);
  auto* hidden = new TdxBarButton(f.Form.get());
  hidden->SetVisible(ivInCustomizing);
  auto* loose = new TdxBarButton(f.Form.get());
  loose->SetEnabled(false);
  TdxBar* bar = m->Bars()->Add();
  bar->ItemLinks()->Add()->SetItem(b);
  bar->ItemLinks()->Add()->SetItem(hidden);
  EXPECT_EQ(bar->ItemLinks()->AvailableCount(), 1);
  m->SetCustomizing(true);
  EXPECT_TRUE(m->IsCustomizing());
  EXPECT_EQ(dxBarManagerList()->CustomizingBarManager(), m);
  EXPECT_TRUE(b->Enabled());
  EXPECT_FALSE(loose->Enabled());
  EXPECT_EQ(bar->ItemLinks()->AvailableCount(), 2);
  m->SetCustomizing(false);
  EXPECT_FALSE(b->Enabled());
  EXPECT_EQ(bar->ItemLinks()->AvailableCount(), 1);
  EXPECT_EQ(dxBarManagerList()->CustomizingBarManager(), nullptr);
}

TEST(dxBarManager, CustomizingSelectionClosesWhatTheOldOneHadOpenInAnotherWindow) {
  TCountingControls counting;
  TManagerForm f;
  TdxBarManager* m = f.Manager;
  auto* a = new TdxBarButton(f.Form.get());
  auto* b = new TdxBarButton(f.Form.get());
  auto* c = new TdxBarButton(f.Form.get());
  TdxBar* one = m->Bars()->Add();
  one->ItemLinks()->Add()->SetItem(a);
  one->ItemLinks()->Add()->SetItem(b);
  TdxBar* two = m->Bars()->Add();
  two->ItemLinks()->Add()->SetItem(c);
  for (TdxBar* bar : {one, two}) {
    bar->SetVisible(true);
    bar->Control()->HandleNeeded();
  }
  m->SetCustomizing(true);
  TdxBarItemControl* ca = one->ItemLinks()->Items(0)->Control();
  TdxBarItemControl* cb = one->ItemLinks()->Items(1)->Control();
  TdxBarItemControl* cc = two->ItemLinks()->Items(0)->Control();
  ASSERT_TRUE(ca && cb && cc);
  TCountingControl::Counts.clear();
  m->SetCustomizingSelection(ca);
  m->SetCustomizingSelection(cb);   // same window: nothing closes
  EXPECT_EQ(TCountingControl::Counts["CloseUp"], 0);
  EXPECT_EQ(TCountingControl::Counts["Repaint"], 1);
  m->SetCustomizingSelection(cc);   // another window
  EXPECT_EQ(TCountingControl::Counts["CloseUp"], 1);
  EXPECT_EQ(m->SelectedItem(), cc);
  // A control that goes (its link hidden) is no longer selected.
  two->ItemLinks()->Items(0)->SetVisible(false);
  EXPECT_EQ(m->SelectedItem(), nullptr);
  two->ItemLinks()->Items(0)->SetVisible(true);
  m->SetCustomizingSelection(two->ItemLinks()->Items(0)->Control());
  // Freeing the selected control's item forgets the selection.
  TObject::Free(c);
  EXPECT_EQ(m->SelectedItem(), nullptr);
  m->SetCustomizing(false);
}

TEST(dxBarManager, DesignCopyKeepsPropertiesAndDropsOnlyEvents) {
  const std::string form =
      "object frmMain: TfrmMain\r\n"
      "  Left = 10\r\n"
      "  Width = 500\r\n"
      "  Height = 300\r\n"
      "  ClientWidth = 490\r\n"
      "  OnCreate = FormCreate\r\n"
      "  object pnl: TPanel\r\n"
      "    Width = 20\r\n"
      "  end\r\n"
      "  object mgr: TdxBarManager\r\n"
      "    Bars = <\r\n"
      "      item\r\n"
      "        OneOnRow = True\r\n"
      "        Caption = 'On top'\r\n"
      "      end>\r\n"
      "    OnClickItem = mgrClickItem\r\n"
      "    object btn: TdxBarButton\r\n"
      "      OnClick = btnClick\r\n"
      "      Caption = 'Go'\r\n"
      "    end\r\n"
      "  end\r\n"
      "  object other: TPanel\r\n"
      "  end\r\n"
      "end\r\n";
  std::string copy = dxBarDesignCopyText(form, "mgr", "TdxBarManager");
  EXPECT_EQ(copy,
            "object TempForm: TdxBarTempForm\n"
            "  Width = 500\n"
            "  Height = 300\n"
            "  object mgr: TdxBarManager\n"
            "    Bars = <\n"
            "      item\n"
            "        OneOnRow = True\n"
            "        Caption = 'On top'\n"
            "      end>\n"
            "    object btn: TdxBarButton\n"
            "      Caption = 'Go'\n"
            "    end\n"
            "  end\n"
            "end\n");
  EXPECT_EQ(dxBarDesignCopyText(form, "renamed", "TdxBarManager"), "");
  EXPECT_EQ(dxBarDesignCopyText("", "mgr", "TdxBarManager"), "");
}

TEST(dxBarManager, DockControlHeightsComeFromTheFormText) {
  FormPtr form(CreateNewForm<TForm>(nullptr));
  ReadComponentFromText(
      "object Form1: TForm\n"
      "  object mgr: TdxBarManager\n"
      "    DockControlHeights = (\n"
      "      12\n"
      "      14\n"
      "      49\n"
      "      7)\n"
      "  end\n"
      "end\n",
      form.get());
  TdxBarManager* m = GetBarManagerByForm(form.get());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Bars()->DockControls(dsLeft)->Width(), 12);
  EXPECT_EQ(m->Bars()->DockControls(dsRight)->Width(), 14);
  EXPECT_EQ(m->Bars()->DockControls(dsTop)->Height(), 49);
  EXPECT_EQ(m->Bars()->DockControls(dsBottom)->Height(), 7);
  EXPECT_FALSE(m->IsLoading());
}

// The categories' visibility is written as it is read, so a written manager reads back the same.
TEST(dxBarManager, CategoryVisibilityIsWrittenAsItIsRead) {
  TManagerForm f;
  TStrings* cats = f.Manager->Categories();
  ASSERT_EQ(1, cats->Count());  // "Default"
  cats->Add("File");
  cats->Add("Misc");
  f.Manager->SetCategoryItemsVisible(1, ivInCustomizing);
  f.Manager->SetCategoryVisible(2, false);
  TWriter w;
  f.Manager->Categories()->DefineProperties(&w);
  EXPECT_EQ("ItemsVisibles = ( 2 1 2 )\nVisibles = ( True True False )\n", w.Text());
  Owned<TForm> back(new TForm(nullptr));
  ReadComponentFromText("object frmBack: TForm\n  object mgr: TdxBarManager\n"
                        "    Categories.Strings = ( 'Default' 'File' 'Misc' )\n"
                        "    Categories." + w.Text().substr(0, w.Text().find('\n') + 1) +
                            "    Categories." + w.Text().substr(w.Text().find('\n') + 1) + "  end\nend\n",
                        back.get());
  TdxBarManager* m = GetBarManagerByForm(back.get());
  ASSERT_TRUE(m);
  EXPECT_EQ(ivInCustomizing, m->GetCategoryItemsVisible(1));
  EXPECT_FALSE(m->GetCategoryVisible(2));
  EXPECT_TRUE(m->GetCategoryVisible(0));
}

// A change of the system's menu font reaches a manager font of the form's own face (with Scaled): it
// takes the menu font's look and keeps its face.
TEST(dxBarManager, AMenuFontChangeReachesAScaledFontOfItsOwn) {
  TManagerForm f;
  f.Form->HandleNeeded();
  TdxBarManager* m = f.Manager;
  m->Font()->SetName("Courier New");
  m->Font()->SetStyle(TFontStyles{fsBold});
  ASSERT_FALSE(m->UseSystemFont());
  ASSERT_TRUE(m->Scaled());
  SendMessageA(f.Form->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
  EXPECT_FALSE(m->Font()->Style().Contains(fsBold));
  EXPECT_EQ("Courier New", m->Font()->Name());
  EXPECT_FALSE(m->UseSystemFont());
}

}  // namespace

