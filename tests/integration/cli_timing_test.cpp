// qzctl's fast reads (a read ends at the reply's CR) against --strict-timing, and the
// watching monitor, against qzsim.
#include "tests/integration/cli_fixture.h"

#include <algorithm>
#include <regex>
#include <vector>

namespace {

using cli_test::CtlResult;
using cli_test::slurp;

class Timing : public cli_test::CliTest {};

TEST_F(Timing, FastReadsTransferTheSameAsStrictOnes) {
  ASSERT_TRUE(sim_("PACE ON"));
  ASSERT_TRUE(sim_("SET PARAM 0803 00000077"));
  ASSERT_TRUE(sim_("SET POINT 3 000005DC FFFFF830"));
  for (const char* kind : {"params", "points"}) {
    std::string ext = kind == std::string("params") ? ".PRM" : ".PNT";
    CtlResult fast = qz(std::string("-q ") + kind + " save '" + file(std::string("fast") + ext) + "'");
    CtlResult strict = qz(std::string("-q --strict-timing ") + kind + " save '" + file(std::string("strict") + ext) + "'");
    ASSERT_EQ(fast.code, 0) << fast.err;
    ASSERT_EQ(strict.code, 0) << strict.err;
    EXPECT_EQ(slurp(file(std::string("fast") + ext)), slurp(file(std::string("strict") + ext))) << kind;
  }
  ASSERT_TRUE(sim_("SET PARAM 0803 00000010"));
  ASSERT_TRUE(sim_("SET POINT 3 00000001 00000002"));
  EXPECT_EQ(qz("-q params load '" + file("fast.PRM") + "' --verify").code, 0);
  EXPECT_EQ(qz("-q points load '" + file("fast.PNT") + "'").code, 0);
  EXPECT_EQ(qz("-q --strict-timing points verify '" + file("strict.PNT") + "'").code, 0);
  // A reply in two bursts, a truncated one and a byte before STX end the same way
  // under both reads: the CR rule never takes half a reply for a whole one.
  for (const char* fault : {"FAULT SPLIT 3", "FAULT TRUNCATE 3 12", "FAULT PREFIX 1"}) {
    int codes[2];
    for (int strict = 0; strict < 2; ++strict) {
      ASSERT_TRUE(sim_("FAULT NONE"));
      ASSERT_TRUE(sim_(fault));
      codes[strict] = qz(std::string(strict ? "--strict-timing " : "") + "--timeout 300 status").code;
    }
    EXPECT_EQ(codes[0], codes[1]) << fault;
  }
}

}  // namespace

namespace {

// A small XML well-formedness check: declarations, comments, quoted attributes,
// matching tags, known entities. Counts the elements named `countTag`.
bool wellFormed(const std::string& x, const std::string& countTag, int* count, std::string* why) {
  std::vector<std::string> open;
  *count = 0;
  for (size_t i = 0; i < x.size();) {
    if (x[i] == '&') {
      size_t end = x.find(';', i);
      std::string ref = end == std::string::npos ? "" : x.substr(i, end - i + 1);
      if (ref != "&lt;" && ref != "&gt;" && ref != "&amp;" && ref != "&quot;" && ref != "&apos;") {
        *why = "bad entity at " + std::to_string(i);
        return false;
      }
      i = end + 1;
      continue;
    }
    if (x[i] != '<') {
      if (x[i] == '>') { *why = "stray > at " + std::to_string(i); return false; }
      ++i;
      continue;
    }
    if (x.compare(i, 2, "<?") == 0 || x.compare(i, 4, "<!--") == 0) {
      size_t end = x.find(x[i + 1] == '?' ? "?>" : "-->", i);
      if (end == std::string::npos) { *why = "unclosed declaration"; return false; }
      i = end + 2;
      continue;
    }
    std::smatch m;
    std::string rest = x.substr(i, x.find('>', i) - i + 1);
    static const std::regex closing(R"(^</([A-Za-z][\w:-]*)\s*>$)");
    static const std::regex opening(R"(^<([A-Za-z][\w:-]*)(\s+[\w:-]+\s*=\s*("[^"<]*"|'[^'<]*'))*\s*(/?)>$)");
    if (std::regex_match(rest, m, closing)) {
      if (open.empty() || open.back() != m[1]) { *why = "mismatched </" + m[1].str() + ">"; return false; }
      open.pop_back();
    } else if (std::regex_match(rest, m, opening)) {
      if (m[1] == countTag) ++*count;
      if (m[4] != "/") open.push_back(m[1]);
    } else {
      *why = "bad tag " + rest.substr(0, 80);
      return false;
    }
    i += rest.size();
  }
  if (!open.empty()) *why = "unclosed <" + open.back() + ">";
  return open.empty();
}

TEST_F(Timing, AWatchEndsWithCtrlCAndLeavesItsChart) {
  ASSERT_TRUE(sim_("SET SERVO 1"));
  // The axis moves while the monitor watches: the command position changes.
  ASSERT_EQ(qz("move inc 20").code, 0);
  EXPECT_EQ(interrupted("monitor values --watch --interval 50 --plot '" + file("watch.svg") + "'", "1"), 0)
      << slurp(file("err"));
  std::string out = slurp(file("out"));
  EXPECT_TRUE(std::regex_search(out, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  values)"))) << out;
  EXPECT_NE(out.find("[command unit]"), std::string::npos) << out;
  EXPECT_NE(out.find("[%]"), std::string::npos) << out;
  std::string svg = slurp(file("watch.svg"));
  int paths = 0;
  std::string why;
  EXPECT_TRUE(wellFormed(svg, "path", &paths, &why)) << why;
  EXPECT_EQ(paths, 7) << svg;
  EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
  // Each path runs through every sample: more than one point, all inside the chart.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, std::regex("<path d=\"M([^\"]*)\"")));
  EXPECT_GT(std::count(m[1].first, m[1].second, 'L'), 5) << m[1];
  EXPECT_NE(svg.find(" s</text>"), std::string::npos) << "a time axis in seconds";
  EXPECT_NE(svg.find("output torque [%]"), std::string::npos);
  // --plot needs a watch of the values.
  EXPECT_EQ(qz("monitor motion --watch --plot '" + file("m.svg") + "'").code, 2);
}

}  // namespace
