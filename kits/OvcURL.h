// A label that shows a link, turns to a highlight colour while the mouse is over it and opens its
// address with the shell when clicked. Leaving the label is noticed by polling the cursor every 100 ms
// while the label is hot.
#pragma once

#include <windows.h>

#include <string>

#include "Classes.h"
#include "Controls.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "StdCtrls.h"

// How the label opens an address (ShellExecuteA; tests put a recorder here).
using TOvcShellExecute = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
extern TOvcShellExecute OvcShellExecute;

// The longest address the shell is given; a longer one is refused rather than cut into another.
constexpr size_t OvcMaxURL = 1023;

class TOvcURL : public TCustomLabel {
  YOZ_CLASS(TOvcURL, TCustomLabel)
public:
  explicit TOvcURL(TComponent* AOwner);
  ~TOvcURL() override;

  std::string About() const { return "v3.07"; }
  void SetAbout(const std::string&) {}
  // The text shown; the address itself shows while it is empty.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TColor HighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor Value);
  const std::string& URL() const { return FURL; }
  void SetURL(const std::string& Value);
  bool UseVisitedColor() const { return FUseVisitedColor; }
  void SetUseVisitedColor(bool Value) { FUseVisitedColor = Value; }
  TColor VisitedColor() const { return FVisitedColor; }
  void SetVisitedColor(TColor Value);
  // The mouse is over the label (the highlight shows and the hover timer runs).
  bool Hot() const { return FHoverTimer != nullptr; }

  void Loaded() override;
  void Click() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;

  static void Publish(TPublisher<TOvcURL>& p);

private:
  static constexpr TColor NotCaptured = 0x2000000;
  void HoverTimer(TObject* Sender);
  void ShowText();

  std::string FCaption;
  TColor FHighlightColor = clRed;
  std::string FURL;
  bool FUseVisitedColor = false;
  TColor FVisitedColor = clBlack;
  TTimer* FHoverTimer = nullptr;
  TColor FRestingColor = NotCaptured;
};

// Registers the link label with the class registry.
void OvcURLInitialize();
