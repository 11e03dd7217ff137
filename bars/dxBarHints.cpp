// The hint window of item hints, the drop-down list of combo items, the manager's categories (which keep
// the items' category indexes in step with the names) and the popup-menu links of ordinary controls.
#include <windowsx.h>

#include <algorithm>

#include "dxBarCommon.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarSubMenu.h"

// ---------------------------------------------------------------------------------------------------
// Hint window

namespace {
TdxBarHintWindow* HintWindow = nullptr;
}  // namespace

TdxBarHintWindow* dxBarHintWindow(bool Create) {
  if (!HintWindow && Create) HintWindow = new TdxBarHintWindow(nullptr);
  return HintWindow;
}

void dxBarFreeHintWindow() { TObject::Free(HintWindow); }

TdxBarHintWindow::TdxBarHintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clInfoBk);
  Canvas()->Brush()->SetStyle(bsClear);
  SetVisible(false);
}

// The timers show and hide this window: none may fire once it is gone.
TdxBarHintWindow::~TdxBarHintWindow() {
  dxBarStopHintTimers();
  if (HintWindow == this) HintWindow = nullptr;
}

void TdxBarHintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_DISABLED;
  Params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}

POINT dxBarPlaceHint(POINT P, SIZE Size, RECT WorkArea) {
  POINT r = P;
  if (r.x + Size.cx > WorkArea.right) r.x = WorkArea.right - Size.cx;
  // Above the point when it would pass the bottom: never lower than the point itself, however tall.
  if (r.y + Size.cy > WorkArea.bottom) r.y = P.y - std::max<LONG>(50, Size.cy);
  r.x = std::max(r.x, WorkArea.left);
  r.y = std::max(r.y, WorkArea.top);
  return r;
}

void TdxBarHintWindow::ActivateHint(POINT P, const std::string& Text, TdxBarManager* ABarManager) {
  FText = Text;
  TFont* font = Font();
  if (ABarManager && ABarManager->UseSystemFont()) {
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
      font->SetHandle(CreateFontIndirectA(&ncm.lfStatusFont));
    } else {
      font->SetSize(8);
    }
  } else if (ABarManager) {
    font->Assign(ABarManager->Font());
  }
  font->SetColor(clInfoText);
  RECT work = GetWorkArea(P);
  RECT r{0, 0, work.right - work.left, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font->Handle());
  DrawTextA(dc, Text.c_str(), int(Text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  SIZE size{r.right - r.left + 6, r.bottom - r.top + 6};
  POINT at = dxBarPlaceHint(P, size, work);
  SetBounds(at.x, at.y, size.cx, size.cy);
  HandleNeeded();
  SetWindowPos(Handle(), HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TdxBarHintWindow::HideHint() {
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void TdxBarHintWindow::Paint() {
  HDC dc = Canvas()->Handle();
  RECT r = ClientRect();
  FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
  DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
  InflateRect(&r, -1, -1);
  r.left += 2;
  r.top += 2;
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  DrawTextA(dc, FText.c_str(), int(FText.size()), &r, DT_NOPREFIX | DT_NOCLIP | DT_WORDBREAK);
  SelectObject(dc, old);
}

// ---------------------------------------------------------------------------------------------------
// Drop-down list

TdxBarDropDownListBox::TdxBarDropDownListBox(TdxBarCustomCombo* ACombo) : TCustomListBox(nullptr), FCombo(ACombo) {
  SetStyle(lbOwnerDrawVariable);
  SetVisible(false);
  SetBorderStyle(bsNone);
}

TCustomdxBarComboControl* TdxBarDropDownListBox::ComboControl() const { return FCombo ? FCombo->DroppedControl() : nullptr; }

void TdxBarDropDownListBox::CreateParams(TCreateParams& Params) {
  TCustomListBox::CreateParams(Params);
  Params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
}

void TdxBarDropDownListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  // A top-level window: it may reach past the form's edges.
  ::SetParent(Handle(), nullptr);
  TCustomdxBarComboControl* c = ComboControl();
  if (c && c->Parent()) {
    Font()->Assign(c->Parent()->GetEffectiveFont());
    Font()->SetColor(clWindowText);
  }
}

void TdxBarDropDownListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_NCCALCSIZE: {
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      InflateRect(r, -2, -2);
      Message.Result = 0;
      return;
    }
    case WM_NCPAINT: {
      HDC dc = GetWindowDC(Handle());
      RECT r{0, 0, Width(), Height()};
      GetWindowRect(Handle(), &r);
      OffsetRect(&r, -r.left, -r.top);
      DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
      ReleaseDC(Handle(), dc);
      Message.Result = 0;
      return;
    }
    case WM_CAPTURECHANGED:
      ComboTracking = false;
      break;
    case WM_MOUSEMOVE: {
      POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
      RECT cr = ClientRect();
      if (GetCapture() == Handle() && ComboTracking && PtInRect(&cr, p)) {
        // The drag from the combo reached the list: the list's own tracking takes over.
        ComboTracking = false;
        CallWindowProcA(DefWndProc(), Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Message.LParam);
      }
      int i = ItemAtPos(p, true);
      if (i >= 0 && i != ItemIndex()) SetItemIndex(i);
      break;
    }
    case WM_LBUTTONUP:
      if (ComboTracking) {
        ReleaseCapture();
        Message.Result = 0;
        return;
      } else {
        TCustomListBox::Dispatch(Message);
        int index = ItemIndex();
        TdxBarCustomCombo* combo = FCombo;
        TCustomdxBarComboControl* c = ComboControl();
        if (c) c->SetDroppedDown(false);
        if (index > -1 && combo) {
          TdxLiveGuard alive(combo);
          combo->SetItemIndex(index);
          // The open editor shows the choice too.
          bool stands = false;
          for (int i = 0; alive && i < combo->LinkCount(); ++i) stands = stands || combo->Links(i)->Control() == c;
          if (stands)
            if (auto* cc = dynamic_cast<TdxBarComboControl*>(c); cc && cc->Focused()) cc->SetCurItemIndex(index);
        }
        return;
      }
    case WM_KEYDOWN:
      if (ItemIndex() < 0 && Items()->Count() > 0) SetItemIndex(TopIndex());
      break;
  }
  TCustomListBox::Dispatch(Message);
}

void TdxBarDropDownListBox::DrawItem(int Index, RECT Rect, TOwnerDrawState State) {
  if (!FCombo) return;
  TCanvas* old = FCombo->GetDrawCanvas();
  FCombo->SetDrawCanvas(Canvas());
  FCombo->DrawItem(Index, Rect, State);
  FCombo->SetDrawCanvas(old);
}

void TdxBarDropDownListBox::MeasureItem(int Index, int& Height) {
  if (FCombo) Height = FCombo->MeasureItem(Index);
}

// ---------------------------------------------------------------------------------------------------
// Categories

void TdxBarManagerCategories::Delete(int Index) {
  if (FMoving || !FBarManager || Index < 0 || Index >= Count()) {
    TStringList::Delete(Index);
    return;
  }
  std::vector<TdxBarItem*> items;
  for (int i = 0; i < FBarManager->ItemCount(); ++i) items.push_back(FBarManager->Items(i));
  for (auto* item : items)
    if (item->Category() == Index) TObject::Free(item);
  for (int i = 0; i < FBarManager->ItemCount(); ++i) {
    TdxBarItem* item = FBarManager->Items(i);
    if (item->Category() > Index) item->SetCategory(item->Category() - 1);
  }
  TStringList::Delete(Index);
  if (Count() == 0) Add(dxBarResStr(dxSBAR_DEFAULTCATEGORYNAME));
  FBarManager->DesignerModified();
}

// The name goes in first: the items' new indexes must already name a category.
void TdxBarManagerCategories::Insert(int Index, const std::string& S) {
  int oldCount = Count();
  TStringList::Insert(Index, S);
  if (FMoving || !FBarManager) return;
  for (int c = oldCount - 1; c >= Index; --c)
    for (int i = 0; i < FBarManager->ItemCount(); ++i)
      if (FBarManager->Items(i)->Category() == c) FBarManager->Items(i)->SetCategory(c + 1);
  FBarManager->DesignerModified();
}

// Both sets are taken before either changes: moving one first would merge them.
void TdxBarManagerCategories::Exchange(int Index1, int Index2) {
  if (FBarManager && Index1 != Index2) {
    std::vector<TdxBarItem*> of1, of2;
    for (int i = 0; i < FBarManager->ItemCount(); ++i) {
      TdxBarItem* item = FBarManager->Items(i);
      if (item->Category() == Index1) of1.push_back(item);
      if (item->Category() == Index2) of2.push_back(item);
    }
    for (auto* item : of1) item->SetCategory(Index2);
    for (auto* item : of2) item->SetCategory(Index1);
  }
  TStringList::Exchange(Index1, Index2);
  if (FBarManager) FBarManager->DesignerModified();
}

void TdxBarManagerCategories::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex || CurIndex < 0 || NewIndex < 0 || CurIndex >= Count() || NewIndex >= Count()) return;
  if (FBarManager) {
    std::vector<TdxBarItem*> moved;
    auto setRaw = [](TdxBarItem* I, int C) { I->SetCategory(C); };
    for (int i = 0; i < FBarManager->ItemCount(); ++i)
      if (FBarManager->Items(i)->Category() == CurIndex) moved.push_back(FBarManager->Items(i));
    for (int i = 0; i < FBarManager->ItemCount(); ++i) {
      TdxBarItem* item = FBarManager->Items(i);
      if (std::find(moved.begin(), moved.end(), item) != moved.end()) continue;
      int c = item->Category();
      if (CurIndex < NewIndex && c > CurIndex && c <= NewIndex) setRaw(item, c - 1);
      if (NewIndex < CurIndex && c >= NewIndex && c < CurIndex) setRaw(item, c + 1);
    }
    for (auto* item : moved) setRaw(item, NewIndex);
  }
  FMoving = true;
  TStringList::Move(CurIndex, NewIndex);
  FMoving = false;
  if (FBarManager) FBarManager->DesignerModified();
}

// ---------------------------------------------------------------------------------------------------
// Popup-menu links

namespace {
void OpenPopupMenu(TdxBarPopupMenu* Menu, POINT P) { Menu->Popup(P.x, P.y); }
void (*PopupMenuOpener)(TdxBarPopupMenu*, POINT) = &OpenPopupMenu;
}  // namespace

// Tests put a recorder in; nullptr puts the real popup back.
void dxBarSetPopupMenuOpener(void (*Opener)(TdxBarPopupMenu*, POINT)) {
  PopupMenuOpener = Opener ? Opener : &OpenPopupMenu;
}

TdxBarPopupMenuLink::~TdxBarPopupMenuLink() {
  SetControl(nullptr);
  SetPopupMenu(nullptr);
}

TdxBarManager* TdxBarPopupMenuLink::BarManager() const {
  auto* links = dynamic_cast<TdxBarPopupMenuLinks*>(Collection());
  return links ? links->BarManager() : nullptr;
}

void TdxBarPopupMenuLink::Assign(TPersistent* Source) {
  if (auto* l = dynamic_cast<TdxBarPopupMenuLink*>(Source)) {
    SetControl(l->Control());
    SetPopupMenu(l->PopupMenu());
    OnAction = l->OnAction;
    return;
  }
  TCollectionItem::Assign(Source);
}

void TdxBarPopupMenuLink::SetControl(TWinControl* Value) {
  if (FControl == Value) return;
  TdxBarManager* m = BarManager();
  FControl = Value;
  if (Value && m) Value->FreeNotification(m);
}

void TdxBarPopupMenuLink::SetPopupMenu(TdxBarPopupMenu* Value) {
  if (FPopupMenu == Value) return;
  TdxBarManager* m = BarManager();
  FPopupMenu = Value;
  if (Value && m) Value->FreeNotification(m);
}

void TdxBarPopupMenuLink::Forget(TComponent* AComponent) {
  if (FControl == AComponent) FControl = nullptr;
  if (FPopupMenu == AComponent) FPopupMenu = nullptr;
}

bool TdxBarPopupMenuLink::ShowPopup(POINT P) {
  if (!FControl || !FControl->HandleAllocated()) return false;
  HWND wnd = FControl->Handle();
  MSG msg;
  PeekMessageA(&msg, wnd, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE);
  bool byMouse = !(P.x == -1 && P.y == -1);
  POINT pt{0, 0};
  if (!byMouse) {
    // A control shows a caret when hiding it succeeds; it is shown again at once.
    if (HideCaret(wnd)) {
      ShowCaret(wnd);
      GetCaretPos(&pt);
    }
  } else {
    pt = FControl->ScreenToClient(P);
  }
  bool show = FPopupMenu != nullptr;
  bool handled = false;
  if (OnAction) OnAction(this, pt, show, byMouse, handled);
  if (!show || !FPopupMenu) return false;
  if (FControl->Enabled() && FControl->CanFocus()) FControl->SetFocus();
  ShownAt = FControl->ClientToScreen(pt);
  PopupMenuOpener(FPopupMenu, ShownAt);
  return true;
}

void TdxBarPopupMenuLink::Publish(TPublisher<TdxBarPopupMenuLink>& p) {
  using L = TdxBarPopupMenuLink;
  p.Ref("Control", &L::Control, &L::SetControl);
  p.Ref("PopupMenu", &L::PopupMenu, &L::SetPopupMenu);
}

TdxBarPopupMenuLinks::TdxBarPopupMenuLinks(TdxBarManager* ABarManager)
    : TCollection(TdxBarPopupMenuLink::StaticClass()), FBarManager(ABarManager) {}

TPersistent* TdxBarPopupMenuLinks::GetOwner() { return FBarManager; }

void TdxBarPopupMenuLinks::Forget(TComponent* AComponent) {
  for (int i = 0; i < Count(); ++i) Items(i)->Forget(AComponent);
}

void TdxBarManager::SetPopupMenuLinks(TdxBarPopupMenuLinks* Value) { FPopupMenuLinks->Assign(Value); }

bool TdxBarManager::RunPopupMenuLinks(TControl* AControl, POINT P) {
  if (FDesigning || !FPopupMenuLinks || !AControl) return false;
  for (int i = 0; i < FPopupMenuLinks->Count(); ++i) {
    TdxBarPopupMenuLink* l = FPopupMenuLinks->Items(i);
    if (l->Control() == AControl && l->ShowPopup(P)) return true;
  }
  return false;
}
