// qzctl run as a process against a fresh qzsim: its exit code, stdout and stderr,
// a background run ended by SIGINT, and the simulator's control port.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/sim_fixture.h"

namespace cli_test {

struct CtlResult {
  int code = -1;
  std::string out, err;
};

inline std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(startSim(sim));
    dir = ::testing::TempDir() + "qzcli_" + std::to_string(::getpid()) + "_" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
  }
  void TearDown() override {
    stopSim(sim);
    std::system(("rm -rf '" + dir + "'").c_str());
  }
  std::string command(const std::string& args) {
    return std::string("'") + QZ_CTL_PATH + "' -p " + sim.pty + " -d '" + QZ_SOURCE_DIR + "/data/ParmDef.cfg' " + args;
  }
  CtlResult qz(const std::string& args) {
    int rc = std::system((command(args) + " >'" + file("out") + "' 2>'" + file("err") + "'").c_str());
    CtlResult r;
    r.code = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = slurp(file("out"));
    r.err = slurp(file("err"));
    return r;
  }
  // Runs qzctl ARGS in the background, sends it SIGINT after `seconds` and returns
  // its exit code; stdout and stderr go to file("out") and file("err").
  int interrupted(const std::string& args, const char* seconds = "1") {
    std::ofstream(file("run.sh")) << command(args) << " >'" << file("out") << "' 2>'" << file("err")
                                  << "' & pid=$!; sleep " << seconds << "; kill -INT $pid; wait $pid; echo $? >'"
                                  << file("rc") << "'\n";
    std::system(("sh '" + file("run.sh") + "'").c_str());
    return std::atoi(slurp(file("rc")).c_str());
  }
  bool sim_(const std::string& line, std::string* reply = nullptr) { return simCommand(sim.control, line, reply); }
  std::string file(const std::string& name) { return dir + "/" + name; }
  SimProcess sim;
  std::string dir;
};

}  // namespace cli_test
