#pragma once

#include <string_view>

namespace pagereader {

/// Points standard error at /dev/null for the rest of the process: the libraries underneath
/// print warnings there, and this program must not.
void silenceStandardError();

/// Writes all of `bytes` to standard output, unbuffered; a failed write is not reported.
void writeStandardOutput(std::string_view bytes);

}  // namespace pagereader
