// ValueHistory operations: the portable half of UpdateValueHistory.
#include "toolkit/value_history.h"

#include <cstring>

#include "protocol/number_format.h"

int valueHistoryCount(const ValueHistory& history) {
  return history.count > VALUE_HISTORY_LENGTH ? VALUE_HISTORY_LENGTH : history.count;
}

int findInValueHistory(const ValueHistory& history, int32_t value) {
  int count = valueHistoryCount(history);
  for (int i = 0; i < count; ++i) {
    if (history.values[i] == value) return i;
  }
  return -1;
}

int addToValueHistory(ValueHistory* history, int32_t value) {
  int found = findInValueHistory(*history, value);
  if (found >= 0) return found;
  int count = valueHistoryCount(*history);
  if (count == VALUE_HISTORY_LENGTH) count = VALUE_HISTORY_LENGTH - 1;   // drop the oldest
  for (int i = count; i > 0; --i) history->values[i] = history->values[i - 1];
  history->values[0] = value;
  history->count = static_cast<uint16_t>(count + 1);
  return 0;
}

uint16_t formatValueHistoryEntry(const ValueHistory& history, int index, uint16_t format,
                                 char out[VALUE_TEXT_SIZE]) {
  std::memset(out, 0, VALUE_TEXT_SIZE);
  if (index < 0 || index >= valueHistoryCount(history)) return 0xFFFF;
  // The value is copied out of the packed record; formatNumber reads the low bytes
  // its storage code names, which on little-endian targets are the value itself.
  int32_t value = history.values[index];
  return formatNumber(format, &value, out);
}
