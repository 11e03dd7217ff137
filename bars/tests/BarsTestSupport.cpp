#include "BarsTestSupport.h"

#include <vector>

void TBarsEnvironment::SetUp() {
  InitForms();
  dxBarInitialize();
  RegisterActnListClasses();
  RegisterImgListClasses();
  RegisterClass(TForm::StaticClass());
}

void TBarsEnvironment::TearDown() {
  dxBarFinalize();
  DoneForms();
}

void SendKeys(std::initializer_list<std::pair<WORD, bool>> Keys) {
  std::vector<INPUT> in;
  for (auto [k, up] : Keys) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  }
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

// Every event carries the point: a press without one lands wherever Wine last put the pointer, which
// may be a position from before SetCursorPos.
void Click(POINT Screen) {
  SetCursorPos(Screen.x, Screen.y);
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in[3]{};
  for (INPUT& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = MulDiv(Screen.x, 65535, w - 1);
    i.mi.dy = MulDiv(Screen.y, 65535, h - 1);
    i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  SendInput(3, in, sizeof(INPUT));
}

TManagerForm::TManagerForm() : Form(CreateNewForm<TForm>(nullptr)) {
  Form->SetBounds(50, 50, 400, 300);
  Manager = new TdxBarManager(Form.get());
  Manager->SetName("dxBarManager1");
}

std::map<std::string, int> TCountingControl::Counts;
int TCountingControl::Live = 0;

TCountingControl::TCountingControl(TdxBarItemLink* ALink) : TdxBarItemControl(ALink) { ++Live; }
TCountingControl::~TCountingControl() { --Live; }

namespace {
const TClass CountedClasses[] = {TdxBarButton::StaticClass(), TdxBarEdit::StaticClass(), TdxBarCombo::StaticClass(),
                                 TdxBarSubItem::StaticClass(), TdxBarListItem::StaticClass(),
                                 TdxBarContainerItem::StaticClass()};
}

namespace {
TdxBarItemControlMaker SavedMakers[std::size(CountedClasses)];
}

TCountingControls::TCountingControls() {
  TCountingControl::Counts.clear();
  for (size_t i = 0; i < std::size(CountedClasses); ++i) {
    SavedMakers[i] = dxBarItemControlClass(CountedClasses[i]);
    dxBarRegisterItem(CountedClasses[i], &dxMakeItemControl<TCountingControl>, true);
  }
}

// The library's own controls come back for the tests that follow.
TCountingControls::~TCountingControls() {
  for (size_t i = 0; i < std::size(CountedClasses); ++i) dxBarRegisterItem(CountedClasses[i], SavedMakers[i], true);
}
