// What the emulated firmware refuses and counts: macro capacity from the device information,
// factory and active key tables, refused requests that store nothing, the request counters.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "emulator/device_catalog.h"
#include "emulator/emulated_device.h"

using namespace hid;
using emu::AreaId;
using emu::FaultKind;

namespace {

using Bytes = std::vector<uint8_t>;

class FirmwareRules : public ::testing::Test {
  protected:
    void SetUp() override {
        device_ = emu::MakeEmulatedDevice("keyboard");
        ASSERT_TRUE(device_);
        firmware_ = &device_->Firmware();
    }

    // Sends one request as a host would and returns the reply's status byte (or -1 without
    // a reply).
    int Send(uint8_t command, uint16_t offset, const Bytes& data, uint8_t length = 0xFF) {
        Report request;
        BeginRequest(request, command);
        FillChunk(request, length == 0xFF ? static_cast<uint8_t>(data.size()) : length, offset,
                  data);
        last_ = firmware_->HandleRequest(request);
        return last_.empty() ? -1 : last_.back()[kByteStatus];
    }

    std::unique_ptr<emu::EmulatedDevice> device_;
    emu::CommandFirmware* firmware_ = nullptr;
    std::vector<Report> last_;
};

TEST_F(FirmwareRules, MacroWritesEndAt128TimesInfoByte6) {
    const Bytes chunk(56, 0x11);
    const struct {
        const char* name;
        uint8_t units;
        uint16_t offset;
        uint8_t length;
        int status;
    } cases[] = {
        {"last 56 bytes of 512", 4, 456, 56, 0x00},
        {"one byte past 512", 4, 457, 56, 0xFF},
        {"at 512", 4, 512, 1, 0xFF},
        {"shrunk to 256: last byte", 2, 255, 1, 0x00},
        {"shrunk to 256: past it", 2, 256, 1, 0xFF},
        {"no macro memory", 0, 0, 1, 0xFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        ASSERT_TRUE(firmware_->Set(AreaId::Info, 6, Bytes{c.units}, error)) << error;
        EXPECT_EQ(Send(kCmdWriteMacroData, c.offset, chunk, c.length), c.status);
        EXPECT_EQ(firmware_->Dump(AreaId::Macro)->size(), c.units * 128u);
    }
}

TEST_F(FirmwareRules, ReadsComeFromTheFactoryTableUnlessReadActiveIsSet) {
    const Bytes factoryStart{0x20, 0x00, 0x29, 0x20, 0x00, 0x35};  // Escape, grave
    const Bytes written{0x30, 0xE9, 0x00, 0x70, 0x00, 0x00};       // volume up, macro 0
    ASSERT_EQ(Send(kCmdBeginSettings, 0, {}), 0);
    ASSERT_EQ(Send(kCmdWriteKeyTable, 0, written), 0);
    ASSERT_EQ(Send(kCmdEndSettings, 0, {}), 0);

    ASSERT_EQ(Send(kCmdReadKeyTable, 0, {}, 6), 0);
    EXPECT_EQ(Bytes(last_.back().begin() + 8, last_.back().begin() + 14), factoryStart);
    const Bytes active = *firmware_->Dump(AreaId::KeyTable);
    const Bytes factory = *firmware_->Dump(AreaId::Factory);
    EXPECT_EQ(Bytes(active.begin(), active.begin() + 6), written);
    EXPECT_EQ(Bytes(factory.begin(), factory.begin() + 6), factoryStart);

    firmware_->SetReadActiveKeyTable(true);
    ASSERT_EQ(Send(kCmdReadKeyTable, 0, {}, 6), 0);
    EXPECT_EQ(Bytes(last_.back().begin() + 8, last_.back().begin() + 14), written);
}

TEST_F(FirmwareRules, AMouseHasOneKeyTable) {
    auto mouse = emu::MakeEmulatedDevice("mouse");
    EXPECT_FALSE(mouse->Firmware().Dump(AreaId::Factory).has_value());
}

TEST_F(FirmwareRules, ARefusedChunkIsNotStored) {
    const Bytes before = *firmware_->Dump(AreaId::KeyTable);
    firmware_->AddFault({kCmdWriteKeyTable, 1, FaultKind::StatusFE, 1});
    EXPECT_EQ(Send(kCmdWriteKeyTable, 0, Bytes(56, 0x01)), 0x00);
    EXPECT_EQ(Send(kCmdWriteKeyTable, 56, Bytes(56, 0x02)), 0xFE);
    const Bytes after = *firmware_->Dump(AreaId::KeyTable);
    EXPECT_EQ(Bytes(after.begin(), after.begin() + 56), Bytes(56, 0x01));
    EXPECT_EQ(Bytes(after.begin() + 56, after.begin() + 112),
              Bytes(before.begin() + 56, before.begin() + 112));
}

TEST_F(FirmwareRules, CountersTellBadAndUnframedRequests) {
    const Bytes record(26, 0x01);
    const struct {
        const char* name;
        std::function<void()> send;
        uint64_t bad, unframed;
    } cases[] = {
        {"framed parameter write",
         [&] {
             Send(kCmdBeginSettings, 0, {});
             Send(kCmdWriteParameters, 0, record);
             Send(kCmdEndSettings, 0, {});
         },
         0, 0},
        {"unframed parameter write", [&] { Send(kCmdWriteParameters, 0, record); }, 0, 1},
        {"unframed key table and macro writes",
         [&] {
             Send(kCmdWriteKeyTable, 0, Bytes(3, 0x20));
             Send(kCmdWriteMacroData, 0, Bytes(16, 0));
         },
         0, 2},
        {"mask and light frame are unframed by design",
         [&] {
             Send(kCmdWriteIndexedBlock, 0, Bytes(21, 0x3F));
             Send(kCmdStreamLightFrame, 0, Bytes(56, 0x10));
             Send(kCmdNotifyLightControl, 0, {});
         },
         0, 0},
        {"reads outside a sequence", [&] { Send(kCmdReadParameters, 0, {}, 1); }, 0, 0},
        {"parameter read past the area", [&] { Send(kCmdReadParameters, 250, {}, 26); }, 1, 0},
        {"mask write past its 21 bytes", [&] { Send(kCmdWriteIndexedBlock, 3, Bytes(21, 1)); }, 1,
         0},
        {"length above 56", [&] { Send(kCmdReadStatus, 0, {}, 57); }, 1, 0},
        {"unknown command", [&] { Send(0x40, 0, {}); }, 1, 0},
        {"bad checksum",
         [&] {
             Report request;
             BeginRequest(request, kCmdBeginSettings);
             FillChunk(request, 0, 0, {});
             request[kByteChecksumLow] ^= 0x01;
             firmware_->HandleRequest(request);
         },
         1, 0},
        {"injected fault is not bad",
         [&] {
             firmware_->AddFault({kCmdReadStatus, 0, FaultKind::StatusFF, 1});
             Send(kCmdReadStatus, 0, {}, 6);
         },
         0, 0},
        {"end without begin opens nothing",
         [&] {
             Send(kCmdEndSettings, 0, {});
             Send(kCmdBeginSettings, 0, {});
             Send(kCmdEndSettings, 0, {});
             Send(kCmdWriteParameters, 0, record);
         },
         0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const emu::RequestCounters before = firmware_->Counters();
        c.send();
        const emu::RequestCounters after = firmware_->Counters();
        EXPECT_EQ(after.bad - before.bad, c.bad);
        EXPECT_EQ(after.unframed - before.unframed, c.unframed);
        EXPECT_EQ(after.reports, firmware_->RequestLog().size());
    }
}

TEST_F(FirmwareRules, TheLastLightFrameIsKept) {
    Send(kCmdStreamLightFrame, 0, Bytes(56, 0x10));
    Send(kCmdStreamLightFrame, 56, Bytes(10, 0x20));
    Bytes expected(56, 0x10);
    expected.insert(expected.end(), 10, 0x20);
    EXPECT_EQ(*firmware_->Dump(AreaId::Frame), expected);
    Send(kCmdStreamLightFrame, 0, Bytes(30, 0x30));
    EXPECT_EQ(*firmware_->Dump(AreaId::Frame), Bytes(30, 0x30));
    EXPECT_EQ(Send(kCmdStreamLightFrame, 500, Bytes(11, 0)), 0xFF);  // 510 bytes at most
}

TEST_F(FirmwareRules, SetRefusesBytesPastTheEnd) {
    std::string error;
    EXPECT_TRUE(firmware_->Set(AreaId::Status, 4, Bytes{7, 8}, error));
    EXPECT_FALSE(firmware_->Set(AreaId::Status, 5, Bytes{7, 8}, error));
    EXPECT_EQ(error, "status holds 6 bytes");
    EXPECT_FALSE(firmware_->Set(AreaId::Status, 7, Bytes{}, error));
    EXPECT_EQ(*firmware_->Dump(AreaId::Status), (Bytes{0x64, 0x01, 0x00, 0x00, 7, 8}));
}

}  // namespace
