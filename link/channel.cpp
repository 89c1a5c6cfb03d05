// Channel: a fixed ring of envelopes made with the channel, one mutex and one
// condition variable, so that sending and receiving allocate nothing and a
// waiting receiver wakes as soon as a message is sent.
#include "link/channel.h"
#include <cstring>
#include <new>

namespace {

struct ChannelEnvelope {
  Channel* replyChannel;
  uint16_t length;
  uint8_t payload[kChannelPayloadMax];
};

}  // namespace

struct Channel {
  std::mutex lock;
  std::condition_variable arrived;
  ChannelBell* bell = nullptr;
  uint16_t capacity = 0;
  uint16_t pending = 0;
  uint16_t first = 0;                     // ring index of the oldest pending message
  ChannelEnvelope* envelopes = nullptr;   // `capacity` of them
};

Channel* channelCreate(uint16_t capacity) {
  Channel* channel = new (std::nothrow) Channel;
  if (!channel) return nullptr;
  channel->capacity = capacity;
  channel->envelopes = new (std::nothrow) ChannelEnvelope[capacity ? capacity : 1]();
  if (!channel->envelopes) {
    delete channel;
    return nullptr;
  }
  return channel;
}

uint16_t channelSend(Channel* channel, const void* payload, uint16_t length, Channel* replyChannel) {
  if (!channel || length > kChannelPayloadMax) return 0;
  ChannelBell* bell = nullptr;
  {
    std::lock_guard<std::mutex> guard(channel->lock);
    if (channel->pending >= channel->capacity) return 0;
    ChannelEnvelope& envelope =
        channel->envelopes[(channel->first + channel->pending) % channel->capacity];
    envelope.replyChannel = replyChannel;
    envelope.length = length;
    if (length) std::memcpy(envelope.payload, payload, length);
    channel->pending += 1;
    // Under the lock: once it is released the receiver may take the message
    // and destroy the channel (a reply channel), so nothing touches it after.
    channel->arrived.notify_one();
    bell = channel->bell;
  }
  // The channel's lock is never held while another is taken.
  if (bell) bellRing(bell);
  return 1;
}

uint16_t channelReceive(Channel* channel, void* buffer, uint16_t bufferSize, uint16_t* length,
                        uint16_t wait, Channel** replyChannel) {
  if (replyChannel) *replyChannel = nullptr;
  if (!channel) return 0;
  std::unique_lock<std::mutex> guard(channel->lock);
  if (wait == kChannelWait) channel->arrived.wait(guard, [channel] { return channel->pending > 0; });
  if (channel->pending == 0) return 0;
  ChannelEnvelope& envelope = channel->envelopes[channel->first];
  channel->first = static_cast<uint16_t>((channel->first + 1) % channel->capacity);
  channel->pending -= 1;
  if (replyChannel) *replyChannel = envelope.replyChannel;
  if (length) *length = envelope.length;
  uint16_t n = envelope.length < bufferSize ? envelope.length : bufferSize;
  if (n && buffer) std::memcpy(buffer, envelope.payload, n);
  return 1;
}

void channelDestroy(Channel* channel) {
  if (!channel) return;
  delete[] channel->envelopes;
  delete channel;
}

uint16_t channelPending(Channel* channel) {
  if (!channel) return 0;
  std::lock_guard<std::mutex> guard(channel->lock);
  return channel->pending;
}

void channelAttachBell(Channel* channel, ChannelBell* bell) {
  if (!channel) return;
  std::lock_guard<std::mutex> guard(channel->lock);
  channel->bell = bell;
}

uint32_t bellRings(ChannelBell* bell) {
  std::lock_guard<std::mutex> guard(bell->lock);
  return bell->rings;
}

void bellRing(ChannelBell* bell) {
  std::lock_guard<std::mutex> guard(bell->lock);
  bell->rings += 1;
  bell->rung.notify_all();
}

void bellWait(ChannelBell* bell, uint32_t seen) {
  std::unique_lock<std::mutex> guard(bell->lock);
  bell->rung.wait(guard, [bell, seen] { return bell->rings != seen; });
}
