// Fuzz target: taking a settings image of any size and content.
#include <cstddef>
#include <cstdint>

#include "files/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SettingsBlock block;
  setDefaultSettings(&block);
  if (takeSettingsImage(data, static_cast<uint32_t>(size), &block) == 0) normaliseSettings(&block);
  return 0;
}
