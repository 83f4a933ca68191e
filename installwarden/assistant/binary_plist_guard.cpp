#include "assistant/binary_plist_guard.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace installwarden {
namespace {

constexpr std::size_t kHeaderBytes = 8;  // "bplist00"
constexpr std::size_t kTrailerBytes = 32;

std::uint64_t readBigEndian(std::string_view bytes, std::size_t at, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

/// The object table of a binary plist, checked against the file's bounds.
class ObjectGraph {
 public:
  static std::optional<ObjectGraph> load(std::string_view bytes) {
    if (bytes.size() < kHeaderBytes + kTrailerBytes) return std::nullopt;
    const std::size_t trailer = bytes.size() - kTrailerBytes;
    ObjectGraph graph(bytes);
    const std::size_t offsetSize = static_cast<unsigned char>(bytes[trailer + 6]);
    graph.refSize_ = static_cast<unsigned char>(bytes[trailer + 7]);
    const std::uint64_t count = readBigEndian(bytes, trailer + 8, 8);
    graph.top_ = readBigEndian(bytes, trailer + 16, 8);
    const std::uint64_t table = readBigEndian(bytes, trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || graph.refSize_ < 1 || graph.refSize_ > 8) {
      return std::nullopt;
    }
    if (count == 0 || graph.top_ >= count || table < kHeaderBytes || table >= trailer ||
        count > (trailer - table) / offsetSize) {
      return std::nullopt;
    }
    graph.objectsEnd_ = static_cast<std::size_t>(table);
    graph.offsets_.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint64_t offset =
          readBigEndian(bytes, static_cast<std::size_t>(table + i * offsetSize), offsetSize);
      if (offset < kHeaderBytes || offset >= table) return std::nullopt;
      graph.offsets_.push_back(static_cast<std::size_t>(offset));
    }
    return graph;
  }

  std::size_t size() const { return offsets_.size(); }
  std::size_t top() const { return static_cast<std::size_t>(top_); }

  /// The objects a container refers to (keys included); empty for any other object. Nothing
  /// when the container's encoding runs past the object area or names a missing object.
  std::optional<std::vector<std::size_t>> references(std::size_t object) const {
    std::size_t at = offsets_[object];
    const unsigned marker = static_cast<unsigned char>(bytes_[at]);
    const unsigned type = marker >> 4;
    const bool isDictionary = type == 0xD;
    if (type != 0xA && type != 0xC && !isDictionary) return std::vector<std::size_t>{};
    std::uint64_t count = marker & 0xF;
    ++at;
    if (count == 0xF) {  // the count follows as an integer object
      if (at >= objectsEnd_) return std::nullopt;
      const unsigned intMarker = static_cast<unsigned char>(bytes_[at]);
      const std::size_t width = std::size_t{1} << (intMarker & 0xF);
      if ((intMarker >> 4) != 0x1 || width > 8 || objectsEnd_ - at - 1 < width) {
        return std::nullopt;
      }
      count = readBigEndian(bytes_, at + 1, width);
      at += 1 + width;
    }
    const std::uint64_t perEntry = isDictionary ? 2 : 1;
    if (count > (objectsEnd_ - at) / refSize_ / perEntry) return std::nullopt;
    std::vector<std::size_t> refs;
    refs.reserve(static_cast<std::size_t>(count * perEntry));
    for (std::uint64_t i = 0; i < count * perEntry; ++i) {
      const std::uint64_t ref = readBigEndian(bytes_, at + i * refSize_, refSize_);
      if (ref >= offsets_.size()) return std::nullopt;
      refs.push_back(static_cast<std::size_t>(ref));
    }
    return refs;
  }

 private:
  explicit ObjectGraph(std::string_view bytes) : bytes_(bytes) {}

  std::string_view bytes_;
  std::size_t refSize_ = 0;
  std::uint64_t top_ = 0;
  std::size_t objectsEnd_ = 0;
  std::vector<std::size_t> offsets_;
};

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

}  // namespace

bool binaryPlistWithinBounds(std::string_view bytes, std::size_t maxDepth, std::uint64_t maxNodes) {
  const auto graph = ObjectGraph::load(bytes);
  if (!graph) return false;

  // Depth-first walk without recursion; each object is measured once and its height (longest
  // chain below it, itself included) and expanded node count are reused at every other use.
  enum class Mark : unsigned char { unseen, open, measured };
  std::vector<Mark> marks(graph->size(), Mark::unseen);
  std::vector<std::size_t> heights(graph->size(), 0);
  std::vector<std::uint64_t> nodes(graph->size(), 0);
  struct Frame {
    std::size_t object;
    std::vector<std::size_t> refs;
    std::size_t next = 0;
  };
  std::vector<Frame> path;

  const auto enter = [&](std::size_t object) {
    auto refs = graph->references(object);
    if (!refs || path.size() >= maxDepth) return false;
    marks[object] = Mark::open;
    path.push_back(Frame{object, std::move(*refs)});
    return true;
  };
  if (!enter(graph->top())) return false;
  while (!path.empty()) {
    Frame& frame = path.back();
    if (frame.next < frame.refs.size()) {
      const std::size_t child = frame.refs[frame.next++];
      if (marks[child] == Mark::open) return false;  // a cycle
      if (marks[child] == Mark::unseen && !enter(child)) return false;
      continue;
    }
    std::size_t height = 0;
    std::uint64_t count = 1;
    for (const std::size_t child : frame.refs) {
      height = std::max(height, heights[child]);
      count = saturatingAdd(count, nodes[child]);
    }
    heights[frame.object] = height + 1;
    nodes[frame.object] = count;
    marks[frame.object] = Mark::measured;
    if (heights[frame.object] > maxDepth || count > maxNodes) return false;
    path.pop_back();
  }
  return true;
}

}  // namespace installwarden
