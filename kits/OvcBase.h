// The shared base of the control kit: the per-form controller that owns the entry command processor
// and a timer pool, the component base, the caption label a control can have attached and the
// record of its placement, and the kit's private window messages.
#pragma once

#include <cstdint>
#include <string>

#include "Classes.h"
#include "Controls.h"
#include "OvcCmd.h"
#include "OvcTimer.h"
#include "StdCtrls.h"

class TCustomForm;

// The kit's own messages, posted or sent to its controls' windows.
constexpr UINT OM_AFTERENTER = 0x7F08;           // the focus change is complete: fire AfterEnter
constexpr UINT OM_AFTEREXIT = 0x7F09;            // ... AfterExit
constexpr UINT OM_POSITIONLABEL = 0x7F0B;        // place the attached label beside the moved control
constexpr UINT OM_RECORDLABELPOSITION = 0x7F0C;  // the label moved: keep its new offsets
constexpr UINT OM_ASSIGNLABEL = 0x7F0D;          // lParam: a label that wants to be attached

enum TOvcBaseEFOption {
  efoAutoAdvanceChar, efoAutoAdvanceLeftRight, efoAutoAdvanceUpDown, efoAutoSelect, efoBeepOnError,
  efoInsertPushes
};
using TOvcBaseEFOptions = TSet<TOvcBaseEFOption>;
extern const TEnumInfo OvcBaseEFOptionNames;

using TDelayNotifyEvent = TEvent<TObject*, uint16_t>;
using TDataErrorEvent = TEvent<TObject*, uint16_t, const std::string&>;
using TGetEpochEvent = TEvent<TObject*, int32_t&>;
using TIsSpecialControlEvent = TEvent<TObject*, TWinControl*, bool&>;
using TPostEditEvent = TEvent<TObject*, TWinControl*>;
using TPreEditEvent = TEvent<TObject*, TWinControl*>;

// The kit's version, shown by every component's About property (never stored).
constexpr const char* OvcVersion = "v3.07";

class TOvcComponent : public TComponent {
  YOZ_CLASS(TOvcComponent, TComponent)
public:
  explicit TOvcComponent(TComponent* AOwner) : TComponent(AOwner) {}
  std::string About() const { return OvcVersion; }
  static void Publish(TPublisher<TOvcComponent>& p);
};

// One per form: the entry options and commands of the form's kit controls, the epoch of two-digit
// years, and the timer pool the kit's controls share.
class TOvcController : public TOvcComponent {
  YOZ_CLASS(TOvcController, TOvcComponent)
public:
  explicit TOvcController(TComponent* AOwner);
  ~TOvcController() override;

  TOvcBaseEFOptions EntryOptions() const { return FEntryOptions; }
  void SetEntryOptions(TOvcBaseEFOptions Value) { FEntryOptions = Value; }
  TOvcCommandProcessor* EntryCommands() const { return FEntryCommands; }
  // The stored epoch as OnGetEpoch has it.
  int32_t Epoch();
  // Taken only when it differs and lies in 1600 to 3999.
  void SetEpoch(int32_t Value);
  TOvcTimerPool* TimerPool() const { return FTimerPool; }
  // False unless OnIsSpecialControl says otherwise.
  bool IsSpecialControl(TWinControl* Control);

  TDelayNotifyEvent OnDelayNotify;
  TDataErrorEvent OnError;
  TGetEpochEvent OnGetEpoch;
  TIsSpecialControlEvent OnIsSpecialControl;
  TPostEditEvent OnPostEdit;
  TPreEditEvent OnPreEdit;
  TTriggerEvent OnTimerTrigger;

  static void Publish(TPublisher<TOvcController>& p);

private:
  void TimerPoolTrigger(TObject* Sender, int32_t Handle, uint32_t Interval, int32_t ElapsedTime);
  TOvcBaseEFOptions FEntryOptions{efoAutoSelect, efoBeepOnError, efoInsertPushes};
  TOvcCommandProcessor* FEntryCommands;
  int32_t FEpoch;
  TOvcTimerPool* FTimerPool;
};

class TOvcAttachedLabel;

// Where a control's attached label sits, relative to the control.
class TOvcLabelInfo : public TPersistent {
  YOZ_CLASS(TOvcLabelInfo, TPersistent)
public:
  TOvcLabelInfo() = default;
  int32_t OffsetX() const { return FOffsetX; }
  void SetOffsetX(int32_t Value);
  int32_t OffsetY() const { return FOffsetY; }
  void SetOffsetY(int32_t Value);
  // Both at once, with one change event.
  void SetOffsets(int32_t X, int32_t Y);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TOvcAttachedLabel* ALabel() const { return FLabel; }
  void SetALabel(TOvcAttachedLabel* Value) { FLabel = Value; }

  TNotifyEvent OnChange;                              // an offset changed
  TEvent<TObject*, bool> OnVisibleChange;             // with the new value

  static void Publish(TPublisher<TOvcLabelInfo>& p);

private:
  int32_t FOffsetX = 0;
  int32_t FOffsetY = 0;
  bool FVisible = false;
  TOvcAttachedLabel* FLabel = nullptr;
};

// A caption label that belongs to a control: it follows the control, and moving it records new offsets.
class TOvcAttachedLabel : public TLabel {
  YOZ_CLASS(TOvcAttachedLabel, TLabel)
public:
  explicit TOvcAttachedLabel(TComponent* AOwner);
  TOvcAttachedLabel(TComponent* AOwner, TWinControl* AControl);
  TWinControl* Control() const { return FControl; }
  void SetControl(TWinControl* Value);

  void Loaded() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  static void Publish(TPublisher<TOvcAttachedLabel>& p);

private:
  // Tells the control (when it is on the label's form) to adopt the label and record its place.
  void SavePosition();
  TWinControl* FControl = nullptr;
};

// The controller of a control's form: the first TOvcController among the components of the first
// form up its parents; nullptr when there is none.
TOvcController* FindController(TControl* Control);
// Base followed by 1, 2, 3 ..., the first no component of Owner is named; EComponentError when Base
// is not an identifier.
std::string OvcUniqueComponentName(TComponent* Owner, const std::string& Base);

// Unit start and end: the kit's string tables and class registrations.
void OvcBaseInitialize();
void OvcBaseFinalize();
