#pragma once
// Command bars: the command items (buttons, edits, combos, sub-items, lists and containers) and the
// item links that place them in bars, sub-menus and popup menus.

#include <cstdint>
#include <string>
#include <vector>

#include "ActnList.h"
#include "Classes.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "dxBarCommon.h"

using TdxBarComboDrawItemEvent = TEvent<TdxBarCustomCombo*, int, RECT, TOwnerDrawState>;
using TdxBarComboMeasureItemEvent = TEvent<TdxBarCustomCombo*, int, int&>;

// ---------------------------------------------------------------------------------------------------
// Items

class TdxBarItemActionLink : public TActionLink {
  YOZ_CLASS(TdxBarItemActionLink, TActionLink)
public:
  explicit TdxBarItemActionLink(TObject* AClient);
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(THelpContext Value) override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(int32_t Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

protected:
  TdxBarItem* FClient;
};

class TdxBarItem : public TComponent {
  YOZ_CLASS(TdxBarItem, TComponent)
public:
  explicit TdxBarItem(TComponent* AOwner);
  ~TdxBarItem() override;
  void BeforeDestruction() override;

  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TdxBarItemActionLink* ActionLink() const { return FActionLink; }
  TdxBarManager* BarManager() const { return FBarManager; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  int32_t Category() const { return FCategory; }
  void SetCategory(int32_t Value);
  const std::string& Description() const { return FDescription; }
  void SetDescription(const std::string& Value);
  bool Enabled() const;
  void SetEnabled(bool Value);
  TBitmap* Glyph() const { return FGlyph; }
  void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value) { FHelpContext = Value; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  int32_t ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int32_t Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool UnclickAfterDoing() const { return FUnclickAfterDoing; }
  void SetUnclickAfterDoing(bool Value) { FUnclickAfterDoing = Value; }
  TdxBarItemVisible Visible() const { return FVisible; }
  void SetVisible(TdxBarItemVisible Value);
  // Shown in the current mode (a link gets a control).
  bool IsVisibleNow() const;
  bool StoredEnabled() const { return FEnabled; }

  int LinkCount() const { return int(FLinks.size()); }
  TdxBarItemLink* Links(int Index) const { return FLinks[Index]; }
  void AddLink(TdxBarItemLink* ALink);
  void RemoveLink(TdxBarItemLink* ALink);

  TNotifyEvent OnClick;
  TNotifyEvent OnAfterLoad;
  TNotifyEvent OnDestroy;

  static void Publish(TPublisher<TdxBarItem>& p);

  virtual void BarManagerChanged() {}
  virtual bool CanClick() { return true; }
  virtual bool CanSelect() { return true; }
  virtual void CaptionChanged();
  virtual void EnabledChanged();
  virtual void GlyphChanged();
  virtual bool HasAccelInLink(TdxBarItemLink* ALink) { return true; }
  virtual void HotGlyphChanged() {}
  virtual void LargeGlyphChanged() {}
  virtual void ShortCutChanged();
  virtual void RepaintControls();
  virtual void RebuildLinkBars();
  virtual bool UsesHotImages() { return false; }
  virtual bool UsesLargeImages() { return false; }
  virtual void VisibleChanged();

  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual void DoClick();
  virtual void Click();
  virtual void DoClickEvent();
  // The link clicked, for the duration of a click from a bar window.
  TdxBarItemLink* ClickItemLink = nullptr;

  bool HasParent() override { return FCategory >= 0; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;
  void ReadState(TReader* Reader) override;
  void SetName(const std::string& NewName) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Mutable stored fields for the action link and the descendants.
  void StoreHelpContext(THelpContext Value) { FHelpContext = Value; }
  void StoreHint(const std::string& Value) { FHint = Value; }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  bool IsDesigning() const { return ComponentState().Contains(csDesigning); }

protected:
  void AssignTo(TPersistent* Dest) override;
  void GlyphChange(TObject* Sender) { GlyphChanged(); }
  // The link tells of any change of its action: the item takes the action's values again.
  void DoActionChange(TObject* Sender) { ActionChange(Action(), false); }
  void SetBarManager(TdxBarManager* Value);
  // Each control of a link (in link order), with or without the links that define their own Flag.
  template <class F>
  void ForEachControl(F f, int SkipFlag = -1);

  TdxBarItemActionLink* FActionLink = nullptr;
  TdxBarManager* FBarManager = nullptr;
  std::string FCaption;
  int32_t FCategory = -1;
  std::string FDescription;
  bool FEnabled = true;
  TBitmap* FGlyph = nullptr;
  THelpContext FHelpContext = 0;
  std::string FHint;
  int32_t FImageIndex = -1;
  std::vector<TdxBarItemLink*> FLinks;
  TdxBarItemVisible FLoadedVisible = ivAlways;
  TShortCut FShortCut = 0;
  bool FUnclickAfterDoing = true;
  TdxBarItemVisible FVisible = ivAlways;

private:
  friend class TdxLiveGuard;
  TdxLiveGuard* FGuards = nullptr;
};

class TdxBarWindowItem : public TdxBarItem {
  YOZ_CLASS(TdxBarWindowItem, TdxBarItem)
public:
  explicit TdxBarWindowItem(TComponent* AOwner) : TdxBarItem(AOwner) {}
  bool CanClick() override { return false; }
  // The text; while a link's control has its editor open, what is typed there.
  std::string Text() const;
  const std::string& StoredText() const { return FText; }
  virtual void SetText(const std::string& Value);
  virtual void Change();
  virtual void CurChange();
  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  TNotifyEvent OnChange, OnCurChange, OnEnter, OnExit;
  TdxBarKeyEvent OnKeyDown, OnKeyUp;
  TdxBarKeyPressEvent OnKeyPress;
  static void Publish(TPublisher<TdxBarWindowItem>& p);

protected:
  std::string FText;
};

class TdxBarButton : public TdxBarItem {
  YOZ_CLASS(TdxBarButton, TdxBarItem)
public:
  explicit TdxBarButton(TComponent* AOwner) : TdxBarItem(AOwner) {}
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  TdxBarButtonStyle ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TdxBarButtonStyle Value);
  bool CloseSubMenuOnClick() const { return FCloseSubMenuOnClick; }
  void SetCloseSubMenuOnClick(bool Value) { FCloseSubMenuOnClick = Value; }
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool DropDownEnabled() const { return FDropDownEnabled; }
  void SetDropDownEnabled(bool Value);
  TdxBarPopupMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TdxBarPopupMenu* Value);
  int32_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int32_t Value);
  TdxBarPaintStyle PaintStyle() const { return FPaintStyle; }
  void SetPaintStyle(TdxBarPaintStyle Value);
  static void Publish(TPublisher<TdxBarButton>& p);

  virtual void ButtonStyleChanged();
  virtual bool CanSetPaintStyle() { return true; }
  virtual void DownChanged();
  virtual void DropDownEnabledChanged();
  virtual void PaintStyleChanged();
  bool HasAccelInLink(TdxBarItemLink* ALink) override;
  void DoClick() override;
  // Opens the drop-down menu at a screen point without waiting for it to close; the control whose
  // drop-down is open (when one is) becomes the menu's opener.
  virtual void DropDown(int X, int Y, bool ByMouse);
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  bool FAllowAllUp = false;
  TdxBarButtonStyle FButtonStyle = bsDefault;
  bool FCloseSubMenuOnClick = true;
  bool FDown = false;
  bool FDropDownEnabled = true;
  TdxBarPopupMenu* FDropDownMenu = nullptr;
  int32_t FGroupIndex = 0;
  TdxBarPaintStyle FPaintStyle = psStandard;
};

class TdxBarEdit : public TdxBarWindowItem {
  YOZ_CLASS(TdxBarEdit, TdxBarWindowItem)
public:
  explicit TdxBarEdit(TComponent* AOwner) : TdxBarWindowItem(AOwner) {}
  int32_t MaxLength() const { return FMaxLength; }
  void SetMaxLength(int32_t Value) { FMaxLength = Value < 1 ? 0 : Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t Value);
  virtual void WidthChanged();
  bool HasAccelInLink(TdxBarItemLink* ALink) override;
  static void Publish(TPublisher<TdxBarEdit>& p);

private:
  int32_t FMaxLength = 0;
  bool FReadOnly = false;
  int32_t FWidth = 100;
};

class TCustomdxBarCombo : public TdxBarEdit {
  YOZ_CLASS(TCustomdxBarCombo, TdxBarEdit)
public:
  explicit TCustomdxBarCombo(TComponent* AOwner) : TdxBarEdit(AOwner) {}
  bool ShowEditor() const { return FShowEditor; }
  void SetShowEditor(bool Value) { FShowEditor = Value; }
  TNotifyEvent OnCheckKeyForDropDownWindow, OnCloseUp, OnDropDown, OnGetDropDownWindow;
  static void Publish(TPublisher<TCustomdxBarCombo>& p);

  // The drop-down window of the item (none here) and its opening at a screen point.
  virtual TWinControl* GetDropDownWindow() { return nullptr; }
  virtual bool CheckKeyForDropDownWindow(uint16_t Key, TShiftState Shift) { return false; }
  // Places the drop-down window under or beside the item and shows it.
  virtual void DropDown(int X, int Y);
  virtual void CloseUp();
  virtual void DoDropDown();
  // Draws a link's value into R on the draw canvas (the canvas the control's painting lends).
  virtual void DrawValue(RECT R, TdxBarItemLink* ALink);
  virtual TCanvas* GetDrawCanvas() { return FDrawCanvas; }
  void SetDrawCanvas(TCanvas* Value) { FDrawCanvas = Value; }
  // The control that opened the drop-down (nullptr while closed).
  TCustomdxBarComboControl* DroppedControl() const { return FDroppedControl; }
  void SetDroppedControl(TCustomdxBarComboControl* Value) { FDroppedControl = Value; }
  // The item rectangle (screen) of the dropping control and whether the list opens beside it.
  RECT DropItemRect{};
  bool DropBeside = false;

protected:
  TCanvas* FDrawCanvas = nullptr;
  TCustomdxBarComboControl* FDroppedControl = nullptr;

private:
  bool FShowEditor = true;
};

class TdxBarCustomCombo : public TCustomdxBarCombo {
  YOZ_CLASS(TdxBarCustomCombo, TCustomdxBarCombo)
public:
  explicit TdxBarCustomCombo(TComponent* AOwner);
  ~TdxBarCustomCombo() override;
  static void Publish(TPublisher<TdxBarCustomCombo>& p);
  int32_t DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int32_t Value) { FDropDownCount = Value; }
  int32_t DropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(int32_t Value) { FDropDownWidth = Value; }
  int32_t ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int32_t Value);
  TStringList* Items() const { return FItems; }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  void SetText(const std::string& Value) override;
  TdxBarComboDrawItemEvent OnDrawItem;
  TdxBarComboMeasureItemEvent OnMeasureItem;

  // The drop-down list (made on first use) and how it is measured and drawn.
  TdxBarDropDownListBox* ListBox();
  TWinControl* GetDropDownWindow() override;
  TCanvas* GetDrawCanvas() override;
  void DrawValue(RECT R, TdxBarItemLink* ALink) override;
  virtual void DrawItem(int Index, RECT R, TOwnerDrawState State);
  virtual int GetDropDownWidth(RECT ItemRect);
  virtual int MeasureItem(int Index);
  virtual int MeasureItemWidth(int Index);
  void DropDown(int X, int Y) override;
  void CloseUp() override;
  bool CheckKeyForDropDownWindow(uint16_t Key, TShiftState Shift) override;

protected:
  void ItemsChanged(TObject* Sender);
  TdxBarDropDownListBox* FListBox = nullptr;
  int32_t FDropDownCount = 8;
  int32_t FDropDownWidth = 0;
  int32_t FItemIndex = -1;
  TStringList* FItems;
};

class TdxBarCombo : public TdxBarCustomCombo {
  YOZ_CLASS(TdxBarCombo, TdxBarCustomCombo)
public:
  explicit TdxBarCombo(TComponent* AOwner) : TdxBarCustomCombo(AOwner) {}
  int32_t ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int32_t Value) { FItemHeight = Value; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  static void Publish(TPublisher<TdxBarCombo>& p);

private:
  int32_t FItemHeight = 0;
  bool FSorted = false;
};

class TCustomdxBarSubItem : public TdxBarItem {
  YOZ_CLASS(TCustomdxBarSubItem, TdxBarItem)
public:
  explicit TCustomdxBarSubItem(TComponent* AOwner);
  ~TCustomdxBarSubItem() override;
  void BeforeDestruction() override;
  TdxBarItemLinks* ItemLinks() const { return FItemLinks; }
  void SetItemLinks(TdxBarItemLinks* Value);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value);
  bool CanClick() override { return false; }
  void BarManagerChanged() override;
  virtual void DoCloseUp();
  virtual void DoPopup();
  TNotifyEvent OnCloseUp, OnPopup;

protected:
  TdxBarItemLinks* FItemLinks;
  bool FShowCaption = true;
};

class TdxBarSubItem : public TCustomdxBarSubItem {
  YOZ_CLASS(TdxBarSubItem, TCustomdxBarSubItem)
public:
  explicit TdxBarSubItem(TComponent* AOwner) : TCustomdxBarSubItem(AOwner) {}
  bool AllowCustomizing() const { return FAllowCustomizing; }
  void SetAllowCustomizing(bool Value) { FAllowCustomizing = Value; }
  static void Publish(TPublisher<TdxBarSubItem>& p);

private:
  bool FAllowCustomizing = true;
};

using TdxBarContainerGetDataEvent = TNotifyEvent;

class TCustomdxBarContainerItem : public TCustomdxBarSubItem {
  YOZ_CLASS(TCustomdxBarContainerItem, TCustomdxBarSubItem)
public:
  explicit TCustomdxBarContainerItem(TComponent* AOwner) : TCustomdxBarSubItem(AOwner) {}
  // Puts this container's links into Links at Index (as the sub-menu opens); DeleteListedItemLinks
  // takes them out again.
  virtual void AddListedItemLinks(TdxBarItemLinks* ALinks, int AIndex, TCustomdxBarControl* ABarControl,
                                  bool FireGetData);
  virtual void DeleteListedItemLinks(TdxBarItemLinks* ALinks, int AIndex);
  virtual void ClearItemList() {}
  bool Listed() const { return FListed; }
  TNotifyEvent OnGetData;

protected:
  virtual int ListedCount() { return 0; }
  virtual void FillListed(TdxBarItemLinks* ALinks, int AIndex) {}
  bool FListed = false;
  TdxBarItemLinks* FListedLinks = nullptr;
  int FListedIndex = 0;
  int FListedCount = 0;
};

class TdxBarListItem : public TCustomdxBarContainerItem {
  YOZ_CLASS(TdxBarListItem, TCustomdxBarContainerItem)
public:
  explicit TdxBarListItem(TComponent* AOwner);
  ~TdxBarListItem() override;
  void BeforeDestruction() override;
  int32_t ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int32_t Value) { FItemIndex = Value; }
  TStringList* Items() const { return FItems; }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  bool ShowCheck() const { return FShowCheck; }
  void SetShowCheck(bool Value) { FShowCheck = Value; }
  bool ShowNumbers() const { return FShowNumbers; }
  void SetShowNumbers(bool Value) { FShowNumbers = Value; }
  void ClearItemList() override;
  void DoClick() override;
  int GeneratedCount() const { return int(FButtons.size()); }
  TdxBarButton* Generated(int Index) const { return FButtons[Index]; }
  static void Publish(TPublisher<TdxBarListItem>& p);

protected:
  void FillListed(TdxBarItemLinks* ALinks, int AIndex) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void ButtonClick(TObject* Sender);
  void FreeButtons();
  int32_t FItemIndex = -1;
  TStringList* FItems;
  bool FShowCheck = false;
  bool FShowNumbers = true;
  std::vector<TdxBarButton*> FButtons;
};

class TdxBarContainerItem : public TCustomdxBarContainerItem {
  YOZ_CLASS(TdxBarContainerItem, TCustomdxBarContainerItem)
public:
  explicit TdxBarContainerItem(TComponent* AOwner) : TCustomdxBarContainerItem(AOwner) {}
  static void Publish(TPublisher<TdxBarContainerItem>& p);

protected:
  void FillListed(TdxBarItemLinks* ALinks, int AIndex) override;
};

// ---------------------------------------------------------------------------------------------------
// Item links

class TdxBarItemLink : public TCollectionItem {
  YOZ_CLASS(TdxBarItemLink, TCollectionItem)
public:
  explicit TdxBarItemLink(TCollection* ACollection);
  ~TdxBarItemLink() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  TdxBarItemLinks* Links() const;
  TdxBarManager* BarManager() const;
  TCustomdxBarControl* BarControl() const;
  TdxBarItemControl* Control() const { return FControl; }
  TdxBarItem* Item() const { return FItem; }
  void SetItem(TdxBarItem* Value);
  bool BeginGroup() const;
  bool StoredBeginGroup() const { return FBeginGroup; }
  void SetBeginGroup(bool Value);
  int32_t Data() const { return FData; }
  void SetData(int32_t Value) { FData = Value; }
  bool MostRecentlyUsed() const { return FMostRecentlyUsed; }
  void SetMostRecentlyUsed(bool Value);
  const std::string& UserCaption() const { return FUserCaption; }
  void SetUserCaption(const std::string& Value);
  TdxBarUserDefines UserDefine() const { return FUserDefine; }
  void SetUserDefine(TdxBarUserDefines Value);
  TBitmap* UserGlyph() const { return FUserGlyph; }
  void SetUserGlyph(TBitmap* Value);
  TdxBarPaintStyle UserPaintStyle() const { return FUserPaintStyle; }
  void SetUserPaintStyle(TdxBarPaintStyle Value);
  int32_t UserWidth() const { return FUserWidth; }
  void SetUserWidth(int32_t Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  static void Publish(TPublisher<TdxBarItemLink>& p);

  std::string Caption() const;
  TBitmap* Glyph() const;
  TdxBarPaintStyle PaintStyle() const;
  int Width() const;
  int ShownIndex() const;
  int AvailableIndex() const;
  int RecentIndex() const;
  RECT ItemRect{};
  int UseCount() const { return FUseCount; }
  void SetUseCount(int Value) { FUseCount = Value; }
  TdxBarItemLink* OriginalItemLink() const { return FOriginal; }
  void SetOriginalItemLink(TdxBarItemLink* Value) { FOriginal = Value; }
  int32_t LoadedRecentIndex = -1;
  int32_t LoadedUseCount = 0;
  // The visibility held back until the collection finishes loading (Loaded (True)).
  void SetLoadedVisible(bool Value) { FLoadedVisible = Value; }

  void CreateControl();
  void DestroyControl();
  bool IsAccel(uint16_t Key, TShiftState Shift) const;
  bool ContainsItem(TdxBarItem* AItem) const;
  void UpdateItemAction();
  void MarkUsed(bool Count);
  void MarkNotUsed();
  void SetRecentPosition(int Value);
  void SaveRecentPosition() { FSavedRecentPosition = RecentIndex(); }
  void RestoreRecentPosition() { SetRecentPosition(FSavedRecentPosition); }
  void CopyUsage(TdxBarItemLink* Other);
  void ApplyMostRecentlyUsed();
  void ApplyLoadedVisible();
  void Changed();

private:
  friend class TdxBarItemLinks;
  bool FBeginGroup = false;
  TdxBarItemControl* FControl = nullptr;
  int32_t FData = 0;
  TdxBarItem* FItem = nullptr;
  bool FLoadedVisible = true;
  bool FMostRecentlyUsed = true;
  TdxBarItemLink* FOriginal = nullptr;
  int FSavedRecentPosition = 0;
  int FUseCount = 0;
  std::string FUserCaption;
  TdxBarUserDefines FUserDefine;
  TBitmap* FUserGlyph = nullptr;
  TdxBarPaintStyle FUserPaintStyle = psStandard;
  int32_t FUserWidth = 0;
  bool FVisible = true;
  bool FConstructed = false;
};

class TdxBarItemLinks : public TCollection {
  YOZ_CLASS(TdxBarItemLinks, TCollection)
public:
  TdxBarItemLinks(TdxBarManager* ABarManager, TPersistent* AOwner);
  ~TdxBarItemLinks() override;
  TPersistent* GetOwner() override { return FOwner; }
  TPersistent* Owner() const { return FOwner; }
  TdxBarManager* BarManager() const { return FBarManager; }
  void SetBarManager(TdxBarManager* Value) { FBarManager = Value; }
  TdxBarItemLink* Add() { return static_cast<TdxBarItemLink*>(TCollection::Add()); }
  TdxBarItemLink* Items(int Index) const { return static_cast<TdxBarItemLink*>(TCollection::Items(Index)); }
  TdxBarItemLink* Insert(int Index) { return static_cast<TdxBarItemLink*>(TCollection::Insert(Index)); }
  void Assign(TPersistent* Source) override;
  bool Assigning() const { return FAssigning; }

  int AvailableCount() const { return int(FAvailable.size()); }
  TdxBarItemLink* AvailableItems(int Index) const { return FAvailable[Index]; }
  int VisibleCount() const { return int(FVisible.size()); }
  TdxBarItemLink* VisibleItems(int Index) const { return FVisible[Index]; }
  int ShownCount() const { return int(FShown.size()); }
  TdxBarItemLink* ShownItems(int Index) const { return FShown[Index]; }
  int IndexOfAvailable(const TdxBarItemLink* L) const;
  int IndexOfVisible(const TdxBarItemLink* L) const;
  int IndexOfShown(const TdxBarItemLink* L) const;
  int RecentCount() const { return int(FRecent.size()); }
  TdxBarItemLink* RecentItems(int Index) const { return FRecent[Index]; }
  int IndexOfRecent(const TdxBarItemLink* L) const;

  void RefreshLists();
  void SetShownLimit(int N);
  void RestoreShownLimit();
  int ShownLimit() const { return FShownLimit; }
  bool UseRecentItems() const { return FUseRecentItems; }
  void SetUseRecentItems(bool Value) { FUseRecentItems = Value; }
  int RecentItemCount() const;
  void Loaded(bool ApplyVisible);
  void AssignUsageData(TdxBarItemLinks* Source);
  void CompactRecentList();
  void ClearItemRects();
  void UpdateItemActions();
  TCustomdxBarControl* BarControl() const { return FBarControl; }
  void SetBarControl(TCustomdxBarControl* Value) { FBarControl = Value; }
  TCustomdxBarControl* CreateBarControl();
  void FreeBarControl();
  int FitCount();
  TdxBarItemLink* FirstSelectable();
  TdxBarItemLink* LastSelectable();
  TdxBarItemLink* NextSelectable(TdxBarItemLink* From);
  TdxBarItemLink* PriorSelectable(TdxBarItemLink* From);
  TdxBarItemLink* FindByAccel(uint16_t Key, TShiftState Shift, TdxBarItemLink* From);
  bool ContainsItem(TdxBarItem* AItem) const;
  bool IsLoading() const;
  bool Designing() const;
  TNotifyEvent OnChange;

protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
  friend class TdxBarItemLink;
  bool Selectable(TdxBarItemLink* L) const;
  bool FAssigning = false;
  std::vector<TdxBarItemLink*> FAvailable, FVisible, FShown, FRecent;
  TCustomdxBarControl* FBarControl = nullptr;
  TdxBarManager* FBarManager;
  TPersistent* FOwner;
  int FSavedShownLimit = -1;
  int FShownLimit = -1;
  bool FUseRecentItems = true;
  TCollectionItem* FNewLink = nullptr;
};

// Links of the temporary popups (toolbar list, customizing popup): they do not mark the form modified.
bool dxBarIsTemporaryLinksOwner(TPersistent* AOwner);
void dxBarSetTemporaryLinksOwnerTest(bool (*Test)(TPersistent*));
