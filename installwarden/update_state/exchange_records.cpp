#include "update_state/exchange_records.h"

#include "json/json_writer.h"
#include "update_state/exchange_file.h"
#include "update_state/strict_json.h"

namespace installwarden {

using namespace strict_json;

std::optional<UpdateCommand> parseCommand(std::string_view bytes) {
  const auto object = parseObject(bytes);
  if (!object) return std::nullopt;
  UpdateCommand command;
  if (readString(*object, "id", command.id) && readString(*object, "phase", command.phase) &&
      readInt64(*object, "sequence", command.sequence)) {
    return command;
  }
  return std::nullopt;
}

std::optional<UpdateStatus> parseStatus(std::string_view bytes) {
  const auto object = parseObject(bytes);
  if (!object) return std::nullopt;
  UpdateStatus status;
  if (readString(*object, "id", status.id) && readInt32(*object, "pid", status.pid) &&
      readUInt64(*object, "birth", status.birth) &&
      readUInt64(*object, "ownerBirth", status.ownerBirth) &&
      readString(*object, "phase", status.phase) && readBool(*object, "visible", status.visible) &&
      readInt64(*object, "retries", status.retries) &&
      readUInt64(*object, "logPosition", status.logPosition) &&
      readBool(*object, "reopenDetected", status.reopenDetected)) {
    return status;
  }
  return std::nullopt;
}

std::optional<LaunchReceipt> parseReceipt(std::string_view bytes) {
  const auto object = parseObject(bytes);
  if (!object) return std::nullopt;
  LaunchReceipt receipt;
  if (readString(*object, "id", receipt.id) && readString(*object, "version", receipt.version) &&
      readBool(*object, "ok", receipt.ok)) {
    return receipt;
  }
  return std::nullopt;
}

namespace {

template <typename Record, typename Parser>
std::optional<Record> readRecord(const std::string& root, const char* name, Parser parse) {
  const auto bytes = readExchangeFile(root, name);
  if (!bytes) return std::nullopt;
  return parse(*bytes);
}

}  // namespace

std::optional<UpdateCommand> readCommand(const std::string& root) {
  return readRecord<UpdateCommand>(root, "command.json", parseCommand);
}

std::optional<UpdateStatus> readStatus(const std::string& root) {
  return readRecord<UpdateStatus>(root, "status.json", parseStatus);
}

std::optional<LaunchReceipt> readReceipt(const std::string& root) {
  return readRecord<LaunchReceipt>(root, "launched.json", parseReceipt);
}

std::string encodeStatus(const UpdateStatus& status) {
  json::JsonWriter writer;
  writer.beginObject()
      .key("id")
      .value(status.id)
      .key("pid")
      .value(status.pid)
      .key("birth")
      .value(status.birth)
      .key("ownerBirth")
      .value(status.ownerBirth)
      .key("phase")
      .value(status.phase)
      .key("visible")
      .value(status.visible)
      .key("retries")
      .value(status.retries)
      .key("logPosition")
      .value(status.logPosition)
      .key("reopenDetected")
      .value(status.reopenDetected)
      .endObject();
  // Strings, integers and booleans always encode; only a non-finite double could fail.
  return writer.finish().value_or(std::string());
}

}  // namespace installwarden
