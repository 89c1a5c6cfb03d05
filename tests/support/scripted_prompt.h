// A prompt interface for tests: records every message shown and answers from a
// queue (when the queue is empty: No to a question, OK otherwise). One instance
// at a time; it installs itself on construction and removes itself on destruction.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>
#include "link/prompt.h"

struct ShownMessage {
  uint16_t textId;
  std::string extra;
  uint16_t captionId;
  uint32_t style;
};

class ScriptedPrompt {
 public:
  ScriptedPrompt();
  ~ScriptedPrompt();
  ScriptedPrompt(const ScriptedPrompt&) = delete;
  ScriptedPrompt& operator=(const ScriptedPrompt&) = delete;

  void queueAnswer(uint16_t answer);
  std::vector<ShownMessage> messages() const;
  size_t messageCount() const;
  int statusChanges() const;
  // Keeps every box open until release() (a box left on screen at shutdown).
  void holdBoxes();
  void release();
  // Waits until at least `count` messages were shown; false after `timeoutMs`.
  bool waitForMessages(size_t count, int timeoutMs) const;
  bool waitForStatusChanges(int count, int timeoutMs) const;

 private:
  static uint16_t show(OwnerHandle owner, uint16_t textId, const char* extra, uint16_t captionId,
                       uint32_t style);
  static void statusChanged();
  static void notify(uint32_t message, uintptr_t wParam, intptr_t lParam);

  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  std::deque<uint16_t> answers_;
  std::vector<ShownMessage> shown_;
  int statusChanges_ = 0;
  bool hold_ = false;
  PromptInterface interface_;
};
