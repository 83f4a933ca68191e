#include "core/args.h"

#include <locale.h>
#include <algorithm>
#include <cstdlib>

#include "core/text_trim.h"

namespace pagereader {
namespace {

// One C locale for the process: strtod_l then reads the same whatever LC_NUMERIC says.
locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::optional<std::string> parseArg(std::string_view flag, const std::vector<std::string>& from) {
  const auto found = std::find(from.begin(), from.end(), flag);
  if (found == from.end() || std::next(found) == from.end()) return std::nullopt;
  std::string value = trimWhitespaceAndNewlines(*std::next(found));
  if (value.empty()) return std::nullopt;
  return value;
}

std::optional<double> parseCDouble(std::string_view text) {
  if (text.empty() || isCSpace(text.front())) return std::nullopt;
  const std::string terminated(text);  // an inner NUL stops strtod early and so fails below
  const locale_t locale = cLocale();
  if (locale == static_cast<locale_t>(nullptr)) return std::nullopt;
  char* end = nullptr;
  const double value = strtod_l(terminated.c_str(), &end, locale);
  if (end != terminated.c_str() + terminated.size()) return std::nullopt;
  return value;
}

common::Result<Invocation> readCommandLine(const std::vector<std::string>& arguments) {
  std::optional<std::string> image = parseArg("--image", arguments);
  if (!image) return common::Failure{std::string(kMissingImageMessage)};

  double scale = 1.0;
  if (const std::optional<std::string> scaleText = parseArg("--scale", arguments)) {
    if (const std::optional<double> number = parseCDouble(*scaleText)) {
      if (!(*number > 0)) return common::Failure{std::string(kInvalidScaleMessage)};
      scale = *number;
    }
  }
  return Invocation{std::move(*image), scale};
}

}  // namespace pagereader
