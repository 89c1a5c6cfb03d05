// What a transfer dialog's worker hands to its dialog and to the main window:
// step notices packed into one message word, the entry of a data-changed notice
// (a parameter refresh carries its definition generation), and the verify rows
// waiting for the dialog to show them.
#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

#include "files/transfer.h"

// The notice kinds a transfer worker posts to its own dialog (the message's wParam).
constexpr uint32_t TRANSFER_NOTICE_START = 1;   // lParam: progress maximum
constexpr uint32_t TRANSFER_NOTICE_STEP = 2;    // lParam: packStepNotice
constexpr uint32_t TRANSFER_NOTICE_ROWS = 3;    // rows are waiting in the run's queue
constexpr uint32_t TRANSFER_NOTICE_DONE = 4;    // lParam: TRANSFER_COMPLETED, _STOPPED or _CANCELLED

// A step's label id and its placeholder (at most 4 characters; longer ones are cut)
// in one 64-bit word, so the notice needs nothing the worker owns.
constexpr int STEP_PLACEHOLDER_CHARS = 4;
uint64_t packStepNotice(uint16_t labelId, const char* placeholder);
// `placeholder` receives up to 4 characters, terminated.
uint16_t unpackStepNotice(uint64_t word, char placeholder[STEP_PLACEHOLDER_CHARS + 1]);

// A refresh posted to a parameter list (UM_DATA_CHANGED): the table index and the
// definition generation it was taken under (taken when the sender started walking
// the table). It travels as one 64-bit word, the x86_64 LPARAM.
struct ParameterRefresh {
  uint32_t generation;
  uint16_t definitionIndex;
};
uint64_t packParameterRefresh(const ParameterRefresh& refresh);
ParameterRefresh unpackParameterRefresh(uint64_t word);

// The lParam of UM_DATA_CHANGED for a changed entry: a point list gets the point
// number; a parameter list gets the table index together with the definition
// generation the transfer started under, so a refresh arriving after the
// definitions were switched refreshes nothing.
uint64_t dataChangedEntry(uint32_t listTemplate, uint32_t rowOrIndex, uint32_t generation);

// The label shown for a step: `text` (a loaded string, any character type) with the
// first run of 'X' as long as the placeholder overwritten by it.
template <class Char>
void composeStepLabel(Char* text, const char* placeholder) {
  int want = 0;
  while (placeholder[want] != '\0') ++want;
  if (want == 0) return;
  for (Char* p = text; *p != 0; ++p) {
    int run = 0;
    while (p[run] == static_cast<Char>('X')) ++run;
    if (run >= want) {
      for (int i = 0; i < want; ++i) p[i] = static_cast<Char>(static_cast<unsigned char>(placeholder[i]));
      return;
    }
    if (run > 0) p += run - 1;
  }
}

// Rows a verify worker found, waiting for the dialog. The worker appends; the
// dialog takes them all at each rows notice. Room for `capacity` rows is made
// before the worker starts, so appending never allocates; rows past it are refused.
class VerifyRowQueue {
 public:
  void reserve(size_t capacity);
  bool append(const VerifyRow& row);
  // Moves the waiting rows into `out` (cleared first).
  void takeAll(std::vector<VerifyRow>* out);

 private:
  std::mutex lock_;
  std::vector<VerifyRow> rows_;
  size_t capacity_ = 0;
};
