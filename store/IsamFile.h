// The door to the shared indexed data sets: a thin object over VBIS4032.DLL, which it loads by name.
// Each store opens a data set, does one look-up, scan or write, and closes it again.
#pragma once

#include <windows.h>  // before the class: CreateFile is a macro there, and must expand the same everywhere

#include <cstdint>
#include <memory>
#include <string>

#include "Classes.h"
#include "VmxProtocol.h"

// The block VmxInfo fills: record count at 0, primary-key length at 8, a library string at 24.
struct TIsamInfoRec {
  int32_t RecordCount;
  int32_t Reserved1;
  uint16_t KeyLength;
  uint8_t Reserved2[14];
  void* Text;  // an OLE string the caller frees
};
static_assert(sizeof(TIsamInfoRec) == 32, "VmxInfo fills 32 bytes");

// Result codes the stores act on.
constexpr int16_t IsamObjectNotFound = 1;     // a look-up found nothing; a scan reached the end
constexpr int16_t IsamMultiUserAccess = 3;    // another copy holds the data set (or its file) just now
constexpr int16_t IsamNotIsamFormat = 8;      // not a data set at all (a damaged data file)
constexpr int16_t IsamCorruptedDataset = 15;  // damaged, or not the layout its store reads

class TIsamFile : public TObject {
  YOZ_CLASS(TIsamFile, TObject)
public:
  bool Opened = false;
  int32_t Handle = 0;
  std::string FileName;
  std::string Version;
  std::string LastKey;
  std::string LastData;
  int16_t LastError = 0;
  bool DllLoaded = false;
  // The record format the owning store reads and writes. When set, Open accepts only a data set of
  // that format and reports any other as damaged (15): a foreign or later file would otherwise hand
  // records of another size to the store's fixed buffers.
  std::string RecordFormat;

  // Loads VBIS4032.DLL from LibraryFolder (the search path when empty); DllLoaded tells whether every
  // entry point was found. Raises nothing.
  explicit TIsamFile(const std::string& LibraryFolder);
  ~TIsamFile() override;

  // Every call below answers True on success; on failure LastError holds the code and ErrorText() its
  // text. A result left unread is a failure gone unnoticed, hence [[nodiscard]].
  [[nodiscard]] bool Open(const std::string& Name, int16_t Mode = IsamOpenShared);
  bool Close();
  [[nodiscard]] bool CreateFile(const std::string& Name, int16_t KeyLen, const std::string& Format);
  // An empty Key lets the library give the record the highest key plus one inside its own write, so
  // two machines adding at once never collide; LastKey is the key used.
  [[nodiscard]] bool Add(const void* Record, const std::string& Key);
  [[nodiscard]] bool Replace(const void* Record, const std::string& Key);
  [[nodiscard]] bool GetNext(void* Record, int16_t Index, int16_t Flags, const std::string& Key);
  [[nodiscard]] bool GetPrior(void* Record, int16_t Index, int16_t Flags, const std::string& Key);
  [[nodiscard]] bool GetEqual(void* Record, int16_t Index, const std::string& Key);
  [[nodiscard]] bool Delete(const std::string& Key);
  // Positions before the first (after the last) record of the index; a scan with GetNext (GetPrior)
  // follows. An empty data set is no failure.
  bool First(int16_t Index);
  bool Last(int16_t Index);
  [[nodiscard]] int32_t RecordCount();
  uint16_t KeyLength();
  [[nodiscard]] std::string NextKey();
  std::string ErrorText() const;
  std::string ErrorInfo() const;

private:
  // Guard of the operations that need an open data set: sets LastError 4 when it is closed.
  bool IsClosed();
  bool Put(const void* Record, const std::string& Key, TIsamPut Mode);
  bool Read(void* Record, int16_t Index, int16_t Option, const std::string& Key);
  bool Info(TIsamInfoRec& info, std::string* Format = nullptr);
};

// Closes a data set when the store operation that opened it ends, by return or by exception. A store
// that does not test its open still closes through this: on a closed object Close only sets 4.
class TIsamFileCloser {
public:
  explicit TIsamFileCloser(TIsamFile* AFile) : FFile(AFile) {}
  explicit TIsamFileCloser(const std::unique_ptr<TIsamFile>& AFile) : FFile(AFile.get()) {}
  ~TIsamFileCloser() { FFile->Close(); }
  TIsamFileCloser(const TIsamFileCloser&) = delete;
  TIsamFileCloser& operator=(const TIsamFileCloser&) = delete;

private:
  TIsamFile* FFile;
};
