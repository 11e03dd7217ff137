#pragma once
// Command bars, customizing: the drag and drop of links, the toolbar list and the customizing popup
// of one link.

#include <windows.h>

#include "Controls.h"
#include "dxBarCommon.h"
#include "dxBarSubMenu.h"

// ---------------------------------------------------------------------------------------------------
// Customizing drag and drop (dxBarDragDrop.cpp)

// Screen cursor ids of the drag: move, copy, no drop.
constexpr TCursor crdxBarDrag = 1041;
constexpr TCursor crdxBarDragCopy = 1042;
constexpr TCursor crdxBarDragNoDrop = 1043;
constexpr TCursor crdxBarEditSizing = 1044;
// Puts the drag cursors and the edit-sizing cursor of the module's resources into the screen's cursor table.
void dxBarRegisterDragCursors();
// The insertion mark: six segments drawn with R2_NOT into R (a control's item rectangle), at its
// leading edge (Before) or its trailing one, turned for vertical bars. Drawing it twice removes it.
void dxBarDrawInsertMark(HDC DC, RECT R, bool Vertical, bool Before);
// Whether dropping Dragged (nullptr: a command from the customizing dialog) on the control of Target
// with these drop flags would change the bars.
bool dxBarDropChanges(TdxBarItemLink* Target, TdxBarItemLink* Dragged, bool Ctrl, bool Outside, bool Before);
// Whether links may take AItem: a sub-item's links refuse the sub-item itself and any item whose
// links hold it (a menu inside itself).
bool dxBarLinksRefuseItem(TdxBarItemLinks* ALinks, TdxBarItem* AItem);
// True while a manager runs its customizing drag.
bool dxBarCustomizingDragRuns();
// A bar window that closed itself is freed once the message that closed it is done (it may be running
// its own window procedure), and only after a customizing drag that runs (the drag may have started in
// it). ThroughLinks frees it through its links (FreeBarControl), and only when they still hold it
// without a window. One freed sooner is forgotten by its BeforeDestruction.
void dxBarFreeAfterMessage(TCustomdxBarControl* AControl, bool ThroughLinks = false);
void dxBarForgetFreeAfterMessage(TCustomdxBarControl* AControl);
// Frees the bar windows that waited for a customizing drag to end.
void dxBarFreeClosedBarControlsLater();
// The customizing dialog's category list, which follows a command dragged at design time. Set by the
// dialog while it exists. CategoryAt answers the category under a screen point: -2 when the point is
// not on the list, -1 when it is on the list but on no entry. SelectCategory selects an entry.
struct TdxBarDragCategoryList {
  int (*CategoryAt)(TdxBarManager* AManager, POINT P) = nullptr;
  void (*SelectCategory)(TdxBarManager* AManager, int Index) = nullptr;
};
extern TdxBarDragCategoryList dxBarDragCategoryList;

// ---------------------------------------------------------------------------------------------------
// Menus the bars build for themselves from their own items: the toolbar list, the customizing popup of
// one link, and the quick customization opened from a toolbar's end mark. Their items belong to no
// form: they stay in one process-wide list and are freed when a later menu is built and no link uses
// them any more (dxBarFreeIdlePopupItems).

// Takes an item made for these menus out of its owner's components and into the list.
void dxBarAddPopupItem(TdxBarItem* AItem);
int dxBarPopupItemCount();

// The list of toolbars (a check row per bar that may be listed) and "&Customize...".
class TdxBarToolbarsPopup : public TdxBarSubMenuControl {
  YOZ_CLASS(TdxBarToolbarsPopup, TdxBarSubMenuControl)
public:
  explicit TdxBarToolbarsPopup(TdxBarManager* ABarManager);
  ~TdxBarToolbarsPopup() override;
  bool IsCustomizing() override { return false; }
  // Opens the manager's toolbar list at a screen point; nullptr (nothing opens) when it lists nothing.
  static TdxBarToolbarsPopup* ShowAt(TdxBarManager* ABarManager, POINT P);
};

// The menu of one link while customizing: reset, delete, name, paint style, begin group, visible, most
// recently used. One is open at a time.
class TdxBarCustomizingPopup : public TdxBarSubMenuControl {
  YOZ_CLASS(TdxBarCustomizingPopup, TdxBarSubMenuControl)
public:
  explicit TdxBarCustomizingPopup(TdxBarManager* ABarManager);
  ~TdxBarCustomizingPopup() override;
  bool IsCustomizing() override { return false; }
  void DestroyWnd() override;
  // Opens the rows for a link at a screen point.
  static TdxBarCustomizingPopup* ShowFor(TdxBarItemLink* ALink, POINT P);
  // The open popup (nullptr once its window is gone).
  static TdxBarCustomizingPopup* Current();
  // The link its rows act on: kept while the rows' clicks run, nullptr once the popup is freed or the
  // link itself went away.
  static TdxBarItemLink* CustomizingLink();
  static void LinkFreed(TdxBarItemLink* ALink);
};
