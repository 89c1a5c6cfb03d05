// The repeat workers against qzsim: the order of requests over whole cycles, the
// repeat interval, stop while the worker sleeps, a failed request, and ending a
// repeat at exit without a stop command.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "link/request.h"
#include "operation/motion_request.h"
#include "operation/repeat_worker.h"
#include "tests/unit/operation/operation_sim.h"

namespace {

using Clock = std::chrono::steady_clock;

struct StateChange {
  uint16_t state;
  Clock::time_point at;
};

// The sink a dialog would post from: records each state with its time.
struct Recorder {
  std::mutex lock;
  std::vector<StateChange> changes;

  static void sink(void* context, uint16_t state) {
    auto* r = static_cast<Recorder*>(context);
    std::lock_guard<std::mutex> guard(r->lock);
    r->changes.push_back({state, Clock::now()});
  }
  std::vector<StateChange> all() {
    std::lock_guard<std::mutex> guard(lock);
    return changes;
  }
  size_t count(uint16_t state) {
    size_t n = 0;
    for (auto& c : all()) n += c.state == state;
    return n;
  }
  // Milliseconds from the first change to `from` until the change after it.
  long gapAfter(uint16_t from) {
    auto c = all();
    for (size_t i = 0; i + 1 < c.size(); ++i)
      if (c[i].state == from)
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(c[i + 1].at - c[i].at).count());
    return -1;
  }
};


}  // namespace

class RepeatWorkerSim : public OperationSim {
 protected:
  void TearDown() override {
    endRepeat(&run, 3000);
    OperationSim::TearDown();
  }
  // Puts the axis at `position` and waits until it is there.
  void moveTo(int32_t position) {
    ASSERT_EQ(returnOperationPosition(nullptr, position), 0);
    ASSERT_TRUE(waitFor([&] {
      std::string motion;
      control("GET MOTION", &motion);
      return motion.find("state=NEUTRAL pos=" + std::to_string(position) + "\n") != std::string::npos;
    }, 3000));
    control("LOG CLEAR");
  }
  // The log as a sequence of names, runs of status reads folded into one "STS".
  std::vector<std::string> steps(const std::vector<std::pair<std::string, std::string>>& names) {
    std::vector<std::string> out;
    for (auto& line : logLines()) {
      std::string name = "?" + line;
      for (auto& [text, label] : names)
        if (line == text) name = label;
      if (line.find("RDMSTS") != std::string::npos) name = "STS";
      if (line.find("RD_MON") != std::string::npos) name = "MON";
      if (!(name == "STS" && !out.empty() && out.back() == "STS")) out.push_back(name);
    }
    return out;
  }
  // The positioning dialog's move to `target`, at the parameter speed or `speed`.
  static MotionRequest positioningTo(int32_t target, int32_t speed = 0) {
    PositioningArea area{};
    area.targetPosition = target;
    if (speed != 0) {
      area.speedSource = 2;
      area.speed = speed;
    }
    MotionRequest move{};
    EXPECT_EQ(buildMotionRequest(kPositioningForm, &area, false, 0, &move), 0);
    return move;
  }
  static inline RepeatRun run;
  Recorder recorder;
};

TEST_F(RepeatWorkerSim, GoAndReturnMovesWaitsPausesAndReturnsToTheStartAtParameterSpeed) {
  moveTo(500);
  PositioningArea area{};
  area.targetPosition = 2000;
  area.speedSource = 2;
  area.speed = 30000;
  MotionRequest move{};
  ASSERT_EQ(buildMotionRequest(kPositioningForm, &area, false, 0, &move), 0);
  const uint16_t interval = 300;
  ASSERT_EQ(startRepeat(&run, nullptr, move, interval, Recorder::sink, &recorder), 0);
  EXPECT_EQ(startRepeat(&run, nullptr, move, interval, Recorder::sink, &recorder), REPEAT_RUNNING);
  // Two whole cycles and the third move.
  ASSERT_TRUE(waitFor([&] { return recorder.count(REPEAT_MOVE) >= 2 && recorder.count(REPEAT_WAIT) >= 5; }, 8000));
  EXPECT_EQ(stopOperation(&run, nullptr, 0, false), 0);
  ASSERT_TRUE(waitFor([&] { return recorder.count(REPEAT_IDLE) == 1; }, 2000));

  const std::string kMove = "<STX>POSING01CT:ABS_A:PARMPARMV:SET_00007530P:000007D0<CR>";
  const std::string kReturn = "<STX>POSING01CT:ABS_A:PARMPARMV:PARMP:000001F4<CR>";
  const std::string kStop = "<STX>STOP__01CM:DEC_<CR>";
  auto seq = steps({{kMove, "MOVE"}, {kReturn, "RETURN"}, {kStop, "STOP"}});
  std::vector<std::string> expected = {"MON", "MOVE", "STS", "RETURN", "STS", "MOVE", "STS",
                                       "RETURN", "STS", "MOVE"};
  ASSERT_GE(seq.size(), expected.size() + 1) << ::testing::PrintToString(seq);
  EXPECT_EQ(std::vector<std::string>(seq.begin(), seq.begin() + expected.size()), expected);
  EXPECT_EQ(seq.back(), "STOP");
  // Block end seen (state to 2), then the interval passes before the return is sent.
  EXPECT_GE(recorder.gapAfter(REPEAT_RETURN), interval - 20);
  EXPECT_EQ(run.repeatState.load(), REPEAT_IDLE);
  EXPECT_EQ(prompt.messageCount(), 0u);
}

TEST_F(RepeatWorkerSim, StepVariantStepsReturnsAndStepsAgainAtOnceWithIntervalZero) {
  moveTo(5000);
  StepArea area{};
  area.stepParameterIndex = 0;   // step parameter 1: 1000 units in qzsim
  MotionRequest step{};
  ASSERT_EQ(buildMotionRequest(kStepForm, &area, false, MOTION_REVERSE, &step), 0);
  ASSERT_EQ(startRepeat(&run, nullptr, step, 0, Recorder::sink, &recorder), 0);
  EXPECT_EQ(run.repeatState.load(), STEP_REPEAT_REVERSE);
  ASSERT_TRUE(waitFor([&] { return recorder.count(STEP_REPEAT_REVERSE) >= 1 && recorder.count(STEP_REPEAT_WAIT) >= 4; }, 8000));
  EXPECT_EQ(stopOperation(&run, nullptr, 0, false), 0);
  ASSERT_TRUE(waitFor([&] { return recorder.count(REPEAT_IDLE) == 1; }, 2000));

  const std::string kStep = "<STX>STEP__01CT:ABS_A:PARMPARMV:PARMP:-SEL1<CR>";
  const std::string kReturn = "<STX>POSING01CT:ABS_A:PARMPARMV:PARMP:00001388<CR>";
  auto seq = steps({{kStep, "STEP"}, {kReturn, "RETURN"}, {"<STX>STOP__01CM:DEC_<CR>", "STOP"}});
  std::vector<std::string> expected = {"MON", "STEP", "STS", "RETURN", "STS", "STEP", "STS"};
  ASSERT_GE(seq.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(seq.begin(), seq.begin() + expected.size()), expected);
  // With no interval the next motion follows block end at once (one request's time).
  long gap = recorder.gapAfter(STEP_REPEAT_RETURN);
  EXPECT_GE(gap, 0);
  EXPECT_LT(gap, 250);
}

TEST_F(RepeatWorkerSim, StopWhileTheWorkerSleepsEndsItWithoutAnotherMotion) {
  HomingArea area{};
  area.speedSource = 2;
  area.speed = 50000;
  moveTo(1000);
  MotionRequest homing{};
  ASSERT_EQ(buildMotionRequest(kHomingForm, &area, false, 0, &homing), 0);
  ASSERT_EQ(startRepeat(&run, nullptr, homing, 5000, Recorder::sink, &recorder), 0);
  // Homing reached 0 and block end was seen: the worker now sleeps 5 s.
  ASSERT_TRUE(waitFor([&] { return recorder.count(REPEAT_RETURN) == 1; }, 3000));
  std::string motion;
  control("GET MOTION", &motion);
  EXPECT_NE(motion.find("pos=0\n"), std::string::npos) << motion;
  auto pressed = Clock::now();
  EXPECT_EQ(stopOperation(&run, nullptr, 1, true), 0);
  ASSERT_TRUE(waitFor([&] { return recorder.count(REPEAT_IDLE) == 1; }, 1000));
  EXPECT_LT(Clock::now() - pressed, std::chrono::milliseconds(1000));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  auto lines = logLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "<STX>STOP__01CM:ZERO<CR>");
  int motions = 0;
  for (auto& l : lines) motions += l.find("HOMING") != std::string::npos || l.find("POSING") != std::string::npos;
  EXPECT_EQ(motions, 1);
}

TEST_F(RepeatWorkerSim, AFailedRequestEndsTheRepeatWithTheStateBackToZero) {
  MotionRequest move = positioningTo(3000);
  ASSERT_TRUE(control("FAULT ERROR RDMSTS 0001"));
  ASSERT_EQ(startRepeat(&run, nullptr, move, 0, Recorder::sink, &recorder), 0);
  ASSERT_TRUE(waitFor([&] { return recorder.count(REPEAT_IDLE) == 1; }, 3000));
  EXPECT_EQ(run.repeatState.load(), REPEAT_IDLE);
  EXPECT_EQ(run.runFlag.load(), 0u);
  EXPECT_EQ(prompt.messageCount(), 1u);   // the request's own error box
  // Nothing after the failed status read: no return, no stop.
  auto lines = logLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().find("RDMSTS"), std::string::npos);
  // A new start is accepted once it has ended.
  ASSERT_TRUE(control("FAULT NONE"));
  EXPECT_EQ(startRepeat(&run, nullptr, move, 0, Recorder::sink, &recorder), 0);
  EXPECT_TRUE(endRepeat(&run, 3000));
}

// At exit the repeat ends without a stop command: the move in progress finishes
// on the module as a single move would.
TEST_F(RepeatWorkerSim, EndingARepeatAtExitSendsNoStopAndTheMoveFinishes) {
  PositioningArea area{};
  area.targetPosition = 4000;
  area.speedSource = 2;
  area.speed = 4000;   // one second of travel
  MotionRequest move{};
  ASSERT_EQ(buildMotionRequest(kPositioningForm, &area, false, 0, &move), 0);
  ASSERT_EQ(startRepeat(&run, nullptr, move, 0, Recorder::sink, &recorder), 0);
  ASSERT_TRUE(waitFor([&] { return recorder.count(REPEAT_WAIT) == 1; }, 2000));
  EXPECT_TRUE(endRepeat(&run, 3000));
  EXPECT_FALSE(repeatActive(&run));
  ASSERT_TRUE(waitFor([&] {
    std::string motion;
    control("GET MOTION", &motion);
    return motion.find("pos=4000\n") != std::string::npos;
  }, 3000));
  for (auto& line : logLines()) EXPECT_EQ(line.find("STOP__"), std::string::npos) << line;
  EXPECT_EQ(prompt.messageCount(), 0u);
}

// A stop goes out ahead of everything queued, and a motion still waiting for its
// lost reply ends there, unsent again, without a box; the queued read then runs.
TEST_F(RepeatWorkerSim, AStopOvertakesTheQueueAndEndsAMotionAwaitingItsReply) {
  MotionRequest move = positioningTo(3000);
  ASSERT_TRUE(control("FAULT NOREPLY 1"));
  ASSERT_EQ(startSingleMotion(&run, nullptr, move, 0), 0);
  EXPECT_EQ(startSingleMotion(&run, nullptr, move, 0), REPEAT_RUNNING);
  ASSERT_TRUE(waitFor([&] { return !logLines().empty(); }, 2000));
  std::atomic<uint16_t> readStatus{9};
  std::thread reader([&] {
    uint8_t state = 0;
    uint16_t word = 0;
    readStatus = request_RDMSTS(nullptr, &state, &word);
    releaseThreadReplyChannel();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));   // the read is queued
  auto pressed = Clock::now();
  EXPECT_EQ(stopOperation(&run, nullptr, 0, false), 0);
  EXPECT_LT(Clock::now() - pressed, std::chrono::milliseconds(1000));
  reader.join();
  EXPECT_EQ(readStatus.load(), 0);
  ASSERT_TRUE(waitFor([&] { return !singleMotionActive(&run); }, 2000));
  auto lines = logLines();
  ASSERT_EQ(lines.size(), 3u) << ::testing::PrintToString(lines);
  EXPECT_NE(lines[0].find("POSING"), std::string::npos);
  EXPECT_EQ(lines[1], "<STX>STOP__01CM:DEC_<CR>");
  EXPECT_NE(lines[2].find("RDMSTS"), std::string::npos);
  EXPECT_EQ(prompt.messageCount(), 0u);
}

// A stop pressed in any dialog ends the repeat of every other; and a move asked
// for before an end (a worker between its look at the run flag and its send) is
// refused on the line.
TEST_F(RepeatWorkerSim, AStopInAnyDialogEndsEveryRepeatAndNothingMovesAfterIt) {
  moveTo(0);
  MotionRequest move = positioningTo(500, 60000);
  RepeatRun* other = repeatRunAt(1);
  ASSERT_EQ(startRepeat(other, nullptr, move, 0, Recorder::sink, &recorder), 0);
  ASSERT_TRUE(waitFor([&] { return recorder.count(REPEAT_MOVE) >= 1 && recorder.count(REPEAT_RETURN) >= 1; }, 5000));
  EXPECT_EQ(stopOperation(repeatRunAt(2), nullptr, 0, false), 0);
  EXPECT_FALSE(repeatActive(other));
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_TRUE(endRepeat(other, 3000));
  auto lines = logLines();
  auto stop = std::find(lines.rbegin(), lines.rend(), "<STX>STOP__01CM:DEC_<CR>");
  ASSERT_NE(stop, lines.rend());
  for (auto it = lines.rbegin(); it != stop; ++it) EXPECT_EQ(it->find("POSING"), std::string::npos) << *it;

  control("LOG CLEAR");
  uint32_t before = motionEpoch();
  endPendingMotions();
  bindMotions(before, 0);
  EXPECT_EQ(requestMotion(nullptr, move), STATUS_CANCELLED);
  bindMotions(0, 0);
  EXPECT_TRUE(logLines().empty());
  EXPECT_EQ(prompt.messageCount(), 0u);
}

// The module may have taken a motion whose reply was not valid: a stop in the
// dialog's mode follows it at once, before the box (whose "no" closes the port).
TEST_F(RepeatWorkerSim, AMotionWithoutAValidReplyIsFollowedByAStop) {
  MotionRequest move = positioningTo(3000);
  ASSERT_TRUE(control("FAULT HEADER 1"));
  bindMotions(motionEpoch(), 1);
  EXPECT_EQ(requestMotion(nullptr, move), STATUS_MALFORMED);
  bindMotions(0, 0);
  auto lines = logLines();
  ASSERT_EQ(lines.size(), 2u) << ::testing::PrintToString(lines);
  EXPECT_NE(lines[0].find("POSING"), std::string::npos);
  EXPECT_EQ(lines[1], "<STX>STOP__01CM:ZERO<CR>");
  EXPECT_EQ(prompt.messageCount(), 1u);
}

// A worker still held in its error box after a stop: a new start is refused at
// once (the dialog shows box 259), not after a wait that ends in nothing.
TEST_F(RepeatWorkerSim, AStartWhileTheLastWorkerIsInItsBoxIsRefusedAtOnce) {
  MotionRequest move = positioningTo(3000);
  prompt.holdBoxes();
  ASSERT_TRUE(control("FAULT ERROR RDMSTS 0001"));
  ASSERT_EQ(startRepeat(&run, nullptr, move, 0, Recorder::sink, &recorder), 0);
  ASSERT_TRUE(prompt.waitForMessages(1, 3000));
  EXPECT_EQ(stopOperation(&run, nullptr, 0, false), 0);
  auto pressed = Clock::now();
  EXPECT_EQ(startRepeat(&run, nullptr, move, 0, Recorder::sink, &recorder), REPEAT_RUNNING);
  EXPECT_LT(Clock::now() - pressed, std::chrono::milliseconds(300));
  ASSERT_TRUE(control("FAULT NONE"));
  prompt.release();
  ASSERT_TRUE(waitFor([&] { return recorder.count(REPEAT_IDLE) == 1 || !repeatActive(&run); }, 2000));
  EXPECT_TRUE(waitFor([&] { return startRepeat(&run, nullptr, move, 0, Recorder::sink, &recorder) == 0; }, 2000));
}
