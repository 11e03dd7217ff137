// The shell base's unit start and end: the drag format is registered and shell32's entry points by
// ordinal are found, and let go again at the end.
#include <gtest/gtest.h>

#include "StShBase.h"

TEST(StShBaseTest, StartRegistersTheFormatAndFindsTheEntryPoints) {
  StShBaseInitialize();
  EXPECT_NE(StShellIDListFormat(), 0u);
  EXPECT_EQ(StShellIDListFormat(), RegisterClipboardFormatA("Shell IDList Array"));
  HMODULE shell32 = GetModuleHandleA("shell32.dll");
  ASSERT_TRUE(shell32);
  for (int ordinal : {18, 19, 25, 153, 16, 21, 17, 152, 155, 2, 4})
    EXPECT_EQ(StShellEntry(ordinal), GetProcAddress(shell32, MAKEINTRESOURCEA(ordinal))) << ordinal;
  EXPECT_EQ(StShellEntry(1), nullptr);   // not one the kit looks up
  StShBaseInitialize();                  // a second start changes nothing
  EXPECT_EQ(StShellEntry(152), GetProcAddress(shell32, MAKEINTRESOURCEA(152)));
  StShBaseFinalize();
  EXPECT_EQ(StShellEntry(152), nullptr);
}
