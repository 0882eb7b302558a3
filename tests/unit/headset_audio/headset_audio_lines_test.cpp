// The headset's audio lines of --read-device and --apply-profile, over the fakes.
#include "main/headset_audio_lines.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>

#include "devices/audio/fake_audio_bridge.h"
#include "devices/audio/host_equalizer.h"
#include "profiles/hs6533_profiledata.h"

namespace {

using audio::AudioControl;

std::string Capture(const std::function<void(std::FILE*)>& print) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    print(out);
    std::fclose(out);
    std::string result(text, size);
    free(text);
    return result;
}

TEST(HeadsetAudioLines, ReadLines) {
    audio::CFakeAudioBridge::Controls controls = audio::CFakeAudioBridge::HeadsetControls();
    controls.present.erase(AudioControl::Monitoring);
    controls.present[AudioControl::Playback].hasSwitch = false;
    audio::CFakeAudioBridge bridge(controls);
    audio::CFakeHostEqualizer eq;
    EXPECT_EQ(Capture([&](std::FILE* out) { PrintHeadsetAudioLines(&bridge, &eq, out); }),
              "audio card Headset\nmic on 80\nmonitor unsupported\nplayback unsupported 70\n"
              "eq off\n");
    eq.SetOn({1, -2, 3, 0, 0, 0, 0, 0, 0, 20});
    eq.available = true;
    const std::string on =
        Capture([&](std::FILE* out) { PrintHeadsetAudioLines(&bridge, &eq, out); });
    EXPECT_NE(on.find("eq on 1,-2,3,0,0,0,0,0,0,20\n"), std::string::npos);
    EXPECT_EQ(Capture([&](std::FILE* out) { PrintHeadsetAudioLines(nullptr, nullptr, out); }),
              "audio card none\nmic unsupported\nmonitor unsupported\nplayback unsupported\n"
              "eq unavailable\n");
}

TEST(HeadsetAudioLines, ApplySteps) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/p.json").toStdString();
    std::ofstream(path) << R"({"Device":[{"SystemSetStages":{"EqType":2,"MicInSelect":0,
        "MicInValue":37,"MicMoniterSelect":1,"MicMoniterValue":150}}]})";
    profiles::CHs6533Profiledata profile;
    profile.SetProfilePath(path);
    profile.Load(path);

    struct Case {
        const char* what;
        bool connected;
        bool failMonitor;
        bool eqAvailable;
        const char* lines;
        bool ok;
    };
    const Case cases[] = {
        {"all done", true, false, true, "step mic 1\nstep monitor 1\nstep eq 1\n", true},
        {"monitor busy", true, true, true, "step mic 1\nstep monitor -1\nstep eq 1\n", false},
        {"no sound server", true, false, false, "step mic 1\nstep monitor 1\nstep eq 0\n", true},
        {"card gone", false, false, true, "step mic -2\nstep monitor -2\nstep eq 1\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        audio::CFakeAudioBridge bridge;
        bridge.SetConnected(c.connected);
        bridge.SetFailing(AudioControl::Monitoring, c.failMonitor);
        audio::CFakeHostEqualizer eq;
        eq.available = c.eqAvailable;
        bool ok = false;
        EXPECT_EQ(Capture([&](std::FILE* out) {
                      ok = ApplyHeadsetAudioSteps(profile, &bridge, &eq, out);
                  }),
                  c.lines);
        EXPECT_EQ(ok, c.ok);
        if (c.connected) {
            EXPECT_EQ(bridge.Find(AudioControl::Microphone)->level, 37);
            EXPECT_FALSE(bridge.Find(AudioControl::Microphone)->on);
        }
        if (c.eqAvailable) {
            EXPECT_EQ(eq.gains, (audio::EqGains{7, 11, 6, -3, -11, -1, 6, 13, 6, 13}));
        }
    }
}

}  // namespace
