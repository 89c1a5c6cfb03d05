// Channel: pipe of envelope addresses, one mutex, a capacity and a pending count.
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
  uint8_t* payload;
};

constexpr uint32_t kPipeBytesPerMessage = 36;

}  // namespace

struct Channel {
  PipeEnds pipe;
  std::mutex lock;
  uint16_t capacity = 0;
  uint16_t pending = 0;
};

Channel* channelCreate(uint16_t capacity) {
  Channel* channel = new (std::nothrow) Channel;
  if (!channel) return nullptr;
  channel->capacity = capacity;
  if (!pipeCreate(&channel->pipe, static_cast<uint32_t>(capacity) * kPipeBytesPerMessage)) {
    delete channel;
    return nullptr;
  }
  return channel;
}

uint16_t channelSend(Channel* channel, const void* payload, uint16_t length, Channel* replyChannel) {
  if (!channel) return 0;
  std::lock_guard<std::mutex> guard(channel->lock);
  if (channel->pending >= channel->capacity) return 0;
  ChannelEnvelope* envelope = new (std::nothrow) ChannelEnvelope{};
  uint8_t* copy = new (std::nothrow) uint8_t[length ? length : 1]();
  if (!envelope || !copy) {
    delete envelope;
    delete[] copy;
    return 0;
  }
  envelope->replyChannel = replyChannel;
  envelope->length = length;
  envelope->payload = copy;
  if (length) std::memcpy(copy, payload, length);
  if (!pipeWrite(channel->pipe, &envelope, sizeof envelope)) {
    delete[] copy;
    delete envelope;
    return 0;
  }
  channel->pending += 1;
  return 1;
}

uint16_t channelReceive(Channel* channel, void* buffer, uint16_t bufferSize, uint16_t* length,
                        uint16_t wait, Channel** replyChannel) {
  if (replyChannel) *replyChannel = nullptr;
  if (!channel) return 0;
  ChannelEnvelope* envelope = nullptr;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(channel->lock);
      if (channel->pending > 0) {
        channel->pending -= 1;
        if (!pipeRead(channel->pipe, &envelope, sizeof envelope)) envelope = nullptr;
      }
    }
    if (envelope || wait != kChannelWait) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // A single look does not sleep: the communication thread's pass sleeps once itself.
  if (!envelope) return 0;
  if (replyChannel) *replyChannel = envelope->replyChannel;
  if (length) *length = envelope->length;
  uint16_t n = envelope->length < bufferSize ? envelope->length : bufferSize;
  if (n && buffer) std::memcpy(buffer, envelope->payload, n);
  delete[] envelope->payload;
  delete envelope;
  return 1;
}

void channelDestroy(Channel* channel) {
  if (!channel) return;
  {
    std::lock_guard<std::mutex> guard(channel->lock);
    while (channel->pending > 0) {
      ChannelEnvelope* envelope = nullptr;
      channel->pending -= 1;
      if (!pipeRead(channel->pipe, &envelope, sizeof envelope) || !envelope) break;
      delete[] envelope->payload;
      delete envelope;
    }
  }
  pipeClose(&channel->pipe);
  delete channel;
}

uint16_t channelPending(Channel* channel) {
  if (!channel) return 0;
  std::lock_guard<std::mutex> guard(channel->lock);
  return channel->pending;
}
