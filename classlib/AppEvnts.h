// A component that passes the application's events to its own (several can be placed on forms).
#pragma once

#include "Classes.h"
#include "Forms.h"

class TApplicationEvents : public TComponent {
  YOZ_CLASS(TApplicationEvents, TComponent)
public:
  explicit TApplicationEvents(TComponent* AOwner);
  ~TApplicationEvents() override;

  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  TNotifyEvent OnHint;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TMessageEvent OnMessage;

  static void Publish(TPublisher<TApplicationEvents>& p);
};

void RegisterAppEvntsClasses();
