#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "result/result.h"

namespace os {

/// Owns an open descriptor and closes it on every path. Movable, not copyable; -1 owns nothing.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { reset(); }

  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }

  /// Closes now and reports a failure, so a failed close of written data is not lost.
  common::Result<void> close() {
    const int result = ::close(std::exchange(fd_, -1));
    if (result != 0) return common::Failure{std::strerror(errno)};
    return common::done();
  }

 private:
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
};

}  // namespace os
