// SQLite's Windows file layer reads every page with ReadFile and an explicit offset (an OVERLAPPED).
// Under Wine each such read is a round trip to the wineserver, about ten times a read at the file
// pointer, so a scan of a large data set was mostly waiting for it. This layer passes everything to
// SQLite's own, except that reads of an open file move the file pointer of SQLite's own handle and read
// there. Nothing else in SQLite's layer uses the pointer without setting it first, and the library's
// lock lets one call at a time reach a connection. Any read that does not come back whole goes to
// SQLite's read, so short reads, retries and error codes are exactly SQLite's.
#include "IsamVfs.h"

#include <windows.h>

#include <sqlite3.h>

#include <cstring>

namespace isam {

namespace {

struct ShimFile {
  sqlite3_file Base;
  HANDLE Handle;        // SQLite's own handle of the file, or INVALID_HANDLE_VALUE
  sqlite3_file* Real;   // SQLite's file, in the memory right after this one
};

sqlite3_vfs* gRealVfs = nullptr;
sqlite3_vfs gVfs;
bool gTried = false;

sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<ShimFile*>(f)->Real; }
const sqlite3_io_methods* M(sqlite3_file* f) { return Real(f)->pMethods; }

int Close(sqlite3_file* f) { return M(f)->xClose(Real(f)); }

int Read(sqlite3_file* f, void* buf, int amt, sqlite3_int64 off) {
  ShimFile* s = reinterpret_cast<ShimFile*>(f);
  if (s->Handle != INVALID_HANDLE_VALUE && amt > 0) {
    LARGE_INTEGER at;
    at.QuadPart = off;
    DWORD got = 0;
    if (SetFilePointerEx(s->Handle, at, nullptr, FILE_BEGIN) && ReadFile(s->Handle, buf, DWORD(amt), &got, nullptr) &&
        got == DWORD(amt))
      return SQLITE_OK;
  }
  return M(f)->xRead(Real(f), buf, amt, off);
}

int Write(sqlite3_file* f, const void* buf, int amt, sqlite3_int64 off) { return M(f)->xWrite(Real(f), buf, amt, off); }
int Truncate(sqlite3_file* f, sqlite3_int64 size) { return M(f)->xTruncate(Real(f), size); }
int Sync(sqlite3_file* f, int flags) { return M(f)->xSync(Real(f), flags); }
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return M(f)->xFileSize(Real(f), size); }
int Lock(sqlite3_file* f, int level) { return M(f)->xLock(Real(f), level); }
int Unlock(sqlite3_file* f, int level) { return M(f)->xUnlock(Real(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) { return M(f)->xCheckReservedLock(Real(f), out); }
int FileControl(sqlite3_file* f, int op, void* arg) { return M(f)->xFileControl(Real(f), op, arg); }
int SectorSize(sqlite3_file* f) { return M(f)->xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return M(f)->xDeviceCharacteristics(Real(f)); }
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
  return M(f)->iVersion >= 2 ? M(f)->xShmMap(Real(f), page, size, extend, out) : SQLITE_IOERR;
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return M(f)->iVersion >= 2 ? M(f)->xShmLock(Real(f), offset, n, flags) : SQLITE_IOERR;
}
void ShmBarrier(sqlite3_file* f) {
  if (M(f)->iVersion >= 2) M(f)->xShmBarrier(Real(f));
}
int ShmUnmap(sqlite3_file* f, int deleteFlag) {
  return M(f)->iVersion >= 2 ? M(f)->xShmUnmap(Real(f), deleteFlag) : SQLITE_OK;
}
int Fetch(sqlite3_file* f, sqlite3_int64 off, int amt, void** out) {
  if (M(f)->iVersion >= 3) return M(f)->xFetch(Real(f), off, amt, out);
  *out = nullptr;
  return SQLITE_OK;
}
int Unfetch(sqlite3_file* f, sqlite3_int64 off, void* p) {
  return M(f)->iVersion >= 3 ? M(f)->xUnfetch(Real(f), off, p) : SQLITE_OK;
}

const sqlite3_io_methods gMethods = {
    3,         Close,     Read,   Write,    Truncate,   Sync,       FileSize, Lock,     Unlock,
    CheckReservedLock,    FileControl,      SectorSize, DeviceCharacteristics, ShmMap,   ShmLock,
    ShmBarrier,           ShmUnmap,         Fetch,      Unfetch,
};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
  ShimFile* s = reinterpret_cast<ShimFile*>(f);
  s->Base.pMethods = nullptr;
  s->Handle = INVALID_HANDLE_VALUE;
  s->Real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(f) + sizeof(ShimFile));
  int rc = gRealVfs->xOpen(gRealVfs, name, s->Real, flags, outFlags);
  if (rc != SQLITE_OK || !s->Real->pMethods) return rc;
  HANDLE h = INVALID_HANDLE_VALUE;
  if (s->Real->pMethods->xFileControl(s->Real, SQLITE_FCNTL_WIN32_GET_HANDLE, &h) == SQLITE_OK && h) s->Handle = h;
  s->Base.pMethods = &gMethods;
  return SQLITE_OK;
}

int Delete(sqlite3_vfs*, const char* name, int syncDir) { return gRealVfs->xDelete(gRealVfs, name, syncDir); }
int Access(sqlite3_vfs*, const char* name, int flags, int* out) { return gRealVfs->xAccess(gRealVfs, name, flags, out); }
int FullPathname(sqlite3_vfs*, const char* name, int n, char* out) {
  return gRealVfs->xFullPathname(gRealVfs, name, n, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) { return gRealVfs->xDlOpen(gRealVfs, name); }
void DlError(sqlite3_vfs*, int n, char* out) { gRealVfs->xDlError(gRealVfs, n, out); }
void (*DlSym(sqlite3_vfs*, void* lib, const char* sym))(void) { return gRealVfs->xDlSym(gRealVfs, lib, sym); }
void DlClose(sqlite3_vfs*, void* lib) { gRealVfs->xDlClose(gRealVfs, lib); }
int Randomness(sqlite3_vfs*, int n, char* out) { return gRealVfs->xRandomness(gRealVfs, n, out); }
int VfsSleep(sqlite3_vfs*, int us) { return gRealVfs->xSleep(gRealVfs, us); }
int CurrentTime(sqlite3_vfs*, double* out) { return gRealVfs->xCurrentTime(gRealVfs, out); }
int VfsGetLastError(sqlite3_vfs*, int n, char* out) { return gRealVfs->xGetLastError(gRealVfs, n, out); }
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) { return gRealVfs->xCurrentTimeInt64(gRealVfs, out); }

}  // namespace

const char* ReadVfsName() {
  if (gTried) return gRealVfs ? gVfs.zName : nullptr;
  gTried = true;
  sqlite3_vfs* real = sqlite3_vfs_find("win32");
  if (!real || real->iVersion < 2) return nullptr;
  gRealVfs = real;
  std::memset(&gVfs, 0, sizeof gVfs);
  gVfs.iVersion = 2;
  gVfs.szOsFile = int(sizeof(ShimFile)) + real->szOsFile;
  gVfs.mxPathname = real->mxPathname;
  gVfs.zName = "isam-win32";
  gVfs.xOpen = Open;
  gVfs.xDelete = Delete;
  gVfs.xAccess = Access;
  gVfs.xFullPathname = FullPathname;
  gVfs.xDlOpen = DlOpen;
  gVfs.xDlError = DlError;
  gVfs.xDlSym = DlSym;
  gVfs.xDlClose = DlClose;
  gVfs.xRandomness = Randomness;
  gVfs.xSleep = VfsSleep;
  gVfs.xCurrentTime = CurrentTime;
  gVfs.xGetLastError = VfsGetLastError;
  gVfs.xCurrentTimeInt64 = CurrentTimeInt64;
  if (sqlite3_vfs_register(&gVfs, 0) != SQLITE_OK) {
    gRealVfs = nullptr;
    return nullptr;
  }
  return gVfs.zName;
}

}  // namespace isam
