// The popup menu component: its own links and font, kept in its manager's list, and the menu loop that
// runs while its window is open.
#include <algorithm>

#include "dxBarCommon.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

TdxBarPopupMenu::TdxBarPopupMenu(TComponent* AOwner) : TComponent(AOwner) {
  TdxBarManagerList* list = dxBarManagerList();
  if (!list || list->Count() == 0) throw EdxException(dxBarResStr(39005));
  TdxBarManager* m = nullptr;
  if (auto* form = dynamic_cast<TCustomForm*>(AOwner)) m = GetBarManagerByForm(form);
  if (!m) m = list->Items(0);
  FFont = new TFont;
  FFont->Assign(m->Font());
  FFont->OnChange = TNotifyEvent(this, &TdxBarPopupMenu::FontChanged);
  FItemLinks = new TdxBarItemLinks(m, this);
  FItemLinks->SetUseRecentItems(FUseRecentItems);
  SetBarManager(m);
}

void TdxBarPopupMenu::BeforeDestruction() {
  IncludeState(csDestroying);
  for (bool* alive : FAliveFlags) *alive = false;
  FAliveFlags.clear();
  if (FItemLinks) {
    // A window that closed itself is still on the stack of the message that closed it: it goes with
    // the closed popups, not here.
    if (auto* w = dynamic_cast<TdxBarSubMenuControl*>(FItemLinks->BarControl())) {
      w->OnAfterDestroy = nullptr;
      w->OnBeforeShow = nullptr;
      if (w->Closing()) DetachClosedWindow();
    }
  }
  TComponent::BeforeDestruction();
}

TdxBarPopupMenu::~TdxBarPopupMenu() {
  TObject::Free(FItemLinks);
  FItemLinks = nullptr;
  TObject::Free(FFont);
  if (FVertFont) DeleteObject(FVertFont);
  SetBarManager(nullptr);
}

void TdxBarPopupMenu::Publish(TPublisher<TdxBarPopupMenu>& p) {
  using P = TdxBarPopupMenu;
  p.Ref("BarManager", &P::BarManager, &P::SetBarManager);
  p.Object("Font", &P::Font).StoredIf<P>([](P& m) { return m.UseOwnFont(); });
  p.Object("ItemLinks", [](P& m) { return m.ItemLinks(); });
  p.Bool("UseOwnFont", &P::UseOwnFont, &P::SetUseOwnFont);
  p.Bool("UseRecentItems", &P::UseRecentItems, &P::SetUseRecentItems).Default(0);
  p.Event("OnCloseUp", &P::OnCloseUp);
  p.Event("OnPopup", &P::OnPopup);
}

void TdxBarPopupMenu::Loaded() {
  TComponent::Loaded();
  FItemLinks->Loaded(true);
}

void TdxBarPopupMenu::SetBarManager(TdxBarManager* Value) {
  if (!Value && !ComponentState().Contains(csDestroying)) return;
  if (FBarManager == Value) return;
  if (FBarManager) {
    auto& v = FBarManager->PopupMenus();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    RemoveFreeNotification(FBarManager);
  }
  FBarManager = Value;
  if (Value) {
    Value->PopupMenus().push_back(this);
    FreeNotification(Value);
    if (FItemLinks) FItemLinks->SetBarManager(Value);
  }
}

void TdxBarPopupMenu::SetUseOwnFont(bool Value) {
  if (Value) {
    FUseOwnFont = true;
    return;
  }
  FUseOwnFont = false;
  ManagerFontChanged();
  if (FVertFont) DeleteObject(FVertFont);
  FVertFont = nullptr;
}

void TdxBarPopupMenu::SetUseRecentItems(bool Value) {
  FUseRecentItems = Value;
  FItemLinks->SetUseRecentItems(Value);
}

void TdxBarPopupMenu::ManagerFontChanged() {
  if (FUseOwnFont) {
    if (FVertFont) DeleteObject(FVertFont);
    FVertFont = dxBarMakeVerticalFont(FFont);
    return;
  }
  if (!FBarManager) return;
  FSettingFont = true;
  FFont->Assign(FBarManager->Font());
  FSettingFont = false;
}

void TdxBarPopupMenu::FontChanged(TObject*) {
  if (FSettingFont) return;
  FUseOwnFont = true;
  if (FVertFont) DeleteObject(FVertFont);
  FVertFont = dxBarMakeVerticalFont(FFont);
}

void TdxBarPopupMenu::DesignerModified() {
  if (ComponentState().Contains(csDesigning) && FBarManager) FBarManager->DesignerModified();
}

void TdxBarPopupMenu::PopupEx(int X, int Y, bool Animate, int Height, int Width) {
  FAnimate = Animate;
  FOwnerWidth = Width;
  FOwnerHeight = Height;
  bool alive = true;
  FAliveFlags.push_back(&alive);
  Popup(X, Y);
  if (!alive) return;
  FAliveFlags.erase(std::remove(FAliveFlags.begin(), FAliveFlags.end(), &alive), FAliveFlags.end());
  FOwnerWidth = FOwnerHeight = 0;
  FAnimate = true;
}

void TdxBarPopupMenu::DetachClosedWindow() {
  TCustomdxBarControl* w = FItemLinks->BarControl();
  if (!w) return;
  w->DestroyControls();
  w->SetItemLinks(nullptr);
  FItemLinks->SetBarControl(nullptr);
}

void TdxBarPopupMenu::WindowShowing(TObject*) {
  if (OnPopup) OnPopup(this);
}

void TdxBarPopupMenu::WindowClosed(TObject*) {
  FShowing = false;
  if (OnCloseUp) OnCloseUp(this);
}

void TdxBarPopupMenu::Popup(int X, int Y) {
  if (TCustomdxBarControl* open = FItemLinks->BarControl()) {
    auto* s = dynamic_cast<TdxBarSubMenuControl*>(open);
    if (!s || !s->Closing()) return;
    // Closed but not yet freed (reopened from its own click handler): a new window takes over.
    DetachClosedWindow();
  }
  TCustomForm* form = dynamic_cast<TCustomForm*>(Owner());
  if (!form && FBarManager) form = FBarManager->ParentForm();
  if (form && form->HandleAllocated()) SendMessageA(form->Handle(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  auto* w = static_cast<TdxBarSubMenuControl*>(FItemLinks->CreateBarControl());
  w->SetBounds(X, Y, w->Width(), w->Height());
  w->OpenerWidth = FOwnerWidth;
  w->OpenerHeight = FOwnerHeight;
  if (auto* wc = dynamic_cast<TWinControl*>(Owner()); wc && wc->HandleAllocated()) w->OwnerWindow = wc->Handle();
  w->OnAfterDestroy = TNotifyEvent(this, &TdxBarPopupMenu::WindowClosed);
  w->OnBeforeShow = TNotifyEvent(this, &TdxBarPopupMenu::WindowShowing);
  w->AllowAnimation = FAnimate;
  if (OpenerControl && IsBarControl(OpenerControl->Parent())) {
    w->SetParentBar(OpenerControl->Parent());
    w->Opener = OpenerControl;
  }
  bool alive = true;
  FAliveFlags.push_back(&alive);
  FShowing = !NoWait;
  w->Show();
  if (alive && !NoWait) {
    MSG msg;
    // The popup menu may be freed by any message dispatched here (a click handler freeing it or its
    // owner): only the local flag is read until it is known to stand.
    while (alive && FShowing) {
      BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (got == 0) {
        PostQuitMessage(int(msg.wParam));
        break;
      }
      if (got < 0) break;
      if (!alive || !FShowing) {
        // Closed meanwhile: the message is the application loop's.
        if (msg.hwnd)
          PostMessageA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        else
          PostThreadMessageA(GetCurrentThreadId(), msg.message, msg.wParam, msg.lParam);
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (!alive) return;
  FAliveFlags.erase(std::remove(FAliveFlags.begin(), FAliveFlags.end(), &alive), FAliveFlags.end());
}
