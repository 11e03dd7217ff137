#include "DialogTestSupport.h"

#include <gtest/gtest.h>

#include "ActnList.h"
#include "AppTestSupport.h"
#include "SelectDepartment.h"
#include "SelectStatus.h"
#include "yOZComments.h"
#include "yOZDepartments.h"
#include "yOZStatuses.h"
#include "yOZUsers.h"

template <class F>
static void Make(F*& Var) {
  Var = NewForm<F>(Application);
}
template <class F>
static void Free(F*& Var) {
  TObject::Free(Var);
  Var = nullptr;
}

void MakeDialogs() {
  Make(frmyOZDepartments);
  Make(frmyOZStatuses);
  Make(frmyOZComments);
  Make(frmyOZUsers);
  Make(frmSelectStatus);
  Make(frmSelectDepartment);
  ConnectMainDialogs();
}

void FreeDialogs() {
  MainDialogs = TMainDialogs();
  Free(frmSelectDepartment);
  Free(frmSelectStatus);
  Free(frmyOZUsers);
  Free(frmyOZComments);
  Free(frmyOZStatuses);
  Free(frmyOZDepartments);
  Application->ProcessMessages();
}

namespace {
std::function<void()> PendingSteps;
bool StepsRunning = false;
DWORD StepsEndedAt = 0;

// A dialog still up long after its steps ended would hang the test: it is cancelled and the test
// fails. The time counts from the end of the steps, so their own waits (each with its own generous
// limit) never meet it; a dialog the steps closed goes within moments.
constexpr DWORD DialogLeftUpMs = 30000;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR Id, DWORD) {
  if (Application->ModalLevel() == 0) {
    KillTimer(nullptr, Id);
    return;
  }
  if (StepsRunning || GetTickCount() - StepsEndedAt < DialogLeftUpMs) return;
  KillTimer(nullptr, Id);
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i)->Modal()) {
      ADD_FAILURE() << "the dialog \"" << Screen->Forms(i)->Caption() << "\" did not close";
      Screen->Forms(i)->SetModalResult(mrCancel);
    }
}

void CALLBACK RunSteps(HWND, UINT, UINT_PTR Id, DWORD) {
  // Messages pumped before the dialog is up (hiding a window, say) must not run the steps yet.
  if (Application->ModalLevel() == 0) return;
  KillTimer(nullptr, Id);
  auto steps = std::move(PendingSteps);
  PendingSteps = nullptr;
  StepsRunning = true;
  SetTimer(nullptr, 0, 200, Watchdog);
  try {
    if (steps) steps();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "exception inside the modal dialog: " << e.what();
  }
  StepsRunning = false;
  StepsEndedAt = GetTickCount();
}
}  // namespace

void WhenModal(std::function<void()> Steps) {
  PendingSteps = std::move(Steps);
  SetTimer(nullptr, 0, 30, RunSteps);
}

void ClickItem(TListBox* List, int Index) {
  ASSERT_GE(Index, 0);
  RECT r = List->ItemRect(Index);
  LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
  SendMessageA(List->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(List->Handle(), WM_LBUTTONUP, 0, at);
  Application->ProcessMessages();
}

int ItemOf(TStrings* Items, const std::string& Text) {
  for (int i = 0; i < Items->Count(); ++i)
    if (Items->Strings(i) == Text) return i;
  return -1;
}

void ClickItem(TListBox* List, const std::string& Text) {
  int i = ItemOf(List->Items(), Text);
  ASSERT_GE(i, 0) << "no entry " << Text;
  ClickItem(List, i);
}

std::vector<std::string> Entries(TStrings* Items) {
  std::vector<std::string> r;
  for (int i = 0; i < Items->Count(); ++i) r.push_back(Items->Strings(i));
  return r;
}

void IdleUpdate() { UpdateActionListsOnIdle(); }

bool Press(TButtonControl* Button) {
  IdleUpdate();
  if (!IsWindowEnabled(Button->Handle())) return false;
  SendMessageA(Button->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  return true;
}

namespace {
void SendKey(WORD Vk, bool Up) {
  INPUT i{};
  i.type = INPUT_KEYBOARD;
  i.ki.wVk = Vk;
  i.ki.dwFlags = Up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &i, sizeof i);
}

// The key messages this thread took from its queue (the keyboard hook sees each as it is taken): a
// key's release taken means the key was handled once the loop that took it has run. The key state's
// toggle bit cannot tell that under Wine: a thread's key state is refreshed from the desktop's.
struct TKeyTaken {
  WORD Vk;
  bool Up;
};
std::vector<TKeyTaken> KeysTaken;
LRESULT CALLBACK KeyWatch(int Code, WPARAM W, LPARAM L) {
  if (Code == HC_ACTION) KeysTaken.push_back({WORD(W), (L & 0x80000000) != 0});
  return CallNextHookEx(nullptr, Code, W, L);
}
bool Taken(WORD Vk, bool Up) {
  for (auto& k : KeysTaken)
    if (k.Vk == Vk && k.Up == Up) return true;
  return false;
}

// Keys come through the window system's queue: under load that takes long, never this long.
constexpr int KeyWaitMs = 20000;
}  // namespace

void PressKeys(WORD Vk, const std::vector<WORD>& Held) {
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD, KeyWatch, nullptr, GetCurrentThreadId());
  TScopeExit unhook([&] {
    UnhookWindowsHookEx(hook);
    KeysTaken.clear();
  });
  KeysTaken.clear();
  // The state the user sees when pressing: the application has been idle since the last input.
  IdleUpdate();
  // Each key is handled before the next one goes. A window just brought to the front may get the
  // modifiers' state a little later than their messages: the key must not go before it.
  for (WORD h : Held) SendKey(h, false);
  EXPECT_TRUE(PumpUntil([&] {
    for (WORD h : Held)
      if (!Taken(h, false) || GetKeyState(h) >= 0) return false;
    return true;
  }, KeyWaitMs)) << "the thread did not see the modifiers down";
  SendKey(Vk, false);
  SendKey(Vk, true);
  EXPECT_TRUE(PumpUntil([&] { return Taken(Vk, true); }, KeyWaitMs)) << "the thread did not take key " << Vk;
  for (auto h = Held.rbegin(); h != Held.rend(); ++h) SendKey(*h, true);
  EXPECT_TRUE(PumpUntil([&] {
    for (WORD h : Held)
      if (!Taken(h, true)) return false;
    return true;
  }, KeyWaitMs)) << "the thread did not take the modifiers' release";
  // What the keys made (characters, posted commands) is handled too.
  Application->ProcessMessages();
  IdleUpdate();
}

void Type(TCustomEdit* Edit, const std::string& Text) {
  SendMessageA(Edit->Handle(), EM_SETSEL, 0, -1);
  SendMessageA(Edit->Handle(), WM_CHAR, VK_BACK, 1);
  for (char c : Text) SendMessageA(Edit->Handle(), WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
  Application->ProcessMessages();
}
