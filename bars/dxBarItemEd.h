#pragma once
// The dialog that adds a command item of a registered class to a manager.
#include <string>

#include "Forms.h"
#include "StdCtrls.h"
#include "dxBarCommon.h"

class TdxBarItemAddEditor : public TForm {
  YOZ_CLASS(TdxBarItemAddEditor, TForm)
public:
  explicit TdxBarItemAddEditor(TComponent* AOwner) : TForm(AOwner) {}
  TComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr;
  TEdit *Edit1 = nullptr, *Edit2 = nullptr;
  TButton *BOk = nullptr, *BCancel = nullptr;
  TdxBarManager* BarManager = nullptr;
  TdxBarItem* CreatedItem = nullptr;
  void ComboBox1Click(TObject* Sender);
  void BOkClick(TObject* Sender);
  void Loaded() override;
  static void Publish(TPublisher<TdxBarItemAddEditor>& p);
};

// The name proposed for a new item of the class: its name without the leading letter, followed by the
// first number from 1 that no item of the manager has (case ignored).
std::string dxBarProposeItemName(TdxBarManager* ABarManager, TClass AItemClass);
// Asks for class, category, name and caption; the item made by OK, nullptr when cancelled.
TdxBarItem* dxBarItemAddEditor(TdxBarManager* ABarManager, int ACategory);
