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
