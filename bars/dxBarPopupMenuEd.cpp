// The sub-menu editor.
#include "dxBarPopupMenuEd.h"

#include "dxBarCustForm.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarSubMenu.h"

TdxBarSubMenuEditor* dxBarSubMenuEditor = nullptr;

void TdxBarSubMenuEditor::Publish(TPublisher<TdxBarSubMenuEditor>& p) {
  p.Method("FormActivate", &TdxBarSubMenuEditor::FormActivate);
  p.Method("FormClose", &TdxBarSubMenuEditor::FormClose);
  p.Method("FormDestroy", &TdxBarSubMenuEditor::FormDestroy);
}

TdxBarSubMenuEditor::~TdxBarSubMenuEditor() {
  if (dxBarSubMenuEditor == this) dxBarSubMenuEditor = nullptr;
}

TdxBarSubMenuControl* TdxBarSubMenuEditor::SubMenu() const {
  if (!SubItem) return nullptr;
  auto* c = dynamic_cast<TdxBarSubMenuControl*>(SubItem->ItemLinks()->BarControl());
  return IsBarControl(c) ? c : nullptr;
}

void TdxBarSubMenuEditor::CloseSubMenu() {
  if (SubItem) SubItem->ItemLinks()->FreeBarControl();
}

void TdxBarSubMenuEditor::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU;
  Params.ExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  Params.WindowClass.style |= CS_SAVEBITS | CS_OWNDC;
  if (dxBarCustomizingForm && dxBarCustomizingForm->BarManager() && dxBarCustomizingForm->BarManager()->ParentForm())
    Params.WndParent = dxBarCustomizingForm->BarManager()->ParentForm()->Handle();
}

// The menu hangs under the caption bar; the bar takes the menu's width.
void TdxBarSubMenuEditor::FormActivate(TObject*) {
  if (!SubItem || SubMenu()) return;
  TdxBarManager* m = SubItem->BarManager();
  if (auto* s = dynamic_cast<TdxBarSubItem*>(SubItem); s && m && m->Designing() && !s->AllowCustomizing()) return;
  auto* w = dynamic_cast<TdxBarSubMenuControl*>(SubItem->ItemLinks()->CreateBarControl());
  if (!w) return;
  w->OpenerHeight = Height();
  w->SetBounds(Left(), Top() + Height(), w->Width(), w->Height());
  w->Show();
  if (!IsBarControl(w)) return;
  SetBounds(Left(), Top(), w->Width(), Height());
}

void TdxBarSubMenuEditor::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETMINMAXINFO:
      TForm::Dispatch(Message);
      if (TdxBarSubMenuControl* w = SubMenu()) {
        auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam);
        RECT r;
        GetWindowRect(Handle(), &r);
        mmi->ptMinTrackSize.x = mmi->ptMaxTrackSize.x = w->Width();
        mmi->ptMinTrackSize.y = mmi->ptMaxTrackSize.y = r.bottom - r.top;
      }
      return;
    case WM_MOVE:
      TForm::Dispatch(Message);
      if (TdxBarSubMenuControl* w = SubMenu(); w && w->HandleAllocated()) {
        RECT r;
        GetWindowRect(Handle(), &r);
        SetWindowPos(w->Handle(), nullptr, r.left, r.bottom, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
      }
      return;
    case WM_SYSCOMMAND:
      if ((Message.WParam & 0xFFF0) == SC_CLOSE) CloseSubMenu();
      break;
  }
  TForm::Dispatch(Message);
}

void TdxBarSubMenuEditor::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == SubItem) {
    SubItem = nullptr;
    Release();
  }
}

void TdxBarSubMenuEditor::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TdxBarSubMenuEditor::FormDestroy(TObject*) {
  CloseSubMenu();
  if (dxBarSubMenuEditor == this) dxBarSubMenuEditor = nullptr;
}

void dxBarShowSubMenuEditor(TCustomdxBarSubItem* ASubItem) {
  TdxBarManager* m = ASubItem ? ASubItem->BarManager() : nullptr;
  if (!m) return;
  m->SetCustomizing(true);
  if (m->Designing() && dxBarCustomizingForm) {
    dxBarCustomizingForm->PageControl->SetActivePage(dxBarCustomizingForm->TabSheet2);
    dxBarCustomizingForm->PageControlChange(nullptr);
  }
  if (!dxBarSubMenuEditor) {
    dxBarRegisterDialogClasses();
    dxBarSubMenuEditor = NewForm<TdxBarSubMenuEditor>(nullptr);
  }
  TdxBarSubMenuEditor* e = dxBarSubMenuEditor;
  e->SetClientHeight(0);
  if (e->SubItem != ASubItem) {
    e->CloseSubMenu();
    if (e->SubItem) e->SubItem->RemoveFreeNotification(e);
    e->SubItem = ASubItem;
    ASubItem->FreeNotification(e);
  }
  FlushMouseMessages();
  e->Show();
}

void dxBarFreeSubMenuEditor() {
  if (TdxBarSubMenuEditor* e = dxBarSubMenuEditor) {
    dxBarSubMenuEditor = nullptr;
    TObject::Free(e);
  }
}
