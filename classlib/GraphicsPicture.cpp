#include "Graphics.h"

#include "Jpeg.h"

// ---------------------------------------------------------------------------------------------------
// Picture

namespace {

struct FileFormat {
  std::string Extension;  // lower case, no dot
  std::string ClassName;
  TGraphicClass Factory;
};

std::vector<FileFormat>& FileFormats() {
  static std::vector<FileFormat> formats = {
      {"bmp", "TBitmap", [] { return static_cast<TGraphic*>(new TBitmap); }},
      {"ico", "TIcon", [] { return static_cast<TGraphic*>(new TIcon); }},
      {"jpg", "TJPEGImage", [] { return static_cast<TGraphic*>(new TJPEGImage); }},
      {"jpeg", "TJPEGImage", [] { return static_cast<TGraphic*>(new TJPEGImage); }},
  };
  return formats;
}

const FileFormat* FormatOfClass(const std::string& className) {
  for (const auto& f : FileFormats())
    if (SameText(f.ClassName, className)) return &f;
  return nullptr;
}

}  // namespace

TPicture::~TPicture() { delete FGraphic; }

void TPicture::Changed(TObject*) { OnChange(this); }

void TPicture::TakeGraphic(TGraphic* graphic) {
  delete FGraphic;
  FGraphic = graphic;
  if (FGraphic) FGraphic->OnChange = Bind(this, &TPicture::Changed);
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* value) {
  if (value == FGraphic) return;
  if (!value) {
    TakeGraphic(nullptr);
    return;
  }
  const FileFormat* f = FormatOfClass(value->ClassName());
  if (!f) throw EInvalidGraphic("Unknown picture format " + value->ClassName());
  std::unique_ptr<TGraphic> copy(f->Factory());
  copy->Assign(value);
  TakeGraphic(copy.release());
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic)) TakeGraphic(new TBitmap);
  return static_cast<TBitmap*>(FGraphic);
}

TIcon* TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(FGraphic)) TakeGraphic(new TIcon);
  return static_cast<TIcon*>(FGraphic);
}

int32_t TPicture::Width() const { return FGraphic ? FGraphic->Width() : 0; }
int32_t TPicture::Height() const { return FGraphic ? FGraphic->Height() : 0; }

void TPicture::LoadFromFile(const std::string& fileName) {
  std::string ext = LowerCase(ExtractFileExt(fileName));
  if (!ext.empty()) ext.erase(0, 1);
  const FileFormat* format = nullptr;
  for (const auto& f : FileFormats())
    if (f.Extension == ext) format = &f;
  if (!format) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  std::unique_ptr<TGraphic> g(format->Factory());
  g->LoadFromFile(fileName);
  TakeGraphic(g.release());
}

void TPicture::SaveToFile(const std::string& fileName) {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::Assign(TPersistent* source) {
  if (!source)
    SetGraphic(nullptr);
  else if (auto* p = dynamic_cast<TPicture*>(source))
    SetGraphic(p->FGraphic);
  else if (auto* g = dynamic_cast<TGraphic*>(source))
    SetGraphic(g);
  else
    TPersistent::Assign(source);
}

void TPicture::ReadData(TStream* stream) {
  uint8_t len = 0;
  stream->ReadBuffer(&len, 1);
  std::string name(len, '\0');
  if (len) stream->ReadBuffer(name.data(), len);
  if (name.empty()) {
    TakeGraphic(nullptr);
    return;
  }
  const FileFormat* f = FormatOfClass(name);
  if (!f) throw EInvalidGraphic("Unknown picture format " + name);
  std::unique_ptr<TGraphic> g(f->Factory());
  g->LoadFromStream(stream);
  TakeGraphic(g.release());
}

void TPicture::WriteData(TStream* stream) {
  std::string name = FGraphic ? FGraphic->ClassName() : std::string();
  uint8_t len = uint8_t(std::min<size_t>(name.size(), 255));
  stream->WriteBuffer(&len, 1);
  stream->WriteBuffer(name.data(), len);
  if (FGraphic) FGraphic->SaveToStream(stream);
}

void TPicture::DefineProperties(TFiler* filer) {
  filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); },
      FGraphic != nullptr && !FGraphic->Empty());
}
