#pragma once
// Helpers shared by the command bars' test programs, on top of the shared ones (pumping, owned forms):
// the forms library and the bars started for the whole program, a bare form with a manager, a shown
// form with docked bars of buttons, real key and mouse input, a drag driven by posted mouse messages,
// pixels and screenshots, and an item control that counts the change notices it gets.
#include <functional>
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
// and released, and a left click at a screen point (OneByOne: the queue is processed after the move
// and after the press, so the window under it sees each before the next comes). Input sent is in the
// queue when these return; its effects are not: wait for them.
void SendKeys(std::initializer_list<std::pair<WORD, bool>> Keys);
inline void Press(WORD K) { SendKeys({{K, false}, {K, true}}); }
void Click(POINT Screen, bool OneByOne = false);
// One pointer event at a screen point: a move, with a press or release when Flags asks for it
// (MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP).
void SendMouse(POINT Screen, DWORD Flags = 0);
// A real right click at a screen point, the queue processed after the press and after the release.
void RightClickAt(POINT Screen);
// A real drag with the left button from one screen point to another: the press, then moves and the
// release from another thread (a drag loop started by the first moves holds this one), messages
// processed meanwhile and after.
void DragPointer(POINT From, POINT To);

// The middle of a rectangle; a point moved by Dx, Dy.
inline POINT Middle(const RECT& R) { return POINT{(R.left + R.right) / 2, (R.top + R.bottom) / 2}; }
inline POINT Offset(POINT P, int Dx, int Dy) { return POINT{P.x + Dx, P.y + Dy}; }
// A window's rectangle on the screen.
RECT WindowRect(TWinControl* W);
// The middle of a link's rectangle on its bar window, in screen coordinates.
POINT Center(TdxBarItemLink* L);
// The links' captions, "<no item>" for a link without an item.
std::vector<std::string> Captions(TdxBarItemLinks* Links);

// A real click (Click) in the middle of L's row of the bar window W; returns when the click and what it
// left for later are done (WaitDeferred).
void ClickLink(TCustomdxBarControl* W, TdxBarItemLink* L);
// The first shown row of W showing Caption, or null; ClickRow clicks it (false when there is none).
TdxBarItemLink* FindRow(TCustomdxBarControl* W, const std::string& Caption);
bool ClickRow(TCustomdxBarControl* W, const std::string& Caption);

// What the user does while a loop of the bars holds the mouse (a drag, a held button): posted in order
// to the application's window, where those loops read their input.
void PostMove(POINT Screen, UINT Msg = WM_MOUSEMOVE);
inline void PostUp(POINT Screen) { PostMove(Screen, WM_LBUTTONUP); }
void PostKey(WPARAM Key, bool Down);
// Runs F from inside the loop when the loop reaches it; F must outlive the loop.
void PostProbe(std::function<void()>& F);
// The cursor is put at At, Steps(At) posts what the user does next, then the left button is pressed on
// W at Down (screen), followed by a move to At when it differs from Down (which starts a drag).
// Returns when the loop the press started has ended; a watchdog fails the program after 10 s.
void PressAndDrag(TWinControl* W, POINT Down, POINT At, const std::function<void(POINT At)>& Steps);

// Waits until W and every shown window inside it have painted what they were asked to (no WM_PAINT
// pending), after processing what is queued; WaitShown also until W is visible. False when that did
// not happen within the limit.
bool WaitPainted(TWinControl* W);
bool WaitShown(TWinControl* W);

// Makes W's top-level window the foreground window and waits until it is; WaitFocus until W has the
// focus (asked again while it has not: another window may take the foreground meanwhile).
bool WaitForeground(TWinControl* W);
bool WaitFocus(TWinControl* W);
// What the bars leave for a moment later (closed windows freed, docking toggled, a bar closed: timers
// of no delay) has been done.
inline void WaitDeferred() { WaitTimers(0); }

// The colour at a client point of a shown window, as it is on the screen.
COLORREF PixelAt(TWinControl* W, POINT Client);
// How many pixels of a client rectangle of a shown window have the colour C on the screen.
int PixelsOf(TWinControl* W, RECT Client, COLORREF C);
// A real click held at a screen point: the pointer is clipped there (other test programs share the
// display), pressed and released with messages processed in between.
void HeldClick(THoldPointer& Hold, POINT Screen);
// With YOZ_SHOTS set (a folder), W's window (ExtraBelow pixels taller), or the whole screen without
// one, is saved there as <Name>.bmp for a person to look at.
void Shot(const std::string& Name, TWinControl* W = nullptr, int ExtraBelow = 0);

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

// Bound to events: keeps the names of the senders of notify events and runs F, when set, after each call.
struct TClickProbe {
  std::function<void()> F;
  std::vector<std::string> Names;
  void Click(TObject* Sender) {
    if (auto* c = dynamic_cast<TComponent*>(Sender)) Names.push_back(c->Name());
    if (F) F();
  }
  void Bar(TdxBarManager*, TdxBar*) {
    if (F) F();
  }
};

// A hidden bare form holding one manager.
struct TManagerForm {
  FormPtr Form;
  TdxBarManager* Manager;
  TManagerForm();
};

// A shown (unless Show is false) form with a manager; AddBar adds bars of buttons captioned Name0,
// Name1... docked on Side at Row and Left, the buttons of Groups beginning a group.
struct TBarsForm : TManagerForm {
  explicit TBarsForm(bool Show = true, RECT Bounds = RECT{100, 100, 600, 420});
  TdxBar* AddBar(const std::string& Name, int Buttons, TdxBarDockingStyle Side = dsTop, int Row = 0, int Left = 0,
                 const std::vector<int>& Groups = {});
  TdxBarItemLink* AddButton(TdxBarItemLinks* Links, const std::string& Caption);
  TdxDockControl* Site(TdxBarDockingStyle S) const { return Manager->Bars()->DockControls(S); }
};

// N buttons owned by Owner, named B0, B1..., captioned Caption(i), linked into Links, their clicks
// reported to Clicks when given.
std::vector<TdxBarButton*> AddButtons(TComponent* Owner, TdxBarItemLinks* Links, int N,
                                      const std::function<std::string(int)>& Caption, TClickProbe* Clicks = nullptr);
// Opens Sub's menu window with its top-left corner at P (screen), its opener OpenerW x OpenerH.
TdxBarSubMenuControl* OpenMenu(TdxBarSubItem* Sub, POINT P, int OpenerW = 0, int OpenerH = 0);

// A bar window of Bar's links on Parent at Bounds, made by hand (no dock site, no layout of its own):
// the links' controls side by side from First, Gap pixels apart.
TCustomdxBarControl* ShowBarWindow(TdxBar* Bar, TWinControl* Parent, RECT Bounds, POINT First, int Gap);

class TdxBarCustomizingForm;
// Turns M's customizing on and gives the customizing dialog it opened (null when it opened none);
// Hide: the dialog is hidden, for tests of the bars alone.
TdxBarCustomizingForm* OpenCustomizing(TdxBarManager* M, bool Hide = false);

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
