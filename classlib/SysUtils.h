// Runtime basics: the exception hierarchy, checked integer arithmetic, strings, numbers, dates and
// times, files and paths. Strings are 8-bit text in the process code page.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
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
std::string IntToHex(int64_t v, int digits);  // upper-case hex, at least `digits` digits
// Decimal (optional sign) or '$'/'0x' hexadecimal, blanks around allowed; EConvertError
// "'x' is not a valid integer value" otherwise, also when out of the Integer range.
int32_t StrToInt(const std::string& s);
int64_t StrToInt64(const std::string& s);
int32_t StrToIntDef(const std::string& s, int32_t def);
