#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace installwarden::strict_json {

/// The bytes as a JSON object, or nothing when they are not UTF-8 JSON or not an object.
/// Never throws.
std::optional<nlohmann::json> parseObject(std::string_view bytes);

/// Typed reads of one required key: nothing when the key is missing, null, of another JSON
/// type, or (for integers) a non-integer number or out of the target range.
std::optional<std::string> readString(const nlohmann::json& object, const char* key);
std::optional<bool> readBool(const nlohmann::json& object, const char* key);
std::optional<std::int32_t> readInt32(const nlohmann::json& object, const char* key);
std::optional<std::int64_t> readInt64(const nlohmann::json& object, const char* key);
std::optional<std::uint64_t> readUInt64(const nlohmann::json& object, const char* key);
/// An object whose values are all strings.
std::optional<std::map<std::string, std::string>> readStringMap(const nlohmann::json& object,
                                                                const char* key);

}  // namespace installwarden::strict_json
