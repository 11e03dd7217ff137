#include "SysUtils.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

// ---------------------------------------------------------------------------------------------------
// Exceptions

void Abort() { throw EAbort(); }

void OleCheck(HRESULT hr) {
  if (SUCCEEDED(hr)) return;
  std::string msg = SysErrorMessage(static_cast<DWORD>(hr));
  if (msg.empty()) msg = "Unspecified error";
  throw EOleSysError(msg, hr);
}

std::string SysErrorMessage(DWORD code) {
  char* buf = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                           nullptr, code, 0, reinterpret_cast<char*>(&buf), 0, nullptr);
  std::string s;
  if (buf) {
    s.assign(buf, n);
    LocalFree(buf);
  }
  // The system's texts end with a line break and often a full stop the runtime trims.
  while (!s.empty() && (static_cast<unsigned char>(s.back()) <= ' ' || s.back() == '.')) s.pop_back();
  return s;
}

void RaiseLastOSError() {
  DWORD code = GetLastError();
  if (code != 0)
    throw EOSError("System Error.  Code: " + IntToStr(static_cast<int64_t>(code)) + ".\r\n" +
                       SysErrorMessage(code),
                   code);
  throw EOSError("A call to an OS function failed", 0);
}

void RaiseLastWin32Error() { RaiseLastOSError(); }

// ---------------------------------------------------------------------------------------------------
// Checked arithmetic

namespace {
template <class T>
T Narrow(int64_t v) {
  if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) throw EIntOverflow();
  return static_cast<T>(v);
}
}  // namespace

int32_t CheckedAdd(int32_t a, int32_t b) { return Narrow<int32_t>(int64_t(a) + b); }
int32_t CheckedSub(int32_t a, int32_t b) { return Narrow<int32_t>(int64_t(a) - b); }
int32_t CheckedMul(int32_t a, int32_t b) { return Narrow<int32_t>(int64_t(a) * b); }
int16_t CheckedAdd(int16_t a, int16_t b) { return Narrow<int16_t>(int64_t(a) + b); }
int16_t CheckedSub(int16_t a, int16_t b) { return Narrow<int16_t>(int64_t(a) - b); }
int16_t CheckedMul(int16_t a, int16_t b) { return Narrow<int16_t>(int64_t(a) * b); }

int32_t CheckedDiv(int32_t a, int32_t b) {
  if (b == 0) throw EDivByZero();
  return Narrow<int32_t>(int64_t(a) / b);
}

// ---------------------------------------------------------------------------------------------------
// Strings

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::string TrimLeft(const std::string& s) {
  size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  return s.substr(b);
}

std::string TrimRight(const std::string& s) {
  size_t e = s.size();
  while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(0, e);
}

std::string UpperCase(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::string LowerCase(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

std::string AnsiUpperCase(const std::string& s) {
  std::string r = s;
  if (!r.empty()) CharUpperBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

std::string AnsiLowerCase(const std::string& s) {
  std::string r = s;
  if (!r.empty()) CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

int CompareStr(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = int(static_cast<unsigned char>(a[i])) - int(static_cast<unsigned char>(b[i]));
    if (d != 0) return d;
  }
  return int(a.size()) - int(b.size());
}

int CompareText(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'a' && ca <= 'z') ca -= 32;
    if (cb >= 'a' && cb <= 'z') cb -= 32;
    if (ca != cb) return ca - cb;
  }
  return int(a.size()) - int(b.size());
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

int AnsiCompareText(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(),
                        int(b.size())) - CSTR_EQUAL;
}

bool AnsiSameText(const std::string& a, const std::string& b) { return AnsiCompareText(a, b) == 0; }

std::string IntToStr(int64_t v) { return std::to_string(v); }

std::string IntToHex(int64_t v, int digits) {
  static const char hex[] = "0123456789ABCDEF";
  uint64_t u = static_cast<uint64_t>(v);
  std::string r;
  do {
    r.insert(r.begin(), hex[u & 15]);
    u >>= 4;
  } while (u != 0);
  if (int(r.size()) < digits) r.insert(0, size_t(digits) - r.size(), '0');
  return r;
}

namespace {
// Parses the runtime's integer syntax; false when s is no integer or does not fit in int64.
bool ParseInt64(const std::string& s, int64_t& out) {
  std::string t = Trim(s);
  size_t i = 0;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  uint64_t v = 0;
  const uint64_t limit = neg ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
  for (; i < t.size(); ++i) {
    int d;
    char c = t[i];
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    if (v > (limit - d) / base) return false;
    v = v * base + d;
  }
  out = neg ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  return true;
}

[[noreturn]] void BadInteger(const std::string& s) {
  throw EConvertError("'" + s + "' is not a valid integer value");
}
}  // namespace

int64_t StrToInt64(const std::string& s) {
  int64_t v;
  if (!ParseInt64(s, v)) BadInteger(s);
  return v;
}

int32_t StrToInt(const std::string& s) {
  int64_t v;
  if (!ParseInt64(s, v) || !std::in_range<int32_t>(v)) BadInteger(s);
  return static_cast<int32_t>(v);
}

int32_t StrToIntDef(const std::string& s, int32_t def) {
  int64_t v;
  if (!ParseInt64(s, v) || !std::in_range<int32_t>(v)) return def;
  return static_cast<int32_t>(v);
}
