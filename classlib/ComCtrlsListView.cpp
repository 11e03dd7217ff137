// The list view: columns, items with sub-items, selection, sorting and custom drawing.
#include <algorithm>
#include <cstring>
#include <functional>

#include "ComCtrlsListView.h"
#include "Forms.h"

const TEnumInfo ViewStyleNames{"TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}};
static const TEnumInfo LVBorderStyleNames{"TBorderStyle", {"bsNone", "bsSingle"}};

// ---------------------------------------------------------------------------------------------------
// Columns

TListColumn::TListColumn(TCollection* Collection) : TCollectionItem(Collection) {
  // Now that the fields exist the window can show the new column.
  Changed(true);
}

TCustomListView* TListColumn::ListView() const {
  auto* cols = dynamic_cast<TListColumns*>(Collection());
  return cols ? cols->Owner() : nullptr;
}

void TListColumn::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Changed(false);
}

int TListColumn::Width() {
  TCustomListView* lv = ListView();
  if (lv && lv->HandleAllocated() && lv->ViewStyle() == vsReport)
    FWidth = int(SendMessageA(lv->WindowHandle(), LVM_GETCOLUMNWIDTH, WPARAM(Index()), 0));
  return FWidth;
}

void TListColumn::SetWidth(int Value) {
  if (Value < LVSCW_AUTOSIZE_USEHEADER) Value = 0;
  // The width it has already: setting it again would cost the header a round of messages for nothing.
  if (Value >= 0 && Value == Width()) return;
  FWidth = Value;
  Changed(false);
}

void TListColumn::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Changed(false);
}

void TListColumn::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  Changed(false);
}

void TListColumn::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  Changed(false);
}

void TListColumn::Assign(TPersistent* Source) {
  if (auto* c = dynamic_cast<TListColumn*>(Source)) {
    FCaption = c->FCaption;
    FWidth = c->Width();
    FAlignment = c->FAlignment;
    FAutoSize = c->FAutoSize;
    FImageIndex = c->FImageIndex;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(Source);
}

void TListColumn::Publish(TPublisher<TListColumn>& p) {
  p.Enum("Alignment", AlignmentNames, &TListColumn::Alignment, &TListColumn::SetAlignment).Default(taLeftJustify);
  p.Bool("AutoSize", &TListColumn::AutoSize, &TListColumn::SetAutoSize).Default(0);
  p.Str("Caption", &TListColumn::Caption, &TListColumn::SetCaption);
  p.Int("ImageIndex", &TListColumn::ImageIndex, &TListColumn::SetImageIndex).Default(-1);
  p.Int("Width", &TListColumn::Width, &TListColumn::SetWidth).Default(50);
}

TListColumns::TListColumns(TCustomListView* AOwner) : TCollection(TListColumn::StaticClass()), FOwner(AOwner) {
  PropName = "Columns";
}

TPersistent* TListColumns::GetOwner() { return FOwner; }

void TListColumns::Update(TCollectionItem* Item) {
  if (Item)
    FOwner->UpdateColumn(Item->Index());
  else
    FOwner->UpdateColumns();
}

// ---------------------------------------------------------------------------------------------------
// Items

TListItem::TListItem(TListItems* AOwner) : FOwner(AOwner) {
  FSubItems = new TStringList();
  FSubItems->OnChange = TNotifyEvent(this, &TListItem::SubItemsChanged);
}

TListItem::~TListItem() { delete FSubItems; }

TCustomListView* TListItem::ListView() const { return FOwner ? FOwner->Owner() : nullptr; }

int TListItem::Index() const { return FOwner ? FOwner->IndexOf(this) : -1; }

void TListItem::SubItemsChanged(TObject*) {
  if (TCustomListView* lv = ListView()) lv->UpdateItem(this);
}

void TListItem::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  TCustomListView* lv = ListView();
  if (!lv) return;
  if ((lv->SortType() == stText || lv->SortType() == stBoth) && !lv->ComponentState().Contains(csLoading)) {
    if (FOwner->FUpdateCount > 0)
      lv->FSortPending = true;
    else
      lv->AlphaSort();
  }
  lv->UpdateItem(this);
}

void TListItem::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  TCustomListView* lv = ListView();
  // An item not yet in the list goes into the window with its image.
  const int index = lv && lv->HandleAllocated() ? Index() : -1;
  if (index >= 0) {
    LVITEMA it{};
    it.mask = LVIF_IMAGE;
    it.iItem = index;
    it.iImage = Value;
    SendMessageA(lv->WindowHandle(), LVM_SETITEMA, 0, LPARAM(&it));
  }
}

bool TListItem::Selected() const {
  TCustomListView* lv = ListView();
  if (lv && lv->HandleAllocated())
    return (SendMessageA(lv->WindowHandle(), LVM_GETITEMSTATE, WPARAM(Index()), LVIS_SELECTED) & LVIS_SELECTED) != 0;
  return FSelected;
}

namespace {
void SetState(TCustomListView* lv, int index, UINT state, UINT mask) {
  LVITEMA it{};
  it.stateMask = mask;
  it.state = state;
  SendMessageA(lv->WindowHandle(), LVM_SETITEMSTATE, WPARAM(index), LPARAM(&it));
}
}  // namespace

void TListItem::SetSelected(bool Value) {
  TCustomListView* lv = ListView();
  if (lv && lv->HandleAllocated()) {
    SetState(lv, Index(), Value ? LVIS_SELECTED : 0, LVIS_SELECTED);
    return;
  }
  if (Value && lv && !lv->MultiSelect())
    for (auto* i : FOwner->FItems) i->FSelected = false;
  FSelected = Value;
}

bool TListItem::Focused() const {
  TCustomListView* lv = ListView();
  if (lv && lv->HandleAllocated())
    return (SendMessageA(lv->WindowHandle(), LVM_GETITEMSTATE, WPARAM(Index()), LVIS_FOCUSED) & LVIS_FOCUSED) != 0;
  return FFocused;
}

void TListItem::SetFocused(bool Value) {
  TCustomListView* lv = ListView();
  if (lv && lv->HandleAllocated()) {
    SetState(lv, Index(), Value ? LVIS_FOCUSED : 0, LVIS_FOCUSED);
    return;
  }
  if (Value && FOwner)
    for (auto* i : FOwner->FItems) i->FFocused = false;
  FFocused = Value;
}

void TListItem::SetCut(bool Value) {
  if (Value == FCut) return;
  FCut = Value;
  TCustomListView* lv = ListView();
  if (lv && lv->HandleAllocated()) SetState(lv, Index(), Value ? LVIS_CUT : 0, LVIS_CUT);
}

void TListItem::Delete() {
  if (FOwner) FOwner->Delete(Index());
}

void TListItem::MakeVisible(bool PartialOK) {
  TCustomListView* lv = ListView();
  if (lv && lv->HandleAllocated()) SendMessageA(lv->WindowHandle(), LVM_ENSUREVISIBLE, WPARAM(Index()), PartialOK);
}

RECT TListItem::DisplayRect(TDisplayCode Code) const {
  RECT r{};
  TCustomListView* lv = ListView();
  if (lv && lv->HandleAllocated()) {
    static const int codes[] = {LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS};
    r.left = codes[Code];
    SendMessageA(lv->WindowHandle(), LVM_GETITEMRECT, WPARAM(Index()), LPARAM(&r));
  }
  return r;
}

void TListItem::Update() {
  if (TCustomListView* lv = ListView()) lv->UpdateItem(this);
}

void TListItem::Assign(TPersistent* Source) {
  if (auto* i = dynamic_cast<TListItem*>(Source)) {
    SetCaption(i->FCaption);
    FData = i->FData;
    SetImageIndex(i->FImageIndex);
    FSubItems->Assign(i->FSubItems);
    return;
  }
  TPersistent::Assign(Source);
}

TListItems::~TListItems() {
  for (auto* i : FItems) {
    i->FOwner = nullptr;
    delete i;
  }
}

TListItem* TListItems::Item(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[size_t(Index)];
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int Index) { return AddItem(new TListItem(this), Index); }

TListItem* TListItems::AddItem(TListItem* Item, int Index) {
  if (Index < 0 || Index > Count()) Index = Count();
  Item->FOwner = this;
  FItems.insert(FItems.begin() + Index, Item);
  FOwner->WindowInsert(Item, Index);
  FOwner->InsertItem(Item);
  return Item;
}

void TListItems::Delete(int Index) {
  TListItem* item = Item(Index);
  FOwner->Delete(item);
  // The handler may have changed the list; find the item again.
  Index = IndexOf(item);
  if (Index < 0) return;
  HoldRedraw();
  if (FOwner->HandleAllocated()) SendMessageA(FOwner->WindowHandle(), LVM_DELETEITEM, WPARAM(Index), 0);
  FItems.erase(FItems.begin() + Index);
  item->FOwner = nullptr;
  delete item;
}

void TListItems::Clear() {
  if (FItems.empty()) return;
  TUpdateScope update(this);
  std::vector<TListItem*> old = FItems;
  for (auto* i : old) FOwner->Delete(i);
  HoldRedraw();
  if (FOwner->HandleAllocated()) SendMessageA(FOwner->WindowHandle(), LVM_DELETEALLITEMS, 0, 0);
  FItems.clear();
  for (auto* i : old) {
    i->FOwner = nullptr;
    delete i;
  }
}

void TListItems::Replace(int Index, const std::string& Caption, const std::vector<std::string>& SubItems,
                         int ImageIndex) {
  TListItem* item = Item(Index);
  TUpdateScope update(this);
  item->SetCaption(Caption);
  TStringList* sub = item->FSubItems;
  bool same = sub->Count() == int(SubItems.size());
  for (int i = 0; same && i < sub->Count(); ++i) same = sub->Strings(i) == SubItems[size_t(i)];
  if (!same) sub->AssignStrings(SubItems);
  if (ImageIndex == item->FImageIndex) return;
  item->FImageIndex = ImageIndex;
  if (!FOwner->HandleAllocated()) return;
  LVITEMA it{};
  it.mask = LVIF_IMAGE;
  it.iItem = Index;
  it.iImage = ImageIndex;
  // Straight to the window procedure, as an insert goes: a refill may change many rows' images.
  FOwner->Perform(LVM_SETITEMA, 0, LPARAM(&it));
}

int TListItems::IndexOf(const TListItem* Value) const {
  auto it = std::find(FItems.begin(), FItems.end(), Value);
  return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TListItems::BeginUpdate() { ++FUpdateCount; }

void TListItems::HoldRedraw() {
  if (FUpdateCount == 0 || FRedrawHeld || !FOwner->HandleAllocated()) return;
  SendMessageA(FOwner->WindowHandle(), WM_SETREDRAW, FALSE, 0);
  FRedrawHeld = true;
}

void TListItems::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (FUpdateCount == 1 && FOwner->FSortPending) HoldRedraw();
  if (--FUpdateCount > 0) return;
  if (FOwner->FSortPending) FOwner->AlphaSort();
  FOwner->SizeAutoColumns();
  const bool held = FRedrawHeld;
  FRedrawHeld = false;
  if (FOwner->HandleAllocated()) {
    if (held) SendMessageA(FOwner->WindowHandle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FOwner->WindowHandle(), nullptr, TRUE);
  }
}

void TListItems::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TListItems*>(Source)) {
    TUpdateScope update(this);
    Clear();
    for (auto* i : s->FItems) Add()->Assign(i);
    return;
  }
  TPersistent::Assign(Source);
}

int TListItemRank(const TListItem* Item) { return Item->FRank; }

// ---------------------------------------------------------------------------------------------------
// TCustomListView

TCustomListView::TCustomListView(TComponent* AOwner) : TWinControl(AOwner) {
  InitComCtrls();
  FItems = new TListItems(this);
  FColumns = new TListColumns(this);
  FCanvas = new TCanvas();
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  // Clicks come from the window's NM_CLICK and NM_DBLCLK; it tracks the mouse itself.
  FControlStyle = {csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 250, 150);
}

TCustomListView::~TCustomListView() {
  FDestroying = true;
  delete FItems;
  FItems = nullptr;
  delete FColumns;
  delete FCanvas;
}

void TCustomListView::BeforeDestruction() {
  FDestroying = true;
  TWinControl::BeforeDestruction();
}

void TCustomListView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_LISTVIEWA);
  static const DWORD styles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  Params.Style |= styles[FViewStyle] | LVS_SHAREIMAGELISTS | WS_CLIPCHILDREN;
  if (!FReadOnly) Params.Style |= LVS_EDITLABELS;
  if (!FMultiSelect) Params.Style |= LVS_SINGLESEL;
  if (!FHideSelection) Params.Style |= LVS_SHOWSELALWAYS;
  if (!FShowColumnHeaders) Params.Style |= LVS_NOCOLUMNHEADER;
  if (!FColumnClick) Params.Style |= LVS_NOSORTHEADER;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::ApplyExtendedStyle() {
  if (!HandleAllocated()) return;
  DWORD ex = 0;
  if (FRowSelect) ex |= LVS_EX_FULLROWSELECT;
  if (FGridLines) ex |= LVS_EX_GRIDLINES;
  SendMessageA(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, LPARAM(ex));
}

void TCustomListView::ApplyImages() {
  if (!HandleAllocated()) return;
  SendMessageA(FHandle, LVM_SETIMAGELIST, LVSIL_SMALL, LPARAM(FSmallImages ? FSmallImages->Handle() : nullptr));
  SendMessageA(FHandle, LVM_SETIMAGELIST, LVSIL_NORMAL, LPARAM(FLargeImages ? FLargeImages->Handle() : nullptr));
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyExtendedStyle();
  ApplyImages();
  COLORREF bk = ColorToRGB(Color());
  SendMessageA(FHandle, LVM_SETBKCOLOR, 0, LPARAM(bk));
  SendMessageA(FHandle, LVM_SETTEXTBKCOLOR, 0, LPARAM(bk));
  SendMessageA(FHandle, LVM_SETTEXTCOLOR, 0, LPARAM(ColorToRGB(Font()->Color())));
  UpdateColumns();
  SendMessageA(FHandle, WM_SETREDRAW, FALSE, 0);
  // An update under way ends with the redraw switched on again.
  FItems->FRedrawHeld = FItems->FUpdateCount > 0;
  SendMessageA(FHandle, LVM_SETITEMCOUNT, WPARAM(FItems->Count()), 0);
  for (int i = 0; i < FItems->Count(); ++i) WindowInsert(FItems->FItems[size_t(i)], i);
  SizeAutoColumns();
  if (FItems->FUpdateCount == 0) {
    SendMessageA(FHandle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FHandle, nullptr, TRUE);
  }
}

// At the selected row (the focused one when none is selected), brought into view: the menu's commands
// act on that row.
POINT TCustomListView::KeyboardPopupPoint() {
  TListItem* item = Selected();
  if (!item) item = ItemFocused();
  if (!item || !HandleAllocated()) return TWinControl::KeyboardPopupPoint();
  const int index = item->Index();
  SendMessageA(FHandle, LVM_ENSUREVISIBLE, WPARAM(index), FALSE);
  RECT r{LVIR_LABEL, 0, 0, 0};
  if (!SendMessageA(FHandle, LVM_GETITEMRECT, WPARAM(index), LPARAM(&r))) return TWinControl::KeyboardPopupPoint();
  return POINT{r.left + 4, (r.top + r.bottom) / 2};
}

// Measured here, the wider of the header and the widest text: the list view's own sizing
// (LVSCW_AUTOSIZE_USEHEADER) leaves a header wider than the texts cut under Wine.
void TCustomListView::SizeAutoColumns() {
  if (!HandleAllocated() || FViewStyle != vsReport) return;
  const int columns = FColumns->Count();
  auto textWidth = [this](const std::string& Text) {
    return int(SendMessageA(FHandle, LVM_GETSTRINGWIDTHA, 0, LPARAM(Text.c_str())));
  };
  int others = 0;
  for (int i = 0; i < columns; ++i) {
    TListColumn* c = FColumns->Items(i);
    if (!c) return;
    if (!c->FAutoSize) {
      others += int(SendMessageA(FHandle, LVM_GETCOLUMNWIDTH, WPARAM(i), 0));
      continue;
    }
    int width = textWidth(c->FCaption) + 16;
    for (int r = 0; r < FItems->Count(); ++r) {
      TListItem* item = FItems->FItems[size_t(r)];
      if (i == 0) width = std::max(width, textWidth(item->Caption()) + 12);
      else if (i - 1 < item->SubItems()->Count()) width = std::max(width, textWidth(item->SubItems()->Strings(i - 1)) + 12);
    }
    if (i == columns - 1) {
      RECT client;
      ::GetClientRect(FHandle, &client);
      width = std::max(width, int(client.right - client.left) - others);
    }
    SendMessageA(FHandle, LVM_SETCOLUMNWIDTH, WPARAM(i), width);
    others += width;
  }
}

void TCustomListView::DestroyWnd() {
  if (HandleAllocated() && FItems) {
    // The window's selection and column widths stay with the objects.
    for (int i = 0; i < FItems->Count(); ++i) {
      UINT s = UINT(SendMessageA(FHandle, LVM_GETITEMSTATE, WPARAM(i), LVIS_SELECTED | LVIS_FOCUSED));
      FItems->FItems[size_t(i)]->FSelected = (s & LVIS_SELECTED) != 0;
      FItems->FItems[size_t(i)]->FFocused = (s & LVIS_FOCUSED) != 0;
    }
    if (FViewStyle == vsReport)
      for (int i = 0; i < FColumns->Count(); ++i)
        if (TListColumn* c = FColumns->Items(i)) c->Width();
  }
  TWinControl::DestroyWnd();
}

void TCustomListView::WindowInsert(TListItem* Item, int Index) {
  if (!HandleAllocated()) return;
  FItems->HoldRedraw();
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE | LVIF_STATE;
  it.iItem = Index;
  it.pszText = LPSTR_TEXTCALLBACKA;
  it.lParam = reinterpret_cast<LPARAM>(Item);
  it.iImage = Item->FImageIndex;
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT;
  it.state = (Item->FSelected ? LVIS_SELECTED : 0) | (Item->FFocused ? LVIS_FOCUSED : 0) | (Item->FCut ? LVIS_CUT : 0);
  // Straight to the window procedure: a message sent through the system passes every message hook of
  // the thread, which under Wine costs more than the insert itself, a thousand times for a full board.
  Perform(LVM_INSERTITEMA, 0, LPARAM(&it));
}

void TCustomListView::UpdateItem(TListItem* Item) {
  if (!HandleAllocated() || FItems->FUpdateCount > 0) return;
  int i = Item->Index();
  if (i >= 0) SendMessageA(FHandle, LVM_REDRAWITEMS, WPARAM(i), LPARAM(i));
}

void TCustomListView::UpdateColumns() {
  if (!HandleAllocated()) return;
  while (SendMessageA(FHandle, LVM_DELETECOLUMN, 0, 0)) {
  }
  for (int i = 0; i < FColumns->Count(); ++i) {
    TListColumn* c = FColumns->Items(i);
    if (!c) return;  // a column still being made: it asks again when ready
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.fmt = c->FAlignment == taRightJustify ? LVCFMT_RIGHT : c->FAlignment == taCenter ? LVCFMT_CENTER : LVCFMT_LEFT;
    col.cx = c->FWidth < 0 ? 50 : c->FWidth;
    col.pszText = const_cast<char*>(c->FCaption.c_str());
    SendMessageA(FHandle, LVM_INSERTCOLUMNA, WPARAM(i), LPARAM(&col));
    if (c->FWidth < 0) SendMessageA(FHandle, LVM_SETCOLUMNWIDTH, WPARAM(i), LPARAM(c->FWidth));
  }
}

void TCustomListView::UpdateColumn(int Index) {
  if (!HandleAllocated()) return;
  if (Index < 0 || Index >= FColumns->Count()) return;
  TListColumn* c = FColumns->Items(Index);
  if (!c) return;
  LVCOLUMNA col{};
  // A plain width goes with the text in one message; the sizing widths (-1, -2) need their own.
  const bool sized = c->FWidth < 0;
  col.mask = LVCF_TEXT | LVCF_FMT | (sized ? 0 : LVCF_WIDTH);
  col.fmt = c->FAlignment == taRightJustify ? LVCFMT_RIGHT : c->FAlignment == taCenter ? LVCFMT_CENTER : LVCFMT_LEFT;
  col.cx = c->FWidth;
  col.pszText = const_cast<char*>(c->FCaption.c_str());
  if (!SendMessageA(FHandle, LVM_SETCOLUMNA, WPARAM(Index), LPARAM(&col))) {
    UpdateColumns();
    return;
  }
  if (sized) SendMessageA(FHandle, LVM_SETCOLUMNWIDTH, WPARAM(Index), LPARAM(c->FWidth));
}

TListItem* TCustomListView::ItemOfIndex(int Index) const {
  if (!FItems || Index < 0 || Index >= FItems->Count()) return nullptr;
  return FItems->FItems[size_t(Index)];
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  if (Value == FViewStyle) return;
  FViewStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetRowSelect(bool Value) {
  if (Value == FRowSelect) return;
  FRowSelect = Value;
  ApplyExtendedStyle();
}

void TCustomListView::SetMultiSelect(bool Value) {
  if (Value == FMultiSelect) return;
  FMultiSelect = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetHideSelection(bool Value) {
  if (Value == FHideSelection) return;
  FHideSelection = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetGridLines(bool Value) {
  if (Value == FGridLines) return;
  FGridLines = Value;
  ApplyExtendedStyle();
}

void TCustomListView::SetShowColumnHeaders(bool Value) {
  if (Value == FShowColumnHeaders) return;
  FShowColumnHeaders = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetColumnClick(bool Value) {
  if (Value == FColumnClick) return;
  FColumnClick = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetSmallImages(TCustomImageList* Value) {
  if (Value == FSmallImages) return;
  if (FSmallImages) FSmallImages->RemoveFreeNotification(this);
  FSmallImages = Value;
  if (Value) Value->FreeNotification(this);
  ApplyImages();
}

void TCustomListView::SetLargeImages(TCustomImageList* Value) {
  if (Value == FLargeImages) return;
  if (FLargeImages) FLargeImages->RemoveFreeNotification(this);
  FLargeImages = Value;
  if (Value) Value->FreeNotification(this);
  ApplyImages();
}

void TCustomListView::SetSortType(TSortType Value) {
  if (Value == FSortType) return;
  FSortType = Value;
  if ((Value == stText || Value == stBoth) && !ComponentState().Contains(csLoading)) AlphaSort();
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FSmallImages) {
    FSmallImages = nullptr;
    ApplyImages();
  }
  if (AComponent == FLargeImages) {
    FLargeImages = nullptr;
    ApplyImages();
  }
}

void TCustomListView::Loaded() {
  TWinControl::Loaded();
  if (FSortType == stText || FSortType == stBoth) AlphaSort();
}

TListItem* TCustomListView::Selected() const {
  if (HandleAllocated())
    return ItemOfIndex(int(SendMessageA(FHandle, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)));
  for (auto* i : FItems->FItems)
    if (i->FSelected) return i;
  return nullptr;
}

void TCustomListView::SetSelected(TListItem* Value) {
  ClearSelection();
  if (Value) {
    Value->SetSelected(true);
    Value->SetFocused(true);
  }
}

int TCustomListView::SelCount() const {
  if (HandleAllocated()) return int(SendMessageA(FHandle, LVM_GETSELECTEDCOUNT, 0, 0));
  return int(std::count_if(FItems->FItems.begin(), FItems->FItems.end(), [](TListItem* i) { return i->FSelected; }));
}

TListItem* TCustomListView::ItemFocused() const {
  if (HandleAllocated())
    return ItemOfIndex(int(SendMessageA(FHandle, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED)));
  for (auto* i : FItems->FItems)
    if (i->FFocused) return i;
  return nullptr;
}

void TCustomListView::SetItemFocused(TListItem* Value) {
  if (Value)
    Value->SetFocused(true);
  else if (TListItem* f = ItemFocused())
    f->SetFocused(false);
}

TListItem* TCustomListView::GetNextItem(TListItem* StartItem, bool Selected) {
  int start = StartItem ? StartItem->Index() : -1;
  for (int i = start + 1; i < FItems->Count(); ++i)
    if (!Selected || FItems->FItems[size_t(i)]->Selected()) return FItems->FItems[size_t(i)];
  return nullptr;
}

TListItem* TCustomListView::GetItemAt(int X, int Y) const {
  if (!HandleAllocated()) return nullptr;
  LVHITTESTINFO hi{};
  hi.pt = POINT{X, Y};
  int i = int(SendMessageA(FHandle, LVM_SUBITEMHITTEST, 0, LPARAM(&hi)));
  if (i < 0 || !(hi.flags & LVHT_ONITEM)) {
    hi = LVHITTESTINFO{};
    hi.pt = POINT{X, Y};
    i = int(SendMessageA(FHandle, LVM_HITTEST, 0, LPARAM(&hi)));
    if (i < 0 || !(hi.flags & LVHT_ONITEM)) return nullptr;
  }
  return ItemOfIndex(i);
}

TListItem* TCustomListView::TopItem() const {
  if (!HandleAllocated()) return ItemOfIndex(0);
  return ItemOfIndex(int(SendMessageA(FHandle, LVM_GETTOPINDEX, 0, 0)));
}

void TCustomListView::ClearSelection() {
  if (HandleAllocated()) {
    LVITEMA it{};
    it.stateMask = LVIS_SELECTED;
    SendMessageA(FHandle, LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&it));
    return;
  }
  for (auto* i : FItems->FItems) i->FSelected = false;
}

void TCustomListView::SelectAll() {
  if (!FMultiSelect) return;
  if (HandleAllocated()) {
    LVITEMA it{};
    it.stateMask = LVIS_SELECTED;
    it.state = LVIS_SELECTED;
    SendMessageA(FHandle, LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&it));
    return;
  }
  for (auto* i : FItems->FItems) i->FSelected = true;
}

namespace {
int CALLBACK RankCompare(LPARAM a, LPARAM b, LPARAM) {
  return TListItemRank(reinterpret_cast<TListItem*>(a)) - TListItemRank(reinterpret_cast<TListItem*>(b));
}
}  // namespace

void TCustomListView::SortItems(bool (*Less)(TListItem*, TListItem*, void*), void* Ctx) {
  FSortPending = false;
  auto& v = FItems->FItems;
  const std::vector<TListItem*> before = v;
  std::stable_sort(v.begin(), v.end(), [&](TListItem* a, TListItem* b) { return Less(a, b, Ctx); });
  // The window holds the rows in the objects' order: when none moved, it has nothing to do.
  if (!HandleAllocated() || v == before) return;
  for (size_t i = 0; i < v.size(); ++i) v[i]->FRank = int(i);
  FItems->HoldRedraw();
  // The window takes the same order through the ranks just given.
  SendMessageA(FHandle, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&RankCompare));
}

bool TCustomListView::AlphaSort() {
  struct Ctx {
    TCustomListView* lv;
  } ctx{this};
  SortItems(
      [](TListItem* a, TListItem* b, void* c) {
        auto* lv = static_cast<Ctx*>(c)->lv;
        if (lv->OnCompare) {
          int r = 0;
          lv->OnCompare(lv, a, b, 0, r);
          return r < 0;
        }
        return AnsiCompareText(a->Caption(), b->Caption()) < 0;
      },
      &ctx);
  return true;
}

bool TCustomListView::CustomSort(TLVCompare SortProc, intptr_t Data) {
  if (!SortProc) return AlphaSort();
  struct Ctx {
    TLVCompare fn;
    intptr_t data;
  } ctx{SortProc, Data};
  SortItems([](TListItem* a, TListItem* b, void* c) {
    auto* x = static_cast<Ctx*>(c);
    return x->fn(a, b, x->data) < 0;
  }, &ctx);
  return true;
}

void TCustomListView::Change(TListItem* Item, int Change) { OnChange(this, Item, TItemChange(Change)); }

bool TCustomListView::CanChange(TListItem* Item, int Change) {
  bool allow = true;
  OnChanging(this, Item, TItemChange(Change), allow);
  return allow;
}

void TCustomListView::Delete(TListItem* Item) {
  if (!FDestroying) OnDeletion(this, Item);
}

void TCustomListView::InsertItem(TListItem* Item) { OnInsert(this, Item); }

void TCustomListView::ColClick(TListColumn* Column) { OnColumnClick(this, Column); }

void TCustomListView::DoSelectItem(TListItem* Item, bool Selected) { OnSelectItem(this, Item, Selected); }

bool TCustomListView::IsCustomDrawn(bool Item) {
  return Item ? (OnCustomDrawItem || OnCustomDrawSubItem) : (OnCustomDraw || OnCustomDrawItem || OnCustomDrawSubItem);
}

TCustomDrawState CustomDrawStateFrom(UINT s) {
  TCustomDrawState r;
  if (s & CDIS_SELECTED) r.Include(cdsSelected);
  if (s & CDIS_GRAYED) r.Include(cdsGrayed);
  if (s & CDIS_DISABLED) r.Include(cdsDisabled);
  if (s & CDIS_CHECKED) r.Include(cdsChecked);
  if (s & CDIS_FOCUS) r.Include(cdsFocused);
  if (s & CDIS_DEFAULT) r.Include(cdsDefault);
  if (s & CDIS_HOT) r.Include(cdsHot);
  if (s & CDIS_MARKED) r.Include(cdsMarked);
  if (s & CDIS_INDETERMINATE) r.Include(cdsIndeterminate);
  return r;
}

TCustomDrawCanvas::TCustomDrawCanvas(TCanvas* Canvas, HDC DC, TFont* Font, TColor Color) : FCanvas(Canvas), FDC(DC) {
  FCanvas->SetHandle(DC);
  FCanvas->SetFont(Font);
  FCanvas->Brush()->SetColor(Color);
  FFontColor = FCanvas->Font()->Color();
  FBrushColor = FCanvas->Brush()->Color();
  FFont = FCanvas->Font()->LogFont();
}

LRESULT TCustomDrawCanvas::Changes(COLORREF& TextColor, COLORREF& TextBkColor) {
  LRESULT result = 0;
  LOGFONTA after = FCanvas->Font()->LogFont();
  if (memcmp(&FFont, &after, sizeof after) != 0) {
    SelectObject(FDC, FCanvas->Font()->Handle());
    result |= CDRF_NEWFONT;
  }
  if (FCanvas->Font()->Color() != FFontColor) {
    TextColor = ColorToRGB(FCanvas->Font()->Color());
    result |= CDRF_NEWFONT;
  }
  if (FCanvas->Brush()->Color() != FBrushColor) {
    TextBkColor = ColorToRGB(FCanvas->Brush()->Color());
    result |= CDRF_NEWFONT;
  }
  return result;
}

LRESULT TCustomListView::CustomDraw(NMLVCUSTOMDRAW* CD) {
  NMCUSTOMDRAW& nm = CD->nmcd;
  LRESULT result = CDRF_DODEFAULT;
  bool def = true;
  switch (nm.dwDrawStage) {
    case CDDS_PREPAINT:
      if (OnCustomDraw) {
        {
          TCustomDrawCanvas canvas(FCanvas, nm.hdc, Font(), Color());
          OnCustomDraw(this, nm.rc, def);
        }
        if (!def) return CDRF_SKIPDEFAULT;
      }
      if (OnCustomDrawItem || OnCustomDrawSubItem) result |= CDRF_NOTIFYITEMDRAW;
      return result;
    case CDDS_ITEMPREPAINT:
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      bool sub = (nm.dwDrawStage & CDDS_SUBITEM) != 0;
      TListItem* item = ItemOfIndex(int(nm.dwItemSpec));
      if (!item) return CDRF_DODEFAULT;
      TCustomDrawCanvas canvas(FCanvas, nm.hdc, Font(), Color());
      TCustomDrawState state = CustomDrawStateFrom(nm.uItemState);
      if (sub && CD->iSubItem > 0) {
        OnCustomDrawSubItem(this, item, CD->iSubItem, state, def);
      } else if (!sub) {
        OnCustomDrawItem(this, item, state, def);
        if (OnCustomDrawSubItem) result |= CDRF_NOTIFYSUBITEMDRAW;
      }
      if (!def) return CDRF_SKIPDEFAULT;
      return result | canvas.Changes(CD->clrText, CD->clrTextBk);
    }
  }
  return result;
}

void TCustomListView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY:        CNNotify(MessageAs<TWMNotify>(Message)); return;
    case CM_FONTCHANGED:   CMFontChanged(Message); return;
    case CM_COLORCHANGED:  CMColorChanged(Message); return;
  }
  TWinControl::Dispatch(Message);
}

// The list's own notifications, reflected back from the parent.
void TCustomListView::CNNotify(TWMNotify& Message) {
  NMHDR* hdr = Message.NMHdr();
  Message.Result = 0;
  switch (hdr->code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW: {
      auto* di = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam);
      auto* item = reinterpret_cast<TListItem*>(di->item.lParam);
      if (!item || !(di->item.mask & LVIF_TEXT) || !di->item.pszText || di->item.cchTextMax <= 0) return;
      int sub = di->item.iSubItem;
      const std::string* text = &item->FCaption;
      static const std::string empty;
      if (sub > 0) text = sub - 1 < item->FSubItems->Count() ? nullptr : &empty;
      if (!text) {
        FDispText = item->FSubItems->Strings(sub - 1);
        text = &FDispText;
      }
      if (hdr->code == LVN_GETDISPINFOA) {
        lstrcpynA(di->item.pszText, text->c_str(), di->item.cchTextMax);
      } else {
        auto* w = reinterpret_cast<wchar_t*>(di->item.pszText);
        int n = MultiByteToWideChar(CP_ACP, 0, text->c_str(), -1, w, di->item.cchTextMax);
        if (n == 0) w[di->item.cchTextMax - 1] = 0;
      }
      return;
    }
    case LVN_DELETEALLITEMS:
      // The items' own deletion has run already (Clear); a notification for each would only cost a
      // message per row.
      Message.Result = TRUE;
      return;
    case LVN_ITEMCHANGING: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      if (nm->uChanged & LVIF_STATE) {
        TListItem* item = ItemOfIndex(nm->iItem);
        if (item && !CanChange(item, ctState)) Message.Result = TRUE;
      }
      return;
    }
    case LVN_ITEMCHANGED: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      if (!(nm->uChanged & LVIF_STATE)) return;
      TListItem* item = ItemOfIndex(nm->iItem);
      if (!item) return;
      TLiveGuard g(this);
      if ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED) DoSelectItem(item, (nm->uNewState & LVIS_SELECTED) != 0);
      if (!g) return;
      Change(item, ctState);
      return;
    }
    case LVN_COLUMNCLICK: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      if (nm->iSubItem >= 0 && nm->iSubItem < FColumns->Count()) ColClick(FColumns->Items(nm->iSubItem));
      return;
    }
    case LVN_BEGINLABELEDITA:
    case LVN_BEGINLABELEDITW:
      Message.Result = FReadOnly;
      return;
    case LVN_ENDLABELEDITA: {
      auto* di = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam);
      TListItem* item = reinterpret_cast<TListItem*>(di->item.lParam);
      if (item && di->item.pszText) item->SetCaption(di->item.pszText);
      Message.Result = FALSE;
      return;
    }
    case NM_CLICK:
      Click();
      return;
    case NM_DBLCLK:
      DblClick();
      return;
    case NM_CUSTOMDRAW:
      if (IsCustomDrawn(false)) Message.Result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(Message.LParam));
      return;
  }
}

void TCustomListView::CMFontChanged(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (!HandleAllocated()) return;
  SendMessageA(FHandle, LVM_SETTEXTCOLOR, 0, LPARAM(ColorToRGB(Font()->Color())));
  InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomListView::CMColorChanged(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (!HandleAllocated()) return;
  COLORREF bk = ColorToRGB(Color());
  SendMessageA(FHandle, LVM_SETBKCOLOR, 0, LPARAM(bk));
  SendMessageA(FHandle, LVM_SETTEXTBKCOLOR, 0, LPARAM(bk));
  InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomListView::Publish(TPublisher<TCustomListView>& p) {
  p.Enum("BorderStyle", LVBorderStyleNames, &TCustomListView::BorderStyle, &TCustomListView::SetBorderStyle).Default(bsSingle);
  p.Bool("ColumnClick", &TCustomListView::ColumnClick, &TCustomListView::SetColumnClick).Default(1);
  p.Object("Columns", &TCustomListView::Columns);
  p.Bool("GridLines", &TCustomListView::GridLines, &TCustomListView::SetGridLines).Default(0);
  p.Bool("HideSelection", &TCustomListView::HideSelection, &TCustomListView::SetHideSelection).Default(1);
  p.Ref("LargeImages", &TCustomListView::LargeImages, &TCustomListView::SetLargeImages);
  p.Bool("MultiSelect", &TCustomListView::MultiSelect, &TCustomListView::SetMultiSelect).Default(0);
  p.Bool("ReadOnly", &TCustomListView::ReadOnly, &TCustomListView::SetReadOnly).Default(0);
  p.Bool("RowSelect", &TCustomListView::RowSelect, &TCustomListView::SetRowSelect).Default(0);
  p.Bool("ShowColumnHeaders", &TCustomListView::ShowColumnHeaders, &TCustomListView::SetShowColumnHeaders).Default(1);
  p.Ref("SmallImages", &TCustomListView::SmallImages, &TCustomListView::SetSmallImages);
  p.Enum("SortType", SortTypeNames, &TCustomListView::SortType, &TCustomListView::SetSortType).Default(stNone);
  p.Enum("ViewStyle", ViewStyleNames, &TCustomListView::ViewStyle, &TCustomListView::SetViewStyle).Default(vsIcon);
  p.Event("OnChange", &TCustomListView::OnChange);
  p.Event("OnChanging", &TCustomListView::OnChanging);
  p.Event("OnColumnClick", &TCustomListView::OnColumnClick);
  p.Event("OnCompare", &TCustomListView::OnCompare);
  p.Event("OnCustomDraw", &TCustomListView::OnCustomDraw);
  p.Event("OnCustomDrawItem", &TCustomListView::OnCustomDrawItem);
  p.Event("OnCustomDrawSubItem", &TCustomListView::OnCustomDrawSubItem);
  p.Event("OnDeletion", &TCustomListView::OnDeletion);
  p.Event("OnInsert", &TCustomListView::OnInsert);
  p.Event("OnSelectItem", &TCustomListView::OnSelectItem);
}
