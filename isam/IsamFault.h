#pragma once
// Fault injection for the library's tests, as SQLite does it around its own I/O: in the test build
// (ISAM_TEST) the Nth SQLite step from now does not run and answers the chosen failure code instead,
// so every failure path of a write can be driven from a test. The shipped library has none of it.
#include <sqlite3.h>

#ifdef ISAM_TEST
namespace isam {
extern int FaultCountdown;  // steps until the fault; 0 = none armed
extern int FaultCode;       // the SQLite result the faulty step gives
}  // namespace isam
#endif

namespace isam {

// One SQLite step, or the armed fault in its place.
inline int SqlStep(sqlite3_stmt* st) {
#ifdef ISAM_TEST
  if (FaultCountdown > 0 && --FaultCountdown == 0) return FaultCode;
#endif
  return sqlite3_step(st);
}

}  // namespace isam
