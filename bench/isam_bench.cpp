// Speed of the ISAM file layer against the same work done with plain SQLite statements on the same
// files: (a) open + look-up by login name + close, (b) open + full scan along the primary key + close,
// (c) open + add + close, on user data sets of 1,000 and 10,000 records.
// Usage: isam_bench [folder]   (a temporary folder by default)
#include <windows.h>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <functional>
#include <string>

#include "IsamFile.h"

namespace {

const char* const kUserFormat = "%,$*51,$*31,$*11,$*21,$*51,X$*21,$*31,$*51,$*51,$*51,$*51,%,%,%";
constexpr size_t kRecord = 429;

double Seconds() {
  static LARGE_INTEGER f = [] {
    LARGE_INTEGER x;
    QueryPerformanceFrequency(&x);
    return x;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) / double(f.QuadPart);
}

bool Timed(const std::function<bool()>& op, double& total) {
  double t0 = Seconds();
  bool ok = op();
  total += Seconds() - t0;
  if (!ok) {
    std::fprintf(stderr, "operation failed\n");
    std::exit(1);
  }
  return ok;
}

// Ours and raw one after the other, operation by operation, for about `seconds` (at least `minOps`
// each), so both see the same machine load; returns operations per second of each.
std::pair<double, double> Compare(const std::function<bool()>& ours, const std::function<bool()>& raw,
                                  int minOps, double seconds = 2.0) {
  double tOurs = 0, tRaw = 0;
  int n = 0;
  double start = Seconds();
  do {
    Timed(ours, tOurs);
    Timed(raw, tRaw);
    ++n;
  } while (Seconds() - start < seconds || n < minOps);
  return {n / tOurs, n / tRaw};
}

std::string Login(int i) { return "USER" + std::to_string(i); }

void MakeRecord(uint8_t* rec, int i) {
  std::memset(rec, 0, kRecord);
  std::string name = "Name of user " + std::to_string(i), login = Login(i);
  std::memcpy(rec + 2, name.data(), name.size());
  std::memcpy(rec + 53, "Available", 9);
  std::memcpy(rec + 167, login.data(), login.size());
}

std::string Key(int i) {
  char k[16];
  std::snprintf(k, sizeof k, "%10.10d", i);
  return k;
}

std::string Utf8Path(const std::string& ansi) { return ansi; }  // the bench folder is plain ASCII

sqlite3* RawOpen(const std::string& isd) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(Utf8Path(isd).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "cannot open %s\n", isd.c_str());
    std::exit(1);
  }
  sqlite3_busy_timeout(db, 10000);
  return db;
}

// The data set made through the layer, then filled in one transaction to save time.
void MakeSet(const std::string& name, int count) {
  DeleteFileA((name + ".ism").c_str());
  DeleteFileA((name + ".isd").c_str());
  TIsamFile f("");
  if (!f.CreateFile(name, 10, kUserFormat)) {
    std::fprintf(stderr, "create failed: %s\n", f.ErrorText().c_str());
    std::exit(1);
  }
  sqlite3* db = RawOpen(name + ".isd");
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* st;
  sqlite3_prepare_v2(db, "INSERT INTO records(pk, x7, data) VALUES(?1, ?2, ?3)", -1, &st, nullptr);
  uint8_t rec[kRecord];
  for (int i = 1; i <= count; ++i) {
    MakeRecord(rec, i);
    std::string k = Key(i), l = Login(i);
    sqlite3_bind_text(st, 1, k.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, l.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_blob(st, 3, rec, kRecord, SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

void Report(const char* what, int n, double ours, double raw, double target) {
  double ratio = raw / ours;
  std::printf("%-28s %6d  ours %9.0f ops/s  raw %9.0f ops/s  ours/raw %5.2f  (target <= %.1f) %s\n", what, n,
              ours, raw, ratio, target, ratio <= target ? "ok" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir;
  if (argc > 1) {
    dir = argv[1];
    if (dir.back() != '\\') dir += '\\';
  } else {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    dir = std::string(tmp) + "yoz-isam-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  }
  CreateDirectoryA(dir.c_str(), nullptr);
  TIsamFile f("");
  if (!f.DllLoaded) {
    std::fprintf(stderr, "VBIS4032.DLL not found\n");
    return 1;
  }
  for (int n : {1000, 10000}) {
    const std::string name = dir + "yOZDB31-" + std::to_string(n);
    const std::string isd = name + ".isd";
    MakeSet(name, n);
    uint8_t rec[kRecord];
    unsigned seed = 12345;
    auto pick = [&] {
      seed = seed * 1103515245u + 12345u;
      return int((seed >> 8) % unsigned(n)) + 1;
    };

    // (a) open + GetEqual on index 7 + close
    auto [ours, raw] = Compare([&] {
      bool ok = f.Open(name, 3) && f.GetEqual(rec, 7, Login(pick()));
      return f.Close() && ok;
    }, [&] {
      sqlite3* db = RawOpen(isd);
      sqlite3_stmt* st;
      sqlite3_prepare_v2(db, "SELECT pk, data FROM records WHERE x7 = ?1 ORDER BY pk LIMIT 1", -1, &st, nullptr);
      std::string l = Login(pick());
      sqlite3_bind_text(st, 1, l.c_str(), -1, SQLITE_STATIC);
      bool ok = sqlite3_step(st) == SQLITE_ROW;
      if (ok) std::memcpy(rec, sqlite3_column_blob(st, 1), kRecord);
      sqlite3_finalize(st);
      sqlite3_close(db);
      return ok;
    }, 20);
    Report("(a) open+GetEqual(7)+close", n, ours, raw, 1.5);

    // (b) open + First + GetNext to the end + close
    int seen = 0;
    auto [scanOurs, scanRaw] = Compare([&] {
      if (!f.Open(name, 3) || !f.First(0)) return false;
      seen = 0;
      while (f.GetNext(rec, 0, 16, "")) ++seen;
      return f.Close() && seen == n;
    }, [&] {
      sqlite3* db = RawOpen(isd);
      sqlite3_stmt* st;
      sqlite3_prepare_v2(db, "SELECT pk, data FROM records ORDER BY pk", -1, &st, nullptr);
      int k = 0;
      while (sqlite3_step(st) == SQLITE_ROW) {
        std::memcpy(rec, sqlite3_column_blob(st, 1), kRecord);
        ++k;
      }
      sqlite3_finalize(st);
      sqlite3_close(db);
      return k == n;
    }, 3);
    Report("(b) open+scan+close", n, scanOurs, scanRaw, 3.0);
    std::printf("%-28s %6d  %.2f ms per full scan%s\n", "    full scan", n, 1000.0 / scanOurs,
                n == 1000 ? (1000.0 / scanOurs < 5.0 ? "  (target < 5 ms) ok" : "  (target < 5 ms) MISSED") : "");

    // (c) open + Add + close
    int next = n + 1;
    MakeRecord(rec, 0);
    auto [addOurs, addRaw] = Compare([&] {
      bool ok = f.Open(name, 3) && f.Add(rec, "");
      ++next;
      return f.Close() && ok;
    }, [&] {
      sqlite3* db = RawOpen(isd);
      sqlite3_stmt* st;
      sqlite3_prepare_v2(db, "INSERT INTO records(pk, x7, data) VALUES(?1, ?2, ?3)", -1, &st, nullptr);
      std::string k = Key(next++), l = Login(0);
      sqlite3_bind_text(st, 1, k.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 2, l.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_blob(st, 3, rec, kRecord, SQLITE_STATIC);
      bool ok = sqlite3_step(st) == SQLITE_DONE;
      sqlite3_finalize(st);
      sqlite3_close(db);
      return ok;
    }, 5);
    Report("(c) open+Add+close", n, addOurs, addRaw, 1.5);
    DeleteFileA((name + ".ism").c_str());
    DeleteFileA(isd.c_str());
  }
  if (argc <= 1) RemoveDirectoryA(dir.c_str());
  return 0;
}
