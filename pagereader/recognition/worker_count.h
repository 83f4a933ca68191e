#pragma once

namespace pagereader {

/// How many lines to recognise at once: the cores this process may use, at least one.
unsigned workerCount();

}  // namespace pagereader
