// Tree view: nodes, the node list and the view.
//
// The items of list and tree views live in the object (TListItem, TTreeNode) and are handed to the
// window whenever it is made: they can be added before the window exists and survive RecreateWnd.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ClassesLists.h"
#include "ComCtrlsCommon.h"
#include "Controls.h"
#include "Graphics.h"
#include "ImgList.h"

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
