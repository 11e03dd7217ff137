#include "OvcIntl.h"

#include "Registry.h"

namespace {
TOvcIntlSup* FIntlSup = nullptr;
}

TOvcIntlSup::TOvcIntlSup() { ResetInternationalInfo(); }

std::string TOvcIntlSup::Setting(const char* Name, const std::string& Default) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0, KEY_READ, &key) == ERROR_SUCCESS) {
    char buf[256];
    DWORD size = sizeof buf, type = 0;
    LONG rc = RegQueryValueExA(key, Name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    if (rc == ERROR_SUCCESS && type == REG_SZ) return std::string(buf, strnlen(buf, std::min<DWORD>(size, sizeof buf)));
  }
  char buf[256];
  DWORD n = GetProfileStringA("intl", Name, Default.c_str(), buf, sizeof buf);
  return std::string(buf, n);
}

int32_t TOvcIntlSup::IntSetting(const char* Name, int32_t Default) {
  std::string s = Setting(Name, std::to_string(Default));
  try {
    return StrToInt(s);
  } catch (const EConvertError&) {
    return Default;
  }
}

void TOvcIntlSup::ResetInternationalInfo() {
  auto one = [this](const char* name, char def) {
    std::string s = Setting(name, std::string(1, def));
    return s.empty() ? def : s[0];
  };
  DecimalChar = one("sDecimal", '.');
  CommaChar = one("sThousand", ',');
  CurrencyDigits = IntSetting("iCurrDigits", 2);
  ListChar = one("sList", ',');
  Country = Setting("sCountry", "");
  std::string currency = Setting("sCurrency", "$");
  CurrencyFormat = IntSetting("iCurrency", 0);
  NegCurrencyFormat = IntSetting("iNegCurr", 0);
  // Formats 0 and 2 put the symbol before the amount, 1 and 3 after it.
  if (CurrencyFormat == 0 || CurrencyFormat == 2) {
    CurrencyLtStr = currency + (CurrencyFormat == 2 ? " " : "");
    CurrencyRtStr.clear();
  } else {
    CurrencyLtStr.clear();
    CurrencyRtStr = (CurrencyFormat == 3 ? " " : "") + currency;
  }
  LeadingZeroTime = IntSetting("iTLZero", 0) != 0;
  TimeSepChar = one("sTTime", ':');
  SlashChar = one("sDate", '/');
  AMString = Setting("s1159", "AM");
  PMString = Setting("s2359", "PM");
  LongDateFormat = Setting("sLongDate", "dddd, MMMM dd, yyyy");
  ShortDateFormat = Setting("sShortDate", "MM/dd/yy");
}

std::string TOvcIntlSup::LongDateMask() const {
  // Runs of four or more M or d (full names) become the three-letter abbreviations.
  std::string out;
  const std::string& f = LongDateFormat;
  for (size_t i = 0; i < f.size();) {
    char c = f[i];
    size_t j = i;
    while (j < f.size() && f[j] == c) ++j;
    size_t run = j - i;
    if ((c == 'M' || c == 'd') && run >= 4)
      out += c == 'M' ? "MMM" : "ddd";
    else
      out.append(run, c);
    i = j;
  }
  return out;
}

TOvcIntlSup* OvcIntlSup() { return FIntlSup; }

void OvcIntlInitialize() {
  if (!FIntlSup) FIntlSup = new TOvcIntlSup;
}

void OvcIntlFinalize() { FreeAndNil(FIntlSup); }
