// The parameter lists' portable side: which definitions a list shows, the two row
// maps between list rows and table indices, the row texts, the progress label,
// the editor a row opens, and the identity of a posted refresh.
#pragma once
#include <cstdint>

#include "files/definitions.h"
#include "files/transfer_notice.h"
#include "resources/resource.h"

// The two lists are known by their templates: IDD_SERVO_PARAM_LIST shows numbers
// below 0x800, IDD_OPTION_PARAM_LIST those from 0x800.

// Whether the list shows the definition; an unknown template shows nothing.
bool listShowsDefinition(uint16_t listTemplate, const ParameterDefinition& def);
// How many definitions of the table the list shows (the progress maximum).
uint16_t countListedDefinitions(uint16_t listTemplate, const ParameterTable& table);

// Row maps of one list. Entries hold NO_ROW (0xFFFF) where nothing is mapped, so
// a definition that got no row is never taken for row 0. Used on the
// user-interface thread only: the reading worker hands each value to its dialog,
// which assigns the row. About 256 KiB: keep it with the dialog's heap state.
constexpr uint32_t ROW_MAP_ENTRIES = 65535;
constexpr uint16_t NO_ROW = 0xFFFF;
struct ParameterRowMaps {
  uint32_t generation;                         // definitionGeneration() when cleared
  uint16_t rowCount;
  uint16_t definitionOfRow[ROW_MAP_ENTRIES];   // list row -> table index
  uint16_t rowOfDefinition[ROW_MAP_ENTRIES];   // table index -> list row
};

// Empties both maps and records the definition generation they belong to.
void clearRowMaps(ParameterRowMaps* maps, uint32_t generation);
// Gives the definition the next row; returns that row, or NO_ROW when the index
// cannot be mapped, already has a row, or the maps are full.
uint16_t assignRow(ParameterRowMaps* maps, uint16_t definitionIndex);
// NO_ROW (or, for definitionOfRow, NO_ROW as "no definition") when unmapped.
uint16_t rowOfDefinition(const ParameterRowMaps& maps, uint16_t definitionIndex);
uint16_t definitionOfRow(const ParameterRowMaps& maps, uint16_t row);

// Column texts of one row, terminated. Column 1 (name) and column 3 (unit) are the
// definition pool's Shift-JIS bytes, cut at a whole character when too long.
constexpr int PARAMETER_COLUMNS = 4;
constexpr int ROW_TEXT_SIZE = 128;
struct ParameterRowTexts {
  char columns[PARAMETER_COLUMNS][ROW_TEXT_SIZE];
};
// "Pn" + number as four upper-case hexadecimal digits (also the editors' number).
void parameterNumberText(uint16_t number, char out[8]);
// Column 2: kinds D and H with the definition's format, every other kind as four
// upper-case hexadecimal digits.
void parameterValueText(const ParameterDefinition& def, char out[ROW_TEXT_SIZE]);
void parameterRowTexts(const ParameterDefinition& def, ParameterRowTexts* row);

// Progress label of the reading worker: string 11 ("PnXXXX ...") as loaded, its
// placeholder overwritten by the number in four hexadecimal digits.
void composeParameterReadLabel(char* text, uint16_t number);

// The editor template of a kind (IDD_EDIT_DECIMAL, ...); 0 when the kind has no
// editor (no kind block read).
uint16_t editorTemplateFor(char kind);

// A refresh posted to a list is a ParameterRefresh (files/transfer_notice.h).
// Whether the list should re-read the definition: the refresh, the list's maps and
// the loaded table all belong to the same generation, the index lies inside the
// table and the list shows that definition. A stale refresh refreshes nothing.
bool refreshApplies(const ParameterRefresh& refresh, const ParameterRowMaps& maps,
                    uint16_t listTemplate, const ParameterTable& table,
                    uint32_t currentGeneration);
