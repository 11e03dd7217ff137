// Threads and critical sections.
//
// A C++ base constructor cannot start a thread that calls the derived Execute, so a thread always
// begins suspended: the most derived constructor (or the creator) calls Start(). Free() stops and
// waits for a running thread before the derived parts are destroyed.
#pragma once

#include <windows.h>

#include <exception>

#include "ClassesCore.h"

class TThread : public TObject {
  YOZ_CLASS(TThread, TObject)
public:
  TThread();
  ~TThread() override;
  void BeforeDestruction() override;
  void Start();
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  bool Finished() const { return FFinished; }
  // Waits for Execute to end; returns ReturnValue.
  int WaitFor();
  HANDLE Handle() const { return FHandle; }
  // Freed by its own thread once Execute ends (set before Start).
  bool FreeOnTerminate = false;
  int ReturnValue = 0;
  // The exception that ended Execute, if any.
  std::exception_ptr FatalException;

protected:
  virtual void Execute() = 0;

private:
  static DWORD WINAPI ThreadProc(LPVOID Param);
  HANDLE FHandle = nullptr;
  DWORD FThreadID = 0;
  volatile bool FTerminated = false;
  volatile bool FFinished = false;
  bool FStarted = false;
};

class TCriticalSection : public TObject {
  YOZ_CLASS(TCriticalSection, TObject)
public:
  TCriticalSection() { InitializeCriticalSection(&FSection); }
  ~TCriticalSection() override { DeleteCriticalSection(&FSection); }
  void Enter() { EnterCriticalSection(&FSection); }
  void Leave() { LeaveCriticalSection(&FSection); }
  void Release() { Leave(); }

private:
  CRITICAL_SECTION FSection;
};
