// Page control and tab sheets.
#pragma once

#include <string>

#include "ComCtrlsCommon.h"
#include "Controls.h"
#include "ImgList.h"

class TTabSheet : public TWinControl {
  YOZ_CLASS(TTabSheet, TWinControl)
public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* Value);
  int PageIndex() const;
  void SetPageIndex(int Value);
  // Index among the visible tabs, -1 when the tab is hidden.
  int TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);

  void SetParentComponent(TComponent* Value) override;
  TComponent* GetParentComponent() override;
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TTabSheet>& p);

private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  int FImageIndex = -1;
  HBRUSH FBrush = nullptr;
  TColor FBrushColor = clNone;
};

using TTabChangingEvent = TEvent<TObject*, bool&>;

class TPageControl : public TWinControl {
  YOZ_CLASS(TPageControl, TWinControl)
public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  int PageCount() const { return int(FPages.size()); }
  TTabSheet* Pages(int Index) const { return FPages.at(size_t(Index)); }
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Value);
  void SetActivePageIndex(int Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void AdjustClientRect(RECT& Rect) override;
  void AlignControls(TControl* AControl, RECT& Rect) override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void Loaded() override;

  static void Publish(TPublisher<TPageControl>& p);

protected:
  virtual bool CanChange();
  virtual void Change();

private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void UpdateTabs();
  void ShowActive();
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  TCustomImageList* FImages = nullptr;
};
