// Fuzz target: every command encoder, with arguments and module replies taken from
// the input, through an in-memory serial port. This file defines the four port
// functions itself, so the tty back end of the core is not linked in.
//
// Input layout:
//   byte 0      command code (modulo 28)
//   byte 1      bit 0 debug mode; bits 1-3 make write 1, 2, 3 fail; bit 4 gives a
//               memory write no data pointer
//   byte 2      n, then n bytes copied over the record's arguments
//   the rest    the line: bursts of a little-endian u16 length and that many
//               bytes; length 0 is a read that gets nothing; a burst longer than
//               256 bytes is cut as the real port cuts it. After the last burst
//               the line is silent.
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "link/link_state.h"
#include "serial/serial_port.h"
#include "protocol/command_table.h"
#include "protocol/encoders.h"
#include "protocol/framing.h"

namespace {

struct FakeLine {
  const uint8_t* script;
  size_t left;
  uint8_t failingWrites;   // bit k: write k fails
  int writes;
  int reads;
  bool badRequest;         // a request the tool should never have sent
  uint8_t opCode;
  uint8_t firstRequest[kFrameSize];   // the message every attempt must repeat
  uint16_t firstLength;
  // The tool's reply buffer as the reads left it: zeroed at the start, each read
  // overwrites only what it brought.
  uint8_t replyImage[kFrameSize];
};
FakeLine g_line;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "reply_decode_fuzz: %s (command %u)\n", what, g_line.opCode);
  std::abort();
}

}  // namespace

uint16_t openPort(uint16_t port, const LineSettings&, const PortTimings&) {
  return port < kSerialPortCount ? PORT_OK : PORT_BAD_NUMBER;
}
uint16_t closePort(uint16_t port) { return port < kSerialPortCount ? PORT_OK : PORT_BAD_NUMBER; }

uint16_t writePort(uint16_t port, uint16_t length, const uint8_t* data, uint16_t* count) {
  *count = 0;
  if (port != 0) fail("write to a port other than the current one");
  // Every request is one whole message of this command, within the frame.
  uint8_t header[kHeaderLength];
  buildHeader(g_line.opCode, header);
  if (length <= kHeaderLength || length > kFrameSize || data[length - 1] != 0x0D ||
      std::memcmp(data, header, kHeaderLength) != 0)
    g_line.badRequest = true;
  for (uint16_t i = kHeaderLength; i + 1 < length; ++i)
    if (data[i] < 0x20 || data[i] > 0x7E) g_line.badRequest = true;
  // Attempts repeat the request in full. A split multi-speed request is the one
  // exception: its first message ("B:0001") is written once and gets no read,
  // and the second message is what later attempts repeat.
  const bool secondOfSplit = g_line.opCode == CMD_POS_MS && g_line.writes == 1 &&
                             std::memcmp(g_line.firstRequest + kHeaderLength, "B:0001", 6) == 0;
  if (secondOfSplit && g_line.reads != 0) g_line.badRequest = true;
  if (length > kFrameSize) {
    // already marked bad above
  } else if (g_line.writes == 0 || secondOfSplit) {
    std::memcpy(g_line.firstRequest, data, length);
    g_line.firstLength = length;
  } else if (length != g_line.firstLength || std::memcmp(data, g_line.firstRequest, length) != 0) {
    g_line.badRequest = true;
  }
  const int n = g_line.writes++;
  if (n < 3 && (g_line.failingWrites >> n) & 1) return PORT_NOTHING_WRITTEN;
  *count = length;
  return PORT_OK;
}

uint16_t readPort(uint16_t port, uint16_t maxLength, uint8_t* buffer, uint16_t* count,
                  uint16_t mode) {
  *count = 0;
  if (port != 0 || maxLength != kFrameSize || mode != kReadWait) fail("unexpected read");
  ++g_line.reads;
  if (g_line.left < 2) {
    g_line.left = 0;
    return PORT_NOTHING_READ;
  }
  size_t burst = g_line.script[0] | (g_line.script[1] << 8);
  g_line.script += 2;
  g_line.left -= 2;
  if (burst > g_line.left) burst = g_line.left;
  const size_t n = burst < maxLength ? burst : maxLength;
  std::memcpy(buffer, g_line.script, n);
  std::memcpy(g_line.replyImage, g_line.script, n);
  g_line.script += burst;
  g_line.left -= burst;
  *count = static_cast<uint16_t>(n);
  return n > 0 ? PORT_OK : PORT_NOTHING_READ;
}

namespace {

// What holds whatever the reply said.
void checkOutcome(const RequestRecord& r, int maxWrites) {
  if (r.status > STATUS_MALFORMED) fail("status out of range");
  if (r.status == STATUS_ERROR_REPLY && r.errorCode == 0) fail("error reply without a code");
  if (r.status == STATUS_OK && r.errorCode != 0) fail("success with an error code");
  if (r.status == STATUS_COMM_FAILURE && r.errorCode != 0) fail("communication failure with a code");
  if (r.status != STATUS_COMM_FAILURE && r.status != STATUS_MALFORMED && g_line.reads == 0)
    fail("an outcome without any reply");
  if (g_line.badRequest) fail("malformed or unexpected request written");
  const bool chain = r.opCode == CMD_RD_ALM || r.opCode == CMD_RD_MEM;
  if (!chain && g_line.reads > g_line.writes) fail("more replies read than requests sent");
  if (g_line.writes > maxWrites) fail("too many writes");
  if (r.opCode == CMD_WR_MEM && r.wrMem.byteCount > kMaxWriteMemoryBytes && g_line.writes != 0)
    fail("oversized memory write sent");
  // An accepted or error reply carries this command's header.
  if (r.status == STATUS_OK || r.status == STATUS_ERROR_REPLY) {
    uint8_t header[kHeaderLength];
    buildHeader(r.opCode, header);
    header[7] = '1', header[8] = '0', header[9] = 'R';
    if (std::memcmp(g_line.replyImage, header, kHeaderLength) != 0)
      fail("outcome from a reply with a foreign header");
  }
  if (r.status != STATUS_OK) return;
  switch (r.opCode) {
    case CMD_RD_ALM:
      if (r.rdAlm.alarmCount > kMaxAlarmEntries) fail("more alarms than the record holds");
      break;
    case CMD_RDPARM:
      if (r.rdparm.echoedNumber != r.rdparm.parameterNumber) fail("parameter echo differs");
      break;
    case CMD_RDMSTS:
      if (r.rdmsts.motionState == kTableEnd) fail("unknown motion state accepted");
      break;
    case CMD_RDSSTS:
      for (uint8_t v : {r.rdssts.ready, r.rdssts.servoOn, r.rdssts.mainCircuitOn, r.rdssts.alarm})
        if (v > 1) fail("unknown on/off keyword accepted");
      break;
    case CMD_RDDVID:
      if (std::memchr(r.rddvid.idText, ';', kIdTextLength)) fail("terminator inside the text");
      break;
    case CMD_WR_MEM:
      if (r.wrMem.byteCount > kMaxWriteMemoryBytes) fail("oversized memory write accepted");
      break;
    default:
      break;
  }
}

}  // namespace

// Undefined behaviour anywhere, the core included, ends the run like a crash.
extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static RequestRecord* record = [] {
    setRetryPauseMs(0);
    setSplitPauseMs(0);
    return static_cast<RequestRecord*>(std::malloc(sizeof(RequestRecord)));
  }();
  if (size < 3) return 0;
  const uint8_t code = data[0] % COMMAND_COUNT;
  const uint8_t flags = data[1];
  size_t argumentBytes = data[2];
  data += 3;
  size -= 3;
  if (argumentBytes > size) argumentBytes = size;

  clearRecord(*record);
  record->opCode = code;
  uint8_t* arguments = reinterpret_cast<uint8_t*>(&record->bkctrl);
  const size_t room = sizeof(RequestRecord) - static_cast<size_t>(arguments - reinterpret_cast<uint8_t*>(record));
  if (argumentBytes > room) argumentBytes = room;
  std::memcpy(arguments, data, argumentBytes);

  // A memory write gets a block of exactly byteCount bytes, so reading past it is caught.
  uint8_t* block = nullptr;
  if (code == CMD_WR_MEM) {
    const uint16_t n = record->wrMem.byteCount;
    if (!(flags & 0x10)) {
      block = static_cast<uint8_t*>(std::malloc(n ? n : 1));
      for (uint16_t i = 0; i < n; ++i) block[i] = static_cast<uint8_t>(i * 37 + n);
    }
    record->wrMem.dataPointer = block;
  }
  // A memory read writes into a block of exactly byteCount bytes: writing past it is caught.
  if (code == CMD_RD_MEM) {
    const uint16_t n = record->rdMem.byteCount;
    block = static_cast<uint8_t*>(std::malloc(n ? n : 1));
    record->rdMem.memoryData = (flags & 0x10) ? nullptr : block;
  }

  g_mode.currentPort = 0;
  g_mode.debugMode = flags & 1;
  g_line = {data + argumentBytes, size - argumentBytes, static_cast<uint8_t>((flags >> 1) & 7),
            0, 0, false, code};

  runCommandEncoder(record, currentLineContext());

  // A split multi-speed request writes its first message once, then runs the second.
  const bool split = code == CMD_POS_MS && record->posMs.changeCount > 11;
  checkOutcome(*record, split ? 4 : 3);
  std::free(block);
  return 0;
}
