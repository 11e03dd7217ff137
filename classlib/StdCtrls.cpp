#include "StdCtrls.h"

#include <algorithm>

#include "Forms.h"
#include "Menus.h"

const TEnumInfo AlignmentNames{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
const TEnumInfo TextLayoutNames{"TTextLayout", {"tlTop", "tlCenter", "tlBottom"}};
const TEnumInfo ScrollStyleNames{"TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}};
const TEnumInfo CheckBoxStateNames{"TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}};
const TEnumInfo ListBoxStyleNames{"TListBoxStyle", {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"}};
const TEnumInfo ComboBoxStyleNames{
    "TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"}};
static const TEnumInfo BorderStyleNames{"TBorderStyle", {"bsNone", "bsSingle"}};

TOwnerDrawState OwnerDrawStateFrom(UINT s) {
  TOwnerDrawState r;
  if (s & ODS_SELECTED) r.Include(odSelected);
  if (s & ODS_GRAYED) r.Include(odGrayed);
  if (s & ODS_DISABLED) r.Include(odDisabled);
  if (s & ODS_CHECKED) r.Include(odChecked);
  if (s & ODS_FOCUS) r.Include(odFocused);
  if (s & ODS_DEFAULT) r.Include(odDefault);
  if (s & ODS_COMBOBOXEDIT) r.Include(odComboBoxEdit);
  return r;
}

LRESULT ControlColor(TControl* Control, HDC DC, HBRUSH& Brush, TColor& BrushColor) {
  TColor c = Control->Color();
  if (!Brush || BrushColor != c) {
    if (Brush) DeleteObject(Brush);
    Brush = CreateSolidBrush(ColorToRGB(c));
    BrushColor = c;
  }
  SetTextColor(DC, ColorToRGB(Control->Font()->Color()));
  SetBkColor(DC, ColorToRGB(c));
  return reinterpret_cast<LRESULT>(Brush);
}

namespace {
void FreeBrush(HBRUSH& b) {
  if (b) DeleteObject(b);
  b = nullptr;
}

bool IsCtlColor(UINT msg) {
  return msg == CN_CTLCOLOREDIT || msg == CN_CTLCOLORSTATIC || msg == CN_CTLCOLORLISTBOX ||
         msg == CN_CTLCOLORBTN;
}
}  // namespace

// ---------------------------------------------------------------------------------------------------
// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle.Include(csOpaque);
  FControlStyle.Include(csSetCaption);
  FAutoSize = true;
  SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) { ChangeTransparent(FTransparent, Value); }

void TCustomLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (Value == FShowAccelChar) return;
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (Value == FFocusControl) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  TGraphicControl::SetAutoSize(Value);
  FAutoSize = Value;
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::DoDrawText(RECT& Rect, UINT Flags) {
  std::string text = GetLabelText();
  if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += " ";
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  TCanvas* c = Canvas();
  c->SetFont(Font());
  HDC dc = c->Handle();
  SetBkMode(dc, TRANSPARENT);
  if (!Enabled()) {
    OffsetRect(&Rect, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawTextA(dc, text.c_str(), int(text.size()), &Rect, Flags);
    OffsetRect(&Rect, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
    DrawTextA(dc, text.c_str(), int(text.size()), &Rect, Flags);
  } else {
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    DrawTextA(dc, text.c_str(), int(text.size()), &Rect, Flags);
  }
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  RECT r = ClientRect();
  if (!FTransparent) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  UINT flags = DT_EXPANDTABS;
  if (FWordWrap) flags |= DT_WORDBREAK;
  flags |= FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT;
  if (FLayout != tlTop) {
    RECT calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    int h = calc.bottom - calc.top;
    if (FLayout == tlBottom)
      r.top = r.bottom - h;
    else
      r.top = (r.top + r.bottom - h) / 2;
  }
  DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
  std::string text = GetLabelText();
  if (text.empty()) text.push_back(' ');
  RECT r{0, 0, FWordWrap ? Width() : 0, 0};
  UINT flags = DT_CALCRECT | DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | (FShowAccelChar ? 0 : DT_NOPREFIX);
  {
    ScreenDC screen;
    TSelectObject font(screen.DC, Font()->Handle());
    DrawTextA(screen.DC, text.c_str(), int(text.size()), &r, flags);
  }
  int x = Left();
  if (FAlignment == taRightJustify) x += Width() - r.right;
  SetBounds(x, Top(), r.right, r.bottom);
}

void TCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      AdjustBounds();
      Invalidate();
      return;
    case CM_DIALOGCHAR: {
      // The accelerator of the caption focuses the FocusControl.
      char hk = GetHotkey(Caption());
      if (FFocusControl && Enabled() && FShowAccelChar && hk &&
          toupper(int(Message.WParam & 0xFF)) == hk && FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        Message.Result = 1;
        return;
      }
      break;
    }
  }
  TGraphicControl::Dispatch(Message);
}

void TCustomLabel::Publish(TPublisher<TCustomLabel>& p) {
  p.Enum("Alignment", AlignmentNames, &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Default(taLeftJustify);
  p.Bool("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize).Default(1);
  p.Ref("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
  p.Enum("Layout", TextLayoutNames, &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
  p.Bool("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(1);
  p.Bool("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(0);
  p.Bool("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(0);
}

// ---------------------------------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FControlStyle.Exclude(csSetCaption);
  SetBounds(0, 0, 121, 21);
}

TCustomEdit::~TCustomEdit() { FreeBrush(FBrush); }

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (FPasswordChar) Params.Style |= ES_PASSWORD;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(FHandle, EM_LIMITTEXT, WPARAM(FMaxLength), 0);
  if (FPasswordChar) SendMessageA(FHandle, EM_SETPASSWORDCHAR, WPARAM(uint8_t(FPasswordChar)), 0);
  SendMessageA(FHandle, EM_SETMODIFY, FModified, 0);
}

void TCustomEdit::SetMaxLength(int Value) {
  if (Value == FMaxLength) return;
  FMaxLength = Value < 0 ? 0 : Value;
  if (HandleAllocated()) SendMessageA(FHandle, EM_LIMITTEXT, WPARAM(FMaxLength), 0);
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  if (HandleAllocated()) SendMessageA(FHandle, EM_SETREADONLY, Value, 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (Value == FPasswordChar) return;
  FPasswordChar = Value;
  RecreateWnd();
}

bool TCustomEdit::Modified() {
  if (HandleAllocated()) return SendMessageA(FHandle, EM_GETMODIFY, 0, 0) != 0;
  return FModified;
}

void TCustomEdit::SetModified(bool Value) {
  FModified = Value;
  if (HandleAllocated()) SendMessageA(FHandle, EM_SETMODIFY, Value, 0);
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageA(FHandle, EM_SETSEL, 0, -1);
}

int TCustomEdit::SelStart() {
  DWORD s = 0, e = 0;
  if (HandleAllocated()) SendMessageA(FHandle, EM_GETSEL, WPARAM(&s), LPARAM(&e));
  return int(s);
}

void TCustomEdit::SetSelStart(int Value) {
  if (HandleAllocated()) SendMessageA(FHandle, EM_SETSEL, WPARAM(Value), LPARAM(Value));
}

int TCustomEdit::SelLength() {
  DWORD s = 0, e = 0;
  if (HandleAllocated()) SendMessageA(FHandle, EM_GETSEL, WPARAM(&s), LPARAM(&e));
  return int(e - s);
}

void TCustomEdit::SetSelLength(int Value) {
  if (HandleAllocated()) {
    int s = SelStart();
    SendMessageA(FHandle, EM_SETSEL, WPARAM(s), LPARAM(s + Value));
  }
}

std::string TCustomEdit::SelText() {
  std::string t = Text();
  int s = SelStart(), n = SelLength();
  if (s > int(t.size())) return "";
  return t.substr(size_t(s), size_t(n));
}

void TCustomEdit::SetSelText(const std::string& Value) {
  HandleNeeded();
  SendMessageA(FHandle, EM_REPLACESEL, 0, LPARAM(Value.c_str()));
}

void TCustomEdit::Change() { OnChange(this); }

void TCustomEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == EN_CHANGE && !ComponentState().Contains(csLoading)) Change();
    return;
  }
  if (IsCtlColor(Message.Msg)) {
    Message.Result = ControlColor(this, reinterpret_cast<HDC>(Message.WParam), FBrush, FBrushColor);
    return;
  }
  if (Message.Msg == WM_SETFOCUS) {
    TWinControl::Dispatch(Message);
    if (FAutoSelect && HandleAllocated() && !(GetWindowLongA(FHandle, GWL_STYLE) & ES_MULTILINE)) SelectAll();
    return;
  }
  TWinControl::Dispatch(Message);
}

void TCustomEdit::Publish(TPublisher<TCustomEdit>& p) {
  p.Bool("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(1);
  p.Enum("BorderStyle", BorderStyleNames, &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle);
  p.Int("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  p.Int("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default(0);
  p.Bool("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(0);
  p.Str("Text", [](TCustomEdit& e) { return e.Text(); }, [](TCustomEdit& e, const std::string& v) { e.SetText(v); });
  p.Event("OnChange", &TCustomEdit::OnChange);
}

// ---------------------------------------------------------------------------------------------------
// Memo

std::vector<std::string> TMemoStrings::Lines() const {
  std::vector<std::string> r;
  std::string t = FMemo->Text(), cur;
  if (t.empty()) return r;
  for (size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    if (c == '\r' || c == '\n') {
      r.push_back(cur);
      cur.clear();
      if (c == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) r.push_back(cur);
  return r;
}

void TMemoStrings::SetLines(const std::vector<std::string>& L) {
  std::string t;
  for (size_t i = 0; i < L.size(); ++i) {
    if (i) t += "\r\n";
    t += L[i];
  }
  FMemo->SetText(t);
}

std::string TMemoStrings::Get(int Index) const {
  auto l = Lines();
  if (Index < 0 || Index >= int(l.size())) Error("List index out of bounds (%d)", Index);
  return l[size_t(Index)];
}

int TMemoStrings::GetCount() const { return int(Lines().size()); }

void TMemoStrings::Put(int Index, const std::string& S) {
  auto l = Lines();
  if (Index < 0 || Index >= int(l.size())) Error("List index out of bounds (%d)", Index);
  l[size_t(Index)] = S;
  SetLines(l);
}

void TMemoStrings::Insert(int Index, const std::string& S) {
  auto l = Lines();
  if (Index < 0 || Index > int(l.size())) Error("List index out of bounds (%d)", Index);
  l.insert(l.begin() + Index, S);
  SetLines(l);
}

void TMemoStrings::Delete(int Index) {
  auto l = Lines();
  if (Index < 0 || Index >= int(l.size())) Error("List index out of bounds (%d)", Index);
  l.erase(l.begin() + Index);
  SetLines(l);
}

void TMemoStrings::Clear() { FMemo->SetText(""); }

std::string TMemoStrings::Text() const {
  std::string r;
  for (auto& s : Lines()) r += s + "\r\n";
  return r;
}

void TMemoStrings::SetText(const std::string& Value) {
  std::string t = Value;
  if (t.size() >= 2 && t.compare(t.size() - 2, 2, "\r\n") == 0) t.resize(t.size() - 2);
  FMemo->SetText(t);
}

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
  FLines = new TMemoStrings(this);
  FAutoSelect = false;
  SetBounds(Left(), Top(), 185, 89);
}

TCustomMemo::~TCustomMemo() { delete FLines; }

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
  if (FWantReturns) Params.Style |= ES_WANTRETURN;
  if (!FWordWrap) Params.Style |= ES_AUTOHSCROLL;
  else Params.Style &= ~DWORD(ES_AUTOHSCROLL);
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  RecreateWnd();
}

void TCustomMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    TCustomEdit::Dispatch(Message);
    if (FWantTabs) Message.Result |= DLGC_WANTTAB;
    else Message.Result &= ~LRESULT(DLGC_WANTTAB);
    if (!FWantReturns) Message.Result &= ~LRESULT(DLGC_WANTALLKEYS);
    return;
  }
  if (Message.Msg == CM_WANTSPECIALKEY) {
    auto& k = MessageAs<TWMKey>(Message);
    if ((k.CharCode() == VK_RETURN && FWantReturns) || (k.CharCode() == VK_TAB && FWantTabs)) {
      Message.Result = 1;
      return;
    }
  }
  TCustomEdit::Dispatch(Message);
}

void TCustomMemo::Publish(TPublisher<TCustomMemo>& p) {
  p.Object("Lines", &TCustomMemo::Lines);
  p.Enum("ScrollBars", ScrollStyleNames, &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone);
  p.Bool("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Default(1);
  p.Bool("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs).Default(0);
  p.Bool("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap).Default(1);
}

// ---------------------------------------------------------------------------------------------------
// Buttons

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner), FActionClient(this) {
  FTabStop = true;
  // The button window reports its own clicks (BN_CLICKED) and tracks the mouse itself.
  FControlStyle = {csSetCaption, csDoubleClicks};
}

TButtonControl::~TButtonControl() { FreeBrush(FBrush); }

void TButtonControl::Click() { FActionClient.Click(); }

void TButtonControl::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove) FActionClient.ActionRemoved(AComponent);
}

void TButtonControl::Dispatch(TMessage& Message) {
  if (IsCtlColor(Message.Msg)) {
    Message.Result = ControlColor(this, reinterpret_cast<HDC>(Message.WParam), FBrush, FBrushColor);
    return;
  }
  TWinControl::Dispatch(Message);
}

void TButtonControl::Publish(TPublisher<TButtonControl>& p) {
  p.Ref("Action", &TButtonControl::Action, &TButtonControl::SetAction);
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FParentColor = true;
  SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  // An owner-drawn button (a bitmap button) keeps its style and paints the default frame itself.
  if (HandleAllocated()) {
    if ((GetWindowLongA(FHandle, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW)
      Invalidate();
    else
      SendMessageA(FHandle, BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

void TButton::Click() {
  TLiveGuard g(this);
  if (FModalResult != mrNone)
    if (TCustomForm* f = GetParentForm()) f->SetModalResult(FModalResult);
  if (!g) return;
  TButtonControl::Click();
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Click();
      return;
    case CM_DIALOGKEY: {
      // Enter goes to the focused button, or to the default one when no button has the focus; Esc
      // to the cancel button.
      auto& k = MessageAs<TWMKey>(Message);
      bool alt = (k.KeyData() & 0x20000000) != 0;
      if (alt) break;
      bool fire = false;
      if (k.CharCode() == VK_RETURN) {
        auto* focusedButton = dynamic_cast<TButton*>(FindControl(GetFocus()));
        fire = focusedButton ? focusedButton == this : FDefault;
      } else if (k.CharCode() == VK_ESCAPE) {
        fire = FCancel;
      }
      if (fire && IsVisibleOnScreen() && Enabled()) {
        Message.Result = 1;
        Click();
        return;
      }
      break;
    }
    case CM_DIALOGCHAR: {
      char hk = GetHotkey(Caption());
      if (hk && toupper(int(Message.WParam & 0xFF)) == hk && CanFocus()) {
        Message.Result = 1;
        Click();
        return;
      }
      break;
    }
  }
  TButtonControl::Dispatch(Message);
}

void TButton::Publish(TPublisher<TButton>& p) {
  p.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(0);
  p.Bool("Default", &TButton::Default, &TButton::SetDefault).Default(0);
  p.Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(0);
}

// ---------------------------------------------------------------------------------------------------
// Check boxes and radio buttons

class TCheckBoxActionLink : public TControlActionLink {
public:
  explicit TCheckBoxActionLink(TControl* c) : TControlActionLink(c) {}
  bool IsCheckedLinked() override {
    auto* a = dynamic_cast<TCustomAction*>(FAction);
    auto* cb = dynamic_cast<TCustomCheckBox*>(FClient);
    return a && cb && cb->Checked() == a->Checked();
  }
  // The action's state shows without a click (a click would execute the action again).
  void SetChecked(bool Value) override {
    if (auto* cb = dynamic_cast<TCustomCheckBox*>(FClient)) {
      cb->FClicksDisabled = true;
      cb->SetChecked(Value);
      cb->FClicksDisabled = false;
    }
  }
};

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::SetAction(TBasicAction* Value) {
  FActionClient.SetAction(Value, [](TControl* c) -> TActionLink* { return new TCheckBoxActionLink(c); });
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_3STATE;
  if (FAlignment == taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageA(FHandle, BM_SETCHECK, WPARAM(FState), 0);
}

void TCustomCheckBox::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (Value == FState) return;
  FState = Value;
  if (HandleAllocated()) SendMessageA(FHandle, BM_SETCHECK, WPARAM(FState), 0);
  if (!FClicksDisabled && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading)) Click();
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
    return;
  }
  if (Message.Msg == CM_DIALOGCHAR) {
    char hk = GetHotkey(Caption());
    if (hk && toupper(int(Message.WParam & 0xFF)) == hk && CanFocus()) {
      SetFocus();
      if (Focused()) Toggle();
      Message.Result = 1;
      return;
    }
  }
  TButtonControl::Dispatch(Message);
}

void TCustomCheckBox::Publish(TPublisher<TCustomCheckBox>& p) {
  p.Enum("Alignment", AlignmentNames, &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment).Default(taRightJustify);
  p.Bool("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed).Default(0);
  p.Bool("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked).Default(0);
  p.Enum("State", CheckBoxStateNames, &TCustomCheckBox::State, &TCustomCheckBox::SetState).Default(cbUnchecked);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 113, 17); }

void TRadioButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_RADIOBUTTON;
  if (FAlignment == taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageA(FHandle, BM_SETCHECK, FChecked, 0);
}

void TRadioButton::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  RecreateWnd();
}

void TRadioButton::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (HandleAllocated()) SendMessageA(FHandle, BM_SETCHECK, Value, 0);
  if (Value) {
    if (TWinControl* p = Parent())
      for (int i = 0; i < p->ControlCount(); ++i)
        if (auto* rb = dynamic_cast<TRadioButton*>(p->Controls(i)))
          if (rb != this) rb->SetChecked(false);
    if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading)) Click();
  }
}

void TRadioButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == BN_CLICKED) SetChecked(true);
    return;
  }
  if (Message.Msg == CM_DIALOGCHAR) {
    char hk = GetHotkey(Caption());
    if (hk && toupper(int(Message.WParam & 0xFF)) == hk && CanFocus()) {
      SetFocus();
      SetChecked(true);
      Message.Result = 1;
      return;
    }
  }
  TButtonControl::Dispatch(Message);
}

void TRadioButton::Publish(TPublisher<TRadioButton>& p) {
  p.Enum("Alignment", AlignmentNames, &TRadioButton::Alignment, &TRadioButton::SetAlignment).Default(taRightJustify);
  p.Bool("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(0);
}

// ---------------------------------------------------------------------------------------------------
// TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle.Include(csAcceptsControls);
  FControlStyle.Include(csSetCaption);
  SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(RECT& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  TEXTMETRICA tm;
  {
    ScreenDC screen;
    TSelectObject font(screen.DC, Font()->Handle());
    GetTextMetricsA(screen.DC, &tm);
  }
  Rect.top += tm.tmHeight;
  InflateRect(&Rect, -1, -1);
  if (Ctl3D()) InflateRect(&Rect, -1, -1);
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->SetFont(Font());
  RECT r = ClientRect();
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  int h = c->TextHeight("0");
  RECT frame{r.left, r.top + h / 2, r.right, r.bottom};
  DrawEdge(c->Handle(), &frame, EDGE_ETCHED, BF_RECT);
  std::string text = Caption();
  if (!text.empty()) {
    RECT tr{8, 0, 0, h};
    DrawTextA(c->Handle(), text.c_str(), int(text.size()), &tr, DT_CALCRECT | DT_SINGLELINE);
    c->FillRect(tr);
    SetBkMode(c->Handle(), TRANSPARENT);
    SetTextColor(c->Handle(), ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
    DrawTextA(c->Handle(), text.c_str(), int(text.size()), &tr, DT_SINGLELINE);
  }
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_FONTCHANGED) {
    Invalidate();
    Realign();
  }
  TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------
// Items of list and combo boxes

void TItemsStrings::CheckIndex(int Index, bool AllowEnd) const {
  if (Index < 0 || Index > int(FItems.size()) - (AllowEnd ? 0 : 1)) Error("List index out of bounds (%d)", Index);
}

std::string TItemsStrings::Get(int Index) const {
  CheckIndex(Index, false);
  return FItems[size_t(Index)].S;
}

TObject* TItemsStrings::GetObject(int Index) const {
  CheckIndex(Index, false);
  return FItems[size_t(Index)].O;
}

void TItemsStrings::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index, false);
  FItems[size_t(Index)].O = AObject;
}

void TItemsStrings::InsertItem(int Index, const std::string& S, TObject* O) {
  FItems.insert(FItems.begin() + Index, TItem{S, O});
  if (FControl->HandleAllocated()) {
    const auto& m = FControl->ItemMessages();
    SendMessageA(FControl->WindowHandle(), m.InsertString, WPARAM(Index), LPARAM(S.c_str()));
  }
}

int TItemsStrings::Add(const std::string& S) { return AddObject(S, nullptr); }

int TItemsStrings::AddObject(const std::string& S, TObject* AObject) {
  int index = int(FItems.size());
  if (FSorted) {
    // After the last equal entry, as a sorted window list would put it.
    index = 0;
    while (index < int(FItems.size()) && AnsiCompareText(FItems[size_t(index)].S, S) <= 0) ++index;
  }
  InsertItem(index, S, AObject);
  return index;
}

void TItemsStrings::Insert(int Index, const std::string& S) {
  CheckIndex(Index, true);
  InsertItem(Index, S, nullptr);
}

void TItemsStrings::Delete(int Index) {
  CheckIndex(Index, false);
  FItems.erase(FItems.begin() + Index);
  if (FControl->HandleAllocated())
    SendMessageA(FControl->WindowHandle(), FControl->ItemMessages().DeleteString, WPARAM(Index), 0);
  if (FControl->FItemIndex >= int(FItems.size())) FControl->FItemIndex = -1;
}

void TItemsStrings::Clear() {
  FItems.clear();
  FControl->FItemIndex = -1;
  if (FControl->HandleAllocated())
    SendMessageA(FControl->WindowHandle(), FControl->ItemMessages().ResetContent, 0, 0);
}

void TItemsStrings::Put(int Index, const std::string& S) {
  CheckIndex(Index, false);
  TObject* o = FItems[size_t(Index)].O;
  int sel = FControl->ItemIndex();
  Delete(Index);
  InsertItem(Index, S, o);
  if (sel >= 0) FControl->SetItemIndex(sel);
}

void TItemsStrings::Exchange(int Index1, int Index2) {
  CheckIndex(Index1, false);
  CheckIndex(Index2, false);
  if (Index1 == Index2) return;
  TItem a = FItems[size_t(Index1)], b = FItems[size_t(Index2)];
  Put(Index1, b.S);
  PutObject(Index1, b.O);
  Put(Index2, a.S);
  PutObject(Index2, a.O);
}

int TItemsStrings::IndexOf(const std::string& S) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (AnsiSameText(FItems[i].S, S)) return int(i);
  return -1;
}

void TItemsStrings::SetSorted(bool Value) {
  if (Value == FSorted) return;
  FSorted = Value;
  if (!Value) return;
  std::stable_sort(FItems.begin(), FItems.end(),
                   [](const TItem& a, const TItem& b) { return AnsiCompareText(a.S, b.S) < 0; });
  FillWindow();
}

void TItemsStrings::FillWindow() {
  if (!FControl->HandleAllocated()) return;
  HWND h = FControl->WindowHandle();
  const auto& m = FControl->ItemMessages();
  SendMessageA(h, WM_SETREDRAW, FALSE, 0);
  SendMessageA(h, m.ResetContent, 0, 0);
  for (auto& it : FItems) SendMessageA(h, m.AddString, 0, LPARAM(it.S.c_str()));
  SendMessageA(h, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(h, nullptr, TRUE);
}

void TItemsStrings::SetUpdateState(bool Updating) {
  if (FControl->HandleAllocated()) {
    SendMessageA(FControl->WindowHandle(), WM_SETREDRAW, !Updating, 0);
    if (!Updating) InvalidateRect(FControl->WindowHandle(), nullptr, TRUE);
  }
}

// ---------------------------------------------------------------------------------------------------
// TItemsControl

TItemsControl::TItemsControl(TComponent* AOwner) : TWinControl(AOwner) {
  FItems = new TItemsStrings(this);
  FCanvas = new TCanvas();
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  // Clicks come from the window's selection notifications.
  FControlStyle = {csSetCaption, csDoubleClicks};
}

TItemsControl::~TItemsControl() {
  delete FItems;
  delete FCanvas;
  FreeBrush(FBrush);
}

int TItemsControl::ItemIndex() {
  if (HandleAllocated()) return int(SendMessageA(FHandle, ItemMessages().GetCurSel, 0, 0));
  return FItemIndex;
}

void TItemsControl::SetItemIndex(int Value) {
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  FItemIndex = Value;
  if (HandleAllocated()) SendMessageA(FHandle, ItemMessages().SetCurSel, WPARAM(Value), 0);
}

void TItemsControl::SetItemHeight(int Value) {
  if (Value <= 0 || Value == FItemHeight) return;
  FItemHeight = Value;
  if (HandleAllocated() && IsOwnerDraw()) RecreateWnd();
}

void TItemsControl::CreateWnd() {
  TWinControl::CreateWnd();
  FItems->FillWindow();
  if (FItemIndex >= 0) SendMessageA(FHandle, ItemMessages().SetCurSel, WPARAM(FItemIndex), 0);
}

void TItemsControl::DestroyWnd() {
  if (HandleAllocated()) FItemIndex = int(SendMessageA(FHandle, ItemMessages().GetCurSel, 0, 0));
  TWinControl::DestroyWnd();
}

void TItemsControl::DrawItem(int Index, RECT Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index >= 0 && Index < FItems->Count())
    FCanvas->TextOut(Rect.left + 2, Rect.top, FItems->Strings(Index));
}

void TItemsControl::MeasureItem(int Index, int& Height) { OnMeasureItem(this, Index, Height); }

void TItemsControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      TOwnerDrawState state = OwnerDrawStateFrom(dis->itemState);
      int saved = SaveDC(dis->hDC);
      TScopeExit restore([&] { RestoreDC(dis->hDC, saved); });
      TCanvasHandleScope lent(FCanvas, dis->hDC);
      FCanvas->SetFont(Font());
      FCanvas->Brush()->SetStyle(bsSolid);
      if (state.Contains(odSelected)) {
        FCanvas->Brush()->SetColor(clHighlight);
        FCanvas->Font()->SetColor(clHighlightText);
      } else {
        FCanvas->Brush()->SetColor(Color());
      }
      if (int(dis->itemID) >= 0)
        DrawItem(int(dis->itemID), dis->rcItem, state);
      else
        FCanvas->FillRect(dis->rcItem);
      if (state.Contains(odFocused) && !state.Contains(odComboBoxEdit)) DrawFocusRect(dis->hDC, &dis->rcItem);
      Message.Result = 1;
      return;
    }
    case CN_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      int h = FItemHeight;
      if (int(mis->itemID) >= 0 && mis->itemID != UINT(-1)) MeasureItem(int(mis->itemID), h);
      mis->itemHeight = UINT(h);
      Message.Result = 1;
      return;
    }
  }
  if (IsCtlColor(Message.Msg)) {
    Message.Result = ControlColor(this, reinterpret_cast<HDC>(Message.WParam), FBrush, FBrushColor);
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------
// TCustomListBox

TCustomListBox::TCustomListBox(TComponent* AOwner) : TItemsControl(AOwner) { SetBounds(0, 0, 121, 97); }

const TItemsControl::TItemMessages& TCustomListBox::ItemMessages() const {
  static const TItemMessages m{LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,
                               LB_GETCURSEL, LB_SETCURSEL,    LB_SETITEMHEIGHT, UINT(LB_ERR)};
  return m;
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TItemsControl::CreateParams(Params);
  CreateSubClass(Params, "LISTBOX");
  Params.Style |= LBS_NOTIFY | LBS_HASSTRINGS | WS_VSCROLL;
  if (!FIntegralHeight) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (FStyle == lbOwnerDrawFixed) Params.Style |= LBS_OWNERDRAWFIXED;
  if (FStyle == lbOwnerDrawVariable) Params.Style |= LBS_OWNERDRAWVARIABLE;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (Value == FIntegralHeight) return;
  FIntegralHeight = Value;
  RecreateWnd();
}

int TCustomListBox::ItemAtPos(POINT Pos, bool Existing) {
  if (!HandleAllocated()) return -1;
  LRESULT r = SendMessageA(FHandle, LB_ITEMFROMPOINT, 0, MAKELPARAM(Pos.x, Pos.y));
  int index = LOWORD(r);
  if (HIWORD(r) && Existing) return -1;
  if (index >= FItems->Count()) return Existing ? -1 : FItems->Count() - 1;
  return index;
}

RECT TCustomListBox::ItemRect(int Index) {
  RECT r{};
  if (HandleAllocated()) SendMessageA(FHandle, LB_GETITEMRECT, WPARAM(Index), LPARAM(&r));
  return r;
}

int TCustomListBox::TopIndex() { return HandleAllocated() ? int(SendMessageA(FHandle, LB_GETTOPINDEX, 0, 0)) : 0; }

void TCustomListBox::SetTopIndex(int Value) {
  if (HandleAllocated()) SendMessageA(FHandle, LB_SETTOPINDEX, WPARAM(Value), 0);
}

void TCustomListBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    switch (HIWORD(Message.WParam)) {
      case LBN_SELCHANGE:
        FItemIndex = ItemIndex();
        Click();
        break;
      case LBN_DBLCLK:
        DblClick();
        break;
    }
    return;
  }
  TItemsControl::Dispatch(Message);
}

void TCustomListBox::Publish(TPublisher<TCustomListBox>& p) {
  p.Enum("BorderStyle", BorderStyleNames, &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle).Default(bsSingle);
  p.Bool("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight).Default(0);
  p.Int("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight).Default(16);
  p.Object("Items", &TCustomListBox::Items);
  p.Bool("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Default(0);
  p.Enum("Style", ListBoxStyleNames, &TCustomListBox::Style, &TCustomListBox::SetStyle).Default(lbStandard);
  p.Event("OnDrawItem", &TCustomListBox::OnDrawItem);
  p.Event("OnMeasureItem", &TCustomListBox::OnMeasureItem);
}

// ---------------------------------------------------------------------------------------------------
// TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TItemsControl(AOwner) {
  SetBounds(0, 0, 145, 21);
  FControlStyle.Exclude(csSetCaption);
}

TCustomComboBox::~TCustomComboBox() = default;

const TItemsControl::TItemMessages& TCustomComboBox::ItemMessages() const {
  static const TItemMessages m{CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT,
                               CB_GETCURSEL, CB_SETCURSEL,    CB_SETITEMHEIGHT, UINT(CB_ERR)};
  return m;
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TItemsControl::CreateParams(Params);
  CreateSubClass(Params, "COMBOBOX");
  Params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL | CBS_HASSTRINGS;
  switch (FStyle) {
    case csDropDown: Params.Style |= CBS_DROPDOWN; break;
    case csSimple: Params.Style |= CBS_SIMPLE; break;
    case csDropDownList: Params.Style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: Params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED; break;
    case csOwnerDrawVariable: Params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE; break;
  }
  // The drop-down list's height comes from the window's height at creation.
  Params.Height = Height() + FItemHeight * std::max(FDropDownCount, 1) + 4;
}

void TCustomComboBox::CreateWnd() {
  std::string text = FText;
  TItemsControl::CreateWnd();
  SendMessageA(FHandle, CB_LIMITTEXT, WPARAM(FMaxLength), 0);
  if (FStyle == csDropDown || FStyle == csSimple) {
    FEditHandle = GetWindow(FHandle, GW_CHILD);
    if (FEditHandle && FStyle == csSimple) FEditHandle = GetWindow(FEditHandle, GW_HWNDNEXT);
    if (FEditHandle) {
      SetPropA(FEditHandle, "yOZCombo", this);
      FEditProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(FEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TCustomComboBox::EditWndProc)));
    }
    if (FItemIndex < 0 && !text.empty()) SetWindowTextA(FHandle, text.c_str());
  }
}

void TCustomComboBox::DestroyWnd() {
  if (FEditHandle && FEditProc) {
    SetWindowLongPtrA(FEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FEditProc));
    RemovePropA(FEditHandle, "yOZCombo");
  }
  FEditHandle = nullptr;
  FEditProc = nullptr;
  TItemsControl::DestroyWnd();
}

LRESULT CALLBACK TCustomComboBox::EditWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* combo = static_cast<TCustomComboBox*>(GetPropA(Wnd, "yOZCombo"));
  if (!combo || !combo->FEditProc) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  WNDPROC proc = combo->FEditProc;
  TMessage m{Msg, WParam, LParam, 0};
  try {
    combo->ComboWndProc(m, Wnd, proc);
  } catch (...) {
    if (Application) Application->HandleException(combo);
  }
  return m.Result;
}

void TCustomComboBox::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) {
  // The edit part's keys reach the combo's key events; Enter and Esc with the list closed go to the
  // form's dialog keys (default and cancel buttons).
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      uint16_t key = uint16_t(Message.WParam);
      if ((key == VK_RETURN || key == VK_ESCAPE) && !DroppedDown()) {
        if (TCustomForm* f = GetParentForm())
          if (f->Perform(CM_DIALOGKEY, key, Message.LParam)) {
            Message.Result = 0;
            return;
          }
      }
      TLiveGuard g(this);
      KeyDown(key, KeyDataToShiftState(Message.LParam));
      if (!g) return;
      if (key == 0) return;
      Message.WParam = key;
      break;
    }
    case WM_CHAR: {
      char c = char(Message.WParam);
      if (c == '\r' || c == 27) return;  // no beep for the dialog keys
      TLiveGuard g(this);
      KeyPress(c);
      if (!g) return;
      if (c == 0) return;
      Message.WParam = WPARAM(uint8_t(c));
      break;
    }
  }
  Message.Result = CallWindowProcA(ComboProc, ComboWnd, Message.Msg, Message.WParam, Message.LParam);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  RecreateWnd();
}

void TCustomComboBox::SetMaxLength(int Value) {
  if (Value < 0) Value = 0;
  if (Value == FMaxLength) return;
  FMaxLength = Value;
  if (HandleAllocated()) SendMessageA(FHandle, CB_LIMITTEXT, WPARAM(Value), 0);
}

bool TCustomComboBox::DroppedDown() {
  return HandleAllocated() && SendMessageA(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) {
  HandleNeeded();
  SendMessageA(FHandle, CB_SHOWDROPDOWN, Value, 0);
}

void TCustomComboBox::SetItemIndex(int Value) {
  TItemsControl::SetItemIndex(Value);
  if (!HandleAllocated()) FText = Value >= 0 ? FItems->Strings(Value) : std::string();
}

void TCustomComboBox::SelectAll() {
  if (HandleAllocated()) SendMessageA(FHandle, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void TCustomComboBox::Change() { OnChange(this); }
void TCustomComboBox::DropDown() { OnDropDown(this); }
void TCustomComboBox::CloseUp() { OnCloseUp(this); }
void TCustomComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TCustomComboBox::Dispatch(TMessage& Message) {
  // A dropped list takes Enter (keep the choice) and Esc (go back to the entry chosen before it
  // dropped) for itself: only a closed combo passes them to the default and cancel buttons.
  if (Message.Msg == CM_WANTSPECIALKEY) {
    if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && DroppedDown()) {
      Message.Result = 1;
      return;
    }
  }
  if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_ESCAPE && DroppedDown()) {
    TLiveGuard g(this);
    const int before = FDroppedIndex;
    TItemsControl::Dispatch(Message);
    if (g && !DroppedDown() && before != ItemIndex()) {
      SetItemIndex(before);
      Select();
    }
    return;
  }
  if (Message.Msg == CN_COMMAND) {
    TLiveGuard g(this);
    switch (HIWORD(Message.WParam)) {
      case CBN_SELCHANGE: {
        int i = ItemIndex();
        FItemIndex = i;
        if (i >= 0 && FStyle != csDropDownList && !IsOwnerDraw()) SetWindowTextA(FHandle, FItems->Strings(i).c_str());
        Click();
        if (!g) return;
        Select();
        break;
      }
      case CBN_EDITCHANGE:
        Change();
        break;
      case CBN_DROPDOWN:
        FDroppedIndex = ItemIndex();
        DropDown();
        break;
      case CBN_CLOSEUP:
        CloseUp();
        break;
    }
    return;
  }
  TItemsControl::Dispatch(Message);
}

void TCustomComboBox::Publish(TPublisher<TCustomComboBox>& p) {
  p.Int("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount).Default(8);
  p.Int("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight).Default(16);
  p.Int("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
  p.Object("Items", &TCustomComboBox::Items);
  p.Int("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength).Default(0);
  p.Bool("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(0);
  p.Enum("Style", ComboBoxStyleNames, &TCustomComboBox::Style, &TCustomComboBox::SetStyle).Default(csDropDown);
  p.Str("Text", [](TCustomComboBox& c) { return c.Text(); },
        [](TCustomComboBox& c, const std::string& v) { c.SetText(v); });
  p.Event("OnChange", &TCustomComboBox::OnChange);
  p.Event("OnCloseUp", &TCustomComboBox::OnCloseUp);
  p.Event("OnDrawItem", &TCustomComboBox::OnDrawItem);
  p.Event("OnDropDown", &TCustomComboBox::OnDropDown);
  p.Event("OnMeasureItem", &TCustomComboBox::OnMeasureItem);
  p.Event("OnSelect", &TCustomComboBox::OnSelect);
}

void RegisterStdCtrlsClasses() {
  RegisterClasses({TLabel::StaticClass(), TEdit::StaticClass(), TMemo::StaticClass(), TButton::StaticClass(),
                   TCheckBox::StaticClass(), TRadioButton::StaticClass(), TGroupBox::StaticClass(),
                   TListBox::StaticClass(), TComboBox::StaticClass()});
}
