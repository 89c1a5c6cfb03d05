// Parameter editors: limits in the definition's width and sign, the bit, digit and
// selection editors' rows and the values they compose.
#include <gtest/gtest.h>

#include "editing/parameter_editors.h"
#include "files/parameter_file.h"
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
  EXPECT_EQ(v, 0xFF9C);   // in the low 16 bits; the upper ones as held
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

TEST(BitEditor, OffersFourChoicesShowsTheHeldValueAndWritesUncoveredBitsAsZero) {
  auto t = parseTable(
      "Pn0010:\r\nB:\"bits\"{0,3:\"six\"{0:\"a\" 1:\"b\" 2:\"c\" 3:\"d\" 4:\"e\" 5:\"f\"}"
      " 4,1:\"one\"{0:\"off\" 1:\"on\"} 6,1:\"narrow\"{0:\"x\" 2:\"y\"}"
      " 8,4:\"home\"{0:\"p\" 1:\"q\" 2:\"r\" 3:\"s\" F:\"unused\"}}\r\n");
  ParameterDefinition& def = t->entries[0];
  // Field 0 holds 5 (the sixth choice), bit 4 is 0, bits 8-11 hold F (the fifth
  // choice), bits 12-15 no field covers.
  def.value = 0xFF25;
  ChoiceRow rows[BIT_EDITOR_ROWS];
  bitEditorRows(def, rows);
  ASSERT_EQ(rows[0].choiceCount, 5);   // the first four, then the held value
  EXPECT_STREQ(rows[0].texts[3], "d");
  EXPECT_STREQ(rows[0].texts[4], "f");
  EXPECT_EQ(rows[0].selected, 4);
  EXPECT_STREQ(rows[1].label, "one");
  EXPECT_EQ(rows[1].choiceCount, 2);
  EXPECT_EQ(rows[1].selected, 0);
  EXPECT_STREQ(rows[3].texts[rows[3].selected], "unused");
  EXPECT_FALSE(rows[4].enabled);

  // Only the field the engineer changed moves; untouched ones keep their bits.
  int32_t v = 0;
  int untouched[BIT_EDITOR_ROWS] = {4, 1, 0, 4};
  ASSERT_EQ(composeBitValue(def, untouched, &v), EDIT_OK);
  EXPECT_EQ(v, 0x0F15);   // 5 | 1 << 4 | F << 8; bits 5 and 12-15 written 0
  int pick[BIT_EDITOR_ROWS] = {3, 1, 0, 1};
  ASSERT_EQ(composeBitValue(def, pick, &v), EDIT_OK);
  EXPECT_EQ(v, 0x0113);
  int beyond[BIT_EDITOR_ROWS] = {5, 1, 0, 4};
  EXPECT_EQ(composeBitValue(def, beyond, &v), EDIT_NO_SELECTION);
  int none[BIT_EDITOR_ROWS] = {3, -1, 0, 4};
  EXPECT_EQ(composeBitValue(def, none, &v), EDIT_NO_SELECTION);
  // Value 2 in the one-bit field at bit 6 would set bit 7 of another field.
  int tooWide[BIT_EDITOR_ROWS] = {3, 1, 1, 4};
  EXPECT_EQ(composeBitValue(def, tooWide, &v), EDIT_FIELD_OVERFLOW);
  EXPECT_EQ(v, 0x0113);

  // A held value no choice names shows as its digits; a held value that is
  // offered has no extra item, so the item after the offered ones is refused.
  def.value = 0x0705;
  bitEditorRows(def, rows);
  ASSERT_EQ(rows[3].choiceCount, 5);
  EXPECT_STREQ(rows[3].texts[4], "7");
  def.value = 0x0001;
  bitEditorRows(def, rows);
  EXPECT_EQ(rows[0].choiceCount, 4);
  EXPECT_EQ(rows[0].selected, 1);
  int afterOffered[BIT_EDITOR_ROWS] = {4, 0, 0, 0};
  EXPECT_EQ(composeBitValue(def, afterOffered, &v), EDIT_NO_SELECTION);
}

// A 1- or 2-byte value lives in its low bytes: the editors and the PRM reader
// write only those, so every frame carries the upper bytes the module holds.
TEST(ParameterValues, EditorsAndTheFileReaderWriteOnlyTheLowBytes) {
  auto t = parseTable(
      "Pn0040:\r\nD:\"s16\"{2,-10.0,10.0}\r\n"
      "Pn0041:\r\nH:\"h8\"{1,00,FF}\r\n"
      "Pn0042:\r\nB:\"bits\"{0,1:\"b\"{0:\"off\" 1:\"on\"}}\r\n"
      "Pn0043:\r\nN:\"digits\"{0:\"d\"{0:\"p\" 1:\"q\"}}\r\n"
      "Pn0044:\r\nS:\"sel\"{0:\"a\" 3:\"b\"}\r\n");
  for (uint32_t upper : {0x00000000u, 0x5A5A0000u}) {
    ParameterDefinition& s16 = t->entries[0];
    s16.value = static_cast<int32_t>(upper | 0x0032);   // 5.0
    int32_t v = 0;
    ASSERT_EQ(readNumericEditor(s16, "-1.0", &v), EDIT_OK);
    EXPECT_EQ(static_cast<uint32_t>(v), upper | 0xFFF6) << std::hex << upper;
    s16.value = v;
    ParameterDefinition& h8 = t->entries[1];
    h8.value = static_cast<int32_t>(upper | 0x00);
    ASSERT_EQ(readNumericEditor(h8, "FF", &v), EDIT_OK);
    EXPECT_EQ(static_cast<uint32_t>(v), upper | 0xFF);
    h8.value = v;
    int one[BIT_EDITOR_ROWS] = {1};
    t->entries[2].value = static_cast<int32_t>(upper);
    ASSERT_EQ(composeBitValue(t->entries[2], one, &v), EDIT_OK);
    EXPECT_EQ(static_cast<uint32_t>(v), upper | 1);
    int digit[DIGIT_EDITOR_ROWS] = {1};
    t->entries[3].value = static_cast<int32_t>(upper);
    ASSERT_EQ(composeDigitValue(t->entries[3], digit, &v), EDIT_OK);
    EXPECT_EQ(static_cast<uint32_t>(v), upper | 1);
    t->entries[4].value = static_cast<int32_t>(upper);
    ASSERT_EQ(selectionEditorValue(t->entries[4], 1, &v), EDIT_OK);
    EXPECT_EQ(static_cast<uint32_t>(v), upper | 3);

    // A later load of the file reads 5.0 and 7F into the low bytes only.
    const char prm[] = "No,Type,Parameter Name,Value,Unit\r\nPn0040,D,s16,  5.0,\r\nPn0041,H,h8,7F,\r\n\x1a";
    ASSERT_EQ(parseParameterFile(prm, sizeof prm - 1, t.get()), 0);
    EXPECT_EQ(static_cast<uint32_t>(s16.value), upper | 0x0032);
    EXPECT_EQ(static_cast<uint32_t>(h8.value), upper | 0x7F);
  }
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
  def.value = 5;   // no choice: listed after them as held, and written back as held
  selectionEditorRow(def, &row);
  ASSERT_EQ(row.choiceCount, 4);
  EXPECT_EQ(row.selected, 3);
  EXPECT_STREQ(row.texts[3], "5");
  int32_t v = 0;
  ASSERT_EQ(selectionEditorValue(def, 3, &v), EDIT_OK);
  EXPECT_EQ(v, 5);
  ASSERT_EQ(selectionEditorValue(def, 2, &v), EDIT_OK);
  EXPECT_EQ(v, 7);
  EXPECT_EQ(selectionEditorValue(def, 4, &v), EDIT_NO_SELECTION);
  EXPECT_EQ(selectionEditorValue(def, -1, &v), EDIT_NO_SELECTION);
}
