#pragma once
// Helpers shared by the command bars' test programs, on top of the shared ones (pumping, owned forms):
// the forms library and the bars started for the whole program, a bare form with a manager, real key
// and mouse input, and an item control that counts the change notices it gets.
#include <initializer_list>
#include <map>
#include <string>
#include <vector>
#include <utility>

#include "TestSupport.h"
#include "dxBar.h"

class TBarsEnvironment : public ::testing::Environment {
public:
  void SetUp() override;
  void TearDown() override;
};

// Real input, as a user gives it: key presses and releases in order (true: released), one key pressed
// and released, and a left click at a screen point.
void SendKeys(std::initializer_list<std::pair<WORD, bool>> Keys);
inline void Press(WORD K) { SendKeys({{K, false}, {K, true}}); }
void Click(POINT Screen);

// A memory bitmap filled with one colour, to paint controls into and probe its pixels.
struct TProbe {
  HDC DC;
  HBITMAP Bmp;
  HGDIOBJ Old;
  TProbe(int W, int H, COLORREF Fill = RGB(255, 255, 255)) {
    HDC screen = GetDC(nullptr);
    DC = CreateCompatibleDC(screen);
    Bmp = CreateCompatibleBitmap(screen, W, H);
    ReleaseDC(nullptr, screen);
    Old = SelectObject(DC, Bmp);
    HBRUSH b = CreateSolidBrush(Fill);
    RECT r{0, 0, W, H};
    FillRect(DC, &r, b);
    DeleteObject(b);
  }
  TProbe(const TProbe&) = delete;
  TProbe& operator=(const TProbe&) = delete;
  ~TProbe() {
    SelectObject(DC, Old);
    DeleteObject(Bmp);
    DeleteDC(DC);
  }
  COLORREF At(int X, int Y) const { return GetPixel(DC, X, Y) & 0xFFFFFF; }
};

// The form of BarsTestForm.form: its handlers log what ran ("exit", "lunch", "meeting", "item NAME").
class TBarsTestForm : public TForm {
  YOZ_CLASS(TBarsTestForm, TForm)
public:
  explicit TBarsTestForm(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<std::string> Log;
  void actFileExitExecute(TObject*) { Log.push_back("exit"); }
  void actAtLunchExecute(TObject*) { Log.push_back("lunch"); }
  void btnInMeetingClick(TObject*) { Log.push_back("meeting"); }
  void dxBarManagerMainClickItem(TdxBarManager*, TdxBarItem* Item) { Log.push_back("item " + Item->Name()); }
  TdxBarManager* Manager() const { return dynamic_cast<TdxBarManager*>(FindComponent("dxBarManagerMain")); }
  template <class T>
  T* Get(const char* Name) const {
    return dynamic_cast<T*>(FindComponent(Name));
  }
  static void Publish(TPublisher<TBarsTestForm>& p) {
    p.Method("actFileExitExecute", &TBarsTestForm::actFileExitExecute);
    p.Method("actAtLunchExecute", &TBarsTestForm::actAtLunchExecute);
    p.Method("btnInMeetingClick", &TBarsTestForm::btnInMeetingClick);
    p.Method("dxBarManagerMainClickItem", &TBarsTestForm::dxBarManagerMainClickItem);
  }
};

using TestFormPtr = Owned<TBarsTestForm>;

// A new form read from BarsTestForm.form, not shown.
inline TestFormPtr MakeBarsTestForm() {
  RegisterClass(TBarsTestForm::StaticClass());
  return TestFormPtr(NewForm<TBarsTestForm>(nullptr));
}

// A hidden bare form holding one manager.
struct TManagerForm {
  FormPtr Form;
  TdxBarManager* Manager;
  TManagerForm();
};

// Counts every notice by name ("Caption", "Enabled", "Down"...), per control; registered for the
// library's item classes while a test holds a TCountingControls.
class TCountingControl : public TdxBarItemControl {
  YOZ_CLASS(TCountingControl, TdxBarItemControl)
public:
  explicit TCountingControl(TdxBarItemLink* ALink);
  ~TCountingControl() override;
  static std::map<std::string, int> Counts;
  static int Live;
  void BeginGroupChanged() override { ++Counts["BeginGroup"]; }
  void CaptionChanged() override { ++Counts["Caption"]; }
  void EnabledChanged() override { ++Counts["Enabled"]; }
  void GlyphChanged() override { ++Counts["Glyph"]; }
  void ShortCutChanged() override { ++Counts["ShortCut"]; }
  void VisibleChanged() override { ++Counts["Visible"]; }
  void Repaint() override { ++Counts["Repaint"]; }
  void DownChanged() override { ++Counts["Down"]; }
  void ButtonStyleChanged() override { ++Counts["ButtonStyle"]; }
  void PaintStyleChanged() override { ++Counts["PaintStyle"]; }
  void WidthChanged() override { ++Counts["Width"]; }
  void CloseUp() override {
    ++Counts["CloseUp"];
    TdxBarItemControl::CloseUp();
  }
};

struct TCountingControls {
  TCountingControls();
  ~TCountingControls();
};
