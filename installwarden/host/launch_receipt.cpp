#include "installwarden/host/launch_receipt.h"

#include "json/json_writer.h"
#include "os/files.h"
#include "update_state/update_request.h"

namespace installwarden::host {

common::Result<void> reportLaunch(const std::string& root, const std::string& id,
                                  const std::string& version, bool ok) {
  if (!installwarden::isUuid(id)) return common::Failure{"\"" + id + "\" is no update id"};
  if (version.empty()) return common::Failure{"an empty version matches no update"};
  json::JsonWriter writer;
  writer.beginObject()
      .key("id")
      .value(id)
      .key("version")
      .value(version)
      .key("ok")
      .value(ok)
      .endObject();
  const std::string path = os::joinPath(root, "launched.json");
  if (auto replaced = os::replaceAtomically(path, writer.finish().value_or("")); !replaced) {
    return common::Failure{"cannot write " + path + ": " + replaced.reason()};
  }
  return common::done();
}

}  // namespace installwarden::host
