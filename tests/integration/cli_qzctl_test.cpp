// qzctl run as a process against qzsim: output, exit codes, faults and file round trips.
#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/integration/cli_fixture.h"
#include "tests/support/wait.h"

namespace {

using cli_test::slurp;
using CtlRun = cli_test::CtlResult;
class Qzctl : public cli_test::CliTest {};

TEST_F(Qzctl, StatusAndIdInTextAndJson) {
  CtlRun r = qz("status");
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("ready   on"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("servo   off"), std::string::npos);
  ASSERT_TRUE(sim_("SET SERVO 1"));
  r = qz("--json status");
  EXPECT_EQ(r.out, "{\"ready\":1,\"servo\":1,\"main\":1,\"alarm\":0}\n");
  ASSERT_TRUE(sim_("SET ID 4 ENC-X 9.9"));
  r = qz("id --json");
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("\"EN_VER\":\"ENC-X 9.9\""), std::string::npos) << r.out;
  r = qz("id");
  EXPECT_NE(r.out.find("EN_VER   ENC-X 9.9"), std::string::npos) << r.out;
}

TEST_F(Qzctl, ParamsGetSetWithChecksAndUtf8Names) {
  ASSERT_TRUE(sim_("SET PARAM 0803 00000064"));
  CtlRun r = qz("--json params get Pn0803");
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("\"value\":100"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("原点復帰速度"), std::string::npos) << r.out;
  r = qz("params set Pn0803 250");
  EXPECT_EQ(r.code, 0) << r.err;
  std::string reply;
  ASSERT_TRUE(sim_("GET PARAM 0803", &reply));
  EXPECT_NE(reply.find("000000FA"), std::string::npos) << reply;
  // A signed 16-bit value goes into the low bytes; the upper ones as the module holds them.
  ASSERT_TRUE(sim_("SET PARAM 0124 5A5A0032"));
  r = qz("params set Pn0124 -1.0");
  EXPECT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(sim_("GET PARAM 0124", &reply));
  EXPECT_NE(reply.find("5A5AFFF6"), std::string::npos) << reply;
  // --option leaves out the servo parameters (below Pn0800).
  r = qz("-q params list --option");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Pn0803  原点復帰速度"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("250 [r/min]"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Pn0100"), std::string::npos);
  r = qz("-q --json params list");
  EXPECT_NE(r.out.find("{\"number\":2051,\"pn\":\"Pn0803\",\"name\":\"原点復帰速度\",\"value\":250,"), std::string::npos)
      << r.out;
  r = qz("-q points list");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 51) << "a header line and the 50 points";
  // Outside the limits: refused before anything is sent.
  r = qz("params set Pn0803 999999");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("outside 1..240000 [r/min]"), std::string::npos);
  ASSERT_TRUE(sim_("GET PARAM 0803", &reply));
  EXPECT_NE(reply.find("000000FA"), std::string::npos);
  EXPECT_EQ(qz("params set Pn0803 12x").code, 2);
  EXPECT_EQ(qz("params get Pn7777").code, 2);
  // The module rejects the number: an error reply.
  ASSERT_TRUE(sim_("REJECT 0803"));
  r = qz("params get Pn0803");
  EXPECT_EQ(r.code, 5);
  EXPECT_NE(r.err.find("rejects Pn0803"), std::string::npos) << r.err;
}

TEST_F(Qzctl, ParameterSaveLoadVerifyRoundTripAndDifference) {
  ASSERT_TRUE(sim_("SET PARAM 0803 00000077"));
  CtlRun r = qz("-q params save " + file("a.PRM"));
  ASSERT_EQ(r.code, 0) << r.err;
  std::string saved = slurp(file("a.PRM"));
  EXPECT_NE(saved.find("Pn0803,D,"), std::string::npos);
  EXPECT_EQ(qz("-q params verify " + file("a.PRM")).code, 0);
  ASSERT_TRUE(sim_("SET PARAM 0803 00000010"));
  r = qz("-q params verify " + file("a.PRM"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("1 difference"), std::string::npos) << r.out;
  r = qz("-q --json params verify " + file("a.PRM"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("\"differences\":1"), std::string::npos) << r.out;
  // Loading the file puts the saved value back and the read-back agrees.
  r = qz("-q params load " + file("a.PRM") + " --verify");
  EXPECT_EQ(r.code, 0) << r.err;
  std::string reply;
  ASSERT_TRUE(sim_("GET PARAM 0803", &reply));
  EXPECT_NE(reply.find("00000077"), std::string::npos) << reply;
  EXPECT_EQ(qz("params check " + file("a.PRM")).code, 0);
  // Pn0803 is limited to 1..240000: an edited file over the limit is an offender.
  size_t at = saved.find("Pn0803,D,");
  size_t value = saved.find(',', at + 9) + 1;
  saved.replace(value, saved.find(',', value) - value, "240001");
  std::ofstream(file("edited.PRM"), std::ios::binary) << saved;
  r = qz("params check " + file("edited.PRM"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Pn0803"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("outside 1..240000 [r/min]"), std::string::npos) << r.out;
}

TEST_F(Qzctl, BrokenParameterFileIsAFileErrorWithItsLine) {
  std::ofstream(file("bad.PRM"), std::ios::binary) << "No,Type,Parameter Name,Value,Unit\r\nPn0803,D,x,zz,-\r\n";
  ASSERT_TRUE(sim_("LOG CLEAR"));
  CtlRun r = qz("params load " + file("bad.PRM"));
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("LINE:"), std::string::npos) << r.err;
  std::string log;
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_EQ(log.find("WRPARM"), std::string::npos) << "nothing is sent for a broken file";
  EXPECT_EQ(qz("params check " + file("missing.PRM")).code, 3);
}

TEST_F(Qzctl, PointsSetSaveLoadVerify) {
  CtlRun r = qz("points set 3 --speed 1.5 --position -2");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "3 1.500 -2.000\n");
  r = qz("--unit 1 --json points get 3");
  EXPECT_EQ(r.out, "{\"point\":3,\"speed\":1500,\"position\":-2000}\n");
  ASSERT_EQ(qz("-q points save " + file("p.PNT")).code, 0);
  EXPECT_EQ(slurp(file("p.PNT")).size(), 1370u);
  ASSERT_TRUE(sim_("SET POINT 3 00000001 00000002"));
  EXPECT_EQ(qz("-q points verify " + file("p.PNT")).code, 1);
  r = qz("-q points load " + file("p.PNT") + " --verify");
  EXPECT_EQ(r.code, 0) << r.err << r.out;
  EXPECT_EQ(qz("points get 3").out, "3 1.500 -2.000\n");
  EXPECT_EQ(qz("points get 51").code, 2);
  EXPECT_EQ(qz("points set 3").code, 2);
}

TEST_F(Qzctl, FailuresMapToTheirExitCodes) {
  ASSERT_TRUE(sim_("FAULT ERROR RDSSTS 0012"));
  CtlRun r = qz("status");
  EXPECT_EQ(r.code, 5);
  EXPECT_NE(r.err.find("RDSSTS 0012"), std::string::npos) << r.err;
  ASSERT_TRUE(sim_("FAULT NONE"));
  ASSERT_TRUE(sim_("FAULT HEADER 5"));
  EXPECT_EQ(qz("status").code, 6);
  ASSERT_TRUE(sim_("FAULT NONE"));
  ASSERT_TRUE(sim_("FAULT SILENT"));
  ASSERT_TRUE(sim_("LOG CLEAR"));
  r = qz("--timeout 1000 --retry 1 status");
  EXPECT_EQ(r.code, 4);
  EXPECT_NE(r.err.find("retry 1 of 1"), std::string::npos) << r.err;
  ASSERT_TRUE(sim_("FAULT NONE"));
  EXPECT_EQ(qz("status").code, 0);
  // An open failure names the system's reason; a plain file is no serial line.
  r = qz("-p /nonexistent/qz-tty status");
  EXPECT_EQ(r.code, 4);
  EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
  r = qz(std::string("-p '") + QZ_SOURCE_DIR + "/data/ParmDef.cfg' status");
  EXPECT_EQ(r.code, 4);
  EXPECT_NE(r.err.find("Inappropriate ioctl for device"), std::string::npos) << r.err;
}

TEST_F(Qzctl, SimpleCommandsAndUsage) {
  EXPECT_EQ(qz("servo on").code, 0);
  std::string reply;
  ASSERT_TRUE(sim_("GET STATUS", &reply));
  EXPECT_NE(reply.find("servo=1"), std::string::npos) << reply;
  EXPECT_EQ(qz("servo off").code, 0);
  EXPECT_EQ(qz("brake on").code, 0);
  EXPECT_EQ(qz("stop").code, 0);
  EXPECT_EQ(qz("reset").code, 0);
  EXPECT_EQ(qz("servo maybe").code, 2);
  EXPECT_EQ(qz("frobnicate").code, 2);
  EXPECT_EQ(qz("--unit 0.5 status").code, 2);
  CtlRun r = qz("--help");
  EXPECT_EQ(r.code, 0);
  for (const char* word : {"--port", "--retry", "--trace", "params check", "points save", "monitor", "alarms",
                           "mem read", "outputs write", "jog", "move station", "home", "stop [--zero]"})
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  r = qz("move --help");
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("move station N [--dir cw|ccw|near]"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("motion options: --accel"), std::string::npos) << r.out;
  r = qz("params --help");
  EXPECT_NE(r.out.find("params check FILE.PRM"), std::string::npos) << r.out;
}

}  // namespace

namespace {

TEST_F(Qzctl, OutputsWriteWithMaskAndReleaseAndTraceStatistics) {
  std::string reply;
  CtlRun r = qz("--trace '" + file("trace.txt") + "' outputs write 0x0001 00F0 FFFF --mask 000F 00FF 0000");
  EXPECT_EQ(r.code, 0) << r.err;
  std::string trace = slurp(file("trace.txt"));
  EXPECT_NE(trace.find("> <STX>"), std::string::npos) << trace;
  EXPECT_NE(trace.find("SETDIS"), std::string::npos) << trace;
  EXPECT_NE(trace.find("WRPORT"), std::string::npos) << trace;
  EXPECT_NE(trace.find("requests 2\nreplies 2\nretries 0"), std::string::npos) << trace;
  ASSERT_TRUE(sim_("LOG", &reply));
  EXPECT_NE(reply.find("000F00FF0000"), std::string::npos) << reply;
  EXPECT_EQ(qz("outputs release").code, 0);
  ASSERT_TRUE(sim_("LOG", &reply));
  EXPECT_NE(reply.find("000000000000"), std::string::npos) << reply;
  EXPECT_EQ(qz("outputs write 1 2").code, 2);
  EXPECT_EQ(qz("outputs write 10000 0 0").code, 2);
  EXPECT_EQ(qz("outputs write 0 0 0 --mask 1 2 zz").code, 2);
}

// The one test of this suite that waits out the line's real 10 s reads.
TEST_F(Qzctl, TraceCountsFailuresOfASilentModule) {
  ASSERT_TRUE(sim_("FAULT SILENT"));
  CtlRun r = qz("--retry 1 --trace - status");
  EXPECT_EQ(r.code, 4);
  // Two requests of three attempts each: five written again, one reopening.
  EXPECT_NE(r.err.find("retries 5\nno reply 6\nreopens 1"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("failures status 1: 1"), std::string::npos) << r.err;
  EXPECT_EQ(qz("--trace /nonexistent/dir/t.txt status").code, 3);
}

}  // namespace

namespace {

TEST_F(Qzctl, InterruptedSaveLeavesTheTargetFileUntouched) {
  ASSERT_TRUE(sim_("PACE ON"));
  {
    std::ofstream keep(file("keep.PRM"), std::ios::binary);
    keep << "previous contents\r\n";
  }
  EXPECT_EQ(interrupted("params save '" + file("keep.PRM") + "'"), 4) << slurp(file("err"));
  EXPECT_EQ(slurp(file("keep.PRM")), "previous contents\r\n");
}

TEST_F(Qzctl, InterruptedJogStillStops) {
  ASSERT_TRUE(sim_("SET SERVO 1"));   // the module refuses a feed while the servo is off
  ASSERT_TRUE(sim_("LOG CLEAR"));
  EXPECT_EQ(interrupted("jog ccw --for 60000"), 4) << slurp(file("err"));
  std::string log;
  ASSERT_TRUE(sim_("LOG", &log));
  size_t feed = log.find("FEED__");
  ASSERT_NE(feed, std::string::npos) << log;
  EXPECT_NE(log.find("STOP__01CM:DEC_", feed), std::string::npos) << log;
  EXPECT_NE(slurp(file("err")).find("interrupted, feed stopped"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(Qzctl, MotionCommandsSendTheirRequestsAndWaitForTheBlockEnd) {
  std::string log;
  ASSERT_TRUE(sim_("SET SERVO 1"));
  ASSERT_TRUE(sim_("LOG CLEAR"));
  CtlRun r = qz("move abs -1.5 --speed 2 --accel lacc --wait");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("command position -1.500"), std::string::npos) << r.out;
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_NE(log.find("POSING"), std::string::npos) << log;
  EXPECT_NE(log.find("V:SET_000007D0"), std::string::npos) << log;
  EXPECT_NE(log.find("LACC"), std::string::npos) << log;
  ASSERT_TRUE(sim_("LOG CLEAR"));
  EXPECT_EQ(qz("jog cw --for 200").code, 0);
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_NE(log.find("FEED__"), std::string::npos) << log;
  EXPECT_NE(log.find("V:PARM"), std::string::npos) << log;
  EXPECT_NE(log.find("STOP__01CM:DEC_"), std::string::npos) << log;
  EXPECT_EQ(qz("home").code, 0);
  EXPECT_EQ(qz("move point 51").code, 2);
  EXPECT_EQ(qz("move abs 1 --accel fast").code, 2);
  EXPECT_EQ(qz("move station 2 --dir up").code, 2);
  EXPECT_EQ(qz("step + --param 5").code, 2);
  EXPECT_EQ(qz("jog cw").code, 2);
}

}  // namespace

namespace {

TEST_F(Qzctl, MonitorViewsInTextJsonAndCsv) {
  ASSERT_TRUE(sim_("SET INPUTS 0001 0203 F000"));
  CtlRun r = qz("monitor inputs");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("word 1 TARV→QZXXX 0203"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" 0 warn     ON  ﾜｰﾆﾝｸﾞ"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" 2 c-phase  OFF 擬似C相出力"), std::string::npos) << r.out;
  r = qz("monitor inputs --json");
  EXPECT_NE(r.out.find("{\"bit\":9,\"mnemonic\":\"pon\",\"label\":\"主回路完了\",\"on\":true}"), std::string::npos)
      << r.out;
  r = qz("monitor motion --json");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\"keyword\":\"NEUTRAL\",\"text\":\"停止状態\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("{\"bit\":3,\"label\":\"inpos\""), std::string::npos) << r.out;
  r = qz("monitor values --watch --count 3 --csv --interval 20");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("ms,command,feedback", 0), 0u) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 4) << r.out;
  EXPECT_EQ(qz("monitor speed").code, 2);
  EXPECT_EQ(qz("monitor values --interval 0").code, 2);
}

}  // namespace

namespace {

TEST_F(Qzctl, AlarmsWithStampLevelCodeAndTextAndClear) {
  // 4660 ticks of 8 ms; SVA and SYW both flagged: SVA is the level.
  ASSERT_TRUE(sim_("SET ALARMS QZ 00001234 00004110 00000000 00000077"));
  ASSERT_TRUE(sim_("SET ALARMS SV 00000000 00000040"));
  CtlRun r = qz("alarms");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("000 00:00:37.280  SVA  10  過電流\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("000 00:00:00.000       77  \n"), std::string::npos) << r.out;   // no kind, no text
  r = qz("alarms --json");
  EXPECT_NE(r.out.find("{\"code\":16,\"text\":\"過電流\",\"ticks\":4660,\"stamp\":\"000 00:00:37.280\","
                       "\"level\":\"SVA\",\"word\":16656}"),
            std::string::npos)
      << r.out;
  r = qz("alarms --history");
  EXPECT_EQ(r.out, "40  過電圧\n");
  EXPECT_EQ(qz("alarms --clear").code, 0);
  r = qz("alarms");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("no alarms"), std::string::npos) << r.out;
  EXPECT_EQ(qz("alarms --all").code, 2);
}

}  // namespace

namespace {

TEST_F(Qzctl, MemoryWriteThenReadBack) {
  EXPECT_EQ(qz("mem write 0x2000 BEEF --type word").code, 0);
  CtlRun r = qz("mem read 2000 2 --type word --json");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\"values\":[48879,"), std::string::npos) << r.out;
  r = qz("mem read 2000 2");
  EXPECT_EQ(r.out, "00002000  EF BE" + std::string(43, ' ') + "..              \n") << r.out;
  EXPECT_EQ(qz("mem write 2000 1FF --type byte").code, 2);
  EXPECT_EQ(qz("mem read 2000 0").code, 2);
}

}  // namespace

namespace {

size_t countOf(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

TEST_F(Qzctl, ServoParametersTravelInTheNormBank) {
  ASSERT_TRUE(sim_("SET PARAM 0100 000001F4"));   // 50.0 Hz
  ASSERT_TRUE(sim_("LOG CLEAR"));
  CtlRun r = qz("-q params list --servo");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Pn0100"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("50.0 [Hz]"), std::string::npos) << r.out;
  r = qz("params get Pn0100");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("50.0 [Hz]"), std::string::npos) << r.out;
  r = qz("params set Pn0100 40.0");
  EXPECT_EQ(r.code, 0) << r.err;
  std::string log, value;
  ASSERT_TRUE(sim_("GET PARAM 0100", &value));
  EXPECT_NE(value.find("00000190"), std::string::npos) << value;
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_NE(log.find("<STX>RDPARM01CM:NORMS:Pn0100<CR>"), std::string::npos) << log;
  EXPECT_NE(log.find("<STX>WRPARM01CM:NORMD:Pn010000000190<CR>"), std::string::npos) << log;
  EXPECT_EQ(log.find("M:S:"), std::string::npos) << log;
  EXPECT_EQ(log.find("M:D:"), std::string::npos) << log;
  // A parameter the module does not have is left out of the list, and said so.
  ASSERT_TRUE(sim_("REJECT 0101"));
  r = qz("-q params list --servo");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.find("Pn0101"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("1 defined parameter rejected"), std::string::npos) << r.err;
}

TEST_F(Qzctl, IdAsksInTheDialogOrderAndStopsAtTheFirstFailure) {
  const char* items[6] = {"QZ_TYP", "QZ_VER", "SV_TYP", "SV_VER", "EN_VER", "MT_TYP"};
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(sim_("SET ID " + std::to_string(i) + " text-" + items[i]));
  ASSERT_TRUE(sim_("LOG CLEAR"));
  CtlRun r = qz("id");
  EXPECT_EQ(r.code, 0) << r.err;
  std::string log;
  ASSERT_TRUE(sim_("LOG", &log));
  size_t at = 0;
  for (const char* item : {"SV_TYP", "SV_VER", "QZ_TYP", "QZ_VER", "EN_VER", "MT_TYP"}) {
    size_t next = log.find(std::string("RDDVID01CM:") + item, at);
    EXPECT_NE(next, std::string::npos) << item << " out of order in\n" << log;
    at = next == std::string::npos ? at : next;
    EXPECT_NE(r.out.find(std::string(item) + "   text-" + item), std::string::npos) << r.out;
  }
  EXPECT_LT(r.out.find("SV_TYP"), r.out.find("QZ_TYP")) << r.out;
  ASSERT_TRUE(sim_("FAULT ERROR RDDVID 0012"));
  ASSERT_TRUE(sim_("LOG CLEAR"));
  r = qz("id");
  EXPECT_EQ(r.code, 5);
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_EQ(countOf(log, "RDDVID"), 1u) << log;
  EXPECT_NE(log.find("RDDVID01CM:SV_TYP"), std::string::npos) << log;
}

TEST_F(Qzctl, PointSetWithoutPositionTeachesThePresentPosition) {
  ASSERT_TRUE(sim_("LOG CLEAR"));
  EXPECT_EQ(qz("points set 3 --speed 1.5").code, 0);
  std::string log;
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_NE(log.find("<STX>SET_PT01CN:0003V:000005DC<CR>"), std::string::npos) << log;
  CtlRun r = qz("points --help");
  EXPECT_NE(r.out.find("present position"), std::string::npos) << r.out;
}

TEST_F(Qzctl, ParameterLoadSendsNothingWhileAValueIsOutsideItsDefinition) {
  ASSERT_EQ(qz("-q params save " + file("a.PRM")).code, 0);
  std::string saved = slurp(file("a.PRM"));
  size_t at = saved.find("Pn0803,D,");
  ASSERT_NE(at, std::string::npos);
  size_t value = saved.find(',', at + 9) + 1;
  saved.replace(value, saved.find(',', value) - value, "999999");
  std::ofstream(file("edited.PRM"), std::ios::binary) << saved;
  ASSERT_TRUE(sim_("LOG CLEAR"));
  CtlRun r = qz("-q params load " + file("edited.PRM") + " --verify");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Pn0803"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("outside 1..240000 [r/min]"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("nothing sent"), std::string::npos) << r.err;
  std::string log;
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_EQ(log.find("<STX>"), std::string::npos) << "no frame at all for a refused file:\n" << log;
  // --force sends it; whether the module takes the value is its own decision.
  r = qz("-q params load " + file("edited.PRM") + " --force");
  EXPECT_TRUE(r.code == 0 || r.code == 5) << r.code << r.err;
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_NE(log.find("WRPARM01CM:NORMD:Pn0803000F423F"), std::string::npos) << log;
  EXPECT_EQ(qz("params load " + file("edited.PRM") + " --fast").code, 2);
}

TEST_F(Qzctl, RetryRepeatsNoMotionAndTheTraceCountsLostReplies) {
  // One lost reply: the transaction writes the request again and reads the reply.
  ASSERT_TRUE(sim_("FAULT NOREPLY 1"));
  CtlRun r = qz("--timeout 1000 --trace '" + file("t1") + "' status");
  EXPECT_EQ(r.code, 0) << r.err;
  std::string trace = slurp(file("t1"));
  EXPECT_NE(trace.find("requests 2\nreplies 1\nretries 1\nno reply 1\nreopens 0\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("< (no reply)"), std::string::npos) << trace;
  // Every attempt of a relative move loses its reply: --retry does not send it a fourth time.
  ASSERT_TRUE(sim_("SET SERVO 1"));
  ASSERT_TRUE(sim_("FAULT NOREPLY 3"));
  ASSERT_TRUE(sim_("LOG CLEAR"));
  r = qz("--timeout 1000 --retry 2 --trace '" + file("t2") + "' move inc 1");
  EXPECT_EQ(r.code, 4);
  EXPECT_NE(r.err.find("POSING not repeated"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("retry 1 of 2"), std::string::npos) << r.err;
  std::string log;
  ASSERT_TRUE(sim_("LOG", &log));
  EXPECT_EQ(countOf(log, "POSING"), 3u) << log;
  // The move may have been taken: the link stops the axis after it.
  EXPECT_NE(log.find("STOP__01CM:DEC_", log.rfind("POSING")), std::string::npos) << log;
  trace = slurp(file("t2"));
  EXPECT_NE(trace.find("requests 4\nreplies 1\nretries 2\nno reply 3\nreopens 0\n"), std::string::npos) << trace;
  // A garbled reply to FEED__ may hide a running feed: the jog still ends with a stop.
  ASSERT_TRUE(sim_("FAULT HEADER 1"));
  ASSERT_TRUE(sim_("LOG CLEAR"));
  EXPECT_EQ(qz("jog cw --for 60000").code, 6);
  ASSERT_TRUE(sim_("LOG", &log));
  size_t feed = log.find("FEED__");
  ASSERT_NE(feed, std::string::npos) << log;
  EXPECT_NE(log.find("STOP__01CM:DEC_", feed), std::string::npos) << log;
}

}  // namespace

// The module's line goes away under a running watch (the simulator ends, as an
// adapter pulled out): a communication failure naming the device and the system's
// reason, exit 4, no hang.
TEST_F(Qzctl, ALostDeviceIsNamedWithTheSystemsReason) {
  std::ofstream(file("run.sh")) << command("--timeout 200 monitor values --watch --interval 50") << " >'"
                                << file("out") << "' 2>'" << file("err") << "'; echo $? >'" << file("rc") << "'\n";
  std::string runner = "timeout 30 sh '" + file("run.sh") + "' &";
  ASSERT_EQ(std::system(runner.c_str()), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  const std::string device = sim.pty;
  stopSim(sim);
  auto ended = [&] { return ::access(file("rc").c_str(), F_OK) == 0; };
  ASSERT_TRUE(waitFor(ended, 20000, 100)) << "qzctl did not end";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(std::atoi(slurp(file("rc")).c_str()), 4);
  std::string err = slurp(file("err"));
  EXPECT_NE(err.find("communication failure"), std::string::npos) << err;
  EXPECT_NE(err.find(device + " failed (Input/output error)"), std::string::npos) << err;
}
