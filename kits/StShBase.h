// Base of the system-tools kit's shell components: knows the version of the shell library.
#pragma once

#include "StBase.h"

class TStShellComponent : public TStComponent {
  YOZ_CLASS(TStShellComponent, TStComponent)
public:
  // Reads the file version of the system folder's shell32.dll (EStVersionInfoError when it has none).
  explicit TStShellComponent(TComponent* AOwner);
  // The shell library's version as a number, e.g. 4.72 or 6.0.
  double ShellVersion() const { return FShellVersion; }

protected:
  double FShellVersion = 0;
};

// The clipboard format "Shell IDList Array" registered at start-up (0 before).
UINT StShellIDListFormat();
// An entry point of shell32.dll looked up by ordinal at start-up (nullptr when missing or not one of
// the ordinals the kit looks up).
FARPROC StShellEntry(int Ordinal);

// Unit start and end: registers the clipboard format, loads shell32.dll and looks up its entry points;
// the end frees the library again.
void StShBaseInitialize();
void StShBaseFinalize();
