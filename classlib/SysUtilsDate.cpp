// Dates, times and the locale's formats.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "SysUtils.h"
#include "SysUtilsInternal.h"

std::string ShortDateFormat = "M/d/yyyy";
std::string LongDateFormat = "dddd, MMMM d, yyyy";
std::string ShortTimeFormat = "h:mm AMPM";
std::string LongTimeFormat = "h:mm:ss AMPM";
char DateSeparator = '/';
char TimeSeparator = ':';
char ThousandSeparator = ',';
char DecimalSeparator = '.';
std::string TimeAMString = "AM";
std::string TimePMString = "PM";
std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
std::string LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};
std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
std::string LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

namespace {
bool FormatSettingsRead = false;

std::string LocaleStr(LCTYPE type, const std::string& def) {
  char buf[256];
  int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
  return n > 1 ? std::string(buf, size_t(n - 1)) : def;
}

char LocaleChar(LCTYPE type, char def) {
  std::string s = LocaleStr(type, std::string(1, def));
  return s.empty() ? def : s[0];
}

// The locale's date pattern without era letters, which have no meaning here.
std::string DatePattern(const std::string& s) {
  std::string r;
  bool quoted = false;
  for (char c : s) {
    if (c == '\'') quoted = !quoted;
    if (!quoted && (c == 'g' || c == 'G')) continue;
    r += c;
  }
  return Trim(r);
}
}  // namespace

void GetFormatSettings() {
  FormatSettingsRead = true;
  DateSeparator = LocaleChar(LOCALE_SDATE, '/');
  TimeSeparator = LocaleChar(LOCALE_STIME, ':');
  ThousandSeparator = LocaleChar(LOCALE_STHOUSAND, ',');
  DecimalSeparator = LocaleChar(LOCALE_SDECIMAL, '.');
  ShortDateFormat = DatePattern(LocaleStr(LOCALE_SSHORTDATE, "M/d/yyyy"));
  LongDateFormat = DatePattern(LocaleStr(LOCALE_SLONGDATE, "dddd, MMMM d, yyyy"));
  TimeAMString = LocaleStr(LOCALE_S1159, "AM");
  TimePMString = LocaleStr(LOCALE_S2359, "PM");
  // Time formats from the clock settings: 12 or 24 hours, leading zero, marker before or after.
  const bool twelve = LocaleStr(LOCALE_ITIME, "0") == "0";
  const std::string hour = LocaleStr(LOCALE_ITLZERO, "0") == "0" ? "h" : "hh";
  std::string prefix, postfix;
  if (twelve) {
    if (LocaleStr(LOCALE_ITIMEMARKPOSN, "0") == "0") postfix = " AMPM";
    else prefix = "AMPM ";
  }
  ShortTimeFormat = prefix + hour + ":mm" + postfix;
  LongTimeFormat = prefix + hour + ":mm:ss" + postfix;
  for (int i = 0; i < 12; ++i) {
    ShortMonthNames[i] = LocaleStr(LCTYPE(LOCALE_SABBREVMONTHNAME1 + i), ShortMonthNames[i]);
    LongMonthNames[i] = LocaleStr(LCTYPE(LOCALE_SMONTHNAME1 + i), LongMonthNames[i]);
  }
  // The locale counts days from Monday; the runtime from Sunday.
  for (int i = 0; i < 7; ++i) {
    ShortDayNames[(i + 1) % 7] = LocaleStr(LCTYPE(LOCALE_SABBREVDAYNAME1 + i), ShortDayNames[(i + 1) % 7]);
    LongDayNames[(i + 1) % 7] = LocaleStr(LCTYPE(LOCALE_SDAYNAME1 + i), LongDayNames[(i + 1) % 7]);
  }
}

void EnsureFormatSettings() {
  if (!FormatSettingsRead) GetFormatSettings();
}

// ---------------------------------------------------------------------------------------------------
// Calendar arithmetic

namespace {
constexpr int64_t MSecsPerDayInt = 86400000;
constexpr int64_t UnixDayOfZero = -25569;  // 1899-12-30 counted from 1970-01-01

int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

int DaysInMonth(int y, int m) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(uint16_t(y)) ? 29 : days[m - 1];
}

// Whole days (signed) and the milliseconds of the day, rounded to the nearest millisecond. Before
// 1899-12-30 the fraction still counts forward from the start of the day: -1.25 is 06:00 of day -1.
void SplitDateTime(TDateTime v, int64_t& days, int64_t& msecs) {
  if (!std::isfinite(v) || std::fabs(v) > 3e6) throw EInvalidOp();
  const int64_t total = std::llround(std::fabs(v) * MSecsPerDayInt);
  days = total / MSecsPerDayInt;
  msecs = total % MSecsPerDayInt;
  if (v < 0) days = -days;
}

bool TryEncodeDate(int y, int m, int d, TDateTime& out) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  out = double(DaysFromCivil(y, m, d) - UnixDayOfZero);
  return true;
}

bool TryEncodeTime(int h, int n, int s, int ms, TDateTime& out) {
  if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59 || ms < 0 || ms > 999) return false;
  out = ((h * 3600000.0) + n * 60000.0 + s * 1000.0 + ms) / MSecsPerDay;
  return true;
}

TDateTime CombineDateTime(TDateTime date, TDateTime time) { return date >= 0 ? date + time : date - time; }
}  // namespace

bool IsLeapYear(uint16_t y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

TDateTime EncodeDate(uint16_t year, uint16_t month, uint16_t day) {
  TDateTime r;
  if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

TDateTime EncodeTime(uint16_t hour, uint16_t min, uint16_t sec, uint16_t msec) {
  TDateTime r;
  if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}

void DecodeDate(TDateTime d, uint16_t& year, uint16_t& month, uint16_t& day) {
  int64_t days, ms;
  SplitDateTime(d, days, ms);
  int y, m, dd;
  CivilFromDays(days + UnixDayOfZero, y, m, dd);
  if (y < 1 || y > 9999) {
    year = month = day = 0;
    return;
  }
  year = uint16_t(y);
  month = uint16_t(m);
  day = uint16_t(dd);
}

void DecodeTime(TDateTime d, uint16_t& hour, uint16_t& min, uint16_t& sec, uint16_t& msec) {
  int64_t days, ms;
  SplitDateTime(d, days, ms);
  hour = uint16_t(ms / 3600000);
  min = uint16_t(ms / 60000 % 60);
  sec = uint16_t(ms / 1000 % 60);
  msec = uint16_t(ms % 1000);
}

int DayOfWeek(TDateTime d) {
  int64_t days, ms;
  SplitDateTime(d, days, ms);
  return int(((days % 7) + 7 + 6) % 7) + 1;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
  return CombineDateTime(EncodeDate(st.wYear, st.wMonth, st.wDay),
                         EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds));
}

TDateTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return SystemTimeToDateTime(st);
}

TDateTime Date() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeDate(st.wYear, st.wMonth, st.wDay);
}

TDateTime Time() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

// ---------------------------------------------------------------------------------------------------
// Formatting

namespace {
struct TDateParts {
  uint16_t Year, Month, Day, Hour, Min, Sec, MSec;
  int Dow;
  bool Midnight;
};

std::string Pad(int v, int width) {
  std::string s = std::to_string(v);
  if (int(s.size()) < width) s.insert(0, size_t(width) - s.size(), '0');
  return s;
}

bool StartsNoCase(const std::string& s, size_t at, const char* what) {
  size_t n = strlen(what);
  if (at + n > s.size()) return false;
  for (size_t k = 0; k < n; ++k)
    if (std::toupper(static_cast<unsigned char>(s[at + k])) != what[k]) return false;
  return true;
}

// The hours show on the 12-hour clock when the format has an am/pm marker anywhere.
bool HasAmPm(const std::string& fmt) {
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '\'' || fmt[i] == '"') {  // quoted text is no marker
      size_t end = fmt.find(fmt[i], i + 1);
      if (end == std::string::npos) return false;
      i = end;
    } else if (StartsNoCase(fmt, i, "AM/PM") || StartsNoCase(fmt, i, "A/P") || StartsNoCase(fmt, i, "AMPM")) {
      return true;
    }
  }
  return false;
}

void FormatParts(const std::string& fmt, const TDateParts& p, std::string& out, int depth) {
  if (depth > 2) return;
  const bool twelve = HasAmPm(fmt);
  char last = 0;  // the letter of the previous date or time token
  size_t i = 0;
  const size_t n = fmt.size();
  auto run = [&](char upper) {
    size_t k = i;
    while (k < n && std::toupper(static_cast<unsigned char>(fmt[k])) == upper) ++k;
    int count = int(k - i);
    i = k;
    return count;
  };
  while (i < n) {
    const char c = fmt[i];
    const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    switch (u) {
      case 'Y': {
        int count = run('Y');
        out += count <= 2 ? Pad(p.Year % 100, 2) : Pad(p.Year, 4);
        last = u;
        break;
      }
      case 'G':
        run('G');
        break;
      case 'M': {
        int count = run('M');
        if (last == 'H') out += Pad(p.Min, count >= 2 ? 2 : 1);
        else if (count == 1) out += std::to_string(p.Month);
        else if (count == 2) out += Pad(p.Month, 2);
        else if (count == 3) out += ShortMonthNames[p.Month - 1];
        else out += LongMonthNames[p.Month - 1];
        last = u;
        break;
      }
      case 'D': {
        int count = run('D');
        if (count == 1) out += std::to_string(p.Day);
        else if (count == 2) out += Pad(p.Day, 2);
        else if (count == 3) out += ShortDayNames[p.Dow - 1];
        else if (count == 4) out += LongDayNames[p.Dow - 1];
        else if (count == 5) FormatParts(ShortDateFormat, p, out, depth + 1);
        else FormatParts(LongDateFormat, p, out, depth + 1);
        last = u;
        break;
      }
      case 'H': {
        int count = run('H');
        int h = p.Hour;
        if (twelve) {
          if (h > 12) h -= 12;
          if (h == 0) h = 12;
        }
        out += Pad(h, count >= 2 ? 2 : 1);
        last = u;
        break;
      }
      case 'N':
        out += Pad(p.Min, run('N') >= 2 ? 2 : 1);
        last = u;
        break;
      case 'S':
        out += Pad(p.Sec, run('S') >= 2 ? 2 : 1);
        last = u;
        break;
      case 'Z':
        out += Pad(p.MSec, run('Z') >= 3 ? 3 : 1);
        last = u;
        break;
      case 'T':
        FormatParts(run('T') == 1 ? ShortTimeFormat : LongTimeFormat, p, out, depth + 1);
        last = u;
        break;
      case 'C':
        run('C');
        FormatParts(ShortDateFormat, p, out, depth + 1);
        if (!p.Midnight) {
          out += ' ';
          FormatParts(LongTimeFormat, p, out, depth + 1);
        }
        last = u;
        break;
      case 'A': {
        const bool pm = p.Hour >= 12;
        if (StartsNoCase(fmt, i, "AM/PM")) {
          // The marker keeps the letter case written in the format.
          out += pm ? fmt.substr(i + 3, 2) : fmt.substr(i, 2);
          i += 5;
        } else if (StartsNoCase(fmt, i, "A/P")) {
          out += pm ? fmt[i + 2] : fmt[i];
          i += 3;
        } else if (StartsNoCase(fmt, i, "AMPM")) {
          out += pm ? TimePMString : TimeAMString;
          i += 4;
        } else {
          out += c;
          ++i;
        }
        break;
      }
      case '/':
        if (DateSeparator) out += DateSeparator;
        ++i;
        break;
      case ':':
        if (TimeSeparator) out += TimeSeparator;
        ++i;
        break;
      case '\'':
      case '"': {
        size_t end = fmt.find(c, i + 1);
        if (end == std::string::npos) end = n;
        out.append(fmt, i + 1, end - i - 1);
        i = end < n ? end + 1 : n;
        break;
      }
      default:
        out += c;
        ++i;
    }
  }
}
}  // namespace

std::string FormatDateTime(const std::string& fmt, TDateTime d) {
  EnsureFormatSettings();
  TDateParts p;
  int64_t days, ms;
  SplitDateTime(d, days, ms);
  DecodeDate(d, p.Year, p.Month, p.Day);
  DecodeTime(d, p.Hour, p.Min, p.Sec, p.MSec);
  p.Dow = DayOfWeek(d);
  p.Midnight = ms == 0;
  std::string out;
  FormatParts(fmt.empty() ? std::string("c") : fmt, p, out, 0);
  return out;
}

std::string DateTimeToStr(TDateTime d) { return FormatDateTime("c", d); }
std::string DateToStr(TDateTime d) { return FormatDateTime("ddddd", d); }
std::string TimeToStr(TDateTime d) { return FormatDateTime("tt", d); }

// ---------------------------------------------------------------------------------------------------
// Reading dates and times back

namespace {
struct TScanner {
  const std::string& S;
  size_t Pos = 0;

  void SkipBlanks() {
    while (Pos < S.size() && S[Pos] == ' ') ++Pos;
  }
  bool AtEnd() {
    SkipBlanks();
    return Pos >= S.size();
  }
  bool Char(char c) {
    SkipBlanks();
    if (c == 0 || Pos >= S.size() || S[Pos] != c) return false;
    ++Pos;
    return true;
  }
  // Up to 4 digits; the count of digits read goes to `digits`.
  bool Number(int& v, int& digits) {
    SkipBlanks();
    v = 0;
    digits = 0;
    while (Pos < S.size() && S[Pos] >= '0' && S[Pos] <= '9' && digits < 5) {
      v = v * 10 + (S[Pos++] - '0');
      ++digits;
    }
    return digits > 0 && digits <= 4;
  }
  // 1 for the morning marker, 2 for the afternoon one, 0 for none.
  int AmPm() {
    SkipBlanks();
    auto match = [&](const std::string& m) {
      if (m.empty() || Pos + m.size() > S.size()) return false;
      if (!SameText(S.substr(Pos, m.size()), m) && !AnsiSameText(S.substr(Pos, m.size()), m)) return false;
      Pos += m.size();
      return true;
    };
    if (match(TimeAMString) || match("AM")) return 1;
    if (match(TimePMString) || match("PM")) return 2;
    return 0;
  }
};

bool ScanDate(TScanner& sc, TDateTime& out) {
  char order = 'M';
  for (char c : ShortDateFormat) {
    char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (u == 'D' || u == 'M' || u == 'Y') {
      order = u;
      break;
    }
  }
  int n1, n2, n3 = 0, d1, d2, d3 = 0;
  if (!sc.Number(n1, d1) || !sc.Char(DateSeparator) || !sc.Number(n2, d2)) return false;
  const size_t afterTwo = sc.Pos;
  bool three = false;
  if (sc.Char(DateSeparator)) {
    if (!sc.Number(n3, d3)) return false;
    three = true;
  } else {
    sc.Pos = afterTwo;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  int y, m, d, yDigits;
  if (!three) {
    y = now.wYear;
    yDigits = 4;
    if (order == 'D') d = n1, m = n2;
    else m = n1, d = n2;
  } else if (order == 'Y') {
    y = n1, yDigits = d1, m = n2, d = n3;
  } else if (order == 'D') {
    d = n1, m = n2, y = n3, yDigits = d3;
  } else {
    m = n1, d = n2, y = n3, yDigits = d3;
  }
  if (yDigits <= 2) y += now.wYear / 100 * 100;
  return TryEncodeDate(y, m, d, out);
}

bool ScanTime(TScanner& sc, TDateTime& out) {
  int ampm = sc.AmPm();
  int h, n = 0, s = 0, ms = 0, digits;
  if (!sc.Number(h, digits)) return false;
  bool minutes = false;
  if (sc.Char(TimeSeparator)) {
    if (!sc.Number(n, digits)) return false;
    minutes = true;
    if (sc.Char(TimeSeparator)) {
      if (!sc.Number(s, digits)) return false;
      if (sc.Char(DecimalSeparator) && !sc.Number(ms, digits)) return false;
    }
  }
  if (ampm == 0) ampm = sc.AmPm();
  if (!minutes && ampm == 0) return false;
  if (ampm != 0) {
    if (h > 12 || h == 0) return false;
    if (h == 12) h = 0;
    if (ampm == 2) h += 12;
  }
  return TryEncodeTime(h, n, s, ms, out);
}
}  // namespace

TDateTime StrToDate(const std::string& s) {
  EnsureFormatSettings();
  TScanner sc{s};
  TDateTime d;
  if (!ScanDate(sc, d) || !sc.AtEnd()) throw EConvertError("'" + s + "' is not a valid date");
  return d;
}

TDateTime StrToTime(const std::string& s) {
  EnsureFormatSettings();
  TScanner sc{s};
  TDateTime t;
  if (!ScanTime(sc, t) || !sc.AtEnd()) throw EConvertError("'" + s + "' is not a valid time");
  return t;
}

TDateTime StrToDateTime(const std::string& s) {
  EnsureFormatSettings();
  TScanner sc{s};
  TDateTime d, t = 0;
  if (ScanDate(sc, d) && (sc.AtEnd() || (ScanTime(sc, t) && sc.AtEnd()))) return CombineDateTime(d, t);
  TScanner only{s};
  if (ScanTime(only, t) && only.AtEnd()) return t;
  throw EConvertError("'" + s + "' is not a valid date and time");
}
