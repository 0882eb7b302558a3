// SKELMORA_AUDIO_BRIDGE and the default that follows the HID backend.
#include <gtest/gtest.h>

#include "devices/audio_bridge.h"

namespace {

using audio::BridgeChoice;

TEST(BridgeChoice, VariableAndDefault) {
    struct Case {
        const char* variable;  // nullptr: unset
        const char* backend;
        std::optional<BridgeChoice> expected;
    };
    const Case cases[] = {
        {nullptr, "hidraw", BridgeChoice::Alsa},   {nullptr, "vhid", BridgeChoice::Fake},
        {nullptr, "emulator", BridgeChoice::Fake}, {"", "hidraw", BridgeChoice::Alsa},
        {"fake", "hidraw", BridgeChoice::Fake},    {"alsa", "vhid", BridgeChoice::Alsa},
        {"none", "hidraw", BridgeChoice::None},    {"ALSA", "hidraw", std::nullopt},
        {"pulse", "hidraw", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.variable ? c.variable : "(unset)") + " " + c.backend);
        std::string error;
        EXPECT_EQ(audio::ChooseBridge(c.variable, c.backend, error), c.expected);
        EXPECT_EQ(error.empty(), c.expected.has_value());
    }
    EXPECT_EQ(audio::MakeAudioBridge(BridgeChoice::None, {}), nullptr);
    const auto fake = audio::MakeAudioBridge(BridgeChoice::Fake, {});
    ASSERT_NE(fake, nullptr);
    EXPECT_TRUE(fake->Capabilities().microphone.hasLevel);
}

}  // namespace
