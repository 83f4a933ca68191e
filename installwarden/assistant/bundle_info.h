#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace installwarden {

/// The text stored under `key` in the property list `bytes` (XML or binary), or nothing when
/// the bytes are not a plist, its root is not a non-empty dictionary, the key is missing or
/// its value is not text. A plist outside binaryPlistWithinBounds or xmlPlistWithinBounds
/// counts as no plist.
std::optional<std::string> plistDictionaryString(std::string_view bytes, const std::string& key);

/// The text under `key` in "<bundlePath>/Contents/Info.plist", read whole (size-capped); nothing
/// on any failure, as plistDictionaryString.
std::optional<std::string> bundleInfoString(const std::string& bundlePath, const std::string& key);

/// The bundle's "CFBundleShortVersionString", unchanged, or nothing.
std::optional<std::string> installedVersion(const std::string& bundlePath);

}  // namespace installwarden
