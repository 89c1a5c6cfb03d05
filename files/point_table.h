// The point table: 50 points of feed speed and target position, kept in the
// settings block at offset 1184 (8 bytes a point, little-endian, no padding).
#pragma once
#include <cstdint>

constexpr int POINT_COUNT = 50;

struct PointEntry {
  uint32_t speed;
  int32_t position;
};

// Entry k holds point k + 1.
struct PointTable {
  PointEntry points[POINT_COUNT];
};
static_assert(sizeof(PointEntry) == 8 && sizeof(PointTable) == 400,
              "the settings block stores the table as 50 x 8 bytes");
