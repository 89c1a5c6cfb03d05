// Benchmark: parse a generated definition file of 4095 definitions of mixed kinds,
// then write and read a PRM file of all of them. Prints the times.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "files/definitions.h"
#include "files/parameter_file.h"

namespace {
double msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

int main() {
  std::string text = "// generated\r\nMODE:STD\r\n";
  char line[256];
  for (int i = 0; i < MAX_DEFINITIONS; ++i) {
    std::snprintf(line, sizeof line, "Pn%04X:\r\n", i);
    text += line;
    switch (i % 5) {
      case 0: text += "D:\"\x91\xAC\x93\x78 decimal\"{4,-99999.99,99999.99 [mm/s]}\r\n"; break;
      case 1: text += "H:\"hex\"{2,0000,FFFF}\r\n"; break;
      case 2: text += "B:\"bits\"{0,1:\"a\"{0:\"off\" 1:\"on\"} 4,2:\"b\"{0:\"x\" 3:\"y\"}}\r\n"; break;
      case 3: text += "N:\"digits\"{0:\"n0\"{0:\"p\" 1:\"q\"} 2:\"n2\"{F:\"r\"}}\r\n"; break;
      default: text += "S:\"select\"{0:\"zero\" 1:\"one\" 2:\"two\"}\r\n"; break;
    }
  }
  auto table = std::make_unique<ParameterTable>();
  auto alarms = std::make_unique<AlarmTextTable>();
  clearParameterTable(table.get());
  ModeRecord mode{};
  const int rounds = 20;
  auto start = std::chrono::steady_clock::now();
  uint16_t result = 0;
  for (int r = 0; r < rounds; ++r) {
    clearParameterTable(table.get());
    result = parseDefinitions(text.data(), static_cast<uint32_t>(text.size()), table.get(), alarms.get(), &mode);
  }
  double parseMs = msSince(start) / rounds;
  if (result != 0 || table->count != MAX_DEFINITIONS) {
    std::printf("parse failed: result %u, count %u\n", result, table->count);
    return 1;
  }
  for (int i = 0; i < table->count; ++i) {
    table->entries[i].value = i;
    table->entries[i].valueValid = 1;
  }
  std::string path = (std::filesystem::temp_directory_path() / "qz_bench_files.PRM").string();
  start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) result |= writeParameterFile(path.c_str(), table.get());
  double writeMs = msSince(start) / rounds;
  start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) result |= readParameterFile(path.c_str(), table.get());
  double readMs = msSince(start) / rounds;
  std::printf("definition file: %zu bytes, %u definitions, parse %.2f ms\n", text.size(), table->count, parseMs);
  std::printf("PRM of %u parameters: %ju bytes, write %.2f ms, read %.2f ms%s\n", table->count,
              static_cast<uintmax_t>(std::filesystem::file_size(path)), writeMs, readMs,
              result ? " (FAILED)" : "");
  std::filesystem::remove(path);
  return result ? 1 : 0;
}
