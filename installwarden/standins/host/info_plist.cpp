#include "info_plist.h"

#include <plist/plist.h>

#include <memory>

#include "standin_files.h"

namespace installwarden::standins {

namespace {

using PlistNode = std::unique_ptr<void, decltype(&plist_free)>;

PlistNode parse(const std::string& bytes) {
  plist_t node = nullptr;
  if (!bytes.empty()) plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &node);
  return PlistNode(node, &plist_free);
}

std::optional<std::string> stringEntry(plist_t dictionary, const char* key) {
  const plist_t item = plist_dict_get_item(dictionary, key);
  if (item == nullptr || plist_get_node_type(item) != PLIST_STRING) return std::nullopt;
  uint64_t length = 0;
  const char* text = plist_get_string_ptr(item, &length);
  if (text == nullptr) return std::nullopt;
  return std::string(text, length);
}

std::optional<std::string> toXml(plist_t node) {
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(node, &xml, &length);
  if (xml == nullptr) return std::nullopt;
  std::string text(xml, length);
  plist_to_xml_free(xml);
  return text;
}

/// An XML property list holding `info` (and a bundle name and identifier, as a real one does).
std::string infoPlistXml(const BundleInfo& info) {
  PlistNode dictionary(plist_new_dict(), &plist_free);
  plist_dict_set_item(dictionary.get(), "CFBundleExecutable",
                      plist_new_string(info.executable.c_str()));
  plist_dict_set_item(dictionary.get(), "CFBundleIdentifier",
                      plist_new_string("com.quorvelin.pro"));
  plist_dict_set_item(dictionary.get(), "CFBundleName", plist_new_string("Quorvelin Pro"));
  plist_dict_set_item(dictionary.get(), "CFBundleShortVersionString",
                      plist_new_string(info.shortVersion.c_str()));
  return toXml(dictionary.get()).value_or("");
}

}  // namespace

std::string infoPlistPath(const std::string& bundle) { return bundle + "/Contents/Info.plist"; }

common::Result<void> writeInfoPlist(const std::string& bundle, const BundleInfo& info) {
  const std::string xml = infoPlistXml(info);
  if (xml.empty()) return common::Failure{"cannot encode the Info.plist"};
  return replaceFile(infoPlistPath(bundle), xml);
}

common::Result<void> writeBundleVersion(const std::string& bundle, const std::string& version) {
  PlistNode dictionary = parse(readFile(infoPlistPath(bundle)).value_or(""));
  if (!dictionary || plist_get_node_type(dictionary.get()) != PLIST_DICT) {
    dictionary = PlistNode(plist_new_dict(), &plist_free);
  }
  plist_dict_set_item(dictionary.get(), "CFBundleShortVersionString",
                      plist_new_string(version.c_str()));
  const auto xml = toXml(dictionary.get());
  if (!xml) return common::Failure{"cannot encode the Info.plist"};
  return replaceFile(infoPlistPath(bundle), *xml);
}

std::optional<BundleInfo> readBundleInfo(const std::string& bundle) {
  const auto bytes = readFile(infoPlistPath(bundle));
  if (!bytes) return std::nullopt;
  const PlistNode dictionary = parse(*bytes);
  if (!dictionary || plist_get_node_type(dictionary.get()) != PLIST_DICT) return std::nullopt;
  auto version = stringEntry(dictionary.get(), "CFBundleShortVersionString");
  auto executable = stringEntry(dictionary.get(), "CFBundleExecutable");
  if (!version || !executable) return std::nullopt;
  return BundleInfo{std::move(*version), std::move(*executable)};
}

}  // namespace installwarden::standins
