// Status bar and its panels.
#pragma once

#include <string>

#include "ClassesCollections.h"
#include "ComCtrlsCommon.h"
#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"   // TAlignment

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel : public TCollectionItem {
  YOZ_CLASS(TStatusPanel, TCollectionItem)
public:
  explicit TStatusPanel(TCollection* Collection);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel Value);
  TStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TStatusPanelStyle Value);
  void Assign(TPersistent* Source) override;
  static void Publish(TPublisher<TStatusPanel>& p);

private:
  std::string FText;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  TStatusPanelBevel FBevel = pbLowered;
  TStatusPanelStyle FStyle = psText;
};

class TStatusBar;

class TStatusPanels : public TCollection {
  YOZ_CLASS(TStatusPanels, TCollection)
public:
  explicit TStatusPanels(TStatusBar* StatusBar);
  // nullptr for an item still being made (the collection tells of it before its fields exist).
  TStatusPanel* Items(int Index) const { return dynamic_cast<TStatusPanel*>(TCollection::Items(Index)); }
  TStatusPanel* operator[](int Index) const { return Items(Index); }
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TPersistent* GetOwner() override;

protected:
  void Update(TCollectionItem* Item) override;

private:
  TStatusBar* FStatusBar;
};

using TDrawPanelEvent = TEvent<TStatusBar*, TStatusPanel*, RECT>;

class TStatusBar : public TWinControl {
  YOZ_CLASS(TStatusBar, TWinControl)
public:
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;

  TStatusPanels* Panels() const { return FPanels; }
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool Value);
  const std::string& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const std::string& Value);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool Value);
  TCanvas* Canvas() const { return FCanvas; }

  TDrawPanelEvent OnDrawPanel;

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  static void Publish(TPublisher<TStatusBar>& p);

  // Puts the panels (parts, texts) into the window.
  void UpdatePanels();
  void UpdatePanel(int Index);

private:
  TStatusPanels* FPanels;
  bool FSimplePanel = false;
  std::string FSimpleText;
  bool FSizeGrip = true;
  TCanvas* FCanvas;
};
