// Graphics over GDI: colours, fonts, brushes, pens, the canvas, and the pictures drawn on it (bitmaps,
// icons, and the picture container that form resources store).
//
// GDI objects are made lazily: a TFont, TBrush or TPen holds its description and creates its handle
// the first time the handle is asked for; a change of the description frees the handle and fires
// OnChange. A TCanvas selects its font, pen and brush into its device context only when a drawing call
// needs them, and puts the stock objects back before the context is given up or swapped.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "SysUtils.h"

// ---------------------------------------------------------------------------------------------------
// Colours: 0x00BBGGRR, or 0x80000000 + a COLOR_* index for the user's system colours.

using TColor = int32_t;

constexpr TColor clSystemColor = TColor(0x80000000u);
constexpr TColor SysColor(int index) { return TColor(0x80000000u | unsigned(index)); }

constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SysColor(COLOR_MENU);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;     // no colour: nothing is painted
constexpr TColor clDefault = 0x20000000;  // the owner's choice (a bitmap: its bottom-left pixel)

// The RGB value of a colour: system colours through GetSysColor.
COLORREF ColorToRGB(TColor color);
// The identifier of a named colour ("clBtnFace"), else "$" and eight hex digits.
std::string ColorToString(TColor color);
// An identifier or an integer ("$FF", "255"); EConvertError for anything else.
TColor StringToColor(const std::string& s);
bool ColorToIdent(int32_t color, std::string& ident);
bool IdentToColor(const std::string& ident, int32_t& color);
// The colour names a published colour property accepts in form resources.
const TIdentMap& ColorIdentMap();

// ---------------------------------------------------------------------------------------------------
// Fonts, brushes and pens

class TGraphicsObject : public TPersistent {
  YOZ_CLASS(TGraphicsObject, TPersistent)
public:
  TNotifyEvent OnChange;

protected:
  virtual void Changed();
  // Puts Value in place of the GDI handle in Handle and tells the users. The old handle may still be
  // selected into a canvas: the canvas drops it while OnChange runs, and only then is it freed.
  template <class H>
  void ReplaceHandle(H& Handle, H Value) {
    H old = Handle;
    Handle = Value;
    Changed();
    if (old) DeleteObject(old);
  }
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;

class TFont : public TGraphicsObject {
  YOZ_CLASS(TFont, TGraphicsObject)
public:
  TFont();
  ~TFont() override;

  HFONT Handle();
  // Takes over a font handle: the description is read back from it and the handle is freed by this
  // font when it is replaced.
  void SetHandle(HFONT value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  const std::string& Name() const { return FName; }
  void SetName(const std::string& value);
  int32_t Size() const;
  void SetSize(int32_t value);
  int32_t Height() const { return FHeight; }
  void SetHeight(int32_t value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch value);
  // Escapement and orientation in tenths of a degree (rotated text).
  int32_t Orientation() const { return FOrientation; }
  void SetOrientation(int32_t value);
  int32_t PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int32_t value) { FPixelsPerInch = value > 0 ? value : FPixelsPerInch; }

  void Assign(TPersistent* source) override;
  static void Publish(TPublisher<TFont>& p);
  // The description as a LOGFONT (what Handle creates).
  LOGFONTA LogFont() const;

private:
  void DescriptionChanged();

  HFONT FHandle = nullptr;
  std::string FName;
  int32_t FHeight;
  int32_t FPixelsPerInch;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  int32_t FOrientation = 0;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBitmap;

class TBrush : public TGraphicsObject {
  YOZ_CLASS(TBrush, TGraphicsObject)
public:
  TBrush();
  ~TBrush() override;

  HBRUSH Handle();
  // Takes over a brush handle (freed by this brush when replaced).
  void SetHandle(HBRUSH value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value);
  // A pattern brush made from the bitmap (not owned; the brush copies what it needs).
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* value);

  void Assign(TPersistent* source) override;
  static void Publish(TPublisher<TBrush>& p);

private:
  void DescriptionChanged();

  HBRUSH FHandle = nullptr;
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
extern const TEnumInfo PenStyleNames;
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
  pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
  YOZ_CLASS(TPen, TGraphicsObject)
public:
  TPen();
  ~TPen() override;

  HPEN Handle();
  void SetHandle(HPEN value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle value);
  // The mix mode (SetROP2) the canvas uses with this pen.
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode value);

  void Assign(TPersistent* source) override;
  static void Publish(TPublisher<TPen>& p);

private:
  void DescriptionChanged();

  HPEN FHandle = nullptr;
  TColor FColor = clBlack;
  int32_t FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

// ---------------------------------------------------------------------------------------------------
// The canvas

class TGraphic;

using TCopyMode = DWORD;  // a raster operation (SRCCOPY...)

class TCanvas : public TPersistent {
  YOZ_CLASS(TCanvas, TPersistent)
  friend class TBitmap;
  friend class TIcon;
  friend class TJPEGImage;

public:
  TCanvas();
  ~TCanvas() override;

  // The device context; a canvas without one asks CreateHandle, and raises EInvalidOperation when it
  // still has none.
  HDC Handle();
  // Swaps the device context: the stock objects go back into the old one, and the font, pen and brush
  // are selected into the new one when next needed. The canvas never frees a context it was given.
  void SetHandle(HDC value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() const { return FFont; }
  void SetFont(TFont* value) { FFont->Assign(value); }
  TPen* Pen() const { return FPen; }
  void SetPen(TPen* value) { FPen->Assign(value); }
  TBrush* Brush() const { return FBrush; }
  void SetBrush(TBrush* value) { FBrush->Assign(value); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode value) { FCopyMode = value; }
  POINT PenPos();
  RECT ClipRect();

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const RECT& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const RECT& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
  void Polygon(const POINT* points, int count);
  void Polygon(const std::vector<POINT>& points) { Polygon(points.data(), int(points.size())); }
  void Polyline(const POINT* points, int count);
  void Polyline(const std::vector<POINT>& points) { Polyline(points.data(), int(points.size())); }
  // Fills with the brush (no outline); FrameRect draws a one-pixel border with the brush.
  void FillRect(const RECT& r);
  void FrameRect(const RECT& r);
  void DrawFocusRect(const RECT& r);

  // (windows.h makes TextOut a macro for TextOutA; declaration and callers both see it.)
  void TextOut(int x, int y, const std::string& text);
  // The text at (x, y), clipped to r; the brush fills r unless it is clear.
  void TextRect(const RECT& r, int x, int y, const std::string& text);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }

  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const RECT& r, TGraphic* graphic);
  // Copies source's rectangle to dest with CopyMode, stretching when the sizes differ.
  void CopyRect(const RECT& dest, TCanvas* canvas, const RECT& source);
  // Copies the bitmap's rectangle, the pixels of `color` showing the brush instead.
  void BrushCopy(const RECT& dest, TBitmap* bitmap, const RECT& source, TColor color);

  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);

  // Serialises drawing from several threads; Refresh reselects font, pen and brush.
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return FLockCount; }
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  // A derived canvas finds its device context here when one is first needed.
  virtual void CreateHandle() {}
  // Puts the stock objects back so the context can be released or swapped.
  void DeselectHandles();
  virtual void Changing();
  virtual void Changed();

  enum : uint8_t { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
  void RequiredState(uint8_t state);

private:
  void UseFont();
  void UsePen();
  void UseBrush();
  void FontChanged(TObject* sender);
  void PenChanged(TObject* sender);
  void BrushChanged(TObject* sender);

  HDC FHandle = nullptr;
  uint8_t FState = 0;
  TFont* FFont;
  TPen* FPen;
  TBrush* FBrush;
  POINT FPenPos{0, 0};
  TCopyMode FCopyMode = SRCCOPY;
  CRITICAL_SECTION FLock;
  int FLockCount = 0;
};

// "BM", the first two bytes of a BMP file.
constexpr WORD BmpSignature = 0x4D42;

// The header of an uncompressed DIB; a negative Height makes it top-down.
BITMAPINFOHEADER DibHeader(int Width, int Height, int BitCount);

// Draws the part (sx, sy, sw, sh) of a source context into r, leaving the pixels of `transparent`
// unpainted: the destination keeps what it had there (or what the caller filled in before).
void MaskedBlt(HDC dest, const RECT& r, HDC src, int sx, int sy, int sw, int sh, COLORREF transparent);

// ---------------------------------------------------------------------------------------------------
// Scope objects for device contexts and GDI objects: each gives back what it took however the block
// ends, and only what it took.

// A canvas lent a device context for one block (a paint, an owner-draw item, a window's frame): it
// draws on DC now and lets go of it at the end, unlocking itself when the scope locked it.
class TCanvasHandleScope {
public:
  TCanvasHandleScope(TCanvas* Canvas, HDC DC, bool Lock = false) : FCanvas(Canvas), FLocked(Lock) {
    if (FLocked) FCanvas->Lock();
    FCanvas->SetHandle(DC);
  }
  ~TCanvasHandleScope() {
    FCanvas->SetHandle(nullptr);
    if (FLocked) FCanvas->Unlock();
  }
  TCanvasHandleScope(const TCanvasHandleScope&) = delete;
  TCanvasHandleScope& operator=(const TCanvasHandleScope&) = delete;

private:
  TCanvas* FCanvas;
  bool FLocked;
};

// The device context of a window's client area (Whole: of the whole window, frame included), or of the
// screen when Wnd is null; released at the end. DC is null when the window gave none.
class TWindowDC {
public:
  explicit TWindowDC(HWND Wnd = nullptr, bool Whole = false)
      : FWnd(Wnd), DC(Whole ? GetWindowDC(Wnd) : GetDC(Wnd)) {}
  ~TWindowDC() {
    if (DC) ReleaseDC(FWnd, DC);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;

private:
  HWND FWnd;

public:
  HDC DC;
};
// A device context of the screen for the calls that want one.
using ScreenDC = TWindowDC;

// Obj selected into DC for the block; the object selected before comes back at the end.
class TSelectObject {
public:
  TSelectObject(HDC DC, HGDIOBJ Obj) : FDC(DC), FOld(Obj ? SelectObject(DC, Obj) : nullptr) {}
  ~TSelectObject() {
    if (FOld) SelectObject(FDC, FOld);
  }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// A GDI object (bitmap, brush, pen, font, region) this block made; deleted at the end. Declare it
// before the scope that selects it, so it is deselected first.
template <class H>
class TGdiObject {
public:
  explicit TGdiObject(H Handle = nullptr) : Handle(Handle) {}
  ~TGdiObject() {
    if (Handle) DeleteObject(Handle);
  }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  // Hands the object over to a new owner.
  H Release() { return std::exchange(Handle, nullptr); }
  H Handle;
};

// A memory device context compatible with Like (the screen when null), with Selected (typically a
// bitmap) selected into it for its lifetime; the context is deleted at the end, the bitmap is not.
class TMemoryDC {
public:
  explicit TMemoryDC(HDC Like = nullptr, HGDIOBJ Selected = nullptr)
      : DC(CreateCompatibleDC(Like)), FOld(DC && Selected ? SelectObject(DC, Selected) : nullptr) {}
  ~TMemoryDC() {
    if (!DC) return;
    if (FOld) SelectObject(DC, FOld);
    DeleteDC(DC);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC DC;

private:
  HGDIOBJ FOld;
};

// ---------------------------------------------------------------------------------------------------
// Pictures

class TGraphic : public TPersistent {
  YOZ_CLASS(TGraphic, TPersistent)
public:
  virtual bool Empty() = 0;
  virtual int32_t Width() = 0;
  virtual void SetWidth(int32_t value) = 0;
  virtual int32_t Height() = 0;
  virtual void SetHeight(int32_t value) = 0;
  virtual bool Transparent() { return FTransparent; }
  virtual void SetTransparent(bool value);
  bool Modified() const { return FModified; }
  void SetModified(bool value);

  virtual void LoadFromStream(TStream* stream) = 0;
  virtual void SaveToStream(TStream* stream) = 0;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  // The graphic's stream from an RCDATA resource of the module (bitmaps and icons read their own
  // resource types, through TakeResourceImage); EResNotFound when it is missing.
  virtual void LoadFromResourceName(HINSTANCE instance, const std::string& name);
  virtual void LoadFromResourceID(HINSTANCE instance, int id);

  TNotifyEvent OnChange;

  // Draw and StretchDraw of a canvas land here.
  virtual void Draw(TCanvas* canvas, const RECT& r) = 0;

  // A published picture stores itself as the binary property "Data": the graphic's own stream.
  void DefineProperties(TFiler* filer) override;

protected:
  virtual void Changed();
  // A graphic held as a GDI image takes the resource Name (a string or an ID) of its own image type,
  // Shown naming it in the error, and answers true; the others answer false and read RCDATA.
  virtual bool TakeResourceImage(HINSTANCE, LPCSTR, const std::string&) { return false; }

private:
  bool FTransparent = false;
  bool FModified = false;
};

// Subclasses that TPicture can create by class name.
using TGraphicClass = TGraphic* (*)();

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };

class TBitmap : public TGraphic {
  YOZ_CLASS(TBitmap, TGraphic)
public:
  TBitmap();
  ~TBitmap() override;

  bool Empty() override { return FWidth == 0 || FHeight == 0; }
  int32_t Width() override { return FWidth; }
  void SetWidth(int32_t value) override { SetSize(value, FHeight); }
  int32_t Height() override { return FHeight; }
  void SetHeight(int32_t value) override { SetSize(FWidth, value); }
  void SetSize(int32_t width, int32_t height);

  // The bitmap handle; made on demand. Asking for it takes the bitmap out of its canvas's context so
  // the caller may select it elsewhere.
  HBITMAP Handle();
  // Takes over a bitmap handle (freed by this bitmap).
  void SetHandle(HBITMAP value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Gives up the handle without freeing it.
  HBITMAP ReleaseHandle();
  TBitmapHandleType HandleType() const;

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat value);
  bool Monochrome() const { return FPixelFormat == pf1bit; }
  void SetMonochrome(bool value);

  // The colour that counts as transparent: the fixed TransparentColor, or the bottom-left pixel.
  TColor TransparentColor();
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode value);

  TCanvas* Canvas();

  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void Assign(TPersistent* source) override;

  void Draw(TCanvas* canvas, const RECT& r) override;

private:
  friend class TBitmapCanvas;
  friend class TCanvas;
  void CanvasChanged(TObject* sender);
  void ReadBitmap(TStream* stream);
  void HandleNeeded();
  void NewImage(HBITMAP handle);
  void FreeContext();
  // Selects the bitmap into the canvas's memory context (made on demand).
  HDC CanvasDC();
  bool TakeResourceImage(HINSTANCE instance, LPCSTR name, const std::string& shown) override;

  HBITMAP FHandle = nullptr;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
  TCanvas* FCanvas = nullptr;
};

class TIcon : public TGraphic {
  YOZ_CLASS(TIcon, TGraphic)
public:
  TIcon() = default;
  ~TIcon() override;

  bool Empty() override { return FHandle == nullptr; }
  int32_t Width() override;
  void SetWidth(int32_t value) override;
  int32_t Height() override;
  void SetHeight(int32_t value) override;

  HICON Handle() const { return FHandle; }
  // Takes over an icon handle (destroyed by this icon).
  void SetHandle(HICON value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  HICON ReleaseHandle();

  // An .ico stream: the image nearest the system icon size is used and the whole file is kept, so
  // saving writes back what was read.
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void Assign(TPersistent* source) override;

  void Draw(TCanvas* canvas, const RECT& r) override;

private:
  void ReadIcon(TStream* stream);
  void NewImage(HICON handle, std::string data);
  void SizeNeeded();
  bool TakeResourceImage(HINSTANCE instance, LPCSTR name, const std::string& shown) override;

  HICON FHandle = nullptr;
  std::string FData;  // the .ico file the icon came from, when it came from one
  int32_t FWidth = 0;
  int32_t FHeight = 0;
};

// A holder of one graphic of any registered kind; what forms store for images.
class TPicture : public TPersistent {
  YOZ_CLASS(TPicture, TPersistent)
public:
  TPicture() = default;
  ~TPicture() override;

  TGraphic* Graphic() const { return FGraphic; }
  // Stores a copy of the graphic (nil empties the picture).
  void SetGraphic(TGraphic* value);
  // The graphic as a bitmap / icon; a picture holding another kind is emptied and given one.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* value) { SetGraphic(value); }
  TIcon* Icon();
  void SetIcon(TIcon* value) { SetGraphic(value); }
  int32_t Width() const;
  int32_t Height() const;

  // The kind is chosen by the file's extension (.bmp, .ico, .jpg, .jpeg).
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  void Assign(TPersistent* source) override;

  // "Data": one length byte and the graphic's class name, then the graphic's stream.
  void DefineProperties(TFiler* filer) override;
  void ReadData(TStream* stream);
  void WriteData(TStream* stream);

  TNotifyEvent OnChange;

protected:
  virtual void Changed(TObject* sender);

private:
  void TakeGraphic(TGraphic* graphic);
  TGraphic* FGraphic = nullptr;
};
