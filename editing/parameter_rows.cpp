// Parameter list rows: range, row maps, column texts, labels and refresh identity.
#include "editing/parameter_rows.h"

#include <cstdio>
#include <cstring>

#include "files/transfer.h"
#include "protocol/number_format.h"

bool listShowsDefinition(uint16_t listTemplate, const ParameterDefinition& def) {
  if (listTemplate == IDD_SERVO_PARAM_LIST) return def.number < FIRST_OPTION_PARAMETER;
  if (listTemplate == IDD_OPTION_PARAM_LIST) return def.number >= FIRST_OPTION_PARAMETER;
  return false;
}

static uint16_t usedEntries(const ParameterTable& table) {
  return table.count > MAX_DEFINITIONS ? MAX_DEFINITIONS : table.count;
}

uint16_t countListedDefinitions(uint16_t listTemplate, const ParameterTable& table) {
  uint16_t listed = 0;
  for (uint16_t k = 0; k < usedEntries(table); ++k)
    if (listShowsDefinition(listTemplate, table.entries[k])) ++listed;
  return listed;
}

void clearRowMaps(ParameterRowMaps* maps, uint32_t generation) {
  maps->generation = generation;
  maps->rowCount = 0;
  // 0xFF bytes make every 16-bit entry NO_ROW.
  std::memset(maps->definitionOfRow, 0xFF, sizeof maps->definitionOfRow);
  std::memset(maps->rowOfDefinition, 0xFF, sizeof maps->rowOfDefinition);
}

uint16_t assignRow(ParameterRowMaps* maps, uint16_t definitionIndex) {
  if (definitionIndex >= ROW_MAP_ENTRIES || maps->rowCount >= ROW_MAP_ENTRIES) return NO_ROW;
  if (maps->rowOfDefinition[definitionIndex] != NO_ROW) return NO_ROW;
  uint16_t row = maps->rowCount++;
  maps->definitionOfRow[row] = definitionIndex;
  maps->rowOfDefinition[definitionIndex] = row;
  return row;
}

uint16_t rowOfDefinition(const ParameterRowMaps& maps, uint16_t definitionIndex) {
  return definitionIndex < ROW_MAP_ENTRIES ? maps.rowOfDefinition[definitionIndex] : NO_ROW;
}

uint16_t definitionOfRow(const ParameterRowMaps& maps, uint16_t row) {
  return row < maps.rowCount ? maps.definitionOfRow[row] : NO_ROW;
}

void parameterNumberText(uint16_t number, char out[8]) {
  std::snprintf(out, 8, "Pn%04X", static_cast<unsigned>(number));
}

static bool hasOwnFormat(const ParameterDefinition& def) { return def.kind == 'D' || def.kind == 'H'; }

void parameterValueText(const ParameterDefinition& def, char out[ROW_TEXT_SIZE]) {
  std::memset(out, 0, ROW_TEXT_SIZE);
  uint16_t format = hasOwnFormat(def) ? def.format : hex4;
  // formatNumber reads the low bytes of the value in its storage width and writes
  // exactly W characters ("*" when the value does not fit them).
  int32_t value = def.value;
  formatNumber(format, &value, out);
}

void parameterRowTexts(const ParameterDefinition& def, ParameterRowTexts* row) {
  std::memset(row, 0, sizeof *row);
  parameterNumberText(def.number, row->columns[0]);
  copyPoolText(def.name, row->columns[1], ROW_TEXT_SIZE);
  parameterValueText(def, row->columns[2]);
  if (hasOwnFormat(def)) copyPoolText(def.unit, row->columns[3], ROW_TEXT_SIZE);
}

void composeParameterReadLabel(char* text, uint16_t number) {
  char placeholder[8];
  std::snprintf(placeholder, sizeof placeholder, "%04X", static_cast<unsigned>(number));
  composeTransferLabel(text, placeholder);
}

uint16_t editorTemplateFor(char kind) {
  switch (kind) {
    case 'D': return IDD_EDIT_DECIMAL;
    case 'H': return IDD_EDIT_HEX;
    case 'B': return IDD_EDIT_BITS;
    case 'N': return IDD_EDIT_DIGITS;
    case 'S': return IDD_EDIT_SELECTION;
    default: return 0;
  }
}

bool refreshApplies(const ParameterRefresh& refresh, const ParameterRowMaps& maps,
                    uint16_t listTemplate, const ParameterTable& table,
                    uint32_t currentGeneration) {
  if (refresh.generation != currentGeneration || maps.generation != currentGeneration) return false;
  if (refresh.definitionIndex >= usedEntries(table)) return false;
  return listShowsDefinition(listTemplate, table.entries[refresh.definitionIndex]);
}
