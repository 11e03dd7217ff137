// Item links: one item placed in one bar, sub-menu or popup, with its group mark, own caption, glyph,
// paint style and width, and its record of recent use; and the ordered collection of them.
#include <algorithm>

#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarCustomizing.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

namespace {
// True while a bar is being reset: assigned links find their items by name on the manager's form.
int ResettingBars = 0;
bool (*TemporaryOwnerTest)(TPersistent*) = nullptr;
}  // namespace

void dxBarBeginBarReset() { ++ResettingBars; }
void dxBarEndBarReset() { --ResettingBars; }

bool dxBarIsTemporaryLinksOwner(TPersistent* AOwner) { return TemporaryOwnerTest && TemporaryOwnerTest(AOwner); }
void dxBarSetTemporaryLinksOwnerTest(bool (*Test)(TPersistent*)) { TemporaryOwnerTest = Test; }

// ---------------------------------------------------------------------------------------------------
// Link

TdxBarItemLink::TdxBarItemLink(TCollection* ACollection) : TCollectionItem(ACollection) {
  TdxBarItemLinks* links = Links();
  if (links && links->FNewLink == this) links->FNewLink = nullptr;
  FUserGlyph = new TBitmap;
  TdxBarManager* m = BarManager();
  FUseCount = m ? m->RecentItemThreshold() : 0;
  FConstructed = true;
  if (links) links->FRecent.push_back(this);
  if (m && !m->IsLoading() && m->OnItemLinkAdd) m->OnItemLinkAdd(m, this);
}

void TdxBarItemLink::BeforeDestruction() {
  TdxBarItemLinks* links = Links();
  TdxBarManager* m = BarManager();
  if (m && !m->IsDestroying() && m->OnItemLinkDelete) m->OnItemLinkDelete(m, this);
  TdxBarCustomizingPopup::LinkFreed(this);
  // A link dragged away while customizing keeps the separators where the user sees them.
  TdxBarItemLink* next = nullptr;
  bool toggleNext = false;
  if (links && m && m->IsDragging() && m->DraggingItemLink() == this && Index() + 1 < links->Count()) {
    next = links->Items(Index() + 1);
    toggleNext = (Index() == 0 && next->FBeginGroup) || (FBeginGroup && !next->FBeginGroup);
  }
  DestroyControl();
  if (FItem) FItem->RemoveLink(this);
  FItem = nullptr;
  if (links) {
    auto& r = links->FRecent;
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
    SetCollection(nullptr);
    if (toggleNext) next->FBeginGroup = !next->FBeginGroup;
    TCustomdxBarControl* bc = links->BarControl();
    if (bc && !bc->Destroying()) bc->RebuildBar();
  }
  TCollectionItem::BeforeDestruction();
}

TdxBarItemLink::~TdxBarItemLink() {
  if (FItem) FItem->RemoveLink(this);
  delete FControl;
  if (TdxBarItemLinks* links = Links()) {
    auto& r = links->FRecent;
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
    SetCollection(nullptr);
  }
  TObject::Free(FUserGlyph);
}

void TdxBarItemLink::Publish(TPublisher<TdxBarItemLink>& p) {
  using L = TdxBarItemLink;
  p.Bool("BeginGroup", &L::StoredBeginGroup, &L::SetBeginGroup).Default(0);
  p.Int("Data", &L::Data, &L::SetData).Default(0);
  p.Ref("Item", &L::Item, &L::SetItem);
  p.Bool("MostRecentlyUsed", &L::MostRecentlyUsed, &L::SetMostRecentlyUsed).Default(1);
  p.Str("UserCaption", &L::UserCaption, &L::SetUserCaption);
  p.Set("UserDefine", dxBarUserDefineNames, &L::UserDefine, &L::SetUserDefine).Default(0);
  p.Object("UserGlyph", &L::UserGlyph);
  p.Enum("UserPaintStyle", dxBarPaintStyleNames, &L::UserPaintStyle, &L::SetUserPaintStyle).Default(psStandard);
  p.Int("UserWidth", &L::UserWidth, &L::SetUserWidth).Default(0);
  p.Bool("Visible", &L::Visible, &L::SetVisible);
}

TdxBarItemLinks* TdxBarItemLink::Links() const { return static_cast<TdxBarItemLinks*>(Collection()); }
TdxBarManager* TdxBarItemLink::BarManager() const { return Links() ? Links()->BarManager() : nullptr; }
TCustomdxBarControl* TdxBarItemLink::BarControl() const { return Links() ? Links()->BarControl() : nullptr; }

std::string TdxBarItemLink::Caption() const {
  if (FUserDefine.Contains(udCaption)) return FUserCaption;
  return FItem ? FItem->Caption() : std::string();
}

TBitmap* TdxBarItemLink::Glyph() const {
  if (FUserDefine.Contains(udGlyph)) return FUserGlyph;
  return FItem ? FItem->Glyph() : nullptr;
}

TdxBarPaintStyle TdxBarItemLink::PaintStyle() const {
  if (FUserDefine.Contains(udPaintStyle)) return FUserPaintStyle;
  auto* b = dynamic_cast<TdxBarButton*>(FItem);
  return b ? b->PaintStyle() : psStandard;
}

int TdxBarItemLink::Width() const {
  if (FUserDefine.Contains(udWidth)) return FUserWidth;
  auto* e = dynamic_cast<TdxBarEdit*>(FItem);
  return e ? e->Width() : 0;
}

int TdxBarItemLink::ShownIndex() const { return Links() ? Links()->IndexOfShown(this) : -1; }
int TdxBarItemLink::AvailableIndex() const { return Links() ? Links()->IndexOfAvailable(this) : -1; }
int TdxBarItemLink::RecentIndex() const { return Links() ? Links()->IndexOfRecent(this) : -1; }

bool TdxBarItemLink::BeginGroup() const {
  TdxBarItemLinks* links = Links();
  if (!links) return FBeginGroup;
  int shown = links->IndexOfShown(this);
  if (shown == 0) return false;
  if (FBeginGroup) return true;
  if (shown < 0) return false;
  // A separator of a link that is not shown moves to the next shown link.
  int from = links->IndexOfAvailable(links->ShownItems(shown - 1));
  int to = links->IndexOfAvailable(this);
  for (int i = from + 1; i < to; ++i)
    if (links->AvailableItems(i)->FBeginGroup) return true;
  return false;
}

void TdxBarItemLink::SetBeginGroup(bool Value) {
  if (FBeginGroup == Value) return;
  FBeginGroup = Value;
  if (FControl) FControl->BeginGroupChanged();
  Changed();
}

void TdxBarItemLink::SetItem(TdxBarItem* Value) {
  if (FItem == Value) return;
  if (FItem) FItem->RemoveLink(this);
  FItem = Value;
  if (!Value) {
    // A link without an item has no place: it goes.
    TObject::Free(this);
    return;
  }
  TdxBarItemLinks* links = Links();
  auto* ownerSub = links ? dynamic_cast<TCustomdxBarSubItem*>(links->Owner()) : nullptr;
  if (ownerSub && (Value == ownerSub || ContainsItem(ownerSub))) {
    FItem = nullptr;
    throw EdxException(dxBarResStr(dxSBAR_RECURSIVESUBITEMS));
  }
  Value->AddLink(this);
  if (links) links->RefreshLists();
  Changed();
}

void TdxBarItemLink::SetMostRecentlyUsed(bool Value) {
  if (FMostRecentlyUsed == Value) return;
  FMostRecentlyUsed = Value;
  TdxBarItemLinks* links = Links();
  if (!links || !links->IsLoading()) {
    ApplyMostRecentlyUsed();
    if (auto* bc = BarControl()) bc->RebuildBar();
  }
  Changed();
}

void TdxBarItemLink::SetUserCaption(const std::string& Value) {
  if (FUserCaption == Value && FUserDefine.Contains(udCaption)) return;
  FUserCaption = Value;
  FUserDefine.Include(udCaption);
  if (FControl) FControl->CaptionChanged();
  Changed();
}

void TdxBarItemLink::SetUserDefine(TdxBarUserDefines Value) {
  if (FUserDefine == Value) return;
  FUserDefine = Value;
  if (!Value.Contains(udCaption)) FUserCaption.clear();
  if (!Value.Contains(udGlyph)) FUserGlyph->Assign(nullptr);
  if (!Value.Contains(udPaintStyle)) FUserPaintStyle = psStandard;
  if (!Value.Contains(udWidth)) FUserWidth = 0;
  if (FControl) {
    FControl->CaptionChanged();
    FControl->GlyphChanged();
  }
  Changed();
}

void TdxBarItemLink::SetUserGlyph(TBitmap* Value) {
  FUserGlyph->Assign(Value);
  FUserDefine.Include(udGlyph);
  if (FControl) FControl->GlyphChanged();
  Changed();
}

void TdxBarItemLink::SetUserPaintStyle(TdxBarPaintStyle Value) {
  if (FUserPaintStyle == Value && FUserDefine.Contains(udPaintStyle)) return;
  FUserPaintStyle = Value;
  FUserDefine.Include(udPaintStyle);
  if (FControl) FControl->PaintStyleChanged();
  Changed();
}

void TdxBarItemLink::SetUserWidth(int32_t Value) {
  Value = dxClampWidth(Value);
  if (FUserWidth == Value && FUserDefine.Contains(udWidth)) return;
  FUserWidth = Value;
  FUserDefine.Include(udWidth);
  if (FControl) FControl->WidthChanged();
  Changed();
}

void TdxBarItemLink::SetVisible(bool Value) {
  TdxBarItemLinks* links = Links();
  TdxBarManager* m = BarManager();
  if ((m && m->IsLoading()) || (links && links->Assigning())) {
    FLoadedVisible = Value;
    return;
  }
  if (FVisible == Value) return;
  FVisible = Value;
  if (links && !links->Designing()) {
    links->RefreshLists();
    if (Value) {
      if (BarControl()) CreateControl();
      MarkUsed(false);
    } else {
      DestroyControl();
      MarkNotUsed();
    }
    if (auto* bc = BarControl()) bc->RebuildBar();
  }
  Changed();
}

void TdxBarItemLink::ApplyLoadedVisible() {
  bool v = FLoadedVisible;
  FLoadedVisible = true;
  if (v != FVisible) SetVisible(v);
}

void TdxBarItemLink::Changed() {
  TdxBarManager* m = BarManager();
  TdxBarItemLinks* links = Links();
  if (links && links->BarControl() && links->BarControl()->IsCustomizing()) {
    if (auto* pm = dynamic_cast<TdxBarPopupMenu*>(links->Owner()))
      pm->DesignerModified();
    else
      dxBarDesignerModified(m);
  }
  if (m && !m->IsLoading() && m->OnItemLinkChange) m->OnItemLinkChange(m, this);
}

void TdxBarItemLink::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TdxBarItemLink*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  FData = src->FData;
  FUserCaption = src->FUserCaption;
  FUserGlyph->Assign(src->FUserGlyph);
  FUserPaintStyle = src->FUserPaintStyle;
  FUserWidth = src->FUserWidth;
  TdxBarItem* item = src->FItem;
  if (ResettingBars > 0 && item) {
    TdxBarManager* m = BarManager();
    TCustomForm* form = m ? m->ParentForm() : nullptr;
    item = form ? dynamic_cast<TdxBarItem*>(form->FindComponent(item->Name())) : nullptr;
  }
  if (item) SetItem(item);
  SetUserDefine(src->FUserDefine);
  // The mark as the source stores it: the effective one depends on the source's own neighbours.
  SetBeginGroup(src->FBeginGroup);
  SetVisible(src->FVisible);
}

void TdxBarItemLink::CreateControl() {
  TCustomdxBarControl* bc = BarControl();
  if (!bc || !FItem || FControl) return;
  if (!FItem->IsVisibleNow() && !(Links() && Links()->Designing())) return;
  TdxBarItemControlMaker make = nullptr;
  if (dynamic_cast<TdxBarWindowItem*>(FItem) && RotatesWhenVertical(bc))
    make = dxBarItemControlClass(TdxBarButton::StaticClass());
  else
    make = dxBarItemControlClass(FItem->ClassType());
  if (make) FControl = make(this);
}

void TdxBarItemLink::DestroyControl() {
  TdxBarItemControl* c = FControl;
  if (!c) return;
  FControl = nullptr;
  // Nobody may keep pointing at a control that is gone.
  if (TdxBarManager* m = BarManager(); m && m->SelectedItem() == c) m->SetSelectedItem(nullptr);
  if (c->Parent() && IsBarControl(c->Parent()) && c->Parent()->SelectedControl() == c) c->Parent()->ClearSelection();
  delete c;
}

bool TdxBarItemLink::IsAccel(uint16_t Key, TShiftState Shift) const {
  int pos = dxAccelCharPos(Caption());
  if (pos == 0) return false;
  // A letter is its key whatever its case: "&File" answers Alt+F, not Alt+Shift+F.
  char ch = char(tolower(uint8_t(Caption()[size_t(pos) - 1])));
  SHORT scan = VkKeyScanA(ch);
  if (scan == -1 || LOBYTE(scan) != Key) return false;
  TShiftState expected;
  if (HIBYTE(scan) & 1) expected.Include(ssShift);
  if (HIBYTE(scan) & 2) expected.Include(ssCtrl);
  Shift.Exclude(ssAlt);
  return expected == Shift;
}

bool TdxBarItemLink::ContainsItem(TdxBarItem* AItem) const {
  if (!FItem) return false;
  if (FItem == AItem) return true;
  auto* sub = dynamic_cast<TCustomdxBarSubItem*>(FItem);
  return sub && sub->ItemLinks()->ContainsItem(AItem);
}

void TdxBarItemLink::UpdateItemAction() {
  if (FItem && FItem->ActionLink()) FItem->ActionLink()->Update();
}

void TdxBarItemLink::MarkUsed(bool Count) {
  TdxBarItemLinks* links = Links();
  if (!links || links->IndexOfAvailable(this) < 0 || !FVisible) return;
  bool wasShown = links->IndexOfShown(this) >= 0;
  auto& r = links->FRecent;
  r.erase(std::remove(r.begin(), r.end(), this), r.end());
  r.insert(r.begin(), this);
  if (Count) ++FUseCount;
  auto* tb = dynamic_cast<TdxBarControl*>(links->BarControl());
  TdxBarManager* m = BarManager();
  if (tb && tb->DockingStyle() != dsNone && m && m->Style() == bmsEnhanced && !wasShown && tb->HandleAllocated())
    PostMessageA(tb->Handle(), WM_USER + 1, 0, 0);
  // The item the menu was opened from counts as used too.
  TdxBarItem* opener = dynamic_cast<TCustomdxBarSubItem*>(links->Owner());
  if (!opener)
    if (auto* pm = dynamic_cast<TdxBarPopupMenu*>(links->Owner()); pm && links->BarControl())
      if (auto* parent = links->BarControl()->ParentBar(); parent && parent->SelectedControl())
        opener = parent->SelectedControl()->Item();
  if (!opener) return;
  for (int i = 0; i < opener->LinkCount(); ++i) {
    TdxBarItemLink* l = opener->Links(i);
    if (l->Control() && l->Control()->DroppedDown()) {
      (l->FOriginal ? l->FOriginal : l)->MarkUsed(Count);
      break;
    }
  }
}

void TdxBarItemLink::MarkNotUsed() {
  TdxBarItemLinks* links = Links();
  if (!links) return;
  bool wasShown = links->IndexOfShown(this) >= 0;
  auto& r = links->FRecent;
  r.erase(std::remove(r.begin(), r.end(), this), r.end());
  r.push_back(this);
  auto* tb = dynamic_cast<TdxBarControl*>(links->BarControl());
  TdxBarManager* m = BarManager();
  if (tb && tb->DockingStyle() != dsNone && m && m->Style() == bmsEnhanced && wasShown && tb->HandleAllocated())
    PostMessageA(tb->Handle(), WM_USER + 1, 0, 0);
}

void TdxBarItemLink::ApplyMostRecentlyUsed() {
  TdxBarItemLinks* links = Links();
  if (!FMostRecentlyUsed) {
    FUseCount = 0;
    MarkNotUsed();
  } else {
    TdxBarManager* m = BarManager();
    FUseCount = m ? m->RecentItemThreshold() : 0;
    if (links) {
      auto& r = links->FRecent;
      r.erase(std::remove(r.begin(), r.end(), this), r.end());
      r.insert(r.begin(), this);
    }
  }
}

void TdxBarItemLink::SetRecentPosition(int Value) {
  TdxBarItemLinks* links = Links();
  if (!links) {
    FSavedRecentPosition = Value;
    return;
  }
  auto& r = links->FRecent;
  r.erase(std::remove(r.begin(), r.end(), this), r.end());
  Value = std::clamp(Value, 0, int(r.size()));
  r.insert(r.begin() + Value, this);
  links->RefreshLists();
}

void TdxBarItemLink::CopyUsage(TdxBarItemLink* Other) {
  FUseCount = Other->FUseCount;
  SetRecentPosition(Other->RecentIndex());
}

// ---------------------------------------------------------------------------------------------------
// Collection

TdxBarItemLinks::TdxBarItemLinks(TdxBarManager* ABarManager, TPersistent* AOwner)
    : TCollection(TdxBarItemLink::StaticClass()), FBarManager(ABarManager), FOwner(AOwner) {}

TdxBarItemLinks::~TdxBarItemLinks() {
  FreeBarControl();
  BeginUpdate();
  while (Count() > 0) TObject::Free(Items(Count() - 1));
  FAvailable.clear();
  FVisible.clear();
  FShown.clear();
}

namespace {
int IndexIn(const std::vector<TdxBarItemLink*>& v, const TdxBarItemLink* L) {
  auto it = std::find(v.begin(), v.end(), L);
  return it == v.end() ? -1 : int(it - v.begin());
}
}  // namespace

int TdxBarItemLinks::IndexOfAvailable(const TdxBarItemLink* L) const { return IndexIn(FAvailable, L); }
int TdxBarItemLinks::IndexOfVisible(const TdxBarItemLink* L) const { return IndexIn(FVisible, L); }
int TdxBarItemLinks::IndexOfShown(const TdxBarItemLink* L) const { return IndexIn(FShown, L); }
int TdxBarItemLinks::IndexOfRecent(const TdxBarItemLink* L) const { return IndexIn(FRecent, L); }

bool TdxBarItemLinks::IsLoading() const { return FBarManager && FBarManager->IsLoading(); }
bool TdxBarItemLinks::Designing() const { return FBarManager && FBarManager->Designing(); }

void TdxBarItemLinks::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  // The base constructor announces a link whose own parts do not exist yet: the lists skip it.
  if (Action == cnAdded) FNewLink = Item;
}

void TdxBarItemLinks::RefreshLists() {
  FAvailable.clear();
  FVisible.clear();
  FShown.clear();
  bool designing = Designing();
  for (int i = 0; i < Count(); ++i) {
    TCollectionItem* ci = TCollection::Items(i);
    if (ci == FNewLink) continue;
    auto* l = static_cast<TdxBarItemLink*>(ci);
    if (!l->FConstructed || !l->FItem) continue;
    if (!designing && !l->FItem->IsVisibleNow()) continue;
    FAvailable.push_back(l);
    if (designing || l->FVisible) {
      FVisible.push_back(l);
      if (designing || FShownLimit == -1) FShown.push_back(l);
    }
  }
  if (!designing && FShownLimit >= 1) {
    for (auto* l : FRecent) {
      if (int(FShown.size()) >= FShownLimit) break;
      if (IndexOfVisible(l) >= 0) FShown.push_back(l);
    }
    std::sort(FShown.begin(), FShown.end(), [](TdxBarItemLink* a, TdxBarItemLink* b) { return a->Index() < b->Index(); });
  }
}

void TdxBarItemLinks::SetShownLimit(int N) {
  FSavedShownLimit = FShownLimit;
  FShownLimit = N;
  RefreshLists();
}

void TdxBarItemLinks::RestoreShownLimit() { SetShownLimit(FSavedShownLimit); }

int TdxBarItemLinks::RecentItemCount() const {
  if (!FUseRecentItems || FVisible.empty()) return -1;
  int mn = FVisible.front()->FUseCount, mx = mn;
  for (auto* l : FVisible) {
    mn = std::min(mn, l->FUseCount);
    mx = std::max(mx, l->FUseCount);
  }
  int percents = FBarManager ? FBarManager->MostRecentItemsPercents() : 95;
  int threshold = mn + MulDiv(mx - mn, 100 - percents, 100);
  int count = 0;
  int last = std::min(int(FVisible.size()), int(FRecent.size())) - 1;
  for (int pos = last; pos >= 0; --pos) {
    TdxBarItemLink* l = FRecent[size_t(pos)];
    if (l->Collection() == this && l->FUseCount >= threshold) {
      count = pos + 1;
      break;
    }
  }
  return count == int(FVisible.size()) ? -1 : count;
}

void TdxBarItemLinks::Loaded(bool ApplyVisible) {
  for (int i = Count() - 1; i >= 0; --i) {
    if (i >= Count()) continue;
    TdxBarItemLink* l = Items(i);
    if (!l->FItem)
      TObject::Free(l);
    else
      l->ApplyMostRecentlyUsed();
  }
  if (ApplyVisible)
    for (int i = Count() - 1; i >= 0; --i) Items(i)->ApplyLoadedVisible();
  for (int pos = 0; pos < Count(); ++pos)
    for (int i = 0; i < Count(); ++i) {
      TdxBarItemLink* l = Items(i);
      if (l->LoadedRecentIndex != pos) continue;
      l->FUseCount = l->LoadedUseCount;
      l->SetRecentPosition(pos);
      l->LoadedRecentIndex = -1;
    }
  RefreshLists();
}

// Usage data goes to the link of the same item: the stored form's links may stand in another order
// (or some may be gone) after the user customized the bar.
void TdxBarItemLinks::AssignUsageData(TdxBarItemLinks* Source) {
  std::vector<bool> taken(size_t(Source->Count()), false);
  for (int i = 0; i < Count(); ++i) {
    TdxBarItemLink* l = Items(i);
    if (!l->FItem) continue;
    for (int j = 0; j < Source->Count(); ++j) {
      TdxBarItemLink* s = Source->Items(j);
      if (taken[size_t(j)] || !s->FItem || !SameText(s->FItem->Name(), l->FItem->Name())) continue;
      taken[size_t(j)] = true;
      if (l->FMostRecentlyUsed != s->FMostRecentlyUsed) l->FMostRecentlyUsed = s->FMostRecentlyUsed;
      break;
    }
  }
  Loaded(false);
  CompactRecentList();
}

void TdxBarItemLinks::CompactRecentList() {
  size_t first = 0;
  while (first < FRecent.size() && FRecent[first]->FVisible) ++first;
  size_t free = first;
  for (size_t i = first + 1; i < FRecent.size(); ++i)
    if (FRecent[i]->FVisible) {
      TdxBarItemLink* l = FRecent[i];
      FRecent.erase(FRecent.begin() + ptrdiff_t(i));
      FRecent.insert(FRecent.begin() + ptrdiff_t(free), l);
      ++free;
    }
  RefreshLists();
}

void TdxBarItemLinks::ClearItemRects() {
  for (int i = 0; i < Count(); ++i) Items(i)->ItemRect = RECT{};
}

void TdxBarItemLinks::UpdateItemActions() {
  std::vector<TdxBarItemLink*> visible = FVisible;
  for (auto* l : visible) l->UpdateItemAction();
}

void TdxBarItemLinks::Update(TCollectionItem* Item) {
  if (!dxBarIsTemporaryLinksOwner(FOwner)) {
    if (auto* pm = dynamic_cast<TdxBarPopupMenu*>(FOwner))
      pm->DesignerModified();
    else
      dxBarDesignerModified(FBarManager);
  }
  TCollection::Update(Item);
  RefreshLists();
  if (OnChange) OnChange(this);
}

void TdxBarItemLinks::Assign(TPersistent* Source) {
  FAssigning = true;
  {
    TFailScope unassigned([this] {
      FAssigning = false;
      // A link whose item could not be set (a recursive sub-item) does not stay behind without one.
      for (int i = Count() - 1; i >= 0; --i)
        if (i < Count() && !Items(i)->FItem) TObject::Free(Items(i));
    });
    TCollection::Assign(Source);
  }
  FAssigning = false;
  for (int i = 0; i < Count(); ++i) Items(i)->ApplyLoadedVisible();
}

TCustomdxBarControl* TdxBarItemLinks::CreateBarControl() {
  if (FBarControl) {
    // A menu window that closed itself is freed once the message that closed it is done: a menu opened
    // again before then (keys typed ahead) takes a new window instead of going with the old one.
    auto* closed = dynamic_cast<TdxBarSubMenuControl*>(FBarControl);
    if (!closed || !IsBarControl(closed) || !closed->Closing()) return FBarControl;
    closed->DestroyControls();
    closed->SetItemLinks(nullptr);
    FBarControl = nullptr;
  }
  TCustomdxBarControl* c;
  if (auto* bar = dynamic_cast<TdxBar*>(FOwner)) {
    c = new TdxBarControl(FBarManager, bar);
  } else {
    TdxBarManager* m = FBarManager;
    if (auto* sub = dynamic_cast<TCustomdxBarSubItem*>(FOwner))
      for (int i = 0; i < sub->LinkCount(); ++i)
        if (sub->Links(i)->Control() && sub->Links(i)->Control()->DroppedDown()) {
          m = sub->Links(i)->BarManager();
          break;
        }
    c = new TdxBarSubMenuControl(m);
  }
  c->SetItemLinks(this);
  FBarControl = c;
  return c;
}

void TdxBarItemLinks::FreeBarControl() {
  TCustomdxBarControl* c = FBarControl;
  if (!c) return;
  FBarControl = nullptr;
  if (IsBarControl(c)) TObject::Free(c);
}

bool TdxBarItemLinks::Selectable(TdxBarItemLink* L) const { return L && L->FItem && L->FItem->CanSelect(); }

int TdxBarItemLinks::FitCount() {
  auto* tb = dynamic_cast<TdxBarControl*>(FBarControl);
  if (!tb) return ShownCount();
  RECT client = tb->ClientRect();
  int n = 0;
  for (auto* l : FShown) {
    RECT r = l->ItemRect, both;
    if (IsRectEmpty(&r) || !IntersectRect(&both, &r, &client) || !EqualRect(&both, &r)) break;
    ++n;
  }
  return n;
}

TdxBarItemLink* TdxBarItemLinks::FirstSelectable() {
  for (auto* l : FShown)
    if (Selectable(l)) return l;
  return nullptr;
}

TdxBarItemLink* TdxBarItemLinks::LastSelectable() {
  for (auto it = FShown.rbegin(); it != FShown.rend(); ++it)
    if (Selectable(*it)) return *it;
  return nullptr;
}

TdxBarItemLink* TdxBarItemLinks::NextSelectable(TdxBarItemLink* From) {
  int n = dynamic_cast<TdxBar*>(FOwner) ? FitCount() : ShownCount();
  if (n == 0) return nullptr;
  int start = IndexOfShown(From);
  for (int k = 1; k <= n; ++k) {
    int i = (start + k) % n;
    if (i < 0) i += n;
    if (Selectable(FShown[size_t(i)])) return FShown[size_t(i)];
  }
  return nullptr;
}

TdxBarItemLink* TdxBarItemLinks::PriorSelectable(TdxBarItemLink* From) {
  int n = dynamic_cast<TdxBar*>(FOwner) ? FitCount() : ShownCount();
  if (n == 0) return nullptr;
  int start = IndexOfShown(From);
  if (start < 0) start = 0;
  for (int k = 1; k <= n; ++k) {
    int i = ((start - k) % n + n) % n;
    if (Selectable(FShown[size_t(i)])) return FShown[size_t(i)];
  }
  return nullptr;
}

TdxBarItemLink* TdxBarItemLinks::FindByAccel(uint16_t Key, TShiftState Shift, TdxBarItemLink* From) {
  Shift.Exclude(ssAlt);
  auto accepts = [&](TdxBarItemLink* l) { return l && l->FItem && l->FItem->HasAccelInLink(l) && l->IsAccel(Key, Shift); };
  if (dynamic_cast<TdxBarControl*>(FBarControl)) {
    TdxBarItemLink* start = From ? From : FirstSelectable();
    if (!start) return nullptr;
    // The walk goes round the links that fit once: a start that does not fit (the bar got narrower
    // under its selection) is never met again.
    int steps = ShownCount();
    for (TdxBarItemLink* l = From ? NextSelectable(start) : start; l && steps-- > 0; l = NextSelectable(l))
      if (accepts(l)) return l;
    return nullptr;
  }
  int n = ShownCount();
  if (n == 0) return nullptr;
  int from = IndexOfShown(From);
  for (int k = 1; k <= n; ++k) {
    int i = ((from < 0 ? -1 : from) + k) % n;
    if (accepts(FShown[size_t(i)])) return FShown[size_t(i)];
  }
  return nullptr;
}

bool TdxBarItemLinks::ContainsItem(TdxBarItem* AItem) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->ContainsItem(AItem)) return true;
  return false;
}
