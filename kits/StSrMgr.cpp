#include "StSrMgr.h"

#include <cstdio>
#include <cstring>

namespace {

TStStringResource* FSrMgrStrings = nullptr;
bool FSrMgrTried = false;  // the table is opened once; a missing one is not looked for again

constexpr int SrNotFound = 1;        // "String not found: %d"
constexpr int SrCannotLock = 2;      // "Cannot lock resource"
constexpr int SrNoResource = 3;      // "String resource not found: %s"
constexpr int SrCannotOpen = 4;      // "Unable to open string resource: %s"
constexpr int SrInvalid = 5;         // "Invalid string resource"

uint32_t ReadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// One of the reader's own messages, with its single %d or %s argument filled in. Without the reader's
// table (it is itself being opened, or it is missing) the argument alone is better than nothing.
std::string SrMessage(TStStringResource* own, int id, const std::string& arg) {
  std::string fmt = own ? own->GetString(id) : std::string();
  if (fmt.empty()) return arg;
  std::string out;
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size() && (fmt[i + 1] == 'd' || fmt[i + 1] == 's')) {
      out += arg;
      ++i;
    } else {
      out += fmt[i];
    }
  }
  return out;
}

}  // namespace

TStStringResource::TStStringResource(HINSTANCE Instance, const std::string& ResourceName)
    : TStStringResource(Instance, ResourceName, &SrMgrStrings) {}

TStStringResource::TStStringResource(HINSTANCE Instance, const std::string& ResourceName, TMessageTable Messages)
    : FMessages(Messages) {
  if (!ResourceName.empty()) OpenResource(Instance, ResourceName);
}

void TStStringResource::Error(int Id, const std::string& Arg) const {
  throw ETpsStringResourceError(SrMessage(FMessages(), Id, Arg));
}

TStStringResource::~TStStringResource() { CloseResource(); }

void TStStringResource::CloseResource() {
  if (FHandle) FreeResource(FHandle);  // a no-op on 32/64-bit Windows, kept for symmetry
  FHandle = nullptr;
  FData = nullptr;
  FSize = 0;
  FCount = 0;
}

void TStStringResource::OpenResource(HINSTANCE Instance, const std::string& ResourceName) {
  CloseResource();
  std::string name = ResourceName.substr(0, 255);
  HMODULE module = Instance;
  HRSRC info = FindResourceA(module, name.c_str(), RT_RCDATA);
  if (!info) {
    module = GetModuleHandleA(nullptr);
    info = FindResourceA(module, name.c_str(), RT_RCDATA);
    if (!info) Error(SrNoResource, name);
  }
  FHandle = LoadResource(module, info);
  if (!FHandle) Error(SrCannotOpen, name);
  FData = static_cast<const uint8_t*>(LockResource(FHandle));
  if (!FData) {
    CloseResource();
    Error(SrCannotLock);
  }
  FSize = SizeofResource(module, info);
  // The whole index must lie inside the resource; texts are checked at look-up.
  bool valid = FSize >= 8 && std::memcmp(FData, "STR0", 4) == 0;
  if (valid) {
    FCount = ReadU32(FData + 4);
    valid = FCount <= (FSize - 8) / 12;
  }
  if (!valid) {
    CloseResource();
    Error(SrInvalid);
  }
}

std::string TStStringResource::GetString(int32_t Ident) {
  if (FData) {
    int64_t low = 0, high = int64_t(FCount) - 1;
    while (low <= high) {
      int64_t mid = (low + high) / 2;
      const uint8_t* entry = FData + 8 + 12 * mid;
      int32_t id = static_cast<int32_t>(ReadU32(entry));
      if (id == Ident) {
        uint32_t offset = ReadU32(entry + 4);
        uint32_t length = ReadU32(entry + 8);
        if (offset > FSize || length > (FSize - offset) / 2) Error(SrInvalid);
        if (length == 0) return std::string();
        std::wstring text(length, L'\0');
        std::memcpy(text.data(), FData + offset, size_t(length) * 2);
        int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(length), nullptr, 0, nullptr, nullptr);
        std::string out(size_t(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, text.data(), int(length), out.data(), n, nullptr, nullptr);
        return out;
      }
      if (Ident > id)
        low = mid + 1;
      else
        high = mid - 1;
    }
  }
  if (ReportError) Error(SrNotFound, std::to_string(Ident));
  return std::string();
}

TStStringResource* SrMgrStrings() {
  if (!FSrMgrTried) {
    FSrMgrTried = true;
    try {
      FSrMgrStrings = new TStStringResource(GetModuleHandleA(nullptr), "STSRMGR_STRINGS");
    } catch (const ETpsStringResourceError&) {
      FSrMgrStrings = nullptr;
    }
  }
  return FSrMgrStrings;
}

void StSrMgrInitialize() { SrMgrStrings(); }

void StSrMgrFinalize() {
  TObject::Free(FSrMgrStrings);
  FSrMgrStrings = nullptr;
  FSrMgrTried = false;
}
