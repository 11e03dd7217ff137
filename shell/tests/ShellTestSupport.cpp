#include "ShellTestSupport.h"

void Pump(int Ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < DWORD(Ms)) {
    Application->ProcessMessages();
    Sleep(1);
  }
}
