#include "Graphics.h"

#include "GraphicsInternal.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------------------
// Icons

namespace {

#pragma pack(push, 1)
struct IconDir {
  WORD Reserved;
  WORD Type;
  WORD Count;
};
struct IconDirEntry {
  BYTE Width;
  BYTE Height;
  BYTE ColorCount;
  BYTE Reserved;
  WORD Planes;
  WORD BitCount;
  DWORD BytesInRes;
  DWORD ImageOffset;
};
#pragma pack(pop)

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic("Icon image is not valid"); }

// An .ico file of one 32-bit image with its mask, drawn from the icon handle.
std::string IconFileOf(HICON icon, int width, int height) {
  BITMAPINFOHEADER bh = DibHeader(width, height, 32);
  ScreenDC screen;
  void* colorBits = nullptr;
  TGdiObject<HBITMAP> color(CreateDIBSection(screen.DC, reinterpret_cast<BITMAPINFO*>(&bh), DIB_RGB_COLORS,
                                             &colorBits, nullptr, 0));
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD c[2];
  } mi{};
  mi.h = bh;
  mi.h.biBitCount = 1;
  mi.c[1] = RGBQUAD{255, 255, 255, 0};
  void* maskBits = nullptr;
  TGdiObject<HBITMAP> mask(CreateDIBSection(screen.DC, reinterpret_cast<BITMAPINFO*>(&mi), DIB_RGB_COLORS,
                                            &maskBits, nullptr, 0));
  if (!color.Handle || !mask.Handle) throw EOutOfResources("Out of system resources");
  {
    TMemoryDC dc(screen.DC, color.Handle);
    PatBlt(dc.DC, 0, 0, width, height, BLACKNESS);
    DrawIconEx(dc.DC, 0, 0, icon, width, height, 0, nullptr, DI_IMAGE);
    SelectObject(dc.DC, mask.Handle);
    PatBlt(dc.DC, 0, 0, width, height, WHITENESS);
    DrawIconEx(dc.DC, 0, 0, icon, width, height, 0, nullptr, DI_MASK);
  }
  GdiFlush();

  size_t colorSize = size_t(width) * height * 4;
  size_t maskSize = ((size_t(width) + 31) / 32) * 4 * height;
  IconDir dir{0, 1, 1};
  IconDirEntry e{};
  e.Width = BYTE(width >= 256 ? 0 : width);
  e.Height = BYTE(height >= 256 ? 0 : height);
  e.Planes = 1;
  e.BitCount = 32;
  e.BytesInRes = DWORD(sizeof bh + colorSize + maskSize);
  e.ImageOffset = sizeof dir + sizeof e;
  BITMAPINFOHEADER ih = bh;
  ih.biHeight = height * 2;  // colour and mask, one above the other
  std::string out;
  out.append(reinterpret_cast<const char*>(&dir), sizeof dir);
  out.append(reinterpret_cast<const char*>(&e), sizeof e);
  out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
  out.append(static_cast<const char*>(colorBits), colorSize);
  out.append(static_cast<const char*>(maskBits), maskSize);
  return out;
}

}  // namespace

TIcon::~TIcon() {
  if (FHandle) DestroyIcon(FHandle);
}

void TIcon::NewImage(HICON handle, std::string data) {
  if (FHandle && FHandle != handle) DestroyIcon(FHandle);
  FHandle = handle;
  FData = std::move(data);
  FWidth = FHeight = 0;
}

void TIcon::SetHandle(HICON value) {
  if (value == FHandle) return;
  NewImage(value, {});
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON h = FHandle;
  FHandle = nullptr;
  FData.clear();
  FWidth = FHeight = 0;
  return h;
}

void TIcon::SizeNeeded() {
  if (FWidth || !FHandle) return;
  ICONINFO ii{};
  if (!GetIconInfo(FHandle, &ii)) return;
  BITMAP bm{};
  if (ii.hbmColor) {
    GetObjectA(ii.hbmColor, sizeof bm, &bm);
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight;
  } else if (ii.hbmMask) {
    GetObjectA(ii.hbmMask, sizeof bm, &bm);
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight / 2;
  }
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  if (ii.hbmMask) DeleteObject(ii.hbmMask);
}

int32_t TIcon::Width() {
  SizeNeeded();
  return FWidth;
}

int32_t TIcon::Height() {
  SizeNeeded();
  return FHeight;
}

void TIcon::SetWidth(int32_t) { throw EInvalidGraphic("Cannot change the size of an icon"); }
void TIcon::SetHeight(int32_t) { throw EInvalidGraphic("Cannot change the size of an icon"); }

void TIcon::LoadFromStream(TStream* stream) {
  try {
    ReadIcon(stream);
  } catch (const EReadError&) {
    InvalidIcon();
  }
}

// Reads exactly the icon file: the directory says where its last image ends.
void TIcon::ReadIcon(TStream* stream) {
  int64_t start = stream->Position();
  int64_t avail = stream->Size() - start;
  if (avail <= 0) {
    Assign(nullptr);
    return;
  }
  IconDir dir{};
  if (avail < int64_t(sizeof dir)) InvalidIcon();
  stream->ReadBuffer(&dir, sizeof dir);
  if (dir.Reserved != 0 || dir.Type != 1 || dir.Count == 0) InvalidIcon();
  size_t dirSize = sizeof dir + size_t(dir.Count) * sizeof(IconDirEntry);
  if (avail < int64_t(dirSize)) InvalidIcon();
  std::vector<IconDirEntry> entries(dir.Count);
  stream->ReadBuffer(entries.data(), entries.size() * sizeof(IconDirEntry));
  int64_t end = int64_t(dirSize);
  for (const auto& e : entries) {
    if (e.ImageOffset < dirSize || e.BytesInRes < sizeof(BITMAPINFOHEADER)) InvalidIcon();
    end = std::max(end, int64_t(e.ImageOffset) + int64_t(e.BytesInRes));
  }
  if (end > avail || end > INT32_MAX) InvalidIcon();
  std::string data(size_t(end), '\0');
  std::memcpy(data.data(), &dir, sizeof dir);
  std::memcpy(data.data() + sizeof dir, entries.data(), entries.size() * sizeof(IconDirEntry));
  stream->ReadBuffer(data.data() + dirSize, size_t(end) - dirSize);

  // The image nearest the system icon size, the deepest colour among equals.
  int want = GetSystemMetrics(SM_CXICON);
  const IconDirEntry* best = nullptr;
  int bestScore = 0;
  for (const auto& e : entries) {
    int w = e.Width ? e.Width : 256;
    int score = std::abs(w - want) * 64 - e.BitCount;
    if (!best || score < bestScore) {
      best = &e;
      bestScore = score;
    }
  }
  int w = best->Width ? best->Width : 256, h = best->Height ? best->Height : 256;
  HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(data.data()) + best->ImageOffset,
                                        best->BytesInRes, TRUE, 0x00030000, w, h, LR_DEFAULTCOLOR);
  if (!icon) InvalidIcon();
  NewImage(icon, std::move(data));
  FWidth = w;
  FHeight = h;
  Changed();
}

void TIcon::SaveToStream(TStream* stream) {
  if (FData.empty() && FHandle) FData = IconFileOf(FHandle, Width(), Height());
  if (!FData.empty()) stream->WriteBuffer(FData.data(), FData.size());
}

bool TIcon::TakeResourceImage(HINSTANCE instance, LPCSTR name, const std::string& shown) {
  SetHandle(static_cast<HICON>(LoadResourceImage(instance, name, shown, IMAGE_ICON, LR_DEFAULTSIZE)));
  return true;
}

void TIcon::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    NewImage(nullptr, {});
    Changed();
    return;
  }
  if (auto* i = dynamic_cast<TIcon*>(source)) {
    NewImage(i->FHandle ? CopyIcon(i->FHandle) : nullptr, i->FData);
    FWidth = i->FWidth;
    FHeight = i->FHeight;
    TGraphic::SetTransparent(i->Transparent());
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TIcon::Draw(TCanvas* canvas, const RECT& r) {
  if (!FHandle) return;
  canvas->Changing();
  canvas->RequiredState(TCanvas::csHandleValid);
  DrawIconEx(canvas->FHandle, r.left, r.top, FHandle, r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
  canvas->Changed();
}
