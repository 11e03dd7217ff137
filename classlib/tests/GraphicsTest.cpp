#include <gtest/gtest.h>

#include "Graphics.h"

namespace {

// A white 24-bit bitmap to paint on.
std::unique_ptr<TBitmap> Surface(int w = 40, int h = 40) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  return b;
}

}  // namespace

TEST(Colors, SystemColorsResolveThroughTheUsersScheme) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clHighlightText), GetSysColor(COLOR_HIGHLIGHTTEXT));
  EXPECT_EQ(ColorToRGB(clInfoBk), GetSysColor(COLOR_INFOBK));
  EXPECT_EQ(ColorToRGB(clRed), COLORREF(0x0000FF));
}

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
}
