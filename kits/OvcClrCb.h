// The colour combo: a drop-down list of the sixteen standard colours, each shown as its name with a
// swatch of the colour at the right.
#pragma once

#include "OvcCmbx.h"

class TOvcCustomColorComboBox : public TOvcBaseComboBox {
  YOZ_CLASS(TOvcCustomColorComboBox, TOvcBaseComboBox)
public:
  explicit TOvcCustomColorComboBox(TComponent* AOwner);

  // The colour of the selected item; black (0) when none is selected.
  TColor SelectedColor();
  // Selects the first item of that colour and fires OnChange; a colour not in the list changes nothing.
  void SetSelectedColor(TColor Value);
  bool ShowColorNames() const { return FShowColorNames; }
  void SetShowColorNames(bool Value);
  // Where the swatch starts, counted from the item's right edge; 0 until measured.
  int SwatchOffset() const { return FColorWidth; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void CreateWnd() override;
  void DrawItem(int Index, RECT Rect, TOwnerDrawState State) override;
  void Dispatch(TMessage& Message) override;

  // The sixteen colours in list order.
  static constexpr int ColorCount = 16;

protected:
  void CalculateColorWidth();
  void FillColors();
  bool FShowColorNames = true;
  int FColorWidth = 0;   // the swatch's left offset; 0 or less: not measured yet
};

class TOvcColorComboBox : public TOvcCustomColorComboBox {
  YOZ_CLASS(TOvcColorComboBox, TOvcCustomColorComboBox)
public:
  explicit TOvcColorComboBox(TComponent* AOwner) : TOvcCustomColorComboBox(AOwner) {}
  static void Publish(TPublisher<TOvcColorComboBox>& p);
};

void OvcClrCbInitialize();
