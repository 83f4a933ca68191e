#include "recognition/chinese_scripts_opencc.h"

#include <opencc/opencc.h>

namespace pagereader {
namespace {

bool failed(opencc_t converter) { return converter == reinterpret_cast<opencc_t>(-1); }

std::string converted(void* converter, std::string_view text) {
  char* out = opencc_convert_utf8(static_cast<opencc_t>(converter), text.data(), text.size());
  if (out == nullptr) return std::string(text);
  std::string result(out);
  opencc_convert_utf8_free(out);
  return result;
}

}  // namespace

common::Result<std::unique_ptr<OpenCcScripts>> OpenCcScripts::open() {
  opencc_t toSimplified = opencc_open("tw2s.json");
  if (failed(toSimplified)) return common::Failure{"could not open the Chinese script tables"};
  opencc_t toTraditional = opencc_open("s2tw.json");
  if (failed(toTraditional)) {
    opencc_close(toSimplified);
    return common::Failure{"could not open the Chinese script tables"};
  }
  return std::unique_ptr<OpenCcScripts>(new OpenCcScripts(toSimplified, toTraditional));
}

OpenCcScripts::OpenCcScripts(void* toSimplified, void* toTraditional)
    : toSimplified_(toSimplified), toTraditional_(toTraditional) {}

OpenCcScripts::~OpenCcScripts() {
  opencc_close(static_cast<opencc_t>(toSimplified_));
  opencc_close(static_cast<opencc_t>(toTraditional_));
}

std::string OpenCcScripts::toSimplified(std::string_view text) {
  return converted(toSimplified_, text);
}

std::string OpenCcScripts::toTraditional(std::string_view text) {
  return converted(toTraditional_, text);
}

}  // namespace pagereader
