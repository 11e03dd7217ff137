#include "Graphics.h"

#include "GraphicsInternal.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------------------
// The canvas

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
  InitializeCriticalSection(&FLock);
  FFont->OnChange = Bind(this, &TCanvas::FontChanged);
  FPen->OnChange = Bind(this, &TCanvas::PenChanged);
  FBrush->OnChange = Bind(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  delete FFont;
  delete FPen;
  delete FBrush;
  DeleteCriticalSection(&FLock);
}

// Code that draws on the handle itself (DrawText, ExtTextOut...) gets the canvas's font, pen and brush
// selected, as the canvas's own drawing does.
HDC TCanvas::Handle() {
  RequiredState(csHandleValid | csFontValid | csPenValid | csBrushValid);
  return FHandle;
}

void TCanvas::SetHandle(HDC value) {
  if (value == FHandle) return;
  if (FHandle) {
    DeselectHandles();
    POINT p;
    if (GetCurrentPositionEx(FHandle, &p)) FPenPos = p;
    FHandle = nullptr;
    FState = 0;
  }
  if (value) {
    FHandle = value;
    FState = csHandleValid;
    MoveToEx(FHandle, FPenPos.x, FPenPos.y, nullptr);
  }
}

void TCanvas::DeselectHandles() {
  if (!FHandle || !(FState & (csFontValid | csPenValid | csBrushValid))) return;
  SelectObject(FHandle, GetStockObject(BLACK_PEN));
  SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  FState &= uint8_t(~(csFontValid | csPenValid | csBrushValid));
}

void TCanvas::RequiredState(uint8_t state) {
  uint8_t needed = state & uint8_t(~FState);
  if (!needed) return;
  if (needed & csHandleValid) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
    FState |= csHandleValid;
  }
  if (needed & csFontValid) UseFont();
  if (needed & csPenValid) UsePen();
  if (needed & csBrushValid) UseBrush();
}

void TCanvas::UseFont() {
  SelectObject(FHandle, FFont->Handle());
  SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  FState |= csFontValid;
}

void TCanvas::UsePen() {
  static const int rop2[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                             R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,
                             R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
  SelectObject(FHandle, FPen->Handle());
  SetROP2(FHandle, rop2[FPen->Mode()]);
  FState |= csPenValid;
}

// A solid brush also gives text its background; any other brush leaves text transparent.
void TCanvas::UseBrush() {
  HBRUSH b = FBrush->Handle();
  UnrealizeObject(b);
  SelectObject(FHandle, b);
  if (FBrush->Style() == bsSolid) {
    SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
    SetBkMode(FHandle, OPAQUE);
  } else {
    SetBkColor(FHandle, ~ColorToRGB(FBrush->Color()) & 0xFFFFFF);
    SetBkMode(FHandle, TRANSPARENT);
  }
  FState |= csBrushValid;
}

void TCanvas::FontChanged(TObject*) {
  if (FState & csFontValid) {
    FState &= uint8_t(~csFontValid);
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
}

void TCanvas::PenChanged(TObject*) {
  if (FState & csPenValid) {
    FState &= uint8_t(~csPenValid);
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (FState & csBrushValid) {
    FState &= uint8_t(~csBrushValid);
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  }
}

void TCanvas::Changing() { OnChanging(this); }
void TCanvas::Changed() { OnChange(this); }

POINT TCanvas::PenPos() {
  RequiredState(csHandleValid);
  POINT p{};
  GetCurrentPositionEx(FHandle, &p);
  return p;
}

RECT TCanvas::ClipRect() {
  RequiredState(csHandleValid);
  RECT r{};
  GetClipBox(FHandle, &r);
  return r;
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState(csHandleValid);
  MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::LineTo(FHandle, x, y);
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Rectangle(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Ellipse(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Polygon(const POINT* points, int count) {
  if (count <= 0) return;
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Polygon(FHandle, points, count);
  Changed();
}

void TCanvas::Polyline(const POINT* points, int count) {
  if (count <= 0) return;
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Polyline(FHandle, points, count);
  Changed();
}

void TCanvas::FillRect(const RECT& r) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  ::FillRect(FHandle, &r, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const RECT& r) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  ::FrameRect(FHandle, &r, FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const RECT& r) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  ::DrawFocusRect(FHandle, &r);
  Changed();
}

// The pen ends after the text, as a run of TextOut calls expects.
void TCanvas::TextOut(int x, int y, const std::string& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  ExtTextOutA(FHandle, x, y, 0, nullptr, text.data(), UINT(text.size()), nullptr);
  SIZE sz{};
  GetTextExtentPoint32A(FHandle, text.data(), int(text.size()), &sz);
  MoveToEx(FHandle, x + sz.cx, y, nullptr);
  Changed();
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::string& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  UINT options = ETO_CLIPPED;
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(FHandle, x, y, options, &r, text.data(), UINT(text.size()), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& text) {
  RequiredState(csHandleValid | csFontValid);
  SIZE sz{};
  GetTextExtentPoint32A(FHandle, text.data(), int(text.size()), &sz);
  return sz;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  RECT r{x, y, x + graphic->Width(), y + graphic->Height()};
  graphic->Draw(this, r);
}

void TCanvas::StretchDraw(const RECT& r, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  graphic->Draw(this, r);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* canvas, const RECT& source) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  canvas->RequiredState(csHandleValid | csBrushValid);
  int oldMode = SetStretchBltMode(FHandle, COLORONCOLOR);
  StretchBlt(FHandle, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, canvas->FHandle,
             source.left, source.top, source.right - source.left, source.bottom - source.top, FCopyMode);
  SetStretchBltMode(FHandle, oldMode);
  Changed();
}

BITMAPINFOHEADER DibHeader(int Width, int Height, int BitCount) {
  BITMAPINFOHEADER bh{};
  bh.biSize = sizeof bh;
  bh.biWidth = Width;
  bh.biHeight = Height;
  bh.biPlanes = 1;
  bh.biBitCount = WORD(BitCount);
  bh.biCompression = BI_RGB;
  return bh;
}

void MaskedBlt(HDC dest, const RECT& r, HDC src, int sx, int sy, int sw, int sh, COLORREF transparent) {
  if (sw <= 0 || sh <= 0) return;
  TGdiObject<HBITMAP> mask(CreateBitmap(sw, sh, 1, 1, nullptr));
  TMemoryDC maskDC(dest, mask.Handle);
  // Pixels of the transparent colour become 1 (white) in the mask.
  COLORREF oldBk = SetBkColor(src, transparent);
  BitBlt(maskDC.DC, 0, 0, sw, sh, src, sx, sy, SRCCOPY);
  SetBkColor(src, oldBk);

  // A copy of the source with the transparent pixels made black.
  TGdiObject<HBITMAP> img(CreateCompatibleBitmap(dest, sw, sh));
  TMemoryDC imgDC(dest, img.Handle);
  BitBlt(imgDC.DC, 0, 0, sw, sh, src, sx, sy, SRCCOPY);
  SetBkColor(imgDC.DC, RGB(255, 255, 255));
  SetTextColor(imgDC.DC, RGB(0, 0, 0));
  BitBlt(imgDC.DC, 0, 0, sw, sh, maskDC.DC, 0, 0, 0x00220326);  // D and not S

  // Opaque pixels of the destination become black, then the image is merged in.
  int w = r.right - r.left, h = r.bottom - r.top;
  COLORREF oldDestBk = SetBkColor(dest, RGB(255, 255, 255));
  COLORREF oldDestText = SetTextColor(dest, RGB(0, 0, 0));
  int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
  StretchBlt(dest, r.left, r.top, w, h, maskDC.DC, 0, 0, sw, sh, SRCAND);
  StretchBlt(dest, r.left, r.top, w, h, imgDC.DC, 0, 0, sw, sh, SRCPAINT);
  SetStretchBltMode(dest, oldMode);
  SetBkColor(dest, oldDestBk);
  SetTextColor(dest, oldDestText);
}

void TCanvas::BrushCopy(const RECT& dest, TBitmap* bitmap, const RECT& source, TColor color) {
  if (!bitmap || bitmap->Empty()) return;
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  if (FBrush->Style() != bsClear) ::FillRect(FHandle, &dest, FBrush->Handle());
  MaskedBlt(FHandle, dest, bitmap->CanvasDC(), source.left, source.top, source.right - source.left,
            source.bottom - source.top, ColorToRGB(color));
  Changed();
}

TColor TCanvas::Pixels(int x, int y) {
  RequiredState(csHandleValid);
  return TColor(GetPixel(FHandle, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  RequiredState(csHandleValid | csPenValid);
  SetPixel(FHandle, x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::Lock() {
  EnterCriticalSection(&FLock);
  ++FLockCount;
}

bool TCanvas::TryLock() {
  if (!TryEnterCriticalSection(&FLock)) return false;
  ++FLockCount;
  return true;
}

void TCanvas::Unlock() {
  --FLockCount;
  LeaveCriticalSection(&FLock);
}

void TCanvas::Refresh() {
  DeselectHandles();
}
