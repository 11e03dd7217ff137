#include <gtest/gtest.h>

#include "StBase.h"
#include "StSrMgr.h"

namespace {

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

std::string ErrorOf(HINSTANCE instance, const std::string& name) {
  try {
    TStStringResource r(instance, name);
  } catch (const ETpsStringResourceError& e) {
    return e.Message;
  }
  return "(no error)";
}

TEST(StStringResource, FindsEveryPositionOfTheIndexAndNothingBetween) {
  TStStringResource r(Self(), "FIVE_TABLE");
  EXPECT_EQ(r.Count(), 5u);
  EXPECT_EQ(r.GetString(10), "ten");      // first
  EXPECT_EQ(r.GetString(30), "thirty");   // middle
  EXPECT_EQ(r.GetString(50), "fifty");    // last
  EXPECT_EQ(r.GetString(20), "twenty");
  EXPECT_EQ(r.GetString(40), "forty");
  for (int missing : {-1, 0, 9, 11, 25, 45, 51, INT32_MIN, INT32_MAX}) EXPECT_EQ(r.GetString(missing), "") << missing;
}

TEST(StStringResource, EmptyTableAndEmptyNameGiveEmptyTexts) {
  TStStringResource empty(Self(), "EMPTY_TABLE");
  EXPECT_EQ(empty.GetString(0), "");
  EXPECT_EQ(empty.GetString(1), "");
  TStStringResource none(Self(), "");
  EXPECT_EQ(none.GetString(1), "");
}

TEST(StStringResource, ReportErrorRaisesForMissingIdentifier) {
  TStStringResource r(Self(), "FIVE_TABLE");
  r.ReportError = true;
  EXPECT_EQ(r.GetString(20), "twenty");
  try {
    r.GetString(21);
    FAIL() << "no exception";
  } catch (const ETpsStringResourceError& e) {
    EXPECT_EQ(e.Message, "String not found: 21");
  }
}

TEST(StStringResource, RefusesMissingAndMalformedTables) {
  EXPECT_EQ(ErrorOf(Self(), "NO_SUCH_TABLE"), "String resource not found: NO_SUCH_TABLE");
  EXPECT_EQ(ErrorOf(Self(), "WRONG_SIGNATURE"), "Invalid string resource");
  EXPECT_EQ(ErrorOf(Self(), "SHORT_INDEX"), "Invalid string resource");
  TStStringResource r(Self(), "TEXT_OUTSIDE");
  EXPECT_THROW(r.GetString(7), ETpsStringResourceError);
}

TEST(StStringResource, FallsBackToTheProgramsOwnModule) {
  // kernel32 holds no such table: the program's own copy is used.
  TStStringResource r(GetModuleHandleA("kernel32.dll"), "FIVE_TABLE");
  EXPECT_EQ(r.GetString(30), "thirty");
}

TEST(StStringResource, TextsAreBoundedByTheirLengthAndConvertedToTheCodePage) {
  TStStringResource r(Self(), "ODD_TEXTS");
  std::string cafe = r.GetString(1);
  char e_acute = 0;
  WideCharToMultiByte(CP_ACP, 0, L"\x00e9", 1, &e_acute, 1, nullptr, nullptr);
  EXPECT_EQ(cafe, std::string("caf") + e_acute);
  EXPECT_EQ(r.GetString(2), std::string("a\0b", 3));
}

TEST(StKitStrings, TheReadersOwnMessagesAreInTheProgram) {
  TStStringResource* own = SrMgrStrings();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->GetString(1), "String not found: %d");
  EXPECT_EQ(own->GetString(2), "Cannot lock resource");
  EXPECT_EQ(own->GetString(3), "String resource not found: %s");
  EXPECT_EQ(own->GetString(4), "Unable to open string resource: %s");
  EXPECT_EQ(own->GetString(5), "Invalid string resource");
}

TEST(StKitStrings, KitTextsByIdentifier) {
  EXPECT_EQ(StKitString(73), "Error opening file");
  EXPECT_EQ(StKitString(100), "File does not contain version info");
  EXPECT_EQ(StKitString(110), "Operation not supported in this version of the shell");
  EXPECT_EQ(StKitString(127), "&Close");
  EXPECT_EQ(StKitString(128), "&Restore");
  EXPECT_EQ(StKitString(134), "The specified key cannnot be found in version info");
  EXPECT_EQ(StKitString(135), "ImageList is not assigned");
  EXPECT_EQ(StKitString(0), "");
  EXPECT_EQ(StKitString(126), "");
  EXPECT_EQ(StKitString(-5), "");
}

TEST(StKitStrings, RaiseStErrorCarriesTextAndIdentifier) {
  try {
    RaiseStError<EStTrayIconError>(133);
  } catch (const EStException& e) {
    EXPECT_NE(dynamic_cast<const EStTrayIconError*>(&e), nullptr);
    EXPECT_EQ(e.Message, "Cannot have more than one StTrayIcon per application");
    EXPECT_EQ(e.ErrorCode, 133);
  }
  // Unknown identifiers never fail loudly: the message is simply empty.
  try {
    RaiseStError<EStShellError>(9999);
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "");
    EXPECT_EQ(static_cast<const EStException&>(e).ErrorCode, 9999);
  }
}

TEST(StKitStrings, TablesSurviveFinalizeAndReinitialize) {
  StBaseFinalize();
  StBaseInitialize();
  EXPECT_EQ(StKitString(119), "Error adding tray icon");
  EXPECT_EQ(ErrorOf(Self(), "NOPE"), "String resource not found: NOPE");
}

TEST(StComponent, VersionIsFixedAndNeverStored) {
  TStComponent c(nullptr);
  EXPECT_EQ(c.Version(), "3.02");
  const TPropInfo* p = TStComponent::StaticClass()->FindProp("Version");
  ASSERT_NE(p, nullptr);
  p->SetStr(&c, "9.99");
  EXPECT_EQ(p->GetStr(&c), "3.02");
  EXPECT_FALSE(p->IsStored(&c));
}

}  // namespace
