#include "StShBase.h"

#include "StVInfo.h"

TStShellComponent::TStShellComponent(TComponent* AOwner) : TStComponent(AOwner) {
  char dir[MAX_PATH + 1] = {};
  GetSystemDirectoryA(dir, MAX_PATH);
  TStVersionInfo* info = new TStVersionInfo(nullptr);
  TScopeExit freed([info] { TObject::Free(info); });
  info->SetFileName(std::string(dir) + "\\shell32.dll");
  FShellVersion = info->FileVersionFloat();
}
