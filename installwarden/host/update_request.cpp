#include "installwarden/host/update_request.h"

#include <unistd.h>

#include "json/json_writer.h"
#include "os/files.h"
#include "update_state/exchange_file.h"
#include "update_state/update_request.h"

namespace installwarden::host {

namespace {

constexpr const char* kRequestFile = "request.json";

bool startsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

/// The first rule of the assistant's that `request` breaks, in words; nothing when it keeps all.
std::optional<std::string> brokenRule(const UpdateRequest& request) {
  if (!installwarden::isUuid(request.id)) {
    return "the id \"" + request.id + "\" is not a UUID (8-4-4-4-12 hexadecimal digits)";
  }
  if (!startsWith(request.appPath, "/") || !endsWith(request.appPath, ".app")) {
    return "the application path \"" + request.appPath + "\" must begin with / and end in .app";
  }
  if (!installwarden::isValidJobLabel(request.jobLabel)) {
    return "the job label \"" + request.jobLabel +
           "\" must be letters, digits, dots or hyphens followed by .ShipIt";
  }
  if (request.version.empty()) return "the version being installed is empty";
  return std::nullopt;
}

std::string encodeRequest(const UpdateRequest& request, std::int32_t ownerPid) {
  json::JsonWriter writer;
  writer.beginObject()
      .key("id")
      .value(request.id)
      .key("appPath")
      .value(request.appPath)
      .key("sourceVersion")
      .value(request.sourceVersion)
      .key("version")
      .value(request.version)
      .key("ownerPid")
      .value(ownerPid)
      .key("jobLabel")
      .value(request.jobLabel)
      .key("logPath")
      .value(request.logPath)
      .key("logOffset")
      .value(request.logOffset)
      .key("messages")
      .beginObject();
  for (const auto& [key, text] : request.messages) writer.key(key).value(text);
  writer.endObject().endObject();
  // Strings and integers always encode.
  return writer.finish().value_or(std::string());
}

}  // namespace

common::Result<std::string> writeRequest(const std::string& root, const UpdateRequest& request) {
  UpdateRequest written = request;
  if (written.id.empty()) {
    auto id = newUpdateId();
    if (!id) return common::Failure{id.reason()};
    written.id = std::move(id).value();
  }
  if (const auto rule = brokenRule(written)) return common::Failure{*rule};
  const std::string bytes = encodeRequest(written, written.ownerPid.value_or(::getpid()));
  // The assistant's own reading decides; what passes the rules above may still hold text
  // that is not UTF-8.
  if (!installwarden::parseValidRequest(bytes)) {
    return common::Failure{"the request holds text that is not UTF-8"};
  }
  const std::string path = os::joinPath(root, kRequestFile);
  if (auto replaced = os::replaceAtomically(path, bytes); !replaced) {
    return common::Failure{"cannot write " + path + ": " + replaced.reason()};
  }
  return written.id;
}

common::Result<UpdateRequest> readRequest(const std::string& root) {
  const std::string path = os::joinPath(root, kRequestFile);
  const auto bytes = installwarden::readExchangeFile(root, kRequestFile);
  if (!bytes) return common::Failure{"no readable " + path};
  auto read = installwarden::parseValidRequest(*bytes);
  if (!read) return common::Failure{path + " is not a valid request"};
  return UpdateRequest{read->id,      read->appPath,   read->sourceVersion,
                       read->version, read->ownerPid,  read->jobLabel,
                       read->logPath, read->logOffset, std::move(read->messages)};
}

}  // namespace installwarden::host
