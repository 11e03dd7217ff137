#define _CRT_RAND_S  // rand_s: the random part of a creator's private file names
#include "IsamDataset.h"
#include "IsamFault.h"
#include "IsamVfs.h"

#include <stdlib.h>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace isam {

namespace {

constexpr int kBusyTimeoutMs = 10000;  // other machines' writers hold a data set for milliseconds
constexpr ULONGLONG kFreshMs = 500;    // a read-ahead older than this is read again
constexpr size_t kFirstBatch = 8;      // after a look-up: a few neighbours at most
constexpr size_t kFirstScanBatch = 1024;  // from either end: the stores' scans read everything
constexpr size_t kMaxBatch = 4096;

std::string Utf8(const std::string& ansi) {
  if (ansi.empty()) return ansi;
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), w.data(), n);
  int m = WideCharToMultiByte(CP_UTF8, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
  std::string u(m, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), n, u.data(), m, nullptr, nullptr);
  return u;
}

Result FileError(DWORD e) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return rcNotFound;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return rcDiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return rcMultiUser;
    default:
      return rcDosError;
  }
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The descriptor is tiny; anything longer than the largest one is damaged or foreign.
Result ReadDescriptorFile(const std::string& path, std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return FileError(GetLastError());
  bytes.assign(kMaxFormat + 64, '\0');
  DWORD got = 0;
  BOOL ok = ReadFile(h, bytes.data(), (DWORD)bytes.size(), &got, nullptr);
  CloseHandle(h);
  if (!ok) return rcIOError;
  bytes.resize(got);
  return rcOK;
}

// Descriptors already read and checked, by path. A descriptor never changes once made, so one whose
// size and times are unchanged need not be read again: that saves three system calls per open.
struct CachedDescriptor {
  FILETIME Created{}, Written{};
  DWORD SizeLow = 0, SizeHigh = 0;
  Descriptor Desc;
  Layout Lay;
};
std::map<std::string, CachedDescriptor> gDescriptors;  // callers hold the library's lock

bool SameFile(const CachedDescriptor& c, const WIN32_FILE_ATTRIBUTE_DATA& a) {
  return CompareFileTime(&c.Created, &a.ftCreationTime) == 0 && CompareFileTime(&c.Written, &a.ftLastWriteTime) == 0 &&
         c.SizeLow == a.nFileSizeLow && c.SizeHigh == a.nFileSizeHigh;
}

Result LoadDescriptor(const std::string& path, Descriptor& desc, Layout& layout) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return FileError(GetLastError());
  auto it = gDescriptors.find(path);
  if (it != gDescriptors.end() && SameFile(it->second, a)) {
    desc = it->second.Desc;
    layout = it->second.Lay;
    return rcOK;
  }
  std::string bytes;
  Result r = ReadDescriptorFile(path, bytes);
  if (r == rcOK) r = DecodeDescriptor(bytes, desc, layout);
  if (r != rcOK) {
    gDescriptors.erase(path);
    return r;
  }
  // Times taken before the read: a change during the read makes the next open read again.
  CachedDescriptor& c = gDescriptors[path];
  c.Created = a.ftCreationTime;
  c.Written = a.ftLastWriteTime;
  c.SizeLow = a.nFileSizeLow;
  c.SizeHigh = a.nFileSizeHigh;
  c.Desc = desc;
  c.Lay = layout;
  return rcOK;
}

Result WriteNewFile(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return FileError(GetLastError());
  DWORD put = 0;
  BOOL ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &put, nullptr) && put == bytes.size() &&
            FlushFileBuffers(h);
  DWORD e = GetLastError();
  CloseHandle(h);
  if (!ok) {
    DeleteFileA(path.c_str());
    return e == ERROR_DISK_FULL || e == ERROR_HANDLE_DISK_FULL ? rcDiskFull : rcIOError;
  }
  return rcOK;
}

std::string Column(int index) { return index == 0 ? "pk" : "x" + std::to_string(index); }

std::string TableSql(const Layout& layout) {
  std::string t = "CREATE TABLE records(pk TEXT NOT NULL PRIMARY KEY";
  std::string ix;
  for (size_t i = 0; i < layout.Fields.size(); ++i) {
    if (!layout.Fields[i].Indexed) continue;
    std::string c = Column(int(i + 1));
    t += ", " + c + (layout.Fields[i].Integer ? " INTEGER NOT NULL" : " TEXT NOT NULL");
    ix += "CREATE INDEX records_" + c + " ON records(" + c + ", pk);";
  }
  return t + ", data BLOB NOT NULL) WITHOUT ROWID;" + ix;
}

}  // namespace

Result MapSqlite(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return rcOK;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return rcMultiUser;
    case SQLITE_NOMEM:
      return rcNoMemory;
    case SQLITE_FULL:
      return rcDiskFull;
    case SQLITE_IOERR:
      return rcIOError;
    case SQLITE_NOTADB:
      return rcNotIsam;
    case SQLITE_CONSTRAINT:
      return rcUpdateMode;
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return rcDosError;
    default:  // SQLITE_CORRUPT, and a schema that is not ours (SQLITE_ERROR, SQLITE_MISMATCH...)
      return rcCorrupt;
  }
}

Result Dataset::Create(const std::string& name, int keyLength, const std::string& format) {
  Layout layout;
  if (!ParseFormat(format, layout)) return rcBadFormat;
  if (keyLength < 1 || keyLength > kMaxKeyLength || name.empty()) return rcBadParam;
  const std::string ism = name + ".ism", isd = name + ".isd";
  if (Exists(ism) || Exists(isd)) return rcNameInUse;

  // One creator at a time: the claim is a file made only if it is not there (atomic on every file
  // system, unlike a rename without replacing, which some servers and Wine carry out as a test and
  // a rename), held while the data set is made and gone when its handle closes, also when the
  // creator is killed. Who finds it there leaves the data set to its holder.
  HANDLE claim = CreateFileA((name + ".new").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (claim == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    return e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS ? rcNameInUse : FileError(e);
  }
  Result r = Build(name, keyLength, format, layout);
  CloseHandle(claim);
  return r;
}

Result Dataset::Build(const std::string& name, int keyLength, const std::string& format, const Layout& layout) {
  const std::string ism = name + ".ism", isd = name + ".isd";
  // The holder before us may have finished between our test and our claim.
  if (Exists(ism) || Exists(isd)) return rcNameInUse;
  // Both files are built under private names and renamed into place without replacing, so a
  // reader never sees a half-made data set.
  // Process ids repeat from machine to machine (each Wine prefix counts its own): a random part keeps
  // two machines creating at once off each other's private files.
  static std::atomic<unsigned> serial{0};
  unsigned random = 0;
  if (rand_s(&random) != 0) random = GetTickCount();
  const std::string tmp = "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial) + "-" +
                          std::to_string(random) + ".tmp";
  const std::string tmpIsd = isd + tmp, tmpIsm = ism + tmp;

  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(Utf8(tmpIsd).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) {
    std::string sql = "PRAGMA page_size=4096;PRAGMA journal_mode=DELETE;BEGIN;" + TableSql(layout) + "COMMIT;";
    rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
  sqlite3_close_v2(db);
  if (rc != SQLITE_OK) {
    DeleteFileA(tmpIsd.c_str());
    return MapSqlite(rc);
  }
  const Result r = WriteNewFile(tmpIsm, EncodeDescriptor(Descriptor{uint16_t(keyLength), format}));
  if (r != rcOK) {
    DeleteFileA(tmpIsd.c_str());
    return r;
  }
  if (!MoveFileExA(tmpIsd.c_str(), isd.c_str(), MOVEFILE_WRITE_THROUGH)) {
    DWORD e = GetLastError();
    DeleteFileA(tmpIsd.c_str());
    DeleteFileA(tmpIsm.c_str());
    return e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? rcNameInUse : FileError(e);
  }
  if (!MoveFileExA(tmpIsm.c_str(), ism.c_str(), MOVEFILE_WRITE_THROUGH)) {
    DWORD e = GetLastError();
    DeleteFileA(tmpIsm.c_str());
    DeleteFileA(isd.c_str());
    return e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? rcNameInUse : FileError(e);
  }
  return rcOK;
}

Result Dataset::Open(const std::string& name, std::unique_ptr<Dataset>& out) {
  if (name.empty()) return rcBadParam;
  std::unique_ptr<Dataset> ds(new Dataset);
  Result r = LoadDescriptor(name + ".ism", ds->FDesc, ds->FLayout);
  if (r != rcOK) return r;

  const std::string isd = name + ".isd";
  DWORD attr = GetFileAttributesA(isd.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return FileError(GetLastError());
  if (attr & FILE_ATTRIBUTE_DIRECTORY) return rcNotIsam;
  // No SQLITE_OPEN_CREATE: a data file that vanished must not come back empty.
  int rc = sqlite3_open_v2(Utf8(isd).c_str(), &ds->FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, ReadVfsName());
  if (rc != SQLITE_OK) return MapSqlite(rc);
  sqlite3_busy_timeout(ds->FDb, kBusyTimeoutMs);
  sqlite3_exec(ds->FDb, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
  // Compiling these reads the schema: a foreign, zeroed or truncated file fails here, and the insert
  // names every indexed column the descriptor promises.
  sqlite3_stmt* st = nullptr;
  if ((r = ds->Stmt(kEqual, 0, st)) != rcOK) return r;
  if ((r = ds->Stmt(kInsert, 0, st)) != rcOK) return r;
  out = std::move(ds);
  return rcOK;
}

Dataset::~Dataset() {
  for (auto& s : FStmts) sqlite3_finalize(s.second);
  if (FDb) sqlite3_close_v2(FDb);
}

std::string Dataset::BuildSql(Kind kind, int index) const {
  const std::string c = Column(index);
  const std::string sel = "SELECT " + c + ", pk, data FROM records";
  const std::string asc = index == 0 ? " ORDER BY pk" : " ORDER BY " + c + ", pk";
  const std::string desc = index == 0 ? " ORDER BY pk DESC" : " ORDER BY " + c + " DESC, pk DESC";
  switch (kind) {
    case kFromStartNext:
      return sel + asc + " LIMIT ?3";
    case kAfterNext:
      return sel + (index == 0 ? " WHERE pk > ?2" : " WHERE (" + c + ", pk) > (?1, ?2)") + asc + " LIMIT ?3";
    case kFromEndPrior:
      return sel + desc + " LIMIT ?3";
    case kBeforePrior:
      return sel + (index == 0 ? " WHERE pk < ?2" : " WHERE (" + c + ", pk) < (?1, ?2)") + desc + " LIMIT ?3";
    case kEqual:
      return sel + " WHERE " + c + " = ?1" + (index == 0 ? "" : " ORDER BY pk LIMIT 1");
    case kValueOf:
      return "SELECT " + c + " FROM records WHERE pk = ?1";
    case kInsert:
    case kUpdate: {
      std::string cols = "pk", vals = "?1", sets;
      int n = 1;
      for (size_t i = 0; i < FLayout.Fields.size(); ++i) {
        if (!FLayout.Fields[i].Indexed) continue;
        std::string p = "?" + std::to_string(++n);
        cols += ", " + Column(int(i + 1));
        vals += ", " + p;
        sets += Column(int(i + 1)) + " = " + p + ", ";
      }
      std::string p = "?" + std::to_string(++n);
      if (kind == kInsert) return "INSERT INTO records(" + cols + ", data) VALUES(" + vals + ", " + p + ")";
      return "UPDATE records SET " + sets + "data = " + p + " WHERE pk = ?1";
    }
    case kDelete:
      return "DELETE FROM records WHERE pk = ?1";
    case kCount:
      return "SELECT count(*) FROM records";
    case kMaxKey:
      return "SELECT pk FROM records ORDER BY pk DESC LIMIT 1";
    case kBegin:
      return "BEGIN IMMEDIATE";  // the write lock first: no upgrade deadlock between writers
    case kCommit:
      return "COMMIT";
    case kRollback:
      return "ROLLBACK";
  }
  return {};
}

Result Dataset::Stmt(Kind kind, int index, sqlite3_stmt*& out) {
  auto key = std::make_pair(int(kind), index);
  auto it = FStmts.find(key);
  if (it != FStmts.end()) {
    out = it->second;
    return rcOK;
  }
  std::string sql = BuildSql(kind, index);
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v3(FDb, sql.c_str(), (int)sql.size() + 1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(st);
    return MapSqlite(rc);
  }
  FStmts.emplace(key, st);
  out = st;
  return rcOK;
}

void Dataset::BindValue(sqlite3_stmt* st, int n, const Value& v) {
  if (v.IsInt)
    sqlite3_bind_int64(st, n, v.Int);
  else
    sqlite3_bind_text(st, n, v.Text.data(), (int)v.Text.size(), SQLITE_STATIC);
}

std::string Dataset::ValueText(const Value& v) { return v.IsInt ? std::to_string(v.Int) : v.Text; }

Result Dataset::ReadRow(sqlite3_stmt* st, int index, Row& row) {
  // Whatever the file holds is checked before it reaches a caller's buffer.
  if (sqlite3_column_type(st, 2) != SQLITE_BLOB || (uint32_t)sqlite3_column_bytes(st, 2) != FLayout.RecordSize)
    return rcCorrupt;
  const void* data = sqlite3_column_blob(st, 2);
  if (!data) return rcCorrupt;
  row.Data.assign(static_cast<const char*>(data), FLayout.RecordSize);
  const unsigned char* pk = sqlite3_column_text(st, 1);
  if (!pk) return rcCorrupt;
  row.Pk.assign(reinterpret_cast<const char*>(pk), sqlite3_column_bytes(st, 1));
  row.V.IsInt = IsIntIndex(index);
  if (row.V.IsInt) {
    row.V.Int = sqlite3_column_int64(st, 0);
  } else {
    const unsigned char* v = sqlite3_column_text(st, 0);
    row.V.Text.assign(v ? reinterpret_cast<const char*>(v) : "", v ? sqlite3_column_bytes(st, 0) : 0);
  }
  return rcOK;
}

Result Dataset::First(int index) { return MoveToEnd(index, Pos::BOF); }

Result Dataset::Last(int index) { return MoveToEnd(index, Pos::EOF_); }

Result Dataset::MoveToEnd(int index, Pos end) {
  if (!FLayout.HasIndex(index)) return rcBadParam;
  DropBatch();
  FPos = end;
  FPosIndex = index;
  return rcOK;
}

Result Dataset::Fetch(int index, bool forward, size_t limit) {
  FBatch.clear();
  FBatchNext = 0;
  FBatchIndex = index;
  FBatchForward = forward;
  FBatchLimit = limit;
  FBatchTick = GetTickCount64();
  FBatchAtEnd = true;
  Pos pos = FPos == Pos::None ? (forward ? Pos::BOF : Pos::EOF_) : FPos;
  if ((pos == Pos::BOF && !forward) || (pos == Pos::EOF_ && forward)) return rcOK;

  Result r;
  sqlite3_stmt* st = nullptr;
  if (pos == Pos::On && FPosIndex != index) {
    // Moving to another index: find where the current record sits in it.
    if ((r = Stmt(kValueOf, index, st)) != rcOK) return r;
    sqlite3_bind_text(st, 1, FPosKey.data(), (int)FPosKey.size(), SQLITE_STATIC);
    int rc = SqlStep(st);
    if (rc == SQLITE_ROW) {
      FPosValue.IsInt = IsIntIndex(index);
      FPosValue.Int = sqlite3_column_int64(st, 0);
      const unsigned char* v = sqlite3_column_text(st, 0);
      FPosValue.Text.assign(v ? reinterpret_cast<const char*>(v) : "", v ? sqlite3_column_bytes(st, 0) : 0);
    }
    sqlite3_reset(st);
    if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? rcNotFound : MapSqlite(rc);
    FPosIndex = index;
  }
  Kind kind = pos == Pos::On ? (forward ? kAfterNext : kBeforePrior) : (forward ? kFromStartNext : kFromEndPrior);
  if ((r = Stmt(kind, index, st)) != rcOK) return r;
  if (pos == Pos::On) {
    if (index != 0) BindValue(st, 1, FPosValue);
    sqlite3_bind_text(st, 2, FPosKey.data(), (int)FPosKey.size(), SQLITE_STATIC);
  }
  sqlite3_bind_int64(st, 3, (long long)limit);
  int rc;
  r = rcOK;
  while ((rc = SqlStep(st)) == SQLITE_ROW) {
    FBatch.emplace_back();
    if ((r = ReadRow(st, index, FBatch.back())) != rcOK) break;
  }
  sqlite3_reset(st);  // releases the read lock at once
  if (r == rcOK && rc != SQLITE_DONE) r = MapSqlite(rc);
  if (r != rcOK) {
    DropBatch();
    return r;
  }
  FBatchAtEnd = FBatch.size() < limit;
  return rcOK;
}

Result Dataset::Step(int index, bool forward, bool keyOnly, unsigned char* record, std::string& pk,
                     std::string& value) {
  bool same = !FBatch.empty() || FBatchAtEnd;
  same = same && FBatchIndex == index && FBatchForward == forward && FBatchLimit != 0 &&
         GetTickCount64() - FBatchTick < kFreshMs;
  if (!same || FBatchNext == FBatch.size()) {
    if (same && FBatchAtEnd) return rcNotFound;
    size_t limit = same ? std::min(FBatchLimit * 8, kMaxBatch)
                   : keyOnly ? 1 : FPos == Pos::On ? kFirstBatch : kFirstScanBatch;
    Result r = Fetch(index, forward, limit);
    if (r != rcOK) return r;
    if (FBatch.empty()) return rcNotFound;
  }
  const Row& row = FBatch[FBatchNext++];
  return TakeRow(row, index, keyOnly, record, pk, value);
}

Result Dataset::TakeRow(const Row& row, int index, bool keyOnly, unsigned char* record, std::string& pk,
                        std::string& value) {
  FPos = Pos::On;
  FPosIndex = index;
  FPosValue = row.V;
  FPosKey = row.Pk;
  if (!keyOnly) std::memcpy(record, row.Data.data(), row.Data.size());
  pk = row.Pk;
  value = ValueText(row.V);
  return rcOK;
}

Result Dataset::Read(int index, ReadOp op, bool keyOnly, const std::string& key, unsigned char* record,
                     std::string& pk, std::string& value) {
  if (!FLayout.HasIndex(index)) return rcBadParam;
  if (op == ReadOp::Next) return Step(index, true, keyOnly, record, pk, value);
  if (op == ReadOp::Prior) return Step(index, false, keyOnly, record, pk, value);

  DropBatch();
  Value want;
  want.IsInt = IsIntIndex(index);
  if (want.IsInt) {
    char* end = nullptr;
    want.Int = std::strtoll(key.c_str(), &end, 10);
    if (key.empty() || *end) return rcBadKey;
  } else {
    want.Text = key;
  }
  sqlite3_stmt* st = nullptr;
  Result r = Stmt(kEqual, index, st);
  if (r != rcOK) return r;
  BindValue(st, 1, want);
  Row row;
  int rc = SqlStep(st);
  if (rc == SQLITE_ROW) r = ReadRow(st, index, row);
  sqlite3_reset(st);
  if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? rcNotFound : MapSqlite(rc);
  if (r != rcOK) return r;
  return TakeRow(row, index, keyOnly, record, pk, value);
}

Result Dataset::Exec(Kind kind) {
  sqlite3_stmt* st = nullptr;
  Result r = Stmt(kind, 0, st);
  if (r != rcOK) return r;
  int rc = SqlStep(st);
  sqlite3_reset(st);
  return rc == SQLITE_DONE ? rcOK : MapSqlite(rc);
}

Result Dataset::EndWrite(Result r) {
  if (r == rcOK) r = Exec(kCommit);
  if (r != rcOK && !sqlite3_get_autocommit(FDb)) Exec(kRollback);
  return r;
}

// Inside the write transaction, so two machines adding at once never get the same key.
Result Dataset::AssignKey(std::string& key) {
  sqlite3_stmt* st = nullptr;
  Result r = Stmt(kMaxKey, 0, st);
  if (r != rcOK) return r;
  unsigned long long n = 0;
  int rc = SqlStep(st);
  if (rc == SQLITE_ROW) {
    const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    int len = sqlite3_column_bytes(st, 0);
    if (!t || len == 0 || len > 18) r = rcBadKey;
    for (int i = 0; r == rcOK && i < len; ++i) {
      if (t[i] < '0' || t[i] > '9') r = rcBadKey;
      n = n * 10 + unsigned(t[i] - '0');
    }
  }
  sqlite3_reset(st);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return MapSqlite(rc);
  if (r != rcOK) return r;
  std::string k = std::to_string(n + 1);
  if (k.size() > FDesc.KeyLength) return rcBadParam;  // the key space is used up
  key = std::string(FDesc.KeyLength - k.size(), '0') + k;
  return rcOK;
}

Result Dataset::Put(std::string& key, const unsigned char* record, int mode) {
  DropBatch();
  if (key.size() > FDesc.KeyLength) return rcBadParam;
  if (mode == 2 && key.empty()) return rcNotFound;
  Result r = Exec(kBegin);
  if (r != rcOK) return r;
  if (mode == 1 && key.empty() && (r = AssignKey(key)) != rcOK) return EndWrite(r);
  sqlite3_stmt* st = nullptr;
  if ((r = Stmt(mode == 1 ? kInsert : kUpdate, 0, st)) != rcOK) return EndWrite(r);
  sqlite3_bind_text(st, 1, key.data(), (int)key.size(), SQLITE_STATIC);
  int n = 1;
  std::vector<std::string> texts;  // kept alive until the step
  texts.reserve(FLayout.Fields.size());
  for (const Field& f : FLayout.Fields) {
    if (!f.Indexed) continue;
    if (f.Integer) {
      sqlite3_bind_int(st, ++n, FieldInt(f, record));
    } else {
      texts.push_back(FieldText(f, record));
      sqlite3_bind_text(st, ++n, texts.back().data(), (int)texts.back().size(), SQLITE_STATIC);
    }
  }
  sqlite3_bind_blob(st, ++n, record, (int)FLayout.RecordSize, SQLITE_STATIC);
  int rc = SqlStep(st);
  sqlite3_clear_bindings(st);
  sqlite3_reset(st);
  if (rc != SQLITE_DONE) return EndWrite(MapSqlite(rc));
  if (mode == 2 && sqlite3_changes(FDb) == 0) return EndWrite(rcNotFound);
  return EndWrite(rcOK);
}

Result Dataset::Delete(const std::string& key) {
  DropBatch();
  if (key.empty() || key.size() > FDesc.KeyLength) return rcNotFound;
  Result r = Exec(kBegin);
  if (r != rcOK) return r;
  sqlite3_stmt* st = nullptr;
  if ((r = Stmt(kDelete, 0, st)) != rcOK) return EndWrite(r);
  sqlite3_bind_text(st, 1, key.data(), (int)key.size(), SQLITE_STATIC);
  int rc = SqlStep(st);
  sqlite3_reset(st);
  if (rc != SQLITE_DONE) return EndWrite(MapSqlite(rc));
  return EndWrite(sqlite3_changes(FDb) == 0 ? rcNotFound : rcOK);
}

Result Dataset::Count(int32_t& count) {
  sqlite3_stmt* st = nullptr;
  Result r = Stmt(kCount, 0, st);
  if (r != rcOK) return r;
  int rc = SqlStep(st);
  if (rc == SQLITE_ROW) count = (int32_t)sqlite3_column_int64(st, 0);
  sqlite3_reset(st);
  return rc == SQLITE_ROW ? rcOK : MapSqlite(rc);
}

}  // namespace isam
