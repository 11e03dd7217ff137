#include "Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// libjpeg's headers expect FILE and size_t declared first.
#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: we jump back to the
// call that started the work and turn the error code into an exception there, outside libjpeg.
void ErrorExit(j_common_ptr cinfo);
// Warnings (a truncated file, say) are not printed; the decoder goes on with what it has.
void OutputMessage(j_common_ptr) {}

struct ErrorManager {
  jpeg_error_mgr Pub;
  jmp_buf Jump;
  int Code = 0;
  // Becomes the error handler of cinfo.
  explicit ErrorManager(jpeg_decompress_struct& cinfo) {
    cinfo.err = jpeg_std_error(&Pub);
    Pub.error_exit = ErrorExit;
    Pub.output_message = OutputMessage;
  }
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  err->Code = cinfo->err->msg_code;
  longjmp(err->Jump, 1);
}

// Opens a decompressor on data, reads the header and runs Work on it; the decompressor is destroyed
// however that ends. 0 when Work returns true, -1 when it refuses the picture (false), else
// libjpeg's error code. An error jumps straight out of Work: it must hold nothing with a destructor.
template <class F>
int WithDecompressor(const unsigned char* data, size_t size, F Work) {
  jpeg_decompress_struct cinfo;
  ErrorManager err(cinfo);
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&cinfo);
    return err.Code ? err.Code : -1;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const bool done = Work(cinfo);
  jpeg_destroy_decompress(&cinfo);
  return done ? 0 : -1;
}

// A picture larger than this is refused before any memory is taken for it.
constexpr int64_t MaxPixels = int64_t(1) << 26;

struct HeaderInfo {
  int Width = 0;
  int Height = 0;
  int Components = 0;
};

// 0 when the header reads, else libjpeg's error code (or -1 for a size we refuse).
int ReadHeader(const unsigned char* data, size_t size, HeaderInfo* info) {
  return WithDecompressor(data, size, [info](jpeg_decompress_struct& cinfo) {
    info->Width = int(cinfo.image_width);
    info->Height = int(cinfo.image_height);
    info->Components = cinfo.num_components;
    return info->Width > 0 && info->Height > 0 && int64_t(info->Width) * info->Height <= MaxPixels;
  });
}

// One decoded CMYK row as blue, green, red. Adobe's files store the inks inverted.
void CmykToBgr(const unsigned char* cmyk, unsigned char* row, int width, bool inverted) {
  for (int x = 0; x < width; ++x) {
    int c = cmyk[x * 4], m = cmyk[x * 4 + 1], y = cmyk[x * 4 + 2], k = cmyk[x * 4 + 3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    row[x * 3] = static_cast<unsigned char>(y * k / 255);
    row[x * 3 + 1] = static_cast<unsigned char>(m * k / 255);
    row[x * 3 + 2] = static_cast<unsigned char>(c * k / 255);
  }
}

// Decodes into the rows of a bottom-up 24-bit DIB (blue, green, red). `scratch` holds one CMYK row.
int Decode(const unsigned char* data, size_t size, unsigned char* bits, size_t stride, int width, int height,
           unsigned char* scratch) {
  return WithDecompressor(data, size, [=](jpeg_decompress_struct& cinfo) {
    bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    if (int(cinfo.output_width) != width || int(cinfo.output_height) != height) return false;
    bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
      unsigned char* row = bits + size_t(height - 1 - int(cinfo.output_scanline)) * stride;
      JSAMPROW target = cmyk ? scratch : row;
      if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) break;
      if (cmyk) CmykToBgr(scratch, row, width, inverted);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
  });
}

[[noreturn]] void JpegError(int code) { throw EInvalidGraphic("JPEG error #" + IntToStr(int32_t(code))); }

}  // namespace

TJPEGImage::~TJPEGImage() { delete FBitmap; }

void TJPEGImage::FreeBitmap() {
  delete FBitmap;
  FBitmap = nullptr;
}

void TJPEGImage::SetWidth(int32_t) { throw EInvalidGraphic("Cannot change the size of a JPEG image"); }
void TJPEGImage::SetHeight(int32_t) { throw EInvalidGraphic("Cannot change the size of a JPEG image"); }

void TJPEGImage::LoadFromStream(TStream* stream) {
  int64_t avail = stream->Size() - stream->Position();
  if (avail > INT32_MAX) JpegError(-1);
  std::string data(size_t(avail > 0 ? avail : 0), '\0');
  if (!data.empty()) stream->ReadBuffer(data.data(), data.size());
  HeaderInfo info;
  if (!data.empty()) {
    int code = ReadHeader(reinterpret_cast<const unsigned char*>(data.data()), data.size(), &info);
    if (code) JpegError(code);
  }
  FreeBitmap();
  FData = std::move(data);
  FWidth = info.Width;
  FHeight = info.Height;
  FGrayscale = info.Components == 1;
  Changed();
}

void TJPEGImage::SaveToStream(TStream* stream) {
  if (!FData.empty()) stream->WriteBuffer(FData.data(), FData.size());
}

void TJPEGImage::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    FreeBitmap();
    FData.clear();
    FWidth = FHeight = 0;
    FGrayscale = false;
    Changed();
    return;
  }
  if (auto* j = dynamic_cast<TJPEGImage*>(source)) {
    FreeBitmap();
    FData = j->FData;
    FWidth = j->FWidth;
    FHeight = j->FHeight;
    FGrayscale = j->FGrayscale;
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TJPEGImage::DIBNeeded() {
  if (FBitmap || FData.empty()) return;
  BITMAPINFOHEADER bh = DibHeader(FWidth, FHeight, 24);
  void* bits = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bh), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!h) throw EOutOfResources("Out of system resources");
  size_t stride = ((size_t(FWidth) * 24 + 31) / 32) * 4;
  std::memset(bits, 0, stride * FHeight);
  std::vector<unsigned char> scratch(size_t(FWidth) * 4);
  int code = Decode(reinterpret_cast<const unsigned char*>(FData.data()), FData.size(),
                    static_cast<unsigned char*>(bits), stride, FWidth, FHeight, scratch.data());
  if (code) {
    DeleteObject(h);
    JpegError(code);
  }
  GdiFlush();
  FBitmap = new TBitmap;
  FBitmap->SetHandle(h);
}

void TJPEGImage::Draw(TCanvas* canvas, const RECT& r) {
  DIBNeeded();
  if (FBitmap) FBitmap->Draw(canvas, r);
}

void TJPEGImage::AssignTo(TPersistent* dest) {
  if (auto* b = dynamic_cast<TBitmap*>(dest)) {
    DIBNeeded();
    b->Assign(FBitmap);
    return;
  }
  TGraphic::AssignTo(dest);
}
