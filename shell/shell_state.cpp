// The shell's process-wide state and its portable rules.
#include "shell/shell_state.h"

#include <cstdio>
#include <cstring>

#include "files/definitions.h"
#include "files/file_error.h"
#include "link/link_state.h"
#include "resources/resource.h"

namespace {
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';   // native tests
#endif
}

uint16_t g_motorType = MOTOR_ROTARY;
char g_definitionPath[PATH_BYTES];
char g_startDirectory[PATH_BYTES];

uint16_t motorTypeFromValue(bool present, uint32_t size, uint32_t value) {
  return present && size == 4 && value == MOTOR_LINEAR ? MOTOR_LINEAR : MOTOR_ROTARY;
}

void trimStartDirectory(char* directory) {
  size_t length = std::strlen(directory);
  if (length > 0 && directory[length - 1] == kSeparator) directory[length - 1] = 0;
}

bool recordStartDirectory(const char* directory) {
  std::memset(g_startDirectory, 0, PATH_BYTES);
  size_t length = std::strlen(directory);
  if (length >= static_cast<size_t>(START_DIRECTORY_BYTES)) return false;
  std::memcpy(g_startDirectory, directory, length);
  trimStartDirectory(g_startDirectory);
  return true;
}

void startDirectoryPath(const char* name, char out[PATH_BYTES]) {
  std::memset(out, 0, PATH_BYTES);
  // Both parts are bounded, so the whole always fits.
  std::snprintf(out, PATH_BYTES, "%.*s%c%.*s", START_DIRECTORY_BYTES - 1, g_startDirectory, kSeparator,
                PATH_BYTES - START_DIRECTORY_BYTES - 2, name);
}

void startDefinitionPath(uint16_t motorType, char out[PATH_BYTES]) {
  startDirectoryPath(motorType == MOTOR_ROTARY ? ROTARY_DEFINITIONS : LINEAR_DEFINITIONS, out);
}

bool isListDialog(uint32_t templateId) {
  return templateId == IDD_SERVO_PARAM_LIST || templateId == IDD_POINT_LIST ||
         templateId == IDD_OPTION_PARAM_LIST;
}

void statusFieldEdges(bool debugMode, int edges[STATUS_FIELD_COUNT]) {
  for (int i = 0; i < STATUS_FIELD_COUNT; ++i) edges[i] = 100 * (i + 1);
  if (debugMode) edges[STATUS_FIELD_COUNT - 1] = 1600;
}

StatusFieldLook statusFieldLook(int field, uint8_t ready, uint8_t servoOn, uint8_t mainOn,
                                uint8_t alarm, bool debugMode, uint16_t motorType) {
  switch (field) {
    case 0: return ready ? StatusFieldLook{FIELD_GREEN, IDS_READY, false} : StatusFieldLook{FIELD_GREY, 0, false};
    case 1: return servoOn ? StatusFieldLook{FIELD_GREEN, IDS_SERVO_ON, false}
                           : StatusFieldLook{FIELD_GREY, IDS_SERVO_OFF, false};
    case 2: return mainOn ? StatusFieldLook{FIELD_GREEN, IDS_MAIN_ON, false}
                          : StatusFieldLook{FIELD_GREY, IDS_MAIN_OFF, false};
    case 3: return alarm ? StatusFieldLook{FIELD_RED, IDS_ALARM, false} : StatusFieldLook{FIELD_GREY, 0, false};
    case 4:
      if (debugMode) return {FIELD_GREY, 0, true};
      if (motorType == MOTOR_ROTARY) return {FIELD_GREY, IDS_ROTARY_MOTOR, false};
      if (motorType == MOTOR_LINEAR) return {FIELD_GREY, IDS_LINEAR_MOTOR, false};
      return {FIELD_GREY, 0, false};
    default: return {FIELD_GREY, 0, false};
  }
}

uint16_t reloadDefinitions(const char* path) {
  ModeSnapshot kept = saveModeRecord();
  clearDefinitions();
  uint16_t result = loadDefinitions(path);
  // A file that fails half-way leaves no half-filled table behind.
  if (result != 0) clearDefinitions();
  restoreModeRecord(kept);
  return result;
}

uint16_t loadMotorDefinitions(uint16_t motorType) {
  char path[PATH_BYTES];
  startDefinitionPath(motorType, path);
  uint16_t result = reloadDefinitions(path);
  if (result == 0) return motorType;
  showFileError(nullptr, FILE_ERROR_DEFINITION_READ, result);
  uint16_t other = motorType == MOTOR_ROTARY ? MOTOR_LINEAR : MOTOR_ROTARY;
  startDefinitionPath(other, path);
  return reloadDefinitions(path) == 0 ? other : 0;
}
