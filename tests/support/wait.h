// The one wait of the tests: polls a condition until it holds or the time is up.
#pragma once
#include <chrono>
#include <thread>

// Native conditions are cheap reads of atomics; under Wine they read the screen or
// ask qzsim, so they are polled less often.
#ifdef _WIN32
constexpr int kWaitStepMs = 50;
#else
constexpr int kWaitStepMs = 10;
#endif

// True as soon as `condition()` holds. The wait is counted in sleeps of `stepMs`, so
// a slow condition is given at least `timeoutMs`; it is checked once more at the end.
template <typename Condition>
bool waitFor(Condition&& condition, int timeoutMs, int stepMs = kWaitStepMs) {
  for (int waited = 0; waited < timeoutMs; waited += stepMs) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
  }
  return condition();
}
