// JPEG pictures (baseline and progressive JFIF), decoded with libjpeg into a 24-bit bitmap the first
// time they are drawn. The compressed data is kept as read, so saving writes back the same bytes.
#pragma once

#include <string>

#include "Graphics.h"

class TJPEGImage : public TGraphic {
  YOZ_CLASS(TJPEGImage, TGraphic)
public:
  TJPEGImage() = default;
  ~TJPEGImage() override;

  bool Empty() override { return FData.empty(); }
  int32_t Width() override { return FWidth; }
  int32_t Height() override { return FHeight; }
  // A JPEG's size is that of its data: EInvalidGraphic.
  void SetWidth(int32_t value) override;
  void SetHeight(int32_t value) override;
  bool Grayscale() const { return FGrayscale; }

  // The rest of the stream is the JPEG data; its header is checked at once (EInvalidGraphic
  // "JPEG error #n" for data that is not a JPEG).
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void Assign(TPersistent* source) override;

  // Decodes the picture now (EInvalidGraphic for damaged data).
  void DIBNeeded();
  void Draw(TCanvas* canvas, const RECT& r) override;

protected:
  // A bitmap receives the decoded picture.
  void AssignTo(TPersistent* dest) override;

private:
  void FreeBitmap();

  std::string FData;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  bool FGrayscale = false;
  TBitmap* FBitmap = nullptr;
};
