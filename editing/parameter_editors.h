// The parameter editors' portable side: what each editor shows when it opens and
// the value its "設定" button writes. The dialogs only move texts and combo
// selections; a result other than EDIT_OK means IDS_INVALID_INPUT and nothing sent.
#pragma once
#include <cstdint>

#include "editing/field_input.h"
#include "files/definitions.h"
#include "toolkit/field_text.h"

// Decimal (D) and hexadecimal (H) editors.
// The format the edit field is shown and read with: D its own format, H the
// zero-filled hexadecimal format of its size (hex2, hex4, hex8); 0 for any other
// kind or a size that is not 1, 2 or 4.
uint16_t numericEditorFormat(const ParameterDefinition& def);
// The text at opening (the value left-aligned, trailing blanks removed); false and
// an empty text when the kind has no numeric editor or the value does not fit.
bool numericEditorText(const ParameterDefinition& def, char out[FIELD_TEXT_SIZE]);
// Reads the edit text and checks it against the limits, compared in the width of
// `size`, signed when the format is signed (H never). On EDIT_OK `value` holds the
// 32-bit field to write: the number in the low `size` bytes, the upper bytes as
// held in `value` (the module checks them, and no editor writes them).
uint16_t readNumericEditor(const ParameterDefinition& def, const char* text, int32_t* value);

// One combo row of the bit, digit and selection editors. Texts are the definition
// pool's Shift-JIS bytes.
// When the value held matches none of the listed choices, one more item is listed
// after them showing it (a later choice's text, else its hexadecimal digits), so
// a combo left alone writes back what was read.
struct ChoiceRow {
  bool enabled;                    // false: label and combo disabled, nothing listed
  const char* label;               // field name; null for a disabled row
  uint16_t choiceCount;            // texts listed in the combo, the held item included
  const char* texts[MAX_CHOICES + 1];
  int selected;                    // item selected at opening; -1 when the combo is empty
  char heldText[8];                // the held item's text when no choice names it
};

// Bit editor (B): row i is the i-th field in definition order; rows from
// entryCount on are disabled. A combo lists at most the first four choices.
constexpr int BIT_EDITOR_ROWS = 16;
constexpr int BIT_EDITOR_CHOICES = 4;
void bitEditorRows(const ParameterDefinition& def, ChoiceRow rows[BIT_EDITOR_ROWS]);
// From 0, each field's selected choice value shifted to its position is ORed in
// (the held item: the field's bits as held); bits no field covers stay 0, the
// upper 16 bits as held. `selected[i]` is row i's combo selection (-1 none).
uint16_t composeBitValue(const ParameterDefinition& def, const int selected[BIT_EDITOR_ROWS],
                         int32_t* value);

// Digit editor (N): row p shows the field of hexadecimal digit p (0 = lowest);
// rows without a field stay disabled.
constexpr int DIGIT_EDITOR_ROWS = 4;
void digitEditorRows(const ParameterDefinition& def, ChoiceRow rows[DIGIT_EDITOR_ROWS]);
// From 0, each defined digit takes its selected choice value (the held item: the
// digit as held); digits without a field are written 0, the upper 16 bits as held.
uint16_t composeDigitValue(const ParameterDefinition& def, const int selected[DIGIT_EDITOR_ROWS],
                           int32_t* value);

// Selection editor (S): every choice, the one equal to the value's low 16 bits
// selected (else the held item). The value goes into the low 16 bits.
void selectionEditorRow(const ParameterDefinition& def, ChoiceRow* row);
uint16_t selectionEditorValue(const ParameterDefinition& def, int selected, int32_t* value);
