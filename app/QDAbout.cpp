// The about box.
#include "QDAbout.h"

#include "FormFields.h"
#include "Jpeg.h"
#include "yOZMaker.h"

void TfrmAbout::Loaded() {
  FindField(this, Panel1, "Panel1");
  FindField(this, Panel2, "Panel2");
  FindField(this, Image1, "Image1");
  FindField(this, Image2, "Image2");
  FindField(this, lblProduct, "lblProduct");
  FindField(this, lblVersion, "lblVersion");
  FindField(this, lblSoftwareVersion, "lblSoftwareVersion");
  FindField(this, lblWebsite, "lblWebsite");
  FindField(this, OvcURLMain, "OvcURLMain");
  FindField(this, lblEmail, "lblEmail");
  FindField(this, lblSoftwareEmail, "lblSoftwareEmail");
  FindField(this, lblQDSoftware, "lblQDSoftware");
  FindField(this, Bevel1, "Bevel1");
  FindField(this, btnOk, "btnOk");
  TForm::Loaded();
  // The link shows the site's address without its scheme.
  const std::string site = MakerWebsite;
  OvcURLMain->SetURL(site);
  OvcURLMain->SetCaption(site.substr(site.find("//") + 2));
  // The two pictures are drawn at build time and travel as resources of the program.
  HINSTANCE self = GetModuleHandleA(nullptr);
  if (FindResourceA(self, "ABOUTPICTURE", RT_BITMAP))
    Image1->Picture()->Bitmap()->LoadFromResourceName(self, "ABOUTPICTURE");
  if (FindResourceA(self, "MAKERLOGO", RT_RCDATA)) {
    TJPEGImage logo;
    logo.LoadFromResourceName(self, "MAKERLOGO");
    Image2->Picture()->SetGraphic(&logo);
  }
}

int TfrmAbout::ShowAbout(const std::string& Product, const std::string& Version, const std::string& Email) {
  lblProduct->SetCaption(Product);
  lblSoftwareVersion->SetCaption(Version);
  lblSoftwareEmail->SetCaption(Email);
  return ShowModal();
}

void ShowAboutBox(const std::string& Product, const std::string& Version, const std::string& Email) {
  TfrmAbout* form = NewForm<TfrmAbout>(nullptr);
  TScopeExit free([form] { TObject::Free(form); });
  form->ShowAbout(Product, Version, Email);
}
