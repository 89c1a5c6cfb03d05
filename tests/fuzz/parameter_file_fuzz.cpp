// Fuzz target: the PRM reader against a small definition table of every kind.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "files/definitions.h"
#include "files/parameter_file.h"

namespace {
const char kDefinitions[] =
    "Pn0001:\r\nD:\"a\"{2,-100.00,100.00 [mm]}\r\n"
    "Pn0002:\r\nD:\"b\"{1,0,255}\r\n"
    "Pn0003:\r\nH:\"c\"{4,00000000,FFFFFFFF}\r\n"
    "Pn0004:\r\nB:\"d\"{0,2:\"x\"{0:\"p\" 1:\"q\"}}\r\n"
    "Pn0004:\r\nS:\"e\"{0:\"p\" 1:\"q\"}\r\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto table = [] {
    auto t = std::make_unique<ParameterTable>();
    auto alarms = std::make_unique<AlarmTextTable>();
    clearParameterTable(t.get());
    ModeRecord mode{};
    parseDefinitions(kDefinitions, sizeof kDefinitions - 1, t.get(), alarms.get(), &mode);
    return t;
  }();
  parseParameterFile(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size), table.get());
  // Whatever was read must format back within the writer's buffer.
  static char out[1 << 16];
  if (parameterFileCapacity(table.get()) <= sizeof out) formatParameterFile(table.get(), out);
  return 0;
}
