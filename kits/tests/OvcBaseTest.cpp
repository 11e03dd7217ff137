#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExtCtrlsPanels.h"
#include "Forms.h"
#include "OvcBase.h"
#include "OvcExcpt.h"
#include "OvcIntl.h"
#include "ovcbordr.h"

namespace {

bool PumpUntilFired(const int32_t& Fired) {
  DWORD start = GetTickCount();
  while (Fired < 0 && GetTickCount() - start < 20000) {
    Application->ProcessMessages();
    Sleep(5);
  }
  return Fired >= 0;
}

class OvcBaseTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    InitForms();
    OvcBaseInitialize();
  }
  static void TearDownTestSuite() { OvcBaseFinalize(); }
};

struct Counter {
  int Changes = 0;
  std::vector<bool> Shown;
  int32_t EpochShift = 0;
  void Changed(TObject*) { ++Changes; }
  void Visible(TObject*, bool v) { Shown.push_back(v); }
  void GetEpoch(TObject*, int32_t& e) { e += EpochShift; }
};

TEST_F(OvcBaseTest, ControllerDefaultsAndEpoch) {
  TOvcController c(nullptr);
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(c.Epoch(), now.wYear / 100 * 100);
  EXPECT_EQ(c.EntryOptions(), (TOvcBaseEFOptions{efoAutoSelect, efoBeepOnError, efoInsertPushes}));
  EXPECT_EQ(c.EntryCommands()->Count(), 3);
  EXPECT_EQ(c.About(), "v3.07");
  struct Case {
    int32_t Set, Expected;
  };
  for (Case k : {Case{1900, 1900}, Case{1599, 1900}, Case{4000, 1900}, Case{1600, 1600}, Case{3999, 3999}}) {
    c.SetEpoch(k.Set);
    EXPECT_EQ(c.Epoch(), k.Expected) << k.Set;
  }
  Counter n;
  n.EpochShift = 50;
  c.OnGetEpoch = Bind(&n, &Counter::GetEpoch);
  EXPECT_EQ(c.Epoch(), 4049);
  EXPECT_FALSE(c.IsSpecialControl(nullptr));
}

TEST_F(OvcBaseTest, ControllerFromAFormResource) {
  auto* c = new TOvcController(nullptr);
  ReadComponentFromText(
      "object OvcController1: TOvcController\n"
      "  EntryCommands.TableList = ( 'Default' True ( ) 'WordStar' False ( ) 'Grid' False ( ) )\n"
      "  EntryOptions = [efoAutoSelect, efoBeepOnError]\n  Epoch = 1900\n  About = 'v9'\nend\n",
      c);
  EXPECT_EQ(c->Epoch(), 1900);
  EXPECT_EQ(c->EntryOptions(), (TOvcBaseEFOptions{efoAutoSelect, efoBeepOnError}));
  EXPECT_EQ(c->About(), "v3.07");
  TObject::Free(c);
}

TEST_F(OvcBaseTest, TimerTriggersReachTheControllerEvent) {
  TOvcController c(nullptr);
  int32_t fired = -1;
  struct Sink {
    int32_t* Out;
    void Trigger(TObject*, int32_t h, uint32_t, int32_t) { *Out = h; }
    void Own(TObject*, int32_t, uint32_t, int32_t) {}
  } sink{&fired};
  c.OnTimerTrigger = Bind(&sink, &Sink::Trigger);
  int32_t h = c.TimerPool()->AddOneTime(Bind(&sink, &Sink::Own), 60);
  EXPECT_TRUE(PumpUntilFired(fired));
  EXPECT_EQ(fired, h);
}

TEST_F(OvcBaseTest, FormControllerIsTheFirstOnTheForm) {
  auto* form = new TForm(Application);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* edit = new TEdit(form);
  edit->SetParent(panel);
  EXPECT_EQ(FindController(edit), nullptr);
  auto* first = new TOvcController(form);
  auto* second = new TOvcController(form);
  EXPECT_EQ(FindController(edit), first);
  TObject::Free(first);
  EXPECT_EQ(FindController(edit), second);
  TObject::Free(form);
}

TEST_F(OvcBaseTest, UniqueComponentNames) {
  TComponent owner(nullptr);
  EXPECT_EQ(OvcUniqueComponentName(&owner, "cboLabel"), "cboLabel1");
  (new TComponent(&owner))->SetName("cboLabel1");
  (new TComponent(&owner))->SetName("cboLabel2");
  EXPECT_EQ(OvcUniqueComponentName(&owner, "cboLabel"), "cboLabel3");
  EXPECT_EQ(OvcUniqueComponentName(&owner, "CBOLABEL"), "CBOLABEL3");
  EXPECT_THROW(OvcUniqueComponentName(&owner, "1abc"), EComponentError);
  EXPECT_THROW(OvcUniqueComponentName(&owner, ""), EComponentError);
}

TEST_F(OvcBaseTest, BordersKeepSaneValues) {
  TOvcBorder b;
  Counter n;
  b.OnChange = Bind(&n, &Counter::Changed);
  EXPECT_FALSE(b.Enabled());
  EXPECT_EQ(b.PenWidth(), 2);
  b.SetPenWidth(0);
  b.SetPenWidth(-3);
  EXPECT_EQ(b.PenWidth(), 2);
  EXPECT_EQ(n.Changes, 0);
  b.SetPenWidth(3);
  b.SetPenWidth(3);
  b.SetPenColor(clRed);
  b.SetEnabled(true);
  EXPECT_EQ(n.Changes, 3);
  TOvcBorders all;
  all.LeftBorder()->Assign(&b);
  EXPECT_TRUE(all.LeftBorder()->Enabled());
  EXPECT_EQ(all.LeftBorder()->PenWidth(), 3);
  EXPECT_EQ(all.LeftBorder()->PenColor(), clRed);
  TOvcBorders copy;
  copy.Assign(&all);
  EXPECT_TRUE(copy.LeftBorder()->Enabled());
  EXPECT_FALSE(copy.TopBorder()->Enabled());
}

TEST_F(OvcBaseTest, LabelInfoEvents) {
  TOvcLabelInfo li;
  Counter n;
  li.OnChange = Bind(&n, &Counter::Changed);
  li.OnVisibleChange = Bind(&n, &Counter::Visible);
  li.SetOffsets(4, -20);
  EXPECT_EQ(n.Changes, 1);
  li.SetOffsets(4, -20);
  li.SetOffsetX(4);
  EXPECT_EQ(n.Changes, 1);
  li.SetOffsetY(-18);
  EXPECT_EQ(n.Changes, 2);
  li.SetVisible(true);
  li.SetVisible(true);
  li.SetVisible(false);
  EXPECT_EQ(n.Shown, (std::vector<bool>{true, false}));
}

TEST_F(OvcBaseTest, InternationalSettings) {
  TOvcIntlSup* s = OvcIntlSup();
  ASSERT_NE(s, nullptr);
  EXPECT_NE(s->DecimalChar, 0);
  EXPECT_NE(s->SlashChar, 0);
  s->LongDateFormat = "dddd, MMMM dd, yyyy";
  EXPECT_EQ(s->LongDateMask(), "ddd, MMM dd, yyyy");
  EXPECT_EQ(s->TrueChar, 'T');
  EXPECT_EQ(s->NoChar, 'N');
}

}  // namespace
