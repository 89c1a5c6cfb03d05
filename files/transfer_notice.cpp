// Packing of transfer notices and the verify row queue.
#include "files/transfer_notice.h"

#include "resources/resource.h"

uint64_t packStepNotice(uint16_t labelId, const char* placeholder) {
  uint64_t word = labelId;
  for (int i = 0; i < STEP_PLACEHOLDER_CHARS && placeholder && placeholder[i] != '\0'; ++i)
    word |= static_cast<uint64_t>(static_cast<unsigned char>(placeholder[i])) << (16 + 8 * i);
  return word;
}

uint16_t unpackStepNotice(uint64_t word, char placeholder[STEP_PLACEHOLDER_CHARS + 1]) {
  int n = 0;
  for (; n < STEP_PLACEHOLDER_CHARS; ++n) {
    char c = static_cast<char>((word >> (16 + 8 * n)) & 0xFF);
    if (c == '\0') break;
    placeholder[n] = c;
  }
  placeholder[n] = '\0';
  return static_cast<uint16_t>(word & 0xFFFF);
}

uint64_t packParameterRefresh(const ParameterRefresh& refresh) {
  return (static_cast<uint64_t>(refresh.generation) << 16) | refresh.definitionIndex;
}

ParameterRefresh unpackParameterRefresh(uint64_t word) {
  ParameterRefresh refresh{};
  refresh.generation = static_cast<uint32_t>(word >> 16);
  refresh.definitionIndex = static_cast<uint16_t>(word & 0xFFFF);
  return refresh;
}

uint64_t dataChangedEntry(uint32_t listTemplate, uint32_t rowOrIndex, uint32_t generation) {
  if (listTemplate == IDD_SERVO_PARAM_LIST || listTemplate == IDD_OPTION_PARAM_LIST)
    return packParameterRefresh({generation, static_cast<uint16_t>(rowOrIndex)});
  return rowOrIndex;
}

void VerifyRowQueue::reserve(size_t capacity) {
  std::lock_guard<std::mutex> hold(lock_);
  rows_.clear();
  rows_.reserve(capacity);
  capacity_ = capacity;
}

bool VerifyRowQueue::append(const VerifyRow& row) {
  std::lock_guard<std::mutex> hold(lock_);
  if (rows_.size() >= capacity_) return false;
  rows_.push_back(row);
  return true;
}

void VerifyRowQueue::takeAll(std::vector<VerifyRow>* out) {
  out->clear();
  std::lock_guard<std::mutex> hold(lock_);
  out->swap(rows_);
  rows_.reserve(capacity_);
}
