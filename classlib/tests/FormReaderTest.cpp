#include <gtest/gtest.h>

#include "Classes.h"

namespace {

std::vector<std::string> Log;

enum TShade { shLight, shDark, shNone };
const TEnumInfo ShadeNames{"TShade", {"shLight", "shDark", "shNone"}};
enum TTrait { trBold, trItalic, trUnder };
const TEnumInfo TraitNames{"TTrait", {"trBold", "trItalic", "trUnder"}};
const TIdentMap ColourIdents{{"clRed", 0xFF}, {"clBtnFace", int32_t(0x8000000F)}};

class TLook : public TPersistent {
  YOZ_CLASS(TLook, TPersistent)
public:
  std::string FName = "Arial";
  int32_t FSize = 8;
  TSet<TTrait> FTraits;
  int32_t FColour = 0;
  static void Publish(TPublisher<TLook>& p) {
    p.Str("Name", &TLook::FName, &TLook::FName);
    p.Int("Size", &TLook::FSize, &TLook::FSize);
    p.Set("Traits", TraitNames, &TLook::FTraits, &TLook::FTraits);
    p.Int("Colour", &TLook::FColour, &TLook::FColour).Idents(ColourIdents);
  }
};

class TRow : public TCollectionItem {
  YOZ_CLASS(TRow, TCollectionItem)
public:
  using TCollectionItem::TCollectionItem;
  std::string FCaption;
  int32_t FWidth = 50;
  static void Publish(TPublisher<TRow>& p) {
    p.Str("Caption", &TRow::FCaption, &TRow::FCaption);
    p.Int("Width", &TRow::FWidth, &TRow::FWidth).Default(50);
  }
};

using TMeasureEvent = TEvent<TObject*, int&>;

class TWidget : public TComponent {
  YOZ_CLASS(TWidget, TComponent)
public:
  explicit TWidget(TComponent* AOwner)
      : TComponent(AOwner), FLook(new TLook), FLines(new TStringList), FRows(new TCollection(TRow::StaticClass())) {}
  ~TWidget() override {
    delete FLook;
    delete FLines;
    delete FRows;
  }
  TWidget* FParentW = nullptr;
  int32_t FLeft = 0;
  bool FVisible = true;
  TShade FShade = shLight;
  double FRatio = 0;
  std::string FCaption;
  std::string FBlob;
  std::vector<int> FNumbers;
  std::vector<std::string> FNames;
  std::vector<bool> FFlags;
  std::vector<TValueType> FKinds;
  uint8_t FLevel = 0;
  TLook* FLook;
  TStringList* FLines;
  TCollection* FRows;
  TWidget* FBuddy = nullptr;
  TNotifyEvent OnClick;
  TMeasureEvent OnMeasure;

  void SetBuddy(TWidget* b) {
    FBuddy = b;
    if (b) b->FreeNotification(this);
  }
  void SetParentComponent(TComponent* v) override { FParentW = dynamic_cast<TWidget*>(v); }
  TComponent* FReadParent = nullptr;
  void ReadState(TReader* Reader) override {
    FReadParent = Reader->Parent();
    inherited::ReadState(Reader);
  }
  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override { return FParentW; }
  void Notification(TComponent* c, TOperation op) override {
    inherited::Notification(c, op);
    if (op == opRemove && c == FBuddy) FBuddy = nullptr;
  }
  void Loaded() override {
    Log.push_back(Name() + (ComponentState().Contains(csLoading) ? " loading" : "") +
                  (ComponentState().Contains(csReading) ? " reading" : "") + (FBuddy ? " buddy " + FBuddy->Name() : ""));
    inherited::Loaded();
    // Loaded handlers that free components or fail.
    if (FCaption == "fail") throw EConvertError("cannot load");
    if (FCaption.rfind("free ", 0) == 0) TObject::Free(Owner()->FindComponent(FCaption.substr(5)));
  }
  void DefineProperties(TFiler* Filer) override {
    inherited::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "Blob",
        [this](TStream* s) {
          FBlob.resize(size_t(s->Size()));
          s->ReadBuffer(FBlob.data(), int32_t(FBlob.size()));
        },
        nullptr, !FBlob.empty());
    Filer->DefineProperty(
        "Numbers",
        [this](TReader* r) {
          r->ReadListBegin();
          while (!r->EndOfList()) FNumbers.push_back(r->ReadInteger());
          r->ReadListEnd();
        },
        nullptr, !FNumbers.empty());
    Filer->DefineProperty(
        "Extras",
        [this](TReader* r) {
          r->ReadListBegin();
          while (!r->EndOfList()) {
            FKinds.push_back(r->NextValue());
            switch (r->NextValue()) {
              case vaIdent: FNames.push_back(r->ReadIdent()); break;
              case vaTrue:
              case vaFalse: FFlags.push_back(r->ReadBoolean()); break;
              case vaExtended: FNumbers.push_back(int(r->ReadFloat() * 10)); break;
              case vaString: FNames.push_back(r->ReadString()); break;
              default: FNumbers.push_back(r->ReadInteger());
            }
          }
          r->ReadListEnd();
          FKinds.push_back(r->NextValue());
        },
        nullptr, false);
  }
  static void Publish(TPublisher<TWidget>& p) {
    p.Int("Left", &TWidget::FLeft, &TWidget::FLeft);
    p.Int("Level", &TWidget::FLevel, &TWidget::FLevel);
    p.Bool("Visible", &TWidget::FVisible, &TWidget::FVisible).Default(1);
    p.Enum("Shade", ShadeNames, &TWidget::FShade, &TWidget::FShade);
    p.Float("Ratio", &TWidget::FRatio, &TWidget::FRatio);
    p.Str("Caption", &TWidget::FCaption, &TWidget::FCaption);
    p.Object("Look", &TWidget::FLook);
    p.Object("Lines", &TWidget::FLines);
    p.Object("Rows", &TWidget::FRows);
    p.Ref("Buddy", &TWidget::FBuddy, &TWidget::SetBuddy);
    p.Event("OnClick", &TWidget::OnClick);
    p.Event("OnMeasure", &TWidget::OnMeasure);
  }
};

class TSampleForm : public TComponent {
  YOZ_CLASS(TSampleForm, TComponent)
public:
  explicit TSampleForm(TComponent* AOwner) : TComponent(AOwner) {}
  int Clicks = 0;
  void ButtonClick(TObject* Sender) { ++Clicks; }
  void Loaded() override {
    Log.push_back(Name() + (ComponentState().Contains(csLoading) ? " loading" : ""));
    inherited::Loaded();
  }
  static void Publish(TPublisher<TSampleForm>& p) {
    p.Method("ButtonClick", &TSampleForm::ButtonClick);
  }
};

class FormReader : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterClasses({TWidget::StaticClass(), TSampleForm::StaticClass()}); }
  void SetUp() override {
    Log.clear();
    ReadComponentFromText("object frmElsewhere: TSampleForm\n object wFar: TWidget\n end\nend\n", &elsewhere);
    Log.clear();
  }
  TSampleForm elsewhere{nullptr};
  TWidget* W(TComponent* root, const char* name) { return dynamic_cast<TWidget*>(root->FindComponent(name)); }
};

TEST_F(FormReader, ReadsEveryKindOfValue) {
  TSampleForm form(nullptr);
  ReadComponentRes("TSampleForm", &form);
  EXPECT_EQ(form.Name(), "frmSample");
  EXPECT_EQ(form.Tag(), 7);
  ASSERT_EQ(form.ComponentCount(), 3);
  TWidget* top = W(&form, "wTop");
  TWidget* inner = W(&form, "wInner");
  ASSERT_TRUE(top && inner);
  EXPECT_EQ(top->FLeft, -12);
  EXPECT_FALSE(top->FVisible);
  EXPECT_EQ(top->FShade, shDark);
  EXPECT_DOUBLE_EQ(top->FRatio, 1.5);
  EXPECT_EQ(top->FCaption, "It's a \r\ntest continued!");
  EXPECT_EQ(top->FLook->FName, "Tahoma");
  EXPECT_EQ(top->FLook->FSize, 10);
  EXPECT_EQ(top->FLook->FTraits, (TSet<TTrait>{trBold, trUnder}));
  EXPECT_EQ(uint32_t(top->FLook->FColour), 0x8000000Fu);
  EXPECT_EQ(top->FLines->Text(), "one\r\ntwo\r\n");
  ASSERT_EQ(top->FRows->Count(), 2);
  EXPECT_EQ(static_cast<TRow*>(top->FRows->Items(0))->FCaption, "First");
  EXPECT_EQ(static_cast<TRow*>(top->FRows->Items(0))->FWidth, 80);
  EXPECT_EQ(static_cast<TRow*>(top->FRows->Items(1))->FWidth, 50);
  EXPECT_EQ(top->FBlob, std::string("\x01\x02\xFF\x7F", 4));
  EXPECT_EQ(top->FNumbers, (std::vector<int>{1, 2, -3}));
  EXPECT_EQ(inner->FLines->CommaText(), "a,b,c");
  EXPECT_DOUBLE_EQ(inner->FRatio, 2.0);
  // Children of a child are owned by the root and parented to the child.
  EXPECT_EQ(inner->Owner(), &form);
  EXPECT_EQ(inner->FParentW, top);
  EXPECT_EQ(top->FParentW, nullptr);
  EXPECT_EQ(inner->FReadParent, top);
  EXPECT_EQ(top->FReadParent, &form);
}

TEST_F(FormReader, BindsEventsByNameAndResolvesReferencesLater) {
  TSampleForm form(nullptr);
  ReadComponentRes("TSampleForm", &form);
  TWidget* top = W(&form, "wTop");
  EXPECT_TRUE(top->OnClick == Bind(&form, &TSampleForm::ButtonClick));
  top->OnClick(top);
  EXPECT_EQ(form.Clicks, 1);
  // A forward reference within the form and one into another root.
  EXPECT_EQ(top->FBuddy, W(&form, "wInner"));
  TWidget* other = W(&form, "wOther");
  EXPECT_EQ(other->FBuddy, W(&elsewhere, "wFar"));
  EXPECT_FALSE(other->OnClick);
  // The other root's component going away clears the reference through the free notification.
  TObject::Free(W(&elsewhere, "wFar"));
  EXPECT_EQ(other->FBuddy, nullptr);
}

TEST_F(FormReader, CallsLoadedRootFirstAfterReferencesAreResolved) {
  TSampleForm form(nullptr);
  ReadComponentRes("TSampleForm", &form);
  EXPECT_EQ(Log, (std::vector<std::string>{"frmSample loading", "wTop loading buddy wInner", "wInner loading",
                                           "wOther loading buddy wFar"}));
  const TComponentState reading{csLoading, csReading};
  for (int i = 0; i < form.ComponentCount(); ++i) EXPECT_TRUE((form.Components(i)->ComponentState() * reading).Empty());
  EXPECT_TRUE((form.ComponentState() * reading).Empty());
  EXPECT_EQ(FindGlobalComponent("frmSample"), &form);
}

TEST_F(FormReader, ReadsAgainIntoAnExistingRootAndMakesRootsFromTheRegistry) {
  TSampleForm form(nullptr);
  ReadComponentRes("TSampleForm", &form);
  TWidget* top = W(&form, "wTop");
  top->FLeft = 99;
  top->FLines->Clear();
  ReadComponentRes("TSampleForm", &form);
  EXPECT_EQ(form.ComponentCount(), 3);
  EXPECT_EQ(W(&form, "wTop"), top);
  EXPECT_EQ(top->FLeft, -12);
  EXPECT_EQ(top->FLines->Count(), 2);
  EXPECT_EQ(top->FRows->Count(), 2);

  TComponent* made = ReadComponentFromText("object frmMade: TSampleForm\n  object w1: TWidget\n  end\nend", nullptr);
  ASSERT_TRUE(made);
  EXPECT_EQ(made->ClassName(), "TSampleForm");
  EXPECT_EQ(made->Name(), "frmMade");
  EXPECT_EQ(made->ComponentCount(), 1);
  TObject::Free(made);
  EXPECT_EQ(FindGlobalComponent("frmMade"), nullptr);
  // A second root of a name already in use gets a unique one.
  TSampleForm twin(nullptr);
  ReadComponentFromText("object frmElsewhere: TSampleForm\nend", &twin);
  EXPECT_EQ(twin.Name(), "frmElsewhere_1");
}

TEST_F(FormReader, ReferenceToARootNotYetThereIsSetWhenItComes) {
  TSampleForm form(nullptr);
  ReadComponentFromText("object frmEarly: TSampleForm\n  object w: TWidget\n    Buddy = frmLater.wLate\n  end\n"
                        "  object v: TWidget\n    Look.Colour = 1\n  end\nend",
                        &form);
  TWidget* w = W(&form, "w");
  EXPECT_EQ(w->FBuddy, nullptr);
  {
    TSampleForm later(nullptr);
    ReadComponentFromText("object frmLater: TSampleForm\n  object wLate: TWidget\n  end\nend", &later);
    EXPECT_EQ(w->FBuddy, W(&later, "wLate"));
  }
  EXPECT_EQ(w->FBuddy, nullptr);  // gone with its form
  // A holder freed before the root comes leaves nothing behind.
  auto* early = new TSampleForm(nullptr);
  ReadComponentFromText("object frmEarly2: TSampleForm\n  object w: TWidget\n    Buddy = frmLater2.wLate\n  end\nend", early);
  TObject::Free(early);
  TSampleForm later2(nullptr);
  ReadComponentFromText("object frmLater2: TSampleForm\n  object wLate: TWidget\n  end\nend", &later2);
}

TEST_F(FormReader, DefinedPropertiesReadValuesOneByOne) {
  TSampleForm form(nullptr);
  ReadComponentFromText("object f: TSampleForm\n  object w: TWidget\n    Extras = (\n      wOne True 'two' 7\n"
                        "      False 2.5 wThree)\n    Left = $FFFFFFFF\n    Level = 255\n  end\nend",
                        &form);
  TWidget* w = W(&form, "w");
  EXPECT_EQ(w->FNames, (std::vector<std::string>{"wOne", "two", "wThree"}));
  EXPECT_EQ(w->FFlags, (std::vector<bool>{true, false}));
  EXPECT_EQ(w->FNumbers, (std::vector<int>{7, 25}));
  EXPECT_EQ(w->FKinds, (std::vector<TValueType>{vaIdent, vaTrue, vaString, vaInt, vaFalse, vaExtended, vaIdent, vaNull}));
  EXPECT_EQ(w->FLeft, -1);   // 32-bit values may be written unsigned
  EXPECT_EQ(w->FLevel, 255);
}

TEST_F(FormReader, LoadedMayFreeComponentsOrFail) {
  TSampleForm form(nullptr);
  ReadComponentFromText("object f: TSampleForm\n  object a: TWidget\n    Caption = 'free c'\n  end\n"
                        "  object b: TWidget\n    Caption = 'free b'\n  end\n  object c: TWidget\n  end\n"
                        "  object d: TWidget\n  end\nend",
                        &form);
  EXPECT_EQ(Log, (std::vector<std::string>{"f loading", "a loading", "b loading", "d loading"}));
  ASSERT_EQ(form.ComponentCount(), 2);
  EXPECT_TRUE(W(&form, "d")->ComponentState().Empty());

  TSampleForm other(nullptr);
  EXPECT_THROW(ReadComponentFromText("object g: TSampleForm\n  object a: TWidget\n    Caption = 'fail'\n  end\n"
                                     "  object b: TWidget\n  end\nend",
                                     &other),
               EConvertError);
  ASSERT_EQ(other.ComponentCount(), 2);
  EXPECT_FALSE(W(&other, "b")->ComponentState().Contains(csLoading));
}

TEST_F(FormReader, MissingResourceRaises) {
  TSampleForm form(nullptr);
  EXPECT_FALSE(ComponentResExists("TNoSuchForm"));
  EXPECT_TRUE(ComponentResExists("TSampleForm"));
  EXPECT_THROW(ReadComponentRes("TNoSuchForm", &form), EResNotFound);
}

struct BrokenCase {
  const char* Text;
  int Line;
  const char* Fragment;
};

TEST_F(FormReader, DamagedTextNamesTheLineAndLeavesNothingBehind) {
  const BrokenCase cases[] = {
      {"object f: TSampleForm\n  object w: TWidget\n    Left = 1\n", 4, "'end' expected"},
      {"object f: TSampleForm\n  object w: TNoSuchWidget\n  end\nend", 2, "Class TNoSuchWidget not found"},
      {"object f: TSampleForm\n  object w: TWidget\n    Width = 3\n  end\nend", 3, "Property Width does not exist"},
      {"object f: TSampleForm\n  object w: TWidget\n\n    Shade = shPurple\n  end\nend", 4, "Invalid property value"},
      {"object f: TSampleForm\n  object w: TWidget\n    Caption = 'open\n  end\nend", 3, "Unterminated string"},
      {"object f: TSampleForm\n  object w: TWidget\n    Look.Traits = [trBold, trHeavy]\n  end\nend", 3,
       "Invalid property value"},
      {"object f: TSampleForm\n  object w: TWidget\n    Left 5\n  end\nend", 3, "'=' expected"},
      {"object f: TSampleForm\n  object w: TWidget\n    OnClick = NoHandler\n  end\nend", 3, "Method NoHandler not found"},
      {"object f: TSampleForm\n  object w: TWidget\n    OnMeasure = ButtonClick\n  end\nend", 3, "does not fit"},
      {"object f: TSampleForm\n  object w: TWidget\n  end\n  object W: TWidget\n  end\nend", 4, "already exists"},
      {"object f: TSampleForm\n  object w: TWidget\n    Blob = {0A1}\n  end\nend", 3, "Invalid binary value"},
      {"object f: TSampleForm\n  object w: TWidget\n    Left = 99999999999999999999\n  end\nend", 3, "Number too large"},
      {"object f: TSampleForm\n  object w: TWidget\n    Left = 'text'\n  end\nend", 3, "Invalid property value"},
      {"object f: TSampleForm\nend\nend", 3, "End of text expected"},
      {"object f: TSampleForm\n  object w: TWidget\n    Numbers = (1 'x')\n  end\nend", 3, "Integer expected"},
      {"object f: TSampleForm\n  object w: TWidget\n    Lines = (1)\n  end\nend", 3, "String expected"},
      {"object f: TSampleForm\n  object w: TWidget\n    Look.Size.X = 1\n  end\nend", 3, "Property Size does not exist"},
      {"object f: TSampleForm\n  object w: TWidget\n    Rows = <\n      item\n        Colour = 1\n      end>\n  end\nend", 5,
       "Property Colour does not exist"},
      {"object f: TSampleForm\n  object w: TWidget\n    Buddy = f\n  end\nend", 3, "is not a TWidget"},
      {"object f: TSampleForm\n  object 1w: TWidget\n  end\nend", 2, "Class name expected"},
      {"", 1, "'object' expected"},
      {"object f: TSampleForm\n  object w: TWidget\n    Level = 256\n  end\nend", 3, "Value out of range"},
      {"object f: TSampleForm\n  object w: TWidget\n    Left = 4294967296\n  end\nend", 3, "Value out of range"},
      {"object f: TSampleForm\n  object w: TWidget\n    Numbers = (1\n  2\n  True)\n  end\nend", 5, "Integer expected"},
      {"object f: TSampleForm\n  object w: TWidget\n    Blob = (1)\n  end\nend", 3, "Binary value expected"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TSampleForm form(nullptr);
    try {
      ReadComponentFromText(c.Text, &form);
      ADD_FAILURE() << "no error";
    } catch (const EParserError& e) {
      EXPECT_EQ(e.Line, c.Line);
      EXPECT_NE(e.Message.find(c.Fragment), std::string::npos) << e.Message;
      EXPECT_NE(e.Message.find("line " + std::to_string(c.Line)), std::string::npos) << e.Message;
    }
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_TRUE(form.ComponentState().Empty());
    EXPECT_TRUE(Log.empty());
    Log.clear();
  }
}

// A failed read into a root that already had components keeps them and clears their loading state.
TEST_F(FormReader, FailedReadKeepsComponentsThatWereThere) {
  TSampleForm form(nullptr);
  ReadComponentFromText("object f: TSampleForm\n  object w: TWidget\n  end\nend", &form);
  EXPECT_THROW(ReadComponentFromText("object f: TSampleForm\n  object w: TWidget\n  end\n  object v: TWidget\n"
                                     "    Left = x\n  end\nend",
                                     &form),
               EReadError);
  ASSERT_EQ(form.ComponentCount(), 1);
  EXPECT_TRUE(form.Components(0)->ComponentState().Empty());
}

}  // namespace
