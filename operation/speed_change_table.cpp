// Speed-change table edits of the multi-speed dialog.
#include "operation/speed_change_table.h"

#include <cstdio>
#include <cstring>

#include "protocol/number_format.h"

namespace {

// Both texts of a pair, as signed 32-bit values with the value format word.
uint16_t readPair(const char* positionText, const char* speedText, uint16_t format, int32_t* position,
                  int32_t* speed) {
  int64_t p = 0, s = 0;
  if (!readOperationNumber(positionText, format, &p) || p < INT32_MIN || p > INT32_MAX)
    return IDC_OP_MS_POSITION;
  // The speed travels unsigned: a negative one would arrive as a huge speed.
  if (!readOperationNumber(speedText, format, &s) || s < 0 || s > INT32_MAX)
    return IDC_OP_MS_SPEED;
  *position = static_cast<int32_t>(p);
  *speed = static_cast<int32_t>(s);
  return OPERATION_OK;
}

bool readNumber(const char* text, int64_t* number) {
  return readOperationNumber(text, CHANGE_NUMBER_FORMAT, number);
}

}  // namespace

int speedChangeCount(const MultiSpeedArea& area) {
  return area.changeCount > SPEED_CHANGE_MAX ? SPEED_CHANGE_MAX : area.changeCount;
}

uint16_t addSpeedChange(MultiSpeedArea* area, const char* positionText, const char* speedText,
                        uint16_t valueFormat) {
  int count = speedChangeCount(*area);
  if (count >= SPEED_CHANGE_MAX) return OPERATION_UNCHANGED;
  int32_t position = 0, speed = 0;
  uint16_t result = readPair(positionText, speedText, valueFormat, &position, &speed);
  if (result != OPERATION_OK) return result;
  area->changePositions[count] = position;
  area->changeSpeeds[count] = speed;
  area->changeCount = static_cast<uint16_t>(count + 1);
  return OPERATION_OK;
}

uint16_t setSpeedChange(MultiSpeedArea* area, const char* numberText, const char* positionText,
                        const char* speedText, uint16_t valueFormat) {
  int64_t number = 0;
  if (!readNumber(numberText, &number)) return IDC_OP_MS_NUMBER;
  int32_t position = 0, speed = 0;
  uint16_t result = readPair(positionText, speedText, valueFormat, &position, &speed);
  if (result != OPERATION_OK) return result;
  if (number == 0) return OPERATION_UNCHANGED;
  // Only the 15 entries exist; a larger number would write past the table.
  if (number > SPEED_CHANGE_MAX) return IDC_OP_MS_NUMBER;
  area->changePositions[number - 1] = position;
  area->changeSpeeds[number - 1] = speed;
  return OPERATION_OK;
}

uint16_t deleteSpeedChange(MultiSpeedArea* area, const char* numberText) {
  int64_t number = 0;
  if (!readNumber(numberText, &number)) return IDC_OP_MS_NUMBER;
  if (number == 0) return OPERATION_UNCHANGED;
  int count = speedChangeCount(*area);
  // Deleting past the count would shrink the count below zero or move entries
  // from outside the table.
  if (number > count) return IDC_OP_MS_NUMBER;
  for (int i = static_cast<int>(number) - 1; i < count - 1; ++i) {
    area->changePositions[i] = area->changePositions[i + 1];
    area->changeSpeeds[i] = area->changeSpeeds[i + 1];
  }
  area->changePositions[count - 1] = 0;
  area->changeSpeeds[count - 1] = 0;
  area->changeCount = static_cast<uint16_t>(count - 1);
  return OPERATION_OK;
}

void speedChangeNumberText(int number, char out[4]) {
  if (number < 0 || number > 99) number = 0;
  std::snprintf(out, 4, "%02d", number);
}

bool speedChangeRow(const MultiSpeedArea& area, int index, uint16_t valueFormat, char number[4],
                    char position[OPERATION_TEXT_SIZE], char speed[OPERATION_TEXT_SIZE]) {
  number[0] = 0;
  std::memset(position, 0, OPERATION_TEXT_SIZE);
  std::memset(speed, 0, OPERATION_TEXT_SIZE);
  if (index < 0 || index >= speedChangeCount(area)) return false;
  speedChangeNumberText(index + 1, number);
  // formatNumber writes exactly the format's width, right-aligned.
  int32_t p = area.changePositions[index];
  int32_t s = area.changeSpeeds[index];
  uint16_t format = static_cast<uint16_t>(valueFormat & ~FMT_LEFT);
  if (formatNumber(format, &p, position) != FORMAT_OK) position[0] = 0;
  if (formatNumber(format, &s, speed) != FORMAT_OK) speed[0] = 0;
  position[formatWidth(format)] = 0;
  speed[formatWidth(format)] = 0;
  return true;
}
