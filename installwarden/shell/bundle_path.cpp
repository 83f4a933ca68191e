#include "shell/bundle_path.h"

#include <vector>

namespace installwarden {
namespace {

struct Segments {
  bool absolute = false;
  std::vector<std::string_view> names;
};

Segments normalSegments(std::string_view path) {
  Segments result;
  result.absolute = !path.empty() && path.front() == '/';
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view name = path.substr(start, end - start);
    start = end + 1;
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!result.names.empty() && result.names.back() != "..") {
        result.names.pop_back();
      } else if (!result.absolute) {
        result.names.push_back(name);  // a relative path keeps leading ".."
      }
      continue;
    }
    result.names.push_back(name);
  }
  return result;
}

std::string join(const Segments& segments, std::size_t count) {
  std::string path = segments.absolute ? "/" : "";
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) path += '/';
    path += segments.names[i];
  }
  return path;
}

}  // namespace

std::optional<std::string> bundlePathOfExecutable(std::string_view executablePath) {
  const Segments segments = normalSegments(executablePath);
  // Ancestors only: the last segment is the executable itself.
  for (std::size_t count = segments.names.size(); count > 1; --count) {
    const std::string_view directory = segments.names[count - 2];
    if (directory != ".." && directory.ends_with(".app")) return join(segments, count - 1);
  }
  return std::nullopt;
}

}  // namespace installwarden
