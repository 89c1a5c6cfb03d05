// Point-table data files (*.PNT): 50 lines of point number, speed and position.
#pragma once
#include <cstdint>
#include "files/point_table.h"

constexpr uint32_t POINT_FILE_SIZE = 1370;   // header, 50 lines of 27 bytes, Ctrl-Z

// Builds the file image (exactly POINT_FILE_SIZE bytes) into `out`.
void formatPointFile(const PointEntry* points, char* out);
// Reads a file image into the 50-entry buffer: 0, or the 1-based line of the
// first error (points before it are stored, points not named keep their values).
uint16_t parsePointFile(const char* data, uint32_t size, PointEntry* points);

// 0, 0xFFFF (missing, empty or unreadable file), or the line of the first error.
uint16_t readPointFile(const char* path, PointEntry* points);
// 0, or 0xFFFF when the file could not be written (the old file is left as it was).
uint16_t writePointFile(const char* path, const PointEntry* points);
