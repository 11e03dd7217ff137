// What the bars and links need of the bar windows, dock sites and item controls: they exist, join the
// live window list, hold their links' controls while they have a window, and keep their place. Layout,
// painting and input belong to the toolbar, menu and dock-layout code built on these classes.
#include <algorithm>

#include "dxBar.h"

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
  if (FActive == Value) return;
  FActive = Value;
  if (Value) {
    FPrevActive = ActiveBarControl();
    SetActiveBarControl(this);
  } else {
    if (IsCustomizing())
      FSelectedControl = nullptr;
    else
      SelectItem(nullptr);
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

void TCustomdxBarControl::Dispatch(TMessage& Message) {
  // Items and links post this when the window must lay its controls out again.
  if (Message.Msg == WM_USER + 1) {
    RebuildBar();
    return;
  }
  TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------
// Toolbar window

TdxBarControl::TdxBarControl(TdxBarManager* ABarManager, TdxBar* ABar) : TCustomdxBarControl(ABarManager), FBar(ABar) {}

void TdxBarControl::BeforeDestruction() {
  if (auto* site = dynamic_cast<TdxDockControl*>(Parent())) site->ForgetBar(this);
  TCustomdxBarControl::BeforeDestruction();
}

void TdxBarControl::CreateParams(TCreateParams& Params) {
  TCustomdxBarControl::CreateParams(Params);
  if (!Parent()) {
    // Floating: a small tool window owned by the manager's form.
    Params.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (FBarManager && FBarManager->ParentForm() && FBarManager->ParentForm()->HandleAllocated())
      Params.WndParent = FBarManager->ParentForm()->Handle();
  }
}

void TdxBarControl::StoreBarPosition() {
  if (!FBar) return;
  if (FDockingStyle != dsNone) {
    FBar->SetDockedDockingStyle(FDockingStyle);
    FBar->SetRow(DockRow);
    FBar->SetOneOnRow(DockOneOnRow);
    FBar->SetDockedLeft(Left());
    FBar->SetDockedTop(Top());
  } else {
    FBar->SetFloatLeft(Left());
    FBar->SetFloatTop(Top());
    FBar->SetFloatClientWidth(ClientWidth());
    FBar->SetFloatClientHeight(ClientHeight());
  }
}

SIZE TdxBarControl::GetFloatingSize(int ClientWidth, int ClientHeight) {
  RECT r{0, 0, ClientWidth, ClientHeight};
  AdjustWindowRectEx(&r, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, FALSE, WS_EX_TOOLWINDOW);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

POINT TdxBarControl::CaptionOffset() {
  return POINT{dxBarFrameWidth() + dxBarSmallCaptionHeight() / 2, dxBarFrameHeight() + dxBarSmallCaptionHeight() / 2};
}

// ---------------------------------------------------------------------------------------------------
// Dock site

TdxDockControl::TdxDockControl(TComponent* AOwner, TdxBarDockingStyle AStyle, TdxBarManager* ABarManager)
    : TCustomControl(AOwner), FBarManager(ABarManager), FDockingStyle(AStyle) {
  TControlStyle style = ControlStyle();
  style.Include(csNoDesignVisible);
  if (AStyle == dsTop) style.Include(csActionClient);
  SetControlStyle(style);
  static const TAlign Aligns[] = {alNone, alLeft, alTop, alRight, alBottom};
  SetAlign(Aligns[AStyle]);
  if (Horizontal())
    SetHeight(0);
  else
    SetWidth(0);
  SetParentColor(true);
}

// The form frees its child windows before its components: a site may go before the manager's bars.
TdxDockControl::~TdxDockControl() {
  if (FBars) FBars->DockControlDestroyed(this);
}

void TdxDockControl::SetSiteSize(int Value) {
  if (Value < 0) Value = 0;
  if (Horizontal())
    SetHeight(Value);
  else
    SetWidth(Value);
}

void TdxDockControl::ReFrame() {
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TdxDockControl::InsertBar(TdxBarControl* ABarControl, POINT ScreenPoint, bool Update) {
  if (std::find(FBarControls.begin(), FBarControls.end(), ABarControl) == FBarControls.end())
    FBarControls.push_back(ABarControl);
  ABarControl->SetParent(this);
  POINT p = ScreenToClient(ScreenPoint);
  ABarControl->SetBounds(std::max(0, int(p.x)), std::max(0, int(p.y)), ABarControl->Width(), ABarControl->Height());
  if (Update) UpdateDock();
}

void TdxDockControl::ForgetBar(TdxBarControl* ABarControl) {
  FBarControls.erase(std::remove(FBarControls.begin(), FBarControls.end(), ABarControl), FBarControls.end());
}

void TdxDockControl::RemoveBar(TdxBarControl* ABarControl, bool Update) {
  FBarControls.erase(std::remove(FBarControls.begin(), FBarControls.end(), ABarControl), FBarControls.end());
  if (ABarControl->Parent() == this) ABarControl->SetParent(nullptr);
  if (Update) UpdateDock();
}

void TdxDockControl::MoveBarTo(TdxBarControl* ABarControl, POINT ScreenPoint) {
  RemoveBar(ABarControl, false);
  InsertBar(ABarControl, ScreenPoint, true);
}

POINT TdxDockControl::RowInsertPoint(TdxBarControl* ABarControl) {
  POINT p{ABarControl->Left(), ABarControl->Top()};
  if (Horizontal())
    p.x = 0;
  else
    p.y = 0;
  return ClientToScreen(p);
}

RECT TdxDockControl::GetDockZone() {
  RECT r = BoundsRect();
  if (Parent()) {
    POINT tl = Parent()->ClientToScreen(POINT{r.left, r.top});
    OffsetRect(&r, tl.x - r.left, tl.y - r.top);
  }
  int z = FBars ? FBars->DockingZoneSize() : 23;
  InflateRect(&r, z, Horizontal() ? z : 0);
  return r;
}

// Laying out the rows and sizing the site to them belong to the dock layout code.
void TdxDockControl::UpdateDock() {}

// ---------------------------------------------------------------------------------------------------
// Item controls

TdxBarItemControl::TdxBarItemControl(TdxBarItemLink* ALink) : FLink(ALink), FParent(ALink->BarControl()) {}

TdxBarItemControl::~TdxBarItemControl() = default;

TdxBarItem* TdxBarItemControl::Item() const { return FLink ? FLink->Item() : nullptr; }

bool TdxBarItemControl::IsSelectedInActiveBar() const {
  return FParent && FParent->Active() && FParent->SelectedControl() == this;
}
