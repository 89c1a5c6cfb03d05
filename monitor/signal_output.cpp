// Output-port write decisions: row control ids, override mask, toggle levels.
#include "monitor/signal_output.h"

#include <cstdio>

namespace {
bool inRange(int word, int bit) { return word >= 0 && word < SIGNAL_WORDS && bit >= 0 && bit < PORT_ROWS; }
}  // namespace

// The ids are the template's, which grew in runs; hence the breaks inside words.
int portOverrideBoxId(int word, int bit) {
  if (!inRange(word, bit)) return 0;
  if (word == 0) return 1151 + bit;
  if (word == 1) return bit <= 4 ? 1167 + bit : 1240 + (bit - 5);
  return bit == 0 ? 1251 : 1286 + (bit - 1);
}

int portValueToggleId(int word, int bit) {
  if (!inRange(word, bit)) return 0;
  if (word == 0) return bit == 0 ? 1317 : 1319 + (bit - 1);
  if (word == 1) return 1334 + bit;
  return bit <= 11 ? 1350 + bit : 1363 + (bit - 12);   // 1362 is the write button
}

int portLampId(int word, int bit) {
  if (!inRange(word, bit)) return 0;
  static const int kFirst[SIGNAL_WORDS] = {1204, 1220, 1124};   // as the signal monitors
  return kFirst[word] + bit;
}

int portLabelId(int word, int bit) { return inRange(word, bit) ? 1400 + word * PORT_ROWS + bit : 0; }

PortWords overrideAfterClick(const PortWords& mask, int word, int bit, bool checked) {
  PortWords out = mask;
  if (!inRange(word, bit)) return out;
  uint16_t flag = static_cast<uint16_t>(1u << bit);
  out.words[word] = static_cast<uint16_t>(checked ? out.words[word] | flag : out.words[word] & ~flag);
  return out;
}

PortWords togglesAfterRead(const PortWords& toggles, const PortWords& mask, const PortWords& actual) {
  PortWords out;
  for (int w = 0; w < SIGNAL_WORDS; ++w)
    out.words[w] = static_cast<uint16_t>((toggles.words[w] & mask.words[w]) | (actual.words[w] & ~mask.words[w]));
  return out;
}

PortOpening portOpening(const OutputPortArea& stored) {
  PortOpening opening{};
  for (int w = 0; w < SIGNAL_WORDS; ++w) opening.toggles.words[w] = stored.writtenValues[w];
  return opening;
}

void portRowLabel(int word, int bit, char* out, int size) {
  if (size <= 0) return;
  out[0] = 0;
  if (!inRange(word, bit)) return;
  const SignalBit& signal = OutputSignalBits[word][bit];
  if (*signal.mnemonic) std::snprintf(out, size, "%s %s", signal.mnemonic, signal.label);
  else std::snprintf(out, size, "%s", signal.label);
}
