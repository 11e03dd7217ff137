// What the bars and links need of the bar windows, dock sites and item controls: they exist, join the
// live window list, hold their links' controls while they have a window, and keep their place. Layout,
// painting and input belong to the toolbar, menu and dock-layout code built on these classes.
#include <algorithm>

#include "dxBarCommon.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

// ---------------------------------------------------------------------------------------------------
// Bar window base

TCustomdxBarControl::TCustomdxBarControl(TdxBarManager* ABarManager)
    : TCustomControl(ABarManager), FBarManager(ABarManager) {
  AddBarControl(this);
  TControlStyle style = ControlStyle();
  style.Exclude(csCaptureMouse);
  style.Exclude(csDoubleClicks);
  SetControlStyle(style);
  SetColor(clBtnFace);
  SetVisible(false);
  SetBounds(100, 100, 50, 30);
}

void TCustomdxBarControl::BeforeDestruction() {
  if (dynamic_cast<TdxBarControl*>(this))
    DeactivateChain();
  else
    SetActive(false);
  if (FBarManager && FBarManager->SelectedItem() && FBarManager->SelectedItem()->Parent() == this)
    FBarManager->SetSelectedItem(nullptr);
  DestroyControls();
  if (FItemLinks && FItemLinks->BarControl() == this) FItemLinks->SetBarControl(nullptr);
  RemoveBarControl(this);
  TCustomControl::BeforeDestruction();
}

TCustomdxBarControl::~TCustomdxBarControl() { RemoveBarControl(this); }

void TCustomdxBarControl::CreateControls() {
  if (!FItemLinks) return;
  for (int i = 0; i < FItemLinks->Count(); ++i) FItemLinks->Items(i)->CreateControl();
}

void TCustomdxBarControl::DestroyControls() {
  if (!FItemLinks) return;
  bool old = FLockControls;
  FLockControls = true;
  for (int i = 0; i < FItemLinks->Count(); ++i) FItemLinks->Items(i)->DestroyControl();
  FLockControls = old;
  FSelectedControl = nullptr;
}

bool TCustomdxBarControl::IsCustomizing() { return FBarManager && FBarManager->IsCustomizing(); }

void TCustomdxBarControl::SetDockingStyle(TdxBarDockingStyle Value) {
  if (FDockingStyle == Value) return;
  FDockingStyle = Value;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TCustomdxBarControl::SetActive(bool Value) {
  if (FBarManager && !FBarManager->IsDestroying()) FBarManager->UpdateHint(false, std::string());
  if (FActive == Value) return;
  FActive = Value;
  if (Value) {
    FPrevActive = ActiveBarControl();
    SetActiveBarControl(this);
  } else {
    if (IsCustomizing()) {
      // A menu opened from the selection goes with it: left open, its title would stay marked open and
      // the next click on it would only close it.
      if (FSelectedControl && FSelectedControl->DroppedDown()) CloseSelectedDropDown();
      FSelectedControl = nullptr;
    } else {
      SelectItem(nullptr);
    }
    TCustomdxBarControl* prev = FPrevActive;
    FPrevActive = nullptr;
    SetActiveBarControl(IsBarControl(prev) && prev->Active() ? prev : nullptr);
  }
}

void TCustomdxBarControl::DeactivateChain() {
  SetActive(false);
  if (IsBarControl(this) && FParentBar) FParentBar->DeactivateChain();
}

void TCustomdxBarControl::CreateWindowHandle(const TCreateParams& Params) {
  TCustomControl::CreateWindowHandle(Params);
  CreateControls();
}

void TCustomdxBarControl::DestroyWindowHandle() {
  DestroyControls();
  TCustomControl::DestroyWindowHandle();
}

// ---------------------------------------------------------------------------------------------------
// Item controls

TdxBarItemControl::TdxBarItemControl(TdxBarItemLink* ALink) : FLink(ALink), FParent(ALink->BarControl()) {}

TdxBarItemControl::~TdxBarItemControl() = default;

TdxBarItem* TdxBarItemControl::Item() const { return FLink ? FLink->Item() : nullptr; }

bool TdxBarItemControl::IsSelectedInActiveBar() const {
  return FParent && FParent->Active() && FParent->SelectedControl() == this;
}

void TdxBarItemControl::BeginGroupChanged() { FParent->RebuildBar(); }
void TdxBarItemControl::CaptionChanged() { FParent->RebuildBar(); }
void TdxBarItemControl::VisibleChanged() { FParent->RebuildBar(); }

void TdxBarItemControl::ShortCutChanged() {
  if (dynamic_cast<TdxBarSubMenuControl*>(FParent)) FParent->RebuildBar();
}

void TdxBarItemControl::EnabledChanged() {
  if (FParent->SelectedControl() == this && !GetEnabled()) FParent->SelectItem(nullptr);
  Repaint();
}
