// ValueHistory: the last ten values of an editable combo box, newest first, as the
// settings block stores it (42 bytes: a 16-bit count, then ten 32-bit values).
#pragma once
#include <cstdint>

constexpr int VALUE_HISTORY_LENGTH = 10;
// Room for one formatted entry: any format width (at most 15) and a terminator.
constexpr int VALUE_TEXT_SIZE = 16;

#pragma pack(push, 1)
struct ValueHistory {
  uint16_t count;                         // 0-10; a larger count read from a file counts as 10
  int32_t values[VALUE_HISTORY_LENGTH];   // entry 0 is the newest
};
#pragma pack(pop)
static_assert(sizeof(ValueHistory) == 42, "a value history takes 42 bytes of the settings block");

// Entries in use, never more than VALUE_HISTORY_LENGTH.
int valueHistoryCount(const ValueHistory& history);
// Index of the value (exact 32-bit equality, searched from the newest), or -1.
int findInValueHistory(const ValueHistory& history, int32_t value);
// A value already present keeps its place; a new one goes to the front and the
// oldest falls out of a full history. Returns the index to select.
int addToValueHistory(ValueHistory* history, int32_t value);
// Entry `index` written with the format word: exactly the format's width of
// characters, right-aligned as formatNumber writes them, then a terminator.
// Returns formatNumber's result; an index outside the history leaves `out` empty
// and returns 0xFFFF.
uint16_t formatValueHistoryEntry(const ValueHistory& history, int index, uint16_t format,
                                 char out[VALUE_TEXT_SIZE]);
