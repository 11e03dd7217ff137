// Refreshes a shell tree whose root holds 1,000 to 10,000 subfolders and a shell list showing a folder of
// 1,000 to 10,000 files, with nothing changed on disk, and prints the median of five refreshes of each.
// The folders are made in the prefix's temporary folder and removed at the end.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "Forms.h"
#include "UPTShellControls.h"
#include "UPTShellList.h"
#include "UPTShellTree.h"
#include "UPTShellUtils.h"

namespace {
void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

// A folder with Count subfolders (Folders) or files, named so that no two sort alike by accident.
std::string MakeFolder(const std::string& Root, int Count, bool Folders) {
  std::string dir = Root + (Folders ? "\\dirs" : "\\files") + std::to_string(Count);
  CreateDirectoryA(dir.c_str(), nullptr);
  for (int i = 0; i < Count; ++i) {
    std::string path = dir + "\\item" + std::to_string((i * 7919) % Count);
    if (Folders) {
      CreateDirectoryA(path.c_str(), nullptr);
    } else {
      HANDLE h = CreateFileA((path + ".txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      CloseHandle(h);
    }
  }
  return dir;
}

void RemoveFolder(const std::string& Dir) {
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((Dir + "\\*").c_str(), &f);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = f.cFileName;
      if (name == "." || name == "..") continue;
      if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryA((Dir + "\\" + name).c_str());
      else DeleteFileA((Dir + "\\" + name).c_str());
    } while (FindNextFileA(h, &f));
    FindClose(h);
  }
  RemoveDirectoryA(Dir.c_str());
}

template <class F>
double Median(F Refresh) {
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) {
    LARGE_INTEGER t0 = Clock();
    Refresh();
    times.push_back(Ms(t0, Clock()));
  }
  std::sort(times.begin(), times.end());
  return times[2];
}

LPITEMIDLIST Pidl(const std::string& Path) {
  LPITEMIDLIST p = nullptr;
  PathToPidl(Path, p);
  return p;
}
}  // namespace

int main() {
  OleInitialize(nullptr);
  InitForms();
  UPTShellControlsInitialize();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string root = std::string(temp) + "shell_refresh_bench";
  CreateDirectoryA(root.c_str(), nullptr);

  auto* form = new TForm(nullptr);
  form->SetBounds(20, 20, 700, 500);
  form->Show();
  for (int count : {1000, 2000, 5000, 10000}) {
    std::string dirs = MakeFolder(root, count, true);
    std::string files = MakeFolder(root, count, false);

    auto* tree = new TPTShellTree(form);
    tree->SetOptions(PTShellTreeDefaultOptions - TPTShellTreeOptions{ptstoDynamicRefresh});
    tree->SetParent(form);
    tree->SetBounds(0, 0, 340, 480);
    LPITEMIDLIST p = Pidl(dirs);
    tree->BaseFolder()->SetPidl(p);
    ShellFree(p);
    Pump();
    int shown = tree->Items()->GetFirstNode() ? tree->Items()->GetFirstNode()->Count() : 0;
    double treeMs = Median([&] { tree->RefreshTree(); });

    auto* list = new TPTShellList(form);
    list->SetViewStyle(vsReport);
    list->SetParent(form);
    list->SetBounds(350, 0, 340, 480);
    p = Pidl(files);
    list->Folder()->SetPidl(p);
    ShellFree(p);
    Pump();
    int listed = list->Items()->Count();
    double listMs = Median([&] { list->Refresh(); });

    std::printf("%6d subfolders (%d shown): tree refresh %8.1f ms   %6d files (%d shown): list refresh %8.1f ms\n",
                count, shown, treeMs, count, listed, listMs);
    std::fflush(stdout);
    TObject::Free(tree);
    TObject::Free(list);
    RemoveFolder(dirs);
    RemoveFolder(files);
  }
  RemoveDirectoryA(root.c_str());
  TObject::Free(form);
  UPTShellControlsFinalize();
  DoneForms();
  return 0;
}
