// Menus: shortcuts and their texts, menu items (a tree of TMenuItem under a menu), the form's main
// menu and popup menus. Items live in the objects; the Windows menu is built from them when it is
// needed and rebuilt after a change, so items can be made, changed and freed at any time.
//
// A shortcut is a key code plus scShift (0x2000), scCtrl (0x4000) and scAlt (0x8000).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ActnList.h"
#include "Classes.h"
#include "Controls.h"

class TMenu;
class TMenuItem;
class TCustomImageList;

using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(uint16_t Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+Ctrl+Del", "F5", "#300"; empty for a key without a name.
std::string ShortCutToText(TShortCut ShortCut);
// The shortcut a text names (prefixes "Shift+", "Ctrl+" or "^", "Alt+" in any case and order);
// 0 when none.
TShortCut TextToShortCut(std::string Text);
// The shortcut of a key message, with the modifier keys held now.
TShortCut ShortCutFromMessage(const TWMKey& Message);

// The caption without its accelerator marks ("&&" stays one "&").
std::string StripHotkey(const std::string& Text);
// The accelerator character of a caption (upper case), 0 when none.
char GetHotkey(const std::string& Text);

// ---------------------------------------------------------------------------------------------------

class TMenuActionLink : public TActionLink {
  YOZ_CLASS(TMenuActionLink, TActionLink)
public:
  explicit TMenuActionLink(TMenuItem* AClient);
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(THelpContext Value) override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(int32_t Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

private:
  TMenuItem* FClient;
};

class TMenuItem : public TComponent {
  YOZ_CLASS(TMenuItem, TComponent)
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // Sub-items.
  int Count() const { return int(FItems.size()); }
  TMenuItem* Items(int Index) const;   // EMenuError when out of range
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  void Delete(int Index);             // frees the item
  void Remove(TMenuItem* Item);       // takes the item out without freeing it
  void Clear();                       // frees every sub-item
  int IndexOf(const TMenuItem* Item) const;
  TMenuItem* Parent() const { return FParent; }
  TMenu* GetParentMenu() const;
  // The sub-item with that command id, this item included.
  TMenuItem* FindItem(UINT Command);

  // "-" makes a separator.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool IsLine() const { return FCaption == "-"; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  int32_t ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int32_t Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value) { FHelpContext = Value; }
  TBasicAction* Action() const { return FActionLink ? FActionLink->Action() : nullptr; }
  void SetAction(TBasicAction* Value);
  UINT Command() const { return FCommand; }
  // The Windows sub-menu of an item with sub-items (made with the menu), else nullptr.
  HMENU Handle() const { return FHandle; }

  // Runs OnClick, or the action when OnClick is empty or is the action's handler.
  virtual void Click();
  // Updates the action of this item and of its sub-items (before a menu opens).
  void InitiateActions();

  TNotifyEvent OnClick;

  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

  static void Publish(TPublisher<TMenuItem>& p);

protected:
  // Something shown changed: the menu that holds the item builds its Windows menu again.
  void MenuChanged();

private:
  friend class TMenu;
  friend class TMenuActionLink;
  // Appends this item to the Windows menu Menu (with its sub-menu).
  void AppendTo(HMENU Menu);
  void DestroyHandles();

  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on the root item of a menu only
  std::vector<TMenuItem*> FItems;
  std::string FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  bool FRadioItem = false;
  TShortCut FShortCut = 0;
  int32_t FImageIndex = -1;
  std::string FHint;
  THelpContext FHelpContext = 0;
  TMenuActionLink* FActionLink = nullptr;
  UINT FCommand;
  HMENU FHandle = nullptr;
};

class EMenuError : public Exception {
public:
  using Exception::Exception;
};

class TMenu : public TComponent {
  YOZ_CLASS(TMenu, TComponent)
public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  TMenuItem* Items() const { return FItems; }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // The Windows menu, built from the items when first asked for.
  HMENU Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Builds the Windows menu again from the items (after a change).
  virtual void RebuildHandle();
  // Runs the item whose shortcut the key makes (enabled, visible, along enabled parents).
  bool IsShortCut(TWMKey& Message);
  // WM_INITMENUPOPUP: the item whose sub-menu opens gets its click; True when it was one of ours.
  bool DispatchPopup(HMENU Menu);
  TMenuItem* FindItem(UINT Command) { return FItems->FindItem(Command); }

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  TComponent* GetChildParent() override { return this; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

  static void Publish(TPublisher<TMenu>& p);

protected:
  virtual HMENU CreateMenuHandle() = 0;
  virtual void MenuChanged();
  // The picture of image Index for a menu item (kept until the menu is built again), or nullptr.
  HBITMAP ItemBitmap(int Index);
  void FreeBitmaps();
  friend class TMenuItem;
  HMENU FHandle = nullptr;
  std::vector<HBITMAP> FBitmaps;

private:
  TMenuItem* FItems;
  TCustomImageList* FImages = nullptr;
};

// The menu bar of a form (the form's Menu property).
class TMainMenu : public TMenu {
  YOZ_CLASS(TMainMenu, TMenu)
public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
  ~TMainMenu() override;
  // The window whose menu bar this is (set when a form shows it), redrawn after changes.
  HWND WindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND Value);

protected:
  HMENU CreateMenuHandle() override;
  void MenuChanged() override;

private:
  HWND FWindowHandle = nullptr;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu, public IControlPopupMenu {
  YOZ_CLASS(TPopupMenu, TMenu)
public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  // Shows the menu at the screen point and runs the chosen item; returns when the menu closed.
  virtual void Popup(int X, int Y);
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value);
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  // The popup menu that is open now, nullptr when none.
  static TPopupMenu* Active();

  TNotifyEvent OnPopup;

  // IControlPopupMenu
  bool PopupAutoPopup() const override { return FAutoPopup; }
  void PopupForControl(TControl* Control, int X, int Y) override;

  void Notification(TComponent* AComponent, TOperation Operation) override;
  static void Publish(TPublisher<TPopupMenu>& p);

protected:
  HMENU CreateMenuHandle() override;
  virtual void DoPopup(TObject* Sender);

private:
  TComponent* FPopupComponent = nullptr;
  bool FAutoPopup = true;
  TPopupAlignment FAlignment = paLeft;
};

// The item of any menu that has this command id (WM_COMMAND of a menu), nullptr when none.
TMenuItem* FindMenuItem(UINT Command);
// Menu work a form does: runs a main-menu command, opens a sub-menu, runs a shortcut of the form's
// main menu or action lists. Each answers True when it handled the message.
bool FormMenuCommand(TComponent* Form, UINT Command);
bool FormMenuPopup(TComponent* Form, HMENU Menu);
bool FormIsShortCut(TComponent* Form, TWMKey& Message);

void RegisterMenusClasses();
