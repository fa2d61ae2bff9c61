// Creating an automation object from a ProgID into a slot.
#pragma once

#include "base/text.h"
#include "platform/variant.h"

namespace web {

// Looks `progId` up, instantiates its class (all server kinds; again without remote servers
// when that set is refused as an invalid argument), puts the object into its running state
// and stores it in `slot`, releasing what the slot held. On false the slot is unchanged.
bool CreateObjectFromProgId(const base::Text& progId, platform::ObjectRef& slot);

}  // namespace web
