#pragma once
// The administrators' list dialogs (departments, statuses): a shared list of names, added to,
// renamed and deleted. A descendant finds its list and entry fields and names its store's calls.
#include <string>

#include "ActnList.h"
#include "Forms.h"
#include "StdCtrls.h"

// The store's side of a list dialog: the calls of the department or the status store.
struct TListStore {
  void (*CreateFile)();
  void (*FillList)(TStrings* Names);
  std::string (*ReadEntry)(int Key);
  void (*AddEntry)(const std::string& Name);
  void (*ReplaceEntry)(const std::string& OldName, const std::string& NewName);
  void (*DeleteEntry)(int Key);
  // Whether the entry of that name may be renamed or deleted; null: every entry may.
  bool (*MayChange)(const std::string& Name);
};

class TfrmListAdmin : public TForm {
  YOZ_CLASS(TfrmListAdmin, TForm)
public:
  TEdit* txtSelectedItem = nullptr;  // hidden: the name of the entry clicked
  TActionList* ActionList = nullptr;
  TAction *actAdd = nullptr, *actDelete = nullptr, *actUpdate = nullptr;
  TButton *btnAdd = nullptr, *btnUpdate = nullptr, *btnDelete = nullptr, *btnClose = nullptr, *btnHelp = nullptr;

  void FormShow(TObject* Sender);
  void btnCloseClick(TObject* Sender);
  void actAddExecute(TObject* Sender);
  void actAddUpdate(TObject* Sender);
  void actDeleteExecute(TObject* Sender);
  void actDeleteUpdate(TObject* Sender);
  void actUpdateExecute(TObject* Sender);
  void actUpdateUpdate(TObject* Sender);
  void ListClick(TObject* Sender);
  void btnHelpClick(TObject* Sender);

  void Loaded() override;
  static void Publish(TPublisher<TfrmListAdmin>& p);

protected:
  // Entry names "Department" or "Status" (the delete question), the help topic, the store's calls.
  TfrmListAdmin(TComponent* AOwner, const char* AEntryWord, const char* AHelpTopic, const TListStore& AStore)
      : TForm(AOwner), FEntryWord(AEntryWord), FHelpTopic(AHelpTopic), FStore(AStore) {}

  // The descendant's list and entry fields, found in its Loaded before this class's.
  TListBox* FList = nullptr;
  TEdit* FEntry = nullptr;

private:
  const char* FEntryWord;
  const char* FHelpTopic;
  const TListStore& FStore;
  void Refill();
  bool ChangeableSelected();
};
