// The sub-menu window: a popup column of rows beside its opener. It measures and places itself on the
// work area (flipping to the other side of the opener when there is more room there), scrolls when its
// rows do not fit, hides rarely used links of personalised menus behind an expand button, walks its rows
// by keyboard, and animates its opening on a worker thread.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>

#include "Menus.h"
#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarCustomizing.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

namespace {

constexpr UINT WM_DXANIMATIONDONE = WM_USER + 0x140;
constexpr UINT_PTR ScrollTimerId = 1;
constexpr UINT_PTR ExpandHotTimerId = 2;
constexpr UINT_PTR ExpandTimerId = 3;

bool MenusExpanded = false;
// Set while a key closes one menu level (Esc, Left): the menus above stay in menu mode.
bool ClosingOneLevel = false;

// One opening animation at a time, process-wide. The worker reads what the UI thread set up before it
// started, draws, and posts WM_DXANIMATIONDONE; only the UI thread ends it (waits, closes the handle and
// frees the off-screen image), so no handle is closed twice or used after closing.
struct TAnimation {
  TdxBarSubMenuControl* Menu = nullptr;
  HWND Wnd = nullptr;
  HANDLE Thread = nullptr;
  std::atomic<bool> Stop{false};
  std::atomic<bool> Closing{false};
  HDC MemDC = nullptr;
  HBITMAP Bitmap = nullptr;
  HGDIOBJ OldBitmap = nullptr;
  RECT Final{};
  int NcWidth = 2, NcHeight = 2;
  int ClientWidth = 0, ClientHeight = 0;
  bool ReverseH = false, ReverseV = false;
  TdxBarMenuAnimations Style = maNone;
  int Diff = 0, Total = 0, Step = 1;
};
TAnimation Anim;

SIZE FrameSize(int N) {
  const TAnimation& a = Anim;
  int w, h;
  if (a.Style == maSlide) {
    w = a.ClientWidth;
    h = N * a.Step;
  } else if (a.Diff < 1) {
    w = -a.Diff + N * a.Step;
    h = N * a.Step;
  } else {
    w = N * a.Step;
    h = a.Diff + N * a.Step;
  }
  return SIZE{std::min(w, a.ClientWidth), std::min(h, a.ClientHeight)};
}

DWORD WINAPI AnimationThread(void*) {
  TAnimation& a = Anim;
  int frames = a.Step ? a.Total / a.Step : 0;
  HDC dc = GetDC(a.Wnd);
  for (int n = 1; n <= frames && !a.Stop; ++n) {
    SIZE s = FrameSize(n);
    int left = a.ReverseH ? a.Final.right - (s.cx + a.NcWidth) : a.Final.left;
    int top = a.ReverseV ? a.Final.bottom - (s.cy + a.NcHeight) : a.Final.top;
    SetWindowPos(a.Wnd, nullptr, left, top, s.cx + a.NcWidth, s.cy + a.NcHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // A menu that grows downward shows the bottom of its finished image, so the rows slide out of the
    // top edge; one that grows upward shows the top. Likewise across.
    int sx = a.ReverseH ? 0 : a.ClientWidth - s.cx;
    int sy = a.ReverseV ? 0 : a.ClientHeight - s.cy;
    BitBlt(dc, 0, 0, s.cx, s.cy, a.MemDC, sx, sy, SRCCOPY);
    GdiFlush();
    Sleep(1);
    DWORD tick = GetTickCount();
    while (GetTickCount() == tick && !a.Stop) Sleep(1);
  }
  ReleaseDC(a.Wnd, dc);
  if (!a.Closing)
    SetWindowPos(a.Wnd, nullptr, a.Final.left, a.Final.top, a.Final.right - a.Final.left,
                 a.Final.bottom - a.Final.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  PostMessageA(a.Wnd, WM_DXANIMATIONDONE, 0, 0);
  return 0;
}

// Bar windows that closed themselves are freed once the message that closed them is done, and not while a
// customizing drag runs: the drag may have started in one of them (its handler is still on the stack).
struct TClosedBarControl {
  TCustomdxBarControl* Control;
  bool ThroughLinks;
};
std::vector<TClosedBarControl> ClosedBarControls;
UINT_PTR FreeTimer = 0;

void FreeClosedBarControl(const TClosedBarControl& C) {
  TCustomdxBarControl* w = C.Control;
  if (!IsBarControl(w)) return;
  if (!C.ThroughLinks) {
    TObject::Free(w);
    return;
  }
  // A menu opened again meanwhile (its links reuse the window) stays.
  if (!w->HandleAllocated() && w->ItemLinks() && w->ItemLinks()->BarControl() == w) w->ItemLinks()->FreeBarControl();
}

void CALLBACK FreeClosedBarControls(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, FreeTimer);
  FreeTimer = 0;
  // The drag's end arms the timer again.
  if (dxBarCustomizingDragRuns()) return;
  std::vector<TClosedBarControl> list;
  list.swap(ClosedBarControls);
  for (auto& c : list) try {
      FreeClosedBarControl(c);
    } catch (...) {
      Application->HandleException(nullptr);
    }
}

bool IsSubItem(TdxBarItemControl* C) { return C && dynamic_cast<TCustomdxBarSubItem*>(C->Item()); }

}  // namespace

void dxBarFreeAfterMessage(TCustomdxBarControl* AControl, bool ThroughLinks) {
  dxBarForgetFreeAfterMessage(AControl);
  ClosedBarControls.push_back(TClosedBarControl{AControl, ThroughLinks});
  dxBarFreeClosedBarControlsLater();
}

void dxBarForgetFreeAfterMessage(TCustomdxBarControl* AControl) {
  auto& v = ClosedBarControls;
  auto same = [AControl](const TClosedBarControl& c) { return c.Control == AControl; };
  v.erase(std::remove_if(v.begin(), v.end(), same), v.end());
}

void dxBarFreeClosedBarControlsLater() {
  if (!ClosedBarControls.empty() && !FreeTimer) FreeTimer = SetTimer(nullptr, 0, 0, FreeClosedBarControls);
}

bool dxBarMenusExpanded() { return MenusExpanded; }
void dxBarSetMenusExpanded(bool Value) { MenusExpanded = Value; }
TdxBarSubMenuControl* dxBarAnimatedMenu() { return Anim.Menu; }
RECT dxBarAnimatedMenuBounds() { return Anim.Menu ? Anim.Final : RECT{}; }

// ---------------------------------------------------------------------------------------------------
// Life

TdxBarSubMenuControl::TdxBarSubMenuControl(TdxBarManager* ABarManager) : TCustomdxBarControl(ABarManager) {
  SetWidth(0);
}

TdxBarSubMenuControl::~TdxBarSubMenuControl() { FreeRareBrush(); }

void TdxBarSubMenuControl::BeforeDestruction() {
  StopAnimation();
  if (ChildSubMenu && IsBarControl(ChildSubMenu)) {
    TdxBarSubMenuControl* child = ChildSubMenu;
    ChildSubMenu = nullptr;
    if (child->ItemLinks())
      child->ItemLinks()->FreeBarControl();
    else
      TObject::Free(child);
  }
  // A closed menu waiting to be freed may outlive the window it was opened from: ask the live list first.
  if (IsBarControl(FParentBar))
    if (auto* parent = dynamic_cast<TdxBarSubMenuControl*>(FParentBar); parent && parent->ChildSubMenu == this)
      parent->ChildSubMenu = nullptr;
  dxBarForgetFreeAfterMessage(this);
  TCustomdxBarControl::BeforeDestruction();
}

void TdxBarSubMenuControl::CreateParams(TCreateParams& Params) {
  TCustomdxBarControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  Params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  // No CS_OWNDC: the animation worker draws through a DC of its own.
  Params.WindowClass.style = CS_SAVEBITS | CS_HREDRAW | CS_VREDRAW;
  if (OwnerWindow)
    Params.WndParent = OwnerWindow;
  else if (FBarManager && FBarManager->ParentForm() && FBarManager->ParentForm()->HandleAllocated())
    Params.WndParent = FBarManager->ParentForm()->Handle();
}

void TdxBarSubMenuControl::CreateWnd() {
  FlushPaintMessages();
  MakeRareBrush();
  // The font comes from the window that opened the menu, else from the manager.
  auto* popup = FItemLinks ? dynamic_cast<TdxBarPopupMenu*>(FItemLinks->Owner()) : nullptr;
  if (FParentBar)
    Font()->Assign(FParentBar->Font());
  else if (popup)
    Font()->Assign(popup->Font());
  else if (FBarManager)
    Font()->Assign(FBarManager->Font());
  TCustomdxBarControl::CreateWnd();
  CalcDrawingConsts();
  FHome = POINT{Left(), Top()};
  SetActive(true);
  if (FItemLinks) {
    bool limit = FBarManager && FBarManager->PersonalizedMenus() && !MenusExpanded;
    FItemLinks->SetShownLimit(limit ? FItemLinks->RecentItemCount() : -1);
  }
  FFirstVisible = 0;
  PlaceWindow();
  dxBarPlaySound(0);
  if (FAnimate) StartAnimation();
}

void TdxBarSubMenuControl::DestroyWnd() {
  StopAnimation(true);
  StopScrollTimer();
  StopDelayTimer();
  if (ChildSubMenu && IsBarControl(ChildSubMenu)) ChildSubMenu->DestroyHandle();
  if (!FRecreating) {
    SetActive(false);
    if (Opener && FParentBar && IsBarControl(FParentBar)) {
      Opener->SetDroppedDown(false);
      if (auto* b = dynamic_cast<TdxBarButtonControl*>(Opener)) b->DropDownClosed();
      FParentBar->RepaintItem(Opener);
    }
  }
  TCustomdxBarControl::DestroyWnd();
  if (FItemLinks && !FRecreating) FItemLinks->SetShownLimit(-1);
  // A toolbar leaves menu mode with its drop-down (Esc, a click elsewhere), so the keyboard goes back to
  // the form; the menu bar stays in menu mode as a system menu bar does after Esc.
  if (!FRecreating)
    if (auto* tb = dynamic_cast<TdxBarControl*>(FParentBar); tb && IsBarControl(tb) && tb->Active() &&
                                                           !tb->ClosingDropDown() && !tb->IsPopup() &&
                                                           !(tb->Bar() && tb->Bar()->IsMainMenu()))
      tb->DeactivateChain();
  if (!FRecreating && OnAfterDestroy) OnAfterDestroy(this);
  FreeRareBrush();
}

void TdxBarSubMenuControl::Show() {
  if (OnBeforeShow) OnBeforeShow(this);
  TdxBarManager* m = FBarManager;
  if (TCustomdxBarControl* root = GetRootBarControl(this))
    if (root->BarManager()) m = root->BarManager();
  FAnimationStyle = m ? m->MenuAnimations() : maNone;
  FAnimate = AllowAnimation && FAnimationStyle != maNone && FItemLinks && FItemLinks->ShownCount() > 0 && m && !m->Designing() &&
             !m->IsCustomizing();
  HWND h = Handle();
  if (!IsBarControl(this) || !HandleAllocated()) return;
  SetWindowPos(h, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (FAnimate ? 0 : SWP_SHOWWINDOW));
}

void TdxBarSubMenuControl::CloseMenu() {
  if (FClosing) return;
  FClosing = true;
  SetActive(false);
  DestroyHandle();
  dxBarFreeAfterMessage(this);
}

void TdxBarSubMenuControl::DeactivateChain() {
  if (FParentBar) {
    TCustomdxBarControl::DeactivateChain();
    return;
  }
  SetActive(false);
  CloseMenu();
}

void TdxBarSubMenuControl::SetActive(bool Value) {
  if (Value && !FActive && !ActiveBarControl()) MenusExpanded = IsCustomizing();
  TCustomdxBarControl::SetActive(Value);
  if (Value && FBarManager && FBarManager->PersonalizedMenus() && !MenusExpanded &&
      FBarManager->ShowFullMenusAfterDelay())
    StartDelayTimer(ExpandTimerId, 4000);
}

// ---------------------------------------------------------------------------------------------------
// Font, customizing and item parts

void TdxBarSubMenuControl::CalcDrawingConsts() {
  TCustomdxBarControl::CalcDrawingConsts();
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  SIZE sz{0, 0};
  GetTextExtentPoint32A(dc, "0", 1, &sz);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int h = sz.cy + 1;
  int a = (h - 6) / 2;
  if (a % 2 != 0) h = (a - 1) * 2 + 6;
  FExpandButtonHeight = h;
}

bool TdxBarSubMenuControl::CanCustomize() {
  if (TCustomdxBarControl::CanCustomize()) return true;
  TPersistent* owner = FItemLinks ? FItemLinks->Owner() : nullptr;
  if (auto* sub = dynamic_cast<TdxBarSubItem*>(owner)) return sub->AllowCustomizing();
  return dynamic_cast<TdxBarPopupMenu*>(owner) != nullptr;
}

TFont* TdxBarSubMenuControl::GetEffectiveFont() {
  if (FParentBar && IsBarControl(FParentBar)) return FParentBar->GetEffectiveFont();
  auto* popup = FItemLinks ? dynamic_cast<TdxBarPopupMenu*>(FItemLinks->Owner()) : nullptr;
  if (popup && popup->UseOwnFont()) return popup->Font();
  return TCustomdxBarControl::GetEffectiveFont();
}

bool TdxBarSubMenuControl::IsRare(TdxBarItemLink* ALink) const {
  if (!ALink || !FItemLinks || !FBarManager || !FBarManager->PersonalizedMenus() || !MenusExpanded) return false;
  int t = FItemLinks->RecentItemCount();
  if (t == -1) t = FItemLinks->Count();
  return ALink->RecentIndex() >= t;
}

RECT TdxBarSubMenuControl::GetItemPartRect(TdxBarItemControl* AControl, int Part) {
  RECT r = TCustomdxBarControl::GetItemPartRect(AControl, Part);
  if (!AControl || !FItemLinks) return r;
  int i = FItemLinks->IndexOfShown(AControl->Link());
  if (i > FFirstVisible) {
    if (IsRare(AControl->Link()) != IsRare(FItemLinks->ShownItems(i - 1))) r.top -= 1;
    if (AControl->Link()->BeginGroup() && !(i == FFirstVisible + 1 && CanScrollUp())) r.top -= 10;
  }
  return r;
}

// No drop on the scroll rows or the expand button.
TdxBarItemControl* TdxBarSubMenuControl::GetDropInfo(POINT P, bool& Outside, bool& Vertical, bool& Before) {
  RECT up = CanScrollUp() ? ScrollRowRect(false) : RECT{}, down = CanScrollDown() ? ScrollRowRect(true) : RECT{};
  RECT expand = ExpandButtonRect();
  if (PtInRect(&up, P) || PtInRect(&down, P) || PtInRect(&expand, P)) {
    Outside = Before = false;
    Vertical = true;
    return nullptr;
  }
  return TCustomdxBarControl::GetDropInfo(P, Outside, Vertical, Before);
}

TdxBarItemControl* TdxBarSubMenuControl::ItemAtPos(POINT P) {
  // The scroll rows cover the links beneath them.
  if (CanScrollUp()) {
    RECT r = ScrollRowRect(false);
    if (PtInRect(&r, P)) return nullptr;
  }
  if (CanScrollDown()) {
    RECT r = ScrollRowRect(true);
    if (PtInRect(&r, P)) return nullptr;
  }
  return TCustomdxBarControl::ItemAtPos(P);
}

// ---------------------------------------------------------------------------------------------------
// Container items: their generated links stand in for them while the menu shows.

void TdxBarSubMenuControl::CreateControls() {
  if (FItemLinks && !IsCustomizing() && !FRebuildingControls) {
    for (int i = 0; i < FItemLinks->Count(); ++i) {
      TdxBarItemLink* l = FItemLinks->Items(i);
      auto* container = dynamic_cast<TCustomdxBarContainerItem*>(l->Item());
      if (!container) continue;
      FContainerLinks.emplace_back(l, i);
      l->SetCollection(nullptr);
      container->AddListedItemLinks(FItemLinks, i, this, true);
      --i;
    }
    FItemLinks->RefreshLists();
  }
  TCustomdxBarControl::CreateControls();
}

void TdxBarSubMenuControl::DestroyControls() {
  TCustomdxBarControl::DestroyControls();
  if (FContainerLinks.empty() || !FItemLinks || IsCustomizing()) return;
  FRebuildingControls = true;
  TScopeExit done([this] { FRebuildingControls = false; });
  for (auto it = FContainerLinks.rbegin(); it != FContainerLinks.rend(); ++it) {
    auto* container = static_cast<TCustomdxBarContainerItem*>(it->first->Item());
    container->DeleteListedItemLinks(FItemLinks, it->second);
  }
  for (auto& [link, index] : FContainerLinks) {
    link->SetCollection(FItemLinks);
    link->SetIndex(index);
  }
  FContainerLinks.clear();
  FItemLinks->RefreshLists();
}

// ---------------------------------------------------------------------------------------------------
// Layout and placement

bool TdxBarSubMenuControl::HasHiddenLinks() {
  return FItemLinks && FBarManager && FBarManager->PersonalizedMenus() &&
         FItemLinks->ShownCount() < FItemLinks->VisibleCount();
}

bool TdxBarSubMenuControl::CanScrollDown() const {
  return FItemLinks && FFirstVisible + FFitCount < FItemLinks->ShownCount();
}

void TdxBarSubMenuControl::SetFirstVisibleIndex(int Value) {
  int n = FItemLinks ? FItemLinks->ShownCount() : 0;
  Value = std::max(0, std::min(Value, n - 1));
  if (Value == FFirstVisible) return;
  FFirstVisible = Value;
  CalcLayout(false);
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TdxBarSubMenuControl::CalcLayout(bool Measuring, SIZE* Size) {
  FFitCount = 0;
  if (!FItemLinks) {
    if (Size) *Size = SIZE{100, FTextSize + 6};
    return;
  }
  FItemLinks->ClearItemRects();
  int rowH = FTextSize;
  bool hidden = HasHiddenLinks();
  int clientW = Measuring ? 0 : ClientWidth();
  int limit = Measuring ? INT_MAX : ClientHeight() - 2 - (hidden ? rowH : 0);
  int top = 2, widest = 0;
  bool prevRare = false;
  for (int i = FFirstVisible; i < FItemLinks->ShownCount(); ++i) {
    TdxBarItemLink* l = FItemLinks->ShownItems(i);
    TdxBarItemControl* c = l->Control();
    if (!c) break;
    bool rare = IsRare(l);
    bool first = i == FFirstVisible;
    int rowTop = top;
    if (!first && rare != prevRare) rowTop += 1;
    if (l->BeginGroup() && !first && !(i == FFirstVisible + 1 && FFirstVisible >= 1)) rowTop += 10;
    int h = c->GetHeight();
    if (rowTop + h > limit) break;
    l->ItemRect = RECT{2, rowTop, clientW - 2, rowTop + h};
    top = rowTop + h;
    if (Measuring) widest = std::max(widest, c->GetWidth());
    prevRare = rare;
    ++FFitCount;
  }
  if (Size) {
    Size->cx = widest > 0 ? widest + 6 : 100;
    Size->cy = top + 4 + (hidden || FFitCount == 0 ? rowH : 0);
  }
}

SIZE TdxBarSubMenuControl::MeasureSize() {
  SIZE s{100, FTextSize + 6};
  int first = FFirstVisible;
  FFirstVisible = 0;
  CalcLayout(true, &s);
  FFirstVisible = first;
  return s;
}

void TdxBarSubMenuControl::PlaceWindow() {
  SIZE s = MeasureSize();
  int L = FHome.x, T = FHome.y, W = s.cx, H = s.cy;
  RECT A = GetWorkArea(POINT{L, T});
  FFlippedH = FFlippedV = false;
  if (L + W > A.right) {
    if (OpenerWidth) {
      if (L - OpenerWidth - A.left > A.right - L) {
        L = L - OpenerWidth - W;
        FFlippedH = true;
      }
    } else {
      L = A.right - W;
    }
  }
  if (A.left > L) {
    if (!OpenerWidth) {
      L = A.left;
    } else if (!OpensRight) {
      int right = A.right - (L + W + OpenerWidth), left = L + W - A.left;
      if (right > left) {
        L = L + W + OpenerWidth;
        FFlippedH = true;
      }
    }
  }
  if (T + H > A.bottom) {
    if (OpenerHeight) {
      if (T - OpenerHeight - A.top <= A.bottom - T) {
        H = A.bottom - T;
      } else {
        T = T - OpenerHeight - H;
        FFlippedV = true;
      }
    } else if (OpenerWidth) {
      T = A.bottom - H;
    } else if (T - H >= A.top) {
      T = T - H;
      FFlippedV = true;
    } else {
      T = A.bottom - H;
    }
  }
  if (A.top > T) {
    if (!OpensDown && OpenerHeight && A.bottom - (T + H + OpenerHeight) > T + H - A.top) {
      T = T + H + OpenerHeight;
      FFlippedV = true;
    } else {
      // Whatever the placement, a menu taller than the work area is cut to it; its scroll rows reach the rest.
      H -= A.top - T;
      T = A.top;
    }
  }
  H = std::min<int>(H, A.bottom - T);
  SetBounds(L, T, W, H);
  CalcLayout(false);
}

RECT TdxBarSubMenuControl::ScrollRowRect(bool Down) {
  if (!FItemLinks || FFitCount == 0) return RECT{};
  if (!Down) return FItemLinks->ShownItems(FFirstVisible)->ItemRect;
  RECT r = FItemLinks->ShownItems(FFirstVisible + FFitCount - 1)->ItemRect;
  r.bottom = ClientHeight() - 2 - (HasHiddenLinks() ? FTextSize : 0);
  return r;
}

RECT TdxBarSubMenuControl::ExpandButtonRect() {
  if (!HasHiddenLinks()) return RECT{};
  return RECT{2, ClientHeight() - 2 - FExpandButtonHeight, ClientWidth() - 2, ClientHeight() - 2};
}

void TdxBarSubMenuControl::RebuildBar() {
  if (FClosing || FRebuilding || !HandleAllocated()) return;
  FRebuilding = true;
  TScopeExit done([this] { FRebuilding = false; });
  TdxBarItemLink* selected = nullptr;
  if (IsCustomizing() && FBarManager && FBarManager->SelectedItem() && FBarManager->SelectedItem()->Parent() == this) {
    selected = FBarManager->SelectedItem()->Link();
    FBarManager->SetSelectedItem(nullptr);
  }
  DestroyControls();
  CreateControls();
  RECT before = BoundsRect();
  if (Left() != FHome.x || Top() != FHome.y) {
    ShowWindow(Handle(), SW_HIDE);
    SetBounds(FHome.x, FHome.y, Width(), Height());
  }
  PlaceWindow();
  // Scrolled to the end and rows removed: take the first visible row back while the menu still ends.
  while (CanScrollUp() && !CanScrollDown()) {
    FFirstVisible--;
    CalcLayout(false);
    if (CanScrollDown()) {
      FFirstVisible++;
      CalcLayout(false);
      break;
    }
  }
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  RECT after = BoundsRect();
  if (!EqualRect(&before, &after)) CalcLayout(false);
  InvalidateRect(Handle(), nullptr, FALSE);
  if (selected && selected->Control()) SelectItem(selected->Control());
}

void TdxBarSubMenuControl::KeepSelectionVisible() {
  if (!FSelectedControl || !FItemLinks || FFitCount == 0) return;
  int i = FItemLinks->IndexOfShown(FSelectedControl->Link());
  if (i < 0) return;
  for (int guard = 0; guard < FItemLinks->ShownCount(); ++guard) {
    int low = FFirstVisible + (CanScrollUp() ? 1 : 0);
    int high = FFirstVisible + FFitCount - 1 - (CanScrollDown() ? 1 : 0);
    if (i < low && FFirstVisible > 0)
      FFirstVisible--;
    else if (i > high && CanScrollDown())
      FFirstVisible++;
    else
      break;
    CalcLayout(false);
  }
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
}

// ---------------------------------------------------------------------------------------------------
// Painting

void TdxBarSubMenuControl::MakeRareBrush() {
  if (FRareBrush) return;
  COLORREF c = GetSysColor(COLOR_BTNFACE);
  auto up = [](int v) { return std::min(255, v + 20); };
  FRareBrush = CreateSolidBrush(RGB(up(GetRValue(c)), up(GetGValue(c)), up(GetBValue(c))));
}

void TdxBarSubMenuControl::FreeRareBrush() {
  if (FRareBrush) DeleteObject(FRareBrush);
  FRareBrush = nullptr;
}

HBRUSH TdxBarSubMenuControl::RowBrush(TdxBarItemControl* AControl) {
  return IsRare(AControl->Link()) && FRareBrush ? FRareBrush : GetSysColorBrush(COLOR_BTNFACE);
}

namespace {
void DrawTriangle(HDC DC, RECT R, int A, bool Up) {
  int cx = (R.left + R.right) / 2, cy = (R.top + R.bottom) / 2;
  POINT p[3];
  if (Up) {
    p[0] = {cx - A, cy + A / 2};
    p[1] = {cx + A, cy + A / 2};
    p[2] = {cx, cy - A / 2 - 1};
  } else {
    p[0] = {cx - A, cy - A / 2};
    p[1] = {cx + A, cy - A / 2};
    p[2] = {cx, cy + A / 2 + 1};
  }
  HGDIOBJ oldBrush = SelectObject(DC, GetSysColorBrush(COLOR_BTNTEXT));
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ oldPen = SelectObject(DC, pen);
  Polygon(DC, p, 3);
  SelectObject(DC, oldPen);
  SelectObject(DC, oldBrush);
  DeleteObject(pen);
}
}  // namespace

void TdxBarSubMenuControl::PaintMenu(HDC DC) {
  RECT client{0, 0, ClientWidth(), ClientHeight()};
  DrawEdge(DC, &client, BDR_RAISEDINNER, BF_RECT);
  RECT inside = client;
  InflateRect(&inside, -1, -1);
  FillRect(DC, &inside, GetSysColorBrush(COLOR_BTNFACE));
  CalcLayout(false);
  if (!FItemLinks) return;
  int a = FTextSize / 3 - 1;
  int firstRow = FFirstVisible, lastRow = FFirstVisible + FFitCount - 1;
  if (CanScrollUp()) {
    DrawTriangle(DC, ScrollRowRect(false), a, true);
    ++firstRow;
  }
  if (CanScrollDown()) {
    DrawTriangle(DC, ScrollRowRect(true), a, false);
    --lastRow;
  }
  if (HasHiddenLinks()) {
    RECT b = ExpandButtonRect();
    if (FMarkState == 1) {
      DrawEdge(DC, &b, BDR_RAISEDINNER, BF_RECT);
      RECT in = b;
      InflateRect(&in, -1, -1);
      FillRect(DC, &in, FRareBrush ? FRareBrush : GetSysColorBrush(COLOR_BTNFACE));
    }
    // The chevron: two downward angles of n lines each.
    int n = std::max(1, (FExpandButtonHeight - 6) / 2);
    int cx = (b.left + b.right) / 2, top = (b.top + b.bottom) / 2 - n;
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = SelectObject(DC, pen);
    for (int k = 0; k < 2; ++k)
      for (int i = 0; i < n; ++i) {
        int y = top + k * (n + 1) + i;
        MoveToEx(DC, cx - n + i, y, nullptr);
        LineTo(DC, cx - n + i + 1, y);
        MoveToEx(DC, cx + n - i, y, nullptr);
        LineTo(DC, cx + n - i - 1, y);
      }
    SelectObject(DC, old);
    DeleteObject(pen);
  }
  for (int i = firstRow; i <= lastRow; ++i)
    if (TdxBarItemControl* c = FItemLinks->ShownItems(i)->Control()) PaintRow(DC, c);
}

void TdxBarSubMenuControl::PaintRow(HDC DC, TdxBarItemControl* AControl) {
  TdxBarItemLink* l = AControl->Link();
  int i = FItemLinks->IndexOfShown(l);
  if (i < FFirstVisible || i >= FFirstVisible + FFitCount) return;
  if ((CanScrollUp() && i == FFirstVisible) || (CanScrollDown() && i == FFirstVisible + FFitCount - 1)) return;
  RECT r = l->ItemRect;
  HBRUSH back = RowBrush(AControl);
  bool rare = IsRare(l);
  if (i > FFirstVisible) {
    bool prevRare = IsRare(FItemLinks->ShownItems(i - 1));
    if (rare != prevRare) {
      RECT line{r.left, r.top - 1, r.right, r.top};
      FillRect(DC, &line, GetSysColorBrush(rare ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT));
    }
    if (l->BeginGroup() && !(i == FFirstVisible + 1 && CanScrollUp())) {
      int top = r.top - 10 - (rare != prevRare ? 1 : 0);
      RECT band{r.left, top, r.right, top + 10};
      FillRect(DC, &band, back);
      RECT etch{r.left + 4, top + 4, r.right - 4, top + 6};
      DrawEdge(DC, &etch, EDGE_ETCHED, BF_TOP);
    }
  }
  if (rare) {
    RECT lb{r.left - 2, r.top, r.left, r.bottom}, rb{r.right, r.top, r.right + 2, r.bottom};
    FillRect(DC, &lb, back);
    FillRect(DC, &rb, back);
  }
  HBRUSH saved = FBkBrush;
  FBkBrush = back;
  PaintItemTo(DC, AControl, 1);
  FBkBrush = saved;
}

void TdxBarSubMenuControl::Paint() {
  if (FAnimate || FClosing) return;
  PaintMenu(Canvas()->Handle());
}

void TdxBarSubMenuControl::RepaintItem(TdxBarItemControl* AControl) {
  if (!AControl || FAnimate || FClosing || FLockControls || !HandleAllocated() || !FItemLinks) return;
  HDC dc = GetDC(Handle());
  PaintRow(dc, AControl);
  ReleaseDC(Handle(), dc);
}

// ---------------------------------------------------------------------------------------------------
// Selection, mark state and expansion

void TdxBarSubMenuControl::SetSelectedItem(TdxBarItemControl* AControl) {
  TCustomdxBarControl::SetSelectedItem(AControl);
  KeepSelectionVisible();
  if (FMarkState == 0) {
    StopDelayTimer();
    if (FActive && HasHiddenLinks()) StartDelayTimer(ExpandHotTimerId, 4000);
  }
}

void TdxBarSubMenuControl::SetMarkState(int Value) {
  if (IsCustomizing()) return;
  std::string text;
  if (Value == 1 && FSelectedControl && FSelectedControl->EditorText(text)) Value = 0;
  if (Value != FMarkState) {
    FMarkState = Value;
    if (Value == 2) {
      Expand();
      return;
    }
    if (HandleAllocated()) {
      RECT b = ExpandButtonRect();
      InvalidateRect(Handle(), &b, FALSE);
    }
  }
  if (FBarManager && !FBarManager->ShowFullMenusAfterDelay()) FBarManager->UpdateHint(Value == 1, Value == 1 ? "Expand (Ctrl-Down)" : "");
  if (FBarManager && FBarManager->ShowFullMenusAfterDelay()) {
    StopDelayTimer();
    POINT p;
    GetCursorPos(&p);
    RECT b = ExpandButtonRect();
    if (Value == 1 && HandleAllocated() && PtInRect(&b, ScreenToClient(p))) StartDelayTimer(ExpandTimerId, 1000);
  }
}

void TdxBarSubMenuControl::Expand() {
  FMarkState = 0;
  if (!HasHiddenLinks() || !HandleAllocated()) return;
  MenusExpanded = true;
  // The selected link is selected again in the new window (its control is made anew).
  TdxBarItemLink* selected = FSelectedControl ? FSelectedControl->Link() : nullptr;
  {
    FRecreating = true;
    TScopeExit done([this] { FRecreating = false; });
    DestroyHandle();
    FItemLinks->SetShownLimit(-1);
    SetBounds(FHome.x, FHome.y, Width(), Height());
    Show();
  }
  if (selected && selected->Control() && IsBarControl(this)) SelectItem(selected->Control());
}

void TdxBarSubMenuControl::StartDelayTimer(UINT Id, UINT Ms) {
  StopDelayTimer();
  if (HandleAllocated()) FDelayTimer = SetTimer(Handle(), Id, Ms, nullptr);
}

void TdxBarSubMenuControl::StopDelayTimer() {
  if (FDelayTimer && HandleAllocated()) KillTimer(Handle(), FDelayTimer);
  FDelayTimer = 0;
}

void TdxBarSubMenuControl::StopScrollTimer() {
  if (!FScrollTimer) return;
  if (HandleAllocated()) KillTimer(Handle(), FScrollTimer);
  FScrollTimer = 0;
  FLastCursor = POINT{-1, -1};
  POINT p;
  GetCursorPos(&p);
  if (HandleAllocated() && !FClosing) {
    POINT c = ScreenToClient(p);
    SendMessageA(Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
  }
}

// ---------------------------------------------------------------------------------------------------
// Animation

void TdxBarSubMenuControl::StartAnimation() {
  // One animation at a time: a running one ends before the next begins.
  if (Anim.Menu && Anim.Menu != this) Anim.Menu->StopAnimation();
  if (Anim.Thread) StopAnimation();
  TdxBarMenuAnimations style = FAnimationStyle;
  if (style == maRandom) style = std::rand() % 100 >= 50 ? maSlide : maUnfold;
  TAnimation& a = Anim;
  a.Menu = this;
  a.Wnd = Handle();
  a.Stop = false;
  a.Closing = false;
  a.Style = style;
  a.ReverseH = (!OpensRight && !FFlippedH) || (OpensRight && FFlippedH);
  a.ReverseV = (!OpensDown && !FFlippedV) || (OpensDown && FFlippedV);
  a.ClientWidth = ClientWidth();
  a.ClientHeight = ClientHeight();
  a.NcWidth = Width() - a.ClientWidth;
  a.NcHeight = Height() - a.ClientHeight;
  a.Final = RECT{Left(), Top(), Left() + Width(), Top() + Height()};
  if (style == maSlide) {
    a.Step = 17;
    a.Total = a.ClientHeight;
  } else {
    a.Step = 8;
    a.Diff = a.ClientHeight - a.ClientWidth;
    a.Total = a.Diff < 1 ? a.ClientHeight : a.ClientWidth;
  }
  HDC screen = GetDC(nullptr);
  a.MemDC = CreateCompatibleDC(screen);
  a.Bitmap = CreateCompatibleBitmap(screen, std::max(1, a.ClientWidth), std::max(1, a.ClientHeight));
  ReleaseDC(nullptr, screen);
  a.OldBitmap = SelectObject(a.MemDC, a.Bitmap);
  FAnimate = false;
  PaintMenu(a.MemDC);
  FAnimate = true;
  a.Thread = CreateThread(nullptr, 0, AnimationThread, nullptr, 0, nullptr);
  if (!a.Thread) StopAnimation();
}

void TdxBarSubMenuControl::StopAnimation(bool Closing) {
  TAnimation& a = Anim;
  if (a.Menu != this) {
    if (FAnimate && !Closing) {
      // Never started (no thread): show the finished window at once.
      FAnimate = false;
      if (HandleAllocated() && !FClosing) ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    }
    return;
  }
  if (a.Thread) {
    a.Closing = Closing || FClosing;
    a.Stop = true;
    // The worker moves the window with messages sent to this thread: those are served while it ends.
    dxBarWaitForAnimation(a.Thread);
    CloseHandle(a.Thread);
  }
  if (a.MemDC) {
    SelectObject(a.MemDC, a.OldBitmap);
    DeleteDC(a.MemDC);
  }
  if (a.Bitmap) DeleteObject(a.Bitmap);
  bool closing = a.Closing;
  a.Menu = nullptr;
  a.Wnd = nullptr;
  a.Thread = nullptr;
  a.MemDC = nullptr;
  a.Bitmap = nullptr;
  a.OldBitmap = nullptr;
  a.Stop = false;
  a.Closing = false;
  FAnimate = false;
  if (!closing && !FClosing && HandleAllocated()) {
    UpdateBounds();
    InvalidateRect(Handle(), nullptr, TRUE);
    FlushPaintMessages();
  }
}

// ---------------------------------------------------------------------------------------------------
// Messages

void TdxBarSubMenuControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ACTIVATE:
      DefaultHandler(Message);
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
      return;
    case WM_KEYDOWN:
      // The base leaves the keys of menu windows to them.
      WMKeyDown(Message);
      return;
    case WM_NCCALCSIZE:
      WMNCCalcSize(Message);
      return;
    case WM_NCPAINT:
      WMNCPaint(Message);
      return;
    case WM_TIMER:
      WMTimer(Message);
      return;
    case WM_DXANIMATIONDONE:
      StopAnimation();
      return;
    case CM_FONTCHANGED:
      TCustomdxBarControl::Dispatch(Message);
      CalcDrawingConsts();
      return;
  }
  TCustomdxBarControl::Dispatch(Message);
}

void TdxBarSubMenuControl::WMNCCalcSize(TMessage& Message) {
  auto* r = reinterpret_cast<RECT*>(Message.LParam);
  InflateRect(r, -1, -1);
  Message.Result = 0;
}

void TdxBarSubMenuControl::WMNCPaint(TMessage&) {
  HDC dc = GetWindowDC(Handle());
  RECT r;
  GetWindowRect(Handle(), &r);
  OffsetRect(&r, -r.left, -r.top);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  RECT top{0, 0, r.right, 1}, left{0, 0, 1, r.bottom};
  FillRect(dc, &top, face);
  FillRect(dc, &left, face);
  DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
  ReleaseDC(Handle(), dc);
}

void TdxBarSubMenuControl::WMTimer(TMessage& Message) {
  UINT_PTR id = Message.WParam;
  KillTimer(Handle(), id);
  if (id == ScrollTimerId) {
    FScrollTimer = 0;
    POINT p;
    GetCursorPos(&p);
    POINT c = ScreenToClient(p);
    bool up = FScrollBy < 0;
    RECT row = ScrollRowRect(!up);
    if (PtInRect(&row, c) && (up ? CanScrollUp() : CanScrollDown())) {
      SetFirstVisibleIndex(FFirstVisible + FScrollBy);
      FScrollTimer = SetTimer(Handle(), ScrollTimerId, 80, nullptr);
    } else {
      FScrollTimer = 1;  // stop the way every stop goes
      StopScrollTimer();
    }
    return;
  }
  if (FDelayTimer == id) FDelayTimer = 0;
  if (id == ExpandTimerId) SetMarkState(2);
  if (id == ExpandHotTimerId && !ChildSubMenu) SetMarkState(1);
}

void TdxBarSubMenuControl::WMKeyDown(TMessage& Message) {
  StopAnimation();
  uint16_t key = uint16_t(Message.WParam);
  bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
  if ((key == VK_TAB || key == VK_DOWN) && HasHiddenLinks()) {
    if (ctrl && key == VK_DOWN) {
      SetMarkState(2);
      return;
    }
    if (!ctrl && !shift && !alt && FSelectedControl &&
        FSelectedControl->Link() == FItemLinks->ShownItems(FItemLinks->ShownCount() - 1)) {
      SetMarkState(2);
      if (IsBarControl(this) && HandleAllocated()) SendMessageA(Handle(), WM_KEYDOWN, key, 1);
      return;
    }
  }
  if (!ActiveBarControl() || !FItemLinks) return;
  // A letter shared by rows, or the row of one that keeps the menu open, shows the whole menu first.
  if (((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) && FBarManager &&
      FBarManager->Style() == bmsEnhanced && HasHiddenLinks()) {
    TShiftState state;
    if (shift) state.Include(ssShift);
    TdxBarItemLink* from = FSelectedControl ? FSelectedControl->Link() : nullptr;
    if (TdxBarItemLink* found = FItemLinks->FindByAccel(key, state, from); found && found->Control()) {
      TdxBarItemLink* other = FItemLinks->FindByAccel(key, state, found);
      if ((other && other != found) || !found->Control()->ClosesSubMenuOnClick()) SetMarkState(2);
    }
  }
  if (!IsBarControl(this)) return;
  TCustomdxBarControl::WMKeyDown(Message);
  if (!IsBarControl(this) || !ActiveBarControl()) return;
  TCustomdxBarControl* parent = IsBarControl(FParentBar) ? FParentBar : nullptr;
  bool parentIsMenu = dynamic_cast<TdxBarSubMenuControl*>(parent) != nullptr;
  switch (key) {
    case VK_RETURN:
      if (FSelectedControl) FSelectedControl->Click();
      break;
    case VK_ESCAPE:
    case VK_LEFT: {
      if (key == VK_LEFT && parent && !parentIsMenu) {
        if (TCustomdxBarControl* root = GetRootBarControl(this))
          if (root->HandleAllocated()) SendMessageA(root->Handle(), WM_KEYDOWN, VK_LEFT, 0);
        break;
      }
      if (parent && parent->SelectedControl()) {
        ClosingOneLevel = true;
        TScopeExit done([] { ClosingOneLevel = false; });
        parent->SelectedControl()->CloseUp();
      } else if (!parent && key == VK_ESCAPE) {
        CloseMenu();
      }
      break;
    }
    case VK_RIGHT: {
      TdxBarItemControl* c = FSelectedControl;
      auto* button = dynamic_cast<TdxBarButtonControl*>(c);
      if (IsSubItem(c)) {
        SendMessageA(Handle(), WM_KEYDOWN, VK_RETURN, 0);
      } else if (button && button->IsDropDownStyle()) {
        button->OpenDropDownMenu(false);
      } else if (parent) {
        if (TCustomdxBarControl* root = GetRootBarControl(this))
          if (root != this && root->HandleAllocated()) SendMessageA(root->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
      }
      break;
    }
  }
}

void TdxBarSubMenuControl::WMLButtonDown(TMessage& Message) {
  if (FScrollTimer) return;
  // The press is meant for the rows as the user sees them open: the window takes its full size first.
  StopAnimation();
  if (!IsBarControl(this) || !HandleAllocated()) return;
  TCustomdxBarControl::WMLButtonDown(Message);
  if (!IsBarControl(this) || !HandleAllocated()) return;
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  RECT b = ExpandButtonRect();
  if (HasHiddenLinks() && PtInRect(&b, p)) {
    if (FMarkState == 1) {
      SetMarkState(2);
    } else {
      SelectItem(nullptr);
      SetMarkState(1);
    }
  }
}

void TdxBarSubMenuControl::WMMouseMove(TMessage& Message) {
  POINT screen;
  GetCursorPos(&screen);
  bool moved = screen.x != FLastScrollCursor.x || screen.y != FLastScrollCursor.y;
  if (Anim.Menu == this) {
    if (!moved) return;
    StopAnimation();
  }
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  RECT client = ClientRect();
  if (PtInRect(&client, p) && ReselectControl && FParentBar && IsBarControl(FParentBar))
    FParentBar->DropDownItem(ReselectControl);
  if (!IsBarControl(this)) return;
  if (HasHiddenLinks()) {
    RECT b = ExpandButtonRect();
    bool on = PtInRect(&b, p) != FALSE;
    if (on && FMarkState == 0) SetMarkState(1);
    if (!on && FMarkState == 1) SetMarkState(0);
  }
  int by = 0;
  if (CanScrollUp()) {
    RECT r = ScrollRowRect(false);
    if (PtInRect(&r, p)) by = -1;
  }
  if (!by && CanScrollDown()) {
    RECT r = ScrollRowRect(true);
    if (PtInRect(&r, p)) by = 1;
  }
  if (by) {
    if (!FScrollTimer && moved) {
      FLastScrollCursor = screen;
      if (FBarManager && FBarManager->SelectedItem() && FBarManager->SelectedItem()->Parent() == this)
        FBarManager->SetSelectedItem(nullptr);
      SelectItem(nullptr);
      FScrollBy = by;
      FScrollTimer = SetTimer(Handle(), ScrollTimerId, 80, nullptr);
    }
    return;
  }
  FLastScrollCursor = screen;
  if (FScrollTimer) StopScrollTimer();
  TCustomdxBarControl::WMMouseMove(Message);
}
