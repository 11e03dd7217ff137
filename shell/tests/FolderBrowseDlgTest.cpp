// The folder-browse dialog run as a user runs it: folders picked by type-ahead, arrows and Enter,
// Esc returning nothing (also with the Create and Delete buttons shown), OK on a virtual folder
// giving an empty path, a new folder made and one deleted through the buttons, the remembered folder and form
// state, and running twice at once refused.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "FPTFolderBrowseDlg.h"
#include "ShellTestSupport.h"
#include "SysUtils.h"

namespace {

class DlgEnvironment : public TShellEnvironment {
public:
  DlgEnvironment() : TShellEnvironment(true) {}
  void SetUp() override {
    TShellEnvironment::SetUp();
    FPTFolderBrowseDlgInitialize();
  }
};
const auto* const Env = ::testing::AddGlobalTestEnvironment(new DlgEnvironment);

// Runs a script when the dialog's form shows; posted keys then go through the modal loop like typing.
struct TScript {
  std::function<void(TPTFrmFolderBrowseDlg*)> OnShow;
  void Show(TObject* Sender) { OnShow(static_cast<TPTFrmFolderBrowseDlg*>(Sender)); }
};

// Keys held back until a timer fires, so the form is on screen meanwhile (for a screenshot).
HWND HeldTree = nullptr;
void CALLBACK PostHeldKeys(HWND, UINT, UINT_PTR Id, DWORD);

void PostKey(HWND Wnd, UINT Vk) {
  PostMessageA(Wnd, WM_KEYDOWN, Vk, 1);
  PostMessageA(Wnd, WM_KEYUP, Vk, 0xC0000001);
}
void PostChars(HWND Wnd, const std::string& Text) {
  for (char c : Text) PostMessageA(Wnd, WM_CHAR, WPARAM((unsigned char)c), 1);
}

void CALLBACK PostHeldKeys(HWND, UINT, UINT_PTR Id, DWORD) {
  if (Id) KillTimer(nullptr, Id);
  PostChars(HeldTree, "b");        // type-ahead to "beta"
  PostKey(HeldTree, VK_RIGHT);     // open it
  PostKey(HeldTree, VK_DOWN);      // "inner"
  PostKey(HeldTree, VK_RETURN);    // OK, the default button
}

struct FolderBrowseDlgTest : ::testing::Test {
  TTestTree Disk{"browse"};
  TPTFolderBrowseDlg* Dlg = new TPTFolderBrowseDlg(nullptr);
  TScript Script;
  void SetUp() override {
    Disk.Folder("alpha");
    Disk.Folder("beta\\inner");
    Disk.Folder("gamma");
    Dlg->BaseFolder()->SetPidl(ToPidl(Disk.Root()).get());
    Dlg->OnFormShow = TNotifyEvent(&Script, &TScript::Show);
  }
  void TearDown() override { TObject::Free(Dlg); }
  // Runs the dialog with a watchdog: a form still up after 30 s is cancelled.
  bool Run() {
    std::atomic<bool> done{false};
    std::thread dog([&] {
      for (int i = 0; i < 600 && !done; ++i) Sleep(50);
      if (!done)
        if (TPTFrmFolderBrowseDlg* f = Dlg->ActiveForm()) PostMessageA(f->Handle(), WM_CLOSE, 0, 0);
    });
    bool ok = false;
    try {
      ok = Dlg->Execute();
    } catch (...) {
      done = true;
      dog.join();
      throw;
    }
    done = true;
    dog.join();
    return ok;
  }
};

TEST_F(FolderBrowseDlgTest, KeysPickAFolderAndTheNextRunOpensThere) {
  std::string caption;
  bool okEnabled = false;
  Script.OnShow = [&](TPTFrmFolderBrowseDlg* f) {
    caption = f->Caption();
    EXPECT_TRUE(f->PTShellTree1->ShowRoot());
    EXPECT_TRUE(f->CreateNewFolderBtn->Visible());
    EXPECT_TRUE(f->DeleteFolderBtn->Visible());
    EXPECT_FALSE(f->CreateBtn->Visible());
    // OK and Cancel at the bottom right, the speed buttons at the top right.
    EXPECT_GT(f->OkBtn->Left(), f->ClientWidth() / 2);
    EXPECT_LT(f->OkBtn->Left() + f->OkBtn->Width(), f->CancelBtn->Left());
    EXPECT_GT(f->DeleteFolderBtn->Left(), f->CreateNewFolderBtn->Left());
    // The root is selected: nothing to delete there.
    EXPECT_FALSE(f->DeleteFolderBtn->Enabled());
    HeldTree = f->PTShellTree1->Handle();
    const char* pause = std::getenv("YOZ_BROWSE_PAUSE");
    if (pause) SetTimer(nullptr, 0, UINT(atoi(pause)), PostHeldKeys);
    else PostHeldKeys(nullptr, 0, 0, 0);
  };
  ASSERT_TRUE(Run());
  EXPECT_EQ(caption, "Browse for Folder");
  EXPECT_EQ(Dlg->SelectedPath(), Disk.Path("beta\\inner"));

  // The second run opens on the chosen folder; Esc returns nothing and keeps it.
  Dlg->Title = "x";
  std::string selected;
  Script.OnShow = [&](TPTFrmFolderBrowseDlg* f) {
    caption = f->Caption();
    okEnabled = f->OkBtn->Enabled();
    selected = f->PTShellTree1->GetSelectedPath();
    EXPECT_TRUE(f->DeleteFolderBtn->Enabled());
    PostKey(f->PTShellTree1->Handle(), VK_UP);
    PostKey(f->PTShellTree1->Handle(), VK_ESCAPE);
  };
  EXPECT_FALSE(Run());
  EXPECT_EQ(caption, "x");
  EXPECT_TRUE(okEnabled);
  EXPECT_EQ(selected, Disk.Path("beta\\inner"));
  EXPECT_EQ(Dlg->SelectedPath(), Disk.Path("beta\\inner"));
}

TEST_F(FolderBrowseDlgTest, EscIsCancelEvenWithTheCreateAndDeleteButtons) {
  Dlg->Options += TPTFolderBrowseDlgOptions{ptfbCreateDeleteButtons};
  bool shown = false;
  Script.OnShow = [&](TPTFrmFolderBrowseDlg* f) {
    shown = f->CreateBtn->Visible() && f->DeleteBtn->Visible();
    f->PTShellTree1->SelectedFolder()->SetPidl(ToPidl(Disk.Path("gamma")).get());
    PostKey(f->PTShellTree1->Handle(), VK_ESCAPE);
  };
  EXPECT_FALSE(Run());
  EXPECT_TRUE(shown);
  EXPECT_EQ(Dlg->SelectedFolder()->Pidl(), nullptr);
  EXPECT_FALSE(TTestTree::Exists(Disk.Path("New Folder")));
  EXPECT_TRUE(TTestTree::Exists(Disk.Path("gamma")));
}

TEST_F(FolderBrowseDlgTest, OkOnAVirtualFolderGivesAnEmptyPath) {
  Dlg->BaseFolder()->Clear();
  Dlg->Options += TPTFolderBrowseDlgOptions{ptfbVirtualFolders};
  Dlg->SelectedFolder()->SetSpecialFolder(CSIDL_DRIVES);
  bool okEnabled = true, createEnabled = true;
  MINMAXINFO info{};
  Script.OnShow = [&](TPTFrmFolderBrowseDlg* f) {
    okEnabled = f->OkBtn->Enabled();
    createEnabled = f->CreateNewFolderBtn->Enabled();
    SendMessageA(f->Handle(), WM_GETMINMAXINFO, 0, LPARAM(&info));
    // Enter typed once the form is up and active: OK, the default button.
    SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR Id, DWORD) {
      KillTimer(nullptr, Id);
      PressKey(VK_RETURN);
    });
  };
  EXPECT_TRUE(Run());
  EXPECT_TRUE(okEnabled);
  EXPECT_FALSE(createEnabled);
  EXPECT_EQ(Dlg->SelectedPath(), "");
  EXPECT_NE(Dlg->SelectedFolder()->Pidl(), nullptr);
  EXPECT_EQ(info.ptMinTrackSize.x, 366);
  EXPECT_EQ(info.ptMinTrackSize.y, 340);
}

TEST_F(FolderBrowseDlgTest, CreateAndDeleteThroughTheButtons) {
  Script.OnShow = [&](TPTFrmFolderBrowseDlg* f) {
    TPTShellTree* tree = f->PTShellTree1;
    tree->SelectedFolder()->SetPidl(ToPidl(Disk.Path("alpha")).get());
    f->CreateNewFolderBtn->Click();
    EXPECT_TRUE(tree->IsEditing());
    HWND edit = HWND(SendMessageA(tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
    PostChars(edit, "made");
    PostKey(edit, VK_RETURN);
    PumpUntil([&] { return !tree->IsEditing(); });
    EXPECT_TRUE(TTestTree::Exists(Disk.Path("alpha\\made")));
    tree->SelectedFolder()->SetPidl(ToPidl(Disk.Path("gamma")).get());
    {
      TMessageBoxAnswerer yes(IDYES);
      f->DeleteFolderBtn->Click();
      PumpUntil([&] { return yes.Answered(); });
      PumpUntil([&] { return !TTestTree::Exists(Disk.Path("gamma")) && tree->GetSelectedPath() == Disk.Root(); });
    }
    EXPECT_FALSE(TTestTree::Exists(Disk.Path("gamma")));
    EXPECT_EQ(tree->GetSelectedPath(), Disk.Root());
    PostKey(tree->Handle(), VK_RETURN);
  };
  EXPECT_TRUE(Run());
  EXPECT_EQ(Dlg->SelectedPath(), Disk.Root());
  EXPECT_TRUE(TTestTree::Exists(Disk.Path("alpha\\made")));
}

TEST_F(FolderBrowseDlgTest, ReentryFormStateAndSize) {
  struct TAgain {
    TPTFolderBrowseDlg* D;
    void Go(TObject*) { D->Execute(); }
  } again{Dlg};
  Dlg->OnInitialized = TNotifyEvent(&again, &TAgain::Go);
  try {
    Dlg->Execute();
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "TPTFolderBrowseDlg already executing");
  }
  EXPECT_EQ(Dlg->ActiveForm(), nullptr);
  Dlg->OnInitialized = TNotifyEvent();

  // The size chosen in one run is the next run's; the state goes through 9 bytes.
  Dlg->FormWidth = 500;
  Dlg->FormHeight = 450;
  int width = 0;
  Script.OnShow = [&](TPTFrmFolderBrowseDlg* f) {
    width = f->Width();
    PostKey(f->PTShellTree1->Handle(), VK_ESCAPE);
  };
  EXPECT_FALSE(Run());
  EXPECT_EQ(width, 500);
  EXPECT_EQ(Dlg->FormWidth, 500);
  EXPECT_EQ(Dlg->FormHeight, 450);
  TMemoryStream stream;
  Dlg->FormWindowState = wsMaximized;
  Dlg->WriteFormState(&stream);
  EXPECT_EQ(stream.Size(), 9);
  Dlg->FormWidth = -1;
  stream.SetPosition(0);
  Dlg->ReadFormState(&stream);
  EXPECT_EQ(Dlg->FormWidth, 500);
  EXPECT_EQ(Dlg->FormWindowState, wsMaximized);
  stream.SetSize(5);
  stream.SetPosition(0);
  EXPECT_ANY_THROW(Dlg->ReadFormState(&stream));
}

}  // namespace
