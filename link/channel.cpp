// Channel: pipe of envelope addresses, one mutex, and a fixed table of envelopes
// made with the channel, so that sending and receiving allocate nothing.
#include "link/channel.h"
#include <chrono>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>
#include "link/pipe.h"

namespace {

struct ChannelEnvelope {
  Channel* replyChannel;
  uint16_t length;
  bool inUse;
  uint8_t payload[kChannelPayloadMax];
};

constexpr uint32_t kPipeBytesPerMessage = 36;

}  // namespace

struct Channel {
  PipeEnds pipe;
  std::mutex lock;
  uint16_t capacity = 0;
  uint16_t pending = 0;
  ChannelEnvelope* envelopes = nullptr;   // `capacity` of them
};

Channel* channelCreate(uint16_t capacity) {
  Channel* channel = new (std::nothrow) Channel;
  if (!channel) return nullptr;
  channel->capacity = capacity;
  channel->envelopes = new (std::nothrow) ChannelEnvelope[capacity ? capacity : 1]();
  if (!channel->envelopes ||
      !pipeCreate(&channel->pipe, static_cast<uint32_t>(capacity) * kPipeBytesPerMessage)) {
    delete[] channel->envelopes;
    delete channel;
    return nullptr;
  }
  return channel;
}

uint16_t channelSend(Channel* channel, const void* payload, uint16_t length, Channel* replyChannel) {
  if (!channel || length > kChannelPayloadMax) return 0;
  std::lock_guard<std::mutex> guard(channel->lock);
  if (channel->pending >= channel->capacity) return 0;
  // Fewer than `capacity` are pending, so one envelope is free.
  ChannelEnvelope* envelope = channel->envelopes;
  while (envelope->inUse) ++envelope;
  envelope->replyChannel = replyChannel;
  envelope->length = length;
  if (length) std::memcpy(envelope->payload, payload, length);
  if (!pipeWrite(channel->pipe, &envelope, sizeof envelope)) return 0;
  envelope->inUse = true;
  channel->pending += 1;
  return 1;
}

uint16_t channelReceive(Channel* channel, void* buffer, uint16_t bufferSize, uint16_t* length,
                        uint16_t wait, Channel** replyChannel) {
  if (replyChannel) *replyChannel = nullptr;
  if (!channel) return 0;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(channel->lock);
      if (channel->pending > 0) {
        channel->pending -= 1;
        ChannelEnvelope* envelope = nullptr;
        if (!pipeRead(channel->pipe, &envelope, sizeof envelope) || !envelope) return 0;
        if (replyChannel) *replyChannel = envelope->replyChannel;
        if (length) *length = envelope->length;
        uint16_t n = envelope->length < bufferSize ? envelope->length : bufferSize;
        if (n && buffer) std::memcpy(buffer, envelope->payload, n);
        envelope->inUse = false;
        return 1;
      }
    }
    // A single look does not sleep: the communication thread's pass sleeps once itself.
    if (wait != kChannelWait) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void channelDestroy(Channel* channel) {
  if (!channel) return;
  pipeClose(&channel->pipe);
  delete[] channel->envelopes;
  delete channel;
}

uint16_t channelPending(Channel* channel) {
  if (!channel) return 0;
  std::lock_guard<std::mutex> guard(channel->lock);
  return channel->pending;
}
