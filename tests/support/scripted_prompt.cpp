// Scripted prompt interface for tests.
#include "tests/support/scripted_prompt.h"
#include <atomic>
#include <chrono>

namespace {
std::atomic<ScriptedPrompt*> g_active{nullptr};
}

ScriptedPrompt::ScriptedPrompt() : interface_{&ScriptedPrompt::show, &ScriptedPrompt::statusChanged,
                                              &ScriptedPrompt::notify} {
  g_active.store(this);
  setPromptInterface(&interface_);
}

ScriptedPrompt::~ScriptedPrompt() {
  release();
  setPromptInterface(nullptr);
  g_active.store(nullptr);
}

void ScriptedPrompt::queueAnswer(uint16_t answer) {
  std::lock_guard<std::mutex> guard(lock_);
  answers_.push_back(answer);
}

std::vector<ShownMessage> ScriptedPrompt::messages() const {
  std::lock_guard<std::mutex> guard(lock_);
  return shown_;
}

size_t ScriptedPrompt::messageCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return shown_.size();
}

int ScriptedPrompt::statusChanges() const {
  std::lock_guard<std::mutex> guard(lock_);
  return statusChanges_;
}

void ScriptedPrompt::holdBoxes() {
  std::lock_guard<std::mutex> guard(lock_);
  hold_ = true;
}

void ScriptedPrompt::release() {
  std::lock_guard<std::mutex> guard(lock_);
  hold_ = false;
  changed_.notify_all();
}

bool ScriptedPrompt::waitForMessages(size_t count, int timeoutMs) const {
  std::unique_lock<std::mutex> guard(lock_);
  return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                           [&] { return shown_.size() >= count; });
}

bool ScriptedPrompt::waitForStatusChanges(int count, int timeoutMs) const {
  std::unique_lock<std::mutex> guard(lock_);
  return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                           [&] { return statusChanges_ >= count; });
}

uint16_t ScriptedPrompt::show(OwnerHandle, uint16_t textId, const char* extra, uint16_t captionId,
                              uint32_t style) {
  ScriptedPrompt* self = g_active.load();
  bool question = (style & 0x000F) == PROMPT_YESNO;
  if (!self) return question ? ANSWER_NO : ANSWER_OK;
  std::unique_lock<std::mutex> guard(self->lock_);
  self->shown_.push_back({textId, extra ? extra : "", captionId, style});
  self->changed_.notify_all();
  self->changed_.wait(guard, [&] { return !self->hold_; });
  if (self->answers_.empty()) return question ? ANSWER_NO : ANSWER_OK;
  uint16_t answer = self->answers_.front();
  self->answers_.pop_front();
  return answer;
}

void ScriptedPrompt::statusChanged() {
  ScriptedPrompt* self = g_active.load();
  if (!self) return;
  std::lock_guard<std::mutex> guard(self->lock_);
  ++self->statusChanges_;
  self->changed_.notify_all();
}

void ScriptedPrompt::notify(uint32_t, uintptr_t, intptr_t) {}
