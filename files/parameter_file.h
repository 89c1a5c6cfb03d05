// Parameter data files (*.PRM): one comma-separated line per parameter with a value.
#pragma once
#include <cstdint>
#include "files/definitions.h"

// Largest image formatParameterFile can build for a full table.
uint32_t parameterFileCapacity(const ParameterTable* table);
// Builds the file image of every definition with a valid value into `out`
// (parameterFileCapacity bytes); returns its length.
uint32_t formatParameterFile(const ParameterTable* table, char* out);
// Reads a file image into the table: clears every valueValid first; 0, or the
// 1-based line of the first error (values before it stay stored).
uint16_t parseParameterFile(const char* data, uint32_t size, ParameterTable* table);

// A parameter's number and value apart from its definition: what a load sends and
// what a verify compares with. A few bytes a parameter, where a copy of the whole
// table would hold every definition's texts and fields again.
struct ParameterValue {
  uint16_t number;
  uint8_t valid;    // as the definition's valueValid
  int32_t value;    // only the low bytes of the definition's size are meaningful
};
struct ParameterValues {
  uint16_t count;
  ParameterValue entries[MAX_DEFINITIONS];
};
// The entry for `number`, or null.
const ParameterValue* findParameterValue(const ParameterValues& values, uint16_t number);
// Every entry's number, value and flag, entry k for the table's entry k.
void takeParameterValues(const ParameterTable& table, ParameterValues* values);
// parseParameterFile into `values` (as takeParameterValues left them) against the
// table's definitions, which are only read.
uint16_t parseParameterValues(const char* data, uint32_t size, const ParameterTable& definitions,
                              ParameterValues* values);

// 0, 0xFFFF (missing, empty or unreadable file), or the line of the first error.
uint16_t readParameterFile(const char* path, ParameterTable* table);
uint16_t readParameterValues(const char* path, const ParameterTable& definitions, ParameterValues* values);
// 0, or 0xFFFF when the file could not be written (the old file is left as it was).
uint16_t writeParameterFile(const char* path, const ParameterTable* table);
