#include "IsamFile.h"

#include <oleauto.h>

#include <cstring>
#include <type_traits>

#include "KLNStringUtils.h"
#include "SysUtils.h"

namespace {

using TVmxCreate = int16_t(__stdcall*)(char**, int16_t*, int32_t*, int16_t*, int16_t*, char**);
using TVmxOpen = int16_t(__stdcall*)(char**, int16_t*, int16_t*, int32_t*);
using TVmxClose = int16_t(__stdcall*)(int32_t*);
using TVmxGet = int16_t(__stdcall*)(int32_t*, int16_t*, int16_t*, char**, BSTR*, BSTR*, void*);
using TVmxPut = int16_t(__stdcall*)(int32_t*, char**, void*, int16_t*);
using TVmxDelete = int16_t(__stdcall*)(int32_t*, char**);
using TVmxIndex = int16_t(__stdcall*)(int32_t*, int16_t*);
using TVmxInfo = int16_t(__stdcall*)(int32_t*, TIsamInfoRec*);

// The library's entry points, shared by every TIsamFile of the process.
struct TVmxTable {
  TVmxCreate VmxCreate;
  TVmxOpen VmxOpen;
  TVmxClose VmxClose;
  TVmxGet VmxGet;
  TVmxPut VmxPut;
  TVmxDelete VmxDelete;
  TVmxIndex VmxBOF;
  TVmxIndex VmxEOF;
  TVmxInfo VmxInfo;
  FARPROC VmxLock, VmxUnlock, VmxKill, VmxReadNote, VmxWriteNote, VmxFetchField;
};
TVmxTable Vmx{};

constexpr int16_t erInvalidDataset = 4;
constexpr int16_t erNotAvailable = 21;
constexpr int16_t erAlreadyOpen = 23;

// A library string as 8-bit text up to its first zero; freed here.
std::string TakeString(BSTR s) {
  if (!s) return {};
  const char* p = reinterpret_cast<const char*>(s);
  std::string r(p, strnlen(p, SysStringByteLen(s)));
  SysFreeString(s);
  return r;
}

// The library reads strings through the address of a pointer to zero-terminated text.
char* Arg(const std::string& s) { return const_cast<char*>(s.c_str()); }

}  // namespace

TIsamFile::TIsamFile(const std::string& LibraryFolder) {
  Opened = false;
  LastError = 0;
  Version = "1.00";
  DllLoaded = false;
  std::string path = LibraryFolder.empty() ? "VBIS4032.DLL" : AddBackslash(LibraryFolder) + "VBIS4032.DLL";
  HMODULE lib = LoadLibraryA(path.c_str());  // never freed: the table below stays valid for the process
  if (reinterpret_cast<uintptr_t>(lib) <= 32) return;
  bool all = true;
  auto find = [&](auto& slot, const char* name) {
    FARPROC p = GetProcAddress(lib, name);
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(p);
    all = all && p != nullptr;
  };
  find(Vmx.VmxCreate, "VmxCreate");
  find(Vmx.VmxOpen, "VmxOpen");
  find(Vmx.VmxClose, "VmxClose");
  find(Vmx.VmxGet, "VmxGet");
  find(Vmx.VmxPut, "VmxPut");
  find(Vmx.VmxDelete, "VmxDelete");
  find(Vmx.VmxBOF, "VmxBOF");
  find(Vmx.VmxEOF, "VmxEOF");
  find(Vmx.VmxInfo, "VmxInfo");
  find(Vmx.VmxLock, "VmxLock");
  find(Vmx.VmxUnlock, "VmxUnlock");
  find(Vmx.VmxKill, "VmxKill");
  find(Vmx.VmxReadNote, "VmxReadNote");
  find(Vmx.VmxWriteNote, "VmxWriteNote");
  find(Vmx.VmxFetchField, "VmxFetchField");
  DllLoaded = all;
}

TIsamFile::~TIsamFile() { Close(); }

bool TIsamFile::IsClosed() {
  if (Opened) return false;
  LastError = erInvalidDataset;
  return true;
}

bool TIsamFile::Open(const std::string& Name, int16_t Mode) {
  if (Opened) {
    LastError = erAlreadyOpen;
    return false;
  }
  if (!Vmx.VmxOpen) return (LastError = erNotAvailable), false;
  char* name = Arg(Name);
  int16_t reserved = 0;
  int32_t handle = 0;
  LastError = Vmx.VmxOpen(&name, &reserved, &Mode, &handle);
  if (LastError != 0) return false;
  Handle = handle;
  if (!RecordFormat.empty()) {
    TIsamInfoRec info;
    std::string format;
    const bool known = Info(info, &format);
    if (!known || format != RecordFormat) {
      const int16_t failure = known ? IsamCorruptedDataset : LastError;
      if (Vmx.VmxClose) Vmx.VmxClose(&Handle);
      Handle = 0;
      LastError = failure;
      return false;
    }
  }
  Opened = true;
  FileName = Name;
  return true;
}

bool TIsamFile::Close() {
  if (IsClosed()) return false;
  if (!Vmx.VmxClose) return (LastError = erNotAvailable), false;
  LastError = Vmx.VmxClose(&Handle);
  if (LastError == 0) {
    Handle = 0;
    Opened = false;
    FileName.clear();
  }
  return LastError == 0;
}

bool TIsamFile::CreateFile(const std::string& Name, int16_t KeyLen, const std::string& Format) {
  if (Opened) {
    LastError = erAlreadyOpen;
    return false;
  }
  if (!Vmx.VmxCreate) return (LastError = erNotAvailable), false;
  char* name = Arg(Name);
  char* format = Arg(Format);
  int32_t reserved1 = 0;
  int16_t reserved2 = 0, reserved3 = 0;
  LastError = Vmx.VmxCreate(&name, &KeyLen, &reserved1, &reserved2, &reserved3, &format);
  return LastError == 0;
}

bool TIsamFile::Put(const void* Record, const std::string& Key, TIsamPut PutMode) {
  int16_t Mode = int16_t(PutMode);
  if (IsClosed()) return false;
  if (!Vmx.VmxPut) return (LastError = erNotAvailable), false;
  char* key = Arg(Key);
  char* const given = key;
  LastError = Vmx.VmxPut(&Handle, &key, const_cast<void*>(Record), &Mode);
  // An add with an empty key gets back the key the library assigned, as a string of its own.
  LastKey = key != given ? TakeString(reinterpret_cast<BSTR>(key)) : Key;
  return LastError == 0;
}

bool TIsamFile::Add(const void* Record, const std::string& Key) { return Put(Record, Key, TIsamPut::Add); }

bool TIsamFile::Replace(const void* Record, const std::string& Key) { return Put(Record, Key, TIsamPut::Replace); }

bool TIsamFile::Read(void* Record, int16_t Index, int16_t Option, const std::string& Key) {
  if (!Vmx.VmxGet) return (LastError = erNotAvailable), false;
  char* key = Arg(Key);
  BSTR data = nullptr, found = nullptr;
  LastError = Vmx.VmxGet(&Handle, &Index, &Option, &key, &data, &found, Record);
  LastData = TakeString(data);
  LastKey = TakeString(found);
  return LastError == 0;
}

bool TIsamFile::GetNext(void* Record, int16_t Index, int16_t Flags, const std::string& Key) {
  if (IsClosed()) return false;
  const int16_t option = RangeCheck<int16_t>(CheckedAdd(CheckedAdd(int32_t(Flags), int32_t(IsamStepNext)), int32_t(IsamReadOption)));
  return Read(Record, Index, option, Key);
}

bool TIsamFile::GetPrior(void* Record, int16_t Index, int16_t Flags, const std::string& Key) {
  if (IsClosed()) return false;
  const int16_t option = RangeCheck<int16_t>(CheckedAdd(CheckedAdd(int32_t(Flags), int32_t(IsamStepPrior)), int32_t(IsamReadOption)));
  return Read(Record, Index, option, Key);
}

bool TIsamFile::GetEqual(void* Record, int16_t Index, const std::string& Key) {
  if (IsClosed()) return false;
  return Read(Record, Index, IsamReadEqual, Key);
}

bool TIsamFile::Delete(const std::string& Key) {
  if (IsClosed()) return false;
  if (!Vmx.VmxDelete) return (LastError = erNotAvailable), false;
  char* key = Arg(Key);
  LastError = Vmx.VmxDelete(&Handle, &key);
  return LastError == 0;
}

bool TIsamFile::First(int16_t Index) {
  if (IsClosed()) return false;
  if (!Vmx.VmxBOF) return (LastError = erNotAvailable), false;
  LastError = Vmx.VmxBOF(&Handle, &Index);
  return LastError == 0;
}

bool TIsamFile::Last(int16_t Index) {
  if (IsClosed()) return false;
  if (!Vmx.VmxEOF) return (LastError = erNotAvailable), false;
  LastError = Vmx.VmxEOF(&Handle, &Index);
  return LastError == 0;
}

bool TIsamFile::Info(TIsamInfoRec& info, std::string* Format) {
  std::memset(&info, 0, sizeof info);
  if (!Vmx.VmxInfo) return (LastError = erNotAvailable), false;
  LastError = Vmx.VmxInfo(&Handle, &info);
  std::string format = TakeString(static_cast<BSTR>(info.Text));  // the data set's record format
  if (Format) *Format = format;
  info.Text = nullptr;
  return LastError == 0;
}

int32_t TIsamFile::RecordCount() {
  TIsamInfoRec info;
  return Info(info) ? info.RecordCount : -1;
}

uint16_t TIsamFile::KeyLength() {
  TIsamInfoRec info;
  return Info(info) ? info.KeyLength : 65535;
}

std::string TIsamFile::NextKey() {
  std::string result;
  if (!Vmx.VmxEOF || !Vmx.VmxGet) return (LastError = erNotAvailable), result;
  int16_t index = 0;
  LastError = Vmx.VmxEOF(&Handle, &index);
  if (LastError != 0) return result;
  const int16_t keyLength = int16_t(KeyLength());  // a failed read (65535) pads nothing
  int32_t scratch = 0;
  int16_t option = IsamReadLastKey;
  std::string empty;
  char* key = Arg(empty);
  BSTR data = nullptr, found = nullptr;
  LastError = Vmx.VmxGet(&Handle, &index, &option, &key, &data, &found, &scratch);
  TakeString(data);
  std::string last = TakeString(found);
  if (LastError != 0)
    result = "1";
  else
    result = IntToStr(CheckedAdd(StrToInt(last), int32_t(1)));
  while (int(result.size()) < keyLength) result = "0" + result;
  return result;
}

// The library's own texts, slips ("Record are", "no available") kept on purpose: messages quote them.
std::string TIsamFile::ErrorText() const {
  switch (LastError) {
    case 0: return "No error";
    case 1: return "Object not found";
    case 2: return "Update mode violation";
    case 3: return "Multi-user access";
    case 4: return "Invalid dataset reference";
    case 5: return "Invalid format string";
    case 6: return "Illegal character in key";
    case 7: return "Invalid parameter value";
    case 8: return "File is not isam format";
    case 9: return "Dataset name in use";
    case 10: return "No note space available";
    case 11: return "No disk space available";
    case 12: return "Windows memory allocation failure";
    case 13: return "DOS function call failure";
    case 14: return "Disk read / write error";
    case 15: return "Corrupted dataset";
    case 16: return "Secondary index field too large";
    case 17: return "Record are out of sort order";
    case 18: return "Insufficient system file handles";
    case 19: return "Multi-user locks encountered";
    case 20: return "";  // no text for this code
    case 21: return "Function no available";
    case 22: return "Asynchronous operation interrupted";
    case 23: return "A dataset is already open";
    default: return "Unknown error";
  }
}

// "occured" on purpose, as the error texts above.
std::string TIsamFile::ErrorInfo() const {
  if (LastError == 0) return "No error has occured";
  if (LastError >= 1 && LastError <= 23) return "";
  return "There is no further information for this error";
}
