// The customizing dialog, its companion controls and the manager's side of customizing mode.
#include "dxBarCustForm.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "Menus.h"
#include "dxBarBars.h"
#include "dxBarCustomizing.h"
#include "dxBarItemEd.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarNameEd.h"
#include "dxBarPopupMenuEd.h"

TdxBarCustomizingForm* dxBarCustomizingForm = nullptr;

namespace {

template <class T>
void Field(TComponent* Root, T*& F, const char* Name) {
  F = dynamic_cast<T*>(Root->FindComponent(Name));
  if (!F) throw EComponentError(Root->Name() + " component missing: " + Name);
}

std::string FormatS(int Id, const std::string& S) {
  std::string t = dxBarResStr(Id);
  if (auto p = t.find("%s"); p != std::string::npos) t.replace(p, 2, S);
  return t;
}

int Confirm(const std::string& Text, UINT Flags) {
  return Application->MessageBox(Text, Application->Title(), Flags);
}

// A bar the user may close (and so delete or hide from the list).
bool CanCloseBar(TdxBar* Bar) { return Bar->AllowClose() && !Bar->IsMainMenu(); }

template <class P>
void PlaceInstead(TControl* C, P*& Place) {
  C->SetBounds(Place->Left(), Place->Top(), Place->Width(), Place->Height());
  C->SetParent(Place->Parent());
  TObject::Free(Place);
  Place = nullptr;
}

}  // namespace

void dxBarRegisterDialogClasses() {
  RegisterStdCtrlsClasses();
  RegisterComCtrlsClasses();
  RegisterExtCtrlsPanelsClasses();
  RegisterButtonsClasses();
  RegisterClasses({TdxBarCustomizingForm::StaticClass(), TdxBarNameEd::StaticClass(),
                   TdxBarItemAddEditor::StaticClass(), TdxBarSubMenuEditor::StaticClass()});
}

// ---------------------------------------------------------------------------------------------------
// TCheckListBox

TCheckListBox::TCheckListBox(TComponent* AOwner) : TListBox(AOwner) {
  SetStyle(lbOwnerDrawFixed);
  SetItemHeight(16);
}

// Only a bar the manager still has: a row may outlive its bar until the list is refreshed.
TdxBar* TCheckListBox::Bar(int Index) const {
  if (Index < 0 || Index >= Items()->Count() || !BarManager) return nullptr;
  auto* bar = static_cast<TdxBar*>(Items()->Objects(Index));
  for (int i = 0; i < BarManager->Bars()->Count(); ++i)
    if (BarManager->Bars()->Items(i) == bar) return bar;
  return nullptr;
}

RECT TCheckListBox::CheckRect(int Index) {
  RECT r = ItemRect(Index);
  int side = (r.bottom - r.top) - 2;
  return RECT{r.left + 1, r.top + 1, r.left + 1 + side, r.top + 1 + side};
}

void TCheckListBox::DrawItem(int Index, RECT Rect, TOwnerDrawState State) {
  TdxBar* bar = Bar(Index);
  if (!bar) return;
  int side = (Rect.bottom - Rect.top) - 2;
  RECT check{Rect.left + 1, Rect.top + 1, Rect.left + 1 + side, Rect.top + 1 + side};
  RECT text = Rect;
  text.left = check.right + 2;
  Canvas()->FillRect(text);
  HBRUSH face = GetSysColorBrush(COLOR_WINDOW);
  RECT left{Rect.left, Rect.top, text.left, Rect.bottom};
  FillRect(Canvas()->Handle(), &left, face);
  UINT s = DFCS_BUTTONCHECK;
  if (bar->Visible()) s |= DFCS_CHECKED;
  if (!CanCloseBar(bar)) s |= DFCS_INACTIVE;
  DrawFrameControl(Canvas()->Handle(), &check, DFC_BUTTON, s);
  Canvas()->Brush()->SetStyle(bsClear);
  text.left += 2;
  DrawTextA(Canvas()->Handle(), Items()->Strings(Index).c_str(), -1, &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCheckListBox::Toggle(int Index) {
  TdxBar* bar = Bar(Index);
  if (!bar) return;
  // Hiding is what a bar that may not be closed refuses; showing it again is always allowed.
  if (bar->Visible() && !CanCloseBar(bar)) {
    MessageBeep(0);
    return;
  }
  bar->SetVisible(!bar->Visible());
  if (HandleAllocated() && Index < Items()->Count()) {
    RECT r = ItemRect(Index);
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TCheckListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: {
      TListBox::Dispatch(Message);
      POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
      int i = ItemAtPos(p, true);
      if (i < 0) return;
      RECT c = CheckRect(i);
      if (PtInRect(&c, p)) Toggle(i);
      return;
    }
    case WM_LBUTTONDBLCLK: {
      // In the check square the second click is one more click; elsewhere the double click toggles.
      TListBox::Dispatch(Message);
      POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
      int i = ItemAtPos(p, true);
      if (i >= 0) Toggle(i);
      return;
    }
    case WM_CHAR:
      if (Message.WParam == ' ') {
        Toggle(ItemIndex());
        return;
      }
      break;
  }
  TListBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------
// TCommandsListBox

TCommandsListBox::TCommandsListBox(TComponent* AOwner) : TListBox(AOwner) {
  SetStyle(lbOwnerDrawVariable);
  SetItemHeight(22);
  SetColor(clBtnFace);
  SetTabStop(false);
}

void TCommandsListBox::CreateParams(TCreateParams& Params) {
  TListBox::CreateParams(Params);
  Params.Style &= ~DWORD(WS_TABSTOP);
}

TdxBarItem* TCommandsListBox::Item(int Index) const {
  if (Index < 0 || Index >= Items()->Count()) return nullptr;
  return static_cast<TdxBarItem*>(Items()->Objects(Index));
}

void TCommandsListBox::MeasureItem(int, int& Height) { Height = 22; }

// A row looks like the command's menu row: glyph, caption, and the mark of its kind (sub-menu arrow,
// edit or combo box).
void TCommandsListBox::DrawItem(int Index, RECT Rect, TOwnerDrawState State) {
  TdxBarItem* item = Item(Index);
  HDC dc = Canvas()->Handle();
  bool selected = State.Contains(odSelected);
  FillRect(dc, &Rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
  if (!item) return;
  RECT g{Rect.left + 2, Rect.top + 2, Rect.left + 22, Rect.bottom - 2};
  TCustomImageList* images = BarManager ? BarManager->Images() : nullptr;
  bool hasGlyph = !item->Glyph()->Empty() || (images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count());
  if (hasGlyph) {
    int gw = item->Glyph()->Empty() ? images->Width() : item->Glyph()->Width();
    int gh = item->Glyph()->Empty() ? images->Height() : item->Glyph()->Height();
    RECT gr{g.left + (g.right - g.left - gw) / 2, g.top + (g.bottom - g.top - gh) / 2, 0, 0};
    gr.right = gr.left + gw;
    gr.bottom = gr.top + gh;
    dxDrawGlyph(dc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE), g, clBtnFace, false, true,
                item->ImageIndex(), images, item->Glyph()->Empty() ? nullptr : item->Glyph(), gr);
  }
  RECT t = Rect;
  t.left += 26;
  TSelectObject font(dc, Font()->Handle());
  int right = Rect.right - 4;
  if (dynamic_cast<TCustomdxBarSubItem*>(item)) {
    RECT a{right - 10, Rect.top, right, Rect.bottom};
    dxDrawTriangleArrow(dc, a, 4, true, selected);
    right -= 12;
  } else if (auto* edit = dynamic_cast<TdxBarEdit*>(item)) {
    int w = std::min<int>(edit->Width(), (Rect.right - Rect.left) / 2);
    RECT box{right - w, Rect.top + 3, right, Rect.bottom - 3};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
    if (dynamic_cast<TCustomdxBarCombo*>(item)) {
      RECT btn{box.right - 1 - GetSystemMetrics(SM_CXVSCROLL) + 4, box.top + 1, box.right - 1, box.bottom - 1};
      FillRect(dc, &btn, GetSysColorBrush(COLOR_BTNFACE));
      RECT arrow = btn;
      dxDrawScrollArrow(dc, arrow, adDown, true);
    }
    right = box.left - 4;
  }
  t.right = right;
  dxDrawItemText(dc, item->Caption(), t, 0, true, selected, false);
}

void TCommandsListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      int saved = SaveDC(dis->hDC);
      TCanvasHandleScope lent(Canvas(), dis->hDC);
      TOwnerDrawState state = OwnerDrawStateFrom(dis->itemState);
      if (int(dis->itemID) >= 0) DrawItem(int(dis->itemID), dis->rcItem, state);
      if (state.Contains(odFocused)) {
        RECT f = dis->rcItem;
        InflateRect(&f, -2, -2);
        DrawFocusRect(dis->hDC, &f);
      }
      RestoreDC(dis->hDC, saved);
      Message.Result = 1;
      return;
    }
    case WM_LBUTTONDOWN: {
      TListBox::Dispatch(Message);
      POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
      TdxBarItem* item = Item(ItemAtPos(p, true));
      // Only a button really held down can be dragged (DragDetect would wait for one otherwise).
      if (item && BarManager && (GetAsyncKeyState(VK_LBUTTON) & 0x8000)) {
        POINT s = ClientToScreen(p);
        if (DragDetect(Handle(), s)) BarManager->CustomizingDragDrop(nullptr, item);
      }
      return;
    }
    case WM_MOUSEACTIVATE: {
      TListBox::Dispatch(Message);
      POINT p;
      GetCursorPos(&p);
      int i = ItemAtPos(ScreenToClient(p), true);
      if (i >= 0 && i != ItemIndex()) {
        SetItemIndex(i);
        Click();
      }
      return;
    }
    case WM_SETFOCUS:
      TListBox::Dispatch(Message);
      if (ItemIndex() < 0 && Items()->Count() > 0) {
        SetItemIndex(0);
        Click();
      }
      return;
    case WM_ERASEBKGND: {
      // The rows paint themselves; what lies below the last one is filled here, or the rows of the
      // category shown before (and a scroll bar gone since) would stay on the screen there.
      RECT r;
      ::GetClientRect(Handle(), &r);
      if (int n = Items()->Count(); n > 0) r.top = std::max<int>(r.top, ItemRect(n - 1).bottom);
      if (r.top < r.bottom) FillRect(reinterpret_cast<HDC>(Message.WParam), &r, GetSysColorBrush(COLOR_BTNFACE));
      Message.Result = 1;
      return;
    }
  }
  TListBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------
// TCheckableButton

TCheckableButton::TCheckableButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 60, 18);
}

void TCheckableButton::SetButtonCaption(const std::string& Value) {
  SetCaption(Value);
  SIZE sz{};
  {
    ScreenDC screen;
    TSelectObject font(screen.DC, Font()->Handle());
    GetTextExtentPoint32A(screen.DC, Value.c_str(), int(Value.size()), &sz);
  }
  SetWidth(sz.cx + 10);
  SetHeight(std::max(Height(), int(sz.cy) + 4));
}

void TCheckableButton::Paint() {
  HDC dc = Canvas()->Handle();
  RECT r{0, 0, Width(), Height()};
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  TSelectObject font(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT t = r;
  if (FChecked) OffsetRect(&t, 1, 1);
  std::string s = Caption();
  DrawTextA(dc, s.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  if (FChecked)
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  else if (FMouseIn)
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
}

void TCheckableButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_MOUSEENTER || Message.Msg == CM_MOUSELEAVE) {
    FMouseIn = Message.Msg == CM_MOUSEENTER;
    Invalidate();
  }
  TGraphicControl::Dispatch(Message);
}

void TCheckableButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Menu) return;
  FChecked = true;
  Repaint();
  POINT p = ClientToScreen(POINT{0, Height()});
  TLiveGuard alive(this);
  Menu->Popup(p.x, p.y);
  if (!alive) return;
  FChecked = false;
  FMouseIn = false;
  Invalidate();
}

// ---------------------------------------------------------------------------------------------------
// The dialog

TdxBarCustomizingForm::TdxBarCustomizingForm(TComponent* AOwner) : TForm(AOwner) {}

TdxBarCustomizingForm::~TdxBarCustomizingForm() {
  if (dxBarCustomizingForm == this) dxBarCustomizingForm = nullptr;
}

void TdxBarCustomizingForm::BeforeDestruction() {
  if (!FLeaving) {
    FLeaving = true;
    if (FBarManager) FBarManager->SetCustomizing(false);
  }
  EnableOtherForms();
  TForm::BeforeDestruction();
}

void TdxBarCustomizingForm::Publish(TPublisher<TdxBarCustomizingForm>& p) {
  using F = TdxBarCustomizingForm;
  p.Method("FormClose", &F::FormClose);
  p.Method("PageControlChange", &F::PageControlChange);
  p.Method("BCloseClick", &F::BCloseClick);
  p.Method("BHelpClick", &F::BHelpClick);
  p.Method("BBarNewClick", &F::BBarNewClick);
  p.Method("BBarRenameClick", &F::BBarRenameClick);
  p.Method("BBarDeleteClick", &F::BBarDeleteClick);
  p.Method("BBarResetClick", &F::BBarResetClick);
  p.Method("LCategoriesClick", &F::LCategoriesClick);
  p.Method("LCategoriesKeyDown", &F::LCategoriesKeyDown);
  p.Method("LCategoriesMouseDown", &F::LCategoriesMouseDown);
  p.Method("CategoriesAddClick", &F::CategoriesAddClick);
  p.Method("CategoriesInsertClick", &F::CategoriesInsertClick);
  p.Method("CategoriesRenameClick", &F::CategoriesRenameClick);
  p.Method("CategoriesVisibleClick", &F::CategoriesVisibleClick);
  p.Method("CategoriesItemsVisibleChange", &F::CategoriesItemsVisibleChange);
  p.Method("CategoriesDeleteClick", &F::CategoriesDeleteClick);
  p.Method("CategoriesPopupMenuPopup", &F::CategoriesPopupMenuPopup);
  p.Method("CommandsAddClick", &F::CommandsAddClick);
  p.Method("CommandsDeleteClick", &F::CommandsDeleteClick);
  p.Method("CommandsClearClick", &F::CommandsClearClick);
  p.Method("CommandsMoveUpClick", &F::CommandsMoveUpClick);
  p.Method("CommandsMoveDownClick", &F::CommandsMoveDownClick);
  p.Method("CommandsSubMenuEditorClick", &F::CommandsSubMenuEditorClick);
  p.Method("CommandsPopupMenuPopup", &F::CommandsPopupMenuPopup);
  p.Method("OptionClick", &F::OptionClick);
  p.Method("ComboBoxMenuAnimationsClick", &F::ComboBoxMenuAnimationsClick);
  p.Method("BResetUsageDataClick", &F::BResetUsageDataClick);
  p.Method("LAllCommandsDrawItem", &F::LAllCommandsDrawItem);
  p.Method("CBShowCommandsWithShortCutClick", &F::CBShowCommandsWithShortCutClick);
}

void TdxBarCustomizingForm::Loaded() {
  Field(this, PageControl, "PageControl");
  Field(this, TabSheet1, "TabSheet1");
  Field(this, TabSheet2, "TabSheet2");
  Field(this, TabSheet3, "TabSheet3");
  Field(this, TabSheet4, "TabSheet4");
  Field(this, BClose, "BClose");
  Field(this, BHelp, "BHelp");
  Field(this, LabelToobars, "LabelToobars");
  Field(this, LabelCategories, "LabelCategories");
  Field(this, LabelCommands, "LabelCommands");
  Field(this, LabelDescription, "LabelDescription");
  Field(this, DescriptionLabel, "DescriptionLabel");
  Field(this, LabelMenuAnimations, "LabelMenuAnimations");
  Field(this, LabelMenuAnimationsEx, "LabelMenuAnimationsEx");
  Field(this, LabelPersonalized, "LabelPersonalized");
  Field(this, LabelOther, "LabelOther");
  Field(this, BBarNew, "BBarNew");
  Field(this, BBarRename, "BBarRename");
  Field(this, BBarDelete, "BBarDelete");
  Field(this, BBarReset, "BBarReset");
  Field(this, BResetUsageData, "BResetUsageData");
  Field(this, BarsListBoxPlace, "BarsListBoxPlace");
  Field(this, CategoriesPopupButtonPlace, "CategoriesPopupButtonPlace");
  Field(this, CommandsPopupButtonPlace, "CommandsPopupButtonPlace");
  Field(this, LCommandsPlace, "LCommandsPlace");
  Field(this, StandardOptionsPanel, "StandardOptionsPanel");
  Field(this, EnhancedOptionsPanel, "EnhancedOptionsPanel");
  Field(this, LCategories, "LCategories");
  Field(this, LAllCommands, "LAllCommands");
  Field(this, CBLargeIcons, "CBLargeIcons");
  Field(this, CBHint1, "CBHint1");
  Field(this, CBHint2, "CBHint2");
  Field(this, CBMenusShowRecentItemsFirst, "CBMenusShowRecentItemsFirst");
  Field(this, CBShowFullMenusAfterDelay, "CBShowFullMenusAfterDelay");
  Field(this, CBLargeIconsEx, "CBLargeIconsEx");
  Field(this, CBHint1Ex, "CBHint1Ex");
  Field(this, CBHint2Ex, "CBHint2Ex");
  Field(this, CBShowCommandsWithShortCut, "CBShowCommandsWithShortCut");
  Field(this, ComboBoxMenuAnimations, "ComboBoxMenuAnimations");
  Field(this, ComboBoxMenuAnimationsEx, "ComboBoxMenuAnimationsEx");
  Field(this, BarManager1, "BarManager1");
  Field(this, CategoriesPopupMenu, "CategoriesPopupMenu");
  Field(this, CommandsPopupMenu, "CommandsPopupMenu");
  Field(this, CategoriesAdd, "CategoriesAdd");
  Field(this, CategoriesInsert, "CategoriesInsert");
  Field(this, CategoriesRename, "CategoriesRename");
  Field(this, CategoriesVisible, "CategoriesVisible");
  Field(this, CategoriesItemsVisible, "CategoriesItemsVisible");
  Field(this, CategoriesDelete, "CategoriesDelete");
  Field(this, CommandsAdd, "CommandsAdd");
  Field(this, CommandsDelete, "CommandsDelete");
  Field(this, CommandsClear, "CommandsClear");
  Field(this, CommandsMoveUp, "CommandsMoveUp");
  Field(this, CommandsMoveDown, "CommandsMoveDown");
  Field(this, CommandsSubMenuEditor, "CommandsSubMenuEditor");
  TForm::Loaded();
}

TdxBarCustomizingForm* TdxBarCustomizingForm::Make(TdxBarManager* ABarManager) {
  dxBarRegisterDialogClasses();
  auto* f = NewForm<TdxBarCustomizingForm>(nullptr);
  dxBarCustomizingForm = f;
  TFailScope unmade([f] {
    f->FLeaving = true;
    TObject::Free(f);
  });
  f->Setup(ABarManager);
  return f;
}

void TdxBarCustomizingForm::ApplyCaptions() {
  auto s = [](int Offset) { return dxBarResStr(dxSBAR_CUSTOMIZEFORMCAPTION + Offset); };
  SetCaption(s(0));
  TabSheet1->SetCaption(s(1));
  TabSheet2->SetCaption(s(2));
  TabSheet3->SetCaption(s(3));
  TabSheet4->SetCaption(s(4));
  BClose->SetCaption(s(5));
  LabelToobars->SetCaption(s(6));
  BBarNew->SetCaption(s(7));
  BBarRename->SetCaption(s(10));
  BBarDelete->SetCaption(s(11));
  BBarReset->SetCaption(s(12));
  LabelCategories->SetCaption(s(13));
  LabelCommands->SetCaption(s(14));
  LabelDescription->SetCaption(s(15));
  CBLargeIcons->SetCaption(s(16));
  CBLargeIconsEx->SetCaption(s(16));
  CBHint1->SetCaption(s(17));
  CBHint1Ex->SetCaption(s(17));
  CBHint2->SetCaption(s(18));
  CBHint2Ex->SetCaption(s(18));
  LabelMenuAnimations->SetCaption(s(19));
  LabelMenuAnimationsEx->SetCaption(s(19));
  for (TComboBox* c : {ComboBoxMenuAnimations, ComboBoxMenuAnimationsEx}) {
    c->Items()->Clear();
    for (int i = 20; i <= 23; ++i) c->Items()->Add(s(i));
  }
  LabelPersonalized->SetCaption(s(24));
  CBMenusShowRecentItemsFirst->SetCaption(s(25));
  CBShowFullMenusAfterDelay->SetCaption(s(26));
  BResetUsageData->SetCaption(s(27));
  LabelOther->SetCaption(s(28));
  CBShowCommandsWithShortCut->SetCaption(s(29));
  BHelp->SetHint(dxBarResStr(dxSBAR_CUSTOMIZEHELP));
}

void TdxBarCustomizingForm::Setup(TdxBarManager* ABarManager) {
  FBarManager = ABarManager;
  ApplyCaptions();

  BarsListBox = new TCheckListBox(this);
  BarsListBox->BarManager = ABarManager;
  PlaceInstead(BarsListBox, BarsListBoxPlace);
  BarsListBox->SetTabOrder(0);
  BarsListBox->OnClick = Bind(this, &TdxBarCustomizingForm::BarsListBoxClick);
  LabelToobars->SetFocusControl(BarsListBox);

  LCommands = new TCommandsListBox(this);
  LCommands->BarManager = ABarManager;
  PlaceInstead(LCommands, LCommandsPlace);
  LCommands->OnClick = Bind(this, &TdxBarCustomizingForm::LCommandsClick);
  LabelCommands->SetFocusControl(LCommands);

  // Category and command editing act only on a manager being designed: elsewhere the two menus
  // would offer commands that do nothing.
  bool designing = ABarManager->Designing();
  CategoriesPopupButton = new TCheckableButton(this);
  CategoriesPopupButton->Menu = CategoriesPopupMenu;
  PlaceInstead(CategoriesPopupButton, CategoriesPopupButtonPlace);
  CategoriesPopupButton->SetButtonCaption(dxBarResStr(dxSBAR_MODIFY));
  CategoriesPopupButton->SetVisible(designing);
  CommandsPopupButton = new TCheckableButton(this);
  CommandsPopupButton->Menu = CommandsPopupMenu;
  PlaceInstead(CommandsPopupButton, CommandsPopupButtonPlace);
  CommandsPopupButton->SetButtonCaption(dxBarResStr(dxSBAR_MODIFY));
  CommandsPopupButton->SetVisible(designing);
  TabSheet4->SetTabVisible(designing);

  PageControl->SetActivePage(TabSheet1);
  RefreshAll();
}

void TdxBarCustomizingForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU;
  Params.ExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  Params.WindowClass.style |= CS_SAVEBITS | CS_OWNDC;
  if (FBarManager && FBarManager->ParentForm()) Params.WndParent = FBarManager->ParentForm()->Handle();
}

void TdxBarCustomizingForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_ACTIVATE) {
    TForm::Dispatch(Message);
    // Back from the bars (or another window): the page shows what changed meanwhile.
    if (LOWORD(Message.WParam) != WA_INACTIVE && !TdxBarCustomizingPopup::Current() && FBarManager && !FLeaving)
      PageControlChange(nullptr);
    return;
  }
  TForm::Dispatch(Message);
}

void TdxBarCustomizingForm::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove)
    FDisabledForms.erase(std::remove(FDisabledForms.begin(), FDisabledForms.end(), AComponent),
                         FDisabledForms.end());
}

void TdxBarCustomizingForm::DisableOtherForms() {
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* f = Screen->Forms(i);
    // The manager's own form too: its bars take the mouse through the hooks, the rest of it waits.
    if (f == this || !FBarManager || !GetBarManagerByForm(f)) continue;
    if (!f->HandleAllocated() || !IsWindowEnabled(f->Handle())) continue;
    if (std::find(FDisabledForms.begin(), FDisabledForms.end(), f) != FDisabledForms.end()) continue;
    EnableWindow(f->Handle(), FALSE);
    FDisabledForms.push_back(f);
    f->FreeNotification(this);
  }
}

void TdxBarCustomizingForm::EnableOtherForms() {
  std::vector<TCustomForm*> forms;
  forms.swap(FDisabledForms);
  for (TCustomForm* f : forms) {
    f->RemoveFreeNotification(this);
    if (f->HandleAllocated()) EnableWindow(f->Handle(), TRUE);
  }
}

void TdxBarCustomizingForm::FormClose(TObject*, TCloseAction& Action) {
  EnableOtherForms();
  Action = caFree;
}

void TdxBarCustomizingForm::BCloseClick(TObject*) { Close(); }

void TdxBarCustomizingForm::BHelpClick(TObject*) {
  if (!FBarManager) return;
  if (FBarManager->OnHelpButtonClick)
    FBarManager->OnHelpButtonClick(FBarManager);
  else if (FBarManager->HelpContext() != 0)
    Application->HelpContext(int(FBarManager->HelpContext()));
}

// ---------------------------------------------------------------------------------------------------
// Refreshing

void TdxBarCustomizingForm::RefreshAll() {
  // Items freed by the dialog itself tell the manager one by one: the lists follow once, afterwards.
  if (FBusy) return;
  RefreshBarsList();
  RefreshCategories();
  RefreshAllCommands();
  RefreshOptions();
  RefreshHelpButton();
}

void TdxBarCustomizingForm::PageControlChange(TObject*) {
  TTabSheet* page = PageControl->ActivePage();
  if (page == TabSheet1)
    RefreshBarsList();
  else if (page == TabSheet2)
    RefreshCategories();
  else if (page == TabSheet3)
    RefreshOptions();
  else if (page == TabSheet4)
    RefreshAllCommands();
}

void TdxBarCustomizingForm::RefreshBarsList() {
  int index = BarsListBox->ItemIndex();
  TStrings* rows = BarsListBox->Items();
  {
    TUpdateScope update(rows);
    rows->Clear();
    for (int i = 0; i < FBarManager->Bars()->Count(); ++i) {
      TdxBar* bar = FBarManager->Bars()->Items(i);
      rows->AddObject(bar->Caption(), bar);
    }
  }
  if (rows->Count() > 0) BarsListBox->SetItemIndex(std::clamp(index, 0, rows->Count() - 1));
  UpdateBarButtons();
}

void TdxBarCustomizingForm::RefreshBarLine(TdxBar* ABar) {
  TStrings* rows = BarsListBox->Items();
  int i = rows->IndexOfObject(ABar);
  if (i < 0 || !BarsListBox->Bar(i)) {
    RefreshBarsList();
    return;
  }
  if (rows->Strings(i) != ABar->Caption()) {
    int index = BarsListBox->ItemIndex();
    rows->SetStrings(i, ABar->Caption());
    BarsListBox->SetItemIndex(index);
  }
  if (BarsListBox->HandleAllocated()) {
    RECT r = BarsListBox->ItemRect(i);
    InvalidateRect(BarsListBox->Handle(), &r, FALSE);
  }
  UpdateBarButtons();
}

TdxBar* TdxBarCustomizingForm::SelectedBar() { return BarsListBox->Bar(BarsListBox->ItemIndex()); }

void TdxBarCustomizingForm::UpdateBarButtons() {
  TdxBar* bar = SelectedBar();
  bool designing = FBarManager->Designing();
  bool predefined = bar && bar->LoadedMark();
  bool renamable = bar && (!predefined || designing);
  BBarRename->SetEnabled(renamable);
  BBarDelete->SetEnabled(renamable && CanCloseBar(bar));
  BBarReset->SetEnabled(predefined && bar->AllowReset());
}

void TdxBarCustomizingForm::BarsListBoxClick(TObject*) { UpdateBarButtons(); }

void TdxBarCustomizingForm::RefreshCategories() {
  int index = LCategories->ItemIndex();
  TStrings* rows = LCategories->Items();
  {
    TUpdateScope update(rows);
    rows->Clear();
    TdxBarManagerCategories* c = FBarManager->Categories();
    for (int i = 0; i < c->Count(); ++i)
      if (FBarManager->Designing() || FBarManager->GetCategoryVisible(i))
        rows->AddObject(c->Strings(i), reinterpret_cast<TObject*>(intptr_t(i)));
  }
  if (rows->Count() > 0) LCategories->SetItemIndex(std::clamp(index, 0, rows->Count() - 1));
  RefreshCommands();
}

void TdxBarCustomizingForm::RefreshCommands() {
  int row = LCategories->ItemIndex();
  TdxBarItem* selected = SelectedItem();
  TStrings* rows = LCommands->Items();
  {
    TUpdateScope update(rows);
    rows->Clear();
    if (row >= 0) {
      int category = int(reinterpret_cast<intptr_t>(LCategories->Items()->Objects(row)));
      TList list;
      FBarManager->GetVisibleItemsByCategory(category, &list);
      for (int i = 0; i < list.Count(); ++i) {
        auto* item = static_cast<TdxBarItem*>(list.Items(i));
        rows->AddObject(item->Caption(), item);
      }
    }
  }
  int i = rows->IndexOfObject(selected);
  LCommands->SetItemIndex(i);
  DescriptionLabel->SetCaption(i >= 0 ? selected->Description() : "");
}

TdxBarItem* TdxBarCustomizingForm::SelectedItem() { return LCommands ? LCommands->Item(LCommands->ItemIndex()) : nullptr; }

void TdxBarCustomizingForm::SelectItem(TdxBarItem* AItem) {
  if (!AItem) return;
  for (int r = 0; r < LCategories->Items()->Count(); ++r)
    if (int(reinterpret_cast<intptr_t>(LCategories->Items()->Objects(r))) == AItem->Category()) {
      LCategories->SetItemIndex(r);
      RefreshCommands();
      break;
    }
  LCommands->SetItemIndex(LCommands->Items()->IndexOfObject(AItem));
  LCommandsClick(nullptr);
}

void TdxBarCustomizingForm::LCategoriesClick(TObject*) {
  LCommands->SetItemIndex(-1);
  RefreshCommands();
  DescriptionLabel->SetCaption("");
}

void TdxBarCustomizingForm::LCommandsClick(TObject*) {
  TdxBarItem* item = SelectedItem();
  DescriptionLabel->SetCaption(item ? item->Description() : "");
}

void TdxBarCustomizingForm::RefreshOptions() {
  FUpdatingOptions = true;
  TScopeExit done([&] { FUpdatingOptions = false; });
  TdxBarManager* m = FBarManager;
  bool standard = m->Style() == bmsStandard;
  StandardOptionsPanel->SetVisible(standard);
  EnhancedOptionsPanel->SetVisible(!standard);
  CBLargeIcons->SetChecked(m->LargeIcons());
  CBLargeIconsEx->SetChecked(m->LargeIcons());
  CBHint1->SetChecked(m->ShowHint());
  CBHint1Ex->SetChecked(m->ShowHint());
  CBHint2->SetChecked(m->ShowShortCutInHint());
  CBHint2Ex->SetChecked(m->ShowShortCutInHint());
  CBHint2Ex->SetEnabled(m->ShowHint());
  CBMenusShowRecentItemsFirst->SetChecked(m->MenusShowRecentItemsFirst());
  CBShowFullMenusAfterDelay->SetChecked(m->ShowFullMenusAfterDelay());
  CBShowFullMenusAfterDelay->SetEnabled(m->MenusShowRecentItemsFirst());
  ComboBoxMenuAnimations->SetItemIndex(int(m->MenuAnimations()));
  ComboBoxMenuAnimationsEx->SetItemIndex(int(m->MenuAnimations()));
}

void TdxBarCustomizingForm::RefreshHelpButton() {
  BHelp->Glyph()->Assign(FBarManager->HelpButtonGlyph());
  BHelp->SetVisible(FBarManager->ShowHelpButton());
}

void TdxBarCustomizingForm::OptionClick(TObject* Sender) {
  if (FUpdatingOptions) return;
  auto* cb = dynamic_cast<TCheckBox*>(Sender);
  if (!cb) return;
  bool v = cb->Checked();
  TdxBarManager* m = FBarManager;
  if (cb == CBMenusShowRecentItemsFirst) {
    m->SetMenusShowRecentItemsFirst(v);
    CBShowFullMenusAfterDelay->SetEnabled(v);
  } else if (cb == CBShowFullMenusAfterDelay) {
    m->SetShowFullMenusAfterDelay(v);
  } else if (cb == CBLargeIcons || cb == CBLargeIconsEx) {
    m->SetLargeIcons(v);
  } else if (cb == CBHint1 || cb == CBHint1Ex) {
    m->SetShowHint(v);
    if (cb == CBHint1Ex) CBHint2Ex->SetEnabled(v);
  } else if (cb == CBHint2 || cb == CBHint2Ex) {
    m->SetShowShortCutInHint(v);
  }
}

void TdxBarCustomizingForm::ComboBoxMenuAnimationsClick(TObject* Sender) {
  if (FUpdatingOptions) return;
  auto* c = dynamic_cast<TComboBox*>(Sender);
  if (c && c->ItemIndex() >= 0 && c->ItemIndex() <= 3) FBarManager->SetMenuAnimations(TdxBarMenuAnimations(c->ItemIndex()));
}

void TdxBarCustomizingForm::BResetUsageDataClick(TObject*) { FBarManager->ResetUsageData(); }

// ---------------------------------------------------------------------------------------------------
// Toolbars page

void TdxBarCustomizingForm::BBarNewClick(TObject*) {
  std::string name = dxBarResStr(dxSBAR_NEWTOOLBARNAME);
  if (!dxBarEditName(name, false, 0)) return;
  TdxBar* bar = FBarManager->Bars()->Add();
  bar->SetCaption(name);
  // Beside the dialog: to its left, or to its right where the left would leave the work area.
  RECT wa = GetWorkArea(POINT{Left(), Top()});
  int left = Left() - 50;
  if (left < wa.left) left = Left() + Width() + 10;
  int top = Top();
  if (top < wa.top) top = wa.top + 10;
  bar->SetFloatLeft(left);
  bar->SetFloatTop(top);
  bar->SetVisible(true);
  RefreshBarsList();
  BarsListBox->SetItemIndex(BarsListBox->Items()->IndexOfObject(bar));
  UpdateBarButtons();
}

void TdxBarCustomizingForm::BBarRenameClick(TObject*) {
  TdxBar* bar = SelectedBar();
  if (!bar) return;
  std::string name = bar->Caption();
  if (!dxBarEditName(name, false, 1)) return;
  bar->SetCaption(name);
  RefreshBarLine(bar);
}

void TdxBarCustomizingForm::BBarDeleteClick(TObject*) {
  TdxBar* bar = SelectedBar();
  if (!bar) return;
  if (Confirm(FormatS(dxSBAR_WANTTODELETETOOLBAR, bar->Caption()), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
  int index = BarsListBox->ItemIndex();
  TObject::Free(bar);
  RefreshBarsList();
  int count = BarsListBox->Items()->Count();
  if (count > 0) BarsListBox->SetItemIndex(index < count ? index : count - 1);
  UpdateBarButtons();
}

void TdxBarCustomizingForm::BBarResetClick(TObject*) {
  TdxBar* bar = SelectedBar();
  if (!bar) return;
  bar->Reset();
  RefreshBarsList();
}

// ---------------------------------------------------------------------------------------------------
// Commands page: category and command editing (a manager being designed)

void TdxBarCustomizingForm::LCategoriesKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (!FBarManager->Designing()) return;
  if (Key == VK_INSERT) {
    CategoriesInsertClick(nullptr);
    Key = 0;
  } else if (Key == VK_DELETE && FBarManager->Categories()->Count() > 1) {
    CategoriesDeleteClick(nullptr);
    Key = 0;
  }
}

void TdxBarCustomizingForm::LCategoriesMouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (!FBarManager->Designing()) return;
  int i = LCategories->ItemAtPos(POINT{X, Y}, true);
  if (Button != mbRight || i < 0) return;
  LCategories->SetItemIndex(i);
  LCategoriesClick(nullptr);
  POINT p;
  GetCursorPos(&p);
  CategoriesPopupMenu->Popup(p.x, p.y);
}

void TdxBarCustomizingForm::EditCategory(int Mode) {
  int row = LCategories->ItemIndex();
  int category = row >= 0 ? int(reinterpret_cast<intptr_t>(LCategories->Items()->Objects(row))) : -1;
  if (Mode != 0 && category < 0) return;
  TdxBarManagerCategories* c = FBarManager->Categories();
  std::string name = Mode == 2 ? c->Strings(category) : "";
  if (!dxBarEditName(name, true, Mode)) return;
  int index = Mode == 0 ? c->Add(name) : category;
  if (Mode == 1) c->Insert(category, name);
  if (Mode == 2) c->SetStrings(category, name);
  FBarManager->DesignerModified();
  RefreshCategories();
  LCategories->SetItemIndex(LCategories->Items()->IndexOfObject(reinterpret_cast<TObject*>(intptr_t(index))));
  RefreshCommands();
}

void TdxBarCustomizingForm::CategoriesAddClick(TObject*) { EditCategory(0); }
void TdxBarCustomizingForm::CategoriesInsertClick(TObject*) { EditCategory(1); }
void TdxBarCustomizingForm::CategoriesRenameClick(TObject*) { EditCategory(2); }

void TdxBarCustomizingForm::CategoriesVisibleClick(TObject*) {
  int row = LCategories->ItemIndex();
  if (row < 0) return;
  int category = int(reinterpret_cast<intptr_t>(LCategories->Items()->Objects(row)));
  FBarManager->SetCategoryVisible(category, !FBarManager->GetCategoryVisible(category));
}

void TdxBarCustomizingForm::CategoriesItemsVisibleChange(TObject*) {
  int row = LCategories->ItemIndex();
  int v = CategoriesItemsVisible->ItemIndex();
  if (row < 0 || v < 0 || v > 2) return;
  int category = int(reinterpret_cast<intptr_t>(LCategories->Items()->Objects(row)));
  FBarManager->SetCategoryItemsVisible(category, TdxBarItemVisible(v));
}

void TdxBarCustomizingForm::CategoriesDeleteClick(TObject*) {
  int row = LCategories->ItemIndex();
  TdxBarManagerCategories* c = FBarManager->Categories();
  if (row < 0 || c->Count() <= 1) return;
  int category = int(reinterpret_cast<intptr_t>(LCategories->Items()->Objects(row)));
  if (Confirm(FormatS(dxSBAR_WANTTODELETECATEGORY, c->Strings(category)), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return;
  c->Delete(category);
  FBarManager->DesignerModified();
  RefreshCategories();
}

void TdxBarCustomizingForm::CategoriesPopupMenuPopup(TObject*) {
  int row = LCategories->ItemIndex();
  bool any = row >= 0;
  int category = any ? int(reinterpret_cast<intptr_t>(LCategories->Items()->Objects(row))) : -1;
  CategoriesInsert->SetEnabled(any);
  CategoriesRename->SetEnabled(any);
  CategoriesVisible->SetEnabled(any);
  CategoriesVisible->SetDown(any && FBarManager->GetCategoryVisible(category));
  CategoriesItemsVisible->SetEnabled(any);
  if (any) CategoriesItemsVisible->SetItemIndex(int(FBarManager->GetCategoryItemsVisible(category)));
  CategoriesDelete->SetEnabled(any && FBarManager->Categories()->Count() > 1);
}

void TdxBarCustomizingForm::CommandsAddClick(TObject*) {
  int row = LCategories->ItemIndex();
  int category = row >= 0 ? int(reinterpret_cast<intptr_t>(LCategories->Items()->Objects(row))) : 0;
  if (TdxBarItem* item = dxBarItemAddEditor(FBarManager, category)) {
    RefreshCategories();
    SelectItem(item);
  }
}

void TdxBarCustomizingForm::DeleteCommandRow(int Index) {
  LCommands->Items()->Delete(Index);
  int count = LCommands->Items()->Count();
  if (count > 0) LCommands->SetItemIndex(Index < count ? Index : count - 1);
  LCommandsClick(nullptr);
}

void TdxBarCustomizingForm::CommandsDeleteClick(TObject*) {
  int index = LCommands->ItemIndex();
  TdxBarItem* item = SelectedItem();
  if (!item) return;
  FBusy = true;
  TScopeExit done([&] { FBusy = false; });
  DeleteCommandRow(index);
  TObject::Free(item);
  FBarManager->DesignerModified();
}

void TdxBarCustomizingForm::CommandsClearClick(TObject*) {
  int row = LCategories->ItemIndex();
  if (row < 0 || LCommands->Items()->Count() == 0) return;
  if (Confirm(FormatS(dxSBAR_WANTTOCLEARCOMMANDS, LCategories->Items()->Strings(row)), MB_OKCANCEL | MB_ICONQUESTION) !=
      IDOK)
    return;
  std::vector<TdxBarItem*> items;
  for (int i = 0; i < LCommands->Items()->Count(); ++i) items.push_back(LCommands->Item(i));
  FBusy = true;
  TScopeExit done([&] { FBusy = false; });
  LCommands->Items()->Clear();
  for (auto* i : items) TObject::Free(i);
  FBarManager->DesignerModified();
  RefreshCommands();
}

void TdxBarCustomizingForm::MoveCommand(int Delta) {
  int index = LCommands->ItemIndex();
  int other = index + Delta;
  if (index < 0 || other < 0 || other >= LCommands->Items()->Count()) return;
  TdxBarItem* a = LCommands->Item(index);
  TdxBarItem* b = LCommands->Item(other);
  int ia = -1, ib = -1;
  for (int i = 0; i < FBarManager->ItemCount(); ++i) {
    if (FBarManager->Items(i) == a) ia = i;
    if (FBarManager->Items(i) == b) ib = i;
  }
  FBarManager->ExchangeItems(ia, ib);
  LCommands->Items()->Exchange(index, other);
  LCommands->SetItemIndex(other);
}

void TdxBarCustomizingForm::CommandsMoveUpClick(TObject*) { MoveCommand(-1); }
void TdxBarCustomizingForm::CommandsMoveDownClick(TObject*) { MoveCommand(1); }

void TdxBarCustomizingForm::CommandsSubMenuEditorClick(TObject*) {
  if (auto* sub = dynamic_cast<TCustomdxBarSubItem*>(SelectedItem())) dxBarShowSubMenuEditor(sub);
}

void TdxBarCustomizingForm::CommandsPopupMenuPopup(TObject*) {
  int index = LCommands->ItemIndex();
  int count = LCommands->Items()->Count();
  CommandsDelete->SetEnabled(index >= 0);
  CommandsClear->SetEnabled(count > 0);
  CommandsMoveUp->SetEnabled(index > 0);
  CommandsMoveDown->SetEnabled(index >= 0 && index < count - 1);
  CommandsSubMenuEditor->SetEnabled(dynamic_cast<TCustomdxBarSubItem*>(SelectedItem()) != nullptr);
}

// ---------------------------------------------------------------------------------------------------
// All-commands page (a manager being designed)

void TdxBarCustomizingForm::RefreshAllCommands() {
  TStrings* rows = LAllCommands->Items();
  TUpdateScope update(rows);
  rows->Clear();
  FColumnWidths[0] = FColumnWidths[1] = FColumnWidths[2] = 0;
  if (!FBarManager->Designing()) return;
  bool onlyShortCuts = CBShowCommandsWithShortCut->Checked();
  {
    ScreenDC screen;
    TSelectObject font(screen.DC, LAllCommands->Font()->Handle());
    auto width = [&](const std::string& s) {
      SIZE sz{};
      GetTextExtentPoint32A(screen.DC, s.c_str(), int(s.size()), &sz);
      return int(sz.cx);
    };
    for (int i = 0; i < FBarManager->ItemCount(); ++i) {
      TdxBarItem* item = FBarManager->Items(i);
      if (onlyShortCuts && !item->ClassType()->FindProp("ShortCut")) continue;
      rows->AddObject(item->Name(), item);
      FColumnWidths[0] = std::max(FColumnWidths[0], width(item->Name()));
      FColumnWidths[1] = std::max(FColumnWidths[1], width(item->Caption()));
      FColumnWidths[2] = std::max(FColumnWidths[2], width(ShortCutToText(item->ShortCut())));
    }
  }
  if (LAllCommands->HandleAllocated())
    SendMessageA(LAllCommands->Handle(), LB_SETHORIZONTALEXTENT,
                 WPARAM(FColumnWidths[0] + 15 + FColumnWidths[1] + 10 + FColumnWidths[2] + 5), 0);
}

void TdxBarCustomizingForm::LAllCommandsDrawItem(TWinControl*, int Index, RECT Rect, TOwnerDrawState State) {
  TCanvas* c = LAllCommands->Canvas();
  HDC dc = c->Handle();
  c->FillRect(Rect);
  auto* item = static_cast<TdxBarItem*>(LAllCommands->Items()->Objects(Index));
  if (!item) return;
  int d1 = Rect.left + FColumnWidths[0] + 10;
  int d2 = d1 + FColumnWidths[1] + 10;
  SetBkMode(dc, TRANSPARENT);
  auto text = [&](int x, int right, const std::string& s) {
    RECT r{x, Rect.top, right, Rect.bottom};
    DrawTextA(dc, s.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  };
  text(Rect.left + 5, d1, item->Name());
  text(d1 + 5, d2, item->Caption());
  text(d2 + 5, Rect.right, ShortCutToText(item->ShortCut()));
  // The dividers in the text's colour; under the last row they go on to the bottom in window text.
  auto dividers = [&](COLORREF Colour, int Top, int Bottom) {
    TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, Colour));
    TSelectObject sel(dc, pen.Handle);
    for (int x : {d1, d2}) {
      MoveToEx(dc, x, Top, nullptr);
      LineTo(dc, x, Bottom);
    }
  };
  dividers(GetTextColor(dc), Rect.top, Rect.bottom);
  if (Index == LAllCommands->Items()->Count() - 1) {
    RECT client;
    ::GetClientRect(LAllCommands->Handle(), &client);
    dividers(GetSysColor(COLOR_WINDOWTEXT), Rect.bottom, client.bottom);
  }
  (void)State;
}

void TdxBarCustomizingForm::CBShowCommandsWithShortCutClick(TObject*) { RefreshAllCommands(); }

// ---------------------------------------------------------------------------------------------------
// The manager's side

void TdxBarManager::ShowCustomizingForm(bool Value) {
  if (Value) {
    if (OnShowCustomizingForm) OnShowCustomizingForm(this);
    TdxBarCustomizingForm* f = dxBarCustomizingForm ? dxBarCustomizingForm : TdxBarCustomizingForm::Make(this);
    f->DisableOtherForms();
    f->Show();
    return;
  }
  if (TdxBarCustomizingForm* f = dxBarCustomizingForm; f && f->BarManager() == this) {
    f->EnableOtherForms();
    if (!f->Leaving()) {
      f->SetLeaving();
      TObject::Free(f);
    }
  }
  dxBarFreeSubMenuEditor();
  if (OnHideCustomizingForm) OnHideCustomizingForm(this);
}

bool TdxBarManager::CustomizingFormExists() const { return dxBarCustomizingForm != nullptr; }

void TdxBarManager::RefreshCustomizingForm() {
  if (dxBarCustomizingForm && dxBarCustomizingForm->BarManager() == this && !dxBarCustomizingForm->Leaving())
    dxBarCustomizingForm->RefreshAll();
}

void dxBarCustomizingFormBarChanged(TdxBar* ABar) {
  if (dxBarCustomizingForm && !dxBarCustomizingForm->Leaving() && dxBarCustomizingForm->BarManager() == ABar->BarManager())
    dxBarCustomizingForm->RefreshBarLine(ABar);
}
