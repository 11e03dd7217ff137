// Streams: on handles and files, in memory, on strings and on the module's resources.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ClassesCore.h"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
constexpr uint16_t soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2;

class EResNotFound : public Exception {
public:
  using Exception::Exception;
};

class TStream : public TObject {
  YOZ_CLASS(TStream, TObject)
public:
  virtual int32_t Read(void* Buffer, int32_t Count) = 0;
  virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);
  // Exactly Count bytes or EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, int32_t Count);
  void WriteBuffer(const void* Buffer, int32_t Count);
  // Count bytes from Source's position, or with Count 0 all of Source from its start.
  int64_t CopyFrom(TStream* Source, int64_t Count);
  // Reads a form resource text from the current position into Instance (or a new root when nullptr).
  TComponent* ReadComponent(TComponent* Instance);
};

class THandleStream : public TStream {
  YOZ_CLASS(THandleStream, TStream)
public:
  explicit THandleStream(HANDLE AHandle) : FHandle(AHandle) {}
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  HANDLE Handle() const { return FHandle; }

protected:
  HANDLE FHandle;
};

constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmOpenRead = 0x0000, fmOpenWrite = 0x0001, fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000, fmShareExclusive = 0x0010, fmShareDenyWrite = 0x0020,
                   fmShareDenyRead = 0x0030, fmShareDenyNone = 0x0040;

class TFileStream : public THandleStream {
  YOZ_CLASS(TFileStream, THandleStream)
public:
  // EFCreateError / EFOpenError "Cannot create/open file "name". <system text>".
  TFileStream(const std::string& AFileName, uint16_t Mode);
  ~TFileStream() override;
  const std::string& FileName() const { return FFileName; }

private:
  std::string FFileName;
};

class TCustomMemoryStream : public TStream {
  YOZ_CLASS(TCustomMemoryStream, TStream)
public:
  int32_t Read(void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return FSize; }
  void* Memory() const { return FMemory; }
  void SaveToStream(TStream* Stream);
  void SaveToFile(const std::string& FileName);

protected:
  void SetPointer(void* Ptr, int64_t Size) { FMemory = static_cast<char*>(Ptr); FSize = Size; }
  char* FMemory = nullptr;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
  YOZ_CLASS(TMemoryStream, TCustomMemoryStream)
public:
  TMemoryStream() = default;
  int32_t Write(const void* Buffer, int32_t Count) override;
  void SetSize(int64_t NewSize) override;
  void Clear();
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);

private:
  std::vector<char> FData;
};

class TStringStream : public TStream {
  YOZ_CLASS(TStringStream, TStream)
public:
  explicit TStringStream(const std::string& AString = std::string()) : FData(AString) {}
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  const std::string& DataString() const { return FData; }
  std::string ReadString(int32_t Count);
  void WriteString(const std::string& S) { Write(S.data(), int32_t(S.size())); }

private:
  std::string FData;
  int64_t FPosition = 0;
};

// A read-only view of a resource of the module (the program when Instance is nullptr);
// EResNotFound "Resource X not found" when it is missing.
class TResourceStream : public TCustomMemoryStream {
  YOZ_CLASS(TResourceStream, TCustomMemoryStream)
public:
  TResourceStream(HMODULE Instance, const std::string& ResName, LPCSTR ResType);
  int32_t Write(const void* Buffer, int32_t Count) override;
};
