#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

TEST(Strings, WrapLinesKeepsWordsWholeWhereTheyFit) {
  auto upTo = [](size_t n) { return [n](const std::string& w) { return w.size() <= n; }; };
  EXPECT_EQ(WrapLines("a short text", upTo(20)), "a short text");
  // A line ends after the blank before the word that does not fit; the path stays whole.
  EXPECT_EQ(WrapLines("at \"Y:\\ro\\\" now", upTo(9)), "at \n\"Y:\\ro\\\" \nnow");
  // A word longer than a line: after its last separator that fits, else where the line is full.
  EXPECT_EQ(WrapLines("C:\\ab\\cdef\\g end", upTo(8)), "C:\\ab\\\ncdef\\g \nend");
  EXPECT_EQ(WrapLines("abcdefghij", upTo(4)), "abcd\nefgh\nij");
  // Line ends of the text stay and start a new line of their own.
  EXPECT_EQ(WrapLines("x\r\rabcdef abcdef", upTo(7)), "x\r\rabcdef \nabcdef");
  // Taking the breaks out gives the text back.
  const std::string text = "Unable to write to \"Y:\\a\\bb\\ccc\\\"\r\rPlease check it";
  std::string back = WrapLines(text, upTo(6));
  back.erase(std::remove(back.begin(), back.end(), '\n'), back.end());
  EXPECT_EQ(back, text);
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
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");  // an Integer shows 32 bits
  EXPECT_EQ(IntToHex(int64_t(-1), 2), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(int16_t(-1), 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(0, 0), "0");
  EXPECT_EQ(StrToInt("  -42"), -42);
  EXPECT_EQ(StrToInt("+0x10"), 16);
  EXPECT_THROW(StrToInt("42 "), EConvertError);  // trailing text, even blanks, is no number
  EXPECT_THROW(StrToInt("$"), EConvertError);
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

TEST(Strings, QuotingReplacingAndSlicing) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
  EXPECT_EQ(StringReplace("Ab ab AB", "ab", "x", rfReplaceAll | rfIgnoreCase), "x x x");
  EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");  // no rescanning of the new text
  EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
  EXPECT_EQ(Pos("lo", "hello"), 4);
  EXPECT_EQ(Pos("x", "hello"), 0);
  EXPECT_EQ(Pos("", "hello"), 0);
  EXPECT_EQ(Copy("hello", 2, 3), "ell");
  EXPECT_EQ(Copy("hello", 4, 100), "lo");
  EXPECT_EQ(Copy("hello", 0, 2), "he");
  EXPECT_EQ(Copy("hello", 6, 1), "");
  EXPECT_EQ(Copy("hello", 2, -1), "");
  EXPECT_EQ(AnsiUpperCase("\xe9t\xe9"), "\xc9T\xc9");
  EXPECT_EQ(AnsiLowerCase("\xc9T\xc9"), "\xe9t\xe9");
  EXPECT_TRUE(AnsiSameText("\xe9t\xe9", "\xc9T\xc9"));
}

namespace {
std::string FormatError(const std::string& fmt) {
  return "Format '" + fmt + "' invalid or incompatible with argument";
}

template <class F>
std::string ConvertMessage(F f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.Message;
  }
  return "(no exception)";
}

// Format and date tests run under a known locale; each restores nothing, so set all it needs.
void UseUnitedStates() {
  GetFormatSettings();
  ShortDateFormat = "M/d/yyyy";
  LongDateFormat = "dddd, MMMM d, yyyy";
  ShortTimeFormat = "h:mm AMPM";
  LongTimeFormat = "h:mm:ss AMPM";
  DateSeparator = '/';
  TimeSeparator = ':';
  DecimalSeparator = '.';
  ThousandSeparator = ',';
  TimeAMString = "AM";
  TimePMString = "PM";
}

void UseGermany() {
  UseUnitedStates();
  ShortDateFormat = "dd.MM.yyyy";
  ShortTimeFormat = "hh:mm";
  LongTimeFormat = "hh:mm:ss";
  DateSeparator = '.';
  DecimalSeparator = ',';
  ThousandSeparator = '.';
}
}  // namespace

TEST(Format, IntegersAndStrings) {
  UseUnitedStates();
  EXPECT_EQ(Format("%10.10d", 42), "0000000042");
  EXPECT_EQ(Format("%10.10d", 1234567890), "1234567890");
  EXPECT_EQ(Format("%.3d|%5d|%-5d|", -7, 42, 42), "-007|   42|42   |");
  EXPECT_EQ(Format("%x %x %.4x %X", 255, -1, 10, int64_t(-1)), "FF FFFFFFFF 000A FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format("%u", -1), "4294967295");
  EXPECT_EQ(Format("%s|%5s|%-5s|%.2s", "abc", "ab", "cd", std::string("xyz")), "abc|   ab|cd   |xy");
  EXPECT_EQ(Format("%s%s", 'a', "b"), "ab");
  EXPECT_EQ(Format("100%%", {}), "100%");
  EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
  EXPECT_EQ(Format("%*d|%-*d|%.*d", 5, 42, 4, 7, 3, 9), "   42|7   |009");
  EXPECT_EQ(Format("%d %d", INT32_MIN, INT64_MIN), "-2147483648 -9223372036854775808");
  EXPECT_EQ(Format("no args"), "no args");
  EXPECT_EQ(Format("%s", {"list"}), "list");
  int x = 0;
  EXPECT_EQ(Format("%p", static_cast<const void*>(&x)),
            IntToHex(int64_t(reinterpret_cast<uintptr_t>(&x)), int(sizeof(void*) * 2)));
}

TEST(Format, BadFormatsRaise) {
  EXPECT_EQ(ConvertMessage([] { Format("%d", "x"); }), FormatError("%d"));
  EXPECT_EQ(ConvertMessage([] { Format("%s", 1); }), FormatError("%s"));
  EXPECT_EQ(ConvertMessage([] { Format("%f", 1); }), FormatError("%f"));
  EXPECT_EQ(ConvertMessage([] { Format("%d", 1.5); }), FormatError("%d"));
  EXPECT_EQ(ConvertMessage([] { Format("%d", true); }), FormatError("%d"));
  EXPECT_EQ(ConvertMessage([] { Format("%y", 1); }), FormatError("%y"));
  EXPECT_EQ(ConvertMessage([] { Format("abc %", 1); }), FormatError("abc %"));
  EXPECT_EQ(ConvertMessage([] { Format("%5.", 1); }), FormatError("%5."));
  EXPECT_EQ(ConvertMessage([] { Format("%d %d", 1); }), "No argument for format '%d %d'");
  EXPECT_EQ(ConvertMessage([] { Format("%3:d", 1); }), "No argument for format '%3:d'");
}

TEST(Format, Floats) {
  UseUnitedStates();
  EXPECT_EQ(Format("%.0n", 1234567.0), "1,234,567");
  EXPECT_EQ(Format("%.0n", 999.5), "1,000");
  EXPECT_EQ(Format("%n", -1234.5), "-1,234.50");
  EXPECT_EQ(Format("%.0n", 12.0), "12");
  EXPECT_EQ(Format("%.2f", 0.125), "0.13");  // halves away from zero, as the decimal text shows them
  EXPECT_EQ(Format("%.2f", 2.675), "2.67");  // the stored value is below the half
  EXPECT_EQ(Format("%f", 3.0), "3.00");
  EXPECT_EQ(Format("%.1f", -0.04), "0.0");
  EXPECT_EQ(Format("%8.3f|", 3.14159), "   3.142|");
  EXPECT_EQ(Format("%e", 1234.5), "1.23450000000000E+003");
  EXPECT_EQ(Format("%.3e", -0.00012345), "-1.23E-004");
  EXPECT_EQ(Format("%g", 1e20), "1E20");
  EXPECT_EQ(Format("%g", 0.5), "0.5");
  UseGermany();
  EXPECT_EQ(Format("%.0n", 1234567.0), "1.234.567");
  EXPECT_EQ(Format("%.2f", 1.5), "1,50");
  UseUnitedStates();
}

TEST(Floats, TextConversions) {
  UseUnitedStates();
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(-2.5), "-2.5");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(0.00001), "0.00001");
  EXPECT_EQ(FloatToStr(0.000001), "1E-6");
  EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FloatToStr(123456789012345678.0), "1.23456789012346E17");
  EXPECT_EQ(FloatToStr(999999999999999.0), "999999999999999");
  EXPECT_EQ(FloatToStrF(10, ffFixed, 18, 2), "10.00");
  EXPECT_EQ(FloatToStrF(-10.5, ffFixed, 18, 0), "-11");
  EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 4, 2), "1235.00");
  EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 18, 1), "1,234.5");
  EXPECT_EQ(StrToFloat(" 3.5 "), 3.5);
  EXPECT_EQ(StrToFloat("-1e3"), -1000);
  EXPECT_EQ(StrToFloat(".5"), 0.5);
  EXPECT_EQ(ConvertMessage([] { StrToFloat("1.2.3"); }), "'1.2.3' is not a valid floating point value");
  EXPECT_THROW(StrToFloat(""), EConvertError);
  EXPECT_THROW(StrToFloat("."), EConvertError);
  EXPECT_THROW(StrToFloat("1e"), EConvertError);
  EXPECT_THROW(StrToFloat("1e999"), EConvertError);
  UseGermany();
  EXPECT_EQ(StrToFloat("3,5"), 3.5);
  EXPECT_THROW(StrToFloat("3.5"), EConvertError);
  EXPECT_EQ(FloatToStr(2.5), "2,5");
  UseUnitedStates();
}

TEST(Floats, RoundHalvesToEven) {
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-0.5), 0);
  EXPECT_EQ(Round(-1.5), -2);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(2.5000001), 3);
  EXPECT_EQ(Round(0.69 * 294), 203);
  EXPECT_EQ(Round(291.06), 291);
  EXPECT_EQ(Round(1e15 + 0.5), 1000000000000000);
  EXPECT_THROW(Round(1e19), EInvalidOp);
  EXPECT_THROW(Round(std::nan("")), EInvalidOp);
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_EQ(Trunc(2.7), 2);
  EXPECT_THROW(Trunc(-1e19), EInvalidOp);
  EXPECT_DOUBLE_EQ(Frac(-2.25), -0.25);
  EXPECT_EQ(Int(-2.25), -2);
}

TEST(Floats, RandomStaysInRange) {
  RandSeed = 12345;
  int first = Random(1000);
  RandSeed = 12345;
  EXPECT_EQ(Random(1000), first);  // the seed decides the sequence
  Randomize();
  for (int i = 0; i < 1000; ++i) {
    int r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
    double d = Random();
    ASSERT_GE(d, 0.0);
    ASSERT_LT(d, 1.0);
  }
  EXPECT_EQ(Random(0), 0);
}

TEST(Dates, EncodeAndDecode) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2000, 2, 29), 36585);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(ConvertMessage([] { EncodeDate(1900, 2, 29); }), "Invalid argument to date encode");
  EXPECT_THROW(EncodeDate(2000, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(2000, 4, 31), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeDate(2000, 1, 0), EConvertError);
  EXPECT_EQ(ConvertMessage([] { EncodeTime(24, 0, 0, 0); }), "Invalid argument to time encode");
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  EXPECT_DOUBLE_EQ(EncodeTime(18, 0, 0, 0), 0.75);

  uint16_t y, m, d, h, n, s, ms;
  DecodeDate(EncodeDate(2024, 2, 29) + 0.999, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  // Before day 0 the fraction still counts forward: -1.25 is 06:00 on 1899-12-29.
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
  // A time a hair before midnight rounds to the next day's 00:00:00.000, never to hour 24.
  DecodeTime(EncodeDate(2026, 12, 31) + 0.99999999999, h, n, s, ms);
  EXPECT_EQ(h + n + s + ms, 0);
  DecodeDate(EncodeDate(2026, 12, 31) + 0.99999999999, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20270101);
  DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 235959999);
  EXPECT_EQ(DayOfWeek(0), 7);  // 1899-12-30 was a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 8)), 3);
  EXPECT_EQ(DayOfWeek(-1), 6);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  TDateTime now = Now();
  EXPECT_EQ(Date(), Int(now));
  EXPECT_LT(std::fabs(Time() - Frac(now)), 1.0 / 24 / 60);
}

TEST(Dates, FormatDateTime) {
  UseUnitedStates();
  const TDateTime x = EncodeDate(2026, 12, 8) + EncodeTime(19, 5, 9, 42);
  EXPECT_EQ(DateTimeToStr(x), "12/8/2026 7:05:09 PM");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 8)), "12/8/2026");  // midnight shows no time
  EXPECT_EQ(DateToStr(x), "12/8/2026");
  EXPECT_EQ(TimeToStr(x), "7:05:09 PM");
  EXPECT_EQ(TimeToStr(EncodeTime(0, 30, 0, 0)), "12:30:00 AM");
  EXPECT_EQ(TimeToStr(EncodeTime(12, 0, 0, 0)), "12:00:00 PM");
  EXPECT_EQ(FormatDateTime("hh:mm", x), "19:05");
  EXPECT_EQ(FormatDateTime("h:m:s.zzz", x), "19:5:9.042");
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy", x), "08/12/2026");
  EXPECT_EQ(FormatDateTime("yy-m-d", x), "26-12-8");
  EXPECT_EQ(FormatDateTime("ddd", x), ShortDayNames[2]);
  EXPECT_EQ(FormatDateTime("dddd mmmm mmm", x), LongDayNames[2] + " " + LongMonthNames[11] + " " + ShortMonthNames[11]);
  EXPECT_EQ(FormatDateTime("h:nn am/pm|H:NN AM/PM|h a/p", x), "7:05 pm|7:05 PM|7 p");
  EXPECT_EQ(FormatDateTime("hh:nn ampm", EncodeTime(9, 5, 0, 0)), "09:05 AM");
  EXPECT_EQ(FormatDateTime("t|tt", x), "7:05 PM|7:05:09 PM");
  EXPECT_EQ(FormatDateTime("'hh am/pm' \"mm\" hh", x), "hh am/pm mm 19");  // quoted text is no marker
  EXPECT_EQ(FormatDateTime("c", x), "12/8/2026 7:05:09 PM");
  EXPECT_EQ(FormatDateTime("ddddd", x), "12/8/2026");
  UseGermany();
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", x), "08.12.2026 19:05");
}

TEST(Dates, ReadBackUnderTwoLocales) {
  const TDateTime samples[] = {EncodeDate(2026, 12, 8) + EncodeTime(19, 5, 9, 0),
                               EncodeDate(2026, 1, 31) + EncodeTime(0, 0, 1, 0),
                               EncodeDate(1999, 7, 4) + EncodeTime(12, 59, 59, 0),
                               EncodeDate(2030, 2, 28)};
  for (auto locale : {GetFormatSettings, UseUnitedStates, UseGermany}) {  // the system's own first
    locale();
    for (TDateTime x : samples) {
      std::string text = DateTimeToStr(x);
      EXPECT_NEAR(StrToDateTime(text), x, 1e-9) << text;
    }
  }
  UseGermany();
  EXPECT_EQ(DateTimeToStr(samples[0]), "08.12.2026 19:05:09");
  EXPECT_EQ(ConvertMessage([] { StrToDateTime("12/8/2026 7:05:09 PM"); }),
            "'12/8/2026 7:05:09 PM' is not a valid date and time");
  UseUnitedStates();
  EXPECT_THROW(StrToDateTime("08.12.2026 19:05:09"), EConvertError);
}

TEST(Dates, ReadingDatesAndTimes) {
  UseUnitedStates();
  EXPECT_EQ(StrToDate("12/8/2026"), EncodeDate(2026, 12, 8));
  EXPECT_EQ(StrToDate(" 12 / 08 / 26 "), EncodeDate(2026, 12, 8));  // two-digit years: this century
  uint16_t y, m, d;
  DecodeDate(Date(), y, m, d);
  EXPECT_EQ(StrToDate("3/4"), EncodeDate(y, 3, 4));  // no year: this year
  EXPECT_EQ(ConvertMessage([] { StrToDate("2/30/2026"); }), "'2/30/2026' is not a valid date");
  EXPECT_THROW(StrToDate(""), EConvertError);
  EXPECT_THROW(StrToDate("12/8/2026 x"), EConvertError);
  EXPECT_THROW(StrToDate("12-8-2026"), EConvertError);
  EXPECT_DOUBLE_EQ(StrToTime("7:05 PM"), EncodeTime(19, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:00 am"), 0);
  EXPECT_DOUBLE_EQ(StrToTime("12:00:01 PM"), EncodeTime(12, 0, 1, 0));
  EXPECT_DOUBLE_EQ(StrToTime("23:59:59"), EncodeTime(23, 59, 59, 0));
  EXPECT_DOUBLE_EQ(StrToTime("7 PM"), EncodeTime(19, 0, 0, 0));
  EXPECT_EQ(ConvertMessage([] { StrToTime("13:00 PM"); }), "'13:00 PM' is not a valid time");
  EXPECT_THROW(StrToTime("24:00"), EConvertError);
  EXPECT_THROW(StrToTime("7"), EConvertError);
  EXPECT_THROW(StrToTime("10:61"), EConvertError);
  EXPECT_DOUBLE_EQ(StrToDateTime("19:05:09"), EncodeTime(19, 5, 9, 0));  // a time alone
  EXPECT_DOUBLE_EQ(StrToDateTime("12/8/2026"), EncodeDate(2026, 12, 8));
  // Before day 0 the time still counts forward from the start of the day.
  TDateTime old = StrToDateTime("12/29/1899 6:00:00 AM");
  EXPECT_DOUBLE_EQ(old, -1.25);
  EXPECT_EQ(DateTimeToStr(old), "12/29/1899 6:00:00 AM");
  ShortDateFormat = "dd/MM/yyyy";  // day first with the same separator
  EXPECT_EQ(StrToDate("08/12/2026"), EncodeDate(2026, 12, 8));
  ShortDateFormat = "yyyy-MM-dd";
  DateSeparator = '-';
  EXPECT_EQ(StrToDate("2026-12-08"), EncodeDate(2026, 12, 8));
  EXPECT_EQ(DateToStr(EncodeDate(2026, 12, 8)), "2026-12-08");
  UseUnitedStates();
}

namespace {
std::string TempDir() {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  return std::string(tmp) + "yOZSysUtilsTest-" + std::to_string(GetCurrentProcessId());
}

void WriteText(const std::string& name, const std::string& text) {
  HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n;
  WriteFile(h, text.data(), DWORD(text.size()), &n, nullptr);
  CloseHandle(h);
}
}  // namespace

TEST(Files, AgesExistenceAndFolders) {
  const std::string dir = TempDir();
  const std::string deep = dir + "\\a\\b\\c\\";
  ASSERT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(dir + "\\a\\b\\c"));
  EXPECT_TRUE(ForceDirectories(deep));  // already there
  EXPECT_FALSE(ForceDirectories(""));
  const std::string file = dir + "\\a\\yOZDB31.isd";
  EXPECT_EQ(FileAge(file), -1);
  EXPECT_FALSE(FileExists(file));
  WriteText(file, "x");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(dir));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_EQ(FileAge(dir), -1);  // a folder has no file age
  EXPECT_EQ(FileAge(dir + "\\a\\*.isd"), -1);  // no wildcard matching
  int32_t age = FileAge(file);
  ASSERT_NE(age, -1);
  EXPECT_LT(std::fabs(FileDateToDateTime(age) - Now()), 10.0 / 86400);

  // A known local time gives the packed DOS value: 1997-11-17 16:28:02.
  SYSTEMTIME st = {1997, 11, 1, 17, 16, 28, 2, 0};
  FILETIME local, utc;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &utc));
  CloseHandle(h);
  EXPECT_EQ(FileAge(file), 594641793);
  EXPECT_EQ(FileDateToDateTime(594641793), EncodeDate(1997, 11, 17) + EncodeTime(16, 28, 2, 0));

  const std::string moved = dir + "\\a\\b\\moved.isd";
  EXPECT_TRUE(RenameFile(file, moved));
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(RenameFile(file, moved));
  EXPECT_TRUE(DeleteFile(moved));
  EXPECT_FALSE(DeleteFile(moved));
  EXPECT_TRUE(RemoveDir(dir + "\\a\\b\\c"));
  EXPECT_TRUE(RemoveDir(dir + "\\a\\b"));
  EXPECT_TRUE(RemoveDir(dir + "\\a"));
  EXPECT_TRUE(RemoveDir(dir));
  EXPECT_TRUE(CreateDir(dir));
  EXPECT_FALSE(CreateDir(dir));
  EXPECT_TRUE(RemoveDir(dir));
}

TEST(Files, PathParts) {
  EXPECT_EQ(ExtractFilePath("C:\\Data\\yOZ.cfg"), "C:\\Data\\");
  EXPECT_EQ(ExtractFilePath("C:yOZ.cfg"), "C:");
  EXPECT_EQ(ExtractFilePath("yOZ.cfg"), "");
  EXPECT_EQ(ExtractFileDir("C:\\Data\\yOZ.cfg"), "C:\\Data");
  EXPECT_EQ(ExtractFileDir("C:\\yOZ.cfg"), "C:\\");
  EXPECT_EQ(ExtractFileName("C:\\Data\\yOZ.cfg"), "yOZ.cfg");
  EXPECT_EQ(ExtractFileName("C:\\Data\\"), "");
  EXPECT_EQ(ExtractFileExt("C:\\Data\\yOZDB31.isd"), ".isd");
  EXPECT_EQ(ExtractFileExt("C:\\Da.ta\\file"), "");
  EXPECT_EQ(ChangeFileExt("C:\\Da.ta\\yOZDB31.isd", ".ism"), "C:\\Da.ta\\yOZDB31.ism");
  EXPECT_EQ(ChangeFileExt("C:\\Da.ta\\file", ".txt"), "C:\\Da.ta\\file.txt");
  EXPECT_EQ(ChangeFileExt("a.b.c", ""), "a.b");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\Data"), "C:\\Data\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\Data\\"), "C:\\Data\\");
  EXPECT_EQ(IncludeTrailingBackslash(""), "\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\Data\\"), "C:\\Data");
  const std::string cur = GetCurrentDir();
  ASSERT_FALSE(cur.empty());
  EXPECT_EQ(ExpandFileName("x.txt"), IncludeTrailingBackslash(cur) + "x.txt");
  EXPECT_EQ(ExpandFileName("C:\\a\\..\\b\\.\\c"), "C:\\b\\c");
  EXPECT_TRUE(SameText(ExtractFileName(ParamStr(0)), "classlib_SysUtils.exe"));
  EXPECT_GE(ParamCount(), 1);  // the runner passes its options
  EXPECT_EQ(ParamStr(ParamCount() + 1), "");
}

TEST(Errors, SystemTexts) {
  std::string text = SysErrorMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '.');
  SetLastError(ERROR_FILE_NOT_FOUND);
  try {
    RaiseLastOSError();
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(e.Message, "System Error.  Code: 2.\r\n" + text);
  }
}
