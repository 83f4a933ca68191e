#pragma once

namespace pagereader {

/// Makes every OpenMP parallel region of the engine run on the calling thread alone: on pages
/// of screenshot size the engine's worker threads cost more than they save. The runtime reads
/// OMP_THREAD_LIMIT only while it loads, before main, so this goes through its API instead.
void keepOpenMpOnOneThread();

}  // namespace pagereader
