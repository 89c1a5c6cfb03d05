// Parameter data files (*.PRM): writer and reader.
#include "files/parameter_file.h"
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include "files/guarded_file.h"
#include "protocol/number_format.h"

namespace {
constexpr char HEADER[] = "No,Type,Parameter Name,Value,Unit\r\n";
constexpr uint8_t CTRL_Z = 0x1A;
constexpr uint32_t VALUE_FIELD_MAX = 15;   // the widest field a format word can read

bool hasKind(const ParameterDefinition& def) {
  return def.kind == 'D' || def.kind == 'H' || def.kind == 'B' || def.kind == 'N' ||
         def.kind == 'S';
}

uint16_t valueSize(const ParameterDefinition& def) {
  if (def.kind == 'B' || def.kind == 'N' || def.kind == 'S') return 2;
  return def.size == 1 || def.size == 4 ? def.size : 2;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads a Value field for one definition into the low `size` bytes of value.
bool readValue(const ParameterDefinition& def, const char* field, uint32_t length, int32_t* value) {
  if (length == 0 || length > VALUE_FIELD_MAX) return false;
  uint16_t size = valueSize(def);
  uint32_t parsed = 0;
  if (def.kind == 'D') {
    // More fraction digits than the format holds would silently change the value.
    int digits = (def.format & FMT_FRACTION_MASK) >> 4;
    for (uint32_t k = 0; k < length; ++k)
      if (field[k] == '.') {
        uint32_t after = 0;
        for (uint32_t j = k + 1; j < length; ++j)
          if (field[j] >= '0' && field[j] <= '9') ++after;
        if (after > static_cast<uint32_t>(digits)) return false;
        break;
      }
    uint16_t word = static_cast<uint16_t>((def.format & ~(FMT_WIDTH_MASK | FMT_LEFT | FMT_ZERO_FILL)) |
                                          length);
    if (parseNumber(word, field, &parsed) != 0) return false;
  } else {
    uint16_t storage = size == 1 ? 0 : size == 2 ? 2 : 4;
    uint16_t word = static_cast<uint16_t>(0x4000 | (storage << 8) | length);
    if (parseNumber(word, field, &parsed) != 0) return false;
  }
  std::memcpy(value, &parsed, size);   // little-endian: the low bytes
  return true;
}
}  // namespace

uint32_t parameterFileCapacity(const ParameterTable* table) {
  uint32_t total = sizeof HEADER + 1;
  for (uint16_t k = 0; k < table->count && k < MAX_DEFINITIONS; ++k) {
    const ParameterDefinition& def = table->entries[k];
    if (!def.valueValid || !hasKind(def)) continue;
    // "Pn0000," + kind + "," + name (commas doubled in bytes) + "," + value + "," + unit + CR LF
    uint32_t name = def.name ? 2 * static_cast<uint32_t>(std::strlen(def.name)) : 0;
    uint32_t unit = def.unit ? static_cast<uint32_t>(std::strlen(def.unit)) : 1;
    total += 7 + 2 + name + 1 + 16 + 1 + unit + 2;
  }
  return total;
}

uint32_t formatParameterFile(const ParameterTable* table, char* out) {
  char* w = out;
  std::memcpy(w, HEADER, sizeof HEADER - 1);
  w += sizeof HEADER - 1;
  for (uint16_t k = 0; k < table->count && k < MAX_DEFINITIONS; ++k) {
    const ParameterDefinition& def = table->entries[k];
    if (!def.valueValid || !hasKind(def)) continue;
    w += std::snprintf(w, 10, "Pn%04X,%c,", def.number, def.kind);
    // A comma inside a name would shift the fields of the line; write the
    // Japanese comma (Shift-JIS 81 41) instead. The name field is never read back.
    for (const char* n = def.name; n && *n; ++n) {
      if (*n == ',') {
        *w++ = static_cast<char>(0x81);
        *w++ = 0x41;
      } else {
        *w++ = *n;
      }
    }
    *w++ = ',';
    uint16_t size = valueSize(def);
    if (def.kind == 'D') {
      int32_t value = def.value;
      formatNumber(static_cast<uint16_t>(def.format & ~FMT_LEFT), &value, w);
      w += formatWidth(def.format);
    } else {
      uint32_t bits = static_cast<uint32_t>(def.value);
      if (size == 1) w += std::snprintf(w, 3, "%02X", bits & 0xFF);
      else if (size == 2) w += std::snprintf(w, 5, "%04X", bits & 0xFFFF);
      else w += std::snprintf(w, 9, "%08X", bits);
    }
    *w++ = ',';
    if (def.kind == 'D' || def.kind == 'H') {
      if (def.unit) {
        size_t length = std::strlen(def.unit);
        std::memcpy(w, def.unit, length);
        w += length;
      }
    } else {
      *w++ = '-';
    }
    *w++ = '\r';
    *w++ = '\n';
  }
  *w++ = static_cast<char>(CTRL_Z);
  return static_cast<uint32_t>(w - out);
}

const ParameterValue* findParameterValue(const ParameterValues& values, uint16_t number) {
  for (uint16_t k = 0; k < values.count && k < MAX_DEFINITIONS; ++k)
    if (values.entries[k].number == number) return &values.entries[k];
  return nullptr;
}

void takeParameterValues(const ParameterTable& table, ParameterValues* values) {
  values->count = table.count > MAX_DEFINITIONS ? MAX_DEFINITIONS : table.count;
  for (uint16_t k = 0; k < MAX_DEFINITIONS; ++k) {
    const ParameterDefinition& def = table.entries[k];
    values->entries[k] = {def.number, def.valueValid, def.value};
  }
}

uint16_t parseParameterValues(const char* data, uint32_t size, const ParameterTable& definitions,
                              ParameterValues* values) {
  if (!data || size == 0) return 0xFFFF;
  for (uint16_t k = 0; k < MAX_DEFINITIONS; ++k) values->entries[k].valid = 0;
  uint32_t line = 1;
  int commas = 0;
  bool carriesNumber = false;
  uint16_t number = 0;
  uint32_t fieldStart = 0;
  auto result = [](uint32_t l) { return static_cast<uint16_t>(l < 0xFFFE ? l : 0xFFFE); };
  uint32_t i = 0;
  for (; i < size && static_cast<uint8_t>(data[i]) != CTRL_Z; ++i) {
    char c = data[i];
    if (c == '\n' && i > 0 && data[i - 1] == '\r') {
      if (line > 1 && carriesNumber && commas != 4) return result(line);
      ++line;
      commas = 0;
      carriesNumber = false;
      fieldStart = i + 1;
      continue;
    }
    if (line == 1 || c != ',') continue;
    const char* field = data + fieldStart;
    uint32_t length = i - fieldStart;
    if (commas == 0) {
      if (length != 6 || field[0] != 'P' || field[1] != 'n') return result(line);
      number = 0;
      for (int k = 2; k < 6; ++k) {
        int v = hexValue(field[k]);
        if (v < 0) return result(line);
        number = static_cast<uint16_t>(number * 16 + v);
      }
      carriesNumber = true;
    } else if (commas == 3) {
      for (uint16_t k = 0; k < definitions.count && k < MAX_DEFINITIONS; ++k) {
        const ParameterDefinition& def = definitions.entries[k];
        if (def.number != number || !hasKind(def)) continue;
        if (length >= 2 && field[0] == '-' && field[1] == '-') continue;   // no value
        // A rejected value is not marked valid, so it can never reach the module.
        if (!readValue(def, field, length, &values->entries[k].value)) return result(line);
        values->entries[k].valid = 1;
      }
    } else if (commas == 4) {
      return result(line);   // a sixth field
    }
    ++commas;
    fieldStart = i + 1;
  }
  // A last line without its CR LF must be complete as well.
  if (line > 1 && carriesNumber && commas != 4) return result(line);
  return 0;
}

uint16_t parseParameterFile(const char* data, uint32_t size, ParameterTable* table) {
  if (!data || size == 0) return 0xFFFF;   // nothing read, nothing cleared
  std::unique_ptr<ParameterValues> values(new (std::nothrow) ParameterValues);
  if (!values) return 0xFFFF;
  takeParameterValues(*table, values.get());
  uint16_t result = parseParameterValues(data, size, *table, values.get());
  for (uint16_t k = 0; k < MAX_DEFINITIONS; ++k) {
    table->entries[k].value = values->entries[k].value;
    table->entries[k].valueValid = values->entries[k].valid;
  }
  return result;
}

namespace {
// A missing file is an error: nothing may be loaded or compared from it.
template <typename Parse>
uint16_t readAndParse(const char* path, Parse parse) {
  char* data = nullptr;
  uint32_t size = 0;
  if (readWholeFile(LOCATION_AS_GIVEN, 0, path, &data, &size) != FILE_OK) return 0xFFFF;
  uint16_t result = parse(data, size);
  freeFileData(data);
  return result;
}
}  // namespace

uint16_t readParameterFile(const char* path, ParameterTable* table) {
  return readAndParse(path, [&](const char* data, uint32_t size) { return parseParameterFile(data, size, table); });
}

uint16_t readParameterValues(const char* path, const ParameterTable& definitions, ParameterValues* values) {
  return readAndParse(path, [&](const char* data, uint32_t size) {
    return parseParameterValues(data, size, definitions, values);
  });
}

uint16_t writeParameterFile(const char* path, const ParameterTable* table) {
  uint32_t capacity = parameterFileCapacity(table);
  char* buffer = new (std::nothrow) char[capacity];
  if (!buffer) return 0xFFFF;
  uint32_t length = formatParameterFile(table, buffer);
  uint16_t status = replaceWholeFile(LOCATION_AS_GIVEN, 0, path, buffer, length);
  delete[] buffer;
  return status == FILE_OK ? 0 : 0xFFFF;
}
