// The text side of the dialog toolkit's numeric fields and unit labels, kept
// portable so it is tested natively; the Win32 toolkit only moves the texts.
#pragma once
#include <cstdint>

constexpr int FIELD_TEXT_SIZE = 16;   // any format width (at most 15) and a terminator
constexpr int UNIT_LABEL_SIZE = 10;

// The value written with the format forced left-aligned, trailing blanks removed.
// false (and `out` empty) when the value does not fit the format's width.
bool formatFieldText(const void* value, uint16_t format, char out[FIELD_TEXT_SIZE]);
// At most width characters of `text` parsed with the format into `result` (stored
// in the width the format's storage names). false when they do not parse or are
// out of range; `result` is then unchanged. A text with no digit never parses.
bool parseFieldText(const char* text, uint16_t format, void* result);

// Process-wide unit labels, "[mm]" and "[mm/min]"; both empty for display unit 2
// (none). `unitText` is the display unit's string ("mm", "deg"); it is cut so the
// labels keep their 10-byte buffers.
void buildUnitLabelsFrom(uint8_t displayUnit, const char* unitText);
const char* positionUnitLabel();
const char* speedUnitLabel();
