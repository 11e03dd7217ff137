#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OvcExcpt.h"
#include "OvcTimer.h"

namespace {

DWORD FakeNow = 0;
DWORD FakeTicks() { return FakeNow; }

struct Firing {
  int32_t Handle;
  uint32_t Interval;
  int32_t Elapsed;
};

// Records the firings; optional actions run inside the handler.
class Recorder {
public:
  void Fired(TObject* Sender, int32_t Handle, uint32_t Interval, int32_t Elapsed) {
    Log.push_back({Handle, Interval, Elapsed});
    if (RemoveOnFire >= 0) {
      Pool->Remove(RemoveOnFire);
      RemoveOnFire = -1;
    }
    if (FreeOnFire) {
      FreeOnFire = false;
      TObject::Free(Pool);
      Pool = nullptr;
    }
  }
  std::vector<int32_t> Handles() const {
    std::vector<int32_t> h;
    for (const Firing& f : Log) h.push_back(f.Handle);
    return h;
  }
  TTriggerEvent Event() { return Bind(this, &Recorder::Fired); }
  std::vector<Firing> Log;
  TOvcTimerPool* Pool = nullptr;
  int32_t RemoveOnFire = -1;
  bool FreeOnFire = false;
};

class OvcTimerPoolTest : public ::testing::Test {
protected:
  void SetUp() override {
    FakeNow = 1000;
    TOvcTimerPool::GetTicks = FakeTicks;
    Pool = new TOvcTimerPool(nullptr);
    Rec.Pool = Pool;
  }
  void TearDown() override {
    TObject::Free(Rec.Pool);
    TOvcTimerPool::GetTicks = GetTickCount;
  }
  void At(DWORD Ms) {
    FakeNow = 1000 + Ms;
    if (Rec.Pool) Rec.Pool->DoTimer();
  }
  TOvcTimerPool* Pool = nullptr;
  Recorder Rec;
};

TEST_F(OvcTimerPoolTest, WindowTimerStepServesEveryTrigger) {
  struct Case {
    std::vector<int32_t> Intervals;
    uint32_t Step;
  };
  for (const Case& c : std::vector<Case>{{{1}, 55}, {{100, 500}, 100}, {{100, 150}, 55}, {{500, 1000}, 500},
                                         {{300, 200}, 100}, {{}, 0}}) {
    auto* p = new TOvcTimerPool(nullptr);
    for (int32_t i : c.Intervals) p->Add(Rec.Event(), i);
    EXPECT_EQ(p->TimerInterval(), c.Step) << c.Intervals.size() << " triggers";
    EXPECT_EQ(p->TimerRunning(), !c.Intervals.empty());
    TObject::Free(p);
  }
}

TEST_F(OvcTimerPoolTest, RepeatingTriggerCountsItsElapsedTime) {
  int32_t h = Pool->Add(Rec.Event(), 100);
  At(60);   // too early, even with the tolerance
  EXPECT_TRUE(Rec.Log.empty());
  At(100);
  At(200);
  At(310);
  ASSERT_EQ(Rec.Log.size(), 3u);
  EXPECT_EQ(Rec.Log[0].Handle, h);
  EXPECT_EQ(Rec.Log[0].Interval, 100u);
  EXPECT_EQ(Rec.Log[0].Elapsed, 100);
  EXPECT_EQ(Rec.Log[1].Elapsed, 200);
  EXPECT_EQ(Rec.Log[2].Elapsed, 310);
  EXPECT_EQ(Pool->Count(), 1);
}

TEST_F(OvcTimerPoolTest, OneTimeTriggerFiresOnceWithinTheTolerance) {
  int32_t h = Pool->AddOneTime(Rec.Event(), 500);
  At(472);
  EXPECT_TRUE(Rec.Log.empty());
  At(473);
  ASSERT_EQ(Rec.Log.size(), 1u);
  // The handler gets the trigger's own handle and interval although its record is gone.
  EXPECT_EQ(Rec.Log[0].Handle, h);
  EXPECT_EQ(Rec.Log[0].Interval, 500u);
  EXPECT_EQ(Rec.Log[0].Elapsed, 473);
  EXPECT_EQ(Pool->Count(), 0);
  EXPECT_FALSE(Pool->TimerRunning());
  At(1000);
  EXPECT_EQ(Rec.Log.size(), 1u);
}

TEST_F(OvcTimerPoolTest, TriggersFireInIntervalOrderAndAllTriggersFollows) {
  Recorder all;
  Pool->OnAllTriggers = all.Event();
  int32_t slow = Pool->Add(Rec.Event(), 300);
  int32_t fast = Pool->Add(Rec.Event(), 100);
  At(300);
  EXPECT_EQ(Rec.Handles(), (std::vector<int32_t>{fast, slow}));
  EXPECT_EQ(all.Handles(), (std::vector<int32_t>{fast, slow}));
}

// A handler that removes one trigger when its own trigger fires.
struct Removing {
  Recorder* Log;
  TOvcTimerPool* Pool;
  int32_t Mine, Victim;
  void Fired(TObject* S, int32_t Handle, uint32_t I, int32_t E) {
    Log->Fired(S, Handle, I, E);
    if (Handle == Mine) Pool->Remove(Victim);
  }
};

TEST_F(OvcTimerPoolTest, RemovingInsideAHandlerSkipsNoOtherTrigger) {
  struct Case {
    int Remover;   // index of the trigger whose handler removes
    int Removed;   // index of the trigger it removes
    std::vector<int> Fired;
  };
  for (const Case& c : std::vector<Case>{{0, 0, {0, 1, 2}}, {0, 1, {0, 2}}, {1, 0, {0, 1, 2}}, {2, 2, {0, 1, 2}}}) {
    Rec.Log.clear();
    FakeNow = 1000;
    auto* p = new TOvcTimerPool(nullptr);
    Removing removing{&Rec, p, -1, -1};
    std::vector<int32_t> h;
    // One interval for all three: they fire in the order they were added.
    for (int i = 0; i < 3; ++i) h.push_back(p->Add(TTriggerEvent(&removing, &Removing::Fired), 100));
    removing.Mine = h[size_t(c.Remover)];
    removing.Victim = h[size_t(c.Removed)];
    FakeNow = 1100;
    p->DoTimer();
    std::vector<int32_t> expected;
    for (int i : c.Fired) expected.push_back(h[size_t(i)]);
    EXPECT_EQ(Rec.Handles(), expected) << "trigger " << c.Remover << " removes " << c.Removed;
    EXPECT_EQ(p->Count(), 2);
    TObject::Free(p);
  }
}

TEST_F(OvcTimerPoolTest, RemovedHandlesAreNeverGivenOutAgain) {
  int32_t a = Pool->Add(Rec.Event(), 100);
  int32_t b = Pool->Add(Rec.Event(), 100);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
  Pool->Remove(b);
  int32_t c = Pool->Add(Rec.Event(), 100);
  EXPECT_NE(c, b);
  Pool->Remove(a);
  Pool->Remove(c);
  int32_t d = Pool->AddOneTime(Rec.Event(), 100);
  EXPECT_GT(d, c);
  // Removing a handle that is gone touches no newer trigger.
  Pool->Remove(b);
  Pool->Remove(12345);
  EXPECT_EQ(Pool->Count(), 1);
}

TEST_F(OvcTimerPoolTest, OverdueTriggerAsksForTheShortestStepNotAHugeOne) {
  Pool->Add(Rec.Event(), 1000);
  FakeNow += 5000;   // no tick came for five seconds
  Pool->Add(Rec.Event(), 2000);
  EXPECT_EQ(Pool->TimerInterval(), 55u);
  // A clock that went back counts as long ago, too.
  FakeNow -= 100000;
  Pool->Add(Rec.Event(), 3000);
  EXPECT_GE(Pool->TimerInterval(), 55u);
  EXPECT_LE(Pool->TimerInterval(), 1000u);
}

TEST_F(OvcTimerPoolTest, TickCounterWrapAroundStillFires) {
  FakeNow = 0xFFFFFFF0u;
  TOvcTimerPool::GetTicks = FakeTicks;
  auto* p = new TOvcTimerPool(nullptr);
  TObject::Free(Rec.Pool);
  Rec.Pool = p;
  p->Add(Rec.Event(), 100);
  FakeNow = 0xFFFFFFF0u + 100;   // wrapped past zero
  p->DoTimer();
  ASSERT_EQ(Rec.Log.size(), 1u);
  EXPECT_EQ(Rec.Log[0].Elapsed, 100);
}

TEST_F(OvcTimerPoolTest, HandlerMayFreeThePool) {
  Pool->Add(Rec.Event(), 100);
  Pool->Add(Rec.Event(), 100);
  Rec.FreeOnFire = true;
  At(100);
  EXPECT_EQ(Rec.Log.size(), 1u);
  EXPECT_EQ(Rec.Pool, nullptr);
}

TEST_F(OvcTimerPoolTest, RealWindowTimerDrivesTheTriggers) {
  TOvcTimerPool::GetTicks = GetTickCount;
  auto* p = new TOvcTimerPool(nullptr);
  TObject::Free(Rec.Pool);
  Rec.Pool = p;
  p->AddOneTime(Rec.Event(), 100);
  DWORD start = GetTickCount();
  while (Rec.Log.empty() && GetTickCount() - start < 20000) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    Sleep(5);
  }
  ASSERT_EQ(Rec.Log.size(), 1u);
  EXPECT_GE(Rec.Log[0].Elapsed, 73);
}

TEST(OvcExceptions, CarryTheirKitTexts) {
  EXPECT_EQ(std::string(ENoTimersAvailable().Message), "No Window's timers are available");
  EXPECT_EQ(std::string(ENoControllerAssigned().Message), "No Controller assigned");
  EXPECT_EQ(std::string(EDuplicateCommand().Message),
            "Duplicate command found while adding a new command to the table");
  EXPECT_EQ(std::string(ETableNotFound().Message), "Command table not found or command table index out of range");
  EXPECT_EQ(OvcKitString(29999), "Unknown");
  EXPECT_EQ(OvcKitString(30244), "Label not attached");
}

}  // namespace
