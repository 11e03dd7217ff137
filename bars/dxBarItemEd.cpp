// The item add editor.
#include "dxBarItemEd.h"

#include "dxBarCustForm.h"
#include "dxBarItems.h"
#include "dxBarManager.h"

void TdxBarItemAddEditor::Publish(TPublisher<TdxBarItemAddEditor>& p) {
  p.Method("ComboBox1Click", &TdxBarItemAddEditor::ComboBox1Click);
  p.Method("BOkClick", &TdxBarItemAddEditor::BOkClick);
}

void TdxBarItemAddEditor::Loaded() {
  ComboBox1 = dynamic_cast<TComboBox*>(FindComponent("ComboBox1"));
  ComboBox2 = dynamic_cast<TComboBox*>(FindComponent("ComboBox2"));
  Edit1 = dynamic_cast<TEdit*>(FindComponent("Edit1"));
  Edit2 = dynamic_cast<TEdit*>(FindComponent("Edit2"));
  BOk = dynamic_cast<TButton*>(FindComponent("BOk"));
  BCancel = dynamic_cast<TButton*>(FindComponent("BCancel"));
  if (!ComboBox1 || !ComboBox2 || !Edit1 || !Edit2 || !BOk || !BCancel)
    throw EComponentError("dxBarItemAddEditor: a component is missing");
  TForm::Loaded();
}

std::string dxBarProposeItemName(TdxBarManager* ABarManager, TClass AItemClass) {
  std::string base = std::string(AItemClass->Name).substr(1);
  for (int n = 1;; ++n) {
    std::string name = base + std::to_string(n);
    bool used = false;
    for (int i = 0; i < ABarManager->ItemCount() && !used; ++i)
      used = SameText(ABarManager->Items(i)->Name(), name);
    if (!used) return name;
  }
}

void TdxBarItemAddEditor::ComboBox1Click(TObject*) {
  int i = ComboBox1->ItemIndex();
  if (i < 0 || !BarManager) return;
  Edit1->SetText(dxBarProposeItemName(BarManager, dxBarItemClass(i)));
}

// A name the class library refuses (not an identifier, or taken) is told in a message box and the
// dialog stays open for another; nothing half-made is left behind.
void TdxBarItemAddEditor::BOkClick(TObject*) {
  TClass cls = dxBarItemClass(ComboBox1->ItemIndex());
  TComponent* owner = BarManager ? BarManager->Owner() : nullptr;
  if (!cls || !cls->Create || !owner) return;
  auto* item = dynamic_cast<TdxBarItem*>(cls->Create(owner));
  if (!item) return;
  try {
    item->SetName(Edit1->Text());
  } catch (const Exception& e) {
    TObject::Free(item);
    SetModalResult(mrNone);
    Application->MessageBox(e.Message, Application->Title(), MB_OK | MB_ICONERROR);
    Edit1->SetFocus();
    return;
  }
  item->SetCategory(ComboBox2->ItemIndex());
  item->SetCaption(Edit2->Text());
  dxBarDesignerModified(BarManager);
  CreatedItem = item;
  SetModalResult(mrOk);
}

TdxBarItem* dxBarItemAddEditor(TdxBarManager* ABarManager, int ACategory) {
  dxBarRegisterDialogClasses();
  auto* f = NewForm<TdxBarItemAddEditor>(nullptr);
  struct TFree {
    TdxBarItemAddEditor* F;
    ~TFree() { TObject::Free(F); }
  } scope{f};
  f->BarManager = ABarManager;
  TdxBarManagerCategories* c = ABarManager->Categories();
  for (int i = 0; i < c->Count(); ++i) f->ComboBox2->Items()->Add(c->Strings(i));
  f->ComboBox2->SetItemIndex(ACategory >= 0 && ACategory < c->Count() ? ACategory : 0);
  for (int i = 0; i < dxBarListedItemClassCount(); ++i) f->ComboBox1->Items()->Add(dxBarItemClass(i)->Name);
  f->ComboBox1->SetItemIndex(0);
  f->ComboBox1Click(nullptr);
  if (f->ShowModal() != mrOk) return nullptr;
  return f->CreatedItem;
}
