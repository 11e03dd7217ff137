#include "KitsTestSupport.h"

#include <algorithm>

Owned<TForm> NewForm(int W, int H, TColor Color) {
  Owned<TForm> f(new TForm(nullptr));
  f->SetBorderStyle(bsNone);
  f->SetColor(Color);
  f->SetBounds(40, 40, W, H);
  return f;
}

std::unique_ptr<TBitmap> NewBitmap(int W, int H, TColor Fill) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(W, H);
  TCanvas* c = b->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Fill);
  c->FillRect(RECT{0, 0, W, H});
  return b;
}

std::unique_ptr<TBitmap> PaintedControl(TWinControl* Control, TColor Fill) {
  auto b = NewBitmap(Control->Width(), Control->Height(), Fill);
  Control->PaintTo(b->Canvas()->Handle(), 0, 0);
  return b;
}

std::unique_ptr<TBitmap> ScreenShot(TWinControl* Control) {
  RECT r;
  ::GetClientRect(Control->Handle(), &r);
  auto b = NewBitmap(r.right, r.bottom, clFuchsia);
  HDC dc = GetDC(Control->Handle());
  BitBlt(b->Canvas()->Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(Control->Handle(), dc);
  return b;
}

COLORREF At(TBitmap* B, int X, int Y) { return ColorToRGB(B->Canvas()->Pixels(X, Y)) & 0xFFFFFF; }

namespace {
template <class F>
int Count(TBitmap* B, RECT R, F Match) {
  R.left = std::max<LONG>(R.left, 0);
  R.top = std::max<LONG>(R.top, 0);
  R.right = std::min<LONG>(R.right, B->Width());
  R.bottom = std::min<LONG>(R.bottom, B->Height());
  HDC dc = B->Canvas()->Handle();
  int n = 0;
  for (int y = R.top; y < R.bottom; ++y)
    for (int x = R.left; x < R.right; ++x)
      if (Match(GetPixel(dc, x, y) & 0xFFFFFF)) ++n;
  return n;
}
}  // namespace

int CountPixels(TBitmap* B, RECT R, COLORREF C) {
  return Count(B, R, [C](COLORREF p) { return p == C; });
}

int CountOther(TBitmap* B, RECT R, COLORREF C) {
  return Count(B, R, [C](COLORREF p) { return p != C; });
}

void PostKey(HWND Wnd, WORD Vk) {
  PostMessageA(Wnd, WM_KEYDOWN, Vk, 1);
  PostMessageA(Wnd, WM_KEYUP, Vk, LPARAM(0xC0000001));
}

void PostTyping(HWND Wnd, const std::string& Text) {
  for (char c : Text) {
    SHORT scan = VkKeyScanA(c);
    if (scan == -1 || (scan & 0x0700)) {
      // A character that needs Shift (or has no key): its character message alone.
      PostMessageA(Wnd, WM_CHAR, WPARAM(uint8_t(c)), 1);
      continue;
    }
    // The message loop's TranslateMessage makes the character from the key.
    PostMessageA(Wnd, WM_KEYDOWN, WPARAM(scan & 0xFF), 1);
    PostMessageA(Wnd, WM_KEYUP, WPARAM(scan & 0xFF), LPARAM(0xC0000001));
  }
}

bool PumpUntilFocusIn(TWinControl* Control, int TimeoutMs) {
  bool in = PumpUntil(
      [&] {
        HWND f = GetFocus();
        return f && (f == Control->Handle() || IsChild(Control->Handle(), f));
      },
      TimeoutMs);
  PumpQueued();
  return in;
}

bool PumpUntilDroppedDown(HWND Combo, int TimeoutMs) {
  return PumpUntil(
      [&] {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        return SendMessageA(Combo, CB_GETDROPPEDSTATE, 0, 0) && GetComboBoxInfo(Combo, &info) && info.hwndList &&
               IsWindowVisible(info.hwndList) && !GetUpdateRect(info.hwndList, nullptr, FALSE);
      },
      TimeoutMs);
}

void MovePointer(POINT Screen) {
  SetCursorPos(Screen.x, Screen.y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(Screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv(Screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}
