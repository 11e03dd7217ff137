// The spin edit: a numeric edit with two arrow buttons that repeat while held. The value lives as
// text in the edit; the buttons, the arrow and page keys and the mouse wheel step it within Min and
// Max. Also the button pair as a control of its own and the repeating speed button.
#pragma once

#include <cstdint>
#include <string>

#include "Buttons.h"
#include "ExtCtrls.h"
#include "RzEdit.h"

enum TSpinDirection { sdUpDown, sdLeftRight };
extern const TEnumInfo SpinDirectionNames;
// 0: the up/right step, 1: the down/left step.
using TSpinButtonType = uint8_t;
using TSpinChangingEvent = TEvent<TObject*, bool&>;
using TSpinButtonEvent = TEvent<TObject*, TSpinButtonType>;

// A speed button that clicks again and again while it is held down.
class TRzRapidFireButton : public TSpeedButton {
  YOZ_CLASS(TRzRapidFireButton, TSpeedButton)
public:
  explicit TRzRapidFireButton(TComponent* AOwner);
  uint16_t InitialDelay() const { return FInitialDelay; }
  void SetInitialDelay(uint16_t Value) { FInitialDelay = Value; }
  uint16_t Delay() const { return FDelay; }
  void SetDelay(uint16_t Value) { FDelay = Value; }
  bool Repeating() const { return FRepeatTimer && FRepeatTimer->Enabled(); }
  TRzAboutInfo About() const { return aiDabelComponents; }

  static constexpr uint8_t rfDrawFocus = 1, rfRepeat = 2;
  uint8_t Flags = rfRepeat;

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  static void Publish(TPublisher<TRzRapidFireButton>& p);

protected:
  void Paint() override;

private:
  void TimerExpired(TObject* Sender);
  TTimer* FRepeatTimer = nullptr;
  uint16_t FInitialDelay = 400;
  uint16_t FDelay = 100;
};

class TRzSpinButtons : public TWinControl {
  YOZ_CLASS(TRzSpinButtons, TWinControl)
public:
  explicit TRzSpinButtons(TComponent* AOwner);

  TSpinDirection Direction() const { return FDirection; }
  virtual void SetDirection(TSpinDirection Value);
  TOrientation Orientation() const { return FOrientation; }
  virtual void SetOrientation(TOrientation Value);
  virtual bool GetEnabled() const { return Enabled(); }
  void SetEnabled(bool Value) override;
  bool Flat() const { return FFlat; }
  virtual void SetFlat(bool Value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  virtual TBitmap* GetGlyphUpRight() const { return FUpRightButton->Glyph(); }
  virtual void SetGlyphUpRight(TBitmap* Value);
  virtual TBitmap* GetGlyphDownLeft() const { return FDownLeftButton->Glyph(); }
  virtual void SetGlyphDownLeft(TBitmap* Value);
  virtual int GetNumGlyphsUpRight() const { return FUpRightButton->NumGlyphs(); }
  virtual void SetNumGlyphsUpRight(int Value) { FUpRightButton->SetNumGlyphs(Value); }
  virtual int GetNumGlyphsDownLeft() const { return FDownLeftButton->NumGlyphs(); }
  virtual void SetNumGlyphsDownLeft(int Value) { FDownLeftButton->SetNumGlyphs(Value); }
  bool CustomGlyphUpRight() const { return FCustomGlyphUpRight; }
  bool CustomGlyphDownLeft() const { return FCustomGlyphDownLeft; }
  TRzRapidFireButton* UpRightButton() const { return FUpRightButton; }
  TRzRapidFireButton* DownLeftButton() const { return FDownLeftButton; }
  TRzAboutInfo About() const { return aiDabelComponents; }

  TNotifyEvent OnUpRightClick;
  TNotifyEvent OnDownLeftClick;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;

  static void Publish(TPublisher<TRzSpinButtons>& p);

protected:
  virtual TRzRapidFireButton* CreateButton();
  virtual void BtnClick(TObject* Sender);
  virtual void BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void SetFocusBtn(TRzRapidFireButton* Btn);
  virtual void AdjustSize(int& W, int& H);

  TSpinDirection FDirection = sdUpDown;
  TOrientation FOrientation = orVertical;
  TRzRapidFireButton* FUpRightButton = nullptr;
  TRzRapidFireButton* FDownLeftButton = nullptr;
  TRzRapidFireButton* FFocusedButton = nullptr;
  TWinControl* FFocusControl = nullptr;
  bool FFlat = false;
  bool FCustomGlyphUpRight = false;
  bool FCustomGlyphDownLeft = false;
};

class TRzSpinEdit : public TRzCustomEdit {
  YOZ_CLASS(TRzSpinEdit, TRzCustomEdit)
public:
  explicit TRzSpinEdit(TComponent* AOwner);

  bool AllowKeyEdit() const { return FAllowKeyEdit; }
  void SetAllowKeyEdit(bool Value) { FAllowKeyEdit = Value; }
  bool AllowBlank() const { return FAllowBlank; }
  void SetAllowBlank(bool Value) { FAllowBlank = Value; }
  double BlankValue() const { return FBlankValue; }
  void SetBlankValue(double Value) { FBlankValue = Value; }
  int ButtonWidth() const { return FButtonWidth; }
  virtual void SetButtonWidth(int Value);
  bool CheckRange() const { return FCheckRange; }
  void SetCheckRange(bool Value) { FCheckRange = Value; }
  uint8_t Decimals() const { return FDecimals; }
  virtual void SetDecimals(uint8_t Value);
  double Increment() const { return FIncrement; }
  void SetIncrement(double Value) { FIncrement = Value; }
  bool IntegersOnly() const { return FIntegersOnly; }
  virtual void SetIntegersOnly(bool Value);
  double Min() const { return FMin; }
  virtual void SetMin(double Value);
  double Max() const { return FMax; }
  virtual void SetMax(double Value);
  double PageSize() const { return FPageSize; }
  void SetPageSize(double Value) { FPageSize = Value; }
  // The value of the text; reading changes nothing (an empty or unreadable text reads as Min, or
  // BlankValue when blanks are allowed).
  virtual double GetValue();
  virtual void SetValue(double Value);
  virtual int32_t GetIntValue();
  virtual void SetIntValue(int32_t Value);
  // V within Min and Max (no limits while Min = Max and CheckRange is off).
  virtual double CheckValue(double V);

  TRzSpinButtons* Buttons() const { return FButtons; }
  virtual TRzRapidFireButton* GetButton(int Index) const;
  virtual TSpinDirection GetDirection() const { return FButtons->Direction(); }
  virtual void SetDirection(TSpinDirection Value) { FButtons->SetDirection(Value); }
  virtual bool GetEnabled() const { return Enabled(); }
  void SetEnabled(bool Value) override;
  virtual bool GetFlatButtons() const { return FButtons->Flat(); }
  virtual void SetFlatButtons(bool Value);
  virtual TOrientation GetOrientation() const { return FButtons->Orientation(); }
  virtual void SetOrientation(TOrientation Value);
  TRzAboutInfo About() const { return aiDabelComponents; }

  TSpinChangingEvent OnChanging;
  TSpinButtonEvent OnButtonClick;

  virtual void UpClick(TObject* Sender);
  virtual void DownClick(TObject* Sender);
  virtual void IncValue(double Amount);
  virtual void DecValue(double Amount);

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void GetEditRect(RECT& Rect) override;
  void SetFrameStyle(TFrameStyle Value) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {}
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  bool DoMouseWheelDown(TShiftState Shift, POINT MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, POINT MousePos) override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;

  static void Publish(TPublisher<TRzSpinEdit>& p);

protected:
  virtual void ResizeButtons();
  virtual void SetEditMargins();
  virtual bool IsValidChar(char Key);
  virtual bool CanChangeValue();
  virtual void DoButtonClick(TSpinButtonType Button);

  bool FAllowKeyEdit = false;
  bool FAllowBlank = false;
  double FBlankValue = 0;
  TRzSpinButtons* FButtons;
  int FButtonWidth = 17;
  bool FCheckRange = false;
  uint8_t FDecimals = 0;
  double FIncrement = 1.0;
  bool FIntegersOnly = true;
  double FMin = 0;
  double FMax = 100.0;
  double FPageSize = 10.0;
  // A value read from a form waits for the limits read after it.
  bool FLoadedValueSet = false;
  double FLoadedValue = 0;
};

// The arrows' default pictures, made when the unit starts.
void RzSpnEdtInitialize();
void RzSpnEdtFinalize();
