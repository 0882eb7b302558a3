// The equaliser's filter-chain arguments, compared with text written out by hand.
#include "devices/audio/eq_graph.h"

#include <gtest/gtest.h>

namespace {

TEST(EqualizerGraph, PresetOneBeforeTheHeadsetSink) {
    const audio::EqGains gains = {7, 11, 2, -3, -1, 4, 9, 12, 9, 5};
    const std::string expected = R"({
  node.description = "Skelmora headset equaliser"
  media.name = "Skelmora headset equaliser"
  filter.graph = {
    nodes = [
      { type = builtin name = pregain label = bq_highshelf control = { "Freq" = 0 "Q" = 1.0 "Gain" = -12 } }
      { type = builtin name = band1 label = bq_peaking control = { "Freq" = 31 "Q" = 1.41 "Gain" = 7 } }
      { type = builtin name = band2 label = bq_peaking control = { "Freq" = 62 "Q" = 1.41 "Gain" = 11 } }
      { type = builtin name = band3 label = bq_peaking control = { "Freq" = 125 "Q" = 1.41 "Gain" = 2 } }
      { type = builtin name = band4 label = bq_peaking control = { "Freq" = 250 "Q" = 1.41 "Gain" = -3 } }
      { type = builtin name = band5 label = bq_peaking control = { "Freq" = 500 "Q" = 1.41 "Gain" = -1 } }
      { type = builtin name = band6 label = bq_peaking control = { "Freq" = 1000 "Q" = 1.41 "Gain" = 4 } }
      { type = builtin name = band7 label = bq_peaking control = { "Freq" = 2000 "Q" = 1.41 "Gain" = 9 } }
      { type = builtin name = band8 label = bq_peaking control = { "Freq" = 4000 "Q" = 1.41 "Gain" = 12 } }
      { type = builtin name = band9 label = bq_peaking control = { "Freq" = 8000 "Q" = 1.41 "Gain" = 9 } }
      { type = builtin name = band10 label = bq_peaking control = { "Freq" = 16000 "Q" = 1.41 "Gain" = 5 } }
    ]
    links = [
      { output = "pregain:Out" input = "band1:In" }
      { output = "band1:Out" input = "band2:In" }
      { output = "band2:Out" input = "band3:In" }
      { output = "band3:Out" input = "band4:In" }
      { output = "band4:Out" input = "band5:In" }
      { output = "band5:Out" input = "band6:In" }
      { output = "band6:Out" input = "band7:In" }
      { output = "band7:Out" input = "band8:In" }
      { output = "band8:Out" input = "band9:In" }
      { output = "band9:Out" input = "band10:In" }
    ]
  }
  audio.channels = 2
  audio.position = [ FL FR ]
  capture.props = {
    node.name = "skelmora_headset_equaliser"
    media.class = Audio/Sink
  }
  playback.props = {
    node.name = "skelmora_headset_equaliser.output"
    node.passive = true
    target.object = "alsa_output.usb-Headset-00.analog-stereo"
    node.dont-reconnect = true
  }
}
)";
    EXPECT_EQ(audio::BuildEqualizerGraph(gains, "alsa_output.usb-Headset-00.analog-stereo"),
              expected);
}

TEST(EqualizerGraph, PreGainAndClamping) {
    struct Case {
        audio::EqGains gains;
        int preGain;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {{-3, -5, -1, -20, 0, 0, 0, 0, 0, 0}, 0},  // cuts only: no pre-gain
        {{18, 14, 8, 2, -3, -6, -1, 2, 5, 6}, -18},
        {{99, 0, 0, 0, 0, 0, 0, 0, 0, 0}, -20},  // beyond the sliders: clamped
    };
    for (const Case& c : cases) EXPECT_EQ(audio::EqPreGain(c.gains), c.preGain);
    const std::string text = audio::BuildEqualizerGraph({99, -99, 0, 0, 0, 0, 0, 0, 0, 0}, "x");
    EXPECT_NE(text.find("name = band1 label = bq_peaking control = { \"Freq\" = 31 \"Q\" = 1.41 "
                        "\"Gain\" = 20 }"),
              std::string::npos);
    EXPECT_NE(text.find("\"Freq\" = 62 \"Q\" = 1.41 \"Gain\" = -20 }"), std::string::npos);
}

TEST(EqualizerGraph, TargetNameStaysOneQuotedValue) {
    const std::string text = audio::BuildEqualizerGraph({}, "a \"b\" = c");
    EXPECT_NE(text.find("target.object = \"a \\\"b\\\" = c\"\n"), std::string::npos);
    EXPECT_EQ(audio::EqBandControl(0), "band1:Gain");
    EXPECT_EQ(audio::EqBandControl(9), "band10:Gain");
}

}  // namespace
