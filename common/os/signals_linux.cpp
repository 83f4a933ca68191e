#include "os/signals.h"

#include <pthread.h>
#include <signal.h>

namespace os {
namespace {

void setDisposition(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
}

void changeStopSignalMask(int how) {
  sigset_t stop;
  sigemptyset(&stop);
  for (const int signal : kStopSignals) sigaddset(&stop, signal);
  ::pthread_sigmask(how, &stop, nullptr);
}

}  // namespace

void restoreDefaultChildSignal() { setDisposition(SIGCHLD, SIG_DFL); }

void ignoreBrokenPipes() { setDisposition(SIGPIPE, SIG_IGN); }

void blockStopSignals() { changeStopSignalMask(SIG_BLOCK); }

void unblockStopSignals() { changeStopSignalMask(SIG_UNBLOCK); }

}  // namespace os
