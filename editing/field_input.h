// Result codes of the editing dialogs' input checks and the one way they read a
// number from a field. Every failure is shown the same way (IDS_INVALID_INPUT,
// nothing sent); the codes say which check refused the input.
#pragma once
#include <cstdint>

constexpr uint16_t EDIT_OK = 0;
constexpr uint16_t EDIT_UNREADABLE = 1;       // the text does not parse or does not fit its storage
constexpr uint16_t EDIT_OUT_OF_LIMITS = 2;    // below the minimum or above the maximum
constexpr uint16_t EDIT_NO_SELECTION = 3;     // a combo or radio group without a valid choice
constexpr uint16_t EDIT_FIELD_OVERFLOW = 4;   // a choice value wider than its field
constexpr uint16_t EDIT_NOT_EDITABLE = 5;     // the definition's kind or size has no editor

// The field's text read with the format (as GetNumericField does) and widened from
// the format's storage by its sign. Characters past the width that are not blanks
// refuse the field: cutting them off would read another number than the one shown.
bool readFieldNumber(const char* text, uint16_t format, int64_t* number);
