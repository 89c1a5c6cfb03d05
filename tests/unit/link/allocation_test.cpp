// The request path allocates nothing per exchange: the record is on the caller's
// stack, channel envelopes are made with the channel, and each thread keeps its
// reply channel. Counted through the global allocation functions of this binary.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#ifndef _WIN32
#include "link/link.h"
#include "link/link_state.h"
#include "protocol/request_record.h"
#include "serial/serial_port.h"
#include "tests/support/fake_line.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(RequestPath, AllocatesNothingPerExchange) {
  FakeLine line;
  ASSERT_TRUE(line.ok());
  line.answerGarbage(true);   // a static reply: the stand-in allocates nothing either
  setPortDevicePath(0, line.slavePath());
  resetModeRecord();
  ASSERT_EQ(linkStart(), 0);
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  auto exchange = [] {
    RequestRecord record;
    clearRecord(record);
    record.opCode = CMD_RDSSTS;
    postCommandRequest(&record);
    return record.status;
  };
  // Warm-up: this thread's reply channel, and the stand-in's buffers.
  for (int i = 0; i < 20; ++i) EXPECT_EQ(exchange(), STATUS_MALFORMED);
  line.clearReceived();
  g_allocations = 0;
  g_counting = true;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(exchange(), STATUS_MALFORMED);
  g_counting = false;
  EXPECT_EQ(g_allocations.load(), 0) << "allocations in 10 exchanges";
  linkShutdown();
}
#endif
