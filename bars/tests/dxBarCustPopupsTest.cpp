// The menus the bars build for themselves, on a real screen: the toolbar list of a right click, the
// customizing popup of a link and the quick customization opened from a toolbar's end mark.
#include <cstdio>
#include <cstdlib>

#include "BarsTestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TBarsEnvironment);

// With YOZ_SHOTS set (a folder), the screen is saved there as <Name>.bmp for a person to look at.
void Shot(const char* Name) {
  const char* dir = std::getenv("YOZ_SHOTS");
  if (!dir) return;
  Pump(100);
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitBlt(dc, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  BITMAPINFOHEADER bi{sizeof bi, w, h, 1, 24, BI_RGB};
  std::vector<char> bits(size_t((w * 3 + 3) & ~3) * size_t(h));
  GetDIBits(dc, bmp, 0, UINT(h), bits.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  BITMAPFILEHEADER fh{0x4D42, DWORD(sizeof fh + sizeof bi + bits.size()), 0, 0, DWORD(sizeof fh + sizeof bi)};
  if (FILE* f = std::fopen((std::string(dir) + "\\" + Name + ".bmp").c_str(), "wb")) {
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&bi, sizeof bi, 1, f);
    std::fwrite(bits.data(), 1, bits.size(), f);
    std::fclose(f);
  }
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

// A shown form with bars docked at the top.
struct TPopupForm : TManagerForm {
  TPopupForm() {
    Form->SetBounds(100, 100, 500, 320);
    Form->Show();
    Pump(30);
  }
  TdxBar* AddBar(const std::string& Name, int Buttons, bool Visible = true) {
    TdxBar* b = Manager->Bars()->Add();
    b->SetCaption(Name);
    for (int i = 0; i < Buttons; ++i) {
      auto* btn = new TdxBarButton(Form.get());
      btn->SetCaption(Name + std::to_string(i));
      b->ItemLinks()->Add()->SetItem(btn);
    }
    b->SetDockingStyle(dsTop);
    b->SetRow(Manager->Bars()->Count() - 1);
    b->SetVisible(Visible);
    return b;
  }
  TdxDockControl* Site(TdxBarDockingStyle S) { return Manager->Bars()->DockControls(S); }
  // The manager's open popup window of a class (its windows are the manager's components).
  template <class T>
  T* Open() {
    for (int i = 0; i < Manager->ComponentCount(); ++i)
      if (auto* w = dynamic_cast<T*>(Manager->Components(i)); w && IsBarControl(w) && w->HandleAllocated() &&
                                                               IsWindowVisible(w->Handle()))
        return w;
    return nullptr;
  }
};

void RightClick(TWinControl* W, POINT Client) {
  SendMessageA(W->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(Client.x, Client.y));
  SendMessageA(W->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(Client.x, Client.y));
  Pump(30);
}

POINT Middle(const RECT& R) { return POINT{(R.left + R.right) / 2, (R.top + R.bottom) / 2}; }

// Clicks the row of a menu window that shows Caption.
bool ClickRow(TCustomdxBarControl* W, const std::string& Caption) {
  for (int i = 0; i < W->ItemLinks()->VisibleCount(); ++i) {
    TdxBarItemLink* l = W->ItemLinks()->VisibleItems(i);
    if (l->Caption() != Caption) continue;
    POINT p = Middle(l->ItemRect);
    SendMessageA(W->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    SendMessageA(W->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    if (IsBarControl(W) && W->HandleAllocated()) SendMessageA(W->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    Pump(30);
    return true;
  }
  return false;
}

std::vector<std::string> Captions(TdxBarItemLinks* Links) {
  std::vector<std::string> v;
  for (int i = 0; i < Links->Count(); ++i) v.push_back(Links->Items(i)->Caption());
  return v;
}

bool Down(TdxBarItemLink* L) {
  auto* b = dynamic_cast<TdxBarButton*>(L->Item());
  return b && b->Down();
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Toolbar list

TEST(dxBarCustPopups, ToolbarListChecksTheVisibleBarsAndARowTogglesItsBar) {
  TPopupForm f;
  TdxBar* menu = f.AddBar("Main Menu", 2);
  f.Manager->SetMainMenuBar(menu);
  menu->SetIsMainMenu(true);
  TdxBar* tools = f.AddBar("Tools", 3);
  TdxBar* extras = f.AddBar("Extras", 2, false);
  f.AddBar("Secret", 1)->SetHidden(true);
  RightClick(tools->Control(), POINT{2, 2});
  auto* p = f.Open<TdxBarToolbarsPopup>();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Captions(p->ItemLinks()), (std::vector<std::string>{"Tools", "Extras", "&Customize..."}));
  EXPECT_TRUE(Down(p->ItemLinks()->Items(0)));
  EXPECT_FALSE(Down(p->ItemLinks()->Items(1)));
  EXPECT_TRUE(p->ItemLinks()->Items(2)->BeginGroup());
  Shot("toolbar-list");
  EXPECT_TRUE(ClickRow(p, "Extras"));
  EXPECT_TRUE(PumpUntil([&] { return !f.Open<TdxBarToolbarsPopup>(); }));
  EXPECT_TRUE(extras->Visible());
  EXPECT_TRUE(tools->Visible());
  // The second list is built from new items; those of the first, no longer linked, are freed.
  RightClick(f.Site(dsTop), POINT{f.Site(dsTop)->Width() - 2, 2});
  p = f.Open<TdxBarToolbarsPopup>();
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(Down(p->ItemLinks()->Items(1)));
  EXPECT_EQ(dxBarPopupItemCount(), 3);
  EXPECT_TRUE(ClickRow(p, "Tools"));
  EXPECT_TRUE(PumpUntil([&] { return !f.Open<TdxBarToolbarsPopup>(); }));
  EXPECT_FALSE(tools->Visible());
}

TEST(dxBarCustPopups, ToolbarListWithNothingToListDoesNotOpen) {
  TPopupForm f;
  TdxBar* menu = f.AddBar("Main Menu", 2);
  menu->SetIsMainMenu(true);
  f.Manager->SetCanCustomize(false);
  RightClick(f.Site(dsTop), POINT{f.Site(dsTop)->Width() - 2, 2});
  EXPECT_EQ(f.Open<TdxBarToolbarsPopup>(), nullptr);
  EXPECT_EQ(TdxBarToolbarsPopup::ShowAt(f.Manager, POINT{200, 200}), nullptr);
  // With customizing allowed there is the one row to show.
  f.Manager->SetCanCustomize(true);
  RightClick(f.Site(dsTop), POINT{f.Site(dsTop)->Width() - 2, 2});
  auto* p = f.Open<TdxBarToolbarsPopup>();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Captions(p->ItemLinks()), std::vector<std::string>{"&Customize..."});
  p->CloseMenu();
}
