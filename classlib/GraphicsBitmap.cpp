#include "Graphics.h"

#include "GraphicsInternal.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------------------
// Pictures

void TGraphic::Changed() {
  FModified = true;
  OnChange(this);
}

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed();
  else
    FModified = false;
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

void TGraphic::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  if (TakeResourceImage(instance, name.c_str(), name)) return;
  TResourceStream stream(instance, name, RT_RCDATA);
  LoadFromStream(&stream);
}

void TGraphic::LoadFromResourceID(HINSTANCE instance, int id) {
  if (TakeResourceImage(instance, MAKEINTRESOURCEA(id), IntToStr(int32_t(id)))) return;
  LoadFromResourceName(instance, "#" + IntToStr(int32_t(id)));
}

void TGraphic::DefineProperties(TFiler* filer) {
  filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { LoadFromStream(s); }, [this](TStream* s) { SaveToStream(s); }, !Empty());
}

namespace {

struct BitmapInfo256 {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];
};

int BitsOf(TPixelFormat f) {
  switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
  }
}

// The palette a new paletted bitmap starts with: black and white, the 16 VGA colours, or a colour cube
// with a grey ramp.
int DefaultPalette(int bits, RGBQUAD* colors) {
  if (bits == 1) {
    colors[0] = RGBQUAD{0, 0, 0, 0};
    colors[1] = RGBQUAD{255, 255, 255, 0};
    return 2;
  }
  if (bits == 4) {
    static const COLORREF vga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int i = 0; i < 16; ++i)
      colors[i] = RGBQUAD{GetBValue(vga[i]), GetGValue(vga[i]), GetRValue(vga[i]), 0};
    return 16;
  }
  int n = 0;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) colors[n++] = RGBQUAD{BYTE(b * 51), BYTE(g * 51), BYTE(r * 51), 0};
  for (int i = 0; n < 256; ++i, ++n) {
    BYTE v = BYTE(8 + i * 6);
    colors[n] = RGBQUAD{v, v, v, 0};
  }
  return 256;
}

// A new white bitmap of the format; `palette` (count entries) replaces the default for 1-8 bits.
HBITMAP MakeBitmap(TPixelFormat format, int width, int height, const RGBQUAD* palette = nullptr,
                   int count = 0) {
  if (width <= 0 || height <= 0) return nullptr;
  ScreenDC screen;
  HBITMAP h;
  if (format == pfDevice) {
    h = CreateCompatibleBitmap(screen.DC, width, height);
  } else {
    BitmapInfo256 bi{};
    bi.Header = DibHeader(width, height, BitsOf(format));
    if (format == pf16bit) {
      bi.Header.biCompression = BI_BITFIELDS;
      DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
      std::memcpy(bi.Colors, masks, sizeof masks);
    } else if (bi.Header.biBitCount <= 8) {
      int n = palette && count > 0 ? std::min(count, 1 << bi.Header.biBitCount) : 0;
      if (n)
        std::memcpy(bi.Colors, palette, n * sizeof(RGBQUAD));
      else
        n = DefaultPalette(bi.Header.biBitCount, bi.Colors);
      bi.Header.biClrUsed = n;
    }
    void* bits = nullptr;
    h = CreateDIBSection(screen.DC, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
  }
  if (!h) throw EOutOfResources("Out of system resources");
  TMemoryDC dc(screen.DC, h);
  PatBlt(dc.DC, 0, 0, width, height, WHITENESS);
  return h;
}

// Copies the top-left of `from` into `to`; monochrome pixels map to black and white.
void CopyBits(HBITMAP to, HBITMAP from, int width, int height) {
  TMemoryDC src(nullptr, from);
  TMemoryDC dst(nullptr, to);
  SetTextColor(dst.DC, RGB(0, 0, 0));
  SetBkColor(dst.DC, RGB(255, 255, 255));
  BitBlt(dst.DC, 0, 0, width, height, src.DC, 0, 0, SRCCOPY);
}

// The colour table of a paletted DIB section (0 entries for anything else).
int PaletteOf(HBITMAP h, RGBQUAD* colors) {
  DIBSECTION ds{};
  if (GetObjectA(h, sizeof ds, &ds) != int(sizeof ds) || ds.dsBmih.biBitCount > 8) return 0;
  TMemoryDC dc(nullptr, h);
  return int(GetDIBColorTable(dc.DC, 0, 256, colors));
}

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic("Bitmap image is not valid"); }

}  // namespace

// The canvas of a bitmap: a memory context holding the bitmap, made when drawing needs it.
class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!HandleAllocated()) return;
    HDC dc = Handle();
    SetHandle(nullptr);
    if (FOldBitmap) SelectObject(dc, FOldBitmap);
    FOldBitmap = nullptr;
    DeleteDC(dc);
  }

protected:
  void CreateHandle() override {
    FBitmap->HandleNeeded();
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    if (FBitmap->FHandle) FOldBitmap = SelectObject(dc, FBitmap->FHandle);
    SetHandle(dc);
  }

private:
  TBitmap* FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  delete FCanvas;
  if (FHandle) DeleteObject(FHandle);
}

void TBitmap::CanvasChanged(TObject*) { Changed(); }

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = new TBitmapCanvas(this);
    FCanvas->OnChange = Bind(this, &TBitmap::CanvasChanged);
  }
  return FCanvas;
}

void TBitmap::FreeContext() {
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas)->FreeContext();
}

HDC TBitmap::CanvasDC() { return Canvas()->Handle(); }

void TBitmap::HandleNeeded() {
  if (!FHandle && !Empty()) {
    FreeContext();
    FHandle = MakeBitmap(FPixelFormat, FWidth, FHeight);
  }
}

HBITMAP TBitmap::Handle() {
  FreeContext();
  HandleNeeded();
  return FHandle;
}

void TBitmap::NewImage(HBITMAP handle) {
  FreeContext();
  if (FHandle && FHandle != handle) DeleteObject(FHandle);
  FHandle = handle;
}

void TBitmap::SetHandle(HBITMAP value) {
  if (value == FHandle) return;
  NewImage(value);
  FWidth = FHeight = 0;
  if (value) {
    DIBSECTION ds{};
    int got = GetObjectA(value, sizeof ds, &ds);
    if (got == int(sizeof ds)) {
      switch (ds.dsBmih.biBitCount) {
        case 1: FPixelFormat = pf1bit; break;
        case 4: FPixelFormat = pf4bit; break;
        case 8: FPixelFormat = pf8bit; break;
        case 16:
          FPixelFormat = ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[1] == 0x07E0 ? pf16bit : pf15bit;
          break;
        case 24: FPixelFormat = pf24bit; break;
        default: FPixelFormat = pf32bit;
      }
      FWidth = ds.dsBm.bmWidth;
      FHeight = std::abs(ds.dsBm.bmHeight);
    } else {
      BITMAP bm{};
      GetObjectA(value, sizeof bm, &bm);
      FPixelFormat = bm.bmBitsPixel == 1 ? pf1bit : pfDevice;
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight;
    }
  }
  Changed();
}

TBitmapHandleType TBitmap::HandleType() const {
  if (!FHandle) return FPixelFormat == pfDevice ? bmDDB : bmDIB;
  DIBSECTION ds{};
  return GetObjectA(FHandle, sizeof ds, &ds) == int(sizeof ds) ? bmDIB : bmDDB;
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeContext();
  HBITMAP h = FHandle;
  FHandle = nullptr;
  return h;
}

// The picture keeps its top-left part; new area is white.
void TBitmap::SetSize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight) return;
  HBITMAP h = nullptr;
  if (width > 0 && height > 0) {
    RGBQUAD pal[256];
    int n = FHandle ? PaletteOf(FHandle, pal) : 0;
    h = MakeBitmap(FPixelFormat, width, height, pal, n);
    if (FHandle) {
      FreeContext();
      CopyBits(h, FHandle, std::min(width, FWidth), std::min(height, FHeight));
    }
  }
  NewImage(h);
  FWidth = width;
  FHeight = height;
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == FPixelFormat) return;
  FPixelFormat = value;
  if (FHandle) {
    HBITMAP h = MakeBitmap(value, FWidth, FHeight);
    FreeContext();
    CopyBits(h, FHandle, FWidth, FHeight);
    NewImage(h);
  }
  Changed();
}

void TBitmap::SetMonochrome(bool value) {
  if (value != Monochrome()) SetPixelFormat(value ? pf1bit : pfDevice);
}

TColor TBitmap::TransparentColor() {
  if (FTransparentColor != clDefault) return FTransparentColor;
  if (Monochrome()) return clWhite;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == FTransparentColor) return;
  FTransparentColor = value;
  FTransparentMode = value == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == FTransparentMode) return;
  if (value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(TransparentColor());
}

void TBitmap::Draw(TCanvas* canvas, const RECT& r) {
  if (Empty()) return;
  HDC src = CanvasDC();
  canvas->Changing();
  canvas->RequiredState(TCanvas::csHandleValid | TCanvas::csBrushValid);
  HDC dst = canvas->FHandle;
  if (Transparent()) {
    MaskedBlt(dst, r, src, 0, 0, FWidth, FHeight, ColorToRGB(TransparentColor()));
  } else {
    COLORREF oldText = 0, oldBk = 0;
    if (Monochrome()) {
      oldText = SetTextColor(dst, RGB(0, 0, 0));
      oldBk = SetBkColor(dst, RGB(255, 255, 255));
    }
    int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
    StretchBlt(dst, r.left, r.top, r.right - r.left, r.bottom - r.top, src, 0, 0, FWidth, FHeight,
               canvas->CopyMode());
    SetStretchBltMode(dst, oldMode);
    if (Monochrome()) {
      SetTextColor(dst, oldText);
      SetBkColor(dst, oldBk);
    }
  }
  canvas->Changed();
}

void TBitmap::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    NewImage(nullptr);
    FWidth = FHeight = 0;
    Changed();
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    HBITMAP h = nullptr;
    if (!b->Empty()) {
      HBITMAP from = b->Handle();
      RGBQUAD pal[256];
      int n = PaletteOf(from, pal);
      h = MakeBitmap(b->FPixelFormat, b->FWidth, b->FHeight, pal, n);
      CopyBits(h, from, b->FWidth, b->FHeight);
    }
    NewImage(h);
    FWidth = b->FWidth;
    FHeight = b->FHeight;
    FPixelFormat = b->FPixelFormat;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    TGraphic::SetTransparent(b->Transparent());
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

// A bitmap or icon resource; Shown names it in the error when there is none.
HANDLE LoadResourceImage(HINSTANCE instance, LPCSTR name, const std::string& shown, UINT type, UINT flags) {
  HANDLE h = LoadImageA(instance, name, type, 0, 0, flags);
  if (!h) throw EResNotFound("Resource " + shown + " not found");
  return h;
}

bool TBitmap::TakeResourceImage(HINSTANCE instance, LPCSTR name, const std::string& shown) {
  SetHandle(static_cast<HBITMAP>(LoadResourceImage(instance, name, shown, IMAGE_BITMAP, LR_CREATEDIBSECTION)));
  return true;
}

// A BMP file: file header, info header (core, 40-byte or later), masks and colour table, bits. Nothing
// in the file is trusted: sizes and offsets are checked against the stream before anything is made,
// and a file that ends early is as invalid as a damaged one.
void TBitmap::LoadFromStream(TStream* stream) {
  try {
    ReadBitmap(stream);
  } catch (const EReadError&) {
    InvalidBitmap();
  }
}

void TBitmap::ReadBitmap(TStream* stream) {
  int64_t start = stream->Position();
  int64_t avail = stream->Size() - start;
  if (avail <= 0) {
    Assign(nullptr);
    return;
  }
  BITMAPFILEHEADER fh{};
  if (avail < int64_t(sizeof fh + 12)) InvalidBitmap();
  stream->ReadBuffer(&fh, sizeof fh);
  if (fh.bfType != BmpSignature) InvalidBitmap();
  DWORD hdrSize = 0;
  stream->ReadBuffer(&hdrSize, 4);
  BITMAPINFOHEADER bh{};
  DWORD masks[3] = {0, 0, 0};
  bool haveMasks = false;
  bool core = false;
  if (hdrSize == sizeof(BITMAPCOREHEADER)) {
    BITMAPCOREHEADER ch{};
    stream->ReadBuffer(reinterpret_cast<char*>(&ch) + 4, sizeof ch - 4);
    bh.biWidth = ch.bcWidth;
    bh.biHeight = ch.bcHeight;
    bh.biPlanes = ch.bcPlanes;
    bh.biBitCount = ch.bcBitCount;
    bh.biCompression = BI_RGB;
    core = true;
  } else if (hdrSize >= sizeof(BITMAPINFOHEADER) && hdrSize <= sizeof(BITMAPV5HEADER)) {
    if (avail < int64_t(sizeof fh + hdrSize)) InvalidBitmap();
    std::vector<char> h(hdrSize);
    std::memcpy(h.data(), &hdrSize, 4);
    stream->ReadBuffer(h.data() + 4, hdrSize - 4);
    std::memcpy(&bh, h.data(), sizeof bh);
    if (bh.biCompression == BI_BITFIELDS && hdrSize >= 52) {
      std::memcpy(masks, h.data() + 40, sizeof masks);
      haveMasks = true;
    }
  } else {
    InvalidBitmap();
  }
  int bits = bh.biBitCount;
  LONG width = bh.biWidth, height = std::abs(bh.biHeight);
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || bh.biPlanes != 1) InvalidBitmap();
  // A run-length file can claim a huge picture in a few bytes: its size is bounded before we make it.
  if (int64_t(width) * height > (int64_t(1) << 27)) InvalidBitmap();
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) InvalidBitmap();
  bool compressed = bh.biCompression == BI_RLE8 || bh.biCompression == BI_RLE4;
  if (!(bh.biCompression == BI_RGB || (bh.biCompression == BI_RLE8 && bits == 8) ||
        (bh.biCompression == BI_RLE4 && bits == 4) ||
        (bh.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32))))
    InvalidBitmap();
  if (compressed && bh.biHeight < 0) InvalidBitmap();
  if (bh.biCompression == BI_BITFIELDS && !haveMasks) {
    stream->ReadBuffer(masks, sizeof masks);
    haveMasks = true;
  }
  int colors = 0;
  if (bits <= 8) {
    colors = bh.biClrUsed ? int(bh.biClrUsed) : 1 << bits;
    if (bh.biClrUsed > DWORD(1 << bits)) InvalidBitmap();
  }
  BitmapInfo256 info{};
  RGBQUAD* table = info.Colors + (haveMasks ? 3 : 0);
  if (haveMasks) std::memcpy(info.Colors, masks, sizeof masks);
  if (core) {
    for (int i = 0; i < colors; ++i) {
      RGBTRIPLE t;
      stream->ReadBuffer(&t, sizeof t);
      table[i] = RGBQUAD{t.rgbtBlue, t.rgbtGreen, t.rgbtRed, 0};
    }
  } else if (colors) {
    stream->ReadBuffer(table, colors * sizeof(RGBQUAD));
  }
  int64_t stride = ((int64_t(width) * bits + 31) / 32) * 4;
  int64_t imageSize = compressed ? int64_t(bh.biSizeImage) : stride * height;
  if (imageSize <= 0 || imageSize > INT32_MAX) InvalidBitmap();
  int64_t bitsAt = fh.bfOffBits ? start + int64_t(fh.bfOffBits) : stream->Position();
  if (bitsAt < stream->Position() - int64_t(colors * sizeof(RGBQUAD)) || bitsAt + imageSize > start + avail)
    InvalidBitmap();
  std::vector<char> data(size_t(imageSize) + 4);  // room for a decoder that reads one word too far
  stream->SetPosition(bitsAt);
  stream->ReadBuffer(data.data(), size_t(imageSize));

  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = width;
  info.Header.biHeight = bh.biHeight;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = WORD(bits);
  info.Header.biCompression = bh.biCompression;
  info.Header.biSizeImage = DWORD(imageSize);
  info.Header.biClrUsed = DWORD(colors);

  TPixelFormat format;
  switch (bits) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16: format = haveMasks && masks[1] == 0x07E0 ? pf16bit : pf15bit; break;
    case 24: format = pf24bit; break;
    default: format = pf32bit;
  }
  HBITMAP h = MakeBitmap(format, width, height, bits <= 8 ? table : nullptr, colors);
  ScreenDC screen;
  if (SetDIBits(screen.DC, h, 0, UINT(height), data.data(), reinterpret_cast<BITMAPINFO*>(&info),
                DIB_RGB_COLORS) == 0) {
    DeleteObject(h);
    InvalidBitmap();
  }
  NewImage(h);
  FWidth = width;
  FHeight = height;
  FPixelFormat = format;
  Changed();
}

void TBitmap::SaveToStream(TStream* stream) {
  if (Empty()) return;
  HBITMAP h = Handle();
  int bits = FPixelFormat == pfDevice ? 24 : BitsOf(FPixelFormat);
  BitmapInfo256 info{};
  info.Header = DibHeader(FWidth, FHeight, bits);
  int extra = 0;
  if (FPixelFormat == pf16bit) {
    info.Header.biCompression = BI_BITFIELDS;
    DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.Colors, masks, sizeof masks);
    extra = 3;
  } else if (bits <= 8) {
    extra = 1 << bits;
    info.Header.biClrUsed = DWORD(extra);
  }
  size_t stride = ((size_t(FWidth) * bits + 31) / 32) * 4;
  std::vector<char> data(stride * FHeight);
  ScreenDC screen;
  if (!GetDIBits(screen.DC, h, 0, UINT(FHeight), data.data(), reinterpret_cast<BITMAPINFO*>(&info),
                 DIB_RGB_COLORS))
    throw EInvalidGraphic("Bitmap image is not valid");
  info.Header.biSizeImage = DWORD(data.size());
  if (FPixelFormat == pf16bit) info.Header.biCompression = BI_BITFIELDS;
  BITMAPFILEHEADER fh{};
  fh.bfType = BmpSignature;
  fh.bfOffBits = DWORD(sizeof fh + sizeof info.Header + extra * sizeof(RGBQUAD));
  fh.bfSize = DWORD(fh.bfOffBits + data.size());
  stream->WriteBuffer(&fh, sizeof fh);
  stream->WriteBuffer(&info.Header, sizeof info.Header);
  if (extra) stream->WriteBuffer(info.Colors, extra * sizeof(RGBQUAD));
  stream->WriteBuffer(data.data(), data.size());
}
