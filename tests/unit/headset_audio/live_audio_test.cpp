// The real bridge and equaliser on this machine: they run where a headset card or a
// PipeWire daemon exists, and skip with a message elsewhere.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "devices/audio/alsa_audio_bridge.h"
#include "devices/audio/card_finder.h"
#include "devices/audio/pipewire_equalizer.h"

namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "live_audio_test";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

TEST(LiveAlsa, HeadsetCardControls) {
    App();
    if (!audio::FindHeadsetCard(audio::kProcAsound, audio::kHeadsetUsbId, {}).card)
        GTEST_SKIP() << "no headset sound card (usbid 0c76:1630) on this machine";
    audio::CAlsaAudioBridge bridge({});
    ASSERT_TRUE(bridge.IsOpen());
    const auto before = bridge.GetLevel(audio::AudioControl::Microphone);
    if (!before.Ok()) GTEST_SKIP() << "the card has no microphone level: " << before.result.reason;
    ASSERT_TRUE(bridge.SetLevel(audio::AudioControl::Microphone, 37).Ok());
    const auto read = bridge.GetLevel(audio::AudioControl::Microphone);
    ASSERT_TRUE(read.Ok());
    EXPECT_NEAR(read.value, 37, 2);
    bridge.SetLevel(audio::AudioControl::Microphone, before.value);
}

TEST(LiveAlsa, NoCardMeansNotConnected) {
    App();
    audio::CAlsaAudioBridge bridge({}, "/nonexistent-asound", QString());
    EXPECT_FALSE(bridge.IsOpen());
    EXPECT_EQ(bridge.SetLevel(audio::AudioControl::Microphone, 10).status,
              audio::AudioStatus::NotConnected);
    EXPECT_EQ(bridge.GetOn(audio::AudioControl::Monitoring).result.status,
              audio::AudioStatus::NotConnected);
    EXPECT_FALSE(bridge.Capabilities().connected);
    EXPECT_EQ(bridge.CardNumber(), -1);
}

TEST(LivePipeWire, EqualizerWithoutHeadsetSinkLoadsNothing) {
    audio::CPipeWireEqualizer eq;
    std::string reason;
    if (!eq.Available(&reason)) GTEST_SKIP() << "PipeWire: " << reason;
    eq.SetHeadsetCard(-1);
    const auto result = eq.SetOn({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(result.status, audio::AudioStatus::NotConnected);
    EXPECT_FALSE(eq.IsRunning());
    EXPECT_TRUE(eq.IsOn());
    EXPECT_TRUE(eq.SetOff().Ok());
    EXPECT_FALSE(eq.IsOn());
}

}  // namespace
