// A panel whose edge is built from up to four layers, outside in: a black frame line, an outer border,
// a solid border BorderWidth wide and an inner border, each on chosen sides and in the frame styles of
// RzCommon. The caption wraps and is placed by Alignment and a vertical alignment. The layers are
// taken off the client rectangle, so aligned children fill only the inside.
//
// The dock manager draws a caption bar with a close button on each docked client when the panel is a
// dock site; the class library has no drag-dock engine, so nothing docks here yet.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "Classes.h"
#include "Controls.h"
#include "ExtCtrlsPanels.h"
#include "Graphics.h"
#include "RzCommon.h"

enum TVerticalAlignment : uint8_t { vaTop, vaCenter, vaBottom };
extern const TEnumInfo VerticalAlignmentNames;

class TRzCustomPanel;

class TRzPanelDockManager : public TObject {
  YOZ_CLASS(TRzPanelDockManager, TObject)
public:
  explicit TRzPanelDockManager(TRzCustomPanel* Panel);
  ~TRzPanelDockManager() override;
  static constexpr int GrabberSize = 13;

  // Makes room for the caption bar of a docked client: a vertical bar at the left for a panel aligned
  // to the top or bottom, else a horizontal bar at the top.
  virtual void AdjustDockRect(TControl* Control, RECT& ARect);
  // Draws the caption bar and its close button for Control, whose zone is ARect.
  virtual void PaintDockFrame(TCanvas* Canvas, TControl* Control, const RECT& ARect);

private:
  bool VerticalBar() const;
  TRzCustomPanel* FPanel;
  TFont* FFont;
};

class TRzCustomPanel : public TCustomPanel {
  YOZ_CLASS(TRzCustomPanel, TCustomPanel)
public:
  explicit TRzCustomPanel(TComponent* AOwner);
  ~TRzCustomPanel() override;

  virtual void GetClientCursorPos(POINT& P);
  // Takes the frame line, the borders (and with IncludeBorderWidth the solid border) off Rect.
  virtual void AdjustRectForBorders(RECT& Rect, bool IncludeBorderWidth);
  virtual void GetPanelRect(RECT& Rect);
  virtual void DrawCaption(RECT Rect);

  virtual void SetVerticalAlignment(TVerticalAlignment Value);
  TColor BorderColor() const { return FBorderColor; }
  virtual void SetBorderColor(TColor Value);
  TFrameStyle BorderInner() const { return FBorderInner; }
  virtual void SetBorderInner(TFrameStyle Value);
  TFrameStyle BorderOuter() const { return FBorderOuter; }
  virtual void SetBorderOuter(TFrameStyle Value);
  TSides BorderSides() const { return FBorderSides; }
  virtual void SetBorderSides(TSides Value);
  TColor BorderHighlight() const { return FBorderHighlight; }
  virtual void SetBorderHighlight(TColor Value);
  TColor BorderShadow() const { return FBorderShadow; }
  virtual void SetBorderShadow(TColor Value);
  TColor FlatColor() const { return FFlatColor; }
  virtual void SetFlatColor(TColor Value);
  TSides FrameSides() const { return FFrameSides; }
  virtual void SetFrameSides(TSides Value);
  bool ShowDockClientCaptions() const { return FShowDockClientCaptions; }
  void SetShowDockClientCaptions(bool Value);

  // The panel's dock manager while it is a dock site that uses one (made on first use).
  TRzPanelDockManager* DockManager();

  RECT GetClientRect() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void AdjustClientRect(RECT& Rect) override;
  void Dispatch(TMessage& Message) override;
  void RemoveControl(TControl* AControl) override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  static void Publish(TPublisher<TRzCustomPanel>& p);

protected:
  void Paint() override;
  // The width one border layer of Style takes off each of its sides.
  int BorderLayerWidth(TFrameStyle Style) const;
  // Draws an outer or inner border layer on R and gives the rectangle inside.
  RECT DrawBorderLayer(TCanvas* C, RECT R, TFrameStyle Style);

  TVerticalAlignment FVerticalAlignment = vaCenter;
  TFrameStyle FBorderInner = fsNone;
  TFrameStyle FBorderOuter = fsRaised;
  TSides FBorderSides = sdAllSides;
  TColor FBorderColor = clBtnFace;
  TColor FBorderHighlight = clBtnHighlight;
  TColor FBorderShadow = clBtnShadow;
  TColor FFlatColor = clBlack;
  TSides FFrameSides;
  bool FShowDockClientCaptions = true;

private:
  void EnabledChanged();
  void BordersChanged();
  TRzPanelDockManager* FDockManager = nullptr;
  // What each child's Enabled was when the panel was disabled, so enabling gives it back.
  std::map<TControl*, bool> FChildEnabled;
  int FPaintedWidth = -1, FPaintedHeight = -1;
};
