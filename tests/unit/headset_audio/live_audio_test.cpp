// The real bridge and equaliser on this machine: they run where a headset card or a
// PipeWire daemon exists, and skip with a message elsewhere.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

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

TEST(LiveAlsa, CardGoneBeforeOpening) {
    App();
    // The folder still lists the headset's card, but no such card can be opened.
    QTemporaryDir dir;
    const std::string card = (dir.path() + "/card9").toStdString();
    std::filesystem::create_directories(card);
    std::ofstream(card + "/usbid") << "0c76:1630\n";
    std::ofstream(card + "/usbbus") << "001/004\n";
    std::ofstream(card + "/id") << "SkelmoraGone\n";
    audio::CAlsaAudioBridge bridge({1, 4}, dir.path().toStdString(), QString());
    EXPECT_FALSE(bridge.IsOpen());
    EXPECT_EQ(bridge.GetLevel(audio::AudioControl::Microphone).result.status,
              audio::AudioStatus::NotConnected);
    EXPECT_EQ(bridge.CardId(), "");
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

// Runs with a sound server that has a sink whose "alsa.card" is SKELMORA_TEST_EQ_CARD and
// that is the configured default (a private daemon, see docs/headset-audio.md).
TEST(LivePipeWire, EqualizerTakesOverTheDefaultAndGivesItBack) {
    const QByteArray card = qgetenv("SKELMORA_TEST_EQ_CARD");
    if (card.isEmpty()) GTEST_SKIP() << "set SKELMORA_TEST_EQ_CARD to a sink's alsa.card";
    std::string sinkBefore;
    {
        audio::CPipeWireEqualizer eq;
        std::string reason;
        if (!eq.Available(&reason)) GTEST_SKIP() << "PipeWire: " << reason;
        eq.SetHeadsetCard(card.toInt());
        sinkBefore = eq.ConfiguredDefaultSink();
        ASSERT_FALSE(sinkBefore.empty()) << "the headset's sink must be the default";
        const auto on = eq.SetOn({7, 11, 2, -3, -1, 4, 9, 12, 9, 5});
        ASSERT_TRUE(on.Ok()) << on.reason;
        EXPECT_TRUE(eq.IsRunning());
        EXPECT_TRUE(eq.FilterVisible());
        EXPECT_EQ(eq.ConfiguredDefaultSink(), audio::kEqualizerSinkName);
        EXPECT_TRUE(eq.SetBand(3, 6).Ok());
        EXPECT_TRUE(eq.IsRunning()) << "a band change keeps the filter";
        ASSERT_TRUE(eq.SetOff().Ok());
        EXPECT_FALSE(eq.IsRunning());
        EXPECT_FALSE(eq.FilterVisible());
        EXPECT_EQ(eq.ConfiguredDefaultSink(), sinkBefore);
        ASSERT_TRUE(eq.SetOn({1, 1, 1, 1, 1, 1, 1, 1, 1, 1}).Ok());
    }
    // The program ended with the equaliser on: the default is back.
    audio::CPipeWireEqualizer after;
    after.SetHeadsetCard(card.toInt());
    EXPECT_EQ(after.ConfiguredDefaultSink(), sinkBefore);
    EXPECT_FALSE(after.IsRunning());
}

}  // namespace
