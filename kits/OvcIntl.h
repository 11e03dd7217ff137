// The system's international settings as the control kit uses them: currency, decimal and thousands
// characters, the list separator, and the date and time picture masks built from the short and long
// date formats. One instance, made when the kit starts.
#pragma once

#include <cstdint>
#include <string>

#include "Classes.h"

class TOvcIntlSup : public TObject {
  YOZ_CLASS(TOvcIntlSup, TObject)
public:
  TOvcIntlSup();
  // Reads the settings again: from the current user's "Control Panel\International" key, else from
  // the "intl" section of the profile; a one-character value left empty keeps its default.
  void ResetInternationalInfo();

  std::string CurrencyLtStr = "$";
  std::string CurrencyRtStr;
  char DecimalChar = '.';
  char CommaChar = ',';
  int32_t CurrencyDigits = 2;
  char ListChar = ',';
  std::string Country;
  int32_t CurrencyFormat = 0;    // iCurrency
  int32_t NegCurrencyFormat = 0; // iNegCurr
  bool LeadingZeroTime = false;  // iTLZero
  char TimeSepChar = ':';
  char SlashChar = '/';
  char TrueChar = 'T', FalseChar = 'F', YesChar = 'Y', NoChar = 'N';
  std::string AMString = "AM";
  std::string PMString = "PM";
  std::string LongDateFormat = "dddd, MMMM dd, yyyy";
  std::string ShortDateFormat = "MM/dd/yy";

  // The long date's picture mask: month names shortened to "MMM" and day names to "ddd".
  std::string LongDateMask() const;

private:
  std::string Setting(const char* Name, const std::string& Default);
  int32_t IntSetting(const char* Name, int32_t Default);
};

// The kit's instance (nil before the kit starts).
TOvcIntlSup* OvcIntlSup();
void OvcIntlInitialize();
void OvcIntlFinalize();
