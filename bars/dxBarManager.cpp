// The bar manager: one per form; owns the bars and the dock sites, registers the items, keeps the
// categories, fonts, image lists and metrics every bar window uses, and the customizing mode.
#include <algorithm>
#include <sstream>

#include "dxBarBars.h"
#include "dxBarCommon.h"
#include "dxBarCustomizing.h"
#include "dxBarItemControls.h"
#include "dxBarItems.h"
#include "dxBarManager.h"
#include "dxBarSubMenu.h"
#include "dxBarWindows.h"

// ---------------------------------------------------------------------------------------------------
// Manager list

TdxBarManager* TdxBarManagerList::Items(int Index) const {
  return Index >= 0 && Index < Count() ? FList[size_t(Index)] : nullptr;
}

TdxBarManager* TdxBarManagerList::CustomizingBarManager() const {
  for (auto* m : FList)
    if (m->IsCustomizing()) return m;
  return nullptr;
}

// The first manager brings the thread's message hooks and the last one takes them away; the hooks
// come with the keyboard and menu handling.
// The bars' thread hooks live while the list holds a manager.
void TdxBarManagerList::Add(TdxBarManager* AManager) {
  if (std::find(FList.begin(), FList.end(), AManager) == FList.end()) FList.push_back(AManager);
  if (!AManager->Designing() && !dxBarHintWindow(false)) dxBarHintWindow(true);
  dxBarInstallHooks();
}

void TdxBarManagerList::Remove(TdxBarManager* AManager) {
  FList.erase(std::remove(FList.begin(), FList.end(), AManager), FList.end());
  if (FList.empty()) {
    dxBarRemoveHooks();
    dxBarFreeHintWindow();
  }
}

// ---------------------------------------------------------------------------------------------------
// Categories

void TdxBarManagerCategories::DefineProperties(TFiler* Filer) {
  TStringList::DefineProperties(Filer);
  auto readList = [this](TReader* Reader, bool Visibles) {
    Reader->ReadListBegin();
    for (int i = 0; !Reader->EndOfList(); ++i) {
      int32_t v = Visibles ? int32_t(Reader->ReadBoolean()) : Reader->ReadInteger();
      if (i >= Count()) continue;
      auto* rec = dynamic_cast<TdxBarCategoryRecord*>(Objects(i));
      if (!rec) {
        rec = new TdxBarCategoryRecord;
        SetObjects(i, rec);
      }
      if (Visibles) {
        rec->Visible = v != 0;
      } else {
        // Held back: applied once the items have their own visibility (the manager's Loaded).
        rec->LoadedItemsVisible = uint8_t(std::clamp(v, 0, 2));
        if (!FBarManager || !FBarManager->IsLoading()) FBarManager->SetCategoryItemsVisible(i, TdxBarItemVisible(rec->LoadedItemsVisible));
      }
    }
    Reader->ReadListEnd();
  };
  auto writeList = [this](TWriter* Writer, bool Visibles) {
    Writer->WriteListBegin();
    for (int i = 0; i < Count(); ++i) {
      auto* rec = dynamic_cast<TdxBarCategoryRecord*>(Objects(i));
      if (Visibles)
        Writer->WriteBoolean(!rec || rec->Visible);
      else
        Writer->WriteInteger(rec ? rec->ItemsVisible : ivAlways);
    }
    Writer->WriteListEnd();
  };
  Filer->DefineProperty("ItemsVisibles", [readList](TReader* r) { readList(r, false); },
                        [writeList](TWriter* w) { writeList(w, false); }, Count() > 0);
  Filer->DefineProperty("Visibles", [readList](TReader* r) { readList(r, true); },
                        [writeList](TWriter* w) { writeList(w, true); }, Count() > 0);
}

// ---------------------------------------------------------------------------------------------------
// Construction and destruction

TdxBarManager::TdxBarManager(TComponent* AOwner) : TComponent(AOwner) {
  TComponent* check = AOwner;
  if (!check && Application) check = Application->MainForm();
  auto* form = dynamic_cast<TCustomForm*>(check);
  if (!form) throw EdxException(dxBarResStr(dxSBAR_BARMANAGERBADOWNER));
  if (GetBarManagerByForm(form)) throw EdxException(dxBarResStr(dxSBAR_BARMANAGERMORETHANONE));
  FParentForm = form;
  FConstructed = true;
  dxBarManagerList()->Add(this);
  // A dialog, menu or box that opens (say, from the button whose hint shows) hides the item hint.
  if (Application) {
    static int key;
    Application->AddHintCancel(&key, [] {
      dxBarStopHintTimers();
      if (TdxBarHintWindow* w = dxBarHintWindow(false)) w->HideHint();
    });
  }
  FDesigning = ComponentState().Contains(csDesigning);
  FCategories = new TdxBarManagerCategories(this);
  FCategories->Add(dxBarResStr(dxSBAR_DEFAULTCATEGORYNAME));
  FPopupMenuLinks = new TdxBarPopupMenuLinks(this);
  FBars = new TdxBars(this);
  FBars->PropName = "Bars";
  FBars->CreateDockControls(form);
  FFont = new TFont;
  FFont->OnChange = Bind(this, &TdxBarManager::FontChanged);
  FHelpButtonGlyph = new TBitmap;
  FImageChangeLink = new TChangeLink;
  FImageChangeLink->OnChange = Bind(this, &TdxBarManager::ImagesChanged);
  FLargeImageChangeLink = new TChangeLink;
  FLargeImageChangeLink->OnChange = Bind(this, &TdxBarManager::LargeImagesChanged);
  FHotImageChangeLink = new TChangeLink;
  FHotImageChangeLink->OnChange = Bind(this, &TdxBarManager::HotImagesChanged);
  UpdateRecentThreshold();
  CalcDerivedSizes();
  FStyle = bmsStandard;
  SetStyle(bmsEnhanced);
  SetUseSystemFont(true);
}

void TdxBarManager::BeforeDestruction() {
  if (FConstructed) {
    IncludeState(csDestroying);
    // No hint timer of this manager may fire once it is gone.
    UpdateHint(false, "");
    dxBarStopHintTimers();
    SetCustomizing(false);
    // Popup menus of this manager go first (last first), then bars with their dock sites, then items.
    while (!FPopupMenus.empty()) {
      TdxBarPopupMenu* m = FPopupMenus.back();
      FPopupMenus.pop_back();
      TObject::Free(m);
    }
    FreeAndNil(FBars);
    while (!FItems.empty()) TObject::Free(FItems.back());
  }
  TComponent::BeforeDestruction();
}

TdxBarManager::~TdxBarManager() {
  if (!FConstructed) return;
  SetImageList(FImages, FImageChangeLink, nullptr);
  SetImageList(FLargeImages, FLargeImageChangeLink, nullptr);
  SetImageList(FHotImages, FHotImageChangeLink, nullptr);
  TObject::Free(FImageChangeLink);
  TObject::Free(FLargeImageChangeLink);
  TObject::Free(FHotImageChangeLink);
  TObject::Free(FHelpButtonGlyph);
  if (FFont) FFont->OnChange = nullptr;
  TObject::Free(FFont);
  if (FVertFontHandle) DeleteObject(FVertFontHandle);
  dxBarManagerList()->Remove(this);
  if (dxBarManagerList()->Count() == 0) dxBarFreeHintWindow();
  TObject::Free(FCategories);
  TObject::Free(FPopupMenuLinks);
}

// ---------------------------------------------------------------------------------------------------
// Published properties

void TdxBarManager::Publish(TPublisher<TdxBarManager>& p) {
  using M = TdxBarManager;
  p.Bool("AllowCallFromAnotherForm", &M::AllowCallFromAnotherForm, &M::SetAllowCallFromAnotherForm).Default(0);
  p.Bool("AllowReset", &M::AllowReset, &M::SetAllowReset).Default(1);
  p.Bool("AlwaysMerge", &M::AlwaysMerge, &M::SetAlwaysMerge).Default(0);
  p.Bool("AlwaysSaveText", &M::AlwaysSaveText, &M::SetAlwaysSaveText).Default(0);
  p.Bool("AutoDockColor", &M::AutoDockColor, &M::SetAutoDockColor).Default(1);
  p.Bool("AutoHideEmptyBars", &M::AutoHideEmptyBars, &M::SetAutoHideEmptyBars).Default(0);
  p.Bool("Scaled", &M::Scaled, &M::SetScaled).Default(1);
  p.Object("Font", &M::Font);
  p.Object("Bars", &M::Bars);
  p.Int("ButtonArrowWidth", &M::ButtonArrowWidth, &M::SetButtonArrowWidth).Default(9);
  p.Bool("CanCustomize", &M::CanCustomize, &M::SetCanCustomize).Default(1);
  p.Object("Categories", [](M& m) -> TStrings* { return m.Categories(); });
  p.Int("DockColor", &M::DockColor, &M::SetDockColor).Default(clBtnFace).StoredIf<M>([](M& m) { return !m.AutoDockColor(); });
  p.Bool("FlatCloseButton", &M::FlatCloseButton, &M::SetFlatCloseButton).Default(0);
  p.Object("HelpButtonGlyph", &M::HelpButtonGlyph);
  p.Int("HelpContext", &M::HelpContext, &M::SetHelpContext).Default(0);
  p.Ref("HotImages", &M::HotImages, &M::SetHotImages);
  p.Int("ImageListBkColor", &M::ImageListBkColor, &M::SetImageListBkColor).Default(0xFF00FF);
  p.Ref("Images", &M::Images, &M::SetImages);
  p.Str("IniFileName", &M::IniFileName, &M::SetIniFileName);
  p.Ref("LargeImages", &M::LargeImages, &M::SetLargeImages);
  p.Int("LargeButtonArrowWidth", &M::LargeButtonArrowWidth, &M::SetLargeButtonArrowWidth).Default(14);
  p.Bool("LargeIcons", &M::LargeIcons, &M::SetLargeIcons).Default(0);
  p.Enum("MenuAnimations", dxBarMenuAnimationsNames, &M::MenuAnimations, &M::SetMenuAnimations).Default(maNone);
  p.Bool("MenusShowRecentItemsFirst", &M::MenusShowRecentItemsFirst, &M::SetMenusShowRecentItemsFirst).Default(1);
  p.Int("MostRecentItemsPercents", &M::MostRecentItemsPercents, &M::SetMostRecentItemsPercents).Default(95);
  p.Set("NotDocking", dxBarDockingStyleNames, &M::NotDocking, &M::SetNotDocking).Default(0);
  p.Str("RegistryPath", &M::RegistryPath, &M::SetRegistryPath);
  p.Object("PopupMenuLinks", [](M& m) -> TPersistent* { return m.PopupMenuLinks(); });
  p.Bool("ShowCloseButton", &M::ShowCloseButton, &M::SetShowCloseButton).Default(0);
  p.Bool("ShowFullMenusAfterDelay", &M::ShowFullMenusAfterDelay, &M::SetShowFullMenusAfterDelay).Default(1);
  p.Bool("ShowHelpButton", &M::ShowHelpButton, &M::SetShowHelpButton).Default(0);
  p.Bool("ShowHint", &M::ShowHint, &M::SetShowHint).Default(1);
  p.Bool("ShowHintForDisabledItems", &M::ShowHintForDisabledItems, &M::SetShowHintForDisabledItems).Default(1);
  p.Bool("ShowShortCutInHint", &M::ShowShortCutInHint, &M::SetShowShortCutInHint).Default(0);
  p.Bool("StoreInIniFile", &M::StoreInIniFile, &M::SetStoreInIniFile).Default(0);
  p.Bool("StoreInRegistry", &M::StoreInRegistry, &M::SetStoreInRegistry).Default(0);
  p.Bool("StretchGlyphs", &M::StretchGlyphs, &M::SetStretchGlyphs).Default(1);
  p.Enum("Style", dxBarManagerStyleNames, &M::Style, &M::SetStyle).Default(bmsEnhanced);
  p.Bool("SunkenBorder", &M::SunkenBorder, &M::SetSunkenBorder).Default(0);
  p.Bool("UseF10ForMenu", &M::UseF10ForMenu, &M::SetUseF10ForMenu).Default(1);
  p.Bool("UseFullReset", &M::UseFullReset, &M::SetUseFullReset).Default(0);
  p.Bool("UseSystemFont", &M::UseSystemFont, &M::SetUseSystemFont);
  p.Int("WaitForDockingTime", &M::WaitForDockingTime, &M::SetWaitForDockingTime).Default(21);
  p.Event("OnBarAdd", &M::OnBarAdd);
  p.Event("OnBarAfterReset", &M::OnBarAfterReset);
  p.Event("OnBarBeforeReset", &M::OnBarBeforeReset);
  p.Event("OnBarClose", &M::OnBarClose);
  p.Event("OnBarDelete", &M::OnBarDelete);
  p.Event("OnBarDockingStyleChange", &M::OnBarDockingStyleChange);
  p.Event("OnBarVisibleChange", &M::OnBarVisibleChange);
  p.Event("OnItemLinkAdd", &M::OnItemLinkAdd);
  p.Event("OnItemLinkChange", &M::OnItemLinkChange);
  p.Event("OnItemLinkDelete", &M::OnItemLinkDelete);
  p.Event("OnCloseButtonClick", &M::OnCloseButtonClick);
  p.Event("OnDocking", &M::OnDocking);
  p.Event("OnHelpButtonClick", &M::OnHelpButtonClick);
  p.Event("OnHideCustomizingForm", &M::OnHideCustomizingForm);
  p.Event("OnMenuMerge", &M::OnMenuMerge);
  p.Event("OnShowCustomizingForm", &M::OnShowCustomizingForm);
  p.Event("OnShowCustomizingPopup", &M::OnShowCustomizingPopup);
  p.Event("OnShowToolbarsPopup", &M::OnShowToolbarsPopup);
  p.Event("OnClickItem", &M::OnClickItem);
}

void TdxBarManager::RebuildBarWindows() {
  if (!FBars) return;
  for (int i = 0; i < FBars->Count(); ++i)
    if (auto* c = FBars->Items(i)->Control()) c->RebuildBar();
}

void TdxBarManager::RepaintBarWindows() {
  if (!FBars) return;
  for (int i = 0; i < FBars->Count(); ++i)
    if (auto* c = FBars->Items(i)->Control()) c->Invalidate();
}

void TdxBarManager::SetAutoDockColor(bool Value) {
  if (FAutoDockColor == Value) return;
  FAutoDockColor = Value;
  for (auto s : {dsLeft, dsTop, dsRight, dsBottom})
    if (auto* d = FBars->DockControls(s)) {
      if (Value)
        d->SetParentColor(true);
      else
        d->SetColor(FDockColor);
    }
}

TColor TdxBarManager::DockColor() const {
  return FAutoDockColor && FParentForm ? FParentForm->Color() : FDockColor;
}

void TdxBarManager::SetDockColor(TColor Value) {
  if (!FAutoDockColor && FDockColor == Value) return;
  FDockColor = Value;
  FAutoDockColor = false;
  for (auto s : {dsLeft, dsTop, dsRight, dsBottom})
    if (auto* d = FBars->DockControls(s)) d->SetColor(Value);
}

void TdxBarManager::SetAutoHideEmptyBars(bool Value) {
  if (FAutoHideEmptyBars == Value) return;
  FAutoHideEmptyBars = Value;
  if (!Value)
    for (int i = 0; i < FBars->Count(); ++i) FBars->Items(i)->SetAutoHidden(false);
}

void TdxBarManager::SetScaled(bool Value) {
  if (FScaled == Value) return;
  FScaled = Value;
  if (Value && !FUseSystemFont) ApplySystemFont();
}

void TdxBarManager::SetBars(TdxBars* Value) { FBars->Assign(Value); }

void TdxBarManager::SetButtonArrowWidth(int32_t Value) {
  if (Value < 2 || FButtonArrowWidth == Value) return;
  FButtonArrowWidth = Value;
  CalcDerivedSizes();
  RebuildBarWindows();
}

void TdxBarManager::SetLargeButtonArrowWidth(int32_t Value) {
  if (Value < 2 || FLargeButtonArrowWidth == Value) return;
  FLargeButtonArrowWidth = Value;
  RebuildBarWindows();
}

void TdxBarManager::SetFlatCloseButton(bool Value) {
  if (FFlatCloseButton == Value) return;
  FFlatCloseButton = Value;
  if (FMainMenuBar && FMainMenuBar->Control()) {
    if (FSelectedItem && FSelectedItem->Parent() == FMainMenuBar->Control()) FSelectedItem = nullptr;
    FMainMenuBar->Control()->RebuildBar();
  }
}

void TdxBarManager::SetShowCloseButton(bool Value) {
  if (FShowCloseButton == Value) return;
  FShowCloseButton = Value;
  if (FMainMenuBar && FMainMenuBar->Control()) {
    if (FSelectedItem && FSelectedItem->Parent() == FMainMenuBar->Control()) FSelectedItem = nullptr;
    FMainMenuBar->Control()->RebuildBar();
  }
}

void TdxBarManager::SetImageListBkColor(TColor Value) {
  if (FImageListBkColor == Value) return;
  FImageListBkColor = Value;
  RepaintBarWindows();
}

void TdxBarManager::SetLargeIcons(bool Value) {
  if (FLargeIcons == Value) return;
  FLargeIcons = Value;
  CalcDerivedSizes();
  DesignerModified();
  RefreshCustomizingForm();
  RebuildBarWindows();
}

void TdxBarManager::SetMenuAnimations(TdxBarMenuAnimations Value) {
  if (FMenuAnimations == Value) return;
  FMenuAnimations = Value;
  DesignerModified();
  RefreshCustomizingForm();
}

void TdxBarManager::SetMenusShowRecentItemsFirst(bool Value) {
  if (FMenusShowRecentItemsFirst == Value) return;
  FMenusShowRecentItemsFirst = Value;
  DesignerModified();
  RefreshCustomizingForm();
}

void TdxBarManager::SetMostRecentItemsPercents(uint8_t Value) {
  if (Value > 100) Value = 100;
  if (FMostRecentItemsPercents == Value) return;
  FMostRecentItemsPercents = Value;
  UpdateRecentThreshold();
}

void TdxBarManager::UpdateRecentThreshold() {
  int rest = 100 - FMostRecentItemsPercents;
  if (rest == 0) {
    FRecentItemThreshold = 0;
    return;
  }
  int n = 1;
  while ((rest * n) / 100 <= 0) ++n;
  FRecentItemThreshold = n;
}

void TdxBarManager::SetShowFullMenusAfterDelay(bool Value) {
  if (FShowFullMenusAfterDelay == Value) return;
  FShowFullMenusAfterDelay = Value;
  DesignerModified();
  RefreshCustomizingForm();
}

void TdxBarManager::SetShowHelpButton(bool Value) {
  if (FShowHelpButton == Value) return;
  FShowHelpButton = Value;
  RefreshCustomizingForm();
}

void TdxBarManager::SetShowHint(bool Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  DesignerModified();
  RefreshCustomizingForm();
}

void TdxBarManager::SetShowShortCutInHint(bool Value) {
  if (FShowShortCutInHint == Value) return;
  FShowShortCutInHint = Value;
  DesignerModified();
  RefreshCustomizingForm();
}

void TdxBarManager::SetStyle(TdxBarManagerStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  static const int Metrics[2][3] = {{2, 9, 2}, {1, 6, 12}};
  std::copy(Metrics[Value], Metrics[Value] + 3, FStyleMetrics);
  if (FBars)
    for (int i = 0; i < FBars->Count(); ++i)
      if (auto* c = FBars->Items(i)->Control()) c->Perform(CM_FONTCHANGED, 0, 0);
  RebuildBarWindows();
  RefreshCustomizingForm();
}

void TdxBarManager::SetSunkenBorder(bool Value) {
  if (FSunkenBorder == Value) return;
  FSunkenBorder = Value;
  for (auto s : {dsLeft, dsTop, dsRight, dsBottom})
    if (auto* d = FBars->DockControls(s)) {
      d->ReFrame();
      d->UpdateDock();
    }
}

void TdxBarManager::SetUseSystemFont(bool Value) {
  if (FUseSystemFont == Value) return;
  FUseSystemFont = Value;
  if (Value) ApplySystemFont();
}

void TdxBarManager::SetWaitForDockingTime(int32_t Value) {
  if (Value >= 0) FWaitForDockingTime = Value;
}

void TdxBarManager::CalcDerivedSizes() {
  int factor = FLargeIcons ? 2 : 1;
  FGlyphSize = 16 * factor;
  FButtonSize = FGlyphSize + 7;
  FButtonSize2 = FGlyphSize + 6;
  FArrowWidth = FButtonArrowWidth * factor;
  if (FArrowWidth % 2 == 0) ++FArrowWidth;
}

// ---------------------------------------------------------------------------------------------------
// Fonts

void TdxBarManager::ApplyMenuFont(bool UseOwnName) {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) return;
  LOGFONTA lf = ncm.lfMenuFont;
  if (UseOwnName) lstrcpynA(lf.lfFaceName, FFont->Name().c_str(), LF_FACESIZE);
  TNotifyEvent keep = FFont->OnChange;
  FFont->OnChange = nullptr;
  // The handle keeps the description; the colour is the font's own.
  TColor colour = FFont->Color();
  FFont->SetHandle(CreateFontIndirectA(&lf));
  FFont->SetColor(colour);
  FFont->OnChange = keep;
}

void TdxBarManager::ApplySystemFont() {
  if (FUseSystemFont) {
    ApplyMenuFont(false);
    // The font now is the system's: tell the bars, but keep following the system.
    FontChanged(FFont);
    FUseSystemFont = true;
  } else if (FScaled) {
    ApplyMenuFont(true);
    FontChanged(FFont);
  }
}

void TdxBarManager::FontChanged(TObject* Sender) {
  FUseSystemFont = false;
  if (FScaled && !IsLoading()) {
    TNotifyEvent keep = FFont->OnChange;
    FFont->OnChange = nullptr;
    LOGFONTA lf = FFont->LogFont();
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0) && lf.lfHeight != ncm.lfMenuFont.lfHeight)
      FFont->SetHeight(ncm.lfMenuFont.lfHeight);
    FFont->OnChange = keep;
  }
  if (FVertFontHandle) DeleteObject(FVertFontHandle);
  FVertFontHandle = dxBarMakeVerticalFont(FFont);
  if (FBars)
    for (int i = 0; i < FBars->Count(); ++i) FBars->Items(i)->ManagerFontChanged();
  for (auto* m : FPopupMenus) m->ManagerFontChanged();
}

// ---------------------------------------------------------------------------------------------------
// Image lists

void TdxBarManager::SetImageList(TCustomImageList*& Field, TChangeLink* Link, TCustomImageList* Value) {
  if (Field == Value) return;
  if (Field) {
    Field->UnRegisterChanges(Link);
    Field->RemoveFreeNotification(this);
  }
  Field = Value;
  if (Value) {
    Value->RegisterChanges(Link);
    Value->FreeNotification(this);
  }
}

void TdxBarManager::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  SetImageList(FImages, FImageChangeLink, Value);
  ImagesChanged(nullptr);
}

void TdxBarManager::SetLargeImages(TCustomImageList* Value) {
  if (FLargeImages == Value) return;
  SetImageList(FLargeImages, FLargeImageChangeLink, Value);
  LargeImagesChanged(nullptr);
}

void TdxBarManager::SetHotImages(TCustomImageList* Value) {
  if (FHotImages == Value) return;
  SetImageList(FHotImages, FHotImageChangeLink, Value);
  HotImagesChanged(nullptr);
}

void TdxBarManager::ImagesChanged(TObject* Sender) {
  // A list that changes while the form is read changes again once it is whole.
  if (Sender && IsLoading()) return;
  for (int i = 0; i < ItemCount(); ++i)
    if (FItems[size_t(i)]->ImageIndex() >= 0) FItems[size_t(i)]->GlyphChanged();
}

void TdxBarManager::LargeImagesChanged(TObject* Sender) {
  for (int i = 0; i < ItemCount(); ++i)
    if (FItems[size_t(i)]->UsesLargeImages()) FItems[size_t(i)]->LargeGlyphChanged();
}

void TdxBarManager::HotImagesChanged(TObject* Sender) {
  for (int i = 0; i < ItemCount(); ++i)
    if (FItems[size_t(i)]->UsesHotImages()) FItems[size_t(i)]->HotGlyphChanged();
}

void TdxBarManager::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FLargeImages) SetLargeImages(nullptr);
  if (AComponent == FHotImages) SetHotImages(nullptr);
  if (FPopupMenuLinks) FPopupMenuLinks->Forget(AComponent);
  auto* pm = dynamic_cast<TdxBarPopupMenu*>(AComponent);
  if (pm) FPopupMenus.erase(std::remove(FPopupMenus.begin(), FPopupMenus.end(), pm), FPopupMenus.end());
}

// ---------------------------------------------------------------------------------------------------
// Items

TdxBarItem* TdxBarManager::Items(int Index) const {
  return Index >= 0 && Index < ItemCount() ? FItems[size_t(Index)] : nullptr;
}

TdxBarItem* TdxBarManager::GetItemByName(const std::string& AName) const {
  for (auto* i : FItems)
    if (SameText(i->Name(), AName)) return i;
  return nullptr;
}

void TdxBarManager::GetItemsByCategory(int Index, TList* List) {
  List->Clear();
  if (Index < 0 || Index >= FCategories->Count()) return;
  for (auto* i : FItems)
    if (i->Category() == Index) List->Add(i);
}

void TdxBarManager::GetVisibleItemsByCategory(int Index, TList* List) {
  List->Clear();
  if (Index < 0 || Index >= FCategories->Count()) return;
  for (auto* i : FItems)
    if (i->Category() == Index && (FDesigning || i->IsVisibleNow())) List->Add(i);
}

void TdxBarManager::MoveItem(int CurIndex, int NewIndex) {
  if (CurIndex < 0 || CurIndex >= ItemCount() || NewIndex < 0 || NewIndex >= ItemCount()) return;
  TdxBarItem* i = FItems[size_t(CurIndex)];
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, i);
  DesignerModified();
}

void TdxBarManager::ExchangeItems(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= ItemCount() || Index2 < 0 || Index2 >= ItemCount()) return;
  std::swap(FItems[size_t(Index1)], FItems[size_t(Index2)]);
  DesignerModified();
}

void TdxBarManager::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (auto* i : FItems)
    if (i->Owner() == Root && i->Category() >= 0) Proc(i);
}

void TdxBarManager::AddItem(TdxBarItem* AItem) {
  if (std::find(FItems.begin(), FItems.end(), AItem) != FItems.end()) return;
  FItems.push_back(AItem);
  if (AItem->Category() >= 0 && IsCustomizing() && ComponentState() == TComponentState{csDesigning})
    RefreshCustomizingForm();
}

void TdxBarManager::RemoveItem(TdxBarItem* AItem) {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  if (it == FItems.end()) return;
  FItems.erase(it);
  if (FSelectedItem && FSelectedItem->Item() == AItem) FSelectedItem = nullptr;
  if (AItem->Category() >= 0 && FIsCustomizing && !IsDestroying()) RefreshCustomizingForm();
}

TdxBar* TdxBarManager::BarByName(const std::string& AName) const {
  for (int i = 0; i < FBars->Count(); ++i)
    if (FBars->Items(i)->Name() == AName) return FBars->Items(i);
  return nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Categories

TdxBarCategoryRecord* TdxBarManager::CategoryRecord(int Index, bool Create) const {
  if (Index < 0 || Index >= FCategories->Count()) return nullptr;
  auto* rec = dynamic_cast<TdxBarCategoryRecord*>(FCategories->Objects(Index));
  if (!rec && Create) {
    rec = new TdxBarCategoryRecord;
    FCategories->SetObjects(Index, rec);
  }
  return rec;
}

TdxBarItemVisible TdxBarManager::GetCategoryItemsVisible(int Index) const {
  auto* rec = CategoryRecord(Index, false);
  return rec ? TdxBarItemVisible(rec->ItemsVisible) : ivAlways;
}

bool TdxBarManager::GetCategoryVisible(int Index) const {
  auto* rec = CategoryRecord(Index, false);
  return rec ? rec->Visible : true;
}

void TdxBarManager::SetCategoryVisible(int Index, bool Value) {
  auto* rec = CategoryRecord(Index, true);
  if (!rec || rec->Visible == Value) return;
  rec->Visible = Value;
  DesignerModified();
}

namespace {
bool HasAvailableLinks(TdxBar* B) { return B->ItemLinks()->AvailableCount() > 0; }
}  // namespace

void TdxBarManager::SetCategoryItemsVisible(int Index, TdxBarItemVisible Value) {
  auto* rec = CategoryRecord(Index, true);
  if (!rec) return;
  if (IsLoading()) {
    rec->LoadedItemsVisible = uint8_t(Value);
    return;
  }
  auto old = TdxBarItemVisible(rec->ItemsVisible);
  rec->ItemsVisible = uint8_t(Value);
  std::vector<TdxBar*> emptyBefore;
  bool wasLocked = FLockUpdate;
  if (!FDesigning) {
    if (FAutoHideEmptyBars)
      for (int i = 0; i < FBars->Count(); ++i)
        if (!HasAvailableLinks(FBars->Items(i))) emptyBefore.push_back(FBars->Items(i));
    LockUpdate(true);
  }
  std::vector<TdxBarItem*> items = FItems;
  auto apply = [&](TdxBarItem* i) {
    if (i->Category() == Index && i->Visible() == old) i->SetVisible(Value);
  };
  if (Value == ivAlways)
    std::for_each(items.rbegin(), items.rend(), apply);
  else
    std::for_each(items.begin(), items.end(), apply);
  if (FDesigning) {
    if (old != Value) DesignerModified();
    return;
  }
  if (FAutoHideEmptyBars)
    for (int i = 0; i < FBars->Count(); ++i) {
      TdxBar* b = FBars->Items(i);
      bool noted = std::find(emptyBefore.begin(), emptyBefore.end(), b) != emptyBefore.end();
      if (Value == ivNever && !noted && !HasAvailableLinks(b) && b->Visible()) {
        b->SetVisible(false);
        b->SetAutoHidden(true);
      } else if (Value == ivAlways && b->AutoHidden() && HasAvailableLinks(b)) {
        b->SetVisible(true);
        b->SetAutoHidden(false);
      }
    }
  LockUpdate(wasLocked);
  if (old != Value) DesignerModified();
}

int TdxBarManager::VisibleCategoryToIndex(int N) const {
  if (FDesigning) return N;
  for (int i = 0; i < FCategories->Count(); ++i)
    if (GetCategoryVisible(i) && N-- == 0) return i;
  return -1;
}

// ---------------------------------------------------------------------------------------------------
// Docking, customizing, update lock

bool TdxBarManager::CanDocking(TdxBar* ABar, TdxBarDockingStyle AStyle) {
  if (FNotDocking.Contains(AStyle) || (ABar && ABar->NotDocking().Contains(AStyle))) return false;
  bool result = true;
  if (OnDocking) OnDocking(ABar, AStyle, result);
  return result;
}

void TdxBarManager::DoClickItem(TdxBarItem* AItem) {
  if (OnClickItem) OnClickItem(this, AItem);
}

void TdxBarManager::DoBarAfterReset(TdxBar* ABar) {
  if (OnBarAfterReset) OnBarAfterReset(this, ABar);
}
void TdxBarManager::DoBarBeforeReset(TdxBar* ABar) {
  if (OnBarBeforeReset) OnBarBeforeReset(this, ABar);
}
void TdxBarManager::DoBarClose(TdxBar* ABar) {
  if (OnBarClose) OnBarClose(this, ABar);
}
void TdxBarManager::DoCloseButtonClick() {
  if (OnCloseButtonClick) OnCloseButtonClick(this);
}
void TdxBarManager::DoHelpButtonClick() {
  if (OnHelpButtonClick) OnHelpButtonClick(this);
}
void TdxBarManager::DoShowCustomizingPopup(TdxBarItemLinks* ALinks) {
  if (OnShowCustomizingPopup) OnShowCustomizingPopup(this, ALinks);
}
void TdxBarManager::DoShowToolbarsPopup(TdxBarItemLinks* ALinks) {
  if (OnShowToolbarsPopup) OnShowToolbarsPopup(this, ALinks);
}

void TdxBarManager::SetCustomizing(bool Value) {
  if (FIsCustomizing == Value) return;
  if (Value && CustomizingFormExists()) return;
  std::vector<TCustomdxBarControl*> windows;
  for (int i = 0; i < FBars->Count(); ++i)
    if (auto* c = FBars->Items(i)->Control()) windows.push_back(c);
  for (auto* w : windows) {
    if (!IsBarControl(w)) continue;
    w->DeactivateChain();
    if (IsBarControl(w)) w->DestroyControls();
  }
  FIsCustomizing = Value;
  for (int i = 0; i < FBars->Count(); ++i) {
    TdxBarItemLinks* links = FBars->Items(i)->ItemLinks();
    links->RefreshLists();
    if (auto* c = links->BarControl()) c->CreateControls();
  }
  for (auto* item : FItems)
    if (auto* sub = dynamic_cast<TCustomdxBarSubItem*>(item)) sub->ItemLinks()->RefreshLists();
  for (auto* pm : FPopupMenus)
    if (pm->ItemLinks()) pm->ItemLinks()->RefreshLists();
  ShowCustomizingForm(Value);
  RebuildBarWindows();
}

void TdxBarManager::SetCustomizingSelection(TdxBarItemControl* AControl) {
  if (FSelectedItem == AControl) return;
  TdxBarItemControl* old = FSelectedItem;
  FSelectedItem = AControl;
  if (old && IsCustomizing()) {
    if (!AControl || old->Parent() != AControl->Parent()) old->CloseUp();
    if (!FDragging) old->Repaint();
  }
}

void TdxBarManager::LockUpdate(bool Value) {
  if (FLockUpdate == Value) return;
  FLockUpdate = Value;
  for (auto s : {dsLeft, dsTop, dsRight, dsBottom})
    if (auto* d = FBars->DockControls(s); d && d->HandleAllocated()) SendMessageA(d->Handle(), WM_SETREDRAW, !Value, 0);
  for (int i = 0; i < FBars->Count(); ++i) {
    TdxBar* b = FBars->Items(i);
    if (b->DockingStyle() != dsNone)
      b->LockBar(Value);
    else if (auto* c = b->Control(); c && c->HandleAllocated())
      SendMessageA(c->Handle(), WM_SETREDRAW, !Value, 0);
  }
  if (Value) return;
  for (auto s : {dsLeft, dsTop, dsRight, dsBottom})
    if (auto* d = FBars->DockControls(s)) {
      d->UpdateDock();
      d->Invalidate();
    }
  for (int i = 0; i < FBars->Count(); ++i) {
    TdxBar* b = FBars->Items(i);
    if (b->DockingStyle() == dsNone)
      if (auto* c = b->Control()) {
        c->RebuildBar();
        c->Invalidate();
      }
  }
}

void TdxBarManager::DesignerModified() {
  if (IsLoading() || IsDestroying()) return;
  FModified = true;
  // There is no form designer here to tell.
}

int TdxBarManager::BarBorderWidth(TdxBarDockingStyle AStyle) const {
  switch (AStyle) {
    case dsLeft:
    case dsRight: return 4;
    case dsTop:
    case dsBottom: return GripSize() + 4;
    default: return 2 * (dxBarFrameWidth() + 4);
  }
}

int TdxBarManager::BarBorderHeight(TdxBarDockingStyle AStyle) const {
  switch (AStyle) {
    case dsLeft:
    case dsRight: return GripSize() + 4;
    case dsTop:
    case dsBottom: return 4;
    default: return 2 * dxBarFrameHeight() + dxBarSmallCaptionHeight() + 3;
  }
}

void TdxBarManager::CloseActiveMenu() {
  auto* list = dxBarManagerList();
  for (int i = 0; i < list->Count(); ++i)
    if (auto* bar = list->Items(i)->MenuModeBar()) {
      bar->DeactivateChain();
      return;
    }
}

// ---------------------------------------------------------------------------------------------------
// Toolbars popup

void TdxBarManager::FillToolbarsPopup(TdxBarItemLinks* ALinks) {
  auto make = [&](const std::string& Caption, intptr_t Tag, bool Checked, bool Down) {
    auto* b = new TdxBarButton(FParentForm);
    dxBarAddPopupItem(b);
    b->SetCaption(Caption);
    b->SetTag(Tag);
    if (Checked) {
      b->SetButtonStyle(bsChecked);
      b->SetDown(Down);
    }
    b->OnClick = Bind(this, &TdxBarManager::ToolbarsPopupClick);
    TdxBarItemLink* l = ALinks->Add();
    l->SetItem(b);
    return l;
  };
  for (int i = 0; i < FBars->Count(); ++i) {
    TdxBar* bar = FBars->Items(i);
    if (bar->CanListInToolbarsPopup() && !bar->Hidden()) make(bar->Caption(), i, true, bar->Visible());
  }
  DoShowToolbarsPopup(ALinks);
  if (FCanCustomize) {
    TdxBarItemLink* l = make(dxBarResStr(dxSBAR_CUSTOMIZE), 1000, false, false);
    l->Item()->SetEnabled(!CustomizingFormExists());
    l->SetBeginGroup(true);
  }
}

void TdxBarManager::ToolbarsPopupClick(TObject* Sender) {
  auto* item = dynamic_cast<TdxBarItem*>(Sender);
  if (!item) return;
  if (item->Tag() == 1000) {
    SetCustomizing(true);
  } else if (item->Tag() >= 0 && item->Tag() < FBars->Count()) {
    TdxBar* bar = FBars->Items(int(item->Tag()));
    bar->SetVisible(!bar->Visible());
  }
}

// ---------------------------------------------------------------------------------------------------
// Streaming

void TdxBarManager::ReadDockControlHeights(TReader* Reader) {
  Reader->ReadListBegin();
  static const TdxBarDockingStyle Order[] = {dsLeft, dsRight, dsTop, dsBottom};
  for (int i = 0; !Reader->EndOfList(); ++i) {
    int v = Reader->ReadInteger();
    if (i < 4)
      if (auto* d = FBars->DockControls(Order[i])) d->SetSiteSize(v);
  }
  Reader->ReadListEnd();
}

void TdxBarManager::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineProperty("DockControlHeights", [this](TReader* r) { ReadDockControlHeights(r); }, nullptr, true);
}

namespace {
// Restores the manager's update lock however the block ends.
struct TLockScope {
  TdxBarManager* M;
  bool Old;
  explicit TLockScope(TdxBarManager* m) : M(m), Old(m->IsUpdateLocked()) { M->LockUpdate(true); }
  ~TLockScope() { M->LockUpdate(Old); }
};

}  // namespace

void TdxBarManager::Loaded() {
  TComponent::Loaded();
  if (FLockUpdate) return;
  {
    FBars->SetLoading(true);
    // However the block ends, the dock sites lay out again: left loading, they would keep every row.
    TScopeExit loading([this] { FBars->SetLoading(false); });
    std::vector<TdxBarItem*> items = FItems;
    for (auto* i : items) {
      if (auto* sub = dynamic_cast<TCustomdxBarSubItem*>(i)) sub->ItemLinks()->Loaded(true);
      i->SetVisible(i->Visible());
    }
    for (int i = 0; i < FBars->Count(); ++i) FBars->Items(i)->ApplyLoaded();
    if (!FDesigning && !CreatingDesignCopy()) {
      if (FStoreInRegistry) LoadFromRegistry(FRegistryPath);
      if (FStoreInIniFile) LoadFromIniFile(FIniFileName);
    }
  }
  std::vector<std::pair<int, TdxBarItemVisible>> held;
  for (int i = 0; i < FCategories->Count(); ++i)
    if (auto* rec = CategoryRecord(i, false)) held.emplace_back(i, TdxBarItemVisible(rec->LoadedItemsVisible));
  if (!held.empty()) {
    // Under one lock: each category would otherwise lay out every bar again once its items are applied.
    TLockScope lock(this);
    for (auto& [index, visible] : held) SetCategoryItemsVisible(index, visible);
  }
  if (FDockUpdate)
    for (auto s : {dsLeft, dsTop, dsRight, dsBottom})
      if (auto* d = FBars->DockControls(s)) d->UpdateDock();
}

void TdxBarManager::SetName(const std::string& NewName) {
  std::string old = Name();
  TComponent::SetName(NewName);
  if (!FDesigning || SameText(old, NewName) || old.empty() || !Owner()) return;
  for (int i = 0; i < Owner()->ComponentCount(); ++i) {
    auto* item = dynamic_cast<TdxBarItem*>(Owner()->Components(i));
    if (!item || item->Name().size() <= old.size()) continue;
    if (SameText(item->Name().substr(0, old.size()), old)) item->SetName(NewName + item->Name().substr(old.size()));
  }
}

// ---------------------------------------------------------------------------------------------------
// Usage data and the design copy

namespace {
struct TCursorScope {
  TCursor Old;
  TCursorScope() : Old(Screen ? Screen->Cursor() : crDefault) {
    if (Screen) Screen->SetCursor(crHourGlass);
  }
  ~TCursorScope() {
    if (Screen) Screen->SetCursor(Old);
  }
};

}  // namespace

// The text of a stored form cut down to the manager: the first line, up to two size lines, and the
// manager's block without its event lines.
std::string dxBarDesignCopyText(const std::string& FormText, const std::string& ManagerName,
                                const std::string& ManagerClass) {
  std::vector<std::string> lines;
  std::istringstream in(FormText);
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  if (lines.empty()) return std::string();
  std::string out = "object TempForm: TdxBarTempForm\n";
  int sizes = 0;
  for (size_t i = 1; i < lines.size() && sizes < 2; ++i) {
    std::string rest = lines[i].size() > 2 ? lines[i].substr(2) : std::string();
    for (const char* key : {"Width =", "Height =", "ClientWidth =", "ClientHeight ="})
      if (rest.compare(0, strlen(key), key) == 0) {
        out += "  " + rest + "\n";
        ++sizes;
        break;
      }
  }
  std::string head = "object " + ManagerName + ": " + ManagerClass;
  size_t start = lines.size();
  for (size_t i = 0; i < lines.size(); ++i)
    if (SameText(Trim(lines[i]), head)) {
      start = i;
      break;
    }
  if (start == lines.size()) return std::string();
  std::string indent = lines[start].substr(0, lines[start].size() - TrimLeft(lines[start]).size());
  for (size_t i = start; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    std::string t = TrimLeft(l);
    // Only event lines ("OnClick = ...") go: a property that merely begins with "On" (OneOnRow) stays.
    bool eventLine = t.size() > 2 && t[0] == 'O' && t[1] == 'n' && isupper(uint8_t(t[2])) &&
                     t.find('=') != std::string::npos && t.find('=') > 2;
    if (i > start && eventLine) continue;
    out += l + "\n";
    if (i > start && l == indent + "end") break;
  }
  out += "end\n";
  return out;
}

namespace {
int DesignCopyDepth = 0;

class TdxBarTempForm : public TForm {
  YOZ_CLASS(TdxBarTempForm, TForm)
public:
  explicit TdxBarTempForm(TComponent* AOwner) : TForm(AOwner) {}
};
}  // namespace

TCustomForm* TdxBarManager::CreateDesignCopy() {
  if (!FParentForm) return nullptr;
  std::string resName = FParentForm->ClassName();
  if (!ComponentResExists(resName)) return nullptr;
  TCursorScope cursor;
  std::string text;
  {
    TResourceStream res(nullptr, resName, RT_RCDATA);
    text.assign(static_cast<const char*>(res.Memory()), size_t(res.Size()));
  }
  std::string copy = dxBarDesignCopyText(text, Name(), ClassName());
  if (copy.empty()) return nullptr;
  TCustomForm* form = CreateNewForm<TdxBarTempForm>(nullptr);
  RegisterClass(ClassType());
  // The copy's manager is read while the flag is up, so its Loaded reads no stored layout.
  struct TFlag {
    TFlag() { ++DesignCopyDepth; }
    ~TFlag() { --DesignCopyDepth; }
  } flag;
  {
    TFailScope unread([form] { TObject::Free(form); });
    ReadComponentFromText(copy, form);
  }
  UnregisterGlobalRoot(form);
  if (auto* m = GetBarManagerByForm(form)) {
    m->SetStoreInIniFile(false);
    m->SetStoreInRegistry(false);
  }
  return form;
}

bool TdxBarManager::CreatingDesignCopy() { return DesignCopyDepth > 0; }

bool TdxBarManager::ResetUsageData() {
  int answer = Application->MessageBox(dxBarResStr(dxSBAR_WANTTORESETUSAGEDATA), Application->Title(),
                                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
  if (answer != IDYES) return false;
  TLockScope lock(this);
  std::unique_ptr<TCustomForm, void (*)(TCustomForm*)> copy(CreateDesignCopy(),
                                                             [](TCustomForm* f) { TObject::Free(f); });
  TdxBarManager* other = copy ? dynamic_cast<TdxBarManager*>(copy->FindComponent(Name())) : nullptr;
  // Without a stored form (or with a manager renamed since) there is nothing to go back to.
  if (!other) return false;
  for (auto* item : FItems) {
    auto* sub = dynamic_cast<TCustomdxBarSubItem*>(item);
    auto* theirs = sub ? dynamic_cast<TCustomdxBarSubItem*>(other->GetItemByName(sub->Name())) : nullptr;
    if (theirs) sub->ItemLinks()->AssignUsageData(theirs->ItemLinks());
  }
  for (int i = 0; i < FBars->Count() && i < other->Bars()->Count(); ++i)
    FBars->Items(i)->ItemLinks()->AssignUsageData(other->Bars()->Items(i)->ItemLinks());
  return true;
}
