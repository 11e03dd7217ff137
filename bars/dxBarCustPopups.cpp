// Menus the bars build for themselves: the toolbar list, the customizing popup of one link and the quick
// customization of a toolbar. Their items are ordinary items that belong to no form; one list keeps them
// until no link uses them.
#include <windowsx.h>

#include <algorithm>

#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarCustomizing.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarQuickCust.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

// ---------------------------------------------------------------------------------------------------
// Popup items

namespace {

// Hears of every listed item that goes away (its manager or a test may free it first), so the list
// never holds a freed item.
class TPopupItemKeeper : public TComponent {
public:
  TPopupItemKeeper() : TComponent(nullptr) {}
  std::vector<TdxBarItem*> Items;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) Items.erase(std::remove(Items.begin(), Items.end(), AComponent), Items.end());
  }
};

TPopupItemKeeper& Keeper() {
  static TPopupItemKeeper* k = new TPopupItemKeeper;
  return *k;
}

}  // namespace

void dxBarAddPopupItem(TdxBarItem* AItem) {
  if (!AItem) return;
  if (TComponent* owner = AItem->Owner()) owner->RemoveComponent(AItem);
  Keeper().Items.push_back(AItem);
  AItem->FreeNotification(&Keeper());
}

int dxBarPopupItemCount() { return int(Keeper().Items.size()); }

void dxBarFreeIdlePopupItems() {
  std::vector<TdxBarItem*> idle;
  for (auto* i : Keeper().Items)
    if (i->LinkCount() == 0) idle.push_back(i);
  for (auto* i : idle) TObject::Free(i);
}

namespace {

// A new item of the manager for one of these menus.
template <class T>
T* NewPopupItem(TdxBarManager* M, const std::string& Caption) {
  T* item = new T(M->ParentForm());
  dxBarAddPopupItem(item);
  item->SetCaption(Caption);
  return item;
}

TdxBarItemLink* AddLink(TdxBarItemLinks* Links, TdxBarItem* Item, bool BeginGroup = false) {
  TdxBarItemLink* l = Links->Add();
  l->SetItem(Item);
  if (BeginGroup) l->SetBeginGroup(true);
  return l;
}

// Shows a popup of its own links at a screen point.
void ShowPopupAt(TdxBarSubMenuControl* W, POINT P) {
  TCustomForm* form = W->BarManager() ? W->BarManager()->ParentForm() : nullptr;
  if (form && form->HandleAllocated()) SendMessageA(form->Handle(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  W->SetBounds(P.x, P.y, W->Width(), W->Height());
  W->Show();
}

bool IsTemporaryOwner(TPersistent* AOwner) {
  if (auto* bar = dynamic_cast<TdxBar*>(AOwner)) return bar->Bars() && bar->Bars()->Detached();
  return dynamic_cast<TdxBarToolbarsPopup*>(AOwner) || dynamic_cast<TdxBarCustomizingPopup*>(AOwner);
}

// A popup window with a collection of links of its own.
void OwnLinks(TdxBarSubMenuControl* W, TdxBarManager* M) {
  auto* links = new TdxBarItemLinks(M, W);
  links->SetUseRecentItems(false);
  links->SetBarControl(W);
  W->SetItemLinks(links);
}

void FreeOwnLinks(TdxBarSubMenuControl* W) {
  // The base's BeforeDestruction let go of the controls and of the links' window.
  TdxBarItemLinks* links = W->ItemLinks();
  W->SetItemLinks(nullptr);
  TObject::Free(links);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Toolbar list

TdxBarToolbarsPopup::TdxBarToolbarsPopup(TdxBarManager* ABarManager) : TdxBarSubMenuControl(ABarManager) {
  OwnLinks(this, ABarManager);
}

TdxBarToolbarsPopup::~TdxBarToolbarsPopup() { FreeOwnLinks(this); }

TdxBarToolbarsPopup* TdxBarToolbarsPopup::ShowAt(TdxBarManager* ABarManager, POINT P) {
  if (!ABarManager) return nullptr;
  dxBarFreeIdlePopupItems();
  auto* w = new TdxBarToolbarsPopup(ABarManager);
  ABarManager->FillToolbarsPopup(w->ItemLinks());
  if (w->ItemLinks()->Count() == 0) {
    TObject::Free(w);
    return nullptr;
  }
  ShowPopupAt(w, P);
  return IsBarControl(w) ? w : nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Customizing popup of one link

namespace {

enum TRow { rReset, rDelete, rName, rDefaultStyle, rTextOnly, rTextInMenus, rImageAndText, rBeginGroup, rVisible,
            rMostRecentlyUsed };

TdxBarCustomizingPopup* OpenPopup = nullptr;
// The link the rows act on and the popup that set it: a row's click runs after the menu closed (the
// chain closes first), so the link stays until that popup is freed, and not a moment longer.
TdxBarItemLink* CustLink = nullptr;
TdxBarCustomizingPopup* CustLinkOwner = nullptr;

struct TRowHandlers {
  void Click(TObject* Sender) {
    auto* item = dynamic_cast<TdxBarItem*>(Sender);
    TdxBarItemLink* link = CustLink;
    if (!item || !link) return;
    switch (item->Tag()) {
      case rReset: link->SetUserDefine(TdxBarUserDefines{}); break;
      case rDelete: TObject::Free(link); break;
      case rDefaultStyle:
      case rTextOnly:
      case rTextInMenus:
      case rImageAndText: link->SetUserPaintStyle(TdxBarPaintStyle(item->Tag() - rDefaultStyle)); break;
      case rBeginGroup: link->SetBeginGroup(!link->BeginGroup()); break;
      case rVisible: link->SetVisible(!link->Visible()); break;
      case rMostRecentlyUsed: link->SetMostRecentlyUsed(!link->MostRecentlyUsed()); break;
    }
  }
  void NameChange(TObject* Sender) {
    auto* edit = dynamic_cast<TdxBarEdit*>(Sender);
    TdxBarItemLink* link = CustLink;
    if (!edit || !link) return;
    std::string text = edit->StoredText();
    if (!text.empty()) {
      if (text != link->Caption()) link->SetUserCaption(text);
      return;
    }
    if (OpenPopup) OpenPopup->CloseMenu();
    Application->MessageBox(dxBarResStr(dxSBAR_COMMANDNAMECANNOTBEBLANK), Application->Title(), MB_OK | MB_ICONERROR);
  }
} RowHandlers;

}  // namespace

TdxBarCustomizingPopup::TdxBarCustomizingPopup(TdxBarManager* ABarManager) : TdxBarSubMenuControl(ABarManager) {
  OwnLinks(this, ABarManager);
  AllowAnimation = false;
}

TdxBarCustomizingPopup::~TdxBarCustomizingPopup() {
  if (OpenPopup == this) OpenPopup = nullptr;
  if (CustLinkOwner == this) CustLink = nullptr, CustLinkOwner = nullptr;
  FreeOwnLinks(this);
}

TdxBarCustomizingPopup* TdxBarCustomizingPopup::Current() { return OpenPopup; }
TdxBarItemLink* TdxBarCustomizingPopup::CustomizingLink() { return CustLink; }

void TdxBarCustomizingPopup::LinkFreed(TdxBarItemLink* ALink) {
  if (!ALink || ALink != CustLink) return;
  CustLink = nullptr;
  if (OpenPopup && !OpenPopup->Closing()) OpenPopup->CloseMenu();
}

void TdxBarCustomizingPopup::DestroyWnd() {
  // The link's own window drops the selection the popup was about.
  if (CustLinkOwner == this && CustLink)
    if (TCustomdxBarControl* bc = CustLink->BarControl();
        bc && IsBarControl(bc) && CustLink->Control() && bc->SelectedControl() == CustLink->Control())
      bc->SetSelectedItem(nullptr);
  if (OpenPopup == this) OpenPopup = nullptr;
  TdxBarSubMenuControl::DestroyWnd();
}

TdxBarCustomizingPopup* TdxBarCustomizingPopup::ShowFor(TdxBarItemLink* ALink, POINT P) {
  TdxBarManager* m = ALink ? ALink->BarManager() : nullptr;
  if (!m) return nullptr;
  if (OpenPopup && !OpenPopup->Closing()) OpenPopup->CloseMenu();
  dxBarFreeIdlePopupItems();
  auto* w = new TdxBarCustomizingPopup(m);
  TdxBarItemLinks* links = w->ItemLinks();
  TNotifyEvent click(&RowHandlers, &TRowHandlers::Click);
  auto button = [&](TRow Row, bool Checked, bool Group = false) {
    auto* b = NewPopupItem<TdxBarButton>(m, dxBarResStr(dxSBAR_CP_RESET + Row));
    b->SetTag(Row);
    if (Checked) b->SetButtonStyle(bsChecked);
    b->OnClick = click;
    AddLink(links, b, Group);
    return b;
  };
  button(rReset, false);
  button(rDelete, false);
  auto* name = NewPopupItem<TdxBarEdit>(m, dxBarResStr(dxSBAR_CP_RESET + rName));
  name->SetTag(rName);
  name->SetText(ALink->Caption());
  name->OnChange = TNotifyEvent(&RowHandlers, &TRowHandlers::NameChange);
  AddLink(links, name, true);
  auto* item = dynamic_cast<TdxBarButton*>(ALink->Item());
  bool styles = item && item->CanSetPaintStyle();
  TdxBarPaintStyle current = styles ? ALink->PaintStyle() : psStandard;
  for (TRow r : {rDefaultStyle, rTextOnly, rTextInMenus, rImageAndText}) {
    TdxBarButton* b = button(r, true, r == rDefaultStyle);
    b->SetGroupIndex(-1000);
    b->SetDown(current == TdxBarPaintStyle(r - rDefaultStyle));
    b->SetEnabled(styles);
  }
  TdxBarButton* group = button(rBeginGroup, true, true);
  group->SetDown(ALink->BeginGroup());
  group->SetEnabled(ALink->Index() > 0);
  TdxBarButton* visible = button(rVisible, true);
  visible->SetDown(ALink->Visible());
  TdxBarButton* recent = button(rMostRecentlyUsed, true);
  recent->SetDown(ALink->MostRecentlyUsed());
  // Showing links or usage is the designer's business.
  if (!m->Designing()) visible->SetVisible(ivNever);
  if (!m->Designing() || m->Style() != bmsEnhanced) recent->SetVisible(ivNever);
  m->DoShowCustomizingPopup(links);
  OpenPopup = w;
  CustLink = ALink;
  CustLinkOwner = w;
  ShowPopupAt(w, P);
  return IsBarControl(w) ? w : nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Quick customization: the check rows

namespace {

TdxBarQuickControl* Quick = nullptr;
UINT_PTR QuickTimer = 0;

// The check square at a row's left, as tall as the row.
RECT CheckSquare(RECT R) { return RECT{R.left, R.top, R.left + (R.bottom - R.top), R.bottom}; }

void DrawCheck(HDC DC, RECT Sq, bool Checked) {
  FillRect(DC, &Sq, GetSysColorBrush(COLOR_BTNFACE));
  if (!Checked) return;
  RECT in = Sq;
  InflateRect(&in, -2, -2);
  FillRect(DC, &in, dxCheckerBrush());
  DrawEdge(DC, &in, BDR_SUNKENOUTER, BF_RECT);
  // A tick of three strokes, centred.
  int x = (in.left + in.right) / 2 - 3, y = (in.top + in.bottom) / 2 - 1;
  TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT)));
  TSelectObject sel(DC, pen.Handle);
  for (int k = 0; k < 3; ++k) {
    MoveToEx(DC, x, y + k, nullptr);
    LineTo(DC, x + 2, y + 2 + k);
    LineTo(DC, x + 7, y - 3 + k);
  }
}

bool HoldsLink(TdxBar* Bar, TdxBarItemLink* Link) {
  if (!Bar || !Link) return false;
  for (int i = 0; i < Bar->ItemLinks()->Count(); ++i)
    if (Bar->ItemLinks()->Items(i) == Link) return true;
  return false;
}

}  // namespace

void dxBarRegisterQuickCustItems() {
  // The links of these menus and of the quick customization's bar are no part of the stored layout.
  dxBarSetTemporaryLinksOwnerTest(IsTemporaryOwner);
  dxBarRegisterItem(TdxBarQuickCustItem::StaticClass(), &dxMakeItemControl<TdxBarQuickCustItemControl>, false);
  dxBarRegisterItem(TdxBarQuickCustExtButton::StaticClass(), &dxMakeItemControl<TdxBarQuickCustExtButtonControl>,
                    false);
}

// A row only reaches its link while the quick control of that link's bar is open and the link stands.
TdxBarItemLink* TdxBarQuickCustItem::ToolbarLink() const {
  if (!Quick || !IsBarControl(Quick->Toolbar()) || Quick->Toolbar()->Bar() != FBar) return nullptr;
  return HoldsLink(FBar, FToolbarLink) ? FToolbarLink : nullptr;
}

void TdxBarQuickCustItem::SetToolbarLink(TdxBar* ABar, TdxBarItemLink* ALink) {
  FBar = ABar;
  FToolbarLink = ALink;
  TdxBarItem* item = ALink ? ALink->Item() : nullptr;
  if (!item) return;
  SetCaption(ALink->Caption());
  if (TBitmap* g = ALink->Glyph()) SetGlyph(g);
  SetImageIndex(item->ImageIndex());
  SetHint(item->Hint());
  SetShortCut(item->ShortCut());
}

void TdxBarQuickCustItem::Click() {
  TdxBarItemLink* l = ToolbarLink();
  if (!l) return;
  l->SetVisible(!l->Visible());
  for (int i = 0; i < LinkCount(); ++i)
    if (TdxBarItemControl* c = Links(i)->Control()) c->Repaint();
}

int TdxBarQuickCustItemControl::GetWidth() { return TdxBarButtonControl::GetWidth() + GetHeight(); }

void TdxBarQuickCustItemControl::Paint(HDC DC, RECT R, int State) {
  RECT sq = CheckSquare(R);
  auto* row = dynamic_cast<TdxBarQuickCustItem*>(Item());
  TdxBarItemLink* l = row ? row->ToolbarLink() : nullptr;
  DrawCheck(DC, sq, l && l->Visible());
  R.left = sq.right;
  TdxBarButtonControl::Paint(DC, R, State);
}

int TdxBarQuickCustExtButtonControl::GetWidth() { return TdxBarButtonControl::GetWidth() + GetHeight(); }

void TdxBarQuickCustExtButtonControl::Paint(HDC DC, RECT R, int State) {
  RECT sq = CheckSquare(R);
  FillRect(DC, &sq, GetSysColorBrush(IsSelected() ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
  R.left = sq.right;
  TdxBarButtonControl::Paint(DC, R, State);
}

// ---------------------------------------------------------------------------------------------------
// Quick customization: the window

namespace {

void StopQuickTimer() {
  if (QuickTimer) KillTimer(nullptr, QuickTimer);
  QuickTimer = 0;
}

// While the popup is open: a selection on another toolbar closes it.
void CALLBACK QuickTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  try {
    TdxBarQuickControl* q = Quick;
    if (!q) {
      StopQuickTimer();
      return;
    }
    TdxBarManager* m = q->BarManager();
    TdxBarItemControl* sel = m ? m->SelectedItem() : nullptr;
    TdxBarControl* root = sel ? GetItemControlRootToolbar(sel) : nullptr;
    if (root && root != q && IsBarControl(q->Toolbar())) q->Toolbar()->SetMarkState(0);
  } catch (...) {
    Application->HandleException(nullptr);
  }
}

// The hidden bar that holds the popup's links: in a collection of its own, so it is none of the
// manager's bars.
TdxBar* MakeHiddenBar(TdxBarControl* AToolbar) {
  auto* bars = new TdxBars(AToolbar->BarManager(), true);
  TdxBar* bar = bars->Add();
  bar->SetAllowClose(false);
  bar->SetAllowQuickCustomizing(false);
  bar->SetHidden(true);
  if (TdxBar* src = AToolbar->Bar()) {
    bar->SetFont(src->Font());
    bar->SetUseOwnFont(src->UseOwnFont());
  }
  return bar;
}

RECT ScreenMarkRect(TdxBarControl* T) {
  RECT m = T->MarkRect();
  POINT o{0, 0};
  if (T->DockingStyle() == dsNone) {
    RECT w;
    GetWindowRect(T->Handle(), &w);
    o = POINT{w.left, w.top};
  } else {
    o = T->ClientToScreen(o);
  }
  OffsetRect(&m, o.x, o.y);
  return m;
}

}  // namespace

TdxBarQuickControl::TdxBarQuickControl(TdxBarControl* AToolbar, RECT MarkRect)
    : TdxBarControl(AToolbar->BarManager(), MakeHiddenBar(AToolbar)), FToolbar(AToolbar) {
  FHiddenBar = Bar();
  FHiddenBars = FHiddenBar->Bars();
  Quick = this;
  TdxBarManager* m = FBarManager;
  TdxBarItemLinks* links = FHiddenBar->ItemLinks();
  SetItemLinks(links);
  links->SetBarControl(this);
  // The toolbar's links that got no place there.
  if (TdxBarItemLinks* src = AToolbar->ItemLinks())
    for (int i = 0; i < src->VisibleCount(); ++i) {
      TdxBarItemLink* l = src->VisibleItems(i);
      if (src->IndexOfShown(l) >= 0 && !(l->Control() && IsRectEmpty(&l->ItemRect))) continue;
      TdxBarItemLink* copy = links->Add();
      copy->Assign(l);
      copy->SetOriginalItemLink(l);
    }
  FAddRemove = NewPopupItem<TdxBarSubItem>(m, dxBarResStr(dxSBAR_ADDREMOVEBUTTONS));
  FAddRemove->SetEnabled(AToolbar->Bar() && AToolbar->Bar()->AllowQuickCustomizing());
  FAddRemove->OnPopup = Bind(this, &TdxBarQuickControl::FillAddRemove);
  // The manager frees its items before its windows: the popup hears of it.
  FAddRemove->FreeNotification(this);
  AddLink(links, FAddRemove, true);
  Perform(CM_FONTCHANGED, 0, 0);
  Place(MarkRect);
}

void TdxBarQuickControl::BeforeDestruction() {
  FClosing = true;
  if (Quick == this) Quick = nullptr;
  if (!Quick) StopQuickTimer();
  dxBarForgetFreeAfterMessage(this);
  TdxBarControl::BeforeDestruction();
  // The window goes while the hidden bar it shows still stands.
  if (HandleAllocated()) DestroyHandle();
}

TdxBarQuickControl::~TdxBarQuickControl() {
  SetItemLinks(nullptr);
  TObject::Free(FAddRemove);
  TObject::Free(FHiddenBars);
}

void TdxBarQuickControl::Notification(TComponent* AComponent, TOperation Operation) {
  TdxBarControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FAddRemove) FAddRemove = nullptr;
}

TdxBarQuickControl* TdxBarQuickControl::Instance() { return Quick; }

void TdxBarQuickControl::Open(TdxBarControl* AToolbar) {
  if (!AToolbar || !AToolbar->HandleAllocated() || !AToolbar->BarManager()) return;
  if (Quick && Quick->FToolbar == AToolbar) return;
  if (Quick) {
    if (IsBarControl(Quick->FToolbar))
      Quick->FToolbar->SetMarkState(0);
    else
      Quick->Close();
  }
  dxBarFreeIdlePopupItems();
  new TdxBarQuickControl(AToolbar, ScreenMarkRect(AToolbar));
}

void TdxBarQuickControl::CloseFor(TdxBarControl* AToolbar) {
  if (Quick && Quick->FToolbar == AToolbar) Quick->Close();
}

void TdxBarQuickControl::StartClosingTimer(TCustomdxBarControl* ASelecting) {
  if (!Quick || Quick->Active() || Quick == ASelecting) return;
  StopQuickTimer();
  QuickTimer = SetTimer(nullptr, 0, 200, QuickTimerProc);
}

void TdxBarQuickControl::MouseMessage(HWND AWnd, UINT AMsg, POINT AScreen) {
  TdxBarQuickControl* q = Quick;
  if (!q || q->FClosing || !((AMsg >= 0x201 && AMsg <= 0x20A) || (AMsg >= 0xA1 && AMsg <= 0xA9))) return;
  if (q->HandleAllocated() && AWnd == q->Handle()) return;
  // Its own menus (the rows of "Add or Remove") count as the popup.
  if (auto* w = dynamic_cast<TCustomdxBarControl*>(FindControl(AWnd)); w && IsBarControl(w) && GetRootBarControl(w) == q)
    return;
  TdxBarControl* t = q->FToolbar;
  if (!IsBarControl(t)) return;
  bool right = AMsg == WM_RBUTTONDOWN || AMsg == WM_NCRBUTTONDOWN;
  if (t->HandleAllocated() && AWnd == t->Handle() && !right) {
    RECT m = ScreenMarkRect(t);
    if (PtInRect(&m, AScreen)) return;
  }
  t->SetMarkState(0);
}

void TdxBarQuickControl::Close() {
  if (FClosing) return;
  FClosing = true;
  if (Quick == this) Quick = nullptr;
  StopQuickTimer();
  TdxBarControl::DeactivateChain();
  // Freed once the message that closed it has returned: it may be running this window's procedure.
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
  dxBarFreeAfterMessage(this);
}

RECT TdxBarQuickControl::FrameInsets(TdxBarDockingStyle) {
  int fw = dxBarFrameWidth(), fh = dxBarFrameHeight();
  return RECT{fw, fh, fw, fh};
}

void TdxBarQuickControl::CreateParams(TCreateParams& Params) {
  TdxBarControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  Params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
}

void TdxBarQuickControl::Place(RECT M) {
  // Room for the links that did not fit in one row, "Add or Remove" under them.
  int w = 0, first = true;
  for (int i = 0; i < FItemLinks->ShownCount(); ++i) {
    TdxBarItemLink* l = FItemLinks->ShownItems(i);
    if (!l->Control()) l->CreateControl();
    if (!l->Control() || l->Item() == FAddRemove) continue;
    w += l->Control()->GetWidth() + (!first && l->BeginGroup() ? 6 : 0);
    first = false;
  }
  if (TdxBarItemLink* l = FAddRemove && FAddRemove->LinkCount() ? FAddRemove->Links(0) : nullptr; l && l->Control())
    w = std::max(w, l->Control()->GetWidth());
  SIZE client = GetSizeForWidth(dsNone, w);
  RECT in = FrameInsets(dsNone);
  int width = client.cx + in.left + in.right, height = client.cy + in.top + in.bottom;
  RECT a = GetWorkArea(POINT{M.left, M.top});
  int x, y;
  if (IsVerticalToolbar(FToolbar)) {
    x = M.right;
    if (x + width > a.right) x = M.left - width;
    y = std::max<int>(M.top, a.top);
    if (y + height > a.bottom) y = a.bottom - height;
  } else {
    x = std::max<int>(a.left, std::min<int>(M.right, a.right) - width);
    y = M.bottom;
    if (y + height > a.bottom) y = M.top - height;
  }
  SetBounds(x, y, width, height);
  HandleNeeded();
  CalcLayout();
  SetWindowPos(Handle(), HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void TdxBarQuickControl::DeactivateChain() {
  bool menuMode = FBarManager && FBarManager->MenuModeBar() == this;
  TdxBarControl::DeactivateChain();
  if (FClosing || Quick != this || !IsBarControl(FToolbar)) return;
  if (menuMode && GetAsyncKeyState(VK_LBUTTON) < 0 && FToolbar->HandleAllocated()) {
    POINT p;
    GetCursorPos(&p);
    RECT m = ScreenMarkRect(FToolbar);
    if (PtInRect(&m, p)) FToolbar->SkipNextButton();
  }
  FToolbar->SetMarkState(0);
}

void TdxBarQuickControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST:
      TCustomdxBarControl::Dispatch(Message);
      if (Message.Result != HTCLIENT) Message.Result = HTBORDER;
      return;
    case WM_NCPAINT:
    case WM_NCACTIVATE: {
      if (Message.Msg == WM_NCACTIVATE) TCustomdxBarControl::Dispatch(Message);
      HDC dc = GetWindowDC(Handle());
      RECT w{0, 0, Width(), Height()};
      RECT in = FrameInsets(dsNone);
      ExcludeClipRect(dc, in.left, in.top, w.right - in.right, w.bottom - in.bottom);
      FillRect(dc, &w, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(dc, &w, EDGE_RAISED, BF_RECT);
      ReleaseDC(Handle(), dc);
      Message.Result = Message.Msg == WM_NCACTIVATE ? TRUE : 0;
      return;
    }
    case WM_RBUTTONDOWN:
      // No toolbar list and no customizing popup here.
      DefaultHandler(Message);
      return;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      // Its border is no caption: a press there leaves it open.
      DefaultHandler(Message);
      return;
    case WM_WINDOWPOSCHANGED:
      TdxBarControl::Dispatch(Message);
      if (auto* p = reinterpret_cast<WINDOWPOS*>(Message.LParam);
          p && (p->flags & SWP_HIDEWINDOW) && !FClosing && !Destroying() && Quick == this && IsBarControl(FToolbar))
        FToolbar->SetMarkState(0);
      return;
  }
  TdxBarControl::Dispatch(Message);
}

void TdxBarQuickControl::FillAddRemove(TObject*) {
  TdxBarManager* m = FBarManager;
  TdxBar* bar = IsBarControl(FToolbar) ? FToolbar->Bar() : nullptr;
  if (!FAddRemove) return;
  TdxBarItemLinks* links = FAddRemove->ItemLinks();
  while (links->Count() > 0) TObject::Free(links->Items(links->Count() - 1));
  if (!bar || !m) return;
  dxBarFreeIdlePopupItems();
  TdxBarItemLinks* src = bar->ItemLinks();
  for (int i = 0; i < src->Count(); ++i) {
    TdxBarItemLink* l = src->Items(i);
    if (!l->Item()) continue;
    auto* row = NewPopupItem<TdxBarQuickCustItem>(m, std::string());
    row->SetToolbarLink(bar, l);
    AddLink(links, row)->SetData(i);
  }
  // Only a bar of the form resource has a stored state to go back to.
  bool reset = m->AllowReset() && bar->LoadedMark() && bar->AllowReset();
  if (reset) {
    auto* r = NewPopupItem<TdxBarQuickCustExtButton>(m, dxBarResStr(dxSBAR_RESETTOOLBAR));
    r->OnClick = Bind(this, &TdxBarQuickControl::ResetClick);
    AddLink(links, r, true);
  }
  if (m->CanCustomize()) {
    auto* c = NewPopupItem<TdxBarButton>(m, dxBarResStr(dxSBAR_CUSTOMIZE));
    c->SetEnabled(!m->CustomizingFormExists());
    c->OnClick = Bind(this, &TdxBarQuickControl::CustomizeClick);
    AddLink(links, c, !reset);
  }
}

void TdxBarQuickControl::CustomizeClick(TObject*) {
  if (FBarManager) FBarManager->SetCustomizing(true);
}

void TdxBarQuickControl::ResetClick(TObject*) {
  if (IsBarControl(FToolbar) && FToolbar->Bar()) FToolbar->Bar()->Reset();
}
