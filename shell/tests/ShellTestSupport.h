#pragma once
// Helpers shared by the shell controls' test programs.
#include <memory>

#include "Forms.h"

// Runs the message loop for about Ms milliseconds, so windows paint and timers fire.
void Pump(int Ms);

// A form owned by the test and freed the class library's way when it goes out of scope.
struct FormDeleter {
  void operator()(TForm* f) const { TObject::Free(f); }
};
template <class F = TForm>
using Owned = std::unique_ptr<F, FormDeleter>;
using FormPtr = Owned<TForm>;
