// Stands in for a help viewer or a web browser in the help tests: notes its command line in a new file
// note-<n>.txt beside itself (n from 1, the first free one), so a test sees how often it was started and
// with what. Built twice: helpnote has no version information, helpstub carries the version text of
// the WinHelp stub that later Windows ship in place of the viewer.
#include <windows.h>

#include <cstring>
#include <string>

int main() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  folder.erase(folder.find_last_of('\\') + 1);
  // Written under a name of its own first, so a test never reads a note half written.
  const std::string draft = folder + "note-" + std::to_string(GetCurrentProcessId()) + ".draft";
  HANDLE f = CreateFileA(draft.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  const char* line = GetCommandLineA();
  DWORD written = 0;
  WriteFile(f, line, DWORD(strlen(line)), &written, nullptr);
  CloseHandle(f);
  for (int n = 1; n < 1000; ++n)
    if (MoveFileA(draft.c_str(), (folder + "note-" + std::to_string(n) + ".txt").c_str())) return 0;
  return 1;
}
