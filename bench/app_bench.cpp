// The running board with 1,000 users, measured from outside as a person would see it: the time from
// starting yOZ.exe to its board showing every user, the time from another machine's status change to
// the board showing it (board timer set to 1 s), and the working set of the running board. The same run
// starts an empty window program of ours (empty_window.exe) the same way, and gives start-up and
// working set as ratios to it, so the figures mean the same on a slow or busy machine.
//
// Run it beside yOZ.exe in a Wine prefix where no board is running (it borrows the per-user settings
// of the prefix and puts them back afterwards), e.g.
//   WINEPREFIX=... wine build/bin/app_bench.exe
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "IsamFile.h"
#include "Registry.h"
#include "SysUtils.h"
#include "yOZUser.h"

namespace {

constexpr int Users = 1000;
constexpr const char* Caption = "yOZ - All Departments";

double Now_ms() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return 1000.0 * double(t.QuadPart) / double(f.QuadPart);
}

std::string MakeDatabase() {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  // A new folder every run (process ids come round again under Wine).
  std::string dir;
  for (unsigned n = GetTickCount();; ++n) {
    dir = std::string(tmp) + "yoz-app-bench-" + std::to_string(n) + "\\";
    if (CreateDirectoryA(dir.c_str(), nullptr)) break;
  }
  TIsamFile f("");
  if (!f.CreateFile(dir + UserFileName, 10, UserFileFormat) || !f.Open(dir + UserFileName)) {
    std::printf("cannot open the user file: %s\n", f.ErrorText().c_str());
    std::exit(1);
  }
  static const char* const statuses[] = {"Available", "At lunch", "In meeting", "Gone home", "Off sick", "Training"};
  static const char* const departments[] = {"Sales", "Accounts", "Support", "Development"};
  for (int i = 0; i < Users - 1; ++i) {
    TUserRec rec;
    char name[32];
    std::snprintf(name, sizeof name, "User %04d", i);
    rec.SetName(name);
    rec.SetLogInName("USER" + std::to_string(i));
    rec.SetStatus(statuses[i % 6]);
    rec.SetDepartment(departments[i % 4]);
    rec.SetExtension(std::to_string(1000 + i));
    rec.SetUpdated(DateTimeToStr(Now()));
    if (!f.Add(rec.Data, "")) {
      std::printf("cannot add a user: %s\n", f.ErrorText().c_str());
      std::exit(1);
    }
  }
  f.Close();
  return dir;
}

void SetStatus(const std::string& Dir, const std::string& Login, const std::string& Status) {
  TIsamFile f("");
  TUserRec rec;
  if (!f.Open(Dir + UserFileName) || !f.GetEqual(rec.Data, TUserRec::ixLogInName, Login)) {
    std::printf("cannot change %s\n", Login.c_str());
    std::exit(1);
  }
  rec.SetStatus(Status);
  if (!f.Replace(rec.Data, f.LastKey)) {
    std::printf("cannot change %s\n", Login.c_str());
    std::exit(1);
  }
  f.Close();
}

HWND FindListAnyPane(HWND Board) {
  HWND found = nullptr;
  EnumChildWindows(
      Board,
      [](HWND w, LPARAM p) -> BOOL {
        char cls[64];
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) == "TListView") {
          *reinterpret_cast<HWND*>(p) = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The text of a cell of the board, read through memory in the board's process.
std::string Cell(HANDLE Process, void* Remote, HWND List, int Row, int Column) {
  LVITEMA it{};
  it.mask = LVIF_TEXT;
  it.iItem = Row;
  it.iSubItem = Column;
  it.pszText = static_cast<char*>(Remote) + 1024;
  it.cchTextMax = 1024;
  WriteProcessMemory(Process, Remote, &it, sizeof it, nullptr);
  SendMessageA(List, LVM_GETITEMTEXTA, WPARAM(Row), LPARAM(Remote));
  char buf[1025] = {};
  ReadProcessMemory(Process, static_cast<char*>(Remote) + 1024, buf, 1024, nullptr);
  return buf;
}

// Settings the bench needs, and the values they had.
struct TBorrowedSettings {
  TRegistry Reg;
  std::vector<std::pair<std::string, std::string>> Strings;
  std::vector<std::pair<std::string, int>> Ints;
  std::vector<std::string> Missing;
  void String(const std::string& Name, const std::string& Value) {
    // A folder of an earlier bench that was stopped before it put the settings back is no setting to keep.
    if (Reg.ValueExists(Name) && Reg.ReadString(Name).find("yoz-app-bench-") == std::string::npos)
      Strings.push_back({Name, Reg.ReadString(Name)});
    else
      Missing.push_back(Name);
    Reg.WriteString(Name, Value);
  }
  void Int(const std::string& Name, int Value) {
    if (Reg.ValueExists(Name)) Ints.push_back({Name, Reg.ReadInteger(Name)});
    else Missing.push_back(Name);
    Reg.WriteInteger(Name, Value);
  }
  void Restore() {
    for (auto& s : Strings) Reg.WriteString(s.first, s.second);
    for (auto& i : Ints) Reg.WriteInteger(i.first, i.second);
    for (auto& m : Missing) Reg.DeleteValue(m);
  }
};

}  // namespace

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

struct TStart {
  double StartUp = -1;  // ms from CreateProcess until its window is visible (and, for the board, full)
  double WorkingSet = 0;  // MB once it settled
};

// Starts Exe, polls every 10 ms until the window with Caption is visible and Ready says so, then takes
// the working set after Settle ms and ends the program.
template <class F>
TStart StartAndMeasure(const std::string& Exe, const char* WindowCaption, F Ready, int Settle) {
  TStart r;
  STARTUPINFOA si{sizeof si};
  PROCESS_INFORMATION pi{};
  const double t0 = Now_ms();
  if (!CreateProcessA(Exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return r;
  while (Now_ms() - t0 < 60000) {
    HWND wnd = FindWindowA(nullptr, WindowCaption);
    if (wnd && IsWindowVisible(wnd) && Ready(wnd)) {
      r.StartUp = Now_ms() - t0;
      break;
    }
    Sleep(10);
  }
  Sleep(DWORD(Settle));
  PROCESS_MEMORY_COUNTERS pmc{sizeof pmc};
  if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) r.WorkingSet = pmc.WorkingSetSize / 1048576.0;
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return r;
}

// The windows the board's thread has made: top-level ones (with their captions) and all with children.
void CountWindows(DWORD ThreadId) {
  struct TCount {
    int TopLevel = 0, Visible = 0, All = 0;
    std::string Captions;
  } count;
  EnumThreadWindows(
      ThreadId,
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<TCount*>(p);
        ++c->TopLevel;
        ++c->All;
        if (IsWindowVisible(w)) ++c->Visible;
        char text[64] = "", cls[64] = "";
        GetWindowTextA(w, text, sizeof text);
        GetClassNameA(w, cls, sizeof cls);
        c->Captions += std::string(" ") + cls + "(\"" + text + "\")";
        EnumChildWindows(
            w, [](HWND, LPARAM q) -> BOOL { return ++*reinterpret_cast<int*>(q), TRUE; }, LPARAM(&c->All));
        return TRUE;
      },
      LPARAM(&count));
  std::printf("windows of the board's thread: %d top-level (%d visible), %d with their children;%s\n", count.TopLevel,
              count.Visible, count.All, count.Captions.c_str());
}

// app_bench [OTHER.exe]: OTHER, another build of the board (e.g. the one before a change), is started
// in the same turns and compared too.
int main(int argc, char** argv) {
  const std::string dir = MakeDatabase();
  TBorrowedSettings settings;
  settings.Reg.SetRootKey(HKEY_CURRENT_USER);
  if (!settings.Reg.OpenKey("\\Software\\QDSoftware\\yOZ", true)) {
    std::printf("cannot open the settings key\n");
    return 1;
  }
  settings.String("yOZDBasePath", dir);
  settings.Int("FirstTimeRun", 0);
  settings.Int("UpdateDisplayTime", 1);
  settings.Int("CheckForNewMsgEvery", 10);
  settings.Int("DetectScreenSaver", 0);
  settings.Int("ShowOfflineUsers", 1);
  settings.Int("SortListView", 1);
  settings.Int("ChangeStatusOnSD", 0);

  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string board = ExtractFilePath(exe) + "yOZ.exe";
  SetEnvironmentVariableA("YOZ_DIALOG_ANSWERS", "OK");

  // Seven starts of each, taken in turns; the medians and their ratios.
  {
    const std::string empty = ExtractFilePath(exe) + "empty_window.exe";
    std::vector<double> emptyStart, emptySet, boardStart, boardSet, otherStart, otherSet;
    const std::string other = argc > 1 ? argv[1] : "";
    auto full = [](HWND w) {
      HWND l = FindListAnyPane(w);
      return l && SendMessageA(l, LVM_GETITEMCOUNT, 0, 0) >= Users;
    };
    for (int n = 0; n < 7; ++n) {
      TStart e = StartAndMeasure(empty, "yOZ bench - empty window", [](HWND) { return true; }, 1500);
      TStart b = StartAndMeasure(board, Caption, full, 1500);
      TStart o = other.empty() ? b : StartAndMeasure(other, Caption, full, 1500);
      if (e.StartUp < 0 || b.StartUp < 0 || o.StartUp < 0) {
        std::printf("a program did not show its window within a minute\n");
        settings.Restore();
        return 1;
      }
      emptyStart.push_back(e.StartUp);
      emptySet.push_back(e.WorkingSet);
      boardStart.push_back(b.StartUp);
      boardSet.push_back(b.WorkingSet);
      otherStart.push_back(o.StartUp);
      otherSet.push_back(o.WorkingSet);
    }
    const double es = Median(emptyStart), bs = Median(boardStart), ew = Median(emptySet), bw = Median(boardSet);
    std::printf("start-up, median of 7: empty window %.0f ms, board with %d users %.0f ms: %.2fx\n", es, Users, bs, bs / es);
    std::printf("working set, median of 7: empty window %.1f MB, board with %d users %.1f MB: %.2fx\n", ew, Users, bw,
                bw / ew);
    if (!other.empty()) {
      const double os = Median(otherStart), ow = Median(otherSet);
      std::printf("%s, median of 7: start-up %.0f ms: %.2fx; working set %.1f MB: %.2fx\n", other.c_str(), os, os / es,
                  ow, ow / ew);
    }
  }

  STARTUPINFOA si{sizeof si};
  PROCESS_INFORMATION pi{};
  const double t0 = Now_ms();
  if (!CreateProcessA(board.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("cannot start %s\n", board.c_str());
    settings.Restore();
    return 1;
  }
  HWND wnd = nullptr, list = nullptr;
  double shown = -1;
  while (Now_ms() - t0 < 60000) {
    wnd = FindWindowA(nullptr, Caption);
    if (wnd && IsWindowVisible(wnd) && (list = FindListAnyPane(wnd)) &&
        SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) >= Users) {
      shown = Now_ms() - t0;
      break;
    }
    Sleep(5);
  }
  if (shown < 0) {
    std::printf("the board did not show %d users within a minute\n", Users);
    TerminateProcess(pi.hProcess, 1);
    settings.Restore();
    return 1;
  }
  std::printf("start-up to the board showing %d users: %.0f ms\n", Users, shown);
  CountWindows(pi.dwThreadId);

  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pi.dwProcessId);
  void* remote = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  // The row of USER500 ("User 0500", sorted by name).
  // The board refills once more after its own registration: let it settle first.
  int row = -1;
  for (int attempt = 0; attempt < 5 && row < 0; ++attempt) {
    Sleep(1500);
    for (int i = 0; i < Users && row < 0; ++i)
      if (Cell(process, remote, list, i, 5) == "USER500") row = i;
  }
  if (row < 0) std::printf("the row of USER500 was not found\n");
  std::vector<double> seen;
  for (int n = 0; n < 5 && row >= 0; ++n) {
    Sleep(300);
    std::string status = "Bench " + std::to_string(n);
    const double c0 = Now_ms();
    SetStatus(dir, "USER500", status);
    const double written = Now_ms() - c0;
    while (Now_ms() - c0 < 10000 && Cell(process, remote, list, row, 1) != status) Sleep(2);
    seen.push_back(Now_ms() - c0 - written);
  }
  std::sort(seen.begin(), seen.end());
  if (!seen.empty())
    std::printf("another machine's change shown on the board (board timer 1000 ms): median %.0f ms, worst %.0f ms\n",
                seen[seen.size() / 2], seen.back());

  Sleep(500);
  PROCESS_MEMORY_COUNTERS pmc{sizeof pmc};
  if (GetProcessMemoryInfo(process, &pmc, sizeof pmc))
    std::printf("working set of the running board with %d users: %.1f MB (peak %.1f MB)\n", Users,
                pmc.WorkingSetSize / 1048576.0, pmc.PeakWorkingSetSize / 1048576.0);

  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(process);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  settings.Restore();
  // The database folder goes again.
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do DeleteFileA((dir + fd.cFileName).c_str());
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
  return 0;
}
