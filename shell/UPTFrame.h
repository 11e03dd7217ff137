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

class TPTCustomGroup : public TCustomControl {
  YOZ_CLASS(TPTCustomGroup, TCustomControl)
public:
  explicit TPTCustomGroup(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value);
  int FrameSpace() const { return FFrameSpace; }
  void SetFrameSpace(int Value);
  TPTFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TPTFrameStyle Value);
  TPTFramePaintEvent OnPaint;

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

  TAlignment FAlignment = taCenter;
  bool FDefaultDrawing = true;
  int FFrameSpace = 2;
  bool FFrameChanged = false;
  TPTFrameStyle FFrameStyle = ptfsGroup;

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

class TPTCustomFrame : public TGraphicControl {
  YOZ_CLASS(TPTCustomFrame, TGraphicControl)
public:
  explicit TPTCustomFrame(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value);
  int FrameSpace() const { return FFrameSpace; }
  void SetFrameSpace(int Value);
  TPTFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TPTFrameStyle Value);
  TPTFramePaintEvent OnPaint;

  void Dispatch(TMessage& Message) override;

protected:
  void Paint() override;
  // Repaints what lies inside the frame only.
  void InvalidateContent();

  TAlignment FAlignment = taCenter;
  bool FDefaultDrawing = true;
  int FFrameSpace = 2;
  TPTFrameStyle FFrameStyle = ptfsLowered;
};

class TPTFrame : public TPTCustomFrame {
  YOZ_CLASS(TPTFrame, TPTCustomFrame)
public:
  explicit TPTFrame(TComponent* AOwner) : TPTCustomFrame(AOwner) {}
  static void Publish(TPublisher<TPTFrame>& p);
};

// Registers the group and the frame with the class registry so form resources can make them.
void UPTFrameInitialize();
