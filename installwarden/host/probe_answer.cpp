#include "host/probe_answer.h"

#include "update_state/strict_json.h"

namespace installwarden::host {

std::optional<ProbeAnswer> parseProbeAnswer(std::string_view output) {
  const auto object = strict_json::parseObject(output);
  if (!object) return std::nullopt;
  using strict_json::readBool;
  const auto active = readBool(*object, "active");
  const auto block = readBool(*object, "block");
  const auto resume = readBool(*object, "resume");
  const auto occupied = readBool(*object, "occupied");
  if (!active || !block || !resume || !occupied) return std::nullopt;
  return ProbeAnswer{*active, *block, *resume, *occupied};
}

}  // namespace installwarden::host
