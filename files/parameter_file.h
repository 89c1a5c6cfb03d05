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

// 0, 0xFFFF (missing, empty or unreadable file), or the line of the first error.
uint16_t readParameterFile(const char* path, ParameterTable* table);
// 0, or 0xFFFF when the file could not be written (the old file is left as it was).
uint16_t writeParameterFile(const char* path, const ParameterTable* table);
