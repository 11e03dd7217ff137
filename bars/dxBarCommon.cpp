// The routines the command bars share: item-class registry, live bar windows, text, arrows and glyphs,
// fonts, sounds, message flushing and mouse-leave tracking.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarCustomizing.h"
#include "dxBarItemControls.h"
#include "dxBarManager.h"
#include "dxBarQuickCust.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

const TEnumInfo dxBarDockingStyleNames{"TdxBarDockingStyle", {"dsNone", "dsLeft", "dsTop", "dsRight", "dsBottom"}};
const TEnumInfo dxBarManagerStyleNames{"TdxBarManagerStyle", {"bmsStandard", "bmsEnhanced"}};
const TEnumInfo dxBarMenuAnimationsNames{"TdxBarMenuAnimations", {"maNone", "maRandom", "maUnfold", "maSlide"}};
const TEnumInfo dxBarItemVisibleNames{"TdxBarItemVisible", {"ivNever", "ivInCustomizing", "ivAlways"}};
const TEnumInfo dxBarButtonStyleNames{"TdxBarButtonStyle", {"bsDefault", "bsChecked", "bsDropDown"}};
const TEnumInfo dxBarPaintStyleNames{"TdxBarPaintStyle",
                                     {"psStandard", "psCaption", "psCaptionInMenu", "psCaptionGlyph"}};
const TEnumInfo dxBarUserDefineNames{"TdxBarUserDefine", {"udCaption", "udGlyph", "udPaintStyle", "udWidth"}};

namespace {

struct TItemClassEntry {
  TClass ItemClass;
  TdxBarItemControlMaker ControlClass;
  bool Listed;
};

using TMonitorFromPoint = HMONITOR(WINAPI*)(POINT, DWORD);
using TGetMonitorInfo = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
using TTrackMouseEvent = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);

// Process-wide state, made by dxBarInitialize and dropped by dxBarFinalize.
struct TdxBarState {
  std::vector<TItemClassEntry> ItemClasses;
  std::vector<TCustomdxBarControl*> BarControls;
  TCustomdxBarControl* ActiveBarControl = nullptr;
  TdxBarManagerList* Managers = nullptr;
  HBRUSH CheckerBrush = nullptr;
  HWND TrackedWnd = nullptr;
  UINT_PTR LeaveTimer = 0;
  TMonitorFromPoint MonitorFromPointFn = nullptr;
  TGetMonitorInfo GetMonitorInfoFn = nullptr;
  TTrackMouseEvent TrackMouseEventFn = nullptr;
};

TdxBarState& State() {
  static TdxBarState s;
  return s;
}

void LookUpUser32() {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  auto& s = State();
  s.MonitorFromPointFn = reinterpret_cast<TMonitorFromPoint>(GetProcAddress(user32, "MonitorFromPoint"));
  s.GetMonitorInfoFn = reinterpret_cast<TGetMonitorInfo>(GetProcAddress(user32, "GetMonitorInfoA"));
  s.TrackMouseEventFn = reinterpret_cast<TTrackMouseEvent>(GetProcAddress(user32, "TrackMouseEvent"));
}

}  // namespace

void dxBarRegisterStandardItems();

std::string dxBarResStr(int Id) {
  char buf[1024];
  int n = LoadStringA(GetModuleHandleA(nullptr), UINT(Id), buf, sizeof buf);
  return std::string(buf, n > 0 ? size_t(n) : 0);
}

void dxBarInitialize() {
  auto& s = State();
  if (!s.Managers) s.Managers = new TdxBarManagerList;
  LookUpUser32();
  RegisterClasses({TdxBarManager::StaticClass(), TdxBarPopupMenu::StaticClass()});
  dxBarRegisterStandardItems();
  dxBarRegisterQuickCustItems();
  dxBarRegisterDragCursors();
}

void dxBarFinalize() {
  auto& s = State();
  dxBarEndMouseTracking(s.TrackedWnd);
  while (!s.ItemClasses.empty()) dxBarUnregisterItem(s.ItemClasses.back().ItemClass);
  UnRegisterClass(TdxBarManager::StaticClass());
  UnRegisterClass(TdxBarPopupMenu::StaticClass());
  if (s.CheckerBrush) DeleteObject(s.CheckerBrush);
  s.CheckerBrush = nullptr;
  TObject::Free(s.Managers);
  s.Managers = nullptr;
  s.BarControls.clear();
  s.ActiveBarControl = nullptr;
}

TdxBarManagerList* dxBarManagerList() {
  auto& s = State();
  if (!s.Managers) s.Managers = new TdxBarManagerList;
  return s.Managers;
}

// ---------------------------------------------------------------------------------------------------
// Item-class registry

TClass dxBarItemClass(int Index) {
  int n = 0;
  for (auto& e : State().ItemClasses)
    if (e.Listed && n++ == Index) return e.ItemClass;
  return nullptr;
}

int dxBarListedItemClassCount() {
  auto& v = State().ItemClasses;
  return int(std::count_if(v.begin(), v.end(), [](const TItemClassEntry& e) { return e.Listed; }));
}

void dxBarRegisterItem(TClass ItemClass, TdxBarItemControlMaker ControlClass, bool Listed) {
  auto& v = State().ItemClasses;
  // Registering again replaces the control class (the item controls register theirs at their start).
  for (auto& e : v)
    if (e.ItemClass == ItemClass) {
      e.ControlClass = ControlClass;
      e.Listed = Listed;
      return;
    }
  v.push_back({ItemClass, ControlClass, Listed});
  RegisterClass(ItemClass);
}

void dxBarUnregisterItem(TClass ItemClass) {
  auto& v = State().ItemClasses;
  auto it = std::find_if(v.begin(), v.end(), [&](const TItemClassEntry& e) { return e.ItemClass == ItemClass; });
  if (it == v.end()) return;
  v.erase(it);
  UnRegisterClass(ItemClass);
}

TdxBarItemControlMaker dxBarItemControlClass(TClass ItemClass) {
  for (auto& e : State().ItemClasses)
    if (e.ItemClass == ItemClass) return e.ControlClass;
  return nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Bar windows

void AddBarControl(TCustomdxBarControl* AControl) { State().BarControls.push_back(AControl); }

void RemoveBarControl(TCustomdxBarControl* AControl) {
  auto& v = State().BarControls;
  v.erase(std::remove(v.begin(), v.end(), AControl), v.end());
  if (State().ActiveBarControl == AControl) State().ActiveBarControl = nullptr;
}

bool IsBarControl(const TObject* AObject) {
  if (!AObject) return false;
  auto& v = State().BarControls;
  return std::find(v.begin(), v.end(), AObject) != v.end();
}

TCustomdxBarControl* ActiveBarControl() { return State().ActiveBarControl; }
void SetActiveBarControl(TCustomdxBarControl* AControl) { State().ActiveBarControl = AControl; }

void dxBarDesignerModified(TdxBarManager* ABarManager) {
  if (ABarManager) ABarManager->DesignerModified();
}

uint8_t dxBarFlagToState(bool Value) { return Value ? 2 : 0; }

TdxBarManager* GetBarManagerByForm(TCustomForm* AForm) {
  auto* list = dxBarManagerList();
  for (int i = 0; i < list->Count(); ++i)
    if (list->Items(i)->ParentForm() == AForm) return list->Items(i);
  return nullptr;
}

TCustomdxBarControl* GetRootBarControl(TCustomdxBarControl* AControl) {
  while (AControl && AControl->ParentBar() && !AControl->Destroying()) AControl = AControl->ParentBar();
  return AControl;
}

TdxBarControl* GetRootToolbar(TCustomdxBarControl* AControl) {
  return dynamic_cast<TdxBarControl*>(GetRootBarControl(AControl));
}

TCustomdxBarControl* GetItemControlRoot(TdxBarItemControl* AControl) {
  return AControl ? GetRootBarControl(AControl->Parent()) : nullptr;
}

TdxBarControl* GetItemControlRootToolbar(TdxBarItemControl* AControl) {
  return AControl ? GetRootToolbar(AControl->Parent()) : nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Text

std::string dxStripAccelChars(const std::string& S) {
  std::string r;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '&') {
      // "&&" is a literal ampersand: keep one.
      if (i + 1 < S.size() && S[i + 1] == '&') {
        r += '&';
        ++i;
      }
      continue;
    }
    r += S[i];
  }
  return r;
}

int dxAccelCharPos(const std::string& S) {
  int pos = 0;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] != '&') continue;
    if (i + 1 < S.size() && S[i + 1] == '&') {
      ++i;
      continue;
    }
    if (i + 1 < S.size()) pos = int(i) + 2;
  }
  return pos;
}

std::string dxFitText(HDC DC, const std::string& S, const RECT& R) {
  int width = R.right - R.left;
  for (size_t n = S.size();; --n) {
    SIZE sz{};
    GetTextExtentPoint32A(DC, S.data(), int(n), &sz);
    if (sz.cx <= width || n == 0) return S.substr(0, n);
  }
}

int dxClampWidth(int Value) { return std::clamp(Value, 20, 600); }

bool IsVerticalToolbar(TCustomdxBarControl* AControl) {
  auto* bc = dynamic_cast<TdxBarControl*>(AControl);
  return bc && (bc->DockingStyle() == dsLeft || bc->DockingStyle() == dsRight);
}

bool RotatesWhenVertical(TCustomdxBarControl* AControl) {
  auto* bc = dynamic_cast<TdxBarControl*>(AControl);
  return IsVerticalToolbar(AControl) && bc->Bar() && bc->Bar()->RotateWhenVertical();
}

// ---------------------------------------------------------------------------------------------------
// Screen

void dxBarSetMonitorFunctionsForTest(bool Available) {
  if (Available) {
    LookUpUser32();
  } else {
    State().MonitorFromPointFn = nullptr;
    State().GetMonitorInfoFn = nullptr;
  }
}

RECT GetWorkArea(POINT P) {
  auto& s = State();
  RECT r{};
  if (s.MonitorFromPointFn && s.GetMonitorInfoFn) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    HMONITOR m = s.MonitorFromPointFn(P, MONITOR_DEFAULTTONEAREST);
    if (m && s.GetMonitorInfoFn(m, &mi)) return mi.rcWork;
  }
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

int dxBarFrameWidth() { return GetSystemMetrics(SM_CXFRAME); }
int dxBarFrameHeight() { return GetSystemMetrics(SM_CYFRAME); }
int dxBarBorderWidth() { return GetSystemMetrics(SM_CXBORDER); }
int dxBarSmallCaptionHeight() { return GetSystemMetrics(SM_CYSMCAPTION); }

namespace {
void FlushMessages(UINT First, UINT Last) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, First, Last, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));
      return;
    }
    DispatchMessageA(&msg);
  }
}
}  // namespace

void FlushMouseMessages() { FlushMessages(WM_MOUSEFIRST, 0x20A); }
void FlushPaintMessages() { FlushMessages(WM_PAINT, WM_PAINT); }
bool dxFullWindowDrag() { return true; }

void DrawThickFocusFrame(HDC DC, RECT R, int Width) {
  for (int i = 0; i < Width; ++i) {
    DrawFocusRect(DC, &R);
    InflateRect(&R, -1, -1);
  }
}

void dxBarPlaySound(int Index) {
  static const char* const Sounds[] = {"MenuPopup", "MenuCommand"};
  if (Index < 0 || Index > 1) return;
  PlaySoundA(Sounds[Index], nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP | SND_NOWAIT);
}

void dxBarMakeMenuFont(TFont* AFont, HFONT& AHandle, bool UseSystem) {
  if (AHandle) DeleteObject(AHandle);
  AHandle = nullptr;
  LOGFONTA lf = AFont->LogFont();
  if (UseSystem) {
    LOGFONTA icon{};
    if (SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof icon, &icon, 0)) {
      std::string face = AFont->Name();
      lf = icon;
      if (lf.lfHeight > -11) lf.lfHeight = -11;
      lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    }
  }
  AHandle = CreateFontIndirectA(&lf);
}

HFONT dxBarMakeVerticalFont(TFont* AFont) {
  LOGFONTA lf = AFont->LogFont();
  lf.lfEscapement = -900;
  lf.lfOrientation = -900;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  return CreateFontIndirectA(&lf);
}

// ---------------------------------------------------------------------------------------------------
// Mouse leave

namespace {
void CALLBACK LeaveTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  try {
    POINT p;
    GetCursorPos(&p);
    HWND tracked = State().TrackedWnd;
    if (tracked && WindowFromPoint(p) != tracked) dxBarEndMouseTracking(tracked);
  } catch (...) {
    Application->HandleException(nullptr);
  }
}
}  // namespace

void dxBarTrackMouseLeave(HWND Wnd) {
  auto& s = State();
  if (s.TrackMouseEventFn) {
    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, Wnd, 0};
    s.TrackMouseEventFn(&t);
    return;
  }
  if (s.TrackedWnd && s.TrackedWnd != Wnd) dxBarEndMouseTracking(s.TrackedWnd);
  s.TrackedWnd = Wnd;
  if (!s.LeaveTimer) s.LeaveTimer = SetTimer(nullptr, 0, 50, LeaveTimerProc);
}

void dxBarEndMouseTracking(HWND Wnd) {
  auto& s = State();
  if (!Wnd) return;
  if (s.TrackMouseEventFn) {
    TRACKMOUSEEVENT q{sizeof q, TME_QUERY, Wnd, 0};
    if (!s.TrackMouseEventFn(&q) || !(q.dwFlags & TME_LEAVE) || q.hwndTrack != Wnd) return;
    TRACKMOUSEEVENT t{sizeof t, TME_CANCEL | TME_LEAVE, Wnd, 0};
    s.TrackMouseEventFn(&t);
  } else {
    if (s.TrackedWnd != Wnd) return;
    if (s.LeaveTimer) KillTimer(nullptr, s.LeaveTimer);
    s.LeaveTimer = 0;
    s.TrackedWnd = nullptr;
  }
  SendMessageA(Wnd, WM_MOUSELEAVE, 0, 0);
}

// ---------------------------------------------------------------------------------------------------
// Drawing

void dxDrawScrollArrow(HDC DC, RECT R, TdxArrowDirection Direction, bool Enabled) {
  static const UINT Kinds[] = {DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT};
  static const int Map[] = {2, 3, 0, 1};   // left, right, up, down
  UINT state = Kinds[Map[Direction]] | DFCS_FLAT;
  if (!Enabled) state |= DFCS_INACTIVE;
  HRGN old = CreateRectRgn(0, 0, 0, 0);
  bool hadClip = GetClipRgn(DC, old) == 1;
  RECT clip = R;
  InflateRect(&clip, -4, -3);
  IntersectClipRect(DC, clip.left, clip.top, clip.right, clip.bottom);
  DrawFrameControl(DC, &R, DFC_SCROLL, state);
  SelectClipRgn(DC, hadClip ? old : nullptr);
  DeleteObject(old);
}

namespace {
void Triangle(HDC DC, int x, int y, int a, int SysColor) {
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(SysColor));
  HGDIOBJ oldPen = SelectObject(DC, pen);
  HGDIOBJ oldBrush = SelectObject(DC, GetSysColorBrush(SysColor));
  POINT pts[3] = {{x, y}, {x, y + 2 * a - 2}, {x + a - 1, y + a - 1}};
  Polygon(DC, pts, 3);
  SelectObject(DC, oldBrush);
  SelectObject(DC, oldPen);
  DeleteObject(pen);
}
}  // namespace

void dxDrawTriangleArrow(HDC DC, RECT R, int Size, bool Enabled, bool Selected) {
  int a = Size;
  int x = (R.left + R.right - a) / 2;
  int y = (R.top + R.bottom - (2 * a - 1)) / 2;
  if (Enabled) {
    Triangle(DC, x, y, a, Selected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    return;
  }
  Triangle(DC, x, y, a, COLOR_BTNSHADOW);
  // The embossed look: light lines along the two lower edges.
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HGDIOBJ old = SelectObject(DC, pen);
  MoveToEx(DC, x + 1, y + 2 * a - 1, nullptr);
  LineTo(DC, x + a, y + a - 1);
  MoveToEx(DC, x, y + 2 * a - 1, nullptr);
  LineTo(DC, x + 1, y + 2 * a - 1);
  SelectObject(DC, old);
  DeleteObject(pen);
}

HBRUSH dxCheckerBrush() {
  auto& s = State();
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 8, 8);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) SetPixel(dc, x, y, x % 2 == y % 2 ? face : hi);
  SelectObject(dc, old);
  DeleteDC(dc);
  if (s.CheckerBrush) DeleteObject(s.CheckerBrush);
  s.CheckerBrush = CreatePatternBrush(bmp);
  DeleteObject(bmp);
  return s.CheckerBrush;
}

void dxDrawItemText(HDC DC, const std::string& S, RECT R, int Alignment, bool Enabled, bool Selected,
                    bool Vertical) {
  int oldMode = SetBkMode(DC, TRANSPARENT);
  COLORREF oldColor = GetTextColor(DC);
  static const UINT Align[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
  UINT align = Align[std::clamp(Alignment, 0, 2)];
  auto draw = [&](RECT r, int SysColor) {
    SetTextColor(DC, GetSysColor(SysColor));
    if (!Vertical) {
      DrawTextA(DC, S.c_str(), int(S.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | align);
      return;
    }
    // The rotated font runs top to bottom: the text starts at the right edge of the rectangle.
    std::string text = dxStripAccelChars(S);
    SIZE sz{};
    GetTextExtentPoint32A(DC, text.data(), int(text.size()), &sz);
    int len = r.bottom - r.top;
    int offset = Alignment == 1 ? (len - sz.cx) / 2 : Alignment == 2 ? len - sz.cx : 0;
    int x = r.right - (r.right - r.left - sz.cy) / 2;
    RECT tr{x, r.top + offset, x + sz.cy, r.top + offset + sz.cx};
    DrawTextA(DC, text.c_str(), int(text.size()), &tr, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    int pos = dxAccelCharPos(S);
    if (pos > 0) {
      std::string before = dxStripAccelChars(S.substr(0, size_t(pos) - 1));
      SIZE a{}, c{};
      GetTextExtentPoint32A(DC, before.data(), int(before.size()), &a);
      GetTextExtentPoint32A(DC, &S[size_t(pos) - 1], 1, &c);
      HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(SysColor));
      HGDIOBJ old = SelectObject(DC, pen);
      MoveToEx(DC, x - sz.cy + 1, tr.top + a.cx, nullptr);
      LineTo(DC, x - sz.cy + 1, tr.top + a.cx + c.cx);
      SelectObject(DC, old);
      DeleteObject(pen);
    }
  };
  if (Enabled) {
    draw(R, Selected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  } else if (Selected) {
    draw(R, COLOR_GRAYTEXT);
  } else {
    RECT r = R;
    OffsetRect(&r, 1, 1);
    draw(r, COLOR_BTNHIGHLIGHT);
    draw(R, COLOR_BTNSHADOW);
  }
  SetTextColor(DC, oldColor);
  SetBkMode(DC, oldMode);
}

namespace {
// The pixels of a bitmap as 32-bit top-down rows.
std::vector<uint32_t> ReadPixels(HDC DC, HBITMAP Bmp, int W, int H, BITMAPINFO& bi) {
  bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = W;
  bi.bmiHeader.biHeight = -H;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> px(size_t(W) * size_t(H));
  GetDIBits(DC, Bmp, 0, UINT(H), px.data(), &bi, DIB_RGB_COLORS);
  return px;
}

void GreyPixels(std::vector<uint32_t>& px, uint32_t Transparent) {
  for (auto& p : px) {
    if ((p & 0xFFFFFF) == Transparent) continue;
    uint32_t v = (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
    p = (p & 0xFF000000) | (v << 16) | (v << 8) | v;
  }
}

uint32_t ToPixel(COLORREF c) { return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }
}  // namespace

void dxGreyGlyph(TBitmap* Glyph) {
  if (!Glyph || Glyph->Empty()) return;
  int w = Glyph->Width(), h = Glyph->Height();
  uint32_t transparent = ToPixel(ColorToRGB(Glyph->TransparentColor()));
  HBITMAP bmp = Glyph->Handle();
  HDC dc = GetDC(nullptr);
  BITMAPINFO bi;
  auto px = ReadPixels(dc, bmp, w, h, bi);
  GreyPixels(px, transparent);
  SetDIBits(dc, bmp, 0, UINT(h), px.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
}

namespace {
// The glyph in colour and its monochrome mask, each in a bitmap of the glyph's size selected into a
// memory context of its own; freed with the object.
struct TGlyphBitmaps {
  TGlyphBitmaps(HDC DC, int AW, int AH)
      : W(AW), H(AH), Src(CreateCompatibleDC(DC)), Colour(CreateCompatibleBitmap(DC, AW, AH)),
        OldSrc(SelectObject(Src, Colour)), MaskDC(CreateCompatibleDC(DC)), Mask(CreateBitmap(AW, AH, 1, 1, nullptr)),
        OldMask(SelectObject(MaskDC, Mask)) {}
  ~TGlyphBitmaps() {
    SelectObject(MaskDC, OldMask);
    DeleteObject(Mask);
    DeleteDC(MaskDC);
    SelectObject(Src, OldSrc);
    DeleteObject(Colour);
    DeleteDC(Src);
  }
  TGlyphBitmaps(const TGlyphBitmaps&) = delete;
  TGlyphBitmaps& operator=(const TGlyphBitmaps&) = delete;
  int W, H;
  HDC Src;
  HBITMAP Colour;
  HGDIOBJ OldSrc;
  HDC MaskDC;
  HBITMAP Mask;
  HGDIOBJ OldMask;
};

// The glyph in colour: the bitmap as it is, or the image drawn on Color (white when disabled).
void PaintGlyphColour(HDC DC, TGlyphBitmaps& B, TBitmap* Glyph, TColor Color, bool Enabled, int ImageIndex,
                      TCustomImageList* Images) {
  if (Glyph) {
    HDC b = CreateCompatibleDC(DC);
    HGDIOBJ ob = SelectObject(b, Glyph->Handle());
    BitBlt(B.Src, 0, 0, B.W, B.H, b, 0, 0, SRCCOPY);
    SelectObject(b, ob);
    DeleteDC(b);
    return;
  }
  HBRUSH cb = CreateSolidBrush(ColorToRGB(Enabled ? Color : clWhite));
  RECT gr{0, 0, B.W, B.H};
  FillRect(B.Src, &gr, cb);
  DeleteObject(cb);
  if (Images) ImageList_Draw(Images->Handle(), ImageIndex, B.Src, 0, 0, ILD_NORMAL);
}

// The enabled look: the glyph (greyed when asked) stretched into G of Mem, its transparent pixels
// keeping the background.
void DrawEnabledGlyph(HDC DC, HDC Mem, TGlyphBitmaps& B, HBRUSH Brush, bool Grey, COLORREF Transparent, RECT G) {
  if (Grey) {
    SelectObject(B.Src, B.OldSrc);
    BITMAPINFO bi;
    auto px = ReadPixels(DC, B.Colour, B.W, B.H, bi);
    GreyPixels(px, ToPixel(Transparent));
    SetDIBits(DC, B.Colour, 0, UINT(B.H), px.data(), &bi, DIB_RGB_COLORS);
    SelectObject(B.Src, B.Colour);
  }
  int dw = G.right - G.left, dh = G.bottom - G.top;
  DWORD rop = !Grey && GetSysColor(COLOR_BTNFACE) == 0 ? NOTSRCCOPY : SRCCOPY;
  StretchBlt(Mem, G.left, G.top, dw, dh, B.Src, 0, 0, B.W, B.H, rop);
  SetTextColor(Mem, RGB(0, 0, 0));
  SetBkColor(Mem, RGB(255, 255, 255));
  HGDIOBJ ob = SelectObject(Mem, Brush);
  StretchBlt(Mem, G.left, G.top, dw, dh, B.MaskDC, 0, 0, B.W, B.H, 0xE20746);
  SelectObject(Mem, ob);
}

// The disabled look: the glyph's shape embossed, in the highlight colour one pixel down and right under
// the shadow colour. An image list's image drawn on white makes the shape.
void DrawDisabledGlyph(HDC Mem, TGlyphBitmaps& B, bool FromImages, int ImageIndex, TCustomImageList* Images, RECT G) {
  if (FromImages) {
    RECT gr{0, 0, B.W, B.H};
    FillRect(B.MaskDC, &gr, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (Images) ImageList_Draw(Images->Handle(), ImageIndex, B.MaskDC, 0, 0, ILD_NORMAL);
  }
  int dw = G.right - G.left, dh = G.bottom - G.top;
  SetTextColor(Mem, RGB(255, 255, 255));
  SetBkColor(Mem, RGB(0, 0, 0));
  HGDIOBJ ob = SelectObject(Mem, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  StretchBlt(Mem, G.left + 1, G.top + 1, dw, dh, B.MaskDC, 0, 0, B.W, B.H, 0xE20746);
  SelectObject(Mem, GetSysColorBrush(COLOR_BTNSHADOW));
  StretchBlt(Mem, G.left, G.top, dw, dh, B.MaskDC, 0, 0, B.W, B.H, 0xE20746);
  SelectObject(Mem, ob);
}
}  // namespace

void dxDrawGlyph(HDC DC, HBRUSH Brush, RECT R, TColor Color, bool Grey, bool Enabled, int ImageIndex,
                 TCustomImageList* Images, TBitmap* Glyph, RECT G) {
  bool useBitmap = Glyph && !Glyph->Empty();
  int gw = useBitmap ? Glyph->Width() : (Images ? Images->Width() : 0);
  int gh = useBitmap ? Glyph->Height() : (Images ? Images->Height() : 0);
  int rw = R.right - R.left, rh = R.bottom - R.top;
  if (gw <= 0 || gh <= 0 || rw <= 0 || rh <= 0) return;
  // Drawn off-screen on the background, then copied in one piece.
  HDC mem = CreateCompatibleDC(DC);
  HBITMAP canvas = CreateCompatibleBitmap(DC, rw, rh);
  HGDIOBJ oldCanvas = SelectObject(mem, canvas);
  HPALETTE pal = static_cast<HPALETTE>(GetCurrentObject(DC, OBJ_PAL));
  HPALETTE oldPal = pal ? SelectPalette(mem, pal, TRUE) : nullptr;
  if (pal) RealizePalette(mem);
  RECT all{0, 0, rw, rh};
  FillRect(mem, &all, Brush);
  RECT g = G;
  OffsetRect(&g, -R.left, -R.top);
  {
    TGlyphBitmaps b(DC, gw, gh);
    PaintGlyphColour(DC, b, useBitmap ? Glyph : nullptr, Color, Enabled, ImageIndex, Images);
    COLORREF transparent = useBitmap && !Enabled ? ColorToRGB(Glyph->TransparentColor()) : GetPixel(b.Src, 0, gh - 1);
    // The mask: the transparent pixels white.
    SetBkColor(b.Src, transparent);
    BitBlt(b.MaskDC, 0, 0, gw, gh, b.Src, 0, 0, SRCCOPY);
    if (Enabled)
      DrawEnabledGlyph(DC, mem, b, Brush, Grey, transparent, g);
    else
      DrawDisabledGlyph(mem, b, !useBitmap, ImageIndex, Images, g);
  }
  BitBlt(DC, R.left, R.top, rw, rh, mem, 0, 0, SRCCOPY);
  if (oldPal) SelectPalette(mem, oldPal, TRUE);
  SelectObject(mem, oldCanvas);
  DeleteObject(canvas);
  DeleteDC(mem);
}
