#include "StVInfo.h"
#include <windows.h>

bool IsDirectory(const std::string& Path) {
  if (Path.empty()) return false;
  DWORD a = GetFileAttributesA(Path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
