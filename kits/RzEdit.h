// The panel and edit kit's edit: draws its own frame in the non-client area in any frame style,
// switches between a flat style at rest and a focus style while focused or under the mouse, can take
// its frame settings from a TRzFrameController, right-aligns its text and can turn Enter into Tab.
#pragma once

#include <string>

#include "RzCommon.h"
#include "StdCtrls.h"

using TLeftRight = TAlignment;   // taLeftJustify or taRightJustify

class TRzCustomEdit : public TCustomEdit {
  YOZ_CLASS(TRzCustomEdit, TCustomEdit)
public:
  explicit TRzCustomEdit(TComponent* AOwner);
  ~TRzCustomEdit() override;
  void BeforeDestruction() override;

  TLeftRight Alignment() const { return FAlignment; }
  virtual void SetAlignment(TLeftRight Value);
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool Value) { FTabOnEnter = Value; }
  virtual TColor GetColor() const { return TControl::Color(); }
  virtual void SetColor(TColor Value);
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor Value);
  TRzFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TRzFrameController* Value);
  bool FrameFlat() const { return FFrameFlat; }
  virtual void SetFrameFlat(bool Value);
  TFrameStyle FrameFlatStyle() const { return FFrameFlatStyle; }
  virtual void SetFrameFlatStyle(TFrameStyle Value);
  TFrameStyle FrameFocusStyle() const { return FFrameFocusStyle; }
  virtual void SetFrameFocusStyle(TFrameStyle Value);
  TSides FrameSides() const { return FFrameSides; }
  virtual void SetFrameSides(TSides Value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle Value);
  bool FrameVisible() const { return FFrameVisible; }
  virtual void SetFrameVisible(bool Value);
  bool UseFrameController() const { return FUseFrameController; }
  void SetUseFrameController(bool Value) { FUseFrameController = Value; }
  bool Hot() const { return FHot; }

  // SetHot: take Hot as the mouse state. A flat edit then shows its focus style while focused or hot,
  // its flat style otherwise.
  virtual void UpdateFrame(bool SetHot, bool Hot);
  virtual void RepaintFrame();
  virtual void GetEditRect(RECT& Rect);
  virtual std::string GetDisplayText() { return Text(); }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyPress(char& Key) override;

  static void Publish(TPublisher<TRzCustomEdit>& p);

protected:
  virtual void MouseEnter() { OnMouseEnter(this); }
  virtual void MouseLeave() { OnMouseLeave(this); }
  void PaintFrame();

  TLeftRight FAlignment = taLeftJustify;
  bool FTabOnEnter = false;
  TColor FFrameColor = clBtnShadow;
  TRzFrameController* FFrameController = nullptr;
  bool FFrameFlat = false;
  TFrameStyle FFrameFlatStyle = fsStatus;
  TFrameStyle FFrameFocusStyle = fsLowered;
  TSides FFrameSides = sdAllSides;
  TFrameStyle FFrameStyle = fsFlat;
  bool FFrameVisible = false;
  bool FUseFrameController = true;
  bool FHot = false;
};

