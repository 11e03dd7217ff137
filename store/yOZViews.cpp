#include "yOZViews.h"

#include "ComCtrls.h"

namespace {

void AddListItem(TListView* View, const TListRow& Row) {
  TListItem* item = View->Items()->Add();
  item->SetCaption(Row.Caption);
  TStrings* sub = item->SubItems();
  sub->BeginUpdate();
  for (const std::string& s : Row.SubItems) sub->Add(s);
  sub->EndUpdate();
  if (Row.ImageIndex >= 0) item->SetImageIndex(Row.ImageIndex);
}

}  // namespace

void TListViewBoard::BeginUpdate() { FView->Items()->BeginUpdate(); }
void TListViewBoard::EndUpdate() { FView->Items()->EndUpdate(); }
void TListViewBoard::Clear() { FView->Items()->Clear(); }
void TListViewBoard::AddRow(const TListRow& Row) { AddListItem(FView, Row); }

void TListViewBoard::AutoSizeColumn(int Column) {
  if (Column < FView->Columns()->Count()) FView->Column(Column)->SetWidth(LVSCW_AUTOSIZE_USEHEADER);
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
