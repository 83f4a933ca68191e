#pragma once

#include <chrono>
#include <string>

#include "assistant/ports.h"

namespace installwarden {

/// The monotonic clock the assistant measures its durations with.
class SteadyClock final : public Clock {
 public:
  std::chrono::steady_clock::time_point now() override { return std::chrono::steady_clock::now(); }
};

/// One line to syslog (as "installwarden") and to standard error. Line breaks inside the text
/// become spaces, so one call is always one line.
class SyslogSystemLog final : public SystemLog {
 public:
  SyslogSystemLog();
  ~SyslogSystemLog() override;
  SyslogSystemLog(const SyslogSystemLog&) = delete;
  SyslogSystemLog& operator=(const SyslogSystemLog&) = delete;

  void line(const std::string& text) override;
};

}  // namespace installwarden
