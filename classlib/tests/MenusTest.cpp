// Shortcut texts, menu item trees and the Windows menus built from them, a form's main menu, popup
// menus opened from the keyboard, and shortcuts dispatched through the form.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ActnList.h"
#include "Menus.h"
#include "ImgList.h"
#include "StdCtrls.h"

#include "TestSupport.h"

namespace {

const auto* const Env =
    ::testing::AddGlobalTestEnvironment(new TFormsEnvironment({
        RegisterStdCtrlsClasses,
        RegisterMenusClasses,
        RegisterActnListClasses,
    }));

TWMKey KeyMessage(uint16_t Key) {
  TWMKey k;
  k.Msg = WM_KEYDOWN;
  k.WParam = Key;
  k.LParam = 1;
  return k;
}

std::string MenuText(HMENU Menu, int Pos) {
  char buf[256] = {};
  GetMenuStringA(Menu, UINT(Pos), buf, sizeof buf, MF_BYPOSITION);
  return buf;
}

class TMenusForm : public TForm {
  YOZ_CLASS(TMenusForm, TForm)
public:
  explicit TMenusForm(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<std::string> Log;
  void mnuFileClick(TObject*) { Log.push_back("File"); }
  void mnuRefreshClick(TObject*) { Log.push_back("Refresh"); }
  void mnuExitClick(TObject*) { Log.push_back("Exit"); }
  void popMainPopup(TObject* Sender) {
    auto* pm = static_cast<TPopupMenu*>(Sender);
    Log.push_back("Popup:" + (pm->PopupComponent() ? pm->PopupComponent()->Name() : std::string("-")));
  }
  void popClick(TObject* Sender) { Log.push_back(static_cast<TMenuItem*>(Sender)->Caption()); }
  static void Publish(TPublisher<TMenusForm>& p) {
    p.Method("mnuFileClick", &TMenusForm::mnuFileClick);
    p.Method("mnuRefreshClick", &TMenusForm::mnuRefreshClick);
    p.Method("mnuExitClick", &TMenusForm::mnuExitClick);
    p.Method("popMainPopup", &TMenusForm::popMainPopup);
    p.Method("popClick", &TMenusForm::popClick);
  }
};

// ---------------------------------------------------------------------------------------------------

TEST(ShortCutText, NamesPrefixesAndOddKeys) {
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, {ssCtrl, ssShift})), "Shift+Ctrl+Del");
  EXPECT_EQ(ShortCutToText(ShortCut('S', {ssCtrl})), "Ctrl+S");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F4, {ssAlt})), "Alt+F4");
  EXPECT_EQ(ShortCutToText(VK_F13), "F13");
  EXPECT_EQ(ShortCutToText(VK_F24), "F24");
  EXPECT_EQ(ShortCutToText(300), "#300");
  EXPECT_EQ(ShortCutToText(VK_NUMPAD5), "5");
  EXPECT_EQ(ShortCutToText(VK_PRIOR), "PgUp");
  EXPECT_EQ(ShortCutToText(VK_BACK), "BkSp");
  EXPECT_EQ(ShortCutToText(0), "");
  EXPECT_EQ(ShortCutToText(scCtrl), "");  // a modifier alone names no key
}

TEST(ShortCutText, TextToShortCutAcceptsCaseCaretAndAnyPrefixOrder) {
  EXPECT_EQ(TextToShortCut("ctrl+a"), ShortCut('A', {ssCtrl}));
  EXPECT_EQ(TextToShortCut("^C"), ShortCut('C', {ssCtrl}));
  EXPECT_EQ(TextToShortCut("Alt+Shift+del"), ShortCut(VK_DELETE, {ssShift, ssAlt}));
  EXPECT_EQ(TextToShortCut("F5"), TShortCut(VK_F5));
  EXPECT_EQ(TextToShortCut("#300"), TShortCut(300));
  EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut("Hyper+Q"), 0);
  EXPECT_EQ(TextToShortCut(""), 0);
  // The application's action shortcuts are the codes the form resources store.
  EXPECT_EQ(TextToShortCut("Ctrl+L"), 16460);
  EXPECT_EQ(TextToShortCut("Ctrl+S"), 16467);
}

TEST(ShortCutText, EveryNamedKeyRoundTrips) {
  for (unsigned key = 8; key < 256; ++key) {
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) continue;  // named like the digit keys, which come first
    for (TShortCut mods : {TShortCut(0), scShift, scCtrl, scAlt, TShortCut(scShift | scCtrl | scAlt)}) {
      TShortCut sc = TShortCut(key | mods);
      std::string text = ShortCutToText(sc);
      ASSERT_FALSE(text.empty()) << key;
      EXPECT_EQ(TextToShortCut(text), sc) << text;
    }
  }
}

TEST(ShortCutText, Hotkeys) {
  EXPECT_EQ(StripHotkey("E&xit"), "Exit");
  EXPECT_EQ(StripHotkey("Fish && &Chips"), "Fish & Chips");
  EXPECT_EQ(GetHotkey("View My &InBox"), 'I');
  EXPECT_EQ(GetHotkey("Fish && Chips"), 0);
  EXPECT_EQ(GetHotkey("&"), 0);
}

// ---------------------------------------------------------------------------------------------------

TEST(MenuItems, WindowsMenuFollowsTheItems) {
  TPopupMenu menu(nullptr);
  auto* a = new TMenuItem(nullptr);
  a->SetCaption("&Settings...");
  a->SetShortCut(ShortCut('S', {ssCtrl}));
  auto* line = new TMenuItem(nullptr);
  line->SetCaption("-");
  auto* b = new TMenuItem(nullptr);
  b->SetCaption("Hidden");
  b->SetVisible(false);
  auto* c = new TMenuItem(nullptr);
  c->SetCaption("Sub");
  auto* c1 = new TMenuItem(nullptr);
  c1->SetCaption("Child");
  c1->SetEnabled(false);
  c1->SetChecked(true);
  c->Add(c1);
  menu.Items()->Add(a);
  menu.Items()->Add(line);
  menu.Items()->Add(b);
  menu.Items()->Add(c);

  HMENU h = menu.Handle();
  ASSERT_EQ(GetMenuItemCount(h), 3);  // the hidden item is left out
  EXPECT_EQ(MenuText(h, 0), "&Settings...\tCtrl+S");
  EXPECT_EQ(GetMenuState(h, 1, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  HMENU sub = GetSubMenu(h, 2);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub, c->Handle());
  UINT st = GetMenuState(sub, 0, MF_BYPOSITION);
  EXPECT_TRUE(st & MF_GRAYED);
  EXPECT_TRUE(st & MF_CHECKED);
  EXPECT_EQ(GetMenuItemID(h, 0), a->Command());
  EXPECT_EQ(FindMenuItem(a->Command()), a);

  // A change is in the Windows menu at once.
  b->SetVisible(true);
  a->SetCaption("Options");
  ASSERT_EQ(GetMenuItemCount(menu.Handle()), 4);
  EXPECT_EQ(MenuText(menu.Handle(), 0), "Options\tCtrl+S");
  EXPECT_EQ(MenuText(menu.Handle(), 2), "Hidden");

  // A freed item leaves its menu and its command id.
  UINT id = b->Command();
  TObject::Free(b);
  EXPECT_EQ(FindMenuItem(id), nullptr);
  EXPECT_EQ(GetMenuItemCount(menu.Handle()), 3);
  EXPECT_EQ(menu.Items()->Count(), 3);
  EXPECT_THROW(menu.Items()->Items(3), EMenuError);
}

TEST(MenuItems, ItemsShowTheirImage) {
  TImageList images(nullptr);
  TBitmap pic;
  pic.SetSize(16, 16);
  pic.Canvas()->Brush()->SetColor(clRed);
  pic.Canvas()->FillRect(RECT{0, 0, 16, 16});
  images.Add(&pic, nullptr);
  TPopupMenu menu(nullptr);
  menu.SetImages(&images);
  auto* a = new TMenuItem(nullptr);
  a->SetCaption("At Lunch");
  a->SetImageIndex(0);
  auto* b = new TMenuItem(nullptr);
  b->SetCaption("No picture");
  b->SetImageIndex(5);  // beyond the list: no picture
  menu.Items()->Add(a);
  menu.Items()->Add(b);
  MENUITEMINFOA mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoA(menu.Handle(), 0, TRUE, &mi));
  ASSERT_NE(mi.hbmpItem, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mi.hbmpItem);
  EXPECT_EQ(GetPixel(dc, 8, 8), RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  mi.hbmpItem = nullptr;
  GetMenuItemInfoA(menu.Handle(), 1, TRUE, &mi);
  EXPECT_EQ(mi.hbmpItem, nullptr);
  menu.SetImages(nullptr);
  mi.hbmpItem = nullptr;
  GetMenuItemInfoA(menu.Handle(), 0, TRUE, &mi);
  EXPECT_EQ(mi.hbmpItem, nullptr);
}

TEST(MenuItems, InsertTwiceIsRefused) {
  TMenuItem root(nullptr);
  auto* a = new TMenuItem(nullptr);
  root.Add(a);
  EXPECT_THROW(root.Add(a), EMenuError);
  EXPECT_EQ(root.Count(), 1);
}

// ---------------------------------------------------------------------------------------------------

class MenusFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form.reset(NewForm<TMenusForm>(nullptr));
    Form->Show();
    PumpUntil([&] { return Form->Showing(); });
  }
  std::unique_ptr<TMenusForm, FormDeleter> Form;
};

TEST_F(MenusFormTest, MainMenuIsTheFormsMenuBarAndRunsItsCommands) {
  auto* mnu = Find<TMainMenu>(Form.get(), "mnuMain");
  ASSERT_NE(mnu, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return GetMenu(Form->Handle()) != nullptr; }));
  EXPECT_EQ(GetMenu(Form->Handle()), mnu->Handle());
  EXPECT_EQ(MenuText(GetMenu(Form->Handle()), 0), "&File");
  HMENU file = GetSubMenu(GetMenu(Form->Handle()), 0);
  EXPECT_EQ(MenuText(file, 0), "&Refresh\tF5");
  EXPECT_EQ(MenuText(file, 2), "E&xit\tCtrl+X");

  auto* exit = Find<TMenuItem>(Form.get(), "mnuExit");
  SendMessageA(Form->Handle(), WM_COMMAND, MAKEWPARAM(exit->Command(), 0), 0);
  // Opening "&File" is a click on it.
  SendMessageA(Form->Handle(), WM_INITMENUPOPUP, WPARAM(file), MAKELPARAM(0, FALSE));
  EXPECT_EQ(Form->Log, (std::vector<std::string>{"Exit", "File"}));
}

TEST_F(MenusFormTest, ShortcutsOfTheMainMenuThroughTheForm) {
  TWMKey f5 = KeyMessage(VK_F5);
  EXPECT_TRUE(FormIsShortCut(Form.get(), f5));
  TWMKey f6 = KeyMessage(VK_F6);
  EXPECT_FALSE(FormIsShortCut(Form.get(), f6));
  // A disabled item keeps its key unused.
  Find<TMenuItem>(Form.get(), "mnuRefresh")->SetEnabled(false);
  EXPECT_FALSE(FormIsShortCut(Form.get(), f5));
  // So does an item under a disabled parent.
  Find<TMenuItem>(Form.get(), "mnuRefresh")->SetEnabled(true);
  Find<TMenuItem>(Form.get(), "mnuFile")->SetEnabled(false);
  EXPECT_FALSE(FormIsShortCut(Form.get(), f5));
  EXPECT_EQ(Form->Log, (std::vector<std::string>{"Refresh"}));
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR Id, DWORD) {
  KillTimer(nullptr, Id);
  EndMenu();
}
// Closes the menu that will be open then, as a click elsewhere does: a guard for a menu the keys
// meant for it do not close.
UINT_PTR CloseMenuAfter(UINT Ms) { return SetTimer(nullptr, 0, Ms, &CloseMenu); }
// Keys pressed and released in order as the keyboard sends them; a menu opened after this takes
// them from the queue.
void SendKeyStrokes(std::initializer_list<WORD> Keys) {
  std::vector<INPUT> in;
  for (WORD k : Keys)
    for (DWORD up : {DWORD(0), DWORD(KEYEVENTF_KEYUP)}) {
      INPUT i{};
      i.type = INPUT_KEYBOARD;
      i.ki.wVk = k;
      i.ki.dwFlags = up;
      in.push_back(i);
    }
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

TEST_F(MenusFormTest, PopupMenuFromTheKeyboard) {
  auto* lst = Find<TListBox>(Form.get(), "lstTarget");
  auto* pop = Find<TPopupMenu>(Form.get(), "popMain");
  ASSERT_NE(lst, nullptr);
  ASSERT_EQ(lst->PopupMenu(), pop);
  SetForegroundWindow(Form->Handle());
  lst->SetFocus();
  ASSERT_TRUE(PumpUntilFocused(lst->Handle()));
  // The context-menu key as the keyboard sends it; Down, Down (over the separator) and Enter, waiting
  // in the queue, choose "Second" in the menu it opens.
  SendKeyStrokes({VK_APPS, VK_DOWN, VK_DOWN, VK_RETURN});
  UINT_PTR closer = CloseMenuAfter(3000);
  ASSERT_TRUE(PumpUntil([&] { return Form->Log.size() >= 2 && Form->Log.back() == "Second"; })) << Form->Log.size();
  KillTimer(nullptr, closer);
  EXPECT_EQ(Form->Log, (std::vector<std::string>{"Popup:lstTarget", "Second"}));
  EXPECT_EQ(TPopupMenu::Active(), nullptr);
}

TEST_F(MenusFormTest, PopupAtAPointWithAutoPopupOff) {
  auto* lst = Find<TListBox>(Form.get(), "lstTarget");
  auto* pop = Find<TPopupMenu>(Form.get(), "popMain");
  pop->SetAutoPopup(false);
  // A right click's WM_CONTEXTMENU no longer opens it by itself (at a point of the list: one on the
  // caption opens the window menu)...
  RECT r;
  GetWindowRect(lst->Handle(), &r);
  SendMessageA(lst->Handle(), WM_CONTEXTMENU, WPARAM(lst->Handle()), MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  EXPECT_TRUE(Form->Log.empty());
  // ...but the program still can; closed by Esc without a choice, it runs nothing.
  SendKeyStrokes({VK_ESCAPE});
  pop->SetPopupComponent(lst);
  pop->Popup(150, 150);
  EXPECT_EQ(Form->Log, (std::vector<std::string>{"Popup:lstTarget"}));
}

TEST_F(MenusFormTest, ActionShortcutThroughTheFormAndDisabledActionDoesNothing) {
  auto* list = new TActionList(Form.get());
  auto* act = new TAction(Form.get());
  act->SetActionList(list);
  act->SetShortCut(ShortCut(VK_F9, {}));
  int runs = 0;
  struct H {
    int* runs;
    void Run(TObject*) { ++*runs; }
  } h{&runs};
  act->SetOnExecute(TNotifyEvent(&h, &H::Run));
  TWMKey f9 = KeyMessage(VK_F9);
  EXPECT_TRUE(FormIsShortCut(Form.get(), f9));
  EXPECT_EQ(runs, 1);
  act->SetEnabled(false);
  EXPECT_FALSE(FormIsShortCut(Form.get(), f9));
  EXPECT_EQ(runs, 1);
}

}  // namespace
