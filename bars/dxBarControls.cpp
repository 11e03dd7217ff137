// The bar windows' item handling (hit testing, selection, painting one control into any device context)
// and the button control: its size on toolbars and in menus, its looks and its click.
// Before windowsx.h, whose macros clash with the class library's headers.
#include "dxBarCustForm.h"
#include <windowsx.h>

#include <algorithm>

#include "Menus.h"
#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarCustomizing.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarQuickCust.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

namespace {

// Two nested one-pixel frames inside R. Inverted outlines show on a highlighted sub-item row of a menu,
// whose colour a plain frame could match.
void DrawCustomizingFrame(HDC DC, RECT R, bool Inverted) {
  for (int k = 0; k < 2; ++k) {
    RECT f{R.left + k, R.top + k, R.right - k, R.bottom - k};
    if (f.right <= f.left || f.bottom <= f.top) return;
    if (!Inverted) {
      FrameRect(DC, &f, GetSysColorBrush(COLOR_WINDOWTEXT));
      continue;
    }
    int rop = SetROP2(DC, R2_NOT);
    HGDIOBJ pen = SelectObject(DC, GetStockObject(BLACK_PEN));
    int r = f.right - 1, b = f.bottom - 1;
    POINT p[5]{{f.left, f.top}, {r, f.top}, {r, b}, {f.left, b}, {f.left, f.top}};
    Polyline(DC, p, 5);
    SelectObject(DC, pen);
    SetROP2(DC, rop);
  }
}

SIZE TextExtent(HDC DC, const std::string& S) {
  SIZE sz{0, 0};
  GetTextExtentPoint32A(DC, S.c_str(), int(S.size()), &sz);
  return sz;
}

// Runs F with a device context holding the given font, for measuring.
template <class F>
auto WithFontDC(TFont* AFont, F f) {
  // One memory device context measures every text: a screen context for each would cost the window
  // system a round trip, and the bars measure every caption each time they lay out.
  static const HDC dc = CreateCompatibleDC(nullptr);
  TSelectObject font(dc, AFont ? AFont->Handle() : GetStockObject(DEFAULT_GUI_FONT));
  return f(dc);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Bar window base: hit testing and selection

void TCustomdxBarControl::CalcDrawingConsts() {
  FTextSize = WithFontDC(Font(), [](HDC dc) { return int(TextExtent(dc, "0").cy); }) + 6;
  TFont* eff = GetEffectiveFont();
  SIZE zero = WithFontDC(eff, [](HDC dc) { return TextExtent(dc, "0"); });
  FEffTextSize = zero.cy + 6;
  FSubMenuTextSize = FTextSize / 4 * 3 + 1;
  FComboArrowWidth = 2 * zero.cx - 1;
}

bool TCustomdxBarControl::CanCustomize() {
  return FBarManager && FBarManager->ComponentState().Contains(csDesigning);
}

TFont* TCustomdxBarControl::GetEffectiveFont() { return FBarManager ? FBarManager->Font() : Font(); }

RECT TCustomdxBarControl::GetItemRect(TdxBarItemControl* AControl) {
  if (!AControl || !AControl->Link()) return RECT{0, 0, 0, 0};
  return AControl->Link()->ItemRect;
}

HRGN TCustomdxBarControl::GetItemRegion(TdxBarItemControl* AControl) {
  RECT r = GetItemPartRect(AControl, 1);
  return CreateRectRgnIndirect(&r);
}

bool TCustomdxBarControl::IsAncestorOf(TCustomdxBarControl* AControl) {
  for (TCustomdxBarControl* c = AControl; c; c = c->ParentBar())
    if (c == this) return true;
  return false;
}

TdxBarItemControl* TCustomdxBarControl::ItemAtPos(POINT P) {
  if (!FItemLinks) return nullptr;
  bool customizing = IsCustomizing();
  if (customizing && !CanCustomize()) return nullptr;
  for (int i = 0; i < FItemLinks->VisibleCount(); ++i) {
    TdxBarItemLink* l = FItemLinks->VisibleItems(i);
    if (!l->Control() || !PtInRect(&l->ItemRect, P)) continue;
    if (customizing && l->Item() && l->Item()->BarManager() != FBarManager &&
        !(FBarManager && FBarManager->ComponentState().Contains(csAncestor)))
      return nullptr;
    return l->Control();
  }
  return nullptr;
}

void TCustomdxBarControl::RepaintItem(TdxBarItemControl*) { FBkBrush = GetSysColorBrush(COLOR_BTNFACE); }

void TCustomdxBarControl::RepaintSelection(TdxBarItemControl* APrev) {
  if (FLockControls) return;
  if (APrev && APrev->Item() && !APrev->Item()->ComponentState().Contains(csDestroying)) RepaintItem(APrev);
  if (FSelectedControl) RepaintItem(FSelectedControl);
}

void TCustomdxBarControl::CloseSelectedDropDown() {
  bool old = FClosingDropDown;
  FClosingDropDown = true;
  TScopeExit done([this, old] { FClosingDropDown = old; });
  FSelectedControl->CloseUp();
}

void TCustomdxBarControl::SelectItem(TdxBarItemControl* AControl) {
  if (FSelectedControl == AControl) return;
  if (FSelectedControl && FSelectedControl->DroppedDown()) CloseSelectedDropDown();
  if (!IsBarControl(this)) return;
  if (auto* sc = dynamic_cast<TdxBarSubItemControl*>(AControl)) sc->OpenOnSelect = false;
  if (AControl) AControl->SetSelectedByMouse(false);
  SetSelectedItem(AControl);
}

// The open in-place editor of the selected window control (nullptr when none).
static TdxBarWinControl* OpenEditor(TdxBarItemControl* AControl) {
  auto* w = dynamic_cast<TdxBarWinControl*>(AControl);
  return w && w->Focused() && w->Handle() ? w : nullptr;
}

// A press or release on a window control outside its editor part belongs to its open in-place window
// (a combo's arrow button); it gets it in its own coordinates.
static void ForwardToEditor(TCustomdxBarControl* ABar, TdxBarItemControl* AControl, TMessage& Message) {
  TdxBarWinControl* w = OpenEditor(AControl);
  if (!w) return;
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  RECT editor = w->EditorRect();
  if (Message.Msg == WM_LBUTTONDOWN && PtInRect(&editor, p)) return;
  MapWindowPoints(ABar->Handle(), w->Handle(), &p, 1);
  SendMessageA(w->Handle(), Message.Msg, Message.WParam, MAKELPARAM(p.x, p.y));
}

void TCustomdxBarControl::DropDownItem(TdxBarItemControl* AControl) {
  if (!HandleAllocated() || FSelectedControl == AControl) return;
  // Hovering elsewhere does not take the user's typing away.
  if (OpenEditor(FSelectedControl)) return;
  if (FSelectedControl && FSelectedControl->DroppedDown()) CloseSelectedDropDown();
  if (AControl) AControl->SetSelectedByMouse(true);
  SetSelectedItem(AControl);
  if (!FSelectedControl || FSelectedControl != AControl) return;
  // A dragged sub-item does not open its own menu, nor a menu that holds it.
  if (auto* sc = dynamic_cast<TdxBarSubItemControl*>(AControl); sc && FBarManager && FBarManager->IsDragging()) {
    TdxBarItem* dragged = FBarManager->DraggingItem();
    TCustomdxBarSubItem* s = sc->SubItem();
    if (s && dragged && (s == dragged || s->ItemLinks()->ContainsItem(dragged))) return;
  }
  if (auto* sc = dynamic_cast<TdxBarSubItemControl*>(AControl)) sc->OpenOnSelect = true;
  AControl->DropDown();
}

void TCustomdxBarControl::SetSelectedItem(TdxBarItemControl* AControl) {
  if (FSelectedControl == AControl) return;
  if (AControl) TdxBarQuickControl::StartClosingTimer(this);
  TdxBarItemControl* prev = FSelectedControl;
  FSelectedControl = AControl;
  TdxBarItemControl* framed = FBarManager ? FBarManager->SelectedItem() : nullptr;
  if (FBarManager) FBarManager->SetSelectedItem(AControl);
  RepaintSelection(prev);
  // The customizing frame leaves the control that had it in another window (an open menu's opener).
  if (framed && framed != prev && framed != AControl && framed->Parent() != this && IsCustomizing() &&
      !FBarManager->IsDragging())
    framed->Repaint();
  GetCursorPos(&FLastCursor);
  if (!AControl) SetCursor(crDefault);
  bool showHint = AControl && (AControl->GetEnabled() || (FBarManager && FBarManager->ShowHintForDisabledItems()));
  SetHint(showHint && AControl->Item() ? GetLongHint(AControl->Item()->Hint()) : std::string());
  // Leaving a toolbar's items for its hot or open end mark keeps the mark's own hint.
  bool markHint = !AControl && dynamic_cast<TdxBarControl*>(this) && FMarkState != 0;
  if (FBarManager && !markHint) FBarManager->UpdateHint(true, std::string());
}

void TCustomdxBarControl::PaintItemTo(HDC DC, TdxBarItemControl* AControl, int State) {
  if (!AControl) return;
  RECT r = GetItemRect(AControl);
  int saved = SaveDC(DC);
  IntersectClipRect(DC, r.left, r.top, r.right, r.bottom);
  HFONT font = GetEffectiveFont() ? GetEffectiveFont()->Handle() : nullptr;
  if (font) SelectObject(DC, font);
  AControl->Paint(DC, r, State);
  if (HasCustomizingFrame(AControl)) {
    bool menuSubItem = dynamic_cast<TdxBarSubMenuControl*>(this) && dynamic_cast<TdxBarSubItemControl*>(AControl);
    DrawCustomizingFrame(DC, r, menuSubItem);
  }
  RestoreDC(DC, saved);
}

bool TCustomdxBarControl::HasCustomizingFrame(TdxBarItemControl* AControl) {
  if (!AControl || AControl != FSelectedControl || !FBarManager || !IsCustomizing()) return false;
  if (FBarManager->SelectedItem() == AControl) return true;
  return FBarManager->IsDragging() && AControl->Link() && AControl->Link() == FBarManager->DraggingItemLink();
}

bool TCustomdxBarControl::IsMousePosUnchanged(POINT P) {
  if (IsCustomizing()) return true;
  POINT s = HandleAllocated() ? ClientToScreen(P) : P;
  return s.x == FLastCursor.x && s.y == FLastCursor.y;
}

TdxBarItemControl* TCustomdxBarControl::GetDropInfo(POINT P, bool& Outside, bool& Vertical, bool& Before) {
  Outside = Before = false;
  Vertical = dynamic_cast<TdxBarSubMenuControl*>(this) != nullptr ||
             (dynamic_cast<TdxBarControl*>(this) && (FDockingStyle == dsLeft || FDockingStyle == dsRight));
  if (!FItemLinks) return nullptr;
  TdxBarItemControl* target = nullptr;
  for (int i = 0; i < FItemLinks->VisibleCount() && !target; ++i) {
    TdxBarItemControl* c = FItemLinks->VisibleItems(i)->Control();
    if (!c) continue;
    // A fresh region per link: deleted here, or every drag step would leak one.
    HRGN rgn = GetItemRegion(c);
    if (PtInRegion(rgn, P.x, P.y)) target = c;
    DeleteObject(rgn);
  }
  if (!target) return nullptr;
  if (IsCustomizing() && target->Item() && target->Item()->BarManager() != FBarManager) return nullptr;
  RECT part = GetItemPartRect(target, 1);
  if (!PtInRect(&part, P)) {
    Outside = true;
    part = GetItemRect(target);
    if (P.y < part.top) Vertical = true;
  }
  if (Vertical)
    Before = P.y - part.top < part.bottom - P.y;
  else
    Before = P.x - part.left < part.right - P.x;
  return target;
}

bool TCustomdxBarControl::ClientHolds(POINT P) {
  RECT r = ClientRect();
  return PtInRect(&r, P) != FALSE;
}

// ---------------------------------------------------------------------------------------------------
// Bar window base: messages, mouse and keys

void TCustomdxBarControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CTLCOLOREDIT:
      SetTextColor(reinterpret_cast<HDC>(Message.WParam), GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(reinterpret_cast<HDC>(Message.WParam), GetSysColor(COLOR_WINDOW));
      Message.Result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      return;
    case WM_NCACTIVATE:
      // A bar window always paints itself as active; its owner keeps the active caption.
      if (Message.WParam && !IsCustomizing() && HandleAllocated() && GetParent(Handle()))
        SendMessageA(GetParent(Handle()), WM_NCACTIVATE, 1, 0);
      Message.WParam = 1;
      break;
    case WM_SETFOCUS:
      if (!FSelectedControl || !FSelectedControl->HasWindow()) {
        GiveFocusAway();
        return;
      }
      break;
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    default:
      // While a menu chain is open, mouse input to windows off its path is dropped.
      if ((Message.Msg >= WM_MOUSEMOVE && Message.Msg <= WM_MBUTTONDBLCLK) ||
          (Message.Msg >= WM_NCMOUSEMOVE && Message.Msg <= WM_NCMBUTTONDBLCLK)) {
        TCustomdxBarControl* active = ActiveBarControl();
        if (active && active != this && !IsAncestorOf(active)) return;
      }
  }
  bool killFocus = Message.Msg == WM_KILLFOCUS && Message.WParam == 0;
  TCustomControl::WndProc(Message);
  if (killFocus && IsBarControl(this)) DeactivateChain();
}

// A bar window never keeps the focus: while customizing it goes to the dialog (the bar is made topmost
// meanwhile, so the dialog coming forward does not cover it), else to the owner form, or, when the form's
// window is hidden, to the window after it.
void TCustomdxBarControl::GiveFocusAway() {
  TCustomForm* dialog = IsCustomizing() ? dxBarCustomizingForm : nullptr;
  if (dialog && dialog->HandleAllocated() && HandleAllocated()) {
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, keep);
    ::SetFocus(dialog->Handle());
    SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    return;
  }
  TCustomForm* f = FBarManager ? FBarManager->ParentForm() : nullptr;
  if (!f || !f->HandleAllocated()) return;
  if (IsWindowVisible(f->Handle()))
    ::SetFocus(f->Handle());
  else
    ::SetFocus(GetWindow(f->Handle(), GW_HWNDNEXT));
}

void TCustomdxBarControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_USER + 1:
      // Items and links post this when the window must lay its controls out again.
      RebuildBar();
      return;
    case WM_LBUTTONDOWN:
      WMLButtonDown(Message);
      return;
    case WM_LBUTTONUP:
      WMLButtonUp(Message);
      return;
    case WM_MOUSEMOVE:
      WMMouseMove(Message);
      return;
    case WM_MOUSELEAVE:
      WMMouseLeave(Message);
      return;
    case WM_RBUTTONDOWN:
      WMRButtonDown(Message);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      TCustomControl::Dispatch(Message);
      // Menu windows walk their rows themselves (scrolling, the expand row).
      if (IsBarControl(this) && !dynamic_cast<TdxBarSubMenuControl*>(this)) WMKeyDown(Message);
      return;
    case WM_CAPTURECHANGED:
      if (FDragPending && FBarManager) FBarManager->SetDragCandidate(nullptr);
      FDragPending = false;
      if (FPressedControl)
        if (auto* b = dynamic_cast<TdxBarButtonControl*>(FPressedControl)) b->MouseClick = false;
      FPressedControl = nullptr;
      break;
    case WM_DESTROY:
      dxBarEndMouseTracking(Handle());
      FMarkState = 0;
      break;
    case WM_ERASEBKGND:
      if (!FItemLinks || FItemLinks->Count() == 0) {
        RECT r = ClientRect();
        FillRect(reinterpret_cast<HDC>(Message.WParam), &r, GetSysColorBrush(COLOR_BTNFACE));
      }
      Message.Result = 1;
      return;
    case WM_NCHITTEST:
      TCustomControl::Dispatch(Message);
      if (Message.Result != HTCLIENT) dxBarEndMouseTracking(Handle());
      return;
    case WM_COMMAND: {
      TCustomControl::Dispatch(Message);
      HWND sender = reinterpret_cast<HWND>(Message.LParam);
      // An in-place edit reacts to its own change where it lives.
      if (Message.Result == 0 && HIWORD(Message.WParam) == EN_CHANGE && sender && IsWindow(sender))
        Message.Result = SendMessageA(sender, WM_COMMAND, Message.WParam, Message.LParam);
      return;
    }
  }
  TCustomControl::Dispatch(Message);
}

void TCustomdxBarControl::WMLButtonDown(TMessage& Message) {
  if (FSkipButton || !FItemLinks || FItemLinks->VisibleCount() == 0) return;
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  bool inClient = ClientHolds(p);
  TdxBarItemControl* c = inClient ? ItemAtPos(p) : nullptr;
  if (IsCustomizing()) {
    if (inClient && !c) return;
    if (c && c == FSelectedControl) {
      if (c->DroppedDown())
        c->CloseUp();
      else
        c->DropDown();
      if (FBarManager) FBarManager->SetCustomizingSelection(c);
      c->Repaint();
    }
    DropDownItem(c);
    if (c && HandleAllocated()) {
      FDownPoint = p;
      if (FBarManager) FBarManager->SetDragCandidate(c->Link());
      FDragPending = true;
      SetCapture(Handle());
    }
    return;
  }
  if (!c || !c->GetEnabled() || !c->Item() || !c->Item()->CanSelect()) return;
  TdxBarItemLink* link = c->Link();
  SelectItem(c);
  if (!IsBarControl(this) || link->Control() != c) return;
  auto* b = dynamic_cast<TdxBarButtonControl*>(c);
  if (b) b->MouseClick = true;
  // A sub-menu opened by the mouse selects none of its rows.
  auto* sc = dynamic_cast<TdxBarSubItemControl*>(c);
  if (sc) sc->OpenOnSelect = true;
  c->ControlClick();
  // The click may have closed this window and freed the control.
  if (!IsBarControl(this) || link->Control() != c) return;
  if (sc) sc->OpenOnSelect = false;
  if (HandleAllocated()) {
    ForwardToEditor(this, c, Message);
    if (!IsBarControl(this) || link->Control() != c) return;
  }
  if (b && !IsPopup() && dynamic_cast<TdxBarControl*>(this) && !b->DropDownOpen && HandleAllocated()) {
    FPressedControl = b;
    FPressedUnderMouse = true;
    SetCapture(Handle());
    b->Repaint();
  } else if (b) {
    b->MouseClick = false;
  }
}

void TCustomdxBarControl::WMLButtonUp(TMessage& Message) {
  if (FSkipButton) {
    FSkipButton = false;
    return;
  }
  if (FDragPending) {
    FDragPending = false;
    if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
    return;
  }
  TdxBarItemControl* pressed = FPressedControl;
  if (pressed) {
    FPressedControl = nullptr;
    if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
  }
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  if (ClientHolds(p) && FActive) {
    TdxBarItemControl* c = ItemAtPos(p);
    if (c && !IsCustomizing() && c->Item() && c->Item()->CanSelect()) {
      if (!c->GetEnabled() && c != FSelectedControl) {
        DeactivateChain();
      } else if (c->GetEnabled() && c == FSelectedControl) {
        if (auto* b = dynamic_cast<TdxBarButtonControl*>(c)) b->MouseClick = false;
        TdxBarItemLink* link = c->Link();
        ForwardToEditor(this, c, Message);
        // may free this window: nothing of it is touched below unless it lives
        if (IsBarControl(this) && link->Control() == c) c->ItemClick();
      }
    }
  }
  if (pressed && IsBarControl(this)) {
    if (auto* b = dynamic_cast<TdxBarButtonControl*>(FItemLinks ? pressed : nullptr))
      for (int i = 0; i < FItemLinks->VisibleCount(); ++i)
        if (FItemLinks->VisibleItems(i)->Control() == b) b->MouseClick = false;
    if (HandleAllocated()) DeactivateChain();
  }
}

void TCustomdxBarControl::WMMouseMove(TMessage& Message) {
  if (FLockControls) return;
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  if (FPressedControl) {
    bool under = ItemAtPos(p) == FPressedControl;
    if (under != FPressedUnderMouse) {
      FPressedUnderMouse = under;
      FPressedControl->Repaint();
    }
  }
  if (FDragPending) {
    int dx = GetSystemMetrics(SM_CXDRAG), dy = GetSystemMetrics(SM_CYDRAG);
    RECT r{FDownPoint.x - dx, FDownPoint.y - dy, FDownPoint.x + dx, FDownPoint.y + dy};
    if (!PtInRect(&r, p)) {
      FDragPending = false;
      TdxBarManager* m = FBarManager;
      TdxBarItemLink* link = m ? m->DraggingItemLink() : nullptr;
      if (GetCapture() == Handle()) ReleaseCapture();
      if (link && link->Control() && m->IsCustomizing()) {
        link->Control()->CloseUp();
        // This window may close during the drag: nothing of it is touched afterwards.
        if (link->Control()) m->CustomizingDragDrop(link->Control(), nullptr);
        return;
      }
    }
  }
  if (!ClientHolds(p)) return;
  TCustomControl::Dispatch(Message);
  if (IsMousePosUnchanged(p)) return;
  FLastCursor = ClientToScreen(p);
  TdxBarItemControl* c = ItemAtPos(p);
  if (c && (!c->Item() || !c->Item()->CanSelect())) c = nullptr;
  // Over an editor part the cursor is the text cursor, unless another editor is open while customizing.
  LPCSTR cursor = IDC_ARROW;
  if (auto* w = dynamic_cast<TdxBarWinControl*>(c)) {
    RECT editor = w->EditorRect();
    TdxBarWinControl* open = OpenEditor(FSelectedControl);
    if (PtInRect(&editor, p) && !(IsCustomizing() && open && open != w)) cursor = IDC_IBEAM;
  }
  if (!ActiveBarControl() || ActiveBarControl() == this) ::SetCursor(LoadCursor(nullptr, cursor));
  if (IsCustomizing() && OpenEditor(FSelectedControl)) return;
  dxBarTrackMouseLeave(Handle());
  if (auto* b = dynamic_cast<TdxBarButtonControl*>(c); b && b == FSelectedControl) b->Repaint();
  if (!c && FActive && dynamic_cast<TdxBarControl*>(this)) return;
  if (FPressedControl) return;
  if (!c && FSelectedControl && FSelectedControl->DroppedDown() && !dynamic_cast<TdxBarButtonControl*>(FSelectedControl))
    return;
  DropDownItem(c);
}

void TCustomdxBarControl::WMMouseLeave(TMessage& Message) {
  if (FMarkState == 1) SetMarkState(0);
  TCustomControl::Dispatch(Message);
  if (!IsBarControl(this)) return;
  auto* b = dynamic_cast<TdxBarButtonControl*>(FSelectedControl);
  if (FActive && dynamic_cast<TdxBarControl*>(this)) {
    if (b) b->Repaint();
    return;
  }
  if (IsCustomizing() || (b && b->DropDownOpen)) return;
  if (FSelectedControl && FSelectedControl->DroppedDown() && !b) return;
  DropDownItem(nullptr);
  FLastCursor = POINT{-1, -1};
}

void TCustomdxBarControl::WMRButtonDown(TMessage& Message) {
  TCustomControl::Dispatch(Message);
  if (!IsCustomizing() || !IsBarControl(this)) return;
  if (FSelectedControl && FSelectedControl->DroppedDown()) FSelectedControl->CloseUp();
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  TdxBarItemControl* c = ClientHolds(p) ? ItemAtPos(p) : nullptr;
  if (c == FSelectedControl && c) {
    if (FBarManager) FBarManager->SetCustomizingSelection(c);
    c->Repaint();
  } else {
    SelectItem(c);
  }
  if (c && IsBarControl(this) && HandleAllocated() && c->Link() && c->Link()->Control() == c)
    TdxBarCustomizingPopup::ShowFor(c->Link(), ClientToScreen(p));
}

void TCustomdxBarControl::WMKeyDown(TMessage& Message) {
  if (!ActiveBarControl() || !FItemLinks) return;
  uint16_t key = uint16_t(Message.WParam);
  bool menu = dynamic_cast<TdxBarSubMenuControl*>(this) != nullptr;
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool tab = key == VK_TAB;
  if (menu && (key == VK_LEFT || key == VK_RIGHT)) return;
  if (menu && key == VK_UP) key = VK_LEFT;
  if (menu && key == VK_DOWN) key = VK_RIGHT;
  if (tab) key = shift ? VK_LEFT : VK_RIGHT;
  TdxBarItemLink* cur = FSelectedControl ? FSelectedControl->Link() : nullptr;
  TdxBarItemLink* next = nullptr;
  switch (key) {
    case VK_RIGHT: next = cur ? FItemLinks->NextSelectable(cur) : FItemLinks->FirstSelectable(); break;
    case VK_LEFT: next = cur ? FItemLinks->PriorSelectable(cur) : FItemLinks->FirstSelectable(); break;
    case VK_HOME: next = FItemLinks->FirstSelectable(); break;
    case VK_END: next = FItemLinks->LastSelectable(); break;
    case VK_MENU:
      Message.WParam = 0;
      DeactivateChain();
      return;
    case VK_F10:
      if (FBarManager && FBarManager->UseF10ForMenu()) {
        Message.WParam = 0;
        DeactivateChain();
      }
      return;
    default:
      if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        TShiftState state;
        if (shift) state.Include(ssShift);
        TdxBarItemLink* found = FItemLinks->FindByAccel(key, state, cur);
        if (!found || !found->Control() || !found->Item() || !found->Item()->Enabled()) return;
        TdxBarItemLink* other = FItemLinks->FindByAccel(key, state, found);
        SelectItem(found->Control());
        if (IsBarControl(this) && (!other || other == found) && HandleAllocated())
          SendMessageA(Handle(), WM_KEYDOWN, VK_RETURN, 0);
      }
      return;
  }
  if (!next || !next->Control()) return;
  SelectItem(next->Control());
  if (tab && IsBarControl(this) && FSelectedControl == next->Control() && next->Control()->HasWindow())
    next->Control()->Click();
}

// Input that reaches an animating menu is held back until the animation thread ends; only messages
// that other threads send are handled meanwhile, so nothing overtakes input that came earlier.
void dxBarWaitForAnimation(HANDLE Thread) {
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &Thread, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) return;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// ---------------------------------------------------------------------------------------------------
// Item control base: the click

void TdxBarItemControl::SetClicking(bool Value) {
  if (FClicking == Value) return;
  FClicking = Value;
  ClickingChanged();
}

void TdxBarItemControl::Click() {
  if (!GetEnabled()) return;
  ControlClick();
  ItemClick();
}

void TdxBarItemControl::ItemClick() {
  TdxBarItem* item = Item();
  TdxBarItemLink* link = FLink;
  TCustomdxBarControl* parent = FParent;
  if (!item || !link) return;
  if (dynamic_cast<TdxBarButtonControl*>(this) && dynamic_cast<TdxBarSubMenuControl*>(parent)) dxBarPlaySound(1);
  bool closes = ClosesSubMenuOnClick();
  if (closes) {
    link->MarkUsed(true);
    if (link->OriginalItemLink() && link->OriginalItemLink() != link) link->OriginalItemLink()->MarkUsed(true);
  }
  bool setClicking = item->UnclickAfterDoing() && (!closes || !parent->IsPopup());
  if (setClicking) SetClicking(true);
  // Closing the chain may free the window and with it this control: from here on only the saved
  // pointers are used, and only after checking they still stand.
  if (closes) parent->DeactivateChain();
  bool fires = IsBarControl(parent) && link->Control() == this ? FiresClickEvent() : true;
  if (fires) {
    TdxLiveGuard alive(item);
    item->ClickItemLink = link;
    item->Click();
    if (!alive) return;
    item->ClickItemLink = nullptr;
  }
  if (setClicking && IsBarControl(parent) && link->Control() == this) SetClicking(false);
}

bool TdxBarItemControl::IsSelected() {
  return FParent && FParent->SelectedControl() == this && (GetEnabled() || !FSelectedByMouse);
}

std::string TdxBarItemControl::GetCaption() { return FLink ? FLink->Caption() : std::string(); }
bool TdxBarItemControl::GetEnabled() { return Item() && Item()->Enabled(); }
TBitmap* TdxBarItemControl::GetGlyph() { return FLink ? FLink->Glyph() : nullptr; }
int TdxBarItemControl::GetImageIndex() { return Item() ? Item()->ImageIndex() : -1; }
TCustomImageList* TdxBarItemControl::GetImages() {
  return FParent && FParent->BarManager() ? FParent->BarManager()->Images() : nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Button control

TdxBarButton* TdxBarButtonControl::Button() const { return dynamic_cast<TdxBarButton*>(Item()); }

static bool InMenu(TCustomdxBarControl* P) { return dynamic_cast<TdxBarSubMenuControl*>(P) != nullptr; }

TdxBarPaintStyle TdxBarButtonControl::EffectivePaintStyle() {
  TdxBarPaintStyle ps = FLink->PaintStyle();
  if (!InMenu(FParent) && ps == psStandard) {
    TBitmap* g = GetGlyph();
    TCustomImageList* il = GetImages();
    int ii = GetImageIndex();
    bool hasImage = il && ii >= 0 && ii < il->Count();
    if ((!g || g->Empty()) && !hasImage) ps = psCaption;
  }
  return ps;
}

int TdxBarButtonControl::GetArrowWidth() {
  TdxBarManager* m = FParent->BarManager();
  if (InMenu(FParent)) return FParent->TextSize() / 4 * 3 + 1;
  int w = m ? m->ButtonArrowWidth() : 9;
  return m && m->LargeIcons() ? 2 * w : w;
}

int TdxBarButtonControl::GetThickness() {
  if (InMenu(FParent)) return FParent->TextSize();
  TdxBarManager* m = FParent->BarManager();
  int def = m ? m->ButtonSize2() : 22;
  TdxBarPaintStyle ps = EffectivePaintStyle();
  if (ps == psCaption || ps == psCaptionGlyph) {
    if (RotatesWhenVertical(FParent)) def = m ? m->ButtonSize() : 23;
    return std::max(FParent->TextSize(), def);
  }
  return def;
}

int TdxBarButtonControl::GetLength() {
  TdxBarManager* m = FParent->BarManager();
  TFont* font = FParent->GetEffectiveFont();
  int captionWidth = WithFontDC(font, [&](HDC dc) { return int(TextExtent(dc, dxStripAccelChars(GetCaption())).cx); });
  if (InMenu(FParent)) {
    int rowH = FParent->TextSize();
    int len = captionWidth + 2 * rowH + 6;
    TdxBarItem* item = Item();
    if (item && item->ShortCut()) {
      std::string sc = ShortCutToText(item->ShortCut());
      len += WithFontDC(font, [&](HDC dc) { return int(TextExtent(dc, sc).cx); }) + rowH - 6;
    }
    return len;
  }
  int defW = m ? m->ButtonSize() : 23;
  int defH = m ? m->ButtonSize2() : 22;
  switch (EffectivePaintStyle()) {
    case psCaption:
      return captionWidth + (font ? font->Size() : 8);
    case psCaptionGlyph:
      return captionWidth + (RotatesWhenVertical(FParent) ? defH : defW) + 4;
    default:
      return defW;
  }
}

static bool CaptionShownRotated(TdxBarButtonControl* C, TdxBarPaintStyle Ps) {
  return RotatesWhenVertical(C->Parent()) && (Ps == psCaption || Ps == psCaptionGlyph);
}

int TdxBarButtonControl::GetHeight() {
  int h = CaptionShownRotated(this, EffectivePaintStyle()) ? GetLength() : GetThickness();
  return h;
}

int TdxBarButtonControl::GetWidth() {
  int w = CaptionShownRotated(this, EffectivePaintStyle()) ? GetThickness() : GetLength();
  if (!InMenu(FParent) && Button() && Button()->ButtonStyle() == bsDropDown) w += GetArrowWidth();
  return w;
}

bool TdxBarButtonControl::IsSelected() {
  if (FClicking) return true;
  return TdxBarItemControl::IsSelected();
}

bool TdxBarButtonControl::ClosesSubMenuOnClick() {
  if (!InMenu(FParent)) return true;
  return !Button() || Button()->CloseSubMenuOnClick();
}

TdxBarButtonControl::~TdxBarButtonControl() {
  // A drop-down menu does not outlive the control it opened from.
  if (TdxBarSubMenuControl* w = DropDownWindow()) {
    w->Opener = nullptr;
    w->SetParentBar(nullptr);
    if (!w->Closing()) w->CloseMenu();
  }
}

bool TdxBarButtonControl::IsDropDownStyle() { return Button() && Button()->ButtonStyle() == bsDropDown; }

bool TdxBarButtonControl::PressOnArrow() {
  if (!MouseClick || !IsDropDownStyle() || !FParent->HandleAllocated()) return false;
  DWORD pos = GetMessagePos();
  POINT p = FParent->ScreenToClient(POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)});
  RECT r = FParent->GetItemRect(this);
  r.left = r.right - GetArrowWidth();
  return PtInRect(&r, p) != FALSE;
}

TdxBarSubMenuControl* TdxBarButtonControl::DropDownWindow() {
  TdxBarButton* b = Button();
  if (!b || !b->DropDownMenu()) return nullptr;
  auto* w = dynamic_cast<TdxBarSubMenuControl*>(b->DropDownMenu()->ItemLinks()->BarControl());
  return w && IsBarControl(w) && w->Opener == this ? w : nullptr;
}

void TdxBarButtonControl::OpenDropDownMenu(bool ByMouse) {
  TdxBarButton* b = Button();
  if (DropDownOpen || !b || !GetEnabled() || !b->DropDownEnabled() || !b->DropDownMenu()) return;
  DropDownOpen = true;
  TdxBarItemControl::DropDown();
  Repaint();
  RECT r = FParent->GetItemRect(this);
  if (FParent->HandleAllocated()) MapWindowPoints(FParent->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
  bool beside = InMenu(FParent) || IsVerticalToolbar(FParent);
  b->DropDown(beside ? r.right : r.left, beside ? r.top - 3 : r.bottom, ByMouse);
}

void TdxBarButtonControl::DropDownClosed() {
  if (!DropDownOpen) return;
  DropDownOpen = false;
  FDroppedDown = false;
  if (auto* tb = dynamic_cast<TdxBarControl*>(FParent)) tb->SetMenuOpen(false);
  Repaint();
}

void TdxBarButtonControl::CloseUp() {
  if (TdxBarSubMenuControl* w = DropDownWindow(); w && !w->Closing()) w->CloseMenu();
  DropDownClosed();
  TdxBarItemControl::CloseUp();
}

void TdxBarButtonControl::ControlClick() {
  if (PressOnArrow()) {
    OpenDropDownMenu(true);
    return;
  }
  if (!InMenu(FParent)) Repaint();
}

void TdxBarButtonControl::ItemClick() {
  if (DropDownOpen) return;
  if (TdxBarButton* b = Button())
    if (b->ButtonStyle() == bsChecked) {
      TdxLiveGuard alive(b);
      b->SetDown(!b->Down());
      if (!alive) return;
    }
  CloseUp();
  TdxBarItemControl::ItemClick();
}

void TdxBarButtonControl::GlyphChanged() {
  if (FLink->PaintStyle() == psStandard)
    FParent->RebuildBar();
  else
    Repaint();
}

void TdxBarButtonControl::ButtonStyleChanged() { FParent->RebuildBar(); }
void TdxBarButtonControl::PaintStyleChanged() { FParent->RebuildBar(); }

void TdxBarButtonControl::Repaint() {
  if (FParent && !FParent->Destroying()) FParent->RepaintItem(this);
}

bool TdxBarButtonControl::Pressed() {
  TdxBarButton* b = Button();
  if (FClicking && b && b->ButtonStyle() != bsChecked) return true;
  if (!MouseClick || DropDownOpen || !FParent->Active() || FParent->SelectedControl() != this) return false;
  POINT p;
  GetCursorPos(&p);
  if (FParent->HandleAllocated()) p = FParent->ScreenToClient(p);
  RECT r = FParent->GetItemRect(this);
  if (b && b->ButtonStyle() == bsDropDown) r.right -= GetArrowWidth();
  return PtInRect(&r, p) != FALSE;
}

void TdxBarItemControl::DrawGlyphArea(HDC DC, RECT R, int Kind, bool APressed, bool ADown, bool AHot) {
  TdxBarManager* m = FParent->BarManager();
  RECT a = R;
  if (Kind == 0) a.right = std::min<LONG>(R.right, R.left + (m ? m->ButtonSize() : 23));
  if (Kind == 2) a.bottom = std::min<LONG>(R.bottom, R.top + (m ? m->ButtonSize2() : 22));
  TBitmap* glyph = GetGlyph();
  TCustomImageList* images = GetImages();
  int ii = GetImageIndex();
  bool hasImage = images && ii >= 0 && ii < images->Count();
  bool hasGlyph = (glyph && !glyph->Empty()) || hasImage;
  bool enabled = GetEnabled();
  HBRUSH fill = FParent->BkBrush();
  HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
  if (Kind == 1 && AHot && !hasGlyph && !ADown) fill = highlight;
  HBRUSH back = enabled && ADown && !AHot ? dxCheckerBrush() : fill;
  RECT in = a;
  InflateRect(&in, -1, -1);
  if (!hasGlyph) {
    FillRect(DC, &in, back);
    if (ADown && Kind == 1) {
      // The check mark of a menu row, black on any face that is not itself black.
      COLORREF face = GetSysColor(COLOR_BTNFACE);
      HPEN pen = CreatePen(PS_SOLID, 1, face == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0));
      HGDIOBJ old = SelectObject(DC, pen);
      int cx = (a.left + a.right) / 2, cy = (a.top + a.bottom) / 2;
      for (int i = 0; i < 3; ++i) {
        MoveToEx(DC, cx - 3, cy - 1 + i, nullptr);
        LineTo(DC, cx - 1, cy + 1 + i);
        LineTo(DC, cx + 4, cy - 4 + i);
      }
      SelectObject(DC, old);
      DeleteObject(pen);
    }
  } else {
    int gw = glyph && !glyph->Empty() ? glyph->Width() : images->Width();
    int gh = glyph && !glyph->Empty() ? glyph->Height() : images->Height();
    if (Kind != 1 && m && m->LargeIcons()) gw *= 2, gh *= 2;
    if (Kind == 1 && m && m->StretchGlyphs()) {
      gw = MulDiv(gw, a.right - a.left, 19);
      gh = MulDiv(gh, a.bottom - a.top, 19);
    }
    int x = (a.left + a.right - gw) / 2, y = (a.top + a.bottom - gh) / 2;
    if (ADown) ++x, ++y;
    if (APressed) ++x, ++y;
    RECT g{x, y, x + gw, y + gh};
    dxDrawGlyph(DC, back, in, m ? m->ImageListBkColor() : clNone, false, enabled, hasImage ? ii : -1,
                hasImage ? images : nullptr, glyph && !glyph->Empty() ? glyph : nullptr, g);
  }
  if (ADown || (AHot && (hasGlyph || Kind != 1))) {
    RECT e = Kind == 1 ? a : R;
    DrawEdge(DC, &e, ADown || APressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  } else {
    RECT e = Kind == 1 ? a : R;
    FrameRect(DC, &e, fill);
  }
}

void TdxBarButtonControl::Paint(HDC DC, RECT R, int State) {
  TdxBarButton* b = Button();
  bool enabled = GetEnabled();
  bool hot = IsSelected() && (enabled || !SelectedByMouse());
  bool pressed = Pressed();
  bool down = b && b->Down() && b->ButtonStyle() == bsChecked;
  if (pressed) down = false;
  RECT main = R;
  int arrow = b && b->ButtonStyle() == bsDropDown ? GetArrowWidth() : 0;
  main.right -= arrow;
  if (State == 1) {
    // A menu row: glyph square, a one-pixel column, the text area.
    int rowH = R.bottom - R.top;
    TdxBarPaintStyle ps = FLink->PaintStyle();
    RECT g{R.left, R.top, R.left + rowH, R.bottom};
    bool withGlyph = ps != psCaption && ps != psCaptionInMenu;
    if (withGlyph)
      DrawGlyphArea(DC, g, 1, pressed, down, hot);
    else
      FillRect(DC, &g, hot && !down ? GetSysColorBrush(COLOR_HIGHLIGHT) : FParent->BkBrush());
    RECT col{g.right, R.top, g.right + 1, R.bottom};
    FillRect(DC, &col, hot && !down ? GetSysColorBrush(COLOR_HIGHLIGHT) : FParent->BkBrush());
    RECT text{col.right, R.top, main.right, R.bottom};
    FillRect(DC, &text, hot ? GetSysColorBrush(COLOR_HIGHLIGHT) : FParent->BkBrush());
    RECT t = text;
    t.left += 2;
    dxDrawItemText(DC, GetCaption(), t, DT_LEFT, enabled, hot, false);
    if (Item() && Item()->ShortCut()) {
      RECT s = text;
      s.right -= rowH + 5;
      dxDrawItemText(DC, ShortCutToText(Item()->ShortCut()), s, DT_RIGHT, enabled, hot, false);
    }
  } else {
    TdxBarManager* m = FParent->BarManager();
    TdxBarPaintStyle ps = EffectivePaintStyle();
    if (ps == psCaption) {
      // No picture: the whole main part is the button face.
      FillRect(DC, &main, enabled && down && !hot ? dxCheckerBrush() : FParent->BkBrush());
      if (down || hot) DrawEdge(DC, &main, down || pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
      RECT face = main;
      // The glyph area paints only the glyph's square: the caption beside it needs the face first.
      if (ps == psCaptionGlyph) FillRect(DC, &main, enabled && down && !hot ? dxCheckerBrush() : FParent->BkBrush());
      DrawGlyphArea(DC, face, ps == psStandard ? -1 : State, pressed, down, hot);
      if (ps == psCaptionGlyph && !(down || hot)) FrameRect(DC, &main, FParent->BkBrush());
    }
    if (ps == psCaption || ps == psCaptionGlyph) {
      RECT t = main;
      int fontSize = FParent->GetEffectiveFont() ? FParent->GetEffectiveFont()->Size() : 8;
      bool rotated = State == 2;
      int off = ps == psCaption ? fontSize / 2 : (rotated ? (m ? m->ButtonSize2() : 22) : (m ? m->ButtonSize() : 23));
      if (rotated)
        t.top += off;
      else
        t.left += off;
      int shift = (down ? 1 : 0) + (pressed ? 1 : 0);
      OffsetRect(&t, shift, shift);
      dxDrawItemText(DC, GetCaption(), t, DT_LEFT, enabled, false, rotated);
    }
  }
  if (arrow > 0) {
    RECT a{R.right - arrow, R.top, R.right, R.bottom};
    FillRect(DC, &a, FParent->BkBrush());
    if (hot) DrawEdge(DC, &a, DropDownOpen ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    bool arrowEnabled = enabled && b->DropDownEnabled();
    if (State == 1) {
      dxDrawTriangleArrow(DC, a, FParent->TextSize() / 4, arrowEnabled, hot);
    } else {
      RECT w = a;
      InflateRect(&w, 2, 0);
      if (DropDownOpen && arrow > 9) OffsetRect(&w, 1, 1);
      dxDrawScrollArrow(DC, w, adDown, arrowEnabled);
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// Sub-item control

bool TdxBarItemControl::HasGlyph() {
  TBitmap* g = GetGlyph();
  TCustomImageList* il = GetImages();
  int ii = GetImageIndex();
  return (g && !g->Empty()) || (il && ii >= 0 && ii < il->Count());
}

namespace {
// One timer for every sub-item control: the opening (or closing) that waits for the cursor to rest.
UINT_PTR SubMenuTimer = 0;
TdxBarSubItemControl* SubMenuPending = nullptr;
bool SubMenuPendingOpen = false;

void StopSubMenuTimer() {
  if (SubMenuTimer) KillTimer(nullptr, SubMenuTimer);
  SubMenuTimer = 0;
  SubMenuPending = nullptr;
}

void CALLBACK SubMenuTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  try {
    TdxBarSubItemControl* c = SubMenuPending;
    bool open = SubMenuPendingOpen;
    StopSubMenuTimer();
    if (!c) return;
    if (open)
      c->Open();
    else
      c->CloseUpNow(true);
  } catch (...) {
    Application->HandleException(nullptr);
  }
}

void StartSubMenuTimer(TdxBarSubItemControl* C, bool Open) {
  StopSubMenuTimer();
  SubMenuPending = C;
  SubMenuPendingOpen = Open;
  SubMenuTimer = SetTimer(nullptr, 0, 400, SubMenuTimerProc);
}

int FontPixelHeight(TFont* F) {
  if (!F) return 13;
  return std::abs(F->Height());
}
}  // namespace

TdxBarSubItemControl* TdxBarSubItemControl::PendingControl() { return SubMenuPending; }

TdxBarSubItemControl::~TdxBarSubItemControl() {
  if (SubMenuPending == this) StopSubMenuTimer();
  if (GetSubMenu()) CloseUpNow(true);
}

TCustomdxBarSubItem* TdxBarSubItemControl::SubItem() const { return dynamic_cast<TCustomdxBarSubItem*>(Item()); }

TdxBarSubMenuControl* TdxBarSubItemControl::GetSubMenu() {
  TCustomdxBarSubItem* s = SubItem();
  if (!s || !s->ItemLinks()) return nullptr;
  auto* w = dynamic_cast<TdxBarSubMenuControl*>(s->ItemLinks()->BarControl());
  return w && IsBarControl(w) && w->HandleAllocated() && w->Opener == this ? w : nullptr;
}

int TdxBarSubItemControl::GetThickness() {
  if (InMenu(FParent)) return FParent->TextSize();
  TdxBarManager* m = FParent->BarManager();
  TCustomdxBarSubItem* s = SubItem();
  bool caption = !s || s->ShowCaption();
  if (HasGlyph() || !caption) {
    int def = RotatesWhenVertical(FParent) ? (m ? m->ButtonSize() : 23) : (m ? m->ButtonSize2() : 22);
    return caption ? std::max(def, FParent->TextSize()) : def;
  }
  return FParent->TextSize();
}

int TdxBarSubItemControl::GetLength() {
  TFont* font = FParent->GetEffectiveFont();
  int captionWidth = WithFontDC(font, [&](HDC dc) { return int(TextExtent(dc, dxStripAccelChars(GetCaption())).cx); });
  int rowH = FParent->TextSize();
  if (InMenu(FParent)) return captionWidth + 2 * rowH + 3;
  TdxBarManager* m = FParent->BarManager();
  TCustomdxBarSubItem* s = SubItem();
  bool caption = !s || s->ShowCaption();
  bool glyph = HasGlyph();
  int len = caption ? captionWidth : 0;
  if (glyph || !caption) {
    len += RotatesWhenVertical(FParent) ? (m ? m->ButtonSize2() : 22) : (m ? m->ButtonSize() : 23);
    if (caption) len += 4;
  }
  if (!glyph && caption) {
    int h = FontPixelHeight(font);
    len += h % 2 ? h - 1 : h;
  }
  auto* tb = GetRootToolbar(FParent);
  if (!(tb && tb->Bar() && tb->Bar()->IsMainMenu())) len += rowH / 2;   // room for the arrow
  return len;
}

int TdxBarSubItemControl::GetHeight() { return RotatesWhenVertical(FParent) ? GetLength() : GetThickness(); }
int TdxBarSubItemControl::GetWidth() { return RotatesWhenVertical(FParent) ? GetThickness() : GetLength(); }

void TdxBarSubItemControl::GlyphChanged() { FParent->RebuildBar(); }

void TdxBarSubItemControl::Repaint() {
  if (FParent && !FParent->Destroying()) FParent->RepaintItem(this);
}

void TdxBarSubItemControl::ControlClick() {
  if (GetSubMenu()) {
    CloseUpNow(true);
    return;
  }
  FByKeyboard = !OpenOnSelect && !SelectedByMouse();
  Open();
  FByKeyboard = false;
}

void TdxBarSubItemControl::DropDown() {
  TdxBarManager* m = FParent->BarManager();
  TCustomdxBarSubItem* s = SubItem();
  if (!s) return;
  // The same sub-menu open from another control of the item closes first.
  if (auto* w = dynamic_cast<TdxBarSubMenuControl*>(s->ItemLinks()->BarControl()))
    if (IsBarControl(w) && w->Opener && w->Opener != this)
      if (auto* other = dynamic_cast<TdxBarSubItemControl*>(w->Opener)) other->CloseUpNow(true);
  if (!GetEnabled() && !(m && m->Designing())) return;
  TdxBarItemControl::DropDown();
  // A popup toolbar (the quick customization) opens its sub-items on a resting pointer, as a menu does.
  if (!InMenu(FParent) && !FParent->IsPopup()) {
    auto* tb = dynamic_cast<TdxBarControl*>(FParent);
    if (FParent->IsCustomizing() || (tb && tb->MenuOpen())) Open();
    return;
  }
  if (FParent->IsCustomizing()) {
    Open();
    return;
  }
  // In a menu the opening waits for the cursor to rest: a pending one of another row is dropped.
  if (SubMenuPending && SubMenuPending != this && SubMenuPendingOpen) {
    TdxBarSubItemControl* other = SubMenuPending;
    StopSubMenuTimer();
    other->CloseUpNow(true);
  }
  StartSubMenuTimer(this, true);
}

void TdxBarSubItemControl::Open() {
  TCustomdxBarSubItem* s = SubItem();
  if (!s || GetSubMenu() || !IsBarControl(FParent) || !FParent->HandleAllocated()) return;
  if (SubMenuPending == this) StopSubMenuTimer();
  TdxBarItemLink* link = FLink;
  TCustomdxBarControl* parent = FParent;
  {
    TdxLiveGuard alive(s);
    s->DoPopup();
    if (!alive || !IsBarControl(parent) || link->Control() != this) return;
  }
  PrepareLinks();
  auto* w = dynamic_cast<TdxBarSubMenuControl*>(s->ItemLinks()->CreateBarControl());
  if (!w) return;
  RECT r = FParent->GetItemRect(this);
  POINT tl = FParent->ClientToScreen(POINT{r.left, r.top});
  POINT br = FParent->ClientToScreen(POINT{r.right, r.bottom});
  bool beside = InMenu(FParent) || IsVerticalToolbar(FParent);
  w->OpenerWidth = beside ? r.right - r.left : 0;
  w->OpenerHeight = beside ? 0 : r.bottom - r.top;
  w->SetBounds(beside ? br.x : tl.x, beside ? tl.y : br.y, w->Width(), w->Height());
  w->SetParentBar(FParent);
  w->Opener = this;
  if (auto* pm = dynamic_cast<TdxBarSubMenuControl*>(FParent)) pm->ChildSubMenu = w;
  FDroppedDown = true;
  if (!InMenu(FParent)) Repaint();
  OpenOnSelect = false;
  bool keyboard = FByKeyboard;
  w->Show();
  if (keyboard && IsBarControl(w) && w->ItemLinks())
    if (TdxBarItemLink* first = w->ItemLinks()->FirstSelectable())
      if (first->Control()) w->SelectItem(first->Control());
}

void TdxBarSubItemControl::CloseUpNow(bool Immediately) {
  if (!Immediately && InMenu(FParent) && !FParent->Destroying()) {
    if (!SubMenuPending) StartSubMenuTimer(this, false);
    return;
  }
  if (SubMenuPending == this) StopSubMenuTimer();
  TdxBarSubMenuControl* w = GetSubMenu();
  TdxBarItemControl::CloseUp();
  if (!w) return;
  w->Opener = nullptr;
  if (auto* pm = dynamic_cast<TdxBarSubMenuControl*>(FParent); pm && pm->ChildSubMenu == w) pm->ChildSubMenu = nullptr;
  w->SetActive(false);
  w->DestroyHandle();
  // The close may come from inside one of the window's own messages.
  dxBarFreeAfterMessage(w, true);
  LinksClosed();
  if (!InMenu(FParent)) Repaint();
  if (TCustomdxBarSubItem* s = SubItem()) s->DoCloseUp();
}

void TdxBarSubItemControl::Paint(HDC DC, RECT R, int State) {
  TdxBarManager* m = FParent->BarManager();
  bool enabled = GetEnabled();
  bool hot = IsSelected();
  bool open = FDroppedDown && GetSubMenu();
  int rowH = FParent->TextSize();
  TFont* font = FParent->GetEffectiveFont();
  if (State == 1) {
    RECT g{R.left, R.top, R.left + (R.bottom - R.top), R.bottom};
    HBRUSH fill = hot ? GetSysColorBrush(COLOR_HIGHLIGHT) : FParent->BkBrush();
    if (HasGlyph())
      DrawGlyphArea(DC, g, 1, false, false, hot);
    else
      FillRect(DC, &g, fill);
    RECT text{g.right, R.top, R.right, R.bottom};
    FillRect(DC, &text, fill);
    RECT t = text;
    t.left += 2;
    dxDrawItemText(DC, GetCaption(), t, DT_LEFT, enabled, hot, false);
    int a = (R.bottom - R.top) / 4;
    RECT band{R.right - ((R.bottom - R.top) - a), R.top, R.right, R.bottom};
    dxDrawTriangleArrow(DC, band, a, enabled, hot);
    return;
  }
  bool rotated = State == 2;
  TCustomdxBarSubItem* s = SubItem();
  bool caption = !s || s->ShowCaption();
  bool glyph = HasGlyph();
  if (glyph || !caption) {
    DrawGlyphArea(DC, R, State, false, open, hot && !open);
  } else {
    FillRect(DC, &R, FParent->BkBrush());
    if (open || hot) DrawEdge(DC, &R, open ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  if (caption) {
    RECT t = R;
    int off = glyph ? (rotated ? (m ? m->ButtonSize2() : 22) : (m ? m->ButtonSize() : 23)) : FontPixelHeight(font) / 2;
    if (rotated)
      t.top += off;
    else
      t.left += off;
    if (open) OffsetRect(&t, 1, 1);
    dxDrawItemText(DC, GetCaption(), t, DT_LEFT, enabled, false, rotated);
  }
  auto* tb = GetRootToolbar(FParent);
  if (!(tb && tb->Bar() && tb->Bar()->IsMainMenu())) {
    int mm = glyph || !caption ? 4 : FontPixelHeight(font) / 2;
    RECT band = R;
    if (rotated)
      band.top = R.bottom - (rowH / 2 + mm);
    else
      band.left = R.right - (rowH / 2 + mm);
    dxDrawScrollArrow(DC, band, rotated ? adRight : adDown, enabled);
  }
}

// ---------------------------------------------------------------------------------------------------
// Container item control

int TdxBarContainerItemControl::GetLength() {
  if (!InMenu(FParent)) return TdxBarSubItemControl::GetLength();
  std::string text = "(" + dxStripAccelChars(GetCaption()) + ")";
  int w = WithFontDC(FParent->GetEffectiveFont(), [&](HDC dc) { return int(TextExtent(dc, text).cx); });
  return w + 2 * FParent->TextSize() + 3;
}

namespace {
// The menu of a container opened from a toolbar shows links the container makes for the moment: nothing
// in it is customized, even while the manager customizes.
class TContainerItemSubMenuControl : public TdxBarSubMenuControl {
  YOZ_CLASS(TContainerItemSubMenuControl, TdxBarSubMenuControl)
public:
  using TdxBarSubMenuControl::TdxBarSubMenuControl;
  bool IsCustomizing() override { return false; }
};
}  // namespace

void TdxBarContainerItemControl::PrepareLinks() {
  auto* c = dynamic_cast<TCustomdxBarContainerItem*>(Item());
  if (!c || InMenu(FParent) || c->ItemLinks()->BarControl()) return;
  auto* w = new TContainerItemSubMenuControl(FParent->BarManager());
  w->SetItemLinks(c->ItemLinks());
  c->ItemLinks()->SetBarControl(w);
  c->AddListedItemLinks(c->ItemLinks(), 0, FParent, true);
}

void TdxBarContainerItemControl::LinksClosed() {
  auto* c = dynamic_cast<TCustomdxBarContainerItem*>(Item());
  if (c && c->Listed()) c->DeleteListedItemLinks(c->ItemLinks(), 0);
}

void TdxBarContainerItemControl::Paint(HDC DC, RECT R, int State) {
  if (State != 1) {
    TdxBarSubItemControl::Paint(DC, R, State);
    return;
  }
  FillRect(DC, &R, FParent->BkBrush());
  RECT t = R;
  t.left += FParent->TextSize() + 3;
  dxDrawItemText(DC, "(" + GetCaption() + ")", t, DT_LEFT, GetEnabled(), false, false);
}
