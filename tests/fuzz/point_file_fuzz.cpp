// Fuzz target: the PNT reader, and the writer on whatever it read.
#include <cstddef>
#include <cstdint>

#include "files/point_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PointEntry points[50] = {};
  parsePointFile(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size), points);
  char out[2048];
  formatPointFile(points, out);
  return 0;
}
