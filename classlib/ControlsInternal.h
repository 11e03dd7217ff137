// Shared by the implementation files of Controls and Forms only.
#pragma once

#include <windows.h>

class TObject;
class TControlCanvas;

// Hands the exception being caught to the application (or drops it when there is none yet).
void HandleCallbackException(TObject* Sender);
// The window lost the mouse capture: a control that held it through that window lets go.
void ControlsCaptureLost(HWND Wnd);
// Control canvases keep their device context only while few are open; the oldest is given back.
void ControlCanvasOpened(TControlCanvas* Canvas);
void ControlCanvasClosed(TControlCanvas* Canvas);
void FreeControlCanvasDCs();
