// The exported entry points: stdcall, every argument by reference, strings handed back as OLE strings
// (8-bit text) that the caller frees with SysFreeString. One table of open data sets per process.
#include "IsamDataset.h"
#include "IsamFault.h"
#include "VmxProtocol.h"

#include <oleauto.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

using namespace isam;

#ifdef ISAM_TEST
namespace isam {
int FaultCountdown = 0;
int FaultCode = 0;
}  // namespace isam
#endif

namespace {

// Options and modes the store passes (VmxProtocol.h); anything else is refused.
constexpr int16_t kOptNext = IsamReadOption + IsamStepNext + IsamScanFlags;
constexpr int16_t kOptPrior = IsamReadOption + IsamStepPrior + IsamScanFlags;
constexpr int16_t kOptEqual = IsamReadEqual;
constexpr int16_t kOptLastKey = IsamReadLastKey;
constexpr int16_t kOpenShared = IsamOpenShared;
constexpr int16_t kPutAdd = int16_t(TIsamPut::Add);
constexpr int16_t kPutReplace = int16_t(TIsamPut::Replace);
constexpr size_t kMaxString = 32768;

std::mutex gLock;
std::map<int32_t, std::unique_ptr<Dataset>> gOpen;
int32_t gNextHandle = 1;

std::string Text(const char* const* s) {
  if (!s || !*s) return {};
  return std::string(*s, strnlen(*s, kMaxString));
}

BSTR Bstr(const std::string& s) { return SysAllocStringByteLen(s.data(), (UINT)s.size()); }

Dataset* Find(const int32_t* handle) {
  if (!handle) return nullptr;
  auto it = gOpen.find(*handle);
  return it == gOpen.end() ? nullptr : it->second.get();
}

// No exception leaves the library.
template <class F>
int16_t Guard(F f) {
  try {
    std::lock_guard<std::mutex> g(gLock);
    return f();
  } catch (const std::bad_alloc&) {
    return rcNoMemory;
  } catch (...) {
    return rcIOError;
  }
}

}  // namespace

extern "C" {

// Makes a new data set NAME (NAME.ism and NAME.isd) with the key length and field format. rcOK, rcBadParam
// (a null or non-zero reserved argument, a bad format), rcNameInUse (either file exists; left as it is),
// or the file failure mapped.
__declspec(dllexport) int16_t __stdcall VmxCreate(const char* const* name, const int16_t* keyLength,
                                                  const int32_t* reserved1, const int16_t* reserved2,
                                                  const int16_t* reserved3, const char* const* format) {
  return Guard([&]() -> int16_t {
    if (!name || !keyLength || !format || (reserved1 && *reserved1) || (reserved2 && *reserved2) ||
        (reserved3 && *reserved3))
      return rcBadParam;
    return Dataset::Create(Text(name), *keyLength, Text(format));
  });
}

// Opens NAME in the shared mode (the only one) and gives a handle for the other calls. rcOK, rcBadParam,
// rcNotFound, rcNotIsam or rcCorrupt (a foreign or damaged file), or the failure mapped.
__declspec(dllexport) int16_t __stdcall VmxOpen(const char* const* name, const int16_t* reserved,
                                                const int16_t* mode, int32_t* handle) {
  return Guard([&]() -> int16_t {
    if (!name || !mode || !handle || *mode != kOpenShared || (reserved && *reserved)) return rcBadParam;
    std::unique_ptr<Dataset> ds;
    Result r = Dataset::Open(Text(name), ds);
    if (r != rcOK) return r;
    int32_t h = gNextHandle;
    gNextHandle = gNextHandle == INT32_MAX ? 1 : gNextHandle + 1;
    gOpen[h] = std::move(ds);
    *handle = h;
    return rcOK;
  });
}

// Forgets the handle and closes its data set. rcOK, or rcBadHandle for a handle not open.
__declspec(dllexport) int16_t __stdcall VmxClose(const int32_t* handle) {
  return Guard([&]() -> int16_t { return handle && gOpen.erase(*handle) ? rcOK : rcBadHandle; });
}

// Reads the next or prior record along an index, or the one equal to `key`, or only the key before the
// position; hands back the index value and the record key as OLE strings. rcOK, rcBadHandle, rcBadParam
// (an option the store never passes), rcNotFound (no such record, or the end of the index), or the
// failure mapped. The position moves only on success.
__declspec(dllexport) int16_t __stdcall VmxGet(const int32_t* handle, const int16_t* index, const int16_t* option,
                                               const char* const* key, BSTR* data, BSTR* keyOut, void* record) {
  return Guard([&]() -> int16_t {
    if (data) *data = nullptr;
    if (keyOut) *keyOut = nullptr;
    Dataset* ds = Find(handle);
    if (!ds) return rcBadHandle;
    if (!index || !option) return rcBadParam;
    ReadOp op;
    bool keyOnly = false;
    switch (*option) {
      case kOptNext: op = ReadOp::Next; break;
      case kOptPrior: op = ReadOp::Prior; break;
      case kOptEqual: op = ReadOp::Equal; break;
      case kOptLastKey: op = ReadOp::Prior; keyOnly = true; break;
      default: return rcBadParam;
    }
    if (!keyOnly && !record) return rcBadParam;
    std::string pk, value;
    Result r = ds->Read(*index, op, keyOnly, Text(key), static_cast<unsigned char*>(record), pk, value);
    if (r != rcOK) return r;
    if (data) *data = Bstr(value);
    if (keyOut) *keyOut = Bstr(pk);
    return rcOK;
  });
}

// Adds (mode 1) or replaces (mode 2) one record in its own transaction; a failure leaves the data set
// unchanged. An empty key in add mode gets the highest key plus one; that key is handed back through
// `key` as a new OLE string the caller frees. A non-empty key is used as given and left alone. rcOK,
// rcBadHandle, rcBadParam, rcNotFound, rcUpdateMode, or the failure mapped (disk full, busy, I/O, memory).
__declspec(dllexport) int16_t __stdcall VmxPut(const int32_t* handle, char** key, const void* record,
                                               const int16_t* mode) {
  return Guard([&]() -> int16_t {
    Dataset* ds = Find(handle);
    if (!ds) return rcBadHandle;
    if (!key || !record || !mode || (*mode != kPutAdd && *mode != kPutReplace)) return rcBadParam;
    std::string k = Text(key);
    bool assign = k.empty() && *mode == kPutAdd;
    Result r = ds->Put(k, static_cast<const unsigned char*>(record), *mode);
    if (r == rcOK && assign) *key = reinterpret_cast<char*>(Bstr(k));
    return r;
  });
}

// Deletes the record under `key` in its own transaction; a failure leaves the data set unchanged. rcOK,
// rcBadHandle, rcBadParam, rcNotFound, or the failure mapped (disk full, busy, I/O, memory).
__declspec(dllexport) int16_t __stdcall VmxDelete(const int32_t* handle, const char* const* key) {
  return Guard([&]() -> int16_t {
    Dataset* ds = Find(handle);
    if (!ds) return rcBadHandle;
    if (!key) return rcBadParam;
    return ds->Delete(Text(key));
  });
}

// Puts the read position before the first (VmxBOF) or after the last (VmxEOF) record of the index.
// rcOK, rcBadHandle, or rcBadParam for an index the format does not have.
__declspec(dllexport) int16_t __stdcall VmxBOF(const int32_t* handle, const int16_t* index) {
  return Guard([&]() -> int16_t {
    Dataset* ds = Find(handle);
    if (!ds) return rcBadHandle;
    return index ? ds->First(*index) : rcBadParam;
  });
}

__declspec(dllexport) int16_t __stdcall VmxEOF(const int32_t* handle, const int16_t* index) {
  return Guard([&]() -> int16_t {
    Dataset* ds = Find(handle);
    if (!ds) return rcBadHandle;
    return index ? ds->Last(*index) : rcBadParam;
  });
}

// Fills a 32-byte block: record count (32-bit) at 0, key length (16-bit) at 8, the format as an OLE
// string at 24. rcOK, rcBadHandle, rcBadParam, or the failure mapped.
__declspec(dllexport) int16_t __stdcall VmxInfo(const int32_t* handle, void* info) {
  return Guard([&]() -> int16_t {
    Dataset* ds = Find(handle);
    if (!ds) return rcBadHandle;
    if (!info) return rcBadParam;
    int32_t count = 0;
    Result r = ds->Count(count);
    if (r != rcOK) return r;
    unsigned char* p = static_cast<unsigned char*>(info);
    uint16_t keyLength = ds->KeyLength();
    BSTR format = Bstr(ds->Format());
    std::memcpy(p, &count, 4);
    std::memcpy(p + 8, &keyLength, 2);
    std::memcpy(p + 24, &format, sizeof format);
    return rcOK;
  });
}

// Present for callers that look every entry point up; the store never calls them.
__declspec(dllexport) int16_t __stdcall VmxLock() { return rcNotAvailable; }
__declspec(dllexport) int16_t __stdcall VmxUnlock() { return rcNotAvailable; }
__declspec(dllexport) int16_t __stdcall VmxKill() { return rcNotAvailable; }
__declspec(dllexport) int16_t __stdcall VmxReadNote() { return rcNotAvailable; }
__declspec(dllexport) int16_t __stdcall VmxWriteNote() { return rcNotAvailable; }
__declspec(dllexport) int16_t __stdcall VmxFetchField() { return rcNotAvailable; }

#ifdef ISAM_TEST
// Test build only: the Countdown-th SQLite step from now gives Code instead of running (0 disarms).
__declspec(dllexport) void __stdcall VmxSimulateFault(const int32_t* Countdown, const int32_t* Code) {
  std::lock_guard<std::mutex> g(gLock);
  FaultCountdown = Countdown ? *Countdown : 0;
  FaultCode = Code ? *Code : 0;
}
#endif

}  // extern "C"
