// The database wizard in the test's own process, clicked through as a person does: the pages and
// buttons follow the choice, and the folder picked in the real browse dialog with keys is joined or
// made, or refused with the wizard staying on its page.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "AppTestSupport.h"
#include "DatabaseWizard.h"
#include "DialogTestSupport.h"
#include "UPTShellUtils.h"

namespace {

// Posted keys go through the browse dialog's modal loop like typing: open the folder it shows, pick
// the child by its first letter, OK.
struct TBrowseKeys {
  char Child = 0;
  std::string Caption;
  void Show(TObject* Sender) {
    auto* f = static_cast<TPTFrmFolderBrowseDlg*>(Sender);
    Caption = f->Caption();
    HWND tree = f->PTShellTree1->Handle();
    auto key = [&](UINT vk) {
      PostMessageA(tree, WM_KEYDOWN, vk, 1);
      PostMessageA(tree, WM_KEYUP, vk, 0xC0000001);
    };
    key(VK_RIGHT);
    PostMessageA(tree, WM_CHAR, WPARAM(Child), 1);
    key(VK_RETURN);
  }
};

class DatabaseWizard : public ::testing::Test {
protected:
  TTestFolder Parent{"wiz"};
  TBoxAnswers Boxes;
  TBrowseKeys Keys;
  TfrmDatabaseWizard* W = nullptr;

  void SetUp() override {
    CreateDirectoryA(Parent.File("alpha").c_str(), nullptr);  // empty
    CreateDirectoryA(Parent.File("bravo").c_str(), nullptr);  // holds a database
    TyOZFile db(Parent.File("bravo\\"));
    db.RegisterCurrentUser();
    DatabaseWizardInitialize();
    W = NewForm<TfrmDatabaseWizard>(nullptr);
    OpenOnParent();
    W->PTFldrBrwseDlg->OnFormShow = TNotifyEvent(&Keys, &TBrowseKeys::Show);
  }
  // The browse dialog opens on Parent, as if an earlier run had left it there.
  void OpenOnParent() {
    LPITEMIDLIST pidl = nullptr;
    ASSERT_HRESULT_SUCCEEDED(PathToPidl(Parent.Path(), pidl));
    W->PTFldrBrwseDlg->SelectedFolder()->SetPidl(pidl);
    CoTaskMemFree(pidl);
  }
  void TearDown() override { TObject::Free(W); }
  void Click(TRadioButton* R) { EXPECT_TRUE(Press(R)); }
};

TEST_F(DatabaseWizard, PagesAndButtonsFollowTheChoice) {
  WhenModal([&] {
    EXPECT_EQ(W->Caption(), "Database Wizard");
    EXPECT_EQ(W->nbMain->PageIndex(), 0);
    EXPECT_EQ(W->lblInfo->Caption().substr(0, 44), "Welcome to yOZ, before running yOZ you will ");
    EXPECT_EQ(W->Label2->Caption(), "Please select the location of the yOZ Database by clicking \"Next\" below.");
    EXPECT_FALSE(W->RadioButtonExisting->Checked());
    EXPECT_FALSE(W->RadioButtonCreateNew->Checked());
    EXPECT_FALSE(Press(W->Button1)) << "Next without a choice";
    EXPECT_FALSE(Press(W->Button2)) << "Previous on the first page";
    Click(W->RadioButtonExisting);
    EXPECT_TRUE(Press(W->Button1));
    EXPECT_EQ(W->nbMain->PageIndex(), 1);
    EXPECT_TRUE(Press(W->Button2));
    EXPECT_EQ(W->nbMain->PageIndex(), 0);
    Click(W->RadioButtonCreateNew);
    EXPECT_FALSE(W->RadioButtonExisting->Checked());
    EXPECT_TRUE(Press(W->Button1));
    EXPECT_EQ(W->nbMain->PageIndex(), 2);
    // From the create page Previous goes back to the choice.
    EXPECT_TRUE(Press(W->Button2));
    EXPECT_EQ(W->nbMain->PageIndex(), 0);
    EXPECT_TRUE(Press(W->Button3));
  });
  EXPECT_EQ(W->ShowModal(), mrCancel);
  EXPECT_TRUE(Boxes.Shown.empty());
}

// Create refuses a folder that already holds a database and stays on its page. (Joining, and the
// refusal of an empty folder to join, run end to end in wizardsettings.sh.)
TEST_F(DatabaseWizard, CreateRefusesAFolderHoldingADatabase) {
  Keys.Child = 'b';
  WhenModal([&] {
    Click(W->RadioButtonCreateNew);
    EXPECT_TRUE(Press(W->Button1));
    EXPECT_TRUE(Press(W->Button1));  // runs the browse dialog
    EXPECT_EQ(Keys.Caption, "Create yOZ Database");
    ASSERT_EQ(Boxes.Shown.size(), 1u);
    EXPECT_EQ(Boxes.Shown[0].Text, "An yOZDBase already exists in this folder");
    EXPECT_EQ(Boxes.Shown[0].Type, mtInformation);
    EXPECT_EQ(W->nbMain->PageIndex(), 2);
    // The empty "alpha" is taken.
    Keys.Child = 'a';
    OpenOnParent();
    EXPECT_TRUE(Press(W->Button1));
  });
  EXPECT_EQ(W->ShowModal(), mrOk);
  EXPECT_EQ(Boxes.Shown.size(), 1u);
  EXPECT_EQ(W->PTFldrBrwseDlg->SelectedPath(), Parent.File("alpha"));
}

}  // namespace

namespace {

// The two choices are one group on the keyboard: one Tab stop, and the arrow keys choose the option they
// move to; after Next the focus is on a control of the page shown, never on a hidden option.
TEST_F(DatabaseWizard, TheKeyboardChoosesWithArrowsAndNextLeavesNoFocusOnTheHiddenPage) {
  WhenModal([&] {
    SetForegroundWindow(W->Handle());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == W->Handle() && GetFocus(); }));
    W->RadioButtonExisting->SetFocus();
    Application->ProcessMessages();
    auto focused = [&](TWinControl* c) { return GetFocus() == c->Handle(); };
    PressKeys(VK_DOWN);
    EXPECT_TRUE(PumpUntil([&] { return W->RadioButtonCreateNew->Checked(); }));
    EXPECT_TRUE(focused(W->RadioButtonCreateNew));
    EXPECT_FALSE(W->RadioButtonExisting->Checked());
    PressKeys(VK_UP);
    EXPECT_TRUE(PumpUntil([&] { return W->RadioButtonExisting->Checked(); }));
    EXPECT_FALSE(W->RadioButtonCreateNew->Checked());
    // Tab leaves the group at once; Shift+Tab comes back to the chosen option.
    PressKeys(VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return !focused(W->RadioButtonExisting); }));
    EXPECT_FALSE(focused(W->RadioButtonCreateNew));
    PressKeys(VK_TAB, {VK_SHIFT});
    EXPECT_TRUE(PumpUntil([&] { return focused(W->RadioButtonExisting); }));
    // Next from the keyboard: the join page, with the focus on something shown.
    PressKeys('N', {VK_MENU});
    EXPECT_TRUE(PumpUntil([&] { return W->nbMain->PageIndex() == 1; }));
    EXPECT_TRUE(PumpUntil([] { return GetFocus() && IsWindowVisible(GetFocus()); })) << "the focus is on a hidden control";
    HWND f = GetFocus();
    EXPECT_NE(f, W->RadioButtonExisting->Handle());
    EXPECT_NE(f, W->RadioButtonCreateNew->Handle());
    EXPECT_TRUE(Press(W->Button3));
  });
  EXPECT_EQ(W->ShowModal(), mrCancel);
  EXPECT_TRUE(W->RadioButtonExisting->Checked());
}

}  // namespace
