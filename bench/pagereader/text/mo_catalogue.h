#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// One translated message of a compiled gettext catalogue (.mo). Plural messages keep their
/// singular forms only; the header entry (empty id) is left out.
struct CatalogueMessage {
  std::string context;  ///< empty when the message has none
  std::string id;       ///< the untranslated (English) text
  std::string translation;
};

/// The messages of a .mo file of either byte order, in file order; nothing when the bytes are
/// not a well-formed catalogue (bad magic, tables or strings outside the file).
std::optional<std::vector<CatalogueMessage>> parseMoCatalogue(std::string_view bytes);
