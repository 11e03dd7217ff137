// Files, folders, paths and the command line.
#include <vector>

#include "SysUtils.h"

namespace {
bool IsDelimiter(char c) { return c == '\\' || c == ':'; }

// Index just after the last "\" or ":" (the start of the file name).
size_t NameStart(const std::string& name) {
  size_t i = name.size();
  while (i > 0 && !IsDelimiter(name[i - 1])) --i;
  return i;
}

DWORD Attributes(const std::string& name) { return GetFileAttributesA(name.c_str()); }
}  // namespace

bool FileExists(const std::string& name) {
  DWORD a = Attributes(name);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& name) {
  DWORD a = Attributes(name);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

int32_t FileAge(const std::string& name) {
  // No wildcard search: a name with "*" or "?" is no file, not the first match.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (name.find_first_of("*?") != std::string::npos ||
      !GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  FILETIME local;
  WORD date, time;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    return -1;
  return static_cast<int32_t>((uint32_t(date) << 16) | time);
}

TDateTime FileDateToDateTime(int32_t fileDate) {
  const uint32_t v = static_cast<uint32_t>(fileDate);
  const uint16_t date = uint16_t(v >> 16), time = uint16_t(v & 0xFFFF);
  TDateTime d = EncodeDate(uint16_t((date >> 9) + 1980), uint16_t((date >> 5) & 15), uint16_t(date & 31));
  return d + EncodeTime(uint16_t(time >> 11), uint16_t((time >> 5) & 63), uint16_t((time & 31) * 2), 0);
}

bool DeleteFile(const std::string& name) { return DeleteFileA(name.c_str()) != FALSE; }

bool RenameFile(const std::string& oldName, const std::string& newName) {
  return MoveFileA(oldName.c_str(), newName.c_str()) != FALSE;
}

bool CreateDir(const std::string& dir) { return CreateDirectoryA(dir.c_str(), nullptr) != FALSE; }
bool RemoveDir(const std::string& dir) { return RemoveDirectoryA(dir.c_str()) != FALSE; }

bool ForceDirectories(const std::string& dir) {
  std::string d = ExcludeTrailingBackslash(dir);
  if (d.empty()) return false;
  if (DirectoryExists(d)) return true;
  std::string parent = ExtractFileDir(d);
  // A drive ("C:") or a share root ends the climb; the parent of a name without a folder is none.
  if (parent.empty() || parent == d || (parent.size() == 2 && parent[1] == ':') ||
      (parent.size() > 2 && parent.substr(0, 2) == "\\\\" && parent.find('\\', 2) == std::string::npos)) {
    return CreateDir(d) || DirectoryExists(d);
  }
  if (!ForceDirectories(parent)) return false;
  return CreateDir(d) || DirectoryExists(d);  // another process may have made it meanwhile
}

std::string ExtractFilePath(const std::string& name) { return name.substr(0, NameStart(name)); }

std::string ExtractFileDir(const std::string& name) {
  size_t i = NameStart(name);
  // Keep the "\" of a root ("C:\", "\") and the ":" of a drive.
  if (i > 1 && name[i - 1] == '\\' && !IsDelimiter(name[i - 2])) --i;
  return name.substr(0, i);
}

std::string ExtractFileName(const std::string& name) { return name.substr(NameStart(name)); }

std::string ExtractFileExt(const std::string& name) {
  size_t start = NameStart(name);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < start) return std::string();
  return name.substr(dot);
}

std::string ChangeFileExt(const std::string& name, const std::string& ext) {
  size_t start = NameStart(name);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < start) return name + ext;
  return name.substr(0, dot) + ext;
}

std::string IncludeTrailingBackslash(const std::string& s) {
  return !s.empty() && s.back() == '\\' ? s : s + "\\";
}

std::string ExcludeTrailingBackslash(const std::string& s) {
  return !s.empty() && s.back() == '\\' ? s.substr(0, s.size() - 1) : s;
}

std::string ExpandFileName(const std::string& name) {
  if (name.empty()) return name;
  char buf[MAX_PATH * 2];
  char* part = nullptr;
  DWORD n = GetFullPathNameA(name.c_str(), sizeof buf, buf, &part);
  if (n == 0 || n >= sizeof buf) return name;
  return std::string(buf, n);
}

std::string GetCurrentDir() {
  char buf[MAX_PATH * 2];
  DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  return n == 0 || n >= sizeof buf ? std::string() : std::string(buf, n);
}

namespace {
// The command line's words: blanks separate, double quotes group and are dropped.
std::vector<std::string> CommandLineWords() {
  std::vector<std::string> words;
  const char* p = GetCommandLineA();
  while (p && *p) {
    while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
    if (!*p) break;
    std::string w;
    bool quoted = false;
    for (; *p && (quoted || static_cast<unsigned char>(*p) > ' '); ++p) {
      if (*p == '"') quoted = !quoted;
      else w += *p;
    }
    words.push_back(w);
  }
  return words;
}
}  // namespace

std::string ParamStr(int index) {
  if (index == 0) {
    char buf[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    return std::string(buf, n < sizeof buf ? n : 0);
  }
  std::vector<std::string> w = CommandLineWords();
  return index > 0 && size_t(index) < w.size() ? w[size_t(index)] : std::string();
}

int ParamCount() {
  std::vector<std::string> w = CommandLineWords();
  return w.empty() ? 0 : int(w.size()) - 1;
}
