// Bases of the shell tree and the shell list: a tree view and a list view with a light per-item
// custom-draw protocol (a handler changes the font and colours of one item through a context object),
// context menus for an item by mouse and keyboard with an event that may swap the menu or move it,
// and, for the list, a header that draws a sort arrow beside the sorted column's caption.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>

#include "ComCtrls.h"
#include "Graphics.h"
#include "Menus.h"

// The context of one custom-draw notification: a handler changes Font or Brush (or paints the item
// itself and sets SkipDefault); Apply turns that into the notification's answer. A context lives
// only for its notification.
class TPTCustomDraw : public TObject {
  YOZ_CLASS(TPTCustomDraw, TObject)
public:
  enum TStage : uint8_t { stNone, stPrePaint, stPostPaint, stItemPrePaint, stItemPostPaint };
  // NotifyRequest: 0 answers the pre-paint stage with CDRF_DODEFAULT, 1 with CDRF_NOTIFYITEMDRAW.
  TPTCustomDraw(TFont* ControlFont, NMCUSTOMDRAW* Record, LRESULT* Result, uint8_t NotifyRequest);
  ~TPTCustomDraw() override;
  // A copy of the control's font in the context's current text colour.
  TFont* Font() { return FFont.get(); }
  // A solid brush in the context's current background colour.
  TBrush* Brush() { return FBrush.get(); }
  NMCUSTOMDRAW* Record() const { return FRecord; }
  TStage Stage() const;
  bool SkipDefault = false;
  virtual void Apply() = 0;

protected:
  void ApplyCommon(COLORREF& TextColor, COLORREF& TextBkColor);

private:
  void FontChanged(TObject*) { FFontChanged = true; }
  void BrushChanged(TObject*) { FBrushChanged = true; }
  TFont* FControlFont;
  std::unique_ptr<TFont> FFont;
  bool FFontChanged = false;
  std::unique_ptr<TBrush> FBrush;
  bool FBrushChanged = false;
  uint8_t FNotifyRequest;
  NMCUSTOMDRAW* FRecord;
  LRESULT* FResult;
};

class TPTTvCustomDraw : public TPTCustomDraw {
  YOZ_CLASS(TPTTvCustomDraw, TPTCustomDraw)
public:
  using TPTCustomDraw::TPTCustomDraw;
  void Apply() override;
};

class TPTLvCustomDraw : public TPTCustomDraw {
  YOZ_CLASS(TPTLvCustomDraw, TPTCustomDraw)
public:
  using TPTCustomDraw::TPTCustomDraw;
  void Apply() override;
};

// Sender, the context and the node (nil outside the item stages).
using TPTTvCustomDrawEvent = TEvent<TObject*, TPTCustomDraw*, TTreeNode*>;
using TPTLvCustomDrawEvent = TEvent<TObject*, TPTCustomDraw*, TListItem*>;
// aPos in client coordinates; the handler may change the menu (nil: none) and the point.
using TPTTvOnNodeContextMenuEvent = TEvent<TObject*, TTreeNode*, POINT&, TPopupMenu*&>;
using TPTLvOnItemContextMenuEvent = TEvent<TObject*, TListItem*, POINT&, TPopupMenu*&>;

class TPTCustomTreeView : public TCustomTreeView {
  YOZ_CLASS(TPTCustomTreeView, TCustomTreeView)
public:
  explicit TPTCustomTreeView(TComponent* AOwner);
  TPTTvOnNodeContextMenuEvent OnNodeContextMenu;
  TPTTvCustomDrawEvent OnItemPrePaint;
  TPTTvCustomDrawEvent OnItemPaint;
  // Answers one NM_CUSTOMDRAW; the context made for it (nil when no handler wanted one), the caller's
  // to free once the notification is answered.
  virtual TPTCustomDraw* CustomDrawItem(NMTVCUSTOMDRAW* Record, LRESULT* Result);
  void Dispatch(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  virtual void KeyboardContextMenu();
  virtual void ContextMenuAt(TTreeNode* Node, POINT Pt);
  virtual void DoNodeContextMenu(TTreeNode* Node, POINT& Pt, TPopupMenu*& Menu);

private:
  bool FMenuShown = false;
};

class TPTCustomListView : public TCustomListView {
  YOZ_CLASS(TPTCustomListView, TCustomListView)
public:
  enum TArrowPlacement : uint8_t { apNone, apBeforeCaption, apAfterCaption, apRightEdge };
  explicit TPTCustomListView(TComponent* AOwner);
  ~TPTCustomListView() override;
  TPTLvOnItemContextMenuEvent OnItemContextMenu;
  TPTLvCustomDrawEvent OnItemPrePaint;
  TPTLvCustomDrawEvent OnItemPaint;
  virtual TPTCustomDraw* CustomDrawItem(NMLVCUSTOMDRAW* Record, LRESULT* Result);
  // The sorted column (-1: none) and its direction (1 up, 0 down).
  int SortColumn() const { return FSortColumn; }
  void SetSortColumn(int Value);
  uint8_t SortDirection() const { return FSortDirection; }
  void SetSortDirection(uint8_t Value);
  TArrowPlacement ArrowPlacement() const { return FArrowPlacement; }
  void SetArrowPlacement(TArrowPlacement Value);
  bool HeaderDrawing() const { return FHeaderDrawing; }
  void SetHeaderDrawing(bool Value);
  HWND HeaderHandle();
  // Makes every header item owner-drawn (or plain text with no arrow) and repaints the header.
  void UpdateHeader();
  void Dispatch(TMessage& Message) override;

protected:
  void CreateWnd() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  virtual void KeyboardContextMenu();
  virtual void ItemContextMenuAt(TListItem* Item, POINT Pt);
  void ItemMenuFromSelection(POINT Fallback);
  void DrawHeaderItem(DRAWITEMSTRUCT* Item);
  void InvalidateHeaderColumn(int Column);

private:
  bool DrawHeaderCaption(DRAWITEMSTRUCT* Item, RECT& Box);
  void DrawSortArrow(HDC DC, RECT Box);
  // The list's and its text's background in the control's colour.
  void SetListColors();
  // Message handlers (Dispatch).
  void WMDrawItem(TMessage& Message);
  void WMNotify(TWMNotify& Message);
  void CNNotify(TWMNotify& Message);
  void WMContextMenu(TWMContextMenu& Message);
  void WMRButtonUp(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void WMSysColorChange(TMessage& Message);

  bool FMenuShown = false;
  bool FDragStarted = false;
  std::unique_ptr<TCanvas> FHeaderCanvas;
  int FSortColumn = -1;
  uint8_t FSortDirection = 0;
  TArrowPlacement FArrowPlacement = apAfterCaption;
  bool FHeaderDrawing = true;
  int FHeaderUpdating = 0;
};

// The message the list posts to itself to bring its header up to date later.
constexpr UINT WM_PTUPDATEHEADER = 0x464;

void UPTTreeListInitialize();
