#include "KLNStringUtils.h"

std::string AddBackslash(const std::string& Path) {
  if (!Path.empty() && Path.back() == '\\') return Path;
  return Path + "\\";
}
