// Starts a program the way a careless host can: with signals ignored or blocked, or with
// standard error on a pipe whose reader has gone. Tests only.
//
//   with-signals [--ignore NAME|ALL]... [--block NAME|ALL]... [--stderr-reader-gone]
//                -- <program> [arguments...]
//
// NAME is a signal's name without "SIG" (CHLD, PIPE, TERM). Ignored dispositions, the blocked
// mask and the descriptors survive the exec; the program starts with them.

#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <string_view>
#include <vector>

namespace {

constexpr int kUsageStatus = 64;
constexpr int kCannotStartStatus = 127;

/// The signals a program may handle: the standard ones, not SIGKILL and SIGSTOP.
std::vector<int> signalsNamed(std::string_view name) {
  std::vector<int> signals;
  for (int signal = 1; signal < SIGRTMIN; ++signal) {
    const char* abbreviation = sigabbrev_np(signal);
    if (abbreviation == nullptr || signal == SIGKILL || signal == SIGSTOP) continue;
    if (name == "ALL" || name == abbreviation) signals.push_back(signal);
  }
  return signals;
}

/// Standard error on a pipe nobody reads any more: the next write raises SIGPIPE.
bool pointStandardErrorAtAGoneReader() {
  int ends[2];
  if (::pipe(ends) != 0) return false;
  ::close(ends[0]);
  const bool moved = ::dup2(ends[1], STDERR_FILENO) == STDERR_FILENO;
  ::close(ends[1]);
  return moved;
}

}  // namespace

int main(int argc, char** argv) {
  sigset_t blocked;
  sigemptyset(&blocked);
  bool goneReader = false;
  int at = 1;
  for (; at < argc && std::string_view(argv[at]) != "--"; ++at) {
    const std::string_view option = argv[at];
    if (option == "--stderr-reader-gone") {
      goneReader = true;
      continue;
    }
    if ((option != "--ignore" && option != "--block") || at + 1 >= argc) return kUsageStatus;
    const auto signals = signalsNamed(argv[++at]);
    if (signals.empty()) return kUsageStatus;
    for (const int signal : signals) {
      if (option == "--block") {
        sigaddset(&blocked, signal);
      } else {
        ::signal(signal, SIG_IGN);
      }
    }
  }
  if (at + 1 >= argc) return kUsageStatus;
  char** program = argv + at + 1;

  if (goneReader && !pointStandardErrorAtAGoneReader()) return kCannotStartStatus;
  ::sigprocmask(SIG_BLOCK, &blocked, nullptr);
  ::execv(program[0], program);
  return kCannotStartStatus;
}
