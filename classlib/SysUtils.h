// Runtime basics: the exception hierarchy, checked integer arithmetic, strings, numbers, dates and
// times, files and paths. Strings are 8-bit text in the process code page.
#pragma once

#include <windows.h>
// DeleteFile below is the runtime's; the system call is DeleteFileA.
#undef DeleteFile

#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>

// ---------------------------------------------------------------------------------------------------
// Exceptions

class Exception : public std::exception {
public:
  std::string Message;
  explicit Exception(std::string msg) : Message(std::move(msg)) {}
  ~Exception() override = default;
  const char* what() const noexcept override { return Message.c_str(); }
};

#define YOZ_EXCEPTION_CLASS(Name, Base) \
  class Name : public Base {            \
  public:                               \
    using Base::Base;                   \
  };

// Silent: the application swallows it without a message.
class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
  using Exception::Exception;
};
[[noreturn]] void Abort();

YOZ_EXCEPTION_CLASS(EConvertError, Exception)
YOZ_EXCEPTION_CLASS(EExternal, Exception)
YOZ_EXCEPTION_CLASS(EIntError, EExternal)

class EIntOverflow : public EIntError {
public:
  EIntOverflow() : EIntError("Integer overflow") {}
  using EIntError::EIntError;
};

class ERangeError : public EIntError {
public:
  ERangeError() : EIntError("Range check error") {}
  using EIntError::EIntError;
};

YOZ_EXCEPTION_CLASS(EMathError, EExternal)
class EInvalidOp : public EMathError {
public:
  EInvalidOp() : EMathError("Invalid floating point operation") {}
  using EMathError::EMathError;
};

class EDivByZero : public EIntError {
public:
  EDivByZero() : EIntError("Division by zero") {}
  using EIntError::EIntError;
};

class EInOutError : public Exception {
public:
  int ErrorCode = 0;
  EInOutError(std::string msg, int code = 0) : Exception(std::move(msg)), ErrorCode(code) {}
};

YOZ_EXCEPTION_CLASS(EStreamError, Exception)
YOZ_EXCEPTION_CLASS(EFCreateError, EStreamError)
YOZ_EXCEPTION_CLASS(EFOpenError, EStreamError)
YOZ_EXCEPTION_CLASS(EFilerError, EStreamError)
YOZ_EXCEPTION_CLASS(EReadError, EFilerError)
YOZ_EXCEPTION_CLASS(EWriteError, EFilerError)

class EOSError : public Exception {
public:
  DWORD ErrorCode = 0;
  EOSError(std::string msg, DWORD code = 0) : Exception(std::move(msg)), ErrorCode(code) {}
};

YOZ_EXCEPTION_CLASS(EOleError, Exception)
class EOleSysError : public EOleError {
public:
  HRESULT ErrorCode = 0;
  EOleSysError(std::string msg, HRESULT code) : EOleError(std::move(msg)), ErrorCode(code) {}
};
// Raises EOleSysError with the system's text for a failed HRESULT.
void OleCheck(HRESULT hr);

// The system's text for an error code, without the trailing line break and full stop.
std::string SysErrorMessage(DWORD code);
// EOSError for GetLastError().
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastWin32Error();

YOZ_EXCEPTION_CLASS(EListError, Exception)
YOZ_EXCEPTION_CLASS(EStringListError, Exception)
YOZ_EXCEPTION_CLASS(ERegistryException, Exception)
YOZ_EXCEPTION_CLASS(EInvalidOperation, Exception)
YOZ_EXCEPTION_CLASS(EOutOfMemory, Exception)
YOZ_EXCEPTION_CLASS(EOutOfResources, EOutOfMemory)
YOZ_EXCEPTION_CLASS(EInvalidGraphic, Exception)

class EInvalidPointer : public Exception {
public:
  EInvalidPointer() : Exception("Invalid pointer operation") {}
  using Exception::Exception;
};

#undef YOZ_EXCEPTION_CLASS

// ---------------------------------------------------------------------------------------------------
// Checked integer arithmetic: the runtime's overflow and range checks.

int32_t CheckedAdd(int32_t a, int32_t b);
int32_t CheckedSub(int32_t a, int32_t b);
int32_t CheckedMul(int32_t a, int32_t b);
int16_t CheckedAdd(int16_t a, int16_t b);
int16_t CheckedSub(int16_t a, int16_t b);
int16_t CheckedMul(int16_t a, int16_t b);
// Integer division truncating toward zero; EDivByZero for b = 0, EIntOverflow for MIN div -1.
int32_t CheckedDiv(int32_t a, int32_t b);

// The value v as a T, or ERangeError when T cannot hold it.
template <class T, class V>
T RangeCheck(V v) {
  static_assert(std::is_integral_v<T> && std::is_integral_v<V>);
  if (!std::in_range<T>(v)) throw ERangeError();
  return static_cast<T>(v);
}

// ---------------------------------------------------------------------------------------------------
// Strings

std::string Trim(const std::string& s);       // drops leading and trailing bytes <= ' '
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
// Breaks s into lines that Fit, with "\n" put in: a line ends after the blank before a word that does
// not fit on it, so a word (a folder path) is kept whole on one line wherever it fits there; a word
// too long for a line of its own is broken after its last backslash or slash that fits, else where the
// line is full. Line ends already in s stay. Taking the "\n"s out gives s back.
std::string WrapLines(const std::string& s, const std::function<bool(const std::string&)>& Fits);
std::string UpperCase(const std::string& s);   // ASCII letters only
std::string LowerCase(const std::string& s);
std::string AnsiUpperCase(const std::string& s);  // the process code page's letters
std::string AnsiLowerCase(const std::string& s);
int CompareStr(const std::string& a, const std::string& b);   // byte order, case-sensitive
int CompareText(const std::string& a, const std::string& b);  // ASCII case-insensitive
bool SameText(const std::string& a, const std::string& b);
int AnsiCompareText(const std::string& a, const std::string& b);  // the locale's order, no case
bool AnsiSameText(const std::string& a, const std::string& b);

std::string IntToStr(int64_t v);
// Upper-case hex with at least `digits` digits; negative values in two's complement of their own width.
std::string IntToHex(int64_t v, int digits);
template <class T>
  requires(std::is_integral_v<T> && sizeof(T) <= 4)
std::string IntToHex(T v, int digits) {
  return IntToHex(static_cast<int64_t>(static_cast<uint32_t>(v)), digits);
}
// Decimal (optional sign) or '$'/'0x' hexadecimal after optional leading blanks; EConvertError
// "'x' is not a valid integer value" otherwise, also when out of the Integer range.
int32_t StrToInt(const std::string& s);
int64_t StrToInt64(const std::string& s);
int32_t StrToIntDef(const std::string& s, int32_t def);

std::string QuotedStr(const std::string& s);  // 'it''s'

enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
std::string StringReplace(const std::string& s, const std::string& oldPattern,
                          const std::string& newPattern, int flags);

// 1-based position of sub in s, 0 when absent.
int Pos(const std::string& sub, const std::string& s);
// Count bytes from the 1-based index; out-of-range parts are clipped.
std::string Copy(const std::string& s, int index, int count);

// ---------------------------------------------------------------------------------------------------
// Format: "%" [index ":"] ["-"] [width] ["." precision] type, types d u x e f g n p s and "%%";
// width and precision may be "*". A bad format or an argument of the wrong kind raises EConvertError.

struct TVarRec {
  enum TKind { vtInteger, vtInt64, vtBoolean, vtChar, vtExtended, vtString, vtPointer };
  TKind VType = vtInteger;
  int64_t VInteger = 0;
  double VExtended = 0;
  std::string VString;
  const void* VPointer = nullptr;

  template <class T>
    requires std::is_integral_v<T>
  TVarRec(T v) {
    if constexpr (std::is_same_v<T, bool>) {
      VType = vtBoolean;
      VInteger = v;
    } else if constexpr (std::is_same_v<T, char>) {
      VType = vtChar;
      VString.assign(1, v);
    } else if constexpr (sizeof(T) < 4 || (sizeof(T) == 4 && std::is_signed_v<T>)) {
      VType = vtInteger;
      VInteger = v;
    } else {
      VType = vtInt64;
      VInteger = static_cast<int64_t>(v);
    }
  }
  TVarRec(double v) : VType(vtExtended), VExtended(v) {}
  TVarRec(const char* v) : VType(vtString), VString(v ? v : "") {}
  TVarRec(std::string v) : VType(vtString), VString(std::move(v)) {}
  TVarRec(const void* v) : VType(vtPointer), VPointer(v) {}
};

std::string Format(const std::string& fmt, std::initializer_list<TVarRec> args);
template <class... A>
std::string Format(const std::string& fmt, const A&... args) {
  return Format(fmt, {TVarRec(args)...});
}

// ---------------------------------------------------------------------------------------------------
// Floating point

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber };
std::string FloatToStr(double v);  // general format, 15 significant digits
std::string FloatToStrF(double v, TFloatFormat format, int precision, int digits);
double StrToFloat(const std::string& s);  // EConvertError "'x' is not a valid floating point value"

// Nearest integer, halves to the even neighbour; EInvalidOp when out of the 64-bit range.
int64_t Round(double v);
int64_t Trunc(double v);  // toward zero; EInvalidOp when out of range
double Frac(double v);
double Int(double v);

// The runtime's linear congruential generator, seeded by Randomize.
extern uint32_t RandSeed;
void Randomize();
int32_t Random(int32_t range);  // 0 <= result < range
double Random();                // 0 <= result < 1

// ---------------------------------------------------------------------------------------------------
// Locale settings, read from the system by GetFormatSettings (once, lazily, by every routine that
// needs them, or explicitly at program start). Code that changes them calls GetFormatSettings first.
// In date formats "/" stands for DateSeparator and ":" for TimeSeparator.

extern std::string ShortDateFormat;
extern std::string LongDateFormat;
extern std::string ShortTimeFormat;
extern std::string LongTimeFormat;
extern char DateSeparator;
extern char TimeSeparator;
extern char ThousandSeparator;
extern char DecimalSeparator;
extern std::string TimeAMString;
extern std::string TimePMString;
extern std::string ShortMonthNames[12];
extern std::string LongMonthNames[12];
extern std::string ShortDayNames[7];  // Sunday first
extern std::string LongDayNames[7];
void GetFormatSettings();

// ---------------------------------------------------------------------------------------------------
// Date and time: TDateTime counts days since 1899-12-30; the fraction is the time of day.

using TDateTime = double;
constexpr double MSecsPerDay = 86400000.0;

TDateTime Now();
TDateTime Date();
TDateTime Time();
// EConvertError for an impossible date or time.
TDateTime EncodeDate(uint16_t year, uint16_t month, uint16_t day);
TDateTime EncodeTime(uint16_t hour, uint16_t min, uint16_t sec, uint16_t msec);
void DecodeDate(TDateTime d, uint16_t& year, uint16_t& month, uint16_t& day);
void DecodeTime(TDateTime d, uint16_t& hour, uint16_t& min, uint16_t& sec, uint16_t& msec);
bool IsLeapYear(uint16_t year);
int DayOfWeek(TDateTime d);  // 1 = Sunday ... 7 = Saturday
TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);

// Format letters: c d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz t tt
// am/pm a/p ampm / : and quoted text; "m" right after an hour means minutes.
std::string FormatDateTime(const std::string& fmt, TDateTime d);
std::string DateTimeToStr(TDateTime d);  // "c": short date, then long time unless midnight
std::string DateToStr(TDateTime d);
std::string TimeToStr(TDateTime d);
TDateTime StrToDateTime(const std::string& s);
TDateTime StrToDate(const std::string& s);
TDateTime StrToTime(const std::string& s);

// ---------------------------------------------------------------------------------------------------
// Files and paths

bool FileExists(const std::string& name);       // an existing file, not a folder
bool DirectoryExists(const std::string& name);
// The file's last write time as a packed local DOS date (high word) and time (low word); -1 when
// there is no such file.
int32_t FileAge(const std::string& name);
TDateTime FileDateToDateTime(int32_t fileDate);
bool DeleteFile(const std::string& name);
bool RenameFile(const std::string& oldName, const std::string& newName);
bool CreateDir(const std::string& dir);
bool RemoveDir(const std::string& dir);
// Creates the folder and every missing parent; false when one cannot be created.
bool ForceDirectories(const std::string& dir);
std::string ExtractFilePath(const std::string& name);  // with the trailing "\"
std::string ExtractFileDir(const std::string& name);   // without it
std::string ExtractFileName(const std::string& name);
std::string ExtractFileExt(const std::string& name);   // with the ".", or empty
std::string ChangeFileExt(const std::string& name, const std::string& ext);
std::string IncludeTrailingBackslash(const std::string& s);
std::string ExcludeTrailingBackslash(const std::string& s);
std::string ExpandFileName(const std::string& name);
std::string GetCurrentDir();
std::string ParamStr(int index);  // 0: the program's file
int ParamCount();
