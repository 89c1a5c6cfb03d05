// Point-table list rows and the setting dialog's reading of its fields.
#include "editing/point_rows.h"

#include <cstdio>
#include <cstring>

#include "files/transfer.h"
#include "protocol/number_format.h"

void pointRowTexts(uint16_t number, const PointEntry& entry, uint16_t valueFormat,
                   PointRowTexts* row) {
  std::memset(row, 0, sizeof *row);
  std::snprintf(row->columns[0], FIELD_TEXT_SIZE, "%5u", static_cast<unsigned>(number));
  // formatNumber writes exactly W characters (at most 15); the rest stays 0.
  uint32_t speed = entry.speed;
  int32_t position = entry.position;
  formatNumber(valueFormat, &speed, row->columns[1]);
  formatNumber(valueFormat, &position, row->columns[2]);
}

void composePointReadLabel(char* text, uint16_t number) {
  char placeholder[8];
  std::snprintf(placeholder, sizeof placeholder, "%3u", static_cast<unsigned>(number));
  composeTransferLabel(text, placeholder);
}

void pointSettingTexts(const PointSettingArea& remembered, uint16_t valueFormat,
                       PointSettingTexts* texts) {
  uint16_t number = remembered.pointNumber;
  int32_t speed = remembered.speed;
  int32_t position = remembered.position;
  formatFieldText(&number, POINT_NUMBER_SHOW_FORMAT, texts->pointNumber);
  formatFieldText(&speed, valueFormat, texts->speed);
  formatFieldText(&position, valueFormat, texts->position);
}

uint16_t readPointSetting(const PointSettingInput& input, uint16_t valueFormat, PointSetting* out) {
  int64_t number = 0, speed = 0, position = 0;
  if (!readFieldNumber(input.pointNumber, POINT_NUMBER_READ_FORMAT, &number) ||
      !readFieldNumber(input.speed, valueFormat, &speed) ||
      !readFieldNumber(input.position, valueFormat, &position))
    return EDIT_UNREADABLE;
  if (number < 1 || number > POINT_COUNT) return EDIT_OUT_OF_LIMITS;
  // The table and the module hold speeds unsigned: a negative one would go out
  // as a huge speed.
  if (speed < 0 || speed > 0xFFFFFFFFll) return EDIT_OUT_OF_LIMITS;
  if (position < INT32_MIN || position > INT32_MAX) return EDIT_OUT_OF_LIMITS;
  if (input.positionChoice != POSITION_CURRENT && input.positionChoice != POSITION_ENTERED)
    return EDIT_NO_SELECTION;
  out->pointNumber = static_cast<uint16_t>(number);
  out->speed = static_cast<uint32_t>(speed);
  out->positionChoice = static_cast<uint8_t>(input.positionChoice);
  out->position = static_cast<int32_t>(position);
  return EDIT_OK;
}

void rememberPointSetting(const PointSetting& setting, PointSettingArea* area) {
  area->pointNumber = setting.pointNumber;
  area->speed = static_cast<int32_t>(setting.speed);
  area->positionChoice = setting.positionChoice;
  area->position = setting.position;
}

void applyPointSetting(const PointSetting& setting, PointTable* table) {
  if (setting.pointNumber < 1 || setting.pointNumber > POINT_COUNT) return;
  PointEntry& entry = table->points[setting.pointNumber - 1];
  entry.speed = setting.speed;
  if (setting.positionChoice == POSITION_ENTERED) entry.position = setting.position;
}

SetPtArguments setPtArguments(const PointSetting& setting) {
  SetPtArguments args{};
  args.pointNumber = setting.pointNumber;
  args.speed = setting.speed;
  bool withPosition = setting.positionChoice == POSITION_ENTERED;
  args.positionSource = withPosition ? SET_PT_WITH_POSITION : SET_PT_NO_POSITION;
  args.targetPosition = withPosition ? static_cast<uint32_t>(setting.position) : 0;
  return args;
}
