// Channel: capacity, order, reply channel hand-over, truncation and destroy with pending messages.
#include <gtest/gtest.h>
#include <cstring>
#include <thread>
#include "link/channel.h"

TEST(Channel, RefusesTheMessageBeyondCapacityAndAcceptsAgainAfterARead) {
  Channel* channel = channelCreate(20);
  ASSERT_NE(channel, nullptr);
  for (uint32_t i = 0; i < 20; ++i) EXPECT_EQ(channelSend(channel, &i, sizeof i, nullptr), 1) << i;
  uint32_t extra = 99;
  EXPECT_EQ(channelSend(channel, &extra, sizeof extra, nullptr), 0);
  EXPECT_EQ(channelPending(channel), 20);
  uint32_t got = 0;
  uint16_t length = 0;
  Channel* reply = reinterpret_cast<Channel*>(1);
  ASSERT_EQ(channelReceive(channel, &got, sizeof got, &length, 0, &reply), 1);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(reply, nullptr);
  EXPECT_EQ(channelSend(channel, &extra, sizeof extra, nullptr), 1);
  for (uint32_t i = 1; i < 20; ++i) {
    ASSERT_EQ(channelReceive(channel, &got, sizeof got, &length, 0, nullptr), 1);
    EXPECT_EQ(got, i);
  }
  ASSERT_EQ(channelReceive(channel, &got, sizeof got, &length, 0, nullptr), 1);
  EXPECT_EQ(got, 99u);
  EXPECT_EQ(channelReceive(channel, &got, sizeof got, &length, 0, nullptr), 0);
  channelDestroy(channel);
}

TEST(Channel, HandsOverLengthAndReplyChannelAndNeverOverrunsTheBuffer) {
  Channel* channel = channelCreate(2);
  Channel* reply = channelCreate(1);
  const char text[] = "0123456789";
  ASSERT_EQ(channelSend(channel, text, 10, reply), 1);
  char buffer[6];
  std::memset(buffer, 'x', sizeof buffer);
  uint16_t length = 0;
  Channel* gotReply = nullptr;
  ASSERT_EQ(channelReceive(channel, buffer, 4, &length, 0, &gotReply), 1);
  EXPECT_EQ(length, 10);
  EXPECT_EQ(gotReply, reply);
  EXPECT_EQ(std::memcmp(buffer, "0123xx", 6), 0);
  channelDestroy(reply);
  channelDestroy(channel);
}

TEST(Channel, WaitingReceiveReturnsOnceAnotherThreadSends) {
  Channel* channel = channelCreate(1);
  std::thread sender([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    uint16_t value = 0x1234;
    channelSend(channel, &value, sizeof value, nullptr);
  });
  uint16_t value = 0, length = 0;
  EXPECT_EQ(channelReceive(channel, &value, sizeof value, &length, kChannelWait, nullptr), 1);
  EXPECT_EQ(value, 0x1234);
  sender.join();
  channelDestroy(channel);
}

// Run under AddressSanitizer: every pending envelope and payload must be freed.
TEST(Channel, DestroyFreesPendingMessages) {
  for (int round = 0; round < 50; ++round) {
    Channel* channel = channelCreate(20);
    ASSERT_NE(channel, nullptr);
    char payload[200] = {};
    for (int i = 0; i < 15; ++i) ASSERT_EQ(channelSend(channel, payload, sizeof payload, nullptr), 1);
    channelDestroy(channel);
  }
}
