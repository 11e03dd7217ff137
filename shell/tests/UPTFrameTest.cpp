// Frame styles drawn into memory bitmaps, the group's non-client frame and client area on a real
// window, enabling of a group's children, and the windowless frame's painting rules.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Forms.h"
#include "TestSupport.h"
#include "UPTFrame.h"

namespace {

class FrameEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitForms();
    UPTFrameInitialize();
  }
  void TearDown() override { DoneForms(); }
};
const auto* const Env = ::testing::AddGlobalTestEnvironment(new FrameEnvironment);

FormPtr NewForm(int W = 320, int H = 240) {
  FormPtr f(new TForm(nullptr));
  f->SetBorderStyle(bsNone);
  f->SetColor(clWhite);
  f->SetBounds(40, 40, W, H);
  return f;
}

COLORREF Sys(TColor c) { return ColorToRGB(c); }

constexpr TColor Marker = clFuchsia;   // a colour no frame uses
constexpr int BW = 40, BH = 30;        // bitmap size; the frame rectangle is (0, 0, 39, 29)

std::unique_ptr<TBitmap> FramedBitmap(TPTFrameStyle Style, const std::string& Caption = "", bool Enabled = true,
                                      TColor Color = Marker) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(BW, BH);
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(Marker);
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(RECT{0, 0, BW, BH});
  c->Font()->SetColor(clBlack);
  PTDrawFrame(c, RECT{0, 0, BW - 1, BH - 1}, Style, Caption, Enabled, Color);
  return bmp;
}

struct Probe {
  int X, Y;
  TColor Colour;
};

void ExpectPixels(TPTFrameStyle Style, const std::vector<Probe>& Probes) {
  auto bmp = FramedBitmap(Style);
  for (const Probe& p : Probes)
    EXPECT_EQ(ColorToRGB(bmp->Canvas()->Pixels(p.X, p.Y)) & 0xFFFFFF, Sys(p.Colour))
        << PTFrameStyleNames.Names[Style] << " at " << p.X << "," << p.Y;
}

// Pixels of the window (frame included) as they are on the screen.
std::unique_ptr<TBitmap> WindowShot(HWND Wnd) {
  RECT r;
  GetWindowRect(Wnd, &r);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(r.right - r.left, r.bottom - r.top);
  HDC dc = GetWindowDC(Wnd);
  BitBlt(bmp->Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, dc, 0, 0, SRCCOPY);
  ReleaseDC(Wnd, dc);
  return bmp;
}

COLORREF At(TBitmap* b, int x, int y) { return ColorToRGB(b->Canvas()->Pixels(x, y)) & 0xFFFFFF; }

// Does any pixel of the rectangle have the colour?
bool AnyPixel(TBitmap* b, RECT r, COLORREF c) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (At(b, x, y) == c) return true;
  return false;
}

// ---------------------------------------------------------------------------------------------------

TEST(FrameStyles, InsetTable) {
  struct Row {
    TPTFrameStyle Style;
    RECT Inset;
  } rows[] = {
      {ptfsNone, {0, 0, 0, 0}},     {ptfsGroup, {0, 0, 0, 0}},    {ptfsLowered, {2, 2, 2, 2}},
      {ptfsRaised, {2, 2, 2, 2}},   {ptfsDint, {1, 1, 1, 1}},     {ptfsBump, {1, 1, 1, 1}},
      {ptfsSingle, {1, 1, 1, 1}},   {ptfsHorzLine, {0, 2, 0, 0}}, {ptfsHorzEdge, {0, 2, 0, 2}},
      {ptfsVertLine, {2, 0, 0, 0}}, {ptfsVertEdge, {2, 0, 2, 0}},
  };
  for (const Row& r : rows) {
    RECT got = PTFrameInset(r.Style);
    EXPECT_TRUE(EqualRect(&got, &r.Inset)) << PTFrameStyleNames.Names[r.Style];
  }
}

TEST(FrameStyles, EveryStyleDrawsItsLinesAndLeavesTheInsideAlone) {
  const TColor Sh = clBtnShadow, Hi = clBtnHighlight, Dk = cl3DDkShadow, Fa = clBtnFace, M = Marker;
  // R = (0, 0, 39, 29): L 0, T 0, R 39, B 29.
  ExpectPixels(ptfsNone, {{0, 0, M}, {0, 10, M}, {39, 29, M}, {20, 15, M}});
  ExpectPixels(ptfsLowered, {{0, 10, Sh}, {10, 0, Sh}, {1, 10, Dk}, {10, 1, Dk}, {10, 28, Fa}, {38, 10, Fa},
                             {10, 29, Hi}, {39, 10, Hi}, {0, 29, Hi}, {39, 0, Hi}, {2, 10, M}, {20, 15, M}});
  ExpectPixels(ptfsRaised, {{0, 10, Hi}, {10, 0, Hi}, {1, 10, Fa}, {10, 1, Fa}, {10, 28, Sh}, {38, 10, Sh},
                            {10, 29, Dk}, {39, 10, Dk}, {0, 29, Dk}, {39, 0, Dk}, {2, 10, M}, {20, 15, M}});
  ExpectPixels(ptfsDint, {{0, 10, Sh}, {10, 0, Sh}, {10, 29, Hi}, {39, 10, Hi}, {1, 10, M}, {10, 28, M}});
  ExpectPixels(ptfsBump, {{0, 10, Hi}, {10, 0, Hi}, {10, 29, Sh}, {39, 10, Sh}, {1, 10, M}, {10, 28, M}});
  ExpectPixels(ptfsSingle, {{0, 10, clWindowFrame}, {10, 0, clWindowFrame}, {39, 10, clWindowFrame},
                            {10, 29, clWindowFrame}, {39, 29, clWindowFrame}, {1, 10, M}, {38, 28, M}});
  ExpectPixels(ptfsHorzLine, {{0, 0, Sh}, {39, 0, Sh}, {0, 1, Hi}, {39, 1, Hi}, {10, 2, M}, {10, 29, M}, {0, 10, M}});
  ExpectPixels(ptfsHorzEdge, {{0, 0, Sh}, {39, 0, Sh}, {0, 1, Hi}, {10, 28, Sh}, {39, 28, Sh}, {10, 29, Hi},
                              {39, 29, Hi}, {10, 2, M}, {10, 27, M}, {0, 10, M}});
  ExpectPixels(ptfsVertLine, {{0, 0, Sh}, {0, 29, Sh}, {1, 0, Hi}, {1, 29, Hi}, {2, 10, M}, {39, 10, M}, {10, 0, M}});
  ExpectPixels(ptfsVertEdge, {{0, 0, Sh}, {0, 29, Sh}, {1, 10, Hi}, {38, 0, Sh}, {38, 29, Sh}, {39, 10, Hi},
                              {39, 29, Hi}, {2, 10, M}, {37, 10, M}, {10, 0, M}});
}

TEST(FrameStyles, GroupBoxWithoutCaptionIsAnEtchedRectangleOverTheBackground) {
  auto bmp = FramedBitmap(ptfsGroup, "", true, clAqua);
  const COLORREF Sh = Sys(clBtnShadow), Hi = Sys(clBtnHighlight);
  // No caption: H = 2, the top stays where it is; highlight one pixel down and right of the shadow.
  EXPECT_EQ(At(bmp.get(), 0, 10), Sh);
  EXPECT_EQ(At(bmp.get(), 1, 10), Hi);
  EXPECT_EQ(At(bmp.get(), 10, 0), Sh);
  EXPECT_EQ(At(bmp.get(), 10, 1), Hi);
  EXPECT_EQ(At(bmp.get(), 38, 10), Sh);
  EXPECT_EQ(At(bmp.get(), 39, 10), Hi);
  EXPECT_EQ(At(bmp.get(), 10, 28), Sh);
  EXPECT_EQ(At(bmp.get(), 10, 29), Hi);
  // Filled with the background colour, last row and column included.
  EXPECT_EQ(At(bmp.get(), 20, 15), Sys(clAqua));
  EXPECT_EQ(At(bmp.get(), 39, 0), Sys(clAqua));
}

TEST(FrameStyles, GroupBoxCaptionSitsInTheTopEdgeEmbossedWhenDisabled) {
  auto probe = std::make_unique<TBitmap>();
  probe->Canvas()->Font()->SetColor(clBlack);
  int H = probe->Canvas()->TextHeight("0");
  ASSERT_GT(H, 4);
  const COLORREF Sh = Sys(clBtnShadow), Hi = Sys(clBtnHighlight);
  const int top = H / 2 - 1;
  auto on = FramedBitmap(ptfsGroup, "WWW", true, clAqua);
  EXPECT_EQ(At(on.get(), 2, top), Sh);
  EXPECT_EQ(At(on.get(), 2, top + 1), Hi);
  EXPECT_EQ(At(on.get(), 0, top + 5), Sh);
  EXPECT_EQ(At(on.get(), 2, 0), Sys(clAqua));   // above the line: background
  RECT text{8, 0, BW - 8, H};
  EXPECT_TRUE(AnyPixel(on.get(), text, RGB(0, 0, 0)));
  // Text is clipped to its rectangle, 8 pixels in from either side.
  EXPECT_FALSE(AnyPixel(on.get(), RECT{0, 0, 7, H}, RGB(0, 0, 0)));

  auto off = FramedBitmap(ptfsGroup, "WWW", false, clAqua);
  EXPECT_FALSE(AnyPixel(off.get(), text, RGB(0, 0, 0)));
  RECT inner{9, 0, BW - 9, top};
  EXPECT_TRUE(AnyPixel(off.get(), inner, Sh));
}

// ---------------------------------------------------------------------------------------------------
// The windowed group

TEST(Group, ClientAreaFollowsTheFrameStyle) {
  FormPtr f = NewForm();
  auto* g = new TPTGroup(f.get());
  g->SetParent(f.get());
  g->SetBounds(10, 10, 100, 80);
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  ASSERT_TRUE(g->HandleAllocated());
  auto clientOffset = [&]() {
    POINT p{0, 0};
    MapWindowPoints(g->WindowHandle(), f->WindowHandle(), &p, 1);
    return POINT{p.x - g->Left(), p.y - g->Top()};
  };
  struct Row {
    TPTFrameStyle Style;
    int L, T, R, B;
  } rows[] = {{ptfsGroup, 2, 2, 2, 2},     {ptfsLowered, 2, 2, 2, 2},   {ptfsHorzLine, 0, 2, 0, 0},
              {ptfsVertEdge, 2, 0, 2, 0},  {ptfsSingle, 1, 1, 1, 1},    {ptfsNone, 0, 0, 0, 0},
              {ptfsHorzEdge, 0, 2, 0, 2},  {ptfsGroup, 2, 2, 2, 2}};
  for (const Row& r : rows) {
    g->SetFrameStyle(r.Style);
    RECT c = g->ClientRect();
    POINT o = clientOffset();
    EXPECT_EQ(c.right, 100 - r.L - r.R) << PTFrameStyleNames.Names[r.Style];
    EXPECT_EQ(c.bottom, 80 - r.T - r.B) << PTFrameStyleNames.Names[r.Style];
    EXPECT_EQ(o.x, r.L) << PTFrameStyleNames.Names[r.Style];
    EXPECT_EQ(o.y, r.T) << PTFrameStyleNames.Names[r.Style];
  }
  // With a caption the group style's top inset is the height of "0" in the group's font.
  g->SetCaption("Board");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, g->Font()->Handle());
  SIZE sz;
  GetTextExtentPoint32A(dc, "0", 1, &sz);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(clientOffset().y, sz.cy);
  EXPECT_EQ(g->ClientRect().bottom, 80 - sz.cy - 2);
  // A bigger font grows the inset.
  g->Font()->SetSize(g->Font()->Size() * 2);
  EXPECT_GT(clientOffset().y, sz.cy);
  g->SetCaption("");
  EXPECT_EQ(clientOffset().y, 2);
}

TEST(Group, ChildrenFillOnlyTheInnerArea) {
  FormPtr f = NewForm();
  auto* g = new TPTGroup(f.get());
  g->SetParent(f.get());
  g->SetFrameStyle(ptfsLowered);
  g->SetBounds(10, 10, 100, 80);
  auto* child = new TPTGroup(f.get());
  child->SetFrameStyle(ptfsNone);
  child->SetParent(g);
  child->SetAlign(alClient);
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  EXPECT_EQ(child->Width(), 96);
  EXPECT_EQ(child->Height(), 76);
  g->SetFrameStyle(ptfsHorzLine);
  PumpQueued();
  EXPECT_EQ(child->Width(), 100);
  EXPECT_EQ(child->Height(), 78);
}

TEST(Group, FrameIsPaintedInTheNonClientArea) {
  FormPtr f = NewForm();
  auto* g = new TPTGroup(f.get());
  g->SetParent(f.get());
  g->SetColor(clWhite);
  g->SetFrameStyle(ptfsLowered);
  g->SetBounds(10, 10, 60, 40);
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  g->Repaint();
  RedrawWindow(g->WindowHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  PumpUntilPainted(g->WindowHandle());
  auto shot = WindowShot(g->WindowHandle());
  EXPECT_EQ(At(shot.get(), 0, 10), Sys(clBtnShadow));
  EXPECT_EQ(At(shot.get(), 1, 10), Sys(cl3DDkShadow));
  EXPECT_EQ(At(shot.get(), 58, 10), Sys(clBtnFace));
  EXPECT_EQ(At(shot.get(), 59, 10), Sys(clBtnHighlight));
  EXPECT_EQ(At(shot.get(), 30, 20), Sys(clWhite));

  g->SetFrameStyle(ptfsRaised);
  // The frame lies outside the client area, where no update region tells when it is drawn: its pixel.
  PumpUntil([&] { return At(WindowShot(g->WindowHandle()).get(), 0, 10) == Sys(clBtnHighlight); });
  shot = WindowShot(g->WindowHandle());
  EXPECT_EQ(At(shot.get(), 0, 10), Sys(clBtnHighlight));
  EXPECT_EQ(At(shot.get(), 59, 10), Sys(cl3DDkShadow));
}

TEST(Group, DisablingAndEnablingReachesEveryChild) {
  FormPtr f = NewForm();
  auto* g = new TPTGroup(f.get());
  g->SetParent(f.get());
  g->SetCaption("Group");
  auto* a = new TPTGroup(f.get());
  a->SetParent(g);
  auto* b = new TPTFrame(f.get());
  b->SetParent(g);
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  b->SetEnabled(false);   // its own state is not remembered
  g->SetEnabled(false);
  EXPECT_FALSE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  EXPECT_FALSE(IsWindowEnabled(a->WindowHandle()));
  EXPECT_FALSE(IsWindowEnabled(g->WindowHandle()));
  g->SetEnabled(true);
  EXPECT_TRUE(a->Enabled());
  EXPECT_TRUE(b->Enabled());
  EXPECT_TRUE(IsWindowEnabled(a->WindowHandle()));
}

TEST(Group, NoColourOrOwnerDrawingLeavesTheBackgroundUnerased) {
  FormPtr f = NewForm();
  auto* g = new TPTGroup(f.get());
  g->SetParent(f.get());
  g->SetBounds(0, 0, 50, 50);
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  HDC dc = CreateCompatibleDC(nullptr);
  auto erase = [&]() { return SendMessageA(g->WindowHandle(), WM_ERASEBKGND, WPARAM(dc), 0); };
  g->SetColor(clNone);
  EXPECT_EQ(erase(), 1);
  g->SetColor(clYellow);
  g->SetDefaultDrawing(false);
  EXPECT_EQ(erase(), 1);
  DeleteDC(dc);
}

TEST(Group, PaintDrawsTheCaptionInsideExceptInTheGroupStyleAndCallsOnPaint) {
  struct Log {
    int Calls = 0;
    void Paint(TObject*, TCanvas*) { ++Calls; }
  } log;
  FormPtr f = NewForm();
  auto* g = new TPTGroup(f.get());
  g->SetParent(f.get());
  g->SetColor(clWhite);
  g->Font()->SetColor(clBlack);
  g->SetBounds(0, 0, 120, 40);
  g->SetCaption("WWWW");
  g->OnPaint = Bind(&log, &Log::Paint);
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  auto paint = [&]() {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(120, 40);
    g->PaintTo(bmp->Canvas()->Handle(), 0, 0);
    return bmp;
  };
  g->SetFrameStyle(ptfsLowered);
  int before = log.Calls;
  auto bmp = paint();
  EXPECT_EQ(log.Calls, before + 1);
  EXPECT_TRUE(AnyPixel(bmp.get(), RECT{0, 0, 116, 36}, RGB(0, 0, 0)));
  g->SetFrameStyle(ptfsGroup);   // the caption is in the frame, not in the client area
  bmp = paint();
  EXPECT_FALSE(AnyPixel(bmp.get(), RECT{0, 0, 116, 20}, RGB(0, 0, 0)));
  EXPECT_EQ(log.Calls, before + 2);
}

// ---------------------------------------------------------------------------------------------------
// The windowless frame

struct PaintLog {
  int Calls = 0;
  void Paint(TObject*, TCanvas*) { ++Calls; }
};

std::unique_ptr<TBitmap> PaintForm(TForm* f) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(f->ClientWidth(), f->ClientHeight());
  f->PaintTo(bmp->Canvas()->Handle(), 0, 0);
  return bmp;
}

// An aqua frame at (10, 10), 120 wide (of Style, when given), with a black "WWWW" caption and its OnPaint
// calls counted in Log, on F shown.
TPTFrame* ShowCaptionedFrame(TForm* F, int Height, PaintLog& Log, std::optional<TPTFrameStyle> Style = {}) {
  auto* fr = new TPTFrame(F);
  fr->SetParent(F);
  fr->SetBounds(10, 10, 120, Height);
  fr->SetColor(clAqua);
  if (Style) fr->SetFrameStyle(*Style);
  fr->Font()->SetColor(clBlack);
  fr->SetCaption("WWWW");
  fr->OnPaint = Bind(&Log, &PaintLog::Paint);
  F->Show();
  PumpUntilPainted(F->WindowHandle());
  return fr;
}

TEST(Frame, PaintsBackgroundFrameCaptionAndOnPaint) {
  FormPtr f = NewForm(200, 100);
  PaintLog log;
  TPTFrame* fr = ShowCaptionedFrame(f.get(), 40, log);
  auto bmp = PaintForm(f.get());
  EXPECT_EQ(At(bmp.get(), 10, 20), Sys(clBtnShadow));      // lowered by default
  EXPECT_EQ(At(bmp.get(), 129, 20), Sys(clBtnHighlight));
  EXPECT_EQ(At(bmp.get(), 14, 14), Sys(clAqua));
  EXPECT_TRUE(AnyPixel(bmp.get(), RECT{12, 12, 128, 48}, RGB(0, 0, 0)));
  EXPECT_GE(log.Calls, 1);

  // Without default drawing: no fill and no caption, but the frame and OnPaint.
  fr->SetDefaultDrawing(false);
  int before = log.Calls;
  bmp = PaintForm(f.get());
  EXPECT_EQ(At(bmp.get(), 14, 14), Sys(clWhite));
  EXPECT_FALSE(AnyPixel(bmp.get(), RECT{12, 12, 128, 48}, RGB(0, 0, 0)));
  EXPECT_EQ(At(bmp.get(), 10, 20), Sys(clBtnShadow));
  EXPECT_EQ(log.Calls, before + 1);
}

TEST(Frame, NoColourLeavesTheParentsBackground) {
  FormPtr f = NewForm(200, 100);
  auto* fr = new TPTFrame(f.get());
  fr->SetParent(f.get());
  fr->SetBounds(10, 10, 120, 40);
  fr->SetColor(clNone);
  fr->SetFrameStyle(ptfsSingle);
  f->Show();
  PumpUntilPainted(f->WindowHandle());
  auto bmp = PaintForm(f.get());
  EXPECT_EQ(At(bmp.get(), 50, 30), Sys(clWhite));
  EXPECT_EQ(At(bmp.get(), 10, 30), Sys(clWindowFrame));
}

TEST(Frame, GroupStyleDrawsItsCaptionInTheFrameAndNeverCallsOnPaint) {
  FormPtr f = NewForm(200, 100);
  PaintLog log;
  TPTFrame* fr = ShowCaptionedFrame(f.get(), 60, log, ptfsGroup);
  auto bmp = PaintForm(f.get());
  int H = fr->Canvas()->TextHeight("0");
  EXPECT_TRUE(AnyPixel(bmp.get(), RECT{18, 10, 122, 10 + H}, RGB(0, 0, 0)));
  EXPECT_FALSE(AnyPixel(bmp.get(), RECT{12, 12 + H, 128, 68}, RGB(0, 0, 0)));
  EXPECT_EQ(log.Calls, 0);
}

TEST(Frame, ReadFromAFormResourceWithItsPublishedProperties) {
  FormPtr f = NewForm();
  ReadComponentFromText(
      "object Form1: TForm\n"
      "  object StatusTxt: TPTFrame\n"
      "    Left = 4\n    Top = 5\n    Width = 150\n    Height = 17\n"
      "    Alignment = taLeftJustify\n    FrameSpace = 0\n    FrameStyle = ptfsNone\n"
      "    Caption = 'Ready'\n"
      "  end\n"
      "  object grpMain: TPTGroup\n"
      "    FrameStyle = ptfsVertEdge\n    DefaultDrawing = False\n"
      "  end\n"
      "end\n",
      f.get());
  auto* fr = dynamic_cast<TPTFrame*>(f->FindComponent("StatusTxt"));
  ASSERT_NE(fr, nullptr);
  EXPECT_EQ(fr->Parent(), f.get());
  EXPECT_EQ(fr->Alignment(), taLeftJustify);
  EXPECT_EQ(fr->FrameSpace(), 0);
  EXPECT_EQ(fr->FrameStyle(), ptfsNone);
  EXPECT_EQ(fr->Caption(), "Ready");
  auto* g = dynamic_cast<TPTGroup*>(f->FindComponent("grpMain"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->FrameStyle(), ptfsVertEdge);
  EXPECT_FALSE(g->DefaultDrawing());
  EXPECT_EQ(g->Width(), 64);
  EXPECT_EQ(g->Height(), 48);
}

}  // namespace
