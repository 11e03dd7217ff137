// The frame vocabulary of the panel and edit kit: frame styles and side sets, the routines that draw
// lines, bevels and styled borders, the minimum edit height, a rotated-font maker, and the frame
// controller that pushes one set of frame settings to every framed control linked to it.
//
// Rectangles are left, top, right, bottom with right and bottom exclusive; each drawing routine
// returns the rectangle inside what it drew.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"

enum TFrameStyle : uint8_t {
  fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised, fsButtonUp, fsStatus, fsPopup
};
extern const TEnumInfo FrameStyleNames;

enum TSide : uint8_t { sdLeft, sdTop, sdRight, sdBottom };
using TSides = TSet<TSide>;
extern const TEnumInfo SideNames;
constexpr TSides sdAllSides{sdLeft, sdTop, sdRight, sdBottom};

// Which way a control of the kit lies: along x (orHorizontal) or along y.
enum TOrientation { orHorizontal, orVertical };
extern const TEnumInfo OrientationNames;

// The kits' About property: one value, shown by a designer, never stored.
enum TRzAboutInfo : uint8_t { aiDabelComponents };
extern const TEnumInfo RzAboutInfoNames;

// The two colours of a one-line style (upper-left, lower-right); the two-line styles give their
// outer pair here and their inner pair through FrameInnerColors.
void FrameColors(TFrameStyle Style, TColor& UL, TColor& LR);
void FrameInnerColors(TFrameStyle Style, TColor& UL, TColor& LR);

RECT DrawSides(TCanvas* Canvas, RECT Bounds, TColor ULColor, TColor LRColor, TSides Sides);
RECT DrawBevel(TCanvas* Canvas, RECT Bounds, TColor ULColor, TColor LRColor, int Width, TSides Sides);
RECT DrawBorder(TCanvas* Canvas, RECT Bounds, TFrameStyle Style, TSides Sides);
RECT DrawBorder(TCanvas* Canvas, RECT Bounds, TFrameStyle Style);

// An edit's frame on (0, 0, Width, Height): the old frame erased with a two-pixel bevel in BackColor,
// then the style's border on Sides (fsFlat in FlatColor).
void DrawFrame(TCanvas* Canvas, int Width, int Height, TSides Sides, TColor FlatColor, TColor BackColor,
               TFrameStyle Style);

// The smallest height of an edit showing Font: its text height + 2 (measured on the screen).
int GetMinFontHeight(TFont* Font);

// A new font like Font turned by Angle degrees counter-clockwise; the caller frees it.
HFONT RotateFont(TFont* Font, int Angle);

// Keeps the frame settings of every linked control the same. A framed control links itself through
// its FrameController property; only controls whose published UseFrameController is True follow.
class TRzFrameController : public TComponent {
  YOZ_CLASS(TRzFrameController, TComponent)
public:
  explicit TRzFrameController(TComponent* AOwner);
  ~TRzFrameController() override;

  // Links a control (once) and gives it every setting; RemoveControl unlinks it.
  void AddControl(TControl* Control);
  void RemoveControl(TControl* Control);
  int ControlCount() const { return int(FControls.size()); }

  // Writes the controller's settings into the control's published properties of the same names:
  // all of them for Index 0, else only the Index-th of Color, FlatButtons, FrameColor, FrameFlat,
  // FrameFlatStyle, FrameFocusStyle, FrameSides, FrameStyle, FrameVisible.
  virtual void UpdateControlFrame(TControl* Control, int Index);
  virtual void UpdateControls(int Index);

  TColor Color() const { return FColor; }
  virtual void SetColor(TColor Value);
  bool FlatButtons() const { return FFlatButtons; }
  virtual void SetFlatButtons(bool Value);
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor Value);
  bool FrameFlat() const { return FFrameFlat; }
  virtual void SetFrameFlat(bool Value);
  TFrameStyle FrameFlatStyle() const { return FFrameFlatStyle; }
  virtual void SetFrameFlatStyle(TFrameStyle Value);
  TFrameStyle FrameFocusStyle() const { return FFrameFocusStyle; }
  virtual void SetFrameFocusStyle(TFrameStyle Value);
  TSides FrameSides() const { return FFrameSides; }
  virtual void SetFrameSides(TSides Value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle Value);
  bool FrameVisible() const { return FFrameVisible; }
  virtual void SetFrameVisible(bool Value);

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  static void Publish(TPublisher<TRzFrameController>& p);

private:
  TColor FColor = clWindow;
  std::vector<TControl*> FControls;
  bool FFlatButtons = true;
  TColor FFrameColor = clBtnShadow;
  bool FFrameFlat = false;
  TFrameStyle FFrameFlatStyle = fsStatus;
  TFrameStyle FFrameFocusStyle = fsLowered;
  TSides FFrameSides = sdAllSides;
  TFrameStyle FFrameStyle = fsFlat;
  bool FFrameVisible = false;
};

// Registers the frame controller with the class registry.
void RzCommonInitialize();
