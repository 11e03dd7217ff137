#pragma once
// Shared by the implementation files of Graphics (and the units that draw through bitmaps) only.
#include <windows.h>

#include <string>

// A bitmap or icon resource; Shown names it in the error when there is none.
HANDLE LoadResourceImage(HINSTANCE instance, LPCSTR name, const std::string& shown, UINT type, UINT flags);
