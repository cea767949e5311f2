#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lha {

// The CRC-16 that LHA stores for data and headers (polynomial 0x8005,
// reflected, starting from 0), continued from `crc`.
std::uint16_t Crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0);

}  // namespace lha
