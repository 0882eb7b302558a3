#pragma once
// The headset's equaliser as host processing: the arguments of a PipeWire filter-chain that
// puts ten peaking filters (31 Hz to 16 kHz, an octave apart, Q 1.41, 1 dB per slider unit)
// and a pre-gain before the headset's own sink. Pure text, tested against expected text.
#include <array>
#include <string>
#include <string_view>

namespace audio {

inline constexpr std::size_t kEqBands = 10;
using EqGains = std::array<int, kEqBands>;
inline constexpr std::array<int, kEqBands> kEqFrequencies = {31,   62,   125,  250,  500,
                                                             1000, 2000, 4000, 8000, 16000};
inline constexpr int kEqGainMin = -20;
inline constexpr int kEqGainMax = 20;
inline constexpr char kEqualizerDescription[] = "Skelmora headset equaliser";
inline constexpr char kEqualizerSinkName[] = "skelmora_headset_equaliser";
inline constexpr char kEqualizerOutputName[] = "skelmora_headset_equaliser.output";

// A gain clamped to the sliders' range, in dB.
int ClampEqGain(int gain);
// -(largest boost) dB, so that no band can clip; 0 when nothing is boosted.
int EqPreGain(const EqGains& gains);
// The control name of band i (0..9) in the running filter: "band1:Gain" ... "band10:Gain".
std::string EqBandControl(std::size_t band);
inline constexpr char kEqPreGainControl[] = "pregain:Gain";

// The filter-chain module's arguments: a stereo sink "Skelmora headset equaliser" whose
// output goes to targetSink (the node name of the headset's sink) and never elsewhere.
std::string BuildEqualizerGraph(const EqGains& gains, std::string_view targetSink);

}  // namespace audio
