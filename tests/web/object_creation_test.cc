#include "web/object_creation.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "platform/apartment.h"
#include "platform/class_registry.h"
#include "platform/dispatch.h"

namespace web {
namespace {

using platform::ObjectRef;
using platform::Status;

class Thing : public platform::AutomationObject {
 public:
  explicit Thing(Status runStatus = Status::ok) : runStatus_(runStatus) {}
  Status Run() override { return runStatus_; }

 private:
  Status runStatus_;
};

class ObjectCreationTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::InitializeComponentServices(); }
  void TearDown() override {
    platform::ResetClassRegistry();
    platform::UninitializeComponentServices();
  }

  // Registers "Test.Thing", whose factory answers `status` (making `made` on ok) and notes
  // each server set it is asked for.
  void RegisterThing(std::shared_ptr<Thing> made, Status (*refuse)(unsigned kinds)) {
    platform::RegisterClass(u"Test.Thing", [this, made, refuse](unsigned kinds, ObjectRef& out) {
      askedKinds_.push_back(kinds);
      Status status = refuse(kinds);
      if (status == Status::ok) out = made;
      return status;
    });
  }

  std::vector<unsigned> askedKinds_;
};

constexpr unsigned kLocal =
    platform::inProcessServer | platform::inProcessHandler | platform::localServer;
constexpr unsigned kAll = kLocal | platform::remoteServer;

TEST_F(ObjectCreationTest, RetriesWithoutRemoteServersOnlyWhenTheSetIsRefused) {
  struct Case {
    const char* label;
    Status (*refuse)(unsigned kinds);
    bool created;
    std::vector<unsigned> asked;
  };
  const Case cases[] = {
      {"accepted", [](unsigned) { return Status::ok; }, true, {kAll}},
      {"remote refused",
       [](unsigned k) { return (k & platform::remoteServer) ? Status::invalidArgument : Status::ok; },
       true, {kAll, kLocal}},
      {"always refused", [](unsigned) { return Status::invalidArgument; }, false, {kAll, kLocal}},
      {"other failure is final", [](unsigned) { return Status::exception; }, false, {kAll}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    askedKinds_.clear();
    auto made = std::make_shared<Thing>();
    RegisterThing(made, c.refuse);
    auto previous = std::make_shared<Thing>();
    ObjectRef slot = previous;
    EXPECT_EQ(CreateObjectFromProgId("test.THING", slot), c.created);
    EXPECT_EQ(askedKinds_, c.asked);
    EXPECT_EQ(slot, c.created ? ObjectRef(made) : ObjectRef(previous));
  }
}

TEST_F(ObjectCreationTest, AnObjectThatWillNotRunIsReleasedAndTheSlotKept) {
  std::weak_ptr<Thing> watch;
  {
    auto made = std::make_shared<Thing>(Status::exception);
    watch = made;
    RegisterThing(made, [](unsigned) { return Status::ok; });
  }
  auto previous = std::make_shared<Thing>();
  ObjectRef slot = previous;
  EXPECT_FALSE(CreateObjectFromProgId("Test.Thing", slot));
  EXPECT_EQ(slot, previous);
  platform::UnregisterClass(u"Test.Thing");  // drops the factory's own reference
  EXPECT_TRUE(watch.expired());
}

TEST_F(ObjectCreationTest, FailsForUnknownProgIdsAndUninitialisedThreads) {
  ObjectRef slot;
  EXPECT_FALSE(CreateObjectFromProgId("No.Such.Thing", slot));
  EXPECT_FALSE(CreateObjectFromProgId("", slot));
  EXPECT_EQ(slot, nullptr);
  std::thread([] {
    ObjectRef other;
    EXPECT_FALSE(CreateObjectFromProgId("MSXML2.XMLHTTP", other));
    EXPECT_EQ(other, nullptr);
  }).join();
  EXPECT_TRUE(CreateObjectFromProgId("MSXML2.XMLHTTP", slot));
  EXPECT_NE(slot, nullptr);
}

}  // namespace
}  // namespace web
