#include "devices/audio/eq_graph.h"

#include <algorithm>

namespace audio {

int ClampEqGain(int gain) { return std::clamp(gain, kEqGainMin, kEqGainMax); }

int EqPreGain(const EqGains& gains) {
    int largest = 0;
    for (int g : gains) largest = std::max(largest, ClampEqGain(g));
    return -largest;
}

std::string EqBandControl(std::size_t band) { return "band" + std::to_string(band + 1) + ":Gain"; }

namespace {
// Names are written as quoted strings: a sink name with spaces or '=' stays one value.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}
}  // namespace

std::string BuildEqualizerGraph(const EqGains& gains, std::string_view targetSink) {
    std::string text;
    text += "{\n";
    text += "  node.description = \"" + std::string(kEqualizerDescription) + "\"\n";
    text += "  media.name = \"" + std::string(kEqualizerDescription) + "\"\n";
    text += "  filter.graph = {\n";
    text += "    nodes = [\n";
    text +=
        "      { type = builtin name = pregain label = bq_highshelf control = { \"Freq\" = 0 "
        "\"Q\" = 1.0 \"Gain\" = " +
        std::to_string(EqPreGain(gains)) + " } }\n";
    for (std::size_t i = 0; i < kEqBands; ++i) {
        text += "      { type = builtin name = band" + std::to_string(i + 1) +
                " label = bq_peaking control = { \"Freq\" = " + std::to_string(kEqFrequencies[i]) +
                " \"Q\" = 1.41 \"Gain\" = " + std::to_string(ClampEqGain(gains[i])) + " } }\n";
    }
    text += "    ]\n";
    text += "    links = [\n";
    text += "      { output = \"pregain:Out\" input = \"band1:In\" }\n";
    for (std::size_t i = 1; i < kEqBands; ++i) {
        text += "      { output = \"band" + std::to_string(i) + ":Out\" input = \"band" +
                std::to_string(i + 1) + ":In\" }\n";
    }
    text += "    ]\n";
    text += "  }\n";
    text += "  audio.channels = 2\n";
    text += "  audio.position = [ FL FR ]\n";
    text += "  capture.props = {\n";
    text += "    node.name = \"" + std::string(kEqualizerSinkName) + "\"\n";
    text += "    media.class = Audio/Sink\n";
    text += "  }\n";
    text += "  playback.props = {\n";
    text += "    node.name = \"" + std::string(kEqualizerOutputName) + "\"\n";
    text += "    node.passive = true\n";
    text += "    target.object = " + Quoted(targetSink) + "\n";
    text += "    node.dont-reconnect = true\n";
    text += "  }\n";
    text += "}\n";
    return text;
}

}  // namespace audio
