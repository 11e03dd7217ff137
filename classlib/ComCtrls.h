// Common controls: page control and tab sheets, status bar, list view and tree view.
//
// The items of list and tree views live in the object (TListItem, TTreeNode) and are handed to the
// window whenever it is made: they can be added before the window exists and survive RecreateWnd.
// The list view gives its texts on demand (LVN_GETDISPINFO), so filling it costs one message per row.
#pragma once

// The whole of the common controls; a file that needs only some of them includes their headers.
#include "ComCtrlsCommon.h"
#include "ComCtrlsPageControl.h"
#include "ComCtrlsStatusBar.h"
#include "ComCtrlsListView.h"
#include "ComCtrlsTreeView.h"
