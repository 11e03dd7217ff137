// A component that passes the application's events to its own (several can be placed on forms).
#pragma once

#include "Classes.h"
#include "Forms.h"

class TApplicationEvents : public TComponent, public TApplicationEventSet {
  YOZ_CLASS(TApplicationEvents, TComponent)
public:
  explicit TApplicationEvents(TComponent* AOwner);
  ~TApplicationEvents() override;

  static void Publish(TPublisher<TApplicationEvents>& p);
};

void RegisterAppEvntsClasses();
