#include <gtest/gtest.h>

#include <memory>

#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "yOZDepartmentObj.h"

namespace {

// The department store finds its folder in the per-user settings.
class DepartmentTest : public ::testing::Test {
protected:
  void SetUp() override {
    RecordMessageBoxes();
    SetDatabaseFolder(Db.Path().substr(0, Db.Path().size() - 1));  // the store adds the backslash
    Departments = std::make_unique<TYOZDepartment>();
  }
  std::vector<std::string> Texts(TStrings* s) {
    std::vector<std::string> out;
    for (int i = 0; i < s->Count(); ++i) out.push_back(s->Strings(i));
    return out;
  }
  TRegistrySandbox Sandbox;
  TTempFolder Db{"dept"};
  std::unique_ptr<TYOZDepartment> Departments;
};

}  // namespace

TEST_F(DepartmentTest, NewFileGivesOnlyTheTopNode) {
  EXPECT_FALSE(Departments->FilterActive);
  EXPECT_EQ(Departments->FilterDepartment, "");
  Departments->CreateDepartmentFile();
  EXPECT_TRUE(FileExists(Db.File("yOZDeps.isd")));
  TRecordingTree tree;
  tree.Nodes = {"old"};
  Departments->FillDepartmentTree(&tree);
  EXPECT_EQ(tree.Nodes, std::vector<std::string>{"Departments"});
}

TEST_F(DepartmentTest, AddRenameDeleteAndFill) {
  Departments->CreateDepartmentFile();
  Departments->AddDepartment("Sales");
  Departments->AddDepartment("Accounts");
  Departments->CreateDepartmentFile();  // an existing file is left as it is
  Departments->AddDepartment("Sales");
  ASSERT_EQ(ShownMessageBoxes.size(), 1u);
  EXPECT_EQ(ShownMessageBoxes[0], "Department \"Sales\" already exists");

  TStringList list;
  Departments->FillDepartmentList(&list);
  EXPECT_EQ(Texts(&list), (std::vector<std::string>{"Sales", "Accounts"}));
  EXPECT_EQ(reinterpret_cast<intptr_t>(list.Objects(1)), 2);

  Departments->ReplaceDepartment("Sales", "Sales UK");
  EXPECT_EQ(Departments->ReadDepartment(1), "Sales UK");
  EXPECT_EQ(Departments->SelectDepartment(2), "Accounts");
  EXPECT_EQ(Raised([&] { Departments->ReplaceDepartment("Sales", "X"); }),
            "Unable to locate the department Sales\r\rObject not found");

  Departments->DeleteDepartment(1);
  TStringList combo;
  Departments->FillDepartmentCombo(&combo);
  EXPECT_EQ(Texts(&combo), std::vector<std::string>{"Accounts"});
  EXPECT_EQ(Raised([&] { Departments->DeleteDepartment(1); }), "Unable to erarse department\r\rObject not found");
  EXPECT_EQ(Raised([&] { Departments->ReadDepartment(1); }), "Unable to locate department \r\rObject not found");

  TRecordingTree tree;
  Departments->FillDepartmentTree(&tree);
  EXPECT_EQ(tree.Nodes, (std::vector<std::string>{"Departments", "  Accounts"}));
  EXPECT_FALSE(Departments->DepartmentFile->Opened);
}

TEST_F(DepartmentTest, FailedSelectShowsErrorBoxAndReturnsNothing) {
  Departments->CreateDepartmentFile();
  ShownMessageBoxes.clear();
  EXPECT_EQ(Departments->SelectDepartment(7), "");
  ASSERT_EQ(ShownMessageBoxes.size(), 1u);
  EXPECT_EQ(ShownMessageBoxes[0], "Object not found\r");
}

TEST_F(DepartmentTest, MissingFileFailsOnTheClosedHandle) {
  EXPECT_EQ(Raised([&] { Departments->AddDepartment("Sales"); }),
            "Unable to Add the department Sales - Invalid dataset reference");
}

// A name that differs from a listed one only by case or surrounding blanks is the same department:
// neither Add nor a rename makes a second entry of it, and names are kept trimmed.
TEST_F(DepartmentTest, RenameOntoAListedNameIsRefusedAsAddRefusesIt) {
  Departments->CreateDepartmentFile();
  Departments->AddDepartment("Sales");
  Departments->AddDepartment("  Accounts ");
  ShownMessageBoxes.clear();
  Departments->ReplaceDepartment("Accounts", " sales ");
  Departments->AddDepartment("SALES");
  EXPECT_EQ(ShownMessageBoxes,
            (std::vector<std::string>{"Department \"sales\" already exists", "Department \"SALES\" already exists"}));
  TStringList list;
  Departments->FillDepartmentList(&list);
  EXPECT_EQ(Texts(&list), (std::vector<std::string>{"Sales", "Accounts"}));

  // The entry itself may change its case.
  Departments->ReplaceDepartment("Sales", "SALES ");
  Departments->FillDepartmentList(&list);
  EXPECT_EQ(Texts(&list), (std::vector<std::string>{"SALES", "Accounts"}));
  EXPECT_EQ(ShownMessageBoxes.size(), 2u);
}
