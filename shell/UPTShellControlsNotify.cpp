// The folder change-notification thread.
#include "UPTShellControls.h"

namespace {

class TLock {
public:
  explicit TLock(CRITICAL_SECTION& S) : FS(S) { EnterCriticalSection(&FS); }
  ~TLock() { LeaveCriticalSection(&FS); }
  TLock(const TLock&) = delete;

private:
  CRITICAL_SECTION& FS;
};

constexpr DWORD CommandWaitMs = 2000;
constexpr DWORD StopWaitMs = 30000;

}  // namespace

TChangeHandlerThread::TChangeHandlerThread(HWND Window, UINT Message) : FWindow(Window), FMessage(Message) {
  InitializeCriticalSection(&FLock);
  FCommandEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  FAckEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  FSlots.reserve(SlotCount + 1);
  FSlots.assign(SlotCount, INVALID_HANDLE_VALUE);
  FreeOnTerminate = false;
  Start();
}

TChangeHandlerThread::~TChangeHandlerThread() {
  Stop();
  CloseHandle(FCommandEvent);
  CloseHandle(FAckEvent);
  DeleteCriticalSection(&FLock);
}

void TChangeHandlerThread::BeforeDestruction() {
  Stop();
  TThread::BeforeDestruction();
}

void TChangeHandlerThread::Stop() {
  if (FStopped) return;
  FStopped = true;
  {
    TLock lock(FLock);
    FCommand = cmdStop;
    FCommandWaiting = true;
  }
  SetEvent(FCommandEvent);
  if (WaitForSingleObject(Handle(), StopWaitMs) == WAIT_TIMEOUT) {
    // The thread may still be reading the table: it is not touched before the thread is gone.
    WaitFor();
  }
  for (int i = 0; i < SlotCount; ++i) CloseSlot(i);
  if (FPendingHandle != INVALID_HANDLE_VALUE) FindCloseChangeNotification(FPendingHandle);
  FPendingHandle = INVALID_HANDLE_VALUE;
}

void TChangeHandlerThread::CloseSlot(int Slot) {
  if (Slot < 0 || Slot >= SlotCount || FSlots[size_t(Slot)] == INVALID_HANDLE_VALUE) return;
  FindCloseChangeNotification(FSlots[size_t(Slot)]);
  FSlots[size_t(Slot)] = INVALID_HANDLE_VALUE;
}

bool TChangeHandlerThread::Run(TCommand Command) {
  uint32_t ticket;
  {
    TLock lock(FLock);
    FCommand = Command;
    FCommandWaiting = true;
    ticket = ++FIssued;
  }
  ResetEvent(FAckEvent);
  SetEvent(FCommandEvent);
  DWORD start = GetTickCount();
  for (;;) {
    DWORD spent = GetTickCount() - start;
    WaitForSingleObject(FAckEvent, spent < CommandWaitMs ? CommandWaitMs - spent : 0);
    TLock lock(FLock);
    if (FDone == ticket) return true;
    if (GetTickCount() - start >= CommandWaitMs) {
      // Not taken in time: take it back, so the thread never carries it out behind our back.
      if (FCommandWaiting && FIssued == ticket) FCommandWaiting = false;
      return false;
    }
  }
}

bool TChangeHandlerThread::AddWatch(const std::string& Path, DWORD Filter, bool WatchSubtree, int& Slot) {
  Slot = -1;
  HANDLE h = FindFirstChangeNotificationA(Path.c_str(), WatchSubtree, Filter);
  if (h == INVALID_HANDLE_VALUE) return false;
  {
    TLock lock(FLock);
    // A handle left pending by a refused add would leak if simply replaced.
    if (FPendingHandle != INVALID_HANDLE_VALUE) FindCloseChangeNotification(FPendingHandle);
    FPendingHandle = h;
  }
  bool answered = Run(cmdAdd);
  TLock lock(FLock);
  if (answered) Slot = FResultSlot;
  if (!answered || Slot == -1) {
    // Withdrawn or the table is full: the handle is ours again and nobody will wait on it.
    if (FPendingHandle != INVALID_HANDLE_VALUE) FindCloseChangeNotification(FPendingHandle);
    FPendingHandle = INVALID_HANDLE_VALUE;
    return false;
  }
  return true;
}

bool TChangeHandlerThread::RemoveWatch(int Slot) {
  {
    TLock lock(FLock);
    FSlotToRemove = Slot;
  }
  return Run(cmdRemove);
}

bool TChangeHandlerThread::RemoveAllWatches() { return Run(cmdRemoveAll); }

void TChangeHandlerThread::Execute() {
  HANDLE waits[SlotCount + 1];
  int slotOf[SlotCount + 1];
  for (;;) {
    DWORD count = 1;
    waits[0] = FCommandEvent;
    {
      TLock lock(FLock);
      for (int i = 0; i < SlotCount; ++i)
        if (FSlots[size_t(i)] != INVALID_HANDLE_VALUE) {
          waits[count] = FSlots[size_t(i)];
          slotOf[count++] = i;
        }
    }
    DWORD r = WaitForMultipleObjects(count, waits, FALSE, INFINITE);
    if (r == WAIT_OBJECT_0) {
      bool ran = false;
      {
        TLock lock(FLock);
        if (!FCommandWaiting) continue;   // withdrawn by its caller
        FCommandWaiting = false;
        switch (FCommand) {
          case cmdAdd: {
            FResultSlot = -1;
            for (int i = 0; i < SlotCount; ++i)
              if (FSlots[size_t(i)] == INVALID_HANDLE_VALUE) {
                FSlots[size_t(i)] = FPendingHandle;
                FPendingHandle = INVALID_HANDLE_VALUE;
                FResultSlot = i;
                break;
              }
            break;
          }
          case cmdRemove:
            CloseSlot(FSlotToRemove);
            break;
          case cmdRemoveAll:
            for (int i = 0; i < SlotCount; ++i) CloseSlot(i);
            break;
          case cmdStop:
            return;
        }
        FDone = FIssued;
        ran = true;
      }
      if (ran) SetEvent(FAckEvent);
    } else if (r > WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + count) {
      int slot = slotOf[r - WAIT_OBJECT_0];
      if (FWindow) PostMessageA(FWindow, FMessage, WPARAM(slot), 0);
      TLock lock(FLock);
      if (!FindNextChangeNotification(FSlots[size_t(slot)])) CloseSlot(slot);
    } else if (r > WAIT_ABANDONED_0 && r < WAIT_ABANDONED_0 + count) {
      TLock lock(FLock);
      CloseSlot(slotOf[r - WAIT_ABANDONED_0]);
    } else {
      Sleep(10);   // a failed wait: build the array again without spinning
    }
  }
}
