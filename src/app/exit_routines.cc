#include "app/exit_routines.h"

#include <algorithm>

namespace app {

void ExitRoutineList::Register(ExitRoutine routine) {
  if (routine == nullptr || Contains(routine)) return;
  routines_.push_back(routine);
}

void ExitRoutineList::RunAll() {
  // Index loop: a routine may register another one while the list runs.
  for (std::size_t i = 0; i < routines_.size(); ++i) routines_[i]();
  routines_.clear();
}

bool ExitRoutineList::Contains(ExitRoutine routine) const {
  return std::find(routines_.begin(), routines_.end(), routine) != routines_.end();
}

ExitRoutineList& ExitRoutines() {
  static ExitRoutineList list;
  return list;
}

}  // namespace app
