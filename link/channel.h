// Channel: an in-process first-in first-out message queue between threads. The
// messages sit in a fixed ring of envelopes, with room for the payload, made with
// the channel, so a message costs no allocation. A waiting receiver sleeps until
// a message comes, and a bell lets one thread sleep on several channels at once.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

struct Channel;

constexpr uint16_t kChannelWait = 1;            // channelReceive waits until a message comes
constexpr uint16_t kChannelPayloadMax = 256;    // longest message a channel carries

// Null when the record cannot be made.
Channel* channelCreate(uint16_t capacity);
// 1 sent, 0 not sent (channel full or payload longer than kChannelPayloadMax).
// Wakes a receiver waiting on the channel and rings its bell, if it has one.
uint16_t channelSend(Channel* channel, const void* payload, uint16_t length, Channel* replyChannel);
// 1 received, 0 nothing. At most `bufferSize` bytes are copied; *length gets the
// message's own length. wait == kChannelWait sleeps until a message comes; any
// other value looks once.
uint16_t channelReceive(Channel* channel, void* buffer, uint16_t bufferSize, uint16_t* length,
                        uint16_t wait, Channel** replyChannel);
// Drops every pending message and frees the channel.
void channelDestroy(Channel* channel);
uint16_t channelPending(Channel* channel);

// A bell rung by every message sent to the channels it is attached to (and by
// hand): the thread that serves them counts the rings before it looks at them,
// and sleeps only while nothing has rung since.
struct ChannelBell {
  std::mutex lock;
  std::condition_variable rung;
  uint32_t rings = 0;
};

// The bell must outlive the channel, or be detached (null) first.
void channelAttachBell(Channel* channel, ChannelBell* bell);
uint32_t bellRings(ChannelBell* bell);
void bellRing(ChannelBell* bell);
// Returns once the bell has rung after the count `seen` was taken.
void bellWait(ChannelBell* bell, uint32_t seen);
