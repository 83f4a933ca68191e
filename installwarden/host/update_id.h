#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace installwarden::host {

/// `bytes` as the text of a version-4 UUID: the version and variant bits set over them, in
/// lower-case "8-4-4-4-12" hexadecimal.
std::string formatUpdateId(std::array<std::uint8_t, 16> bytes);

}  // namespace installwarden::host
