// List view: columns, items and the view.
//
// The items of list and tree views live in the object (TListItem, TTreeNode) and are handed to the
// window whenever it is made: they can be added before the window exists and survive RecreateWnd.
// The list view gives its texts on demand (LVN_GETDISPINFO), so filling it costs one message per row.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ClassesCollections.h"
#include "ClassesLists.h"
#include "ComCtrlsCommon.h"
#include "Controls.h"
#include "Graphics.h"
#include "ImgList.h"
#include "StdCtrls.h"   // TAlignment

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
extern const TEnumInfo ViewStyleNames;
enum TItemChange { ctText, ctImage, ctState };
enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
enum TListColumnWidth : int { ColumnTextWidth = LVSCW_AUTOSIZE, ColumnHeaderWidth = LVSCW_AUTOSIZE_USEHEADER };

class TListColumn : public TCollectionItem {
  YOZ_CLASS(TListColumn, TCollectionItem)
public:
  explicit TListColumn(TCollection* Collection);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  // The width in pixels (read from the window while it exists); LVSCW_AUTOSIZE and
  // LVSCW_AUTOSIZE_USEHEADER size the column to its contents.
  int Width();
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  void Assign(TPersistent* Source) override;
  static void Publish(TPublisher<TListColumn>& p);

private:
  friend class TCustomListView;
  TCustomListView* ListView() const;
  std::string FCaption;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = false;
  int FImageIndex = -1;
};

class TListColumns : public TCollection {
  YOZ_CLASS(TListColumns, TCollection)
public:
  explicit TListColumns(TCustomListView* AOwner);
  // nullptr for an item still being made (the collection tells of it before its fields exist).
  TListColumn* Items(int Index) const { return dynamic_cast<TListColumn*>(TCollection::Items(Index)); }
  TListColumn* operator[](int Index) const { return Items(Index); }
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TCustomListView* Owner() const { return FOwner; }
  TPersistent* GetOwner() override;

protected:
  void Update(TCollectionItem* Item) override;

private:
  TCustomListView* FOwner;
};

int TListItemRank(const TListItem* Item);

class TListItem : public TPersistent {
  YOZ_CLASS(TListItem, TPersistent)
public:
  explicit TListItem(TListItems* AOwner);
  ~TListItem() override;

  TListItems* Owner() const { return FOwner; }
  TCustomListView* ListView() const;
  int Index() const;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TStrings* SubItems() const { return FSubItems; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const;
  void SetFocused(bool Value);
  bool Cut() const { return FCut; }
  void SetCut(bool Value);

  void Delete();
  void MakeVisible(bool PartialOK);
  RECT DisplayRect(TDisplayCode Code) const;
  // Repaints the item.
  void Update();
  void Assign(TPersistent* Source) override;

private:
  friend class TListItems;
  friend class TCustomListView;
  friend int TListItemRank(const TListItem* Item);
  void SubItemsChanged(TObject* Sender);
  TListItems* FOwner;
  std::string FCaption;
  TStringList* FSubItems;
  int FImageIndex = -1;
  void* FData = nullptr;
  bool FSelected = false;  // kept while there is no window
  bool FFocused = false;
  bool FCut = false;
  int FRank = 0;           // position during a sort
};

class TListItems : public TPersistent {
  YOZ_CLASS(TListItems, TPersistent)
public:
  explicit TListItems(TCustomListView* AOwner) : FOwner(AOwner) {}
  ~TListItems() override;

  TCustomListView* Owner() const { return FOwner; }
  int Count() const { return int(FItems.size()); }
  TListItem* Item(int Index) const;   // EListError when out of range
  TListItem* operator[](int Index) const { return Item(Index); }
  TListItem* Add();
  TListItem* Insert(int Index);
  TListItem* AddItem(TListItem* Item, int Index = -1);
  void Delete(int Index);
  void Clear();
  // Gives the item at Index new texts and image in place, as setting each would: the cheap refill of
  // a list whose rows mostly stay (the window asks for the texts when it paints, so only an image
  // that changes costs it a message).
  void Replace(int Index, const std::string& Caption, const std::vector<std::string>& SubItems, int ImageIndex);
  int IndexOf(const TListItem* Value) const;
  // Suppresses repainting (and sorting) until the matching EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  void Assign(TPersistent* Source) override;

private:
  friend class TCustomListView;
  friend class TListItem;
  // Switches the window's redraw off for the update under way, before its rows are inserted, deleted
  // or sorted: under Wine switching it on again costs the list view a round of scroll-bar updates
  // (15-20 ms), which an update that only changes texts and images need not pay.
  void HoldRedraw();
  TCustomListView* FOwner;
  std::vector<TListItem*> FItems;
  int FUpdateCount = 0;
  bool FRedrawHeld = false;  // WM_SETREDRAW FALSE sent for the update under way
};

using TLVCompareEvent = TEvent<TObject*, TListItem*, TListItem*, int, int&>;
using TLVChangeEvent = TEvent<TObject*, TListItem*, TItemChange>;
using TLVChangingEvent = TEvent<TObject*, TListItem*, TItemChange, bool&>;
using TLVSelectItemEvent = TEvent<TObject*, TListItem*, bool>;
using TLVDeletedEvent = TEvent<TObject*, TListItem*>;
using TLVColumnClickEvent = TEvent<TObject*, TListColumn*>;
using TLVCustomDrawEvent = TEvent<TCustomListView*, RECT, bool&>;
using TLVCustomDrawItemEvent = TEvent<TCustomListView*, TListItem*, TCustomDrawState, bool&>;
using TLVCustomDrawSubItemEvent = TEvent<TCustomListView*, TListItem*, int, TCustomDrawState, bool&>;
using TLVCompare = int (*)(TListItem* Item1, TListItem* Item2, intptr_t Data);

class TCustomListView : public TWinControl {
  YOZ_CLASS(TCustomListView, TWinControl)
public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;
  void BeforeDestruction() override;

  TListItems* Items() const { return FItems; }
  TListColumns* Columns() const { return FColumns; }
  TListColumn* Column(int Index) const { return FColumns->Items(Index); }

  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool Value);
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool Value);
  bool ColumnClick() const { return FColumnClick; }
  void SetColumnClick(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TCustomImageList* SmallImages() const { return FSmallImages; }
  void SetSmallImages(TCustomImageList* Value);
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* Value);
  TSortType SortType() const { return FSortType; }
  void SetSortType(TSortType Value);
  TCanvas* Canvas() const { return FCanvas; }

  // The first selected item (nullptr when none), the number of selected items, the focused item.
  TListItem* Selected() const;
  void SetSelected(TListItem* Value);
  int SelCount() const;
  TListItem* ItemFocused() const;
  POINT KeyboardPopupPoint() override;
  void SetItemFocused(TListItem* Value);
  TListItem* GetNextItem(TListItem* StartItem, bool Selected);
  // The item at the client point (any column of the row in report view), nullptr when none.
  TListItem* GetItemAt(int X, int Y) const;
  TListItem* TopItem() const;
  void ClearSelection();
  void SelectAll();

  // Sorts by caption (OnCompare when set), or with a comparison of the caller's.
  bool AlphaSort();
  bool CustomSort(TLVCompare SortProc, intptr_t Data);

  TLVChangeEvent OnChange;
  TLVChangingEvent OnChanging;
  TLVSelectItemEvent OnSelectItem;
  TLVDeletedEvent OnDeletion;
  TLVDeletedEvent OnInsert;
  TLVColumnClickEvent OnColumnClick;
  TLVCompareEvent OnCompare;
  TLVCustomDrawEvent OnCustomDraw;
  TLVCustomDrawItemEvent OnCustomDrawItem;
  TLVCustomDrawSubItemEvent OnCustomDrawSubItem;

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

  static void Publish(TPublisher<TCustomListView>& p);

protected:
  // Notifications as overridable steps.
  virtual void Change(TListItem* Item, int Change);
  virtual bool CanChange(TListItem* Item, int Change);
  virtual void Delete(TListItem* Item);
  virtual void InsertItem(TListItem* Item);
  virtual void ColClick(TListColumn* Column);
  virtual void DoSelectItem(TListItem* Item, bool Selected);
  // NM_CUSTOMDRAW: the class library's events; True when one of them is assigned.
  virtual bool IsCustomDrawn(bool Item);
  virtual LRESULT CustomDraw(NMLVCUSTOMDRAW* CD);
  // Message handlers that Dispatch routes.
  void CNNotify(TWMNotify& Message);
  void CMFontChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void UpdateColumns();
  void UpdateColumn(int Index);
  void ApplyExtendedStyle();
  void ApplyImages();
  // Finds the object of a window item.
  TListItem* ItemOfIndex(int Index) const;

private:
  friend class TListItems;
  friend class TListItem;
  friend class TListColumn;
  friend class TListColumns;
  void WindowInsert(TListItem* Item, int Index);
  void SortItems(bool (*Less)(TListItem*, TListItem*, void*), void* Ctx);
  void UpdateItem(TListItem* Item);
  // Sizes the columns marked AutoSize to their header and contents (the last one also fills the view).
  void SizeAutoColumns();

  TListItems* FItems;
  TListColumns* FColumns;
  TViewStyle FViewStyle = vsIcon;
  bool FReadOnly = false;
  bool FRowSelect = false;
  bool FMultiSelect = false;
  bool FHideSelection = true;
  bool FGridLines = false;
  bool FShowColumnHeaders = true;
  bool FColumnClick = true;
  TBorderStyle FBorderStyle = bsSingle;
  TCustomImageList* FSmallImages = nullptr;
  TCustomImageList* FLargeImages = nullptr;
  TSortType FSortType = stNone;
  bool FSortPending = false;
  bool FDestroying = false;
  TCanvas* FCanvas;
  std::string FDispText;  // kept alive for LVN_GETDISPINFO
};

class TListView : public TCustomListView {
  YOZ_CLASS(TListView, TCustomListView)
public:
  explicit TListView(TComponent* AOwner) : TCustomListView(AOwner) {}
};
