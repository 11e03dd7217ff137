// The base of the shell dialogs: a component that runs a modal form with one call, remembers the
// form's size and window state between runs and refuses to run twice at once.
#pragma once

#include <cstdint>
#include <string>

#include "Classes.h"
#include "Forms.h"

class TPTDialog : public TComponent {
  YOZ_CLASS(TPTDialog, TComponent)
public:
  explicit TPTDialog(TComponent* AOwner);

  // Runs the dialog; True on OK. Exception "<class> already executing" when it runs already.
  bool Execute();
  bool Executing() const { return FExecuting; }

  int32_t FormWidth = -1;    // -1: the designed width
  int32_t FormHeight = -1;
  TWindowState FormWindowState = wsNormal;
  std::string Title;
  TNotifyEvent OnInitialized;
  TNotifyEvent OnFormShow;
  TNotifyEvent OnFormClose;

  // The form state as 9 little-endian bytes: width, height (4 each) and the window state (1).
  virtual void ReadFormState(TStream* Stream);
  virtual void WriteFormState(TStream* Stream);

  static void Publish(TPublisher<TPTDialog>& p);

protected:
  virtual void DoInitialized();
  virtual bool DoExecute() = 0;

private:
  bool FExecuting = false;
};
