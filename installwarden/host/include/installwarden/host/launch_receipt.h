#pragma once

#include <string>

#include "installwarden/host/export.h"
#include "result/result.h"

namespace installwarden::host {

/// For the updated application, once it has started: writes `<root>/launched.json` atomically
/// with the update's `id`, its own `version` and whether it started well. The assistant accepts
/// it only when both equal the request's; then the update ends "complete" (`ok`) or "failed".
INSTALLWARDEN_HOST_API common::Result<void> reportLaunch(const std::string& root,
                                                         const std::string& id,
                                                         const std::string& version, bool ok);

}  // namespace installwarden::host
