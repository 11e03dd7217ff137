#include "yOZViews.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "ComCtrls.h"

namespace {

TListItem* AddListItem(TListView* View, const TListRow& Row) {
  TListItems* items = View->Items();
  // A caption that sorts the list waits until the row is in it.
  TUpdateScope update(items);
  // Filled before it goes into the window, so one insert carries it whole: each message to the window
  // costs more than the row itself once the command bars watch the thread's messages.
  std::unique_ptr<TListItem> item(new TListItem(items));
  item->SetCaption(Row.Caption);
  TStrings* sub = item->SubItems();
  {
    TUpdateScope update(sub);
    for (const std::string& s : Row.SubItems) sub->Add(s);
  }
  if (Row.ImageIndex >= 0) item->SetImageIndex(Row.ImageIndex);
  return items->AddItem(item.release());
}

}  // namespace

void TListViewBoard::BeginUpdate() { FView->Items()->BeginUpdate(); }
void TListViewBoard::EndUpdate() { FView->Items()->EndUpdate(); }
// A refill keeps the row the user chose (found again by its login): a status command meant for a
// colleague's row must not fall to the user himself because the board was read again meanwhile.
void TListViewBoard::Clear() {
  ++FFills;
  FKeepSelected.clear();
  if (TListItem* selected = FView->Selected()) {
    TStrings* sub = selected->SubItems();
    if (bsLogInName < sub->Count()) FKeepSelected = sub->Strings(bsLogInName);
  }
  FView->Items()->Clear();
}
void TListViewBoard::AddRow(const TListRow& Row) {
  TListItem* item = AddListItem(FView, Row);
  if (FKeepSelected.empty() || Row.SubItem(bsLogInName) != FKeepSelected) return;
  FKeepSelected.clear();
  item->SetSelected(true);
  item->SetFocused(true);
}

// Past this many rows fewer, the board is cleared and filled anew: the window tells its parent of each
// row deleted one by one, a message that passes every message hook of the thread.
constexpr int MaxRowsDeletedSingly = 32;

// The rows that stay keep their items: their texts and images are set in place, and only the rows the
// board gains or loses are inserted or deleted. Clearing and inserting every row cost the window
// about twice what the texts do, on every refresh. The result is the same as a clear and an add of
// each row: the same rows, texts, images and order, and the row chosen before (by its login) chosen
// and focused again, or none.
void TListViewBoard::SetRows(const std::vector<TListRow>& Rows) {
  TListItems* items = FView->Items();
  const int count = items->Count();
  const int wanted = static_cast<int>(Rows.size());
  if (!FView->HandleAllocated() || count == 0 || count - wanted > MaxRowsDeletedSingly) {
    IBoardView::SetRows(Rows);
    return;
  }
  ++FFills;
  FKeepSelected.clear();
  TUpdateScope update(items);
  TListItem* selected = FView->Selected();
  const int selectedIndex = selected ? selected->Index() : -1;
  const int selectedCount = FView->SelCount();
  TListItem* focused = FView->ItemFocused();
  const int focusedIndex = focused ? focused->Index() : -1;
  std::string keep;
  if (selected && bsLogInName < selected->SubItems()->Count()) keep = selected->SubItems()->Strings(bsLogInName);

  const int kept = std::min(count, wanted);
  for (int i = 0; i < kept; ++i) items->Replace(i, Rows[size_t(i)].Caption, Rows[size_t(i)].SubItems, Rows[size_t(i)].ImageIndex);
  for (int i = count - 1; i >= wanted; --i) items->Delete(i);
  for (int i = kept; i < wanted; ++i) AddListItem(FView, Rows[size_t(i)]);

  int chosen = -1;
  for (int i = 0; !keep.empty() && i < wanted && chosen < 0; ++i)
    if (Rows[size_t(i)].SubItem(bsLogInName) == keep) chosen = i;
  // Left alone when the chosen row is where it was, alone chosen and focused.
  if (chosen >= 0 && selectedCount == 1 && selectedIndex == chosen && focusedIndex == chosen) return;
  if (selectedCount > 0) FView->ClearSelection();
  if (TListItem* f = FView->ItemFocused()) f->SetFocused(false);
  if (chosen < 0) return;
  TListItem* item = items->Item(chosen);
  item->SetSelected(true);
  item->SetFocused(true);
}

// Sizes a column to its widest text and its header, as LVSCW_AUTOSIZE_USEHEADER does (the last column
// also fills the rest of the view). The texts are measured here from the items the object holds: the
// list view's own sizing asks the parent for every text of every row, which makes a board of a
// thousand users take several times as long.
void TListViewBoard::AutoSizeColumn(int Column) {
  const int columns = FView->Columns()->Count();
  if (Column >= columns) return;
  if (!FView->HandleAllocated()) {
    FView->Column(Column)->SetWidth(LVSCW_AUTOSIZE_USEHEADER);
    return;
  }
  HWND h = FView->Handle();
  TWindowDC windowDC(h);
  const HDC dc = windowDC.DC;
  const HFONT viewFont = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
  TSelectObject font(dc, viewFont);
  // Texts of rows long gone are not kept for ever.
  LOGFONTA logFont{};
  GetObjectA(viewFont, sizeof logFont, &logFont);
  if (std::memcmp(&logFont, &FTextWidthsFont, sizeof logFont) != 0 ||
      FTextWidths.size() > 8 * size_t(FView->Items()->Count()) + 1024) {
    FTextWidths.clear();
    FTextWidthsFont = logFont;
  }
  auto textWidth = [&](const std::string& Text) {
    auto found = FTextWidths.find(Text);
    if (found != FTextWidths.end()) return found->second;
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
    FTextWidths.emplace(Text, size.cx);
    return static_cast<int>(size.cx);
  };
  const int labelPadding = 12;  // the list view's trailing label padding
  int widest = 0;
  TListItems* items = FView->Items();
  for (int i = 0; i < items->Count(); ++i) {
    TListItem* item = items->Item(i);
    if (Column == 0) {
      widest = std::max(widest, textWidth(item->Caption()));
    } else if (Column - 1 < item->SubItems()->Count()) {
      widest = std::max(widest, textWidth(item->SubItems()->Strings(Column - 1)));
    }
  }
  int width = widest + labelPadding;
  if (Column == 0) {
    int cx = 0, cy = 0;
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(h, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    if (images && ImageList_GetIconSize(images, &cx, &cy)) width += cx + 2;
  }
  width = std::max(width, textWidth(FView->Column(Column)->Caption()) + 2 * labelPadding);
  if (Column == columns - 1) {
    RECT client;
    GetClientRect(h, &client);
    int others = 0;
    for (int c = 0; c < columns - 1; ++c)
      others += static_cast<int>(SendMessageA(h, LVM_GETCOLUMNWIDTH, c, 0));
    width = std::max(width, static_cast<int>(client.right - client.left) - others);
  }
  FView->Column(Column)->SetWidth(width);
}

int TListViewBoard::RowCount() const { return FView->Items()->Count(); }

TListRow TListViewBoard::Row(int Index) const {
  TListItem* item = FView->Items()->Item(Index);
  TListRow row;
  row.Caption = item->Caption();
  for (int i = 0; i < item->SubItems()->Count(); ++i) row.SubItems.push_back(item->SubItems()->Strings(i));
  row.ImageIndex = item->ImageIndex();
  return row;
}

int TListViewBoard::SelectedIndex() const {
  TListItem* item = FView->Selected();
  return item ? item->Index() : -1;
}

void TListViewInBox::BeginUpdate() { FView->Items()->BeginUpdate(); }
void TListViewInBox::EndUpdate() { FView->Items()->EndUpdate(); }
void TListViewInBox::Clear() { FView->Items()->Clear(); }
void TListViewInBox::AddRow(const TListRow& Row) { AddListItem(FView, Row); }

void TListViewInBox::SetPanelText(int Panel, const std::string& Text) {
  if (FStatusBar && Panel < FStatusBar->Panels()->Count()) FStatusBar->Panels()->Items(Panel)->SetText(Text);
}

void TTreeViewDepartments::ClearNodes() {
  FTree->Items()->Clear();
  FTop = nullptr;
}

void TTreeViewDepartments::AddTopNode(const std::string& Text) { FTop = FTree->Items()->Add(nullptr, Text); }

void TTreeViewDepartments::AddChildNode(const std::string& Text) { FTree->Items()->AddChild(FTop, Text); }
