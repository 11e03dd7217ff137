// The application's events fanned out to every TApplicationEvents component.
#include "AppEvnts.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<TApplicationEvents*> Instances;
bool Hooked = false;

// The application's own events, while any component exists, run every component's (newest first).
struct TDispatcher {
  void Activate(TObject* Sender) {
    for (auto* e : Copy()) e->OnActivate(Sender);
  }
  void Deactivate(TObject* Sender) {
    for (auto* e : Copy()) e->OnDeactivate(Sender);
  }
  void Minimize(TObject* Sender) {
    for (auto* e : Copy()) e->OnMinimize(Sender);
  }
  void Restore(TObject* Sender) {
    for (auto* e : Copy()) e->OnRestore(Sender);
  }
  void Hint(TObject* Sender) {
    for (auto* e : Copy()) e->OnHint(Sender);
  }
  void Idle(TObject* Sender, bool& Done) {
    for (auto* e : Copy()) e->OnIdle(Sender, Done);
  }
  void ExceptionRaised(TObject* Sender, Exception* E) {
    for (auto* e : Copy())
      if (e->OnException) {
        e->OnException(Sender, E);
        return;
      }
    Application->ShowException(E);
  }
  void Message(MSG& Msg, bool& Handled) {
    for (auto* e : Copy()) {
      e->OnMessage(Msg, Handled);
      if (Handled) return;
    }
  }
  static std::vector<TApplicationEvents*> Copy() {
    return std::vector<TApplicationEvents*>(Instances.rbegin(), Instances.rend());
  }
};
TDispatcher Dispatcher;

void Hook() {
  if (Hooked || !Application) return;
  Hooked = true;
  Application->OnActivate = Bind(&Dispatcher, &TDispatcher::Activate);
  Application->OnDeactivate = Bind(&Dispatcher, &TDispatcher::Deactivate);
  Application->OnMinimize = Bind(&Dispatcher, &TDispatcher::Minimize);
  Application->OnRestore = Bind(&Dispatcher, &TDispatcher::Restore);
  Application->OnHint = Bind(&Dispatcher, &TDispatcher::Hint);
  Application->OnIdle = Bind(&Dispatcher, &TDispatcher::Idle);
  Application->OnException = Bind(&Dispatcher, &TDispatcher::ExceptionRaised);
  Application->OnMessage = Bind(&Dispatcher, &TDispatcher::Message);
}

void Unhook() {
  if (!Hooked) return;
  Hooked = false;
  if (Application) static_cast<TApplicationEventSet&>(*Application) = TApplicationEventSet();
}

}  // namespace

TApplicationEvents::TApplicationEvents(TComponent* AOwner) : TComponent(AOwner) {
  Instances.push_back(this);
  Hook();
}

TApplicationEvents::~TApplicationEvents() {
  Instances.erase(std::remove(Instances.begin(), Instances.end(), this), Instances.end());
  if (Instances.empty()) Unhook();
}

void TApplicationEvents::Publish(TPublisher<TApplicationEvents>& p) {
  p.Event("OnActivate", &TApplicationEvents::OnActivate);
  p.Event("OnDeactivate", &TApplicationEvents::OnDeactivate);
  p.Event("OnMinimize", &TApplicationEvents::OnMinimize);
  p.Event("OnRestore", &TApplicationEvents::OnRestore);
  p.Event("OnHint", &TApplicationEvents::OnHint);
  p.Event("OnIdle", &TApplicationEvents::OnIdle);
  p.Event("OnException", &TApplicationEvents::OnException);
  p.Event("OnMessage", &TApplicationEvents::OnMessage);
}

void RegisterAppEvntsClasses() { RegisterClass(TApplicationEvents::StaticClass()); }
