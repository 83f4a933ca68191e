#include "assistant/assistant.h"

#include "assistant/bundle_info.h"
#include "assistant/log_follower.h"
#include "assistant/running_copy.h"
#include "update_state/exchange_records.h"
#include "update_state/installer_job.h"

namespace installwarden {
namespace {

// Idle limits as the host counts them: more than 3 and more than 15 seconds, but 120 seconds or
// more while starting; hence `<=` against the first two and `<` against the last.
constexpr double kKickstartAfterIdleSeconds = 3.0;
constexpr double kFailAfterIdleSeconds = 15.0;
constexpr double kStartingFailAfterIdleSeconds = 120.0;
constexpr std::int64_t kMaxKickstarts = 2;  // per request, a restarted assistant's included

}  // namespace

void Assistant::followInstallerLog() {
  const LogReadResult read = readInstallerLog(request_.logPath, logPosition_);
  logPosition_ = read.position;
  if (read.markerSeen) reopenDetected_ = true;
}

bool Assistant::monitorInstallation() {
  if (const auto receipt = readReceipt(root_);
      receipt && receipt->id == request_.id && receipt->version == request_.version) {
    if (receipt->ok) {
      end(Phase::kComplete);
      return true;
    }
    phase_ = Phase::kFailed;
    env_.window.bringForward();
    return false;
  }

  if (installedVersion(request_.appPath) == request_.version) phase_ = Phase::kStarting;

  if (ownerRunning()) {
    idleSince_.reset();
    return false;
  }

  followInstallerLog();

  const auto job = installerJob(request_, env_.launchctl, env_.processes, env_.uid);
  if (job && job->running) {
    idleSince_.reset();
    return false;
  }

  if (!idleSince_) idleSince_ = env_.clock.now();
  if (secondsSince(*idleSince_) <= kKickstartAfterIdleSeconds) return false;

  if (reopenDetected_ && retries_ < kMaxKickstarts && job && phase_ != Phase::kStarting) {
    // The installer gave up because the application was running; wait for every copy to quit.
    if (isRunningFrom(env_.workspace.runningBundlePaths(), request_.appPath)) return false;
    ++retries_;
    reopenDetected_ = false;
    idleSince_.reset();
    publish();
    if (env_.launchctl.run({"kickstart", job->target}).exitStatus != 0) {
      phase_ = Phase::kFailed;
      env_.window.bringForward();
    }
    return false;
  }

  if (secondsSince(*idleSince_) <= kFailAfterIdleSeconds) return false;
  if (phase_ == Phase::kStarting && secondsSince(*idleSince_) < kStartingFailAfterIdleSeconds) {
    return false;
  }
  phase_ = Phase::kFailed;
  env_.window.bringForward();
  return false;
}

}  // namespace installwarden
