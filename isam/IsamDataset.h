// One open data set: the descriptor, an SQLite connection on the ".isd" file, cached statements and
// the read position of one handle.
#pragma once

#include "IsamFormat.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace isam {

enum class ReadOp { Next, Prior, Equal };

class Dataset {
public:
  // Makes NAME.ism and NAME.isd; fails with rcNameInUse when either exists, or while another creator
  // makes them (the claim NAME.new exists), and leaves them unchanged.
  static Result Create(const std::string& name, int keyLength, const std::string& format);
  // Opens NAME for shared use: the descriptor is read and checked, the SQLite file opened. rcOK with
  // `out` set, or rcNotFound, rcNotIsam/rcCorrupt (a foreign or damaged file), or the failure mapped.
  static Result Open(const std::string& name, std::unique_ptr<Dataset>& out);
  ~Dataset();

  // Sets the read position before the first (after the last) record of `index`; reads nothing, so an
  // empty data set is no failure. rcOK, or rcBadParam for an index the format does not have.
  Result First(int index);
  Result Last(int index);
  // Reads along `index` from the read position (Next, Prior) or looks up `key` (Equal). `record`
  // receives the record unless `keyOnly`; `pk` and `value` the record's key and index value.
  Result Read(int index, ReadOp op, bool keyOnly, const std::string& key, unsigned char* record,
              std::string& pk, std::string& value);
  // Writes one record in its own transaction; on any failure it is rolled back and the data set is
  // unchanged. Mode 1 adds (an empty key takes the highest key plus one inside that transaction,
  // returned in `key`), mode 2 replaces. rcOK, rcBadParam (key too long), rcNotFound (replace of a
  // missing key), rcUpdateMode (add of an existing key), or the SQLite failure mapped (rcDiskFull,
  // rcMultiUser, rcIOError, rcNoMemory...).
  Result Put(std::string& key, const unsigned char* record, int mode);
  // Deletes the record under `key` in its own transaction, rolled back on any failure. rcOK,
  // rcNotFound (no such key), or the SQLite failure mapped.
  Result Delete(const std::string& key);
  // The number of records in `count`. rcOK or the SQLite failure mapped.
  Result Count(int32_t& count);

  uint16_t KeyLength() const { return FDesc.KeyLength; }
  const std::string& Format() const { return FDesc.Format; }
  uint32_t RecordSize() const { return FLayout.RecordSize; }

private:
  // Create's work under the claim: NAME.isd, then NAME.ism, each made under a private name and renamed
  // into place.
  static Result Build(const std::string& name, int keyLength, const std::string& format, const Layout& layout);
  // An index value: text, or a number for an indexed integer field.
  struct Value {
    bool IsInt = false;
    long long Int = 0;
    std::string Text;
  };
  struct Row {
    Value V;
    std::string Pk;
    std::string Data;
  };
  enum class Pos { None, BOF, EOF_, On };
  enum Kind {
    kFromStartNext, kAfterNext, kFromEndPrior, kBeforePrior, kEqual, kValueOf,
    kInsert, kUpdate, kDelete, kCount, kMaxKey, kBegin, kCommit, kRollback,
  };

  Dataset() = default;
  Result Stmt(Kind kind, int index, sqlite3_stmt*& out);
  std::string BuildSql(Kind kind, int index) const;
  bool IsIntIndex(int index) const { return index > 0 && FLayout.Fields[index - 1].Integer; }
  Result ReadRow(sqlite3_stmt* st, int index, Row& row);
  Result Fetch(int index, bool forward, size_t limit);
  Result MoveToEnd(int index, Pos end);  // First and Last
  Result Step(int index, bool forward, bool keyOnly, unsigned char* record, std::string& pk,
              std::string& value);
  // The read position moves onto row, which is copied out as Read returns it.
  Result TakeRow(const Row& row, int index, bool keyOnly, unsigned char* record, std::string& pk,
                 std::string& value);
  Result Exec(Kind kind);
  Result AssignKey(std::string& key);
  Result EndWrite(Result r);
  void BindValue(sqlite3_stmt* st, int n, const Value& v);
  void DropBatch() {
    FBatch.clear();
    FBatchNext = 0;
    FBatchLimit = 0;
    FBatchAtEnd = false;
  }
  static std::string ValueText(const Value& v);

  Descriptor FDesc;
  Layout FLayout;
  sqlite3* FDb = nullptr;
  std::map<std::pair<int, int>, sqlite3_stmt*> FStmts;

  // Read position: before the first / after the last record of an index, or on (value, key).
  Pos FPos = Pos::None;
  int FPosIndex = 0;
  Value FPosValue;
  std::string FPosKey;

  // Read-ahead of a scan: rows after the read position along FBatchIndex in direction
  // FBatchForward, read in one statement (so a scan takes few locks) and served while fresh.
  std::vector<Row> FBatch;
  size_t FBatchNext = 0;
  int FBatchIndex = 0;
  bool FBatchForward = true;
  bool FBatchAtEnd = false;
  size_t FBatchLimit = 0;
  ULONGLONG FBatchTick = 0;
};

// SQLite's result as one of ours.
Result MapSqlite(int rc);

}  // namespace isam
