// The message windows in the test's own process: the send dialog opened from the board, the read
// dialog of the first activation, the inbox, and how reading and closing reset the new-message signal.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <type_traits>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "StTrIcon.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZMessageInBox.h"
#include "yOZMessages.h"
#include "yOZUser.h"

namespace {

// The message windows are modal: one that never closes ends the program naming the test rather than
// stalling it until ctest gives up.
const bool Watched = (WatchEveryTest(60000), true);

std::string Login() { return GetLogInName(); }

// Runs Fn from the message loop (so also inside a modal window's loop) every Ms until it returns true.
class TWhile {
public:
  TWhile(int Ms, std::function<bool()> Fn) : FFn(std::move(Fn)) {
    FTimer = new TTimer(nullptr);
    FTimer->SetInterval(uint32_t(Ms));
    FTimer->SetOnTimer(Bind(this, &TWhile::Tick));
  }
  ~TWhile() { TObject::Free(FTimer); }

private:
  void Tick(TObject*) {
    if (FBusy) return;  // a modal box inside Fn keeps the timer ticking
    FBusy = true;
    bool done = FFn();
    FBusy = false;
    if (done) FTimer->SetEnabled(false);
  }
  TTimer* FTimer;
  std::function<bool()> FFn;
  bool FBusy = false;
};

// Keys as the keyboard sends them, to the foreground window: text (\n is Return, \t is Tab) or Ctrl+key.
void SendKeys(const std::vector<INPUT>& In) {
  SendInput(UINT(In.size()), const_cast<INPUT*>(In.data()), sizeof(INPUT));
}
INPUT KeyInput(WORD Vk, WCHAR Ch, bool Up) {
  INPUT i{};
  i.type = INPUT_KEYBOARD;
  i.ki.wVk = Vk;
  i.ki.wScan = Ch;
  i.ki.dwFlags = (Ch ? KEYEVENTF_UNICODE : 0) | (Up ? KEYEVENTF_KEYUP : 0);
  return i;
}
void TypeText(const std::string& Text) {
  std::vector<INPUT> in;
  for (char c : Text) {
    WORD vk = c == '\n' ? VK_RETURN : c == '\t' ? VK_TAB : 0;
    WCHAR ch = vk ? 0 : WCHAR(static_cast<unsigned char>(c));
    in.push_back(KeyInput(vk, ch, false));
    in.push_back(KeyInput(vk, ch, true));
  }
  SendKeys(in);
}
void CtrlKey(WORD Vk) {
  SendKeys({KeyInput(VK_CONTROL, 0, false), KeyInput(Vk, 0, false), KeyInput(Vk, 0, true), KeyInput(VK_CONTROL, 0, true)});
}

// A left click at a point of a window's client area, as the mouse makes it.
void ClickAt(HWND Wnd, POINT P) {
  ClientToScreen(Wnd, &P);
  SetCursorPos(P.x, P.y);
  SendLeftClick(P);
}
// The middle of a command bar's button (it has no window of its own: its bar gets the click).
void ClickLink(TdxBar* Bar, int Index) {
  TCustomdxBarControl* c = Bar->Control();
  RECT r = c->GetItemRect(Bar->ItemLinks()->Items(Index)->Control());
  ClickAt(c->Handle(), POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}
void ClickRow(TListView* List, int Row) {
  RECT r{LVIR_LABEL, 0, 0, 0};
  SendMessageA(List->Handle(), LVM_GETITEMRECT, WPARAM(Row), LPARAM(&r));
  ClickAt(List->Handle(), POINT{r.left + 4, (r.top + r.bottom) / 2});
}
void Foreground(TForm* F) {
  SetForegroundWindow(F->Handle());
  Application->ProcessMessages();
}

struct TStoredMessage {
  std::string Key, Status, Subject, Body, From, To;
};
std::vector<TStoredMessage> StoredMessages(const std::string& Folder) {
  std::vector<TStoredMessage> out;
  TIsamFile f("");
  if (!f.Open(Folder + MessageFileName, 3)) return out;
  TMessageRec m;
  f.First(0);
  while (f.GetNext(m.Data, 0, 16, ""))
    out.push_back({f.LastKey, m.MsgStatus(), m.Subject(), m.Body(), m.FromLogInName(), m.ToLogInName()});
  f.Close();
  return out;
}

class Messages : public ::testing::Test {
protected:
  TSettingsSandbox Sandbox;
  TTestFolder Folder{"msg"};
  TBoxAnswers Boxes;
  TfrmMain* Form = nullptr;

  void SetUp() override { IsAdministrator = false; }
  void TearDown() override {
    FreeAll();
    MainDialogs = TMainDialogs();
  }
  void FreeAll() {
    TObject::Free(frmyOZMessageInBox);
    frmyOZMessageInBox = nullptr;
    TObject::Free(frmyOZMessages);
    frmyOZMessages = nullptr;
    if (Form) FreeMainWindow(Form);
  }
  // A database holding the current user (its administrator) and BOB, with the given messages already
  // waiting (subject and body; all from BOB to the current user).
  void Seed(const std::vector<std::pair<std::string, std::string>>& Waiting = {}) {
    TyOZFile db(Folder.Path());
    db.RegisterCurrentUser();
    AddUser(Folder.Path(), "BOB", "Available");
    TYOZMessage m(&db);
    for (auto& w : Waiting) m.SendMessage(Login(), "BOB", w.first, w.second);
  }
  // The board and its two message windows, made in the program's order, then the first activation.
  void Start() {
    WriteTestSettings(Folder.Path(), 1, 1);
    Form = NewForm<TfrmMain>(Application);
    frmMain = Form;
    frmyOZMessages = NewForm<TfrmyOZMessages>(Application);
    frmyOZMessageInBox = NewForm<TfrmyOZMessageInBox>(Application);
    try {
      Form->FormActivate(Form);
    } catch (...) {
      Application->HandleException(Form);
    }
    Application->ProcessMessages();
  }
  void SelectRow(const std::string& LogInName) {
    for (int i = 0; i < Form->Board()->RowCount(); ++i)
      if (Form->Board()->Row(i).SubItem(bsLogInName) == LogInName) Form->lvMain->Items()->Item(i)->SetSelected(true);
    ASSERT_NE(Form->lvMain->Selected(), nullptr);
  }
  // A new message for the current user, announced by the message timer as another copy's write is.
  void Receive(const std::string& Subject, const std::string& Body) {
    yOZMessage->SendMessage(Login(), "BOB", Subject, Body);
    Form->tmrCheckForMessagesTimer(Form->tmrCheckForMessages);
  }
  static bool Up(TForm* F) { return F->Modal() && F->Visible(); }
  // Runs Open, which shows Window modally. While the window is up, Step gets it every 30 ms with the
  // step reached (0 at first) and gives the next; the window is closed after GiveUpMs at the latest.
  // Gives the step reached.
  template <class TWindow>
  int Drive(TWindow* Window, int GiveUpMs, const std::function<void()>& Open,
            const std::function<int(std::type_identity_t<TWindow>&, int)>& Step) {
    int step = 0;
    TWhile drive(30, [&] {
      if (Up(Window)) step = Step(*Window, step);
      return false;
    });
    TWhile giveUp(GiveUpMs, [&] {
      Window->Close();
      return true;
    });
    Open();
    return step;
  }
  // Opens the send dialog for the selected row as a double-click on it does and drives it with Write,
  // whose step 2 is the message sent; step 2 must be reached within 8 s.
  void WriteInSendDialog(const std::function<int(TfrmyOZMessages&, int)>& Write) {
    const int step = Drive(frmyOZMessages, 8000, [&] { Form->lvMainDblClick(Form->lvMain); }, Write);
    EXPECT_EQ(step, 2) << "typed: " << frmyOZMessages->MemoMessage->Text();
  }
  // For a TWhile: each time the inbox shows, Opened is set and the inbox closed again.
  static std::function<bool()> CloseInboxWhenShown(bool& Opened) {
    return [&Opened] {
      if (!Up(frmyOZMessageInBox)) return false;
      Opened = true;
      frmyOZMessageInBox->Close();
      return false;
    };
  }
};

// --- what the windows hold --------------------------------------------------------------------------

TEST_F(Messages, TheWindowsCarryTheirTexts) {
  Seed();
  Start();
  TfrmyOZMessages& d = *frmyOZMessages;
  EXPECT_EQ(d.BorderStyle(), bsDialog);
  EXPECT_EQ(d.Position(), poScreenCenter);
  EXPECT_EQ(d.HelpContext(), 12);
  EXPECT_EQ(d.Constraints()->MinWidth(), 453);
  EXPECT_EQ(d.Constraints()->MinHeight(), 304);
  struct {
    TLabel* Label;
    const char* Caption;
    bool Visible;
  } labels[] = {{d.lblToStatic, "To :", true},         {d.lblFromStatic, "From :", true},
                {d.lblTimeStatic, "Created:", true},   {d.lblSubject, "Subject", true},
                {d.lblMessage, "Message...", true},    {d.lblFromComputerName, "", false},
                {d.lblToComputerName, "", false},      {d.lblMessagePrimaryKey, "", false}};
  for (auto& l : labels) {
    EXPECT_EQ(l.Label->Caption(), l.Caption) << l.Label->Name();
    EXPECT_EQ(l.Label->Visible(), l.Visible) << l.Label->Name();
  }
  EXPECT_EQ(d.txtSubject->MaxLength(), 255);
  EXPECT_EQ(d.MemoMessage->MaxLength(), 255);
  EXPECT_EQ(d.MemoMessage->ScrollBars(), ssVertical);

  TfrmyOZMessageInBox& b = *frmyOZMessageInBox;
  EXPECT_EQ(b.Caption(), "Message InBox");
  EXPECT_EQ(b.BorderStyle(), bsSizeable);
  EXPECT_TRUE(b.BorderIcons().Contains(biMaximize));
  EXPECT_EQ(b.Position(), poScreenCenter);
  EXPECT_EQ(b.HelpContext(), 13);
  // The list above the text, the bar held at 69 % of the height.
  TRzSplitter* split = b.RzSplitterMain;
  EXPECT_EQ(split->Orientation(), orVertical);
  EXPECT_TRUE(split->UsePercent());
  EXPECT_EQ(split->Percent(), 69);
  EXPECT_EQ(split->PercentMax(), 99);
  EXPECT_EQ(split->MarginMax(), 3);
  EXPECT_EQ(split->Align(), alClient);
  ASSERT_NE(b.ListViewInBox->Parent(), nullptr);
  EXPECT_EQ(b.ListViewInBox->Parent()->Parent(), split);
  EXPECT_EQ(b.memoMessageConntent->Parent()->Parent(), split);
  EXPECT_NE(b.ListViewInBox->Parent(), b.memoMessageConntent->Parent());
  struct {
    const char* Caption;
    bool AutoSize;
  } columns[] = {{"From", true}, {"Subject", true}, {"Type", false}, {"PrimaryKey", false}, {"Received", true}};
  ASSERT_EQ(b.ListViewInBox->Columns()->Count(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(b.ListViewInBox->Column(i)->Caption(), columns[i].Caption);
    EXPECT_EQ(b.ListViewInBox->Column(i)->AutoSize(), columns[i].AutoSize) << columns[i].Caption;
  }
  EXPECT_EQ(b.ListViewInBox->Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(b.ListViewInBox->Font()->Size(), 7);
  EXPECT_EQ(b.ListViewInBox->Font()->Color(), clBlack);
  EXPECT_EQ(b.ListViewInBox->ViewStyle(), vsReport);
  EXPECT_TRUE(b.ListViewInBox->RowSelect());
  EXPECT_TRUE(b.ListViewInBox->ReadOnly());
  EXPECT_EQ(b.memoMessageConntent->Font()->Color(), clBlue);
  EXPECT_EQ(b.memoMessageConntent->ScrollBars(), ssVertical);
  ASSERT_EQ(b.StatusBarMain->Panels()->Count(), 3);
  EXPECT_EQ(b.StatusBarMain->Panels()->Items(0)->Text(), "New messages =");
  EXPECT_EQ(b.StatusBarMain->Panels()->Items(1)->Text(), "Old messages =");
  EXPECT_EQ(b.StatusBarMain->Panels()->Items(2)->Text(), "Total messages =");
  ASSERT_EQ(b.mnuMain->Items()->Count(), 1);
  EXPECT_EQ(b.mnuMain->Items()->Items(0)->Caption(), "&File");
  ASSERT_EQ(b.mnuMain->Items()->Items(0)->Count(), 1);
  EXPECT_EQ(b.mnuMain->Items()->Items(0)->Items(0)->Caption(), "Exit");

  // The actions, and each window's one command bar "Main" with two caption-and-glyph buttons.
  struct {
    TAction* Action;
    const char* Caption;
    int ShortCut;
    const char* Hint;
    int Image;
  } actions[] = {{d.actSend, "&Send", 16467, "Send message", 18},
                 {d.actCancel, "&Cancel", 0, "Retain message", 20},
                 {d.actDelete, "&Delete", 0, "Delete message", 19},
                 {b.actDeleteMessage, "&Delete", 0, "Delete selected message", 19},
                 {b.actFileExit, "E&xit", 0, "", 8}};
  EXPECT_EQ(d.ActionList1->Images(), Form->imgSmallPics);
  EXPECT_EQ(b.ActionList1->Images(), Form->imgSmallPics);
  for (auto& a : actions) {
    EXPECT_EQ(a.Action->Caption(), a.Caption) << a.Action->Name();
    EXPECT_EQ(a.Action->ShortCut(), a.ShortCut) << a.Action->Name();
    EXPECT_EQ(a.Action->Hint(), a.Hint) << a.Action->Name();
    EXPECT_EQ(a.Action->ImageIndex(), a.Image) << a.Action->Name();
  }
  const std::pair<TdxBarManager*, std::vector<TAction*>> bars[] = {{d.dxBarManager1, {d.actSend, d.actDelete}},
                                                                   {b.dxBarManager1, {b.actDeleteMessage, b.actFileExit}}};
  for (const auto& [m, want] : bars) {
    SCOPED_TRACE(m->Owner()->Name());
    EXPECT_EQ(m->Images(), Form->imgSmallPics);
    EXPECT_EQ(m->Font()->Name(), "Tahoma");
    ASSERT_EQ(m->Bars()->Count(), 1);
    TdxBar* bar = m->Bars()->Items(0);
    EXPECT_EQ(bar->Name(), "Main");
    EXPECT_EQ(bar->Caption(), "Main");
    EXPECT_EQ(m->MainMenuBar(), bar);
    EXPECT_TRUE(bar->OneOnRow() && bar->WholeRow());
    EXPECT_EQ(bar->DockingStyle(), dsTop);
    EXPECT_FALSE(bar->AllowClose() || bar->AllowCustomizing() || bar->AllowQuickCustomizing());
    ASSERT_EQ(bar->ItemLinks()->Count(), 2);
    for (int i = 0; i < 2; ++i) {
      auto* button = dynamic_cast<TdxBarButton*>(bar->ItemLinks()->Items(i)->Item());
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->Action(), want[size_t(i)]);
      EXPECT_EQ(button->PaintStyle(), psCaptionGlyph);
      EXPECT_EQ(button->Caption(), want[size_t(i)]->Caption());
    }
    // The bar cannot be closed: the toolbars popup offers no entry for it.
    TdxBarItemLinks links(m, nullptr);
    m->FillToolbarsPopup(&links);
    for (int i = links.Count() - 1; i >= 0; --i) {
      EXPECT_NE(links.Items(i)->Item()->Caption(), "Main");
      TObject::Free(links.Items(i)->Item());
    }
  }
}

// --- sending ----------------------------------------------------------------------------------------

TEST_F(Messages, ABoardRowGetsAMessageTypedIntoTheSendDialog) {
  Seed();
  Start();
  Form->RefillBoard();
  SelectRow("BOB");
  frmyOZMessages->txtSubject->SetText("left over");
  // Whether showing disabled the board's Send Message, seen right after the dialog's own OnShow: the
  // board's action update on the next idle moment enables it again (its row is still selected).
  struct TShowProbe {
    TNotifyEvent Inner;
    bool SendMessage = true;
    void Show(TObject* Sender) {
      Inner(Sender);
      SendMessage = frmMain->actSendMessage->Enabled();
    }
  } probe{frmyOZMessages->OnShow};
  frmyOZMessages->OnShow = Bind(&probe, &TShowProbe::Show);
  struct {
    std::string Caption, From, To, ToLogin, TimeStatic, Received, Subject;
    bool BoardTimer = false, MessageTimer = true, SendMessage = true, Send = false, Delete = true, Cancel = true;
    bool SubjectFocused = false;
  } seen;
  WriteInSendDialog([&](TfrmyOZMessages& d, int step) {
    if (step == 0) {
      seen = {d.Caption(), d.lblFrom->Caption(), d.lblTo->Caption(), d.lblToComputerName->Caption(),
              d.lblTimeStatic->Caption(), d.lblReceived->Caption(), d.txtSubject->Text(),
              Form->tmrUpdateListView->Enabled(), Form->tmrCheckForMessages->Enabled(),
              probe.SendMessage, d.actSend->Enabled(), d.actDelete->Enabled(), d.actCancel->Enabled(),
              GetFocus() == d.txtSubject->Handle()};
      Foreground(&d);
      TypeText("Lunch?\tAt noon\nin the canteen");
      return 1;
    }
    if (step == 1 && d.MemoMessage->Text() == "At noon\r\nin the canteen") {
      CtrlKey('S');
      return 2;
    }
    return step;
  });
  EXPECT_EQ(seen.Caption, "Send Message...");
  EXPECT_EQ(seen.From, Login());
  EXPECT_EQ(seen.To, "BOB");
  EXPECT_EQ(seen.ToLogin, "BOB");
  EXPECT_EQ(seen.TimeStatic, "Created:");
  EXPECT_FALSE(seen.Received.empty());
  EXPECT_EQ(seen.Subject, "");
  EXPECT_TRUE(seen.SubjectFocused);
  EXPECT_TRUE(seen.BoardTimer);  // on again before the dialog shows
  EXPECT_FALSE(seen.MessageTimer);
  EXPECT_FALSE(seen.SendMessage);
  EXPECT_TRUE(seen.Send);
  EXPECT_FALSE(seen.Delete);
  EXPECT_FALSE(seen.Cancel);

  auto stored = StoredMessages(Folder.Path());
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].Key, "0000000001");
  EXPECT_EQ(stored[0].Status, "New");
  EXPECT_EQ(stored[0].Subject, "Lunch?");
  EXPECT_EQ(stored[0].Body, "At noon\r\nin the canteen");
  EXPECT_EQ(stored[0].From, Login());
  EXPECT_EQ(stored[0].To, "BOB");
  EXPECT_FALSE(frmyOZMessages->Visible());
  EXPECT_TRUE(Form->tmrCheckForMessages->Enabled());
  EXPECT_TRUE(Form->actSendMessage->Enabled());
}

TEST_F(Messages, ClosingTheSendDialogUnsentRestartsTheMessageTimerOnlyWhenMessagesAreAllowed) {
  Seed();
  Start();
  Form->RefillBoard();
  SelectRow("BOB");
  for (bool allow : {true, false}) {
    yOZFile->AllowMessages = allow;
    Form->tmrCheckForMessages->SetEnabled(true);
    bool timerWhileOpen = true;
    TWhile closeBox(30, [&] {
      if (!Up(frmyOZMessages)) return false;
      timerWhileOpen = Form->tmrCheckForMessages->Enabled();
      PostMessageA(frmyOZMessages->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
      return true;
    });
    Form->actSendMessageExecute(Form->actSendMessage);
    EXPECT_FALSE(timerWhileOpen);
    EXPECT_EQ(Form->tmrCheckForMessages->Enabled(), allow) << allow;
    EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
    EXPECT_TRUE(Form->actSendMessage->Enabled());
  }
  EXPECT_TRUE(StoredMessages(Folder.Path()).empty());
  EXPECT_FALSE(FileExists(Folder.Path() + "yOZMesg.ism"));
}

TEST_F(Messages, ADoubleClickOpensTheSendDialogOnlyWithARowAndMessagesAllowed) {
  Seed();
  Start();
  Form->RefillBoard();
  struct {
    bool Selected, Allow, Opens;
  } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}};
  for (auto& c : cases) {
    Form->lvMain->ClearSelection();
    if (c.Selected) SelectRow("BOB");
    yOZFile->AllowMessages = c.Allow;
    bool opened = false;
    TWhile close(30, [&] {
      if (!Up(frmyOZMessages)) return false;
      opened = true;
      frmyOZMessages->Close();
      return true;
    });
    Form->lvMainDblClick(Form->lvMain);
    if (c.Opens) {
      PumpUntil([&] { return opened; });
    } else {
      // Nothing opens: a while passes for it to come late.
      Pump(100);
    }
    EXPECT_EQ(opened, c.Opens) << c.Selected << c.Allow;
  }
}

TEST_F(Messages, ARecipientGoneFromTheUserFileLeavesTheBoardTimerRunning) {
  Seed();
  Start();
  Form->RefillBoard();
  SelectRow("BOB");
  {
    TIsamFile f("");
    ASSERT_TRUE(f.Open(Folder.Path() + UserFileName, 3));
    TUserRec rec;
    ASSERT_TRUE(f.GetEqual(rec.Data, 7, "BOB"));
    ASSERT_TRUE(f.Delete(f.LastKey));
    f.Close();
  }
  EXPECT_THROW(Form->actSendMessageExecute(Form->actSendMessage), Exception);
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
  EXPECT_FALSE(frmyOZMessages->Visible());
}

// --- the read dialog --------------------------------------------------------------------------------

struct TReadView {
  std::string Caption, Key, From, To, TimeStatic, Received, Subject, Body;
  bool Send, Delete, Cancel, Animating;
};

TEST_F(Messages, WaitingMessagesOpenOneByOneAndOnlyTheLastClosingStopsTheAnimation) {
  Seed({{"First", "one"}, {"Second", "two"}});
  std::vector<TReadView> views;
  std::vector<std::vector<TStoredMessage>> storedAtShowing;
  TWhile reader(30, [&] {
    TfrmyOZMessages& d = *frmyOZMessages;
    if (!Up(&d) || views.size() > storedAtShowing.size()) return false;
    views.push_back({d.Caption(), d.lblMessagePrimaryKey->Caption(), d.lblFrom->Caption(), d.lblTo->Caption(),
                     d.lblTimeStatic->Caption(), d.lblReceived->Caption(), d.txtSubject->Text(), d.MemoMessage->Text(),
                     d.actSend->Enabled(), d.actDelete->Enabled(), d.actCancel->Enabled(),
                     frmMain->StTrayIcon->Animate()});
    storedAtShowing.push_back(StoredMessages(Folder.Path()));
    PostMessageA(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    return false;
  });
  Start();
  ASSERT_EQ(views.size(), 2u);
  const char* subjects[] = {"First", "Second"};
  const char* bodies[] = {"one", "two"};
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(views[i].Caption, "Read Message...");
    EXPECT_EQ(views[i].Key, i == 0 ? "0000000001" : "0000000002");
    EXPECT_EQ(views[i].From, "BOB");
    EXPECT_EQ(views[i].To, Login());
    EXPECT_EQ(views[i].TimeStatic, "Received:");
    EXPECT_FALSE(views[i].Received.empty());
    EXPECT_EQ(views[i].Subject, subjects[i]);
    EXPECT_EQ(views[i].Body, bodies[i]);
    EXPECT_FALSE(views[i].Send);
    EXPECT_TRUE(views[i].Delete);
    EXPECT_TRUE(views[i].Cancel);
    EXPECT_TRUE(views[i].Animating) << i;  // the first closing left one new message: still animating
  }
  EXPECT_EQ(storedAtShowing[1][0].Status, "Old");
  EXPECT_EQ(storedAtShowing[1][1].Status, "New");
  auto stored = StoredMessages(Folder.Path());
  EXPECT_EQ(stored[1].Status, "Old");
  EXPECT_FALSE(Form->StTrayIcon->Animate());
  EXPECT_EQ(Form->StTrayIcon->Images(), Form->imgSmallPics);
  EXPECT_TRUE(Form->tmrCheckForMessages->Enabled());
}

TEST_F(Messages, DeletingFromTheReadDialogMarksNothingOld) {
  Seed({{"First", "one"}, {"Second", "two"}});
  int shown = 0;
  std::vector<TStoredMessage> afterDelete;
  bool animatingAfterDelete = false;
  TWhile reader(30, [&] {
    TfrmyOZMessages& d = *frmyOZMessages;
    if (!Up(&d)) return false;
    if (shown == 0 && d.lblMessagePrimaryKey->Caption() == "0000000001") {
      shown = 1;
      Foreground(&d);
      ClickLink(d.dxBarManager1->Bars()->Items(0), 1);
    } else if (d.lblMessagePrimaryKey->Caption() == "0000000002" && shown == 1) {
      shown = 2;
      afterDelete = StoredMessages(Folder.Path());
      animatingAfterDelete = frmMain->StTrayIcon->Animate();
      d.actCancel->Execute();
    }
    return false;
  });
  TWhile giveUp(15000, [&] {
    if (Up(frmyOZMessages)) frmyOZMessages->Close();
    return false;
  });
  Start();
  ASSERT_EQ(shown, 2);
  ASSERT_EQ(afterDelete.size(), 1u);
  EXPECT_EQ(afterDelete[0].Key, "0000000002");
  EXPECT_EQ(afterDelete[0].Status, "New");
  EXPECT_TRUE(animatingAfterDelete);
  // Cancel keeps the message, read.
  auto stored = StoredMessages(Folder.Path());
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].Status, "Old");
  EXPECT_FALSE(Form->StTrayIcon->Animate());
}

// Alt with the bar button's letter runs it: Alt+S sends. The Delete key deletes a character of the text.
TEST_F(Messages, AltSSendsAndTheDeleteKeyEditsTheTextBeingWritten) {
  Seed();
  Start();
  Form->RefillBoard();
  SelectRow("BOB");
  WriteInSendDialog([&](TfrmyOZMessages& d, int step) {
    if (step == 0) {
      Foreground(&d);
      TypeText("Hi\tabc");
      SendKeys({KeyInput(VK_LEFT, 0, false), KeyInput(VK_LEFT, 0, true), KeyInput(VK_DELETE, 0, false),
                KeyInput(VK_DELETE, 0, true)});
      return 1;
    }
    if (step == 1 && d.MemoMessage->Text() == "ab") {
      SendKeys({KeyInput(VK_MENU, 0, false), KeyInput('S', 0, false), KeyInput('S', 0, true), KeyInput(VK_MENU, 0, true)});
      return 2;
    }
    return step;
  });
  auto stored = StoredMessages(Folder.Path());
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].Subject, "Hi");
  EXPECT_EQ(stored[0].Body, "ab");
}

// Alt with the bar button's letter runs it: Alt+D deletes the message being read.
TEST_F(Messages, AltDDeletesTheMessageInTheReadDialog) {
  Seed({{"First", "one"}});
  bool pressed = false;
  TWhile reader(30, [&] {
    TfrmyOZMessages& d = *frmyOZMessages;
    if (!Up(&d) || pressed) return false;
    Foreground(&d);
    pressed = true;
    SendKeys({KeyInput(VK_MENU, 0, false), KeyInput('D', 0, false), KeyInput('D', 0, true), KeyInput(VK_MENU, 0, true)});
    return false;
  });
  TWhile giveUp(8000, [&] {
    if (Up(frmyOZMessages)) frmyOZMessages->Close();
    return false;
  });
  Start();
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(StoredMessages(Folder.Path()).empty());
}

// --- the inbox --------------------------------------------------------------------------------------

// By keys alone: Down selects the message, which shows and is read as a click reads it; the Delete key
// on the list asks and deletes; Alt+X leaves.
TEST_F(Messages, TheInboxByKeysReadsAndDeletes) {
  Seed();
  Start();
  Receive("Hello", "by keys");
  ASSERT_TRUE(Form->StTrayIcon->Animate());
  std::string memo, stored;
  size_t rowsAfterDelete = 99;
  const int reached = Drive(frmyOZMessageInBox, 10000, [&] { Form->actVeiwInBox->Execute(); },
                            [&](TfrmyOZMessageInBox& b, int step) {
    switch (step) {
      case 0:
        Foreground(&b);
        b.ListViewInBox->SetFocus();
        SendKeys({KeyInput(VK_DOWN, 0, false), KeyInput(VK_DOWN, 0, true)});
        return 1;
      case 1:
        if (b.memoMessageConntent->Text().empty()) return 1;
        memo = b.memoMessageConntent->Text();
        stored = StoredMessages(Folder.Path()).back().Status;
        Boxes.Answers = {mrYes};
        SendKeys({KeyInput(VK_DELETE, 0, false), KeyInput(VK_DELETE, 0, true)});
        return 2;
      case 2:
        if (b.ListViewInBox->Items()->Count() != 0) return 2;
        rowsAfterDelete = 0;
        SendKeys({KeyInput(VK_MENU, 0, false), KeyInput('X', 0, false), KeyInput('X', 0, true), KeyInput(VK_MENU, 0, true)});
        return 3;
    }
    return step;
  });
  EXPECT_EQ(memo, "by keys");
  EXPECT_EQ(stored, "Old");
  EXPECT_FALSE(Form->StTrayIcon->Animate());
  EXPECT_TRUE(Boxes.Contains("Are you sure you want to delete the selected message?"));
  EXPECT_EQ(rowsAfterDelete, 0u);
  EXPECT_TRUE(StoredMessages(Folder.Path()).empty());
  EXPECT_EQ(reached, 3);
}


TEST_F(Messages, TheInboxListsReadsAndDeletes) {
  Seed();
  Start();
  yOZMessage->SendMessage("BOB", Login(), "Not mine", "for Bob");
  Receive("Oldest", "number one");
  Receive("Middle", "number two");
  Receive("Newest", "number three");
  ASSERT_TRUE(Form->StTrayIcon->Animate());
  yOZMessage->MarkMessageOld("0000000003");
  const int width = frmyOZMessageInBox->Width();

  struct TRow {
    std::string From, Subject, Type, Key;
  };
  auto rows = [] {
    std::vector<TRow> out;
    TListView* l = frmyOZMessageInBox->ListViewInBox;
    for (int i = 0; i < l->Items()->Count(); ++i) {
      TListItem* it = l->Items()->Item(i);
      out.push_back({it->Caption(), it->SubItems()->Strings(0), it->SubItems()->Strings(1), it->SubItems()->Strings(2)});
    }
    return out;
  };
  auto panels = [] {
    TStatusBar* s = frmyOZMessageInBox->StatusBarMain;
    return s->Panels()->Items(0)->Text() + "|" + s->Panels()->Items(1)->Text() + "|" + s->Panels()->Items(2)->Text();
  };
  std::vector<TRow> shown, afterClick, afterNo, afterYes;
  int barAt = -1, barExpected = 0, listHeight = 0, memoTop = 0, barEnd = 0;
  std::string storedAfterClick, panelsShown, panelsAfterYes, memoAfterClick, memoAfterYes, mainPanel = "?";
  bool timersWhileOpen = true, animatingAfterClick = true, deleteEnabledUnselected = true;
  const int reached = Drive(frmyOZMessageInBox, 8000, [&] { Form->actVeiwInBox->Execute(); },
                            [&](TfrmyOZMessageInBox& b, int step) {
    switch (step) {
      case 0:
        shown = rows();
        panelsShown = panels();
        mainPanel = Form->StatusBarMain->Panels()->Items(0)->Text();
        timersWhileOpen = Form->tmrUpdateListView->Enabled() || Form->tmrCheckForMessages->Enabled();
        b.ActionList1->UpdateActions();
        deleteEnabledUnselected = b.actDeleteMessage->Enabled();
        {
          // The bar sits at 69 % of the height less half the bar; the list fills the space above it.
          TRzSplitter* split = b.RzSplitterMain;
          barAt = split->Position();
          barExpected = int(std::nearbyint(69 / 100.0 * (split->ClientHeight() - split->SplitterWidth() / 2)));
          listHeight = b.ListViewInBox->Parent()->Height();
          memoTop = b.memoMessageConntent->Parent()->Top();
          barEnd = barAt + split->SplitterWidth();
        }
        Foreground(&b);
        ClickRow(b.ListViewInBox, 0);  // "Newest", new
        return 1;
      case 1:
        if (b.memoMessageConntent->Text().empty()) return 1;
        afterClick = rows();
        memoAfterClick = b.memoMessageConntent->Text();
        animatingAfterClick = Form->StTrayIcon->Animate();
        storedAfterClick = StoredMessages(Folder.Path()).back().Status;
        Boxes.Answers = {mrNo, mrYes};
        b.actDeleteMessage->Execute();  // No: kept
        afterNo = rows();
        b.actDeleteMessage->Execute();  // Yes
        afterYes = rows();
        panelsAfterYes = panels();
        memoAfterYes = b.memoMessageConntent->Text();
        b.mnuMain->Items()->Items(0)->Click();  // clicking "&File" closes the window
        return 2;
    }
    return step;
  });
  ASSERT_EQ(reached, 2);

  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].Subject, "Newest");
  EXPECT_EQ(shown[0].Type, "New");
  EXPECT_EQ(shown[0].From, "BOB");
  EXPECT_EQ(shown[1].Subject, "Middle");
  EXPECT_EQ(shown[1].Type, "Old");
  EXPECT_EQ(shown[2].Subject, "Oldest");
  EXPECT_EQ(shown[2].Key, "0000000002");
  EXPECT_EQ(panelsShown, "New messages = 2|Old messages = 1|Total messages = 3");
  EXPECT_EQ(mainPanel, "");  // "Locating messages..." is gone once the list is there
  EXPECT_FALSE(timersWhileOpen);
  EXPECT_FALSE(deleteEnabledUnselected);
  EXPECT_EQ(frmyOZMessageInBox->Width(), width + 1);
  EXPECT_EQ(barAt, barExpected);
  EXPECT_EQ(listHeight, barAt);
  EXPECT_EQ(memoTop, barEnd);

  EXPECT_EQ(memoAfterClick, "number three");
  // Reading one of two new messages stops the animation; the row says "New" until the list is filled again.
  EXPECT_FALSE(animatingAfterClick);
  EXPECT_EQ(afterClick[0].Type, "New");
  EXPECT_EQ(storedAfterClick, "Old");
  EXPECT_TRUE(Boxes.Contains("Are you sure you want to delete the selected message?"));
  EXPECT_EQ(Boxes.Shown.back().Type, mtInformation);
  EXPECT_TRUE(Boxes.Shown.back().YesNo);
  EXPECT_EQ(afterNo.size(), 3u);
  ASSERT_EQ(afterYes.size(), 2u);
  EXPECT_EQ(afterYes[0].Subject, "Middle");
  EXPECT_EQ(panelsAfterYes, "New messages = 1|Old messages = 1|Total messages = 2");
  EXPECT_EQ(memoAfterYes, "");
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
  EXPECT_TRUE(Form->tmrCheckForMessages->Enabled());

  // Every showing widens the window by one more pixel; closing with messages off leaves the timer off.
  yOZFile->AllowMessages = false;
  TWhile close(30, [&] {
    if (!Up(frmyOZMessageInBox)) return false;
    frmyOZMessageInBox->actFileExit->Execute();
    return true;
  });
  Form->actVeiwInBoxExecute(Form->actVeiwInBox);
  EXPECT_EQ(frmyOZMessageInBox->Width(), width + 2);
  EXPECT_FALSE(Form->tmrCheckForMessages->Enabled());
  EXPECT_TRUE(Form->tmrUpdateListView->Enabled());
}

TEST_F(Messages, TheTrayDoubleClickOpensTheInboxOnlyWhileTheIconAnimatesAndNoMessageWindowShows) {
  Seed();
  Start();
  auto dblClick = [&] {
    bool handled = false;
    Form->StTrayIconDblClick(Form->StTrayIcon, mbLeft, TShiftState(), handled);
  };
  // Not animating: nothing.
  bool opened = false;
  TWhile watch(30, CloseInboxWhenShown(opened));
  dblClick();
  // Nothing opens: a while passes for it to come late.
  Pump(100);
  EXPECT_FALSE(opened);
  Receive("Hello", "there");
  ASSERT_TRUE(Form->StTrayIcon->Animate());
  dblClick();
  EXPECT_TRUE(opened);
  // While the read dialog shows, the double click leaves things be.
  opened = false;
  bool openedFromDialog = true;
  TWhile fromDialog(30, [&] {
    if (!Up(frmyOZMessages)) return false;
    dblClick();
    openedFromDialog = opened;
    frmyOZMessages->Close();
    return true;
  });
  frmyOZMessages->SetCaption("Read Message...");
  frmyOZMessages->lblMessagePrimaryKey->SetCaption("0000000001");
  frmyOZMessages->ShowModal();
  EXPECT_FALSE(openedFromDialog);
}

}  // namespace

namespace {

// The only new message deleted elsewhere (this login's other machine): the double click on the tray
// opens no empty inbox and the tray shows the status again; so does the message timer's next look once
// an inbox opened meanwhile closes.
TEST_F(Messages, TheTrayStopsFlashingOnceNoNewMessageWaits) {
  Seed();
  Start();
  auto deletedElsewhere = [&] {
    TyOZFile db(Folder.Path());
    TYOZMessage other(&db);
    for (auto& m : StoredMessages(Folder.Path()))
      if (m.Status == "New") other.DeleteMessage(m.Key);
  };
  bool opened = false;
  TWhile watch(30, CloseInboxWhenShown(opened));
  Receive("Hello", "there");
  ASSERT_TRUE(Form->StTrayIcon->Animate());
  deletedElsewhere();
  bool handled = false;
  Form->StTrayIconDblClick(Form->StTrayIcon, mbLeft, TShiftState(), handled);
  EXPECT_FALSE(opened);
  EXPECT_FALSE(Form->StTrayIcon->Animate());
  EXPECT_EQ(Form->StTrayIcon->Images(), Form->imgSmallPics);

  // Announced again, the inbox opened from the View menu meanwhile; the timer looks after it closes.
  Receive("Again", "here");
  ASSERT_TRUE(Form->StTrayIcon->Animate());
  deletedElsewhere();
  Form->actVeiwInBoxExecute(Form->actVeiwInBox);
  EXPECT_TRUE(opened);
  EXPECT_TRUE(Form->tmrCheckForMessages->Enabled());
  Form->tmrCheckForMessagesTimer(Form->tmrCheckForMessages);
  EXPECT_FALSE(Form->StTrayIcon->Animate());
  EXPECT_EQ(Form->StTrayIcon->Images(), Form->imgSmallPics);
}

// Each new message is announced once, at the message timer's first look after it came: not again when
// the message file changes for anything else (a message between two others, a refresh, a message read
// here), and a later one also after the box was answered and whatever windows were opened meanwhile.
// What decides is the messages, so every machine announces the same.
TEST_F(Messages, EachNewMessageIsAnnouncedOnceWhateverHappenedMeanwhile) {
  Seed();
  AddUser(Folder.Path(), "CAROL", "Available");
  Start();
  auto announced = [&] {
    return std::count_if(Boxes.Shown.begin(), Boxes.Shown.end(),
                         [](const TShownBox& B) { return B.Text == "You have a new yOZ message"; });
  };
  auto look = [&] { Form->tmrCheckForMessagesTimer(Form->tmrCheckForMessages); };
  TyOZFile db(Folder.Path());
  TYOZMessage others(&db);
  Receive("One", "first");
  EXPECT_EQ(announced(), 1);
  others.SendMessage("CAROL", "BOB", "Not yours", "for Carol");
  look();
  EXPECT_EQ(announced(), 1) << "announced again for a message to another login";
  others.SendMessage("BOB", "CAROL", "Not yours either", "for Bob");
  Form->actRefreshExecute(Form->actRefresh);
  EXPECT_EQ(announced(), 1) << "announced again by a refresh";

  // The send dialog opened and closed unsent; then a second message while the first still waits.
  Form->RefillBoard();
  SelectRow("BOB");
  TWhile closeSend(30, [&] {
    if (!Up(frmyOZMessages)) return false;
    PostMessageA(frmyOZMessages->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
  });
  Form->actSendMessageExecute(Form->actSendMessage);
  Receive("Two", "second");
  EXPECT_EQ(announced(), 2);

  // Both read here: the file changes, nothing has come.
  for (auto& m : StoredMessages(Folder.Path()))
    if (m.To == Login()) yOZMessage->MarkMessageOld(m.Key);
  look();
  EXPECT_EQ(announced(), 2) << "announced again after reading";
  EXPECT_FALSE(Form->StTrayIcon->Animate());
  Receive("Three", "third");
  EXPECT_EQ(announced(), 3);
  EXPECT_TRUE(Form->StTrayIcon->Animate());
}

}  // namespace

namespace {

// From, Subject and Received are as wide as their widest text and their header: nothing cut.
TEST_F(Messages, TheInboxColumnsFitTheirTextsAndHeaders) {
  Seed();
  {
    TIsamFile f("");
    ASSERT_TRUE(f.Open(Folder.Path() + UserFileName, 3));
    TUserRec rec;
    ASSERT_TRUE(f.GetEqual(rec.Data, 7, "BOB"));
    rec.SetName("Bartholomew Oswald Bartholomew");
    ASSERT_TRUE(f.Replace(rec.Data, f.LastKey));
    f.Close();
  }
  Start();
  Receive("A subject of a good many words", "body");
  bool checked = false;
  TWhile watch(30, [&] {
    if (!Up(frmyOZMessageInBox)) return false;
    TListView* l = frmyOZMessageInBox->ListViewInBox;
    HWND h = l->Handle();
    auto width = [&](const std::string& t) { return int(SendMessageA(h, LVM_GETSTRINGWIDTHA, 0, LPARAM(t.c_str()))); };
    for (int column : {0, 1, 4}) {
      const int shown = int(SendMessageA(h, LVM_GETCOLUMNWIDTH, column, 0));
      EXPECT_GE(shown, width(l->Column(column)->Caption()) + 12) << "header of column " << column;
      for (int i = 0; i < l->Items()->Count(); ++i) {
        TListItem* it = l->Items()->Item(i);
        const std::string text = column == 0 ? it->Caption() : it->SubItems()->Strings(column - 1);
        EXPECT_GE(shown, width(text) + 12) << text;
      }
    }
    checked = true;
    frmyOZMessageInBox->Close();
    return true;
  });
  Form->actVeiwInBoxExecute(Form->actVeiwInBox);
  EXPECT_TRUE(checked);
}

}  // namespace
