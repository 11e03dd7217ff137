// Pen borders of the control kit: a line on one side of a control, and the set of four a combo box
// draws on its sides.
#pragma once

#include "Classes.h"
#include "Graphics.h"

enum TOvcBorderStyle { bpsSolid };
extern const TEnumInfo OvcBorderStyleNames;

class TOvcBorder : public TPersistent {
  YOZ_CLASS(TOvcBorder, TPersistent)
public:
  TOvcBorder() = default;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  TOvcBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TOvcBorderStyle Value);
  TColor PenColor() const { return FPenColor; }
  void SetPenColor(TColor Value);
  TPenStyle PenStyle() const { return FPenStyle; }
  void SetPenStyle(TPenStyle Value);
  int32_t PenWidth() const { return FPenWidth; }
  // Widths below 1 are ignored.
  void SetPenWidth(int32_t Value);
  // Copies Enabled, PenColor, PenStyle and PenWidth of another border.
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

  static void Publish(TPublisher<TOvcBorder>& p);

private:
  void Changed() { OnChange(this); }
  bool FEnabled = false;
  TOvcBorderStyle FBorderStyle = bpsSolid;
  TColor FPenColor = clBlack;
  TPenStyle FPenStyle = psSolid;
  int32_t FPenWidth = 2;
};

class TOvcBorders : public TPersistent {
  YOZ_CLASS(TOvcBorders, TPersistent)
public:
  TOvcBorders();
  ~TOvcBorders() override;
  TOvcBorder* BottomBorder() const { return FBottomBorder; }
  TOvcBorder* LeftBorder() const { return FLeftBorder; }
  TOvcBorder* RightBorder() const { return FRightBorder; }
  TOvcBorder* TopBorder() const { return FTopBorder; }
  void Assign(TPersistent* Source) override;

  static void Publish(TPublisher<TOvcBorders>& p);

private:
  TOvcBorder* FBottomBorder;
  TOvcBorder* FLeftBorder;
  TOvcBorder* FRightBorder;
  TOvcBorder* FTopBorder;
};
