// The point-table dialogs' portable side: list row texts and progress label, the
// setting dialog's opening texts, and what its "設定" button reads, remembers,
// changes in the live table and sends.
#pragma once
#include <cstdint>

#include "resources/resource.h"

#include "editing/field_input.h"
#include "files/point_table.h"
#include "files/settings_areas.h"
#include "toolkit/field_text.h"

// List row k holds point k + 1: the number right-aligned in 5 characters, speed
// and position written with the value format word (its W characters), terminated.
constexpr int POINT_COLUMNS = 3;
struct PointRowTexts {
  char columns[POINT_COLUMNS][FIELD_TEXT_SIZE];
};
void pointRowTexts(uint16_t number, const PointEntry& entry, uint16_t valueFormat,
                   PointRowTexts* row);

// Progress label of the list's reading worker: string 10 ("No.XXX ...") as loaded,
// its placeholder overwritten by the number in 3 blank-filled decimal characters.
void composePointReadLabel(char* text, uint16_t number);

// Point No. field formats: shown unsigned in 4 characters, read with width 3.
constexpr uint16_t POINT_NUMBER_SHOW_FORMAT = 0x0204;
constexpr uint16_t POINT_NUMBER_READ_FORMAT = 0x0203;

// Radio group "設定位置" (set position).
constexpr uint8_t POSITION_CURRENT = 0;
constexpr uint8_t POSITION_ENTERED = 1;
// SET_PT position flags.
constexpr uint8_t SET_PT_NO_POSITION = 0;
constexpr uint8_t SET_PT_WITH_POSITION = 4;

// Texts the setting dialog opens with (left-aligned, trailing blanks removed; a
// value that does not fit its format leaves its text empty).
struct PointSettingTexts {
  char pointNumber[FIELD_TEXT_SIZE];
  char speed[FIELD_TEXT_SIZE];
  char position[FIELD_TEXT_SIZE];
};
void pointSettingTexts(const PointSettingArea& remembered, uint16_t valueFormat,
                       PointSettingTexts* texts);

// What the person entered, as the dialog reads it from its controls.
struct PointSettingInput {
  const char* pointNumber;
  const char* speed;
  const char* position;
  int positionChoice;        // GetRadioGroup: 0 current, 1 entered, -1 none checked
};
// The entry as read and checked.
struct PointSetting {
  uint16_t pointNumber;      // 1-50
  uint32_t speed;
  uint8_t positionChoice;    // POSITION_CURRENT or POSITION_ENTERED
  int32_t position;          // the entered position, read whatever the choice
};
// Reads every field; any unreadable field, a point No. of 0 or above 50, a
// negative speed or no radio choice refuses the whole setting (`out` unchanged).
uint16_t readPointSetting(const PointSettingInput& input, uint16_t valueFormat, PointSetting* out);
// What the settings block remembers for the next opening.
void rememberPointSetting(const PointSetting& setting, PointSettingArea* area);
// The live table entry: speed always, position only with the entered position.
void applyPointSetting(const PointSetting& setting, PointTable* table);

struct SetPtArguments {
  uint16_t pointNumber;
  uint32_t speed;
  uint8_t positionSource;    // SET_PT_WITH_POSITION or SET_PT_NO_POSITION
  uint32_t targetPosition;   // 0 without a position
};
SetPtArguments setPtArguments(const PointSetting& setting);
