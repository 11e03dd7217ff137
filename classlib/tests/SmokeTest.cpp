#include <gtest/gtest.h>
#include <windows.h>
int SmokeAnswer();
TEST(Smoke, Runs) { EXPECT_EQ(42, SmokeAnswer()); HWND h = CreateWindowA("STATIC", "x", WS_POPUP, 0,0,10,10, 0,0,0,0); EXPECT_NE(nullptr, h); }
