// The benchmarks' clock: a reading of the performance counter, and the milliseconds between two.
#pragma once

#include <windows.h>

inline LARGE_INTEGER Clock() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t;
}

inline double Ms(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart);
}
