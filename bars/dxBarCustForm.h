#pragma once
// The customizing dialog of the command bars: while it shows, the bars of its manager are rearranged
// by dragging; its pages list the toolbars (show, hide, new, rename, delete, reset), the commands of
// each category (as drag sources), the display options and every command with its shortcut.
#include <string>
#include <vector>

#include "Buttons.h"
#include "ComCtrls.h"
#include "ExtCtrlsPanels.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "dxBarCommon.h"

// The command bars' texts of the dialog and its editors.
constexpr int dxSBAR_WANTTODELETETOOLBAR = 39006;
constexpr int dxSBAR_WANTTODELETECATEGORY = 39007;
constexpr int dxSBAR_WANTTOCLEARCOMMANDS = 39008;
constexpr int dxSBAR_CUSTOMIZEFORMCAPTION = 39202;   // 39202..39231: the dialog's captions in form order
constexpr int dxSBAR_DIALOGOK = 39210;
constexpr int dxSBAR_DIALOGCANCEL = 39211;
constexpr int dxSBAR_NEWTOOLBARNAME = 39317;
constexpr int dxSBAR_MODIFY = 39336;
constexpr int dxSBAR_ADDCATEGORYCAPTION = 39340;
constexpr int dxSBAR_INSERTCATEGORYCAPTION = 39341;
constexpr int dxSBAR_RENAMECATEGORYCAPTION = 39342;
constexpr int dxSBAR_CATEGORYNAME = 39343;
constexpr int dxSBAR_NEWTOOLBARCAPTION = 39344;
constexpr int dxSBAR_RENAMETOOLBARCAPTION = 39345;
constexpr int dxSBAR_TOOLBARNAME = 39346;
constexpr int dxSBAR_CUSTOMIZEHELP = 39347;

class TdxBarCombo;
class TdxBarCustomizingForm;

// Registers the classes the dialog and its editors read from their form resources.
void dxBarRegisterDialogClasses();

// The toolbar list: a check box per bar for its visibility.
class TCheckListBox : public TListBox {
  YOZ_CLASS(TCheckListBox, TListBox)
public:
  explicit TCheckListBox(TComponent* AOwner);
  TdxBarManager* BarManager = nullptr;
  void DrawItem(int Index, RECT Rect, TOwnerDrawState State) override;
  void Dispatch(TMessage& Message) override;
  TdxBar* Bar(int Index) const;
  // Shows or hides the bar of the row; a bar that may not be closed only beeps.
  void Toggle(int Index);

private:
  RECT CheckRect(int Index);
};

// The commands of a category, drawn like their menu rows; a drag from a row starts the manager's
// customizing drag of that command.
class TCommandsListBox : public TListBox {
  YOZ_CLASS(TCommandsListBox, TListBox)
public:
  explicit TCommandsListBox(TComponent* AOwner);
  TdxBarManager* BarManager = nullptr;
  void CreateParams(TCreateParams& Params) override;
  void DrawItem(int Index, RECT Rect, TOwnerDrawState State) override;
  void MeasureItem(int Index, int& Height) override;
  void Dispatch(TMessage& Message) override;
  TdxBarItem* Item(int Index) const;
};

// A flat button that opens its popup menu below itself and stays pressed while the menu is open.
class TCheckableButton : public TGraphicControl {
  YOZ_CLASS(TCheckableButton, TGraphicControl)
public:
  explicit TCheckableButton(TComponent* AOwner);
  TdxBarPopupMenu* Menu = nullptr;
  bool Checked() const { return FChecked; }
  void SetButtonCaption(const std::string& Value);
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

protected:
  void Paint() override;

private:
  bool FChecked = false;
  bool FMouseIn = false;
};

class TdxBarCustomizingForm : public TForm {
  YOZ_CLASS(TdxBarCustomizingForm, TForm)
public:
  explicit TdxBarCustomizingForm(TComponent* AOwner);
  ~TdxBarCustomizingForm() override;
  void BeforeDestruction() override;

  // Components of the form resource.
  TPageControl* PageControl = nullptr;
  TTabSheet *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr, *TabSheet4 = nullptr;
  TButton* BClose = nullptr;
  TSpeedButton* BHelp = nullptr;
  TLabel *LabelToobars = nullptr, *LabelCategories = nullptr, *LabelCommands = nullptr,
         *LabelDescription = nullptr, *DescriptionLabel = nullptr, *LabelMenuAnimations = nullptr,
         *LabelMenuAnimationsEx = nullptr, *LabelPersonalized = nullptr, *LabelOther = nullptr;
  TButton *BBarNew = nullptr, *BBarRename = nullptr, *BBarDelete = nullptr, *BBarReset = nullptr,
          *BResetUsageData = nullptr;
  TPanel *BarsListBoxPlace = nullptr, *CategoriesPopupButtonPlace = nullptr, *CommandsPopupButtonPlace = nullptr,
         *LCommandsPlace = nullptr, *StandardOptionsPanel = nullptr, *EnhancedOptionsPanel = nullptr;
  TListBox *LCategories = nullptr, *LAllCommands = nullptr;
  TCheckBox *CBLargeIcons = nullptr, *CBHint1 = nullptr, *CBHint2 = nullptr, *CBMenusShowRecentItemsFirst = nullptr,
            *CBShowFullMenusAfterDelay = nullptr, *CBLargeIconsEx = nullptr, *CBHint1Ex = nullptr,
            *CBHint2Ex = nullptr, *CBShowCommandsWithShortCut = nullptr;
  TComboBox *ComboBoxMenuAnimations = nullptr, *ComboBoxMenuAnimationsEx = nullptr;
  TdxBarManager* BarManager1 = nullptr;
  TdxBarPopupMenu *CategoriesPopupMenu = nullptr, *CommandsPopupMenu = nullptr;
  TdxBarButton *CategoriesAdd = nullptr, *CategoriesInsert = nullptr, *CategoriesRename = nullptr,
               *CategoriesVisible = nullptr, *CategoriesDelete = nullptr, *CommandsAdd = nullptr,
               *CommandsDelete = nullptr, *CommandsClear = nullptr, *CommandsMoveUp = nullptr,
               *CommandsMoveDown = nullptr, *CommandsSubMenuEditor = nullptr;
  TdxBarCombo* CategoriesItemsVisible = nullptr;

  // Companion controls put in the places of their placeholders.
  TCheckListBox* BarsListBox = nullptr;
  TCommandsListBox* LCommands = nullptr;
  TCheckableButton *CategoriesPopupButton = nullptr, *CommandsPopupButton = nullptr;

  TdxBarManager* BarManager() const { return FBarManager; }
  // Made once per process by the manager entering customizing mode.
  static TdxBarCustomizingForm* Make(TdxBarManager* ABarManager);
  bool Leaving() const { return FLeaving; }
  void SetLeaving() { FLeaving = true; }

  // Other forms with a manager lose their input while the dialog shows; the forms, not their
  // handles, are remembered, so a form freed or re-made meanwhile is never touched through a stale
  // handle.
  void DisableOtherForms();
  void EnableOtherForms();

  // Refresh entry points.
  void RefreshAll();
  void RefreshBarsList();
  void RefreshBarLine(TdxBar* ABar);
  void RefreshCategories();
  void RefreshCommands();
  void RefreshAllCommands();
  void RefreshOptions();
  void RefreshHelpButton();
  void SelectItem(TdxBarItem* AItem);
  void UpdateBarButtons();

  // Event handlers of the form resource.
  void FormClose(TObject* Sender, TCloseAction& Action);
  void PageControlChange(TObject* Sender);
  void BCloseClick(TObject* Sender);
  void BHelpClick(TObject* Sender);
  void BarsListBoxClick(TObject* Sender);
  void BBarNewClick(TObject* Sender);
  void BBarRenameClick(TObject* Sender);
  void BBarDeleteClick(TObject* Sender);
  void BBarResetClick(TObject* Sender);
  void LCategoriesClick(TObject* Sender);
  void LCategoriesKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void LCategoriesMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void LCommandsClick(TObject* Sender);
  void CategoriesAddClick(TObject* Sender);
  void CategoriesInsertClick(TObject* Sender);
  void CategoriesRenameClick(TObject* Sender);
  void CategoriesVisibleClick(TObject* Sender);
  void CategoriesItemsVisibleChange(TObject* Sender);
  void CategoriesDeleteClick(TObject* Sender);
  void CategoriesPopupMenuPopup(TObject* Sender);
  void CommandsAddClick(TObject* Sender);
  void CommandsDeleteClick(TObject* Sender);
  void CommandsClearClick(TObject* Sender);
  void CommandsMoveUpClick(TObject* Sender);
  void CommandsMoveDownClick(TObject* Sender);
  void CommandsSubMenuEditorClick(TObject* Sender);
  void CommandsPopupMenuPopup(TObject* Sender);
  void OptionClick(TObject* Sender);
  void ComboBoxMenuAnimationsClick(TObject* Sender);
  void BResetUsageDataClick(TObject* Sender);
  void LAllCommandsDrawItem(TWinControl* Control, int Index, RECT Rect, TOwnerDrawState State);
  void CBShowCommandsWithShortCutClick(TObject* Sender);

  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  static void Publish(TPublisher<TdxBarCustomizingForm>& p);

private:
  void Setup(TdxBarManager* ABarManager);
  void ApplyCaptions();
  TdxBar* SelectedBar();
  TdxBarItem* SelectedItem();
  void DeleteCommandRow(int Index);
  void MoveCommand(int Delta);
  // Category name through the name editor; Mode 0 add, 1 insert, 2 rename.
  void EditCategory(int Mode);

  TdxBarManager* FBarManager = nullptr;
  std::vector<TCustomForm*> FDisabledForms;
  int FColumnWidths[3] = {};
  bool FBusy = false;
  bool FLeaving = false;
  bool FUpdatingOptions = false;
};

// The dialog of the process, nullptr when none is open.
extern TdxBarCustomizingForm* dxBarCustomizingForm;
