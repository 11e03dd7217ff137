// Standard controls from a form resource on a real window, driven with keys and clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Buttons.h"
#include "ExtCtrlsPanels.h"
#include "StdCtrls.h"

#include "TestSupport.h"

namespace {

const auto* const Env =
    ::testing::AddGlobalTestEnvironment(new TFormsEnvironment({
        RegisterStdCtrlsClasses,
        RegisterButtonsClasses,
        RegisterExtCtrlsPanelsClasses,
    }));

class TStdForm : public TForm {
  YOZ_CLASS(TStdForm, TForm)
public:
  explicit TStdForm(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<std::string> Log;
  int Changes = 0;
  std::vector<int> Measured, Drawn;
  void txtNameChange(TObject*) { ++Changes; }
  void btnOkClick(TObject*) { Log.push_back("Ok"); }
  void chkShowGridClick(TObject* Sender) {
    Log.push_back(std::string("Grid:") + (static_cast<TCheckBox*>(Sender)->Checked() ? "on" : "off"));
  }
  void RadioClick(TObject* Sender) { Log.push_back("Radio:" + static_cast<TComponent*>(Sender)->Name()); }
  void lbUsersClick(TObject* Sender) {
    auto* lb = static_cast<TListBox*>(Sender);
    Log.push_back("Users:" + (lb->ItemIndex() >= 0 ? lb->Items()->Strings(lb->ItemIndex()) : std::string("-")));
  }
  void lbDrawnMeasureItem(TWinControl*, int Index, int& Height) {
    Measured.push_back(Index);
    Height = 20 + Index * 5;
  }
  void lbDrawnDrawItem(TWinControl* Control, int Index, RECT Rect, TOwnerDrawState State) {
    Drawn.push_back(Index);
    TCanvas* c = static_cast<TListBox*>(Control)->Canvas();
    c->Brush()->SetColor(Index == 1 ? clRed : clWhite);
    c->FillRect(Rect);
  }
  void cboStatusChange(TObject* Sender) { Log.push_back("Status:" + static_cast<TComboBox*>(Sender)->Text()); }
  void SpeedClick(TObject* Sender) { Log.push_back("Speed:" + static_cast<TComponent*>(Sender)->Name()); }
  void BitBtnClearClick(TObject*) { Log.push_back("Clear"); }
  static void Publish(TPublisher<TStdForm>& p) {
    p.Method("txtNameChange", &TStdForm::txtNameChange);
    p.Method("btnOkClick", &TStdForm::btnOkClick);
    p.Method("chkShowGridClick", &TStdForm::chkShowGridClick);
    p.Method("RadioClick", &TStdForm::RadioClick);
    p.Method("lbUsersClick", &TStdForm::lbUsersClick);
    p.Method("lbDrawnMeasureItem", &TStdForm::lbDrawnMeasureItem);
    p.Method("lbDrawnDrawItem", &TStdForm::lbDrawnDrawItem);
    p.Method("cboStatusChange", &TStdForm::cboStatusChange);
    p.Method("SpeedClick", &TStdForm::SpeedClick);
    p.Method("BitBtnClearClick", &TStdForm::BitBtnClearClick);
  }
};

class StdTest : public ::testing::Test {
protected:
  void SetUp() override { F.reset(NewForm<TStdForm>(nullptr)); }
  void ShowIt() {
    F->Show();
    PumpUntil([&] { return F->Showing(); });
    SetForegroundWindow(F->Handle());
    PumpUntilPainted(F->Handle());
  }
  void TypeChars(HWND Wnd, const std::string& S) {
    for (char c : S) PostMessageA(Wnd, WM_CHAR, WPARAM(uint8_t(c)), 1);
    PumpQueued();
  }
  void Key(HWND Wnd, WORD Vk) {
    PostMessageA(Wnd, WM_KEYDOWN, Vk, 1);
    PostMessageA(Wnd, WM_KEYUP, Vk, 0xC0000001);
  }
  // A left click at a point of a window (client coordinates).
  void Click(HWND Wnd, int X, int Y) {
    LPARAM lp = MAKELPARAM(X, Y);
    PostMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
    PostMessageA(Wnd, WM_LBUTTONUP, 0, lp);
    PumpQueued();
  }
  std::string WindowText(HWND Wnd) {
    char buf[512] = {};
    GetWindowTextA(Wnd, buf, sizeof buf);
    return buf;
  }
  std::unique_ptr<TStdForm, FormDeleter> F;
};

TEST_F(StdTest, TypingIntoEditsObeysMaxLengthAndReadOnly) {
  ShowIt();
  auto* name = Find<TEdit>(F.get(), "txtName");
  auto* user = Find<TEdit>(F.get(), "txtUserName");
  ASSERT_TRUE(name && user);
  EXPECT_EQ(user->Text(), "JSMITH");
  name->SetFocus();
  TypeChars(name->Handle(), "abcdefgh");
  EXPECT_EQ(name->Text(), "abcde");
  EXPECT_GE(F->Changes, 5);
  name->SelectAll();
  EXPECT_EQ(name->SelLength(), 5);
  TypeChars(name->Handle(), "Z");
  EXPECT_EQ(name->Text(), "Z");
  // Setting the text is a change too; a read-only edit takes no typing.
  int before = F->Changes;
  name->SetText("Bob");
  EXPECT_EQ(F->Changes, before + 1);
  user->SetFocus();
  TypeChars(user->Handle(), "xx");
  EXPECT_EQ(user->Text(), "JSMITH");
  // MaxLength set later still holds.
  name->SetMaxLength(2);
  name->SetFocus();
  name->SetText("");
  TypeChars(name->Handle(), "123");
  EXPECT_EQ(name->Text(), "12");
}

TEST_F(StdTest, EnterAndEscReachTheDefaultAndCancelButtons) {
  auto* name = Find<TEdit>(F.get(), "txtName");
  F->SetActiveControl(name);
  F->HandleNeeded();
  Key(name->Handle(), VK_RETURN);
  EXPECT_EQ(F->ShowModal(), mrOk);
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Ok"}));
  Key(name->Handle(), VK_ESCAPE);
  EXPECT_EQ(F->ShowModal(), mrCancel);
  // Enter on a focused button that is not the default one presses that button.
  auto* cancel = Find<TButton>(F.get(), "btnCancel");
  F->SetActiveControl(cancel);
  Key(cancel->Handle(), VK_RETURN);
  EXPECT_EQ(F->ShowModal(), mrCancel);
  EXPECT_EQ(F->Log.size(), 1u);
}

TEST_F(StdTest, CheckBoxAndRadioButtons) {
  ShowIt();
  auto* chk = Find<TCheckBox>(F.get(), "chkShowGrid");
  auto* r1 = Find<TRadioButton>(F.get(), "RadioButtonExisting");
  auto* r2 = Find<TRadioButton>(F.get(), "RadioButtonCreateNew");
  ASSERT_TRUE(chk && r1 && r2);
  EXPECT_FALSE(r1->Checked());
  EXPECT_FALSE(r2->Checked());
  SendMessageA(chk->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(chk->Checked());
  EXPECT_EQ(SendMessageA(chk->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  chk->SetChecked(false);  // a change by the program is a click too
  SendMessageA(r2->Handle(), BM_CLICK, 0, 0);
  SendMessageA(r1->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(r1->Checked());
  EXPECT_FALSE(r2->Checked());
  EXPECT_EQ(SendMessageA(r2->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageA(r1->Handle(), BM_CLICK, 0, 0);  // already checked: nothing new
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Grid:on", "Grid:off", "Radio:RadioButtonCreateNew",
                                              "Radio:RadioButtonExisting"}));
  // The state survives a new window.
  chk->SetChecked(true);
  chk->RecreateWnd();
  EXPECT_EQ(SendMessageA(chk->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

// A group of radio buttons is one Tab stop: Tab enters it at its checked button (the first while none
// is checked), the next Tab leaves it, and Shift+Tab comes back to the same button.
TEST_F(StdTest, TabStopsAtOneRadioButtonOfAGroup) {
  ShowIt();
  auto* chk = Find<TCheckBox>(F.get(), "chkShowGrid");
  auto* r1 = Find<TRadioButton>(F.get(), "RadioButtonExisting");
  auto* r2 = Find<TRadioButton>(F.get(), "RadioButtonCreateNew");
  auto* after = Find<TListBox>(F.get(), "lbUsers");
  ASSERT_TRUE(chk && r1 && r2 && after);
  auto tab = [](bool Back = false) {
    PressKeys(VK_TAB, Back ? std::vector<WORD>{VK_SHIFT} : std::vector<WORD>{});
    return GetFocus();
  };
  chk->SetFocus();
  ASSERT_TRUE(PumpUntilFocused(chk->Handle()));
  EXPECT_EQ(tab(), r1->Handle());
  EXPECT_EQ(tab(), after->Handle());
  r1->SetChecked(false);
  r2->SetChecked(true);
  chk->SetFocus();
  ASSERT_TRUE(PumpUntilFocused(chk->Handle()));
  EXPECT_EQ(tab(), r2->Handle());
  EXPECT_EQ(tab(), after->Handle());
  EXPECT_EQ(tab(true), r2->Handle());
  EXPECT_EQ(tab(true), chk->Handle());
  EXPECT_TRUE(r2->Checked());
}

TEST_F(StdTest, SortedListBoxWithObjectsClicksAndRecreate) {
  auto* lb = Find<TListBox>(F.get(), "lbUsers");
  ASSERT_NE(lb, nullptr);
  // Items read with the form and added later keep the sorted order, each with its object.
  TObject key1, key2;
  lb->Items()->AddObject("carl", &key1);
  lb->Items()->AddObject("Able", &key2);
  std::vector<std::string> expect{"Able", "anna", "Bert", "carl", "Walter"};
  ASSERT_EQ(lb->Items()->Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(lb->Items()->Strings(i), expect[size_t(i)]);
  EXPECT_EQ(lb->Items()->Objects(0), &key2);
  EXPECT_EQ(lb->Items()->Objects(3), &key1);
  EXPECT_EQ(lb->Items()->IndexOf("BERT"), 2);
  ShowIt();
  HWND h = lb->Handle();
  ASSERT_EQ(SendMessageA(h, LB_GETCOUNT, 0, 0), 5);
  char buf[64];
  SendMessageA(h, LB_GETTEXT, 3, LPARAM(buf));
  EXPECT_STREQ(buf, "carl");
  // A click on the third row selects it.
  RECT r = lb->ItemRect(2);
  Click(h, r.left + 5, (r.top + r.bottom) / 2);
  EXPECT_EQ(lb->ItemIndex(), 2);
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Users:Bert"}));
  EXPECT_EQ(lb->ItemAtPos(POINT{r.left + 5, (r.top + r.bottom) / 2}, true), 2);
  lb->RecreateWnd();
  EXPECT_EQ(SendMessageA(lb->Handle(), LB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(lb->ItemIndex(), 2);
  lb->Items()->Delete(0);
  EXPECT_EQ(SendMessageA(lb->Handle(), LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(lb->Items()->Objects(2), &key1);
  lb->Clear();
  EXPECT_EQ(lb->ItemIndex(), -1);
  EXPECT_EQ(SendMessageA(lb->Handle(), LB_GETCOUNT, 0, 0), 0);
}

TEST_F(StdTest, OwnerDrawVariableListBoxMeasuresAndDrawsEachItem) {
  auto* lb = Find<TListBox>(F.get(), "lbDrawn");
  for (const char* s : {"zero", "one", "two"}) lb->Items()->Add(s);
  ShowIt();
  RedrawWindow(lb->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  EXPECT_EQ(F->Measured, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(SendMessageA(lb->Handle(), LB_GETITEMHEIGHT, 2, 0), 30);
  EXPECT_NE(std::find(F->Drawn.begin(), F->Drawn.end(), 1), F->Drawn.end());
  RECT r = lb->ItemRect(1);
  HDC dc = GetDC(lb->Handle());
  COLORREF red = GetPixel(dc, r.left + 10, (r.top + r.bottom) / 2);
  COLORREF white = GetPixel(dc, r.left + 10, r.top - 3);
  ReleaseDC(lb->Handle(), dc);
  EXPECT_EQ(red, RGB(255, 0, 0));
  EXPECT_EQ(white, RGB(255, 255, 255));
}

TEST_F(StdTest, DropDownListComboSelectsWithTheKeyboard) {
  auto* cbo = Find<TComboBox>(F.get(), "cboStatus");
  auto* dep = Find<TComboBox>(F.get(), "cboDepartment");
  for (const char* s : {"Gone home", "Available", "DND", "At lunch"}) cbo->Items()->Add(s);
  EXPECT_EQ(cbo->Items()->Strings(0), "At lunch");
  EXPECT_EQ(cbo->ItemIndex(), -1);
  cbo->SetItemIndex(1);  // before the window exists
  ShowIt();
  EXPECT_EQ(cbo->ItemIndex(), 1);
  EXPECT_EQ(cbo->Text(), "Available");
  cbo->SetFocus();
  PumpUntil([&] { return GetFocus() == cbo->Handle(); });
  Key(cbo->Handle(), VK_DOWN);
  PumpUntil([&] { return cbo->ItemIndex() == 2; });
  EXPECT_EQ(cbo->ItemIndex(), 2);
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Status:DND"}));
  EXPECT_EQ(cbo->Items()->IndexOf("dnd"), 2);
  // A drop-down combo with MaxLength takes no more characters through its edit part.
  ASSERT_NE(dep->EditHandle(), nullptr);
  dep->SetFocus();
  TypeChars(dep->EditHandle(), "Research and Development");
  EXPECT_EQ(dep->Text(), std::string("Research and Development").substr(0, 20));
  cbo->RecreateWnd();
  EXPECT_EQ(cbo->ItemIndex(), 2);
  EXPECT_EQ(SendMessageA(cbo->Handle(), CB_GETCOUNT, 0, 0), 4);
}

TEST_F(StdTest, SpeedButtonsGroupFlatAndClick) {
  ShowIt();
  auto* left = Find<TSpeedButton>(F.get(), "sbLeft");
  auto* right = Find<TSpeedButton>(F.get(), "sbRight");
  auto* plain = Find<TSpeedButton>(F.get(), "sbPlain");
  ASSERT_TRUE(left && right && plain);
  HWND fw = F->Handle();
  Click(fw, left->Left() + 5, left->Top() + 5);
  EXPECT_TRUE(left->Down());
  Click(fw, right->Left() + 5, right->Top() + 5);
  EXPECT_TRUE(right->Down());
  EXPECT_FALSE(left->Down());  // one down per group
  Click(fw, right->Left() + 5, right->Top() + 5);
  EXPECT_TRUE(right->Down());  // without AllowAllUp the last one stays down
  Click(fw, plain->Left() + 5, plain->Top() + 5);
  EXPECT_FALSE(plain->Down());
  // A press released outside the button is no click.
  LPARAM in = MAKELPARAM(plain->Left() + 5, plain->Top() + 5), out = MAKELPARAM(plain->Left() + 200, plain->Top() + 5);
  PostMessageA(fw, WM_LBUTTONDOWN, MK_LBUTTON, in);
  PostMessageA(fw, WM_MOUSEMOVE, MK_LBUTTON, out);
  PostMessageA(fw, WM_LBUTTONUP, 0, out);
  PumpQueued();
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Speed:sbLeft", "Speed:sbRight", "Speed:sbRight", "Speed:sbPlain"}));
  EXPECT_EQ(left->Hint(), "Left");
  // A flat button knows when the mouse is over it.
  left->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(left->MouseInControl());
  left->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(left->MouseInControl());
}

TEST_F(StdTest, SpeedButtonGlyphIsDrawnWithItsTransparentColour) {
  ShowIt();
  auto* plain = Find<TSpeedButton>(F.get(), "sbPlain");
  TBitmap glyph;
  glyph.SetSize(16, 16);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(RECT{0, 0, 16, 16});
  glyph.Canvas()->Brush()->SetColor(clBlue);
  glyph.Canvas()->FillRect(RECT{4, 4, 12, 12});
  plain->SetGlyph(&glyph);
  plain->SetBounds(plain->Left(), plain->Top(), 30, 30);
  RedrawWindow(F->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
  HDC dc = GetDC(F->Handle());
  int cx = plain->Left() + 15, cy = plain->Top() + 15;
  COLORREF centre = GetPixel(dc, cx, cy);
  COLORREF edge = GetPixel(dc, cx - 6, cy - 6);  // a fuchsia pixel of the glyph: the face shows
  ReleaseDC(F->Handle(), dc);
  EXPECT_EQ(centre, RGB(0, 0, 255));
  EXPECT_NE(edge, RGB(255, 0, 255));
  EXPECT_EQ(edge, ColorToRGB(clBtnFace));
}

TEST_F(StdTest, LabelsSizeToTheirCaptionAndFocusTheirControl) {
  ShowIt();
  auto* lbl = Find<TLabel>(F.get(), "lblName");
  auto* name = Find<TEdit>(F.get(), "txtName");
  int w = lbl->Width();
  EXPECT_GT(w, 10);
  lbl->SetCaption("&Name of the user");
  EXPECT_GT(lbl->Width(), w + 20);
  F->Perform(CM_DIALOGCHAR, 'n', 0x20000000);
  PumpUntil([&] { return GetFocus() == name->Handle(); });
  EXPECT_EQ(GetFocus(), name->Handle());
}

TEST_F(StdTest, MemoLinesAreTheWindowsText) {
  ShowIt();
  auto* memo = Find<TMemo>(F.get(), "MemoMessage");
  memo->Lines()->Add("first");
  memo->Lines()->Add("second");
  EXPECT_EQ(WindowText(memo->Handle()), "first\r\nsecond");
  EXPECT_EQ(memo->Lines()->Count(), 2);
  memo->Lines()->Insert(1, "middle");
  EXPECT_EQ(memo->Lines()->Strings(1), "middle");
  memo->Lines()->Delete(0);
  EXPECT_EQ(memo->Text(), "middle\r\nsecond");
  EXPECT_TRUE(GetWindowLongA(memo->Handle(), GWL_STYLE) & WS_VSCROLL);
  memo->SetFocus();
  memo->SetText("");
  TypeChars(memo->Handle(), "a\rb");
  EXPECT_EQ(memo->Lines()->Count(), 2);
}

TEST_F(StdTest, NotebookPanelAndBitmapButton) {
  ShowIt();
  auto* nb = Find<TNotebook>(F.get(), "nbMain");
  auto* intro = Find<TPage>(F.get(), "pgIntro");
  auto* join = Find<TPage>(F.get(), "pgJoin");
  ASSERT_TRUE(nb && intro && join);
  EXPECT_EQ(nb->PageCount(), 3);
  EXPECT_EQ(nb->PageIndex(), 0);
  EXPECT_EQ(nb->ActivePage(), "Intro");
  EXPECT_TRUE(intro->Visible());
  EXPECT_FALSE(join->Visible());
  nb->SetPageIndex(1);
  EXPECT_TRUE(join->Visible());
  EXPECT_FALSE(intro->Visible());
  nb->SetActivePage("Create Database");
  EXPECT_EQ(nb->PageIndex(), 2);
  nb->SetPageIndex(7);  // out of range: nothing changes
  EXPECT_EQ(nb->PageIndex(), 2);
  // The page fills the notebook.
  EXPECT_EQ(join->Width(), nb->ClientWidth());

  auto* pnl = Find<TPanel>(F.get(), "pnlBottom");
  RECT inner = pnl->ClientRect();
  pnl->AdjustClientRect(inner);
  EXPECT_EQ(inner.left, 1);  // one pixel of lowered bevel
  HDC dc = GetDC(pnl->Handle());
  COLORREF corner = GetPixel(dc, 0, 0);
  ReleaseDC(pnl->Handle(), dc);
  EXPECT_EQ(corner, ColorToRGB(clBtnShadow));

  auto* bb = Find<TBitBtn>(F.get(), "BitBtnClear");
  EXPECT_EQ(GetWindowLongA(bb->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  SendMessageA(bb->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Clear"}));
}

}  // namespace

namespace {

TEST_F(StdTest, EnterInAMemoIsANewLineNotTheDefaultButton) {
  auto* memo = Find<TMemo>(F.get(), "MemoMessage");
  auto* name = Find<TEdit>(F.get(), "txtName");
  F->SetActiveControl(memo);
  F->HandleNeeded();
  // Enter makes a line (a memo takes every key, Esc too); Esc in a one-line edit cancels.
  PostMessageA(memo->Handle(), WM_CHAR, 'a', 1);
  Key(memo->Handle(), VK_RETURN);
  PostMessageA(memo->Handle(), WM_CHAR, '\r', 1);
  PostMessageA(memo->Handle(), WM_CHAR, 'b', 1);
  Key(name->Handle(), VK_ESCAPE);
  EXPECT_EQ(F->ShowModal(), mrCancel);
  EXPECT_TRUE(F->Log.empty());
  EXPECT_EQ(memo->Lines()->Count(), 2);
  // Without WantReturns, Enter reaches the default button.
  memo->SetWantReturns(false);
  memo->RecreateWnd();
  F->SetActiveControl(memo);
  Key(memo->Handle(), VK_RETURN);
  EXPECT_EQ(F->ShowModal(), mrOk);
  EXPECT_EQ(F->Log, (std::vector<std::string>{"Ok"}));
}

TEST_F(StdTest, OwnerDrawnComboMeasuresAndDrawsItsItems) {
  auto* cbo = new TComboBox(F.get());
  cbo->SetStyle(csOwnerDrawFixed);
  cbo->SetItemHeight(22);
  cbo->SetBounds(330, 190, 150, 24);
  std::vector<int> drawn;
  struct H {
    std::vector<int>* drawn;
    void Draw(TWinControl* c, int Index, RECT R, TOwnerDrawState S) {
      drawn->push_back(Index);
      auto* cb = static_cast<TComboBox*>(c);
      cb->Canvas()->Brush()->SetColor(clLime);
      cb->Canvas()->FillRect(R);
    }
  } h{&drawn};
  cbo->OnDrawItem = TDrawItemEvent(&h, &H::Draw);
  for (const char* s : {"Black", "Maroon", "Green"}) cbo->Items()->Add(s);
  cbo->SetItemIndex(2);
  cbo->SetParent(F.get());
  ShowIt();
  EXPECT_EQ(SendMessageA(cbo->Handle(), CB_GETITEMHEIGHT, 0, 0), 22);
  RedrawWindow(cbo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), 2);  // the selected item in the closed combo
  EXPECT_EQ(cbo->ItemIndex(), 2);
  EXPECT_EQ(cbo->Text(), "Green");
}

TEST_F(StdTest, EditSelectionPasswordAndModified) {
  ShowIt();
  auto* name = Find<TEdit>(F.get(), "txtName");
  name->SetText("abcd");
  name->SetSelStart(1);
  name->SetSelLength(2);
  EXPECT_EQ(name->SelText(), "bc");
  name->SetSelText("X");
  EXPECT_EQ(name->Text(), "aXd");
  EXPECT_TRUE(name->Modified());
  name->SetModified(false);
  EXPECT_FALSE(name->Modified());
  name->SetPasswordChar('*');
  EXPECT_EQ(SendMessageA(name->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(name->Text(), "aXd");  // the text survives the new window
  EXPECT_EQ(name->MaxLength(), 5);
  TypeChars(name->Handle(), "123456");
  EXPECT_EQ(name->Text().size(), 5u);
}

TEST_F(StdTest, GroupBoxKeepsItsChildrenBelowTheCaption) {
  ShowIt();
  auto* grp = Find<TGroupBox>(F.get(), "grpJoin");
  RECT r = grp->ClientRect();
  grp->AdjustClientRect(r);
  EXPECT_GT(r.top, 8);
  EXPECT_GT(r.left, 0);
  // An aligned child fills only what is inside the frame.
  auto* inner = new TPanel(F.get());
  inner->SetParent(grp);
  inner->SetAlign(alClient);
  EXPECT_EQ(inner->Top(), r.top);
  EXPECT_EQ(inner->Width(), r.right - r.left);
}

TEST_F(StdTest, ImageDrawsItsPictureCentredOrStretched) {
  auto* img = new TImage(F.get());
  img->SetBounds(500, 250, 40, 40);
  img->SetParent(F.get());
  TBitmap pic;
  pic.SetSize(10, 10);
  pic.Canvas()->Brush()->SetColor(clBlue);
  pic.Canvas()->FillRect(RECT{0, 0, 10, 10});
  img->Picture()->SetGraphic(&pic);
  EXPECT_EQ(img->DestRect().right, 10);
  img->SetCenter(true);
  RECT d = img->DestRect();
  EXPECT_EQ(d.left, 15);
  EXPECT_EQ(d.top, 15);
  img->SetStretch(true);
  d = img->DestRect();
  EXPECT_EQ(d.right - d.left, 40);
  img->SetProportional(true);
  img->SetBounds(500, 250, 40, 20);
  d = img->DestRect();
  EXPECT_EQ(d.right - d.left, 20);  // square picture in a wide box
  EXPECT_EQ(d.left, 10);
  ShowIt();
  RedrawWindow(F->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
  HDC dc = GetDC(F->Handle());
  EXPECT_EQ(GetPixel(dc, 500 + 20, 250 + 10), RGB(0, 0, 255));
  EXPECT_NE(GetPixel(dc, 500 + 2, 250 + 10), RGB(0, 0, 255));
  ReleaseDC(F->Handle(), dc);
}

}  // namespace

namespace {

TEST_F(StdTest, AGrayedCheckBoxCyclesThroughThreeStates) {
  ShowIt();
  auto* chk = Find<TCheckBox>(F.get(), "chkShowGrid");
  chk->SetAllowGrayed(true);
  SendMessageA(chk->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(chk->State(), cbGrayed);
  EXPECT_EQ(SendMessageA(chk->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  SendMessageA(chk->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(chk->State(), cbChecked);
  SendMessageA(chk->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(chk->State(), cbUnchecked);
  EXPECT_EQ(F->Log.size(), 3u);
}

TEST_F(StdTest, ARightAlignedLabelKeepsItsRightEdge) {
  ShowIt();
  auto* lbl = Find<TLabel>(F.get(), "lblName");
  lbl->SetAlignment(taRightJustify);
  int right = lbl->Left() + lbl->Width();
  lbl->SetCaption("A much longer caption");
  EXPECT_EQ(lbl->Left() + lbl->Width(), right);
  lbl->SetAutoSize(false);
  lbl->SetCaption("x");
  EXPECT_EQ(lbl->Left() + lbl->Width(), right);  // without AutoSize the bounds stay
}

}  // namespace

// The caption's rectangle is measured to the text's exact width; the last glyph must still be drawn whole.
TEST(ButtonFace, CaptionIsNotClippedAtItsMeasuredWidth) {
  TFont font;
  auto rightmostInk = [](TBitmap& b) {
    for (int x = b.Width() - 1; x >= 0; --x)
      for (int y = 0; y < b.Height(); ++y)
        if (GetPixel(b.Canvas()->Handle(), x, y) != RGB(255, 255, 255)) return x;
    return -1;
  };
  for (const char* caption : {"Browse...", "Help", "W", "Cancel"}) {
    TBitmap face, plain;
    for (TBitmap* b : {&face, &plain}) {
      b->SetSize(120, 30);
      b->Canvas()->Brush()->SetColor(clWhite);
      b->Canvas()->FillRect(RECT{0, 0, 120, 30});
    }
    RECT text = DrawButtonFace(face.Canvas()->Handle(), RECT{0, 0, 120, 30}, nullptr, 1, bsUp, caption,
                               blGlyphLeft, -1, 4, &font, POINT{0, 0});
    HDC dc = plain.Canvas()->Handle();
    TSelectObject f(dc, font.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(font.Color()));
    RECT open{text.left, text.top, 120, 30};
    DrawTextA(dc, caption, -1, &open, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_EQ(rightmostInk(face), rightmostInk(plain)) << caption;
  }
}
