#include "OvcTimer.h"

#include <algorithm>
#include <limits>

#include "Forms.h"
#include "OvcExcpt.h"

namespace {
constexpr int32_t MinInterval = 55;   // the shortest step of the system's timer
constexpr int32_t Tolerance = 27;     // a trigger this close to its time fires now rather than a step later
constexpr UINT_PTR TimerId = 1;
}  // namespace

TOvcTimerPool::TTickSource TOvcTimerPool::GetTicks = &GetTickCount;

TOvcTimerPool::TOvcTimerPool(TComponent* AOwner) : TComponent(AOwner) {
  FWindow = AllocateHWnd(TWndMethod(this, &TOvcTimerPool::WndMethod));
}

TOvcTimerPool::~TOvcTimerPool() {
  if (FAliveFlag) *FAliveFlag = false;
  if (FWindow) {
    KillTimer(FWindow, TimerId);
    DeallocateHWnd(FWindow);
  }
}

void TOvcTimerPool::WndMethod(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    try {
      DoTimer();
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
    return;
  }
  Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
}

int32_t TOvcTimerPool::Add(TTriggerEvent OnTrigger, int32_t Interval) { return AddTrigger(OnTrigger, Interval, true); }

int32_t TOvcTimerPool::AddOneTime(TTriggerEvent OnTrigger, int32_t Interval) {
  return AddTrigger(OnTrigger, Interval, false);
}

int32_t TOvcTimerPool::AddTrigger(TTriggerEvent OnTrigger, int32_t Interval, bool Repeat) {
  if (FNextHandle == std::numeric_limits<int32_t>::max()) return -1;
  DWORD now = GetTicks();
  TTrigger t{FNextHandle++, 0, std::max(Interval, MinInterval), now, OnTrigger, true, Repeat};
  // Sorted by interval, equal intervals in the order they came.
  auto at = std::upper_bound(FTriggers.begin(), FTriggers.end(), t.Interval,
                             [](int32_t i, const TTrigger& r) { return i < r.Interval; });
  FTriggers.insert(at, t);
  Recalculate();
  ResetTimer();
  return t.Handle;
}

int TOvcTimerPool::IndexOf(int32_t Handle) const {
  for (size_t i = 0; i < FTriggers.size(); ++i)
    if (FTriggers[i].Handle == Handle) return int(i);
  return -1;
}

void TOvcTimerPool::Remove(int32_t Handle) {
  int i = IndexOf(Handle);
  if (i < 0) return;
  FTriggers.erase(FTriggers.begin() + i);
  Recalculate();
  ResetTimer();
}

// The step of the window timer: no longer than the shortest interval or the shortest time left
// (an overdue trigger asks for the shortest step, never a wrapped-around huge one), then shortened
// until every interval is a multiple of it or it reaches the floor.
void TOvcTimerPool::Recalculate() {
  DWORD now = GetTicks();
  int64_t step = std::numeric_limits<int64_t>::max();
  FEnabledCount = 0;
  for (const TTrigger& t : FTriggers) {
    if (!t.Enabled) continue;
    ++FEnabledCount;
    // A last firing "in the future" (the clock was set back) counts as long ago.
    int64_t since = now >= t.LastTick ? int64_t(now - t.LastTick) : int64_t(std::numeric_limits<int32_t>::max());
    step = std::min<int64_t>(step, t.Interval);
    step = std::min<int64_t>(step, t.Interval - since);
  }
  if (FEnabledCount == 0) {
    FTimerInterval = 0;
    return;
  }
  if (step < MinInterval) step = MinInterval;
  for (bool again = true; again && step > MinInterval;) {
    again = false;
    for (const TTrigger& t : FTriggers) {
      int64_t rest = t.Interval % step;
      if (rest != 0) {
        step -= rest;
        again = true;
        break;
      }
    }
  }
  FTimerInterval = uint32_t(std::max<int64_t>(step, MinInterval));
}

void TOvcTimerPool::ResetTimer() {
  if (FTimerRunning) KillTimer(FWindow, TimerId);
  FTimerRunning = false;
  if (FTimerInterval == 0 || FEnabledCount == 0) return;
  if (!SetTimer(FWindow, TimerId, FTimerInterval, nullptr)) throw ENoTimersAvailable();
  FTimerRunning = true;
}

void TOvcTimerPool::DoTimer() {
  DWORD now = GetTicks();
  // Walk the triggers as they were when the tick came, each looked up again before it runs: a handler
  // may remove or add triggers (or free the pool) without another trigger being skipped or run twice.
  std::vector<int32_t> handles;
  handles.reserve(FTriggers.size());
  for (const TTrigger& t : FTriggers) handles.push_back(t.Handle);
  bool alive = true;
  bool* outer = FAliveFlag;
  FAliveFlag = &alive;
  struct TRestore {
    bool& Alive;
    bool*& Flag;
    bool* Outer;
    ~TRestore() {
      if (Alive) Flag = Outer;
      else if (Outer) *Outer = false;
    }
  } restore{alive, FAliveFlag, outer};
  for (int32_t h : handles) {
    int i = IndexOf(h);
    if (i < 0 || !FTriggers[size_t(i)].Enabled) continue;
    TTrigger& t = FTriggers[size_t(i)];
    DWORD e = now - t.LastTick;   // unsigned: right across the clock's wrap-around
    if (int64_t(e) < int64_t(t.Interval) - Tolerance) continue;
    t.LastTick = now;
    int64_t total = std::min<int64_t>(int64_t(t.Elapsed) + int64_t(e), std::numeric_limits<int32_t>::max());
    // What the handlers get is copied first: a one-time trigger's record goes before they run.
    TTriggerEvent handler = t.OnTrigger;
    int32_t interval = t.Interval;
    if (t.Repeat) {
      t.Elapsed = int32_t(total);
    } else {
      FTriggers.erase(FTriggers.begin() + i);
      Recalculate();
      ResetTimer();
    }
    handler(this, h, uint32_t(interval), int32_t(total));
    if (!alive) return;
    OnAllTriggers(this, h, uint32_t(interval), int32_t(total));
    if (!alive) return;
  }
}

void TOvcTimerPool::Publish(TPublisher<TOvcTimerPool>& p) {
  p.Str("About", &TOvcTimerPool::About, [](TOvcTimerPool&, const std::string&) {}).Stored(false);
  p.Event("OnAllTriggers", &TOvcTimerPool::OnAllTriggers);
}

void OvcTimerInitialize() { RegisterClass(TOvcTimerPool::StaticClass()); }
