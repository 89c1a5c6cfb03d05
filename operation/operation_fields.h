// The operation dialogs' fields as plain values: what each dialog moves between its
// controls and its settings area. Showing writes the area's values into texts and
// choices; reading parses the texts into a working copy of the area and commits it
// only when every field that is read is valid. Debug-only fields are skipped
// outside debug mode and replaced by the fixed values. No window code here.
#pragma once
#include <cstdint>

#include "files/settings_areas.h"

// Room for a field's text as typed: longer than any format's width (at most 15),
// so a text cut to the buffer still shows the characters that make it invalid.
constexpr int OPERATION_TEXT_SIZE = 32;

// Results. 0 is success, 1 means the input was valid but there was nothing to do;
// any other value is the id of the control whose input was refused, and the
// dialog shows box 256 for it (invalid data) and sends nothing.
constexpr uint16_t OPERATION_OK = 0;
constexpr uint16_t OPERATION_UNCHANGED = 1;

// Control ids named in results (shared by the nine templates).
constexpr uint16_t OPERATION_ID_SPEED = 1059;          // speed combo
constexpr uint16_t OPERATION_ID_POSITION = 1060;       // target position / step distance combo
constexpr uint16_t OPERATION_ID_CHANGE_POSITION = 1067;  // multi-speed: change position edit
constexpr uint16_t OPERATION_ID_CHANGE_SPEED = 1070;   // multi-speed: changed speed edit
constexpr uint16_t OPERATION_ID_FIELD_1108 = 1108;     // external distance / signal 1 ON
constexpr uint16_t OPERATION_ID_FIELD_1110 = 1110;     // external speed / signal 1 OFF / "selected No."
constexpr uint16_t OPERATION_ID_FIELD_1115 = 1115;     // signal 2 ON
constexpr uint16_t OPERATION_ID_FIELD_1116 = 1116;     // signal 2 OFF
constexpr uint16_t OPERATION_ID_STATION = 1119;        // station number combo
constexpr uint16_t OPERATION_ID_POINT = 1238;          // point number combo
// A radio group or combo selection outside its choices (none checked: -1).
constexpr uint16_t OPERATION_ID_CHOICE = 0xFFFF;

// Format words of the numbers that do not use the value format word.
constexpr uint16_t POINT_NUMBER_FORMAT = 0x0203;       // width 3, unsigned 16-bit
constexpr uint16_t STATION_NUMBER_FORMAT = 0x040A;     // width 10, unsigned 32-bit
constexpr uint16_t CHANGE_NUMBER_FORMAT = 0x0202;      // width 2, unsigned 16-bit ("selected No.")
constexpr uint16_t INTERVAL_FORMAT = 0x0205;           // width 5, unsigned 16-bit (read-only 1068)

// The shared block as controls hold it. Radio groups are 0-based indexes as
// GetRadioGroup returns them (-1: none checked), combos CB_GETCURSEL values.
struct CommonControls {
  int accelMode;     // 1143 "follow the parameter" = 0, 1144 "use combo 1145" = 1
  int accelIndex;    // combo 1145, 0-3
  int filterMode;    // 1146 = 0, 1147 = 1
  int filterIndex;   // combo 1148, 0-3
  int repeat;        // check box 1109 (0/1); unused by the jog dialog
  int stopMode;      // 1150 deceleration = 0, 1151 zero speed = 1; unused by the jog dialog
};

// The one pair for the shared block of all nine areas (`repeatStop` null for the
// jog dialog). Reading takes the accel/filter choices and the stop mode only in
// debug mode (fixed at follow-the-parameter and deceleration otherwise) and the
// repeat check only when `readRepeat`. Fields it does not take keep their values.
// Returns OPERATION_ID_CHOICE, and changes nothing, when a choice it takes is out
// of range.
void showCommonControls(const AccelFilterFields& accelFilter, const RepeatStopFields* repeatStop,
                        CommonControls* controls);
uint16_t readCommonControls(const CommonControls& controls, bool debugMode, bool readRepeat,
                            AccelFilterFields* accelFilter, RepeatStopFields* repeatStop);

// Speed group: radio 1106 parameter = 0, 1107 current feed speed = 1, 1149 typed = 2.
struct SpeedControls {
  int speedSource;
  char speed[OPERATION_TEXT_SIZE];   // combo 1059
};

// --- one record of control values per dialog --------------------------------------
struct JogControls {
  CommonControls common;
  SpeedControls speed;
};
struct StepControls {
  CommonControls common;
  SpeedControls speed;
  int distanceMode;                     // 1243 step parameter = 0, 1244 typed = 1
  int stepParameter;                    // combo 1265, 0-3
  char distance[OPERATION_TEXT_SIZE];   // combo 1060
};
struct PositioningControls {
  CommonControls common;
  SpeedControls speed;
  int positioningType;                  // 1101 ABS = 0, 1102 INC = 1
  char target[OPERATION_TEXT_SIZE];     // combo 1060
};
struct PointOperationControls {
  CommonControls common;
  int positioningType;
  char point[OPERATION_TEXT_SIZE];      // combo 1238, 1-50
};
struct StationControls {
  CommonControls common;
  SpeedControls speed;
  int positioningType;
  int rotationDirection;                // 1116 forward = 0, 1117 reverse = 1
  char station[OPERATION_TEXT_SIZE];    // combo 1119
};
struct ExternalSignalControls {
  CommonControls common;
  SpeedControls speed;
  int positioningType;
  char target[OPERATION_TEXT_SIZE];     // combo 1060
  int distanceMode;                     // 1245 parameter = 0, 1246 typed = 1
  char distance[OPERATION_TEXT_SIZE];   // combo 1108
  int externalSpeedMode;                // 1243 parameter = 0, 1244 typed = 1
  char externalSpeed[OPERATION_TEXT_SIZE];  // combo 1110
};
struct MultiSpeedControls {             // the table is edited on the area (speed_change_table.h)
  CommonControls common;
  SpeedControls speed;
  int positioningType;
  char target[OPERATION_TEXT_SIZE];     // combo 1060
};
struct PassPointControls {
  CommonControls common;
  SpeedControls speed;
  int positioningType;
  char target[OPERATION_TEXT_SIZE];     // combo 1060
  int signalPositioningType;            // 1363 ABS = 0, 1104 INC = 1
  char signal1On[OPERATION_TEXT_SIZE];  // 1108
  char signal1Off[OPERATION_TEXT_SIZE]; // 1110
  int signal1Polarity;                  // 1111 not reversed = 0, 1112 reversed = 1
  char signal2On[OPERATION_TEXT_SIZE];  // 1115
  char signal2Off[OPERATION_TEXT_SIZE]; // 1116
  int signal2Polarity;                  // 1113 = 0, 1114 = 1
};
struct HomingControls {
  CommonControls common;
  SpeedControls speed;
};

// At open: outside debug mode write the dialog's fixed values into its area, so the
// controls show what will be sent. In either mode the "always 0" fields are set
// to 0 and a stored rotation direction above 1 becomes forward. The point-table
// dialog also clears repeat outside debug mode: its check box is neither shown nor
// read there, so a repeat stored in debug mode must not start unseen.
void fixOperationArea(JogArea* area, bool debugMode);
void fixOperationArea(StepArea* area, bool debugMode);
void fixOperationArea(PositioningArea* area, bool debugMode);
void fixOperationArea(PointOperationArea* area, bool debugMode);
void fixOperationArea(StationArea* area, bool debugMode);
void fixOperationArea(ExternalSignalArea* area, bool debugMode);
void fixOperationArea(MultiSpeedArea* area, bool debugMode);
void fixOperationArea(PassPointArea* area, bool debugMode);
void fixOperationArea(HomingArea* area, bool debugMode);

// At open, after the fixed values: each value combo the dialog fills in this mode
// gets its current value into its history when the history lacks it (to the
// front, the oldest dropping out of a full one), as UpdateValueHistory does, so
// the list holds what the field shows.
void openValueHistories(JogArea* area, bool debugMode);
void openValueHistories(StepArea* area, bool debugMode);
void openValueHistories(PositioningArea* area, bool debugMode);
void openValueHistories(PointOperationArea* area, bool debugMode);
void openValueHistories(StationArea* area, bool debugMode);
void openValueHistories(ExternalSignalArea* area, bool debugMode);
void openValueHistories(MultiSpeedArea* area, bool debugMode);
void openValueHistories(PassPointArea* area, bool debugMode);
void openValueHistories(HomingArea* area, bool debugMode);

// The area's values as the controls show them: numbers written with their format
// (speeds and positions with the environment's value format word), left-aligned.
void showOperationFields(const JogArea& area, const EnvironmentSettings& env, JogControls* out);
void showOperationFields(const StepArea& area, const EnvironmentSettings& env, StepControls* out);
void showOperationFields(const PositioningArea& area, const EnvironmentSettings& env, PositioningControls* out);
void showOperationFields(const PointOperationArea& area, const EnvironmentSettings& env, PointOperationControls* out);
void showOperationFields(const StationArea& area, const EnvironmentSettings& env, StationControls* out);
void showOperationFields(const ExternalSignalArea& area, const EnvironmentSettings& env, ExternalSignalControls* out);
void showOperationFields(const MultiSpeedArea& area, const EnvironmentSettings& env, MultiSpeedControls* out);
void showOperationFields(const PassPointArea& area, const EnvironmentSettings& env, PassPointControls* out);
void showOperationFields(const HomingArea& area, const EnvironmentSettings& env, HomingControls* out);

// Reads the controls into a working copy of `area` with the debug-mode rules and
// the fixed values; on success commits the copy (each value read also goes to the
// front of its value history in the area) and returns 0. On failure returns the
// failing control's id and leaves `area` unchanged. The multi-speed working copy
// starts from `*area`, which already holds the table edits.
uint16_t readOperationFields(const JogControls& in, const EnvironmentSettings& env, bool debugMode, JogArea* area);
uint16_t readOperationFields(const StepControls& in, const EnvironmentSettings& env, bool debugMode, StepArea* area);
uint16_t readOperationFields(const PositioningControls& in, const EnvironmentSettings& env, bool debugMode,
                             PositioningArea* area);
uint16_t readOperationFields(const PointOperationControls& in, const EnvironmentSettings& env, bool debugMode,
                             PointOperationArea* area);
uint16_t readOperationFields(const StationControls& in, const EnvironmentSettings& env, bool debugMode,
                             StationArea* area);
uint16_t readOperationFields(const ExternalSignalControls& in, const EnvironmentSettings& env, bool debugMode,
                             ExternalSignalArea* area);
uint16_t readOperationFields(const MultiSpeedControls& in, const EnvironmentSettings& env, bool debugMode,
                             MultiSpeedArea* area);
uint16_t readOperationFields(const PassPointControls& in, const EnvironmentSettings& env, bool debugMode,
                             PassPointArea* area);
uint16_t readOperationFields(const HomingControls& in, const EnvironmentSettings& env, bool debugMode,
                             HomingArea* area);

// One number from a field's text with its format word (trailing characters past
// the width refuse it). The value is widened from the format's storage.
bool readOperationNumber(const char* text, uint16_t format, int64_t* value);
// A number written for its field, left-aligned without trailing blanks; empty when
// it does not fit the format.
void showOperationNumber(int64_t value, uint16_t format, char out[OPERATION_TEXT_SIZE]);
