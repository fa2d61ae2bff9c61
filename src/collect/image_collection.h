// Building the image list of one item from its page address.
#pragma once

#include "base/text.h"
#include "collect/window_ports.h"

namespace collect {

// The pattern that finds product-image paths in the big-image page; its one group is the
// path of an img entry directly followed by an empty name entry and a data entry.
extern const base::Text kImagePattern;

// "http://" + itemHost + "/": what stands before the item number in an item-page address.
base::Text ItemPrefix();

// The big-image page address of `itemNumber`, which is put in unchanged.
base::Text PageAddress(const base::Text& itemNumber);

// Reads the address box, fetches the item's big-image page, and appends one numbered row per
// image path found, probing each before the next, then previews the first row. Stops at
// once, without a preview, when the program is closing.
void CollectImageList(Window& window);

// The collect button: empties the list, then collects.
void CollectButtonClicked(Window& window);

}  // namespace collect
