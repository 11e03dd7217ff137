// Page control and tab sheets, status bar; what the common controls share.
#include "ComCtrls.h"

#include <algorithm>

#include "Forms.h"

const TEnumInfo SortTypeNames{"TSortType", {"stNone", "stData", "stText", "stBoth"}};
static const TEnumInfo StatusPanelStyleNames{"TStatusPanelStyle", {"psText", "psOwnerDraw"}};
static const TEnumInfo StatusPanelBevelNames{"TStatusPanelBevel", {"pbNone", "pbLowered", "pbRaised"}};

void InitComCtrls() {
  static bool done = false;
  if (done) return;
  done = true;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
}

// ---------------------------------------------------------------------------------------------------
// TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FVisible = false;
  FColor = clBtnFace;
}

TTabSheet::~TTabSheet() {
  if (FPageControl) FPageControl->RemovePage(this);
  if (FBrush) DeleteObject(FBrush);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (Value == FPageControl) return;
  if (FPageControl) FPageControl->RemovePage(this);
  SetParent(Value);
  if (Value) Value->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  auto& v = FPageControl->FPages;
  return int(std::find(v.begin(), v.end(), this) - v.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  if (!FPageControl) return;
  auto& v = FPageControl->FPages;
  Value = std::clamp(Value, 0, int(v.size()) - 1);
  v.erase(std::find(v.begin(), v.end(), this));
  v.insert(v.begin() + Value, this);
  FPageControl->UpdateTabs();
}

int TTabSheet::TabIndex() const {
  if (!FPageControl || !FTabVisible) return -1;
  int n = 0;
  for (auto* p : FPageControl->FPages) {
    if (p == this) return n;
    if (p->FTabVisible) ++n;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
  if (Value == FTabVisible) return;
  FTabVisible = Value;
  if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::SetParentComponent(TComponent* Value) {
  if (auto* pc = dynamic_cast<TPageControl*>(Value))
    SetPageControl(pc);
  else
    TWinControl::SetParentComponent(Value);
}

TComponent* TTabSheet::GetParentComponent() { return FPageControl; }

void TTabSheet::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

void TTabSheet::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND: {
      RECT r;
      ::GetClientRect(FHandle, &r);
      HBRUSH b = CreateSolidBrush(ColorToRGB(Color()));
      FillRect(reinterpret_cast<HDC>(Message.WParam), &r, b);
      DeleteObject(b);
      Message.Result = 1;
      return;
    }
    case CM_TEXTCHANGED:
      TWinControl::Dispatch(Message);
      if (FPageControl) FPageControl->UpdateTabs();
      return;
  }
  if (Message.Msg >= CN_CTLCOLORMSGBOX && Message.Msg <= CN_CTLCOLORSTATIC) {
    Message.Result = ControlColor(this, reinterpret_cast<HDC>(Message.WParam), FBrush, FBrushColor);
    return;
  }
  TWinControl::Dispatch(Message);
}

void TTabSheet::Publish(TPublisher<TTabSheet>& p) {
  p.Int("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex).Default(-1);
  p.Int("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex);
  p.Bool("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(1);
}

// ---------------------------------------------------------------------------------------------------
// TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  InitComCtrls();
  FControlStyle = {csAcceptsControls, csDoubleClicks, csSetCaption};
  FTabStop = true;
  SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
  for (auto* p : FPages) p->FPageControl = nullptr;
}

void TPageControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_TABCONTROLA);
  Params.Style |= WS_CLIPCHILDREN;
}

void TPageControl::CreateWnd() {
  TWinControl::CreateWnd();
  if (FImages) SendMessageA(FHandle, TCM_SETIMAGELIST, 0, LPARAM(FImages->Handle()));
  UpdateTabs();
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  Page->FPageControl = this;
  Page->FreeNotification(this);
  UpdateTabs();
  if (!FActivePage && !ComponentState().Contains(csLoading)) SetActivePage(Page);
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  int index = int(it - FPages.begin());
  FPages.erase(it);
  Page->FPageControl = nullptr;
  if (FActivePage == Page) {
    FActivePage = nullptr;
    if (!FPages.empty() && !ComponentState().Contains(csDestroying))
      SetActivePage(FPages[size_t(std::min(index, int(FPages.size()) - 1))]);
  }
  UpdateTabs();
}

void TPageControl::UpdateTabs() {
  if (!HandleAllocated()) return;
  SendMessageA(FHandle, TCM_DELETEALLITEMS, 0, 0);
  int n = 0;
  for (auto* p : FPages) {
    if (!p->FTabVisible) continue;
    std::string caption = p->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<char*>(caption.c_str());
    item.iImage = p->FImageIndex;
    SendMessageA(FHandle, TCM_INSERTITEMA, WPARAM(n++), LPARAM(&item));
  }
  int sel = FActivePage ? FActivePage->TabIndex() : -1;
  SendMessageA(FHandle, TCM_SETCURSEL, WPARAM(sel), 0);
  Realign();
}

void TPageControl::AdjustClientRect(RECT& Rect) {
  TWinControl::AdjustClientRect(Rect);
  if (HandleAllocated()) SendMessageA(FHandle, TCM_ADJUSTRECT, FALSE, LPARAM(&Rect));
}

void TPageControl::AlignControls(TControl* AControl, RECT& Rect) {
  // Every sheet fills the display area; other children align as usual.
  for (auto* p : FPages) p->SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
  TWinControl::AlignControls(AControl, Rect);
}

void TPageControl::ShowActive() {
  for (auto* p : FPages)
    if (p != FActivePage) p->SetVisible(false);
  if (FActivePage) {
    FActivePage->SetVisible(true);
    FActivePage->BringToFront();
  }
}

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[size_t(Value)] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* Value) {
  if (Value && Value->FPageControl != this) return;
  if (Value == FActivePage) {
    ShowActive();
    return;
  }
  TTabSheet* hidden = FActivePage;
  FActivePage = Value;
  if (HandleAllocated()) SendMessageA(FHandle, TCM_SETCURSEL, WPARAM(Value ? Value->TabIndex() : -1), 0);
  ShowActive();
  Realign();
  FocusShownPage(hidden, Value);
}

void TPageControl::SelectNextPage(bool GoForward) {
  std::vector<TTabSheet*> tabs;
  for (auto* p : FPages)
    if (p->FTabVisible) tabs.push_back(p);
  if (tabs.size() < 2) return;
  auto at = std::find(tabs.begin(), tabs.end(), FActivePage);
  size_t i = at == tabs.end() ? 0 : size_t(at - tabs.begin());
  i = GoForward ? (i + 1) % tabs.size() : (i + tabs.size() - 1) % tabs.size();
  if (!CanChange()) return;
  SetActivePage(tabs[i]);
  Change();
}

void TPageControl::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  if (HandleAllocated()) SendMessageA(FHandle, TCM_SETIMAGELIST, 0, LPARAM(Value ? Value->Handle() : nullptr));
}

bool TPageControl::CanChange() {
  bool allow = true;
  OnChanging(this, allow);
  return allow;
}

void TPageControl::Change() { OnChange(this); }

void TPageControl::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  if (auto* p = dynamic_cast<TTabSheet*>(AComponent)) RemovePage(p);
}

void TPageControl::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (auto* p : FPages) Proc(p);
}

void TPageControl::Loaded() {
  TWinControl::Loaded();
  if (!FActivePage && !FPages.empty()) FActivePage = FPages.front();
  UpdateTabs();
  ShowActive();
}

void TPageControl::Dispatch(TMessage& Message) {
  // Ctrl+Tab and Ctrl+Page Down go to the next page, with Shift or Page Up to the previous one, wherever
  // the focus is on the control.
  if (Message.Msg == CM_CHILDKEY && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 &&
      (Message.WParam == VK_TAB || Message.WParam == VK_NEXT || Message.WParam == VK_PRIOR)) {
    SelectNextPage(Message.WParam == VK_TAB ? GetKeyState(VK_SHIFT) >= 0 : Message.WParam == VK_NEXT);
    Message.Result = 1;
    return;
  }
  if (Message.Msg == CN_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    switch (hdr->code) {
      case TCN_SELCHANGING:
        if (CanChange()) {
          Message.Result = FALSE;
        } else {
          // Refused: some tab controls move their selection anyway; the active page's tab comes back.
          Message.Result = TRUE;
          PostMessageA(FHandle, TCM_SETCURSEL, WPARAM(FActivePage ? FActivePage->TabIndex() : -1), 0);
        }
        return;
      case TCN_SELCHANGE: {
        int tab = int(SendMessageA(FHandle, TCM_GETCURSEL, 0, 0));
        for (auto* p : FPages)
          if (p->TabIndex() == tab) {
            FActivePage = p;
            break;
          }
        ShowActive();
        Change();
        return;
      }
    }
    Message.Result = 0;
    return;
  }
  if (Message.Msg == WM_SIZE) {
    TWinControl::Dispatch(Message);
    Realign();
    return;
  }
  TWinControl::Dispatch(Message);
}

void TPageControl::Publish(TPublisher<TPageControl>& p) {
  p.Ref("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
  p.Ref("Images", &TPageControl::Images, &TPageControl::SetImages);
  p.Event("OnChange", &TPageControl::OnChange);
  p.Event("OnChanging", &TPageControl::OnChanging);
}

// ---------------------------------------------------------------------------------------------------
// Status bar

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {
  // Now that the fields exist the bar can show the new panel.
  Changed(true);
}

void TStatusPanel::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  Changed(false);
}

void TStatusPanel::SetWidth(int Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
  if (Value == FBevel) return;
  FBevel = Value;
  Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed(false);
}

void TStatusPanel::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TStatusPanel*>(Source)) {
    FText = s->FText;
    FWidth = s->FWidth;
    FAlignment = s->FAlignment;
    FBevel = s->FBevel;
    FStyle = s->FStyle;
    Changed(true);
    return;
  }
  TCollectionItem::Assign(Source);
}

void TStatusPanel::Publish(TPublisher<TStatusPanel>& p) {
  p.Enum("Alignment", AlignmentNames, &TStatusPanel::Alignment, &TStatusPanel::SetAlignment).Default(taLeftJustify);
  p.Enum("Bevel", StatusPanelBevelNames, &TStatusPanel::Bevel, &TStatusPanel::SetBevel).Default(pbLowered);
  p.Enum("Style", StatusPanelStyleNames, &TStatusPanel::Style, &TStatusPanel::SetStyle).Default(psText);
  p.Str("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
  p.Int("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth).Default(50);
}

TStatusPanels::TStatusPanels(TStatusBar* StatusBar) : TCollection(TStatusPanel::StaticClass()), FStatusBar(StatusBar) {
  PropName = "Panels";
}

TPersistent* TStatusPanels::GetOwner() { return FStatusBar; }

void TStatusPanels::Update(TCollectionItem* Item) {
  if (Item)
    FStatusBar->UpdatePanel(Item->Index());
  else
    FStatusBar->UpdatePanels();
}

TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner) {
  InitComCtrls();
  FPanels = new TStatusPanels(this);
  FCanvas = new TCanvas();
  FControlStyle = {csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
  FColor = clBtnFace;
  FAlign = alBottom;
  SetBounds(0, 0, 200, 19);
}

TStatusBar::~TStatusBar() {
  delete FPanels;
  delete FCanvas;
}

void TStatusBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, STATUSCLASSNAMEA);
  Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY;
  if (FSizeGrip) Params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateWnd() {
  TWinControl::CreateWnd();
  UpdatePanels();
}

void TStatusBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TStatusBar::UpdatePanels() {
  if (!HandleAllocated()) return;
  SendMessageA(FHandle, SB_SIMPLE, FSimplePanel, 0);
  if (FSimplePanel) {
    SendMessageA(FHandle, SB_SETTEXTA, 255 | SBT_NOBORDERS, LPARAM(FSimpleText.c_str()));
    return;
  }
  int n = FPanels->Count();
  std::vector<int> edges(size_t(std::max(n, 1)));
  int edge = 0;
  for (int i = 0; i < n; ++i) {
    TStatusPanel* p = FPanels->Items(i);
    if (!p) return;  // a panel still being made: it asks again when ready
    edge += p->Width();
    edges[size_t(i)] = edge;
  }
  // The last panel runs to the right edge.
  if (n > 0) edges[size_t(n - 1)] = -1;
  SendMessageA(FHandle, SB_SETPARTS, WPARAM(n), LPARAM(edges.data()));
  for (int i = 0; i < n; ++i) UpdatePanel(i);
}

void TStatusBar::UpdatePanel(int Index) {
  if (!HandleAllocated() || FSimplePanel || Index < 0 || Index >= FPanels->Count()) return;
  TStatusPanel* p = FPanels->Items(Index);
  if (!p) return;
  std::string text = p->Text();
  if (p->Alignment() == taCenter) text = "\t" + text;
  else if (p->Alignment() == taRightJustify) text = "\t\t" + text;
  WPARAM flags = WPARAM(Index);
  if (p->Bevel() == pbNone) flags |= SBT_NOBORDERS;
  else if (p->Bevel() == pbRaised) flags |= SBT_POPOUT;
  if (p->Style() == psOwnerDraw) {
    SendMessageA(FHandle, SB_SETTEXTA, flags | SBT_OWNERDRAW, LPARAM(p));
  } else {
    SendMessageA(FHandle, SB_SETTEXTA, flags, LPARAM(text.c_str()));
  }
}

void TStatusBar::SetSimplePanel(bool Value) {
  if (Value == FSimplePanel) return;
  FSimplePanel = Value;
  UpdatePanels();
}

void TStatusBar::SetSimpleText(const std::string& Value) {
  if (Value == FSimpleText) return;
  FSimpleText = Value;
  if (FSimplePanel && HandleAllocated())
    SendMessageA(FHandle, SB_SETTEXTA, 255 | SBT_NOBORDERS, LPARAM(FSimpleText.c_str()));
}

void TStatusBar::SetSizeGrip(bool Value) {
  if (Value == FSizeGrip) return;
  FSizeGrip = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TStatusBar::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_DRAWITEM) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    int i = int(dis->itemID);
    if (i >= 0 && i < FPanels->Count()) {
      TCanvasHandleScope lent(FCanvas, dis->hDC);
      FCanvas->SetFont(Font());
      FCanvas->Brush()->SetColor(clBtnFace);
      OnDrawPanel(this, FPanels->Items(i), dis->rcItem);
    }
    Message.Result = 1;
    return;
  }
  if (Message.Msg == WM_SIZE) {
    TWinControl::Dispatch(Message);
    UpdatePanels();
    // The size grip and the last panel's edge move with the right end; the system repaints only
    // the part that grew, which would leave the old grip standing in the middle.
    Invalidate();
    return;
  }
  TWinControl::Dispatch(Message);
}

void TStatusBar::Publish(TPublisher<TStatusBar>& p) {
  p.Object("Panels", &TStatusBar::Panels);
  p.Bool("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel).Default(0);
  p.Str("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
  p.Bool("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip).Default(1);
  p.Event("OnDrawPanel", &TStatusBar::OnDrawPanel);
}

void RegisterComCtrlsClasses() {
  RegisterClasses({TPageControl::StaticClass(), TTabSheet::StaticClass(), TStatusBar::StaticClass(),
                   TListView::StaticClass(), TTreeView::StaticClass()});
}
