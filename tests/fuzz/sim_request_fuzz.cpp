// Fuzz target: the simulator's framing and request parser on any line input. The
// first byte sets the module state and reply faults, the second the time between
// requests; every reply must be one framed message of at most 256 bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/sim_model.h"
#include "sim/sim_protocol.h"

namespace {

void checkReply(const std::string& reply) {
  // STX, six-character name, "10R", four hex digits, fields, CR.
  if (reply.size() < 15 || reply.size() > 256 || reply[0] != '\x02' || reply.back() != '\r' ||
      reply.compare(7, 3, "10R") != 0)
    std::abort();
  uint32_t code = 0;
  if (!parseRequestHex(reply, 10, 4, &code)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The start state is made once; each input starts from a copy of it. The two
  // 64 KiB memories are copied back only when the input may have written them.
  static SimModel pristine;
  static std::vector<uint8_t> pristineMemory[2];
  static SimModel model;
  if (pristine.initial.empty()) {
    SimParameter limited{0x0100, 10, 2, false, true, 10, 20000};
    SimParameter signedWord{0x0101, 0, 2, true, true, -500, 500};
    SimParameter wide{0x0800, 0, 4, true, true, -100000, 100000};
    pristine.initial = {limited, signedWord, wide, {0x0002, 0, 2}};
    resetModel(pristine);
    for (int u = 0; u < 2; ++u) pristineMemory[u].swap(pristine.memory[u]);
    for (int u = 0; u < 2; ++u) model.memory[u] = pristineMemory[u];
  }
  std::vector<uint8_t> memory[2];
  for (int u = 0; u < 2; ++u) memory[u].swap(model.memory[u]);
  model = pristine;
  for (int u = 0; u < 2; ++u) model.memory[u].swap(memory[u]);
  static const std::string kWrite = "WR_MEM";
  if (std::search(data, data + size, kWrite.begin(), kWrite.end()) != data + size)
    for (int u = 0; u < 2; ++u) model.memory[u] = pristineMemory[u];
  SimProtocol protocol;
  protocol.model = &model;
  uint8_t setup = data[0];
  model.servo = setup & 1;
  model.alarm = (setup >> 1) & 1;
  if (setup & 4) setEmergency(model, 0, true);
  ReplyFaults& f = protocol.faults;
  f.wrongEcho = (setup >> 3) & 1;
  f.unknownKeyword = (setup >> 4) & 1;
  f.noSemicolon = (setup >> 5) & 1;
  if (setup & 0x40) {
    f.memoryCount = 1;
    f.memoryDelta = (setup & 0x80) ? -3 : 5;
  } else if (setup & 0x80) {
    f.chainLost = 2;
    f.chainError = 1;
    f.chainErrorCode = 0x0042;
  }
  int64_t step = data[1] * 7;
  int64_t now = 0;

  // Arrives in pieces of up to 64 bytes, as reads of the line would give it.
  std::string input;
  for (size_t at = 2; at < size; at += 64) {
    input.append(reinterpret_cast<const char*>(data + at), size - at < 64 ? size - at : 64);
    for (;;) {
      std::string body, raw;
      const char* why = nullptr;
      Frame frame = takeFrame(protocol, input, &body, &raw, &why);
      if (frame == Frame::None) break;
      if (frame == Frame::Rejected) {
        if (!why) std::abort();
        continue;
      }
      if (raw.size() > kMaxRequestBytes) std::abort();
      now += step;
      for (const std::string& reply : handleRequest(protocol, body, now)) checkReply(reply);
    }
    if (input.size() >= kMaxRequestBytes) std::abort();   // never buffers past one message
  }
  return 0;
}
