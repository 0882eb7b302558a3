#include "hid/command_report.h"

#include <gtest/gtest.h>

using namespace hid;

TEST(CommandReport, BeginSettingsChecksumIsOne) {
    Report report;
    BeginRequest(report, kCmdBeginSettings);
    FillChunk(report, 0, 0, {});
    EXPECT_EQ(report[0], 4);
    EXPECT_EQ(report[1], 0x01);
    EXPECT_EQ(report[2], 0x00);
}

TEST(CommandReport, ChecksumCarriesIntoHighByteAndCountsStaleData) {
    Report report;
    BeginRequest(report, kCmdWriteMacroData);
    std::vector<uint8_t> full(56, 0xFF);
    FillChunk(report, 56, 0, full);
    const uint8_t tail[2] = {1, 2};
    FillChunk(report, 2, 56, tail);
    // Bytes 10..63 still hold the previous chunk's 0xFF: they are sent and summed.
    const uint32_t expected = 0x15 + 2 + 56 + 1 + 2 + 54 * 0xFF;
    EXPECT_EQ(ChecksumOf(report), expected);
    EXPECT_EQ(report[1], expected & 0xFF);
    EXPECT_EQ(report[2], (expected >> 8) & 0xFF);
}

struct ChunkCase {
    size_t total;
    uint8_t chunkSize;
    size_t reports;
    uint8_t lastLength;
    uint32_t lastPosition;
};

class ChunkPlan : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(ChunkPlan, CountsAndOffsets) {
    const ChunkCase c = GetParam();
    const auto chunks = PlanChunks(c.total, c.chunkSize);
    ASSERT_EQ(chunks.size(), c.reports);
    if (chunks.empty()) return;
    for (size_t i = 0; i + 1 < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].position, i * c.chunkSize);
        EXPECT_EQ(chunks[i].length, c.chunkSize);
    }
    EXPECT_EQ(chunks.back().length, c.lastLength);
    EXPECT_EQ(chunks.back().position, c.lastPosition);
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, ChunkPlan,
    ::testing::Values(ChunkCase{512, 56, 10, 8, 504},  // key table, wired
                      ChunkCase{512, 24, 22, 8, 504},  // key table, wireless
                      ChunkCase{34, 56, 1, 34, 0},     // device information, wired
                      ChunkCase{34, 24, 2, 10, 24},    // device information, wireless
                      ChunkCase{170, 56, 4, 2, 168},   // second table of a 512-byte table
                      ChunkCase{56, 56, 1, 56, 0},     // exactly one full report
                      ChunkCase{0, 56, 0, 0, 0}));     // nothing to send

TEST(CommandReport, TraceIsTwoLinesOf32GroupedInFours) {
    Report report{};
    for (size_t i = 0; i < report.size(); ++i) report[i] = static_cast<uint8_t>(i);
    const std::string trace = FormatReportTrace(report);
    EXPECT_EQ(trace.substr(0, 25), "00 01 02 03   04 05 06 07");
    EXPECT_NE(trace.find("0c 0d 0e 0f  10 11"), std::string::npos);
    EXPECT_NE(trace.find("\n20 21 22 23   24"), std::string::npos);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 2);
}
