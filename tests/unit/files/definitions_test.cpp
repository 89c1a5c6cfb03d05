// Definition file grammar: formats of D and H bodies, sub-entries of B, N and S,
// alarm texts, the mode directive, and the line of the first error.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "files/definitions.h"

namespace {

struct Parsed {
  std::unique_ptr<ParameterTable> table = std::make_unique<ParameterTable>();
  std::unique_ptr<AlarmTextTable> alarms = std::make_unique<AlarmTextTable>();
  std::unique_ptr<ModeRecord> mode = std::make_unique<ModeRecord>();
  uint16_t result = 0;
};

Parsed parse(const std::string& text) {
  Parsed p;
  std::memset(p.table.get(), 0, sizeof *p.table);
  std::memset(p.alarms.get(), 0, sizeof *p.alarms);
  p.result = parseDefinitions(text.data(), static_cast<uint32_t>(text.size()), p.table.get(),
                              p.alarms.get(), p.mode.get());
  return p;
}

TEST(Definitions, DecimalAndHexadecimalBodies) {
  Parsed p = parse(
      "// comment line\r\n"
      "Pn0A1F:\r\nD:\"signed\"{2,-32768,32767}\r\n"
      "Pn0100:\r\nD:\"gain\"{2,0,6.5 [Hz]}\r\n"
      "Pn0101:\r\nD:\"mixed\"{4,1.25,300 [ms]}\r\n"
      "Pn0800:\r\nH:\"switch\"{2,0000,FFFF}\r\n");
  ASSERT_EQ(p.result, 0);
  ASSERT_EQ(p.table->count, 4);
  const ParameterDefinition& s = p.table->entries[0];
  EXPECT_EQ(s.number, 0x0A1F);
  EXPECT_EQ(s.kind, 'D');
  EXPECT_EQ(s.size, 2);
  EXPECT_EQ(s.format & 0xF, 6);
  EXPECT_TRUE(definitionSigned(s));
  EXPECT_EQ(s.unit, nullptr);
  EXPECT_EQ(widenStored(s.minimum, 2, true), -32768);

  const ParameterDefinition& g = p.table->entries[1];
  EXPECT_EQ((g.format >> 4) & 0xF, 1);
  EXPECT_EQ(g.format & 0xF, 3);
  EXPECT_EQ(g.minimum, 0);
  EXPECT_EQ(g.maximum, 65);
  EXPECT_STREQ(g.unit, "[Hz]");

  // The limit with fewer fraction digits is scaled to the other's.
  const ParameterDefinition& m = p.table->entries[2];
  EXPECT_EQ((m.format >> 4) & 0xF, 2);
  EXPECT_EQ(m.minimum, 125);
  EXPECT_EQ(m.maximum, 30000);

  const ParameterDefinition& h = p.table->entries[3];
  EXPECT_EQ(h.kind, 'H');
  EXPECT_EQ(h.format, 0xC204);
  EXPECT_EQ(h.maximum & 0xFFFF, 0xFFFF);
}

TEST(Definitions, FieldsChoicesAlarmsAndMode) {
  Parsed p = parse(
      "MODE:DBG\r\n"
      "Pn0002:\r\nB:\"bits\"{\r\n0,1:\"a\"{0:\"off\" 1:\"on\"}\r\n4,2:\"b\"{3:\"three\"}\r\n}\r\n"
      "Pn0003:\r\nN:\"digits\"{0:\"low\"{0:\"x\" 1:\"y\"} 3:\"high\"{F:\"z\"}}\r\n"
      "Pn0004:\r\nS:\"select\"{0:\"zero\" 1:\"one\" A:\"ten\"}\r\n"
      "ALM:SVA{\r\n10:\"overload\"\r\nFF:\"last\"\r\n}\r\n"
      "ALM:HST{01:\"history\"}\r\n");
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.mode->debugMode, 1);
  EXPECT_STREQ(p.mode->modeCode, "DBG");
  const ParameterDefinition& b = p.table->entries[0];
  EXPECT_EQ(b.size, 2);
  ASSERT_EQ(b.entryCount, 2);
  EXPECT_EQ(b.bits[1].position, 4);
  EXPECT_EQ(b.bits[1].bitCount, 2);
  EXPECT_STREQ(b.bits[1].choices[0].text, "three");
  EXPECT_EQ(b.bits[1].choices[0].value, 3);
  EXPECT_EQ(b.bits[1].choices[1].text, nullptr);
  const ParameterDefinition& n = p.table->entries[1];
  ASSERT_EQ(n.entryCount, 2);
  EXPECT_EQ(n.nibbles[1].position, 3);
  EXPECT_EQ(n.nibbles[1].choices[0].value, 15);
  const ParameterDefinition& s = p.table->entries[2];
  ASSERT_EQ(s.entryCount, 3);
  EXPECT_EQ(s.choices[2].value, 10);
  EXPECT_STREQ(s.choices[2].text, "ten");
  EXPECT_STREQ(p.alarms->texts[ALARM_SVA][0x10], "overload");
  EXPECT_STREQ(p.alarms->texts[ALARM_SVA][0xFF], "last");
  EXPECT_STREQ(p.alarms->texts[ALARM_HST][0x01], "history");

  EXPECT_EQ(parse("MODE:DBX\r\n").mode->debugMode, 0);
}

TEST(Definitions, ShiftJisTrailBytesAreNotDelimiters) {
  // 0x83 0x5C is a katakana whose trail byte is a backslash; 0x81 0x68 has a
  // trail byte that is not a quote but the pair must be copied whole.
  std::string name = "\x83\x5C\x81\x68";
  Parsed p = parse("Pn0001:\r\nS:\"" + name + "\"{0:\"\x82\xA0\"}\r\n");
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(std::string(p.table->entries[0].name), name);
}

TEST(Definitions, ParsingAnotherTableLeavesStringsIntact) {
  // Texts of the same length: a pool shared between tables would be reused in place.
  Parsed a = parse("Pn0100:\r\nD:\"gain\"{2,0,100 [Hz]}\r\nALM:SVA{10:\"heat\"}\r\n");
  Parsed b = parse("Pn0200:\r\nD:\"rate\"{2,0,100 [ms]}\r\nALM:SVA{10:\"cold\"}\r\n");
  ASSERT_EQ(a.result, 0);
  ASSERT_EQ(b.result, 0);
  EXPECT_STREQ(a.table->entries[0].name, "gain");
  EXPECT_STREQ(a.table->entries[0].unit, "[Hz]");
  EXPECT_STREQ(a.alarms->texts[ALARM_SVA][0x10], "heat");
  EXPECT_STREQ(b.table->entries[0].name, "rate");
  EXPECT_STREQ(b.alarms->texts[ALARM_SVA][0x10], "cold");
}

TEST(Definitions, FirstErrorLine) {
  struct Case {
    const char* text;
    uint16_t line;
  } cases[] = {
      {"Pn0100:\r\nD:\"x\"{1,0,1000}\r\n", 2},                      // 1000 does not fit 8 bits
      {"Pn0100:\r\nB:\"x\"{\r\n0,1:\"a\"{}\r\n0,2:\"b\"{}\r\n}\r\n", 4},   // position used twice
      {"Pn0100:\r\nN:\"x\"{4:\"a\"{}}\r\n", 2},                     // position 4
      {"// ok\r\nSpeed\r\n", 2},                                    // a loose S
      {"Pn0100;\r\n", 1},                                           // header without colon
      {"Pn01G0:\r\nS:\"x\"{0:\"a\"}\r\n", 1},                       // not hexadecimal
      {"S:\"x\"{0:\"a\"}\r\n", 1},                                  // kind before any header
      {"Pn0100:\r\nD:\"x\"{2,0,10,20}\r\n", 2},                     // a fourth number
      {"Pn0100:\r\nS:\"x\"{\"a\" 0:\"b\"}\r\n", 2},                 // text before its value
      {"Pn0100:\r\nB:\"x\"{0,1:\"a\"{\"t\" 0:\"u\"}}\r\n", 2},       // choice text before value
      {"ALM:XYZ{}\r\n", 1},
      {"\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nMODX\r\n", 26},
  };
  for (const Case& c : cases) EXPECT_EQ(parse(c.text).result, c.line) << c.text;
  // Lines end only at CR LF: with LF alone every error is on line 1.
  EXPECT_EQ(parse("\n\n\nSpeed\n").result, 1);
}

TEST(Definitions, LimitsOfTheTable) {
  std::string many;
  for (int i = 0; i < 4096; ++i) {
    char header[16];
    std::snprintf(header, sizeof header, "Pn%04X:\r\n", i);
    many += header;
  }
  EXPECT_EQ(parse(many).result, 4096);   // the header beyond the last slot

  // A repeated kind block replaces the first.
  Parsed p = parse("Pn0100:\r\nS:\"x\"{0:\"a\"}\r\nD:\"y\"{2,0,100}\r\n");
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.table->entries[0].kind, 'D');
  EXPECT_STREQ(p.table->entries[0].name, "y");

  // Ctrl-Z ends the data; what follows is not read.
  EXPECT_EQ(parse("Pn0100:\r\nS:\"x\"{0:\"a\"}\r\n\x1A" "Speed").result, 0);
  EXPECT_EQ(parse("// only comments\r\n\r\n").table->count, 0);
}

TEST(Definitions, ShippedFilesLoad) {
  for (const char* name : {"ParmDef.cfg", "ParmDefL.cfg"}) {
    clearDefinitions();
    std::string path = std::string(QZ_SOURCE_DIR) + "/data/" + name;
    EXPECT_EQ(loadDefinitions(path.c_str()), 0) << name;
    EXPECT_GE(g_parameterTable.count, 60) << name;
    EXPECT_NE(findDefinition(0x0800), nullptr) << name;
    EXPECT_EQ(g_mode.debugMode, 0);
  }
  clearDefinitions();
  EXPECT_EQ(loadDefinitions((std::string(QZ_SOURCE_DIR) + "/data/ParmDefDbg.cfg").c_str()), 0);
  EXPECT_EQ(g_mode.debugMode, 1);
  EXPECT_EQ(loadDefinitions((std::string(QZ_SOURCE_DIR) + "/data/NoSuchFile.cfg").c_str()), 0xFFFF);
}

}  // namespace
