// A framed panel split into two panes by a bar the user drags. The bar's place is a pixel position
// (the pane named by FixedPane keeps its size when the splitter is resized) or a percentage of the
// splitter's extent, always limited by the margins; a hot spot on the bar collapses one pane and a
// second click restores it.
//
// Form resources list the panes' controls as children of the splitter and name them in
// "UpperLeftControls" and "LowerRightControls"; Loaded moves each into its pane.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "RzCommon.h"
#include "RzPanel.h"

enum TSelectedPane : uint8_t { spUpperLeft, spLowerRight };
enum TFixedPane : uint8_t { fpUpperLeft, fpLowerRight };
enum TSplitterStyle : uint8_t { ssStandard, ssGroove, ssBump };
enum THotSpotDirection : uint8_t { hsdMin, hsdMax };
extern const TEnumInfo SelectedPaneNames;
extern const TEnumInfo FixedPaneNames;
extern const TEnumInfo SplitterStyleNames;
extern const TEnumInfo HotSpotDirectionNames;

using TPositionChangingEvent = TEvent<TObject*, int, bool&>;

class TRzSplitter;

// One side of a splitter. Mouse actions on its empty area fall through to the splitter.
class TRzSplitterPane : public TRzCustomPanel {
  YOZ_CLASS(TRzSplitterPane, TRzCustomPanel)
public:
  explicit TRzSplitterPane(TComponent* AOwner);
  TRzSplitter* Splitter() const { return FSplitter; }
  // The pane's visibility; the splitter lays its panes out again.
  void SetPaneVisible(bool Value);
  void Dispatch(TMessage& Message) override;
  static void Publish(TPublisher<TRzSplitterPane>& p);

private:
  friend class TRzSplitter;
  TRzSplitter* FSplitter = nullptr;
};

// The published face of a pane inside the splitter's form data ("UpperLeft.Color = clWindow").
class TRzPaneData : public TPersistent {
  YOZ_CLASS(TRzPaneData, TPersistent)
public:
  explicit TRzPaneData(TRzSplitterPane* Pane) : FPane(Pane) {}
  TRzSplitterPane* Pane() const { return FPane; }
  void Assign(TPersistent* Source) override;
  static void Publish(TPublisher<TRzPaneData>& p);

private:
  TRzSplitterPane* FPane;
};

class TRzSplitter : public TRzCustomPanel {
  YOZ_CLASS(TRzSplitter, TRzCustomPanel)
public:
  explicit TRzSplitter(TComponent* AOwner);
  ~TRzSplitter() override;

  // Pane 1 is the upper or left one, pane 2 the lower or right one.
  TRzSplitterPane* Panes(int Index) const { return (Index == 1 || Index == 2) ? FPanes[Index - 1] : nullptr; }
  TRzSplitterPane* UpperLeftPane() const { return FPanes[0]; }
  TRzSplitterPane* LowerRightPane() const { return FPanes[1]; }

  // New operations, in the order the kit declares them.
  virtual void UpdateFixedSize();
  virtual int GetBorderWidth();
  virtual void DrawDragLine(int Pos);
  virtual void CalcHotSpotRect();
  virtual void DrawHotSpot(bool Hot);
  virtual void DrawSplitterBar();
  virtual void ConstrainPosition(int& Pos);
  virtual void SetFixedOffset(int Pos);
  TOrientation Orientation() const { return FOrientation; }
  virtual void SetOrientation(TOrientation Value);
  TSelectedPane SelectedPane() const { return FSelectedPane; }
  virtual void SetSelectedPane(TSelectedPane Value);
  TFixedPane FixedPane() const { return FFixedPane; }
  virtual void SetFixedPane(TFixedPane Value);
  virtual TRzPaneData* GetPaneData(int Index);
  virtual void SetPaneData(int Index, TRzPaneData* Value);
  int Position() const { return FPosition; }
  virtual void SetPosition(int Value);
  // SetPosition, then the bar stays there when the splitter shrinks and grows again.
  virtual void ChangePosition(int Value);
  int MarginMax() const { return FMarginMax; }
  virtual void SetMarginMax(int Value);
  int MarginMin() const { return FMarginMin; }
  virtual void SetMarginMin(int Value);
  int Percent() const { return FPercent; }
  virtual void SetPercent(int Value);
  bool UsePercent() const { return FUsePercent; }
  virtual void SetUsePercent(bool Value);
  int PercentMax() const { return FPercentMax; }
  virtual void SetPercentMax(int Value);
  int PercentMin() const { return FPercentMin; }
  virtual void SetPercentMin(int Value);
  TSplitterStyle SplitterStyle() const { return FSplitterStyle; }
  virtual void SetSplitterStyle(TSplitterStyle Value);
  uint16_t SplitterWidth() const { return FSplitterWidth; }
  virtual void SetSplitterWidth(uint16_t Value);
  bool HotSpotVisible() const { return FHotSpotVisible; }
  virtual void SetHotSpotVisible(bool Value);
  TColor HotSpotHighlight() const { return FHotSpotHighlight; }
  virtual void SetHotSpotHighlight(TColor Value);
  THotSpotDirection HotSpotDirection() const { return FHotSpotDirection; }
  virtual void SetHotSpotDirection(THotSpotDirection Value);
  int HotSpotSizePercent() const { return FHotSpotSizePercent; }
  virtual void SetHotSpotSizePercent(int Value);
  virtual void LayoutPanes();
  virtual void ResetHotSpotClosed();
  virtual bool CanChangePosition(int NewPos);
  virtual void DoChange();
  virtual void DoHotSpotClick();

  bool RealTimeDrag() const { return FRealTimeDrag; }
  void SetRealTimeDrag(bool Value) { FRealTimeDrag = Value; }
  bool LockBar() const { return FLockBar; }
  void SetLockBar(bool Value) { FLockBar = Value; }
  bool HotSpotClosed() const { return FHotSpotClosed; }
  int HotSpotPosition() const { return FHotSpotPosition; }
  bool HotSpotIgnoreMargins() const { return FHotSpotIgnoreMargins; }
  void SetHotSpotIgnoreMargins(bool Value) { FHotSpotIgnoreMargins = Value; }
  RECT BarRect() const { return FBarRect; }
  RECT HotSpotRect() const { return FHotSpotRect; }
  bool Dragging() const { return FDragging; }
  // The splitter's own width for the solid border: its setter lays the panes out again.
  void SetBorderWidth(int Value);

  TNotifyEvent OnChange;
  TPositionChangingEvent OnChanging;
  TNotifyEvent OnHotSpotClick;

  RECT GetClientRect() override;
  void AlignControls(TControl* AControl, RECT& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void SetBorderInner(TFrameStyle Value) override;
  void SetBorderOuter(TFrameStyle Value) override;
  void SetBorderSides(TSides Value) override;
  void Resize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Dispatch(TMessage& Message) override;
  void DefineProperties(TFiler* Filer) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void Loaded() override;

  static void Publish(TPublisher<TRzSplitter>& p);

protected:
  void Paint() override;

private:
  int Extent() const { return FOrientation == orHorizontal ? Width() : Height(); }
  // The extent less half the bar: what percentages are taken of.
  int PercentExtent() const { return Extent() - FSplitterWidth / 2; }
  bool BothVisible() const { return FPanes[0] && FPanes[1] && FPanes[0]->Visible() && FPanes[1]->Visible(); }
  int PercentOf(int P) const;
  int FromPercent(int V) const;
  void ApplyPercentLimits();
  void ReadBarSize(TReader* Reader);
  void ReadNames(TReader* Reader, std::vector<std::string>& Names);

  TOrientation FOrientation = orHorizontal;
  TRzPaneData* FPaneData[2] = {nullptr, nullptr};
  TRzSplitterPane* FPanes[2] = {nullptr, nullptr};
  std::vector<std::string> FUpperLeftNames, FLowerRightNames;
  TSelectedPane FSelectedPane = spUpperLeft;
  int FPosition = 100;
  int FMarginMin = 0, FMarginMax = 0;
  bool FUsePercent = false;
  int FPercent = 50, FPercentMin = 0, FPercentMax = 100;
  TFixedPane FFixedPane = fpUpperLeft;
  int FFixedSize = 0;
  bool FLayingOut = false;
  uint16_t FSplitterWidth = 4;
  TSplitterStyle FSplitterStyle = ssStandard;
  bool FRealTimeDrag = false;
  bool FLockBar = false;
  RECT FBarRect{0, 0, 0, 0};
  int FDragStart = 0;
  HCURSOR FHorzCursor = nullptr, FVertCursor = nullptr;
  bool FDragging = false;
  int FDragOffset = 0;
  int FFixedOffset = 0;
  int FLastDragPos = 0;
  HBITMAP FChecker = nullptr;
  bool FNotHot = true;
  bool FHotSpotVisible = false;
  TColor FHotSpotHighlight = clWindow;
  RECT FHotSpotRect{0, 0, 0, 0};
  THotSpotDirection FHotSpotDirection = hsdMin;
  bool FHotSpotClosed = false;
  bool FHotSpotPressed = false;
  int FHotSpotPosition = 100;
  bool FHotSpotIgnoreMargins = true;
  int FHotSpotSizePercent = 40;
};

// Registers the splitter and its pane with the class registry.
void RzSplitInitialize();
