#include <gtest/gtest.h>

#include <cstring>

#include "Graphics.h"

#include "TestSupport.h"

namespace {

// A white 24-bit bitmap to paint on.
std::unique_ptr<TBitmap> Surface(int w = 40, int h = 40, TPixelFormat f = pf24bit) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(f);
  b->SetSize(w, h);
  return b;
}

void Fill(TCanvas* c, const RECT& r, TColor color) {
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

int CountPixels(TCanvas* c, const RECT& r, TColor color) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (c->Pixels(x, y) == color) ++n;
  return n;
}

template <class T>
std::string Bytes(const T& v) {
  return std::string(reinterpret_cast<const char*>(&v), sizeof v);
}

// A BMP file with a 40-byte header; the caller gives palette and rows exactly as stored.
std::string Bmp(int w, int h, int bits, const std::string& palette, const std::string& rows,
                DWORD compression = BI_RGB, DWORD sizeImage = 0, DWORD colorsUsed = 0) {
  BITMAPINFOHEADER bh = DibHeader(w, h, bits);
  bh.biCompression = compression;
  bh.biSizeImage = sizeImage;
  bh.biClrUsed = colorsUsed;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = DWORD(sizeof fh + sizeof bh + palette.size());
  fh.bfSize = DWORD(fh.bfOffBits + rows.size());
  return Bytes(fh) + Bytes(bh) + palette + rows;
}

// Counts OnChange calls of whatever it is bound to.
struct Counter {
  int N = 0;
  void Hit(TObject*) { ++N; }
};

// A 16 x 16 icon: left half transparent, right half red.
HICON MakeIcon() {
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateCompatibleBitmap(screen, 16, 16);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, color);
  RECT all{0, 0, 16, 16};
  HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, black);
  RECT right{8, 0, 16, 16};
  FillRect(dc, &right, red);
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
  SelectObject(dc, mask);
  PatBlt(dc, 0, 0, 16, 16, BLACKNESS);
  RECT left{0, 0, 8, 16};
  FillRect(dc, &left, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DeleteObject(black);
  DeleteObject(red);
  ICONINFO ii{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(mask);
  DeleteObject(color);
  return icon;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------

TEST(Colors, SystemColorsResolveThroughTheUsersScheme) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clBtnShadow), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ColorToRGB(clHighlightText), GetSysColor(COLOR_HIGHLIGHTTEXT));
  EXPECT_EQ(ColorToRGB(clInfoBk), GetSysColor(COLOR_INFOBK));
  EXPECT_EQ(ColorToRGB(cl3DDkShadow), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(ColorToRGB(clRed), COLORREF(0x0000FF));
  EXPECT_EQ(ColorToRGB(0x123456), COLORREF(0x123456));
}

TEST(Colors, NamesAndNumbersRoundTrip) {
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToString(clSilver), "clSilver");  // not its alias clLtGray
  EXPECT_EQ(ColorToString(0x123456), "$00123456");
  EXPECT_EQ(StringToColor("clBtnFace"), clBtnFace);
  EXPECT_EQ(StringToColor("CLWINDOWTEXT"), clWindowText);
  EXPECT_EQ(StringToColor("clLtGray"), clSilver);
  EXPECT_EQ(StringToColor("$00123456"), 0x123456);
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_EQ(StringToColor(ColorToString(clNone)), clNone);
  EXPECT_THROW(StringToColor("clPaleMauve"), EConvertError);
  int32_t c = 0;
  EXPECT_FALSE(IdentToColor("Red", c));
  std::string s;
  EXPECT_FALSE(ColorToIdent(0x010203, s));
}

// ---------------------------------------------------------------------------------------------------

TEST(Font, SizeAndHeightFollowThePixelsPerInch) {
  TFont f;
  f.SetPixelsPerInch(96);
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  EXPECT_EQ(f.Size(), 12);
  f.SetHeight(-11);
  EXPECT_EQ(f.Size(), 8);

  TFont g;
  g.SetPixelsPerInch(120);
  g.Assign(&f);  // same point size on a finer device
  EXPECT_EQ(g.Size(), 8);
  EXPECT_EQ(g.Height(), -13);
}

TEST(Font, AChangeMakesANewHandleAndTellsOnce) {
  TFont f;
  Counter n;
  f.OnChange = Bind(&n, &Counter::Hit);
  f.SetName("Arial");
  HFONT h = f.Handle();
  EXPECT_EQ(f.Handle(), h);  // made once
  f.SetStyle({fsBold, fsUnderline});
  EXPECT_EQ(n.N, 2);
  LOGFONTA lf{};
  ASSERT_EQ(GetObjectA(f.Handle(), sizeof lf, &lf), int(sizeof lf));
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfUnderline);
  EXPECT_FALSE(lf.lfItalic);
  EXPECT_STREQ(lf.lfFaceName, "Arial");

  f.SetStyle({fsBold, fsUnderline});  // unchanged: nothing happens
  f.SetName("Arial");
  f.SetColor(f.Color());
  EXPECT_EQ(n.N, 2);
  f.SetColor(clRed);  // colour is not in the handle, but listeners must hear of it
  EXPECT_EQ(n.N, 3);
}

TEST(Font, ATakenHandleDescribesTheFont) {
  LOGFONTA lf{};
  lf.lfHeight = -20;
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = TRUE;
  lf.lfEscapement = lf.lfOrientation = -900;
  lf.lfCharSet = ANSI_CHARSET;
  strcpy(lf.lfFaceName, "Courier New");
  HFONT h = CreateFontIndirectA(&lf);
  TFont f;
  f.SetHandle(h);
  EXPECT_EQ(f.Handle(), h);
  EXPECT_EQ(f.Name(), "Courier New");
  EXPECT_EQ(f.Height(), -20);
  EXPECT_EQ(f.Style(), TFontStyles({fsBold, fsItalic}));
  EXPECT_EQ(f.Orientation(), -900);

  TFont copy;
  copy.Assign(&f);
  LOGFONTA back = copy.LogFont();
  EXPECT_EQ(back.lfEscapement, -900);
  EXPECT_EQ(back.lfWeight, FW_BOLD);
  EXPECT_STREQ(back.lfFaceName, "Courier New");
}

TEST(BrushAndPen, DescriptionsAndHandles) {
  TBrush b;
  EXPECT_EQ(b.Color(), clWhite);
  b.SetStyle(bsClear);
  LOGBRUSH lb{};
  GetObjectA(b.Handle(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, UINT(BS_NULL));
  // Giving a clear brush a colour makes it paint again.
  b.SetColor(clRed);
  EXPECT_EQ(b.Style(), bsSolid);
  GetObjectA(b.Handle(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, UINT(BS_SOLID));
  EXPECT_EQ(lb.lbColor, COLORREF(0x0000FF));
  b.SetStyle(bsDiagCross);
  GetObjectA(b.Handle(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, UINT(BS_HATCHED));
  EXPECT_EQ(lb.lbHatch, ULONG_PTR(HS_DIAGCROSS));

  TPen p;
  Counter n;
  p.OnChange = Bind(&n, &Counter::Hit);
  p.SetWidth(3);
  p.SetStyle(psDot);
  p.SetColor(clBtnShadow);
  LOGPEN lp{};
  GetObjectA(p.Handle(), sizeof lp, &lp);
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnStyle, UINT(PS_DOT));
  EXPECT_EQ(lp.lopnColor, GetSysColor(COLOR_BTNSHADOW));
  p.SetWidth(-1);  // refused
  EXPECT_EQ(p.Width(), 3);
  p.SetMode(pmXor);
  EXPECT_EQ(n.N, 4);
}

// ---------------------------------------------------------------------------------------------------

TEST(Canvas, RectangleHasPenBorderAndBrushInside) {
  auto b = Surface();
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clRed);
  c->Brush()->SetColor(clBlue);
  c->Rectangle(5, 5, 15, 15);
  EXPECT_EQ(c->Pixels(5, 5), clRed);
  EXPECT_EQ(c->Pixels(14, 14), clRed);
  EXPECT_EQ(c->Pixels(10, 10), clBlue);
  EXPECT_EQ(c->Pixels(15, 15), clWhite);
  EXPECT_EQ(c->Pixels(4, 10), clWhite);

  // A clear brush leaves the inside alone; a clear pen draws no border.
  Fill(c, {20, 20, 40, 40}, clLime);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(22, 22, 30, 30);
  EXPECT_EQ(c->Pixels(26, 26), clLime);
  EXPECT_EQ(c->Pixels(22, 22), clRed);
  c->Pen()->SetStyle(psClear);
  c->Brush()->SetColor(clNavy);
  c->Rectangle(31, 31, 38, 38);
  EXPECT_EQ(c->Pixels(34, 34), clNavy);
  EXPECT_NE(c->Pixels(31, 34), clRed);
}

TEST(Canvas, FillAndFrameRectStopBeforeRightAndBottom) {
  auto b = Surface();
  TCanvas* c = b->Canvas();
  Fill(c, {2, 2, 6, 6}, clGreen);
  EXPECT_EQ(CountPixels(c, {0, 0, 40, 40}, clGreen), 16);
  EXPECT_EQ(c->Pixels(5, 5), clGreen);
  EXPECT_EQ(c->Pixels(6, 6), clWhite);
  c->Brush()->SetColor(clMaroon);
  c->FrameRect({10, 10, 20, 20});
  EXPECT_EQ(c->Pixels(10, 10), clMaroon);
  EXPECT_EQ(c->Pixels(19, 19), clMaroon);
  EXPECT_EQ(c->Pixels(15, 15), clWhite);
  EXPECT_EQ(c->Pixels(20, 20), clWhite);
  EXPECT_EQ(CountPixels(c, {0, 0, 40, 40}, clMaroon), 36);
}

TEST(Canvas, LinesMoveThePenAndLeaveTheEndPoint) {
  auto b = Surface();
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clBlue);
  c->MoveTo(2, 3);
  c->LineTo(12, 3);
  EXPECT_EQ(c->PenPos().x, 12);
  EXPECT_EQ(c->PenPos().y, 3);
  EXPECT_EQ(c->Pixels(2, 3), clBlue);
  EXPECT_EQ(c->Pixels(11, 3), clBlue);
  EXPECT_EQ(c->Pixels(12, 3), clWhite);
  EXPECT_EQ(CountPixels(c, {0, 0, 40, 40}, clBlue), 10);

  POINT pts[] = {{20, 20}, {30, 20}, {30, 30}};
  c->Polyline(pts, 3);
  EXPECT_EQ(c->Pixels(25, 20), clBlue);
  EXPECT_EQ(c->Pixels(30, 25), clBlue);
  EXPECT_EQ(c->Pixels(25, 25), clWhite);
}

TEST(Canvas, PenModesInvertAndXor) {
  auto b = Surface();
  TCanvas* c = b->Canvas();
  Fill(c, {0, 0, 40, 40}, 0x123456);
  c->Pen()->SetMode(pmNot);
  c->MoveTo(0, 5);
  c->LineTo(20, 5);
  EXPECT_EQ(c->Pixels(10, 5), 0xEDCBA9);
  c->MoveTo(0, 5);
  c->LineTo(20, 5);  // twice is nothing
  EXPECT_EQ(c->Pixels(10, 5), 0x123456);

  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(clRed);
  c->MoveTo(0, 9);
  c->LineTo(20, 9);
  EXPECT_EQ(c->Pixels(10, 9), 0x1234A9);
  c->MoveTo(0, 9);
  c->LineTo(20, 9);
  EXPECT_EQ(c->Pixels(10, 9), 0x123456);

  c->Pen()->SetMode(pmCopy);
  c->MoveTo(0, 12);
  c->LineTo(20, 12);
  EXPECT_EQ(c->Pixels(10, 12), clRed);
  c->Pen()->SetMode(pmMask);  // pen AND screen
  c->Pen()->SetColor(0x00FF00);
  c->MoveTo(0, 14);
  c->LineTo(20, 14);
  EXPECT_EQ(c->Pixels(10, 14), 0x003400);
}

TEST(Canvas, HatchedBrushesLeaveTheBackgroundBetweenLines) {
  auto b = Surface();
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clRed);
  c->Brush()->SetStyle(bsHorizontal);
  c->FillRect({0, 0, 16, 16});
  int red = CountPixels(c, {0, 0, 16, 16}, clRed);
  int white = CountPixels(c, {0, 0, 16, 16}, clWhite);
  EXPECT_GT(red, 0);
  EXPECT_GT(white, red);
  EXPECT_EQ(red + white, 256);
  // Horizontal hatching: every row is all red or all white.
  for (int y = 0; y < 16; ++y) EXPECT_EQ(c->Pixels(0, y), c->Pixels(15, y)) << y;

  c->Brush()->SetStyle(bsDiagCross);
  c->FillRect({20, 0, 36, 16});
  EXPECT_GT(CountPixels(c, {20, 0, 36, 16}, clRed), 0);
}

TEST(Canvas, ShapesAreFilledInside) {
  auto b = Surface();
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clBlue);
  POINT tri[] = {{0, 0}, {20, 0}, {0, 20}};
  c->Polygon(tri, 3);
  EXPECT_EQ(c->Pixels(4, 4), clBlue);
  EXPECT_EQ(c->Pixels(15, 15), clWhite);
  EXPECT_EQ(c->Pixels(10, 0), clBlack);

  c->Brush()->SetColor(clLime);
  c->Ellipse(20, 20, 40, 40);
  EXPECT_EQ(c->Pixels(30, 30), clLime);
  EXPECT_EQ(c->Pixels(21, 21), clWhite);
  c->RoundRect(0, 22, 16, 38, 6, 6);
  EXPECT_EQ(c->Pixels(8, 30), clLime);
  EXPECT_EQ(c->Pixels(0, 22), clWhite);

  c->SetPixels(39, 0, clFuchsia);
  EXPECT_EQ(c->Pixels(39, 0), clFuchsia);
  EXPECT_EQ(c->Pixels(100, 100), TColor(CLR_INVALID));
}

TEST(Canvas, TextBackgroundFollowsTheBrush) {
  auto b = Surface(200, 60);
  TCanvas* c = b->Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetSize(14);
  c->Font()->SetColor(clBlack);
  SIZE sz = c->TextExtent("HHHH");
  ASSERT_GT(sz.cx, 0);
  ASSERT_GT(sz.cy, 0);
  EXPECT_EQ(c->TextWidth("HHHH"), sz.cx);
  EXPECT_GT(c->TextWidth("HHHHHHHH"), sz.cx);

  c->Brush()->SetColor(clLime);
  c->TextOut(0, 0, "HHHH");
  EXPECT_EQ(c->PenPos().x, sz.cx);
  EXPECT_EQ(CountPixels(c, {0, 0, sz.cx, sz.cy}, clWhite), 0);
  EXPECT_GT(CountPixels(c, {0, 0, sz.cx, sz.cy}, clLime), 0);

  c->Brush()->SetStyle(bsClear);
  c->TextOut(100, 0, "HHHH");
  EXPECT_GT(CountPixels(c, {100, 0, 100 + sz.cx, sz.cy}, clWhite), 0);
  EXPECT_EQ(CountPixels(c, {100, 0, 100 + sz.cx, sz.cy}, clLime), 0);

  // TextRect clips to its rectangle.
  c->TextRect({0, 40, 6, 60}, 0, 40, "WWWWWW");
  EXPECT_EQ(CountPixels(c, {6, 40, 200, 60}, clWhite), 194 * 20);
}

TEST(Canvas, AFontChangeReachesTheNextDrawing) {
  auto b = Surface(200, 40);
  TCanvas* c = b->Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetSize(10);
  int narrow = c->TextWidth("Wide text here");
  c->Font()->SetSize(20);
  int wide = c->TextWidth("Wide text here");
  EXPECT_GT(wide, narrow * 3 / 2);

  c->Font()->SetStyle({fsItalic});
  c->TextOut(0, 0, "x");
  LOGFONTA lf{};
  GetObjectA(GetCurrentObject(c->Handle(), OBJ_FONT), sizeof lf, &lf);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_EQ(lf.lfHeight, c->Font()->Height());

  // Assigning a font to the canvas font also takes effect.
  TFont other;
  other.SetName("Courier New");
  other.SetStyle({fsBold});
  c->SetFont(&other);
  c->TextOut(0, 0, "x");
  GetObjectA(GetCurrentObject(c->Handle(), OBJ_FONT), sizeof lf, &lf);
  EXPECT_STREQ(lf.lfFaceName, "Courier New");
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
}

// DrawText on the handle (as a label draws its caption) uses the canvas's font, not the context's stock font.
TEST(Canvas, TheHandleComesWithTheCanvasFontSelected) {
  auto b = Surface(200, 40);
  TCanvas* c = b->Canvas();
  TFont big;
  big.SetName("Arial");
  big.SetHeight(-30);
  c->SetFont(&big);
  TEXTMETRICA tm{};
  GetTextMetricsA(c->Handle(), &tm);
  EXPECT_GE(tm.tmHeight, 30);
  big.SetHeight(-12);
  c->SetFont(&big);
  GetTextMetricsA(c->Handle(), &tm);
  EXPECT_LT(tm.tmHeight, 20);
}

TEST(Canvas, HandleSwapsKeepEachContextsDrawingApart) {
  auto a = Surface(20, 20);
  auto other = Surface(20, 20);
  HDC otherDC = other->Canvas()->Handle();

  TCanvas* c = a->Canvas();
  c->Brush()->SetColor(clRed);
  c->FillRect({0, 0, 5, 5});
  c->MoveTo(7, 7);
  HDC own = c->Handle();
  c->SetHandle(otherDC);
  EXPECT_EQ(c->PenPos().x, 7);  // the pen position travels with the canvas
  c->Brush()->SetColor(clBlue);
  c->FillRect({0, 0, 5, 5});
  c->SetHandle(own);
  c->FillRect({10, 10, 15, 15});

  EXPECT_EQ(a->Canvas()->Pixels(2, 2), clRed);
  EXPECT_EQ(a->Canvas()->Pixels(12, 12), clBlue);
  EXPECT_EQ(other->Canvas()->Pixels(2, 2), clBlue);
  EXPECT_EQ(other->Canvas()->Pixels(12, 12), clWhite);
}

TEST(Canvas, ClipRectFollowsTheContextsClipping) {
  auto b = Surface(30, 20);
  TCanvas* c = b->Canvas();
  RECT r = c->ClipRect();
  EXPECT_EQ(r.right - r.left, 30);
  EXPECT_EQ(r.bottom - r.top, 20);
  IntersectClipRect(c->Handle(), 5, 5, 10, 10);
  r = c->ClipRect();
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.bottom, 10);
  Fill(c, {0, 0, 30, 20}, clRed);
  EXPECT_EQ(CountPixels(c, {0, 0, 30, 20}, clRed), 25);
}

TEST(Canvas, WithoutAContextItRefusesToDraw) {
  TCanvas c;
  EXPECT_FALSE(c.HandleAllocated());
  EXPECT_THROW(c.Rectangle(0, 0, 5, 5), EInvalidOperation);
  EXPECT_THROW(c.TextWidth("x"), EInvalidOperation);
}

TEST(Canvas, DrawAndStretchDrawABitmap) {
  auto src = Surface(2, 2);
  TCanvas* s = src->Canvas();
  s->SetPixels(0, 0, clRed);
  s->SetPixels(1, 0, clLime);
  s->SetPixels(0, 1, clBlue);
  s->SetPixels(1, 1, clYellow);

  auto dst = Surface(40, 40);
  TCanvas* d = dst->Canvas();
  d->Draw(30, 30, src.get());
  EXPECT_EQ(d->Pixels(30, 30), clRed);
  EXPECT_EQ(d->Pixels(31, 31), clYellow);
  EXPECT_EQ(d->Pixels(32, 32), clWhite);

  d->StretchDraw({0, 0, 20, 20}, src.get());
  EXPECT_EQ(d->Pixels(2, 2), clRed);
  EXPECT_EQ(d->Pixels(17, 2), clLime);
  EXPECT_EQ(d->Pixels(2, 17), clBlue);
  EXPECT_EQ(d->Pixels(17, 17), clYellow);
  EXPECT_EQ(d->Pixels(20, 20), clWhite);

  // The copy mode applies to drawing.
  d->SetCopyMode(NOTSRCCOPY);
  d->Draw(30, 0, src.get());
  EXPECT_EQ(d->Pixels(30, 0), 0xFFFF00);
  d->SetCopyMode(SRCCOPY);

  // Nothing happens for no graphic or an empty one.
  TBitmap empty;
  d->Draw(0, 0, &empty);
  d->Draw(0, 0, nullptr);
  EXPECT_EQ(d->Pixels(2, 2), clRed);
}

TEST(Canvas, TransparentBitmapsKeepTheBackgroundWhereTheirColourIs) {
  auto src = Surface(4, 4);
  TCanvas* s = src->Canvas();
  Fill(s, {0, 0, 4, 4}, clFuchsia);
  Fill(s, {1, 1, 3, 3}, clNavy);
  EXPECT_EQ(src->TransparentColor(), clFuchsia);  // the bottom-left pixel
  src->SetTransparent(true);

  auto dst = Surface(20, 20);
  TCanvas* d = dst->Canvas();
  Fill(d, {0, 0, 20, 20}, clGreen);
  d->Draw(0, 0, src.get());
  EXPECT_EQ(d->Pixels(0, 0), clGreen);
  EXPECT_EQ(d->Pixels(1, 1), clNavy);
  EXPECT_EQ(d->Pixels(3, 3), clGreen);
  d->StretchDraw({8, 8, 16, 16}, src.get());
  EXPECT_EQ(d->Pixels(8, 8), clGreen);
  EXPECT_EQ(d->Pixels(11, 11), clNavy);

  // A fixed transparent colour wins over the corner.
  src->SetTransparentColor(clNavy);
  EXPECT_EQ(src->TransparentMode(), tmFixed);
  Fill(d, {0, 0, 20, 20}, clGreen);
  d->Draw(0, 0, src.get());
  EXPECT_EQ(d->Pixels(0, 0), clFuchsia);
  EXPECT_EQ(d->Pixels(1, 1), clGreen);
  src->SetTransparentMode(tmAuto);
  EXPECT_EQ(src->TransparentColor(), clFuchsia);
}

TEST(Canvas, CopyRectAndBrushCopy) {
  auto src = Surface(10, 10);
  Fill(src->Canvas(), {0, 0, 10, 10}, clBlue);
  Fill(src->Canvas(), {0, 0, 5, 10}, clWhite);

  auto dst = Surface(40, 40);
  TCanvas* d = dst->Canvas();
  Fill(d, {0, 0, 40, 40}, clGreen);
  d->CopyRect({0, 0, 20, 20}, src->Canvas(), {0, 0, 10, 10});
  EXPECT_EQ(d->Pixels(2, 2), clWhite);
  EXPECT_EQ(d->Pixels(15, 2), clBlue);
  EXPECT_EQ(d->Pixels(25, 2), clGreen);

  // Clear brush: the white pixels show what was there.
  d->Brush()->SetStyle(bsClear);
  d->BrushCopy({20, 20, 30, 30}, src.get(), {0, 0, 10, 10}, clWhite);
  EXPECT_EQ(d->Pixels(22, 22), clGreen);
  EXPECT_EQ(d->Pixels(27, 27), clBlue);
  // Solid brush: they show the brush.
  d->Brush()->SetColor(clYellow);
  d->BrushCopy({30, 30, 40, 40}, src.get(), {0, 0, 10, 10}, clWhite);
  EXPECT_EQ(d->Pixels(32, 32), clYellow);
  EXPECT_EQ(d->Pixels(37, 37), clBlue);
}

TEST(Canvas, LockCountsNestedLocks) {
  TCanvas c;
  c.Lock();
  c.Lock();
  EXPECT_EQ(c.LockCount(), 2);
  EXPECT_TRUE(c.TryLock());  // the owning thread may re-enter
  c.Unlock();
  c.Unlock();
  c.Unlock();
  EXPECT_EQ(c.LockCount(), 0);
}

// ---------------------------------------------------------------------------------------------------

TEST(Bitmap, ResizingKeepsThePictureAndWhitensNewArea) {
  auto b = Surface(10, 10);
  EXPECT_FALSE(b->Empty());
  b->Canvas()->SetPixels(1, 1, clRed);
  Counter n;
  b->OnChange = Bind(&n, &Counter::Hit);
  b->SetSize(30, 20);
  EXPECT_EQ(n.N, 1);
  EXPECT_EQ(b->Width(), 30);
  EXPECT_EQ(b->Height(), 20);
  EXPECT_EQ(b->Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(b->Canvas()->Pixels(25, 15), clWhite);
  b->SetSize(30, 20);
  EXPECT_EQ(n.N, 1);
  b->SetWidth(0);
  EXPECT_TRUE(b->Empty());
}

TEST(Bitmap, DrawingOnTheCanvasTellsTheBitmapsListeners) {
  auto b = Surface(10, 10);
  Counter n;
  b->OnChange = Bind(&n, &Counter::Hit);
  b->Canvas()->Rectangle(0, 0, 5, 5);
  EXPECT_EQ(n.N, 1);
  EXPECT_TRUE(b->Modified());
}

TEST(Bitmap, TheHandleLeavesTheCanvasSoOthersCanSelectIt) {
  auto b = Surface(10, 10);
  b->Canvas()->SetPixels(0, 0, clRed);
  HBITMAP h = b->Handle();
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, h);
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(GetPixel(dc, 0, 0), COLORREF(0x0000FF));
  SetPixel(dc, 1, 0, RGB(0, 0, 255));
  SelectObject(dc, old);
  DeleteDC(dc);
  // The canvas picks the bitmap up again.
  EXPECT_EQ(b->Canvas()->Pixels(1, 0), clBlue);
}

TEST(Bitmap, FormatsConvertThePicture) {
  auto b = Surface(8, 8);
  Fill(b->Canvas(), {0, 0, 4, 8}, clBlack);
  Fill(b->Canvas(), {4, 0, 8, 8}, clYellow);
  b->SetMonochrome(true);
  EXPECT_EQ(b->PixelFormat(), pf1bit);
  EXPECT_TRUE(b->Monochrome());
  EXPECT_EQ(b->Canvas()->Pixels(1, 1), clBlack);
  EXPECT_EQ(b->Canvas()->Pixels(6, 1), clWhite);  // a light colour becomes white
  b->SetPixelFormat(pf32bit);
  EXPECT_EQ(b->HandleType(), bmDIB);
  EXPECT_EQ(b->Canvas()->Pixels(6, 1), clWhite);
  b->SetPixelFormat(pfDevice);
  EXPECT_EQ(b->HandleType(), bmDDB);
  EXPECT_EQ(b->Canvas()->Pixels(1, 1), clBlack);
}

TEST(Bitmap, StreamRoundTripOfEveryFormat) {
  for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit, pfDevice}) {
    auto b = Surface(13, 7, f);  // odd width: rows are padded
    TCanvas* c = b->Canvas();
    Fill(c, {0, 0, 13, 7}, clBlack);
    c->SetPixels(0, 0, clWhite);
    c->SetPixels(12, 6, clWhite);
    if (f != pf1bit) {
      Fill(c, {2, 2, 5, 5}, clRed);
      c->SetPixels(12, 0, clBlue);
    }
    TStringStream s;
    b->SaveToStream(&s);
    s.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(&s);
    EXPECT_EQ(s.Position(), s.Size()) << f;
    EXPECT_EQ(back.Width(), 13);
    EXPECT_EQ(back.Height(), 7);
    EXPECT_EQ(back.PixelFormat(), f == pfDevice ? pf24bit : f) << f;
    TCanvas* bc = back.Canvas();
    EXPECT_EQ(bc->Pixels(0, 0), clWhite) << f;
    EXPECT_EQ(bc->Pixels(12, 6), clWhite) << f;
    EXPECT_EQ(bc->Pixels(6, 3), clBlack) << f;
    if (f != pf1bit) {
      EXPECT_EQ(bc->Pixels(3, 3), clRed) << f;
      EXPECT_EQ(bc->Pixels(12, 0), clBlue) << f;
    }
  }
}

TEST(Bitmap, ReadsTopDownRleAndOldStyleFiles) {
  // Two rows, top-down: the first row stored is the top one.
  std::string rows = std::string("\x00\x00\xFF\xFF\x00\x00", 6) + std::string(2, '\0') +
                     std::string("\xFF\x00\x00\x00\xFF\x00", 6) + std::string(2, '\0');
  TStringStream s(Bmp(2, -2, 24, "", rows));
  TBitmap b;
  b.LoadFromStream(&s);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(1, 0), clBlue);
  EXPECT_EQ(b.Canvas()->Pixels(0, 1), clBlue);
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), clLime);

  // RLE8: a run of 4 of colour 1 on each of two rows.
  std::string palette = std::string("\x00\x00\x00\x00", 4) + std::string("\x00\xFF\x00\x00", 4);
  std::string rle = std::string("\x04\x01\x00\x00\x04\x01\x00\x01", 8);
  TStringStream r(Bmp(4, 2, 8, palette, rle, BI_RLE8, DWORD(rle.size()), 2));
  TBitmap rb;
  rb.LoadFromStream(&r);
  EXPECT_EQ(rb.Width(), 4);
  EXPECT_EQ(rb.Canvas()->Pixels(3, 1), clLime);

  // A core header with a 3-byte palette, 1 bit per pixel.
  BITMAPCOREHEADER ch{sizeof ch, 8, 1, 1, 1};
  std::string core = Bytes(ch) + std::string("\x00\x00\x00\xFF\xFF\xFF", 6) + std::string("\xF0\x00\x00\x00", 4);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = DWORD(sizeof fh + sizeof ch + 6);
  fh.bfSize = DWORD(sizeof fh + core.size());
  TStringStream cs(Bytes(fh) + core);
  TBitmap cb;
  cb.LoadFromStream(&cs);
  EXPECT_EQ(cb.Canvas()->Pixels(0, 0), clWhite);
  EXPECT_EQ(cb.Canvas()->Pixels(7, 0), clBlack);
}

TEST(Bitmap, DamagedFilesRaiseAndLeaveThePicture) {
  std::string good = Bmp(2, 2, 24, "", std::string(16, '\x40'));
  auto damaged = [&](std::string s) {
    TBitmap b;
    b.SetSize(3, 3);
    TStringStream st(s);
    EXPECT_THROW(b.LoadFromStream(&st), EInvalidGraphic);
    EXPECT_EQ(b.Width(), 3);
  };
  std::string s = good;
  s[0] = 'X';
  damaged(s);  // not a BMP
  damaged(good.substr(0, good.size() - 3));  // bits cut short
  damaged(good.substr(0, 20));               // header cut short
  s = good;
  reinterpret_cast<BITMAPINFOHEADER*>(&s[14])->biWidth = 100000;  // absurd size
  damaged(s);
  s = good;
  reinterpret_cast<BITMAPINFOHEADER*>(&s[14])->biBitCount = 7;
  damaged(s);
  s = good;
  reinterpret_cast<BITMAPFILEHEADER*>(&s[0])->bfOffBits = 0x7FFFFFF0;  // bits beyond the end
  damaged(s);
  s = good;
  reinterpret_cast<BITMAPINFOHEADER*>(&s[14])->biClrUsed = 1000;
  reinterpret_cast<BITMAPINFOHEADER*>(&s[14])->biBitCount = 8;
  damaged(s);
  s = good;
  reinterpret_cast<BITMAPINFOHEADER*>(&s[14])->biSize = 5000;
  damaged(s);
  // A few run-length bytes claiming a picture of a thousand million pixels.
  damaged(Bmp(32000, 32000, 8, std::string(1024, '\0'), std::string("\x00\x01", 2), BI_RLE8, 2, 256));
  // A palette the file is too short for.
  damaged(Bmp(4, 2, 8, std::string(8, '\0'), std::string(8, '\0')));
  // Nothing at all is an empty bitmap.
  TBitmap b;
  TStringStream none;
  b.LoadFromStream(&none);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, AssignMakesAnIndependentCopy) {
  auto a = Surface(6, 6, pf8bit);
  Fill(a->Canvas(), {0, 0, 6, 6}, clRed);
  a->SetTransparentColor(clRed);
  TBitmap b;
  b.Assign(a.get());
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(b.TransparentColor(), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(3, 3), clRed);
  Fill(b.Canvas(), {0, 0, 6, 6}, clBlue);
  EXPECT_EQ(a->Canvas()->Pixels(3, 3), clRed);
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());

  TIcon icon;
  EXPECT_THROW(b.Assign(&icon), EConvertError);
}

TEST(Bitmap, HandlesAreTakenOverAndReleased) {
  HDC screen = GetDC(nullptr);
  HBITMAP h = CreateCompatibleBitmap(screen, 9, 4);
  ReleaseDC(nullptr, screen);
  TBitmap b;
  b.SetHandle(h);
  EXPECT_EQ(b.Width(), 9);
  EXPECT_EQ(b.Height(), 4);
  EXPECT_EQ(b.HandleType(), bmDDB);
  EXPECT_EQ(b.ReleaseHandle(), h);
  EXPECT_FALSE(b.HandleAllocated());
  EXPECT_NE(GetObjectType(h), 0u);  // still ours to free
  DeleteObject(h);
  EXPECT_THROW(b.LoadFromResourceName(GetModuleHandleA(nullptr), "NOSUCHBITMAP"), EResNotFound);
}

// ---------------------------------------------------------------------------------------------------

TEST(Icon, StreamRoundTripKeepsShapeAndTransparency) {
  TIcon icon;
  icon.SetHandle(MakeIcon());
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.Height(), 16);
  TStringStream s;
  icon.SaveToStream(&s);
  std::string file = s.DataString();
  ASSERT_GT(file.size(), 22u);

  // Trailing bytes after the icon are not eaten.
  TStringStream t(file + "TAIL");
  TIcon back;
  back.LoadFromStream(&t);
  EXPECT_EQ(t.Position(), int64_t(file.size()));
  EXPECT_EQ(back.Width(), 16);

  auto dst = Surface(20, 20);
  Fill(dst->Canvas(), {0, 0, 20, 20}, clGreen);
  dst->Canvas()->Draw(0, 0, &back);
  EXPECT_EQ(dst->Canvas()->Pixels(3, 8), clGreen);
  EXPECT_EQ(dst->Canvas()->Pixels(12, 8), clRed);

  // Saving what was read writes the same file.
  TStringStream again;
  back.SaveToStream(&again);
  EXPECT_EQ(again.DataString(), file);
}

TEST(Icon, DamagedFilesRaise) {
  TIcon icon;
  icon.SetHandle(MakeIcon());
  TStringStream s;
  icon.SaveToStream(&s);
  std::string good = s.DataString();
  auto damaged = [](const std::string& data) {
    TIcon i;
    TStringStream st(data);
    EXPECT_THROW(i.LoadFromStream(&st), EInvalidGraphic);
    EXPECT_TRUE(i.Empty());
  };
  std::string bad = good;
  bad[2] = 2;  // a cursor
  damaged(bad);
  bad = good;
  bad[4] = 0;  // no images
  damaged(bad);
  bad = good;
  reinterpret_cast<uint32_t&>(bad[18]) = 0x7FFFFFF0;  // image offset beyond the end
  damaged(bad);
  damaged(good.substr(0, good.size() - 10));
  damaged(good.substr(0, 5));
  EXPECT_THROW(icon.SetWidth(32), EInvalidGraphic);
}

// ---------------------------------------------------------------------------------------------------

TEST(Picture, DataRoundTripOfBitmapAndIcon) {
  TPicture p;
  Counter n;
  p.OnChange = Bind(&n, &Counter::Hit);
  TBitmap* b = p.Bitmap();
  b->SetSize(5, 5);
  Fill(b->Canvas(), {0, 0, 5, 5}, clTeal);
  EXPECT_GE(n.N, 2);  // made, resized, painted

  TStringStream s;
  p.WriteData(&s);
  EXPECT_EQ(s.DataString().substr(0, 8), std::string("\x07TBitmap", 8));
  s.SetPosition(0);
  TPicture q;
  q.ReadData(&s);
  ASSERT_NE(dynamic_cast<TBitmap*>(q.Graphic()), nullptr);
  EXPECT_EQ(q.Width(), 5);
  EXPECT_EQ(q.Bitmap()->Canvas()->Pixels(2, 2), clTeal);

  // Asking an icon picture for a bitmap replaces the icon.
  q.Icon()->SetHandle(MakeIcon());
  EXPECT_EQ(q.Width(), 16);
  TStringStream si;
  q.WriteData(&si);
  si.SetPosition(0);
  TPicture r;
  r.ReadData(&si);
  ASSERT_NE(dynamic_cast<TIcon*>(r.Graphic()), nullptr);
  EXPECT_EQ(r.Height(), 16);
  q.Bitmap();
  EXPECT_EQ(q.Width(), 0);

  // An empty picture writes an empty name and reads back empty.
  TPicture e;
  TStringStream se;
  e.WriteData(&se);
  EXPECT_EQ(se.DataString(), std::string(1, '\0'));
  se.SetPosition(0);
  r.ReadData(&se);
  EXPECT_EQ(r.Graphic(), nullptr);

  TStringStream unknown(std::string("\x09TMetafile", 10));
  EXPECT_THROW(r.ReadData(&unknown), EInvalidGraphic);
}

TEST(Picture, AssignCopiesTheGraphic) {
  TPicture a;
  a.Bitmap()->SetSize(3, 3);
  a.Bitmap()->Canvas()->SetPixels(1, 1, clRed);
  TPicture b;
  b.Assign(&a);
  ASSERT_NE(b.Graphic(), a.Graphic());
  EXPECT_EQ(b.Bitmap()->Canvas()->Pixels(1, 1), clRed);
  b.SetGraphic(nullptr);
  EXPECT_EQ(b.Graphic(), nullptr);
  b.SetBitmap(a.Bitmap());
  EXPECT_EQ(b.Bitmap()->Canvas()->Pixels(1, 1), clRed);
  b.Assign(nullptr);
  EXPECT_EQ(b.Graphic(), nullptr);
}

TEST(Picture, FilesAreReadByTheirExtension) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  std::string bmp = std::string(dir) + "yoz-gfx-" + IntToStr(int32_t(GetCurrentProcessId())) + ".bmp";
  TPicture p;
  p.Bitmap()->SetSize(4, 3);
  Fill(p.Bitmap()->Canvas(), {0, 0, 4, 3}, clPurple);
  p.SaveToFile(bmp);
  TPicture q;
  q.LoadFromFile(bmp);
  EXPECT_EQ(q.Width(), 4);
  EXPECT_EQ(q.Bitmap()->Canvas()->Pixels(0, 0), clPurple);
  DeleteFileA(bmp.c_str());
  EXPECT_THROW(q.LoadFromFile(std::string(dir) + "picture.xyz"), EInvalidGraphic);
  EXPECT_THROW(q.LoadFromFile(bmp), EFOpenError);
  EXPECT_EQ(q.Width(), 4);  // a failed load leaves the picture
}

// ---------------------------------------------------------------------------------------------------
// Resources: a copy of this program gets a bitmap and an icon, and is loaded as a data file.

TEST(Resources, BitmapsAndIconsLoadByNameAndId) {
  auto b = Surface(6, 4);
  Fill(b->Canvas(), {0, 0, 3, 4}, clRed);
  TStringStream bmp;
  b->SaveToStream(&bmp);
  std::string dib = bmp.DataString().substr(sizeof(BITMAPFILEHEADER));

  TIcon icon;
  icon.SetHandle(MakeIcon());
  TStringStream ico;
  icon.SaveToStream(&ico);
  std::string file = ico.DataString();
  // An icon group: the directory with each entry's offset replaced by the RT_ICON id.
  const size_t entry = 16;
  std::string image = file.substr(6 + entry);
  std::string group = file.substr(0, 6) + file.substr(6, 12) + std::string("\x01\x00", 2);

  char dir[MAX_PATH], exe[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string copy = std::string(dir) + "yoz-gfx-res-" + IntToStr(int32_t(GetCurrentProcessId())) + ".exe";
  ASSERT_TRUE(CopyFileA(exe, copy.c_str(), FALSE));
  HANDLE u = BeginUpdateResourceA(copy.c_str(), FALSE);
  ASSERT_NE(u, nullptr);
  WORD lang = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
  ASSERT_TRUE(UpdateResourceA(u, MAKEINTRESOURCEA(2), "TESTBMP", lang, dib.data(), DWORD(dib.size())));
  ASSERT_TRUE(UpdateResourceA(u, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(7), lang, dib.data(), DWORD(dib.size())));
  ASSERT_TRUE(UpdateResourceA(u, MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(1), lang, image.data(), DWORD(image.size())));
  ASSERT_TRUE(UpdateResourceA(u, MAKEINTRESOURCEA(14), "TESTICO", lang, group.data(), DWORD(group.size())));
  ASSERT_TRUE(EndUpdateResourceA(u, FALSE));
  HMODULE m = LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(m, nullptr);

  TBitmap byName, byId;
  byName.LoadFromResourceName(m, "TESTBMP");
  byId.LoadFromResourceID(m, 7);
  for (TBitmap* r : {&byName, &byId}) {
    EXPECT_EQ(r->Width(), 6);
    EXPECT_EQ(r->Height(), 4);
    EXPECT_EQ(r->Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(r->Canvas()->Pixels(4, 1), clWhite);
  }
  TIcon ri;
  ri.LoadFromResourceName(m, "TESTICO");
  EXPECT_TRUE(ri.HandleAllocated());
  auto dst = Surface(40, 40);
  Fill(dst->Canvas(), {0, 0, 40, 40}, clGreen);
  dst->Canvas()->StretchDraw({0, 0, 16, 16}, &ri);
  EXPECT_EQ(dst->Canvas()->Pixels(3, 8), clGreen);
  EXPECT_EQ(dst->Canvas()->Pixels(12, 8), clRed);
  EXPECT_THROW(ri.LoadFromResourceName(m, "NOSUCHICON"), EResNotFound);
  EXPECT_THROW(byId.LoadFromResourceID(m, 99), EResNotFound);
  FreeLibrary(m);
  DeleteFileA(copy.c_str());
}

// ---------------------------------------------------------------------------------------------------
// Form resources set fonts, brushes and pictures.

namespace {

class TGfxHolder : public TComponent {
  YOZ_CLASS(TGfxHolder, TComponent)
public:
  explicit TGfxHolder(TComponent* AOwner) : TComponent(AOwner) {}
  TFont* Font() const { return FFont.get(); }
  TBrush* Brush() const { return FBrush.get(); }
  TPen* Pen() const { return FPen.get(); }
  TPicture* Picture() const { return FPicture.get(); }
  TBitmap* Glyph() const { return FGlyph.get(); }
  static void Publish(TPublisher<TGfxHolder>& p) {
    p.Object("Glyph", &TGfxHolder::Glyph);
    p.Object("Font", &TGfxHolder::Font);
    p.Object("Brush", &TGfxHolder::Brush);
    p.Object("Pen", &TGfxHolder::Pen);
    p.Object("Picture", &TGfxHolder::Picture);
  }

private:
  std::unique_ptr<TFont> FFont = std::make_unique<TFont>();
  std::unique_ptr<TBrush> FBrush = std::make_unique<TBrush>();
  std::unique_ptr<TPen> FPen = std::make_unique<TPen>();
  std::unique_ptr<TPicture> FPicture = std::make_unique<TPicture>();
  std::unique_ptr<TBitmap> FGlyph = std::make_unique<TBitmap>();
};

}  // namespace

TEST(FormResources, FontBrushPenAndPictureProperties) {
  TPicture pic;
  pic.Bitmap()->SetSize(3, 2);
  Fill(pic.Bitmap()->Canvas(), {0, 0, 3, 2}, clOlive);
  TStringStream data;
  pic.WriteData(&data);
  TStringStream glyph;
  pic.Bitmap()->SaveToStream(&glyph);

  std::string text = "object Holder: TGfxHolder\n"
                     "  Font.Name = 'Tahoma'\n"
                     "  Font.Height = -13\n"
                     "  Font.Charset = RUSSIAN_CHARSET\n"
                     "  Font.Style = [fsBold, fsItalic]\n"
                     "  Font.Color = clHighlightText\n"
                     "  Brush.Color = clBtnFace\n"
                     "  Brush.Style = bsDiagCross\n"
                     "  Pen.Color = $00123456\n"
                     "  Pen.Mode = pmNotXor\n"
                     "  Pen.Width = 2\n"
                     "  Pen.Style = psDot\n"
                     "  Picture.Data = {" + Hex(data.DataString()) + "}\n"
                     "  Glyph.Data = {" + Hex(glyph.DataString()) + "}\n"
                     "end\n";
  TGfxHolder holder(nullptr);
  ReadComponentFromText(text, &holder);
  EXPECT_EQ(holder.Font()->Name(), "Tahoma");
  EXPECT_EQ(holder.Font()->Height(), -13);
  EXPECT_EQ(holder.Font()->Charset(), RUSSIAN_CHARSET);
  EXPECT_EQ(holder.Font()->Style(), TFontStyles({fsBold, fsItalic}));
  EXPECT_EQ(holder.Font()->Color(), clHighlightText);
  EXPECT_EQ(holder.Brush()->Color(), clBtnFace);
  EXPECT_EQ(holder.Brush()->Style(), bsDiagCross);
  EXPECT_EQ(holder.Pen()->Color(), 0x123456);
  EXPECT_EQ(holder.Pen()->Mode(), pmNotXor);
  EXPECT_EQ(holder.Pen()->Width(), 2);
  EXPECT_EQ(holder.Pen()->Style(), psDot);
  ASSERT_NE(dynamic_cast<TBitmap*>(holder.Picture()->Graphic()), nullptr);
  EXPECT_EQ(holder.Picture()->Width(), 3);
  EXPECT_EQ(holder.Picture()->Bitmap()->Canvas()->Pixels(2, 1), clOlive);
  EXPECT_EQ(holder.Glyph()->Width(), 3);
  EXPECT_EQ(holder.Glyph()->Canvas()->Pixels(0, 0), clOlive);

  // A damaged picture names its line.
  std::string broken = "object Holder: TGfxHolder\n  Picture.Data = {07544269746D6170424D}\nend\n";
  try {
    ReadComponentFromText(broken, &holder);
    FAIL() << "no error";
  } catch (const EParserError& e) {
    EXPECT_EQ(e.Line, 2);
  }
}
