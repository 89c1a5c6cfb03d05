// Channel: an in-process first-in first-out message queue between threads. The
// pipe carries only envelope addresses; envelope and payload are heap copies made
// by the sender and freed by the reader (or by channelDestroy while pending).
#pragma once
#include <cstdint>

struct Channel;

constexpr uint16_t kChannelWait = 1;   // channelReceive waits until a message comes

// Null when the lock, the pipe or the record cannot be made.
Channel* channelCreate(uint16_t capacity);
// 1 sent, 0 not sent (channel full, out of memory or pipe failure).
uint16_t channelSend(Channel* channel, const void* payload, uint16_t length, Channel* replyChannel);
// 1 received, 0 nothing. At most `bufferSize` bytes are copied; *length gets the
// message's own length. wait == kChannelWait polls every 10 ms until a message comes.
uint16_t channelReceive(Channel* channel, void* buffer, uint16_t bufferSize, uint16_t* length,
                        uint16_t wait, Channel** replyChannel);
// Frees every pending envelope and payload, then the pipe and the lock.
void channelDestroy(Channel* channel);
uint16_t channelPending(Channel* channel);
