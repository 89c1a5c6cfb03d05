// What the output-port write dialog decides: the ids of each row's controls, the
// override mask its boxes make, the toggle levels after a read, and the words it
// sends. Portable: the dialog only moves these between its controls and the module.
#pragma once
#include <cstdint>

#include "files/settings_areas.h"
#include "monitor/monitor_labels.h"

constexpr int PORT_ROWS = 16;   // rows per word: bit b of a word is row b

// Control ids of the row for bit `bit` of word `word` (0 "TARV", 1 "TARV→QZXXX",
// 2 "QZXXX"); 0 for a row outside 3 x 16.
int portOverrideBoxId(int word, int bit);
int portValueToggleId(int word, int bit);
int portLampId(int word, int bit);
int portLabelId(int word, int bit);

// The three words as the dialog holds them between its controls and the module.
struct PortWords {
  uint16_t words[SIGNAL_WORDS];
};

// The mask after one box changed: the row's bit set when checked, cleared when not.
PortWords overrideAfterClick(const PortWords& mask, int word, int bit, bool checked);

// The toggle levels after a read of the actual outputs: a row the tool drives
// keeps what the person set; every other row shows the actual level.
PortWords togglesAfterRead(const PortWords& toggles, const PortWords& mask, const PortWords& actual);

// An opening shows the levels last written and drives nothing: the boxes start
// unchecked, so the mask starts empty whatever an earlier opening left behind.
struct PortOpening {
  PortWords mask;
  PortWords toggles;
};
PortOpening portOpening(const OutputPortArea& stored);

// Row label "mnemonic label" (UTF-8) of an output bit, at most size-1 bytes.
void portRowLabel(int word, int bit, char* out, int size);
