// The name editor.
#include "dxBarNameEd.h"

#include "dxBarCustForm.h"

void TdxBarNameEd::Publish(TPublisher<TdxBarNameEd>& p) { p.Method("ENameChange", &TdxBarNameEd::ENameChange); }

void TdxBarNameEd::Loaded() {
  LName = dynamic_cast<TLabel*>(FindComponent("LName"));
  EName = dynamic_cast<TEdit*>(FindComponent("EName"));
  BOK = dynamic_cast<TButton*>(FindComponent("BOK"));
  BCancel = dynamic_cast<TButton*>(FindComponent("BCancel"));
  if (!LName || !EName || !BOK || !BCancel) throw EComponentError("dxBarNameEd: a component is missing");
  TForm::Loaded();
}

// A name of blanks only names nothing a user can find again: refused like an empty one.
void TdxBarNameEd::ENameChange(TObject*) {
  BOK->SetEnabled(EName->Text().find_first_not_of(" \t") != std::string::npos);
}

bool dxBarEditName(std::string& AName, bool ACategory, int AMode) {
  static const int CategoryCaptions[] = {dxSBAR_ADDCATEGORYCAPTION, dxSBAR_INSERTCATEGORYCAPTION,
                                         dxSBAR_RENAMECATEGORYCAPTION};
  static const int ToolbarCaptions[] = {dxSBAR_NEWTOOLBARCAPTION, dxSBAR_RENAMETOOLBARCAPTION};
  auto* f = NewForm<TdxBarNameEd>(nullptr);
  struct TFree {
    TdxBarNameEd* F;
    ~TFree() { TObject::Free(F); }
  } scope{f};
  if (dxBarCustomizingForm) f->SetFont(dxBarCustomizingForm->Font());
  if (ACategory) {
    f->SetCaption(dxBarResStr(CategoryCaptions[AMode >= 0 && AMode <= 2 ? AMode : 0]));
    f->LName->SetCaption(dxBarResStr(dxSBAR_CATEGORYNAME));
  } else {
    f->SetCaption(dxBarResStr(ToolbarCaptions[AMode == 1 ? 1 : 0]));
    f->LName->SetCaption(dxBarResStr(dxSBAR_TOOLBARNAME));
  }
  f->BOK->SetCaption(dxBarResStr(dxSBAR_DIALOGOK));
  f->BCancel->SetCaption(dxBarResStr(dxSBAR_DIALOGCANCEL));
  f->EName->SetText(AName);
  f->ENameChange(nullptr);
  f->SetActiveControl(f->EName);
  if (f->ShowModal() != mrOk) return false;
  AName = f->EName->Text();
  return true;
}
