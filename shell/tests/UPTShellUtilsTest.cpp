// Item-identifier lists on the real shell, on a folder tree of the test's own: round trips between
// paths and PIDLs, joining and splitting, the shell's order, special folders, names and icons, the
// PIDL list's ownership, shortcuts and the positional formatter.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "UPTShellUtils.h"

namespace {

class ShellUtilsEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitForms();
    UPTShellUtilsInitialize();
  }
  void TearDown() override {
    UPTShellUtilsFinalize();
    DoneForms();
  }
};
const auto* const Env = ::testing::AddGlobalTestEnvironment(new ShellUtilsEnvironment);

const USHORT EmptyPidlBytes = 0;
PCIDLIST_ABSOLUTE EmptyPidl() { return reinterpret_cast<PCIDLIST_ABSOLUTE>(&EmptyPidlBytes); }

// A one-item PIDL with the given payload bytes (for byte-order tests that need no shell).
std::vector<BYTE> FakeItem(std::initializer_list<BYTE> Payload) {
  std::vector<BYTE> v;
  USHORT cb = USHORT(Payload.size() + 2);
  v.push_back(BYTE(cb));
  v.push_back(BYTE(cb >> 8));
  v.insert(v.end(), Payload);
  v.push_back(0);
  v.push_back(0);
  return v;
}
PCIDLIST_ABSOLUTE P(const std::vector<BYTE>& v) { return reinterpret_cast<PCIDLIST_ABSOLUTE>(v.data()); }

TEST(PidlTest, PathRoundTripsJoinAndSplit) {
  TTestTree tree("pidl");
  std::string deep = tree.Folder("one\\two\\three");
  std::string file = tree.File("one\\two\\note.txt");
  for (const std::string& path : {tree.Root(), deep, file}) {
    PidlPtr p = ToPidl(path);
    ASSERT_TRUE(p);
    EXPECT_EQ(PidlToPath(p.get()), path);
  }

  // Joining the parent with the last item gives the same place as parsing the whole path.
  PidlPtr parent = ToPidl(tree.Path("one\\two"));
  PidlPtr whole = ToPidl(deep);
  TPTIdListArray parts(whole.get());
  int n = parts.Count();
  ASSERT_GE(n, 2);
  PidlPtr last(PidlCopy(nullptr, parts.Item(n - 1)));
  EXPECT_EQ(PidlItemCount(last.get()), 1);
  PidlPtr joined(PidlConcat(nullptr, parent.get(), last.get()));
  EXPECT_EQ(PidlCompare(joined.get(), whole.get()), 0);
  EXPECT_EQ(PidlToPath(joined.get()), deep);
  EXPECT_EQ(PidlGetSize(joined.get()), PidlGetSize(parent.get()) + PidlGetSize(last.get()) - 2);

  // The leading part is the parent, and the parent folder knows the last item as its child.
  EXPECT_EQ(PidlToPath(parts.LeadingPart(1)), tree.Path("one\\two"));
  EXPECT_EQ(PidlItemCount(parts.LeadingPart(0)), n);
  EXPECT_EQ(PidlItemCount(parts.LeadingPart(n)), 0);
  EXPECT_EQ(parts.LeadingPart(n + 1), nullptr);
  EXPECT_EQ(parts.LeadingPart(-1), nullptr);
  IShellFolder* folder = nullptr;
  ASSERT_HRESULT_SUCCEEDED(GetShellFolder(parent.get(), folder));
  LPITEMIDLIST child = nullptr;
  ULONG eaten = 0;
  ASSERT_HRESULT_SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(L"three"), &eaten, &child, nullptr));
  EXPECT_EQ(HRESULT_CODE(folder->CompareIDs(0, child, last.get())), 0);
  std::string name;
  EXPECT_HRESULT_SUCCEEDED(GetDisplayName(folder, child, ptdnInFolder, name));
  EXPECT_EQ(name, "three");
  ShellFree(child);
  folder->Release();

  // The desktop answers for nil and empty PIDLs.
  IShellFolder* desktop = nullptr;
  ASSERT_HRESULT_SUCCEEDED(GetShellFolder(nullptr, desktop));
  IShellFolder* real = nullptr;
  SHGetDesktopFolder(&real);
  EXPECT_EQ(desktop, real);
  desktop->Release();
  real->Release();
  EXPECT_EQ(GetDisplayName(nullptr, whole.get(), ptdnForParsing, name), S_OK);
  EXPECT_EQ(name, deep);
}

TEST(PidlTest, SizesCompareAndConcatEdges) {
  EXPECT_EQ(PidlGetSize(nullptr), 0u);
  EXPECT_EQ(PidlGetSize(EmptyPidl()), 2u);
  PidlPtr both(PidlConcat(nullptr, EmptyPidl(), EmptyPidl()));
  EXPECT_EQ(PidlGetSize(both.get()), 2u);
  PidlPtr none(PidlConcat(nullptr, nullptr, nullptr));
  EXPECT_EQ(PidlGetSize(none.get()), 2u);
  EXPECT_EQ(PidlCompare(nullptr, nullptr), 0);
  EXPECT_EQ(PidlCompare(nullptr, EmptyPidl()), -1);
  EXPECT_EQ(PidlCompare(EmptyPidl(), EmptyPidl()), 0);

  // The shell puts folders before files whatever their names; the bytes do not decide.
  TTestTree tree("order");
  PidlPtr folder = ToPidl(tree.Folder("zz"));
  PidlPtr file = ToPidl(tree.File("aa.txt"));
  EXPECT_LT(PidlCompare(folder.get(), file.get()), 0);
  EXPECT_GT(PidlCompare(file.get(), folder.get()), 0);

  auto a = FakeItem({1, 2}), b = FakeItem({1, 3}), c = FakeItem({1, 2, 0});
  EXPECT_LT(PidlBinaryCompare(P(a), P(b)), 0);
  EXPECT_GT(PidlBinaryCompare(P(b), P(a)), 0);
  EXPECT_EQ(PidlBinaryCompare(P(a), P(a)), 0);
  EXPECT_NE(PidlBinaryCompare(P(a), P(c)), 0);   // a prefix orders by size
}

TEST(PidlTest, LongPathIsRefusedNotCut) {
  // A folder whose path is exactly as long as a path may be: a longer path below it would, cut at
  // the limit, name this folder instead.
  TTestTree tree("long");
  std::string base = tree.Root() + "\\";
  std::string full = base + std::string(PTMaxPath - base.size(), 'f');
  ASSERT_EQ(full.size(), PTMaxPath);
  std::wstring wfull = L"\\\\?\\" + std::wstring(full.begin(), full.end());
  ASSERT_TRUE(CreateDirectoryW(wfull.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  LPITEMIDLIST p = reinterpret_cast<LPITEMIDLIST>(1);
  EXPECT_EQ(PathToPidl(full + "\\sub", p), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(p, nullptr);
  TPTShortcutInfo info;
  EXPECT_EQ(ReadShortcut(full + "\\x.lnk", info), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
  RemoveDirectoryW(wfull.c_str());
}

TEST(PidlTest, SpecialFoldersIconsAndImageLists) {
  std::string personal = GetSpecialFolderPath(nullptr, CSIDL_PERSONAL);
  EXPECT_FALSE(personal.empty());
  EXPECT_TRUE(TTestTree::Exists(personal));
  LPITEMIDLIST drives = nullptr;
  ASSERT_HRESULT_SUCCEEDED(GetSpecialFolderPidl(nullptr, CSIDL_DRIVES, drives));
  PidlPtr hold(drives);
  EXPECT_EQ(PidlToPath(drives), "");                 // My Computer has no path
  EXPECT_EQ(GetSpecialFolderPath(nullptr, CSIDL_DRIVES), "");
  std::string name;
  EXPECT_HRESULT_SUCCEEDED(GetDisplayName(nullptr, drives, ptdnNormal, name));
  EXPECT_FALSE(name.empty());

  TTestTree tree("icons");
  PidlPtr folder = ToPidl(tree.Folder("f"));
  PidlPtr file = ToPidl(tree.File("t.txt"));
  int fi = GetIconIndex(folder.get(), SHGFI_SMALLICON);
  EXPECT_GE(fi, 0);
  EXPECT_GE(GetIconIndex(file.get(), SHGFI_SMALLICON), 0);
  HIMAGELIST small = GetSysImageList(false), large = GetSysImageList(true);
  ASSERT_TRUE(small);
  ASSERT_TRUE(large);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(small, &cx, &cy);
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
  ImageList_GetIconSize(large, &cx, &cy);
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXICON));
  EXPECT_LT(fi, ImageList_GetImageCount(small));
  // Whether or not the overlays were wanted here, putting them in leaves the shell's shared icons alive.
  InstallOverlayIcons();
  EXPECT_TRUE(OverlayIconsInstalled());
  HMODULE shell32 = GetModuleHandleA("shell32.dll");
  for (int id : {29, 30}) {
    HICON shared = HICON(LoadImageA(shell32, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED));
    if (!shared) continue;
    ICONINFO ii{};
    EXPECT_TRUE(GetIconInfo(shared, &ii)) << id;
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
  }
}

TEST(PidlTest, IdListArrayBounds) {
  TTestTree tree("array");
  PidlPtr p = ToPidl(tree.Folder("a\\b"));
  TPTIdListArray arr(p.get());
  int n = arr.Count();
  EXPECT_EQ(PidlItemCount(arr.Item(0)), 1);
  try {
    arr.Item(n);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "TPTIdListArray - index " + std::to_string(n) + " out of range");
  }
  EXPECT_THROW(arr.Item(-1), Exception);
  TPTIdListArray nil(nullptr);
  EXPECT_EQ(nil.Count(), 0);
  EXPECT_THROW(nil.Item(0), Exception);
  EXPECT_EQ(nil.LeadingPart(1), nullptr);
  TPTIdListArray empty(EmptyPidl());
  EXPECT_EQ(PidlGetSize(empty.Item(0)), 2u);
  EXPECT_EQ(empty.Item(1), nullptr);
}

TEST(PidlListTest, SortedDuplicatesAndOwnership) {
  TCountingMalloc spy;
  auto make = [&](std::initializer_list<BYTE> b) {
    auto v = FakeItem(b);
    auto* p = static_cast<BYTE*>(spy.Alloc(v.size()));
    memcpy(p, v.data(), v.size());
    return reinterpret_cast<LPITEMIDLIST>(p);
  };
  {
    TPTPidlList list;
    list.SetAllocator(&spy);
    list.Add(make({3}));
    list.Add(make({1}));
    list.Add(make({2}));
    list.SetSorted(true);   // sorts at once
    auto two = FakeItem({2});
    EXPECT_EQ(list.IndexOf(P(two)), 1);
    EXPECT_EQ(PidlBinaryCompare(list.Pidls(0), P(FakeItem({1}))), 0);

    struct Case {
      TDuplicates Dup;
      bool Raises;
      int Count;
    };
    for (Case c : {Case{dupIgnore, false, 3}, Case{dupError, true, 3}, Case{dupAccept, false, 4}}) {
      list.SetDuplicates(c.Dup);
      if (c.Raises) {
        try {
          list.Add(make({2}));
          ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
          EXPECT_EQ(e.Message, "TPTPidlList: Duplicate PIDL");
        }
      } else {
        EXPECT_EQ(list.Add(make({2})), 1) << c.Dup;   // the existing equal entry's place
      }
      EXPECT_EQ(list.Count(), c.Count) << c.Dup;
    }
    list.Delete(0);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_THROW(list.Delete(7), EListError);
  }
  // Every PIDL the list was given, kept or not, went back to its allocator.
  EXPECT_EQ(spy.Allocs, 6);
  EXPECT_EQ(spy.Frees, spy.Allocs);
  EXPECT_EQ(spy.Refs(), 1u);

  // Without an allocator the list leaves the caller's PIDLs (here on the stack) alone.
  {
    TPTPidlList list;
    list.SetSorted(true);
    list.SetDuplicates(dupIgnore);
    auto a = FakeItem({5});
    list.Add(reinterpret_cast<LPITEMIDLIST>(a.data()));
    list.Add(reinterpret_cast<LPITEMIDLIST>(a.data()));
    EXPECT_EQ(list.Count(), 1);
  }
}

TEST(PidlListTest, FolderOrderFollowsTheShell) {
  TTestTree tree("listorder");
  tree.File("a.txt");
  tree.Folder("zfolder");
  PidlPtr root = ToPidl(tree.Root());
  IShellFolder* folder = nullptr;
  ASSERT_HRESULT_SUCCEEDED(GetShellFolder(root.get(), folder));
  TPTPidlList list;
  list.SetFolder(folder);
  list.SetAllocator(ShellMalloc());
  for (const wchar_t* n : {L"a.txt", L"zfolder"}) {
    LPITEMIDLIST child = nullptr;
    ULONG eaten = 0;
    ASSERT_HRESULT_SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(n), &eaten, &child, nullptr));
    list.Add(child);
  }
  list.SetSorted(true);
  std::string first;
  GetDisplayName(folder, list.Pidls(0), ptdnInFolder, first);
  EXPECT_EQ(first, "zfolder");
  folder->Release();
}

TEST(ShellTextTest, DelimiterAndPositionalFormat) {
  struct Case {
    const char* S;
    char C;
    const char* Want;
  };
  for (Case c : {Case{"", '\\', ""}, Case{"C:", '\\', "C:\\"}, Case{"C:\\", '\\', "C:\\"}, Case{"a/", '\\', "a/\\"}})
    EXPECT_EQ(AddDelimiter(c.S, c.C), c.Want) << c.S;

  EXPECT_EQ(FormatStrPos("", {"a"}), "");
  EXPECT_EQ(FormatStrPos("Unable to create the folder '%2'\n\n%1", {"Access denied.", "C:\\x"}),
            "Unable to create the folder 'C:\\x'\r\n\r\nAccess denied.");   // FormatMessage's own line breaks
  EXPECT_EQ(FormatStrPos("[%1][%3]", {"a"}), "[a][]");   // no argument past the array is read
  std::vector<std::string> fifty(50, "s");
  fifty[49] = "last";
  EXPECT_EQ(FormatStrPos("%50", fifty), "last");
  fifty.push_back("more");
  try {
    FormatStrPos("%1", fifty);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "FormatStrPos: Too many substitution strings");
  }
}

TEST(ShellTextTest, ShortcutReadBack) {
  TTestTree tree("lnk");
  std::string target = tree.File("target.txt");
  std::string lnk = tree.Path("t.lnk");
  IShellLinkA* link = nullptr;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                            reinterpret_cast<void**>(&link)));
  link->SetPath(target.c_str());
  link->SetArguments("/x 1");
  link->SetDescription("a test link");
  link->SetWorkingDirectory(tree.Root().c_str());
  link->SetHotkey(MAKEWORD('K', HOTKEYF_CONTROL));
  IPersistFile* pf = nullptr;
  ASSERT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf)));
  std::wstring w(lnk.begin(), lnk.end());
  ASSERT_HRESULT_SUCCEEDED(pf->Save(w.c_str(), TRUE));
  pf->Release();
  link->Release();

  TPTShortcutInfo info;
  ASSERT_EQ(ReadShortcut(lnk, info), S_OK);
  PidlPtr id(info.IDList);
  EXPECT_EQ(info.Path, target);
  EXPECT_EQ(info.Arguments, "/x 1");
  EXPECT_EQ(info.Description, "a test link");
  EXPECT_EQ(info.WorkingDirectory, tree.Root());
  EXPECT_EQ(info.HotKey, MAKEWORD('K', HOTKEYF_CONTROL));
  ASSERT_TRUE(info.IDList);
  EXPECT_EQ(PidlToPath(info.IDList), target);

  TPTShortcutInfo missing;
  EXPECT_TRUE(FAILED(ReadShortcut(tree.Path("none.lnk"), missing)));
  EXPECT_EQ(missing.IDList, nullptr);
}

}  // namespace
