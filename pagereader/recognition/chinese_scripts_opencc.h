#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "reading/script_choice.h"
#include "result/result.h"

namespace pagereader {

/// Script conversion by OpenCC's character and phrase tables (Simplified to Taiwan's Traditional
/// forms and back).
class OpenCcScripts final : public ChineseScripts {
 public:
  /// The converters, or why OpenCC's tables could not be opened.
  static common::Result<std::unique_ptr<OpenCcScripts>> open();
  ~OpenCcScripts() override;
  OpenCcScripts(const OpenCcScripts&) = delete;
  OpenCcScripts& operator=(const OpenCcScripts&) = delete;

  std::string toSimplified(std::string_view text) override;
  std::string toTraditional(std::string_view text) override;

 private:
  OpenCcScripts(void* toSimplified, void* toTraditional);
  void* toSimplified_;
  void* toTraditional_;
};

}  // namespace pagereader
