#include "ImgList.h"

#include <algorithm>
#include <cstring>

namespace {

const TEnumInfo DrawingStyleNames{"TDrawingStyle", {"dsFocus", "dsSelected", "dsNormal", "dsTransparent"}};
const TEnumInfo ImageTypeNames{"TImageType", {"itImage", "itMask"}};

COLORREF ListColor(TColor c) {
  if (c == clNone) return CLR_NONE;
  if (c == clDefault) return CLR_DEFAULT;
  return ColorToRGB(c);
}

[[noreturn]] void IndexError() { throw EInvalidOperation("Invalid ImageList Index"); }
[[noreturn]] void ReadFailed() { throw EReadError("Failed to read ImageList data from stream"); }

// A top-down 32-bit DIB section whose pixels the caller reads and writes.
HBITMAP MakeDib32(int width, int height, uint32_t** bits) {
  BITMAPINFOHEADER bh = DibHeader(width, -height, 32);
  void* p = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bh), DIB_RGB_COLORS, &p, nullptr, 0);
  if (!h) throw EOutOfResources("Out of system resources");
  *bits = static_cast<uint32_t*>(p);
  return h;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------

TChangeLink::~TChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() { OnChange(FSender); }

// ---------------------------------------------------------------------------------------------------

TCustomImageList::TCustomImageList(TComponent* AOwner)
    : TComponent(AOwner), FClients(new std::vector<TChangeLink*>) {}

TCustomImageList::TCustomImageList(TComponent* AOwner, int32_t AWidth, int32_t AHeight)
    : TComponent(AOwner), FWidth(AWidth), FHeight(AHeight), FClients(new std::vector<TChangeLink*>) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : *FClients) link->SetSender(nullptr);
  delete FClients;
  FClients = nullptr;
  FreeHandle();
}

void TImageList::Publish(TPublisher<TImageList>& p) {
  p.Int("AllocBy", &TImageList::AllocBy, &TImageList::SetAllocBy).Default(4);
  p.Int("BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor)
      .Default(clNone)
      .Idents(ColorIdentMap());
  p.Int("BkColor", &TImageList::BkColor, &TImageList::SetBkColor).Default(clNone).Idents(ColorIdentMap());
  p.Enum("DrawingStyle", DrawingStyleNames, &TImageList::DrawingStyle, &TImageList::SetDrawingStyle)
      .Default(dsNormal);
  p.Int("Height", &TImageList::Height, &TImageList::SetHeight).Default(16);
  p.Enum("ImageType", ImageTypeNames, &TImageList::ImageType, &TImageList::SetImageType).Default(itImage);
  p.Bool("Masked", &TImageList::Masked, &TImageList::SetMasked).Default(1);
  p.Bool("ShareImages", &TImageList::ShareImages, &TImageList::SetShareImages).Default(0);
  p.Int("Width", &TImageList::Width, &TImageList::SetWidth).Default(16);
  p.Event("OnChange", &TImageList::OnChange);
}

void RegisterImgListClasses() { RegisterClass(TImageList::StaticClass()); }

void TCustomImageList::HandleNeeded() {
  if (FHandle) return;
  FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | (FMasked ? ILC_MASK : 0), FAllocBy, FAllocBy);
  if (!FHandle) throw EOutOfResources("Out of system resources");
  ImageList_SetBkColor(FHandle, ListColor(FBkColor));
}

HIMAGELIST TCustomImageList::Handle() {
  HandleNeeded();
  return FHandle;
}

void TCustomImageList::FreeHandle() {
  if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
  FHandle = nullptr;
}

void TCustomImageList::SetHandle(HIMAGELIST value) {
  if (value == FHandle) return;
  FreeHandle();
  FHandle = value;
  if (value) {
    int cx = 0, cy = 0;
    if (ImageList_GetIconSize(value, &cx, &cy)) {
      FWidth = cx;
      FHeight = cy;
    }
    COLORREF bk = ImageList_GetBkColor(value);
    FBkColor = bk == CLR_NONE ? clNone : TColor(bk);
  }
  Change();
}

void TCustomImageList::Recreate(bool keepImages) {
  if (!FHandle) return;
  HIMAGELIST old = FHandle;
  bool shared = FShareImages;
  FHandle = nullptr;
  HandleNeeded();
  if (keepImages) {
    int n = ImageList_GetImageCount(old);
    for (int i = 0; i < n; ++i) {
      HICON icon = ImageList_GetIcon(old, i, ILD_NORMAL);
      ImageList_ReplaceIcon(FHandle, -1, icon);
      if (icon) DestroyIcon(icon);
    }
  }
  // The new list is our own even when the old one was shared.
  if (!shared) ImageList_Destroy(old);
  FShareImages = false;
}

void TCustomImageList::SetWidth(int32_t value) {
  if (value <= 0 || value == FWidth) return;
  FWidth = value;
  SizeChanged();
}

void TCustomImageList::SetHeight(int32_t value) {
  if (value <= 0 || value == FHeight) return;
  FHeight = value;
  SizeChanged();
}

void TCustomImageList::SizeChanged() {
  if (FHandle) {
    if (FShareImages)
      Recreate(false);
    else
      ImageList_SetIconSize(FHandle, FWidth, FHeight);
  }
  Change();
}

int32_t TCustomImageList::Count() { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

void TCustomImageList::SetBkColor(TColor value) {
  if (value == FBkColor) return;
  FBkColor = value;
  if (FHandle) ImageList_SetBkColor(FHandle, ListColor(value));
  Change();
}

void TCustomImageList::SetBlendColor(TColor value) {
  if (value == FBlendColor) return;
  FBlendColor = value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle value) {
  if (value == FDrawingStyle) return;
  FDrawingStyle = value;
  Change();
}

void TCustomImageList::SetImageType(TImageType value) {
  if (value == FImageType) return;
  FImageType = value;
  Change();
}

void TCustomImageList::SetMasked(bool value) {
  if (value == FMasked) return;
  FMasked = value;
  Recreate(true);
  Change();
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image) return -1;
  int r = ImageList_Add(Handle(), image->Handle(), mask ? mask->Handle() : nullptr);
  if (r < 0) throw EInvalidOperation("Failed to add the image to the image list");
  Change();
  return r;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!image) return -1;
  TColor c = maskColor == clDefault ? image->TransparentColor() : maskColor;
  // The list blackens the transparent pixels of the bitmap it is given: give it a copy.
  TBitmap copy;
  copy.Assign(image);
  int r = ImageList_AddMasked(Handle(), copy.Handle(), ColorToRGB(c));
  if (r < 0) throw EInvalidOperation("Failed to add the image to the image list");
  Change();
  return r;
}

int TCustomImageList::AddIcon(TIcon* image) {
  if (!image || !image->Handle()) return -1;
  int r = ImageList_ReplaceIcon(Handle(), -1, image->Handle());
  if (r < 0) throw EInvalidOperation("Failed to add the image to the image list");
  Change();
  return r;
}

void TCustomImageList::Delete(int index) {
  if (index < 0 || index >= Count()) IndexError();
  ImageList_Remove(FHandle, index);
  Change();
}

void TCustomImageList::Clear() {
  if (FHandle) ImageList_Remove(FHandle, -1);
  Change();
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  if (!FHandle || index < 0 || index >= Count()) return;
  static const UINT styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT style = styles[FDrawingStyle];
  if (FImageType == itMask) style |= ILD_MASK;
  DoDraw(index, canvas, x, y, style, enabled);
}

// A disabled image is embossed: its shape in the highlight colour one pixel down and right, then in
// the shadow colour in place.
void TCustomImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) {
  HDC dc = canvas->Handle();
  if (enabled) {
    ImageList_DrawEx(FHandle, index, dc, x, y, 0, 0, ListColor(FBkColor), ListColor(FBlendColor), style);
    return;
  }
  TGdiObject<HBITMAP> mono(CreateBitmap(FWidth, FHeight, 1, 1, nullptr));
  TMemoryDC monoDC(dc, mono.Handle);
  PatBlt(monoDC.DC, 0, 0, FWidth, FHeight, WHITENESS);
  ImageList_DrawEx(FHandle, index, monoDC.DC, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
  COLORREF oldText = SetTextColor(dc, RGB(255, 255, 255));
  COLORREF oldBk = ::SetBkColor(dc, RGB(0, 0, 0));
  {
    TGdiObject<HBRUSH> light(CreateSolidBrush(ColorToRGB(clBtnHighlight)));
    TGdiObject<HBRUSH> dark(CreateSolidBrush(ColorToRGB(clBtnShadow)));
    TSelectObject brush(dc, light.Handle);
    BitBlt(dc, x + 1, y + 1, FWidth, FHeight, monoDC.DC, 0, 0, 0x00E20746);
    SelectObject(dc, dark.Handle);
    BitBlt(dc, x, y, FWidth, FHeight, monoDC.DC, 0, 0, 0x00E20746);
  }
  SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBk);
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) {
  if (!image) return;
  image->SetSize(FWidth, FHeight);
  TCanvas* c = image->Canvas();
  c->Brush()->SetColor(clWhite);
  RECT r{0, 0, FWidth, FHeight};
  c->FillRect(r);
  if (FHandle && index >= 0 && index < Count())
    ImageList_DrawEx(FHandle, index, c->Handle(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
}

// An index without an image empties the icon: callers show "no picture" rather than fail.
void TCustomImageList::GetIcon(int index, TIcon* image) {
  if (!image) return;
  if (!FHandle || index < 0 || index >= Count())
    image->SetHandle(nullptr);
  else
    image->SetHandle(ImageList_GetIcon(FHandle, index, ILD_NORMAL));
}

void TCustomImageList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) Change();
}

void TCustomImageList::Change() {
  FChanged = true;
  if (FUpdateCount > 0) return;
  FChanged = false;
  if (!FClients) return;
  // A link may unregister (or be freed) while it is told.
  std::vector<TChangeLink*> links = *FClients;
  for (TChangeLink* link : links)
    if (std::find(FClients->begin(), FClients->end(), link) != FClients->end()) link->Change();
  OnChange(this);
}

void TCustomImageList::RegisterChanges(TChangeLink* value) {
  if (!value || !FClients) return;
  if (value->Sender() && value->Sender() != this) value->Sender()->UnRegisterChanges(value);
  value->SetSender(this);
  if (std::find(FClients->begin(), FClients->end(), value) == FClients->end()) FClients->push_back(value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* value) {
  if (!FClients) return;
  auto it = std::find(FClients->begin(), FClients->end(), value);
  if (it == FClients->end()) return;
  FClients->erase(it);
  value->SetSender(nullptr);
}

void TCustomImageList::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TCustomImageList*>(source);
  if (!src) {
    TComponent::Assign(source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  FreeHandle();
  FShareImages = false;
  FWidth = src->FWidth;
  FHeight = src->FHeight;
  FAllocBy = src->FAllocBy;
  FMasked = src->FMasked;
  FBkColor = src->FBkColor;
  FBlendColor = src->FBlendColor;
  FDrawingStyle = src->FDrawingStyle;
  FImageType = src->FImageType;
  if (src->FHandle) {
    FHandle = ImageList_Duplicate(src->FHandle);
    if (!FHandle) throw EOutOfResources("Out of system resources");
  }
  Change();
  EndUpdate();
}

void TCustomImageList::DefineProperties(TFiler* filer) {
  filer->DefineBinaryProperty(
      "Bitmap", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, Count() > 0);
}

void TCustomImageList::WriteData(TStream* stream) {
  int32_t header[3] = {FWidth, FHeight, Count()};
  stream->WriteBuffer(header, sizeof header);
  int n = header[2];
  if (n == 0) return;
  int w = FWidth * n, h = FHeight;
  // Each image drawn on black and on white: a pixel that shows the background both times is
  // transparent. This asks nothing of how the list keeps its masks.
  uint32_t* onBlack = nullptr;
  uint32_t* onWhite = nullptr;
  HBITMAP hImage = MakeDib32(w, h, &onBlack);
  HBITMAP hMask = MakeDib32(w, h, &onWhite);
  {
    TMemoryDC dc(nullptr, hImage);
    PatBlt(dc.DC, 0, 0, w, h, BLACKNESS);
    for (int i = 0; i < n; ++i)
      ImageList_DrawEx(FHandle, i, dc.DC, i * FWidth, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    SelectObject(dc.DC, hMask);
    PatBlt(dc.DC, 0, 0, w, h, WHITENESS);
    for (int i = 0; i < n; ++i)
      ImageList_DrawEx(FHandle, i, dc.DC, i * FWidth, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
  }
  GdiFlush();

  // Bottom-up rows, as a BMP file has them.
  std::vector<uint32_t> pixels(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t b = onBlack[size_t(y) * w + x] & 0x00FFFFFF;
      uint32_t wh = onWhite[size_t(y) * w + x] & 0x00FFFFFF;
      bool transparent = b == 0 && wh == 0x00FFFFFF;
      pixels[size_t(h - 1 - y) * w + x] = transparent ? 0 : b | 0xFF000000u;
    }
  DeleteObject(hImage);
  DeleteObject(hMask);

  BITMAPINFOHEADER bh = DibHeader(w, h, 32);
  bh.biSizeImage = DWORD(pixels.size() * 4);
  BITMAPFILEHEADER fh{};
  fh.bfType = BmpSignature;
  fh.bfOffBits = sizeof fh + sizeof bh;
  fh.bfSize = fh.bfOffBits + bh.biSizeImage;
  stream->WriteBuffer(&fh, sizeof fh);
  stream->WriteBuffer(&bh, sizeof bh);
  stream->WriteBuffer(pixels.data(), int32_t(pixels.size() * 4));
}

void TCustomImageList::ReadData(TStream* stream) {
  int32_t header[3];
  if (stream->Read(header, sizeof header) != int32_t(sizeof header)) ReadFailed();
  int32_t width = header[0], height = header[1], n = header[2];
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || n < 0 || int64_t(width) * n > 32767)
    ReadFailed();

  std::vector<uint32_t> pixels;  // top-down, n * width x height
  if (n > 0) {
    int64_t start = stream->Position();
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER bh{};
    if (stream->Read(&fh, sizeof fh) != int32_t(sizeof fh) || stream->Read(&bh, sizeof bh) != int32_t(sizeof bh))
      ReadFailed();
    int w = width * n;
    if (bh.biWidth != w || std::abs(bh.biHeight) != height) ReadFailed();
    pixels.resize(size_t(w) * height);
    if (fh.bfType == BmpSignature && bh.biSize == sizeof bh && bh.biBitCount == 32 && bh.biCompression == BI_RGB &&
        bh.biPlanes == 1) {
      // Our own format: raw pixels with their alpha.
      stream->SetPosition(start + fh.bfOffBits);
      if (stream->Read(pixels.data(), int32_t(pixels.size() * 4)) != int32_t(pixels.size() * 4)) ReadFailed();
      if (bh.biHeight > 0)
        for (int y = 0; y < height / 2; ++y)
          std::swap_ranges(pixels.begin() + size_t(y) * w, pixels.begin() + size_t(y + 1) * w,
                           pixels.begin() + size_t(height - 1 - y) * w);
      bool anyAlpha = std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p >> 24) != 0; });
      if (!anyAlpha)
        for (auto& p : pixels) p |= 0xFF000000u;
    } else {
      // Any other bitmap: read as a picture, every pixel opaque.
      stream->SetPosition(start);
      TBitmap b;
      try {
        b.LoadFromStream(stream);
      } catch (const EInvalidGraphic&) {
        ReadFailed();
      }
      BITMAPINFOHEADER q = DibHeader(w, -height, 32);
      int got = GetDIBits(ScreenDC().DC, b.Handle(), 0, UINT(height), pixels.data(),
                          reinterpret_cast<BITMAPINFO*>(&q), DIB_RGB_COLORS);
      if (got != height) ReadFailed();
      for (auto& p : pixels) p |= 0xFF000000u;
    }
  }

  // The new list is made whole before the old one goes, so a failure leaves the images as they were.
  HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR32 | (FMasked ? ILC_MASK : 0), FAllocBy, FAllocBy);
  if (!list) throw EOutOfResources("Out of system resources");
  if (n > 0) {
    int w = width * n;
    uint32_t* image = nullptr;
    TFailScope unmade([list] { ImageList_Destroy(list); });
    HBITMAP hImage = MakeDib32(w, height, &image);
    // Monochrome rows are word-aligned; 1 marks a transparent pixel.
    size_t maskStride = ((size_t(w) + 15) / 16) * 2;
    std::vector<uint8_t> maskBits(maskStride * height, 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t p = pixels[size_t(y) * w + x];
        bool transparent = (p >> 24) == 0;
        image[size_t(y) * w + x] = transparent ? 0 : (p & 0x00FFFFFF);
        if (transparent) maskBits[size_t(y) * maskStride + x / 8] |= uint8_t(0x80 >> (x % 8));
      }
    GdiFlush();
    HBITMAP hMask = CreateBitmap(w, height, 1, 1, maskBits.data());
    int r = ImageList_Add(list, hImage, FMasked ? hMask : nullptr);
    DeleteObject(hImage);
    if (hMask) DeleteObject(hMask);
    if (r < 0) ReadFailed();
  }
  FreeHandle();
  FShareImages = false;
  FHandle = list;
  FWidth = width;
  FHeight = height;
  ImageList_SetBkColor(FHandle, ListColor(FBkColor));
  Change();
}
