#include "RzSpnEdt.h"

#include <cmath>

#include "Forms.h"

const TEnumInfo SpinDirectionNames{"TSpinDirection", {"sdUpDown", "sdLeftRight"}};

namespace {

// The default arrows: up, down, left, right.
TBitmap* FArrows[4] = {};
const char* const ArrowNames[4] = {"RZSPNEDT_UPARROW", "RZSPNEDT_DOWNARROW", "RZSPNEDT_LEFTARROW", "RZSPNEDT_RIGHTARROW"};
enum { arUp, arDown, arLeft, arRight };

TBitmap* Arrow(int Which) {
  if (!FArrows[Which]) {
    FArrows[Which] = new TBitmap;
    FArrows[Which]->LoadFromResourceName(GetModuleHandleA(nullptr), ArrowNames[Which]);
  }
  return FArrows[Which];
}

}  // namespace

void RzSpnEdtInitialize() {
  for (int i = 0; i < 4; ++i) Arrow(i);
  RegisterClasses({TRzSpinEdit::StaticClass(), TRzSpinButtons::StaticClass(), TRzRapidFireButton::StaticClass()});
}

void RzSpnEdtFinalize() {
  for (TBitmap*& b : FArrows) FreeAndNil(b);
}

// ---------------------------------------------------------------------------------------------------
// TRzRapidFireButton

TRzRapidFireButton::TRzRapidFireButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

void TRzRapidFireButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TSpeedButton::MouseDown(Button, Shift, X, Y);
  if (!(Flags & rfRepeat)) return;
  if (!FRepeatTimer) {
    FRepeatTimer = new TTimer(this);
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetOnTimer(Bind(this, &TRzRapidFireButton::TimerExpired));
  }
  FRepeatTimer->SetInterval(FInitialDelay);
  FRepeatTimer->SetEnabled(true);
}

void TRzRapidFireButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TSpeedButton::MouseUp(Button, Shift, X, Y);
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

void TRzRapidFireButton::TimerExpired(TObject* Sender) {
  FRepeatTimer->SetInterval(FDelay);
  // A button that lost the mouse (another window took the capture) stops repeating.
  if (!MouseCapture()) {
    FRepeatTimer->SetEnabled(false);
    return;
  }
  if (State() != bsDown) return;
  TFailScope stop([this] { FRepeatTimer->SetEnabled(false); });
  Click();
}

void TRzRapidFireButton::Paint() {
  TSpeedButton::Paint();
  if (!(Flags & rfDrawFocus)) return;
  RECT r = ClientRect();
  InflateRect(&r, -3, -3);
  if (State() == bsDown) OffsetRect(&r, 1, 1);
  Canvas()->DrawFocusRect(r);
}

void TRzRapidFireButton::Publish(TPublisher<TRzRapidFireButton>& p) {
  p.Enum("About", RzAboutInfoNames, &TRzRapidFireButton::About, [](TRzRapidFireButton&, TRzAboutInfo) {}).Stored(false);
  p.Int("InitialDelay", &TRzRapidFireButton::InitialDelay, &TRzRapidFireButton::SetInitialDelay).Default(400);
  p.Int("Delay", &TRzRapidFireButton::Delay, &TRzRapidFireButton::SetDelay).Default(100);
}

// ---------------------------------------------------------------------------------------------------
// TRzSpinButtons

TRzSpinButtons::TRzSpinButtons(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle.Exclude(csAcceptsControls);
  FControlStyle.Exclude(csSetCaption);
  FUpRightButton = CreateButton();
  FDownLeftButton = CreateButton();
  SetGlyphUpRight(nullptr);
  SetGlyphDownLeft(nullptr);
  FCustomGlyphUpRight = FCustomGlyphDownLeft = false;
  SetBounds(0, 0, 17, 25);
  FFocusedButton = FUpRightButton;
}

TRzRapidFireButton* TRzSpinButtons::CreateButton() {
  auto* b = new TRzRapidFireButton(this);
  b->OnClick = Bind(this, &TRzSpinButtons::BtnClick);
  b->OnMouseDown = Bind(this, &TRzSpinButtons::BtnMouseDown);
  b->SetLayout(blGlyphBottom);
  b->SetVisible(true);
  b->SetEnabled(true);
  b->Flags = TRzRapidFireButton::rfRepeat;
  b->SetParent(this);
  return b;
}

void TRzSpinButtons::AdjustSize(int& W, int& H) {
  if (ComponentState().Contains(csLoading) || !FUpRightButton || !FDownLeftButton) return;
  if (FOrientation == orVertical) {
    FUpRightButton->SetBounds(0, 0, W, H / 2);
    FDownLeftButton->SetBounds(0, H / 2, W, H - H / 2 - 1);
  } else {
    FDownLeftButton->SetBounds(0, 0, W / 2, H - 1);
    FUpRightButton->SetBounds(W / 2, 0, W - W / 2, H - 1);
  }
}

void TRzSpinButtons::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  int w = AWidth, h = AHeight;
  AdjustSize(w, h);
  TWinControl::SetBounds(ALeft, ATop, w, h);
}

void TRzSpinButtons::Loaded() {
  TWinControl::Loaded();
  int w = Width(), h = Height();
  AdjustSize(w, h);
  if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
}

void TRzSpinButtons::SetOrientation(TOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  if (!ComponentState().Contains(csLoading)) {
    if (Value == orVertical)
      SetWidth(Width() / 2);
    else
      SetWidth(Width() * 2);
  }
  int w = Width(), h = Height();
  AdjustSize(w, h);
  Invalidate();
}

void TRzSpinButtons::SetDirection(TSpinDirection Value) {
  if (Value == FDirection) return;
  FDirection = Value;
  SetGlyphUpRight(nullptr);
  SetGlyphDownLeft(nullptr);
  Invalidate();
}

void TRzSpinButtons::SetGlyphUpRight(TBitmap* Value) {
  FCustomGlyphUpRight = Value != nullptr;
  FUpRightButton->SetGlyph(Value ? Value : Arrow(FDirection == sdUpDown ? arUp : arRight));
  if (!Value) FUpRightButton->SetNumGlyphs(2);
  FUpRightButton->Invalidate();
}

void TRzSpinButtons::SetGlyphDownLeft(TBitmap* Value) {
  FCustomGlyphDownLeft = Value != nullptr;
  FDownLeftButton->SetGlyph(Value ? Value : Arrow(FDirection == sdUpDown ? arDown : arLeft));
  if (!Value) FDownLeftButton->SetNumGlyphs(2);
  FDownLeftButton->Invalidate();
}

void TRzSpinButtons::SetEnabled(bool Value) {
  if (Value == Enabled()) return;
  TWinControl::SetEnabled(Value);
  FUpRightButton->SetEnabled(Value);
  FDownLeftButton->SetEnabled(Value);
}

void TRzSpinButtons::SetFlat(bool Value) {
  FFlat = Value;
  FUpRightButton->SetFlat(Value);
  FDownLeftButton->SetFlat(Value);
}

void TRzSpinButtons::SetFocusControl(TWinControl* Value) {
  if (Value == FFocusControl) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TRzSpinButtons::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TRzSpinButtons::BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft) return;
  SetFocusBtn(static_cast<TRzRapidFireButton*>(Sender));
  if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() &&
      GetFocus() != FFocusControl->Handle()) {
    FFocusControl->SetFocus();
  } else if (TabStop() && GetFocus() != Handle() && CanFocus()) {
    SetFocus();
  }
}

void TRzSpinButtons::BtnClick(TObject* Sender) {
  if (Sender == FUpRightButton)
    OnUpRightClick(this);
  else
    OnDownLeftClick(this);
}

void TRzSpinButtons::SetFocusBtn(TRzRapidFireButton* Btn) {
  if (!TabStop() || !CanFocus() || Btn == FFocusedButton) return;
  FFocusedButton->Flags &= uint8_t(~TRzRapidFireButton::rfDrawFocus);
  FFocusedButton = Btn;
  if (HandleAllocated() && GetFocus() == FHandle) FFocusedButton->Flags |= TRzRapidFireButton::rfDrawFocus;
  Invalidate();
}

void TRzSpinButtons::KeyDown(uint16_t& Key, TShiftState Shift) {
  switch (Key) {
    case VK_SPACE:
      FFocusedButton->Click();
      break;
    case VK_UP:
      SetFocusBtn(FUpRightButton);
      FUpRightButton->Click();
      break;
    case VK_DOWN:
      SetFocusBtn(FDownLeftButton);
      FDownLeftButton->Click();
      break;
  }
}

void TRzSpinButtons::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: {
      TWinControl::Dispatch(Message);
      int w = Width(), h = Height();
      AdjustSize(w, h);
      if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
      Message.Result = 0;
      return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (Message.Msg == WM_SETFOCUS)
        FFocusedButton->Flags |= TRzRapidFireButton::rfDrawFocus;
      else
        FFocusedButton->Flags &= uint8_t(~TRzRapidFireButton::rfDrawFocus);
      FFocusedButton->Repaint();
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
  }
  TWinControl::Dispatch(Message);
}

void TRzSpinButtons::Publish(TPublisher<TRzSpinButtons>& p) {
  p.Enum("About", RzAboutInfoNames, &TRzSpinButtons::About, [](TRzSpinButtons&, TRzAboutInfo) {}).Stored(false);
  p.Enum("Direction", SpinDirectionNames, &TRzSpinButtons::Direction, &TRzSpinButtons::SetDirection).Default(sdUpDown);
  p.Bool("Enabled", &TRzSpinButtons::GetEnabled, &TRzSpinButtons::SetEnabled).Default(1);
  p.Bool("Flat", &TRzSpinButtons::Flat, &TRzSpinButtons::SetFlat).Default(0);
  p.Ref("FocusControl", &TRzSpinButtons::FocusControl, &TRzSpinButtons::SetFocusControl);
  p.Object("GlyphUpRight", &TRzSpinButtons::GetGlyphUpRight).StoredIf<TRzSpinButtons>(&TRzSpinButtons::CustomGlyphUpRight);
  p.Object("GlyphDownLeft", &TRzSpinButtons::GetGlyphDownLeft).StoredIf<TRzSpinButtons>(&TRzSpinButtons::CustomGlyphDownLeft);
  p.Int("NumGlyphsUpRight", &TRzSpinButtons::GetNumGlyphsUpRight, &TRzSpinButtons::SetNumGlyphsUpRight).Default(2);
  p.Int("NumGlyphsDownLeft", &TRzSpinButtons::GetNumGlyphsDownLeft, &TRzSpinButtons::SetNumGlyphsDownLeft).Default(2);
  p.Enum("Orientation", OrientationNames, &TRzSpinButtons::Orientation, &TRzSpinButtons::SetOrientation).Default(orVertical);
  p.Event("OnDownLeftClick", &TRzSpinButtons::OnDownLeftClick);
  p.Event("OnUpRightClick", &TRzSpinButtons::OnUpRightClick);
}

// ---------------------------------------------------------------------------------------------------
// TRzSpinEdit

TRzSpinEdit::TRzSpinEdit(TComponent* AOwner) : TRzCustomEdit(AOwner) {
  FButtons = new TRzSpinButtons(this);
  FButtons->SetParent(this);
  FButtons->SetBounds(0, 0, 17, 17);
  FButtons->SetVisible(true);
  FButtons->SetFocusControl(this);
  FButtons->OnUpRightClick = Bind(this, &TRzSpinEdit::UpClick);
  FButtons->OnDownLeftClick = Bind(this, &TRzSpinEdit::DownClick);
  FControlStyle.Exclude(csSetCaption);
  SetWidth(47);
  SetAlignment(taRightJustify);
  SetValue(0);
}

void TRzSpinEdit::CreateParams(TCreateParams& Params) {
  TRzCustomEdit::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TRzSpinEdit::CreateWnd() {
  TRzCustomEdit::CreateWnd();
  SetEditMargins();
  ResizeButtons();
}

void TRzSpinEdit::SetEditMargins() {
  if (!HandleAllocated()) return;
  SendMessageA(FHandle, EM_SETMARGINS, EC_LEFTMARGIN, 0);
  SendMessageA(FHandle, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, FButtons->Width() + 2));
}

void TRzSpinEdit::GetEditRect(RECT& Rect) {
  TRzCustomEdit::GetEditRect(Rect);
  Rect.right -= 2 + FButtons->Width();
}

void TRzSpinEdit::ResizeButtons() {
  int minH = GetMinFontHeight(Font());
  if (minH > Height()) {
    SetHeight(minH);   // comes back here through WM_SIZE
    return;
  }
  int w = Width(), h = Height(), bw = FButtons->Width();
  if (FFrameVisible || Ctl3D())
    FButtons->SetBounds(w - bw - 4, 0, bw, h - 3);
  else
    FButtons->SetBounds(w - bw - 1, 1, bw, h - 3);
  SetEditMargins();
}

void TRzSpinEdit::SetButtonWidth(int Value) {
  if (Value == FButtonWidth) return;
  FButtonWidth = std::max(Value, 0);
  FButtons->SetWidth(FButtons->Orientation() == orVertical ? FButtonWidth : 2 * FButtonWidth);
  ResizeButtons();
  Invalidate();
}

void TRzSpinEdit::SetFrameStyle(TFrameStyle Value) {
  TRzCustomEdit::SetFrameStyle(Value);
  ResizeButtons();
}

void TRzSpinEdit::SetFlatButtons(bool Value) {
  FButtons->SetFlat(Value);
  ResizeButtons();
}

void TRzSpinEdit::SetOrientation(TOrientation Value) {
  FButtons->SetOrientation(Value);
  ResizeButtons();
  Invalidate();
}

void TRzSpinEdit::SetEnabled(bool Value) {
  if (Value == Enabled()) return;
  TRzCustomEdit::SetEnabled(Value);
  FButtons->SetEnabled(Value);
}

TRzRapidFireButton* TRzSpinEdit::GetButton(int Index) const {
  return Index == 1 ? FButtons->DownLeftButton() : FButtons->UpRightButton();
}

double TRzSpinEdit::GetValue() {
  std::string text = const_cast<TRzSpinEdit*>(this)->Text();
  if (Trim(text).empty()) return FAllowBlank ? FBlankValue : FMin;
  try {
    return StrToFloat(text);
  } catch (const EConvertError&) {
    return FMin;
  }
}

void TRzSpinEdit::SetValue(double Value) {
  if (ComponentState().Contains(csLoading)) {
    // The limits may come later in the form: the value is checked against them in Loaded.
    FLoadedValueSet = true;
    FLoadedValue = Value;
  }
  std::string text = FloatToStrF(CheckValue(Value), ffFixed, 18, FDecimals);
  SetText(text);
  // A new text puts the caret before its first digit, where (with the replacement fonts) it blinks
  // over that digit's left stroke: the caret goes after the value, off the digits.
  if (HandleAllocated() && Focused()) SetSelStart(int(text.size()));
}

void TRzSpinEdit::Loaded() {
  TRzCustomEdit::Loaded();
  if (FLoadedValueSet) {
    FLoadedValueSet = false;
    SetValue(FLoadedValue);
  }
}

double TRzSpinEdit::CheckValue(double V) {
  if (FMin == FMax && !FCheckRange) return V;
  if (V < FMin) return FMin;
  if (V > FMax) return FMax;
  return V;
}

int32_t TRzSpinEdit::GetIntValue() { return int32_t(Round(GetValue())); }
void TRzSpinEdit::SetIntValue(int32_t Value) { SetValue(Value); }

void TRzSpinEdit::SetMin(double Value) {
  if (Value == FMin) return;
  FMin = Value;
  if (FMin > FMax) FMax = FMin;
  Invalidate();
}

void TRzSpinEdit::SetMax(double Value) {
  if (Value == FMax) return;
  FMax = Value;
  if (FMax < FMin) FMin = FMax;
  Invalidate();
}

void TRzSpinEdit::SetDecimals(uint8_t Value) {
  if (Value == FDecimals) return;
  FDecimals = Value;
  SetValue(GetValue());
}

void TRzSpinEdit::SetIntegersOnly(bool Value) {
  if (Value == FIntegersOnly) return;
  FIntegersOnly = Value;
  if (Value) {
    // Rounded from the value as it was, not from its re-formatting without decimals.
    double v = GetValue();
    SetDecimals(0);
    SetValue(double(Round(v)));
  }
}

bool TRzSpinEdit::CanChangeValue() {
  bool allow = true;
  OnChanging(this, allow);
  return allow;
}

void TRzSpinEdit::DoButtonClick(TSpinButtonType Button) { OnButtonClick(this, Button); }

void TRzSpinEdit::UpClick(TObject* Sender) { IncValue(FIncrement); }
void TRzSpinEdit::DownClick(TObject* Sender) { DecValue(FIncrement); }

void TRzSpinEdit::IncValue(double Amount) {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  if (!CanChangeValue()) return;
  SetValue(GetValue() + Amount);
  DoButtonClick(0);
}

void TRzSpinEdit::DecValue(double Amount) {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  if (!CanChangeValue()) return;
  SetValue(GetValue() - Amount);
  DoButtonClick(1);
}

void TRzSpinEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TLiveGuard g(this);
  TRzCustomEdit::KeyDown(Key, Shift);
  if (!g) return;
  if (!FAllowKeyEdit && Key == VK_DELETE) {
    Key = 0;
    MessageBeep(0);
    return;
  }
  switch (Key) {
    case VK_PRIOR: IncValue(FPageSize); break;
    case VK_NEXT: DecValue(FPageSize); break;
    case VK_UP: IncValue(FIncrement); break;
    case VK_DOWN: DecValue(FIncrement); break;
  }
}

void TRzSpinEdit::KeyPress(char& Key) {
  TRzCustomEdit::KeyPress(Key);
  if (!IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
}

bool TRzSpinEdit::IsValidChar(char Key) {
  unsigned char c = static_cast<unsigned char>(Key);
  bool valid = Key == '+' || Key == '-' || (Key >= '0' && Key <= '9') || (!FIntegersOnly && Key == DecimalSeparator) ||
               (c < 32 && Key != '\r');
  std::string text = Text();
  if (valid && !FIntegersOnly && Key == DecimalSeparator) {
    valid = text.find(DecimalSeparator) == std::string::npos;
  } else if (valid && (Key == '+' || Key == '-')) {
    valid = SelStart() == 0 && text.find_first_of("+-") == std::string::npos;
  }
  if (!FAllowKeyEdit && valid) valid = c < 32 && Key != '\b';
  return valid;
}

bool TRzSpinEdit::DoMouseWheelUp(TShiftState Shift, POINT MousePos) {
  TRzCustomEdit::DoMouseWheelUp(Shift, MousePos);
  IncValue(Shift.Contains(ssCtrl) ? FPageSize : FIncrement);
  return true;
}

bool TRzSpinEdit::DoMouseWheelDown(TShiftState Shift, POINT MousePos) {
  TRzCustomEdit::DoMouseWheelDown(Shift, MousePos);
  DecValue(Shift.Contains(ssCtrl) ? FPageSize : FIncrement);
  return true;
}

void TRzSpinEdit::Dispatch(TMessage& Message) {
  TLiveGuard g(this);
  switch (Message.Msg) {
    case CM_ENTER:
      SetEditMargins();
      if (AutoSelect() && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
      TRzCustomEdit::Dispatch(Message);
      return;
    case CM_EXIT:
      TRzCustomEdit::Dispatch(Message);
      if (!g) return;
      SetEditMargins();
      if (!FAllowBlank) {
        double v;
        try {
          v = StrToFloat(Text());
        } catch (const EConvertError&) {
          v = FMin;
        }
        SetValue(v);
      }
      return;
    case WM_PASTE:
    case WM_CUT:
      if (FAllowKeyEdit && !ReadOnly()) TRzCustomEdit::Dispatch(Message);
      return;
    case WM_SIZE:
      TRzCustomEdit::Dispatch(Message);
      if (g) ResizeButtons();
      return;
    case CM_ENABLEDCHANGED:
      TRzCustomEdit::Dispatch(Message);
      if (g) SetEditMargins();
      return;
  }
  TRzCustomEdit::Dispatch(Message);
}

void TRzSpinEdit::Publish(TPublisher<TRzSpinEdit>& p) {
  p.Enum("About", RzAboutInfoNames, &TRzSpinEdit::About, [](TRzSpinEdit&, TRzAboutInfo) {}).Stored(false);
  p.Bool("AllowBlank", &TRzSpinEdit::AllowBlank, &TRzSpinEdit::SetAllowBlank).Default(0);
  p.Bool("AllowKeyEdit", &TRzSpinEdit::AllowKeyEdit, &TRzSpinEdit::SetAllowKeyEdit).Default(0);
  p.Enum("Alignment", AlignmentNames, &TRzSpinEdit::Alignment, &TRzSpinEdit::SetAlignment).Default(taRightJustify);
  p.Float("BlankValue", &TRzSpinEdit::BlankValue, &TRzSpinEdit::SetBlankValue);
  p.Object("ButtonDownGlyph", [](TRzSpinEdit& e) { return e.FButtons->GetGlyphDownLeft(); })
      .StoredIf<TRzSpinEdit>([](TRzSpinEdit& e) { return e.FButtons->CustomGlyphDownLeft(); });
  p.Int("ButtonDownNumGlyphs", [](TRzSpinEdit& e) { return e.FButtons->GetNumGlyphsDownLeft(); },
        [](TRzSpinEdit& e, int v) { e.FButtons->SetNumGlyphsDownLeft(v); })
      .StoredIf<TRzSpinEdit>([](TRzSpinEdit& e) { return e.FButtons->CustomGlyphDownLeft(); });
  p.Object("ButtonUpGlyph", [](TRzSpinEdit& e) { return e.FButtons->GetGlyphUpRight(); })
      .StoredIf<TRzSpinEdit>([](TRzSpinEdit& e) { return e.FButtons->CustomGlyphUpRight(); });
  p.Int("ButtonUpNumGlyphs", [](TRzSpinEdit& e) { return e.FButtons->GetNumGlyphsUpRight(); },
        [](TRzSpinEdit& e, int v) { e.FButtons->SetNumGlyphsUpRight(v); })
      .StoredIf<TRzSpinEdit>([](TRzSpinEdit& e) { return e.FButtons->CustomGlyphUpRight(); });
  p.Int("ButtonWidth", &TRzSpinEdit::ButtonWidth, &TRzSpinEdit::SetButtonWidth).Default(17);
  p.Bool("CheckRange", &TRzSpinEdit::CheckRange, &TRzSpinEdit::SetCheckRange).Default(0);
  p.Int("Decimals", &TRzSpinEdit::Decimals, &TRzSpinEdit::SetDecimals).Default(0);
  p.Enum("Direction", SpinDirectionNames, &TRzSpinEdit::GetDirection, &TRzSpinEdit::SetDirection).Default(sdUpDown);
  p.Bool("Enabled", &TRzSpinEdit::GetEnabled, &TRzSpinEdit::SetEnabled).Default(1);
  p.Bool("FlatButtons", &TRzSpinEdit::GetFlatButtons, &TRzSpinEdit::SetFlatButtons).Default(0);
  p.Float("Increment", &TRzSpinEdit::Increment, &TRzSpinEdit::SetIncrement);
  p.Bool("IntegersOnly", &TRzSpinEdit::IntegersOnly, &TRzSpinEdit::SetIntegersOnly).Default(1);
  p.Float("Max", &TRzSpinEdit::Max, &TRzSpinEdit::SetMax);
  p.Float("Min", &TRzSpinEdit::Min, &TRzSpinEdit::SetMin);
  p.Enum("Orientation", OrientationNames, &TRzSpinEdit::GetOrientation, &TRzSpinEdit::SetOrientation).Default(orVertical);
  p.Float("PageSize", &TRzSpinEdit::PageSize, &TRzSpinEdit::SetPageSize);
  p.Float("Value", &TRzSpinEdit::GetValue, &TRzSpinEdit::SetValue);
  p.Event("OnButtonClick", &TRzSpinEdit::OnButtonClick);
  p.Event("OnChanging", &TRzSpinEdit::OnChanging);
}
