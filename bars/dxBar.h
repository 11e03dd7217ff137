// Command bars: the bar manager of a form, its bars, the command items and the links that place the
// items in bars and sub-menus, and the process-wide routines they share.
//
// A form holds one TdxBarManager. The manager owns the bars (TdxBars, with the four dock sites along
// the form's edges) and keeps the registry of items; every item (TdxBarItem and descendants) is a
// component of the form that registers with the manager. A bar, a sub-item or a popup menu shows its
// items through an ordered collection of item links (TdxBarItemLinks); each visible link gets an item
// control in the owner's window while that window exists. Every change of an item is broadcast to the
// controls of its links; nothing polls.
//
// The windows (toolbar and menu windows, dock-site layout, item controls) are only the seams the
// bookkeeping here needs: their virtual operations are where the drawing, layout and input go.
//
// Process-wide state lives in one place (dxBarInitialize / dxBarFinalize): the item-class registry, the
// live bar-window list, the manager list and the thread timers. Everything runs on the UI thread.
#pragma once

// The whole of the command bars; each part of the bars includes only the headers of the areas it uses.
#include "dxBarCommon.h"
#include "dxBarManager.h"
#include "dxBarItems.h"
#include "dxBarBars.h"
#include "dxBarWindows.h"
#include "dxBarItemControls.h"
#include "dxBarSubMenu.h"
#include "dxBarCustomizing.h"
#include "dxBarQuickCust.h"
