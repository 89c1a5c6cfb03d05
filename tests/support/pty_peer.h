// The module end of a pseudo-terminal line (POSIX only). The tool opens the slave
// as port 0; a thread reads request bytes from the master, splits them at CR and
// answers each request with its scripted replies, each reply one write().
#pragma once
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PtyPeer {
 public:
  // The replies for one request, `gapMs` apart (an empty list: no answer).
  struct Answer {
    std::vector<std::string> replies;
    int gapMs = 0;
  };
  struct Request {
    std::string bytes;
    std::chrono::steady_clock::time_point at;
  };

  PtyPeer() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    slave_ = ptsname(master_);
    // Held open so that the master never sees a hang-up between the tool's opens.
    keep_ = ::open(slave_.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    if (keep_ >= 0 && tcgetattr(keep_, &tio) == 0) {
      cfmakeraw(&tio);
      tcsetattr(keep_, TCSANOW, &tio);
    }
    thread_ = std::thread([this] { serve(); });
  }
  ~PtyPeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (keep_ >= 0) ::close(keep_);
    closeMaster();
  }
  bool ok() const { return master_ >= 0 && keep_ >= 0; }
  const char* slavePath() const { return slave_.c_str(); }

  // Answers for the next requests, in order; requests beyond them get none.
  void script(std::vector<Answer> answers) {
    std::lock_guard<std::mutex> g(lock_);
    answers_ = std::move(answers);
    next_ = 0;
  }
  std::vector<Request> requests() {
    std::lock_guard<std::mutex> g(lock_);
    return requests_;
  }
  void clear() {
    std::lock_guard<std::mutex> g(lock_);
    requests_.clear();
    answers_.clear();
    next_ = 0;
  }
  // Bytes towards the tool, one write().
  void send(const std::string& bytes) {
    std::lock_guard<std::mutex> g(writeLock_);
    if (master_ >= 0) (void)!::write(master_, bytes.data(), bytes.size());
  }
  // The line goes dead: the tool's writes fail from now on.
  void closeMaster() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> g(writeLock_);
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  void serve() {
    std::string input;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 5) <= 0 || !(p.revents & POLLIN)) continue;
      char buffer[512];
      ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) continue;
      input.append(buffer, static_cast<size_t>(n));
      size_t cr;
      while ((cr = input.find('\r')) != std::string::npos) {
        Answer answer;
        {
          std::lock_guard<std::mutex> g(lock_);
          requests_.push_back({input.substr(0, cr + 1), std::chrono::steady_clock::now()});
          if (next_ < answers_.size()) answer = answers_[next_++];
        }
        input.erase(0, cr + 1);
        for (size_t i = 0; i < answer.replies.size(); ++i) {
          if (i) std::this_thread::sleep_for(std::chrono::milliseconds(answer.gapMs));
          send(answer.replies[i]);
        }
      }
    }
  }

  int master_ = -1;
  int keep_ = -1;
  std::string slave_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex lock_, writeLock_;
  std::vector<Answer> answers_;
  size_t next_ = 0;
  std::vector<Request> requests_;
};

// STX, text, CR.
inline std::string framed(const std::string& text) { return "\x02" + text + "\r"; }
#endif
