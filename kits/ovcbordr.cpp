#include "ovcbordr.h"

const TEnumInfo OvcBorderStyleNames{"TOvcBorderStyle", {"bpsSolid"}};

void TOvcBorder::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Changed();
}

void TOvcBorder::SetBorderStyle(TOvcBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  Changed();
}

void TOvcBorder::SetPenColor(TColor Value) {
  if (Value == FPenColor) return;
  FPenColor = Value;
  Changed();
}

void TOvcBorder::SetPenStyle(TPenStyle Value) {
  if (Value == FPenStyle) return;
  FPenStyle = Value;
  Changed();
}

void TOvcBorder::SetPenWidth(int32_t Value) {
  if (Value < 1 || Value == FPenWidth) return;
  FPenWidth = Value;
  Changed();
}

void TOvcBorder::Assign(TPersistent* Source) {
  auto* b = dynamic_cast<TOvcBorder*>(Source);
  if (!b) {
    TPersistent::Assign(Source);
    return;
  }
  SetEnabled(b->FEnabled);
  SetPenColor(b->FPenColor);
  SetPenStyle(b->FPenStyle);
  SetPenWidth(b->FPenWidth);
}

void TOvcBorder::Publish(TPublisher<TOvcBorder>& p) {
  p.Bool("Enabled", &TOvcBorder::Enabled, &TOvcBorder::SetEnabled).Default(0);
  p.Enum("BorderStyle", OvcBorderStyleNames, &TOvcBorder::BorderStyle, &TOvcBorder::SetBorderStyle).Default(bpsSolid);
  p.Int("PenColor", &TOvcBorder::PenColor, &TOvcBorder::SetPenColor).Default(clBlack).Idents(ColorIdentMap());
  p.Enum("PenStyle", PenStyleNames, &TOvcBorder::PenStyle, &TOvcBorder::SetPenStyle).Default(psSolid);
  p.Int("PenWidth", &TOvcBorder::PenWidth, &TOvcBorder::SetPenWidth).Default(2);
}

TOvcBorders::TOvcBorders()
    : FBottomBorder(new TOvcBorder), FLeftBorder(new TOvcBorder), FRightBorder(new TOvcBorder),
      FTopBorder(new TOvcBorder) {}

TOvcBorders::~TOvcBorders() {
  TObject::Free(FBottomBorder);
  TObject::Free(FLeftBorder);
  TObject::Free(FRightBorder);
  TObject::Free(FTopBorder);
}

void TOvcBorders::Assign(TPersistent* Source) {
  auto* b = dynamic_cast<TOvcBorders*>(Source);
  if (!b) {
    TPersistent::Assign(Source);
    return;
  }
  FBottomBorder->Assign(b->FBottomBorder);
  FLeftBorder->Assign(b->FLeftBorder);
  FRightBorder->Assign(b->FRightBorder);
  FTopBorder->Assign(b->FTopBorder);
}

void TOvcBorders::Publish(TPublisher<TOvcBorders>& p) {
  p.Object("BottomBorder", &TOvcBorders::BottomBorder);
  p.Object("LeftBorder", &TOvcBorders::LeftBorder);
  p.Object("RightBorder", &TOvcBorders::RightBorder);
  p.Object("TopBorder", &TOvcBorders::TopBorder);
}
