// Rectangle arithmetic the windows' frames share.
#pragma once

#include <windows.h>

// R less the insets on each side; a rectangle too small for them becomes empty, never inside out
// (a window too small for its frame gets an empty client area).
inline void DeflateRect(RECT& R, const RECT& Insets) {
  R.left += Insets.left;
  R.top += Insets.top;
  R.right -= Insets.right;
  R.bottom -= Insets.bottom;
  if (R.right < R.left) R.right = R.left;
  if (R.bottom < R.top) R.bottom = R.top;
}
