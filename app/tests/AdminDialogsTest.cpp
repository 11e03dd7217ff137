// The administrators' dialogs and the pickers on the real main window in the test's own process:
// users, departments, statuses, the custom-status and department pickers and the alert viewer.
#include <gtest/gtest.h>

#include <algorithm>

#include "Alerts.h"
#include "AppTestSupport.h"
#include "DialogTestSupport.h"
#include "SelectDepartment.h"
#include "SelectStatus.h"
#include "FormFields.h"
#include "KLNStringUtils.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZDepartments.h"
#include "yOZStatuses.h"
#include "yOZUsers.h"

namespace {

std::string Login() { return GetLogInName(); }

class AdminDialogs : public ::testing::Test {
protected:
  TSettingsSandbox Sandbox;
  TTestFolder Folder{"admin"};
  TBoxAnswers Boxes;
  TfrmMain* Form = nullptr;

  void SetUp() override {
    IsAdministrator = false;
    DeleteFileA(AlertFile().c_str());
  }
  void TearDown() override {
    FreeDialogs();
    if (Form) FreeMainWindow(Form);
    DeleteFileA(AlertFile().c_str());
  }
  static std::string AlertFile() { return AddBackslash(GetWindowsDir()) + GetLogInName() + ".yOZ"; }
  // The board with its user (the administrator), BOB in Support and CAROL in Sales.
  void Start() {
    WriteTestSettings(Folder.Path(), 0, 0);
    Form = MakeMainWindow();
    ASSERT_FALSE(Form->ShuttingDown);
    AddUser(Folder.Path(), "BOB", "Available", "Support");
    AddUser(Folder.Path(), "CAROL", "At lunch", "Sales");
    yOZDepartment->CreateDepartmentFile();
    for (const char* d : {"Sales", "Support"}) yOZDepartment->AddDepartment(d);
    yOZFile->FillMainList(Form->Board());
    MakeDialogs();
  }
  int BoardRow(const std::string& LogInName) {
    for (int i = 0; i < Form->Board()->RowCount(); ++i)
      if (Form->Board()->Row(i).SubItem(bsLogInName) == LogInName) return i;
    return -1;
  }
  std::vector<std::string> TreeDepartments() {
    std::vector<std::string> r;
    TTreeNode* root = Form->tvMain->Items()->GetFirstNode();
    for (TTreeNode* n = root ? root->GetFirstChild() : nullptr; n; n = n->GetNextSibling()) r.push_back(n->Text());
    std::sort(r.begin(), r.end());
    return r;
  }
};

// --- users -----------------------------------------------------------------------------------------

TEST_F(AdminDialogs, UsersDialogListsEveryUserAndShowsTheClickedOne) {
  Start();
  auto* d = frmyOZUsers;
  d->Show();
  EXPECT_EQ(Entries(d->lbUsers->Items()), (std::vector<std::string>{"BOB", "CAROL", Login()}));
  // Every status, "Offline" too, and every department.
  EXPECT_GE(ItemOf(d->cboStatus->Items(), "Offline"), 0);
  EXPECT_EQ(d->cboStatus->Items()->Count(), 10);
  EXPECT_EQ(Entries(d->cboDepartment->Items()), (std::vector<std::string>{"Sales", "Support"}));
  IdleUpdate();
  EXPECT_FALSE(d->actUpdate->Enabled());
  EXPECT_FALSE(d->actDelete->Enabled());

  ClickItem(d->lbUsers, "CAROL");
  EXPECT_EQ(d->txtName->Text(), "CAROL");
  EXPECT_EQ(d->txtUserName->Text(), "CAROL");
  EXPECT_EQ(d->cboStatus->Text(), "At lunch");
  EXPECT_EQ(d->cboDepartment->Text(), "Sales");
  EXPECT_FALSE(d->chkboxAdministrator->Checked());
  ClickItem(d->lbUsers, Login());
  EXPECT_TRUE(d->chkboxAdministrator->Checked());
  EXPECT_EQ(d->cboDepartment->ItemIndex(), -1);  // no department: no choice
  IdleUpdate();
  EXPECT_TRUE(d->actUpdate->Enabled());
  EXPECT_TRUE(d->actDelete->Enabled());
  // The clear button empties the comment.
  Type(d->txtComments, "gone fishing");
  Press(d->BitBtnClear);
  EXPECT_EQ(d->txtComments->Text(), "");
  d->Hide();
}

TEST_F(AdminDialogs, UpdateWritesTheUserAndRefillsTheBoard) {
  Start();
  auto* d = frmyOZUsers;
  d->Show();
  ClickItem(d->lbUsers, "BOB");
  Type(d->txtExtension, "4711");
  Type(d->txtComments, "new desk");
  d->cboDepartment->SetItemIndex(ItemOf(d->cboDepartment->Items(), "Sales"));
  d->cboStatus->SetItemIndex(ItemOf(d->cboStatus->Items(), "In meeting"));
  SendMessageA(d->chkboxAdministrator->Handle(), BM_CLICK, 0, 0);
  ASSERT_TRUE(Press(d->btnUpdate));

  TUserRec bob = ReadUser(Folder.Path(), "BOB");
  EXPECT_EQ(bob.Extension(), "4711");
  EXPECT_EQ(bob.Comments(), "new desk");
  EXPECT_EQ(bob.Department(), "Sales");
  EXPECT_EQ(bob.Status(), "In meeting");
  EXPECT_EQ(bob.Administrator(), 1);
  // The logged-in user in memory is still himself.
  EXPECT_EQ(yOZCurrentUser->LogInName, Login());
  // The board shows it at once; the dialog is ready for the next user.
  int row = BoardRow("BOB");
  ASSERT_GE(row, 0);
  EXPECT_EQ(Form->Board()->Row(row).SubItem(bsExt), "4711");
  EXPECT_EQ(Form->Board()->Row(row).SubItem(bsDepartment), "Sales");
  EXPECT_EQ(d->txtName->Text(), "");
  EXPECT_EQ(d->txtUserName->Text(), "");
  EXPECT_EQ(d->cboStatus->ItemIndex(), -1);
  EXPECT_FALSE(d->chkboxAdministrator->Checked());
  EXPECT_EQ(d->lbUsers->ItemIndex(), -1);
  IdleUpdate();
  EXPECT_FALSE(d->actUpdate->Enabled());
  d->Hide();
}

TEST_F(AdminDialogs, AStoredValueTheListsLackSurvivesAnEditOfOtherDetails) {
  Start();
  WriteStatus(Folder.Path(), "BOB", "On vacation");  // built in, but not a row of the status list
  auto* d = frmyOZUsers;
  d->Show();
  ClickItem(d->lbUsers, "BOB");
  EXPECT_EQ(d->cboStatus->ItemIndex(), -1);
  Type(d->txtExtension, "12");
  ASSERT_TRUE(Press(d->btnUpdate));
  TUserRec bob = ReadUser(Folder.Path(), "BOB");
  EXPECT_EQ(bob.Status(), "On vacation");
  EXPECT_EQ(bob.Department(), "Support");
  EXPECT_EQ(bob.Extension(), "12");
  d->Hide();
}

TEST_F(AdminDialogs, DeleteRules) {
  Start();
  auto* d = frmyOZUsers;
  d->Show();
  // The only administrator is refused, with the exact text.
  ClickItem(d->lbUsers, Login());
  ASSERT_TRUE(Press(d->btnDelete));
  ASSERT_EQ(Boxes.Shown.size(), 1u);
  EXPECT_EQ(Boxes.Shown[0].Text,
            "This user is the only Administrator within yOZ.\r\rPlease make another user and Administrator before "
            "deleting this user");
  EXPECT_EQ(Boxes.Shown[0].Type, mtError);
  EXPECT_FALSE(Boxes.Shown[0].YesNo);
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).LogInName(), Login());

  // A plain user: asked first; No keeps him, Yes deletes him and refills the list.
  struct {
    int Answer;
    bool Kept;
  } cases[] = {{mrNo, true}, {mrYes, false}};
  for (auto c : cases) {
    Boxes.Shown.clear();
    Boxes.Answers = {c.Answer};
    ClickItem(d->lbUsers, "CAROL");
    ASSERT_TRUE(Press(d->btnDelete));
    ASSERT_EQ(Boxes.Shown.size(), 1u);
    EXPECT_EQ(Boxes.Shown[0].Text, "Are you sure you want to delete \"CAROL \"");
    EXPECT_EQ(Boxes.Shown[0].Type, mtInformation);
    EXPECT_TRUE(Boxes.Shown[0].YesNo);
    EXPECT_EQ(ReadUser(Folder.Path(), "CAROL").LogInName() == "CAROL", c.Kept);
    EXPECT_EQ(ItemOf(d->lbUsers->Items(), "CAROL") >= 0, c.Kept);
    // Once deleted, her details are gone from the dialog too.
    EXPECT_EQ(d->txtUserName->Text() == "CAROL", c.Kept);
    if (!c.Kept) {
      for (TCustomEdit* e : {(TCustomEdit*)d->txtName, (TCustomEdit*)d->txtUserName, (TCustomEdit*)d->txtComments,
                             (TCustomEdit*)d->txtExtension, (TCustomEdit*)d->txtStatus, (TCustomEdit*)d->txtDepartment})
        EXPECT_EQ(e->Text(), "") << e->Name();
      EXPECT_EQ(d->cboStatus->ItemIndex(), -1);
      EXPECT_EQ(d->cboDepartment->ItemIndex(), -1);
    }
  }

  // With a second administrator the first one may go.
  WriteStatus(Folder.Path(), "BOB", "Available");
  {
    TUser bob;
    bob.Name = bob.LogInName = "BOB";
    bob.Status = "Available";
    bob.Administrator = 1;
    yOZFile->UpdateUser(&bob);
  }
  d->Hide();
  d->Show();
  Boxes.Shown.clear();
  ClickItem(d->lbUsers, Login());
  ASSERT_TRUE(Press(d->btnDelete));
  ASSERT_EQ(Boxes.Shown.size(), 1u);
  EXPECT_TRUE(Boxes.Shown[0].YesNo);
  EXPECT_EQ(Entries(d->lbUsers->Items()), (std::vector<std::string>{"BOB"}));
  // The last user in the list cannot be deleted at all.
  ClickItem(d->lbUsers, "BOB");
  EXPECT_FALSE(Press(d->btnDelete));
  d->Hide();
}

// Update refuses what Delete refuses (the last administrator losing his rights) and a blank name; an
// administrator among several may give his rights up.
TEST_F(AdminDialogs, UpdateKeepsTheLastAdministratorAndANameOnEveryRow) {
  Start();
  auto* d = frmyOZUsers;
  d->Show();
  ClickItem(d->lbUsers, Login());
  d->chkboxAdministrator->SetChecked(false);
  ASSERT_TRUE(Press(d->btnUpdate));
  ASSERT_EQ(Boxes.Shown.size(), 1u);
  EXPECT_EQ(Boxes.Shown[0].Text,
            "This user is the only Administrator within yOZ.\r\rPlease make another user an Administrator before "
            "removing this user's Administrator rights");
  EXPECT_EQ(Boxes.Shown[0].Type, mtError);
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Administrator(), 1);

  // A name of blanks: Update cannot be pressed.
  ClickItem(d->lbUsers, "CAROL");
  Type(d->txtName, "   ");
  EXPECT_FALSE(Press(d->btnUpdate));
  Type(d->txtName, "Carol");
  ASSERT_TRUE(Press(d->btnUpdate));
  EXPECT_EQ(ReadUser(Folder.Path(), "CAROL").Name(), "Carol");

  // With BOB an administrator too, the first one may give the rights up.
  ClickItem(d->lbUsers, "BOB");
  d->chkboxAdministrator->SetChecked(true);
  ASSERT_TRUE(Press(d->btnUpdate));
  ClickItem(d->lbUsers, Login());
  d->chkboxAdministrator->SetChecked(false);
  ASSERT_TRUE(Press(d->btnUpdate));
  EXPECT_EQ(Boxes.Shown.size(), 1u);
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Administrator(), 0);
  d->Hide();
}

// --- departments and statuses ----------------------------------------------------------------------

TEST_F(AdminDialogs, DepartmentsAddRenameDeleteAndTheTreeFollowsOnClose) {
  Start();
  auto* d = frmyOZDepartments;
  d->Show();
  EXPECT_EQ(Entries(d->lstDepartments->Items()), (std::vector<std::string>{"Sales", "Support"}));
  Type(d->txtDepartment, "Finance");
  ASSERT_TRUE(Press(d->btnAdd));
  EXPECT_EQ(Entries(d->lstDepartments->Items()), (std::vector<std::string>{"Finance", "Sales", "Support"}));
  // A duplicate is refused with the store's warning; the list stays.
  ASSERT_TRUE(Press(d->btnAdd));
  EXPECT_TRUE(Boxes.Contains("Department \"Finance\" already exists"));
  EXPECT_EQ(d->lstDepartments->Items()->Count(), 3);

  ClickItem(d->lstDepartments, "Finance");
  EXPECT_EQ(d->txtSelectedItem->Text(), "Finance");
  Type(d->txtDepartment, "Finance UK");
  ASSERT_TRUE(Press(d->btnUpdate));
  EXPECT_EQ(Entries(d->lstDepartments->Items()), (std::vector<std::string>{"Finance UK", "Sales", "Support"}));

  for (int answer : {int(mrNo), int(mrYes)}) {
    Boxes.Shown.clear();
    Boxes.Answers = {answer};
    ClickItem(d->lstDepartments, "Finance UK");
    ASSERT_TRUE(Press(d->btnDelete));
    ASSERT_EQ(Boxes.Shown.size(), 1u);
    EXPECT_EQ(Boxes.Shown[0].Text, "Are you sure you want to delete the Department \"Finance UK\"");
    EXPECT_EQ(Boxes.Shown[0].Type, mtInformation);
    EXPECT_EQ(ItemOf(d->lstDepartments->Items(), "Finance UK") >= 0, answer == mrNo);
  }
  // The tree has not seen any of it until the dialog closes.
  EXPECT_EQ(TreeDepartments(), (std::vector<std::string>{}));
  d->Hide();
  WhenModal([&] { Press(d->btnClose); });
  d->ShowModal();
  EXPECT_EQ(TreeDepartments(), (std::vector<std::string>{"Sales", "Support"}));
  // Even with nothing changed here, closing rebuilds the tree (another machine added one), also by Esc.
  yOZDepartment->AddDepartment("Legal");
  WhenModal([&] {
    PostMessageA(d->txtDepartment->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(d->txtDepartment->Handle(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
  });
  d->ShowModal();
  EXPECT_EQ(TreeDepartments(), (std::vector<std::string>{"Legal", "Sales", "Support"}));
}

TEST_F(AdminDialogs, BlankEntriesAndMissingSelectionsDisableTheActions) {
  Start();
  struct Case {
    const char* Entry;
    bool Select;
    bool Add, Update, Delete;
  } cases[] = {
      {"", false, false, false, false},       {"   ", false, false, false, false},
      {"Legal", false, true, false, false},   {"", true, false, false, true},
      {"  ", true, false, false, true},        {"Legal", true, true, true, true},
  };
  auto* d = frmyOZDepartments;
  d->Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("entry '") + c.Entry + "', selected " + (c.Select ? "yes" : "no"));
    d->Hide();
    d->Show();  // a fresh list has no selection
    if (c.Select) ClickItem(d->lstDepartments, "Sales");
    Type(d->txtDepartment, c.Entry);
    IdleUpdate();
    EXPECT_EQ(d->actAdd->Enabled(), c.Add);
    EXPECT_EQ(d->actUpdate->Enabled(), c.Update);
    EXPECT_EQ(d->actDelete->Enabled(), c.Delete);
  }
  d->Hide();
}

TEST_F(AdminDialogs, StatusesKeepTheBuiltInOnesAndNeverListOffline) {
  Start();
  auto* d = frmyOZStatuses;
  d->Show();
  EXPECT_EQ(ItemOf(d->lstStatuses->Items(), "Offline"), -1);
  EXPECT_EQ(d->lstStatuses->Items()->Count(), 9);
  // Every listed status is built in: neither renamed nor deleted, whatever is typed.
  Type(d->txtStatus, "Renamed");
  for (const std::string& s : Entries(d->lstStatuses->Items())) {
    SCOPED_TRACE(s);
    ClickItem(d->lstStatuses, s);
    IdleUpdate();
    EXPECT_TRUE(d->actAdd->Enabled());
    EXPECT_FALSE(d->actUpdate->Enabled());
    EXPECT_FALSE(d->actDelete->Enabled());
  }
  // A status of our own can be.
  Type(d->txtStatus, "Training");
  ASSERT_TRUE(Press(d->btnAdd));
  ClickItem(d->lstStatuses, "Training");
  Type(d->txtStatus, "Course");
  ASSERT_TRUE(Press(d->btnUpdate));
  EXPECT_GE(ItemOf(d->lstStatuses->Items(), "Course"), 0);
  EXPECT_EQ(ItemOf(d->lstStatuses->Items(), "Training"), -1);
  Boxes.Answers = {mrYes};
  ClickItem(d->lstStatuses, "Course");
  ASSERT_TRUE(Press(d->btnDelete));
  EXPECT_TRUE(Boxes.Contains("Are you sure you want to delete the Status \"Course\""));
  EXPECT_EQ(ItemOf(d->lstStatuses->Items(), "Course"), -1);
  // A duplicate is the store's exception, shown by the exception event; the list stays.
  Boxes.Shown.clear();
  Type(d->txtStatus, "DND");
  ASSERT_TRUE(Press(d->btnAdd));
  EXPECT_TRUE(Boxes.Contains("The following error occurred within yOZ - Status \"DND\" already exists"));
  EXPECT_EQ(d->lstStatuses->Items()->Count(), 9);
  d->Hide();
}

// --- pickers and the alert viewer ------------------------------------------------------------------

TEST_F(AdminDialogs, CustomStatusIsChosenWithOneClickAndCloseChangesNothing) {
  Start();
  yOZStatus->CreateStatusFile();
  yOZStatus->AddStatus("Training");
  Form->tmrUpdateListView->SetEnabled(false);
  // Close: nothing changes and the board timer runs again.
  WhenModal([] { Press(frmSelectStatus->btnClose); });
  Form->actCustomStatus->Execute();
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Available");
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
  // One click on a row chooses it; the main window applies it.
  bool offline = true;
  WhenModal([&] {
    offline = ItemOf(frmSelectStatus->lbSelectStatus->Items(), "Offline") >= 0;
    ClickItem(frmSelectStatus->lbSelectStatus, "Training");
  });
  Form->actCustomStatus->Execute();
  EXPECT_FALSE(offline);
  EXPECT_EQ(ReadUser(Folder.Path(), Login()).Status(), "Training");
  EXPECT_EQ(Form->Board()->Row(BoardRow(Login())).SubItem(bsStatus), "Training");
  EXPECT_EQ(frmSelectStatus->txtSelectedStatus->Text(), "Training");
}

TEST_F(AdminDialogs, StatusPickerReopensWhereItWasLeftAcrossRuns) {
  Start();
  // The first run: the defaults.
  EXPECT_EQ(frmSelectStatus->Height(), 289);
  EXPECT_EQ(frmSelectStatus->Left(), 240);
  EXPECT_EQ(frmSelectStatus->Top(), 118);
  EXPECT_EQ(frmSelectStatus->Width(), 242);
  frmSelectStatus->SetBounds(300, 200, 260, 320);
  FreeDialogs();  // the program ends
  TyOZCB cb;
  TyOZCBRec rec;
  cb.LoadSettings(rec);
  EXPECT_EQ(rec.CustomLeft, 300);
  EXPECT_EQ(rec.CustomTop, 200);
  EXPECT_EQ(rec.CustomWidth, 260);
  EXPECT_EQ(rec.CustomHeight, 320);
  MakeDialogs();  // the next run
  EXPECT_EQ(frmSelectStatus->Left(), 300);
  EXPECT_EQ(frmSelectStatus->Top(), 200);
  EXPECT_EQ(frmSelectStatus->Width(), 260);
  EXPECT_EQ(frmSelectStatus->Height(), 320);
}

TEST_F(AdminDialogs, DepartmentPickerFiltersAndItsCloseRemovesTheFilter) {
  Start();
  std::vector<std::string> listed;
  WhenModal([&] {
    listed = Entries(frmSelectDepartment->ListBoxSelectDepartment->Items());
    ClickItem(frmSelectDepartment->ListBoxSelectDepartment, "Sales");
  });
  Form->actFilterDepartment->Execute();
  EXPECT_EQ(listed, (std::vector<std::string>{"Sales", "Support"}));  // no "Departments" root
  EXPECT_EQ(Form->Caption(), "yOZ - Filtered on Sales");
  EXPECT_TRUE(yOZDepartment->FilterActive);
  EXPECT_EQ(yOZDepartment->FilterDepartment, "Sales");
  ASSERT_EQ(Form->Board()->RowCount(), 1);
  EXPECT_EQ(Form->Board()->Row(0).Caption, "CAROL");
  EXPECT_EQ(frmSelectDepartment->txtSelectedDepartment->Text(), "Sales");
  // The board timer's refill keeps the filter.
  Form->RefillBoard();
  EXPECT_EQ(Form->Board()->RowCount(), 1);

  WhenModal([] { Press(frmSelectDepartment->btnClose); });
  Form->actFilterDepartment->Execute();
  EXPECT_EQ(Form->Caption(), "yOZ - All Departments");
  EXPECT_FALSE(yOZDepartment->FilterActive);
  EXPECT_EQ(yOZDepartment->FilterDepartment, "");
  EXPECT_EQ(Form->Board()->RowCount(), 3);
}

TEST_F(AdminDialogs, AlertViewerShowsTheWatchedUsersWithTheirCurrentNames) {
  Start();
  Form->AlertList->AddAlert("BOB", "old name", "Available");
  Form->AlertList->AddAlert("CAROL", "CAROL", "At lunch");
  std::string text;
  std::vector<std::string> names;
  WhenModal([&] {
    auto* f = dynamic_cast<TfrmAlerts*>(Screen->ActiveForm());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Caption(), "Alerts");
    text = f->lblUsers->Caption();
    names = Entries(f->lstAlerts->Items());
    Press(f->btnClose);
  });
  Form->actViewAlertList->Execute();
  EXPECT_EQ(text, "You will be notified when any \rof the following users update their status.");
  EXPECT_EQ(names, (std::vector<std::string>{"BOB", "CAROL"}));
}

// --- the main window's commands --------------------------------------------------------------------

TEST_F(AdminDialogs, EveryCommandOpensItsDialogModally) {
  Start();
  struct {
    TAction* Action;
    TForm* Dialog;
    const char* Caption;
  } cases[] = {
      {Form->actUsers, frmyOZUsers, "Administer Users"},
      {Form->actDepartments, frmyOZDepartments, "Administer Departments"},
      {Form->actStatuses, frmyOZStatuses, "Administer Statuses"},
      {Form->actFilterDepartment, frmSelectDepartment, "Please select Department"},
      {Form->actCustomStatus, frmSelectStatus, "Please select status"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Caption);
    bool modal = false;
    std::string caption;
    WhenModal([&] {
      modal = c.Dialog->Modal() && c.Dialog->Visible();
      caption = c.Dialog->Caption();
      c.Dialog->Close();
    });
    c.Action->Execute();
    EXPECT_TRUE(modal);
    EXPECT_EQ(caption, c.Caption);
    EXPECT_FALSE(c.Dialog->Visible());
  }
}

// Every control of every dialog lies inside the dialog's client area as it is shown.
TEST_F(AdminDialogs, EveryControlIsInSight) {
  Start();
  for (TForm* d : std::initializer_list<TForm*>{frmyOZUsers, frmyOZDepartments, frmyOZStatuses, frmSelectStatus,
                                                frmSelectDepartment}) {
    SCOPED_TRACE(d->Caption());
    d->Show();
    RECT client;
    GetClientRect(d->Handle(), &client);
    for (int i = 0; i < d->ComponentCount(); ++i) {
      auto* c = dynamic_cast<TControl*>(d->Components(i));
      if (!c || !c->Visible() || c->Parent() != d) continue;
      SCOPED_TRACE(c->Name());
      EXPECT_GE(c->Left(), 0);
      EXPECT_GE(c->Top(), 0);
      EXPECT_LE(c->Left() + c->Width(), client.right);
      EXPECT_LE(c->Top() + c->Height(), client.bottom);
    }
    d->Hide();
  }
}

TEST_F(AdminDialogs, DepartmentDeletedMeanwhileKeepsTheFilterAsItWas) {
  Start();
  std::string caption = Form->Caption();
  WhenModal([&] {
    // Another machine deletes Sales while the picker shows it.
    TStringList names;
    yOZDepartment->FillDepartmentList(&names);
    yOZDepartment->DeleteDepartment(EntryKey(&names, ItemOf(&names, "Sales")));
    ClickItem(frmSelectDepartment->ListBoxSelectDepartment, "Sales");
  });
  Form->actFilterDepartment->Execute();
  ASSERT_EQ(Boxes.Shown.size(), 1u);  // the store's error box
  EXPECT_EQ(Boxes.Shown[0].Type, mtError);
  EXPECT_FALSE(yOZDepartment->FilterActive);
  EXPECT_EQ(Form->Caption(), caption);
  EXPECT_EQ(Form->Board()->RowCount(), 3);
}

}  // namespace
