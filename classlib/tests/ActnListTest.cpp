// Actions read from a form resource: links that keep buttons, check boxes, speed buttons and menu
// items in step, updates on idle, execution only when enabled, shortcuts, and freed actions.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ActnList.h"
#include "Buttons.h"
#include "Menus.h"
#include "StdCtrls.h"

#include "TestSupport.h"

namespace {

const auto* const Env =
    ::testing::AddGlobalTestEnvironment(new TFormsEnvironment({
        RegisterStdCtrlsClasses,
        RegisterButtonsClasses,
        RegisterMenusClasses,
        RegisterActnListClasses,
    }));

class TActionsForm : public TForm {
  YOZ_CLASS(TActionsForm, TForm)
public:
  explicit TActionsForm(TComponent* AOwner) : TForm(AOwner) {}
  bool SendAllowed = true;
  bool HandleAll = true;
  int SendRuns = 0, FlagRuns = 0, FlagUpdates = 0, ListUpdates = 0;
  TComponent* SentFrom = nullptr;
  void ActionListUpdate(TBasicAction* Action, bool& Handled) {
    ++ListUpdates;
    if (Action->Name() == "actSend") static_cast<TAction*>(Action)->SetEnabled(SendAllowed);
    Handled = HandleAll;
  }
  void actSendExecute(TObject* Sender) {
    ++SendRuns;
    SentFrom = static_cast<TBasicAction*>(Sender)->ActionComponent();
  }
  void actFlagExecute(TObject*) { ++FlagRuns; }
  void actFlagUpdate(TObject*) { ++FlagUpdates; }
  static void Publish(TPublisher<TActionsForm>& p) {
    p.Method("ActionListUpdate", &TActionsForm::ActionListUpdate);
    p.Method("actSendExecute", &TActionsForm::actSendExecute);
    p.Method("actFlagExecute", &TActionsForm::actFlagExecute);
    p.Method("actFlagUpdate", &TActionsForm::actFlagUpdate);
  }
};

class ActionsTest : public ::testing::Test {
protected:
  void SetUp() override {
    F.reset(NewForm<TActionsForm>(nullptr));
    F->Show();
    PumpUntil([&] { return F->Showing(); });
    act = Find<TAction>(F.get(), "actSend");
    flag = Find<TAction>(F.get(), "actFlag");
    btn = Find<TButton>(F.get(), "btnSend");
    chk = Find<TCheckBox>(F.get(), "chkFlag");
    sb = Find<TSpeedButton>(F.get(), "sbSend");
    item = Find<TMenuItem>(F.get(), "popSend");
    list = Find<TActionList>(F.get(), "ActionList");
    ASSERT_TRUE(act && flag && btn && chk && sb && item && list);
  }
  std::unique_ptr<TActionsForm, FormDeleter> F;
  TAction *act = nullptr, *flag = nullptr;
  TButton* btn = nullptr;
  TCheckBox* chk = nullptr;
  TSpeedButton* sb = nullptr;
  TMenuItem* item = nullptr;
  TActionList* list = nullptr;
};

TEST_F(ActionsTest, ClientsTakeTheActionsStateWhenRead) {
  EXPECT_EQ(list->ActionCount(), 2);
  EXPECT_EQ(act->ActionList(), list);
  EXPECT_EQ(act->Index(), 0);
  EXPECT_EQ(act->Category(), "Messages");
  EXPECT_EQ(btn->Caption(), "&Send");
  EXPECT_EQ(btn->Hint(), "Send message");
  EXPECT_EQ(sb->Caption(), "&Send");
  EXPECT_EQ(item->Caption(), "&Send");
  EXPECT_EQ(item->ShortCut(), ShortCut('S', {ssCtrl}));
  EXPECT_EQ(item->ImageIndex(), 18);
  EXPECT_EQ(chk->Caption(), "Flag");
  char text[64] = {};
  GetWindowTextA(btn->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "&Send");
}

TEST_F(ActionsTest, ClientsReadWithTheirOwnCaptionAndHintKeepThem) {
  auto* own = Find<TButton>(F.get(), "btnSendOwn");
  auto* ownItem = Find<TMenuItem>(F.get(), "popSendOwn");
  ASSERT_TRUE(own && ownItem);
  EXPECT_EQ(own->Caption(), "Post");
  EXPECT_EQ(own->Hint(), "Post it now");
  EXPECT_EQ(ownItem->Caption(), "&Post");
  EXPECT_EQ(ownItem->Hint(), "Post it now");
  EXPECT_EQ(ownItem->ShortCut(), ShortCut('S', {ssCtrl}));
  // Still linked for the rest, and the action's later caption and hint leave them alone.
  act->SetCaption("Se&nd now");
  act->SetHint("Now");
  act->SetEnabled(false);
  EXPECT_EQ(own->Caption(), "Post");
  EXPECT_EQ(own->Hint(), "Post it now");
  EXPECT_EQ(ownItem->Caption(), "&Post");
  EXPECT_EQ(ownItem->Hint(), "Post it now");
  EXPECT_FALSE(own->Enabled());
  EXPECT_FALSE(ownItem->Enabled());
}

TEST_F(ActionsTest, LinksKeepEveryClientInStep) {
  act->SetEnabled(false);
  EXPECT_FALSE(btn->Enabled());
  EXPECT_FALSE(IsWindowEnabled(btn->Handle()));
  EXPECT_FALSE(sb->Enabled());
  EXPECT_FALSE(item->Enabled());
  act->SetCaption("Se&nd now");
  act->SetHint("Now");
  act->SetShortCut(ShortCut(VK_F2, {}));
  EXPECT_EQ(btn->Caption(), "Se&nd now");
  EXPECT_EQ(sb->Hint(), "Now");
  EXPECT_EQ(item->Caption(), "Se&nd now");
  EXPECT_EQ(item->ShortCut(), TShortCut(VK_F2));
  act->SetVisible(false);
  EXPECT_FALSE(btn->Visible());
  EXPECT_FALSE(item->Visible());

  // A client given its own caption keeps it; the rest still follows.
  act->SetVisible(true);
  btn->SetCaption("Mine");
  act->SetCaption("Theirs");
  act->SetEnabled(true);
  EXPECT_EQ(btn->Caption(), "Mine");
  EXPECT_TRUE(btn->Enabled());
  EXPECT_EQ(item->Caption(), "Theirs");
}

TEST_F(ActionsTest, ExecuteUpdatesFirstAndRunsOnlyWhenEnabled) {
  F->SendAllowed = false;
  EXPECT_FALSE(act->Execute());
  EXPECT_EQ(F->SendRuns, 0);
  EXPECT_FALSE(act->Enabled());
  F->SendAllowed = true;
  EXPECT_TRUE(act->Execute());
  EXPECT_EQ(F->SendRuns, 1);

  // A click on the button runs the action with the button as its component.
  SendMessageA(btn->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(F->SendRuns, 2);
  EXPECT_EQ(F->SentFrom, btn);
  EXPECT_EQ(act->ActionComponent(), nullptr);
  // So does the menu item.
  item->Click();
  EXPECT_EQ(F->SendRuns, 3);
  EXPECT_EQ(F->SentFrom, item);
  // The list's update disables the action between two clicks: the second click does nothing.
  F->SendAllowed = false;
  item->Click();
  EXPECT_EQ(F->SendRuns, 3);
}

TEST_F(ActionsTest, IdleUpdatesAndTheListsHandledFlag) {
  F->SendAllowed = false;
  Application->DoActionIdle();
  EXPECT_FALSE(act->Enabled());
  EXPECT_FALSE(btn->Enabled());
  EXPECT_EQ(F->FlagUpdates, 0);  // the list handled every update
  F->HandleAll = false;
  F->SendAllowed = true;
  int before = F->ListUpdates;
  UpdateActionListsOnIdle();
  EXPECT_TRUE(act->Enabled());
  EXPECT_EQ(F->FlagUpdates, 1);
  EXPECT_EQ(F->ListUpdates, before + 2);
}

TEST_F(ActionsTest, CheckBoxShowsCheckedWithoutExecutingAndClickExecutes) {
  flag->SetChecked(true);
  EXPECT_TRUE(chk->Checked());
  EXPECT_EQ(SendMessageA(chk->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(F->FlagRuns, 0);
  SendMessageA(chk->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(chk->Checked());
  EXPECT_EQ(F->FlagRuns, 1);
}

TEST_F(ActionsTest, ShortcutWithCtrlRunsOnlyAnEnabledAction) {
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  TWMKey k;
  k.Msg = WM_KEYDOWN;
  k.WParam = 'S';
  k.LParam = 1;
  bool ran = list->IsShortCut(k);
  F->SendAllowed = false;
  bool ranDisabled = list->IsShortCut(k);
  TWMKey other = k;
  other.WParam = 'Q';
  bool ranOther = list->IsShortCut(other);
  keys[VK_CONTROL] = saved;
  SetKeyboardState(keys);
  EXPECT_TRUE(ran);
  EXPECT_FALSE(ranDisabled);
  EXPECT_FALSE(ranOther);
  EXPECT_EQ(F->SendRuns, 1);
  // Without Ctrl the plain key is no shortcut.
  F->SendAllowed = true;
  EXPECT_FALSE(list->IsShortCut(k));
  EXPECT_EQ(F->SendRuns, 1);
}

TEST_F(ActionsTest, KeyPressedInAControlRunsTheFormsActionShortcut) {
  btn->SetFocus();
  PumpUntil([&] { return GetFocus() == btn->Handle(); });
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved = keys[VK_CONTROL];
  auto press = [&](bool ctrl) {
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageA(btn->Handle(), WM_KEYDOWN, 'S', 0x001F0001);
    // A posted message is in the queue at once: one pass of the loop handles it and what it makes.
    Application->ProcessMessages();
  };
  press(true);
  EXPECT_EQ(F->SendRuns, 1);
  EXPECT_EQ(F->SentFrom, nullptr);  // a shortcut names no component
  press(false);
  EXPECT_EQ(F->SendRuns, 1);
  F->SendAllowed = false;  // the action turns disabled at its update: the key does nothing
  press(true);
  EXPECT_EQ(F->SendRuns, 1);
  keys[VK_CONTROL] = saved;
  SetKeyboardState(keys);
}

TEST_F(ActionsTest, FreedActionLeavesItsClients) {
  TObject::Free(act);
  act = nullptr;
  EXPECT_EQ(btn->Action(), nullptr);
  EXPECT_EQ(sb->Action(), nullptr);
  EXPECT_EQ(item->Action(), nullptr);
  EXPECT_EQ(list->ActionCount(), 1);
  // The button keeps working, with the handler it had.
  SendMessageA(btn->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(F->SendRuns, 1);
}

TEST(Actions, FreedListLeavesItsActions) {
  TComponent owner(nullptr);
  auto* l = new TActionList(&owner);
  auto* a = new TAction(&owner);
  a->SetActionList(l);
  TObject::Free(l);
  EXPECT_EQ(a->ActionList(), nullptr);
  EXPECT_EQ(a->Index(), -1);
  EXPECT_TRUE(a->Update() == false);  // no handlers: nothing ran
}

}  // namespace

namespace {

TEST_F(ActionsTest, AClientWithItsOwnHandlerKeepsIt) {
  int own = 0;
  struct H {
    int* n;
    void Own(TObject*) { ++*n; }
  } h{&own};
  btn->OnClick = TNotifyEvent(&h, &H::Own);
  SendMessageA(btn->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(F->SendRuns, 0);
  // The action's later handler does not replace the client's own.
  act->SetOnExecute(TNotifyEvent(F.get(), &TActionsForm::actFlagExecute));
  SendMessageA(btn->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(own, 2);
  EXPECT_EQ(F->FlagRuns, 0);
  // The menu item still follows the action's handler.
  item->Click();
  EXPECT_EQ(F->FlagRuns, 1);
}

TEST_F(ActionsTest, PopupMenuUpdatesItsActionsBeforeItOpens) {
  auto* pop = Find<TPopupMenu>(F.get(), "popMain");
  F->SendAllowed = false;
  act->SetEnabled(true);
  EXPECT_TRUE(item->Enabled());
  // Opened and closed at once: the list's update ran first and the item shows disabled.
  SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR Id, DWORD) {
    KillTimer(nullptr, Id);
    EndMenu();
  });
  pop->Popup(200, 200);
  EXPECT_FALSE(act->Enabled());
  EXPECT_FALSE(item->Enabled());
  EXPECT_TRUE(GetMenuState(pop->Handle(), 0, MF_BYPOSITION) & MF_GRAYED);
}

}  // namespace
