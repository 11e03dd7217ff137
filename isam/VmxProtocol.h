#pragma once
// The numbers of VBIS4032's calling protocol, named once for both sides of the DLL boundary: the
// library (isam/Vmx.cpp) and the store's door to it (store/IsamFile). The library refuses any value
// not named here.
#include <cstdint>

// VmxOpen mode: shared reading and writing, the only mode the store uses.
constexpr int16_t IsamOpenShared = 3;

// VmxPut mode.
enum class TIsamPut : int16_t { Add = 1, Replace = 2 };

// Index 0 is the primary key (the ten-digit record key); 1..n are the fields marked X in the format.
constexpr int16_t IsamKeyIndex = 0;

// VmxGet options: a read is IsamReadOption plus a step and the scan flags; an equal read and the
// key-only step back stand alone.
constexpr int16_t IsamReadOption = 0x1000;
constexpr int16_t IsamStepNext = 2;
constexpr int16_t IsamStepPrior = 4;
constexpr int16_t IsamScanFlags = 16;  // the flags every scan passes (the library takes no other)
constexpr int16_t IsamReadEqual = 0x1011;
constexpr int16_t IsamReadLastKey = 0x2004;  // the key before the position, no record copied

// Result code of a create on a data set that exists already.
constexpr int16_t IsamDataSetNameInUse = 9;
