#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace installwarden::testing {

/// Hand-assembled binary plists, for object graphs no writer produces: 4-byte offsets and refs.
class BinaryPlist {
 public:
  std::size_t add(std::string object) {
    objects_.push_back(std::move(object));
    return objects_.size() - 1;
  }
  std::size_t string(const std::string& ascii) {
    std::string object;
    if (ascii.size() < 15) {
      object += static_cast<char>(0x50 | ascii.size());
    } else {
      object += "\x5F\x10";  // the length follows as a 1-byte integer object
      object += static_cast<char>(ascii.size());
    }
    return add(object + ascii);
  }
  std::size_t container(unsigned char type, const std::vector<std::size_t>& refs,
                        std::size_t entries) {
    std::string object(1, static_cast<char>((type << 4) | 0xF));
    object += '\x12';  // the count as a 4-byte integer object
    appendBigEndian(object, entries, 4);
    for (const std::size_t ref : refs) appendBigEndian(object, ref, 4);
    return add(object);
  }
  std::size_t array(const std::vector<std::size_t>& refs) {
    return container(0xA, refs, refs.size());
  }
  std::size_t dict(const std::vector<std::size_t>& keys, const std::vector<std::size_t>& values) {
    std::vector<std::size_t> refs = keys;
    refs.insert(refs.end(), values.begin(), values.end());
    return container(0xD, refs, keys.size());
  }
  /// Sets the reference `index` of object `object` (for cycles).
  void patchRef(std::size_t object, std::size_t index, std::size_t ref) {
    std::string patched;
    appendBigEndian(patched, ref, 4);
    objects_[object].replace(6 + index * 4, 4, patched);
  }

  std::string build(std::size_t top) const {
    std::string bytes = "bplist00";
    std::vector<std::size_t> offsets;
    for (const auto& object : objects_) {
      offsets.push_back(bytes.size());
      bytes += object;
    }
    const std::size_t table = bytes.size();
    for (const std::size_t offset : offsets) appendBigEndian(bytes, offset, 4);
    bytes += std::string(6, '\0');
    bytes += '\x04';
    bytes += '\x04';
    appendBigEndian(bytes, objects_.size(), 8);
    appendBigEndian(bytes, top, 8);
    appendBigEndian(bytes, table, 8);
    return bytes;
  }

 private:
  static void appendBigEndian(std::string& out, std::uint64_t value, int width) {
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) {
      out += static_cast<char>((value >> shift) & 0xFF);
    }
  }
  std::vector<std::string> objects_;
};

/// A dictionary whose version entry sits beside an array nested `depth` levels deep.
inline std::string deeplyNested(std::size_t depth) {
  BinaryPlist plist;
  std::size_t inner = plist.array({});
  for (std::size_t i = 1; i < depth; ++i) inner = plist.array({inner});
  const std::size_t versionKey = plist.string("CFBundleShortVersionString");
  const std::size_t deepKey = plist.string("Deep");
  const std::size_t value = plist.string("3.1");
  return plist.build(plist.dict({versionKey, deepKey}, {value, inner}));
}

}  // namespace installwarden::testing
