// Standard controls: labels, edits, memos, buttons, check and radio buttons, group boxes, list and
// combo boxes. The items of list and combo boxes live in the object (strings with objects) and are
// handed to the window whenever it is made, so they can be filled before the window exists and survive
// RecreateWnd.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ActnList.h"
#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
extern const TEnumInfo AlignmentNames;
enum TTextLayout { tlTop, tlCenter, tlBottom };
extern const TEnumInfo TextLayoutNames;
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
extern const TEnumInfo ScrollStyleNames;

enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odComboBoxEdit };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
TOwnerDrawState OwnerDrawStateFrom(UINT itemState);

using TDrawItemEvent = TEvent<TWinControl*, int, RECT, TOwnerDrawState>;
using TMeasureItemEvent = TEvent<TWinControl*, int, int&>;

// Answers WM_CTLCOLOR* for a control: its font colour on its own colour. Brush is the control's
// cached brush (made again when the colour changed).
LRESULT ControlColor(TControl* Control, HDC DC, HBRUSH& Brush, TColor& BrushColor);

// ---------------------------------------------------------------------------------------------------
// Labels

class TCustomLabel : public TGraphicControl {
  YOZ_CLASS(TCustomLabel, TGraphicControl)
public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  void SetAutoSize(bool Value) override;

  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

  static void Publish(TPublisher<TCustomLabel>& p);

protected:
  void Paint() override;
  // Draws the caption into Rect with DrawText flags (DT_CALCRECT measures only).
  virtual void DoDrawText(RECT& Rect, UINT Flags);
  // With AutoSize, the bounds follow the caption.
  virtual void AdjustBounds();
  std::string GetLabelText() { return Caption(); }

  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FTransparent = false;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
  YOZ_CLASS(TLabel, TCustomLabel)
public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

// ---------------------------------------------------------------------------------------------------
// Edits

class TCustomEdit : public TWinControl {
  YOZ_CLASS(TCustomEdit, TWinControl)
public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  bool Modified();
  void SetModified(bool Value);

  void SelectAll();
  void Clear() { SetText(""); }
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  std::string SelText();
  void SetSelText(const std::string& Value);

  TNotifyEvent OnChange;

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TCustomEdit>& p);

protected:
  virtual void Change();
  int FMaxLength = 0;
  bool FReadOnly = false;
  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = bsSingle;
  char FPasswordChar = 0;
  bool FModified = false;
  HBRUSH FBrush = nullptr;
  TColor FBrushColor = clNone;
};

class TEdit : public TCustomEdit {
  YOZ_CLASS(TEdit, TCustomEdit)
public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

class TCustomMemo;

// The lines of a memo: the window's text split at line breaks.
class TMemoStrings : public TStrings {
  YOZ_CLASS(TMemoStrings, TStrings)
public:
  explicit TMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;
  std::string Text() const override;
  void SetText(const std::string& Value) override;

protected:
  std::string Get(int Index) const override;
  int GetCount() const override;
  void Put(int Index, const std::string& S) override;

private:
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& L);
  TCustomMemo* FMemo;
};

class TCustomMemo : public TCustomEdit {
  YOZ_CLASS(TCustomMemo, TCustomEdit)
public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;
  TStrings* Lines() const { return FLines; }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }

  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TCustomMemo>& p);

private:
  TMemoStrings* FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FWantReturns = true;
  bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
  YOZ_CLASS(TMemo, TCustomMemo)
public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

// ---------------------------------------------------------------------------------------------------
// Buttons

class TButtonControl : public TWinControl {
  YOZ_CLASS(TButtonControl, TWinControl)
public:
  explicit TButtonControl(TComponent* AOwner);
  ~TButtonControl() override;
  TBasicAction* Action() const { return FActionClient.Action(); }
  virtual void SetAction(TBasicAction* Value) { FActionClient.SetAction(Value); }
  void Click() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TButtonControl>& p);

protected:
  TControlActionClient FActionClient;
  HBRUSH FBrush = nullptr;
  TColor FBrushColor = clNone;
};

class TButton : public TButtonControl {
  YOZ_CLASS(TButton, TButtonControl)
public:
  explicit TButton(TComponent* AOwner);

  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }

  // Sets the form's ModalResult (when the button has one), then runs OnClick or the action.
  void Click() override;
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TButton>& p);

protected:
  bool FDefault = false;
  bool FCancel = false;
  TModalResult FModalResult = mrNone;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
extern const TEnumInfo CheckBoxStateNames;

class TCustomCheckBox : public TButtonControl {
  YOZ_CLASS(TCustomCheckBox, TButtonControl)
public:
  explicit TCustomCheckBox(TComponent* AOwner);

  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return FState; }
  // A change fires OnClick, as a click by the user does.
  void SetState(TCheckBoxState Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  void SetAction(TBasicAction* Value) override;

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TCustomCheckBox>& p);

protected:
  // The user's click: the next state in the cycle.
  virtual void Toggle();
  friend class TCheckBoxActionLink;
  TCheckBoxState FState = cbUnchecked;
  bool FClicksDisabled = false;
  bool FAllowGrayed = false;
  TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  YOZ_CLASS(TCheckBox, TCustomCheckBox)
public:
  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

class TRadioButton : public TButtonControl {
  YOZ_CLASS(TRadioButton, TButtonControl)
public:
  explicit TRadioButton(TComponent* AOwner);
  bool Checked() const { return FChecked; }
  // Checking one unchecks the other radio buttons of the same parent; a change fires OnClick.
  void SetChecked(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TRadioButton>& p);

private:
  bool FChecked = false;
  TAlignment FAlignment = taRightJustify;
};

class TCustomGroupBox : public TCustomControl {
  YOZ_CLASS(TCustomGroupBox, TCustomControl)
public:
  explicit TCustomGroupBox(TComponent* AOwner);
  void AdjustClientRect(RECT& Rect) override;
  void Dispatch(TMessage& Message) override;

protected:
  void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
  YOZ_CLASS(TGroupBox, TCustomGroupBox)
public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

// ---------------------------------------------------------------------------------------------------
// List and combo boxes

class TItemsControl;

// Strings with objects kept in the object and mirrored into the list or combo window.
class TItemsStrings : public TStrings {
  YOZ_CLASS(TItemsStrings, TStrings)
public:
  explicit TItemsStrings(TItemsControl* Control) : FControl(Control) {}
  int Add(const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const std::string& S) const override;
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  // Puts every string into the window again (after it was made).
  void FillWindow();

protected:
  std::string Get(int Index) const override;
  int GetCount() const override { return int(FItems.size()); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::string& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;

private:
  struct TItem {
    std::string S;
    TObject* O;
  };
  void CheckIndex(int Index, bool AllowEnd) const;
  void InsertItem(int Index, const std::string& S, TObject* O);
  std::vector<TItem> FItems;
  bool FSorted = false;
  TItemsControl* FControl;
};

// What list and combo boxes share: the items, owner drawing and the window messages for items.
class TItemsControl : public TWinControl {
  YOZ_CLASS(TItemsControl, TWinControl)
public:
  explicit TItemsControl(TComponent* AOwner);
  ~TItemsControl() override;

  TStrings* Items() const { return FItems; }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool Value) { FItems->SetSorted(Value); }
  int ItemIndex();
  virtual void SetItemIndex(int Value);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value);
  TCanvas* Canvas() const { return FCanvas; }
  void Clear() { FItems->Clear(); }

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;

  // Owner drawing: the default fills the rectangle and writes the item's text.
  virtual void DrawItem(int Index, RECT Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);
  virtual bool IsOwnerDraw() const { return false; }

protected:
  friend class TItemsStrings;
  // The window messages of this kind of box (LB_* or CB_*).
  struct TItemMessages {
    UINT AddString, InsertString, DeleteString, ResetContent, GetCurSel, SetCurSel, SetItemHeight, Err;
  };
  virtual const TItemMessages& ItemMessages() const = 0;

  TItemsStrings* FItems;
  int FItemIndex = -1;   // kept while there is no window
  int FItemHeight = 16;
  TCanvas* FCanvas;
  HBRUSH FBrush = nullptr;
  TColor FBrushColor = clNone;
};

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
extern const TEnumInfo ListBoxStyleNames;

class TCustomListBox : public TItemsControl {
  YOZ_CLASS(TCustomListBox, TItemsControl)
public:
  explicit TCustomListBox(TComponent* AOwner);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  // The item at the client point, -1 when none (or, with Existing False, the nearest).
  int ItemAtPos(POINT Pos, bool Existing);
  RECT ItemRect(int Index);
  int TopIndex();
  void SetTopIndex(int Value);
  bool IsOwnerDraw() const override { return FStyle != lbStandard; }

  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TCustomListBox>& p);

protected:
  const TItemMessages& ItemMessages() const override;

private:
  TListBoxStyle FStyle = lbStandard;
  TBorderStyle FBorderStyle = bsSingle;
  bool FIntegralHeight = false;
};

class TListBox : public TCustomListBox {
  YOZ_CLASS(TListBox, TCustomListBox)
public:
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
extern const TEnumInfo ComboBoxStyleNames;

class TCustomComboBox : public TItemsControl {
  YOZ_CLASS(TCustomComboBox, TItemsControl)
public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TComboBoxStyle Style() const { return FStyle; }
  virtual void SetStyle(TComboBoxStyle Value);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int Value) { FDropDownCount = Value; }
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  void SetItemIndex(int Value) override;
  bool IsOwnerDraw() const override { return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable; }
  void SelectAll();
  // The edit part's window (styles with an edit), nullptr otherwise.
  HWND EditHandle() const { return FEditHandle; }

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TNotifyEvent OnSelect;

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TCustomComboBox>& p);

protected:
  virtual void Change();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void Select();
  // Messages of the edit part (and of the list part's window) go here first; the default passes
  // them to the part's own procedure, after key handling through the combo's key events.
  virtual void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc);
  const TItemMessages& ItemMessages() const override;

  TComboBoxStyle FStyle = csDropDown;
  int FMaxLength = 0;
  int FDropDownCount = 8;
  HWND FEditHandle = nullptr;
  WNDPROC FEditProc = nullptr;
  int FDroppedIndex = -1;  // the entry chosen when the list last dropped

private:
  static LRESULT CALLBACK EditWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
};

class TComboBox : public TCustomComboBox {
  YOZ_CLASS(TComboBox, TCustomComboBox)
public:
  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

void RegisterStdCtrlsClasses();
