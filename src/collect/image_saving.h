// Saving every listed image into numbered files.
#pragma once

#include "collect/window_ports.h"

namespace collect {

// With rows listed, asks for a name in the save dialog (opening on the desktop) and writes
// each row's image, downloaded again, to that name + row number + ".jpg". Does nothing for
// an empty list or a cancelled dialog. A row whose download fails or is answered with a
// status outside 200-299 writes no file; every write replaces its target atomically. Stops
// at once when the program is closing.
void SaveAllImages(Window& window);

}  // namespace collect
