// The program: the units start, the application makes its main window and runs until it ends.
#include <windows.h>

#include "Forms.h"
#include "Main.h"
#include "SelectDepartment.h"
#include "SelectStatus.h"
#include "StBase.h"
#include "StShBase.h"
#include "UPTSplitter.h"
#include "dxBar.h"
#include "dxfLabel.h"
#include "Settings.h"
#include "yOZComments.h"
#include "yOZDepartments.h"
#include "yOZMessageInBox.h"
#include "yOZMessages.h"
#include "yOZStatuses.h"
#include "yOZUsers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitForms();
  yOZInitializeUnits();
  int code = 0;
  try {
    Application->Initialize();
    Application->SetTitle("yOZ");
    Application->CreateForm(frmMain);
    Application->CreateForm(frmSettings);
    Application->CreateForm(frmyOZDepartments);
    Application->CreateForm(frmyOZStatuses);
    Application->CreateForm(frmyOZComments);
    Application->CreateForm(frmyOZUsers);
    Application->CreateForm(frmSelectStatus);
    Application->CreateForm(frmyOZMessages);
    Application->CreateForm(frmyOZMessageInBox);
    Application->CreateForm(frmSelectDepartment);
    ConnectMainDialogs();
    Application->Run();
  } catch (...) {
    Application->HandleException(Application);
    code = 1;
  }
  DoneForms();
  dxBarFinalize();
  dxfLabelFinalize();
  UPTSplitterFinalize();
  StShBaseFinalize();
  StBaseFinalize();
  return code;
}
