#include "Registry.h"

#include <algorithm>

#include "Classes.h"

namespace {
TRegDataType DataTypeOf(DWORD type) {
  switch (type) {
    case REG_SZ:
      return rdString;
    case REG_EXPAND_SZ:
      return rdExpandString;
    case REG_DWORD:
      return rdInteger;
    case REG_BINARY:
      return rdBinary;
    default:
      return rdUnknown;
  }
}

[[noreturn]] void ReadError(const std::string& name) {
  throw ERegistryException("Invalid data type for '" + name + "'");
}

// Deletes name below parent with everything under it.
bool DeleteTree(HKEY parent, const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    char sub[256];
    while (true) {
      DWORD len = sizeof sub;
      if (RegEnumKeyExA(key, 0, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      if (!DeleteTree(key, std::string(sub, len))) break;
    }
    RegCloseKey(key);
  }
  return RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}
}  // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM access) : FAccess(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY value) {
  if (value == FRootKey) return;
  CloseKey();
  FRootKey = value;
}

HKEY TRegistry::BaseKey(const std::string& key, std::string& rest) const {
  if (!key.empty() && key[0] == '\\') {
    rest = key.substr(1);
    return FRootKey;
  }
  rest = key;
  return ValueKey();
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string rest;
  HKEY base = BaseKey(key, rest);
  HKEY h = nullptr;
  LONG r;
  if (canCreate && !rest.empty()) {
    DWORD disp;
    r = RegCreateKeyExA(base, rest.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr, &h, &disp);
  } else {
    r = RegOpenKeyExA(base, rest.c_str(), 0, FAccess, &h);
  }
  if (r != ERROR_SUCCESS) return false;
  std::string path = base == FRootKey || FCurrentPath.empty() ? rest
                     : rest.empty()                          ? FCurrentPath
                                                             : FCurrentPath + "\\" + rest;
  CloseKey();
  FCurrentKey = h;
  FCurrentPath = path;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  REGSAM saved = FAccess;
  FAccess = KEY_READ;
  bool ok = OpenKey(key, false);
  FAccess = saved;
  return ok;
}

void TRegistry::CloseKey() {
  if (FCurrentKey) RegCloseKey(FCurrentKey);
  FCurrentKey = nullptr;
  FCurrentPath.clear();
}

bool TRegistry::CreateKey(const std::string& key) {
  std::string rest;
  HKEY base = BaseKey(key, rest);
  HKEY h;
  DWORD disp;
  if (rest.empty() || RegCreateKeyExA(base, rest.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                      nullptr, &h, &disp) != ERROR_SUCCESS)
    throw ERegistryException("Failed to create key " + key);
  RegCloseKey(h);
  return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
  std::string rest;
  HKEY base = BaseKey(key, rest);
  while (!rest.empty() && rest.back() == '\\') rest.pop_back();
  if (rest.empty()) return false;  // never the root or the open key itself
  return DeleteTree(base, rest);
}

bool TRegistry::KeyExists(const std::string& key) {
  std::string rest;
  HKEY base = BaseKey(key, rest);
  HKEY h;
  if (RegOpenKeyExA(base, rest.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

bool TRegistry::HasSubKeys() {
  DWORD subKeys = 0;
  return RegQueryInfoKeyA(ValueKey(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subKeys > 0;
}

void TRegistry::GetKeyNames(std::vector<std::string>& names) {
  names.clear();
  char buf[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof buf;
    if (RegEnumKeyExA(ValueKey(), i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(buf, len);
  }
}

void TRegistry::GetValueNames(std::vector<std::string>& names) {
  names.clear();
  char buf[16384];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof buf;
    if (RegEnumValueA(ValueKey(), i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(buf, len);
  }
}

void TRegistry::GetKeyNames(TStrings* list) {
  std::vector<std::string> names;
  GetKeyNames(names);
  list->AssignStrings(names);
}

void TRegistry::GetValueNames(TStrings* list) {
  std::vector<std::string> names;
  GetValueNames(names);
  list->AssignStrings(names);
}

bool TRegistry::ValueExists(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

bool TRegistry::DeleteValue(const std::string& name) {
  return RegDeleteValueA(ValueKey(), name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::GetDataInfo(const std::string& name, TRegDataInfo& info) {
  DWORD type = 0, size = 0;
  info = TRegDataInfo();
  if (RegQueryValueExA(ValueKey(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  info.RegData = DataTypeOf(type);
  info.DataSize = int(size);
  return true;
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.RegData : rdUnknown;
}

int TRegistry::GetDataSize(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

void TRegistry::GetData(const std::string& name, void* buffer, DWORD size, DWORD& type, DWORD& got) {
  got = size;
  type = 0;
  LONG r = RegQueryValueExA(ValueKey(), name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &got);
  if (r == ERROR_MORE_DATA) ReadError(name);
  if (r != ERROR_SUCCESS) throw ERegistryException("Failed to get data for '" + name + "'");
}

void TRegistry::PutData(const std::string& name, const void* buffer, DWORD size, DWORD type) {
  if (RegSetValueExA(ValueKey(), name.c_str(), 0, type, static_cast<const BYTE*>(buffer), size) != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + name + "'");
}

int32_t TRegistry::ReadInteger(const std::string& name) {
  // Query the type first: a longer value of another type must not be reported as too big.
  TRegDataInfo info;
  if (!GetDataInfo(name, info)) throw ERegistryException("Failed to get data for '" + name + "'");
  if (info.RegData != rdInteger) ReadError(name);
  int32_t v = 0;
  DWORD type, got;
  GetData(name, &v, sizeof v, type, got);
  if (type != REG_DWORD || got != sizeof v) ReadError(name);
  return v;
}

bool TRegistry::ReadBool(const std::string& name) { return ReadInteger(name) != 0; }

std::string TRegistry::ReadString(const std::string& name) {
  TRegDataInfo info;
  if (!GetDataInfo(name, info)) return std::string();
  if (info.RegData != rdString && info.RegData != rdExpandString) ReadError(name);
  // The value may change between the two calls: retry with the size reported.
  std::vector<char> buf(size_t(info.DataSize) + 1);
  while (true) {
    DWORD type = 0, got = DWORD(buf.size());
    LONG r = RegQueryValueExA(ValueKey(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
    if (r == ERROR_MORE_DATA) {
      buf.resize(size_t(got) + 1);
      continue;
    }
    if (r != ERROR_SUCCESS) throw ERegistryException("Failed to get data for '" + name + "'");
    if (type != REG_SZ && type != REG_EXPAND_SZ) ReadError(name);
    size_t len = std::min<size_t>(got, buf.size());
    // The stored size counts the terminating zero, when there is one.
    std::string s(buf.data(), len);
    size_t zero = s.find('\0');
    if (zero != std::string::npos) s.resize(zero);
    return s;
  }
}

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int size) {
  TRegDataInfo info;
  if (!GetDataInfo(name, info)) throw ERegistryException("Failed to get data for '" + name + "'");
  if ((info.RegData != rdBinary && info.RegData != rdUnknown) || info.DataSize > size) ReadError(name);
  DWORD type, got;
  GetData(name, buffer, DWORD(size), type, got);
  return int(got);
}

double TRegistry::ReadFloat(const std::string& name) {
  TRegDataInfo info;
  if (!GetDataInfo(name, info)) throw ERegistryException("Failed to get data for '" + name + "'");
  if (info.RegData != rdBinary || info.DataSize != int(sizeof(double))) ReadError(name);
  double v = 0;
  DWORD type, got;
  GetData(name, &v, sizeof v, type, got);
  if (got != sizeof v) ReadError(name);
  return v;
}

TDateTime TRegistry::ReadDateTime(const std::string& name) { return ReadFloat(name); }

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  PutData(name, &value, sizeof value, REG_DWORD);
}

void TRegistry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  PutData(name, value.c_str(), DWORD(value.size() + 1), REG_SZ);
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  PutData(name, value.c_str(), DWORD(value.size() + 1), REG_EXPAND_SZ);
}

void TRegistry::WriteFloat(const std::string& name, double value) {
  PutData(name, &value, sizeof value, REG_BINARY);
}

void TRegistry::WriteDateTime(const std::string& name, TDateTime value) { WriteFloat(name, value); }

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int size) {
  if (size < 0) throw ERegistryException("Failed to set data for '" + name + "'");
  PutData(name, buffer, DWORD(size), REG_BINARY);
}
