#pragma once
// Command bars: the bars of a manager (TdxBar, TdxBars) and the dock sites along the form's edges.

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "dxBarCommon.h"
#include "dxBarItems.h"

// ---------------------------------------------------------------------------------------------------
// Bars

class TdxBar : public TCollectionItem {
  YOZ_CLASS(TdxBar, TCollectionItem)
public:
  explicit TdxBar(TCollection* ACollection);
  ~TdxBar() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  TdxBars* Bars() const;
  TdxBarManager* BarManager() const;
  TdxBarControl* Control() const;

  bool AllowClose() const { return FAllowClose; }
  void SetAllowClose(bool Value);
  bool AllowCustomizing() const { return FAllowCustomizing; }
  void SetAllowCustomizing(bool Value) { FAllowCustomizing = Value; }
  bool AllowQuickCustomizing() const { return FAllowQuickCustomizing; }
  void SetAllowQuickCustomizing(bool Value);
  bool AllowReset() const { return FAllowReset; }
  void SetAllowReset(bool Value) { FAllowReset = Value; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TdxBarDockingStyle DockedDockingStyle() const { return FDockedDockingStyle; }
  void SetDockedDockingStyle(TdxBarDockingStyle Value);
  int32_t DockedLeft() const { return FDockedLeft; }
  void SetDockedLeft(int32_t Value);
  int32_t DockedTop() const { return FDockedTop; }
  void SetDockedTop(int32_t Value);
  TdxBarDockingStyle DockingStyle() const;
  void SetDockingStyle(TdxBarDockingStyle Value);
  int32_t FloatLeft() const { return FFloatLeft; }
  void SetFloatLeft(int32_t Value);
  int32_t FloatTop() const { return FFloatTop; }
  void SetFloatTop(int32_t Value);
  int32_t FloatClientWidth() const { return FFloatClientWidth; }
  void SetFloatClientWidth(int32_t Value);
  int32_t FloatClientHeight() const { return FFloatClientHeight; }
  void SetFloatClientHeight(int32_t Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool Hidden() const { return FHidden; }
  void SetHidden(bool Value);
  bool AutoHidden() const { return FAutoHidden; }
  void SetAutoHidden(bool Value) { FAutoHidden = Value; }
  bool IsMainMenu() const { return FIsMainMenu; }
  void SetIsMainMenu(bool Value);
  bool LoadedMark() const { return FLoaded; }
  TdxBarItemLinks* ItemLinks() const { return FItemLinks; }
  void SetItemLinks(TdxBarItemLinks* Value) { FItemLinks->Assign(Value); }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  TdxBarDockingStyles NotDocking() const { return FNotDocking; }
  void SetNotDocking(TdxBarDockingStyles Value) { FNotDocking = Value; }
  bool OneOnRow() const { return FOneOnRow; }
  void SetOneOnRow(bool Value);
  bool RotateWhenVertical() const { return FRotateWhenVertical; }
  void SetRotateWhenVertical(bool Value);
  int32_t Row() const { return FRow; }
  void SetRow(int32_t Value);
  bool UseOwnFont() const { return FUseOwnFont; }
  void SetUseOwnFont(bool Value);
  bool UseRecentItems() const { return FUseRecentItems; }
  void SetUseRecentItems(bool Value);
  bool UseRestSpace() const { return FUseRestSpace; }
  void SetUseRestSpace(bool Value);
  bool Visible() const;
  void SetVisible(bool Value);
  bool WholeRow() const { return FWholeRow; }
  void SetWholeRow(bool Value);
  HFONT VerticalFontHandle() const { return FVertFont; }
  static void Publish(TPublisher<TdxBar>& p);

  void LockBar(bool Value);
  bool Locked() const { return FLockUpdate; }
  bool CanListInToolbarsPopup() const { return FAllowClose && !FIsMainMenu; }
  bool ExecuteShortCut(TShortCut AShortCut);
  // Asks, then resets the bar to the stored form's; False when nothing was reset (declined, or no
  // stored form with this manager and bar).
  bool Reset();
  bool ResetWithoutAsking();
  // Applies the held-back docking style and visibility (the manager's Loaded).
  void ApplyLoaded();
  void ManagerFontChanged();
  void RebuildWindow();

private:
  void FontChanged(TObject* Sender);
  void LinksChanged(TObject* Sender);
  void MarkModified();
  void ShowWindow();
  void DockFloatingWindow();

  bool FAllowClose = true;
  bool FAllowCustomizing = true;
  bool FAllowQuickCustomizing = true;
  bool FAllowReset = true;
  std::string FCaption;
  TdxBarDockingStyle FDockedDockingStyle = dsTop;
  int32_t FDockedLeft = 0;
  int32_t FDockedTop = 0;
  TdxBarDockingStyle FDockingStyle = dsNone;
  HFONT FVertFont = nullptr;
  int32_t FFloatLeft = 0, FFloatTop = 0, FFloatClientWidth = 0, FFloatClientHeight = 0;
  TFont* FFont = nullptr;
  bool FHidden = false;
  bool FAutoHidden = false;
  bool FIsMainMenu = false;
  bool FLoaded = false;
  TdxBarItemLinks* FItemLinks = nullptr;
  TdxBarDockingStyle FLoadedDockingStyle = dsNone;
  bool FLoadedVisible = false;
  bool FLockUpdate = false;
  std::string FName;
  TdxBarDockingStyles FNotDocking;
  bool FOneOnRow = false;
  bool FRotateWhenVertical = true;
  int32_t FRow = 0;
  bool FUseOwnFont = false;
  bool FUseRecentItems = true;
  bool FUseRestSpace = false;
  bool FVisible = false;
  bool FWholeRow = false;
  bool FSettingFont = false;
};

class TdxBars : public TCollection {
  YOZ_CLASS(TdxBars, TCollection)
public:
  // A detached collection holds bars the manager uses for itself (the quick customization's): they are
  // not the manager's bars, so they fire no bar events and change nothing the layout stores.
  explicit TdxBars(TdxBarManager* ABarManager, bool ADetached = false);
  bool Detached() const { return FDetached; }
  ~TdxBars() override;
  TPersistent* GetOwner() override;
  TdxBar* Items(int Index) const { return static_cast<TdxBar*>(TCollection::Items(Index)); }
  TdxBar* Add() { return static_cast<TdxBar*>(TCollection::Add()); }
  TdxBarManager* BarManager() const { return FBarManager; }
  TdxDockControl* DockControls(TdxBarDockingStyle AStyle) const;
  int DockingZoneSize() const { return FDockingZoneSize; }
  bool Loading() const { return FLoading; }
  void SetLoading(bool Value) { FLoading = Value; }
  bool Dragging() const { return FDragging; }
  TdxBarControl* DraggingBarControl() const { return FDragBarControl; }
  POINT DragOffset() const { return FDragOffset; }

  void DockBar(TdxBarDockingStyle AStyle, TdxBarControl* ABarControl, POINT ScreenPoint);
  void UndockBar(TdxBarDockingStyle AStyle, TdxBarControl* ABarControl);
  // The modal loop in which the user drags a bar window.
  void DragBar(TdxBarControl* ABarControl);
  // The side a bar dragged to Point would take (dsNone: floating).
  TdxBarDockingStyle DockingStyleAt(TdxBarControl* ABarControl, POINT Point);
  // Moves the dragged bar window to a screen point: docks, undocks or moves it.
  void MoveBar(TdxBarControl* ABarControl, POINT Point, bool TimerFired = false);
  void CreateDockControls(TCustomForm* AForm);
  void DockControlDestroyed(TdxDockControl* AControl);

protected:
  void Update(TCollectionItem* Item) override {}

private:
  static void CALLBACK DockingTimerProc(HWND, UINT, UINT_PTR, DWORD);
  void StopDockingTimer();

  TdxDockControl* FDockControls[5] = {};
  int FDockingZoneSize = 23;
  TdxBarManager* FBarManager;
  bool FLoading = false;
  bool FDragging = false;
  TdxBarControl* FDragBarControl = nullptr;
  POINT FDragOffset{};
  UINT_PTR FDockingTimer = 0;
  TdxBarControl* FDockingTimerBar = nullptr;
  bool FDetached = false;
};

// A dock site along one edge of the manager's form. Docked bar windows sit in rows stacked across the
// site (the row axis: Y for top and bottom sites, X for side sites); a row holds its windows one after
// the other along the site (columns).
struct TdxDockCol {
  TdxBarControl* BarControl;
  POINT Pos;   // site client coordinates where the window wants to be
};
struct TdxDockRow {
  std::vector<TdxDockCol> Cols;
};

class TdxDockControl : public TCustomControl {
  YOZ_CLASS(TdxDockControl, TCustomControl)
public:
  TdxDockControl(TComponent* AOwner, TdxBarDockingStyle AStyle, TdxBarManager* ABarManager);
  ~TdxDockControl() override;
  TdxBarManager* BarManager() const { return FBarManager; }
  TdxBars* Bars() const { return FBars; }
  void SetBars(TdxBars* Value) { FBars = Value; }
  TdxBarDockingStyle DockingStyle() const { return FDockingStyle; }
  bool Horizontal() const { return FDockingStyle == dsTop || FDockingStyle == dsBottom; }

  // The bar windows in the site, row by row.
  int BarCount() const;
  TdxBarControl* BarControls(int Index) const;
  int RowCount() const { return int(FRows.size()); }
  const TdxDockRow& Rows(int Index) const { return FRows[size_t(Index)]; }
  // The row holding the window (-1 when none).
  int RowOf(TdxBarControl* ABarControl) const;
  virtual void InsertBar(TdxBarControl* ABarControl, POINT ScreenPoint, bool Update);
  // A bar window that goes away leaves its row.
  void ForgetBar(TdxBarControl* ABarControl);
  virtual void RemoveBar(TdxBarControl* ABarControl, bool Update);
  virtual void MoveBarTo(TdxBarControl* ABarControl, POINT ScreenPoint);
  // A screen point on the row the window last sat in (a new row there when it sat alone).
  virtual POINT RowInsertPoint(TdxBarControl* ABarControl);
  int RowAtPos(POINT ScreenPoint, bool& NewRow);
  int ColumnAtPos(int Row, POINT ScreenPoint);
  RECT GetRowRect(int Row);
  int RowThickness(int Row);
  int RowsThickness();
  // The zone [Lo, Hi) of a row's part along the row axis (part 1: the 5-pixel new-row strip).
  void GetRowZone(int Row, int Part, int& Lo, int& Hi);
  // The site's bounds inflated by the dock-zone size, in screen coordinates.
  virtual RECT GetDockZone();
  virtual void UpdateDock();
  // Thickness across the site (width of a side site, height of a top or bottom one).
  int SiteSize() const { return Horizontal() ? Height() : Width(); }
  int NeededSize();
  void SetSiteSize(int Value);
  void ReFrame();
  void Dispatch(TMessage& Message) override;
  void CreateParams(TCreateParams& Params) override;

private:
  bool DetachBar(TdxBarControl* ABarControl);
  void LayoutRows();
  void SizeToRows();
  int Extent();
  int Across();
  TdxBarManager* FBarManager;
  TdxBars* FBars = nullptr;
  TdxBarDockingStyle FDockingStyle;
  std::vector<TdxDockRow> FRows;
  bool FLayingOut = false;
  int FRemovedRow = -1;
  bool FRemovedAlone = false;
};
