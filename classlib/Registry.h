// TRegistry: a key of the system registry opened below a root key, with typed reads and writes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "SysUtils.h"

class TStrings;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  int DataSize = 0;
};

class TRegistry {
public:
  TRegistry();
  explicit TRegistry(REGSAM access);
  virtual ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return FRootKey; }
  void SetRootKey(HKEY value);  // closes the open key when the root changes
  HKEY CurrentKey() const { return FCurrentKey; }
  const std::string& CurrentPath() const { return FCurrentPath; }
  REGSAM Access() const { return FAccess; }

  // A key with a leading "\" counts from the root key, any other from the open key (or the root).
  // The newly opened key replaces the open one. False when it cannot be opened (or created).
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  bool CreateKey(const std::string& key);  // ERegistryException when it cannot be created
  bool DeleteKey(const std::string& key);  // with every key below it
  bool KeyExists(const std::string& key);
  bool HasSubKeys();
  // The names below the open key; a list is cleared first.
  void GetKeyNames(std::vector<std::string>& names);
  void GetValueNames(std::vector<std::string>& names);
  void GetKeyNames(TStrings* list);
  void GetValueNames(TStrings* list);

  bool ValueExists(const std::string& name);
  bool DeleteValue(const std::string& name);
  bool GetDataInfo(const std::string& name, TRegDataInfo& info);
  TRegDataType GetDataType(const std::string& name);  // rdUnknown for a missing value
  int GetDataSize(const std::string& name);           // -1 for a missing value

  // Reads raise ERegistryException: "Failed to get data for 'Name'" for a missing value,
  // "Invalid data type for 'Name'" for one of another type. A missing string reads as empty.
  int32_t ReadInteger(const std::string& name);
  bool ReadBool(const std::string& name);
  std::string ReadString(const std::string& name);
  double ReadFloat(const std::string& name);
  TDateTime ReadDateTime(const std::string& name);
  // Copies the data into buffer (at most size bytes) and returns its size.
  int ReadBinaryData(const std::string& name, void* buffer, int size);

  // Writes raise ERegistryException "Failed to set data for 'Name'" on failure.
  void WriteInteger(const std::string& name, int32_t value);
  void WriteBool(const std::string& name, bool value);
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  void WriteFloat(const std::string& name, double value);
  void WriteDateTime(const std::string& name, TDateTime value);
  void WriteBinaryData(const std::string& name, const void* buffer, int size);

private:
  HKEY FRootKey = HKEY_CURRENT_USER;
  HKEY FCurrentKey = nullptr;
  std::string FCurrentPath;
  REGSAM FAccess = KEY_ALL_ACCESS;

  // The key that a relative name starts from, and the name without its leading "\".
  HKEY BaseKey(const std::string& key, std::string& rest) const;
  HKEY ValueKey() const { return FCurrentKey ? FCurrentKey : FRootKey; }
  void GetData(const std::string& name, void* buffer, DWORD size, DWORD& type, DWORD& got);
  void PutData(const std::string& name, const void* buffer, DWORD size, DWORD type);
};
