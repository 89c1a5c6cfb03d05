// The multi-speed dialog's speed-change table: up to 15 (position, speed) pairs in
// the dialog's working copy of its area. Edits take the texts of the "selected No."
// (IDC_OP_MS_NUMBER), change position (IDC_OP_MS_POSITION) and changed speed
// (IDC_OP_MS_SPEED) fields. Results are those of operation_fields.h: 0 done,
// OPERATION_UNCHANGED nothing to do, else the id of the refused field
// (IDS_INVALID_INPUT). Nothing is ever written outside the 15 entries.
#pragma once
#include <cstdint>

#include "files/settings_areas.h"
#include "operation/operation_fields.h"

// "追加": appends the pair as entry count + 1. A full table is left as it is
// (OPERATION_UNCHANGED, no message).
uint16_t addSpeedChange(MultiSpeedArea* area, const char* positionText, const char* speedText,
                        uint16_t valueFormat);
// "設定": overwrites entry `numberText` (1-based). Number 0: OPERATION_UNCHANGED.
// A number above 15 is refused (IDC_OP_MS_NUMBER). The count does not change.
uint16_t setSpeedChange(MultiSpeedArea* area, const char* numberText, const char* positionText,
                        const char* speedText, uint16_t valueFormat);
// "削除": removes entry `numberText`, moving the later ones forward and clearing the
// vacated last one. Number 0: OPERATION_UNCHANGED. A number above the count is
// refused (IDC_OP_MS_NUMBER).
uint16_t deleteSpeedChange(MultiSpeedArea* area, const char* numberText);

// Entries in use: the stored count, never more than 15.
int speedChangeCount(const MultiSpeedArea& area);

// Texts of one list row (index from 0): the number as two zero-filled digits from
// "01", the position and the speed with the value format word (right-aligned as
// formatNumber writes them). False for an index outside the entries in use.
bool speedChangeRow(const MultiSpeedArea& area, int index, uint16_t valueFormat, char number[4],
                    char position[OPERATION_TEXT_SIZE], char speed[OPERATION_TEXT_SIZE]);
// The "selected No." text for a 1-based number ("00" after an edit).
void speedChangeNumberText(int number, char out[4]);
