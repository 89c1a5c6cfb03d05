// Channel: an in-process first-in first-out message queue between threads. The
// pipe carries only envelope addresses; the envelopes, with room for the payload,
// are a fixed table made with the channel, so a message costs no allocation.
#pragma once
#include <cstdint>

struct Channel;

constexpr uint16_t kChannelWait = 1;            // channelReceive waits until a message comes
constexpr uint16_t kChannelPayloadMax = 256;    // longest message a channel carries

// Null when the lock, the pipe or the record cannot be made.
Channel* channelCreate(uint16_t capacity);
// 1 sent, 0 not sent (channel full, payload longer than kChannelPayloadMax or
// pipe failure).
uint16_t channelSend(Channel* channel, const void* payload, uint16_t length, Channel* replyChannel);
// 1 received, 0 nothing. At most `bufferSize` bytes are copied; *length gets the
// message's own length. wait == kChannelWait polls every 10 ms until a message comes.
uint16_t channelReceive(Channel* channel, void* buffer, uint16_t bufferSize, uint16_t* length,
                        uint16_t wait, Channel** replyChannel);
// Drops every pending message and frees the channel.
void channelDestroy(Channel* channel);
uint16_t channelPending(Channel* channel);
