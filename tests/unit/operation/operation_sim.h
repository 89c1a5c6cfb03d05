// Fixture of the operation tests that talk to qzsim: the link open on its
// pseudo-terminal, the servo on, the request log cleared.
#pragma once
#include <string>
#include <vector>
#include "link/link.h"
#include "link/link_state.h"
#include "tests/support/sim_fixture.h"
#include "tests/support/wait.h"

class OperationSim : public SimLinkTest {
 protected:
  void SetUp() override {
    SimLinkTest::SetUp();
    if (!HasFatalFailure()) {
      ASSERT_TRUE(control("SET SERVO 1"));
    }
  }
};
