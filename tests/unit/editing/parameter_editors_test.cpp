// Parameter editors: limits in the definition's width and sign, the bit, digit and
// selection editors' rows and the values they compose.
#include <gtest/gtest.h>

#include "editing/parameter_editors.h"
#include "protocol/number_format.h"
#include "parsed_definitions.h"

TEST(NumericEditor, LimitsAreComparedInTheDefinitionsWidthAndSign) {
  auto t = parseTable(
      "Pn0001:\r\nD:\"s16\"{2,-100,100}\r\n"
      "Pn0002:\r\nD:\"u32\"{4,4294967290,4294967295}\r\n"
      "Pn0003:\r\nH:\"h32\"{4,00000010,FFFFFFF0}\r\n");
  ParameterDefinition& s16 = t->entries[0];
  int32_t v = 0;
  EXPECT_EQ(readNumericEditor(s16, "-100", &v), EDIT_OK);
  EXPECT_EQ(v, -100);
  EXPECT_EQ(readNumericEditor(s16, "-101", &v), EDIT_OUT_OF_LIMITS);
  EXPECT_EQ(readNumericEditor(s16, "101", &v), EDIT_OUT_OF_LIMITS);
  EXPECT_EQ(readNumericEditor(s16, "", &v), EDIT_UNREADABLE);
  EXPECT_EQ(readNumericEditor(s16, "-10000", &v), EDIT_UNREADABLE);   // wider than the field
  s16.value = 0xFFFB;   // -5 as the module's 16-bit pattern
  char text[FIELD_TEXT_SIZE];
  ASSERT_TRUE(numericEditorText(s16, text));
  EXPECT_STREQ(text, "-5");

  const ParameterDefinition& u32 = t->entries[1];
  EXPECT_EQ(readNumericEditor(u32, "4294967295", &v), EDIT_OK);
  EXPECT_EQ(static_cast<uint32_t>(v), 0xFFFFFFFFu);
  EXPECT_EQ(readNumericEditor(u32, "4294967289", &v), EDIT_OUT_OF_LIMITS);
  EXPECT_EQ(readNumericEditor(u32, "4294967296", &v), EDIT_UNREADABLE);

  // Hexadecimal is unsigned: FFFFFFF1 is above the maximum, not a small negative.
  const ParameterDefinition& h32 = t->entries[2];
  EXPECT_EQ(readNumericEditor(h32, "fffffff0", &v), EDIT_OK);
  EXPECT_EQ(readNumericEditor(h32, "FFFFFFF1", &v), EDIT_OUT_OF_LIMITS);
  EXPECT_EQ(readNumericEditor(h32, "0000000F", &v), EDIT_OUT_OF_LIMITS);
  EXPECT_EQ(numericEditorFormat(h32), hex8);
}

TEST(BitEditor, OffersFourChoicesAndWritesUncoveredBitsAsZero) {
  auto t = parseTable(
      "Pn0010:\r\nB:\"bits\"{0,3:\"six\"{0:\"a\" 1:\"b\" 2:\"c\" 3:\"d\" 4:\"e\" 5:\"f\"}"
      " 4,1:\"one\"{0:\"off\" 1:\"on\"} 6,1:\"narrow\"{0:\"x\" 2:\"y\"}}\r\n");
  ParameterDefinition& def = t->entries[0];
  def.value = 0xFF25;   // field 0 holds 5 (not offered), bit 4 is 0, bits above set
  ChoiceRow rows[BIT_EDITOR_ROWS];
  bitEditorRows(def, rows);
  EXPECT_EQ(rows[0].choiceCount, 4);
  EXPECT_STREQ(rows[0].texts[3], "d");
  EXPECT_EQ(rows[0].selected, 0);
  EXPECT_STREQ(rows[1].label, "one");
  EXPECT_EQ(rows[1].selected, 0);
  EXPECT_FALSE(rows[3].enabled);

  int32_t v = 0;
  int pick[BIT_EDITOR_ROWS] = {3, 1, 0};
  ASSERT_EQ(composeBitValue(def, pick, &v), EDIT_OK);
  EXPECT_EQ(v, 0x13);   // 3 | 1 << 4; every other bit written 0
  int beyondFour[BIT_EDITOR_ROWS] = {4, 1, 0};
  EXPECT_EQ(composeBitValue(def, beyondFour, &v), EDIT_NO_SELECTION);
  int none[BIT_EDITOR_ROWS] = {3, -1, 0};
  EXPECT_EQ(composeBitValue(def, none, &v), EDIT_NO_SELECTION);
  // Value 2 in the one-bit field at bit 6 would set bit 7 of another field.
  int tooWide[BIT_EDITOR_ROWS] = {3, 1, 1};
  EXPECT_EQ(composeBitValue(def, tooWide, &v), EDIT_FIELD_OVERFLOW);
  EXPECT_EQ(v, 0x13);
}

TEST(DigitEditor, RowsFollowDigitPositionsAndUndefinedDigitsAreWrittenZero) {
  auto t = parseTable(
      "Pn0020:\r\nN:\"digits\"{3:\"high\"{0:\"zero\" A:\"ten\"} 1:\"low\"{0:\"p\" B:\"q\"}}\r\n");
  ParameterDefinition& def = t->entries[0];
  def.value = 0xA2B4;
  ChoiceRow rows[DIGIT_EDITOR_ROWS];
  digitEditorRows(def, rows);
  EXPECT_FALSE(rows[0].enabled);
  EXPECT_FALSE(rows[2].enabled);
  ASSERT_TRUE(rows[1].enabled && rows[3].enabled);
  EXPECT_STREQ(rows[1].label, "low");
  EXPECT_EQ(rows[1].selected, 1);   // digit 1 is B
  EXPECT_EQ(rows[3].selected, 1);   // digit 3 is A

  int32_t v = 0;
  int pick[DIGIT_EDITOR_ROWS] = {-1, 0, -1, 1};
  ASSERT_EQ(composeDigitValue(def, pick, &v), EDIT_OK);
  EXPECT_EQ(v, 0xA000);
  int missing[DIGIT_EDITOR_ROWS] = {0, -1, 0, 1};
  EXPECT_EQ(composeDigitValue(def, missing, &v), EDIT_NO_SELECTION);
}

TEST(SelectionEditor, SelectsByTheLow16BitsAndWritesTheChoicesValue) {
  auto t = parseTable("Pn0030:\r\nS:\"sel\"{0:\"a\" 3:\"b\" 7:\"c\"}\r\n");
  ParameterDefinition& def = t->entries[0];
  ChoiceRow row;
  def.value = 0x10003;
  selectionEditorRow(def, &row);
  EXPECT_EQ(row.choiceCount, 3);
  EXPECT_EQ(row.selected, 1);
  def.value = 5;
  selectionEditorRow(def, &row);
  EXPECT_EQ(row.selected, 0);
  int32_t v = 0;
  ASSERT_EQ(selectionEditorValue(def, 2, &v), EDIT_OK);
  EXPECT_EQ(v, 7);
  EXPECT_EQ(selectionEditorValue(def, 3, &v), EDIT_NO_SELECTION);
  EXPECT_EQ(selectionEditorValue(def, -1, &v), EDIT_NO_SELECTION);
}
