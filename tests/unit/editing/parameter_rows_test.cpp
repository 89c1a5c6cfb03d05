// Parameter lists: range, row texts by kind, row maps and the refresh identity.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "editing/parameter_rows.h"
#include "parsed_definitions.h"

namespace {
const char* kDefinitions =
    "Pn07FF:\r\nD:\"\x8A\x70\x93\x78\"{2,-100,100 [deg]}\r\n"   // Shift-JIS name
    "Pn0800:\r\nH:\"hex\"{2,0000,FFFF [x]}\r\n"
    "Pn0801:\r\nB:\"bits\"{0,1:\"f\"{0:\"a\"}}\r\n"
    "Pn0802:\r\n";                                             // no kind block
}

TEST(ParameterRows, TextsByKindAndEditorsByKind) {
  auto t = parseTable(kDefinitions);
  t->entries[0].value = 0xFFFB;
  t->entries[1].value = 0x1A;
  t->entries[2].value = 0x10013;   // only the low 16 bits are shown
  ParameterRowTexts row;
  parameterRowTexts(t->entries[0], &row);
  EXPECT_STREQ(row.columns[0], "Pn07FF");
  EXPECT_STREQ(row.columns[1], "\x8A\x70\x93\x78");
  EXPECT_STREQ(row.columns[2], "  -5");
  EXPECT_STREQ(row.columns[3], "[deg]");
  parameterRowTexts(t->entries[1], &row);
  EXPECT_STREQ(row.columns[2], "001A");
  EXPECT_STREQ(row.columns[3], "[x]");
  parameterRowTexts(t->entries[2], &row);
  EXPECT_STREQ(row.columns[2], "0013");
  EXPECT_STREQ(row.columns[3], "");

  const uint16_t expected[] = {IDD_EDIT_DECIMAL, IDD_EDIT_HEX, IDD_EDIT_BITS, 0};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(editorTemplateFor(t->entries[k].kind), expected[k]);
  EXPECT_EQ(editorTemplateFor('N'), IDD_EDIT_DIGITS);
  EXPECT_EQ(editorTemplateFor('S'), IDD_EDIT_SELECTION);

  EXPECT_EQ(countListedDefinitions(IDD_SERVO_PARAM_LIST, *t), 1);
  EXPECT_EQ(countListedDefinitions(IDD_OPTION_PARAM_LIST, *t), 3);

  char label[] = "PnXXXX reading";
  composeParameterReadLabel(label, 0x0A1F);
  EXPECT_STREQ(label, "Pn0A1F reading");
}

TEST(ParameterRows, UnmappedDefinitionsHaveNoRowAndStaleRefreshesApplyNowhere) {
  auto t = parseTable(kDefinitions);
  auto maps = std::make_unique<ParameterRowMaps>();
  uint32_t generation = definitionGeneration();
  clearRowMaps(maps.get(), generation);
  // Definition 1 was rejected by the module: rows go to 2 and 3 only.
  EXPECT_EQ(assignRow(maps.get(), 2), 0);
  EXPECT_EQ(assignRow(maps.get(), 3), 1);
  EXPECT_EQ(assignRow(maps.get(), 3), NO_ROW);
  EXPECT_EQ(rowOfDefinition(*maps, 1), NO_ROW);
  EXPECT_EQ(rowOfDefinition(*maps, 3), 1);
  EXPECT_EQ(definitionOfRow(*maps, 1), 3);
  EXPECT_EQ(definitionOfRow(*maps, 2), NO_ROW);

  ParameterRefresh refresh{generation, 2};
  ParameterRefresh posted = unpackParameterRefresh(packParameterRefresh(refresh));
  EXPECT_TRUE(refreshApplies(posted, *maps, IDD_OPTION_PARAM_LIST, *t, generation));
  EXPECT_FALSE(refreshApplies(posted, *maps, IDD_SERVO_PARAM_LIST, *t, generation));
  EXPECT_FALSE(refreshApplies({generation, 4}, *maps, IDD_OPTION_PARAM_LIST, *t, generation));

  // The definition file is switched; the refresh was posted before and arrives after.
  clearDefinitions();
  auto reloaded = parseTable(kDefinitions);
  uint32_t now = definitionGeneration();
  EXPECT_NE(now, generation);
  EXPECT_FALSE(refreshApplies(posted, *maps, IDD_OPTION_PARAM_LIST, *reloaded, now));
  clearRowMaps(maps.get(), now);   // a list opened on the new file
  EXPECT_FALSE(refreshApplies(posted, *maps, IDD_OPTION_PARAM_LIST, *reloaded, now));
  EXPECT_TRUE(refreshApplies({now, 2}, *maps, IDD_OPTION_PARAM_LIST, *reloaded, now));
}
