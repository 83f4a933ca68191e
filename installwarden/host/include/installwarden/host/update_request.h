#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "installwarden/host/export.h"
#include "result/result.h"

namespace installwarden::host {

/// One update, as the host describes it in `<root>/request.json`.
struct UpdateRequest {
  std::string id;             ///< empty: `writeRequest` makes a fresh one
  std::string appPath;        ///< absolute path of the bundle, ending in ".app"
  std::string sourceVersion;  ///< the version being replaced
  std::string version;        ///< the version being installed; not empty
  /// The process whose end hands the update over to the installer; nothing: this process.
  std::optional<std::int32_t> ownerPid;
  std::string jobLabel;  ///< the installer's launchd label, "<letters, digits, . or ->.ShipIt"
  std::string logPath;   ///< the installer's log
  std::uint64_t logOffset = 0;  ///< where in the log this update's lines begin
  /// Window texts by key ("updateTitle", "updateInstalling", ...); a missing key shows itself.
  std::map<std::string, std::string> messages;
};

/// Writes `<root>/request.json` atomically (a reader sees the old request or the new one, never a
/// part), with a fresh random id when `request.id` is empty and this process as the owner when
/// none is given. Refuses, with the rule it breaks, a request the assistant would not accept, and
/// writes nothing then. The id written.
INSTALLWARDEN_HOST_API common::Result<std::string> writeRequest(const std::string& root,
                                                                const UpdateRequest& request);

/// The request in `<root>/request.json` as the assistant reads it, or why there is none: for
/// the updated application, which learns there the update's id and the version expected.
INSTALLWARDEN_HOST_API common::Result<UpdateRequest> readRequest(const std::string& root);

/// A fresh update id: 16 random bytes as a version-4 UUID, "8-4-4-4-12" lower-case hexadecimal.
INSTALLWARDEN_HOST_API common::Result<std::string> newUpdateId();

}  // namespace installwarden::host
