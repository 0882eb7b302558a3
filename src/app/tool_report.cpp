#include "app/tool_report.h"

namespace {
void PutWord(std::array<uint8_t, kToolReportBytes>& block, std::size_t& at, uint32_t value) {
    if (at + 4 > block.size()) return;  // rows that do not fit are left out
    for (int i = 0; i < 4; ++i) block[at++] = static_cast<uint8_t>(value >> (8 * i));
}
}  // namespace

std::array<uint8_t, kToolReportBytes> BuildToolReport(std::span<const ModelRow> models) {
    std::array<uint8_t, kToolReportBytes> block{};
    std::size_t at = 0;
    for (uint32_t word : {2u, 3u, 0u, 2u}) PutWord(block, at, word);
    PutWord(block, at, static_cast<uint32_t>(models.size()));
    for (const ModelRow& row : models) {
        PutWord(block, at, row.vendorId);
        PutWord(block, at, row.productId);
        PutWord(block, at, row.kind);
    }
    return block;
}

std::string LowerHex(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}
