// The exported entry points: stdcall, every argument by reference, strings handed back as OLE strings
// (8-bit text) that the caller frees with SysFreeString. One table of open data sets per process.
#include "IsamDataset.h"
#include "VmxProtocol.h"

#include <oleauto.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

using namespace isam;

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

__declspec(dllexport) int16_t __stdcall VmxClose(const int32_t* handle) {
  return Guard([&]() -> int16_t { return handle && gOpen.erase(*handle) ? rcOK : rcBadHandle; });
}

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

// An empty key in add mode gets the highest key plus one; that key is handed back through `key` as a
// new OLE string the caller frees. A non-empty key is used as given and left alone.
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

__declspec(dllexport) int16_t __stdcall VmxDelete(const int32_t* handle, const char* const* key) {
  return Guard([&]() -> int16_t {
    Dataset* ds = Find(handle);
    if (!ds) return rcBadHandle;
    if (!key) return rcBadParam;
    return ds->Delete(Text(key));
  });
}

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
// string at 24.
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

}  // extern "C"
