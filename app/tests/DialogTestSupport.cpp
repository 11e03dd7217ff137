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

namespace {
// A real left click at a client point of Wnd, handled when this returns (with what it opened: a modal
// loop the click runs has ended). The point must show Wnd: a click on whatever covers it proves nothing.
void ClickOn(HWND Wnd, POINT Client) {
  POINT p = Client;
  ClientToScreen(Wnd, &p);
  EXPECT_EQ(WindowFromPoint(p), Wnd) << "another window covers the point to click";
  SetCursorPos(p.x, p.y);
  SendLeftClick(p);
  WaitTimers(0);
}
}  // namespace

void ClickItem(TListBox* List, int Index) {
  ASSERT_GE(Index, 0);
  RECT r = List->ItemRect(Index);
  ClickOn(List->Handle(), POINT{r.left + 4, (r.top + r.bottom) / 2});
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
  ClickOn(Button->Handle(), POINT{Button->Width() / 2, Button->Height() / 2});
  return true;
}

void Type(TCustomEdit* Edit, const std::string& Text) {
  ClickOn(Edit->Handle(), POINT{Edit->Width() / 2, Edit->Height() / 2});
  // Selected as a drag over the text would select it.
  SendMessageA(Edit->Handle(), EM_SETSEL, 0, -1);
  std::vector<INPUT> keys;
  auto key = [&](WORD Vk, WCHAR Ch) {
    for (DWORD up : {DWORD(0), DWORD(KEYEVENTF_KEYUP)}) {
      INPUT i{};
      i.type = INPUT_KEYBOARD;
      i.ki.wVk = Vk;
      i.ki.wScan = Ch;
      i.ki.dwFlags = (Ch ? KEYEVENTF_UNICODE : 0) | up;
      keys.push_back(i);
    }
  };
  key(VK_BACK, 0);
  for (char c : Text) key(0, WCHAR(static_cast<unsigned char>(c)));
  SendInput(UINT(keys.size()), keys.data(), sizeof(INPUT));
  WaitTimers(0);
}
