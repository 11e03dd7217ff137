#include "UPTShConsts.h"

#include <windows.h>

std::string PTLoadStr(int Ident) {
  char buf[1024];
  int n = LoadStringA(GetModuleHandleA(nullptr), UINT(Ident), buf, int(sizeof buf));
  return std::string(buf, size_t(n > 0 ? n : 0));
}
