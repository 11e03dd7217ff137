#pragma once
// The maker's addresses, in one place: the about box, the text log's banner and the out-of-date
// common-controls warning all show these.
#include <string>

inline constexpr const char* MakerWebsite = "http://www.example.com/yoz";
inline constexpr const char* MakerEmail = "yoz@example.com";
// The questions-and-answers page of the web site.
inline std::string MakerFaq() { return std::string(MakerWebsite) + "/faq.html"; }
