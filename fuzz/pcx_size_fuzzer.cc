// Arbitrary bytes through the PCX reader: header checks and the run-length walk.
#include <cstddef>
#include <cstdint>

#include "base/pcx_size.h"
#include "picture_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckPictureSize(base::PcxPictureSize(data, size));
  return 0;
}
