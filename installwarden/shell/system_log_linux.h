#pragma once

#include <string>

#include "assistant/ports.h"

namespace installwarden {

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
