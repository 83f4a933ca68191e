#include "update_state/exchange_records.h"

#include "json/json_writer.h"
#include "update_state/exchange_file.h"
#include "update_state/strict_json.h"

namespace installwarden {

using namespace strict_json;

std::optional<UpdateCommand> parseCommand(std::string_view bytes) {
  const auto object = parseObject(bytes);
  if (!object) return std::nullopt;
  auto id = readString(*object, "id");
  auto phase = readString(*object, "phase");
  const auto sequence = readInt64(*object, "sequence");
  if (!id || !phase || !sequence) return std::nullopt;
  return UpdateCommand{std::move(*id), std::move(*phase), *sequence};
}

std::optional<UpdateStatus> parseStatus(std::string_view bytes) {
  const auto object = parseObject(bytes);
  if (!object) return std::nullopt;
  auto id = readString(*object, "id");
  const auto pid = readInt32(*object, "pid");
  const auto birth = readUInt64(*object, "birth");
  const auto ownerBirth = readUInt64(*object, "ownerBirth");
  auto phase = readString(*object, "phase");
  const auto visible = readBool(*object, "visible");
  const auto retries = readInt64(*object, "retries");
  const auto logPosition = readUInt64(*object, "logPosition");
  const auto reopenDetected = readBool(*object, "reopenDetected");
  if (!id || !pid || !birth || !ownerBirth || !phase || !visible || !retries || !logPosition ||
      !reopenDetected) {
    return std::nullopt;
  }
  return UpdateStatus{std::move(*id), *pid,     *birth,       *ownerBirth,    std::move(*phase),
                      *visible,       *retries, *logPosition, *reopenDetected};
}

std::optional<LaunchReceipt> parseReceipt(std::string_view bytes) {
  const auto object = parseObject(bytes);
  if (!object) return std::nullopt;
  auto id = readString(*object, "id");
  auto version = readString(*object, "version");
  const auto ok = readBool(*object, "ok");
  if (!id || !version || !ok) return std::nullopt;
  return LaunchReceipt{std::move(*id), std::move(*version), *ok};
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
