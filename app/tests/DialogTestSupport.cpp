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
DWORD StepsRunAt = 0;

// A dialog still up five seconds after its steps ran would hang the test: it is cancelled and the
// test fails.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR Id, DWORD) {
  if (Application->ModalLevel() == 0) {
    KillTimer(nullptr, Id);
    return;
  }
  if (GetTickCount() - StepsRunAt < 5000) return;
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
  StepsRunAt = GetTickCount();
  SetTimer(nullptr, 0, 200, Watchdog);
  try {
    if (steps) steps();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "exception inside the modal dialog: " << e.what();
  }
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

void Type(TCustomEdit* Edit, const std::string& Text) {
  SendMessageA(Edit->Handle(), EM_SETSEL, 0, -1);
  SendMessageA(Edit->Handle(), WM_CHAR, VK_BACK, 1);
  for (char c : Text) SendMessageA(Edit->Handle(), WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
  Application->ProcessMessages();
}
