#include <gtest/gtest.h>

#include "SysUtils.h"

TEST(Exceptions, HierarchyAndMessages) {
  try {
    throw EFOpenError("cannot open");
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "cannot open");
    EXPECT_EQ(e.Message, "cannot open");
  }
  EXPECT_THROW(Abort(), EAbort);
  EXPECT_THROW(OleCheck(E_FAIL), EOleSysError);
  EXPECT_NO_THROW(OleCheck(S_FALSE));
  EXPECT_EQ(EIntOverflow().Message, "Integer overflow");
  EXPECT_EQ(ERangeError().Message, "Range check error");
}

TEST(CheckedArithmetic, OverflowRaises) {
  EXPECT_EQ(CheckedAdd(INT32_MAX - 1, 1), INT32_MAX);
  EXPECT_THROW(CheckedAdd(INT32_MAX, 1), EIntOverflow);
  EXPECT_THROW(CheckedSub(INT32_MIN, 1), EIntOverflow);
  EXPECT_THROW(CheckedMul(65536, 65536), EIntOverflow);
  EXPECT_EQ(CheckedMul(-46341, 46340), -2147441940);
  EXPECT_EQ(CheckedAdd(int16_t(32766), int16_t(1)), 32767);
  EXPECT_THROW(CheckedAdd(int16_t(32767), int16_t(1)), EIntOverflow);
  EXPECT_THROW(CheckedSub(int16_t(-32768), int16_t(1)), EIntOverflow);
  EXPECT_THROW(CheckedMul(int16_t(256), int16_t(128)), EIntOverflow);
  EXPECT_EQ(CheckedDiv(-7, 2), -3);
  EXPECT_THROW(CheckedDiv(1, 0), EDivByZero);
  EXPECT_THROW(CheckedDiv(INT32_MIN, -1), EIntOverflow);
}

TEST(CheckedArithmetic, RangeCheck) {
  EXPECT_EQ(RangeCheck<int16_t>(-32768), -32768);
  EXPECT_THROW(RangeCheck<int16_t>(32768), ERangeError);
  EXPECT_THROW(RangeCheck<uint8_t>(-1), ERangeError);
  EXPECT_EQ(RangeCheck<uint16_t>(int64_t(65535)), 65535);
}

TEST(Strings, TrimAndCase) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(TrimLeft("  x "), "x ");
  EXPECT_EQ(TrimRight("  x "), "  x");
  EXPECT_EQ(UpperCase("abc\xe9z"), "ABC\xe9Z");
  EXPECT_EQ(LowerCase("ABC\xc9Z"), "abc\xc9z");
  EXPECT_EQ(CompareText("abc", "ABD") < 0, true);
  EXPECT_TRUE(SameText("Hello", "hELLO"));
  EXPECT_FALSE(SameText("Hello", "Hell"));
  EXPECT_GT(CompareStr("b", "a"), 0);
  EXPECT_LT(CompareStr("a", "ab"), 0);
  EXPECT_LT(CompareStr("B", "a"), 0);
}

TEST(Strings, IntegerConversions) {
  EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(IntToStr(int64_t(1) << 40), "1099511627776");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(StrToInt(" -42 "), -42);
  EXPECT_EQ(StrToInt("$1F"), 31);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(StrToIntDef("x", 7), 7);
  EXPECT_EQ(StrToIntDef("2147483648", 7), 7);
  try {
    StrToInt("12a");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'12a' is not a valid integer value");
  }
  EXPECT_THROW(StrToInt(""), EConvertError);
  EXPECT_THROW(StrToInt("-"), EConvertError);
  EXPECT_THROW(StrToInt("2147483648"), EConvertError);
  EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
}
