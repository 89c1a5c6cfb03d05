// Point-table data files (*.PNT): writer and reader.
#include "files/point_file.h"
#include <cstdio>
#include <cstring>
#include "files/guarded_file.h"

namespace {
constexpr char HEADER[] = "No,Speed,Position\r\n";
constexpr uint8_t CTRL_Z = 0x1A;

// Decimal text with blanks around it and an optional leading "-", taken modulo
// 2^32; magnitudes beyond 32 bits are refused.
bool readDecimal(const char* field, uint32_t length, bool allowSign, uint32_t* out) {
  uint32_t k = 0;
  while (k < length && field[k] == ' ') ++k;
  bool negative = false;
  if (allowSign && k < length && field[k] == '-') {
    negative = true;
    ++k;
  }
  uint64_t value = 0;
  uint32_t digits = 0;
  for (; k < length && field[k] >= '0' && field[k] <= '9'; ++k, ++digits) {
    value = value * 10 + uint32_t(field[k] - '0');
    if (value > 0xFFFFFFFFull) return false;
  }
  while (k < length && field[k] == ' ') ++k;
  if (k != length || digits == 0) return false;
  uint32_t bits = static_cast<uint32_t>(value);
  *out = negative ? 0u - bits : bits;
  return true;
}
}  // namespace

void formatPointFile(const PointEntry* points, char* out) {
  std::memcpy(out, HEADER, sizeof HEADER - 1);
  char* w = out + sizeof HEADER - 1;
  char line[40];
  for (int k = 0; k < POINT_COUNT; ++k) {
    std::snprintf(line, sizeof line, "%3d,%10u,%10u\r\n", k + 1, points[k].speed,
                  static_cast<uint32_t>(points[k].position));
    std::memcpy(w, line, 27);
    w += 27;
  }
  *w = static_cast<char>(CTRL_Z);
}

uint16_t parsePointFile(const char* data, uint32_t size, PointEntry* points) {
  if (!data || size == 0) return 0xFFFF;
  uint32_t line = 1;
  int fields = 0;          // fields closed on this line
  int point = -1;          // index of the point the line carries
  uint32_t fieldStart = 0;
  auto result = [](uint32_t l) { return static_cast<uint16_t>(l < 0xFFFE ? l : 0xFFFE); };
  for (uint32_t i = 0; i < size && static_cast<uint8_t>(data[i]) != CTRL_Z; ++i) {
    char c = data[i];
    if (c == '\n' && i > 0 && data[i - 1] == '\r') {
      if (line > 1 && point >= 0 && fields != 3) return result(line);
      ++line;
      fields = 0;
      point = -1;
      fieldStart = i + 1;
      continue;
    }
    if (line == 1 || (c != ',' && c != '\r')) continue;
    const char* field = data + fieldStart;
    uint32_t length = i - fieldStart;
    fieldStart = i + 1;
    if (fields == 0) {
      if (c == '\r' && length == 0) continue;   // a blank line
      uint32_t number = 0;
      if (!readDecimal(field, length, false, &number) || number < 1 || number > POINT_COUNT)
        return result(line);
      point = static_cast<int>(number) - 1;
    } else if (fields == 1) {
      uint32_t speed = 0;
      if (c != ',' || !readDecimal(field, length, true, &speed)) return result(line);
      points[point].speed = speed;
    } else if (fields == 2) {
      uint32_t position = 0;
      if (c != '\r' || !readDecimal(field, length, true, &position)) return result(line);
      points[point].position = static_cast<int32_t>(position);
    } else if (c == '\r') {
      continue;   // the CR after an error-free line end is not a field
    } else {
      return result(line);
    }
    ++fields;
    if (c == '\r' && fields < 3) return result(line);
  }
  if (line > 1 && point >= 0 && fields != 3) return result(line);
  return 0;
}

uint16_t readPointFile(const char* path, PointEntry* points) {
  char* data = nullptr;
  uint32_t size = 0;
  if (readWholeFile(LOCATION_AS_GIVEN, 0, path, &data, &size) != FILE_OK) return 0xFFFF;
  uint16_t result = parsePointFile(data, size, points);
  freeFileData(data);
  return result;
}

uint16_t writePointFile(const char* path, const PointEntry* points) {
  char buffer[POINT_FILE_SIZE + 64];
  formatPointFile(points, buffer);
  return replaceWholeFile(LOCATION_AS_GIVEN, 0, path, buffer, POINT_FILE_SIZE) == FILE_OK ? 0
                                                                                         : 0xFFFF;
}
