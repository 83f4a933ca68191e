#include "update_state/installer_job.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <charconv>
#include <memory>

namespace installwarden {

namespace {

constexpr std::string_view kBundleMarkerSuffix = "/Contents/Frameworks/Squirrel.framework/";

struct CodeDeleter {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};

/// Whole lines of optional white space, "pid = ", digits, optional white space. \s and \d are
/// Unicode-aware and every Unicode line break ends a line, as launchd's own tools read them.
const pcre2_code* pidPattern() {
  static const std::unique_ptr<pcre2_code, CodeDeleter> code = [] {
    static constexpr char kPattern[] = R"(^\s*pid = (\d+)\s*$)";
    std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> context(
        pcre2_compile_context_create(nullptr), &pcre2_compile_context_free);
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANY);
    int error = 0;
    PCRE2_SIZE offset = 0;
    return std::unique_ptr<pcre2_code, CodeDeleter>(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kPattern), PCRE2_ZERO_TERMINATED,
                      PCRE2_UTF | PCRE2_UCP | PCRE2_MULTILINE, &error, &offset, context.get()));
  }();
  return code.get();
}

bool namesBundle(const std::string& description, const std::string& marker) {
  return description.find("program = " + marker) != std::string::npos ||
         description.find("path = " + marker) != std::string::npos;
}

}  // namespace

std::optional<std::int32_t> describedPid(const std::string& description) {
  const pcre2_code* pattern = pidPattern();
  if (pattern == nullptr) return std::nullopt;  // a fixed pattern; cannot happen
  std::unique_ptr<pcre2_match_data, MatchDataDeleter> match(
      pcre2_match_data_create_from_pattern(pattern, nullptr));
  if (!match) return std::nullopt;
  // A negative result is no match or text that is not UTF-8: no pid either way.
  if (pcre2_match(pattern, reinterpret_cast<PCRE2_SPTR>(description.data()), description.size(), 0,
                  0, match.get(), nullptr) < 2) {
    return std::nullopt;
  }
  const PCRE2_SIZE* ranges = pcre2_get_ovector_pointer(match.get());
  const char* begin = description.data() + ranges[2];
  const char* end = description.data() + ranges[3];
  // \d admits every decimal digit; only ASCII ones make a pid (from_chars stops at others).
  std::int32_t pid = 0;
  const auto [stop, error] = std::from_chars(begin, end, pid);
  if (error != std::errc() || stop != end || begin == end || pid < 1) return std::nullopt;
  return pid;
}

std::optional<InstallerJob> installerJob(const UpdateRequest& request, Launchctl& launchctl,
                                         ProcessTable& processes, uid_t uid) {
  const std::string marker = request.appPath + std::string(kBundleMarkerSuffix);
  for (const std::string& domain : {"gui/" + std::to_string(uid), std::string("system")}) {
    InstallerJob job;
    job.target = domain + "/" + request.jobLabel;
    const auto result = launchctl.run({"print", job.target});
    if (result.exitStatus != 0 || !namesBundle(result.output, marker)) continue;
    const auto pid = describedPid(result.output);
    job.running = pid && processes.exists(*pid);
    return job;
  }
  return std::nullopt;
}

}  // namespace installwarden
