// The tree view: nodes kept in the object and mirrored into the window, expansion, selection, label
// editing, sorting, images on demand and custom drawing.
#include <algorithm>
#include <cstring>
#include <functional>

#include "ComCtrlsTreeView.h"
#include "Forms.h"

static const TEnumInfo TVBorderStyleNames{"TBorderStyle", {"bsNone", "bsSingle"}};

// ---------------------------------------------------------------------------------------------------
// TTreeNode

TTreeNode::TTreeNode(TTreeNodes* AOwner) : FOwner(AOwner) {}

TTreeNode::~TTreeNode() {
  for (auto* c : FChildren) delete c;
}

TCustomTreeView* TTreeNode::TreeView() const { return FOwner ? FOwner->Owner() : nullptr; }

namespace {
HWND TreeWnd(const TTreeNode* n) {
  TCustomTreeView* tv = n->TreeView();
  return tv && tv->HandleAllocated() && n->ItemId() ? tv->WindowHandle() : nullptr;
}

void SetItemState(const TTreeNode* n, UINT state, UINT mask) {
  if (HWND w = TreeWnd(n)) {
    TVITEMA it{};
    it.mask = TVIF_STATE;
    it.hItem = n->ItemId();
    it.state = state;
    it.stateMask = mask;
    SendMessageA(w, TVM_SETITEMA, 0, LPARAM(&it));
  }
}

void InvalidateNode(const TTreeNode* n) {
  if (HWND w = TreeWnd(n)) {
    RECT r{};
    HTREEITEM id = n->ItemId();
    memcpy(&r, &id, sizeof id);
    if (SendMessageA(w, TVM_GETITEMRECT, FALSE, LPARAM(&r))) InvalidateRect(w, &r, TRUE);
  }
}
}  // namespace

void TTreeNode::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  if (HWND w = TreeWnd(this)) {
    TVITEMA it{};
    it.mask = TVIF_TEXT;
    it.hItem = FItemId;
    it.pszText = const_cast<char*>(FText.c_str());
    SendMessageA(w, TVM_SETITEMA, 0, LPARAM(&it));
  }
  if (TCustomTreeView* tv = TreeView()) tv->SortIfNeeded(FParent);
}

void TTreeNode::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  InvalidateNode(this);
}

void TTreeNode::SetSelectedIndex(int Value) {
  if (Value == FSelectedIndex) return;
  FSelectedIndex = Value;
  InvalidateNode(this);
}

void TTreeNode::SetOverlayIndex(int Value) {
  if (Value == FOverlayIndex) return;
  FOverlayIndex = Value;
  SetItemState(this, INDEXTOOVERLAYMASK(unsigned(Value + 1)), TVIS_OVERLAYMASK);
}

void TTreeNode::SetCut(bool Value) {
  if (Value == FCut) return;
  FCut = Value;
  SetItemState(this, Value ? TVIS_CUT : 0, TVIS_CUT);
}

void TTreeNode::SetHasChildren(bool Value) {
  FHasChildren = Value;
  if (HWND w = TreeWnd(this)) {
    TVITEMA it{};
    it.mask = TVIF_CHILDREN;
    it.hItem = FItemId;
    it.cChildren = Value ? 1 : 0;
    SendMessageA(w, TVM_SETITEMA, 0, LPARAM(&it));
  }
}

bool TTreeNode::Expanded() const {
  if (HWND w = TreeWnd(this))
    return (SendMessageA(w, TVM_GETITEMSTATE, WPARAM(FItemId), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  return FExpanded;
}

void TTreeNode::Expand(bool Recurse) {
  TCustomTreeView* tv = TreeView();
  if (!Expanded() && (FHasChildren || !FChildren.empty()) && tv && tv->CanExpand(this)) {
    FExpanded = true;
    if (HWND w = TreeWnd(this)) SendMessageA(w, TVM_EXPAND, TVE_EXPAND, LPARAM(FItemId));
    tv->Expand(this);
  }
  if (Recurse)
    for (auto* c : std::vector<TTreeNode*>(FChildren)) c->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
  TCustomTreeView* tv = TreeView();
  if (Expanded() && tv && tv->CanCollapse(this)) {
    FExpanded = false;
    if (HWND w = TreeWnd(this)) SendMessageA(w, TVM_EXPAND, TVE_COLLAPSE, LPARAM(FItemId));
    tv->Collapse(this);
  }
  if (Recurse)
    for (auto* c : std::vector<TTreeNode*>(FChildren)) c->Collapse(true);
}

bool TTreeNode::Selected() const {
  TCustomTreeView* tv = TreeView();
  return tv && tv->Selected() == this;
}

void TTreeNode::SetSelected(bool Value) {
  TCustomTreeView* tv = TreeView();
  if (!tv) return;
  if (Value)
    tv->SetSelected(this);
  else if (Selected())
    tv->SetSelected(nullptr);
}

bool TTreeNode::Focused() const {
  if (HWND w = TreeWnd(this))
    return Selected() && GetFocus() == w;
  return false;
}

bool TTreeNode::DropTarget() const {
  TCustomTreeView* tv = TreeView();
  return tv && tv->DropTarget() == this;
}

void TTreeNode::SetDropTarget(bool Value) {
  if (TCustomTreeView* tv = TreeView()) {
    if (Value)
      tv->SetDropTarget(this);
    else if (DropTarget())
      tv->SetDropTarget(nullptr);
  }
}

TTreeNode* TTreeNode::Item(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FChildren[size_t(Index)];
}

int TTreeNode::Index() const {
  const auto& list = FParent ? FParent->FChildren : FOwner->FRoots;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

int TTreeNode::Level() const {
  int l = 0;
  for (TTreeNode* p = FParent; p; p = p->FParent) ++l;
  return l;
}

int TTreeNode::AbsoluteIndex() const {
  int i = 0;
  for (TTreeNode* n = FOwner->GetFirstNode(); n; n = n->GetNext(), ++i)
    if (n == this) return i;
  return -1;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& list = FParent ? FParent->FChildren : FOwner->FRoots;
  auto it = std::find(list.begin(), list.end(), this);
  return (it == list.end() || it + 1 == list.end()) ? nullptr : *(it + 1);
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const auto& list = FParent ? FParent->FChildren : FOwner->FRoots;
  auto it = std::find(list.begin(), list.end(), this);
  return (it == list.end() || it == list.begin()) ? nullptr : *(it - 1);
}

TTreeNode* TTreeNode::GetNext() const {
  if (!FChildren.empty()) return FChildren.front();
  for (const TTreeNode* n = this; n; n = n->FParent)
    if (TTreeNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

bool TTreeNode::HasAsParent(const TTreeNode* Value) const {
  for (TTreeNode* p = FParent; p; p = p->FParent)
    if (p == Value) return true;
  return false;
}

bool TTreeNode::IsVisible() const {
  for (TTreeNode* p = FParent; p; p = p->FParent)
    if (!p->Expanded()) return false;
  return true;
}

void TTreeNode::MakeVisible() {
  if (HWND w = TreeWnd(this)) {
    SendMessageA(w, TVM_ENSUREVISIBLE, 0, LPARAM(FItemId));
    return;
  }
  for (TTreeNode* p = FParent; p; p = p->FParent) p->Expand(false);
}

void TTreeNode::Delete() { FOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
  while (!FChildren.empty()) FOwner->Delete(FChildren.back());
}

bool TTreeNode::EditText() {
  HWND w = TreeWnd(this);
  if (!w) return false;
  SetFocus(w);
  return SendMessageA(w, TVM_EDITLABELA, 0, LPARAM(FItemId)) != 0;
}

void TTreeNode::EndEdit(bool Cancel) {
  if (HWND w = TreeWnd(this)) SendMessageA(w, TVM_ENDEDITLABELNOW, Cancel, 0);
}

RECT TTreeNode::DisplayRect(bool TextOnly) const {
  RECT r{};
  if (HWND w = TreeWnd(this)) {
    memcpy(&r, &FItemId, sizeof FItemId);
    if (!SendMessageA(w, TVM_GETITEMRECT, TextOnly, LPARAM(&r))) r = RECT{};
  }
  return r;
}

bool TTreeNode::AlphaSort(bool ARecurse) {
  TCustomTreeView* tv = TreeView();
  if (!tv) return false;
  tv->SortSiblings(FChildren, this, [](TTreeNode* a, TTreeNode* b, void* t) {
    return static_cast<TCustomTreeView*>(t)->TextLess(a, b);
  }, tv, ARecurse);
  return true;
}

bool TTreeNode::CustomSort(TTVCompare SortProc, intptr_t Data, bool ARecurse) {
  TCustomTreeView* tv = TreeView();
  if (!tv) return false;
  if (!SortProc) return AlphaSort(ARecurse);
  struct Ctx {
    TTVCompare fn;
    intptr_t data;
  } ctx{SortProc, Data};
  tv->SortSiblings(FChildren, this, [](TTreeNode* a, TTreeNode* b, void* c) {
    auto* x = static_cast<Ctx*>(c);
    return x->fn(a, b, x->data) < 0;
  }, &ctx, ARecurse);
  return true;
}

// ---------------------------------------------------------------------------------------------------
// TTreeNodes

TTreeNodes::~TTreeNodes() {
  for (auto* n : FRoots) delete n;
}

int TTreeNodes::Count() const {
  int n = 0;
  for (TTreeNode* x = GetFirstNode(); x; x = x->GetNext()) ++n;
  return n;
}

TTreeNode* TTreeNodes::Item(int Index) const {
  int i = 0;
  for (TTreeNode* x = GetFirstNode(); x; x = x->GetNext(), ++i)
    if (i == Index) return x;
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TTreeNode* TTreeNodes::InternalAdd(TTreeNode* Parent, int Index, const std::string& S, void* Ptr) {
  auto& list = ListOf(Parent);
  if (Index < 0 || Index > int(list.size())) Index = int(list.size());
  auto* node = new TTreeNode(this);
  node->FText = S;
  node->FData = Ptr;
  node->FParent = Parent;
  list.insert(list.begin() + Index, node);
  if (Parent && !Parent->FHasChildren) Parent->SetHasChildren(true);
  FOwner->WindowInsert(node);
  FOwner->SortIfNeeded(Parent);
  return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::string& S) { return AddObject(Sibling, S, nullptr); }

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
  return InternalAdd(Sibling ? Sibling->FParent : nullptr, -1, S, Ptr);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::string& S) { return AddChildObject(Parent, S, nullptr); }

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr) {
  return InternalAdd(Parent, -1, S, Ptr);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::string& S) {
  if (!Sibling) return Add(nullptr, S);
  return InternalAdd(Sibling->FParent, Sibling->Index(), S, nullptr);
}

void TTreeNodes::Delete(TTreeNode* Node) {
  if (Node) FOwner->DeleteNode(Node);
}

void TTreeNodes::Clear() {
  if (FRoots.empty()) return;
  FOwner->FClearing = true;
  TScopeExit cleared([this] { FOwner->FClearing = false; });
  TUpdateScope update(this);
  // Every node hears of its deletion, children before their parent, before any node goes.
  std::vector<TTreeNode*> order;
  std::function<void(TTreeNode*)> post = [&](TTreeNode* n) {
    n->FDeleting = true;
    for (auto* c : n->FChildren) post(c);
    order.push_back(n);
  };
  for (auto* r : FRoots) post(r);
  for (auto* n : order) FOwner->Delete(n);
  if (FOwner->HandleAllocated()) FOwner->Perform(TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
  std::vector<TTreeNode*> roots;
  roots.swap(FRoots);
  for (auto* n : roots) delete n;
  FOwner->FSelected = nullptr;
}

void TTreeNodes::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) SendMessageA(FOwner->WindowHandle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount > 0) return;
  if (FOwner->FSortPending) FOwner->AlphaSort(true);
  if (FOwner->HandleAllocated()) {
    SendMessageA(FOwner->WindowHandle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FOwner->WindowHandle(), nullptr, TRUE);
  }
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM ItemId) const {
  if (!ItemId || !FOwner->HandleAllocated()) return nullptr;
  TVITEMA it{};
  it.mask = TVIF_PARAM;
  it.hItem = ItemId;
  if (!SendMessageA(FOwner->WindowHandle(), TVM_GETITEMA, 0, LPARAM(&it))) return nullptr;
  return reinterpret_cast<TTreeNode*>(it.lParam);
}

// ---------------------------------------------------------------------------------------------------
// TCustomTreeView

TCustomTreeView::TCustomTreeView(TComponent* AOwner) : TWinControl(AOwner) {
  InitComCtrls();
  FNodes = new TTreeNodes(this);
  FCanvas = new TCanvas();
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  // Clicks come from the window's NM_CLICK and NM_DBLCLK; it tracks the mouse itself.
  FControlStyle = {csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 121, 97);
}

TCustomTreeView::~TCustomTreeView() {
  FDestroying = true;
  delete FNodes;
  FNodes = nullptr;
  delete FCanvas;
}

void TCustomTreeView::BeforeDestruction() {
  // Every node hears of its deletion (its data can be released), children first.
  if (FNodes && !FDestroying) {
    for (auto* r : std::vector<TTreeNode*>(FNodes->FRoots)) NotifyDeletion(r);
  }
  FDestroying = true;
  TWinControl::BeforeDestruction();
}

void TCustomTreeView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_TREEVIEWA);
  Params.Style |= WS_CLIPCHILDREN;
  if (FShowButtons) Params.Style |= TVS_HASBUTTONS;
  if (FShowLines) Params.Style |= TVS_HASLINES;
  if (FShowRoot) Params.Style |= TVS_LINESATROOT;
  if (!FReadOnly) Params.Style |= TVS_EDITLABELS;
  if (!FHideSelection) Params.Style |= TVS_SHOWSELALWAYS;
  if (FRowSelect) Params.Style |= TVS_FULLROWSELECT;
  if (FHotTrack) Params.Style |= TVS_TRACKSELECT;
  if (!FToolTips) Params.Style |= TVS_NOTOOLTIPS;
  if (FAutoExpand) Params.Style |= TVS_SINGLEEXPAND;
  if (DragMode() != dmAutomatic) Params.Style |= TVS_DISABLEDRAGDROP;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::ApplyImages() {
  if (!HandleAllocated()) return;
  SendMessageA(FHandle, TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(FImages ? FImages->Handle() : nullptr));
  SendMessageA(FHandle, TVM_SETIMAGELIST, TVSIL_STATE, LPARAM(FStateImages ? FStateImages->Handle() : nullptr));
}

void TCustomTreeView::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(FHandle, TVM_SETINDENT, WPARAM(FIndent), 0);
  SendMessageA(FHandle, TVM_SETBKCOLOR, 0, LPARAM(ColorToRGB(Color())));
  SendMessageA(FHandle, TVM_SETTEXTCOLOR, 0, LPARAM(ColorToRGB(Font()->Color())));
  ApplyImages();
  // The nodes made before (or kept over) the window go into it, quietly.
  bool oldClearing = FClearing;
  FClearing = true;
  SendMessageA(FHandle, WM_SETREDRAW, FALSE, 0);
  for (auto* r : FNodes->FRoots) WindowInsertTree(r);
  if (FSelected) SendMessageA(FHandle, TVM_SELECTITEM, TVGN_CARET, LPARAM(FSelected->FItemId));
  SendMessageA(FHandle, WM_SETREDRAW, TRUE, 0);
  FClearing = oldClearing;
}

void TCustomTreeView::DestroyWnd() {
  if (HandleAllocated() && FNodes) {
    FSelected = Selected();
    for (TTreeNode* n = FNodes->GetFirstNode(); n; n = n->GetNext()) n->FExpanded = n->Expanded();
  }
  bool oldClearing = FClearing;
  FClearing = true;
  TWinControl::DestroyWnd();
  FClearing = oldClearing;
  if (FNodes)
    for (TTreeNode* n = FNodes->GetFirstNode(); n; n = n->GetNext()) n->FItemId = nullptr;
}

void TCustomTreeView::WindowInsert(TTreeNode* Node) {
  if (!HandleAllocated()) return;
  if (Node->FParent && !Node->FParent->FItemId) return;
  TVINSERTSTRUCTA ins{};
  ins.hParent = Node->FParent ? Node->FParent->FItemId : TVI_ROOT;
  TTreeNode* prev = Node->GetPrevSibling();
  ins.hInsertAfter = prev && prev->FItemId ? prev->FItemId : TVI_FIRST;
  TVITEMA& it = ins.item;
  it.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
  it.pszText = const_cast<char*>(Node->FText.c_str());
  it.lParam = reinterpret_cast<LPARAM>(Node);
  it.iImage = I_IMAGECALLBACK;
  it.iSelectedImage = I_IMAGECALLBACK;
  it.cChildren = Node->FHasChildren ? 1 : 0;
  it.stateMask = TVIS_OVERLAYMASK | TVIS_CUT | TVIS_STATEIMAGEMASK;
  it.state = INDEXTOOVERLAYMASK(unsigned(Node->FOverlayIndex + 1)) | (Node->FCut ? TVIS_CUT : 0) |
             INDEXTOSTATEIMAGEMASK(unsigned(Node->FStateIndex < 0 ? 0 : Node->FStateIndex));
  Node->FItemId = reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_INSERTITEMA, 0, LPARAM(&ins)));
}

void TCustomTreeView::WindowInsertTree(TTreeNode* Node) {
  WindowInsert(Node);
  for (auto* c : Node->FChildren) WindowInsertTree(c);
  if (Node->FExpanded && Node->FItemId) SendMessageA(FHandle, TVM_EXPAND, TVE_EXPAND, LPARAM(Node->FItemId));
}

void TCustomTreeView::NotifyDeletion(TTreeNode* Node) {
  Node->FDeleting = true;
  for (auto* c : std::vector<TTreeNode*>(Node->FChildren)) NotifyDeletion(c);
  Delete(Node);
}

void TCustomTreeView::DeleteNode(TTreeNode* Node) {
  if (Node->FDeleting) return;
  NotifyDeletion(Node);
  TTreeNode* parent = Node->FParent;
  auto& list = FNodes->ListOf(parent);
  auto it = std::find(list.begin(), list.end(), Node);
  if (it == list.end()) return;  // a handler took it out already
  if (FSelected && (FSelected == Node || FSelected->HasAsParent(Node))) FSelected = nullptr;
  if (HandleAllocated() && Node->FItemId) Perform(TVM_DELETEITEM, 0, LPARAM(Node->FItemId));
  it = std::find(list.begin(), list.end(), Node);
  if (it != list.end()) list.erase(it);
  delete Node;
  if (parent && parent->FChildren.empty() && !parent->FDeleting) parent->SetHasChildren(false);
}

TTreeNode* TCustomTreeView::Selected() const {
  if (HandleAllocated())
    return FNodes->GetNode(reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_GETNEXTITEM, TVGN_CARET, 0)));
  return FSelected;
}

void TCustomTreeView::SetSelected(TTreeNode* Value) {
  if (HandleAllocated()) {
    SendMessageA(FHandle, TVM_SELECTITEM, TVGN_CARET, LPARAM(Value ? Value->FItemId : nullptr));
    return;
  }
  FSelected = Value;
}

TTreeNode* TCustomTreeView::DropTarget() const {
  if (!HandleAllocated()) return nullptr;
  return FNodes->GetNode(reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)));
}

void TCustomTreeView::SetDropTarget(TTreeNode* Value) {
  if (HandleAllocated()) SendMessageA(FHandle, TVM_SELECTITEM, TVGN_DROPHILITE, LPARAM(Value ? Value->FItemId : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() const {
  if (!HandleAllocated()) return FNodes->GetFirstNode();
  return FNodes->GetNode(reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) const {
  if (!HandleAllocated()) return nullptr;
  TVHITTESTINFO hi{};
  hi.pt = POINT{X, Y};
  HTREEITEM h = reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_HITTEST, 0, LPARAM(&hi)));
  if (!h || !(hi.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON))) return nullptr;
  return FNodes->GetNode(h);
}

THitTests TCustomTreeView::GetHitTestInfoAt(int X, int Y) const {
  THitTests r;
  if (!HandleAllocated()) return r;
  TVHITTESTINFO hi{};
  hi.pt = POINT{X, Y};
  SendMessageA(FHandle, TVM_HITTEST, 0, LPARAM(&hi));
  UINT f = hi.flags;
  if (f & TVHT_ABOVE) r.Include(htAbove);
  if (f & TVHT_BELOW) r.Include(htBelow);
  if (f & TVHT_NOWHERE) r.Include(htNowhere);
  if ((f & TVHT_ONITEM) == TVHT_ONITEM) r.Include(htOnItem);
  else {
    if (f & TVHT_ONITEMICON) r.Include(htOnIcon);
    if (f & TVHT_ONITEMLABEL) r.Include(htOnLabel);
    if (f & TVHT_ONITEMSTATEICON) r.Include(htOnStateIcon);
    if (f & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)) r.Include(htOnItem);
  }
  if (f & TVHT_ONITEMBUTTON) r.Include(htOnButton);
  if (f & TVHT_ONITEMINDENT) r.Include(htOnIndent);
  if (f & TVHT_ONITEMRIGHT) r.Include(htOnRight);
  if (f & TVHT_TOLEFT) r.Include(htToLeft);
  if (f & TVHT_TORIGHT) r.Include(htToRight);
  return r;
}

bool TCustomTreeView::IsEditing() const {
  return HandleAllocated() && SendMessageA(FHandle, TVM_GETEDITCONTROL, 0, 0) != 0;
}

bool TCustomTreeView::TextLess(TTreeNode* A, TTreeNode* B) {
  if (OnCompare) {
    int r = 0;
    OnCompare(this, A, B, 0, r);
    return r < 0;
  }
  return AnsiCompareText(A->FText, B->FText) < 0;
}

namespace {
int CALLBACK NodeRankCompare(LPARAM a, LPARAM b, LPARAM) {
  return TTreeNodeRank(reinterpret_cast<TTreeNode*>(a)) - TTreeNodeRank(reinterpret_cast<TTreeNode*>(b));
}
}  // namespace

int TTreeNodeRank(const TTreeNode* Node) { return Node->FRank; }

void TCustomTreeView::SortSiblings(std::vector<TTreeNode*>& List, TTreeNode* Parent,
                                   bool (*Less)(TTreeNode*, TTreeNode*, void*), void* Ctx, bool Recurse) {
  std::stable_sort(List.begin(), List.end(), [&](TTreeNode* a, TTreeNode* b) { return Less(a, b, Ctx); });
  if (HandleAllocated() && (!Parent || Parent->FItemId)) {
    for (size_t i = 0; i < List.size(); ++i) List[i]->FRank = int(i);
    TVSORTCB sort{};
    sort.hParent = Parent ? Parent->FItemId : TVI_ROOT;
    sort.lpfnCompare = &NodeRankCompare;
    SendMessageA(FHandle, TVM_SORTCHILDRENCB, 0, LPARAM(&sort));
  }
  if (Recurse)
    for (auto* c : List) SortSiblings(c->FChildren, c, Less, Ctx, true);
}

void TCustomTreeView::SortIfNeeded(TTreeNode* Parent) {
  if (FSortType != stText && FSortType != stBoth) return;
  if (FNodes->FUpdateCount > 0 || ComponentState().Contains(csLoading)) {
    FSortPending = true;
    return;
  }
  SortSiblings(FNodes->ListOf(Parent), Parent, [](TTreeNode* a, TTreeNode* b, void* t) {
    return static_cast<TCustomTreeView*>(t)->TextLess(a, b);
  }, this, false);
}

bool TCustomTreeView::AlphaSort(bool ARecurse) {
  FSortPending = false;
  SortSiblings(FNodes->FRoots, nullptr, [](TTreeNode* a, TTreeNode* b, void* t) {
    return static_cast<TCustomTreeView*>(t)->TextLess(a, b);
  }, this, ARecurse);
  return true;
}

bool TCustomTreeView::CustomSort(TTVCompare SortProc, intptr_t Data, bool ARecurse) {
  if (!SortProc) return AlphaSort(ARecurse);
  struct Ctx {
    TTVCompare fn;
    intptr_t data;
  } ctx{SortProc, Data};
  SortSiblings(FNodes->FRoots, nullptr, [](TTreeNode* a, TTreeNode* b, void* c) {
    auto* x = static_cast<Ctx*>(c);
    return x->fn(a, b, x->data) < 0;
  }, &ctx, ARecurse);
  return true;
}

void TCustomTreeView::SetTreeStyle(DWORD Bit, bool On) {
  if (!HandleAllocated()) return;
  LONG s = GetWindowLongA(FHandle, GWL_STYLE);
  LONG n = On ? (s | LONG(Bit)) : (s & ~LONG(Bit));
  if (n != s) {
    SetWindowLongA(FHandle, GWL_STYLE, n);
    InvalidateRect(FHandle, nullptr, TRUE);
  }
}

void TCustomTreeView::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  SetTreeStyle(TVS_EDITLABELS, !Value);
}

void TCustomTreeView::SetShowButtons(bool Value) {
  if (Value == FShowButtons) return;
  FShowButtons = Value;
  SetTreeStyle(TVS_HASBUTTONS, Value);
}

void TCustomTreeView::SetShowLines(bool Value) {
  if (Value == FShowLines) return;
  FShowLines = Value;
  SetTreeStyle(TVS_HASLINES, Value);
}

void TCustomTreeView::SetShowRoot(bool Value) {
  if (Value == FShowRoot) return;
  FShowRoot = Value;
  SetTreeStyle(TVS_LINESATROOT, Value);
}

void TCustomTreeView::SetHideSelection(bool Value) {
  if (Value == FHideSelection) return;
  FHideSelection = Value;
  SetTreeStyle(TVS_SHOWSELALWAYS, !Value);
}

void TCustomTreeView::SetRowSelect(bool Value) {
  if (Value == FRowSelect) return;
  FRowSelect = Value;
  SetTreeStyle(TVS_FULLROWSELECT, Value);
}

void TCustomTreeView::SetHotTrack(bool Value) {
  if (Value == FHotTrack) return;
  FHotTrack = Value;
  SetTreeStyle(TVS_TRACKSELECT, Value);
}

void TCustomTreeView::SetToolTips(bool Value) {
  if (Value == FToolTips) return;
  FToolTips = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomTreeView::SetAutoExpand(bool Value) {
  if (Value == FAutoExpand) return;
  FAutoExpand = Value;
  SetTreeStyle(TVS_SINGLEEXPAND, Value);
}

int TCustomTreeView::Indent() const {
  if (HandleAllocated()) return int(SendMessageA(FHandle, TVM_GETINDENT, 0, 0));
  return FIndent;
}

void TCustomTreeView::SetIndent(int Value) {
  if (Value == FIndent) return;
  FIndent = Value;
  if (HandleAllocated()) SendMessageA(FHandle, TVM_SETINDENT, WPARAM(Value), 0);
}

void TCustomTreeView::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomTreeView::SetSortType(TSortType Value) {
  if (Value == FSortType) return;
  FSortType = Value;
  if ((Value == stText || Value == stBoth) && !ComponentState().Contains(csLoading)) AlphaSort(true);
}

void TCustomTreeView::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  ApplyImages();
}

void TCustomTreeView::SetStateImages(TCustomImageList* Value) {
  if (Value == FStateImages) return;
  if (FStateImages) FStateImages->RemoveFreeNotification(this);
  FStateImages = Value;
  if (Value) Value->FreeNotification(this);
  ApplyImages();
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) {
    FImages = nullptr;
    ApplyImages();
  }
  if (AComponent == FStateImages) {
    FStateImages = nullptr;
    ApplyImages();
  }
}

void TCustomTreeView::Loaded() {
  TWinControl::Loaded();
  if (FSortPending || FSortType == stText || FSortType == stBoth) {
    if (FSortType == stText || FSortType == stBoth) AlphaSort(true);
    FSortPending = false;
  }
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
  bool allow = true;
  OnChanging(this, Node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) { OnChange(this, Node); }

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
  bool allow = true;
  OnExpanding(this, Node, allow);
  return allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) { OnExpanded(this, Node); }

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
  bool allow = true;
  OnCollapsing(this, Node, allow);
  return allow;
}

void TCustomTreeView::Collapse(TTreeNode* Node) { OnCollapsed(this, Node); }

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
  if (FReadOnly) return false;
  bool allow = true;
  OnEditing(this, Node, allow);
  return allow;
}

void TCustomTreeView::Edit(const TVITEMA& Item) {
  auto* node = reinterpret_cast<TTreeNode*>(Item.lParam);
  if (!node || !Item.pszText) return;
  std::string s = Item.pszText;
  TLiveGuard g(this);
  OnEdited(this, node, s);
  if (!g) return;
  node->SetText(s);
}

void TCustomTreeView::Delete(TTreeNode* Node) { OnDeletion(this, Node); }

void TCustomTreeView::GetImageIndex(TTreeNode* Node) { OnGetImageIndex(this, Node); }

void TCustomTreeView::GetSelectedIndex(TTreeNode* Node) { OnGetSelectedIndex(this, Node); }

bool TCustomTreeView::IsCustomDrawn(bool Item) {
  return Item ? bool(OnCustomDrawItem) : (OnCustomDraw || OnCustomDrawItem);
}

LRESULT TCustomTreeView::CustomDraw(NMTVCUSTOMDRAW* CD) {
  NMCUSTOMDRAW& nm = CD->nmcd;
  bool def = true;
  switch (nm.dwDrawStage) {
    case CDDS_PREPAINT: {
      LRESULT r = CDRF_DODEFAULT;
      if (OnCustomDraw) {
        {
          TCustomDrawCanvas canvas(FCanvas, nm.hdc, Font(), Color());
          OnCustomDraw(this, nm.rc, def);
        }
        if (!def) return CDRF_SKIPDEFAULT;
      }
      if (OnCustomDrawItem) r |= CDRF_NOTIFYITEMDRAW;
      return r;
    }
    case CDDS_ITEMPREPAINT: {
      auto* node = reinterpret_cast<TTreeNode*>(nm.lItemlParam);
      if (!node || !OnCustomDrawItem) return CDRF_DODEFAULT;
      TCustomDrawCanvas canvas(FCanvas, nm.hdc, Font(), Color());
      OnCustomDrawItem(this, node, CustomDrawStateFrom(nm.uItemState), def);
      if (!def) return CDRF_SKIPDEFAULT;
      return CDRF_DODEFAULT | canvas.Changes(CD->clrText, CD->clrTextBk);
    }
  }
  return CDRF_DODEFAULT;
}

void TCustomTreeView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY:        CNNotify(MessageAs<TWMNotify>(Message)); return;
    case CM_FONTCHANGED:   CMFontChanged(Message); return;
    case CM_COLORCHANGED:  CMColorChanged(Message); return;
  }
  TWinControl::Dispatch(Message);
}

// The tree's own notifications, reflected back from the parent.
void TCustomTreeView::CNNotify(TWMNotify& Message) {
  Message.Result = 0;
  switch (Message.NMHdr()->code) {
    case TVN_SELCHANGINGA:    case TVN_SELCHANGINGW:    TVNSelChanging(Message); return;
    case TVN_SELCHANGEDA:     case TVN_SELCHANGEDW:     TVNSelChanged(Message); return;
    case TVN_ITEMEXPANDINGA:  case TVN_ITEMEXPANDINGW:  TVNItemExpanding(Message); return;
    case TVN_ITEMEXPANDEDA:   case TVN_ITEMEXPANDEDW:   TVNItemExpanded(Message); return;
    case TVN_BEGINLABELEDITA: case TVN_BEGINLABELEDITW: TVNBeginLabelEdit(Message); return;
    case TVN_ENDLABELEDITA:   TVNEndLabelEditA(Message); return;
    case TVN_ENDLABELEDITW:   TVNEndLabelEditW(Message); return;
    case TVN_GETDISPINFOA:    case TVN_GETDISPINFOW:    TVNGetDispInfo(Message); return;
    case NM_CLICK:            Click(); return;
    case NM_DBLCLK:           DblClick(); return;
    case NM_RCLICK:           NMRClick(); return;
    case NM_CUSTOMDRAW:       NMCustomDraw(Message); return;
  }
}

// The node a TVN_ notification that carries an NMTREEVIEW is about (itemNew).
static TTreeNode* NotifiedNode(const TWMNotify& Message) {
  return reinterpret_cast<TTreeNode*>(reinterpret_cast<NMTREEVIEWA*>(Message.LParam)->itemNew.lParam);
}

void TCustomTreeView::TVNSelChanging(TWMNotify& Message) {
  if (FClearing) return;
  TTreeNode* node = NotifiedNode(Message);
  if (node && node->FDeleting) return;
  Message.Result = CanChange(node) ? FALSE : TRUE;
}

void TCustomTreeView::TVNSelChanged(TWMNotify& Message) {
  if (FClearing) return;
  TTreeNode* node = NotifiedNode(Message);
  if (node && node->FDeleting) return;
  Change(node);
}

void TCustomTreeView::TVNItemExpanding(TWMNotify& Message) {
  auto* nm = reinterpret_cast<NMTREEVIEWA*>(Message.LParam);
  TTreeNode* node = NotifiedNode(Message);
  if (!node || node->FDeleting) return;
  bool allow = (nm->action & TVE_EXPAND) ? CanExpand(node) : (nm->action & TVE_COLLAPSE) ? CanCollapse(node) : true;
  Message.Result = allow ? FALSE : TRUE;
}

void TCustomTreeView::TVNItemExpanded(TWMNotify& Message) {
  auto* nm = reinterpret_cast<NMTREEVIEWA*>(Message.LParam);
  TTreeNode* node = NotifiedNode(Message);
  if (!node || node->FDeleting) return;
  if (nm->action & TVE_EXPAND) {
    node->FExpanded = true;
    Expand(node);
  } else if (nm->action & TVE_COLLAPSE) {
    node->FExpanded = false;
    Collapse(node);
  }
}

void TCustomTreeView::TVNBeginLabelEdit(TWMNotify& Message) {
  auto* di = reinterpret_cast<NMTVDISPINFOA*>(Message.LParam);
  auto* node = reinterpret_cast<TTreeNode*>(di->item.lParam);
  Message.Result = (node && CanEdit(node)) ? FALSE : TRUE;
}

void TCustomTreeView::TVNEndLabelEditA(TWMNotify& Message) {
  Edit(reinterpret_cast<NMTVDISPINFOA*>(Message.LParam)->item);
  Message.Result = FALSE;
}

// The wide form's text is turned into the ANSI item Edit takes (kept in FEditText while it runs).
void TCustomTreeView::TVNEndLabelEditW(TWMNotify& Message) {
  auto* di = reinterpret_cast<NMTVDISPINFOW*>(Message.LParam);
  TVITEMA it{};
  it.lParam = di->item.lParam;
  it.hItem = di->item.hItem;
  if (di->item.pszText) {
    int n = WideCharToMultiByte(CP_ACP, 0, di->item.pszText, -1, nullptr, 0, nullptr, nullptr);
    FEditText.assign(size_t(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, di->item.pszText, -1, FEditText.data(), n, nullptr, nullptr);
    it.pszText = FEditText.data();
  }
  Edit(it);
  Message.Result = FALSE;
}

void TCustomTreeView::TVNGetDispInfo(TWMNotify& Message) {
  auto* di = reinterpret_cast<NMTVDISPINFOA*>(Message.LParam);
  auto* node = reinterpret_cast<TTreeNode*>(di->item.lParam);
  if (!node) node = FNodes->GetNode(di->item.hItem);
  if (!node) return;
  if (di->item.mask & TVIF_IMAGE) {
    GetImageIndex(node);
    di->item.iImage = node->FImageIndex;
  }
  if (di->item.mask & TVIF_SELECTEDIMAGE) {
    GetSelectedIndex(node);
    di->item.iSelectedImage = node->FSelectedIndex;
  }
}

void TCustomTreeView::NMRClick() {
  if (!FRightClickSelect) return;
  POINT p;
  GetCursorPos(&p);
  ::ScreenToClient(FHandle, &p);
  if (TTreeNode* n = GetNodeAt(p.x, p.y)) SetSelected(n);
}

void TCustomTreeView::NMCustomDraw(TWMNotify& Message) {
  if (IsCustomDrawn(false)) Message.Result = CustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(Message.LParam));
}

void TCustomTreeView::CMFontChanged(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (HandleAllocated()) SendMessageA(FHandle, TVM_SETTEXTCOLOR, 0, LPARAM(ColorToRGB(Font()->Color())));
}

void TCustomTreeView::CMColorChanged(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (HandleAllocated()) SendMessageA(FHandle, TVM_SETBKCOLOR, 0, LPARAM(ColorToRGB(Color())));
}

void TCustomTreeView::Publish(TPublisher<TCustomTreeView>& p) {
  p.Bool("AutoExpand", &TCustomTreeView::AutoExpand, &TCustomTreeView::SetAutoExpand).Default(0);
  p.Enum("BorderStyle", TVBorderStyleNames, &TCustomTreeView::BorderStyle, &TCustomTreeView::SetBorderStyle).Default(bsSingle);
  p.Int("ChangeDelay", &TCustomTreeView::ChangeDelay, &TCustomTreeView::SetChangeDelay).Default(0);
  p.Bool("HideSelection", &TCustomTreeView::HideSelection, &TCustomTreeView::SetHideSelection).Default(1);
  p.Bool("HotTrack", &TCustomTreeView::HotTrack, &TCustomTreeView::SetHotTrack).Default(0);
  p.Ref("Images", &TCustomTreeView::Images, &TCustomTreeView::SetImages);
  p.Int("Indent", &TCustomTreeView::Indent, &TCustomTreeView::SetIndent);
  p.Bool("ReadOnly", &TCustomTreeView::ReadOnly, &TCustomTreeView::SetReadOnly).Default(0);
  p.Bool("RightClickSelect", &TCustomTreeView::RightClickSelect, &TCustomTreeView::SetRightClickSelect).Default(0);
  p.Bool("RowSelect", &TCustomTreeView::RowSelect, &TCustomTreeView::SetRowSelect).Default(0);
  p.Bool("ShowButtons", &TCustomTreeView::ShowButtons, &TCustomTreeView::SetShowButtons).Default(1);
  p.Bool("ShowLines", &TCustomTreeView::ShowLines, &TCustomTreeView::SetShowLines).Default(1);
  p.Bool("ShowRoot", &TCustomTreeView::ShowRoot, &TCustomTreeView::SetShowRoot).Default(1);
  p.Enum("SortType", SortTypeNames, &TCustomTreeView::SortType, &TCustomTreeView::SetSortType).Default(stNone);
  p.Ref("StateImages", &TCustomTreeView::StateImages, &TCustomTreeView::SetStateImages);
  p.Bool("ToolTips", &TCustomTreeView::ToolTips, &TCustomTreeView::SetToolTips).Default(1);
  p.Event("OnChange", &TCustomTreeView::OnChange);
  p.Event("OnChanging", &TCustomTreeView::OnChanging);
  p.Event("OnCollapsed", &TCustomTreeView::OnCollapsed);
  p.Event("OnCollapsing", &TCustomTreeView::OnCollapsing);
  p.Event("OnCompare", &TCustomTreeView::OnCompare);
  p.Event("OnCustomDraw", &TCustomTreeView::OnCustomDraw);
  p.Event("OnCustomDrawItem", &TCustomTreeView::OnCustomDrawItem);
  p.Event("OnDeletion", &TCustomTreeView::OnDeletion);
  p.Event("OnEdited", &TCustomTreeView::OnEdited);
  p.Event("OnEditing", &TCustomTreeView::OnEditing);
  p.Event("OnExpanded", &TCustomTreeView::OnExpanded);
  p.Event("OnExpanding", &TCustomTreeView::OnExpanding);
  p.Event("OnGetImageIndex", &TCustomTreeView::OnGetImageIndex);
  p.Event("OnGetSelectedIndex", &TCustomTreeView::OnGetSelectedIndex);
}
