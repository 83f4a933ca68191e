#include "shell/system_log_linux.h"

#include <syslog.h>
#include <algorithm>
#include <cstdio>

namespace installwarden {

SyslogSystemLog::SyslogSystemLog() { openlog("installwarden", LOG_PID, LOG_USER); }

SyslogSystemLog::~SyslogSystemLog() { closelog(); }

void SyslogSystemLog::line(const std::string& text) {
  std::string oneLine = text;
  std::replace_if(
      oneLine.begin(), oneLine.end(), [](char c) { return c == '\n' || c == '\r' || c == '\0'; },
      ' ');
  syslog(LOG_NOTICE, "%s", oneLine.c_str());
  std::fprintf(stderr, "%s\n", oneLine.c_str());
  std::fflush(stderr);
}

}  // namespace installwarden
