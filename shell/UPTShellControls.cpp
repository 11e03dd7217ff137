// Start and end of the shell controls unit.
#include "UPTShellControls.h"
#include "UPTShellList.h"
#include "UPTShellTree.h"

namespace {
UINT ShellIDListFormat = 0;
}

UINT PTShellIDListFormat() { return ShellIDListFormat; }

void UPTShellControlsInitialize() {
  UPTShellUtilsInitialize();
  // The data objects offer their item lists in this format.
  ShellIDListFormat = RegisterClipboardFormatA("Shell IDList Array");
  // The command keys come from their texts once, before any control asks.
  PTShellShortCut(pskSelectAll);
  UPTShellTreeInitialize();
  UPTShellListInitialize();
}

void UPTShellControlsFinalize() { UPTShellUtilsFinalize(); }
