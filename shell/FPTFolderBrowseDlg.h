// The folder-browse dialog: a component that runs a modal, resizable form holding a shell tree, lets
// the user pick a folder (and create or delete folders) and hands back the chosen folder as a PIDL
// and as a path. It remembers the chosen folder, the form's size and its window state between runs.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>

#include "Buttons.h"
#include "ExtCtrls.h"
#include "ExtCtrlsPanels.h"
#include "FPTOpenDlg.h"
#include "StdCtrls.h"
#include "UPTFrame.h"
#include "UPTShellTree.h"

enum TPTFolderBrowseDlgOption : uint8_t {
  ptfbCreateDeleteButtons,
  ptfbContextMenus,
  ptfbReadOnly,
  ptfbIncludeNonFolders,
  ptfbOleDrag,
  ptfbOleDrop,
  ptfbCreateFolderIcon,
  ptfbDeleteFolderIcon,
  ptfbVirtualFolders,
  ptfbShowHidden
};
using TPTFolderBrowseDlgOptions = TSet<TPTFolderBrowseDlgOption>;
extern const TEnumInfo PTFolderBrowseDlgOptionNames;
constexpr TPTFolderBrowseDlgOptions PTFolderBrowseDlgDefaultOptions = TPTFolderBrowseDlgOptions::FromBits(706);

// Sender and the new selection's absolute PIDL (valid only during the call).
using TPTFolderBrowseSelChangeEvent = TEvent<TObject*, PCIDLIST_ABSOLUTE>;

class TPTFrmFolderBrowseDlg : public TForm {
  YOZ_CLASS(TPTFrmFolderBrowseDlg, TForm)
public:
  explicit TPTFrmFolderBrowseDlg(TComponent* AOwner);

  TPTShellTree* PTShellTree1 = nullptr;
  TPanel* ButtonPanel = nullptr;
  TButton* OkBtn = nullptr;
  TButton* CancelBtn = nullptr;
  TButton* CreateBtn = nullptr;
  TButton* DeleteBtn = nullptr;
  TSpeedButton* CreateNewFolderBtn = nullptr;
  TSpeedButton* DeleteFolderBtn = nullptr;
  TPTFrame* StatusTxt = nullptr;

  TNotifyEvent OnFormShow;
  TNotifyEvent OnFormClose;
  TPTFolderBrowseSelChangeEvent OnSelChange;

  virtual void ApplyOptions(TPTFolderBrowseDlgOptions Options);
  TPTFolderBrowseDlgOptions Options() const { return FOptions; }
  HWND SizeGrip() const { return FSizeGrip; }

  void FormCreate(TObject* Sender);
  void FormResize(TObject* Sender);
  void PTShellTree1Change(TObject* Sender, TTreeNode* Node);
  void PTShellTree1AddItem(TObject* Sender, IShellFolder* Folder, PCIDLIST_ABSOLUTE FolderPidl, PCUITEMID_CHILD Item,
                           int Attributes, BOOL& Allow);
  void CreateBtnClick(TObject* Sender);
  void DeleteBtnClick(TObject* Sender);

  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  static void Publish(TPublisher<TPTFrmFolderBrowseDlg>& p);

protected:
  void CreateWnd() override;
  void DoShow() override;
  void DoHide() override;
  virtual void LoadCaptions();

private:
  bool FAutoFillDeferred = false;
  HWND FSizeGrip = nullptr;
  TPTFolderBrowseDlgOptions FOptions;
};

class TPTCustomFolderBrowseDlg : public TPTDialog {
  YOZ_CLASS(TPTCustomFolderBrowseDlg, TPTDialog)
public:
  explicit TPTCustomFolderBrowseDlg(TComponent* AOwner);
  ~TPTCustomFolderBrowseDlg() override;

  TPTShellLocator* BaseFolder() const { return FBaseFolder; }
  void SetBaseFolder(TPTShellLocator* Value) { FBaseFolder->Assign(Value); }
  TPTShellLocator* SelectedFolder() const { return FSelectedFolder; }
  // The chosen folder's file-system path; '' for a virtual folder.
  std::string SelectedPath();
  // The form while Execute runs, else nil.
  TPTFrmFolderBrowseDlg* ActiveForm() const { return FActiveForm; }

  TPTFolderBrowseDlgOptions Options = PTFolderBrowseDlgDefaultOptions;
  std::string StatusText;
  TPTShAddItemEvent OnAddItem;
  TPTFolderBrowseSelChangeEvent OnSelChange;
  TPTShTvCustomDrawEvent OnTvCustomDrawSh;
  TPTShTvCustomDrawEvent OnTvCustomDrawShEx;

protected:
  bool DoExecute() override;
  virtual TPTFrmFolderBrowseDlg* CreateForm();
  virtual void InitForm(TPTFrmFolderBrowseDlg* Form);
  virtual void UpdateFromForm(TPTFrmFolderBrowseDlg* Form);

private:
  TPTFrmFolderBrowseDlg* FActiveForm = nullptr;
  TPTShellLocator* FBaseFolder;
  TPTShellLocator* FSelectedFolder;
};

class TPTFolderBrowseDlg : public TPTCustomFolderBrowseDlg {
  YOZ_CLASS(TPTFolderBrowseDlg, TPTCustomFolderBrowseDlg)
public:
  explicit TPTFolderBrowseDlg(TComponent* AOwner) : TPTCustomFolderBrowseDlg(AOwner) {}
  static void Publish(TPublisher<TPTFolderBrowseDlg>& p);
};

// Makes the dialog and its form known to the form reader.
void FPTFolderBrowseDlgInitialize();
