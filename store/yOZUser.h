#pragma once
// A user in memory and the byte layout of the user file's record.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "Classes.h"
#include "SysUtils.h"

// Fixed character fields of the data files: a zero-terminated 8-bit string in Size bytes.
// Reading stops at the first zero byte (or takes the whole field when there is none).
inline std::string GetRecField(const uint8_t* Rec, int Offset, int Size) {
  const uint8_t* p = Rec + Offset;
  const void* z = std::memchr(p, 0, Size);
  size_t n = z ? static_cast<const uint8_t*>(z) - p : static_cast<size_t>(Size);
  return std::string(reinterpret_cast<const char*>(p), n);
}

// The same into a string that already has room: a scan that refills its rows allocates nothing.
inline void AssignRecField(std::string& To, const uint8_t* Rec, int Offset, int Size) {
  const uint8_t* p = Rec + Offset;
  const void* z = std::memchr(p, 0, Size);
  size_t n = z ? static_cast<const uint8_t*>(z) - p : static_cast<size_t>(Size);
  To.assign(reinterpret_cast<const char*>(p), n);
}

// Writes Value cut to Size-1 characters, zero-filling the rest of the field so no bytes of an
// earlier, longer value survive behind the terminator.
inline void SetRecField(uint8_t* Rec, int Offset, int Size, const std::string& Value) {
  size_t n = Value.size() < static_cast<size_t>(Size - 1) ? Value.size() : static_cast<size_t>(Size - 1);
  std::memset(Rec + Offset, 0, Size);
  std::memcpy(Rec + Offset, Value.data(), n);
}

inline int16_t GetRecInt16(const uint8_t* Rec, int Offset) {
  return static_cast<int16_t>(Rec[Offset] | (Rec[Offset + 1] << 8));
}

inline void SetRecInt16(uint8_t* Rec, int Offset, int16_t Value) {
  Rec[Offset] = static_cast<uint8_t>(Value & 0xFF);
  Rec[Offset + 1] = static_cast<uint8_t>((static_cast<uint16_t>(Value) >> 8) & 0xFF);
}

// A primary key from its number: ten digits with leading zeros ("%10.10d").
inline std::string KeyText(int Key) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%10.10d", Key);
  return buf;
}

// A primary key travels as the object of a string-list entry: its number in place of a pointer.
inline TObject* KeyObject(const std::string& Key) {
  return reinterpret_cast<TObject*>(static_cast<intptr_t>(StrToInt(Key)));
}

// The user file "yOZDB31".
constexpr const char* UserFileName = "yOZDB31";
constexpr const char* UserFileFormat = "%,$*51,$*31,$*11,$*21,$*51,X$*21,$*31,$*51,$*51,$*51,$*51,%,%,%";

struct TUserRec {
  static constexpr int Size = 429;
  static constexpr int oAdministrator = 0;
  static constexpr int oName = 2, sName = 51;
  static constexpr int oStatus = 53, sStatus = 31;
  static constexpr int oExtension = 84, sExtension = 11;
  static constexpr int oDepartment = 95, sDepartment = 21;
  static constexpr int oComments = 116, sComments = 51;
  static constexpr int oLogInName = 167, sLogInName = 21;
  static constexpr int oUpdated = 188, sUpdated = 31;
  static constexpr int16_t ixLogInName = 7;  // X$*21, the 7th field of UserFileFormat

  uint8_t Data[Size] = {};

  void ClearAll() { std::memset(Data, 0, Size); }
  int16_t Administrator() const { return GetRecInt16(Data, oAdministrator); }
  std::string Name() const { return GetRecField(Data, oName, sName); }
  std::string Status() const { return GetRecField(Data, oStatus, sStatus); }
  std::string Extension() const { return GetRecField(Data, oExtension, sExtension); }
  std::string Department() const { return GetRecField(Data, oDepartment, sDepartment); }
  std::string Comments() const { return GetRecField(Data, oComments, sComments); }
  std::string LogInName() const { return GetRecField(Data, oLogInName, sLogInName); }
  std::string Updated() const { return GetRecField(Data, oUpdated, sUpdated); }
  void SetAdministrator(int16_t v) { SetRecInt16(Data, oAdministrator, v); }
  void SetName(const std::string& v) { SetRecField(Data, oName, sName, v); }
  void SetStatus(const std::string& v) { SetRecField(Data, oStatus, sStatus, v); }
  void SetExtension(const std::string& v) { SetRecField(Data, oExtension, sExtension, v); }
  void SetDepartment(const std::string& v) { SetRecField(Data, oDepartment, sDepartment, v); }
  void SetComments(const std::string& v) { SetRecField(Data, oComments, sComments, v); }
  void SetLogInName(const std::string& v) { SetRecField(Data, oLogInName, sLogInName, v); }
  void SetUpdated(const std::string& v) { SetRecField(Data, oUpdated, sUpdated, v); }
};

// A user in memory: the current user, or another user's values handed to UpdateUser.
class TUser : public TObject {
public:
  TUser();
  std::string Name;
  std::string Status;
  std::string Updated;
  std::string Comments;
  std::string LogInName;
  std::string Extension;
  std::string Department;
  int16_t Administrator = 0;
};

// The process-wide current user, made by the main window after the database object. While it is
// not set, the database object reads into and writes from its own CurrentUser.
extern TUser* yOZCurrentUser;
