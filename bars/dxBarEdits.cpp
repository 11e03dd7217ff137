// Edit and combo item controls: the in-place EDIT window shown while the user types, the closed look of
// the box, and the combo's drop-down list with its keys and clicks; also the combo items' side of the
// drop-down (placing, measuring and drawing the list).
#include <windowsx.h>

#include <algorithm>
#include <cctype>

#include "dxBarCommon.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

namespace {

const char* const ControlProp = "dxBarWinControl";

bool InMenu(TCustomdxBarControl* P) { return dynamic_cast<TdxBarSubMenuControl*>(P) != nullptr; }

bool KeyHeld(int VKey) { return GetKeyState(VKey) < 0; }

TShiftState ShiftNow() {
  TShiftState s;
  if (KeyHeld(VK_SHIFT)) s.Include(ssShift);
  if (KeyHeld(VK_CONTROL)) s.Include(ssCtrl);
  if (KeyHeld(VK_MENU)) s.Include(ssAlt);
  return s;
}

std::string Upper(std::string S) {
  for (auto& c : S) c = char(std::toupper(static_cast<unsigned char>(c)));
  return S;
}

void FrameRectWith(HDC DC, RECT R, HBRUSH Brush) { FrameRect(DC, &R, Brush); }

// Watches a control across calls that may free it: Dead turns True when it goes.
struct TDeathWatch {
  bool*& Slot;
  bool Dead = false;
  bool* Prev;
  explicit TDeathWatch(bool*& ASlot) : Slot(ASlot), Prev(ASlot) { Slot = &Dead; }
  ~TDeathWatch() {
    if (Dead) {
      if (Prev) *Prev = true;
    } else {
      Slot = Prev;
    }
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Window control base

// The flag lets the bar window keep the focus that the in-place window takes through it (a floating bar is
// activated on the way) instead of handing it straight back to the owner form.
TdxBarWinControl::TdxBarWinControl(TdxBarItemLink* ALink) : TdxBarItemControl(ALink) { FHasWindow = true; }

TdxBarWinControl::~TdxBarWinControl() {
  if (FDeadFlag) *FDeadFlag = true;
  FDeadFlag = nullptr;
  FFocused = false;
  DestroyEditorWindow();
}

TdxBarWindowItem* TdxBarWinControl::WindowItem() const { return dynamic_cast<TdxBarWindowItem*>(Item()); }

bool TdxBarWinControl::FiresClickEvent() { return RotatesWhenVertical(FParent); }

void TdxBarWinControl::ControlClick() {
  SetFocused(true);
  TdxBarItemControl::ControlClick();
}

void TdxBarWinControl::CloseUp() {
  TDeathWatch watch(FDeadFlag);
  TdxBarItemControl::CloseUp();
  if (!watch.Dead) SetFocused(false);
}

bool TdxBarWinControl::EditorText(std::string& Text) {
  if (!FFocused || !FHandle) return false;
  Text = GetText();
  return true;
}

void TdxBarWinControl::CreateEditorWindow() {}

void TdxBarWinControl::DestroyEditorWindow() {
  if (!FHandle) return;
  HWND h = FHandle;
  ShowWindow(h, SW_HIDE);
  SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FPrevProc));
  RemovePropA(h, ControlProp);
  FHandle = nullptr;
  FPrevProc = nullptr;
  ::DestroyWindow(h);
}

// The whole text, however long: a limit of 255 would cut what the user typed.
std::string TdxBarWinControl::GetText() {
  if (!FHandle) return std::string();
  int n = GetWindowTextLengthA(FHandle);
  std::string s(size_t(n) + 1, '\0');
  int got = n > 0 ? int(SendMessageA(FHandle, WM_GETTEXT, WPARAM(n + 1), reinterpret_cast<LPARAM>(s.data()))) : 0;
  s.resize(size_t(std::max(got, 0)));
  return s;
}

void TdxBarWinControl::LoadEditorText(const std::string& Text) {
  bool old = FLoading;
  FLoading = true;
  SetText(Text);
  FLoading = old;
}

void TdxBarWinControl::SetText(const std::string& Value) {
  if (!FHandle) return;
  SetWindowTextA(FHandle, Value.c_str());
  if (!EditorVisible()) Repaint();
}

void TdxBarWinControl::SetFocused(bool Value) {
  if (FFocused == Value) return;
  if (Value) {
    if (!FHandle) CreateEditorWindow();
    if (!FHandle) return;
    TCustomForm* form = FParent && FParent->BarManager() ? FParent->BarManager()->ParentForm() : nullptr;
    HWND f = GetFocus();
    FPrevFocus = f && IsWindowVisible(f) ? f : (form && form->HandleAllocated() ? form->Handle() : nullptr);
    FFocused = true;
    TDeathWatch watch(FDeadFlag);
    DropDown();
    if (watch.Dead || !FHandle) return;
    // The box's inner part is found by painting the closed box once.
    if (HDC dc = CreateCompatibleDC(nullptr)) {
      bool old = FFocused;
      FFocused = false;
      FParent->PaintItemTo(dc, this, InMenu(FParent) ? 1 : 0);
      FFocused = old;
      DeleteDC(dc);
    }
    RECT r = FEditorRect;
    if (auto* combo = dynamic_cast<TCustomdxBarCombo*>(Item()); combo && !combo->ShowEditor()) r.right = r.left;
    if (TFont* font = FParent->GetEffectiveFont()) SendMessageA(FHandle, WM_SETFONT, WPARAM(font->Handle()), 0);
    SetWindowPos(FHandle, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (TdxBarWindowItem* item = WindowItem()) LoadEditorText(item->StoredText());
    ::SetFocus(FHandle);
    return;
  }
  FFocused = false;
  if (!FHandle) return;
  TDeathWatch watch(FDeadFlag);
  std::string text = GetText();
  ShowWindow(FHandle, SW_HIDE);
  if (watch.Dead) return;
  TCustomForm* form = FParent && FParent->BarManager() ? FParent->BarManager()->ParentForm() : nullptr;
  HWND back = FPrevFocus && IsWindow(FPrevFocus) && IsWindowVisible(FPrevFocus)
                  ? FPrevFocus
                  : (form && form->HandleAllocated() ? form->Handle() : nullptr);
  FPrevFocus = nullptr;
  if (back && GetFocus() == FHandle) ::SetFocus(back);
  if (watch.Dead) return;
  TdxBarManager* m = FParent ? FParent->BarManager() : nullptr;
  bool escape = KeyHeld(VK_ESCAPE) && !KeyHeld(VK_CONTROL) && !KeyHeld(VK_MENU);
  if (m && m->AlwaysSaveText() && !escape)
    if (TdxBarWindowItem* item = WindowItem()) item->SetText(text);
  if (!watch.Dead) Repaint();
}

void TdxBarWinControl::RemoveChars() {
  MSG msg;
  while (FHandle && PeekMessageA(&msg, FHandle, WM_CHAR, WM_CHAR, PM_REMOVE)) {
  }
}

void TdxBarWinControl::DefaultWndProc(TMessage& Message) {
  if (FPrevProc && FHandle)
    Message.Result = CallWindowProcA(FPrevProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

bool TdxBarWinControl::ItemKey(TMessage& Message) {
  TdxBarWindowItem* item = WindowItem();
  if (!item) return true;
  if (Message.Msg == WM_CHAR) {
    char c = char(Message.WParam);
    item->KeyPress(c);
    Message.WParam = WPARAM(static_cast<unsigned char>(c));
    return c != 0;
  }
  uint16_t key = uint16_t(Message.WParam);
  if (Message.Msg == WM_KEYDOWN)
    item->KeyDown(key, ShiftNow());
  else
    item->KeyUp(key, ShiftNow());
  Message.WParam = key;
  return key != 0;
}

LRESULT CALLBACK TdxBarWinControl::InPlaceProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* c = static_cast<TdxBarWinControl*>(GetPropA(Wnd, ControlProp));
  if (!c) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TMessage m{Msg, WParam, LParam, 0};
  // The control may go while it handles the message: only the answer is read afterwards.
  c->WndProc(m);
  return m.Result;
}

void TdxBarWinControl::WndProc(TMessage& Message) {
  TDeathWatch watch(FDeadFlag);
  TCustomdxBarControl* parent = FParent;
  TdxBarWindowItem* item = WindowItem();
  switch (Message.Msg) {
    case WM_SETFOCUS:
      if (item) item->DoEnter();
      if (!watch.Dead) DefaultWndProc(Message);
      return;
    case WM_KILLFOCUS: {
      HWND to = reinterpret_cast<HWND>(Message.WParam);
      bool outside = true;
      if (parent && parent->HandleAllocated() && to) {
        HWND p = GetParent(to);
        outside = to != parent->Handle() && p != parent->Handle() &&
                  !(p && !dynamic_cast<TdxBarControl*>(FindControl(p)) && GetParent(p) == parent->Handle());
      }
      if (FFocused || (!InMenu(parent) && outside)) {
        DefaultWndProc(Message);
        if (!FFocused) RemoveChars();
        if (parent && IsBarControl(parent)) parent->DeactivateChain();
        if (watch.Dead) return;
        if (item) item->DoExit();
        return;
      }
      if (item) item->DoExit();
      if (!watch.Dead) DefaultWndProc(Message);
      return;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      if (!ItemKey(Message)) {
        Message.Result = 0;
        return;
      }
      if (watch.Dead) return;
      if (Message.Msg == WM_KEYDOWN && parent) {
        switch (Message.WParam) {
          case VK_TAB:
            RemoveChars();
            SendMessageA(parent->Handle(), WM_KEYDOWN, Message.WParam, Message.LParam);
            return;
          case VK_RETURN:
          case VK_ESCAPE: {
            bool escape = Message.WParam == VK_ESCAPE;
            RemoveChars();
            parent->SelectItem(nullptr);
            if (watch.Dead || !IsBarControl(parent)) return;
            if (escape)
              parent->SetSelectedItem(this);
            else
              parent->DeactivateChain();
            return;
          }
        }
      }
      DefaultWndProc(Message);
      return;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
      // Alt and its combinations leave the editor for the menus, as they do anywhere else on the form.
      bool altDown = Message.Msg == WM_SYSKEYDOWN && Message.WParam == VK_MENU;
      TdxBarManager* manager = parent ? parent->BarManager() : nullptr;
      if (!altDown && parent && IsBarControl(parent)) parent->DeactivateChain();
      if (watch.Dead) return;
      if (dxBarMenuKey(manager, Message.WParam, Message.Msg == WM_SYSKEYUP)) return;
      if (!watch.Dead) DefaultWndProc(Message);
      return;
    }
    case WM_RBUTTONDOWN:
      if (parent && parent->HandleAllocated()) {
        POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        MapWindowPoints(FHandle, parent->Handle(), &p, 1);
        SendMessageA(parent->Handle(), WM_RBUTTONDOWN, Message.WParam, MAKELPARAM(p.x, p.y));
      }
      return;
    case WM_COMMAND:
      if (HIWORD(Message.WParam) == EN_CHANGE && reinterpret_cast<HWND>(Message.LParam) == FHandle) {
        if (!FLoading) EditorChanged();
        return;
      }
      break;
    case WM_DESTROY: {
      if (FFocused) SetFocused(false);
      if (watch.Dead) return;
      HWND h = FHandle;
      WNDPROC prev = FPrevProc;
      DefaultWndProc(Message);
      if (watch.Dead) return;
      if (h) {
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev));
        RemovePropA(h, ControlProp);
      }
      FPrevProc = nullptr;
      FHandle = nullptr;
      return;
    }
  }
  if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= 0x20A && parent && parent->HandleAllocated()) {
    POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    if (Message.Msg == WM_MOUSEWHEEL) ScreenToClient(FHandle, &p);
    MapWindowPoints(FHandle, parent->Handle(), &p, 1);
    RECT item = parent->GetItemRect(this);
    if (PtInRect(&item, p) && !PtInRect(&FEditorRect, p)) return;
  }
  DefaultWndProc(Message);
}

// ---------------------------------------------------------------------------------------------------
// Edit control

TdxBarEdit* TdxBarEditControl::Edit() const { return dynamic_cast<TdxBarEdit*>(Item()); }

void TdxBarEditControl::CreateEditorWindow() {
  if (FHandle || !FParent || !FParent->HandleAllocated()) return;
  TdxBarEdit* edit = Edit();
  std::string text = edit ? edit->StoredText() : std::string();
  FHandle = CreateWindowExA(0, "EDIT", text.c_str(), WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, FParent->Handle(), nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  if (!FHandle) return;
  SendMessageA(FHandle, EM_LIMITTEXT, WPARAM(TextLimit()), 0);
  SetPropA(FHandle, ControlProp, this);
  FPrevProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TdxBarWinControl::InPlaceProc)));
}

int TdxBarEditControl::TextLimit() { return Edit() ? Edit()->MaxLength() : 0; }

void TdxBarEditControl::ControlClick() {
  TdxBarWinControl::ControlClick();
  if (FFocused && FHandle) SendMessageA(FHandle, EM_SETSEL, 0, -1);
}

bool TdxBarEditControl::IsSelected() { return !(FParent && FParent->IsCustomizing()) && TdxBarWinControl::IsSelected(); }

namespace {
int CaptionWidth(TCustomdxBarControl* P, const std::string& S) {
  HDC dc = GetDC(nullptr);
  TFont* f = P->GetEffectiveFont();
  HGDIOBJ old = SelectObject(dc, f ? f->Handle() : GetStockObject(DEFAULT_GUI_FONT));
  SIZE sz{};
  std::string t = dxStripAccelChars(S);
  GetTextExtentPoint32A(dc, t.c_str(), int(t.size()), &sz);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return sz.cx;
}
}  // namespace

int TdxBarEditControl::GetHeight() {
  int h = FParent->EffectiveTextSize();
  return InMenu(FParent) ? std::max(h, FParent->TextSize()) : h;
}

int TdxBarEditControl::GetWidth() {
  int w = FLink ? FLink->Width() : 100;
  if (InMenu(FParent)) w += CaptionWidth(FParent, GetCaption()) + 6;
  return w;
}

void TdxBarEditControl::WidthChanged() {
  if (FParent && !FParent->Destroying()) FParent->RebuildBar();
}

void TdxBarEditControl::Repaint() {
  if (FParent && !FParent->Destroying()) FParent->RepaintItem(this);
}

RECT TdxBarEditControl::PaintCaption(HDC DC, RECT R) {
  if (!InMenu(FParent)) return R;
  bool selected = IsSelected();
  RECT cap{R.left, R.top, R.left + 2 + CaptionWidth(FParent, GetCaption()), R.bottom};
  FillRect(DC, &cap, selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : FParent->BkBrush());
  dxDrawItemText(DC, GetCaption(), cap, 2, GetEnabled(), selected, false);
  RECT gap{cap.right, R.top, cap.right + 4, R.bottom};
  FillRect(DC, &gap, FParent->BkBrush());
  return RECT{gap.right, R.top, R.right, R.bottom};
}

RECT TdxBarEditControl::PaintFrame(HDC DC, RECT Box, bool Selected, bool Enabled) {
  if (Selected)
    DrawEdge(DC, &Box, BDR_SUNKENOUTER, BF_RECT);
  else
    FrameRectWith(DC, Box, FParent->BkBrush());
  InflateRect(&Box, -1, -1);
  FrameRectWith(DC, Box, Enabled ? FParent->BkBrush() : GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  InflateRect(&Box, -1, -1);
  return Box;
}

void TdxBarEditControl::Paint(HDC DC, RECT R, int State) {
  if (R.left == R.right) return;
  bool enabled = GetEnabled();
  RECT inner = PaintFrame(DC, PaintCaption(DC, R), IsSelected(), enabled);
  if (enabled) FEditorRect = inner;
  if (enabled && FFocused) return;
  FillRect(DC, &inner, enabled ? GetSysColorBrush(COLOR_WINDOW) : FParent->BkBrush());
  if (!enabled) return;
  std::string text = WindowItem() ? WindowItem()->StoredText() : std::string();
  RECT t = inner;
  t.left += 1;
  SetTextColor(DC, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(DC, GetSysColor(COLOR_WINDOW));
  SetBkMode(DC, OPAQUE);
  std::string fit = dxFitText(DC, text, t);
  DrawTextA(DC, fit.c_str(), int(fit.size()), &t, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
}

void TdxBarEditControl::SetFocused(bool Value) {
  TdxBarWinControl::SetFocused(Value);
  if (Value && FFocused && FHandle) {
    auto* combo = dynamic_cast<TCustomdxBarCombo*>(Item());
    bool readOnly = (Edit() && Edit()->ReadOnly()) || (combo && !combo->ShowEditor());
    SendMessageA(FHandle, EM_SETREADONLY, readOnly, 0);
  }
}

void TdxBarEditControl::SetText(const std::string& Value) {
  TdxBarWinControl::SetText(Value);
  if (FHandle) SendMessageA(FHandle, EM_SETSEL, 0, -1);
}

bool TdxBarEditControl::CommitText(bool MarkUsed) {
  TDeathWatch watch(FDeadFlag);
  if (MarkUsed && FLink) FLink->MarkUsed(true);
  if (watch.Dead) return false;
  if (TdxBarWindowItem* item = WindowItem()) item->SetText(GetText());
  return !watch.Dead && EditorVisible();
}

void TdxBarEditControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_KEYDOWN && (Message.WParam == VK_RETURN || Message.WParam == VK_TAB)) {
    TDeathWatch watch(FDeadFlag);
    if (!CommitText(Message.WParam == VK_RETURN)) {
      Message.Result = 0;
      return;
    }
    if (watch.Dead) return;
  }
  TdxBarWinControl::WndProc(Message);
}

void TdxBarEditControl::EditorChanged() {
  if (TdxBarWindowItem* item = WindowItem()) item->CurChange();
}

// ---------------------------------------------------------------------------------------------------
// Combo controls

TCustomdxBarComboControl::~TCustomdxBarComboControl() {
  if (TCustomdxBarCombo* c = Combo(); c && c->DroppedControl() == this) {
    c->CloseUp();
    c->SetDroppedControl(nullptr);
  }
}

TCustomdxBarCombo* TCustomdxBarComboControl::Combo() const { return dynamic_cast<TCustomdxBarCombo*>(Item()); }

void TCustomdxBarComboControl::SetDroppedDown(bool Value) {
  TCustomdxBarCombo* combo = Combo();
  if (!combo || combo->ReadOnly() || FDroppedDownState == Value) return;
  FDroppedDownState = Value;
  Repaint();
  if (Value) {
    RECT r = FParent->GetItemRect(this);
    if (FParent->HandleAllocated()) MapWindowPoints(FParent->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    bool beside = InMenu(FParent) || IsVerticalToolbar(FParent);
    combo->DropItemRect = r;
    combo->DropBeside = beside;
    combo->SetDroppedControl(this);
    combo->DropDown(beside ? r.right : r.left, beside ? r.top : r.bottom);
  } else {
    combo->CloseUp();
    if (combo->DroppedControl() == this) combo->SetDroppedControl(nullptr);
  }
}

void TCustomdxBarComboControl::CloseUp() {
  TDeathWatch watch(FDeadFlag);
  SetDroppedDown(false);
  if (!watch.Dead) TdxBarEditControl::CloseUp();
}

void TCustomdxBarComboControl::SetFocused(bool Value) {
  if (Value) {
    if (!FHandle) CreateEditorWindow();
    if (FHandle) SendMessageA(FHandle, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  }
  TdxBarEditControl::SetFocused(Value);
}

void TCustomdxBarComboControl::Paint(HDC DC, RECT R, int State) {
  if (R.left == R.right) return;
  bool s = IsSelected(), e = GetEnabled();
  RECT inner = PaintFrame(DC, PaintCaption(DC, R), s, e);
  RECT button = inner;
  button.left = std::max(inner.left, LONG(inner.right - FParent->ComboArrowWidth()));
  RECT value = inner;
  value.right = button.left - 1;
  FButtonRect = button;
  if (e) FEditorRect = value;
  TCustomdxBarCombo* combo = Combo();
  // Value area: the in-place window covers it while it is open.
  if (!(e && FFocused && combo && combo->ShowEditor())) {
    SetTextColor(DC, GetSysColor(COLOR_WINDOWTEXT));
    if (!e) {
      FillRect(DC, &value, FParent->BkBrush());
    } else if (combo) {
      int saved = SaveDC(DC);
      IntersectClipRect(DC, value.left, value.top, value.right, value.bottom);
      TCanvas canvas;
      canvas.SetHandle(DC);
      canvas.Font()->Assign(FParent->GetEffectiveFont());
      canvas.Font()->SetColor(clWindowText);
      canvas.Brush()->SetColor(clWindow);
      combo->SetDrawCanvas(&canvas);
      combo->DrawValue(value, FLink);
      combo->SetDrawCanvas(nullptr);
      canvas.SetHandle(nullptr);
      RestoreDC(DC, saved);
    }
  }
  // Arrow button.
  HBRUSH line = e ? GetSysColorBrush(COLOR_BTNHIGHLIGHT) : FParent->BkBrush();
  if (s && e) {
    DrawEdge(DC, &button, FDroppedDownState ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    line = FParent->BkBrush();
  } else {
    FrameRectWith(DC, button, line);
  }
  RECT column{button.left - 1, button.top, button.left, button.bottom};
  FillRect(DC, &column, line);
  RECT in = button;
  InflateRect(&in, -1, -1);
  FillRect(DC, &in, FParent->BkBrush());
  if (FDroppedDownState) OffsetRect(&in, 1, 1);
  int w = (in.right - in.left) / 2;
  if (w % 2 == 0) w += 1;
  int x = (in.left + in.right - w) / 2, y = (in.top + in.bottom - w / 2) / 2;
  auto triangle = [&](int X, int Y, int Color) {
    POINT pts[] = {{X, Y}, {X + w - 1, Y}, {X + w / 2, Y + w / 2}};
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(Color));
    HGDIOBJ op = SelectObject(DC, pen), ob = SelectObject(DC, GetSysColorBrush(Color));
    Polygon(DC, pts, 3);
    SelectObject(DC, op);
    SelectObject(DC, ob);
    DeleteObject(pen);
  };
  if (e) {
    triangle(x, y, COLOR_BTNTEXT);
  } else {
    triangle(x + 1, y + 1, COLOR_BTNHIGHLIGHT);
    triangle(x, y, COLOR_BTNSHADOW);
  }
}

void TCustomdxBarComboControl::WndProc(TMessage& Message) {
  TCustomdxBarCombo* combo = Combo();
  TShiftState shift = ShiftNow();
  TDeathWatch watch(FDeadFlag);
  switch (Message.Msg) {
    case WM_KEYDOWN:
      if (Message.WParam == VK_F4) {
        SetDroppedDown(!FDroppedDownState);
        Message.Result = 0;
        return;
      }
      if (FDroppedDownState && combo && combo->GetDropDownWindow() &&
          combo->CheckKeyForDropDownWindow(uint16_t(Message.WParam), shift)) {
        TWinControl* w = combo->GetDropDownWindow();
        if (w->HandleAllocated()) Message.Result = SendMessageA(w->Handle(), WM_KEYDOWN, Message.WParam, Message.LParam);
        return;
      }
      break;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      if ((Message.WParam == VK_UP || Message.WParam == VK_DOWN) && shift.Contains(ssAlt)) {
        if (Message.Msg == WM_SYSKEYDOWN) SetDroppedDown(!FDroppedDownState);
        Message.Result = 0;
        return;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      if (EditorVisible()) {
        if (Message.Msg == WM_LBUTTONDOWN) FOpenAtButtonDown = FDroppedDownState;
        if ((Message.Msg == WM_LBUTTONDOWN && !FOpenAtButtonDown) || (Message.Msg == WM_LBUTTONUP && FOpenAtButtonDown)) {
          RECT r = FButtonRect;
          if (combo && !combo->ShowEditor()) r.left = FEditorRect.left;
          MapWindowPoints(FParent->Handle(), FHandle, reinterpret_cast<POINT*>(&r), 2);
          POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
          if (PtInRect(&r, p)) {
            SetDroppedDown(!FDroppedDownState);
            if (watch.Dead) return;
            if (Message.Msg == WM_LBUTTONUP) FOpenAtButtonDown = false;
          }
        }
      }
      break;
  }
  if (!watch.Dead) TdxBarEditControl::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------------
// Combo control with a list

TdxBarCombo* TdxBarComboControl::ComboItem() const { return dynamic_cast<TdxBarCombo*>(Item()); }

void TdxBarComboControl::SetCurItemIndex(int32_t Value) {
  FCurItemIndex = Value;
  TdxBarCombo* combo = ComboItem();
  if (!combo) return;
  LoadEditorText(Value >= 0 && Value < combo->Items()->Count() ? combo->Items()->Strings(Value) : combo->StoredText());
  if (!combo->ShowEditor()) Repaint();
}

void TdxBarComboControl::SetFocused(bool Value) {
  if (Value && ComboItem()) {
    if (!FHandle) CreateEditorWindow();
    FCurItemIndex = ComboItem()->ItemIndex();
  }
  TCustomdxBarComboControl::SetFocused(Value);
  if (Value && FFocused) SetCurItemIndex(FCurItemIndex);
}

void TdxBarComboControl::WndProc(TMessage& Message) {
  TdxBarCombo* combo = ComboItem();
  if (combo && Message.Msg == WM_KEYDOWN) {
    TShiftState shift = ShiftNow();
    bool noShift = !shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
    int last = combo->Items()->Count() - 1;
    if (!FDroppedDownState && noShift && (Message.WParam == VK_UP || Message.WParam == VK_DOWN)) {
      if (Message.WParam == VK_UP && FCurItemIndex > 0) SetCurItemIndex(FCurItemIndex - 1);
      if (Message.WParam == VK_DOWN && FCurItemIndex < last) SetCurItemIndex(FCurItemIndex + 1);
      if (FHandle) SendMessageA(FHandle, EM_SETSEL, 0, -1);
      Message.Result = 0;
      return;
    }
    if (Message.WParam == VK_RETURN || Message.WParam == VK_TAB) {
      TDeathWatch watch(FDeadFlag);
      if (FCurItemIndex >= 0 && FCurItemIndex <= last && combo->Items()->Strings(FCurItemIndex) == GetText()) {
        combo->SetItemIndex(FCurItemIndex);
        if (watch.Dead) return;
        if (!EditorVisible()) {
          Message.Result = 0;
          return;
        }
      }
    }
  }
  TCustomdxBarComboControl::WndProc(Message);
}

// The list follows what is typed: the item sharing the longest start with the text.
void TdxBarComboControl::EditorChanged() {
  TDeathWatch watch(FDeadFlag);
  TCustomdxBarComboControl::EditorChanged();
  TdxBarCombo* combo = ComboItem();
  if (watch.Dead || !combo) return;
  std::string text = GetText();
  TStrings* items = combo->Items();
  if (!(FCurItemIndex >= 0 && FCurItemIndex < items->Count() && items->Strings(FCurItemIndex) == text)) {
    std::string up = Upper(text);
    int best = -1;
    size_t bestLen = 0;
    for (int i = 0; i < items->Count(); ++i) {
      std::string s = Upper(items->Strings(i));
      size_t n = 0;
      while (n < s.size() && n < up.size() && s[n] == up[n]) ++n;
      if (n > bestLen) {
        bestLen = n;
        best = i;
      }
    }
    FCurItemIndex = best;
  }
  if (FDroppedDownState && combo->DroppedControl() == this) {
    TdxBarDropDownListBox* list = combo->ListBox();
    int equal = -1;
    for (int i = 0; i < items->Count() && equal < 0; ++i)
      if (SameText(items->Strings(i), text)) equal = i;
    list->SetItemIndex(equal);
    if (equal < 0 && FCurItemIndex >= 0) list->SetTopIndex(FCurItemIndex);
  }
}

// ---------------------------------------------------------------------------------------------------
// Combo items: the drop-down

POINT dxBarPlaceDropDown(RECT Item, SIZE Size, bool Beside, RECT WorkArea) {
  POINT p;
  if (Beside) {
    p = POINT{Item.right, Item.top};
    if (p.x + Size.cx > WorkArea.right && Item.left - WorkArea.left > WorkArea.right - Item.right)
      p.x = Item.left - Size.cx;
    if (p.y + Size.cy > WorkArea.bottom) p.y = WorkArea.bottom - Size.cy;
  } else {
    p = POINT{Item.left, Item.bottom};
    if (p.x + Size.cx > WorkArea.right) p.x = WorkArea.right - Size.cx;
    if (p.y + Size.cy > WorkArea.bottom && Item.top - WorkArea.top > WorkArea.bottom - Item.bottom)
      p.y = Item.top - Size.cy;
  }
  // Kept on the work area's own left and top: a monitor left of or above the primary has negative ones.
  p.x = std::max(p.x, WorkArea.left);
  p.y = std::max(p.y, WorkArea.top);
  return p;
}

void TCustomdxBarCombo::DoDropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomdxBarCombo::DropDown(int X, int Y) {
  TWinControl* w = GetDropDownWindow();
  if (!w) return;
  RECT item = DropItemRect;
  if (IsRectEmpty(&item)) item = RECT{X, Y, X, Y};
  SIZE size{w->Width(), w->Height()};
  POINT at = dxBarPlaceDropDown(item, size, DropBeside, GetWorkArea(POINT{X, Y}));
  TdxLiveGuard alive(this);
  DoDropDown();
  if (!alive) return;
  w->HandleNeeded();
  SetWindowPos(w->Handle(), HWND_TOPMOST, at.x, at.y, size.cx, size.cy, SWP_NOACTIVATE);
  SetWindowPos(w->Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_FRAMECHANGED);
}

void TCustomdxBarCombo::CloseUp() {
  TWinControl* w = GetDropDownWindow();
  if (w && w->HandleAllocated()) ShowWindow(w->Handle(), SW_HIDE);
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomdxBarCombo::DrawValue(RECT R, TdxBarItemLink* ALink) {
  TCanvas* canvas = GetDrawCanvas();
  if (!canvas) return;
  HDC dc = canvas->Handle();
  FillRect(dc, &R, GetSysColorBrush(COLOR_WINDOW));
  R.left += 1;
  R.right -= 2;
  std::string text = FText;
  if (ALink && ALink->Control()) ALink->Control()->EditorText(text);
  HGDIOBJ old = SelectObject(dc, canvas->Font()->Handle());
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  std::string fit = dxFitText(dc, text, R);
  DrawTextA(dc, fit.c_str(), int(fit.size()), &R, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
  SelectObject(dc, old);
}

TdxBarDropDownListBox* TdxBarCustomCombo::ListBox() {
  if (!FListBox) FListBox = new TdxBarDropDownListBox(this);
  return FListBox;
}

TWinControl* TdxBarCustomCombo::GetDropDownWindow() { return ListBox(); }

TCanvas* TdxBarCustomCombo::GetDrawCanvas() {
  if (FDrawCanvas) return FDrawCanvas;
  return ListBox()->Canvas();
}

bool TdxBarCustomCombo::CheckKeyForDropDownWindow(uint16_t Key, TShiftState Shift) {
  bool plain = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
  return plain && (Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT);
}

void TdxBarCustomCombo::DrawValue(RECT R, TdxBarItemLink* ALink) {
  int index = FItemIndex;
  if (ALink)
    if (auto* c = dynamic_cast<TdxBarComboControl*>(ALink->Control()); c && c->Focused()) index = c->CurItemIndex();
  DrawItem(index, R, TOwnerDrawState{});
}

void TdxBarCustomCombo::DrawItem(int Index, RECT R, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, R, State);
    return;
  }
  TCanvas* canvas = GetDrawCanvas();
  if (!canvas) return;
  HDC dc = canvas->Handle();
  bool selected = State.Contains(odSelected);
  FillRect(dc, &R, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  std::string text = Index >= 0 && Index < FItems->Count() ? FItems->Strings(Index) : (Index == -1 ? FText : "");
  HGDIOBJ old = SelectObject(dc, canvas->Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT t = R;
  t.left += 1;
  DrawTextA(dc, text.c_str(), int(text.size()), &t, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
  SelectObject(dc, old);
  // The list's own drawing adds the focus rectangle.
}

// Text sizes on the lent draw canvas, or, outside drawing, in the list's font on the screen.
static SIZE MeasureText(TdxBarCustomCombo* C, const std::string& S) {
  SIZE sz{0, 0};
  TCanvas* canvas = C->GetDrawCanvas();
  if (canvas && canvas->HandleAllocated()) return canvas->TextExtent(S);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, C->ListBox()->Font()->Handle());
  GetTextExtentPoint32A(dc, S.c_str(), int(S.size()), &sz);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return sz;
}

int TdxBarCustomCombo::MeasureItem(int Index) {
  int h = 0;
  if (auto* c = dynamic_cast<TdxBarCombo*>(this)) h = c->ItemHeight();
  if (h < 1) h = MeasureText(this, "Qq").cy;
  if (OnMeasureItem) OnMeasureItem(this, Index, h);
  return h;
}

int TdxBarCustomCombo::MeasureItemWidth(int Index) {
  return Index >= 0 && Index < FItems->Count() ? MeasureText(this, FItems->Strings(Index)).cx + 2 : 2;
}

int TdxBarCustomCombo::GetDropDownWidth(RECT ItemRect) {
  if (FDropDownWidth >= 1) return FDropDownWidth;
  bool scrolls = FItems->Count() > FDropDownCount;
  int w = ItemRect.right - ItemRect.left - 4 - (scrolls ? GetSystemMetrics(SM_CXVSCROLL) : 0);
  for (int i = 0; i < FItems->Count(); ++i) w = std::max(w, MeasureItemWidth(i));
  return w + 4 + (scrolls ? GetSystemMetrics(SM_CXVSCROLL) : 0);
}

void TdxBarCustomCombo::DropDown(int X, int Y) {
  TdxBarDropDownListBox* list = ListBox();
  TCustomForm* form = FBarManager ? FBarManager->ParentForm() : nullptr;
  if (form && list->Parent() != form) list->SetParent(form);
  list->HandleNeeded();
  list->Items()->Assign(FItems);
  int h = 4;
  for (int i = 0; i < std::min(FItems->Count(), int(FDropDownCount)); ++i) h += MeasureItem(i);
  int w = GetDropDownWidth(DropItemRect);
  list->SetBounds(list->Left(), list->Top(), w, h);
  int index = FItemIndex;
  if (auto* c = dynamic_cast<TdxBarComboControl*>(FDroppedControl); c && c->Focused()) index = c->CurItemIndex();
  list->SetItemIndex(index);
  TCustomdxBarCombo::DropDown(X, Y);
  if (KeyHeld(VK_LBUTTON) && list->HandleAllocated()) {
    list->ComboTracking = true;
    SetCapture(list->Handle());
  }
}

void TdxBarCustomCombo::CloseUp() {
  if (FListBox) FListBox->ComboTracking = false;
  if (FListBox && FListBox->HandleAllocated() && GetCapture() == FListBox->Handle()) ReleaseCapture();
  TCustomdxBarCombo::CloseUp();
  if (FListBox) FListBox->SetParent(nullptr);
}
