// A label that draws its caption turned by any angle, raised, lowered or outlined, with a shadow,
// extrusion or fading depth, optionally filled with a tiled bitmap. The text stays centred in the
// label whatever the angle. Every label paints on one shared off-screen bitmap and copies the result.
#pragma once

#include <windows.h>

#include <cstdint>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"

enum TdxfLabelStyle : uint8_t { dxfNormal, dxfRaised, dxfLowered, dxfOutLine };
enum TdxfEffectStyle : uint8_t { dxfFun, dxfExtrude, dxfCool };
enum TdxfOrientation : uint8_t {
  dxfLeft, dxfRight, dxfTop, dxfBottom, dxfLeftTop, dxfLeftBottom, dxfRightTop, dxfRightBottom
};
extern const TEnumInfo dxfLabelStyleNames;
extern const TEnumInfo dxfEffectStyleNames;
extern const TEnumInfo dxfOrientationNames;

// The depth effect of a label: Depth copies (or one, for dxfCool) of the caption in ShadowedColor,
// offset toward Orientation. Depth 0 switches it off.
class Tdxf3DEffect : public TPersistent {
  YOZ_CLASS(Tdxf3DEffect, TPersistent)
public:
  explicit Tdxf3DEffect(TControl* AOwner) : FOwner(AOwner) {}

  TdxfEffectStyle Style() const { return FStyle; }
  void SetStyle(TdxfEffectStyle Value);
  TdxfOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TdxfOrientation Value);
  uint16_t Depth() const { return FDepth; }
  void SetDepth(uint16_t Value);
  TColor ShadowedColor() const { return FShadowedColor; }
  void SetShadowedColor(TColor Value);

  // Another effect's values are copied; the owner stays.
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override { return FOwner; }
  static void Publish(TPublisher<Tdxf3DEffect>& p);

private:
  void Changed();
  TControl* FOwner;
  TdxfEffectStyle FStyle = dxfCool;
  TdxfOrientation FOrientation = dxfRightBottom;
  uint16_t FDepth = 0;
  TColor FShadowedColor = clGray;
};

class TdxfLabel : public TCustomLabel {
  YOZ_CLASS(TdxfLabel, TCustomLabel)
public:
  explicit TdxfLabel(TComponent* AOwner);
  ~TdxfLabel() override;

  TdxfLabelStyle Style() const { return FStyle; }
  void SetStyle(TdxfLabelStyle Value);
  // Degrees counter-clockwise, 0 to 360; other values are ignored. Only TrueType fonts turn: a
  // non-zero angle with another font is refused with a message (checked once a form has loaded).
  int Angle() const { return FAngle; }
  void SetAngle(int Value);
  Tdxf3DEffect* Effect3D() const { return FEffect3D; }
  TBitmap* Glyph() const { return FGlyph; }
  void SetGlyph(TBitmap* Value);
  int PenWidth() const { return FPenWidth; }
  void SetPenWidth(int Value);

  // Where the caption's top-left corner goes so that the turned text is centred (exposed for tests).
  POINT TextOrigin(int TextWidth, int TextHeight) const;

  void Loaded() override;
  static void Publish(TPublisher<TdxfLabel>& p);

protected:
  void Paint() override;

private:
  void RefuseAngle();
  // The steps of Paint, on the work bitmap's canvas C with the caption's top-left corner at O.
  void PaintEffect(TCanvas* C, const std::string& Text, POINT O);
  void PaintFace(TCanvas* C, const std::string& Text, POINT O, bool TrueType, bool UseGlyph);
  void PaintOutline(TCanvas* C, const std::string& Text, POINT O, TColor Colour);
  void PaintGlyph(TCanvas* C, const std::string& Text, POINT O);
  TdxfLabelStyle FStyle = dxfNormal;
  int FAngle = 0;
  Tdxf3DEffect* FEffect3D;
  TBitmap* FGlyph;
  int FPenWidth = 1;
};

// The off-screen bitmap all labels paint on (made when first needed; it only grows).
TBitmap* dxfWorkBitmap();

// Does the font draw as TrueType? Measured on a memory context; tests may answer instead.
extern bool (*dxfIsTrueType)(TFont* Font);

// Registers the label with the class registry; the finalisation frees the work bitmap.
void dxfLabelInitialize();
void dxfLabelFinalize();
