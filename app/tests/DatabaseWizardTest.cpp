// The database wizard in the test's own process, clicked through as a person does: the pages and
// buttons follow the choice, and the folder picked in the real browse dialog with keys is joined or
// made, or refused with the wizard staying on its page.
#include <windows.h>

#include <gtest/gtest.h>

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
    // The browse dialog opens where an earlier run left it.
    LPITEMIDLIST pidl = nullptr;
    ASSERT_HRESULT_SUCCEEDED(PathToPidl(Parent.Path(), pidl));
    W->PTFldrBrwseDlg->SelectedFolder()->SetPidl(pidl);
    CoTaskMemFree(pidl);
    W->PTFldrBrwseDlg->OnFormShow = TNotifyEvent(&Keys, &TBrowseKeys::Show);
  }
  void TearDown() override { TObject::Free(W); }
  void Click(TRadioButton* R) {
    SendMessageA(R->Handle(), BM_CLICK, 0, 0);
    Application->ProcessMessages();
  }
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

// Join wants a folder holding a database, Create one holding none; a refused folder keeps the wizard
// open on its page.
TEST_F(DatabaseWizard, TheFolderPickedIsCheckedForADatabase) {
  struct {
    bool Join;
    char Child;
    const char* Refusal;  // nullptr: the wizard closes with OK
  } cases[] = {{true, 'a', "yOZ was unable to find an yOZDBase"},
               {true, 'b', nullptr},
               {false, 'b', "An yOZDBase already exists in this folder"},
               {false, 'a', nullptr}};
  for (auto& c : cases) {
    SCOPED_TRACE(std::string(c.Join ? "join " : "create ") + c.Child);
    Boxes.Shown.clear();
    Keys.Child = c.Child;
    W->SetModalResult(mrNone);
    W->nbMain->SetPageIndex(0);
    WhenModal([&] {
      Click(c.Join ? W->RadioButtonExisting : W->RadioButtonCreateNew);
      EXPECT_TRUE(Press(W->Button1));
      EXPECT_TRUE(Press(W->Button1));  // runs the browse dialog
      EXPECT_EQ(Keys.Caption, c.Join ? "Join yOZ Database" : "Create yOZ Database");
      if (!c.Refusal) return;
      ASSERT_EQ(Boxes.Shown.size(), 1u);
      EXPECT_EQ(Boxes.Shown[0].Text, c.Refusal);
      EXPECT_EQ(Boxes.Shown[0].Type, mtInformation);
      EXPECT_EQ(W->nbMain->PageIndex(), c.Join ? 1 : 2);
      EXPECT_EQ(W->ModalResult(), mrNone);
      EXPECT_TRUE(Press(W->Button3));
    });
    const int result = W->ShowModal();
    EXPECT_EQ(result, c.Refusal ? mrCancel : mrOk);
    if (!c.Refusal) {
      EXPECT_TRUE(Boxes.Shown.empty());
      EXPECT_EQ(W->PTFldrBrwseDlg->SelectedPath(), Parent.File(c.Child == 'a' ? "alpha" : "bravo"));
    }
    // The next run opens on the parent again.
    LPITEMIDLIST pidl = nullptr;
    ASSERT_HRESULT_SUCCEEDED(PathToPidl(Parent.Path(), pidl));
    W->PTFldrBrwseDlg->SelectedFolder()->SetPidl(pidl);
    CoTaskMemFree(pidl);
  }
}

}  // namespace
