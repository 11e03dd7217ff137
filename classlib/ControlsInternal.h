// Shared by the implementation files of Controls and Forms only.
#pragma once

#include <windows.h>

#include "Controls.h"

class TObject;
class TControlCanvas;

// The application window carries the program's task-bar button, with the application's title and
// icon, while the main form shows (Shown); hidden, it takes the button away again.
void ShowTaskBarButton(bool Shown);
// Hands the exception being caught to the application (or drops it when there is none yet).
void HandleCallbackException(TObject* Sender);
// The window lost the mouse capture: a control that held it through that window lets go.
void ControlsCaptureLost(HWND Wnd);
// Control canvases keep their device context only while few are open; the oldest is given back.
void ControlCanvasOpened(TControlCanvas* Canvas);
void ControlCanvasClosed(TControlCanvas* Canvas);
void FreeControlCanvasDCs();

// Sets a flag a control takes from its parent until it is given its own (ShowHint, Ctl3D): from now
// on the value is the control's own. True when the value changed.
inline bool SetOwnFlag(bool& Field, bool& FromParent, bool Value) {
  FromParent = false;
  if (Value == Field) return false;
  Field = Value;
  return true;
}

// Paints through Canvas on a device context lent for one paint (WM_PAINT's or a parent's): the canvas
// gives the context back, and is unlocked, even when painting raises.
template <class F>
void PaintOnLentDC(TControlCanvas* Canvas, HDC DC, F&& Paint) {
  Canvas->FreeHandle();
  TCanvasHandleScope lent(Canvas, DC, true);
  Paint();
}
