#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Forms.h"
#include "KitsTestSupport.h"
#include "OvcClrCb.h"
#include "OvcCmbx.h"
#include "OvcExcpt.h"

namespace {

struct Events {
  int Changes = 0, Clicks = 0, Selections = 0, Enters = 0, Exits = 0;
  std::vector<int> Wheel;
  void Change(TObject*) { ++Changes; }
  void Click(TObject*) { ++Clicks; }
  void Selection(TObject*) { ++Selections; }
  void Enter(TObject*) { ++Enters; }
  void Exit(TObject*) { ++Exits; }
  void MouseWheel(TObject*, TShiftState, uint16_t Delta, uint16_t, uint16_t) { Wheel.push_back(int16_t(Delta)); }
};

// A drop-down combo with an edit part, for typing.
class TTestCombo : public TOvcBaseComboBox {
public:
  explicit TTestCombo(TComponent* AOwner) : TOvcBaseComboBox(AOwner) {}
};

class OvcComboTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    InitForms();
    OvcBaseInitialize();
    OvcClrCbInitialize();
  }
  static void TearDownTestSuite() { OvcBaseFinalize(); }
  void SetUp() override {
    Form = new TForm(Application);
    Form->SetBounds(100, 100, 320, 200);
    Controller = new TOvcController(Form);
    Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(10, 150, 100, 21);
  }
  void TearDown() override { TObject::Free(Form); }
  TTestCombo* MakeCombo() {
    auto* c = new TTestCombo(Form);
    c->SetParent(Form);
    c->SetBounds(10, 10, 200, 21);
    for (const char* s : {"Apple", "Banana", "Blueberry", "Cherry", "Damson"}) c->Items()->Add(s);
    c->OnChange = Bind(&Ev, &Events::Change);
    c->OnClick = Bind(&Ev, &Events::Click);
    c->OnSelectionChange = Bind(&Ev, &Events::Selection);
    return c;
  }
  TOvcColorComboBox* MakeColors() {
    auto* c = new TOvcColorComboBox(Form);
    c->SetParent(Form);
    c->SetBounds(10, 60, 150, 21);
    c->OnChange = Bind(&Ev, &Events::Change);
    return c;
  }
  void ShowAndFocus(TWinControl* c) {
    Form->Show();
    SetForegroundWindow(Form->Handle());
    c->SetFocus();
    PumpUntilPainted(Form->Handle());
    PumpUntilFocusIn(c);
  }
  // Closes the dropped list on item Index, as a click in the list does.
  void PickFromList(TCustomComboBox* c, int Index) {
    c->SetDroppedDown(true);
    PumpUntilDroppedDown(c->Handle());
    SendMessageA(c->Handle(), CB_SETCURSEL, WPARAM(Index), 0);
    c->SetDroppedDown(false);
    PumpQueued();
  }
  std::vector<std::string> ItemTexts(TCustomComboBox* c, int Count) {
    std::vector<std::string> r;
    for (int i = 0; i < Count && i < c->Items()->Count(); ++i) r.push_back(c->Items()->Strings(i));
    return r;
  }
  TForm* Form = nullptr;
  TOvcController* Controller = nullptr;
  TEdit* Other = nullptr;
  Events Ev;
};

TEST_F(OvcComboTest, NeedsAControllerOnItsForm) {
  TObject::Free(Controller);
  auto* c = new TTestCombo(Form);
  c->SetParent(Form);
  EXPECT_THROW(c->HandleNeeded(), ENoControllerAssigned);
  EXPECT_THROW(c->Loaded(), ENoControllerAssigned);
  EXPECT_THROW(c->AttachedLabel(), EOvcException);
  // A controller put on the form later is found when the window is made.
  auto* later = new TOvcController(Form);
  c->HandleNeeded();
  EXPECT_TRUE(c->HandleAllocated());
  EXPECT_EQ(c->Controller(), later);
}

TEST_F(OvcComboTest, TypingSearchesAfterTheKeyDelay) {
  TTestCombo* c = MakeCombo();
  ShowAndFocus(c);
  ASSERT_NE(c->EditHandle(), nullptr);
  PostTyping(c->EditHandle(), "bl");
  PumpQueued();
  EXPECT_EQ(c->ItemIndex(), -1);        // still waiting for more keys
  EXPECT_GE(c->SearchTrigger(), 0);
  ASSERT_TRUE(PumpUntil([&] { return c->ItemIndex() == 2; }));
  EXPECT_EQ(c->Text(), "Blueberry");
  // The completed part stays selected, so the next key replaces it.
  DWORD from = 0, to = 0;
  SendMessageA(c->Handle(), CB_GETEDITSEL, WPARAM(&from), LPARAM(&to));
  EXPECT_EQ(from, 2u);
  EXPECT_EQ(to, 9u);
  EXPECT_EQ(Ev.Selections, 1);
  EXPECT_EQ(Ev.Clicks, 0);   // only Enter clicks
  // The fired trigger is forgotten: the next key cannot remove another user's trigger.
  EXPECT_EQ(c->SearchTrigger(), -1);
  struct Sink {
    void T(TObject*, int32_t, uint32_t, int32_t) {}
  } sink;
  int32_t stranger = Controller->TimerPool()->Add(Bind(&sink, &Sink::T), 5000);
  PostTyping(c->EditHandle(), "c");
  PumpQueued();
  EXPECT_EQ(Controller->TimerPool()->Count(), 2);   // the stranger and the new search
  Controller->TimerPool()->Remove(stranger);
}

TEST_F(OvcComboTest, EnterCompletesAndClicks) {
  TTestCombo* c = MakeCombo();
  c->SetAutoSearch(false);
  ShowAndFocus(c);
  PostTyping(c->EditHandle(), "ch");
  PumpQueued();   // the characters come from the keys, behind anything already posted
  PostKey(c->EditHandle(), VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return c->ItemIndex() >= 0; }));
  EXPECT_EQ(c->Text(), "Cherry");
  EXPECT_EQ(Ev.Clicks, 1);
  EXPECT_EQ(Ev.Selections, 1);
  // Nothing to complete: no selection.
  c->SetText("zzz");
  PostKey(c->EditHandle(), VK_RETURN);
  PumpQueued();
  EXPECT_EQ(Ev.Selections, 1);
}

TEST_F(OvcComboTest, RecentlyUsedEntriesComeFirstNewestOnTop) {
  TTestCombo* c = MakeCombo();
  ShowAndFocus(c);
  struct Step {
    const char* Pick;
    std::vector<std::string> Top;
  };
  const Step steps[] = {
      {"Cherry", {"Cherry"}},
      {"Apple", {"Apple", "Cherry"}},
      {"Cherry", {"Cherry", "Apple"}},
      {"Damson", {"Damson", "Cherry", "Apple"}},
      {"Banana", {"Banana", "Damson", "Cherry"}},   // at most three
  };
  for (const Step& s : steps) {
    // Pick the real item below the recently used part.
    int index = c->MRUCount();
    while (c->Items()->Strings(index) != s.Pick) ++index;
    PickFromList(c, index);
    EXPECT_EQ(c->MRUCount(), int(s.Top.size())) << s.Pick;
    EXPECT_EQ(ItemTexts(c, c->MRUCount()), s.Top) << s.Pick;
    EXPECT_EQ(c->Items()->Count(), 5 + c->MRUCount());
    EXPECT_EQ(c->Text(), s.Pick);
    EXPECT_GE(c->ItemIndex(), c->MRUCount());   // the selection is the real item
  }
  // A lower limit at run time: the whole old part goes, the newest stays on top.
  c->SetMRUListCount(1);
  EXPECT_EQ(ItemTexts(c, 9), (std::vector<std::string>{"Banana", "Apple", "Banana", "Blueberry", "Cherry", "Damson"}));
  PickFromList(c, 1);
  EXPECT_EQ(ItemTexts(c, 9), (std::vector<std::string>{"Apple", "Apple", "Banana", "Blueberry", "Cherry", "Damson"}));
}

// The combo made in code with HotTrack on before it has its controller: the pointer over it lights its
// button, and the hover check puts it out once the pointer has left.
TEST_F(OvcComboTest, HotTrackFollowsThePointerOverAComboMadeInCode) {
  TTestCombo* c = MakeCombo();
  c->SetHotTrack(true);
  ShowAndFocus(Other);
  const int w = c->Width();
  auto button = [&] {
    RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(c->Handle());
    COLORREF p = GetPixel(dc, w - 6, 5);
    ReleaseDC(c->Handle(), dc);
    return p;
  };
  const COLORREF idle = RGBOf(c->Color()), face = RGBOf(clBtnFace);
  ASSERT_NE(idle, face);
  EXPECT_EQ(button(), idle);
  THoldPointer hold(c->ClientToScreen(POINT{w - 8, 10}));
  MovePointer(c->ClientToScreen(POINT{w - 8, 10}));
  EXPECT_TRUE(PumpUntil([&] { return button() == face; }));
  hold.Move(Other->ClientToScreen(POINT{20, 10}));
  MovePointer(Other->ClientToScreen(POINT{20, 10}));
  EXPECT_TRUE(PumpUntil([&] { return button() == idle; }));
}

TEST_F(OvcComboTest, LeavingAddsTheCurrentItem) {
  TTestCombo* c = MakeCombo();
  ShowAndFocus(c);
  c->SetItemIndex(3);
  Other->SetFocus();
  PumpUntil([&] { return c->MRUCount() > 0; });
  ASSERT_EQ(c->MRUCount(), 1);
  EXPECT_EQ(c->Items()->Strings(0), "Cherry");
}

TEST_F(OvcComboTest, FocusAndWheelEvents) {
  TTestCombo* c = MakeCombo();
  c->AfterEnter = Bind(&Ev, &Events::Enter);
  c->AfterExit = Bind(&Ev, &Events::Exit);
  c->OnMouseWheel = Bind(&Ev, &Events::MouseWheel);
  ShowAndFocus(c);
  Ev.Enters = Ev.Exits = 0;
  SendMessageA(c->Handle(), WM_SETFOCUS, 0, 0);
  EXPECT_EQ(Ev.Enters, 0);   // after the focus change, not inside it
  PumpUntil([&] { return Ev.Enters >= 1; });
  EXPECT_GE(Ev.Enters, 1);
  SendMessageA(c->Handle(), WM_KILLFOCUS, 0, 0);
  PumpUntil([&] { return Ev.Exits >= 1; });
  EXPECT_GE(Ev.Exits, 1);
  SendMessageA(c->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(50, 50));
  SendMessageA(c->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(50, 50));
  EXPECT_EQ(Ev.Wheel, (std::vector<int>{120, -120}));
}

TEST_F(OvcComboTest, AttachedLabelFollowsTheCombo) {
  TTestCombo* c = MakeCombo();
  c->SetName("cboPlace");
  Form->Show();
  PumpUntilPainted(Form->Handle());
  c->LabelInfo()->SetVisible(true);
  TOvcAttachedLabel* l = c->AttachedLabel();
  EXPECT_EQ(l->Name(), "cboPlaceLabel1");
  EXPECT_EQ(l->Caption(), "cboPlace");
  EXPECT_EQ(l->Parent(), Form);
  EXPECT_EQ(l->Control(), c);
  EXPECT_EQ(l->Left(), c->Left());
  EXPECT_LT(l->Top() + l->Height(), c->Top() + 1);   // above the combo
  // Moving the combo moves the label along.
  c->SetBounds(40, 80, 200, 21);
  PumpQueued();
  EXPECT_EQ(l->Left(), 40 + c->LabelInfo()->OffsetX());
  EXPECT_EQ(l->Top(), 80 + c->LabelInfo()->OffsetY());
  // Moving the label records new offsets.
  l->SetBounds(10, 60, l->Width(), l->Height());
  PumpQueued();
  EXPECT_EQ(c->LabelInfo()->OffsetX(), -30);
  EXPECT_EQ(c->LabelInfo()->OffsetY(), -20);
  EXPECT_EQ(l->Left(), 10);
  // Hidden and shown with the combo; gone when switched off.
  c->SetVisible(false);
  EXPECT_FALSE(l->Visible());
  c->SetVisible(true);
  EXPECT_TRUE(l->Visible());
  c->LabelInfo()->SetVisible(false);
  EXPECT_EQ(Form->FindComponent("cboPlaceLabel1"), nullptr);
  EXPECT_THROW(c->AttachedLabel(), EOvcException);
  // A label freed by someone else is let go.
  c->LabelInfo()->SetVisible(true);
  TObject::Free(c->AttachedLabel());
  EXPECT_FALSE(c->LabelInfo()->Visible());
  EXPECT_THROW(c->AttachedLabel(), EOvcException);
}

// ---------------------------------------------------------------------------------------------------
// The colour combo

TEST_F(OvcComboTest, ColourListAndSelectedColour) {
  TOvcColorComboBox* c = MakeColors();
  c->HandleNeeded();
  ASSERT_EQ(c->Items()->Count(), 16);
  const char* names[] = {"Black", "Maroon", "Green", "Olive", "Navy", "Purple", "Teal", "Gray",
                         "Silver", "Red", "Lime", "Yellow", "Blue", "Fuchsia", "Aqua", "White"};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(c->Items()->Strings(i), names[i]);
  EXPECT_EQ(SendMessageA(c->Handle(), CB_GETCOUNT, 0, 0), 16);
  EXPECT_EQ(c->SelectedColor(), clBlack);
  EXPECT_EQ(c->MRUCount(), 0);
  struct Case {
    TColor Set;
    TColor Expected;
    int Changes;
  };
  for (Case k : {Case{clRed, clRed, 1}, Case{clBtnFace, clRed, 0}, Case{TColor(0x123456), clRed, 0},
                 Case{clAqua, clAqua, 1}, Case{clBlack, clBlack, 1}}) {
    Ev.Changes = 0;
    c->SetSelectedColor(k.Set);
    EXPECT_EQ(c->SelectedColor(), k.Expected);
    EXPECT_EQ(Ev.Changes, k.Changes);
  }
  SendMessageA(c->Handle(), CB_SETCURSEL, WPARAM(-1), 0);
  EXPECT_EQ(c->SelectedColor(), clBlack);
}

TEST_F(OvcComboTest, SelectedColourSurvivesWindowsAndComesBeforeThem) {
  TOvcColorComboBox* c = MakeColors();
  c->SetSelectedColor(clTeal);   // no window yet
  EXPECT_EQ(c->SelectedColor(), clTeal);
  ShowAndFocus(c);
  EXPECT_EQ(c->SelectedColor(), clTeal);
  c->SetSelectedColor(clNavy);
  c->SetItemHeight(20);          // re-creates the window
  EXPECT_EQ(c->SelectedColor(), clNavy);
  c->Borders()->LeftBorder()->SetEnabled(true);   // so does a border
  EXPECT_EQ(c->SelectedColor(), clNavy);
  EXPECT_EQ(SendMessageA(c->Handle(), CB_GETCURSEL, 0, 0), 4);
}

TEST_F(OvcComboTest, SelectedColourFromAFormResource) {
  auto* f = new TForm(Application);
  ReadComponentFromText(
      "object Form1: TForm\n"
      "  object OvcController1: TOvcController\n  end\n"
      "  object cboFontColour: TOvcColorComboBox\n    Left = 8\n    Top = 8\n    Width = 120\n    Height = 21\n"
      "    Controller = OvcController1\n    HotTrack = False\n    HotTrackBorder = True\n    ItemHeight = 13\n"
      "    LabelInfo.Visible = False\n    SelectedColor = clRed\n"
      "    Borders.BottomBorder.Enabled = False\n    Borders.TopBorder.PenWidth = 2\n  end\nend\n",
      f);
  auto* c = dynamic_cast<TOvcColorComboBox*>(f->FindComponent("cboFontColour"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Controller(), f->FindComponent("OvcController1"));
  f->Show();
  PumpUntilPainted(f->Handle());
  EXPECT_EQ(c->SelectedColor(), clRed);
  TObject::Free(f);
}

TEST_F(OvcComboTest, EscapeClosingTheListKeepsTheColour) {
  TOvcColorComboBox* c = MakeColors();
  ShowAndFocus(c);
  c->SetSelectedColor(clRed);
  c->SetDroppedDown(true);
  PumpUntilDroppedDown(c->Handle());
  ASSERT_TRUE(c->DroppedDown());
  PostKey(c->Handle(), VK_ESCAPE);
  PumpUntil([&] { return !c->DroppedDown(); });
  PumpQueued();
  EXPECT_EQ(c->SelectedColor(), clRed);
}

// Paints item Index of the combo into a bitmap as the window would draw it in the list.
void PaintItem(TOvcColorComboBox* c, TBitmap* bmp, int Index, int W, int H) {
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_COMBOBOX;
  dis.itemID = UINT(Index);
  dis.itemAction = ODA_DRAWENTIRE;
  dis.hwndItem = c->Handle();
  dis.hDC = bmp->Canvas()->Handle();
  dis.rcItem = RECT{0, 0, W, H};
  c->Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
}

TEST_F(OvcComboTest, SwatchesSitRightOfTheNames) {
  TOvcColorComboBox* c = MakeColors();
  struct Case {
    int Width;
    bool Names;
  };
  for (Case k : {Case{200, true}, Case{60, true}, Case{200, false}}) {
    c->SetBounds(10, 60, k.Width, 21);
    c->SetShowColorNames(k.Names);
    c->HandleNeeded();
    EXPECT_EQ(c->SwatchOffset(), 0);   // measured at the next paint
    int w = c->ClientWidth(), h = 16;
    auto bmp = NewBitmap(w, h, clFuchsia);
    PaintItem(c, bmp.get(), 9, w, h);  // Red
    int offset = c->SwatchOffset();
    int left = w - offset;             // where the swatch's outline starts
    if (!k.Names)
      EXPECT_EQ(left, 1);
    else if (k.Width == 60)
      EXPECT_EQ(offset, 25);           // the names are overdrawn rather than the swatch lost
    else
      EXPECT_GT(left, 25);
    EXPECT_EQ(At(bmp.get(), left + 2, h / 2), RGBOf(clRed)) << k.Width << " " << k.Names;
    EXPECT_EQ(At(bmp.get(), w - 3, h / 2), RGBOf(clRed));
    EXPECT_EQ(At(bmp.get(), left, h / 2), RGBOf(clBlack));   // the outline in the font colour
    if (k.Names) EXPECT_EQ(At(bmp.get(), 0, h / 2), RGBOf(clWindow));
    // Another font measures the names again.
    c->Font()->SetSize(c->Font()->Size() + 4);
    EXPECT_EQ(c->SwatchOffset(), 0);
    c->Font()->SetSize(c->Font()->Size() - 4);
  }
}

}  // namespace
