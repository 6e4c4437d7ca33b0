#pragma once
// Stands in for a full disk: while it lives, writing more than `limit` bytes to any file fails with
// EFBIG (the signal the system sends for it is ignored, unless `ignoreSignal` is false: then the limit
// is set as a user's shell sets it, and the program must cope with the signal itself).
#include <sys/resource.h>

#include <csignal>

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit, bool ignoreSignal = true) : ignored_(ignoreSignal) {
    getrlimit(RLIMIT_FSIZE, &old_);
    if (ignored_) previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit l = old_;
    l.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    if (ignored_) std::signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  bool ignored_;
  rlimit old_{};
  void (*previous_)(int) = nullptr;
};
