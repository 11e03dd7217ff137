// Image lists over comctl32: a row of same-sized images with masks, drawn by index.
//
// Form resources store the images as the binary property "Bitmap":
//   int32 Width, int32 Height, int32 Count (little-endian), then, when Count > 0, a BMP file of
//   Count * Width x Height pixels holding the images left to right. In a 32-bit BMP the alpha byte
//   marks transparency (0 transparent, anything else opaque; a strip whose alpha bytes are all 0 is
//   taken as wholly opaque). Other BMP depths are wholly opaque.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "Classes.h"
#include "Graphics.h"

class TCustomImageList;

// Tells its owner when the image list it is registered with changes.
class TChangeLink : public TObject {
  YOZ_CLASS(TChangeLink, TObject)
public:
  TChangeLink() = default;
  // Unregisters from the list it watches.
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return FSender; }
  void SetSender(TCustomImageList* value) { FSender = value; }
  virtual void Change();

  TNotifyEvent OnChange;

private:
  TCustomImageList* FSender = nullptr;
};

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent {
  YOZ_CLASS(TCustomImageList, TComponent)
public:
  explicit TCustomImageList(TComponent* AOwner);
  TCustomImageList(TComponent* AOwner, int32_t AWidth, int32_t AHeight);
  ~TCustomImageList() override;

  // The comctl32 list, made on demand.
  HIMAGELIST Handle();
  // Takes over a list (its image size becomes the list's); freed with this object unless
  // ShareImages is set.
  void SetHandle(HIMAGELIST value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  int32_t Width() const { return FWidth; }
  // A new size empties the list.
  void SetWidth(int32_t value);
  int32_t Height() const { return FHeight; }
  void SetHeight(int32_t value);
  int32_t AllocBy() const { return FAllocBy; }
  void SetAllocBy(int32_t value) { FAllocBy = value > 0 ? value : 1; }
  int32_t Count();
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor value);
  TColor BlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor value);
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle value);
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType value);
  bool Masked() const { return FMasked; }
  void SetMasked(bool value);
  bool ShareImages() const { return FShareImages; }
  void SetShareImages(bool value) { FShareImages = value; }

  // A bitmap wider than Width adds one image per Width pixels. Returns the first new index;
  // EInvalidOperation when nothing could be added.
  int Add(TBitmap* image, TBitmap* mask);
  // The pixels of maskColor (clDefault: the bitmap's transparent colour) become transparent; the
  // caller's bitmap is left as it was.
  int AddMasked(TBitmap* image, TColor maskColor);
  int AddIcon(TIcon* image);
  // EInvalidOperation "Invalid ImageList Index" outside 0..Count-1.
  void Delete(int index);
  void Clear();

  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  // The image on a white bitmap of the list's size.
  void GetBitmap(int index, TBitmap* image);
  // An index outside the list gives an empty icon.
  void GetIcon(int index, TIcon* image);

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void RegisterChanges(TChangeLink* value);
  void UnRegisterChanges(TChangeLink* value);

  // Copies size, colours, style and images of another list.
  void Assign(TPersistent* source) override;
  void DefineProperties(TFiler* filer) override;
  void ReadData(TStream* stream);
  void WriteData(TStream* stream);

  TNotifyEvent OnChange;

protected:
  virtual void Change();
  virtual void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled);

private:
  void HandleNeeded();
  void FreeHandle();
  // A new list of the current size and flags, with the old one's images when keepImages is set.
  void Recreate(bool keepImages);
  // After a new width or height: resizes the list (emptying it) and reports the change.
  void SizeChanged();

  HIMAGELIST FHandle = nullptr;
  int32_t FWidth = 16;
  int32_t FHeight = 16;
  int32_t FAllocBy = 4;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TDrawingStyle FDrawingStyle = dsNormal;
  TImageType FImageType = itImage;
  bool FMasked = true;
  bool FShareImages = false;
  int FUpdateCount = 0;
  bool FChanged = false;
  // Freed and cleared by the destructor before the base class tells free-notification partners, who
  // may still unregister their links then.
  std::vector<TChangeLink*>* FClients;
};

class TImageList : public TCustomImageList {
  YOZ_CLASS(TImageList, TCustomImageList)
public:
  using TCustomImageList::TCustomImageList;
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
  static void Publish(TPublisher<TImageList>& p);
};

// Makes TImageList known to the form reader.
void RegisterImgListClasses();
