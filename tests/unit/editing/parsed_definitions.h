// Definitions for the editing tests, parsed from definition-file text so the
// records are the ones the program really builds.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "files/definitions.h"

inline std::unique_ptr<ParameterTable> parseTable(const std::string& text) {
  auto table = std::make_unique<ParameterTable>();
  static AlarmTextTable alarms;
  ModeRecord mode{};
  std::memset(table.get(), 0, sizeof *table);
  EXPECT_EQ(parseDefinitions(text.data(), static_cast<uint32_t>(text.size()), table.get(), &alarms,
                             &mode),
            0);
  return table;
}
