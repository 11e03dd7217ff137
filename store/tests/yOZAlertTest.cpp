#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "yOZAlert.h"

namespace {

TListRow BoardRow(const std::string& Name, const std::string& Status, const std::string& LogInName) {
  TListRow r;
  r.Caption = Name;
  r.SubItems = {Status, "Today 09:00", "", "", LogInName, ""};
  return r;
}

}  // namespace

TEST(AlertList, StatusChangeOfAWatchedUserIsReportedOnce) {
  TyOZAlert alerts;
  alerts.AddAlert("JSMITH", "Jo Smith", "In meeting");
  alerts.AddAlert("ABROWN", "Al Brown", "Available");
  TBoardRows board;
  board.Rows = {BoardRow("Jo Smith", "Available", "JSMITH"), BoardRow("Al Brown", "Available", "ABROWN"),
                BoardRow("Cy Doe", "Gone home", "CDOE")};
  alerts.CheckAlerts(&board);
  EXPECT_EQ(alerts.AlertText, "Jo Smith has changed status from \"In meeting\" to \"Available\"\r");
  EXPECT_EQ(alerts.Alerts->Strings(2), "Available");
  alerts.CheckAlerts(&board);
  EXPECT_EQ(alerts.AlertText, "");
}

TEST(AlertList, CaseOnlyChangesAndUsersOffTheBoardAreNotReported) {
  TyOZAlert alerts;
  alerts.AddAlert("JSMITH", "Jo Smith", "available");
  alerts.AddAlert("GONE", "Gone Person", "At lunch");
  TBoardRows board;
  board.Rows = {BoardRow("Jo Smith", "Available", "JSMITH")};
  alerts.CheckAlerts(&board);
  EXPECT_EQ(alerts.AlertText, "");
  EXPECT_EQ(alerts.Alerts->Strings(2), "available");
  EXPECT_EQ(alerts.Alerts->Strings(5), "At lunch");
  // The login on the board must match exactly.
  board.Rows = {BoardRow("Jo Smith", "DND", "jsmith")};
  alerts.CheckAlerts(&board);
  EXPECT_EQ(alerts.AlertText, "");
}

TEST(AlertList, EmptyLogInNameIsRefused) {
  TyOZAlert alerts;
  try {
    alerts.AddAlert(" \t", "Nobody", "Available");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "LogInName must have a value");
  }
  EXPECT_EQ(alerts.Alerts->Count(), 0);
}

TEST(AlertList, LookUpsIgnoreCaseAndNamesCanBeChanged) {
  TyOZAlert alerts;
  alerts.AddAlert("JSMITH", "Jo Smith", "Available");
  alerts.AddAlert("ABROWN", "Al Brown", "DND");
  EXPECT_EQ(alerts.IndexOf("jsmith"), 0);
  EXPECT_TRUE(alerts.Contains("abrown"));
  EXPECT_FALSE(alerts.Contains("CDOE"));
  EXPECT_EQ(alerts.IndexOf("dnd"), 5);  // any line may match
  EXPECT_EQ(alerts.GetName(3), "Al Brown");
  alerts.SetName("abrown", "Alan Brown");
  EXPECT_EQ(alerts.GetName(3), "Alan Brown");
  try {
    alerts.SetName("CDOE", "x");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Unable to find the user CDOE");
  }
  TStringList names;
  alerts.FillList(&names);
  ASSERT_EQ(names.Count(), 2);
  EXPECT_EQ(names.Strings(1), "Alan Brown");
  EXPECT_EQ(reinterpret_cast<intptr_t>(names.Objects(1)), 3);
}

TEST(AlertList, SavedAndLoadedAsLines) {
  TTempFolder dir("alert");
  TyOZAlert alerts;
  alerts.AddAlert("JSMITH", "Jo Smith", "Available");
  alerts.SaveToFile(dir.File("JSMITH.yOZ"));
  EXPECT_EQ(ReadWholeFile(dir.File("JSMITH.yOZ")), "JSMITH\r\nJo Smith\r\nAvailable\r\n");
  WriteWholeFile(dir.File("other.yOZ"), "A\r\nB\r\nC\r\nD\r\n");
  TyOZAlert loaded;
  loaded.LoadFromFile(dir.File("other.yOZ"));
  TStringList names;
  loaded.FillList(&names);
  EXPECT_EQ(names.Count(), 1);  // a trailing partial triple is ignored
  TBoardRows board;
  board.Rows = {BoardRow("B", "X", "D")};
  EXPECT_NO_THROW(loaded.CheckAlerts(&board));
  EXPECT_THROW(loaded.LoadFromFile(dir.File("missing.yOZ")), Exception);
}
