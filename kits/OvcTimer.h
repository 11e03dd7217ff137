// A pool of timed triggers served by one window timer. Each trigger has an interval and a handler;
// repeating triggers fire at every interval, one-time triggers once and are then gone. The window
// timer runs at the largest step that serves every trigger (never below 55 ms), and each WM_TIMER
// fires the triggers whose time has come, with a 27 ms tolerance.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"
#include "Messages.h"

// (Sender, Handle, Interval, ElapsedTime): ElapsedTime is the time counted at the trigger's firings
// since it was added.
using TTriggerEvent = TEvent<TObject*, int32_t, uint32_t, int32_t>;

class TOvcTimerPool : public TComponent {
  YOZ_CLASS(TOvcTimerPool, TComponent)
public:
  explicit TOvcTimerPool(TComponent* AOwner);
  ~TOvcTimerPool() override;

  // A repeating trigger; the handle, or -1 when none could be made. Intervals below 55 ms become 55.
  int32_t Add(TTriggerEvent OnTrigger, int32_t Interval);
  // The same, firing once.
  int32_t AddOneTime(TTriggerEvent OnTrigger, int32_t Interval);
  // An unknown handle does nothing.
  void Remove(int32_t Handle);

  int32_t Count() const { return int32_t(FTriggers.size()); }
  // The window timer's current interval in milliseconds, 0 while none runs.
  uint32_t TimerInterval() const { return FTimerInterval; }
  bool TimerRunning() const { return FTimerRunning; }

  // Fires every trigger whose time has come (what each WM_TIMER does).
  virtual void DoTimer();

  // The millisecond clock; tests put their own.
  using TTickSource = DWORD (*)();
  static TTickSource GetTicks;

  TTriggerEvent OnAllTriggers;

  std::string About() const { return "v3.07"; }
  static void Publish(TPublisher<TOvcTimerPool>& p);

private:
  struct TTrigger {
    int32_t Handle;
    int32_t Elapsed;      // the milliseconds counted at its firings so far
    int32_t Interval;
    DWORD LastTick;       // of the last firing, first the time it was added
    TTriggerEvent OnTrigger;
    bool Enabled;
    bool Repeat;
  };
  int32_t AddTrigger(TTriggerEvent OnTrigger, int32_t Interval, bool Repeat);
  int IndexOf(int32_t Handle) const;
  void Recalculate();
  void ResetTimer();
  void WndMethod(TMessage& Message);

  std::vector<TTrigger> FTriggers;
  HWND FWindow = nullptr;
  uint32_t FTimerInterval = 0;
  int32_t FEnabledCount = 0;
  bool FTimerRunning = false;
  // Handles only ever grow, so a handle that was removed can never name a newer trigger.
  int32_t FNextHandle = 0;
  bool* FAliveFlag = nullptr;   // cleared by the destructor while DoTimer runs handlers
};

void OvcTimerInitialize();
