#include "assistant/assistant.h"

#include "update_state/exchange_file.h"
#include "update_state/exchange_records.h"
#include "update_state/installer_job.h"

namespace installwarden {
namespace {

constexpr double kSlowAfterSeconds = 90.0;

}  // namespace

void Assistant::applicationDidFinishLaunching() { tick(); }

void Assistant::tick() {
  if (ended_) return;
  if (requestWithdrawn()) return;
  if (applyCommand()) return;
  applyShowRequest();

  if (phase_ == Phase::kInstalling || phase_ == Phase::kStarting) {
    if (monitorInstallation()) return;
  } else if (phase_ != Phase::kFailed) {
    if (watchOwner()) return;
  }

  env_.window.update(phase_, secondsSince(started_) > kSlowAfterSeconds);
  publish();
}

bool Assistant::requestWithdrawn() {
  // Only the id matters: the assistant keeps the request it started with.
  const auto current = validatedRequest(root_);
  if (current && current->id == request_.id) return false;
  end(Phase::kCancelled);
  return true;
}

bool Assistant::applyCommand() {
  const auto command = readCommand(root_);
  if (!command || command->id != request_.id || command->sequence == lastCommand_) return false;
  lastCommand_ = command->sequence;  // used up whatever the phase says
  const auto asked = parsePhase(command->phase);
  if (asked == Phase::kCancelled) {
    end(Phase::kCancelled);
    return true;
  }
  if (asked == Phase::kReady || asked == Phase::kPreparing) {
    phase_ = *asked;
    env_.window.hide();
  } else if (asked == Phase::kClosing || asked == Phase::kInstalling) {
    phase_ = *asked;
    env_.window.bringForward();
  }
  return false;
}

void Assistant::applyShowRequest() {
  auto show = readExchangeFile(root_, "show.json");
  if (show == lastShow_) return;
  lastShow_ = std::move(show);
  if (lastShow_) env_.window.bringForward();
}

bool Assistant::watchOwner() {
  if (ownerRunning()) return false;
  const auto job = installerJob(request_, env_.launchctl, env_.processes, env_.uid);
  if (job && job->running) {
    phase_ = Phase::kInstalling;
    env_.window.bringForward();
    return false;
  }
  end(Phase::kCancelled);
  return true;
}

}  // namespace installwarden
