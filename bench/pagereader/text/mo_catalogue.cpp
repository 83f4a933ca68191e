#include "text/mo_catalogue.h"

#include <cstdint>

namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;

class Reader {
 public:
  Reader(std::string_view bytes, bool swapped) : bytes_(bytes), swapped_(swapped) {}

  std::optional<std::uint32_t> word(std::uint64_t offset) const {
    if (offset + 4 > bytes_.size()) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const auto byte = static_cast<std::uint8_t>(bytes_[offset + static_cast<unsigned>(i)]);
      value |= static_cast<std::uint32_t>(byte) << (swapped_ ? 8 * (3 - i) : 8 * i);
    }
    return value;
  }

  // Entry `index` of a (length, offset) table that starts at `table`.
  std::optional<std::string_view> string(std::uint64_t table, std::uint64_t index) const {
    const auto length = word(table + 8 * index);
    const auto offset = word(table + 8 * index + 4);
    if (!length || !offset) return std::nullopt;
    if (std::uint64_t{*offset} + *length > bytes_.size()) return std::nullopt;
    return bytes_.substr(*offset, *length);
  }

 private:
  std::string_view bytes_;
  bool swapped_;
};

std::uint32_t magicOf(std::string_view bytes) { return Reader(bytes, false).word(0).value_or(0); }

}  // namespace

std::optional<std::vector<CatalogueMessage>> parseMoCatalogue(std::string_view bytes) {
  const std::uint32_t magic = magicOf(bytes);
  if (magic != kMagic && magic != kSwappedMagic) return std::nullopt;
  const Reader reader(bytes, magic == kSwappedMagic);
  const auto count = reader.word(8);
  const auto originals = reader.word(12);
  const auto translations = reader.word(16);
  if (!count || !originals || !translations) return std::nullopt;
  // Each entry takes 8 bytes of table, so a count the file cannot hold is a lie.
  if (*count > bytes.size() / 8) return std::nullopt;

  std::vector<CatalogueMessage> messages;
  messages.reserve(*count);
  for (std::uint32_t i = 0; i < *count; ++i) {
    const auto original = reader.string(*originals, i);
    const auto translated = reader.string(*translations, i);
    if (!original || !translated) return std::nullopt;
    std::string_view id = original->substr(0, original->find('\0'));
    if (id.empty()) continue;  // the header
    CatalogueMessage message;
    if (const auto separator = id.find('\x04'); separator != std::string_view::npos) {
      message.context = id.substr(0, separator);
      id.remove_prefix(separator + 1);
    }
    message.id = id;
    message.translation = translated->substr(0, translated->find('\0'));
    messages.push_back(std::move(message));
  }
  return messages;
}
