#pragma once
// The name editor of the customizing dialog: one line for a toolbar or category name.
#include <string>

#include "Forms.h"
#include "StdCtrls.h"

class TdxBarNameEd : public TForm {
  YOZ_CLASS(TdxBarNameEd, TForm)
public:
  explicit TdxBarNameEd(TComponent* AOwner) : TForm(AOwner) {}
  TLabel* LName = nullptr;
  TEdit* EName = nullptr;
  TButton *BOK = nullptr, *BCancel = nullptr;
  void ENameChange(TObject* Sender);
  void Loaded() override;
  static void Publish(TPublisher<TdxBarNameEd>& p);
};

// Asks for a name: ACategory picks the category captions (AMode 0 add, 1 insert, 2 rename), else the
// toolbar ones (0 new, 1 rename). True with the edited name when closed with OK; OK stays disabled
// while the name is empty or blank.
bool dxBarEditName(std::string& AName, bool ACategory, int AMode);
