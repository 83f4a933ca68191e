#include "assistant/assistant.h"

#include <utility>

#include "assistant/bundle_info.h"
#include "update_state/exchange_records.h"
#include "update_state/installer_job.h"

namespace installwarden {

std::shared_ptr<Assistant> Assistant::create(std::string root, UpdateRequest request,
                                             AssistantEnvironment environment) {
  return std::make_shared<Assistant>(std::move(root), std::move(request), environment);
}

Assistant::Assistant(std::string root, UpdateRequest request, AssistantEnvironment environment)
    : root_(std::move(root)),
      request_(std::move(request)),
      env_(environment),
      statusWriter_(root_),
      logPosition_(request_.logOffset),
      started_(env_.clock.now()) {
  // A restarted assistant for the same update keeps the owner's identity, the restart count
  // and the log position; everything else starts afresh.
  if (const auto previous = readStatus(root_); previous && previous->id == request_.id) {
    ownerBirth_ = previous->ownerBirth;
    retries_ = previous->retries;
    logPosition_ = previous->logPosition;
    reopenDetected_ = previous->reopenDetected;
  } else if (request_.ownerPid >= 1) {
    ownerBirth_ = env_.processes.birth(request_.ownerPid).value_or(0);
  }
}

bool Assistant::shouldTerminate() const { return isFinal(phase_); }

void Assistant::publish() {
  UpdateStatus status;
  status.id = request_.id;
  status.pid = env_.ownPid;
  status.birth = env_.ownBirth;
  status.ownerBirth = ownerBirth_;
  status.phase = phaseName(phase_);
  status.visible = env_.window.isVisible();
  status.retries = retries_;
  status.logPosition = logPosition_;
  status.reopenDetected = reopenDetected_;
  if (const auto written = statusWriter_.write(encodeStatus(status)); !written) {
    env_.log.line("Installwarden could not save its status: " + written.reason());
  }
}

void Assistant::end(Phase finalPhase) {
  phase_ = finalPhase;
  publish();
  ended_ = true;
  env_.application.terminate();
}

bool Assistant::ownerRunning() {
  // A birth of 0 was never taken, so no process can be that owner.
  return ownerBirth_ != 0 && isSameProcess(env_.processes, request_.ownerPid, ownerBirth_);
}

double Assistant::secondsSince(std::chrono::steady_clock::time_point moment) {
  return std::chrono::duration<double>(env_.clock.now() - moment).count();
}

void Assistant::reopen() {
  if (ended_) return;
  if (const auto job = installerJob(request_, env_.launchctl, env_.processes, env_.uid);
      job && job->running) {
    return;
  }
  if (!installedVersion(request_.appPath)) return;
  env_.workspace.openApplication(
      request_.appPath, [weak = weak_from_this()](common::Result<void> opened) {
        if (!opened) return;  // the window keeps its failed state; the user may try again
        const auto self = weak.lock();
        if (!self || self->ended_) return;
        self->end(Phase::kCancelled);
      });
}

}  // namespace installwarden
