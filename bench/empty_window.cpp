// The yardstick of app_bench: an empty window program of ours, started and run the way yOZ.exe is
// (units, application, one form, message loop), with nothing of the board in it.
#include <windows.h>

#include "Forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitForms();
  int code = 0;
  try {
    Application->Initialize();
    Application->SetTitle("yOZ bench");
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("yOZ bench - empty window");
    form->SetBounds(100, 100, 400, 300);
    Application->Run();
  } catch (...) {
    Application->HandleException(Application);
    code = 1;
  }
  DoneForms();
  return code;
}
