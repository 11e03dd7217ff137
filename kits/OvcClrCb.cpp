#include "OvcClrCb.h"

#include <algorithm>

#include "Forms.h"
#include "OvcSrMgr.h"

namespace {
const TColor StandardColors[TOvcCustomColorComboBox::ColorCount] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
}

TOvcCustomColorComboBox::TOvcCustomColorComboBox(TComponent* AOwner) : TOvcBaseComboBox(AOwner) {
  SetMRUListCount(0);
  FListStyle = 1;
  FStyle = csDropDownList;
  // The colours are there before the window, so a colour chosen then (a form's SelectedColor, or
  // the owner's) is kept until the window shows it.
  FillColors();
  SetItemIndex(0);
}

void TOvcCustomColorComboBox::FillColors() {
  Items()->BeginUpdate();
  Items()->Clear();
  for (int i = 0; i < ColorCount; ++i)
    Items()->AddObject(OvcKitString(scColorBlack + i), reinterpret_cast<TObject*>(intptr_t(StandardColors[i])));
  Items()->EndUpdate();
}

void TOvcCustomColorComboBox::CreateWnd() {
  // Every window gets the list afresh (items a form stored are replaced), keeping the colour chosen.
  TColor keep = SelectedColor();
  TOvcBaseComboBox::CreateWnd();
  SetText("");
  FillColors();
  int index = 0;
  for (int i = 0; i < ColorCount; ++i)
    if (StandardColors[i] == keep) {
      index = i;
      break;
    }
  SetItemIndex(index);
}

TColor TOvcCustomColorComboBox::SelectedColor() {
  int i = ItemIndex();
  if (i < 0 || i >= Items()->Count()) return clBlack;
  return TColor(reinterpret_cast<intptr_t>(Items()->Objects(i)));
}

void TOvcCustomColorComboBox::SetSelectedColor(TColor Value) {
  for (int i = 0; i < Items()->Count(); ++i)
    if (TColor(reinterpret_cast<intptr_t>(Items()->Objects(i))) == Value) {
      SetItemIndex(i);
      Change();
      return;
    }
}

void TOvcCustomColorComboBox::SetShowColorNames(bool Value) {
  if (Value == FShowColorNames) return;
  FShowColorNames = Value;
  FColorWidth = 0;
  Invalidate();
}

void TOvcCustomColorComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TOvcBaseComboBox::SetBounds(ALeft, ATop, AWidth, AHeight);
  FColorWidth = 0;
  Invalidate();
}

void TOvcCustomColorComboBox::Dispatch(TMessage& Message) {
  TOvcBaseComboBox::Dispatch(Message);
  if (Message.Msg == CM_FONTCHANGED) {
    FColorWidth = 0;
    Invalidate();
  }
}

void TOvcCustomColorComboBox::CalculateColorWidth() {
  if (!HandleAllocated() || FColorWidth > 0) return;
  if (FShowColorNames) {
    Canvas()->SetFont(Font());
    int widest = 0;
    for (int i = 0; i < Items()->Count(); ++i) widest = std::max(widest, Canvas()->TextWidth(Items()->Strings(i) + "X"));
    FColorWidth = std::max(ClientWidth() - widest, 25);
  } else {
    FColorWidth = ClientWidth() - 1;
  }
}

void TOvcCustomColorComboBox::DrawItem(int Index, RECT Rect, TOwnerDrawState State) {
  std::string name = OvcKitString(scColorBlack);
  TColor color = clBlack;
  if (Index >= 0 && Index < Items()->Count()) {
    name = Items()->Strings(Index);
    color = TColor(reinterpret_cast<intptr_t>(Items()->Objects(Index)));
  }
  CalculateColorWidth();
  TCanvas* c = Canvas();
  if (State.Contains(odSelected) || State.Contains(odFocused)) {
    c->Font()->SetColor(clHighlightText);
    c->Brush()->SetColor(clHighlight);
  } else {
    c->Font()->SetColor(Font()->Color());
    c->Brush()->SetColor(Color());
  }
  if (FShowColorNames) {
    c->Pen()->SetColor(c->Brush()->Color());
    c->Rectangle(Rect);
    RECT r = Rect;
    r.left += 1;
    SetBkMode(c->Handle(), TRANSPARENT);
    SetTextColor(c->Handle(), ColorToRGB(c->Font()->Color()));
    DrawTextA(c->Handle(), name.c_str(), int(name.size()), &r, DT_SINGLELINE | DT_VCENTER);
  }
  c->Pen()->SetColor(Font()->Color());
  c->Brush()->SetColor(color);
  c->Rectangle(ClientWidth() - FColorWidth, Rect.top + 1, Rect.right - 1, Rect.bottom - 1);
}

void TOvcColorComboBox::Publish(TPublisher<TOvcColorComboBox>& p) {
  p.Int("SelectedColor", &TOvcColorComboBox::SelectedColor, &TOvcColorComboBox::SetSelectedColor)
      .Idents(ColorIdentMap());
  p.Bool("ShowColorNames", &TOvcColorComboBox::ShowColorNames, &TOvcColorComboBox::SetShowColorNames).Default(1);
  p.Bool("HotTrack", &TOvcColorComboBox::HotTrack, &TOvcColorComboBox::SetHotTrack).Default(0);
  p.Object("LabelInfo", &TOvcColorComboBox::LabelInfo);
  p.Event("AfterEnter", &TOvcColorComboBox::AfterEnter);
  p.Event("AfterExit", &TOvcColorComboBox::AfterExit);
  p.Event("OnMouseWheel", &TOvcColorComboBox::OnMouseWheel);
  p.Event("OnSelectionChange", &TOvcColorComboBox::OnSelectionChange);
}

void OvcClrCbInitialize() { RegisterClass(TOvcColorComboBox::StaticClass()); }
