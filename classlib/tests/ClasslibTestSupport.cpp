#include "ClasslibTestSupport.h"

void TFormsEnvironment::SetUp() {
  InitForms();
  for (auto r : FRegisters) r();
}

void TFormsEnvironment::TearDown() { DoneForms(); }

void Pump(int Ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < DWORD(Ms)) {
    Application->ProcessMessages();
    Sleep(1);
  }
}

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 32 == 0) out += "\n    ";
    out += digits[uint8_t(bytes[i]) >> 4];
    out += digits[uint8_t(bytes[i]) & 15];
  }
  return out;
}
