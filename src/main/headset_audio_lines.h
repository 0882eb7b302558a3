#pragma once
// The headset's audio part of --read-device and --apply-profile:
//   audio card ID|none
//   mic on|off PERCENT|unsupported        (switch, level; "mic unsupported" when neither)
//   monitor on|off PERCENT|unsupported
//   playback on|off PERCENT|unsupported
//   eq on G1,...,G10|off|unavailable      (the host equaliser of this process)
// Applying prints "step mic CODE", "step monitor CODE", "step eq CODE" from the profile's
// settings: 1 done, 0 not on this headset or host (unsupported, no sound server), -1
// failed, -2 the headset's sound card is not there. Only -1 and -2 fail the command.
#include <cstdio>
#include <vector>

#include "profiles/records.h"

namespace audio {
class CAudioBridge;
class CHostEqualizer;
}  // namespace audio
namespace profiles {
class CHs6533Profiledata;
}

inline constexpr int kAudioStepDone = 1;
inline constexpr int kAudioStepUnsupported = 0;
inline constexpr int kAudioStepFailed = -1;
inline constexpr int kAudioStepNotConnected = -2;

// bridge or equalizer may be null (SKELMORA_AUDIO_BRIDGE=none): "audio card none", the
// controls "unsupported", "eq unavailable".
void PrintHeadsetAudioLines(audio::CAudioBridge* bridge, audio::CHostEqualizer* equalizer,
                            std::FILE* out);

// The profile's microphone, monitoring and equaliser applied as a profile switch does;
// false when a step failed.
bool ApplyHeadsetAudioSteps(profiles::CHs6533Profiledata& profile, audio::CAudioBridge* bridge,
                            audio::CHostEqualizer* equalizer, std::FILE* out);
