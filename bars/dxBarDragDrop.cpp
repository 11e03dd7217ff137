// Customizing drag and drop: while the manager is customizing, the user moves a link to another place
// (Ctrl: copies it), drops a command from the customizing dialog onto a bar, drags a link off every bar
// to delete it, or nudges a link by a few pixels to give or take its group mark. The drag is a modal
// loop with the mouse captured on the application window; the bar window under the cursor tells where
// a drop would go (GetDropInfo) and an inverted insertion mark shows it.
#include <windowsx.h>

#include <cstdlib>

#include "dxBarCommon.h"
#include "dxBarCustomizing.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

TdxBarDragCategoryList dxBarDragCategoryList;

namespace {

int DragRuns = 0;

// The bar window of AManager under a screen point that takes part in customizing, or nullptr.
TCustomdxBarControl* BarWindowAt(TdxBarManager* AManager, POINT P) {
  HWND w = WindowFromPoint(P);
  auto* c = dynamic_cast<TCustomdxBarControl*>(FindControl(w));
  // The form behind the customizing dialog is disabled: the system finds no window inside it.
  if (!c && w && !IsWindowEnabled(w)) c = dxBarBarWindowAt(AManager, P);
  if (!c || !IsBarControl(c) || c->BarManager() != AManager || !c->HandleAllocated()) return nullptr;
  if (!IsWindowVisible(c->Handle()) || !c->IsCustomizing() || !c->CanCustomize() || !c->ItemLinks()) return nullptr;
  return c;
}

bool IsMenuWindow(TCustomdxBarControl* W) { return dynamic_cast<TdxBarSubMenuControl*>(W) != nullptr; }

// The loop's view of where the cursor is.
struct TDropPlace {
  TCustomdxBarControl* Target = nullptr;
  TdxBarItemControl* Control = nullptr;
  bool Outside = false, Vertical = false, Before = false;
  bool Refused = false;   // a bar window that may not take the dragged item
  int Category = -2;      // design time: the category-list entry under the cursor (see the hooks)
  bool SameAs(const TDropPlace& O) const {
    return Target == O.Target && Control == O.Control && Outside == O.Outside && Vertical == O.Vertical &&
           Before == O.Before && Refused == O.Refused;
  }
};

class TDragLoop {
public:
  TDragLoop(TdxBarManager* AManager, TdxBarItemLink* ALink, TdxBarItem* AItem, TCustomdxBarControl* ASource)
      : FManager(AManager), FLink(ALink), FItem(AItem) {
    FSourceVertical = ASource && (IsMenuWindow(ASource) || IsVerticalToolbar(ASource));
    GetCursorPos(&FStart);
    FPoint = FStart;
    FCtrl = GetKeyState(VK_CONTROL) < 0;
  }

  // Runs until the button is released (True: drop) or the drag is cancelled (False).
  bool Run() {
    HWND capture = Application->Handle();
    SetCapture(capture);
    Screen->SetCursor(crdxBarDragNoDrop);
    bool drop = false;
    MSG msg;
    for (;;) {
      if (GetCapture() != capture) break;
      BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (!got || got == -1) {
        PostQuitMessage(int(msg.wParam));
        break;
      }
      if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_CONTROL) {
          FCtrl = msg.message == WM_KEYDOWN;
          Move(FPoint, true);
        } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
          break;
        }
        continue;
      }
      if (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP) {
        POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        ClientToScreen(msg.hwnd, &p);
        if (msg.message == WM_MOUSEMOVE) {
          FMoved = true;
          Move(p, false);
          continue;
        }
        FPoint = p;
        drop = FMoved;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    RemoveMark();
    if (GetCapture() == capture) ReleaseCapture();
    return drop;
  }

  // The place under the release point, read again: windows may have opened or closed meanwhile.
  void Drop() {
    TDropPlace place = PlaceAt(FPoint);
    if (place.Target) {
      if (!place.Refused) DropOnBar(place);
    } else {
      DropOffBars(place);
    }
  }

  ~TDragLoop() { RemoveMark(); }

  // The dragged link while it stands (a move frees it), or nullptr.
  TdxBarItemLink* Link() const { return FLink; }

private:
  TDropPlace PlaceAt(POINT P) {
    TDropPlace r;
    r.Target = BarWindowAt(FManager, P);
    if (r.Target) {
      r.Control = r.Target->GetDropInfo(r.Target->ScreenToClient(P), r.Outside, r.Vertical, r.Before);
      r.Refused = dxBarLinksRefuseItem(r.Target->ItemLinks(), FItem);
    } else if (!FLink && FManager->Designing() && dxBarDragCategoryList.CategoryAt) {
      r.Category = dxBarDragCategoryList.CategoryAt(FManager, P);
    }
    return r;
  }

  void Move(POINT P, bool CtrlChanged) {
    FPoint = P;
    TDropPlace place = PlaceAt(P);
    if (!FLink && FManager->Designing() && dxBarDragCategoryList.SelectCategory) {
      // The category list follows a command dragged at design time; elsewhere it shows the command's own.
      int cat = place.Category >= 0 ? place.Category : FItem->Category();
      if (place.Category != -1 && cat != FShownCategory) {
        FShownCategory = cat;
        dxBarDragCategoryList.SelectCategory(FManager, cat);
      }
    }
    TCursor cursor = crdxBarDragNoDrop;
    if (place.Target && !place.Refused)
      cursor = FCtrl || !FLink ? crdxBarDragCopy : crdxBarDrag;
    else if (!place.Target && place.Category >= 0)
      cursor = crdxBarDrag;
    Screen->SetCursor(cursor);
    ::SetCursor(Screen->Cursors(cursor));
    if (place.SameAs(FPlace) && !CtrlChanged) return;
    RemoveMark();
    FPlace = place;
    // A sub-item under the cursor opens its menu, so the user can drag into it.
    if (place.Control && dynamic_cast<TdxBarSubItemControl*>(place.Control)) {
      place.Target->DropDownItem(place.Control);
      if (IsBarControl(place.Target) && place.Target->SelectedControl() == place.Control)
        FManager->SetCustomizingSelection(place.Control);
      FlushPaintMessages();
    }
    if (place.Refused || !place.Control || !IsBarControl(place.Target) || !place.Target->HandleAllocated()) return;
    if (!dxBarDropChanges(place.Control->Link(), FLink, FCtrl, place.Outside, place.Before)) return;
    FMarkWindow = place.Target;
    FMarkRect = place.Target->GetItemRect(place.Control);
    FMarkVertical = place.Vertical;
    // A point in a control's separator inserts before the control, whatever its half.
    FMarkBefore = place.Outside || place.Before;
    DrawMark();
  }

  void DrawMark() {
    HDC dc = GetDC(FMarkWindow->Handle());
    dxBarDrawInsertMark(dc, FMarkRect, FMarkVertical, FMarkBefore);
    ReleaseDC(FMarkWindow->Handle(), dc);
  }

  void RemoveMark() {
    if (!FMarkWindow) return;
    if (IsBarControl(FMarkWindow) && FMarkWindow->HandleAllocated()) DrawMark();
    FMarkWindow = nullptr;
  }

  void DropOnBar(const TDropPlace& P) {
    TCustomdxBarControl* target = P.Target;
    TdxBarItemLink* t = P.Control ? P.Control->Link() : nullptr;
    if (FLink && t && !FCtrl && !(P.Outside && P.Before) &&
        (t == FLink || !dxBarDropChanges(t, FLink, FCtrl, P.Outside, P.Before))) {
      Nudge();
      return;
    }
    if (!t) {
      // Only an empty bar takes a drop beside its controls: the link is appended.
      POINT c = target->ScreenToClient(FPoint);
      RECT client = target->ClientRect();
      if (!PtInRect(&client, c) || target->ItemLinks()->VisibleCount() > 0) return;
    }
    TdxBarItemLinks* links = target->ItemLinks();
    TdxBarItemLinks* from = FLink ? FLink->Links() : nullptr;
    TdxBarItemLink* added = links->Add();
    {
      // A link without an item has no place in the bars.
      TFailScope unmade([added] { TObject::Free(added); });
      added->SetItem(FItem);
    }
    added->MarkUsed(true);
    if (FLink) {
      added->Assign(FLink);
      added->SetBeginGroup(false);
    }
    if (t) {
      added->SetIndex(t->Index() + (!P.Outside && !P.Before ? 1 : 0));
      if ((P.Outside && !P.Before) || (!P.Outside && P.Before && t->BeginGroup())) {
        added->SetBeginGroup(true);
        // The mark moves from the control to the new link before it: one repaint, not two.
        bool redraw = target->HandleAllocated();
        if (redraw) SendMessageA(target->Handle(), WM_SETREDRAW, FALSE, 0);
        t->SetBeginGroup(false);
        if (redraw) SendMessageA(target->Handle(), WM_SETREDRAW, TRUE, 0);
      }
    }
    bool rebuild = !FLink || FCtrl || from != links;
    if (FLink && !FCtrl) {
      TObject::Free(FLink);
      FLink = nullptr;
    }
    if (!IsBarControl(target)) return;
    if (rebuild) target->RebuildBar();
    added->CreateControl();
    // Another toolbar in menu mode leaves it first: the selection it drops would take the new one with it.
    TdxBarControl* menuBar = FManager->MenuModeBar();
    bool menuMode = menuBar && menuBar != target && IsBarControl(menuBar);
    if (menuMode) menuBar->ExitMenuMode();
    if (TdxBarItemControl* c = added->Control()) {
      FManager->SetCustomizingSelection(c);
      target->SetSelectedItem(c);
      if (auto* tb = dynamic_cast<TdxBarControl*>(target); tb && menuMode) tb->EnterMenuMode(c);
    }
    FManager->DesignerModified();
  }

  // A link dropped where it stands: a move of 4 pixels or more along its bar gives it a group mark
  // (right or down) or takes it away (left or up).
  void Nudge() {
    int delta = FSourceVertical ? FPoint.y - FStart.y : FPoint.x - FStart.x;
    if (std::abs(delta) < 4) return;
    // The group mark re-lays the bar out with new controls: the one framed before is found again by its link.
    TdxBarItemLink* prev = FManager->SelectedItem() ? FManager->SelectedItem()->Link() : nullptr;
    if (TdxBarItemControl* c = FLink->Control()) FManager->SetCustomizingSelection(c);
    FLink->SetBeginGroup(delta > 0);
    if (prev && prev->Control() && prev->Control() != FManager->SelectedItem()) prev->Control()->Repaint();
  }

  void DropOffBars(const TDropPlace& P) {
    if (FLink && !FCtrl) {
      TObject::Free(FLink);
      FLink = nullptr;
      FManager->DesignerModified();
    }
    if (TdxBarItemControl* sel = FManager->SelectedItem()) {
      TCustomdxBarControl* w = sel->Parent();
      FManager->SetCustomizingSelection(nullptr);
      if (IsBarControl(w)) w->RebuildBar();
    }
    if (!FLink && P.Category >= 0 && FItem->Category() != P.Category) MoveToCategory(P.Category);
  }

  // Design time: the command joins another category, placed after that category's last item.
  void MoveToCategory(int Category) {
    int cur = -1, last = -1;
    for (int i = 0; i < FManager->ItemCount(); ++i) {
      if (FManager->Items(i) == FItem) cur = i;
      if (FManager->Items(i)->Category() == Category) last = i;
    }
    if (cur >= 0 && last >= 0) {
      int to = last < cur ? last + 1 : last;
      if (to > FManager->ItemCount() - 1) to = FManager->ItemCount() - 1;
      FManager->MoveItem(cur, to);
    }
    FItem->SetCategory(Category);
  }

  TdxBarManager* FManager;
  TdxBarItemLink* FLink;
  TdxBarItem* FItem;
  bool FSourceVertical = false;
  POINT FStart{}, FPoint{};
  bool FCtrl = false;
  bool FMoved = false;
  int FShownCategory = -3;
  TDropPlace FPlace;
  TCustomdxBarControl* FMarkWindow = nullptr;
  RECT FMarkRect{};
  bool FMarkVertical = false, FMarkBefore = false;
};

}  // namespace

void dxBarRegisterDragCursors() {
  if (!Screen) return;
  HINSTANCE module = GetModuleHandleA(nullptr);
  const struct {
    TCursor Id;
    const char* Name;
  } cursors[] = {{crdxBarDrag, "DXBARDRAGCURSOR"},
                 {crdxBarDragCopy, "DXBARDRAGCOPYCURSOR"},
                 {crdxBarDragNoDrop, "DXBARDRAGNODROPCURSOR"},
                 {crdxBarEditSizing, "DXBAREDITSIZINGCURSOR"}};
  for (auto& c : cursors)
    if (HCURSOR h = LoadCursorA(module, c.Name)) Screen->SetCursors(c.Id, h);
}

void dxBarDrawInsertMark(HDC DC, RECT R, bool Vertical, bool Before) {
  int saved = SaveDC(DC);
  SetROP2(DC, R2_NOT);
  SelectObject(DC, GetStockObject(BLACK_PEN));
  auto line = [DC](int X1, int Y1, int X2, int Y2) {
    MoveToEx(DC, X1, Y1, nullptr);
    LineTo(DC, X2, Y2);
  };
  if (!Vertical) {
    int x = Before ? R.left : R.right - 6, t = R.top, b = R.bottom;
    line(x, t, x + 6, t);
    line(x + 1, t + 1, x + 5, t + 1);
    line(x + 2, t + 2, x + 2, b - 2);
    line(x + 3, t + 2, x + 3, b - 2);
    line(x + 1, b - 2, x + 5, b - 2);
    line(x, b - 1, x + 6, b - 1);
  } else {
    int y = Before ? R.top : R.bottom - 6, l = R.left, r = R.right;
    line(l, y, l, y + 6);
    line(l + 1, y + 1, l + 1, y + 5);
    line(l + 2, y + 2, r - 2, y + 2);
    line(l + 2, y + 3, r - 2, y + 3);
    line(r - 2, y + 1, r - 2, y + 5);
    line(r - 1, y, r - 1, y + 6);
  }
  RestoreDC(DC, saved);
}

bool dxBarDropChanges(TdxBarItemLink* Target, TdxBarItemLink* Dragged, bool Ctrl, bool Outside, bool Before) {
  if (!Target) return false;
  if (!Dragged || Ctrl) return true;
  if (Target == Dragged && !(Outside && Before)) return false;
  TdxBarItemLinks* links = Dragged->Links();
  int i = links ? links->IndexOfShown(Dragged) : -1;
  if (i < 0) return true;
  TdxBarItemLink* prev = i > 0 ? links->ShownItems(i - 1) : nullptr;
  TdxBarItemLink* next = i + 1 < links->ShownCount() ? links->ShownItems(i + 1) : nullptr;
  if (Target == prev && !Dragged->BeginGroup() && !Outside && !Before) return false;
  if (!next) return true;
  if (Target != next) return true;
  if (Outside && Before) return false;
  if (Target->BeginGroup()) return true;
  return !Before;
}

bool dxBarLinksRefuseItem(TdxBarItemLinks* ALinks, TdxBarItem* AItem) {
  auto* owner = ALinks ? dynamic_cast<TCustomdxBarSubItem*>(ALinks->Owner()) : nullptr;
  if (!owner || !AItem) return false;
  if (owner == AItem) return true;
  auto* sub = dynamic_cast<TCustomdxBarSubItem*>(AItem);
  return sub && sub->ItemLinks()->ContainsItem(owner);
}

bool dxBarCustomizingDragRuns() { return DragRuns > 0; }

void TdxBarManager::SetDragCandidate(TdxBarItemLink* ALink) {
  if (FDragging) return;
  FDraggingItemLink = ALink;
  FDraggingItem = ALink ? ALink->Item() : nullptr;
}

void TdxBarManager::CustomizingDragDrop(TdxBarItemControl* AControl, TdxBarItem* AItem) {
  if (FDragging || !IsCustomizing()) return;
  TdxBarItemLink* link = AControl ? AControl->Link() : nullptr;
  TdxBarItem* item = link ? link->Item() : AItem;
  if (!item) return;
  TCustomdxBarControl* source = AControl ? AControl->Parent() : nullptr;
  if (AControl && AControl->DroppedDown()) AControl->CloseUp();
  TCursor savedCursor = Screen->Cursor();
  TDragLoop loop(this, link, item, source);
  FDragging = true;
  FDraggingItem = item;
  FDraggingItemLink = link;
  ++DragRuns;
  struct TEnd {
    TdxBarManager* M;
    TCursor Cursor;
    TDragLoop& Loop;
    ~TEnd() {
      --DragRuns;
      Screen->SetCursor(Cursor);
      M->FDragging = false;
      M->FDraggingItem = nullptr;
      M->FDraggingItemLink = nullptr;
      // A dragged link that stays (copied, or nothing dropped) keeps its customizing frame only while it is
      // still the customizing selection.
      if (TdxBarItemLink* l = Loop.Link())
        if (TdxBarItemControl* c = l->Control(); c && c != M->SelectedItem()) c->Repaint();
      dxBarFreeClosedBarControlsLater();
    }
  } end{this, savedCursor, loop};
  // The dragging flag stays up through the drop: a moved link that goes keeps the separators in place.
  if (loop.Run()) loop.Drop();
}
