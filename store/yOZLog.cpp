#include "yOZLog.h"

#include <windows.h>

#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZMaker.h"

namespace {

// A banner line: Text padded with blanks to column 57, closed by "***" (60 characters).
std::string FramedLine(const std::string& Text) {
  std::string s = Text.substr(0, 57);
  s.resize(57, ' ');
  return s + "***";
}

// Thrown inside one attempt; carries the Windows error code of the failing step, because the
// exception machinery and the pause may overwrite the thread's last error before it is reported.
struct TLogIoFailure {
  std::string Message;
  DWORD Code;
};

[[noreturn]] void IoFailure() {
  DWORD code = GetLastError();
  throw TLogIoFailure{"I/O error " + std::to_string(code), code};
}

// One attempt: the file is opened (made when missing) and locked, then Line is added at its end,
// after Header when the file is still empty. Other writers are kept out while this one holds it (the
// share mode on this machine, the byte-range lock on others; they retry), so the header is written
// exactly once, by whoever finds the file empty, and lines from several machines never interleave.
void AppendOnce(const std::string& FileName, const std::string& Header, const std::string& Line) {
  HANDLE h = CreateFileA(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) IoFailure();
  if (!LockSharedFile(h)) {
    DWORD code = GetLastError();
    CloseHandle(h);
    SetLastError(code);
    IoFailure();
  }
  LARGE_INTEGER size{}, zero{};
  BOOL ok = GetFileSizeEx(h, &size) && SetFilePointerEx(h, zero, nullptr, FILE_END);
  const std::string text = ok && size.QuadPart == 0 ? Header + Line : Line;
  DWORD written = 0;
  ok = ok && WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
  DWORD code = GetLastError();
  UnlockSharedFile(h);
  if (!CloseHandle(h) && ok) IoFailure();
  if (!ok) {
    SetLastError(code ? code : ERROR_WRITE_FAULT);
    IoFailure();
  }
}

void AppendWithRetry(const std::string& FileName, const std::string& Header, const std::string& Line,
                     const std::string& FailureText) {
  int attempt = 1;
  for (;;) {
    std::string message;
    DWORD code = 0;
    try {
      AppendOnce(FileName, Header, Line);
      return;
    } catch (const TLogIoFailure& e) {
      message = e.Message;
      code = e.Code;
    } catch (const Exception& e) {
      message = e.Message;
      code = GetLastError();
    }
    Sleep(100);
    ++attempt;
    if (attempt >= 10)
      throw Exception(FailureText + message + " - Error " + std::to_string(code));
  }
}

// Date and time of an entry, taken when the line is written.
std::string StampNow() { return DateToStr(Date()) + " " + TimeToStr(Time()); }

}  // namespace

std::string TextLogBanner() {
  std::string stars(60, '*');
  return stars + "\r\n" + FramedLine("*** yOZ - In/Out Board status change log") + "\r\n" +
         FramedLine(std::string("*** website: ") + MakerWebsite) + "\r\n" +
         FramedLine(std::string("*** email  : ") + MakerEmail) + "\r\n" + stars + "\r\n" +
         std::string(60, ' ') + "\r\n";
}

std::string CsvLogHeader() {
  return "\"Date/Time\",\"Name\",\"LogInName\",\"From Status\",\"To Status\"\r\n";
}

std::string CsvField(const std::string& Value) {
  std::string s = "\"";
  for (char c : Value) {
    if (c == '"') s += '"';
    s += c;
  }
  return s + "\"";
}

void WriteTextLog(const std::string& FileName, const std::string& Entry) {
  AppendWithRetry(FileName, TextLogBanner(), StampNow() + " " + Entry + "\r\n",
                  "Unable to add to yOZ logfile -  ");
}

void WriteCsvLog(const std::string& FileName, const std::string& Name, const std::string& LogInName,
                 const std::string& FromStatus, const std::string& ToStatus) {
  std::string row = CsvField(StampNow()) + "," + CsvField(Name) + "," + CsvField(LogInName) + "," +
                    CsvField(FromStatus) + "," + CsvField(ToStatus) + "\r\n";
  AppendWithRetry(FileName, CsvLogHeader(), row, "Unable to add to yOZ CSV file -  ");
}
