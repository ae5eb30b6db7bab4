#include <gtest/gtest.h>

#include "platform/core/Classes.h"

using namespace core;

namespace {

// Holds a reference to another component and clears it when that one dies.
class TWatcher : public TComponent {
 public:
  using TComponent::TComponent;
  TComponent* Target = nullptr;
  void Watch(TComponent* c) {
    Target = c;
    FreeNotification(c);
  }

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == Target) Target = nullptr;
  }
};

}  // namespace

TEST(Component, OwnerFreesOwnedAndFindsByNameIgnoringCase) {
  auto* owner = new TComponent(nullptr);
  auto* a = new TComponent(owner);
  a->SetName("btnEntrar");
  auto* b = new TComponent(a);
  b->SetName("inner");
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->FindComponent("BTNENTRAR"), a);
  EXPECT_EQ(a->FindComponent("inner"), b);
  EXPECT_THROW(TComponent(owner).SetName("btnentrar"), EToolkitError);
  delete owner;  // frees a and b; ASan reports any leak or double free
}

TEST(Component, FreeNotificationClearsReferenceBothWays) {
  TComponent root;
  auto* w = new TWatcher(&root);
  auto* t = new TComponent(nullptr);
  w->Watch(t);
  delete t;
  EXPECT_EQ(w->Target, nullptr);
  // The watcher dying first must not leave a stale entry in the target.
  auto* t2 = new TComponent(nullptr);
  w->Watch(t2);
  delete w;
  delete t2;
  EXPECT_EQ(root.ComponentCount(), 0);
}

TEST(Component, PublishedPropertiesByName) {
  TComponent c;
  c.SetPropValue("name", std::string("edtLogin"));
  c.SetPropValue("TAG", int64_t{7});
  EXPECT_EQ(std::get<std::string>(c.GetPropValue("Name")), "edtLogin");
  EXPECT_EQ(c.Tag, 7);
  EXPECT_FALSE(c.HasProperty("Caption"));
  EXPECT_THROW(c.GetPropValue("Caption"), EToolkitError);
}

TEST(Strings, TextRoundTripAndIndexOf) {
  TStrings s;
  int changes = 0;
  s.OnChange = [&] { ++changes; };
  s.SetText("SELECT\r\n  SIT.*\nFROM");
  ASSERT_EQ(s.Count(), 3);
  EXPECT_EQ(s[1], "  SIT.*");
  EXPECT_EQ(s.Text(), "SELECT\n  SIT.*\nFROM\n");
  EXPECT_EQ(s.IndexOf("from"), 2);
  EXPECT_EQ(s.IndexOf("WHERE"), -1);
  EXPECT_EQ(changes, 1);
}
