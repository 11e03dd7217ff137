// The program: the units start, the application makes its main window and runs until it ends.
#include <windows.h>

#include "Forms.h"
#include "Main.h"
#include "StBase.h"
#include "StShBase.h"
#include "UPTSplitter.h"
#include "dxfLabel.h"
#include "Settings.h"
#include "yOZMessages.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitForms();
  yOZInitializeUnits();
  int code = 0;
  try {
    Application->Initialize();
    Application->SetTitle("yOZ");
    Application->CreateForm(frmMain);
    Application->CreateForm(frmSettings);
    // The settings, administration, picker and inbox windows join here as they are built.
    Application->CreateForm(frmyOZMessages);
    Application->Run();
  } catch (...) {
    Application->HandleException(Application);
    code = 1;
  }
  DoneForms();
  dxfLabelFinalize();
  UPTSplitterFinalize();
  StShBaseFinalize();
  StBaseFinalize();
  return code;
}
