// Folder watches on the test's own folders (a change posts its slot, the watch re-arms), the slot
// table's limits, a command the thread cannot take in time, and device-change broadcasts reaching
// the listeners after the broadcast returned.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Controls.h"
#include "ShellTestSupport.h"
#include "UPTShellControls.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TShellEnvironment);

// A hidden window that records the slots the thread posts.
struct TPostSink {
  HWND Wnd;
  std::vector<int> Slots;
  TPostSink() { Wnd = AllocateHWnd(TWndMethod(this, &TPostSink::WndProc)); }
  ~TPostSink() { DeallocateHWnd(Wnd); }
  void WndProc(TMessage& m) {
    if (m.Msg == WM_PTCHANGENOTIFY) Slots.push_back(int(m.WParam));
    else m.Result = DefWindowProcA(Wnd, m.Msg, m.WParam, m.LParam);
  }
  bool SawSlot(int Slot) {
    return PumpUntil([&] { return std::find(Slots.begin(), Slots.end(), Slot) != Slots.end(); });
  }
};

constexpr DWORD Names = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

struct ThreadFree {
  void operator()(TChangeHandlerThread* t) const { TObject::Free(t); }
};
using ThreadPtr = std::unique_ptr<TChangeHandlerThread, ThreadFree>;

TEST(ChangeHandlerTest, CreatedAndDeletedFilesAreSeenAndTheWatchRearms) {
  TTestTree tree("watch");
  std::string a = tree.Folder("a"), b = tree.Folder("b");
  TPostSink sink;
  ThreadPtr thread(new TChangeHandlerThread(sink.Wnd, WM_PTCHANGENOTIFY));
  int slotA = -1, slotB = -1;
  ASSERT_TRUE(thread->AddWatch(a, Names, false, slotA));
  ASSERT_TRUE(thread->AddWatch(b, Names, false, slotB));
  EXPECT_EQ(slotA, 0);
  EXPECT_EQ(slotB, 1);

  for (int round = 0; round < 2; ++round) {
    sink.Slots.clear();
    tree.File("b\\f.txt");
    EXPECT_TRUE(sink.SawSlot(slotB)) << "create, round " << round;
    sink.Slots.clear();
    DeleteFileA((b + "\\f.txt").c_str());
    EXPECT_TRUE(sink.SawSlot(slotB)) << "delete, round " << round;
  }
  // Nothing comes for a's slot: a while passes for a late report.
  Pump(100);
  EXPECT_EQ(std::count(sink.Slots.begin(), sink.Slots.end(), slotA), 0);   // a's folder did not change

  // A removed watch is silent and its slot is the next one given.
  ASSERT_TRUE(thread->RemoveWatch(slotB));
  sink.Slots.clear();
  tree.File("b\\g.txt");
  // A removed watch is silent: a while passes for a late report.
  Pump(300);
  EXPECT_TRUE(sink.Slots.empty());
  int again = -1;
  ASSERT_TRUE(thread->AddWatch(a, Names, false, again));
  EXPECT_EQ(again, slotB);
  EXPECT_FALSE(thread->AddWatch(tree.Path("missing"), Names, false, again));
  EXPECT_EQ(again, -1);
}

TEST(ChangeHandlerTest, SixtyFourthWatchIsRefusedAndAllAreClosedAtTheEnd) {
  TTestTree tree("full");
  std::string f = tree.Folder("f");
  TPostSink sink;
  ThreadPtr thread(new TChangeHandlerThread(sink.Wnd, WM_PTCHANGENOTIFY));
  int slot = -1;
  for (int i = 0; i < TChangeHandlerThread::SlotCount; ++i) {
    ASSERT_TRUE(thread->AddWatch(f, Names, false, slot)) << i;
    EXPECT_EQ(slot, i);
  }
  EXPECT_FALSE(thread->AddWatch(f, Names, false, slot));
  EXPECT_EQ(slot, -1);
  EXPECT_FALSE(thread->AddWatch(f, Names, false, slot));   // a refused handle is not left behind
  // All 63 watches see one change.
  tree.File("f\\x.txt");
  PumpUntil([&] { return sink.Slots.size() >= size_t(TChangeHandlerThread::SlotCount); });
  EXPECT_EQ(sink.Slots.size(), size_t(TChangeHandlerThread::SlotCount));
  ASSERT_TRUE(thread->RemoveAllWatches());
  ASSERT_TRUE(thread->AddWatch(f, Names, false, slot));
  EXPECT_EQ(slot, 0);
  DWORD start = GetTickCount();
  thread.reset();   // with a watch still active
  // It ends on the command, well before the 30 s a thread that does not answer is given.
  EXPECT_LT(GetTickCount() - start, 10000u);
}

TEST(ChangeHandlerTest, CommandNotTakenInTimeIsWithdrawn) {
  TTestTree tree("late");
  std::string f = tree.Folder("f");
  TPostSink sink;
  ThreadPtr thread(new TChangeHandlerThread(sink.Wnd, WM_PTCHANGENOTIFY));
  int slot = -1;
  ASSERT_TRUE(thread->AddWatch(f, Names, false, slot));
  ASSERT_EQ(slot, 0);
  // The thread cannot answer for longer than the caller waits: it is stopped. Stopped while it held
  // its table's lock, it would hold up the add until let go, so the add runs beside this thread; an
  // add that is still waiting after 10 s is let through by letting the thread go, is taken back, and
  // the thread is stopped again. However slow the machine, only an add refused counts.
  bool refused = false;
  for (int round = 0; round < 20 && !refused; ++round) {
    ASSERT_NE(SuspendThread(thread->Handle()), DWORD(-1));
    std::atomic<bool> returned{false};
    bool added = false;
    DWORD took = 0;
    int taken = -1;
    std::thread add([&] {
      DWORD start = GetTickCount();
      added = thread->AddWatch(f, Names, false, taken);
      took = GetTickCount() - start;
      returned = true;
    });
    PumpUntil([&] { return returned.load(); }, 10000);
    ResumeThread(thread->Handle());
    add.join();
    if (added) {
      ASSERT_TRUE(thread->RemoveWatch(taken));
      continue;
    }
    EXPECT_GE(took, 1900u);
    refused = true;
  }
  ASSERT_TRUE(refused) << "the thread was caught in its lock every time";
  // Whether the resumed thread finds the withdrawn command before the next one or not, the next add
  // waits for the thread's answer itself.
  PumpQueued();
  // The withdrawn add never took slot 1: the next watch gets it, and only two slots report.
  ASSERT_TRUE(thread->AddWatch(f, Names, false, slot));
  EXPECT_EQ(slot, 1);
  sink.Slots.clear();
  tree.File("f\\y.txt");
  PumpUntil([&] { return sink.Slots.size() >= 2; });
  // Only two slots report: a while passes for a late third.
  Pump(200);
  std::sort(sink.Slots.begin(), sink.Slots.end());
  sink.Slots.erase(std::unique(sink.Slots.begin(), sink.Slots.end()), sink.Slots.end());
  EXPECT_EQ(sink.Slots, (std::vector<int>{0, 1}));
}

// ---------------------------------------------------------------------------------------------------

struct TListener {
  std::vector<std::string>* Log;
  std::string Name;
  std::function<void()> Then;
  void Changed(TObject* Sender, TMessage& M) {
    EXPECT_EQ(Sender, DeviceChangeHandler());
    EXPECT_EQ(M.Msg, WM_PTDEVICECHANGE);
    Log->push_back(Name + ":" + std::to_string(M.WParam));
    if (Then) Then();
  }
  TPTDeviceChangeEvent Event() { return TPTDeviceChangeEvent(this, &TListener::Changed); }
};

void Broadcast(WPARAM Event) {
  DWORD_PTR r = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_DEVICECHANGE, Event, 0, SMTO_ABORTIFHUNG, 2000, &r);
}

TEST(DeviceChangeTest, BroadcastReachesListenersAfterItReturned) {
  std::vector<std::string> log;
  TListener a{&log, "a"}, b{&log, "b"};
  TPTDeviceChangeHandler* h = DeviceChangeHandler();
  EXPECT_EQ(DeviceChangeHandler(), h);   // one per process
  h->AddListener(a.Event());
  h->AddListener(b.Event());
  Broadcast(DBT_CONFIGCHANGED);
  EXPECT_TRUE(log.empty());   // not while the broadcast is under way
  ASSERT_TRUE(PumpUntil([&] { return log.size() >= 2; }));
  EXPECT_EQ(log, (std::vector<std::string>{"a:24", "b:24"}));

  TListener never{&log, "never"};
  h->RemoveListener(never.Event());   // never added: nothing changes
  EXPECT_EQ(h->ListenerCount(), 2);

  h->SetEnabled(false);
  log.clear();
  Broadcast(DBT_CONFIGCHANGED);
  // Nothing is heard while disabled: a while passes for a late call.
  Pump(200);
  EXPECT_TRUE(log.empty());
  h->SetEnabled(true);

  // A listener that takes itself and the next one off the list while it runs.
  a.Then = [&] {
    h->RemoveListener(a.Event());
    h->RemoveListener(b.Event());
  };
  Broadcast(DBT_CONFIGCHANGED);
  ASSERT_TRUE(PumpUntil([&] { return !log.empty(); }));
  // No call for the listener taken off meanwhile: a while passes for a late one.
  Pump(100);
  EXPECT_EQ(log, (std::vector<std::string>{"a:24"}));
  EXPECT_EQ(h->ListenerCount(), 0);

  EXPECT_EQ(SendMessageA(h->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
}

}  // namespace
