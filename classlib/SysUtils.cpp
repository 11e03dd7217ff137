#include "SysUtils.h"
#include "SysUtilsInternal.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

std::string WrapLines(const std::string& s, const std::function<bool(const std::string&)>& Fits) {
  std::string out, line;
  // A token is a word with the blanks after it; a line end is a token of its own.
  auto put = [&](const std::string& Token) {
    if (Fits(line + Token)) {
      line += Token;
      return;
    }
    if (!line.empty()) out += line + "\n";
    line.clear();
    std::string rest = Token;
    while (!Fits(rest)) {
      size_t n = 1;  // the longest start of rest that fits, at least one byte
      while (n < rest.size() && Fits(rest.substr(0, n + 1))) ++n;
      const size_t sep = rest.find_last_of("\\/", n - 1);
      if (sep != std::string::npos && sep > 0 && sep + 1 < n) n = sep + 1;
      out += rest.substr(0, n) + "\n";
      rest.erase(0, n);
    }
    line = rest;
  };
  std::string token;
  for (char c : s) {
    if (c == '\r' || c == '\n') {
      if (!token.empty()) put(token);
      token.clear();
      out += line + c;
      line.clear();
      continue;
    }
    if (c != ' ' && c != '\t' && !token.empty() && (token.back() == ' ' || token.back() == '\t')) {
      put(token);
      token.clear();
    }
    token += c;
  }
  if (!token.empty()) put(token);
  return out + line;
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
bool ParseInt64(const std::string& t, int64_t& out) {
  size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;  // leading blanks only, as the runtime reads numbers
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

std::string QuotedStr(const std::string& s) {
  std::string r = "'";
  for (char c : s) {
    r += c;
    if (c == '\'') r += c;
  }
  return r + "'";
}

std::string StringReplace(const std::string& s, const std::string& oldPattern,
                          const std::string& newPattern, int flags) {
  if (oldPattern.empty()) return s;
  const std::string hay = (flags & rfIgnoreCase) ? AnsiUpperCase(s) : s;
  const std::string needle = (flags & rfIgnoreCase) ? AnsiUpperCase(oldPattern) : oldPattern;
  std::string r;
  size_t from = 0;
  while (true) {
    size_t at = hay.find(needle, from);
    if (at == std::string::npos) break;
    r.append(s, from, at - from);
    r += newPattern;
    from = at + needle.size();
    if (!(flags & rfReplaceAll)) break;
  }
  r.append(s, from, std::string::npos);
  return r;
}

int Pos(const std::string& sub, const std::string& s) {
  if (sub.empty()) return 0;
  size_t at = s.find(sub);
  return at == std::string::npos ? 0 : int(at) + 1;
}

std::string Copy(const std::string& s, int index, int count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > int(s.size())) return std::string();
  return s.substr(size_t(index - 1), size_t(count));
}

// ---------------------------------------------------------------------------------------------------
// Floating point

namespace {
// A value as decimal digits: 0.d1d2d3... x 10^Exp, without trailing zeros; no digits for zero.
struct TDecimal {
  bool Negative = false;
  std::string Digits;
  int Exp = 0;
};

// Rounds to `precision` significant digits first, as the value's text is always built from them.
TDecimal FloatToDecimal(double v, int precision) {
  TDecimal d;
  d.Negative = std::signbit(v);
  precision = std::clamp(precision, 1, 17);
  char buf[64];
  snprintf(buf, sizeof buf, "%.*e", precision - 1, std::fabs(v));
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.Digits += *p;
  d.Exp = (*p == 'e' ? atoi(p + 1) : 0) + 1;
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) d.Exp = 0;
  return d;
}

// Rounds half away from zero to `decimals` digits after the point.
void RoundDecimal(TDecimal& d, int decimals) {
  int keep = d.Exp + decimals;
  if (keep >= int(d.Digits.size())) return;
  if (keep < 0) {
    d.Digits.clear();
    d.Exp = 0;
    return;
  }
  bool up = d.Digits[size_t(keep)] >= '5';
  d.Digits.resize(size_t(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.Digits[size_t(i)] == '9') d.Digits[size_t(i--)] = '0';
    if (i >= 0) d.Digits[size_t(i)]++;
    else {
      d.Digits.insert(d.Digits.begin(), '1');
      d.Exp++;
    }
  }
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) d.Exp = 0;
}

char DigitAt(const TDecimal& d, int i) { return i >= 0 && i < int(d.Digits.size()) ? d.Digits[size_t(i)] : '0'; }

std::string FixedText(TDecimal d, int decimals, bool thousands) {
  RoundDecimal(d, decimals);
  std::string intPart;
  for (int i = 0; i < d.Exp; ++i) intPart += DigitAt(d, i);
  if (intPart.empty()) intPart = "0";
  if (thousands && ThousandSeparator != 0)
    for (int at = int(intPart.size()) - 3; at > 0; at -= 3) intPart.insert(size_t(at), 1, ThousandSeparator);
  std::string r = (d.Negative && !d.Digits.empty()) ? "-" : "";
  r += intPart;
  if (decimals > 0) {
    r += DecimalSeparator;
    for (int i = 0; i < decimals; ++i) r += DigitAt(d, d.Exp + i);
  }
  return r;
}

// d.dddE+xxx with `precision` digits in all and at least `expDigits` exponent digits.
std::string ExponentText(const TDecimal& d, int precision, int expDigits, bool plusSign, bool padDigits) {
  std::string r = d.Negative && !d.Digits.empty() ? "-" : "";
  r += DigitAt(d, 0);
  int count = padDigits ? precision : int(d.Digits.size());
  if (count > 1) {
    r += DecimalSeparator;
    for (int i = 1; i < count; ++i) r += DigitAt(d, i);
  }
  int e = d.Digits.empty() ? 0 : d.Exp - 1;
  r += 'E';
  if (e < 0) r += '-';
  else if (plusSign) r += '+';
  std::string ed = std::to_string(std::abs(e));
  if (int(ed.size()) < expDigits) ed.insert(0, size_t(expDigits) - ed.size(), '0');
  return r + ed;
}

std::string GeneralText(double v, int precision) {
  TDecimal d = FloatToDecimal(v, precision);
  if (d.Digits.empty()) return "0";
  if (d.Exp > precision || d.Exp < -4) return ExponentText(d, precision, 0, false, false);
  return FixedText(d, std::max(0, int(d.Digits.size()) - d.Exp), false);
}

std::string FloatText(double v, TFloatFormat format, int precision, int digits) {
  EnsureFormatSettings();
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  switch (format) {
    case ffGeneral:
      return GeneralText(v, precision);
    case ffExponent:
      return ExponentText(FloatToDecimal(v, precision), std::clamp(precision, 1, 17), digits, true, true);
    case ffFixed:
    case ffNumber: {
      TDecimal d = FloatToDecimal(v, precision);
      if (d.Exp > std::clamp(precision, 1, 17)) return GeneralText(v, precision);
      return FixedText(d, std::clamp(digits, 0, 18), format == ffNumber);
    }
  }
  return std::string();
}
}  // namespace

std::string FloatToStr(double v) { return FloatText(v, ffGeneral, 15, 0); }

std::string FloatToStrF(double v, TFloatFormat format, int precision, int digits) {
  return FloatText(v, format, precision, digits);
}

double StrToFloat(const std::string& s) {
  EnsureFormatSettings();
  std::string t = Trim(s);
  // Accept the locale's decimal separator only, as the runtime does.
  std::string c;
  bool ok = !t.empty();
  size_t i = 0;
  auto digits = [&]() {
    size_t n = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') c += t[i++], ++n;
    return n;
  };
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) c += t[i++];
  size_t n = digits();
  if (i < t.size() && t[i] == DecimalSeparator) {
    ++i;
    c += '.';
    n += digits();
  }
  if (n == 0) ok = false;
  if (ok && i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    c += t[i++];
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) c += t[i++];
    if (digits() == 0) ok = false;
  }
  if (!ok || i != t.size()) throw EConvertError("'" + s + "' is not a valid floating point value");
  double v = strtod(c.c_str(), nullptr);
  if (std::isinf(v)) throw EConvertError("'" + s + "' is not a valid floating point value");
  return v;
}

int64_t Round(double v) {
  double r = std::nearbyint(v);  // the default rounding mode: halves to even
  if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) throw EInvalidOp();
  return static_cast<int64_t>(r);
}

int64_t Trunc(double v) {
  double r = std::trunc(v);
  if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) throw EInvalidOp();
  return static_cast<int64_t>(r);
}

double Frac(double v) { return v - std::trunc(v); }
double Int(double v) { return std::trunc(v); }

uint32_t RandSeed = 0;

void Randomize() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  RandSeed = static_cast<uint32_t>(c.QuadPart) ^ GetTickCount();
}

namespace {
uint32_t NextRandom() {
  RandSeed = RandSeed * 134775813u + 1u;
  return RandSeed;
}
}  // namespace

int32_t Random(int32_t range) {
  if (range <= 0) return 0;
  return static_cast<int32_t>((uint64_t(NextRandom()) * uint32_t(range)) >> 32);
}

double Random() { return NextRandom() / 4294967296.0; }

// ---------------------------------------------------------------------------------------------------
// Format

namespace {
[[noreturn]] void BadFormat(const std::string& fmt) {
  throw EConvertError("Format '" + fmt + "' invalid or incompatible with argument");
}
}  // namespace

std::string Format(const std::string& fmt, std::initializer_list<TVarRec> list) {
  const std::vector<const TVarRec*> args = [&] {
    std::vector<const TVarRec*> v;
    for (const TVarRec& a : list) v.push_back(&a);
    return v;
  }();
  std::string out;
  size_t next = 0;
  size_t i = 0;
  const size_t n = fmt.size();
  auto arg = [&]() -> const TVarRec& {
    if (next >= args.size()) throw EConvertError("No argument for format '" + fmt + "'");
    return *args[next++];
  };
  // A number, or "*" taking an integer argument; -1 when neither is there.
  auto number = [&]() -> int {
    if (i < n && fmt[i] == '*') {
      ++i;
      const TVarRec& a = arg();
      if (a.VType != TVarRec::vtInteger) BadFormat(fmt);
      return int(a.VInteger);
    }
    if (i >= n || fmt[i] < '0' || fmt[i] > '9') return -1;
    int v = 0;
    while (i < n && fmt[i] >= '0' && fmt[i] <= '9') {
      v = v * 10 + (fmt[i++] - '0');
      if (v > 100000) BadFormat(fmt);
    }
    return v;
  };
  while (i < n) {
    char c = fmt[i++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i < n && fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    int width = number();
    if (i < n && fmt[i] == ':') {
      ++i;
      if (width < 0) BadFormat(fmt);
      next = size_t(width);
      width = -1;
    }
    bool left = false;
    if (width < 0 && i < n && fmt[i] == '-') {
      left = true;
      ++i;
    }
    if (width < 0) width = number();
    int prec = -1;
    if (i < n && fmt[i] == '.') {
      ++i;
      prec = number();
      if (prec < 0) BadFormat(fmt);
    }
    if (i >= n) BadFormat(fmt);
    char type = static_cast<char>(std::tolower(static_cast<unsigned char>(fmt[i++])));
    const TVarRec& a = arg();
    const bool isInt = a.VType == TVarRec::vtInteger || a.VType == TVarRec::vtInt64;
    std::string text;
    switch (type) {
      case 'd':
      case 'u': {
        if (!isInt) BadFormat(fmt);
        int64_t v = a.VInteger;
        if (type == 'u' && a.VType == TVarRec::vtInteger && v < 0) v = uint32_t(v);
        bool neg = v < 0;
        text = neg ? std::to_string(0 - uint64_t(v)) : std::to_string(v);
        if (prec > int(text.size())) text.insert(0, size_t(prec) - text.size(), '0');
        if (neg) text.insert(0, 1, '-');
        break;
      }
      case 'x': {
        if (!isInt) BadFormat(fmt);
        int64_t v = a.VType == TVarRec::vtInteger ? int64_t(uint32_t(a.VInteger)) : a.VInteger;
        text = IntToHex(v, prec < 0 ? 0 : prec);
        break;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n': {
        if (a.VType != TVarRec::vtExtended) BadFormat(fmt);
        if (type == 'e') text = FloatText(a.VExtended, ffExponent, prec < 0 ? 15 : prec, 3);
        else if (type == 'g') text = FloatText(a.VExtended, ffGeneral, prec < 0 ? 15 : prec, 3);
        else text = FloatText(a.VExtended, type == 'f' ? ffFixed : ffNumber, 17, prec < 0 ? 2 : prec);
        break;
      }
      case 's':
        if (a.VType != TVarRec::vtString && a.VType != TVarRec::vtChar) BadFormat(fmt);
        text = a.VString;
        if (prec >= 0 && size_t(prec) < text.size()) text.resize(size_t(prec));
        break;
      case 'p':
        if (a.VType != TVarRec::vtPointer) BadFormat(fmt);
        text = IntToHex(int64_t(reinterpret_cast<uintptr_t>(a.VPointer)), int(sizeof(void*) * 2));
        break;
      default:
        BadFormat(fmt);
    }
    if (width > int(text.size())) {
      if (left) text.append(size_t(width) - text.size(), ' ');
      else text.insert(0, size_t(width) - text.size(), ' ');
    }
    out += text;
  }
  return out;
}
