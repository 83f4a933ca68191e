#include "assistant/xml_plist_guard.h"

#include <string_view>
#include <vector>

namespace installwarden {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr auto npos = std::string_view::npos;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

/// Walks the tags of an XML document once, keeping the names of the open elements.
class XmlShape {
 public:
  XmlShape(std::string_view bytes, std::size_t maxDepth, std::uint64_t maxNodes)
      : bytes_(bytes), maxDepth_(maxDepth), maxNodes_(maxNodes) {}

  bool withinBounds() {
    std::size_t at = bytes_.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
    while (at < bytes_.size() && isSpace(bytes_[at])) ++at;
    if (at >= bytes_.size() || bytes_[at] != '<') return false;

    while ((at = bytes_.find('<', at)) != npos) {
      const std::string_view rest = bytes_.substr(at + 1);
      std::size_t end = npos;
      if (rest.starts_with("!--")) {
        end = skipTo(at + 4, "-->", false);
      } else if (rest.starts_with("![CDATA[")) {
        end = skipTo(at + 9, "]]>", false);
      } else if (rest.starts_with("?")) {
        end = skipTo(at + 2, "?>", true);
      } else if (rest.starts_with("!")) {
        end = skipDeclaration(at + 2);
      } else {
        end = tag(at + 1);
      }
      if (end == npos) return false;
      at = end;
    }
    return true;
  }

 private:
  /// The position after the first `terminator` from `from` on (outside double quotes when
  /// `quoted`, as the parser looks for it), counting the tags opened on the way; npos when the
  /// terminator is missing or a bound is passed.
  std::size_t skipTo(std::size_t from, std::string_view terminator, bool quoted) {
    std::size_t at = from;
    while (at < bytes_.size()) {
      if (quoted && bytes_[at] == '"') {
        at = bytes_.find('"', at + 1);
        if (at == npos) return npos;
        ++at;
        continue;
      }
      if (bytes_.substr(at).starts_with(terminator)) {
        return countSkippedOpens(from, at) ? at + terminator.size() : npos;
      }
      ++at;
    }
    return npos;
  }

  /// "<!DOCTYPE ...>" and the like: the position after its '>'. An internal subset ('[') is
  /// refused, as its entities could expand into elements.
  std::size_t skipDeclaration(std::size_t from) {
    const std::size_t end = endOfTag(from);
    if (end == npos) return npos;
    for (std::size_t at = from; at < end; ++at) {
      if (bytes_[at] == '"') {
        at = bytes_.find('"', at + 1);
      } else if (bytes_[at] == '[') {
        return npos;
      }
    }
    return countSkippedOpens(from, end) ? end + 1 : npos;
  }

  /// A start, end or empty-element tag whose name begins at `from`: the position after it.
  std::size_t tag(std::size_t from) {
    if (from >= bytes_.size()) return npos;
    const bool closing = bytes_[from] == '/';
    const std::size_t nameStart = closing ? from + 1 : from;
    std::size_t nameEnd = nameStart;
    while (nameEnd < bytes_.size() && !isSpace(bytes_[nameEnd]) && bytes_[nameEnd] != '/' &&
           bytes_[nameEnd] != '>' && bytes_[nameEnd] != '<') {
      ++nameEnd;
    }
    const std::size_t end = endOfTag(nameEnd);
    if (end == npos || !countSkippedOpens(nameEnd, end)) return npos;
    const std::string_view name = bytes_.substr(nameStart, nameEnd - nameStart);
    if (closing) {
      // A close of another name may be ignored by a lenient parser: it closes nothing here.
      if (!open_.empty() && open_.back() == name) open_.pop_back();
    } else {
      const bool empty = bytes_[end - 1] == '/';
      if (!addNode()) return npos;
      if (!empty) open_.push_back(name);
    }
    return end + 1;
  }

  /// The '>' ending a tag whose attributes start at `from` (quoted text skipped); npos when a
  /// '<' comes first or nothing ends it.
  std::size_t endOfTag(std::size_t from) const {
    for (std::size_t at = from; at < bytes_.size(); ++at) {
      if (bytes_[at] == '"') {
        at = bytes_.find('"', at + 1);
        if (at == npos) return npos;
      } else if (bytes_[at] == '>') {
        return at;
      } else if (bytes_[at] == '<') {
        return npos;
      }
    }
    return npos;
  }

  /// Counts every '<' in skipped text that could open an element for a parser that reads that
  /// text differently; such an element is taken as never closed.
  bool countSkippedOpens(std::size_t from, std::size_t to) {
    const std::string_view skipped = bytes_.substr(from, to - from);
    for (std::size_t at = skipped.find('<'); at != npos; at = skipped.find('<', at + 1)) {
      const char next = at + 1 < skipped.size() ? skipped[at + 1] : '\0';
      if (next == '/' || next == '!' || next == '?') continue;
      if (!addNode()) return false;
      ++neverClosed_;
    }
    return true;
  }

  /// One more element, one level below the open ones.
  bool addNode() {
    ++nodes_;
    return nodes_ <= maxNodes_ && open_.size() + neverClosed_ + 1 <= maxDepth_;
  }

  std::string_view bytes_;
  std::size_t maxDepth_;
  std::uint64_t maxNodes_;
  std::vector<std::string_view> open_;
  std::size_t neverClosed_ = 0;
  std::uint64_t nodes_ = 0;
};

}  // namespace

bool xmlPlistWithinBounds(std::string_view bytes, std::size_t maxDepth, std::uint64_t maxNodes) {
  return XmlShape(bytes, maxDepth, maxNodes).withinBounds();
}

}  // namespace installwarden
