// Framed containers of the shell controls: a windowed group whose frame lies in the non-client area
// (so children fill only the inner area) and a windowless frame with a one-line caption. Both share
// one set of frame styles and one drawing routine per style.
#pragma once

#include <windows.h>

#include <string>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"

enum TPTFrameStyle : uint8_t {
  ptfsNone,
  ptfsGroup,
  ptfsLowered,
  ptfsRaised,
  ptfsDint,
  ptfsBump,
  ptfsSingle,
  ptfsHorzLine,
  ptfsHorzEdge,
  ptfsVertLine,
  ptfsVertEdge
};
extern const TEnumInfo PTFrameStyleNames;

using TPTFramePaintEvent = TEvent<TObject*, TCanvas*>;

// How far the content area lies inside the frame of a style, per side (left, top, right, bottom).
// The group style measures its own (its caption's height), so it reports none here.
RECT PTFrameInset(TPTFrameStyle Style);

// Draws the frame of Style in R, whose right and bottom edges are the last pixel column and row.
// The group style also fills R with Color (unless clNone) and draws Caption in the canvas's font,
// embossed when not Enabled.
void PTDrawFrame(TCanvas* Canvas, RECT R, TPTFrameStyle Style, const std::string& Caption, bool Enabled,
                 TColor Color);

// Draws a one-line caption in R with the alignment's flag, vertically centred, ending in an ellipsis
// when too long. Returns what DrawTextEx returns (the height).
int PTDrawCaption(TCanvas* Canvas, RECT& R, const std::string& Caption, TAlignment Alignment, UINT ExtraFlags = 0);

// The frame's properties the group and the frame share, on the control class each is made of. A
// change repaints; the frame style's own setter is each one's (the group's frame lies outside its
// client area).
template <class Base>
class TPTFramed : public Base {
public:
  using Base::Base;
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { Set(FAlignment, Value); }
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value) { Set(FDefaultDrawing, Value); }
  int FrameSpace() const { return FFrameSpace; }
  void SetFrameSpace(int Value) { Set(FFrameSpace, Value); }
  TPTFrameStyle FrameStyle() const { return FFrameStyle; }
  TPTFramePaintEvent OnPaint;

protected:
  template <class V>
  void Set(V& Field, V Value) {
    if (Field == Value) return;
    Field = Value;
    this->Invalidate();
  }

  TAlignment FAlignment = taCenter;
  bool FDefaultDrawing = true;
  int FFrameSpace = 2;
  TPTFrameStyle FFrameStyle = ptfsNone;   // each one's own default, set by its constructor
};

class TPTCustomGroup : public TPTFramed<TCustomControl> {
  YOZ_CLASS(TPTCustomGroup, TCustomControl)
public:
  explicit TPTCustomGroup(TComponent* AOwner);

  void SetFrameStyle(TPTFrameStyle Value);

  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

  // Paints the frame of the current style into Rect (the whole window) on Canvas.
  virtual void DrawFrame(TCanvas* Canvas, RECT Rect);

protected:
  void Paint() override;
  // The frame's insets of the current style; the group style measures its caption on the screen.
  RECT NonClientInset();
  // Asks the window to compute and paint its frame again.
  void ReFrame();

  bool FFrameChanged = false;

private:
  void NCCalcSize(TWMNCCalcSize& Message);
  void NCPaint(TMessage& Message);
};

class TPTGroup : public TPTCustomGroup {
  YOZ_CLASS(TPTGroup, TPTCustomGroup)
public:
  explicit TPTGroup(TComponent* AOwner) : TPTCustomGroup(AOwner) {}
  static void Publish(TPublisher<TPTGroup>& p);
};

class TPTCustomFrame : public TPTFramed<TGraphicControl> {
  YOZ_CLASS(TPTCustomFrame, TGraphicControl)
public:
  explicit TPTCustomFrame(TComponent* AOwner);

  void SetFrameStyle(TPTFrameStyle Value);

  void Dispatch(TMessage& Message) override;

protected:
  void Paint() override;
  // Repaints what lies inside the frame only.
  void InvalidateContent();

};

class TPTFrame : public TPTCustomFrame {
  YOZ_CLASS(TPTFrame, TPTCustomFrame)
public:
  explicit TPTFrame(TComponent* AOwner) : TPTCustomFrame(AOwner) {}
  static void Publish(TPublisher<TPTFrame>& p);
};

// Registers the group and the frame with the class registry so form resources can make them.
void UPTFrameInitialize();
