#include "OvcCmbx.h"

#include <algorithm>

#include "Forms.h"
#include "OvcExcpt.h"

// ---------------------------------------------------------------------------------------------------
// TOvcHTColors

void TOvcHTColors::Assign(TPersistent* Source) {
  auto* c = dynamic_cast<TOvcHTColors*>(Source);
  if (!c) {
    TPersistent::Assign(Source);
    return;
  }
  FHighlight = c->FHighlight;
  FShadow = c->FShadow;
}

void TOvcHTColors::Publish(TPublisher<TOvcHTColors>& p) {
  p.Int("Highlight", &TOvcHTColors::Highlight, &TOvcHTColors::SetHighlight).Default(clBtnHighlight).Idents(ColorIdentMap());
  p.Int("Shadow", &TOvcHTColors::Shadow, &TOvcHTColors::SetShadow).Default(clBtnShadow).Idents(ColorIdentMap());
}

// ---------------------------------------------------------------------------------------------------
// TOvcMRUList

TOvcMRUList::TOvcMRUList() : FItems(new TStringList) {}
TOvcMRUList::~TOvcMRUList() { TObject::Free(FItems); }

void TOvcMRUList::Shrink() {
  while (FItems->Count() > std::max(FMaxItems, 0)) FItems->Delete(FItems->Count() - 1);
}

void TOvcMRUList::SetMaxItems(int Value) {
  FMaxItems = Value;
  Shrink();
}

void TOvcMRUList::AddItem(const std::string& S, TObject* AObject) {
  for (int i = 0; i < FItems->Count(); ++i)
    if ((*FItems)[i] == S) {
      FItems->Delete(i);
      FItems->InsertObject(0, S, AObject);
      return;
    }
  FItems->InsertObject(0, S, AObject);
  Shrink();
}

// ---------------------------------------------------------------------------------------------------
// TOvcBaseComboBox

TOvcBaseComboBox::TOvcBaseComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
  FLabelInfo = new TOvcLabelInfo;
  FLabelInfo->OnChange = Bind(this, &TOvcBaseComboBox::LabelChange);
  FLabelInfo->OnVisibleChange = Bind(this, &TOvcBaseComboBox::LabelVisibleChange);
  FList = new TStringList;
  FMRUList = new TOvcMRUList;
  FBorders = new TOvcBorders;
  for (TOvcBorder* b : {FBorders->LeftBorder(), FBorders->RightBorder(), FBorders->TopBorder(), FBorders->BottomBorder()})
    b->OnChange = Bind(this, &TOvcBaseComboBox::BorderChanged);
  FHotTrackColors = new TOvcHTColors;
  FStyle = csDropDown;
}

void TOvcBaseComboBox::BeforeDestruction() {
  RemoveTriggers();
  if (FLabelInfo->ALabel() && !(Owner() && Owner()->ComponentState().Contains(csDestroying))) {
    TOvcAttachedLabel* l = FLabelInfo->ALabel();
    FLabelInfo->SetALabel(nullptr);
    TObject::Free(l);
  }
  TCustomComboBox::BeforeDestruction();
}

TOvcBaseComboBox::~TOvcBaseComboBox() {
  TObject::Free(FLabelInfo);
  TObject::Free(FList);
  TObject::Free(FMRUList);
  TObject::Free(FBorders);
  TObject::Free(FHotTrackColors);
}

void TOvcBaseComboBox::RemoveTriggers() {
  if (TOvcTimerPool* p = Pool()) {
    if (FTimer >= 0) p->Remove(FTimer);
    if (FHoverTimer >= 0) p->Remove(FHoverTimer);
  }
  FTimer = -1;
  FHoverTimer = -1;
}

void TOvcBaseComboBox::SetController(TOvcController* Value) {
  if (Value == FController) return;
  RemoveTriggers();
  if (FController) FController->RemoveFreeNotification(this);
  FController = Value;
  if (FController) FController->FreeNotification(this);
  // A combo made in code may be hot-tracking before it has a controller to time the hover check.
  if (FController && FHotTrack && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csDesigning))
    FHoverTimer = FController->TimerPool()->Add(Bind(this, &TOvcBaseComboBox::HoverCheck), 100);
}

void TOvcBaseComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomComboBox::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (AComponent == FLabelInfo->ALabel()) {
      if (!(Owner() && Owner()->ComponentState().Contains(csDestroying))) {
        FLabelInfo->SetALabel(nullptr);
        FLabelInfo->SetVisible(false);
      } else {
        FLabelInfo->SetALabel(nullptr);
      }
    }
    if (AComponent == FController) {
      // Its pool goes with it, and the handles with the pool.
      FController = nullptr;
      FTimer = -1;
      FHoverTimer = -1;
    }
  } else if (Operation == opInsert && !FController) {
    if (auto* c = dynamic_cast<TOvcController*>(AComponent)) SetController(c);
  }
}

// The form's controller when none was given; at run time there must be one.
void TOvcBaseComboBox::FindController() {
  if (FController) return;
  if (TOvcController* c = ::FindController(this)) {
    SetController(c);
    return;
  }
  if (!ComponentState().Contains(csDesigning)) throw ENoControllerAssigned();
}

void TOvcBaseComboBox::RecalcItemHeight() {
  TEXTMETRICA tm;
  {
    ScreenDC screen;
    TSelectObject font(screen.DC, Font()->Handle());
    GetTextMetricsA(screen.DC, &tm);
  }
  SetItemHeight(tm.tmHeight);
}

void TOvcBaseComboBox::Loaded() {
  TCustomComboBox::Loaded();
  FindController();
  if (FHotTrack && FController && FHoverTimer < 0)
    FHoverTimer = FController->TimerPool()->Add(Bind(this, &TOvcBaseComboBox::HoverCheck), 100);
  RecalcItemHeight();
}

void TOvcBaseComboBox::CreateParams(TCreateParams& Params) {
  TCustomComboBox::CreateParams(Params);
  Params.Style &= ~DWORD(CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE);
  Params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | CBS_OWNERDRAWFIXED;
  Params.Style |= FListStyle == 0 ? CBS_DROPDOWN : CBS_DROPDOWNLIST;
  if (Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TOvcBaseComboBox::CreateWnd() {
  FindController();
  TCustomComboBox::CreateWnd();
  if (FSaveItemIndex >= 0) SetItemIndex(FSaveItemIndex);
  if (FDrpDwnWidth >= 0) SendMessageA(FHandle, CB_SETDROPPEDWIDTH, WPARAM(FDrpDwnWidth), 0);
}

void TOvcBaseComboBox::DestroyWnd() {
  if (HandleAllocated()) FSaveItemIndex = ItemIndex();
  TCustomComboBox::DestroyWnd();
}

void TOvcBaseComboBox::SetMRUListCount(int Value) {
  int shown = MRUCount();
  FMRUList->SetMaxItems(Value);
  // A lower limit drops entries: the top part goes by as many as it shows now, or some would stay.
  if (MRUCount() < shown) MRUListUpdate(shown);
}

void TOvcBaseComboBox::SetDropDownWidth(int Value) {
  FDrpDwnWidth = Value;
  if (HandleAllocated() && Value >= 0) SendMessageA(FHandle, CB_SETDROPPEDWIDTH, WPARAM(Value), 0);
}

void TOvcBaseComboBox::SetHotTrack(bool Value) {
  if (Value == FHotTrack) return;
  if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csDesigning)) {
    if (Value) {
      if (TOvcTimerPool* p = Pool(); p && FHoverTimer < 0)
        FHoverTimer = p->Add(Bind(this, &TOvcBaseComboBox::HoverCheck), 1);
    } else if (TOvcTimerPool* p = Pool(); p && FHoverTimer >= 0) {
      p->Remove(FHoverTimer);
      FHoverTimer = -1;
    }
  }
  FHotTrack = Value;
  Invalidate();
}

void TOvcBaseComboBox::SetHotTrackBorder(bool Value) {
  FHotTrackBorder = Value;
  if (Value)
    for (TOvcBorder* b : {FBorders->LeftBorder(), FBorders->RightBorder(), FBorders->TopBorder(), FBorders->BottomBorder()})
      b->SetEnabled(false);
}

// A border switched on turns the flat hot-track look on and the 3-D edge off, and back.
void TOvcBaseComboBox::BorderChanged(TObject* Sender) {
  bool any = false;
  for (TOvcBorder* b : {FBorders->LeftBorder(), FBorders->RightBorder(), FBorders->TopBorder(), FBorders->BottomBorder()})
    any = any || b->Enabled();
  if (!any) {
    SetCtl3D(true);
    FHotTrackBorder = false;
    SetHotTrack(false);
  } else {
    FHotTrackBorder = false;
    SetHotTrack(true);
    SetCtl3D(false);
  }
  if (HandleAllocated()) RecreateWnd();
}

TOvcAttachedLabel* TOvcBaseComboBox::AttachedLabel() const {
  if (!FLabelInfo->ALabel()) throw EOvcException(scLabelNotAttached);
  return FLabelInfo->ALabel();
}

void TOvcBaseComboBox::MeasureItem(int Index, int& Height) { Height = ItemHeight(); }

// ---------------------------------------------------------------------------------------------------
// The recently used part

void TOvcBaseComboBox::UpdateMRUList(int Index) {
  if (Index < 0 || Index >= Items()->Count()) return;
  int before = MRUCount();
  FMRUList->AddItem(Items()->Strings(Index), Items()->Objects(Index));
  if (MRUCount() > before) Items()->InsertObject(0, Items()->Strings(Index), Items()->Objects(Index));
}

void TOvcBaseComboBox::MRUListUpdate(int Shown) {
  std::string text = Text();
  Items()->BeginUpdate();
  for (int i = 0; i < Shown && Items()->Count() > 0; ++i) Items()->Delete(0);
  TStringList* mru = FMRUList->Items();
  for (int i = mru->Count() - 1; i >= 0; --i) Items()->InsertObject(0, mru->Strings(i), mru->Objects(i));
  Items()->EndUpdate();
  if (!HandleAllocated()) return;
  int last = MRUCount() - 1;
  // Room for the line under the last recently used entry.
  if (last >= 0) SendMessageA(FHandle, CB_SETITEMHEIGHT, WPARAM(last), ItemHeight() + 3);
  LRESULT found = SendMessageA(FHandle, CB_FINDSTRINGEXACT, WPARAM(last), reinterpret_cast<LPARAM>(text.c_str()));
  if (found != CB_ERR) SetItemIndex(int(found));
}

void TOvcBaseComboBox::SelectionChanged() {
  if (MRUListCount() < 1) {
    if (FList->Count() > 0 && FAutoSearch && HandleAllocated()) {
      std::string text = Text();
      LRESULT found = SendMessageA(FHandle, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text.c_str()));
      if (found != CB_ERR) SetItemIndex(int(found));
    }
  } else {
    // The top of Items holds one entry per recently used one (UpdateMRUList keeps them in step).
    MRUListUpdate(MRUCount());
  }
  OnSelectionChange(this);
}

void TOvcBaseComboBox::DoExit() {
  UpdateMRUList(ItemIndex());
  TCustomComboBox::DoExit();
}

// ---------------------------------------------------------------------------------------------------
// Keys and the incremental search

void TOvcBaseComboBox::KeyDown(uint16_t& Key, TShiftState Shift) {
  FBackspaced = false;
  TLiveGuard g(this);
  bool plain = Shift.Empty() && !(GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0);
  switch (Key) {
    case VK_HOME:
    case VK_END:
      if (!FKeyPassThrough && plain) {
        SetItemIndex(Key == VK_HOME ? 0 : Items()->Count() - 1);
        Change();
        if (!g) return;
      }
      break;
    case VK_BACK:
      FBackspaced = true;
      break;
    case VK_ESCAPE:
      // Closing the dropped list keeps what was chosen before it opened; only a closed list goes
      // back to its first entry.
      if (DroppedDown()) {
        SetItemIndex(FDropDownIndex);
      } else {
        SetItemIndex(0);
        Change();
        if (!g) return;
      }
      break;
    case VK_RETURN:
    case SearchKey: {
      std::string text = Text();
      LRESULT found = CB_ERR;
      if (HandleAllocated())
        found = SendMessageA(FHandle, CB_FINDSTRING, WPARAM(MRUCount() - 1), reinterpret_cast<LPARAM>(text.c_str()));
      if (found != CB_ERR) {
        SetItemIndex(int(found));
        SetText(Items()->Strings(int(found)));
        if (Key == VK_RETURN) {
          Click();
          if (!g) return;
        }
        SelectAll();
        SelectionChanged();
        if (!g) return;
      } else if (Key == VK_RETURN) {
        MessageBeep(0);
      }
      break;
    }
    default: {
      bool control = (Key >= 1 && Key <= 4) || Key == 8 || Key == 9 || Key == 12 || Key == 13 ||
                     (Key >= 16 && Key <= 20) || Key == 27 || (Key >= 33 && Key <= 47) ||
                     (Key >= 112 && Key <= 135) || Key == 144 || Key == 145;
      if (!control && FAutoSearch) {
        if (TOvcTimerPool* p = Pool()) {
          if (FTimer >= 0) p->Remove(FTimer);
          FTimer = p->AddOneTime(Bind(this, &TOvcBaseComboBox::TimerEvent), FKeyDelay);
        }
      }
    }
  }
  if (Key != SearchKey) TCustomComboBox::KeyDown(Key, Shift);
}

void TOvcBaseComboBox::TimerEvent(TObject* Sender, int32_t Handle, uint32_t Interval, int32_t ElapsedTime) {
  // The trigger is gone once it fired: its handle may soon name another one.
  FTimer = -1;
  if (FBackspaced || !HandleAllocated()) return;
  DWORD start = 0;
  SendMessageA(FHandle, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
  TLiveGuard g(this);
  uint16_t key = SearchKey;
  KeyDown(key, TShiftState());
  if (!g || !HandleAllocated()) return;
  SendMessageA(FHandle, CB_SETEDITSEL, 0, MAKELPARAM(start, -1));
}

// ---------------------------------------------------------------------------------------------------
// Drawing

void TOvcBaseComboBox::DrawItem(int Index, RECT Rect, TOwnerDrawState State) {
  TCanvas* c = Canvas();
  if (State.Contains(odSelected))
    c->Brush()->SetColor(clHighlight);
  else if (Index < MRUCount())
    c->Brush()->SetColor(FMRUListColor);
  else
    c->Brush()->SetColor(Color());
  c->FillRect(Rect);
  if (Index >= 0 && Index < Items()->Count()) {
    std::string s = Items()->Strings(Index);
    RECT r = Rect;
    r.left += 2;
    SetBkMode(c->Handle(), TRANSPARENT);
    DrawTextA(c->Handle(), s.c_str(), int(s.size()), &r, DT_VCENTER | DT_SINGLELINE);
  }
  FIsFocused = State.Contains(odFocused);
  if (Index == MRUCount() - 1 && DroppedDown() && !State.Contains(odFocused)) {
    c->Pen()->SetColor(clGrayText);
    c->Rectangle(Rect.left - 1, Rect.bottom - 3, Rect.right + 1, Rect.bottom);
  }
}

namespace {

void HotLine(TCanvas* C, TColor Color, std::initializer_list<POINT> Pts) {
  C->Pen()->SetColor(Color);
  C->Pen()->SetWidth(1);
  C->Polyline(std::vector<POINT>(Pts));
}

void HotArrow(TCanvas* C, std::initializer_list<POINT> Pts) {
  C->Pen()->SetColor(clBlack);
  C->Pen()->SetWidth(1);
  C->Brush()->SetColor(clBlack);
  C->Polygon(std::vector<POINT>(Pts));
}

void HotButtonFace(TCanvas* C, HDC DC, RECT R) {
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(R);
  DrawEdge(DC, &R, BDR_RAISEDINNER, BF_RECT);
}

}  // namespace

// The flat look: a plain field until the pointer, the focus or the open list makes the combo hot, which
// brings up its border and button.
void TOvcBaseComboBox::PaintHotTrack() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(FHandle, &ps);
  TCanvas* c = Canvas();
  HDC old = c->HandleAllocated() ? c->Handle() : nullptr;
  c->SetHandle(dc);
  TScopeExit giveBack([&] {
    c->SetHandle(old);
    EndPaint(FHandle, &ps);
  });
  int w = Width(), h = Height(), b = w - 15;
  c->SetFont(Font());
  c->Pen()->SetColor(Color());
  c->Brush()->SetColor(Color());
  c->Rectangle(0, 0, w, h);
  bool focused = Focused() || (FEditHandle && GetFocus() == FEditHandle);
  if (!focused && !FHot && !FDropped) {
    PaintCold();
    return;
  }
  if (FHotTrackBorder) {
    HotLine(c, FHotTrackColors->Shadow(), {{1, h - 2}, {1, 1}, {w - 1, 1}});
    HotLine(c, FHotTrackColors->Highlight(), {{w - 2, 1}, {w - 2, h - 2}, {1, h - 2}});
    HotLine(c, Color(), {{2, 2}, {2, h - 3}, {w - 3, h - 3}, {w - 3, 2}, {2, 2}});
  }
  if (focused) PaintHotFocused(dc);
  else PaintHotItem(dc);
  HotLine(c, Color(), {{b - 2, 3}, {b - 2, h - 3}});
}

// Focused: the button sunk in, and the item chosen when the list was opened.
void TOvcBaseComboBox::PaintHotFocused(HDC DC) {
  TCanvas* c = Canvas();
  int w = Width(), h = Height(), b = w - 15, m = h / 2;
  c->Pen()->SetColor(clBtnFace);
  HotButtonFace(c, DC, RECT{b, 3, w - 3, h - 3});
  HotArrow(c, {{b + 4, m}, {b + 6, m + 2}, {b + 8, m}});
  HotLine(c, clBtnHighlight, {{b, h - 4}, {w - 4, h - 4}, {w - 4, 3}});
  HotLine(c, clBtnShadow, {{b, h - 4}, {b, 3}, {w - 4, 3}});
  if (FListStyle == 1 && FDropDownIndex != -1) {
    c->Brush()->SetColor(Color());
    DrawItem(FDropDownIndex, RECT{4, 4, b - 1, h - 3}, TOwnerDrawState());
  }
}

// Hot but not focused: the button raised, and the current item (selected while the list is open).
void TOvcBaseComboBox::PaintHotItem(HDC DC) {
  TCanvas* c = Canvas();
  int w = Width(), h = Height(), b = w - 15, m = h / 2;
  HotButtonFace(c, DC, RECT{b, 3, w - 3, h - 3});
  HotArrow(c, {{b + 3, m - 1}, {b + 5, m + 1}, {b + 7, m - 1}});
  HotLine(c, Color(), {{b, h - 4}, {b, 3}, {w - 4, 3}});
  TOwnerDrawState state;
  c->Font()->SetColor(clWindowText);
  if (FDropped) {
    state.Include(odFocused);
    c->Font()->SetColor(clHighlightText);
    if (ItemIndex() >= 0) state.Include(odSelected);
  }
  if (FListStyle == 1 && ItemIndex() >= 0) DrawItem(ItemIndex(), RECT{4, 4, b - 1, h - 3}, state);
}

// Cold: no border and no button face, only the arrow and the current item.
void TOvcBaseComboBox::PaintCold() {
  TCanvas* c = Canvas();
  int w = Width(), h = Height(), b = w - 15, m = h / 2;
  c->Pen()->SetColor(Color());
  c->Brush()->SetColor(Color());
  c->Rectangle(2, 2, w - 2, h - 2);
  c->Rectangle(b, 4, w - 4, h - 4);
  HotArrow(c, {{b + 3, m - 1}, {b + 5, m + 1}, {b + 7, m - 1}});
  HotLine(c, Color(), {{2, h - 3}, {w - 3, h - 3}});
  if (FListStyle == 1 && ItemIndex() >= 0) {
    c->Font()->SetColor(Font()->Color());
    DrawItem(ItemIndex(), RECT{4, 4, b - 1, h - 3}, TOwnerDrawState());
  }
}

// Pen borders on the sides, on top of what the window painted.
void TOvcBaseComboBox::PaintBorders() {
  if (!HandleAllocated()) return;
  HDC dc = GetDC(FHandle);
  TCanvas c;
  c.SetHandle(dc);
  int right = Width() - (FHotTrack ? 17 : 19);
  auto draw = [&](TOvcBorder* b, int x1, int y1, int x2, int y2) {
    if (!b->Enabled()) return;
    c.Pen()->SetColor(b->PenColor());
    c.Pen()->SetWidth(b->PenWidth());
    c.Pen()->SetStyle(b->PenStyle());
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
  };
  auto half = [](TOvcBorder* b) { return b->PenWidth() / 2; };
  draw(FBorders->LeftBorder(), half(FBorders->LeftBorder()), 0, half(FBorders->LeftBorder()), Height());
  draw(FBorders->RightBorder(), right - half(FBorders->RightBorder()), 0, right - half(FBorders->RightBorder()), Height());
  draw(FBorders->TopBorder(), 0, half(FBorders->TopBorder()), right, half(FBorders->TopBorder()));
  draw(FBorders->BottomBorder(), 0, Height() - half(FBorders->BottomBorder()), right - 1,
       Height() - half(FBorders->BottomBorder()));
  c.SetHandle(nullptr);
  ReleaseDC(FHandle, dc);
}

void TOvcBaseComboBox::HoverCheck(TObject* Sender, int32_t Handle, uint32_t Interval, int32_t ElapsedTime) {
  if (FIsHovering) return;
  FIsHovering = true;
  struct TReset {
    bool& F;
    ~TReset() { F = false; }
  } reset{FIsHovering};
  if (!FHot || !HandleAllocated() || !IsWindowVisible(FHandle)) return;
  POINT p;
  GetCursorPos(&p);
  HWND under = WindowFromPoint(p);
  if (under != FHandle && (!FEditHandle || under != FEditHandle)) {
    FHot = false;
    Invalidate();
  }
}

// ---------------------------------------------------------------------------------------------------
// The attached label

void TOvcBaseComboBox::LabelVisibleChange(TObject* Sender, bool Value) {
  if (ComponentState().Contains(csLoading)) return;
  TCustomForm* form = GetParentForm();
  if (Value) {
    if (FLabelInfo->ALabel() || !form) return;
    auto* l = new TOvcAttachedLabel(form, this);
    l->SetName(OvcUniqueComponentName(form, Name() + "Label"));
    l->SetParent(Parent());
    l->SetCaption(Name());
    FLabelInfo->SetALabel(l);
    l->FreeNotification(this);
    if (FLabelInfo->OffsetX() == 0 && FLabelInfo->OffsetY() == 0) {
      if (FLabelTop)
        FLabelInfo->SetOffsets(-(l->Width() + 4), 0);
      else
        FLabelInfo->SetOffsets(0, -(l->Height() + 2));
    }
    PositionLabel();
    l->BringToFront();
  } else if (TOvcAttachedLabel* l = FLabelInfo->ALabel()) {
    FLabelInfo->SetALabel(nullptr);
    TObject::Free(l);
  }
}

void TOvcBaseComboBox::LabelChange(TObject* Sender) { PositionLabel(); }

void TOvcBaseComboBox::PositionLabel() {
  TOvcAttachedLabel* l = FLabelInfo->ALabel();
  if (!l) return;
  int x = Left() + FLabelInfo->OffsetX(), y = Top() + FLabelInfo->OffsetY();
  if (l->Left() != x || l->Top() != y) l->TControl::SetBounds(x, y, l->Width(), l->Height());
}

void TOvcBaseComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomComboBox::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (HandleAllocated()) PostMessageA(FHandle, OM_POSITIONLABEL, 0, 0);
  else PositionLabel();
}

// ---------------------------------------------------------------------------------------------------
// Messages

void TOvcBaseComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:              CNCommand(Message); return;
    case WM_PAINT:                WMPaint(Message); return;
    case WM_NCHITTEST:            WMNCHitTest(Message); return;
    case WM_SETFOCUS:             WMSetFocus(Message); return;
    case WM_KILLFOCUS:            WMKillFocus(Message); return;
    case OM_AFTERENTER:           AfterEnter(this); return;
    case OM_AFTEREXIT:            AfterExit(this); return;
    case OM_POSITIONLABEL:        PositionLabel(); return;
    case OM_ASSIGNLABEL:          OMAssignLabel(Message); return;
    case OM_RECORDLABELPOSITION:  OMRecordLabelPosition(); return;
    case CM_VISIBLECHANGED:       CMVisibleChanged(Message); return;
    case CM_FONTCHANGED:          CMFontChanged(Message); return;
    case WM_MOUSEWHEEL:           WMMouseWheel(MessageAs<TWMMouseWheel>(Message)); return;
  }
  TCustomComboBox::Dispatch(Message);
}

// The combo's own notifications, reflected back from the parent.
void TOvcBaseComboBox::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case CBN_DROPDOWN:   FDropDownIndex = ItemIndex(); break;
    case CBN_CLOSEUP:    if (!CBNCloseUp()) return; break;
    case CBN_SETFOCUS:   if (FHotTrack) SetDropped(true); break;
    case CBN_KILLFOCUS:  if (FHotTrack) SetDropped(false); break;
  }
  TCustomComboBox::Dispatch(Message);
}

// A choice from the list becomes a recent entry and the text, and is announced. False when a handler
// freed the combo.
bool TOvcBaseComboBox::CBNCloseUp() {
  TLiveGuard g(this);
  if (int i = ItemIndex(); i >= 0) {
    UpdateMRUList(i);
    SetText(Items()->Strings(ItemIndex()));
    Click();
    if (!g) return false;
    SelectionChanged();
    if (!g) return false;
  }
  if (FHotTrack) Invalidate();
  return true;
}

void TOvcBaseComboBox::SetDropped(bool Value) {
  FDropped = Value;
  Invalidate();
}

void TOvcBaseComboBox::WMPaint(TMessage& Message) {
  if (FHotTrack && !ComponentState().Contains(csDesigning)) {
    PaintHotTrack();
    PaintBorders();
    Message.Result = 1;
    return;
  }
  TLiveGuard g(this);
  TCustomComboBox::Dispatch(Message);
  if (g) PaintBorders();
}

// The pointer over the combo makes it hot; the hover check cools it once the pointer has left.
void TOvcBaseComboBox::WMNCHitTest(TMessage& Message) {
  TLiveGuard g(this);
  TCustomComboBox::Dispatch(Message);
  if (g && FHotTrack && !ComponentState().Contains(csDesigning) && !FHot && Application && Application->Active()) {
    FHot = true;
    Invalidate();
  }
}

void TOvcBaseComboBox::WMSetFocus(TMessage& Message) {
  TLiveGuard g(this);
  TCustomComboBox::Dispatch(Message);
  if (g && HandleAllocated()) PostMessageA(FHandle, OM_AFTERENTER, 0, 0);
}

void TOvcBaseComboBox::WMKillFocus(TMessage& Message) {
  TLiveGuard g(this);
  TCustomComboBox::Dispatch(Message);
  if (g && HandleAllocated()) PostMessageA(FHandle, OM_AFTEREXIT, 0, 0);
}

void TOvcBaseComboBox::OMAssignLabel(TMessage& Message) {
  FLabelInfo->SetALabel(reinterpret_cast<TOvcAttachedLabel*>(Message.LParam));
  if (FLabelInfo->ALabel()) FLabelInfo->ALabel()->FreeNotification(this);
}

void TOvcBaseComboBox::OMRecordLabelPosition() {
  TOvcAttachedLabel* l = FLabelInfo->ALabel();
  if (!l) return;
  // Recorded without moving the label back.
  FLabelInfo->OnChange = nullptr;
  FLabelInfo->SetOffsets(l->Left() - Left(), l->Top() - Top());
  FLabelInfo->OnChange = Bind(this, &TOvcBaseComboBox::LabelChange);
}

void TOvcBaseComboBox::CMVisibleChanged(TMessage& Message) {
  TLiveGuard g(this);
  TCustomComboBox::Dispatch(Message);
  if (!g) return;
  if (TOvcAttachedLabel* l = FLabelInfo->ALabel()) l->SetVisible(Visible());
}

void TOvcBaseComboBox::CMFontChanged(TMessage& Message) {
  TLiveGuard g(this);
  TCustomComboBox::Dispatch(Message);
  if (g) RecalcItemHeight();
}

void TOvcBaseComboBox::WMMouseWheel(TWMMouseWheel& Message) {
  TLiveGuard g(this);
  OnMouseWheel(this, KeysToShiftState(Message.Keys()), uint16_t(Message.WheelDelta()), uint16_t(Message.XPos()),
               uint16_t(Message.YPos()));
  if (g) TCustomComboBox::Dispatch(Message);
}

void TOvcBaseComboBox::Publish(TPublisher<TOvcBaseComboBox>& p) {
  p.Str("About", &TOvcBaseComboBox::About, [](TOvcBaseComboBox&, const std::string&) {}).Stored(false);
  p.Object("Borders", &TOvcBaseComboBox::Borders);
  p.Bool("HotTrackBorder", &TOvcBaseComboBox::HotTrackBorder, &TOvcBaseComboBox::SetHotTrackBorder).Default(1);
  p.Object("HotTrackColors", &TOvcBaseComboBox::HotTrackColors);
  p.Ref("Controller", &TOvcBaseComboBox::Controller, &TOvcBaseComboBox::SetController);
}
