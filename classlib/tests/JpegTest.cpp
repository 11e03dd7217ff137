#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include <jpeglib.h>

#include "Jpeg.h"

namespace {

// Compresses a picture whose pixel (x, y) is px(x, y, components) with libjpeg.
std::string Encode(int w, int h, int components, J_COLOR_SPACE space,
                   const std::function<void(int, int, unsigned char*)>& px, bool progressive = false) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = JDIMENSION(w);
  c.image_height = JDIMENSION(h);
  c.input_components = components;
  c.in_color_space = space;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(size_t(w) * components);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) px(x, y, &row[size_t(x) * components]);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string data(reinterpret_cast<char*>(out), size);
  free(out);
  return data;
}

// Left half red, right half blue.
std::string RedBlue(int w = 16, int h = 8, bool progressive = false) {
  return Encode(
      w, h, 3, JCS_RGB,
      [w](int x, int, unsigned char* p) {
        p[0] = x < w / 2 ? 255 : 0;
        p[1] = 0;
        p[2] = x < w / 2 ? 0 : 255;
      },
      progressive);
}

std::unique_ptr<TJPEGImage> Load(const std::string& data) {
  auto j = std::make_unique<TJPEGImage>();
  TStringStream s(data);
  j->LoadFromStream(&s);
  return j;
}

// Colours after lossy compression: each channel within a tolerance.
::testing::AssertionResult Near(TColor actual, TColor expected, int tolerance = 24) {
  for (int shift = 0; shift < 24; shift += 8) {
    int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
    if (std::abs(a - e) > tolerance)
      return ::testing::AssertionFailure() << "colour " << std::hex << actual << " is not near " << expected;
  }
  return ::testing::AssertionSuccess();
}

std::unique_ptr<TBitmap> Paint(TGraphic* g, int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas()->StretchDraw({0, 0, w, h}, g);
  return b;
}

}  // namespace

TEST(Jpeg, DecodesSizeAndColours) {
  auto j = Load(RedBlue());
  EXPECT_FALSE(j->Empty());
  EXPECT_EQ(j->Width(), 16);
  EXPECT_EQ(j->Height(), 8);
  EXPECT_FALSE(j->Grayscale());
  auto b = std::make_unique<TBitmap>();
  b->SetSize(20, 10);
  b->Canvas()->Draw(0, 0, j.get());
  EXPECT_TRUE(Near(b->Canvas()->Pixels(2, 1), clRed));
  EXPECT_TRUE(Near(b->Canvas()->Pixels(13, 6), clBlue));
  EXPECT_EQ(b->Canvas()->Pixels(18, 9), clWhite);  // outside the picture

  // Stretched, the halves stay where they were.
  auto big = Paint(j.get(), 64, 32);
  EXPECT_TRUE(Near(big->Canvas()->Pixels(10, 30), clRed));
  EXPECT_TRUE(Near(big->Canvas()->Pixels(55, 2), clBlue));
}

TEST(Jpeg, GreyProgressiveAndCmykPictures) {
  auto grey = Load(Encode(8, 8, 1, JCS_GRAYSCALE, [](int, int, unsigned char* p) { p[0] = 0x80; }));
  EXPECT_TRUE(grey->Grayscale());
  EXPECT_TRUE(Near(Paint(grey.get(), 8, 8)->Canvas()->Pixels(4, 4), 0x808080, 4));

  auto progressive = Load(RedBlue(32, 16, true));
  EXPECT_EQ(progressive->Width(), 32);
  auto pb = Paint(progressive.get(), 32, 16);
  EXPECT_TRUE(Near(pb->Canvas()->Pixels(3, 3), clRed));
  EXPECT_TRUE(Near(pb->Canvas()->Pixels(28, 12), clBlue));

  // Adobe CMYK is stored inverted: 255 is no ink. Full magenta and yellow ink make red.
  auto cmyk = Load(Encode(8, 8, 4, JCS_CMYK, [](int, int, unsigned char* p) {
    p[0] = 255;
    p[1] = 0;
    p[2] = 0;
    p[3] = 255;
  }));
  EXPECT_TRUE(Near(Paint(cmyk.get(), 8, 8)->Canvas()->Pixels(4, 4), clRed, 32));
}

TEST(Jpeg, KeepsTheDataItRead) {
  std::string data = RedBlue();
  auto j = Load(data);
  TStringStream out;
  j->SaveToStream(&out);
  EXPECT_EQ(out.DataString(), data);

  TJPEGImage copy;
  copy.Assign(j.get());
  EXPECT_EQ(copy.Width(), 16);
  TStringStream out2;
  copy.SaveToStream(&out2);
  EXPECT_EQ(out2.DataString(), data);

  // A bitmap receives the decoded picture.
  TBitmap b;
  b.Assign(j.get());
  EXPECT_EQ(b.Width(), 16);
  EXPECT_EQ(b.Height(), 8);
  EXPECT_TRUE(Near(b.Canvas()->Pixels(1, 1), clRed));

  EXPECT_THROW(j->SetWidth(3), EInvalidGraphic);
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
}

TEST(Jpeg, DamagedDataRaisesInsteadOfCrashing) {
  std::string data = RedBlue(64, 64);
  TJPEGImage j;
  TStringStream garbage(std::string(200, 'x'));
  try {
    j.LoadFromStream(&garbage);
    FAIL() << "garbage accepted";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message.substr(0, 12), "JPEG error #");
  }
  EXPECT_TRUE(j.Empty());

  // Only the start of the header.
  TStringStream head(data.substr(0, 30));
  EXPECT_THROW(j.LoadFromStream(&head), EInvalidGraphic);

  // A header claiming an enormous picture is refused before memory is taken for it.
  std::string huge = data;
  size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge[sof + 5] = huge[sof + 6] = huge[sof + 7] = huge[sof + 8] = char(0xEA);
  TStringStream hs(huge);
  EXPECT_THROW(j.LoadFromStream(&hs), EInvalidGraphic);

  // A picture cut short or scrambled decodes what it can, or raises; it never takes the process down.
  size_t scan = data.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  size_t middle = scan + (data.size() - scan) / 2;
  for (std::string broken : {data.substr(0, middle), data}) {
    if (broken.size() == data.size())
      for (size_t i = scan + 20; i < data.size() - 2; i += 7) broken[i] = char(broken[i] ^ 0x5A);
    TJPEGImage k;
    TStringStream bs(broken);
    k.LoadFromStream(&bs);
    EXPECT_EQ(k.Width(), 64);
    try {
      Paint(&k, 64, 64);
    } catch (const EInvalidGraphic&) {
    }
  }

  TStringStream empty;
  j.LoadFromStream(&empty);
  EXPECT_TRUE(j.Empty());
  Paint(&j, 4, 4);  // drawing nothing is fine
}

TEST(Jpeg, PicturesStoreAndLoadJpegs) {
  std::string data = RedBlue();
  TPicture p;
  {
    auto j = Load(data);
    p.SetGraphic(j.get());
  }
  TStringStream s;
  p.WriteData(&s);
  EXPECT_EQ(s.DataString().substr(0, 11), "\x0ATJPEGImage");
  s.SetPosition(0);
  TPicture q;
  q.ReadData(&s);
  auto* j = dynamic_cast<TJPEGImage*>(q.Graphic());
  ASSERT_NE(j, nullptr);
  EXPECT_EQ(q.Width(), 16);
  TStringStream back;
  j->SaveToStream(&back);
  EXPECT_EQ(back.DataString(), data);

  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  std::string file = std::string(dir) + "yoz-jpeg-" + IntToStr(int32_t(GetCurrentProcessId())) + ".jpg";
  q.SaveToFile(file);
  TPicture r;
  r.LoadFromFile(file);
  DeleteFileA(file.c_str());
  ASSERT_NE(dynamic_cast<TJPEGImage*>(r.Graphic()), nullptr);
  EXPECT_TRUE(Near(Paint(r.Graphic(), 16, 8)->Canvas()->Pixels(12, 4), clBlue));
}

TEST(Jpeg, LoadsFromADataResource) {
  std::string data = RedBlue();
  char dir[MAX_PATH], exe[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string copy = std::string(dir) + "yoz-jpeg-res-" + IntToStr(int32_t(GetCurrentProcessId())) + ".exe";
  ASSERT_TRUE(CopyFileA(exe, copy.c_str(), FALSE));
  HANDLE u = BeginUpdateResourceA(copy.c_str(), FALSE);
  ASSERT_NE(u, nullptr);
  WORD lang = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
  ASSERT_TRUE(UpdateResourceA(u, MAKEINTRESOURCEA(10), "ABOUTPIC", lang, data.data(), DWORD(data.size())));
  ASSERT_TRUE(UpdateResourceA(u, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(5), lang, data.data(), DWORD(data.size())));
  ASSERT_TRUE(EndUpdateResourceA(u, FALSE));
  HMODULE m = LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(m, nullptr);
  TJPEGImage byName, byId;
  byName.LoadFromResourceName(m, "ABOUTPIC");
  byId.LoadFromResourceID(m, 5);
  for (TJPEGImage* j : {&byName, &byId}) {
    EXPECT_EQ(j->Width(), 16);
    EXPECT_TRUE(Near(Paint(j, 16, 8)->Canvas()->Pixels(2, 2), clRed));
  }
  EXPECT_THROW(byName.LoadFromResourceName(m, "NOSUCH"), EResNotFound);
  FreeLibrary(m);
  DeleteFileA(copy.c_str());
}
