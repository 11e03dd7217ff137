// Controls on real windows: creation messages, message routing, reflection, windowless children,
// layout, painting, focus, popup menus, utility windows and timers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "TestSupport.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TFormsEnvironment);

struct ExceptionLog {
  std::vector<std::string> Messages;
  void Handler(TObject* Sender, Exception* E) { Messages.push_back(E->Message); }
};

// A form with a white client area, shown on top at a place other test programs (sharing the
// display) leave alone, so screen pixels and the mouse position are ours.
TForm* NewTestForm(int W = 300, int H = 200) {
  auto* f = new TForm(nullptr);
  f->SetBorderStyle(bsNone);
  f->SetColor(clWhite);
  f->SetFormStyle(fsStayOnTop);
  f->SetBounds(880, 700, W, H);
  return f;
}

// Records the messages its window gets, from the very first.
class TRecorder : public TCustomControl {
  YOZ_CLASS(TRecorder, TCustomControl)
public:
  explicit TRecorder(TComponent* AOwner) : TCustomControl(AOwner) {}
  std::vector<UINT> Seen;
  HWND HandleAtCreate = nullptr;
  void Dispatch(TMessage& Message) override {
    Seen.push_back(Message.Msg);
    if (Message.Msg == WM_CREATE) HandleAtCreate = WindowHandle();
    TCustomControl::Dispatch(Message);
  }
};

// A windowless control that fills itself with one colour and logs its mouse input.
class TSwatch : public TGraphicControl {
  YOZ_CLASS(TSwatch, TGraphicControl)
public:
  explicit TSwatch(TComponent* AOwner) : TGraphicControl(AOwner) {}
  TColor Fill = clRed;
  std::vector<std::string> Log;
  void MouseDown(TMouseButton B, TShiftState S, int X, int Y) override {
    Log.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
    TGraphicControl::MouseDown(B, S, X, Y);
  }
  void MouseMove(TShiftState S, int X, int Y) override { Log.push_back("move " + std::to_string(X) + "," + std::to_string(Y)); }
  void MouseUp(TMouseButton B, TShiftState S, int X, int Y) override {
    Log.push_back("up " + std::to_string(X) + "," + std::to_string(Y));
  }
  void Click() override {
    Log.push_back("click");
    TGraphicControl::Click();
  }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_MOUSEENTER) Log.push_back("enter");
    if (Message.Msg == CM_MOUSELEAVE) Log.push_back("leave");
    TGraphicControl::Dispatch(Message);
  }

protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Fill);
    Canvas()->Brush()->SetStyle(bsSolid);
    RECT r = ClientRect();
    Canvas()->FillRect(r);
  }
};

// A windowed container.
class TBox : public TCustomControl {
  YOZ_CLASS(TBox, TCustomControl)
public:
  explicit TBox(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
  int Enters = 0, Exits = 0;
  std::vector<TControl*> Heard;  // children whose mouse enter/leave reached this container
  void Dispatch(TMessage& Message) override {
    if ((Message.Msg == CM_MOUSEENTER || Message.Msg == CM_MOUSELEAVE) && Message.LParam)
      Heard.push_back(reinterpret_cast<TControl*>(Message.LParam));
    TCustomControl::Dispatch(Message);
  }
  void DoEnter() override {
    ++Enters;
    TCustomControl::DoEnter();
  }
  void DoExit() override {
    ++Exits;
    TCustomControl::DoExit();
  }
};

// A control over the system's button class.
class TSysButton : public TWinControl {
  YOZ_CLASS(TSysButton, TWinControl)
public:
  explicit TSysButton(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle(ControlStyle() - TControlStyle{csClickEvents});
    SetBounds(0, 0, 75, 25);
  }
  int Commands = 0;
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "BUTTON");
    Params.Style |= BS_PUSHBUTTON;
  }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == BN_CLICKED) {
      ++Commands;
      Click();
      return;
    }
    TWinControl::Dispatch(Message);
  }
};

COLORREF Probe(HDC dc, int x, int y) { return GetPixel(dc, x, y) & 0xFFFFFF; }

// A 32-bit memory bitmap to paint into.
struct MemoryCanvas {
  HDC DC;
  HBITMAP Bitmap, Old;
  MemoryCanvas(int W, int H) {
    HDC screen = GetDC(nullptr);
    DC = CreateCompatibleDC(screen);
    Bitmap = CreateCompatibleBitmap(screen, W, H);
    ReleaseDC(nullptr, screen);
    Old = HBITMAP(SelectObject(DC, Bitmap));
    RECT r{0, 0, W, H};
    FillRect(DC, &r, HBRUSH(GetStockObject(BLACK_BRUSH)));
  }
  ~MemoryCanvas() {
    SelectObject(DC, Old);
    DeleteObject(Bitmap);
    DeleteDC(DC);
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------

TEST(ControlsWindow, MessagesSentInsideCreateWindowReachTheObject) {
  FormPtr form(NewTestForm());
  auto* rec = new TRecorder(form.get());
  rec->SetParent(form.get());
  rec->SetBounds(10, 10, 50, 50);
  form->HandleNeeded();
  ASSERT_TRUE(rec->HandleAllocated());
  auto has = [&](UINT m) { return std::find(rec->Seen.begin(), rec->Seen.end(), m) != rec->Seen.end(); };
  EXPECT_TRUE(has(WM_NCCREATE));
  EXPECT_TRUE(has(WM_NCCALCSIZE));
  EXPECT_TRUE(has(WM_CREATE));
  EXPECT_EQ(rec->HandleAtCreate, rec->WindowHandle());
  EXPECT_EQ(FindControl(rec->WindowHandle()), rec);
  // The window was made at the control's bounds inside the form's client area.
  RECT r;
  GetWindowRect(rec->WindowHandle(), &r);
  MapWindowPoints(nullptr, form->WindowHandle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right - r.left, 50);
}

TEST(ControlsWindow, SuperclassOfASystemClassKeepsItsBehaviourAndGetsReflectedCommands) {
  FormPtr form(NewTestForm());
  auto* b = new TSysButton(form.get());
  b->SetParent(form.get());
  b->SetText("Push");
  int clicks = 0;
  struct H {
    int* n;
    void Click(TObject*) { ++*n; }
  } h{&clicks};
  b->OnClick = Bind(&h, &H::Click);
  form->HandleNeeded();
  char cls[64] = {};
  GetClassNameA(b->WindowHandle(), cls, sizeof cls);
  EXPECT_STREQ(cls, "TSysButton");
  EXPECT_EQ(b->GetText(), "Push");
  // The system button answers like a push button and reports its click to the parent, which
  // reflects it back as CN_COMMAND.
  EXPECT_TRUE(SendMessageA(b->WindowHandle(), WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON);
  SendMessageA(b->WindowHandle(), BM_CLICK, 0, 0);
  EXPECT_EQ(b->Commands, 1);
  EXPECT_EQ(clicks, 1);
}

TEST(ControlsWindow, NotificationsAreReflectedToTheSender) {
  FormPtr form(NewTestForm());
  struct TNotified : TCustomControl {
    explicit TNotified(TComponent* o) : TCustomControl(o) {}
    std::vector<UINT> Got;
    void Dispatch(TMessage& m) override {
      if (m.Msg >= CN_BASE && m.Msg < CN_BASE + 0x400) {
        Got.push_back(m.Msg);
        m.Result = 42;
        return;
      }
      TCustomControl::Dispatch(m);
    }
  };
  auto* c = new TNotified(form.get());
  c->SetParent(form.get());
  form->HandleNeeded();
  NMHDR hdr{c->WindowHandle(), 7, UINT(-2)};
  EXPECT_EQ(SendMessageA(form->WindowHandle(), WM_NOTIFY, 7, LPARAM(&hdr)), 42);
  MEASUREITEMSTRUCT mis{ODT_LISTBOX, c->ControlID(), 0, 0, 0, 0};
  EXPECT_EQ(SendMessageA(form->WindowHandle(), WM_MEASUREITEM, c->ControlID(), LPARAM(&mis)), 42);
  SendMessageA(form->WindowHandle(), WM_CTLCOLOREDIT, WPARAM(GetDC(nullptr)), LPARAM(c->WindowHandle()));
  ASSERT_EQ(c->Got.size(), 3u);
  EXPECT_EQ(c->Got[0], CN_NOTIFY);
  EXPECT_EQ(c->Got[1], CN_MEASUREITEM);
  EXPECT_EQ(c->Got[2], CN_CTLCOLOREDIT);
  // A command from a window that is no control (a menu) is not reflected.
  EXPECT_EQ(SendMessageA(form->WindowHandle(), WM_COMMAND, 5, 0), 0);
  EXPECT_EQ(c->Got.size(), 3u);
}

TEST(ControlsWindow, AControlMayFreeItselfInItsOwnClick) {
  FormPtr form(NewTestForm());
  auto* box = new TBox(form.get());
  box->SetParent(form.get());
  box->SetBounds(0, 0, 100, 100);
  struct H {
    TBox* Box;
    bool Ran = false;
    void Click(TObject*) {
      Ran = true;
      TObject::Free(Box);
    }
  } h{box};
  box->OnClick = Bind(&h, &H::Click);
  form->HandleNeeded();
  HWND w = box->WindowHandle();
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(h.Ran);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(form->ControlCount(), 0);
  EXPECT_EQ(form->ComponentCount(), 0);
  // A windowless one, reached through its parent's window, and holding the capture.
  auto* s = new TSwatch(form.get());
  s->SetParent(form.get());
  s->SetBounds(0, 0, 50, 50);
  struct G {
    TSwatch* S;
    void Click(TObject*) { TObject::Free(S); }
  } gs{s};
  s->OnClick = Bind(&gs, &G::Click);
  SendMessageA(form->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCaptureControl(), s);
  SendMessageA(form->WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(form->ControlCount(), 0);
  EXPECT_NE(GetCaptureControl(), static_cast<TControl*>(s));
  SendMessageA(form->WindowHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));  // nothing left to route to
}

TEST(ControlsWindow, AWindowedControlNeedsAParentWindow) {
  auto* box = new TBox(nullptr);
  try {
    box->HandleNeeded();
    ADD_FAILURE() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_NE(std::string(e.Message).find("has no parent window"), std::string::npos);
  }
  EXPECT_FALSE(box->HandleAllocated());
  // A window outside the class library will do as parent.
  FormPtr form(NewTestForm());
  box->SetParentWindow(form->Handle());
  box->HandleNeeded();
  EXPECT_EQ(GetParent(box->WindowHandle()), form->WindowHandle());
  TObject::Free(box);
}

TEST(ControlsWindow, AnExceptionInAHandlerGoesToOnExceptionAndTheLoopGoesOn) {
  FormPtr form(NewTestForm());
  auto* box = new TBox(form.get());
  box->SetParent(form.get());
  box->SetBounds(0, 0, 100, 100);
  struct H {
    int Clicks = 0;
    void Click(TObject*) {
      ++Clicks;
      throw EConvertError("bad value");
    }
  } h;
  box->OnClick = Bind(&h, &H::Click);
  ExceptionLog log;
  Application->OnException = Bind(&log, &ExceptionLog::Handler);
  form->HandleNeeded();
  HWND w = box->WindowHandle();
  for (int i = 0; i < 2; ++i) {
    PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  }
  PumpUntil([&] { return h.Clicks == 2; });
  Application->OnException = nullptr;
  EXPECT_EQ(h.Clicks, 2);
  ASSERT_EQ(log.Messages.size(), 2u);
  EXPECT_EQ(log.Messages[0], "bad value");
  // A silent abort shows nothing.
  struct A {
    void Click(TObject*) { Abort(); }
  } a;
  box->OnClick = Bind(&a, &A::Click);
  Application->OnException = Bind(&log, &ExceptionLog::Handler);
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Application->OnException = nullptr;
  EXPECT_EQ(log.Messages.size(), 2u);
}

// ---------------------------------------------------------------------------------------------------

TEST(ControlsWindowless, MouseInputAtItsRectangleIsRoutedToIt) {
  FormPtr form(NewTestForm());
  auto* s = new TSwatch(form.get());
  s->SetParent(form.get());
  s->SetBounds(20, 30, 40, 20);
  form->HandleNeeded();
  HWND w = form->WindowHandle();
  SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));  // outside: not routed
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 35));
  ASSERT_EQ(s->Log.size(), 1u);
  EXPECT_EQ(s->Log[0], "down 5,5");
  // While it holds the capture, moves outside its rectangle still come to it.
  EXPECT_EQ(GetCaptureControl(), s);
  EXPECT_EQ(GetCapture(), w);
  SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 150));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(30, 40));
  ASSERT_EQ(s->Log.size(), 4u);
  EXPECT_EQ(s->Log[1], "move 130,120");
  EXPECT_EQ(s->Log[2], "click");
  EXPECT_EQ(s->Log[3], "up 10,10");
  EXPECT_EQ(GetCapture(), nullptr);
  // Released outside its rectangle: no click.
  s->Log.clear();
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 35));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(200, 150));
  ASSERT_EQ(s->Log.size(), 2u);
  EXPECT_EQ(s->Log[1], "up 180,120");
  // While the parent window itself holds the capture, its children get nothing.
  s->Log.clear();
  SetCaptureControl(form.get());
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 35));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(25, 35));
  EXPECT_TRUE(s->Log.empty());
  SetCaptureControl(nullptr);
  // Hidden and disabled controls get nothing.
  s->Log.clear();
  s->SetEnabled(false);
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 35));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(25, 35));
  EXPECT_TRUE(s->Log.empty());
}

TEST(ControlsWindowless, ItIsPaintedByItsParent) {
  FormPtr form(NewTestForm(120, 80));
  auto* s = new TSwatch(form.get());
  s->SetParent(form.get());
  s->SetBounds(20, 10, 30, 25);
  auto* back = new TSwatch(form.get());  // below s in z-order: s covers it where they overlap
  back->Fill = clBlue;
  back->SetParent(form.get());
  back->SetBounds(40, 10, 30, 25);
  back->SendToBack();
  MemoryCanvas mem(120, 80);
  form->PaintTo(mem.DC, 0, 0);
  EXPECT_EQ(Probe(mem.DC, 5, 5), RGB(255, 255, 255));    // the form's colour
  EXPECT_EQ(Probe(mem.DC, 20, 10), RGB(255, 0, 0));      // s's corner
  EXPECT_EQ(Probe(mem.DC, 49, 34), RGB(255, 0, 0));      // s's last pixel
  EXPECT_EQ(Probe(mem.DC, 50, 20), RGB(0, 0, 255));      // only the blue one there
  EXPECT_EQ(Probe(mem.DC, 45, 20), RGB(255, 0, 0));      // overlap: the top one wins
  EXPECT_EQ(Probe(mem.DC, 50, 35), RGB(255, 255, 255));  // below both
  // An invisible one is not painted.
  s->SetVisible(false);
  form->PaintTo(mem.DC, 0, 0);
  EXPECT_EQ(Probe(mem.DC, 25, 15), RGB(255, 255, 255));
}

TEST(ControlsWindowless, NoneAsColourLeavesTheBackgroundAlone) {
  FormPtr form(NewTestForm(120, 80));
  auto* box = new TBox(form.get());
  box->SetParent(form.get());
  box->SetBounds(10, 10, 50, 50);
  box->SetColor(clNone);
  MemoryCanvas mem(120, 80);  // black
  box->PaintTo(mem.DC, 0, 0);
  EXPECT_EQ(Probe(mem.DC, 20, 20), RGB(0, 0, 0));
  box->SetColor(clYellow);
  box->PaintTo(mem.DC, 0, 0);
  EXPECT_EQ(Probe(mem.DC, 20, 20), RGB(255, 255, 0));
}

TEST(ControlsWindowless, OnTheScreenAfterShowing) {
  FormPtr form(NewTestForm(120, 80));
  auto* s = new TSwatch(form.get());
  s->SetParent(form.get());
  s->SetBounds(20, 10, 30, 25);
  form->Show();
  form->Update();
  PumpUntilPainted(form->WindowHandle());
  HDC dc = GetDC(form->WindowHandle());
  EXPECT_EQ(Probe(dc, 25, 15), RGB(255, 0, 0));
  EXPECT_EQ(Probe(dc, 70, 60), RGB(255, 255, 255));
  ReleaseDC(form->WindowHandle(), dc);
  // A new colour shows after Repaint.
  s->Fill = clLime;
  s->Repaint();
  PumpUntilPainted(form->WindowHandle());
  dc = GetDC(form->WindowHandle());
  EXPECT_EQ(Probe(dc, 25, 15), RGB(0, 255, 0));
  ReleaseDC(form->WindowHandle(), dc);
}

// ---------------------------------------------------------------------------------------------------

TEST(ControlsLayout, AlignedChildrenFillTheParentAfterResizing) {
  FormPtr form(NewTestForm(300, 200));
  auto make = [&](TAlign a, int w, int h) {
    auto* b = new TBox(form.get());
    b->SetBounds(0, 0, w, h);
    b->SetAlign(a);
    b->SetParent(form.get());
    return b;
  };
  TBox* top = make(alTop, 10, 20);
  TBox* bottom = make(alBottom, 10, 30);
  TBox* left = make(alLeft, 40, 10);
  TBox* right = make(alRight, 50, 10);
  TBox* client = make(alClient, 10, 10);
  auto bounds = [](TControl* c) {
    RECT r = c->BoundsRect();
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
  };
  EXPECT_EQ(bounds(top), "0,0,300,20");
  EXPECT_EQ(bounds(bottom), "0,170,300,200");
  EXPECT_EQ(bounds(left), "0,20,40,170");
  EXPECT_EQ(bounds(right), "250,20,300,170");
  EXPECT_EQ(bounds(client), "40,20,250,170");
  // With a window, resizing the form lays the children out again.
  form->Show();
  form->SetBounds(800, 600, 400, 300);
  EXPECT_EQ(bounds(top), "0,0,400,20");
  EXPECT_EQ(bounds(bottom), "0,270,400,300");
  EXPECT_EQ(bounds(client), "40,20,350,270");
  // Hiding one gives its room to the others; a second top child stacks below the first.
  left->SetVisible(false);
  EXPECT_EQ(bounds(client), "0,20,350,270");
  TBox* top2 = make(alTop, 10, 15);
  top2->SetTop(100);
  EXPECT_EQ(bounds(top2), "0,20,400,35");
  EXPECT_EQ(bounds(client), "0,35,350,270");
  // The child windows really are there.
  RECT r;
  GetWindowRect(client->WindowHandle(), &r);
  EXPECT_EQ(r.right - r.left, 350);
  // BorderWidth insets the layout.
  form->SetBorderWidth(5);
  EXPECT_EQ(bounds(top), "5,5,395,25");
}

// A container that draws a frame of its own in the non-client area.
class TFramedBox : public TBox {
  YOZ_CLASS(TFramedBox, TBox)
public:
  using TBox::TBox;
  int Inset = 6;
  void CreateParams(TCreateParams& Params) override {
    TBox::CreateParams(Params);
    Params.Style |= WS_BORDER;
  }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_NCCALCSIZE) {
      DefaultHandler(Message);
      RECT* r = MessageAs<TWMNCCalcSize>(Message).Rect();
      r->left += Inset;
      r->top += Inset * 2;
      r->right -= Inset;
      r->bottom -= Inset;
      Message.Result = 0;
      return;
    }
    TBox::Dispatch(Message);
  }
};

TEST(ControlsLayout, ACustomNonClientFrameCountsBeforeAndAfterTheWindowExists) {
  FormPtr form(NewTestForm(300, 200));
  auto* box = new TFramedBox(form.get());
  box->SetBounds(10, 10, 120, 100);
  box->SetParent(form.get());
  auto* child = new TBox(form.get());
  child->SetAlign(alClient);
  child->SetParent(box);
  // No window yet: the border (1 on each side) and the custom inset both come off.
  ASSERT_FALSE(box->HandleAllocated());
  RECT c = box->ClientRect();
  EXPECT_EQ(c.right, 120 - 2 - 12);
  EXPECT_EQ(c.bottom, 100 - 2 - 18);
  EXPECT_EQ(child->Width(), 120 - 2 - 12);
  EXPECT_EQ(child->Height(), 100 - 2 - 18);
  // The window agrees.
  form->Show();
  ASSERT_TRUE(box->HandleAllocated());
  RECT w;
  ::GetClientRect(box->WindowHandle(), &w);
  EXPECT_EQ(w.right, c.right);
  EXPECT_EQ(w.bottom, c.bottom);
  EXPECT_EQ(child->Width(), c.right);
  EXPECT_EQ(child->Height(), c.bottom);
  // A plain container still loses only its standard frame.
  auto* plain = new TBox(form.get());
  plain->SetBounds(0, 0, 50, 40);
  EXPECT_EQ(plain->ClientWidth(), 50);
  EXPECT_EQ(plain->ClientHeight(), 40);
}

TEST(ControlsLayout, AnchorsAndConstraints) {
  FormPtr form(NewTestForm(300, 200));
  auto* br = new TBox(form.get());
  br->SetParent(form.get());
  br->SetBounds(250, 150, 40, 40);
  br->SetAnchors(TAnchors{akRight, akBottom});
  auto* stretch = new TBox(form.get());
  stretch->SetParent(form.get());
  stretch->SetBounds(10, 10, 100, 20);
  stretch->SetAnchors(TAnchors{akLeft, akTop, akRight});
  form->Show();
  form->SetBounds(880, 700, 350, 260);
  EXPECT_EQ(br->Left(), 300);
  EXPECT_EQ(br->Top(), 210);
  EXPECT_EQ(stretch->Left(), 10);
  EXPECT_EQ(stretch->Width(), 150);
  // A container without a window yet moves its anchored children too.
  auto* panel = new TBox(form.get());
  panel->SetBounds(0, 0, 100, 100);
  auto* corner = new TBox(form.get());
  corner->SetBounds(80, 80, 10, 10);
  corner->SetAnchors(TAnchors{akRight, akBottom});
  corner->SetParent(panel);
  panel->SetBounds(0, 0, 150, 120);
  EXPECT_EQ(corner->Left(), 130);
  EXPECT_EQ(corner->Top(), 100);
  // Size limits hold for every way of setting the size.
  auto* c = new TBox(form.get());
  c->SetParent(form.get());
  c->Constraints()->SetMinWidth(30);
  c->Constraints()->SetMaxHeight(50);
  c->SetBounds(0, 0, 10, 100);
  EXPECT_EQ(c->Width(), 30);
  EXPECT_EQ(c->Height(), 50);
  c->SetAlign(alLeft);
  EXPECT_EQ(c->Height(), 50);
}

// ---------------------------------------------------------------------------------------------------

TEST(ControlsState, ParentFontAndColourReachChildren) {
  FormPtr form(NewTestForm());
  form->Font()->SetName("Arial");
  form->Font()->SetSize(14);
  auto* box = new TBox(form.get());
  box->SetParent(form.get());
  auto* s = new TSwatch(form.get());
  s->SetParent(box);
  EXPECT_EQ(box->Font()->Name(), "Arial");
  EXPECT_EQ(s->Font()->Size(), 14);
  EXPECT_EQ(box->Color(), clWhite);
  form->Font()->SetSize(10);
  EXPECT_EQ(s->Font()->Size(), 10);
  EXPECT_TRUE(s->ParentFont());
  // A child's own font stops following.
  s->Font()->SetSize(20);
  EXPECT_FALSE(s->ParentFont());
  form->Font()->SetSize(9);
  EXPECT_EQ(s->Font()->Size(), 20);
  box->SetColor(clYellow);
  EXPECT_FALSE(box->ParentColor());
  EXPECT_EQ(s->Color(), clYellow);
  form->SetColor(clRed);
  EXPECT_EQ(box->Color(), clYellow);
  // Hints: the parent's ShowHint while ParentShowHint.
  form->SetShowHint(true);
  EXPECT_TRUE(s->ShowHint());
  s->SetShowHint(false);
  EXPECT_FALSE(s->ShowHint());
  EXPECT_EQ(GetShortHint("Open|Opens a file"), "Open");
  EXPECT_EQ(GetLongHint("Open|Opens a file"), "Opens a file");
  EXPECT_EQ(GetLongHint("Open"), "Open");
}

TEST(ControlsState, TextLivesInTheWindowAndSurvivesRecreation) {
  FormPtr form(NewTestForm());
  auto* b = new TSysButton(form.get());
  b->SetParent(form.get());
  b->SetName("btnGo");
  EXPECT_EQ(b->GetText(), "btnGo");  // a new control's caption follows its name
  b->SetText("Go");
  form->HandleNeeded();
  SetWindowTextA(b->WindowHandle(), "Changed");
  EXPECT_EQ(b->Caption(), "Changed");
  HWND old = b->WindowHandle();
  b->RecreateWnd();
  EXPECT_NE(b->WindowHandle(), old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(b->Caption(), "Changed");
  b->SetName("btnStop");
  EXPECT_EQ(b->Caption(), "Changed");
}

TEST(ControlsState, FocusMovesWithEnterAndExit) {
  FormPtr form(NewTestForm());
  auto* a = new TBox(form.get());
  a->SetParent(form.get());
  a->SetTabStop(true);
  auto* b = new TBox(form.get());
  b->SetParent(form.get());
  b->SetTabStop(true);
  b->SetLeft(100);
  form->Show();
  PumpUntilPainted(form->WindowHandle());
  a->SetFocus();
  PumpUntil([&] { return a->Focused() && a->Enters > 0; });
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(form->ActiveControl(), a);
  EXPECT_EQ(a->Enters, 1);
  b->SetFocus();
  PumpUntil([&] { return b->Focused() && b->Enters > 0 && a->Exits > 0; });
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(a->Exits, 1);
  EXPECT_EQ(b->Enters, 1);
  // Tab order: SelectNext wraps around.
  EXPECT_EQ(a->TabOrder(), 0);
  EXPECT_EQ(b->TabOrder(), 1);
  form->SelectNext(b, true, true);
  PumpUntil([&] { return a->Focused(); });
  EXPECT_TRUE(a->Focused());
  b->SetTabOrder(0);
  EXPECT_EQ(a->TabOrder(), 1);
  // Freeing the focused control leaves no dangling active control.
  TObject::Free(a);
  EXPECT_EQ(form->ActiveControl(), nullptr);
}

TEST(ControlsState, ContextMenuOpensThePopupMenu) {
  FormPtr form(NewTestForm());
  struct TFakePopup : TComponent, IControlPopupMenu {
    explicit TFakePopup(TComponent* o) : TComponent(o) {}
    bool Auto = true;
    TControl* For = nullptr;
    POINT At{};
    bool PopupAutoPopup() const override { return Auto; }
    void PopupForControl(TControl* c, int x, int y) override {
      For = c;
      At = POINT{x, y};
    }
  };
  auto* pm = new TFakePopup(form.get());
  auto* box = new TBox(form.get());
  box->SetParent(form.get());
  box->SetBounds(10, 10, 100, 100);
  box->SetPopupMenu(pm);
  auto* s = new TSwatch(form.get());
  s->SetParent(form.get());
  s->SetBounds(150, 10, 30, 30);
  s->SetPopupMenu(pm);
  form->Show();
  PumpUntilPainted(form->WindowHandle());
  SendMessageA(box->WindowHandle(), WM_CONTEXTMENU, WPARAM(box->WindowHandle()), MAKELPARAM(300, 310));
  EXPECT_EQ(pm->For, box);
  EXPECT_EQ(pm->At.x, 300);
  // From the keyboard: at the control's top-left corner.
  SendMessageA(box->WindowHandle(), WM_CONTEXTMENU, WPARAM(box->WindowHandle()), MAKELPARAM(-1, -1));
  POINT origin = box->ClientToScreen(POINT{0, 0});
  EXPECT_EQ(pm->At.x, origin.x);
  EXPECT_EQ(pm->At.y, origin.y);
  // The context-menu key of the focused control.
  pm->For = nullptr;
  box->SetFocus();
  PumpUntilFocused(box->WindowHandle());
  PostMessageA(box->WindowHandle(), WM_KEYDOWN, VK_APPS, 1);
  PostMessageA(box->WindowHandle(), WM_KEYUP, VK_APPS, 0xC0000001);
  PumpUntil([&] { return pm->For == box; });
  EXPECT_EQ(pm->For, box);
  EXPECT_EQ(pm->At.x, origin.x);
  // A windowless control's menu through its parent's window.
  POINT sp = s->ClientToScreen(POINT{5, 5});
  SendMessageA(form->WindowHandle(), WM_CONTEXTMENU, WPARAM(form->WindowHandle()), MAKELPARAM(sp.x, sp.y));
  EXPECT_EQ(pm->For, s);
  // The menu freed: the controls forget it.
  TObject::Free(pm);
  EXPECT_EQ(box->PopupMenuComponent(), nullptr);
}

TEST(ControlsState, MouseEnterAndLeaveFollowTheCursor) {
  FormPtr form(NewTestForm());
  auto* box = new TBox(form.get());
  box->SetParent(form.get());
  box->SetBounds(0, 0, 100, 100);
  auto* s = new TSwatch(form.get());
  s->SetParent(box);
  s->SetBounds(20, 20, 40, 40);
  form->Show();
  PumpUntilPainted(form->WindowHandle());
  POINT in = s->ClientToScreen(POINT{10, 10});
  POINT out = form->ClientToScreen(POINT{150, 150});
  auto seen = [&](const char* e) { return std::find(s->Log.begin(), s->Log.end(), e) != s->Log.end(); };
  // The cursor is set again while waiting: other programs on the display may move it.
  PumpUntil([&] { SetCursorPos(in.x, in.y); return seen("enter"); });
  PumpUntil([&] { SetCursorPos(out.x, out.y); return seen("leave"); });
  std::vector<std::string> events;
  for (auto& e : s->Log)
    if (e == "enter" || e == "leave") events.push_back(e);
  std::string all;
  for (auto& e : s->Log) all += e + ";";
  ASSERT_GE(events.size(), 2u) << all;
  EXPECT_EQ(events[0], "enter");
  EXPECT_EQ(events[1], "leave");
  // The container heard of both, naming the child.
  EXPECT_GE(std::count(box->Heard.begin(), box->Heard.end(), s), 2);
}

TEST(ControlsState, CursorFollowsTheScreenAndTheControlUnderTheMouse) {
  FormPtr form(NewTestForm());
  auto* s = new TSwatch(form.get());
  s->SetParent(form.get());
  s->SetBounds(20, 20, 40, 40);
  s->SetCursor(crHandPoint);
  form->Show();
  PumpUntilPainted(form->WindowHandle());
  HWND w = form->WindowHandle();
  auto setCursor = [&] { return SendMessageA(w, WM_SETCURSOR, WPARAM(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)); };
  POINT in = s->ClientToScreen(POINT{5, 5});
  auto at = [](POINT p) {
    POINT now;
    GetCursorPos(&now);
    return now.x == p.x && now.y == p.y;
  };
  // Under load the display may hand back an older pointer position a while after the move, and other
  // programs on the display move the pointer too: ask only while the pointer is seen resting there
  // both before and after the question.
  LRESULT answer = 0;
  HCURSOR shown = nullptr;
  bool rested = PumpUntil([&] {
    SetCursorPos(in.x, in.y);
    // A short rest, so the position read below comes from the display, not from the move just made.
    Pump(20);
    if (!at(in)) return false;
    answer = setCursor();
    shown = GetCursor();
    return at(in);
  });
  ASSERT_TRUE(rested);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(shown, Screen->Cursors(crHandPoint));
  // The screen's cursor wins everywhere.
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(setCursor(), 1);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHourGlass));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(s->Cursor(), crHandPoint);
}

// Records the wheel; handles it only when told to.
class TWheelBox : public TBox {
  YOZ_CLASS(TWheelBox, TBox)
public:
  using TBox::TBox;
  bool Handle = false;
  std::vector<std::string> Log;
  bool DoMouseWheelDown(TShiftState Shift, POINT P) override {
    Log.push_back(std::string("down") + (Shift.Contains(ssCtrl) ? "+ctrl" : "") + "@" + std::to_string(P.x) + "," +
                  std::to_string(P.y));
    return Handle;
  }
  bool DoMouseWheelUp(TShiftState Shift, POINT P) override {
    Log.push_back(std::string("up") + (Shift.Contains(ssCtrl) ? "+ctrl" : ""));
    return Handle;
  }
};

TEST(ControlsState, TheWheelReachesTheControlAndWhatItLeavesGoesToItsParent) {
  FormPtr form(NewTestForm());
  auto* outer = new TWheelBox(form.get());
  outer->SetBounds(0, 0, 150, 150);
  outer->SetParent(form.get());
  auto* inner = new TWheelBox(form.get());
  inner->SetBounds(10, 10, 50, 50);
  inner->SetParent(outer);
  form->Show();
  HWND w = inner->WindowHandle();
  auto wheel = [&](int Delta, WPARAM Keys) {
    SendMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(Keys, WORD(short(Delta))), MAKELPARAM(300, 200));
  };
  inner->Handle = true;
  wheel(-WHEEL_DELTA, MK_CONTROL);
  wheel(WHEEL_DELTA, 0);
  ASSERT_EQ(inner->Log.size(), 2u);
  EXPECT_EQ(inner->Log[0], "down+ctrl@300,200");
  EXPECT_EQ(inner->Log[1], "up");
  EXPECT_TRUE(outer->Log.empty());
  // Not handled: the window's default passes it to the parent.
  inner->Handle = false;
  wheel(-WHEEL_DELTA, 0);
  EXPECT_EQ(inner->Log.size(), 3u);
  ASSERT_EQ(outer->Log.size(), 1u);
  EXPECT_EQ(outer->Log[0], "down@300,200");
}

TEST(ControlsState, ACanvasMeasuresBeforeAnyWindowExists) {
  FormPtr form(NewTestForm());
  auto* s = new TSwatch(form.get());
  s->SetParent(form.get());
  EXPECT_GT(s->Canvas()->TextWidth("Measure me"), 20);
  EXPECT_FALSE(form->HandleAllocated());
  auto* box = new TBox(form.get());
  box->SetParent(form.get());
  EXPECT_GT(box->Canvas()->TextHeight("Xy"), 5);
  EXPECT_FALSE(box->HandleAllocated());
}

// ---------------------------------------------------------------------------------------------------

TEST(ControlsUtility, TimersTickAndMayBeFreedOrStoppedInTheirOwnEvent) {
  struct H {
    TTimer* T = nullptr;
    int Ticks = 0;
    bool FreeIt = false;
    void Tick(TObject* Sender) {
      ++Ticks;
      if (FreeIt) {
        TObject::Free(T);
        T = nullptr;
      } else if (Ticks == 3) {
        static_cast<TTimer*>(Sender)->SetEnabled(false);
      }
    }
  };
  H stop;
  stop.T = new TTimer(nullptr);
  stop.T->SetInterval(10);
  stop.T->SetOnTimer(Bind(&stop, &H::Tick));
  PumpUntil([&] { return !stop.T->Enabled(); });
  // A stopped timer stays stopped: nothing to wait for, so a few of its intervals pass.
  Pump(50);
  EXPECT_EQ(stop.Ticks, 3);
  EXPECT_FALSE(stop.T->Enabled());
  TObject::Free(stop.T);

  H gone;
  gone.FreeIt = true;
  gone.T = new TTimer(nullptr);
  gone.T->SetInterval(10);
  gone.T->SetOnTimer(Bind(&gone, &H::Tick));
  PumpUntil([&] { return gone.T == nullptr; });
  // A freed timer fires no more: a few of its intervals pass.
  Pump(50);
  EXPECT_EQ(gone.Ticks, 1);
  EXPECT_EQ(gone.T, nullptr);

  // Without a handler or with interval 0 nothing runs.
  H idle;
  auto* t = new TTimer(nullptr);
  t->SetInterval(0);
  t->SetOnTimer(Bind(&idle, &H::Tick));
  // Nothing runs: nothing to wait for, so several intervals of a running timer pass.
  Pump(50);
  EXPECT_EQ(idle.Ticks, 0);
  TObject::Free(t);
}

TEST(ControlsUtility, AnExceptionInATimerGoesToTheApplication) {
  struct H {
    int Ticks = 0;
    void Tick(TObject* Sender) {
      if (++Ticks == 1) throw Exception("timer failed");
    }
  } h;
  ExceptionLog log;
  Application->OnException = Bind(&log, &ExceptionLog::Handler);
  auto* t = new TTimer(nullptr);
  t->SetInterval(10);
  t->SetOnTimer(Bind(&h, &H::Tick));
  PumpUntil([&] { return h.Ticks >= 2; });
  TObject::Free(t);
  Application->OnException = nullptr;
  EXPECT_GE(h.Ticks, 2);
  ASSERT_EQ(log.Messages.size(), 1u);
  EXPECT_EQ(log.Messages[0], "timer failed");
}

TEST(ControlsUtility, AllocatedWindowsCallTheirMethod) {
  struct H {
    HWND Wnd = nullptr;
    std::vector<UINT> Got;
    void Proc(TMessage& m) {
      if (m.Msg == WM_USER + 5) {
        Got.push_back(m.Msg);
        m.Result = 99;
        return;
      }
      m.Result = DefWindowProcA(Wnd, m.Msg, m.WParam, m.LParam);
    }
  } h;
  h.Wnd = AllocateHWnd(Bind(&h, &H::Proc));
  ASSERT_NE(h.Wnd, nullptr);
  EXPECT_EQ(SendMessageA(h.Wnd, WM_USER + 5, 0, 0), 99);
  EXPECT_FALSE(IsWindowVisible(h.Wnd));
  EXPECT_EQ(GetParent(h.Wnd), nullptr);
  DeallocateHWnd(h.Wnd);
  EXPECT_FALSE(IsWindow(h.Wnd));
  EXPECT_EQ(h.Got.size(), 1u);
}
