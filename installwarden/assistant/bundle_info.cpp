#include "assistant/bundle_info.h"

#include <plist/plist.h>
#include <cstdint>
#include <limits>
#include <memory>

#include "assistant/binary_plist_guard.h"
#include "assistant/xml_plist_guard.h"
#include "update_state/exchange_file.h"

namespace installwarden {
namespace {

constexpr std::string_view kBinaryPlistMagic = "bplist00";

struct PlistFree {
  void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

}  // namespace

std::optional<std::string> plistDictionaryString(std::string_view bytes, const std::string& key) {
  if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  // Both parsers recurse per level of nesting: bound the shape before either sees the bytes.
  const bool withinBounds = bytes.starts_with(kBinaryPlistMagic) ? binaryPlistWithinBounds(bytes)
                                                                 : xmlPlistWithinBounds(bytes);
  if (!withinBounds) return std::nullopt;
  plist_t parsed = nullptr;
  plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &parsed);
  const PlistPtr root(parsed);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT ||
      plist_dict_get_size(root.get()) == 0) {
    return std::nullopt;
  }
  const plist_t value = plist_dict_get_item(root.get(), key.c_str());
  if (value == nullptr || plist_get_node_type(value) != PLIST_STRING) return std::nullopt;
  std::uint64_t length = 0;
  const char* text = plist_get_string_ptr(value, &length);
  if (text == nullptr) return std::nullopt;
  return std::string(text, static_cast<std::size_t>(length));
}

std::optional<std::string> bundleInfoString(const std::string& bundlePath, const std::string& key) {
  const auto bytes = readExchangeFile(bundlePath, "Contents/Info.plist");
  if (!bytes) return std::nullopt;
  return plistDictionaryString(*bytes, key);
}

std::optional<std::string> installedVersion(const std::string& bundlePath) {
  return bundleInfoString(bundlePath, "CFBundleShortVersionString");
}

}  // namespace installwarden
