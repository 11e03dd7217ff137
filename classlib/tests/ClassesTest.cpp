#include <gtest/gtest.h>

#include "Classes.h"

namespace {

enum TFruit { frApple, frPear, frPlum };
const TEnumInfo FruitNames{"TFruit", {"frApple", "frPear", "frPlum"}};
using TFruits = TSet<TFruit>;

class TProbe : public TComponent {
  YOZ_CLASS(TProbe, TComponent)
public:
  explicit TProbe(TComponent* AOwner) : TComponent(AOwner) {}
  int32_t FCount = 0;
  TFruit FFruit = frApple;
  TFruits FFruits;
  std::string FCaption;
  TProbe* FBuddy = nullptr;
  TNotifyEvent OnPing;
  std::vector<std::string>* Log = nullptr;
  void Notification(TComponent* c, TOperation op) override {
    inherited::Notification(c, op);
    if (op == opRemove && c == FBuddy) FBuddy = nullptr;
    if (Log) Log->push_back(Name() + (op == opRemove ? " -" : " +") + c->Name());
  }
  void SetBuddy(TProbe* b) {
    FBuddy = b;
    if (b) b->FreeNotification(this);
  }
  void Pinged(TObject* Sender) { ++FCount; }
  static void Publish(TPublisher<TProbe>& p) {
    p.Int("Count", &TProbe::FCount, &TProbe::FCount).Default(0);
    p.Enum("Fruit", FruitNames, &TProbe::FFruit, &TProbe::FFruit);
    p.Set("Fruits", FruitNames, &TProbe::FFruits, &TProbe::FFruits);
    p.Str("Caption", &TProbe::FCaption, &TProbe::FCaption);
    p.Ref("Buddy", &TProbe::FBuddy, &TProbe::SetBuddy);
    p.Event("OnPing", &TProbe::OnPing);
    p.Method("Pinged", &TProbe::Pinged);
  }
};

class TPlain : public TComponent {
  YOZ_CLASS(TPlain, TComponent)
public:
  using TComponent::TComponent;
};

TEST(ClassInfo, NamesParentsAndProperties) {
  TProbe p(nullptr);
  EXPECT_EQ(p.ClassName(), "TProbe");
  EXPECT_TRUE(p.InheritsFrom(TComponent::StaticClass()));
  EXPECT_FALSE(TComponent::StaticClass()->InheritsFrom(TProbe::StaticClass()));
  EXPECT_EQ(TPlain::StaticClass()->Own().Props.size(), 0u);
  auto* prop = TProbe::StaticClass()->FindProp("fruits");
  ASSERT_TRUE(prop);
  prop->SetOrd(&p, TFruits{frPear, frPlum}.Bits());
  EXPECT_EQ(p.FFruits, (TFruits{frPear, frPlum}));
  TObject* made = TProbe::StaticClass()->Create(&p);
  EXPECT_EQ(static_cast<TComponent*>(made)->Owner(), &p);
}

TEST(Events, BindCompareCallAndBindByName) {
  TProbe a(nullptr), b(nullptr);
  TNotifyEvent e1 = Bind(&a, &TProbe::Pinged), e2 = Bind(&a, &TProbe::Pinged), e3 = Bind(&b, &TProbe::Pinged);
  EXPECT_TRUE(e1 == e2);
  EXPECT_FALSE(e1 == e3);
  EXPECT_FALSE(TNotifyEvent());
  e1(nullptr);
  EXPECT_EQ(a.FCount, 1);
  TNotifyEvent().operator()(nullptr);  // a null delegate does nothing
  auto* m = TProbe::StaticClass()->FindMethod("PINGED");
  ASSERT_TRUE(m);
  TMethod bound = m->Proto;
  bound.Data = m->Cast(&b);
  TProbe::StaticClass()->FindProp("OnPing")->SetMethod(&a, bound);
  a.OnPing(&a);
  EXPECT_EQ(b.FCount, 1);
  EXPECT_TRUE(a.OnPing == e3);
}

}  // namespace
