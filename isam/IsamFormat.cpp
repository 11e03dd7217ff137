#include "IsamFormat.h"

#include <cstring>

namespace isam {

namespace {

const char kMagic[8] = {'y', 'O', 'Z', 'I', 'S', 'A', 'M', 0x1a};
constexpr uint16_t kVersion = 1;
constexpr size_t kHeader = 14;  // magic, version, key length, format length

uint32_t Crc32(const unsigned char* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

void Put16(std::string& s, uint16_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char(v >> 8));
}
uint16_t Get16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Get32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

bool ParseFormat(const std::string& format, Layout& layout) {
  layout = Layout();
  if (format.empty() || format.size() > kMaxFormat) return false;
  size_t pos = 0;
  uint32_t offset = 0;
  for (;;) {
    size_t end = format.find(',', pos);
    std::string d = format.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    Field f;
    size_t i = 0;
    if (i < d.size() && d[i] == 'X') {
      f.Indexed = true;
      ++i;
    }
    if (d.compare(i, std::string::npos, "%") == 0) {
      f.Integer = true;
      f.Size = 2;
    } else if (d.compare(i, 2, "$*") == 0 && d.size() > i + 2 && d.size() <= i + 7) {
      uint32_t n = 0;
      for (size_t k = i + 2; k < d.size(); ++k) {
        if (d[k] < '0' || d[k] > '9') return false;
        n = n * 10 + uint32_t(d[k] - '0');
      }
      if (n == 0) return false;
      f.Size = n;
    } else {
      return false;
    }
    f.Offset = offset;
    offset += f.Size;
    if (offset > kMaxRecord || layout.Fields.size() >= 255) return false;
    layout.Fields.push_back(f);
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  layout.RecordSize = offset;
  return true;
}

std::string FieldText(const Field& f, const unsigned char* record) {
  const char* p = reinterpret_cast<const char*>(record + f.Offset);
  const void* z = std::memchr(p, 0, f.Size);
  return std::string(p, z ? static_cast<const char*>(z) - p : f.Size);
}

int16_t FieldInt(const Field& f, const unsigned char* record) {
  return int16_t(Get16(record + f.Offset));
}

std::string EncodeDescriptor(const Descriptor& d) {
  std::string s(kMagic, sizeof kMagic);
  Put16(s, kVersion);
  Put16(s, d.KeyLength);
  Put16(s, uint16_t(d.Format.size()));
  s += d.Format;
  uint32_t crc = Crc32(reinterpret_cast<const unsigned char*>(s.data()), s.size());
  for (int i = 0; i < 4; ++i) s.push_back(char((crc >> (8 * i)) & 0xFF));
  return s;
}

Result DecodeDescriptor(const std::string& bytes, Descriptor& d, Layout& layout) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() < sizeof kMagic || std::memcmp(p, kMagic, sizeof kMagic) != 0) return rcNotIsam;
  if (bytes.size() < kHeader + 4) return rcCorrupt;
  if (Get16(p + 8) != kVersion) return rcNotIsam;
  size_t n = Get16(p + 12);
  if (bytes.size() != kHeader + n + 4) return rcCorrupt;
  if (Crc32(p, kHeader + n) != Get32(p + kHeader + n)) return rcCorrupt;
  d.KeyLength = Get16(p + 10);
  d.Format.assign(bytes, kHeader, n);
  if (d.KeyLength < 1 || d.KeyLength > kMaxKeyLength) return rcCorrupt;
  if (!ParseFormat(d.Format, layout)) return rcCorrupt;
  return rcOK;
}

}  // namespace isam
