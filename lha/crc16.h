// CRC-16 as LHA uses it (polynomial 0x8005, bit-reversed, initial value 0)
// for member data and level-2/3 header checks.
#pragma once

#include <cstddef>
#include <cstdint>

uint16_t UpdateCrc16(uint16_t crc, const uint8_t* data, size_t size);
