// Feeds arbitrary bytes to the readers of request.json, command.json, status.json and
// launched.json: they must answer or refuse, never crash, hang or leak.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "update_state/exchange_records.h"
#include "update_state/update_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)installwarden::parseValidRequest(bytes);
  (void)installwarden::parseCommand(bytes);
  (void)installwarden::parseReceipt(bytes);
  // What the reader accepts, the writer must write back to the same record.
  if (const auto status = installwarden::parseStatus(bytes)) {
    const auto again = installwarden::parseStatus(installwarden::encodeStatus(*status));
    if (!again || again->id != status->id || again->phase != status->phase ||
        again->birth != status->birth || again->retries != status->retries) {
      __builtin_trap();
    }
  }
  return 0;
}
