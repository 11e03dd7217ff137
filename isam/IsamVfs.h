// The file layer the data sets are opened through: SQLite's own Windows layer, with the data file's
// reads taken at a file pointer of a handle of its own (see IsamVfs.cpp).
#pragma once

namespace isam {

// The layer's name for sqlite3_open_v2, registered on first use; null when it could not be (SQLite's
// own layer is then used). Called under the library's lock.
const char* ReadVfsName();

}  // namespace isam
