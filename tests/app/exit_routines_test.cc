#include "app/exit_routines.h"

#include <string>

#include <gtest/gtest.h>

namespace app {
namespace {

std::string calls;

void A() { calls += "A"; }
void B() { calls += "B"; }
void C() { calls += "C"; }

TEST(ExitRoutineListTest, RunsEachOnceInRegistrationOrder) {
  calls.clear();
  ExitRoutineList list;
  list.Register(B);
  list.Register(A);
  list.Register(C);
  list.RunAll();
  EXPECT_EQ(calls, "BAC");

  list.RunAll();  // a second run finds nothing left
  EXPECT_EQ(calls, "BAC");
  EXPECT_EQ(list.Count(), 0);
}

TEST(ExitRoutineListTest, SecondRegistrationOfTheSameRoutineIsIgnored) {
  calls.clear();
  ExitRoutineList list;
  list.Register(A);
  list.Register(B);
  list.Register(A);
  list.Register(nullptr);
  EXPECT_EQ(list.Count(), 2);
  list.RunAll();
  EXPECT_EQ(calls, "AB");
}

}  // namespace
}  // namespace app
