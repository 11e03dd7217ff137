// Extra controls and components.
#include "ExtCtrls.h"

#include "ControlsInternal.h"
#include "Forms.h"

// ---------------------------------------------------------------------------------------------------
// TTimer

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindowHandle = AllocateHWnd(Bind(this, &TTimer::WndProc));
}

TTimer::~TTimer() {
  FEnabled = false;
  UpdateTimer();
  DeallocateHWnd(FWindowHandle);
}

void TTimer::UpdateTimer() {
  KillTimer(FWindowHandle, 1);
  if (FInterval != 0 && FEnabled && FOnTimer)
    if (!SetTimer(FWindowHandle, 1, FInterval, nullptr)) throw EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = Value;
  UpdateTimer();
}

void TTimer::Timer() { FOnTimer(this); }

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    // The handler may free this timer: nothing touches it afterwards. What it shows, nobody asked for
    // just now (its failure too).
    TUnaskedBoxScope unasked;
    try {
      Timer();
    } catch (...) {
      HandleCallbackException(this);
    }
    return;
  }
  Message.Result = DefWindowProcA(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TTimer::Publish(TPublisher<TTimer>& p) {
  p.Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(1);
  p.Int("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
  p.Event("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

void RegisterExtCtrlsClasses() { RegisterClass(TTimer::StaticClass()); }
