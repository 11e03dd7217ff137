#pragma once
// Helpers shared by the kits' window tests: the forms library for the whole program, message pumping,
// forms freed the class library's way, and pixels of memory bitmaps and painted controls.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "Forms.h"

// Starts the forms library for the whole test program and runs the units' registrations.
class TKitsEnvironment : public ::testing::Environment {
public:
  explicit TKitsEnvironment(std::initializer_list<void (*)()> Registers) : FRegisters(Registers) {}
  void SetUp() override;
  void TearDown() override;

private:
  std::vector<void (*)()> FRegisters;
};

// Processes messages for Ms milliseconds.
void Pump(int Ms);

// Processes messages until Done() holds or TimeoutMs passed; gives Done()'s last answer.
template <class F>
bool PumpUntil(F Done, int TimeoutMs = 3000) {
  DWORD start = GetTickCount();
  while (!Done()) {
    Application->ProcessMessages();
    if (GetTickCount() - start > DWORD(TimeoutMs)) return Done();
    Sleep(1);
  }
  return true;
}

struct FormDeleter {
  void operator()(TCustomForm* f) const { TObject::Free(f); }
};
template <class F = TForm>
using Owned = std::unique_ptr<F, FormDeleter>;

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

// A key pressed and released, posted to Wnd as the keyboard would send it.
void PostKey(HWND Wnd, WORD Vk);
// Each character of Text typed into Wnd: key down and up, whose character the message loop makes;
// a character that needs Shift comes as its character message alone.
void PostTyping(HWND Wnd, const std::string& Text);
