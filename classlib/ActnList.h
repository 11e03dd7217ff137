// Actions: named commands with a caption, hint, image, shortcut and enabled/checked/visible state that
// menu items, buttons and command-bar items show through action links. An action list updates its
// actions when the application is idle; executing an action updates it first and runs its handler only
// when it is then enabled.
//
// A client (menu item, button, command-bar item) holds a TActionLink descendant; the action tells every
// registered link about each change (SetCaption, SetEnabled...), and the link writes the client's own
// property only while Is...Linked says the client still shows the action's value.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"
#include "Controls.h"

class TBasicAction;
class TCustomActionList;
class TCustomImageList;

using TShortCut = uint16_t;
using THelpContext = int32_t;

// ---------------------------------------------------------------------------------------------------
// Links

class TBasicActionLink : public TObject {
  YOZ_CLASS(TBasicActionLink, TObject)
public:
  explicit TBasicActionLink(TObject* AClient) {}
  ~TBasicActionLink() override;
  TBasicAction* Action() const { return FAction; }
  void SetAction(TBasicAction* Value);
  // Runs the action for Target (the client that was used); False when the action did nothing.
  virtual bool Execute(TComponent* Target = nullptr);
  virtual bool Update();
  // Told by the action after any change; fires OnChange.
  virtual void Change();
  TNotifyEvent OnChange;

protected:
  TBasicAction* FAction = nullptr;
};

class TActionLink : public TBasicActionLink {
  YOZ_CLASS(TActionLink, TBasicActionLink)
public:
  using TBasicActionLink::TBasicActionLink;
  // True when the client's value follows the action's (the base: the action is a TCustomAction).
  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsHelpContextLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();
  virtual bool IsOnExecuteLinked();
  // Called by the action with its new value; descendants write the client's property.
  virtual void SetCaption(const std::string& Value) {}
  virtual void SetChecked(bool Value) {}
  virtual void SetEnabled(bool Value) {}
  virtual void SetHelpContext(THelpContext Value) {}
  virtual void SetHint(const std::string& Value) {}
  virtual void SetImageIndex(int32_t Value) {}
  virtual void SetShortCut(TShortCut Value) {}
  virtual void SetVisible(bool Value) {}
  virtual void SetOnExecute(const TNotifyEvent& Value) {}

protected:
  bool IsCustomAction() const;
};

// ---------------------------------------------------------------------------------------------------
// Actions

using TActionEvent = TEvent<TBasicAction*, bool&>;

class TBasicAction : public TComponent {
  YOZ_CLASS(TBasicAction, TComponent)
public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;

  // Runs OnExecute; True when a handler ran.
  virtual bool Execute();
  // Runs OnUpdate; True when a handler ran.
  virtual bool Update();
  // The component the action was last executed from (a menu item, a button), or nullptr.
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* Value);
  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TNotifyEvent OnExecute() const { return FOnExecute; }
  virtual void SetOnExecute(const TNotifyEvent& Value);
  TNotifyEvent OnUpdate;
  // Fired after any change of the action (the links are told first).
  TNotifyEvent OnChange;

  static void Publish(TPublisher<TBasicAction>& p);

protected:
  virtual void Change();
  std::vector<TBasicActionLink*> FClients;
  TNotifyEvent FOnExecute;

private:
  TComponent* FActionComponent = nullptr;
};

class TContainedAction : public TBasicAction {
  YOZ_CLASS(TContainedAction, TBasicAction)
public:
  explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  ~TContainedAction() override;

  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* Value);
  int Index() const;
  const std::string& Category() const { return FCategory; }
  void SetCategory(const std::string& Value);

  // The list's OnExecute first; when it does not handle the action, the action's own OnExecute.
  bool Execute() override;
  // The list's OnUpdate first; when it does not handle the action, the action's own OnUpdate.
  bool Update() override;

  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;

  static void Publish(TPublisher<TContainedAction>& p);

private:
  friend class TCustomActionList;
  void SetActionListField(TCustomActionList* Value) { FActionList = Value; }
  TCustomActionList* FActionList = nullptr;
  std::string FCategory;
};

class TCustomAction : public TContainedAction {
  YOZ_CLASS(TCustomAction, TContainedAction)
public:
  explicit TCustomAction(TComponent* AOwner);

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  int32_t ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int32_t Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void SetOnExecute(const TNotifyEvent& Value) override;

  // Updates the action first, then runs it only when it is enabled.
  bool Execute() override;
  // Executes the action for a pressed shortcut: True when it ran.
  virtual bool HandleShortCut();

private:
  std::string FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  THelpContext FHelpContext = 0;
  std::string FHint;
  int32_t FImageIndex = -1;
  TShortCut FShortCut = 0;
  bool FVisible = true;
};

class TAction : public TCustomAction {
  YOZ_CLASS(TAction, TCustomAction)
public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
  static void Publish(TPublisher<TAction>& p);
};

// ---------------------------------------------------------------------------------------------------
// Action lists

class TCustomActionList : public TComponent {
  YOZ_CLASS(TCustomActionList, TComponent)
public:
  explicit TCustomActionList(TComponent* AOwner);
  ~TCustomActionList() override;

  int ActionCount() const { return int(FActions.size()); }
  TContainedAction* Actions(int Index) const { return FActions.at(size_t(Index)); }
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);

  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);

  // Fires OnExecute / OnUpdate for the action; True when the handler marked it handled.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // Updates every action (the list's OnUpdate, else the action's own).
  void UpdateActions();
  // Executes the enabled action whose shortcut the key message makes; True when one ran.
  bool IsShortCut(TWMKey& Message);

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  TNotifyEvent OnChange;

  static void Publish(TPublisher<TCustomActionList>& p);

protected:
  virtual void Change();

private:
  std::vector<TContainedAction*> FActions;
  TCustomImageList* FImages = nullptr;
};

class TActionList : public TCustomActionList {
  YOZ_CLASS(TActionList, TCustomActionList)
public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// Updates the actions of every action list: the application calls it when it becomes idle.
void UpdateActionListsOnIdle();
// Executes the action of an action list owned by Root (a form) whose shortcut Message makes.
bool IsActionShortCut(TComponent* Root, TWMKey& Message);

// ---------------------------------------------------------------------------------------------------
// Controls that show an action (buttons, check boxes, speed buttons)

class TControlActionLink : public TActionLink {
  YOZ_CLASS(TControlActionLink, TActionLink)
public:
  explicit TControlActionLink(TControl* AClient) : TActionLink(AClient), FClient(AClient) {}
  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(THelpContext Value) override;
  void SetHint(const std::string& Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

protected:
  TControl* FClient;
};

// The action part of a control: holds the link, copies the action's state into the control, and
// routes the control's click to the action when OnClick is the action's handler or empty.
class TControlActionClient {
public:
  explicit TControlActionClient(TControl* Control) : FControl(Control) {}
  ~TControlActionClient();
  TBasicAction* Action() const { return FLink ? FLink->Action() : nullptr; }
  // Links the control to Value (nullptr unlinks); Make gives the link class (a check box's own).
  void SetAction(TBasicAction* Value, TActionLink* (*Make)(TControl*) = nullptr);
  TActionLink* ActionLink() const { return FLink; }
  // The click path of the control: OnClick unless the action handles it.
  void Click();
  // Called by the control's Notification: a freed action clears the link.
  void ActionRemoved(TComponent* AComponent);
private:
  TControl* FControl;
  TActionLink* FLink = nullptr;
};

void RegisterActnListClasses();
