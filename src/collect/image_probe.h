// Probing one listed image: its type, size and resolution.
#pragma once

#include "base/text.h"
#include "collect/window_ports.h"

namespace collect {

// The temporary file every probe writes the downloaded image to: "JDtemp.jpg" in the
// temporary-files folder.
base::Text TempImagePath();

// The size column's text for a "Content-Length" value: kilobytes of 1024 bytes rounded to
// one decimal, "%.13g", then "KB". Values beyond 32 bits keep their true size.
base::Text SizeText(const base::Text& contentLength);

// The resolution column's text: "W × H pixels" with the multiplication sign.
base::Text ResolutionText(int width, int height);

// Downloads `imageAddress` with the image headers and writes columns 2 (type), 3 (size) and
// 4 (resolution) of row `rowIndex`. A failed request shows an empty type, "0KB" and
// "0 × 0 pixels"; a temporary file that cannot be written shows "0 × 0 pixels".
void ProbeImageRow(ImageList& imageList, int rowIndex, const base::Text& imageAddress);

}  // namespace collect
