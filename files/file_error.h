// The one error box for every data file: definition, PRM and PNT reads and writes.
#pragma once
#include <cstdint>
#include "link/prompt.h"

constexpr uint16_t FILE_ERROR_DEFINITION_READ = 0;   // string 260, with LINE:
constexpr uint16_t FILE_ERROR_DATA_READ = 1;         // string 261, with LINE:
constexpr uint16_t FILE_ERROR_DATA_WRITE = 2;        // string 262, no caption
constexpr uint16_t FILE_ERROR_POINT_READ = 3;        // string 263, with LINE:
constexpr uint16_t FILE_ERROR_POINT_WRITE = 4;       // string 264

// "LINE:" and the line as four upper-case hexadecimal digits, or "LINE:xxxx" for
// 0xFFFF; `out` holds at least 10 bytes.
void formatFileErrorLine(uint16_t line, char* out);
// Shows the box of that kind through the prompt interface; other kinds show nothing.
void showFileError(OwnerHandle owner, uint16_t kind, uint16_t line);
