// Painted controls: the control canvas, windowless and custom-painted controls, and the hint window.
#include <algorithm>
#include <vector>

#include "Controls.h"
#include "ControlsInternal.h"
#include "Forms.h"

namespace {
// Canvases holding a window DC, oldest first; only a few stay open (the system has a small DC cache).
std::vector<TControlCanvas*> OpenCanvases;
constexpr size_t MaxOpenCanvases = 4;
}  // namespace

void ControlCanvasOpened(TControlCanvas* Canvas) {
  OpenCanvases.push_back(Canvas);
  while (OpenCanvases.size() > MaxOpenCanvases) OpenCanvases.front()->FreeHandle();
}

void ControlCanvasClosed(TControlCanvas* Canvas) {
  OpenCanvases.erase(std::remove(OpenCanvases.begin(), OpenCanvases.end(), Canvas), OpenCanvases.end());
}

void FreeControlCanvasDCs() {
  while (!OpenCanvases.empty()) OpenCanvases.back()->FreeHandle();
}

// ---------------------------------------------------------------------------------------------------
// TControlCanvas

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value) {
  if (Value == FControl) return;
  FreeHandle();
  FControl = Value;
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  HDC dc = FDeviceContext;
  HWND wnd = FWindowHandle;
  FDeviceContext = nullptr;
  FWindowHandle = nullptr;
  ControlCanvasClosed(this);
  SetHandle(nullptr);
  if (FMemoryDC)
    DeleteDC(dc);
  else
    ReleaseDC(wnd, dc);
  FMemoryDC = false;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  HWND wnd = nullptr;
  int dx = 0, dy = 0;
  if (auto* w = dynamic_cast<TWinControl*>(FControl)) {
    wnd = w->WindowHandle();
  } else if (FControl->Parent()) {
    wnd = FControl->Parent()->WindowHandle();
    dx = FControl->Left();
    dy = FControl->Top();
  }
  if (!wnd) {
    // No window yet (a control measuring text while its form is read): a memory context measures
    // alike, and making the window here would come before the properties that shape it.
    HDC mem = CreateCompatibleDC(nullptr);
    if (!mem) throw EOutOfResources("Out of system resources");
    FDeviceContext = mem;
    FWindowHandle = nullptr;
    FMemoryDC = true;
    SetHandle(mem);
    ControlCanvasOpened(this);
    return;
  }
  HDC dc = GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!dc) throw EOutOfResources("Out of system resources");
  if (dx || dy) SetViewportOrgEx(dc, dx, dy, nullptr);
  if (!dynamic_cast<TWinControl*>(FControl)) IntersectClipRect(dc, 0, 0, FControl->Width(), FControl->Height());
  FDeviceContext = dc;
  FWindowHandle = wnd;
  SetHandle(dc);
  ControlCanvasOpened(this);
}

// ---------------------------------------------------------------------------------------------------
// TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
  FCanvas = new TControlCanvas();
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { delete FCanvas; }

void TGraphicControl::ChangeTransparent(bool& Field, bool Value) {
  if (Value == Field) return;
  Field = Value;
  if (Value)
    FControlStyle.Exclude(csOpaque);
  else
    FControlStyle.Include(csOpaque);
  Invalidate();
}

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    if (!dc) return;
    PaintOnLentDC(FCanvas, dc, [this] { Paint(); });
    return;
  }
  TControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------
// TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
  FCanvas = new TControlCanvas();
  FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() { delete FCanvas; }

void TCustomControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    FControlState.Include(csCustomPaint);
    TLiveGuard g(this);
    TScopeExit done([&] {
      if (g) FControlState.Exclude(csCustomPaint);
    });
    PaintHandler(MessageAs<TWMPaint>(Message));
    return;
  }
  TWinControl::Dispatch(Message);
}

void TCustomControl::PaintWindow(HDC DC) {
  PaintOnLentDC(FCanvas, DC, [this] { Paint(); });
}

void TCustomControl::DestroyWindowHandle() {
  FCanvas->FreeHandle();
  TWinControl::DestroyWindowHandle();
}

// ---------------------------------------------------------------------------------------------------
// THintWindow

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  FColor = Application ? Application->HintColor() : clInfoBk;
  FBrush->SetColor(FColor);
  if (Screen) FFont->Assign(Screen->HintFont());
  FFont->SetColor(clInfoText);
  FControlStyle = TControlStyle{csOpaque};
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  // A tool window that never takes the focus; owned by the application's hidden window so that no
  // task bar lists it.
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = Application ? Application->Handle() : nullptr;
}

// Text margins inside the border: Paint draws at (HintMarginX, HintMarginY) with the same font and
// flags that CalcHintRect measures with, so the measured text always fits.
static constexpr int HintMarginX = 2, HintMarginY = 1;
static constexpr UINT HintTextFlags = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX;

RECT THintWindow::CalcHintRect(int MaxWidth, const std::string& AHint) {
  RECT r{0, 0, MaxWidth > 0 ? MaxWidth : GetSystemMetrics(SM_CXSCREEN), 0};
  {
    ScreenDC screen;
    TSelectObject font(screen.DC, FFont->Handle());
    DrawTextA(screen.DC, AHint.c_str(), int(AHint.size()), &r, DT_CALCRECT | HintTextFlags);
  }
  r.right += 2 * HintMarginX + 2;
  r.bottom += 2 * HintMarginY;
  return r;
}

void THintWindow::ActivateHint(RECT Rect, const std::string& AHint) {
  SetTextBuf(AHint);
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  int w = Rect.right - Rect.left + 2, h = Rect.bottom - Rect.top + 2;  // plus the border
  int x = Rect.left, y = Rect.top;
  if (x + w > work.right) x = work.right - w;
  if (x < work.left) x = work.left;
  if (y + h > work.bottom) y = work.bottom - h;
  if (y < work.top) y = work.top;
  HandleNeeded();
  FLeft = x;
  FTop = y;
  FWidth = w;
  FHeight = h;
  SetWindowPos(FHandle, HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  Invalidate();
  Update();
}

void THintWindow::Paint() {
  TCanvas* c = Canvas();
  RECT r = GetClientRect();
  c->Brush()->SetColor(FColor);
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  r.left += HintMarginX;
  r.top += HintMarginY;
  std::string t = FText;
  // Drawing through the DC directly: select the measured font ourselves (the canvas selects its
  // font only for its own text calls).
  HDC dc = c->Handle();
  HGDIOBJ old = SelectObject(dc, FFont->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  DrawTextA(dc, t.c_str(), int(t.size()), &r, HintTextFlags);
  SelectObject(dc, old);
}

void THintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST:
      Message.Result = HTTRANSPARENT;
      return;
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
  }
  TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------

void RegisterControlsClasses() {
  RegisterClasses({TControl::StaticClass(), TWinControl::StaticClass(), TGraphicControl::StaticClass(),
                   TCustomControl::StaticClass(), THintWindow::StaticClass()});
}
