// Parameter editors: opening contents and the value each editor writes.
#include "editing/parameter_editors.h"

#include <cstdio>
#include <cstring>

#include "protocol/number_format.h"

uint16_t numericEditorFormat(const ParameterDefinition& def) {
  if (def.size != 1 && def.size != 2 && def.size != 4) return 0;
  if (def.kind == 'H') return def.size == 1 ? hex2 : def.size == 2 ? hex4 : hex8;
  // A format whose storage is not `size` bytes would read or write the wrong bytes.
  if (def.kind == 'D' && formatStorageBytes(def.format) == def.size) return def.format;
  return 0;
}

bool numericEditorText(const ParameterDefinition& def, char out[FIELD_TEXT_SIZE]) {
  std::memset(out, 0, FIELD_TEXT_SIZE);
  uint16_t format = numericEditorFormat(def);
  if (format == 0) return false;
  int32_t value = def.value;
  return formatFieldText(&value, format, out);
}

// The low `size` bytes of a field as a number, so 32-bit unsigned limits near
// 0xFFFFFFFF compare above every smaller value.
static int64_t storedNumber(int32_t field, uint16_t size, bool isSigned) {
  if (isSigned) return widenStored(field, size, true);
  return static_cast<uint32_t>(widenStored(field, size, false));
}

// The 32-bit field to write: `low` in the value's `size` bytes, the other bytes
// as held, for the module compares them with its own.
static int32_t withHeldUpperBytes(int32_t held, uint32_t low, uint16_t size) {
  uint32_t mask = size == 1 ? 0xFFu : size == 2 ? 0xFFFFu : 0xFFFFFFFFu;
  return static_cast<int32_t>((static_cast<uint32_t>(held) & ~mask) | (low & mask));
}

uint16_t readNumericEditor(const ParameterDefinition& def, const char* text, int32_t* value) {
  uint16_t format = numericEditorFormat(def);
  if (format == 0) return EDIT_NOT_EDITABLE;
  // The format's storage is `size` bytes, so the number read is already widened
  // in the width and with the sign the limits are compared in.
  int64_t number = 0;
  if (!readFieldNumber(text, format, &number)) return EDIT_UNREADABLE;
  bool isSigned = def.kind == 'D' && (format & 0x0100) != 0;
  if (number < storedNumber(def.minimum, def.size, isSigned) ||
      number > storedNumber(def.maximum, def.size, isSigned))
    return EDIT_OUT_OF_LIMITS;
  *value = withHeldUpperBytes(def.value, static_cast<uint32_t>(number), def.size);
  return EDIT_OK;
}

static int fieldCount(const ParameterDefinition& def) {
  return def.entryCount > MAX_SUB_ENTRIES ? MAX_SUB_ENTRIES : def.entryCount;
}

static int offeredChoices(const Choice* choices, int limit) {
  int count = 0;
  while (count < limit && choices[count].text != nullptr) ++count;
  return count;
}

static bool offersValue(const Choice* choices, int offered, uint32_t value) {
  for (int c = 0; c < offered; ++c)
    if (choices[c].value == value) return true;
  return false;
}

// Appends the held item for `current` and selects it: the text of a choice that
// names it beyond the listed ones (searching `all` slots), else its hex digits.
static void listHeldItem(const Choice* choices, int all, uint32_t current, ChoiceRow* row) {
  const char* text = nullptr;
  for (int c = 0; c < all && text == nullptr; ++c)
    if (choices[c].value == current && choices[c].text != nullptr) text = choices[c].text;
  if (text == nullptr) {
    std::snprintf(row->heldText, sizeof row->heldText, "%X", static_cast<unsigned>(current));
    text = row->heldText;   // points into the row itself
  }
  row->texts[row->choiceCount] = text;
  row->selected = row->choiceCount++;
}

// Fills the combo part of a row: choices up to `limit` or the first null text, the
// one whose value equals `current` selected, else the held item.
static void listChoices(const Choice* choices, int limit, uint32_t current, ChoiceRow* row) {
  row->choiceCount = 0;
  row->selected = -1;
  for (int c = 0; c < limit && choices[c].text != nullptr; ++c) {
    row->texts[c] = choices[c].text;
    if (row->selected < 0 && choices[c].value == current) row->selected = c;
    ++row->choiceCount;
  }
  if (row->selected < 0) listHeldItem(choices, MAX_CHOICES, current, row);
}

// The value a combo selection stands for: an offered choice, or the held value
// when the held item (listed after the offered choices) is selected.
static bool selectedValue(const Choice* choices, int offered, uint32_t held, int s, uint32_t* value) {
  if (s >= 0 && s < offered) {
    *value = choices[s].value;
    return true;
  }
  if (s != offered || offersValue(choices, offered, held)) return false;
  *value = held;
  return true;
}

// Bits of a field within the 16-bit value; 0 for a position outside it.
static uint32_t fieldMask(const BitField& field) {
  if (field.position > 15) return 0;
  uint32_t bits = field.bitCount >= 16 ? 0xFFFFu : (1u << field.bitCount) - 1;
  return (bits << field.position) & 0xFFFFu;
}

void bitEditorRows(const ParameterDefinition& def, ChoiceRow rows[BIT_EDITOR_ROWS]) {
  std::memset(rows, 0, sizeof(ChoiceRow) * BIT_EDITOR_ROWS);
  for (int i = 0; i < BIT_EDITOR_ROWS; ++i) rows[i].selected = -1;
  if (def.kind != 'B') return;
  uint32_t value = static_cast<uint32_t>(def.value);
  for (int i = 0; i < fieldCount(def); ++i) {
    const BitField& field = def.bits[i];
    uint32_t current = field.position > 15 ? 0 : (value & fieldMask(field)) >> field.position;
    rows[i].enabled = true;
    rows[i].label = field.name != nullptr ? field.name : "";
    listChoices(field.choices, BIT_EDITOR_CHOICES, current, &rows[i]);
  }
}

uint16_t composeBitValue(const ParameterDefinition& def, const int selected[BIT_EDITOR_ROWS],
                         int32_t* value) {
  if (def.kind != 'B') return EDIT_NOT_EDITABLE;
  uint32_t composed = 0;
  for (int i = 0; i < fieldCount(def); ++i) {
    const BitField& field = def.bits[i];
    if (field.position > 15) return EDIT_FIELD_OVERFLOW;
    uint32_t held = (static_cast<uint32_t>(def.value) & fieldMask(field)) >> field.position;
    uint32_t chosen = 0;
    if (!selectedValue(field.choices, offeredChoices(field.choices, BIT_EDITOR_CHOICES), held, selected[i],
                       &chosen))
      return EDIT_NO_SELECTION;
    uint32_t shifted = chosen << field.position;
    // A choice wider than its field would overwrite the neighbouring fields.
    if ((shifted & ~fieldMask(field)) != 0) return EDIT_FIELD_OVERFLOW;
    composed |= shifted;
  }
  *value = withHeldUpperBytes(def.value, composed, 2);
  return EDIT_OK;
}

// The first field of digit p, or null.
static const NibbleField* digitField(const ParameterDefinition& def, int p) {
  for (int i = 0; i < fieldCount(def); ++i)
    if (def.nibbles[i].position == p) return &def.nibbles[i];
  return nullptr;
}

void digitEditorRows(const ParameterDefinition& def, ChoiceRow rows[DIGIT_EDITOR_ROWS]) {
  std::memset(rows, 0, sizeof(ChoiceRow) * DIGIT_EDITOR_ROWS);
  for (int p = 0; p < DIGIT_EDITOR_ROWS; ++p) {
    rows[p].selected = -1;
    const NibbleField* field = def.kind == 'N' ? digitField(def, p) : nullptr;
    if (field == nullptr) continue;
    uint32_t digit = (static_cast<uint32_t>(def.value) >> (4 * p)) & 0xF;
    rows[p].enabled = true;
    rows[p].label = field->name != nullptr ? field->name : "";
    listChoices(field->choices, MAX_CHOICES, digit, &rows[p]);
  }
}

uint16_t composeDigitValue(const ParameterDefinition& def, const int selected[DIGIT_EDITOR_ROWS],
                           int32_t* value) {
  if (def.kind != 'N') return EDIT_NOT_EDITABLE;
  uint32_t composed = 0;
  for (int p = 0; p < DIGIT_EDITOR_ROWS; ++p) {
    const NibbleField* field = digitField(def, p);
    if (field == nullptr) continue;
    uint32_t held = (static_cast<uint32_t>(def.value) >> (4 * p)) & 0xF;
    uint32_t digit = 0;
    if (!selectedValue(field->choices, offeredChoices(field->choices, MAX_CHOICES), held, selected[p], &digit))
      return EDIT_NO_SELECTION;
    if (digit > 0xF) return EDIT_FIELD_OVERFLOW;
    composed |= digit << (4 * p);
  }
  *value = withHeldUpperBytes(def.value, composed, 2);
  return EDIT_OK;
}

void selectionEditorRow(const ParameterDefinition& def, ChoiceRow* row) {
  std::memset(row, 0, sizeof *row);
  row->selected = -1;
  if (def.kind != 'S') return;
  row->enabled = true;
  uint32_t current = static_cast<uint32_t>(def.value) & 0xFFFFu;
  for (int c = 0; c < fieldCount(def); ++c) {
    // Every choice is listed; one read without a text shows as an empty item.
    row->texts[c] = def.choices[c].text != nullptr ? def.choices[c].text : "";
    if (row->selected < 0 && def.choices[c].value == current) row->selected = c;
    ++row->choiceCount;
  }
  if (row->selected < 0) listHeldItem(def.choices, 0, current, row);
}

uint16_t selectionEditorValue(const ParameterDefinition& def, int selected, int32_t* value) {
  if (def.kind != 'S') return EDIT_NOT_EDITABLE;
  uint32_t chosen = 0;
  if (!selectedValue(def.choices, fieldCount(def), static_cast<uint32_t>(def.value) & 0xFFFFu, selected, &chosen))
    return EDIT_NO_SELECTION;
  *value = withHeldUpperBytes(def.value, chosen, 2);
  return EDIT_OK;
}
