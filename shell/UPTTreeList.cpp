#include "UPTTreeList.h"

#include "Controls.h"
#include "Forms.h"
#include "UPTShell95.h"

namespace {

POINT RectCentre(const RECT& R) { return POINT{(R.left + R.right) / 2, (R.top + R.bottom) / 2}; }

// Shows Menu for Control at the client point.
void PopupAt(TPopupMenu* Menu, TControl* Control, POINT Pt) {
  if (!Menu) return;
  Menu->SetPopupComponent(Control);
  POINT s = Control->ClientToScreen(Pt);
  Menu->Popup(s.x, s.y);
}

bool IsContextKey(uint16_t Key, TShiftState Shift) {
  return (Key == VK_APPS && Shift.Empty()) || (Key == VK_F10 && Shift == TShiftState{ssShift});
}

}  // namespace

// ---------------------------------------------------------------------------------------------------

TPTCustomDraw::TPTCustomDraw(TFont* ControlFont, NMCUSTOMDRAW* Record, LRESULT* Result, uint8_t NotifyRequest)
    : FControlFont(ControlFont), FNotifyRequest(NotifyRequest), FRecord(Record), FResult(Result) {
  FBrush = std::make_unique<TBrush>();
  FBrush->SetStyle(bsSolid);
  FBrush->SetColor(TColor(GetBkColor(Record->hdc)));
  FBrush->OnChange = TNotifyEvent(this, &TPTCustomDraw::BrushChanged);
  FFont = std::make_unique<TFont>();
  FFont->Assign(FControlFont);
  FFont->SetColor(TColor(GetTextColor(Record->hdc)));
  FFont->OnChange = TNotifyEvent(this, &TPTCustomDraw::FontChanged);
}

TPTCustomDraw::~TPTCustomDraw() = default;

TPTCustomDraw::TStage TPTCustomDraw::Stage() const {
  switch (FRecord->dwDrawStage) {
    case CDDS_PREPAINT: return stPrePaint;
    case CDDS_POSTPAINT: return stPostPaint;
    case CDDS_ITEMPREPAINT: return stItemPrePaint;
    case CDDS_ITEMPOSTPAINT: return stItemPostPaint;
  }
  return stNone;
}

void TPTCustomDraw::ApplyCommon(COLORREF& TextColor, COLORREF& TextBkColor) {
  *FResult = 0;
  switch (Stage()) {
    case stPrePaint:
      *FResult = FNotifyRequest ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
      return;
    case stItemPrePaint:
      if (SkipDefault) {
        *FResult = CDRF_SKIPDEFAULT;
        return;
      }
      if (FFontChanged) {
        HFONT font = FFont->Handle();
        if (GetCurrentObject(FRecord->hdc, OBJ_FONT) != font) SelectObject(FRecord->hdc, font);
        *FResult |= CDRF_NEWFONT;
        TextColor = ColorToRGB(FFont->Color());
      }
      if (FBrushChanged) TextBkColor = ColorToRGB(FBrush->Color());
      return;
    default:
      return;
  }
}

void TPTTvCustomDraw::Apply() {
  auto* r = reinterpret_cast<NMTVCUSTOMDRAW*>(Record());
  ApplyCommon(r->clrText, r->clrTextBk);
}

void TPTLvCustomDraw::Apply() {
  auto* r = reinterpret_cast<NMLVCUSTOMDRAW*>(Record());
  ApplyCommon(r->clrText, r->clrTextBk);
}

// ---------------------------------------------------------------------------------------------------

TPTCustomTreeView::TPTCustomTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}

void TPTCustomTreeView::CreateParams(TCreateParams& Params) {
  TCustomTreeView::CreateParams(Params);
  // Older common controls draw their own tool tips over the names: off there.
  if (IsWinNT() && ComCtl32Version().MS < 0x40048) Params.Style |= TVS_NOTOOLTIPS;
}

TPTCustomDraw* TPTCustomTreeView::CustomDrawItem(NMTVCUSTOMDRAW* Record, LRESULT* Result) {
  NMCUSTOMDRAW& nm = Record->nmcd;
  bool itemStage = (nm.dwDrawStage & CDDS_ITEM) != 0;
  std::unique_ptr<TPTCustomDraw> context;
  TTreeNode* node = nullptr;
  auto make = [&] {
    if (context) return;
    context = std::make_unique<TPTTvCustomDraw>(Font(), &nm, Result, 1);
    if (itemStage) node = Items()->GetNode(reinterpret_cast<HTREEITEM>(nm.dwItemSpec));
  };
  if (OnItemPaint) {
    make();
    OnItemPaint(this, context.get(), node);
  }
  if (OnItemPrePaint && nm.dwDrawStage == CDDS_ITEMPREPAINT) {
    make();
    OnItemPrePaint(this, context.get(), node);
  }
  // No handler, no context: the notification is answered without one.
  if (context) context->Apply();
  else *Result = CDRF_DODEFAULT;
  if ((nm.dwDrawStage & CDDS_PREPAINT) && (OnItemPaint || OnItemPrePaint)) *Result |= CDRF_NOTIFYITEMDRAW;
  // A selection kept without the focus is drawn in a colour of its own: the common control's pale
  // button face hardly shows on the tree's white.
  if (!HideSelection() && HandleAllocated() && GetFocus() != Handle()) {
    if (nm.dwDrawStage == CDDS_PREPAINT) {
      *Result |= CDRF_NOTIFYITEMDRAW;
    } else if (nm.dwDrawStage == CDDS_ITEMPREPAINT &&
               HTREEITEM(nm.dwItemSpec) == HTREEITEM(SendMessageA(Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0)) &&
               !HTREEITEM(SendMessageA(Handle(), TVM_GETNEXTITEM, TVGN_DROPHILITE, 0))) {
      Record->clrTextBk = GetSysColor(COLOR_BTNSHADOW);
      Record->clrText = GetSysColor(COLOR_WINDOWTEXT);
      *Result |= CDRF_NEWFONT;
    }
  }
  return context.release();
}

void TPTCustomTreeView::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (IsContextKey(Key, Shift)) {
    Key = 0;
    KeyboardContextMenu();
  }
  TCustomTreeView::KeyDown(Key, Shift);
}

void TPTCustomTreeView::KeyboardContextMenu() {
  if (TTreeNode* node = Selected()) {
    ContextMenuAt(node, RectCentre(node->DisplayRect(true)));
    return;
  }
  PopupAt(PopupMenu(), this, POINT{0, 0});
}

void TPTCustomTreeView::DoNodeContextMenu(TTreeNode* Node, POINT& Pt, TPopupMenu*& Menu) {
  if (OnNodeContextMenu) OnNodeContextMenu(this, Node, Pt, Menu);
}

void TPTCustomTreeView::ContextMenuAt(TTreeNode* Node, POINT Pt) {
  TPopupMenu* proposed = PopupMenu();
  TPopupMenu* menu = proposed;
  TLiveGuard g(this);
  DoNodeContextMenu(Node, Pt, menu);
  if (!g) return;
  if (menu != proposed) FMenuShown = true;
  PopupAt(menu, this, Pt);
}

void TPTCustomTreeView::Dispatch(TMessage& Message) {
  bool designing = ComponentState().Contains(csDesigning);
  switch (Message.Msg) {
    case CN_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
      if (hdr->code == NM_CUSTOMDRAW) {
        if (designing) return;
        if (IsCustomDrawn(false)) break;   // the class library's own custom-draw events
        LRESULT result = CDRF_DODEFAULT;
        std::unique_ptr<TPTCustomDraw> context(CustomDrawItem(reinterpret_cast<NMTVCUSTOMDRAW*>(Message.LParam), &result));
        Message.Result = result;
        return;
      }
      if (hdr->code == NM_RCLICK && !designing) {
        TLiveGuard g(this);
        TCustomTreeView::Dispatch(Message);
        if (!g) return;
        POINT p;
        GetCursorPos(&p);
        p = ScreenToClient(p);
        if (TTreeNode* node = GetNodeAt(p.x, p.y)) {
          ContextMenuAt(node, p);
          if (!g) return;
          FMenuShown = true;
          Message.Result = 1;
        }
        return;
      }
      break;
    }
    case WM_CONTEXTMENU:
      if (!designing && !FMenuShown && !Selected()) {
        auto& m = MessageAs<TWMContextMenu>(Message);
        if (m.XPos() == -1 && m.YPos() == -1) KeyboardContextMenu();
        else ContextMenuAt(nullptr, ScreenToClient(POINT{m.XPos(), m.YPos()}));
        Message.Result = 1;
        return;
      }
      break;
    case WM_RBUTTONUP:
      if (FMenuShown && PopupMenu()) {
        TPopupMenu* menu = PopupMenu();
        bool autoPopup = menu->AutoPopup();
        menu->SetAutoPopup(false);
        TCustomTreeView::Dispatch(Message);
        menu->SetAutoPopup(autoPopup);
        FMenuShown = false;
        return;
      }
      FMenuShown = false;
      break;
    case WM_SYSCOLORCHANGE:
      TCustomTreeView::Dispatch(Message);
      if (Color() < 0) Perform(CM_COLORCHANGED, 0, 0);
      return;
  }
  TCustomTreeView::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------

TPTCustomListView::TPTCustomListView(TComponent* AOwner) : TCustomListView(AOwner) {
  FHeaderCanvas = std::make_unique<TCanvas>();
}

TPTCustomListView::~TPTCustomListView() = default;

HWND TPTCustomListView::HeaderHandle() { return HandleAllocated() ? ListView_GetHeader(Handle()) : nullptr; }

TPTCustomDraw* TPTCustomListView::CustomDrawItem(NMLVCUSTOMDRAW* Record, LRESULT* Result) {
  NMCUSTOMDRAW& nm = Record->nmcd;
  bool itemStage = (nm.dwDrawStage & CDDS_ITEM) != 0;
  std::unique_ptr<TPTCustomDraw> context;
  TListItem* item = nullptr;
  auto make = [&] {
    if (context) return;
    context = std::make_unique<TPTLvCustomDraw>(Font(), &nm, Result, 0);
    if (itemStage) item = ItemOfIndex(int(nm.dwItemSpec));
  };
  if (OnItemPaint) {
    make();
    OnItemPaint(this, context.get(), item);
  }
  if (OnItemPrePaint && nm.dwDrawStage == CDDS_ITEMPREPAINT) {
    make();
    OnItemPrePaint(this, context.get(), item);
  }
  if (context) context->Apply();
  else *Result = CDRF_DODEFAULT;
  if (nm.dwDrawStage & CDDS_PREPAINT) *Result |= CDRF_NOTIFYITEMDRAW;
  return context.release();
}

void TPTCustomListView::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (IsContextKey(Key, Shift)) {
    Key = 0;
    KeyboardContextMenu();
  }
  TCustomListView::KeyDown(Key, Shift);
}

void TPTCustomListView::ItemMenuFromSelection(POINT Fallback) {
  TListItem* sel = Selected();
  TListItem* focused = ItemFocused();
  if (!sel) {
    PopupAt(PopupMenu(), this, Fallback);
    return;
  }
  TListItem* at = sel;
  if (focused && focused != sel && !focused->Selected()) at = focused;
  else if (focused && focused->Selected()) at = focused;
  ItemContextMenuAt(at, RectCentre(at->DisplayRect(drIcon)));
}

void TPTCustomListView::KeyboardContextMenu() { ItemMenuFromSelection(POINT{0, 0}); }

void TPTCustomListView::ItemContextMenuAt(TListItem* Item, POINT Pt) {
  TPopupMenu* menu = PopupMenu();
  TLiveGuard g(this);
  if (OnItemContextMenu) OnItemContextMenu(this, Item, Pt, menu);
  if (!g) return;
  FMenuShown = true;
  PopupAt(menu, this, Pt);
}

void TPTCustomListView::SetSortColumn(int Value) {
  if (Value == FSortColumn) return;
  int old = FSortColumn;
  FSortColumn = Value;
  InvalidateHeaderColumn(old);
  InvalidateHeaderColumn(Value);
}

void TPTCustomListView::SetSortDirection(uint8_t Value) {
  if (Value == FSortDirection) return;
  FSortDirection = Value;
  InvalidateHeaderColumn(FSortColumn);
}

void TPTCustomListView::SetArrowPlacement(TArrowPlacement Value) {
  if (Value == FArrowPlacement) return;
  FArrowPlacement = Value;
  UpdateHeader();
}

void TPTCustomListView::SetHeaderDrawing(bool Value) {
  if (Value == FHeaderDrawing) return;
  FHeaderDrawing = Value;
  if (HWND h = HeaderHandle()) InvalidateRect(h, nullptr, TRUE);
}

void TPTCustomListView::InvalidateHeaderColumn(int Column) {
  HWND h = HeaderHandle();
  if (!h || Column < 0) return;
  RECT r;
  if (Header_GetItemRect(h, Column, &r)) InvalidateRect(h, &r, TRUE);
}

void TPTCustomListView::UpdateHeader() {
  HWND h = HeaderHandle();
  if (!h || FHeaderUpdating > 0) return;
  ++FHeaderUpdating;
  for (int i = Header_GetItemCount(h) - 1; i >= 0; --i) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    if (!SendMessageA(h, HDM_GETITEMA, WPARAM(i), LPARAM(&item))) continue;
    int fmt = (item.fmt & HDF_JUSTIFYMASK) | (FArrowPlacement != apNone ? HDF_OWNERDRAW : HDF_STRING);
    if (fmt != item.fmt) {
      item.fmt = fmt;
      SendMessageA(h, HDM_SETITEMA, WPARAM(i), LPARAM(&item));
    }
  }
  --FHeaderUpdating;
  InvalidateRect(h, nullptr, TRUE);
}

void TPTCustomListView::CreateWnd() {
  TCustomListView::CreateWnd();
  SetListColors();
  UpdateHeader();
}

void TPTCustomListView::SetListColors() {
  COLORREF c = ColorToRGB(Color());
  SendMessageA(Handle(), LVM_SETBKCOLOR, 0, LPARAM(c));
  SendMessageA(Handle(), LVM_SETTEXTBKCOLOR, 0, LPARAM(c));
}

void TPTCustomListView::DrawHeaderItem(DRAWITEMSTRUCT* Item) {
  HDC dc = Item->hDC;
  int saved = SaveDC(dc);
  TCanvas* c = FHeaderCanvas.get();
  c->SetHandle(dc);
  c->Font()->Assign(Font());
  c->Brush()->SetColor(clBtnFace);
  c->Brush()->SetStyle(bsSolid);
  if (FHeaderDrawing) {
    RECT box;
    bool arrow = DrawHeaderCaption(Item, box);
    int width = Item->rcItem.right - Item->rcItem.left;
    if (arrow && width > 2 * (box.right - box.left)) DrawSortArrow(dc, box);
  }
  c->SetHandle(nullptr);
  RestoreDC(dc, saved);
}

// The column's caption, made room for the sort arrow where it goes; Box is the arrow's square. True when
// the column shows an arrow.
bool TPTCustomListView::DrawHeaderCaption(DRAWITEMSTRUCT* Item, RECT& Box) {
  int column = int(Item->itemID);
  HDC dc = Item->hDC;
  TCanvas* c = FHeaderCanvas.get();
  RECT r = Item->rcItem;
  InflateRect(&r, -2, -2);
  c->FillRect(r);
  std::string caption;
  TAlignment align = taLeftJustify;
  if (column >= 0 && column < Columns()->Count()) {
    caption = Column(column)->Caption();
    align = Column(column)->Alignment();
  }
  UINT flags = DT_SINGLELINE | DT_END_ELLIPSIS | DT_VCENTER |
               (align == taRightJustify ? DT_RIGHT : align == taCenter ? DT_CENTER : DT_LEFT);
  RECT text = Item->rcItem;
  text.left += 4;
  text.right -= 4;
  bool sorted = column == FSortColumn;
  TArrowPlacement placement = FArrowPlacement;
  if (placement == apAfterCaption && align == taRightJustify) placement = apRightEdge;
  // The arrow box beside the caption rectangle.
  int s = (text.top + text.bottom) / 2 - 1;
  Box = RECT{text.left, 0, text.left + s + 1, 0};
  Box.top = (text.top + text.bottom - s) / 2 - 1;
  Box.bottom = Box.top + s;
  bool arrow = sorted;
  if (sorted && placement == apBeforeCaption) {
    if (text.right - text.left > 15) text.left = Box.right + 5;
    else arrow = false;
  } else if (sorted && placement == apRightEdge) {
    int move = (text.right - text.left) - (Box.right - Box.left) - 5;
    OffsetRect(&Box, move, 0);
    text.right = Box.left - 4;
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  TSelectObject font(dc, c->Font()->Handle());
  DrawTextA(dc, caption.c_str(), int(caption.size()), &text, flags);
  if (sorted && placement == apAfterCaption) {
    RECT measure = text;
    DrawTextA(dc, caption.c_str(), int(caption.size()), &measure, flags | DT_CALCRECT);
    int end = std::min(measure.right, text.right);
    OffsetRect(&Box, end + 5 - Box.left, 0);
  }
  return arrow && placement != apNone;
}

// The sort arrow in Box: pointing up for sort direction 1, down for 0.
void TPTCustomListView::DrawSortArrow(HDC DC, RECT Box) {
  int h = (Box.bottom - Box.top - 1) | 1;
  int w = h + 1;
  int L = Box.left, T = Box.top;
  RECT area{L, T, L + w, T + h};
  FHeaderCanvas->FillRect(area);
  TGdiObject<HPEN> shadow(CreatePen(PS_SOLID, 1, ColorToRGB(clBtnShadow)));
  TGdiObject<HPEN> light(CreatePen(PS_SOLID, 1, ColorToRGB(clBtnHighlight)));
  TSelectObject pen(DC, shadow.Handle);
  if (FSortDirection == 1) {
    MoveToEx(DC, L + w / 2 - 1, T, nullptr);
    LineTo(DC, L, T + h - 1);
    SelectObject(DC, light.Handle);
    LineTo(DC, L + w - 1, T + h - 1);
    LineTo(DC, L + w / 2 - 1, T);
  } else {
    MoveToEx(DC, L + (w - 1) / 2, T + h - 1, nullptr);
    LineTo(DC, L, T);
    LineTo(DC, L + w - 1, T);
    SelectObject(DC, light.Handle);
    MoveToEx(DC, L + (w - 1) / 2 + 1, T + h - 1, nullptr);
    LineTo(DC, L + w, T - 1);
  }
}

void TPTCustomListView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_DRAWITEM:        WMDrawItem(Message); return;
    case WM_NOTIFY:          WMNotify(MessageAs<TWMNotify>(Message)); return;
    case WM_PTUPDATEHEADER:  UpdateHeader(); return;
    case WM_PARENTNOTIFY:    TCustomListView::Dispatch(Message); UpdateHeader(); return;
    case CN_NOTIFY:          CNNotify(MessageAs<TWMNotify>(Message)); return;
    case WM_CONTEXTMENU:     WMContextMenu(MessageAs<TWMContextMenu>(Message)); return;
    case WM_RBUTTONUP:       WMRButtonUp(Message); return;
    case CM_COLORCHANGED:    CMColorChanged(Message); return;
    case WM_SYSCOLORCHANGE:  WMSysColorChange(Message); return;
  }
  TCustomListView::Dispatch(Message);
}

void TPTCustomListView::WMDrawItem(TMessage& Message) {
  auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (di->CtlType != ODT_HEADER || di->hwndItem != HeaderHandle()) {
    TCustomListView::Dispatch(Message);
    return;
  }
  DrawHeaderItem(di);
  Message.Result = TRUE;
}

// The header's notifications: a click repaints it, a new width or order brings it up to date later.
void TPTCustomListView::WMNotify(TWMNotify& Message) {
  NMHDR* hdr = Message.NMHdr();
  bool fromHeader = hdr->hwndFrom == HeaderHandle() && HeaderHandle();
  TCustomListView::Dispatch(Message);
  if (!fromHeader) return;
  switch (hdr->code) {
    case HDN_ITEMCLICKA:
    case HDN_ITEMCLICKW:
      InvalidateRect(hdr->hwndFrom, nullptr, TRUE);
      break;
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW:
    case HDN_ITEMCHANGEDA:
    case HDN_ITEMCHANGEDW:
      PostMessageA(Handle(), WM_PTUPDATEHEADER, 0, 0);
      break;
  }
}

void TPTCustomListView::CNNotify(TWMNotify& Message) {
  bool designing = ComponentState().Contains(csDesigning);
  NMHDR* hdr = Message.NMHdr();
  if (hdr->code == NM_CUSTOMDRAW) {
    if (designing) return;
    if (!IsCustomDrawn(false)) {
      LRESULT result = CDRF_DODEFAULT;
      std::unique_ptr<TPTCustomDraw> context(CustomDrawItem(reinterpret_cast<NMLVCUSTOMDRAW*>(Message.LParam), &result));
      Message.Result = result;
      return;
    }
  } else if (hdr->code == NM_RCLICK && !designing) {
    POINT p;
    GetCursorPos(&p);
    ItemMenuFromSelection(ScreenToClient(p));
    FMenuShown = true;
    Message.Result = 1;
    return;
  } else if (hdr->code == LVN_BEGINDRAG || hdr->code == LVN_BEGINRDRAG) {
    FDragStarted = true;
  }
  TCustomListView::Dispatch(Message);
}

void TPTCustomListView::WMContextMenu(TWMContextMenu& Message) {
  if (ComponentState().Contains(csDesigning) || FMenuShown || !Selected()) {
    TCustomListView::Dispatch(Message);
    return;
  }
  if (Message.XPos() == -1 && Message.YPos() == -1) KeyboardContextMenu();
  else ItemContextMenuAt(Selected(), ScreenToClient(POINT{Message.XPos(), Message.YPos()}));
  Message.Result = 1;
}

// After the item menu the button's release must not bring up the control's own menu as well.
void TPTCustomListView::WMRButtonUp(TMessage& Message) {
  if (FMenuShown && PopupMenuComponent()) {
    TComponent* menu = PopupMenuComponent();
    SetPopupMenu(nullptr);
    TCustomListView::Dispatch(Message);
    SetPopupMenu(menu);
    FMenuShown = false;
    return;
  }
  FMenuShown = false;
  TCustomListView::Dispatch(Message);
}

void TPTCustomListView::CMColorChanged(TMessage& Message) {
  TCustomListView::Dispatch(Message);
  if (HandleAllocated()) SetListColors();
}

void TPTCustomListView::WMSysColorChange(TMessage& Message) {
  TCustomListView::Dispatch(Message);
  if (Color() < 0) Perform(CM_COLORCHANGED, 0, 0);
}

void UPTTreeListInitialize() {
  RegisterClass(TPTCustomTreeView::StaticClass());
  RegisterClass(TPTCustomListView::StaticClass());
}
