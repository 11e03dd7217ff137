#pragma once
// The about box: product, version, the maker's web site (a link the shell opens) and e-mail address.
#include <string>

#include "ExtCtrlsPanels.h"
#include "Forms.h"
#include "OvcURL.h"
#include "StdCtrls.h"

class TfrmAbout : public TForm {
  YOZ_CLASS(TfrmAbout, TForm)
public:
  explicit TfrmAbout(TComponent* AOwner) : TForm(AOwner) {}

  TPanel *Panel1 = nullptr, *Panel2 = nullptr;
  TImage *Image1 = nullptr, *Image2 = nullptr;
  TLabel *lblProduct = nullptr, *lblVersion = nullptr, *lblSoftwareVersion = nullptr, *lblWebsite = nullptr,
         *lblEmail = nullptr, *lblSoftwareEmail = nullptr, *lblQDSoftware = nullptr;
  TOvcURL* OvcURLMain = nullptr;
  TBevel* Bevel1 = nullptr;
  TButton* btnOk = nullptr;

  // Fills in the product, version and e-mail texts and shows the box modally.
  int ShowAbout(const std::string& Product, const std::string& Version, const std::string& Email);

  void Loaded() override;
};

// Makes the about box, shows it with these texts and frees it.
void ShowAboutBox(const std::string& Product, const std::string& Version, const std::string& Email);
