#pragma once
// CHostEqualizer: the headset's ten-band equaliser as host processing in front of the
// headset's sink. On: the filter runs with these gains (while the headset's sink exists);
// a band change goes to the running filter without a gap; off: nothing of it stays in the
// sound server's setup.
#include <string>

#include "devices/audio/eq_graph.h"
#include "devices/audio_bridge.h"

namespace audio {

class CHostEqualizer {
  public:
    virtual ~CHostEqualizer() = default;

    // False with the reason when the host cannot run an equaliser (no sound server).
    virtual bool Available(std::string* reason = nullptr) const = 0;
    // The headset's card (number, -1 when gone): the sink the filter goes in front of.
    virtual void SetHeadsetCard(int cardNumber) = 0;
    virtual AudioResult SetOn(const EqGains& gains) = 0;
    virtual AudioResult SetBand(std::size_t band, int gain) = 0;
    virtual AudioResult SetOff() = 0;
    virtual bool IsOn() const = 0;
    virtual EqGains Gains() const = 0;
};

// The equaliser in memory, for tests and the emulated headset: calls counted, availability
// and failures set by tests.
class CFakeHostEqualizer : public CHostEqualizer {
  public:
    bool Available(std::string* reason = nullptr) const override {
        if (!available && reason) *reason = "no sound server";
        return available;
    }
    void SetHeadsetCard(int cardNumber) override { card = cardNumber; }
    AudioResult SetOn(const EqGains& next) override {
        ++onCalls;
        if (!available) return AudioResult::Unsupported("no sound server");
        if (failing) return AudioResult::Failed("filter could not be loaded");
        gains = next;
        on = true;
        return AudioResult::Done();
    }
    AudioResult SetBand(std::size_t band, int gain) override {
        ++bandCalls;
        lastBand = static_cast<int>(band);
        if (!available) return AudioResult::Unsupported("no sound server");
        if (band >= kEqBands) return AudioResult::Failed("no such band");
        gains[band] = gain;
        return AudioResult::Done();
    }
    AudioResult SetOff() override {
        ++offCalls;
        on = false;
        return AudioResult::Done();
    }
    bool IsOn() const override { return on; }
    EqGains Gains() const override { return gains; }

    bool available = true;
    bool failing = false;
    bool on = false;
    int card = -1;
    EqGains gains{};
    int onCalls = 0;
    int bandCalls = 0;
    int offCalls = 0;
    int lastBand = -1;
};

}  // namespace audio
