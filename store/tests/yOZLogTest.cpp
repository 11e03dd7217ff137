#include <gtest/gtest.h>

#include <windows.h>

#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "yOZLog.h"

TEST(TextLog, NewFileGetsBannerOnceThenOneLinePerEntry) {
  TTempFolder dir("textlog");
  const std::string log = dir.File("yOZLog.txt");
  WriteTextLog(log, "first entry");
  WriteTextLog(log, "second entry");
  std::string text = ReadWholeFile(log);
  ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
  auto lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 8u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(lines[i].size(), 60u) << "banner line " << i + 1;
  EXPECT_EQ(lines[0], std::string(60, '*'));
  EXPECT_EQ(lines[2].substr(0, 13), "*** website: ");
  EXPECT_EQ(lines[3].substr(0, 13), "*** email  : ");
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(lines[i].substr(57), "***");
  EXPECT_EQ(lines[4], std::string(60, '*'));
  EXPECT_EQ(lines[5], std::string(60, ' '));
  // "<short date> <long time> <entry>", stamped when written.
  std::string today = DateToStr(Date());
  EXPECT_EQ(lines[6].substr(0, today.size() + 1), today + " ");
  EXPECT_EQ(lines[6].substr(lines[6].size() - 12), " first entry");
  EXPECT_EQ(lines[7].substr(lines[7].size() - 13), " second entry");
  std::string stamp = lines[7].substr(0, lines[7].size() - 13);
  EXPECT_NO_THROW(StrToDateTime(stamp)) << stamp;
}

TEST(CsvLog, HeaderOnceAndQuotedRows) {
  TTempFolder dir("csvlog");
  const std::string log = dir.File("yOZLog.csv");
  WriteCsvLog(log, "Jo Smith", "JSMITH", "Available", "At lunch");
  WriteCsvLog(log, "Jo Smith", "JSMITH", "At lunch", "Available");
  auto lines = SplitLines(ReadWholeFile(log));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "\"Date/Time\",\"Name\",\"LogInName\",\"From Status\",\"To Status\"");
  std::string tail = ",\"Jo Smith\",\"JSMITH\",\"Available\",\"At lunch\"";
  ASSERT_GT(lines[1].size(), tail.size());
  EXPECT_EQ(lines[1].substr(lines[1].size() - tail.size()), tail);
  EXPECT_EQ(lines[1][0], '"');
  std::string last = ",\"At lunch\",\"Available\"";
  EXPECT_EQ(lines[2].substr(lines[2].size() - last.size()), last);
}

TEST(CsvLog, DoubleQuoteInsideAValueIsDoubled) {
  TTempFolder dir("csvquote");
  const std::string log = dir.File("yOZLog.csv");
  WriteCsvLog(log, "Jo \"JJ\" Smith", "JSMITH", "Available", "Out \"west\"");
  auto lines = SplitLines(ReadWholeFile(log));
  ASSERT_EQ(lines.size(), 2u);
  std::string tail = ",\"Jo \"\"JJ\"\" Smith\",\"JSMITH\",\"Available\",\"Out \"\"west\"\"\"";
  EXPECT_EQ(lines[1].substr(lines[1].size() - tail.size()), tail);
  EXPECT_EQ(CsvField("a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(CsvField(""), "\"\"");
}

TEST(TextLog, FileHeldByAnotherCopyIsRetriedThenReported) {
  TTempFolder dir("logbusy");
  const std::string log = dir.File("yOZLog.txt");
  WriteTextLog(log, "one");
  HANDLE h = CreateFileA(log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD start = GetTickCount();
  try {
    WriteTextLog(log, "two");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message.rfind("Unable to add to yOZ logfile -  ", 0), 0u) << e.Message;
    EXPECT_NE(e.Message.find(" - Error 32"), std::string::npos) << e.Message;  // sharing violation
  }
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 800u);  // nine attempts, 100 ms apart
  EXPECT_LT(elapsed, 5000u);
  try {
    WriteCsvLog(dir.File("yOZLog.txt"), "a", "b", "c", "d");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message.rfind("Unable to add to yOZ CSV file -  ", 0), 0u) << e.Message;
  }
  CloseHandle(h);
  EXPECT_EQ(SplitLines(ReadWholeFile(log)).size(), 7u);  // nothing half-written
}

TEST(TextLog, ReleasedFileIsWrittenOnALaterAttempt) {
  TTempFolder dir("logretry");
  const std::string log = dir.File("yOZLog.txt");
  WriteTextLog(log, "one");
  HANDLE h = CreateFileA(log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  HANDLE thread = CreateThread(
      nullptr, 0, [](LPVOID p) -> DWORD {
        Sleep(250);
        CloseHandle(static_cast<HANDLE>(p));
        return 0;
      },
      h, 0, nullptr);
  EXPECT_NO_THROW(WriteTextLog(log, "two"));
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  auto lines = SplitLines(ReadWholeFile(log));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[7].substr(lines[7].size() - 4), " two");
}
