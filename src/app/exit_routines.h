// The routines that run once when the program ends.
#pragma once

#include <vector>

namespace app {

using ExitRoutine = void (*)();

// An ordered list of routines, each run once, in the order they were registered.
class ExitRoutineList {
 public:
  // Adds `routine` at the end; a routine already in the list (or null) is not added again.
  void Register(ExitRoutine routine);
  // Runs every registered routine in registration order and empties the list, so a second
  // call runs nothing. A routine registered while running runs in the same pass.
  void RunAll();
  bool Contains(ExitRoutine routine) const;
  int Count() const { return static_cast<int>(routines_.size()); }

 private:
  std::vector<ExitRoutine> routines_;
};

// The program's one list.
ExitRoutineList& ExitRoutines();

}  // namespace app
