// Bars: where a toolbar or menu bar sits (side, row, offset, or floating place), its flags, font and
// links; the manager's collection of bars with the four dock sites and the loop that drags a bar.
// The dialog's header first: the message-cracker macros of windowsx.h clash with its controls' names.
#include "dxBarCustForm.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarWindows.h"

void dxBarBeginBarReset();
void dxBarEndBarReset();

// ---------------------------------------------------------------------------------------------------
// Bar

TdxBar::TdxBar(TCollection* ACollection) : TCollectionItem(ACollection) {
  TdxBarManager* m = BarManager();
  FFont = new TFont;
  if (m) {
    FSettingFont = true;
    FFont->Assign(m->Font());
    FSettingFont = false;
  }
  FFont->OnChange = Bind(this, &TdxBar::FontChanged);
  FItemLinks = new TdxBarItemLinks(m, this);
  FItemLinks->PropName = "ItemLinks";
  FItemLinks->OnChange = Bind(this, &TdxBar::LinksChanged);
  if (m && !m->IsLoading() && !Bars()->Detached()) {
    if (m->OnBarAdd) m->OnBarAdd(m, this);
    m->DesignerModified();
  }
}

void TdxBar::BeforeDestruction() {
  TdxBarManager* m = BarManager();
  if (m && !m->IsDestroying() && !Bars()->Detached()) {
    m->DesignerModified();
    if (m->OnBarDelete) m->OnBarDelete(m, this);
  }
  SetVisible(false);
  FItemLinks->FreeBarControl();
  if (m && m->MainMenuBar() == this) m->SetMainMenuBar(nullptr);
  if (m) {
    auto& reshow = m->BarsToReshow();
    reshow.erase(std::remove(reshow.begin(), reshow.end(), this), reshow.end());
  }
  TCollectionItem::BeforeDestruction();
}

TdxBar::~TdxBar() {
  TObject::Free(FItemLinks);
  FFont->OnChange = nullptr;
  TObject::Free(FFont);
  if (FVertFont) DeleteObject(FVertFont);
}

void TdxBar::Publish(TPublisher<TdxBar>& p) {
  using B = TdxBar;
  p.Bool("AllowClose", &B::AllowClose, &B::SetAllowClose).Default(1);
  p.Bool("AllowCustomizing", &B::AllowCustomizing, &B::SetAllowCustomizing).Default(1);
  p.Bool("AllowQuickCustomizing", &B::AllowQuickCustomizing, &B::SetAllowQuickCustomizing).Default(1);
  p.Bool("AllowReset", &B::AllowReset, &B::SetAllowReset).Default(1);
  p.Str("Caption", &B::Caption, &B::SetCaption);
  p.Enum("DockedDockingStyle", dxBarDockingStyleNames, &B::DockedDockingStyle, &B::SetDockedDockingStyle).Default(dsTop);
  p.Int("DockedLeft", &B::DockedLeft, &B::SetDockedLeft);
  p.Int("DockedTop", &B::DockedTop, &B::SetDockedTop);
  p.Enum("DockingStyle", dxBarDockingStyleNames, &B::DockingStyle, &B::SetDockingStyle);
  p.Int("FloatLeft", &B::FloatLeft, &B::SetFloatLeft);
  p.Int("FloatTop", &B::FloatTop, &B::SetFloatTop);
  p.Int("FloatClientWidth", &B::FloatClientWidth, &B::SetFloatClientWidth);
  p.Int("FloatClientHeight", &B::FloatClientHeight, &B::SetFloatClientHeight);
  p.Object("Font", &B::Font).StoredIf<B>([](B& b) { return b.UseOwnFont(); });
  p.Bool("Hidden", &B::Hidden, &B::SetHidden).Default(0);
  p.Bool("IsMainMenu", &B::IsMainMenu, &B::SetIsMainMenu).Default(0);
  p.Object("ItemLinks", &B::ItemLinks);
  p.Str("Name", &B::Name, &B::SetName);
  p.Set("NotDocking", dxBarDockingStyleNames, &B::NotDocking, &B::SetNotDocking).Default(0);
  p.Bool("OneOnRow", &B::OneOnRow, &B::SetOneOnRow);
  p.Bool("RotateWhenVertical", &B::RotateWhenVertical, &B::SetRotateWhenVertical).Default(1);
  p.Int("Row", &B::Row, &B::SetRow);
  p.Bool("UseOwnFont", &B::UseOwnFont, &B::SetUseOwnFont);
  p.Bool("UseRecentItems", &B::UseRecentItems, &B::SetUseRecentItems).Default(1);
  p.Bool("UseRestSpace", &B::UseRestSpace, &B::SetUseRestSpace).Default(0);
  p.Bool("Visible", &B::Visible, &B::SetVisible);
  p.Bool("WholeRow", &B::WholeRow, &B::SetWholeRow);
}

TdxBars* TdxBar::Bars() const { return static_cast<TdxBars*>(Collection()); }
TdxBarManager* TdxBar::BarManager() const { return Bars() ? Bars()->BarManager() : nullptr; }
TdxBarControl* TdxBar::Control() const {
  return FItemLinks ? dynamic_cast<TdxBarControl*>(FItemLinks->BarControl()) : nullptr;
}

void TdxBar::MarkModified() {
  if (!Bars() || !Bars()->Detached()) dxBarDesignerModified(BarManager());
}

void TdxBar::LinksChanged(TObject*) { MarkModified(); }

void TdxBar::RebuildWindow() {
  if (auto* c = Control()) c->RebuildBar();
}

void TdxBar::SetAllowClose(bool Value) {
  if (FAllowClose == Value) return;
  FAllowClose = Value;
  if (FDockingStyle == dsNone) RebuildWindow();
  if (BarManager() && BarManager()->IsCustomizing()) dxBarCustomizingFormBarChanged(this);
  MarkModified();
}

void TdxBar::SetAllowQuickCustomizing(bool Value) {
  if (FAllowQuickCustomizing == Value) return;
  FAllowQuickCustomizing = Value;
  if (BarManager() && BarManager()->Style() == bmsEnhanced) RebuildWindow();
}

void TdxBar::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  if (auto* c = Control()) c->SetText(Value);
  TdxBarManager* m = BarManager();
  if (FName.empty() && m && !m->IsLoading()) {
    // The first of Caption, Caption1, Caption2... that no bar is named yet.
    std::string name = Value;
    for (int n = 1; m->BarByName(name); ++n) name = Value + std::to_string(n);
    FName = name;
  }
  if (m && m->IsCustomizing()) dxBarCustomizingFormBarChanged(this);
  MarkModified();
}

void TdxBar::SetName(const std::string& Value) {
  if (FName == Value) return;
  FName = Value;
  MarkModified();
}

void TdxBar::SetDockedDockingStyle(TdxBarDockingStyle Value) {
  if (FDockedDockingStyle == Value) return;
  FDockedDockingStyle = Value;
  MarkModified();
}

void TdxBar::SetDockedLeft(int32_t Value) {
  Value = std::max(0, Value);
  if (FDockedLeft == Value) return;
  FDockedLeft = Value;
  MarkModified();
}

void TdxBar::SetDockedTop(int32_t Value) {
  Value = std::max(0, Value);
  if (FDockedTop == Value) return;
  FDockedTop = Value;
  MarkModified();
}

void TdxBar::SetFloatLeft(int32_t Value) {
  if (FFloatLeft == Value) return;
  FFloatLeft = Value;
  MarkModified();
}
void TdxBar::SetFloatTop(int32_t Value) {
  if (FFloatTop == Value) return;
  FFloatTop = Value;
  MarkModified();
}
void TdxBar::SetFloatClientWidth(int32_t Value) {
  if (FFloatClientWidth == Value) return;
  FFloatClientWidth = Value;
  MarkModified();
}
void TdxBar::SetFloatClientHeight(int32_t Value) {
  if (FFloatClientHeight == Value) return;
  FFloatClientHeight = Value;
  MarkModified();
}

void TdxBar::SetHidden(bool Value) {
  if (FHidden == Value) return;
  FHidden = Value;
  MarkModified();
}

TdxBarDockingStyle TdxBar::DockingStyle() const {
  TdxBarManager* m = BarManager();
  return m && m->IsLoading() ? FLoadedDockingStyle : FDockingStyle;
}

void TdxBar::SetDockingStyle(TdxBarDockingStyle Value) {
  TdxBarManager* m = BarManager();
  if (m && m->IsLoading()) {
    FLoadedDockingStyle = Value;
    return;
  }
  if (FDockingStyle == Value) return;
  TdxBarControl* c = Control();
  if (c && c->DockingStyle() != Value) {
    SetVisible(false);
    FDockingStyle = Value;
    FItemLinks->SetShownLimit(-1);
    SetVisible(true);
    if (auto* nc = Control()) nc->SetDockingStyle(Value);
  } else {
    FDockingStyle = Value;
  }
  if (Bars() && !Bars()->Loading()) {
    if (m && m->OnBarDockingStyleChange) m->OnBarDockingStyleChange(m, this);
    MarkModified();
  }
}

void TdxBar::SetIsMainMenu(bool Value) {
  if (FIsMainMenu == Value) return;
  TdxBarManager* m = BarManager();
  bool locked = m && m->IsUpdateLocked();
  if (m) m->LockUpdate(true);
  FIsMainMenu = Value;
  if (Value) {
    if (m && m->MainMenuBar() && m->MainMenuBar() != this) m->MainMenuBar()->SetIsMainMenu(false);
    if (m) m->SetMainMenuBar(this);
    SetWholeRow(true);
  } else {
    if (m && m->MainMenuBar() == this) m->SetMainMenuBar(nullptr);
    SetWholeRow(false);
  }
  if (m && !m->IsLoading() && FDockingStyle != dsNone) RebuildWindow();
  if (m && !m->IsLoading() && m->IsCustomizing()) dxBarCustomizingFormBarChanged(this);
  if (m) m->LockUpdate(locked);
}

void TdxBar::SetOneOnRow(bool Value) {
  if (FOneOnRow == Value) return;
  FOneOnRow = Value;
  MarkModified();
}

void TdxBar::SetRotateWhenVertical(bool Value) {
  if (FRotateWhenVertical == Value) return;
  FRotateWhenVertical = Value;
  if (auto* c = Control()) c->Perform(CM_FONTCHANGED, 0, 0);
}

void TdxBar::SetRow(int32_t Value) {
  Value = std::max(0, Value);
  if (FRow == Value) return;
  FRow = Value;
  MarkModified();
}

void TdxBar::SetUseOwnFont(bool Value) {
  if (FUseOwnFont == Value) return;
  FUseOwnFont = Value;
  if (!Value) {
    ManagerFontChanged();
    if (FVertFont) DeleteObject(FVertFont);
    FVertFont = nullptr;
  }
}

void TdxBar::ManagerFontChanged() {
  TdxBarManager* m = BarManager();
  if (!m) return;
  if (FUseOwnFont) {
    if (FVertFont) DeleteObject(FVertFont);
    FVertFont = dxBarMakeVerticalFont(FFont);
    return;
  }
  FSettingFont = true;
  FFont->Assign(m->Font());
  FSettingFont = false;
  if (auto* c = Control()) c->Perform(CM_FONTCHANGED, 0, 0);
}

void TdxBar::FontChanged(TObject*) {
  if (FSettingFont) return;
  FUseOwnFont = true;
  if (FVertFont) DeleteObject(FVertFont);
  FVertFont = dxBarMakeVerticalFont(FFont);
  if (auto* c = Control()) c->Perform(CM_FONTCHANGED, 0, 0);
}

void TdxBar::SetUseRecentItems(bool Value) {
  if (FUseRecentItems == Value) return;
  FUseRecentItems = Value;
  FItemLinks->SetUseRecentItems(Value);
  RebuildWindow();
}

void TdxBar::SetUseRestSpace(bool Value) {
  if (FUseRestSpace == Value) return;
  FUseRestSpace = Value;
  RebuildWindow();
}

void TdxBar::SetWholeRow(bool Value) {
  if (FWholeRow == Value) return;
  FWholeRow = Value;
  if (Control() && FDockingStyle != dsNone) {
    // Hidden and shown again, so it docks anew on a row of its own.
    SetVisible(false);
    SetVisible(true);
  }
  MarkModified();
}

bool TdxBar::Visible() const {
  TdxBarManager* m = BarManager();
  return m && m->IsLoading() ? FLoadedVisible : FVisible;
}

void TdxBar::SetVisible(bool Value) {
  TdxBarManager* m = BarManager();
  if (Value && m && m->IsDestroying()) return;
  if (m && m->IsLoading()) {
    FAutoHidden = false;
    FLoadedVisible = Value;
    return;
  }
  if (FVisible == Value) return;
  FAutoHidden = false;
  if (!Value)
    if (auto* c = Control()) c->StoreBarPosition();
  FVisible = Value;
  if (Value)
    ShowWindow();
  else
    FItemLinks->FreeBarControl();
  if (m && m->IsCustomizing()) dxBarCustomizingFormBarChanged(this);
  if (m && !m->IsDestroying() && m->OnBarVisibleChange) m->OnBarVisibleChange(m, this);
  if (Bars() && !Bars()->Loading()) MarkModified();
}

void TdxBar::ShowWindow() {
  TdxBarManager* m = BarManager();
  auto* c = static_cast<TdxBarControl*>(FItemLinks->CreateBarControl());
  if (FDockingStyle != dsNone) {
    c->SetCreatingState(true);
    c->SetDockingStyle(FDockingStyle);
    c->DockRow = FRow;
    c->DockOneOnRow = FOneOnRow;
    TdxDockControl* site = Bars()->DockControls(FDockingStyle);
    if (!site) return;
    POINT p = site->ClientToScreen(POINT{FDockedLeft, FDockedTop});
    Bars()->DockBar(FDockingStyle, c, p);
    c->SetCreatingState(false);
    c->SetVisible(true);
    return;
  }
  c->SetCreatingState(true);
  c->SetDockingStyle(dsNone);
  c->SetCreatingState(false);
  SIZE size = c->GetFloatingSize(FFloatClientWidth, FFloatClientHeight);
  c->SetBounds(FFloatLeft, FFloatTop, size.cx, size.cy);
  TCustomForm* form = m ? m->ParentForm() : nullptr;
  if (!form || !form->Visible()) return;
  bool active = form->HandleAllocated() && GetActiveWindow() == form->Handle();
  if (active || m->IsCustomizing()) {
    c->HandleNeeded();
    c->SetVisible(true);
  }
}

void TdxBar::ApplyLoaded() {
  FLoaded = true;
  FItemLinks->Loaded(true);
  FDockingStyle = FLoadedDockingStyle;
  bool v = FLoadedVisible;
  FVisible = false;
  if (v) SetVisible(true);
}

void TdxBar::LockBar(bool Value) {
  FLockUpdate = Value;
  if (!Value) RebuildWindow();
}

namespace {
bool ExecuteIn(TdxBarItemLinks* Links, TShortCut AShortCut) {
  for (int i = 0; i < Links->Count(); ++i) {
    TdxBarItemLink* l = Links->Items(i);
    TdxBarItem* item = l->Item();
    if (!item) continue;
    if (item->Enabled() && item->CanSelect() && item->ShortCut() == AShortCut) {
      item->DoClick();
      return true;
    }
    if (auto* sub = dynamic_cast<TCustomdxBarSubItem*>(item))
      if (ExecuteIn(sub->ItemLinks(), AShortCut)) return true;
  }
  return false;
}
}  // namespace

bool TdxBar::ExecuteShortCut(TShortCut AShortCut) { return AShortCut != 0 && ExecuteIn(FItemLinks, AShortCut); }

void TdxBar::Assign(TPersistent* Source) {
  auto* b = dynamic_cast<TdxBar*>(Source);
  if (!b) {
    TCollectionItem::Assign(Source);
    return;
  }
  SetAllowClose(b->FAllowClose);
  SetAllowCustomizing(b->FAllowCustomizing);
  SetAllowQuickCustomizing(b->FAllowQuickCustomizing);
  SetAllowReset(b->FAllowReset);
  SetCaption(b->FCaption);
  SetDockedDockingStyle(b->FDockedDockingStyle);
  SetDockedLeft(b->FDockedLeft);
  SetDockedTop(b->FDockedTop);
  SetFloatLeft(b->FFloatLeft);
  SetFloatTop(b->FFloatTop);
  SetFloatClientWidth(b->FFloatClientWidth);
  SetFloatClientHeight(b->FFloatClientHeight);
  SetHidden(b->FHidden);
  SetIsMainMenu(b->FIsMainMenu);
  SetItemLinks(b->FItemLinks);
  SetNotDocking(b->FNotDocking);
  SetOneOnRow(b->FOneOnRow);
  SetRotateWhenVertical(b->FRotateWhenVertical);
  SetRow(b->FRow);
  SetWholeRow(b->FWholeRow);
  SetDockingStyle(b->DockingStyle());
  SetUseRecentItems(b->FUseRecentItems);
  SetUseRestSpace(b->FUseRestSpace);
  SetFont(b->FFont);
  SetUseOwnFont(b->FUseOwnFont);
  SetVisible(b->Visible());
}

bool TdxBar::Reset() {
  std::string text = dxBarResStr(dxSBAR_WANTTORESETTOOLBAR);
  size_t p = text.find("%s");
  if (p != std::string::npos) text.replace(p, 2, FCaption);
  if (Application->MessageBox(text, Application->Title(), MB_OKCANCEL | MB_ICONWARNING) != IDOK) return false;
  return ResetWithoutAsking();
}

namespace {
// Each sub-item linked from the links takes the stored form's links and usage data, recursively.
void ResetSubItems(TdxBarItemLinks* Links, TdxBarManager* Copy, std::vector<TdxBarItem*>& Done) {
  for (int i = 0; i < Links->Count(); ++i) {
    auto* sub = dynamic_cast<TCustomdxBarSubItem*>(Links->Items(i)->Item());
    if (!sub || std::find(Done.begin(), Done.end(), sub) != Done.end()) continue;
    Done.push_back(sub);
    auto* theirs = dynamic_cast<TCustomdxBarSubItem*>(Copy->GetItemByName(sub->Name()));
    if (!theirs) continue;
    sub->ItemLinks()->Assign(theirs->ItemLinks());
    sub->ItemLinks()->AssignUsageData(theirs->ItemLinks());
    ResetSubItems(sub->ItemLinks(), Copy, Done);
  }
}

struct TResetScope {
  TResetScope() { dxBarBeginBarReset(); }
  ~TResetScope() { dxBarEndBarReset(); }
};
}  // namespace

bool TdxBar::ResetWithoutAsking() {
  TdxBarManager* m = BarManager();
  if (!m) return false;
  std::unique_ptr<TCustomForm, void (*)(TCustomForm*)> copy(m->CreateDesignCopy(),
                                                             [](TCustomForm* f) { TObject::Free(f); });
  TdxBarManager* other = copy ? dynamic_cast<TdxBarManager*>(copy->FindComponent(m->Name())) : nullptr;
  // No stored form, or a manager renamed since: nothing to go back to.
  if (!other || Index() >= other->Bars()->Count()) return false;
  TdxBar* theirs = other->Bars()->Items(Index());
  if (m->OnBarBeforeReset) m->OnBarBeforeReset(m, this);
  TResetScope resetting;
  std::vector<TdxBarItem*> done;
  if (m->UseFullReset()) {
    struct TLock {
      TdxBarManager* M;
      bool Old;
      ~TLock() { M->LockUpdate(Old); }
    } lock{m, m->IsUpdateLocked()};
    m->LockUpdate(true);
    bool visible = FVisible;
    SetVisible(false);
    Assign(theirs);
    FItemLinks->AssignUsageData(theirs->ItemLinks());
    ResetSubItems(FItemLinks, other, done);
    SetVisible(visible);
  } else {
    struct TLock {
      TdxBar* B;
      ~TLock() { B->LockBar(false); }
    } lock{this};
    LockBar(true);
    FItemLinks->Assign(theirs->ItemLinks());
    FItemLinks->AssignUsageData(theirs->ItemLinks());
    ResetSubItems(FItemLinks, other, done);
  }
  if (m->OnBarAfterReset) m->OnBarAfterReset(m, this);
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Bars collection

TdxBars::TdxBars(TdxBarManager* ABarManager, bool ADetached)
    : TCollection(TdxBar::StaticClass()), FBarManager(ABarManager), FDetached(ADetached) {}

TdxBars::~TdxBars() {
  StopDockingTimer();
  BeginUpdate();
  while (Count() > 0) TObject::Free(Items(Count() - 1));
  for (auto& d : FDockControls) {
    TdxDockControl* site = d;
    d = nullptr;
    if (site) site->SetBars(nullptr);
    TObject::Free(site);
  }
}

TPersistent* TdxBars::GetOwner() { return FBarManager; }

void TdxBars::CreateDockControls(TCustomForm* AForm) {
  for (auto s : {dsLeft, dsTop, dsRight, dsBottom}) {
    auto* d = new TdxDockControl(nullptr, s, FBarManager);
    d->SetBars(this);
    d->SetParent(AForm);
    FDockControls[s] = d;
  }
}

void TdxBars::DockControlDestroyed(TdxDockControl* AControl) {
  for (auto& d : FDockControls)
    if (d == AControl) d = nullptr;
}

TdxDockControl* TdxBars::DockControls(TdxBarDockingStyle AStyle) const {
  return AStyle == dsNone ? nullptr : FDockControls[AStyle];
}

void TdxBars::DockBar(TdxBarDockingStyle AStyle, TdxBarControl* ABarControl, POINT ScreenPoint) {
  if (auto* d = DockControls(AStyle)) d->InsertBar(ABarControl, ScreenPoint, true);
}

void TdxBars::UndockBar(TdxBarDockingStyle AStyle, TdxBarControl* ABarControl) {
  if (auto* d = DockControls(AStyle)) d->RemoveBar(ABarControl, true);
}

TdxBarDockingStyle TdxBars::DockingStyleAt(TdxBarControl* ABarControl, POINT Point) {
  TdxBar* bar = ABarControl ? ABarControl->Bar() : nullptr;
  auto over = [&](POINT P) {
    // Left and right first: where zones overlap at a corner, the side site wins.
    for (auto s : {dsLeft, dsRight, dsTop, dsBottom}) {
      TdxDockControl* d = DockControls(s);
      if (!d || !FBarManager->CanDocking(bar, s)) continue;
      RECT z = d->GetDockZone();
      if (PtInRect(&z, P)) return s;
    }
    return dsNone;
  };
  TdxBarDockingStyle s = over(Point);
  if (s == dsNone && FDragging) s = over(POINT{Point.x - FDragOffset.x, Point.y - FDragOffset.y});
  return s;
}

namespace {
TdxBars* TimerBars = nullptr;
}  // namespace

void CALLBACK TdxBars::DockingTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  try {
    TdxBars* bars = TimerBars;
    if (!bars) return;
    TdxBarControl* moved = bars->FDockingTimerBar;
    bars->StopDockingTimer();
    if (!IsBarControl(moved)) return;
    POINT p;
    GetCursorPos(&p);
    bars->MoveBar(moved, POINT{p.x + bars->FDragOffset.x, p.y + bars->FDragOffset.y}, true);
  } catch (...) {
    Application->HandleException(nullptr);
  }
}

void TdxBars::StopDockingTimer() {
  if (FDockingTimer) KillTimer(nullptr, FDockingTimer);
  FDockingTimer = 0;
  FDockingTimerBar = nullptr;
  if (TimerBars == this) TimerBars = nullptr;
}

void TdxBars::MoveBar(TdxBarControl* ABarControl, POINT Point, bool TimerFired) {
  TdxBarDockingStyle side = DockingStyleAt(ABarControl, Point);
  TdxBarDockingStyle current = ABarControl->DockingStyle();
  // A floating bar docks only after it stayed over the site for the waiting time.
  if (current == dsNone && side != dsNone && !TimerFired) {
    StopDockingTimer();
    TimerBars = this;
    FDockingTimerBar = ABarControl;
    FDockingTimer = SetTimer(nullptr, 0, UINT(std::max(1, FBarManager->WaitForDockingTime())), DockingTimerProc);
    side = dsNone;
  }
  if (side == dsNone) Point = POINT{Point.x - FDragOffset.x, Point.y - FDragOffset.y};
  TdxBar* bar = ABarControl->Bar();
  if (side != current) {
    ABarControl->SetVisible(false);
    UndockBar(current, ABarControl);
    if (side != dsNone) {
      ABarControl->SetDockingStyle(side);
      DockBar(side, ABarControl, Point);
      if (bar) bar->SetDockingStyle(side);
    } else {
      ABarControl->SetCreatingState(true);
      ABarControl->SetDockingStyle(dsNone);
      ABarControl->SetCreatingState(false);
      if (bar) bar->SetDockingStyle(dsNone);
      SIZE size = ABarControl->GetFloatingSize(bar ? bar->FloatClientWidth() : 0, bar ? bar->FloatClientHeight() : 0);
      POINT off = ABarControl->CaptionOffset();
      ABarControl->SetBounds(Point.x - off.x, Point.y - off.y, size.cx, size.cy);
      ABarControl->HandleNeeded();
    }
    ABarControl->SetVisible(true);
  } else if (side == dsNone) {
    POINT off = ABarControl->CaptionOffset();
    ABarControl->SetBounds(Point.x - off.x, Point.y - off.y, ABarControl->Width(), ABarControl->Height());
  } else if (auto* d = DockControls(side)) {
    d->MoveBarTo(ABarControl, Point);
  }
}

void TdxBars::DragBar(TdxBarControl* ABarControl) {
  TdxBar* bar = ABarControl ? ABarControl->Bar() : nullptr;
  if (!bar || dxAllDockingStyles <= bar->NotDocking()) return;
  if (ABarControl->DockingStyle() != dsNone) ABarControl->StoreBarPosition();
  FDragging = true;
  FDragBarControl = ABarControl;
  ABarControl->SetMoving(true);
  POINT cursor;
  GetCursorPos(&cursor);
  FDragOffset = POINT{0, 0};
  if (TdxDockControl* d = DockControls(ABarControl->DockingStyle())) {
    d->RemoveBar(ABarControl, false);
    POINT ip = d->RowInsertPoint(ABarControl);
    if (d->Horizontal())
      FDragOffset.y = ip.y - cursor.y;
    else
      FDragOffset.x = ip.x - cursor.x;
    d->InsertBar(ABarControl, POINT{ABarControl->ClientOrigin().x, ABarControl->ClientOrigin().y}, false);
  }
  FlushPaintMessages();
  // While customizing the dialog keeps the mouse: it is the active window the drag starts from.
  TdxBarManager* m = BarManager();
  HWND capture = m && m->IsCustomizing() && dxBarCustomizingForm && dxBarCustomizingForm->HandleAllocated()
                     ? dxBarCustomizingForm->Handle()
                     : Application->Handle();
  SetCapture(capture);
  POINT last{INT_MIN, INT_MIN};
  MSG msg{};
  while (GetCapture() == capture && GetMessageA(&msg, nullptr, 0, 0)) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) {
      if (msg.wParam == VK_ESCAPE) break;
      continue;
    }
    if (msg.message == WM_MOUSEMOVE) {
      POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
      ClientToScreen(msg.hwnd, &p);
      if (p.x == last.x && p.y == last.y) continue;
      last = p;
      if (!IsBarControl(ABarControl)) break;
      MoveBar(ABarControl, POINT{p.x + FDragOffset.x, p.y + FDragOffset.y});
      FlushPaintMessages();
      continue;
    }
    if (msg.message == WM_LBUTTONUP) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (msg.message == WM_QUIT) PostQuitMessage(int(msg.wParam));
  StopDockingTimer();
  if (GetCapture() == capture) ReleaseCapture();
  if (IsBarControl(ABarControl)) ABarControl->SetMoving(false);
  FDragging = false;
  FDragBarControl = nullptr;
}
