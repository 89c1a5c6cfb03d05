// Process-wide state of the desktop program's shell: motor type, definition path
// and start directory, with the portable rules around them (the status-bar fields,
// definition reloads); the modeless slots come from toolkit/dialog_rows.h.
#pragma once
#include <cstdint>

#include "toolkit/dialog_rows.h"
#include "toolkit/path_bytes.h"
#include "toolkit/window_messages.h"

constexpr uint16_t MOTOR_ROTARY = 1;
constexpr uint16_t MOTOR_LINEAR = 2;
// The start directory leaves room for a separator and the longest file name the
// program builds on it (definition files, SetData.cfg, the resource library).
constexpr int START_DIRECTORY_BYTES = PATH_BYTES - 32;
constexpr const char* ROTARY_DEFINITIONS = "ParmDef.cfg";
constexpr const char* LINEAR_DEFINITIONS = "ParmDefL.cfg";


extern uint16_t g_motorType;
extern char g_definitionPath[PATH_BYTES];
extern char g_startDirectory[PATH_BYTES];

// Registry value to motor type: only 2 is linear, anything else rotary.
uint16_t motorTypeFromValue(bool present, uint32_t size, uint32_t value);
// Removes a final backslash (a drive root) from the start directory.
void trimStartDirectory(char* directory);
// Takes the current directory at start-up as the start directory. false, with the
// start directory left empty, when it is longer than START_DIRECTORY_BYTES.
bool recordStartDirectory(const char* directory);
// start directory + "\" + name: where the program's own files are, whatever the
// current directory is now.
void startDirectoryPath(const char* name, char out[PATH_BYTES]);
// start directory + "\" + the definition file of the motor type.
void startDefinitionPath(uint16_t motorType, char out[PATH_BYTES]);

// Where a data change notice goes: 111, 135 or 199 are the only list dialogs.
bool isListDialog(uint32_t templateId);

// Status-bar fields: right edges, and what each field shows.
constexpr int STATUS_FIELD_COUNT = 5;
void statusFieldEdges(bool debugMode, int edges[STATUS_FIELD_COUNT]);
enum FieldColour : uint8_t { FIELD_GREY = 0, FIELD_GREEN = 1, FIELD_RED = 2 };
struct StatusFieldLook {
  FieldColour colour;
  uint16_t stringId;   // 0: no string (or the definition path, see showsPath)
  bool showsPath;      // field 4 in debug mode: the definition path, left-aligned
};
StatusFieldLook statusFieldLook(int field, uint8_t ready, uint8_t servoOn, uint8_t mainOn,
                                uint8_t alarm, bool debugMode, uint16_t motorType);

// Definition file reloads (data file select and the rotary/linear commands). The
// mode record is kept around the load; the parameter table is cleared first.
// 0 or the loader's result (0xFFFF or a line number).
uint16_t reloadDefinitions(const char* path);
// Loads the motor type's file from the start directory; on failure shows the
// definition error box and loads the other file once. Returns the new motor type
// (0 when both failed).
uint16_t loadMotorDefinitions(uint16_t motorType);
