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
bool readString(const nlohmann::json& object, const char* key, std::string& out);
bool readBool(const nlohmann::json& object, const char* key, bool& out);
bool readInt32(const nlohmann::json& object, const char* key, std::int32_t& out);
bool readInt64(const nlohmann::json& object, const char* key, std::int64_t& out);
bool readUInt64(const nlohmann::json& object, const char* key, std::uint64_t& out);
/// An object whose values are all strings.
bool readStringMap(const nlohmann::json& object, const char* key,
                   std::map<std::string, std::string>& out);

}  // namespace installwarden::strict_json
