// Environment settings: interval validation and the unit-to-format mapping.
#include "files/environment_settings.h"

#include <cstring>

#include "files/settings.h"
#include "protocol/number_format.h"
#include "resources/resource.h"

bool parseRepeatInterval(const char* text, uint16_t* interval) {
  if (text == nullptr) return false;
  size_t length = std::strlen(text);
  if (length > INTERVAL_MAX_CHARS) return false;
  // An empty field is not a number, though the parser would skip its blanks.
  bool hasDigit = false;
  for (size_t i = 0; i < length; ++i) hasDigit = hasDigit || (text[i] >= '0' && text[i] <= '9');
  if (!hasDigit) return false;
  char field[INTERVAL_MAX_CHARS] = {};
  std::memcpy(field, text, length);
  uint16_t value = 0;
  if (parseNumber(INTERVAL_FORMAT, field, &value) != PARSE_OK) return false;
  *interval = value;
  return true;
}

uint16_t confirmEnvironmentSettings(OwnerHandle owner, const char* intervalText,
                                    int displayUnit, int commandUnit) {
  EnvironmentSettings& env = g_settings.environment;
  env.displayUnit = static_cast<uint8_t>(displayUnit >= 0 && displayUnit < DISPLAY_UNIT_COUNT ? displayUnit : 0);
  env.commandUnit = static_cast<uint8_t>(commandUnit >= 0 && commandUnit < COMMAND_UNIT_COUNT ? commandUnit : 0);
  uint16_t interval = 0;
  if (!parseRepeatInterval(intervalText, &interval)) {
    promptMessage(owner, IDS_INVALID_INPUT, nullptr, IDS_CAPTION, PROMPT_OK | PROMPT_ICON_ERROR);
    return 0;
  }
  env.repeatInterval = interval;
  env.valueFormat = valueFormatForUnit(env.commandUnit);
  return 1;
}
