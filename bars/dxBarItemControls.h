#pragma once
// Command bars: the item controls, the view of one link in one bar window (buttons, sub-items,
// containers, and the edit and combo controls with their in-place window and drop-down list).

#include <windows.h>

#include <cstdint>
#include <string>

#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "dxBarCommon.h"

class TdxBarWindowItem;
class TdxBarEdit;
class TdxBarCombo;

// The view of one link in one bar window. The drawing and input come with the item controls; every
// change notice an item or link broadcasts lands here.
class TdxBarItemControl : public TObject {
  YOZ_CLASS(TdxBarItemControl, TObject)
public:
  explicit TdxBarItemControl(TdxBarItemLink* ALink);
  ~TdxBarItemControl() override;
  TdxBarItemLink* Link() const { return FLink; }
  TdxBarItem* Item() const;
  TCustomdxBarControl* Parent() const { return FParent; }
  bool DroppedDown() const { return FDroppedDown; }
  void SetDroppedDown(bool Value) { FDroppedDown = Value; }
  // The control owns an in-place window (edit and combo controls).
  bool HasWindow() const { return FHasWindow; }
  // Selected in a bar window that is in menu mode: such a control keeps its look through broadcasts.
  bool IsSelectedInActiveBar() const;

  // What the item and link tell: a new size re-lays the bar out (a shortcut only widens a menu row), a
  // new look repaints the control, and a control that becomes disabled is deselected first.
  virtual void BeginGroupChanged();
  virtual void CaptionChanged();
  virtual void EnabledChanged();
  virtual void GlyphChanged() {}
  virtual void ShortCutChanged();
  virtual void VisibleChanged();
  virtual void Repaint() {}
  virtual void ButtonStyleChanged() {}
  virtual void DownChanged() {}
  virtual void DropDownEnabledChanged() {}
  virtual void PaintStyleChanged() {}
  virtual void WidthChanged() {}
  virtual void ClickingChanged() {
    if (!FClicking) Repaint();
  }

  virtual bool FiresClickEvent() { return true; }
  virtual void Click();
  virtual void DropDown() { FDroppedDown = true; }
  // Closes what the control has open (a sub-item's sub-menu, a button's drop-down menu).
  virtual void CloseUp() { FDroppedDown = false; }
  virtual void ControlClick() {}
  virtual void ItemClick();
  virtual bool IsSelected();
  virtual std::string GetCaption();
  virtual bool GetEnabled();
  virtual TBitmap* GetGlyph();
  virtual int GetImageIndex();
  virtual TCustomImageList* GetImages();
  virtual int GetHeight() { return 0; }
  virtual int GetWidth() { return 0; }
  virtual bool ClosesSubMenuOnClick() { return true; }
  // State: 0 on a toolbar, 1 in a menu, 2 on a rotated vertical toolbar.
  virtual void Paint(HDC DC, RECT R, int State) {}
  bool SelectedByMouse() const { return FSelectedByMouse; }
  void SetSelectedByMouse(bool Value) { FSelectedByMouse = Value; }
  bool Clicking() const { return FClicking; }
  void SetClicking(bool Value);
  RECT SeparatorRect{};
  bool LineBreak = false;
  bool LastInRow = false;
  int RowThickness = 0;   // the thickness of the toolbar row the control was laid out in
  // A window item whose in-place editor is open answers its current text here.
  virtual bool EditorText(std::string& Text) { return false; }
  // The glyph area of a button or sub-item: background, picture and frame (Kind: the paint state).
  void DrawGlyphArea(HDC DC, RECT R, int Kind, bool APressed, bool ADown, bool AHot);
  bool HasGlyph();

protected:
  TdxBarItemLink* FLink;
  TCustomdxBarControl* FParent;
  bool FDroppedDown = false;
  bool FHasWindow = false;
  bool FClicking = false;
  bool FSelectedByMouse = false;
};

// A button on a toolbar or a row of a menu.
class TdxBarButtonControl : public TdxBarItemControl {
  YOZ_CLASS(TdxBarButtonControl, TdxBarItemControl)
public:
  explicit TdxBarButtonControl(TdxBarItemLink* ALink) : TdxBarItemControl(ALink) {}
  TdxBarButton* Button() const;
  // The paint style in effect: a plain button without any picture shows its caption on a toolbar.
  TdxBarPaintStyle EffectivePaintStyle();
  virtual int GetArrowWidth();
  virtual int GetThickness();
  virtual int GetLength();
  int GetHeight() override;
  int GetWidth() override;
  ~TdxBarButtonControl() override;
  bool IsSelected() override;
  bool ClosesSubMenuOnClick() override;
  void ControlClick() override;
  void ItemClick() override;
  void CloseUp() override;
  void GlyphChanged() override;
  void ButtonStyleChanged() override;
  void PaintStyleChanged() override;
  void DownChanged() override { Repaint(); }
  void DropDownEnabledChanged() override { Repaint(); }
  void Repaint() override;
  void Paint(HDC DC, RECT R, int State) override;
  // Pressed look: held down with the mouse on it, or running its click.
  bool Pressed();
  // A bsDropDown button's menu: opened by a press on the arrow part, Enter, Up or Down on the menu bar or
  // Right in a menu; it stands in the bar's menu chain. DropDownClosed is told when its window goes.
  bool IsDropDownStyle();
  void OpenDropDownMenu(bool ByMouse);
  void DropDownClosed();
  TdxBarSubMenuControl* DropDownWindow();
  bool MouseClick = false;
  bool DropDownOpen = false;

private:
  // The press being handled lies on the arrow part.
  bool PressOnArrow();
};

// A sub-item on a toolbar or a row of a menu: it opens the sub-menu of its item's links, at once on a
// toolbar in menu mode, 400 ms after hovering in a menu.
class TdxBarSubItemControl : public TdxBarItemControl {
  YOZ_CLASS(TdxBarSubItemControl, TdxBarItemControl)
public:
  explicit TdxBarSubItemControl(TdxBarItemLink* ALink) : TdxBarItemControl(ALink) {}
  ~TdxBarSubItemControl() override;
  TCustomdxBarSubItem* SubItem() const;
  // The open sub-menu window of the item's links (nullptr while closed).
  virtual TdxBarSubMenuControl* GetSubMenu();
  virtual void PrepareLinks() {}
  virtual void LinksClosed() {}
  virtual int GetThickness();
  virtual int GetLength();
  int GetHeight() override;
  int GetWidth() override;
  bool FiresClickEvent() override { return false; }
  bool ClosesSubMenuOnClick() override { return false; }
  void GlyphChanged() override;
  void ControlClick() override;
  void DropDown() override;
  void CloseUp() override { CloseUpNow(true); }
  // A close that is not immediate waits 400 ms in a menu (the cursor may come back).
  void CloseUpNow(bool Immediately);
  void Repaint() override;
  void Paint(HDC DC, RECT R, int State) override;
  bool OpenOnSelect = false;
  // Opens the sub-menu window now.
  void Open();
  // The pending delayed opening or closing, if any (one for the whole process).
  static TdxBarSubItemControl* PendingControl();

private:
  bool FByKeyboard = false;
};

// A list or container item: its listed links fill the sub-menu it opens from a toolbar.
class TdxBarContainerItemControl : public TdxBarSubItemControl {
  YOZ_CLASS(TdxBarContainerItemControl, TdxBarSubItemControl)
public:
  explicit TdxBarContainerItemControl(TdxBarItemLink* ALink) : TdxBarSubItemControl(ALink) {}
  int GetLength() override;
  void PrepareLinks() override;
  void LinksClosed() override;
  void Paint(HDC DC, RECT R, int State) override;
};

template <class C>
TdxBarItemControl* dxMakeItemControl(TdxBarItemLink* ALink) {
  return new C(ALink);
}

// ---------------------------------------------------------------------------------------------------
// Edit and combo item controls: item controls that own an in-place EDIT window while the user types.

class TdxBarWinControl : public TdxBarItemControl {
  YOZ_CLASS(TdxBarWinControl, TdxBarItemControl)
public:
  explicit TdxBarWinControl(TdxBarItemLink* ALink);
  ~TdxBarWinControl() override;
  TdxBarWindowItem* WindowItem() const;
  HWND Handle() const { return FHandle; }
  bool Focused() const { return FFocused; }
  bool Loading() const { return FLoading; }
  RECT EditorRect() const { return FEditorRect; }
  bool EditorVisible() const { return FHandle && IsWindowVisible(FHandle); }

  bool FiresClickEvent() override;
  bool ClosesSubMenuOnClick() override { return false; }
  void ControlClick() override;
  void CloseUp() override;
  bool EditorText(std::string& Text) override;

  virtual void CreateEditorWindow();
  virtual void DestroyEditorWindow();
  virtual std::string GetText();
  virtual void SetFocused(bool Value);
  virtual void SetText(const std::string& Value);
  // The in-place window's procedure; answers through Message.Result.
  virtual void WndProc(TMessage& Message);
  // EN_CHANGE of the in-place window, reflected back by the bar window.
  virtual void EditorChanged() {}
  // The first key messages go to the item; False when it consumed the key.
  bool ItemKey(TMessage& Message);

protected:
  void DefaultWndProc(TMessage& Message);
  // Loads text into the editor without CurChange.
  void LoadEditorText(const std::string& Text);
  void RemoveChars();
  // The editor text limit; 0: no limit.
  virtual int TextLimit() { return 0; }
  static LRESULT CALLBACK InPlaceProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  bool FFocused = false;
  bool FLoading = false;
  HWND FHandle = nullptr;
  WNDPROC FPrevProc = nullptr;
  HWND FPrevFocus = nullptr;
  RECT FEditorRect{};
  // Set by the destructor: a window procedure still on the stack touches nothing more.
  bool* FDeadFlag = nullptr;
};

class TdxBarEditControl : public TdxBarWinControl {
  YOZ_CLASS(TdxBarEditControl, TdxBarWinControl)
public:
  explicit TdxBarEditControl(TdxBarItemLink* ALink) : TdxBarWinControl(ALink) {}
  TdxBarEdit* Edit() const;
  void CreateEditorWindow() override;
  void ControlClick() override;
  bool IsSelected() override;
  int GetHeight() override;
  int GetWidth() override;
  void WidthChanged() override;
  void Repaint() override;
  void Paint(HDC DC, RECT R, int State) override;
  void SetFocused(bool Value) override;
  void SetText(const std::string& Value) override;
  void WndProc(TMessage& Message) override;
  void EditorChanged() override;

protected:
  int TextLimit() override;
  // The caption part in a menu; answers the rectangle left for the box.
  RECT PaintCaption(HDC DC, RECT R);
  // The two frames of the box; answers the inner box.
  RECT PaintFrame(HDC DC, RECT Box, bool Selected, bool Enabled);
  // Commits the editor's text to the item; True when the editor is still open.
  bool CommitText(bool MarkUsed);
};

class TCustomdxBarComboControl : public TdxBarEditControl {
  YOZ_CLASS(TCustomdxBarComboControl, TdxBarEditControl)
public:
  explicit TCustomdxBarComboControl(TdxBarItemLink* ALink) : TdxBarEditControl(ALink) {}
  ~TCustomdxBarComboControl() override;
  TCustomdxBarCombo* Combo() const;
  RECT ButtonRect() const { return FButtonRect; }
  bool IsDroppedDown() const { return FDroppedDownState; }
  virtual void SetDroppedDown(bool Value);
  void CloseUp() override;
  void Paint(HDC DC, RECT R, int State) override;
  void SetFocused(bool Value) override;
  void WndProc(TMessage& Message) override;

protected:
  RECT FButtonRect{};
  bool FOpenAtButtonDown = false;
  bool FDroppedDownState = false;
};

class TdxBarComboControl : public TCustomdxBarComboControl {
  YOZ_CLASS(TdxBarComboControl, TCustomdxBarComboControl)
public:
  explicit TdxBarComboControl(TdxBarItemLink* ALink) : TCustomdxBarComboControl(ALink) {}
  TdxBarCombo* ComboItem() const;
  int32_t CurItemIndex() const { return FCurItemIndex; }
  void SetCurItemIndex(int32_t Value);
  void SetFocused(bool Value) override;
  void WndProc(TMessage& Message) override;
  void EditorChanged() override;

private:
  int32_t FCurItemIndex = -1;
};

// Where a drop-down of Size goes for the item rectangle Item (screen); Beside: in a menu or on a
// vertical bar. It stays on the work area, even one left of or above the primary monitor.
POINT dxBarPlaceDropDown(RECT Item, SIZE Size, bool Beside, RECT WorkArea);

// The drop-down list of a combo item: a top-level owner-drawn list box.
class TdxBarDropDownListBox : public TCustomListBox {
  YOZ_CLASS(TdxBarDropDownListBox, TCustomListBox)
public:
  explicit TdxBarDropDownListBox(TdxBarCustomCombo* ACombo);
  TdxBarCustomCombo* Combo() const { return FCombo; }
  TCustomdxBarComboControl* ComboControl() const;
  // The combo started the tracking (the left button went down on the combo and is still held).
  bool ComboTracking = false;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void DrawItem(int Index, RECT Rect, TOwnerDrawState State) override;
  void MeasureItem(int Index, int& Height) override;

private:
  TdxBarCustomCombo* FCombo;
};
