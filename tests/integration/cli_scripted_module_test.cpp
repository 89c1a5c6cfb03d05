// qzctl against a scripted module on a pseudo-terminal, for replies the simulator
// does not produce (a block that ends in "STOP___", "NEUTRAL" before block end).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Answers each request frame (STX ... CR) with the reply body `answer` gives
// (without STX and CR); an empty answer sends nothing.
class ScriptedModule {
 public:
  explicit ScriptedModule(std::function<std::string(const std::string&)> answer) : answer_(std::move(answer)) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    path_ = ptsname(master_);
    // Held open so that the tool's closing and reopening keeps the terminal usable.
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);
    thread_ = std::thread([this] { serve(); });
  }
  ~ScriptedModule() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  const std::string& path() const { return path_; }

 private:
  void serve() {
    std::string input;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      char buf[256];
      ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) continue;
      input.append(buf, static_cast<size_t>(n));
      for (size_t stx, cr; (stx = input.find('\x02')) != std::string::npos &&
                           (cr = input.find('\r', stx)) != std::string::npos;) {
        std::string body = input.substr(stx + 1, cr - stx - 1);
        input.erase(0, cr + 1);
        std::string reply = answer_(body);
        if (reply.empty()) continue;
        reply = "\x02" + reply + "\r";
        if (::write(master_, reply.data(), reply.size()) != static_cast<ssize_t>(reply.size())) return;
      }
    }
  }
  std::function<std::string(const std::string&)> answer_;
  int master_ = -1, slave_ = -1;
  std::string path_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
};

// A positioning module whose RDMSTS replies are `states` in turn, the last one
// repeated; `polls` counts the RDMSTS requests (written on the module's thread).
std::function<std::string(const std::string&)> positioning(std::vector<std::string> states,
                                                           std::shared_ptr<std::atomic<size_t>> polls) {
  return [states, polls](const std::string& body) -> std::string {
    std::string name = body.substr(0, 6);
    if (name == "POSING") return "POSING10R0000";
    if (name == "RDMSTS") {
      const std::string& s = states[std::min(polls->fetch_add(1), states.size() - 1)];
      return "RDMSTS10R0000M:" + s;
    }
    if (name == "RD_MON")
      return "RD_MON10R0000CP000003E8FP000003E8PD00000000LP00000000TQ00000000M10000000000000000";
    return name + "10R0001";
  };
}

struct CtlResult {
  int code = -1;
  std::string out;
};

// qzctl with the module's port; ended after 20 s so that a wait that never ends fails.
CtlResult qzctl(const ScriptedModule& module, const std::string& args) {
  std::string out = ::testing::TempDir() + "scripted_" + std::to_string(::getpid()) + ".out";
  std::string cmd = std::string("timeout 20 '") + QZ_CTL_PATH + "' -p " + module.path() + " -d '" + QZ_SOURCE_DIR +
                    "/data/ParmDef.cfg' " + args + " >'" + out + "' 2>&1";
  int rc = std::system(cmd.c_str());
  CtlResult r;
  r.code = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  std::ifstream f(out);
  std::stringstream s;
  s << f.rdbuf();
  r.out = s.str();
  std::remove(out.c_str());
  return r;
}

TEST(QzctlWait, EndsOnTheBlockEndBitWhateverTheState) {
  // The block ends while the module reports a stop state.
  auto polls = std::make_shared<std::atomic<size_t>>(0);
  ScriptedModule stopped(positioning({"POSING_S:0000", "POSING_S:0000", "STOP___S:0001"}, polls));
  ASSERT_FALSE(stopped.path().empty());
  CtlResult r = qzctl(stopped, "move inc 1 --wait");
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("command position 1.000"), std::string::npos) << r.out;
  EXPECT_EQ(polls->load(), 3u);
  // Neutral is read before the block has ended: the wait goes on.
  polls->store(0);
  ScriptedModule early(positioning({"NEUTRALS:0000", "NEUTRALS:0000", "NEUTRALS:0001"}, polls));
  r = qzctl(early, "move inc 1 --wait");
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(polls->load(), 3u);
}

}  // namespace
