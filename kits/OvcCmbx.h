// The control kit's owner-drawn combo box: a most-recently-used part at the top of its list, an
// attached caption label, pen borders on its sides, a flat hot-track look, incremental search while
// typing, and events after the focus change and for the wheel. It needs a TOvcController on its form,
// whose timer pool drives the typing delay and the hover check.
#pragma once

#include <cstdint>
#include <string>

#include "Classes.h"
#include "OvcBase.h"
#include "StdCtrls.h"
#include "ovcbordr.h"

// The border colours of the hot-track look.
class TOvcHTColors : public TPersistent {
  YOZ_CLASS(TOvcHTColors, TPersistent)
public:
  TOvcHTColors() = default;
  TColor Highlight() const { return FHighlight; }
  void SetHighlight(TColor Value) { FHighlight = Value; }
  TColor Shadow() const { return FShadow; }
  void SetShadow(TColor Value) { FShadow = Value; }
  void Assign(TPersistent* Source) override;
  static void Publish(TPublisher<TOvcHTColors>& p);

private:
  TColor FHighlight = clBtnHighlight;
  TColor FShadow = clBtnShadow;
};

// The recently used entries, newest first, at most MaxItems of them.
class TOvcMRUList : public TObject {
  YOZ_CLASS(TOvcMRUList, TObject)
public:
  TOvcMRUList();
  ~TOvcMRUList() override;
  int MaxItems() const { return FMaxItems; }
  void SetMaxItems(int Value);
  TStringList* Items() const { return FItems; }
  // An entry of the same text moves to the top; a new one goes there and the oldest drop out.
  void AddItem(const std::string& S, TObject* AObject);

private:
  void Shrink();
  int FMaxItems = 3;
  TStringList* FItems;
};

using TMouseWheelEvent = TEvent<TObject*, TShiftState, uint16_t, uint16_t, uint16_t>;

class TOvcBaseComboBox : public TCustomComboBox {
  YOZ_CLASS(TOvcBaseComboBox, TCustomComboBox)
public:
  explicit TOvcBaseComboBox(TComponent* AOwner);
  ~TOvcBaseComboBox() override;
  void BeforeDestruction() override;

  TOvcBorders* Borders() const { return FBorders; }
  TOvcController* Controller() const { return FController; }
  void SetController(TOvcController* Value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  bool HotTrackBorder() const { return FHotTrackBorder; }
  void SetHotTrackBorder(bool Value);
  TOvcHTColors* HotTrackColors() const { return FHotTrackColors; }
  TOvcLabelInfo* LabelInfo() const { return FLabelInfo; }
  // The attached label; EOvcException "Label not attached" when there is none.
  TOvcAttachedLabel* AttachedLabel() const;
  void SetAutoSearch(bool Value) { FAutoSearch = Value; }
  int MRUListCount() const { return FMRUList->MaxItems(); }
  void SetMRUListCount(int Value);
  int DropDownWidth() const { return FDrpDwnWidth; }
  void SetDropDownWidth(int Value);
  // The number of recently used entries at the top of Items.
  int MRUCount() const { return FMRUList->Items()->Count(); }
  bool IsOwnerDraw() const override { return true; }
  std::string About() const { return OvcVersion; }

  TNotifyEvent AfterEnter;
  TNotifyEvent AfterExit;
  TMouseWheelEvent OnMouseWheel;
  TNotifyEvent OnSelectionChange;

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void DrawItem(int Index, RECT Rect, TOwnerDrawState State) override;
  void MeasureItem(int Index, int& Height) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void DoExit() override;

  static void Publish(TPublisher<TOvcBaseComboBox>& p);

  // The pseudo key that runs the incremental search.
  static constexpr uint16_t SearchKey = 9999;
  // The handle of the outstanding incremental-search trigger, -1 when none.
  int32_t SearchTrigger() const { return FTimer; }
  bool Hot() const { return FHot; }

protected:
  virtual void SelectionChanged();
  // Adds item Index to the recently used entries.
  void UpdateMRUList(int Index);
  // Puts the recently used entries at the top of Items in place of the Shown ones there now.
  void MRUListUpdate(int Shown);
  void PaintHotTrack();
  void PaintHotFocused(HDC DC);
  void PaintHotItem(HDC DC);
  void PaintCold();
  void PaintBorders();
  void FindController();
  void RecalcItemHeight();

  bool FAutoSearch = true;
  TOvcBorders* FBorders;
  TOvcController* FController = nullptr;
  bool FIsFocused = false;
  int FDrpDwnWidth = -1;
  bool FHotTrack = false;
  bool FHotTrackBorder = true;
  TOvcHTColors* FHotTrackColors;
  int FKeyDelay = 500;
  TOvcLabelInfo* FLabelInfo;
  TColor FMRUListColor = clWindow;
  uint8_t FListStyle = 0;
  bool FIsHovering = false;     // re-entry guard of the hover check
  int32_t FHoverTimer = -1;
  bool FDropped = false;
  bool FHot = false;
  bool FBackspaced = false;
  TOvcMRUList* FMRUList;
  TStringList* FList;
  int FSaveItemIndex = -1;
  bool FKeyPassThrough = true;  // Home and End are left to the window
  int32_t FTimer = -1;
  int FDropDownIndex = -1;
  bool FLabelTop = false;       // the label sits beside the combo instead of above it

private:
  void BorderChanged(TObject* Sender);
  void LabelChange(TObject* Sender);
  void LabelVisibleChange(TObject* Sender, bool Value);
  void PositionLabel();
  void TimerEvent(TObject* Sender, int32_t Handle, uint32_t Interval, int32_t ElapsedTime);
  void HoverCheck(TObject* Sender, int32_t Handle, uint32_t Interval, int32_t ElapsedTime);
  void RemoveTriggers();
  // Message handlers (Dispatch).
  void CNCommand(TMessage& Message);
  bool CBNCloseUp();
  void SetDropped(bool Value);
  void WMPaint(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void OMAssignLabel(TMessage& Message);
  void OMRecordLabelPosition();
  void CMVisibleChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void WMMouseWheel(TWMMouseWheel& Message);
  TOvcTimerPool* Pool() const { return FController ? FController->TimerPool() : nullptr; }
};
