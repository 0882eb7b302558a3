#pragma once
// The headset's own light effects: A (a wave of the colour or of the colour wheel, code 0),
// B (a marquee over seven mirrored LED pairs, code 7) and C (a marquee over every LED, code
// 6), and the phase step they move by. Each call is one step over the LED list. Plain C++,
// no Qt, no I/O.
#include <array>
#include <cstdint>
#include <span>

#include "devices/light_effects.h"

namespace headset {

// With direction set, phase + step, 0 once that reaches the modulus; otherwise phase - step
// (as a byte), modulus - step once that is not below the modulus.
uint8_t PhaseStep(bool direction, int modulus, uint8_t phase, int step);

inline constexpr size_t kWaveCurveEntries = 96;
// Rises through 48 values to 255 and falls back through them.
extern const std::array<uint8_t, kWaveCurveEntries> kWaveCurve;

// Effect A: for every LED i in order the phase steps (multicolour: modulus 192, step 1, LED i
// takes wheel entry (phase + 1 + 16 i) mod 192 at the brightness level; otherwise modulus 96,
// step 3, LED i takes the colour at level x curve[(phase + 10 i) mod 96] / 256).
void EffectA(light::EffectContext& context);

// What B and C keep besides the shared effect state.
struct MarqueeState {
    light::KeyIntensities& keys;
    light::MarqueeRing& ring;
    uint8_t& passes;  // counts to 2, then the ring moves
};

// The headset's ring marks: ring position p lights key p + 1 (the key LED p reads), for the
// 13 positions the LEDs use.
void MarkHeadsetRing(const light::MarqueeRing& ring, light::KeyIntensities& keys);

inline constexpr size_t kPairRingMarks = 8;  // B rotates the first 8 marks
inline constexpr size_t kLedRingMarks = 23;  // C rotates all 23
inline constexpr uint8_t kEffectBCode = 7;
inline constexpr uint8_t kEffectCCode = 6;
// The seven mirrored pairs B lights, in order; entries 13 and 14 are past the headset's 13
// LEDs and are skipped.
inline constexpr std::array<std::array<uint8_t, 2>, 7> kMirroredPairs{
    {{1, 14}, {2, 13}, {3, 12}, {4, 11}, {5, 10}, {6, 9}, {7, 8}}};

// Effect B; true when a pair entry fell outside the LED list (it was skipped, not written).
bool EffectB(light::EffectContext& context, MarqueeState& marquee);
// Effect C.
void EffectC(light::EffectContext& context, MarqueeState& marquee);

}  // namespace headset
