// The program's version, one number for the desktop program's version dialog, qzctl
// --version and the release package's name.
#pragma once
#include <cstdint>

constexpr uint16_t PROGRAM_VERSION = 100;            // 1.00
constexpr uint16_t PROGRAM_VERSION_FORMAT = 0x0225;  // unsigned 16-bit, 2 decimals, width 5, right-aligned

// "Ver" and the version as the version dialog shows it ("Ver 1.00"); `out` holds at
// least 16 bytes.
void programVersionText(char* out);
