// Streams and threads.
#include <algorithm>

#include "ClassesFiler.h"
#include "ClassesStreams.h"
#include "ClassesThreads.h"

// ---------------------------------------------------------------------------------------------------
// TStream

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(int64_t NewSize) {}

void TStream::ReadBuffer(void* Buffer, int32_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  int64_t result = Count;
  std::vector<char> buf(size_t(std::min<int64_t>(Count, 0xF000)) + 1);
  while (Count > 0) {
    int32_t n = int32_t(std::min<int64_t>(Count, int64_t(buf.size())));
    Source->ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    Count -= n;
  }
  return result;
}

TComponent* TStream::ReadComponent(TComponent* Instance) {
  int64_t size = Size() - Position();
  std::string text(size_t(std::max<int64_t>(size, 0)), '\0');
  if (!text.empty()) ReadBuffer(text.data(), int32_t(text.size()));
  return ReadComponentFromText(text, Instance);
}

// ---------------------------------------------------------------------------------------------------
// THandleStream, TFileStream

int32_t THandleStream::Read(void* Buffer, int32_t Count) {
  DWORD done = 0;
  if (Count <= 0 || !ReadFile(FHandle, Buffer, DWORD(Count), &done, nullptr)) return 0;
  return int32_t(done);
}

int32_t THandleStream::Write(const void* Buffer, int32_t Count) {
  DWORD done = 0;
  if (Count <= 0 || !WriteFile(FHandle, Buffer, DWORD(Count), &done, nullptr)) return 0;
  return int32_t(done);
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  LARGE_INTEGER d, r;
  d.QuadPart = Offset;
  DWORD how = Origin == soBeginning ? FILE_BEGIN : Origin == soCurrent ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(FHandle, d, &r, how)) return -1;
  return r.QuadPart;
}

void THandleStream::SetSize(int64_t NewSize) {
  int64_t pos = Position();
  Seek(NewSize, soBeginning);
  if (!SetEndOfFile(FHandle)) RaiseLastOSError();
  if (pos < NewSize) Seek(pos, soBeginning);
}

TFileStream::TFileStream(const std::string& AFileName, uint16_t Mode)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(AFileName) {
  static const DWORD access[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD share[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  unsigned shareIndex = (Mode & 0xF0) >> 4;
  DWORD shareMode = shareIndex < 5 ? share[shareIndex] : 0;
  if ((Mode & 0xFF00) == fmCreate) {
    FHandle = CreateFileA(AFileName.c_str(), GENERIC_READ | GENERIC_WRITE, shareMode, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE)
      throw EFCreateError("Cannot create file \"" + AFileName + "\". " + SysErrorMessage(GetLastError()));
  } else {
    unsigned a = Mode & 3;
    FHandle = CreateFileA(AFileName.c_str(), a < 3 ? access[a] : GENERIC_READ, shareMode, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE)
      throw EFOpenError("Cannot open file \"" + AFileName + "\". " + SysErrorMessage(GetLastError()));
  }
}

TFileStream::~TFileStream() {
  if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
}

// ---------------------------------------------------------------------------------------------------
// Memory streams

int32_t TCustomMemoryStream::Read(void* Buffer, int32_t Count) {
  if (Count <= 0 || FPosition < 0 || FPosition >= FSize) return 0;
  int64_t n = std::min<int64_t>(Count, FSize - FPosition);
  std::memcpy(Buffer, FMemory + FPosition, size_t(n));
  FPosition += n;
  return int32_t(n);
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : FSize;
  FPosition = base + Offset;
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  if (FSize > 0) Stream->WriteBuffer(FMemory, int32_t(FSize));
}

void TCustomMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f);
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count) {
  if (Count <= 0 || FPosition < 0) return 0;
  int64_t end = FPosition + Count;
  if (end > FSize) SetSize(end);
  std::memcpy(FMemory + FPosition, Buffer, size_t(Count));
  FPosition = end;
  return Count;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  FData.resize(size_t(NewSize));
  SetPointer(FData.data(), NewSize);
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  SetPointer(nullptr, 0);
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  int64_t n = Stream->Size();
  SetSize(n);
  if (n) Stream->ReadBuffer(FMemory, int32_t(n));
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

int32_t TStringStream::Read(void* Buffer, int32_t Count) {
  int64_t size = int64_t(FData.size());
  if (Count <= 0 || FPosition < 0 || FPosition >= size) return 0;
  int64_t n = std::min<int64_t>(Count, size - FPosition);
  std::memcpy(Buffer, FData.data() + FPosition, size_t(n));
  FPosition += n;
  return int32_t(n);
}

int32_t TStringStream::Write(const void* Buffer, int32_t Count) {
  if (Count <= 0 || FPosition < 0) return 0;
  if (FPosition + Count > int64_t(FData.size())) FData.resize(size_t(FPosition + Count));
  std::memcpy(FData.data() + FPosition, Buffer, size_t(Count));
  FPosition += Count;
  return Count;
}

int64_t TStringStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : int64_t(FData.size());
  FPosition = base + Offset;
  return FPosition;
}

void TStringStream::SetSize(int64_t NewSize) {
  FData.resize(size_t(std::max<int64_t>(NewSize, 0)));
  if (FPosition > int64_t(FData.size())) FPosition = int64_t(FData.size());
}

std::string TStringStream::ReadString(int32_t Count) {
  int64_t size = int64_t(FData.size());
  int64_t n = std::clamp<int64_t>(size - FPosition, 0, std::max<int32_t>(Count, 0));
  std::string s = n > 0 ? FData.substr(size_t(FPosition), size_t(n)) : std::string();
  FPosition += n;
  return s;
}

TResourceStream::TResourceStream(HMODULE Instance, const std::string& ResName, LPCSTR ResType) {
  if (!Instance) Instance = GetModuleHandleA(nullptr);
  HRSRC res = FindResourceA(Instance, ResName.c_str(), ResType);
  if (!res) throw EResNotFound("Resource " + ResName + " not found");
  HGLOBAL data = LoadResource(Instance, res);
  if (!data) throw EResNotFound("Resource " + ResName + " not found");
  SetPointer(LockResource(data), SizeofResource(Instance, res));
}

int32_t TResourceStream::Write(const void* Buffer, int32_t Count) {
  throw EStreamError("Can't write to a read-only resource stream");
}

// ---------------------------------------------------------------------------------------------------
// TThread

TThread::TThread() {
  FHandle = CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &FThreadID);
  if (!FHandle) throw EOutOfResources("Thread creation error: " + SysErrorMessage(GetLastError()));
}

void TThread::BeforeDestruction() {
  // Stop Execute while the derived object is still whole.
  if (FHandle && !FFinished && GetCurrentThreadId() != FThreadID) {
    Terminate();
    if (!FStarted) {
      // Never started: let it run to the end without calling Execute.
      FFinished = true;
      FStarted = true;
      ResumeThread(FHandle);
    }
    WaitForSingleObject(FHandle, INFINITE);
  }
}

TThread::~TThread() {
  BeforeDestruction();
  if (FHandle) CloseHandle(FHandle);
}

void TThread::Start() {
  if (FStarted) return;
  FStarted = true;
  ResumeThread(FHandle);
}

int TThread::WaitFor() {
  if (GetCurrentThreadId() != FThreadID && FStarted) WaitForSingleObject(FHandle, INFINITE);
  return ReturnValue;
}

DWORD WINAPI TThread::ThreadProc(LPVOID Param) {
  auto* self = static_cast<TThread*>(Param);
  if (self->FFinished) return 0;   // freed before it was started
  try {
    self->Execute();
  } catch (...) {
    self->FatalException = std::current_exception();
  }
  int result = self->ReturnValue;
  bool freeIt = self->FreeOnTerminate;
  self->FFinished = true;
  if (freeIt) TObject::Free(self);
  return DWORD(result);
}
