// Numeric field texts and unit labels of the dialog toolkit.
#include "toolkit/field_text.h"

#include <cstdio>
#include <cstring>

#include "protocol/number_format.h"

namespace {
char g_positionLabel[UNIT_LABEL_SIZE];
char g_speedLabel[UNIT_LABEL_SIZE];
}

bool formatFieldText(const void* value, uint16_t format, char out[FIELD_TEXT_SIZE]) {
  std::memset(out, 0, FIELD_TEXT_SIZE);
  char text[FIELD_TEXT_SIZE] = {};
  if (formatNumber(static_cast<uint16_t>(format | FMT_LEFT), value, text) != FORMAT_OK) return false;
  int length = formatWidth(format);
  while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == 0)) --length;
  std::memcpy(out, text, length);
  return true;
}

bool parseFieldText(const char* text, uint16_t format, void* result) {
  if (text == nullptr) return false;
  int width = formatWidth(format);
  char field[FIELD_TEXT_SIZE] = {};
  bool hasDigit = false;
  for (int i = 0; i < width && text[i] != 0; ++i) {
    field[i] = text[i];
    char c = text[i];
    hasDigit = hasDigit || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
  }
  // The parser skips blanks, so an empty field would read as zero.
  if (!hasDigit) return false;
  uint32_t value = 0;
  if (parseNumber(format, field, &value) != PARSE_OK) return false;
  std::memcpy(result, &value, formatStorageBytes(format));
  return true;
}

void buildUnitLabelsFrom(uint8_t displayUnit, const char* unitText) {
  g_positionLabel[0] = 0;
  g_speedLabel[0] = 0;
  if (displayUnit >= 2 || unitText == nullptr) return;
  // "[" + unit + "/min]" must fit 10 bytes: at most 3 characters of unit text.
  char unit[4] = {};
  std::snprintf(unit, sizeof unit, "%s", unitText);
  std::snprintf(g_positionLabel, sizeof g_positionLabel, "[%s]", unit);
  std::snprintf(g_speedLabel, sizeof g_speedLabel, "[%s/min]", unit);
}

const char* positionUnitLabel() { return g_positionLabel; }
const char* speedUnitLabel() { return g_speedLabel; }
