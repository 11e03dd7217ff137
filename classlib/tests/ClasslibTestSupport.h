#pragma once
// Shared helpers of the class library's test programs: setting up the forms library, pumping
// messages until something happened, finding a form's components, and freeing forms.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "Forms.h"

// Starts the forms library for the whole test program and registers the classes its forms read.
class TFormsEnvironment : public ::testing::Environment {
public:
  explicit TFormsEnvironment(std::initializer_list<void (*)()> Registers) : FRegisters(Registers) {}
  void SetUp() override;
  void TearDown() override;

private:
  std::vector<void (*)()> FRegisters;
};

// Processes messages until Done() holds or TimeoutMs passed; gives Done()'s last answer.
template <class F>
bool PumpUntil(F Done, int TimeoutMs = 3000) {
  DWORD start = GetTickCount();
  while (!Done()) {
    Application->ProcessMessages();
    if (GetTickCount() - start > DWORD(TimeoutMs)) return Done();
    Sleep(1);
  }
  return true;
}

// Processes messages for Ms milliseconds.
void Pump(int Ms);

template <class T>
T* Find(TComponent* Root, const char* Name) {
  return dynamic_cast<T*>(Root->FindComponent(Name));
}

// For std::unique_ptr of a form: forms are freed, not deleted.
struct FormDeleter {
  void operator()(TCustomForm* f) const { TObject::Free(f); }
};

// Bytes as upper-case hex, 32 to a line, for readable failures.
std::string Hex(const std::string& bytes);
