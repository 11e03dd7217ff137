#include <gtest/gtest.h>

#include <memory>

#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "yOZFile.h"
#include "yOZStatusesObj.h"

namespace {

class StatusTest : public ::testing::Test {
protected:
  void SetUp() override {
    RecordMessageBoxes();
    Database = std::make_unique<TyOZFile>(Db.Path());
    Statuses = std::make_unique<TYOZStatus>(Database.get());
  }
  std::vector<std::string> Texts(TStrings* s) {
    std::vector<std::string> out;
    for (int i = 0; i < s->Count(); ++i) out.push_back(s->Strings(i));
    return out;
  }
  TTempFolder Db{"stat"};
  std::unique_ptr<TyOZFile> Database;
  std::unique_ptr<TYOZStatus> Statuses;
};

}  // namespace

TEST_F(StatusTest, NewDatabaseIsSeededOnce) {
  Statuses->CreateStatusFile();
  TStringList list;
  Statuses->FillStatusList(&list);
  const std::vector<std::string> seeds = {"At lunch",   "Available", "Away from desk", "DND",           "Gone home",
                                          "In meeting", "Offline",   "On holiday",     "Out of office", "Off sick"};
  EXPECT_EQ(Texts(&list), seeds);
  for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(reinterpret_cast<intptr_t>(list.Objects(i)), i + 1);
  EXPECT_EQ(Statuses->ReadStatus(10), "Off sick");
  Statuses->CreateStatusFile();
  Statuses->FillStatusList(&list);
  EXPECT_EQ(list.Count(), 10);
}

TEST_F(StatusTest, SelectableListLeavesOutOffline) {
  Statuses->CreateStatusFile();
  Statuses->AddStatus("Working from home");
  TStringList list;
  list.Add("stale entry");
  Statuses->FillSelectableStatuses(&list);
  auto texts = Texts(&list);
  ASSERT_EQ(texts.size(), 10u);
  EXPECT_EQ(std::find(texts.begin(), texts.end(), "Offline"), texts.end());
  EXPECT_EQ(texts.back(), "Working from home");
  EXPECT_EQ(reinterpret_cast<intptr_t>(list.Objects(9)), 11);
}

TEST_F(StatusTest, AddRenameDeleteCustomStatuses) {
  Statuses->CreateStatusFile();
  EXPECT_EQ(Raised([&] { Statuses->AddStatus("DND"); }), "Status \"DND\" already exists");
  Statuses->AddStatus("Training");
  Statuses->ReplaceStatus("Training", "Course");
  EXPECT_EQ(Statuses->ReadStatus(11), "Course");
  EXPECT_EQ(Raised([&] { Statuses->ReplaceStatus("Training", "X"); }),
            "Unable to locate Status Training\r\rObject not found");
  Statuses->DeleteStatus(11);
  EXPECT_EQ(Raised([&] { Statuses->ReadStatus(11); }), "Unable to read Status\r\rObject not found");
  EXPECT_EQ(Raised([&] { Statuses->DeleteStatus(11); }), "Unable to erase status\r\rObject not found");
  TStringList list;
  Statuses->FillStatusList(&list);
  EXPECT_EQ(list.Count(), 10);
  EXPECT_FALSE(Statuses->StatusFile->Opened);
}

TEST_F(StatusTest, BuiltInStatusesAreExact) {
  EXPECT_TRUE(Statuses->IsBuiltInStatus("On vacation"));
  EXPECT_TRUE(Statuses->IsBuiltInStatus("Offline"));
  EXPECT_TRUE(Statuses->IsBuiltInStatus("Off sick"));
  EXPECT_FALSE(Statuses->IsBuiltInStatus("available"));
  EXPECT_FALSE(Statuses->IsBuiltInStatus("Training"));
  EXPECT_FALSE(Statuses->IsBuiltInStatus(""));
}

TEST_F(StatusTest, WithoutTheFileEveryOperationSaysSo) {
  EXPECT_EQ(Raised([&] { Statuses->AddStatus("X"); }).rfind("Unable to open Status dataset - ", 0), 0u);
  TStringList list;
  EXPECT_EQ(Raised([&] { Statuses->FillStatusList(&list); }).rfind("Unable to open Status dataset - ", 0), 0u);
}

// Copies opening their status lists at once on a new database: one creates and seeds the file, the
// others neither fail nor seed it again.
TEST(StatusRace, FileCreatedAtOnceBySeveralCopiesIsSeededOnce) {
  RecordMessageBoxes();
  constexpr int Copies = 6;
  for (int round = 0; round < 3; ++round) {
    TTempFolder db("statrace");
    TyOZFile database(db.Path());
    std::vector<std::unique_ptr<TYOZStatus>> copies;
    for (int i = 0; i < Copies; ++i) copies.push_back(std::make_unique<TYOZStatus>(&database));
    std::vector<std::string> raised = RunAtOnce(Copies, [&](int i) { copies[i]->CreateStatusFile(); });
    EXPECT_TRUE(raised.empty()) << raised.front();
    TStringList list;
    copies[0]->FillStatusList(&list);
    EXPECT_EQ(list.Count(), 10);
  }
}

// A custom status named like a listed one but for case or blanks (a custom "dnd" would count as the
// built-in "DND" and could never be renamed or deleted) is refused with Add's message; names are kept
// trimmed, and an entry may change its own case.
TEST_F(StatusTest, RenameOntoAListedNameIsRefusedAsAddRefusesIt) {
  Statuses->CreateStatusFile();
  EXPECT_EQ(Raised([&] { Statuses->AddStatus(" dnd "); }), "Status \"dnd\" already exists");
  Statuses->AddStatus("  Training ");
  EXPECT_EQ(Statuses->ReadStatus(11), "Training");
  EXPECT_EQ(Raised([&] { Statuses->ReplaceStatus("Training", "DND"); }), "Status \"DND\" already exists");
  EXPECT_EQ(Raised([&] { Statuses->ReplaceStatus("Training", " in Meeting"); }),
            "Status \"in Meeting\" already exists");
  EXPECT_EQ(Statuses->ReadStatus(11), "Training");
  Statuses->ReplaceStatus("Training", "TRAINING ");
  EXPECT_EQ(Statuses->ReadStatus(11), "TRAINING");
  TStringList list;
  Statuses->FillStatusList(&list);
  EXPECT_EQ(list.Count(), 11);
  EXPECT_FALSE(Statuses->StatusFile->Opened);
}
