// Buttons with pictures: the windowless speed button (toolbar button, flat, grouped, hints) and the
// bitmap push button. A glyph holds NumGlyphs pictures side by side: up, disabled, clicked, down.
// The glyph's bottom-left pixel colour is transparent.
#pragma once

#include <windows.h>

#include <string>

#include "ActnList.h"
#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
extern const TEnumInfo ButtonLayoutNames;
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// Draws glyph picture Index (of NumGlyphs) and Caption into Client, laid out like a button face;
// Offset moves both (a pressed button). Returns the rectangle of the caption.
RECT DrawButtonFace(HDC DC, const RECT& Client, TBitmap* Glyph, int NumGlyphs, TButtonState State,
                    const std::string& Caption, TButtonLayout Layout, int Margin, int Spacing, TFont* Font,
                    POINT Offset);

// The glyph and its layout, which the speed button and the bitmap button share on the control class
// each is made of; a change repaints. Made for TGraphicControl and TButton only (Buttons.cpp).
template <class Base>
class TGlyphButton : public Base {
public:
  explicit TGlyphButton(TComponent* AOwner);
  ~TGlyphButton() override;

  TBitmap* Glyph() const { return FGlyph; }
  void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  int Margin() const { return FMargin; }
  void SetMargin(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);

protected:
  void GlyphChanged(TObject* Sender);

  TBitmap* FGlyph;
  int FNumGlyphs = 1;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
};

class TSpeedButton : public TGlyphButton<TGraphicControl> {
  YOZ_CLASS(TSpeedButton, TGraphicControl)
public:
  explicit TSpeedButton(TComponent* AOwner);

  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value) { FGroupIndex = Value; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  TBasicAction* Action() const { return FActionClient.Action(); }
  void SetAction(TBasicAction* Value) { FActionClient.SetAction(Value); }
  // True while the mouse is over the button (a flat button shows its frame then).
  bool MouseInControl() const { return FMouseInControl; }
  TButtonState State() const { return FState; }

  void Click() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

  static void Publish(TPublisher<TSpeedButton>& p);

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

protected:
  void Paint() override;
  void UpdateExclusive();

  bool FFlat = false;
  bool FDown = false;
  int FGroupIndex = 0;
  bool FAllowAllUp = false;
  bool FTransparent = true;
  TButtonState FState = bsUp;
  bool FDragging = false;
  bool FMouseInControl = false;
  TControlActionClient FActionClient;
};

class TBitBtn : public TGlyphButton<TButton> {
  YOZ_CLASS(TBitBtn, TButton)
public:
  explicit TBitBtn(TComponent* AOwner) : TGlyphButton(AOwner) {}

  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TBitBtn>& p);
};

void RegisterButtonsClasses();
