// Record formats and the ".ism" descriptor of a data set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace isam {

// Result codes the library hands back (0 = success).
enum Result : int16_t {
  rcOK = 0,
  rcNotFound = 1,
  rcUpdateMode = 2,
  rcMultiUser = 3,
  rcBadHandle = 4,
  rcBadFormat = 5,
  rcBadKey = 6,
  rcBadParam = 7,
  rcNotIsam = 8,
  rcNameInUse = 9,
  rcDiskFull = 11,
  rcNoMemory = 12,
  rcDosError = 13,
  rcIOError = 14,
  rcCorrupt = 15,
  rcNotAvailable = 21,
};

// One field of a fixed-layout record.
struct Field {
  bool Indexed = false;  // carries a secondary index
  bool Integer = false;  // 16-bit little-endian integer; otherwise a zero-terminated text field
  uint32_t Offset = 0;
  uint32_t Size = 0;
};

struct Layout {
  std::vector<Field> Fields;
  uint32_t RecordSize = 0;
  // Index n (1-based field position) exists when field n carries an index; 0 is the primary key.
  bool HasIndex(int index) const {
    return index == 0 || (index > 0 && index <= (int)Fields.size() && Fields[index - 1].Indexed);
  }
};

constexpr size_t kMaxFormat = 4096;
constexpr uint32_t kMaxRecord = 65535;
constexpr int kMaxKeyLength = 255;

// Parses "%,$*51,X$*21,...": fields packed in order without gaps. False on any malformed descriptor,
// an empty format, or a record larger than kMaxRecord.
bool ParseFormat(const std::string& format, Layout& layout);

// The index value of field `f` in `record`: the text up to its first zero byte (or the whole field).
std::string FieldText(const Field& f, const unsigned char* record);
int16_t FieldInt(const Field& f, const unsigned char* record);

// Descriptor file contents: magic, version, key length, format, checksum.
struct Descriptor {
  uint16_t KeyLength = 0;
  std::string Format;
};
std::string EncodeDescriptor(const Descriptor& d);
// rcOK, rcNotIsam (not a descriptor at all) or rcCorrupt (a descriptor, but damaged).
Result DecodeDescriptor(const std::string& bytes, Descriptor& d, Layout& layout);

}  // namespace isam
