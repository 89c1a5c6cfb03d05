// Fuzz target: the definition file parser on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "files/definitions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto table = std::make_unique<ParameterTable>();
  static auto alarms = std::make_unique<AlarmTextTable>();
  clearParameterTable(table.get());
  std::memset(alarms.get(), 0, sizeof *alarms);
  ModeRecord mode{};
  parseDefinitions(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size), table.get(),
                   alarms.get(), &mode);
  // Every stored string must be readable and terminated inside the pool.
  for (int i = 0; i < table->count; ++i)
    if (table->entries[i].name) (void)std::strlen(table->entries[i].name);
  return 0;
}
