#pragma once
// Command bars: the manager of a form (items, categories, bars, style, storage, the owner form's
// messages), the list of managers, the hint window and the popup-menu links of ordinary controls.

#include <cstdint>
#include <string>
#include <vector>

#include "ActnList.h"
#include "Classes.h"
#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "ImgList.h"
#include "dxBarCommon.h"

// ---------------------------------------------------------------------------------------------------
// Manager


// Every manager of the process.
class TdxBarManagerList : public TObject {
  YOZ_CLASS(TdxBarManagerList, TObject)
public:
  int Count() const { return int(FList.size()); }
  TdxBarManager* Items(int Index) const;     // nullptr outside 0..Count-1
  TdxBarManager* CustomizingBarManager() const;
  void Add(TdxBarManager* AManager);
  void Remove(TdxBarManager* AManager);

private:
  std::vector<TdxBarManager*> FList;
};
TdxBarManagerList* dxBarManagerList();

// The category names; each carries visibility settings stored as Categories.ItemsVisibles and
// Categories.Visibles.
class TdxBarManagerCategories : public TStringList {
  YOZ_CLASS(TdxBarManagerCategories, TStringList)
public:
  explicit TdxBarManagerCategories(TdxBarManager* ABarManager) : FBarManager(ABarManager) { OwnsObjects = true; }
  void DefineProperties(TFiler* Filer) override;
  TdxBarManager* BarManager() const { return FBarManager; }
  // These keep the items' Category indexes in step with the names.
  void Delete(int Index) override;
  void Insert(int Index, const std::string& S) override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;

private:
  TdxBarManager* FBarManager;
  bool FMoving = false;
};

struct TdxBarCategoryRecord : public TObject {
  uint8_t ItemsVisible = ivAlways;
  uint8_t LoadedItemsVisible = ivAlways;
  bool Visible = true;
};

class TdxBarManager : public TComponent {
  YOZ_CLASS(TdxBarManager, TComponent)
public:
  explicit TdxBarManager(TComponent* AOwner);
  ~TdxBarManager() override;
  void BeforeDestruction() override;

  // Published properties.
  bool AllowCallFromAnotherForm() const { return FAllowCallFromAnotherForm; }
  void SetAllowCallFromAnotherForm(bool Value) { FAllowCallFromAnotherForm = Value; }
  bool AllowReset() const { return FAllowReset; }
  void SetAllowReset(bool Value) { FAllowReset = Value; }
  bool AlwaysMerge() const { return FAlwaysMerge; }
  void SetAlwaysMerge(bool Value) { FAlwaysMerge = Value; }
  bool AlwaysSaveText() const { return FAlwaysSaveText; }
  void SetAlwaysSaveText(bool Value) { FAlwaysSaveText = Value; }
  bool AutoDockColor() const { return FAutoDockColor; }
  void SetAutoDockColor(bool Value);
  bool AutoHideEmptyBars() const { return FAutoHideEmptyBars; }
  void SetAutoHideEmptyBars(bool Value);
  bool Scaled() const { return FScaled; }
  void SetScaled(bool Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TdxBars* Bars() const { return FBars; }
  void SetBars(TdxBars* Value);
  int32_t ButtonArrowWidth() const { return FButtonArrowWidth; }
  void SetButtonArrowWidth(int32_t Value);
  bool CanCustomize() const { return FCanCustomize; }
  void SetCanCustomize(bool Value) { FCanCustomize = Value; }
  TdxBarManagerCategories* Categories() const { return FCategories; }
  void SetCategories(TStrings* Value) { FCategories->Assign(Value); }
  TColor DockColor() const;
  void SetDockColor(TColor Value);
  bool FlatCloseButton() const { return FFlatCloseButton; }
  void SetFlatCloseButton(bool Value);
  TBitmap* HelpButtonGlyph() const { return FHelpButtonGlyph; }
  void SetHelpButtonGlyph(TBitmap* Value) { FHelpButtonGlyph->Assign(Value); }
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value) { FHelpContext = Value; }
  TCustomImageList* HotImages() const { return FHotImages; }
  void SetHotImages(TCustomImageList* Value);
  TColor ImageListBkColor() const { return FImageListBkColor; }
  void SetImageListBkColor(TColor Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  const std::string& IniFileName() const { return FIniFileName; }
  void SetIniFileName(const std::string& Value) { FIniFileName = Value; }
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* Value);
  int32_t LargeButtonArrowWidth() const { return FLargeButtonArrowWidth; }
  void SetLargeButtonArrowWidth(int32_t Value);
  bool LargeIcons() const { return FLargeIcons; }
  void SetLargeIcons(bool Value);
  TdxBarMenuAnimations MenuAnimations() const { return FMenuAnimations; }
  void SetMenuAnimations(TdxBarMenuAnimations Value);
  bool MenusShowRecentItemsFirst() const { return FMenusShowRecentItemsFirst; }
  void SetMenusShowRecentItemsFirst(bool Value);
  uint8_t MostRecentItemsPercents() const { return FMostRecentItemsPercents; }
  void SetMostRecentItemsPercents(uint8_t Value);
  TdxBarDockingStyles NotDocking() const { return FNotDocking; }
  void SetNotDocking(TdxBarDockingStyles Value) { FNotDocking = Value; }
  const std::string& RegistryPath() const { return FRegistryPath; }
  void SetRegistryPath(const std::string& Value) { FRegistryPath = Value; }
  bool ShowCloseButton() const { return FShowCloseButton; }
  void SetShowCloseButton(bool Value);
  bool ShowFullMenusAfterDelay() const { return FShowFullMenusAfterDelay; }
  void SetShowFullMenusAfterDelay(bool Value);
  bool ShowHelpButton() const { return FShowHelpButton; }
  void SetShowHelpButton(bool Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ShowHintForDisabledItems() const { return FShowHintForDisabledItems; }
  void SetShowHintForDisabledItems(bool Value) { FShowHintForDisabledItems = Value; }
  bool ShowShortCutInHint() const { return FShowShortCutInHint; }
  void SetShowShortCutInHint(bool Value);
  bool StoreInIniFile() const { return FStoreInIniFile; }
  void SetStoreInIniFile(bool Value) { FStoreInIniFile = Value; }
  bool StoreInRegistry() const { return FStoreInRegistry; }
  void SetStoreInRegistry(bool Value) { FStoreInRegistry = Value; }
  bool StretchGlyphs() const { return FStretchGlyphs; }
  void SetStretchGlyphs(bool Value) { FStretchGlyphs = Value; }
  TdxBarManagerStyle Style() const { return FStyle; }
  void SetStyle(TdxBarManagerStyle Value);
  bool SunkenBorder() const { return FSunkenBorder; }
  void SetSunkenBorder(bool Value);
  bool UseF10ForMenu() const { return FUseF10ForMenu; }
  void SetUseF10ForMenu(bool Value) { FUseF10ForMenu = Value; }
  bool UseFullReset() const { return FUseFullReset; }
  void SetUseFullReset(bool Value) { FUseFullReset = Value; }
  bool UseSystemFont() const { return FUseSystemFont; }
  void SetUseSystemFont(bool Value);
  int32_t WaitForDockingTime() const { return FWaitForDockingTime; }
  void SetWaitForDockingTime(int32_t Value);

  TdxBarEvent OnBarAdd, OnBarAfterReset, OnBarBeforeReset, OnBarClose, OnBarDelete, OnBarDockingStyleChange;
  TdxBarVisibleChangeEvent OnBarVisibleChange;
  TdxBarItemLinkEvent OnItemLinkAdd, OnItemLinkChange, OnItemLinkDelete;
  TNotifyEvent OnCloseButtonClick;
  TdxBarCanDockingEvent OnDocking;
  TNotifyEvent OnHelpButtonClick, OnHideCustomizingForm;
  TdxBarMenuMergeEvent OnMenuMerge;
  TNotifyEvent OnShowCustomizingForm;
  TdxBarShowPopupEvent OnShowCustomizingPopup, OnShowToolbarsPopup;
  TdxBarClickItemEvent OnClickItem;

  static void Publish(TPublisher<TdxBarManager>& p);

  // Item registry.
  int ItemCount() const { return int(FItems.size()); }
  TdxBarItem* Items(int Index) const;
  TdxBarItem* GetItemByName(const std::string& AName) const;
  void GetItemsByCategory(int Index, TList* List);
  void GetVisibleItemsByCategory(int Index, TList* List);
  void MoveItem(int CurIndex, int NewIndex);
  void ExchangeItems(int Index1, int Index2);
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  TdxBar* BarByName(const std::string& AName) const;
  // Told by items (caption, glyph, shortcut, visibility, category, description changes).
  virtual void ItemChanged(TdxBarItem* AItem) {}
  void AddItem(TdxBarItem* AItem);
  void RemoveItem(TdxBarItem* AItem);

  // Categories.
  TdxBarItemVisible GetCategoryItemsVisible(int Index) const;
  void SetCategoryItemsVisible(int Index, TdxBarItemVisible Value);
  bool GetCategoryVisible(int Index) const;
  void SetCategoryVisible(int Index, bool Value);
  int VisibleCategoryToIndex(int N) const;

  virtual bool CanDocking(TdxBar* ABar, TdxBarDockingStyle AStyle);
  virtual void DoClickItem(TdxBarItem* AItem);
  bool IsCustomizing() const { return FIsCustomizing || Designing(); }
  bool Designing() const { return FDesigning; }
  void SetCustomizing(bool Value);
  void SetCustomizingSelection(TdxBarItemControl* AControl);
  TdxBarItemControl* SelectedItem() const { return FSelectedItem; }
  void SetSelectedItem(TdxBarItemControl* AControl) { FSelectedItem = AControl; }
  bool IsUpdateLocked() const { return FLockUpdate; }
  void LockUpdate(bool Value);
  void DesignerModified();
  bool Modified() const { return FModified; }
  bool PersonalizedMenus() const { return FStyle == bmsEnhanced && FMenusShowRecentItemsFirst; }
  int BarBorderWidth(TdxBarDockingStyle AStyle) const;
  int BarBorderHeight(TdxBarDockingStyle AStyle) const;
  void FillToolbarsPopup(TdxBarItemLinks* ALinks);
  // Asks, then gives the links the stored form's usage data; False when nothing was reset (declined,
  // or no stored form with this manager).
  virtual bool ResetUsageData();
  // The manager's form as stored, read into a bare form (nullptr when there is no stored form).
  TCustomForm* CreateDesignCopy();
  // True while a design copy is being read (its manager loads no stored layout).
  static bool CreatingDesignCopy();
  void CloseActiveMenu();
  bool IsMenuActive() const { return FMenuModeBar != nullptr; }
  TdxBarControl* MenuModeBar() const { return FMenuModeBar; }
  void SetMenuModeBar(TdxBarControl* Value) { FMenuModeBar = Value; }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  bool IsDragging() const { return FDragging; }
  // The customizing drag: of a selected link's control (AItem nullptr) or of a command from the
  // customizing dialog's commands list (AControl nullptr). Runs modally until the drop or Esc.
  void CustomizingDragDrop(TdxBarItemControl* AControl, TdxBarItem* AItem);
  TdxBarItemLink* DraggingItemLink() const { return FDraggingItemLink; }
  // --- Customizing drag and drop (dxBarDragDrop.cpp)
  TdxBarItem* DraggingItem() const { return FDraggingItem; }
  // The link a bar window's button-down offers for a drag (nullptr: none); ignored while a drag runs.
  void SetDragCandidate(TdxBarItemLink* ALink);
  // --- end of customizing drag and drop

  TCustomForm* ParentForm() const { return FParentForm; }
  TdxBar* MainMenuBar() const { return FMainMenuBar; }
  void SetMainMenuBar(TdxBar* Value) { FMainMenuBar = Value; }
  int RecentItemThreshold() const { return FRecentItemThreshold; }
  HFONT VerticalFontHandle() const { return FVertFontHandle; }
  std::vector<TdxBarPopupMenu*>& PopupMenus() { return FPopupMenus; }

  // The user's layout of bars and links, kept in the registry (below the current user's hive) or an
  // INI file. A path that names no key of its own is refused: nothing is read or written.
  virtual void LoadFromRegistry(const std::string& Path);
  virtual void LoadFromIniFile(const std::string& FileName);
  virtual void SaveToRegistry(const std::string& Path);
  virtual void SaveToIniFile(const std::string& FileName);

  // Style metrics and derived sizes.
  int StyleMetric(int Index) const { return FStyleMetrics[Index]; }
  int GripSize() const { return FStyleMetrics[1]; }
  int GlyphSize() const { return FGlyphSize; }
  int ButtonSize() const { return FButtonSize; }
  int ButtonSize2() const { return FButtonSize2; }
  int ArrowWidth() const { return FArrowWidth; }

  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetName(const std::string& NewName) override;

  // Every bar window and every bar: the broadcasts of the setters.
  void RebuildBarWindows();
  void RepaintBarWindows();
  // Applies the system menu font (on WM_SETTINGCHANGE with SPI_SETNONCLIENTMETRICS too).
  void ApplySystemFont();

  // Hints, the owner form's messages and the MDI menu merge.
  TdxBarPopupMenuLinks* PopupMenuLinks() const { return FPopupMenuLinks; }
  void SetPopupMenuLinks(TdxBarPopupMenuLinks* Value);
  // Runs the popup-menu links of a control at a screen point ((-1, -1): from the keyboard); True when
  // one showed a menu.
  bool RunPopupMenuLinks(TControl* AControl, POINT P);
  // Times (Show) or hides the hint of the current item control; Text, when given, is shown instead.
  void UpdateHint(bool Show, const std::string& Text);
  void ShowHintNow();
  // Every message of the owner form, before the form handles it.
  void FormMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
  // After a message of an MDI frame form: follows the active child and its maximized state.
  void CheckMDIMerge();
  void MergeChildMenu(TdxBarManager* AChild);
  void UnmergeChildMenu(TdxBarManager* AChild);
  // Floating bars pulled back onto the work area of the monitor of the form's centre.
  void FitFloatingBarsToWorkArea();
  void ActivateForm(bool Active, HWND Other, bool MDIActivating);
  // The focus went into the form: its visible floating bars over it are put back in front of it.
  void FloatingBarsToFront();
  // Bars hidden while the form's window was re-made: shown again at WM_CREATE (last first).
  std::vector<TdxBar*>& BarsToReshow() { return FBarsToReshow; }

protected:
  friend class TdxBarCustomizingPopup;
  friend class TdxBarQuickControl;
  friend class TdxBarControl;
  virtual void DoBarAfterReset(TdxBar* ABar);
  virtual void DoBarBeforeReset(TdxBar* ABar);
  virtual void DoBarClose(TdxBar* ABar);
  virtual void DoCloseButtonClick();
  virtual void DoHelpButtonClick();
  virtual void DoShowCustomizingPopup(TdxBarItemLinks* ALinks);
  virtual void DoShowToolbarsPopup(TdxBarItemLinks* ALinks);
  // The customizing dialog's part (dxBarCustForm.cpp): refreshes, shows and closes it.
  virtual void RefreshCustomizingForm();
  virtual void ShowCustomizingForm(bool Value);
  virtual bool CustomizingFormExists() const;

private:
  void CalcDerivedSizes();
  void UpdateRecentThreshold();
  void FontChanged(TObject* Sender);
  void ImagesChanged(TObject* Sender);
  void LargeImagesChanged(TObject* Sender);
  void HotImagesChanged(TObject* Sender);
  void SetImageList(TCustomImageList*& Field, TChangeLink* Link, TCustomImageList* Value);
  void ReadDockControlHeights(TReader* Reader);
  void ToolbarsPopupClick(TObject* Sender);
  TdxBarCategoryRecord* CategoryRecord(int Index, bool Create) const;
  void ApplyMenuFont(bool UseOwnName);
  // The owner form's messages (FormMessage), one handler each.
  void FormWMCreate();
  void FormWMActivate(WPARAM WParam, LPARAM LParam);
  void FormWMSettingChange(WPARAM WParam);
  void FormWMActivateApp(WPARAM WParam);
  void FormWMWindowPosChanging(const WINDOWPOS* Pos);
  void FormWMWindowPosChanged(const WINDOWPOS* Pos);
  void FormWMSysCommand(WPARAM WParam);
  void FormWMHelp(const HELPINFO* Info);
  void FormWMMDIActivate(HWND Activated);

  bool FConstructed = false;
  bool FDesigning = false;
  bool FDragging = false;
  TdxBarItem* FDraggingItem = nullptr;
  TdxBarItemLink* FDraggingItemLink = nullptr;
  HFONT FVertFontHandle = nullptr;
  bool FDockUpdate = false;
  TdxBarControl* FMenuModeBar = nullptr;
  TChangeLink* FImageChangeLink = nullptr;
  TChangeLink* FLargeImageChangeLink = nullptr;
  TChangeLink* FHotImageChangeLink = nullptr;
  bool FIsCustomizing = false;
  std::vector<TdxBarItem*> FItems;
  bool FLockUpdate = false;
  TCustomForm* FParentForm = nullptr;
  TdxBar* FMainMenuBar = nullptr;
  bool FModified = false;
  int FRecentItemThreshold = 0;
  std::vector<TdxBarPopupMenu*> FPopupMenus;
  TdxBarPopupMenuLinks* FPopupMenuLinks = nullptr;
  std::vector<TdxBar*> FBarsToReshow;
  std::string FExplicitHint;
  bool FActivating = false;
  bool FInFormActivate = false;
  HWND FMDIActiveChild = nullptr;
  bool FMDIChildMaximized = false;
  TdxBarItemControl* FSelectedItem = nullptr;
  int FStyleMetrics[3] = {1, 6, 12};
  int FGlyphSize = 16, FButtonSize = 23, FButtonSize2 = 22, FArrowWidth = 9;

  bool FAllowCallFromAnotherForm = false;
  bool FAllowReset = true;
  bool FAlwaysMerge = false;
  bool FAlwaysSaveText = false;
  bool FAutoDockColor = true;
  bool FAutoHideEmptyBars = false;
  bool FScaled = true;
  TFont* FFont = nullptr;
  TdxBars* FBars = nullptr;
  int32_t FButtonArrowWidth = 9;
  bool FCanCustomize = true;
  TdxBarManagerCategories* FCategories = nullptr;
  TColor FDockColor = clBtnFace;
  bool FFlatCloseButton = false;
  TBitmap* FHelpButtonGlyph = nullptr;
  THelpContext FHelpContext = 0;
  TCustomImageList* FHotImages = nullptr;
  TColor FImageListBkColor = 0xFF00FF;
  TCustomImageList* FImages = nullptr;
  std::string FIniFileName;
  TCustomImageList* FLargeImages = nullptr;
  int32_t FLargeButtonArrowWidth = 14;
  bool FLargeIcons = false;
  TdxBarMenuAnimations FMenuAnimations = maNone;
  bool FMenusShowRecentItemsFirst = true;
  uint8_t FMostRecentItemsPercents = 95;
  TdxBarDockingStyles FNotDocking;
  std::string FRegistryPath;
  bool FShowCloseButton = false;
  bool FShowFullMenusAfterDelay = true;
  bool FShowHelpButton = false;
  bool FShowHint = true;
  bool FShowHintForDisabledItems = true;
  bool FShowShortCutInHint = false;
  bool FStoreInIniFile = false;
  bool FStoreInRegistry = false;
  bool FStretchGlyphs = true;
  TdxBarManagerStyle FStyle = bmsEnhanced;
  bool FSunkenBorder = false;
  bool FUseF10ForMenu = true;
  bool FUseFullReset = false;
  bool FUseSystemFont = false;
  int32_t FWaitForDockingTime = 21;
};

// ---------------------------------------------------------------------------------------------------
// Hints, the combos' drop-down list and the popup-menu links of ordinary controls

// The one window of the process that shows item hints; the managers time it.
class TdxBarHintWindow : public TCustomControl {
  YOZ_CLASS(TdxBarHintWindow, TCustomControl)
public:
  explicit TdxBarHintWindow(TComponent* AOwner);
  ~TdxBarHintWindow() override;
  // Shows Text with its top-left corner at the screen point, kept on that point's work area.
  void ActivateHint(POINT P, const std::string& Text, TdxBarManager* ABarManager);
  void HideHint();
  const std::string& Text() const { return FText; }
  void CreateParams(TCreateParams& Params) override;

protected:
  void Paint() override;

private:
  std::string FText;
};

// Where a hint of Size goes for the point P on the work area WorkArea.
POINT dxBarPlaceHint(POINT P, SIZE Size, RECT WorkArea);
// The process's hint window, made on first use (nullptr with Create False when there is none).
TdxBarHintWindow* dxBarHintWindow(bool Create = true);
void dxBarFreeHintWindow();
bool dxBarHintShown();
// Stops the pending show and hide timers of hints.
void dxBarStopHintTimers();

using TdxBarPopupMenuLinkActionEvent = TEvent<TObject*, POINT&, bool&, bool, bool&>;

// A control whose context menu is a command-bar popup menu.
class TdxBarPopupMenuLink : public TCollectionItem {
  YOZ_CLASS(TdxBarPopupMenuLink, TCollectionItem)
public:
  explicit TdxBarPopupMenuLink(TCollection* ACollection) : TCollectionItem(ACollection) {}
  ~TdxBarPopupMenuLink() override;
  void Assign(TPersistent* Source) override;
  TWinControl* Control() const { return FControl; }
  void SetControl(TWinControl* Value);
  TdxBarPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TdxBarPopupMenu* Value);
  // Arguments: the link, the point, the show flag, whether the mouse caused it, handled.
  TdxBarPopupMenuLinkActionEvent OnAction;
  // Shows the popup menu for a screen point ((-1, -1): from the keyboard); True when one showed.
  bool ShowPopup(POINT P);
  TdxBarManager* BarManager() const;
  // The last screen point a menu was shown at (the popup component opens it there).
  POINT ShownAt{0, 0};
  static void Publish(TPublisher<TdxBarPopupMenuLink>& p);
  void Forget(TComponent* AComponent);

private:
  TWinControl* FControl = nullptr;
  TdxBarPopupMenu* FPopupMenu = nullptr;
};

class TdxBarPopupMenuLinks : public TCollection {
  YOZ_CLASS(TdxBarPopupMenuLinks, TCollection)
public:
  explicit TdxBarPopupMenuLinks(TdxBarManager* ABarManager);
  TPersistent* GetOwner() override;
  TdxBarManager* BarManager() const { return FBarManager; }
  TdxBarPopupMenuLink* Add() { return static_cast<TdxBarPopupMenuLink*>(TCollection::Add()); }
  TdxBarPopupMenuLink* Items(int Index) const { return static_cast<TdxBarPopupMenuLink*>(TCollection::Items(Index)); }
  // A component going away leaves every link.
  void Forget(TComponent* AComponent);

private:
  TdxBarManager* FBarManager;
};
