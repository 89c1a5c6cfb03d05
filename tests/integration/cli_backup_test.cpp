// qzctl backup and restore of an axis against qzsim.
#include "tests/integration/cli_fixture.h"

#include <algorithm>

namespace {

using cli_test::exists;
using cli_test::CtlResult;
using cli_test::slurp;

class Backup : public cli_test::CliTest {};

TEST_F(Backup, RoundTripRestoresAndRefusesAnotherModuleType) {
  ASSERT_TRUE(sim_("SET PARAM 0803 00000077"));
  ASSERT_TRUE(sim_("SET POINT 3 000005DC FFFFF830"));
  CtlResult r = qz("-q backup '" + file("axis1") + "'");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("backup: "), std::string::npos) << r.out;
  std::string module = slurp(file("axis1/module.json"));
  EXPECT_NE(module.find("\"SV_TYP\":\"SVA-200L\""), std::string::npos) << module;
  // The definition file's SHA-256, checked against a known digest of its bytes.
  std::system(("sha256sum '" QZ_SOURCE_DIR "/data/ParmDef.cfg' >'" + file("sum") + "'").c_str());
  EXPECT_NE(module.find("\"sha256\": \"" + slurp(file("sum")).substr(0, 64) + "\""), std::string::npos) << module;
  EXPECT_NE(slurp(file("axis1/params.PRM")).find("Pn0803,D,"), std::string::npos);
  EXPECT_EQ(slurp(file("axis1/points.PNT")).size(), 1370u);
  EXPECT_EQ(qz("backup '" + file("axis1") + "'").code, 3) << "an existing folder is never written into";

  ASSERT_TRUE(sim_("SET PARAM 0803 00000010"));
  ASSERT_TRUE(sim_("SET POINT 3 00000001 00000002"));
  r = qz("-q restore '" + file("axis1") + "' --verify");
  EXPECT_EQ(r.code, 0) << r.err << r.out;
  std::string reply;
  ASSERT_TRUE(sim_("GET PARAM 0803", &reply));
  EXPECT_NE(reply.find("00000077"), std::string::npos) << reply;
  ASSERT_TRUE(sim_("GET POINT 3", &reply));
  EXPECT_NE(reply.find("000005DC"), std::string::npos) << reply;

  // Another amplifier type: nothing is sent, the text that differs is named. A
  // backup made with other definitions is said so.
  size_t sha = module.find("\"sha256\": \"") + 11;
  module.replace(sha, 64, std::string(64, '0'));
  std::ofstream(file("axis1/module.json"), std::ios::binary) << module;
  ASSERT_TRUE(sim_("SET ID 2 SVA-400L"));
  ASSERT_TRUE(sim_("SET PARAM 0803 00000010"));
  ASSERT_TRUE(sim_("LOG CLEAR"));
  r = qz("-q restore '" + file("axis1") + "'");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("SV_TYP differs: the module says \"SVA-400L\", the backup \"SVA-200L\""), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("another definition file"), std::string::npos) << r.err;
  std::string log;
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_EQ(log.find("WRPARM"), std::string::npos) << log;
  EXPECT_EQ(log.find("SET_PT"), std::string::npos) << log;
  r = qz("-q --json restore '" + file("axis1") + "' --force --verify");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\"parameterDifferences\":0,\"pointDifferences\":0}\n"), std::string::npos) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << "one JSON document:\n" << r.out;
  ASSERT_TRUE(sim_("GET PARAM 0803", &reply));
  EXPECT_NE(reply.find("00000077"), std::string::npos) << reply;
}

TEST_F(Backup, AFailedOrInterruptedBackupLeavesNoFolder) {
  // The points are read last: a failure there comes after the parameters were read.
  ASSERT_TRUE(sim_("FAULT ERROR GET_PT 0004"));
  CtlResult r = qz("-q backup '" + file("axis") + "'");
  EXPECT_EQ(r.code, 5) << r.err;
  ASSERT_TRUE(sim_("FAULT NONE"));
  ASSERT_TRUE(sim_("PACE ON"));
  EXPECT_EQ(interrupted("-q backup '" + file("axis") + "'", "2"), 4) << slurp(file("err"));
  EXPECT_FALSE(exists(file("axis")));
  std::system(("ls -A '" + dir + "' >'" + file("list") + "'").c_str());
  EXPECT_EQ(slurp(file("list")).find("axis"), std::string::npos) << slurp(file("list"));
  // An unwritable place is found before anything is read.
  ASSERT_TRUE(sim_("LOG CLEAR"));
  r = qz("backup /proc/qz-axis");
  EXPECT_EQ(r.code, 3);
  std::string log;
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_EQ(log.find("<STX>"), std::string::npos) << log;
}

// Redirected to a log, stderr gets no progress lines: the summary is all a run leaves.
// A folder without module.json is named with the system's reason, and no line.
TEST_F(Backup, ALogGetsTheSummaryOnlyAndAFolderWithoutModuleJsonIsNamed) {
  CtlResult r = qz("backup '" + file("axis") + "'");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  r = qz("restore '" + file("axis") + "' --verify");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.rfind("restore: ", 0), 0u) << r.out;
  std::system(("mkdir '" + file("empty") + "'").c_str());
  r = qz("restore '" + file("empty") + "'");
  EXPECT_EQ(r.code, 3);
  EXPECT_EQ(r.err, "qzctl restore " + file("empty") + ": cannot read the backup's " + file("empty") +
                       "/module.json: No such file or directory\n");
}

}  // namespace
