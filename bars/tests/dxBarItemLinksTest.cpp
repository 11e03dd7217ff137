// Item links: effective group marks, accelerators, personalised-menu counts, own settings, recursion,
// assignment, the shown-count limit and recent use.
#include <string>
#include <vector>

#include "BarsTestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

struct TMenu {
  TManagerForm F;
  TdxBarSubItem* Sub;
  std::vector<TdxBarButton*> Buttons;
  explicit TMenu(int N) {
    Sub = new TdxBarSubItem(F.Form.get());
    Buttons = AddButtons(F.Form.get(), Sub->ItemLinks(), N, [](int i) { return "B" + std::to_string(i); });
  }
  TdxBarItemLinks* Links() const { return Sub->ItemLinks(); }
  TdxBarItemLink* L(int I) const { return Links()->Items(I); }
};

TEST(dxBarItemLinks, GroupMarkMovesToTheNextShownLink) {
  TMenu m(4);
  m.L(0)->SetBeginGroup(true);
  m.L(2)->SetBeginGroup(true);
  EXPECT_FALSE(m.L(0)->BeginGroup());   // first shown: no separator
  EXPECT_FALSE(m.L(1)->BeginGroup());
  EXPECT_TRUE(m.L(2)->BeginGroup());
  // Hiding the link that starts the group moves its separator on.
  m.L(2)->SetVisible(false);
  EXPECT_TRUE(m.L(3)->BeginGroup());
  EXPECT_FALSE(m.L(3)->StoredBeginGroup());
  // Hiding the first link: the second is first now and draws none.
  m.L(2)->SetVisible(true);
  m.L(1)->SetBeginGroup(true);
  m.L(0)->SetVisible(false);
  EXPECT_FALSE(m.L(1)->BeginGroup());
}

TEST(dxBarItemLinks, AcceleratorOfTheCaption) {
  TMenu m(1);
  struct Case {
    const char* Caption;
    uint16_t Key;
    TShiftState Shift;
    bool Accel;
  } cases[] = {
      {"&Save && Quit", 'S', {}, true},   {"&Save && Quit", 'Q', {}, false}, {"Tom && Jerry", 'J', {}, false},
      {"Save && &Quit", 'Q', {ssAlt}, true}, {"&Save", 'S', {ssCtrl}, false}, {"No accel", 'N', {}, false},
  };
  for (auto& c : cases) {
    m.L(0)->SetUserCaption(c.Caption);
    EXPECT_EQ(m.L(0)->IsAccel(c.Key, c.Shift), c.Accel) << c.Caption << " " << char(c.Key);
  }
  m.L(0)->SetUserCaption("&Open");
  EXPECT_EQ(m.Links()->FindByAccel('O', {}, nullptr), m.L(0));
  EXPECT_EQ(m.Links()->FindByAccel('X', {}, nullptr), nullptr);
}

TEST(dxBarItemLinks, RecentItemCountOfAPersonalisedMenu) {
  TMenu m(4);
  // Recent order 0, 1, 2, 3 with use counts 20, 20, 1, 1.
  for (int i = 3; i >= 0; --i) m.L(i)->SetRecentPosition(0);
  int counts[] = {20, 20, 1, 1};
  for (int i = 0; i < 4; ++i) m.L(i)->SetUseCount(counts[i]);
  EXPECT_EQ(m.F.Manager->MostRecentItemsPercents(), 95);
  EXPECT_EQ(m.Links()->RecentItemCount(), 2);   // threshold 1 + MulDiv(19, 5, 100) = 2
  // Everything used alike: all are shown.
  for (int i = 0; i < 4; ++i) m.L(i)->SetUseCount(5);
  EXPECT_EQ(m.Links()->RecentItemCount(), -1);
  m.Links()->SetUseRecentItems(false);
  EXPECT_EQ(m.Links()->RecentItemCount(), -1);
}

TEST(dxBarItemLinks, MarkUsedCountsAndMovesToTheTop) {
  TMenu m(3);
  int threshold = m.F.Manager->RecentItemThreshold();
  EXPECT_EQ(m.L(2)->UseCount(), threshold);
  m.L(2)->MarkUsed(true);
  EXPECT_EQ(m.L(2)->RecentIndex(), 0);
  EXPECT_EQ(m.L(2)->UseCount(), threshold + 1);
  m.L(1)->MarkUsed(false);
  EXPECT_EQ(m.L(1)->RecentIndex(), 0);
  EXPECT_EQ(m.L(1)->UseCount(), threshold);
  m.L(1)->SetMostRecentlyUsed(false);
  EXPECT_EQ(m.L(1)->UseCount(), 0);
  EXPECT_EQ(m.L(1)->RecentIndex(), 2);
  m.L(1)->SetMostRecentlyUsed(true);
  EXPECT_EQ(m.L(1)->UseCount(), threshold);
  EXPECT_EQ(m.L(1)->RecentIndex(), 0);
  // A hidden link is not marked used.
  m.L(0)->SetVisible(false);
  int before = m.L(0)->UseCount();
  m.L(0)->MarkUsed(true);
  EXPECT_EQ(m.L(0)->UseCount(), before);
}

TEST(dxBarItemLinks, ShownLimitTakesTheMostRecentInCollectionOrder) {
  TMenu m(4);
  m.L(3)->MarkUsed(true);
  m.L(1)->MarkUsed(true);
  m.Links()->SetShownLimit(2);
  ASSERT_EQ(m.Links()->ShownCount(), 2);
  EXPECT_EQ(m.Links()->ShownItems(0), m.L(1));
  EXPECT_EQ(m.Links()->ShownItems(1), m.L(3));
  m.Links()->RestoreShownLimit();
  EXPECT_EQ(m.Links()->ShownCount(), 4);
  EXPECT_EQ(m.Links()->FirstSelectable(), m.L(0));
  EXPECT_EQ(m.Links()->LastSelectable(), m.L(3));
  EXPECT_EQ(m.Links()->NextSelectable(m.L(3)), m.L(0));
  EXPECT_EQ(m.Links()->PriorSelectable(m.L(0)), m.L(3));
}

TEST(dxBarItemLinks, OwnSettingsAndTheirClearing) {
  TCountingControls counting;
  TMenu m(1);
  TdxBarItemLink* l = m.L(0);
  l->SetUserCaption("Own");
  TBitmap g;
  g.SetSize(4, 4);
  l->SetUserGlyph(&g);
  l->SetUserPaintStyle(psCaptionGlyph);
  EXPECT_EQ(l->Caption(), "Own");
  EXPECT_EQ(l->Glyph(), l->UserGlyph());
  EXPECT_EQ(l->PaintStyle(), psCaptionGlyph);
  EXPECT_EQ(l->UserDefine(), (TdxBarUserDefines{udCaption, udGlyph, udPaintStyle}));
  struct Case {
    int Set, Stored;
  } widths[] = {{5, 20}, {1000, 600}, {150, 150}};
  for (auto& c : widths) {
    l->SetUserWidth(c.Set);
    EXPECT_EQ(l->UserWidth(), c.Stored) << c.Set;
  }
  l->SetUserDefine({});
  EXPECT_EQ(l->UserCaption(), "");
  EXPECT_TRUE(l->UserGlyph()->Empty());
  EXPECT_EQ(l->UserPaintStyle(), psStandard);
  EXPECT_EQ(l->UserWidth(), 0);
  EXPECT_EQ(l->Caption(), "B0");
  EXPECT_EQ(l->Glyph(), m.Buttons[0]->Glyph());
  // Width and paint style of the item when the link has none of its own.
  auto* e = new TdxBarEdit(m.F.Form.get());
  e->SetWidth(77);
  TdxBarItemLink* le = m.Links()->Add();
  le->SetItem(e);
  EXPECT_EQ(le->Width(), 77);
  EXPECT_EQ(l->Width(), 0);
  m.Buttons[0]->SetPaintStyle(psCaption);
  EXPECT_EQ(l->PaintStyle(), psCaption);
}

TEST(dxBarItemLinks, SettingNoItemFreesTheLink) {
  TMenu m(2);
  TdxBarItemLink* l = m.L(0);
  l->SetItem(nullptr);
  EXPECT_EQ(m.Links()->Count(), 1);
  EXPECT_EQ(m.Buttons[0]->LinkCount(), 0);
  EXPECT_EQ(m.Links()->RecentCount(), 1);
}

TEST(dxBarItemLinks, RecursiveSubItemsAreRefused) {
  TMenu m(0);
  auto* inner = new TdxBarSubItem(m.F.Form.get());
  m.Links()->Add()->SetItem(inner);
  TdxBarItemLink* back = inner->ItemLinks()->Add();
  try {
    back->SetItem(m.Sub);
    FAIL() << "a recursive sub-item was linked";
  } catch (const EdxException& e) {
    EXPECT_EQ(e.Message, "You cannot create recursive subitems");
  }
  EXPECT_EQ(back->Item(), nullptr);
  EXPECT_EQ(m.Sub->LinkCount(), 0);
  TObject::Free(back);
  // Assigning a collection that would recurse leaves no link without an item behind.
  TdxBarItemLinks source(m.F.Manager, nullptr);
  auto* plain = new TdxBarButton(m.F.Form.get());
  source.Add()->SetItem(plain);
  source.Add()->SetItem(m.Sub);
  EXPECT_THROW(inner->ItemLinks()->Assign(&source), EdxException);
  for (int i = 0; i < inner->ItemLinks()->Count(); ++i) EXPECT_NE(inner->ItemLinks()->Items(i)->Item(), nullptr);
  EXPECT_EQ(inner->ItemLinks()->Count(), 1);
  EXPECT_FALSE(inner->ItemLinks()->Assigning());
}

TEST(dxBarItemLinks, AssignCopiesTheStoredGroupMark) {
  TMenu m(3);
  // The source's first link stores a mark that is not in effect there (it is the first one shown).
  m.L(0)->SetBeginGroup(true);
  ASSERT_FALSE(m.L(0)->BeginGroup());
  // The link after a hidden, marked one shows a mark it does not store.
  m.L(1)->SetBeginGroup(true);
  m.L(1)->SetVisible(false);
  ASSERT_TRUE(m.L(2)->BeginGroup());
  TMenu target(0);
  target.Links()->Assign(m.Links());
  ASSERT_EQ(target.Links()->Count(), 3);
  EXPECT_TRUE(target.L(0)->StoredBeginGroup());
  EXPECT_TRUE(target.L(1)->StoredBeginGroup());
  EXPECT_FALSE(target.L(2)->StoredBeginGroup());
  EXPECT_FALSE(target.L(1)->Visible());
  EXPECT_EQ(target.L(2)->Item(), m.Buttons[2]);
}

TEST(dxBarItemLinks, ContainsItemFollowsSubItems) {
  TMenu m(1);
  auto* inner = new TdxBarSubItem(m.F.Form.get());
  auto* deep = new TdxBarButton(m.F.Form.get());
  inner->ItemLinks()->Add()->SetItem(deep);
  m.Links()->Add()->SetItem(inner);
  EXPECT_TRUE(m.Links()->ContainsItem(deep));
  EXPECT_TRUE(m.Links()->ContainsItem(m.Buttons[0]));
  EXPECT_FALSE(inner->ItemLinks()->ContainsItem(m.Buttons[0]));
}

TEST(dxBarItemLinks, EventsForAddChangeAndDelete) {
  TManagerForm f;
  struct TLog {
    std::vector<std::string> L;
    void Add(TdxBarManager*, TdxBarItemLink*) { L.push_back("add"); }
    void Change(TdxBarManager*, TdxBarItemLink*) { L.push_back("change"); }
    void Delete(TdxBarManager*, TdxBarItemLink*) { L.push_back("delete"); }
  } log;
  f.Manager->OnItemLinkAdd = Bind(&log, &TLog::Add);
  f.Manager->OnItemLinkChange = Bind(&log, &TLog::Change);
  f.Manager->OnItemLinkDelete = Bind(&log, &TLog::Delete);
  auto* b = new TdxBarButton(f.Form.get());
  TdxBar* bar = f.Manager->Bars()->Add();
  TdxBarItemLink* l = bar->ItemLinks()->Add();
  l->SetItem(b);
  l->SetBeginGroup(true);
  TObject::Free(l);
  EXPECT_EQ(log.L, (std::vector<std::string>{"add", "change", "change", "delete"}));
}

}  // namespace
