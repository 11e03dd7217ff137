// Extra controls and components.
#pragma once

#include <windows.h>

#include <cstdint>

#include "Classes.h"
#include "Controls.h"

// ---------------------------------------------------------------------------------------------------
// TTimer: a window timer on a hidden window of its own. OnTimer may disable or free the timer.

class TTimer : public TComponent {
  YOZ_CLASS(TTimer, TComponent)
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t Value);
  TNotifyEvent OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);

  static void Publish(TPublisher<TTimer>& p);

protected:
  virtual void Timer();

private:
  void UpdateTimer();
  void WndProc(TMessage& Message);

  bool FEnabled = true;
  uint32_t FInterval = 1000;
  TNotifyEvent FOnTimer;
  HWND FWindowHandle = nullptr;
};

// A timer switched off for a block (a dialog that must not see the board change under it) and on
// again however the block ends.
class TTimerOffScope {
public:
  explicit TTimerOffScope(TTimer* Timer) : FTimer(Timer) { FTimer->SetEnabled(false); }
  ~TTimerOffScope() noexcept(false) {
    if (std::uncaught_exceptions() == FUncaught) {
      FTimer->SetEnabled(true);
      return;
    }
    try {
      FTimer->SetEnabled(true);
    } catch (...) {
    }
  }
  TTimerOffScope(const TTimerOffScope&) = delete;
  TTimerOffScope& operator=(const TTimerOffScope&) = delete;

private:
  TTimer* FTimer;
  int FUncaught = std::uncaught_exceptions();
};

void RegisterExtCtrlsClasses();
