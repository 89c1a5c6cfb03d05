// A pseudo-terminal standing in for the module's serial line (POSIX only): it
// records every byte the tool writes and, when told to, answers each request with
// a reply that no decoder accepts.
#pragma once
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class FakeLine {
 public:
  FakeLine() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) slave_ = ptsname(master_);
    thread_ = std::thread([this] { serve(); });
  }
  ~FakeLine() {
    stop_.store(true);
    thread_.join();
    if (master_ >= 0) close(master_);
  }
  const char* slavePath() const { return slave_.c_str(); }
  bool ok() const { return master_ >= 0 && !slave_.empty(); }
  void answerGarbage(bool on) { garbage_.store(on); }
  // Status reads get a reply with these four on/off fields while `on`.
  void answerStatus(bool on) { status_.store(on); }
  void setStatus(bool ready, bool servo, bool mainOn, bool alarm) {
    bits_.store((ready ? 1 : 0) | (servo ? 2 : 0) | (mainOn ? 4 : 0) | (alarm ? 8 : 0));
  }
  int statusReads() const { return statusReads_.load(); }
  // Writes bytes towards the tool at once.
  void inject(const std::string& bytes) { (void)!write(master_, bytes.data(), bytes.size()); }
  std::string received() {
    std::lock_guard<std::mutex> guard(lock_);
    return received_;
  }
  void clearReceived() {
    std::lock_guard<std::mutex> guard(lock_);
    received_.clear();
  }

 private:
  void serve() {
    while (!stop_.load()) {
      pollfd p{master_, POLLIN, 0};
      if (master_ < 0 || poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) {
        if (p.revents & (POLLHUP | POLLERR)) usleep(20000);
        continue;
      }
      char buffer[512];
      ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) { usleep(20000); continue; }
      bool endOfRequest = false;
      {
        std::lock_guard<std::mutex> guard(lock_);
        received_.append(buffer, static_cast<size_t>(n));
        current_.append(buffer, static_cast<size_t>(n));
        endOfRequest = buffer[n - 1] == '\r';
      }
      if (!endOfRequest) continue;
      bool statusRead = current_.rfind("\x02RDSSTS", 0) == 0;
      current_.clear();
      if (statusRead && status_.load()) {
        statusReads_ += 1;
        std::string reply = "\x02RDSSTS10R0000S:0000";
        int bits = bits_.load();
        for (int i = 0; i < 4; ++i) reply += (bits >> i) & 1 ? "X:ON_" : "X:OFF";
        reply += "\r";
        (void)!write(master_, reply.data(), reply.size());
      } else if (garbage_.load()) {
        static const char reply[] = "\x02#?garbage?#\r";
        (void)!write(master_, reply, sizeof reply - 1);
      }
    }
  }

  int master_ = -1;
  std::string slave_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> garbage_{false};
  std::atomic<bool> status_{false};
  std::atomic<int> bits_{0};
  std::atomic<int> statusReads_{0};
  std::string current_;
  std::mutex lock_;
  std::string received_;
};
#endif
