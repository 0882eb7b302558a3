#pragma once
// The tool report ("{4695579F-999A-41d4-9FAF-EFFCE93EBF18}"): 1024 bytes that tell a service
// tool which models this program knows. Little-endian 32-bit values: 2, 3, 0, 2; the number
// of model rows; then vendor id, product id and kind of each row; the rest zero. Pure.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "tables/device_tables.h"

inline constexpr std::size_t kToolReportBytes = 1024;

std::array<uint8_t, kToolReportBytes> BuildToolReport(std::span<const ModelRow> models);
// Lower-case hexadecimal, two digits per byte.
std::string LowerHex(std::span<const uint8_t> bytes);
