// Panels, bevels, images and the notebook (pages that show one at a time).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
extern const TEnumInfo BevelCutNames;

class TCustomPanel : public TCustomControl {
  YOZ_CLASS(TCustomPanel, TCustomControl)
public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Repaint the whole panel on a resize (otherwise only what the size change uncovers).
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool Value) { FFullRepaint = Value; }
  // While locked, the panel is not re-laid out by a docking parent.
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }

  void CreateParams(TCreateParams& Params) override;
  void AdjustClientRect(RECT& Rect) override;
  void Dispatch(TMessage& Message) override;

  static void Publish(TPublisher<TCustomPanel>& p);

protected:
  void Paint() override;

  TAlignment FAlignment = taCenter;
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  TBorderStyle FBorderStyle = bsNone;
  bool FFullRepaint = true;
  bool FLocked = false;
};

class TPanel : public TCustomPanel {
  YOZ_CLASS(TPanel, TCustomPanel)
public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
  YOZ_CLASS(TBevel, TGraphicControl)
public:
  explicit TBevel(TComponent* AOwner);
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value);
  static void Publish(TPublisher<TBevel>& p);

protected:
  void Paint() override;

private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

class TImage : public TGraphicControl {
  YOZ_CLASS(TImage, TGraphicControl)
public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  TPicture* Picture() const { return FPicture; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  void SetAutoSize(bool Value) override;
  // The rectangle the picture is drawn into.
  RECT DestRect();
  static void Publish(TPublisher<TImage>& p);

protected:
  void Paint() override;

private:
  void PictureChanged(TObject* Sender);
  TPicture* FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FTransparent = false;
  bool FProportional = false;
};

class TNotebook;

// One page of a notebook: a plain container shown while it is the active page.
class TPage : public TCustomControl {
  YOZ_CLASS(TPage, TCustomControl)
public:
  explicit TPage(TComponent* AOwner);
  ~TPage() override;
  TNotebook* Notebook() const { return FNotebook; }
  void SetParentComponent(TComponent* Value) override;
  TComponent* GetParentComponent() override;

protected:
  void Paint() override;

private:
  friend class TNotebook;
  TNotebook* FNotebook = nullptr;
};

class TNotebook : public TCustomControl {
  YOZ_CLASS(TNotebook, TCustomControl)
public:
  explicit TNotebook(TComponent* AOwner);
  ~TNotebook() override;

  int PageCount() const { return int(FPages.size()); }
  TPage* Pages(int Index) const { return FPages.at(size_t(Index)); }
  int PageIndex() const { return FPageIndex; }
  void SetPageIndex(int Value);
  std::string ActivePage() const;
  void SetActivePage(const std::string& Value);

  TNotifyEvent OnPageChanged;

  void AlignControls(TControl* AControl, RECT& Rect) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void Loaded() override;

  static void Publish(TPublisher<TNotebook>& p);

private:
  friend class TPage;
  void InsertPage(TPage* Page);
  void RemovePage(TPage* Page);
  void ShowActive();
  std::vector<TPage*> FPages;
  int FPageIndex = 0;
};

void RegisterExtCtrlsPanelsClasses();
