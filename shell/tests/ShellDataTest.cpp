// Node data records on the test's own folders (PIDLs made once and freed, paths, sizes past 4 GiB),
// the folder-details adapter, and the shell locator in memory and in a form resource, damaged
// "Pidl" data included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "UPTShellControls.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TShellEnvironment);

const USHORT EmptyBytes = 0;
PCIDLIST_ABSOLUTE Empty() { return reinterpret_cast<PCIDLIST_ABSOLUTE>(&EmptyBytes); }

TEST(TreeDataTest, RootChildPathsFoldersAndOwnership) {
  TTestTree tree("treedata");
  tree.Folder("kid\\grandkid");
  PidlPtr rootPidl = ToPidl(tree.Root());
  TCountingMalloc spy;
  {
    TPTShTreeData desktop;
    EXPECT_THROW(desktop.Path(), Exception);
    desktop.Init(nullptr, &spy, Empty());
    EXPECT_EQ(PidlGetSize(desktop.AbsolutePidl()), 2u);
    EXPECT_NE(desktop.AbsolutePidl(), desktop.RelativePidl());   // a copy
    ASSERT_TRUE(desktop.Folder());
    EXPECT_EQ(desktop.ParentFolder(), nullptr);
    EXPECT_FALSE(desktop.CanRename());

    TPTShTreeData root, kid;
    root.Init(nullptr, &spy, rootPidl.get());
    EXPECT_EQ(root.Path(), tree.Root());
    IShellFolder* rootFolder = root.Folder();
    ASSERT_TRUE(rootFolder);
    EXPECT_EQ(root.Folder(), rootFolder);   // bound once
    LPITEMIDLIST rel = nullptr;
    ULONG eaten = 0;
    ASSERT_HRESULT_SUCCEEDED(rootFolder->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(L"kid"), &eaten, &rel, nullptr));
    kid.Init(&root, &spy, rel);
    ShellFree(rel);
    EXPECT_EQ(kid.Path(), tree.Path("kid"));
    PCIDLIST_ABSOLUTE abs = kid.AbsolutePidl();
    EXPECT_EQ(kid.AbsolutePidl(), abs);   // made once
    PidlPtr expected = ToPidl(tree.Path("kid"));
    EXPECT_EQ(PidlCompare(abs, expected.get()), 0);
    EXPECT_EQ(kid.ParentFolder(), rootFolder);
    ASSERT_TRUE(kid.Folder());
    std::string name;
    IEnumIDList* items = nullptr;
    ASSERT_EQ(kid.Folder()->EnumObjects(nullptr, SHCONTF_FOLDERS, &items), S_OK);
    LPITEMIDLIST first = nullptr;
    ASSERT_EQ(items->Next(1, &first, nullptr), S_OK);
    GetDisplayName(kid.Folder(), first, ptdnInFolder, name);
    EXPECT_EQ(name, "grandkid");
    ShellFree(first);
    items->Release();
    IContextMenu* cm = nullptr;
    EXPECT_HRESULT_SUCCEEDED(kid.GetUIObject(IID_IContextMenu, reinterpret_cast<void**>(&cm)));
    if (cm) cm->Release();
    kid.Reset();
    EXPECT_EQ(kid.Path(), tree.Path("kid"));   // made again after a reset
  }
  EXPECT_GT(spy.Allocs, 0);
  EXPECT_EQ(spy.Frees, spy.Allocs);
  EXPECT_EQ(spy.Refs(), 1u);
}

// The list side of the records: a folder and its PIDL.
class TTestList : public TPTShListOwner {
public:
  explicit TTestList(const std::string& Path) : FPidl(ToPidl(Path)) { GetShellFolder(FPidl.get(), FFolder); }
  ~TTestList() {
    if (FFolder) FFolder->Release();
    if (Details) Details->Release();
  }
  IMalloc* ListAllocator() override { return ShellMalloc(); }
  IShellFolder* ListFolder() override { return FFolder; }
  PCIDLIST_ABSOLUTE ListFolderPidl() override { return FPidl.get(); }
  IShellDetails* ListDetails() override { return Details; }
  LPITEMIDLIST Child(const wchar_t* Name) {
    LPITEMIDLIST rel = nullptr;
    ULONG eaten = 0;
    EXPECT_HRESULT_SUCCEEDED(FFolder->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(Name), &eaten, &rel, nullptr));
    return rel;
  }
  IShellDetails* Details = nullptr;

private:
  PidlPtr FPidl;
  IShellFolder* FFolder = nullptr;
};

TEST(ListDataTest, DetailsSizesAndRenaming) {
  struct Case {
    uint64_t Bytes;
    const char* Text;
  };
  for (Case c : {Case{0, "0KB"}, Case{1, "1KB"}, Case{1024, "1KB"}, Case{1025, "2KB"},
                 Case{uint64_t(4) << 30, "4,194,304KB"}, Case{(uint64_t(4) << 30) + 1, "4,194,305KB"}})
    EXPECT_EQ(FormatSizeKB(c.Bytes), c.Text) << c.Bytes;

  TTestTree tree("listdata");
  tree.File("one.txt", "x");
  tree.Folder("sub");
  // A sparse file of 4 GiB and one byte: its size must not wrap to 1 byte.
  std::string big = tree.Path("big.bin");
  HANDLE h = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER at;
  at.QuadPart = (LONGLONG(4) << 30) + 1;
  bool sized = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);

  TTestList list(tree.Root());
  TPTShListData one(&list, list.Child(L"one.txt"));
  EXPECT_EQ(one.Path(), tree.Path("one.txt"));
  EXPECT_EQ(one.DisplayName().substr(0, 3), "one");
  EXPECT_EQ(one.Details(1), "1KB");
  EXPECT_FALSE(one.Details(2).empty());
  EXPECT_FALSE(one.Details(3).empty());
  EXPECT_FALSE(one.IsFolder());
  EXPECT_FALSE(one.IsShortcut());
  TPTShListData sub(&list, list.Child(L"sub"));
  EXPECT_TRUE(sub.IsFolder());
  EXPECT_EQ(sub.Details(1), "");   // folders have no size
  if (sized) {
    TPTShListData bigItem(&list, list.Child(L"big.bin"));
    EXPECT_EQ(bigItem.Details(1), "4,194,305KB");
  }
  // A new relative PIDL forgets the name and the details.
  one.SetRelativePidl(list.Child(L"sub"));
  EXPECT_EQ(one.DisplayName(), sub.DisplayName());
  EXPECT_EQ(one.Path(), tree.Path("sub"));
  EXPECT_EQ(one.Details(1), "");

  // With the folder's own column texts.
  list.Details = GetShellDetails(list.ListFolder());
  ASSERT_TRUE(list.Details);
  TPTShListData again(&list, list.Child(L"one.txt"));
  EXPECT_EQ(again.Details(0).substr(0, 3), "one");

  struct Root {
    const char* Path;
    const char* Want;
  };
  for (Root r : {Root{"C:\\a\\b", "C:\\"}, Root{"c:", "c:\\"}, Root{"\\\\srv\\share\\x\\y", "\\\\srv\\share\\"},
                 Root{"\\\\srv", ""}, Root{"relative", ""}})
    EXPECT_EQ(PathRoot(r.Path), r.Want) << r.Path;
  // The drive type is asked of the root, which knows it.
  EXPECT_EQ(GetDriveTypeA(PathRoot(tree.Root()).c_str()), UINT(DRIVE_FIXED));
}

TEST(ShellDetailsTest, AdapterAnswersForShellFolder2) {
  TTestTree tree("details");
  PidlPtr root = ToPidl(tree.Root());
  IShellFolder* folder = nullptr;
  ASSERT_HRESULT_SUCCEEDED(GetShellFolder(root.get(), folder));
  IShellDetails* details = GetShellDetails(folder);
  ASSERT_TRUE(details);
  SHELLDETAILS sd{};
  ASSERT_HRESULT_SUCCEEDED(details->GetDetailsOf(nullptr, 0, &sd));
  std::string header = StrRetToString(nullptr, sd.str);
  FreeStrRet(sd.str);
  EXPECT_FALSE(header.empty());
  EXPECT_EQ(details->ColumnClick(0), E_NOTIMPL);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(details->QueryInterface(IID_IShellFolder, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(details->Release(), 0u);
  folder->Release();
}

// ---------------------------------------------------------------------------------------------------

class TLocatorHolder : public TComponent {
  YOZ_CLASS(TLocatorHolder, TComponent)
public:
  explicit TLocatorHolder(TComponent* AOwner) : TComponent(AOwner) {}
  TPTShellLocator* Root() { return &FRoot; }
  static void Publish(TPublisher<TLocatorHolder>& p) { p.Object("Root", &TLocatorHolder::Root); }

private:
  TPTShellLocator FRoot;
};

struct TChanges {
  int Count = 0;
  void Changed(TObject*) { ++Count; }
};

std::string HexOf(const void* P, size_t N) {
  std::string s;
  char b[3];
  for (size_t i = 0; i < N; ++i) {
    snprintf(b, sizeof b, "%02X", static_cast<const BYTE*>(P)[i]);
    s += b;
  }
  return s;
}

TLocatorHolder* ReadHolder(const std::string& Hex) {
  return static_cast<TLocatorHolder*>(
      ReadComponentFromText("object H: TLocatorHolder\n  Root.Pidl = {" + Hex + "}\nend\n", nullptr));
}

TEST(LocatorTest, ChangesSpecialFoldersAndAssign) {
  TTestTree tree("locator");
  PidlPtr a = ToPidl(tree.Folder("a"));
  PidlPtr a2 = ToPidl(tree.Path("a"));
  TPTShellLocator loc;
  TChanges changes;
  loc.OnChange = TNotifyEvent(&changes, &TChanges::Changed);
  loc.SetPidl(a.get());
  EXPECT_EQ(changes.Count, 1);
  EXPECT_NE(loc.Pidl(), a.get());   // a copy
  EXPECT_EQ(loc.Path(), tree.Path("a"));
  loc.SetPidl(a2.get());            // the same place
  EXPECT_EQ(changes.Count, 1);
  loc.SetPidl(Empty());
  EXPECT_EQ(loc.Pidl(), nullptr);
  EXPECT_EQ(changes.Count, 2);

  loc.SetSpecialFolder(CSIDL_PERSONAL);
  PCIDLIST_ABSOLUTE first = loc.Pidl();
  ASSERT_TRUE(first);
  EXPECT_EQ(loc.Pidl(), first);     // looked up once
  EXPECT_EQ(loc.Path(), GetSpecialFolderPath(nullptr, CSIDL_PERSONAL));

  TPTShellLocator other;
  other.SetSpecialFolder(CSIDL_DRIVES);
  int before = changes.Count;
  loc.Assign(&other);
  EXPECT_EQ(loc.SpecialFolder(), CSIDL_DRIVES);
  EXPECT_EQ(changes.Count, before + 1);
  loc.Assign(&other);               // equal: nothing
  EXPECT_EQ(changes.Count, before + 1);
  EXPECT_TRUE(TPTShellLocator::Equal(&loc, &other));

  // Clearing a special folder that was never looked up clears it.
  loc.Assign(nullptr);
  EXPECT_EQ(loc.Kind(), TPTShellLocator::lkPidl);
  EXPECT_EQ(loc.Pidl(), nullptr);
  EXPECT_EQ(changes.Count, before + 2);
  other.Clear();
  EXPECT_EQ(other.Kind(), TPTShellLocator::lkPidl);
  EXPECT_EQ(other.Pidl(), nullptr);
  EXPECT_THROW(loc.Assign(new TStringList), Exception);
}

TEST(LocatorTest, FormResourceRoundTripAndDamagedData) {
  RegisterClass(TLocatorHolder::StaticClass());
  TTestTree tree("locform");
  PidlPtr deep = ToPidl(tree.Folder("x\\y"));

  // Written to bytes and read back from a form resource.
  TPTShellLocator loc;
  loc.SetPidl(deep.get());
  TMemoryStream ms;
  loc.WriteData(&ms);
  UINT size = PidlGetSize(deep.get());
  ASSERT_EQ(ms.Size(), int64_t(1 + 4 + size));
  std::string bytes(size_t(ms.Size()), '\0');
  ms.SetPosition(0);
  ms.ReadBuffer(bytes.data(), int32_t(bytes.size()));
  EXPECT_EQ(bytes[0], 0);
  std::unique_ptr<TLocatorHolder> h(ReadHolder(HexOf(bytes.data(), bytes.size())));
  EXPECT_EQ(h->Root()->Path(), tree.Path("x\\y"));
  EXPECT_EQ(PidlCompare(h->Root()->Pidl(), deep.get()), 0);
  // Through the form text writer and back: the same place.
  TWriter w;
  w.Prefix = "Root";
  h->Root()->DefineProperties(&w);
  EXPECT_EQ(w.Text().rfind("Root.Pidl = {00", 0), 0u) << w.Text();
  std::unique_ptr<TLocatorHolder> again(
      static_cast<TLocatorHolder*>(ReadComponentFromText("object H: TLocatorHolder\n" + w.Text() + "end\n", nullptr)));
  EXPECT_EQ(again->Root()->Path(), tree.Path("x\\y"));
  // A locator without a place writes nothing.
  TWriter empty;
  TPTShellLocator none;
  none.DefineProperties(&empty);
  EXPECT_EQ(empty.Text(), "");

  // Kind 0 with size 0 is the desktop by special folder; any other kind is a CSIDL byte.
  h.reset(ReadHolder("0000000000"));
  EXPECT_EQ(h->Root()->Kind(), TPTShellLocator::lkSpecialFolder);
  EXPECT_EQ(h->Root()->SpecialFolder(), CSIDL_DESKTOP);
  h.reset(ReadHolder("0105"));
  EXPECT_EQ(h->Root()->SpecialFolder(), CSIDL_PERSONAL);
  TMemoryStream special;
  h->Root()->WriteData(&special);
  EXPECT_EQ(special.Size(), 2);

  // Damaged data is refused, not allocated or overrun.
  std::string good = HexOf(bytes.data(), bytes.size());
  std::string itemBytes = good.substr(10, good.size() - 14);   // items without the terminator
  for (const std::string& bad : {
           std::string("00FFFFFF7F") + itemBytes + "0000",   // size far beyond the data
           std::string("0001000000") + "00",                 // a size below a terminator
           std::string("00") + HexOf(&size, 4) + itemBytes + "0101",   // no terminator at the end
           std::string("0006000000") + "FF0000000000",        // an item running past the size
           std::string("00") + HexOf(&size, 4),               // the size promised, no data
       }) {
    EXPECT_THROW(ReadHolder(bad), EReadError) << bad;
  }
}

}  // namespace
