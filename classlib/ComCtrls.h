// Common controls: page control and tab sheets, status bar, list view and tree view.
//
// The items of list and tree views live in the object (TListItem, TTreeNode) and are handed to the
// window whenever it is made: they can be added before the window exists and survive RecreateWnd.
// The list view gives its texts on demand (LVN_GETDISPINFO), so filling it costs one message per row.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "ImgList.h"
#include "StdCtrls.h"

class TCustomListView;
class TListItems;
class TListItem;
class TCustomTreeView;
class TTreeNodes;
class TTreeNode;
class TPageControl;

// Loads the common-control window classes once.
void InitComCtrls();

// ---------------------------------------------------------------------------------------------------
// Custom drawing (both views)

enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
enum TCustomDrawStateItem {
  cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot, cdsMarked, cdsIndeterminate
};
using TCustomDrawState = TSet<TCustomDrawStateItem>;
TCustomDrawState CustomDrawStateFrom(UINT uItemState);

// A view's canvas on the paint DC of a custom-draw notification, with the view's font and colour;
// released again when this goes.
class TCustomDrawCanvas {
public:
  TCustomDrawCanvas(TCanvas* Canvas, HDC DC, TFont* Font, TColor Color);
  ~TCustomDrawCanvas() { FCanvas->SetHandle(nullptr); }
  TCustomDrawCanvas(const TCustomDrawCanvas&) = delete;
  TCustomDrawCanvas& operator=(const TCustomDrawCanvas&) = delete;
  // What an item handler changed, handed back to the common control: the new font selected into the
  // DC, the colours into TextColor and TextBkColor; CDRF_NEWFONT when anything changed.
  LRESULT Changes(COLORREF& TextColor, COLORREF& TextBkColor);

private:
  TCanvas* FCanvas;
  HDC FDC;
  TColor FFontColor, FBrushColor;
  LOGFONTA FFont;
};

enum TSortType { stNone, stData, stText, stBoth };
extern const TEnumInfo SortTypeNames;

// ---------------------------------------------------------------------------------------------------
// Page control

class TTabSheet : public TWinControl {
  YOZ_CLASS(TTabSheet, TWinControl)
public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* Value);
  int PageIndex() const;
  void SetPageIndex(int Value);
  // Index among the visible tabs, -1 when the tab is hidden.
  int TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);

  void SetParentComponent(TComponent* Value) override;
  TComponent* GetParentComponent() override;
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TTabSheet>& p);

private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  int FImageIndex = -1;
  HBRUSH FBrush = nullptr;
  TColor FBrushColor = clNone;
};

using TTabChangingEvent = TEvent<TObject*, bool&>;

class TPageControl : public TWinControl {
  YOZ_CLASS(TPageControl, TWinControl)
public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  int PageCount() const { return int(FPages.size()); }
  TTabSheet* Pages(int Index) const { return FPages.at(size_t(Index)); }
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Value);
  void SetActivePageIndex(int Value);
  // The next (or previous) page with a tab, round the end; OnChanging may refuse it.
  void SelectNextPage(bool GoForward);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void AdjustClientRect(RECT& Rect) override;
  void AlignControls(TControl* AControl, RECT& Rect) override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void Loaded() override;

  static void Publish(TPublisher<TPageControl>& p);

protected:
  virtual bool CanChange();
  virtual void Change();

private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void UpdateTabs();
  void ShowActive();
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  TCustomImageList* FImages = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// Status bar

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel : public TCollectionItem {
  YOZ_CLASS(TStatusPanel, TCollectionItem)
public:
  explicit TStatusPanel(TCollection* Collection);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel Value);
  TStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TStatusPanelStyle Value);
  void Assign(TPersistent* Source) override;
  static void Publish(TPublisher<TStatusPanel>& p);

private:
  std::string FText;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  TStatusPanelBevel FBevel = pbLowered;
  TStatusPanelStyle FStyle = psText;
};

class TStatusBar;

class TStatusPanels : public TCollection {
  YOZ_CLASS(TStatusPanels, TCollection)
public:
  explicit TStatusPanels(TStatusBar* StatusBar);
  // nullptr for an item still being made (the collection tells of it before its fields exist).
  TStatusPanel* Items(int Index) const { return dynamic_cast<TStatusPanel*>(TCollection::Items(Index)); }
  TStatusPanel* operator[](int Index) const { return Items(Index); }
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TPersistent* GetOwner() override;

protected:
  void Update(TCollectionItem* Item) override;

private:
  TStatusBar* FStatusBar;
};

using TDrawPanelEvent = TEvent<TStatusBar*, TStatusPanel*, RECT>;

class TStatusBar : public TWinControl {
  YOZ_CLASS(TStatusBar, TWinControl)
public:
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;

  TStatusPanels* Panels() const { return FPanels; }
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool Value);
  const std::string& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const std::string& Value);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool Value);
  TCanvas* Canvas() const { return FCanvas; }

  TDrawPanelEvent OnDrawPanel;

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  static void Publish(TPublisher<TStatusBar>& p);

  // Puts the panels (parts, texts) into the window.
  void UpdatePanels();
  void UpdatePanel(int Index);

private:
  TStatusPanels* FPanels;
  bool FSimplePanel = false;
  std::string FSimpleText;
  bool FSizeGrip = true;
  TCanvas* FCanvas;
};

// ---------------------------------------------------------------------------------------------------
// List view

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
  int IndexOf(const TListItem* Value) const;
  // Suppresses repainting (and sorting) until the matching EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  void Assign(TPersistent* Source) override;

private:
  friend class TCustomListView;
  friend class TListItem;
  TCustomListView* FOwner;
  std::vector<TListItem*> FItems;
  int FUpdateCount = 0;
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

// ---------------------------------------------------------------------------------------------------
// Tree view

enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };
enum THitTest { htAbove, htBelow, htNowhere, htOnItem, htOnButton, htOnIcon, htOnIndent, htOnLabel, htOnRight,
                htOnStateIcon, htToLeft, htToRight };
using THitTests = TSet<THitTest>;

using TTVCompare = int (*)(TTreeNode* Node1, TTreeNode* Node2, intptr_t Data);
int TTreeNodeRank(const TTreeNode* Node);

class TTreeNode : public TPersistent {
  YOZ_CLASS(TTreeNode, TPersistent)
public:
  explicit TTreeNode(TTreeNodes* AOwner);
  ~TTreeNode() override;

  TTreeNodes* Owner() const { return FOwner; }
  TCustomTreeView* TreeView() const;
  HTREEITEM ItemId() const { return FItemId; }

  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int Value);
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int Value);
  bool Cut() const { return FCut; }
  void SetCut(bool Value);
  bool HasChildren() const { return FHasChildren; }
  void SetHasChildren(bool Value);
  bool Expanded() const;
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const;
  bool DropTarget() const;
  void SetDropTarget(bool Value);

  TTreeNode* Parent() const { return FParent; }
  int Count() const { return int(FChildren.size()); }
  TTreeNode* Item(int Index) const;   // EListError when out of range
  TTreeNode* operator[](int Index) const { return Item(Index); }
  int Index() const;
  int Level() const;
  int AbsoluteIndex() const;
  TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The next node in tree order (children first), nullptr after the last.
  TTreeNode* GetNext() const;
  bool HasAsParent(const TTreeNode* Value) const;
  bool IsVisible() const;

  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  void MakeVisible();
  void Delete();
  void DeleteChildren();
  // Starts in-place editing of the text; True when the edit box opened.
  bool EditText();
  void EndEdit(bool Cancel);
  RECT DisplayRect(bool TextOnly) const;
  bool AlphaSort(bool ARecurse = false);
  bool CustomSort(TTVCompare SortProc, intptr_t Data, bool ARecurse = false);

private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  friend int TTreeNodeRank(const TTreeNode* Node);
  TTreeNodes* FOwner;
  TTreeNode* FParent = nullptr;
  std::vector<TTreeNode*> FChildren;
  HTREEITEM FItemId = nullptr;
  std::string FText;
  void* FData = nullptr;
  int FImageIndex = 0;
  int FSelectedIndex = 0;
  int FOverlayIndex = -1;
  int FStateIndex = -1;
  bool FCut = false;
  bool FHasChildren = false;
  bool FExpanded = false;   // kept while there is no window
  bool FDeleting = false;
  int FRank = 0;
};

class TTreeNodes : public TPersistent {
  YOZ_CLASS(TTreeNodes, TPersistent)
public:
  explicit TTreeNodes(TCustomTreeView* AOwner) : FOwner(AOwner) {}
  ~TTreeNodes() override;

  TCustomTreeView* Owner() const { return FOwner; }
  // All nodes in tree order.
  int Count() const;
  TTreeNode* Item(int Index) const;
  TTreeNode* operator[](int Index) const { return Item(Index); }
  TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }
  int TopCount() const { return int(FRoots.size()); }
  TTreeNode* TopItem(int Index) const { return FRoots.at(size_t(Index)); }

  // A new last sibling of Sibling (a top-level node when Sibling is nullptr).
  TTreeNode* Add(TTreeNode* Sibling, const std::string& S);
  TTreeNode* AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
  // A new last child of Parent (a top-level node when Parent is nullptr).
  TTreeNode* AddChild(TTreeNode* Parent, const std::string& S);
  TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr);
  // A new node before Sibling.
  TTreeNode* Insert(TTreeNode* Sibling, const std::string& S);
  void Delete(TTreeNode* Node);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  // The node of a window item.
  TTreeNode* GetNode(HTREEITEM ItemId) const;

private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* InternalAdd(TTreeNode* Parent, int Index, const std::string& S, void* Ptr);
  std::vector<TTreeNode*>& ListOf(TTreeNode* Parent) { return Parent ? Parent->FChildren : FRoots; }
  TCustomTreeView* FOwner;
  std::vector<TTreeNode*> FRoots;
  int FUpdateCount = 0;
};

using TTVChangingEvent = TEvent<TObject*, TTreeNode*, bool&>;
using TTVChangedEvent = TEvent<TObject*, TTreeNode*>;
using TTVExpandingEvent = TEvent<TObject*, TTreeNode*, bool&>;
using TTVCollapsingEvent = TEvent<TObject*, TTreeNode*, bool&>;
using TTVExpandedEvent = TEvent<TObject*, TTreeNode*>;
using TTVEditingEvent = TEvent<TObject*, TTreeNode*, bool&>;
using TTVEditedEvent = TEvent<TObject*, TTreeNode*, std::string&>;
using TTVCompareEvent = TEvent<TObject*, TTreeNode*, TTreeNode*, int, int&>;
using TTVCustomDrawEvent = TEvent<TCustomTreeView*, RECT, bool&>;
using TTVCustomDrawItemEvent = TEvent<TCustomTreeView*, TTreeNode*, TCustomDrawState, bool&>;

class TCustomTreeView : public TWinControl {
  YOZ_CLASS(TCustomTreeView, TWinControl)
public:
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;
  void BeforeDestruction() override;

  TTreeNodes* Items() const { return FNodes; }
  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* Value);
  TTreeNode* DropTarget() const;
  void SetDropTarget(TTreeNode* Value);
  TTreeNode* TopItem() const;
  TTreeNode* GetNodeAt(int X, int Y) const;
  THitTests GetHitTestInfoAt(int X, int Y) const;
  bool IsEditing() const;
  bool AlphaSort(bool ARecurse = true);
  bool CustomSort(TTVCompare SortProc, intptr_t Data, bool ARecurse = true);
  TCanvas* Canvas() const { return FCanvas; }

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool Value);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool Value);
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value);
  bool AutoExpand() const { return FAutoExpand; }
  void SetAutoExpand(bool Value);
  bool RightClickSelect() const { return FRightClickSelect; }
  void SetRightClickSelect(bool Value) { FRightClickSelect = Value; }
  int ChangeDelay() const { return FChangeDelay; }
  void SetChangeDelay(int Value) { FChangeDelay = Value; }
  int Indent() const;
  void SetIndent(int Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TSortType SortType() const { return FSortType; }
  void SetSortType(TSortType Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TCustomImageList* StateImages() const { return FStateImages; }
  void SetStateImages(TCustomImageList* Value);

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVExpandedEvent OnDeletion;
  TTVExpandedEvent OnGetImageIndex;
  TTVExpandedEvent OnGetSelectedIndex;
  TTVCompareEvent OnCompare;
  TTVCustomDrawEvent OnCustomDraw;
  TTVCustomDrawItemEvent OnCustomDrawItem;

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

  static void Publish(TPublisher<TCustomTreeView>& p);

  // Overridable steps behind the events.
  virtual bool CanChange(TTreeNode* Node);
  virtual void Change(TTreeNode* Node);
  virtual bool CanExpand(TTreeNode* Node);
  virtual void Expand(TTreeNode* Node);
  virtual bool CanCollapse(TTreeNode* Node);
  virtual void Collapse(TTreeNode* Node);
  virtual bool CanEdit(TTreeNode* Node);
  virtual void Edit(const TVITEMA& Item);
  virtual void Delete(TTreeNode* Node);
  virtual void GetImageIndex(TTreeNode* Node);
  virtual void GetSelectedIndex(TTreeNode* Node);
  // NM_CUSTOMDRAW: the class library's events; True when one of them is assigned.
  virtual bool IsCustomDrawn(bool Item);
  virtual LRESULT CustomDraw(NMTVCUSTOMDRAW* CD);

protected:
  void SetTreeStyle(DWORD Bit, bool On);
  // Message handlers that Dispatch routes.
  void CNNotify(TWMNotify& Message);
  void CMFontChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  // The notifications CNNotify routes.
  void TVNSelChanging(TWMNotify& Message);
  void TVNSelChanged(TWMNotify& Message);
  void TVNItemExpanding(TWMNotify& Message);
  void TVNItemExpanded(TWMNotify& Message);
  void TVNBeginLabelEdit(TWMNotify& Message);
  void TVNEndLabelEditA(TWMNotify& Message);
  void TVNEndLabelEditW(TWMNotify& Message);
  void TVNGetDispInfo(TWMNotify& Message);
  void NMRClick();
  void NMCustomDraw(TWMNotify& Message);
  void ApplyImages();

private:
  friend class TTreeNodes;
  friend class TTreeNode;
  void WindowInsert(TTreeNode* Node);
  void WindowInsertTree(TTreeNode* Node);
  // Marks Node and all below it as going and runs OnDeletion for each, children before parents.
  void NotifyDeletion(TTreeNode* Node);
  void DeleteNode(TTreeNode* Node);
  void SortSiblings(std::vector<TTreeNode*>& List, TTreeNode* Parent, bool (*Less)(TTreeNode*, TTreeNode*, void*),
                    void* Ctx, bool Recurse);
  void SortIfNeeded(TTreeNode* Parent);
  bool TextLess(TTreeNode* A, TTreeNode* B);

  TTreeNodes* FNodes;
  TTreeNode* FSelected = nullptr;   // kept while there is no window
  bool FReadOnly = false;
  bool FShowButtons = true;
  bool FShowLines = true;
  bool FShowRoot = true;
  bool FHideSelection = true;
  bool FRowSelect = false;
  bool FHotTrack = false;
  bool FToolTips = true;
  bool FAutoExpand = false;
  bool FRightClickSelect = false;
  int FChangeDelay = 0;
  int FIndent = 19;
  TBorderStyle FBorderStyle = bsSingle;
  TSortType FSortType = stNone;
  bool FSortPending = false;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FStateImages = nullptr;
  TCanvas* FCanvas;
  bool FClearing = false;
  bool FDestroying = false;
  std::string FEditText;
};

class TTreeView : public TCustomTreeView {
  YOZ_CLASS(TTreeView, TCustomTreeView)
public:
  explicit TTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}
};

void RegisterComCtrlsClasses();
