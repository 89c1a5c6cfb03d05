// The one error box for every data file: definition, PRM and PNT reads and writes.
#pragma once
#include <cstdint>
#include "link/prompt.h"

constexpr uint16_t FILE_ERROR_DEFINITION_READ = 0;   // IDS_DEFINITION_READ_FAILED, with LINE:
constexpr uint16_t FILE_ERROR_DATA_READ = 1;         // IDS_DATA_READ_FAILED, with LINE:
constexpr uint16_t FILE_ERROR_DATA_WRITE = 2;        // IDS_DATA_WRITE_FAILED, no caption
constexpr uint16_t FILE_ERROR_POINT_READ = 3;        // IDS_POINT_READ_FAILED, with LINE:
constexpr uint16_t FILE_ERROR_POINT_WRITE = 4;       // IDS_POINT_WRITE_FAILED

// "LINE:" and the line as four upper-case hexadecimal digits, or "LINE:xxxx" for
// 0xFFFF; `out` holds at least 10 bytes.
void formatFileErrorLine(uint16_t line, char* out);
// Shows the box of that kind through the prompt interface; other kinds show nothing.
void showFileError(OwnerHandle owner, uint16_t kind, uint16_t line);
