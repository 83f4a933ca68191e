#include "update_state/strict_json.h"

#include <limits>

namespace installwarden::strict_json {

std::optional<nlohmann::json> parseObject(std::string_view bytes) {
  try {
    // Without exceptions a malformed text, invalid UTF-8 included, comes back as "discarded";
    // the handler below only keeps any other library error from leaving this module.
    nlohmann::json value = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr,
                                                 /*allow_exceptions=*/false);
    if (!value.is_object()) return std::nullopt;
    return value;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

namespace {

const nlohmann::json* find(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

// Integer JSON numbers only: 1.0 and 1e3 are floats and do not count.
bool readSigned(const nlohmann::json& object, const char* key, std::int64_t low, std::int64_t high,
                std::int64_t& out) {
  const auto* value = find(object, key);
  if (value == nullptr) return false;
  if (value->is_number_unsigned()) {
    const auto number = value->get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(high)) return false;
    out = static_cast<std::int64_t>(number);
    return true;
  }
  if (value->is_number_integer()) {
    const auto number = value->get<std::int64_t>();
    if (number < low || number > high) return false;
    out = number;
    return true;
  }
  return false;
}

}  // namespace

bool readString(const nlohmann::json& object, const char* key, std::string& out) {
  const auto* value = find(object, key);
  if (value == nullptr || !value->is_string()) return false;
  out = value->get<std::string>();
  return true;
}

bool readBool(const nlohmann::json& object, const char* key, bool& out) {
  const auto* value = find(object, key);
  if (value == nullptr || !value->is_boolean()) return false;
  out = value->get<bool>();
  return true;
}

bool readInt32(const nlohmann::json& object, const char* key, std::int32_t& out) {
  std::int64_t number = 0;
  if (!readSigned(object, key, std::numeric_limits<std::int32_t>::min(),
                  std::numeric_limits<std::int32_t>::max(), number)) {
    return false;
  }
  out = static_cast<std::int32_t>(number);
  return true;
}

bool readInt64(const nlohmann::json& object, const char* key, std::int64_t& out) {
  return readSigned(object, key, std::numeric_limits<std::int64_t>::min(),
                    std::numeric_limits<std::int64_t>::max(), out);
}

bool readUInt64(const nlohmann::json& object, const char* key, std::uint64_t& out) {
  const auto* value = find(object, key);
  if (value == nullptr) return false;
  if (value->is_number_unsigned()) {
    out = value->get<std::uint64_t>();
    return true;
  }
  if (value->is_number_integer()) {  // parsed as signed only when negative
    const auto number = value->get<std::int64_t>();
    if (number < 0) return false;
    out = static_cast<std::uint64_t>(number);
    return true;
  }
  return false;
}

bool readStringMap(const nlohmann::json& object, const char* key,
                   std::map<std::string, std::string>& out) {
  const auto* value = find(object, key);
  if (value == nullptr || !value->is_object()) return false;
  std::map<std::string, std::string> result;
  for (const auto& [name, text] : value->items()) {
    if (!text.is_string()) return false;
    result.emplace(name, text.get<std::string>());
  }
  out = std::move(result);
  return true;
}

}  // namespace installwarden::strict_json
