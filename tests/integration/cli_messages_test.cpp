// qzctl's messages, params diff and the parsable output, against qzsim.
#include "tests/integration/cli_fixture.h"

#include <filesystem>
#include <vector>

namespace {

using cli_test::CtlResult;
using cli_test::slurp;

class Messages : public cli_test::CliTest {
 protected:
  // The shipped sample file with line `number` (1-based) replaced by `text`, or
  // removed when `text` is empty.
  std::string sampleWith(const std::string& name, int number, const std::string& text) {
    std::string in = slurp(QZ_SOURCE_DIR "/data/Sample.PRM"), out;
    int line = 1;
    for (size_t at = 0; at < in.size(); ++line) {
      size_t end = in.find("\r\n", at);
      end = end == std::string::npos ? in.size() : end + 2;
      if (line != number) out += in.substr(at, end - at);
      else if (!text.empty()) out += text + "\r\n";
      at = end;
    }
    std::ofstream(file(name), std::ios::binary) << out;
    return file(name);
  }
};

TEST_F(Messages, EachMessageSaysWhatIsAllowed) {
  CtlResult r = qz("params set Pn0100 40.05");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("Pn0100 40.05: at most 1 fraction digit allowed"), std::string::npos) << r.err;
  r = qz("--unit 0.01 points set 3 --speed 1.234");
  EXPECT_NE(r.err.find("at most 2 fraction digits allowed"), std::string::npos) << r.err;
  r = qz("params list --fast");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("unknown option --fast"), std::string::npos) << r.err;
  // Line 69 is LINE:0045 in the desktop program's own text.
  r = qz("params check '" + sampleWith("bad.PRM", 69, "Pn0805,D,x,zz,-") + "'");
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("line 69 (LINE:0045)"), std::string::npos) << r.err;
  r = qz("params check '" + file("none.PRM") + "'");
  EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
  r = qz("-d '" + file("ParmDef.cfg") + "' params check x.PRM");
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--defs"), std::string::npos) << r.err;
  EXPECT_EQ(qz("--version").out, "qzctl Ver 1.00\n");
  // A silent module: each attempt is said as it ends.
  ASSERT_TRUE(sim_("FAULT SILENT"));
  r = qz("--timeout 200 status");
  EXPECT_EQ(r.code, 4);
  for (int attempt = 1; attempt <= 3; ++attempt)
    EXPECT_NE(r.err.find("no reply from " + sim.pty + " (RDSSTS), attempt " + std::to_string(attempt) + " of 3"),
              std::string::npos)
        << r.err;
}

TEST_F(Messages, ParamsDiffByNumberOffline) {
  std::string a = QZ_SOURCE_DIR "/data/Sample.PRM";
  EXPECT_EQ(qz("params diff '" + a + "' '" + a + "'").code, 0);
  // Pn0803 changed, and the line after it missing from B.
  std::string b = sampleWith("b.PRM", 67, "Pn0803,D,x,  2500,[r/min]");
  std::string c = sampleWith("c.PRM", 68, "");
  CtlResult r = qz("params diff '" + a + "' '" + b + "'");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out.rfind("Pn      name", 0), 0u) << r.out;
  EXPECT_NE(r.out.find(" A "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Pn0803  原点復帰速度"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1           2500 [r/min]"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 difference"), std::string::npos) << r.out;
  r = qz("--json params diff '" + a + "' '" + c + "'");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("\"differences\":1,"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(",\"b\":null,"), std::string::npos) << r.out;
}

TEST_F(Messages, VerifyGivesNumbersInJsonAndSavesCheckTheTargetFirst) {
  ASSERT_TRUE(sim_("SET PARAM 0803 00000077"));
  ASSERT_TRUE(sim_("SET POINT 3 000005DC FFFFF830"));
  CtlResult r = qz("-q params save '" + file("a.PRM") + "'");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("parameters read from the module into"), std::string::npos) << r.out;
  ASSERT_EQ(qz("-q points save '" + file("a.PNT") + "'").code, 0);
  ASSERT_TRUE(sim_("SET PARAM 0803 00000010"));
  ASSERT_TRUE(sim_("SET POINT 3 00000001 00000002"));
  r = qz("-q --json params verify '" + file("a.PRM") + "'");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("\"pn\":\"Pn0803\",\"name\":\"原点復帰速度\",\"file\":119,\"module\":16,"), std::string::npos)
      << r.out;
  r = qz("-q --json --unit 1 points verify '" + file("a.PNT") + "'");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("{\"point\":3,\"module\":{\"speed\":1,\"position\":2},\"file\":{\"speed\":1500,\"position\":-2000}}"),
            std::string::npos)
      << r.out;
  r = qz("-q points verify '" + file("a.PNT") + "'");
  EXPECT_EQ(r.out.rfind("No.", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("1 difference among 50 points"), std::string::npos) << r.out;
  // A target that cannot be written: refused before a request goes out.
  ASSERT_TRUE(sim_("LOG CLEAR"));
  for (const char* command : {"params save", "points save"}) {
    r = qz(std::string(command) + " /proc/qz.PRM");
    EXPECT_EQ(r.code, 3) << command;
    EXPECT_NE(r.err.find("cannot write /proc/qz.PRM"), std::string::npos) << r.err;
  }
  std::string log;
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_EQ(log.find("<STX>"), std::string::npos) << log;
}

// A target that passes the check but cannot be replaced (a folder stands where its
// temporary file goes): the message says why, with no line placeholder.
TEST_F(Messages, AFailedWriteSaysWhyWithoutALine) {
  std::filesystem::create_directory(file("w.PRM") + ".$qz");
  for (const char* command : {"params save", "points save"}) {
    CtlResult r = qz(std::string(command) + " '" + file("w.PRM") + "'");
    EXPECT_EQ(r.code, 3) << command;
    EXPECT_NE(r.err.find("file " + file("w.PRM") + ": Is a directory"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("xxxx"), std::string::npos) << r.err;
  }
}

}  // namespace
