#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace json {

/// Builds one compact JSON text the way both programs print it: no spaces, keys in call order,
/// UTF-8 left unescaped, "/" written as "\/", control characters escaped, doubles in the shortest
/// form that reads back to the same value (integral ones without a decimal point).
/// A non-finite double poisons the writer: `finish()` then yields nothing.
class JsonWriter {
 public:
  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  JsonWriter& key(std::string_view name);
  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(bool flag);
  JsonWriter& value(double number);
  JsonWriter& value(std::int64_t number);
  JsonWriter& value(std::uint64_t number);
  JsonWriter& value(std::int32_t number) { return value(static_cast<std::int64_t>(number)); }

  /// The text, or nothing when a value could not be encoded.
  std::optional<std::string> finish() const;

 private:
  void separate();

  std::string out_;
  bool needComma_ = false;
  bool failed_ = false;
};

/// Appends `text` as a quoted JSON string with the escaping rules above.
void appendQuoted(std::string& out, std::string_view text);

/// Shortest round-trip decimal form of a finite double; integral values have no decimal point.
std::string formatDouble(double number);

}  // namespace json
