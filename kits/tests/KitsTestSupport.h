#pragma once
// Helpers of the kits' window tests, on top of the shared test support: plain forms, memory bitmaps,
// painted controls and their pixels.
#include <gtest/gtest.h>

#include <memory>

#include "Forms.h"
#include "TestSupport.h"

// A borderless form at (40, 40) of the given size with a plain background colour, not shown yet.
Owned<TForm> NewForm(int W, int H, TColor Color = clWhite);

// A 24-bit memory bitmap of W x H filled with Fill.
std::unique_ptr<TBitmap> NewBitmap(int W, int H, TColor Fill);
// The control (and its children) painted into a new bitmap of its size over Fill.
std::unique_ptr<TBitmap> PaintedControl(TWinControl* Control, TColor Fill = clFuchsia);
// What the window shows on the screen now (client area).
std::unique_ptr<TBitmap> ScreenShot(TWinControl* Control);

COLORREF At(TBitmap* B, int X, int Y);
// The number of pixels of colour C inside R (clipped to the bitmap).
int CountPixels(TBitmap* B, RECT R, COLORREF C);
// The number of pixels inside R whose colour is not C.
int CountOther(TBitmap* B, RECT R, COLORREF C);
inline COLORREF RGBOf(TColor C) { return ColorToRGB(C) & 0xFFFFFF; }

// Processes messages until the keyboard focus is on Control or on a window inside it (a combo's edit),
// then what is queued.
bool PumpUntilFocusIn(TWinControl* Control, int TimeoutMs = 20000);
// Processes messages until the combo box's list is dropped down, shown and painted.
bool PumpUntilDroppedDown(HWND Combo, int TimeoutMs = 20000);

// Moves the pointer to a screen point with real input (hold it there with THoldPointer).
void MovePointer(POINT Screen);

// A key pressed and released, posted to Wnd as the keyboard would send it.
void PostKey(HWND Wnd, WORD Vk);
// Each character of Text typed into Wnd: key down and up, whose character the message loop makes;
// a character that needs Shift comes as its character message alone.
void PostTyping(HWND Wnd, const std::string& Text);
