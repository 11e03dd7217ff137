#include <windows.h>
int SmokeAnswer() { char b[64]; DWORD n = sizeof b; return GetUserNameA(b, &n) ? 42 : 0; }
