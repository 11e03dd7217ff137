#pragma once
// Command bars, shared part: the forward declarations of the bars' classes, their enumerations and
// event types, the resource strings, the process-wide routines and the item-class registry.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"

class TdxBarManager;
class TdxBar;
class TdxBars;
class TdxBarItem;
class TdxBarItemLink;
class TdxBarItemLinks;
class TdxBarItemControl;
class TCustomdxBarControl;
class TdxBarControl;
class TdxBarSubMenuControl;
class TdxDockControl;
class TdxBarPopupMenu;
class TdxBarButton;
class TCustomdxBarSubItem;
class TdxBarPopupMenuLinks;
class TCustomdxBarCombo;
class TdxBarCustomCombo;
class TCustomdxBarComboControl;
class TdxBarEditControl;
class TdxBarDropDownListBox;
class TCustomImageList;

// ---------------------------------------------------------------------------------------------------
// Types

enum TdxBarDockingStyle { dsNone, dsLeft, dsTop, dsRight, dsBottom };
using TdxBarDockingStyles = TSet<TdxBarDockingStyle>;
enum TdxBarManagerStyle { bmsStandard, bmsEnhanced };
enum TdxBarMenuAnimations { maNone, maRandom, maUnfold, maSlide };
enum TdxBarItemVisible { ivNever, ivInCustomizing, ivAlways };
enum TdxBarButtonStyle { bsDefault, bsChecked, bsDropDown };
enum TdxBarPaintStyle { psStandard, psCaption, psCaptionInMenu, psCaptionGlyph };
enum TdxBarUserDefine { udCaption, udGlyph, udPaintStyle, udWidth };
using TdxBarUserDefines = TSet<TdxBarUserDefine>;

extern const TEnumInfo dxBarDockingStyleNames;
extern const TEnumInfo dxBarManagerStyleNames;
extern const TEnumInfo dxBarMenuAnimationsNames;
extern const TEnumInfo dxBarItemVisibleNames;
extern const TEnumInfo dxBarButtonStyleNames;
extern const TEnumInfo dxBarPaintStyleNames;
extern const TEnumInfo dxBarUserDefineNames;

constexpr TdxBarDockingStyles dxAllDockingStyles{dsNone, dsLeft, dsTop, dsRight, dsBottom};

using TdxBarEvent = TEvent<TdxBarManager*, TdxBar*>;
using TdxBarVisibleChangeEvent = TEvent<TdxBarManager*, TdxBar*>;
using TdxBarItemLinkEvent = TEvent<TdxBarManager*, TdxBarItemLink*>;
using TdxBarCanDockingEvent = TEvent<TdxBar*, TdxBarDockingStyle, bool&>;
using TdxBarMenuMergeEvent = TEvent<TdxBarManager*, TdxBarManager*>;
using TdxBarShowPopupEvent = TEvent<TdxBarManager*, TdxBarItemLinks*>;
using TdxBarClickItemEvent = TEvent<TdxBarManager*, TdxBarItem*>;
using TdxBarKeyEvent = TEvent<TObject*, uint16_t&, TShiftState>;
using TdxBarKeyPressEvent = TEvent<TObject*, char&>;

// Resource strings of the command bars (string table of the module).
constexpr int dxSBAR_WANTTORESETTOOLBAR = 39001;
constexpr int dxSBAR_WANTTORESETUSAGEDATA = 39002;
constexpr int dxSBAR_BARMANAGERMORETHANONE = 39003;
constexpr int dxSBAR_BARMANAGERBADOWNER = 39004;
constexpr int dxSBAR_NOBARMANAGERS = 39005;
constexpr int dxSBAR_RECURSIVESUBITEMS = 39009;
constexpr int dxSBAR_COMMANDNAMECANNOTBEBLANK = 39010;
constexpr int dxSBAR_DEFAULTCATEGORYNAME = 39101;
constexpr int dxSBAR_CP_RESET = 39150;   // the customizing popup's ten rows: 39150..39159
constexpr int dxSBAR_CUSTOMIZE = 39300;
constexpr int dxSBAR_ADDREMOVEBUTTONS = 39301;
constexpr int dxSBAR_MOREBUTTONS = 39302;
constexpr int dxSBAR_RESETTOOLBAR = 39303;
std::string dxBarResStr(int Id);

class EdxException : public Exception {
public:
  using Exception::Exception;
};

// ---------------------------------------------------------------------------------------------------
// Shared routines and process-wide state

// Makes an item control for a link; registered per item class.
using TdxBarItemControlMaker = TdxBarItemControl* (*)(TdxBarItemLink* ALink);

void dxBarInitialize();
void dxBarFinalize();

// Item-class registry.
TClass dxBarItemClass(int Index);                 // among the listed entries; nullptr out of range
int dxBarListedItemClassCount();
void dxBarRegisterItem(TClass ItemClass, TdxBarItemControlMaker ControlClass, bool Listed);
void dxBarUnregisterItem(TClass ItemClass);
// The control maker registered for exactly this class (nullptr when none).
TdxBarItemControlMaker dxBarItemControlClass(TClass ItemClass);

// Live bar windows: membership is the test that a window still exists after a callback.
void AddBarControl(TCustomdxBarControl* AControl);
void RemoveBarControl(TCustomdxBarControl* AControl);
bool IsBarControl(const TObject* AObject);
TCustomdxBarControl* ActiveBarControl();
void SetActiveBarControl(TCustomdxBarControl* AControl);

void dxBarDesignerModified(TdxBarManager* ABarManager);
// A bar's caption or visibility changed: its line in an open customizing dialog follows.
void dxBarCustomizingFormBarChanged(TdxBar* ABar);
uint8_t dxBarFlagToState(bool Value);
TdxBarManager* GetBarManagerByForm(TCustomForm* AForm);
TCustomdxBarControl* GetRootBarControl(TCustomdxBarControl* AControl);
TdxBarControl* GetRootToolbar(TCustomdxBarControl* AControl);
TCustomdxBarControl* GetItemControlRoot(TdxBarItemControl* AControl);
TdxBarControl* GetItemControlRootToolbar(TdxBarItemControl* AControl);

std::string dxStripAccelChars(const std::string& S);
int dxAccelCharPos(const std::string& S);            // 1-based; 0 when none
std::string dxFitText(HDC DC, const std::string& S, const RECT& R);
int dxClampWidth(int Value);                         // 20..600
bool IsVerticalToolbar(TCustomdxBarControl* AControl);
bool RotatesWhenVertical(TCustomdxBarControl* AControl);
RECT GetWorkArea(POINT P);
// Test seam: pretend user32 lacks the monitor functions.
void dxBarSetMonitorFunctionsForTest(bool Available);
int dxBarFrameWidth();
int dxBarFrameHeight();
int dxBarBorderWidth();
int dxBarSmallCaptionHeight();
void FlushMouseMessages();
void FlushPaintMessages();
bool dxFullWindowDrag();
void DrawThickFocusFrame(HDC DC, RECT R, int Width);
void dxBarPlaySound(int Index);
void dxBarMakeMenuFont(TFont* AFont, HFONT& AHandle, bool UseSystem);
// A vertical (rotated by -90 degrees) copy of the font; the caller deletes it.
HFONT dxBarMakeVerticalFont(TFont* AFont);
void dxBarTrackMouseLeave(HWND Wnd);
void dxBarEndMouseTracking(HWND Wnd);
void dxBarFreeIdlePopupItems();

enum TdxArrowDirection { adLeft, adRight, adUp, adDown };
void dxDrawScrollArrow(HDC DC, RECT R, TdxArrowDirection Direction, bool Enabled);
void dxDrawTriangleArrow(HDC DC, RECT R, int Size, bool Enabled, bool Selected);
HBRUSH dxCheckerBrush();
void dxDrawItemText(HDC DC, const std::string& S, RECT R, int Alignment, bool Enabled, bool Selected,
                    bool Vertical);
void dxGreyGlyph(TBitmap* Glyph);
void dxDrawGlyph(HDC DC, HBRUSH Brush, RECT R, TColor Color, bool Grey, bool Enabled, int ImageIndex,
                 TCustomImageList* Images, TBitmap* Glyph, RECT G);

// ---------------------------------------------------------------------------------------------------
// Liveness of items and managers after calls into user code.

class TdxLiveGuard {
public:
  explicit TdxLiveGuard(TdxBarItem* AItem);
  ~TdxLiveGuard();
  TdxLiveGuard(const TdxLiveGuard&) = delete;
  TdxLiveGuard& operator=(const TdxLiveGuard&) = delete;
  explicit operator bool() const { return FAlive; }

private:
  friend class TdxBarItem;
  TdxBarItem* FItem;
  bool FAlive = true;
  TdxLiveGuard* FNext = nullptr;
};
