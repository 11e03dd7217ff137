// Common controls: what the page control, status bar, list view and tree view share (loading the
// window classes, custom drawing, sort types).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ClassesCore.h"
#include "Graphics.h"

class TCustomListView;
class TListItems;
class TListItem;
class TCustomTreeView;
class TTreeNodes;
class TTreeNode;
class TPageControl;

// Loads the common-control window classes once.
void InitComCtrls();

// ---------------------------------------------------------------------------------------------------
// Custom drawing (both views)

enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
enum TCustomDrawStateItem {
  cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot, cdsMarked, cdsIndeterminate
};
using TCustomDrawState = TSet<TCustomDrawStateItem>;
TCustomDrawState CustomDrawStateFrom(UINT uItemState);

// A view's canvas on the paint DC of a custom-draw notification, with the view's font and colour;
// released again when this goes.
class TCustomDrawCanvas {
public:
  TCustomDrawCanvas(TCanvas* Canvas, HDC DC, TFont* Font, TColor Color);
  ~TCustomDrawCanvas() { FCanvas->SetHandle(nullptr); }
  TCustomDrawCanvas(const TCustomDrawCanvas&) = delete;
  TCustomDrawCanvas& operator=(const TCustomDrawCanvas&) = delete;
  // What an item handler changed, handed back to the common control: the new font selected into the
  // DC, the colours into TextColor and TextBkColor; CDRF_NEWFONT when anything changed.
  LRESULT Changes(COLORREF& TextColor, COLORREF& TextBkColor);

private:
  TCanvas* FCanvas;
  HDC FDC;
  TColor FFontColor, FBrushColor;
  LOGFONTA FFont;
};

enum TSortType { stNone, stData, stText, stBoth };
extern const TEnumInfo SortTypeNames;

// Registers the common controls' classes for the form reader.
void RegisterComCtrlsClasses();
