// A control that divides its area into two framed panes, side by side or one above the other, with a
// bar between them that the user drags. The first pane's size is kept in pixels or in proportion to
// the splitter's size; both panes stay at or above their minimum sizes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "UPTFrame.h"

enum TPTSplitterStyle : uint8_t { ptstVertical, ptstHorizontal };
enum TPTFullDragMode : uint8_t { ptfdOff, ptfdOn, ptfdUser };
extern const TEnumInfo PTSplitterStyleNames;
extern const TEnumInfo PTFullDragModeNames;

using TPTSplitterDragEvent = TEvent<TObject*, int>;

class TPTSplitter;

// One side of a splitter: a framed container on which other controls are placed.
class TPTPane : public TPTGroup {
  YOZ_CLASS(TPTPane, TPTGroup)
public:
  explicit TPTPane(TComponent* AOwner);

  // The smallest size along the split direction.
  int MinSize() const { return FMinSize; }
  void SetMinSize(int Value) { FMinSize = Value; }
  // 0 for the first pane, 1 for the second: the slot the pane fills when a form is loaded.
  int Index() const { return FIndex; }
  void SetIndex(int Value) { FIndex = Value; }
  bool Selected() const { return FSelected; }

  void Dispatch(TMessage& Message) override;
  static void Publish(TPublisher<TPTPane>& p);

protected:
  void Paint() override;

private:
  friend class TPTSplitter;
  int FMinSize = 20;
  int FIndex = 0;
  bool FSelected = false;
};

class TPTSplitter : public TCustomControl {
  YOZ_CLASS(TPTSplitter, TCustomControl)
public:
  explicit TPTSplitter(TComponent* AOwner);

  // Slot 0 is the left or top pane, slot 1 the right or bottom one; either may be missing.
  TPTPane* Panes(int Slot) const { return (Slot == 0 || Slot == 1) ? FPanes[Slot] : nullptr; }

  TPTSplitterStyle Style() const { return FStyle; }
  void SetStyle(TPTSplitterStyle Value);
  int SplitterWidth() const { return FSplitterWidth; }
  void SetSplitterWidth(int Value);
  int Position() const { return FPosition; }
  void SetPosition(int Value) { UpdatePosition(Value, true); }
  TPTFullDragMode FullDragMode() const { return FFullDragMode; }
  void SetFullDragMode(TPTFullDragMode Value) { FFullDragMode = Value; }
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value) { FProportional = Value; }
  // Position / split size as of the last drop or explicit set.
  float Proportion() const { return FProportion; }
  bool Dragging() const { return FDragging; }

  // The panes' own properties, reachable from the splitter; writing to a missing pane does nothing.
  TColor PaneColor(int Slot) const;
  void SetPaneColor(int Slot, TColor Value);
  TPTFrameStyle PaneFrameStyle(int Slot) const;
  void SetPaneFrameStyle(int Slot, TPTFrameStyle Value);
  int PaneMinSize(int Slot) const;
  void SetPaneMinSize(int Slot, int Value);

  TPTSplitterDragEvent OnSplitterDrag;
  TPTSplitterDragEvent OnSplitterDrop;
  TNotifyEvent OnChange;

  void Loaded() override;
  void SetName(const std::string& NewName) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  TComponent* GetChildOwner() override;
  void RemoveControl(TControl* AControl) override;

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // OnResize is fired by DoResize only.
  void Resize() override {}

  virtual void DoChange();
  virtual void DoResize(bool Force);
  virtual void DoSplitterDrag(int Pos);
  virtual void DoSplitterDrop(int Pos);

  static void Publish(TPublisher<TPTSplitter>& p);

protected:
  // Inverts the drag bar at the bar position; drawing twice at one place erases it.
  virtual void DrawDragBar();
  // Width for a vertical bar, Height for a horizontal one (the whole control).
  int SplitSize() const;
  void LayoutPanes();

private:
  void CreatePanes();
  void UpdateProportion();
  void UpdatePosition(int Value, bool UpdateProp);
  bool FullDrag() const;
  int ClampBar(int P) const;
  void MoveBar(int Z);
  void EndDrag();
  void SelectPane(TPTPane* Pane);
  int MinOf(int Slot) const { return FPanes[Slot] ? FPanes[Slot]->MinSize() : 0; }

  TPTPane* FPanes[2] = {nullptr, nullptr};
  TPTSplitterStyle FStyle = ptstVertical;
  int FSplitterWidth = 3;
  int FPosition = 65;
  TPTFullDragMode FFullDragMode = ptfdUser;
  bool FProportional = true;
  float FProportion = 0.325f;
  bool FDragging = false;
  int FBarPos = -1;
  int FGrabOffset = 0;
  TMouseButton FDragButton = mbLeft;
};

// Registers the splitter and its panes with the class registry; the finalisation frees the drag
// bar's pattern and unregisters the pane class when this unit registered it.
void UPTSplitterInitialize();
void UPTSplitterFinalize();
