// The shell tree on folder trees of the test's own: opening down to a folder, sorting and marks,
// renaming and new folders by the keys a user presses, delete with its confirmation answered, changes
// made outside the program (also while a rename is cancelled, and at a drive root as the browse dialog
// watches it), F5, a device change, and the refresh that keeps nodes whose item ids changed.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <cstring>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "UPTShellTree.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TShellEnvironment(true));

// Watches the test's own folder: Wine reports only direct children of a watched folder, so a drive
// root watch would never see the test's changes deep in the temporary folder.
class TWatchedTree : public TPTShellTree {
public:
  using TPTShellTree::TPTShellTree;
  std::string Folder;
  int Deleted = 0;

protected:
  void WatchPath(const std::string& Path) override {
    if (Path.empty() || Folder.empty()) {
      TPTShellTree::WatchPath(Path);
      return;
    }
    int slot = -1;
    ChangeThread()->AddWatch(Folder, FILE_NOTIFY_CHANGE_DIR_NAME, true, slot);
  }
};

void Key(HWND Wnd, UINT Vk, bool Shift = false) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_SHIFT] = Shift ? 0x80 : 0;
  SetKeyboardState(state);
  SendMessageA(Wnd, WM_KEYDOWN, Vk, 1);
  SendMessageA(Wnd, WM_KEYUP, Vk, 0xC0000001);
  state[VK_SHIFT] = 0;
  SetKeyboardState(state);
}

void Type(HWND Wnd, const std::string& Text) {
  for (char c : Text) SendMessageA(Wnd, WM_CHAR, WPARAM((unsigned char)c), 1);
}

std::vector<std::string> Texts(TTreeNode* Node) {
  std::vector<std::string> out;
  for (int i = 0; i < Node->Count(); ++i) out.push_back(Node->Item(i)->Text());
  return out;
}

TTreeNode* Child(TTreeNode* Node, const std::string& Text) {
  for (int i = 0; Node && i < Node->Count(); ++i)
    if (Node->Item(i)->Text() == Text) return Node->Item(i);
  return nullptr;
}

struct ShellTreeTest : ::testing::Test {
  TTestTree Disk{"shtree"};
  FormPtr F{new TForm(nullptr)};
  TWatchedTree* Tree = nullptr;

  void SetUp() override {
    Disk.Folder("b\\deep\\er");
    Disk.Folder("a\\one");
    Disk.Folder("c");
    Disk.File("file.txt");
    F->SetBounds(40, 40, 400, 420);
  }
  void Make(const std::string& Base, TPTShellTreeOptions Options) {
    Tree = new TWatchedTree(F.get());
    Tree->Folder = Disk.Root();
    Tree->SetOptions(Options);
    Tree->SetParent(F.get());
    Tree->SetBounds(8, 8, 370, 360);
    if (!Base.empty()) Tree->BaseFolder()->SetPidl(ToPidl(Base).get());
    F->Show();
    ASSERT_TRUE(PumpUntil([&] { return Tree->Items()->Count() > 0; }));
  }
  TTreeNode* Root() { return Tree->Items()->GetFirstNode(); }
  std::string SelectedPath() { return Tree->GetSelectedPath(); }
};

TEST_F(ShellTreeTest, FillsSortedLazilyAndOpensDownToADeepFolder) {
  SetFileAttributesA(Disk.Path("c").c_str(), FILE_ATTRIBUTE_HIDDEN);
  Make(Disk.Root(), PTShellTreeDefaultOptions - TPTShellTreeOptions{ptstoDynamicRefresh});
  TTreeNode* root = Root();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Tree->Items()->TopCount(), 1);
  EXPECT_TRUE(root->Expanded());
  // Folders only, in the folder's order, the hidden one ghosted; deeper folders wait to be opened.
  EXPECT_EQ(Texts(root), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(Child(root, "c")->Cut());
  EXPECT_FALSE(Child(root, "a")->Cut());
  EXPECT_EQ(Child(root, "b")->Count(), 0);
  EXPECT_TRUE(Child(root, "b")->HasChildren());
  EXPECT_EQ(Tree->Selected(), root);

  // Opening down to a deep folder fills each level on the way and selects it.
  Tree->SelectedFolder()->SetPidl(ToPidl(Disk.Path("b\\deep\\er")).get());
  ASSERT_NE(Tree->Selected(), nullptr);
  EXPECT_EQ(Tree->Selected()->Text(), "er");
  EXPECT_EQ(SelectedPath(), Disk.Path("b\\deep\\er"));
  EXPECT_TRUE(Child(root, "b")->Expanded());
  // A folder found empty loses its button once opened.
  Tree->Selected()->Expand(false);
  EXPECT_FALSE(Tree->Selected()->HasChildren());

  // Hidden folders go when the option goes; non-folders come with theirs.
  Tree->SetOptions(Tree->Options() - TPTShellTreeOptions{ptstoShowHidden});
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"a", "b"}));
  Tree->SetOptions(Tree->Options() + TPTShellTreeOptions{ptstoShowHidden, ptstoIncludeNonFolders});
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"a", "b", "c", "file.txt"}));

  // The selection survives a rebuild; GoUp walks to the ancestors.
  Tree->SelectedFolder()->SetPidl(ToPidl(Disk.Path("b\\deep\\er")).get());
  Tree->GoUp(2);
  EXPECT_EQ(SelectedPath(), Disk.Path("b"));
  Tree->GoUp(10);
  EXPECT_EQ(Tree->Selected(), Root());
}

TEST_F(ShellTreeTest, DesktopRootAndFoldersOutsideTheBase) {
  Make("", PTShellTreeDefaultOptions - TPTShellTreeOptions{ptstoDynamicRefresh});
  // The desktop as root, opened down through the drive to the test's folder.
  EXPECT_EQ(Tree->Items()->TopCount(), 1);
  EXPECT_GT(Root()->Count(), 0);
  Tree->SelectedFolder()->SetPidl(ToPidl(Disk.Path("a\\one")).get());
  EXPECT_EQ(SelectedPath(), Disk.Path("a\\one"));

  // With the base at "a", a folder under "b" is not hung under the root: the root is selected.
  Tree->SelectedFolder()->Clear();
  Tree->BaseFolder()->SetPidl(ToPidl(Disk.Path("a")).get());
  EXPECT_EQ(Root()->Text(), "a");
  Tree->SelectedFolder()->SetPidl(ToPidl(Disk.Path("b\\deep")).get());
  EXPECT_EQ(Tree->Selected(), Root());
  EXPECT_EQ(Texts(Root()), std::vector<std::string>{"one"});
}

TEST_F(ShellTreeTest, UnreadableFolderKeepsItsButtonWithoutABox) {
  Make(Disk.Root(), PTShellTreeDefaultOptions - TPTShellTreeOptions{ptstoDynamicRefresh});
  TTreeNode* b = Child(Root(), "b");
  ASSERT_NE(b, nullptr);
  RemoveDirectoryA(Disk.Path("b\\deep\\er").c_str());
  RemoveDirectoryA(Disk.Path("b\\deep").c_str());
  RemoveDirectoryA(Disk.Path("b").c_str());
  TMessageBoxAnswerer boxes(IDOK, true);
  b->Expand(false);
  // No box comes: nothing to wait for, so a while passes for one to show.
  Pump(300);
  EXPECT_EQ(boxes.Answered(), 0);
}

TEST_F(ShellTreeTest, F2RenamesAndNewFolderByKeys) {
  Make(Disk.Root(), PTShellTreeDefaultOptions - TPTShellTreeOptions{ptstoDynamicRefresh});
  Tree->SetFocus();
  Tree->SetSelected(Child(Root(), "a"));
  Key(Tree->Handle(), VK_F2);
  ASSERT_TRUE(Tree->IsEditing());
  HWND edit = HWND(SendMessageA(Tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  Type(edit, "alpha");
  Key(edit, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !Tree->IsEditing(); }));
  EXPECT_TRUE(TTestTree::Exists(Disk.Path("alpha\\one")));
  EXPECT_FALSE(TTestTree::Exists(Disk.Path("a")));
  EXPECT_EQ(Tree->Selected()->Text(), "alpha");
  EXPECT_EQ(SelectedPath(), Disk.Path("alpha"));
  // The renamed node's children follow the new name.
  TTreeNode* one = Child(Tree->Selected(), "one");
  if (!one) {
    Tree->Selected()->Expand(false);
    one = Child(Tree->Selected(), "one");
  }
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(TPTCustomShellTree::ShellData(one)->Path(), Disk.Path("alpha\\one"));

  // A new folder in the selected one goes straight into renaming.
  ASSERT_TRUE(Tree->CreateNewFolder(true));
  ASSERT_TRUE(Tree->IsEditing());
  EXPECT_TRUE(TTestTree::Exists(Disk.Path("alpha\\New Folder")));
  edit = HWND(SendMessageA(Tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
  Type(edit, "fresh");
  Key(edit, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !Tree->IsEditing(); }));
  EXPECT_TRUE(TTestTree::Exists(Disk.Path("alpha\\fresh")));
  EXPECT_FALSE(TTestTree::Exists(Disk.Path("alpha\\New Folder")));
  EXPECT_NE(Child(Child(Root(), "alpha"), "fresh"), nullptr);

  // F2 on a read-only tree opens no editor.
  Tree->SetReadOnly(true);
  Key(Tree->Handle(), VK_F2);
  EXPECT_FALSE(Tree->IsEditing());
}

TEST_F(ShellTreeTest, DeleteKeyWithTheConfirmationAnswered) {
  Make(Disk.Root(), PTShellTreeDefaultOptions - TPTShellTreeOptions{ptstoDynamicRefresh});
  Tree->SetFocus();
  Tree->SetSelected(Child(Root(), "c"));
  {
    TMessageBoxAnswerer yes(IDYES, true);
    Key(Tree->Handle(), VK_DELETE, true);   // Shift+Del counts as Del
    PumpUntil([&] { return yes.Answered() > 0; });
    EXPECT_EQ(yes.Answered(), 1);
  }
  EXPECT_FALSE(TTestTree::Exists(Disk.Path("c")));
  EXPECT_EQ(Child(Root(), "c"), nullptr);
  EXPECT_EQ(Tree->Selected(), Root());
}

TEST_F(ShellTreeTest, RefreshKeepsNodesWhoseItemIdsChanged) {
  Make(Disk.Root(), PTShellTreeDefaultOptions - TPTShellTreeOptions{ptstoDynamicRefresh});
  int deleted = 0;
  struct TCount {
    int* N;
    void Go(TObject*, TTreeNode*, TPTShTreeData*) { ++*N; }
  } count{&deleted};
  Tree->OnDeleteItem = TPTShTreeDeleteItemEvent(&count, &TCount::Go);
  Tree->SelectedFolder()->SetPidl(ToPidl(Disk.Path("b\\deep")).get());
  TTreeNode* b = Child(Root(), "b");
  // Content changes alter the folders' item-id bytes under Wine; they are still the same folders.
  Disk.File("b\\x.txt");
  Disk.File("b\\deep\\y.txt");
  Disk.Folder("a\\two");
  Tree->RefreshTree();
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(Child(Root(), "b"), b);
  EXPECT_EQ(SelectedPath(), Disk.Path("b\\deep"));
}

TEST_F(ShellTreeTest, OutsideChangesShowWithinTwoSeconds) {
  Make(Disk.Root(), PTShellTreeDefaultOptions);
  Tree->SetFocus();
  Tree->SelectedFolder()->SetPidl(ToPidl(Disk.Path("c")).get());
  ASSERT_EQ(SelectedPath(), Disk.Path("c"));
  Disk.Folder("d");
  EXPECT_TRUE(PumpUntil([&] { return Child(Root(), "d") != nullptr; }));
  // The selected folder removed outside: the selection moves to its parent.
  RemoveDirectoryA(Disk.Path("c").c_str());
  EXPECT_TRUE(PumpUntil([&] { return Child(Root(), "c") == nullptr; }));
  EXPECT_EQ(Tree->Selected(), Root());

  // A rename that fails notifies nothing, so it must not swallow the next real change.
  Tree->SetSelected(Child(Root(), "d"));
  Key(Tree->Handle(), VK_F2);
  ASSERT_TRUE(Tree->IsEditing());
  HWND edit = HWND(SendMessageA(Tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
  {
    TMessageBoxAnswerer ok(IDOK, true);
    Type(edit, "a");   // taken already
    Key(edit, VK_RETURN);
    PumpUntil([&] { return !Tree->IsEditing(); });
    PumpQueued();
  }
  EXPECT_TRUE(TTestTree::Exists(Disk.Path("d")));
  Disk.Folder("e");
  EXPECT_TRUE(PumpUntil([&] { return Child(Root(), "e") != nullptr; }));
}

TEST_F(ShellTreeTest, F5AndADeviceChangeShowWhatChangedWithoutWatching) {
  Make(Disk.Root(), PTShellTreeDefaultOptions - TPTShellTreeOptions{ptstoDynamicRefresh});
  SetForegroundWindow(F->Handle());
  Tree->SetFocus();
  PumpUntilFocused(Tree->Handle());
  Disk.Folder("d");
  // Not watched, the new folder stays unseen: nothing to wait for, so a while passes.
  Pump(300);
  EXPECT_EQ(Child(Root(), "d"), nullptr);
  PressKey(VK_F5);
  EXPECT_TRUE(PumpUntil([&] { return Child(Root(), "d") != nullptr; }));
  // A drive arriving: the system's broadcast reaches the tree, which looks again.
  Disk.Folder("e");
  DWORD_PTR r = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0, SMTO_ABORTIFHUNG, 2000, &r);
  EXPECT_TRUE(PumpUntil([&] { return Child(Root(), "e") != nullptr; }));
}

// The drive-root watch the browse dialog's tree uses: a folder made at the root of drive C shows.
TEST(ShellTreeRootWatchTest, AFolderMadeAtTheDriveRootShows) {
  FormPtr f{new TForm(nullptr)};
  f->SetBounds(40, 40, 300, 400);
  auto* tree = new TPTShellTree(f.get());
  tree->SetParent(f.get());
  tree->SetBounds(8, 8, 280, 380);
  tree->BaseFolder()->SetPidl(ToPidl("C:\\").get());
  f->Show();
  ASSERT_TRUE(PumpUntil([&] { return tree->Items()->Count() > 0; }));
  const std::string name = "yoz-rootwatch-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(("C:\\" + name).c_str(), nullptr));
  TScopeExit gone([&] { RemoveDirectoryA(("C:\\" + name).c_str()); });
  EXPECT_TRUE(PumpUntil([&] { return Child(tree->Items()->GetFirstNode(), name) != nullptr; }));
}

TEST_F(ShellTreeTest, AChangeDuringACancelledRenameShowsAfterIt) {
  Make(Disk.Root(), PTShellTreeDefaultOptions);
  SetForegroundWindow(F->Handle());
  Tree->SetFocus();
  Tree->SetSelected(Child(Root(), "a"));
  PressKey(VK_F2);
  ASSERT_TRUE(PumpUntil([&] { return Tree->IsEditing(); }));
  // Noticed while the label is edited (the tree is not focused then: 2 s), kept for later.
  Disk.Folder("d");
  // Noticed but kept while the label is edited: the 2 s of the refresh pass, and a little more.
  Pump(2600);
  EXPECT_EQ(Child(Root(), "d"), nullptr);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return !Tree->IsEditing(); }));
  EXPECT_TRUE(TTestTree::Exists(Disk.Path("a")));
  EXPECT_TRUE(PumpUntil([&] { return Child(Root(), "d") != nullptr; }));
}

}  // namespace

namespace {

// Ctrl+V typed on a folder whose menu offers no Paste (Wine's item menus never do) is refused with a
// beep, as the tree's other refused commands are; the folder stays as it was.
TEST_F(ShellTreeTest, CtrlVWithoutPasteBeeps) {
  Make(Disk.Root(), PTShellTreeDefaultOptions - TPTShellTreeOptions{ptstoDynamicRefresh});
  SetForegroundWindow(F->Handle());
  Tree->SetFocus();
  Tree->SetSelected(Child(Root(), "c"));
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == Tree->Handle(); }));
  TBeepCounter beeps;
  PressCtrlKey('V');
  ASSERT_TRUE(PumpUntil([&] { return beeps.Count() > 0; })) << "no beep";
  // No second beep: a while passes for one to come.
  Pump(100);
  EXPECT_EQ(beeps.Count(), 1);
  EXPECT_EQ(Tree->Selected()->Text(), "c");
}

}  // namespace
