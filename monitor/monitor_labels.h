// What the monitors show beside the raw words: motion state texts, the labels of
// the motion status bits and of every input and output signal bit. Texts are UTF-8.
#pragma once
#include <cstdint>

struct MotionStateText {
  uint8_t code;
  uint16_t stringId;   // the monitor shows the string table's text of this id
  const char* text;    // qzctl's copy: it runs without the resource library
};
constexpr int MOTION_STATE_COUNT = 12;
extern const MotionStateText MotionStateTexts[MOTION_STATE_COUNT];

// Null (or 0) for a code outside 0..11: the monitor then keeps its previous text.
const char* motionStateText(uint8_t code);
uint16_t motionStateStringId(uint8_t code);

extern const char* const MotionStatusBitLabels[16];

// One bit of a signal word: its mnemonic (may be empty) and label; a spare bit
// has the label "ｱｷ" and no mnemonic.
struct SignalBit {
  const char* mnemonic;
  const char* label;
};
constexpr int SIGNAL_WORDS = 3;
extern const char* const SignalSectionCaptions[SIGNAL_WORDS];
extern const SignalBit InputSignalBits[SIGNAL_WORDS][16];
extern const SignalBit OutputSignalBits[SIGNAL_WORDS][16];
bool isSpareSignal(const SignalBit& bit);
