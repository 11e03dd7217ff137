// The shared routines: accelerators, clamps, the item-class registry, live bar windows, the work area
// without the monitor functions, menu fonts, and drawing probed in memory bitmaps.
#include <vector>

#include "BarsTestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

TEST(dxBarCommon, AcceleratorsStripAndPosition) {
  struct Case {
    const char* Text;
    const char* Stripped;
    int Pos;   // 1-based position of the accelerator character, 0 for none
  } cases[] = {
      {"&File", "File", 2},          {"Fi&lter", "Filter", 4},   {"Save && &Send", "Save & Send", 10},
      {"Tom && Jerry", "Tom & Jerry", 0}, {"Plain", "Plain", 0}, {"End&", "End", 0},
      {"&A&B", "AB", 4},             {"", "", 0},
  };
  for (auto& c : cases) {
    EXPECT_EQ(dxStripAccelChars(c.Text), c.Stripped) << c.Text;
    EXPECT_EQ(dxAccelCharPos(c.Text), c.Pos) << c.Text;
  }
}

TEST(dxBarCommon, WidthsAreClampedTo20To600) {
  for (auto [set, got] : {std::pair{5, 20}, {20, 20}, {321, 321}, {1000, 600}}) EXPECT_EQ(dxClampWidth(set), got) << set;
}

class TPrivateItem : public TdxBarButton {
  YOZ_CLASS(TPrivateItem, TdxBarButton)
public:
  explicit TPrivateItem(TComponent* AOwner) : TdxBarButton(AOwner) {}
};

TEST(dxBarCommon, ItemClassRegistryCountsListedEntries) {
  int listed = dxBarListedItemClassCount();
  std::vector<std::string> names;
  for (int i = 0; i < listed; ++i) names.push_back(dxBarItemClass(i)->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"TdxBarButton", "TdxBarEdit", "TCustomdxBarCombo", "TdxBarCombo",
                                             "TdxBarSubItem", "TdxBarListItem", "TdxBarContainerItem"}));
  EXPECT_EQ(dxBarItemClass(listed), nullptr);
  EXPECT_EQ(GetClass("TdxBarSubItem"), TdxBarSubItem::StaticClass());
  // An unlisted entry is registered for streaming but not offered.
  dxBarRegisterItem(TPrivateItem::StaticClass(), nullptr, false);
  EXPECT_EQ(dxBarListedItemClassCount(), listed);
  EXPECT_EQ(GetClass("TPrivateItem"), TPrivateItem::StaticClass());
  dxBarUnregisterItem(TPrivateItem::StaticClass());
  EXPECT_EQ(GetClass("TPrivateItem"), nullptr);
}

TEST(dxBarCommon, BarWindowFreedInACallbackIsNoLongerLive) {
  TManagerForm f;
  auto* w = new TdxBarSubMenuControl(f.Manager);
  auto* parent = new TdxBarSubMenuControl(f.Manager);
  w->SetParentBar(parent);
  EXPECT_TRUE(IsBarControl(w));
  EXPECT_EQ(GetRootBarControl(w), parent);
  EXPECT_EQ(GetRootToolbar(w), nullptr);
  EXPECT_FALSE(IsBarControl(nullptr));
  // A handler frees the window it was called from; afterwards the list says so.
  TNotifyEvent freeIt;
  struct TFreer {
    TCustomdxBarControl* W;
    void Run(TObject*) { TObject::Free(W); }
  } freer{w};
  freeIt = Bind(&freer, &TFreer::Run);
  freeIt(nullptr);
  EXPECT_FALSE(IsBarControl(w));
  TObject::Free(parent);
  EXPECT_FALSE(IsBarControl(parent));
}

TEST(dxBarCommon, WorkAreaFallsBackToThePrimaryWorkArea) {
  RECT primary{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &primary, 0);
  dxBarSetMonitorFunctionsForTest(false);
  RECT r = GetWorkArea(POINT{10, 10});
  dxBarSetMonitorFunctionsForTest(true);
  EXPECT_TRUE(EqualRect(&r, &primary));
  RECT withMonitors = GetWorkArea(POINT{10, 10});
  EXPECT_FALSE(IsRectEmpty(&withMonitors));
}

TEST(dxBarCommon, MenuFontIsAtLeastElevenPixelsWithTheFontsFace) {
  TFont font;
  font.SetName("Tahoma");
  font.SetHeight(-8);
  HFONT h = nullptr;
  dxBarMakeMenuFont(&font, h, true);
  ASSERT_NE(h, nullptr);
  LOGFONTA lf{};
  GetObjectA(h, sizeof lf, &lf);
  EXPECT_LE(lf.lfHeight, -11);
  EXPECT_STREQ(lf.lfFaceName, "Tahoma");
  dxBarMakeMenuFont(&font, h, false);
  GetObjectA(h, sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -8);
  DeleteObject(h);
  HFONT v = dxBarMakeVerticalFont(&font);
  GetObjectA(v, sizeof lf, &lf);
  EXPECT_EQ(lf.lfEscapement, -900);
  DeleteObject(v);
}

TEST(dxBarCommon, TriangleArrowIsCentredInItsStateColour) {
  struct Case {
    bool Enabled, Selected;
    int SysColor;
  } cases[] = {{true, false, COLOR_BTNTEXT}, {true, true, COLOR_HIGHLIGHTTEXT}, {false, false, COLOR_BTNSHADOW}};
  for (auto& c : cases) {
    TProbe p(20, 20, RGB(1, 2, 3));
    RECT r{0, 0, 20, 20};
    dxDrawTriangleArrow(p.DC, r, 4, c.Enabled, c.Selected);
    // Size 4 in 20 x 20: x = (20 - 4) div 2 = 8, y = (20 - 7) div 2 = 6; the tip at (11, 9).
    EXPECT_EQ(p.At(8, 9), GetSysColor(c.SysColor) & 0xFFFFFF) << c.Enabled << c.Selected;
    EXPECT_EQ(p.At(9, 9), GetSysColor(c.SysColor) & 0xFFFFFF);
    EXPECT_EQ(p.At(3, 3), RGB(1, 2, 3));
    EXPECT_EQ(p.At(14, 9), RGB(1, 2, 3));
  }
}

TEST(dxBarCommon, CheckerBrushAlternatesFaceAndHighlight) {
  TProbe p(8, 8, RGB(0, 0, 0));
  RECT r{0, 0, 8, 8};
  FillRect(p.DC, &r, dxCheckerBrush());
  COLORREF face = GetSysColor(COLOR_BTNFACE), hi = GetSysColor(COLOR_BTNHIGHLIGHT);
  EXPECT_EQ(p.At(0, 0), face);
  EXPECT_EQ(p.At(1, 1), face);
  EXPECT_EQ(p.At(1, 0), hi);
  EXPECT_EQ(p.At(0, 1), hi);
}

TEST(dxBarCommon, GlyphKeepsTransparentPixelsAsBackgroundAndGreysTheRest) {
  // A 4 x 4 bitmap: red, with the bottom-left pixel (the transparent colour) white.
  TBitmap glyph;
  glyph.SetSize(4, 4);
  HBRUSH red = CreateSolidBrush(RGB(200, 0, 0));
  RECT all{0, 0, 4, 4};
  FillRect(glyph.Canvas()->Handle(), &all, red);
  DeleteObject(red);
  SetPixel(glyph.Canvas()->Handle(), 0, 3, RGB(255, 255, 255));
  SetPixel(glyph.Canvas()->Handle(), 3, 0, RGB(255, 255, 255));
  struct Case {
    bool Grey;
    COLORREF Glyph;
  } cases[] = {{false, RGB(200, 0, 0)}, {true, RGB(66, 66, 66)}};
  for (auto& c : cases) {
    TProbe p(10, 10, RGB(0, 0, 0));
    HBRUSH bg = CreateSolidBrush(RGB(0, 128, 0));
    RECT r{0, 0, 10, 10}, g{3, 3, 7, 7};
    dxDrawGlyph(p.DC, bg, r, clBtnFace, c.Grey, true, -1, nullptr, &glyph, g);
    DeleteObject(bg);
    EXPECT_EQ(p.At(0, 0), RGB(0, 128, 0)) << c.Grey;   // outside the glyph: the background brush
    EXPECT_EQ(p.At(4, 4), c.Glyph) << c.Grey;
    EXPECT_EQ(p.At(6, 3), RGB(0, 128, 0)) << c.Grey;   // a transparent pixel of the glyph
  }
}

TEST(dxBarCommon, DisabledCaptionIsEmbossed) {
  TProbe p(60, 20, RGB(1, 2, 3));
  HFONT font = CreateFontA(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
  HGDIOBJ old = SelectObject(p.DC, font);
  RECT r{0, 0, 60, 20};
  dxDrawItemText(p.DC, "&MMM", r, 0, false, false, false);
  SelectObject(p.DC, old);
  DeleteObject(font);
  bool shadow = false, light = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) {
      shadow |= p.At(x, y) == (GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF);
      light |= p.At(x, y) == (GetSysColor(COLOR_BTNHIGHLIGHT) & 0xFFFFFF);
    }
  EXPECT_TRUE(shadow);
  EXPECT_TRUE(light);
}

}  // namespace
