#include "RzEdit.h"

#include "Forms.h"

TRzCustomEdit::TRzCustomEdit(TComponent* AOwner) : TCustomEdit(AOwner) { FControlStyle.Exclude(csSetCaption); }

void TRzCustomEdit::BeforeDestruction() {
  if (FFrameController) FFrameController->RemoveControl(this);
  FFrameController = nullptr;
  TCustomEdit::BeforeDestruction();
}

TRzCustomEdit::~TRzCustomEdit() = default;

void TRzCustomEdit::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style &= ~DWORD(ES_MULTILINE | ES_RIGHT | ES_CENTER);
  if (FAlignment == taRightJustify) Params.Style |= ES_RIGHT;
}

void TRzCustomEdit::SetAlignment(TLeftRight Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TRzCustomEdit::SetColor(TColor Value) {
  if (Value == GetColor()) return;
  TControl::SetColor(Value);
  if (FFrameVisible) RepaintFrame();
}

void TRzCustomEdit::SetFrameColor(TColor Value) {
  if (Value == FFrameColor) return;
  FFrameColor = Value;
  RepaintFrame();
}

void TRzCustomEdit::SetFrameFlatStyle(TFrameStyle Value) {
  if (Value == FFrameFlatStyle) return;
  FFrameFlatStyle = Value;
  RepaintFrame();
}

void TRzCustomEdit::SetFrameFocusStyle(TFrameStyle Value) {
  if (Value == FFrameFocusStyle) return;
  FFrameFocusStyle = Value;
  RepaintFrame();
}

void TRzCustomEdit::SetFrameSides(TSides Value) {
  if (Value == FFrameSides) return;
  FFrameSides = Value;
  RepaintFrame();
}

void TRzCustomEdit::SetFrameStyle(TFrameStyle Value) {
  if (Value == FFrameStyle) return;
  FFrameStyle = Value;
  RepaintFrame();
}

void TRzCustomEdit::SetFrameFlat(bool Value) {
  if (Value == FFrameFlat) return;
  FFrameFlat = Value;
  if (Value) {
    SetFrameVisible(true);
    if (!ComponentState().Contains(csLoading)) {
      FFrameSides = sdAllSides;
      FFrameStyle = FFrameFlatStyle;
    }
  }
  RepaintFrame();
  Invalidate();
}

void TRzCustomEdit::SetFrameVisible(bool Value) {
  if (Value == FFrameVisible) return;
  FFrameVisible = Value;
  if (Value) SetCtl3D(true);
  if (HandleAllocated()) RecreateWnd();
}

void TRzCustomEdit::SetFrameController(TRzFrameController* Value) {
  if (Value == FFrameController) return;
  if (FFrameController) {
    FFrameController->RemoveControl(this);
    FFrameController->RemoveFreeNotification(this);
  }
  FFrameController = Value;
  if (Value) {
    Value->AddControl(this);
    Value->FreeNotification(this);
  }
}

void TRzCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFrameController) FFrameController = nullptr;
}

void TRzCustomEdit::UpdateFrame(bool SetHot, bool Hot) {
  if (SetHot) FHot = Hot;
  if (!FFrameFlat) return;
  bool focused = HandleAllocated() && GetFocus() == FHandle;
  FFrameStyle = focused || FHot ? FFrameFocusStyle : FFrameFlatStyle;
  RepaintFrame();
}

void TRzCustomEdit::RepaintFrame() {
  if (HandleAllocated()) RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

void TRzCustomEdit::GetEditRect(RECT& Rect) { Rect = ClientRect(); }

void TRzCustomEdit::PaintFrame() {
  HDC dc = GetWindowDC(FHandle);
  TCanvas c;
  c.SetHandle(dc);
  DrawFrame(&c, Width(), Height(), FFrameSides, FFrameColor, GetColor(), FFrameStyle);
  c.SetHandle(nullptr);
  ReleaseDC(FHandle, dc);
}

void TRzCustomEdit::Dispatch(TMessage& Message) {
  TLiveGuard g(this);
  switch (Message.Msg) {
    case WM_NCPAINT:
      TCustomEdit::Dispatch(Message);
      if (g && FFrameVisible) {
        PaintFrame();
        Message.Result = 0;
      }
      return;
    case WM_SIZE:
      TCustomEdit::Dispatch(Message);
      if (g && FFrameVisible) RepaintFrame();
      return;
    case CM_ENTER:
      UpdateFrame(false, true);
      TCustomEdit::Dispatch(Message);
      return;
    case CM_EXIT:
      TCustomEdit::Dispatch(Message);
      if (g) UpdateFrame(false, false);
      return;
    case CM_MOUSEENTER:
      TCustomEdit::Dispatch(Message);
      if (!g) return;
      UpdateFrame(true, true);
      MouseEnter();
      return;
    case CM_MOUSELEAVE:
      TCustomEdit::Dispatch(Message);
      if (!g) return;
      UpdateFrame(true, false);
      MouseLeave();
      return;
  }
  TCustomEdit::Dispatch(Message);
}

void TRzCustomEdit::KeyPress(char& Key) {
  if (FTabOnEnter && Key == '\r') {
    Key = 0;
    PostMessageA(Handle(), WM_KEYDOWN, VK_TAB, 0);
    return;
  }
  TCustomEdit::KeyPress(Key);
}

void TRzCustomEdit::Publish(TPublisher<TRzCustomEdit>& p) {
  auto own = [](TRzCustomEdit& e) { return e.FFrameController == nullptr; };
  p.Enum("Alignment", AlignmentNames, &TRzCustomEdit::Alignment, &TRzCustomEdit::SetAlignment).Default(taLeftJustify);
  p.Int("Color", &TRzCustomEdit::GetColor, &TRzCustomEdit::SetColor).Idents(ColorIdentMap()).StoredIf<TRzCustomEdit>(own);
  p.Int("FrameColor", &TRzCustomEdit::FrameColor, &TRzCustomEdit::SetFrameColor)
      .Default(clBtnShadow).Idents(ColorIdentMap()).StoredIf<TRzCustomEdit>(own);
  p.Ref("FrameController", &TRzCustomEdit::FrameController, &TRzCustomEdit::SetFrameController);
  p.Bool("FrameFlat", &TRzCustomEdit::FrameFlat, &TRzCustomEdit::SetFrameFlat).Default(0).StoredIf<TRzCustomEdit>(own);
  p.Enum("FrameFlatStyle", FrameStyleNames, &TRzCustomEdit::FrameFlatStyle, &TRzCustomEdit::SetFrameFlatStyle)
      .Default(fsStatus).StoredIf<TRzCustomEdit>(own);
  p.Enum("FrameFocusStyle", FrameStyleNames, &TRzCustomEdit::FrameFocusStyle, &TRzCustomEdit::SetFrameFocusStyle)
      .Default(fsLowered).StoredIf<TRzCustomEdit>(own);
  p.Set("FrameSides", SideNames, &TRzCustomEdit::FrameSides, &TRzCustomEdit::SetFrameSides)
      .Default(sdAllSides.Bits()).StoredIf<TRzCustomEdit>(own);
  p.Enum("FrameStyle", FrameStyleNames, &TRzCustomEdit::FrameStyle, &TRzCustomEdit::SetFrameStyle)
      .Default(fsFlat).StoredIf<TRzCustomEdit>(own);
  p.Bool("FrameVisible", &TRzCustomEdit::FrameVisible, &TRzCustomEdit::SetFrameVisible).Default(0).StoredIf<TRzCustomEdit>(own);
  p.Bool("TabOnEnter", &TRzCustomEdit::TabOnEnter, &TRzCustomEdit::SetTabOnEnter).Default(0);
  p.Bool("UseFrameController", &TRzCustomEdit::UseFrameController, &TRzCustomEdit::SetUseFrameController).Default(1);
  p.Event("OnMouseEnter", &TRzCustomEdit::OnMouseEnter);
  p.Event("OnMouseLeave", &TRzCustomEdit::OnMouseLeave);
}
